#pragma once
// The settings record: every option of the program, one process-wide instance filled at
// start-up from "Obel.ini" beside the executable.
#include <cstdint>

namespace obel {

// SameKeyRubyMode, the values of hideKeyRuby: which items the lists show.
constexpr std::int32_t ShowAllItems = 0;   // "全て表示"
constexpr std::int32_t SameKeyItems = 1;   // "同じキーが存在する項目のみ表示"
constexpr std::int32_t SameRubyItems = 2;  // "同じルビが存在する項目のみ表示"

// How a length filter compares a text with its character count (LengthFilter::type).
constexpr std::int32_t AtLeastLength = 0;  // "以上の"
constexpr std::int32_t AtMostLength = 1;   // "以下の"
constexpr std::int32_t ExactLength = 2;    // "の"

// The largest character count a length filter takes (the dialog's spin and field, the command line).
constexpr std::int32_t MaxFilterLength = 99;

struct LengthFilter {
  std::int32_t use;     // 0 or 1
  std::int32_t length;  // character count, 1 to MaxFilterLength
  std::int32_t type;    // AtLeastLength, AtMostLength or ExactLength
};

struct Settings {
  std::int32_t searchSubFolder = 1;
  std::int32_t hideRevConv = 0;
  std::int32_t hideKeyRuby = 0;  // SameKeyRubyMode
  LengthFilter keyLengthFilter{0, 2, 0};
  LengthFilter rubyLengthFilter{0, 2, 0};
  std::int32_t queryExit = 1;
  std::int32_t useRevConvCache = 0;
  // "ComposedReadings": a reading the check cannot confirm but that is made of the readings of
  // the key's characters is marked ？ instead of ×.
  std::int32_t composedReadings = 1;
  std::int32_t fontSize = 20;
  char fontName[51] = "ＭＳ ゴシック";
  char textEditor[260] = "";
  char commandLine[31] = "\"%F\"";
  // "ReadingDictionary": the SKK dictionaries for the reverse-conversion check where no input
  // method answers, names separated by ';'; empty when none is chosen.
  char readingDictionary[1024] = "";
};

// The process-wide record.
namespace process {
Settings& settings();
}  // namespace process

}  // namespace obel
