#pragma once
// Arithmetic of the main window's layout and stored placement.
#include "app/dialog_text.h"

namespace obel {

// Height of a folded group box, in pixels.
constexpr int FoldedGroupHeight = 16;

// Keeps a proposed window rectangle at least minWidth x minHeight: the edge being dragged is
// pushed back, the opposite edge stays (the dragged edge is the one that differs from last).
// dx and dy receive the change of size against last.
void applySizingRule(Area& proposed, const Area& last, int minWidth, int minHeight, int& dx, int& dy);

// The five stored keys of the window placement.
struct PlacementKeys {
  int left, top, width, height, maximized;
};

// A placement is complete when none of its keys holds the absent mark.
bool isPlacementComplete(const PlacementKeys& keys, int absentMark);

// Height change of a group box: unfolding returns to the saved height, folding to the folded one.
int foldHeightChange(bool unfolding, int currentHeight, int savedHeight);

// A dialog laid out for one font and shown in a wider one cuts its captions. Such a dialog is
// widened as a whole: every horizontal edge (of each control and of the client area) is
// multiplied by one factor, so each control gets more room and its neighbours move apart in the
// same proportion, and nothing that did not overlap overlaps. Heights follow the font already,
// since the dialog units' height is taken from the font's line.
struct Widening {
  long long numerator, denominator;  // the factor, at least 1
};
constexpr Widening NoWidening{1, 1};

// The width of a control and the width it needs to show its caption whole (the caption's own
// width and whatever the control draws beside it: a check box, a button's edges).
struct CaptionRoom {
  int width, needed;
};

// The smallest factor that gives every control the width it needs, allowing for the pixel lost
// to rounding each edge; NoWidening when every caption fits as laid out.
Widening captionWidening(const CaptionRoom* rooms, int count);
bool widens(const Widening& w);
// A horizontal position or width after the widening, rounded to the nearest pixel. The same
// rounding for every edge keeps their order.
int widenedEdge(int x, const Widening& w);

}  // namespace obel
