// Screen controls: buttons, labels, entry fields, check boxes, radio marks, picture buttons,
// group frames, title-bar buttons and invisible hot regions, kept as records in tables that end
// with a record whose flags word is CF_END. The layout writes each record's pixel box; the
// pointer's hit test searches the active table by those boxes.
#pragma once

#include <cstdint>
#include <vector>

// Control flags
constexpr uint32_t CF_END = 0x1;  // the flags word exactly 1: the table's end record
constexpr uint32_t CF_HIDDEN = 0x2;
constexpr uint32_t CF_GROUP_FRAME = 0x4;
constexpr uint32_t CF_REGION = 0x10;
constexpr uint32_t CF_NO_BOX = 0x20;
constexpr uint32_t CF_RADIO = 0x40;
constexpr uint32_t CF_CHECKED = 0x80;
constexpr uint32_t CF_SMALL = 0x100;
constexpr uint32_t CF_FIT_CAPTION = 0x200;
constexpr uint32_t CF_DOC_NAME = 0x400;
constexpr uint32_t CF_ENTRY = 0x800;
constexpr uint32_t CF_CENTRED = 0x1000;
constexpr uint32_t CF_FRAMED_LABEL = 0x2000;
constexpr uint32_t CF_CHECKBOX = 0x4000;
constexpr uint32_t CF_HOVER_ALT = 0x8000;
constexpr uint32_t CF_PICTURE = 0x80000;
constexpr uint32_t CF_HOVER_FRAME = 0x400000;
constexpr uint32_t CF_HOVER_STILL = 0x800000;
constexpr uint32_t CF_FIXED_POS = 0x4000000;
constexpr uint32_t CF_NO_HOVER = 0x8000000;

// Title-bar button ids, which the pointer's hit test acts on itself.
constexpr uint8_t CONTROL_ID_POSITION = 252;
constexpr uint8_t CONTROL_ID_MINIMISE = 253;
constexpr uint8_t CONTROL_ID_SIZE = 254;
constexpr uint8_t CONTROL_ID_CLOSE = 255;

constexpr int CONTROL_CAPTION_SIZE = 36;  // caption bytes with the closing zero

struct ScreenControl {
  char caption[CONTROL_CAPTION_SIZE] = {};  // 0x0A starts a second line; title-bar buttons: one
                                           // character
  uint8_t id = 0;
  int16_t row = 0;      // cells; negative counts from the bottom, 0 is the caption strip
  int16_t column = 0;   // cells; negative counts from the right
  int16_t height = 0;   // cells (picture buttons: 16-pixel units)
  int16_t width = 0;
  int16_t hint = 0;     // hint number; 0: none
  int16_t style = 0;    // picture number of picture buttons, box style of group frames
  uint32_t flags = 0;   // CF_* bits
  int16_t x = 0;        // pixel box, written by the layout
  int16_t y = 0;
  int16_t hit_width = 0;
  int16_t hit_height = 0;
  int16_t drawn_width = 0;
};

// A control of a table: caption, id, row, column, height, width, hint, flags.
ScreenControl make_control(const char* caption, uint8_t id, int row, int column, int height,
                           int width, int hint, uint32_t flags);
// The end record of a table.
ScreenControl end_control();
// The four title-bar buttons that end every page table, and the end record.
void append_title_buttons(std::vector<ScreenControl>* table);

struct HitState {
  bool hit_test_off = false;
  int caption_hidden_count = 0;
};

struct ControlState {
  ScreenControl* active = nullptr;  // the active table: the hit test searches it
  bool hit_test_off = false;        // set: the hit test finds nothing
  std::vector<ScreenControl*> table_stack;  // saved active tables
  std::vector<HitState> hit_stack;          // saved hit-test-off flags and caption-hidden counts
};
extern ControlState g_controls;

// Lays out and draws count records of a table (0: all up to the end record; the table then
// becomes the active one and hit testing is switched on). A null table does nothing.
void draw_controls(ScreenControl* table, int count);
// Writes the pixel box of one record from its cell position (no drawing).
void layout_control(ScreenControl* control);
// Flips CF_CHECKED of record n of the active table and redraws it.
void toggle_control(int n);
// Selects record n of a radio group of count records; nothing when it is already selected.
void select_radio(ScreenControl* group, int n, int count);
// Redraws the position button ("^") of the active table.
void redraw_position_button();
// The id of the control of the active table under a pixel, or -1. Hidden controls and labels are
// never hit; an entry field sets the text pointer.
int hit_test_controls(int x, int y);
// The record of the active table with an id, or null.
ScreenControl* find_control(int id);
// The record with an id in a table ended by CF_END (active or not), or null; a null table has none.
ScreenControl* find_control_in(ScreenControl* table, int id);
// Save and restore the active table, and the hit-test-off flag with the caption-hidden count.
// The stacks grow as needed; a pop from an empty stack does nothing.
void push_control_table();
void pop_control_table();
void push_hit_state();
void pop_hit_state();

// Test hooks
void reset_controls();
