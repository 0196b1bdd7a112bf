#include "ui/value_bar.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "platform/canvas.h"
#include "platform/pump.h"
#include "platform/window.h"
#include "screen/caret.h"
#include "screen/display_mode.h"
#include "screen/hover.h"
#include "screen/palette.h"
#include "screen/pointer.h"
#include "screen/screen_attributes.h"
#include "screen/text_output.h"
#include "store/float_text.h"
#include "ui/entry_line.h"
#include "ui/field_flags.h"
#include "ui/pointer_motion.h"
#include "ui/text_window.h"

ValueBar g_value_bar;
PanelPointer g_panel_pointer;

namespace {

constexpr int CONTROLS_PER_FIELD = 4;
constexpr int NORMAL_RECORD = 20;
constexpr int OK_RECORD = 21;
constexpr int CANCEL_RECORD = 22;
constexpr int SAVE_JPG_RECORD = 23;
constexpr uint32_t HIDDEN_BITS = CF_HIDDEN | CF_REGION;
constexpr int FIELD_COLUMNS[VALUE_BAR_FIELDS] = {55, 65, 75, 85, 95};
constexpr char EMPTY_VALUE[] = "\xFA\xFA\xFA\xFA\xFA";
constexpr int VALUE_WIDTH = 4;
constexpr int ENTRY_WIDTH = 5;
constexpr uint16_t ENTRY_EXIT_KEYS = 61;
constexpr int SHAPE_HELD = 109;
constexpr int SHAPE_BELOW_BAR = 92;
constexpr int SHAPE_ARROW = 11;
constexpr int BAR_ROWS = 4;

ScreenControl& control(int n) { return g_value_bar.table[static_cast<size_t>(n)]; }
bool is_hidden(int n) { return (control(n).flags & CF_HIDDEN) != 0; }

void show_control(int n, bool shown) {
  if (shown) control(n).flags &= ~HIDDEN_BITS;
  else control(n).flags |= HIDDEN_BITS;
}

void build_table() {
  std::vector<ScreenControl>& t = g_value_bar.table;
  t.clear();
  for (int k = 0; k < VALUE_BAR_FIELDS; ++k) {
    const int id = CONTROLS_PER_FIELD * k;
    t.push_back(make_control("", 0, 1, 0, 1, k < 3 ? 9 : 4, 0, CF_NO_BOX));
    t.push_back(make_control(EMPTY_VALUE, static_cast<uint8_t>(id + 1), 2, FIELD_COLUMNS[k], 1,
                             VALUE_WIDTH, 0, CF_ENTRY));
    t.push_back(make_control("\x08+", static_cast<uint8_t>(id + 2), 3, 0, 1, 1, 184, CF_SMALL));
    t.push_back(make_control("\x08.", static_cast<uint8_t>(id + 3), 3, 0, 1, 1, 184, CF_SMALL));
  }
  t.push_back(make_control("\x0CN\x13ormal", VALUE_BAR_NORMAL, 2, 56, 1, 6, 185, CF_SMALL));
  t.push_back(make_control("OK", VALUE_BAR_OK, 3, 40, 1, 2, 0, CF_SMALL));
  t.push_back(make_control("Cancel", VALUE_BAR_CANCEL, 3, 56, 1, 6, 0, CF_SMALL));
  t.push_back(make_control("Save JPG", VALUE_BAR_SAVE_JPG, 2, 95, 1, 8, 0, CF_SMALL));
  t.push_back(end_control());
}

int small_column_of_pixel(int pixel) {
  const int small = std::max<int>(1, g_display.presets[FACE_ROLE_SMALL].cell_width);
  return pixel / small;
}

void lay_out_fields() {
  const int medium = g_display.presets[FACE_ROLE_MENU].cell_width;
  for (int k = 0; k < VALUE_BAR_FIELDS; ++k) {
    ScreenControl& value = control(CONTROLS_PER_FIELD * k + 1);
    const int last_pixel = (value.column + value.width) * medium - 1;
    const int down = small_column_of_pixel(last_pixel);
    control(CONTROLS_PER_FIELD * k + 3).column = static_cast<int16_t>(down);
    control(CONTROLS_PER_FIELD * k + 2).column = static_cast<int16_t>(down + 2);
    ScreenControl& label = control(CONTROLS_PER_FIELD * k);
    label.column =
        static_cast<int16_t>(value.column - static_cast<int>(std::strlen(label.caption)) / 2 + 2);
  }
  const int a = small_column_of_pixel(control(1).column * medium);
  control(NORMAL_RECORD).column = static_cast<int16_t>(a - 13);
  control(OK_RECORD).column = static_cast<int16_t>(a - 17);
  control(CANCEL_RECORD).column = static_cast<int16_t>(a - 13);
}

void set_caption(ScreenControl& c, const std::string& text) {
  std::snprintf(c.caption, sizeof c.caption, "%s", text.c_str());
}

// ---- Running ------------------------------------------------------------------------------------

uint32_t now() { return clock_now_ms(); }

bool is_arrow(int id) {
  return id >= 2 && id < CONTROLS_PER_FIELD * VALUE_BAR_FIELDS && (id % CONTROLS_PER_FIELD == 2 ||
                                                                    id % CONTROLS_PER_FIELD == 3);
}
bool is_value(int id) {
  return id >= 1 && id < CONTROLS_PER_FIELD * VALUE_BAR_FIELDS && id % CONTROLS_PER_FIELD == 1;
}

// The held arrow button repeats: the first time 165 ms after the press, then once a tick; after
// nine repeats its id carries VALUE_BAR_REPEATED. A release ends the hold and is returned.
EventCode repeat_held_button() {
  ValueBar& bar = g_value_bar;
  set_pointer_shape(SHAPE_HELD);
  while (static_cast<int32_t>(bar.repeat_deadline - now()) > 0) {
    const EventCode code = poll_input_code(0);
    if (code == EVENT_LEFT_UP) {
      bar.held_button = 0;
      bar.repeat_count = 0;
      return code;
    }
    if (code == EVENT_QUIT) return code;
    if (code == 0) pump_wait(static_cast<int>(bar.repeat_deadline - now()));
  }
  bar.repeat_deadline = now() + VALUE_BAR_REPEAT_MS;
  ++bar.repeat_count;
  const int id = bar.held_button;
  return static_cast<EventCode>(bar.repeat_count > VALUE_BAR_SLOW_REPEATS ? id | VALUE_BAR_REPEATED
                                                                          : id);
}

EventCode edit_field(int k, EventCode first_key);

EventCode act_on_control(int id) {
  ValueBar& bar = g_value_bar;
  bar.repeat_deadline = now() + VALUE_BAR_FIRST_REPEAT_MS;
  bar.repeat_count = 0;
  if (is_value(id)) return edit_field(id / CONTROLS_PER_FIELD, 0);
  if (is_arrow(id)) {
    bar.held_button = id;
    return static_cast<EventCode>(id);
  }
  switch (id) {
    case VALUE_BAR_OK: return KEY_ENTER;
    case VALUE_BAR_CANCEL:
    case VALUE_BAR_NORMAL:
    case VALUE_BAR_SAVE_JPG: return static_cast<EventCode>(id);
    default: return 0;
  }
}

EventCode edit_field(int k, EventCode first_key) {
  ValueBar& bar = g_value_bar;
  ScreenControl& value = control(CONTROLS_PER_FIELD * k + 1);
  if ((value.flags & CF_ENTRY) == 0) return first_key;
  bar.held_button = 0;
  if (first_key != 0) push_input_code_front(first_key);
  const int row = value.y / std::max<int>(1, g_display.presets[FACE_ROLE_MENU].cell_height);
  const bool whole = bar.precision[k] == BAR_WHOLE_NUMBER;
  int16_t result;
  if (whole) {
    result = edit_number_box(row, value.column, ENTRY_WIDTH, &bar.whole[k],
                             bar.entry_flags[k] | FIELD_LONG | FIELD_MEDIUM_FONT, ENTRY_EXIT_KEYS);
  } else {
    result = edit_number_box(row, value.column, value.width + 1, &bar.value[k],
                             bar.entry_flags[k] | FIELD_FLOAT | FIELD_MEDIUM_FONT, ENTRY_EXIT_KEYS);
  }
  if (result < 0) {
    set_caption(value, format_bar_value(bar.precision[k], bar.value[k], bar.whole[k]));
    draw_controls(value.flags != CF_END ? &value : nullptr, 1);
    return FIELD_CHANGED;
  }
  if (result == EVENT_LEFT_DOWN) {
    const int id = hit_test_controls(g_pointer.wanted_x, g_pointer.wanted_y);
    if (id >= 0) return act_on_control(id);
  }
  return result;
}

EventCode act_on_event(EventCode code) {
  ValueBar& bar = g_value_bar;
  const int fields = [] {
    int n = 0;
    while (n < VALUE_BAR_FIELDS && !is_hidden(CONTROLS_PER_FIELD * n + 1)) ++n;
    return n;
  }();
  switch (code) {
    case KEY_LEFT:
      if (bar.current_field == 0) return 0;
      --bar.current_field;
      return code;
    case KEY_RIGHT:
      if (bar.current_field + 1 >= fields) return 0;
      ++bar.current_field;
      return code;
    case EVENT_LEFT_DOWN:
    case EVENT_RIGHT_DOWN:
    case EVENT_LEFT_UP:
    case EVENT_RIGHT_UP: return code;
    case EVENT_POINTER_MOVE:
      return bar.mode == 1 || (g_pointer.button_bits & WINDOW_BUTTON_MIDDLE) != 0 ? code : 0;
    case EVENT_TICK: return 0;
    case VALUE_BAR_CLICK:
      return act_on_control(hit_test_controls(g_pointer.wanted_x, g_pointer.wanted_y));
    default: break;
  }
  const bool number_key = (code >= '0' && code <= '9') || code == '-' || code == '.' || code == '/';
  if (number_key) {
    if (code == '-' && bar.entry_flags[bar.current_field] == 0) return code;
    if ((control(CONTROLS_PER_FIELD * bar.current_field + 1).flags & CF_ENTRY) != 0)
      return edit_field(bar.current_field, code);
  }
  return code;
}

}  // namespace

void setup_value_bar(const char* label0, const char* label1, const char* label2,
                     const char* label3, const char* label4, int show_normal) {
  if (g_value_bar.table.empty()) build_table();
  g_value_bar.mode = 0;
  show_control(SAVE_JPG_RECORD, false);
  const char* labels[VALUE_BAR_FIELDS] = {label0, label1, label2, label3, label4};
  for (int k = 0; k < VALUE_BAR_FIELDS; ++k) {
    control(CONTROLS_PER_FIELD * k + 1).flags = CF_ENTRY;
    for (int i = 0; i < CONTROLS_PER_FIELD; ++i)
      show_control(CONTROLS_PER_FIELD * k + i, labels[k] != nullptr);
    if (labels[k] != nullptr) set_caption(control(CONTROLS_PER_FIELD * k), labels[k]);
  }
  show_control(NORMAL_RECORD, show_normal != 0);
  control(1).width = VALUE_WIDTH;
  control(1).column = FIELD_COLUMNS[0];
  lay_out_fields();
}

void set_value_bar_flags(int64_t f0, int64_t f1, int64_t f2, int64_t f3, int64_t f4) {
  const int64_t flags[VALUE_BAR_FIELDS] = {f0, f1, f2, f3, f4};
  if (g_value_bar.table.empty()) build_table();
  for (int k = 0; k < VALUE_BAR_FIELDS; ++k) {
    if (flags[k] < 0) continue;
    ScreenControl& value = control(CONTROLS_PER_FIELD * k + 1);
    value.flags = static_cast<uint32_t>(flags[k]) | (value.flags & HIDDEN_BITS);
  }
}

void set_angle_zoom_bar(float zoom) {
  std::vector<ScreenControl> table = std::move(g_value_bar.table);
  g_value_bar = ValueBar();
  g_value_bar.table = std::move(table);
  g_value_bar.precision[0] = FLOAT_TWO_DECIMALS | FLOAT_DEGREES;
  g_value_bar.entry_flags[0] = FIELD_MINUS;
  g_value_bar.precision[1] = FLOAT_TWO_DECIMALS;
  g_value_bar.value[1] = zoom;
  setup_value_bar("Angle", "Zoom", nullptr, nullptr, nullptr, 0);
  g_value_bar.mode = 1;
  control(1).column = 53;
  control(1).width = 6;
}

std::string format_bar_value(uint8_t precision, float value, int32_t whole) {
  if (precision == BAR_WHOLE_NUMBER) return std::to_string(whole);
  return format_float_text(value, precision);
}

void set_bar_label(const char* label, int first, int count) {
  if (g_value_bar.table.empty()) build_table();
  for (int i = first; i < first + count && i < static_cast<int>(g_value_bar.table.size()) - 1; ++i)
    set_caption(control(i), label != nullptr ? label : "");
}

EventCode value_bar_event() {
  for (;;) {
    if (g_pointer.button_bits == 0) {
      const int medium = std::max<int>(1, g_display.presets[FACE_ROLE_MENU].cell_height);
      const bool below = g_pointer.wanted_y / medium > BAR_ROWS;
      if (below) set_pointer_shape(SHAPE_BELOW_BAR);
      else if (hit_test_controls(g_pointer.wanted_x, g_pointer.wanted_y) < 0)
        set_pointer_shape(SHAPE_ARROW);
    }
    move_pointer();
    const EventCode code = wait_input_code();
    if (code == EVENT_LEFT_DOWN) {
      if (hit_test_controls(g_pointer.wanted_x, g_pointer.wanted_y) >= 0) return VALUE_BAR_CLICK;
      if (g_value_bar.mode == 1) return code;
      if (g_pointer.shape == SHAPE_BELOW_BAR) return KEY_ESC;
      continue;
    }
    if (code == EVENT_POINTER_MOVE) {
      follow_mouse();
      const bool middle = (g_pointer.button_bits & WINDOW_BUTTON_MIDDLE) != 0;
      if (middle || g_value_bar.mode == 1) return code;
      continue;
    }
    return code;
  }
}

EventCode run_value_bar() {
  ValueBar& bar = g_value_bar;
  if (bar.table.empty()) build_table();
  for (int k = 0; k < VALUE_BAR_FIELDS && !is_hidden(CONTROLS_PER_FIELD * k + 1); ++k) {
    ScreenControl& value = control(CONTROLS_PER_FIELD * k + 1);
    set_caption(value, (value.flags & CF_ENTRY) != 0
                           ? format_bar_value(bar.precision[k], bar.value[k], bar.whole[k])
                           : "");
  }
  draw_controls(bar.table.data(), 0);
  for (;;) {
    EventCode result;
    if (bar.held_button != 0 && (g_pointer.button_bits & WINDOW_BUTTON_LEFT) != 0) {
      result = repeat_held_button();
    } else {
      bar.held_button = 0;
      bar.repeat_count = 0;
      push_hit_state();
      const EventCode code = value_bar_event();
      pop_hit_state();
      result = act_on_event(code);
    }
    if (result != 0) {
      clear_hover();
      return result;
    }
  }
}

// ---- The side-panel pointer --------------------------------------------------------------------

namespace {

enum { P0, P1, P2, P3, P4, P5, P6, P7, P8, P9, P10, P11, P12 };

void xor_lines(const int* points, int count) {
  Canvas* canvas = g_text.screen.target != nullptr ? &g_text.screen : nullptr;
  if (canvas == nullptr) return;
  const CanvasPen pen = canvas->pen;
  const CanvasMix mix = canvas->mix;
  canvas->pen = CanvasPen{};
  canvas->pen.colour = palette_pixel(g_attributes.scheme[COLOUR_SLOT_THIRD]);
  canvas->mix = CANVAS_MIX_XOR;
  const PanelPointer& p = g_panel_pointer;
  for (int i = 0; i + 1 < count; ++i) {
    const int a = points[i];
    const int b = points[i + 1];
    canvas_draw_line(canvas, p.x[a], p.y[a], p.x[b], p.y[b]);
    // The joint was drawn by both segments: once more, so that it is drawn once.
    if (i + 2 < count) canvas_draw_line(canvas, p.x[b], p.y[b], p.x[b], p.y[b]);
  }
  canvas->pen = pen;
  canvas->mix = mix;
}

constexpr int OUTER_UPPER[] = {P0, P1, P2};
constexpr int OUTER_LOWER[] = {P6, P7};
constexpr int INNER_UPPER[] = {P2, P3, P4, P5};
constexpr int INNER_LOWER[] = {P7, P8, P9, P10, P11, P12};

void xor_outer() {
  xor_lines(OUTER_UPPER, 3);
  xor_lines(OUTER_LOWER, 2);
}
void xor_inner() {
  xor_lines(INNER_UPPER, 4);
  xor_lines(INNER_LOWER, 6);
}

}  // namespace

void show_side_panel_pointer(int panel_top_row, int panel_bottom_row) {
  const TextWindow* w = g_windows.active;
  if (w == nullptr) return;
  PanelPointer& p = g_panel_pointer;
  p.drawn = false;
  const int cw = g_display.current.cell_width;
  const int ch = g_display.current.cell_height;
  const int m = g_display.presets[FACE_ROLE_MENU].cell_height;
  const int right = w->pixel_right;
  const int r = w->top_row + w->cursor_row;
  const int y0 = r * ch - 1;
  const int y1 = (r + 1) * ch + 1;
  const int screen = g_display.screen_width;
  int* x = p.x;
  int* y = p.y;
  x[P4] = right + 4 * cw - 8;  y[P4] = y0;
  x[P5] = right - cw / 2;      y[P5] = y0;
  x[P3] = x[P4] + 4;           y[P3] = y0 - 4;
  x[P2] = x[P3];               y[P2] = panel_top_row * m + 2;
  x[P1] = x[P2] + 4;           y[P1] = y[P2] - 4;
  x[P0] = screen;              y[P0] = y[P1];
  x[P6] = screen;              y[P6] = panel_bottom_row * m + m / 2;
  x[P7] = right + 5 * cw + 4;  y[P7] = y[P6];
  x[P8] = right + 4 * cw + 4;  y[P8] = y[P6];
  x[P9] = x[P3];               y[P9] = y[P6];
  x[P10] = x[P9];              y[P10] = y1;
  x[P11] = x[P9] - 4;          y[P11] = y1;
  x[P12] = x[P5];              y[P12] = y1;
  if (y1 >= y[P6]) {
    x[P8] += cw;
    x[P9] += cw;
    x[P11] += cw;
    y[P9] += 4;
    y[P10] -= 4;
  } else {
    if (y0 < y[P1]) {
      const int d = (y[P1] - y0) / 3;
      for (int i : {P1, P2, P3, P4}) x[i] += cw;
      y[P3] = y0 + d;
      y[P2] = y[P1] - d;
    }
    y[P9] -= 4;
    y[P10] += 4;
  }
  x[P10] = x[P9];
  p.separator_x = (w->right_column + 1) * cw + cw / 2;
  p.separator_top = y0 + 1;
  draw_text(r, w->right_column + 1, " ");
  draw_side_panel_pointer(1);
}

void draw_side_panel_pointer(int draw) {
  PanelPointer& p = g_panel_pointer;
  hide_pointer();
  if (draw != 0) {
    if (p.drawn) return;
    p.drawn = true;
    if (!p.outer_drawn) {
      xor_outer();
      p.outer_drawn = true;
    }
    xor_inner();
    return;
  }
  if (p.outer_drawn) {
    xor_outer();
    p.outer_drawn = false;
  }
  if (g_text.screen.target != nullptr) {
    Canvas* canvas = &g_text.screen;
    const CanvasPen pen = canvas->pen;
    canvas->pen = CanvasPen{};
    canvas->pen.colour = palette_pixel(g_attributes.scheme[COLOUR_SLOT_THIRD]);
    canvas_draw_line(canvas, p.separator_x, p.separator_top, p.separator_x,
                     p.separator_top + g_display.current.cell_height);
    canvas->pen = pen;
  }
  if (p.drawn) {
    p.drawn = false;
    xor_inner();
  }
}

void reset_value_bar() {
  g_value_bar = ValueBar();
  g_panel_pointer = PanelPointer();
}
