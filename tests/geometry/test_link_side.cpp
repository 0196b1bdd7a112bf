// The signed distance of a point from a link: right of the travel is positive, outside a
// counter-clockwise arc, a circle or an ellipse too; a clockwise arc turns the sign.
#include <gtest/gtest.h>

#include <cmath>

#include "geometry/drawing_item.h"
#include "geometry/link_side.h"

namespace {

LinkRecord link_pair[2];

const LinkRecord* line(PointF a, PointF b) {
  link_pair[0] = LinkRecord{};
  link_pair[1] = LinkRecord{};
  link_pair[0].point = a;
  link_pair[0].code = LINK_RIGID_LINE;
  link_pair[1].point = b;
  return link_pair;
}

// A quarter arc of radius 2 about the origin from (2, 0) to (0, 2), counter-clockwise unless
// clockwise is asked (then from (0, 2) to (2, 0)).
const LinkRecord* arc(bool clockwise) {
  link_pair[0] = LinkRecord{};
  link_pair[1] = LinkRecord{};
  link_pair[0].point = clockwise ? PointF{0, 2} : PointF{2, 0};
  link_pair[1].point = clockwise ? PointF{2, 0} : PointF{0, 2};
  link_pair[0].centre = PointF{0, 0};
  link_pair[0].code = 2;
  link_pair[0].link_flags = clockwise ? LINK_CLOCKWISE : 0;
  link_pair[0].sweep = static_cast<float>(M_PI / 2);
  return link_pair;
}

// An ellipse link about the origin with semi-axes a (to the node) and b (to the next node).
const LinkRecord* ellipse(float a, float b) {
  link_pair[0] = LinkRecord{};
  link_pair[1] = LinkRecord{};
  link_pair[0].point = PointF{a, 0};
  link_pair[1].point = PointF{0, b};
  link_pair[0].centre = PointF{0, 0};
  link_pair[0].code = LINK_ELLIPSE;
  return link_pair;
}

TEST(LinkSide, TheSignSaysTheSide) {
  PointF below{5, -3}, above{5, 3};
  EXPECT_NEAR(link_side_distance(nullptr, line({0, 0}, {10, 0}), &below), 3, 1e-6);
  EXPECT_NEAR(link_side_distance(nullptr, line({0, 0}, {10, 0}), &above), -3, 1e-6);
  // The other direction swaps the sides.
  EXPECT_NEAR(link_side_distance(nullptr, line({10, 0}, {0, 0}), &below), -3, 1e-6);

  PointF outside{3, 3}, inside{1, 1}, on_circle{std::sqrt(2.0f), std::sqrt(2.0f)};
  EXPECT_GT(link_side_distance(nullptr, arc(false), &outside), 0);
  EXPECT_LT(link_side_distance(nullptr, arc(false), &inside), 0);
  EXPECT_LT(link_side_distance(nullptr, arc(true), &outside), 0);
  EXPECT_GT(link_side_distance(nullptr, arc(true), &inside), 0);
  EXPECT_NEAR(std::fabs(link_side_distance(nullptr, arc(false), &outside)),
              std::sqrt(18.0) - 2, 1e-5);
  EXPECT_NEAR(link_side_distance(nullptr, arc(false), &on_circle), 0, 1e-5);

  // A point inside the ellipse but outside the circle of its smaller axis is inside.
  PointF within{3.5f, 0.2f}, beyond{0.2f, 1.5f};
  EXPECT_LT(link_side_distance(nullptr, ellipse(4, 1), &within), 0);
  EXPECT_GT(link_side_distance(nullptr, ellipse(4, 1), &beyond), 0);
  EXPECT_EQ(link_side_distance(nullptr, ellipse(0, 1), &within), 0);
}

}  // namespace
