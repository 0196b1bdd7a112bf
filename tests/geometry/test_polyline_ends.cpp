// Reversing a polyline and closing it when its ends touch.
#include <gtest/gtest.h>

#include <vector>

#include "geometry/drawing_item.h"
#include "geometry/polyline_ends.h"
#include "records/preferences.h"
#include "store/line_list.h"
#include "tests/geometry/new_test_item.h"

namespace {

struct Node {
  float x, y;
  float code = LINK_FLEXIBLE_LINE;
  PointF centre = {0.0f, 0.0f};
  uint8_t link_flags = 0;
};

class PolylineEnds : public ::testing::Test {
 protected:
  void SetUp() override {
    reset_list_store();
    g_preferences = Preferences{};
    g_preferences.gap_tolerance = 0.005f;
  }
  void TearDown() override { free_current_list(); }

  // The last node is the closing record; every node gets its own number, Z and flags.
  DrawingItem* make(uint8_t type, const std::vector<Node>& nodes) {
    const int n = static_cast<int>(nodes.size()) - 1;
    DrawingItem* item = new_test_item(type, n, GEOMETRY_KIND_DRAWING_AID);
    LinkRecord* r = item_nodes(item);
    for (int k = 0; k <= n; ++k) {
      r[k].point = PointF{nodes[k].x, nodes[k].y};
      r[k].node_number = static_cast<int16_t>(10 + k);
      r[k].z = 0.5f * k;
      r[k].node_flags = k == n ? NODE_CLOSING : (k == 0 ? NODE_FIRST : NODE_LOOSE);
      if (k == n) break;
      r[k].code = nodes[k].code;
      r[k].centre = nodes[k].centre;
      r[k].link_flags = nodes[k].link_flags;
      if (code_is_arc(r[k].code)) arc_angles_from_points(&r[k]);
    }
    item_bounding_boxes(item);
    return item;
  }
};

// A line, a counter-clockwise half circle and a line with a pen-up jump: reversed, each node
// keeps its own number and Z, each link its own code and jump, and the arc turns clockwise.
TEST_F(PolylineEnds, ReversingKeepsNodesAndLinksTheirOwnData) {
  DrawingItem* item = make(ITEM_POLYLINE, {{0, 0},
                                           {2, 0, 1.0f, {3, 0}},
                                           {4, 0, LINK_FLEXIBLE_LINE, {0, 0}, LINK_JUMP},
                                           {4, 3}});
  item_nodes(item)[1].link_flags |= LINK_NODE_MARKED;  // a mark on node 1
  const std::vector<LinkRecord> before(item_nodes(item), item_nodes(item) + 4);
  ASSERT_EQ(reverse_polyline(item), 0);
  const LinkRecord* r = item_nodes(item);
  const float xs[] = {4, 4, 2, 0}, ys[] = {3, 0, 0, 0};
  const int16_t numbers[] = {13, 12, 11, 10};
  for (int k = 0; k < 4; ++k) {
    EXPECT_EQ(r[k].point.x, xs[k]) << k;
    EXPECT_EQ(r[k].point.y, ys[k]) << k;
    EXPECT_EQ(r[k].node_number, numbers[k]) << k;
    EXPECT_EQ(r[k].z, before[3 - k].z) << k;
  }
  EXPECT_EQ(r[0].node_flags, NODE_FIRST) << "the first node keeps the item's first flags";
  EXPECT_EQ(r[3].node_flags, NODE_CLOSING);
  EXPECT_EQ(r[0].link_flags & LINK_JUMP, LINK_JUMP) << "the jump stays with its link";
  EXPECT_EQ(r[1].code, 1.0f);
  EXPECT_EQ(r[1].link_flags & LINK_CLOCKWISE, LINK_CLOCKWISE) << "the arc runs the other way";
  EXPECT_EQ(r[1].link_flags & LINK_JUMP, 0);
  EXPECT_EQ(r[2].link_flags & LINK_NODE_MARKED, LINK_NODE_MARKED) << "the mark stays on node 1";
  EXPECT_EQ(r[1].centre.x, 3.0f);
  // Twice round is the item it was.
  ASSERT_EQ(reverse_polyline(item), 0);
  for (int k = 0; k < 4; ++k) {
    EXPECT_EQ(r[k].point.x, before[k].point.x) << k;
    EXPECT_EQ(r[k].node_number, before[k].node_number) << k;
    EXPECT_EQ(r[k].link_flags, before[k].link_flags) << k;
    EXPECT_EQ(r[k].node_flags, before[k].node_flags) << k;
  }
}

TEST_F(PolylineEnds, CircleIsLeftAsItIsAndSymmetricPolylineMirrored) {
  DrawingItem* circle = make(ITEM_CIRCLE, {{2, 1, 1.0f, {1, 1}}, {2, 1}});
  const LinkRecord before = item_nodes(circle)[0];
  EXPECT_EQ(reverse_polyline(circle), 0);
  EXPECT_EQ(item_nodes(circle)[0].link_flags, before.link_flags);
  DrawingItem* dual = make(ITEM_POLYLINE, {{0, 0}, {0, 5}, {1, 1}, {2, 2}, {1, 3}});
  item_nodes(dual)[0].node_flags |= NODE_DUAL;
  EXPECT_EQ(reverse_polyline(dual), 0);
  EXPECT_EQ(item_nodes(dual)[0].point.y, 0.0f);
  EXPECT_EQ(item_nodes(dual)[2].point.x, -1.0f) << "mirrored about its symmetry line x = 0";
}

TEST_F(PolylineEnds, ClosingWhenTheEndsTouch) {
  struct Case {
    const char* what;
    std::vector<Node> nodes;
    float code;  // of every link
    int result;
    bool snapped;
  };
  const Case cases[] = {
      {"ends within the gap", {{0, 0}, {3, 0}, {3, 3}, {0.003f, 0.002f}}, LINK_FLEXIBLE_LINE, 1, true},
      {"ends too far apart", {{0, 0}, {3, 0}, {3, 3}, {0.01f, 0}}, LINK_FLEXIBLE_LINE, 0, false},
      {"one link", {{0, 0}, {0.001f, 0}}, LINK_FLEXIBLE_LINE, 0, false},
      {"two lines", {{0, 0}, {3, 0}, {0.001f, 0.001f}}, LINK_FLEXIBLE_LINE, 1, true},
      {"two spline links", {{0, 0}, {3, 1}, {0.001f, 0.001f}}, LINK_SPLINE, 0, true},
  };
  for (const Case& c : cases) {
    std::vector<Node> nodes = c.nodes;
    for (Node& n : nodes) n.code = c.code;
    DrawingItem* item = make(ITEM_POLYLINE, nodes);
    const int n = item_link_count(item);
    EXPECT_EQ(close_if_touching(item), c.result) << c.what;
    const LinkRecord* r = item_nodes(item);
    EXPECT_EQ((r[0].node_flags & NODE_KIND_MASK) != 0, c.result == 1) << c.what;
    EXPECT_EQ(r[n].point.x == 0.0f && r[n].point.y == 0.0f, c.snapped) << c.what;
    // Closed already: nothing more to do.
    if (c.result == 1) {
      EXPECT_EQ(close_if_touching(item), 0) << c.what;
    }
  }
}

}  // namespace
