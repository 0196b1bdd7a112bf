// The main form's handlers and the window procedure. The platform reports the cursor in client
// pixels, so every screen position the program keeps counts from the client area's top-left corner.
#include "screen/main_form.h"

#include "platform/pump.h"
#include "screen/boxes.h"
#include "screen/caret.h"
#include "screen/display_mode.h"
#include "screen/hover.h"
#include "screen/event_queue.h"
#include "screen/interface_settings.h"
#include "screen/pointer.h"
#include "screen/timer.h"

MainForm g_form;

namespace {

// A pointer in relative mode stays inside a box this big around its drawn position, kept this
// far from the client edges.
constexpr int RELATIVE_BOX_SIZE = 80;
constexpr int RELATIVE_BOX_MARGIN = 40;
// A released pointer is taken back by a move this far inside the client edges.
constexpr int CAPTURE_MARGIN_LEFT_TOP = 3;
constexpr int CAPTURE_MARGIN_RIGHT_BOTTOM = 5;
// The pointer's position while it is released and the cursor lies outside the client area.
constexpr int POINTER_OFF_CLIENT = -32;

int client_width() { return window_surface()->width; }
int client_height() { return window_surface()->height; }

bool inside_client(int x, int y) {
  return x >= 0 && y >= 0 && x < client_width() && y < client_height();
}

void read_cursor() { cursor_get_position(&g_pointer.cursor_x, &g_pointer.cursor_y); }

void take_cursor_as_reference() {
  g_pointer.reference_x = g_pointer.cursor_x;
  g_pointer.reference_y = g_pointer.cursor_y;
}

void place_pointer_at_cursor() {
  g_pointer.drawn_x = g_pointer.wanted_x = g_pointer.cursor_x;
  g_pointer.drawn_y = g_pointer.wanted_y = g_pointer.cursor_y;
}

void end_relative_mode() { g_pointer.relative_mode = POINTER_RELATIVE_OFF; }

// The pointer stands aside: the system cursor takes over.
void release_pointer() {
  g_pointer.released = true;
  end_relative_mode();
}

void set_modifiers_of(int shift, int* s, int* a, int* c) {
  *s = (shift & WINDOW_MOD_SHIFT) ? 1 : 0;
  *a = (shift & WINDOW_MOD_ALT) ? 1 : 0;
  *c = (shift & WINDOW_MOD_CTRL) ? 1 : 0;
}

bool is_modifier_key(int key) { return key >= VK_SHIFT && key <= VK_MENU; }

// The window system sends a key as a system key while Alt is held without Ctrl, and F10 always;
// their key-down goes to the form only when the system-key handler passes it on.
bool is_system_key(int key, int mods) {
  if (mods & WINDOW_MOD_CTRL) return false;
  return (mods & WINDOW_MOD_ALT) || key == VK_F1 + 9;
}

void dispatch_key_down(const WindowEvent& event) {
  if (event.key == VK_MENU) {
    g_form.alt_alone = !(event.mods & WINDOW_MOD_CTRL);
  } else if (event.mods & WINDOW_MOD_ALT) {
    g_form.alt_alone = false;
  }
  const bool system = is_system_key(event.key, event.mods);
  if (system && on_sys_key_down(event.key)) return;
  form_key_down(event.key, event.mods);
  // Alt with ',' or '.' also opens the system menu with that character.
  if (system && (event.mods & WINDOW_MOD_ALT)) {
    if (event.key == VK_OEM_COMMA) on_sys_command(SYS_COMMAND_KEYMENU, ',');
    if (event.key == VK_OEM_PERIOD) on_sys_command(SYS_COMMAND_KEYMENU, '.');
  }
}

// Alt released on its own is a system key; released after another key it is an ordinary key-up.
void dispatch_key_up(const WindowEvent& event) {
  if (event.key == VK_MENU) {
    const bool alone = g_form.alt_alone && !(event.mods & WINDOW_MOD_CTRL);
    g_form.alt_alone = false;
    if (alone && on_sys_key_up(event.key)) return;
  } else if (is_system_key(event.key, event.mods) && on_sys_key_up(event.key)) {
    return;
  }
  form_key_up(event.key, event.mods);
}

void dispatch_resize(const WindowEvent& event) {
  if (!form_can_resize()) {
    window_set_size(g_form.client_width, g_form.client_height);
  } else {
    form_resize(event.width, event.height);
  }
  // Whatever the size now is, the window shows pixels the program has not drawn.
  form_paint();
}

void dispatch_focus(bool gained) {
  g_form.active = gained;
  if (gained) {
    app_activate();
    form_activate();
  } else {
    app_deactivate();
  }
}

// Relative mode: a cursor outside the box around the pointer is put back at the box's centre,
// and the jump is added to the motion reference so that mouse_delta does not see it as motion.
void keep_cursor_in_relative_box() {
  int left = g_pointer.drawn_x - RELATIVE_BOX_MARGIN;
  if (left < RELATIVE_BOX_MARGIN) left = RELATIVE_BOX_MARGIN;
  int right = left + RELATIVE_BOX_SIZE;
  if (right > client_width() - RELATIVE_BOX_MARGIN) {
    right = client_width() - RELATIVE_BOX_MARGIN;
    left = right - RELATIVE_BOX_SIZE;
  }
  int top = g_pointer.drawn_y - RELATIVE_BOX_MARGIN;
  if (top < RELATIVE_BOX_MARGIN) top = RELATIVE_BOX_MARGIN;
  int bottom = top + RELATIVE_BOX_SIZE;
  if (bottom > client_height() - RELATIVE_BOX_MARGIN) {
    bottom = client_height() - RELATIVE_BOX_MARGIN;
    top = bottom - RELATIVE_BOX_SIZE;
  }
  const int x = g_pointer.cursor_x;
  const int y = g_pointer.cursor_y;
  if (x >= left && x < right && y >= top && y < bottom) {
    push_input_code(EVENT_POINTER_MOVE);
    return;
  }
  const int centre_x = left + RELATIVE_BOX_SIZE / 2;
  const int centre_y = top + RELATIVE_BOX_SIZE / 2;
  if (!warp_cursor(centre_x, centre_y)) {
    // The cursor cannot be held in the box: its motion is all there is to follow.
    push_input_code(EVENT_POINTER_MOVE);
    return;
  }
  g_pointer.reference_x += centre_x - x;
  g_pointer.reference_y += centre_y - y;
  g_pointer.cursor_x = centre_x;
  g_pointer.cursor_y = centre_y;
}

void pump_timer() { TForm1::Timer1Timer(); }

}  // namespace

void TForm1::Timer1Timer() { timer_tick(); }

// ---- The form ----------------------------------------------------------------------------------

void create_main_form() {
  pump_set_event_handler(main_form_dispatch);
  pump_set_timer_handler(pump_timer);
  window_set_minimum_size(FORM_MIN_CLIENT_WIDTH, FORM_MIN_CLIENT_HEIGHT);
  g_form.client_width = client_width();
  g_form.client_height = client_height();
  TForm1::FormCreate();
}

void destroy_main_form() {
  TForm1::FormDestroy();
  pump_set_event_handler(nullptr);
  pump_set_timer_handler(nullptr);
}

void install_main_window_proc() { g_form.window_proc_installed = true; }

void restore_window_proc() { g_form.window_proc_installed = false; }

// ---- Window procedure --------------------------------------------------------------------------

namespace {

// The form's own handling of the window's events.
void form_window_proc(const WindowEvent& event) {
  switch (event.kind) {
    case WINDOW_EVENT_KEY_DOWN: dispatch_key_down(event); break;
    case WINDOW_EVENT_KEY_UP: dispatch_key_up(event); break;
    case WINDOW_EVENT_CHAR: TForm1::FormKeyPress(event.ch); break;
    case WINDOW_EVENT_FOCUS_GAINED: dispatch_focus(true); break;
    case WINDOW_EVENT_FOCUS_LOST: dispatch_focus(false); break;
    case WINDOW_EVENT_RESIZE: dispatch_resize(event); break;
    case WINDOW_EVENT_CLOSE: TForm1::FormClose(); break;
    case WINDOW_EVENT_EXPOSE: TForm1::FormPaint(); break;
    default: break;  // the form's own mouse handling does nothing
  }
}

}  // namespace

void main_form_dispatch(const WindowEvent& event) {
  if (g_form.window_proc_installed) {
    main_window_proc(event);
  } else {
    form_window_proc(event);
  }
  // The size the window has now, whoever set it: a refused resize goes back to it.
  g_form.client_width = client_width();
  g_form.client_height = client_height();
}

void main_window_proc(const WindowEvent& event) {
  switch (event.kind) {
    case WINDOW_EVENT_MOUSE_MOVE:
      // Every move over the window asks for the cursor shape; the timer counts these requests.
      if (!g_pointer.released) ++g_pointer.set_cursor_count;
      if (!inside_client(event.x, event.y) && g_pointer.button_bits == 0) {
        on_frame_mouse_move();
      } else {
        on_mouse_move();
      }
      return;
    case WINDOW_EVENT_MOUSE_DOWN: on_mouse_down(event.button); return;
    case WINDOW_EVENT_MOUSE_UP: on_mouse_up(event.button); return;
    case WINDOW_EVENT_WHEEL: post_wheel(event.wheel_delta); return;
    case WINDOW_EVENT_KEY_DOWN:
      // Tab would move the focus between controls; here it is a key like any other.
      if (event.key == VK_TAB) {
        translate_key_down(VK_TAB);
        return;
      }
      break;
    default: break;
  }
  form_window_proc(event);
}

// ---- Form events -------------------------------------------------------------------------------

void form_create() { ++g_form.caption_hidden_count; }

void form_destroy() { g_form.destroying = true; }

void form_activate() {
  draw_caption(nullptr, 1);
  clear_alt_keypad();
}

void form_deactivate() { draw_caption(nullptr, 0); }

void form_key_down(int key, int shift) {
  if (g_form.input_suspended) return;
  if ((shift & WINDOW_MOD_ALT) && is_keypad_digit(key)) {
    collect_alt_keypad_digit(key);
    return;
  }
  if (is_modifier_key(key)) {
    int s, a, c;
    set_modifiers_of(shift, &s, &a, &c);
    modifier_key_menus(100, key, s, a, c);
    return;
  }
  if (key == VK_TAB) return;  // reaches the program through the window procedure
  translate_key_down(key);
}

void form_key_up(int key, int shift) {
  if (!is_modifier_key(key)) return;
  int s, a, c;
  set_modifiers_of(shift, &s, &a, &c);
  modifier_key_menus(117, key, s, a, c);
  post_alt_keypad_char();
}

void form_key_press(uint8_t c) {
  if (g_form.input_suspended) return;
  post_char_event(c);
}

// The window never closes from outside: the quit code runs the program's own exit path with its
// save questions.
void form_close() {
  post_quit_request();
  window_restore();
}

void form_paint() {
  if (g_form.printing != PRINTING_OFF) {
    if (g_form.printing == PRINTING_ON) g_form.printing = PRINTING_PAINTED;
    g_form.redraw_level = 0;
    return;
  }
  if (g_pointer.released || g_form.input_suspended) g_form.repaint_wanted = true;
  g_form.redraw_level = REDRAW_LEVEL_FORM_PAINT;
  if (g_form.resize_pending == RESIZE_BY_USER) g_form.resize_pending = RESIZE_PAINTED;
}

void paint_box_paint() { g_form.redraw_level = REDRAW_LEVEL_PAINT_BOX; }

void form_resize(int width, int height) {
  if (g_form.idle_state != 0 || (g_form.resize_pending & RESIZE_BY_PROGRAM)) return;
  g_form.resize_pending = RESIZE_BY_USER;
  if (width < FORM_MIN_CLIENT_WIDTH || height < FORM_MIN_CLIENT_HEIGHT) {
    if (width < FORM_MIN_CLIENT_WIDTH) width = FORM_MIN_CLIENT_WIDTH;
    if (height < FORM_MIN_CLIENT_HEIGHT) height = FORM_MIN_CLIENT_HEIGHT;
    window_set_size(width, height);
  }
  g_interface.client_width = static_cast<int16_t>(width);
  g_interface.client_height = static_cast<int16_t>(height);
  g_interface.display_choice = DISPLAY_CHOICE_OWN_SIZE;
  read_cursor();
  take_cursor_as_reference();
  place_pointer_at_cursor();
  flush_input();
}

bool form_can_resize() {
  return !(g_form.idle_state == 0 && !(g_form.resize_pending & RESIZE_BY_PROGRAM) &&
           g_form.caption_hidden_count != 0);
}

// ---- System keys -------------------------------------------------------------------------------

bool on_sys_key_down(int key) {
  switch (key) {
    case VK_MENU: modifier_key_menus(1, VK_MENU, 0, 1, 0); return true;
    case VK_F1 + 9: translate_key_down(VK_F1 + 9); return true;
    case VK_F1 + 3: post_quit_request(); return true;  // Alt+F4
    default: return false;
  }
}

bool on_sys_key_up(int key) {
  if (key != VK_MENU) return false;
  modifier_key_menus(0, VK_MENU, 0, 1, 0);
  return true;
}

bool on_sys_command(int command, int character) {
  if (command != SYS_COMMAND_KEYMENU) return false;
  if (character == ',') {
    push_input_code(EVENT_ALT_COMMA);
    return true;
  }
  if (character == '.') {
    push_input_code(EVENT_ALT_PERIOD);
    return true;
  }
  return false;
}

// ---- Mouse -------------------------------------------------------------------------------------

void on_mouse_down(int button) {
  if (g_form.input_suspended) return;
  if (g_pointer.released) {
    // A click on a released pointer only takes it back.
    if (g_form.active) capture_pointer();
    return;
  }
  g_pointer.button_bits = static_cast<uint8_t>(g_pointer.button_bits | button);
  post_mouse_button(button, true);
}

void on_mouse_up(int button) {
  if (g_form.minimise_pending) {
    g_form.minimise_pending = false;
    g_form.minimised_by_program = true;
    clear_hover();
    hide_pointer();
    release_pointer();
    window_minimise();
    g_pointer.button_bits = 0;
    return;
  }
  if (g_form.input_suspended || g_pointer.released) return;
  g_pointer.button_bits = static_cast<uint8_t>(g_pointer.button_bits & ~button);
  post_mouse_button(button, false);
  if (button == WINDOW_BUTTON_LEFT && g_pointer.relative_mode == POINTER_RELATIVE_DRAG)
    end_relative_mode();
}

void on_mouse_move() {
  ++g_pointer.move_count;
  if (g_form.idle_state != 0) return;
  read_cursor();
  if (g_display.form_drag_running || g_form.input_suspended || !g_form.active ||
      g_pointer.delta_busy)
    return;
  if (g_pointer.released) {
    const int x = g_pointer.cursor_x;
    const int y = g_pointer.cursor_y;
    if (x >= CAPTURE_MARGIN_LEFT_TOP && y >= CAPTURE_MARGIN_LEFT_TOP &&
        x <= client_width() - CAPTURE_MARGIN_RIGHT_BOTTOM &&
        y <= client_height() - CAPTURE_MARGIN_RIGHT_BOTTOM)
      capture_pointer();
    return;
  }
  if (g_pointer.relative_mode != POINTER_RELATIVE_OFF) {
    keep_cursor_in_relative_box();
    return;
  }
  push_input_code(EVENT_POINTER_MOVE);
}

void on_frame_mouse_move() {
  if (g_pointer.button_bits != 0) {
    on_mouse_move();
    return;
  }
  if (g_pointer.released) return;
  g_pointer.released = true;
  g_pointer.set_cursor_count = 0;
  hide_pointer();
  warp_cursor(g_pointer.wanted_x, g_pointer.wanted_y);
  cursor_set_visible(true);
}

// ---- Application activation --------------------------------------------------------------------

void app_activate() {
  g_form.activation_time_ms = clock_now_ms();
  if (!g_form.destroying) {
    clear_hover();
    draw_caption(nullptr, 1);
  }
  if (g_form.minimised_by_program) {
    g_form.minimised_by_program = false;
    g_pointer.button_bits = 0;
    read_cursor();
    if (inside_client(g_pointer.cursor_x, g_pointer.cursor_y)) {
      capture_pointer();
    } else {
      g_pointer.released = true;
      g_pointer.drawn_x = POINTER_OFF_CLIENT;
      g_pointer.drawn_y = POINTER_OFF_CLIENT;
    }
  } else {
    g_form.repaint_wanted = true;
  }
  push_input_code(EVENT_REDRAW);
}

void app_deactivate() {
  if (!g_form.input_suspended) {
    clear_hover();
    hide_pointer();
    release_pointer();
    g_pointer.set_cursor_count = 0;
  }
  if (!g_form.destroying) {
    cursor_set_visible(true);
    draw_caption(nullptr, 0);
  }
}

// ---- Pointer capture ---------------------------------------------------------------------------

void capture_pointer() {
  if (g_form.input_suspended) {
    g_pointer.capture_reset_count = 1;
    return;
  }
  push_input_code(EVENT_POINTER_MOVE);
  read_cursor();
  place_pointer_at_cursor();
  int dx, dy;
  mouse_delta(&dx, &dy);
  // The next two readings start from wherever the cursor then is: the capture itself may still
  // bring a move of the system cursor.
  g_pointer.capture_reset_count = 2;
  cursor_set_visible(false);
  g_pointer.released = false;
  g_pointer.button_bits = 0;
}

bool warp_cursor(int x, int y) {
  if (cursor_warp(x, y)) return true;
  g_pointer.warps_refused = true;
  return false;
}

namespace {

void put_cursor_at(int x, int y) {
  if (warp_cursor(x, y)) {
    g_pointer.cursor_x = x;
    g_pointer.cursor_y = y;
  } else {
    read_cursor();
  }
  take_cursor_as_reference();
}

}  // namespace

void warp_cursor_to_pointer() { put_cursor_at(g_pointer.drawn_x, g_pointer.drawn_y); }

void warp_cursor_to_target() { put_cursor_at(g_pointer.wanted_x, g_pointer.wanted_y); }

int mouse_delta(int* dx, int* dy) {
  g_pointer.delta_busy = true;
  read_cursor();
  if (g_pointer.capture_reset_count != 0) {
    --g_pointer.capture_reset_count;
    take_cursor_as_reference();
  }
  *dx = g_pointer.cursor_x - g_pointer.reference_x;
  *dy = g_pointer.cursor_y - g_pointer.reference_y;
  take_cursor_as_reference();
  g_pointer.delta_busy = false;
  if (*dx == 0 && *dy == 0) return 0;
  // Vertical motion is measured in rows, so it is compared with the cell height: one scroll code
  // per row of motion keeps a list moving with the pointer.
  const int row = g_display.current.cell_height > 0 ? g_display.current.cell_height : 1;
  g_pointer.scroll_accumulator += *dy;
  if (g_pointer.scroll_accumulator > row) {
    g_pointer.scroll_accumulator = 0;
    g_pointer.pending_scroll_code = g_pointer.scroll_down_key;
  } else if (g_pointer.scroll_accumulator < -row) {
    g_pointer.scroll_accumulator = 0;
    g_pointer.pending_scroll_code = g_pointer.scroll_up_key;
  }
  return 1;
}

// ---- System dialogs ----------------------------------------------------------------------------

void suspend_input() {
  clear_hover();
  hide_pointer();
  g_pointer.set_cursor_count = 0;
  cursor_set_visible(true);
  g_form.input_suspended = true;
  end_relative_mode();
}

void resume_input() {
  g_form.input_suspended = false;
  capture_pointer();
  pump_messages();
  warp_cursor((client_width() - 1) / 2, (client_height() - 1) / 2);
  flush_input();
  g_events.modifiers = 0;
  ++g_form.redraw_level;
  g_form.activation_time_ms = clock_now_ms();
  g_pointer.button_bits = 0;
}

void release_and_minimise() {
  modifier_key_menus(117, 0, 0, 0, 0);
  hide_pointer();
  clear_hover();
  hide_caret();
  window_minimise();
  g_form.minimised_by_program = true;
  release_pointer();
  g_pointer.button_bits = 0;
}

void reset_main_form() { g_form = MainForm(); }
