#pragma once
// The settings record: every option of the program, one process-wide instance filled at
// start-up from "Obel.ini" beside the executable.
#include <cstdint>

namespace obel {

struct LengthFilter {
  std::int32_t use;     // 0 or 1
  std::int32_t length;  // character count
  std::int32_t type;    // 0 "以上の", 1 "以下の", 2 "の"
};

struct Settings {
  std::int32_t searchSubFolder = 1;
  std::int32_t hideRevConv = 0;
  std::int32_t hideKeyRuby = 0;  // SameKeyRubyMode
  LengthFilter keyLengthFilter{0, 2, 0};
  LengthFilter rubyLengthFilter{0, 2, 0};
  std::int32_t queryExit = 1;
  std::int32_t useRevConvCache = 0;
  std::int32_t fontSize = 20;
  char fontName[51] = "ＭＳ ゴシック";
  char textEditor[260] = "";
  char commandLine[31] = "\"%F\"";
  // "ReadingDictionary": the SKK dictionaries for the reverse-conversion check where no input
  // method answers, names separated by ';'; empty when none is chosen.
  char readingDictionary[1024] = "";
};

// The process-wide record.
Settings& settings();

}  // namespace obel
