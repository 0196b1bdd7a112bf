// Text output with colour codes: every text of the interface is drawn in character cells of the
// current interface face on the screen canvas. Texts carry their colours in-band: a few control
// bytes switch between the slots of the current colour scheme or insert glyphs of the face.
// Rows and columns count cells of the current cell metrics; colours are palette indices.
#pragma once

#include <cstdint>

#include "platform/canvas.h"
#include "store/line_list.h"

// In-band text codes (one byte inside a zero-ended text)
constexpr uint8_t TC_HIGHLIGHT = 0x0B;    // current colour := highlight slot
constexpr uint8_t TC_SECOND = 0x0C;       // current colour := second text colour
constexpr uint8_t TC_THIRD = 0x0E;        // current colour := third text colour
constexpr uint8_t TC_NORMAL = 0x13;       // current colour := text colour
constexpr uint8_t TC_GLYPH = 0x08;        // 0x08 c: glyph c - 33 in the current colour, one cell
constexpr uint8_t TC_TAB = 0x09;          // the tab mark in the third colour
constexpr uint8_t TC_NEWLINE = 0x0A;      // ends the line
constexpr uint8_t TC_ESCAPE_LAST = 0x07;  // 0x01..0x07 p: the escape byte's glyph; p skipped
constexpr uint8_t TC_CENTRE_LINE = 0x1D;  // first byte of a window line: centre the line

// Column arguments
constexpr int TEXT_CENTRE = 32000;  // centre on the screen; negated: centre every line

// Glyphs the drawing shows for spaces, line ends and tabs
constexpr uint8_t GLYPH_MIDDLE_DOT = 0xB7;
constexpr uint8_t GLYPH_PILCROW = 0xB6;
constexpr uint8_t GLYPH_TAB_MARK = 9;

// Palette entries the drawing uses
constexpr int PALETTE_WHITE = 162;
constexpr int PALETTE_RED = 167;
constexpr int PALETTE_STATUS_BACKGROUND = 172;

// fill_cells colour flag: the coordinates are pixels
constexpr int FILL_PIXELS = 0x1000;

// One colour run is drawn with one text call; a longer run is drawn in pieces of this size.
constexpr int TEXT_RUN_SIZE = 260;

// The colours of the window line drawer, kept from one line to the next so that a colour code at
// the end of one line carries into the following line.
struct LineColours {
  uint8_t highlight = 0;        // palette indices: copies of slots 2, 7, 0, 8
  uint8_t second = 0;
  uint8_t normal = 0;
  uint8_t third = 0;
  uint8_t pending = 0;          // colour of the next character
  uint8_t in_effect = 0;        // colour of the run being collected
  uint8_t block_background = 0;  // background of the run being collected
  const TextLine* last_line = nullptr;  // the line drawn last, or null
};

// Window flag bits that text output reads; the interface's window flags are the same bits.
constexpr uint32_t TEXT_AREA_FRAME_STYLE_MASK = 0x07;    // a framed window
constexpr uint32_t TEXT_AREA_SHOW_SPACES = 0x40;         // spaces (and codes) shown
constexpr uint32_t TEXT_AREA_SHOW_CONTROL_CODES = 0x20000;  // colour codes shown as glyphs

// The active text window as text output sees it: the interface points it at the active window's
// flag word and list options when it activates a window, and clears it when none is active.
// Without a window nothing is drawn.
struct TextArea {
  uint32_t* flags = nullptr;               // TEXT_AREA_* bits among others; null: no window
  const uint32_t* list_options = nullptr;  // non-zero: a list window
};

struct TextOutput {
  Canvas screen;                  // the screen canvas: the form's framebuffer
  uint8_t opaque_text = 1;        // non-zero: text has an opaque background in the background slot
  int16_t text_field_width = 0;   // cells; > 0: the cells of a field not covered are filled after
                                  // the text; set for one call by its caller
  int8_t text_box_cells = 0;      // non-zero: the next draw_text first draws a field box this many
                                  // cells wide; that call sets it back to 0
  uint16_t text_box_style = 0;    // draw_box style of that field box
  int16_t text_dim_count = 0;     // > 0: text is drawn dimmed (all in the third colour); each
                                  // field box requested meanwhile counts it down instead
  char text_run[TEXT_RUN_SIZE];   // characters of the colour run being collected
  int run_length = 0;             // 0..TEXT_RUN_SIZE - 1 characters in text_run
  LineColours line_colours;
  TextArea area;                  // the active window's, kept by the interface
};
extern TextOutput g_text;

// The screen
// Aims the screen canvas at the form's framebuffer.
void set_screen_canvas(Surface* surface);
// The framebuffer pixel (0x00RRGGBB) of a palette entry.
uint32_t palette_pixel(int index);

// Texts
// Row >= 0 a cell row, < 0 a pixel y (column is then a pixel x). Column >= 0 the first cell;
// TEXT_CENTRE centres the text on the screen; another negative column -c draws every line of a
// multi-line text from column c - 1, and -TEXT_CENTRE centres each line.
void draw_text(int row, int column, const char* text);
// draw_text with a transparent background.
void draw_text_transparent(int row, int column, const char* text);
// draw_text in the tiny face; a cell row and column are taken in the current cells.
void draw_tiny_text(int row, int column, const char* text);
// Tiny text on a window frame line, on a background a little darker than the window's.
void draw_status_text(int row, int column, const char* text);

// Window lines
// The line drawer of text windows: line at screen row `row` of the active window.
void draw_window_line(int row, TextLine* line);
void repaint_window_line(int row, TextLine* line);
// The worker: pixel y and x, the cells available, the marked-block columns (negative: none),
// the background palette index, and the window's show-spaces, line-end and tab-mark choices.
void draw_line_text(int y, int x, const TextLine* line, int cells, int block_from, int block_to,
                    int background, bool show_spaces, bool show_line_end, bool show_tab_mark);

// Cell fills
// Fills cells (row1, column1)..(row2, column2) inclusive, a little beyond them so that frames
// drawn around cells are covered too. colour: low byte a palette index (0 the background slot),
// | FILL_PIXELS when the four coordinates are pixels.
void fill_cells(int row1, int column1, int row2, int column2, int colour);
// XORs a palette colour over count cells of one row; twice restores them.
void fill_row_span(int row, int column, int count, int colour_index);
// Inverts count cells of one row.
void blank_row_span(int row, int column, int count);
// Fills the whole screen with palette colour 1.
void clear_screen();

// Test hooks
// Field state, run buffer and line colours back to the start; the canvas stays aimed and the
// active window's area stays.
void reset_text_output();
