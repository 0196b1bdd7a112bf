// Items that keep their shape while a node or link is dragged, links straightened, divided and
// given nodes by the node editor's one-shot commands.
#include <cmath>
#include <vector>

#include "commands/node_context_fill.h"
#include "commands/node_edit_session.h"
#include "commands/node_one_shots.h"
#include "editor/edit_session.h"
#include "geometry/item_shapes.h"
#include "geometry/link_moves.h"
#include "geometry/node_surgery.h"
#include "geometry/shape_drags.h"
#include "tests/geometry/item_fixture.h"
#include "text/text_layout.h"

namespace {

constexpr double PI = 3.14159265358979323846;

class NodeShapes : public ItemTest {
 protected:
  void SetUp() override {
    ItemTest::SetUp();
    reset_edit_session();
  }
  void TearDown() override {
    reset_edit_session();
    ItemTest::TearDown();
  }

  // A point grid: first point P, far point Q, steps, columns and rows.
  DrawingItem* grid(PointF p, PointF step, int columns, int rows, uint8_t kind = 1) {
    DrawingItem* item = make_item({{p.x, p.y, LINK_POINT},
                                   {p.x + step.x * (columns - 1), p.y + step.y * (rows - 1)}},
                                  ITEM_POINT);
    LinkRecord* r = item_nodes(item);
    r[0].centre = step;
    set_point_array(&r[1], static_cast<uint8_t>(columns), static_cast<uint8_t>(rows), kind);
    return item;
  }

  DrawingItem* polygon(int n, double radius, bool clockwise) {
    std::vector<NodeSpec> nodes;
    for (int i = 0; i <= n; ++i) {
      const double a = (clockwise ? -1 : 1) * i * 2 * PI / n;
      nodes.push_back({static_cast<float>(radius * std::cos(a)), static_cast<float>(radius * std::sin(a))});
    }
    nodes[0].node_flags = NODE_FIRST | NODE_LOOSE;
    DrawingItem* item = make_item(nodes, ITEM_POLYGON);
    item_nodes(item)[0].centre = {0, 0};
    if (clockwise) item_nodes(item)[0].link_flags = LINK_CLOCKWISE;
    return item;
  }
};

// Dragging a grid's far point across its first point makes the steps negative, with the
// nearest whole number of steps; a count that does not fit its byte is refused, not wrapped.
TEST_F(NodeShapes, PointGridExtentTakesWholeStepsAndRefusesCountsPastTheByte) {
  struct Case {
    PointF cursor;
    int result;
    int columns, rows;
    float sx, sy;
  };
  const Case cases[] = {
      {{-6.9f, -4.2f}, 0, 4, 3, -2.0f, -2.0f},   // across the first point: both steps turn
      {{8.8f, 0.8f}, 0, 5, 1, 2.0f, 2.0f},       // 4.4 steps -> 5 columns; 0.4 step -> 1 row
      {{4.0f, 2.0f}, 0, 3, 2, 2.0f, 2.0f},       // the far point taken where it is: unchanged
      {{0.4f, 0.3f}, 0, 1, 1, 2.0f, 2.0f},       // onto the first point: a single column and row
      {{508.0f, 2.0f}, 0, 255, 2, 2.0f, 2.0f},   // 255 columns still fit
      {{510.0f, 2.0f}, -1, 0, 0, 0, 0},          // 256 would wrap the byte: refused
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.cursor.x);
    free_current_list();
    DrawingItem* item = grid({0, 0}, {2, 2}, 3, 2);
    const std::vector<uint8_t> before = item->extra;
    LinkRecord* r = item_nodes(item);
    EXPECT_EQ(drag_point_grid(r, LINK_POINT_NEXT, c.cursor), c.result);
    if (c.result != 0) {
      EXPECT_EQ(item->extra, before);
      continue;
    }
    EXPECT_EQ(point_array_columns(&r[1]), c.columns);
    EXPECT_EQ(point_array_rows(&r[1]), c.rows);
    EXPECT_FLOAT_EQ(r[0].centre.x, c.sx);
    EXPECT_FLOAT_EQ(r[0].centre.y, c.sy);
    EXPECT_FLOAT_EQ(r[1].point.x, c.sx * (c.columns - 1));
  }
  // A polar pattern's first point cannot be extruded.
  free_current_list();
  DrawingItem* polar = grid({0, 0}, {0, 0}, 6, 1, POINT_ARRAY_POLAR);
  EXPECT_EQ(drag_point_grid(item_nodes(polar), LINK_POINT_NODE, PointF{3, 3}), -1);
  // A grid of one column keeps its x step when its extent is flexed.
  free_current_list();
  DrawingItem* column = grid({0, 0}, {2, 2}, 1, 3);
  EXPECT_EQ(drag_point_pattern_extent(item_nodes(column), PointF{1, 8}), 0);
  EXPECT_FLOAT_EQ(item_nodes(column)[0].centre.x, 2.0f);
  EXPECT_FLOAT_EQ(item_nodes(column)[0].centre.y, 4.0f);
}

// Polygon drags keep every node on one circle with equal sides; a vertex dragged to the centre
// leaves the smallest radius, never a collapsed polygon; a clockwise polygon stays clockwise.
TEST_F(NodeShapes, PolygonDragsKeepItRegular) {
  for (const bool clockwise : {false, true}) {
    SCOPED_TRACE(clockwise);
    free_current_list();
    DrawingItem* item = polygon(5, 10.0, clockwise);
    LinkRecord* r = item_nodes(item);
    drag_polygon_node(&r[2], r, 5, PointF{0, 7});
    EXPECT_NEAR(r[2].point.x, 0.0, 1e-5);
    EXPECT_NEAR(r[2].point.y, 7.0, 1e-5);
    for (int i = 0; i < 5; ++i) {
      EXPECT_NEAR(std::hypot(r[i].point.x, r[i].point.y), 7.0, 1e-4);
      const double turn = std::atan2(r[i + 1].point.y, r[i + 1].point.x) -
                          std::atan2(r[i].point.y, r[i].point.x);
      EXPECT_NEAR(std::remainder(turn, 2 * PI), (clockwise ? -1 : 1) * 2 * PI / 5, 1e-4);
    }
    EXPECT_EQ(r[5].point.x, r[0].point.x);
    drag_polygon_vertex(&r[1], r, 5, PointF{0, 0});
    EXPECT_NEAR(std::hypot(r[3].point.x, r[3].point.y), 0.00001, 1e-7);
  }
}

// Ellipse axis ends cannot be dragged onto the centre; the other axis turns with a moved end.
TEST_F(NodeShapes, EllipseAxesStayPerpendicularAndOffTheCentre) {
  DrawingItem* item = make_item({{10, 0, LINK_ELLIPSE}, {0, 5}}, ITEM_ELLIPSE);
  LinkRecord* r = item_nodes(item);
  r[0].centre = {0, 0};
  const std::vector<uint8_t> before = item->extra;
  EXPECT_EQ(drag_ellipse_axis_end(r, LINK_POINT_NODE, PointF{0, 3}), -1);
  EXPECT_EQ(drag_ellipse_axes(r, PointF{0, 0.00005f}), -1);
  EXPECT_EQ(item->extra, before);
  drag_ellipse_node(r, LINK_POINT_NODE, PointF{0, 12});
  EXPECT_NEAR(r[1].point.x, 5.0, 1e-5);
  EXPECT_NEAR(r[1].point.y, 0.0, 1e-5);
}

// Straightening a link moves the end away from the pick, along the neighbour beyond it.
TEST_F(NodeShapes, StraightenedLinkSlidesItsMovingEndAlongTheNeighbour) {
  struct Case {
    int16_t pick;
    bool vertical;
    PointF start, end;
  };
  const Case cases[] = {
      {PICK_ON_LINK_NEAR_START, false, {10, 0}, {20, 0}},  // end slides down the next line
      {PICK_ON_LINK_NEAR_END, false, {10, 5}, {20, 5}},    // start slides up the previous line
      {PICK_ON_LINK_NEAR_START, true, {10, 0}, {10, 5}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.pick) * 10 + c.vertical);
    free_current_list();
    DrawingItem* item = make_item({{10, -5}, {10, 0}, {20, 5}, {20, 10}});
    straighten_link(item, 1, c.pick, c.vertical);
    const LinkRecord* r = item_nodes(item);
    if (c.vertical) {
      // No crossing with the next line (parallel to it): the coordinate is simply copied.
      EXPECT_NEAR(r[2].point.x, 10.0, 1e-5);
      continue;
    }
    EXPECT_NEAR(r[1].point.x, c.start.x, 1e-5);
    EXPECT_NEAR(r[1].point.y, c.start.y, 1e-5);
    EXPECT_NEAR(r[2].point.x, c.end.x, 1e-5);
    EXPECT_NEAR(r[2].point.y, c.end.y, 1e-5);
  }
  // The turns that make a direction horizontal or vertical.
  EXPECT_NEAR(straightening_turn(0.3, false), 2 * PI - 0.3, 1e-12);
  EXPECT_NEAR(straightening_turn(2.0, false), PI - 2.0, 1e-12);
  EXPECT_NEAR(straightening_turn(0.3, true), PI / 2 - 0.3, 1e-12);
  EXPECT_NEAR(straightening_turn(4.0, true), 1.5 * PI - 4.0, 1e-12);
  EXPECT_NEAR(straightening_turn(5.0, true), 1.5 * PI - 5.0 + 2 * PI, 1e-12);
}

// A straightened link followed by a tangent arc into a line: the arc is fitted again as the
// fillet between the straightened link and that line, so the corner stays smooth; the far
// line's node stays where it was.
TEST_F(NodeShapes, StraighteningRefitsTheFilletBeyondIt) {
  for (const bool from_end : {false, true}) {
    SCOPED_TRACE(from_end);
    free_current_list();
    // A tilted line, a quarter arc about (10, 2) into the line up x = 12.
    std::vector<NodeSpec> nodes = {{0, -1}, {10, 0, 2.0f}, {12, 2}, {12, 10}};
    nodes[1].node_flags = NODE_TANGENT;
    nodes[2].node_flags = NODE_TANGENT;
    if (from_end) {
      // The same corner walked the other way: up the line, round the arc, out along the tilt.
      nodes = {{12, 10}, {12, 2, 2.0f}, {10, 0}, {0, -1}};
      nodes[1].node_flags = NODE_TANGENT;
      nodes[2].node_flags = NODE_TANGENT;
    }
    DrawingItem* item = make_item(nodes);
    LinkRecord* r = item_nodes(item);
    r[1].centre = {10, 2};
    if (from_end) r[1].link_flags |= LINK_CLOCKWISE;
    refresh_arc_angles(&r[1]);
    const int32_t link = from_end ? 2 : 0;
    const int16_t pick = from_end ? PICK_ON_LINK_NEAR_END : PICK_ON_LINK_NEAR_START;
    ASSERT_EQ(straighten_link(item, link, pick, false), 0);
    r = item_nodes(item);
    const LinkRecord& arc = r[1];
    EXPECT_NEAR(arc.code, 3.0f, 1e-4);
    EXPECT_NEAR(arc.centre.x, 9.0f, 1e-4);
    EXPECT_NEAR(arc.centre.y, 2.0f, 1e-4);
    const PointF on_line = from_end ? r[2].point : r[1].point;
    const PointF on_far = from_end ? r[1].point : r[2].point;
    EXPECT_NEAR(on_line.x, 9.0f, 1e-4);
    EXPECT_NEAR(on_line.y, -1.0f, 1e-4);
    EXPECT_NEAR(on_far.x, 12.0f, 1e-4);
    EXPECT_NEAR(on_far.y, 2.0f, 1e-4);
    const PointF other = from_end ? r[3].point : r[0].point;
    EXPECT_NEAR(other.y, -1.0f, 1e-5);
  }
}

// Dividing: a full circle into four quarter arcs with tangent nodes, a clockwise arc walked
// from its end so its nodes keep its order, a line into equal lines.
TEST_F(NodeShapes, DividingArcsCirclesAndLines) {
  DrawingItem* circle = make_item({{5, 0, 5.0f}, {5, 0}});
  LinkRecord* r = item_nodes(circle);
  r[0].centre = {0, 0};
  r[0].sweep = SWEEP_CENTRE_CIRCLE;
  fill_node_context(&g_edit.node, circle, 0, PICK_ON_LINK_NEAR_START);
  ASSERT_EQ(divide_link(circle, 4), 0);
  ASSERT_EQ(item_link_count(circle), 4);
  r = item_nodes(circle);
  EXPECT_TRUE(item_is_closed(circle));
  for (int i = 0; i < 4; ++i) {
    EXPECT_NEAR(r[i].sweep, PI / 2, 1e-5) << i;
    EXPECT_NEAR(std::hypot(r[i].point.x, r[i].point.y), 5.0, 1e-5);
    if (i > 0) {
      EXPECT_EQ(r[i].node_flags, NODE_TANGENT);
    }
  }
  EXPECT_EQ(r[4].point.x, r[0].point.x);
  EXPECT_EQ(r[4].point.y, r[0].point.y);

  free_current_list();
  DrawingItem* arc = make_item({{0, 5, 5.0f}, {5, 0}});
  r = item_nodes(arc);
  r[0].centre = {0, 0};
  r[0].link_flags = LINK_CLOCKWISE;
  arc_angles_from_points(&r[0]);
  fill_node_context(&g_edit.node, arc, 0, PICK_ON_LINK_NEAR_START);
  ASSERT_EQ(divide_link(arc, 3), 0);
  r = item_nodes(arc);
  ASSERT_EQ(item_link_count(arc), 3);
  for (int i = 0; i < 3; ++i) {
    const double a0 = std::atan2(r[i].point.y, r[i].point.x);
    const double a1 = std::atan2(r[i + 1].point.y, r[i + 1].point.x);
    EXPECT_NEAR(a0 - a1, PI / 6, 1e-5) << i;  // clockwise, in order, equal parts
  }

  free_current_list();
  DrawingItem* line = make_item({{0, 0}, {9, 3}, {9, 9}});
  fill_node_context(&g_edit.node, line, 0, PICK_ON_LINK_NEAR_START);
  ASSERT_EQ(divide_link(line, 3), 0);
  r = item_nodes(line);
  ASSERT_EQ(item_link_count(line), 4);
  EXPECT_NEAR(r[1].point.x, 3.0, 1e-5);
  EXPECT_NEAR(r[2].point.x, 6.0, 1e-5);
  EXPECT_NEAR(r[2].point.y, 2.0, 1e-5);
  EXPECT_EQ(r[3].point.x, 9.0f);
  // Fewer than two parts change nothing.
  const std::vector<uint8_t> before = line->extra;
  EXPECT_EQ(divide_link(line, 1), 0);
  EXPECT_EQ(line->extra, before);
}

// A slot's end radius dragged: both ends take it and the sides stay tangent; a radius that
// leaves no common tangents is refused.
TEST_F(NodeShapes, SlotRadiusKeepsTheSidesTangent) {
  DrawingItem* item = make_item({{0, -2, 0, NODE_FIRST | NODE_LOOSE},
                                 {10, -2, 2.0f},
                                 {10, 2},
                                 {0, 2, 2.0f},
                                 {0, -2}},
                                ITEM_SLOT);
  LinkRecord* r = item_nodes(item);
  r[1].centre = {10, 0};
  r[3].centre = {0, 0};
  arc_angles_from_points(&r[1]);
  arc_angles_from_points(&r[3]);
  ASSERT_EQ(drag_slot_radius(&r[1], r, PointF{13, 0}), 0);
  EXPECT_FLOAT_EQ(r[1].code, 3.0f);
  EXPECT_FLOAT_EQ(r[3].code, 3.0f);
  for (int i : {0, 2}) {
    EXPECT_NEAR(std::fabs(r[i].point.y), 3.0, 1e-5);
    EXPECT_NEAR(r[i].point.y, r[i + 1].point.y, 1e-5);
  }
  EXPECT_EQ(r[4].point.x, r[0].point.x);
}

}  // namespace

namespace {

// A plain rectangle's corner dragged off its diagonal is put back on it, so the rectangle keeps
// its proportions; a slot's side moved square to itself keeps the ends round; a rounded
// rectangle's corner centre dragged keeps the other corners on its sides.
TEST_F(NodeShapes, FrameSlotAndRoundedCornerDragsKeepTheShape) {
  DrawingItem* rect = make_item({{0, 0, 0, NODE_FIRST | NODE_LOOSE}, {0, 5}, {10, 5}, {10, 0},
                                 {0, 0}},
                                ITEM_RECTANGLE);
  LinkRecord* r = item_nodes(rect);
  PointF cursor = {-3, 8};
  ASSERT_EQ(drag_frame_diagonal(&r[1], r, 1, &cursor), 0);
  ASSERT_EQ(extrude_node(rect, &r[1], 4, cursor), 0);
  EXPECT_NEAR((r[3].point.x - r[1].point.x) / (r[1].point.y - r[3].point.y), 2.0, 1e-4);
  EXPECT_FLOAT_EQ(r[3].point.x, 10.0f);
  EXPECT_FLOAT_EQ(r[3].point.y, 0.0f);
  EXPECT_FLOAT_EQ(r[0].point.x, r[1].point.x);
  EXPECT_FLOAT_EQ(r[2].point.y, r[1].point.y);
  EXPECT_EQ(r[4].point.x, r[0].point.x);
  // On the opposite corner: refused.
  cursor = {10, 0};
  EXPECT_EQ(drag_frame_diagonal(&r[1], r, 1, &cursor), -1);

  DrawingItem* slot = make_item({{0, -2, 0, NODE_FIRST | NODE_LOOSE}, {10, -2, 2.0f}, {10, 2},
                                 {0, 2, 2.0f}, {0, -2}},
                                ITEM_SLOT);
  LinkRecord* s = item_nodes(slot);
  s[1].centre = {10, 0};
  s[3].centre = {0, 0};
  arc_angles_from_points(&s[1]);
  arc_angles_from_points(&s[3]);
  ASSERT_EQ(slide_slot_side(&s[0], s, PointF{5, -3}), 0);
  EXPECT_FLOAT_EQ(s[0].point.y, -3.0f);
  EXPECT_FLOAT_EQ(s[1].code, 2.5f);
  EXPECT_FLOAT_EQ(s[3].code, 2.5f);
  EXPECT_FLOAT_EQ(s[1].centre.y, -0.5f);
  EXPECT_EQ(s[4].point.y, s[0].point.y);

  std::vector<NodeSpec> nodes = {{0, 1, 1.0f, NODE_FIRST | NODE_LOOSE}, {1, 0}, {9, 0, 1.0f},
                                 {10, 1}, {10, 4, 1.0f}, {9, 5}, {1, 5, 1.0f}, {0, 4}, {0, 1}};
  DrawingItem* rounded = make_item(nodes, ITEM_ROUNDED_RECTANGLE);
  LinkRecord* q = item_nodes(rounded);
  const PointF centres[4] = {{1, 1}, {9, 1}, {9, 4}, {1, 4}};
  for (int i = 0; i < 4; ++i) {
    q[2 * i].centre = centres[i];
    q[2 * i].link_flags = LINK_CLOCKWISE;
    arc_angles_from_points(&q[2 * i]);
  }
  ASSERT_EQ(drag_rounded_rect_corner(q, 0, PointF{0, 0}), 0);
  const PointF moved[4] = {{0, 0}, {9, 0}, {9, 4}, {0, 4}};
  for (int i = 0; i < 4; ++i) {
    EXPECT_NEAR(q[2 * i].centre.x, moved[i].x, 1e-5) << i;
    EXPECT_NEAR(q[2 * i].centre.y, moved[i].y, 1e-5) << i;
    EXPECT_NEAR(std::hypot(q[2 * i].point.x - q[2 * i].centre.x, q[2 * i].point.y - q[2 * i].centre.y),
                1.0, 1e-5);
  }
  EXPECT_EQ(q[8].point.x, q[0].point.x);
  EXPECT_EQ(q[8].point.y, q[0].point.y);
}

}  // namespace

namespace {

// The bottom of a frame bent into an arc: the top becomes the concentric arc one frame height
// further out, so both radial sides keep the height; the cursor back on the chord straightens it.
TEST_F(NodeShapes, BentFrameKeepsItsHeight) {
  // As rectangles are built: from the upper-left corner clockwise, top, right, bottom, left.
  DrawingItem* rect = make_item({{0, 5, 0, NODE_FIRST | NODE_LOOSE}, {10, 5}, {10, 0}, {0, 0},
                                 {0, 5}},
                                ITEM_RECTANGLE);
  LinkRecord* r = item_nodes(rect);
  bend_frame_sides(r, PointF{5, -2}, 2);
  ASSERT_GT(r[2].code, 0.0f);
  ASSERT_GT(r[0].code, 0.0f);
  EXPECT_EQ(r[0].centre.x, r[2].centre.x);
  EXPECT_EQ(r[0].centre.y, r[2].centre.y);
  EXPECT_NEAR(std::fabs(r[0].code - r[2].code), 5.0, 1e-4);
  for (int k : {1, 3}) {
    const double side = std::hypot(r[k + 1].point.x - r[k].point.x, r[k + 1].point.y - r[k].point.y);
    EXPECT_NEAR(side, 5.0, 1e-4) << k;
  }
  EXPECT_NE(r[0].link_flags & LINK_CLOCKWISE, r[2].link_flags & LINK_CLOCKWISE);
  EXPECT_EQ(r[4].point.x, r[0].point.x);
  bend_frame_sides(r, PointF{5, 0}, 2);
  EXPECT_EQ(r[2].code, LINK_FLEXIBLE_LINE);
}

}  // namespace

namespace {

double distance_of(const PointF& a, const PointF& b) { return std::hypot(a.x - b.x, a.y - b.y); }

// The sharp corner of two sides taken as infinite lines.
PointF crossing_of(const LinkRecord* a, const LinkRecord* b) {
  const double d1x = a[1].point.x - a->point.x, d1y = a[1].point.y - a->point.y;
  const double d2x = b[1].point.x - b->point.x, d2y = b[1].point.y - b->point.y;
  const double k = d1x * d2y - d1y * d2x;
  const double t = ((b->point.x - a->point.x) * d2y - (b->point.y - a->point.y) * d2x) / k;
  return {static_cast<float>(a->point.x + t * d1x), static_cast<float>(a->point.y + t * d1y)};
}

class RoundedCorners : public NodeShapes {
 protected:
  DrawingItem* rounded(float width, float length, float radius, double angle) {
    std::vector<NodeSpec> nodes(9, NodeSpec{0, 0});
    DrawingItem* item = make_item(nodes, ITEM_ROUNDED_RECTANGLE);
    build_rounded_rect(item, {2, 3}, width, length, radius, angle, NODE_TANGENT);
    return item;
  }
  // The sizes stay and every corner is an arc of one radius on its two sides.
  static void expect_rounded(DrawingItem* item, float width, float length, float radius) {
    const LinkRecord* r = item_nodes(item);
    RoundedRectSizes s;
    rounded_rect_dimensions(r, &s);
    EXPECT_NEAR(s.width, width, 1e-4);
    EXPECT_NEAR(s.length, length, 1e-4);
    for (int k = 0; k < 8; k += 2) {
      EXPECT_NEAR(r[k].code, radius, 1e-4) << k;
      EXPECT_NEAR(distance_of(r[k].centre, r[k].point), radius, 1e-4) << k;
      EXPECT_NEAR(distance_of(r[k].centre, r[k + 1].point), radius, 1e-4) << k;
    }
    EXPECT_EQ(r[8].point.x, r[0].point.x);
    EXPECT_EQ(r[8].point.y, r[0].point.y);
  }
};

// A corner arc flexed through a point takes the radius of the circle through that point that
// touches both sides; past what the shorter side allows it takes the largest; beyond the sharp
// corner the position is refused. A turned rectangle keeps its angle.
TEST_F(RoundedCorners, FlexedCornerTakesTheRadiusThroughThePoint) {
  struct Case {
    int32_t link;
    double along;  // from the sharp corner toward the arc's centre, in units of the wanted radius
    float wanted;  // radius through the point; < 0: beyond the corner, refused
    float expected;
  };
  const Case cases[] = {
      {0, std::sqrt(2.0) - 1.0, 1.5f, 1.5f},
      {4, std::sqrt(2.0) - 1.0, 0.25f, 0.25f},
      {2, std::sqrt(2.0) - 1.0, 30.0f, 0.49999f * 4.0f},  // past the shorter side
      {6, -1.0, 1.0f, -1.0f},                              // outside the corner
  };
  for (const double angle : {0.0, 0.7}) {
    for (const Case& c : cases) {
      SCOPED_TRACE(c.link);
      free_current_list();
      DrawingItem* item = rounded(4, 10, 1, angle);
      LinkRecord* r = item_nodes(item);
      const LinkRecord* before = c.link > 0 ? &r[c.link - 1] : &r[7];
      const PointF corner = crossing_of(before, &r[c.link + 1]);
      const PointF centre = r[c.link].centre;
      const double l = distance_of(corner, centre);
      const PointF raw = {
          static_cast<float>(corner.x + (centre.x - corner.x) / l * c.along * c.wanted),
          static_cast<float>(corner.y + (centre.y - corner.y) / l * c.along * c.wanted)};
      const std::vector<uint8_t> bytes = item->extra;
      RoundedRectSizes turned;
      rounded_rect_dimensions(r, &turned);
      float radius = 0.0f;
      const int result = drag_rounded_rect_arc(item, c.link, raw, &radius);
      if (c.expected < 0.0f) {
        EXPECT_EQ(result, -1);
        EXPECT_EQ(item->extra, bytes);
        continue;
      }
      ASSERT_EQ(result, 0);
      EXPECT_NEAR(radius, c.expected, 1e-4);
      expect_rounded(item, 4, 10, c.expected);
      RoundedRectSizes s;
      rounded_rect_dimensions(item_nodes(item), &s);
      EXPECT_NEAR(std::remainder(s.angle - turned.angle, 2 * PI), 0.0, 1e-4) << "kept its angle";
      if (c.expected == c.wanted) {
        const LinkRecord* arc = &item_nodes(item)[c.link];
        EXPECT_NEAR(distance_of(arc->centre, raw), c.expected, 1e-3);
      }
    }
  }
}

// A typed corner radius rebuilds the rectangle with it; a radius of 0 is refused.
TEST_F(RoundedCorners, TypedRadiusRebuildsEveryCorner) {
  DrawingItem* item = rounded(6, 12, 1, 0.3);
  EXPECT_EQ(refillet_rounded_rect(item, 2.5f), 0);
  expect_rounded(item, 6, 12, 2.5f);
  const std::vector<uint8_t> bytes = item->extra;
  EXPECT_EQ(refillet_rounded_rect(item, 0.0f), -1);
  EXPECT_EQ(item->extra, bytes);
}

class BentFrame : public NodeShapes {
 protected:
  // A 10 x 4 rectangle whose bottom is bent through (5, -2): bottom and top are concentric arcs.
  DrawingItem* bent() {
    DrawingItem* item = make_item({{0, 0, LINK_RIGID_LINE},
                                   {10, 0, LINK_RIGID_LINE},
                                   {10, 4, LINK_RIGID_LINE},
                                   {0, 4, LINK_RIGID_LINE},
                                   {0, 0}},
                                  ITEM_RECTANGLE);
    LinkRecord* r = item_nodes(item);
    r[0].node_flags = NODE_FIRST | NODE_LOOSE;
    bend_frame_sides(r, PointF{5, -2}, 0);
    return item;
  }
  // Both arcs share a centre, each node lies on its arc's circle, the sides are radial and the
  // frame stays closed.
  static void expect_concentric(const LinkRecord* r) {
    ASSERT_GT(r[0].code, 0.0f);
    ASSERT_GT(r[2].code, 0.0f);
    EXPECT_NEAR(distance_of(r[0].centre, r[2].centre), 0.0, 1e-4);
    const PointF c = r[0].centre;
    EXPECT_NEAR(distance_of(c, r[0].point), r[0].code, 1e-3);
    EXPECT_NEAR(distance_of(c, r[1].point), r[0].code, 1e-3);
    EXPECT_NEAR(distance_of(c, r[2].point), r[2].code, 1e-3);
    EXPECT_NEAR(distance_of(c, r[3].point), r[2].code, 1e-3);
    const auto angle = [&c](const PointF& p) { return std::atan2(p.y - c.y, p.x - c.x); };
    EXPECT_NEAR(std::remainder(angle(r[1].point) - angle(r[2].point), 2 * PI), 0.0, 1e-4);
    EXPECT_NEAR(std::remainder(angle(r[3].point) - angle(r[0].point), 2 * PI), 0.0, 1e-4);
    EXPECT_EQ(r[4].point.x, r[0].point.x);
    EXPECT_EQ(r[4].point.y, r[0].point.y);
  }
};

// Sliding a radial side moves both its nodes round their arcs toward the cursor.
TEST_F(BentFrame, RadialSideSlidesRoundBothArcs) {
  for (const int32_t side : {1, 3}) {
    SCOPED_TRACE(side);
    free_current_list();
    DrawingItem* item = bent();
    LinkRecord* r = item_nodes(item);
    const PointF c = r[0].centre;
    const PointF cursor = {c.x + 3.0f, c.y + 30.0f};
    slide_link_on_neighbour_arcs(r, side, cursor);
    expect_concentric(r);
    const double want = std::atan2(cursor.y - c.y, cursor.x - c.x);
    EXPECT_NEAR(std::atan2(r[side].point.y - c.y, r[side].point.x - c.x), want, 1e-4);
  }
}

// A corner dragged: the arc at it takes the cursor's radius, the facing arc keeps its own, and
// both keep the centre; a radial side shifted along itself changes the two radii but keeps the
// frame's sides radial.
TEST_F(BentFrame, CornerAndSideDragsKeepTheArcsConcentric) {
  DrawingItem* item = bent();
  LinkRecord* r = item_nodes(item);
  const PointF c = r[0].centre;
  const float top = r[2].code;
  const PointF cursor = {r[0].point.x - 0.5f, r[0].point.y - 1.0f};
  drag_frame_corner_arc(r, 0, cursor);
  expect_concentric(r);
  EXPECT_NEAR(r[0].code, distance_of(c, cursor), 1e-4);
  EXPECT_NEAR(r[2].code, top, 1e-5);

  free_current_list();
  item = bent();
  r = item_nodes(item);
  const float r0 = r[0].code;
  const float r2 = r[2].code;
  const double along = std::atan2(r[1].point.y - r[0].centre.y, r[1].point.x - r[0].centre.x);
  const PointF delta = {static_cast<float>(std::cos(along)), static_cast<float>(std::sin(along))};
  ASSERT_EQ(shift_frame_side(r, 1, delta), 0);
  expect_concentric(r);
  EXPECT_NEAR(r[0].code, r0 + 1.0f, 1e-3);
  EXPECT_NEAR(r[2].code, r2 + 1.0f, 1e-3);
  // Only the radial sides shift.
  const std::vector<uint8_t> bytes = item->extra;
  EXPECT_EQ(shift_frame_side(item_nodes(item), 0, delta), -1);
  EXPECT_EQ(item->extra, bytes);
}

// Bending a text frame's first side takes the text's arc side from the way the arc turns; bending
// it the other way flips it.
TEST_F(BentFrame, BentTextFrameTakesItsArcSideFromTheTurning) {
  DrawingItem* item = make_item({{0, 0, LINK_FLEXIBLE_LINE},
                                 {10, 0, LINK_RIGID_LINE},
                                 {10, 4, LINK_FLEXIBLE_LINE},
                                 {0, 4, LINK_RIGID_LINE},
                                 {0, 0}},
                                ITEM_TEXT, GEOMETRY_KIND_TEXT);
  item_nodes(item)[0].node_flags = NODE_FIRST | NODE_LOOSE;
  uint8_t* bytes = block_text_layout(item_block(item));
  ASSERT_NE(bytes, nullptr);
  NodeContext& c = g_edit.node;
  c = NodeContext{};
  c.item = item;
  c.link_index = 0;
  c.pick = PICK_ON_LINK_NEAR_START;
  struct Step {
    PointF through;
    uint8_t direction;  // 1 counter-clockwise
  };
  // Down through the middle: the side turns left (counter-clockwise); up: clockwise.
  for (const Step& step : {Step{{5, -2}, 1}, Step{{5, 2}, 0}, Step{{5, -1}, 1}}) {
    SCOPED_TRACE(step.through.y);
    ASSERT_EQ(apply_drag_mode(11, step.through, step.through), 0);
    ASSERT_GT(item_nodes(item)[0].code, 0.0f);
    TextLayout layout;
    read_text_layout(block_text_layout(item_block(item)), &layout);
    EXPECT_EQ(layout.arc_direction, step.direction);
  }
  c = NodeContext{};
}

}  // namespace
