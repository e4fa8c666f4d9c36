#include "cli/library_result.h"

#include <algorithm>
#include <atomic>
#include <charconv>
#include <cstring>
#include <system_error>
#include <thread>

#include "engine/native_path.h"
#include "revconv/near_miss.h"
#include "revconv/skk_dictionary.h"
#include "revconv/text_codec.h"
#include "results/conditions.h"
#include "results/list_model.h"
#include "settings/settings.h"

namespace obel {

namespace {

std::uint32_t mix(std::uint64_t h) {
  h ^= h >> 33;
  h *= 0xFF51AFD7ED558CCDull;
  h ^= h >> 33;
  return static_cast<std::uint32_t>(h);
}

// Of the hashes of a key and a ruby.
std::uint32_t pairHash(std::uint32_t key, std::uint32_t ruby) { return mix(static_cast<std::uint64_t>(key) << 32 | ruby); }

// Whether a table of `size` slots holding `wanted` entries would be more than half full, or
// with threeQuarters more than three quarters (for a table whose every entry is a question
// that is rarely asked again, so that its size counts more than its probes).
bool tooFull(std::size_t wanted, std::size_t size, bool threeQuarters = false) {
  return threeQuarters ? wanted * 4 > size * 3 : wanted * 2 > size;
}

// Doubles an open-addressing table until `wanted` entries do not make it tooFull, each entry
// placed again by its hash.
template <class Slot, class IsUsed, class HashOf>
void growTable(std::vector<Slot>& slots, std::size_t wanted, IsUsed isUsed, HashOf hashOf, bool threeQuarters = false) {
  std::size_t size = slots.empty() ? 1024 : slots.size();
  while (tooFull(wanted, size, threeQuarters)) size *= 2;
  if (size == slots.size()) return;
  std::vector<Slot> bigger(size, Slot{});
  const std::size_t mask = size - 1;
  for (const Slot& entry : slots) {
    if (!isUsed(entry)) continue;
    std::size_t at = hashOf(entry) & mask;
    while (isUsed(bigger[at])) at = (at + 1) & mask;
    bigger[at] = entry;
  }
  slots.swap(bigger);
}

// How many entries ahead of the one being looked up a probe is begun: enough to keep a few
// cache misses on their way at once.
constexpr std::size_t Ahead = 8;

}  // namespace

std::uint32_t LibraryStrings::hash(std::string_view text) {
  std::uint64_t h = 0xCBF29CE484222325ull;  // FNV-1a
  for (const char c : text) h = (h ^ static_cast<unsigned char>(c)) * 0x100000001B3ull;
  return mix(h);
}

void LibraryStrings::makeRoom(std::uint32_t more) {
  const std::size_t wanted = static_cast<std::size_t>(count_) + more + 1;
  if (wanted * 2 > slots_.size()) growTable(
        slots_, wanted, [](const Slot& e) { return e.idPlusOne != 0; }, [](const Slot& e) { return e.hash; });
}

std::uint32_t LibraryStrings::intern(std::string_view text, std::uint32_t h) {
  makeRoom(1);
  const std::size_t mask = slots_.size() - 1;
  std::size_t at = h & mask;
  for (; slots_[at].idPlusOne != 0; at = (at + 1) & mask) {
    const Slot& e = slots_[at];
    if (e.hash == h && view(e.idPlusOne - 1) == text) return e.idPlusOne - 1;
  }
  const std::uint32_t id = count_++;
  slots_[at] = {h, id + 1};
  pool_.insert(pool_.end(), text.begin(), text.end());
  pool_.push_back('\0');
  offsets_.push_back(static_cast<std::uint32_t>(pool_.size()));
  return id;
}

void LibraryResult::makePairRoom(std::size_t more) {
  const std::size_t wanted = pairs_.size() + more + 1;
  if (wanted * 2 > pairSlots_.size())
    growTable(
        pairSlots_, wanted, [](const PairSlot& e) { return e.indexPlusOne != 0; },
        [](const PairSlot& e) { return e.hash; });
}

std::uint32_t LibraryResult::findOrAddPair(const ResultStore& s, const RubyItem& item, std::uint32_t hash,
                                           bool& added) {
  const char* itemKey = text(s, item.keyId);
  const char* itemRuby = text(s, item.rubyId);
  const std::size_t mask = pairSlots_.size() - 1;
  std::size_t at = hash & mask;
  for (; pairSlots_[at].indexPlusOne != 0; at = (at + 1) & mask) {
    const PairSlot& e = pairSlots_[at];
    if (e.hash != hash) continue;
    const LibraryPair& p = pairs_[e.indexPlusOne - 1];
    if (std::strcmp(key(p).data(), itemKey) == 0 && std::strcmp(ruby(p).data(), itemRuby) == 0) {
      added = false;
      return e.indexPlusOne - 1;
    }
  }
  const std::uint32_t index = static_cast<std::uint32_t>(pairs_.size());
  pairSlots_[at] = {hash, index + 1};
  added = true;
  return index;
}

namespace {
// A verdict as the pair's checks keep it: 1 not confirmed, 2 confirmed.
std::uint8_t answerOf(ReadingMatch match) { return match == ReadingMatch::Found ? 2 : 1; }

std::uint32_t okuriganaHash(std::uint32_t pair, std::uint32_t okurigana) {
  return mix(static_cast<std::uint64_t>(pair) << 32 | okurigana);
}
}  // namespace

void OkuriganaAnswers::makeRoom(std::size_t more) {
  const std::size_t wanted = count_ + more + 1;
  if (tooFull(wanted, slots_.size(), true))
    growTable(
        slots_, wanted, [](const Slot& e) { return e.pairPlusOne != 0; },
        [](const Slot& e) { return okuriganaHash(e.pairPlusOne - 1, e.okurigana); }, true);
}

void OkuriganaAnswers::prefetch(std::uint32_t pair, std::uint32_t okurigana) const {
  __builtin_prefetch(&slots_[okuriganaHash(pair, okurigana) & (slots_.size() - 1)]);
}

std::uint8_t& OkuriganaAnswers::of(std::uint32_t pair, std::uint32_t okurigana, bool& added) {
  makeRoom(1);
  const std::size_t mask = slots_.size() - 1;
  std::size_t at = okuriganaHash(pair, okurigana) & mask;
  for (; slots_[at].pairPlusOne != 0; at = (at + 1) & mask) {
    if (slots_[at].pairPlusOne == pair + 1 && slots_[at].okurigana == okurigana) {
      added = false;
      return slots_[at].answer;
    }
  }
  slots_[at] = {pair + 1, okurigana, 0};
  ++count_;
  added = true;
  return slots_[at].answer;
}

ItemFindings LibraryResult::findings(const RubyItem& item, std::uint32_t pair, std::uint8_t okurigana,
                                     bool ownReading) const {
  const PairChecks& p = checks_[pair];
  ItemFindings found;
  found.keyOk = p.keyVerdict == 2;
  found.okuriOk = !found.keyOk && okurigana == 2;
  found.composed = !found.keyOk && !found.okuriOk && (p.composed[inBookWithoutSmallKana(item)] == 2 || ownReading);
  return found;
}

void LibraryResult::askKey(const ResultStore& s, const ReadingSource& check, const RubyItem& item,
                           const std::u16string* key16, PairChecks& p, std::unique_ptr<KeyAnswers>& answers) const {
  KeyFacts facts;
  if (!(key16 ? askKeyFacts(s, check, item, *key16, facts) : askKeyFacts(s, check, item, facts))) {
    p.keyVerdict = answerOf(matchKeyAlone(s, check, item));
    return;
  }
  p.keyVerdict = answerOf(facts.keyAlone);
  p.keyCounted = facts.counted.empty() ? 1 : 2;
  p.keyOkuri = facts.okuriKnown ? KeyOkuriKnown | (facts.kanaFollows ? KeyKanaFollows : 0) | facts.okuriLetters : 0;
  p.keyOkuriEntries = static_cast<std::uint8_t>(facts.okuriEntries);
  p.keyOkuriBytes = static_cast<std::uint16_t>(facts.okuriBytes);
  if (facts.counted.empty()) return;
  // every question answered now, from the readings in hand: a question never asked costs less
  // than looking the key up again
  const std::vector<CountedReading>& counted = facts.counted;
  const char* ruby = text(s, item.rubyId);
  answers = std::make_unique<KeyAnswers>();
  // the 候補 of an unconfirmed occurrence: none is where the key alone confirms the ruby
  if (suggestions_ && facts.keyAlone != ReadingMatch::Found) {
    std::string nearest = suggestionIn(counted, ruby);
    answers->of[Nearest] = {!nearest.empty(), std::move(nearest)};
  }
  answers->of[Voicing] = voicingNearMissIn(counted, ruby, facts.keyUnits > 1);
  // asked only of occurrences whose okurigana begins with the ruby's last kana (two bytes)
  const std::size_t rubyBytes = std::strlen(ruby);
  if (rubyBytes >= 2) answers->of[Doubled] = doubledOkuriganaIn(counted, ruby, ruby + rubyBytes - 2);
  ownKanaInEither(counted, ruby, answers->of[OwnHistorical], answers->of[OwnModern]);
}

void LibraryResult::keepKeyAnswers(std::uint32_t pair, const KeyAnswers& answers) {
  // the 候補 is never asked of a pair the key alone confirms
  for (unsigned q = checks_[pair].keyVerdict == 2 || !suggestions_ ? Voicing : Nearest; q <= OwnModern; ++q)
    if (answered(pair, static_cast<NearMissQuestion>(q)) == 0) keepAnswer(pair, static_cast<NearMissQuestion>(q), answers.of[q]);
}

namespace {
// What the pair keeps of its key's look-up, for its okurigana questions.
KeyFacts keyFactsOf(const PairChecks& p) {
  KeyFacts facts;
  facts.okuriKnown = (p.keyOkuri & KeyOkuriKnown) != 0;
  facts.kanaFollows = (p.keyOkuri & KeyKanaFollows) != 0;
  facts.okuriLetters = p.keyOkuri & ~(KeyOkuriKnown | KeyKanaFollows);
  facts.okuriEntries = p.keyOkuriEntries;
  facts.okuriBytes = p.keyOkuriBytes;
  return facts;
}
}  // namespace

std::uint8_t LibraryResult::okuriganaAnswer(const ResultStore& s, const ReadingSource& check, const RubyItem& item,
                                            std::uint32_t pair) const {
  return answerOf(matchWithOkurigana(s, check, item, keyFactsOf(checks_[pair])));
}

std::uint32_t LibraryResult::verdictBits(ResultStore& s, const RubyItem& item, std::uint32_t pair,
                                         std::uint8_t& okurigana, const ReadingSource& check, bool ownReading) {
  PairChecks& p = checks_[pair];
  if (p.keyVerdict == 0) {
    std::unique_ptr<KeyAnswers> answers;
    askKey(s, check, item, nullptr, p, answers);
    if (answers) keepKeyAnswers(pair, *answers);
  }
  if (p.keyVerdict == 1 && text(s, item.okuriganaId)[0] != 0) {
    ReadingMatch byKey;
    if (okurigana == 0 && okuriganaAnswerOfKey(s, item, keyFactsOf(p), byKey)) okurigana = answerOf(byKey);
    if (okurigana == 0) {  // kept, so that no other occurrence asks it again
      bool added = false;
      std::uint8_t& answer = okuriganaAnswers_.of(pair, strings_.intern(text(s, item.okuriganaId)), added);
      if (answer == 0) answer = okuriganaAnswer(s, check, item, pair);
      okurigana = answer;
    }
    p.confirmed += okurigana == 2;
  }
  if (p.keyVerdict == 1 && okurigana != 2) {
    std::uint8_t& composed = p.composed[inBookWithoutSmallKana(item)];
    if (composed == 0) composed = composedBit(s, check, item) ? 2 : 1;
    p.ownReading = p.ownReading || ownReading;
  }
  ItemFindings found = findings(item, pair, okurigana, ownReading);
  findNearMiss(s, item, pair, check, found, ownReading);
  return itemVerdictBits(found);
}

namespace {
// A confirmed occurrence is asked the questions after Nearest: where each was answered with
// nothing found, as for most pairs, or the key has no counted readings, none finds a ！ for it.
bool noNearMissWhenConfirmed(const PairChecks& p) {
  constexpr unsigned NothingFoundAfterNearest = 0x55;  // 01 for each of the four
  return p.keyCounted == 1 || p.nearMissAnswers >> (2 * Voicing) == NothingFoundAfterNearest;
}

// Asks the dictionaries one ！ or 候補 question of the item's pair: found (nearMiss) and its
// reading; the nearest reading is found when there is one.
NearMissFindings askNearMiss(NearMissQuestion q, const ResultStore& s, const ReadingSource& check,
                             const RubyItem& item) {
  switch (q) {
    case Nearest: {
      std::string reading = suggestionFor(s, check, item);
      return {!reading.empty(), std::move(reading)};
    }
    case Voicing: return voicingNearMissOf(s, check, item);
    case Doubled: return doubledOkuriganaOf(s, check, item);
    default: return ownKanaOf(s, check, item);
  }
}
}  // namespace

LibraryResult::KeptAnswer LibraryResult::asked(std::uint32_t pair, NearMissQuestion q, const ResultStore& s,
                                               const ReadingSource& check, const RubyItem& item) {
  // a key without counted readings finds nothing
  if (answered(pair, q) == 0) keepAnswer(pair, q, checks_[pair].keyCounted == 1 ? NearMissFindings{} : askNearMiss(q, s, check, item));
  return kept(pair, q);
}

// The answers the result keeps for one pair, each asked when first needed.
struct LibraryResult::PairAnswers {
  LibraryResult& result;
  const ResultStore& s;
  const RubyItem& item;
  std::uint32_t pair;
  const ReadingSource& check;
  std::uint32_t nearest() { return result.asked(pair, Nearest, s, check, item).reading; }
  KeptAnswer voicing() { return result.asked(pair, Voicing, s, check, item); }
  KeptAnswer doubled(const RubyItem& member) { return result.doubled(s, member, pair, check); }
  KeptAnswer ownKana(const RubyItem& member) { return result.ownKana(s, member, pair, check); }
};

// Each occurrence's 候補 is its own finding's reading; the pair's row takes the first kept.
void LibraryResult::findNearMiss(ResultStore& s, const RubyItem& item, std::uint32_t pair, const ReadingSource& check,
                                 ItemFindings& found, bool ownReading) {
  found.nearMiss = false;
  if (checks_[pair].keyCounted == 1) return;  // a key without counted readings: no ！ and no 候補
  const bool unconfirmed = !found.keyOk && !found.okuriOk && !found.composed;
  if (unconfirmed && !suggestions_) return;  // its one finding would be its 候補
  if (!unconfirmed && noNearMissWhenConfirmed(checks_[pair])) return;
  PairAnswers answers{*this, s, item, pair, check};
  const KeptAnswer near = nearMissOf(answers, item, unconfirmed, ownReading);
  PairChecks& p = checks_[pair];
  if ((unconfirmed || near.nearMiss) && near.reading != 0) {
    if (p.suggestion == 0) p.suggestion = near.reading;
    setSuggestion(s, item, strings_.text(near.reading - 1).data());
  }
  found.nearMiss = near.nearMiss;
  p.nearMisses += near.nearMiss;
}

void LibraryResult::keepAnswer(std::uint32_t pair, NearMissQuestion q, const NearMissFindings& f) {
  checks_[pair].nearMissAnswers |= static_cast<std::uint16_t>((f.nearMiss ? 2u : 1u) << (2 * q));
  if (f.nearMiss && suggestions_) nearMissReadings_[std::uint64_t{pair} * 8 + q] = strings_.intern(f.suggestion);
}

LibraryResult::KeptAnswer LibraryResult::kept(std::uint32_t pair, NearMissQuestion q) const {
  if (answered(pair, q) != 2) return {};
  if (!suggestions_) return {true, 0};
  const std::uint32_t id = nearMissReadings_.at(std::uint64_t{pair} * 8 + q);
  // a finding without a reading gives no 候補
  return {true, strings_.text(id).empty() ? 0 : id + 1};
}

LibraryResult::KeptAnswer LibraryResult::doubled(const ResultStore& s, const RubyItem& item, std::uint32_t pair,
                                                 const ReadingSource& check) {
  // Whatever the rest of the okurigana, the answer depends on the key and the ruby alone.
  if (!endsInOkuriganasKana(text(s, item.rubyId), text(s, item.okuriganaId))) return {};
  return asked(pair, Doubled, s, check, item);
}

namespace {
// The question of the book's own spelling for an item's book, or none for a book that mixes them.
bool ownKanaQuestion(const RubyItem& item, NearMissQuestion& q) {
  const BookKana book = bookKanaOf(item);
  q = book == BookKana::Modern ? OwnModern : OwnHistorical;
  return book != BookKana::Mixed;
}
}  // namespace

LibraryResult::KeptAnswer LibraryResult::ownKana(const ResultStore& s, const RubyItem& item, std::uint32_t pair,
                                                 const ReadingSource& check) {
  NearMissQuestion q;
  if (!ownKanaQuestion(item, q)) return {};
  return asked(pair, q, s, check, item);
}

// What the questions of a fill go by: each item's pair, the items that added one, whether the
// item's pair is its book's own reading, and each item's okurigana answer (0 until found).
struct LibraryResult::FillQuestions {
  const std::vector<std::uint32_t>& pairIds;
  const std::vector<std::uint32_t>& newPairs;
  const std::vector<bool>& repeated;
  std::vector<std::uint8_t>& okurigana;
};

void LibraryResult::hashPairs(const ResultStore& s, std::vector<std::uint32_t>& hashes) {
  // each string hashed once, however many items share it
  std::vector<std::uint32_t> of(s.strings.count);
  std::vector<bool> known(s.strings.count);
  auto hashOf = [&](std::uint32_t id) {
    if (!known[id]) {
      known[id] = true;
      of[id] = LibraryStrings::hash(text(s, id));
    }
    return of[id];
  };
  hashes.resize(s.itemCount);
  for (std::uint32_t i = 0; i < s.itemCount; ++i) hashes[i] = pairHash(hashOf(s.items[i].keyId), hashOf(s.items[i].rubyId));
}

void LibraryResult::repeatedPairs(const ResultStore& s, std::vector<bool>& repeated) {
  // within one store a pair is its two string ids
  std::vector<std::uint32_t> pairOf(s.itemCount);
  for (std::uint32_t i = 0; i < s.itemCount; ++i) pairOf[i] = std::uint32_t{s.items[i].keyId} << 16 | s.items[i].rubyId;
  repeated = repeatedInBook(s, pairOf.data());
}

void LibraryResult::fold(ResultStore& s, const std::vector<std::uint32_t>& hashes, const std::vector<bool>& repeated,
                         const ReadingSource* check, unsigned checkThreads) {
  const std::uint32_t n = s.itemCount;
  std::vector<std::uint32_t> pairIds;   // of each item, for the check
  std::vector<std::uint32_t> newPairs;  // the items that added a pair
  if (check) pairIds.resize(n);
  makePairRoom(n);  // the table does not grow below, so a slot stays where it was fetched
  const std::size_t mask = pairSlots_.size() - 1;
  const FileRecord* lastFile = nullptr;
  std::uint32_t lastFileIndex = 0;
  const FileRecord* folderFile = nullptr;
  std::uint32_t folder = 0;
  // The look-up of an item is begun 3 * Ahead items before it, in three steps: its slot, the
  // pair the slot leads to, that pair's texts; the look-up itself then finds them in the cache.
  auto slotOf = [&](std::size_t i) -> const PairSlot& { return pairSlots_[hashes[i] & mask]; };
  for (std::size_t ahead = 0; ahead < n + 3 * Ahead; ++ahead) {
    if (ahead < n) __builtin_prefetch(&slotOf(ahead));
    if (ahead >= Ahead && ahead - Ahead < n) {
      const PairSlot& e = slotOf(ahead - Ahead);
      if (e.indexPlusOne != 0) __builtin_prefetch(&pairs_[e.indexPlusOne - 1]);
    }
    if (ahead >= 2 * Ahead && ahead - 2 * Ahead < n) {
      const PairSlot& e = slotOf(ahead - 2 * Ahead);
      if (e.indexPlusOne != 0) __builtin_prefetch(pairTexts_.data() + pairs_[e.indexPlusOne - 1].text);
    }
    if (ahead < 3 * Ahead) continue;
    const std::size_t i = ahead - 3 * Ahead;
    RubyItem& item = s.items[i];
    bool isNew = false;
    const std::uint32_t pairId = findOrAddPair(s, item, hashes[i], isNew);
    if (isNew) {
      if (item.file != lastFile) {  // a file's items lie together in the store
        lastFile = item.file;
        lastFileIndex = static_cast<std::uint32_t>(files_.size());
        files_.push_back({item.file ? item.file->name : "", item.file ? item.file->folder : ""});
      }
      const std::string_view key = text(s, item.keyId);
      const std::string_view ruby = text(s, item.rubyId);
      const std::string_view okurigana = text(s, item.okuriganaId);
      pairs_.push_back({pairTexts_.size(), static_cast<std::uint32_t>(key.size()),
                        static_cast<std::uint32_t>(ruby.size()), lastFileIndex, item.line, item.column});
      for (const std::string_view t : {key, ruby, okurigana}) {
        pairTexts_.insert(pairTexts_.end(), t.begin(), t.end());
        pairTexts_.push_back('\0');
      }
    }
    ++pairs_[pairId].count;
    if (check) {
      pairIds[i] = pairId;
      if (isNew) newPairs.push_back(static_cast<std::uint32_t>(i));
    }
    if (countFolders_) {
      if (item.file != folderFile) {
        folderFile = item.file;
        folder = strings_.intern(item.file ? item.file->folder : "");
      }
      if (pairFolders_.size() <= pairId) pairFolders_.resize(pairId + 1, FolderCount{folder, 0});
      if (FolderCount& ofPair = pairFolders_[pairId]; ofPair.folders == 0 || ofPair.lastFolder != folder)
        ofPair = {folder, ofPair.folders + 1};
      char letter = 0;
      if (const char* kana = text(s, item.okuriganaId); kana[0] != 0) {
        const char two[3] = {kana[0], kana[1], 0};
        const std::u16string first = cp932ToUtf16(two);
        letter = first.empty() ? 0 : okuriInitials(first[0])[0];
        if (letter == 0) continue;  // no romaji letter: no line can hold it
      }
      const auto [at, isNew] = folderCounts_.try_emplace(static_cast<std::uint64_t>(pairId) << 8 |
                                                         static_cast<unsigned char>(letter), FolderCount{folder, 1});
      if (!isNew && at->second.lastFolder != folder) {
        at->second.lastFolder = folder;
        ++at->second.folders;
      }
    }
  }
  if (check) {
    std::vector<std::uint8_t> okurigana(n, 0);
    okuriganaAnswers_.makeRoom(n);  // no room is made below: each answer stays where it is
    checks_.resize(pairs_.size());
    FillQuestions fill{pairIds, newPairs, repeated, okurigana};
    if (checkThreads > 1) {
      if (!questionThreads_) questionThreads_ = std::make_unique<PartThreads>(checkThreads - 1);
      askAhead(s, fill, *check, *questionThreads_);
    }
    const std::uint32_t keyOkBits = itemVerdictBits(ItemFindings{.keyOk = true});
    for (std::uint32_t i = 0; i < n; ++i) {
      if (i + Ahead < n) __builtin_prefetch(&checks_[pairIds[i + Ahead]]);
      // most occurrences are of a pair the key alone confirms, with no ！ to find
      if (const PairChecks& p = checks_[pairIds[i]]; p.keyVerdict == 2 && noNearMissWhenConfirmed(p))
        s.items[i].flags |= keyOkBits;
      else
        s.items[i].flags |= verdictBits(s, s.items[i], pairIds[i], okurigana[i], *check, repeated[i]);
    }
  }
  items_ += s.itemCount;
}

void runOnThreads(std::size_t count, unsigned threads, const std::function<void(std::size_t)>& part) {
  std::atomic<std::size_t> next{0};
  auto take = [&] {
    for (std::size_t i = next++; i < count; i = next++) part(i);
  };
  std::vector<std::thread> helpers;
  try {
    for (unsigned t = 1; t < std::min<std::size_t>(threads, count); ++t) helpers.emplace_back(take);
  } catch (const std::system_error&) {
    // no more threads: the ones started and this one take every part
  }
  take();
  for (std::thread& helper : helpers) helper.join();
}

PartThreads::PartThreads(unsigned helpers) {
  try {
    for (unsigned t = 0; t < helpers; ++t) threads_.emplace_back([this] { help(); });
  } catch (const std::system_error&) {
    // no more threads: the ones started and the caller take every part
  }
}

PartThreads::~PartThreads() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    ending_ = true;
  }
  wake_.notify_all();
  for (std::thread& t : threads_) t.join();
}

bool PartThreads::take(std::uint32_t run, std::size_t count, std::size_t& index) {
  std::uint64_t next = next_.load();
  do {
    if (next >> 32 != run || (next & 0xFFFFFFFFu) >= count) return false;
  } while (!next_.compare_exchange_weak(next, next + 1));
  index = next & 0xFFFFFFFFu;
  return true;
}

void PartThreads::finishOne(std::size_t count) {
  if (finished_.fetch_add(1) + 1 == count) {
    std::lock_guard<std::mutex> lock(mutex_);  // the caller may be about to wait
    done_.notify_all();
  }
}

void PartThreads::help() {
  std::uint32_t seen = 0;
  for (;;) {
    std::unique_lock<std::mutex> lock(mutex_);
    wake_.wait(lock, [&] { return ending_ || run_ != seen; });
    if (ending_) return;
    seen = run_;
    const std::function<void(std::size_t)>& part = *part_;
    const std::size_t count = count_;
    lock.unlock();
    // part stays valid while a part of this run is taken and unfinished: the run waits for it
    for (std::size_t index; take(seen, count, index);) {
      part(index);
      finishOne(count);
    }
  }
}

void PartThreads::run(std::size_t count, const std::function<void(std::size_t)>& part) {
  if (count == 0) return;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    part_ = &part;
    count_ = count;
    finished_ = 0;
    ++run_;
    next_ = std::uint64_t{run_} << 32;
  }
  if (!threads_.empty()) wake_.notify_all();
  for (std::size_t index; take(run_, count, index);) {
    part(index);
    finishOne(count);
  }
  std::unique_lock<std::mutex> lock(mutex_);
  done_.wait(lock, [&] { return finished_.load() == count; });
}

namespace {
// Questions a thread takes at a time: enough that taking them costs nothing beside asking.
constexpr std::size_t QuestionsPerPart = 64;

// Asks the questions [first, end) for each part of those below count, on the threads.
void askInParts(std::size_t count, PartThreads& threads, const std::function<void(std::size_t, std::size_t)>& part) {
  threads.run((count + QuestionsPerPart - 1) / QuestionsPerPart, [&](std::size_t p) {
    part(p * QuestionsPerPart, std::min(count, (p + 1) * QuestionsPerPart));
  });
}

// Asks question(q) for q below count on the threads.
void askAll(std::size_t count, PartThreads& threads, const std::function<void(std::size_t)>& question) {
  askInParts(count, threads, [&](std::size_t first, std::size_t end) {
    for (std::size_t q = first; q < end; ++q) question(q);
  });
}
}  // namespace

namespace {
// Keeps the first of each distinct question among the entries, in the entries' order; questionOf
// names an entry's question (equal for the entries that share one).
template <class Entry, class QuestionOf>
void keepFirstOfEach(std::vector<Entry>& entries, QuestionOf questionOf) {
  std::stable_sort(entries.begin(), entries.end(),
                   [&](const Entry& a, const Entry& b) { return questionOf(a) < questionOf(b); });
  entries.erase(std::unique(entries.begin(), entries.end(),
                            [&](const Entry& a, const Entry& b) { return questionOf(a) == questionOf(b); }),
                entries.end());
}
}  // namespace

// The fill's questions asked on the threads before its items take their verdicts, each distinct
// one once, and stored where verdictBits keeps its answers, so that it asks little more: the
// key alone of each new pair, with the ！ and 候補 answers of a key with counted readings (a key
// without them has none to find); then each new okurigana of the pairs the key alone does not
// confirm that the key's own entries do not answer; then, of the pairs with an occurrence still
// unconfirmed, whether the ruby is composed (for each kind of book those occurrences stand in).
// What is left to verdictBits is the ！ and 候補 of the few keys that one look-up does not
// answer for (a key ending in hiragana).
void LibraryResult::askAhead(const ResultStore& s, FillQuestions& fill, const ReadingSource& check,
                             PartThreads& threads) {
  const std::vector<std::uint32_t>& pairIds = fill.pairIds;
  std::vector<std::unique_ptr<KeyAnswers>> keyAnswers(fill.newPairs.size());
  // A part's keys are converted first and their first reads begun, then looked up: most keys are
  // in no dictionary, and the filter that says so is a wait for memory that they now share.
  askInParts(fill.newPairs.size(), threads, [&](std::size_t first, std::size_t end) {
    std::vector<std::u16string> keys;
    keys.reserve(end - first);
    for (std::size_t q = first; q < end; ++q) {
      keys.push_back(cp932ToUtf16(text(s, s.items[fill.newPairs[q]].keyId)));
      if (check.provider) check.provider->prefetchKeyEntries(keys.back());
    }
    for (std::size_t q = first; q < end; ++q) {
      const RubyItem& item = s.items[fill.newPairs[q]];
      askKey(s, check, item, &keys[q - first], checks_[pairIds[fill.newPairs[q]]], keyAnswers[q]);
    }
  });
  for (std::size_t q = 0; q < keyAnswers.size(); ++q)
    if (keyAnswers[q]) keepKeyAnswers(pairIds[fill.newPairs[q]], *keyAnswers[q]);
  std::vector<std::uint32_t> unconfirmed;    // the items the key alone does not confirm
  std::vector<std::uint32_t> withOkurigana;  // of them, those with okurigana to ask
  for (std::uint32_t i = 0; i < pairIds.size(); ++i) {
    if (i + Ahead < pairIds.size()) __builtin_prefetch(&checks_[pairIds[i + Ahead]]);
    if (checks_[pairIds[i]].keyVerdict != 1) continue;
    unconfirmed.push_back(i);
    if (text(s, s.items[i].okuriganaId)[0] == 0) continue;
    // most are answered by the key's own entries at once; the others are asked, and kept
    ReadingMatch byKey;
    if (okuriganaAnswerOfKey(s, s.items[i], keyFactsOf(checks_[pairIds[i]]), byKey)) fill.okurigana[i] = answerOf(byKey);
    else withOkurigana.push_back(i);
  }
  // Each distinct okurigana of the fill (its id in the store) interned once, then each item's
  // answer found; each table's slots fetched a few entries ahead.
  constexpr std::uint32_t NotSeen = UINT32_MAX;
  constexpr std::uint32_t Seen = UINT32_MAX - 1;  // until interned below
  std::vector<std::uint32_t> interned(s.strings.count, NotSeen);
  std::vector<std::uint16_t> distinct;
  for (const std::uint32_t i : withOkurigana) {
    std::uint32_t& id = interned[s.items[i].okuriganaId];
    if (id == NotSeen) distinct.push_back(s.items[i].okuriganaId);
    id = Seen;
  }
  std::vector<std::uint32_t> hashes(distinct.size());
  for (std::size_t d = 0; d < distinct.size(); ++d) hashes[d] = LibraryStrings::hash(text(s, distinct[d]));
  strings_.makeRoom(static_cast<std::uint32_t>(distinct.size()));
  for (std::size_t d = 0; d < distinct.size(); ++d) {
    if (d + Ahead < distinct.size()) strings_.prefetch(hashes[d + Ahead]);
    interned[distinct[d]] = strings_.intern(text(s, distinct[d]), hashes[d]);
  }
  // each item's answer where okuriganaAnswers_ keeps it, and the first item of each new question
  std::vector<std::uint8_t*> answers(withOkurigana.size());
  std::vector<std::uint32_t> okuriganaQuestions;  // the first item of each new one, by its place in withOkurigana
  for (std::size_t k = 0; k < withOkurigana.size(); ++k) {
    if (k + Ahead < withOkurigana.size()) {
      const std::uint32_t ahead = withOkurigana[k + Ahead];
      okuriganaAnswers_.prefetch(pairIds[ahead], interned[s.items[ahead].okuriganaId]);
    }
    const std::uint32_t i = withOkurigana[k];
    bool added = false;
    answers[k] = &okuriganaAnswers_.of(pairIds[i], interned[s.items[i].okuriganaId], added);
    if (added) okuriganaQuestions.push_back(static_cast<std::uint32_t>(k));
  }
  askAll(okuriganaQuestions.size(), threads, [&](std::size_t q) {
    const std::uint32_t k = okuriganaQuestions[q];
    *answers[k] = okuriganaAnswer(s, check, s.items[withOkurigana[k]], pairIds[withOkurigana[k]]);
  });
  // read once here: the passes below find each answer beside its item
  for (std::size_t k = 0; k < withOkurigana.size(); ++k) fill.okurigana[withOkurigana[k]] = *answers[k];
  auto composedOf = [&](std::uint32_t i) -> std::uint8_t& {
    return checks_[pairIds[i]].composed[inBookWithoutSmallKana(s.items[i])];
  };
  std::erase_if(unconfirmed, [&](std::uint32_t i) {
    return fill.okurigana[i] == 2 || composedOf(i) != 0;
  });
  // one question a pair and kind of book, by its first unconfirmed occurrence
  keepFirstOfEach(unconfirmed, [&](std::uint32_t i) {
    return static_cast<std::uint64_t>(pairIds[i]) << 1 | (inBookWithoutSmallKana(s.items[i]) ? 1 : 0);
  });
  askAll(unconfirmed.size(), threads, [&](std::size_t q) {
    if (check.kanji && q + 1 < unconfirmed.size()) check.kanji->prefetch(text(s, s.items[unconfirmed[q + 1]].keyId));
    composedOf(unconfirmed[q]) = composedBit(s, check, s.items[unconfirmed[q]]) ? 2 : 1;
  });
}

std::vector<std::uint32_t> LibraryResult::sharingPairs(const Settings& s) const {
  std::vector<std::uint32_t> sharing;
  if (s.hideKeyRuby != SameKeyItems && s.hideKeyRuby != SameRubyItems) return sharing;
  const bool byKey = s.hideKeyRuby == SameKeyItems;
  auto textOf = [&](const LibraryPair& p) { return byKey ? key(p) : ruby(p); };
  // The pairs are distinct, so the pairs that share a key are its distinct rubies, and the other way round.
  std::unordered_map<std::string_view, std::uint32_t> pairsOf;
  pairsOf.reserve(pairs_.size());
  for (std::size_t i = 0; i < pairs_.size(); ++i) ++pairsOf[textOf(pairs_[i])];
  sharing.reserve(pairs_.size());
  for (std::size_t i = 0; i < pairs_.size(); ++i) sharing.push_back(pairsOf[textOf(pairs_[i])]);
  return sharing;
}

bool LibraryResult::shown(std::size_t pair, const Settings& s, const std::vector<std::uint32_t>& sharing) const {
  if (!sharing.empty() && sharing[pair] <= 1) return false;
  const LibraryPair& p = pairs_[pair];
  if (!passesLengthFilter(s.keyLengthFilter, key(p).data())) return false;
  return passesLengthFilter(s.rubyLengthFilter, ruby(p).data());
}

namespace {

// A ruby the check could confirm: one the normalisation of readings leaves as it is.
bool normalised(const char* ruby) {
  const std::size_t length = std::strlen(ruby);
  std::vector<char> wide(2 * length + 1);
  widenHalfWidth(ruby, wide.data(), static_cast<std::uint32_t>(wide.size()));
  katakanaToHiragana(wide.data());
  return std::strcmp(wide.data(), ruby) == 0;
}

// A reading of kana alone: hiragana, ー, ゝ ゞ, ヴ ヵ ヶ. Notes and repeat marks inside 《》
// （わら）, ／＼ make no reading.
bool allKana(const char* ruby) {
  for (const unsigned char* p = reinterpret_cast<const unsigned char*>(ruby); *p; p += 2) {
    if (p[1] == 0) return false;
    const unsigned c = p[0] << 8 | p[1];
    const bool kana = isHiragana(c) || c == 0x815B || c == 0x8154 || c == 0x8155 ||
                      (c >= 0x8394 && c <= 0x8396);
    if (!kana) return false;
  }
  return true;
}

// A key a dictionary line can hold as a candidate: not empty, no '/' nor ';' (the candidate's
// end and its annotation), not starting as a block or a program does, every character decodable.
bool holdableKey(const std::string& utf8) {
  if (utf8.empty() || utf8.find_first_of("/;\r\n") != std::string::npos) return false;
  if (utf8[0] == '[' || utf8[0] == '(') return false;
  return decodeUtf8(utf8).find(u'\xFFFD') == std::u16string::npos;
}

}  // namespace

std::string LibraryResult::dictionaryText(std::uint32_t minFolders, DictionaryFigures& figures) const {
  figures = {};
  // reading (with the letter for okuri-ari) -> keys
  struct Line {
    std::string head;
    bool okuri;
    std::vector<std::string> keys;  // each with its count of books, "key;N"
  };
  std::unordered_map<std::string, std::size_t> lineOf;
  std::vector<Line> lines;
  for (const auto& [entry, count] : folderCounts_) {
    ++figures.pairsRead;
    if (count.folders < minFolders) continue;
    const LibraryPair& p = pairs_[entry >> 8];
    const char letter = static_cast<char>(entry & 0xFF);
    if (ruby(p).empty() || !normalised(ruby(p).data()) || !allKana(ruby(p).data())) continue;
    const std::string key = cp932ToUtf8(std::string(this->key(p)));
    if (!holdableKey(key)) continue;
    std::string head = cp932ToUtf8(std::string(ruby(p)));
    if (letter) head += letter;
    const auto [at, isNew] = lineOf.try_emplace(head, lines.size());
    if (isNew) lines.push_back({head, letter != 0, {}});
    lines[at->second].keys.push_back(key + ';' + std::to_string(pairFolders_[entry >> 8].folders));
    ++figures.pairsWritten;
  }
  std::sort(lines.begin(), lines.end(), [](const Line& a, const Line& b) {
    if (a.okuri != b.okuri) return a.okuri;
    return a.okuri ? a.head > b.head : a.head < b.head;
  });
  std::string out = ";; -*- coding: utf-8 -*-\n;; okuri-ari entries.\n";
  bool nasi = false;
  for (Line& line : lines) {
    if (!line.okuri && !nasi) {
      out += ";; okuri-nasi entries.\n";
      nasi = true;
    }
    std::sort(line.keys.begin(), line.keys.end());
    out += line.head;
    out += " /";
    for (const std::string& key : line.keys) {
      out += key;
      out += '/';
    }
    out += '\n';
  }
  if (!nasi) out += ";; okuri-nasi entries.\n";
  return out;
}

namespace {
// The mark of the pair's row: as one item's for a pair seen once, the group's otherwise.
const char* pairMark(const LibraryPair& p, const PairChecks& c) {
  return verdictText(
      verdictOf(pairVerdictBits({c.keyVerdict == 2, p.count, c.confirmed, (c.composed[0] | c.composed[1]) == 2,
                                 c.nearMisses > 0, c.ownReading}),
                true));
}
}  // namespace

namespace {
// Writes into room made beforehand for the whole line: no check of the room per character.
struct LineWriter {
  char* at;
  void put(std::string_view text) {
    std::memcpy(at, text.data(), text.size());
    at += text.size();
  }
  void put(char c) { *at++ = c; }
  void number(std::int64_t n) { at = std::to_chars(at, at + MaxDigits, n).ptr; }
  static constexpr std::size_t MaxDigits = 20;
};
}  // namespace

void LibraryResult::appendPairLines(std::size_t first, std::size_t end, bool checked, bool suggest,
                                    const Settings& conditions,
                                    const std::vector<std::uint32_t>& sharing, std::vector<char>& out) const {
  out.clear();
  for (std::size_t i = first; i < end; ++i) {
    if (!shown(i, conditions, sharing)) continue;
    const LibraryPair& p = pairs_[i];
    const std::string_view key = this->key(p);
    const std::string_view ruby = this->ruby(p);
    std::string_view okurigana, name, folder;
    if (p.count == 1) {  // a pair seen once shows where
      const LibraryFile& f = files_[p.file];
      okurigana = this->okurigana(p);
      name = f.name;
      folder = f.folder;
    }
    constexpr std::size_t Separators = 12;  // nine tabs, CR LF, and a little
    constexpr std::size_t MarkBytes = 2;
    const char* mark = checked ? pairMark(p, checks_[i]) : "";
    const Verdict verdict = verdictOfMark(mark);
    const std::uint32_t kept = checked ? checks_[i].suggestion : 0;
    const bool suggested = (verdict == Verdict::Unconfirmed || verdict == Verdict::NearMiss) && kept != 0;
    const std::string_view suggestion = suggest && suggested ? strings_.text(kept - 1) : std::string_view();
    const std::size_t room = 4 * LineWriter::MaxDigits + Separators + MarkBytes + key.size() + ruby.size() +
                             okurigana.size() + name.size() + folder.size() + suggestion.size();
    const std::size_t used = out.size();
    out.resize(used + room);
    LineWriter w{out.data() + used};
    w.number(static_cast<std::int64_t>(i + 1));
    w.put('\t');
    w.number(p.count);
    w.put('\t');
    w.put(key);
    w.put('\t');
    w.put(ruby);
    if (p.count == 1) {
      w.put('\t');
      w.put(okurigana);
      w.put('\t');
      w.put(name);
      w.put('\t');
      w.put(folder);
      w.put('\t');
      w.number(p.line);
      w.put('\t');
      w.number(p.column);
      w.put('\t');
    } else {
      w.put("\t\t\t\t\t\t");
    }
    w.put(mark);
    if (suggest) {
      w.put('\t');
      w.put(suggestion);
    }
    w.put("\r\n");
    out.resize(static_cast<std::size_t>(w.at - out.data()));
  }
}

void LibraryResult::writeGrouped(const Settings& conditions, bool checked, bool suggest, unsigned threads,
                                 const std::function<void(std::string_view)>& write) const {
  std::string header;
  for (int c = 0; c < ColumnCount; ++c) {
    if (c) header += '\t';
    header += resultColumns[c].header;
  }
  if (suggest) {
    header += '\t';
    header += SuggestionHeader;
  }
  header += "\r\n";
  write(header);
  // A library's view is tens of megabytes: it is made in parts, several at once, and each part
  // is written as soon as the ones before it are.
  constexpr std::size_t PartPairs = 1 << 15;
  const std::vector<std::uint32_t> sharing = sharingPairs(conditions);
  std::vector<std::vector<char>> parts(std::max(threads, 1u));
  for (std::size_t first = 0; first < pairs_.size(); first += PartPairs * parts.size()) {
    runOnThreads(parts.size(), threads, [&](std::size_t part) {
      const std::size_t from = std::min(pairs_.size(), first + part * PartPairs);
      appendPairLines(from, std::min(pairs_.size(), from + PartPairs), checked, suggest, conditions, sharing,
                      parts[part]);
    });
    for (const std::vector<char>& part : parts) write({part.data(), part.size()});
  }
}

}  // namespace obel
