// POSIX file operations of the cache (not built into the Windows program).
#include <fcntl.h>
#include <sys/time.h>
#include <unistd.h>

#include <cstdio>
#include <ctime>

#include "revconv/cache_file.h"

namespace obel {

namespace {

class PosixFileOps final : public FileOps {
 public:
  bool modulePath(char* path, std::uint32_t capacity) override {
    const ssize_t n = readlink("/proc/self/exe", path, capacity - 1);
    if (n <= 0) return false;
    path[n] = 0;
    return true;
  }
  Handle openForReading(const char* path) override { return wrap(open(path, O_RDONLY | O_CLOEXEC)); }
  Handle createNew(const char* path) override {
    return wrap(open(path, O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0644));
  }
  std::uint32_t read(Handle file, void* buffer, std::uint32_t bytes) override {
    std::uint32_t done = 0;
    while (done < bytes) {
      const ssize_t n = ::read(fd(file), static_cast<char*>(buffer) + done, bytes - done);
      if (n <= 0) break;
      done += static_cast<std::uint32_t>(n);
    }
    return done;
  }
  std::uint32_t write(Handle file, const void* buffer, std::uint32_t bytes) override {
    std::uint32_t done = 0;
    while (done < bytes) {
      const ssize_t n = ::write(fd(file), static_cast<const char*>(buffer) + done, bytes - done);
      if (n <= 0) break;
      done += static_cast<std::uint32_t>(n);
    }
    return done;
  }
  void close(Handle file) override { ::close(fd(file)); }
  bool replaceFile(const char* from, const char* to) override { return std::rename(from, to) == 0; }
  bool deleteFile(const char* path) override { return unlink(path) == 0; }
  LocalTime localTime() override {
    timeval now{};
    gettimeofday(&now, nullptr);
    std::tm parts{};
    const std::time_t seconds = now.tv_sec;
    localtime_r(&seconds, &parts);
    return {static_cast<std::uint32_t>(parts.tm_mday), static_cast<std::uint32_t>(parts.tm_hour),
            static_cast<std::uint32_t>(parts.tm_min), static_cast<std::uint32_t>(parts.tm_sec),
            static_cast<std::uint32_t>(now.tv_usec / 1000)};
  }

 private:
  // Descriptors are kept in the handle as fd + 1, so that descriptor 0 is not the null handle.
  static Handle wrap(int fd) { return fd < 0 ? nullptr : reinterpret_cast<Handle>(static_cast<std::intptr_t>(fd) + 1); }
  static int fd(Handle file) { return static_cast<int>(reinterpret_cast<std::intptr_t>(file) - 1); }
};

}  // namespace

FileOps& platformFileOps() {
  static PosixFileOps ops;
  return ops;
}

}  // namespace obel
