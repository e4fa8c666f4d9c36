#pragma once
// Puts an item into a result store directly, as the scanner leaves it, for tests that need a
// store of a given shape without scanning any text.
#include <cstdint>

#include "engine/store.h"

namespace obel::test {

inline RubyItem& appendItem(ResultStore& s, const char* key, const char* ruby, const char* okuri = "",
                            FileRecord* file = nullptr, int line = 1, int column = 1) {
  RubyItem& item = s.items[s.itemCount++];
  item = RubyItem{};
  item.keyId = static_cast<std::uint16_t>(internText(s, key));
  item.rubyId = static_cast<std::uint16_t>(internText(s, ruby));
  item.okuriganaId = static_cast<std::uint16_t>(internText(s, okuri));
  item.file = file;
  item.line = line;
  item.column = column;
  item.number = 1;
  item.groupSize = 1;
  return item;
}

}  // namespace obel::test
