#include "results/sort.h"

#include <cstdlib>
#include <cstring>
#include <new>

namespace obel {

ColumnType columnType(const SortState& state, int column) {
  if (column < 0 || static_cast<std::uint32_t>(column) >= state.columnCount) return NoSort;
  return state.columnTypes[column];
}

namespace {

bool reserveColumns(SortState& state, std::uint32_t needed) {
  if (needed <= state.columnCapacity) return true;
  std::uint32_t capacity = state.columnCapacity ? state.columnCapacity : 1;
  while (capacity < needed) capacity *= 2;
  void* grown = std::realloc(state.columnTypes, capacity * sizeof(ColumnType));
  if (!grown) return false;
  state.columnTypes = static_cast<ColumnType*>(grown);
  state.columnCapacity = capacity;
  return true;
}

}  // namespace

bool setColumnTypes(SortState& state, const ColumnType* types, int count) {
  if (count < 0) return false;
  if (static_cast<std::uint32_t>(count) > state.columnCount) {
    if (!reserveColumns(state, count)) return false;
    for (std::uint32_t i = state.columnCount; i < static_cast<std::uint32_t>(count); ++i) {
      state.columnTypes[i] = TextSort;
    }
    state.columnCount = count;
  }
  for (int i = 0; i < count; ++i) state.columnTypes[i] = types[i];
  return true;
}

bool insertColumnType(SortState& state, int index) {
  if (index < 0) return false;
  if (static_cast<std::uint32_t>(index) > state.columnCount) index = static_cast<int>(state.columnCount);
  if (!reserveColumns(state, state.columnCount + 1)) return false;
  std::memmove(state.columnTypes + index + 1, state.columnTypes + index,
               (state.columnCount - index) * sizeof(ColumnType));
  state.columnTypes[index] = TextSort;
  ++state.columnCount;
  if (state.sortedColumn >= 0 && index <= state.sortedColumn) ++state.sortedColumn;
  return true;
}

void deleteColumnType(SortState& state, int index) {
  if (index < 0 || static_cast<std::uint32_t>(index) >= state.columnCount) return;
  if (index == state.sortedColumn) {
    state.sortedColumn = -1;
  } else if (index < state.sortedColumn) {
    --state.sortedColumn;
  }
  std::memmove(state.columnTypes + index, state.columnTypes + index + 1,
               (state.columnCount - index - 1) * sizeof(ColumnType));
  --state.columnCount;
}

void releaseColumnTypes(SortState& state) {
  std::free(state.columnTypes);
  state.columnTypes = nullptr;
  state.columnCount = 0;
  state.columnCapacity = 0;
}

void prepareSortKey(SortRecord& record, ColumnType type, const char* cellText, char* textCopy,
                    CellParser& parser) {
  std::memset(&record.key, 0, sizeof record.key);
  const bool empty = cellText[0] == '\0';
  switch (type) {
    case TextSort:
    case TextNoCaseSort:
    case UnsortedText: {
      std::size_t length = std::strlen(cellText);
      if (length > SortTextBytes - 1) length = SortTextBytes - 1;
      std::memcpy(textCopy, cellText, length);
      textCopy[length] = '\0';
      record.key.text = textCopy;
      break;
    }
    case IntegerSort: {
      std::int32_t value = 0;
      if (!empty && parser.parseInteger(cellText, value)) record.key.integer = value;
      break;
    }
    case RealSort: {
      double value = 0.0;
      record.key.real = (!empty && parser.parseReal(cellText, value)) ? value : 0.0;
      break;
    }
    case DecimalSort: {
      DecimalKey value{};
      if (parser.parseDecimal(cellText, value)) record.key.decimal = value;
      break;
    }
    case DateTimeSort:
    case DateSort:
    case TimeSort: {
      double value = 0.0;
      record.key.real = (!empty && parser.parseDate(cellText, type, value)) ? value : 0.0;
      break;
    }
    default:
      break;
  }
}

namespace {

template <typename T>
int threeWay(T a, T b) {
  return a > b ? 1 : (a < b ? -1 : 0);
}

int sign(int value) { return value > 0 ? 1 : (value < 0 ? -1 : 0); }

}  // namespace

int compareSortRecords(std::intptr_t first, std::intptr_t second, std::intptr_t param) {
  const SortRecord& a = *reinterpret_cast<const SortRecord*>(first);
  const SortRecord& b = *reinterpret_cast<const SortRecord*>(second);
  const SortParameters& p = *reinterpret_cast<const SortParameters*>(param);
  int order = 0;
  switch (p.type) {
    case TextSort:
      order = sign(p.parser->compareText(a.key.text, b.key.text));
      break;
    case TextNoCaseSort:
      order = sign(p.parser->compareTextNoCase(a.key.text, b.key.text));
      break;
    case IntegerSort:
      order = threeWay(a.key.integer, b.key.integer);
      break;
    case RealSort:
    case DateTimeSort:
    case DateSort:
    case TimeSort:
      order = threeWay(a.key.real, b.key.real);
      break;
    case DecimalSort:
      order = p.parser->compareDecimal(a.key.decimal, b.key.decimal) - 1;
      break;
    default:
      order = 0;
      break;
  }
  return p.descending ? -order : order;
}

bool clickDirection(const SortState& state, int column) {
  return column == state.sortedColumn && !state.descending;
}

bool sortByColumn(SortState& state, SortableRows& rows, CellParser& parser, int column,
                  bool descending) {
  const ColumnType type = columnType(state, column);
  if (type == NoSort) return false;
  const int count = rows.rowCount();
  if (count < 2) {
    state.descending = descending ? 1 : 0;
    rows.showSortIndicator(column);
    return true;
  }
  const bool wait = state.waitCursor != 0;
  if (wait) rows.setWaitCursor(true);

  SortRecord* records = new (std::nothrow) SortRecord[count];
  char* texts = new (std::nothrow) char[static_cast<std::size_t>(count) * SortTextBytes];
  bool sorted = false;
  if (records && texts) {
    for (int i = 0; i < count; ++i) {
      SortRecord& record = records[i];
      record.row = i;
      if (!rows.rowValue(i, record.value)) record.value = 0;
      char cell[SortTextBytes];
      cell[0] = '\0';
      rows.cellText(i, column, cell, SortTextBytes);
      cell[SortTextBytes - 1] = '\0';
      prepareSortKey(record, type, cell, texts + static_cast<std::size_t>(i) * SortTextBytes, parser);
      rows.setRowValue(i, reinterpret_cast<std::intptr_t>(&record));
    }
    SortParameters parameters{&parser, type, descending};
    sorted = rows.sortRows(compareSortRecords, reinterpret_cast<std::intptr_t>(&parameters));
    // Every row gets back the value of the record it now carries.
    for (int i = 0; i < count; ++i) {
      std::intptr_t value = 0;
      if (!rows.rowValue(i, value) || value == 0) continue;
      const SortRecord* record = reinterpret_cast<const SortRecord*>(value);
      if (record >= records && record < records + count) rows.setRowValue(i, record->value);
    }
  }
  delete[] texts;
  delete[] records;
  if (sorted) {
    state.descending = descending ? 1 : 0;
    rows.showSortIndicator(column);
  }
  if (wait) rows.setWaitCursor(false);
  return sorted;
}

}  // namespace obel
