#include "cli/library_result.h"

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
  if ((count() + 1) * 2 > slots_.size()) growTable(slots_, [this](std::uint32_t id) { return hashes_[id]; });
  const std::uint32_t h = textHash(text);
  const std::size_t mask = slots_.size() - 1;
  std::size_t at = h & mask;
  for (; slots_[at] != 0; at = (at + 1) & mask) {
    const std::uint32_t id = slots_[at] - 1;
    if (hashes_[id] == h && view(id) == text) return id;
  }
  const std::uint32_t id = count();
  slots_[at] = id + 1;
  hashes_.push_back(h);
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
  }
  items_ += s.itemCount;
}

bool LibraryResult::shown(const LibraryPair& p) const {
  const Settings& s = settings();
  if (s.hideKeyRuby == 1 && rubiesPerKey_[p.key] <= 1) return false;
  if (s.hideKeyRuby == 2 && keysPerRuby_[p.ruby] <= 1) return false;
  if (!passesLengthFilter(s.keyLengthFilter, strings_.text(p.key))) return false;
  return passesLengthFilter(s.rubyLengthFilter, strings_.text(p.ruby));
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

std::string LibraryResult::groupedText(bool checked) const {
  std::string out;
  for (int c = 0; c < ColumnCount; ++c) {
    if (c) out += '\t';
    out += resultColumns[c].header;
  }
  out += "\r\n";
  for (std::size_t i = 0; i < pairs_.size(); ++i) {
    const LibraryPair& p = pairs_[i];
    if (!shown(p)) continue;
    out += std::to_string(i + 1);
    out += '\t';
    out += std::to_string(p.count);
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
      out += std::to_string(p.line);
      out += '\t';
      out += std::to_string(p.column);
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
