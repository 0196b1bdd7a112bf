// Placing an accepted design on the table: machining groups and the markers between stringers
// and set-ups, which stringers are kept, where they lie on the rails for either table axis, the
// outline's pieces, their layers and directions, the housings joined into one pocket per set-up,
// an outline that stays whole, a split that cannot be made, and the cut stringer's set-ups.
#include <cmath>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "geometry/geometry2d.h"
#include "print/stairs_accept.h"
#include "print/stairs_build.h"
#include "tests/print/stairs_fixture.h"

namespace {

struct Placed {
  DrawingItem* item;
  int16_t group;
  uint8_t marker;
  PointF lo, hi;
};

std::vector<Placed> placed() {
  std::vector<Placed> out;
  for (DrawingItem* item : StairsTest::items()) {
    CamParams cam;
    get_block_cam(item_block(item), &cam);
    Placed p{item, cam.machining_group, cam.item_marker, {}, {}};
    item_extents(item, &p.lo, &p.hi);
    out.push_back(p);
  }
  return out;
}

std::vector<int16_t> marker_groups() {
  std::vector<int16_t> groups;
  for (const Placed& p : placed())
    if (p.marker == CAM_ITEM_MARKER_MOVE) groups.push_back(p.group);
  return groups;
}

// The machining groups of the items that are not markers, each with how many items have it.
std::map<int16_t, int> item_groups() {
  std::map<int16_t, int> groups;
  for (const Placed& p : placed())
    if (p.marker == 0) ++groups[p.group];
  return groups;
}

class StairsAccept : public StairsTest {
 protected:
  void SetUp() override {
    StairsTest::SetUp();
    for (int slot = 0; slot < CAM_SLOT_COUNT; ++slot) init_cam_defaults(slot, true);
  }
  void accept(StairsParams p, uint32_t left = STAIRS_BOX_CHECKED, uint32_t right = STAIRS_BOX_CHECKED) {
    g_stairs.params = p;
    g_stairs.left_flags = left;
    g_stairs.right_flags = right;
    stairs_build_drawing();
    ASSERT_TRUE(g_stairs.complete);
    ASSERT_EQ(accept_stairs_design(), 0);
  }
  static StairsParams housed(double total, int n) {
    return design(STAIRS_KIND_HOUSED | STAIRS_METRIC, total, n);
  }
};

TEST_F(StairsAccept, GroupsAndMarkersFollowTheStringersAndSetups) {
  struct Case {
    const char* what;
    double total;
    int n;
    uint8_t markers;
    std::map<int16_t, int> groups;
    std::vector<int16_t> marker_groups;
  };
  const Case cases[] = {
      {"one set-up, markers", 1400, 8, 1, {{10, 1}, {20, 1}, {210, 1}, {220, 1}}, {209}},
      {"one set-up, no markers", 1400, 8, 0, {{10, 1}, {20, 1}, {12, 1}, {22, 1}}, {}},
      {"two set-ups, markers", 2800, 17, 1,
       {{10, 1}, {20, 1}, {30, 1}, {40, 1}, {210, 1}, {220, 1}, {230, 1}, {240, 1}},
       {209, 29, 229}},
      {"two set-ups, no markers", 2800, 17, 0,
       {{10, 1}, {20, 1}, {30, 1}, {40, 1}, {12, 1}, {22, 1}, {32, 1}, {42, 1}}, {29}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    free_current_list();
    StairsParams p = housed(c.total, c.n);
    p.marker_choice = c.markers;
    accept(p);
    EXPECT_EQ(item_groups(), c.groups);
    EXPECT_EQ(marker_groups(), c.marker_groups);
    // Markers stand inside the stringers' extents and go after the NC run.
    float lo = 1e30f, hi = -1e30f;
    for (const Placed& q : placed())
      if (q.marker == 0) {
        lo = std::min(lo, q.lo.x);
        hi = std::max(hi, q.hi.x);
      }
    for (const Placed& q : placed())
      if (q.marker != 0) {
        EXPECT_GT(q.lo.x, lo);
        EXPECT_LT(q.hi.x, hi);
        EXPECT_EQ(item_link_count(q.item), 1);
      }
    EXPECT_EQ(delete_marker_items(), static_cast<int>(c.marker_groups.size()));
    EXPECT_TRUE(marker_groups().empty());
  }
}

TEST_F(StairsAccept, EachStringerLiesOnItsRailAsTheOthersMirrorImage) {
  StairsParams p = housed(1400, 8);
  accept(p);
  const float h = 0.5f * p.outline_cam.finishing.cut_width;
  const float rail = p.rail_distance;
  std::vector<const Placed*> outlines;
  const std::vector<Placed> all = placed();
  for (const Placed& q : all)
    if (item_group_tag(q.item) == STAIRS_TAG_OUTLINE) outlines.push_back(&q);
  ASSERT_EQ(outlines.size(), 2u);
  // The left (mirrored) stringer comes first; its board edge lies on x = 0, the right one's on
  // the rail distance, and the lowest cut at -h.
  EXPECT_NEAR(outlines[0]->lo.x, -h, 1e-2);
  EXPECT_NEAR(outlines[1]->hi.x, rail + h, 1e-2);
  EXPECT_NEAR(outlines[0]->lo.y, -h, 1e-2);
  EXPECT_NEAR(outlines[1]->lo.y, -h, 1e-2);
  const LinkRecord* left = item_nodes(outlines[0]->item);
  const LinkRecord* right = item_nodes(outlines[1]->item);
  ASSERT_EQ(item_link_count(outlines[0]->item), item_link_count(outlines[1]->item));
  // Mirror images: the same points about x = rail / 2, run the other way round.
  const int32_t n = item_link_count(outlines[0]->item);
  for (int32_t k = 0; k < n; ++k) {
    bool found = false;
    for (int32_t j = 0; j < n && !found; ++j)
      found = std::fabs(left[k].point.x - (rail - right[j].point.x)) < 1e-2 &&
              std::fabs(left[k].point.y - right[j].point.y) < 1e-2;
    EXPECT_TRUE(found) << k;
  }
}

TEST_F(StairsAccept, TheTablesAxisTurnsTheStringersAcross) {
  StairsParams p = housed(1400, 8);
  p.table_axis = 0;
  accept(p);
  const float h = 0.5f * p.outline_cam.finishing.cut_width;
  float lo_x = 1e30f, lo_y = 1e30f, hi_x = -1e30f, hi_y = -1e30f;
  for (const Placed& q : placed()) {
    lo_x = std::min(lo_x, q.lo.x);
    lo_y = std::min(lo_y, q.lo.y);
    hi_x = std::max(hi_x, q.hi.x);
    hi_y = std::max(hi_y, q.hi.y);
  }
  EXPECT_NEAR(lo_x, -h, 1e-2);
  // Turned a quarter: the stringers run along x and lie across y.
  EXPECT_GT(hi_x - lo_x, p.board_length);
  EXPECT_NEAR(hi_y - lo_y, p.rail_distance + 2 * h, 1e-1);
}

TEST_F(StairsAccept, OnlyTheStringersCheckedAreKept) {
  StairsParams p = housed(1400, 8);
  accept(p, STAIRS_BOX_CHECKED, 0);
  EXPECT_EQ(item_groups(), (std::map<int16_t, int>{{10, 1}, {20, 1}}));
  EXPECT_TRUE(marker_groups().empty());
  const float h = 0.5f * p.outline_cam.finishing.cut_width;
  // The board's outline (the housings may run out past its edge).
  float hi = -1e30f;
  for (const Placed& q : placed())
    if (item_group_tag(q.item) != 0) hi = std::max(hi, q.hi.x);
  EXPECT_NEAR(hi, g_stairs.params.board_width + h, 1e-2);  // the left rail
  free_current_list();
  accept(p, 0, STAIRS_BOX_CHECKED);
  EXPECT_EQ(item_groups(), (std::map<int16_t, int>{{10, 1}, {20, 1}}));
  float lo = 1e30f;
  for (const Placed& q : placed())
    if (item_group_tag(q.item) != 0) lo = std::min(lo, q.lo.x);
  EXPECT_NEAR(lo, p.rail_distance - g_stairs.params.board_width - h, 1e-2);  // the right rail
}

TEST_F(StairsAccept, TheHousingsBecomeOnePocketPerSetupAndTheOutlineTwoPieces) {
  StairsParams p = housed(2800, 17);
  accept(p, STAIRS_BOX_CHECKED, 0);
  int pockets = 0;
  for (const Placed& q : placed()) {
    DrawingItem* item = q.item;
    CamParams cam;
    get_block_cam(item_block(item), &cam);
    EXPECT_TRUE(item_flags(item) & ITEM_FLAG_SELECTED);
    const int16_t tag = item_group_tag(item);
    if (q.marker != 0) continue;
    if (tag == 0) {
      ++pockets;
      EXPECT_EQ(cam.operation, CAM_OP_SPIRAL_POCKET);
      EXPECT_EQ(cam.finishing.cut_depth, p.housing_cam.finishing.cut_depth);
      EXPECT_TRUE(item_is_closed(item));
      EXPECT_EQ(polygon_orientation(item), 0);  // counter-clockwise
      // No shared link is left in a pocket's outline.
      for (int32_t k = 0; k < item_link_count(item); ++k)
        EXPECT_FALSE(item_nodes(item)[k].link_flags & LINK_JUMP);
    } else {
      EXPECT_EQ(cam.operation, CAM_OP_CENTERLINE);
      EXPECT_EQ(cam.finishing.cut_depth, p.outline_cam.finishing.cut_depth);
      EXPECT_FALSE(item_is_closed(item));
      EXPECT_EQ(item_layer(item), tag == STAIRS_TAG_OUTLINE ? STAIRS_LAYER_OUTLINE_DONE
                                                             : STAIRS_LAYER_FIRST_SETUP_DONE);
      if (tag == STAIRS_TAG_FIRST_SETUP) {
        // The first set-up's piece starts with its overlap, running +x for a climb cut.
        const LinkRecord* r = item_nodes(item);
        EXPECT_NEAR(r[1].point.x - r[0].point.x, p.margin_along, 1e-2);
        EXPECT_NEAR(r[1].point.y, r[0].point.y, 1e-3);
      }
    }
  }
  EXPECT_EQ(pockets, 2);
  int first = 0, second = 0;
  for (const Placed& q : placed()) {
    first += item_group_tag(q.item) == STAIRS_TAG_FIRST_SETUP;
    second += item_group_tag(q.item) == STAIRS_TAG_OUTLINE;
  }
  EXPECT_EQ(first, 1);
  EXPECT_EQ(second, 1);
}

TEST_F(StairsAccept, AWholeOutlineIsOrientedByTheCutDirection) {
  for (const uint8_t climb : {0, 1}) {
    SCOPED_TRACE(static_cast<int>(climb));
    free_current_list();
    StairsParams p = housed(1400, 8);
    p.outline_cam.cut_direction = climb;
    accept(p, STAIRS_BOX_CHECKED, 0);
    for (const Placed& q : placed())
      if (item_group_tag(q.item) == STAIRS_TAG_OUTLINE) {
        EXPECT_TRUE(item_is_closed(q.item));
        EXPECT_EQ(polygon_orientation(q.item), climb);
        EXPECT_EQ(item_layer(q.item), STAIRS_LAYER_OUTLINE_DONE);
      }
  }
}

TEST_F(StairsAccept, AnOutlineWithoutTwoLongSidesStaysWhole) {
  // One tread on a short table: a second set-up, but sides no longer than three goings.
  StairsParams p = housed(400, 1);
  p.table_length = 420;
  accept(p, STAIRS_BOX_CHECKED, 0);
  EXPECT_EQ(g_stairs.shift_count, 1);
  int outlines = 0;
  for (const Placed& q : placed()) {
    EXPECT_NE(item_group_tag(q.item), STAIRS_TAG_FIRST_SETUP);
    if (item_group_tag(q.item) == STAIRS_TAG_OUTLINE) {
      ++outlines;
      EXPECT_TRUE(item_is_closed(q.item));
    }
  }
  EXPECT_EQ(outlines, 1);
  EXPECT_TRUE(messages_.empty());
}

TEST_F(StairsAccept, ASplitThatCannotBeMadeIsSaidAndTheRestIsPlaced) {
  g_stairs.params = housed(2800, 17);
  g_stairs.left_flags = g_stairs.right_flags = STAIRS_BOX_CHECKED;
  stairs_build_drawing();
  // The first housing of the second set-up taken far below the stringer's foot: the split
  // height then lies below both long sides.
  DrawingItem* first_second = nullptr;
  for (DrawingItem* item : items())
    if (item_layer(item) == STAIRS_LAYER_SECOND_SETUP) {
      first_second = item;
      break;
    }
  ASSERT_NE(first_second, nullptr);
  const PointF away{30 * g_stairs.params.run, -30 * g_stairs.params.rise};
  translate_item(first_second, &away);
  ASSERT_EQ(accept_stairs_design(), 0);
  EXPECT_EQ(messages_, std::vector<std::string>{STAIRS_SPLIT_ERROR_TEXT});
  int outlines = 0;
  for (const Placed& q : placed()) outlines += item_group_tag(q.item) == STAIRS_TAG_OUTLINE;
  EXPECT_EQ(outlines, 2);  // one whole outline per stringer
  EXPECT_EQ(marker_groups(), (std::vector<int16_t>{209, 29, 229}));
}

TEST_F(StairsAccept, OneSidedDesignsAreNotMirroredAndGetNoStringerMarker) {
  for (const uint8_t side : {0, 1}) {
    SCOPED_TRACE(static_cast<int>(side));
    free_current_list();
    StairsParams p = design(STAIRS_KIND_SPECIAL | STAIRS_METRIC, 1400, 8);
    p.kind4_type = 0;
    p.side = side;
    accept(p);
    EXPECT_EQ(item_groups(), (std::map<int16_t, int>{{10, 1}, {20, 1}}));
    EXPECT_TRUE(marker_groups().empty());
  }
}

TEST_F(StairsAccept, ACutStringerLongerThanTheTableIsCutInTwoSetups) {
  StairsParams p = design(STAIRS_KIND_SPECIAL | STAIRS_METRIC, 0, 12);
  p.kind4_type = STAIRS_TYPE_CUT_STRINGER;
  p.rise = 180;
  p.run = 250;
  p.total_rise = 12 * p.run;
  p.table_length = 2000;
  p.side = 1;
  accept(p, STAIRS_BOX_CHECKED, 0);
  ASSERT_GT(g_stairs.shift_count, 0);
  std::map<int16_t, int> groups = item_groups();
  // The outline (group 10) and the step line (group 20) in each set-up (+20).
  EXPECT_EQ(groups, (std::map<int16_t, int>{{10, 1}, {20, 1}, {30, 1}, {40, 1}}));
  EXPECT_EQ(marker_groups(), std::vector<int16_t>{29});
  // The second set-up's outline piece sits a shift lower than where it was cut off.
  float low_second = 1e30f, high_first = -1e30f;
  for (const Placed& q : placed()) {
    if (q.group == 30) low_second = q.lo.y;
    if (q.group == 10) high_first = q.hi.y;
  }
  EXPECT_LT(low_second, high_first);
  // The lowest point of a cut stringer lies at 0.
  float lo = 1e30f;
  for (const Placed& q : placed()) lo = std::min(lo, q.lo.y);
  EXPECT_NEAR(lo, 0.0f, 1e-3);
}

// Values far from any sensible stair, as a file or a slip of the keyboard may bring them: each
// design is built whole or not at all, and placed without a point that is not a number.
TEST_F(StairsAccept, DesignsOfOddValuesBuildAndPlaceWithFinitePointsOnly) {
  const auto all_finite = [] {
    for (DrawingItem* item : items())
      for (int32_t k = 0; k <= item_link_count(item); ++k) {
        const PointF& q = item_nodes(item)[k].point;
        if (!std::isfinite(q.x) || !std::isfinite(q.y)) return false;
      }
    return true;
  };
  std::mt19937 rng(20261211);
  std::uniform_real_distribution<double> scale(-0.5, 2.5);
  const int32_t kinds[] = {STAIRS_KIND_HOUSED, STAIRS_KIND_TREADS, STAIRS_KIND_SPECIAL};
  for (int i = 0; i < 600; ++i) {
    SCOPED_TRACE(i);
    free_current_list();
    const bool metric = rng() % 2 != 0;
    const int32_t kind = kinds[rng() % 3] | (metric ? STAIRS_METRIC : 0);
    StairsParams p = design(kind, metric ? 1400 : 56, 1 + static_cast<int>(rng() % 20));
    p.kind4_type = static_cast<int32_t>(rng() % 6);
    p.side = static_cast<uint8_t>(rng() % 2);
    float* fields[] = {&p.pitch_angle,   &p.rise,          &p.run,           &p.tread_thickness,
                       &p.nosing,        &p.top_offset,    &p.bottom_drop,   &p.corner_radius,
                       &p.housing_back,  &p.housing_margin, &p.riser_thickness, &p.riser_slant,
                       &p.board_width,   &p.first_going,   &p.last_going,    &p.table_length,
                       &p.entered_corner_height, &p.cut_bottom_x, &p.cut_top_drop,
                       &p.cut_board_below, &p.sawtooth_offset, &p.top_extra_height};
    for (float* x : fields)
      if (rng() % 4 == 0) *x = static_cast<float>(*x * scale(rng));
    if (rng() % 3 == 0) p.last_marks[STAIRS_WIDTH_MARK_ROW] = 1;
    g_stairs.params = p;
    g_stairs.left_flags = rng() % 2 != 0 ? STAIRS_BOX_START : 0x40;
    g_stairs.right_flags = STAIRS_BOX_START;
    stairs_build_drawing();
    ASSERT_TRUE(all_finite());
    if (!g_stairs.complete) {
      ASSERT_TRUE(items().empty());
      continue;
    }
    accept_stairs_design();
    ASSERT_TRUE(all_finite()) << "after placing";
  }
}

}  // namespace
