// The KANJIDIC reader over any bytes (a user may replace the kanjidic beside the program),
// then the composition of each of the first lines' kanji with that line's own readings, so
// that what the reader indexed is also walked.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "revconv/kanji_readings.h"
#include "revconv/skk_dictionary.h"
#include "revconv/text_codec.h"

using namespace obel;

namespace {

// Inputs longer than this only repeat what shorter ones reach, more slowly.
constexpr std::size_t MaxInput = 16384;

// A KANJIDIC reading as the ruby it stands for: katakana as hiragana, without '.' and '-'.
std::u16string rubyOf(std::u16string_view reading) {
  std::u16string ruby;
  for (char16_t c : reading) {
    if (c == u'.' || c == u'-') continue;
    ruby += c >= u'ァ' && c <= u'ヶ' ? static_cast<char16_t>(c - 0x60) : c;
  }
  return ruby;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size > MaxInput) return 0;
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  KanjiReadings readings;
  readings.loadText(bytes);
  std::size_t lines = 1;
  for (char c : bytes) lines += c == '\n';
  if (readings.kanjiCount() > lines) std::abort();

  std::size_t start = 0;
  for (int line = 0; line < 4 && start < bytes.size(); ++line) {
    std::size_t end = bytes.find('\n', start);
    if (end == std::string_view::npos) end = bytes.size();
    const std::u16string text = decodeEucJp(bytes.substr(start, end - start));
    start = end + 1;
    if (text.size() < 3 || text[1] != u' ') continue;
    const std::string key = utf16ToCp932(text.substr(0, 1).c_str());
    // A few readings a line: enough to walk what the reader indexed, few enough to stay fast.
    for (std::size_t p = 2, taken = 0; p < text.size() && taken < 8; ++taken) {
      std::size_t q = text.find(u' ', p);
      if (q == std::u16string::npos) q = text.size();
      const std::u16string ruby = rubyOf(std::u16string_view(text).substr(p, q - p));
      p = q + 1;
      if (ruby.empty()) continue;
      const std::string cp932 = utf16ToCp932(ruby.c_str());
      readings.composes(key, cp932);
      readings.composes(key + key, cp932 + cp932, DefaultComposeRules | ComposeNames | ComposeLargeSmall);
    }
  }
  return 0;
}
