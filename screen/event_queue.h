// The event queue: every input of the program reaches its loops as one 16-bit EventCode read
// from this ring. The form's handlers turn keys, buttons, the wheel, the close box and the timer
// into codes and post them; loops read them with poll_input_code or wait_input_code, and reading
// an empty queue pumps window messages, so the message loop runs inside the program's own waits.
#pragma once

#include <cstdint>

using EventCode = int16_t;

// Characters and keys, numbered as the PC keyboard BIOS numbers them
constexpr EventCode KEY_BACKSPACE = 8;
constexpr EventCode KEY_TAB = 9;
constexpr EventCode KEY_CTRL_ENTER = 10;
constexpr EventCode KEY_ENTER = 13;
constexpr EventCode KEY_ESC = 27;
constexpr EventCode KEY_CTRL_BACKSPACE = 127;
constexpr EventCode KEY_F1 = 315;  // also Ctrl+Tab
constexpr EventCode KEY_F2 = 316;  // also Ctrl+Shift+Tab
constexpr EventCode KEY_HOME = 327;
constexpr EventCode KEY_UP = 328;
constexpr EventCode KEY_PGUP = 329;
constexpr EventCode KEY_LEFT = 331;
constexpr EventCode KEY_RIGHT = 333;
constexpr EventCode KEY_END = 335;
constexpr EventCode KEY_DOWN = 336;
constexpr EventCode KEY_PGDN = 337;
constexpr EventCode KEY_INS = 338;
constexpr EventCode KEY_DEL = 339;
constexpr EventCode KEY_CTRL_F1 = 350;
constexpr EventCode KEY_ALT_F1 = 360;
constexpr EventCode KEY_CTRL_LEFT = 371;
constexpr EventCode KEY_CTRL_RIGHT = 372;
constexpr EventCode KEY_CTRL_END = 373;
constexpr EventCode KEY_CTRL_PGDN = 374;
constexpr EventCode KEY_CTRL_HOME = 375;
constexpr EventCode KEY_CTRL_PGUP = 388;
constexpr EventCode KEY_F11 = 389;
constexpr EventCode KEY_F12 = 390;
constexpr EventCode KEY_CTRL_UP = 397;    // also a third of a wheel notch up
constexpr EventCode KEY_CTRL_DOWN = 401;  // also a third of a wheel notch down
constexpr EventCode KEY_CTRL_INS = 402;
constexpr EventCode KEY_CTRL_DEL = 403;
constexpr EventCode KEY_ALT_OFFSET = 80;      // added to the plain cursor and editing keys with Alt
constexpr EventCode KEY_CTRL_BASE = 512;      // + virtual key: Ctrl with a letter, digit, ',' or '.'
constexpr EventCode KEY_CTRL_OR_ALT_MINUS = 1175;

// Pointer, modifier, timer and program events
constexpr EventCode EVENT_LEFT_DOWN = 432;
constexpr EventCode EVENT_MIDDLE_DOWN = 433;
constexpr EventCode EVENT_RIGHT_DOWN = 434;
constexpr EventCode EVENT_LEFT_UP = 435;
constexpr EventCode EVENT_MIDDLE_UP = 436;
constexpr EventCode EVENT_RIGHT_UP = 437;
constexpr EventCode EVENT_POINTER_MOVE = 438;
constexpr EventCode EVENT_CTRL_DOWN = 446;
constexpr EventCode EVENT_CTRL_UP = 447;
constexpr EventCode EVENT_ALT_DOWN = 448;
constexpr EventCode EVENT_ALT_UP = 449;
constexpr EventCode EVENT_TICK = 465;
constexpr EventCode EVENT_WHEEL_UP = KEY_CTRL_UP;
constexpr EventCode EVENT_WHEEL_DOWN = KEY_CTRL_DOWN;
constexpr EventCode EVENT_ALT_PERIOD = 822;  // arrives as the system menu key
constexpr EventCode EVENT_ALT_COMMA = 823;
constexpr EventCode EVENT_ALT_KEYPAD_BASE = 1024;  // + character typed as Alt + keypad digits
constexpr EventCode EVENT_REDRAW = 5001;
constexpr EventCode EVENT_QUIT = 5555;

// poll_input_code with this limit only peeks: nothing is removed and no messages are pumped.
constexpr int EVENT_PEEK_LIMIT = 32000;

// Modifier state bits
constexpr uint8_t MODIFIER_SHIFT = 1;
constexpr uint8_t MODIFIER_CTRL = 4;
constexpr uint8_t MODIFIER_ALT = 8;

constexpr int EVENT_RING_SIZE = 63;  // at most EVENT_RING_SIZE - 1 codes are pending

struct EventQueue {
  EventCode ring[EVENT_RING_SIZE];  // pending codes are ring[read_index .. write_index - 1], never 0
  int write_index;                  // 0..62; the slot the next code goes to
  int read_index;                   // 0..62; the oldest pending code; empty when equal to write_index
  EventCode last_code;              // the code most recently returned by wait_input_code
  uint8_t modifiers;                // MODIFIER_SHIFT | MODIFIER_CTRL | MODIFIER_ALT held now
  uint8_t ring_modifiers[EVENT_RING_SIZE];  // the modifiers held when each code was posted
  uint8_t last_modifiers;           // those of the code wait_input_code returned last: a key
                                    // read after its modifiers were let go still knows them
  bool quit_requested;              // set by every quit request; a page handler clears it on "no"
  bool redraw_pending;              // a redraw code that could not stay in the ring; read as 5001
                                    // once the ring is empty
  uint32_t refused_codes;           // codes refused because the ring was full (never reset but by
                                    // reset_event_queue)
  bool control_menu_shown;          // the CONTROL key menu is on screen
  bool alt_menu_shown;              // the ALT key menu is on screen
  int alt_keypad_value;             // 0..255; the character being typed as Alt + keypad digits
  bool skip_next_char;              // drop the next character event (Windows' own copy of an
                                    // Alt + keypad character)
};
extern EventQueue g_events;

// Posting
// Appends a code. Returns false only when the code is lost: 0, or a full ring (counted in
// refused_codes). A move is coalesced while the oldest pending code is a move; a quit or redraw
// that does not fit is kept as a flag and still reaches the reader.
bool push_input_code(EventCode code);
// Puts a code back in front of the oldest, so that it is read next. A full ring keeps a quit or
// redraw as its flag and refuses anything else (false).
bool push_input_code_front(EventCode code);
// Removes every pending move and tick, keeping the other codes in their order: the waits that
// let time pass take nothing else from the queue.
void discard_motion_and_ticks();
// True when the code is anywhere in the ring.
bool input_code_pending(EventCode code);
// Sets the quit flag and posts 5555 (the close box, Alt+F4, the program's own close button).
void request_quit();
// Posts a typed character c unless Ctrl or Alt is held or c is below 32.
void post_typed_char(uint8_t c);
// The form's character event: drops the one character Windows makes of an Alt + keypad entry,
// posts every other through post_typed_char.
void post_char_event(uint8_t c);
// Posts the code of a button (a WINDOW_BUTTON_* bit) going down or up (432-437).
void post_mouse_button(int button, bool down);
// Posts three 397 per wheel notch up, three 401 per notch down; delta is in 1/120 notches and a
// part notch is dropped (the truncation of the division).
void post_wheel(int wheel_delta);

// Reading
// limit <= 0: removes and returns the oldest code. limit > 0: returns the first pending code
// below limit without removing it, discarding the codes at or above limit before it. 0 when
// nothing qualifies. An empty queue pumps pending window messages unless limit is
// EVENT_PEEK_LIMIT. A redraw kept as a flag counts as pending once the ring is empty.
EventCode poll_input_code(int limit);
// Blocks until a code is pending and returns it (recorded as last_code). While the quit flag is
// set an empty queue returns 5555.
EventCode wait_input_code();
// Pumps once and drops everything pending (type-ahead); quit and redraw survive as flags.
void flush_input();
// Number of codes pending in the ring.
int pending_input_count();

// Key translation
// The code of a key going down: a pure function of the Windows-style virtual key and the
// modifier bits (virtual keys as the window delivers them). 0 when the key has no code.
EventCode map_key_down(int virtual_key, uint8_t modifiers);
// The letter ('A'-'Z') of an Alt+letter code, 0 for any other code.
char alt_key_letter(EventCode code);
// The code of a button (a WINDOW_BUTTON_* bit) going down (432-434, left, middle, right) or up
// (435-437); 0 for any other button.
EventCode mouse_button_code(int button, bool down);
// Maps a key going down with the current modifier state, posts and returns the code (0 when the
// key has none). Alt+'/' releases the pointer and minimises instead.
EventCode translate_key_down(int virtual_key);
// Updates the modifier state for Shift, Ctrl and Alt going down or up and posts 446-449.
// mode 0: Alt released by the system key path; 1: Alt pressed by it; 100: a key press;
// any other: a key release (the state becomes shift | ctrl * 4 | alt * 8). Nothing happens
// while the form's idle state is not 0 (start-up is not over).
void modifier_key_menus(int mode, int virtual_key, int shift, int alt, int ctrl);
// Closes the key menus; unless mode is 2 also clears the Ctrl and Alt bits.
void close_key_menus(int mode);

// Alt + number keypad
// True for the keypad digit keys (virtual keys 96-105).
bool is_keypad_digit(int virtual_key);
// With Alt held: one more keypad digit of the character value (mod 256); no code.
void collect_alt_keypad_digit(int virtual_key);
// When a modifier is released: posts 1024 + the collected value when it is above 0, clears it
// and skips the next character event.
void post_alt_keypad_char();
// Forgets a half-typed Alt + keypad value (the form became active).
void clear_alt_keypad();

// Test hooks
// Empties the queue and clears every flag and counter.
void reset_event_queue();
