// Mirroring, turning and scaling whole items: arcs keep their sweep and radius and turn the
// other way under a mirror, a mirror twice is the identity, point patterns follow by their own
// rules; and the link operations: records from points, a node inserted into a line or an arc,
// and a link turned onto a master line's nearer direction.
#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "geometry/construct.h"
#include "geometry/item_motion.h"
#include "geometry/link_operations.h"
#include "geometry/point_arrays.h"
#include "tests/geometry/item_fixture.h"

namespace {

constexpr double PI = 3.14159265358979323846;

class ItemMotion : public ItemTest {
 protected:
  // A line, then a counter-clockwise quarter arc about (10, 0) from (10, -5) to (15, 0), then a
  // quadratic link with its control point.
  DrawingItem* mixed_item() {
    DrawingItem* item = make_item({{0, 0}, {10, -5, 5}, {15, 0, LINK_QUADRATIC}, {20, 5}});
    LinkRecord* r = item_nodes(item);
    r[1].centre = PointF{10, 0};
    arc_angles_from_points(&r[1]);
    r[2].centre = PointF{18, -2};
    item_bounding_boxes(item);
    return item;
  }
  static LinkRecord line_of(PointF a, PointF b, LinkRecord out[2]) {
    out[0] = LinkRecord{};
    out[1] = LinkRecord{};
    out[0].point = a;
    out[1].point = b;
    return out[0];
  }
};

TEST_F(ItemMotion, AMirrorTurnsArcsTheOtherWayAndTwiceGivesTheItemBack) {
  DrawingItem* item = mixed_item();
  const std::vector<LinkRecord> before(item_nodes(item), item_nodes(item) + 4);
  LinkRecord axis[2];
  line_of({0, 0}, {0, 1}, axis);  // the y axis
  mirror_item(item, item, axis);
  const LinkRecord* r = item_nodes(item);
  EXPECT_FLOAT_EQ(r[2].point.x, -15);
  EXPECT_FLOAT_EQ(r[1].centre.x, -10);
  EXPECT_FLOAT_EQ(r[2].centre.x, -18);  // the control point too
  EXPECT_TRUE(r[1].link_flags & LINK_CLOCKWISE);
  EXPECT_FLOAT_EQ(r[1].sweep, before[1].sweep);
  EXPECT_FLOAT_EQ(r[1].code, 5);
  // The clockwise arc's start angle is measured at its end: (-15, 0) seen from (-10, 0).
  EXPECT_NEAR(r[1].start_angle, PI, 1e-6);
  mirror_item(item, item, axis);
  for (int k = 0; k < 4; ++k) {
    EXPECT_NEAR(item_nodes(item)[k].point.x, before[k].point.x, 1e-6);
    EXPECT_NEAR(item_nodes(item)[k].point.y, before[k].point.y, 1e-6);
  }
  EXPECT_FALSE(item_nodes(item)[1].link_flags & LINK_CLOCKWISE);
  EXPECT_NEAR(item_nodes(item)[1].start_angle, before[1].start_angle, 1e-6);
  // A mirror line of no length changes nothing.
  line_of({3, 3}, {3, 3}, axis);
  mirror_item(item, item, axis);
  EXPECT_FLOAT_EQ(item_nodes(item)[2].point.x, 15);
}

TEST_F(ItemMotion, AMirroredGridKeepsItsRowsAndASinglePointItsSecondPoint) {
  DrawingItem* grid = make_item({{1, 1, LINK_POINT}, {7, 5}}, ITEM_POINT);
  item_nodes(grid)[0].centre = PointF{2, 2};
  set_point_array(item_closing_record(grid), 4, 3, POINT_ARRAY_ROWS);
  LinkRecord axis[2];
  line_of({0, 0}, {0, 1}, axis);
  mirror_item(grid, grid, axis);
  EXPECT_FLOAT_EQ(item_nodes(grid)[0].point.x, -1);
  EXPECT_FLOAT_EQ(item_nodes(grid)[0].centre.x, -2);  // the spacing flips its sign
  EXPECT_FLOAT_EQ(item_nodes(grid)[0].centre.y, 2);
  DrawingItem* single = make_item({{1, 1, LINK_POINT}, {9, 9}}, ITEM_POINT);
  mirror_item(single, single, axis);
  EXPECT_FLOAT_EQ(item_nodes(single)[1].point.x, -1);
  EXPECT_FLOAT_EQ(item_nodes(single)[1].point.y, 1);
}

TEST_F(ItemMotion, AQuarterTurnTurnsArcsStartAnglesWithThem) {
  DrawingItem* item = mixed_item();
  const LinkRecord arc = item_nodes(item)[1];
  const PointF pivot{0, 0};
  rotate_item(item, &pivot, PI / 2);
  const LinkRecord* r = item_nodes(item);
  EXPECT_NEAR(r[1].centre.x, 0, 1e-5);
  EXPECT_NEAR(r[1].centre.y, 10, 1e-5);
  EXPECT_NEAR(r[3].point.x, -5, 1e-5);
  EXPECT_NEAR(r[3].point.y, 20, 1e-5);
  EXPECT_NEAR(r[1].start_angle, normalize_angle(arc.start_angle + PI / 2), 1e-5);
  EXPECT_EQ(r[1].sweep, arc.sweep);
  EXPECT_EQ(r[1].link_flags & LINK_CLOCKWISE, arc.link_flags & LINK_CLOCKWISE);
  // A grid follows its anchor and keeps its rows and columns along the axes.
  DrawingItem* grid = make_item({{1, 0, LINK_POINT}, {7, 4}}, ITEM_POINT);
  item_nodes(grid)[0].centre = PointF{2, 2};
  set_point_array(item_closing_record(grid), 4, 3, POINT_ARRAY_ROWS);
  rotate_item(grid, &pivot, PI / 2);
  EXPECT_NEAR(item_nodes(grid)[0].point.x, 0, 1e-5);
  EXPECT_NEAR(item_nodes(grid)[0].point.y, 1, 1e-5);
  EXPECT_NEAR(item_nodes(grid)[1].point.x, 6, 1e-5);
  EXPECT_NEAR(item_nodes(grid)[1].point.y, 5, 1e-5);
}

TEST_F(ItemMotion, ScalingByTwoDoublesLengthsRadiiAndPointRadii) {
  DrawingItem* item = mixed_item();
  const PointF centre{1, 1};
  scale_item(item, 2, &centre);
  const LinkRecord* r = item_nodes(item);
  EXPECT_FLOAT_EQ(r[1].point.x, 19);
  EXPECT_FLOAT_EQ(r[1].point.y, -11);
  EXPECT_FLOAT_EQ(r[1].centre.x, 19);
  EXPECT_FLOAT_EQ(r[1].code, 10);
  EXPECT_FLOAT_EQ(r[2].centre.x, 35);
  DrawingItem* drill = make_item({{2, 2, LINK_POINT - 0.5f}, {2, 2}}, ITEM_POINT);
  DrawingItem* bare = make_item({{2, 2, LINK_POINT}, {2, 2}}, ITEM_POINT);
  scale_item(drill, 2, &centre);
  scale_item(bare, 2, &centre);
  EXPECT_FLOAT_EQ(item_nodes(drill)[0].code, LINK_POINT - 1.0f);
  EXPECT_FLOAT_EQ(item_nodes(bare)[0].code, LINK_POINT);
  EXPECT_FLOAT_EQ(item_nodes(bare)[1].point.x, item_nodes(bare)[0].point.x);
}

TEST_F(ItemMotion, NodesFromPointsMakesRigidLinesOrCurvesBetweenThem) {
  const PointF points[] = {{0, 0}, {3, 0}, {3, 4}, {0, 0}};
  for (const float code : {LINK_RIGID_LINE, LINK_SPLINE}) {
    LinkRecord r[4];
    nodes_from_points(3, points, r, code);
    EXPECT_EQ(r[0].node_flags, NODE_FIRST);
    EXPECT_EQ(r[1].node_flags, code == LINK_RIGID_LINE ? NODE_LOOSE : NODE_TANGENT);
    EXPECT_EQ(r[3].node_flags, NODE_CLOSING);
    for (int k = 0; k < 3; ++k) {
      EXPECT_EQ(r[k].code, code);
      EXPECT_EQ(r[k].sweep, 0.0f);
    }
    EXPECT_EQ(r[2].box_min.x, 0.0f);
    EXPECT_EQ(r[2].box_max.y, 4.0f);
    EXPECT_NE(r[1].node_number, r[2].node_number);
  }
}

TEST_F(ItemMotion, ANodeInsertedSplitsALineOrAnArcAndIsNeverMarked) {
  DrawingItem* item = mixed_item();
  LinkRecord* r = item_nodes(item);
  r[0].link_flags |= LINK_NODE_MARKED;
  r[1].link_flags |= LINK_NODE_MARKED;
  const PointF near_line{4, 1};
  LinkRecord* added = insert_node_on_link(item, r, &near_line);
  ASSERT_NE(added, nullptr);
  r = item_nodes(item);
  EXPECT_EQ(item_link_count(item), 4);
  EXPECT_EQ(added, r + 1);
  EXPECT_EQ(added->node_flags, NODE_LOOSE);
  EXPECT_FALSE(added->link_flags & LINK_NODE_MARKED);
  // The foot of (4, 1) on the line from (0, 0) to (10, -5).
  EXPECT_NEAR(added->point.x, 2.8, 1e-5);
  EXPECT_NEAR(added->point.y, -1.4, 1e-5);
  EXPECT_EQ(r[4].node_flags, NODE_CLOSING);
  EXPECT_FLOAT_EQ(r[4].point.x, 20);
  // On the arc: two arcs of one circle meeting at a tangent node on it.
  const PointF near_arc{20, -20};
  added = insert_node_on_tail_item(r + 2, &near_arc);
  r = item_nodes(item);
  EXPECT_EQ(added->node_flags, NODE_TANGENT);
  EXPECT_NEAR(std::hypot(added->point.x - 10, added->point.y), 5, 1e-5);
  EXPECT_FLOAT_EQ(r[2].code, 5);
  EXPECT_FLOAT_EQ(r[3].code, 5);
  EXPECT_NEAR(r[2].sweep + r[3].sweep, PI / 2, 1e-5);
}

TEST_F(ItemMotion, ALinkTurnsOntoTheMastersNearerDirectionAndKeepsItsSide) {
  LinkRecord master[2];
  line_of({0, 0}, {10, 0}, master);
  LinkRecord link[2];
  // Pointing back against the master: it turns onto the master's other direction.
  line_of({5, 3}, {1, 4}, link);
  rotate_link_to_line(master, link, LINK_MOVE_FAR_END, -1);
  EXPECT_NEAR(link[0].point.x, 5, 1e-5);
  EXPECT_NEAR(link[1].point.y, 3, 1e-5);
  EXPECT_LT(link[1].point.x, 5.0f);
  EXPECT_NEAR(std::hypot(link[1].point.x - 5, link[1].point.y - 3), std::hypot(4.0, 1.0), 1e-5);
  // With a distance both ends move square to the master, the pivot that far on its own side.
  line_of({5, -3}, {9, -2}, link);
  rotate_link_to_line(master, link, LINK_MOVE_FAR_END, 7);
  EXPECT_NEAR(link[0].point.y, -7, 1e-5);
  EXPECT_NEAR(link[1].point.y, -7, 1e-5);
  EXPECT_NEAR(link[0].point.x, 5, 1e-5);
}


// ---- every transform judged on an independent flattening ----

namespace flattening {

using Transform = PointF (*)(PointF);

PointF mirror_about_slant(PointF p) {
  // The line through (1, 2) and (4, -3), reflected in double precision.
  const double ax = 1, ay = 2, dx = 3, dy = -5;
  const double len = std::hypot(dx, dy);
  const double ux = dx / len, uy = dy / len;
  const double px = p.x - ax, py = p.y - ay;
  const double along = px * ux + py * uy;
  return PointF{static_cast<float>(ax + 2 * along * ux - px),
                static_cast<float>(ay + 2 * along * uy - py)};
}
PointF rotate_about_pivot(PointF p) {
  const double a = 0.7, c = std::cos(a), s = std::sin(a);
  const double x = p.x - 3.0, y = p.y + 1.0;
  return PointF{static_cast<float>(3.0 + c * x - s * y), static_cast<float>(-1.0 + s * x + c * y)};
}
PointF scale_up(PointF p) {
  return PointF{static_cast<float>(2.0 + 1.7 * (p.x - 2.0)), static_cast<float>(5.0 + 1.7 * (p.y - 5.0))};
}
PointF scale_down(PointF p) {
  return PointF{static_cast<float>(2.0 + 0.4 * (p.x - 2.0)), static_cast<float>(5.0 + 0.4 * (p.y - 5.0))};
}

// The item as points along each link from its node to the next (five per link), and the centre
// a polygon or an ellipse carries; written here from the record layout alone.
std::vector<PointF> flatten(const DrawingItem* item) {
  std::vector<PointF> out;
  const LinkRecord* r = item_nodes(item);
  const uint8_t type = item_type(item);
  if (type == ITEM_POLYGON || type == ITEM_ELLIPSE) out.push_back(r[0].centre);
  for (int32_t i = 0; i < item_link_count(item); ++i) {
    const PointF a = r[i].point;
    const PointF b = r[i + 1].point;
    for (int k = 0; k <= 4; ++k) {
      const double t = k / 4.0;
      if (r[i].code > 0) {
        const bool cw = (r[i].link_flags & LINK_CLOCKWISE) != 0;
        const double angle = r[i].start_angle + (cw ? 1.0 - t : t) * r[i].sweep;
        out.push_back(PointF{static_cast<float>(r[i].centre.x + r[i].code * std::cos(angle)),
                             static_cast<float>(r[i].centre.y + r[i].code * std::sin(angle))});
      } else if (r[i].code == LINK_QUADRATIC) {
        const PointF c = r[i].centre;
        const double u = 1 - t;
        out.push_back(PointF{static_cast<float>(u * u * a.x + 2 * t * u * c.x + t * t * b.x),
                             static_cast<float>(u * u * a.y + 2 * t * u * c.y + t * t * b.y)});
      } else {
        out.push_back(PointF{static_cast<float>(a.x + t * (b.x - a.x)),
                             static_cast<float>(a.y + t * (b.y - a.y))});
      }
    }
  }
  return out;
}

double item_size(const DrawingItem* item) {
  PointF low{1e30f, 1e30f}, high{-1e30f, -1e30f};
  for (const PointF& p : flatten(item)) {
    low = {std::min(low.x, p.x), std::min(low.y, p.y)};
    high = {std::max(high.x, p.x), std::max(high.y, p.y)};
  }
  return std::max(high.x - low.x, high.y - low.y);
}

void expect_same(const std::vector<PointF>& got, const std::vector<PointF>& expected,
                 double tolerance) {
  ASSERT_EQ(got.size(), expected.size());
  for (size_t i = 0; i < got.size(); ++i) {
    EXPECT_NEAR(got[i].x, expected[i].x, tolerance) << "sample " << i;
    EXPECT_NEAR(got[i].y, expected[i].y, tolerance) << "sample " << i;
  }
}

}  // namespace flattening

class ItemMotionFlattening : public ItemMotion {
 protected:
  // Every item type whose links carry geometry: lines, arcs both ways, a quadratic link, a
  // polygon and an ellipse with their centres, a text frame.
  std::vector<DrawingItem*> every_kind() {
    std::vector<DrawingItem*> out;
    DrawingItem* mixed = make_item({{0, 0}, {10, -5, 5}, {15, 0, LINK_QUADRATIC}, {20, 5, 4},
                                    {24, 9}});
    LinkRecord* r = item_nodes(mixed);
    r[1].centre = PointF{10, 0};
    arc_angles_from_points(&r[1]);
    r[2].centre = PointF{18, -2};
    // A clockwise arc about (24, 5) from (20, 5) over the top to (24, 9).
    r[3].centre = PointF{24, 5};
    r[3].link_flags = LINK_CLOCKWISE;
    arc_angles_from_points(&r[3]);
    out.push_back(mixed);
    DrawingItem* polygon = make_item({{5, 0}, {-2.5f, 4.33f}, {-2.5f, -4.33f}, {5, 0}}, ITEM_POLYGON);
    item_nodes(polygon)[0].centre = PointF{0, 0};
    out.push_back(polygon);
    DrawingItem* ellipse = make_item({{6, 1}, {2, 3}, {6, 1}}, ITEM_ELLIPSE);
    item_nodes(ellipse)[0].centre = PointF{2, 1};
    out.push_back(ellipse);
    DrawingItem* frame = make_item({{0, 10}, {12, 10}, {12, 14}, {0, 14}, {0, 10}}, ITEM_TEXT);
    out.push_back(frame);
    return out;
  }
};

// flatten(T(item)) = T(flatten(item)) for a mirror, a rotation and two scalings, within 1e-5 of
// the item's size.
TEST_F(ItemMotionFlattening, EachTransformCommutesWithTheFlattening) {
  using namespace flattening;
  struct Case {
    const char* name;
    Transform point;
    void (*apply)(DrawingItem*);
  };
  const Case cases[] = {
      {"mirror", mirror_about_slant,
       [](DrawingItem* item) {
         LinkRecord axis[2] = {};
         axis[0].point = PointF{1, 2};
         axis[1].point = PointF{4, -3};
         mirror_item(item, item, axis);
       }},
      {"rotate", rotate_about_pivot,
       [](DrawingItem* item) {
         const PointF pivot{3, -1};
         rotate_item(item, &pivot, 0.7);
       }},
      {"scale up", scale_up,
       [](DrawingItem* item) {
         const PointF centre{2, 5};
         scale_item(item, 1.7f, &centre);
       }},
      {"scale down", scale_down,
       [](DrawingItem* item) {
         const PointF centre{2, 5};
         scale_item(item, 0.4f, &centre);
       }},
  };
  for (const Case& c : cases) {
    for (DrawingItem* item : every_kind()) {
      SCOPED_TRACE(std::string(c.name) + " of type " + std::to_string(item_type(item)));
      std::vector<PointF> expected = flatten(item);
      for (PointF& p : expected) p = c.point(p);
      c.apply(item);
      expect_same(flatten(item), expected, 1e-5 * std::max(1.0, item_size(item)));
    }
    free_current_list();
  }
}

// A mirror twice, four quarter turns, and a scaling by k then 1 / k each give the item back.
TEST_F(ItemMotionFlattening, InverseTransformsRestoreEveryKind) {
  using namespace flattening;
  for (DrawingItem* item : every_kind()) {
    SCOPED_TRACE(item_type(item));
    const std::vector<PointF> before = flatten(item);
    const double tolerance = 1e-5 * std::max(1.0, item_size(item));
    LinkRecord axis[2] = {};
    axis[0].point = PointF{1, 2};
    axis[1].point = PointF{4, -3};
    mirror_item(item, item, axis);
    mirror_item(item, item, axis);
    expect_same(flatten(item), before, tolerance);
    const PointF pivot{3, -1};
    for (int k = 0; k < 4; ++k) rotate_item(item, &pivot, PI / 2);
    expect_same(flatten(item), before, tolerance);
    const PointF centre{2, 5};
    scale_item(item, 3.0f, &centre);
    scale_item(item, 1.0f / 3.0f, &centre);
    expect_same(flatten(item), before, tolerance);
  }
}

}  // namespace
