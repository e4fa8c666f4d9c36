// The owner-drawn rows of both result lists and the re-measuring after a font change.
#include "app/commands.h"
#include "app/list_font.h"
#include "app/main_dialog.h"
#include "results/list_model.h"
#include "app/result_lists.h"
#include "settings/settings.h"

#include <commctrl.h>

namespace obel {

namespace {

bool listHasFocus(HWND list) {
  for (SortableListView* view : {&groupListView(), &memberListView()}) {
    if (view->window == list) return view->hasFocus;
  }
  return GetFocus() == list;
}

UINT drawFormat(Align align) {
  const UINT common = DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS | DT_NOPREFIX;
  switch (align) {
    case Align::Right:
      return common | DT_RIGHT;
    case Align::Centre:
      return common | DT_CENTER;
    default:
      return common | DT_LEFT;
  }
}

void drawCell(HDC dc, const RubyItem* item, int column, int left, int right, const RECT& row) {
  if (!item) return;
  char text[1024];
  columnText(*item, column, text, sizeof text);
  RECT cell = {left + 3, row.top + 2, right - 5, row.bottom - 2};
  DrawTextA(dc, text, -1, &cell, drawFormat(resultColumns[column].cellAlign));
}

}  // namespace

void drawListRow(const DRAWITEMSTRUCT* draw) {
  if (!draw || draw->CtlType != ODT_LISTVIEW) return;
  HDC dc = draw->hDC;
  const RECT& row = draw->rcItem;
  if (draw->itemAction & (ODA_DRAWENTIRE | ODA_SELECT)) {
    const bool selected = (draw->itemState & ODS_SELECTED) != 0;
    const bool focused = listHasFocus(draw->hwndItem);
    int background = COLOR_WINDOW;
    int foreground = COLOR_WINDOWTEXT;
    if (selected && focused) {
      background = COLOR_HIGHLIGHT;
      foreground = COLOR_HIGHLIGHTTEXT;
    } else if (selected) {
      background = COLOR_BTNFACE;
      foreground = COLOR_BTNTEXT;
    }
    FillRect(dc, &row, GetSysColorBrush(background));
    const COLORREF oldColour = SetTextColor(dc, GetSysColor(foreground));
    const int oldMode = SetBkMode(dc, TRANSPARENT);

    const RubyItem* item = reinterpret_cast<const RubyItem*>(draw->itemData);
    const bool pairRow = item && (item->flags & PairShared) && !process::expandedHead;
    HGDIOBJ ownFont = nullptr;
    bool listFontSelected = false;
    int left = row.left;
    for (int column = 0; column < ColumnCount; ++column) {
      const int width = static_cast<int>(SendMessageA(draw->hwndItem, LVM_GETCOLUMNWIDTH, column, 0));
      const int right = left + width;
      if (pairRow && isOccurrenceColumn(column)) {
        // A pair row shows no occurrence columns; the verdict column returns to the list's own font.
        if (listFontSelected) {
          SelectObject(dc, ownFont);
          listFontSelected = false;
        }
        left = right;
        continue;
      }
      drawCell(dc, item, column, left, right, row);
      if (column == CountColumn && process::listFont) {
        ownFont = SelectObject(dc, process::listFont);
        listFontSelected = true;
      }
      if (column == OkuriganaColumn && listFontSelected) {
        SelectObject(dc, ownFont);
        listFontSelected = false;
      }
      left = right;
    }
    if (listFontSelected) SelectObject(dc, ownFont);
    SetTextColor(dc, oldColour);
    SetBkMode(dc, oldMode);
    if (draw->itemState & ODS_FOCUS) DrawFocusRect(dc, &row);
  } else if (draw->itemAction & ODA_FOCUS) {
    DrawFocusRect(dc, &row);
  }
}

void applyListFont(HWND) {
  createListFont(settings().fontName);
  HWND list = visibleList();
  if (!list) return;
  RECT r;
  GetWindowRect(list, &r);
  WINDOWPOS position{};
  position.hwnd = list;
  position.cx = r.right - r.left;
  position.cy = r.bottom - r.top;
  position.flags = SWP_NOMOVE | SWP_NOZORDER;
  SendMessageA(list, WM_WINDOWPOSCHANGED, 0, reinterpret_cast<LPARAM>(&position));
  InvalidateRect(list, nullptr, TRUE);
  UpdateWindow(list);
}

}  // namespace obel
