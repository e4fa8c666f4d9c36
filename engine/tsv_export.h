#pragma once
// The result table as tab-separated text: a header line, then one line per item in store
// order, every line ending in CR LF, texts written as stored (Shift-JIS).
#include <string>

#include "engine/store.h"

namespace obel {

extern const char TsvHeader[];
// The header with the column 候補 after 逆変換, for a table that gives the check's 候補.
extern const char TsvHeaderWithSuggestions[];

// The line of one item, CR LF included.
std::string tsvLine(const ResultStore& s, const RubyItem& item);
// With withSuggestion the item's 候補 follows its mark in a column of its own.
void appendTsvLine(std::string& out, const ResultStore& s, const RubyItem& item, bool withSuggestion = false);
// The whole file: the header and every item of the store.
std::string tsvText(const ResultStore& s, bool withSuggestions = false);

}  // namespace obel
