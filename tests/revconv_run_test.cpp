#include "revconv/run.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "revconv/cache.h"
#include "revconv_fakes.h"
#include "settings/settings.h"

using namespace obel;
using obel::test::appendItem;
using obel::test::FakeProvider;

namespace {

struct CountingProgress : RunProgress {
  void advance(std::uint32_t step) override {
    ++advances;
    total += step;
  }
  int advances = 0;
  std::uint32_t total = 0;
};

// A provider that clears the running flag after a number of queries, as Stop would.
struct StoppingProvider : FakeProvider {
  void readings(void* c, void* l, const std::u16string& t, std::vector<std::u16string>& out) override {
    FakeProvider::readings(c, l, t, out);
    if (queries == stopAfter) revConvRunning() = false;
  }
  int stopAfter = -1;
};

struct RevConvRun : ::testing::Test {
  void SetUp() override {
    clear(store());
    settings().useRevConvCache = 0;
    clearCache(revConvCache());
    revConvRunning() = true;
  }
  // After the search: pairs marked and every item pending.
  void finishSearch() {
    markRepeatedPairs(store());
    countDistinctPairs(store());
    store().pendingCheckCount = store().itemCount;
  }
  void run(RunProgress* progress = nullptr) {
    ReadingSource source{&ime, nullptr, nullptr};
    checkStoreItems(store(), source, progress);
  }
  std::string marks(bool asPair) {
    std::string result;
    for (std::uint32_t i = 0; i < store().itemCount; ++i) {
      const char* m = verdictMark(store().items[i], asPair);
      result += *m ? m : "-";
    }
    return result;
  }
  StoppingProvider ime;
};

}  // namespace

TEST(RevConvRunStep, ProgressStep) {
  EXPECT_EQ(progressStep(0), 1);
  EXPECT_EQ(progressStep(100), 1);
  EXPECT_EQ(progressStep(128), 1);
  EXPECT_EQ(progressStep(129), 1);
  EXPECT_EQ(progressStep(256), 2);
  EXPECT_EQ(progressStep(1000), 7);
  EXPECT_EQ(progressStep(30000), 234);
}

TEST(RevConvRunTimer, TextShowsSecondsAndRemainingCount) {
  char text[64];
  formatTimerText(text, sizeof text, 5000, 5000, 1234);
  EXPECT_STREQ(text, "経過時間：0秒\r\n残り1234");
  formatTimerText(text, sizeof text, 5000 + 61999, 5000, 0);
  EXPECT_STREQ(text, "経過時間：61秒\r\n残り0");
  formatTimerText(text, sizeof text, 1500, 0xFFFFFC18u, 3);  // the tick count wrapped
  EXPECT_STREQ(text, "経過時間：2秒\r\n残り3");
}

TEST_F(RevConvRun, PairConfirmedByTheKeyAlone) {
  ime.add("生", {"なま"});
  for (int i = 0; i < 5; ++i) appendItem(store(), "生", "なま", i % 2 ? "で" : "");
  appendItem(store(), "東京", "とうきょう");
  finishSearch();
  run();
  for (int i = 0; i < 5; ++i) EXPECT_EQ(store().items[i].flags & 0x1C, RevConvDone | RevConvKeyOk) << i;
  EXPECT_EQ(store().items[0].flags & (RevConvGroupDone | RevConvGroupAllOk), RevConvGroupDone | RevConvGroupAllOk);
  EXPECT_EQ(marks(false), "◎◎◎◎◎×");
  EXPECT_EQ(std::string(verdictMark(store().items[0], true)), "◎");
  EXPECT_EQ(store().pendingCheckCount, 0u);
  EXPECT_EQ(ime.queries, 2) << "one query for the pair, one for 東京";
}

TEST_F(RevConvRun, PairPartlyConfirmedByItsOkurigana) {
  ime.add("走る", {"はしる"});
  const char* okurigana[5] = {"る", "れ", "る", "れ", "る"};
  for (const char* o : okurigana) appendItem(store(), "走", "はし", o);
  finishSearch();
  run();
  EXPECT_EQ(marks(false), "○×○×○");
  EXPECT_EQ(std::string(verdictMark(store().items[0], true)), "△");
  EXPECT_EQ(store().items[0].flags & 0xE0, RevConvGroupDone | RevConvGroupSomeOk);
  EXPECT_EQ(store().pendingCheckCount, 0u);
  // Key alone, then one query per distinct okurigana.
  const std::vector<std::string> asked = {"走", "走る", "走れ"};
  EXPECT_EQ(ime.asked, asked);
}

TEST_F(RevConvRun, PairFullyConfirmedByOkurigana) {
  ime.add("走る", {"はしる"});
  for (int i = 0; i < 3; ++i) appendItem(store(), "走", "はし", "る");
  finishSearch();
  run();
  EXPECT_EQ(marks(false), "○○○");
  EXPECT_EQ(std::string(verdictMark(store().items[0], true)), "○");
}

TEST_F(RevConvRun, PairWithoutOkuriganaNotConfirmed) {
  for (int i = 0; i < 3; ++i) appendItem(store(), "謎", "なぞ");
  finishSearch();
  run();
  EXPECT_EQ(marks(false), "×××");
  EXPECT_EQ(std::string(verdictMark(store().items[0], true)), "×");
  EXPECT_EQ(ime.queries, 1) << "no okurigana, no okurigana query";
}

TEST_F(RevConvRun, SingleItemWithoutOkuriganaAsksOnce) {
  appendItem(store(), "謎", "なぞ");
  ime.add("謎", {"めい"});
  finishSearch();
  run();
  EXPECT_EQ(store().items[0].flags, RevConvDone);
  EXPECT_EQ(marks(false), "×");
  EXPECT_EQ(ime.queries, 1);
}

TEST_F(RevConvRun, SingleItemConfirmedWithItsOkurigana) {
  appendItem(store(), "走", "はし", "る");
  ime.add("走る", {"はしる"});
  finishSearch();
  run();
  EXPECT_EQ(store().items[0].flags, RevConvDone | RevConvOkuriOk);
}

TEST_F(RevConvRun, StoppedRunIsContinuedByTheNext) {
  const char* keys[6] = {"一", "二", "三", "四", "五", "六"};
  for (int i = 0; i < 6; ++i) {
    appendItem(store(), keys[i], "よみ");
    if (i % 2) ime.add(keys[i], {"よみ"});
  }
  finishSearch();
  ime.stopAfter = 2;
  run();
  EXPECT_EQ(store().pendingCheckCount, 4u) << "the run ends after the item it was on";
  EXPECT_EQ(marks(false), "×◎----");
  revConvRunning() = true;
  ime.stopAfter = -1;
  const int before = ime.queries;
  run();
  EXPECT_EQ(store().pendingCheckCount, 0u);
  EXPECT_EQ(ime.queries - before, 4) << "checked items are not asked again";
  EXPECT_EQ(marks(false), "×◎×◎×◎");
}

TEST_F(RevConvRun, StoppedPairIsTakenUpThroughAnUncheckedOccurrence) {
  ime.add("走る", {"はしる"});
  const char* okurigana[4] = {"る", "れ", "た", "る"};
  for (const char* o : okurigana) appendItem(store(), "走", "はし", o);
  finishSearch();
  ime.stopAfter = 2;  // key stage, then 走る: the members る (3 and 0) are settled
  run();
  EXPECT_EQ(marks(false), "○--○");
  EXPECT_EQ(store().items[0].flags & RevConvGroupDone, 0u) << "no summary for an unfinished pair";
  EXPECT_EQ(store().pendingCheckCount, 2u);
  revConvRunning() = true;
  ime.stopAfter = -1;
  run();
  EXPECT_EQ(marks(false), "○××○");
  EXPECT_EQ(std::string(verdictMark(store().items[0], true)), "△");
  EXPECT_EQ(store().pendingCheckCount, 0u);
  const std::vector<std::string> asked = {"走", "走る", "走た", "走れ"};
  EXPECT_EQ(ime.asked, asked) << "the key stage is not repeated for the repeat that took it up";
}

TEST_F(RevConvRun, NothingRunsWhenStoppedBeforeTheStart) {
  appendItem(store(), "謎", "なぞ");
  finishSearch();
  revConvRunning() = false;
  run();
  EXPECT_EQ(ime.queries, 0);
  EXPECT_EQ(store().pendingCheckCount, 1u);
}

TEST_F(RevConvRun, ProgressMovesByStepAtMostOncePerItem) {
  for (int i = 0; i < 1000; ++i) appendItem(store(), ("鍵" + std::to_string(i)).c_str(), "かぎ");
  finishSearch();
  CountingProgress progress;
  run(&progress);
  EXPECT_EQ(progress.advances, 142);  // 1000 / 7
  EXPECT_EQ(progress.total, 994u);
  clear(store());
  for (int i = 0; i < 10; ++i) appendItem(store(), "生", "なま");  // one visit settles ten
  finishSearch();
  ime.add("生", {"なま"});
  CountingProgress once;
  run(&once);
  EXPECT_EQ(once.advances, 1) << "one advance for the visit, however many verdicts";
}

TEST_F(RevConvRun, CollectAndMarkPair) {
  appendItem(store(), "甲", "こう");
  appendItem(store(), "乙", "おつ");
  appendItem(store(), "甲", "こう");
  finishSearch();
  RubyItem* members[2] = {};
  EXPECT_EQ(collectPairItems(store(), store().pairIndex[0], members, 2), 2);
  EXPECT_EQ(members[0], &store().items[0]);
  EXPECT_EQ(members[1], &store().items[2]);
  EXPECT_EQ(pairSize(store(), store().pairIndex[2]), 2);
  EXPECT_EQ(markPair(store(), store().pairIndex[0], 2, RevConvDone), 2);
  EXPECT_EQ(markPair(store(), store().pairIndex[0], 2, RevConvDone | RevConvKeyOk), 0u) << "already done";
  EXPECT_EQ(store().items[1].flags & RevConvDone, 0u);
  RubyItem* one[1] = {};
  EXPECT_EQ(collectPairItems(store(), store().pairIndex[0], one, 1), 1u) << "never past the room given";
}
