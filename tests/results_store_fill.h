#pragma once
// Fills the result store directly, as a search would, for the result-list tests.
#include <cstring>
#include <string>

#include "engine/store.h"
#include "results/list_model.h"
#include "settings/settings.h"

namespace obel::testing {

inline RubyItem& addResult(const char* key, const char* ruby, const char* okuri = "",
                           FileRecord* file = nullptr, int line = 1, int column = 1) {
  ResultStore& s = store();
  RubyItem& item = s.items[s.itemCount++];
  item = RubyItem{};
  item.keyId = static_cast<std::uint16_t>(internText(s, key));
  item.rubyId = static_cast<std::uint16_t>(internText(s, ruby));
  item.okuriganaId = static_cast<std::uint16_t>(internText(s, okuri));
  item.file = file;
  item.line = line;
  item.column = column;
  item.number = 1;  // as the scanner leaves them
  item.groupSize = 1;
  return item;
}

// Marks the pairs and counts them, as the end of a search does.
inline void finishSearch() {
  markRepeatedPairs(store());
  countDistinctPairs(store());
}

// An empty store, default conditions and the grouped view.
inline void resetResults() {
  clear(store());
  settings() = Settings{};
  expandedHead = nullptr;
}

}  // namespace obel::testing
