#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/headless.h"
#include "platform/pump.h"
#include "platform/window.h"
#include "screen/display_mode.h"
#include "screen/event_queue.h"
#include "screen/interface_settings.h"
#include "screen/main_form.h"
#include "screen/pointer.h"
#include "ui/text_window.h"

namespace {

class MainFormTest : public ::testing::Test {
 protected:
  void SetUp() override {
    reset_headless();
    std::string error;
    ASSERT_TRUE(window_open(800, 600, "test", &error));
    reset_pump();
    reset_event_queue();
    reset_main_form();
    reset_pointer();
    reset_display();
    reset_window_layer();
    g_display.current.cell_width = 8;
    g_display.current.cell_height = 16;
    g_form.idle_state = 0;  // the program waits for input
    g_interface = InterfaceSettings();
    create_main_form();
    g_form.caption_hidden_count = 0;  // the pages show the caption
  }

  void TearDown() override {
    destroy_main_form();
    reset_pump();
    reset_event_queue();
  }

  // Hands the injected events to the form.
  static void pump() { pump_messages(); }

  // Takes every pending code without pumping.
  static std::vector<int> drain() {
    std::vector<int> codes;
    while (pending_input_count() > 0) codes.push_back(poll_input_code(0));
    return codes;
  }

  // The window becomes active and the pointer is captured at (x, y) by a move.
  static void activate_and_capture(int x, int y) {
    install_main_window_proc();
    headless_inject_focus(true);
    headless_inject_mouse_move(x, y);
    pump();
    drain();
  }
};

// ---- Resize -------------------------------------------------------------------------------------

TEST_F(MainFormTest, ResizeTakesTheOwnSizeAndDropsTypeAhead) {
  headless_inject_mouse_move(123, 45);
  pump();
  push_input_code('a');
  headless_inject_resize(900, 700);
  pump();
  EXPECT_EQ(window_surface()->width, 900);
  EXPECT_EQ(g_interface.display_choice, DISPLAY_CHOICE_OWN_SIZE);
  EXPECT_EQ(g_interface.client_width, 900);
  EXPECT_EQ(g_interface.client_height, 700);
  // The window repaints after a resize, so the pending resize has seen its paint.
  EXPECT_EQ(g_form.resize_pending, RESIZE_PAINTED);
  EXPECT_EQ(g_form.redraw_level, REDRAW_LEVEL_FORM_PAINT);
  EXPECT_EQ(drain(), std::vector<int>{});
  EXPECT_EQ(g_pointer.drawn_x, 123);
  EXPECT_EQ(g_pointer.wanted_y, 45);
  EXPECT_EQ(g_pointer.reference_x, 123);
}

TEST_F(MainFormTest, ResizeBelowTheMinimumSnapsBack) {
  headless_inject_resize(500, 300);
  pump();
  EXPECT_EQ(window_surface()->width, FORM_MIN_CLIENT_WIDTH);
  EXPECT_EQ(window_surface()->height, FORM_MIN_CLIENT_HEIGHT);
  EXPECT_EQ(g_interface.client_width, FORM_MIN_CLIENT_WIDTH);
  EXPECT_EQ(g_interface.client_height, FORM_MIN_CLIENT_HEIGHT);
  EXPECT_EQ(g_interface.display_choice, DISPLAY_CHOICE_OWN_SIZE);
}

TEST_F(MainFormTest, ResizeIsRefusedOrIgnoredInItsStates) {
  struct Case {
    const char* name;
    int caption_hidden;
    int8_t idle_state;
    uint8_t resize_pending;
    int width_after;      // framebuffer width after the user's 900 x 700
    uint8_t choice_after;
  };
  const Case cases[] = {
      {"caption hidden: refused", 1, 0, RESIZE_NONE, 800, 7},
      {"program resizing: taken but not handled", 1, 0, RESIZE_BY_PROGRAM, 900, 7},
      {"before the page loop: taken but not handled", 1, 1, RESIZE_NONE, 900, 7},
      {"pages shown: handled", 0, 0, RESIZE_NONE, 900, DISPLAY_CHOICE_OWN_SIZE},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SetUp();
    g_form.caption_hidden_count = c.caption_hidden;
    g_form.idle_state = c.idle_state;
    g_form.resize_pending = c.resize_pending;
    headless_inject_resize(900, 700);
    pump();
    EXPECT_EQ(window_surface()->width, c.width_after);
    EXPECT_EQ(g_interface.display_choice, c.choice_after);
  }
}

// ---- Activation ---------------------------------------------------------------------------------

TEST_F(MainFormTest, ActivationAsksForARedraw) {
  headless_advance_clock(1234);
  headless_inject_focus(true);
  pump();
  EXPECT_EQ(drain(), std::vector<int>{EVENT_REDRAW});
  EXPECT_TRUE(g_form.active);
  EXPECT_TRUE(g_form.repaint_wanted);
  EXPECT_EQ(g_form.activation_time_ms, 1234u);
}

TEST_F(MainFormTest, DeactivationReleasesThePointer) {
  activate_and_capture(100, 100);
  ASSERT_FALSE(g_pointer.released);
  ASSERT_FALSE(headless_cursor_visible());
  g_pointer.relative_mode = POINTER_RELATIVE_DRAG;
  headless_inject_focus(false);
  pump();
  EXPECT_FALSE(g_form.active);
  EXPECT_TRUE(g_pointer.released);
  EXPECT_EQ(g_pointer.relative_mode, POINTER_RELATIVE_OFF);
  EXPECT_TRUE(headless_cursor_visible());
  EXPECT_EQ(drain(), std::vector<int>{});
}

TEST_F(MainFormTest, ReactivationAfterTheProgramsMinimiseTakesThePointerBackInside) {
  struct Case {
    int cursor_x;
    bool captured;
    std::vector<int> codes;
  };
  const Case cases[] = {
      {300, true, {EVENT_POINTER_MOVE, EVENT_REDRAW}},
      {-50, false, {EVENT_REDRAW}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.cursor_x);
    SetUp();
    activate_and_capture(100, 100);
    // Alt+'/' lets go and minimises.
    headless_inject_key_down(VK_MENU, WINDOW_MOD_ALT);
    headless_inject_key_down(VK_OEM_2, WINDOW_MOD_ALT);
    pump();
    EXPECT_TRUE(headless_window_minimised());
    EXPECT_TRUE(g_form.minimised_by_program);
    EXPECT_TRUE(g_pointer.released);
    drain();

    restore_window_proc();  // the cursor wanders about while the window is away
    headless_inject_mouse_move(c.cursor_x, 200);
    pump();
    headless_inject_focus(true);
    pump();
    EXPECT_EQ(drain(), c.codes);
    EXPECT_FALSE(g_form.minimised_by_program);
    EXPECT_EQ(g_pointer.released, !c.captured);
    if (!c.captured) {
      EXPECT_EQ(g_pointer.drawn_x, -32);
    }
  }
}

// ---- Close --------------------------------------------------------------------------------------

TEST_F(MainFormTest, CloseBoxAndAltF4AskToQuitAndKeepTheWindow) {
  struct Case {
    const char* name;
    bool alt_f4;
    std::vector<int> codes;
  };
  const Case cases[] = {
      // Restoring the minimised window activates it again: a redraw follows.
      {"close box of the minimised window", false, {EVENT_QUIT, EVENT_REDRAW}},
      {"Alt+F4", true, {EVENT_ALT_DOWN, EVENT_QUIT}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SetUp();
    if (c.alt_f4) {
      headless_inject_key_down(VK_MENU, WINDOW_MOD_ALT);
      headless_inject_key_down(VK_F1 + 3, WINDOW_MOD_ALT);
    } else {
      window_minimise();
      pump();
      headless_inject_close();
    }
    pump();
    EXPECT_EQ(drain(), c.codes);
    EXPECT_TRUE(g_events.quit_requested);
    EXPECT_FALSE(headless_window_minimised());
  }
}

// ---- Mouse --------------------------------------------------------------------------------------

// Vertical motion scrolls a list by rows, so the accumulator is measured against the cell
// height (16 here), not the cell width (8).
TEST_F(MainFormTest, MouseDeltaScrollsOncePerCellHeightOfVerticalMotion) {
  g_pointer.scroll_up_key = 329;
  g_pointer.scroll_down_key = 337;
  activate_and_capture(200, 200);
  int dx, dy;
  mouse_delta(&dx, &dy);  // the two fresh starts of a capture
  mouse_delta(&dx, &dy);
  struct Step {
    int y;
    int moved;
    int dy;
    EventCode scroll;
  };
  const Step steps[] = {
      {210, 1, 10, 0},    // 10 is more than a cell width but less than a cell height
      {220, 1, 10, 337},  // 20 is more than a cell height: one row down
      {220, 0, 0, 0},
      {212, 1, -8, 0},
      {203, 1, -9, 329},  // -17: one row up
  };
  for (const Step& s : steps) {
    SCOPED_TRACE(s.y);
    g_pointer.pending_scroll_code = 0;
    headless_inject_mouse_move(200, s.y);
    pump();
    EXPECT_EQ(mouse_delta(&dx, &dy), s.moved);
    EXPECT_EQ(dy, s.dy);
    EXPECT_EQ(g_pointer.pending_scroll_code, s.scroll);
  }
}

TEST_F(MainFormTest, WheelNotchesPostThreeScrollCodesEach) {
  activate_and_capture(200, 200);
  headless_inject_wheel(-2);
  pump();
  EXPECT_EQ(drain(), std::vector<int>(6, EVENT_WHEEL_DOWN));
}

TEST_F(MainFormTest, ClickOnAReleasedPointerOnlyTakesItBack) {
  install_main_window_proc();
  headless_inject_focus(true);
  pump();
  drain();
  ASSERT_TRUE(g_pointer.released);
  headless_inject_mouse_button(WINDOW_BUTTON_LEFT, true, 300, 300);
  pump();
  EXPECT_EQ(drain(), std::vector<int>{EVENT_POINTER_MOVE});
  EXPECT_FALSE(g_pointer.released);
  EXPECT_EQ(g_pointer.button_bits, 0);
  // A double click is two clicks.
  for (int i = 0; i < 2; ++i) {
    headless_inject_mouse_button(WINDOW_BUTTON_LEFT, true, 300, 300);
    headless_inject_mouse_button(WINDOW_BUTTON_LEFT, false, 300, 300);
  }
  headless_inject_mouse_button(WINDOW_BUTTON_RIGHT, true, 300, 300);
  headless_inject_mouse_button(WINDOW_BUTTON_MIDDLE, true, 300, 300);
  pump();
  EXPECT_EQ(drain(), (std::vector<int>{EVENT_LEFT_DOWN, EVENT_LEFT_UP, EVENT_LEFT_DOWN,
                                       EVENT_LEFT_UP, EVENT_RIGHT_DOWN, EVENT_MIDDLE_DOWN}));
  EXPECT_EQ(g_pointer.button_bits, WINDOW_BUTTON_RIGHT | WINDOW_BUTTON_MIDDLE);
}

TEST_F(MainFormTest, OwnMinimiseButtonMinimisesOnRelease) {
  activate_and_capture(200, 200);
  headless_inject_mouse_button(WINDOW_BUTTON_LEFT, true, 790, 5);
  pump();
  g_form.minimise_pending = true;  // the hit test found the minimise button
  EXPECT_FALSE(headless_window_minimised());
  headless_inject_mouse_button(WINDOW_BUTTON_LEFT, false, 790, 5);
  pump();
  EXPECT_TRUE(headless_window_minimised());
  EXPECT_TRUE(g_form.minimised_by_program);
  EXPECT_TRUE(g_pointer.released);
  EXPECT_EQ(drain(), std::vector<int>{EVENT_LEFT_DOWN});
}

TEST_F(MainFormTest, LeavingOverTheFrameReleasesThePointerUnlessDragging) {
  activate_and_capture(200, 200);
  headless_inject_mouse_button(WINDOW_BUTTON_LEFT, true, 200, 200);
  headless_inject_mouse_move(-5, 200);
  pump();
  EXPECT_FALSE(g_pointer.released);
  EXPECT_EQ(drain(), (std::vector<int>{EVENT_LEFT_DOWN, EVENT_POINTER_MOVE}));
  headless_inject_mouse_button(WINDOW_BUTTON_LEFT, false, 200, 200);
  pump();
  // The pointer followed the cursor to the edge; the system cursor is put there and shown.
  g_pointer.wanted_x = 1;
  headless_inject_mouse_move(-5, 200);
  pump();
  EXPECT_TRUE(g_pointer.released);
  int x, y;
  cursor_get_position(&x, &y);
  EXPECT_EQ(x, 1);
  EXPECT_TRUE(headless_cursor_visible());
}

TEST_F(MainFormTest, RelativeModeKeepsTheCursorNearThePointer) {
  activate_and_capture(200, 200);
  g_pointer.relative_mode = POINTER_RELATIVE_DRAG;
  int dx, dy;
  mouse_delta(&dx, &dy);
  mouse_delta(&dx, &dy);
  headless_inject_mouse_move(300, 200);  // 100 to the right: out of the box
  pump();
  int x, y;
  cursor_get_position(&x, &y);
  EXPECT_EQ(x, 200);
  EXPECT_EQ(y, 200);
  // The jump back is not motion; the 100 pixels are.
  EXPECT_EQ(mouse_delta(&dx, &dy), 1);
  EXPECT_EQ(dx, 100);
  EXPECT_EQ(dy, 0);
  headless_inject_mouse_button(WINDOW_BUTTON_LEFT, true, 200, 200);
  headless_inject_mouse_button(WINDOW_BUTTON_LEFT, false, 200, 200);
  pump();
  EXPECT_EQ(g_pointer.relative_mode, POINTER_RELATIVE_OFF);
}

// ---- Keys ---------------------------------------------------------------------------------------

struct Input {
  WindowEventKind kind;
  int key;
  int mods;
};

void inject(const Input& in) {
  switch (in.kind) {
    case WINDOW_EVENT_KEY_DOWN: headless_inject_key_down(in.key, in.mods); break;
    case WINDOW_EVENT_KEY_UP: headless_inject_key_up(in.key, in.mods); break;
    case WINDOW_EVENT_CHAR: headless_inject_text(std::string(1, static_cast<char>(in.key))); break;
    default: break;
  }
}

constexpr WindowEventKind DOWN = WINDOW_EVENT_KEY_DOWN;
constexpr WindowEventKind UP = WINDOW_EVENT_KEY_UP;
constexpr WindowEventKind CHAR = WINDOW_EVENT_CHAR;
constexpr int ALT = WINDOW_MOD_ALT;
constexpr int CTRL = WINDOW_MOD_CTRL;

struct KeyCase {
  const char* name;
  bool window_proc;
  std::vector<Input> inputs;
  std::vector<int> codes;
};

const KeyCase KEY_CASES[] = {
    {"Alt alone", false, {{DOWN, VK_MENU, ALT}, {UP, VK_MENU, 0}}, {EVENT_ALT_DOWN, EVENT_ALT_UP}},
    // The keyboard also types the character 'A' after Alt's release; that copy is dropped.
    {"Alt + keypad 6 5 is character 65",
     false,
     {{DOWN, VK_MENU, ALT},
      {DOWN, VK_NUMPAD0 + 6, ALT},
      {UP, VK_NUMPAD0 + 6, ALT},
      {DOWN, VK_NUMPAD0 + 5, ALT},
      {UP, VK_NUMPAD0 + 5, ALT},
      {UP, VK_MENU, 0}},
     {EVENT_ALT_DOWN, EVENT_ALT_UP, EVENT_ALT_KEYPAD_BASE + 65}},
    {"Alt + comma is the system menu key",
     false,
     {{DOWN, VK_MENU, ALT}, {DOWN, VK_OEM_COMMA, ALT}, {UP, VK_OEM_COMMA, ALT}, {UP, VK_MENU, 0}},
     {EVENT_ALT_DOWN, EVENT_ALT_COMMA, EVENT_ALT_UP}},
    {"Alt + period", false, {{DOWN, VK_MENU, ALT}, {DOWN, VK_OEM_PERIOD, ALT}},
     {EVENT_ALT_DOWN, EVENT_ALT_PERIOD}},
    {"Alt + letter", false, {{DOWN, VK_MENU, ALT}, {DOWN, 'A', ALT}}, {EVENT_ALT_DOWN, 286}},
    {"Ctrl + Alt", false, {{DOWN, VK_CONTROL, CTRL}, {DOWN, VK_MENU, CTRL | ALT}},
     {EVENT_CTRL_DOWN, EVENT_ALT_DOWN}},
    {"F10", false, {{DOWN, VK_F1 + 9, 0}}, {KEY_F1 + 9}},
    {"typed character", false, {{CHAR, 'x', 0}}, {'x'}},
    {"Enter", false, {{DOWN, VK_RETURN, 0}}, {KEY_ENTER}},
    {"Tab before the page loop", false, {{DOWN, VK_TAB, 0}}, {}},
    {"Tab while the page loop runs", true, {{DOWN, VK_TAB, 0}}, {KEY_TAB}},
    {"Ctrl + Tab", true, {{DOWN, VK_CONTROL, CTRL}, {DOWN, VK_TAB, CTRL}},
     {EVENT_CTRL_DOWN, KEY_F1}},
};

TEST_F(MainFormTest, KeysReachTheQueue) {
  for (const KeyCase& c : KEY_CASES) {
    SCOPED_TRACE(c.name);
    SetUp();
    if (c.window_proc) install_main_window_proc();
    for (const Input& in : c.inputs) inject(in);
    pump();
    EXPECT_EQ(drain(), c.codes);
  }
}

// ---- System dialogs -----------------------------------------------------------------------------

TEST_F(MainFormTest, SuspendedInputIsIgnoredAndResumeStartsClean) {
  activate_and_capture(200, 200);
  suspend_input();
  EXPECT_TRUE(headless_cursor_visible());
  headless_inject_key_down(VK_ESCAPE, 0);
  headless_inject_text("a");
  headless_inject_mouse_button(WINDOW_BUTTON_LEFT, true, 250, 250);
  headless_inject_mouse_move(260, 260);
  pump();
  EXPECT_EQ(drain(), std::vector<int>{});
  g_events.modifiers = MODIFIER_CTRL;
  const uint8_t level = g_form.redraw_level;
  resume_input();
  EXPECT_FALSE(g_form.input_suspended);
  EXPECT_FALSE(g_pointer.released);
  EXPECT_FALSE(headless_cursor_visible());
  EXPECT_EQ(g_events.modifiers, 0);
  EXPECT_EQ(g_form.redraw_level, level + 1);
  EXPECT_EQ(drain(), std::vector<int>{});
}

}  // namespace
