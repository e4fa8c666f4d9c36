#pragma once
// The result table as tab-separated text: a header line, then one line per item in store
// order, every line ending in CR LF, texts written as stored (Shift-JIS).
#include <string>

#include "engine/store.h"

namespace obel {

extern const char TsvHeader[];

// The line of one item, CR LF included.
std::string tsvLine(const ResultStore& s, const RubyItem& item);
void appendTsvLine(std::string& out, const ResultStore& s, const RubyItem& item);
// The whole file: the header and every item of the store.
std::string tsvText(const ResultStore& s);

}  // namespace obel
