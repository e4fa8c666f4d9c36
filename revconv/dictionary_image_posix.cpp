// POSIX parts of dictionary images (not built into the Windows program).
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "revconv/dictionary_image.h"

namespace obel {

bool fileStamp(const char* path, FileStamp& stamp) {
  struct stat s {};
  if (stat(path, &s) != 0 || !S_ISREG(s.st_mode)) return false;
  stamp = {static_cast<std::uint64_t>(s.st_size),
           static_cast<std::int64_t>(s.st_mtim.tv_sec) * 1000000000 + s.st_mtim.tv_nsec};
  return true;
}

MappedFile::MappedFile(const char* path) {
  const int fd = open(path, O_RDONLY | O_CLOEXEC);
  if (fd < 0) return;
  struct stat s {};
  if (fstat(fd, &s) == 0 && S_ISREG(s.st_mode) && s.st_size > 0) {
    // every page mapped at once: the image is read all over, and a fault for each page costs more
    void* data = mmap(nullptr, static_cast<std::size_t>(s.st_size), PROT_READ, MAP_PRIVATE | MAP_POPULATE, fd, 0);
    if (data != MAP_FAILED) {
      data_ = data;
      size_ = static_cast<std::size_t>(s.st_size);
    }
  }
  close(fd);
}

MappedFile::~MappedFile() {
  if (data_) munmap(const_cast<void*>(data_), size_);
}

std::string fullPathOf(const char* path) {
  char* full = realpath(path, nullptr);
  if (!full) return {};
  std::string out(full);
  std::free(full);
  return out;
}

std::string dictionaryImageFolder() {
  std::string folder;
  if (const char* cache = std::getenv("XDG_CACHE_HOME"); cache && cache[0] == '/') {
    folder = cache;
  } else if (const char* home = std::getenv("HOME"); home && home[0] == '/') {
    folder = std::string(home) + "/.cache";
  } else {
    return {};
  }
  for (const std::string& made : {folder, folder + "/obel"}) {
    if (mkdir(made.c_str(), 0755) != 0 && errno != EEXIST) return {};
  }
  return folder + "/obel/";
}

}  // namespace obel
