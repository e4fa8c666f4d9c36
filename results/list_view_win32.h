#pragma once
// Typed forms of the list-view messages the program and its tests send, so that the LVITEMA
// set-up is written once.
#include <windows.h>
#include <commctrl.h>

#include <climits>
#include <string>

namespace obel::listview {

// A message to the list: through its window procedure, or straight to `own` (the list's own
// procedure under a subclass) when given.
inline LRESULT send(HWND list, WNDPROC own, UINT message, WPARAM wParam, LPARAM lParam) {
  return own ? CallWindowProcA(own, list, message, wParam, lParam) : SendMessageA(list, message, wParam, lParam);
}

inline int itemCount(HWND list) { return static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0)); }

// The row's value (its lParam); false when the row cannot be read.
inline bool itemValue(HWND list, int row, LPARAM& value, WNDPROC own = nullptr) {
  LVITEMA item{};
  item.mask = LVIF_PARAM;
  item.iItem = row;
  if (!send(list, own, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item))) return false;
  value = item.lParam;
  return true;
}

inline bool setItemValue(HWND list, int row, LPARAM value) {
  LVITEMA item{};
  item.mask = LVIF_PARAM;
  item.iItem = row;
  item.lParam = value;
  return SendMessageA(list, LVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&item)) != 0;
}

inline bool isItemSelected(HWND list, int row) {
  return (SendMessageA(list, LVM_GETITEMSTATE, row, LVIS_SELECTED) & LVIS_SELECTED) != 0;
}

// The first selected row, -1 when none.
inline int firstSelected(HWND list) {
  return static_cast<int>(SendMessageA(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
}

// At most size - 1 bytes of the cell's text.
inline void itemText(HWND list, int row, int column, char* buffer, int size) {
  buffer[0] = '\0';
  LVITEMA item{};
  item.iSubItem = column;
  item.pszText = buffer;
  item.cchTextMax = size;
  SendMessageA(list, LVM_GETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item));
  buffer[size - 1] = '\0';
}

inline std::string itemText(HWND list, int row, int column) {
  char text[260];
  itemText(list, row, column, text, sizeof text);
  return text;
}

// Appends a row carrying value whose item and subitems 1 .. columns - 1 ask the parent for
// their texts; the new row's index, or -1.
inline int appendCallbackItem(HWND list, LPARAM value, int columns, WNDPROC own = nullptr) {
  LVITEMA item{};
  item.mask = LVIF_TEXT | LVIF_PARAM;
  item.iItem = INT_MAX;  // past the last row: appended, without asking the list for its count
  item.pszText = LPSTR_TEXTCALLBACKA;
  item.lParam = value;
  const int row = static_cast<int>(send(list, own, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
  if (row < 0) return -1;
  LVITEMA sub{};
  sub.pszText = LPSTR_TEXTCALLBACKA;
  for (int column = 1; column < columns; ++column) {
    sub.iSubItem = column;
    send(list, own, LVM_SETITEMTEXTA, row, reinterpret_cast<LPARAM>(&sub));
  }
  return row;
}

// Selects and focuses only `row` (none for -1).
inline void selectOnly(HWND list, int row) {
  LVITEMA state{};
  state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
  state.state = 0;
  SendMessageA(list, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&state));
  if (row < 0) return;
  state.state = LVIS_SELECTED | LVIS_FOCUSED;
  SendMessageA(list, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&state));
}

}  // namespace obel::listview
