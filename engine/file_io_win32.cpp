#include <windows.h>

#include <new>

#include "engine/file_io.h"

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

}  // namespace obel
