#pragma once
// Shift-JIS (code page 932) byte helpers shared by every subsystem.
#include <cstddef>

namespace obel {

// A byte from 0x81 to 0x9F or from 0xE0 to 0xFC leads a double-byte character.
constexpr bool isLeadByte(unsigned char b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }

// Position of the last backslash of the NUL-terminated text, skipping trail bytes
// (the 0x5C of ソ or 表 is not a backslash); -1 when there is none.
std::ptrdiff_t findLastBackslash(const char* text);

// The length of the path's folder, with its closing separator: up to and with the last slash
// or, on Windows, the last backslash; 0 when there is none.
std::size_t folderLength(const char* path);

}  // namespace obel
