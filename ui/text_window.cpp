// Creating, activating, storing and destroying text windows; the active-window stack; window
// lists; the cell and pixel geometry.
#include "ui/text_window.h"

#include <algorithm>
#include <cstring>
#include <memory>

#include "platform/canvas.h"
#include "screen/main_form.h"
#include "screen/caret.h"
#include "screen/display_mode.h"
#include "screen/hover.h"
#include "screen/interface_settings.h"
#include "screen/pointer.h"
#include "screen/screen_attributes.h"
#include "screen/text_output.h"
#include "store/file_reader.h"
#include "ui/buffer_windows.h"
#include "ui/dialog_form.h"
#include "ui/edit_buffers.h"
#include "ui/editor_cursor.h"
#include "ui/editor_undo.h"
#include "ui/line_fold.h"
#include "ui/pointer_motion.h"
#include "ui/run_window.h"
#include "ui/text_window_internal.h"
#include "ui/window_frames.h"

WindowLayer g_windows;

// Text output reads these bits of the active window's flags by its own names.
static_assert(WINDOW_FRAME_STYLE_MASK == TEXT_AREA_FRAME_STYLE_MASK);
static_assert(WINDOW_SHOW_SPACES == TEXT_AREA_SHOW_SPACES);
static_assert(WINDOW_SHOW_CONTROL_CODES == TEXT_AREA_SHOW_CONTROL_CODES);

namespace {

// An upside-down rectangle is replaced by these rows or columns.
constexpr int16_t FALLBACK_TOP_ROW = 1;
constexpr int16_t FALLBACK_BOTTOM_ROW = 20;
constexpr int16_t FALLBACK_LEFT_COLUMN = 1;
constexpr int16_t FALLBACK_RIGHT_COLUMN = 50;
// Windows up to this many rows scroll by one line with the plain cursor keys.
constexpr int16_t SHORT_WINDOW_ROWS = 20;
// Bit 0x08 of a scroll key's code tells the up keys (PgUp, Up, Ctrl+Up) from the down keys.
constexpr EventCode SCROLL_KEY_UP_BIT = 0x08;

uint8_t font_mode_for(uint32_t flags, uint16_t options) {
  if ((flags & WINDOW_MEDIUM_FONT) || (options & WINDOW_OPTION_MEDIUM_FONT))
    return FONT_MODE_MEDIUM;
  if (options & WINDOW_OPTION_SMALL_FONT) return FONT_MODE_SMALL;
  if (options & WINDOW_OPTION_SMALLEST_FONT) return FONT_MODE_SMALLEST;
  return FONT_MODE_NORMAL;
}

void copy_title(TextWindow* record, const char* title) {
  if (title == nullptr) return;
  const size_t length = std::min(std::strlen(title), static_cast<size_t>(WINDOW_TITLE_SIZE - 1));
  std::memcpy(record->title, title, length);
  record->title[length] = 0;
}

// A new file record in the current folder with the current extension, not open yet.
FileRecord* new_window_file() {
  auto file = std::make_unique<FileRecord>();
  init_file_record(file.get(), "", FILE_BUFFER_EDITOR);
  file->folder = g_buffers.current_folder;
  file->extension = g_buffers.current_extension;
  return file.release();
}

void free_window_memory(TextWindow* w) {
  delete w->saved_background;
  w->saved_background = nullptr;
  free_undo_ring(w);
  if (w->file != nullptr) {
    close_file_record(w->file);
    delete w->file;
    w->file = nullptr;
  }
}

// Appends the record as a new line of the window list that holds list_node.
TextLine* append_window_node(TextLine* list_node, const TextWindow& record) {
  if (push_list() < 0) return nullptr;
  g_lists.current = LineList{list_node, list_node};
  fix_list_first();
  fix_list_last();
  TextLine* node = append_line("", make_line_extra(record));
  pop_list();
  return node;
}

void choose_cursor_hooks(const TextWindow* w) {
  CursorHooks& h = g_windows.hooks;
  if (w->list_options & LIST_OPTION_CURSOR_MASK) {
    h = {list_cursor_to_line_start, list_cursor_to_line_end, list_cursor_right, list_cursor_left};
  } else {
    h = {cursor_to_line_start, cursor_to_line_end, cursor_right_in_line, cursor_left_in_line};
  }
}

void load_list_state(TextWindow* w) {
  g_lists.current = LineList{w->first_line, w->last_line};
  g_lists.cursor_line = w->current_line != nullptr ? w->current_line : w->first_line;
  g_lists.block_start = w->block_start;
  g_lists.block_end = w->block_end;
}

// An empty list: with WINDOW_SHOW_CONTROL_CODES one empty line becomes the cursor line.
void prepare_window_lines(TextWindow* w) {
  if (g_lists.current.first == nullptr) {
    g_lists.cursor_line = nullptr;
    if (w->flags & WINDOW_SHOW_CONTROL_CODES) g_lists.cursor_line = append_line("");
  } else if (w->flags & WINDOW_TEXT_LIST) {
    g_lists.current.first->kind |= LINE_KIND_PARAGRAPH;
  }
}

// A window whose left column lies off the screen comes back to end at columns - 2.
void keep_window_on_screen(TextWindow* w) {
  const int columns = g_display.current.last_column;
  if (w->left_column < columns) return;
  const int width = w->right_column - w->left_column + 1;
  w->left_column = static_cast<int16_t>(std::max(columns - width - 1, 0));
  w->right_column = static_cast<int16_t>(w->left_column + width - 1);
}

// Forgets every reference the window layer, the run loop and the buffers keep to the node.
void forget_window_node(TextLine* node) {
  if (g_buffer_windows.alternate_buffer == node) g_buffer_windows.alternate_buffer = nullptr;
  if (g_buffers.placeholder_buffer == node) g_buffers.placeholder_buffer = nullptr;
  if (g_find.start_window == node) g_find.start_window = nullptr;
  g_find.switched_window = nullptr;
  if (g_run.last_framed_window == node) g_run.last_framed_window = nullptr;
  // A stacked window popped later must not be a freed one.
  auto& stack = g_windows.stack;
  stack.erase(std::remove(stack.begin(), stack.end(), node), stack.end());
}

// The active window goes: its lines are the current list, which is left empty.
void leave_active_window(TextWindow* w) {
  hide_pointer_for_window();
  w->first_line = fix_list_first();
  close_window_background();
  g_windows.active_node = nullptr;
  g_windows.active = nullptr;
  g_text.area = TextArea();
  g_pointer.window_flags = nullptr;
  g_caret.window_right_column = -1;
  connect_fold_window(nullptr);
}

TextLine* choose_successor(TextLine* node) {
  TextLine* alternate = g_buffer_windows.alternate_buffer;
  if (alternate != nullptr && list_contains(alternate, node)) {
    g_buffer_windows.alternate_buffer = nullptr;
    return alternate;
  }
  return node->prev != nullptr ? node->prev : node->next;
}

bool window_shown(const TextLine* node) { return (node->kind & LINE_KIND_HIDDEN) == 0; }

bool window_matches(const TextLine* node, int type) {
  if (!window_shown(node)) return false;
  if (type == 1) return (node->state & LINE_STATE_ACTIVATED) != 0;
  if (type == 2) return (node->state & LINE_STATE_ACTIVATED) == 0;
  return true;
}

TextLine* list_tail_of(TextLine* line) {
  while (line->next != nullptr) line = line->next;
  return line;
}

int16_t divide_up(int n, int from_size, int to_size) {
  if (from_size <= 0 || to_size <= 0) return static_cast<int16_t>(n);
  return static_cast<int16_t>((n * from_size + to_size - 1) / to_size);
}

}  // namespace

// ---- Shared with the redraw and cursor parts ----------------------------------------------------

CellMetrics metrics_for_font_mode(uint8_t mode) {
  const auto& presets = g_display.presets;
  const CellMetrics& medium = presets[FACE_ROLE_MENU];
  const CellMetrics& small = presets[FACE_ROLE_SMALL];
  if (mode == FONT_MODE_NORMAL || (mode == FONT_MODE_MEDIUM && medium.face_index < 0))
    return presets[FACE_ROLE_NORMAL];
  if (mode == FONT_MODE_MEDIUM) return medium;
  if (mode == FONT_MODE_SMALL && small.face_index >= 0) return small;
  // The smallest face fills the whole screen with its own cells.
  CellMetrics smallest = presets[FACE_ROLE_TINY];
  if (smallest.cell_height > 0 && smallest.cell_width > 0) {
    smallest.last_row = static_cast<int16_t>(g_display.screen_height / smallest.cell_height);
    smallest.last_column = static_cast<int16_t>(g_display.screen_width / smallest.cell_width);
  }
  return smallest;
}

void set_rectangle(TextWindow* w, int top, int left, int bottom, int right) {
  w->top_row = static_cast<int16_t>(top);
  w->left_column = static_cast<int16_t>(left);
  w->bottom_row = static_cast<int16_t>(bottom);
  w->right_column = static_cast<int16_t>(right);
  w->columns = static_cast<int16_t>(right - left + 1);
  w->rows = static_cast<int16_t>(bottom - top + 1);
}

// ---- The record ---------------------------------------------------------------------------------

TextWindow* window_of(TextLine* node) { return line_extra_as<TextWindow>(node); }

// ---- Creating, activating, storing, destroying --------------------------------------------------

TextLine* create_window(TextLine* list_node, const WindowSpec& spec) {
  TextWindow record;
  std::unique_ptr<FileRecord> file;
  if (spec.with_file) {
    try {
      file.reset(new_window_file());
    } catch (const std::bad_alloc&) {
      return nullptr;
    }
  }
  record.file = file.get();
  record.key_filter = spec.key_filter;
  record.line_drawer = spec.line_drawer;
  record.first_line = record.current_line = fix_list_first();
  record.last_line = fix_list_last();

  int top_row = spec.top_row;
  int left_column = spec.left_column;
  int bottom_row = spec.bottom_row;
  int right_column = spec.right_column;
  if (top_row < 0) top_row = 0;
  if (left_column < 0) left_column = 0;
  if (top_row > bottom_row) {
    top_row = FALLBACK_TOP_ROW;
    bottom_row = FALLBACK_BOTTOM_ROW;
  }
  if (left_column > right_column) {
    left_column = FALLBACK_LEFT_COLUMN;
    right_column = FALLBACK_RIGHT_COLUMN;
  }
  set_rectangle(&record, top_row, left_column, bottom_row, right_column);
  record.font_mode = font_mode_for(spec.flags, spec.options);
  record.wrap_width = static_cast<int16_t>(spec.wrap_width);
  record.flags = spec.flags | WINDOW_ALWAYS;
  record.options = spec.options;
  record.legend = spec.legend;
  record.data1 = spec.data1;
  record.data2 = spec.data2;
  copy_title(&record, spec.title);
  record.list_options = spec.list_options;
  record.goal_column = -1;

  TextLine* node = append_window_node(list_node, record);
  if (node == nullptr) {
    if (file) close_file_record(file.get());
    return nullptr;
  }
  file.release();  // the record in the node owns it now
  return node;
}

TextArea text_area_of(TextWindow* window) {
  return window != nullptr ? TextArea{&window->flags, &window->list_options} : TextArea();
}

void activate_window(TextLine* node) {
  TextWindow* w = window_of(node);
  if (w == nullptr) return;
  clear_hover();
  g_windows.full_redraw_count = 0;
  node->state |= LINE_STATE_ACTIVATED;
  g_windows.active_node = node;
  g_windows.active = w;
  g_text.area = text_area_of(w);
  g_pointer.window_flags = w != nullptr ? &w->flags : nullptr;
  g_caret.window_right_column = w->right_column;

  g_windows.key_filter = w->key_filter;
  g_windows.line_drawer = w->line_drawer;
  load_list_state(w);
  w->columns = static_cast<int16_t>(w->right_column - w->left_column + 1);
  w->rows = static_cast<int16_t>(w->bottom_row - w->top_row + 1);
  g_windows.legend = w->legend != nullptr ? w->legend : "";
  g_windows.pointer_x = w->pointer_x;
  g_windows.pointer_y = w->pointer_y;

  if (!g_windows.metrics_held) g_display.current = metrics_for_font_mode(w->font_mode);
  keep_window_on_screen(w);

  const CellMetrics& m = g_display.current;
  g_windows.screen_centre_row = static_cast<uint8_t>(m.last_row / 2);
  g_windows.screen_centre_column = static_cast<uint8_t>(m.last_column / 2);
  g_windows.underline_offset = static_cast<int16_t>(m.cell_height - m.cell_height / 3 - 1);
  compute_window_pixels();
  set_colour_base(w->options);
  g_windows.help_options = w->options;
  connect_fold_window(w);

  choose_cursor_hooks(w);
  prepare_window_lines(w);
  g_windows.initial_area = (w->list_options & LIST_OPTION_FIRST_AREA) ? 1 : 0;

  if (w->remembered_area < AREA_KEPT_BELOW) w->remembered_area = AREA_NONE;
  set_scroll_keys();
  g_windows.redraw_pending = w->redraw_pending;
  w->line_at_activation = g_lists.cursor_line;
  g_windows.window_activated = true;
  // A new window starts with a fixed, kept block.
  g_run.marking = 0;
  g_run.block_kept = 1;
}

void store_window_state() {
  TextWindow* w = g_windows.active;
  if (w == nullptr) return;
  w->first_line = g_lists.current.first;
  w->current_line = g_lists.cursor_line;
  w->last_line = g_lists.current.last;
  w->block_start = g_lists.block_start;
  w->block_end = g_lists.block_end;
  w->pointer_x = g_windows.pointer_x;
  w->pointer_y = g_windows.pointer_y;
  w->redraw_pending = g_windows.redraw_pending;
}

void push_active_window() {
  store_window_state();
  g_windows.stack.push_back(g_windows.active_node);
}

void pop_active_window() {
  if (g_windows.stack.empty()) return;
  TextLine* node = g_windows.stack.back();
  g_windows.stack.pop_back();
  activate_window(node);
}

void redraw_window_below() {
  if (g_windows.stack.empty()) return;
  store_window_state();
  TextLine* was_active = g_windows.active_node;
  activate_window(g_windows.stack.back());
  TextWindow* below = g_windows.active;
  if (below != nullptr && below->line_drawer == no_line_hook) {
    // A dialog form: its lines are drawn as lines for the frame, then its field handler draws
    // the fields again (and puts its own line drawer back).
    below->line_drawer = draw_window_line;
    g_windows.line_drawer = draw_window_line;
    draw_window_frame(0);
    if (g_windows.key_filter != nullptr) g_windows.key_filter();
  } else if (below != nullptr) {
    draw_window_frame(0);
  }
  store_window_state();
  activate_window(was_active);
}

TextLine* destroy_window(TextLine* node) {
  if (node == nullptr) return nullptr;
  TextWindow* w = window_of(node);
  forget_window_node(node);
  if (w != nullptr) {
    if (node == g_windows.active_node) leave_active_window(w);
    TextLine* lines = w->first_line != nullptr ? w->first_line : w->last_line;
    free_window_memory(w);
    free_list(lines);
  }
  TextLine* successor = choose_successor(node);
  if (g_buffers.buffer_list == node) g_buffers.buffer_list = successor;
  if (g_buffers.buffer_to_activate == node) g_buffers.buffer_to_activate = successor;
  delete_line(node);

  if (successor == nullptr || window_shown(successor)) return successor;
  activate_window(successor);
  TextLine* shown = next_window(0, true);
  if (shown != nullptr) return shown;
  open_in_buffer("", g_buffer_entries.first_buffer_key, draw_window_line, 0, 0);
  return g_windows.active_node;
}

LineList destroy_window_keeping_lines(TextLine* node) {
  if (g_windows.active_node == node) store_window_state();
  TextWindow* w = window_of(node);
  const LineList lines{w->first_line, w->last_line};
  w->first_line = w->current_line = w->last_line = nullptr;
  w->block_start = w->block_end = nullptr;
  // Leaving the active window stores the current list into it: the list is no longer its.
  if (g_windows.active_node == node) {
    clear_current_list();
    g_lists.cursor_line = g_lists.block_start = g_lists.block_end = nullptr;
  }
  destroy_window(node);
  return lines;
}

// ---- Window lists ------------------------------------------------------------------------------

int list_contains(TextLine* node, TextLine* line) {
  if (node == nullptr || line == nullptr) return 0;
  return list_head_of(node) == list_head_of(line) ? 1 : 0;
}

TextLine* next_window(int type, bool forward) {
  TextLine* active = g_windows.active_node;
  if (active == nullptr) return nullptr;
  TextLine* line = active;
  bool wrapped = false;
  for (;;) {
    line = forward ? line->next : line->prev;
    if (line == nullptr) {
      if (wrapped) return nullptr;
      wrapped = true;
      line = forward ? list_head_of(active) : list_tail_of(active);
    }
    if (line == active) return nullptr;
    if (window_matches(line, type)) return line;
  }
}

// ---- Geometry -----------------------------------------------------------------------------------

void compute_window_pixels() {
  TextWindow* w = g_windows.active;
  if (w == nullptr) return;
  const int cw = g_display.current.cell_width;
  const int ch = g_display.current.cell_height;
  w->pixel_width = static_cast<int16_t>(w->columns * cw);
  w->pixel_height = static_cast<int16_t>(w->rows * ch);
  w->pixel_top = static_cast<int16_t>(w->top_row * ch);
  w->pixel_left = static_cast<int16_t>(w->left_column * cw);
  w->pixel_bottom = static_cast<int16_t>((w->bottom_row + 1) * ch);
  w->pixel_right = static_cast<int16_t>(w->right_column * cw);
  w->pixel_wrap_width = static_cast<int16_t>(w->wrap_width * cw);
  w->pixel_scroll = static_cast<int16_t>(w->horizontal_scroll * cw);
}

void set_scroll_keys() {
  const TextWindow* w = g_windows.active;
  if (w == nullptr) return;
  int step;
  if (w->flags & WINDOW_PAGE_SCROLL) {
    g_pointer.scroll_up_key = KEY_PGUP;
    g_pointer.scroll_down_key = KEY_PGDN;
    step = 2;
  } else if (w->flags & WINDOW_TEXT_LIST) {
    g_pointer.scroll_up_key = KEY_CTRL_UP;
    g_pointer.scroll_down_key = KEY_CTRL_DOWN;
    step = 1;
  } else {
    g_pointer.scroll_up_key = KEY_UP;
    g_pointer.scroll_down_key = KEY_DOWN;
    step = w->rows <= SHORT_WINDOW_ROWS ? 1 : 0;
  }
  step += g_interface.extra_scroll;
  g_windows.scroll_step = static_cast<int16_t>(step == 0 ? 1 : step);
  EventCode& remembered = g_pointer.pending_scroll_code;
  if (remembered != 0)
    remembered = (remembered & SCROLL_KEY_UP_BIT) ? g_pointer.scroll_up_key
                                                  : g_pointer.scroll_down_key;
}

int rows_to_medium_font(int n) {
  return divide_up(n, g_display.presets[FACE_ROLE_NORMAL].cell_height,
                   g_display.presets[FACE_ROLE_MENU].cell_height);
}

int cols_to_medium_font(int n) {
  return divide_up(n, g_display.presets[FACE_ROLE_NORMAL].cell_width,
                   g_display.presets[FACE_ROLE_MENU].cell_width);
}

int rows_from_medium_font(int n) {
  return divide_up(n, g_display.presets[FACE_ROLE_MENU].cell_height,
                   g_display.presets[FACE_ROLE_NORMAL].cell_height);
}

int cols_from_medium_font(int n) {
  return divide_up(n, g_display.presets[FACE_ROLE_MENU].cell_width,
                   g_display.presets[FACE_ROLE_NORMAL].cell_width);
}

int fit_window_rows(TextWindow* window, int centre_row, int most, int least) {
  if (window == nullptr) return 0;
  int count = 0;
  for (TextLine* line = window->first_line; line != nullptr && count < most; line = line->next)
    ++count;
  if (count < least) count = least;
  int top = window->top_row;
  if (centre_row > 0) top = std::max(centre_row - count / 2, 0);
  int bottom = top + count - 1;
  const int last_row = metrics_for_font_mode(window->font_mode).last_row;
  while (last_row > 1 && bottom >= last_row - 1) {
    if (top == 0) {
      bottom = last_row - 2;
      break;
    }
    --top;
    --bottom;
  }
  set_rectangle(window, top, window->left_column, bottom, window->right_column);
  return window->rows;
}

void set_window_bounds(TextLine* node, int bottom_row, int left_column, int right_column) {
  TextWindow* w = window_of(node);
  if (w == nullptr) return;
  set_rectangle(w, w->top_row, left_column > 0 ? left_column : w->left_column,
                bottom_row > 0 ? bottom_row : w->bottom_row,
                right_column > 0 ? right_column : w->right_column);
  if (w->rows < w->cursor_row) w->cursor_row = static_cast<int16_t>(std::max(w->rows - 3, 0));
  if (w == g_windows.active) compute_window_pixels();
}

void place_window(TextWindow* window, int row, int column) {
  if (window == nullptr) return;
  const int height = window->bottom_row - window->top_row + 1;
  const int width = window->right_column - window->left_column + 1;
  int top;
  int left;
  if (row < 0) {
    top = -row - 1;
    left = column;
  } else {
    top = row - height / 2;
    left = column - width / 2;
  }
  const CellMetrics m = metrics_for_font_mode(window->font_mode);
  top = std::max(top, 1);
  left = std::max(left, 2);
  top -= std::max(top + height - 1 - (m.last_row - 1), 0);
  left -= std::max(left + width - 1 - (m.last_column - 2), 0);
  set_rectangle(window, top, left, top + height - 1, left + width - 1);
  if (window == g_windows.active) compute_window_pixels();
}

// ---- Display modes ------------------------------------------------------------------------------

void set_display_mode(int choice) {
  store_window_state();
  TextLine* active = g_windows.active_node;
  g_interface.display_choice = static_cast<uint8_t>(choice);
  apply_display_mode(choice);
  layout_page_tab_strip();
  // The editing buffers take the new cells, each in its own part of the editing area.
  apply_buffer_font_size();
  activate_window(active);
  g_form.redraw_level = 109;
}

void centre_window_columns(TextLine* node) {
  TextWindow* window = node != nullptr ? window_of(node) : nullptr;
  if (window == nullptr) return;
  const int width = window->right_column - window->left_column + 1;
  window->left_column =
      static_cast<int16_t>((g_display.presets[FACE_ROLE_NORMAL].last_column - width) / 2);
  window->right_column = static_cast<int16_t>(window->left_column + width - 1);
  window->columns = static_cast<int16_t>(width);
  if (window->first_line != nullptr) {
    window->first_line->attributes[14] = 0;
    window->first_line->attributes[15] = 0;
  }
}

// ---- Test hooks --------------------------------------------------------------------------------

void reset_window_layer() {
  g_windows = WindowLayer();
  connect_fold_window(nullptr);
  g_text.area = TextArea();
  g_pointer.window_flags = nullptr;
  g_caret.window_right_column = -1;
  g_pointer.scroll_up_key = KEY_UP;
  g_pointer.scroll_down_key = KEY_DOWN;
}
