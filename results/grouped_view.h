#pragma once
// The grouped view as text, for the command line: the rows GroupList would show under the
// current display conditions, as tab-separated lines of the ten columns' cell texts.
#include <string>

#include "settings/settings.h"

namespace obel {

// Header line of the ten header texts, then one line per grouped row in store order under the
// display conditions of `conditions`; every line ends in CR LF.
// With withSuggestions a column "候補" follows "逆変換": the check's 候補 of each row.
std::string groupedViewText(const Settings& conditions, bool withSuggestions = false);

// A length-filter option "N", "N+", "N-" or "N=" (以上の, 以下の, の) with N from 1 to
// MaxFilterLength;
// on success the filter is switched on with that count and comparison.
bool parseLengthOption(const char* text, LengthFilter& filter);

}  // namespace obel
