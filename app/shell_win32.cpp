#include "app/shell.h"

#include <shellapi.h>

#include <vector>

#include "app/dialog_utils.h"
#include "app/help.h"
#include "app/resources/resource_ids.h"
#include "revconv/providers_win32.h"
#include "settings/settings.h"
#include "settings/settings_store.h"

namespace obel {

HINSTANCE process::appInstance = nullptr;
HICON process::smallIcon = nullptr;
HICON process::largeIcon = nullptr;
HWND process::mainDialog = nullptr;
HWND process::progressDialog = nullptr;

namespace {

HINSTANCE instance() { return process::appInstance ? process::appInstance : GetModuleHandleA(nullptr); }

INT_PTR CALLBACK aboutDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG: {
      char text[512];
      if (aboutText(text, sizeof text)) SetWindowTextA(GetWindow(dialog, GW_CHILD), text);
      fitCaptions(dialog);
      centerOnOwner(dialog);
      return TRUE;
    }
    case WM_COMMAND:
      if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) EndDialog(dialog, LOWORD(wParam));
      return TRUE;
  }
  return FALSE;
}

}  // namespace

void loadIcons() {
  process::smallIcon = static_cast<HICON>(
      LoadImageA(instance(), MAKEINTRESOURCEA(IDI_OBEL), IMAGE_ICON, 16, 16, LR_DEFAULTCOLOR));
  process::largeIcon = static_cast<HICON>(
      LoadImageA(instance(), MAKEINTRESOURCEA(IDI_OBEL), IMAGE_ICON, 0, 0, LR_DEFAULTSIZE));
}

void destroyIcons() {
  if (process::smallIcon) DestroyIcon(process::smallIcon);
  if (process::largeIcon) DestroyIcon(process::largeIcon);
  process::smallIcon = process::largeIcon = nullptr;
}

bool showHelp(HWND owner) {
  char executable[MAX_PATH] = "";
  DWORD length = GetModuleFileNameA(nullptr, executable, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return false;
  HelpLaunch launch;
  if (!helpLaunch(executable, runningUnderWine(), launch)) return false;
  // A missing help is silent; without this check the browser would say so.
  if (GetFileAttributesA(launch.page) == INVALID_FILE_ATTRIBUTES) return false;
  HINSTANCE result = ShellExecuteA(owner, "open", launch.file, launch.parameters[0] ? launch.parameters : nullptr,
                                   nullptr, SW_SHOWNORMAL);
  return reinterpret_cast<INT_PTR>(result) > 32;
}

void showAboutBox(HWND owner) {
  DialogBoxParamA(instance(), MAKEINTRESOURCEA(IDD_ABOUT), owner, aboutDialogProc, 0);
}

bool aboutText(char* out, int size) {
  if (size <= 0) return false;
  out[0] = '\0';
  char path[MAX_PATH] = "";
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  DWORD handle = 0;
  DWORD infoSize = GetFileVersionInfoSizeA(path, &handle);
  if (infoSize == 0) return false;
  std::vector<char> info(infoSize);
  if (!GetFileVersionInfoA(path, 0, infoSize, info.data())) return false;
  WORD* translation = nullptr;
  UINT length = 0;
  if (!VerQueryValueA(info.data(), "\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translation),
                      &length) ||
      length < 2 * sizeof(WORD))
    return false;
  char prefix[64];
  wsprintfA(prefix, "\\StringFileInfo\\%04X%04X\\", translation[0], translation[1]);
  const char* keys[] = {"FileDescription", "ProductVersion", "LegalCopyright"};
  const char* values[3] = {"", "", ""};
  for (int i = 0; i < 3; ++i) {
    char query[128];
    wsprintfA(query, "%s%s", prefix, keys[i]);
    char* value = nullptr;
    if (VerQueryValueA(info.data(), query, reinterpret_cast<void**>(&value), &length) && value) values[i] = value;
  }
  // wsprintfA writes at most 1024 bytes; the version strings are short, but stay in bounds.
  char text[1025];
  wsprintfA(text, "%.300s  Version %.100s\r\n\r\n%.300s", values[0], values[1], values[2]);
  lstrcpynA(out, text, size);
  return true;
}

void addSystemMenuItems(HWND window, int separatorsToSkip, int count, const char* const* texts,
                        const UINT* ids) {
  HMENU menu = GetSystemMenu(window, FALSE);
  if (!menu) return;
  int n = GetMenuItemCount(menu);
  int position = 0;
  while (position < n && separatorsToSkip > 0) {
    if (GetMenuItemID(menu, position) == 0) --separatorsToSkip;
    ++position;
  }
  for (int i = 0; i < count; ++i)
    InsertMenuA(menu, static_cast<UINT>(position + i), MF_BYPOSITION | MF_STRING, ids[i], texts[i]);
  if (position + count < n + count)
    InsertMenuA(menu, static_cast<UINT>(position + count), MF_BYPOSITION | MF_SEPARATOR, 0, nullptr);
}

bool confirmExit(HWND dialog) {
  if (!process::settings().queryExit) return true;
  return MessageBoxA(dialog, "終了しますか？", "Obel", MB_OKCANCEL | MB_ICONQUESTION) == IDOK;
}

void dispatchMainMessage(MSG& message, HWND dialog, HACCEL accelerators) {
  // Esc is the table's command 0. Accelerator translation looks a command up in the system
  // menu first, where id 0 is a separator (a disabled item), and then sends nothing at all
  // (so Wine does); Esc is therefore delivered here as the accelerator would, as command 0.
  // The table's Esc has no modifier: Shift+Esc or Ctrl+Esc goes on to the dialog manager.
  const bool plainKey = GetKeyState(VK_SHIFT) >= 0 && GetKeyState(VK_CONTROL) >= 0;
  if (message.message == WM_KEYDOWN && message.wParam == VK_ESCAPE && plainKey &&
      (message.hwnd == dialog || IsChild(dialog, message.hwnd))) {
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(0, 1), 0);
    return;
  }
  if (accelerators && TranslateAcceleratorA(dialog, accelerators, &message)) return;
  if (IsDialogMessageA(dialog, &message)) return;
  TranslateMessage(&message);
  DispatchMessageA(&message);
}

void runMessageLoop(HWND dialog, HACCEL accelerators) {
  MSG message;
  for (;;) {
    BOOL got = GetMessageA(&message, nullptr, 0, 0);
    if (got == 0 || got == -1) break;
    dispatchMainMessage(message, dialog, accelerators);
  }
}

}  // namespace obel
