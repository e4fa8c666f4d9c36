#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "app/dialog_text.h"

namespace obel {
namespace {

struct Limited {
  std::string text;
  std::size_t caret;
};

Limited limit(const std::string& text, std::size_t maximum, std::size_t caret) {
  std::string buffer = text;
  std::size_t cut = limitTextBuffer(buffer.data(), text.size(), maximum, caret);
  return {std::string(buffer.c_str()), cut};
}

TEST(DialogText, LimitRemovesWhatWasJustTypedBeforeTheCaret) {
  struct Case {
    const char* name;
    std::string text;
    std::size_t maximum, caret;
    std::string expected;
    std::size_t expectedCaret;
  };
  const Case cases[] = {
      {"within the limit", "abc", 3, 1, "abc", 1},
      {"one byte too many at the end", "abcd", 3, 4, "abc", 3},
      // A double-byte character typed into a field one byte short of full goes whole.
      {"double-byte at the limit", "ab" "漢", 3, 4, "ab", 2},
      {"double-byte typed in the middle", "a" "漢" "b", 3, 3, "ab", 1},
      // Pasting into the middle removes the pasted excess just before the caret.
      {"paste into the middle", "ab" "XYZ" "cd", 5, 5, "abXcd", 3},
      {"paste that ends inside a character", "ab" "X漢" "cd", 5, 5, "abXcd", 3},
      // The excess is larger than the text before the caret: keep the start.
      {"caret near the start", "abcdef", 4, 1, "abcd", 0},
      {"caret near the start, character at the edge", "abc漢d", 4, 0, "abc", 0},
      {"caret past the end is taken as the end", "abcd", 3, 99, "abc", 3},
      {"cut right at the start", "XYab", 2, 2, "ab", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Limited r = limit(c.text, c.maximum, c.caret);
    EXPECT_EQ(r.text, c.expected);
    EXPECT_EQ(r.caret, c.expectedCaret);
    EXPECT_LE(r.text.size(), c.maximum);
  }
}

TEST(DialogText, CharacterAndByteCounts) {
  const char* text = "a漢b字";  // 1 + 2 + 1 + 2 bytes
  EXPECT_EQ(bytesOfCharacters(text, 0), 0u);
  EXPECT_EQ(bytesOfCharacters(text, 2), 3u);
  EXPECT_EQ(bytesOfCharacters(text, 4), 6u);
  EXPECT_EQ(bytesOfCharacters(text, 10), 6u);
  EXPECT_EQ(charactersOfBytes(text, 3), 2u);
  EXPECT_EQ(charactersOfBytes(text, 6), 4u);
  EXPECT_EQ(charactersOfBytes(text, 2), 2u) << "a character cut at the end counts";
  EXPECT_FALSE(isTrailByteAt(text, 0));
  EXPECT_FALSE(isTrailByteAt(text, 1));
  EXPECT_TRUE(isTrailByteAt(text, 2));
  EXPECT_FALSE(isTrailByteAt(text, 3));
  EXPECT_TRUE(isTrailByteAt(text, 5));
  // ソ (0x83 0x5C) holds a backslash byte as its trail byte.
  EXPECT_TRUE(isTrailByteAt("ソ", 1));
  // A lead byte as the last byte stands alone.
  EXPECT_EQ(charactersOfBytes("a\x88", 2), 2u);
  EXPECT_FALSE(isTrailByteAt("a\x88", 2));
}

TEST(DialogText, ClampKeepsTheWindowInsideTheArea) {
  const Area area{0, 0, 1024, 740};
  struct Case {
    int x, y, width, height;
    int ex, ey, ew, eh;
  };
  const Case cases[] = {
      {100, 100, 200, 100, 100, 100, 200, 100},
      {-50, -10, 200, 100, 0, 0, 200, 100},
      {900, 700, 200, 100, 824, 640, 200, 100},
      {10, 10, 2000, 1000, 0, 0, 1024, 740},  // larger than the area: shrunk, top-left
  };
  for (const Case& c : cases) {
    int x = c.x, y = c.y, w = c.width, h = c.height;
    clampToArea(area, x, y, w, h);
    EXPECT_EQ(x, c.ex);
    EXPECT_EQ(y, c.ey);
    EXPECT_EQ(w, c.ew);
    EXPECT_EQ(h, c.eh);
  }
  const Area offset{100, 50, 500, 450};
  int x = 0, y = 0, w = 100, h = 100;
  clampToArea(offset, x, y, w, h);
  EXPECT_EQ(x, 100);
  EXPECT_EQ(y, 50);
}

TEST(DialogText, CentredPositionTruncatesTowardZero) {
  int x, y;
  centeredPosition(Area{0, 0, 101, 51}, Area{0, 0, 1000, 500}, x, y);
  EXPECT_EQ(x, 500 - 50);
  EXPECT_EQ(y, 250 - 25);
  // Negative sums: truncation toward zero, not flooring.
  centeredPosition(Area{0, 0, 10, 10}, Area{-301, -3, 0, 0}, x, y);
  EXPECT_EQ(x, -150 - 5);
  EXPECT_EQ(y, -1 - 5);
}

}  // namespace
}  // namespace obel
