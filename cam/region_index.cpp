// The grid over a region's links.
#include "cam/region_index.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double FAR_DISTANCE = 9999999.0;  // what a scan that found nothing in band answers

struct Box {
  double low_x, low_y, high_x, high_y;
};

// A box holding every point of the link.
Box link_box(const ContourLink& l, const ContourNode* nodes) {
  const ContourNode& s = nodes[l.start_node];
  const ContourNode& e = nodes[l.end_node];
  Box b{std::min(s.x, e.x), std::min(s.y, e.y), std::max(s.x, e.x), std::max(s.y, e.y)};
  if (l.kind == SEGMENT_ARC) {
    b.low_x = std::min(b.low_x, l.bound_x - l.bound_radius);
    b.low_y = std::min(b.low_y, l.bound_y - l.bound_radius);
    b.high_x = std::max(b.high_x, l.bound_x + l.bound_radius);
    b.high_y = std::max(b.high_y, l.bound_y + l.bound_radius);
  }
  return b;
}

int32_t clamp_cell(double v, double low, double cell, int32_t count) {
  const double k = std::floor((v - low) / cell);
  if (!(k > 0.0)) return 0;  // also catches NaN
  return k >= count - 1 ? count - 1 : static_cast<int32_t>(k);
}

void add_loop(RegionIndex* index, int32_t first, int32_t last) {
  for (int32_t k = first; k <= last; ++k) index->member.push_back(k);
}

// Where the horizontal ray from (x, y) crosses the link (0, 1 or 2 times); the ray runs to
// +x, or to -x when `left` is set.
int32_t ray_crossings(const ContourLink& l, const ContourNode* nodes, double x, double y,
                      bool left) {
  const ContourNode& s = nodes[l.start_node];
  const ContourNode& e = nodes[l.end_node];
  auto beyond = [&](double px) { return left ? px < x : px > x; };
  if (l.kind != SEGMENT_ARC) {
    if ((s.y > y) == (e.y > y)) return 0;
    return beyond(s.x + (y - s.y) * (e.x - s.x) / (e.y - s.y)) ? 1 : 0;
  }
  const ContourNode& c = nodes[l.centre_node];
  const double dy = y - c.y;
  if (!(std::fabs(dy) < l.radius)) return 0;
  const double dx = std::sqrt(l.radius * l.radius - dy * dy);
  // The chord cuts the circle into two arcs: a counter-clockwise arc is the part on the
  // chord's right, a clockwise arc the part on its left.
  const double chord_x = e.x - s.x, chord_y = e.y - s.y;
  const double want = l.direction == CONTOUR_CLOCKWISE ? 1.0 : -1.0;
  int32_t n = 0;
  for (const double px : {c.x - dx, c.x + dx}) {
    if (!beyond(px)) continue;
    const double side = chord_x * (y - s.y) - chord_y * (px - s.x);
    if (side * want > 0.0) ++n;
  }
  return n;
}

}  // namespace

LoopBox loop_node_box(const ContourLink* links, const ContourNode* nodes, int32_t first,
                      int32_t last) {
  LoopBox b{1e300, 1e300, -1e300, -1e300};
  for (int32_t k = first; k <= last; ++k) {
    const ContourNode& p = nodes[links[k].start_node];
    b.low_x = std::min(b.low_x, p.x);
    b.low_y = std::min(b.low_y, p.y);
    b.high_x = std::max(b.high_x, p.x);
    b.high_y = std::max(b.high_y, p.y);
  }
  return b;
}

LoopBox loop_reach_box(const ContourLink* links, const ContourNode* nodes, int32_t first,
                       int32_t last) {
  LoopBox b{1e300, 1e300, -1e300, -1e300};
  for (int32_t k = first; k <= last; ++k) {
    const Box l = link_box(links[k], nodes);
    b.low_x = std::min(b.low_x, l.low_x);
    b.low_y = std::min(b.low_y, l.low_y);
    b.high_x = std::max(b.high_x, l.high_x);
    b.high_y = std::max(b.high_y, l.high_y);
  }
  return b;
}

bool box_may_hold(const LoopBox& outer, const LoopBox& inner) {
  return inner.low_x >= outer.low_x && inner.low_y >= outer.low_y &&
         inner.high_x <= outer.high_x && inner.high_y <= outer.high_y;
}

void build_region_index(const RegionView& region, RegionIndex* index) {
  index->links = region.links;
  index->nodes = region.nodes;
  index->member.clear();
  add_loop(index, region.start, region.end);
  for (int32_t i = 0; i < region.island_count; ++i) {
    add_loop(index, region.island_start[i], region.island_end[i]);
  }
  const size_t n = index->member.size();
  std::vector<Box> boxes(n);
  Box all{1e300, 1e300, -1e300, -1e300};
  for (size_t m = 0; m < n; ++m) {
    const int32_t k = index->member[m];
    boxes[m] = link_box(region.links[k], region.nodes);
    all.low_x = std::min(all.low_x, boxes[m].low_x);
    all.low_y = std::min(all.low_y, boxes[m].low_y);
    all.high_x = std::max(all.high_x, boxes[m].high_x);
    all.high_y = std::max(all.high_y, boxes[m].high_y);
  }
  if (n == 0) all = {0.0, 0.0, 0.0, 0.0};
  const double w = all.high_x - all.low_x, h = all.high_y - all.low_y;
  // About one cell per link, square cells, never more cells than links allow.
  double cell = std::sqrt(std::max(w * h, 1e-30) / std::max<size_t>(n, 1));
  cell = std::max({cell, std::max(w, h) / (4.0 * static_cast<double>(n) + 4.0), 1e-12});
  index->low_x = all.low_x;
  index->low_y = all.low_y;
  index->cell = cell;
  index->columns = static_cast<int32_t>(std::min(w / cell + 1.0, 4.0 * n + 8.0));
  index->rows = static_cast<int32_t>(std::min(h / cell + 1.0, 4.0 * n + 8.0));
  index->columns = std::max(index->columns, 1);
  index->rows = std::max(index->rows, 1);
  const size_t cells = static_cast<size_t>(index->columns) * index->rows;
  index->cell_begin.assign(cells + 1, 0);
  auto each_cell = [&](const Box& b, auto&& f) {
    const int32_t c0 = clamp_cell(b.low_x, index->low_x, cell, index->columns);
    const int32_t c1 = clamp_cell(b.high_x, index->low_x, cell, index->columns);
    const int32_t r0 = clamp_cell(b.low_y, index->low_y, cell, index->rows);
    const int32_t r1 = clamp_cell(b.high_y, index->low_y, cell, index->rows);
    for (int32_t r = r0; r <= r1; ++r) {
      for (int32_t c = c0; c <= c1; ++c) f(static_cast<size_t>(r) * index->columns + c);
    }
  };
  for (size_t m = 0; m < n; ++m) each_cell(boxes[m], [&](size_t c) { ++index->cell_begin[c + 1]; });
  for (size_t c = 1; c <= cells; ++c) index->cell_begin[c] += index->cell_begin[c - 1];
  index->cell_links.assign(static_cast<size_t>(index->cell_begin[cells]), 0);
  std::vector<int32_t> fill(index->cell_begin.begin(), index->cell_begin.end() - 1);
  for (size_t m = 0; m < n; ++m) {
    each_cell(boxes[m], [&](size_t c) { index->cell_links[fill[c]++] = static_cast<int32_t>(m); });
  }
  index->stamp.assign(n, 0);
  index->boundary_count = std::max(0, region.end - region.start + 1);
  index->query = 0;
}

double index_distance(RegionIndex* index, double x, double y, double band, int32_t skip_a,
                      int32_t skip_b) {
  double m = FAR_DISTANCE;
  if (index->member.empty()) return m;
  const int32_t q = ++index->query;
  const int32_t c0 = clamp_cell(x - band, index->low_x, index->cell, index->columns);
  const int32_t c1 = clamp_cell(x + band, index->low_x, index->cell, index->columns);
  const int32_t r0 = clamp_cell(y - band, index->low_y, index->cell, index->rows);
  const int32_t r1 = clamp_cell(y + band, index->low_y, index->cell, index->rows);
  for (int32_t r = r0; r <= r1; ++r) {
    for (int32_t c = c0; c <= c1; ++c) {
      const size_t cell = static_cast<size_t>(r) * index->columns + c;
      for (int32_t e = index->cell_begin[cell]; e < index->cell_begin[cell + 1]; ++e) {
        const int32_t at = index->cell_links[e];
        const int32_t k = index->member[at];
        if (index->stamp[at] == q || k == skip_a || k == skip_b) continue;
        index->stamp[at] = q;
        m = std::min(m, distance_to_segment(x, y, index->links[k], index->nodes, band));
      }
    }
  }
  return m;
}

bool index_in_material(RegionIndex* index, double x, double y, double nudge) {
  if (index->member.empty()) return false;
  y += nudge;
  if (y < index->low_y || y > index->low_y + index->rows * index->cell) return false;
  const int32_t q = ++index->query;
  const int32_t row = clamp_cell(y, index->low_y, index->cell, index->rows);
  const int32_t c0 = clamp_cell(x, index->low_x, index->cell, index->columns);
  // The ray leaves towards the nearer side of the grid: either way it counts the same.
  const bool left = c0 < index->columns / 2;
  const int32_t from = left ? 0 : c0, to = left ? c0 : index->columns - 1;
  // Crossings of the boundary (the first loop) and of the islands, counted apart: a point is
  // in the material inside the boundary and outside every island.
  int32_t boundary = 0, islands = 0;
  for (int32_t c = from; c <= to; ++c) {
    const size_t cell = static_cast<size_t>(row) * index->columns + c;
    for (int32_t e = index->cell_begin[cell]; e < index->cell_begin[cell + 1]; ++e) {
      const int32_t at = index->cell_links[e];
      if (index->stamp[at] == q) continue;
      index->stamp[at] = q;
      const int32_t n = ray_crossings(index->links[index->member[at]], index->nodes, x, y, left);
      if (at < index->boundary_count) {
        boundary += n;
      } else {
        islands += n;
      }
    }
  }
  return boundary % 2 == 1 && islands % 2 == 0;
}
