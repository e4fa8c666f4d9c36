// "書き出し(&W)...": the whole result table as a TSV file chosen in the save dialog.
#include <windows.h>
#include <commdlg.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "app/commands.h"
#include "app/dialog_utils.h"
#include "app/export.h"
#include "engine/tsv_export.h"
#include "engine/sjis.h"
#include "engine/store.h"
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

bool writeAll(HANDLE file, const std::string& text) {
  std::size_t done = 0;
  while (done < text.size()) {
    DWORD chunk = static_cast<DWORD>(text.size() - done > (1u << 20) ? (1u << 20) : text.size() - done);
    DWORD written = 0;
    if (!WriteFile(file, text.data() + done, chunk, &written, nullptr) || written != chunk) return false;
    done += chunk;
  }
  return true;
}

// Creates a new temporary file "Obel_XXXXXXXX.tmp" in the target's folder.
HANDLE createTemporaryBeside(const char* target, char* temporary, std::size_t size) {
  std::ptrdiff_t slash = findLastBackslash(target);
  std::size_t folder = slash < 0 ? 0 : static_cast<std::size_t>(slash) + 1;
  if (folder + 18 > size) return INVALID_HANDLE_VALUE;
  DWORD seed = GetTickCount() ^ (GetCurrentProcessId() << 16);
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::memcpy(temporary, target, folder);
    std::snprintf(temporary + folder, size - folder, "Obel_%08lX.tmp",
                  static_cast<unsigned long>(seed + static_cast<DWORD>(attempt) * 7919u));
    HANDLE file = CreateFileA(temporary, GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) return file;
    if (GetLastError() != ERROR_FILE_EXISTS && GetLastError() != ERROR_ALREADY_EXISTS) break;
  }
  temporary[0] = '\0';
  return INVALID_HANDLE_VALUE;
}

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
static bool writeTsvFile(HWND dialog, const char* path) {
  BusyCursor busy(dialog);
  // A read-only file is never replaced (Windows refuses to, and Wine would not).
  DWORD attributes = GetFileAttributesA(path);
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)))
    return false;
  std::string text = tsvText(process::store());
  char temporary[MAX_PATH];
  HANDLE file = createTemporaryBeside(path, temporary, sizeof temporary);
  if (file == INVALID_HANDLE_VALUE) return false;
  bool written = writeAll(file, text);
  written = CloseHandle(file) && written;
  // The target is replaced only by a complete file, so an existing one is never left half-written.
  if (!written || !MoveFileExA(temporary, path, MOVEFILE_REPLACE_EXISTING | MOVEFILE_COPY_ALLOWED)) {
    DeleteFileA(temporary);
    return false;
  }
  return true;
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
