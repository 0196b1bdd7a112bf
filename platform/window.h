// The one window of the program: open it, draw into its framebuffer, present it, read its input,
// and the few system services that go with a window (clock, system cursor, clipboard).
// Two backends implement this header: platform/sdl (the program) and platform/headless (tests).
//
// Input arrives as the Windows-style messages the shell was designed around: key down and up
// with a virtual-key code, a PC/AT scan code and the modifier state; typed characters as cp1252
// bytes; buttons, motion and wheel in client pixels. Two details of that keyboard are kept:
// a key held down repeats its key-down, and releasing Alt after typing digits on the number
// keypad with Alt held delivers one character event (the value of the digits mod 256) right
// after Alt's key-up. Characters below 32 (Enter, Tab, Backspace, Esc, Ctrl + letter) are not
// delivered as characters; the program takes those keys from their key-down.
#pragma once

#include <cstdint>
#include <string>

#include "platform/surface.h"

// Event kinds
enum WindowEventKind : uint8_t {
  WINDOW_EVENT_NONE = 0,
  WINDOW_EVENT_KEY_DOWN,      // key, scan, mods, repeat
  WINDOW_EVENT_KEY_UP,        // key, scan, mods
  WINDOW_EVENT_CHAR,          // ch
  WINDOW_EVENT_MOUSE_DOWN,    // button, x, y
  WINDOW_EVENT_MOUSE_UP,      // button, x, y
  WINDOW_EVENT_MOUSE_MOVE,    // x, y
  WINDOW_EVENT_WHEEL,         // wheel_delta, x, y
  WINDOW_EVENT_FOCUS_GAINED,  // the window became active
  WINDOW_EVENT_FOCUS_LOST,    // the window became inactive
  WINDOW_EVENT_RESIZE,        // width, height: the framebuffer already has this size
  WINDOW_EVENT_CLOSE,         // the user asked to close; the window stays open
  WINDOW_EVENT_EXPOSE,        // the screen lost the window's pixels; they are shown again
};

// Modifier bits, the same values as the event queue's modifier state.
constexpr int WINDOW_MOD_SHIFT = 1;
constexpr int WINDOW_MOD_CTRL = 4;
constexpr int WINDOW_MOD_ALT = 8;

// Mouse buttons, the same values as the shell's button bits.
constexpr int WINDOW_BUTTON_LEFT = 1;
constexpr int WINDOW_BUTTON_RIGHT = 2;
constexpr int WINDOW_BUTTON_MIDDLE = 4;

// One wheel notch away from the user (up); toward the user is the negative.
constexpr int WINDOW_WHEEL_NOTCH = 120;

// Scan codes of extended keys (the grey keys, right Ctrl and Alt, keypad Enter and '/')
// carry this bit above their set-1 code.
constexpr int WINDOW_SCAN_EXTENDED = 0x100;

struct WindowEvent {
  WindowEventKind kind = WINDOW_EVENT_NONE;
  int key = 0;          // virtual-key code (VK_...), key events
  int scan = 0;         // PC/AT set-1 scan code, | WINDOW_SCAN_EXTENDED for extended keys
  int mods = 0;         // WINDOW_MOD_* held at the time of the event (after a modifier's own change)
  bool repeat = false;  // key-down repeated by holding the key
  uint8_t ch = 0;       // cp1252 character, WINDOW_EVENT_CHAR
  int button = 0;       // WINDOW_BUTTON_*, button events
  int x = 0;            // client pixels, mouse events (may lie outside while a button is held)
  int y = 0;
  int wheel_delta = 0;  // multiples of WINDOW_WHEEL_NOTCH, + away from the user
  int width = 0;        // client pixels, WINDOW_EVENT_RESIZE
  int height = 0;
};

// Virtual-key codes the backends deliver. Letters are 'A'-'Z' and digits '0'-'9' as themselves.
constexpr int VK_BACK = 8;
constexpr int VK_TAB = 9;
constexpr int VK_CLEAR = 12;  // keypad 5 with NumLock off
constexpr int VK_RETURN = 13;
constexpr int VK_SHIFT = 16;
constexpr int VK_CONTROL = 17;
constexpr int VK_MENU = 18;  // Alt
constexpr int VK_PAUSE = 19;
constexpr int VK_CAPITAL = 20;
constexpr int VK_ESCAPE = 27;
constexpr int VK_SPACE = 32;
constexpr int VK_PRIOR = 33;  // PgUp
constexpr int VK_NEXT = 34;   // PgDn
constexpr int VK_END = 35;
constexpr int VK_HOME = 36;
constexpr int VK_LEFT = 37;
constexpr int VK_UP = 38;
constexpr int VK_RIGHT = 39;
constexpr int VK_DOWN = 40;
constexpr int VK_SNAPSHOT = 44;
constexpr int VK_INSERT = 45;
constexpr int VK_DELETE = 46;
constexpr int VK_LWIN = 91;
constexpr int VK_RWIN = 92;
constexpr int VK_APPS = 93;
constexpr int VK_NUMPAD0 = 96;  // .. VK_NUMPAD0 + 9, keypad digits with NumLock on
constexpr int VK_MULTIPLY = 106;
constexpr int VK_ADD = 107;
constexpr int VK_SUBTRACT = 109;
constexpr int VK_DECIMAL = 110;
constexpr int VK_DIVIDE = 111;
constexpr int VK_F1 = 112;  // .. VK_F1 + 11 = F12
constexpr int VK_NUMLOCK = 144;
constexpr int VK_SCROLL = 145;
constexpr int VK_OEM_1 = 186;       // ';'
constexpr int VK_OEM_PLUS = 187;    // '='
constexpr int VK_OEM_COMMA = 188;   // ','
constexpr int VK_OEM_MINUS = 189;   // '-'
constexpr int VK_OEM_PERIOD = 190;  // '.'
constexpr int VK_OEM_2 = 191;       // '/'
constexpr int VK_OEM_3 = 192;       // '`'
constexpr int VK_OEM_4 = 219;       // '['
constexpr int VK_OEM_5 = 220;       // '\'
constexpr int VK_OEM_6 = 221;       // ']'
constexpr int VK_OEM_7 = 222;       // apostrophe
constexpr int VK_OEM_102 = 226;     // the extra key left of Z on European keyboards

// Window
// Opens the one window with a client area of width x height pixels and a cp1252 title.
// Returns false and says why in *error when no window can be opened.
bool window_open(int width, int height, const std::string& title, std::string* error);
// Closes the window and lets go of the display.
void window_close();
// Sets the client size; the framebuffer takes the new size at once (no resize event follows
// for a size the program set itself; the window manager may still answer with another).
void window_set_size(int width, int height);
// The user cannot make the client area smaller than this.
void window_set_minimum_size(int width, int height);
void window_minimise();
// Un-minimises and raises the window.
void window_restore();

// Monitors and the window's place among them (screen pixels). A window manager may refuse a
// position: the window then stays where it is, and window_get_position says so.
struct WindowRect {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
};
// The monitors: at least one is always reported (the primary first).
int window_display_count();
// A monitor's whole rectangle and the part of it that windows may use (without panels and
// docks); false for a monitor that does not exist.
bool window_display_bounds(int display, WindowRect* bounds, WindowRect* usable);
// The monitor the window is on; 0 when that cannot be told.
int window_display_index();
void window_get_position(int* x, int* y);
void window_set_position(int x, int y);
// The window covers its whole monitor (the desktop's resolution) or is a window again.
void window_set_fullscreen(bool whole_screen);
// Where the window manager may take hold of the borderless window: the program answers for a
// client point whether it is the band that drags the window (1), an edge that resizes it (2) or
// neither (0). Null: nowhere.
using WindowHitTest = int (*)(int x, int y);
void window_set_hit_test(WindowHitTest hit_test);
constexpr int WINDOW_HIT_NORMAL = 0;
constexpr int WINDOW_HIT_DRAG = 1;
constexpr int WINDOW_HIT_RESIZE = 2;

// Framebuffer
// The pixels the program draws into; always the size of the client area.
Surface* window_surface();
// Shows the framebuffer when it differs from what was last shown (or the screen lost it).
void window_present();

// Input
// Takes the oldest pending event; false when none is pending. Never blocks.
bool window_poll_event(WindowEvent* event);
// Sleeps until an event is pending or timeout_ms passed (negative: no limit). True when an
// event is pending. Headless: nothing sleeps; the virtual clock advances by the timeout.
bool window_wait_event(int timeout_ms);

// Clock
// Milliseconds of a free-running 32-bit counter that wraps like any system tick count.
uint32_t clock_now_ms();
// Sleeps ms milliseconds without reading input. Headless: the virtual clock advances by ms.
void clock_sleep_ms(uint32_t ms);

// System cursor (client pixels; a position outside the client area is possible)
void cursor_set_visible(bool visible);
// Puts the system cursor on a client position; a mouse move event follows, as after any motion.
// False when the system refuses to move the cursor (some display servers never let a program
// do it): the cursor stays where the user put it and no event follows.
bool cursor_warp(int x, int y);
void cursor_get_position(int* x, int* y);

// System message box: a plain box of the system with a cp1252 text and an OK button, for the
// few messages that come before the program can draw its own (its data files are missing).
// Returns when the user closed it, or at once when no box can be shown.
void window_message_box(const std::string& text);

// Clipboard: cp1252 text with CR LF line ends inside the program.
// False when the clipboard holds no text or cannot be read.
bool clipboard_get_text(std::string* text);
bool clipboard_set_text(const std::string& text);
