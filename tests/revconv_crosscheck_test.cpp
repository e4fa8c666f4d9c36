// Further cases of the reverse-conversion check: a stopped pair whose occurrences share an
// okurigana, byte sequences that look like katakana only across a character boundary, and
// okuri-ari lines with a doubled consonant.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/walk.h"
#include "revconv/cache.h"
#include "revconv/reading.h"
#include "revconv/run.h"
#include "revconv/skk_dictionary.h"
#include "revconv_fakes.h"
#include "settings/settings.h"

using namespace obel;
using obel::test::appendItem;
using obel::test::FakeProvider;

namespace {

struct StopAfter : FakeProvider {
  void readings(void* c, void* l, const std::u16string& t, std::vector<std::u16string>& out) override {
    FakeProvider::readings(c, l, t, out);
    if (queries == stopAfter) process::revConvRunning() = false;
  }
  int stopAfter = -1;
};

struct RevConvCrossCheck : ::testing::Test {
  void SetUp() override {
    clear(process::store());
    process::settings().useRevConvCache = 0;
    clearCache(process::revConvCache());
  }
  void TearDown() override {
    clear(process::store());
    process::revConvRunning() = false;
  }
  void run() {
    process::revConvRunning() = true;
    ReadingSource source{&ime, nullptr, nullptr};
    checkStoreItems(process::store(), source, nullptr);
  }
  std::string mark(std::uint32_t i, bool asPair = false) { return verdictMark(process::store().items[i], asPair); }
  StopAfter ime;
};

TEST_F(RevConvCrossCheck, StoppedPairSharingAnOkuriganaKeepsTheCountRight) {
  ResultStore& s = process::store();
  appendItem(s, "甲", "こう");
  for (int i = 0; i < 4; ++i) appendItem(s, "走", "はし", i < 2 ? "る" : "れ");
  appendItem(s, "乙", "おつ");
  finishSearch(s);
  ime.add("走る", {"はしる"});
  ime.stopAfter = 3;  // 甲, 走, 走れ: Stop while the pair's last okurigana is asked
  run();
  EXPECT_EQ(mark(3), "×");
  EXPECT_EQ(mark(4), "×");
  EXPECT_EQ(mark(1), "");
  EXPECT_EQ(mark(1, true), "");
  EXPECT_EQ(mark(5), "");
  EXPECT_EQ(s.pendingCheckCount, 3u);
  // The next run asks only what has no verdict, and the pair's summary counts every
  // confirmed occurrence once.
  ime.asked.clear();
  ime.stopAfter = -1;
  run();
  EXPECT_EQ(mark(1), "○");
  EXPECT_EQ(mark(2), "○");
  EXPECT_EQ(mark(1, true), "△");
  EXPECT_EQ(mark(5), "×");
  EXPECT_EQ(s.pendingCheckCount, 0u);
  EXPECT_EQ(ime.asked, (std::vector<std::string>{"走", "走る", "乙"}));
}

TEST_F(RevConvCrossCheck, PairConfirmedThroughOneSharedOkuriganaIsComplete) {
  ResultStore& s = process::store();
  for (int i = 0; i < 3; ++i) appendItem(s, "走", "はし", "る");
  finishSearch(s);
  ime.add("走る", {"はしる"});
  run();
  EXPECT_EQ(mark(0, true), "○");  // three of three confirmed, by one query
  EXPECT_EQ(ime.asked, (std::vector<std::string>{"走", "走る"}));
  EXPECT_EQ(s.pendingCheckCount, 0u);
}

TEST(RevConvCrossCheckKana, TrailByteIsNeverTakenForKatakana) {
  // 0x88 0x83 is one character; the 0x83 0x40 behind its lead byte is not ァ.
  std::string text = "\x88\x83\x40";
  katakanaToHiragana(text.data());
  EXPECT_EQ(text, "\x88\x83\x40");
  std::string tail = "\x83";
  katakanaToHiragana(tail.data());
  EXPECT_EQ(tail, "\x83");
}

TEST(RevConvCrossCheckWiden, ControlBytesAndUnvoicedForms) {
  char out[32];
  widenHalfWidth("a\tb", out, sizeof out);
  EXPECT_STREQ(out, "ａ\tｂ");
  widenHalfWidth("\xB6\xDF", out, sizeof out);  // ｶﾟ has no semi-voiced form
  EXPECT_STREQ(out, "カ゜");
  widenHalfWidth("\xDE\xDF", out, sizeof out);  // lone sound marks
  EXPECT_STREQ(out, "゛゜");
  widenHalfWidth("\t\tab", out, 3);
  EXPECT_STREQ(out, "\t\t");
}

TEST(RevConvCrossCheckSkk, DoubledConsonantAndOtherInitials) {
  // EUC-JP: かt /勝/, いk /行/
  const std::string text =
      ";; -*- coding: euc-jp -*-\n"
      "\xa4\xabt /\xbe\xa1/\n"
      "\xa4\xa4k /\xb9\xd4/\n";
  SkkDictionary d;
  d.loadText(text);
  auto readingsOf = [&d](const std::u16string& t) {
    std::vector<std::u16string> out;
    d.readings(nullptr, nullptr, t, out);
    return out;
  };
  EXPECT_EQ(readingsOf(u"勝った"), std::vector<std::u16string>{u"かった"});
  EXPECT_EQ(readingsOf(u"勝つ"), std::vector<std::u16string>{u"かつ"});
  EXPECT_EQ(readingsOf(u"行く"), std::vector<std::u16string>{u"いく"});
  EXPECT_TRUE(readingsOf(u"行る").empty());
  EXPECT_TRUE(readingsOf(u"勝").empty());
}

}  // namespace
