// Dialog forms: building the window from its catalogue message, running it, and the protocol of
// the field handlers.
#include "ui/dialog_form.h"

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "screen/display_mode.h"
#include "screen/hover.h"
#include "screen/main_form.h"
#include "screen/palette.h"
#include "screen/pointer.h"
#include "screen/screen_attributes.h"
#include "screen/text_output.h"
#include "store/catalogue.h"
#include "ui/list_window.h"
#include "ui/run_window.h"
#include "ui/window_frames.h"

FieldDisplay g_field;
FormHooks g_form_hooks;

void no_line_hook(int /*row*/, TextLine* /*line*/) {}

namespace {

constexpr int LAYOUT_CENTRE = -33;          // top row code of 'C'
constexpr uint8_t LAYOUT_NUMBER_FROM = 'd';  // this letter and above give a number (c - 100)
constexpr int SCRATCH_COLOUR_BASE = 200;
constexpr uint8_t FORM_LINE_KIND = 0x10;
constexpr int FORM_WRAP_WIDTH = 125;
constexpr uint16_t TEXT_BOX_STYLE_FORM = 0x1800;
// The legend of forms: the keys and glyph bytes the run loop answers to.
constexpr char FORM_LEGEND[] = "HPIQ\x91\x8D\xB7\xB8\x84v";

struct Layout {
  int top = LAYOUT_CENTRE;
  int left = 0;
  char align = 'C';        // 0 when the left column is a number
  int width = 0;           // 0: to the right edge
  int colour_base = -1;    // -1: the current one
  uint32_t flags = FORM_FLAGS_PLAIN;
  uint32_t list_options = FORM_LIST_ROW_KEYS;
  uint16_t options = FORM_OPTIONS;
};

struct StyleLetter {
  char letter;
  uint32_t flags;
  uint32_t list_options;
};
constexpr StyleLetter STYLE_LETTERS[] = {
    {'N', 0x400010, 0x8000000},
    {'n', 0x400011, 0xA008000},
    {'o', 0x400010, 0x2000000},
    {'p', 0x400011, 0x10008000},
};

Layout decode_layout(const std::string& code) {
  Layout l;
  const auto at = [&](size_t i) -> int {
    return i < code.size() ? static_cast<uint8_t>(code[i]) : -1;
  };
  if (at(0) >= 0 && at(0) != 'C') l.top = at(0) - 100;
  if (at(1) >= LAYOUT_NUMBER_FROM) {
    l.left = at(1) - 100;
    l.align = 0;
  } else if (at(1) >= 0) {
    l.align = static_cast<char>(at(1));
  }
  if (at(2) >= LAYOUT_NUMBER_FROM) l.width = at(2) - 100;
  if (at(3) >= 0) {
    const int base = (at(3) - 100) * 10;
    if (base >= 0 && base <= 230) l.colour_base = base;
  }
  size_t pos = 4;
  for (const StyleLetter& s : STYLE_LETTERS) {
    if (at(pos) == s.letter) {
      l.flags = s.flags;
      l.list_options = s.list_options;
      ++pos;
      break;
    }
  }
  if (at(pos) == 'R') {
    l.options |= WINDOW_OPTION_MEDIUM_FONT;
    ++pos;
  }
  if (at(pos) == 'r') ++pos;
  if (at(pos) == 'S') l.flags |= WINDOW_KEEP_UNDER;
  return l;
}

// Columns of the form: left column and width from the layout and the screen's columns.
void place_columns(Layout* l, int screen_columns) {
  const int c = screen_columns;
  if (l->width > 0) {
    if (l->align == 'C') l->left = (c - l->width) / 2;
    else if (l->align != 0) l->left = c - l->width - 2;
  } else {
    if (l->align != 0) l->left = 1;
    l->width = c - l->left - 1;
  }
  if (l->left > c) l->left = (c - l->width) / 2;
  if (l->left + l->width + 2 > c) l->left = c - l->width - 4;
  l->left = std::max(l->left, 0);
}

int place_top_row(int top, int fields, int screen_rows) {
  const int r = screen_rows;
  if (top == LAYOUT_CENTRE) top = r / 2 - fields / 2;
  else if (top > 100) top = r - 4 - fields;
  if (top <= 0) top = 1;
  if (top + fields - 1 > r - 3) top = r - fields - 2;
  return std::max(top, 0);
}

// The title, layout code and labels of message `message`; false when it is missing.
bool read_form_message(int message, std::string* title, std::string* code,
                       std::vector<std::string>* labels) {
  if (find_message(message) == 0) return false;
  clear_message_text();
  read_message_line(0);
  *title = message_text();
  clear_message_text();
  read_message_line(0);
  *code = message_text();
  for (;;) {
    clear_message_text();
    if (read_message_line(1) == 0) break;
    labels->push_back(message_text());
  }
  return true;
}

// Gives each line of the current list from line `first` on two help lines of message `message`
// as its extra.
void attach_help_lines(int message, int first = 0) {
  if (find_message(message) == 0) return;
  TextLine* line = g_lists.current.first;
  for (int n = 0; n < first && line != nullptr; ++n) line = line->next;
  for (; line != nullptr; line = line->next) {
    clear_message_text();
    if (read_message_line(1) == 0) return;
    read_message_line(1);
    std::string help = message_text();
    if (!help.empty() && help.back() == '\n') help.pop_back();
    line->extra.assign(help.begin(), help.end());
    line->extra.push_back(0);
  }
}

// The ten colours of the form's base are copied to the scratch scheme, which the form uses.
int use_scratch_colours(int base) {
  for (int k = 0; k < COLOUR_SLOT_COUNT; ++k)
    g_palette.palette[SCRATCH_COLOUR_BASE + k] = g_palette.palette[(base + k) & 0xFF];
  return SCRATCH_COLOUR_BASE;
}

void take_one_shot_settings(Layout* l) {
  FieldDisplay& f = g_field;
  if (f.next_top_row != 0) l->top = f.next_top_row;
  if (f.next_left_column != 0) {
    l->left = f.next_left_column;
    l->align = 0;
  }
  if (f.next_list_options != 0) l->list_options = f.next_list_options;
}

void clear_one_shot_settings() {
  FieldDisplay& f = g_field;
  f.next_top_row = 0;
  f.next_left_column = 0;
  f.next_extra_lines = 0;
  f.next_list_options = 0;
  f.next_label_width = 0;
  f.next_scratch_colours = false;
  f.next_overlay_form = 0;
  f.next_overlay_row = 0;
}

void show_cursor_help() {
  const TextLine* line = g_lists.cursor_line;
  if (line == nullptr || line->extra.empty() || line->extra.back() != 0) return;
  show_help_text_line(reinterpret_cast<const char*>(line->extra.data()));
}

// The first pass puts the cursor on the initial field and the pointer on its value.
void apply_initial_field(TextWindow* w) {
  FieldDisplay& f = g_field;
  for (int n = 0; n < f.initial_field; ++n) {
    if (g_lists.cursor_line == nullptr || g_lists.cursor_line->next == nullptr) break;
    g_lists.cursor_line = g_lists.cursor_line->next;
    ++w->cursor_row;
  }
  if (f.initial_field > 0) w->cursor_column = static_cast<int16_t>(f.value_column);
  f.initial_field = 0;
  if (f.pointer_on_field) {
    const int ch = g_display.current.cell_height;
    const int row = w->top_row + w->cursor_row;
    const int shape = g_pointer.shape;
    const bool middle = shape == 3 || shape == 5 || shape == 110;
    glide_pointer(f.value_column * g_display.current.cell_width,
                  middle ? row * ch + ch / 2 : (row + 1) * ch - 2);
  }
  f.pointer_on_field = false;
}

// The overlay's labels over the rows from `row` on: lines past the end are added (blank ones
// up to the row first).
void overlay_form_labels(const std::vector<std::string>& labels, int row) {
  TextLine* line = g_lists.current.first;
  for (int n = 0; n < row; ++n) {
    if (line == nullptr) {
      line = append_line("\n");
      if (line != nullptr) line->kind = FORM_LINE_KIND;
    }
    line = line != nullptr ? line->next : nullptr;
  }
  for (const std::string& label : labels) {
    if (line != nullptr) {
      TextLine* next = line->next;
      line = set_line_text(label.c_str(), line);
      if (line != nullptr) line->kind = FORM_LINE_KIND;
      line = next;
    } else {
      TextLine* added = append_line(label.c_str());
      if (added != nullptr) added->kind = FORM_LINE_KIND;
    }
  }
}

}  // namespace

// ---- Building and running ----------------------------------------------------------------------

TextLine* build_dialog(int message, WindowKeyFilter field_handler) {
  std::string title, code;
  std::vector<std::string> labels;
  if (!read_form_message(message, &title, &code, &labels)) return nullptr;
  FieldDisplay& f = g_field;
  Layout l = decode_layout(code);
  take_one_shot_settings(&l);
  const bool medium = (l.options & WINDOW_OPTION_MEDIUM_FONT) != 0;
  const CellMetrics& cells = g_display.presets[medium ? FACE_ROLE_MENU : FACE_ROLE_NORMAL];
  place_columns(&l, cells.last_column);

  push_list();
  clear_current_list();
  for (const std::string& label : labels) {
    TextLine* line = append_line(label.c_str());
    if (line != nullptr) line->kind = FORM_LINE_KIND;
  }
  for (int i = 0; i < f.next_extra_lines; ++i) {
    TextLine* line = append_line("\n");
    if (line != nullptr) line->kind = FORM_LINE_KIND;
  }
  std::vector<std::string> overlay;
  std::string overlay_title, overlay_code;
  const bool overlaid = f.next_overlay_form != 0 && f.next_overlay_row >= 0 &&
                        read_form_message(f.next_overlay_form, &overlay_title, &overlay_code, &overlay);
  if (overlaid) overlay_form_labels(overlay, f.next_overlay_row);
  const int fields = std::max(count_current_lines(), 1);
  g_windows.help_options = l.options;
  attach_help_lines(message + 1);
  if (overlaid) attach_help_lines(f.next_overlay_form + 1, f.next_overlay_row);

  int colour_base = l.colour_base >= 0 ? l.colour_base : g_attributes.colour_base;
  if (f.next_scratch_colours) colour_base = use_scratch_colours(colour_base);
  const uint16_t options = static_cast<uint16_t>((l.options & 0xFF00) | (colour_base & 0xFF));
  const int top = place_top_row(l.top, fields, cells.last_row);
  TextLine* node = create_window(nullptr, {
      .top_row = top, .left_column = l.left, .bottom_row = top + fields - 1,
      .right_column = l.left + l.width, .flags = l.flags, .key_filter = field_handler,
      .line_drawer = draw_window_line, .options = options, .legend = FORM_LEGEND,
      .wrap_width = FORM_WRAP_WIDTH, .title = title.c_str(), .list_options = l.list_options,
  });
  if (node == nullptr) free_current_list();
  pop_list();
  if (node != nullptr) {
    TextWindow* w = window_of(node);
    w->line_count = fields;
    w->value_column = static_cast<uint8_t>(std::clamp(f.next_label_width, 0, 255));
    w->title_picture = f.next_scratch_colours ? 1 : 0;
    w->picture_placement = f.second_frame_byte;
  }
  clear_one_shot_settings();
  return node;
}

int run_dialog(int message, WindowKeyFilter field_handler) {
  TextLine* node = build_dialog(message, field_handler);
  if (node == nullptr) return 0;
  clear_hover();
  g_form.redraw_level = 0;
  set_pointer_shape(POINTER_ARROW);
  g_field.last_pointer_event = 0;
  push_active_window();
  // A form opened from a form's field: the outer form's help comes back with it.
  TextLine* const outer_form = g_field.running_form;
  g_field.running_form = node;
  // The form's lines go with its window, so only whether it was accepted is handed back.
  const bool accepted = run_window(node) != nullptr;
  g_field.running_form = outer_form;
  destroy_window(node);
  pop_active_window();
  g_field.value_colour = COLOUR_SLOT_TEXT;
  g_field.edit_colour = COLOUR_SLOT_HIGHLIGHT;
  return accepted ? 1 : 0;
}

// ---- The handler protocol ----------------------------------------------------------------------

EventCode begin_field_handler() {
  TextWindow* w = g_windows.active;
  if (w == nullptr) return 0;
  FieldDisplay& f = g_field;
  g_text.text_box_style = TEXT_BOX_STYLE_FORM;
  f.redraw.assign(static_cast<size_t>(std::max(count_current_lines(), 1)), 0);
  f.redraw_index = -1;
  f.display_row = w->top_row + w->cursor_row;
  f.value_column = find_value_column();
  f.window_width = w->columns;
  if (w->line_drawer == no_line_hook) {
    if (f.last_ending_event != 0) show_cursor_help();
    w->flags &= ~POINTER_WINDOW_DRAWING_BITS;
    return 0;
  }
  w->line_drawer = no_line_hook;
  g_windows.line_drawer = no_line_hook;
  apply_initial_field(w);
  f.display_row = w->top_row + w->cursor_row;
  std::fill(f.redraw.begin(), f.redraw.end(), 1);
  f.last_ending_event = KEY_UP;
  hide_pointer();
  return FORM_FIRST_PASS;
}

void flag_changed_field(EventCode result) {
  const TextWindow* w = g_windows.active;
  if (result >= 0 || w == nullptr) return;
  const size_t row = static_cast<size_t>(std::max<int>(w->cursor_row, 0));
  if (row < g_field.redraw.size()) g_field.redraw[row] = 1;
}

EventCode edit_current_field(EventCode (*edit)(int row)) {
  EventCode result = begin_field_handler();
  const TextWindow* w = g_windows.active;
  if (result == 0 && w != nullptr) {
    result = edit(std::max<int>(w->cursor_row, 0));
    flag_changed_field(result);
    repaint_dialog();
  }
  return result;
}

void show_every_field(void (*show)()) {
  std::fill(g_field.redraw.begin(), g_field.redraw.end(), 1);
  begin_display_pass();
  show();
}

EventCode end_field_handler(EventCode result) {
  FieldDisplay& f = g_field;
  const TextWindow* w = g_windows.active;
  if (w != nullptr) {
    set_colour_base(w->options & WINDOW_OPTION_COLOUR_MASK);
    f.last_field_row = w->cursor_row;
  }
  f.help_topic = 0;
  g_text.text_box_cells = 0;
  if (result == FIELD_CANCELLED) {
    f.last_ending_event = 0;
    return 0;
  }
  int r = std::abs(static_cast<int>(result));
  if (r == WINDOW_CANCEL) {
    f.last_ending_event = 0;
    return WINDOW_CANCEL;
  }
  // Uncovering the form repaints it where it stands; only a change of display mode, which
  // moves every cell, ends it (the values the fields stored stay the caller's).
  if (r == EVENT_REDRAW && g_form.resize_pending == RESIZE_NONE) {
    if (g_form.redraw_level == 0) g_form.redraw_level = 1;
    repaint_dialog();
    f.last_ending_event = 0;
    return 0;
  }
  if (r == EVENT_REDRAW || r == KEY_ESC || r == EVENT_RIGHT_DOWN || r == EVENT_QUIT ||
      g_events.quit_requested) {
    f.last_ending_event = 0;
    return KEY_ESC;
  }
  if (r == EVENT_LEFT_DOWN || r == FIELD_CLICK) {
    r = w != nullptr && (w->list_options & FORM_LIST_ROW_KEYS) != 0 ? pointer_row_to_keys() : 0;
  } else if ((r >= EVENT_POINTER_MOVE && r <= WINDOW_DRAG_RIGHT) || r == WINDOW_ACCEPT ||
             r == WINDOW_REDRAW) {
    // passed on as they are
  } else if (r == KEY_HOME || r == KEY_CTRL_HOME) {
    r = FORM_FIRST_FIELD;
  } else if (r == KEY_END || r == KEY_CTRL_END) {
    r = FORM_LAST_FIELD;
  } else if (r == KEY_LEFT || r == KEY_RIGHT || r < KEY_HOME || r > 401 || r == KEY_INS ||
             r == KEY_DEL) {
    r = 0;
  }
  f.last_ending_event = static_cast<EventCode>(r == FORM_FIRST_PASS ? KEY_UP : r);
  return static_cast<EventCode>(r);
}

// ---- Layout -------------------------------------------------------------------------------------

int label_width(const char* text) {
  if (text == nullptr) return 0;
  int visible = 0;
  for (const char* p = text; *p != 0 && *p != '\n'; ++p) {
    const uint8_t c = static_cast<uint8_t>(*p);
    if (c == TC_GLYPH && p[1] != 0) {
      ++p;
      ++visible;
      continue;
    }
    if (c == TC_HIGHLIGHT || c == TC_SECOND || c == TC_THIRD || c == TC_NORMAL) continue;
    ++visible;
    if (c == ':' || c == '?') return visible;
  }
  return 0;
}

int find_value_column() {
  TextWindow* w = g_windows.active;
  if (w == nullptr) return 0;
  if (w->value_column == 0) {
    for (const TextLine* line = w->first_line; line != nullptr; line = line->next) {
      const int width = label_width(line->text.c_str());
      if (width != 0) {
        w->value_column = static_cast<uint8_t>(std::min(width, 255));
        break;
      }
    }
  }
  const int column = w->value_column + w->left_column + 1;
  return column == 1 ? 0 : column;
}

int widest_form_label(int message) {
  std::string title, code;
  std::vector<std::string> labels;
  if (!read_form_message(message, &title, &code, &labels)) return 0;
  int widest = 0;
  for (const std::string& label : labels) widest = std::max(widest, label_width(label.c_str()));
  return widest;
}

// ---- Test hooks ---------------------------------------------------------------------------------

void reset_dialog_forms() {
  g_field = FieldDisplay();
  g_form_hooks = FormHooks();
}
