// Scripts of the headless runner (brenvik-headless): the whole program on the headless backend,
// driven by a text file of user actions, writing what the screen shows at marked points. This
// header reads scripts and writes screens; headless_main.cpp runs them.
#pragma once

#include <string>
#include <vector>

#include "platform/font.h"
#include "platform/surface.h"

enum ScriptCommandKind {
  SCRIPT_KEY,      // key NAME: a keystroke with modifiers
  SCRIPT_TYPE,     // type TEXT: typed characters
  SCRIPT_MOVE,     // move X Y
  SCRIPT_CLICK,    // click X Y [BUTTON]: move, press, release
  SCRIPT_PRESS,    // press X Y [BUTTON]: move, press
  SCRIPT_RELEASE,  // release X Y [BUTTON]: move, release
  SCRIPT_WHEEL,    // wheel X Y NOTCHES: move, then the wheel (+ away from the user)
  SCRIPT_WAIT,     // wait MS: virtual time passes
  SCRIPT_RESIZE,   // resize W H
  SCRIPT_CLOSE,    // close: the window's close box
  SCRIPT_FOCUS,    // focus in|out
  SCRIPT_PNG,      // png NAME
  SCRIPT_DUMP,     // dump NAME [FACE]
  SCRIPT_SNAP,     // snap NAME [FACE]: png and dump
  SCRIPT_EXPECT,   // expect ROW COLUMN TEXT
  SCRIPT_EXPECT_PIXEL,  // expect-pixel X Y RRGGBB [WITHIN]
  SCRIPT_EXPECT_TEXT,   // expect-text X Y FACE TEXT: text at a pixel origin in a face
};

struct ScriptCommand {
  ScriptCommandKind kind = SCRIPT_WAIT;
  int line = 0;          // line number in the script, from 1
  int key = 0;           // SCRIPT_KEY: virtual key
  int mods = 0;          // SCRIPT_KEY: WINDOW_MOD_* bits
  std::string text;      // SCRIPT_TYPE, SCRIPT_EXPECT: cp1252; SCRIPT_PNG/DUMP/SNAP: the name
  std::string face;      // SCRIPT_DUMP, SCRIPT_SNAP, SCRIPT_EXPECT: face name, "" the normal one
  int x = 0;             // mouse commands: client pixels; SCRIPT_RESIZE: width;
                         // SCRIPT_EXPECT: column
  int y = 0;             // mouse commands: client pixels; SCRIPT_RESIZE: height; SCRIPT_EXPECT: row
  int button = 1;        // WINDOW_BUTTON_*
  int amount = 0;        // SCRIPT_WAIT: ms; SCRIPT_WHEEL: notches; SCRIPT_FOCUS: 1 in, 0 out;
                         // SCRIPT_EXPECT_PIXEL: the colour, 0xRRGGBB
  int within = 0;        // SCRIPT_EXPECT_PIXEL: pixels around (x, y) that may hold the colour
};

// The format, for --help.
extern const char* const HEADLESS_SCRIPT_HELP;

// Reads a script (UTF-8). False with "line N: why" in *error for the first bad line.
bool parse_script(const std::string& text, std::vector<ScriptCommand>* commands,
                  std::string* error);
// A key name such as "Ctrl+Shift+F4", "Enter" or "a": its virtual key and modifier bits; false
// for an unknown name.
bool parse_key_name(const std::string& name, int* key, int* mods);
// The cp1252 character a key types without Ctrl or Alt (Shift makes letters capitals); 0 for a
// key that types none.
char key_character(int key, int mods);

// Screens
// The character cells of a whole screen in a face, one line per row (trailing blanks cut), as
// UTF-8: a glyph below 32 as its control picture (U+2400 + code), a cell that holds no glyph of
// the face as U+2592.
std::string dump_screen_cells(const Surface& screen, const FontFace& face);
// `count` cells of a face whose first cell's top-left pixel is (x, y), as a dump writes them.
std::string dump_cells_at_pixel(const Surface& screen, const FontFace& face, int x, int y,
                                int count);
// Row `row` of such a dump, from `column` on, `count` cells (not cut).
std::string dump_row_cells(const Surface& screen, const FontFace& face, int row, int column,
                           int count);
