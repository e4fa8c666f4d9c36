#include "engine/store.h"

#include <cstdlib>
#include <cstring>
#include <new>
#include <string_view>

#include "engine/sjis.h"

namespace obel {

namespace {
constexpr std::uint32_t IndexMask = (1u << 17) - 1;
// An index entry holds the id in its low bits and, above them, 15 bits of the mixed hash that its
// slot number does not use: a probe rules out nearly every other string without reading its
// hash or its text (the index stays in the cache; the texts and hashes are far apart).
constexpr unsigned IdBits = 16;
constexpr unsigned TagShift = 17;  // the slot takes the mixed hash's low 17 bits
static_assert(MaxStringIds <= 1u << IdBits && (1u << 17) - 1 == IndexMask);
std::int32_t indexEntry(std::uint32_t mixed, std::uint32_t id) {
  return static_cast<std::int32_t>((mixed >> TagShift) << IdBits | id);  // 31 bits: never negative
}
constexpr std::uint32_t PairMask = (1u << 16) - 1;

std::uint32_t mix(std::uint32_t h) {
  h ^= h >> 16;
  h *= 0x7FEB352Du;
  h ^= h >> 15;
  return h;
}
}  // namespace

ResultStore* newResultStore() {
  // calloc: the pages of a store are only touched as far as a search fills them
  auto* s = static_cast<ResultStore*>(std::calloc(1, sizeof(ResultStore)));
  if (!s) return nullptr;
  new (&s->searchRunning) std::atomic<bool>(false);
  clear(*s);
  return s;
}

void deleteResultStore(ResultStore* s) {
  if (!s) return;
  clear(*s);
  std::free(s);
}

ResultStore& process::store() {
  static ResultStore* instance = [] {
    ResultStore* s = newResultStore();
    if (!s) std::abort();
    return s;
  }();
  return *instance;
}

namespace {
// stringHash() of the text, and its length, in one pass.
std::uint32_t hashAndLength(const char* text, std::size_t& length) {
  std::uint32_t h = 0xFFFFFFFFu;
  const unsigned char* p = reinterpret_cast<const unsigned char*>(text);
  for (;;) {
    h = (h << 9) | (h >> 23);
    h ^= *p;
    if (*p == 0) break;
    ++p;
  }
  length = static_cast<std::size_t>(p - reinterpret_cast<const unsigned char*>(text));
  return h;
}
}  // namespace

std::uint32_t stringHash(const char* text) {
  std::size_t length = 0;
  return hashAndLength(text, length);
}

void clear(ResultStore& s) {
  FileRecord* r = s.files;
  while (r) {
    FileRecord* next = r->next;
    freeFileRecord(r);
    r = next;
  }
  s.files = nullptr;
  s.itemCount = 0;
  s.strings.count = 0;
  s.strings.writePosition = 0;
  s.stringsExhausted = false;
  std::memset(s.suggestionAt, 0, sizeof s.suggestionAt);
  s.suggestionBytes = 0;
  s.lastSuggestionAt = 0;
  std::memset(s.strings.index, 0xFF, sizeof s.strings.index);
}

std::uint32_t intern(ResultStore& s) {
  StringTable& t = s.strings;
  const char* candidate = t.pool + t.writePosition;
  std::size_t length = 0;
  const std::uint32_t h = hashAndLength(candidate, length);
  const std::uint32_t mixed = mix(h);
  const std::uint32_t tag = mixed >> TagShift;
  std::uint32_t slot = mixed & IndexMask;
  for (; t.index[slot] >= 0; slot = (slot + 1) & IndexMask) {
    const std::uint32_t entry = static_cast<std::uint32_t>(t.index[slot]);
    if (entry >> IdBits != tag) continue;
    const std::uint32_t id = entry & ((1u << IdBits) - 1);
    if (t.hash[id] == h && std::memcmp(t.text[id], candidate, length + 1) == 0) return id;
  }
  if (t.count >= MaxStringIds || t.count >= MaxStrings || length + 1 > poolFree(s)) {
    s.stringsExhausted = true;
    return NoString;
  }
  const std::uint32_t id = t.count++;
  t.hash[id] = h;
  t.text[id] = candidate;
  t.index[slot] = indexEntry(mixed, id);
  t.writePosition += static_cast<std::uint32_t>(length + 1);
  return id;
}

std::uint32_t internText(ResultStore& s, const char* text) {
  const std::size_t length = std::strlen(text);
  if (length + 1 > poolFree(s)) {
    s.stringsExhausted = true;
    return NoString;
  }
  std::memcpy(poolCursor(s), text, length + 1);
  return intern(s);
}

FileRecord* findFile(const ResultStore& s, const char* path) {
  for (FileRecord* r = s.files; r; r = r->next)
    if (std::strcmp(r->path, path) == 0) return r;
  return nullptr;
}

void deriveFolderAndName(FileRecord& record) {
  const std::ptrdiff_t slash = findLastBackslash(record.path);
  if (slash < 0) {
    record.folder[0] = '\0';
    record.name = record.path;
    return;
  }
  std::ptrdiff_t cut = slash;
  if (slash > 0 && record.path[slash - 1] == ':') cut = slash + 1;  // "C:\" keeps its backslash
  std::memcpy(record.folder, record.path, static_cast<std::size_t>(cut));
  record.folder[cut] = '\0';
  record.name = record.path + slash + 1;
}

FileRecord* newFileRecord(const char* path) {
  const std::size_t length = std::strlen(path);
  if (length >= PathBytes) return nullptr;
  auto* r = static_cast<FileRecord*>(std::calloc(1, sizeof(FileRecord)));
  if (!r) return nullptr;
  std::memcpy(r->path, path, length + 1);
  deriveFolderAndName(*r);
  return r;
}

void freeFileRecord(FileRecord* record) { std::free(record); }

namespace {

// A book's rubies are counted by the small kana ぁぃぅぇぉ っ ゃゅょ; ゎ is not among them.
constexpr unsigned SmallWa = 0x82EC;  // ゎ

bool holdsSmallHiragana(const char* text) {
  for (const unsigned char* p = reinterpret_cast<const unsigned char*>(text); *p != 0; ++p) {
    if (!isLeadByte(*p) || p[1] == 0) continue;
    const unsigned code = p[0] * 256u + p[1];
    ++p;
    if (largeKana(code) != code && code != SmallWa) return true;
  }
  return false;
}

}  // namespace

bool holdsHistoricalKana(const char* ruby) {
  auto hiragana = [](const unsigned char* p) -> char16_t {
    const unsigned code = p[0] * 256u + p[1];
    return isHiragana(code) ? utf16OfHiragana(code) : 0;
  };
  static constexpr std::u16string_view BeforeU = u"あかがさざただなはばぱまやらわえけげせぜてでねへべぺめれ";
  char16_t previous = 0;
  for (const unsigned char* p = reinterpret_cast<const unsigned char*>(ruby); *p != 0; ++p) {
    if (!isLeadByte(*p) || p[1] == 0) {
      previous = 0;
      continue;
    }
    const char16_t c = hiragana(p);
    ++p;
    if (c == u'ゐ' || c == u'ゑ' || (c == u'を' && p - 1 != reinterpret_cast<const unsigned char*>(ruby))) return true;
    if (c == u'う' && previous != 0 && BeforeU.find(previous) != std::u16string_view::npos) return true;
    previous = c;
  }
  return false;
}

void addFile(ResultStore& s, FileRecord* record) {
  record->smallKanaRubies = 0;
  record->historicalKanaRubies = 0;
  for (std::uint32_t i = 0; i < record->itemCount; ++i) {
    const char* ruby = text(s, record->firstItem[i].rubyId);
    record->smallKanaRubies += holdsSmallHiragana(ruby);
    record->historicalKanaRubies += holdsHistoricalKana(ruby);
  }
  record->next = s.files;
  s.files = record;
  s.itemCount += record->itemCount;
}

void markRepeatedPairs(ResultStore& s) {
  // The first occurrence of each pair is found through a hash of the pairs seen so far,
  // which gives the same j as the scan of pairIndex for the lowest equal entry.
  std::memset(s.pairFirst, 0xFF, sizeof s.pairFirst);
  for (std::uint32_t i = 0; i < s.itemCount; ++i) {
    RubyItem& item = s.items[i];
    const std::uint32_t p = item.keyId | (static_cast<std::uint32_t>(item.rubyId) << 16);
    std::uint32_t slot = mix(p) & PairMask;
    for (; s.pairFirst[slot] >= 0; slot = (slot + 1) & PairMask) {
      const std::int32_t j = s.pairFirst[slot];
      if (s.pairIndex[j] == p) break;
    }
    if (s.pairFirst[slot] >= 0) {
      RubyItem& first = s.items[s.pairFirst[slot]];
      item.flags = PairShared | PairRepeat;
      first.flags |= PairShared;
      ++first.groupSize;
      item.number = first.groupSize;
    } else {
      s.pairFirst[slot] = static_cast<std::int32_t>(i);
    }
    s.pairIndex[i] = p;
  }
}

void countDistinctPairs(ResultStore& s) {
  std::memset(s.rubiesPerKey, 0, sizeof s.rubiesPerKey);
  std::memset(s.keysPerRuby, 0, sizeof s.keysPerRuby);
  std::uint16_t n = 1;
  for (std::uint32_t i = 0; i < s.itemCount; ++i) {
    RubyItem& item = s.items[i];
    if (item.flags & PairRepeat) continue;
    item.number = n++;
    ++s.rubiesPerKey[item.keyId];
    ++s.keysPerRuby[item.rubyId];
  }
}

void setSuggestion(ResultStore& s, const RubyItem& item, const char* reading) {
  if (&item < s.items || &item >= s.items + MaxItems || reading[0] == 0) return;
  std::uint32_t& at = s.suggestionAt[&item - s.items];
  // The text stored last, when it is the same, is shared: a pair's occurrences get one copy.
  if (s.lastSuggestionAt != 0 && std::strcmp(s.suggestionPool + s.lastSuggestionAt - 1, reading) == 0) {
    at = s.lastSuggestionAt;
    return;
  }
  const std::size_t length = std::strlen(reading);
  if (length + 1 > SuggestionPoolBytes - s.suggestionBytes) return;
  std::memcpy(s.suggestionPool + s.suggestionBytes, reading, length + 1);
  at = s.lastSuggestionAt = s.suggestionBytes + 1;
  s.suggestionBytes += static_cast<std::uint32_t>(length + 1);
}

const char* suggestion(const ResultStore& s, const RubyItem& item) {
  if (&item < s.items || &item >= s.items + MaxItems) return "";
  const std::uint32_t at = s.suggestionAt[&item - s.items];
  return at == 0 || at > s.suggestionBytes ? "" : s.suggestionPool + at - 1;
}

std::uint32_t itemVerdictBits(const ItemFindings& found) {
  if (found.keyOk) return RevConvDone | RevConvKeyOk | (found.nearMiss ? RevConvNearMiss : 0);
  if (found.okuriOk) return RevConvDone | RevConvOkuriOk | (found.nearMiss ? RevConvNearMiss : 0);
  if (found.composed) return RevConvDone | RevConvComposed | (found.nearMiss ? RevConvNearMiss : 0);
  return RevConvDone;  // a ×: nothing to be near
}

std::uint32_t pairVerdictBits(const PairFindings& found) {
  const std::uint32_t nearMiss = found.nearMiss ? RevConvGroupNearMiss : 0;
  if (found.keyOk) return RevConvGroupDone | RevConvGroupAllOk | RevConvKeyOk | nearMiss;
  if (found.confirmed >= found.occurrences) return RevConvGroupDone | RevConvGroupAllOk | nearMiss;
  if (found.confirmed > 0) return RevConvGroupDone | RevConvGroupSomeOk | nearMiss;
  if (found.composed) return RevConvGroupDone | RevConvComposed | nearMiss;
  if (found.ownReading) return RevConvGroupDone | RevConvGroupOwnReading | nearMiss;
  return RevConvGroupDone;
}

Verdict verdictOf(std::uint32_t f, bool asPair) {
  if (!(f & (asPair ? RevConvGroupDone : RevConvDone))) return Verdict::Unchecked;
  const bool confirmed = f & (RevConvKeyOk | (asPair ? RevConvGroupAllOk | RevConvGroupSomeOk : RevConvOkuriOk));
  if (!confirmed && !(f & (RevConvComposed | (asPair ? RevConvGroupOwnReading : 0)))) return Verdict::Unconfirmed;
  if (f & (asPair ? RevConvGroupNearMiss : RevConvNearMiss)) return Verdict::NearMiss;
  if (f & RevConvKeyOk) return Verdict::KeyOk;
  if (f & (asPair ? RevConvGroupAllOk : RevConvOkuriOk)) return Verdict::OkuriOk;
  if (asPair && (f & RevConvGroupSomeOk)) return Verdict::Partly;
  return Verdict::Composed;
}

namespace {
// By Verdict.
constexpr const char* VerdictTexts[] = {"", "◎", "○", "△", "？", "！", "×"};
constexpr std::size_t VerdictCount = sizeof VerdictTexts / sizeof VerdictTexts[0];
}  // namespace

const char* verdictText(Verdict verdict) {
  const auto at = static_cast<std::size_t>(verdict);
  return at < VerdictCount ? VerdictTexts[at] : "";
}

Verdict verdictOfMark(const char* mark) {
  for (std::size_t at = 1; at < VerdictCount; ++at)
    if (std::strncmp(mark, VerdictTexts[at], std::strlen(VerdictTexts[at])) == 0) return static_cast<Verdict>(at);
  return Verdict::Unchecked;
}

const char* verdictMark(const RubyItem& item, bool asPair) { return verdictText(verdictOf(item.flags, asPair)); }

int progressStep(std::uint32_t itemCount) {
  return itemCount <= 128 ? 1 : static_cast<int>(itemCount / 128);
}

}  // namespace obel
