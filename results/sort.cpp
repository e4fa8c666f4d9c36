#include "results/sort.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>
#include <string_view>
#include <vector>

#include "engine/store.h"

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
    case VerdictSort:
      record.key.integer = static_cast<std::int32_t>(verdictOfMark(cellText));
      break;
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

int compareSortKeys(const SortRecord& a, const SortRecord& b, const SortParameters& p) {
  int order = 0;
  switch (p.type) {
    case TextSort:
      order = sign(p.parser->compareText(a.key.text, b.key.text));
      break;
    case TextNoCaseSort:
      order = sign(p.parser->compareTextNoCase(a.key.text, b.key.text));
      break;
    case IntegerSort:
    case VerdictSort:
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

int compareSortRecords(std::intptr_t first, std::intptr_t second, std::intptr_t param) {
  return compareSortKeys(*reinterpret_cast<const SortRecord*>(first), *reinterpret_cast<const SortRecord*>(second),
                         *reinterpret_cast<const SortParameters*>(param));
}

bool clickDirection(const SortState& state, int column) {
  return column == state.sortedColumn && !state.descending;
}

namespace {

// The buffers of a sort. The last sort's are kept for the next: under Wine every fresh
// megabyte costs about a millisecond of page faults, as much as the rest of a sort by №.
// The lists are sorted one at a time; a sort that finds the kept buffers taken gets its own.
struct SortBuffers {
  std::vector<SortRecord> records;
  std::vector<char> texts;
  std::vector<std::intptr_t> rowValues;
  std::vector<const SortRecord*> byPlace;
  bool taken = false;
};

// The keys of every row, one record per row (its value in `value`), each text key in its own
// SortTextBytes slot of `texts`.
struct PreparedKeys {
  SortRecord* records = nullptr;
  char* texts = nullptr;
  int count = 0;
  explicit PreparedKeys(int n) : count(n), buffers(kept().taken ? own : kept()) {
    buffers.taken = true;
    try {
      buffers.records.resize(static_cast<std::size_t>(n));
      buffers.texts.resize(static_cast<std::size_t>(n) * SortTextBytes);
      records = buffers.records.data();
      texts = buffers.texts.data();
    } catch (const std::bad_alloc&) {
      records = nullptr;
    }
  }
  ~PreparedKeys() { buffers.taken = false; }
  PreparedKeys(const PreparedKeys&) = delete;
  PreparedKeys& operator=(const PreparedKeys&) = delete;
  bool ready() const { return records && texts; }
  char* textSlot(int i) { return texts + static_cast<std::size_t>(i) * SortTextBytes; }

 private:
  static SortBuffers& kept() {
    static SortBuffers buffers;
    return buffers;
  }
  SortBuffers own;

 public:
  SortBuffers& buffers;
};

// The list's sort through records: each row's value is replaced by its record for the sort
// and given back after it. One cell read and two value writes per row.
bool sortByRecords(SortableRows& rows, CellParser& parser, int column, ColumnType type, bool descending,
                   PreparedKeys& keys) {
  const int count = keys.count;
  SortRecord* records = keys.records;
  for (int i = 0; i < count; ++i) {
    SortRecord& record = records[i];
    record.row = i;
    if (!rows.rowValue(i, record.value)) record.value = 0;
    char cell[SortTextBytes];
    cell[0] = '\0';
    rows.cellText(i, column, cell, SortTextBytes);
    cell[SortTextBytes - 1] = '\0';
    prepareSortKey(record, type, cell, keys.textSlot(i), parser);
    rows.setRowValue(i, reinterpret_cast<std::intptr_t>(&record));
  }
  SortParameters parameters{&parser, type, descending};
  const bool sorted = rows.sortRows(compareSortRecords, reinterpret_cast<std::intptr_t>(&parameters));
  // Every row gets back the value of the record it now carries.
  for (int i = 0; i < count; ++i) {
    std::intptr_t value = 0;
    if (!rows.rowValue(i, value) || value == 0) continue;
    const SortRecord* record = reinterpret_cast<const SortRecord*>(value);
    if (record >= records && record < records + count) rows.setRowValue(i, record->value);
  }
  return sorted;
}

// Records ordered by value, for the comparison of two rows by their values.
struct ValueKeys {
  const SortRecord* records;
  int count;
  SortParameters parameters;
  bool ranked;  // text keys compared by their ranks
  // When the values are places in a table (SortableRows::valueTable): each place's record,
  // or null for a place no row holds.
  std::intptr_t base = 0;
  std::intptr_t stride = 0;
  const std::vector<const SortRecord*>* byPlace = nullptr;
};

int compareTexts(const SortParameters& p, const char* a, const char* b) {
  return p.type == TextSort ? p.parser->compareText(a, b) : p.parser->compareTextNoCase(a, b);
}

// Ranks from the texts in `order`: a text ranks above the one before it when the comparison
// puts it after, the same when equal. False when the order is not the comparison's.
bool rankInOrder(SortRecord* records, const std::vector<int>& order, const SortParameters& p) {
  int rank = 0;
  for (std::size_t i = 0; i < order.size(); ++i) {
    if (i > 0) {
      const int c = compareTexts(p, records[order[i - 1]].key.text, records[order[i]].key.text);
      if (c > 0) return false;
      if (c < 0) ++rank;
    }
    records[order[i]].rank = rank;
  }
  return true;
}

// The sort keys of many texts in one buffer: one allocation, not one per text.
class SortKeys {
 public:
  // False when the parser has no key for a text.
  bool add(CellParser& parser, const char* text, bool noCase) {
    if (!parser.textSortKey(text, noCase, key_)) return false;
    starts_.push_back(bytes_.size());
    bytes_.insert(bytes_.end(), key_.begin(), key_.end());
    return true;
  }
  bool less(int a, int b) const {
    return std::string_view(&bytes_[starts_[a]], end(a) - starts_[a]) <
           std::string_view(&bytes_[starts_[b]], end(b) - starts_[b]);
  }

 private:
  std::size_t end(int k) const { return static_cast<std::size_t>(k) + 1 < starts_.size() ? starts_[k + 1] : bytes_.size(); }
  std::string key_;
  std::vector<char> bytes_;
  std::vector<std::size_t> starts_;
};

// Gives every record the rank of its text among all the texts, so that the list's many
// comparisons compare two numbers; each rank equals the comparison's verdict against its
// neighbours. The order comes from the parser's sort keys, checked pair by pair against the
// comparison, or else from a sort by the comparison itself. False (no ranks) when neither
// order passes the check.
// Equal texts are ranked once: the parser sees each distinct text once, and every record
// takes the rank of the first record with its text.
bool rankTexts(SortRecord* records, int count, const SortParameters& p) {
  try {
    // The records in the byte order of their texts: equal texts side by side.
    std::vector<int> byBytes(count);
    for (int i = 0; i < count; ++i) byBytes[i] = i;
    std::sort(byBytes.begin(), byBytes.end(), [&](int a, int b) {
      const int c = std::strcmp(records[a].key.text, records[b].key.text);
      return c != 0 ? c < 0 : a < b;
    });
    std::vector<int> firstWithText(count);
    std::vector<int> order;  // the first record of each distinct text
    for (int k = 0; k < count; ++k) {
      const int i = byBytes[k];
      if (k > 0 && std::strcmp(records[byBytes[k - 1]].key.text, records[i].key.text) == 0) {
        firstWithText[i] = firstWithText[byBytes[k - 1]];
      } else {
        firstWithText[i] = i;
        order.push_back(i);
      }
    }
    const int distinct = static_cast<int>(order.size());
    SortKeys keys;  // key k: the text of order[k]
    bool hinted = true;
    for (int k = 0; k < distinct && hinted; ++k) hinted = keys.add(*p.parser, records[order[k]].key.text, p.type == TextNoCaseSort);
    bool ranked = false;
    if (hinted) {
      std::vector<int> byKey(distinct);
      for (int k = 0; k < distinct; ++k) byKey[k] = k;
      std::stable_sort(byKey.begin(), byKey.end(), [&](int a, int b) { return keys.less(a, b); });
      std::vector<int> keyOrder(distinct);
      for (int k = 0; k < distinct; ++k) keyOrder[k] = order[byKey[k]];
      ranked = rankInOrder(records, keyOrder, p);
    }
    if (!ranked) {
      std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
        return compareTexts(p, records[a].key.text, records[b].key.text) < 0;
      });
      ranked = rankInOrder(records, order, p);
    }
    if (!ranked) return false;
    for (int i = 0; i < count; ++i) records[i].rank = records[firstWithText[i]].rank;
    return true;
  } catch (const std::bad_alloc&) {
    return false;
  }
}

const SortRecord* recordOf(const ValueKeys& keys, std::intptr_t value) {
  if (keys.byPlace) {
    const std::intptr_t offset = value - keys.base;
    if (offset < 0 || offset % keys.stride != 0) return nullptr;
    const std::size_t place = static_cast<std::size_t>(offset / keys.stride);
    return place < keys.byPlace->size() ? (*keys.byPlace)[place] : nullptr;
  }
  const SortRecord* end = keys.records + keys.count;
  const SortRecord* found = std::lower_bound(keys.records, end, value,
                                             [](const SortRecord& r, std::intptr_t v) { return r.value < v; });
  return found != end && found->value == value ? found : nullptr;
}

int compareByValue(std::intptr_t first, std::intptr_t second, std::intptr_t param) {
  const ValueKeys& keys = *reinterpret_cast<const ValueKeys*>(param);
  const SortRecord* a = recordOf(keys, first);
  const SortRecord* b = recordOf(keys, second);
  if (!a || !b) return 0;  // a value the sort did not see: none while the list sorts
  if (!keys.ranked) return compareSortKeys(*a, *b, keys.parameters);
  const int order = threeWay(a->rank, b->rank);
  return keys.parameters.descending ? -order : order;
}

// Comparison of two rows by the places the sort gave them (each record's `row`).
int compareByPosition(std::intptr_t first, std::intptr_t second, std::intptr_t param) {
  const ValueKeys& keys = *reinterpret_cast<const ValueKeys*>(param);
  const SortRecord* a = recordOf(keys, first);
  const SortRecord* b = recordOf(keys, second);
  if (!a || !b) return 0;
  return threeWay(a->row, b->row);
}

// When every row holds a value of its own: the order a stable sort by the comparison gives
// (rows that compare equal keep their order), worked out here, each record's `row` set to its
// row's place in it, and the list sorted by those places, which no two rows share; so the
// rows' values in their new order are known without reading the list again. False, with
// nothing changed, when two rows hold the same value or memory is short.
bool sortByPositions(SortableRows& rows, ValueKeys& byValue, const std::vector<std::intptr_t>& rowValues,
                     bool& sorted) {
  const int count = static_cast<int>(rowValues.size());
  if (byValue.count != count) return false;
  try {
    std::vector<int> order(count);
    for (int i = 0; i < count; ++i) order[i] = i;
    const std::intptr_t param = reinterpret_cast<std::intptr_t>(&byValue);
    std::stable_sort(order.begin(), order.end(),
                     [&](int a, int b) { return compareByValue(rowValues[a], rowValues[b], param) < 0; });
    std::vector<std::intptr_t> sortedValues(count);
    bool moved = false;
    for (int position = 0; position < count; ++position) {
      sortedValues[position] = rowValues[order[position]];
      const SortRecord* record = recordOf(byValue, sortedValues[position]);
      if (!record) return false;
      const_cast<SortRecord*>(record)->row = position;
      moved = moved || order[position] != position;
    }
    // Rows already in this order (a rebuild appends them in the order of №) stay as they are:
    // the list's own sort would move nothing.
    if (!moved) {
      sorted = true;
      return true;
    }
    sorted = rows.sortRows(compareByPosition, param);
    if (sorted) rows.rowsReordered(sortedValues.data(), count);
    return true;
  } catch (const std::bad_alloc&) {
    return false;
  }
}

// The list's sort by the rows' own values: one value read per row, the keys of each distinct
// value prepared once from its cell text, no write to the list but the sort itself.
bool sortByValues(SortableRows& rows, CellParser& parser, int column, ColumnType type, bool descending,
                  PreparedKeys& keys) {
  SortRecord* records = keys.records;
  std::vector<std::intptr_t>& rowValues = keys.buffers.rowValues;
  try {
    rowValues.resize(static_cast<std::size_t>(keys.count));
  } catch (const std::bad_alloc&) {
    rowValues.clear();
  }
  for (int i = 0; i < keys.count; ++i) {
    records[i].row = i;
    if (!rows.rowValue(i, records[i].value)) records[i].value = 0;
    if (!rowValues.empty()) rowValues[i] = records[i].value;
  }
  std::sort(records, records + keys.count,
            [](const SortRecord& a, const SortRecord& b) { return a.value < b.value; });
  int distinct = 0;
  for (int i = 0; i < keys.count; ++i) {
    if (distinct > 0 && records[distinct - 1].value == records[i].value) continue;
    SortRecord& record = records[distinct];
    record.value = records[i].value;
    char cell[SortTextBytes];
    cell[0] = '\0';
    rows.valueCellText(record.value, column, cell, SortTextBytes);
    cell[SortTextBytes - 1] = '\0';
    prepareSortKey(record, type, cell, keys.textSlot(distinct), parser);
    ++distinct;
  }
  ValueKeys byValue{records, distinct, SortParameters{&parser, type, descending}, false, 0, 0, nullptr};
  if (type == TextSort || type == TextNoCaseSort) byValue.ranked = rankTexts(records, distinct, byValue.parameters);
  int limit = 0;
  if (rows.valueTable(byValue.base, byValue.stride, limit) && byValue.stride > 0 && limit > 0) {
    std::vector<const SortRecord*>& places = keys.buffers.byPlace;
    try {
      places.assign(static_cast<std::size_t>(limit), nullptr);
      byValue.byPlace = &places;
      for (int i = 0; i < distinct; ++i) {
        const std::intptr_t offset = records[i].value - byValue.base;
        if (offset >= 0 && offset % byValue.stride == 0 && offset / byValue.stride < limit) {
          places[static_cast<std::size_t>(offset / byValue.stride)] = &records[i];
        } else {
          byValue.byPlace = nullptr;  // a value outside the table: found by searching
          break;
        }
      }
    } catch (const std::bad_alloc&) {
      byValue.byPlace = nullptr;
    }
  }
  bool sorted = false;
  if (!rowValues.empty() && sortByPositions(rows, byValue, rowValues, sorted)) return sorted;
  return rows.sortRows(compareByValue, reinterpret_cast<std::intptr_t>(&byValue));
}

}  // namespace

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
  bool sorted = false;
  {
    PreparedKeys keys(count);
    if (keys.ready()) {
      sorted = rows.cellsFollowValues() ? sortByValues(rows, parser, column, type, descending, keys)
                   : sortByRecords(rows, parser, column, type, descending, keys);
    }
  }
  if (sorted) {
    state.descending = descending ? 1 : 0;
    rows.showSortIndicator(column);
  }
  if (wait) rows.setWaitCursor(false);
  return sorted;
}

}  // namespace obel
