#include "app/main_layout.h"

#include "app/dialog_utils.h"
#include "app/layout.h"
#include "app/resources/resource_ids.h"
#include "settings/settings_file.h"

namespace obel {

namespace {

Area toArea(const RECT& r) { return Area{r.left, r.top, r.right, r.bottom}; }
RECT toRect(const Area& a) { return RECT{a.left, a.top, a.right, a.bottom}; }

// A child's rectangle in the dialog's client coordinates.
RECT clientRectOf(HWND dialog, HWND child) {
  RECT r{};
  GetWindowRect(child, &r);
  MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

void moveChild(HWND dialog, HWND child, int dy, int dHeight, int dWidth, BOOL repaint) {
  RECT r = clientRectOf(dialog, child);
  MoveWindow(child, r.left, r.top + dy, r.right - r.left + dWidth, r.bottom - r.top + dHeight, repaint);
}

// The next sibling in sibling order, wrapping from the last child to the first.
HWND nextSibling(HWND dialog, HWND child) {
  HWND next = GetWindow(child, GW_HWNDNEXT);
  return next ? next : GetWindow(dialog, GW_CHILD);
}

}  // namespace

MainLayout& process::mainLayout() {
  static MainLayout layout;
  return layout;
}

void recordInitialLayout(HWND dialog) {
  MainLayout& layout = process::mainLayout();
  GetWindowRect(dialog, &layout.last);
  layout.minimum.cx = layout.last.right - layout.last.left;
  layout.minimum.cy = layout.last.bottom - layout.last.top;
}

void applySizingRule(HWND dialog, RECT& r) {
  MainLayout& layout = process::mainLayout();
  Area proposed = toArea(r);
  int dx = 0, dy = 0;
  applySizingRule(proposed, toArea(layout.last), layout.minimum.cx, layout.minimum.cy, dx, dy);
  r = toRect(proposed);
  applySizeDelta(dialog, dx, dy);
  layout.last = r;
}

void onMainWindowSized(HWND dialog) {
  MainLayout& layout = process::mainLayout();
  RECT r;
  GetWindowRect(dialog, &r);
  int dx = (r.right - r.left) - (layout.last.right - layout.last.left);
  int dy = (r.bottom - r.top) - (layout.last.bottom - layout.last.top);
  applySizeDelta(dialog, dx, dy);
  layout.last = r;
}

void applySizeDelta(HWND dialog, int dx, int dy) {
  if (dx == 0 && dy == 0) return;
  struct Stretch {
    int id;
    bool taller;
  };
  static const Stretch stretched[] = {{IDC_TARGETS_GROUP, false},
                                      {IDC_TARGET_LIST, false},
                                      {IDC_CONDITIONS_GROUP, false},
                                      {IDC_GROUP_LIST, true},
                                      {IDC_MEMBER_LIST, true}};
  for (const Stretch& s : stretched) {
    HWND child = GetDlgItem(dialog, s.id);
    if (child) moveChild(dialog, child, 0, s.taller ? dy : 0, dx, TRUE);
  }
  // A group box lies under its fold check box and the controls it holds, which do not move:
  // repainted alone it draws over them and leaves its former right edge behind. The whole
  // window is drawn anew, children included, as folding does.
  RedrawWindow(dialog, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

void toggleGroupBox(HWND dialog, int checkBoxId, int groupBoxId, RECT& saved, int firstAfterId) {
  SendMessageA(dialog, WM_SETREDRAW, FALSE, 0);
  bool unfolding = IsDlgButtonChecked(dialog, checkBoxId) == BST_CHECKED;
  HWND checkBox = GetDlgItem(dialog, checkBoxId);
  HWND firstAfter = GetDlgItem(dialog, firstAfterId);
  HWND groupBox = GetDlgItem(dialog, groupBoxId);

  // The controls inside the box, that is, between its check box and the first control after it.
  for (HWND child = nextSibling(dialog, checkBox); child && child != firstAfter && child != checkBox;
       child = nextSibling(dialog, child)) {
    ShowWindow(child, unfolding ? SW_SHOW : SW_HIDE);
  }

  RECT box;
  GetWindowRect(groupBox, &box);
  int h;
  if (unfolding) {
    h = foldHeightChange(true, box.bottom - box.top, saved.bottom - saved.top);
  } else {
    saved = box;
    h = foldHeightChange(false, box.bottom - box.top, 0);
  }
  moveChild(dialog, groupBox, 0, h, 0, FALSE);

  HWND groupList = GetDlgItem(dialog, IDC_GROUP_LIST);
  for (HWND child = firstAfter; child && child != groupList; child = GetWindow(child, GW_HWNDNEXT))
    moveChild(dialog, child, h, 0, 0, FALSE);
  // The lists keep their bottom edge: folding gives them the freed room.
  moveChild(dialog, groupList, h, -h, 0, FALSE);
  moveChild(dialog, GetDlgItem(dialog, IDC_MEMBER_LIST), h, -h, 0, FALSE);

  SendMessageA(dialog, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(dialog, nullptr, TRUE);
  UpdateWindow(dialog);
}

bool restoreWindowPlacement(HWND window) {
  FileProfile profile(process::settingsPath);
  PlacementKeys keys{profile.readInt("Application", "Left", AbsentPlacementKey),
                     profile.readInt("Application", "Top", AbsentPlacementKey),
                     profile.readInt("Application", "Width", AbsentPlacementKey),
                     profile.readInt("Application", "Height", AbsentPlacementKey),
                     profile.readInt("Application", "Maximized", AbsentPlacementKey)};
  if (!isPlacementComplete(keys, AbsentPlacementKey)) return false;  // keeps the centred template
  WINDOWPLACEMENT placement{};
  placement.length = sizeof placement;
  if (!GetWindowPlacement(window, &placement)) return false;
  // A damaged file must not give a window too small to use: never below the template size.
  const MainLayout& layout = process::mainLayout();
  if (keys.width < layout.minimum.cx) keys.width = layout.minimum.cx;
  if (keys.height < layout.minimum.cy) keys.height = layout.minimum.cy;
  clampToWorkArea(keys.left, keys.top, keys.width, keys.height);
  placement.rcNormalPosition = RECT{keys.left, keys.top, keys.left + keys.width, keys.top + keys.height};
  placement.showCmd = keys.maximized ? SW_SHOWMAXIMIZED : SW_SHOW;
  SetWindowPlacement(window, &placement);
  return true;
}

bool saveWindowPlacement(HWND window) {
  WINDOWPLACEMENT placement{};
  placement.length = sizeof placement;
  if (!GetWindowPlacement(window, &placement)) return false;
  const RECT& r = placement.rcNormalPosition;
  bool maximized = placement.showCmd == SW_SHOWMAXIMIZED ||
                   (placement.showCmd == SW_SHOWMINIMIZED && placement.flags == WPF_RESTORETOMAXIMIZED);
  const struct {
    const char* key;
    int value;
  } values[] = {{"Left", static_cast<int>(r.left)},
                {"Top", static_cast<int>(r.top)},
                {"Width", static_cast<int>(r.right - r.left)},
                {"Height", static_cast<int>(r.bottom - r.top)},
                {"Maximized", maximized ? 1 : 0}};
  for (const auto& v : values)
    if (!writeProfileInt("Application", v.key, v.value, process::settingsPath)) return false;
  return true;
}

}  // namespace obel
