// The portable part of the reverse-conversion run.
#include "revconv/run.h"

#include <cstdio>
#include <vector>

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

}  // namespace

std::uint32_t markPair(ResultStore& s, std::uint32_t pairId, std::uint32_t size, std::uint32_t bits) {
  std::vector<RubyItem*> members(size);
  const std::uint32_t n = collectPairItems(s, pairId, members.data(), size);
  std::uint32_t done = 0;
  for (std::uint32_t i = 0; i < n; ++i) done += addBits(*members[i], bits);
  return done;
}

std::uint32_t checkPairWithOkurigana(ResultStore& s, const ReadingSource& source, std::uint32_t pairId,
                                     std::uint32_t size) {
  std::vector<RubyItem*> members(size);
  const std::uint32_t n = collectPairItems(s, pairId, members.data(), size);
  if (!process::revConvRunning().load()) return 0;
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
      std::uint32_t bits = RevConvDone;
      const bool withoutSmallKana = inBookWithoutSmallKana(member);
      if (text(s, member.okuriganaId)[0] != 0 && matchWithOkurigana(s, source, member) == 1) {
        bits |= RevConvOkuriOk;
        ++confirmed;
      } else {
        int& asked = composed[withoutSmallKana];
        if (asked < 0) asked = static_cast<int>(composedBit(s, source, member));
        bits |= static_cast<std::uint32_t>(asked);
      }
      // One query serves every earlier occurrence with the same okurigana in a book of the same kind.
      for (std::uint32_t j = i + 1; j-- > 0;)
        if (members[j]->okuriganaId == member.okuriganaId &&
            inBookWithoutSmallKana(*members[j]) == withoutSmallKana)
          given += addBits(*members[j], bits);
    }
    if (i > 0 && !process::revConvRunning().load()) {
      complete = false;
      break;
    }
  }
  if (complete && n > 0) {
    std::uint32_t summary = RevConvGroupDone;
    if (confirmed == size) summary |= RevConvGroupAllOk;
    else if (confirmed > 0) summary |= RevConvGroupSomeOk;
    else if (composed[0] < 0 && composed[1] < 0) summary |= composedBit(s, source, *members[0]);
    members[0]->flags |= summary;
  }
  return given;
}

void checkStoreItems(ResultStore& s, const ReadingSource& source, RunProgress* progress) {
  const std::uint32_t step = static_cast<std::uint32_t>(progressStep(s.pendingCheckCount));
  std::uint32_t unshown = 0;
  if (!process::revConvRunning().load()) return;
  const std::uint32_t itemCount = s.itemCount;
  for (std::uint32_t i = 0; i < itemCount; ++i) {
    RubyItem& item = s.items[i];
    if (!(item.flags & RevConvDone)) {
      std::uint32_t done = 0;
      bool finished = false;
      if (!(item.flags & PairRepeat) && matchKeyAlone(s, source, item) == 1) {
        if (item.flags & PairShared) {
          done = markPair(s, s.pairIndex[i], item.groupSize, RevConvDone | RevConvKeyOk);
          item.flags |= RevConvGroupDone | RevConvGroupAllOk;
        } else {
          done = addBits(item, RevConvDone | RevConvKeyOk);
        }
        finished = true;
      }
      if (!finished) {
        if (item.flags & PairShared) {
          const std::uint32_t size = (item.flags & PairRepeat) ? pairSize(s, s.pairIndex[i]) : item.groupSize;
          done = checkPairWithOkurigana(s, source, s.pairIndex[i], size);
        } else {
          const bool okuri = text(s, item.okuriganaId)[0] != 0 && matchWithOkurigana(s, source, item) == 1;
          done = addBits(item, okuri ? RevConvDone | RevConvOkuriOk : RevConvDone | composedBit(s, source, item));
        }
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
