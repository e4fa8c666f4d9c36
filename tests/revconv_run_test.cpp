#include "revconv/run.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "engine/scanner.h"
#include "engine/walk.h"
#include "revconv/cache.h"
#include "revconv/near_miss.h"
#include "revconv/text_codec.h"
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
    if (queries == stopAfter) process::revConvRunning() = false;
  }
  int stopAfter = -1;
};

struct RevConvRun : ::testing::Test {
  void SetUp() override {
    clear(process::store());
    process::settings().useRevConvCache = 0;
    clearCache(process::revConvCache());
    process::revConvRunning() = true;
  }
  void run(RunProgress* progress = nullptr, const KanjiReadings* kanji = nullptr) {
    ReadingSource source{&ime, nullptr, nullptr, kanji};
    checkStoreItems(process::store(), source, progress);
  }
  std::string marks(bool asPair) {
    std::string result;
    for (std::uint32_t i = 0; i < process::store().itemCount; ++i) {
      const char* m = verdictMark(process::store().items[i], asPair);
      result += *m ? m : "-";
    }
    return result;
  }
  StoppingProvider ime;
};

// CP932 text as EUC-JP (ASCII and JIS X 0208), for a KANJIDIC written here.
std::string toEucJp(const std::string& sjis) {
  std::string out;
  for (std::size_t i = 0; i < sjis.size(); ++i) {
    unsigned s1 = static_cast<unsigned char>(sjis[i]);
    if (s1 < 0x80) {
      out.push_back(static_cast<char>(s1));
      continue;
    }
    const unsigned s2 = static_cast<unsigned char>(sjis[++i]);
    if (s1 >= 0xE0) s1 -= 0x40;
    unsigned j1 = (s1 - 0x81) * 2 + 0x21;
    unsigned j2;
    if (s2 >= 0x9F) {
      ++j1;
      j2 = s2 - 0x7E;
    } else {
      j2 = s2 - (s2 >= 0x80 ? 0x20 : 0x1F);
    }
    out.push_back(static_cast<char>(j1 | 0x80));
    out.push_back(static_cast<char>(j2 | 0x80));
  }
  return out;
}

std::string repeated(const char* text, int times) {
  std::string out;
  while (times-- > 0) out += text;
  return out;
}

// A KANJIDIC of the kanji of the composition tests: full lines as the kanjidic package writes
// them, and lines reduced to the kanji, its code and its readings.
const KanjiReadings& testKanjidic() {
  static const KanjiReadings loaded = [] {
    KanjiReadings k;
    k.loadText(toEucJp(
        "# KANJIDIC JIS X 0208 Kanji Information File/\n"
        "人 3F4D U4eba B9 G1 S2 F5 N1 V262 H1 DK1 ジン ニン ひと -り -と T1 さね T2 ひとやね {person}\n"
        "学 3358 U5b66 B39 G1 S8 ガク まな.ぶ T1 さと {study} {learning}\n"
        "校 3B3B コウ キョウ\n"
        "日 467C U65e5 B72 ニチ ジツ ひ -び -か {day}\n"
        "今 3A23 コン キン いま\n"
        "少 3E2F ショウ すく.ない すこ.し\n"
        "散 3B36 サン ち.る\n"
        "歩 4A62 ホ ブ フ ある.く あゆ.む\n"
        "一 306C イチ イツ ひと- ひと.つ\n"
        "月 376E ゲツ ガツ つき\n"
        "関 3458 カン せき -ぜき かか.わる\n"
        "原 3836 ゲン はら\n"
        "塵 3F50 ジン チン ちり ごみ\n"
        "埃 3025 アイ ほこり\n"
        "紐 4933 チュウ ジュウ ひも\n"
        "帯 4253 タイ お.びる おび\n"
        "電 455D デン\n"
        "直 443E チョク ジキ ただ.ちに なお.す\n"
        "主 3C47 シュ ス シュウ ぬし おも あるじ\n"
        "題 426A ダイ\n"
        "仙 4067 セン\n"
        "術 3D51 ジュツ すべ\n"
        "幼 4D44 ヨウ おさな.い\n"
        "稚 4355 チ ワ" + repeated("ン", 256) + "\n"));  // a reading too long to be one
    return k;
  }();
  return loaded;
}

// Items at and past the longest key (128 bytes) and ruby (256 bytes) a composition is tried on.
const std::string KeyAtBound = repeated("日", 64), RubyOfKeyAtBound = repeated("ひ", 64);
const std::string KeyPastBound = repeated("日", 65), RubyOfKeyPastBound = repeated("ひ", 65);
const std::string KeyOfRubyPastBound = repeated("少", 43), RubyPastBound = repeated("すくな", 43);

// The composition rules: (key, ruby, okurigana, mark), typos among them that must stay ×. The
// input method knows 今日 きょう and 走る はしる only.
struct ComposedCase {
  const char* key;
  const char* ruby;
  const char* okurigana;
  const char* mark;
};
const ComposedCase ComposedCases[] = {
    {"今日", "きょう", "", "◎"},          // confirmed: ◎ wins
    {"走", "はし", "る", "○"},            // confirmed with the okurigana: ○ wins
    {"今日", "こんにち", "", "？"},        // the characters' readings one after the other
    {"人々", "ひとびと", "", "？"},        // 々 repeats 人, voiced as a non-initial kun reading
    {"学校", "がっこう", "", "×"},         // がく as がっ is not taken (it let typos through)
    {"散歩", "さんぽ", "", "？"},          // ほ after ん: ぽ
    {"一ヶ月", "ひとかつき", "", "？"},    // ヶ read か
    {"関ヶ原", "せきがはら", "", "？"},    // ヶ read が
    {"塵埃", "ぢんあい", "", "？"},        // ぢ for じ
    {"紐帯", "ちうたい", "", "？"},        // ちう for ちゅう
    {"学校", "がくかう", "", "？"},        // かう for こう
    {"少", "すくな", "い", "？"},          // すく.ない taken on into its okurigana
    {"主題", "テーマ", "", "？"},          // a gloss in katakana on a kanji
    {"人", "さね", "", "×"},               // name readings are not taken
    {"人", "ひとやね", "", "×"},           // nor the radical names after T2
    {"電直", "でんちよく", "", "×"},       // a small kana written large is not taken
    {"硝子窓", "ガラスまど", "", "×"},     // katakana and hiragana together
    {"ＡＢ", "カタカナ", "", "×"},         // a gloss on no kanji
    {"学校", "がっこ", "", "×"},           // typo: a kana dropped
    {"塵埃", "じんああい", "", "×"},       // typo: a kana doubled
    {"今日", "こにんち", "", "×"},         // typo: two kana swapped
    {"塵埃", "じんさい", "", "×"},         // typo: a kana changed
    {"散歩", "さんぼ", "", "×"},           // typo: a voicing mark instead of the semi-voicing one
    {"紐帯", "ちゅうだい", "", "×"},       // typo: an on reading voiced
    {"学校", "がつこう", "", "×"},         // typo: っ made large
    {"稚", "わ", "", "×"},                 // the first kana of a reading too long to be read
    {KeyAtBound.c_str(), RubyOfKeyAtBound.c_str(), "", "？"},
    {KeyPastBound.c_str(), RubyOfKeyPastBound.c_str(), "", "×"},       // longer than any real key
    {KeyOfRubyPastBound.c_str(), RubyPastBound.c_str(), "", "×"},      // longer than any real ruby
};

}  // namespace

TEST_F(RevConvRun, ComposedReadingsAreMarkedWithAQuestionMark) {
  for (int on = 1; on >= 0; --on) {
    SCOPED_TRACE(on ? "ComposedReadings on" : "ComposedReadings off");
    clear(process::store());
    process::settings().composedReadings = on;
    ime.add("今日", {"きょう"});
    ime.add("走る", {"はしる"});
    std::string expected;
    for (const ComposedCase& c : ComposedCases) {
      appendItem(process::store(), c.key, c.ruby, c.okurigana);
      // Off, only the marks of the two tests.
      expected += on || std::strcmp(c.mark, "？") != 0 ? c.mark : "×";
    }
    finishSearch(process::store());
    run(nullptr, composedReadings(testKanjidic()));
    EXPECT_EQ(marks(false), expected);
  }
  process::settings() = Settings{};
}

// Large kana read as small only in a book whose rubies do without small kana: there せんじゆつ
// is 仙術 as the old orthography writes it, in a book that writes でんちょく it is a typo. えう for
// よう is composed in any book.
TEST_F(RevConvRun, SmallKanaWrittenLargeComposeOnlyInBooksWithoutSmallKana) {
  ResultStore& s = process::store();
  for (const char* book : {"仙術《せんじゆつ》の幼稚《えうち》な", "電直《でんちょく》な仙術《せんじゆつ》の幼稚《えうち》"}) {
    FileRecord* record = newFileRecord("C:\\books\\a.txt");
    record->firstItem = s.items + s.itemCount;
    record->itemCount = scanBuffer(s, record, book, std::strlen(book));
    addFile(s, record);
  }
  finishSearch(process::store());
  run(nullptr, &testKanjidic());
  EXPECT_EQ(marks(false), "？？？×？");
  EXPECT_TRUE(writesWithoutSmallKana(100, 1)) << "a stray modern ruby in an old book";
  EXPECT_FALSE(writesWithoutSmallKana(99, 1));
}

TEST_F(RevConvRun, PairRowOfComposedOccurrences) {
  ime.add("少い", {"すくない"});
  appendItem(process::store(), "人々", "ひとびと");
  appendItem(process::store(), "少", "すくな", "い");
  appendItem(process::store(), "人々", "ひとびと");
  appendItem(process::store(), "少", "すくな", "く");
  finishSearch(process::store());
  run(nullptr, &testKanjidic());
  EXPECT_EQ(marks(false), "？○？？");
  EXPECT_EQ(std::string(verdictMark(process::store().items[0], true)), "？");
  EXPECT_EQ(std::string(verdictMark(process::store().items[1], true)), "△") << "△ wins over ？";
}

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
  for (int i = 0; i < 5; ++i) appendItem(process::store(), "生", "なま", i % 2 ? "で" : "");
  appendItem(process::store(), "東京", "とうきょう");
  finishSearch(process::store());
  run();
  for (int i = 0; i < 5; ++i) EXPECT_EQ(process::store().items[i].flags & 0x1C, RevConvDone | RevConvKeyOk) << i;
  EXPECT_EQ(process::store().items[0].flags & (RevConvGroupDone | RevConvGroupAllOk), RevConvGroupDone | RevConvGroupAllOk);
  EXPECT_EQ(marks(false), "◎◎◎◎◎×");
  EXPECT_EQ(std::string(verdictMark(process::store().items[0], true)), "◎");
  EXPECT_EQ(process::store().pendingCheckCount, 0u);
  EXPECT_EQ(ime.queries, 2) << "one query for the pair, one for 東京";
}

TEST_F(RevConvRun, PairPartlyConfirmedByItsOkurigana) {
  ime.add("走る", {"はしる"});
  const char* okurigana[5] = {"る", "れ", "る", "れ", "る"};
  for (const char* o : okurigana) appendItem(process::store(), "走", "はし", o);
  finishSearch(process::store());
  run();
  EXPECT_EQ(marks(false), "○×○×○");
  EXPECT_EQ(std::string(verdictMark(process::store().items[0], true)), "△");
  EXPECT_EQ(process::store().items[0].flags & 0xE0, RevConvGroupDone | RevConvGroupSomeOk);
  EXPECT_EQ(process::store().pendingCheckCount, 0u);
  // Key alone, then one query per distinct okurigana.
  const std::vector<std::string> asked = {"走", "走る", "走れ"};
  EXPECT_EQ(ime.asked, asked);
}

TEST_F(RevConvRun, PairFullyConfirmedByOkurigana) {
  ime.add("走る", {"はしる"});
  for (int i = 0; i < 3; ++i) appendItem(process::store(), "走", "はし", "る");
  finishSearch(process::store());
  run();
  EXPECT_EQ(marks(false), "○○○");
  EXPECT_EQ(std::string(verdictMark(process::store().items[0], true)), "○");
}

TEST_F(RevConvRun, PairWithoutOkuriganaNotConfirmed) {
  for (int i = 0; i < 3; ++i) appendItem(process::store(), "謎", "なぞ");
  finishSearch(process::store());
  run();
  EXPECT_EQ(marks(false), "×××");
  EXPECT_EQ(std::string(verdictMark(process::store().items[0], true)), "×");
  EXPECT_EQ(ime.queries, 1) << "no okurigana, no okurigana query";
}

TEST_F(RevConvRun, SingleItemWithoutOkuriganaAsksOnce) {
  appendItem(process::store(), "謎", "なぞ");
  ime.add("謎", {"めい"});
  finishSearch(process::store());
  run();
  EXPECT_EQ(process::store().items[0].flags, RevConvDone);
  EXPECT_EQ(marks(false), "×");
  EXPECT_EQ(ime.queries, 1);
}

TEST_F(RevConvRun, SingleItemConfirmedWithItsOkurigana) {
  appendItem(process::store(), "走", "はし", "る");
  ime.add("走る", {"はしる"});
  finishSearch(process::store());
  run();
  EXPECT_EQ(process::store().items[0].flags, RevConvDone | RevConvOkuriOk);
}

TEST_F(RevConvRun, StoppedRunIsContinuedByTheNext) {
  const char* keys[6] = {"一", "二", "三", "四", "五", "六"};
  for (int i = 0; i < 6; ++i) {
    appendItem(process::store(), keys[i], "よみ");
    if (i % 2) ime.add(keys[i], {"よみ"});
  }
  finishSearch(process::store());
  ime.stopAfter = 2;
  run();
  EXPECT_EQ(process::store().pendingCheckCount, 4u) << "the run ends after the item it was on";
  EXPECT_EQ(marks(false), "×◎----");
  process::revConvRunning() = true;
  ime.stopAfter = -1;
  const int before = ime.queries;
  run();
  EXPECT_EQ(process::store().pendingCheckCount, 0u);
  EXPECT_EQ(ime.queries - before, 4) << "checked items are not asked again";
  EXPECT_EQ(marks(false), "×◎×◎×◎");
}

TEST_F(RevConvRun, StoppedPairIsTakenUpThroughAnUncheckedOccurrence) {
  ime.add("走る", {"はしる"});
  const char* okurigana[4] = {"る", "れ", "た", "る"};
  for (const char* o : okurigana) appendItem(process::store(), "走", "はし", o);
  finishSearch(process::store());
  ime.stopAfter = 2;  // key stage, then 走る: the members る (3 and 0) are settled
  run();
  EXPECT_EQ(marks(false), "○--○");
  EXPECT_EQ(process::store().items[0].flags & RevConvGroupDone, 0u) << "no summary for an unfinished pair";
  EXPECT_EQ(process::store().pendingCheckCount, 2u);
  process::revConvRunning() = true;
  ime.stopAfter = -1;
  run();
  EXPECT_EQ(marks(false), "○××○");
  EXPECT_EQ(std::string(verdictMark(process::store().items[0], true)), "△");
  EXPECT_EQ(process::store().pendingCheckCount, 0u);
  const std::vector<std::string> asked = {"走", "走る", "走た", "走れ"};
  EXPECT_EQ(ime.asked, asked) << "the key stage is not repeated for the repeat that took it up";
}

TEST_F(RevConvRun, NothingRunsWhenStoppedBeforeTheStart) {
  appendItem(process::store(), "謎", "なぞ");
  finishSearch(process::store());
  process::revConvRunning() = false;
  run();
  EXPECT_EQ(ime.queries, 0);
  EXPECT_EQ(process::store().pendingCheckCount, 1u);
}

TEST_F(RevConvRun, ProgressMovesByStepAtMostOncePerItem) {
  for (int i = 0; i < 1000; ++i) appendItem(process::store(), ("鍵" + std::to_string(i)).c_str(), "かぎ");
  finishSearch(process::store());
  CountingProgress progress;
  run(&progress);
  EXPECT_EQ(progress.advances, 142);  // 1000 / 7
  EXPECT_EQ(progress.total, 994u);
  clear(process::store());
  for (int i = 0; i < 10; ++i) appendItem(process::store(), "生", "なま");  // one visit settles ten
  finishSearch(process::store());
  ime.add("生", {"なま"});
  CountingProgress once;
  run(&once);
  EXPECT_EQ(once.advances, 1) << "one advance for the visit, however many verdicts";
}

TEST_F(RevConvRun, CollectAndMarkPair) {
  appendItem(process::store(), "甲", "こう");
  appendItem(process::store(), "乙", "おつ");
  appendItem(process::store(), "甲", "こう");
  finishSearch(process::store());
  RubyItem* members[2] = {};
  EXPECT_EQ(collectPairItems(process::store(), process::store().pairIndex[0], members, 2), 2);
  EXPECT_EQ(members[0], &process::store().items[0]);
  EXPECT_EQ(members[1], &process::store().items[2]);
  EXPECT_EQ(pairSize(process::store(), process::store().pairIndex[2]), 2);
  EXPECT_EQ(markPair(process::store(), process::store().pairIndex[0], 2, RevConvDone), 2);
  EXPECT_EQ(markPair(process::store(), process::store().pairIndex[0], 2, RevConvDone | RevConvKeyOk), 0u) << "already done";
  EXPECT_EQ(process::store().items[1].flags & RevConvDone, 0u);
  RubyItem* one[1] = {};
  EXPECT_EQ(collectPairItems(process::store(), process::store().pairIndex[0], one, 1), 1u) << "never past the room given";
}

// ！ for a confirmed reading one voicing mark from one far more books use, and for an okurigana
// written twice; 候補 for every ！ and ×, from the books' counts.
TEST_F(RevConvRun, NearMissesAndTheirSuggestions) {
  ime.add("言葉", {"ことは", "ことば"});
  ime.counts["言葉"] = {{"ことば", 40}, {"ことは", 2}};
  ime.add("微笑", {"ほほえみ"});
  ime.counts["微笑"] = {{"ほほえみ", 70}, {"ほほえ", 350}};  // 微笑《ほほえ》む
  ime.add("背広", {"せびろ"});
  ime.counts["背広"] = {{"せびろ", 30}, {"せひろ", 1}};
  ime.counts["機嫌"] = {{"きげん", 50}, {"きけん", 50}, {"ごきげん", 9}};
  appendItem(process::store(), "言葉", "ことは");
  appendItem(process::store(), "言葉", "ことは");
  appendItem(process::store(), "微笑", "ほほえみ", "み");
  appendItem(process::store(), "背広", "せびろ");
  appendItem(process::store(), "機嫌", "きけ");
  appendItem(process::store(), "微笑", "ほほえみ", "を");
  ime.add("何", {"なに"});
  ime.counts["何"] = {{"なに", 3000}, {"な", 200}};
  appendItem(process::store(), "何", "なに", "にも");  // far more books give なに than な
  FileRecord oldKana{};  // a book whose rubies keep to historical kana
  oldKana.itemCount = 1000;
  oldKana.historicalKanaRubies = HistoricalKanaPerThousand;
  ime.add("方", {"ほう", "はう"});
  ime.counts["方"] = {{"ほう", 90}, {"はう", 9}};
  appendItem(process::store(), "方", "ほう", "", &oldKana);  // the book spells it はう
  appendItem(process::store(), "方", "ほう");                // in no book: no spelling to keep to
  finishSearch(process::store());
  run();
  const ResultStore& s = process::store();
  EXPECT_EQ(marks(false), "！！！◎×◎◎！◎");
  EXPECT_STREQ(verdictMark(s.items[0], true), "！") << "the pair row";
  EXPECT_STREQ(verdictMark(s.items[2], true), "！") << "a pair row shows ！ when one occurrence has it";
  const char* expected[] = {"ことば", "ことば", "ほほえ", "", "きけん", "", "", "はう", ""};
  for (std::uint32_t i = 0; i < s.itemCount; ++i) EXPECT_STREQ(suggestion(s, s.items[i]), expected[i]) << i;
}

TEST(NearMiss, ThresholdsTiesAndBounds) {
  const std::vector<CountedReading> counted = {{u"ことば", 6}, {u"ことは", 2}, {u"こと", 3}};
  EXPECT_NE(voicingNearMiss(counted, u"ことは"), nullptr) << "6 books against 2: 3 times as many";
  EXPECT_EQ(voicingNearMiss({{u"ことば", 5}, {u"ことは", 2}}, u"ことは"), nullptr) << "5 is less than 3 x 2";
  EXPECT_EQ(voicingNearMiss({{u"ことば", 2}}, u"ことは"), nullptr) << "fewer than 3 books";
  EXPECT_EQ(voicingNearMiss({{u"ことが", 9}}, u"ことは"), nullptr) << "not a voicing mark";
  EXPECT_EQ(voicingNearMiss({{u"ひと", 50}, {u"びと", 9}}, u"びと", false), nullptr) << "人《びと》 of a compound";
  EXPECT_NE(voicingNearMiss({{u"ひと", 50}}, u"びと", false), nullptr) << "a voicing no book gives";
  EXPECT_EQ(doubledOkurigana(counted, u"ことと", u"とも"), u"こと");
  EXPECT_EQ(doubledOkurigana(counted, u"ことば", u"かり"), u"") << "the okurigana starts with another kana";
  EXPECT_EQ(doubledOkurigana({{u"ことば", 6}}, u"ことばば", u"ばかり"), u"ことば");
  EXPECT_EQ(doubledOkurigana({{u"ことば", 6}, {u"ことばば", 6}}, u"ことばば", u"ばかり"), u"") << "as many books";
  EXPECT_EQ(doubledOkurigana({{u"ことば", 6}}, u"ことは", u"はな"), u"") << "こと is no known reading";
  EXPECT_EQ(readingEdits(u"かた", u"たか", 2), 1) << "two neighbours swapped";
  EXPECT_EQ(readingEdits(u"あいうえ", u"あ", 2), 3) << "beyond the limit";
  EXPECT_EQ(nearestReading({{u"きげん", 5}, {u"きけん", 50}}, u"きこん"), u"きけん") << "a tie goes to more books";
  EXPECT_EQ(nearestReading({{u"きげん", 5}}, u"まったくちがう"), u"");
  const std::u16string tooLong(MaxNearMissChars + 1, u'あ');
  EXPECT_EQ(nearestReading({{tooLong.substr(1), 9}}, tooLong), u"") << "beyond the cap: no 候補";
  EXPECT_EQ(voicingNearMiss({{std::u16string(MaxNearMissChars + 1, u'が'), 9}}, tooLong), nullptr);
  // The book's own kana: 方《ほう》 in a book of historical kana is はう, 頤《おとがひ》 in a modern one おとがい.
  const std::vector<CountedReading> way = {{u"はう", 9}, {u"ほう", 90}, {u"かた", 900}};
  const CountedReading* spelled = ownKanaSpelling(way, u"ほう", BookKana::Historical);
  EXPECT_EQ(spelled ? spelled->reading : u"-", u"はう");
  EXPECT_EQ(ownKanaSpelling(way, u"ほう", BookKana::Modern), nullptr);
  EXPECT_EQ(ownKanaSpelling(way, u"はう", BookKana::Historical), nullptr);
  EXPECT_EQ(ownKanaSpelling(way, u"ほう", BookKana::Mixed), nullptr);
  EXPECT_EQ(ownKanaSpelling({{u"はう", 2}, {u"ほう", 90}}, u"ほう", BookKana::Historical), nullptr) << "too few books";
  const std::vector<CountedReading> chin = {{u"おとがい", 5}, {u"おとがひ", 40}};
  spelled = ownKanaSpelling(chin, u"おとがひ", BookKana::Modern);
  EXPECT_EQ(spelled ? spelled->reading : u"-", u"おとがい");
  // both kinds of book at once, as ownKanaSpelling finds each apart
  const struct {
    const std::vector<CountedReading>& counted;
    const char16_t* ruby;
  } either[] = {{way, u"ほう"}, {chin, u"おとがひ"}, {way, u"はう"}};
  for (const auto& c : either) {
    NearMissFindings found[2];  // in a book of historical kana, in a modern one
    ownKanaInEither(c.counted, utf16ToCp932(c.ruby).c_str(), found[0], found[1]);
    for (const BookKana book : {BookKana::Historical, BookKana::Modern}) {
      const CountedReading* apart = ownKanaSpelling(c.counted, c.ruby, book);
      const NearMissFindings& f = found[book == BookKana::Modern];
      EXPECT_EQ(f.nearMiss, apart != nullptr) << utf16ToCp932(c.ruby);
      EXPECT_EQ(f.suggestion, apart ? utf16ToCp932(apart->reading.c_str()) : "") << utf16ToCp932(c.ruby);
    }
  }
  EXPECT_EQ(modernKana(u"はうはふ"), u"ほうほう");
  EXPECT_EQ(modernKana(u"けふ"), u"きよう") << "small kana are compared large";
  EXPECT_EQ(modernKana(u"きやう"), u"きよう");
  EXPECT_TRUE(holdsHistoricalKana(utf16ToCp932(u"さうらふ").c_str()));
  EXPECT_FALSE(holdsHistoricalKana(utf16ToCp932(u"おとがい").c_str()));
  EXPECT_EQ(bookKana(1000, HistoricalKanaPerThousand), BookKana::Historical);
  EXPECT_EQ(bookKana(1000, ModernKanaPerThousand), BookKana::Modern);
  EXPECT_EQ(bookKana(ModernKanaMinRubies - 1, 0), BookKana::Mixed) << "too few rubies to tell";
}

// A pair nothing confirms, given three times in one book, is the author's own reading: ？ there,
// × in a book that gives it once; the pair row ？.
TEST_F(RevConvRun, APairABookRepeatsIsItsOwnReading) {
  FileRecord book{}, other{};
  for (int i = 0; i < 3; ++i) appendItem(process::store(), "謎", "なぞか", "", &book);
  appendItem(process::store(), "謎", "なぞか", "", &other);
  appendItem(process::store(), "謎", "なぞこ", "", &book);
  appendItem(process::store(), "謎", "なぞこ", "", &book);
  finishSearch(process::store());
  run();
  EXPECT_EQ(marks(false), "？？？×××");
  EXPECT_STREQ(verdictMark(process::store().items[0], true), "？");
  EXPECT_STREQ(verdictMark(process::store().items[4], true), "×") << "twice is not enough";
}
