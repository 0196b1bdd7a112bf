// The test's own judge of symmetric polylines: reflection about a line in double, the middle of
// a link, and the check that every node and link of a symmetric polyline mirrors its partner;
// and the seeded walk of lines and arcs that the symmetry tests solve.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <random>

#include "geometry/drawing_item.h"
#include "geometry/float2d.h"

constexpr double SYMMETRY_TOLERANCE = 1e-5;

struct Reflector {
  double ax, ay, ux, uy;  // a point of the line and its unit direction
  Reflector(PointF a, PointF b) : ax(a.x), ay(a.y) {
    const double dx = static_cast<double>(b.x) - a.x;
    const double dy = static_cast<double>(b.y) - a.y;
    const double length = std::hypot(dx, dy);
    ux = dx / length;
    uy = dy / length;
  }
  PointD reflect(double x, double y) const {
    const double t = (x - ax) * ux + (y - ay) * uy;
    const double fx = ax + t * ux;
    const double fy = ay + t * uy;
    return {2 * fx - x, 2 * fy - y};
  }
  double distance(PointF p) const { return std::fabs((p.x - ax) * uy - (p.y - ay) * ux); }
};

// The point halfway along a link: the arc's own middle for an arc, else the chord's middle.
inline PointD link_middle(const LinkRecord* r) {
  if (!code_is_arc(r->code))
    return {(static_cast<double>(r->point.x) + r[1].point.x) / 2,
            (static_cast<double>(r->point.y) + r[1].point.y) / 2};
  const double a = static_cast<double>(r->start_angle) + r->sweep / 2.0;
  return {r->centre.x + r->code * std::cos(a), r->centre.y + r->code * std::sin(a)};
}

inline double distance_between(PointD a, PointF b) { return std::hypot(a.x - b.x, a.y - b.y); }
inline double distance_between(PointD a, PointD b) { return std::hypot(a.x - b.x, a.y - b.y); }

// Every node mirrors its partner, every link its partner (by its middle), and the middle sits
// as it must: on the line for an even count, a link crossing it for an odd one.
inline void expect_symmetric(const DrawingItem* item, const char* what) {
  const LinkRecord* r = item_nodes(item);
  const int m = item_link_count(item) - 2;
  const LinkRecord* nodes = r + 2;
  const Reflector line(r[0].point, r[1].point);
  for (int j = 0; j <= m; ++j) {
    const PointD image = line.reflect(nodes[m - j].point.x, nodes[m - j].point.y);
    EXPECT_LT(distance_between(image, nodes[j].point), SYMMETRY_TOLERANCE)
        << what << " node " << j << " of " << m;
  }
  for (int k = 0; k < m; ++k) {
    const LinkRecord& link = nodes[k];
    const LinkRecord& partner = nodes[m - 1 - k];
    EXPECT_EQ(code_is_arc(link.code), code_is_arc(partner.code)) << what << " link " << k;
    const PointD middle = link_middle(&partner);
    EXPECT_LT(distance_between(line.reflect(middle.x, middle.y), link_middle(&link)), 1e-4)
        << what << " link " << k << " of " << m;
  }
  if (m % 2 == 0) {
    EXPECT_LT(line.distance(nodes[m / 2].point), SYMMETRY_TOLERANCE) << what;
  }
}

// How a seeded walk is laid out: its size, where it stands, and whether its nodes alternate
// between loose and tangent (else all loose) with random heights (else 0).
struct SeedWalk {
  double scale = 1.0;
  PointF shift = {0.0f, 0.0f};
  bool varied_nodes = true;
};

// Fills the own records 2 .. m + 2 of a symmetric polyline with a seeded walk of m links (every
// third an arc turning either way when `arcs`); the halves are not symmetric yet.
inline void fill_seeded_walk(LinkRecord* r, int m, uint32_t seed, bool arcs, const SeedWalk& walk) {
  std::mt19937 random(seed);
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  const double k = walk.scale;
  const auto placed = [&](double x, double y) {
    return PointF{static_cast<float>(k * x + walk.shift.x), static_cast<float>(k * y + walk.shift.y)};
  };
  double x = -20 - 10 * unit(random);
  double y = -25 + 5 * unit(random);
  for (int j = 0; j < m; ++j) {
    LinkRecord& link = r[2 + j];
    link.point = placed(x, y);
    const float z = static_cast<float>(-unit(random));
    link.z = walk.varied_nodes ? z : 0.0f;
    link.node_flags = walk.varied_nodes && j % 2 != 0 ? NODE_TANGENT : NODE_LOOSE;
    link.node_number = static_cast<int16_t>(j + 3);
    if (arcs && j % 3 == 1) {
      const double radius = 3 + 4 * unit(random);
      const double towards = ANGLE_TWO_PI * unit(random);
      const double sweep = 0.4 + 1.8 * unit(random);
      const bool clockwise = unit(random) < 0.5;
      const double cx = x + radius * std::cos(towards);
      const double cy = y + radius * std::sin(towards);
      link.centre = placed(cx, cy);
      const double back = towards + ANGLE_PI + (clockwise ? -sweep : sweep);
      x = cx + radius * std::cos(back);
      y = cy + radius * std::sin(back);
      link.code = static_cast<float>(k * radius);
      if (clockwise) link.link_flags |= LINK_CLOCKWISE;
      r[2 + j + 1].point = placed(x, y);
      arc_angles_from_points(&link);
    } else {
      link.code = LINK_FLEXIBLE_LINE;
      x += 3 + 4 * unit(random);
      y += 8 * (unit(random) - 0.3);
    }
  }
  r[m + 2].point = placed(x, y);
}
