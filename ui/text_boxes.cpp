#include "ui/text_boxes.h"

#include <cstdlib>

#include "screen/text_output.h"
#include "ui/run_window.h"

namespace {

constexpr EventCode KEY_CTRL_F4 = 353;
constexpr EventCode KEY_CTRL_S = 595;
constexpr int UNWRAPPED_WIDTH = 120;

EventCode plain_editing_filter() {
  for (;;) {
    const EventCode code = wait_input_code();
    switch (code) {
      case KEY_ESC:
      case EVENT_QUIT: return KEY_ESC;
      case KEY_CTRL_F4:
      case KEY_CTRL_S: return WINDOW_ACCEPT;
      case EVENT_TICK:
      case EVENT_POINTER_MOVE:
      case EVENT_LEFT_UP:
      case EVENT_MIDDLE_UP:
      case EVENT_RIGHT_UP:
      case EVENT_CTRL_DOWN:
      case EVENT_CTRL_UP:
      case EVENT_ALT_DOWN:
      case EVENT_ALT_UP: continue;
      default: return code;
    }
  }
}

// Copies the texts and kinds of a chain of lines into the current list.
void append_copies(const TextLine* line) {
  for (; line != nullptr; line = line->next) {
    TextLine* copy = append_line(line->text.c_str());
    if (copy != nullptr) copy->kind = line->kind;
  }
}

}  // namespace

int edit_lines_in_window(LineList* lines, const char* title, int row, int column, int height,
                         int width, WindowKeyFilter key_filter, WindowLineDrawer line_drawer,
                         uint32_t window_flags, void* data1, void* data2, uint16_t options) {
  if (lines == nullptr) return 0;
  push_active_window();
  const int top = row < 0 ? -row : row - height / 2;
  const int left = column < 0 ? -column : column - width / 2;
  push_list();
  clear_current_list();
  append_copies(lines->first);
  if (g_lists.current.first == nullptr) append_line("");
  TextLine* node = create_window(nullptr, {
      .top_row = top, .left_column = left, .bottom_row = top + height - 1,
      .right_column = left + width, .flags = window_flags,
      .key_filter = key_filter != nullptr ? key_filter : plain_editing_filter,
      .line_drawer = line_drawer != nullptr ? line_drawer : draw_window_line, .with_file = true,
      .options = options,
      .wrap_width = (window_flags & WINDOW_WORD_WRAP) != 0 ? width - 1 : UNWRAPPED_WIDTH,
      .title = title, .data1 = data1, .data2 = data2,
  });
  pop_list();
  if (node == nullptr) {
    pop_active_window();
    return 0;
  }
  const bool accepted = run_window(node) != nullptr;
  if (accepted) {
    push_list();
    clear_current_list();
    append_copies(window_of(node)->first_line);
    free_list(lines->first);
    *lines = g_lists.current;
    clear_current_list();
    pop_list();
  }
  destroy_window(node);
  pop_active_window();
  request_full_redraw();
  return accepted ? 1 : 0;
}
