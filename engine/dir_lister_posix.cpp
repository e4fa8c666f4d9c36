#include <dirent.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <string>
#include <vector>

#include "engine/native_path.h"
#include "engine/sjis.h"
#include "engine/walk.h"

namespace obel {

namespace {

// Whether the entry is a folder: from the listing where the file system tells, else (and for a
// link, which counts as what it points to) from the file itself.
bool isDirectory(const std::string& folder, const dirent& e) {
  if (e.d_type == DT_DIR) return true;
  if (e.d_type != DT_UNKNOWN && e.d_type != DT_LNK) return false;
  struct stat info;
  const std::string full = folder + "/" + e.d_name;
  return ::stat(full.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

class PosixDirLister : public DirLister {
 public:
  bool list(const char* searchPath, std::vector<DirEntry>& entries) override {
    entries.clear();
    const std::ptrdiff_t slash = findLastBackslash(searchPath);
    const std::string folderPart(searchPath, static_cast<std::size_t>(slash + 1));
    const char* pattern = searchPath + slash + 1;
    std::string folder;
    if (folderPart.empty()) folder = ".";
    else if (!toNativePath(folderPart.c_str(), folder)) return true;  // no such name on this disk
    DIR* dir = ::opendir(folder.c_str());
    if (!dir) return errno == ENOENT || errno == ENOTDIR;
    std::vector<std::string> native;  // the entries' own names, for the order
    while (const dirent* e = ::readdir(dir)) {
      DirEntry entry;
      if (!fromNativePath(e->d_name, entry.name)) {
        entry.name = utf8ToCp932(e->d_name);
        entry.unrepresentable = true;
      }
      if (!wildcardMatch(pattern, entry.name.c_str())) continue;
      entry.isDirectory = isDirectory(folder, *e);
      entries.push_back(std::move(entry));
      native.push_back(e->d_name);
    }
    ::closedir(dir);
    // In the order NTFS would give, so that a search gives the same table on both systems.
    const std::vector<std::size_t> order = fileSystemOrder(native);
    std::vector<DirEntry> sorted;
    sorted.reserve(order.size());
    for (std::size_t i : order) sorted.push_back(std::move(entries[i]));
    entries = std::move(sorted);
    return true;
  }
};

}  // namespace

std::unique_ptr<DirLister> platformDirLister() { return std::make_unique<PosixDirLister>(); }

}  // namespace obel
