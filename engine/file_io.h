#pragma once
// Whole-file reading for the scanner. Paths are the store's CP932 text with backslash separators;
// on POSIX they are converted to the locale's encoding and slashes when the file is opened.
#include <cstddef>
#include <memory>
#include <string_view>

namespace obel {

struct FileBytes {
  std::unique_ptr<char[]> data;  // size bytes followed by two NULs
  std::size_t size = 0;
};

// False when the file cannot be opened, is a directory, is 4 GiB or larger, cannot be read whole,
// or the buffer cannot be allocated. A short read counts as a failure: a file is scanned whole or
// not at all.
bool readWholeFile(const char* path, FileBytes& out);

// Writes bytes to a new temporary file "Obel_xxxxxxxx.tmp" beside path and moves it over path
// in one step, so that path is at every moment either the old file or the new one whole, never
// a part of it (a full disk) nor a mix (another program writing it at the same time). False,
// with the old file untouched and no temporary file left, when any step fails or path is a
// folder or a read-only file. Windows only.
bool replaceFileWhole(const char* path, std::string_view bytes);

}  // namespace obel
