#include <gtest/gtest.h>
#include <polyclipping/clipper.hpp>

#include <algorithm>
#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "geometry/contour_offset.h"
#include "offset_fixture.h"
#include "tests/geometry/clipper_flatten.h"

namespace {

using namespace offset_test;

constexpr double PI = ANGLE_PI;

// ---- the oracle: an outside polygon offsetter on the contour flattened finely ----

// Net area of the oracle's round-join offset by delta (positive outward).
double oracle_offset_area(const DrawingItem* item, double delta) {
  ClipperLib::ClipperOffset offsetter(2.0, 0.00001 * CLIPPER_SCALE);
  offsetter.AddPath(flatten_for_clipper(item, 1e-5), ClipperLib::jtRound,
                    ClipperLib::etClosedPolygon);
  ClipperLib::Paths solution;
  offsetter.Execute(solution, delta * CLIPPER_SCALE);
  double area = 0.0;
  for (const ClipperLib::Path& p : solution) area += ClipperLib::Area(p);
  return area / (CLIPPER_SCALE * CLIPPER_SCALE);
}

// The polygon does not cross itself: resolving it changes nothing.
bool is_simple(const ClipperLib::Path& path) {
  ClipperLib::Paths resolved;
  ClipperLib::SimplifyPolygon(path, resolved, ClipperLib::pftNonZero);
  return resolved.size() == 1 &&
         std::fabs(ClipperLib::Area(resolved[0]) - ClipperLib::Area(path)) <=
             1e-9 * std::fabs(ClipperLib::Area(path));
}

// The largest change of direction between the tangents of two links that meet.
double sharpest_turn(const DrawingItem* item) {
  const LinkRecord* r = item_nodes(item);
  const int n = item_link_count(item);
  auto direction = [](const LinkRecord* link, const PointF& at) {
    if (code_is_arc(link->code)) return static_cast<double>(arc_tangent_angle(&at, link));
    return static_cast<double>(point_angle(&link->point, &link[1].point));
  };
  double sharpest = 0.0;
  for (int i = 0; i < n; ++i) {
    const LinkRecord* next = &r[(i + 1) % n];
    sharpest = std::fmax(sharpest, abs_angle_difference(direction(&r[i], r[i + 1].point),
                                                        direction(next, next->point)));
  }
  return sharpest;
}

struct OffsetOutcome {
  int items = 0;      // what offset_contour reported
  double area = 0.0;  // net area of the items made
  int arcs = 0;       // arc links among them
  int links = 0;
  bool all_closed = true;
};

// Our offset to the given side with the side flag; the results are left in the list.
OffsetOutcome offset_to_side(DrawingItem* item, float distance, bool outside, int extra_flags = 0) {
  DrawingItem* last = g_lists.current.last;
  OffsetOutcome out;
  out.items = offset_contour(item, distance,
                             OFFSET_SIDE_FROM_FLAG | (outside ? OFFSET_OUTSIDE : 0) | extra_flags);
  for (DrawingItem* made : items_after(last)) {
    out.area += item_area(made);
    out.arcs += count_arcs(made);
    out.links += item_link_count(made);
    out.all_closed = out.all_closed && item_is_closed(made);
  }
  return out;
}

// One offset against the oracle: areas agree, results are closed, and every arc made is the
// offset of a source arc or a corner arc of the distance.
void expect_agrees_with_oracle(DrawingItem* item, const std::vector<double>& source_radii,
                               float distance, bool outside) {
  const double expected = oracle_offset_area(item, outside ? distance : -distance);
  DrawingItem* last = g_lists.current.last;
  const OffsetOutcome ours = offset_to_side(item, distance, outside);
  // A result thinner than this may vanish on either side.
  if (expected > 0.01) {
    EXPECT_GT(ours.items, 0);
  } else if (expected == 0.0) {
    EXPECT_EQ(ours.items, 0);
  }
  EXPECT_TRUE(ours.all_closed);
  EXPECT_NEAR(ours.area, expected, 1e-4 * std::fabs(expected) + 1e-3);
  for (DrawingItem* made : items_after(last)) {
    const LinkRecord* r = item_nodes(made);
    for (int i = 0; i < item_link_count(made); ++i) {
      if (!code_is_arc(r[i].code)) continue;
      bool explained = std::fabs(r[i].code - distance) < 1e-4;
      for (double radius : source_radii)
        explained = explained || std::fabs(std::fabs(radius - r[i].code) - distance) < 1e-3;
      EXPECT_TRUE(explained) << "arc of radius " << r[i].code;
    }
  }
}

// A star-shaped polygon round (20, 20): n vertices at sorted random angles and radii from
// least_radius to 10.
std::vector<Vertex> random_star(std::mt19937* random, int n, double least_radius) {
  std::uniform_real_distribution<double> angle(0.0, ANGLE_TWO_PI);
  std::uniform_real_distribution<double> radius(least_radius, 10.0);
  std::vector<double> angles(static_cast<size_t>(n));
  for (double& a : angles) a = angle(*random);
  std::sort(angles.begin(), angles.end());
  std::vector<Vertex> v;
  for (double a : angles) {
    const double r = radius(*random);
    v.push_back({20.0 + r * std::cos(a), 20.0 + r * std::sin(a)});
  }
  return v;
}

// ---- worked figures ----

struct SquareCase {
  const char* name;
  double side;
  bool clockwise;
  float distance;  // positive; the side comes from `outside`
  bool outside;
  bool sharp;
  int items;    // items made
  int links;    // links of the one item
  int arcs;     // arc links among them
  double area;  // its area
};

TEST_F(OffsetTest, SquareFiguresByTable) {
  const SquareCase cases[] = {
      {"outward round", 10, false, 1, true, false, 1, 8, 4, 140 + PI},
      {"outward round, clockwise source", 10, true, 1, true, false, 1, 8, 4, 140 + PI},
      {"outward sharp", 10, false, 1, true, true, 1, 4, 0, 144},
      {"outward sharp, clockwise source", 10, true, 1, true, true, 1, 4, 0, 144},
      {"inward", 10, false, 1, false, false, 1, 4, 0, 64},
      {"inward, clockwise source", 10, true, 1, false, false, 1, 4, 0, 64},
      {"inward sharp", 10, false, 1, false, true, 1, 4, 0, 64},
      {"inward past the middle", 2, false, 1.2f, false, false, 0, 0, 0, 0},
      {"below the least distance", 10, false, 0.00005f, true, false, 0, 0, 0, 0},
      // Corners of an offset below 6 base tolerances (0.0006 here) are straight.
      {"tiny outward", 10, false, 0.0004f, true, false, 1, 8, 0,
       100 + 40 * 0.0004 + 2 * 0.0004 * 0.0004},
  };
  for (const SquareCase& c : cases) {
    SCOPED_TRACE(c.name);
    free_current_list();
    DrawingItem* square = add_square(0, 0, c.side, c.clockwise);
    const OffsetOutcome out =
        offset_to_side(square, c.distance, c.outside, c.sharp ? OFFSET_SHARP : 0);
    ASSERT_EQ(out.items, c.items);
    ASSERT_EQ(static_cast<int>(items_after(square).size()), c.items);
    if (c.items == 0) continue;
    EXPECT_TRUE(out.all_closed);
    EXPECT_EQ(out.links, c.links);
    EXPECT_EQ(out.arcs, c.arcs);
    EXPECT_NEAR(std::fabs(out.area), c.area, 1e-3);
  }
}

TEST_F(OffsetTest, OutwardSquareHasSideLinesAndQuarterArcs) {
  DrawingItem* square = add_square(0, 0, 10);
  ASSERT_EQ(offset_contour(square, 1, OFFSET_SIDE_FROM_FLAG | OFFSET_OUTSIDE), 1);
  DrawingItem* out = square->next;
  const LinkRecord* r = item_nodes(out);
  for (int i = 0; i < item_link_count(out); ++i) {
    if (code_is_arc(r[i].code)) {
      EXPECT_NEAR(r[i].code, 1.0, 1e-5);
      EXPECT_NEAR(r[i].sweep, PI / 2, 1e-4);
    } else {
      EXPECT_NEAR(link_length(&r[i]), 10.0, 1e-4);
    }
  }
  // Closed: the closing point is the first point.
  EXPECT_EQ(r[item_link_count(out)].point.x, r[0].point.x);
  EXPECT_EQ(r[item_link_count(out)].point.y, r[0].point.y);
}

TEST_F(OffsetTest, SignedDistanceWithoutSideFlagGoesRightOfTravel) {
  // Counter-clockwise: the right-hand side is outside.
  DrawingItem* square = add_square(0, 0, 10);
  ASSERT_EQ(offset_contour(square, 1, OFFSET_OUTSIDE), 1);
  EXPECT_NEAR(item_area(square->next), 140 + PI, 1e-3);
  DrawingItem* last = g_lists.current.last;
  ASSERT_EQ(offset_contour(square, -1, 0), 1);
  EXPECT_NEAR(item_area(last->next), 64, 1e-3);
}

TEST_F(OffsetTest, ResultsCarryTheSourceIdAndFollowTheList) {
  DrawingItem* square = add_square(0, 0, 10);
  set_item_id(square, 42);
  DrawingItem* other = add_square(20, 0, 5);
  ASSERT_EQ(offset_contour(square, 1, OFFSET_SIDE_FROM_FLAG | OFFSET_OUTSIDE), 1);
  DrawingItem* out = g_lists.current.last;
  EXPECT_EQ(out->prev, other);
  EXPECT_EQ(item_source_id(out), 42);
  EXPECT_EQ(item_type(out), ITEM_POLYLINE);
  // The source is left as it was.
  EXPECT_EQ(item_link_count(square), 4);
  EXPECT_NEAR(item_area(square), 100, 1e-4);
}

TEST_F(OffsetTest, DShapeMeetsItsArcAtSharpCorners) {
  // A half disc of radius 5 on a base line: round corners add quarter discs, sharp corners
  // run the base line out to the offset circle.
  auto d_shape = [] { return add_contour({{0, 0}, {10, 0, 5}}, true); };
  const double beta = 2 * std::acos(1.0 / 6.0);
  const double gamma = 2 * std::acos(1.0 / 4.0);
  struct Case {
    const char* name;
    bool outside;
    bool sharp;
    double area;
  } cases[] = {
      {"outward round", true, false, 10 + PI / 2 + 18 * PI},
      {"outward sharp", true, true, 36 * PI - 18 * (beta - std::sin(beta))},
      {"inward", false, false, 8 * (gamma - std::sin(gamma))},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    free_current_list();
    const OffsetOutcome out = offset_to_side(d_shape(), 1, c.outside, c.sharp ? OFFSET_SHARP : 0);
    ASSERT_EQ(out.items, 1);
    EXPECT_TRUE(out.all_closed);
    EXPECT_NEAR(out.area, c.area, 1e-3);
    EXPECT_GE(out.arcs, 1);  // the half circle stays an arc
  }
}

TEST_F(OffsetTest, SharpOffsetKeepsAnEmptyGapOfTheSource) {
  // The top of the square is an empty gap (a pen-up move): it is offset like a line and
  // keeps its length when the corners are made sharp.
  DrawingItem* square = add_square(0, 0, 10);
  item_nodes(square)[2].code = LINK_GAP;
  ASSERT_EQ(offset_to_side(square, 1, true, OFFSET_SHARP).items, 1);
  const DrawingItem* out = g_lists.current.last;
  EXPECT_EQ(item_link_count(out), 4);
  int gaps = 0;
  for (int i = 0; i < item_link_count(out); ++i) {
    const LinkRecord* r = item_nodes(out) + i;
    if (r->code != LINK_GAP) continue;
    ++gaps;
    EXPECT_NEAR(link_length(r), 12.0, 1e-4);
  }
  EXPECT_EQ(gaps, 1);
  EXPECT_NEAR(item_area(out), 144, 1e-3);
}

// ---- awkward junctions, against the oracle ----

struct JunctionCase {
  const char* name;
  std::vector<Vertex> vertices;
  float distance;
  bool outside;
};

TEST_F(OffsetTest, AwkwardJunctionsAgreeWithTheOracle) {
  const double slot = std::sqrt(25.0 - 0.01);
  const JunctionCase cases[] = {
      // The corner arcs vanish inside: the straight sides meet at sharp corners.
      {"rounded square, inward past its corner radius",
       {{0.5, 0},
        {9.5, 0, 0.5},
        {10, 0.5},
        {10, 9.5, 0.5},
        {9.5, 10},
        {0.5, 10, 0.5},
        {0, 9.5},
        {0, 0.5, 0.5}},
       1,
       false},
      // A turn of 1.6e-4 rad makes no corner; far out its offsets end 16 tolerances apart.
      {"near-straight bend, far outward",
       {{0, 0}, {5, -0.0004}, {10, 0}, {10, 10}, {0, 10}},
       10,
       true},
      {"near-straight bend, far inward",
       {{0, 0}, {5, -0.0004}, {10, 0}, {10, 10}, {0, 10}},
       3,
       false},
      // Two arcs meeting almost tangent, their circles all but touching inside each other.
      {"nearly tangent arcs", {{0, -1, 1}, {0, 1, 3.0000167}, {-3.0100167, -2}}, 1, true},
      // A circle with a narrow slot: its arc keeps nearly the whole turn after trimming.
      {"keyhole, outward", {{-0.1, slot}, {0.1, slot}, {0.1, 10}, {-0.1, 10}}, 0.05f, true},
      {"keyhole, inward", {{-0.1, slot}, {0.1, slot}, {0.1, 10}, {-0.1, 10}}, 0.05f, false},
  };
  for (const JunctionCase& c : cases) {
    SCOPED_TRACE(c.name);
    free_current_list();
    DrawingItem* item = add_contour(c.vertices, true);
    std::vector<double> radii;
    const std::string name = c.name;
    if (name.rfind("keyhole", 0) == 0) set_arc(item, 0, 0, 0);
    if (name == "nearly tangent arcs") set_arc(item, 1, -0.01, -2);
    for (int i = 0; i < item_link_count(item); ++i)
      if (code_is_arc(item_nodes(item)[i].code)) radii.push_back(item_nodes(item)[i].code);
    expect_agrees_with_oracle(item, radii, c.distance, c.outside);
    EXPECT_EQ(items_after(item).size(), 1u);
  }
}

TEST_F(OffsetTest, KeyholeKeepsItsNearlyWholeArc) {
  const double slot = std::sqrt(25.0 - 0.01);
  DrawingItem* item = add_contour({{-0.1, slot}, {0.1, slot}, {0.1, 10}, {-0.1, 10}}, true);
  set_arc(item, 0, 0, 0);
  ASSERT_EQ(offset_to_side(item, 0.05f, true).items, 1);
  const DrawingItem* out = g_lists.current.last;
  float widest = 0.0f;
  for (int i = 0; i < item_link_count(out); ++i) {
    const LinkRecord& r = item_nodes(out)[i];
    if (code_is_arc(r.code) && std::fabs(r.code - 5.05f) < 1e-4f)
      widest = std::max(widest, r.sweep);
  }
  EXPECT_GT(widest, 6.2f);
}

// ---- open items ----

TEST_F(OffsetTest, OpenZigzagGivesOneOpenItemFromEndToEnd) {
  DrawingItem* zigzag = add_contour({{0, 0}, {5, 5}, {10, 0}, {15, 5}, {20, 0}}, false);
  ASSERT_EQ(offset_contour(zigzag, 1, 0), 1);
  DrawingItem* out = g_lists.current.last;
  EXPECT_FALSE(item_is_closed(out));
  const LinkRecord* r = item_nodes(out);
  const int n = item_link_count(out);
  // Right of travel: below the first and the last link's start and end.
  const double h = std::sqrt(0.5);
  EXPECT_NEAR(r[0].point.x, h, 1e-4);
  EXPECT_NEAR(r[0].point.y, -h, 1e-4);
  EXPECT_NEAR(r[n].point.x, 20 - h, 1e-4);
  EXPECT_NEAR(r[n].point.y, -h, 1e-4);
  // The valley at (10, 0) is rounded on the outside; the peaks are trimmed on the inside.
  EXPECT_EQ(n, 5);
  EXPECT_EQ(count_arcs(out), 1);
}

TEST_F(OffsetTest, OpenItemWhoseEndsAlmostMeetStaysOpen) {
  DrawingItem* c_shape = add_contour({{0, 0}, {10, 0}, {10, 10}, {0, 10}, {0, 0.0005}}, false);
  ASSERT_EQ(offset_contour(c_shape, 1, 0), 1);
  EXPECT_FALSE(item_is_closed(g_lists.current.last));
}

TEST_F(OffsetTest, ClosedItemWhoseOffsetCannotCloseMakesNothingAndSaysSo) {
  // Flagged closed, but its last node stops half a unit short of its first. Outwards a closed
  // item always has an offset, so making none is reported as a failure; inwards it may vanish.
  DrawingItem* item = add_contour({{0, 0}, {10, 0}, {10, 10}, {0, 10}, {0, 0.5}}, false);
  item_nodes(item)[0].node_flags = NODE_FIRST | NODE_LOOSE;
  EXPECT_EQ(offset_contour(item, 1, OFFSET_SIDE_FROM_FLAG | OFFSET_OUTSIDE), OFFSET_ITEM_FAILED);
  EXPECT_EQ(offset_item(item, 1, OFFSET_SIDE_FROM_FLAG | OFFSET_OUTSIDE), OFFSET_ITEM_FAILED);
  EXPECT_EQ(count_current_lines(), 1);
  EXPECT_EQ(g_lists.current.last, item);
}

// ---- preparing the source ----

TEST_F(OffsetTest, LinksShorterThanThreeTolerancesAreMergedFirst) {
  // A link of 0.0002 (the base tolerance is 0.0001) up the right side. Its start node goes:
  // the base now runs to (10, 0.0002), which takes 0.001 off the area.
  DrawingItem* item = add_contour({{0, 0}, {10, 0}, {10, 0.0002}, {10, 10}, {0, 10}}, true);
  const OffsetOutcome out = offset_to_side(item, 1, true);
  ASSERT_EQ(out.items, 1);
  EXPECT_EQ(out.links, 8);
  EXPECT_EQ(out.arcs, 4);
  EXPECT_NEAR(out.area, 140 + PI - 0.001, 2e-4);
  EXPECT_EQ(item_link_count(item), 5);  // the source keeps its link
}

TEST_F(OffsetTest, SymmetryLineIsNotOffset) {
  for (uint8_t kind : {NODE_DUAL, NODE_PERPENDICULAR}) {
    SCOPED_TRACE(kind == NODE_DUAL ? "dual" : "perpendicular");
    free_current_list();
    // Two leading links make the symmetry line; the square follows.
    DrawingItem* item =
        add_contour({{50, 0}, {50, 20}, {0, 0}, {10, 0}, {10, 10}, {0, 10}, {0, 0}}, false);
    item_nodes(item)[0].node_flags = static_cast<uint8_t>(NODE_FIRST | NODE_LOOSE | kind);
    const OffsetOutcome out = offset_to_side(item, 1, true, OFFSET_SHARP);
    ASSERT_EQ(out.items, 1);
    EXPECT_NEAR(out.area, 144, 1e-3);
    EXPECT_EQ(item_link_count(item), 6);
  }
}

TEST_F(OffsetTest, BezierRunIsOffsetAlongItsCurve) {
  // A square whose top is a quadratic Bezier curve from (10, 10) over (5, 15) to (0, 10).
  DrawingItem* item = add_contour({{0, 0}, {10, 0}, {10, 10}, {5, 15}, {0, 10}}, true);
  item_nodes(item)[2].code = LINK_BEZIER;
  item_nodes(item)[3].code = LINK_BEZIER;
  // The shape is convex: its outward round offset has area A + P d + pi d^2.
  double curve = 0.0;
  for (int k = 0; k < 1000; ++k) {
    auto at = [](double t) { return PointD{10 - 10 * t, 10 + 10 * t * (1 - t)}; };
    const PointD a = at(k / 1000.0);
    const PointD b = at((k + 1) / 1000.0);
    curve += std::hypot(b.x - a.x, b.y - a.y);
  }
  const double area = 100 + 2.0 / 3.0 * 10 * 2.5;
  const OffsetOutcome out = offset_to_side(item, 1, true);
  ASSERT_EQ(out.items, 1);
  EXPECT_TRUE(out.all_closed);
  EXPECT_NEAR(out.area, area + (30 + curve) + PI, 0.05);
  EXPECT_EQ(item_nodes(item)[2].code, LINK_BEZIER);  // the source keeps its curve
}

TEST_F(OffsetTest, SplineRunIsOffsetAlongItsCurve) {
  DrawingItem* item = add_contour({{0, 0}, {5, 3}, {10, 0}, {15, 3}, {20, 0}}, false);
  for (int i = 0; i < 4; ++i) item_nodes(item)[i].code = LINK_SPLINE;
  for (int i = 1; i < 4; ++i) item_nodes(item)[i].node_flags = NODE_TANGENT;
  ASSERT_EQ(offset_contour(item, 1, 0), 1);
  const DrawingItem* out = g_lists.current.last;
  EXPECT_FALSE(item_is_closed(out));
  EXPECT_GT(item_link_count(out), 4);
  for (int i = 0; i < item_link_count(out); ++i) EXPECT_NE(item_nodes(out)[i].code, LINK_SPLINE);
}

// ---- a whole circle inside a longer item ----

TEST_F(OffsetTest, WholeCirclePieceBecomesAnItemOfItsOwn) {
  // A full circle from (0, 0) round (0, 5), then a line on to (20, 0); offset to the left.
  DrawingItem* item = add_contour({{0, 0}, {0, 0}, {20, 0}}, false);
  set_arc(item, 0, 0, 5);
  ASSERT_EQ(offset_contour(item, -1, 0), 2);
  bool circle = false;
  bool line = false;
  for (DrawingItem* made : items_after(item)) {
    const LinkRecord& r = item_nodes(made)[0];
    if (item_link_count(made) == 1 && code_is_arc(r.code)) {
      circle = true;
      EXPECT_TRUE(item_is_closed(made));
      EXPECT_NEAR(r.code, 4.0, 1e-4);
      EXPECT_NEAR(r.sweep, ANGLE_TWO_PI, 1e-3);
    } else {
      line = true;
      EXPECT_FALSE(item_is_closed(made));
      EXPECT_NEAR(item_length(made), 20.0, 1e-3);
    }
  }
  EXPECT_TRUE(circle);
  EXPECT_TRUE(line);
}

// ---- offset_item ----

// A circle item: one link about (cx, cy) whose node is its point at angle 0.
DrawingItem* add_circle_item(double cx, double cy, double radius, bool clockwise) {
  DrawingItem* item = add_contour({{cx + radius, cy}, {cx + radius, cy}}, false, ITEM_CIRCLE);
  LinkRecord* r = item_nodes(item);
  r->code = static_cast<float>(radius);
  r->centre = PointF{static_cast<float>(cx), static_cast<float>(cy)};
  r->sweep = SWEEP_CENTRE_CIRCLE;
  r->start_angle = 0.0f;
  if (clockwise) r->link_flags |= LINK_CLOCKWISE;
  link_bounding_box(r);
  return item;
}

// An ellipse item about (0, 0): node on +X at a, next node on +Y at b.
DrawingItem* add_ellipse_item(double a, double b) {
  DrawingItem* item = add_contour({{a, 0}, {0, b}}, false, ITEM_ELLIPSE);
  item_nodes(item)->code = LINK_ELLIPSE;
  item_nodes(item)->centre = PointF{0.0f, 0.0f};
  return item;
}

struct SingleLinkCase {
  const char* name;
  bool circle;     // a circle item, else an ellipse item
  bool clockwise;  // circles only
  float distance;
  int flags;
  double size;  // circle: the new radius; ellipse: the new semi-axis on +X
};

TEST_F(OffsetTest, CirclesAndEllipsesGrowAndShrinkByTable) {
  const SingleLinkCase cases[] = {
      {"counter-clockwise circle, +1", true, false, 1, 0, 6},
      {"clockwise circle, +1", true, true, 1, 0, 4},
      {"clockwise circle, outside", true, true, 1, OFFSET_SIDE_FROM_FLAG | OFFSET_OUTSIDE, 6},
      {"counter-clockwise circle, inside", true, false, 1, OFFSET_SIDE_FROM_FLAG, 4},
      {"ellipse, +1", false, false, 1, 0, 6},
      {"ellipse, outside", false, false, 1, OFFSET_SIDE_FROM_FLAG | OFFSET_OUTSIDE, 6},
      {"ellipse, inside", false, false, 1, OFFSET_SIDE_FROM_FLAG, 4},
  };
  for (const SingleLinkCase& c : cases) {
    SCOPED_TRACE(c.name);
    free_current_list();
    DrawingItem* item = c.circle ? add_circle_item(0, 0, 5, c.clockwise) : add_ellipse_item(5, 3);
    ASSERT_EQ(offset_item(item, c.distance, c.flags), OFFSET_ITEM_DONE);
    DrawingItem* made = g_lists.current.last;
    ASSERT_NE(made, item);
    EXPECT_EQ(item_type(made), item_type(item));
    const LinkRecord* r = item_nodes(made);
    if (c.circle) {
      EXPECT_NEAR(r->code, c.size, 1e-5);
      EXPECT_EQ(r->sweep, SWEEP_CENTRE_CIRCLE);
    } else {
      EXPECT_NEAR(r->point.x, c.size, 1e-5);
    }
  }
}

TEST_F(OffsetTest, ContourRoutesCirclesToTheItemOffset) {
  DrawingItem* circle = add_circle_item(0, 0, 5, true);
  EXPECT_EQ(offset_contour(circle, 1, OFFSET_SIDE_FROM_FLAG | OFFSET_OUTSIDE), 1);
  EXPECT_NEAR(item_nodes(g_lists.current.last)->code, 6.0, 1e-5);
}

TEST_F(OffsetTest, SingleLinksThatVanishOrCannotBeOffsetMakeNothing) {
  struct Case {
    const char* name;
    std::vector<Vertex> vertices;
    float code;  // 0: as built
    float distance;
    int result;
  } cases[] = {
      {"arc offset inward past its radius", {{1, 0, 1}, {-1, 0}}, 0, -2, OFFSET_ITEM_NOTHING},
      {"line of no length", {{3, 3}, {3, 3}}, 0, 1, OFFSET_ITEM_NOTHING},
      {"Bezier link", {{0, 0}, {5, 5}}, LINK_BEZIER, 1, OFFSET_ITEM_FAILED},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    free_current_list();
    DrawingItem* item = add_contour(c.vertices, false);
    if (c.code != 0.0f) item_nodes(item)->code = c.code;
    EXPECT_EQ(offset_item(item, c.distance, 0), c.result);
    EXPECT_EQ(count_current_lines(), 1);
  }
}

TEST_F(OffsetTest, SingleLinkResultNumbersItsNodesAndStaysClosed) {
  g_item_edit.node_counter = 100;
  g_item_edit.new_item_layer = 9;
  // A closed one-link polyline: a whole circle through (5, 0).
  DrawingItem* item = add_contour({{5, 0}, {5, 0}}, false);
  item_nodes(item)[0].node_flags = NODE_FIRST | NODE_LOOSE;
  set_arc(item, 0, 0, 0);
  ASSERT_EQ(offset_item(item, 1, 0), OFFSET_ITEM_DONE);
  DrawingItem* made = g_lists.current.last;
  const LinkRecord* r = item_nodes(made);
  EXPECT_EQ(r[0].node_number, 101);
  EXPECT_EQ(r[1].node_number, 102);
  EXPECT_EQ(g_item_edit.node_counter, 102);
  EXPECT_EQ(r[1].node_flags, NODE_CLOSING);
  EXPECT_TRUE(item_is_closed(made));
  EXPECT_EQ(r[1].point.x, r[0].point.x);
  EXPECT_EQ(r[1].point.y, r[0].point.y);
  EXPECT_NEAR(r->code, 6.0, 1e-5);
  EXPECT_EQ(item_layer(made), 9);
}

TEST_F(OffsetTest, ItemFlagsChooseCornersAndTheSignChoosesTheSide) {
  struct Case {
    const char* name;
    bool clockwise;
    float distance;
    int flags;
    double area;
  } cases[] = {
      {"no flags: sharp", false, 1, 0, 144},
      {"round", false, 1, OFFSET_ROUND, 140 + PI},
      // Left of a clockwise square's travel is outside.
      {"clockwise, negative distance", true, -1, OFFSET_ROUND, 140 + PI},
      {"clockwise, positive distance", true, 1, OFFSET_ROUND, 64},
      {"side flag wins over the sign", false, -1, OFFSET_SIDE_FROM_FLAG | OFFSET_OUTSIDE, 140 + PI},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    free_current_list();
    DrawingItem* square = add_square(0, 0, 10, c.clockwise);
    ASSERT_EQ(offset_item(square, c.distance, c.flags), OFFSET_ITEM_DONE);
    EXPECT_NEAR(std::fabs(item_area(g_lists.current.last)), c.area, 1e-3);
  }
}

TEST_F(OffsetTest, NothingMadeByTheContourEngineIsReported) {
  DrawingItem* square = add_square(0, 0, 2);
  EXPECT_EQ(offset_item(square, -1.2f, OFFSET_ROUND), OFFSET_ITEM_NOTHING);
  EXPECT_EQ(count_current_lines(), 1);
}

// Host services that record their calls.
struct HostLog {
  int copies = 0;
  const DrawingItem* copy_source = nullptr;
  int texts = 0;
  uint8_t text_kind = 0;
  uint8_t text_layer = 0;
  int text_result = 0;
};
HostLog g_host_log;

int record_copy(const DrawingItem* source, DrawingItem* /*target*/) {
  ++g_host_log.copies;
  g_host_log.copy_source = source;
  return 0;
}

int record_text(DrawingItem* /*item*/, float /*distance*/, uint8_t kind, uint8_t layer) {
  ++g_host_log.texts;
  g_host_log.text_kind = kind;
  g_host_log.text_layer = layer;
  return g_host_log.text_result;
}

TEST_F(OffsetTest, AssignFlagGivesResultsTheLayerAndTheMachiningData) {
  for (uint8_t assign : {1, 0}) {
    SCOPED_TRACE(assign ? "assign" : "no assign");
    free_current_list();
    g_host_log = HostLog{};
    g_geometry_host.copy_item_cam = record_copy;
    g_geometry_host.offset_text = record_text;
    g_item_edit.assign_new_items = assign;
    g_item_edit.new_item_layer = 12;
    DrawingItem* square = add_square(0, 0, 10);
    ASSERT_EQ(offset_item(square, 1, OFFSET_ROUND), OFFSET_ITEM_DONE);
    EXPECT_EQ(item_layer(g_lists.current.last), assign ? 12 : 0);
    EXPECT_EQ(g_host_log.copies, assign ? 1 : 0);
    if (assign) {
      EXPECT_EQ(g_host_log.copy_source, square);
    }
  }
}

TEST_F(OffsetTest, TextGoesThroughTheHostsToolPathOffset) {
  DrawingItem* text = add_square(0, 0, 10);
  set_item_type(text, ITEM_TEXT);
  // Without the service nothing can be made.
  EXPECT_EQ(offset_item(text, 1, 0), OFFSET_ITEM_NOTHING);
  g_geometry_host.copy_item_cam = record_copy;
  g_geometry_host.offset_text = record_text;
  g_item_edit.new_item_layer = 5;
  g_host_log = HostLog{};
  g_host_log.text_result = 0;
  EXPECT_EQ(offset_item(text, 1, 0), OFFSET_ITEM_NOTHING);
  g_host_log.text_result = 3;
  EXPECT_EQ(offset_item(text, 1, 0), OFFSET_ITEM_DONE);
  EXPECT_EQ(g_host_log.texts, 2);
  EXPECT_EQ(g_host_log.text_kind, item_block(text)->cam_kind);
  EXPECT_EQ(g_host_log.text_layer, 5);
}

// The editor's hover as the host's hook clears it.
struct HoverRecord {
  DrawingItem* item = nullptr;
  int16_t pick_kind = 0;
};
HoverRecord g_hover_record;

TEST_F(OffsetTest, ItemOffsetForgetsTheHoveredItem) {
  g_geometry_host.clear_hover = [] { g_hover_record = HoverRecord{}; };
  DrawingItem* square = add_square(0, 0, 10);
  g_hover_record.item = square;
  g_hover_record.pick_kind = 3;
  offset_item(square, 1, 0);
  EXPECT_EQ(g_hover_record.item, nullptr);
  EXPECT_EQ(g_hover_record.pick_kind, 0);
}

// ---- random shapes against the oracle ----

TEST_F(OffsetTest, RandomPolygonsAgreeWithTheOracle) {
  // Star polygons with deep notches: inward offsets split into several loops or vanish.
  std::mt19937 random(20240611);
  std::uniform_int_distribution<int> vertices(5, 40);
  for (int shape = 0; shape < 60;) {
    const std::vector<Vertex> v = random_star(&random, vertices(random), 1.0);
    free_current_list();
    // Angles more than half a turn apart let an edge cross the others.
    if (!is_simple(flatten_for_clipper(add_contour(v, true), 1e-4))) continue;
    ++shape;
    for (float distance : {0.3f, 1.0f, 3.0f}) {
      for (bool outside : {true, false}) {
        SCOPED_TRACE("shape " + std::to_string(shape) + " distance " +
                     std::to_string(outside ? distance : -distance));
        free_current_list();
        expect_agrees_with_oracle(add_contour(v, true), {}, distance, outside);
      }
    }
  }
}

TEST_F(OffsetTest, RandomArcContoursAgreeWithTheOracleAndKeepTheirArcs) {
  std::mt19937 random(7741);
  std::uniform_int_distribution<int> vertices(4, 24);
  std::uniform_real_distribution<double> bulge(1.5, 4.0);
  std::bernoulli_distribution arc(0.6);
  std::bernoulli_distribution inward(0.3);
  for (int shape = 0; shape < 40;) {
    std::vector<Vertex> v = random_star(&random, vertices(random), 4.0);
    std::vector<double> radii;
    for (size_t i = 0; i < v.size(); ++i) {
      if (!arc(random)) continue;
      const Vertex& b = v[(i + 1) % v.size()];
      const double radius = bulge(random) * std::hypot(b.x - v[i].x, b.y - v[i].y) / 2.0;
      v[i].arc = inward(random) ? -radius : radius;
      radii.push_back(radius);
    }
    free_current_list();
    // An arc bulging in at a sharp tip can cross its neighbour, and where the tangents turn
    // by nearly half a turn the side of the turn is lost in rounding: only clearly simple
    // sources count.
    DrawingItem* source = add_contour(v, true);
    if (!is_simple(flatten_for_clipper(source, 1e-4)) || sharpest_turn(source) > 2.8) continue;
    ++shape;
    for (float distance : {0.2f, 1.0f}) {
      for (bool outside : {true, false}) {
        SCOPED_TRACE("shape " + std::to_string(shape) + " distance " +
                     std::to_string(outside ? distance : -distance));
        free_current_list();
        DrawingItem* item = add_contour(v, true);
        expect_agrees_with_oracle(item, radii, distance, outside);
        if (!radii.empty() && outside) {
          EXPECT_GT(count_arcs(g_lists.current.last), 0);
        }
      }
    }
  }
}

// ---- small shapes far from the origin ----

// The oracle's offset of the item by delta (positive outward): its loops.
ClipperLib::Paths oracle_offset(const DrawingItem* item, double delta, double sagitta) {
  ClipperLib::ClipperOffset offsetter(2.0, sagitta * CLIPPER_SCALE);
  offsetter.AddPath(flatten_for_clipper(item, sagitta), ClipperLib::jtRound,
                    ClipperLib::etClosedPolygon);
  ClipperLib::Paths solution;
  offsetter.Execute(solution, delta * CLIPPER_SCALE);
  return solution;
}

// Shapes of about `size` with their lower left corner at (x, y): a square, a circle drawn as
// two arcs, a slot, and outlines like the letters L and D.
std::vector<std::vector<Vertex>> small_shapes(double x, double y, double size) {
  const double s = size;
  return {
      {{x, y}, {x + s, y}, {x + s, y + s}, {x, y + s}},
      {{x, y + s / 2, s / 2}, {x + s, y + s / 2, s / 2}},
      {{x + s / 4, y}, {x + 3 * s / 4, y, s / 4}, {x + 3 * s / 4, y + s / 2},
       {x + s / 4, y + s / 2, s / 4}},
      {{x, y}, {x + s, y}, {x + s, y + s / 4}, {x + s / 3, y + s / 4}, {x + s / 3, y + s},
       {x, y + s}},
      {{x, y}, {x + s / 2, y, s / 2}, {x + s / 2, y + s}, {x, y + s}},
  };
}

// Small shapes anywhere on a sheet up to 10,000 units from the origin, at millimetre and at
// inch sizes, offset both ways: the same loops as the oracle's offset, areas within the
// flattening and the single precision of the coordinates. A small square far out once made
// nothing at all: its points were good to less than the limit that keeps pieces off the
// source.
TEST_F(OffsetTest, SmallShapesFarFromTheOriginAgreeWithTheOracle) {
  struct Scale {
    const char* unit;
    double size;
    double distance;
  };
  const Scale scales[] = {{"mm", 10.0, 1.0}, {"inch", 0.4, 0.04}};
  const double places[] = {0.0, 1500.0, 2047.0, 2049.0, 4100.0, 8191.0, 10000.0};
  for (const Scale& scale : scales) {
    for (const double at : places) {
      const std::vector<std::vector<Vertex>> shapes = small_shapes(at, at, scale.size);
      for (size_t k = 0; k < shapes.size(); ++k) {
        for (const bool outside : {true, false}) {
          SCOPED_TRACE(std::string(scale.unit) + " shape " + std::to_string(k) + " at " +
                       std::to_string(at) + (outside ? " outward" : " inward"));
          free_current_list();
          DrawingItem* item = add_contour(shapes[k], true);
          const double sagitta = 1e-4 * scale.size;
          const ClipperLib::Paths expected =
              oracle_offset(item, outside ? scale.distance : -scale.distance, sagitta);
          double expected_area = 0.0;
          for (const ClipperLib::Path& p : expected) expected_area += ClipperLib::Area(p);
          expected_area /= CLIPPER_SCALE * CLIPPER_SCALE;
          DrawingItem* last = g_lists.current.last;
          const OffsetOutcome ours = offset_to_side(item, static_cast<float>(scale.distance),
                                                    outside);
          EXPECT_EQ(ours.items, static_cast<int>(expected.size()));
          EXPECT_EQ(static_cast<int>(items_after(last).size()), static_cast<int>(expected.size()));
          EXPECT_TRUE(ours.all_closed);
          // Single-precision points this far out are good to about 1e-3; the boundary moves
          // by that much at most.
          const double precision = 4.0 * std::ldexp(1.0, std::ilogb(at + 1.0) - 23);
          const double perimeter = 8.0 * scale.size;
          EXPECT_NEAR(std::fabs(ours.area), std::fabs(expected_area),
                      perimeter * (sagitta + precision) + 1e-9);
        }
      }
    }
  }
}

}  // namespace
