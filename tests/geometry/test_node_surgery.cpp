#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "geometry/geometry2d.h"
#include "geometry/geometry_host.h"
#include "geometry/geometry_settings.h"
#include "geometry/item_edit_state.h"
#include "geometry/node_surgery.h"
#include "link_fixtures.h"

using link_test::add_item;
using link_test::arc_from;
using link_test::at;
using link_test::distance;
using link_test::item_points;
using link_test::Link;
using link_test::make_arc;
using link_test::make_circle;
using link_test::make_line;
using link_test::Node;

namespace {

constexpr double PI = ANGLE_PI;

class NodeSurgeryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    reset_geometry2d();
    reset_float2d_state();
    free_current_list();
    reset_list_store();
    reset_item_edit();
    reset_geometry_settings();
    reset_geometry_host();
  }
  void TearDown() override { free_current_list(); }
};

std::vector<Node> along_x(std::vector<float> xs) {
  std::vector<Node> nodes;
  for (float x : xs) nodes.push_back(at(x, 0));
  return nodes;
}

std::vector<float> xs_of(const DrawingItem* item) {
  std::vector<float> xs;
  for (const PointF& p : item_points(item)) xs.push_back(p.x);
  return xs;
}

std::vector<uint8_t> node_flags_of(const DrawingItem* item) {
  std::vector<uint8_t> flags;
  const LinkRecord* r = item_nodes(item);
  for (int i = 0; i <= item_link_count(item); ++i) flags.push_back(r[i].node_flags);
  return flags;
}

DrawingItem* unit_square() {
  return add_item({at(0, 0), at(1, 0), at(1, 1), at(0, 1), at(0, 0)}, true);
}

void mark_node(DrawingItem* item, int index) {
  item_nodes(item)[index].link_flags |= LINK_NODE_MARKED;
  set_item_flags(item, item_flags(item) | ITEM_FLAG_HAS_MARKED_NODES);
}

int count_items() { return count_current_lines(); }

// ---- delete_node ----

TEST_F(NodeSurgeryTest, DeleteNodeJoinsItsNeighbours) {
  DrawingItem* item = add_item({at(0, 0), at(1, 0), at(2, 0), at(3, 1), at(4, 1)}, false);
  EXPECT_EQ(delete_node(item, &item_nodes(item)[1], DELETE_NODE_REMOVE), 1);
  EXPECT_EQ(item_link_count(item), 3);
  EXPECT_EQ(xs_of(item), (std::vector<float>{0, 2, 3, 4}));
  EXPECT_EQ(node_flags_of(item), (std::vector<uint8_t>{NODE_FIRST, NODE_LOOSE, NODE_LOOSE, NODE_CLOSING}));
}

TEST_F(NodeSurgeryTest, DeleteFirstNodeOfClosedItemKeepsItClosed) {
  DrawingItem* item = unit_square();
  EXPECT_EQ(delete_node(item, &item_nodes(item)[0], DELETE_NODE_REMOVE), 1);
  const LinkRecord* r = item_nodes(item);
  EXPECT_EQ(item_link_count(item), 3);
  EXPECT_EQ(r[0].node_flags, NODE_FIRST | NODE_LOOSE);
  EXPECT_EQ(r[0].point.x, 1.0f);
  EXPECT_EQ(r[3].point.x, r[0].point.x);  // the closing node follows the new first node
  EXPECT_EQ(r[3].point.y, r[0].point.y);
  EXPECT_TRUE(item_is_closed(item));
}

TEST_F(NodeSurgeryTest, DeleteNodeRefitsArcsOnBothSides) {
  // A half circle from (1,0) to (3,0) about (2,0), then lines; the node at (3,0) goes.
  DrawingItem* item = add_item({at(0, 0), arc_from(1, 0, 2, 0), at(3, 0), arc_from(4, 0, 5, 0), at(6, 0)}, false);
  ASSERT_EQ(delete_node(item, &item_nodes(item)[2], DELETE_NODE_REMOVE), 1);
  const LinkRecord* r = item_nodes(item);
  // The arc arriving at the removed node now ends at (4,0): it is refitted to its new ends.
  EXPECT_NEAR(distance(r[1].centre, r[1].point), r[1].code, 1e-5);
  EXPECT_NEAR(distance(r[1].centre, r[2].point), r[1].code, 1e-5);
  EXPECT_GE(r[1].box_max.x, 4.0f);
  // The arc now leaving the position keeps its ends and stays on them.
  EXPECT_NEAR(distance(r[2].centre, r[2].point), r[2].code, 1e-5);
  EXPECT_NEAR(distance(r[2].centre, r[3].point), r[2].code, 1e-5);
}

TEST_F(NodeSurgeryTest, DeleteNodeLeavesSingleLinkAlone) {
  DrawingItem* item = add_item({at(0, 0), at(1, 0)}, false);
  EXPECT_EQ(delete_node(item, &item_nodes(item)[0], DELETE_NODE_REMOVE), 0);
  EXPECT_EQ(delete_node(item, &item_nodes(item)[1], DELETE_NODE_REMOVE), 0);
  EXPECT_EQ(item_link_count(item), 1);
  EXPECT_EQ(xs_of(item), (std::vector<float>{0, 1}));
}

TEST_F(NodeSurgeryTest, DeleteNodeCutOffMakesTheRecordClosing) {
  DrawingItem* item = add_item(along_x({0, 1, 2, 3, 4}), false);
  EXPECT_EQ(delete_node(item, &item_nodes(item)[3], DELETE_NODE_CUT_OFF), 0);
  EXPECT_EQ(item_link_count(item), 3);
  EXPECT_EQ(item_nodes(item)[3].node_flags, NODE_CLOSING);
  EXPECT_EQ(xs_of(item), (std::vector<float>{0, 1, 2, 3}));
}

TEST_F(NodeSurgeryTest, DeleteNodeOpensAnItemLeftWithTwoLinks) {
  DrawingItem* item = add_item({at(0, 0), at(1, 0), at(0, 1), at(0, 0)}, true);
  ASSERT_TRUE(item_is_closed(item));
  EXPECT_EQ(delete_node(item, &item_nodes(item)[1], DELETE_NODE_REMOVE), 1);
  EXPECT_FALSE(item_is_closed(item));
}

TEST_F(NodeSurgeryTest, DeleteNodeKeepsRegularPolygonRegular) {
  // Hexagon about (2,3), radius 2, first node at 30 degrees.
  std::vector<Node> nodes;
  for (int i = 0; i <= 6; ++i) {
    const double a = PI / 6 + i * PI / 3;
    nodes.push_back(at(static_cast<float>(2 + 2 * std::cos(a)), static_cast<float>(3 + 2 * std::sin(a))));
  }
  DrawingItem* item = add_item(nodes, true, ITEM_POLYGON);
  item_nodes(item)[0].centre = {2, 3};
  EXPECT_EQ(delete_node(item, &item_nodes(item)[2], DELETE_NODE_REMOVE), 0);
  ASSERT_EQ(item_link_count(item), 5);
  const LinkRecord* r = item_nodes(item);
  const PointF centre = {2, 3};
  EXPECT_NEAR(point_angle(&centre, &r[0].point), PI / 6, 1e-5);
  for (int i = 0; i < 5; ++i) {
    EXPECT_NEAR(distance(r[i].point, centre), 2.0, 1e-5) << i;
    EXPECT_NEAR(distance(r[i].point, r[i + 1].point), 2 * 2 * std::sin(PI / 5), 1e-4) << i;
  }
  EXPECT_EQ(r[5].node_flags, NODE_CLOSING);
  EXPECT_NEAR(distance(r[5].point, r[0].point), 0.0, 1e-6);
}

// ---- delete_marked_items and delete_marked_nodes ----

TEST_F(NodeSurgeryTest, DeleteMarkedItems) {
  DrawingItem* a = add_item(along_x({0, 1}), false);
  DrawingItem* b = add_item(along_x({2, 3}), false);
  DrawingItem* c = add_item(along_x({4, 5}), false);
  set_item_flags(a, ITEM_FLAG_MARKED | ITEM_FLAG_SELECTED);
  set_item_flags(b, ITEM_FLAG_SAVED_MARK);
  set_item_flags(c, ITEM_FLAG_MARKED);
  delete_marked_items();
  ASSERT_EQ(count_items(), 1);
  EXPECT_EQ(g_lists.current.first, b);
  EXPECT_EQ(g_lists.current.last, b);
}

TEST_F(NodeSurgeryTest, MarkedNodeOfSingleLinkItemDeletesTheItem) {
  DrawingItem* lone = add_item(along_x({0, 1}), false);
  DrawingItem* keep = add_item(along_x({0, 1, 2}), false);
  mark_node(lone, 1);
  delete_marked_nodes();
  ASSERT_EQ(count_items(), 1);
  EXPECT_EQ(g_lists.current.first, keep);
}

TEST_F(NodeSurgeryTest, MarkedFirstNodeOfClosedItemKeepsItClosed) {
  DrawingItem* item = unit_square();
  mark_node(item, 0);
  delete_marked_nodes();
  ASSERT_EQ(count_items(), 1);
  EXPECT_EQ(item_link_count(item), 3);
  const LinkRecord* r = item_nodes(item);
  EXPECT_TRUE(item_is_closed(item));
  EXPECT_EQ(r[0].node_flags & NODE_KIND_MASK, NODE_LOOSE);
  EXPECT_EQ(r[0].point.x, 1.0f);
  EXPECT_EQ(r[0].point.y, 0.0f);
  EXPECT_EQ(r[3].point.x, 1.0f);
  EXPECT_EQ(r[3].point.y, 0.0f);
  EXPECT_EQ(item_flags(item) & ITEM_FLAG_HAS_MARKED_NODES, 0);
}

TEST_F(NodeSurgeryTest, ConsecutiveItemsFallingToOneLinkAreDeletedAndTheNextIsProcessed) {
  DrawingItem* a = add_item(along_x({0, 1, 2}), false);
  DrawingItem* b = add_item(along_x({0, 1, 2}), false);
  DrawingItem* c = add_item(along_x({0, 1, 2, 3}), false);
  DrawingItem* untouched = add_item(along_x({0, 1, 2}), false);
  mark_node(a, 1);
  mark_node(b, 1);
  mark_node(c, 1);
  item_nodes(untouched)[1].link_flags |= LINK_NODE_MARKED;  // item not flagged: left alone
  delete_marked_nodes();
  ASSERT_EQ(count_items(), 2);
  EXPECT_EQ(g_lists.current.first, c);
  EXPECT_EQ(xs_of(c), (std::vector<float>{0, 2, 3}));
  EXPECT_EQ(item_link_count(untouched), 2);
}

TEST_F(NodeSurgeryTest, RunOfMarkedNodesIsRemovedInOnePass) {
  DrawingItem* item = add_item(along_x({0, 1, 2, 3, 4, 5}), false);
  mark_node(item, 1);
  mark_node(item, 2);
  mark_node(item, 4);
  delete_marked_nodes();
  EXPECT_EQ(xs_of(item), (std::vector<float>{0, 3, 5}));
}

TEST_F(NodeSurgeryTest, MarkedClosingRecord) {
  DrawingItem* open = add_item(along_x({0, 1, 2, 3}), false);
  mark_node(open, 3);
  DrawingItem* closed = unit_square();
  mark_node(closed, 4);
  delete_marked_nodes();
  EXPECT_EQ(xs_of(open), (std::vector<float>{0, 1, 2}));  // the last link goes
  EXPECT_EQ(item_nodes(open)[2].node_flags, NODE_CLOSING);
  EXPECT_EQ(item_link_count(closed), 4);                  // only the mark goes
  EXPECT_EQ(item_nodes(closed)[4].link_flags & (LINK_NODE_MARKED | LINK_SAVED_MARK), LINK_SAVED_MARK);
}

// ---- gap_at_node ----

struct GapCase {
  const char* name;
  std::vector<Node> nodes;
  bool closed;
  int record;
  int result;
  std::vector<float> xs;  // node x after the cut
  std::vector<float> codes;
  bool closed_after;
};

TEST_F(NodeSurgeryTest, GapAtNode) {
  const float G = LINK_GAP;
  const std::vector<GapCase> cases = {
      {"middle", along_x({0, 1, 2, 3, 4}), false, 1, 0, {0, 1, 2, 3, 4}, {0, G, 0, 0}, false},
      {"between two gaps",
       {at(0, 0), at(1, 0, G), at(2, 0), at(3, 0, G), at(4, 0), at(5, 0)}, false, 2, 2,
       {0, 1, 4, 5}, {0, G, 0}, false},
      {"first node before a gap", {at(0, 0), at(1, 0, G), at(2, 0), at(3, 0), at(4, 0)}, false, 0, 1,
       {2, 3, 4}, {0, 0}, false},
      {"first node of closed item", {at(0, 0), at(1, 0), at(1, 1), at(0, 1), at(0, 0)}, true, 0, 1,
       {1, 1, 0, 0}, {0, 0, 0}, false},
      {"last link", along_x({0, 1, 2, 3}), false, 2, 1, {0, 1, 2}, {0, 0}, false},
      {"last link after a gap", {at(0, 0), at(1, 0, G), at(2, 0), at(3, 0)}, false, 2, 1, {0, 1}, {0}, false},
      {"last link of closed item", {at(0, 0), at(1, 0), at(1, 1), at(0, 1), at(0, 0)}, true, 3, 1,
       {0, 1, 1, 0}, {0, 0, 0}, false},
      // never an item without links
      {"single link, first node", along_x({0, 1}), false, 0, 0, {0, 1}, {0}, false},
      {"single link, last node", along_x({0, 1}), false, 1, 0, {0, 1}, {0}, false},
      {"first node before the only other link, a gap", {at(0, 0), at(1, 0, G), at(2, 0)}, false, 0, 1,
       {1, 2}, {G}, false},
  };
  for (const GapCase& c : cases) {
    free_current_list();
    DrawingItem* item = add_item(c.nodes, c.closed);
    ASSERT_NE(item, nullptr) << c.name;
    EXPECT_EQ(gap_at_node(&item_nodes(item)[c.record]), c.result) << c.name;
    EXPECT_EQ(xs_of(item), c.xs) << c.name;
    std::vector<float> codes;
    for (int i = 0; i < item_link_count(item); ++i) codes.push_back(item_nodes(item)[i].code);
    EXPECT_EQ(codes, c.codes) << c.name;
    EXPECT_EQ(item_is_closed(item), c.closed_after) << c.name;
    const LinkRecord* r = item_nodes(item);
    EXPECT_NE(r[0].node_flags & NODE_FIRST, 0) << c.name;
    EXPECT_EQ(r[item_link_count(item)].node_flags, NODE_CLOSING) << c.name;
  }
}

TEST_F(NodeSurgeryTest, GapInTheMiddleLoosensBothNodes) {
  DrawingItem* item = add_item(along_x({0, 1, 2, 3}), false);
  item_nodes(item)[1].node_flags = NODE_TANGENT;
  item_nodes(item)[2].node_flags = NODE_TANGENT;
  gap_at_node(&item_nodes(item)[1]);
  EXPECT_EQ(item_nodes(item)[1].node_flags, NODE_LOOSE);
  EXPECT_EQ(item_nodes(item)[2].node_flags, NODE_LOOSE);
}

TEST_F(NodeSurgeryTest, GapAtFirstNodeKeepsSymmetryBits) {
  DrawingItem* item = add_item(along_x({0, 1, 2, 3}), true);
  item_nodes(item)[0].node_flags |= NODE_DUAL;
  gap_at_node(&item_nodes(item)[0]);
  EXPECT_EQ(item_nodes(item)[0].node_flags, NODE_FIRST | NODE_DUAL);
}

// ---- start nodes ----

TEST_F(NodeSurgeryTest, MakeStartNodeRotatesClosedItem) {
  DrawingItem* item = add_item({at(0, 0), at(1, 0), arc_from(1, 1, 0.5f, 1), at(0, 1), at(0, 0)}, true);
  item_nodes(item)[2].node_flags = NODE_TANGENT;
  item_nodes(item)[2].link_flags |= LINK_CLOCKWISE;
  ASSERT_EQ(make_start_node(&item_nodes(item)[2]), 0);
  const LinkRecord* r = item_nodes(item);
  EXPECT_EQ(xs_of(item), (std::vector<float>{1, 0, 0, 1, 1}));
  EXPECT_EQ(node_flags_of(item),
            (std::vector<uint8_t>{NODE_FIRST | NODE_TANGENT, NODE_LOOSE, NODE_LOOSE, NODE_LOOSE, NODE_CLOSING}));
  EXPECT_GT(r[0].code, 0.0f);  // the arc travels with its node
  EXPECT_EQ(r[0].link_flags & LINK_CLOCKWISE, LINK_CLOCKWISE);
  EXPECT_EQ(r[0].centre.x, 0.5f);
  // Node numbers stay with their nodes.
  EXPECT_EQ(r[0].node_number, 2);
  EXPECT_EQ(r[2].node_number, 0);
  EXPECT_EQ(r[4].node_number, 2);
  EXPECT_EQ(r[4].point.y, r[0].point.y);
}

TEST_F(NodeSurgeryTest, RotateToStartNodeRefusesOpenItem) {
  DrawingItem* item = add_item(along_x({0, 1, 2, 3}), false);
  EXPECT_EQ(rotate_to_start_node(item, &item_nodes(item)[2]), -1);
  EXPECT_EQ(xs_of(item), (std::vector<float>{0, 1, 2, 3}));
  EXPECT_EQ(item_nodes(item)[2].node_flags, NODE_LOOSE);
}

TEST_F(NodeSurgeryTest, RotateToRecordZeroChangesNothing) {
  DrawingItem* item = unit_square();
  const std::vector<uint8_t> flags = node_flags_of(item);
  ASSERT_EQ(rotate_to_start_node(item, &item_nodes(item)[0]), 0);
  EXPECT_EQ(xs_of(item), (std::vector<float>{0, 1, 1, 0, 0}));
  EXPECT_EQ(node_flags_of(item), flags);
}

// ---- delete_link_run ----

TEST_F(NodeSurgeryTest, DeleteLinkRun) {
  struct Case {
    const char* name;
    int first, last;  // last -1: up to the closing record
    int result;
    std::vector<float> xs;
    uint8_t first_flags;
  };
  const Case cases[] = {
      {"middle", 1, 2, 1, {0, 3, 4, 5}, NODE_FIRST | NODE_LOOSE},
      {"middle, reversed", 2, 1, 1, {0, 3, 4, 5}, NODE_FIRST | NODE_LOOSE},
      {"from the first node", 0, 1, 1, {2, 3, 4, 5}, NODE_FIRST},
      {"to the end", 3, -1, 0, {0, 1, 2}, NODE_FIRST},
      {"all links but one", 0, 3, 1, {4, 5}, NODE_FIRST},
      {"all but the first link", 2, -1, 0, {0, 1}, NODE_FIRST},
      {"all links", 0, -1, -1, {0, 1, 2, 3, 4, 5}, NODE_FIRST | NODE_LOOSE},
      {"one too many", 1, -1, -1, {0, 1, 2, 3, 4, 5}, NODE_FIRST | NODE_LOOSE},
  };
  for (const Case& c : cases) {
    free_current_list();
    DrawingItem* item = add_item(along_x({0, 1, 2, 3, 4, 5}), true);
    LinkRecord* r = item_nodes(item);
    EXPECT_EQ(delete_link_run(item, &r[c.first], c.last < 0 ? nullptr : &r[c.last]), c.result) << c.name;
    EXPECT_EQ(xs_of(item), c.xs) << c.name;
    EXPECT_EQ(item_nodes(item)[0].node_flags, c.first_flags) << c.name;
    EXPECT_EQ(item_nodes(item)[item_link_count(item)].node_flags, NODE_CLOSING) << c.name;
  }
}

TEST_F(NodeSurgeryTest, DeleteLinkRunLoosensTheJoiningNode) {
  DrawingItem* item = add_item(along_x({0, 1, 2, 3, 4}), false);
  item_nodes(item)[3].node_flags = NODE_TANGENT;
  ASSERT_EQ(delete_link_run(item, &item_nodes(item)[1], &item_nodes(item)[2]), 1);
  EXPECT_EQ(item_nodes(item)[1].node_flags, NODE_LOOSE);
}

TEST_F(NodeSurgeryTest, DeleteLinkRunRefusesTextItems) {
  DrawingItem* item = add_item({at(0, 0), at(4, 0), at(4, 1), at(0, 1), at(0, 0)}, true, ITEM_TEXT);
  EXPECT_EQ(delete_link_run(item, &item_nodes(item)[1], &item_nodes(item)[1]), -1);
  EXPECT_EQ(item_link_count(item), 4);
}

// ---- thin_run_nodes ----

// Nodes after the current link (link 0) have outgoing links 0.05, 0.3, 0.3, 0.3 and 1.0 long.
DrawingItem* thinning_fixture() {
  return add_item(along_x({0, 1, 1.05f, 1.35f, 1.65f, 1.95f, 2.95f, 4}), false);
}

TEST_F(NodeSurgeryTest, ThinRunKeepsEveryOtherNodeBetweenTheBounds) {
  DrawingItem* item = thinning_fixture();
  g_item_edit.current_link_index = 0;
  thin_run_nodes(item, 0.1, 0.5, 0);
  EXPECT_EQ(xs_of(item), (std::vector<float>{0, 1.35f, 1.95f, 2.95f, 4}));
}

TEST_F(NodeSurgeryTest, ThinRunStopsAtMarksJumpsAndCodeChanges) {
  struct Case {
    const char* name;
    void (*prepare)(LinkRecord* r);
    int whole;
    std::vector<float> xs;
  };
  const Case cases[] = {
      {"marked node", [](LinkRecord* r) { r[3].link_flags |= LINK_NODE_MARKED; }, 0,
       {0, 1.35f, 1.65f, 1.95f, 2.95f, 4}},
      {"jump link", [](LinkRecord* r) { r[3].link_flags |= LINK_JUMP; }, 0,
       {0, 1.35f, 1.65f, 1.95f, 2.95f, 4}},
      {"other code", [](LinkRecord* r) { r[3].code = LINK_RIGID_LINE; }, 0,
       {0, 1.35f, 1.65f, 1.95f, 2.95f, 4}},
      {"whole item", [](LinkRecord* r) { r[3].link_flags |= LINK_NODE_MARKED | LINK_JUMP; }, 1,
       {0, 1.35f, 1.95f, 2.95f, 4}},
  };
  for (const Case& c : cases) {
    free_current_list();
    DrawingItem* item = thinning_fixture();
    c.prepare(item_nodes(item));
    g_item_edit.current_link_index = 0;
    thin_run_nodes(item, 0.1, 0.5, c.whole);
    EXPECT_EQ(xs_of(item), c.xs) << c.name;
  }
}

TEST_F(NodeSurgeryTest, ThinRunStartsAtTheCurrentLink) {
  DrawingItem* item = add_item(along_x({0, 0.01f, 0.02f, 1, 1.01f, 1.02f, 2}), false);
  g_item_edit.current_link_index = 3;
  thin_run_nodes(item, 0.1, 0.5, 0);
  // Only the node after the current link is too close; the short links before it stay.
  EXPECT_EQ(xs_of(item), (std::vector<float>{0, 0.01f, 0.02f, 1, 1.02f, 2}));
}

// ---- pick tests ----

TEST_F(NodeSurgeryTest, HitTestLine) {
  struct Case {
    Link link;
    PointF p;
    int result;
  };
  const Case cases[] = {
      {make_line(0, 0, 10, 0), {0.2f, 0.1f}, PICK_START_NODE},
      {make_line(0, 0, 10, 0), {10.1f, 0}, PICK_END_NODE},
      {make_line(0, 0, 10, 0), {3, 0.2f}, PICK_ON_LINK_NEAR_START},
      {make_line(0, 0, 10, 0), {7, -0.2f}, PICK_ON_LINK_NEAR_END},
      {make_line(0, 0, 10, 0), {3, 0.3f}, PICK_NOTHING},    // past half the tolerance
      {make_line(0, 0, 10, 0), {11, 0}, PICK_NOTHING},      // on the extension beyond the end
      {make_line(0, 0, 10, 0), {-1, 0}, PICK_NOTHING},
      {make_line(0, 0, 0.3f, 0), {0.1f, 0}, PICK_END_NODE}, // shorter than the tolerance
      {make_line(0, 0, 0, 10), {0.2f, 4}, PICK_ON_LINK_NEAR_START},
      {make_line(0, 0, 0, 10), {-0.2f, 6}, PICK_ON_LINK_NEAR_END},
      {make_line(0, 0, 2, 10), {1.2f, 6}, PICK_ON_LINK_NEAR_END},
      {make_line(0, 0, 10, 0, LINK_GAP), {5, 0}, PICK_ON_LINK_NEAR_START},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(hit_test_link(&c.p, c.link.get(), 0.5f), c.result)
        << c.p.x << "," << c.p.y << " on " << c.link.r[1].point.x << "," << c.link.r[1].point.y;
  }
}

TEST_F(NodeSurgeryTest, HitTestArc) {
  auto polar = [](double r, double deg) {
    return PointF{static_cast<float>(r * std::cos(deg * PI / 180)), static_cast<float>(r * std::sin(deg * PI / 180))};
  };
  struct Case {
    Link link;
    PointF p;
    int result;
  };
  const Case cases[] = {
      {make_arc(0, 0, 5, 0, 90), {0.1f, 0.1f}, PICK_CENTRE},
      {make_arc(0, 0, 5, 0, 90), polar(5.2, 30), PICK_ON_LINK_NEAR_START},
      {make_arc(0, 0, 5, 0, 90), polar(4.8, 60), PICK_ON_LINK_NEAR_END},
      {make_arc(0, 0, 5, 0, 90), polar(5.3, 45), PICK_NOTHING},
      {make_arc(0, 0, 5, 0, 90), polar(5, 135), PICK_NOTHING},   // off the arc's extent
      {make_arc(0, 0, 5, 90, 0, true), polar(5, 30), PICK_ON_LINK_NEAR_END},
      {make_arc(0, 0, 5, 90, 0, true), polar(5, 60), PICK_ON_LINK_NEAR_START},
      {make_arc(0, 0, 5, 90, 0, true), polar(5, 200), PICK_NOTHING},
      {make_arc(0, 0, 20, 350, 10), polar(20, 5), PICK_ON_LINK_NEAR_END},  // across 2 pi
      {make_arc(0, 0, 20, 350, 10), polar(20, 355), PICK_ON_LINK_NEAR_START},
      {make_arc(0, 0, 20, 350, 10), polar(20, 20), PICK_NOTHING},
      {make_circle(0, 0, 5), polar(5.1, 200), PICK_ON_LINK_NEAR_START},  // a whole circle anywhere
  };
  for (const Case& c : cases) {
    EXPECT_EQ(hit_test_link(&c.p, c.link.get(), 0.5f), c.result) << c.p.x << "," << c.p.y;
  }
}

TEST_F(NodeSurgeryTest, HugeArcsGetAWiderBand) {
  // Radius 1e6: the band is 0.25 + 1.0; on a radius-5 arc the same offset misses.
  const Link huge = make_arc(0, -1000000, 1000000, 89.9, 90.1);
  const PointF p = {100, 0.75f};
  EXPECT_EQ(hit_test_link(&p, huge.get(), 0.5f), PICK_ON_LINK_NEAR_START);
  const PointF too_far = {100, 1.5f};
  EXPECT_EQ(hit_test_link(&too_far, huge.get(), 0.5f), PICK_NOTHING);
  const Link small = make_arc(0, -5, 5, 80, 100);
  const PointF above_small = {0, 0.75f};
  EXPECT_EQ(hit_test_link(&above_small, small.get(), 0.5f), PICK_NOTHING);
}

TEST_F(NodeSurgeryTest, HitTestQuadraticTestsItsControlPoint) {
  Link quad = make_line(0, 0, 10, 0, LINK_QUADRATIC);
  quad.r[0].centre = {5, 5};
  const PointF near_control = {5.2f, 5};
  const PointF off_control = {5.3f, 5};
  const PointF on_chord = {3, 0};
  EXPECT_EQ(hit_test_link(&near_control, quad.get(), 0.5f), PICK_ON_LINK_NEAR_START);
  EXPECT_EQ(hit_test_link(&off_control, quad.get(), 0.5f), PICK_NOTHING);
  EXPECT_EQ(hit_test_link(&on_chord, quad.get(), 0.5f), PICK_NOTHING);
}

TEST_F(NodeSurgeryTest, HitTestLinkPoints) {
  Link line = make_line(0, 0, 10, 0);
  line.r[0].centre = {5, 5};
  const Link arc = make_arc(5, 5, 5, 270, 0);
  struct Case {
    const Link* link;
    PointF p;
    int full, quick;
  };
  const Case cases[] = {
      {&line, {0.5f, 0}, PICK_POINT_NODE, PICK_POINT_NODE},
      {&line, {0.50009f, 0}, PICK_POINT_NODE, PICK_NOTHING},  // the full test allows 0.0001 more
      {&line, {10, 0.3f}, PICK_POINT_NEXT, PICK_POINT_NEXT},
      {&line, {5, 5}, PICK_NOTHING, PICK_POINT_CENTRE},       // a line's centre field is no centre
      {&arc, {5.2f, 5.1f}, PICK_POINT_CENTRE, PICK_POINT_CENTRE},
      {&line, {5, 0}, PICK_NOTHING, PICK_NOTHING},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(hit_test_link_points(&c.p, c.link->get(), 0.5f), c.full) << c.p.x << "," << c.p.y;
    EXPECT_EQ(hit_test_link_points_quick(&c.p, c.link->get(), 0.5f), c.quick) << c.p.x << "," << c.p.y;
  }
}

TEST_F(NodeSurgeryTest, HitTestEllipse) {
  // Semi-axis 3 towards the next node (at 30 degrees from the centre (1,1)), 1 across.
  const double beta = PI / 6;
  const PointF c = {1, 1};
  const PointF u = {static_cast<float>(std::cos(beta)), static_cast<float>(std::sin(beta))};
  const PointF v = {-u.y, u.x};
  auto on = [&](double t_deg, double scale) {
    const double t = t_deg * PI / 180;
    return PointF{static_cast<float>(c.x + scale * (3 * std::cos(t) * u.x + std::sin(t) * v.x)),
                  static_cast<float>(c.y + scale * (3 * std::cos(t) * u.y + std::sin(t) * v.y))};
  };
  Link ellipse = make_line(c.x + v.x, c.y + v.y, c.x + 3 * u.x, c.y + 3 * u.y, LINK_ELLIPSE);
  ellipse.r[0].centre = c;
  struct Case {
    PointF p;
    int result;
  };
  const Case cases[] = {
      {on(90, 1.1), PICK_START_NODE},
      {on(0, 1.05), PICK_END_NODE},
      {{1.1f, 0.9f}, PICK_CENTRE},
      {on(60, 1.0), PICK_ON_LINK_NEAR_START},
      {on(30, 1.0), PICK_ON_LINK_NEAR_END},
      {on(200, 1.0), PICK_ON_LINK_NEAR_START},
      {on(-60, 1.0), PICK_ON_LINK_NEAR_END},
      {on(60, 1.3), PICK_NOTHING},
      {on(150, 0.7), PICK_NOTHING},
  };
  for (const Case& k : cases) {
    EXPECT_EQ(hit_test_ellipse(&k.p, ellipse.get(), 0.5f), k.result) << k.p.x << "," << k.p.y;
  }
  Link flat = make_line(0, 1, 0, 0, LINK_ELLIPSE);  // next node on the centre: no curve
  flat.r[0].centre = {0, 0};
  const PointF far = {5, 5};
  EXPECT_EQ(hit_test_ellipse(&far, flat.get(), 0.5f), PICK_NOTHING);
}

// A line, a run of three spline links through (1,0) (2,1) (3,0) (4,1), and a line.
DrawingItem* spline_fixture() {
  const float S = LINK_SPLINE;
  DrawingItem* item = add_item({at(0, 0), at(1, 0, S), at(2, 1, S), at(3, 0, S), at(4, 1), at(5, 1)}, false);
  item_nodes(item)[2].node_flags = NODE_TANGENT;
  item_nodes(item)[3].node_flags = NODE_TANGENT;
  return item;
}

TEST_F(NodeSurgeryTest, HitTestSplineRun) {
  struct Case {
    const char* name;
    PointF p;
    int first_index;
    int record;  // record returned
    int index;
    int kind;
  };
  const Case cases[] = {
      {"node", {2.1f, 1}, 0, 2, 1, PICK_START_NODE},
      {"first node", {1, 0.1f}, 0, 1, 0, PICK_START_NODE},
      {"last node", {4, 1.1f}, 0, 3, 2, PICK_END_NODE},
      {"curve", {1.5f, 0.5f}, 0, 1, 0, PICK_ON_LINK_NEAR_START},
      {"last segment", {3.5f, 0.5f}, 0, 3, 2, PICK_ON_LINK_NEAR_START},
      {"nodes before the first index are passed over", {1, 0.05f}, 1, 1, 0, PICK_ON_LINK_NEAR_START},
      {"miss", {10, 10}, 0, 3, -1, PICK_NOTHING},
  };
  g_geometry_settings.spline_curve_view = 0;  // straight segments through the nodes
  for (const Case& c : cases) {
    free_current_list();
    DrawingItem* item = spline_fixture();
    LinkRecord* r = item_nodes(item);
    int index = 99;
    int kind = 99;
    LinkRecord* hit = hit_test_spline_run(&index, &kind, &c.p, &r[2], 0.3f, c.first_index);
    EXPECT_EQ(hit - r, c.record) << c.name;
    EXPECT_EQ(index, c.index) << c.name;
    EXPECT_EQ(kind, c.kind) << c.name;
  }
}

}  // namespace
