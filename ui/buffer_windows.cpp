// The editing area's halves, the split screen and closing buffers.
#include "ui/buffer_windows.h"

#include <algorithm>

#include "screen/caret.h"
#include "screen/display_mode.h"
#include "screen/text_output.h"
#include "store/file_reader.h"
#include "ui/edit_buffers.h"
#include "ui/editor_cursor.h"
#include "ui/editor_text.h"
#include "ui/run_window.h"
#include "ui/text_window.h"
#include "ui/window_frames.h"

namespace {

// The font mode of each editor face choice.
constexpr uint8_t FONT_BY_FACE[] = {FONT_MODE_NORMAL, FONT_MODE_MEDIUM, FONT_MODE_SMALL};

// The separator between two halves is painted in this palette colour.
constexpr int SEPARATOR_COLOUR = 1;

void set_active_rectangle(int top, int left, int bottom, int right) {
  TextWindow* w = g_windows.active;
  w->top_row = static_cast<int16_t>(top);
  w->left_column = static_cast<int16_t>(left);
  w->bottom_row = static_cast<int16_t>(bottom);
  w->right_column = static_cast<int16_t>(right);
  w->columns = static_cast<int16_t>(right - left + 1);
  w->rows = static_cast<int16_t>(bottom - top + 1);
  g_caret.window_right_column = w->right_column;
  compute_window_pixels();
}

// The top and bottom halves bring a cursor row below the new bottom back into the window.
void keep_cursor_row_inside() {
  TextWindow* w = g_windows.active;
  if (w->top_row + w->cursor_row >= w->bottom_row)
    w->cursor_row = static_cast<int16_t>(std::max(w->rows - 3, 0));
  fit_cursor_row();
}

// The left and right halves keep the caret inside the narrower window.
void keep_caret_inside() {
  TextWindow* w = g_windows.active;
  if (w->cursor_column < w->columns) return;
  w->horizontal_scroll = static_cast<int16_t>(w->horizontal_scroll + w->cursor_column - w->columns + 1);
  w->cursor_column = static_cast<int16_t>(w->columns - 1);
  request_full_redraw();
}

// Re-wraps the active buffer to the width when it wraps words and the width changed.
void rewrap_active(int width) {
  TextWindow* w = g_windows.active;
  if ((w->flags & WINDOW_WORD_WRAP) == 0 || width == w->wrap_width) return;
  w->wrap_width = static_cast<int16_t>(width);
  reformat_lines(nullptr, nullptr, width);
  request_full_redraw();
}

void paint_separator(int mode) {
  const EditingArea a = editing_area();
  if (mode == 1) {
    const int mid = a.top + (a.bottom - a.top) / 2;
    fill_cells(mid - 1, a.left - 1, mid + 1, a.right + 2, SEPARATOR_COLOUR);
  } else {
    const int mid = a.left + (a.right - a.left) / 2;
    fill_cells(a.top - 1, mid - 1, a.bottom + 1, mid + 1, SEPARATOR_COLOUR);
  }
}

void place_in_first_half(int mode) {
  if (mode == 1)
    place_in_top_half();
  else
    place_in_left_half();
}

void place_in_second_half(int mode) {
  if (mode == 1)
    place_in_bottom_half();
  else
    place_in_right_half();
}

// The half a buffer already stands in, for the arrangement.
void place_in_own_half() {
  const EditingArea a = editing_area();
  const TextWindow* w = g_windows.active;
  switch (g_buffers.arrangement) {
    case 1:
      if (w->top_row > a.top) place_in_bottom_half(); else place_in_top_half();
      break;
    case 2:
      if (w->left_column > a.left) place_in_right_half(); else place_in_left_half();
      break;
    default: place_in_full_area(); break;
  }
}

// The second buffer of a split: the next shown one, the alternate buffer, any other, or a new
// empty buffer.
TextLine* second_buffer() {
  TextLine* active = g_windows.active_node;
  if (g_buffer_windows.two_shown != 0) {
    if (TextLine* next = next_window(1, true); next != nullptr) return next;
  }
  TextLine* alternate = g_buffer_windows.alternate_buffer;
  if (alternate != nullptr && alternate != active && list_contains(alternate, active) != 0)
    return alternate;
  if (TextLine* any = next_window(0, true); any != nullptr) return any;
  push_active_window();
  const int opened = open_in_buffer(nullptr, g_buffer_entries.first_buffer_key, draw_window_line,
                                    FIRST_BUFFER_FLAGS, 0);
  TextLine* made = opened == 0 ? g_windows.active_node : nullptr;
  pop_active_window();
  return made != active ? made : nullptr;
}

bool buffer_has_name(const TextWindow* w) {
  return w->file != nullptr && (!w->file->name.empty() || !w->file->full_path.empty());
}

void draw_active_buffer() {
  draw_window_frame(0);
}

}  // namespace

EditingArea editing_area() {
  EditingArea area;
  if (g_display.editor_rows > area.top) area.bottom = g_display.editor_rows;
  if (g_display.editor_columns > area.left) area.right = g_display.editor_columns;
  return area;
}

// ---- Halves ------------------------------------------------------------------------------------

void place_in_top_half() {
  if (g_windows.active == nullptr) return;
  const EditingArea a = editing_area();
  set_active_rectangle(a.top, a.left, a.top + (a.bottom - a.top) / 2 - 2, a.right);
  keep_cursor_row_inside();
}

void place_in_bottom_half() {
  if (g_windows.active == nullptr) return;
  const EditingArea a = editing_area();
  set_active_rectangle(a.top + (a.bottom - a.top) / 2 + 1, a.left, a.bottom, a.right);
  keep_cursor_row_inside();
}

void place_in_left_half() {
  if (g_windows.active == nullptr) return;
  const EditingArea a = editing_area();
  set_active_rectangle(a.top, a.left, a.bottom, a.left + (a.right - a.left) / 2 - 2);
  keep_caret_inside();
}

void place_in_right_half() {
  if (g_windows.active == nullptr) return;
  const EditingArea a = editing_area();
  set_active_rectangle(a.top, a.left + (a.right - a.left) / 2 + 2, a.bottom, a.right);
  keep_caret_inside();
}

void place_in_full_area() {
  TextWindow* w = g_windows.active;
  if (w == nullptr) return;
  const EditingArea a = editing_area();
  set_active_rectangle(a.top, a.left, a.bottom, a.right);
  rewrap_active(w->wanted_wrap_width != 0 ? w->wanted_wrap_width : a.right - a.left - 2);
}

// ---- The split screen --------------------------------------------------------------------------

void split_buffer_screen(int mode) {
  TextLine* first = g_windows.active_node;
  if (first == nullptr || (mode != 1 && mode != 2)) return;
  paint_separator(mode);
  place_in_first_half(mode);
  TextWindow* w = g_windows.active;
  rewrap_active(w->right_column - w->left_column - 2);
  store_window_state();

  TextLine* second = second_buffer();
  if (second == nullptr) return;
  g_buffer_windows.two_shown = 2;
  activate_window(second);
  clear_marked_block();
  place_in_second_half(mode);
  rewrap_active(g_windows.active->right_column - g_windows.active->left_column - 2);
  draw_active_buffer();
  store_window_state();
  activate_window(first);
  draw_active_buffer();
}

void unsplit_buffers() {
  TextLine* active = g_windows.active_node;
  if (g_buffers.buffer_list == nullptr) return;
  store_window_state();
  for (TextLine* node = list_head_of(g_buffers.buffer_list); node != nullptr; node = node->next) {
    activate_window(node);
    place_in_full_area();
    store_window_state();
    node->state &= static_cast<uint8_t>(~LINE_STATE_ACTIVATED);
  }
  if (active != nullptr) activate_window(active);
}

void set_buffer_font_mode(TextLine* node, uint8_t mode) {
  TextWindow* target = window_of(node);
  if (target == nullptr) return;
  target->font_mode = mode;
  push_active_window();
  activate_window(node);
  place_in_own_half();
  store_window_state();
  pop_active_window();
}

void apply_buffer_font_size() {
  const int face = editing_window_size();
  if (g_buffers.buffer_list == nullptr) return;
  for (TextLine* node = list_head_of(g_buffers.buffer_list); node != nullptr; node = node->next)
    set_buffer_font_mode(node, FONT_BY_FACE[face]);
}

void redraw_other_buffer() {
  if (g_buffers.arrangement == 0 || g_buffer_windows.two_shown == 0) return;
  TextLine* other = next_window(1, false);
  if (other == nullptr) return;
  push_active_window();
  activate_window(other);
  draw_window_frame(0);
  store_window_state();
  pop_active_window();
}

// ---- Closing ------------------------------------------------------------------------------------

namespace {

// After a close: the successor alone ends the split; otherwise a split is made again.
void rearrange_after_close(TextLine* successor) {
  const bool alone = successor->prev == nullptr && successor->next == nullptr;
  if (alone) {
    if (g_buffer_windows.two_shown != 0) {
      activate_window(successor);
      unsplit_buffers();
    }
    g_buffer_windows.two_shown = 0;
    g_buffers.arrangement = 0;
    g_run.back_and_forth = 0;
    g_buffers.placeholder_buffer = successor;
  } else if (g_buffer_windows.two_shown != 0) {
    activate_window(successor);
    g_buffer_windows.two_shown = 0;
    split_buffer_screen(g_buffers.arrangement);
  }
}

}  // namespace

int close_edit_buffers(int mode) {
  if (g_windows.active_node == nullptr) return 0;
  if (mode > 0 && g_buffers.buffer_list != nullptr)
    for (TextLine* n = list_head_of(g_buffers.buffer_list); n != nullptr; n = n->next)
      n->kind &= static_cast<uint8_t>(~LINE_KIND_HIDDEN);
  for (;;) {
    TextLine* node = g_windows.active_node;
    TextWindow* w = g_windows.active;
    if (node == nullptr || w == nullptr) return 0;
    if (ask_save_buffer(buffer_has_name(w) ? PROMPT_SAVE_NAMED : PROMPT_SAVE_UNNAMED) == 27)
      return 27;
    if (mode <= 0 && mode != -3)
      fill_cells(w->top_row, w->left_column, w->bottom_row, w->right_column, 0);
    TextLine* successor = destroy_window(node);
    if (successor == nullptr) {
      create_first_edit_buffer();
      successor = g_buffers.buffer_list;
      mode = 0;
      if (successor == nullptr) return 0;
    }
    rearrange_after_close(successor);
    activate_window(successor);
    g_buffers.buffer_to_activate = successor;
    if (mode < 0) return 0;
    if (mode == 0) {
      draw_active_buffer();
      return 0;
    }
    if ((g_windows.active->flags & WINDOW_CHANGED) != 0) draw_active_buffer();
  }
}

int ask_save_every_buffer() {
  if (g_buffers.buffer_list == nullptr) return 0;
  TextLine* was = g_windows.active_node;
  if (was != nullptr) store_window_state();
  for (TextLine* node = list_head_of(g_buffers.buffer_list); node != nullptr; node = node->next) {
    TextWindow* w = window_of(node);
    if (w == nullptr || (w->flags & (WINDOW_CHANGED | WINDOW_READ_ONLY)) != WINDOW_CHANGED)
      continue;
    // The user sees the buffer the question is about.
    activate_window(node);
    draw_active_buffer();
    const int answer =
        ask_save_buffer(buffer_has_name(w) ? PROMPT_SAVE_NAMED : PROMPT_SAVE_UNNAMED);
    store_window_state();
    if (answer == 27) {
      // The user stays with the buffer whose changes are still unsaved.
      g_buffers.buffer_to_activate = node;
      if (was != nullptr && was != node && !list_contains(g_buffers.buffer_list, was))
        activate_window(was);
      request_full_redraw();
      return 27;
    }
  }
  if (was != nullptr) activate_window(was);
  request_full_redraw();
  return 0;
}
