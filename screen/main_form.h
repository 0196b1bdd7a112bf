// The main form: the program's one window and its window procedure. The handlers only turn
// window events into event codes, keep the program's own pointer and the system cursor in step,
// and note that a paint, resize or activation happened so that the program redraws at its next
// event. The platform's message pump hands every window event to main_form_dispatch.
#pragma once

#include <cstdint>

#include "platform/window.h"

// The smallest client area the pages are laid out for.
constexpr int FORM_MIN_CLIENT_WIDTH = 630;
constexpr int FORM_MIN_CLIENT_HEIGHT = 474;

// Resize-pending byte
constexpr uint8_t RESIZE_NONE = 0;
constexpr uint8_t RESIZE_BY_USER = 1;        // the user resized the form
constexpr uint8_t RESIZE_PAINTED = 2;        // a paint arrived after that
constexpr uint8_t RESIZE_BY_PROGRAM = 0x10;  // the program resizes the form itself

// Redraw levels set by the paint handlers
constexpr uint8_t REDRAW_LEVEL_FORM_PAINT = 112;
constexpr uint8_t REDRAW_LEVEL_PAINT_BOX = 80;

// Printing-suspends-drawing byte
constexpr uint8_t PRINTING_OFF = 0;
constexpr uint8_t PRINTING_ON = 1;
constexpr uint8_t PRINTING_PAINTED = 2;  // printing, and a paint arrived meanwhile

// The system-menu command that a system key with a character makes.
constexpr int SYS_COMMAND_KEYMENU = 0xF100;

struct MainForm {
  int8_t idle_state = 1;          // start-up's: > 0 at load, -1 inside the first idle call, 0 once
                                  // the program waits for input; while it is not 0 the modifier,
                                  // resize and move handlers ignore their events
  bool input_suspended = false;   // a dialog of the system is up: keys, clicks and moves are ignored
  bool destroying = false;        // the form is being destroyed
  bool repaint_wanted = false;    // a paint came while the pointer was released or input suspended
  uint8_t resize_pending = RESIZE_NONE;  // RESIZE_* value, | RESIZE_BY_PROGRAM
  uint8_t redraw_level = 0;       // non-zero: part of the screen lost its contents; 112 a paint
                                  // of the form, 80 of a paint box, 1 the timer or idle handler
  uint8_t printing = PRINTING_OFF;  // PRINTING_*: set by the printing code
  bool minimise_pending = false;  // the program's minimise button is down; it minimises on release
  bool minimised_by_program = false;  // the next activation takes the pointer back
  uint32_t activation_time_ms = 0;    // clock at the last activation or end of a system dialog
  int caption_hidden_count = 0;   // non-zero while a full-screen view hides the caption and tabs
  bool active = false;            // the window has the keyboard focus
  bool window_proc_installed = false;  // main_window_proc takes the mouse and Tab first
  bool alt_alone = false;         // Alt went down and no other key since: its release is a system key
  int client_width = 0;           // client pixels as last seen
  int client_height = 0;
};
extern MainForm g_form;

// The form
// Creates the form: the pump's event handler becomes main_form_dispatch and its timer handler the
// form's timer; the client area may not become smaller than the minimum. Then FormCreate.
void create_main_form();
// Lets go of the pump's handlers.
void destroy_main_form();
// Puts main_window_proc in front of the form's own handling (while the page loop runs), and back.
void install_main_window_proc();
void restore_window_proc();

// Window procedure
// Every window event of the pump: through main_window_proc when installed, else to the form.
void main_form_dispatch(const WindowEvent& event);
// Mouse, wheel and Tab first; everything else goes on to the form's own handling.
void main_window_proc(const WindowEvent& event);

// Form events
void form_create();
void form_destroy();
void form_activate();
void form_deactivate();
// shift: WINDOW_MOD_* bits held.
void form_key_down(int key, int shift);
void form_key_up(int key, int shift);
void form_key_press(uint8_t c);
void form_close();
void form_paint();
void paint_box_paint();
// The client area now measures width x height pixels.
void form_resize(int width, int height);
bool form_can_resize();

// System keys (Alt held without Ctrl, and F10); true when consumed.
bool on_sys_key_down(int key);
bool on_sys_key_up(int key);
bool on_sys_command(int command, int character);

// Mouse
void on_mouse_down(int button);
void on_mouse_up(int button);
void on_mouse_move();
// The cursor left the client area with no button held.
void on_frame_mouse_move();

// Application activation
void app_activate();
void app_deactivate();

// Pointer capture
// The program's pointer takes over from the system cursor, which is hidden.
void capture_pointer();
// The system cursor goes to the pointer's drawn (wanted) position, which is also the new motion
// reference. Where the system refuses the move, the cursor's own position is the reference: the
// pointer then follows the cursor's motion, offset from it.
void warp_cursor_to_pointer();
void warp_cursor_to_target();
// Puts the system cursor on (x, y); false, noted in warps_refused, when the system refuses.
bool warp_cursor(int x, int y);
// Motion of the system cursor since the last call; returns 1 when it moved. Vertical motion also
// feeds the scroll accumulator of the list windows.
int mouse_delta(int* dx, int* dy);

// System dialogs
// Around every dialog or message box of the system: the program's pointer and keys stand aside.
void suspend_input();
void resume_input();
// Alt+'/': lets go of Ctrl and Alt and of the pointer and minimises the program.
void release_and_minimise();

// The form class: its handlers only forward.
class TForm1 {
 public:
  static void FormCreate() { form_create(); }
  static void FormDestroy() { form_destroy(); }
  static void FormActivate() { form_activate(); }
  static void FormDeactivate() { form_deactivate(); }
  static void FormKeyDown(int key, int shift) { form_key_down(key, shift); }
  static void FormKeyUp(int key, int shift) { form_key_up(key, shift); }
  static void FormKeyPress(uint8_t c) { form_key_press(c); }
  static void FormClose() { form_close(); }
  static void Timer1Timer();
  static void FormPaint() { form_paint(); }
  static void FormResize(int width, int height) { form_resize(width, height); }
  static bool FormCanResize() { return form_can_resize(); }
  static void PaintBox3Paint() { paint_box_paint(); }
};

// Test hooks
void reset_main_form();
