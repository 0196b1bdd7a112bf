// Two drag modes applied step by step on a working item, as the drag loop applies them on each
// pointer move: turning a whole item about its first link's centre (mode 33) and moving the
// joint of two quadratic links with their control points (mode 52).
#include <cmath>

#include "drawing_edit_fixture.h"
#include "commands/node_context_fill.h"
#include "commands/node_edit_session.h"
#include "geometry/node_surgery.h"

namespace {

class NodeDragModes : public DrawingEditFixture {
 protected:
  static void start(DrawingItem* item, int32_t index, int16_t pick) {
    reset_node_drag();
    NodeContext& c = g_edit.node;
    c.item = item;
    c.link_index = index;
    c.pick = pick;
    fill_node_context(&c, item, index, pick);
  }
};

// Each step turns the item by the change of the pointer's bearing from the pivot; the first
// step only takes the bearing.
TEST_F(NodeDragModes, ModeThirtyThreeTurnsTheItemAboutTheFirstCentre) {
  DrawingItem* item = add_polyline({{10, 0}, {10, 5}, {0, 5}});
  item_nodes(item)[0].centre = {0, 0};
  start(item, 0, PICK_ON_LINK_NEAR_START);
  EXPECT_EQ(apply_drag_mode(33, {20, 0}, {20, 0}), 0);
  const LinkRecord* r = item_nodes(item);
  EXPECT_NEAR(r[0].point.x, 10.0f, 1e-5) << "the first step only takes the bearing";
  EXPECT_EQ(apply_drag_mode(33, {0, 20}, {0, 20}), 0);
  EXPECT_EQ(apply_drag_mode(33, {-20, 0}, {-20, 0}), 0);
  // Two quarter turns: every node half way round the pivot.
  EXPECT_NEAR(r[0].point.x, -10.0f, 1e-4);
  EXPECT_NEAR(r[0].point.y, 0.0f, 1e-4);
  EXPECT_NEAR(r[1].point.x, -10.0f, 1e-4);
  EXPECT_NEAR(r[1].point.y, -5.0f, 1e-4);
  EXPECT_NEAR(r[2].point.x, 0.0f, 1e-4);
  EXPECT_NEAR(r[2].point.y, -5.0f, 1e-4);
}

// The joint goes to the pointer; the control points on both sides move by the same step, so the
// curves keep their shape beside the joint.
TEST_F(NodeDragModes, ModeFiftyTwoCarriesBothControlPointsWithTheJoint) {
  DrawingItem* item = add_polyline({{0, 0}, {10, 0}, {20, 0}});
  LinkRecord* r = item_nodes(item);
  r[0].code = LINK_QUADRATIC;
  r[0].centre = {5, 5};
  r[1].code = LINK_QUADRATIC;
  r[1].centre = {15, -5};
  start(item, 1, PICK_START_NODE);
  g_hover.cursor_delta = {1, 2};
  EXPECT_EQ(apply_drag_mode(52, {11, 2}, {11, 2}), 0);
  r = item_nodes(item);
  EXPECT_FLOAT_EQ(r[1].point.x, 11.0f);
  EXPECT_FLOAT_EQ(r[1].point.y, 2.0f);
  EXPECT_FLOAT_EQ(r[0].centre.x, 6.0f);
  EXPECT_FLOAT_EQ(r[0].centre.y, 7.0f);
  EXPECT_FLOAT_EQ(r[1].centre.x, 16.0f);
  EXPECT_FLOAT_EQ(r[1].centre.y, -3.0f);
  EXPECT_FLOAT_EQ(r[0].point.x, 0.0f) << "the far ends stay";
  EXPECT_FLOAT_EQ(r[2].point.x, 20.0f);
}

}  // namespace
