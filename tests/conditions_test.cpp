#include "results/conditions.h"

#include <gtest/gtest.h>

#include <string>

#include "results/list_model.h"
#include "results_store_fill.h"

using namespace obel;
using namespace obel::test;

namespace {

// As the window's lists ask: the settings record's conditions in the view the window shows.
bool shown(const RubyItem& item) { return matchesDisplayConditions(item, process::settings(), process::expandedHead); }

class Conditions : public ::testing::Test {
 protected:
  void SetUp() override { resetResults(); }
  void TearDown() override { resetResults(); }
};

struct LengthCase {
  const char* key;
  int length;
  int type;
  bool shown;
};

TEST_F(Conditions, KeyLengthFilterComparesBytesWithTwiceTheCount) {
  const LengthCase cases[] = {
      {"漢字", 2, 0, true},  {"漢字", 2, 1, true},  {"漢字", 2, 2, true},
      {"abc", 2, 0, false},  {"abc", 2, 1, true},   {"abc", 2, 2, false},
      {"漢字山", 2, 0, true}, {"漢字山", 2, 1, false}, {"漢字山", 2, 2, false},
      {"漢", 2, 0, false},   {"漢", 2, 1, true},   {"abcd", 2, 2, true},
      {"漢字", 5, 7, false},  // any other type means exactly N characters
  };
  for (const LengthCase& c : cases) {
    resetResults();
    RubyItem& item = addResult(c.key, "よみ");
    finishSearch(process::store());
    process::settings().keyLengthFilter = {1, c.length, c.type};
    EXPECT_EQ(shown(item), c.shown) << c.key << " " << c.length << " " << c.type;
    process::settings().keyLengthFilter.use = 0;
    EXPECT_TRUE(shown(item)) << "filter off";
  }
}

TEST_F(Conditions, EmptyKeyPassesOnlyAtMost) {
  RubyItem& item = addResult("", "よみ");
  finishSearch(process::store());
  for (int n = 1; n <= 99; ++n) {
    process::settings().keyLengthFilter = {1, n, 0};
    EXPECT_FALSE(shown(item)) << n;
    process::settings().keyLengthFilter = {1, n, 2};
    EXPECT_FALSE(shown(item)) << n;
    process::settings().keyLengthFilter = {1, n, 1};
    EXPECT_TRUE(shown(item)) << n;
  }
}

TEST_F(Conditions, RubyFilterLooksAtTheRubyString) {
  RubyItem& item = addResult("漢字", "かんじ");
  finishSearch(process::store());
  process::settings().rubyLengthFilter = {1, 3, 2};
  EXPECT_TRUE(shown(item));
  process::settings().rubyLengthFilter = {1, 2, 2};
  EXPECT_FALSE(shown(item));
}

TEST_F(Conditions, NegativeCountIsAHugeUnsignedLimit) {
  RubyItem& item = addResult("漢字", "かんじ");
  finishSearch(process::store());
  process::settings().keyLengthFilter = {1, -1, 0};
  EXPECT_FALSE(shown(item));
  process::settings().keyLengthFilter = {1, -1, 1};
  EXPECT_TRUE(shown(item));
}

TEST_F(Conditions, SameKeyShowsOnlyKeysWithSeveralRubies) {
  for (int i = 0; i < 5; ++i) addResult("日本", "にほん");
  RubyItem& a = addResult("今日", "きょう");
  RubyItem& b = addResult("今日", "こんにち");
  finishSearch(process::store());
  process::settings().hideKeyRuby = SameKeyItems;
  int count = 0;
  for (std::uint32_t i = 0; i < process::store().itemCount; ++i) count += shown(process::store().items[i]);
  EXPECT_EQ(count, 2);
  EXPECT_TRUE(shown(a));
  EXPECT_TRUE(shown(b));
  process::settings().hideKeyRuby = 7;  // tests nothing
  EXPECT_TRUE(shown(process::store().items[0]));
}

TEST_F(Conditions, SameRubyShowsOnlyRubiesOfSeveralKeys) {
  RubyItem& a = addResult("橋", "はし");
  RubyItem& b = addResult("箸", "はし");
  RubyItem& c = addResult("雨", "あめ");
  addResult("雨", "あめ");
  addResult("雨", "あめ");
  finishSearch(process::store());
  process::settings().hideKeyRuby = SameRubyItems;
  EXPECT_TRUE(shown(a));
  EXPECT_TRUE(shown(b));
  EXPECT_FALSE(shown(c));
}

TEST_F(Conditions, RepeatedOccurrencesHaveNoRowInTheGroupedView) {
  RubyItem& first = addResult("雨", "あめ");
  RubyItem& second = addResult("雨", "あめ");
  finishSearch(process::store());
  EXPECT_TRUE(shown(first));
  EXPECT_FALSE(shown(second));
}

TEST_F(Conditions, HidingConfirmedItemsFollowsTheMarks) {
  struct Case {
    std::uint32_t flags;
    bool hidden;
  } const cases[] = {
      {RevConvDone | RevConvOkuriOk, true},                                        // single ○
      {RevConvDone | RevConvKeyOk, true},                                          // single ◎
      {RevConvDone, false},                                                        // single ×
      {0, false},                                                                  // no verdict
      {PairShared | RevConvGroupDone | RevConvGroupSomeOk | RevConvOkuriOk, false},  // pair △
      {PairShared | RevConvGroupDone | RevConvGroupAllOk | RevConvOkuriOk, true},   // pair ○
      {PairShared | RevConvGroupDone, false},                                      // pair ×
      {RevConvDone | RevConvKeyOk | RevConvNearMiss, false},                       // single ！
      {PairShared | RevConvGroupDone | RevConvGroupAllOk | RevConvKeyOk | RevConvGroupNearMiss, false},  // pair ！
  };
  RubyItem& item = addResult("雨", "あめ");
  finishSearch(process::store());
  for (const Case& c : cases) {
    item.flags = c.flags;
    process::settings().hideRevConv = 1;
    EXPECT_EQ(shown(item), !c.hidden) << std::hex << c.flags;
    process::settings().hideRevConv = 0;
    EXPECT_TRUE(shown(item));
  }
}

TEST_F(Conditions, ExpandedViewListsEveryOccurrenceOfThePair) {
  RubyItem& head = addResult("雨", "あめ");
  RubyItem& second = addResult("雨", "あめ");
  RubyItem& third = addResult("雨", "あめ");
  RubyItem& other = addResult("雨", "う");
  finishSearch(process::store());
  process::settings().keyLengthFilter = {1, 5, 0};
  process::settings().hideKeyRuby = SameRubyItems;
  process::expandedHead = &head;
  EXPECT_TRUE(shown(head));
  EXPECT_TRUE(shown(second));
  EXPECT_TRUE(shown(third));
  EXPECT_FALSE(shown(other));
  second.flags |= RevConvDone | RevConvOkuriOk;
  third.flags |= RevConvDone | RevConvKeyOk;  // only ○ of an occurrence is hidden
  process::settings().hideRevConv = 1;
  EXPECT_FALSE(shown(second));
  EXPECT_TRUE(shown(third));
  second.flags |= RevConvNearMiss;
  EXPECT_TRUE(shown(second)) << "a ！ is never hidden";
}

TEST_F(Conditions, CaptionsOfTheLengthFilters) {
  char caption[LengthFilterTextBytes];
  lengthFilterText(KeySide, caption);
  EXPECT_EQ(std::string(caption), "キーが2文字以上の項目のみ表示");
  process::settings().rubyLengthFilter = {0, 12, 1};
  lengthFilterText(RubySide, caption);
  EXPECT_EQ(std::string(caption), "ルビが12文字以下の項目のみ表示");
  process::settings().rubyLengthFilter = {0, 3, 2};
  lengthFilterText(RubySide, caption);
  EXPECT_EQ(std::string(caption), "ルビが3文字の項目のみ表示");
  process::settings().keyLengthFilter = {0, -2147483647 - 1, 2};
  lengthFilterText(KeySide, caption);
  EXPECT_LE(std::string(caption).size(), 63u);
  EXPECT_EQ(std::string(caption), "キーが-2147483648文字の項目のみ表示");
}

TEST_F(Conditions, CharacterCountField) {
  struct Case {
    const char* text;
    CountCheck result;
    int count;
  } const cases[] = {
      {"", CountCheck::Empty, 0},      {"0", CountCheck::Invalid, 0},  {"00", CountCheck::Invalid, 0},
      {"1", CountCheck::Ok, 1},        {"07", CountCheck::Ok, 7},      {"99", CountCheck::Ok, 99},
      {"100", CountCheck::Invalid, 0}, {"ab", CountCheck::Invalid, 0}, {"1a", CountCheck::Invalid, 0},
      {"-1", CountCheck::Invalid, 0},  {"１", CountCheck::Invalid, 0},
  };
  for (const Case& c : cases) {
    int count = -5;
    EXPECT_EQ(checkCharCount(c.text, count), c.result) << c.text;
    if (c.result == CountCheck::Ok) EXPECT_EQ(count, c.count) << c.text;
    else EXPECT_EQ(count, -5) << "count untouched for " << c.text;
  }
}

}  // namespace
