#include <gtest/gtest.h>

#include "app/layout.h"

namespace obel {
namespace {

TEST(Layout, SizingRuleNeverGoesBelowTheMinimum) {
  const Area last{100, 100, 600, 700};  // 500 x 600
  struct Case {
    const char* name;
    Area proposed;
    Area expected;
    int dx, dy;
  };
  const Case cases[] = {
      {"larger is kept", {100, 100, 700, 800}, {100, 100, 700, 800}, 100, 100},
      {"right edge dragged inward", {100, 100, 500, 700}, {100, 100, 600, 700}, 0, 0},
      {"left edge dragged inward: right edge stays", {250, 100, 600, 700}, {100, 100, 600, 700}, 0, 0},
      {"bottom edge dragged inward", {100, 100, 600, 300}, {100, 100, 600, 700}, 0, 0},
      {"top edge dragged inward: bottom stays", {100, 400, 600, 700}, {100, 100, 600, 700}, 0, 0},
      {"corner dragged", {300, 500, 600, 700}, {100, 100, 600, 700}, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Area r = c.proposed;
    int dx = -1, dy = -1;
    applySizingRule(r, last, 500, 600, dx, dy);
    EXPECT_EQ(r.left, c.expected.left);
    EXPECT_EQ(r.top, c.expected.top);
    EXPECT_EQ(r.right, c.expected.right);
    EXPECT_EQ(r.bottom, c.expected.bottom);
    EXPECT_EQ(dx, c.dx);
    EXPECT_EQ(dy, c.dy);
  }
  // Growing from a larger last rectangle back to the minimum gives a negative change.
  Area r{0, 0, 400, 400};
  int dx, dy;
  applySizingRule(r, Area{0, 0, 900, 900}, 500, 600, dx, dy);
  EXPECT_EQ(r.right, 500);
  EXPECT_EQ(dx, -400);
  EXPECT_EQ(dy, -300);
}

TEST(Layout, PlacementIsCompleteOnlyWithAllFiveKeys) {
  const int absent = 32768;
  EXPECT_TRUE(isPlacementComplete({10, 20, 300, 400, 0}, absent));
  EXPECT_TRUE(isPlacementComplete({-10, -20, 300, 400, 1}, absent));
  const PlacementKeys missing[] = {{absent, 20, 300, 400, 0}, {10, absent, 300, 400, 0},
                                   {10, 20, absent, 400, 0}, {10, 20, 300, absent, 0},
                                   {10, 20, 300, 400, absent}};
  for (const PlacementKeys& k : missing) EXPECT_FALSE(isPlacementComplete(k, absent));
}

TEST(Layout, FoldingGoesToSixteenPixelsAndUnfoldingBackToTheSavedHeight) {
  EXPECT_EQ(foldHeightChange(false, 120, 0), 16 - 120);
  EXPECT_EQ(foldHeightChange(true, 16, 120), 120 - 16);
}

// Captions measured in a wider font than the layout's (the widths of a fresh Wine prefix's
// fallback font): one factor gives every control the room it needs wherever it stands, and
// edges that were in order stay in order, so neighbours never overlap.
TEST(Layout, CaptionWideningGivesEveryControlItsRoom) {
  const CaptionRoom fits[] = {{107, 107}, {159, 150}};
  EXPECT_FALSE(widens(captionWidening(fits, 2)));
  EXPECT_FALSE(widens(captionWidening(nullptr, 0)));

  const CaptionRoom cut[] = {{107, 124}, {159, 168}, {203, 233}, {44, 51}, {80, 60}};
  const Widening w = captionWidening(cut, 5);
  ASSERT_TRUE(widens(w));
  for (const CaptionRoom& room : cut) {
    for (int left : {0, 7, 345, 346, 1001}) {
      SCOPED_TRACE(std::to_string(room.width) + " at " + std::to_string(left));
      EXPECT_GE(widenedEdge(left + room.width, w) - widenedEdge(left, w), room.needed);
    }
  }
  // Edges keep their order: a neighbour that started where a control ended still does not
  // start before it ends.
  for (int x = 0; x < 1200; ++x) ASSERT_LT(widenedEdge(x, w), widenedEdge(x + 1, w)) << x;
  // The factor is the least that serves the neediest control: 51 px (and one for rounding)
  // in 44, not more.
  EXPECT_EQ(w.numerator * 44, w.denominator * 52);
  EXPECT_EQ(widenedEdge(0, w), 0);
  EXPECT_EQ(widenedEdge(44, w), 52);
}

}  // namespace
}  // namespace obel
