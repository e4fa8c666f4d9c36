#pragma once
// Whole-file reading for the scanner. Paths are the store's CP932 text with backslash separators;
// on POSIX they are converted to the locale's encoding and slashes when the file is opened.
#include <cstddef>
#include <memory>

namespace obel {

struct FileBytes {
  std::unique_ptr<char[]> data;  // size bytes followed by two NULs
  std::size_t size = 0;
};

// False when the file cannot be opened, is a directory, is 4 GiB or larger, cannot be read whole,
// or the buffer cannot be allocated. A short read counts as a failure: a file is scanned whole or
// not at all.
bool readWholeFile(const char* path, FileBytes& out);

}  // namespace obel
