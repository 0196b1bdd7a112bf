// Joins of touching polylines, the split-and-rejoin of generated geometry, and turning the
// whole drawing.
#include <cmath>

#include "commands/join_items.h"
#include "commands/transform_all.h"
#include "geometry/geometry2d.h"
#include "records/preferences.h"
#include "tests/geometry/item_fixture.h"

namespace {

class JoinItems : public ItemTest {
 protected:
  void SetUp() override {
    ItemTest::SetUp();
    g_preferences.gap_tolerance = 0.001f;
  }
  static int items() { return count_current_lines(); }
};

TEST_F(JoinItems, TouchingPiecesJoinIntoOneClosedPolylineTurningThoseThatRunBackwards) {
  make_item({{0, 0}, {4, 0}});
  make_item({{4, 4}, {4, 0}});  // runs the other way
  make_item({{0, 4}, {4, 4}});
  make_item({{0, 0}, {0, 4}});  // the working item
  const int result = join_touching_items(JOIN_EITHER_END);
  EXPECT_EQ(result & ~JOIN_CLOSED_BIT, 3);
  EXPECT_TRUE(result & JOIN_CLOSED_BIT);
  ASSERT_EQ(items(), 1);
  DrawingItem* joined = g_lists.current.first;
  EXPECT_TRUE(item_is_closed(joined));
  EXPECT_EQ(item_link_count(joined), 4);
  // Every link ends where the next one starts.
  for (int k = 0; k < 4; ++k) {
    const PointF& p = item_nodes(joined)[k + 1].point;
    EXPECT_TRUE(p.x == 0 || p.x == 4);
    EXPECT_TRUE(p.y == 0 || p.y == 4);
  }
  EXPECT_NEAR(std::fabs(item_length(joined)), 16, 1e-5);
}

TEST_F(JoinItems, ABatchJoinKeepsEachLayerApartAndLeavesOtherItemsAlone) {
  make_item({{0, 0}, {4, 0}});
  DrawingItem* b = make_item({{4, 0}, {4, 4}});
  item_block(b)->layer = 3;
  DrawingItem* c = make_item({{4, 4}, {9, 9}});
  item_block(c)->layer = 3;
  DrawingItem* unselected = make_item({{4, 0}, {8, 0}});
  set_item_flags(unselected, 0);
  EXPECT_EQ(batch_join(JOIN_EITHER_END | JOIN_SAME_LAYER, 0, 255), 1);
  EXPECT_EQ(items(), 3);
  int layer3 = 0;
  for (DrawingItem* item = g_lists.current.first; item != nullptr; item = item->next)
    if (item_layer(item) == 3) {
      ++layer3;
      EXPECT_EQ(item_link_count(item), 2);
    }
  EXPECT_EQ(layer3, 1);
  EXPECT_EQ(batch_join(0, 0, 255) >= 0, true);
  free_current_list();
  EXPECT_EQ(batch_join(0, 0, 255), -1);
}

TEST_F(JoinItems, TwoLoopsSharingAnUncutLinkBecomeOneLoopWithoutIt) {
  // Two squares side by side; the link they share is invisible in both.
  DrawingItem* left = make_item({{0, 0}, {2, 0}, {2, 2}, {0, 2}, {0, 0}});
  DrawingItem* right = make_item({{2, 0}, {4, 0}, {4, 2}, {2, 2}, {2, 0}});
  item_nodes(left)[0].node_flags = NODE_FIRST | NODE_LOOSE;
  item_nodes(right)[0].node_flags = NODE_FIRST | NODE_LOOSE;
  item_nodes(left)[1].link_flags |= LINK_JUMP;   // (2,0)-(2,2)
  item_nodes(right)[3].link_flags |= LINK_JUMP;  // (2,2)-(2,0)
  explode_and_rejoin_active();
  ASSERT_EQ(items(), 1);
  DrawingItem* loop = g_lists.current.first;
  EXPECT_TRUE(item_is_closed(loop));
  EXPECT_EQ(item_link_count(loop), 6);
  for (int k = 0; k < 6; ++k) EXPECT_FALSE(item_nodes(loop)[k].link_flags & LINK_JUMP);
}

TEST_F(JoinItems, FourQuarterTurnsOfTheDrawingGiveItBack) {
  DrawingItem* item = make_item({{1, 0}, {6, 0, 5}, {11, 5}});
  item_nodes(item)[1].centre = PointF{6, 5};
  item_nodes(item)[1].link_flags |= LINK_CLOCKWISE;
  arc_angles_from_points(&item_nodes(item)[1]);
  const LinkRecord arc = item_nodes(item)[1];
  g_transform_all.transform_centre = PointF{2, 3};
  for (int i = 0; i < 4; ++i) rotate_all_items(static_cast<float>(3.14159265358979 / 2), 1);
  const LinkRecord* r = item_nodes(item);
  EXPECT_NEAR(r[2].point.x, 11, 1e-4);
  EXPECT_NEAR(r[2].point.y, 5, 1e-4);
  EXPECT_NEAR(r[1].centre.x, 6, 1e-4);
  EXPECT_NEAR(std::fmod(r[1].start_angle + 6.2831853, 6.2831853),
              std::fmod(arc.start_angle + 6.2831853, 6.2831853), 1e-4);
  EXPECT_TRUE(g_job_settings.job_changed);
}

}  // namespace
