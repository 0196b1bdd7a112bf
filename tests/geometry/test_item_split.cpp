// Splitting items into their links and breaking polylines at a node; which ends of two items
// touch.
#include "geometry/item_split.h"
#include "geometry/point_arrays.h"
#include "geometry/polyline_ends.h"
#include "records/preferences.h"
#include "tests/geometry/item_fixture.h"

namespace {

class ItemSplit : public ItemTest {
 protected:
  void SetUp() override {
    ItemTest::SetUp();
    g_job_settings.item_id_counter = 100;
  }
  static std::vector<DrawingItem*> after(DrawingItem* item) {
    std::vector<DrawingItem*> out;
    for (DrawingItem* i = item->next; i != nullptr; i = i->next) out.push_back(i);
    return out;
  }
};

TEST_F(ItemSplit, EveryLinkOrCurveRunIsAPieceAndGapsAreNone) {
  DrawingItem* item = make_item({{0, 0},
                                 {1, 0, LINK_GAP},
                                 {2, 0},
                                 {3, 0, LINK_SPLINE},
                                 {4, 1, LINK_SPLINE},
                                 {5, 0, LINK_SPLINE},
                                 {6, 0}});
  item_block(item)->layer = 7;
  item_nodes(item)[4].node_flags = NODE_TANGENT;
  item_nodes(item)[5].node_flags = NODE_TANGENT;
  // An invisible link is no piece either.
  DrawingItem* hidden = make_item({{0, 5}, {1, 5}, {2, 5}});
  item_nodes(hidden)[0].link_flags |= LINK_JUMP;
  EXPECT_EQ(separate_links(item), 3);
  const std::vector<DrawingItem*> pieces = after(hidden);
  ASSERT_EQ(pieces.size(), 3u);
  const int32_t links[] = {1, 1, 3};
  for (size_t i = 0; i < 3; ++i) {
    EXPECT_EQ(item_link_count(pieces[i]), links[i]);
    EXPECT_EQ(item_layer(pieces[i]), 7);
    EXPECT_EQ(item_id(pieces[i]), 101 + static_cast<int32_t>(i));
    EXPECT_TRUE(item_flags(pieces[i]) & ITEM_FLAG_SELECTED);
    EXPECT_EQ(item_nodes(pieces[i])[0].node_flags, NODE_FIRST);
    EXPECT_EQ(item_nodes(pieces[i])[links[i]].node_flags, NODE_CLOSING);
  }
  EXPECT_FLOAT_EQ(item_nodes(pieces[1])[0].point.x, 2);
  EXPECT_FLOAT_EQ(item_nodes(pieces[2])[3].point.x, 6);
  EXPECT_EQ(separate_links(hidden), 1);
}

TEST_F(ItemSplit, ItemsThatCannotBeSplitStayAsTheyAre) {
  DrawingItem* one = make_item({{0, 0}, {1, 0}});
  EXPECT_EQ(separate_links(one), -1);
  DrawingItem* with_ellipse = make_item({{0, 0}, {1, 0, LINK_ELLIPSE}, {2, 0}});
  EXPECT_EQ(separate_links(with_ellipse), 0);
  EXPECT_EQ(g_lists.current.last, with_ellipse);
}

TEST_F(ItemSplit, APointArrayGivesAPointPerCopy) {
  DrawingItem* grid = make_item({{0, 0, LINK_POINT}, {0, 0}}, ITEM_POINT);
  item_nodes(grid)[0].centre = PointF{1, 2};
  set_point_array(item_closing_record(grid), 3, 2, POINT_ARRAY_ROWS);
  EXPECT_EQ(separate_links(grid), 6);
  for (DrawingItem* point : after(grid)) {
    EXPECT_EQ(item_type(point), ITEM_POINT);
    EXPECT_EQ(item_nodes(point)[0].code, LINK_POINT);
  }
}

TEST_F(ItemSplit, BreakingAnOpenPolylineKeepsTheLinksBeforeTheNode) {
  DrawingItem* item = make_item({{0, 0}, {1, 0}, {2, 0}, {3, 0}, {4, 0}, {5, 0}});
  break_polyline_at_node(item_nodes(item), 0);
  EXPECT_EQ(item_link_count(item), 5);
  break_polyline_at_node(item_nodes(item) + 2, 2);
  ASSERT_NE(g_lists.current.last, item);
  EXPECT_EQ(item_link_count(item), 2);
  EXPECT_EQ(item_nodes(item)[2].node_flags, NODE_CLOSING);
  DrawingItem* rest = g_lists.current.last;
  EXPECT_EQ(item_link_count(rest), 3);
  EXPECT_FLOAT_EQ(item_nodes(rest)[0].point.x, 2);
  EXPECT_EQ(item_id(rest), 101);
}

TEST_F(ItemSplit, ABreakAtAGapDropsTheGapAndAClosedItemIsOnlyOpened) {
  DrawingItem* item = make_item({{0, 0}, {1, 0, LINK_GAP}, {2, 0}, {3, 0}});
  break_polyline_at_node(item_nodes(item) + 2, 2);
  EXPECT_EQ(item_link_count(item), 1);
  EXPECT_EQ(item_link_count(g_lists.current.last), 1);
  free_current_list();
  DrawingItem* loop = make_item({{0, 0}, {4, 0}, {4, 4}, {0, 4}, {0, 0}});
  item_nodes(loop)[0].node_flags = NODE_FIRST | NODE_LOOSE;
  break_polyline_at_node(item_nodes(loop) + 2, 2);
  EXPECT_EQ(g_lists.current.last, loop);
  EXPECT_FALSE(item_is_closed(loop));
  EXPECT_EQ(item_link_count(loop), 4);
  EXPECT_FLOAT_EQ(item_nodes(loop)[0].point.x, 4);
  EXPECT_FLOAT_EQ(item_nodes(loop)[0].point.y, 4);
  EXPECT_FLOAT_EQ(item_nodes(loop)[4].point.x, 4);
  EXPECT_FLOAT_EQ(item_nodes(loop)[4].point.y, 4);
}

TEST_F(ItemSplit, TouchingEndsAreTriedEndToStartFirst) {
  g_preferences.gap_tolerance = 0.01f;
  DrawingItem* a = make_item({{0, 0}, {5, 0}});
  DrawingItem* b = make_item({{5, 0}, {0, 0.01f}});  // both of b's ends touch
  EXPECT_EQ(touching_ends(a, b), TOUCH_END_START);
  DrawingItem* c = make_item({{9, 9}, {5, 0.01f}});
  EXPECT_EQ(touching_ends(a, c), TOUCH_END_END);
  DrawingItem* d = make_item({{0, 0.02f}, {9, 9}});
  EXPECT_EQ(touching_ends(a, d), TOUCH_NONE);  // a hair beyond the gap
}

}  // namespace
