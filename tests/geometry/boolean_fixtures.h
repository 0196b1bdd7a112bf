// Pairs of contours for the boolean engine's tests, and measures of its result loops that do
// not go through the engine's own code: signed areas by the shoelace formula plus the
// circular segments of the arcs, chains, arc counts.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <vector>

#include "geometry/contour_boolean.h"
#include "geometry/contour_kernel.h"
#include "geometry/contour_network.h"
#include "tests/geometry/contour_shapes.h"

namespace boolean_test {

using contour_test::Shape;

// Both contours of `b` appended behind those of `a`, node and link indices moved along.
inline Shape join_shapes(const Shape& a, const Shape& b) {
  Shape s = a;
  const int32_t link_offset = static_cast<int32_t>(a.links.size());
  const int32_t node_offset = static_cast<int32_t>(a.nodes.size());
  for (ContourLink l : b.links) {
    l.start_node += node_offset;
    l.end_node += node_offset;
    l.centre_node += node_offset;
    s.links.push_back(l);
  }
  s.nodes.insert(s.nodes.end(), b.nodes.begin(), b.nodes.end());
  for (size_t c = 0; c < b.firsts.size(); ++c) {
    s.firsts.push_back(b.firsts[c] + link_offset);
    s.lasts.push_back(b.lasts[c] + link_offset);
  }
  return s;
}

inline void translate(Shape* s, double dx, double dy) {
  for (ContourNode& n : s->nodes) {
    n.x += dx;
    n.y += dy;
  }
}

// Combines contour 0 (A) with contour 1 (B) of the shape.
inline int32_t combine(const Shape& s, int32_t mode, ContourNetwork* out, int32_t flag = 1) {
  return combine_contours(s.links.data(), s.nodes.data(), s.firsts[0], s.lasts[0], s.firsts[1],
                          s.lasts[1], out, mode, flag);
}

// Area of one loop, positive when it runs counter-clockwise.
inline double loop_area(const std::vector<ContourLink>& links,
                        const std::vector<ContourNode>& nodes, int32_t first, int32_t last) {
  double area = 0.0;
  for (int32_t k = first; k <= last; ++k) {
    const ContourLink& l = links[k];
    const ContourNode& s = nodes[l.start_node];
    const ContourNode& e = nodes[l.end_node];
    area += 0.5 * (s.x * e.y - e.x * s.y);
    if (l.kind == SEGMENT_ARC) {
      const double sweep = contour_test::signed_sweep(l, nodes);
      area += 0.5 * l.radius * l.radius * (sweep - std::sin(sweep));
    }
  }
  return area;
}

inline double loop_area(const ContourNetwork& net, size_t c) {
  return loop_area(net.links, net.nodes, net.firsts[c], net.lasts[c]);
}

// The area the loops enclose together: outlines and holes run opposite ways, so their
// signed areas add up to the region's area (with one sign or the other).
inline double region_area(const ContourNetwork& net) {
  double sum = 0.0;
  for (size_t c = 0; c < net.firsts.size(); ++c) sum += loop_area(net, c);
  return std::fabs(sum);
}

inline int32_t count_arcs(const ContourNetwork& net) {
  int32_t arcs = 0;
  for (const ContourLink& l : net.links) arcs += l.kind == SEGMENT_ARC ? 1 : 0;
  return arcs;
}

// Every loop is a chain of shared nodes that closes on itself, and every arc's ends lie on
// its circle.
inline void expect_closed_loops(const ContourNetwork& net) {
  ASSERT_EQ(net.firsts.size(), net.lasts.size());
  for (size_t c = 0; c < net.firsts.size(); ++c) {
    ASSERT_LE(net.firsts[c], net.lasts[c]) << "loop " << c;
    for (int32_t k = net.firsts[c]; k < net.lasts[c]; ++k)
      EXPECT_EQ(net.links[k].end_node, net.links[k + 1].start_node) << "loop " << c;
    EXPECT_EQ(net.links[net.lasts[c]].end_node, net.links[net.firsts[c]].start_node)
        << "loop " << c;
    for (int32_t k = net.firsts[c]; k <= net.lasts[c]; ++k) {
      const ContourLink& l = net.links[k];
      if (l.kind != SEGMENT_ARC) continue;
      const ContourNode& centre = net.nodes[l.centre_node];
      for (const int32_t end : {l.start_node, l.end_node}) {
        const ContourNode& p = net.nodes[end];
        EXPECT_NEAR(std::hypot(p.x - centre.x, p.y - centre.y), l.radius, 1e-6 * l.radius)
            << "loop " << c << " link " << k;
      }
    }
  }
}

}  // namespace boolean_test
