#include "results/grouped_view.h"

#include "engine/store.h"
#include "results/conditions.h"
#include "results/list_model.h"

namespace obel {

std::string groupedViewText(const Settings& conditions, bool withSuggestions) {
  std::string out;
  for (int c = 0; c < ColumnCount; ++c) {
    if (c) out += '\t';
    out += resultColumns[c].header;
  }
  if (withSuggestions) out += "\t" + std::string(SuggestionHeader);
  out += "\r\n";
  const ResultStore& s = process::store();
  char cell[1024];
  for (std::uint32_t i = 0; i < s.itemCount; ++i) {
    const RubyItem& item = s.items[i];
    if (!matchesDisplayConditions(item, conditions, nullptr)) continue;
    for (int c = 0; c < ColumnCount; ++c) {
      if (c) out += '\t';
      if (c == VerdictColumn) {
        out += rowMark(item, nullptr);  // the 候補 only in a column of its own
        continue;
      }
      columnText(item, c, nullptr, cell, sizeof cell);
      out += cell;
    }
    if (withSuggestions) {
      out += '\t';
      out += suggestion(s, item);
    }
    out += "\r\n";
  }
  return out;
}

bool parseLengthOption(const char* text, LengthFilter& filter) {
  int count = 0;
  const char* p = text;
  while (*p >= '0' && *p <= '9') {
    count = count * 10 + (*p - '0');
    if (count > MaxFilterLength) return false;
    ++p;
  }
  if (p == text || count == 0) return false;
  std::int32_t type = AtLeastLength;
  switch (*p) {
    case '\0':
    case '+':
      type = AtLeastLength;
      break;
    case '-':
      type = AtMostLength;
      break;
    case '=':
      type = ExactLength;
      break;
    default:
      return false;
  }
  if (*p && p[1]) return false;
  filter = {1, count, type};
  return true;
}

}  // namespace obel
