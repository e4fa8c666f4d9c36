#include "engine/walk.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>

#include "engine/scanner.h"
#include "engine/sjis.h"

namespace obel {

const char PathTooLongText[] = " はパスが長すぎるためスキップします。";
const char LimitReachedText[] = "データが最大件数に達したため、検索を中止しました";
const char SearchStoppedText[] = "検索を中止しました";
static const char UnrepresentableText[] = " は名前をShift-JISで表せないためスキップします。";

namespace {

// Tells of a skipped path: the folder part, the name (empty for the folder itself) and why.
LibraryStep skipped(const char* folderPart, std::size_t p, const std::string& name, const char* why) {
  std::string text(folderPart, p);
  text += name;
  text += why;
  return {text, true};
}

LibraryStep missed(Missed what, std::string path) { return {std::move(path), true, what}; }

}  // namespace

void listFolder(DirLister& lister, const std::string& searchPath, std::size_t namePosition,
                const char* subfolderPattern, std::vector<FolderEntry>& out, bool& found) {
  out.clear();
  const std::size_t p = namePosition;
  char buffer[PathBytes];
  std::memcpy(buffer, searchPath.c_str(), searchPath.size() + 1);
  std::vector<DirEntry> entries;
  if (!lister.list(buffer, entries)) {
    found = true;
    out.push_back({missed(Missed::Folder, std::string(buffer, p))});
    return;
  }
  for (const DirEntry& entry : entries) {
    if (entry.isDirectory) continue;
    found = true;
    if (entry.unrepresentable) {
      out.push_back({skipped(buffer, p, entry.name, UnrepresentableText)});
    } else if (p + entry.name.size() >= PathBytes) {
      out.push_back({skipped(buffer, p, entry.name, PathTooLongText)});
    } else {
      out.push_back({{std::string(buffer, p) + entry.name, false}});
    }
  }

  if (!subfolderPattern) return;
  if (p >= PathBytes - 3) {
    out.push_back({skipped(buffer, p, "", PathTooLongText)});
    return;
  }
  std::memcpy(buffer + p, "*.*", 4);
  entries.clear();
  if (!lister.list(buffer, entries)) {  // listed a moment ago with the pattern
    out.push_back({missed(Missed::Folder, std::string(buffer, p))});
    return;
  }
  const std::size_t patternLength = std::strlen(subfolderPattern);
  for (const DirEntry& entry : entries) {
    if (!entry.isDirectory || entry.name == "." || entry.name == "..") continue;
    if (entry.unrepresentable) {
      out.push_back({skipped(buffer, p, entry.name, UnrepresentableText)});
    } else if (p + entry.name.size() + 1 + patternLength >= PathBytes) {
      out.push_back({skipped(buffer, p, entry.name, PathTooLongText)});
    } else {
      out.push_back({{std::string(buffer, p) + entry.name + '\\' + subfolderPattern, false},
                     true,
                     p + entry.name.size() + 1});
    }
  }
}

bool startTarget(const std::string& target, bool searchSubFolders, TargetStart& start) {
  if (target.size() >= PathBytes) return false;  // the target list never holds such a line; a command line may
  start.namePosition = static_cast<std::size_t>(findLastBackslash(target.c_str()) + 1);
  start.pattern = target.substr(start.namePosition);
  start.subfolders = searchSubFolders && start.pattern.find('*') != std::string::npos;
  return true;
}

namespace {

struct Walk {
  ResultStore& s;
  DirLister& lister;
  SearchEvents& events;
  bool found = false;  // the current target matched a file, or a folder of it could not be listed
};

bool storeIsFull(const ResultStore& s) { return s.itemCount >= MaxItems || s.stringsExhausted; }

void tell(Walk& w, const LibraryStep& step) {
  if (step.missed == Missed::None) w.events.showMessage(step.text.c_str());
  else w.events.showMissed(step.missed, step.text.c_str());
}

// Scans one file into the store; false when the walk is to go on without the folder's other files.
bool searchFile(Walk& w, const char* path) {
  ResultStore& s = w.s;
  if (findFile(s, path)) return true;
  FileRecord* record = newFileRecord(path);
  if (!record) return false;  // out of memory: the rest of this folder's files are skipped
  record->firstItem = s.items + s.itemCount;
  w.events.showFileName(record->name);
  bool unreadable = false;
  const std::uint32_t n = scanFile(s, record, &unreadable);
  if (unreadable) {
    freeFileRecord(record);
    if (s.searchRunning) tell(w, missed(Missed::File, path));  // else a stop may have cut the read
    return true;
  }
  if (n == 0) {
    freeFileRecord(record);
  } else {
    record->itemCount = n;
    addFile(s, record);
  }
  if (storeIsFull(s)) s.searchRunning = false;
  return true;
}

void walkFolder(Walk& w, const std::string& searchPath, std::size_t namePosition, const char* subfolderPattern) {
  std::vector<FolderEntry> entries;
  listFolder(w.lister, searchPath, namePosition, subfolderPattern, entries, w.found);
  bool takeFiles = true;
  for (const FolderEntry& entry : entries) {
    if (!w.s.searchRunning) break;
    if (entry.isSubfolder) walkFolder(w, entry.step.text, entry.namePosition, subfolderPattern);
    else if (entry.step.isMessage) tell(w, entry.step);
    else if (takeFiles) takeFiles = searchFile(w, entry.step.text.c_str());
  }
}

}  // namespace

void searchTargets(ResultStore& s, const std::vector<std::string>& targets, bool searchSubFolders,
                   DirLister& lister, SearchEvents& events) {
  clear(s);
  Walk w{s, lister, events};
  for (const std::string& target : targets) {
    if (!s.searchRunning) break;
    TargetStart start;
    if (!startTarget(target, searchSubFolders, start)) {
      events.showMessage((target + PathTooLongText).c_str());
      continue;
    }
    w.found = false;
    walkFolder(w, target, start.namePosition, start.subfolders ? start.pattern.c_str() : nullptr);
    // a walk cut short by the limit or a stop may have missed what the target matches
    if (!w.found && s.searchRunning) events.showMissed(Missed::NoMatch, target.c_str());
  }
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
}  // namespace

bool wildcardMatch(const char* pattern, const char* name) {
  if (std::strcmp(pattern, "*.*") == 0) return true;
  return matchFrom(reinterpret_cast<const unsigned char*>(pattern), reinterpret_cast<const unsigned char*>(name));
}

std::vector<std::size_t> fileSystemOrder(const std::vector<std::string>& names) {
  std::vector<std::u16string> keys;
  keys.reserve(names.size());
  for (const std::string& name : names) {
    keys.push_back(decodeUtf8(name, BadUtf8Byte::AsItself));
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
