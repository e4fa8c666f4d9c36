// The CP932 / UTF-16 conversion on POSIX systems (not built into the Windows program, which has
// its own in text_codec_win32.cpp). iconv defines it; a check asks it millions of times, so its
// answers for every character are taken into two tables once, and a text is converted through
// them. A text the tables cannot answer exactly as iconv would (a surrogate, or a sequence
// iconv treats otherwise than one character) goes through iconv itself.
#include "revconv/text_codec.h"

#include <iconv.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <vector>

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

std::u16string iconvToUtf16(const char* text, std::size_t bytes) {
  thread_local Converter converter("UTF-16LE", "CP932");
  std::u16string result;
  if (!converter.ok()) return result;
  iconv(converter.handle, nullptr, nullptr, nullptr, nullptr);
  char* in = const_cast<char*>(text);
  std::size_t inLeft = bytes;
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

std::string iconvToCp932(const char16_t* text, std::size_t units) {
  thread_local Converter converter("CP932", "UTF-16LE");
  std::string result;
  if (!converter.ok()) return result;
  iconv(converter.handle, nullptr, nullptr, nullptr, nullptr);
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

// What the decoding table holds besides characters (neither is one CP932 gives).
constexpr char16_t Undefined = 0xFFFD;  // one replacement character, and on with the next byte
constexpr char16_t AskIconv = 0xFFFF;   // the text goes through iconv
// What the encoding table holds besides codes: a code below 0x100 is one byte, any other two.
constexpr std::uint16_t NoCode = 0;            // the default character '?'
constexpr std::uint16_t AskIconvCode = 0xFFFF;  // no CP932 code ends in 0xFF

struct Tables {
  // By a byte, then by a lead byte and the byte after it (0 for the end of the text).
  std::vector<char16_t> single = std::vector<char16_t>(256, AskIconv);
  std::vector<char16_t> pair = std::vector<char16_t>(256 * 256, AskIconv);
  std::vector<bool> lead = std::vector<bool>(256, false);
  std::vector<std::uint16_t> code = std::vector<std::uint16_t>(65536, AskIconvCode);
};

void fillDecoding(Tables& t) {
  for (unsigned b = 1; b < 256; ++b) {
    const char one[2] = {static_cast<char>(b), 0};
    const std::u16string alone = iconvToUtf16(one, 1);
    if (alone == u"\xFFFD") {
      // undefined alone: a lead byte when some byte after it makes a character
      for (unsigned trail = 1; trail < 256; ++trail) {
        const char two[3] = {static_cast<char>(b), static_cast<char>(trail), 0};
        const std::u16string both = iconvToUtf16(two, 2);
        if (both.size() == 1 && both[0] != Undefined) {
          t.lead[b] = true;
          t.pair[b * 256 + trail] = both[0];
        } else if (both.size() == 2 && both[0] == Undefined) {
          const char rest[2] = {static_cast<char>(trail), 0};
          // the lead is undefined before this byte, which is read on its own
          if (both.substr(1) == iconvToUtf16(rest, 1)) t.pair[b * 256 + trail] = Undefined;
        }
      }
      t.pair[b * 256] = Undefined;  // a lead byte as the last byte
      t.single[b] = t.lead[b] ? AskIconv : Undefined;
    } else {
      if (alone.size() == 1 && alone[0] != AskIconv) t.single[b] = alone[0];
    }
  }
}

void fillEncoding(Tables& t) {
  for (std::uint32_t c = 1; c < 0x10000; ++c) {
    if (c >= 0xD800 && c <= 0xDFFF) continue;  // surrogates go through iconv
    const char16_t unit[1] = {static_cast<char16_t>(c)};
    const std::string bytes = iconvToCp932(unit, 1);
    if (bytes == "?" && c != u'?') {
      t.code[c] = NoCode;
    } else if (bytes.size() == 1) {
      t.code[c] = static_cast<unsigned char>(bytes[0]);
    } else if (bytes.size() == 2 && static_cast<unsigned char>(bytes[0]) >= 0x81) {
      t.code[c] = static_cast<std::uint16_t>(static_cast<unsigned char>(bytes[0]) << 8 |
                                             static_cast<unsigned char>(bytes[1]));
    }
  }
}

Tables makeTables() {
  Tables t;
  fillDecoding(t);
  fillEncoding(t);
  return t;
}

// Made on the first conversion, once for every thread.
const Tables& tables() {
  static const Tables made = makeTables();
  return made;
}

}  // namespace

std::u16string cp932ToUtf16(const char* text) {
  const Tables& t = tables();
  std::u16string result;
  const unsigned char* p = reinterpret_cast<const unsigned char*>(text);
  // room for a long text at once; a short one (most keys and readings) fits in the string itself
  if (const std::size_t bytes = std::strlen(text); bytes > 2 * result.capacity()) result.reserve(bytes);
  while (*p != 0) {
    if (!t.lead[*p]) {
      const char16_t c = t.single[*p];
      if (c == AskIconv) return iconvToUtf16(text, std::strlen(text));
      result.push_back(c);
      ++p;
      continue;
    }
    const char16_t c = t.pair[p[0] * 256 + p[1]];
    if (c == AskIconv) return iconvToUtf16(text, std::strlen(text));
    result.push_back(c);
    p += c == Undefined ? 1 : 2;
  }
  return result;
}

std::string utf16ToCp932(const char16_t* text) {
  const Tables& t = tables();
  std::string result;
  std::size_t units = 0;
  while (text[units] != 0) ++units;
  result.reserve(units * 2);
  for (std::size_t i = 0; i < units; ++i) {
    const std::uint16_t code = t.code[text[i]];
    if (code == AskIconvCode) return iconvToCp932(text, units);
    if (code == NoCode) {
      result.push_back('?');
    } else {
      if (code >= 0x100) result.push_back(static_cast<char>(code >> 8));
      result.push_back(static_cast<char>(code & 0xFF));
    }
  }
  return result;
}

}  // namespace obel
