#include "engine/walk.h"

#include <cstring>

#include "engine/scanner.h"
#include "engine/sjis.h"

namespace obel {

const char PathTooLongText[] = " はパスが長すぎるためスキップします。";
const char LimitReachedText[] = "データが最大件数に達したため、検索を中止しました";
const char SearchStoppedText[] = "検索を中止しました";
static const char UnrepresentableText[] = " は名前をShift-JISで表せないためスキップします。";

namespace {

struct Walk {
  ResultStore& s;
  DirLister& lister;
  SearchEvents& events;
  std::vector<DirEntry> entries;  // reused between folders
};

void tooLong(Walk& w, const char* folderPart, std::size_t p, const std::string& name) {
  std::string text(folderPart, p);
  text += name;
  text += PathTooLongText;
  w.events.showMessage(text.c_str());
}

bool storeIsFull(const ResultStore& s) { return s.itemCount >= MaxItems || s.stringsExhausted; }

void walkFolder(Walk& w, char* buffer, std::size_t namePosition, const char* subfolderPattern) {
  const std::size_t p = namePosition;
  std::vector<DirEntry> entries;
  w.lister.list(buffer, entries);
  for (const DirEntry& entry : entries) {
    if (!w.s.searchRunning) break;
    if (entry.isDirectory) continue;
    if (entry.unrepresentable) {
      std::string text(buffer, p);
      text += entry.name;
      text += UnrepresentableText;
      w.events.showMessage(text.c_str());
      continue;
    }
    if (p + entry.name.size() >= PathBytes) {
      tooLong(w, buffer, p, entry.name);
      continue;
    }
    std::memcpy(buffer + p, entry.name.c_str(), entry.name.size() + 1);
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
    std::string text(buffer, p);
    text += PathTooLongText;
    w.events.showMessage(text.c_str());
    return;
  }
  std::memcpy(buffer + p, "*.*", 4);
  entries.clear();
  w.lister.list(buffer, entries);
  const std::size_t patternLength = std::strlen(subfolderPattern);
  for (const DirEntry& entry : entries) {
    if (!w.s.searchRunning) break;
    if (!entry.isDirectory || entry.name == "." || entry.name == ".." || entry.unrepresentable) continue;
    if (p + entry.name.size() + 1 + patternLength >= PathBytes) {
      tooLong(w, buffer, p, entry.name);
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
                   DirLister& lister, SearchEvents& events) {
  clear(s);
  Walk w{s, lister, events, {}};
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
unsigned char foldCase(unsigned char c) { return (c >= 'a' && c <= 'z') ? static_cast<unsigned char>(c - 32) : c; }
std::size_t charLength(const unsigned char* p) { return (isLeadByte(*p) && p[1] != 0) ? 2 : 1; }

bool sameChar(const unsigned char* a, const unsigned char* b, std::size_t n) {
  if (n == 1) return foldCase(*a) == foldCase(*b);
  return a[0] == b[0] && a[1] == b[1];
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
      if (pl != nl || !sameChar(pat, name, nl)) return false;
      pat += pl;
    }
    name += nl;
  }
  return *name == 0;
}
}  // namespace

bool wildcardMatch(const char* pattern, const char* name) {
  if (std::strcmp(pattern, "*.*") == 0) return true;
  return matchFrom(reinterpret_cast<const unsigned char*>(pattern), reinterpret_cast<const unsigned char*>(name));
}

bool nameLess(const std::string& a, const std::string& b) {
  const std::size_t n = a.size() < b.size() ? a.size() : b.size();
  for (std::size_t i = 0; i < n; ++i) {
    const unsigned char x = foldCase(static_cast<unsigned char>(a[i]));
    const unsigned char y = foldCase(static_cast<unsigned char>(b[i]));
    if (x != y) return x < y;
  }
  return a.size() < b.size();
}

}  // namespace obel
