// Windows implementation of the CP932 / UTF-16 conversion: the system converters of the
// ANSI code page, with the two-call protocol (length first, then the text).
#include <windows.h>

#include "revconv/text_codec.h"

namespace obel {

std::u16string cp932ToUtf16(const char* text) {
  std::u16string result;
  const int units = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
  if (units <= 1) return result;
  result.resize(static_cast<std::size_t>(units));
  MultiByteToWideChar(CP_ACP, 0, text, -1, reinterpret_cast<wchar_t*>(result.data()), units);
  result.resize(static_cast<std::size_t>(units - 1));
  return result;
}

std::string utf16ToCp932(const char16_t* text) {
  std::string result;
  const wchar_t* wide = reinterpret_cast<const wchar_t*>(text);
  const int bytes = WideCharToMultiByte(CP_ACP, 0, wide, -1, nullptr, 0, nullptr, nullptr);
  if (bytes <= 1) return result;
  result.resize(static_cast<std::size_t>(bytes));
  WideCharToMultiByte(CP_ACP, 0, wide, -1, result.data(), bytes, nullptr, nullptr);
  result.resize(static_cast<std::size_t>(bytes - 1));
  return result;
}

}  // namespace obel
