// The list font created from the settings.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "app/list_font.h"
#include "settings/settings.h"

namespace obel {
namespace {

LOGFONTA fontOf(HFONT font) {
  LOGFONTA lf{};
  GetObjectA(font, sizeof lf, &lf);
  return lf;
}

TEST(ListFont, TakesTheFaceAndTheFontSizeSetting) {
  process::settings() = Settings{};
  process::settings().fontSize = 17;
  ASSERT_TRUE(createListFont("ＭＳ 明朝"));
  ASSERT_NE(process::listFont, nullptr);
  LOGFONTA lf = fontOf(process::listFont);
  EXPECT_EQ(lf.lfHeight, 17);
  EXPECT_EQ(lf.lfWidth, 0);
  EXPECT_EQ(lf.lfWeight, FW_NORMAL);
  EXPECT_EQ(lf.lfItalic, 0);
  EXPECT_EQ(lf.lfCharSet, SHIFTJIS_CHARSET);
  EXPECT_EQ(lf.lfQuality, PROOF_QUALITY);
  EXPECT_EQ(lf.lfPitchAndFamily, FIXED_PITCH | FF_MODERN);
  EXPECT_STREQ(lf.lfFaceName, "ＭＳ 明朝");

  // A new font replaces the old one, which is deleted.
  HFONT first = process::listFont;
  ASSERT_TRUE(createListFont("ＭＳ ゴシック"));
  EXPECT_NE(process::listFont, first);
  EXPECT_EQ(GetObjectType(first), 0u) << "the previous font was deleted";
  deleteListFont();
  EXPECT_EQ(process::listFont, nullptr);
}

TEST(ListFont, LongFaceNameIsCutBeforeAWholeCharacter) {
  process::settings() = Settings{};
  std::string face = "a" + std::string("漢漢漢漢漢漢漢漢漢漢漢漢漢漢漢漢漢漢漢漢");  // 41 bytes
  ASSERT_TRUE(createListFont(face.c_str()));
  LOGFONTA lf = fontOf(process::listFont);
  EXPECT_EQ(std::string(lf.lfFaceName), face.substr(0, 31)) << "31 bytes end on a character boundary here";
  std::string even = std::string("漢漢漢漢漢漢漢漢漢漢漢漢漢漢漢漢漢漢漢漢");  // 40 bytes
  ASSERT_TRUE(createListFont(even.c_str()));
  lf = fontOf(process::listFont);
  EXPECT_EQ(std::string(lf.lfFaceName), even.substr(0, 30)) << "the 16th character does not fit whole";
  deleteListFont();
}

}  // namespace
}  // namespace obel
