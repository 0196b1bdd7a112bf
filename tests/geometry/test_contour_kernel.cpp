// The contour kernel's conventions and operations on small worked figures.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "geometry/contour_kernel.h"
#include "tests/geometry/contour_shapes.h"

using contour_test::arc_corner;
using contour_test::arc_link;
using contour_test::Corner;
using contour_test::line_corner;
using contour_test::line_link;
using contour_test::Shape;

namespace {

constexpr double PI = CONTOUR_PI;

class ContourKernel : public ::testing::Test {
 protected:
  void SetUp() override { reset_contour_kernel_state(); }
};

// The unit square (0,0) (1,0) (1,1) (0,1), counter-clockwise.
Shape unit_square() {
  Shape s;
  s.add_closed({line_corner(0, 0), line_corner(1, 0), line_corner(1, 1), line_corner(0, 1)});
  s.set_bounds();
  return s;
}

TEST_F(ContourKernel, BearingsRunClockwiseFromPlusY) {
  struct Case {
    double dx, dy, bearing;
  } cases[] = {
      {0, 1, 0},           {1, 0, PI / 2},      {0, -1, PI},
      {-1, 0, 3 * PI / 2}, {0, 0, PI / 2},      {1, 1, PI / 4},
      {-1, 1, 7 * PI / 4}, {1, -1, 3 * PI / 4}, {-3, -3, 5 * PI / 4},
      {1e-25, 0, PI / 2},
  };
  for (const Case& c : cases) {
    EXPECT_NEAR(bearing_angle(c.dx, c.dy), c.bearing, 1e-12) << "vector " << c.dx << ", " << c.dy;
  }
}

// The drawing measures angles counter-clockwise from +X; the kernel's bearings run
// clockwise from +Y. A drawing angle a is the bearing pi/2 - a, and a clockwise arc runs
// through increasing bearings.
TEST_F(ContourKernel, BearingConventionAgainstDrawingAngles) {
  for (double a = 0.0; a < 2 * PI; a += 0.3) {
    double expected = std::fmod(PI / 2 - a + 4 * PI, 2 * PI);
    const double got = bearing_angle(std::cos(a), std::sin(a));
    if (std::fabs(got - expected) > PI) expected += got > expected ? 2 * PI : -2 * PI;
    EXPECT_NEAR(got, expected, 1e-12) << "drawing angle " << a;
  }
  // Quarter arc about the origin from (0,1) to (1,0), clockwise: bearings 0 to pi/2.
  Shape s;
  s.add_node(0, 1);
  s.add_node(1, 0);
  s.add_node(0, 0);
  s.links.push_back(arc_link(0, 1, 2, 1.0, CONTOUR_CLOCKWISE));
  double x, y;
  point_at_contour_parameter(s.links.data(), s.nodes.data(), &x, &y, 0.25);
  EXPECT_NEAR(x, std::sin(PI / 8), 1e-12);
  EXPECT_NEAR(y, std::cos(PI / 8), 1e-12);
  segment_midpoint(s.links[0], s.nodes.data(), &x, &y);
  EXPECT_NEAR(x, std::sqrt(0.5), 1e-12);
  EXPECT_NEAR(y, std::sqrt(0.5), 1e-12);
  EXPECT_NEAR(segment_length(s.links[0], s.nodes.data()), PI / 2, 1e-12);
}

TEST_F(ContourKernel, ArcCentreFromChord) {
  struct Case {
    double x1, y1, x2, y2, rx, ry, r, cx, cy;
    const char* what;
  } cases[] = {
      {0, 0, 2, 0, 1, 5, std::sqrt(2.0), 1, 1, "reference above: upper centre"},
      {0, 0, 2, 0, 1, -5, std::sqrt(2.0), 1, -1, "reference below: lower centre"},
      {0, 0, 2, 0, 1, 0, std::sqrt(2.0), 1, 1, "tie goes to the left of P1->P2"},
      {2, 0, 0, 0, 1, 0, std::sqrt(2.0), 1, -1, "tie, chord reversed: left is below"},
      {0, 0, 2, 0, 1, 5, 0.5, 1, 0, "radius below half the chord: midpoint"},
      {0, 0, 2, 0, 1, 5, 1.0, 1, 0, "half circle"},
      {0, 0, 0, 0, 3, 3, 1.0, 0, 0, "coinciding points"},
  };
  for (const Case& c : cases) {
    double cx, cy;
    arc_centre_from_chord(c.x1, c.y1, c.x2, c.y2, c.rx, c.ry, c.r, &cx, &cy);
    EXPECT_NEAR(cx, c.cx, 1e-12) << c.what;
    EXPECT_NEAR(cy, c.cy, 1e-12) << c.what;
  }
}

TEST_F(ContourKernel, FitArcCentreToChord) {
  // A half circle of radius 16.5 about (100, 20) whose ends were rounded to a thousandth: the
  // radius alone would put the centre 0.1 off; the known centre slides onto the bisector. A
  // quarter circle keeps the radius's centre.
  struct Case {
    double x1, y1, x2, y2, rx, ry, r, cx, cy, within;
    const char* what;
  } cases[] = {
      {89.3595, 7.389, 110.6405, 32.611, 100, 20, 16.5, 100, 20, 1e-3, "rounded half circle"},
      {0, 0, 2, 0, 1.2, 0.01, 1.0, 1, 0.01, 1e-12, "half circle: the known centre moved onto the bisector"},
      {0, 0, 2, 0, 1, 5, std::sqrt(2.0), 1, 1, 1e-12, "quarter circle: by the radius"},
  };
  for (const Case& c : cases) {
    double cx, cy;
    fit_arc_centre_to_chord(c.x1, c.y1, c.x2, c.y2, c.rx, c.ry, c.r, &cx, &cy);
    EXPECT_NEAR(cx, c.cx, c.within) << c.what;
    EXPECT_NEAR(cy, c.cy, c.within) << c.what;
    // Both ends lie on the fitted circle.
    EXPECT_NEAR(std::hypot(c.x1 - cx, c.y1 - cy), std::hypot(c.x2 - cx, c.y2 - cy), 1e-9) << c.what;
  }
}

TEST_F(ContourKernel, StrictlyBetween) {
  struct Case {
    double a, b, c;
    bool between;
  } cases[] = {
      {0, 1, 2, true},  {2, 1, 0, true},  {0, 0, 2, false},    {0, 2, 2, false},
      {0, 3, 2, false}, {1, 1, 1, false}, {-1, -0.5, 0, true},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(strictly_between(c.a, c.b, c.c), c.between) << c.a << " " << c.b << " " << c.c;
  }
}

TEST_F(ContourKernel, ArcParametersOfAngles) {
  struct Case {
    double a1, a2, start, end;
    int32_t direction;
    double t1, t2;
    const char* what;
  } cases[] = {
      {PI / 4, PI / 2, 0, PI / 2, CONTOUR_CLOCKWISE, 0.5, 1.0, "clockwise quarter"},
      {0.1, 2 * PI - 0.1, 2 * PI - 0.2, 0.2, CONTOUR_CLOCKWISE, 0.75, 0.25,
       "clockwise across bearing 0"},
      {PI / 4, 0, PI / 2, 0, CONTOUR_COUNTER_CLOCKWISE, 0.5, 1.0, "counter-clockwise quarter"},
      {2 * PI - 0.1, 0.1, 0.2, 2 * PI - 0.2, CONTOUR_COUNTER_CLOCKWISE, 0.75, 0.25,
       "counter-clockwise across bearing 0"},
      {1.0, 1.0, 1.0, 1.0 + 1e-10, CONTOUR_CLOCKWISE, 0.0, 0.0, "no sweep: span 1e-6"},
  };
  for (const Case& c : cases) {
    double t1, t2;
    arc_parameters_of_angles(c.a1, c.a2, c.start, c.end, c.direction, &t1, &t2);
    EXPECT_NEAR(t1, c.t1, 1e-9) << c.what;
    EXPECT_NEAR(t2, c.t2, 1e-9) << c.what;
  }
}

TEST_F(ContourKernel, JointAngles) {
  // Nodes: 0 (0,0), 1 (1,0), 2 (2,0), 3 (1,1), 4 (1,-1), 5 (1,1) centre of a tangent arc.
  Shape s;
  for (const ContourNode& n :
       std::vector<ContourNode>{{0, 0}, {1, 0}, {2, 0}, {1, 1}, {1, -1}, {1, 1}})
    s.add_node(n.x, n.y);
  struct Case {
    ContourLink in, out;
    double angle;
    const char* what;
  } cases[] = {
      {line_link(0, 1), line_link(1, 2), PI, "straight on"},
      {line_link(0, 1), line_link(1, 3), PI / 2, "left turn"},
      {line_link(0, 1), line_link(1, 4), 3 * PI / 2, "right turn"},
      {line_link(0, 1), line_link(1, 0), 0.0, "straight back"},
      {line_link(0, 1), line_link(1, 1), PI, "degenerate next segment"},
      // A counter-clockwise arc about (1,1) leaves (1,0) heading +x: straight on.
      {line_link(0, 1), arc_link(1, 3, 5, 1.0, CONTOUR_COUNTER_CLOCKWISE), PI, "tangent arc"},
      // The clockwise arc about (1,1) leaves (1,0) heading -x: straight back.
      {line_link(0, 1), arc_link(1, 3, 5, 1.0, CONTOUR_CLOCKWISE), 0.0, "arc doubling back"},
  };
  for (const Case& c : cases) {
    const ContourLink pair[2] = {c.in, c.out};
    const double angle = joint_angle(pair, s.nodes.data(), 0, 1);
    if (c.angle == 0.0) {
      EXPECT_TRUE(angle < 1e-9 || angle > 2 * PI - 1e-9) << c.what << ": " << angle;
    } else {
      EXPECT_NEAR(angle, c.angle, 1e-9) << c.what;
    }
  }
}

TEST_F(ContourKernel, OrientationOfFigures) {
  const double v = 0.999897623083;
  struct Case {
    std::vector<Corner> corners;
    int32_t orientation;
    const char* what;
  } cases[] = {
      {{line_corner(0, 0), line_corner(1, 0), line_corner(1, 1), line_corner(0, 1)},
       CONTOUR_COUNTER_CLOCKWISE,
       "square"},
      {{line_corner(0, 1), line_corner(1, 1), line_corner(1, 0), line_corner(0, 0)},
       CONTOUR_CLOCKWISE,
       "square reversed"},
      // Half disc right of the y axis: the rightmost point (1,0) lies inside the arc.
      {{line_corner(0, 1), arc_corner(0, -1, 0, 0, CONTOUR_COUNTER_CLOCKWISE)},
       CONTOUR_COUNTER_CLOCKWISE,
       "half disc, arc holds the rightmost point"},
      {{arc_corner(0, 1, 0, 0, CONTOUR_CLOCKWISE), line_corner(0, -1)},
       CONTOUR_CLOCKWISE,
       "half disc reversed"},
      // The rightmost node (0.5,0) is the notch's reflex corner, whose turn says clockwise;
      // the arc through (1,0) lies further right and decides.
      {{arc_corner(0, -1, 0, 0, CONTOUR_COUNTER_CLOCKWISE), line_corner(0, 1), line_corner(0.5, 0)},
       CONTOUR_COUNTER_CLOCKWISE,
       "notched half disc"},
      // An arc that passes its own rightmost point (a dent in the left side) but lies left
      // of the square's corners does not decide.
      {{line_corner(0, 0), line_corner(2, 0), line_corner(2, 2),
        arc_corner(0, 2, -1, 1, CONTOUR_CLOCKWISE)},
       CONTOUR_COUNTER_CLOCKWISE,
       "square with a dent"},
      {{line_corner(0, 0), line_corner(3, -2), line_corner(v, 1), line_corner(-2, 2)},
       CONTOUR_COUNTER_CLOCKWISE,
       "quadrilateral"},
  };
  for (const Case& c : cases) {
    Shape s;
    s.add_closed(c.corners);
    EXPECT_EQ(contour_orientation(s.links.data(), s.nodes.data(), s.firsts[0], s.lasts[0]),
              c.orientation)
        << c.what;
  }
}

// At a spike the path comes back the way it went out, so the turn at the rightmost node
// decides nothing; the enclosed area does.
TEST_F(ContourKernel, OrientationWithSpikeAtRightmostNode) {
  Shape s;
  s.add_closed({line_corner(0, 0), line_corner(1, 0), line_corner(1, 0.5), line_corner(2, 0.5),
                line_corner(1, 0.5), line_corner(1, 1), line_corner(0, 1)});
  EXPECT_EQ(contour_orientation(s.links.data(), s.nodes.data(), 0, 6), CONTOUR_COUNTER_CLOCKWISE);
  reverse_contour(s.links.data(), 0, 6);
  EXPECT_EQ(contour_orientation(s.links.data(), s.nodes.data(), 0, 6), CONTOUR_CLOCKWISE);
}

TEST_F(ContourKernel, SegmentLengths) {
  Shape s;
  s.add_node(0, 0);      // 0
  s.add_node(3, 4);      // 1
  s.add_node(0, 2);      // 2
  s.add_node(1e-11, 0);  // 3
  s.add_node(2, 0);      // 4
  struct Case {
    ContourLink segment;
    double length;
    const char* what;
  } cases[] = {
      {line_link(0, 1), 5.0, "3-4-5 line"},
      {line_link(0, 3), 1e-6, "line below 1e-10 counts as 1e-6"},
      {arc_link(2, 2, 0, 2.0, CONTOUR_CLOCKWISE), 0.0, "clockwise arc, coinciding ends"},
      {arc_link(2, 2, 0, 2.0, CONTOUR_COUNTER_CLOCKWISE), 4 * PI,
       "counter-clockwise, coinciding ends"},
      {arc_link(2, 4, 0, 2.0, CONTOUR_CLOCKWISE), PI, "clockwise quarter of radius 2"},
      {arc_link(2, 4, 0, 2.0, CONTOUR_COUNTER_CLOCKWISE), 3 * PI,
       "counter-clockwise three quarters"},
  };
  for (const Case& c : cases) {
    EXPECT_NEAR(segment_length(c.segment, s.nodes.data()), c.length, 1e-12) << c.what;
  }
  const Shape square = unit_square();
  EXPECT_NEAR(contour_length(square.links.data(), square.nodes.data(), 0, 3), 4.0, 1e-12);
}

TEST_F(ContourKernel, MergeableSegments) {
  Shape s;
  for (const ContourNode& n : std::vector<ContourNode>{
           {0, 0}, {1, 0}, {2, 0}, {2, 1}, {0, 1}, {2, 1e-6}, {1, 1}, {1, 1 + 1e-4}})
    s.add_node(n.x, n.y);
  // 0 (0,0) 1 (1,0) 2 (2,0) 3 (2,1) 4 (0,1) 5 (2,1e-6) 6 centre (1,1) 7 centre moved by 1e-4
  struct Case {
    ContourLink a, b;
    int32_t mergeable;
    const char* what;
  } cases[] = {
      {line_link(0, 1), line_link(1, 2), 1, "collinear"},
      {line_link(0, 2), line_link(2, 0), 1, "antiparallel"},
      {line_link(0, 1), line_link(1, 3), 0, "corner"},
      {line_link(0, 1), line_link(1, 5), 1, "bend of 1e-6"},
      {line_link(0, 0), line_link(0, 1), 1, "no length"},
      {arc_link(1, 3, 6, 1.0, CONTOUR_CLOCKWISE), arc_link(3, 4, 6, 1.0, CONTOUR_CLOCKWISE), 1,
       "one circle"},
      {arc_link(1, 3, 6, 1.0, CONTOUR_CLOCKWISE), arc_link(3, 4, 6, 1.0, CONTOUR_COUNTER_CLOCKWISE),
       0, "opposite directions"},
      {arc_link(1, 3, 6, 1.0, CONTOUR_CLOCKWISE), arc_link(3, 4, 7, 1.0, CONTOUR_CLOCKWISE), 0,
       "centres 1e-4 apart"},
      {arc_link(1, 3, 6, 1.0, CONTOUR_CLOCKWISE), arc_link(3, 4, 6, 1.0001, CONTOUR_CLOCKWISE), 0,
       "radii 1e-4 apart"},
      {arc_link(1, 3, 6, 1.0, CONTOUR_CLOCKWISE), line_link(3, 4), 0, "arc and line"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(segments_mergeable(c.a, c.b, s.nodes.data()), c.mergeable) << c.what;
  }
}

TEST_F(ContourKernel, BoundingCircles) {
  Shape s;
  for (const ContourNode& n : std::vector<ContourNode>{{0, 1}, {1, 0}, {0, 0}, {0, -1}, {5e-7, 0}})
    s.add_node(n.x, n.y);
  struct Case {
    ContourLink segment;
    double radius, cx, cy;
    const char* what;
  } cases[] = {
      {line_link(0, 1), std::sqrt(0.5), 0.5, 0.5, "line: midpoint"},
      {arc_link(0, 1, 2, 1.0, CONTOUR_CLOCKWISE), std::sqrt(0.5), 0.5, 0.5, "quarter arc: chord"},
      {arc_link(0, 1, 2, 1.0, CONTOUR_COUNTER_CLOCKWISE), 1.0, 0, 0, "three quarters: circle"},
      {arc_link(0, 3, 2, 1.0, CONTOUR_CLOCKWISE), 1.0, 0, 0, "half circle: chord of length 2"},
      {line_link(2, 4), 0.0, 7, 7, "line below 1e-6: no circle, centre kept"},
  };
  for (const Case& c : cases) {
    ContourLink l = c.segment;
    l.bound_x = l.bound_y = 7;
    EXPECT_NEAR(segment_bounding_circle(&l, s.nodes.data()), c.radius, 1e-12) << c.what;
    EXPECT_NEAR(l.bound_radius, c.radius, 1e-12) << c.what;
    EXPECT_NEAR(l.bound_x, c.cx, 1e-12) << c.what;
    EXPECT_NEAR(l.bound_y, c.cy, 1e-12) << c.what;
  }
}

TEST_F(ContourKernel, DistanceToSegment) {
  Shape s;
  for (const ContourNode& n : std::vector<ContourNode>{{0, 0}, {4, 0}, {0, 1}, {1, 0}, {0, 0}})
    s.add_node(n.x, n.y);
  ContourLink line = line_link(0, 1);
  ContourLink arc = arc_link(2, 3, 4, 1.0, CONTOUR_CLOCKWISE);  // quarter from (0,1) to (1,0)
  segment_bounding_circle(&line, s.nodes.data());
  segment_bounding_circle(&arc, s.nodes.data());
  struct Case {
    const ContourLink* segment;
    double x, y, band, distance;
    const char* what;
  } cases[] = {
      {&line, 1, 3, 0, 3, "foot inside the line"},
      {&line, -3, 4, 0, 5, "beyond the start: distance to it"},
      {&line, 7, -4, 0, 5, "beyond the end"},
      {&line, 100, 0, 0, 96, "band 0 never prunes"},
      {&line, 100, 0, 200, 96, "inside a wide band"},
      {&line, 100, 0, 10, CONTOUR_FAR_DISTANCE, "outside a narrow band"},
      {&arc, 2, 2, 0, 2 * std::sqrt(2.0) - 1, "within the sweep: off the circle"},
      {&arc, 0, 0, 0, 1, "at the centre"},
      {&arc, -1, -1, 0, std::sqrt(5.0), "outside the sweep: nearer end"},
  };
  for (const Case& c : cases) {
    EXPECT_NEAR(distance_to_segment(c.x, c.y, *c.segment, s.nodes.data(), c.band), c.distance, 1e-9)
        << c.what;
  }
}

TEST_F(ContourKernel, DistanceToContoursWithIslands) {
  Shape s;
  s.add_closed({line_corner(0, 0), line_corner(10, 0), line_corner(10, 10), line_corner(0, 10)});
  s.add_closed({line_corner(4, 4), line_corner(4, 6), line_corner(6, 6), line_corner(6, 4)});
  s.set_bounds();
  const int32_t island_first = s.firsts[1], island_last = s.lasts[1];
  struct Case {
    double x, y, distance;
  } cases[] = {{3, 5, 1}, {1, 5, 1}, {5, 8.5, 1.5}, {2, 2, 2}};
  for (const Case& c : cases) {
    EXPECT_NEAR(distance_to_contours(s.links.data(), s.nodes.data(), 0, 3, &island_first,
                                     &island_last, 1, c.x, c.y),
                c.distance, 1e-12)
        << c.x << ", " << c.y;
  }
  EXPECT_EQ(distance_to_contours(s.links.data(), s.nodes.data(), 0, -1, nullptr, nullptr, 0, 1, 1),
            CONTOUR_NO_DISTANCE);
}

TEST_F(ContourKernel, PointSideOfContour) {
  // Ray 0 from the origin runs exactly through the corner (v, 1) of the quadrilateral, which
  // makes it ambiguous; a later ray decides.
  const double v = 0.000102376917 * -1 + 1;
  Shape s;
  s.add_closed({line_corner(0, 0), line_corner(4, 0), line_corner(4, 4), line_corner(0, 4)});
  s.add_closed({line_corner(0, 4), line_corner(4, 4), line_corner(4, 0), line_corner(0, 0)});
  s.add_closed({line_corner(-2, -2), line_corner(3, -2), line_corner(v, 1), line_corner(-2, 2)});
  // Disc of radius 1 about (10,0) as two arcs, counter-clockwise.
  s.add_closed({arc_corner(10, 1, 10, 0, CONTOUR_COUNTER_CLOCKWISE),
                arc_corner(10, -1, 10, 0, CONTOUR_COUNTER_CLOCKWISE)});
  s.set_bounds();
  struct Case {
    int contour;
    double x, y;
    int32_t direction, loose, side;
    const char* what;
  } cases[] = {
      {0, 1, 1, CONTOUR_COUNTER_CLOCKWISE, 0, 1, "inside, counter-clockwise"},
      {0, 5, 1, CONTOUR_COUNTER_CLOCKWISE, 0, -1, "outside right"},
      {0, -1, 1, CONTOUR_COUNTER_CLOCKWISE, 0, -1, "outside left"},
      {0, 2, 0, CONTOUR_COUNTER_CLOCKWISE, 0, 0, "on a line segment"},
      {0, 4, 4, CONTOUR_COUNTER_CLOCKWISE, 0, 0, "on a corner"},
      {1, 1, 1, CONTOUR_CLOCKWISE, 0, 1, "inside a clockwise contour, direction 1"},
      {1, 5, 5, CONTOUR_CLOCKWISE, 0, -1, "outside a clockwise contour"},
      {2, 0, 0, CONTOUR_COUNTER_CLOCKWISE, 0, 1, "first ray through a corner"},
      {3, 10.5, 0.2, CONTOUR_COUNTER_CLOCKWISE, 0, 1, "inside the disc"},
      {3, 10, 1, CONTOUR_COUNTER_CLOCKWISE, 0, 0, "at an arc's end"},
      {3, 10 + std::sqrt(0.5), std::sqrt(0.5), CONTOUR_COUNTER_CLOCKWISE, 0, 0, "on an arc"},
      {3, 10 + 1.0002 * std::sqrt(0.5), 1.0002 * std::sqrt(0.5), CONTOUR_COUNTER_CLOCKWISE, 0, -1,
       "just off an arc"},
      {3, 10 + 1.0002 * std::sqrt(0.5), 1.0002 * std::sqrt(0.5), CONTOUR_COUNTER_CLOCKWISE, 1, 0,
       "just off an arc, loose"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(point_side_of_contour(s.links.data(), s.nodes.data(), c.x, c.y, s.firsts[c.contour],
                                    s.lasts[c.contour], c.direction, c.loose),
              c.side)
        << c.what;
  }
}

TEST_F(ContourKernel, ContourInside) {
  Shape s;
  const int big = s.add_closed(
      {line_corner(0, 0), line_corner(10, 0), line_corner(10, 10), line_corner(0, 10)});
  const int small =
      s.add_closed({line_corner(2, 2), line_corner(3, 2), line_corner(3, 3), line_corner(2, 3)});
  const int away = s.add_closed(
      {line_corner(20, 2), line_corner(23, 2), line_corner(23, 3), line_corner(20, 3)});
  const int across =
      s.add_closed({line_corner(8, 2), line_corner(12, 2), line_corner(12, 3), line_corner(8, 3)});
  const int big_cw = s.add_closed(
      {line_corner(0, 10), line_corner(10, 10), line_corner(10, 0), line_corner(0, 0)});
  const int disc = s.add_closed({arc_corner(2.5, 5.5, 2.5, 2.5, CONTOUR_CLOCKWISE),
                                 arc_corner(2.5, -0.5, 2.5, 2.5, CONTOUR_CLOCKWISE)});
  s.set_bounds();
  auto inside = [&](int a, int b, int32_t direction) {
    return contour_inside(s.links.data(), s.nodes.data(), s.firsts[a], s.lasts[a], s.firsts[b],
                          s.lasts[b], direction);
  };
  EXPECT_EQ(inside(small, big, CONTOUR_COUNTER_CLOCKWISE), 1);
  EXPECT_EQ(inside(big, small, CONTOUR_COUNTER_CLOCKWISE), 0);
  EXPECT_EQ(inside(away, big, CONTOUR_COUNTER_CLOCKWISE), 0);
  EXPECT_EQ(inside(across, big, CONTOUR_COUNTER_CLOCKWISE), 0) << "crossing contours";
  EXPECT_EQ(inside(small, big_cw, CONTOUR_CLOCKWISE), 1);
  EXPECT_EQ(inside(small, disc, CONTOUR_CLOCKWISE), 1) << "inside arcs";
  EXPECT_EQ(inside(away, disc, CONTOUR_CLOCKWISE), 0);
  EXPECT_EQ(g_contour_kernel.EngineStatus, 0);
}

TEST_F(ContourKernel, ContourInsideUndecidedSetsTheProblemFlag) {
  // A line of B without length makes every ray ambiguous.
  Shape s;
  const int small =
      s.add_closed({line_corner(2, 2), line_corner(3, 2), line_corner(3, 3), line_corner(2, 3)});
  const int broken = s.add_closed({line_corner(0, 0), line_corner(10, 0), line_corner(10, 0),
                                   line_corner(10, 10), line_corner(0, 10)});
  s.set_bounds();
  g_contour_kernel.EngineStatus = 0x40;
  EXPECT_EQ(contour_inside(s.links.data(), s.nodes.data(), s.firsts[small], s.lasts[small],
                           s.firsts[broken], s.lasts[broken], CONTOUR_COUNTER_CLOCKWISE),
            -1);
  EXPECT_EQ(g_contour_kernel.EngineStatus, 0x40 | ENGINE_STATUS_INSIDE_UNDECIDED);
}

TEST_F(ContourKernel, ReverseContourOfThree) {
  Shape s;
  s.add_closed({line_corner(0, 0), arc_corner(2, 0, 1, 1, CONTOUR_CLOCKWISE), line_corner(1, 2)});
  s.set_bounds();
  const std::vector<ContourLink> before = s.links;
  reverse_contour(s.links.data(), 0, 2);
  // Outer two swapped and turned round; the middle arc turned round in place.
  for (int k = 0; k < 3; ++k) {
    const ContourLink& was = before[2 - k];
    const ContourLink& now = s.links[k];
    EXPECT_EQ(now.start_node, was.end_node) << k;
    EXPECT_EQ(now.end_node, was.start_node) << k;
    EXPECT_EQ(now.kind, was.kind) << k;
    EXPECT_EQ(now.bound_radius, was.bound_radius) << k;
  }
  EXPECT_EQ(s.links[1].direction, CONTOUR_COUNTER_CLOCKWISE);
  EXPECT_EQ(s.links[1].centre_node, before[1].centre_node);
  EXPECT_EQ(s.links[1].radius, before[1].radius);
  // Reversing a range of one contour leaves its neighbours alone.
  Shape two = unit_square();
  two.add_closed({line_corner(5, 5), line_corner(6, 5), line_corner(6, 6)});
  const std::vector<ContourLink> square_before(two.links.begin(), two.links.begin() + 4);
  reverse_contour(two.links.data(), 4, 6);
  for (int k = 0; k < 4; ++k) EXPECT_EQ(two.links[k].start_node, square_before[k].start_node);
  EXPECT_EQ(contour_orientation(two.links.data(), two.nodes.data(), 4, 6), CONTOUR_CLOCKWISE);
}

TEST_F(ContourKernel, PointAtContourParameter) {
  Shape s;
  s.add_closed({line_corner(0, 0), line_corner(4, 0),
                arc_corner(4, 2, 2, 2, CONTOUR_COUNTER_CLOCKWISE), line_corner(0, 2)});
  struct Case {
    double u, x, y;
  } cases[] = {
      {0.0, 0, 0}, {0.25, 1, 0}, {1.5, 4, 1}, {2.0, 4, 2}, {2.5, 2, 4}, {3.0, 0, 2}, {3.5, 0, 1},
  };
  for (const Case& c : cases) {
    double x, y;
    point_at_contour_parameter(s.links.data(), s.nodes.data(), &x, &y, c.u);
    EXPECT_NEAR(x, c.x, 1e-12) << "u = " << c.u;
    EXPECT_NEAR(y, c.y, 1e-12) << "u = " << c.u;
  }
}

TEST_F(ContourKernel, CopiesBySegmentKind) {
  ContourLink arc = arc_link(1, 2, 3, 4.0, CONTOUR_CLOCKWISE);
  arc.bound_radius = 5;
  arc.bound_x = 6;
  arc.bound_y = 7;
  ContourLink to;
  to.radius = 99;
  copy_segment(&to, arc, 0);
  EXPECT_EQ(to.start_node, 1);
  EXPECT_EQ(to.end_node, 2);
  EXPECT_EQ(to.centre_node, 3);
  EXPECT_EQ(to.radius, 4.0);
  EXPECT_EQ(to.direction, CONTOUR_CLOCKWISE);
  EXPECT_EQ(to.bound_radius, 0.0) << "bounds only on request";
  copy_segment(&to, arc, 1);
  EXPECT_EQ(to.bound_radius, 5.0);
  EXPECT_EQ(to.bound_y, 7.0);

  ContourLink line = line_link(8, 9);
  ContourLink over = arc;
  copy_segment(&over, line, 1);
  EXPECT_EQ(over.kind, SEGMENT_LINE);
  EXPECT_EQ(over.start_node, 8);
  EXPECT_EQ(over.end_node, 9);

  ContourLink circle;
  circle.kind = SEGMENT_CIRCLE;
  circle.centre_node = 4;
  circle.radius = 2;
  circle.bound_radius = 11;
  ContourLink from_circle;
  copy_segment(&from_circle, circle, 1);
  EXPECT_EQ(from_circle.centre_node, 4);
  EXPECT_EQ(from_circle.radius, 2.0);
  EXPECT_EQ(from_circle.bound_radius, 0.0) << "a circle's bounds are never copied";

  ContourLink back;
  copy_segment_reversed(&back, arc);
  EXPECT_EQ(back.start_node, 2);
  EXPECT_EQ(back.end_node, 1);
  EXPECT_EQ(back.centre_node, 3);
  EXPECT_EQ(back.direction, CONTOUR_COUNTER_CLOCKWISE);
  EXPECT_EQ(back.bound_x, 6.0);
}

TEST_F(ContourKernel, SegmentEndPointsLeaveTheCentreOfALine) {
  Shape s;
  s.add_node(1, 2);
  s.add_node(3, 4);
  s.add_node(5, 6);
  double sx, ex, cx = -1, sy, ey, cy = -1;
  segment_end_points(line_link(0, 1), s.nodes.data(), &sx, &ex, &cx, &sy, &ey, &cy);
  EXPECT_EQ(sx, 1);
  EXPECT_EQ(sy, 2);
  EXPECT_EQ(ex, 3);
  EXPECT_EQ(ey, 4);
  EXPECT_EQ(cx, -1);
  EXPECT_EQ(cy, -1);
  segment_end_points(arc_link(0, 1, 2, 1, 0), s.nodes.data(), &sx, &ex, &cx, &sy, &ey, &cy);
  EXPECT_EQ(cx, 5);
  EXPECT_EQ(cy, 6);
}

// Area of the outline written by segment_swept_outline, by flattening it.
double swept_area(const std::vector<ContourLink>& links, const std::vector<ContourNode>& nodes,
                  int32_t count) {
  Shape s;
  s.links.assign(links.begin(), links.begin() + count);
  s.nodes = nodes;
  s.firsts = {0};
  s.lasts = {count - 1};
  return contour_test::polygon_area(contour_test::flatten(s, 0, 0.001));
}

TEST_F(ContourKernel, SweptOutlines) {
  Shape s;
  for (const ContourNode& n :
       std::vector<ContourNode>{{0, 0}, {0.0005, 0}, {4, 0}, {0, 2}, {2, 0}, {0, 0}})
    s.add_node(n.x, n.y);
  // 0 (0,0) 1 (0.0005,0) 2 (4,0) 3 (0,2) 4 (2,0) 5 centre (0,0)
  const double r = 1.0;
  struct Case {
    ContourLink segment;
    double tool;
    int32_t links, nodes;
    double area;
    const char* what;
  } cases[] = {
      {line_link(0, 1), r, 2, 3, PI * r * r, "point-like: the tool's circle"},
      {line_link(0, 2), r, 4, 6, 4 * 2 * r + PI * r * r, "line: a stadium"},
      {arc_link(3, 4, 5, 2.0, CONTOUR_CLOCKWISE), 0.5, 4, 7,
       (PI / 4) * (2.5 * 2.5 - 1.5 * 1.5) + PI * 0.25, "arc: ring piece with round ends"},
      {arc_link(4, 3, 5, 2.0, CONTOUR_COUNTER_CLOCKWISE), 0.5, 4, 7,
       (PI / 4) * (2.5 * 2.5 - 1.5 * 1.5) + PI * 0.25, "counter-clockwise arc: the same"},
      {arc_link(3, 4, 5, 2.0, CONTOUR_CLOCKWISE), 2.0, 3, 6, -1, "arc of the tool's radius"},
  };
  for (const Case& c : cases) {
    std::vector<ContourLink> links(2 + SWEPT_OUTLINE_MAX_LINKS);
    std::vector<ContourNode> nodes(3 + SWEPT_OUTLINE_MAX_NODES, ContourNode{-99, -99});
    int32_t link_count = 0, node_count = 0;
    segment_swept_outline(c.segment, s.nodes.data(), links.data(), 2, nodes.data(), 3, &link_count,
                          &node_count, c.tool);
    EXPECT_EQ(link_count, c.links) << c.what;
    EXPECT_EQ(node_count, c.nodes) << c.what;
    // The outline is written behind the first links and nodes, closed and counter-clockwise.
    std::vector<ContourLink> written(links.begin() + 2, links.begin() + 2 + link_count);
    for (int32_t k = 0; k < link_count; ++k) {
      const ContourLink& l = written[k];
      EXPECT_EQ(l.end_node, written[(k + 1) % link_count].start_node) << c.what << " link " << k;
      EXPECT_GE(l.start_node, 3) << c.what;
      EXPECT_LT(l.start_node, 3 + node_count) << c.what;
      EXPECT_GT(l.bound_radius, 0.0) << c.what << " link " << k;
    }
    EXPECT_EQ(contour_orientation(written.data(), nodes.data(), 0, link_count - 1),
              CONTOUR_COUNTER_CLOCKWISE)
        << c.what;
    if (c.area > 0) {
      EXPECT_NEAR(swept_area(written, nodes, link_count), c.area, 1e-4) << c.what;
    }
  }
}

TEST_F(ContourKernel, SweptOutlineOfArcFilledByTheTool) {
  // Quarter arc of radius 2, tool radius 2: the end circles meet at the arc's centre side.
  Shape s;
  s.add_node(0, 2);
  s.add_node(2, 0);
  s.add_node(0, 0);
  std::vector<ContourLink> links(SWEPT_OUTLINE_MAX_LINKS);
  std::vector<ContourNode> nodes(SWEPT_OUTLINE_MAX_NODES);
  int32_t link_count = 0, node_count = 0;
  segment_swept_outline(arc_link(0, 1, 2, 2.0, CONTOUR_CLOCKWISE), s.nodes.data(), links.data(), 0,
                        nodes.data(), 0, &link_count, &node_count, 2.0);
  ASSERT_EQ(link_count, 3);
  // Node 5 is where circles of radius 2 about (0,2) and (2,0) meet nearer the centre: (0,0).
  EXPECT_NEAR(nodes[5].x, 0.0, 1e-12);
  EXPECT_NEAR(nodes[5].y, 0.0, 1e-12);
  EXPECT_EQ(links[0].radius, 4.0);
  EXPECT_EQ(links[1].radius, 2.0);
  EXPECT_EQ(links[2].radius, 2.0);
}

TEST_F(ContourKernel, ShowMessageGoesThroughTheHost) {
  static std::string shown;
  shown.clear();
  g_contour_kernel.show_message = [](const char* text) { shown = text; };
  show_contour_message("hello");
  EXPECT_EQ(shown, "hello");
  reset_contour_kernel_state();
  EXPECT_EQ(g_contour_kernel.show_message, nullptr);
}

}  // namespace
