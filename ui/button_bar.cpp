#include "ui/button_bar.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <string>

#include "screen/boxes.h"
#include "screen/caret.h"
#include "screen/controls.h"
#include "screen/display_mode.h"
#include "screen/hover.h"
#include "screen/main_form.h"
#include "screen/pointer.h"
#include "screen/screen_attributes.h"
#include "screen/text_output.h"
#include "store/text_wrap.h"
#include "ui/pointer_motion.h"

ButtonBarState g_button_bar;

namespace {

constexpr int LABEL_GAP = 4;            // blanks between labels
constexpr char HIGHLIGHT = 0x0B;
constexpr int BAR_COLOUR_BASE = 140;
constexpr int STYLE_PLAIN = 0x0C;
constexpr int STYLE_DIALOG = 0x410;
constexpr int STYLE_SUNKEN = 0x204;
constexpr int STYLE_NOT_DIALOG = 0xC0;
constexpr int DIALOG_TEXT_SLOT = 161;   // colour slots 0 and 2 of a dialog bar
constexpr int DIALOG_HIGHLIGHT_SLOT = 164;
constexpr int SHAPE_ARROW = 11;
constexpr int SHAPE_HAND = 16;
constexpr EventCode KEY_SHIFT_TAB = 271;
constexpr EventCode KEY_SPACE = ' ';
constexpr EventCode FIRST_IGNORED = EVENT_LEFT_UP;   // releases, motion and modifiers
constexpr EventCode LAST_IGNORED = EVENT_ALT_UP;

struct Insets {
  int8_t left, top, right, bottom;
};
constexpr Insets DIALOG_INSETS = {-4, -2, 1, 2};
constexpr Insets PLAIN_INSETS = {-3, 1, 0, -2};

bool is_visible(const char* text, int i) {
  const unsigned char c = static_cast<unsigned char>(text[i]);
  return c >= ' ' || c == 0x08;
}

std::string hot_letters_of(const char* text) {
  std::string letters;
  for (const char* p = text; *p != '\0' && *p != '\n'; ++p)
    if (*p == HIGHLIGHT && p[1] != '\0')
      letters.push_back(static_cast<char>(std::toupper(static_cast<unsigned char>(p[1]))));
  return letters;
}

int box_style(uint16_t flags) {
  if ((flags & BAR_DIALOG) != 0) return STYLE_DIALOG;
  if ((flags & BAR_SUNKEN) != 0) return STYLE_SUNKEN | STYLE_NOT_DIALOG;
  return STYLE_PLAIN | STYLE_NOT_DIALOG;
}

void set_insets(const Insets& insets) {
  g_caret.extend_left = insets.left;
  g_caret.extend_top = insets.top;
  g_caret.extend_right = insets.right;
  g_caret.extend_bottom = insets.bottom;
}

struct Bar {
  int row = 0;
  int extra = 0;
  uint16_t flags = 0;
  BarLabel labels[BAR_MOST_LABELS];
  int count = 0;
  std::string letters;
};

int pointer_column() { return g_pointer.wanted_x / std::max<int>(1, g_display.current.cell_width); }
int pointer_row() { return g_pointer.wanted_y / std::max<int>(1, g_display.current.cell_height); }

// The first label whose right edge is at or right of the pointer column; the last when none.
int label_under_pointer(const Bar& bar) {
  const int column = pointer_column();
  for (int i = 0; i < bar.count; ++i)
    if (bar.labels[i].start + bar.labels[i].width - 1 >= column) return i;
  return bar.count - 1;
}

bool pointer_on_label(const Bar& bar) {
  const int row = pointer_row();
  if (row < bar.row || row > bar.row + bar.extra) return false;
  const int column = pointer_column();
  for (int i = 0; i < bar.count; ++i)
    if (column >= bar.labels[i].start && column < bar.labels[i].start + bar.labels[i].width)
      return true;
  return false;
}

void draw_bar(const Bar& bar, const char* text, int column) {
  for (int i = 0; i < bar.count; ++i)
    draw_box(box_style(bar.flags), bar.row, bar.labels[i].start, bar.extra + 1,
             bar.labels[i].width, 0);
  if ((bar.flags & BAR_DIALOG) != 0) {
    int starts[BAR_MOST_LABELS];
    int widths[BAR_MOST_LABELS];
    for (int i = 0; i < bar.count; ++i) {
      starts[i] = bar.labels[i].start;
      widths[i] = bar.labels[i].width;
    }
    for (int i = 0; i < bar.count; ++i)
      draw_button_label(bar.row, text + bar.labels[i].text_from, text + bar.labels[i].text_to, i,
                        starts, widths);
  } else if ((bar.flags & BAR_PLAIN) != 0) {
    const std::string line(text, std::strcspn(text, "\n"));
    draw_text_transparent(bar.row, -(column + 1), line.c_str());
  }
}

// What a code does to the running bar: a result (>= 0 ends the bar) or -1 to go on.
constexpr int GO_ON = -1;

int act_on_code(Bar* bar, int* selected, EventCode code) {
  const uint16_t f = bar->flags;
  const bool return_keys = (f & BAR_RETURN_KEYS) != 0;
  const int last = bar->count - 1;
  switch (code) {
    case EVENT_POINTER_MOVE: {
      follow_mouse();
      const int row = pointer_row();
      if (row < bar->row && (f & BAR_EXIT_UP) != 0) return KEY_UP;
      if (row > bar->row + bar->extra && (f & BAR_EXIT_DOWN) != 0) return KEY_DOWN;
      *selected = label_under_pointer(*bar);
      return GO_ON;
    }
    case KEY_TAB:
      if (*selected < last) ++*selected;
      else if ((f & BAR_EXIT_DOWN) != 0) return KEY_DOWN;
      return GO_ON;
    case KEY_SHIFT_TAB:
      if (*selected > 0) --*selected;
      else if ((f & BAR_EXIT_UP) != 0) return KEY_UP;
      return GO_ON;
    case KEY_LEFT:
      if (*selected > 0) --*selected;
      else if ((f & BAR_EXIT_SIDES) != 0) return KEY_LEFT;
      return GO_ON;
    case KEY_RIGHT:
      if (*selected < last) ++*selected;
      else if ((f & BAR_EXIT_SIDES) != 0) return KEY_RIGHT;
      return GO_ON;
    case KEY_UP:
    case KEY_PGUP:
      if (return_keys) return code;
      return (f & BAR_EXIT_UP) != 0 ? KEY_UP : GO_ON;
    case KEY_DOWN:
    case KEY_PGDN:
      if (return_keys) return code;
      return (f & BAR_EXIT_DOWN) != 0 ? KEY_DOWN : GO_ON;
    case EVENT_QUIT:
    case EVENT_REDRAW:
    case KEY_CTRL_F1:
      return code;
    case EVENT_LEFT_DOWN:
      if (!pointer_on_label(*bar)) return GO_ON;
      *selected = label_under_pointer(*bar);
      return *selected;
    case KEY_ENTER:
      return return_keys ? code : *selected;
    case EVENT_RIGHT_DOWN:
    case KEY_ESC:
      return return_keys ? code : KEY_ESC;
    case KEY_SPACE:
      *selected = *selected < last ? *selected + 1 : 0;
      return return_keys ? *selected : GO_ON;
    case KEY_HOME:
      *selected = 0;
      return return_keys ? *selected : GO_ON;
    case KEY_END:
      *selected = last;
      return return_keys ? *selected : GO_ON;
    default:
      break;
  }
  if (code >= FIRST_IGNORED && code <= LAST_IGNORED) return GO_ON;
  if (code > 0 && code < 256) {
    const char upper = static_cast<char>(std::toupper(code));
    const size_t hot = bar->letters.find(upper);
    if (hot != std::string::npos && static_cast<int>(hot) < bar->count)
      return static_cast<int>(hot);
  }
  return return_keys ? code : GO_ON;
}

}  // namespace

int lay_out_bar_labels(const char* text, int column, BarLabel* labels, int most) {
  int count = 0;
  int cell = column;          // the column of the character at i
  int i = 0;
  while (text[i] != '\0' && text[i] != '\n' && count < most) {
    // Blanks before the label
    int blanks = 0;
    while (text[i] == ' ') {
      ++blanks;
      ++i;
      ++cell;
    }
    if (text[i] == '\0' || text[i] == '\n') break;
    BarLabel& label = labels[count];
    label.text_from = i;
    label.start = cell - 1;
    int last_visible = cell;
    // The label runs until a run of LABEL_GAP blanks or the end.
    while (text[i] != '\0' && text[i] != '\n') {
      if (text[i] == ' ' && std::strncmp(text + i, "    ", LABEL_GAP) == 0) break;
      if (static_cast<unsigned char>(text[i]) < 0x08 || text[i] == 0x08) {
        if (text[i + 1] == '\0') { ++i; break; }
        if (text[i] == 0x08) last_visible = cell++;
        i += 2;
        continue;
      }
      if (is_visible(text, i)) last_visible = cell++;
      ++i;
    }
    label.text_to = i;
    label.width = last_visible - label.start + 2;
    ++count;
  }
  return count;
}

void draw_button_label(int row, const char* label, const char* label_end, int index,
                       const int* starts, const int* widths) {
  const std::string text(label, static_cast<size_t>(label_end - label));
  const int shown = display_length(text.c_str());
  const int cw = g_display.current.cell_width;
  const int ch = g_display.current.cell_height;
  const int x = (starts[index] + 1) * cw + (widths[index] - 2 - shown) * cw / 2;
  int y = row * ch;
  if (g_display.current.face_index == g_display.presets[FACE_ROLE_MENU].face_index)
    y += g_caret.extend_bottom;
  draw_text_transparent(-std::max(1, y), x, text.c_str());
}

int16_t run_button_bar(int row, int column, const char* text, const char* letters, int selected,
                       uint16_t flags) {
  if (text == nullptr) return KEY_ESC;
  Bar bar;
  bar.row = row & 0xFF;
  bar.extra = (row >> 8) & 0xFF;
  bar.flags = flags;
  bar.letters = letters != nullptr ? letters : hot_letters_of(text);
  const int saved_shape = g_pointer.shape;
  clear_hover();
  reset_caret();
  const bool own_colours = bar.extra == 0;
  if (own_colours) {
    push_colour_base();
    set_colour_base(BAR_COLOUR_BASE);
  }
  if ((flags & BAR_DIALOG) != 0) {
    g_attributes.scheme[COLOUR_SLOT_TEXT] = DIALOG_TEXT_SLOT;
    g_attributes.scheme[COLOUR_SLOT_HIGHLIGHT] = DIALOG_HIGHLIGHT_SLOT;
  }
  set_insets((flags & BAR_DIALOG) != 0 ? DIALOG_INSETS : PLAIN_INSETS);
  bar.count = lay_out_bar_labels(text, column, bar.labels, BAR_MOST_LABELS);
  if ((flags & BAR_NO_DRAW) == 0) draw_bar(bar, text, column);

  int result = selected;
  if (selected >= 0 && bar.count > 0) {
    int current = selected == BAR_SELECT_UNDER_POINTER ? label_under_pointer(bar)
                                                       : std::min(selected, bar.count - 1);
    if ((flags & BAR_REDRAW_EXIT) == 0) flush_input();
    push_hit_state();
    g_button_bar.running = true;
    // While the bar has the pointer no page tab answers to it.
    const bool tabs_were_off = g_tab_strip.button_bar_running;
    g_tab_strip.button_bar_running = true;
    for (result = GO_ON; result == GO_ON;) {
      const BarLabel& label = bar.labels[current];
      show_field_caret(bar.row + bar.extra * 256, label.start, label.width);
      if ((flags & BAR_REDRAW_EXIT) != 0 && g_form.redraw_level != 0 &&
          pending_input_count() == 0) {
        result = EVENT_REDRAW;
        break;
      }
      const bool hand = (flags & BAR_HAND_POINTER) != 0 && pointer_on_label(bar);
      set_pointer_shape(hand ? SHAPE_HAND : (pointer_on_label(bar) ? saved_shape : SHAPE_ARROW));
      result = act_on_code(&bar, &current, wait_input_code());
    }
    hide_caret();
    g_button_bar.running = false;
    g_tab_strip.button_bar_running = tabs_were_off;
    pop_hit_state();
  }
  if (own_colours) pop_colour_base();
  else set_colour_base(-1);
  set_insets({0, 0, 0, 0});
  set_pointer_shape(saved_shape);
  return static_cast<int16_t>(result);
}

void reset_button_bar() { g_button_bar = ButtonBarState(); }
