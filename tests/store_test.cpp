#include "engine/store.h"

#include <gtest/gtest.h>

#include <cstring>

#include "store_items.h"

using namespace obel;

using obel::test::appendItem;

TEST(Store, HashOfKnownTexts) {
  EXPECT_EQ(stringHash(""), 0xFFFFFFFFu);
  EXPECT_EQ(stringHash("abc"), 0xF67739FCu);
}

TEST(Store, InternGivesIdsInOrderOfFirstAppearance) {
  ResultStore& s = process::store();
  clear(s);
  EXPECT_EQ(internText(s, "漢字"), 0u);
  EXPECT_EQ(internText(s, "かんじ"), 1u);
  const std::uint32_t used = s.strings.writePosition;
  EXPECT_EQ(internText(s, "漢字"), 0u);
  EXPECT_EQ(s.strings.writePosition, used) << "a known string costs no pool space";
  EXPECT_EQ(internText(s, ""), 2u);
  EXPECT_EQ(internText(s, ""), 2u);
  EXPECT_EQ(s.strings.count, 3u);
}

TEST(Store, ThreeEqualPairsAreGrouped) {
  ResultStore& s = process::store();
  clear(s);
  RubyItem& other = appendItem(s, "東京", "とうきょう");
  RubyItem& a = appendItem(s, "漢字", "かんじ");
  RubyItem& b = appendItem(s, "漢字", "かんじ", "で");  // okurigana is not part of the pair
  RubyItem& c = appendItem(s, "漢字", "かんじ");
  markRepeatedPairs(s);
  countDistinctPairs(s);
  EXPECT_EQ(other.flags, 0u);
  EXPECT_EQ(other.number, 1);
  EXPECT_EQ(a.flags, PairShared);
  EXPECT_EQ(a.groupSize, 3);
  EXPECT_EQ(a.number, 2);
  EXPECT_EQ(b.flags, PairShared | PairRepeat);
  EXPECT_EQ(b.number, 2);
  EXPECT_EQ(b.groupSize, 1);
  EXPECT_EQ(c.number, 3);
  EXPECT_EQ(s.rubiesPerKey[a.keyId], 1);
  EXPECT_EQ(s.keysPerRuby[a.rubyId], 1);
}

TEST(Store, KeyWithTwoRubies) {
  ResultStore& s = process::store();
  clear(s);
  RubyItem& a = appendItem(s, "生", "せい");
  RubyItem& b = appendItem(s, "生", "なま");
  markRepeatedPairs(s);
  countDistinctPairs(s);
  EXPECT_EQ(s.rubiesPerKey[a.keyId], 2);
  EXPECT_EQ(a.number, 1);
  EXPECT_EQ(b.number, 2);
}

TEST(Store, FolderAndNameDerivation) {
  struct Case { const char* path; const char* folder; const char* name; };
  const Case cases[] = {
      {"C:\\books\\a.txt", "C:\\books", "a.txt"},
      {"C:\\a.txt", "C:\\", "a.txt"},
      {"a.txt", "", "a.txt"},
      {"C:\\ソ\\表.txt", "C:\\ソ", "表.txt"},
  };
  for (const Case& c : cases) {
    FileRecord* r = newFileRecord(c.path);
    ASSERT_NE(r, nullptr);
    EXPECT_STREQ(r->folder, c.folder) << c.path;
    EXPECT_STREQ(r->name, c.name) << c.path;
    freeFileRecord(r);
  }
}

TEST(Store, VerdictMarks) {
  RubyItem item{};
  struct Case { std::uint32_t flags; const char* own; const char* pair; };
  const Case cases[] = {
      {0, "", ""},
      {RevConvDone, "×", ""},
      {RevConvDone | RevConvKeyOk, "◎", ""},
      {RevConvDone | RevConvOkuriOk, "○", ""},
      {RevConvDone | RevConvGroupDone | RevConvKeyOk, "◎", "◎"},
      {RevConvDone | RevConvGroupDone | RevConvGroupAllOk, "×", "○"},
      {RevConvDone | RevConvGroupDone | RevConvGroupSomeOk, "×", "△"},
      {RevConvDone | RevConvGroupDone, "×", "×"},
      {RevConvDone | RevConvComposed, "？", ""},
      {RevConvDone | RevConvOkuriOk | RevConvComposed, "○", ""},
      {RevConvDone | RevConvGroupDone | RevConvComposed, "？", "？"},
      {RevConvDone | RevConvGroupDone | RevConvGroupSomeOk | RevConvComposed, "？", "△"},
      {RevConvDone | RevConvKeyOk | RevConvNearMiss, "！", ""},
      {RevConvDone | RevConvNearMiss, "×", ""},
      {RevConvDone | RevConvKeyOk | RevConvGroupDone | RevConvGroupAllOk | RevConvGroupNearMiss, "◎", "！"},
  };
  for (const Case& c : cases) {
    item.flags = c.flags;
    EXPECT_STREQ(verdictMark(item, false), c.own) << c.flags;
    EXPECT_STREQ(verdictMark(item, true), c.pair) << c.flags;
  }
}

// The one decision both checks (the window's and obel-scan --no-limit's) take: which findings
// win, for an occurrence and for a pair, and the marks' order of trust that the column sorts by.
TEST(Store, FindingsDecideTheMarkInOneOrder) {
  struct ItemCase { ItemFindings found; const char* mark; };
  const ItemCase items[] = {
      {{true, true, true}, "◎"},
      {{false, true, true}, "○"},
      {{false, false, true}, "？"},
      {{false, false, false}, "×"},
      {{true, false, false, true}, "！"},
      {{false, true, false, true}, "！"},
      {{false, false, true, true}, "！"},
      {{false, false, false, true}, "×"},
  };
  for (const ItemCase& c : items)
    EXPECT_STREQ(verdictText(verdictOf(itemVerdictBits(c.found), false)), c.mark) << c.mark;
  struct PairCase { PairFindings found; const char* mark; };
  const PairCase pairs[] = {
      {{true, 3, 0, true}, "◎"},
      {{false, 3, 3, true}, "○"},
      {{false, 1, 1, false}, "○"},
      {{false, 3, 1, true}, "△"},
      {{false, 3, 0, true}, "？"},
      {{false, 3, 0, false}, "×"},
      {{true, 3, 0, false, true}, "！"},
      {{false, 3, 3, false, true}, "！"},
      {{false, 3, 1, false, true}, "！"},
      {{false, 3, 0, true, true}, "！"},
      {{false, 3, 0, false, true}, "×"},
  };
  for (const PairCase& c : pairs)
    EXPECT_STREQ(verdictText(verdictOf(pairVerdictBits(c.found), true)), c.mark) << c.mark;
  const char* trust[] = {"", "◎", "○", "△", "？", "！", "×"};
  for (std::size_t i = 1; i < std::size(trust); ++i)
    EXPECT_LT(verdictOfMark(trust[i - 1]), verdictOfMark(trust[i])) << trust[i];
  EXPECT_EQ(verdictOfMark("x"), Verdict::Unchecked);
}
