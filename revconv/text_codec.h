#pragma once
// Conversion between code page 932 text and UTF-16, the form the reading providers speak.
// iconv on POSIX systems, MultiByteToWideChar / WideCharToMultiByte on Windows.
#include <string>

namespace obel {

// The NUL-terminated CP932 text as UTF-16 (without the NUL). A byte sequence the code page
// does not define becomes U+FFFD (POSIX) or the system converter's choice.
std::u16string cp932ToUtf16(const char* text);

// The UTF-16 text (up to its NUL) as CP932 bytes, without a NUL. A character the code page
// lacks becomes the default character "?", as the system converter does.
std::string utf16ToCp932(const char16_t* text);

}  // namespace obel
