// Win32 parts of dictionary images.
#include <windows.h>

#include "revconv/dictionary_image.h"
#include "revconv/kanji_readings.h"

namespace obel {

bool fileStamp(const char* path, FileStamp& stamp) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExA(path, GetFileExInfoStandard, &data) || (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
    return false;
  stamp = {static_cast<std::uint64_t>(data.nFileSizeHigh) << 32 | data.nFileSizeLow,
           static_cast<std::int64_t>(static_cast<std::uint64_t>(data.ftLastWriteTime.dwHighDateTime) << 32 |
                                     data.ftLastWriteTime.dwLowDateTime)};
  return true;
}

MappedFile::MappedFile(const char* path) {
  // shared for reading only: while it is mapped, no run can write the image over it
  HANDLE file =
      CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  LARGE_INTEGER size;
  if (GetFileSizeEx(file, &size) && size.QuadPart > 0 && static_cast<unsigned long long>(size.QuadPart) <= SIZE_MAX) {
    if (HANDLE mapping = CreateFileMappingA(file, nullptr, PAGE_READONLY, 0, 0, nullptr)) {
      if (const void* data = MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 0)) {
        data_ = data;
        size_ = static_cast<std::size_t>(size.QuadPart);
        mapping_ = mapping;
      } else {
        CloseHandle(mapping);
      }
    }
  }
  CloseHandle(file);  // the mapping keeps the file open
}

MappedFile::~MappedFile() {
  if (data_) UnmapViewOfFile(data_);
  if (mapping_) CloseHandle(mapping_);
}

std::string fullPathOf(const char* path) {
  char full[4096];
  const DWORD n = GetFullPathNameA(path, sizeof full, full, nullptr);
  return n == 0 || n >= sizeof full ? std::string() : std::string(full, n);
}

std::string dictionaryImageFolder() {
  // beside the program, as everything it writes: the folder is all there is to remove
  const std::string program = programFolder();
  if (program.empty()) return {};
  const std::string folder = program + "ObelImages";
  if (!CreateDirectoryA(folder.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) return {};
  return folder + "\\";
}

}  // namespace obel
