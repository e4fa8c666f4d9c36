#include "results/sortable_list_view_win32.h"

#include <shlwapi.h>

#include "results/list_view_win32.h"
#include "results/window_subclass_win32.h"

namespace obel {

namespace {

// shell32's bitmaps of the header's sort arrows.
constexpr int Shell32SortUpBitmap = 133;
constexpr int Shell32SortDownBitmap = 134;

}  // namespace

bool headerCanDrawArrows() {
  HMODULE library = LoadLibraryA("comctl32.dll");
  if (!library) return false;
  bool drawsArrows = false;
  auto getVersion = reinterpret_cast<DLLGETVERSIONPROC>(reinterpret_cast<void*>(GetProcAddress(library, "DllGetVersion")));
  if (getVersion) {
    DLLVERSIONINFO version{};
    version.cbSize = sizeof version;  // 20 bytes
    if (SUCCEEDED(getVersion(&version)) && version.dwMajorVersion >= 6) drawsArrows = true;
  }
  FreeLibrary(library);
  return drawsArrows;
}

SortableListView::SortableListView() { sortState.headerDrawsArrows = headerCanDrawArrows() ? 1 : 0; }

SortableListView::~SortableListView() {
  releaseColumnTypes(sortState);
  releaseArrowBitmaps();
}

void SortableListView::releaseArrowBitmaps() {
  for (void*& bitmap : sortState.arrowBitmaps) {
    if (bitmap) DeleteObject(static_cast<HBITMAP>(bitmap));
    bitmap = nullptr;
  }
}

bool SortableListView::attach(HWND list) {
  if (!subclassWindow(list, windowProcedure(), this)) return false;
  previousProcedure = findSubclass(list, windowProcedure())->next;
  window = list;
  rowsKnown = false;
  hasFocus = GetFocus() == list;
  return true;
}

WNDPROC SortableListView::windowProcedure() { return procedure; }

void SortableListView::onFinalMessage(HWND) {}

LRESULT CALLBACK SortableListView::procedure(HWND list, UINT message, WPARAM wParam, LPARAM lParam) {
  const WindowSubclass* subclass = findSubclass(list, procedure);
  if (!subclass) return DefWindowProcA(list, message, wParam, lParam);
  auto* self = static_cast<SortableListView*>(subclass->data);
  if (message == WM_NCDESTROY) {
    LRESULT result = CallWindowProcA(self->previousProcedure, list, message, wParam, lParam);
    removeSubclass(list, procedure);
    self->window = nullptr;
    self->rowsKnown = false;
    self->hasFocus = false;
    self->onFinalMessage(list);
    return result;
  }
  LRESULT result = 0;
  if (self->handleMessage(list, message, wParam, lParam, result)) return result;
  return CallWindowProcA(self->previousProcedure, list, message, wParam, lParam);
}

bool SortableListView::handleMessage(HWND list, UINT message, WPARAM wParam, LPARAM lParam,
                                     LRESULT& result) {
  switch (message) {
    case LVM_INSERTCOLUMNA: {
      result = CallWindowProcA(previousProcedure, list, message, wParam, lParam);
      if (result != -1) insertColumnType(sortState, static_cast<int>(result));
      return true;
    }
    case LVM_DELETECOLUMN: {
      result = CallWindowProcA(previousProcedure, list, message, wParam, lParam);
      if (result) deleteColumnType(sortState, static_cast<int>(wParam));
      return true;
    }
    case WM_NOTIFY: {
      const NMHDR* header = reinterpret_cast<const NMHDR*>(lParam);
      if (header && header->hwndFrom == ListView_GetHeader(list) &&
          (header->code == HDN_ITEMCLICKA || header->code == HDN_ITEMCLICKW)) {
        const NMHEADERA* click = reinterpret_cast<const NMHEADERA*>(lParam);
        if (click->iButton == 0) onHeaderClick(click->iItem);
      }
      return false;  // the list sees the click as well
    }
    case LVM_INSERTITEMA:
    case LVM_INSERTITEMW:
    case LVM_DELETEITEM:
    case LVM_DELETEALLITEMS:
    case LVM_SETITEMA:
    case LVM_SETITEMW:
    case LVM_SORTITEMS:
    case LVM_SORTITEMSEX:
    case LVM_SETITEMCOUNT:
      rowsKnown = false;  // the rows change: what was known of them is not read again
      return false;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
      hasFocus = message == WM_SETFOCUS;
      return false;
    case WM_SETTINGCHANGE:
      if (wParam == SPI_SETNONCLIENTMETRICS && !sortState.headerDrawsArrows && sortState.arrowBitmaps[0]) {
        createArrowBitmaps();
        if (sortState.sortedColumn >= 0) showSortIndicator(sortState.sortedColumn);
      }
      return false;
  }
  return false;
}

void SortableListView::onHeaderClick(int column) {
  const bool descending = clickDirection(sortState, column);
  const int previous = sortState.sortedColumn;
  if (!sortByColumn(column, descending)) return;
  NMHEADERA changed{};
  changed.hdr.hwndFrom = window;
  changed.hdr.idFrom = static_cast<UINT_PTR>(GetDlgCtrlID(window));
  changed.hdr.code = SortChanged;
  changed.iItem = column;
  changed.iButton = previous;
  SendMessageA(GetParent(window), WM_NOTIFY, changed.hdr.idFrom, reinterpret_cast<LPARAM>(&changed));
}

bool SortableListView::sortByColumn(int column, bool descending) {
  ListViewRows rows(window, this);
  return obel::sortByColumn(sortState, rows, oleCellParser(), column, descending);
}

void SortableListView::showSortIndicator(int column) {
  HWND header = window ? ListView_GetHeader(window) : nullptr;
  const int previous = sortState.sortedColumn;
  sortState.sortedColumn = column;
  if (!header) return;
  if (sortState.headerDrawsArrows) {
    HDITEMA item{};
    item.mask = HDI_FORMAT;
    if (previous != column && previous >= 0 && SendMessageA(header, HDM_GETITEMA, previous, reinterpret_cast<LPARAM>(&item))) {
      item.fmt &= ~(HDF_SORTUP | HDF_SORTDOWN);
      SendMessageA(header, HDM_SETITEMA, previous, reinterpret_cast<LPARAM>(&item));
    }
    if (column >= 0 && SendMessageA(header, HDM_GETITEMA, column, reinterpret_cast<LPARAM>(&item))) {
      item.fmt &= ~(HDF_SORTUP | HDF_SORTDOWN);
      item.fmt |= sortState.descending ? HDF_SORTDOWN : HDF_SORTUP;
      SendMessageA(header, HDM_SETITEMA, column, reinterpret_cast<LPARAM>(&item));
    }
    return;
  }
  if (!sortState.arrowBitmaps[0]) createArrowBitmaps();
  HDITEMA item{};
  item.mask = HDI_FORMAT | HDI_BITMAP;
  if (previous != column && previous >= 0) {
    item.fmt = static_cast<int>(sortState.savedHeaderFormat);
    item.hbm = static_cast<HBITMAP>(sortState.savedHeaderBitmap);
    SendMessageA(header, HDM_SETITEMA, previous, reinterpret_cast<LPARAM>(&item));
  }
  if (column >= 0 && SendMessageA(header, HDM_GETITEMA, column, reinterpret_cast<LPARAM>(&item))) {
    if (previous != column) {
      sortState.savedHeaderFormat = static_cast<std::uint32_t>(item.fmt);
      sortState.savedHeaderBitmap = item.hbm;
    }
    item.fmt &= ~HDF_IMAGE;
    item.fmt |= HDF_BITMAP | HDF_BITMAP_ON_RIGHT;
    item.hbm = static_cast<HBITMAP>(sortState.arrowBitmaps[sortState.descending ? 1 : 0]);
    SendMessageA(header, HDM_SETITEMA, column, reinterpret_cast<LPARAM>(&item));
  }
}

namespace {

// A 16 x 15 bitmap in the button-face colour with the triangle in the button-shadow colour.
HBITMAP drawArrow(int index) {
  static const POINT up[3] = {{7, 4}, {2, 9}, {12, 9}};
  static const POINT down[3] = {{2, 4}, {7, 9}, {12, 4}};
  HWND desktop = GetDesktopWindow();
  HDC screen = GetDC(desktop);
  if (!screen) return nullptr;
  HBITMAP bitmap = nullptr;
  HDC memory = CreateCompatibleDC(screen);
  HPEN pen = CreatePen(PS_SOLID, 1, GetSysColor(COLOR_BTNSHADOW));
  if (memory && pen) bitmap = CreateCompatibleBitmap(screen, 16, 15);
  if (bitmap) {
    HGDIOBJ oldBitmap = SelectObject(memory, bitmap);
    RECT all = {0, 0, 16, 15};
    FillRect(memory, &all, GetSysColorBrush(COLOR_BTNFACE));
    HGDIOBJ oldPen = SelectObject(memory, pen);
    HGDIOBJ oldBrush = SelectObject(memory, GetSysColorBrush(COLOR_BTNSHADOW));
    Polygon(memory, index == 0 ? up : down, 3);
    SelectObject(memory, oldBrush);
    SelectObject(memory, oldPen);
    SelectObject(memory, oldBitmap);
  }
  if (pen) DeleteObject(pen);
  if (memory) DeleteDC(memory);
  ReleaseDC(desktop, screen);
  return bitmap;
}

}  // namespace

void SortableListView::createArrowBitmaps() {
  if (sortState.options & TryPlatformArrows) {
    HMODULE shell = GetModuleHandleA("shell32.dll");
    bool loaded = false;
    if (!shell) {
      shell = LoadLibraryA("shell32.dll");
      loaded = shell != nullptr;
    }
    bool both = shell != nullptr;
    for (int i = 0; i < 2 && shell; ++i) {
      if (sortState.arrowBitmaps[i]) DeleteObject(static_cast<HBITMAP>(sortState.arrowBitmaps[i]));
      sortState.arrowBitmaps[i] =
          LoadImageA(shell, MAKEINTRESOURCEA(i == 0 ? Shell32SortUpBitmap : Shell32SortDownBitmap), IMAGE_BITMAP, 0, 0, LR_LOADMAP3DCOLORS);
      if (!sortState.arrowBitmaps[i]) both = false;
    }
    if (loaded) FreeLibrary(shell);
    if (both) return;
  }
  for (int i = 0; i < 2; ++i) {
    if (sortState.arrowBitmaps[i]) DeleteObject(static_cast<HBITMAP>(sortState.arrowBitmaps[i]));
    sortState.arrowBitmaps[i] = drawArrow(i);
  }
}

// ListViewRows

WNDPROC ListViewRows::ownProcedure() const {
  return view_ && view_->window == list_ && view_->previousProcedure != DefWindowProcA ? view_->previousProcedure
                                                                                    : nullptr;
}

ListViewRows::ListViewRows(HWND list, SortableListView* view) : list_(list), view_(view) {
  if (view_ && view_->rowsKnown && view_->window == list_) {
    known_ = std::move(view_->knownRows);
    count_ = static_cast<int>(known_.size());
  }
  if (view_) {
    view_->knownRows.clear();
    view_->rowsKnown = false;
  }
}

ListViewRows::~ListViewRows() {
  if (view_ && view_->window == list_ && allKnown()) {
    view_->knownRows = std::move(known_);
    view_->rowsKnown = true;
  }
}

int ListViewRows::rowCount() const {
  if (count_ < 0) count_ = listview::itemCount(list_);
  return count_;
}

const RubyItem* ListViewRows::rowItem(int row) const {
  if (row >= 0 && static_cast<std::size_t>(row) < known_.size()) return reinterpret_cast<const RubyItem*>(known_[row]);
  LPARAM value = 0;
  if (!listview::itemValue(list_, row, value, ownProcedure())) return nullptr;
  if (static_cast<std::size_t>(row) == known_.size()) known_.push_back(value);
  return reinterpret_cast<const RubyItem*>(value);
}

void ListViewRows::deleteRow(int row) {
  if (!listview::send(list_, ownProcedure(), LVM_DELETEITEM, row, 0)) {
    known_.clear();
    return;
  }
  if (count_ > 0) --count_;
  if (row >= 0 && static_cast<std::size_t>(row) < known_.size()) known_.erase(known_.begin() + row);
}

void ListViewRows::appendRow(const RubyItem* value) {
  const bool wasAllKnown = allKnown();
  if (listview::appendCallbackItem(list_, reinterpret_cast<LPARAM>(value), ColumnCount, ownProcedure()) < 0) return;
  if (count_ >= 0) ++count_;
  if (wasAllKnown) {
    known_.push_back(reinterpret_cast<std::intptr_t>(value));
  } else {
    known_.clear();
  }
}

int ListViewRows::selectedCount() const { return static_cast<int>(SendMessageA(list_, LVM_GETSELECTEDCOUNT, 0, 0)); }

bool ListViewRows::isRowSelected(int row) const { return listview::isItemSelected(list_, row); }

int ListViewRows::firstSelectedRow() const { return listview::firstSelected(list_); }

bool ListViewRows::rowValue(int row, std::intptr_t& value) {
  if (allKnown() && row >= 0 && row < count_) {
    value = known_[row];
    return true;
  }
  LPARAM param = 0;
  if (!listview::itemValue(list_, row, param, ownProcedure())) return false;
  value = param;
  return true;
}

void ListViewRows::setRowValue(int row, std::intptr_t value) {
  listview::setItemValue(list_, row, value);
  if (row >= 0 && static_cast<std::size_t>(row) < known_.size()) known_[row] = value;
}

void ListViewRows::cellText(int row, int column, char* buffer, int size) { listview::itemText(list_, row, column, buffer, size); }

void ListViewRows::valueCellText(std::intptr_t value, int column, char* buffer, int size) {
  // What the list's parent answers for the cell (onResultListNotify).
  const RubyItem* item = reinterpret_cast<const RubyItem*>(value);
  if (item) {
    columnText(*item, column, process::expandedHead, buffer, static_cast<std::size_t>(size));
  } else {
    buffer[0] = '\0';
  }
}

bool ListViewRows::valueTable(std::intptr_t& base, std::intptr_t& stride, int& limit) const {
  base = reinterpret_cast<std::intptr_t>(process::store().items);
  stride = static_cast<std::intptr_t>(sizeof(RubyItem));
  limit = static_cast<int>(MaxItems);
  return true;
}

namespace {

struct CompareCall {
  RowCompare compare;
  std::intptr_t param;
};

int CALLBACK compareRows(LPARAM first, LPARAM second, LPARAM call) {
  const CompareCall& c = *reinterpret_cast<const CompareCall*>(call);
  return c.compare(first, second, c.param);
}

}  // namespace

void ListViewRows::rowsReordered(const std::intptr_t* values, int count) {
  known_.assign(values, values + count);
  count_ = count;
}

bool ListViewRows::sortRows(RowCompare compare, std::intptr_t param) {
  known_.clear();  // the rows move
  CompareCall call{compare, param};
  return listview::send(list_, ownProcedure(), LVM_SORTITEMS, reinterpret_cast<WPARAM>(&call),
                        reinterpret_cast<LPARAM>(compareRows)) != 0;
}

void ListViewRows::showSortIndicator(int column) {
  if (view_) view_->showSortIndicator(column);
}

void ListViewRows::setWaitCursor(bool on) {
  if (on) {
    previousCursor_ = SetCursor(LoadCursorA(nullptr, IDC_WAIT));
  } else {
    SetCursor(previousCursor_);
  }
}

}  // namespace obel
