#include "engine/store_linear.h"

#include <cstring>

namespace obel {

std::uint32_t internByScan(ResultStore& s) {
  StringTable& t = s.strings;
  const char* candidate = t.pool + t.writePosition;
  const std::uint32_t h = stringHash(candidate);
  for (std::uint32_t id = 0; id < t.count; ++id)
    if (t.hash[id] == h && std::strcmp(t.text[id], candidate) == 0) return id;
  const std::size_t length = std::strlen(candidate);
  if (t.count >= MaxStringIds || t.count >= MaxStrings || length + 1 > poolFree(s)) {
    s.stringsExhausted = true;
    return NoString;
  }
  const std::uint32_t id = t.count++;
  t.hash[id] = h;
  t.text[id] = candidate;
  t.writePosition += static_cast<std::uint32_t>(length + 1);
  return id;
}

std::uint32_t internTextByScan(ResultStore& s, const char* text) {
  const std::size_t length = std::strlen(text);
  if (length + 1 > poolFree(s)) {
    s.stringsExhausted = true;
    return NoString;
  }
  std::memcpy(poolCursor(s), text, length + 1);
  return internByScan(s);
}

void markRepeatedPairsByScan(ResultStore& s) {
  for (std::uint32_t i = 0; i < s.itemCount; ++i) {
    RubyItem& item = s.items[i];
    const std::uint32_t p = item.keyId | (static_cast<std::uint32_t>(item.rubyId) << 16);
    for (std::uint32_t j = 0; j < i; ++j) {
      if (s.pairIndex[j] != p) continue;
      RubyItem& first = s.items[j];
      item.flags = PairShared | PairRepeat;
      first.flags |= PairShared;
      ++first.groupSize;
      item.number = first.groupSize;
      break;
    }
    s.pairIndex[i] = p;
  }
}

}  // namespace obel
