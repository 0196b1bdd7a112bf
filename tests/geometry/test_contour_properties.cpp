// Seeded random closed contours of lines and arcs: the kernel's orientation, side tests and
// lengths against an independent flattening of the same contour.
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "geometry/contour_kernel.h"
#include "tests/geometry/contour_shapes.h"

using contour_test::Shape;

namespace {

constexpr int SHAPES = 300;
constexpr int POINTS_PER_SHAPE = 25;

class ContourProperties : public ::testing::Test {
 protected:
  void SetUp() override { reset_contour_kernel_state(); }
};

// Size of a shape: the larger side of its flattened outline's box.
double extent(const std::vector<ContourNode>& outline) {
  double lo_x = 1e300, hi_x = -1e300, lo_y = 1e300, hi_y = -1e300;
  for (const ContourNode& p : outline) {
    lo_x = std::fmin(lo_x, p.x);
    hi_x = std::fmax(hi_x, p.x);
    lo_y = std::fmin(lo_y, p.y);
    hi_y = std::fmax(hi_y, p.y);
  }
  return std::fmax(hi_x - lo_x, hi_y - lo_y);
}

TEST_F(ContourProperties, AreaSignAgreesWithOrientation) {
  std::mt19937 rng(1201);
  for (int n = 0; n < SHAPES; ++n) {
    Shape s = contour_test::random_star(&rng);
    const int32_t last = s.lasts[0];
    for (int way = 0; way < 2; ++way) {
      const double area = contour_test::polygon_area(contour_test::flatten(s, 0, 0.01));
      const int32_t expected = area > 0.0 ? CONTOUR_COUNTER_CLOCKWISE : CONTOUR_CLOCKWISE;
      ASSERT_EQ(contour_orientation(s.links.data(), s.nodes.data(), 0, last), expected)
          << "shape " << n << (way ? " reversed" : "") << ", area " << area;
      reverse_contour(s.links.data(), 0, last);
    }
  }
}

TEST_F(ContourProperties, LengthAgreesWithFlattenedLength) {
  std::mt19937 rng(1202);
  for (int n = 0; n < SHAPES; ++n) {
    const Shape s = contour_test::random_star(&rng);
    // Chords of 1e-3 radians fall short of their arcs by a relative 4e-8.
    const double flat = contour_test::polygon_length(contour_test::flatten(s, 0, 1e-3));
    const double length = contour_length(s.links.data(), s.nodes.data(), 0, s.lasts[0]);
    ASSERT_NEAR(length, flat, flat * 1e-6) << "shape " << n;
  }
}

// Points near the outline are left out: there the flattened copy and the true contour may
// disagree, and the inside test answers 0.
TEST_F(ContourProperties, InsideTestsAgreeWithWindingNumber) {
  std::mt19937 rng(1203);
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  int inside_seen = 0, outside_seen = 0;
  for (int n = 0; n < SHAPES; ++n) {
    Shape s = contour_test::random_star(&rng);
    // Chords of 0.02 radians stray from their arcs by r * 5e-5, far less than the margin
    // kept from the outline below.
    const std::vector<ContourNode> outline = contour_test::flatten(s, 0, 0.02);
    const double size = extent(outline);
    double lo_x = 1e300, lo_y = 1e300;
    for (const ContourNode& p : outline) {
      lo_x = std::fmin(lo_x, p.x);
      lo_y = std::fmin(lo_y, p.y);
    }
    const int32_t direction = contour_orientation(s.links.data(), s.nodes.data(), 0, s.lasts[0]);
    const int32_t contour_last = s.lasts[0];
    for (int k = 0; k < POINTS_PER_SHAPE; ++k) {
      const double x = lo_x - 0.1 * size + 1.2 * size * unit(rng);
      const double y = lo_y - 0.1 * size + 1.2 * size * unit(rng);
      const double half = 0.001 * size;  // half side of the probe square around the point
      if (contour_test::polygon_distance(outline, x, y) < 4.0 * half) continue;
      const bool inside = contour_test::winding_number(outline, x, y) != 0;
      (inside ? inside_seen : outside_seen)++;

      ASSERT_EQ(point_side_of_contour(s.links.data(), s.nodes.data(), x, y, 0, contour_last,
                                      direction, 0),
                inside ? 1 : -1)
          << "shape " << n << " point " << x << ", " << y;

      // The same question for a small square around the point, as a contour A in B.
      Shape probe = s;
      const int32_t a = probe.add_closed({contour_test::line_corner(x - half, y - half),
                                          contour_test::line_corner(x + half, y - half),
                                          contour_test::line_corner(x + half, y + half),
                                          contour_test::line_corner(x - half, y + half)});
      probe.set_bounds();
      ASSERT_EQ(contour_inside(probe.links.data(), probe.nodes.data(), probe.firsts[a],
                               probe.lasts[a], 0, contour_last, direction),
                inside ? 1 : 0)
          << "shape " << n << " square at " << x << ", " << y;
    }
  }
  EXPECT_GT(inside_seen, 100);
  EXPECT_GT(outside_seen, 100);
  EXPECT_EQ(g_contour_kernel.EngineStatus, 0);
}

// The distance to the contour agrees with the distance to its fine flattening (which lies
// inside the arcs by at most r * 1.25e-7 at 1e-3 radians per chord).
TEST_F(ContourProperties, DistanceAgreesWithFlattenedDistance) {
  std::mt19937 rng(1204);
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  for (int n = 0; n < SHAPES / 3; ++n) {
    const Shape s = contour_test::random_star(&rng);
    const std::vector<ContourNode> outline = contour_test::flatten(s, 0, 1e-3);
    const double size = extent(outline);
    for (int k = 0; k < 10; ++k) {
      const double x = outline[0].x + (unit(rng) - 0.5) * 3.0 * size;
      const double y = outline[0].y + (unit(rng) - 0.5) * 3.0 * size;
      const double flat = contour_test::polygon_distance(outline, x, y);
      const double got = distance_to_contours(s.links.data(), s.nodes.data(), 0, s.lasts[0],
                                              nullptr, nullptr, 0, x, y);
      ASSERT_NEAR(got, flat, size * 1e-6) << "shape " << n << " point " << x << ", " << y;
    }
  }
}

}  // namespace
