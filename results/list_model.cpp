#include "results/list_model.h"

#include <charconv>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "results/conditions.h"

namespace obel {

const RubyItem* process::expandedHead = nullptr;

const ColumnInfo resultColumns[ColumnCount] = {
    {"№", Align::Centre, 60, IntegerSort, Align::Right},
    {"個数", Align::Centre, 40, IntegerSort, Align::Right},
    {"キー文字列", Align::Left, 150, TextSort, Align::Left},
    {"ルビ文字列", Align::Left, 150, TextSort, Align::Left},
    {"送り仮名", Align::Left, 150, TextSort, Align::Left},
    {"ファイル名", Align::Left, 100, TextSort, Align::Left},
    {"フォルダ名", Align::Left, 100, TextSort, Align::Left},
    {"行", Align::Centre, 50, IntegerSort, Align::Right},
    {"列", Align::Centre, 50, IntegerSort, Align::Right},
    {"逆変換", Align::Centre, 110, VerdictSort, Align::Centre},
};

namespace {

// One counter over both passes; every `step` counts the bar moves by `step`.
struct ProgressCounter {
  ProgressSink* sink;
  int step;
  int counter = 0;
  void tick() {
    if (++counter >= step) {
      if (sink) sink->advance(step);
      counter = 0;
    }
  }
};

// Index of an item in the store, or -1 when the reference lies outside it.
int storeIndex(const ResultStore& s, const RubyItem* item) {
  if (!item || item < s.items || item >= s.items + s.itemCount) return -1;
  return static_cast<int>(item - s.items);
}

}  // namespace

void reconcileRows(RowList& rows, const RubyItem* expandedHead, ProgressSink* progress) {
  const ResultStore& s = process::store();
  // One byte per possible item; static so a rebuild of the full store costs no allocation.
  static unsigned char visited[MaxItems];
  std::memset(visited, 0, sizeof visited);
  ProgressCounter counter{progress, progressStep(s.itemCount)};

  int row = 0;
  while (row < rows.rowCount()) {
    counter.tick();
    const RubyItem* item = rows.rowItem(row);
    int index = storeIndex(s, item);
    if (index >= 0) {
      visited[index] = 1;
      if (matchesDisplayConditions(*item, process::settings(), expandedHead)) {
        ++row;
        continue;
      }
    }
    rows.deleteRow(row);  // the next row slides into this place
  }
  for (std::uint32_t i = 0; i < s.itemCount; ++i) {
    counter.tick();
    if (!visited[i] && matchesDisplayConditions(s.items[i], process::settings(), expandedHead))
      rows.appendRow(&s.items[i]);
  }
}

void refreshRows(RowList& rows, const RubyItem* expandedHead, SortableRows& sortable, SortState& state,
                 CellParser& parser, ProgressSink* progress, std::chrono::steady_clock::time_point* reconciled) {
  reconcileRows(rows, expandedHead, progress);
  if (reconciled) *reconciled = std::chrono::steady_clock::now();
  if (state.sortedColumn >= 0) {
    sortByColumn(state, sortable, parser, state.sortedColumn, state.descending != 0);
  }
}

namespace {

void copyText(const char* text, char* buffer, std::size_t size) {
  if (size == 0) return;
  std::size_t length = std::strlen(text);
  if (length > size - 1) length = size - 1;
  std::memcpy(buffer, text, length);
  buffer[length] = '\0';
}

// Without the C library's formatting: a sort by № formats every row's number.
void numberText(long value, char* buffer, std::size_t size) {
  char digits[24];
  *std::to_chars(digits, digits + sizeof digits - 1, value).ptr = '\0';
  copyText(digits, buffer, size);
}

}  // namespace

void columnText(const RubyItem& item, int column, const RubyItem* expandedHead, char* buffer, std::size_t size) {
  const ResultStore& s = process::store();
  const bool expanded = expandedHead != nullptr;
  const bool pairRow = !expanded && (item.flags & PairShared);
  if (size == 0) return;
  buffer[0] = '\0';
  if (pairRow && isOccurrenceColumn(column)) return;
  switch (column) {
    case NumberColumn:
      numberText(expanded && &item == expandedHead ? 1 : item.number, buffer, size);
      break;
    case CountColumn:
      numberText(expanded ? 1 : item.groupSize, buffer, size);
      break;
    case KeyColumn:
      copyText(text(s, item.keyId), buffer, size);
      break;
    case RubyColumn:
      copyText(text(s, item.rubyId), buffer, size);
      break;
    case OkuriganaColumn:
      copyText(text(s, item.okuriganaId), buffer, size);
      break;
    case FileColumn:
      if (item.file) copyText(item.file->name ? item.file->name : "", buffer, size);
      break;
    case FolderColumn:
      if (item.file) copyText(item.file->folder, buffer, size);
      break;
    case LineColumn:
      numberText(item.line, buffer, size);
      break;
    case PositionColumn:
      numberText(item.column, buffer, size);
      break;
    case VerdictColumn: {
      // The 候補 of a × or ！ beside its mark, where the proofreader reads the mark.
      std::string cell = rowMark(item, expandedHead);
      const Verdict verdict = verdictOfMark(cell.c_str());
      if ((verdict == Verdict::Unconfirmed || verdict == Verdict::NearMiss) && *suggestion(s, item))
        cell = cell + " " + suggestion(s, item);
      copyText(cell.c_str(), buffer, size);
      break;
    }
    default:
      break;
  }
}

const char* rowMark(const RubyItem& item, const RubyItem* expandedHead) {
  return verdictMark(item, !expandedHead && (item.flags & PairShared));
}

const RubyItem* selectedItem(const RowList& rows) {
  if (rows.selectedCount() != 1) return nullptr;
  const int row = rows.firstSelectedRow();
  return row >= 0 ? rows.rowItem(row) : nullptr;
}

ItemButtons itemButtonStates(const RubyItem* selected, const RubyItem* expandedHead) {
  const bool expanded = expandedHead != nullptr;
  if (!selected) return {false, expanded};
  const bool shared = (selected->flags & PairShared) != 0;
  return {!(shared && !expanded), shared};
}

Activation activationFor(const RubyItem* selected, const RubyItem* expandedHead) {
  if (!selected) return Activation::Nothing;
  if ((selected->flags & PairShared) && !expandedHead) return Activation::Expand;
  return Activation::Open;
}

int listRowHeight(std::int32_t fontSize) {
  const std::uint32_t size = static_cast<std::uint32_t>(fontSize);
  return size > 9 ? static_cast<int>(size + 4) : 13;
}

ChildRange conditionControlRange(const int* childIds, int count, int foldId, int endId) {
  int first = -1;
  for (int i = 0; i < count; ++i) {
    if (childIds[i] == foldId) {
      first = i + 1;
      break;
    }
  }
  if (first < 0) return {0, 0};
  int last = first;
  while (last < count && childIds[last] != endId) ++last;
  return {first, last};
}

}  // namespace obel
