// Button bars: a row of boxed labels drawn from one text, with a blinking selection, hot
// letters, pointer tracking and arrow keys. Choice prompts and the OK / CANCEL bar of dialog
// forms run on it.
#pragma once

#include <cstdint>

#include "screen/event_queue.h"

// run_button_bar flags
constexpr uint16_t BAR_HAND_POINTER = 0x01;  // the hand over a label, the arrow elsewhere
constexpr uint16_t BAR_EXIT_UP = 0x02;       // Up, PgUp, Shift+Tab on the first label and motion
                                             // above the bar end it with 328
constexpr uint16_t BAR_EXIT_DOWN = 0x04;     // Down, PgDn, Tab on the last label and motion below
                                             // end it with 336
constexpr uint16_t BAR_PLAIN = 0x08;         // plain boxes; the text is drawn once over them
constexpr uint16_t BAR_DIALOG = 0x10;        // raised boxes, each label centred in its own
constexpr uint16_t BAR_SUNKEN = 0x20;        // sunken boxes; a negative selection is the depth
constexpr uint16_t BAR_EXIT_SIDES = 0x40;    // Left on the first label gives 331, Right on the
                                             // last 333
constexpr uint16_t BAR_REDRAW_EXIT = 0x80;   // 5001 when a repaint is pending and no input waits
constexpr uint16_t BAR_RETURN_KEYS = 0x100;  // every key ends the bar
constexpr uint16_t BAR_NO_DRAW = 0x200;      // draws nothing; only runs the selection

// The selection that means "the label under the pointer" (the letter m).
constexpr int BAR_SELECT_UNDER_POINTER = 109;
// The most labels a bar text holds; more are not shown.
constexpr int BAR_MOST_LABELS = 16;

// Runs a bar at (row, column). row carries the extra rows of its boxes in its high byte (row +
// 256 x extra). letters: the hot letters, or null to take them from the text's highlight codes.
// selected: the label shown first, BAR_SELECT_UNDER_POINTER, or a negative value to draw the
// bar and return that value. Returns the chosen label's index, 27 on cancel, or the key that
// ended the bar as the flags say.
int16_t run_button_bar(int row, int column, const char* text, const char* letters, int selected,
                       uint16_t flags);
// Draws label `index` of a bar: its characters from `label` to `label_end` centred in its box;
// starts and widths are the boxes' columns and widths in cells.
void draw_button_label(int row, const char* label, const char* label_end, int index,
                       const int* starts, const int* widths);

// The labels of a bar text (up to its zero byte or first newline) as they lie from `column` on:
// each label's first column and width in cells, and its text range. Returns the label count.
struct BarLabel {
  int start = 0;        // the column of the box (one left of the label's first character)
  int width = 0;        // the box's width in cells
  int text_from = 0;    // byte range of the label in the text
  int text_to = 0;
};
int lay_out_bar_labels(const char* text, int column, BarLabel* labels, int most);

// Test hooks
struct ButtonBarState {
  bool running = false;  // a bar is running (page-tab hits are off)
};
extern ButtonBarState g_button_bar;
void reset_button_bar();
