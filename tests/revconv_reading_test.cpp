#include "revconv/reading.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "revconv/cache.h"
#include "revconv_fakes.h"
#include "settings/settings.h"

using namespace obel;
using obel::test::appendItem;
using obel::test::FakeProvider;

namespace {

std::string widened(const char* src, std::uint32_t capacity = 256) {
  char out[256];
  std::memset(out, 0x55, sizeof out);
  widenHalfWidth(src, out, capacity);
  return out;
}

std::string hiragana(const char* src) {
  std::string copy = src;
  katakanaToHiragana(copy.data());
  return copy;
}

// The readings of a candidate list, in order.
std::vector<std::string> listOf(const char* list) {
  std::vector<std::string> result;
  for (const char* r = list; *r != 0; r += std::strlen(r) + 1) result.push_back(r);
  return result;
}

struct RevConvTest : ::testing::Test {
  void SetUp() override {
    clear(process::store());
    process::settings().useRevConvCache = 0;
    clearCache(process::revConvCache());
  }
  FakeProvider ime;
  ReadingSource source{&ime, nullptr, nullptr};
};

}  // namespace

TEST(RevConvWiden, AsciiBecomesFullWidth) {
  const struct {
    const char* in;
    const char* out;
  } cases[] = {
      {"09", "０９"},       {"AZaz", "ＡＺａｚ"}, {" !\"#$%&'", "　！”＃＄％＆’"},
      {"()*+,-./", "（）＊＋，－．／"}, {":;<=>?@", "：；＜＝＞？＠"},
      {"[\\]^_`", "［￥］＾＿‘"}, {"{|}~", "｛｜｝～"},
  };
  for (const auto& c : cases) EXPECT_EQ(widened(c.in), c.out) << c.in;
}

TEST(RevConvWiden, HalfWidthKatakanaWithSoundMarks) {
  const struct {
    const char* in;
    const char* out;
  } cases[] = {
      {"\xCA\xDE\xBC", "バシ"},          // ﾊﾞｼ
      {"\xB3\xDE", "ウ゛"},              // ｳﾞ: no ヴ
      {"\xCA\xDF\xDD", "パン"},          // ﾊﾟﾝ
      {"\xB6\xDF", "カ゜"},              // ｶﾟ: no semi-voiced ka
      {"\xDE\xDF", "゛゜"},              // lone marks
      {"\xA1\xA2\xA3\xA4\xA5\xA6\xA7", "。「」、・ヲァ"},
      {"\xC4\xDE\xCE\xDE\xCE\xDF", "ドボポ"},
      {"\xDC\xDD\xB0", "ワンー"},
      {"漢字ｱ", "漢字ア"},
      {"a\tb\x7F", "ａ\tｂ\x7F"},         // control bytes stay single
  };
  for (const auto& c : cases) EXPECT_EQ(widened(c.in), c.out) << c.out;
}

TEST(RevConvWiden, CapacityNeverSplitsACharacter) {
  EXPECT_EQ(widened("abc", 1), "");
  EXPECT_EQ(widened("abc", 2), "") << "a double-byte character needs 3 bytes with the NUL";
  EXPECT_EQ(widened("abc", 3), "ａ");
  EXPECT_EQ(widened("abc", 6), "ａｂ");
  EXPECT_EQ(widened("\tab", 4), "\tａ");
  EXPECT_EQ(widened("漢字", 4), "漢");
  char out[8];
  std::memset(out, 0x55, sizeof out);
  widenHalfWidth("abcdef", out, 5);
  EXPECT_EQ(out[4], 0);
  EXPECT_EQ(out[5], 0x55) << "nothing written past the capacity";
  EXPECT_EQ(std::string(out), "ａｂ");
}

TEST(RevConvWiden, LeadByteAtTheEndIsNotFollowedPastTheNul) {
  EXPECT_EQ(widened("a\x88"), "ａ\x88");
}

TEST(RevConvKana, KatakanaBecomesHiragana) {
  EXPECT_EQ(hiragana("ァアミムメヲン"), "ぁあみむめをん");
  EXPECT_EQ(hiragana("ハシ"), "はし");
  EXPECT_EQ(hiragana("ヴヵヶー"), "ヴヵヶー") << "ヴ ヵ ヶ and the long vowel mark stay";
  EXPECT_EQ(hiragana("漢字カナabc"), "漢字かなabc");
  // ミ (0x837E) as trail of a lead byte is not katakana: 0x83 0x83 0x7E... the walk keeps pairs.
  EXPECT_EQ(hiragana("\x81\x83\x83\x41"), "\x81\x83\x82\xA0") << "trail 0x83 is not read as a lead";
  EXPECT_EQ(hiragana("a\x83"), "a\x83");
}

TEST(RevConvCandidates, ReadingsAreNormalisedInOrder) {
  const std::vector<std::u16string> answer = {u"ハシ", u"\uFF8A\uFF9E\uFF7C", u"ヴァイオリン", u"ｳﾞ", u"abc"};
  char out[256];
  EXPECT_EQ(storeCandidates(answer, out, sizeof out, 256), 5u);
  const std::vector<std::string> expected = {"はし", "ばし", "ヴぁいおりん", "う゛", "ａｂｃ"};
  EXPECT_EQ(listOf(out), expected);
}

TEST(RevConvCandidates, EmptyAnswerIsASingleNul) {
  char out[16];
  std::memset(out, 0x55, sizeof out);
  EXPECT_EQ(storeCandidates({}, out, sizeof out, 256), 0u);
  EXPECT_EQ(out[0], 0);
}

TEST(RevConvCandidates, AtMostMaxCountReadings) {
  std::vector<std::u16string> answer(300, u"あ");
  std::vector<char> out(4096);
  EXPECT_EQ(storeCandidates(answer, out.data(), 4096, 256), 256u);
  EXPECT_EQ(listOf(out.data()).size(), 256u);
  EXPECT_EQ(out[256 * 3], 0) << "closing NUL right after the 256th reading";
}

TEST(RevConvCandidates, CapacityCutsTheLastReadingAndKeepsTheClosingNul) {
  const std::vector<std::u16string> answer = {u"あいう", u"かきくけこ", u"さ"};
  char out[16];
  std::memset(out, 0x55, sizeof out);
  // 7 bytes for あいう, 9 left: かきく (6) + NUL fits with one byte for the closing NUL.
  EXPECT_EQ(storeCandidates(answer, out, 16, 256), 2u);
  const std::vector<std::string> expected = {"あいう", "かきく"};
  EXPECT_EQ(listOf(out), expected);
  EXPECT_EQ(out[14], 0);
  EXPECT_EQ(out[15], 0x55) << "the list never exceeds the capacity";
  // With 3 bytes or less left no further reading is stored.
  char tiny[11];
  EXPECT_EQ(storeCandidates(answer, tiny, 11, 256), 2u) << "あいう, か (4 bytes were left)";
  EXPECT_EQ(storeCandidates(answer, tiny, 10, 256), 1u) << "3 bytes left";
  EXPECT_EQ(listOf(tiny).size(), 1u);
}

TEST_F(RevConvTest, KatakanaReadingMatchesHiraganaRuby) {
  ime.add("橋", {"キョウ", "ハシ"});
  EXPECT_EQ(matchKeyAlone(process::store(), source, appendItem(process::store(), "橋", "はし")), ReadingMatch::Found);
}

TEST_F(RevConvTest, HalfWidthReadingMatchesAfterWidening) {
  ime.add("馬氏", {"\xCA\xDE\xBC"});
  EXPECT_EQ(matchKeyAlone(process::store(), source, appendItem(process::store(), "馬氏", "ばし")), ReadingMatch::Found);
}

TEST_F(RevConvTest, KatakanaRubyNeverMatches) {
  ime.add("麺麭", {"パン", "ぱん"});
  EXPECT_EQ(matchKeyAlone(process::store(), source, appendItem(process::store(), "麺麭", "パン")), ReadingMatch::NotFound);
  EXPECT_EQ(matchKeyAlone(process::store(), source, appendItem(process::store(), "麺麭", "ぱん")), ReadingMatch::Found);
}

TEST_F(RevConvTest, VuStaysKatakana) {
  ime.add("提琴", {"ヴァイオリン"});
  EXPECT_EQ(matchKeyAlone(process::store(), source, appendItem(process::store(), "提琴", "ヴぁいおりん")), ReadingMatch::Found);
  EXPECT_EQ(matchKeyAlone(process::store(), source, appendItem(process::store(), "提琴", "うぁいおりん")), ReadingMatch::NotFound);
}

TEST_F(RevConvTest, LengthMustBeEqualForTheKeyAlone) {
  ime.add("箸", {"はしら", "は"});
  EXPECT_EQ(matchKeyAlone(process::store(), source, appendItem(process::store(), "箸", "はし")), ReadingMatch::NotFound);
  ime.add("箸", {"はし"});
  EXPECT_EQ(matchKeyAlone(process::store(), source, appendItem(process::store(), "箸", "はし")), ReadingMatch::Found);
}

TEST_F(RevConvTest, NoAnswerIsNotConfirmed) {
  EXPECT_EQ(matchKeyAlone(process::store(), source, appendItem(process::store(), "未知", "みち")), ReadingMatch::NotFound);
  EXPECT_EQ(ime.queries, 1);
  ReadingSource none{nullptr, nullptr, nullptr};
  EXPECT_EQ(matchKeyAlone(process::store(), none, appendItem(process::store(), "未知", "みち")), ReadingMatch::NotFound);
}

TEST_F(RevConvTest, OkuriganaTestQueriesKeyWithOkurigana) {
  ime.add("走る", {"そうる", "はしる"});
  EXPECT_EQ(matchWithOkurigana(process::store(), source, appendItem(process::store(), "走", "はし", "る")), ReadingMatch::Found);
  ASSERT_EQ(ime.asked.size(), 1u);
  EXPECT_EQ(ime.asked[0], "走る");
  // The okurigana's part of the reading is not compared, its length is.
  ime.add("走れ", {"はしる"});
  EXPECT_EQ(matchWithOkurigana(process::store(), source, appendItem(process::store(), "走", "はし", "れ")), ReadingMatch::Found);
  ime.add("走れ", {"はしりる", "はし"});
  EXPECT_EQ(matchWithOkurigana(process::store(), source, appendItem(process::store(), "走", "はし", "れ")), ReadingMatch::NotFound);
}

TEST_F(RevConvTest, ExactlyTheFirst256ReadingsAreConsidered) {
  std::vector<std::string> many(256, "ちがう");
  many.push_back("あたり");
  ime.add("試", many);
  EXPECT_EQ(matchKeyAlone(process::store(), source, appendItem(process::store(), "試", "あたり")), ReadingMatch::NotFound);
  many[255] = "あたり";
  ime.add("試", many);
  EXPECT_EQ(matchKeyAlone(process::store(), source, appendItem(process::store(), "試", "あたり")), ReadingMatch::Found);
}

TEST_F(RevConvTest, CacheAnswersTheSecondQuery) {
  process::settings().useRevConvCache = 1;
  ime.add("生", {"なま"});
  RubyItem& item = appendItem(process::store(), "生", "なま");
  EXPECT_EQ(matchKeyAlone(process::store(), source, item), ReadingMatch::Found);
  EXPECT_EQ(matchKeyAlone(process::store(), source, item), ReadingMatch::Found);
  EXPECT_EQ(ime.queries, 1);
  EXPECT_EQ(process::revConvCache().nextSlot, 1u);
  // A verdict of 0 is kept as well.
  RubyItem& wrong = appendItem(process::store(), "生", "いき");
  EXPECT_EQ(matchKeyAlone(process::store(), source, wrong), ReadingMatch::NotFound);
  EXPECT_EQ(matchKeyAlone(process::store(), source, wrong), ReadingMatch::NotFound);
  EXPECT_EQ(ime.queries, 2);
}

TEST_F(RevConvTest, KeyAloneAndOkuriganaEntriesAreApart) {
  process::settings().useRevConvCache = 1;
  ime.add("走", {"はしる"});
  ime.add("走る", {});
  // Key alone: ruby はしる, confirmed.
  EXPECT_EQ(matchKeyAlone(process::store(), source, appendItem(process::store(), "走", "はしる")), ReadingMatch::Found);
  // Okurigana test of ruby はし + る (the same reading text): its own entry, not confirmed.
  EXPECT_EQ(matchWithOkurigana(process::store(), source, appendItem(process::store(), "走", "はし", "る")), ReadingMatch::NotFound);
  EXPECT_EQ(ime.queries, 2);
  EXPECT_EQ(matchWithOkurigana(process::store(), source, appendItem(process::store(), "走", "はし", "る")), ReadingMatch::NotFound);
  EXPECT_EQ(ime.queries, 2);
}

TEST_F(RevConvTest, NotEncodableItemsAskEveryTime) {
  process::settings().useRevConvCache = 1;
  ime.add("麺麭", {"パン"});
  ime.add("超長い鍵の文字列", {"ちょうながいかぎのもじれつ"});
  for (int i = 0; i < 2; ++i) {
    matchKeyAlone(process::store(), source, appendItem(process::store(), "麺麭", "パン"));
    matchKeyAlone(process::store(), source, appendItem(process::store(), "超長い鍵の文字列", "ちょうながい"));
  }
  EXPECT_EQ(ime.queries, 4);
  EXPECT_EQ(process::revConvCache().nextSlot, 0u);
}

TEST_F(RevConvTest, CacheOffTouchesNothing) {
  ime.add("生", {"なま"});
  RubyItem& item = appendItem(process::store(), "生", "なま");
  EXPECT_EQ(matchKeyAlone(process::store(), source, item), ReadingMatch::Found);
  EXPECT_EQ(matchKeyAlone(process::store(), source, item), ReadingMatch::Found);
  EXPECT_EQ(ime.queries, 2);
  EXPECT_EQ(process::revConvCache().nextSlot, 0u);
}

namespace {

// A CANDIDATELIST as the input method writes it: header, offsets, then the strings.
std::vector<unsigned char> candidateList(const std::vector<std::u16string>& readings) {
  std::vector<unsigned char> buffer(24 + 4 * readings.size());
  auto put32 = [&buffer](std::size_t at, std::uint32_t v) { std::memcpy(buffer.data() + at, &v, 4); };
  put32(8, static_cast<std::uint32_t>(readings.size()));
  for (std::size_t i = 0; i < readings.size(); ++i) {
    put32(24 + 4 * i, static_cast<std::uint32_t>(buffer.size()));
    for (char16_t c : readings[i]) {
      buffer.push_back(static_cast<unsigned char>(c & 0xFF));
      buffer.push_back(static_cast<unsigned char>(c >> 8));
    }
    buffer.push_back(0);
    buffer.push_back(0);
  }
  put32(0, static_cast<std::uint32_t>(buffer.size()));
  return buffer;
}

}  // namespace

TEST(RevConvCandidateList, ReadsCountAndOffsets) {
  const std::vector<std::u16string> readings = {u"はし", u"キョウ", u""};
  const std::vector<unsigned char> buffer = candidateList(readings);
  std::vector<std::u16string> out;
  parseCandidateList(buffer.data(), static_cast<std::uint32_t>(buffer.size()), out);
  EXPECT_EQ(out, readings);
}

TEST(RevConvCandidateList, DamagedAnswersStopAtTheBuffersEnd) {
  std::vector<unsigned char> buffer = candidateList({u"はし", u"きょう"});
  std::vector<std::u16string> out;
  std::uint32_t huge = 0xFFFFFFF0u;
  std::vector<unsigned char> badCount = buffer;
  std::memcpy(badCount.data() + 8, &huge, 4);
  parseCandidateList(badCount.data(), static_cast<std::uint32_t>(badCount.size()), out);
  EXPECT_EQ(out.size(), 2u) << "the count is bounded by the offsets that fit";
  out.clear();
  std::vector<unsigned char> badOffset = buffer;
  std::memcpy(badOffset.data() + 28, &huge, 4);
  parseCandidateList(badOffset.data(), static_cast<std::uint32_t>(badOffset.size()), out);
  EXPECT_EQ(out, std::vector<std::u16string>{u"はし"});
  out.clear();
  parseCandidateList(buffer.data(), static_cast<std::uint32_t>(buffer.size() - 2), out);
  EXPECT_EQ(out, std::vector<std::u16string>{u"はし"}) << "a string without its NUL is dropped";
  out.clear();
  parseCandidateList(buffer.data(), 20, out);
  EXPECT_TRUE(out.empty());
}

#ifndef _WIN32
#include <iconv.h>

#include <random>

#include "revconv/text_codec.h"

namespace {
// iconv over the whole text at once, one replacement (U+FFFD, '?') for what it cannot convert.
template <class Out>
Out byIconv(const char* to, const char* from, const void* text, std::size_t bytes, std::size_t unit) {
  iconv_t cd = iconv_open(to, from);
  Out result;
  char* in = static_cast<char*>(const_cast<void*>(text));
  while (bytes > 0) {
    char buffer[64];
    char* out = buffer;
    std::size_t outLeft = sizeof buffer;
    const std::size_t r = iconv(cd, &in, &bytes, &out, &outLeft);
    result.append(reinterpret_cast<const typename Out::value_type*>(buffer), (sizeof buffer - outLeft) / sizeof(typename Out::value_type));
    if (r == static_cast<std::size_t>(-1) && errno != E2BIG) {
      result.push_back(unit == 1 ? u'\xFFFD' : '?');
      char16_t first = 0;
      if (unit == 2) std::memcpy(&first, in, 2);
      const std::size_t skip = first >= 0xD800 && first <= 0xDBFF && bytes >= 4 ? 4 : unit;
      in += skip;
      bytes -= skip;
    }
  }
  iconv_close(cd);
  return result;
}
}  // namespace

// Every byte, every two bytes, every character of the BMP and random mixtures convert as
// iconv converts them, undefined and truncated sequences included.
TEST(TextCodec, ConvertsAsIconvDoes) {
  auto decodes = [](const std::string& text) {
    EXPECT_EQ(cp932ToUtf16(text.c_str()), (byIconv<std::u16string>("UTF-16LE", "CP932", text.data(), text.size(), 1)))
        << testing::PrintToString(text);
  };
  auto encodes = [](const std::u16string& text) {
    EXPECT_EQ(utf16ToCp932(text.c_str()), (byIconv<std::string>("CP932", "UTF-16LE", text.data(), 2 * text.size(), 2)))
        << std::hex << static_cast<unsigned>(text[0]);
  };
  for (unsigned a = 1; a < 256; ++a) {
    decodes(std::string(1, static_cast<char>(a)));
    for (unsigned b = 1; b < 256; ++b) decodes({static_cast<char>(a), static_cast<char>(b), 'x'});
  }
  for (unsigned c = 1; c < 0x10000; ++c) encodes({static_cast<char16_t>(c), u'a'});
  encodes(u"\xD800");
  encodes(u"\xD83D\xDE00\x3042");
  std::mt19937 random(7);
  for (int i = 0; i < 2000; ++i) {
    std::string bytes;
    std::u16string units;
    for (int n = 0; n < 12; ++n) {
      bytes.push_back(static_cast<char>(1 + random() % 255));
      units.push_back(static_cast<char16_t>(random() % 4 == 0 ? 0xD800 + random() % 0x800 : 1 + random() % 0xFFFF));
    }
    decodes(bytes);
    encodes(units);
  }
}
#endif
