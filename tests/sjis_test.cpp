#include "engine/sjis.h"
#include <gtest/gtest.h>

#include <cstring>
#include <string>

TEST(Sjis, LeadBytesAreTheTwoRanges) {
  for (int b = 0; b < 256; ++b) {
    bool expected = (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
    EXPECT_EQ(obel::isLeadByte(static_cast<unsigned char>(b)), expected) << b;
  }
}

TEST(Sjis, LastBackslashSkipsTrailBytes) {
  EXPECT_EQ(obel::findLastBackslash("C:\\books\\a.txt"), 8);
  EXPECT_EQ(obel::findLastBackslash("a.txt"), -1);
  // ソ is 0x83 0x5C: its trail byte is not a separator.
  EXPECT_EQ(obel::findLastBackslash("C:\\ソ"), 2);
  EXPECT_EQ(obel::findLastBackslash("\\表"), 0);
  EXPECT_STREQ("ソ", "\x83\x5C");  // literals really are CP932
}

namespace {

// The CP932 code of the i-th character of a text of double-byte characters.
unsigned codeAt(const char* text, std::size_t i) {
  return static_cast<unsigned char>(text[2 * i]) * 256u + static_cast<unsigned char>(text[2 * i + 1]);
}

// The whole hiragana range ぁ-ん (the first row), each column the character in the same place
// of another row; ・ where the kana has none. う has no voiced form here: its voiced kana has no
// CP932 code.
enum HiraganaRow { Hiragana, Voiced, SemiVoiced, Unvoiced, Large };
constexpr const char* HiraganaRows[] = {
    "ぁあぃいぅうぇえぉおかがきぎくぐけげこごさざしじすずせぜそぞただちぢっつづてでとどなにぬねのはばぱひびぴふぶぷへべぺほぼぽまみむめもゃやゅゆょよらりるれろゎわゐゑをん",
    "・・・・・・・・・・が・ぎ・ぐ・げ・ご・ざ・じ・ず・ぜ・ぞ・だ・ぢ・・づ・で・ど・・・・・・ば・・び・・ぶ・・べ・・ぼ・・・・・・・・・・・・・・・・・・・・・・・・",
    "・・・・・・・・・・・・・・・・・・・・・・・・・・・・・・・・・・・・・・・・・・・・・・ぱ・・ぴ・・ぷ・・ぺ・・ぽ・・・・・・・・・・・・・・・・・・・・・・・・",
    "ぁあぃいぅうぇえぉおかかききくくけけここささししすすせせそそたたちちっつつててととなにぬねのはははひひひふふふへへへほほほまみむめもゃやゅゆょよらりるれろゎわゐゑをん",
    "ああいいううええおおかがきぎくぐけげこごさざしじすずせぜそぞただちぢつつづてでとどなにぬねのはばぱひびぴふぶぷへべぺほぼぽまみむめもややゆゆよよらりるれろわわゐゑをん",
};
// The katakana ァ-ヶ and their hiragana; ヴ ヵ ヶ stay as they are.
enum KatakanaRow { Katakana, KatakanaAsHiragana };
constexpr const char* KatakanaRows[] = {
    "ァアィイゥウェエォオカガキギクグケゲコゴサザシジスズセゼソゾタダチヂッツヅテデトドナニヌネノハバパヒビピフブプヘベペホボポマミムメモャヤュユョヨラリルレロヮワヰヱヲンヴヵヶ",
    "ぁあぃいぅうぇえぉおかがきぎくぐけげこごさざしじすずせぜそぞただちぢっつづてでとどなにぬねのはばぱひびぴふぶぷへべぺほぼぽまみむめもゃやゅゆょよらりるれろゎわゐゑをんヴヵヶ",
};
constexpr unsigned None = 0x8145;  // ・

}  // namespace

TEST(Sjis, KanaArithmeticOverTheWholeRange) {
  const std::size_t hiraganaCount = obel::LastHiragana - obel::FirstHiragana + 1;
  for (const char* row : HiraganaRows) ASSERT_EQ(std::strlen(row), 2 * hiraganaCount);
  auto expected = [](HiraganaRow row, std::size_t i) { return codeAt(HiraganaRows[row], i); };
  for (std::size_t i = 0; i < hiraganaCount; ++i) {
    const unsigned c = expected(Hiragana, i);
    EXPECT_EQ(c, obel::FirstHiragana + i);
    EXPECT_TRUE(obel::isHiragana(c));
    EXPECT_FALSE(obel::isKatakana(c));
    EXPECT_EQ(obel::utf16OfHiragana(c), u'\u3041' + i);
    EXPECT_EQ(obel::hiraganaOfUtf16(obel::utf16OfHiragana(c)), c);
    EXPECT_EQ(obel::voicedKana(c), expected(Voiced, i) == None ? 0 : expected(Voiced, i)) << i;
    EXPECT_EQ(obel::semiVoicedKana(c), expected(SemiVoiced, i) == None ? 0 : expected(SemiVoiced, i)) << i;
    EXPECT_EQ(obel::unvoicedKana(c), expected(Unvoiced, i)) << i;
    EXPECT_EQ(obel::largeKana(c), expected(Large, i)) << i;
    EXPECT_EQ(obel::toHiragana(c), c);
  }
  ASSERT_EQ(std::strlen(KatakanaRows[Katakana]), std::strlen(KatakanaRows[KatakanaAsHiragana]));
  for (std::size_t i = 0; i < std::strlen(KatakanaRows[Katakana]) / 2; ++i) {
    const unsigned c = codeAt(KatakanaRows[Katakana], i);
    EXPECT_TRUE(obel::isKatakana(c)) << i;
    EXPECT_FALSE(obel::isHiragana(c)) << i;
    EXPECT_EQ(obel::toHiragana(c), codeAt(KatakanaRows[KatakanaAsHiragana], i)) << i;
    EXPECT_EQ(obel::voicedKana(c), 0u) << i;
  }
  // the neighbours of both ranges are no kana, and 0x837F (between ミ and ム) is no character
  for (unsigned c : {0x829Eu, 0x82F2u, 0x833Fu, 0x837Fu, 0x8397u}) {
    EXPECT_FALSE(obel::isHiragana(c) || obel::isKatakana(c)) << c;
    EXPECT_EQ(obel::toHiragana(c), c);
    EXPECT_EQ(obel::unvoicedKana(c), c);
    EXPECT_EQ(obel::largeKana(c), c);
  }
}

TEST(Sjis, Utf8BadBytesAreOneEachAndDecodingGoesOn) {
  struct Case {
    std::string_view utf8;
    std::u16string replaced, asItself;
  };
  const Case cases[] = {
      {"a\xE3\x81\x82", u"a\u3042", u"a\u3042"},            // あ
      {"\xF0\x9F\x98\x80", u"\xD83D\xDE00", u"\xD83D\xDE00"},  // a character beyond U+FFFF
      {"\x80z", u"\xFFFDz", u"\x0080z"},                      // a continuation byte alone
      {"\xE3\x81z", u"\xFFFD\xFFFDz", u"\x00E3\x0081z"},      // a sequence cut short
      {"\xE3\x81", u"\xFFFD\xFFFD", u"\x00E3\x0081"},         // cut by the end
      {"\xFF\xC3\xA9", u"\xFFFD\u00E9", u"\x00FF\u00E9"},     // no lead byte, then U+00E9
  };
  for (const Case& c : cases) {
    EXPECT_EQ(obel::decodeUtf8(c.utf8), c.replaced);
    EXPECT_EQ(obel::decodeUtf8(c.utf8, obel::BadUtf8Byte::AsItself), c.asItself);
  }
}
