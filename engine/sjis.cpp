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

std::uint16_t toHiragana(unsigned code) {
  if (code >= 0x8340 && code <= 0x837E) return static_cast<std::uint16_t>(code - 0xA1);  // ァ-ミ
  if (code >= 0x8380 && code <= 0x8393) return static_cast<std::uint16_t>(code - 0xA2);  // ム-ン
  return static_cast<std::uint16_t>(code);
}

std::uint16_t voicedKana(unsigned code) {
  if (!isHiragana(code)) return 0;
  const unsigned u = utf16OfHiragana(code);
  const bool voices = (u >= u'か' && u <= u'ち' && (u - u'か') % 2 == 0) || u == u'つ' || u == u'て' ||
                      u == u'と' || (u >= u'は' && u <= u'ほ' && (u - u'は') % 3 == 0);
  return voices ? static_cast<std::uint16_t>(code + 1) : 0;
}

std::uint16_t semiVoicedKana(unsigned code) {
  if (!isHiragana(code)) return 0;
  const unsigned u = utf16OfHiragana(code);
  return u >= u'は' && u <= u'ほ' && (u - u'は') % 3 == 0 ? static_cast<std::uint16_t>(code + 2) : 0;
}

std::uint16_t unvoicedKana(unsigned code) {
  if (!isHiragana(code)) return static_cast<std::uint16_t>(code);
  const unsigned u = utf16OfHiragana(code);
  if (u >= u'か' && u <= u'ぢ') return static_cast<std::uint16_t>(code - (u - u'か') % 2);
  if (u >= u'つ' && u <= u'ど') return static_cast<std::uint16_t>(code - (u - u'つ') % 2);
  if (u >= u'は' && u <= u'ぽ') return static_cast<std::uint16_t>(code - (u - u'は') % 3);
  return static_cast<std::uint16_t>(code);
}

std::uint16_t largeKana(unsigned code) {
  switch (isHiragana(code) ? utf16OfHiragana(code) : 0) {
    case u'ぁ': case u'ぃ': case u'ぅ': case u'ぇ': case u'ぉ': case u'っ': case u'ゃ': case u'ゅ': case u'ょ':
    case u'ゎ':
      return static_cast<std::uint16_t>(code + 1);
    default:
      return static_cast<std::uint16_t>(code);
  }
}

std::u16string decodeUtf8(std::string_view utf8, BadUtf8Byte bad) {
  std::u16string out;
  decodeUtf8(utf8, out, bad);
  return out;
}

void decodeUtf8(std::string_view utf8, std::u16string& out, BadUtf8Byte bad) {
  // no sequence gives more units than it has bytes: written through a pointer, cut to size at the end
  out.resize(utf8.size());
  char16_t* to = out.data();
  for (std::size_t i = 0; i < utf8.size();) {
    const unsigned char b = static_cast<unsigned char>(utf8[i]);
    if (b < 0x80) {
      *to++ = b;
      ++i;
      continue;
    }
    const std::size_t n = (b >> 5) == 6 ? 2 : (b >> 4) == 14 ? 3 : (b >> 3) == 30 ? 4 : 0;
    std::uint32_t cp = n == 2 ? (b & 0x1Fu) : n == 3 ? (b & 0x0Fu) : (b & 0x07u);
    bool valid = n != 0 && i + n <= utf8.size();
    for (std::size_t k = 1; valid && k < n; ++k) {
      const unsigned char t = static_cast<unsigned char>(utf8[i + k]);
      valid = (t >> 6) == 2;
      cp = (cp << 6) | (t & 0x3Fu);
    }
    if (!valid) {
      *to++ = bad == BadUtf8Byte::Replaced ? u'\xFFFD' : static_cast<char16_t>(b);
      ++i;
      continue;
    }
    if (cp >= 0x10000) {
      *to++ = static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10));
      *to++ = static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF));
    } else {
      *to++ = static_cast<char16_t>(cp);
    }
    i += n;
  }
  out.resize(static_cast<std::size_t>(to - out.data()));
}

}  // namespace obel
