// "書き出し(&W)...": the whole result table as a TSV file chosen in the save dialog.
#include <windows.h>
#include <commdlg.h>

#include <string>

#include "app/commands.h"
#include "app/dialog_utils.h"
#include "app/export.h"
#include "engine/file_io.h"
#include "engine/store.h"
#include "engine/tsv_export.h"
#include "app/targets_win32.h"

namespace obel {

namespace {

// Wait cursor and mouse capture for the time of the export, restored on every way out.
class BusyCursor {
 public:
  explicit BusyCursor(HWND window) {
    SetCapture(window);
    previous_ = SetCursor(LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_WAIT)));
  }
  ~BusyCursor() {
    SetCursor(previous_);
    ReleaseCapture();
  }
  BusyCursor(const BusyCursor&) = delete;
  BusyCursor& operator=(const BusyCursor&) = delete;

 private:
  HCURSOR previous_;
};

void reportFailure(HWND dialog, const char* path) {
  std::string text = std::string(path) + "\r\nに書き出せませんでした。";
  showWarning(dialog, text.c_str());
}

}  // namespace

bool chooseExportFile(HWND dialog, char* path, std::size_t size) {
  path[0] = '\0';
  return showFileDialog(true, dialog, nullptr, nullptr, "*.tsv",
                        OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY | OFN_NOREADONLYRETURN | OFN_EXPLORER | OFN_ENABLESIZING,
                        path, size);
}

// Writes the file under the wait cursor; the caller reports a failure once the cursor is back.
// The target is replaced only by a complete file, so an existing one is never left half-written.
static bool writeTsvFile(HWND dialog, const char* path) {
  BusyCursor busy(dialog);
  return replaceFileWhole(path, tsvText(process::store()));
}

bool exportTsvTo(HWND dialog, const char* path) {
  if (writeTsvFile(dialog, path)) return true;
  reportFailure(dialog, path);
  return false;
}

void exportTsv(HWND dialog) {
  char path[MAX_PATH];
  if (!chooseExportFile(dialog, path, sizeof path)) return;
  exportTsvTo(dialog, path);
}

}  // namespace obel
