#include "tests/gui/gui_support.h"

#include <commctrl.h>

#include <algorithm>

#include "results/list_view_win32.h"

namespace obel::test {

namespace {

DialogHook* activeHook = nullptr;

int iconOf(HWND box) {
  struct Search {
    HICON icon = nullptr;
  } search;
  EnumChildWindows(
      box,
      [](HWND child, LPARAM param) -> BOOL {
        char name[32] = "";
        GetClassNameA(child, name, sizeof name);
        if (lstrcmpiA(name, "Static") != 0) return TRUE;
        if ((GetWindowLongA(child, GWL_STYLE) & SS_TYPEMASK) != SS_ICON) return TRUE;
        reinterpret_cast<Search*>(param)->icon =
            reinterpret_cast<HICON>(SendMessageA(child, STM_GETICON, 0, 0));
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&search));
  if (!search.icon) return 0;
  if (search.icon == LoadIconA(nullptr, IDI_WARNING)) return MB_ICONWARNING;
  if (search.icon == LoadIconA(nullptr, IDI_QUESTION)) return MB_ICONQUESTION;
  if (search.icon == LoadIconA(nullptr, IDI_ERROR)) return MB_ICONERROR;
  if (search.icon == LoadIconA(nullptr, IDI_INFORMATION)) return MB_ICONINFORMATION;
  return -1;  // an icon, but none of the system's
}

std::vector<int> buttonsOf(HWND box) {
  std::vector<int> ids;
  EnumChildWindows(
      box,
      [](HWND child, LPARAM param) -> BOOL {
        char name[32] = "";
        GetClassNameA(child, name, sizeof name);
        if (lstrcmpiA(name, "Button") == 0 && (GetWindowLongA(child, GWL_STYLE) & WS_VISIBLE))
          reinterpret_cast<std::vector<int>*>(param)->push_back(GetDlgCtrlID(child));
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&ids));
  std::sort(ids.begin(), ids.end());
  return ids;
}

}  // namespace

bool isMessageBox(HWND window) {
  char name[16] = "";
  GetClassNameA(window, name, sizeof name);
  if (lstrcmpA(name, "#32770") != 0) return false;
  // Message boxes are made by user32 from its own template: their instance is user32's
  // (Windows) or none (Wine), never the program's, and their text is the static 0xFFFF.
  HINSTANCE instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(window, GWLP_HINSTANCE));
  if (instance != nullptr && instance != GetModuleHandleA("user32.dll")) return false;
  return GetDlgItem(window, 0xFFFF) != nullptr;
}

DialogHook::DialogHook(int answer) : answer_(answer) {
  previous_ = activeHook;
  activeHook = this;
  hook_ = SetWindowsHookExA(WH_CBT, cbtProc, nullptr, GetCurrentThreadId());
}

DialogHook::~DialogHook() {
  if (hook_) UnhookWindowsHookEx(hook_);
  activeHook = previous_;
}

LRESULT CALLBACK DialogHook::cbtProc(int code, WPARAM wParam, LPARAM lParam) {
  DialogHook* self = activeHook;
  if (code == HCBT_ACTIVATE && self) self->handleActivation(reinterpret_cast<HWND>(wParam));
  return CallNextHookEx(self ? self->hook_ : nullptr, code, wParam, lParam);
}

void DialogHook::handleActivation(HWND window) {
  char name[16] = "";
  GetClassNameA(window, name, sizeof name);
  if (lstrcmpA(name, "#32770") != 0) return;
  // A window is activated many times; act on each one once.
  seen_.erase(std::remove_if(seen_.begin(), seen_.end(), [](HWND w) { return !IsWindow(w); }),
              seen_.end());
  if (std::find(seen_.begin(), seen_.end(), window) != seen_.end()) return;
  seen_.push_back(window);

  if (isMessageBox(window)) {
    MessageBoxRecord record;
    record.caption = windowText(window);
    record.text = controlText(window, 0xFFFF);
    record.icon = iconOf(window);
    record.buttons = buttonsOf(window);
    record.owner = GetWindow(window, GW_OWNER);
    boxes_.push_back(record);
    int button = answer_;
    if (!queued_.empty()) {
      button = queued_.front();
      queued_.erase(queued_.begin());
    }
    PostMessageA(window, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), 0);
    return;
  }
  // Another dialog: hand it to the test from inside its modal loop, once it is fully shown.
  // Only modal dialogs (their owner disabled) are driven, and dialogs without owner when the
  // test asked for them; the modeless windows of the test are left alone.
  HWND owner = GetWindow(window, GW_OWNER);
  bool modal = owner ? !IsWindowEnabled(owner) : driveUnowned_;
  if (!modal) return;
  MessageBoxRecord record;
  record.caption = windowText(window);
  record.owner = owner;
  dialogs_.push_back(record);
  pendingDialogs_.push_back(window);
  SetTimer(nullptr, 0, 0, runPending);
}

void CALLBACK DialogHook::runPending(HWND, UINT, UINT_PTR timer, DWORD) {
  KillTimer(nullptr, timer);
  DialogHook* self = activeHook;
  if (!self || self->pendingDialogs_.empty()) return;
  HWND window = self->pendingDialogs_.front();
  self->pendingDialogs_.erase(self->pendingDialogs_.begin());
  if (!IsWindow(window)) return;
  if (self->handler_) {
    self->handler_(window);
  } else {
    PostMessageA(window, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
  }
}

HWND createDialog(int templateId, DLGPROC procedure, HWND owner, LPARAM param) {
  return CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(templateId), owner,
                            procedure, param);
}

INT_PTR CALLBACK plainDialogProc(HWND, UINT message, WPARAM, LPARAM) {
  return message == WM_INITDIALOG ? TRUE : FALSE;
}

void pumpMessages(DWORD milliseconds) {
  DWORD start = GetTickCount();
  for (;;) {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
    if (GetTickCount() - start >= milliseconds) break;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
  }
}

std::string windowText(HWND window) {
  int length = GetWindowTextLengthA(window);
  std::string text(static_cast<size_t>(length) + 1, '\0');
  int read = GetWindowTextA(window, text.data(), length + 1);
  text.resize(static_cast<size_t>(read));
  return text;
}

std::string controlText(HWND dialog, int id) {
  HWND control = GetDlgItem(dialog, id);
  return control ? windowText(control) : std::string();
}

std::string listCell(HWND list, int row, int column) { return listview::itemText(list, row, column); }

int listRowCount(HWND list) { return listview::itemCount(list); }

int countFiles(const std::string& pattern) {
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA(pattern.c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return 0;
  int count = 0;
  do ++count;
  while (FindNextFileA(search, &found));
  FindClose(search);
  return count;
}

RECT childRect(HWND child) {
  RECT r{};
  GetWindowRect(child, &r);
  MapWindowPoints(nullptr, GetParent(child), reinterpret_cast<POINT*>(&r), 2);
  return r;
}

RECT dialogUnits(HWND dialog, int x, int y, int width, int height) {
  // The dialog manager converts position and size separately.
  RECT position{x, y, width, height};
  MapDialogRect(dialog, &position);
  return RECT{position.left, position.top, position.left + position.right,
              position.top + position.bottom};
}

BITMAPINFOHEADER capturePixels(HDC source, const RECT& r, WORD bitCount, bool topDown,
                               std::vector<unsigned char>& pixels) {
  const int width = r.right - r.left, height = r.bottom - r.top;
  HDC memory = CreateCompatibleDC(source);
  HBITMAP bitmap = CreateCompatibleBitmap(source, width, height);
  HGDIOBJ old = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, width, height, source, r.left, r.top, SRCCOPY);
  SelectObject(memory, old);
  BITMAPINFOHEADER info{};
  info.biSize = sizeof info;
  info.biWidth = width;
  info.biHeight = topDown ? -height : height;
  info.biPlanes = 1;
  info.biBitCount = bitCount;
  const int stride = (width * bitCount / 8 + 3) & ~3;
  pixels.assign(static_cast<std::size_t>(stride) * height, 0);
  GetDIBits(memory, bitmap, 0, height, pixels.data(), reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS);
  DeleteObject(bitmap);
  DeleteDC(memory);
  return info;
}

}  // namespace obel::test
