#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <new>
#include <string>

#include "engine/file_io.h"
#include "engine/native_path.h"

namespace obel {

bool readWholeFile(const char* path, FileBytes& out) {
  std::string native;
  if (!toNativePath(path, native)) return false;
  const int fd = ::open(native.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  struct stat info;
  bool ok = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_size < (1LL << 32);
  if (ok) {
    const std::size_t size = static_cast<std::size_t>(info.st_size);
    out.data.reset(new (std::nothrow) char[size + 2]);
    ok = out.data != nullptr;
    std::size_t done = 0;
    while (ok && done < size) {
      const ssize_t got = ::read(fd, out.data.get() + done, size - done);
      if (got <= 0) ok = false;
      else done += static_cast<std::size_t>(got);
    }
    if (ok) {
      out.size = size;
      out.data[size] = '\0';
      out.data[size + 1] = '\0';
    }
  }
  ::close(fd);
  if (!ok) out.data.reset();
  return ok;
}

}  // namespace obel
