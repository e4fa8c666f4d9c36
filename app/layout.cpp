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

Widening captionWidening(const CaptionRoom* rooms, int count) {
  Widening widest = NoWidening;
  for (int i = 0; i < count; ++i) {
    const CaptionRoom& room = rooms[i];
    if (room.needed <= room.width || room.width <= 0) continue;
    // Both edges rounded cost the width at most one pixel.
    const Widening w{room.needed + 1, room.width};
    if (w.numerator * widest.denominator > widest.numerator * w.denominator) widest = w;
  }
  return widest;
}

bool widens(const Widening& w) { return w.numerator > w.denominator; }

int widenedEdge(int x, const Widening& w) {
  const long long scaled = 2 * x * w.numerator + (x < 0 ? -w.denominator : w.denominator);
  return static_cast<int>(scaled / (2 * w.denominator));
}

}  // namespace obel
