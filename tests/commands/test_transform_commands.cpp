// MOVE of marked nodes, COPY, PASTE, ROTATE and SCALE driven through the event queue on the
// headless screen: what each leaves in the drawing, what the screen shows, and that one Ctrl+Z
// gives the drawing back.
#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "../support/idle_typist.h"
#include "drawing_edit_fixture.h"
#include "commands/copy_items.h"
#include "commands/move_command.h"
#include "commands/move_nodes.h"
#include "commands/node_edit_session.h"
#include "commands/paste_items.h"
#include "commands/rotate_command.h"
#include "commands/scale_command.h"
#include "editor/coord_entry.h"
#include "editor/drawing_page_state.h"
#include "editor/edit_session.h"
#include "editor/help_box.h"
#include "editor/hover.h"
#include "editor/drawing_commands.h"
#include "editor/image_modes.h"
#include "job/image_record.h"
#include "editor/hover_state.h"
#include "editor/undo_store.h"
#include "editor/view.h"
#include "geometry/item_edit_state.h"
#include "platform/headless.h"
#include "records/job_settings.h"
#include "records/preferences.h"
#include "screen/event_queue.h"
#include "screen/main_form.h"
#include "store/message_ids.h"
#include "tests/geometry/symmetry_oracle.h"
#include "ui/message_box.h"

namespace {

constexpr double PI = 3.14159265358979323846;

class TransformCommands : public DrawingEditFixture {
 protected:
  void SetUp() override {
    DrawingEditFixture::SetUp();
    reset_move_state();
    reset_move_panel();
    reset_rotate_state();
    reset_coord_entry();
  }

  // The pointer rests on the world point, with nothing under it.
  static void rest_at(PointF p) {
    DrawingEditFixture::rest_at(p);
    g_hover.hover_item = nullptr;
    g_hover.pick_kind = 0;
  }

  static void type_text(const char* text) {
    for (const char* c = text; *c != '\0'; ++c) push_input_code(static_cast<unsigned char>(*c));
  }

  static std::string screen_text() {
    const CellMetrics& c = g_display.presets[FACE_ROLE_NORMAL];
    std::string text;
    for (int row = 0; row <= c.last_row; ++row)
      text += text_at(0, row * c.cell_height, FACE_ROLE_NORMAL, c.last_column + 1) + "\n";
    return text;
  }

  static std::vector<DrawingItem*> items() {
    std::vector<DrawingItem*> out;
    for (DrawingItem* i = g_lists.current.first; i != nullptr; i = i->next)
      if (!i->extra.empty() && item_type(i) != 0) out.push_back(i);
    return out;
  }

  static DrawingItem* only_item() {
    const std::vector<DrawingItem*> all = items();
    EXPECT_EQ(all.size(), 1u);
    return all.empty() ? nullptr : all.front();
  }

  // The nodes of every item in drawing order.
  static std::vector<PointF> all_nodes() {
    std::vector<PointF> out;
    for (DrawingItem* i : items())
      for (int32_t k = 0; k <= item_link_count(i); ++k) out.push_back(item_nodes(i)[k].point);
    return out;
  }

  static void expect_points(const std::vector<PointF>& got, const std::vector<PointF>& expected,
                            double tolerance = 1e-4) {
    ASSERT_EQ(got.size(), expected.size());
    for (size_t i = 0; i < got.size(); ++i) {
      EXPECT_NEAR(got[i].x, expected[i].x, tolerance) << "node " << i;
      EXPECT_NEAR(got[i].y, expected[i].y, tolerance) << "node " << i;
    }
  }

  static void mark_nodes(DrawingItem* item, const std::vector<int>& nodes) {
    for (const int n : nodes) item_nodes(item)[n].link_flags |= LINK_NODE_MARKED;
    set_item_flags(item, static_cast<uint8_t>(item_flags(item) | ITEM_FLAG_HAS_MARKED_NODES));
  }

  // A line (0,0)-(10,0) going on, tangent, into a quarter arc about (10,5) up to (15,5).
  static DrawingItem* line_into_arc() {
    DrawingItem* item = with_id(add_polyline({{0, 0}, {10, 0}, {15, 5}}));
    LinkRecord* r = item_nodes(item);
    r[1].code = 5.0f;
    r[1].centre = {10, 5};
    r[1].node_flags = NODE_TANGENT;
    arc_angles_from_points(&r[1]);
    item_bounding_boxes(item);
    return item;
  }
};

// Each NodeMoveMode sets the marked nodes from their own coordinates before the command, the
// given point and the typed distances; the unmarked first node stays.
TEST_F(TransformCommands, ApplyMoveSetsMarkedNodesByEachMode) {
  struct Case {
    int mode;
    PointF node1, node2;
  };
  const Case cases[] = {
      {NODE_MOVE_TO_POINT, {3, 4}, {3, 4}},
      {NODE_MOVE_KEEP_X, {10, 4}, {10, 4}},
      {NODE_MOVE_KEEP_Y, {3, 0}, {3, 10}},
      {NODE_MOVE_X_BY_DISTANCE, {12, 4}, {12, 4}},
      {NODE_MOVE_Y_BY_DISTANCE, {3, 5}, {3, 15}},
      {NODE_MOVE_BY_VECTOR, {13, 4}, {13, 14}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.mode);
    free_current_list();
    DrawingItem* item = with_id(add_polyline({{0, 0}, {10, 0}, {10, 10}}));
    mark_nodes(item, {1, 2});
    g_coord.entry.offset = {2, 5};
    g_edit.selection_mask = ITEM_FLAG_HAS_MARKED_NODES;
    ASSERT_EQ(edit_begin(nullptr, 1), 1);
    apply_move({3, 4}, c.mode);
    expect_points(all_nodes(), {{0, 0}, c.node1, c.node2});
    edit_cancel();
    expect_points(all_nodes(), {{0, 0}, {10, 0}, {10, 10}});
  }
}

// An arc whose two ends are both marked moves whole, centre included, radius and angles kept.
TEST_F(TransformCommands, AnArcWithBothEndsMarkedMovesRigidly) {
  DrawingItem* item = line_into_arc();
  const LinkRecord arc = item_nodes(item)[1];
  mark_nodes(item, {1, 2});
  g_edit.selection_mask = ITEM_FLAG_HAS_MARKED_NODES;
  ASSERT_EQ(edit_begin(nullptr, 1), 1);
  apply_move({1, 2}, NODE_MOVE_BY_VECTOR);
  const LinkRecord* r = item_nodes(g_edit.working_set);
  EXPECT_NEAR(r[1].centre.x, arc.centre.x + 1, 1e-5);
  EXPECT_NEAR(r[1].centre.y, arc.centre.y + 2, 1e-5);
  EXPECT_FLOAT_EQ(r[1].code, arc.code);
  EXPECT_NEAR(r[1].start_angle, arc.start_angle, 1e-5);
  EXPECT_NEAR(r[1].sweep, arc.sweep, 1e-5);
  expect_points({r[0].point, r[1].point, r[2].point}, {{0, 0}, {11, 2}, {16, 7}});
  edit_cancel();
}

// Only the arc's far end is marked: the arc is solved again between the still node and the moved
// one, its two ends on its circle and still tangent to the line at the still node.
TEST_F(TransformCommands, UnmarkedNeighboursAreSolvedAgain) {
  DrawingItem* item = line_into_arc();
  mark_nodes(item, {2});
  g_edit.selection_mask = ITEM_FLAG_HAS_MARKED_NODES;
  ASSERT_EQ(edit_begin(nullptr, 1), 1);
  apply_move({0, 3}, NODE_MOVE_BY_VECTOR);
  const LinkRecord* r = item_nodes(g_edit.working_set);
  expect_points({r[0].point, r[1].point, r[2].point}, {{0, 0}, {10, 0}, {15, 8}});
  ASSERT_TRUE(code_is_arc(r[1].code));
  const double radius = r[1].code;
  EXPECT_NEAR(std::hypot(r[1].point.x - r[1].centre.x, r[1].point.y - r[1].centre.y), radius, 1e-3);
  EXPECT_NEAR(std::hypot(r[2].point.x - r[1].centre.x, r[2].point.y - r[1].centre.y), radius, 1e-3);
  EXPECT_NEAR(r[1].centre.x, 10.0, 1e-3) << "the arc leaves the line without a turn";
  edit_cancel();
}

// A marked node of either half of a symmetric polyline moves where it is sent and its partner
// follows as its mirror image about the line x = 20; the middle node stays on the line.
TEST_F(TransformCommands, MovedNodesOfASymmetricPolylineTakeTheirPartners) {
  struct Case {
    int marked;       // record index of the moved node
    int partner;
    PointF moved, mirrored;
  };
  const Case cases[] = {{3, 5, {15, 6}, {25, 6}}, {5, 3, {27, 6}, {13, 6}}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.marked);
    free_current_list();
    DrawingItem* item =
        with_id(add_polyline({{20, -12}, {20, 22}, {10, 0}, {14, 4}, {20, 6}, {26, 4}, {30, 0}}));
    LinkRecord* r = item_nodes(item);
    r[0].node_flags = NODE_FIRST | NODE_DUAL;
    r[0].code = r[1].code = LINK_RIGID_LINE;
    for (int i = 1; i <= 6; ++i) r[i].node_flags = NODE_LOOSE;
    mark_nodes(item, {c.marked});
    g_edit.selection_mask = ITEM_FLAG_HAS_MARKED_NODES;
    ASSERT_EQ(edit_begin(nullptr, 1), 1);
    apply_move({1, 2}, NODE_MOVE_BY_VECTOR);
    const DrawingItem* moved = g_edit.working_set;
    const LinkRecord* w = item_nodes(moved);
    EXPECT_NEAR(w[c.marked].point.x, c.moved.x, 1e-4);
    EXPECT_NEAR(w[c.marked].point.y, c.moved.y, 1e-4);
    EXPECT_NEAR(w[c.partner].point.x, c.mirrored.x, 1e-4);
    EXPECT_NEAR(w[c.partner].point.y, c.mirrored.y, 1e-4);
    expect_symmetric(moved, "moved");
    edit_cancel();
  }
}

// MOVE by value of the marked nodes is one undo step; a zero offset does nothing.
TEST_F(TransformCommands, MoveByValueIsOneUndoStep) {
  DrawingItem* item = with_id(add_polyline({{0, 0}, {10, 0}, {10, 10}}));
  mark_nodes(item, {2});
  g_coord.entry.offset = {0, 0};
  EXPECT_EQ(move_marked_nodes_by_value(NODE_MOVE_BY_VECTOR), -1);
  EXPECT_EQ(g_undo.step_count, 0);
  g_coord.entry.current = {30, 40};
  ASSERT_EQ(move_marked_nodes_by_value(NODE_MOVE_TO_POINT), 0);
  expect_points(all_nodes(), {{0, 0}, {10, 0}, {30, 40}});
  EXPECT_EQ(item_id(only_item()), 1);
  undo_command();
  expect_points(all_nodes(), {{0, 0}, {10, 0}, {10, 10}});
}

// With the snap on at 15 degrees, a pointer at 44 degrees about the pivot turns the items by 30
// degrees (the quotient is cut, not rounded); Ctrl+Z turns them back.
TEST_F(TransformCommands, RotateSnapsTheAngleDownToTheIncrement) {
  with_id(add_polyline({{0, 0}, {10, 0}}));
  g_rotate.state = ROTATE_SNAP_ON;
  g_rotate.increment = 15.0f;
  rest_at({5, 5});
  ASSERT_EQ(edit_begin(only_item(), 1), 1);
  const double a = 44.0 * PI / 180.0;
  move_to({static_cast<float>(20 * std::cos(a)), static_cast<float>(20 * std::sin(a))});
  headless_inject_keystroke(VK_RETURN, 0);
  EXPECT_EQ(rotate_command({0, 0}), 0);
  const double t = 30.0 * PI / 180.0;
  expect_points(all_nodes(), {{0, 0}, {static_cast<float>(10 * std::cos(t)),
                                       static_cast<float>(10 * std::sin(t))}});
  EXPECT_EQ(g_rotate.state & ROTATE_RUNNING, 0);
  EXPECT_EQ(g_coord.f9_option, -1);
  undo_command();
  expect_points(all_nodes(), {{0, 0}, {10, 0}});
}

// The snap box stands at row 11 near the right edge, whole on the screen: the state, then the
// increment with trailing zeros cut; turned off, the increment's line is blanked.
TEST_F(TransformCommands, RotateSnapBoxIsDrawnAtItsRowNearTheRightEdge) {
  const CellMetrics& c = g_display.presets[FACE_ROLE_NORMAL];
  const int columns = c.last_column + 1;
  const int start = std::min(columns - 20, columns - 23);
  const auto row = [&](int r) {
    std::string line = screen_text();
    for (int k = 0; k < r; ++k) line = line.substr(line.find('\n') + 1);
    return line.substr(0, line.find('\n'));
  };
  g_rotate.state = ROTATE_SNAP_ON;
  g_rotate.increment = 7.5f;
  show_rotate_snap_state();
  EXPECT_EQ(row(11).find('\x97'), static_cast<size_t>(start)) << row(11);
  EXPECT_EQ(row(12).find("Snap mode: ON"), static_cast<size_t>(start + 1)) << screen_text();
  EXPECT_EQ(row(13).find("Increment: 7.5"), static_cast<size_t>(start + 1)) << screen_text();
  EXPECT_EQ(row(14).find('\x97'), static_cast<size_t>(start)) << row(14);
  g_rotate.state = 0;
  show_rotate_snap_state();
  EXPECT_EQ(row(12).find("Snap mode: OFF"), static_cast<size_t>(start + 1)) << screen_text();
  EXPECT_EQ(row(13).find("Increment"), std::string::npos) << screen_text();
}

// A typed angle turns by exactly that; Esc instead leaves the item untouched.
TEST_F(TransformCommands, RotateByTypedAngleOrCancelled) {
  with_id(add_polyline({{0, 0}, {10, 0}}));
  rest_at({5, 5});
  ASSERT_EQ(edit_begin(only_item(), 1), 1);
  type_text("90");
  push_input_code(KEY_ENTER);
  EXPECT_EQ(rotate_command({0, 0}), 0);
  expect_points(all_nodes(), {{0, 0}, {0, 10}});
  rest_at({5, 5});
  ASSERT_EQ(edit_begin(only_item(), 1), 1);
  move_to({-10, 3});
  headless_inject_keystroke(VK_ESCAPE, 0);
  EXPECT_EQ(rotate_command({0, 0}), 27);
  expect_points(all_nodes(), {{0, 0}, {0, 10}});
}

// 10 pixels right then 10 back in one event each: 1.1 then 1 / 1.1, the total shown 1.000 and
// the item as it was.
TEST_F(TransformCommands, ScaleByPointerThereAndBackGivesOne) {
  with_id(add_polyline({{0, 0}, {10, 0}}));
  rest_at({5, 5});
  ASSERT_EQ(edit_begin(only_item(), 1), 1);
  move_to({6, 5});
  move_to({5, 5});
  headless_inject_keystroke(VK_RETURN, 0);
  EXPECT_EQ(scale_command({0, 0}, 0), 0);
  expect_points(all_nodes(), {{0, 0}, {10, 0}}, 1e-4);
  EXPECT_NE(screen_text().find("1.000"), std::string::npos) << screen_text();
}

// A typed factor: 2 doubles every length about the pivot, arc radius included; 0 is refused with
// a message and the item stays as it was.
TEST_F(TransformCommands, ScaleByTypedFactorRefusesZero) {
  DrawingItem* item = line_into_arc();
  rest_at({30, 30});
  ASSERT_EQ(edit_begin(item, 1), 1);
  // The refusal drops what was queued before it: the answers come as the program waits.
  start_typist();
  typist_text("0");
  typist_key(VK_RETURN);
  typist_key(VK_ESCAPE);  // closes the refusal
  typist_key(VK_ESCAPE);
  EXPECT_EQ(scale_command({0, 0}, 0), 27);
  EXPECT_EQ(g_message_box.last_text, SCALE_FACTOR_REFUSED_TEXT);
  expect_points(all_nodes(), {{0, 0}, {10, 0}, {15, 5}});
  EXPECT_FLOAT_EQ(item_nodes(only_item())[1].code, 5.0f);
  ASSERT_EQ(edit_begin(only_item(), 1), 1);
  typist_text("2");
  typist_key(VK_RETURN);
  EXPECT_EQ(scale_command({0, 0}, 0), 0);
  expect_points(all_nodes(), {{0, 0}, {20, 0}, {30, 10}});
  EXPECT_FLOAT_EQ(item_nodes(only_item())[1].code, 10.0f);
  undo_command();
  expect_points(all_nodes(), {{0, 0}, {10, 0}, {15, 5}});
}

// PASTE ended with Enter puts the items back where they were copied; ended with a click their
// lower-left corner is at the click. Each paste is one undo step; an empty clipboard pastes
// nothing.
TEST_F(TransformCommands, PasteByEnterInPlaceAndByClickAtThePointer) {
  EXPECT_EQ(paste_command(ITEM_FLAG_SELECTED), 0);
  DrawingItem* source = with_id(add_polyline({{2, 1}, {12, 1}, {12, 6}}));
  move_to_item_clipboard(source);
  ASSERT_EQ(items().size(), 0u);

  rest_at({20, 20});
  move_to({22, 18});
  headless_inject_keystroke(VK_RETURN, 0);
  EXPECT_EQ(paste_command(ITEM_FLAG_SELECTED), 1);
  expect_points(all_nodes(), {{2, 1}, {12, 1}, {12, 6}});
  EXPECT_EQ(item_id(only_item()), 2);
  EXPECT_EQ(item_flags(only_item()), ITEM_FLAG_SELECTED);
  undo_command();
  EXPECT_EQ(items().size(), 0u);

  rest_at({20, 20});
  click_at({30, 25});
  EXPECT_EQ(paste_command(ITEM_FLAG_SELECTED), 1);
  expect_points(all_nodes(), {{30, 25}, {40, 25}, {40, 30}}, 1e-3);
  undo_command();
  EXPECT_EQ(items().size(), 0u);

  rest_at({20, 20});
  push_input_code(KEY_ESC);
  EXPECT_EQ(paste_command(ITEM_FLAG_SELECTED), -1);
  EXPECT_EQ(items().size(), 0u);
  EXPECT_FALSE(edit_session_open());
}

// COPY places copies by a typed destination from the start point; the original stays, the copy
// gets a new ID, and Ctrl+Z removes exactly the copy.
TEST_F(TransformCommands, CopyToTypedDestinationThenUndo) {
  DrawingItem* item = with_id(add_polyline({{0, 0}, {10, 0}}));
  set_item_flags(item, ITEM_FLAG_SELECTED | ITEM_FLAG_MARKED);
  g_edit.selection_mask = ITEM_FLAG_MARKED;
  rest_at({5, 5});
  ASSERT_EQ(edit_begin(nullptr, 0), 1);
  type_text("5,5");
  push_input_code(KEY_ENTER);
  EXPECT_EQ(copy_to_destination({0, 0}), PLACE_DONE);
  expect_points(all_nodes(), {{0, 0}, {10, 0}, {5, 5}, {15, 5}});
  const std::vector<DrawingItem*> all = items();
  ASSERT_EQ(all.size(), 2u);
  EXPECT_EQ(item_id(all[0]), 1);
  EXPECT_EQ(item_id(all[1]), 2);
  undo_command();
  expect_points(all_nodes(), {{0, 0}, {10, 0}});
  EXPECT_EQ(item_id(only_item()), 1);
}

// MOVE with a typed "30,40" and a click on a node puts that node there through the node editor,
// as one undo step; the panel offers Node, Link and Item.
TEST_F(TransformCommands, MoveCommandPutsAClickedNodeOnTheTypedPoint) {
  with_id(add_polyline({{0, 0}, {10, 0}, {10, 10}}));
  rest_at({5, 5});
  int x = 0, y = 0;
  pixel_of({10, 0}, &x, &y);
  start_typist();
  typist_text("30,40");
  typist_key(VK_RETURN);
  typist_move(x, y);
  typist_pause();
  typist_click(x, y);
  typist_key(VK_ESCAPE);
  EXPECT_EQ(move_command(), 0);
  expect_points(all_nodes(), {{0, 0}, {30, 40}, {10, 10}});
  EXPECT_EQ(item_id(only_item()), 1);
  undo_command();
  expect_points(all_nodes(), {{0, 0}, {10, 0}, {10, 10}});
}

// Marked nodes and a relative value: a click on a marked node moves every marked node by it.
TEST_F(TransformCommands, MoveCommandMovesMarkedNodesByTheTypedValue) {
  DrawingItem* item = with_id(add_polyline({{0, 0}, {10, 0}, {10, 10}}));
  mark_nodes(item, {1, 2});
  rest_at({5, 5});
  int x = 0, y = 0;
  pixel_of({10, 10}, &x, &y);
  start_typist();
  typist_text("*3*-2");
  typist_key(VK_RETURN);
  typist_move(x, y);
  typist_pause();
  typist_click(x, y);
  typist_key(VK_ESCAPE);
  EXPECT_EQ(move_command(), 0);
  expect_points(all_nodes(), {{0, 0}, {13, -2}, {13, 8}});
  undo_command();
  expect_points(all_nodes(), {{0, 0}, {10, 0}, {10, 10}});
}

// "By dragging" with marked nodes: a press on a marked node drags every marked node with the
// pointer and the next press drops them, as one undo step.
TEST_F(TransformCommands, MoveCommandDragsMarkedNodesByDragging) {
  DrawingItem* item = with_id(add_polyline({{0, 0}, {10, 0}, {10, 10}}));
  mark_nodes(item, {1, 2});
  rest_at({5, 5});
  int bx = 0, by = 0;
  move_panel_control_centre(16, &bx, &by);
  ASSERT_GE(bx, 0);
  int x = 0, y = 0, to_x = 0, to_y = 0;
  pixel_of({10, 10}, &x, &y);
  pixel_of({13, 8}, &to_x, &to_y);
  start_typist();
  typist_move(bx, by);
  typist_pause();
  typist_click(bx, by);
  typist_move(x, y);
  typist_pause();
  typist_click(x, y);
  typist_pause();
  typist_move((x + to_x) / 2, (y + to_y) / 2);
  typist_pause();
  typist_move(to_x, to_y);
  typist_pause();
  typist_click(to_x, to_y);
  typist_key(VK_ESCAPE);
  typist_key(VK_ESCAPE);
  EXPECT_EQ(move_command(), 0);
  const std::vector<PointF> moved = all_nodes();
  ASSERT_EQ(moved.size(), 3u);
  expect_points(moved, {{0, 0}, {13, -2}, {13, 8}}, 0.1);
  EXPECT_EQ(moved[2].x - moved[1].x, 0.0f) << "the two nodes moved together";
  EXPECT_NEAR(moved[2].y - moved[1].y, 10.0, 1e-4);
  EXPECT_EQ(g_undo.step_count, 1);
  undo_command();
  expect_points(all_nodes(), {{0, 0}, {10, 0}, {10, 10}});
}

// The panel's Pan button drags the view while the button is held; the drawing stays as it was.
TEST_F(TransformCommands, MovePanelPanButtonDragsTheView) {
  with_id(add_polyline({{0, 0}, {10, 0}, {10, 10}}));
  rest_at({5, 5});
  int x = 0, y = 0;
  move_panel_control_centre(112, &x, &y);
  ASSERT_GE(x, 0);
  const float left = g_view.view_left;
  const float bottom = g_view.view_bottom;
  start_typist();
  typist_move(x, y);
  typist_pause();
  g_typist.steps.push_back([=] { headless_inject_mouse_button(WINDOW_BUTTON_LEFT, true, x, y); });
  typist_pause();
  typist_move(x + 40, y + 30);
  typist_move(x + 80, y + 60);
  g_typist.steps.push_back(
      [=] { headless_inject_mouse_button(WINDOW_BUTTON_LEFT, false, x + 80, y + 60); });
  typist_pause();
  typist_key(VK_ESCAPE);
  EXPECT_EQ(move_command(), 0);
  EXPECT_NE(g_view.view_left, left);
  EXPECT_NE(g_view.view_bottom, bottom);
  expect_points(all_nodes(), {{0, 0}, {10, 0}, {10, 10}});
  EXPECT_EQ(g_undo.step_count, 0);
}

// The Image menu's move: a frame of the image's size is moved by a start point and a typed
// destination, and the image's lower-left corner goes with it; the frame does not stay in the
// drawing and no undo step is left. Esc leaves the image where it was.
TEST_F(TransformCommands, TheBackgroundImageMovesWithItsFrame) {
  g_drawing_commands.move_image_frame = move_image_frame;
  ImageRecord& record = g_image_record;
  record = ImageRecord{};
  ASSERT_EQ(image_alloc(&record.image, 200, 100, 8), 0);
  record.pixels_per_inch = 100.0f;
  record.origin_x = 2.0f;
  record.origin_y = 3.0f;
  rest_at({20, 20});
  int x = 0, y = 0;
  pixel_of({2, 3}, &x, &y);
  start_typist();
  typist_move(x, y);
  typist_pause();
  typist_click(x, y);
  typist_text("12,8");
  typist_key(VK_RETURN);
  EXPECT_EQ(move_image_with_frame(), 0);
  EXPECT_NEAR(record.origin_x, 12.0, 1e-4);
  EXPECT_NEAR(record.origin_y, 8.0, 1e-4);
  EXPECT_EQ(record.placed, 1);
  EXPECT_TRUE(items().empty());
  EXPECT_EQ(g_undo.step_count, 0);

  rest_at({20, 20});
  start_typist();
  typist_move(x, y);
  typist_pause();
  typist_click(x, y);
  typist_move(x + 30, y - 20);
  typist_key(VK_ESCAPE);
  EXPECT_EQ(move_image_with_frame(), -1);
  EXPECT_NEAR(record.origin_x, 12.0, 1e-4);
  EXPECT_NEAR(record.origin_y, 8.0, 1e-4);
  EXPECT_TRUE(items().empty());
  image_free(&record.image);
  record = ImageRecord{};
  g_drawing_commands.move_image_frame = nullptr;
}

// ROTATE shows its help while the items turn and gives the help box back when it ends; MOVE
// shows the help of the target chosen on its panel, and gives it back too.
TEST_F(TransformCommands, RotateAndMoveShowTheirHelpAndGiveItBack) {
  with_id(add_polyline({{0, 0}, {10, 0}}));
  rest_at({5, 5});
  const int depth = g_help.depth;
  int16_t shown = 0;
  ASSERT_EQ(edit_begin(only_item(), 1), 1);
  start_typist();
  g_typist.steps.push_back(typist_step_when(
      [] { return (g_rotate.state & ROTATE_RUNNING) != 0; },
      [&shown] {
        shown = g_help.entries[g_help.depth];
        headless_inject_keystroke(VK_ESCAPE, 0);
      }));
  EXPECT_EQ(rotate_command({0, 0}), 27);
  pump_set_idle_handler(nullptr);
  EXPECT_EQ(shown, MSG_HELP_ROTATE);
  EXPECT_EQ(g_help.depth, depth);

  shown = 0;
  start_typist();
  g_typist.steps.push_back(typist_step_when(
      [depth] { return g_help.depth > depth; },
      [&shown] {
        shown = g_help.entries[g_help.depth];
        headless_inject_keystroke(VK_ESCAPE, 0);
      }));
  EXPECT_EQ(move_command(), 0);
  pump_set_idle_handler(nullptr);
  EXPECT_EQ(shown, MSG_HELP_MOVE_NODE);
  EXPECT_EQ(g_help.depth, depth);
}

}  // namespace
