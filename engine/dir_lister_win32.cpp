#include <windows.h>

#include "engine/walk.h"

namespace obel {

namespace {

class Win32DirLister : public DirLister {
 public:
  bool list(const char* searchPath, std::vector<DirEntry>& entries) override {
    entries.clear();
    WIN32_FIND_DATAA found;
    HANDLE find = FindFirstFileA(searchPath, &found);
    if (find == INVALID_HANDLE_VALUE) {
      // nothing matches, the folder or one above it does not exist, or the path names none
      const DWORD error = GetLastError();
      return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND || error == ERROR_NO_MORE_FILES ||
             error == ERROR_INVALID_NAME || error == ERROR_DIRECTORY || error == ERROR_BAD_NETPATH;
    }
    do {
      DirEntry entry;
      entry.name = found.cFileName;
      entry.isDirectory = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
      entries.push_back(std::move(entry));
    } while (FindNextFileA(find, &found));
    FindClose(find);
    return true;
  }
};

}  // namespace

std::unique_ptr<DirLister> platformDirLister() { return std::make_unique<Win32DirLister>(); }

}  // namespace obel
