#include <vector>

#include "app/dialog_utils.h"
#include "app/layout.h"

namespace obel {

namespace {

// The box or circle of a check box or radio button, in pixels at 96 dots per inch.
constexpr int CheckMarkPixelsAt96Dpi = 13;
// A push button's raised edge and focus rectangle, on either side of its caption.
constexpr int ButtonEdgePixels = 3;
// Room for the longest caption, the about box's text.
constexpr int CaptionBytes = 512;

// How a control shows its caption: what it draws beside it, in pixels, and how the text is
// drawn.
struct CaptionKind {
  int margin;
  UINT format;
};

// False for a control that shows no caption of its own (edits, lists, group boxes, owner-drawn
// and icon buttons).
bool captionKind(HWND control, HDC dc, CaptionKind& kind) {
  char name[32] = "";
  GetClassNameA(control, name, sizeof name);
  const LONG style = GetWindowLongA(control, GWL_STYLE);
  kind = CaptionKind{0, DT_CALCRECT};
  if (lstrcmpiA(name, "Static") == 0) {
    const LONG type = style & SS_TYPEMASK;
    if (style & SS_NOPREFIX) kind.format |= DT_NOPREFIX;
    return type == SS_LEFT || type == SS_CENTER || type == SS_RIGHT || type == SS_LEFTNOWORDWRAP ||
           type == SS_SIMPLE;
  }
  if (lstrcmpiA(name, "Button") != 0 || (style & (BS_ICON | BS_BITMAP))) return false;
  const LONG type = style & BS_TYPEMASK;
  const bool marked = type == BS_CHECKBOX || type == BS_AUTOCHECKBOX || type == BS_3STATE || type == BS_AUTO3STATE ||
                      type == BS_RADIOBUTTON || type == BS_AUTORADIOBUTTON;
  if (marked && !(style & BS_PUSHLIKE)) {
    // The box or circle, and the gap before the text: half a digit, as the button draws it.
    int digit = 0;
    GetCharWidth32A(dc, '0', '0', &digit);
    kind.margin = MulDiv(CheckMarkPixelsAt96Dpi, GetDeviceCaps(dc, LOGPIXELSX), 96) + digit / 2;
    return true;
  }
  kind.margin = 2 * ButtonEdgePixels;  // a push button, or a check box drawn as one
  return marked || type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON;
}

// The room of the control for a caption: its width, and the width the caption's widest line
// needs there.
void addCaptionRoom(HWND control, HDC dc, const char* text, std::vector<CaptionRoom>& rooms) {
  CaptionKind kind;
  if (!control || text[0] == '\0' || !captionKind(control, dc, kind)) return;
  RECT client, caption{0, 0, 0, 0};
  GetClientRect(control, &client);
  DrawTextA(dc, text, -1, &caption, kind.format);
  rooms.push_back(CaptionRoom{client.right, caption.right + kind.margin});
}

// A child's rectangle in the dialog's client coordinates; a combo box's with its list, which
// its window height stands for when it is moved.
RECT childRect(HWND dialog, HWND child) {
  RECT r{};
  GetWindowRect(child, &r);
  char name[16] = "";
  GetClassNameA(child, name, sizeof name);
  if (lstrcmpiA(name, "ComboBox") == 0) {
    RECT dropped{};
    if (SendMessageA(child, CB_GETDROPPEDCONTROLRECT, 0, reinterpret_cast<LPARAM>(&dropped)) &&
        dropped.bottom > r.bottom)
      r.bottom = dropped.bottom;
  }
  MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

void widenDialog(HWND dialog, const Widening& w) {
  struct Child {
    HWND window;
    RECT rect;
  };
  std::vector<Child> children;
  for (HWND c = GetWindow(dialog, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
    children.push_back(Child{c, childRect(dialog, c)});
  RECT client, frame;
  GetClientRect(dialog, &client);
  GetWindowRect(dialog, &frame);
  const int growth = widenedEdge(client.right, w) - client.right;
  // The dialog first: a dialog that lays its controls out on WM_SIZE has them moved again below.
  MoveWindow(dialog, frame.left - growth / 2, frame.top, frame.right - frame.left + growth, frame.bottom - frame.top,
             FALSE);
  for (const Child& c : children) {
    const int left = widenedEdge(c.rect.left, w);
    MoveWindow(c.window, left, c.rect.top, widenedEdge(c.rect.right, w) - left, c.rect.bottom - c.rect.top, FALSE);
  }
}

}  // namespace

void fitCaptions(HWND dialog, const LaterCaption* later, int laterCount) {
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(dialog, WM_GETFONT, 0, 0)));
  std::vector<CaptionRoom> rooms;
  char text[CaptionBytes];
  for (HWND c = GetWindow(dialog, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
    GetWindowTextA(c, text, sizeof text);
    addCaptionRoom(c, dc, text, rooms);
  }
  for (int i = 0; i < laterCount; ++i) addCaptionRoom(GetDlgItem(dialog, later[i].controlId), dc, later[i].text, rooms);
  SelectObject(dc, old);
  DeleteDC(dc);
  const Widening w = captionWidening(rooms.data(), static_cast<int>(rooms.size()));
  if (widens(w)) widenDialog(dialog, w);
}

}  // namespace obel
