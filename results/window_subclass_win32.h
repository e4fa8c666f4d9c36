#pragma once
// The one way the program hangs state on a window it did not create: a subclass, a window
// procedure put in front of the window's own, with one pointer of data.
//
// A subclassed window's GWLP_USERDATA holds its chain of subclasses, the latest first, and
// nothing else. Each subclass procedure finds its own entry by its own address, so a later
// subclass of the same window leaves an earlier one whole. This is comctl32's SetWindowSubclass
// kept where the process can read it: comctl32 looks its chain up in a window property twice a
// message (in the procedure and in DefSubclassProc), and under Wine a property read is a
// round trip to the window server, 50-200 us a message against 0.1 us for the user data.
#include <windows.h>

namespace obel {

struct WindowSubclass {
  WNDPROC procedure;         // the subclass's own procedure
  WNDPROC next;              // the procedure it stands in front of
  void* data;                // the subclass's state, the caller's
  WindowSubclass* earlier;   // the subclass put on the window before it, or null
};

// Puts procedure in front of the window's procedure; false (and nothing changed) when that fails.
bool subclassWindow(HWND window, WNDPROC procedure, void* data);

// The entry of procedure on the window; null when it is not (or no longer) subclassed by it.
const WindowSubclass* findSubclass(HWND window, WNDPROC procedure);

// Takes procedure's subclass off the window: the window's procedure goes back to the one it
// replaced, or the subclass put on after it passes its messages there instead.
void removeSubclass(HWND window, WNDPROC procedure);

// Passes a message on to the procedure that procedure's subclass stands in front of (to
// DefWindowProcA when it has none), and takes the subclass off with the window's last message.
LRESULT callNextProcedure(WNDPROC procedure, HWND window, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace obel
