#include "ui/layer_list.h"

#include <algorithm>
#include <cstdio>
#include <string>

#include "cam/make_nc.h"
#include "geometry/layers.h"
#include "records/job_settings.h"
#include "screen/boxes.h"
#include "screen/controls.h"
#include "screen/display_mode.h"
#include "screen/hover.h"
#include "screen/pointer.h"
#include "screen/text_output.h"
#include "store/picture_numbers.h"
#include "ui/dialog_form.h"
#include "ui/list_window.h"
#include "ui/message_box.h"
#include "ui/picture_menu.h"
#include "ui/run_window.h"
#include "ui/settings_fields.h"
#include "ui/standard_dialogs.h"
#include "ui/text_window.h"
#include "ui/window_frames.h"

LayerListHooks g_layer_hooks;
LayerListState g_layer_list;

namespace {

constexpr uint32_t LAYER_WINDOW_FLAGS = 0x404833;
constexpr uint16_t LAYER_WINDOW_OPTIONS = 0x10A;
constexpr uint32_t LAYER_LIST_OPTIONS = 0x20001212;
constexpr uint32_t TOP_FLAG_BITS = 0xC0000000u;
constexpr int LAYER_FIELD_WIDTH = 26;
constexpr int LAYER_FIELD_CLICK_CELLS = 9;
constexpr int STYLE_AREA = 2;
constexpr uint8_t REDRAW_CLOSES_LIST = 'P';
constexpr uint32_t REFUSAL_BOX = 0x60000;
constexpr uint32_t WHITE = 0xFFFFFF;
constexpr uint32_t BLACK = 0x000000;
constexpr char CHECKED_BOX[] = "\x0E\x08<\x08=\x13";
constexpr char UNCHECKED_BOX[] = "\x0E\x08?\x08@\x13";
constexpr char LAYER_NUMBER_REFUSED_TEXT[] =
    "Layers 244 to 254 are kept for the drawing's own colours: give a layer from 0 to 243, or "
    "255 for none.";

bool is_special(const TextLine* node) { return node != nullptr && node->id >= LAYER_USER_COUNT; }

void job_changed() { mark_job_changed(); }

// The window over the layer table's lines, made at its first use.
TextLine* layer_window() {
  if (window_of(g_layer_list.window) != nullptr) return g_layer_list.window;
  push_list();
  clear_current_list();
  g_layer_list.window = create_window(nullptr, {
      .top_row = 7, .left_column = 26, .bottom_row = 32, .right_column = 62,
      .flags = LAYER_WINDOW_FLAGS, .key_filter = layer_list_filter,
      .line_drawer = draw_layer_row, .options = LAYER_WINDOW_OPTIONS, .legend = "",
      .wrap_width = 250, .title = LAYER_LIST_TITLE, .list_options = LAYER_LIST_OPTIONS,
  });
  pop_list();
  return g_layer_list.window;
}

// The window shows the layer table's lines as they are now (a job read or the defaults made them
// anew); the cursor stays on its layer when that layer is still there.
void point_window_at_layers(TextWindow* w) {
  const int layer = w->current_line != nullptr ? w->current_line->id : 0;
  w->first_line = g_layers.list.first;
  w->last_line = g_layers.list.last;
  TextLine* current = layer_line(layer);
  w->current_line = current != nullptr ? current : g_layers.list.first;
  const int row = w->current_line != nullptr ? w->current_line->id : 0;
  w->cursor_row = static_cast<int16_t>(std::clamp(std::min<int>(w->cursor_row, row), 0,
                                                  std::max(0, w->bottom_row - w->top_row)));
}

// A layer name keeps one leading blank at most and is never empty.
void tidy_layer_name(TextLine* node) {
  if (node == nullptr) return;
  std::string name = node->text;
  if (!name.empty() && name.back() == '\n') name.pop_back();
  const size_t blanks = name.find_first_not_of(' ');
  const size_t leading = blanks == std::string::npos ? name.size() : blanks;
  if (leading >= 2) name = name.substr(leading - 1);
  if (name.empty()) name.assign(1, LAYER_UNNAMED[0]);
  if (name != node->text) set_line_text(name.c_str(), node);
}

void layer_switched() {
  ++g_layers.change_counter;
  clear_tool_path();
  if (g_layer_hooks.extents_changed != nullptr) g_layer_hooks.extents_changed();
  job_changed();
}

void choose_style(TextLine* node) {
  const int cell = picture_grid_menu(PICTURE_LINE_STYLE_MENU, 5, 1, g_pointer.wanted_x,
                                     g_pointer.wanted_y, 0, 0, g_layers.styles[node->id]);
  if (cell < 0 || cell > LAYER_STYLE_DASH_DOT_DOT) return;
  if (g_layers.styles[node->id] == cell) return;
  g_layers.styles[node->id] = static_cast<uint8_t>(cell);
  node->state |= LINE_STATE_REDRAW;
  g_windows.redraw_pending = 1;
  ++g_layers.change_counter;
  job_changed();
}

void choose_layer_colour(TextLine* node) {
  uint32_t colour = g_layers.colours[node->id];
  if (choose_colour(&colour) != DIALOG_CHOSEN) return;
  g_layers.colours[node->id] = colour;
  node->state |= LINE_STATE_REDRAW;
  g_windows.redraw_pending = 1;
  ++g_layers.change_counter;
  job_changed();
}

// The line style across two pixel rows: dashes of `on` pixels every `period`, or a pattern.
void draw_style_sample(int style, int x, int y, int length) {
  for (int i = 0; i < length; ++i) {
    bool ink = true;
    switch (style) {
      case LAYER_STYLE_DASHED: ink = i % 8 < 4; break;
      case LAYER_STYLE_DOTTED: ink = i % 4 < 2; break;
      case LAYER_STYLE_DASH_DOT: ink = i <= 3 || i == 7 || i == 8; break;
      case LAYER_STYLE_DASH_DOT_DOT: ink = i <= 3 || i == 7 || i == 8 || i == 12 || i == 13; break;
      default: break;
    }
    if (ink) fill_rect(x + i, y, x + i + 1, y + 2, BLACK);
  }
}

}  // namespace

// ---- Running the list -----------------------------------------------------------------------

void place_layer_list(int row, int column) {
  if (TextWindow* w = window_of(layer_window())) place_window(w, row, column);
}

TextLine* run_layer_list() {
  TextLine* node = layer_window();
  TextWindow* w = window_of(node);
  if (w == nullptr || g_layers.list.first == nullptr) return nullptr;
  point_window_at_layers(w);
  push_active_window();
  push_hit_state();
  g_controls.hit_test_off = true;
  g_run.last_framed_window = nullptr;
  TextLine* chosen = run_window(node);
  close_window_background();
  pop_hit_state();
  // The lines stay the layer table's; no line is added or taken by the list.
  g_layers.list.first = w->first_line;
  g_layers.list.last = w->last_line;
  pop_active_window();
  return chosen;
}

TextLine* pick_layer() {
  TextLine* chosen = run_layer_list();
  copy_layer_visibility(g_layers.visibility.data());
  return chosen;
}

TextLine* pick_layer_with_flags(uint8_t flags[256]) {
  set_layer_states(flags);
  TextLine* chosen = run_layer_list();
  copy_layer_visibility(flags);
  set_layer_states(g_layers.visibility.data());
  return chosen;
}

void free_layer_list_window() {
  TextWindow* w = window_of(g_layer_list.window);
  if (w != nullptr) {
    // The lines belong to the layer table.
    w->first_line = w->current_line = w->last_line = nullptr;
    w->block_start = w->block_end = nullptr;
    if (g_windows.active_node == g_layer_list.window) {
      g_lists.current = LineList{};
      g_lists.cursor_line = nullptr;
    }
    destroy_window(g_layer_list.window);
  }
  g_layer_list.window = nullptr;
}

// ---- The window's drawer and filter ---------------------------------------------------------

void draw_layer_row(int row, TextLine* node) {
  const TextWindow* w = g_windows.active;
  if (w == nullptr || node == nullptr) return;
  std::string name = node->text;
  if (!name.empty() && name.back() == '\n') name.pop_back();
  char text[400];
  std::snprintf(text, sizeof text, "%s\x0e%-3d\x13 %-36s",
                (node->state & LAYER_STATE_ON) != 0 ? CHECKED_BOX : UNCHECKED_BOX, node->id,
                name.c_str());
  // Cut to the window's width (plus the two box glyphs' escape bytes), in cells.
  std::string shown;
  int cells = 0;
  const int room = w->columns;
  for (const char* p = text; *p != 0 && cells < room; ++p) {
    const unsigned char c = static_cast<unsigned char>(*p);
    shown += *p;
    if (c == 0x0E || c == 0x13 || c == 0x0B || c == 0x0C) continue;
    if (c == 0x08 && p[1] != 0) shown += *++p;
    ++cells;
  }
  hide_pointer();
  draw_text(row, w->left_column, shown.c_str());
  const int cw = g_display.current.cell_width;
  const int ch = g_display.current.cell_height;
  const int layer = std::clamp<int>(node->id, 0, LAYER_COUNT - 1);
  const int box_left = (w->right_column - 3) * cw;
  const int top = row * ch;
  fill_rect(box_left, top, box_left + cw * 13 / 3, top + ch + 1, WHITE);
  draw_style_sample(g_layers.styles[layer], box_left + 3, top + ch / 2 - 1, 2 * cw);
  fill_rect(box_left + 2 * cw + 6, top + 1, box_left + 3 * cw + 8, top + ch - 1,
            colour_pixel(g_layers.colours[layer]));
  show_pointer();
}

EventCode layer_list_filter() {
  TextWindow* w = g_windows.active;
  if (w == nullptr) return KEY_ESC;
  w->flags &= ~TOP_FLAG_BITS;
  const EventCode code = list_key_filter();
  if (g_layer_hooks.redraw_request != nullptr && *g_layer_hooks.redraw_request != 0) {
    if (*g_layer_hooks.redraw_request == REDRAW_CLOSES_LIST) {
      if (g_layer_hooks.full_redraw != nullptr) g_layer_hooks.full_redraw();
      return KEY_ESC;
    }
    draw_window_frame(0);
    *g_layer_hooks.redraw_request = 0;
  }
  TextLine* node = g_lists.cursor_line;
  if ((w->flags & WINDOW_CHANGED) != 0) {
    w->flags &= ~WINDOW_CHANGED;
    job_changed();
  }
  tidy_layer_name(node);
  switch (code) {
    case LIST_TOGGLED:
      if (is_special(node)) {
        node->state |= LAYER_STATE_ON;
        node->state |= LINE_STATE_REDRAW;
        show_text_box(LAYER_OFF_REFUSED_TEXT, REFUSAL_BOX);
        return KEY_RIGHT;
      }
      layer_switched();
      return 0;
    case WINDOW_ACCEPT:
      if (is_special(node)) {
        show_text_box(LAYER_PICK_REFUSED_TEXT, REFUSAL_BOX);
        return 0;
      }
      return WINDOW_ACCEPT;
    case EVENT_LEFT_DOWN:
      if (node == nullptr || pointer_in_window() == 0) return 0;
      if (w->cursor_column == STYLE_AREA)
        choose_style(node);
      else
        choose_layer_colour(node);
      return 0;
    default: return code;
  }
}

// ---- The layer field of dialog forms -----------------------------------------------------------

void show_layer_name_field(int layer) {
  char text[300];
  if (layer == LAYER_NONE) {
    std::snprintf(text, sizeof text, "none");
  } else {
    const TextLine* node = layer_line(layer);
    std::string name = node != nullptr ? node->text : LAYER_UNNAMED;
    if (!name.empty() && name.back() == '\n') name.pop_back();
    if (name == LAYER_UNNAMED)
      std::snprintf(text, sizeof text, "%d", layer);
    else
      std::snprintf(text, sizeof text, "%s", name.c_str());
  }
  show_field_text(text, LAYER_FIELD_WIDTH);
}

EventCode edit_layer_field(uint8_t* record) {
  if (record == nullptr) return KEY_ESC;
  uint8_t& layer = record[LAYER_FIELD_OFFSET];
  const EventCode code = read_window_event(LAYER_FIELD_WIDTH);
  if (code == ' ') {
    poll_input_code(0);
    return ' ';
  }
  if (code >= 33 && code <= 122) {
    // Typed as a short, so that a number past a byte is seen and refused rather than cut; the
    // field shows the layer's name, so the first key starts a new number.
    int16_t typed = layer;
    const EventCode result =
        edit_value_field({&typed, 0}, FIELD_SHORT | FIELD_SELECT_ALL, FIELD_OPTIONS_USUAL, 3);
    if (result >= 0) return result;
    const bool allowed = (typed >= 0 && typed < LAYER_USER_COUNT) || typed == LAYER_NONE;
    if (!allowed) {
      show_text_box(LAYER_NUMBER_REFUSED_TEXT, TEXTBOX_PRESS_A_KEY);
      return 0;
    }
    layer = static_cast<uint8_t>(typed);
    return result;
  }
  if (code == EVENT_LEFT_DOWN) {
    const int cw = g_display.current.cell_width;
    const int ch = g_display.current.cell_height;
    const int column = cw > 0 ? g_pointer.wanted_x / cw : -1;
    const int row = ch > 0 ? g_pointer.wanted_y / ch : -1;
    const bool on_field = row == g_field.display_row && column >= g_field.value_column &&
                          column < g_field.value_column + LAYER_FIELD_CLICK_CELLS;
    if (!on_field) return code;
  } else if (code != KEY_ENTER) {
    return code;
  }
  poll_input_code(0);
  const TextLine* chosen = pick_layer();
  if (chosen == nullptr) return 0;
  layer = static_cast<uint8_t>(chosen->id);
  return FIELD_CHANGED;
}
