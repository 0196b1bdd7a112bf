// The colour chooser: three rows for red, green and blue, each with its value and a bar, and a
// swatch of the colour they make. Up and Down choose a row; Left and Right step the value by 1,
// PgUp and PgDn by 16, Home and End go to 0 and 255; digits type a value, Backspace takes the
// last digit back; Enter takes the colour, Esc leaves it as it was.
#include <algorithm>
#include <cstdio>
#include <string>

#include "screen/boxes.h"
#include "screen/display_mode.h"
#include "screen/event_queue.h"
#include "screen/text_output.h"
#include "ui/framed_box.h"
#include "ui/pointer_motion.h"
#include "ui/standard_dialogs.h"

namespace {

constexpr int CHOOSER_COLUMNS = 34;
constexpr int CHOOSER_ROWS = 9;
constexpr int CHANNEL_COUNT = 3;
constexpr int CHANNEL_MOST = 255;
constexpr int LARGE_STEP = 16;
constexpr int VALUE_LABEL_COLUMNS = 11;  // "Green:  255"
constexpr int SWATCH_FIRST_ROW = 4;      // rows from the top of the box
constexpr int SWATCH_LAST_ROW = 6;
constexpr const char* CHANNEL_NAMES[CHANNEL_COUNT] = {"Red:", "Green:", "Blue:"};
constexpr uint32_t CHANNEL_PIXELS[CHANNEL_COUNT] = {0xFF0000, 0x00FF00, 0x0000FF};

struct Chooser {
  int values[CHANNEL_COUNT] = {};  // red, green, blue, 0-255
  int channel = 0;                 // the row with the focus
  bool typing = false;             // a digit typed since the row was chosen: digits append
  int top_row = 0;
  int left_column = 0;
  int right_column = 0;
};

uint32_t colour_value(const Chooser& c) {
  return static_cast<uint32_t>(c.values[0]) | static_cast<uint32_t>(c.values[1]) << 8 |
         static_cast<uint32_t>(c.values[2]) << 16;
}

void draw_channel(const Chooser& c, int channel) {
  const int row = c.top_row + channel;
  char text[32];
  std::snprintf(text, sizeof text, "%-7s%4d", CHANNEL_NAMES[channel], c.values[channel]);
  g_text.text_field_width = VALUE_LABEL_COLUMNS + 1;
  draw_text(row, c.left_column, text);
  g_text.text_field_width = 0;
  if (channel == c.channel) blank_row_span(row, c.left_column, VALUE_LABEL_COLUMNS);
  // The bar: its length the value's share of the room after the label.
  const int cw = g_display.current.cell_width;
  const int ch = g_display.current.cell_height;
  const int left = (c.left_column + VALUE_LABEL_COLUMNS + 1) * cw;
  const int room = (c.right_column + 1) * cw - left;
  const int length = room * c.values[channel] / CHANNEL_MOST;
  fill_cells(row, c.left_column + VALUE_LABEL_COLUMNS + 1, row, c.right_column, 0);
  fill_rect(left, row * ch + ch / 4, left + length, row * ch + ch - ch / 4,
            CHANNEL_PIXELS[channel]);
}

void draw_chooser(const Chooser& c) {
  for (int channel = 0; channel < CHANNEL_COUNT; ++channel) draw_channel(c, channel);
  const int cw = g_display.current.cell_width;
  const int ch = g_display.current.cell_height;
  fill_cells(c.top_row + CHANNEL_COUNT, c.left_column, c.top_row + CHANNEL_COUNT, c.right_column,
             0);
  fill_rect(c.left_column * cw, (c.top_row + SWATCH_FIRST_ROW) * ch, (c.right_column + 1) * cw,
            (c.top_row + SWATCH_LAST_ROW + 1) * ch, colour_pixel(colour_value(c)));
  g_text.text_field_width = static_cast<int16_t>(c.right_column - c.left_column + 1);
  draw_text(c.top_row + CHOOSER_ROWS - 2, c.left_column, "Up, Down: colour  Left, Right: step");
  g_text.text_field_width = static_cast<int16_t>(c.right_column - c.left_column + 1);
  draw_text(c.top_row + CHOOSER_ROWS - 1, c.left_column, "Enter: take it  Esc: cancel");
  g_text.text_field_width = 0;
}

void change_value(Chooser* c, int value) {
  c->values[c->channel] = std::clamp(value, 0, CHANNEL_MOST);
}

void type_digit(Chooser* c, int digit) {
  const int before = c->typing ? c->values[c->channel] : 0;
  change_value(c, std::min(before * 10 + digit, CHANNEL_MOST));
  c->typing = true;
}

void choose_row(Chooser* c, int channel) {
  c->channel = std::clamp(channel, 0, CHANNEL_COUNT - 1);
  c->typing = false;
}

// A click on a channel's row chooses it; on its bar it also sets the value under the pointer.
void click(Chooser* c) {
  const int x = g_pointer.wanted_x;
  const int y = g_pointer.wanted_y;
  const int cw = std::max<int>(1, g_display.current.cell_width);
  const int ch = std::max<int>(1, g_display.current.cell_height);
  const int channel = y / ch - c->top_row;
  if (channel < 0 || channel >= CHANNEL_COUNT) return;
  choose_row(c, channel);
  const int left = (c->left_column + VALUE_LABEL_COLUMNS + 1) * cw;
  const int room = (c->right_column + 1) * cw - left;
  if (x >= left && room > 1) change_value(c, (x - left) * CHANNEL_MOST / (room - 1));
}

// 1 taken, -1 cancelled, 0 go on.
int apply_code(Chooser* c, EventCode code) {
  const int value = c->values[c->channel];
  switch (code) {
    case KEY_ENTER: return 1;
    case KEY_ESC:
    case EVENT_QUIT: return -1;
    case KEY_UP: choose_row(c, c->channel - 1); break;
    case KEY_DOWN:
    case KEY_TAB: choose_row(c, (c->channel + 1) % CHANNEL_COUNT); break;
    case KEY_LEFT: change_value(c, value - 1); break;
    case KEY_RIGHT: change_value(c, value + 1); break;
    case KEY_PGDN: change_value(c, value - LARGE_STEP); break;
    case KEY_PGUP: change_value(c, value + LARGE_STEP); break;
    case KEY_HOME: change_value(c, 0); break;
    case KEY_END: change_value(c, CHANNEL_MOST); break;
    case KEY_BACKSPACE: change_value(c, value / 10); c->typing = true; break;
    case EVENT_LEFT_DOWN: click(c); break;
    default:
      if (code >= '0' && code <= '9') type_digit(c, code - '0');
      return 0;
  }
  if (code != KEY_BACKSPACE && !(code >= '0' && code <= '9')) c->typing = false;
  return 0;
}

}  // namespace

int16_t choose_colour(uint32_t* colour) {
  Chooser c;
  c.values[0] = static_cast<int>(*colour & 0xFF);
  c.values[1] = static_cast<int>(*colour >> 8 & 0xFF);
  c.values[2] = static_cast<int>(*colour >> 16 & 0xFF);
  const CellMetrics& m = g_display.current;
  c.left_column = std::max(1, (m.last_column + 1 - CHOOSER_COLUMNS) / 2);
  c.top_row = std::max(1, (m.last_row + 1 - CHOOSER_ROWS) / 2);
  c.right_column = c.left_column + CHOOSER_COLUMNS - 1;
  FramedBox box;
  if (!open_framed_box(&box, c.top_row, c.left_column, c.top_row + CHOOSER_ROWS - 1,
                       c.right_column, "Colour"))
    return DIALOG_CANCELLED;
  int outcome = 0;
  while (outcome == 0) {
    draw_chooser(c);
    show_pointer();
    const EventCode code = wait_input_code();
    hide_pointer();
    if (code == EVENT_POINTER_MOVE) follow_mouse();
    if (code == EVENT_REDRAW) {
      redraw_framed_box(&box);
      continue;
    }
    outcome = apply_code(&c, code);
  }
  close_framed_box(&box);
  if (outcome < 0) return DIALOG_CANCELLED;
  *colour = colour_value(c);
  return DIALOG_CHOSEN;
}
