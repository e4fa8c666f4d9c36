#include "cli/library_result.h"

#include <algorithm>
#include <charconv>
#include <cstring>

#include "engine/native_path.h"
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

std::uint32_t textHash(std::string_view text) {
  std::uint64_t h = 0xCBF29CE484222325ull;  // FNV-1a
  for (const char c : text) h = (h ^ static_cast<unsigned char>(c)) * 0x100000001B3ull;
  return mix(h);
}

// Doubles an open-addressing table of index + 1 entries, each entry placed again by its hash.
template <class HashOf>
void growTable(std::vector<std::uint32_t>& slots, HashOf hashOf) {
  std::vector<std::uint32_t> bigger(slots.empty() ? 1024 : slots.size() * 2, 0);
  const std::size_t mask = bigger.size() - 1;
  for (const std::uint32_t entry : slots) {
    if (entry == 0) continue;
    std::size_t at = hashOf(entry - 1) & mask;
    while (bigger[at] != 0) at = (at + 1) & mask;
    bigger[at] = entry;
  }
  slots.swap(bigger);
}

}  // namespace

std::uint32_t LibraryStrings::intern(std::string_view text) {
  // Each slot holds the text's hash beside its id, so that a probe reads no other table until the
  // hashes match.
  if ((count() + 1) * 2 > slots_.size()) {
    std::vector<std::uint64_t> bigger(slots_.empty() ? 1024 : slots_.size() * 2, 0);
    const std::size_t mask = bigger.size() - 1;
    for (const std::uint64_t entry : slots_) {
      if (entry == 0) continue;
      std::size_t at = (entry >> 32) & mask;
      while (bigger[at] != 0) at = (at + 1) & mask;
      bigger[at] = entry;
    }
    slots_.swap(bigger);
  }
  const std::uint32_t h = textHash(text);
  const std::size_t mask = slots_.size() - 1;
  std::size_t at = h & mask;
  for (; slots_[at] != 0; at = (at + 1) & mask) {
    const std::uint64_t entry = slots_[at];
    if (static_cast<std::uint32_t>(entry >> 32) != h) continue;
    const std::uint32_t id = static_cast<std::uint32_t>(entry) - 1;
    if (view(id) == text) return id;
  }
  const std::uint32_t id = count();
  slots_[at] = static_cast<std::uint64_t>(h) << 32 | (id + 1);
  ++count_;
  pool_.insert(pool_.end(), text.begin(), text.end());
  pool_.push_back('\0');
  offsets_.push_back(static_cast<std::uint32_t>(pool_.size()));
  return id;
}

std::uint32_t LibraryResult::findOrAddPair(std::uint32_t key, std::uint32_t ruby, bool& added) {
  auto hashOf = [](std::uint32_t k, std::uint32_t r) { return mix(static_cast<std::uint64_t>(k) << 32 | r); };
  if ((pairs_.size() + 1) * 2 > pairSlots_.size())
    growTable(pairSlots_, [&](std::uint32_t i) { return hashOf(pairs_[i].key, pairs_[i].ruby); });
  const std::size_t mask = pairSlots_.size() - 1;
  std::size_t at = hashOf(key, ruby) & mask;
  for (; pairSlots_[at] != 0; at = (at + 1) & mask) {
    const LibraryPair& p = pairs_[pairSlots_[at] - 1];
    if (p.key == key && p.ruby == ruby) {
      added = false;
      return pairSlots_[at] - 1;
    }
  }
  const std::uint32_t index = static_cast<std::uint32_t>(pairs_.size());
  pairSlots_[at] = index + 1;
  added = true;
  return index;
}

std::uint32_t LibraryResult::verdictBits(ResultStore& s, const RubyItem& item, LibraryPair& p,
                                         std::uint32_t pairId, std::uint32_t okurigana,
                                         const ReadingSource& check) {
  if (p.keyVerdict == 0) p.keyVerdict = matchKeyAlone(s, check, item) == 1 ? 2 : 1;
  if (p.keyVerdict == 2) return RevConvDone | RevConvKeyOk;
  if (text(s, item.okuriganaId)[0] == 0) return RevConvDone;
  const auto [at, asked] = okuriganaVerdicts_.try_emplace(static_cast<std::uint64_t>(pairId) << 32 | okurigana, false);
  if (asked) at->second = matchWithOkurigana(s, check, item) == 1;
  if (!at->second) return RevConvDone;
  ++p.confirmed;
  return RevConvDone | RevConvOkuriOk;
}

void LibraryResult::fold(ResultStore& s, const ReadingSource* check) {
  constexpr std::uint32_t Unmapped = 0xFFFFFFFFu;
  std::vector<std::uint32_t> ids(s.strings.count, Unmapped);  // the store's string ids to ours
  auto libraryId = [&](std::uint32_t id) {
    if (ids[id] == Unmapped) ids[id] = strings_.intern(text(s, id));
    return ids[id];
  };
  const FileRecord* lastFile = nullptr;
  std::uint32_t lastFileIndex = 0;
  const FileRecord* folderFile = nullptr;
  std::uint32_t folder = 0;
  for (std::uint32_t i = 0; i < s.itemCount; ++i) {
    RubyItem& item = s.items[i];
    const std::uint32_t key = libraryId(item.keyId);
    const std::uint32_t ruby = libraryId(item.rubyId);
    const std::uint32_t okurigana = libraryId(item.okuriganaId);
    bool isNew = false;
    const std::uint32_t pairId = findOrAddPair(key, ruby, isNew);
    if (isNew) {
      if (item.file != lastFile) {  // a file's items lie together in the store
        lastFile = item.file;
        lastFileIndex = static_cast<std::uint32_t>(files_.size());
        files_.push_back({item.file ? item.file->name : "", item.file ? item.file->folder : ""});
      }
      pairs_.push_back({key, ruby, okurigana, lastFileIndex, item.line, item.column});
      if (strings_.count() > rubiesPerKey_.size()) {
        rubiesPerKey_.resize(strings_.count() * 2);
        keysPerRuby_.resize(strings_.count() * 2);
      }
      ++rubiesPerKey_[key];
      ++keysPerRuby_[ruby];
    }
    LibraryPair& p = pairs_[pairId];
    ++p.count;
    if (check) item.flags |= verdictBits(s, item, p, pairId, okurigana, *check);
    if (countFolders_) {
      if (item.file != folderFile) {
        folderFile = item.file;
        folder = strings_.intern(item.file ? item.file->folder : "");
      }
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
  items_ += s.itemCount;
}

bool LibraryResult::shown(const LibraryPair& p) const {
  const Settings& s = settings();
  if (s.hideKeyRuby == SameKeyItems && rubiesPerKey_[p.key] <= 1) return false;
  if (s.hideKeyRuby == SameRubyItems && keysPerRuby_[p.ruby] <= 1) return false;
  if (!passesLengthFilter(s.keyLengthFilter, strings_.text(p.key))) return false;
  return passesLengthFilter(s.rubyLengthFilter, strings_.text(p.ruby));
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
    std::vector<std::string> keys;
  };
  std::unordered_map<std::string, std::size_t> lineOf;
  std::vector<Line> lines;
  for (const auto& [entry, count] : folderCounts_) {
    ++figures.pairsRead;
    if (count.folders < minFolders) continue;
    const LibraryPair& p = pairs_[entry >> 8];
    const char letter = static_cast<char>(entry & 0xFF);
    if (strings_.view(p.ruby).empty() || !normalised(strings_.text(p.ruby))) continue;
    const std::string key = cp932ToUtf8(strings_.text(p.key));
    if (!holdableKey(key)) continue;
    std::string head = cp932ToUtf8(strings_.text(p.ruby));
    if (letter) head += letter;
    const auto [at, isNew] = lineOf.try_emplace(head, lines.size());
    if (isNew) lines.push_back({head, letter != 0, {}});
    lines[at->second].keys.push_back(key);
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
const char* pairMark(const LibraryPair& p) {
  if (p.keyVerdict == 2) return "◎";
  if (p.confirmed == p.count) return "○";
  if (p.confirmed > 0) return "△";
  return "×";
}
}  // namespace

namespace {
void appendNumber(std::string& out, std::int64_t n) {
  char digits[20];
  const auto end = std::to_chars(digits, digits + sizeof digits, n).ptr;
  out.append(digits, end);
}
}  // namespace

std::string LibraryResult::groupedText(bool checked) const {
  constexpr std::size_t TypicalLineBytes = 128;  // a little more than most lines take
  std::string out;
  out.reserve(pairs_.size() * TypicalLineBytes);
  for (int c = 0; c < ColumnCount; ++c) {
    if (c) out += '\t';
    out += resultColumns[c].header;
  }
  out += "\r\n";
  for (std::size_t i = 0; i < pairs_.size(); ++i) {
    const LibraryPair& p = pairs_[i];
    if (!shown(p)) continue;
    appendNumber(out, static_cast<std::int64_t>(i + 1));
    out += '\t';
    appendNumber(out, p.count);
    out += '\t';
    out += strings_.text(p.key);
    out += '\t';
    out += strings_.text(p.ruby);
    if (p.count == 1) {  // a pair seen once shows where
      const LibraryFile& f = files_[p.file];
      out += '\t';
      out += strings_.text(p.okurigana);
      out += '\t';
      out += f.name;
      out += '\t';
      out += f.folder;
      out += '\t';
      appendNumber(out, p.line);
      out += '\t';
      appendNumber(out, p.column);
      out += '\t';
    } else {
      out += "\t\t\t\t\t\t";
    }
    if (checked) out += pairMark(p);
    out += "\r\n";
  }
  return out;
}

}  // namespace obel
