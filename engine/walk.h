#pragma once
// The walk of one search: every target line becomes files (folder part plus a wildcard pattern,
// files first, then subfolders depth-first), each file is scanned into the store.
#include <memory>
#include <string>
#include <vector>

#include "engine/store.h"

namespace obel {

struct DirEntry {
  std::string name;  // CP932
  bool isDirectory = false;
  // The file system's name cannot be written in CP932 (POSIX only); name then holds it with
  // '?' in place of what could not be converted, for the message.
  bool unrepresentable = false;
};

// Lists the entries of a folder that match a pattern: searchPath is the folder part (CP932,
// backslash separators, ending in a backslash or empty) followed by the pattern.
class DirLister {
 public:
  virtual ~DirLister() = default;
  virtual void list(const char* searchPath, std::vector<DirEntry>& entries) = 0;
};

// FindFirstFileA on Windows; opendir with case-insensitive wildcard matching and name order on POSIX.
std::unique_ptr<DirLister> platformDirLister();

// What the search shows: the name of each file as it is scanned, and the messages about skipped
// paths (the caller shows them modally, so the walk waits for them).
class SearchEvents {
 public:
  virtual ~SearchEvents() = default;
  virtual void showFileName(const char* name) = 0;
  virtual void showMessage(const char* text) = 0;
};

extern const char PathTooLongText[];      // " はパスが長すぎるためスキップします。"
extern const char LimitReachedText[];     // "データが最大件数に達したため、検索を中止しました"
extern const char SearchStoppedText[];    // "検索を中止しました"

// A search without the item limit (obel-scan --no-limit) hands the store over whenever it cannot
// take the next file, and once more at the end; the walk then empties it and goes on. A fill
// holds whole files only, except that a file holding more than the store is cut at a line
// start and taken in consecutive fills (its line numbers counted from the file's start); a
// single line with more than the store holds keeps what the store took of it, the rest of that
// line is skipped with a message and the file goes on with the next line.
class FillSink {
 public:
  virtual ~FillSink() = default;
  virtual void takeFill(ResultStore& s) = 0;
};

extern const char LineTooLargeText[];     // " の1行のルビが最大件数を超えるため、その行の残りをスキップします。"

// Empties the store and walks every target in order while searchRunning is set. With fills,
// the item limit does not end the search: every file is taken whole, through fills.
void searchTargets(ResultStore& s, const std::vector<std::string>& targets, bool searchSubFolders,
                   DirLister& lister, SearchEvents& events, FillSink* fills = nullptr);
// The two passes after the walk and pendingCheckCount.
void finishSearch(ResultStore& s);
// The message to show after a search: the limit message, the stopped message, or nullptr.
const char* searchEndMessage(const ResultStore& s);

// Wildcard match of a name against a pattern (`*` and `?`, a double-byte character counting as
// one, letters without regard to case); "*.*" matches every name.
bool wildcardMatch(const char* pattern, const char* name);
// The order NTFS lists a folder in, for names in UTF-8 (the POSIX listing's own names): UTF-16
// units compared after upper-casing, names equal so by their bytes. Gives the names' indexes.
std::vector<std::size_t> fileSystemOrder(const std::vector<std::string>& names);

}  // namespace obel
