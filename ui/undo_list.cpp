// The undo list: the next step to redo above the next step to undo, in a small pop-up in the
// middle of the editor window. Up redoes and Down undoes one step; the run loop shows the list
// again after each step until Esc leaves it.
#include <algorithm>
#include <string>

#include "screen/main_form.h"
#include "screen/text_output.h"
#include "store/line_list.h"
#include "store/text_wrap.h"
#include "ui/editor_undo.h"
#include "ui/run_window.h"
#include "ui/text_window.h"
#include "ui/window_frames.h"

namespace {

constexpr char REDO_END_TEXT[] = "\x0c(redo end)";
constexpr char UNDO_END_TEXT[] = "\x0e(undo end)";
// The scroll keys of the list, as the low bytes of their codes (Up, Down, PgUp, PgDn,
// Ctrl+Down, Ctrl+Up, 439, 440, Ctrl+PgUp, Ctrl+PgDn).
constexpr char UNDO_LIST_LEGEND[] = "HPIQ\x91\x8D\xB7\xB8\x84v";
constexpr uint32_t UNDO_LIST_FLAGS = 0x4031;
constexpr uint16_t UNDO_LIST_OPTIONS = 0x50;
constexpr int UNDO_LIST_WRAP = 69;

int g_undo_choice = 0;  // 'r', 'u' or 0: what the list's key filter chose

EventCode undo_list_key() {
  const EventCode code = wait_input_code();
  switch (code) {
    case KEY_UP:
    case KEY_PGUP:
      g_undo_choice = 'r';
      return WINDOW_ACCEPT;
    case KEY_DOWN:
    case KEY_PGDN:
      g_undo_choice = 'u';
      return WINDOW_ACCEPT;
    case KEY_ESC:
    case EVENT_QUIT: return code;  // a quit leaves the list and stays pending for the page
    default: return 0;
  }
}

// The shown text without its newline.
std::string list_line(std::string text, const char* end_text) {
  if (text.empty()) return end_text;
  if (text.back() == '\n') text.pop_back();
  return text;
}

}  // namespace

int show_undo_list() {
  const TextWindow* w = g_windows.active;
  if (w == nullptr || w->undo_history == nullptr) return 0;
  const std::string redo = list_line(undo_step_text(true), REDO_END_TEXT);
  const std::string undo = list_line(undo_step_text(false), UNDO_END_TEXT);
  const int width = std::max(display_length(redo.c_str()), display_length(undo.c_str()));
  const int top = w->top_row + w->rows / 2;
  const int left = w->left_column + w->columns / 2 - 10;

  push_list();
  clear_current_list();
  append_line(redo.c_str());
  append_line(undo.c_str());
  TextLine* node = create_window(nullptr, {
      .top_row = top, .left_column = left, .bottom_row = top + 1, .right_column = left + width,
      .flags = UNDO_LIST_FLAGS, .key_filter = undo_list_key, .line_drawer = draw_window_line,
      .options = UNDO_LIST_OPTIONS, .legend = UNDO_LIST_LEGEND, .wrap_width = UNDO_LIST_WRAP,
      .title = "",
  });
  if (node == nullptr) free_current_list();
  pop_list();
  if (node == nullptr) return 0;

  g_undo_choice = 0;
  push_active_window();
  run_window(node);
  destroy_window(node);
  pop_active_window();
  if (g_undo_choice == 0) {
    // Left without a step: the editor repairs what the list covered.
    g_form.redraw_level = 1;
    refresh_window_under_closed(0);
    request_full_redraw();
  }
  return g_undo_choice;
}
