// The composition of a ruby from the readings of its key's characters, over a small KANJIDIC:
// the first two bytes choose the rules, the rest is the key and the ruby (CP932) separated by
// a NUL byte. The input is bounded so that every run ends at once whatever the walk costs.
#include <cstdint>
#include <string_view>

#include "revconv/kanji_readings.h"
#include "tests/fuzz/small_kanjidic.h"

using namespace obel;

namespace {

// Longer than any real key and ruby together; longer inputs are skipped.
constexpr std::size_t MaxInput = 128;
constexpr unsigned AllRules = 0x3FF;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2 || size > MaxInput) return 0;
  static const KanjiReadings* readings = [] {
    auto* k = new KanjiReadings;
    k->loadText(fuzz::SmallKanjidic);
    return k;
  }();
  const unsigned rules = (data[0] | data[1] << 8) & AllRules;
  const std::string_view rest(reinterpret_cast<const char*>(data) + 2, size - 2);
  const std::size_t split = rest.find('\0');
  const std::string_view key = rest.substr(0, split);
  const std::string_view ruby = split == std::string_view::npos ? std::string_view() : rest.substr(split + 1);
  readings->composes(key, ruby, rules);
  isKatakanaGloss(key, ruby);
  return 0;
}
