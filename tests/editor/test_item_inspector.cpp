// The item inspector's polyline panels: navigation between the header and the links, the
// header's link count and "go to link", link types, the symmetry line, the event filter, and
// the item edit pages' rules with the values they refuse.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "drawing_window.h"
#include "editor/drawing_commands.h"
#include "editor/hover_state.h"
#include "editor/item_inspector.h"
#include "editor/item_pages.h"
#include "editor/page_strip.h"
#include "editor_fixture.h"
#include "geometry/geometry2d.h"
#include "geometry/item_shapes.h"
#include "geometry/point_arrays.h"
#include "records/preferences.h"
#include "screen/controls.h"
#include "screen/display_mode.h"
#include "screen/main_form.h"
#include "screen/event_queue.h"
#include "screen/pointer.h"
#include "tests/support/idle_typist.h"
#include "platform/files.h"
#include "platform/headless.h"
#include "store/catalogue.h"
#include "ui/dialog_form.h"
#include "ui/placeholder_page.h"
#include "ui/text_window.h"

namespace {

constexpr double PI = 3.14159265358979323846;

EventCode no_field_handler() { return 0; }

double dist(PointF a, PointF b) { return std::hypot(double(a.x) - b.x, double(a.y) - b.y); }

class InspectorTest : public EditorFixture {
 protected:
  void SetUp() override {
    EditorFixture::SetUp();
    open_screen(1024, 768);
    layout_paint_boxes();
    reset_panel_state();
    reset_item_pages();
    start_typist();
    // The boxes a refused value opens give the drawing's list back when they close.
    drawing_window_ = open_drawing_window();
  }
  void TearDown() override {
    pump_set_idle_handler(nullptr);
    reset_panel_state();
    while (poll_input_code(0) != 0) {
    }
    close_drawing_window(drawing_window_);
    EditorFixture::TearDown();
  }
  TextLine* drawing_window_ = nullptr;

  // A polyline of `links` rigid links along x, closed back to its start when asked.
  static DrawingItem* polyline(int links, bool closed = false) {
    std::vector<PointF> points;
    for (int k = 0; k <= links; ++k) points.push_back({float(k * 10), float(k % 2)});
    if (closed) points.back() = points.front();
    DrawingItem* item = add_polyline(points);
    if (closed) item_nodes(item)[0].node_flags |= NODE_LOOSE;
    return item;
  }
  static DrawingItem* dual(int links) {
    DrawingItem* item = polyline(links);
    item_nodes(item)[0].node_flags |= NODE_DUAL;
    return item;
  }

  // Runs a rule that must refuse: the user answers its message with a key, which it must take.
  template <typename Rule>
  static int refused(Rule rule) {
    g_typist.steps.clear();
    typist_key(VK_RETURN);
    const int result = rule();
    EXPECT_TRUE(g_typist.steps.empty()) << "no message was shown";
    g_typist.steps.clear();
    return result;
  }
};

// ---- navigation ----

TEST_F(InspectorTest, PageKeysMoveBetweenTheHeaderAndTheLinks) {
  const struct {
    bool is_dual;
    int from;
    EventCode key;
    int to;
    EventCode result;
  } cases[] = {
      {false, 0, KEY_PGUP, PANEL_HEADER, KEY_ESC},  // PgUp on link 0: the header
      {false, PANEL_HEADER, KEY_PGDN, 0, KEY_ESC},  // PgDn on the header: link 0
      {true, PANEL_HEADER, KEY_PGDN, 0, KEY_ESC},   // "Dual": the symmetry line
      {false, PANEL_HEADER, KEY_PGUP, PANEL_HEADER, 0},
      {false, 2, KEY_PGUP, 1, KEY_ESC},
      {false, 3, KEY_PGDN, 3, 0},                   // the last link ends at the closing record
      {true, 0, KEY_PGDN, 2, KEY_ESC},              // "Dual": Next from 0 is link 2
      {true, 2, KEY_PGUP, 0, KEY_ESC},              // and Prev from 2 is link 0
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.is_dual << " " << c.from << " " << c.key);
    reset_panel_state();
    g_panel.panel_item = c.is_dual ? dual(4) : polyline(4);
    g_panel.panel_link = static_cast<int16_t>(c.from);
    EXPECT_EQ(panel_page_key(c.key), c.result);
    EXPECT_EQ(g_panel.panel_link, c.to);
    if (c.result == KEY_ESC) {
      EXPECT_EQ(g_panel.panel_link_before, c.to);
    }
  }
}

TEST_F(InspectorTest, NavigationButtons) {
  DrawingItem* item = polyline(4);
  g_panel.panel_item = item;
  g_panel.panel_link = 2;
  link_panel_navigate(NAV_HEADER, 4);
  EXPECT_EQ(g_panel.panel_link, PANEL_HEADER);
  EXPECT_EQ(g_panel.panel_link_saved, 2);
  link_panel_navigate(NAV_GO_BACK, 4);
  EXPECT_EQ(g_panel.panel_link, 2);
  link_panel_navigate(NAV_LAST, 4);
  EXPECT_EQ(g_panel.panel_link, 3);
  link_panel_navigate(NAV_FIRST_LINK, 4);
  EXPECT_EQ(g_panel.panel_link, 0);
  g_panel.panel_item = dual(5);
  link_panel_navigate(NAV_FIRST, 5);
  EXPECT_EQ(g_panel.panel_link, 2);  // a "Dual" polyline's own links start after its symmetry line
}

// "Delete this link" acts only on the first or the last link.
TEST_F(InspectorTest, DeleteOnlyAtTheEnds) {
  DrawingItem* item = polyline(4);
  g_panel.panel_item = item;
  g_panel.panel_link = 1;
  link_panel_navigate(NAV_DELETE_LINK, 4);
  EXPECT_EQ(item_link_count(item), 4);
  g_panel.panel_link = 3;
  link_panel_navigate(NAV_DELETE_LINK, 4);
  EXPECT_EQ(item_link_count(item), 3);
  EXPECT_EQ(g_panel.panel_link, 2);
  g_panel.panel_link = 0;
  link_panel_navigate(NAV_DELETE_LINK, 3);
  EXPECT_EQ(item_link_count(item), 2);
  EXPECT_EQ(item_nodes(item)[0].point.x, 10.0f);  // the first link went
  DrawingItem* symmetric = dual(4);
  g_panel.panel_item = symmetric;
  g_panel.panel_link = 3;
  link_panel_navigate(NAV_DELETE_LINK, 4);
  EXPECT_EQ(item_link_count(symmetric), 4);
}

// Adding a link moves the block: the hover's link is found again in the new one.
TEST_F(InspectorTest, HoverReferencesFollowTheBlockWhenLinksAreAdded) {
  DrawingItem* item = polyline(2);
  g_panel.panel_item = item;
  g_panel.panel_link = 1;
  g_hover.hover_item = item;
  g_hover.link_index = 1;
  g_hover.hover_link = item_nodes(item) + 1;
  link_panel_navigate(NAV_ADD_END, 2);
  ASSERT_EQ(item_link_count(item), 3);
  EXPECT_EQ(g_panel.panel_link, 2);
  EXPECT_EQ(g_hover.hover_link, item_nodes(item) + 2);
  EXPECT_EQ(g_hover.highlighted_link, nullptr);
}

// ---- the header ----

TEST_F(InspectorTest, FewerLinksOpenAClosedPolyline) {
  DrawingItem* item = polyline(4, true);
  ASSERT_TRUE(item_is_closed(item));
  g_panel.panel_item = item;
  EXPECT_EQ(set_panel_link_count(item, 2, true), 1);
  EXPECT_EQ(item_link_count(item), 2);
  EXPECT_FALSE(item_is_closed(item));
  EXPECT_EQ(item_nodes(item)[1].point.x, 10.0f);
}

TEST_F(InspectorTest, MoreLinksAreLooseRigidLinesAtTheChosenEnd) {
  DrawingItem* item = polyline(2);
  g_panel.panel_item = item;
  EXPECT_EQ(set_panel_link_count(item, 4, true), 1);
  ASSERT_EQ(item_link_count(item), 4);
  const LinkRecord* r = item_nodes(item);
  EXPECT_EQ(r[2].node_flags, NODE_LOOSE);
  EXPECT_EQ(r[3].code, LINK_RIGID_LINE);
  EXPECT_EQ(r[4].node_flags, NODE_CLOSING);
  EXPECT_EQ(r[0].point.x, 0.0f);
  EXPECT_EQ(set_panel_link_count(item, 5, false), 1);
  EXPECT_EQ(item_nodes(item)[0].node_flags & NODE_FIRST, NODE_FIRST);
  EXPECT_EQ(item_nodes(item)[1].point.x, 0.0f);  // the old start, after the new first link
}

TEST_F(InspectorTest, LinkCountsThatChangeNothing) {
  DrawingItem* item = polyline(3);
  g_panel.panel_item = item;
  EXPECT_EQ(set_panel_link_count(item, 0, true), 0);
  EXPECT_EQ(set_panel_link_count(item, -4, true), 0);
  EXPECT_EQ(set_panel_link_count(item, 3, true), 0);
  EXPECT_EQ(item_link_count(item), 3);
}

TEST_F(InspectorTest, GoToLinkPastTheCountIsRefused) {
  g_panel.panel_item = polyline(3);
  g_panel.panel_link = PANEL_HEADER;
  EXPECT_EQ(refused([] { return go_to_panel_link(4); }), -1);
  EXPECT_EQ(g_panel.panel_link, PANEL_HEADER);
  EXPECT_EQ(go_to_panel_link(3), 1);
  EXPECT_EQ(g_panel.panel_link, 2);
  g_panel.panel_item = dual(5);
  EXPECT_EQ(go_to_panel_link(1), 1);
  EXPECT_EQ(g_panel.panel_link, 2);
  EXPECT_EQ(refused([] { return go_to_panel_link(4); }), -1);
}

// ---- links ----

TEST_F(InspectorTest, TheSameTypeChangesNothing) {
  DrawingItem* item = polyline(2);
  LinkRecord* r = item_nodes(item);
  r[0].code = LINK_RIGID_LINE;
  g_panel.panel_item = item;
  g_panel.panel_link = 0;
  g_panel.panel_link_before = PANEL_NO_NAVIGATION;
  EXPECT_EQ(set_link_type(r, LINK_RIGID_LINE), 0);
  EXPECT_EQ(g_panel.panel_link_before, PANEL_NO_NAVIGATION);
  EXPECT_EQ(set_link_type(r, LINK_SPLINE), 1);
  EXPECT_EQ(r[0].code, LINK_SPLINE);
  EXPECT_EQ(g_panel.panel_link_before, 0);  // the panel opens again for the new kind
}

TEST_F(InspectorTest, LinkKindsByCode) {
  LinkRecord r{};
  const struct {
    float code, sweep;
    int kind;
  } cases[] = {{-1, 0, 0}, {0, 0, 1}, {5, 1, 2}, {-5, 0, 3}, {-4, 0, 4},
               {5, -2, 5}, {5, -1, 6}, {-3, 0, 7}, {-9, 0, 8}, {5, -3, 0}, {-64.5f, 0, 0}};
  for (const auto& c : cases) {
    r.code = c.code;
    r.sweep = c.sweep;
    EXPECT_EQ(link_kind(&r), c.kind) << c.code << " " << c.sweep;
  }
}

// The symmetry line's angle turns the whole item about the line's start.
TEST_F(InspectorTest, TheSymmetryLinesAngleTurnsTheItem) {
  DrawingItem* item = dual(4);
  const std::vector<PointF> before = {item_nodes(item)[0].point, item_nodes(item)[3].point};
  set_link_length_angle(item, 0, 10.0, PI / 2);
  const LinkRecord* r = item_nodes(item);
  EXPECT_NEAR(r[1].point.x, 0.0, 1e-4);
  EXPECT_NEAR(r[1].point.y, 10.0, 1e-4);
  // Node 3 turned by the change of direction about node 0.
  const double change = PI / 2 - std::atan2(1.0, 10.0);
  const double x = before[1].x * std::cos(change) - before[1].y * std::sin(change);
  const double y = before[1].x * std::sin(change) + before[1].y * std::cos(change);
  EXPECT_NEAR(r[3].point.x, x, 1e-3);
  EXPECT_NEAR(r[3].point.y, y, 1e-3);
  EXPECT_NEAR(dist(r[0].point, before[0]), 0.0, 1e-6);
}

TEST_F(InspectorTest, OtherLinksAngleMovesOnlyTheirEnd) {
  DrawingItem* item = polyline(3);
  set_link_length_angle(item, 1, 5.0, PI);
  const LinkRecord* r = item_nodes(item);
  EXPECT_NEAR(r[2].point.x, 5.0, 1e-4);
  EXPECT_NEAR(r[2].point.y, 1.0, 1e-4);
  EXPECT_EQ(r[3].point.x, 30.0f);
}

// ---- the event filter ----

TEST_F(InspectorTest, EventFilter) {
  g_panel.previous_event = 0;
  EXPECT_EQ(panel_event_filter(430), EVENT_LEFT_DOWN);
  EXPECT_EQ(panel_event_filter(KEY_ESC), KEY_ESC);
  EXPECT_EQ(g_panel.exit_reason, KEY_ESC);
  // A right click outside the drawing, then Esc: ignored.
  g_panel.exit_reason = 0;
  g_pointer.wanted_x = 1020;
  g_pointer.wanted_y = g_view.area_top + 20;
  panel_event_filter(EVENT_RIGHT_DOWN);
  EXPECT_EQ(panel_event_filter(KEY_ESC), 0);
  EXPECT_EQ(g_panel.exit_reason, 0);
  // In the drawing it closes the panel with its own reason.
  g_pointer.wanted_x = 20;
  panel_event_filter(EVENT_RIGHT_DOWN);
  EXPECT_EQ(panel_event_filter(KEY_ESC), KEY_ESC);
  EXPECT_EQ(g_panel.exit_reason, PANEL_EXIT_RIGHT_CLICK);
  EXPECT_EQ(panel_event_filter(EVENT_QUIT), KEY_ESC);
  EXPECT_EQ(panel_event_filter(' '), ' ');
}

// ---- the item pages ----

class ItemPageTest : public InspectorTest {};

TEST_F(ItemPageTest, CircleDiameterTenIsAFullCircleOfRadiusFive) {
  DrawingItem* item = add_circle({3, 4}, 2.0f);
  EXPECT_EQ(circle_page_set_diameter(item, 10.0f), PAGE_VALUE_TAKEN);
  const LinkRecord* r = item_nodes(item);
  EXPECT_FLOAT_EQ(r->code, 5.0f);
  EXPECT_EQ(r->start_angle, 0.0f);
  EXPECT_FLOAT_EQ(r->sweep, ANGLE_TWO_PI_F);
  EXPECT_FLOAT_EQ(r[0].point.x, 8.0f);
  EXPECT_FLOAT_EQ(r[1].point.x, 8.0f);
}

TEST_F(ItemPageTest, CircleThroughPointsWithTheSecondOnTheFirst) {
  DrawingItem* item = add_circle({0, 0}, 1.0f);
  const PointF points[3] = {{0, 0}, {0, 0}, {6, 8}};
  EXPECT_EQ(circle_page_from_points(item, points), PAGE_VALUE_TAKEN);
  const LinkRecord* r = item_nodes(item);
  EXPECT_NEAR(r->centre.x, 3.0, 1e-5);
  EXPECT_NEAR(r->centre.y, 4.0, 1e-5);
  EXPECT_NEAR(r->code, 5.0, 1e-5);
  const PointF in_line[3] = {{0, 0}, {1, 1}, {2, 2}};
  EXPECT_EQ(circle_page_from_points(item, in_line), PAGE_VALUE_UNCHANGED);
  EXPECT_NEAR(r->code, 5.0, 1e-5);
}

// Values that would make the item another kind of item are refused and change nothing.
TEST_F(ItemPageTest, RefusedValuesLeaveTheItemAsItWas) {
  DrawingItem* circle = add_circle({0, 0}, 2.0f);
  for (float r : {0.0f, -1.0f}) {
    EXPECT_EQ(refused([&] { return circle_page_set_radius(circle, r); }), PAGE_VALUE_REFUSED);
    EXPECT_EQ(refused([&] { return circle_page_set_diameter(circle, r); }), PAGE_VALUE_REFUSED);
  }
  EXPECT_EQ(item_nodes(circle)->code, 2.0f);

  DrawingItem* rounded = add_item(ITEM_ROUNDED_RECTANGLE, 8);
  item_nodes(rounded)[0].link_flags = LINK_CLOCKWISE;
  build_rounded_rect(rounded, {0, 0}, 4, 10, 1, 0.0, NODE_TANGENT);
  EXPECT_EQ(refused([&] { return rounded_rect_page_set_width(rounded, 0); }), PAGE_VALUE_REFUSED);
  EXPECT_EQ(refused([&] { return rounded_rect_page_set_length(rounded, -2); }), PAGE_VALUE_REFUSED);
  RoundedRectSizes s;
  rounded_rect_dimensions(item_nodes(rounded), &s);
  EXPECT_NEAR(s.width, 4.0, 1e-4);
  EXPECT_NEAR(s.length, 10.0, 1e-4);

  DrawingItem* point = add_item(ITEM_POINT, 1);
  LinkRecord* p = item_nodes(point);
  p[0].code = LINK_POINT - 0.5f;
  p[0].node_flags = NODE_FIRST;
  p[1].node_flags = NODE_CLOSING;
  EXPECT_EQ(refused([&] { return point_page_set_radius(point, -0.1f); }), PAGE_VALUE_REFUSED);
  EXPECT_EQ(item_nodes(point)->code, LINK_POINT - 0.5f);
  EXPECT_EQ(point_page_set_radius(point, 0.0f), PAGE_VALUE_TAKEN);  // a bare point
  EXPECT_EQ(item_nodes(point)->code, LINK_POINT);
}

TEST_F(ItemPageTest, PatternCountsPastWhatThePointStoresAreRefused) {
  DrawingItem* point = add_item(ITEM_POINT, 1);
  LinkRecord* p = item_nodes(point);
  p[0].code = LINK_POINT - 0.5f;
  p[0].node_flags = NODE_FIRST;
  p[1].node_flags = NODE_CLOSING;
  p[0].centre = {2, 3};
  ASSERT_EQ(point_page_set_kind(point, POINT_ARRAY_ROWS), PAGE_VALUE_TAKEN);
  EXPECT_EQ(point_page_set_rows(point, 255), PAGE_VALUE_TAKEN);
  EXPECT_EQ(refused([&] { return point_page_set_rows(point, 256); }), PAGE_VALUE_REFUSED);
  EXPECT_EQ(refused([&] { return point_page_set_columns(point, 0); }), PAGE_VALUE_REFUSED);
  EXPECT_EQ(point_page_set_columns(point, 4), PAGE_VALUE_TAKEN);
  LinkRecord* closing = point_array_closing(item_nodes(point));
  EXPECT_EQ(point_array_rows(closing), 255);
  EXPECT_EQ(point_array_columns(closing), 4);
  // The far corner of the grid follows.
  EXPECT_FLOAT_EQ(closing->point.x, 6.0f);
  EXPECT_FLOAT_EQ(closing->point.y, 254 * 3.0f);

  ASSERT_EQ(point_page_set_kind(point, POINT_ARRAY_CIRCLE), PAGE_VALUE_TAKEN);
  EXPECT_EQ(point_array_columns(closing) | point_array_rows(closing) << 8, 0);  // count cleared
  EXPECT_EQ(point_page_set_circle_count(point, 32767), PAGE_VALUE_TAKEN);
  EXPECT_EQ(point_array_columns(closing) | point_array_rows(closing) << 8, 32767);
  EXPECT_EQ(refused([&] { return point_page_set_circle_count(point, 32768); }), PAGE_VALUE_REFUSED);
  EXPECT_EQ(point_array_columns(closing) | point_array_rows(closing) << 8, 32767);
}

TEST_F(ItemPageTest, RoundedRectangleCornerRadii) {
  DrawingItem* item = add_item(ITEM_ROUNDED_RECTANGLE, 8);
  item_nodes(item)[0].link_flags = LINK_CLOCKWISE;
  build_rounded_rect(item, {0, 0}, 4, 10, 1, 0.0, NODE_TANGENT);
  RoundedRectSizes s;
  EXPECT_EQ(rounded_rect_page_set_radius(item, 3.0f), PAGE_VALUE_TAKEN);
  rounded_rect_dimensions(item_nodes(item), &s);
  EXPECT_NEAR(s.radius, 1.99996, 1e-6);
  EXPECT_EQ(rounded_rect_page_set_radius(item, 0.0f), PAGE_VALUE_TAKEN);
  rounded_rect_dimensions(item_nodes(item), &s);
  EXPECT_NEAR(s.radius, 0.01, 1e-7);
  EXPECT_NEAR(s.length, 10.0, 1e-4);
  EXPECT_NEAR(s.width, 4.0, 1e-4);
}

TEST_F(ItemPageTest, PolygonSideCounts) {
  g_preferences.polygon_sides = 7;
  DrawingItem* item = add_item(ITEM_POLYGON, 4);
  LinkRecord* r = item_nodes(item);
  r[0].centre = {0, 0};
  r[0].point = {2, 0};
  r[0].node_flags = NODE_FIRST | NODE_LOOSE;
  EXPECT_EQ(polygon_page_set_sides(item, 501), PAGE_VALUE_TAKEN);
  EXPECT_EQ(item_link_count(item), 7);
  EXPECT_EQ(polygon_page_set_sides(item, 3), PAGE_VALUE_TAKEN);
  ASSERT_EQ(item_link_count(item), 3);
  r = item_nodes(item);
  for (int k = 0; k <= 3; ++k) EXPECT_NEAR(dist(r[k].point, {0, 0}), 2.0, 1e-5) << k;
  EXPECT_EQ(polygon_page_set_size(item, 0, 0.0f), PAGE_VALUE_UNCHANGED);
  EXPECT_EQ(polygon_page_set_size(item, 2, 6.0f), PAGE_VALUE_TAKEN);  // side length
  EXPECT_NEAR(dist(item_nodes(item)[0].point, item_nodes(item)[1].point), 6.0, 1e-4);
}

TEST_F(ItemPageTest, ArcSweptThroughThreeSixtyIsAFullCircleThroughItsStart) {
  DrawingItem* item = add_arc({0, 0}, 5.0f, 0.0f, float(PI / 2), false);
  LinkRecord* r = item_nodes(item);
  EXPECT_EQ(arc_page_set_sweep(r, 360.0f), PAGE_VALUE_TAKEN);
  EXPECT_EQ(r[1].point.x, r[0].point.x);
  EXPECT_EQ(r[1].point.y, r[0].point.y);
  EXPECT_NEAR(r->sweep, 2 * PI, 1e-5);
  EXPECT_EQ(arc_page_set_sweep(r, 90.0f), PAGE_VALUE_TAKEN);
  EXPECT_NEAR(r[1].point.x, 0.0, 1e-4);
  EXPECT_NEAR(r[1].point.y, 5.0, 1e-4);
}

TEST_F(ItemPageTest, ArcRadiusThatCannotReachBothEndsIsRefused) {
  DrawingItem* item = add_arc({0, 0}, 5.0f, 0.0f, float(PI), false);  // chord 10
  LinkRecord* r = item_nodes(item);
  EXPECT_EQ(refused([&] { return arc_page_set_radius(r, 4.0f); }), PAGE_VALUE_REFUSED);
  EXPECT_EQ(r->code, 5.0f);
  EXPECT_EQ(refused([&] { return arc_page_set_radius(r, 0.0f); }), PAGE_VALUE_REFUSED);
  EXPECT_EQ(arc_page_set_radius(r, 13.0f), PAGE_VALUE_TAKEN);
  EXPECT_NEAR(dist(r->centre, r[0].point), 13.0, 1e-3);
  EXPECT_NEAR(dist(r->centre, r[1].point), 13.0, 1e-3);
}

TEST_F(ItemPageTest, SlotRadiusOfZeroIsRefused) {
  DrawingItem* item = add_item(ITEM_SLOT, 4);
  LinkRecord* r = item_nodes(item);
  r[1].centre = {0, 0};
  r[3].centre = {10, 0};
  r[1].code = r[3].code = 2.0f;
  r[1].code = 2.0f;
  ASSERT_EQ(slot_page_set_radius(item, 3.0f), PAGE_VALUE_TAKEN);
  EXPECT_NEAR(dist(r[2].point, r[1].centre), 3.0, 1e-4);
  EXPECT_EQ(refused([&] { return slot_page_set_radius(item, 0.0f); }), PAGE_VALUE_REFUSED);
  EXPECT_EQ(item_nodes(item)[1].code, 3.0f);
  EXPECT_EQ(refused([&] { return slot_page_set_centres(item, {1, 1}, {1, 1}); }),
            PAGE_VALUE_REFUSED);
  EXPECT_EQ(item_nodes(item)[3].centre.x, 10.0f);
  EXPECT_EQ(slot_page_set_distance(item, 0.0f), PAGE_VALUE_UNCHANGED);
  EXPECT_EQ(slot_page_set_distance(item, 20.0f), PAGE_VALUE_TAKEN);
  EXPECT_NEAR(item_nodes(item)[3].centre.x, 20.0, 1e-4);
}

// A bent rectangle's position fields stand for its arcs' centre: a typed centre moves the item.
TEST_F(ItemPageTest, BentRectanglePositionIsTheArcsCentre) {
  const PointF corner = {0, 4};
  DrawingItem* item = add_item(ITEM_RECTANGLE, 4);
  build_rectangle_links(item, &corner, 4.0f, 10.0f);
  ASSERT_EQ(rectangle_page_set_bend(item, 20.0f), PAGE_VALUE_TAKEN);
  ASSERT_TRUE(rectangle_is_bent(item));
  LinkRecord* r = item_nodes(item);
  EXPECT_FLOAT_EQ(r[0].code, 20.0f);
  EXPECT_NEAR(r[2].code, 16.0, 1e-4);
  for (int k : {0, 1}) EXPECT_NEAR(dist(r[k].point, r[0].centre), 20.0, 1e-3) << k;
  for (int k : {2, 3}) EXPECT_NEAR(dist(r[k].point, r[0].centre), 16.0, 1e-3) << k;
  const PointF centre = r[0].centre;
  const PointF node = r[1].point;
  EXPECT_EQ(rectangle_page_set_position(item, {centre.x + 1, centre.y + 2}), PAGE_VALUE_TAKEN);
  r = item_nodes(item);
  EXPECT_NEAR(r[0].centre.x, centre.x + 1, 1e-4);
  EXPECT_NEAR(r[1].point.y, node.y + 2, 1e-4);
  // Too small a bend for the width is refused; 0 makes it straight again.
  DrawingItem* other = add_item(ITEM_RECTANGLE, 4);
  build_rectangle_links(other, &corner, 4.0f, 10.0f);
  EXPECT_EQ(refused([&] { return rectangle_page_set_bend(other, 3.0f); }), PAGE_VALUE_REFUSED);
  EXPECT_FALSE(rectangle_is_bent(other));
  EXPECT_EQ(rectangle_page_set_bend(item, 0.0f), PAGE_VALUE_TAKEN);
  EXPECT_FALSE(rectangle_is_bent(item));
}

}  // namespace

namespace {

// Every panel and page is a catalogue form whose labels leave room for the values.
TEST_F(InspectorTest, ThePanelFormsHaveTheirLabels) {
  reset_catalogue();
  set_program_folder_for_tests(BRENVIK_PROGRAM_DIR);
  ASSERT_GT(open_catalogue(), 0);
  for (int message : {830, 832, 834, 836, 840, 842, 844, 848, 856, 858, 862, 866, 868, 896}) {
    SCOPED_TRACE(message);
    TextLine* node = build_dialog(message, no_field_handler);
    ASSERT_NE(node, nullptr);
    TextWindow* w = window_of(node);
    ASSERT_NE(w->first_line, nullptr);
    int labelled = 0;
    for (const TextLine* line = w->first_line; line != nullptr; line = line->next)
      if (label_width(line->text.c_str()) > 0) ++labelled;
    EXPECT_GT(labelled, 3);
    destroy_window(node);
  }
  reset_catalogue();
  set_program_folder_for_tests("");
}

}  // namespace

namespace {

// The circle's page shows its labels and, right of them, the circle's values.
TEST_F(InspectorTest, TheCirclePageShowsItsValuesBesideItsLabels) {
  reset_catalogue();
  set_program_folder_for_tests(BRENVIK_PROGRAM_DIR);
  ASSERT_GT(open_catalogue(), 0);
  DrawingItem* circle = add_circle({20, 5}, 5.0f);
  g_panel.display_only = 1;
  ASSERT_TRUE(run_item_page(circle));
  g_panel.display_only = 0;
  const CellMetrics& c = g_display.presets[FACE_ROLE_NORMAL];
  std::string screen_text;
  for (int row = 0; row < c.last_row; ++row)
    screen_text += text_at(0, row * c.cell_height, FACE_ROLE_NORMAL, c.last_column) + "\n";
  EXPECT_NE(screen_text.find("Radius:   5"), std::string::npos) << screen_text;
  reset_catalogue();
  set_program_folder_for_tests("");
}

// A bent rectangle's width moves its inner arc onto the circle that far inside the outer one,
// the straight ends re-joined to it; a width leaving no inner radius is refused.
TEST_F(ItemPageTest, BentRectangleWidthSlidesTheInnerArc) {
  const PointF corner = {0, 4};
  DrawingItem* item = add_item(ITEM_RECTANGLE, 4);
  build_rectangle_links(item, &corner, 4.0f, 10.0f);
  ASSERT_EQ(rectangle_page_set_bend(item, 20.0f), PAGE_VALUE_TAKEN);
  ASSERT_EQ(rectangle_page_set_width(item, 6.0f), PAGE_VALUE_TAKEN);
  LinkRecord* r = item_nodes(item);
  EXPECT_NEAR(r[2].code, 14.0, 1e-4);
  for (int k : {0, 1}) EXPECT_NEAR(dist(r[k].point, r[0].centre), 20.0, 1e-3) << k;
  for (int k : {2, 3}) EXPECT_NEAR(dist(r[k].point, r[0].centre), 14.0, 1e-3) << k;
  EXPECT_NEAR(dist(r[4].point, r[0].point), 0.0, 1e-5) << "still closed";
  EXPECT_EQ(refused([&] { return rectangle_page_set_width(item, 25.0f); }), PAGE_VALUE_REFUSED);
  EXPECT_NEAR(item_nodes(item)[2].code, 14.0, 1e-4);
}

}  // namespace

namespace {

// The panels run as catalogue forms: these tests open the program's catalogue.
class PanelFormTest : public InspectorTest {
 protected:
  void SetUp() override {
    InspectorTest::SetUp();
    reset_catalogue();
    set_program_folder_for_tests(BRENVIK_PROGRAM_DIR);
    ASSERT_GT(open_catalogue(), 0);
  }
  void TearDown() override {
    reset_catalogue();
    set_program_folder_for_tests("");
    InspectorTest::TearDown();
  }

  // Line, arc over the top from (10, 0) to (20, 0) about (15, 0), line: the arc's nodes are
  // tangent to the lines.
  static DrawingItem* line_arc_line(bool closed = false) {
    DrawingItem* item = add_polyline({{0, 0}, {10, 0}, {20, 0}, {30, 0}});
    LinkRecord* r = item_nodes(item);
    r[1].code = 5.0f;
    r[1].centre = {15, 0};
    r[1].link_flags = LINK_CLOCKWISE;
    arc_angles_from_points(r + 1);
    r[1].node_flags = NODE_TANGENT;
    r[2].node_flags = NODE_TANGENT;
    if (closed) {
      r[3].point = r[0].point;
      r[0].node_flags |= NODE_LOOSE;
    }
    item_bounding_boxes(item);
    return item;
  }

  static std::string screen_text() {
    const CellMetrics& c = g_display.presets[FACE_ROLE_NORMAL];
    std::string text;
    for (int row = 0; row <= c.last_row; ++row)
      text += text_at(0, row * c.cell_height, FACE_ROLE_NORMAL, c.last_column + 1) + "\n";
    return text;
  }
  // The value shown right of a label of the form ("" when the label is not on the screen).
  static std::string value_after(const std::string& screen, const std::string& label) {
    const size_t at = screen.find(label);
    if (at == std::string::npos) return "";
    size_t from = screen.find_first_not_of(' ', at + label.size());
    const size_t to = screen.find_first_of(" \n", from);
    return screen.substr(from, to - from);
  }
};

// The arc's page shows its link number, its end node's number and its nodes' kinds like the
// link panel does.
TEST_F(PanelFormTest, TheArcPageShowsTheLinkAndItsNodes) {
  DrawingItem* item = line_arc_line();
  item_nodes(item)[2].node_flags = NODE_LOOSE;
  g_panel.panel_item = item;
  g_panel.panel_link = 1;
  g_panel.display_only = 1;
  open_link_panel();
  const std::string screen = screen_text();
  EXPECT_EQ(value_after(screen, "Type:"), "Arc") << screen;
  EXPECT_EQ(value_after(screen, "Link #:"), "2") << screen;
  EXPECT_EQ(value_after(screen, "Start node:"), "Tangent") << screen;
  EXPECT_EQ(value_after(screen, "End node #:"), "3") << screen;
  EXPECT_EQ(value_after(screen, "End node:"), "Loose") << screen;
}

// A link type picked on the arc's page makes the arc that kind of link; the page closes so
// that the panel of the new kind opens.
TEST_F(PanelFormTest, TheArcPagesTypeRowMakesTheArcAnotherKindOfLink) {
  DrawingItem* item = line_arc_line();
  g_panel.panel_item = item;
  g_panel.panel_link = 1;
  typist_text("f");
  EXPECT_EQ(open_link_panel(), 0);
  EXPECT_EQ(item_nodes(item)[1].code, LINK_FLEXIBLE_LINE);
  EXPECT_EQ(g_panel.panel_link, 1);
}

// "L" on the arc's tangent start node makes it loose and changes nothing else of the arc.
TEST_F(PanelFormTest, TheArcPagesStartNodeMadeLoose) {
  DrawingItem* item = line_arc_line();
  const LinkRecord before = item_nodes(item)[1];
  g_panel.panel_item = item;
  g_panel.panel_link = 1;
  g_panel.reopen_field = 2;
  typist_text("l");
  typist_key(VK_ESCAPE);
  open_link_panel();
  const LinkRecord* r = item_nodes(item);
  EXPECT_EQ(r[1].node_flags, NODE_LOOSE);
  EXPECT_EQ(r[2].node_flags, NODE_TANGENT);
  EXPECT_EQ(r[1].code, before.code);
  EXPECT_EQ(r[1].point.x, before.point.x);
}

// The node-kind rows pass over a node that is not between two links: the ends of a one-link
// item, and the end node that is the closing record.
TEST_F(PanelFormTest, NodeKindRowsPassOverNodesThatJoinNoLinks) {
  g_field.last_ending_event = KEY_DOWN;
  g_panel.panel_item = add_arc({0, 0}, 5.0f, 0.0f, float(PI / 2), false);
  g_panel.panel_link = 0;
  EXPECT_EQ(edit_link_node_kind_field(1), KEY_DOWN);
  EXPECT_EQ(edit_link_node_kind_field(2), KEY_DOWN);
  g_panel.panel_item = line_arc_line(true);
  g_panel.panel_link = 2;
  EXPECT_EQ(edit_link_node_kind_field(2), KEY_DOWN);
  g_field.last_ending_event = KEY_UP;
  EXPECT_EQ(edit_link_node_kind_field(2), KEY_UP);
}

// The header shown in passing writes the polyline's total length near the screen's bottom.
TEST_F(PanelFormTest, TheHeaderShownInPassingWritesTheTotalLength) {
  DrawingItem* item = add_polyline({{0, 0}, {3, 4}, {3, 10}});  // 5 + 6
  g_panel.panel_item = item;
  g_panel.panel_link = PANEL_HEADER;
  g_panel.display_only = 1;
  open_link_panel();
  const std::string screen = screen_text();
  EXPECT_EQ(value_after(screen, "Total length:"), "11") << screen;
  // Run for editing, the header does not write it.
  g_panel.display_only = 0;
  fill_rect(0, 0, 4000, 4000, 0);
  typist_key(VK_ESCAPE);
  open_link_panel();
  EXPECT_EQ(screen_text().find("Total length:"), std::string::npos);
}

// A click on "Lock on Header" on the header turns the lock on: its box is checked, its hint
// changes and the back button says that it shows the link; a second click turns it off.
TEST_F(PanelFormTest, LockOnHeaderClickedOnTheHeader) {
  draw_page_strip();
  DrawingItem* item = polyline(4);
  g_panel.panel_item = item;
  g_panel.panel_link = PANEL_HEADER;
  g_panel.panel_link_saved = 2;
  show_panel_buttons(item_block(item));
  const ScreenControl* back = page_strip_control(NAV_GO_BACK);
  const ScreenControl* lock = page_strip_control(NAV_LOCK_ON_HEADER);
  EXPECT_STREQ(back->caption, " Go back to #3");
  g_pointer.wanted_x = lock->x + 2;
  g_pointer.wanted_y = lock->y + 2;
  EXPECT_EQ(panel_left_press("", 0), 0);
  EXPECT_EQ(g_panel.lock_on_header, 1);
  EXPECT_NE(lock->flags & CF_CHECKED, 0u);
  EXPECT_EQ(lock->hint, HINT_LOCK_ON_HEADER_ON);
  EXPECT_STREQ(back->caption, " Show link #3");
  EXPECT_EQ(panel_left_press("", 0), 0);
  EXPECT_EQ(g_panel.lock_on_header, 0);
  EXPECT_EQ(lock->flags & CF_CHECKED, 0u);
  EXPECT_EQ(lock->hint, HINT_LOCK_ON_HEADER_OFF);
  EXPECT_STREQ(back->caption, " Go back to #3");
  // Away from every button the press is no button's.
  g_pointer.wanted_x = 1;
  g_pointer.wanted_y = g_view.area_bottom - 2;
  EXPECT_EQ(panel_left_press("", 0), 0);
  EXPECT_EQ(g_panel.lock_on_header, 0);
}

// A click on a navigation button closes the panel for the one it goes to.
TEST_F(PanelFormTest, ANavigationButtonClickedOpensItsLink) {
  draw_page_strip();
  DrawingItem* item = polyline(4);
  g_panel.panel_item = item;
  g_panel.panel_link = PANEL_HEADER;
  g_panel.panel_link_before = PANEL_NO_NAVIGATION;
  show_panel_buttons(item_block(item));
  const ScreenControl* last = page_strip_control(NAV_LAST_LINK);
  g_pointer.wanted_x = last->x + 2;
  g_pointer.wanted_y = last->y + 2;
  EXPECT_EQ(panel_left_press("", 0), KEY_ESC);
  EXPECT_EQ(g_panel.panel_link, 3);
  EXPECT_EQ(g_panel.panel_link_before, 3);
  // A button the header does not show is not hit.
  show_panel_buttons(item_block(item));
  // Its right end, which no button of the header lies over.
  const ScreenControl* prev = page_strip_control(NAV_PREV);
  g_pointer.wanted_x = prev->x + prev->hit_width - 3;
  g_pointer.wanted_y = prev->y + 2;
  g_panel.panel_link = PANEL_HEADER;
  show_panel_buttons(item_block(item));
  EXPECT_NE(panel_left_press("", 0), KEY_ESC);
  EXPECT_EQ(g_panel.panel_link, PANEL_HEADER);
}

}  // namespace

namespace {

int g_list_page_draws = 0;

// A rebuild behind the panel: with the side panel the drawing beside it is drawn again; without
// it the panel stands over its page: on the Engraving list page the list is drawn behind it, on
// any other page (the Drawing page's panel without the side panel) the list is not drawn over
// that page. Either way the page is asked to draw itself once more. Nothing happens without a
// redraw request.
TEST_F(PanelFormTest, ARebuildDrawsWhatStandsBehindThePanel) {
  struct Case {
    uint8_t side_panel;
    uint8_t page;
    uint8_t redraw_level;
    int list_draws;
    uint8_t page_request;
    bool drawing_redrawn;
  };
  const Case cases[] = {{1, PAGE_DRAWING, 1, 0, 0, true},
                        {0, PAGE_ENGRAVING_LIST, 1, 1, 1, false},
                        {0, PAGE_DRAWING, 1, 0, 1, false},
                        {0, PAGE_ENGRAVING_LIST, 0, 0, 0, false},
                        {1, PAGE_DRAWING, 0, 0, 0, false}};
  g_drawing_commands.redraw_text_list_page = [] { ++g_list_page_draws; };
  DrawingItem* item = polyline(3);
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "side panel " << int(c.side_panel) << ", page "
                                    << int(c.page) << ", redraw " << int(c.redraw_level));
    g_list_page_draws = 0;
    g_page_requests.redraw = 0;
    g_hover.marker_item = nullptr;
    g_panel.panel_item = item;
    g_preferences.drawing.side_panel = c.side_panel;
    g_preferences.current_page = c.page;
    g_form.redraw_level = c.redraw_level;
    rebuild_panel_screen();
    EXPECT_EQ(g_list_page_draws, c.list_draws);
    EXPECT_EQ(g_page_requests.redraw, c.page_request);
    EXPECT_EQ(g_form.redraw_level, 0);
    EXPECT_EQ(g_hover.marker_item == item, c.drawing_redrawn);
  }
  g_drawing_commands.redraw_text_list_page = nullptr;
  g_page_requests.redraw = 0;
}

// The navigation buttons stand beside the panel form's window, over its rows: while the form
// runs, a press on a shown button goes to the button before the form could take it as a click
// on a row. The pointer comes in from outside the window and moves onto the button as a user's
// does (a press while the pointer is let go only takes the pointer back), then the button is
// pressed, through the event queue.
TEST_F(PanelFormTest, ANavigationButtonPressedWhileThePanelRunsNavigates) {
  struct Case {
    const char* name;
    int16_t panel_link;  // the panel open when the button is pressed
    int button;
    int16_t goes_to;
  };
  const Case cases[] = {{"header, Last link", PANEL_HEADER, NAV_LAST_LINK, 3},
                        {"link 1, Next", 1, NAV_NEXT, 2},
                        {"link 2, Prev", 2, NAV_PREV, 1},
                        {"link 1, Header", 1, NAV_HEADER, PANEL_HEADER}};
  g_preferences.drawing.side_panel = 1;
  draw_page_strip();
  DrawingItem* item = polyline(4);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    g_panel.panel_item = item;
    g_panel.panel_link = c.panel_link;
    g_pointer.released = true;
    const ScreenControl* button = page_strip_control(c.button);
    int form_bottom = -1;
    g_typist.steps.clear();
    g_typist.steps.push_back([&] {
      form_bottom = g_windows.active != nullptr ? g_windows.active->bottom_row : -1;
      headless_inject_mouse_move(button->x + 3, button->y + 3);
      headless_inject_mouse_button(WINDOW_BUTTON_LEFT, true, button->x + 3, button->y + 3);
      headless_inject_mouse_button(WINDOW_BUTTON_LEFT, false, button->x + 3, button->y + 3);
    });
    // Had the press not reached the button, the panel would still run: Esc ends it unmoved.
    typist_key(VK_ESCAPE);
    EXPECT_EQ(open_link_panel(), 0);
    EXPECT_EQ(g_panel.panel_link, c.goes_to);
    EXPECT_GT(form_bottom, 0) << "the press came while the form ran";
    EXPECT_FALSE(g_typist.steps.empty()) << "the panel waited on after the press";
    // Once the panel is closed the form engine takes clicks itself again.
    EXPECT_EQ(g_form_hooks.click, nullptr);
  }
}

}  // namespace
