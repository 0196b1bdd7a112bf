// Point picking and the object snaps: the snap geometry against the test's own double
// arithmetic, the snap keys of each context, and the snaps and pick loops driven through the
// event queue by a user who answers when the program waits.
#include <cmath>
#include <string>

#include "editor/coord_entry.h"
#include "editor/edit_session.h"
#include "editor/help_box.h"
#include "editor/page_menus.h"
#include "editor/object_snaps.h"
#include "editor/point_picking.h"
#include "platform/files.h"
#include "screen/controls.h"
#include "store/catalogue.h"
#include "tests/editor/editor_fixture.h"
#include "tests/editor/picking_fixture.h"
#include "tests/support/idle_typist.h"
#include "ui/popups.h"

namespace {

constexpr double PI = 3.14159265358979323846;

class SnapTest : public PickingFixture {
 protected:
  SnapTest() : PickingFixture(200) {}
  void SetUp() override {
    PickingFixture::SetUp();
    reset_catalogue();
    set_program_folder_for_tests(BRENVIK_PROGRAM_DIR);
    ASSERT_GT(open_catalogue(), 0);
    reset_help_stack();
  }
  void TearDown() override {
    g_edit.working_set = nullptr;
    reset_catalogue();
    set_program_folder_for_tests("");
    reset_files();
    PickingFixture::TearDown();
  }

  // The hover state as the search leaves it over link 0 of the item.
  static void hover_over(DrawingItem* item, int pick_kind) {
    HoverState& h = g_hover;
    h.hover_item = item;
    h.hover_link = item_nodes(item);
    h.link_index = 0;
    h.pick_kind = static_cast<int16_t>(pick_kind);
    h.point_selector = PICK_POINT_NODE;
  }
};

// ---- geometry ----

TEST(SnapGeometry, QuadrantBoundariesGoCounterClockwise) {
  LinkRecord arc[2] = {};
  arc[0].centre = {2.0f, 3.0f};
  arc[0].code = 5.0f;
  arc[0].start_angle = 0.0f;
  arc[0].sweep = static_cast<float>(2.0 * PI);
  arc[0].point = arc[1].point = {7.0f, 3.0f};
  struct Case {
    PointF cursor;
    double quadrant;  // radians
  };
  // Exactly between two quadrants the one counter-clockwise wins; 7 pi / 4 belongs to 0.
  for (const Case& c : {Case{{3.0f, 4.0f}, PI / 2}, Case{{3.0f, 2.0f}, 0.0},
                        Case{{1.0f, 4.0f}, PI}, Case{{1.0f, 2.0f}, 3 * PI / 2},
                        Case{{9.0f, 3.5f}, 0.0}, Case{{2.2f, -8.0f}, 3 * PI / 2}}) {
    PointF q{};
    EXPECT_TRUE(quadrant_point(arc, c.cursor, &q));
    EXPECT_NEAR(q.x, 2.0 + 5.0 * std::cos(c.quadrant), 1e-5) << c.cursor.x << "," << c.cursor.y;
    EXPECT_NEAR(q.y, 3.0 + 5.0 * std::sin(c.quadrant), 1e-5) << c.cursor.x << "," << c.cursor.y;
  }
  // An arc of the first quarter does not reach the quadrant at 3 pi / 2.
  arc[0].sweep = static_cast<float>(PI / 2);
  arc[1].point = {2.0f, 8.0f};
  PointF q{};
  EXPECT_FALSE(quadrant_point(arc, {2.0f, -1.0f}, &q));
  EXPECT_NEAR(q.y, -2.0, 1e-5);
}

TEST(SnapGeometry, EqualIntersectionDistancesGiveTheSecondPoint) {
  const PointF a = {-3.0f, 0.0f}, b = {3.0f, 0.0f};
  EXPECT_EQ(nearer_point(a, b, {0.0f, 4.0f}).x, 3.0f);
  EXPECT_EQ(nearer_point(a, b, {-0.5f, 4.0f}).x, -3.0f);
  EXPECT_EQ(nearer_point(a, b, {0.5f, 4.0f}).x, 3.0f);
}

TEST(SnapGeometry, MidpointOfTwoGivenPoints) {
  PickedLink rec{};
  rec.records[0].point = {1.5f, -2.0f};
  rec.records[1].point = {1.5f, -2.0f};
  PointF m{};
  picked_link_midpoint(&rec, &m);
  EXPECT_FLOAT_EQ(m.x, 1.5f);
  EXPECT_FLOAT_EQ(m.y, -2.0f);
  rec.records[1].point = {4.5f, 2.0f};
  picked_link_midpoint(&rec, &m);
  EXPECT_FLOAT_EQ(m.x, 3.0f);
  EXPECT_FLOAT_EQ(m.y, 0.0f);
}

// ---- keys and menus ----

TEST_F(SnapTest, SnapKeysDependOnTheContextAndABlankIsNoKey) {
  struct Case {
    int key;
    int context;
    int mode;
  };
  for (const Case& c : {Case{' ', SNAP_CONTEXT_NODE_EDIT, -1}, Case{' ', SNAP_CONTEXT_PICK_KEYS, -1},
                        Case{' ', SNAP_CONTEXT_DRAG, -1}, Case{'q', SNAP_CONTEXT_PICK_KEYS, SNAP_QUADRANT},
                        Case{'M', SNAP_CONTEXT_PICK_KEYS, SNAP_MIDPOINT},
                        Case{'j', SNAP_CONTEXT_PICK_KEYS, SNAP_PROJECTION},
                        Case{'e', SNAP_CONTEXT_PICK_KEYS, SNAP_EXTREMES},
                        Case{'a', SNAP_CONTEXT_PICK_KEYS, -1}, Case{'p', SNAP_CONTEXT_PICK_KEYS, -1},
                        Case{'t', SNAP_CONTEXT_PICK_KEYS, -1}, Case{'p', SNAP_CONTEXT_NODE_EDIT, SNAP_PERPENDICULAR},
                        Case{'q', SNAP_CONTEXT_NODE_EDIT, -1}, Case{'d', SNAP_CONTEXT_DRAG, -1},
                        Case{'x', SNAP_CONTEXT_NONE, -1}, Case{1000, SNAP_CONTEXT_PICK_KEYS, -1}}) {
    EXPECT_EQ(snap_by_key(c.key, c.context), c.mode) << "key " << c.key << " context " << c.context;
    EXPECT_EQ(g_popups.current, nullptr) << "the name box closes by itself";
  }
}

TEST_F(SnapTest, MenuOffersTheContextsModes) {
  EXPECT_EQ(snap_menu(0), -1);
  EXPECT_EQ(snap_menu_mask(SNAP_CONTEXT_NODE_EDIT), 0x8B3E);
  // The fourth line of the default context's menu is the centre snap.
  typist_key(VK_DOWN);
  typist_key(VK_DOWN);
  typist_key(VK_DOWN);
  typist_key(VK_RETURN);
  EXPECT_EQ(snap_menu(SNAP_CONTEXT_DEFAULT), SNAP_CENTRE);
  typist_key(VK_ESCAPE);
  EXPECT_EQ(snap_menu(SNAP_CONTEXT_DEFAULT), -1);
}

// ---- snaps through the queue ----

TEST_F(SnapTest, ExtremesNFourTimesComesBackToTheFirstCorner) {
  DrawingItem* line = add_polyline({{1.0f, 5.0f}, {4.0f, 2.0f}});
  struct Case {
    int presses;
    PointF corner;
  };
  for (const Case& c : {Case{0, {1.0f, 2.0f}}, Case{1, {4.0f, 5.0f}}, Case{2, {4.0f, 2.0f}},
                        Case{3, {1.0f, 5.0f}}, Case{4, {1.0f, 2.0f}}}) {
    hover_over(line, PICK_ON_LINK_NEAR_START);
    for (int i = 0; i < c.presses; ++i) push_input_code('n');
    push_input_code(KEY_ENTER);
    PointF p{};
    ASSERT_EQ(snap_point(SNAP_EXTREMES, &p), 0) << c.presses;
    EXPECT_EQ(p.x, c.corner.x) << c.presses;
    EXPECT_EQ(p.y, c.corner.y) << c.presses;
  }
}

TEST_F(SnapTest, EscRestoresEverythingTheSnapChanged) {
  DrawingItem* first = add_polyline({{0.0f, 0.0f}, {1.0f, 1.0f}});
  DrawingItem* last = add_polyline({{2.0f, 2.0f}, {3.0f, 1.0f}});
  for (const bool active : {true, false}) {
    g_edit.working_set = last;  // a command works on the last item
    if (active) last->state |= ITEM_FLAG_SELECTED;
    else last->state &= static_cast<uint8_t>(~ITEM_FLAG_SELECTED);
    const uint8_t state = last->state;
    g_hover.pick_mode = 0x0E;
    hover_over(first, PICK_ON_LINK_NEAR_START);
    g_point_picking.xy_snap_state = XY_SNAP_SECOND_POINT;
    ScreenControl* const table = g_controls.active;
    const size_t tables = g_controls.table_stack.size();
    const size_t hits = g_controls.hit_stack.size();
    push_input_code('n');
    push_input_code(KEY_ESC);
    PointF p = {7.0f, 7.0f};
    EXPECT_EQ(snap_point(SNAP_EXTREMES, &p), -1);
    EXPECT_EQ(p.x, 7.0f) << "a failed snap leaves the point";
    EXPECT_EQ(last->state, state) << "active " << active;
    EXPECT_EQ(g_hover.pick_mode, 0x0E);
    EXPECT_EQ(g_hover.pick_kind, 0);
    EXPECT_EQ(g_hover.hover_item, nullptr);
    EXPECT_EQ(g_point_picking.xy_snap_state, 0);
    EXPECT_EQ(g_point_picking.snap_running, 0);
    EXPECT_EQ(g_controls.active, table);
    EXPECT_EQ(g_controls.table_stack.size(), tables);
    EXPECT_EQ(g_controls.hit_stack.size(), hits);
  }
}

TEST_F(SnapTest, ExtremesGivesTheLastItemItsFlagBackWhenACornerIsTaken) {
  DrawingItem* first = add_polyline({{0.0f, 0.0f}, {1.0f, 1.0f}});
  DrawingItem* last = add_polyline({{2.0f, 2.0f}, {3.0f, 1.0f}});
  g_edit.working_set = last;
  last->state &= static_cast<uint8_t>(~ITEM_FLAG_SELECTED);
  hover_over(first, PICK_ON_LINK_NEAR_START);
  push_input_code(KEY_ENTER);
  PointF p{};
  ASSERT_EQ(snap_point(SNAP_EXTREMES, &p), 0);
  EXPECT_EQ(last->state & ITEM_FLAG_SELECTED, 0) << "an inactive item is not made active";
}

// The projection of (5, 5) onto the line through two typed points: beyond the link the user
// is asked, and the answer decides.
TEST_F(SnapTest, ProjectionBeyondTheLinkAsks) {
  struct Case {
    const char* point;
    const char* answer;  // null: no question comes
    int result;
    PointF foot;
  };
  for (const Case& c : {Case{"5,5", "y", 0, {5.0f, 0.0f}}, Case{"5,5", "n", -1, {0.0f, 0.0f}},
                        Case{"0.5,3", nullptr, 0, {0.5f, 0.0f}}}) {
    typist_text(c.point);
    typist_key(VK_RETURN);
    typist_text("0,0");
    typist_key(VK_RETURN);
    typist_text("1,0");
    typist_key(VK_RETURN);
    if (c.answer != nullptr) typist_text(c.answer);
    PointF p{};
    EXPECT_EQ(snap_point(SNAP_PROJECTION, &p), c.result) << c.point;
    EXPECT_TRUE(g_typist.steps.empty()) << c.point;
    g_typist.steps.clear();
    if (c.result != 0) continue;
    EXPECT_NEAR(p.x, c.foot.x, 1e-6) << c.point;
    EXPECT_NEAR(p.y, c.foot.y, 1e-6) << c.point;
  }
}

TEST_F(SnapTest, XAndYTakesXOfTheFirstPointAndALoneNumberAsY) {
  typist_text("2,9");
  typist_key(VK_RETURN);
  typist_text("5");
  typist_key(VK_RETURN);
  PointF p{};
  ASSERT_EQ(snap_point(SNAP_X_AND_Y, &p), 0);
  EXPECT_FLOAT_EQ(p.x, 2.0f);
  EXPECT_FLOAT_EQ(p.y, 5.0f);
  EXPECT_EQ(g_point_picking.xy_snap_state, 0);
}

TEST_F(SnapTest, MidpointOfTwoTypedPoints) {
  typist_text("1,1");
  typist_key(VK_RETURN);
  typist_text("3,-1");
  typist_key(VK_RETURN);
  PointF p{};
  ASSERT_EQ(snap_point(SNAP_MIDPOINT, &p), 0);
  EXPECT_FLOAT_EQ(p.x, 2.0f);
  EXPECT_FLOAT_EQ(p.y, 0.0f);
}

TEST_F(SnapTest, PickPointOpensTheEntryWithTheTypedDigit) {
  std::string shown;
  typist_text("5");
  g_typist.steps.push_back([&shown] { shown = g_coord.entry.text; });
  typist_text(",7");
  typist_key(VK_RETURN);
  EXPECT_EQ(pick_point(), PICK_POINT_TAKEN);
  EXPECT_EQ(shown, "5");
  EXPECT_FLOAT_EQ(g_point_picking.picked_point.x, 5.0f);
  EXPECT_FLOAT_EQ(g_point_picking.picked_point.y, 7.0f);
  typist_key(VK_ESCAPE);
  EXPECT_EQ(pick_point(), PICK_POINT_CANCELLED);
}

TEST_F(SnapTest, PickPointTakesASnapByKey) {
  // "x": the X & Y snap inside pick_point.
  typist_text("x");
  typist_text("3,4");
  typist_key(VK_RETURN);
  typist_text("8,6");
  typist_key(VK_RETURN);
  EXPECT_EQ(pick_point(), PICK_POINT_TAKEN);
  EXPECT_FLOAT_EQ(g_point_picking.picked_point.x, 3.0f);
  EXPECT_FLOAT_EQ(g_point_picking.picked_point.y, 6.0f);
}

// The Drawing page's "centre the view" option takes a typed point, and a snap by key.
TEST_F(SnapTest, CentreViewOptionTakesTypedPointsAndSnaps) {
  struct Case {
    std::vector<std::string> typed;
    PointF centre;
  };
  for (const Case& c : {Case{{"5,7"}, {5.0f, 7.0f}}, Case{{"m", "1,1", "3,-1"}, {2.0f, 0.0f}}}) {
    for (const std::string& t : c.typed) {
      typist_text(t);
      if (t.size() > 1) typist_key(VK_RETURN);
    }
    run_main_option(121);
    EXPECT_TRUE(g_typist.steps.empty());
    g_typist.steps.clear();
    const ViewState& v = g_view;
    EXPECT_NEAR((v.view_left + v.view_right) * 0.5f, c.centre.x, 1e-3) << c.typed[0];
    EXPECT_NEAR((v.view_bottom + v.view_top) * 0.5f, c.centre.y, 1e-3) << c.typed[0];
  }
}

// The pick point of what lies under the cursor.
TEST_F(SnapTest, HoverPointByWhatIsHovered) {
  DrawingItem* line = add_polyline({{0.0f, 0.0f}, {4.0f, 0.0f}});
  DrawingItem* arc = add_arc({10.0f, 0.0f}, 2.0f, 0.0f, static_cast<float>(PI), false);
  DrawingItem* spline = add_polyline({{0.0f, 5.0f}, {4.0f, 5.0f}});
  item_nodes(spline)[0].code = LINK_SPLINE;
  struct Case {
    DrawingItem* item;
    int pick_kind;
    int selector;
    PointF cursor;
    PointF expected;
  };
  for (const Case& c : {
           Case{nullptr, 0, 0, {1.5f, 2.5f}, {1.5f, 2.5f}},
           Case{line, PICK_START_NODE, PICK_POINT_NODE, {0.1f, 0.1f}, {0.0f, 0.0f}},
           Case{line, PICK_END_NODE, PICK_POINT_NEXT, {3.9f, 0.1f}, {4.0f, 0.0f}},
           Case{arc, PICK_CENTRE, PICK_POINT_CENTRE, {10.1f, 0.1f}, {10.0f, 0.0f}},
           Case{line, PICK_ON_LINK_NEAR_START, PICK_POINT_NODE, {1.0f, 0.2f}, {1.0f, 0.0f}},
           Case{line, PICK_ON_LINK_NEAR_END, PICK_POINT_NEXT, {5.0f, 0.2f}, {5.0f, 0.2f}},
           Case{arc, PICK_ON_LINK_NEAR_START, PICK_POINT_NODE, {10.0f, 3.0f}, {10.0f, 2.0f}},
           Case{spline, PICK_ON_LINK_NEAR_START, PICK_POINT_NODE, {1.0f, 5.2f}, {1.0f, 5.2f}},
       }) {
    HoverState& h = g_hover;
    h.cursor_point = c.cursor;
    h.hover_item = c.item;
    h.hover_link = c.item != nullptr ? item_nodes(c.item) : nullptr;
    h.pick_kind = static_cast<int16_t>(c.pick_kind);
    h.point_selector = static_cast<int16_t>(c.selector);
    PointF p{};
    hover_point(&p);
    EXPECT_NEAR(p.x, c.expected.x, 1e-5) << c.pick_kind << " at " << c.cursor.x;
    EXPECT_NEAR(p.y, c.expected.y, 1e-5) << c.pick_kind << " at " << c.cursor.x;
  }
}

}  // namespace
