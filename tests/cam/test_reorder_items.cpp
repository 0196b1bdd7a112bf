// Re-ordering the machinable items of each group for a short travel.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cam/machining_block.h"
#include "cam/reorder_items.h"
#include "geometry/drawing_item.h"
#include "nc/cam_host.h"
#include "records/job_settings.h"
#include "store/line_list.h"
#include "tests/cam/cam_item_builder.h"

namespace {

class ReorderItems : public ::testing::Test {
 protected:
  void SetUp() override {
    reset_list_store();
    reset_cam_host();
    g_job_settings = JobSettings{};
  }
  void TearDown() override { free_current_list(); }

  TextLine* line(const std::string& name, std::vector<CamNode> nodes, uint8_t op = CAM_OP_CENTERLINE,
                 int16_t group = 1, uint8_t layer = 0) {
    CamParams p;
    p.operation = op;
    p.machining_group = group;
    p.machining_order = 99;
    DrawingItem* item = add_cam_item(ITEM_POLYLINE, nodes, p, GEOMETRY_KIND_MACHINABLE);
    item->text = name;
    item_block(item)->layer = layer;
    return item;
  }

  // The names in list order with each item's order number.
  std::string order() {
    std::string out;
    for (TextLine* t = g_lists.current.first; t != nullptr; t = t->next) {
      if (!out.empty()) out += " ";
      out += t->text;
      const GeometryBlock* b = item_block(t);
      if (b->cam_kind != GEOMETRY_KIND_DRAWING_AID && block_cam_op(b) != 0)
        out += std::to_string(block_machining_order(b));
    }
    return out;
  }
};

TEST_F(ReorderItems, NothingToOrderAndASingleItem) {
  line("aid", {{0, 0}, {1, 0}}, CAM_OP_DRAWING_AID);
  EXPECT_EQ(reorder_items(0, 0), -1);
  EXPECT_EQ(order(), "aid");
  line("a", {{0, 0}, {1, 0}});
  EXPECT_EQ(reorder_items(0, 0), 1);
  EXPECT_EQ(order(), "aid a1");
}

// From the upper-left corner: the nearest start each time. Items that take no part (an island,
// an unselected item) go first in their own order, their order numbers untouched.
TEST_F(ReorderItems, NearestStartFromTheUpperLeftCorner) {
  line("far", {{9, 0}, {9, 1}});
  line("island", {{0, 0}, {1, 1}}, CAM_OP_ISLAND);
  line("corner", {{0, 10}, {1, 10}});
  TextLine* hidden = line("unselected", {{0, 9}, {0, 8}});
  hidden->state = 0;
  line("middle", {{2, 9}, {5, 5}});
  EXPECT_EQ(reorder_items(0, 0), 3);
  EXPECT_EQ(order(), "island99 unselected99 corner1 middle2 far3");
}

// Two open lines that meet end to start within 0.01: the earlier one is cut first, even when
// the later one's start lies nearer the corner.
TEST_F(ReorderItems, ChainedLinesAreCutEarlierFirst) {
  line("later", {{0, 10}, {3, 10}});
  line("earlier", {{6, 2}, {0.005f, 9.995f}});
  EXPECT_EQ(reorder_items(0, 0), 2);
  EXPECT_EQ(order(), "earlier1 later2");
}

// With either end allowed, a line nearer by its end is turned round; an open tool-right line
// becomes a tool-left one, so the tool stays on the same side of the drawn line.
TEST_F(ReorderItems, EitherEndReversesAndSwapsTheSide) {
  TextLine* right = line("right", {{5, 0}, {0, 10}}, CAM_OP_CONTOUR_INSIDE);
  TextLine* closed = line("closed", {{9, 0}, {9, 2}, {8, 2}, {9, 0}}, CAM_OP_CONTOUR_INSIDE);
  EXPECT_EQ(reorder_items(0, 1), 2);
  EXPECT_EQ(order(), "right1 closed2");
  EXPECT_EQ(item_nodes(right)[0].point.y, 10.0f);
  EXPECT_EQ(block_cam_op(item_block(right)), CAM_OP_CONTOUR_OUTSIDE);
  // A closed outline is cut inside whichever way it runs.
  EXPECT_EQ(block_cam_op(item_block(closed)), CAM_OP_CONTOUR_INSIDE);
  // Without either end nothing is turned round.
  EXPECT_EQ(reorder_items(0, 0), 2);
  EXPECT_EQ(item_nodes(right)[0].point.y, 10.0f);
}

// By layer: within a group, layer 1 before layer 3, the order numbers running on; a new group
// numbers from 1 again.
TEST_F(ReorderItems, ByLayerKeepsLayersApart) {
  line("l3", {{0, 10}, {1, 10}}, CAM_OP_CENTERLINE, 1, 3);
  line("l1", {{8, 0}, {9, 0}}, CAM_OP_CENTERLINE, 1, 1);
  line("g2", {{0, 9}, {1, 9}}, CAM_OP_CENTERLINE, 2, 0);
  EXPECT_EQ(reorder_items(1, 0), 3);
  EXPECT_EQ(order(), "l11 l32 g21");
  EXPECT_EQ(reorder_items(0, 0), 3);
  EXPECT_EQ(order(), "l31 l12 g21");
}

}  // namespace
