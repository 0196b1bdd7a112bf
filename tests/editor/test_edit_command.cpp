// The edit-command dispatcher: a code and what lies under the cursor (pick kind, item type),
// with append mode and Shift, choose a node-editing session command, a creation, a message or
// nothing. The commands it starts are recorders; the messages are answered with Esc.
#include <string>
#include <vector>

#include "editor/drawing_commands.h"
#include "editor/edit_command.h"
#include "editor/edit_session.h"
#include "editor/undo_store.h"
#include "drawing_window.h"
#include "editor_fixture.h"
#include "platform/files.h"
#include "platform/headless.h"
#include "platform/pump.h"
#include "store/catalogue.h"
#include "store/message_ids.h"
#include "store/store_host.h"
#include "ui/message_box.h"

namespace {

std::vector<std::string> g_calls;

int record_session(int op) {
  g_calls.push_back("session " + std::to_string(op));
  return 0;
}
void record_create(int code) { g_calls.push_back("create " + std::to_string(code)); }
int record_move() {
  g_calls.push_back("move");
  return 0;
}

// Every box the dispatcher shows is closed at once.
bool press_escape_when_idle() {
  headless_inject_keystroke(VK_ESCAPE, 0);
  return true;
}

enum class On { NOTHING, OPEN, CLOSED, RECTANGLE, CIRCLE, POINT, ELLIPSE, SYMMETRIC };

class EditCommandTest : public EditorFixture {
 protected:
  void SetUp() override {
    EditorFixture::SetUp();
    set_program_folder_for_tests(BRENVIK_PROGRAM_DIR);
    ASSERT_GT(open_catalogue(), 0);
    g_store_host.show_text_box = show_text_box;
    reset_undo_store();
    reset_edit_session();
    reset_drawing_commands();
    g_drawing_commands.node_edit_session = record_session;
    g_drawing_commands.create_item_by_mouse = record_create;
    g_drawing_commands.move_command = record_move;
    set_view(10.0f, -5.0f, 40.0f);
    drawing_ = open_drawing_window();
    pump_set_idle_handler(press_escape_when_idle);
  }
  void TearDown() override {
    pump_set_idle_handler(nullptr);
    undo_clear();
    close_drawing_window(drawing_);
    reset_drawing_commands();
    undo_clear();
    g_events.modifiers = 0;
    g_drawing_page.append_mode = 0;
    g_store_host = StoreHost{};
    reset_catalogue();
    set_program_folder_for_tests("");
    EditorFixture::TearDown();
  }

  // A fresh item of the kind, the drawing's only one.
  static DrawingItem* make(On on, float link_code) {
    free_current_list();
    DrawingItem* item = nullptr;
    switch (on) {
      case On::NOTHING:
      case On::OPEN: item = add_polyline({{0, 0}, {10, 0}, {10, 10}}); break;
      case On::CLOSED:
        item = add_polyline({{0, 0}, {10, 0}, {10, 10}, {0, 0}});
        item_nodes(item)[0].node_flags |= NODE_LOOSE;
        break;
      case On::SYMMETRIC:
        item = add_polyline({{0, 0}, {0, 10}, {5, 0}, {10, 0}});
        item_nodes(item)[0].node_flags |= 0x20;
        break;
      case On::RECTANGLE:
        item = add_polyline({{0, 0}, {10, 0}, {10, 5}, {0, 5}, {0, 0}});
        item->kind = ITEM_RECTANGLE;
        break;
      case On::CIRCLE: item = add_circle({5, 5}, 5.0f); break;
      case On::POINT:
        item = add_polyline({{3, 3}, {3, 3}});
        item->kind = ITEM_POINT;
        break;
      case On::ELLIPSE:
        item = add_polyline({{0, 0}, {10, 0}});
        item->kind = ITEM_ELLIPSE;
        break;
    }
    for (int i = 0; i < item_link_count(item); ++i)
      if (on != On::CIRCLE) item_nodes(item)[i].code = link_code;
    return item;
  }

  // The catalogue message's first line.
  static std::string catalogue_line(int number) {
    std::vector<std::string> lines;
    message_lines_to_array(number, &lines, 1);
    return lines.empty() ? "" : lines[0];
  }

  TextLine* drawing_ = nullptr;
};

// One code under one pick; what the dispatcher started: session commands, creations, a box.
TEST_F(EditCommandTest, ACodeAndWhatIsPickedChooseTheCommand) {
  constexpr int S = MODIFIER_SHIFT;
  const struct Case {
    int code;
    On on;
    int link_index;
    int pick_kind;
    uint8_t append;
    uint8_t modifiers;
    uint8_t shape;       // the context picture the page chose
    float link_code;     // of every link
    std::string expect;  // "; "-separated calls, then "box: " and the start of its text
  } cases[] = {
      // Tools over nothing create; a line tool on an open polyline's end continues it only in
      // append mode, and never a closed one.
      {759, On::NOTHING, 0, 0, 1, 0, 0, 0, "create 759"},
      {759, On::OPEN, 1, PICK_END_NODE, 1, 0, 0, 0, "session 51"},
      {757, On::OPEN, 0, PICK_START_NODE, 1, 0, 0, 0, "session 51"},
      {759, On::OPEN, 1, PICK_END_NODE, 0, 0, 0, 0, "create 759"},
      {759, On::OPEN, 1, PICK_START_NODE, 1, 0, 0, 0, "create 759"},
      {760, On::CLOSED, 2, PICK_END_NODE, 1, 0, 0, 0, "create 760"},
      {145, On::OPEN, 0, PICK_START_NODE, 0, 0, 0, 0, "create 145"},
      // A typed start: creation over nothing, typed node or link entry on a pick.
      {'1', On::NOTHING, 0, 0, 0, 0, 0, 0, "create 149"},
      {'1', On::OPEN, 1, PICK_START_NODE, 0, 0, 0, 0, "session 906"},
      {'1', On::OPEN, 0, PICK_ON_LINK_NEAR_START, 0, 0, 0, 0, "session 907"},
      {'1', On::CIRCLE, 0, PICK_CENTRE, 0, 0, 0, 0, "session 906"},
      {'m', On::NOTHING, 0, 0, 0, 0, 0, 0, "move"},
      {'m', On::OPEN, 1, PICK_START_NODE, 0, 0, 0, 0, "session 900"},
      {806, On::NOTHING, 0, 0, 0, 0, 0, 0, "create 759"},
      {806, On::CIRCLE, 0, PICK_CENTRE, 0, 0, 0, 0, "create 759"},
      {806, On::OPEN, 0, PICK_ON_LINK_NEAR_END, 0, 0, 0, 0, "session 905"},
      {806, On::OPEN, 1, PICK_START_NODE, 0, 0, 0, 0, "create 759"},
      {806, On::OPEN, 1, PICK_END_NODE, 0, 0, 0, 0, "session 806"},
      // Nudges (Ctrl+arrows) on a pick; nothing without one.
      {KEY_CTRL_UP, On::OPEN, 0, PICK_START_NODE, 0, S, 0, 0, "session 908"},
      {KEY_CTRL_UP, On::NOTHING, 0, 0, 0, 0, 0, 0, ""},
      // The centre of an item.
      {807, On::CIRCLE, 0, PICK_CENTRE, 0, 0, 0, 0, "session 802"},
      {KEY_DEL, On::CIRCLE, 0, PICK_CENTRE, 0, 0, 0, 0, "session 820"},
      {KEY_DEL, On::OPEN, 0, PICK_CENTRE, 0, 0, 0, 0, ""},
      // Text spacing, stretch and warp have no command here.
      {823, On::OPEN, 0, PICK_START_NODE, 0, 0, 0, 0, ""},
      {825, On::OPEN, 0, PICK_ON_LINK_NEAR_START, 0, 0, 0, 0, ""},
      // Links of a rectangle: t, j, i never; p, h only on a flexible line.
      {'t', On::RECTANGLE, 0, PICK_ON_LINK_NEAR_START, 0, 0, 0, LINK_FLEXIBLE_LINE, ""},
      {'p', On::RECTANGLE, 0, PICK_ON_LINK_NEAR_START, 0, 0, 0, LINK_FLEXIBLE_LINE, "session 874"},
      {'p', On::RECTANGLE, 0, PICK_ON_LINK_NEAR_START, 0, 0, 0, LINK_RIGID_LINE, ""},
      {'h', On::RECTANGLE, 1, PICK_ON_LINK_NEAR_END, 0, 0, 0, LINK_FLEXIBLE_LINE, "session 896"},
      {'t', On::OPEN, 0, PICK_ON_LINK_NEAR_START, 0, 0, 0, 0, "session 876"},
      {'s', On::OPEN, 0, PICK_ON_LINK_NEAR_START, 0, 0, 0, 0, "session 866"},
      // Inserting into a spline run says why not; into a symmetric line neither.
      {903, On::OPEN, 0, PICK_ON_LINK_NEAR_START, 0, 0, 0, LINK_SPLINE,
       "box: This version doesn't insert nodes into splines"},
      {903, On::OPEN, 0, PICK_ON_LINK_NEAR_START, 0, 0, 0, 0, "session 903"},
      {'b', On::OPEN, 1, PICK_ON_LINK_NEAR_END, 0, 0, 0, 0, "session 929"},
      {806, On::SYMMETRIC, 1, PICK_ON_LINK_NEAR_START, 0, 0, 0, 0,
       "box: This is the \vsymmetry line\x13"},
      // Breaking at a node: an open polyline's ends say why; an ellipse is no polyline.
      {809, On::OPEN, 1, PICK_START_NODE, 0, 0, 0, 0, "session 809"},
      {809, On::OPEN, 1, PICK_END_NODE, 0, 0, 0, 0, "box: It doesn't make sense to break"},
      {809, On::OPEN, 0, PICK_START_NODE, 0, 0, 0, 0, "box: It doesn't make sense to break"},
      {809, On::CLOSED, 0, PICK_START_NODE, 0, 0, 0, 0, "session 809"},
      {809, On::ELLIPSE, 0, PICK_START_NODE, 0, 0, 0, 0, "box: Only polylines, polygons"},
      // h and v on a node only at a circle's first node; l and t with more than one link.
      {'h', On::CIRCLE, 0, PICK_START_NODE, 0, 0, 0, 0, "session 896"},
      {'v', On::OPEN, 0, PICK_START_NODE, 0, 0, 0, 0, ""},
      {'l', On::OPEN, 1, PICK_START_NODE, 0, 0, 0, 0, "session 108"},
      {'l', On::ELLIPSE, 0, PICK_START_NODE, 0, 0, 0, 0, ""},
      {819, On::POINT, 0, PICK_START_NODE, 0, 0, 0, 0, "session 818"},
      {819, On::OPEN, 1, PICK_START_NODE, 0, 0, 0, 0, ""},
      // The context picture decides how 813 and 821 act.
      {813, On::OPEN, 1, PICK_START_NODE, 0, 0, 82, 0, "session 116"},
      {813, On::OPEN, 1, PICK_START_NODE, 0, 0, 83, 0, "session 108"},
      {821, On::OPEN, 0, PICK_ON_LINK_NEAR_START, 0, 0, 80, 0, "session -896"},
      {821, On::OPEN, 0, PICK_ON_LINK_NEAR_START, 0, 0, 74, 0, "session -897"},
      {821, On::OPEN, 0, PICK_ON_LINK_NEAR_START, 0, 0, 11, 0, ""},
      // The start node: already it, a closed item, the far end of an open one (reversed), not
      // a polyline.
      {817, On::OPEN, 0, PICK_START_NODE, 0, 0, 0, 0, "box: That node is already the start"},
      {817, On::CLOSED, 1, PICK_START_NODE, 0, 0, 0, 0, "session 817"},
      {817, On::OPEN, 1, PICK_END_NODE, 0, 0, 0, 0, ""},
      {817, On::CIRCLE, 0, PICK_END_NODE, 0, 0, 0, 0, "box: Only polylines can have"},
      // Shift+Alt+R turns the whole polyline, then changes it all to a spline.
      {910, On::OPEN, 1, PICK_START_NODE, 0, S, 0, 0, "session 910; session 911"},
      {910, On::OPEN, 1, PICK_START_NODE, 0, 0, 0, 0, "session 910"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "code " << c.code << " kind " << c.pick_kind << " on "
                                    << static_cast<int>(c.on));
    DrawingItem* item = make(c.on, c.link_code);
    HoverState& h = g_hover;
    h.hover_item = c.on == On::NOTHING ? nullptr : item;
    h.hover_link = item_nodes(item) + c.link_index;
    h.link_index = c.link_index;
    h.pick_kind = static_cast<int16_t>(c.on == On::NOTHING ? 0 : c.pick_kind);
    h.hover_shape = c.shape;
    g_drawing_page.append_mode = c.append;
    g_events.modifiers = c.modifiers;
    g_calls.clear();
    g_message_box.last_text.clear();
    edit_command(c.code);
    std::string got;
    for (const std::string& call : g_calls) got += (got.empty() ? "" : "; ") + call;
    if (!g_message_box.last_text.empty()) {
      const std::string want_box = c.expect.rfind("box: ", 0) == 0 ? c.expect.substr(5) : "";
      const std::string box = g_message_box.last_text.substr(0, want_box.size());
      got += (got.empty() ? "box: " : "; box: ") + (want_box.empty() ? g_message_box.last_text : box);
    }
    EXPECT_EQ(got, c.expect);
    flush_input();
  }
}

// Joining: a circle is no polyline, a closed polyline joins nothing (both say so); an open one
// joins on while the last item changes, and stops when a round changes nothing.
TEST_F(EditCommandTest, JoiningRefusesWhatCannotJoinAndStopsWhenNothingChanges) {
  const struct {
    On on;
    int message;
  } refused[] = {{On::CIRCLE, MSG_ONLY_POLYLINES_MARKED_NODES}, {On::CLOSED, MSG_JOIN_CLOSED_POLYLINE}};
  for (const auto& c : refused) {
    DrawingItem* item = make(c.on, 0);
    g_hover.hover_item = item;
    g_hover.hover_link = item_nodes(item);
    g_hover.link_index = 0;
    g_hover.pick_kind = PICK_START_NODE;
    g_calls.clear();
    g_message_box.last_text.clear();
    edit_command('j');
    EXPECT_TRUE(g_calls.empty());
    EXPECT_EQ(g_message_box.last_text.rfind(catalogue_line(c.message), 0), 0u)
        << g_message_box.last_text;
  }
  // A join that changes nothing is run once, not for ever.
  DrawingItem* item = make(On::OPEN, 0);
  g_hover.hover_item = item;
  g_hover.hover_link = item_nodes(item) + 1;
  g_hover.link_index = 1;
  g_hover.pick_kind = PICK_END_NODE;
  g_calls.clear();
  edit_command(805);
  EXPECT_EQ(g_calls, std::vector<std::string>{"session 805"});
}

// Ctrl+arrows set the nudge vector by the nudge step, ten steps with Shift held with the key (not
// Shift as it is held when the key is read).
TEST_F(EditCommandTest, NudgesMoveByTheStepAndTenWithShift) {
  g_preferences.nudge = 0.5f;
  const struct {
    int code;
    uint8_t modifiers;
    PointF vector;
  } cases[] = {
      {KEY_CTRL_LEFT, 0, {-0.5f, 0}}, {KEY_CTRL_RIGHT, 0, {0.5f, 0}},
      {KEY_CTRL_UP, MODIFIER_SHIFT, {0, 5.0f}}, {KEY_CTRL_DOWN, 2, {0, -5.0f}},
  };
  for (const auto& c : cases) {
    g_events.last_modifiers = c.modifiers;
    g_events.modifiers = static_cast<uint8_t>(c.modifiers ^ MODIFIER_SHIFT);
    EXPECT_EQ(nudge_vector(c.code), c.code);
    EXPECT_FLOAT_EQ(g_edit.nudge.x, c.vector.x) << c.code;
    EXPECT_FLOAT_EQ(g_edit.nudge.y, c.vector.y) << c.code;
  }
  EXPECT_EQ(nudge_vector('a'), 0);
  EXPECT_FLOAT_EQ(g_edit.nudge.y, -5.0f);  // left as it was
  g_events.modifiers = g_events.last_modifiers = 0;
}

// A new item from a creation gets the next item ID and one undo step of its own, so that
// Ctrl+Z takes it away again.
TEST_F(EditCommandTest, ACreatedItemGetsAnIdAndAnUndoStep) {
  free_current_list();
  g_job_settings.item_id_counter = 7;
  g_drawing_commands.create_item_by_mouse = [](int) {
    DrawingItem* item = add_polyline({{0, 0}, {4, 4}});
    set_item_id(item, 0);
  };
  g_hover.hover_item = nullptr;
  g_hover.pick_kind = 0;
  edit_command(759);
  ASSERT_NE(g_lists.current.last, nullptr);
  EXPECT_EQ(item_id(g_lists.current.last), 8);
  EXPECT_EQ(g_undo.step_count, 1);
  undo_command();
  EXPECT_EQ(count_current_lines(), 0);
}

}  // namespace
