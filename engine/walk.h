#pragma once
// The walk of one search: every target line becomes files (folder part plus a wildcard pattern,
// files first, then subfolders depth-first), each file is scanned into the store.
#include <atomic>
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
// backslash separators, ending in a backslash or empty) followed by the pattern. False when the
// folder exists but cannot be listed; a folder that does not exist lists nothing and gives true.
class DirLister {
 public:
  virtual ~DirLister() = default;
  virtual bool list(const char* searchPath, std::vector<DirEntry>& entries) = 0;
};

// FindFirstFileA on Windows; opendir with case-insensitive wildcard matching and name order on POSIX.
std::unique_ptr<DirLister> platformDirLister();

// What a search could not take, apart from the skipped paths it has messages for. The window
// says nothing of these (a target that matches no file simply yields nothing); obel-scan names them.
enum class Missed : unsigned char {
  None,
  NoMatch,  // a target that matched no file, neither in its folder nor below it (path: the target)
  Folder,   // a folder that exists but cannot be listed (path: the folder, with its backslash)
  File,     // a file that cannot be opened or read whole (path: the file)
};

// What the search shows: the name of each file as it is scanned, and the messages about skipped
// paths (the caller shows them modally, so the walk waits for them). What was missed is told
// through showMissed, which shows nothing unless the caller overrides it.
class SearchEvents {
 public:
  virtual ~SearchEvents() = default;
  virtual void showFileName(const char* name) = 0;
  virtual void showMessage(const char* text) = 0;
  virtual void showMissed(Missed what, const char* path) {
    (void)what;
    (void)path;
  }
};

extern const char PathTooLongText[];      // " はパスが長すぎるためスキップします。"
extern const char LimitReachedText[];     // "データが最大件数に達したため、検索を中止しました"
extern const char SearchStoppedText[];    // "検索を中止しました"

// Empties the store and walks every target in order while searchRunning is set.
void searchTargets(ResultStore& s, const std::vector<std::string>& targets, bool searchSubFolders,
                   DirLister& lister, SearchEvents& events);

// One step of a search without the item limit: a file to search, or the message about a
// skipped path or what was missed, in the place the walk met it.
struct LibraryStep {
  std::string text;  // the file's path (CP932), the message, or the path missed
  bool isMessage = false;
  Missed missed = Missed::None;  // with isMessage: text is the path of what was missed
};

// One entry of a folder's part of the walk: a file, a message about a path it skips, or a
// subfolder to walk in its place (files first, then the subfolders depth-first).
struct FolderEntry {
  LibraryStep step;  // for a subfolder: text is its search path (its folder part and the pattern)
  bool isSubfolder = false;
  std::size_t namePosition = 0;  // of a subfolder: where the pattern starts in its search path
};
// Lists one folder of the walk into out: searchPath is the folder part followed by the pattern,
// which starts at namePosition; subfolderPattern is the subfolders' pattern, or null when they
// are not walked. found is set when a file matched or the folder could not be listed. Reads
// nothing but the folder, so that several folders can be listed at once.
void listFolder(DirLister& lister, const std::string& searchPath, std::size_t namePosition,
                const char* subfolderPattern, std::vector<FolderEntry>& out, bool& found);

// Where the walk of a target line starts: its folder part ends at namePosition, the pattern
// follows; the subfolders are walked with the same pattern when they are searched and the
// pattern holds a `*`.
struct TargetStart {
  std::size_t namePosition = 0;
  std::string pattern;
  bool subfolders = false;
};
// False when the line is too long to be a path: it is then skipped with PathTooLongText.
bool startTarget(const std::string& target, bool searchSubFolders, TargetStart& start);

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
