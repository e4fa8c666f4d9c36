#include "app/help.h"

#include <cstring>

#include "settings/settings_store.h"

namespace obel {

bool helpLaunch(const char* executablePath, bool underWine, HelpLaunch& out) {
  out.file[0] = out.parameters[0] = out.page[0] = '\0';
  if (!underWine) {
    if (!pathBesideExecutable(executablePath, "Obel.chm", out.page, sizeof out.page)) return false;
    std::memcpy(out.file, out.page, sizeof out.file);
    return true;
  }
  if (!pathBesideExecutable(executablePath, "help\\index.html", out.page, sizeof out.page)) return false;
  std::strcpy(out.file, "winebrowser");
  // Quoted: the folder may hold blanks.
  const std::size_t length = std::strlen(out.page);
  out.parameters[0] = '"';
  std::memcpy(out.parameters + 1, out.page, length);
  out.parameters[length + 1] = '"';
  out.parameters[length + 2] = '\0';
  return true;
}

}  // namespace obel
