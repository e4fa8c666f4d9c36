#pragma once
// The display conditions: which items of the result store get a row in the lists, the
// captions of the two length-filter check boxes and the check of a typed character count.
#include <cstddef>

#include "engine/store.h"
#include "settings/settings.h"

namespace obel {

// Side 0 is the key string, side 1 the ruby string.
constexpr int KeySide = 0;
constexpr int RubySide = 1;

// The length filter of a side in the settings record.
LengthFilter& lengthFilter(int side);
const char* sideLabel(int side);          // "キー" / "ルビ"
const char* compareText(int type);        // "以上の" / "以下の" / "の"; "の" for other values

// The byte length of a side's text against twice the filter's character count; true when the
// filter is off.
bool passesLengthFilter(const LengthFilter& filter, const char* text);

// True when the item is to have a row in a list under the display conditions of `conditions`
// (hideRevConv, hideKeyRuby and the two length filters): in the grouped view when expandedHead
// is null, else among the occurrences of the pair expandedHead stands for.
bool matchesDisplayConditions(const RubyItem& item, const Settings& conditions, const RubyItem* expandedHead);

// Caption of the side's length-filter check box, at most 63 bytes plus the NUL.
constexpr std::size_t LengthFilterTextBytes = 64;
void lengthFilterText(int side, char (&caption)[LengthFilterTextBytes]);
// The same for a filter of the side other than the settings record's.
void lengthFilterText(int side, const LengthFilter& filter, char (&caption)[LengthFilterTextBytes]);

// The character-count field of the length-filter dialog: empty, a whole number 1 to
// MaxFilterLength, or
// anything else.
enum class CountCheck { Ok, Empty, Invalid };
CountCheck checkCharCount(const char* text, int& count);

}  // namespace obel
