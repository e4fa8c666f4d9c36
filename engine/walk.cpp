#include "engine/walk.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <unordered_set>

#include "engine/file_io.h"
#include "engine/scanner.h"
#include "engine/sjis.h"

namespace obel {

const char PathTooLongText[] = " はパスが長すぎるためスキップします。";
const char LimitReachedText[] = "データが最大件数に達したため、検索を中止しました";
const char SearchStoppedText[] = "検索を中止しました";
const char LineTooLargeText[] = " の1行のルビが最大件数を超えるため、その行の残りをスキップします。";
static const char UnrepresentableText[] = " は名前をShift-JISで表せないためスキップします。";

namespace {

struct Walk {
  ResultStore& s;
  DirLister& lister;
  SearchEvents& events;
  FillSink* fills;
  std::unordered_set<std::string> taken;  // with fills: every path searched, over all fills
};

// Tells of a skipped path: the folder part, the name (empty for the folder itself) and why.
void skipped(Walk& w, const char* folderPart, std::size_t p, const std::string& name, const char* why) {
  std::string text(folderPart, p);
  text += name;
  text += why;
  w.events.showMessage(text.c_str());
}

bool storeIsFull(const ResultStore& s) { return s.itemCount >= MaxItems || s.stringsExhausted; }

void handOver(Walk& w) {
  w.fills->takeFill(w.s);
  clear(w.s);
}

// The offset of the start of line `line` (1 for the first) of the text, by the scanner's line
// ends: a lead byte takes the byte after it along, CR LF counts once. size when it has fewer lines.
std::size_t lineStart(const char* data, std::size_t size, std::int32_t line) {
  std::size_t pos = 0;
  for (std::int32_t n = 1; n < line;) {
    if (pos >= size) return size;
    const unsigned char b = static_cast<unsigned char>(data[pos]);
    if (isLeadByte(b)) {
      if (pos == size - 1) return size;
      pos += 2;
    } else if (b == '\r' || b == '\n') {
      ++pos;
      if (b == '\r' && pos < size && data[pos] == '\n') ++pos;
      ++n;
    } else {
      ++pos;
    }
  }
  return pos;
}

// One file of a search with fills. False when no record could be allocated.
bool scanThroughFills(Walk& w, const char* path) {
  ResultStore& s = w.s;
  FileRecord* record = newFileRecord(path);
  if (!record) return false;
  w.events.showFileName(record->name);
  FileBytes bytes;
  if (!readWholeFile(path, bytes)) {
    freeFileRecord(record);
    return true;
  }
  const char* data = bytes.data.get();
  std::size_t offset = 0;
  std::int32_t linesBefore = 0;  // lines of the file before data + offset
  for (;;) {
    const std::uint32_t before = s.itemCount;
    record->firstItem = s.items + before;
    std::uint32_t n = scanBuffer(s, record, data + offset, bytes.size - offset);
    if (before + n < MaxItems && !s.stringsExhausted) {
      for (std::uint32_t i = 0; i < n; ++i) record->firstItem[i].line += linesBefore;
      record->itemCount = n;
      if (n == 0) freeFileRecord(record);
      else addFile(s, record);
      return true;
    }
    if (before > 0) {  // the file does not fit beside the files already taken: again, alone
      handOver(w);
      continue;
    }
    // This part of the file alone fills the store: it is cut before the line of the last item
    // taken, which may be incomplete, and the rest is scanned from that line's start.
    // A line alone holding more than the store keeps what was taken of it, and the file goes on
    // with the next line. When not one item fitted (a string longer than the pool) the rest
    // of the file is skipped.
    if (n == 0) {
      std::string text = record->path;
      text += LineTooLargeText;
      w.events.showMessage(text.c_str());
      freeFileRecord(record);
      return true;
    }
    const std::int32_t lastLine = record->firstItem[n - 1].line;
    std::uint32_t keep = n;
    while (keep > 0 && record->firstItem[keep - 1].line == lastLine) --keep;
    if (keep == 0) {
      std::string text = record->path;
      text += LineTooLargeText;
      w.events.showMessage(text.c_str());
    }
    const std::int32_t nextLine = keep > 0 ? lastLine : lastLine + 1;
    if (keep > 0) n = keep;
    for (std::uint32_t i = 0; i < n; ++i) record->firstItem[i].line += linesBefore;
    record->itemCount = n;
    addFile(s, record);
    handOver(w);
    offset += lineStart(data + offset, bytes.size - offset, nextLine);
    linesBefore += nextLine - 1;
    if (offset >= bytes.size) return true;
    record = newFileRecord(path);
    if (!record) return false;
  }
}

void walkFolder(Walk& w, char* buffer, std::size_t namePosition, const char* subfolderPattern) {
  const std::size_t p = namePosition;
  std::vector<DirEntry> entries;
  w.lister.list(buffer, entries);
  for (const DirEntry& entry : entries) {
    if (!w.s.searchRunning) break;
    if (entry.isDirectory) continue;
    if (entry.unrepresentable) {
      skipped(w, buffer, p, entry.name, UnrepresentableText);
      continue;
    }
    if (p + entry.name.size() >= PathBytes) {
      skipped(w, buffer, p, entry.name, PathTooLongText);
      continue;
    }
    std::memcpy(buffer + p, entry.name.c_str(), entry.name.size() + 1);
    if (w.fills) {
      if (w.taken.insert(buffer).second && !scanThroughFills(w, buffer)) break;
      continue;
    }
    if (findFile(w.s, buffer)) continue;
    FileRecord* record = newFileRecord(buffer);
    if (!record) break;  // out of memory: the rest of this folder's files are skipped
    record->firstItem = w.s.items + w.s.itemCount;
    w.events.showFileName(record->name);
    const std::uint32_t n = scanFile(w.s, record);
    if (n == 0) {
      freeFileRecord(record);
    } else {
      record->itemCount = n;
      addFile(w.s, record);
    }
    if (storeIsFull(w.s)) {
      w.s.searchRunning = false;
      break;
    }
  }

  if (!subfolderPattern || !w.s.searchRunning) return;
  if (p >= PathBytes - 3) {
    skipped(w, buffer, p, "", PathTooLongText);
    return;
  }
  std::memcpy(buffer + p, "*.*", 4);
  entries.clear();
  w.lister.list(buffer, entries);
  const std::size_t patternLength = std::strlen(subfolderPattern);
  for (const DirEntry& entry : entries) {
    if (!w.s.searchRunning) break;
    if (!entry.isDirectory || entry.name == "." || entry.name == "..") continue;
    if (entry.unrepresentable) {
      skipped(w, buffer, p, entry.name, UnrepresentableText);
      continue;
    }
    if (p + entry.name.size() + 1 + patternLength >= PathBytes) {
      skipped(w, buffer, p, entry.name, PathTooLongText);
      continue;
    }
    char* at = buffer + p;
    std::memcpy(at, entry.name.c_str(), entry.name.size());
    at[entry.name.size()] = '\\';
    std::memcpy(at + entry.name.size() + 1, subfolderPattern, patternLength + 1);
    walkFolder(w, buffer, p + entry.name.size() + 1, subfolderPattern);
  }
}

}  // namespace

void searchTargets(ResultStore& s, const std::vector<std::string>& targets, bool searchSubFolders,
                   DirLister& lister, SearchEvents& events, FillSink* fills) {
  clear(s);
  Walk w{s, lister, events, fills, {}};
  for (const std::string& target : targets) {
    if (!s.searchRunning) break;
    if (target.size() >= PathBytes) {  // the target list never holds such a line; a command line may
      std::string text = target + PathTooLongText;
      events.showMessage(text.c_str());
      continue;
    }
    char buffer[PathBytes];
    std::memcpy(buffer, target.c_str(), target.size() + 1);
    const std::size_t namePosition = static_cast<std::size_t>(findLastBackslash(buffer) + 1);
    char pattern[PathBytes];
    std::strcpy(pattern, buffer + namePosition);
    const bool subfolders = searchSubFolders && std::strchr(pattern, '*') != nullptr;
    walkFolder(w, buffer, namePosition, subfolders ? pattern : nullptr);
  }
  if (fills) fills->takeFill(s);
}

void finishSearch(ResultStore& s) {
  markRepeatedPairs(s);
  countDistinctPairs(s);
  s.pendingCheckCount = s.itemCount;
}

const char* searchEndMessage(const ResultStore& s) {
  if (s.itemCount == MaxItems || s.stringsExhausted) return LimitReachedText;
  if (!s.searchRunning) return SearchStoppedText;
  return nullptr;
}

namespace {
std::size_t charLength(const unsigned char* p) { return (isLeadByte(*p) && p[1] != 0) ? 2 : 1; }

// A character with its case folded as the file system folds it: ASCII letters, and the
// full-width Latin, Greek and Cyrillic letters and the Roman numerals of code page 932 (the
// lower-case forms become the upper-case ones; both rows of Roman numerals become one).
unsigned foldedChar(const unsigned char* p, std::size_t n) {
  if (n == 1) return (*p >= 'a' && *p <= 'z') ? *p - 32u : *p;
  const unsigned c = (static_cast<unsigned>(p[0]) << 8) | p[1];
  if (c >= 0x8281 && c <= 0x829A) return c - 0x21;                    // ａ-ｚ
  if (c >= 0x83BF && c <= 0x83D6) return c - 0x20;                    // α-ω
  if (c >= 0x8470 && c <= 0x847E) return c - 0x30;                    // а-н
  if (c >= 0x8480 && c <= 0x8491) return c - 0x31;                    // о-я
  if (c >= 0xEEEF && c <= 0xEEF8) return c - 0xEEEF + 0x8754;         // ⅰ-ⅹ
  if (c >= 0xFA40 && c <= 0xFA49) return c - 0xFA40 + 0x8754;         // ⅰ-ⅹ
  if (c >= 0xFA4A && c <= 0xFA53) return c - 0xFA4A + 0x8754;         // Ⅰ-Ⅹ
  return c;
}

bool matchFrom(const unsigned char* pat, const unsigned char* name) {
  while (*pat) {
    if (*pat == '*') {
      while (*pat == '*') ++pat;
      if (!*pat) return true;
      for (const unsigned char* n = name;; n += charLength(n)) {
        if (matchFrom(pat, n)) return true;
        if (!*n) return false;
      }
    }
    if (!*name) return false;
    const std::size_t nl = charLength(name);
    if (*pat == '?') {
      ++pat;
    } else {
      const std::size_t pl = charLength(pat);
      if (foldedChar(pat, pl) != foldedChar(name, nl)) return false;
      pat += pl;
    }
    name += nl;
  }
  return *name == 0;
}

// Upper case of one UTF-16 unit for the letters file names use (Latin, Greek, Cyrillic,
// Roman numerals, circled and full-width letters), as the file system's case table has it.
char16_t upcaseUnit(char16_t c) {
  if (c < 0x80) return (c >= 'a' && c <= 'z') ? static_cast<char16_t>(c - 32) : c;
  auto minus = [c](int d) { return static_cast<char16_t>(c - d); };
  if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return minus(0x20);
  if (c == 0xFF) return 0x178;
  if ((c >= 0x100 && c <= 0x137) || (c >= 0x14A && c <= 0x177)) return (c & 1) ? minus(1) : c;
  if ((c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E)) return (c & 1) ? c : minus(1);
  if (c == 0x3C2) return 0x3A3;  // final sigma
  if (c >= 0x3B1 && c <= 0x3C9) return minus(0x20);
  if (c >= 0x430 && c <= 0x44F) return minus(0x20);
  if (c >= 0x450 && c <= 0x45F) return minus(0x50);
  if (c >= 0x2170 && c <= 0x217F) return minus(0x10);
  if (c >= 0x24D0 && c <= 0x24E9) return minus(0x1A);
  if (c >= 0xFF41 && c <= 0xFF5A) return minus(0x20);
  return c;
}

// UTF-16 units of a UTF-8 text; a byte that starts no valid sequence stands for itself.
std::u16string utf16Units(const std::string& utf8) {
  std::u16string out;
  for (std::size_t i = 0; i < utf8.size();) {
    const unsigned char b = static_cast<unsigned char>(utf8[i]);
    const std::size_t n = b < 0x80 ? 1 : (b >> 5) == 6 ? 2 : (b >> 4) == 14 ? 3 : (b >> 3) == 30 ? 4 : 0;
    std::uint32_t cp = n == 1 ? b : n == 2 ? (b & 0x1Fu) : n == 3 ? (b & 0x0Fu) : (b & 0x07u);
    bool valid = n != 0 && i + n <= utf8.size();
    for (std::size_t k = 1; valid && k < n; ++k) {
      const unsigned char t = static_cast<unsigned char>(utf8[i + k]);
      valid = (t >> 6) == 2;
      cp = (cp << 6) | (t & 0x3Fu);
    }
    if (!valid) {
      out.push_back(b);
      ++i;
      continue;
    }
    if (cp >= 0x10000) {
      out.push_back(static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10)));
      out.push_back(static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF)));
    } else {
      out.push_back(static_cast<char16_t>(cp));
    }
    i += n;
  }
  return out;
}
}  // namespace

bool wildcardMatch(const char* pattern, const char* name) {
  if (std::strcmp(pattern, "*.*") == 0) return true;
  return matchFrom(reinterpret_cast<const unsigned char*>(pattern), reinterpret_cast<const unsigned char*>(name));
}

std::vector<std::size_t> fileSystemOrder(const std::vector<std::string>& names) {
  std::vector<std::u16string> keys;
  keys.reserve(names.size());
  for (const std::string& name : names) {
    keys.push_back(utf16Units(name));
    for (char16_t& c : keys.back()) c = upcaseUnit(c);
  }
  std::vector<std::size_t> order(names.size());
  for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
  std::sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
    // names that differ only in case (POSIX allows both) keep a fixed order
    return keys[a] != keys[b] ? keys[a] < keys[b] : names[a] < names[b];
  });
  return order;
}

}  // namespace obel
