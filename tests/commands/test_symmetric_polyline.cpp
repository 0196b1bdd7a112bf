// Symmetric polylines in the node editor, driven through the event queue on the headless
// screen: seeded "Dual" polylines dragged at random nodes of either half stay mirror images
// (judged by the test's own reflection), the perpendicular kind stays four-fold, deleted and
// inserted nodes take their partners, and the Symmetry Angle dialog turns, closes and cancels.
#include <cmath>
#include <cstring>
#include <random>
#include <vector>

#include "commands/node_edit_session.h"
#include "commands/symmetric_polyline.h"
#include "drawing_edit_fixture.h"
#include "geometry/node_surgery.h"
#include "geometry/symmetric_nodes.h"
#include "screen/controls.h"
#include "tests/geometry/symmetry_oracle.h"
#include "tests/support/idle_typist.h"

namespace {

constexpr float AXIS_X = 20.0f;  // the symmetry line of the seeded polylines: x = 20
constexpr float PIXEL = 0.1f;    // world units of one pixel in the fixture's view

class SymmetricPolyline : public DrawingEditFixture {
 protected:
  void SetUp() override {
    DrawingEditFixture::SetUp();
    reset_symmetry_dialog();
    // The dialog's panel takes four rows above the drawing, as on the Drawing page.
    close_drawing_window(drawing_);
    g_view.area_top = static_cast<int16_t>(4 * g_display.presets[FACE_ROLE_NORMAL].cell_height);
    drawing_ = open_drawing_window();
  }

  // A "Dual" polyline of m own links (every third an arc when `arcs`), loose nodes at height 0,
  // starting left of x = 20, solved.
  static DrawingItem* seeded_dual(uint32_t seed, int m, bool arcs) {
    std::vector<PointF> points(static_cast<size_t>(m) + 3, PointF{0, 0});
    points[0] = {AXIS_X, -12};
    points[1] = {AXIS_X, 22};
    DrawingItem* item = with_id(add_polyline(points));
    LinkRecord* r = item_nodes(item);
    r[0].node_flags = NODE_FIRST | NODE_DUAL;
    r[0].code = r[1].code = LINK_RIGID_LINE;
    fill_seeded_walk(r, m, seed, arcs, SeedWalk{0.3, {12.0f, 4.0f}, false});
    EXPECT_EQ(symmetry_enforce(item), 1);
    return item;
  }

  static DrawingItem* only_item() {
    EXPECT_EQ(count_current_lines(), 1);
    return g_lists.current.first;
  }

  // The node editor on own node j: the pointer on it, a drag to `to`, a click there.
  static void drag_node(DrawingItem* item, int j, PointF to) {
    const int m = item_link_count(item) - 2;
    const bool last = j == m;
    const int32_t link = 2 + (last ? j - 1 : j);
    const PointF from = item_nodes(item)[2 + j].point;
    rest_at(from);
    HoverState& h = g_hover;
    h.hover_item = item;
    h.link_index = link;
    h.hover_link = item_nodes(item) + link;
    h.pick_kind = last ? PICK_END_NODE : PICK_START_NODE;
    h.point_selector = last ? PICK_POINT_NEXT : PICK_POINT_NODE;
    move_to(to);
    click_at(to);
    EXPECT_EQ(node_edit_session(802), 0);
  }

  static void session_on_link(DrawingItem* item, int32_t link, int16_t pick, PointF at, int op) {
    rest_at(at);
    HoverState& h = g_hover;
    h.hover_item = item;
    h.link_index = link;
    h.hover_link = item_nodes(item) + link;
    h.pick_kind = pick;
    h.point_selector = pick == PICK_END_NODE ? PICK_POINT_NEXT : PICK_POINT_NODE;
    EXPECT_EQ(node_edit_session(op), 0);
  }

  static bool dialog_up() {
    const ScreenControl* ok = find_control(13);
    return ok != nullptr && std::strncmp(ok->caption, " OK", 3) == 0;
  }

  // A click on a control of the Symmetry Angle dialog, once the dialog's panel is up.
  static void click_control(int id) {
    typist_pause();  // the click before is read first
    g_typist.steps.push_back(typist_step_when(
        dialog_up,
        [id] {
          const ScreenControl* c = find_control(id);
          ASSERT_NE(c, nullptr) << id;
          const int x = c->x + c->hit_width / 2;
          const int y = c->y + c->hit_height / 2;
          // The pointer gets there first, so the press is read where it happens.
          headless_inject_mouse_move(x + 1, y);
          g_typist.steps.push_front([x, y] {
            headless_inject_mouse_move(x, y);
            headless_inject_mouse_button(1, true, x, y);
            headless_inject_mouse_button(1, false, x, y);
          });
        }));
  }

  static double marker_degrees(const DrawingItem* item) {
    const LinkRecord* r = item_nodes(item);
    return point_angle(&r[0].point, &r[1].point) * 180.0 / ANGLE_PI;
  }
};

struct DragCase {
  uint32_t seed;
  int links;
};

// Each drag moves a random node of either half; the other half follows as its mirror image, the
// dragged node stays where it was dropped (the middle node of an even count goes onto the line).
TEST_F(SymmetricPolyline, SeededPolylinesDraggedAtRandomNodesStaySymmetric) {
  const DragCase cases[] = {{1, 4}, {2, 5}, {3, 8}, {4, 9}, {5, 12}, {6, 13}};
  for (const DragCase& c : cases) {
    free_current_list();
    undo_clear();
    DrawingItem* item = seeded_dual(c.seed, c.links, true);
    std::mt19937 random(c.seed * 7);
    for (int drag = 0; drag < 4; ++drag) {
      const int j = static_cast<int>(random() % static_cast<uint32_t>(c.links + 1));
      const PointF from = item_nodes(item)[2 + j].point;
      const PointF to = {from.x + static_cast<float>(static_cast<int>(random() % 21) - 10) * 0.1f,
                         from.y + static_cast<float>(static_cast<int>(random() % 21) - 10) * 0.1f};
      SCOPED_TRACE(::testing::Message() << "seed " << c.seed << " links " << c.links << " node " << j);
      drag_node(item, j, to);
      item = only_item();
      ASSERT_EQ(item_link_count(item), c.links + 2);
      expect_symmetric(item, "dragged");
      const bool middle = c.links % 2 == 0 && j == c.links / 2;
      if (!middle) {
        EXPECT_NEAR(item_nodes(item)[2 + j].point.x, to.x, PIXEL);
        EXPECT_NEAR(item_nodes(item)[2 + j].point.y, to.y, PIXEL);
      }
    }
  }
}

// One undo step takes a drag back, the mirrored half with it.
TEST_F(SymmetricPolyline, DragOfASymmetricPolylineIsOneUndoStep) {
  DrawingItem* item = seeded_dual(7, 6, true);
  const std::vector<LinkRecord> before(item_nodes(item), item_nodes(item) + 9);
  drag_node(item, 5, {item_nodes(item)[7].point.x + 1.0f, item_nodes(item)[7].point.y - 1.0f});
  EXPECT_NE(item_nodes(only_item())[3].point.x, before[3].point.x) << "the partner followed";
  undo_command();
  for (int i = 0; i < 9; ++i) EXPECT_EQ(item_nodes(only_item())[i].point.x, before[i].point.x) << i;
}

// The perpendicular kind: a node of the first quarter dragged, the shape stays symmetric about
// the marker and about the line at right angles to it through the marker's start.
TEST_F(SymmetricPolyline, PerpendicularKindStaysFourFoldWhenAQuarterNodeIsDragged) {
  std::vector<PointF> ring;
  for (int i = 0; i <= 8; ++i) {
    const double a = ANGLE_PI / 2 + i * ANGLE_TWO_PI / 8;
    ring.push_back({static_cast<float>(AXIS_X + 6 * std::cos(a)), static_cast<float>(5 + 4 * std::sin(a))});
  }
  ring.back() = ring.front();
  DrawingItem* item = with_id(add_polyline(ring));
  item_nodes(item)[0].node_flags = NODE_FIRST | NODE_LOOSE;
  for (int i = 1; i < 8; ++i) item_nodes(item)[i].node_flags = NODE_LOOSE;
  ASSERT_EQ(make_perpendicular_symmetric(item), 8);
  ASSERT_EQ(enforce_perpendicular_symmetry(item), 1);
  const PointF to = {item_nodes(item)[3].point.x - 1.0f, item_nodes(item)[3].point.y + 1.0f};
  drag_node(item, 1, to);
  item = only_item();
  expect_symmetric(item, "perpendicular");
  const LinkRecord* r = item_nodes(item);
  EXPECT_NEAR(r[3].point.x, to.x, PIXEL);
  const double a = point_angle(&r[0].point, &r[1].point) + ANGLE_PI / 2;
  const PointF across = {static_cast<float>(r[0].point.x + std::cos(a)),
                         static_cast<float>(r[0].point.y + std::sin(a))};
  const Reflector perpendicular(r[0].point, across);
  for (int j = 0; j <= 4; ++j) {
    const PointD image = perpendicular.reflect(r[2 + 4 - j].point.x, r[2 + 4 - j].point.y);
    EXPECT_LT(distance_between(image, r[2 + j].point), SYMMETRY_TOLERANCE) << j;
  }
}

// Deleting a node of either half takes its partner; the middle node of an even count goes alone.
TEST_F(SymmetricPolyline, DeletedNodesTakeTheirPartnersButTheMiddleNodeGoesAlone) {
  struct Case {
    int links;
    int node;
    int links_after;
  };
  const Case cases[] = {{6, 1, 4}, {6, 5, 4}, {7, 2, 5}, {7, 5, 5}, {6, 3, 5}};
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.links << " links, node " << c.node);
    free_current_list();
    undo_clear();
    DrawingItem* item = seeded_dual(20 + static_cast<uint32_t>(c.node), c.links, false);
    session_on_link(item, 2 + c.node, PICK_START_NODE, item_nodes(item)[2 + c.node].point, 818);
    item = only_item();
    EXPECT_EQ(item_link_count(item) - 2, c.links_after);
    expect_symmetric(item, "deleted");
  }
}

// A node inserted into a link of either half gets its partner in the other half.
TEST_F(SymmetricPolyline, InsertedNodeGetsItsPartner) {
  for (int link : {1, 4}) {
    SCOPED_TRACE(link);
    free_current_list();
    undo_clear();
    DrawingItem* item = seeded_dual(30, 6, false);
    const LinkRecord* r = item_nodes(item);
    PointF at;
    midpoint(&r[2 + link].point, &r[3 + link].point, &at);
    g_events.modifiers = MODIFIER_SHIFT;  // the node stays where it is put
    session_on_link(item, 2 + link, PICK_ON_LINK_NEAR_START, at, 806);
    g_events.modifiers = 0;
    item = only_item();
    ASSERT_EQ(item_link_count(item), 10);
    expect_symmetric(item, "inserted");
    bool found = false;
    for (int j = 0; j <= 8; ++j)
      found = found || point_distance(&item_nodes(item)[2 + j].point, &at) < 1e-3f;
    EXPECT_TRUE(found) << "the inserted node is where it was put";
  }
}

// The middle link of an odd count is split on the line; the middle node of an even count goes;
// each refuses the other parity and plain polylines.
TEST_F(SymmetricPolyline, MiddleLinkSplitAndMiddleNodeRemoved) {
  DrawingItem* odd = seeded_dual(40, 5, false);
  EXPECT_EQ(remove_middle_node(odd), -1);
  EXPECT_EQ(split_middle_link(odd), 0);
  EXPECT_EQ(item_link_count(odd), 8);
  expect_symmetric(odd, "split");
  EXPECT_NEAR(item_nodes(odd)[5].point.x, AXIS_X, 1e-5);
  EXPECT_EQ(split_middle_link(odd), -1);
  EXPECT_EQ(remove_middle_node(odd), 0);
  EXPECT_EQ(item_link_count(odd), 7);
  expect_symmetric(odd, "removed");
  DrawingItem* plain = add_polyline({{0, 0}, {1, 1}, {2, 0}, {3, 1}, {4, 0}});
  EXPECT_EQ(split_middle_link(plain), -1);
  EXPECT_EQ(remove_middle_node(plain), -1);
  EXPECT_EQ(item_link_count(plain), 4);
}

// "Horizontal" first gives 180 degrees, then 0, each time through the middle; OK keeps it.
TEST_F(SymmetricPolyline, HorizontalTurnsTheLineRoundThenOkKeepsIt) {
  DrawingItem* item = with_id(add_polyline({{5, 0}, {8, 3}, {12, 4}, {16, 3}, {19, 0}}));
  for (int i = 1; i < 4; ++i) item_nodes(item)[i].node_flags = NODE_LOOSE;
  std::vector<double> angles;
  std::vector<PointF> starts;
  start_typist();
  click_control(1);
  g_typist.steps.push_back([&] {
    angles.push_back(marker_degrees(item));
    starts.push_back(item_nodes(item)[0].point);
  });
  click_control(1);
  g_typist.steps.push_back([&] {
    angles.push_back(marker_degrees(item));
    starts.push_back(item_nodes(item)[0].point);
  });
  click_control(13);
  EXPECT_EQ(make_symmetric_polyline(item, 1), 4);
  pump_set_idle_handler(nullptr);
  ASSERT_EQ(angles.size(), 2u);
  EXPECT_NEAR(angles[0], 180.0, 1e-3);
  EXPECT_NEAR(angles[1], 0.0, 1e-3);
  EXPECT_NEAR(starts[0].y, starts[1].y, 1e-4) << "the same horizontal line";
  EXPECT_NEAR(starts[0].y, 4.0f, 1e-4) << "through the middle node";
  EXPECT_EQ(item_nodes(item)[0].node_flags & NODE_DUAL, NODE_DUAL);
  EXPECT_EQ(item_nodes(item)[0].node_flags & NODE_KIND_MASK, 0) << "still open";
  EXPECT_EQ(item_link_count(item), 6);
  expect_symmetric(item, "dialog");
  EXPECT_FALSE(dialog_up()) << "the dialog's panel is gone";
}

// Digits typed open the angle field; a click on another control ends it, the typed angle is
// kept and the clicked control acts at once: OK keeps 30 degrees, "Vertical" turns to 90 first.
TEST_F(SymmetricPolyline, ClickThatEndsTheAngleFieldActsOnTheClickedControl) {
  struct Case {
    std::vector<int> clicks;
    double degrees;
  };
  const Case cases[] = {{{13}, 30.0}, {{2, 13}, 90.0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.degrees);
    free_current_list();
    reset_symmetry_dialog();
    DrawingItem* item = with_id(add_polyline({{5, 0}, {8, 3}, {12, 4}, {16, 3}, {19, 0}}));
    for (int i = 1; i < 4; ++i) item_nodes(item)[i].node_flags = NODE_LOOSE;
    start_typist();
    // One key a wait: the entry opens on the first and drops what was queued before it.
    g_typist.steps.push_back(typist_step_when(dialog_up, [] { headless_inject_text("3"); }));
    typist_text("0");
    for (int id : c.clicks) click_control(id);
    // Should a click be lost, Esc ends the dialog rather than leaving it waiting.
    g_typist.steps.push_back(typist_step_when(
        dialog_up, [] { headless_inject_keystroke(VK_ESCAPE, 0); }));
    EXPECT_EQ(make_symmetric_polyline(item, 1), 4) << "OK, not a cancel";
    pump_set_idle_handler(nullptr);
    EXPECT_NEAR(marker_degrees(item), c.degrees, 1e-3);
    EXPECT_NEAR(g_symmetry_dialog.angle, c.degrees, 1e-3);
    expect_symmetric(item, "typed angle");
    EXPECT_FALSE(dialog_up());
  }
}

// Esc leaves the item for the caller to restore and takes the kept copy away.
TEST_F(SymmetricPolyline, EscCancelsTheDialog) {
  DrawingItem* item = with_id(add_polyline({{5, 0}, {8, 3}, {12, 4}, {16, 3}, {19, 0}}));
  start_typist();
  g_typist.steps.push_back(typist_step_when(
      dialog_up, [] { headless_inject_keystroke(VK_ESCAPE, 0); }));
  EXPECT_EQ(make_symmetric_polyline(item, 1), 0);
  pump_set_idle_handler(nullptr);
  EXPECT_EQ(count_current_lines(), 1) << "the kept copy is gone";
}

// "Closed" then OK closes the polyline through its first node.
TEST_F(SymmetricPolyline, ClosedClosesThroughTheFirstNode) {
  DrawingItem* open = with_id(add_polyline({{5, 0}, {8, 3}, {12, 4}, {16, 3}, {19, 0}}));
  start_typist();
  click_control(5);
  click_control(13);
  EXPECT_EQ(make_symmetric_polyline(open, 1), 4);
  pump_set_idle_handler(nullptr);
  EXPECT_NE(item_nodes(open)[0].node_flags & NODE_KIND_MASK, 0) << "closed";
  ASSERT_EQ(symmetry_enforce(open), 1);
  expect_symmetric(open, "closed");
  const LinkRecord* r = item_nodes(open);
  EXPECT_NEAR(r[2].point.x, r[6].point.x, 1e-5);
  EXPECT_NEAR(r[2].point.y, r[6].point.y, 1e-5);
}

}  // namespace
