#include "ui/text_boxes.h"

#include <algorithm>
#include <cstring>
#include <iterator>
#include <string>

#include "screen/controls.h"
#include "screen/display_mode.h"
#include "screen/main_form.h"
#include "screen/pointer.h"
#include "screen/tick_clock.h"
#include "screen/text_output.h"
#include "store/file_reader.h"
#include "store/text_wrap.h"
#include "ui/edit_buffers.h"
#include "ui/editor_key_filter.h"
#include "ui/editor_text.h"
#include "ui/find_replace.h"
#include "ui/message_box.h"
#include "ui/popups.h"
#include "ui/run_window.h"
#include "ui/window_frames.h"

TextBoxState g_text_boxes;

namespace {

constexpr int UNWRAPPED_WIDTH = 120;

// ---- Copying lines in and out -------------------------------------------------------------------

// Copies a chain of lines into the current list: text, kind and layout attributes.
bool append_copies(const TextLine* line) {
  for (; line != nullptr; line = line->next) {
    TextLine* copy = append_line(line->text.c_str());
    if (copy == nullptr) return false;
    copy->kind = line->kind;
    std::memcpy(copy->attributes, line->attributes, sizeof copy->attributes);
  }
  return true;
}

// ---- The text box -------------------------------------------------------------------------------

constexpr int BOX_CENTRE_ROW = 12;
constexpr int BOX_ROWS = 5;
constexpr int BOX_MOST_FITTED_ROWS = 22;
constexpr int BOX_ROWS_FOR_LONG_TEXT = 20;
constexpr uint16_t BOX_OPTIONS = 20;
constexpr char TOO_LONG_FORMAT[] =
    "This text is too long here: it may hold at most %zu characters.\n"
    "Shorten it, or press Esc to leave it as it was.";

int box_height(int row, int lines) {
  if (row != 0) return BOX_ROWS;
  if (lines > BOX_MOST_FITTED_ROWS) return BOX_ROWS_FOR_LONG_TEXT;
  return std::max(lines, BOX_ROWS);
}

// The box's lines joined: the first from its first character above the blank, each cut at its
// newline; trailing blanks and control bytes dropped (never the first byte), one newline added.
std::string joined_box_text(const TextLine* first) {
  std::string out;
  for (const TextLine* l = first; l != nullptr; l = l->next) {
    size_t from = 0;
    if (l == first)
      while (from < l->text.size() && static_cast<unsigned char>(l->text[from]) >= 9 &&
             static_cast<unsigned char>(l->text[from]) <= 32)
        ++from;
    out.append(l->text, from);
    const size_t newline = out.find('\n');
    if (newline != std::string::npos) out.resize(newline);
  }
  while (out.size() > 1 && static_cast<unsigned char>(out.back()) <= 32) out.pop_back();
  if (out.size() == 1 && static_cast<unsigned char>(out[0]) <= 32) out.clear();
  out.push_back('\n');
  return out;
}

// ---- The report viewer ---------------------------------------------------------------------

enum ViewerButton : uint8_t {
  VIEWER_CANCEL = 27,
  VIEWER_COPY = 99,
  VIEWER_PRINT = 112,
  VIEWER_SAVE = 115,
  VIEWER_FIND = 102,
  VIEWER_REPLACE = 114,
  VIEWER_REPEAT = 116,
  VIEWER_FIRST_PAGE = 11,
  VIEWER_PREVIOUS_PAGE = 13,
  VIEWER_SCROLL = 15,
  VIEWER_NEXT_PAGE = 14,
  VIEWER_LAST_PAGE = 12,
};
constexpr int VIEWER_TOP_ROWS = 4;
constexpr uint32_t VIEWER_BUTTON_FLAGS = CF_SMALL;
constexpr int16_t NC_COMMAND_PRINT = 5;
constexpr int16_t NC_COMMAND_SAVE_AS_FILE = 9999;
constexpr int16_t NC_COMMAND_VIEWER_ACCEPT = 14;
constexpr int16_t NC_COMMAND_COPY = 17;
constexpr EventCode KEY_CTRL_F = KEY_CTRL_BASE + 'F';
constexpr EventCode KEY_CTRL_R = KEY_CTRL_BASE + 'R';
constexpr EventCode KEY_F3 = 317;

struct ViewerBar {
  ScreenControl table[13];
};
ViewerBar g_viewer_bar;

void build_viewer_bar() {
  ScreenControl* t = g_viewer_bar.table;
  t[0] = make_control(" Cancel;\nfinished", VIEWER_CANCEL, 1, -9, 2, 8, 72, 0);
  t[1] = make_control("Copy to\nfloppy", VIEWER_COPY, 1, 2, 2, 7, 0, VIEWER_BUTTON_FLAGS);
  t[2] = make_control("Print", VIEWER_PRINT, 1, 12, 1, 5, 0, VIEWER_BUTTON_FLAGS);
  t[3] = make_control("Save", VIEWER_SAVE, 2, 12, 1, 4, 0, VIEWER_BUTTON_FLAGS);
  t[4] = make_control("Find", VIEWER_FIND, 1, 26, 1, 4, 0, VIEWER_BUTTON_FLAGS);
  t[5] = make_control("Find & Replace", VIEWER_REPLACE, 2, 26, 1, 14, 0, VIEWER_BUTTON_FLAGS);
  t[6] = make_control("Repeat previous\nfind/replace", VIEWER_REPEAT, 1, 44, 2, 15, 0,
                      VIEWER_BUTTON_FLAGS | CF_HIDDEN);
  t[7] = make_control(" 1st\npage", VIEWER_FIRST_PAGE, 1, 66, 2, 4, 5, VIEWER_BUTTON_FLAGS);
  t[8] = make_control("Prev\npage", VIEWER_PREVIOUS_PAGE, 1, 72, 2, 4, 4, VIEWER_BUTTON_FLAGS);
  t[9] = make_control("\x08+Up\x08+\n\x08.Dn\x08.", VIEWER_SCROLL, 1, 78, 2, 4, 3,
                      VIEWER_BUTTON_FLAGS);
  t[10] = make_control("Next\npage", VIEWER_NEXT_PAGE, 1, 84, 2, 4, 4, VIEWER_BUTTON_FLAGS);
  t[11] = make_control("Last\npage", VIEWER_LAST_PAGE, 1, 90, 2, 4, 6, VIEWER_BUTTON_FLAGS);
  t[12] = end_control();
}

bool paging_button(int id) {
  return id == VIEWER_FIRST_PAGE || id == VIEWER_PREVIOUS_PAGE || id == VIEWER_SCROLL ||
         id == VIEWER_NEXT_PAGE || id == VIEWER_LAST_PAGE;
}

void clear_viewer_top() {
  const CellMetrics& menu = g_display.presets[FACE_ROLE_MENU];
  fill_cells(0, 0, VIEWER_TOP_ROWS * std::max<int>(menu.cell_height, 1) - 1,
             g_display.screen_width - 1, FILL_PIXELS);
}

void draw_viewer_bar() {
  clear_viewer_top();
  draw_controls(g_viewer_bar.table, 0);
}

int window_line_count(const TextWindow* w) {
  int n = 0;
  for (const TextLine* l = w->first_line; l != nullptr; l = l->next) ++n;
  return n;
}

void set_hidden(int id, bool hidden) {
  for (ScreenControl& c : g_viewer_bar.table) {
    if (c.flags == CF_END) break;
    if (c.id != id) continue;
    if (hidden) c.flags |= CF_HIDDEN;
    else c.flags &= ~CF_HIDDEN;
  }
}

// The paging buttons show only while the text is longer than the window; the repeat button once
// there is a search to repeat.
void show_viewer_buttons(const TextWindow* w) {
  const bool paging = window_line_count(w) > w->rows;
  const bool repeat = g_search.last_flags != FIND_NONE_YET;
  const int shown = (paging ? 1 : 0) | (repeat ? 2 : 0);
  if (shown == g_text_boxes.viewer_buttons_shown) return;
  g_text_boxes.viewer_buttons_shown = shown;
  for (int id : {VIEWER_FIRST_PAGE, VIEWER_PREVIOUS_PAGE, VIEWER_SCROLL, VIEWER_NEXT_PAGE,
                 VIEWER_LAST_PAGE})
    set_hidden(id, !paging);
  set_hidden(VIEWER_REPEAT, !repeat);
  draw_viewer_bar();
}

void set_up_viewer(TextWindow* w) {
  g_text_boxes.viewer_set_up = g_windows.active_node;
  g_text_boxes.viewer_buttons_shown = -1;
  if (w->file != nullptr) w->file->extension = ".TXT";
  show_status_line("");
  build_viewer_bar();
  push_control_table();
}

void leave_viewer() {
  g_form.caption_hidden_count = 0;
  g_text_boxes.viewer_set_up = nullptr;
  pop_control_table();
}

EventCode nc_command(int16_t command) {
  return g_buffer_entries.nc_menu_command != nullptr ? g_buffer_entries.nc_menu_command(command)
                                                     : 0;
}

EventCode nc_key(EventCode code) {
  return g_buffer_entries.nc_editor_key_map != nullptr ? g_buffer_entries.nc_editor_key_map(code)
                                                       : code;
}

// What a viewer button does; 0 when nothing is left for the run loop.
EventCode button_action(int id) {
  EventCode result = 0;
  switch (id) {
    case VIEWER_CANCEL: leave_viewer(); return KEY_ESC;
    case VIEWER_COPY: result = nc_command(NC_COMMAND_COPY); break;
    case VIEWER_PRINT: result = nc_command(NC_COMMAND_PRINT); break;
    case VIEWER_SAVE: result = nc_command(NC_COMMAND_SAVE_AS_FILE); break;
    case VIEWER_FIND: return nc_key(KEY_CTRL_F);
    case VIEWER_REPLACE: return nc_key(KEY_CTRL_R);
    case VIEWER_REPEAT: return nc_key(KEY_F3);
    case VIEWER_FIRST_PAGE: return g_text_boxes.last_paging_code = KEY_CTRL_PGUP;
    case VIEWER_PREVIOUS_PAGE: return g_text_boxes.last_paging_code = KEY_PGUP;
    case VIEWER_NEXT_PAGE: return g_text_boxes.last_paging_code = KEY_PGDN;
    case VIEWER_LAST_PAGE: return g_text_boxes.last_paging_code = KEY_CTRL_PGDN;
    default: return 0;
  }
  if (result != 0) return result;
  draw_window_frame(0);
  draw_viewer_bar();
  return 0;
}

EventCode viewer_click() {
  const int id = hit_test_controls(g_pointer.wanted_x, g_pointer.wanted_y);
  g_editor_keys.last_clicked_button = paging_button(id) ? id : -1;
  g_editor_keys.press_tick = g_clock.ticks;
  g_editor_keys.hold_dy = 0;
  return id >= 0 ? button_action(id) : 0;
}

// While a paging button is held: its code again after a moment (ticks are read here, so the
// repeat runs in time), the scroll button follows the pointer. -1 when nothing is held.
int viewer_hold() {
  while (g_editor_keys.last_clicked_button >= 0) {
    EventCode repeated = 0;
    if (editor_mouse_hold(VIEWER_SCROLL, &repeated) == 0) break;
    if (repeated != 0) return button_action(repeated);
    if (g_editor_keys.last_clicked_button == VIEWER_SCROLL) return 0;
    const EventCode code = wait_input_code();
    if (code == EVENT_QUIT || code == EVENT_REDRAW) {
      push_input_code_front(code);
      g_editor_keys.last_clicked_button = -1;
      break;
    }
  }
  return -1;
}

// ---- The Cancel/Save pop-up ------------------------------------------------------------------

constexpr uint8_t CANCEL_ID = 27;
constexpr uint8_t SAVE_ID = 13;
constexpr int POPUP_BUTTON_WIDTH = 6;
constexpr uint32_t POPUP_FLAGS = 0x11;

struct CancelSaveBar {
  ScreenControl table[3];
};
CancelSaveBar g_cancel_save;

void draw_cancel_save() { draw_controls(g_cancel_save.table, 0); }

void close_cancel_save() {
  if (g_text_boxes.cancel_save_window == nullptr) return;
  g_text_boxes.cancel_save_window = nullptr;
  close_top_popup();
  pop_control_table();
}

}  // namespace

// ---- Editing lines in a window ---------------------------------------------------------------

int edit_lines_in_window(LineList* lines, const char* title, int row, int column, int height,
                         int width, WindowKeyFilter key_filter, WindowLineDrawer line_drawer,
                         uint32_t window_flags, void* data1, void* data2, uint16_t options) {
  if (lines == nullptr) return 0;
  push_active_window();
  const int top = row < 0 ? -row : row - height / 2;
  const int left = column < 0 ? -column : column - width / 2;
  const int wrap_width = (window_flags & WINDOW_WORD_WRAP) != 0 ? width - 1 : UNWRAPPED_WIDTH;
  push_list();
  clear_current_list();
  if (!append_copies(lines->first) ||
      (g_lists.current.first == nullptr && append_line("") == nullptr)) {
    free_current_list();
    pop_list();
    pop_active_window();
    return 0;
  }
  TextLine* node = create_window(nullptr, {
      .top_row = top, .left_column = left, .bottom_row = top + height - 1,
      .right_column = left + width, .flags = window_flags,
      .key_filter = key_filter != nullptr ? key_filter : editor_key_filter,
      .line_drawer = line_drawer != nullptr ? line_drawer : draw_window_line, .with_file = true,
      .options = options, .wrap_width = wrap_width,
      .title = title, .data1 = data1, .data2 = data2,
  });
  if (node == nullptr) free_current_list();
  pop_list();
  if (node == nullptr) {
    pop_active_window();
    return 0;
  }
  activate_window(node);
  reformat_lines(nullptr, nullptr, wrap_width);
  store_window_state();
  const bool accepted = run_window(node) != nullptr;
  if (accepted) {
    // The window gives its lines up to the caller.
    TextWindow* w = window_of(node);
    free_list(lines->first);
    *lines = LineList{w->first_line, w->last_line};
    while (lines->first != nullptr && lines->first->prev != nullptr)
      lines->first = lines->first->prev;
    w->first_line = w->current_line = w->last_line = nullptr;
    w->block_start = w->block_end = nullptr;
    if (g_windows.active_node == node) {
      g_lists.current = LineList{};
      g_lists.cursor_line = g_lists.block_start = g_lists.block_end = nullptr;
    }
  }
  destroy_window(node);
  pop_active_window();
  request_full_redraw();
  if (g_form.redraw_level == 0) g_form.redraw_level = 1;
  return accepted ? 1 : 0;
}

// ---- Editing a short text in a box -----------------------------------------------------------

int edit_text_in_box(const char* text, char* out, size_t out_size, const char* title, int row,
                     int column, int width, void* data1, void* data2) {
  const uint32_t flags = g_text_boxes.box_flags;
  g_text_boxes.box_flags = TEXT_BOX_FLAGS;
  if (out == nullptr || out_size == 0) return 0;
  out[0] = 0;
  if (width < 2) return 0;
  push_hit_state();
  g_controls.hit_test_off = true;
  g_form.caption_hidden_count = 1;
  push_active_window();
  push_list();
  clear_current_list();
  wrap_text_into_lines(text != nullptr ? text : "", width);
  if (g_lists.current.first == nullptr) append_line("");
  renumber_lines();
  int lines = 0;
  for (const TextLine* l = g_lists.current.first; l != nullptr; l = l->next) ++lines;
  const int height = box_height(row, lines);
  const int centre_row = row == 0 ? BOX_CENTRE_ROW : row;
  const int centre_column = column == MSGBOX_CENTRE ? g_display.current.last_column / 2 : column;
  const int top = centre_row - height / 2;
  const int left = centre_column - width / 2;
  TextLine* node = create_window(nullptr, {
      .top_row = top, .left_column = left, .bottom_row = top + height - 1,
      .right_column = left + width - 1, .flags = flags, .key_filter = editor_key_filter,
      .line_drawer = draw_window_line, .options = BOX_OPTIONS, .wrap_width = width - 1,
      .title = title, .data1 = data1, .data2 = data2,
  });
  if (node == nullptr) free_current_list();
  pop_list();
  std::string result;
  while (node != nullptr) {
    if (run_window(node) == nullptr) break;
    std::string joined = joined_box_text(window_of(node)->first_line);
    if (joined.size() < out_size) {
      result = std::move(joined);
      break;
    }
    // Nothing is cut: the user shortens the text, or leaves it.
    char notice[200];
    std::snprintf(notice, sizeof notice, TOO_LONG_FORMAT, out_size - 2);
    show_text_box(notice, TEXTBOX_PRESS_A_KEY);
    activate_window(node);
    draw_window_frame(0);
  }
  if (node != nullptr) destroy_window(node);
  pop_active_window();
  pop_hit_state();
  std::memcpy(out, result.c_str(), result.size() + 1);
  return static_cast<unsigned char>(out[0]);
}

// ---- The report viewer --------------------------------------------------------------------

EventCode report_viewer_key_filter() {
  TextWindow* w = g_windows.active;
  if (w == nullptr) return wait_input_code();
  if (g_text_boxes.viewer_set_up != g_windows.active_node) set_up_viewer(w);
  show_viewer_buttons(w);
  for (;;) {
    const int held = viewer_hold();
    if (held >= 0) return static_cast<EventCode>(held);
    w->flags &= ~WINDOW_CHANGED;
    const EventCode code = editor_key_filter();
    w->flags &= ~WINDOW_CHANGED;
    switch (code) {
      case 0: return 0;
      case EVENT_TICK: continue;
      case KEY_ESC:
      case EVENT_QUIT:
        leave_viewer();
        return code;
      case WINDOW_ACCEPT:
        nc_command(NC_COMMAND_VIEWER_ACCEPT);
        return 0;
      case EVENT_LEFT_DOWN: return viewer_click();
      default: return code;
    }
  }
}

// ---- The Cancel/Save pop-up ----------------------------------------------------------------

void show_cancel_save_buttons(TextLine* window, int flag) {
  TextWindow* w = window_of(window);
  if (w == nullptr) return;
  close_cancel_save();
  const int top = w->bottom_row + 2;
  const int left = w->left_column;
  push_active_window();
  push_list();
  clear_current_list();
  TextLine* node = create_window(nullptr, {
      .top_row = top, .left_column = left, .bottom_row = top,
      .right_column = left + 2 * POPUP_BUTTON_WIDTH + 3, .flags = POPUP_FLAGS,
      .line_drawer = draw_window_line,
  });
  pop_list();
  if (node == nullptr) {
    pop_active_window();
    return;
  }
  activate_window(node);
  draw_window_frame(0);
  store_window_state();
  push_popup();
  g_popups.current = node;
  g_popups.window = window_of(node);
  pop_active_window();
  // The buttons stand on the pop-up's row, in the cells the controls are laid out in.
  const CellMetrics& cells = g_display.current;
  const CellMetrics& menu = g_display.presets[FACE_ROLE_MENU];
  const int row = menu.cell_height > 0 ? top * cells.cell_height / menu.cell_height : top;
  const int column = menu.cell_width > 0 ? left * cells.cell_width / menu.cell_width : left;
  ScreenControl* t = g_cancel_save.table;
  t[0] = make_control("Cancel", CANCEL_ID, row, column + 1, 1, POPUP_BUTTON_WIDTH, 0, 0);
  t[1] = make_control("Save \f\x08&", SAVE_ID, row, column + 2 + POPUP_BUTTON_WIDTH, 1,
                      POPUP_BUTTON_WIDTH, 0, flag != 0 ? 0 : CF_HIDDEN);
  t[2] = end_control();
  g_text_boxes.cancel_save_window = window;
  g_text_boxes.cancel_save_shown = flag != 0;
  push_control_table();
  draw_cancel_save();
}

EventCode cancel_save_key_filter() {
  TextWindow* w = g_windows.active;
  if (w == nullptr) return wait_input_code();
  if (g_text_boxes.cancel_save_window != g_windows.active_node)
    show_cancel_save_buttons(g_windows.active_node, 0);
  for (;;) {
    if (!g_text_boxes.cancel_save_shown && (w->flags & WINDOW_CHANGED) != 0) {
      g_cancel_save.table[1].flags &= ~CF_HIDDEN;
      g_text_boxes.cancel_save_shown = true;
      draw_cancel_save();
    }
    const EventCode code = editor_key_filter();
    switch (code) {
      case EVENT_TICK: continue;
      case KEY_ESC:
      case WINDOW_CANCEL:
      case WINDOW_ACCEPT:
      case EVENT_QUIT:
        close_cancel_save();
        return code;
      case EVENT_LEFT_DOWN: {
        const int id = hit_test_controls(g_pointer.wanted_x, g_pointer.wanted_y);
        if (id != SAVE_ID && id != CANCEL_ID) return 0;
        close_cancel_save();
        return id == SAVE_ID ? WINDOW_ACCEPT : KEY_ESC;
      }
      default: return code;
    }
  }
}

void reset_text_boxes() {
  g_text_boxes = TextBoxState();
  reset_editor_key_filter();
}
