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
  for (SortableListView* view : {&process::groupListView(), &process::memberListView()}) {
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

// The room between a cell's edges and its text, in pixels.
struct CellPadding {
  int left;
  int top;
  int right;
  int bottom;
};
// At 96 dots per inch, the list view's own measure; scaledPadding gives it at the DC's.
constexpr int BaseDpi = 96;
constexpr CellPadding BasePadding{3, 2, 5, 2};

CellPadding scaledPadding(HDC dc) {
  const int dpiX = GetDeviceCaps(dc, LOGPIXELSX);
  const int dpiY = GetDeviceCaps(dc, LOGPIXELSY);
  return {MulDiv(BasePadding.left, dpiX, BaseDpi), MulDiv(BasePadding.top, dpiY, BaseDpi),
          MulDiv(BasePadding.right, dpiX, BaseDpi), MulDiv(BasePadding.bottom, dpiY, BaseDpi)};
}

void drawCell(HDC dc, const RubyItem* item, int column, int left, int right, const RECT& row,
              const CellPadding& padding) {
  if (!item) return;
  char text[1024];
  columnText(*item, column, process::expandedHead, text, sizeof text);
  RECT cell = {left + padding.left, row.top + padding.top, right - padding.right, row.bottom - padding.bottom};
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
    const CellPadding padding = scaledPadding(dc);
    HGDIOBJ ownFont = nullptr;  // while the list font is selected: the list's own font it replaced
    int left = row.left;
    for (int column = 0; column < ColumnCount; ++column) {
      const int width = static_cast<int>(SendMessageA(draw->hwndItem, LVM_GETCOLUMNWIDTH, column, 0));
      const int right = left + width;
      if (pairRow && isOccurrenceColumn(column)) {  // a pair row shows no occurrence columns
        left = right;
        continue;
      }
      const bool listFont = process::listFont && isListFontColumn(column);
      if (listFont && !ownFont) {
        ownFont = SelectObject(dc, process::listFont);
      } else if (!listFont && ownFont) {
        SelectObject(dc, ownFont);
        ownFont = nullptr;
      }
      drawCell(dc, item, column, left, right, row, padding);
      left = right;
    }
    if (ownFont) SelectObject(dc, ownFont);
    SetTextColor(dc, oldColour);
    SetBkMode(dc, oldMode);
    if (draw->itemState & ODS_FOCUS) DrawFocusRect(dc, &row);
  } else if (draw->itemAction & ODA_FOCUS) {
    DrawFocusRect(dc, &row);
  }
}

void applyListFont(HWND) {
  createListFont(process::settings().fontName);
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
