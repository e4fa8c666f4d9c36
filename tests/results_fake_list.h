#pragma once
// A list of rows in memory that behaves as the report list does toward the row model and
// the sort: values per row, one optional selection, cell texts from columnText (or from a
// table of texts by value), a stable sort with the given comparison.
#include <algorithm>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "results/list_model.h"
#include "results/sort.h"

namespace obel::test {

class FakeList : public RowList, public SortableRows {
 public:
  std::vector<std::intptr_t> values;
  std::vector<bool> selected;
  SortState state;
  std::function<std::string(std::intptr_t value, int column)> cells;  // null: columnText
  bool cellsByValue = false;  // the sort may read cells by value, as it does on the real lists
  // When placeStride is not 0, the values are places base + i * stride (i below placeLimit),
  // as the real lists' items are places in the store (valueTable).
  std::intptr_t placeBase = 0;
  std::intptr_t placeStride = 0;
  int placeLimit = 0;
  bool failSort = false;
  int sortCalls = 0;
  int cellReads = 0;
  std::vector<int> indicatorColumns;
  int waitOn = 0;
  int waitOff = 0;

  // Set up as the result lists are: ten columns, sorted by "№" ascending.
  FakeList() {
    setColumnTypes(state, defaultTypes().data(), ColumnCount);
    state.sortedColumn = 0;
  }
  ~FakeList() override { releaseColumnTypes(state); }

  static std::vector<ColumnType> defaultTypes() {
    std::vector<ColumnType> types;
    for (const ColumnInfo& c : resultColumns) types.push_back(c.sortType);
    return types;
  }

  // RowList
  int rowCount() const override { return static_cast<int>(values.size()); }
  const RubyItem* rowItem(int row) const override { return reinterpret_cast<const RubyItem*>(values[row]); }
  void deleteRow(int row) override {
    values.erase(values.begin() + row);
    selected.erase(selected.begin() + row);
  }
  void appendRow(const RubyItem* item) override {
    values.push_back(reinterpret_cast<std::intptr_t>(item));
    selected.push_back(false);
  }
  int selectedCount() const override { return static_cast<int>(std::count(selected.begin(), selected.end(), true)); }
  bool isRowSelected(int row) const override { return selected[row]; }

  // SortableRows
  int rowCount() override { return static_cast<int>(values.size()); }
  bool rowValue(int row, std::intptr_t& value) override {
    value = values[row];
    return true;
  }
  void setRowValue(int row, std::intptr_t value) override { values[row] = value; }
  void cellText(int row, int column, char* buffer, int size) override {
    ++cellReads;
    valueCellText(values[row], column, buffer, size);
  }
  bool cellsFollowValues() const override { return cellsByValue; }
  void valueCellText(std::intptr_t value, int column, char* buffer, int size) override {
    if (cells) {
      std::string text = cells(value, column);
      std::size_t n = std::min<std::size_t>(text.size(), size - 1);
      std::memcpy(buffer, text.data(), n);
      buffer[n] = '\0';
    } else {
      columnText(*reinterpret_cast<const RubyItem*>(value), column, process::expandedHead, buffer, size);
    }
  }
  bool valueTable(std::intptr_t& base, std::intptr_t& stride, int& limit) const override {
    base = placeBase, stride = placeStride, limit = placeLimit;
    return placeStride != 0;
  }
  bool sortRows(RowCompare compare, std::intptr_t param) override {
    ++sortCalls;
    if (failSort) return false;
    // The selection moves with its row.
    std::vector<std::pair<std::intptr_t, bool>> rows;
    for (std::size_t i = 0; i < values.size(); ++i) rows.emplace_back(values[i], selected[i]);
    std::stable_sort(rows.begin(), rows.end(),
                     [&](const auto& a, const auto& b) { return compare(a.first, b.first, param) < 0; });
    for (std::size_t i = 0; i < rows.size(); ++i) {
      values[i] = rows[i].first;
      selected[i] = rows[i].second;
    }
    return true;
  }
  void showSortIndicator(int column) override {
    state.sortedColumn = column;
    indicatorColumns.push_back(column);
  }
  void setWaitCursor(bool on) override { ++(on ? waitOn : waitOff); }

  // Helpers
  void refresh() { refreshRows(*this, process::expandedHead, *this, state, portableCellParser(), nullptr); }
  bool sort(int column, bool descending) {
    return sortByColumn(state, *this, portableCellParser(), column, descending);
  }
  std::string cell(int row, int column) const {
    char buffer[300];
    columnText(*rowItem(row), column, process::expandedHead, buffer, sizeof buffer);
    return buffer;
  }
  std::vector<std::string> column(int c) const {
    std::vector<std::string> texts;
    for (int row = 0; row < rowCount(); ++row) texts.push_back(cell(row, c));
    return texts;
  }
  void select(int row) {
    std::fill(selected.begin(), selected.end(), false);
    if (row >= 0) selected[row] = true;
  }
};

}  // namespace obel::test
