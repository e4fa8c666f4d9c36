// Program entry: loads the settings, the list font and the cache, shows the main window and
// runs the message loop; releases everything and saves the cache when the loop ends.
#include <windows.h>

#include "app/commands.h"
#include "app/list_font.h"
#include "app/main_dialog.h"
#include "app/resources/resource_ids.h"
#include "app/shell.h"
#include "settings/settings.h"
#include "settings/settings_file.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  using namespace obel;
  process::appInstance = instance;
  loadIcons();
  loadSettings();
  if (!createListFont(process::settings().fontName)) createListFont("ＭＳ ゴシック");
  if (process::settings().useRevConvCache) loadRevConvCache();

  HWND dialog = createMainDialog();
  if (dialog) {
    ShowWindow(dialog, SW_SHOW);
    HACCEL accelerators = LoadAcceleratorsA(instance, MAKEINTRESOURCEA(IDR_ACCELERATORS));
    runMessageLoop(dialog, accelerators);
  }

  destroyIcons();
  deleteListFont();
  // The setting's value now counts: the settings dialog loads or saves the cache when it changes.
  if (process::settings().useRevConvCache) saveRevConvCache();
  return 0;
}
