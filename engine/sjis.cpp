#include "engine/sjis.h"

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

}  // namespace obel
