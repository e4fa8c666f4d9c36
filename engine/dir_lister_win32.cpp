#include <windows.h>

#include "engine/walk.h"

namespace obel {

namespace {

class Win32DirLister : public DirLister {
 public:
  void list(const char* searchPath, std::vector<DirEntry>& entries) override {
    entries.clear();
    WIN32_FIND_DATAA found;
    HANDLE find = FindFirstFileA(searchPath, &found);
    if (find == INVALID_HANDLE_VALUE) return;
    do {
      DirEntry entry;
      entry.name = found.cFileName;
      entry.isDirectory = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
      entries.push_back(std::move(entry));
    } while (FindNextFileA(find, &found));
    FindClose(find);
  }
};

}  // namespace

std::unique_ptr<DirLister> platformDirLister() { return std::make_unique<Win32DirLister>(); }

}  // namespace obel
