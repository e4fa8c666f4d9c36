#pragma once
// The sort of a report list by the text its rows show in one column, read according to the
// column's type, and the bookkeeping of the column types. Plain logic over SortableRows (the
// list's own operations: count rows, read and replace a row's value, read a cell's text, sort
// the rows with a comparison) and CellParser (the locale's number and date parsers and text
// comparisons).
#include <cstdint>
#include <string>

namespace obel {

using ColumnType = std::uint16_t;
constexpr ColumnType NoSort = 0;
constexpr ColumnType TextSort = 1;          // case-sensitive text
constexpr ColumnType TextNoCaseSort = 2;    // case-insensitive text
constexpr ColumnType IntegerSort = 3;       // signed 32-bit
constexpr ColumnType RealSort = 4;          // double
constexpr ColumnType DecimalSort = 5;       // 16-byte decimal
constexpr ColumnType DateTimeSort = 6;
constexpr ColumnType DateSort = 7;          // date part only
constexpr ColumnType TimeSort = 8;          // time part only
constexpr ColumnType UnsortedText = 9;      // read, every pair equal
constexpr ColumnType VerdictSort = 10;      // a verdict mark, in the marks' order of trust

// Bytes of a cell taking part in the sort, NUL included: at most 31 bytes of text.
constexpr int SortTextBytes = 32;

// SortState::options bits.
constexpr std::uint32_t TryPlatformArrows = 1;  // the platform's own arrow images before drawn ones

struct SortState {
  std::uint8_t descending = 0;
  std::uint8_t headerDrawsArrows = 0;
  std::int32_t sortedColumn = -1;
  void* arrowBitmaps[2] = {nullptr, nullptr};  // up, down (platform bitmap handles)
  std::uint32_t savedHeaderFormat = 0;
  void* savedHeaderBitmap = nullptr;
  std::uint32_t options = TryPlatformArrows;
  ColumnType* columnTypes = nullptr;
  std::uint32_t columnCount = 0;
  std::uint32_t columnCapacity = 0;
  std::uint8_t waitCursor = 1;
};

// Type of a column; NoSort for a column the state does not know.
ColumnType columnType(const SortState& state, int column);
// Sets the types of the first `count` columns (the state grows to `count` entries if needed).
bool setColumnTypes(SortState& state, const ColumnType* types, int count);
// After the list inserted a column at `index`: it gets TextSort, later entries move up, and
// the sorted column moves up when index is not greater than it.
bool insertColumnType(SortState& state, int index);
// After the list deleted the column at `index`.
void deleteColumnType(SortState& state, int index);
void releaseColumnTypes(SortState& state);

struct DecimalKey {
  unsigned char bytes[16];
};

class CellParser {
 public:
  virtual ~CellParser() = default;
  virtual bool parseInteger(const char* text, std::int32_t& value) = 0;
  virtual bool parseReal(const char* text, double& value) = 0;
  virtual bool parseDecimal(const char* text, DecimalKey& value) = 0;
  // type is DateTimeSort, DateSort or TimeSort.
  virtual bool parseDate(const char* text, ColumnType type, double& value) = 0;
  // 0 less, 1 equal, 2 greater.
  virtual int compareDecimal(const DecimalKey& a, const DecimalKey& b) = 0;
  virtual int compareText(const char* a, const char* b) = 0;
  virtual int compareTextNoCase(const char* a, const char* b) = 0;
  // A byte string whose order is expected to agree with compareText (noCase false) or
  // compareTextNoCase, so that many texts can be put in order with few comparisons; false
  // when the parser has none. Only a guess: the sort checks its order against the comparison.
  virtual bool textSortKey(const char* text, bool noCase, std::string& key) {
    (void)text, (void)noCase, (void)key;
    return false;
  }
};

// Parser for platforms without the locale's OLE parsers: plain digits with thousands
// separators, a fraction and an exponent, "&H" hexadecimal and "&O" octal numbers; dates as
// year/month/day with an optional time; byte-order text comparison.
CellParser& portableCellParser();

struct SortRecord {
  std::int32_t row;   // the row's index before the sort (sorting by positions: its index after it)
  std::int32_t rank;  // sorting by values: the text's place among the column's texts
  std::intptr_t value;
  union {
    char* text;
    std::int32_t integer;
    double real;
    DecimalKey decimal;
  } key;
};

struct SortParameters {
  CellParser* parser;
  ColumnType type;
  bool descending;
};

// Comparison of two rows whose values are SortRecord references; param is a SortParameters.
int compareSortRecords(std::intptr_t first, std::intptr_t second, std::intptr_t param);
// Comparison of two prepared keys, as compareSortRecords compares the records.
int compareSortKeys(const SortRecord& a, const SortRecord& b, const SortParameters& p);
using RowCompare = int (*)(std::intptr_t, std::intptr_t, std::intptr_t);

// Fills a record's key from its cell text (text keys point at `textCopy`, which the caller
// owns and which receives the text).
void prepareSortKey(SortRecord& record, ColumnType type, const char* cellText, char* textCopy,
                    CellParser& parser);

class SortableRows {
 public:
  virtual ~SortableRows() = default;
  virtual int rowCount() = 0;
  virtual bool rowValue(int row, std::intptr_t& value) = 0;
  virtual void setRowValue(int row, std::intptr_t value) = 0;
  // Reads at most size - 1 bytes of the cell's text.
  virtual void cellText(int row, int column, char* buffer, int size) = 0;
  // True when every cell's text follows from the row's value alone (valueCellText); the sort
  // then prepares its keys from those texts and compares the rows by their own values.
  virtual bool cellsFollowValues() const { return false; }
  // The text the cell of any row carrying `value` shows (at most size - 1 bytes), computed
  // without asking the list. Only called when cellsFollowValues().
  virtual void valueCellText(std::intptr_t value, int column, char* buffer, int size) {
    (void)value, (void)column, (void)size;
    buffer[0] = '\0';
  }
  // Where the values lie, when they are the addresses of equal-sized records of one table:
  // value = base + i * stride for i below limit. The sort by values then finds a row's key
  // by its place in that table instead of searching for it. False when there is no such table.
  virtual bool valueTable(std::intptr_t& base, std::intptr_t& stride, int& limit) const {
    (void)base, (void)stride, (void)limit;
    return false;
  }
  virtual bool sortRows(RowCompare compare, std::intptr_t param) = 0;
  // After a successful sortRows: the rows' values in their new order, from the top.
  virtual void rowsReordered(const std::intptr_t* values, int count) { (void)values, (void)count; }
  virtual void showSortIndicator(int column) = 0;
  virtual void setWaitCursor(bool on) = 0;
};

// Sorts the rows by the column; false when the column does not sort or the list's sort
// failed (direction and header then stay). Every row gets its own value back. Rows that know
// their cells by value (valueCellText) are sorted by their values with keys prepared once;
// the others have each value replaced by a record of its key for the list's sort. Both give
// the same comparisons, so the same order.
bool sortByColumn(SortState& state, SortableRows& rows, CellParser& parser, int column,
                  bool descending);

// Direction of a header click on `column`: descending only when it is the sorted column and
// the list is sorted ascending.
bool clickDirection(const SortState& state, int column);

}  // namespace obel
