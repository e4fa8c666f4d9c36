#include "results/sort.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "results_fake_list.h"
#include "results_store_fill.h"

using namespace obel;
using namespace obel::test;

namespace {

using Texts = std::vector<std::string>;

// A fake list whose rows carry the values 1..n and the given texts in column 0.
struct TextList {
  FakeList list;
  std::vector<std::string> texts;
  explicit TextList(std::vector<std::string> cells, ColumnType type) : texts(std::move(cells)) {
    for (std::size_t i = 0; i < texts.size(); ++i) list.appendRow(reinterpret_cast<const RubyItem*>(i + 1));
    list.cells = [this](std::intptr_t value, int) { return texts[value - 1]; };
    releaseColumnTypes(list.state);
    setColumnTypes(list.state, &type, 1);
    list.state.sortedColumn = -1;
  }
  Texts order() const {
    Texts result;
    for (std::intptr_t v : list.values) result.push_back(texts[v - 1]);
    return result;
  }
  bool sort(bool descending) { return list.sort(0, descending); }
};

TEST(Sort, EmptyIntegerCellSortsAsZero) {
  TextList t({"10", "9", ""}, IntegerSort);
  ASSERT_TRUE(t.sort(false));
  EXPECT_EQ(t.order(), (Texts{"", "9", "10"}));
  ASSERT_TRUE(t.sort(true));
  EXPECT_EQ(t.order(), (Texts{"10", "9", ""}));
}

TEST(Sort, EveryRowGetsItsOwnValueBack) {
  TextList t({"b", "c", "a"}, TextSort);
  ASSERT_TRUE(t.sort(false));
  EXPECT_EQ(t.order(), (Texts{"a", "b", "c"}));
  EXPECT_EQ(t.list.values, (std::vector<std::intptr_t>{3, 1, 2}));
  EXPECT_EQ(t.list.cellReads, 3) << "one cell read per row";
  EXPECT_EQ(t.list.waitOn, 1);
  EXPECT_EQ(t.list.waitOff, 1);
}

TEST(Sort, TextsEqualInTheFirst31BytesCompareEqual) {
  const std::string common(31, 'k');
  TextList t({common + "z", common + "a", "j"}, TextSort);
  ASSERT_TRUE(t.sort(false));
  EXPECT_EQ(t.order(), (Texts{"j", common + "z", common + "a"})) << "stable: equal keys keep their order";
  ASSERT_TRUE(t.sort(true));
  EXPECT_EQ(t.order(), (Texts{common + "z", common + "a", "j"}));
}

TEST(Sort, KeysOfEachColumnType) {
  struct Case {
    ColumnType type;
    Texts cells;
    Texts ascending;
  } const cases[] = {
      {TextSort, {"b", "B", "a"}, {"B", "a", "b"}},
      {TextNoCaseSort, {"b", "C", "a"}, {"a", "b", "C"}},
      {IntegerSort, {"1,234", "&H10", "x", "-3", "1e3"}, {"-3", "x", "&H10", "1e3", "1,234"}},
      {RealSort, {"2.5", "", "-0.5", "12a"}, {"-0.5", "", "12a", "2.5"}},
      {DecimalSort, {"10.25", "", "10.2", "-1"}, {"-1", "", "10.2", "10.25"}},
      {DateTimeSort, {"2024/01/02 10:00", "2024/01/02", "2023/12/31"}, {"2023/12/31", "2024/01/02", "2024/01/02 10:00"}},
      {DateSort, {"2024/01/02 10:00", "2024/01/01 23:00", "2024/01/02"}, {"2024/01/01 23:00", "2024/01/02 10:00", "2024/01/02"}},
      {TimeSort, {"2024/01/01 23:00", "2024/01/05 01:00", "12:30"}, {"2024/01/05 01:00", "12:30", "2024/01/01 23:00"}},
      {UnsortedText, {"c", "a", "b"}, {"c", "a", "b"}},
      {VerdictSort, {"× きけん", "◎", "！ ことば", "", "？", "△", "○"}, {"", "◎", "○", "△", "？", "！ ことば", "× きけん"}},
  };
  for (const Case& c : cases) {
    TextList t(c.cells, c.type);
    ASSERT_TRUE(t.sort(false)) << c.type;
    EXPECT_EQ(t.order(), c.ascending) << "type " << c.type;
  }
}

// The sort by values with keys prepared once gives the order the sort through the list's cell
// texts gives: every column type, both directions, ties, empty and unreadable cells, texts
// beyond 31 bytes, each sort starting from the order the one before left.
TEST(Sort, ByValuesGivesTheOrderOfTheCellTexts) {
  const Texts pool[] = {
      {"b", "B", "a", "", "b"},
      {"b", "C", "a", "c", ""},
      {"1,234", "&H10", "x", "-3", "1e3", "", "10", "10"},
      {"2.5", "", "-0.5", "12a", "2.50", "1e-3"},
      {"10.25", "", "10.2", "-1", "10.20", "x"},
      {"2024/01/02 10:00", "2024/01/02", "2023/12/31", "", "bad", "10:00"},
      {"2024/01/02 10:00", "2024/01/01 23:00", "2024/01/02", "x", ""},
      {"2024/01/01 23:00", "2024/01/05 01:00", "12:30", "23:00", ""},
      {std::string(31, 'k') + "z", std::string(31, 'k') + "a", "j", "", "K"},
      {"c", "a", "b"},
  };
  constexpr int Rows = 60;
  std::vector<Texts> cells(Rows + 1, Texts(10));
  unsigned seed = 7;
  for (int row = 1; row <= Rows; ++row) {
    for (int column = 0; column < 10; ++column) {
      seed = seed * 1103515245u + 12345u;
      cells[row][column] = pool[column][(seed >> 16) % pool[column].size()];
    }
  }
  // A parser whose sort keys put the texts in the wrong order: the sort must notice.
  struct WrongKeys : CellParser {
    CellParser& p = portableCellParser();
    bool parseInteger(const char* t, std::int32_t& v) override { return p.parseInteger(t, v); }
    bool parseReal(const char* t, double& v) override { return p.parseReal(t, v); }
    bool parseDecimal(const char* t, DecimalKey& v) override { return p.parseDecimal(t, v); }
    bool parseDate(const char* t, ColumnType type, double& v) override { return p.parseDate(t, type, v); }
    int compareDecimal(const DecimalKey& a, const DecimalKey& b) override { return p.compareDecimal(a, b); }
    int compareText(const char* a, const char* b) override { return p.compareText(a, b); }
    int compareTextNoCase(const char* a, const char* b) override { return p.compareTextNoCase(a, b); }
    bool textSortKey(const char* text, bool, std::string& key) override {
      for (key.clear(); *text; ++text) key.insert(key.begin(), static_cast<char>(~*text));
      return true;
    }
  } wrongKeys;
  FakeList byTexts, byValues, byPlaces, byWrongKeys;
  for (FakeList* list : {&byTexts, &byValues, &byPlaces, &byWrongKeys}) {
    ColumnType types[10];
    for (int c = 0; c < 10; ++c) types[c] = static_cast<ColumnType>(c);  // NoSort .. UnsortedText
    releaseColumnTypes(list->state);
    setColumnTypes(list->state, types, 10);
    for (int row = 1; row <= Rows; ++row) list->appendRow(reinterpret_cast<const RubyItem*>(row));
    list->cells = [&cells](std::intptr_t value, int column) { return cells[value][column]; };
  }
  byValues.cellsByValue = true;
  byPlaces.cellsByValue = true;
  byPlaces.placeBase = 1, byPlaces.placeStride = 1, byPlaces.placeLimit = Rows;  // values 1 .. Rows
  byWrongKeys.cellsByValue = true;
  for (bool descending : {false, true}) {
    for (int column = 0; column < 10; ++column) {
      const bool sorted = byTexts.sort(column, descending);
      EXPECT_EQ(byValues.sort(column, descending), sorted) << "column " << column;
      EXPECT_EQ(byValues.values, byTexts.values) << "type " << column << (descending ? " descending" : " ascending");
      EXPECT_EQ(byPlaces.sort(column, descending), sorted) << "column " << column;
      EXPECT_EQ(byPlaces.values, byTexts.values) << "type " << column << " with the values found by place";
      sortByColumn(byWrongKeys.state, byWrongKeys, wrongKeys, column, descending);
      EXPECT_EQ(byWrongKeys.values, byTexts.values) << "type " << column << " with wrong sort keys";
    }
  }
  EXPECT_GT(byTexts.cellReads, 0);
  EXPECT_EQ(byValues.cellReads, 0) << "no cell read from the list";
  EXPECT_NE(byTexts.values.front(), 1) << "the rows did move";
}

TEST(Sort, PortableParserForms) {
  CellParser& p = portableCellParser();
  std::int32_t i = 0;
  EXPECT_TRUE(p.parseInteger(" 1,234 ", i));
  EXPECT_EQ(i, 1234);
  EXPECT_TRUE(p.parseInteger("2.5", i));
  EXPECT_EQ(i, 2) << "half to even";
  EXPECT_TRUE(p.parseInteger("3.5", i));
  EXPECT_EQ(i, 4);
  EXPECT_FALSE(p.parseInteger("12a", i));
  EXPECT_FALSE(p.parseInteger("１２３", i));
  EXPECT_FALSE(p.parseInteger("", i));
  EXPECT_FALSE(p.parseInteger("3000000000", i));
  double d = 0;
  EXPECT_TRUE(p.parseDate("2024/01/02", DateTimeSort, d));
  EXPECT_DOUBLE_EQ(d, 45293.0);
  EXPECT_TRUE(p.parseDate("2024/13/01", DateTimeSort, d));
  EXPECT_DOUBLE_EQ(d, 45304.0) << "read as the 13th of January";
  EXPECT_TRUE(p.parseDate("1899/12/30 12:00", DateTimeSort, d));
  EXPECT_DOUBLE_EQ(d, 0.5);
  EXPECT_FALSE(p.parseDate("2023/02/29", DateTimeSort, d));
  EXPECT_FALSE(p.parseDate("tomorrow", DateTimeSort, d));
  EXPECT_EQ(p.compareTextNoCase("ABC", "abc"), 0);
  // The trail byte 0x61 of a double-byte character is not a letter.
  EXPECT_NE(p.compareTextNoCase("\x81\x61", "\x81\x41"), 0);
}

TEST(Sort, ColumnOfTypeZeroDoesNotSort) {
  TextList t({"b", "a"}, NoSort);
  EXPECT_FALSE(t.sort(false));
  EXPECT_EQ(t.order(), (Texts{"b", "a"}));
  EXPECT_TRUE(t.list.indicatorColumns.empty());
  EXPECT_EQ(t.list.state.sortedColumn, -1);
}

TEST(Sort, FewerThanTwoRowsChangeDirectionAndMarkWithoutSorting) {
  for (int n = 0; n < 2; ++n) {
    TextList t(Texts(n, "x"), IntegerSort);
    ASSERT_TRUE(t.sort(true));
    EXPECT_EQ(t.list.state.descending, 1);
    EXPECT_EQ(t.list.indicatorColumns, std::vector<int>{0});
    EXPECT_EQ(t.list.sortCalls, 0);
    EXPECT_EQ(t.list.waitOn, 0);
  }
}

TEST(Sort, FailedListSortKeepsDirectionHeaderAndValues) {
  TextList t({"b", "a"}, TextSort);
  t.list.failSort = true;
  EXPECT_FALSE(t.sort(true));
  EXPECT_EQ(t.list.values, (std::vector<std::intptr_t>{1, 2}));
  EXPECT_EQ(t.list.state.descending, 0);
  EXPECT_TRUE(t.list.indicatorColumns.empty());
  EXPECT_EQ(t.list.waitOff, 1) << "cursor restored";
}

TEST(Sort, HeaderClicksAlternateOnOneColumnAndStartAscendingOnAnother) {
  SortState state;
  state.sortedColumn = 0;  // the lists start sorted by № ascending
  EXPECT_TRUE(clickDirection(state, 0)) << "first click on № sorts descending";
  state.descending = 1;
  EXPECT_FALSE(clickDirection(state, 0));
  EXPECT_FALSE(clickDirection(state, 3)) << "another column starts ascending";
  state.descending = 0;
  EXPECT_FALSE(clickDirection(state, 3));
}

TEST(Sort, PairRowsComeFirstWhenSortedByLine) {
  resetResults();
  addResult("雨", "あめ", "", nullptr, 5, 1);
  addResult("空", "そら", "", nullptr, 3, 1);
  addResult("空", "そら", "", nullptr, 9, 1);
  addResult("海", "うみ", "", nullptr, 1, 1);
  finishSearch(process::store());
  FakeList group;
  group.refresh();
  ASSERT_TRUE(group.sort(LineColumn, false));
  EXPECT_EQ(group.column(KeyColumn), (Texts{"空", "海", "雨"}));
  resetResults();
}

TEST(ColumnTypes, InsertAndDeleteKeepTheSortedColumnInStep) {
  SortState state;
  const ColumnType types[] = {IntegerSort, TextSort, RealSort};
  ASSERT_TRUE(setColumnTypes(state, types, 3));
  state.sortedColumn = 1;
  ASSERT_TRUE(insertColumnType(state, 1));
  EXPECT_EQ(state.sortedColumn, 2);
  ASSERT_EQ(state.columnCount, 4u);
  EXPECT_EQ(columnType(state, 0), IntegerSort);
  EXPECT_EQ(columnType(state, 1), TextSort);
  EXPECT_EQ(columnType(state, 2), TextSort);
  EXPECT_EQ(columnType(state, 3), RealSort);
  ASSERT_TRUE(insertColumnType(state, 3));
  EXPECT_EQ(state.sortedColumn, 2) << "a column after the sorted one changes nothing";
  deleteColumnType(state, 0);
  EXPECT_EQ(state.sortedColumn, 1);
  EXPECT_EQ(columnType(state, 3), RealSort);
  deleteColumnType(state, 1);
  EXPECT_EQ(state.sortedColumn, -1) << "deleting the sorted column leaves none";
  EXPECT_EQ(state.columnCount, 3u);
  EXPECT_EQ(columnType(state, 7), NoSort);
  releaseColumnTypes(state);
  EXPECT_EQ(state.columnCount, 0u);
  EXPECT_EQ(state.columnCapacity, 0u);
}

TEST(ColumnTypes, CapacityDoublesFromOne) {
  SortState state;
  std::vector<std::uint32_t> capacities;
  for (int i = 0; i < 5; ++i) {
    ASSERT_TRUE(insertColumnType(state, 0));
    capacities.push_back(state.columnCapacity);
  }
  EXPECT_EQ(capacities, (std::vector<std::uint32_t>{1, 2, 4, 4, 8}));
  releaseColumnTypes(state);
}

}  // namespace
