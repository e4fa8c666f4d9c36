#include "settings/settings.h"

namespace obel {

Settings& settings() {
  static Settings instance;
  return instance;
}

}  // namespace obel
