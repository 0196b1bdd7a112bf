// Building segments and contours of lines and arcs for the contour tests, a fixture that
// catches the kernel's messages, and an independent flattening of contours (counter-clockwise
// angles from +X, atan2) to check the kernel against.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "geometry/contour_kernel.h"

namespace contour_test {

// One corner of a closed contour and the edge that leaves it: a line, or an arc about
// (cx, cy) running in `direction`.
struct Corner {
  double x, y;
  bool arc = false;
  double cx = 0.0, cy = 0.0;
  int32_t direction = CONTOUR_COUNTER_CLOCKWISE;
};

inline Corner line_corner(double x, double y) { return Corner{x, y}; }
inline Corner arc_corner(double x, double y, double cx, double cy, int32_t direction) {
  return Corner{x, y, true, cx, cy, direction};
}

// Messages the kernel showed through its host hook during the running test.
inline std::vector<std::string> g_shown;

// Tests that start and end with a fresh kernel state and catch the kernel's messages in
// g_shown.
class KernelMessagesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    reset_contour_kernel_state();
    g_shown.clear();
    g_contour_kernel.show_message = [](const char* text) { g_shown.emplace_back(text); };
  }
  void TearDown() override { reset_contour_kernel_state(); }
};

// A line or arc segment between nodes already in a node array.
inline ContourLink line_link(int32_t start, int32_t end) {
  ContourLink l;
  l.kind = SEGMENT_LINE;
  l.start_node = start;
  l.end_node = end;
  return l;
}
inline ContourLink arc_link(int32_t start, int32_t end, int32_t centre, double radius,
                            int32_t direction) {
  ContourLink l;
  l.kind = SEGMENT_ARC;
  l.start_node = start;
  l.end_node = end;
  l.centre_node = centre;
  l.radius = radius;
  l.direction = direction;
  return l;
}

// Link and node arrays holding any number of contours.
struct Shape {
  std::vector<ContourLink> links;
  std::vector<ContourNode> nodes;
  std::vector<int32_t> firsts;
  std::vector<int32_t> lasts;

  int32_t add_node(double x, double y) {
    nodes.push_back({x, y});
    return static_cast<int32_t>(nodes.size()) - 1;
  }

  // Appends a closed contour through the corners, sharing nodes; returns its index.
  int32_t add_closed(const std::vector<Corner>& corners) {
    const int32_t first = static_cast<int32_t>(links.size());
    const int32_t first_node = static_cast<int32_t>(nodes.size());
    for (const Corner& c : corners) add_node(c.x, c.y);
    const int32_t n = static_cast<int32_t>(corners.size());
    for (int32_t k = 0; k < n; ++k) {
      ContourLink l;
      l.start_node = first_node + k;
      l.end_node = first_node + (k + 1) % n;
      if (corners[k].arc) {
        l.kind = SEGMENT_ARC;
        l.centre_node = add_node(corners[k].cx, corners[k].cy);
        l.radius = std::hypot(corners[k].x - corners[k].cx, corners[k].y - corners[k].cy);
        l.direction = corners[k].direction;
      }
      links.push_back(l);
    }
    firsts.push_back(first);
    lasts.push_back(first + n - 1);
    return static_cast<int32_t>(firsts.size()) - 1;
  }

  // Appends an open path through the points (lines only); returns its index.
  int32_t add_open(const std::vector<ContourNode>& points) {
    const int32_t first = static_cast<int32_t>(links.size());
    const int32_t first_node = static_cast<int32_t>(nodes.size());
    for (const ContourNode& p : points) add_node(p.x, p.y);
    for (size_t k = 0; k + 1 < points.size(); ++k) {
      ContourLink l;
      l.start_node = first_node + static_cast<int32_t>(k);
      l.end_node = l.start_node + 1;
      links.push_back(l);
    }
    firsts.push_back(first);
    lasts.push_back(static_cast<int32_t>(links.size()) - 1);
    return static_cast<int32_t>(firsts.size()) - 1;
  }

  // Appends a full circle segment as its own contour.
  int32_t add_circle(double cx, double cy, double radius) {
    ContourLink l;
    l.kind = SEGMENT_CIRCLE;
    l.centre_node = add_node(cx, cy);
    l.start_node = l.end_node = l.centre_node;
    l.radius = radius;
    links.push_back(l);
    firsts.push_back(static_cast<int32_t>(links.size()) - 1);
    lasts.push_back(static_cast<int32_t>(links.size()) - 1);
    return static_cast<int32_t>(firsts.size()) - 1;
  }

  void set_bounds() {
    for (ContourLink& l : links) segment_bounding_circle(&l, nodes.data());
  }
};

// The corner whose edge to (qx, qy) is an arc with sagitta h: h > 0 bulges to the right of
// the travel from p to q, h < 0 to the left. |h| must stay below half the chord.
inline Corner bulged_corner(double px, double py, double qx, double qy, double h) {
  const double dx = qx - px, dy = qy - py;
  const double chord = std::hypot(dx, dy);
  const double a = std::fabs(h);
  const double radius = (chord * chord / 4.0 + a * a) / (2.0 * a);
  const double lx = -dy / chord, ly = dx / chord;  // left normal
  const double mx = (px + qx) / 2.0, my = (py + qy) / 2.0;
  const double side = h > 0.0 ? 1.0 : -1.0;  // the centre lies opposite the bulge
  return arc_corner(px, py, mx + side * (radius - a) * lx, my + side * (radius - a) * ly,
                    h > 0.0 ? CONTOUR_COUNTER_CLOCKWISE : CONTOUR_CLOCKWISE);
}

// ---- independent flattening ----

// Counter-clockwise sweep (radians, positive) or clockwise sweep (negative) of an arc
// segment, by atan2; coinciding ends make a full turn.
inline double signed_sweep(const ContourLink& l, const std::vector<ContourNode>& nodes) {
  const ContourNode& s = nodes[l.start_node];
  const ContourNode& e = nodes[l.end_node];
  const ContourNode& c = nodes[l.centre_node];
  const double a0 = std::atan2(s.y - c.y, s.x - c.x);
  const double a1 = std::atan2(e.y - c.y, e.x - c.x);
  double ccw = std::fmod(a1 - a0 + 4.0 * CONTOUR_PI, 2.0 * CONTOUR_PI);
  if (l.direction == CONTOUR_COUNTER_CLOCKWISE) return ccw == 0.0 ? 2.0 * CONTOUR_PI : ccw;
  const double cw = 2.0 * CONTOUR_PI - ccw;
  return -(cw == 2.0 * CONTOUR_PI ? 0.0 : cw);
}

// The contour as a polygon; arcs in steps of at most `step` radians. The polygon is closed
// implicitly (its last point is not repeated).
// `edge_of`, when given, receives the segment index of every polygon edge.
inline std::vector<ContourNode> flatten(const Shape& shape, int32_t contour, double step,
                                        std::vector<int32_t>* edge_of = nullptr) {
  std::vector<ContourNode> out;
  for (int32_t k = shape.firsts[contour]; k <= shape.lasts[contour]; ++k) {
    const ContourLink& l = shape.links[k];
    const ContourNode& s = shape.nodes[l.start_node];
    out.push_back(s);
    if (edge_of != nullptr) edge_of->push_back(k);
    if (l.kind != SEGMENT_ARC) continue;
    const ContourNode& c = shape.nodes[l.centre_node];
    const double sweep = signed_sweep(l, shape.nodes);
    const double a0 = std::atan2(s.y - c.y, s.x - c.x);
    const int n = std::max(1, static_cast<int>(std::ceil(std::fabs(sweep) / step)));
    for (int i = 1; i < n; ++i) {
      const double a = a0 + sweep * i / n;
      out.push_back({c.x + l.radius * std::cos(a), c.y + l.radius * std::sin(a)});
      if (edge_of != nullptr) edge_of->push_back(k);
    }
  }
  return out;
}

inline double polygon_area(const std::vector<ContourNode>& p) {
  double twice = 0.0;
  for (size_t i = 0; i < p.size(); ++i) {
    const ContourNode& a = p[i];
    const ContourNode& b = p[(i + 1) % p.size()];
    twice += a.x * b.y - b.x * a.y;
  }
  return twice / 2.0;
}

inline double polygon_length(const std::vector<ContourNode>& p) {
  double length = 0.0;
  for (size_t i = 0; i < p.size(); ++i) {
    const ContourNode& a = p[i];
    const ContourNode& b = p[(i + 1) % p.size()];
    length += std::hypot(b.x - a.x, b.y - a.y);
  }
  return length;
}

// Winding number of the polygon around (x, y).
inline int winding_number(const std::vector<ContourNode>& p, double x, double y) {
  int winding = 0;
  for (size_t i = 0; i < p.size(); ++i) {
    const ContourNode& a = p[i];
    const ContourNode& b = p[(i + 1) % p.size()];
    const double side = (b.x - a.x) * (y - a.y) - (x - a.x) * (b.y - a.y);
    if (a.y <= y) {
      if (b.y > y && side > 0.0) ++winding;
    } else {
      if (b.y <= y && side < 0.0) --winding;
    }
  }
  return winding;
}

inline double segment_distance(const ContourNode& a, const ContourNode& b, double x, double y) {
  const double dx = b.x - a.x, dy = b.y - a.y;
  const double l2 = dx * dx + dy * dy;
  double t = l2 > 0.0 ? ((x - a.x) * dx + (y - a.y) * dy) / l2 : 0.0;
  t = std::fmin(1.0, std::fmax(0.0, t));
  return std::hypot(x - (a.x + t * dx), y - (a.y + t * dy));
}

inline double polygon_distance(const std::vector<ContourNode>& p, double x, double y) {
  double best = 1e300;
  for (size_t i = 0; i < p.size(); ++i)
    best = std::fmin(best, segment_distance(p[i], p[(i + 1) % p.size()], x, y));
  return best;
}

// True when two polygon edges that are not neighbours cross, or when pieces of two
// segments that do not meet at a corner come closer than gap.
inline bool polygon_pinched(const std::vector<ContourNode>& p, const std::vector<int32_t>& edge_of,
                            int32_t segments, double gap) {
  const size_t n = p.size();
  for (size_t i = 0; i < n; ++i) {
    for (size_t j = i + 2; j < n; ++j) {
      if (i == 0 && j == n - 1) continue;
      const ContourNode& a = p[i];
      const ContourNode& b = p[(i + 1) % n];
      const ContourNode& c = p[j];
      const ContourNode& d = p[(j + 1) % n];
      const double d1 = (b.x - a.x) * (c.y - a.y) - (b.y - a.y) * (c.x - a.x);
      const double d2 = (b.x - a.x) * (d.y - a.y) - (b.y - a.y) * (d.x - a.x);
      const double d3 = (d.x - c.x) * (a.y - c.y) - (d.y - c.y) * (a.x - c.x);
      const double d4 = (d.x - c.x) * (b.y - c.y) - (d.y - c.y) * (b.x - c.x);
      if (d1 * d2 < 0.0 && d3 * d4 < 0.0) return true;
      const int32_t apart = std::abs(edge_of[i] - edge_of[j]);
      if (apart <= 1 || apart == segments - 1) continue;
      // Apart, two segments are nearest at an end of one of them.
      if (segment_distance(c, d, a.x, a.y) < gap || segment_distance(c, d, b.x, b.y) < gap ||
          segment_distance(a, b, c.x, c.y) < gap || segment_distance(a, b, d.x, d.y) < gap)
        return true;
    }
  }
  return false;
}

// Direction of travel of segment k at the point p on it.
inline void travel_direction(const Shape& shape, int32_t k, const ContourNode& p, double* dx,
                             double* dy) {
  const ContourLink& l = shape.links[k];
  if (l.kind != SEGMENT_ARC) {
    *dx = shape.nodes[l.end_node].x - shape.nodes[l.start_node].x;
    *dy = shape.nodes[l.end_node].y - shape.nodes[l.start_node].y;
    return;
  }
  const ContourNode& c = shape.nodes[l.centre_node];
  const double sign = l.direction == CONTOUR_COUNTER_CLOCKWISE ? 1.0 : -1.0;
  *dx = -sign * (p.y - c.y);
  *dy = sign * (p.x - c.x);
}

// Smallest angle (radians) at a corner between the way back along the incoming segment and
// the way on along the outgoing one: near 0 where the path doubles back.
inline double sharpest_corner(const Shape& shape, int32_t contour) {
  double sharpest = CONTOUR_PI;
  for (int32_t k = shape.firsts[contour]; k <= shape.lasts[contour]; ++k) {
    const int32_t previous = k == shape.firsts[contour] ? shape.lasts[contour] : k - 1;
    const ContourNode& p = shape.nodes[shape.links[k].start_node];
    double ix, iy, ox, oy;
    travel_direction(shape, previous, p, &ix, &iy);
    travel_direction(shape, k, p, &ox, &oy);
    const double angle = std::atan2(std::fabs(ix * oy - iy * ox), -(ix * ox + iy * oy));
    sharpest = std::min(sharpest, angle);
  }
  return sharpest;
}

// A seeded random star-shaped contour, counter-clockwise: 3 to 12 corners around a random
// centre at a random scale, about half of the edges arcs bulging outward or inward. Shapes
// whose edges come close to each other or that double back sharply at a corner (where two
// arcs may cross right beside it) are drawn again, so every result is simple.
inline Shape random_star(std::mt19937* rng) {
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  for (;;) {
    const int n = 3 + static_cast<int>(unit(*rng) * 10.0);
    const double scale = std::pow(10.0, unit(*rng) * 3.0 - 1.0);  // 0.1 .. 100
    const double ox = (unit(*rng) - 0.5) * 10.0 * scale;
    const double oy = (unit(*rng) - 0.5) * 10.0 * scale;
    const double turn = unit(*rng) * 2.0 * CONTOUR_PI;
    std::vector<ContourNode> points;
    for (int k = 0; k < n; ++k) {
      const double a = turn + 2.0 * CONTOUR_PI * (k + (unit(*rng) - 0.5) * 0.6) / n;
      const double r = scale * (0.6 + 0.8 * unit(*rng));
      points.push_back({ox + r * std::cos(a), oy + r * std::sin(a)});
    }
    std::vector<Corner> corners;
    for (int k = 0; k < n; ++k) {
      const ContourNode& p = points[k];
      const ContourNode& q = points[(k + 1) % n];
      if (unit(*rng) < 0.5) {
        corners.push_back(line_corner(p.x, p.y));
        continue;
      }
      const double chord = std::hypot(q.x - p.x, q.y - p.y);
      // Outward (right of a counter-clockwise contour) up to a near half circle, inward less.
      const double h =
          unit(*rng) < 0.6 ? chord * (0.05 + 0.4 * unit(*rng)) : -chord * (0.05 + 0.2 * unit(*rng));
      corners.push_back(bulged_corner(p.x, p.y, q.x, q.y, h));
    }
    Shape shape;
    shape.add_closed(corners);
    std::vector<int32_t> edge_of;
    const std::vector<ContourNode> outline = flatten(shape, 0, 0.1, &edge_of);
    if (polygon_pinched(outline, edge_of, n, 0.01 * scale)) continue;
    if (sharpest_corner(shape, 0) < 0.2) continue;
    shape.set_bounds();
    return shape;
  }
}

}  // namespace contour_test
