// The pick prompts on the headless screen: the user moves the pointer onto a node or a link of a
// polyline and clicks; a wrong kind of pick is refused with a box and the prompt goes on; Esc and
// "Done" cancel; a pick already under the cursor is taken without a prompt.
#include <string>

#include "editor/button_bindings.h"
#include "editor/help_box.h"
#include "editor/hover.h"
#include "editor/pick_prompts.h"
#include "drawing_window.h"
#include "editor_fixture.h"
#include "screen/controls.h"
#include "tests/support/idle_typist.h"
#include "ui/message_box.h"
#include "ui/popups.h"

namespace {

class PickPromptTest : public EditorFixture {
 protected:
  void SetUp() override {
    EditorFixture::SetUp();
    set_view(10.0f, -5.0f, 40.0f);
    line_ = add_polyline({{0, 0}, {10, 0}, {10, 10}});
    g_hover.pick_mode = 14;
    rest_at(pixel_x(20), pixel_y(30));  // over nothing
    drawing_ = open_drawing_window();
    start_typist();
  }
  void TearDown() override {
    pump_set_idle_handler(nullptr);
    close_drawing_window(drawing_);
    EditorFixture::TearDown();
  }

  static int pixel_x(float x) { return static_cast<int>((x + 5.0f) * 10.0f); }
  static int pixel_y(float y) { return g_view.area_top + static_cast<int>((40.0f - y) * 10.0f); }

  void rest_at(int x, int y) {
    capture_at(x, y);
    g_hover.cursor_point = g_hover.raw_cursor_point = screen_to_world(x, y);
    g_hover.previous_cursor_point = g_hover.cursor_point;
  }

  // The hover reader found a pick on the line (its own tests show how); the user clicks the
  // left button where the pointer rests.
  void click_on(int link_index, int pick_kind) {
    DrawingItem* line = line_;
    g_typist.steps.push_back([=] {
      HoverState& h = g_hover;
      h.hover_item = line;
      h.hover_link = item_nodes(line) + link_index;
      h.link_index = link_index;
      h.pick_kind = static_cast<int16_t>(pick_kind);
      headless_inject_mouse_button(WINDOW_BUTTON_LEFT, true, g_pointer.wanted_x, g_pointer.wanted_y);
      headless_inject_mouse_button(WINDOW_BUTTON_LEFT, false, g_pointer.wanted_x, g_pointer.wanted_y);
    });
  }

  // Esc for the refusal box, once it is up.
  static void close_the_box() {
    g_typist.steps.push_back(typist_step_when([] { return g_popups.current != nullptr; },
                                              [] { headless_inject_keystroke(VK_ESCAPE, 0); }));
  }

  // The prompt gave the bindings and the help back as it found them.
  void expect_restored(int16_t left, int help_depth) {
    EXPECT_EQ(g_button_bindings.current[BUTTON_LEFT_BIT], left);
    EXPECT_EQ(g_button_bindings.depth, 0);
    EXPECT_EQ(g_help.depth, help_depth);
  }

  DrawingItem* line_ = nullptr;
  TextLine* drawing_ = nullptr;
};

// A node where a link is wanted is refused with its reason; the link is then taken.
TEST_F(PickPromptTest, PickLinkRefusesANodeAndTakesALink) {
  const int16_t left = g_button_bindings.current[BUTTON_LEFT_BIT];
  click_on(1, PICK_END_NODE);
  close_the_box();
  click_on(0, PICK_ON_LINK_NEAR_START);
  EXPECT_EQ(pick_link(VERB_MIRROR), 0);
  EXPECT_EQ(g_message_box.last_text, PICK_LINK_ONLY_TEXT);
  EXPECT_EQ(g_hover.hover_item, line_);
  EXPECT_EQ(g_hover.pick_kind, PICK_ON_LINK_NEAR_START);
  EXPECT_EQ(g_hover.link_index, 0);
  EXPECT_EQ(g_hover.pick_mode & PICK_MODE_ITEM_REPORTS, 0);
  expect_restored(left, 0);
}

// Dividing, inserting a node and breaking take any item, a node too.
TEST_F(PickPromptTest, PickLinkForDividingTakesANode) {
  for (int verb : {VERB_DIVIDE, VERB_INSERT_NODE, VERB_BREAK}) {
    SCOPED_TRACE(verb);
    g_hover.hover_item = nullptr;
    g_hover.pick_kind = 0;
    g_message_box.last_text.clear();
    click_on(1, PICK_END_NODE);
    EXPECT_EQ(pick_link(verb), 0);
    EXPECT_EQ(g_hover.hover_item, line_);
    EXPECT_EQ(g_hover.pick_kind, PICK_END_NODE);
    EXPECT_EQ(g_message_box.last_text, "");
  }
}

// A link where a node is wanted is refused; the node is then taken, and the pick mode is the
// normal one afterwards.
TEST_F(PickPromptTest, PickNodeRefusesALinkAndTakesANode) {
  click_on(1, PICK_ON_LINK_NEAR_END);
  close_the_box();
  click_on(1, PICK_START_NODE);
  EXPECT_EQ(pick_node(VERB_MOVE_TO_POINT), 0);
  EXPECT_EQ(g_message_box.last_text, PICK_NODE_ONLY_TEXT);
  EXPECT_EQ(g_hover.hover_item, line_);
  EXPECT_EQ(g_hover.pick_kind, PICK_START_NODE);
  EXPECT_EQ(g_hover.link_index, 1);
  EXPECT_EQ(g_hover.pick_mode, 14);
  expect_restored(g_button_bindings.drawing[BUTTON_LEFT_BIT], 0);
}

// What is wanted already under the cursor is taken at once: nothing bound, no help pushed.
TEST_F(PickPromptTest, APickAlreadyUnderTheCursorIsTakenAtOnce) {
  const struct {
    int (*prompt)(int);
    int pick_kind;
  } cases[] = {{pick_link, 17}, {pick_link, 34}, {pick_node, 1}, {pick_node, 2}, {pick_node, -1},
               {pick_item, 1}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.pick_kind);
    g_hover.hover_item = line_;
    g_hover.pick_kind = static_cast<int16_t>(c.pick_kind);
    const int help = g_help.depth;
    EXPECT_EQ(c.prompt(VERB_MIRROR), 0);
    EXPECT_EQ(g_button_bindings.depth, 0);
    EXPECT_EQ(g_help.depth, help);
    EXPECT_EQ(g_typist.idle_calls, 0);  // no prompt waited
  }
}

// Esc cancels; a click on nothing is ignored until then.
TEST_F(PickPromptTest, EscCancels) {
  const int16_t left = g_button_bindings.current[BUTTON_LEFT_BIT];
  typist_click(pixel_x(20), pixel_y(30));  // nothing under it
  typist_key(VK_ESCAPE);
  EXPECT_EQ(pick_node(VERB_MOVE_TO_POINT), -1);
  expect_restored(left, 0);

  typist_key(VK_ESCAPE);
  EXPECT_EQ(pick_link(VERB_MIRROR), -1);
  expect_restored(left, 0);
  EXPECT_EQ(g_hover.pick_mode, 14);
}

}  // namespace
