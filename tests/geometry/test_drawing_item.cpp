#include <gtest/gtest.h>

#include <cmath>
#include <set>

#include "geometry/layers.h"
#include "item_fixture.h"

namespace {

constexpr double PI = ANGLE_PI;

using DrawingItemTest = ItemTest;

// ---- creating, copying, resizing ----

TEST_F(DrawingItemTest, NewBlockIsAnOpenPolylineAtTheEndOfTheList) {
  ASSERT_EQ(new_geometry_block("first", nullptr, 1, 0, GEOMETRY_KIND_DRAWING_AID), 0);
  ASSERT_EQ(new_geometry_block("x", nullptr, 3, 17, GEOMETRY_KIND_DRAWING_AID), 0);
  DrawingItem* item = g_lists.current.last;
  EXPECT_EQ(item->text, "x");
  EXPECT_EQ(item_type(item), ITEM_POLYLINE);
  EXPECT_EQ(item_link_count(item), 3);
  EXPECT_EQ(item_layer(item), 17);
  EXPECT_EQ(item_nodes(item)[0].node_flags, NODE_FIRST);
  EXPECT_EQ(item_nodes(item)[1].node_flags, 0);
  EXPECT_EQ(item_closing_record(item)->node_flags, NODE_CLOSING);
  EXPECT_FALSE(item_is_closed(item));
  EXPECT_EQ(new_geometry_block("", nullptr, 0, 0, GEOMETRY_KIND_DRAWING_AID), -1);
  EXPECT_EQ(new_geometry_block("", nullptr, 1, 0, 3), -1);
  EXPECT_EQ(count_current_lines(), 2);
}

// The host's defaults hook sees each new text or machinable block once, after its frame.
int g_defaults_calls = 0;
void set_op_from_kind(GeometryBlock* block) {
  ++g_defaults_calls;
  set_block_cam_op(block, block->cam_kind == GEOMETRY_KIND_TEXT ? 3 : 2);
}

TEST_F(DrawingItemTest, NewTextItemHasItsFrame) {
  g_defaults_calls = 0;
  g_geometry_host.apply_new_item_defaults = set_op_from_kind;
  ASSERT_EQ(new_geometry_block("Hello", nullptr, 4, 0, GEOMETRY_KIND_TEXT), 0);
  DrawingItem* item = g_lists.current.last;
  EXPECT_EQ(item_type(item), ITEM_TEXT);
  const LinkRecord* r = item_nodes(item);
  const float codes[4] = {0.0f, -1.0f, 0.0f, -1.0f};
  const uint8_t flags[5] = {5, 4, 4, 4, NODE_CLOSING};
  for (int i = 0; i < 4; ++i) EXPECT_EQ(r[i].code, codes[i]) << "link " << i;
  for (int i = 0; i < 5; ++i) EXPECT_EQ(r[i].node_flags, flags[i]) << "node " << i;
  EXPECT_EQ(block_cam_op(item_block(item)), 3);
  EXPECT_EQ(g_defaults_calls, 1);
  EXPECT_NE(block_text_layout(item_block(item)), nullptr);
  // The records follow the machining block and the text layout.
  EXPECT_EQ(reinterpret_cast<uint8_t*>(item_nodes(item)) -
                reinterpret_cast<uint8_t*>(item_block(item)),
            388);
}

TEST_F(DrawingItemTest, NewMachinableItemTakesTheHostsDefaults) {
  g_defaults_calls = 0;
  g_geometry_host.apply_new_item_defaults = set_op_from_kind;
  ASSERT_EQ(new_geometry_block("", nullptr, 2, 0, GEOMETRY_KIND_MACHINABLE), 0);
  EXPECT_EQ(block_cam_op(item_block(g_lists.current.last)), 2);
  ASSERT_EQ(new_geometry_block("", nullptr, 2, 0, GEOMETRY_KIND_DRAWING_AID), 0);
  EXPECT_EQ(g_defaults_calls, 1) << "a drawing aid takes no machining defaults";
  g_geometry_host.apply_new_item_defaults = nullptr;
  ASSERT_EQ(new_geometry_block("", nullptr, 2, 0, GEOMETRY_KIND_MACHINABLE), 0);
  EXPECT_EQ(block_cam_op(item_block(g_lists.current.last)), 0) << "no host, no defaults";
  EXPECT_EQ(records_offset(GEOMETRY_KIND_MACHINABLE), 196u);
}

TEST_F(DrawingItemTest, PlainCopyIsIdenticalAndKeepsTheId) {
  DrawingItem* item = make_item({{0, 0, 5.0f}, {10, 0}, {10, 10}}, ITEM_POLYLINE,
                                GEOMETRY_KIND_MACHINABLE);
  set_item_id(item, 42);
  set_item_group_tag(item, '2');
  block_cam_params(item_block(item))[10] = 0x5A;
  ASSERT_EQ(copy_item_with_extra_links(item, 0), 0);
  DrawingItem* copy = g_lists.current.last;
  ASSERT_NE(copy, item);
  EXPECT_EQ(item_id(copy), 42);
  EXPECT_EQ(item_group_tag(copy), '2');
  EXPECT_EQ(item_type(copy), item_type(item));
  EXPECT_EQ(item_flags(copy), item_flags(item));
  EXPECT_EQ(block_cam_params(item_block(copy))[10], 0x5A);
  const size_t stored = geometry_block_stored_size(GEOMETRY_KIND_MACHINABLE, 2);
  std::vector<uint8_t> a(stored), b(stored);
  write_geometry_block(item_block(item), a.data());
  write_geometry_block(item_block(copy), b.data());
  EXPECT_EQ(a, b);
}

TEST_F(DrawingItemTest, CopyWithLinksAtTheEndOpensTheFormerClosingNode) {
  DrawingItem* item = make_item({{0, 0}, {10, 0}, {10, 10}});
  ASSERT_EQ(copy_item_with_extra_links(item, 2), 0);
  DrawingItem* copy = g_lists.current.last;
  const LinkRecord* r = item_nodes(copy);
  ASSERT_EQ(item_link_count(copy), 4);
  EXPECT_EQ(r[2].node_flags, NODE_LOOSE);
  EXPECT_EQ(r[2].point.y, 10.0f);
  EXPECT_EQ(r[3].node_flags, 0);  // for the caller to fill
  EXPECT_EQ(r[4].node_flags, NODE_CLOSING);
  EXPECT_EQ(r[4].point.y, 10.0f);
}

TEST_F(DrawingItemTest, CopyWithLinksAtTheFrontStartsWithAFlexibleLine) {
  DrawingItem* item = make_item({{0, 0, 3.0f}, {10, 0}, {10, 10}});
  item_nodes(item)[0].centre = PointF{5, 5};
  ASSERT_EQ(copy_item_with_extra_links(item, -2), 0);
  DrawingItem* copy = g_lists.current.last;
  const LinkRecord* r = item_nodes(copy);
  ASSERT_EQ(item_link_count(copy), 4);
  EXPECT_EQ(r[0].node_flags, NODE_FIRST);
  EXPECT_EQ(r[0].code, LINK_FLEXIBLE_LINE);
  EXPECT_EQ(r[0].centre.x, 0.0f);
  EXPECT_EQ(r[1].node_flags, 0);
  EXPECT_EQ(r[2].node_flags, NODE_LOOSE);  // the source's first node, no longer first
  EXPECT_EQ(r[2].code, 3.0f);
  EXPECT_EQ(r[4].node_flags, NODE_CLOSING);
}

TEST_F(DrawingItemTest, GrowingLeavesZeroedRecordsAndOpensTheItem) {
  DrawingItem* item = make_item({{0, 0, 0.0f, NODE_FIRST | NODE_LOOSE}, {10, 0}, {10, 10}, {0, 0}});
  LinkRecord* front = grow_node_array(item, -2);
  ASSERT_NE(front, nullptr);
  LinkRecord* r = item_nodes(item);
  EXPECT_EQ(front, r);
  EXPECT_EQ(item_link_count(item), 5);
  EXPECT_EQ(r[0].node_flags, NODE_FIRST);  // open now
  EXPECT_EQ(r[1].node_flags, 0);
  EXPECT_EQ(r[2].node_flags, NODE_LOOSE);
  EXPECT_EQ(r[3].point.x, 10.0f);
  EXPECT_EQ(r[5].node_flags, NODE_CLOSING);

  LinkRecord* former_closing = grow_node_array(item, 3);
  r = item_nodes(item);
  EXPECT_EQ(former_closing, r + 5);
  EXPECT_EQ(r[5].node_flags, NODE_LOOSE);
  EXPECT_EQ(r[5].code, 0.0f);
  EXPECT_EQ(r[8].node_flags, NODE_CLOSING);
  EXPECT_EQ(r[8].point.x, 0.0f);
  EXPECT_EQ(item_link_count(item), 8);
}

TEST_F(DrawingItemTest, ShrinkingKeepsClosedItemsClosed) {
  DrawingItem* item = make_item({{0, 0, 0.0f, NODE_FIRST | NODE_TANGENT}, {10, 0}, {10, 10},
                                 {0, 10}, {0, 0}});
  LinkRecord* first = shrink_node_array(item, -1);
  ASSERT_NE(first, nullptr);
  const LinkRecord* r = item_nodes(item);
  EXPECT_EQ(item_link_count(item), 3);
  EXPECT_EQ(r[0].node_flags, NODE_FIRST | NODE_LOOSE);
  EXPECT_EQ(r[0].point.x, 10.0f);
  EXPECT_EQ(r[3].point.x, 10.0f);  // the closing point follows the new first point
  EXPECT_EQ(r[3].point.y, 0.0f);

  LinkRecord* closing = shrink_node_array(item, 1);
  r = item_nodes(item);
  EXPECT_EQ(closing, r + 2);
  EXPECT_EQ(r[2].node_flags, NODE_CLOSING);
  EXPECT_EQ(r[2].point.x, 10.0f);

  EXPECT_EQ(shrink_node_array(item, 2), nullptr) << "an item keeps at least one link";
  EXPECT_EQ(item_link_count(item), 2);
}

TEST_F(DrawingItemTest, RenumberingCoversTheClosingRecord) {
  DrawingItem* item = make_item({{0, 0}, {1, 0}, {2, 0}});
  renumber_nodes(item, 10);
  EXPECT_EQ(item_nodes(item)[2].node_number, 12);
  item_nodes(item)[0].node_number = 7;
  renumber_nodes(item, -1);
  EXPECT_EQ(item_nodes(item)[1].node_number, 8);
  EXPECT_EQ(item_nodes(item)[2].node_number, 9);
}

// ---- boxes ----

struct BoxCase {
  const char* name;
  LinkRecord link;
  PointF next;
  PointF min, max;
};

LinkRecord arc(float cx, float cy, float r, float start, float sweep, float px, float py) {
  LinkRecord link{};
  link.code = r;
  link.centre = PointF{cx, cy};
  link.start_angle = start;
  link.sweep = sweep;
  link.point = PointF{px, py};
  return link;
}

TEST(LinkBoxTest, BoxesFollowTheLinkKind) {
  LinkRecord line{};
  line.point = PointF{5, 1};
  LinkRecord ellipse{};
  ellipse.code = LINK_ELLIPSE;
  ellipse.centre = PointF{0, 0};
  ellipse.point = PointF{0, 2};    // a = 2 across
  LinkRecord flat_ellipse = ellipse;
  const float c61 = static_cast<float>(10 * std::cos(6.1));
  const float s61 = static_cast<float>(10 * std::sin(6.1));
  const BoxCase cases[] = {
      {"line", line, {1, 4}, {1, 1}, {5, 4}},
      {"quarter arc", arc(0, 0, 1, 0, static_cast<float>(PI / 2), 1, 0), {0, 1}, {0, 0}, {1, 1}},
      {"arc past 2 pi", arc(0, 0, 10, 6.1f, 0.35f, c61, s61),
       {static_cast<float>(10 * std::cos(6.45)), static_cast<float>(10 * std::sin(6.45))},
       {c61, s61},
       {10, static_cast<float>(10 * std::sin(6.45))}},
      {"full sweep", arc(0, 0, 2, 0, ANGLE_TWO_PI_F, 2, 0), {2, 0}, {-2, -2}, {2, 2}},
      {"radius circle", arc(1, 1, 2, 0, SWEEP_RADIUS_CIRCLE, 1, 1), {3, 1}, {-1, -1}, {3, 3}},
      {"diameter circle", arc(1, 1, 2, 0, SWEEP_DIAMETER_CIRCLE, -1, 1), {3, 1}, {-1, -1}, {3, 3}},
      {"centre circle", arc(1, 1, 2, 0, SWEEP_CENTRE_CIRCLE, 3, 1), {3, 1}, {-1, -1}, {3, 3}},
      // Semi-axis 3 along +X (towards the next point), 2 across.
      {"ellipse", ellipse, {3, 0}, {-3, -2}, {3, 2}},
      {"ellipse without second axis", flat_ellipse, {0, 0}, {0, 0}, {0, 2}},
  };
  for (const BoxCase& c : cases) {
    LinkRecord records[2] = {c.link, LinkRecord{}};
    records[1].point = c.next;
    link_bounding_box(records);
    EXPECT_NEAR(records[0].box_min.x, c.min.x, 1e-4) << c.name;
    EXPECT_NEAR(records[0].box_min.y, c.min.y, 1e-4) << c.name;
    EXPECT_NEAR(records[0].box_max.x, c.max.x, 1e-4) << c.name;
    EXPECT_NEAR(records[0].box_max.y, c.max.y, 1e-4) << c.name;
  }
}

// ---- arcs ----

TEST(ArcTest, AnglesDescribeTheCounterClockwiseExtent) {
  struct Case {
    const char* name;
    PointF node, next;
    uint8_t link_flags;
    float start, sweep;
  };
  const Case cases[] = {
      {"ccw quarter", {1, 0}, {0, 1}, 0, 0.0f, static_cast<float>(PI / 2)},
      {"cw quarter", {1, 0}, {0, -1}, LINK_CLOCKWISE, static_cast<float>(1.5 * PI),
       static_cast<float>(PI / 2)},
      {"ccw three quarters", {1, 0}, {0, -1}, 0, 0.0f, static_cast<float>(1.5 * PI)},
      {"coinciding ends", {0, 1}, {0, 1}, 0, static_cast<float>(PI / 2), ANGLE_TWO_PI_F},
  };
  for (const Case& c : cases) {
    LinkRecord r[2] = {};
    r[0].code = 1.0f;
    r[0].point = c.node;
    r[0].link_flags = c.link_flags;
    r[1].point = c.next;
    arc_angles_from_points(r);
    EXPECT_NEAR(r[0].start_angle, c.start, 1e-5) << c.name;
    EXPECT_NEAR(r[0].sweep, c.sweep, 1e-5) << c.name;
  }
  LinkRecord line[2] = {};
  line[1].point = PointF{0, 1};
  arc_angles_from_points(line);
  EXPECT_EQ(line[0].sweep, 0.0f) << "straight links have no angles";
}

TEST(ArcTest, RederiveRefitsTheArcToItsNodes) {
  struct Case {
    const char* name;
    LinkRecord link;
    PointF next;
    PointF centre;
    float radius;
  };
  const Case cases[] = {
      {"half circle", arc(9, 9, 1, 0, static_cast<float>(PI) + 0.000005f, 0, 0), {4, 0}, {2, 0}, 2},
      {"radius circle", arc(9, 9, 1, 0, SWEEP_RADIUS_CIRCLE, 1, 1), {1, 4}, {1, 1}, 3},
      {"diameter circle", arc(9, 9, 1, 0, SWEEP_DIAMETER_CIRCLE, 0, 0), {0, 6}, {0, 3}, 3},
      {"centre circle", arc(0, 0, 1, 0, SWEEP_CENTRE_CIRCLE, 0, 5), {7, 7}, {0, 0}, 5},
      // A quarter arc whose chord grew: radius from the chord and the kept sweep.
      {"quarter", arc(0, 0, 1, 0, static_cast<float>(PI / 2), 2, 0), {0, 2}, {0, 0}, 2},
  };
  for (const Case& c : cases) {
    LinkRecord r[2] = {c.link, LinkRecord{}};
    r[1].point = c.next;
    rederive_arc(r);
    EXPECT_NEAR(r[0].centre.x, c.centre.x, 1e-4) << c.name;
    EXPECT_NEAR(r[0].centre.y, c.centre.y, 1e-4) << c.name;
    EXPECT_NEAR(r[0].code, c.radius, 1e-4) << c.name;
  }
  LinkRecord centre_circle[2] = {arc(0, 0, 1, 0, SWEEP_CENTRE_CIRCLE, 0, 5), LinkRecord{}};
  centre_circle[1].point = PointF{7, 7};
  rederive_arc(centre_circle);
  EXPECT_EQ(centre_circle[1].point.x, 0.0f) << "the next node is put on the node";
}

TEST(ArcTest, RederiveKeepsAZeroRadiusCircleAnArc) {
  LinkRecord r[2] = {arc(0, 0, 1, 0, SWEEP_RADIUS_CIRCLE, 2, 2), LinkRecord{}};
  r[1].point = PointF{2, 2};
  rederive_arc(r);
  EXPECT_GT(r[0].code, 0.0f);
  EXPECT_FLOAT_EQ(r[0].centre.x, r[0].point.x) << "the centre stays on the node";
}

TEST(ArcTest, RederiveFullCircleWithCoincidingNodes) {
  LinkRecord r[2] = {arc(0, 0, 5, 0, ANGLE_TWO_PI_F, 5, 0), LinkRecord{}};
  r[1].point = PointF{5.00001f, 0};
  rederive_arc(r);
  EXPECT_EQ(r[1].point.x, r[0].point.x);
  EXPECT_NEAR(r[0].code, 5.0f, 1e-5);
}

// ---- zero-length links ----

TEST_F(DrawingItemTest, ZeroLengthLinesAreRemoved) {
  DrawingItem* item = make_item({{0, 0}, {10, 0}, {10, 0}, {10, 0}, {10, 10}});
  EXPECT_EQ(remove_zero_length_links(item), 2);
  EXPECT_EQ(item_nodes(item)[1].point.x, 10.0f);
  EXPECT_EQ(item_nodes(item)[2].point.y, 10.0f);
  EXPECT_EQ(item_closing_record(item)->node_flags, NODE_CLOSING);
}

TEST_F(DrawingItemTest, ZeroLengthLinksOfDifferentZOrArcsStay) {
  DrawingItem* item = make_item({{0, 0}, {0, 0}, {0, 0, 2.0f}, {0, 0}, {5, 5}});
  item_nodes(item)[1].z = -1.0f;  // a plunge and back: same points, different depths
  EXPECT_EQ(remove_zero_length_links(item), 4);
}

TEST_F(DrawingItemTest, AnItemOfOnlyZeroLengthLinksKeepsOneAndReportsZero) {
  DrawingItem* item = make_item({{3, 3}, {3, 3}, {3, 3}});
  EXPECT_EQ(remove_zero_length_links(item), 0);
  EXPECT_EQ(item_link_count(item), 1);
}

// ---- extents ----

TEST_F(DrawingItemTest, ExtentsIncludeArcsAndTheSampledSplineCurve) {
  DrawingItem* item = make_item({{0, 0, LINK_SPLINE}, {5, 10, LINK_SPLINE, NODE_TANGENT},
                                 {10, 10, LINK_SPLINE, NODE_TANGENT}, {15, 0}});
  PointF lo, hi;
  item_extents(item, &lo, &hi);
  EXPECT_GT(hi.y, 10.05f) << "the curve overshoots its nodes between the two high points";
  EXPECT_FLOAT_EQ(lo.x, 0.0f);
  EXPECT_FLOAT_EQ(hi.x, 15.0f);

  DrawingItem* circle = make_item({{2, 0, 2.0f}, {2, 0}}, ITEM_CIRCLE);
  item_nodes(circle)[0].centre = PointF{0, 0};
  arc_angles_from_points(item_nodes(circle));
  item_bounding_boxes(circle);
  item_extents(circle, &lo, &hi);
  EXPECT_FLOAT_EQ(lo.x, -2.0f);
  EXPECT_FLOAT_EQ(hi.y, 2.0f);

  item->state |= ITEM_FLAG_WORKING;
  working_items_extents(&lo, &hi);
  EXPECT_FLOAT_EQ(lo.x, 0.0f) << "only the working item counts";
}

// ---- centring ----

TEST_F(DrawingItemTest, CentringMovesShownItemsAndTheStoredExtents) {
  g_geometry_settings.material_box[2] = 100;
  g_geometry_settings.material_box[3] = 50;
  g_job_settings.nc_state = 0x40;
  g_job_settings.text_items_ready = 5;
  DrawingItem* shown = make_item({{10, 10}, {30, 20}});
  DrawingItem* hidden = make_item({{10, 10}, {30, 20}});
  item_block(hidden)->layer = 7;
  DrawingItem* inactive = make_item({{10, 10}, {30, 20}});
  inactive->state = 0;
  g_host_log.items_min = PointF{10, 10};
  g_host_log.items_max = PointF{30, 20};
  g_host_log.extents_min = PointF{0, 0};
  g_host_log.extents_max = PointF{100, 50};
  g_layers.visibility[7] = 0;

  centre_drawing(CENTRE_IN_X | CENTRE_IN_Y);
  // dx = (100 - 20) / 2 - 10 = 30, dy = (50 - 10) / 2 - 10 = 10.
  EXPECT_EQ(item_nodes(shown)[0].point.x, 40.0f);
  EXPECT_EQ(item_nodes(shown)[1].point.y, 30.0f);
  EXPECT_EQ(item_nodes(shown)[0].box_max.x, 60.0f);
  EXPECT_EQ(item_nodes(hidden)[0].point.x, 10.0f);
  EXPECT_EQ(item_nodes(inactive)[0].point.x, 10.0f);
  EXPECT_EQ(g_host_log.items_min.x, 40.0f);
  EXPECT_EQ(g_host_log.items_max.y, 30.0f);
  EXPECT_EQ(g_host_log.extents_min.x, 30.0f);
  EXPECT_EQ(g_job_settings.job_changed & 1, 1);
  EXPECT_EQ(g_job_settings.nc_state, 0);
  EXPECT_EQ(g_job_settings.text_items_ready, 0);

  centre_drawing(CENTRE_IN_X | CENTRE_IN_Y);
  EXPECT_EQ(item_nodes(shown)[0].point.x, 40.0f) << "a centred drawing stays where it is";

  g_host_log.items_min = PointF{10, 10};
  g_host_log.items_max = PointF{30, 20};
  centre_drawing(CENTRE_IN_X | CENTRE_HIDDEN_LAYERS);
  EXPECT_EQ(item_nodes(hidden)[0].point.x, 40.0f) << "hidden layers included on request";
}

TEST_F(DrawingItemTest, CentringOnOneAxisLeavesTheOther) {
  g_geometry_settings.material_box[2] = 100;
  g_geometry_settings.material_box[3] = 50;
  DrawingItem* item = make_item({{10, 10}, {30, 20}});
  g_host_log.items_min = PointF{10, 10};
  g_host_log.items_max = PointF{30, 20};
  centre_drawing(CENTRE_IN_Y);
  EXPECT_EQ(item_nodes(item)[0].point.x, 10.0f);
  EXPECT_EQ(item_nodes(item)[0].point.y, 20.0f);
}

// ---- transforms ----

TEST_F(DrawingItemTest, TranslateMovesPointsCentresAndBoxesOnce) {
  DrawingItem* item = make_item({{0, 0, 1.0f}, {1, 1, LINK_ELLIPSE}, {3, 1}});
  LinkRecord* r = item_nodes(item);
  r[0].centre = PointF{1, 0};
  r[0].link_flags = LINK_CLOCKWISE;
  arc_angles_from_points(r);
  r[1].centre = PointF{1, 0};
  item_bounding_boxes(item);
  const PointF arc_box_min = r[0].box_min;
  const PointF v = {10, 20};
  translate_item(item, &v);
  EXPECT_EQ(r[0].point.x, 10.0f);
  EXPECT_EQ(r[1].point.y, 21.0f);
  EXPECT_EQ(r[2].point.x, 13.0f);
  EXPECT_EQ(r[0].centre.x, 11.0f);
  EXPECT_EQ(r[1].centre.y, 20.0f) << "an ellipse link's centre moves with it";
  EXPECT_EQ(r[0].box_min.x, arc_box_min.x + 10);
}

TEST_F(DrawingItemTest, TranslateLeavesUnusedCentresOfLinesButMovesPolygonCentres) {
  DrawingItem* line = make_item({{0, 0}, {1, 0}});
  item_nodes(line)[0].centre = PointF{3, 3};  // a line's centre field means nothing
  DrawingItem* polygon = make_item({{0, 0}, {1, 0}, {0, 0}}, ITEM_POLYGON);
  item_nodes(polygon)[0].centre = PointF{3, 3};
  const PointF v = {1, 1};
  translate_item(line, &v);
  translate_item(polygon, &v);
  EXPECT_EQ(item_nodes(line)[0].centre.x, 3.0f);
  EXPECT_EQ(item_nodes(polygon)[0].centre.x, 4.0f);
}

TEST_F(DrawingItemTest, PolygonNodesGoRoundTheCentre) {
  DrawingItem* item = make_item({{0, 0}, {0, 0}, {0, 0}, {0, 0}, {0, 0}, {0, 0}, {0, 0}},
                                ITEM_POLYGON);
  LinkRecord* r = item_nodes(item);
  r[0].centre = PointF{5, 5};
  LinkRecord* last = place_polygon_nodes(r, r, 10, 0.0, 6);
  EXPECT_EQ(last, r + 6);
  for (int i = 0; i < 6; ++i) {
    EXPECT_NEAR(r[i].point.x, 5 + 10 * std::cos(i * PI / 3), 1e-4) << "node " << i;
    EXPECT_NEAR(r[i].point.y, 5 + 10 * std::sin(i * PI / 3), 1e-4) << "node " << i;
  }
  EXPECT_EQ(r[6].point.x, r[0].point.x);
  EXPECT_EQ(r[6].point.y, r[0].point.y);

  r[0].link_flags = LINK_CLOCKWISE;
  place_polygon_nodes(r, r, 10, 0.0, 6);
  EXPECT_NEAR(r[1].point.y, 5 - 10 * std::sin(PI / 3), 1e-4) << "clockwise steps";

  // From a later record on, the walk wraps past the closing record to the first.
  place_polygon_nodes(r + 3, r, 2, PI, 6);
  EXPECT_NEAR(r[3].point.x, 3.0f, 1e-4);
  EXPECT_EQ(r[0].point.x, r[6].point.x);
  EXPECT_EQ(r[0].point.y, r[6].point.y);

  place_polygon_nodes(r, r, 0, 0.0, 6);
  EXPECT_NE(r[0].point.x, r[3].point.x) << "a zero radius is raised to a tiny one";
}

TEST(AngleTest, NormalizeAngleBringsIntoZeroToTwoPi) {
  struct Case {
    double in, out;
  };
  const Case cases[] = {
      {-0.5, 2 * PI - 0.5}, {2 * PI - 0.00005, 0.0}, {0.00005, 0.0},
      {-7.0, 4 * PI - 7.0},  // whole turns: -7 is not taken as 0
      {-0.00001, 2 * PI - 0.00001}, {7.0, 7.0 - 2 * PI}, {3.0, 3.0},
      {20.0, 20.0 - 6 * PI}, {-4 * PI - 0.00005, 2 * PI - 0.00005}, {2 * PI, 0.0},
  };
  for (const Case& c : cases) EXPECT_NEAR(normalize_angle(c.in), c.out, 1e-12) << c.in;
}

TEST(OffsetLinkTest, OffsetsGoToTheRightOfTravel) {
  struct Case {
    const char* name;
    LinkRecord link;
    PointF next;
    float distance;
    int result;
    PointF node, out_next;
    float radius;
  };
  LinkRecord line{};
  line.code = LINK_RIGID_LINE;
  LinkRecord ccw = arc(0, 0, 5, 0, static_cast<float>(PI / 2), 5, 0);
  // Clockwise from (0, 5) to (5, 0): its counter-clockwise extent starts at the next node.
  LinkRecord cw = arc(0, 0, 5, 0, static_cast<float>(PI / 2), 0, 5);
  cw.link_flags = LINK_CLOCKWISE;
  LinkRecord ellipse{};
  ellipse.code = LINK_ELLIPSE;
  ellipse.point = PointF{0, 2};
  LinkRecord bezier{};
  bezier.code = LINK_BEZIER;
  LinkRecord radius_circle = arc(0, 0, 5, 0, SWEEP_RADIUS_CIRCLE, 0, 0);
  const Case cases[] = {
      {"line", line, {10, 0}, 1, 0, {0, -1}, {10, -1}, -1},
      {"zero-length line", line, {0, 0}, 1, 2, {0, 0}, {0, 0}, -1},
      {"ccw arc grows", ccw, {0, 5}, 1, 0, {6, 0}, {0, 6}, 6},
      {"cw arc shrinks", cw, {5, 0}, 1, 0, {0, 4}, {4, 0}, 4},
      {"arc collapses", ccw, {0, 5}, -5, 1, {5, 0}, {0, 5}, 5},
      {"ellipse", ellipse, {3, 0}, 1, 0, {0, 3}, {4, 0}, LINK_ELLIPSE},
      {"bezier", bezier, {3, 0}, 1, -2, {0, 0}, {3, 0}, LINK_BEZIER},
      {"radius circle", radius_circle, {5, 0}, 1, 0, {0, 0}, {6, 0}, 6},
  };
  for (const Case& c : cases) {
    LinkRecord out[2] = {};
    LinkRecord source[2] = {c.link, LinkRecord{}};
    source[1].point = c.next;
    EXPECT_EQ(offset_link(source, c.distance, out), c.result) << c.name;
    if (c.result < 0) continue;
    EXPECT_NEAR(out[0].point.x, c.node.x, 1e-5) << c.name;
    EXPECT_NEAR(out[0].point.y, c.node.y, 1e-5) << c.name;
    EXPECT_NEAR(out[1].point.x, c.out_next.x, 1e-5) << c.name;
    EXPECT_NEAR(out[1].point.y, c.out_next.y, 1e-5) << c.name;
    EXPECT_NEAR(out[0].code, c.radius, 1e-5) << c.name;
  }
}

TEST(OffsetLinkTest, OffsetInPlaceRefreshesTheBox) {
  LinkRecord r[2] = {};
  r[1].point = PointF{10, 0};
  link_bounding_box(r);
  ASSERT_EQ(offset_link(r, 2, r), 0);
  EXPECT_EQ(r[0].box_min.y, -2.0f);
  EXPECT_EQ(r[1].point.y, -2.0f);
}

// ---- flattening splines ----

TEST_F(DrawingItemTest, FlatteningReplacesSplineRunsByFlexibleLines) {
  DrawingItem* item = make_item({{-10, 0, LINK_RIGID_LINE},
                                 {0, 0, LINK_SPLINE, NODE_TANGENT},
                                 {10, 8, LINK_SPLINE, NODE_TANGENT},
                                 {20, 0, LINK_SPLINE, NODE_TANGENT},
                                 {30, 8, LINK_RIGID_LINE, NODE_TANGENT},
                                 {40, 8}});
  EXPECT_EQ(flatten_splines(item), 0);
  const int32_t n = item_link_count(item);
  const LinkRecord* r = item_nodes(item);
  ASSERT_GT(n, 5);
  std::set<int> numbers;
  for (int32_t i = 0; i < n; ++i) {
    EXPECT_NE(r[i].code, LINK_SPLINE) << "link " << i;
    numbers.insert(r[i].node_number);
  }
  EXPECT_EQ(static_cast<int32_t>(numbers.size()), n) << "every node has its own number";
  EXPECT_EQ(r[0].code, LINK_RIGID_LINE);
  EXPECT_EQ(r[1].code, LINK_FLEXIBLE_LINE);
  EXPECT_EQ(r[1].node_flags, NODE_LOOSE);
  EXPECT_EQ(r[n - 1].code, LINK_RIGID_LINE) << "the link after the run is kept";
  EXPECT_EQ(r[n - 1].point.x, 30.0f);
  EXPECT_EQ(r[n].point.x, 40.0f);
  EXPECT_EQ(r[n].node_flags, NODE_CLOSING);
  bool kept_peak = false, kept_valley = false;
  for (int32_t i = 1; i < n - 1; ++i) {
    kept_peak |= r[i].point.x == 10.0f && r[i].point.y == 8.0f;
    kept_valley |= r[i].point.x == 20.0f && r[i].point.y == 0.0f;
    EXPECT_GT(r[i + 1].point.x, r[i].point.x) << "the curve runs left to right";
  }
  EXPECT_TRUE(kept_peak && kept_valley) << "the lines pass through the run's nodes";
}

TEST_F(DrawingItemTest, FlatteningKeepsTheDepthOfThreeDimensionalRuns) {
  DrawingItem* item = make_item({{0, 0, LINK_SPLINE}, {10, 8, LINK_SPLINE, NODE_TANGENT},
                                 {20, 0, LINK_SPLINE, NODE_TANGENT}, {30, 8}});
  LinkRecord* r = item_nodes(item);
  for (int i = 0; i <= 3; ++i) r[i].z = -1.0f - i;
  flatten_splines(item);
  r = item_nodes(item);
  const int32_t n = item_link_count(item);
  ASSERT_GT(n, 3);
  for (int32_t i = 0; i <= n; ++i) {
    EXPECT_LE(r[i].z, -1.0f + 1e-5) << "node " << i;
    EXPECT_GE(r[i].z, -4.0f - 1e-5) << "node " << i;
  }
  EXPECT_FLOAT_EQ(r[n].z, -4.0f);
}

TEST_F(DrawingItemTest, FlatteningAShortRunMakesItAFlexibleLine) {
  DrawingItem* item = make_item({{0, 0, LINK_SPLINE}, {10, 8, LINK_RIGID_LINE, NODE_TANGENT},
                                 {20, 0}});
  flatten_splines(item);
  EXPECT_EQ(item_link_count(item), 2);
  EXPECT_EQ(item_nodes(item)[0].code, LINK_FLEXIBLE_LINE);
}

}  // namespace
