// The node editor driven through the event queue on the headless screen: nodes dragged and
// added, a polygon given a side, a polyline continued with R, T and Esc, measuring, a refused
// position, and every committed edit taken back by undo.
#include <cmath>
#include <cstdlib>
#include <new>
#include <cstring>
#include <vector>

#include "drawing_edit_fixture.h"
#include "commands/node_creation.h"
#include "commands/node_edit_session.h"
#include "editor/button_bindings.h"
#include "editor/coord_entry.h"
#include "editor/drawing_commands.h"
#include "editor/edit_session.h"
#include "editor/hover.h"
#include "editor/hover_state.h"
#include "editor/undo_store.h"
#include "editor/view.h"
#include "geometry/item_edit_state.h"
#include "geometry/node_surgery.h"
#include "platform/headless.h"
#include "records/job_settings.h"
#include "records/preferences.h"
#include "screen/event_queue.h"
#include "screen/main_form.h"
#include "store/float_text.h"
#include "tests/support/idle_typist.h"
#include "ui/message_box.h"

// Allocations of at least this many bytes fail once (0: none), so that a test can make an
// item's node array refuse to grow.
static size_t g_fail_allocation_from = 0;
// With it, only allocations below this many bytes fail (0: no upper bound), so that a box's
// large screen buffers do not take the failure meant for the item.
static size_t g_fail_allocation_below = 0;

void* operator new(size_t n) {
  if (g_fail_allocation_from != 0 && n >= g_fail_allocation_from &&
      (g_fail_allocation_below == 0 || n < g_fail_allocation_below)) {
    g_fail_allocation_from = 0;
    throw std::bad_alloc();
  }
  if (void* p = std::malloc(n != 0 ? n : 1)) return p;
  throw std::bad_alloc();
}
// The replaced operator new allocates with malloc, so free is the matching release.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
#endif
void operator delete(void* p) noexcept { std::free(p); }
// The no-throw forms go to malloc and free too, so that every allocation meets its own release.
void* operator new(size_t n, const std::nothrow_t&) noexcept { return std::malloc(n != 0 ? n : 1); }
void operator delete(void* p, const std::nothrow_t&) noexcept { std::free(p); }
void operator delete(void* p, size_t) noexcept { std::free(p); }
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic pop
#endif

namespace {

class NodeSession : public DrawingEditFixture {
 protected:
  // What the session is started on: the item's link, the pick and the cursor there.
  static void hover(DrawingItem* item, int32_t link, int16_t pick, PointF at) {
    rest_at(at);
    HoverState& h = g_hover;
    h.hover_item = item;
    h.link_index = link;
    h.hover_link = item_nodes(item) + link;
    h.pick_kind = pick;
    h.point_selector = pick == PICK_END_NODE ? PICK_POINT_NEXT : PICK_POINT_NODE;
  }

  // The edited item has these nodes; undo then gives back the stored bytes.
  static void expect_nodes_then_undo(const std::vector<PointF>& expected,
                                     const std::vector<uint8_t>& before) {
    DrawingItem* edited = only_item();
    ASSERT_EQ(item_link_count(edited) + 1, static_cast<int>(expected.size()));
    for (size_t i = 0; i < expected.size(); ++i) {
      EXPECT_NEAR(item_nodes(edited)[i].point.x, expected[i].x, 1e-4) << i;
      EXPECT_NEAR(item_nodes(edited)[i].point.y, expected[i].y, 1e-4) << i;
    }
    undo_command();
    EXPECT_EQ(bytes(only_item()), before);
  }

  static void type_text(const char* text) {
    for (const char* c = text; *c != '\0'; ++c) push_input_code(static_cast<unsigned char>(*c));
  }

  // Every character row of the normal face, as the screen shows it.
  static std::string screen_text() {
    const CellMetrics& c = g_display.presets[FACE_ROLE_NORMAL];
    std::string text;
    for (int row = 0; row <= c.last_row; ++row)
      text += text_at(0, row * c.cell_height, FACE_ROLE_NORMAL, c.last_column + 1) + "\n";
    return text;
  }

  // A line of text drawn from pixel row y in the face, wherever it starts across a cell.
  static bool line_shows(int y, FaceRole role, const std::string& wanted) {
    const CellMetrics& c = g_display.presets[role];
    if (c.cell_width <= 0) return false;
    const int count = g_display.screen_width / c.cell_width - 1;
    for (int x = 0; x < c.cell_width; ++x)
      if (text_at(x, y, role, count).find(wanted) != std::string::npos) return true;
    return false;
  }
  // The message area under the drawing, in the face it is written in.
  static bool message_area_shows(const std::string& wanted) {
    const int y = g_view.area_bottom + g_display.presets[FACE_ROLE_NORMAL].cell_height / 3;
    return line_shows(y, g_display.band > 4 ? FACE_ROLE_SMALL : FACE_ROLE_NORMAL, wanted);
  }

  static DrawingItem* only_item() {
    EXPECT_EQ(count_current_lines(), 1);
    return g_lists.current.first;
  }

  // The item as a job stores it, without the drawn marks that drawing it leaves.
  static std::vector<uint8_t> bytes(const DrawingItem* item) {
    std::vector<uint8_t> out(GEOMETRY_HEADER_SIZE);
    write_geometry_header(item_block(item), out.data());
    const int32_t n = item_link_count(item);
    for (int32_t i = 0; i <= n; ++i) {
      LinkRecord r = item_nodes(item)[i];
      r.link_flags &= static_cast<uint8_t>(~LINK_DRAWN);
      uint8_t record[LINK_RECORD_SIZE];
      if (i < n) write_link_record(&r, record);
      else write_link_node_part(&r, record);
      out.insert(out.end(), record, record + (i < n ? LINK_RECORD_SIZE : LINK_NODE_PART_SIZE));
    }
    out.push_back(item->kind);
    return out;
  }
};

// A node dragged to a new place and dropped with the left button; Ctrl+Z puts the stored item
// back, its ID included.
TEST_F(NodeSession, DraggedNodeIsOneUndoStep) {
  DrawingItem* item = with_id(add_polyline({{0, 0}, {10, 0}, {10, 10}}));
  const std::vector<uint8_t> before = bytes(item);
  hover(item, 1, PICK_START_NODE, {10, 0});
  move_to({12, 3});
  click_at({12, 3});
  const int depth = g_button_bindings.depth;
  EXPECT_EQ(node_edit_session(802), 0);
  EXPECT_EQ(g_button_bindings.depth, depth) << "the drag gives back every binding it saved";
  DrawingItem* edited = only_item();
  EXPECT_EQ(item_id(edited), 1);
  EXPECT_NEAR(item_nodes(edited)[1].point.x, 12.0f, 1e-4);
  EXPECT_NEAR(item_nodes(edited)[1].point.y, 3.0f, 1e-4);
  EXPECT_FALSE(edit_session_open());
  undo_command();
  DrawingItem* restored = only_item();
  EXPECT_EQ(item_id(restored), 1);
  EXPECT_EQ(bytes(restored), before);
}

// Adding a node on a link: with Shift held it is put at the pointer and the edit ends at once;
// a left click within the wait does the same; moving the pointer over two cells drags it.
TEST_F(NodeSession, AddedNodeIsDraggedOnlyWhenThePointerMoves) {
  struct Case {
    const char* name;
    bool shift;
    bool click;
    PointF dragged_to;  // (0, 0): no drag
  };
  const Case cases[] = {{"shift", true, false, {0, 0}},
                        {"click", false, true, {0, 0}},
                        {"drag", false, false, {5, 4}}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    free_current_list();
    undo_clear();
    DrawingItem* item = with_id(add_polyline({{0, 0}, {10, 0}, {10, 10}}));
    const std::vector<uint8_t> before = bytes(item);
    hover(item, 0, PICK_ON_LINK_NEAR_START, {4, 0});
    g_events.modifiers = c.shift ? MODIFIER_SHIFT : 0;
    if (c.click) click_at({4, 0});
    if (c.dragged_to.x != 0.0f) {
      move_to(c.dragged_to);
      click_at(c.dragged_to);
    }
    EXPECT_EQ(node_edit_session(806), 0);
    g_events.modifiers = 0;
    DrawingItem* edited = only_item();
    ASSERT_EQ(item_link_count(edited), 3);
    const PointF expected = c.dragged_to.x != 0.0f ? c.dragged_to : PointF{4, 0};
    EXPECT_NEAR(item_nodes(edited)[1].point.x, expected.x, 1e-4);
    EXPECT_NEAR(item_nodes(edited)[1].point.y, expected.y, 1e-4);
    EXPECT_EQ(item_nodes(edited)[1].node_flags, NODE_LOOSE);
    undo_command();
    EXPECT_EQ(bytes(only_item()), before);
  }
}

// A regular polygon given a node gets one more side and stays regular.
TEST_F(NodeSession, PolygonGainsASideAndStaysRegular) {
  std::vector<PointF> points;
  for (int i = 0; i <= 5; ++i) {
    const double a = i * 2.0 * 3.14159265358979 / 5.0;
    points.push_back({static_cast<float>(8 * std::cos(a)), static_cast<float>(8 * std::sin(a))});
  }
  points.back() = points.front();
  DrawingItem* item = with_id(add_polyline(points));
  item->kind = ITEM_POLYGON;
  item_nodes(item)[0].node_flags = NODE_FIRST | NODE_LOOSE;
  item_nodes(item)[0].centre = {0, 0};
  hover(item, 1, PICK_ON_LINK_NEAR_START, {3, 5});
  g_events.modifiers = MODIFIER_SHIFT;
  EXPECT_EQ(node_edit_session(806), 0);
  g_events.modifiers = 0;
  DrawingItem* edited = only_item();
  ASSERT_EQ(item_link_count(edited), 6);
  const LinkRecord* r = item_nodes(edited);
  for (int i = 0; i <= 6; ++i) {
    EXPECT_NEAR(std::hypot(r[i].point.x, r[i].point.y), 8.0, 1e-4) << i;
    if (i == 6) continue;
    const double side = std::hypot(r[i + 1].point.x - r[i].point.x, r[i + 1].point.y - r[i].point.y);
    EXPECT_NEAR(side, 2 * 8 * std::sin(3.14159265358979 / 6), 1e-4) << i;
  }
  EXPECT_NEAR(r[0].point.x, 8.0f, 1e-4);
  EXPECT_EQ(r[6].point.x, r[0].point.x);
}

// Continuing a polyline from its end: R makes the new link a rigid line behind a loose node,
// T then makes that node tangent so the new link continues the last one; Esc takes the
// rubber-band link back and leaves the polyline as it was.
TEST_F(NodeSession, ContinuedPolylineTakesRigidTangentAndEsc) {
  DrawingItem* item = with_id(add_polyline({{0, 0}, {10, 0}}));
  hover(item, 0, PICK_END_NODE, {10, 0});
  move_to({15, 4});
  push_input_code('r');
  click_at({15, 4});
  EXPECT_EQ(node_edit_session(51), 0);
  DrawingItem* edited = only_item();
  ASSERT_EQ(item_link_count(edited), 2);
  EXPECT_EQ(item_nodes(edited)[1].code, LINK_RIGID_LINE);
  EXPECT_EQ(item_nodes(edited)[1].node_flags & (NODE_LOOSE | NODE_TANGENT), NODE_LOOSE);
  EXPECT_NEAR(item_nodes(edited)[2].point.x, 15.0f, 1e-4);
  EXPECT_EQ(g_edit.continue_node, 2);

  free_current_list();
  undo_clear();
  item = with_id(add_polyline({{0, 0}, {10, 0}}));
  hover(item, 0, PICK_END_NODE, {10, 0});
  move_to({15, 4});
  push_input_code('r');
  push_input_code('t');
  move_to({16, 3});
  click_at({16, 3});
  EXPECT_EQ(node_edit_session(51), 0);
  edited = only_item();
  ASSERT_EQ(item_link_count(edited), 2);
  const LinkRecord* r = item_nodes(edited);
  EXPECT_EQ(r[1].node_flags & (NODE_LOOSE | NODE_TANGENT), NODE_TANGENT);
  // Tangent behind a straight line: the rigid line continues it straight on, as long as the
  // pointer is far from the node.
  EXPECT_NEAR(r[2].point.y, 0.0f, 1e-4);
  EXPECT_NEAR(r[2].point.x, 10.0 + std::hypot(6.0, 3.0), 1e-4);
  EXPECT_EQ(r[1].point.x, 10.0f);

  free_current_list();
  undo_clear();
  item = with_id(add_polyline({{0, 0}, {10, 0}}));
  const std::vector<uint8_t> before = bytes(item);
  hover(item, 0, PICK_END_NODE, {10, 0});
  move_to({15, 4});
  push_input_code(KEY_ESC);
  node_edit_session(51);
  EXPECT_EQ(item_link_count(only_item()), 1);
  EXPECT_EQ(bytes(only_item()), before);
}

// Measuring moves a ruler over the drawing and never changes it: Enter or "Finished" cancel.
TEST_F(NodeSession, MeasuringChangesNothing) {
  for (const bool enter : {true, false}) {
    free_current_list();
    undo_clear();
    DrawingItem* item = with_id(add_polyline({{0, 0}, {10, 0}, {10, 10}}));
    const std::vector<uint8_t> before = bytes(item);
    hover(item, 1, PICK_START_NODE, {10, 0});
    move_to({14, 6});
    if (enter) push_input_code(KEY_ENTER);
    else click_at({14, 6});
    EXPECT_EQ(node_edit_session(59), -1);
    EXPECT_EQ(bytes(only_item()), before);
    EXPECT_EQ(g_undo.current, nullptr);
  }
}

// A pointer position the extrude cannot take (the moved link would meet its neighbour on that
// neighbour's far node) leaves the copy as it was; the next position is taken.
TEST_F(NodeSession, RefusedPositionKeepsTheCopyUntilAPositionWorks) {
  DrawingItem* item = with_id(add_polyline({{0, 0}, {0, 10}, {10, 10}, {10, 0}}));
  const std::vector<uint8_t> before = bytes(item);
  hover(item, 1, PICK_START_NODE, {0, 10});
  move_to({3, 0});
  click_at({3, 0});
  EXPECT_EQ(node_edit_session(810), 0);
  EXPECT_EQ(bytes(only_item()), before);

  free_current_list();
  undo_clear();
  item = with_id(add_polyline({{0, 0}, {0, 10}, {10, 10}, {10, 0}}));
  hover(item, 1, PICK_START_NODE, {0, 10});
  move_to({3, 0});
  move_to({3, 12});
  click_at({3, 12});
  EXPECT_EQ(node_edit_session(810), 0);
  const LinkRecord* r = item_nodes(only_item());
  EXPECT_NEAR(r[1].point.x, 3.0f, 1e-4);
  EXPECT_NEAR(r[1].point.y, 12.0f, 1e-4);
  EXPECT_NEAR(r[2].point.y, 12.0f, 1e-4);
  EXPECT_NEAR(r[0].point.x, 3.0f, 1e-4);
}

// Deleting a node and a link are one-shot edits; each is one undo step.
TEST_F(NodeSession, DeletingNodesAndLinksIsUndone) {
  struct Case {
    int op;
    int32_t link;
    int16_t pick;
    std::vector<PointF> points;
    std::vector<PointF> expected;
  };
  const Case cases[] = {
      // A node between two lines: its neighbours joined.
      {818, 1, PICK_START_NODE, {{0, 0}, {10, 0}, {10, 10}, {20, 10}}, {{0, 0}, {10, 10}, {20, 10}}},
      // The first node of an open polyline: the end link goes.
      {818, 0, PICK_START_NODE, {{0, 0}, {10, 0}, {10, 10}}, {{10, 0}, {10, 10}}},
      // The link between two collinear lines: they merge into one.
      {819, 1, PICK_ON_LINK_NEAR_START, {{0, 0}, {10, 0}, {12, 0}, {20, 0}}, {{0, 0}, {20, 0}}},
      // The link between two lines that meet: the corner is put back.
      {819, 1, PICK_ON_LINK_NEAR_START, {{0, 0}, {10, 0}, {12, 2}, {12, 10}}, {{0, 0}, {12, 0}, {12, 10}}},
      // Between two parallel lines of an open polyline: an empty gap.
      {819, 1, PICK_ON_LINK_NEAR_START, {{0, 0}, {10, 0}, {10, 5}, {0, 5}},
       {{0, 0}, {10, 0}, {10, 5}, {0, 5}}},
  };
  int row = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(row++);
    free_current_list();
    undo_clear();
    DrawingItem* item = with_id(add_polyline(c.points));
    const std::vector<uint8_t> before = bytes(item);
    hover(item, c.link, c.pick, item_nodes(item)[c.link].point);
    EXPECT_EQ(node_edit_session(c.op), 0);
    expect_nodes_then_undo(c.expected, before);
  }
}

// Coordinates typed during a drag, or over a node or a link, put the node, the link or the item
// there as one undo step; the dispatcher's entered point moves a node without asking.
TEST_F(NodeSession, TypedCoordinatesPlaceNodesLinksAndItems) {
  struct Case {
    const char* name;
    int op;
    int32_t link;
    int16_t pick;
    const char* typed;  // null: the entry record holds the point already
    std::vector<PointF> expected;
  };
  const Case cases[] = {
      {"dragged node", 802, 1, PICK_START_NODE, "12,3\r", {{0, 0}, {12, 3}, {10, 10}}},
      {"typed over a node", 906, 1, PICK_START_NODE, "12,3\r", {{0, 0}, {12, 3}, {10, 10}}},
      {"typed over a link", 907, 0, PICK_ON_LINK_NEAR_START, "3,5\r",
       {{3, 5}, {13, 5}, {10, 10}}},
      {"moved item", 804, 0, PICK_START_NODE, "2,1\r", {{2, 1}, {12, 1}, {12, 11}}},
      {"entered point", 926, 1, PICK_START_NODE, nullptr, {{0, 0}, {7, -2}, {10, 10}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    free_current_list();
    undo_clear();
    DrawingItem* item = with_id(add_polyline({{0, 0}, {10, 0}, {10, 10}}));
    const std::vector<uint8_t> before = bytes(item);
    hover(item, c.link, c.pick, item_nodes(item)[c.link].point);
    if (c.typed != nullptr) {
      std::string text = c.typed;
      text.back() = '\0';
      type_text(text.c_str());
      push_input_code(KEY_ENTER);
    } else {
      g_coord.entry.reference = {10, 0};
      g_coord.entry.current = {7, -2};
    }
    EXPECT_EQ(node_edit_session(c.op), 0);
    expect_nodes_then_undo(c.expected, before);
  }
}

// While measuring, the side panel shows the ruler from the node to the cursor: its length, its
// run and rise and its direction in degrees.
TEST_F(NodeSession, MeasuringShowsTheRulerBesideTheDrawing) {
  DrawingItem* item = with_id(add_polyline({{0, 0}, {10, 0}, {10, 10}}));
  hover(item, 1, PICK_START_NODE, {10, 0});
  move_to({13, 4});
  headless_inject_keystroke(VK_RETURN, 0);
  EXPECT_EQ(node_edit_session(59), -1);
  const std::string shown = screen_text();
  for (const double value : {5.0, 3.0, 4.0, 13.0}) {
    const std::string text = format_float_text(value, FLOAT_NINE_COLUMNS | FLOAT_SIX_DECIMALS);
    EXPECT_NE(shown.find(text), std::string::npos) << text << "\n" << shown;
  }
  EXPECT_NE(shown.find("53.13"), std::string::npos) << shown;
}

// Esc while a polyline is drawn node by node takes the last link back and glides the pointer
// onto the node now being dragged; Enter then keeps the polyline as it was before that link.
TEST_F(NodeSession, EscWhileDrawingGlidesBackToThePreviousNode) {
  DrawingItem* item = with_id(add_polyline({{0, 0}, {10, 0}, {10, 10}, {0, 10}}));
  NodeContext& c = g_edit.node;
  c.drawing_mode = NODE_DRAWING_CONTINUE;
  c.drawing_link_count = 1;
  hover(item, 2, PICK_END_NODE, {0, 10});
  move_to({-5, 12});
  push_input_code(KEY_ESC);
  push_input_code(KEY_ENTER);
  EXPECT_EQ(node_edit_session(806), 0);
  c.drawing_mode = 0;
  DrawingItem* edited = only_item();
  ASSERT_EQ(item_link_count(edited), 3);
  EXPECT_NEAR(item_nodes(edited)[3].point.x, 0.0f, 1e-4);
  EXPECT_NEAR(item_nodes(edited)[3].point.y, 10.0f, 1e-4);
  int x = 0;
  int y = 0;
  pixel_of({0, 10}, &x, &y);
  EXPECT_EQ(g_pointer.wanted_x, x);
  EXPECT_EQ(g_pointer.wanted_y, y);
}

// A measured point waits: the pointer goes to it and the message area asks for a key; the key
// (or a click) lets the ruler go on from there, with the toggles back; Enter then ends the
// measuring, which changed nothing.
TEST_F(NodeSession, AMeasuredPointWaitsForAKeyBeforeMeasuringGoesOn) {
  for (const bool click : {false, true}) {
    SCOPED_TRACE(click ? "click" : "key");
    free_current_list();
    undo_clear();
    DrawingItem* item = with_id(add_polyline({{0, 0}, {10, 0}, {10, 10}}));
    const std::vector<uint8_t> before = bytes(item);
    hover(item, 1, PICK_START_NODE, {10, 0});
    start_typist();
    // The point is typed: the entry line takes it as a click at (13, 4).
    typist_text("13,4");
    typist_key(VK_RETURN);
    bool asked = false;
    int wanted_x = -1;
    int wanted_y = -1;
    int waits_for_answer = 0;
    g_typist.steps.push_back(typist_step_when(
        [] { return message_area_shows("Press a key to continue measuring..."); },
        [&] {
          asked = message_area_shows("Press a key to continue measuring...");
          wanted_x = g_pointer.wanted_x;
          wanted_y = g_pointer.wanted_y;
          // One more wait with nothing to read: the measuring stays where it is.
          waits_for_answer = g_typist.idle_calls;
        }));
    typist_pause();
    typist_pause();
    bool still_asked = false;
    g_typist.steps.push_back([&] {
      still_asked = message_area_shows("Press a key to continue measuring...");
      if (click) {
        headless_inject_mouse_button(WINDOW_BUTTON_LEFT, true, wanted_x, wanted_y);
        headless_inject_mouse_button(WINDOW_BUTTON_LEFT, false, wanted_x, wanted_y);
      } else {
        headless_inject_text("k");
      }
    });
    bool toggles_back = false;
    g_typist.steps.push_back(typist_step_when(
        [] { return message_area_shows("On/Off toggles:"); },
        [&] {
          toggles_back = message_area_shows("On/Off toggles:");
          headless_inject_keystroke(VK_RETURN, 0);
        }));
    EXPECT_EQ(node_edit_session(59), -1);
    pump_set_idle_handler(nullptr);
    EXPECT_TRUE(asked) << "no wait for a key after the measured point";
    EXPECT_GT(waits_for_answer, 0);
    EXPECT_TRUE(still_asked) << "the wait ended without a key";
    int x = 0;
    int y = 0;
    pixel_of({13, 4}, &x, &y);
    EXPECT_EQ(wanted_x, x) << "the pointer waits on the measured point";
    EXPECT_EQ(wanted_y, y);
    EXPECT_TRUE(toggles_back);
    EXPECT_TRUE(g_typist.steps.empty());
    EXPECT_EQ(bytes(only_item()), before);
    EXPECT_EQ(g_undo.current, nullptr);
  }
}

// Drawing on from an arc drawn behind a loose node: Esc takes the new link back and the arc is
// drawn again by three points (it is a flexible line until its second point is clicked), so the
// next two clicks give an arc through the node, the second point and the end.
TEST_F(NodeSession, EscBackOntoAnArcBehindALooseNodeDrawsTheArcAgain) {
  // A line to (10, 0), then an arc over the top to (20, 0) about (15, 0), loose at (10, 0).
  DrawingItem* item = with_id(add_polyline({{0, 0}, {10, 0}, {20, 0}}));
  LinkRecord* r = item_nodes(item);
  r[1].code = 5.0f;
  r[1].centre = {15, 0};
  r[1].link_flags = LINK_CLOCKWISE;
  arc_angles_from_points(r + 1);
  r[1].node_flags = NODE_LOOSE;
  item_bounding_boxes(item);
  const std::vector<uint8_t> before = bytes(item);
  NodeContext& c = g_edit.node;
  c.drawing_mode = NODE_DRAWING_CONTINUE;
  c.drawing_link_count = 0;
  hover(item, 1, PICK_END_NODE, {20, 0});
  start_typist();
  // The pointer leaves the node, drawing the new link, before Esc.
  int x = 0;
  int y = 0;
  pixel_of({24, 6}, &x, &y);
  typist_move(x, y);
  typist_key(VK_ESCAPE);
  // Once the arc is drawn again the left button sets its second point.
  int links_after_esc = -1;
  float code_after_esc = 1.0f;
  std::string corner;
  std::string notice;
  int glided_x = -1;
  int glided_y = -1;
  g_typist.steps.push_back(typist_step_when(
      [] { return bound_command(BUTTON_LEFT_BIT) == 886; },
      [&] {
        DrawingItem* copy = g_edit.working_set;
        links_after_esc = item_link_count(copy);
        code_after_esc = item_nodes(copy)[1].code;
        corner = screen_text();
        notice = g_message_box.last_text;
        glided_x = g_pointer.wanted_x;
        glided_y = g_pointer.wanted_y;
      }));
  const PointF second = {14, 4};
  const PointF end = {19, 3};
  for (const PointF& p : {second, end}) {
    int px = 0;
    int py = 0;
    pixel_of(p, &px, &py);
    typist_move(px, py);
    typist_click(px, py);
  }
  EXPECT_EQ(node_edit_session(806), 0);
  pump_set_idle_handler(nullptr);
  c.drawing_mode = 0;
  EXPECT_EQ(links_after_esc, 2) << "Esc takes the new link back";
  EXPECT_EQ(code_after_esc, LINK_FLEXIBLE_LINE) << "the arc starts again as a line";
  EXPECT_NE(corner.find("Drawing an arc"), std::string::npos) << corner;
  EXPECT_NE(notice.find("Changed to arc"), std::string::npos) << notice;
  pixel_of({20, 0}, &x, &y);
  EXPECT_EQ(glided_x, x) << "the pointer goes back to the node being dragged";
  EXPECT_EQ(glided_y, y);
  // The arc through (10, 0), the second point and the end, by the test's own circle.
  DrawingItem* edited = only_item();
  ASSERT_EQ(item_link_count(edited), 2);
  const LinkRecord* a = item_nodes(edited);
  EXPECT_NEAR(a[2].point.x, end.x, 1e-4);
  EXPECT_NEAR(a[2].point.y, end.y, 1e-4);
  ASSERT_GT(a[1].code, 0.0f);
  const double ax = 10, ay = 0, bx = second.x, by = second.y, cx = end.x, cy = end.y;
  const double d = 2 * (ax * (by - cy) + bx * (cy - ay) + cx * (ay - by));
  const double ux = ((ax * ax + ay * ay) * (by - cy) + (bx * bx + by * by) * (cy - ay) +
                     (cx * cx + cy * cy) * (ay - by)) / d;
  const double uy = ((ax * ax + ay * ay) * (cx - bx) + (bx * bx + by * by) * (ax - cx) +
                     (cx * cx + cy * cy) * (bx - ax)) / d;
  EXPECT_NEAR(a[1].centre.x, ux, 1e-3);
  EXPECT_NEAR(a[1].centre.y, uy, 1e-3);
  EXPECT_NEAR(a[1].code, std::hypot(ax - ux, ay - uy), 1e-3);
  EXPECT_EQ(g_edit.continue_node, 2) << "the next node is asked for at the arc's end";
  undo_command();
  EXPECT_EQ(bytes(only_item()), before);
}

// Ctrl+arrows nudge the item by the preference step, ten steps with Shift held as well; the
// running totals show in the side panel, both of them, and letting Ctrl go ends the nudging as
// one undo step. The keys come in faster than the program reads them: Shift counts as it was
// held with its key.
TEST_F(NodeSession, CtrlArrowsNudgeTheItemUntilCtrlIsLetGo) {
  DrawingItem* item = with_id(add_polyline({{0, 0}, {10, 0}, {10, 10}}));
  const std::vector<uint8_t> before = bytes(item);
  g_preferences.nudge = 0.01f;
  g_preferences.drawing.side_panel = 1;
  hover(item, 0, PICK_ON_LINK_NEAR_START, {5, 0});
  start_typist();
  g_typist.steps.push_back([] {
    headless_inject_key_down(VK_CONTROL, WINDOW_MOD_CTRL);
    for (int k = 0; k < 2; ++k) {
      headless_inject_key_down(VK_RIGHT, WINDOW_MOD_CTRL);
      headless_inject_key_up(VK_RIGHT, WINDOW_MOD_CTRL);
    }
    headless_inject_key_down(VK_SHIFT, WINDOW_MOD_CTRL | WINDOW_MOD_SHIFT);
    headless_inject_key_down(VK_UP, WINDOW_MOD_CTRL | WINDOW_MOD_SHIFT);
    headless_inject_key_up(VK_UP, WINDOW_MOD_CTRL | WINDOW_MOD_SHIFT);
    headless_inject_key_up(VK_SHIFT, WINDOW_MOD_CTRL);
  });
  std::string shown;
  g_typist.steps.push_back([&shown] {
    shown = screen_text();
    headless_inject_key_up(VK_CONTROL, 0);
  });
  EXPECT_EQ(node_edit_session(908), 0);
  pump_set_idle_handler(nullptr);
  g_events.modifiers = 0;
  EXPECT_TRUE(g_typist.steps.empty());
  EXPECT_NE(shown.find("Total movement"), std::string::npos) << shown;
  constexpr int TOTALS = FLOAT_NINE_COLUMNS | FLOAT_SIX_DECIMALS;
  EXPECT_NE(shown.find("X: " + format_float_text(0.02f, TOTALS)), std::string::npos) << shown;
  EXPECT_NE(shown.find("Y: " + format_float_text(0.1f, TOTALS)), std::string::npos) << shown;
  expect_nodes_then_undo({{0.02f, 0.1f}, {10.02f, 0.1f}, {10.02f, 10.1f}}, before);
}

// A node inserted by construction: a point snapped from the menu (the midpoint of two typed
// points) goes onto the link at its foot, as one undo step; a point whose foot falls beyond the
// link inserts nothing and leaves no undo step.
TEST_F(NodeSession, ANodeByConstructionGoesOntoTheLinkAtTheSnappedPointsFoot) {
  struct Case {
    const char* name;
    const char* first;
    const char* second;
    int result;
    std::vector<PointF> expected;  // empty: the item as it was
  };
  const Case cases[] = {
      {"on the link", "2,1", "4,-1", 0, {{0, 0}, {3, 0}, {10, 0}, {10, 10}}},
      {"beyond it", "20,5", "22,5", -1, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    free_current_list();
    undo_clear();
    DrawingItem* item = with_id(add_polyline({{0, 0}, {10, 0}, {10, 10}}));
    const std::vector<uint8_t> before = bytes(item);
    hover(item, 0, PICK_ON_LINK_NEAR_START, {2, 0});
    start_typist();
    typist_key(VK_RETURN);  // the snap menu's first line: Midpoint
    typist_text(c.first);
    typist_key(VK_RETURN);
    typist_text(c.second);
    typist_key(VK_RETURN);
    EXPECT_EQ(node_edit_session(903), c.result);
    pump_set_idle_handler(nullptr);
    EXPECT_TRUE(g_typist.steps.empty());
    if (c.expected.empty()) {
      EXPECT_EQ(bytes(only_item()), before);
      EXPECT_EQ(g_undo.current, nullptr);
      continue;
    }
    expect_nodes_then_undo(c.expected, before);
  }
}

// A polyline or spline drawn node by node on the entry line: typed points become nodes, Esc takes
// the last one back, "c" closes the figure with a loose first node, ends typed onto each other
// close by the join tolerance, and fewer than two points make no item.
TEST_F(NodeSession, PolylineDrawnByTypedNodes) {
  struct Case {
    const char* name;
    int spline;
    std::vector<const char*> typed;  // each entry is followed by Enter; "" is a bare Enter
    std::vector<PointF> expected;    // no points: no item
    bool closed;
  };
  const Case cases[] = {
      {"closed by c", 0, {"0,0", "10,0", "10,5", "c"}, {{0, 0}, {10, 0}, {10, 5}, {0, 0}}, true},
      {"esc takes back", 0, {"0,0", "10,0", "20,7", "\x1b", "10,5", ""},
       {{0, 0}, {10, 0}, {10, 5}}, false},
      {"ends meet", 0, {"0,0", "10,0", "10,5", "0,0", ""}, {{0, 0}, {10, 0}, {10, 5}, {0, 0}},
       true},
      {"spline", 1, {"0,0", "5,5", "10,0", ""}, {{0, 0}, {5, 5}, {10, 0}}, false},
      {"one point", 0, {"3,3", ""}, {}, false},
      {"esc at once", 0, {"\x1b"}, {}, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    free_current_list();
    for (const char* t : c.typed) {
      if (t[0] == 0x1b) {
        push_input_code(KEY_ESC);
        continue;
      }
      type_text(t);
      push_input_code(KEY_ENTER);
    }
    draw_polyline_by_nodes(c.spline);
    if (c.expected.empty()) {
      EXPECT_EQ(count_current_lines(), 0);
      continue;
    }
    DrawingItem* item = only_item();
    ASSERT_NE(item, nullptr);
    ASSERT_EQ(item_link_count(item) + 1, static_cast<int>(c.expected.size()));
    const LinkRecord* r = item_nodes(item);
    for (size_t i = 0; i < c.expected.size(); ++i) {
      EXPECT_NEAR(r[i].point.x, c.expected[i].x, 1e-5) << i;
      EXPECT_NEAR(r[i].point.y, c.expected[i].y, 1e-5) << i;
    }
    EXPECT_EQ((r[0].node_flags & NODE_KIND_MASK) != 0, c.closed);
    if (std::string(c.name) == "closed by c") {
      EXPECT_EQ(r[0].node_flags, NODE_FIRST | NODE_LOOSE);
    }
    for (int32_t i = 0; i < item_link_count(item); ++i) {
      EXPECT_EQ(r[i].code, c.spline != 0 ? LINK_SPLINE : LINK_FLEXIBLE_LINE) << i;
      if (i > 0) {
        EXPECT_EQ(r[i].node_flags, c.spline != 0 ? NODE_TANGENT : NODE_LOOSE) << i;
      }
    }
  }
}

// A node array that cannot grow drops the edit: the item stays as it was stored and no undo
// step is left behind.
TEST_F(NodeSession, FailedNodeArrayGrowCancelsTheEdit) {
  std::vector<PointF> points;
  for (int i = 0; i <= 60; ++i) points.push_back({static_cast<float>(i), static_cast<float>(i % 2)});
  for (const int op : {806, 51}) {
    SCOPED_TRACE(op);
    free_current_list();
    undo_clear();
    DrawingItem* item = with_id(add_polyline(points));
    const std::vector<uint8_t> before = bytes(item);
    if (op == 806) hover(item, 10, PICK_ON_LINK_NEAR_START, {10.5f, 0.5f});
    else hover(item, 59, PICK_END_NODE, points.back());
    g_events.modifiers = MODIFIER_SHIFT;
    g_fail_allocation_from = block_alloc_size(item_block(item)->cam_kind, 61);
    EXPECT_EQ(node_edit_session(op), -1);
    const bool failed = g_fail_allocation_from == 0;
    g_fail_allocation_from = 0;
    g_events.modifiers = 0;
    EXPECT_TRUE(failed) << "the grow was not tried";
    EXPECT_FALSE(edit_session_open());
    EXPECT_EQ(g_undo.current, nullptr);
    EXPECT_EQ(bytes(only_item()), before);
  }
}

// Dividing a link whose item cannot grow tells the user so and drops the edit; Esc at the
// question drops it without a word. Either way the item stays as stored and no undo step is left.
// The box of the item that cannot grow (its catalogue text, or its number where the test has no
// catalogue) was the last one shown.
bool told_no_memory() {
  const std::string& t = g_message_box.last_text;
  return t.find("not enough memory") != std::string::npos || t.find("11013") != std::string::npos;
}

TEST_F(NodeSession, DividingALinkThatCannotGrowIsToldApartFromEsc) {
  for (const bool esc : {false, true}) {
    SCOPED_TRACE(esc ? "Esc" : "no memory");
    free_current_list();
    undo_clear();
    std::vector<PointF> points;
    for (int i = 0; i <= 600; ++i) points.push_back({static_cast<float>(i), static_cast<float>(i % 2)});
    DrawingItem* item = with_id(add_polyline(points));
    const std::vector<uint8_t> before = bytes(item);
    // The node array grows to at least one more link and at most twice its size.
    const size_t grown = block_alloc_size(item_block(item)->cam_kind, 601);
    g_fail_allocation_below = 2 * item->extra.capacity() + 1;
    hover(item, 0, PICK_ON_LINK_NEAR_START, {0.5f, 0.5f});
    bool told = false;
    reset_message_box();
    start_typist();
    if (esc) {
      typist_key(VK_ESCAPE);
    } else {
      typist_text("3");
      // The grow is the next large allocation after the question closes.
      g_typist.steps.push_back([grown] {
        g_fail_allocation_from = grown;
        headless_inject_keystroke(VK_RETURN, 0);
      });
      g_typist.steps.push_back(typist_step_when(
          [] { return told_no_memory(); },
          [&told] {
            told = told_no_memory();
            headless_inject_keystroke(VK_RETURN, 0);
          }));
    }
    EXPECT_EQ(node_edit_session(904), -1);
    pump_set_idle_handler(nullptr);
    if (!esc) {
      EXPECT_EQ(g_fail_allocation_from, 0u) << "the grow was not tried";
    }
    g_fail_allocation_from = 0;
    g_fail_allocation_below = 0;
    EXPECT_EQ(told, !esc) << g_message_box.last_text;
    EXPECT_FALSE(edit_session_open());
    EXPECT_EQ(g_undo.current, nullptr);
    EXPECT_EQ(bytes(only_item()), before);
  }
}

// An edited machining item keeps the machining order numbered without gaps: the order is
// renumbered when the edit is committed.
TEST_F(NodeSession, EditedMachiningItemRenumbersTheOrder) {
  const int16_t orders[] = {5, 9};
  std::vector<DrawingItem*> items;
  for (int k = 0; k < 2; ++k) {
    ASSERT_EQ(new_geometry_block("", nullptr, 1, 0, GEOMETRY_KIND_MACHINABLE), 0);
    DrawingItem* item = with_id(g_lists.current.last);
    item->kind = ITEM_POLYLINE;
    item->state = ITEM_FLAG_SELECTED;
    LinkRecord* r = item_nodes(item);
    r[0].point = {0, static_cast<float>(5 * k)};
    r[1].point = {10, static_cast<float>(5 * k)};
    item_bounding_boxes(item);
    set_item_machining_order(item, orders[k]);
    items.push_back(item);
  }
  hover(items[0], 0, PICK_END_NODE, {10, 0});
  move_to({12, 2});
  click_at({12, 2});
  EXPECT_EQ(node_edit_session(802), 0);
  std::vector<int16_t> numbered;
  for (DrawingItem* i = g_lists.current.first; i != nullptr; i = i->next)
    numbered.push_back(block_machining_order(item_block(i)));
  EXPECT_EQ(numbered, (std::vector<int16_t>{1, 2}));
}

}  // namespace
