#include "results/grouped_view.h"

#include <gtest/gtest.h>

#include <string>

#include "results_store_fill.h"

using namespace obel;
using namespace obel::test;

namespace {

class GroupedView : public ::testing::Test {
 protected:
  void SetUp() override { resetResults(); }
  void TearDown() override { resetResults(); }
};

const std::string Header = "№\t個数\tキー文字列\tルビ文字列\t送り仮名\tファイル名\tフォルダ名\t行\t列\t逆変換\r\n";

TEST_F(GroupedView, OneLinePerPairWithItsMarks) {
  FileRecord* file = newFileRecord("C:\\books\\a.txt");
  addFile(process::store(), file);
  addResult("東京", "とうきょう", "に", file, 3, 4);
  RubyItem& head = addResult("雨", "あめ", "", file, 5, 1);
  addResult("雨", "あめ", "", file, 8, 2);
  finishSearch(process::store());
  head.flags |= RevConvDone | RevConvGroupDone | RevConvGroupAllOk | RevConvOkuriOk;
  process::store().items[0].flags |= RevConvDone;
  EXPECT_EQ(groupedViewText(Settings{}), Header +
                                   "1\t1\t東京\tとうきょう\tに\ta.txt\tC:\\books\t3\t4\t×\r\n"
                                   "2\t2\t雨\tあめ\t\t\t\t\t\t○\r\n");
}

TEST_F(GroupedView, FollowsTheConditionsAndIgnoresAnExpandedPair) {
  addResult("今日", "きょう");
  RubyItem& rain = addResult("雨", "あめ");
  addResult("今日", "こんにち");
  finishSearch(process::store());
  Settings conditions;
  conditions.hideKeyRuby = SameKeyItems;
  process::expandedHead = &rain;
  EXPECT_EQ(groupedViewText(conditions), Header +
                                             "1\t1\t今日\tきょう\t\t\t\t1\t1\t\r\n"
                                             "3\t1\t今日\tこんにち\t\t\t\t1\t1\t\r\n");
  EXPECT_EQ(process::expandedHead, &rain) << "the expanded pair is left as it was";
  process::expandedHead = nullptr;
  conditions.hideKeyRuby = ShowAllItems;
  conditions.rubyLengthFilter = {1, 4, 0};
  EXPECT_EQ(groupedViewText(conditions), Header + "3\t1\t今日\tこんにち\t\t\t\t1\t1\t\r\n");
}

TEST(LengthOption, FormsAndLimits) {
  struct Case {
    const char* text;
    bool ok;
    int length;
    int type;
  } const cases[] = {
      {"2", true, 2, AtLeastLength}, {"3+", true, 3, AtLeastLength}, {"3-", true, 3, AtMostLength},
      {"99=", true, 99, ExactLength},
      {"0", false, 0, 0},  {"100", false, 0, 0}, {"", false, 0, 0}, {"+", false, 0, 0},
      {"2x", false, 0, 0}, {"2+=", false, 0, 0}, {"-2", false, 0, 0},
  };
  for (const Case& c : cases) {
    LengthFilter filter{0, 5, AtMostLength};
    EXPECT_EQ(parseLengthOption(c.text, filter), c.ok) << c.text;
    if (c.ok) {
      EXPECT_EQ(filter.use, 1);
      EXPECT_EQ(filter.length, c.length) << c.text;
      EXPECT_EQ(filter.type, c.type) << c.text;
    } else {
      EXPECT_EQ(filter.length, 5) << "untouched: " << c.text;
    }
  }
}

}  // namespace
