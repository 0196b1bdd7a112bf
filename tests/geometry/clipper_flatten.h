// Drawing items handed to the outside polygon clipper that the offset tests and the offset
// benchmark measure the contour offset engine against: the clipper works on integer polygons,
// so arcs become chords and coordinates are scaled.
#pragma once

#include <polyclipping/clipper.hpp>

#include <algorithm>
#include <cmath>

#include "geometry/drawing_item.h"

// Drawing units times this are the clipper's integer coordinates: rounding moves a vertex by
// at most 0.71 / CLIPPER_SCALE.
constexpr double CLIPPER_SCALE = 1e6;

// The item's contour as a clipper polygon, its arcs flattened into chords whose sagitta is at
// most `sagitta`.
inline ClipperLib::Path flatten_for_clipper(const DrawingItem* item, double sagitta) {
  ClipperLib::Path path;
  const LinkRecord* r = item_nodes(item);
  auto add = [&path](double x, double y) {
    path.emplace_back(static_cast<ClipperLib::cInt>(std::llround(x * CLIPPER_SCALE)),
                      static_cast<ClipperLib::cInt>(std::llround(y * CLIPPER_SCALE)));
  };
  for (int i = 0; i < item_link_count(item); ++i) {
    add(r[i].point.x, r[i].point.y);
    if (!code_is_arc(r[i].code)) continue;
    const double radius = r[i].code;
    const double sweep = r[i].sweep;
    const double step = 2.0 * std::acos(std::fmax(1.0 - sagitta / radius, -1.0));
    const int parts = std::max(1, static_cast<int>(std::ceil(sweep / step)));
    const bool clockwise = (r[i].link_flags & LINK_CLOCKWISE) != 0;
    const double start = clockwise ? r[i].start_angle + sweep : r[i].start_angle;
    for (int k = 1; k < parts; ++k) {
      const double a = start + (clockwise ? -1.0 : 1.0) * sweep * k / parts;
      add(r[i].centre.x + radius * std::cos(a), r[i].centre.y + radius * std::sin(a));
    }
  }
  return path;
}
