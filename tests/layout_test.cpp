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

}  // namespace
}  // namespace obel
