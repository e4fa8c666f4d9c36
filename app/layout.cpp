#include "app/layout.h"

namespace obel {

void applySizingRule(Area& r, const Area& last, int minWidth, int minHeight, int& dx, int& dy) {
  if (r.right - r.left < minWidth) {
    if (r.left == last.left) {
      r.right = r.left + minWidth;
    } else {
      r.left = r.right - minWidth;
    }
  }
  if (r.bottom - r.top < minHeight) {
    if (r.top == last.top) {
      r.bottom = r.top + minHeight;
    } else {
      r.top = r.bottom - minHeight;
    }
  }
  dx = (r.right - r.left) - (last.right - last.left);
  dy = (r.bottom - r.top) - (last.bottom - last.top);
}

bool isPlacementComplete(const PlacementKeys& keys, int absentMark) {
  return keys.left != absentMark && keys.top != absentMark && keys.width != absentMark &&
         keys.height != absentMark && keys.maximized != absentMark;
}

int foldHeightChange(bool unfolding, int currentHeight, int savedHeight) {
  return unfolding ? savedHeight - FoldedGroupHeight : FoldedGroupHeight - currentHeight;
}

}  // namespace obel
