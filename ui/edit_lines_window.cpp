#include "ui/edit_lines_window.h"

#include "store/line_list.h"
#include "ui/run_window.h"

namespace {

constexpr EventCode KEY_CTRL_S = KEY_CTRL_BASE + 'S';
constexpr int WRAP_WIDTH_UNWRAPPED = 120;

// A window's edge from its centre: a negative place is the edge itself.
int first_cell(int centre, int size) { return centre < 0 ? -centre : centre - size / 2; }

}  // namespace

int edit_lines_in_window(TextLine** lines, const char* title, int row, int column, int height,
                         int width, WindowKeyFilter key_filter, WindowLineDrawer line_drawer,
                         uint32_t window_flags, void* data1, void* data2, uint16_t options) {
  if (lines == nullptr) return 0;
  push_active_window();
  push_list();
  clear_current_list();
  for (const TextLine* line = *lines; line != nullptr; line = line->next) {
    TextLine* copy = append_line(line->text.c_str());
    if (copy != nullptr) copy->kind = line->kind;
  }
  if (g_lists.current.first == nullptr) append_line("");
  const int top = first_cell(row, height);
  const int left = first_cell(column, width);
  TextLine* node = create_window(nullptr, {
      .top_row = top, .left_column = left, .bottom_row = top + height - 1,
      .right_column = left + width - 1, .flags = window_flags, .key_filter = key_filter,
      .line_drawer = line_drawer, .with_file = true, .options = options,
      .wrap_width = (window_flags & WINDOW_WORD_WRAP) != 0 ? width - 1 : WRAP_WIDTH_UNWRAPPED,
      .title = title, .data1 = data1, .data2 = data2,
  });
  if (node == nullptr) free_current_list();
  pop_list();
  if (node == nullptr) {
    pop_active_window();
    return 0;
  }
  const bool accepted = run_window(node) != nullptr;
  if (accepted) {
    // The window gives up its lines: they become the caller's.
    TextWindow* w = window_of(node);
    free_list(*lines);
    *lines = w->first_line;
    w->first_line = w->current_line = w->last_line = nullptr;
    w->block_start = w->block_end = nullptr;
    if (g_windows.active_node == node) {
      clear_current_list();
      g_lists.cursor_line = nullptr;
      g_lists.block_start = g_lists.block_end = nullptr;
    }
  }
  destroy_window(node);
  pop_active_window();
  request_full_redraw();
  return accepted ? 1 : 0;
}

EventCode cancel_save_key_filter() {
  const EventCode code = wait_input_code();
  if (code == KEY_CTRL_S) return WINDOW_ACCEPT;
  if (code == EVENT_RIGHT_DOWN) return KEY_ESC;
  return code;
}
