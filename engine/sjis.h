#pragma once
// Shift-JIS (code page 932) byte helpers and kana arithmetic shared by every subsystem, and
// the one UTF-8 decoder.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace obel {

// A byte from 0x81 to 0x9F or from 0xE0 to 0xFC leads a double-byte character.
constexpr bool isLeadByte(unsigned char b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }

// Position of the last backslash of the NUL-terminated text, skipping trail bytes
// (the 0x5C of ソ or 表 is not a backslash); -1 when there is none.
std::ptrdiff_t findLastBackslash(const char* text);

// The length of the path's folder, with its closing separator: up to and with the last slash
// or, on Windows, the last backslash; 0 when there is none.
std::size_t folderLength(const char* path);

// Kana as CP932 codes (a double-byte character as one 16-bit value, lead byte high). The hiragana
// ぁ-ん are 0x829F-0x82F1 in the order of their UTF-16 codes U+3041-U+3093, so kana arithmetic
// is the same in both.
constexpr unsigned FirstHiragana = 0x829F;  // ぁ
constexpr unsigned LastHiragana = 0x82F1;   // ん
constexpr char16_t FirstHiraganaUtf16 = u'\u3041';
constexpr char16_t LastHiraganaUtf16 = u'\u3093';

constexpr bool isHiragana(unsigned code) { return code >= FirstHiragana && code <= LastHiragana; }
constexpr bool isHiraganaUtf16(char16_t c) { return c >= FirstHiraganaUtf16 && c <= LastHiraganaUtf16; }
// The CP932 code of the hiragana whose UTF-16 code is c, and back; for hiragana only.
constexpr std::uint16_t hiraganaOfUtf16(char16_t c) {
  return static_cast<std::uint16_t>(FirstHiragana + (c - FirstHiraganaUtf16));
}
constexpr char16_t utf16OfHiragana(unsigned code) {
  return static_cast<char16_t>(FirstHiraganaUtf16 + (code - FirstHiragana));
}
// ァ-ヶ (0x8340-0x8396; 0x837F is no character).
constexpr bool isKatakana(unsigned code) { return code >= 0x8340 && code <= 0x8396 && code != 0x837F; }
// The hiragana of a katakana ァ-ン; ヴ ヵ ヶ, which have no CP932 hiragana, and anything else
// as it is.
std::uint16_t toHiragana(unsigned code);
// The voiced hiragana of code (か → が, つ → づ, は → ば), or 0.
std::uint16_t voicedKana(unsigned code);
// The semi-voiced hiragana of a は-row code (は → ぱ), or 0.
std::uint16_t semiVoicedKana(unsigned code);
// The hiragana without its voicing mark (が → か, ぱ → は); anything else as it is.
std::uint16_t unvoicedKana(unsigned code);
// The large form of a small hiragana ぁぃぅぇぉっゃゅょゎ; anything else as it is.
std::uint16_t largeKana(unsigned code);

// How decodeUtf8 writes a bad byte.
enum class BadUtf8Byte {
  Replaced,  // as U+FFFD
  AsItself,  // as the UTF-16 unit of the byte's value (names in no encoding stay apart)
};
// The UTF-16 of UTF-8 bytes. A byte that begins no complete sequence of a lead byte and its
// continuation bytes is one bad byte, written as `bad` says; decoding goes on at the next byte.
std::u16string decodeUtf8(std::string_view utf8, BadUtf8Byte bad = BadUtf8Byte::Replaced);
// The same into out (emptied first), whose room is kept from one call to the next.
void decodeUtf8(std::string_view utf8, std::u16string& out, BadUtf8Byte bad = BadUtf8Byte::Replaced);

}  // namespace obel
