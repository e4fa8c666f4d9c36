#include "settings/settings.h"

namespace obel {

Settings& process::settings() {
  static Settings instance;
  return instance;
}

}  // namespace obel
