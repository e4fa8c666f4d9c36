#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/resources/resource_ids.h"
#include "results/conditions.h"
#include "results/list_model.h"
#include "results_fake_list.h"
#include "results_store_fill.h"

using namespace obel;
using namespace obel::test;

namespace {

using Texts = std::vector<std::string>;

class Rows : public ::testing::Test {
 protected:
  void SetUp() override {
    resetResults();
    fileA = newFileRecord("C:\\books\\a.txt");
    fileB = newFileRecord("C:\\books\\sub\\b.txt");
    addFile(process::store(), fileA);
    addFile(process::store(), fileB);
  }
  void TearDown() override { resetResults(); }
  FileRecord* fileA = nullptr;
  FileRecord* fileB = nullptr;
};

class CountingProgress : public ProgressSink {
 public:
  std::vector<int> steps;
  void advance(int n) override { steps.push_back(n); }
};

TEST_F(Rows, GroupedAndExpandedCellsOfAPairOfThree) {
  addResult("東京", "とうきょう", "", fileA, 3, 4);
  RubyItem& head = addResult("雨", "あめ", "に", fileA, 10, 2);
  addResult("雨", "あめ", "が", fileB, 20, 5);
  addResult("雨", "あめ", "", fileB, 30, 7);
  finishSearch(process::store());
  FakeList group;
  group.refresh();
  ASSERT_EQ(group.rowCount(), 2);
  EXPECT_EQ(group.column(NumberColumn), (Texts{"1", "2"}));
  EXPECT_EQ(group.column(CountColumn), (Texts{"1", "3"}));
  EXPECT_EQ(group.column(KeyColumn), (Texts{"東京", "雨"}));
  EXPECT_EQ(group.column(RubyColumn), (Texts{"とうきょう", "あめ"}));
  for (int c = 4; c <= 8; ++c) EXPECT_EQ(group.cell(1, c), "") << "pair row column " << c;
  EXPECT_EQ(group.cell(0, FileColumn), "a.txt");
  EXPECT_EQ(group.cell(0, FolderColumn), "C:\\books");
  EXPECT_EQ(group.cell(0, LineColumn), "3");
  EXPECT_EQ(group.cell(0, PositionColumn), "4");
  EXPECT_EQ(group.cell(0, 10), "") << "no column 10";

  process::expandedHead = &head;
  FakeList members;
  members.refresh();
  ASSERT_EQ(members.rowCount(), 3);
  EXPECT_EQ(members.column(NumberColumn), (Texts{"1", "2", "3"}));
  EXPECT_EQ(members.column(CountColumn), (Texts{"1", "1", "1"}));
  EXPECT_EQ(members.column(OkuriganaColumn), (Texts{"に", "が", ""}));
  EXPECT_EQ(members.column(FileColumn), (Texts{"a.txt", "b.txt", "b.txt"}));
  EXPECT_EQ(members.column(FolderColumn), (Texts{"C:\\books", "C:\\books\\sub", "C:\\books\\sub"}));
  EXPECT_EQ(members.column(LineColumn), (Texts{"10", "20", "30"}));
  EXPECT_EQ(members.column(PositionColumn), (Texts{"2", "5", "7"}));
}

TEST_F(Rows, MarksOfAPairRowAndOfItsOccurrences) {
  RubyItem& head = addResult("雨", "あめ");
  RubyItem& second = addResult("雨", "あめ");
  finishSearch(process::store());
  head.flags |= RevConvDone | RevConvOkuriOk | RevConvGroupDone | RevConvGroupSomeOk;
  second.flags |= RevConvDone | RevConvGroupDone | RevConvGroupSomeOk;
  FakeList group;
  group.refresh();
  EXPECT_EQ(group.cell(0, VerdictColumn), "△");
  process::expandedHead = &head;
  FakeList members;
  members.refresh();
  EXPECT_EQ(members.column(VerdictColumn), (Texts{"○", "×"}));
}

// The 候補 of a × or ！ stands beside its mark; a confirmed row shows its mark alone.
TEST_F(Rows, SuggestionsStandBesideTheMarksOfCrossesAndNearMisses) {
  RubyItem& near = addResult("言葉", "ことは");
  RubyItem& cross = addResult("機嫌", "きけ");
  RubyItem& sure = addResult("雨", "あめ");
  finishSearch(process::store());
  near.flags |= RevConvDone | RevConvKeyOk | RevConvNearMiss;
  cross.flags |= RevConvDone;
  sure.flags |= RevConvDone | RevConvKeyOk;
  for (RubyItem* item : {&near, &cross, &sure}) setSuggestion(process::store(), *item, "ことば");
  setSuggestion(process::store(), cross, "きけん");
  FakeList group;
  group.refresh();
  EXPECT_EQ(group.column(VerdictColumn), (Texts{"！ ことば", "× きけん", "◎"}));
}

TEST_F(Rows, CellTextIsCutToTheBuffer) {
  RubyItem& item = addResult("abcdef", "x");
  finishSearch(process::store());
  char small[4];
  columnText(item, 2, nullptr, small, sizeof small);
  EXPECT_EQ(std::string(small), "abc");
}

TEST_F(Rows, ConditionOffAndOnAgainKeepsTheSortOrder) {
  addResult("今日", "きょう");
  addResult("雨", "あめ");
  addResult("今日", "こんにち");
  addResult("空", "そら");
  finishSearch(process::store());
  FakeList group;
  group.refresh();
  EXPECT_EQ(group.column(NumberColumn), (Texts{"1", "2", "3", "4"}));
  process::settings().hideKeyRuby = SameKeyItems;
  group.refresh();
  EXPECT_EQ(group.column(NumberColumn), (Texts{"1", "3"}));
  process::settings().hideKeyRuby = ShowAllItems;
  group.refresh();
  EXPECT_EQ(group.column(NumberColumn), (Texts{"1", "2", "3", "4"})) << "back in № order";
}

TEST_F(Rows, WithoutASortedColumnRowsThatComeBackAreAppended) {
  addResult("今日", "きょう");
  addResult("雨", "あめ");
  addResult("今日", "こんにち");
  finishSearch(process::store());
  FakeList group;
  group.state.sortedColumn = -1;
  group.refresh();
  process::settings().hideKeyRuby = SameKeyItems;
  group.refresh();
  process::settings().hideKeyRuby = ShowAllItems;
  group.refresh();
  EXPECT_EQ(group.column(NumberColumn), (Texts{"1", "3", "2"}));
  EXPECT_EQ(group.sortCalls, 0);
}

TEST_F(Rows, SortedByCountDescendingStaysSoAfterARefresh) {
  addResult("空", "そら");
  for (int i = 0; i < 3; ++i) addResult("雨", "あめ");
  addResult("今日", "きょう");
  addResult("今日", "こんにち");
  addResult("今日", "こんにち");
  finishSearch(process::store());
  FakeList group;
  group.refresh();
  ASSERT_TRUE(group.sort(CountColumn, true));
  EXPECT_EQ(group.column(CountColumn), (Texts{"3", "2", "1", "1"}));
  process::settings().hideRevConv = 1;
  process::store().items[1].flags |= RevConvDone | RevConvKeyOk;  // the pair of three confirmed
  group.refresh();
  EXPECT_EQ(group.column(CountColumn), (Texts{"2", "1", "1"}));
  process::settings().hideRevConv = 0;
  group.refresh();
  EXPECT_EQ(group.column(CountColumn), (Texts{"3", "2", "1", "1"}));
  EXPECT_EQ(group.state.sortedColumn, 1);
  EXPECT_EQ(group.state.descending, 1);
}

TEST_F(Rows, ExpandingAnotherPairReplacesTheRowsAndTheSameKeepsThem) {
  RubyItem& rain = addResult("雨", "あめ");
  addResult("雨", "あめ");
  RubyItem& sky = addResult("空", "そら");
  addResult("空", "そら");
  addResult("空", "そら");
  finishSearch(process::store());
  FakeList members;
  process::expandedHead = &rain;
  members.refresh();
  ASSERT_TRUE(members.sort(NumberColumn, true));
  members.select(1);
  const std::vector<std::intptr_t> before = members.values;
  process::expandedHead = nullptr;
  process::expandedHead = &rain;
  members.refresh();
  EXPECT_EQ(members.values, before);
  EXPECT_TRUE(members.selected[1]);
  EXPECT_EQ(members.column(NumberColumn), (Texts{"2", "1"}));
  process::expandedHead = &sky;
  members.refresh();
  EXPECT_EQ(members.column(NumberColumn), (Texts{"3", "2", "1"}));
  EXPECT_EQ(selectedItem(members), nullptr);
}

TEST_F(Rows, ProgressAdvancesOverRowsAndItems) {
  for (int i = 0; i < 300; ++i) addResult("雨", i % 2 ? "あめ" : "う");
  finishSearch(process::store());
  FakeList group;
  CountingProgress progress;
  reconcileRows(group, nullptr, &progress);
  EXPECT_EQ(progressStep(300), 2);
  EXPECT_EQ(progress.steps.size(), 150u);  // 300 items, no rows yet
  progress.steps.clear();
  reconcileRows(group, nullptr, &progress);
  EXPECT_EQ(progress.steps.size(), 151u);  // 2 rows + 300 items
  for (int s : progress.steps) EXPECT_EQ(s, 2);
  EXPECT_EQ(progressStep(128), 1);
  EXPECT_EQ(progressStep(129), 1);
  EXPECT_EQ(progressStep(30000), 234);
}

TEST_F(Rows, RowsOfItemsOutsideTheStoreAreDropped) {
  addResult("雨", "あめ");
  finishSearch(process::store());
  FakeList group;
  group.appendRow(nullptr);
  group.refresh();
  ASSERT_EQ(group.rowCount(), 1);
  EXPECT_EQ(group.rowItem(0), &process::store().items[0]);
}

TEST_F(Rows, SelectionNeedsExactlyOneSelectedRow) {
  addResult("雨", "あめ");
  addResult("空", "そら");
  finishSearch(process::store());
  FakeList group;
  group.refresh();
  EXPECT_EQ(selectedItem(group), nullptr);
  group.select(1);
  EXPECT_EQ(selectedItem(group), &process::store().items[1]);
  group.selected[0] = true;
  EXPECT_EQ(selectedItem(group), nullptr);
}

TEST_F(Rows, ButtonStatesAndActivationInBothViews) {
  RubyItem& single = addResult("空", "そら");
  RubyItem& pair = addResult("雨", "あめ");
  RubyItem& second = addResult("雨", "あめ");
  finishSearch(process::store());
  struct Case {
    const RubyItem* head;
    const RubyItem* selected;
    bool open;
    bool expand;
    Activation activation;
  } const cases[] = {
      {nullptr, nullptr, false, false, Activation::Nothing},
      {nullptr, &single, true, false, Activation::Open},
      {nullptr, &pair, false, true, Activation::Expand},
      {&pair, nullptr, false, true, Activation::Nothing},
      {&pair, &pair, true, true, Activation::Open},
      {&pair, &second, true, true, Activation::Open},
  };
  for (const Case& c : cases) {
    process::expandedHead = c.head;
    ItemButtons b = itemButtonStates(c.selected, c.head);
    EXPECT_EQ(b.openEnabled, c.open);
    EXPECT_EQ(b.expandEnabled, c.expand);
    EXPECT_EQ(activationFor(c.selected, c.head), c.activation);
  }
}

TEST(RowHeight, FromTheFontSize) {
  EXPECT_EQ(listRowHeight(8), 13);
  EXPECT_EQ(listRowHeight(9), 13);
  EXPECT_EQ(listRowHeight(10), 14);
  EXPECT_EQ(listRowHeight(20), 24);
  EXPECT_EQ(listRowHeight(-1), 3) << "a negative size is a huge unsigned one";
}

TEST(ConditionControls, RangeAfterTheFoldBoxUpToOpen) {
  const int ids[] = {IDC_CONDITIONS_GROUP, IDC_CONDITIONS_FOLD, IDC_SHOW_ALL, IDC_SAME_KEY_ONLY,
                     IDC_SAME_RUBY_ONLY, -1, IDC_HIDE_REVCONV, IDC_KEY_LENGTH, IDC_KEY_LENGTH_CHANGE,
                     IDC_RUBY_LENGTH, IDC_RUBY_LENGTH_CHANGE, IDC_OPEN, IDC_EXPAND};
  ChildRange r = conditionControlRange(ids, 13, IDC_CONDITIONS_FOLD, IDC_OPEN);
  EXPECT_EQ(r.first, 2);
  EXPECT_EQ(r.last, 11);
  const int noFold[] = {IDC_SHOW_ALL, IDC_OPEN};
  r = conditionControlRange(noFold, 2, IDC_CONDITIONS_FOLD, IDC_OPEN);
  EXPECT_EQ(r.first, r.last);
}

}  // namespace
