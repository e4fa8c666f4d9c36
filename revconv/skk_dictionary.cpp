// The SKK dictionary provider: parsing, the two indexes and the look-up.
#include "revconv/skk_dictionary.h"

#include <algorithm>
#include <bit>
#include <cstdio>
#include <cstring>
#include <system_error>
#include <thread>

#include "engine/large_pages.h"
#include "revconv/text_codec.h"

namespace obel {

namespace {

// Romaji initials of the hiragana U+3041 (ぁ) to U+3093 (ん).
constexpr const char* KanaInitials[LastHiraganaUtf16 - FirstHiraganaUtf16 + 1] = {
    "a", "a", "i", "i", "u", "u", "e", "e", "o", "o",                        // ぁ-お
    "k", "g", "k", "g", "k", "g", "k", "g", "k", "g",                        // か-ご
    "s", "z", "s", "jz", "s", "z", "s", "z", "s", "z",                       // さ-ぞ
    "t", "d", "tc", "d", "t", "t", "d", "t", "d", "t", "d",                  // た-ど
    "n", "n", "n", "n", "n",                                                 // な-の
    "h", "b", "p", "h", "b", "p", "hf", "b", "p", "h", "b", "p", "h", "b", "p",  // は-ぽ
    "m", "m", "m", "m", "m",                                                 // ま-も
    "y", "y", "y", "y", "y", "y",                                            // ゃ-よ
    "r", "r", "r", "r", "r",                                                 // ら-ろ
    "w", "w", "w", "w", "wo", "n",                                           // ゎ-ん
};


// One JIS X 0208 character (both bytes 0xA1-0xFE in EUC-JP) as its CP932 bytes.
char* jisToSjis(unsigned char b1, unsigned char b2, char* out) {
  const unsigned j1 = b1 - 0x80u;
  const unsigned j2 = b2 - 0x80u;
  const unsigned s1 = ((j1 + 1) >> 1) + (j1 <= 0x5E ? 0x70 : 0xB0);
  unsigned s2;
  if (j1 & 1) s2 = j2 + (j2 >= 0x60 ? 0x20 : 0x1F);
  else s2 = j2 + 0x7E;
  *out++ = static_cast<char>(s1);
  *out++ = static_cast<char>(s2);
  return out;
}

// Candidate texts are hashed with FNV-1a over their UTF-16 units, then mixed. The state after
// each unit is the state of that prefix, so one pass over a text gives the state of every
// prefix; and as the multiplier is odd, a step can be undone, so the okuri-ari look-up walks
// from the longest prefix down without hashing anything again.
constexpr std::uint32_t FnvBasis = 2166136261u;
constexpr std::uint32_t FnvPrime = 16777619u;
constexpr std::uint32_t inverseOf(std::uint32_t odd) {
  std::uint32_t inverse = odd;  // right in the lowest 3 bits; each step doubles the right bits
  for (int step = 0; step < 4; ++step) inverse *= 2 - odd * inverse;
  return inverse;
}
constexpr std::uint32_t FnvPrimeInverse = inverseOf(FnvPrime);
static_assert(FnvPrime * FnvPrimeInverse == 1);

constexpr std::uint32_t fnvStep(std::uint32_t state, char16_t unit) { return (state ^ unit) * FnvPrime; }
constexpr std::uint32_t fnvUnstep(std::uint32_t state, char16_t unit) { return (state * FnvPrimeInverse) ^ unit; }

// The hash of a text from its FNV state: every bit of the state reaches the low bits, which
// pick the slot, and the high bits, which pick the filter's word.
constexpr std::uint32_t mixed(std::uint32_t state) {
  state ^= state >> 16;
  state *= 0x85EBCA6Bu;
  state ^= state >> 13;
  state *= 0xC2B2AE35u;
  state ^= state >> 16;
  return state;
}

std::uint32_t fnvState(std::u16string_view text) {
  std::uint32_t state = FnvBasis;
  for (const char16_t unit : text) state = fnvStep(state, unit);
  return state;
}

std::uint32_t candidateHash(std::u16string_view text) { return mixed(fnvState(text)); }

// The filter gives a candidate this many bits of its own on average, two of them set.
constexpr std::size_t FilterBitsPerKey = 16;
// The two bits a hash sets in its word of the filter.
constexpr std::uint64_t filterBits(std::uint32_t hash) { return 1ull << (hash & 63) | 1ull << (hash >> 6 & 63); }
// The word of a filter of words words a hash picks, from its high bits.
constexpr std::size_t filterWord(std::uint32_t hash, std::size_t words) {
  return static_cast<std::size_t>((static_cast<std::uint64_t>(hash) * words) >> 32);
}

constexpr std::size_t FewestSlots = 16;  // of an empty index (a power of two)
constexpr unsigned FewestSlotsBits = 4;
constexpr std::size_t MostEntriesReserved = std::size_t{1} << 22;  // some 17 times SKK-JISYO.L's candidates

bool hasUtf8CodingLine(std::string_view bytes) {
  const std::string_view first = bytes.substr(0, bytes.find('\n'));
  std::string lower(first);
  for (char& c : lower) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
  const std::size_t at = lower.find("coding:");
  if (at == std::string::npos) return false;
  std::size_t p = at + 7;
  while (p < lower.size() && lower[p] == ' ') ++p;
  return lower.compare(p, 5, "utf-8") == 0 || lower.compare(p, 4, "utf8") == 0;
}

}  // namespace

const char* okuriInitials(char16_t kana) { return isHiraganaUtf16(kana) ? KanaInitials[kana - FirstHiraganaUtf16] : ""; }

std::u16string decodeEucJp(std::string_view line) {
  // Converted through CP932, which holds every JIS X 0208 character and the half-width kana; no
  // character takes more bytes there than in EUC-JP.
  thread_local std::string sjis;  // kept for the next line: a dictionary is decoded a line at a time
  sjis.resize(line.size());
  char* out = sjis.data();
  const char Undecodable = '\x7F';  // a control byte no candidate contains
  for (std::size_t i = 0; i < line.size(); ++i) {
    const unsigned char b = static_cast<unsigned char>(line[i]);
    if (b < 0x80) {
      *out++ = static_cast<char>(b);
    } else if (b == 0x8E && i + 1 < line.size()) {
      *out++ = line[++i];  // half-width katakana keeps its byte
    } else if (b == 0x8F) {
      i += 2;  // JIS X 0212 has no CP932 counterpart
      *out++ = Undecodable;
    } else if (b >= 0xA1 && b <= 0xFE && i + 1 < line.size() &&
               static_cast<unsigned char>(line[i + 1]) >= 0xA1) {
      out = jisToSjis(b, static_cast<unsigned char>(line[i + 1]), out);
      ++i;
    } else {
      *out++ = Undecodable;
    }
  }
  sjis.resize(static_cast<std::size_t>(out - sjis.data()));
  std::u16string result = cp932ToUtf16(sjis.c_str());
  for (char16_t& c : result)
    if (c == 0x7F) c = 0xFFFD;
  return result;
}

bool readDictionaryFile(const char* path, std::string& bytes) {
  bytes.clear();
  std::FILE* f = std::fopen(path, "rb");
  if (!f) return false;
  // Room for the whole file at once: a dictionary of megabytes is not copied again as it grows.
  if (std::fseek(f, 0, SEEK_END) == 0) {
    if (const long size = std::ftell(f); size > 0) reserveInLargePages(bytes, static_cast<std::size_t>(size));
    std::rewind(f);
  }
  char buffer[65536];
  std::size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) bytes.append(buffer, n);
  const bool failed = std::ferror(f) != 0;
  std::fclose(f);
  if (failed) bytes.clear();
  return !failed;
}

bool SkkDictionary::load(const char* path) {
  std::string bytes;
  readDictionaryFile(path, bytes);
  loadText(bytes);
  return !bytes.empty();
}

void SkkDictionary::CandidateIndex::clear() {
  built_.slots.assign(FewestSlots, Slot{0, NoKey});
  built_.keys.clear();
  built_.entries.clear();
  built_.staged.clear();
  for (std::vector<std::uint64_t>& filter : built_.filters) filter.clear();
  built_.kanaStems.clear();
  kanaEnded_ = 0;
  viewBuilt();
}

void SkkDictionary::CandidateIndex::viewBuilt() {
  slots_ = built_.slots;
  keys_ = built_.keys;
  entries_ = built_.entries;
  for (int kind = 0; kind < 2; ++kind) filters_[kind] = built_.filters[kind];
  kanaStems_ = built_.kanaStems;
}

std::size_t SkkDictionary::CandidateIndex::slotOf(std::u16string_view pool, std::u16string_view key,
                                                  std::uint32_t hash) const {
  const std::size_t mask = slots_.size() - 1;
  for (std::size_t at = hash & mask;; at = (at + 1) & mask) {
    const Slot& slot = slots_[at];
    if (slot.key == NoKey) return at;
    if (slot.hash == hash && std::u16string_view(pool.data() + keys_[slot.key].offset, keys_[slot.key].length) == key)
      return at;
  }
}

void SkkDictionary::CandidateIndex::expect(std::size_t entries) {
  // reserved beforehand only as far as real dictionaries go: a file of slashes grows it as it comes
  reserveInLargePages(built_.staged, std::min<std::size_t>(entries, MostEntriesReserved));
}

void SkkDictionary::CandidateIndex::add(std::uint32_t offset, std::uint32_t length, std::uint32_t hash, Entry entry) {
  // Made whole first, then copied: built in place, its bit-fields would be read before they are
  // written, and a fresh page read first is mapped twice, the second time with every thread's
  // view of it flushed.
  const StagedEntry staged{hash, offset, length, 0, entry};
  built_.staged.push_back(staged);
}

namespace {

// Sorts the records by the low `bits` bits of their hash, keeping the order of equal ones: a
// radix sort, 11 bits a pass.
template <typename Record>
void sortByLowBits(std::vector<Record>& records, unsigned bits) {
  constexpr unsigned DigitBits = 11;
  std::vector<Record> sorted;
  reserveInLargePages(sorted, records.size());
  sorted.resize(records.size());
  for (unsigned shift = 0; shift < bits; shift += DigitBits) {
    const unsigned digitBits = std::min(DigitBits, bits - shift);
    const std::uint32_t digitMask = (1u << digitBits) - 1;
    std::vector<std::size_t> next((std::size_t{1} << digitBits) + 1, 0);
    for (const Record& r : records) ++next[(r.hash >> shift & digitMask) + 1];
    for (std::size_t d = 1; d < next.size(); ++d) next[d] += next[d - 1];
    for (const Record& r : records) sorted[next[r.hash >> shift & digitMask]++] = r;
    records.swap(sorted);
  }
}

}  // namespace

// The keys are made and placed in the order of their slots, the staged entries sorted so
// beforehand: the table is then written from one end to the other, where placing each key as
// it came read a slot at random, a wait for memory for each candidate of the file.
void SkkDictionary::CandidateIndex::placeKeys(std::u16string_view pool) {
  std::size_t size = FewestSlots;
  unsigned bits = FewestSlotsBits;
  while (built_.staged.size() * 2 > size) size *= 2, ++bits;  // at most half in use, however few texts repeat
  reserveInLargePages(built_.slots, size);
  built_.slots.assign(size, Slot{0, NoKey});
  sortByLowBits(built_.staged, bits);
  reserveInLargePages(built_.keys, built_.staged.size());  // what no key takes is never touched
  const std::size_t mask = size - 1;
  auto textOf = [&pool](std::uint32_t offset, std::uint32_t length) {
    return std::u16string_view(pool.data() + offset, length);
  };
  std::size_t cursor = 0;  // after the last slot taken in order
  std::size_t home = SIZE_MAX;
  std::size_t homeKeys = 0;  // the first key of this home
  std::vector<std::uint32_t> hashes;  // of the keys of this home
  for (StagedEntry& staged : built_.staged) {
    if ((staged.hash & mask) != home) {
      home = staged.hash & mask;
      homeKeys = built_.keys.size();
      hashes.clear();
    }
    // an equal text has an equal hash, and so the same home: it is among this home's keys
    const std::u16string_view text = textOf(staged.offset, staged.length);
    std::uint32_t key = NoKey;
    for (std::size_t k = 0; k < hashes.size() && key == NoKey; ++k)
      if (const Key& known = built_.keys[homeKeys + k]; hashes[k] == staged.hash && textOf(known.offset, known.length) == text)
        key = static_cast<std::uint32_t>(homeKeys + k);
    if (key == NoKey) {
      key = static_cast<std::uint32_t>(built_.keys.size());
      built_.keys.push_back({staged.offset, staged.length, 0, 0});
      hashes.push_back(staged.hash);
      // Every slot from this home up to the cursor is taken, as the keys come in the order of
      // their homes: the first free one is the later of the two. Past the end it wraps round.
      std::size_t at = std::max(home, cursor);
      if (at > mask)
        for (at = 0; built_.slots[at].key != NoKey;) ++at;
      else
        cursor = at + 1;
      built_.slots[at] = {staged.hash, key};
    }
    staged.key = key;
  }
}

std::size_t SkkDictionary::CandidateIndex::finish(std::u16string_view pool) {
  placeKeys(pool);
  // Each key's entries in the order they came (a counting sort), those of okuri-nasi lines
  // first, a reading that a line gives a candidate twice kept once.
  for (const StagedEntry& staged : built_.staged) ++built_.keys[staged.key].end;
  std::uint32_t next = 0;
  for (Key& key : built_.keys) {
    key.first = next;
    next += key.end;
    key.end = key.first;
  }
  reserveInLargePages(built_.entries, built_.staged.size());
  built_.entries.resize(built_.staged.size());
  for (const bool okuri : {false, true})
    for (const StagedEntry& staged : built_.staged)
      if ((staged.entry.okuriLetter != 0) == okuri) built_.entries[built_.keys[staged.key].end++] = staged.entry;
  std::vector<StagedEntry>().swap(built_.staged);
  std::uint32_t kept = 0;
  for (Key& key : built_.keys) {
    const std::uint32_t first = kept;
    for (std::uint32_t e = key.first; e < key.end; ++e)
      if (kept == first || built_.entries[kept - 1].offset != built_.entries[e].offset)
        built_.entries[kept++] = built_.entries[e];
    key.first = first;
    key.end = kept;
  }
  built_.entries.resize(kept);  // not shrunk: a copy would only add fresh pages to the load
  std::size_t candidates = 0;  // of each kind: a key with entries of both counts twice
  for (const Key& key : built_.keys)
    candidates += 1 + (built_.entries[key.first].okuriLetter == 0 && built_.entries[key.end - 1].okuriLetter != 0);

  auto textOf = [&](const Key& key) { return std::u16string_view(pool.data() + key.offset, key.length); };
  std::size_t kanaEnded = 0;
  for (const Key& key : built_.keys) kanaEnded += endsInHiragana(textOf(key));
  kanaEnded_ = kanaEnded;
  built_.kanaStems.assign(kanaEnded * FilterBitsPerKey / 64 + 1, 0);
  for (const Key& key : built_.keys) {
    std::u16string_view stem = textOf(key);
    while (endsInHiragana(stem)) stem.remove_suffix(1);
    if (stem.size() == key.length || stem.empty()) continue;
    const std::uint32_t hash = candidateHash(stem);
    built_.kanaStems[filterWord(hash, built_.kanaStems.size())] |= filterBits(hash);
  }
  built_.filters[0].assign((built_.keys.size() - kanaEnded) * FilterBitsPerKey / 64 + 1, 0);
  built_.filters[1].assign(kanaEnded * FilterBitsPerKey / 64 + 1, 0);
  for (const Slot& slot : built_.slots) {
    if (slot.key == NoKey) continue;
    std::vector<std::uint64_t>& filter = built_.filters[endsInHiragana(textOf(built_.keys[slot.key]))];
    filter[filterWord(slot.hash, filter.size())] |= filterBits(slot.hash);
  }
  viewBuilt();
  return candidates;
}

void SkkDictionary::CandidateIndex::prefetch(std::u16string_view key, std::uint32_t hash) const {
  if (keys_.empty()) return;
  const std::span<const std::uint64_t> filter = filterOf(key);
  __builtin_prefetch(&filter[filterWord(hash, filter.size())]);
  __builtin_prefetch(&slots_[hash & (slots_.size() - 1)]);
}

bool SkkDictionary::CandidateIndex::mayBeFollowedByKana(std::uint32_t hash) const {
  if (kanaStems_.empty()) return false;
  const std::uint64_t bits = filterBits(hash);
  return (kanaStems_[filterWord(hash, kanaStems_.size())] & bits) == bits;
}

bool SkkDictionary::CandidateIndex::mayHold(std::u16string_view key, std::uint32_t hash) const {
  const std::span<const std::uint64_t> filter = filterOf(key);
  const std::uint64_t bits = filterBits(hash);
  return (filter[filterWord(hash, filter.size())] & bits) == bits;
}

std::span<const SkkDictionary::Entry> SkkDictionary::CandidateIndex::find(std::u16string_view pool,
                                                                          std::u16string_view key,
                                                                          std::uint32_t hash) const {
  if (keys_.empty() || !mayHold(key, hash)) return {};
  const std::uint32_t k = slots_[slotOf(pool, key, hash)].key;
  if (k == NoKey) return {};
  return {entries_.data() + keys_[k].first, keys_[k].end - keys_[k].first};
}

void SkkDictionary::loadText(std::string_view bytes) {
  index_.clear();
  builtPool_.clear();
  pool_ = {};
  image_.reset();  // once nothing views it
  candidateCount_ = 0;
  counted_ = false;
  longestAri_ = 0;
  mostAriKana_ = 0;
  const bool utf8 = hasUtf8CodingLine(bytes);
  // No line decodes to more UTF-16 units than it has bytes, so the pool of readings and
  // candidates never grows past the text's size (what is reserved and not written takes no
  // memory); nor has a line more candidates than slashes.
  reserveInLargePages(builtPool_, bytes.size());
  const auto slashes = static_cast<std::size_t>(std::count(bytes.begin(), bytes.end(), '/'));
  index_.expect(slashes);
  std::u16string decoded;  // each line in turn, in the same room
  for (std::size_t start = 0; start < bytes.size();) {
    std::size_t end = bytes.find('\n', start);
    if (end == std::string_view::npos) end = bytes.size();
    std::string_view line = bytes.substr(start, end - start);
    start = end + 1;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.empty() || line[0] == ';') continue;  // comments
    if (utf8) {
      decodeUtf8(line, decoded);
      addLine(decoded);
    } else {
      addLine(decodeEucJp(line));
    }
  }
  candidateCount_ = index_.finish(builtPool_);
  pool_ = builtPool_;
}

namespace {

// An image: this header, then the dictionary file's path, the pool and the index's tables, each
// from an offset that is a multiple of 8 (revconv/dictionary_image.h).
constexpr char ImageMagic[8] = {'O', 'b', 'e', 'l', 'D', 'i', 'c', '\n'};
// Made higher whenever what the tables hold or how they are read changes: a run takes no image
// of another version, even from the same program file.
constexpr std::uint64_t ImageVersion = 1;
struct ImageHeader {
  char magic[8];
  std::uint64_t version;
  std::uint64_t fingerprint;  // of the records' sizes, the hash and the filter (imageFingerprint)
  std::uint64_t sourceSize;
  std::int64_t sourceModified;
  std::uint64_t programSize;
  std::int64_t programModified;
  std::uint64_t checksum;  // of the whole image, this field taken as 0 (imageChecksumOf)
  std::uint64_t candidateCount, counted, longestAri, mostAriKana, kanaEnded;
  std::uint64_t pathBytes, poolUnits, slots, keys, entries, filters[2], kanaStems;
};

constexpr std::size_t paddedTo8(std::size_t bytes) { return (bytes + 7) / 8 * 8; }

// The checksum of the header, without its checksum, and of the body.
std::uint64_t imageChecksumOf(ImageHeader header, std::string_view body) {
  header.checksum = 0;
  const std::uint64_t ofHeader = imageChecksum({reinterpret_cast<const char*>(&header), sizeof header});
  return imageChecksum(body) ^ std::rotl(ofHeader, 1);
}

}  // namespace

std::string SkkDictionary::imageBytes(std::string_view source, const FileStamp& sourceStamp,
                                      const FileStamp& program) const {
  const CandidateIndex& x = index_;
  ImageHeader h{};
  std::memcpy(h.magic, ImageMagic, sizeof h.magic);
  h.version = ImageVersion;
  h.fingerprint = imageFingerprint();
  h.sourceSize = sourceStamp.size;
  h.sourceModified = sourceStamp.modified;
  h.programSize = program.size;
  h.programModified = program.modified;
  h.candidateCount = candidateCount_;
  h.counted = counted_;
  h.longestAri = longestAri_;
  h.mostAriKana = mostAriKana_;
  h.kanaEnded = x.kanaEnded_;
  const std::string_view parts[] = {
      source,
      {reinterpret_cast<const char*>(pool_.data()), pool_.size() * sizeof(char16_t)},
      {reinterpret_cast<const char*>(x.slots_.data()), x.slots_.size_bytes()},
      {reinterpret_cast<const char*>(x.keys_.data()), x.keys_.size_bytes()},
      {reinterpret_cast<const char*>(x.entries_.data()), x.entries_.size_bytes()},
      {reinterpret_cast<const char*>(x.filters_[0].data()), x.filters_[0].size_bytes()},
      {reinterpret_cast<const char*>(x.filters_[1].data()), x.filters_[1].size_bytes()},
      {reinterpret_cast<const char*>(x.kanaStems_.data()), x.kanaStems_.size_bytes()}};
  std::uint64_t* counts[] = {&h.pathBytes, &h.poolUnits, &h.slots,      &h.keys,
                             &h.entries,   &h.filters[0], &h.filters[1], &h.kanaStems};
  const std::size_t sizes[] = {1, sizeof(char16_t), sizeof(CandidateIndex::Slot), sizeof(CandidateIndex::Key),
                               sizeof(Entry), 8, 8, 8};
  std::size_t total = sizeof h;
  for (const std::string_view part : parts) total += paddedTo8(part.size());
  std::string out;
  out.reserve(total);
  out.resize(sizeof h);
  for (std::size_t p = 0; p < std::size(parts); ++p) {
    *counts[p] = parts[p].size() / sizes[p];
    out += parts[p];
    out.resize(paddedTo8(out.size()));
  }
  h.checksum = imageChecksumOf(h, std::string_view(out).substr(sizeof h));
  std::memcpy(out.data(), &h, sizeof h);
  return out;
}

std::uint64_t SkkDictionary::imageFingerprint() {
  std::uint64_t f = sizeof(CandidateIndex::Slot) | sizeof(CandidateIndex::Key) << 8 | sizeof(Entry) << 16 |
                    FilterBitsPerKey << 24 | std::uint64_t{FewestSlots} << 32;
  for (const std::u16string_view text : {u"", u"\u6F22\u5B57", u"\u304B\u306A\u3042"}) {
    const std::uint32_t hash = candidateHash(text);
    f = (f ^ hash) * 0x100000001B3ull ^ filterBits(hash) ^ filterWord(hash, 1000003);
  }
  return f;
}

bool SkkDictionary::takeImage(std::unique_ptr<MappedFile> image, std::string_view source,
                              const FileStamp& sourceStamp, const FileStamp& program) {
  using Slot = CandidateIndex::Slot;
  using Key = CandidateIndex::Key;
  const std::string_view bytes = image->bytes();
  ImageHeader h;
  if (bytes.size() < sizeof h) return false;
  std::memcpy(&h, bytes.data(), sizeof h);
  if (std::memcmp(h.magic, ImageMagic, sizeof h.magic) != 0 || h.version != ImageVersion ||
      h.fingerprint != imageFingerprint() || FileStamp{h.sourceSize, h.sourceModified} != sourceStamp ||
      FileStamp{h.programSize, h.programModified} != program)
    return false;
  // each part where the counts put it, all of them filling the file
  std::size_t at = sizeof h;
  bool fits = true;
  auto part = [&](std::uint64_t count, std::size_t size) -> const void* {
    if (!fits || at > bytes.size() || count > (bytes.size() - at) / size) {
      fits = false;
      return nullptr;
    }
    const char* begin = bytes.data() + at;
    at += paddedTo8(static_cast<std::size_t>(count) * size);
    return begin;
  };
  const auto* path = static_cast<const char*>(part(h.pathBytes, 1));
  const auto* pool = static_cast<const char16_t*>(part(h.poolUnits, sizeof(char16_t)));
  const auto* slots = static_cast<const Slot*>(part(h.slots, sizeof(Slot)));
  const auto* keys = static_cast<const Key*>(part(h.keys, sizeof(Key)));
  const auto* entries = static_cast<const Entry*>(part(h.entries, sizeof(Entry)));
  const auto* filters0 = static_cast<const std::uint64_t*>(part(h.filters[0], 8));
  const auto* filters1 = static_cast<const std::uint64_t*>(part(h.filters[1], 8));
  const auto* kanaStems = static_cast<const std::uint64_t*>(part(h.kanaStems, 8));
  if (!fits || at != bytes.size() || std::string_view(path, h.pathBytes) != source) return false;
  if (imageChecksumOf(h, bytes.substr(sizeof h)) != h.checksum) return false;
  // The index's own rules, so that no look-up reads outside the tables nor probes for ever: a
  // power of two of slots with one free at least, every key and entry inside what follows it.
  if (h.slots == 0 || (h.slots & (h.slots - 1)) != 0 || h.filters[0] == 0 || h.filters[1] == 0 ||
      h.kanaStems == 0 || h.kanaEnded > h.keys)
    return false;
  std::uint64_t used = 0;
  for (std::uint64_t s = 0; s < h.slots; ++s) {
    if (slots[s].key == CandidateIndex::NoKey) continue;
    if (slots[s].key >= h.keys) return false;
    ++used;
  }
  if (used == h.slots) return false;
  for (std::uint64_t k = 0; k < h.keys; ++k)
    if (std::uint64_t{keys[k].offset} + keys[k].length > h.poolUnits || keys[k].first > keys[k].end ||
        keys[k].end > h.entries)
      return false;
  for (std::uint64_t e = 0; e < h.entries; ++e)
    if (std::uint64_t{entries[e].offset} + entries[e].length > h.poolUnits) return false;

  loadText({});  // nothing of an earlier load left
  CandidateIndex& x = index_;
  x.slots_ = {slots, static_cast<std::size_t>(h.slots)};
  x.keys_ = {keys, static_cast<std::size_t>(h.keys)};
  x.entries_ = {entries, static_cast<std::size_t>(h.entries)};
  x.filters_[0] = {filters0, static_cast<std::size_t>(h.filters[0])};
  x.filters_[1] = {filters1, static_cast<std::size_t>(h.filters[1])};
  x.kanaStems_ = {kanaStems, static_cast<std::size_t>(h.kanaStems)};
  x.kanaEnded_ = static_cast<std::size_t>(h.kanaEnded);
  pool_ = {pool, static_cast<std::size_t>(h.poolUnits)};
  candidateCount_ = static_cast<std::size_t>(h.candidateCount);
  counted_ = h.counted != 0;
  longestAri_ = static_cast<std::size_t>(h.longestAri);
  mostAriKana_ = static_cast<std::size_t>(h.mostAriKana);
  image_ = std::move(image);
  return true;
}

bool SkkDictionary::load(const char* path, const std::string& imageFolder) {
  FileStamp sourceStamp, program;
  std::string source;
  if (imageFolder.empty() || !fileStamp(path, sourceStamp) || sourceStamp.size < SmallestImagedFile ||
      !programStamp(program) || (source = fullPathOf(path)).empty())
    return load(path);
  const std::string image = imagePathFor(imageFolder, source);
  if (takeImage(std::make_unique<MappedFile>(image.c_str()), source, sourceStamp, program)) return true;
  if (!load(path)) return false;
  // an image only of the file as it was read: one that changed meanwhile is read again next time
  if (FileStamp after; fileStamp(path, after) && after == sourceStamp)
    replaceFileWith(image, imageBytes(source, sourceStamp, program));
  return true;
}

void SkkDictionary::addLine(std::u16string_view line) {
  const std::size_t space = line.find(u" /");
  if (space == std::u16string::npos || space == 0) return;
  std::u16string_view head(line.data(), space);
  // Affix marks (">し" a suffix, "お>" a prefix) are not part of the reading.
  if (head.front() == u'>') head.remove_prefix(1);
  if (!head.empty() && head.back() == u'>') head.remove_suffix(1);
  if (head.empty()) return;
  char okuri = 0;
  if (head.size() >= 2 && head.back() >= u'a' && head.back() <= u'z' && head[head.size() - 2] >= 0x80) {
    okuri = static_cast<char>(head.back());
    head.remove_suffix(1);
  }
  if (head.size() > MaxReadingLength) return;
  const std::uint32_t readingOffset = static_cast<std::uint32_t>(builtPool_.size());
  builtPool_.append(head);

  bool inBlock = false;  // inside an okurigana block "[る/走/]"
  std::size_t position = space + 2;
  while (position < line.size()) {
    std::size_t slash = line.find(u'/', position);
    if (slash == std::u16string::npos) slash = line.size();
    std::u16string_view candidate(line.data() + position, slash - position);
    position = slash + 1;
    if (inBlock) {
      if (candidate == u"]") inBlock = false;
      continue;
    }
    if (!candidate.empty() && candidate.front() == u'[') {
      inBlock = true;
      continue;
    }
    std::uint32_t books = 0;
    if (const std::size_t annotation = candidate.find(u';'); annotation != std::u16string_view::npos) {
      books = annotationBooks(candidate.substr(annotation + 1));
      candidate = candidate.substr(0, annotation);
    }
    // Empty candidates and program candidates "(concat ...)" convert into no text.
    if (candidate.empty() || candidate.front() == u'(') continue;
    if (candidate.find(u'\xFFFD') != std::u16string_view::npos) continue;
    const std::size_t at = builtPool_.size();
    builtPool_.append(candidate);
    index_.add(static_cast<std::uint32_t>(at), static_cast<std::uint32_t>(candidate.size()),
              candidateHash(candidate),
              {readingOffset, static_cast<std::uint32_t>(head.size()), static_cast<unsigned char>(okuri), books});
    if (okuri) {
      longestAri_ = std::max(longestAri_, candidate.size());
      std::size_t kana = 0;
      while (kana < candidate.size() && isHiraganaUtf16(candidate[candidate.size() - 1 - kana])) ++kana;
      mostAriKana_ = std::max(mostAriKana_, kana);
    }
    counted_ = counted_ || books > 0;
  }
}

void SkkDictionary::readings(void*, void*, const std::u16string& text, std::vector<std::u16string>& out) {
  readingsSkipping(text, std::u16string::npos, out);
}

bool SkkDictionary::readingsPastKey(const std::u16string& text, std::size_t keyLength,
                                    std::vector<std::u16string>& out) {
  readingsSkipping(text, keyLength, out);
  return true;
}

bool SkkDictionary::keyEntries(const std::u16string& key, std::vector<KeyEntry>& out, bool& kanaFollows) {
  keyEntriesOf(key, candidateHash(key), true, out, kanaFollows);
  return true;
}

void SkkDictionary::keyEntriesOf(const std::u16string& key, std::uint32_t hash, bool mayHold,
                                 std::vector<KeyEntry>& out, bool& kanaFollows) const {
  kanaFollows = kanaFollows || index_.mayBeFollowedByKana(hash);
  if (!mayHold) return;
  for (const Entry& e : index_.find(pool_, key, hash))
    out.push_back({pooled(e), static_cast<char>(e.okuriLetter), e.books});
}

void SkkDictionary::readingsSkipping(const std::u16string& text, std::size_t skipped,
                                     std::vector<std::u16string>& out) const {
  auto add = [&out](std::u16string reading) {
    for (const std::u16string& known : out)
      if (known == reading) return;
    out.push_back(std::move(reading));
  };
  // An okuri-ari candidate K followed by hiragana: K is text[0, split) for split from longest
  // down to kanaStart, the longest K first, so the shortest okurigana. No K is longer than
  // longestAri_, so a long run of kana costs no more than a short one.
  std::size_t kanaStart = 1;
  std::size_t longest = 0;  // below kanaStart when no K fits
  if (text.size() >= 2 && longestAri_ > 0) {
    kanaStart = text.size();
    while (kanaStart > 1 && isHiraganaUtf16(text[kanaStart - 1])) --kanaStart;
    // Nor does a K end in more hiragana than mostAriKana_: the text is cut no further into its kana.
    const std::size_t kanaOfK = isHiraganaUtf16(text[kanaStart - 1]) ? 0 : kanaStart;  // where its hiragana begin
    longest = std::min({text.size() - 1, longestAri_, kanaOfK + mostAriKana_});
  }
  std::uint32_t state = FnvBasis;
  std::uint32_t splitState = FnvBasis;  // of text[0, split)
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (i == longest) splitState = state;
    state = fnvStep(state, text[i]);
  }

  // every look-up's first reads begun at once
  index_.prefetch(text, mixed(state));
  std::uint32_t at = splitState;
  for (std::size_t split = longest; split >= kanaStart; at = fnvUnstep(at, text[split - 1]), --split)
    if (split != skipped) index_.prefetch(std::u16string_view(text.data(), split), mixed(at));
  for (const Entry& e : index_.find(pool_, text, mixed(state)))
    if (e.okuriLetter == 0) add(std::u16string(pooled(e)));
  for (std::size_t split = longest; split >= kanaStart; --split) {
    const char* initials = okuriInitials(text[split]);
    const std::span<const Entry> found =
        split == skipped ? std::span<const Entry>() : index_.find(pool_, std::u16string_view(text.data(), split), mixed(splitState));
    for (const Entry& e : found) {
      if (e.okuriLetter == 0 || std::strchr(initials, static_cast<char>(e.okuriLetter)) == nullptr) continue;
      std::u16string full(pooled(e));
      full.append(text, split, std::u16string::npos);
      add(std::move(full));
    }
    if (split == kanaStart) break;
    splitState = fnvUnstep(splitState, text[split - 1]);
  }
}

std::uint32_t annotationBooks(std::u16string_view annotation) {
  if (annotation.empty() || annotation.size() > MaxBooksDigits) return 0;
  std::uint32_t books = 0;
  for (const char16_t c : annotation) {
    if (c < u'0' || c > u'9') return 0;
    books = books * 10 + static_cast<std::uint32_t>(c - u'0');
  }
  return books;
}

void SkkDictionary::countedReadings(const std::u16string& key, std::vector<CountedReading>& out) {
  if (!counted_) return;
  const std::uint32_t hash = candidateHash(key);
  for (const Entry& e : index_.find(pool_, key, hash))
    if (e.books > 0) addCountedReading(out, pooled(e), e.books);
}

std::vector<std::string> splitDictionaryList(std::string_view list) {
  std::vector<std::string> files;
  while (!list.empty()) {
    const std::size_t end = std::min(list.find(';'), list.size());
    std::string_view name = list.substr(0, end);
    while (!name.empty() && (name.front() == ' ' || name.front() == '\t')) name.remove_prefix(1);
    while (!name.empty() && (name.back() == ' ' || name.back() == '\t')) name.remove_suffix(1);
    if (!name.empty()) files.emplace_back(name);
    list.remove_prefix(end < list.size() ? end + 1 : end);
  }
  return files;
}

std::string addToDictionaryList(std::string_view list, std::string_view file) {
  for (const std::string& known : splitDictionaryList(list))
    if (known == file) return std::string(list);
  while (!list.empty() && (list.back() == ' ' || list.back() == '\t' || list.back() == ';')) list.remove_suffix(1);
  std::string out(list);
  if (!out.empty()) out += ';';
  out += file;
  return out;
}

std::string unreadableDictionariesText(const std::vector<std::string>& files) {
  std::string text = "次の辞書を読み込めないため、ほかの辞書で逆変換チェックをします。";
  for (const std::string& file : files) {
    text += "\r\n";
    text += file;
  }
  return text;
}

bool DictionaryList::load(std::string_view list, std::vector<std::string>& unreadable) {
  dictionaries_.clear();
  files_.clear();
  const std::vector<std::string> missed = addDefaultsAndList({}, list);
  unreadable.insert(unreadable.end(), missed.begin(), missed.end());
  return !dictionaries_.empty();
}

bool DictionaryList::add(const std::string& file) { return addAll({file}).front(); }

std::vector<bool> DictionaryList::addAll(const std::vector<std::string>& files) {
  std::vector<std::unique_ptr<SkkDictionary>> loaded(files.size());
  std::vector<char> read(files.size(), false);  // not vector<bool>: each thread writes its own
  auto readOne = [&](std::size_t i) {
    loaded[i] = std::make_unique<SkkDictionary>();
    read[i] = loaded[i]->load(files[i].c_str(), imageFolder_);
  };
  // A file named twice (a default also given on the list) adds no reading: it is read once.
  auto onList = [](const auto& begin, const auto& end, const std::string& file) {
    return std::find(begin, end, file) != end;
  };
  std::vector<std::size_t> toRead;
  for (std::size_t i = 0; i < files.size(); ++i)
    if (!onList(files.begin(), files.begin() + static_cast<std::ptrdiff_t>(i), files[i]) &&
        !onList(files_.begin(), files_.end(), files[i]))
      toRead.push_back(i);
  // each file but the last on a thread of its own, the last here
  std::vector<std::thread> readers;
  for (std::size_t n = 0; n < toRead.size(); ++n) {
    try {
      if (n + 1 < toRead.size()) {
        readers.emplace_back(readOne, toRead[n]);
        continue;
      }
    } catch (const std::system_error&) {
      // no thread to spare: read here
    }
    readOne(toRead[n]);
  }
  for (std::thread& reader : readers) reader.join();
  std::vector<bool> readable(files.size());
  for (std::size_t i = 0; i < files.size(); ++i) {
    if (loaded[i] && read[i]) {
      dictionaries_.push_back(std::move(loaded[i]));
      files_.push_back(files[i]);
    }
    // a file on the list already, or named before in this call, answers as it did then
    readable[i] = onList(files_.begin(), files_.end(), files[i]);
  }
  filterKeys();
  return readable;
}

std::vector<std::string> DictionaryList::addDefaultsAndList(const std::vector<std::string>& defaults,
                                                            std::string_view list) {
  std::vector<std::string> files = defaults;
  for (const std::string& file : splitDictionaryList(list)) files.push_back(file);
  const std::vector<bool> read = addAll(files);
  std::vector<std::string> unreadable;
  for (std::size_t i = defaults.size(); i < files.size(); ++i)
    if (!read[i]) unreadable.push_back(files[i]);
  return unreadable;
}

std::vector<std::string> defaultDictionaryFiles(const std::string& programFolder, bool withSkk) {
  std::vector<std::string> files;
  if (withSkk) files.emplace_back(InstalledSkkDictionary);
  files.push_back(programFolder + AozoraReadingsFile);
  return files;
}

void ReadingUnion::countedReadings(const std::u16string& key, std::vector<CountedReading>& out) {
  for (ReadingProvider* provider : providers_) provider->countedReadings(key, out);
}

void DictionaryList::countedReadings(const std::u16string& key, std::vector<CountedReading>& out) {
  for (const auto& dictionary : dictionaries_) dictionary->countedReadings(key, out);
}

void ReadingUnion::readings(void* context, void* layout, const std::u16string& text,
                            std::vector<std::u16string>& out) {
  // each provider's readings in turn (one_ the scratch list), a reading an earlier one gave not repeated
  for (ReadingProvider* provider : providers_) {
    one_.clear();
    provider->readings(context, layout, text, one_);
    for (std::u16string& reading : one_)
      if (std::find(out.begin(), out.end(), reading) == out.end()) out.push_back(std::move(reading));
  }
}

void DictionaryList::readings(void* context, void* layout, const std::u16string& text,
                              std::vector<std::u16string>& out) {
  // each dictionary adds only the readings that out does not hold yet
  for (const auto& dictionary : dictionaries_) dictionary->readings(context, layout, text, out);
}

bool DictionaryList::keyEntries(const std::u16string& key, std::vector<KeyEntry>& out, bool& kanaFollows) {
  const std::uint32_t hash = candidateHash(key);
  const bool kanaEnd = key.empty() || isHiraganaUtf16(key.back());  // not in the filter
  const bool mayHold = kanaEnd || keys_.empty() ||
                       (keys_[filterWord(hash, keys_.size())] & filterBits(hash)) == filterBits(hash);
  for (const auto& dictionary : dictionaries_) dictionary->keyEntriesOf(key, hash, mayHold, out, kanaFollows);
  return true;
}

void DictionaryList::prefetchKeyEntries(const std::u16string& key) const {
  // the filter's word, which rules out most keys: what the look-up reads after it depends on it
  if (!keys_.empty()) __builtin_prefetch(&keys_[filterWord(candidateHash(key), keys_.size())]);
}

void DictionaryList::filterKeys() {
  std::size_t keys = 0;
  for (const auto& dictionary : dictionaries_) keys += dictionary->keysWithoutKanaEnd();
  keys_.assign(keys * FilterBitsPerKey / 64 + 1, 0);
  for (const auto& dictionary : dictionaries_)
    dictionary->forEachKeyWithoutKanaEnd([this](std::uint32_t hash) { keys_[filterWord(hash, keys_.size())] |= filterBits(hash); });
}

bool DictionaryList::readingsPastKey(const std::u16string& text, std::size_t keyLength,
                                     std::vector<std::u16string>& out) {
  for (const auto& dictionary : dictionaries_) dictionary->readingsPastKey(text, keyLength, out);
  return true;
}

}  // namespace obel
