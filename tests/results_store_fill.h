#pragma once
// Fills the result store directly, as a search would, for the result-list tests.
#include <cstring>
#include <string>

#include "engine/store.h"
#include "engine/walk.h"
#include "store_items.h"
#include "results/list_model.h"
#include "settings/settings.h"

namespace obel::test {

inline RubyItem& addResult(const char* key, const char* ruby, const char* okuri = "",
                           FileRecord* file = nullptr, int line = 1, int column = 1) {
  return appendItem(process::store(), key, ruby, okuri, file, line, column);
}

// An empty store, default conditions and the grouped view.
inline void resetResults() {
  clear(process::store());
  process::settings() = Settings{};
  process::expandedHead = nullptr;
}

}  // namespace obel::test
