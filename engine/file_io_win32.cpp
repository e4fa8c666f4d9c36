#include <windows.h>

#include <cstdio>
#include <cstring>
#include <new>

#include "engine/file_io.h"
#include "engine/sjis.h"
#include "engine/store.h"

namespace obel {

bool readWholeFile(const char* path, FileBytes& out) {
  HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                            FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD high = 0;
  const DWORD size = GetFileSize(file, &high);
  bool ok = !(size == INVALID_FILE_SIZE && GetLastError() != NO_ERROR) && high == 0;
  if (ok) {
    out.data.reset(new (std::nothrow) char[static_cast<std::size_t>(size) + 2]);
    ok = out.data != nullptr;
  }
  if (ok) {
    DWORD got = 0;
    ok = ReadFile(file, out.data.get(), size, &got, nullptr) && got == size;
    if (ok) {
      out.size = size;
      out.data[size] = '\0';
      out.data[size + 1] = '\0';
    }
  }
  CloseHandle(file);
  if (!ok) out.data.reset();
  return ok;
}

namespace {

// Creates a new file "Obel_XXXXXXXX.tmp" in the folder of target; its path goes to temporary.
HANDLE createTemporaryBeside(const char* target, char (&temporary)[PathBytes]) {
  const std::size_t folder = folderLength(target);
  constexpr std::size_t NameBytes = sizeof "Obel_12345678.tmp";
  if (folder + NameBytes > sizeof temporary) return INVALID_HANDLE_VALUE;
  std::memcpy(temporary, target, folder);
  const DWORD seed = GetTickCount() ^ (GetCurrentProcessId() << 16);
  for (DWORD attempt = 0; attempt < 256; ++attempt) {
    std::snprintf(temporary + folder, NameBytes, "Obel_%08lx.tmp", static_cast<unsigned long>(seed + attempt));
    HANDLE file = CreateFileA(temporary, GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) return file;
    if (GetLastError() != ERROR_FILE_EXISTS && GetLastError() != ERROR_ALREADY_EXISTS) break;
  }
  return INVALID_HANDLE_VALUE;
}

bool writeAll(HANDLE file, std::string_view bytes) {
  constexpr std::size_t Chunk = 1u << 20;
  while (!bytes.empty()) {
    const DWORD n = static_cast<DWORD>(bytes.size() < Chunk ? bytes.size() : Chunk);
    DWORD written = 0;
    if (!WriteFile(file, bytes.data(), n, &written, nullptr) || written != n) return false;
    bytes.remove_prefix(n);
  }
  return true;
}

}  // namespace

bool replaceFileWhole(const char* path, std::string_view bytes) {
  // A read-only file is never replaced (Windows refuses to rename over one; Wine would not).
  const DWORD attributes = GetFileAttributesA(path);
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)))
    return false;
  char temporary[PathBytes];
  HANDLE file = createTemporaryBeside(path, temporary);
  if (file == INVALID_HANDLE_VALUE) return false;
  bool written = writeAll(file, bytes);
  written = CloseHandle(file) && written;
  if (written && MoveFileExA(temporary, path, MOVEFILE_REPLACE_EXISTING)) return true;
  DeleteFileA(temporary);
  return false;
}

}  // namespace obel
