#pragma once
// The rows of the two result lists: a row holds a reference to a RubyItem and nothing else;
// its cell texts are computed when asked for. The reconciliation of a list with the store and
// the display conditions, the selection, the button rules and the expand state are plain logic
// over the small RowList interface, which the real list view and the test fake implement.
#include <chrono>
#include <cstddef>
#include <cstdint>

#include "engine/store.h"
#include "results/sort.h"

namespace obel {

// The first occurrence of the pair that MemberList shows; null in the grouped view.
namespace process {
extern const RubyItem* expandedHead;
}  // namespace process

// The columns of both lists, in order.
enum Column : int {
  NumberColumn,     // №
  CountColumn,      // 個数
  KeyColumn,        // キー文字列
  RubyColumn,       // ルビ文字列
  OkuriganaColumn,  // 送り仮名
  FileColumn,       // ファイル名
  FolderColumn,     // フォルダ名
  LineColumn,       // 行
  PositionColumn,   // 列: the character position in the line
  VerdictColumn,    // 逆変換
  ColumnCount
};

// The columns a pair row of the grouped view leaves empty: those of a single occurrence.
constexpr bool isOccurrenceColumn(int column) { return column >= OkuriganaColumn && column <= PositionColumn; }
// The columns of the book's own text, drawn in the list font of the settings.
constexpr bool isListFontColumn(int column) { return column >= KeyColumn && column <= OkuriganaColumn; }

enum class Align { Left, Centre, Right };
struct ColumnInfo {
  const char* header;
  Align headerAlign;
  int width;
  ColumnType sortType;
  Align cellAlign;
};
extern const ColumnInfo resultColumns[ColumnCount];
// The header of the check's 候補, where a table gives them.
constexpr char SuggestionHeader[] = "候補";

// The rows of one list, in display order.
class RowList {
 public:
  virtual ~RowList() = default;
  virtual int rowCount() const = 0;
  virtual const RubyItem* rowItem(int row) const = 0;  // null when the row cannot be read
  virtual void deleteRow(int row) = 0;
  virtual void appendRow(const RubyItem* item) = 0;
  virtual int selectedCount() const = 0;
  virtual bool isRowSelected(int row) const = 0;
  // The first selected row, -1 when none.
  virtual int firstSelectedRow() const {
    const int count = rowCount();
    for (int row = 0; row < count; ++row) {
      if (isRowSelected(row)) return row;
    }
    return -1;
  }
};

// Advances a progress bar by a number of steps.
class ProgressSink {
 public:
  virtual ~ProgressSink() = default;
  virtual void advance(int steps) = 0;
};

// The two passes: rows that no longer pass matchesDisplayConditions are deleted, rows that
// stay keep their order; then every store item not yet in the list that passes is appended
// in store order. The sort that follows is the caller's.
void reconcileRows(RowList& rows, const RubyItem* expandedHead, ProgressSink* progress);

// reconcileRows, then the sort by the state's sorted column in its current direction.
// reconciled, when not null, gets the moment between the two (the benchmark's budget).
void refreshRows(RowList& rows, const RubyItem* expandedHead, SortableRows& sortable, SortState& state,
                 CellParser& parser, ProgressSink* progress,
                 std::chrono::steady_clock::time_point* reconciled = nullptr);

// Text of one cell in the view expandedHead chooses: the grouped view when null, else the
// occurrences of its pair. The buffer gets at most size - 1 bytes. The 逆変換 cell of a × or ！
// holds the mark, a space and the item's 候補 when it has one.
void columnText(const RubyItem& item, int column, const RubyItem* expandedHead, char* buffer, std::size_t size);
// The mark of a row alone: the pair's in the grouped view for a pair row, else the item's own.
const char* rowMark(const RubyItem& item, const RubyItem* expandedHead);

// Item of the one selected row; null when none or several rows are selected.
const RubyItem* selectedItem(const RowList& rows);

struct ItemButtons {
  bool openEnabled;
  bool expandEnabled;
};
ItemButtons itemButtonStates(const RubyItem* selected, const RubyItem* expandedHead);

// What activating the selection of a list does.
enum class Activation { Nothing, Expand, Open };
Activation activationFor(const RubyItem* selected, const RubyItem* expandedHead);

// Row height of both lists for the fontSize setting.
int listRowHeight(std::int32_t fontSize);

// Position range [first, last) of the display-condition controls within the dialog's child
// order: after the control foldId (the fold check box) up to the control endId (the Open
// button). first == last when foldId is not found.
struct ChildRange {
  int first;
  int last;
};
ChildRange conditionControlRange(const int* childIds, int count, int foldId, int endId);

}  // namespace obel
