#include "engine/sjis.h"
#include <gtest/gtest.h>

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
