// The value forms through the event queue on the headless screen: an empty undo store and edit
// session, the drawing's commands connected, a view of 10 pixels a unit, and a typist who
// answers the form's waits with clicks on its controls, typed fields and boxes closed. The test
// queues its steps, then runs the form; checks queued with then() run while the form waits.
#pragma once

#include <functional>
#include <string>

#include "../editor/editor_fixture.h"
#include "commands/connect_commands.h"
#include "commands/value_form.h"
#include "editor/drawing_commands.h"
#include "editor/edit_session.h"
#include "editor/undo_store.h"
#include "editor/view.h"
#include "geometry/item_edit_state.h"
#include "platform/headless.h"
#include "records/preferences.h"
#include "screen/controls.h"
#include "screen/event_queue.h"
#include "screen/hover.h"
#include "ui/message_box.h"
#include "tests/editor/drawing_window.h"
#include "tests/support/idle_typist.h"
#include "ui/message_box.h"
#include "ui/popups.h"

// The pointer moves onto a world point of the drawing, rests there while the form's hover
// search finds what lies under it, then clicks.
inline void typist_click_world(PointF p) {
  g_typist.steps.push_back([p] {
    int x = 0;
    int y = 0;
    world_to_screen(p, &x, &y);
    y += g_view.area_top;
    ASSERT_LT(x, g_view.area_width);
    headless_inject_mouse_move(x, y);
    g_typist.steps.push_front([x, y] {
      headless_inject_mouse_button(WINDOW_BUTTON_LEFT, true, x, y);
      headless_inject_mouse_button(WINDOW_BUTTON_LEFT, false, x, y);
    });
    g_typist.steps.push_front([] {});
  });
}

class ValueFormFixture : public EditorFixture {
 protected:
  void SetUp() override {
    EditorFixture::SetUp();
    reset_undo_store();
    reset_edit_session();
    reset_item_edit();
    reset_value_form();
    reset_pick_marker();
    g_preferences.current_page = PAGE_DRAWING;
    set_view(10.0f, -10.0f, 30.0f);
    connect_drawing_commands();
    capture_at(300, 300);
    start_typist();
  }
  void TearDown() override {
    pump_set_idle_handler(nullptr);
    g_events.quit_requested = false;
    while (poll_input_code(0) != 0) {
    }
    close_drawing_window(window_);
    window_ = nullptr;
    reset_drawing_commands();
    undo_clear();
    discard_originals();
    EditorFixture::TearDown();
  }

  // The drawing in its window, for a form to run over.
  void open_drawing() {
    close_drawing_window(window_);
    window_ = open_drawing_window();
  }

  static void click_pixel(int x, int y, int button = WINDOW_BUTTON_LEFT) {
    headless_inject_mouse_move(x, y);
    headless_inject_mouse_button(button, true, x, y);
    headless_inject_mouse_button(button, false, x, y);
  }
  // A click in the middle of the open form's control with the id, found when the step runs.
  static void click_control(int id) {
    g_typist.steps.push_back([id] {
      const ScreenControl* c = find_control(id);
      ASSERT_NE(c, nullptr) << id;
      click_pixel(c->x + c->hit_width / 2, c->y + c->hit_height / 2);
    });
  }
  static void click_world(PointF p) { typist_click_world(p); }
  // Types a value into the field being edited (nothing: leaves it as it is) and moves on.
  static void type_field(const std::string& text) {
    if (!text.empty()) typist_text(text);
    typist_key(VK_RETURN);
  }
  static void then(std::function<void()> check) { g_typist.steps.push_back(std::move(check)); }

  // Once a box is up: presses a key at every wait until it has closed (a key that arrives while
  // the box glides the pointer onto itself is taken by the glide).
  static std::function<void()> press_until_closed(int tries = 60) {
    return [tries] {
      if (g_popups.current == nullptr || tries == 0) return;
      headless_inject_keystroke(VK_SPACE, 0);
      g_typist.steps.push_front(press_until_closed(tries - 1));
    };
  }
  // Waits for a box holding the text and closes it.
  static void answer_box(const std::string& text) {
    g_typist.steps.push_back(typist_step_when(
        [text] {
          return g_popups.current != nullptr &&
                 g_message_box.last_text.find(text) != std::string::npos;
        },
        [text] {
          EXPECT_NE(g_message_box.last_text.find(text), std::string::npos);
          press_until_closed()();
        }));
  }
  // Once the box has closed, the user quits the program (a quit request is never dropped as
  // queued keys are): the form ends as by Esc.
  static void quit_after_box() {
    g_typist.steps.push_back(typist_step_when([] { return g_popups.current == nullptr; },
                                              [] { post_quit_request(); }));
  }

  TextLine* window_ = nullptr;
};
