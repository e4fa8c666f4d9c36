#include "results/conditions.h"

#include <cstdio>

#include "results/list_model.h"

namespace obel {

LengthFilter& lengthFilter(int side) {
  return side == KeySide ? process::settings().keyLengthFilter : process::settings().rubyLengthFilter;
}

const char* sideLabel(int side) { return side == KeySide ? "キー" : "ルビ"; }

const char* compareText(int type) {
  switch (type) {
    case AtLeastLength:
      return "以上の";
    case AtMostLength:
      return "以下の";
    default:
      return "の";
  }
}

bool passesLengthFilter(const LengthFilter& filter, const char* text) {
  if (!filter.use) return true;
  std::size_t bytes = 0;
  while (text[bytes]) ++bytes;
  // Unsigned comparison: a negative count read from the settings file is a huge limit.
  const std::uint32_t length = static_cast<std::uint32_t>(bytes);
  const std::uint32_t limit = 2u * static_cast<std::uint32_t>(filter.length);
  switch (filter.type) {
    case AtLeastLength:
      return length >= limit;
    case AtMostLength:
      return length <= limit;
    default:
      return length == limit;
  }
}

bool matchesDisplayConditions(const RubyItem& item, const Settings& s, const RubyItem* expandedHead) {
  if (expandedHead) {
    if (s.hideRevConv && (item.flags & RevConvOkuriOk) && !(item.flags & RevConvNearMiss)) return false;
    return item.keyId == expandedHead->keyId && item.rubyId == expandedHead->rubyId;
  }
  const std::uint32_t f = item.flags;
  if (f & PairRepeat) return false;
  if (s.hideRevConv && !(f & (RevConvNearMiss | RevConvGroupNearMiss))) {  // a ！ always stays
    if (f & (RevConvKeyOk | RevConvGroupAllOk)) return false;
    if ((f & RevConvOkuriOk) && !(f & PairShared)) return false;
  }
  const ResultStore& st = process::store();
  if (s.hideKeyRuby == SameKeyItems && st.rubiesPerKey[item.keyId] <= 1) return false;
  if (s.hideKeyRuby == SameRubyItems && st.keysPerRuby[item.rubyId] <= 1) return false;
  if (!passesLengthFilter(s.keyLengthFilter, text(st, item.keyId))) return false;
  if (!passesLengthFilter(s.rubyLengthFilter, text(st, item.rubyId))) return false;
  return true;
}

void lengthFilterText(int side, char (&caption)[LengthFilterTextBytes]) {
  lengthFilterText(side, lengthFilter(side), caption);
}

void lengthFilterText(int side, const LengthFilter& filter, char (&caption)[LengthFilterTextBytes]) {
  std::snprintf(caption, sizeof caption, "%sが%d文字%s項目のみ表示", sideLabel(side),
                static_cast<int>(filter.length), compareText(filter.type));
}

CountCheck checkCharCount(const char* text, int& count) {
  const char* p = text;
  while (*p == ' ') ++p;
  if (*text == '\0') return CountCheck::Empty;
  if (*p < '0' || *p > '9') return CountCheck::Invalid;
  int value = 0;
  while (*p >= '0' && *p <= '9') {
    value = value * 10 + (*p - '0');
    if (value > MaxFilterLength) return CountCheck::Invalid;
    ++p;
  }
  while (*p == ' ') ++p;
  if (*p != '\0' || value == 0) return CountCheck::Invalid;
  count = value;
  return CountCheck::Ok;
}

}  // namespace obel
