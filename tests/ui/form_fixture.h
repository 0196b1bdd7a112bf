// Dialog-form tests: the text-window screen with the program's message catalogue open, the
// forms' state reset, and a short idle limit so that a form waiting for keys that never come
// ends (with the quit code) instead of hanging the test.
#pragma once

#include <string>

#include "platform/files.h"
#include "platform/pump.h"
#include "screen/main_form.h"
#include "store/catalogue.h"
#include "tests/support/idle_typist.h"
#include "tests/ui/window_fixture.h"
#include "ui/dialog_form.h"
#include "ui/one_number_form.h"

class FormTest : public WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    reset_dialog_forms();
    reset_catalogue();
    set_program_folder_for_tests(BRENVIK_PROGRAM_DIR);
    ASSERT_GT(open_catalogue(), 0);
    headless_set_idle_limit(20000);
    g_dialog_number = 0;
    // What opening the screen left behind is no input of the tests'.
    pump_messages();
    flush_input();
    g_form.redraw_level = 0;
  }

  void TearDown() override {
    if (form_ != nullptr) destroy_window(form_);
    form_ = nullptr;
    reset_catalogue();
    set_program_folder_for_tests("");
    reset_files();
    WindowTest::TearDown();
  }

  // Builds the form and makes it the active window, as run_window would.
  TextLine* open_form(int message, WindowKeyFilter handler) {
    form_ = build_dialog(message, handler);
    if (form_ != nullptr) activate_window(form_);
    return form_;
  }

  // Puts the cursor on field n of the active form.
  static void cursor_to_field(int n) {
    TextWindow* w = g_windows.active;
    g_lists.cursor_line = w->first_line;
    w->cursor_row = 0;
    for (int i = 0; i < n && g_lists.cursor_line->next != nullptr; ++i) {
      g_lists.cursor_line = g_lists.cursor_line->next;
      ++w->cursor_row;
    }
  }

  // The text of a field's value cells.
  std::string value_text(int field, int count) const {
    const TextWindow* w = g_windows.active;
    return row_text(w->top_row + field, g_field.value_column, count);
  }

  // Every character on the screen, row by row.
  std::string screen_text() const {
    std::string text;
    for (int row = 0; row <= g_display.current.last_row; ++row)
      text += row_text(row, 0, g_display.current.last_column + 1) + "\n";
    return text;
  }
  // A step of the typist that keeps what the screen shows when the program next waits.
  void typist_look(std::string* seen) {
    g_typist.steps.push_back([this, seen] { *seen = screen_text(); });
  }

  TextLine* form_ = nullptr;
};
