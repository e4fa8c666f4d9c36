#include "engine/sjis.h"

#include <cstring>

namespace obel {

std::ptrdiff_t findLastBackslash(const char* text) {
  std::ptrdiff_t last = -1;
  for (std::ptrdiff_t i = 0; text[i] != '\0'; ++i) {
    unsigned char b = static_cast<unsigned char>(text[i]);
    if (isLeadByte(b)) {
      if (text[i + 1] == '\0') break;  // a lead byte as the last byte is ignored
      ++i;
    } else if (b == '\\') {
      last = i;
    }
  }
  return last;
}

std::size_t folderLength(const char* path) {
  const char* slash = std::strrchr(path, '/');  // 0x2F is never a trail byte
  std::ptrdiff_t cut = slash ? slash - path : -1;
#ifdef _WIN32
  const std::ptrdiff_t backslash = findLastBackslash(path);
  if (backslash > cut) cut = backslash;
#endif
  return static_cast<std::size_t>(cut + 1);
}

}  // namespace obel
