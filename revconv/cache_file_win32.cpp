// Win32 file operations of the cache, and the start-up and exit commands that load and save it.
#include <windows.h>

#include "revconv/cache_file.h"

namespace obel {

namespace {

class Win32FileOps final : public FileOps {
 public:
  bool modulePath(char* path, std::uint32_t capacity) override {
    const DWORD n = GetModuleFileNameA(nullptr, path, capacity);
    return n > 0 && n < capacity;
  }
  Handle openForReading(const char* path) override {
    return wrap(CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  }
  Handle createNew(const char* path) override {
    return wrap(CreateFileA(path, GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                            FILE_ATTRIBUTE_NORMAL, nullptr));
  }
  std::uint32_t read(Handle file, void* buffer, std::uint32_t bytes) override {
    std::uint32_t done = 0;
    while (done < bytes) {
      DWORD n = 0;
      if (!ReadFile(file, static_cast<char*>(buffer) + done, bytes - done, &n, nullptr) || n == 0) break;
      done += n;
    }
    return done;
  }
  std::uint32_t write(Handle file, const void* buffer, std::uint32_t bytes) override {
    std::uint32_t done = 0;
    while (done < bytes) {
      DWORD n = 0;
      if (!WriteFile(file, static_cast<const char*>(buffer) + done, bytes - done, &n, nullptr) || n == 0) break;
      done += n;
    }
    return done;
  }
  void close(Handle file) override { CloseHandle(file); }
  // A rename within the folder: no second copy of the bytes to run out of room for, and the
  // cache file is the old one or the new one at every moment, whoever else writes it.
  bool replaceFile(const char* from, const char* to) override {
    return MoveFileExA(from, to, MOVEFILE_REPLACE_EXISTING) != 0;
  }
  bool deleteFile(const char* path) override { return DeleteFileA(path) != 0; }
  LocalTime localTime() override {
    SYSTEMTIME t;
    GetLocalTime(&t);
    return {t.wDay, t.wHour, t.wMinute, t.wSecond, t.wMilliseconds};
  }

 private:
  static Handle wrap(HANDLE file) { return file == INVALID_HANDLE_VALUE ? nullptr : file; }
};

}  // namespace

FileOps& platformFileOps() {
  static Win32FileOps ops;
  return ops;
}

void loadRevConvCache() { loadCache(platformFileOps(), process::revConvCache()); }
void saveRevConvCache() { saveCache(platformFileOps(), process::revConvCache()); }

}  // namespace obel
