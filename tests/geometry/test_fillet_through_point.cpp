// Fillets dragged through a point, judged in double by the test: the arc passes the point, its
// centre lies at its radius from both neighbours (tangent), its ends are the neighbours' new
// shared nodes and it leaves the first neighbour in that neighbour's direction of travel.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "geometry/construct.h"
#include "geometry/fillet_through_point.h"
#include "geometry/geometry2d.h"

namespace {

constexpr double PI = 3.14159265358979323846;

// A polyline of three links: the neighbour before, the fillet record, the neighbour after.
struct Corner {
  LinkRecord r[4] = {};
  LinkRecord* previous() { return &r[0]; }
  LinkRecord* fillet() { return &r[1]; }
  LinkRecord* next() { return &r[2]; }
};

PointF at(double x, double y) { return {static_cast<float>(x), static_cast<float>(y)}; }

// Two straight links meeting at the origin: in along direction a1, out along a2 (radians).
Corner line_corner(double a1, double a2, double length = 20.0) {
  Corner c;
  c.r[0].point = at(-length * std::cos(a1), -length * std::sin(a1));
  c.r[1].point = at(0, 0);
  c.r[2].point = at(0, 0);
  c.r[3].point = at(length * std::cos(a2), length * std::sin(a2));
  for (int i = 0; i < 3; ++i) c.r[i].node_flags = NODE_LOOSE;
  return c;
}

// A counter-clockwise (or clockwise) arc record from angle b0 to b1 about the centre.
void set_arc(LinkRecord* r, double cx, double cy, double radius, double b0, double b1,
             bool clockwise) {
  r[0].code = static_cast<float>(radius);
  r[0].centre = at(cx, cy);
  r[0].point = at(cx + radius * std::cos(b0), cy + radius * std::sin(b0));
  r[1].point = at(cx + radius * std::cos(b1), cy + radius * std::sin(b1));
  r[0].link_flags = clockwise ? LINK_CLOCKWISE : 0;
  arc_angles_from_points(r);
}

double dist(PointF a, PointF b) { return std::hypot(double(a.x) - b.x, double(a.y) - b.y); }

// Distance from p to the infinite line through a and b.
double line_distance(PointF p, PointF a, PointF b) {
  const double dx = double(b.x) - a.x;
  const double dy = double(b.y) - a.y;
  return std::fabs((double(p.x) - a.x) * dy - (double(p.y) - a.y) * dx) / std::hypot(dx, dy);
}

double wrap(double a) {
  a = std::fmod(a, 2 * PI);
  if (a > PI) a -= 2 * PI;
  if (a < -PI) a += 2 * PI;
  return a;
}

// The direction of travel along an arc at a point on it.
double arc_direction(const LinkRecord* arc, PointF p) {
  const double radial = std::atan2(double(p.y) - arc->centre.y, double(p.x) - arc->centre.x);
  return (arc->link_flags & LINK_CLOCKWISE) != 0 ? radial - PI / 2 : radial + PI / 2;
}

// The checks every fillet through p must pass.
void expect_fillet_through(Corner& c, PointF p, double tolerance) {
  const LinkRecord* f = c.fillet();
  ASSERT_GT(f->code, 0.0f);
  EXPECT_NEAR(dist(f->centre, p), f->code, tolerance) << "the arc passes the point";
  EXPECT_NEAR(dist(f->centre, f->point), f->code, tolerance);
  EXPECT_NEAR(dist(f->centre, c.next()->point), f->code, tolerance);
  EXPECT_EQ(f->node_flags & NODE_KIND_MASK, NODE_TANGENT);
  EXPECT_EQ(c.next()->node_flags & NODE_KIND_MASK, NODE_TANGENT);
  // The arc's sweep runs from its node to the next node through the point.
  const double start = std::atan2(double(f->point.y) - f->centre.y, double(f->point.x) - f->centre.x);
  const double to_p = std::atan2(double(p.y) - f->centre.y, double(p.x) - f->centre.x);
  double along = (f->link_flags & LINK_CLOCKWISE) != 0 ? start - to_p : to_p - start;
  along = std::fmod(along + 4 * PI, 2 * PI);
  EXPECT_LE(along, f->sweep + 1e-4) << "the point lies on the arc, not on the rest of its circle";
}

struct LineCase {
  const char* name;
  double a1;      // direction into the corner
  double a2;      // direction out of it
  double radius;  // the fillet the point is taken from
};

// Fillets of two lines: the point is the middle of a fillet of known radius; dragged through it,
// the construction must find that radius, tangent to both lines, ends at r / tan(half) from the
// corner.
TEST(FilletThroughPoint, TwoLinesFindTheFilletThroughTheMiddleOfTheArc) {
  const LineCase cases[] = {
      {"perpendicular", -PI / 2, 0.0, 2.0},
      {"obtuse", 0.5, 1.6, 3.0},
      {"sharp", 0.0, 2.8, 0.5},
      {"in just below a full turn", 2 * PI - 0.004, 0.3, 4.0},
      {"out just below a full turn", 0.3, 2 * PI - 0.5, 1.5},
      {"clockwise turn", PI / 2, -0.4, 2.5},
  };
  for (const LineCase& k : cases) {
    SCOPED_TRACE(k.name);
    Corner c = line_corner(k.a1, k.a2);
    // The centre lies on the bisector of the back of the first line and the second line.
    double ux = -std::cos(k.a1) + std::cos(k.a2);
    double uy = -std::sin(k.a1) + std::sin(k.a2);
    const double n = std::hypot(ux, uy);
    ux /= n;
    uy /= n;
    const double half = std::acos(-std::cos(k.a1) * ux - std::sin(k.a1) * uy);
    const double to_centre = k.radius / std::sin(half);
    const PointF p = at(ux * (to_centre - k.radius), uy * (to_centre - k.radius));
    float radius = 0.0f;
    ASSERT_EQ(fillet_lines_through_point(c.previous(), c.next(), &p, c.fillet(), &radius),
              FILLET_POINT_DONE);
    EXPECT_NEAR(radius, k.radius, 1e-4);
    EXPECT_NEAR(c.fillet()->code, k.radius, 1e-4);
    expect_fillet_through(c, p, 1e-4);
    const double along = k.radius / std::tan(half);
    EXPECT_NEAR(c.fillet()->point.x, -along * std::cos(k.a1), 1e-4);
    EXPECT_NEAR(c.fillet()->point.y, -along * std::sin(k.a1), 1e-4);
    EXPECT_NEAR(c.next()->point.x, along * std::cos(k.a2), 1e-4);
    EXPECT_NEAR(c.next()->point.y, along * std::sin(k.a2), 1e-4);
    // Tangent to both lines, travelling on in their directions.
    const LinkRecord* f = c.fillet();
    EXPECT_NEAR(line_distance(f->centre, c.r[0].point, at(0, 0)), k.radius, 1e-4);
    EXPECT_NEAR(line_distance(f->centre, at(0, 0), c.r[3].point), k.radius, 1e-4);
    EXPECT_NEAR(wrap(arc_direction(f, f->point) - k.a1), 0.0, 1e-3);
    EXPECT_NEAR(wrap(arc_direction(f, c.next()->point) - k.a2), 0.0, 1e-3);
  }
}

// Perpendicular lines and a point on the diagonal: of the two circles through it tangent to both
// lines only the one whose near side holds the point makes an arc that runs on with the lines.
TEST(FilletThroughPoint, PerpendicularLinesTakeTheCircleWhoseArcHoldsThePoint) {
  Corner c = line_corner(-PI / 2, 0.0);
  const PointF p = at(1, 1);
  float radius = 0.0f;
  ASSERT_EQ(fillet_lines_through_point(c.previous(), c.next(), &p, c.fillet(), &radius),
            FILLET_POINT_DONE);
  EXPECT_NEAR(radius, 2.0 + std::sqrt(2.0), 1e-4);
  expect_fillet_through(c, p, 1e-4);
}

// Dragged to where no arc can leave the first line and join the second in their directions
// (below the second line, so the arc would run back along it), onto a line, or so far out that
// the arc would start before the first line does: nothing is written and the corner stays.
TEST(FilletThroughPoint, APointPastTheCornerOrBeyondALineChangesNothing) {
  const struct {
    const char* name;
    PointF p;
  } cases[] = {
      {"below the second line", at(1, -1)},
      {"on a line", at(0, 5)},
      {"arc longer than the first line", at(15, 15)},
  };
  for (const auto& k : cases) {
    SCOPED_TRACE(k.name);
    Corner c = line_corner(-PI / 2, 0.0, 10.0);
    Corner before = c;
    float radius = -1.0f;
    EXPECT_NE(fillet_lines_through_point(c.previous(), c.next(), &k.p, c.fillet(), &radius),
              FILLET_POINT_DONE);
    EXPECT_EQ(std::memcmp(c.r, before.r, sizeof c.r), 0);
    EXPECT_EQ(radius, -1.0f);
  }
}

// Parallel lines: a half circle of half their distance through the point.
TEST(FilletThroughPoint, ParallelLinesMakeAHalfCircle) {
  Corner c;
  c.r[0].point = at(10, 0);
  c.r[1].point = at(0, 0);
  c.r[2].point = at(0, 4);
  c.r[3].point = at(10, 4);
  const PointF p = at(-2, 2);
  float radius = 0.0f;
  ASSERT_EQ(fillet_lines_through_point(c.previous(), c.next(), &p, c.fillet(), &radius),
            FILLET_POINT_DONE);
  EXPECT_NEAR(radius, 2.0, 1e-5);
  EXPECT_NEAR(c.fillet()->centre.x, 0.0, 1e-5);
  EXPECT_NEAR(c.fillet()->centre.y, 2.0, 1e-5);
  EXPECT_NEAR(c.fillet()->sweep, PI, 1e-4);
  expect_fillet_through(c, p, 1e-5);
}

// Arcs: the point is the middle of the by-value fillet of a known radius; the drag through it
// finds a circle tangent to both arcs' circles that keeps the first arc's direction.
TEST(FilletThroughPoint, TwoArcsThroughThePointOfAKnownFillet) {
  Corner c;
  // Circle A about (0, 0) and circle B about (16, 0), both of radius 10, cross at (8, 6).
  const double at_a = std::atan2(6.0, 8.0);
  const double at_b = PI - at_a;
  set_arc(&c.r[0], 0, 0, 10, 0.0, at_a, false);  // also puts the fillet's node at (8, 6)
  set_arc(&c.r[2], 16, 0, 10, at_b, PI, false);
  Corner by_value = c;
  by_value.r[1].code = 1.0f;
  ASSERT_EQ(fillet_two_arcs(by_value.previous(), by_value.next(), by_value.fillet()), FILLET_OK);
  const LinkRecord* known = by_value.fillet();
  const double mid = std::atan2(double(known->point.y) - known->centre.y,
                                double(known->point.x) - known->centre.x) +
                     ((known->link_flags & LINK_CLOCKWISE) != 0 ? -1 : 1) * known->sweep / 2;
  const PointF p = at(known->centre.x + std::cos(mid), known->centre.y + std::sin(mid));
  float radius = 0.0f;
  const int inner = ((c.r[0].link_flags ^ c.r[2].link_flags) & LINK_CLOCKWISE) != 0;
  ASSERT_EQ(fillet_arcs_through_point(c.previous(), c.next(), &p, c.fillet(), inner, &radius),
            FILLET_POINT_DONE);
  expect_fillet_through(c, p, 1e-3);
  const LinkRecord* f = c.fillet();
  const double ra = std::fabs(dist(f->centre, at(0, 0)) - 10.0);
  const double rb = std::fabs(dist(f->centre, at(16, 0)) - 10.0);
  const double sa = dist(f->centre, at(0, 0)) + 10.0;
  EXPECT_TRUE(std::fabs(ra - f->code) < 1e-3 || std::fabs(sa - f->code) < 1e-3) << "tangent to A";
  EXPECT_NEAR(std::min(rb, dist(f->centre, at(16, 0)) + 10.0), f->code, 1e-3) << "tangent to B";
  EXPECT_NEAR(dist(f->point, at(0, 0)), 10.0, 1e-3);
  EXPECT_NEAR(dist(c.next()->point, at(16, 0)), 10.0, 1e-3);
  EXPECT_NEAR(wrap(arc_direction(f, f->point) - arc_direction(&c.r[0], f->point)), 0.0, 0.01);
  EXPECT_NEAR(radius, 1.0, 1e-3);
}

// A line then an arc, and an arc then a line: the point of a known fillet of radius 1 gives it
// back, its line end on the line and its arc end on the arc's circle.
TEST(FilletThroughPoint, LineAndArcEitherWayRound) {
  for (const bool arc_first : {false, true}) {
    SCOPED_TRACE(arc_first ? "arc first" : "line first");
    Corner c;
    if (arc_first) {
      // An arc about (0, 10) of radius 10 ending at the origin, then a line up and right.
      set_arc(&c.r[0], 0, 10, 10, PI, 1.5 * PI, false);
      c.r[1].point = at(0, 0);
      c.r[2].point = at(0, 0);
      c.r[3].point = at(10, 10);
    } else {
      c.r[0].point = at(-10, 10);
      c.r[1].point = at(0, 0);
      c.r[2].point = at(0, 0);
      set_arc(&c.r[2], 0, 10, 10, 1.5 * PI, 2 * PI, false);
      c.r[1].point = c.r[2].point;
    }
    Corner by_value = c;
    by_value.r[1].code = 1.0f;
    const int order = arc_first ? FILLET_ARC_THEN_LINE : FILLET_LINE_THEN_ARC;
    LinkRecord* line = arc_first ? by_value.next() : by_value.previous();
    LinkRecord* arc = arc_first ? by_value.previous() : by_value.next();
    ASSERT_EQ(fillet_line_and_arc(line, arc, by_value.fillet(), order), FILLET_OK);
    const LinkRecord* known = by_value.fillet();
    const double mid = std::atan2(double(known->point.y) - known->centre.y,
                                  double(known->point.x) - known->centre.x) +
                       ((known->link_flags & LINK_CLOCKWISE) != 0 ? -1 : 1) * known->sweep / 2;
    const PointF p = at(known->centre.x + std::cos(mid), known->centre.y + std::sin(mid));
    float radius = 0.0f;
    LinkRecord* l = arc_first ? c.next() : c.previous();
    LinkRecord* a = arc_first ? c.previous() : c.next();
    ASSERT_EQ(fillet_line_arc_through_point(l, a, &p, c.fillet(), arc_first, &radius),
              FILLET_POINT_DONE);
    expect_fillet_through(c, p, 2e-4);
    EXPECT_NEAR(radius, 1.0, 2e-4);
    const LinkRecord* f = c.fillet();
    const PointF on_line = arc_first ? c.next()->point : f->point;
    const PointF on_arc = arc_first ? f->point : c.next()->point;
    EXPECT_NEAR(line_distance(on_line, at(0, 0), arc_first ? at(10, 10) : at(-10, 10)), 0.0, 1e-4);
    EXPECT_NEAR(dist(on_arc, at(0, 10)), 10.0, 2e-4);
    EXPECT_NEAR(wrap(arc_direction(f, on_arc) - arc_direction(a, on_arc)), 0.0, 0.01);
  }
}

}  // namespace
