// The run loop of every text window: pages, list windows, menus, dialog forms, message boxes and
// editing buffers. It asks the window's key filter for the next code (a pushed-back code comes
// first), applies its own editing and navigation behaviour to that code, keeps the screen up to
// date, and returns when the code says so: WINDOW_ACCEPT returns the cursor line, Esc and
// WINDOW_CANCEL return null.
#pragma once

#include <cstdint>
#include <string>

#include "screen/event_queue.h"
#include "store/line_list.h"

// ---- Command codes ------------------------------------------------------------------------------

constexpr EventCode WINDOW_COPY_SYSTEM = 426;
constexpr EventCode WINDOW_COPY = 429;
constexpr EventCode WINDOW_CANCEL = 430;
constexpr EventCode WINDOW_DRAG_DOWN = 439;
constexpr EventCode WINDOW_DRAG_UP = 440;
constexpr EventCode WINDOW_DRAG_LEFT = 441;
constexpr EventCode WINDOW_DRAG_RIGHT = 442;
constexpr EventCode WINDOW_COLUMN_PASTE = 418;
constexpr EventCode WINDOW_SELECT_ALL = 424;
constexpr EventCode WINDOW_PASTE_SYSTEM = 425;
constexpr EventCode WINDOW_ACCEPT = 450;
constexpr EventCode WINDOW_FIND_FROM_TOP = 451;
constexpr EventCode WINDOW_DELETE_LINE = 453;
constexpr EventCode WINDOW_APPEND_COPY = 454;
constexpr EventCode WINDOW_BEGIN_MARKING = 455;
constexpr EventCode WINDOW_RELEASE = 456;
constexpr EventCode WINDOW_CUT = 458;
constexpr EventCode WINDOW_CLICK = 460;
constexpr EventCode WINDOW_DROP_BLOCK = 461;
constexpr EventCode WINDOW_REDRAW = 462;
constexpr EventCode WINDOW_REFORMAT = 463;
constexpr EventCode WINDOW_NOTHING = 464;
constexpr EventCode WINDOW_SORT_BLOCK = 466;
constexpr EventCode WINDOW_DELETE_LINE_NOW = 467;
constexpr EventCode WINDOW_REPLACE = 468;
constexpr EventCode WINDOW_FIND = 469;
constexpr EventCode WINDOW_FIND_NEXT = 470;
constexpr EventCode WINDOW_REPEAT_FIND = 471;
constexpr EventCode WINDOW_MOVE_LINE_UP = 473;
constexpr EventCode WINDOW_MOVE_LINE_DOWN = 474;
constexpr EventCode WINDOW_SORT_ALL = 475;
constexpr EventCode WINDOW_APPEND_LINE = 478;
constexpr EventCode WINDOW_NEXT = 481;
constexpr EventCode WINDOW_RELEASE_OTHER = 482;
constexpr EventCode WINDOW_NEXT_KEY = 483;
constexpr EventCode WINDOW_PREVIOUS = 484;
constexpr EventCode REPLAY_FIRST = 502;          // undo replay codes 502-507 and 510
constexpr EventCode REPLAY_LAST = 507;
constexpr EventCode REDO_STEP = 508;
constexpr EventCode UNDO_STEP = 509;
constexpr EventCode REPLAY_CUT_TAIL = 510;
constexpr EventCode WINDOW_OUTDENT = 700;
constexpr EventCode WINDOW_INDENT = 702;
constexpr EventCode KEY_OUTDENT = 819;
constexpr EventCode KEY_INDENT = 820;
constexpr EventCode KEY_RESET_INDENT = 821;

// Keys the run loop acts on by their codes (extended keys not named in the event queue)
constexpr EventCode KEY_ALT_W = 273;
constexpr EventCode KEY_ALT_T = 276;
constexpr EventCode KEY_ALT_U = 278;
constexpr EventCode KEY_ALT_O = 280;
constexpr EventCode KEY_ALT_P = 281;
constexpr EventCode KEY_ALT_S = 287;
constexpr EventCode KEY_ALT_L = 294;
constexpr EventCode KEY_ALT_C = 302;
constexpr EventCode KEY_F6 = 320;
constexpr EventCode KEY_F7 = 321;
constexpr EventCode KEY_F8 = 322;
constexpr EventCode KEY_F9 = 323;
constexpr EventCode KEY_F10 = 324;
constexpr EventCode KEY_MARK_BLOCK = 345;
constexpr EventCode KEY_CTRL_F2 = 351;
constexpr EventCode KEY_ALT_F9 = 368;
constexpr EventCode KEY_ALT_F10 = 369;
constexpr EventCode KEY_ALT_EQUALS = 387;

// ---- Program-wide run-loop state ------------------------------------------------------------

struct RunLoopState {
  int16_t marking = 0;           // > 0 while cursor moves extend the marked block
  uint8_t block_kept = 0;        // set: the block is drawn in the selection colour and typing
                                 // only drops the mark; clear: drawn red, typing cuts it
  uint8_t drag_presses = 0;      // presses on the block since it was made; 0 = no block drag
  uint8_t scroll_hint = 0;       // 'u', 'd', 'U', 'D' or 0: how the window moved
  uint8_t top_reached = 0;       // a line move up found no line (cleared after each code read)
  uint8_t bottom_reached = 0;    // a line move down found no line
  uint8_t back_and_forth = 0;    // 0 or 1: the way event 484 goes next in a single view
  int16_t replay_count = 0;      // count N of the undo replay codes
  uint8_t replaying = 1;         // set while an undo step is replayed; cleared before every call
                                 // of the key filter
  TextLine* last_framed_window = nullptr;  // the window whose frame was drawn last
  uint32_t cut_flags = 0;        // flags of the window the last cut came from; a paste into a
                                 // blank window takes its word wrap and rich text
  uint8_t release_wait = 0;      // > 0: the run loop that ends next waits for the buttons' release
  bool first_call = false;       // the key filter is being called for the first time in this run
};
extern RunLoopState g_run;

// The find and replace driver's state between codes.
struct FindDriver {
  int16_t replacements = 0;          // replacements made by the running replace
  int16_t previous_replacements = 0;
  int16_t notice_countdown = 0;      // > 0: the "Replaced" progress box shows
  TextLine* start_window = nullptr;  // the window the search started in
  TextLine* switched_window = nullptr;  // the window the search switched to last
  TextLine* start_line = nullptr;    // the search started after this line
  int16_t return_count = 0;          // times the search came back to its start window
  int16_t last_find_result = 0;      // result of the last engine call
  uint16_t last_options = 0x00FF;    // option word of the last search; 0x00FF: none yet
  int16_t saved_marking = 0;         // marking while the result box is shown
  std::string search_text;           // a hot letter between its codes: the next 451 looks for
                                     // it once, else for the find text
};
extern FindDriver g_find;

// ---- One call of run_window ---------------------------------------------------------------------

// State of one run_window call, handed to the actions of the codes.
struct RunWindowCall {
  TextLine* previous_cursor_line = nullptr;  // for extending the block
  int16_t anchor_column = 0;        // the text column where extending started
  uint32_t press_tick = 0;          // tick of the last button press
  int16_t previous_press_length = 9;  // ticks the press before it lasted
  int16_t press_row = 0;            // cell of the last press
  int16_t press_column = 0;
  int16_t text_column_at_read = 0;  // the caret when the current code was read
  int16_t cursor_column_at_read = 0;
  int16_t scroll_at_read = 0;
};

// What an action asks of the loop afterwards.
enum RunStep : uint8_t {
  RUN_TAIL,       // run the block-extension tail, then read the next code
  RUN_NEXT_CODE,  // read the next code at once
};

// ---- Running ------------------------------------------------------------------------------------

// Activates and runs the window until an ending code; stores its state. Returns the cursor line
// for WINDOW_ACCEPT, null for Esc and WINDOW_CANCEL, and null for the quit code, which ends
// every run loop so that the page loop can ask its save question. The window is neither created
// nor destroyed here.
TextLine* run_window(TextLine* node);

// ---- Test hooks -------------------------------------------------------------------------------

void reset_run_loop();
