#include "results/window_subclass_win32.h"

namespace obel {

namespace {

WindowSubclass* latestSubclass(HWND window) {
  return reinterpret_cast<WindowSubclass*>(GetWindowLongPtrA(window, GWLP_USERDATA));
}

void setLatestSubclass(HWND window, WindowSubclass* entry) {
  SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(entry));
}

}  // namespace

bool subclassWindow(HWND window, WNDPROC procedure, void* data) {
  if (!window || !IsWindow(window)) return false;
  auto* entry = new WindowSubclass{procedure, nullptr, data, latestSubclass(window)};
  setLatestSubclass(window, entry);  // before the procedure, which may be called at once
  SetLastError(0);
  const LONG_PTR next = SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(procedure));
  if (next == 0 && GetLastError() != 0) {
    setLatestSubclass(window, entry->earlier);
    delete entry;
    return false;
  }
  entry->next = reinterpret_cast<WNDPROC>(next);
  return true;
}

const WindowSubclass* findSubclass(HWND window, WNDPROC procedure) {
  for (const WindowSubclass* entry = latestSubclass(window); entry; entry = entry->earlier) {
    if (entry->procedure == procedure) return entry;
  }
  return nullptr;
}

void removeSubclass(HWND window, WNDPROC procedure) {
  WindowSubclass* later = nullptr;
  for (WindowSubclass* entry = latestSubclass(window); entry; later = entry, entry = entry->earlier) {
    if (entry->procedure != procedure) continue;
    if (later) {
      later->earlier = entry->earlier;
      if (later->next == procedure) later->next = entry->next;
    } else {
      setLatestSubclass(window, entry->earlier);
      if (GetWindowLongPtrA(window, GWLP_WNDPROC) == reinterpret_cast<LONG_PTR>(procedure))
        SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(entry->next));
    }
    delete entry;
    return;
  }
}

LRESULT callNextProcedure(WNDPROC procedure, HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  const WindowSubclass* entry = findSubclass(window, procedure);
  const WNDPROC next = entry && entry->next ? entry->next : DefWindowProcA;
  if (message == WM_NCDESTROY && entry) removeSubclass(window, procedure);
  return CallWindowProcA(next, window, message, wParam, lParam);
}

}  // namespace obel
