// Fusing two items: the result items of each boolean mode judged against an outside polygon
// clipper working on finely flattened copies, the nearly coincident copies the engine must
// decide or refuse, and the results that are not loops.
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "cam/fuse_outlines.h"
#include "cam/outline_collect.h"
#include "geometry/contour_boolean.h"
#include "geometry/item_edit_state.h"
#include "nc/cam_host.h"
#include "records/job_settings.h"
#include "store/line_list.h"
#include "tests/geometry/clipper_flatten.h"
#include "tests/geometry/offset_fixture.h"

namespace {

using offset_test::Vertex;
using offset_test::add_contour;
using offset_test::add_square;
using offset_test::item_area;
using offset_test::items_after;

class FuseTest : public ::testing::Test {
 protected:
  void SetUp() override {
    reset_list_store();
    g_job_settings = JobSettings{};
    reset_item_edit();
    reset_outline_collect();
    reset_contour_kernel_state();
    reset_cam_host();
    reset_fuse_state();
  }
  void TearDown() override {
    free_current_list();
    reset_outline_collect();
  }
};

// A circle as a closed polyline of two half circles, counter-clockwise.
DrawingItem* add_circle(double cx, double cy, double r) {
  return add_contour({{cx + r, cy, r}, {cx - r, cy, r}}, true);
}

// A circle item: one whole arc from its point on the circle.
DrawingItem* add_circle_item(double cx, double cy, double r) {
  EXPECT_EQ(new_geometry_block("", nullptr, 1, 0, GEOMETRY_KIND_DRAWING_AID), 0);
  DrawingItem* item = g_lists.current.last;
  item->kind = ITEM_CIRCLE;
  LinkRecord* n = item_nodes(item);
  n[0].point = {static_cast<float>(cx + r), static_cast<float>(cy)};
  n[0].centre = {static_cast<float>(cx), static_cast<float>(cy)};
  n[0].code = static_cast<float>(r);
  n[0].sweep = SWEEP_RADIUS_CIRCLE;
  n[0].node_flags = NODE_FIRST | NODE_LOOSE;
  n[1].point = n[0].point;
  n[1].node_flags = NODE_CLOSING;
  item_bounding_boxes(item);
  return item;
}

// A star of `points` spikes between the radii, as a closed polyline.
DrawingItem* add_star(double cx, double cy, double outer, double inner, int points) {
  std::vector<Vertex> v;
  for (int k = 0; k < 2 * points; ++k) {
    const double a = k * CONTOUR_PI / points;
    const double r = k % 2 == 0 ? outer : inner;
    v.push_back({cx + r * std::cos(a), cy + r * std::sin(a)});
  }
  return add_contour(v, true);
}

std::vector<DrawingItem*> results_of_mode(DrawingItem* last, int mode) {
  std::vector<DrawingItem*> out;
  for (DrawingItem* i : items_after(last))
    if (item_group_tag(i) == FUSE_TAG_BASE + mode) out.push_back(i);
  return out;
}

// The area the items enclose together (outlines and holes run opposite ways).
double region_area(const std::vector<DrawingItem*>& items) {
  double sum = 0.0;
  for (DrawingItem* i : items) sum += item_area(i);
  return std::fabs(sum);
}

double perimeter(const ClipperLib::Path& p) {
  double length = 0.0;
  for (size_t k = 0; k < p.size(); ++k) {
    const ClipperLib::IntPoint& a = p[k];
    const ClipperLib::IntPoint& b = p[(k + 1) % p.size()];
    length += std::hypot(static_cast<double>(a.X - b.X), static_cast<double>(a.Y - b.Y));
  }
  return length / CLIPPER_SCALE;
}

// The item as the clipper's polygon; a circle item (its sweep a code) flattened here.
ClipperLib::Path oracle_path(const DrawingItem* item, double sagitta) {
  if (item_type(item) != ITEM_CIRCLE) return flatten_for_clipper(item, sagitta);
  const LinkRecord& r = item_nodes(item)[0];
  const double radius = r.code;
  const int parts = static_cast<int>(std::ceil(CONTOUR_PI / std::acos(1.0 - sagitta / radius)));
  ClipperLib::Path path;
  for (int k = 0; k < parts; ++k) {
    const double a = 2.0 * CONTOUR_PI * k / parts;
    path.emplace_back(std::llround((r.centre.x + radius * std::cos(a)) * CLIPPER_SCALE),
                      std::llround((r.centre.y + radius * std::sin(a)) * CLIPPER_SCALE));
  }
  return path;
}

// What the clipper makes of the two items in the boolean mode.
ClipperLib::Paths oracle(const ClipperLib::Path& a, const ClipperLib::Path& b, int mode) {
  ClipperLib::Clipper clipper;
  const bool swap = mode == BOOLEAN_B_MINUS_A;
  clipper.AddPath(swap ? b : a, ClipperLib::ptSubject, true);
  clipper.AddPath(swap ? a : b, ClipperLib::ptClip, true);
  const ClipperLib::ClipType types[] = {ClipperLib::ctUnion, ClipperLib::ctDifference,
                                        ClipperLib::ctDifference, ClipperLib::ctIntersection};
  ClipperLib::Paths out;
  clipper.Execute(types[mode], out, ClipperLib::pftNonZero, ClipperLib::pftNonZero);
  return out;
}

double oracle_area(const ClipperLib::Paths& paths) {
  double area = 0.0;
  for (const ClipperLib::Path& p : paths) area += ClipperLib::Area(p);
  return std::fabs(area) / (CLIPPER_SCALE * CLIPPER_SCALE);
}

// Fuses the two items and holds every mode's items to the clipper's result: as many loops,
// the same area within what the flattening and the items' single precision allow, every
// result a closed polyline.
void expect_agreement(DrawingItem* a, DrawingItem* b, const std::string& name) {
  SCOPED_TRACE(name);
  const double sagitta = 1e-5;
  const ClipperLib::Path pa = oracle_path(a, sagitta);
  const ClipperLib::Path pb = oracle_path(b, sagitta);
  DrawingItem* last = g_lists.current.last;
  const int32_t made = fuse_items(a, b);
  ASSERT_GT(made, 0);
  EXPECT_EQ(g_contour_kernel.EngineStatus & ENGINE_STATUS_BOOLEAN_FAILED, 0);
  EXPECT_EQ(static_cast<int32_t>(items_after(last).size()), made);
  const double slack = (perimeter(pa) + perimeter(pb)) * (sagitta + 4e-6) + 1e-6;
  for (int mode = BOOLEAN_UNION; mode <= BOOLEAN_INTERSECTION; ++mode) {
    SCOPED_TRACE("mode " + std::to_string(mode));
    const ClipperLib::Paths expected = oracle(pa, pb, mode);
    const std::vector<DrawingItem*> ours = results_of_mode(last, mode);
    EXPECT_EQ(ours.size(), expected.size());
    EXPECT_NEAR(region_area(ours), oracle_area(expected), slack);
    for (DrawingItem* i : ours) {
      EXPECT_TRUE(item_is_closed(i));
      EXPECT_EQ(item_type(i), ITEM_POLYLINE);
      const LinkRecord* r = item_nodes(i);
      EXPECT_EQ(r[0].point.x, item_closing_record(i)->point.x);
      EXPECT_EQ(r[0].point.y, item_closing_record(i)->point.y);
    }
  }
}

TEST_F(FuseTest, OverlappingCirclesAgreeWithTheClipperAndKeepTheirArcs) {
  DrawingItem* a = add_circle(0, 0, 10);
  DrawingItem* b = add_circle(12, 3, 7);
  DrawingItem* last = b;
  expect_agreement(a, b, "two polyline circles");
  for (DrawingItem* i : items_after(last)) {
    EXPECT_GT(offset_test::count_arcs(i), 0);
    for (int k = 0; k < item_link_count(i); ++k) EXPECT_TRUE(code_is_arc(item_nodes(i)[k].code));
  }
  free_current_list();
  expect_agreement(add_circle_item(0, 0, 10), add_circle_item(5, 0, 10), "two circle items");
}

TEST_F(FuseTest, SeededPolygonsAndArcShapesAgreeWithTheClipper) {
  std::mt19937 rng(3317);
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  for (int trial = 0; trial < 25; ++trial) {
    free_current_list();
    // A star-shaped polygon about the origin and a rounded slot across it.
    std::vector<Vertex> v;
    const int corners = 5 + trial % 7;
    for (int k = 0; k < corners; ++k) {
      const double angle = (k + 0.3 * unit(rng)) * 2.0 * CONTOUR_PI / corners;
      const double r = 6.0 + 4.0 * unit(rng);
      v.push_back({r * std::cos(angle), r * std::sin(angle)});
    }
    DrawingItem* a = add_contour(v, true);
    const double x = -4.0 + 8.0 * unit(rng), y = -3.0 + 6.0 * unit(rng);
    // Its ends bulge by less than half circles: the centre of an arc whose radius is its half
    // chord is not fixed by single-precision ends.
    const double length = 8.0 + 6.0 * unit(rng), half = 1.0 + 2.0 * unit(rng);
    const double bulge = 1.25 * half;
    DrawingItem* b = add_contour({{x, y - half},
                                  {x + length, y - half, bulge},
                                  {x + length, y + half},
                                  {x, y + half, bulge}},
                                 true);
    expect_agreement(a, b, "trial " + std::to_string(trial));
  }
}

TEST_F(FuseTest, AStarOfFiveHundredLinksWithASmallSquare) {
  DrawingItem* star = add_star(0, 0, 20, 17, 250);
  DrawingItem* square = add_square(17.5, -0.5, 1.0);
  expect_agreement(star, square, "star and square");
}

TEST_F(FuseTest, ATinySquareAcrossACircleRim) {
  expect_agreement(add_circle(0, 0, 10), add_square(9.9995, -0.0005, 0.001), "rim square");
}

// Copies nudged by a hair: one union loop and one intersection loop, each of the square's
// area; the differences are slivers or nothing. Never two loops of twice the area.
TEST_F(FuseTest, SquaresNudgedByAHairGiveOneLoop) {
  struct Nudge {
    const char* name;
    double dx, dy;
  };
  const Nudge cases[] = {{"x", 1e-6, 0.0}, {"y", 0.0, 1e-6}, {"both", 1e-6, -1e-6}};
  for (const Nudge& c : cases) {
    SCOPED_TRACE(c.name);
    free_current_list();
    reset_contour_kernel_state();
    DrawingItem* a = add_square(0, 0, 10);
    DrawingItem* b = add_square(c.dx, c.dy, 10);
    DrawingItem* last = b;
    ASSERT_GT(fuse_items(a, b), 0);
    const std::vector<DrawingItem*> unions = results_of_mode(last, BOOLEAN_UNION);
    const std::vector<DrawingItem*> common = results_of_mode(last, BOOLEAN_INTERSECTION);
    ASSERT_EQ(unions.size(), 1u);
    ASSERT_EQ(common.size(), 1u);
    EXPECT_NEAR(region_area(unions), 100.00001, 1e-4);
    EXPECT_NEAR(region_area(common), 100.0, 1e-4);
    for (const int mode : {BOOLEAN_A_MINUS_B, BOOLEAN_B_MINUS_A})
      EXPECT_LT(region_area(results_of_mode(last, mode)), 1e-4) << "mode " << mode;
  }
}

TEST_F(FuseTest, LoopsThatDoNotCrossMakeNothing) {
  struct Pair {
    const char* name;
    double x, y, size;  // the second square
    int32_t expected;
  };
  const Pair cases[] = {
      {"apart", 20, 0, 5, 0},
      {"second inside the first", 2, 2, 5, BOOLEAN_B_INSIDE_A},
      {"first inside the second", -5, -5, 30, BOOLEAN_A_INSIDE_B},
  };
  for (const Pair& c : cases) {
    SCOPED_TRACE(c.name);
    free_current_list();
    reset_contour_kernel_state();
    DrawingItem* a = add_square(0, 0, 10);
    DrawingItem* b = add_square(c.x, c.y, c.size);
    EXPECT_EQ(fuse_items(a, b), c.expected);
    EXPECT_EQ(g_contour_kernel.EngineStatus & ENGINE_STATUS_BOOLEAN_FAILED, 0);
    EXPECT_TRUE(items_after(b).empty());
  }
}

// A loop that crosses itself cannot be fused: the failure bit and the crossing are reported
// and nothing is made.
TEST_F(FuseTest, ALoopCrossingItselfFailsWithNothingMade) {
  DrawingItem* bow = add_contour({{0, 0}, {10, 10}, {10, 0}, {0, 10}}, true);
  DrawingItem* square = add_square(2, 2, 4);
  EXPECT_EQ(fuse_items(bow, square), 0);
  EXPECT_NE(g_contour_kernel.EngineStatus & ENGINE_STATUS_BOOLEAN_FAILED, 0);
  EXPECT_NE(g_contour_kernel.EngineStatus & ENGINE_STATUS_SELF_CROSSING, 0);
  EXPECT_TRUE(items_after(square).empty());
}

// The results take the fuse's layer and CAM kind; the originals stay as they were.
TEST_F(FuseTest, ResultsTakeTheFuseLayerAndLeaveTheOriginals) {
  DrawingItem* a = add_square(0, 0, 10);
  DrawingItem* b = add_square(5, 5, 10);
  const std::vector<uint8_t> before_a = a->extra;
  g_fuse.layer = 7;
  ASSERT_GT(fuse_items(a, b), 0);
  EXPECT_EQ(a->extra, before_a);
  for (DrawingItem* i : items_after(b)) EXPECT_EQ(item_layer(i), 7);
}

// A loop of one whole arc becomes a circle of two half arcs, not nothing.
TEST_F(FuseTest, AWholeCircleLoopBecomesTwoHalfArcs) {
  std::vector<ContourNode> nodes = {{10, 0}, {0, 0}};
  ContourLink circle;
  circle.kind = SEGMENT_ARC;
  circle.start_node = circle.end_node = 0;
  circle.centre_node = 1;
  circle.radius = 10;
  circle.direction = CONTOUR_CLOCKWISE;
  ASSERT_EQ(build_item_from_segments(&circle, nodes.data(), 0, 0), 1);
  DrawingItem* item = g_lists.current.last;
  ASSERT_EQ(item_link_count(item), 2);
  EXPECT_NEAR(std::fabs(item_area(item)), CONTOUR_PI * 100.0, 1e-3);
  EXPECT_EQ(build_item_from_segments(&circle, nodes.data(), 0, -1), 0);
}

// An arc of nearly a whole turn stays an arc; a hair of an arc becomes a rigid line.
TEST_F(FuseTest, ArcSweepsDecideTheirCodeInDoublePrecision) {
  const double near_whole = 2.0 * CONTOUR_PI - 1e-4;
  std::vector<ContourNode> nodes = {
      {10.0 * std::cos(near_whole), 10.0 * std::sin(near_whole)}, {0, 0}, {10, 0}};
  ContourLink arc;
  arc.kind = SEGMENT_ARC;
  arc.start_node = 2;
  arc.end_node = 0;
  arc.centre_node = 1;
  arc.radius = 10;
  arc.direction = CONTOUR_COUNTER_CLOCKWISE;
  ContourLink back;
  back.kind = SEGMENT_LINE;
  back.start_node = 0;
  back.end_node = 2;
  std::vector<ContourLink> links = {arc, back};
  ASSERT_EQ(build_item_from_segments(links.data(), nodes.data(), 0, 1), 1);
  const LinkRecord* r = item_nodes(g_lists.current.last);
  EXPECT_TRUE(code_is_arc(r[0].code));
  EXPECT_NEAR(r[0].sweep, near_whole, 1e-5);
  EXPECT_NEAR(std::fabs(item_area(g_lists.current.last)), CONTOUR_PI * 100.0, 1e-2);
  // The short way round: a sweep of 1e-4 is a line.
  links[0].direction = CONTOUR_CLOCKWISE;
  ASSERT_EQ(build_item_from_segments(links.data(), nodes.data(), 0, 1), 1);
  EXPECT_EQ(item_nodes(g_lists.current.last)[0].code, LINK_RIGID_LINE);
}

}  // namespace
