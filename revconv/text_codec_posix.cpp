// iconv implementation of the CP932 / UTF-16 conversion (not built into the Windows program,
// which has its own in text_codec_win32.cpp).
#include "revconv/text_codec.h"

#include <iconv.h>

#include <cerrno>
#include <cstring>

namespace obel {

namespace {

// One converter per direction and thread: iconv descriptors keep shift state and must not be
// shared between threads.
struct Converter {
  iconv_t handle;
  Converter(const char* to, const char* from) : handle(iconv_open(to, from)) {}
  ~Converter() {
    if (handle != reinterpret_cast<iconv_t>(-1)) iconv_close(handle);
  }
  bool ok() const { return handle != reinterpret_cast<iconv_t>(-1); }
};

}  // namespace

std::u16string cp932ToUtf16(const char* text) {
  thread_local Converter converter("UTF-16LE", "CP932");
  std::u16string result;
  if (!converter.ok()) return result;
  iconv(converter.handle, nullptr, nullptr, nullptr, nullptr);
  char* in = const_cast<char*>(text);
  std::size_t inLeft = std::strlen(text);
  char16_t buffer[256];
  while (inLeft > 0) {
    char* out = reinterpret_cast<char*>(buffer);
    std::size_t outLeft = sizeof buffer;
    const std::size_t r = iconv(converter.handle, &in, &inLeft, &out, &outLeft);
    result.append(buffer, (sizeof buffer - outLeft) / 2);
    if (r == static_cast<std::size_t>(-1) && errno != E2BIG) {
      // An undefined or truncated sequence: one replacement character for its first byte.
      result.push_back(u'\xFFFD');
      ++in;
      --inLeft;
    }
  }
  return result;
}

std::string utf16ToCp932(const char16_t* text) {
  thread_local Converter converter("CP932", "UTF-16LE");
  std::string result;
  if (!converter.ok()) return result;
  iconv(converter.handle, nullptr, nullptr, nullptr, nullptr);
  std::size_t units = 0;
  while (text[units] != 0) ++units;
  char* in = reinterpret_cast<char*>(const_cast<char16_t*>(text));
  std::size_t inLeft = units * 2;
  char buffer[256];
  while (inLeft > 0) {
    char* out = buffer;
    std::size_t outLeft = sizeof buffer;
    const std::size_t r = iconv(converter.handle, &in, &inLeft, &out, &outLeft);
    result.append(buffer, sizeof buffer - outLeft);
    if (r == static_cast<std::size_t>(-1) && errno != E2BIG) {
      // A character the code page lacks (or a lone surrogate): the default character.
      result.push_back('?');
      const char16_t unit = *reinterpret_cast<const char16_t*>(in);
      const std::size_t skip = (unit >= 0xD800 && unit <= 0xDBFF && inLeft >= 4) ? 4 : 2;
      in += skip;
      inLeft -= skip;
    }
  }
  return result;
}

}  // namespace obel
