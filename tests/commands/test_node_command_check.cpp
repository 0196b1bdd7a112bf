// What a node-editor command means on the thing under the cursor: one table of item, command,
// pick and neighbour kinds against the drag mode, pointer letter and snap context; the link kind
// codes; and the dispatcher's test call, which must leave the item's bytes alone.
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "commands/node_command_check.h"
#include "commands/node_context_fill.h"
#include "editor/edit_session.h"
#include "geometry/node_surgery.h"
#include "tests/geometry/item_fixture.h"

namespace {


// The item kinds of the table.
enum class Shape {
  LINES,           // open polyline of three flexible lines, loose nodes
  TANGENT_LINES,   // the same with tangent inner nodes
  MIDDLE_ARC,      // flexible line, arc, flexible line
  MIDDLE_RADIUS,   // the middle link a radius circle (sweep -1)
  MIDDLE_QUAD,     // the middle link a quadratic curve
  MIDDLE_RIGID,    // the middle link a rigid line
  COLLINEAR,       // three flexible lines along one line
  SYMMETRIC,       // a "Dual" symmetric polyline
  POLYGON,         // regular polygon of six sides
  RECTANGLE,       // plain rectangle
  ELLIPSE,
  CIRCLE,
  POINT_SINGLE,
  POINT_GRID,
  SLOT,
  ROUNDED,         // rounded rectangle: arcs at 0, 2, 4, 6
};


struct Case {
  Shape shape;
  int16_t command;
  int32_t index;
  int16_t pick;
  int expected_mode;
  char letter;
  int snap;  // -1: not checked
  bool asks;  // the real check would ask or show something: only the test call runs
};

class NodeCommandCheck : public ItemTest {
 protected:
  void SetUp() override {
    ItemTest::SetUp();
    reset_edit_session();
  }
  void TearDown() override {
    reset_edit_session();
    ItemTest::TearDown();
  }
  DrawingItem* build(Shape shape);
};

DrawingItem* NodeCommandCheck::build(Shape shape) {
  NodeCommandCheck* b = this;
  switch (shape) {
    case Shape::LINES: return b->make_item({{0, 0}, {10, 0}, {10, 10}, {20, 10}});
    case Shape::TANGENT_LINES:
      return b->make_item({{0, 0}, {10, 0, 0, NODE_TANGENT}, {10, 10, 0, NODE_TANGENT}, {20, 10}});
    case Shape::MIDDLE_ARC: {
      DrawingItem* item = b->make_item({{0, 0}, {10, 0, 5.0f}, {10, 10}, {20, 10}});
      LinkRecord* r = item_nodes(item);
      r[1].centre = {10, 5};
      arc_angles_from_points(&r[1]);
      return item;
    }
    case Shape::MIDDLE_RADIUS: {
      DrawingItem* item = b->make_item({{0, 0}, {10, 0, 5.0f}, {10, 5}, {20, 10}});
      LinkRecord* r = item_nodes(item);
      r[1].centre = {10, 0};
      r[1].sweep = SWEEP_RADIUS_CIRCLE;
      return item;
    }
    case Shape::MIDDLE_QUAD: {
      DrawingItem* item = b->make_item({{0, 0}, {10, 0, LINK_QUADRATIC}, {10, 10}, {20, 10}});
      item_nodes(item)[1].centre = {15, 5};
      return item;
    }
    case Shape::MIDDLE_RIGID:
      return b->make_item({{0, 0}, {10, 0, LINK_RIGID_LINE}, {10, 10}, {20, 10}});
    case Shape::COLLINEAR: return b->make_item({{0, 0}, {10, 0}, {20, 0}, {30, 0}});
    case Shape::SYMMETRIC: {
      DrawingItem* item = b->make_item({{0, 0, 0, NODE_FIRST | NODE_DUAL}, {0, 10}, {5, 0}, {5, 5},
                                        {0, 10}});
      return item;
    }
    case Shape::POLYGON: {
      std::vector<NodeSpec> nodes;
      for (int i = 0; i <= 6; ++i) {
        const double a = i * 3.14159265358979 / 3.0;
        nodes.push_back({static_cast<float>(10 * std::cos(a)), static_cast<float>(10 * std::sin(a))});
      }
      nodes[0].node_flags = NODE_FIRST | NODE_LOOSE;
      DrawingItem* item = b->make_item(nodes, ITEM_POLYGON);
      item_nodes(item)[0].centre = {0, 0};
      return item;
    }
    case Shape::RECTANGLE:
      return b->make_item({{0, 0, 0, NODE_FIRST | NODE_LOOSE}, {0, 5}, {10, 5}, {10, 0}, {0, 0}},
                          ITEM_RECTANGLE);
    case Shape::ELLIPSE: {
      DrawingItem* item = b->make_item({{10, 0, LINK_ELLIPSE}, {0, 5}}, ITEM_ELLIPSE);
      item_nodes(item)[0].centre = {0, 0};
      return item;
    }
    case Shape::CIRCLE: {
      DrawingItem* item = b->make_item({{5, 0, 5.0f}, {5, 0}}, ITEM_CIRCLE);
      LinkRecord* r = item_nodes(item);
      r[0].centre = {0, 0};
      r[0].sweep = 6.2831855f;
      return item;
    }
    case Shape::POINT_SINGLE:
    case Shape::POINT_GRID: {
      DrawingItem* item = b->make_item({{0, 0, LINK_POINT}, {0, 0}}, ITEM_POINT);
      if (shape == Shape::POINT_GRID) {
        LinkRecord* r = item_nodes(item);
        r[0].centre = {2, 3};
        r[1].point = {4, 6};
        set_point_array(&r[1], 3, 3, 1);
      }
      return item;
    }
    case Shape::SLOT: {
      DrawingItem* item = b->make_item({{0, -2, 0, NODE_FIRST | NODE_LOOSE},
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
      return item;
    }
    case Shape::ROUNDED: {
      std::vector<NodeSpec> nodes = {{0, 1, 1.0f, NODE_FIRST | NODE_LOOSE}, {1, 0}, {9, 0, 1.0f},
                                     {10, 1}, {10, 4, 1.0f}, {9, 5}, {1, 5, 1.0f}, {0, 4}, {0, 1}};
      DrawingItem* item = b->make_item(nodes, ITEM_ROUNDED_RECTANGLE);
      LinkRecord* r = item_nodes(item);
      const PointF centres[4] = {{1, 1}, {9, 1}, {9, 4}, {1, 4}};
      for (int i = 0; i < 4; ++i) {
        r[2 * i].centre = centres[i];
        arc_angles_from_points(&r[2 * i]);
      }
      return item;
    }
  }
  return nullptr;
}

const Case CASES[] = {
    {Shape::LINES, 802, 1, 1, 1, 0, 9, false},
    {Shape::LINES, 802, 1, 2, 5, 0, 9, false},
    {Shape::LINES, 802, 0, 1, 4, 0, 9, false},
    {Shape::LINES, 802, 1, 17, 0, 0, 2, false},
    {Shape::LINES, 802, 1, -1, 15, 0, 9, false},
    {Shape::MIDDLE_QUAD, 802, 1, 17, 53, 0, 9, false},
    {Shape::MIDDLE_RADIUS, 802, 1, 1, 15, 0, 9, false},
    {Shape::MIDDLE_RADIUS, 802, 1, 2, 5, 0, 9, false},
    {Shape::LINES, 807, 1, 17, 2, '6', 10, false},
    {Shape::MIDDLE_ARC, 807, 1, 34, 2, '6', 10, false},
    {Shape::MIDDLE_RADIUS, 807, 1, 17, 6, '6', 10, false},
    {Shape::MIDDLE_QUAD, 807, 1, 17, 0, 0, 9, false},
    {Shape::MIDDLE_RIGID, 807, 1, 17, 2, '6', 10, true},
    {Shape::LINES, 810, 1, 17, 10, '7', 9, false},
    {Shape::LINES, 810, 1, 1, 8, '7', 9, false},
    {Shape::LINES, 810, 2, 2, 19, '7', 9, false},
    {Shape::TANGENT_LINES, 810, 1, 17, -1, '7', 9, false},
    {Shape::MIDDLE_RADIUS, 811, 1, 17, 6, 'F', 9, false},
    {Shape::LINES, 814, 1, 1, 25, '8', 9, false},
    {Shape::LINES, 814, 0, 1, 14, '8', 9, false},
    {Shape::LINES, 815, 1, 17, 21, '9', 9, false},
    {Shape::LINES, 818, 0, 1, -819, 0, 9, false},
    {Shape::LINES, 818, 1, 2, -819, 0, 9, false},
    {Shape::LINES, 818, 1, 1, -818, 0, 9, false},
    {Shape::LINES, 819, 1, 1, -1, 0, 9, false},
    {Shape::LINES, 819, 1, 17, -819, 0, 9, false},
    {Shape::LINES, 59, 1, 1, 59, '%', 9, false},
    {Shape::LINES, 804, 1, 1, 18, '=', 9, false},
    {Shape::LINES, 900, 1, -1, -901, 0, 9, false},
    {Shape::MIDDLE_RADIUS, 900, 1, 17, -901, 0, 9, false},
    {Shape::LINES, 900, 1, 1, -900, 0, 9, false},
    {Shape::LINES, 926, 1, 1, -56, 0, 9, false},
    {Shape::LINES, 877, 1, 17, -877, 0, 9, false},
    {Shape::LINES, -896, 1, 17, -896, 'P', 9, false},
    {Shape::LINES, -897, 1, 17, -897, 'J', 9, false},
    {Shape::LINES, 108, 1, 1, -108, 0, 9, false},
    {Shape::LINES, 911, 1, 1, 911, 0, 9, false},
    {Shape::LINES, 833, 1, 17, 23, 0, 0, false},
    {Shape::LINES, 833, 0, 17, -1, 0, 9, false},
    {Shape::MIDDLE_ARC, 833, 1, 17, 23, 0, 0, false},
    {Shape::LINES, 867, 1, 17, 867, 0, 9, false},
    {Shape::SYMMETRIC, 818, 0, 1, -1, 0, 9, true},
    {Shape::SYMMETRIC, 802, 1, 1, 54, 0, 9, false},
    {Shape::SYMMETRIC, 802, 0, 1, 55, 0, 9, false},
    {Shape::SYMMETRIC, 802, 0, 17, 18, 0, 9, false},
    {Shape::POLYGON, 802, 2, 1, 40, 0, 9, false},
    {Shape::POLYGON, 802, 2, 17, 41, 0, 2, false},
    {Shape::POLYGON, 802, 2, -1, 18, 0, 9, false},
    {Shape::POLYGON, 810, 2, 1, 38, '7', 9, false},
    {Shape::POLYGON, 810, 2, 17, 39, '7', 9, false},
    {Shape::RECTANGLE, 810, 1, 1, 50, '7', 9, false},
    {Shape::RECTANGLE, 802, 1, 1, 49, 0, 9, false},
    {Shape::RECTANGLE, 802, 1, -1, 18, '=', 9, false},
    {Shape::RECTANGLE, 811, 1, 17, 10, 'F', 9, false},
    {Shape::RECTANGLE, 815, 1, 17, 12, '9', 9, false},
    {Shape::ELLIPSE, 802, 0, 17, 45, 0, 9, false},
    {Shape::ELLIPSE, 802, 0, 1, 43, 0, 9, false},
    {Shape::ELLIPSE, 810, 0, 2, 44, '7', 9, false},
    {Shape::CIRCLE, 810, 0, 17, 30, '7', 9, false},
    {Shape::POINT_SINGLE, 814, 0, 1, 46, 0, 9, false},
    {Shape::POINT_GRID, 811, 0, 2, 47, 'F', 9, false},
    {Shape::POINT_GRID, 807, 0, 17, 48, 0, 9, false},
    {Shape::SLOT, 807, 1, 17, 42, 0, 9, false},
    {Shape::SLOT, 802, 1, -1, 37, 0, 9, false},
    {Shape::SLOT, 810, 0, 17, 35, '7', 9, false},
    {Shape::SLOT, 810, 1, 1, 36, '7', 9, false},
    {Shape::ROUNDED, 807, 2, 17, 61, 0, 9, false},
    {Shape::ROUNDED, 811, 1, 17, 62, 'F', 9, false},
    {Shape::ROUNDED, 802, 2, -1, 65, 0, 9, false},
    {Shape::ROUNDED, 814, 1, 1, 63, 0, 9, false},
};

TEST_F(NodeCommandCheck, CommandsMeanTheirDragModeOnEachKindOfItemAndPick) {
  int row = 0;
  for (const Case& c : CASES) {
    SCOPED_TRACE("row " + std::to_string(row++) + " command " + std::to_string(c.command) +
                 " index " + std::to_string(c.index) + " pick " + std::to_string(c.pick));
    free_current_list();
    reset_edit_session();
    DrawingItem* item = build(c.shape);
    g_edit.edited_item = item;
    const int tested = node_command_test(c.command, c.index, c.pick);
    EXPECT_EQ(tested, c.expected_mode);
    EXPECT_EQ(g_edit.node.letter, c.letter);
    if (c.asks) continue;
    g_edit.node.item = item;
    EXPECT_EQ(node_command_check(c.command, c.index, c.pick), c.expected_mode);
    EXPECT_EQ(g_edit.node.letter, c.letter);
    if (c.snap >= 0) {
      EXPECT_EQ(g_edit.node.snap_context, c.snap);
    }
  }
}

TEST_F(NodeCommandCheck, LinkKindCodes) {
  struct KindCase {
    float code;
    float sweep;
    int16_t kind;
  };
  const KindCase cases[] = {
      {5.0f, 1.0f, LINK_KIND_ARC},          {5.0f, SWEEP_CENTRE_CIRCLE, LINK_KIND_CENTRE_CIRCLE},
      {5.0f, SWEEP_RADIUS_CIRCLE, 16},      {5.0f, SWEEP_DIAMETER_CIRCLE, 16},
      {LINK_FLEXIBLE_LINE, 0.0f, LINK_KIND_LINE}, {LINK_RIGID_LINE, 0.0f, LINK_KIND_RIGID},
      {LINK_GAP, 0.0f, LINK_KIND_RIGID},    {-10000.0f, 0.0f, LINK_KIND_RIGID},
      {LINK_BOX, 0.0f, LINK_KIND_CURVE},    {LINK_SPLINE, 0.0f, LINK_KIND_CURVE},
      {LINK_QUADRATIC, 0.0f, LINK_KIND_CURVE}, {LINK_POINT, 0.0f, LINK_KIND_CURVE},
  };
  for (const KindCase& c : cases) {
    LinkRecord r{};
    r.code = c.code;
    r.sweep = c.sweep;
    EXPECT_EQ(link_kind_code(&r), c.kind) << "code " << c.code << " sweep " << c.sweep;
  }
  // Neighbour codes add the kind bits of the node between; none at the ends.
  DrawingItem* item = build(Shape::TANGENT_LINES);
  LinkRecord* r = item_nodes(item);
  LinkRecord* out = nullptr;
  EXPECT_EQ(previous_link_code(item, &r[1], &out), LINK_KIND_LINE | LINK_KIND_TANGENT);
  EXPECT_EQ(out, &r[0]);
  EXPECT_EQ(previous_link_code(item, &r[0], &out), 0);
  EXPECT_EQ(out, nullptr);
  EXPECT_EQ(next_link_code(item, &r[2], &out), 0);
  EXPECT_EQ(out, nullptr);
}

// The dispatcher only asks what a command would do: an extrude between continuing lines
// would insert zero-length links and a rigid line would be turned flexible, but the test call
// leaves every byte of the item and the node context as they were.
TEST_F(NodeCommandCheck, TheDispatchersTestCallChangesNothing) {
  for (const Shape shape : {Shape::COLLINEAR, Shape::MIDDLE_RIGID, Shape::POLYGON}) {
    free_current_list();
    reset_edit_session();
    DrawingItem* item = build(shape);
    const std::vector<uint8_t> before = item->extra;
    const uint8_t kind_before = item->kind;
    g_edit.edited_item = item;
    g_edit.node.link_index = 7;
    for (const int16_t command : {810, 807, 817, 818}) {
      node_command_test(command, 1, PICK_ON_LINK_NEAR_START);
      EXPECT_EQ(item->extra, before) << "command " << command;
      EXPECT_EQ(item->kind, kind_before);
      EXPECT_EQ(g_edit.node.link_index, 7);
    }
  }
  // The session's own check does make the room: two zero-length loose links around the link.
  free_current_list();
  reset_edit_session();
  DrawingItem* item = build(Shape::COLLINEAR);
  g_edit.node.item = item;
  EXPECT_EQ(node_command_check(810, 1, PICK_ON_LINK_NEAR_START), 10);
  EXPECT_EQ(item_link_count(item), 5);
  EXPECT_EQ(g_edit.node.link_index, 2);
  EXPECT_EQ(g_edit.node.previous_code, LINK_KIND_LINE | LINK_KIND_LOOSE);
  const LinkRecord* r = item_nodes(item);
  EXPECT_EQ(r[1].point.x, r[2].point.x);
  EXPECT_EQ(r[3].point.x, r[4].point.x);
}

}  // namespace
