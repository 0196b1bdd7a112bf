// The copy positions of a point item: a single point, a circle of copies, rows of copies
// (straight or staggered, visited in a serpentine order) or a rectangular frame. The first
// link holds the point, the column and row spacing in its centre field, for a circle the
// radius in its Z and the start angle and the angle step in its angle fields; the closing
// record holds the column count, the row count and the array kind.
#pragma once

#include <cmath>
#include <functional>

#include "geometry/drawing_item.h"

constexpr uint8_t POINT_ARRAY_NONE = 0;
constexpr uint8_t POINT_ARRAY_ROWS = 1;             // rows, not shifted
constexpr uint8_t POINT_ARRAY_STAGGERED = 2;        // odd rows shifted half a step right
constexpr uint8_t POINT_ARRAY_STAGGERED_WIDE = 3;   // even rows one copy fewer, odd shifted right
constexpr uint8_t POINT_ARRAY_STAGGERED_NARROW = 4; // odd rows one copy fewer, shifted left
constexpr uint8_t POINT_ARRAY_CIRCLE = 5;
constexpr uint8_t POINT_ARRAY_FRAME = 6;

using ArrayPositionFn = std::function<void(const PointF& position)>;

// The closing record of a point item (its one link), or null when first is not followed by it.
inline LinkRecord* point_array_closing(LinkRecord* first) {
  return (first[1].node_flags & NODE_CLOSING) != 0 ? first + 1 : nullptr;
}

// Calls fn with every copy position of the point item whose first link is first.
inline void for_each_array_position(LinkRecord* first, const ArrayPositionFn& fn) {
  const PointF p = first->point;
  LinkRecord* closing = point_array_closing(first);
  const uint8_t kind = closing == nullptr ? POINT_ARRAY_NONE : point_array_kind(closing);
  if (kind == POINT_ARRAY_NONE) {
    if (closing != nullptr) closing->point = p;
    fn(p);
    return;
  }
  const int columns = point_array_columns(closing);
  const int rows = point_array_rows(closing);
  const float sx = first->centre.x;
  const float sy = first->centre.y;
  if (kind == POINT_ARRAY_CIRCLE) {
    const int count = columns | (rows << 8);
    const double radius = first->z;
    if (count == 0 || !(radius > 0.0)) return;
    const double step = first->sweep != 0.0f ? first->sweep : ANGLE_TWO_PI / count;
    double angle = first->start_angle;
    for (int k = 0; k < count; ++k) {
      fn(PointF{static_cast<float>(p.x + radius * std::cos(angle)),
                static_cast<float>(p.y + radius * std::sin(angle))});
      angle = normalize_angle(angle + step);
    }
    return;
  }
  auto at = [&](double cx, double cy) {
    fn(PointF{static_cast<float>(p.x + cx * sx), static_cast<float>(p.y + cy * sy)});
  };
  if (kind == POINT_ARRAY_FRAME) {
    for (int c = 0; c < columns - 1; ++c) at(c, 0);  // along the bottom
    if (rows < 2) return;
    for (int r = 0; r < rows; ++r) at(columns - 1, r);  // up the right side from its corner
    if (columns < 2) return;
    for (int c = columns - 2; c >= 0; --c) at(c, rows - 1);  // back along the top
    for (int r = rows - 2; r >= 1; --r) at(0, r);            // down the left side
    return;
  }
  // Rows in a serpentine: even rows run right from the point, odd rows run back from where
  // the row before ended, shifted by the kind's stagger.
  const int even_count = kind == POINT_ARRAY_STAGGERED_WIDE ? columns - 1 : columns;
  const int odd_count = kind == POINT_ARRAY_STAGGERED_NARROW ? columns - 1 : columns;
  const double shift = kind == POINT_ARRAY_STAGGERED || kind == POINT_ARRAY_STAGGERED_WIDE ? 0.5
                       : kind == POINT_ARRAY_STAGGERED_NARROW                               ? -0.5
                                                                                            : 0.0;
  for (int r = 0; r < rows; ++r) {
    if (r % 2 == 0) {
      for (int c = 0; c < even_count; ++c) at(c, r);
    } else {
      const double start = (even_count - 1) + shift;
      for (int c = 0; c < odd_count; ++c) at(start - c, r);
    }
  }
}

// The position of the first copy: for a circle the point at the radius and the start angle
// (false when the radius is not positive), otherwise the point itself.
inline bool array_first_position(LinkRecord* first, PointF* out) {
  LinkRecord* closing = point_array_closing(first);
  if (closing != nullptr && point_array_kind(closing) == POINT_ARRAY_CIRCLE) {
    const double radius = first->z;
    if (!(radius > 0.0)) return false;
    out->x = static_cast<float>(first->point.x + radius * std::cos(first->start_angle));
    out->y = static_cast<float>(first->point.y + radius * std::sin(first->start_angle));
    return true;
  }
  *out = first->point;
  return true;
}
