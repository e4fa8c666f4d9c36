#pragma once
// A report list made sortable by clicking its column headers: the object subclasses the list
// window, keeps the column types and the sort state, sorts through the list's own sort and
// marks the sorted column in the header with an arrow.
#include <windows.h>
#include <commctrl.h>

#include <cstdint>
#include <vector>

#include "results/list_model.h"
#include "results/sort.h"

namespace obel {

constexpr UINT SortChanged = static_cast<UINT>(-301);

class SortableListView {
 public:
  SortableListView();
  virtual ~SortableListView();
  SortableListView(const SortableListView&) = delete;
  SortableListView& operator=(const SortableListView&) = delete;

  // Binds the object to an existing list window; false (and unbound) when that fails.
  bool attach(HWND list);
  bool sortByColumn(int column, bool descending);
  void showSortIndicator(int column);
  void createArrowBitmaps();

  virtual bool handleMessage(HWND list, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
  virtual WNDPROC windowProcedure();
  virtual void onFinalMessage(HWND list);

  HWND window = nullptr;
  WNDPROC previousProcedure = DefWindowProcA;
  // Whether the list has the keyboard focus, kept from its focus messages (asking the system
  // for the focus is a window-server call under Wine, too dear for every row painted).
  bool hasFocus = false;
  SortState sortState;
  // The values of the list's rows from the top, as the last ListViewRows over this object left
  // them; rowsKnown is cleared by every message that inserts, deletes, changes or sorts rows
  // other than through that object, so that the next one reads the list again.
  std::vector<std::intptr_t> knownRows;
  bool rowsKnown = false;

 private:
  static LRESULT CALLBACK procedure(HWND list, UINT message, WPARAM wParam, LPARAM lParam);
  void onHeaderClick(int column);
  void releaseArrowBitmaps();
};

// The comctl32 check: true when its DllGetVersion reports version 6 or higher.
bool headerCanDrawArrows();

// The locale's OLE Automation parsers and lstrcmpA / lstrcmpiA.
CellParser& oleCellParser();

// A list window seen through the row-model and sort interfaces. It counts the rows once and
// keeps the count through its own deletes and appends: the list must not change otherwise
// while the object is in use. The values it has read from the top in order, and those it
// appended, are kept as well, so that the sort after a rebuild reads no row a second time;
// with a SortableListView, what it knows of all rows passes on to the next object over the
// same view while no message has changed the rows in between.
class ListViewRows : public RowList, public SortableRows {
 public:
  ListViewRows(HWND list, SortableListView* view);
  ~ListViewRows() override;
  ListViewRows(const ListViewRows&) = delete;
  ListViewRows& operator=(const ListViewRows&) = delete;
  int rowCount() const override;
  const RubyItem* rowItem(int row) const override;
  void deleteRow(int row) override;
  void appendRow(const RubyItem* item) override;
  int selectedCount() const override;
  bool isRowSelected(int row) const override;
  int firstSelectedRow() const override;

  int rowCount() override { return static_cast<const ListViewRows*>(this)->rowCount(); }
  bool rowValue(int row, std::intptr_t& value) override;
  void setRowValue(int row, std::intptr_t value) override;
  void cellText(int row, int column, char* buffer, int size) override;
  // The cells are the row items' columnText, as the lists' parent gives them.
  bool cellsFollowValues() const override { return true; }
  void valueCellText(std::intptr_t value, int column, char* buffer, int size) override;
  // The values are items of the result store.
  bool valueTable(std::intptr_t& base, std::intptr_t& stride, int& limit) const override;
  bool sortRows(RowCompare compare, std::intptr_t param) override;
  void rowsReordered(const std::intptr_t* values, int count) override;
  void showSortIndicator(int column) override;
  void setWaitCursor(bool on) override;

 private:
  // The list's own procedure when the view's subclass stands before it: the rows' messages
  // (values read, rows appended and deleted, the sort) go straight to it, as they are nothing
  // the subclass handles. Null otherwise.
  WNDPROC ownProcedure() const;
  HWND list_;
  SortableListView* view_;
  mutable int count_ = -1;  // the list's row count once asked, kept by deleteRow and appendRow
  // The values of rows 0 .. size - 1, as read or appended; all rows' values once its size is
  // count_. Emptied by the list's sort, which moves the rows.
  mutable std::vector<std::intptr_t> known_;
  bool allKnown() const { return count_ >= 0 && known_.size() == static_cast<std::size_t>(count_); }
  HCURSOR previousCursor_ = nullptr;
};

}  // namespace obel
