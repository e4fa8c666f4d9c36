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

}  // namespace obel
