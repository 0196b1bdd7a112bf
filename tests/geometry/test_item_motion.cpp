// Mirroring, turning and scaling whole items: arcs keep their sweep and radius and turn the
// other way under a mirror, a mirror twice is the identity, point patterns follow by their own
// rules; and the link operations: records from points, a node inserted into a line or an arc,
// and a link turned onto a master line's nearer direction.
#include <cmath>

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

}  // namespace
