// The portable part of the reverse-conversion run.
#include "revconv/run.h"

#include <cstdio>
#include <vector>

#include "revconv/near_miss.h"

namespace obel {

std::atomic<bool>& process::revConvRunning() {
  static std::atomic<bool> running{false};
  return running;
}

std::uint32_t collectPairItems(ResultStore& s, std::uint32_t pairId, RubyItem** out, std::uint32_t capacity) {
  std::uint32_t count = 0;
  for (std::uint32_t i = 0; i < s.itemCount && count < capacity; ++i)
    if (s.pairIndex[i] == pairId) out[count++] = &s.items[i];
  return count;
}

std::uint32_t pairSize(const ResultStore& s, std::uint32_t pairId) {
  for (std::uint32_t i = 0; i < s.itemCount; ++i)
    if (s.pairIndex[i] == pairId) return s.items[i].groupSize;
  return 0;
}

namespace {

// Adds bits to the item; true when this gave it its verdict.
bool addBits(RubyItem& item, std::uint32_t bits) {
  const bool newlyDone = !(item.flags & RevConvDone) && (bits & RevConvDone);
  item.flags |= bits;
  return newlyDone;
}

// The answers of one pair's ！ and 候補 questions, each asked of the dictionaries once, when the
// first occurrence needs it (the order is nearMissOf's).
class PairNearMiss {
 public:
  PairNearMiss(const ResultStore& s, const ReadingSource& source, const RubyItem& first)
      : s_(s), source_(source), first_(first) {}
  NearMissFindings of(const RubyItem& member, bool unconfirmed, bool repeatedInBook) {
    return nearMissOf(*this, member, unconfirmed, repeatedInBook);
  }
  std::string nearest() {
    if (!nearestAsked_) nearest_ = suggestionFor(s_, source_, first_);
    nearestAsked_ = true;
    return nearest_;
  }
  NearMissFindings voicing() {
    if (!voicingAsked_) voicing_ = voicingNearMissOf(s_, source_, first_);
    voicingAsked_ = true;
    return voicing_;
  }
  NearMissFindings doubled(const RubyItem& member) { return doubledOkuriganaOf(s_, source_, member); }
  NearMissFindings ownKana(const RubyItem& member) {
    const BookKana book = bookKanaOf(member);
    if (book == BookKana::Mixed) return {};
    const int kind = book == BookKana::Modern;
    if (!ownKanaAsked_[kind]) ownKana_[kind] = ownKanaOf(s_, source_, member);
    ownKanaAsked_[kind] = true;
    return ownKana_[kind];
  }

 private:
  const ResultStore& s_;
  const ReadingSource& source_;
  const RubyItem& first_;
  bool voicingAsked_ = false, nearestAsked_ = false;
  NearMissFindings voicing_;
  std::string nearest_;
  bool ownKanaAsked_[2] = {false, false};  // in a book of historical kana, in a modern one
  NearMissFindings ownKana_[2];
};

// Gives the occurrence the verdict of the findings, with its ！ and 候補; true when this gave it
// its verdict.
bool giveVerdict(ResultStore& s, RubyItem& member, ItemFindings found, PairNearMiss& pair,
                 bool repeatedInBook = false) {
  const NearMissFindings near = pair.of(member, !found.keyOk && !found.okuriOk && !found.composed, repeatedInBook);
  found.nearMiss = near.nearMiss;
  setSuggestion(s, member, near.suggestion.c_str());
  return addBits(member, itemVerdictBits(found));
}

}  // namespace

std::uint32_t markPair(ResultStore& s, std::uint32_t pairId, std::uint32_t size, std::uint32_t bits) {
  std::vector<RubyItem*> members(size);
  const std::uint32_t n = collectPairItems(s, pairId, members.data(), size);
  std::uint32_t done = 0;
  for (std::uint32_t i = 0; i < n; ++i) done += addBits(*members[i], bits);
  return done;
}

std::uint32_t checkPairWithOkurigana(ResultStore& s, const ReadingSource& source, std::uint32_t pairId,
                                     std::uint32_t size, const std::vector<bool>* repeated) {
  std::vector<RubyItem*> members(size);
  const std::uint32_t n = collectPairItems(s, pairId, members.data(), size);
  if (!process::revConvRunning().load() || n == 0) return 0;
  // The author's own reading: an occurrence in a book that gives the pair BookRepeatMin times.
  auto ownReading = [&](const RubyItem* member) { return repeated && (*repeated)[member - s.items]; };
  bool anyOwnReading = false;
  for (std::uint32_t i = 0; i < n; ++i) anyOwnReading = anyOwnReading || ownReading(members[i]);
  PairNearMiss near(s, source, *members[0]);
  std::uint32_t given = 0;
  std::uint32_t confirmed = 0;
  bool complete = true;
  // Asked once for each kind of book (inBookWithoutSmallKana), when an occurrence is not confirmed.
  int composed[2] = {-1, -1};
  for (std::uint32_t i = n; i-- > 0;) {
    RubyItem& member = *members[i];
    if (member.flags & RevConvDone) {
      if (member.flags & RevConvOkuriOk) ++confirmed;
    } else {
      ItemFindings found;
      const bool withoutSmallKana = inBookWithoutSmallKana(member);
      found.okuriOk = text(s, member.okuriganaId)[0] != 0 && matchWithOkurigana(s, source, member) == ReadingMatch::Found;
      if (found.okuriOk) {
        ++confirmed;
      } else {
        int& asked = composed[withoutSmallKana];
        if (asked < 0) asked = composedBit(s, source, member) != 0;
        found.composed = asked == 1;
      }
      // One query serves every earlier occurrence with the same okurigana in a book of the same kind.
      for (std::uint32_t j = i + 1; j-- > 0;) {
        if (members[j]->okuriganaId != member.okuriganaId || inBookWithoutSmallKana(*members[j]) != withoutSmallKana)
          continue;
        ItemFindings own = found;
        own.composed = own.composed || (!own.okuriOk && ownReading(members[j]));
        given += giveVerdict(s, *members[j], own, near, ownReading(members[j]));
      }
    }
    if (i > 0 && !process::revConvRunning().load()) {
      complete = false;
      break;
    }
  }
  if (complete) {
    PairFindings found{false, size, confirmed, false, false, anyOwnReading};
    if (confirmed == 0) {
      // Composed in every kind of book its occurrences were asked in, as obel-scan's pair rows.
      const bool asked = composed[0] >= 0 || composed[1] >= 0;
      found.composed = asked ? composed[0] != 0 && composed[1] != 0 : composedBit(s, source, *members[0]) != 0;
    }
    for (std::uint32_t i = 0; i < n; ++i) found.nearMiss |= (members[i]->flags & RevConvNearMiss) != 0;
    members[0]->flags |= pairVerdictBits(found);
  }
  return given;
}

namespace {

// The key alone reads as the ruby: every occurrence of the item's pair is ◎ (or ！).
std::uint32_t markKeyConfirmed(ResultStore& s, const ReadingSource& source, RubyItem& item, std::uint32_t index,
                               const std::vector<bool>& repeated) {
  PairNearMiss near(s, source, item);
  if (!(item.flags & PairShared)) return giveVerdict(s, item, {true}, near);
  std::vector<RubyItem*> members(item.groupSize);
  const std::uint32_t n = collectPairItems(s, s.pairIndex[index], members.data(), item.groupSize);
  std::uint32_t done = 0;
  bool nearMiss = false;
  for (std::uint32_t i = 0; i < n; ++i) {
    done += giveVerdict(s, *members[i], {true}, near, repeated[members[i] - s.items]);
    nearMiss |= (members[i]->flags & RevConvNearMiss) != 0;
  }
  item.flags |= pairVerdictBits({true, item.groupSize, item.groupSize, false, nearMiss});
  return done;
}

}  // namespace

void checkStoreItems(ResultStore& s, const ReadingSource& source, RunProgress* progress) {
  const std::uint32_t step = static_cast<std::uint32_t>(progressStep(s.pendingCheckCount));
  std::uint32_t unshown = 0;
  if (!process::revConvRunning().load()) return;
  const std::uint32_t itemCount = s.itemCount;
  const std::vector<bool> repeated = repeatedInBook(s, s.pairIndex);
  for (std::uint32_t i = 0; i < itemCount; ++i) {
    RubyItem& item = s.items[i];
    if (!(item.flags & RevConvDone)) {
      std::uint32_t done = 0;
      if (!(item.flags & PairRepeat) && matchKeyAlone(s, source, item) == ReadingMatch::Found) {
        done = markKeyConfirmed(s, source, item, i, repeated);
      } else if (item.flags & PairShared) {
        const std::uint32_t size = (item.flags & PairRepeat) ? pairSize(s, s.pairIndex[i]) : item.groupSize;
        done = checkPairWithOkurigana(s, source, s.pairIndex[i], size, &repeated);
      } else {
        ItemFindings found;
        found.okuriOk = text(s, item.okuriganaId)[0] != 0 && matchWithOkurigana(s, source, item) == ReadingMatch::Found;
        found.composed = !found.okuriOk && composedBit(s, source, item) != 0;
        PairNearMiss near(s, source, item);
        done = giveVerdict(s, item, found, near);
      }
      // Never below zero, whatever the flags of a damaged store say.
      s.pendingCheckCount -= done <= s.pendingCheckCount ? done : s.pendingCheckCount;
      unshown += done;
      if (unshown >= step) {
        if (progress != nullptr) progress->advance(step);
        unshown -= step;
      }
    }
    if (!process::revConvRunning().load()) break;
  }
}

void formatTimerText(char* out, std::uint32_t capacity, std::uint32_t now, std::uint32_t startTick,
                     std::uint32_t pending) {
  std::snprintf(out, capacity, "経過時間：%u秒\r\n残り%u", static_cast<unsigned>((now - startTick) / 1000u),
                static_cast<unsigned>(pending));
}

}  // namespace obel
