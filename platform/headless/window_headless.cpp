// The headless backend: window.h and headless.h over memory and a virtual clock.
#include <png.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "platform/headless.h"
#include "platform/window.h"
#include "platform/window_internal.h"

namespace {

struct HeadlessState {
  WindowEventFifo fifo;              // injected events not yet taken by the program
  Surface framebuffer;               // what the program draws into
  Surface shown;                     // the framebuffer as last "presented"
  std::string title;                 // cp1252, as the program set it
  bool minimised = false;
  int min_width = 0;                 // client pixels the size never goes below
  int min_height = 0;
  uint32_t clock_ms = 0;             // the virtual clock, wraps like a system tick count
  uint32_t clock_auto_step_ms = 0;   // added after every clock read; 0 = off
  uint64_t idle_ms = 0;              // clock moved by waits and sleeps since the last injection
  uint64_t idle_limit_ms = HEADLESS_IDLE_LIMIT_MS;
  bool cursor_visible = true;
  bool warps_refused = false;        // cursor_warp is refused
  int cursor_x = 0;                  // client pixels
  int cursor_y = 0;
  bool clipboard_has_text = false;
  std::string clipboard;             // cp1252 bytes exactly as set
  int present_count = 0;             // presents that found a changed framebuffer
  std::vector<std::string> message_boxes;  // texts of the system message boxes, oldest first
  std::vector<std::pair<WindowRect, WindowRect>> displays = {
      {WindowRect{0, 0, 2560, 1600}, WindowRect{0, 0, 2560, 1600}}};
  bool positions_refused = false;
  int window_x = 0;                  // screen pixels of the client area's top-left corner
  int window_y = 0;
  bool fullscreen = false;
};

HeadlessState g_headless;

void inject(const WindowEvent& event) {
  g_headless.idle_ms = 0;
  window_fifo_push(&g_headless.fifo, event);
}

WindowEvent key_event(WindowEventKind kind, int vk, int mods, int scan) {
  WindowEvent event;
  event.kind = kind;
  event.key = vk;
  event.mods = mods;
  event.scan = scan;
  return event;
}

WindowEvent mouse_event(WindowEventKind kind, int x, int y) {
  WindowEvent event;
  event.kind = kind;
  event.x = x;
  event.y = y;
  return event;
}

// Waits and sleeps move the clock; too much of that without input means the test forgot one.
void pass_idle_time(uint32_t ms) {
  g_headless.clock_ms += ms;
  g_headless.idle_ms += ms;
  if (g_headless.idle_ms > g_headless.idle_limit_ms) {
    std::fprintf(stderr,
                 "headless: the program has waited %llu ms of virtual time for input that no "
                 "test sends\n",
                 static_cast<unsigned long long>(g_headless.idle_ms));
    std::abort();
  }
}

void clamp_to_minimum(int* width, int* height) {
  *width = std::max(*width, g_headless.min_width);
  *height = std::max(*height, g_headless.min_height);
}

}  // namespace

// ---- window.h ----

bool window_open(int width, int height, const std::string& title, std::string* /*error*/) {
  g_headless.title = title;
  g_headless.minimised = false;
  surface_resize(&g_headless.framebuffer, std::max(width, 0), std::max(height, 0));
  return true;
}

void window_close() {}

void window_set_size(int width, int height) {
  clamp_to_minimum(&width, &height);
  resize_keeping_pixels(&g_headless.framebuffer, width, height);
}

void window_set_minimum_size(int width, int height) {
  g_headless.min_width = std::max(width, 0);
  g_headless.min_height = std::max(height, 0);
}

void window_minimise() {
  if (g_headless.minimised) return;
  g_headless.minimised = true;
  window_fifo_push(&g_headless.fifo, WindowEvent{.kind = WINDOW_EVENT_FOCUS_LOST});
}

void window_restore() {
  if (!g_headless.minimised) return;
  g_headless.minimised = false;
  window_fifo_push(&g_headless.fifo, WindowEvent{.kind = WINDOW_EVENT_FOCUS_GAINED});
}

Surface* window_surface() { return &g_headless.framebuffer; }

void window_present() {
  if (take_changed_frame(g_headless.framebuffer, &g_headless.shown)) ++g_headless.present_count;
}

bool window_poll_event(WindowEvent* event) {
  if (!window_fifo_pop(&g_headless.fifo, event)) return false;
  if (event->kind == WINDOW_EVENT_RESIZE) {
    clamp_to_minimum(&event->width, &event->height);
    resize_keeping_pixels(&g_headless.framebuffer, event->width, event->height);
  } else if (event->kind == WINDOW_EVENT_EXPOSE) {
    g_headless.shown = Surface();
  }
  return true;
}

bool window_wait_event(int timeout_ms) {
  if (!g_headless.fifo.events.empty()) return true;
  pass_idle_time(timeout_ms < 0 ? HEADLESS_IDLE_STEP_MS : static_cast<uint32_t>(timeout_ms));
  return false;
}

uint32_t clock_now_ms() {
  const uint32_t now = g_headless.clock_ms;
  g_headless.clock_ms += g_headless.clock_auto_step_ms;
  return now;
}

void clock_sleep_ms(uint32_t ms) { pass_idle_time(ms); }

void cursor_set_visible(bool visible) { g_headless.cursor_visible = visible; }

bool cursor_warp(int x, int y) {
  if (g_headless.warps_refused) return false;
  g_headless.cursor_x = x;
  g_headless.cursor_y = y;
  window_fifo_push(&g_headless.fifo, mouse_event(WINDOW_EVENT_MOUSE_MOVE, x, y));
  return true;
}

void cursor_get_position(int* x, int* y) {
  *x = g_headless.cursor_x;
  *y = g_headless.cursor_y;
}

// No one is there to close a box: it is noted and closes at once.
void window_message_box(const std::string& text) { g_headless.message_boxes.push_back(text); }

bool clipboard_get_text(std::string* text) {
  if (!g_headless.clipboard_has_text) return false;
  *text = g_headless.clipboard;
  return true;
}

bool clipboard_set_text(const std::string& text) {
  g_headless.clipboard = text;
  g_headless.clipboard_has_text = true;
  return true;
}

// ---- headless.h ----

void headless_inject_key_down(int vk, int mods, int scan) {
  inject(key_event(WINDOW_EVENT_KEY_DOWN, vk, mods, scan));
}

void headless_inject_key_up(int vk, int mods, int scan) {
  inject(key_event(WINDOW_EVENT_KEY_UP, vk, mods, scan));
}

void headless_inject_keystroke(int vk, int mods) {
  struct Modifier {
    int bit;
    int vk;
  };
  static const Modifier MODIFIERS[] = {
      {WINDOW_MOD_SHIFT, VK_SHIFT}, {WINDOW_MOD_CTRL, VK_CONTROL}, {WINDOW_MOD_ALT, VK_MENU}};
  int held = 0;
  for (const Modifier& m : MODIFIERS) {
    if (!(mods & m.bit)) continue;
    held |= m.bit;
    headless_inject_key_down(m.vk, held);
  }
  headless_inject_key_down(vk, held);
  headless_inject_key_up(vk, held);
  for (int i = 2; i >= 0; --i) {
    if (!(held & MODIFIERS[i].bit)) continue;
    held &= ~MODIFIERS[i].bit;
    headless_inject_key_up(MODIFIERS[i].vk, held);
  }
}

void headless_inject_text(const std::string& text) {
  for (char c : text) {
    WindowEvent event;
    event.kind = WINDOW_EVENT_CHAR;
    event.ch = static_cast<uint8_t>(c);
    inject(event);
  }
}

void headless_inject_mouse_move(int x, int y) {
  g_headless.cursor_x = x;
  g_headless.cursor_y = y;
  inject(mouse_event(WINDOW_EVENT_MOUSE_MOVE, x, y));
}

void headless_inject_mouse_button(int button, bool down, int x, int y) {
  g_headless.cursor_x = x;
  g_headless.cursor_y = y;
  WindowEvent event = mouse_event(down ? WINDOW_EVENT_MOUSE_DOWN : WINDOW_EVENT_MOUSE_UP, x, y);
  event.button = button;
  inject(event);
}

void headless_inject_wheel(int notches) {
  WindowEvent event = mouse_event(WINDOW_EVENT_WHEEL, g_headless.cursor_x, g_headless.cursor_y);
  event.wheel_delta = notches * WINDOW_WHEEL_NOTCH;
  inject(event);
}

void headless_inject_resize(int width, int height) {
  WindowEvent event;
  event.kind = WINDOW_EVENT_RESIZE;
  event.width = width;
  event.height = height;
  inject(event);
}

void headless_inject_close() { inject(WindowEvent{.kind = WINDOW_EVENT_CLOSE}); }

void headless_inject_focus(bool gained) {
  inject(WindowEvent{.kind = gained ? WINDOW_EVENT_FOCUS_GAINED : WINDOW_EVENT_FOCUS_LOST});
}

void headless_inject_expose() { inject(WindowEvent{.kind = WINDOW_EVENT_EXPOSE}); }

void headless_advance_clock(uint32_t ms) { g_headless.clock_ms += ms; }

void headless_set_clock_auto_step(uint32_t step_ms) { g_headless.clock_auto_step_ms = step_ms; }

void headless_set_idle_limit(uint64_t limit_ms) { g_headless.idle_limit_ms = limit_ms; }

int headless_pending_events() { return static_cast<int>(g_headless.fifo.events.size()); }

const std::vector<std::string>& headless_message_boxes() { return g_headless.message_boxes; }

int headless_present_count() { return g_headless.present_count; }

bool headless_cursor_visible() { return g_headless.cursor_visible; }

void headless_refuse_warps(bool refuse) { g_headless.warps_refused = refuse; }

bool headless_window_minimised() { return g_headless.minimised; }

std::string headless_window_title() { return g_headless.title; }

bool headless_write_png(const Surface& surface, const std::string& path, std::string* error) {
  if (surface.width <= 0 || surface.height <= 0) {
    *error = "cannot write an empty picture to " + path;
    return false;
  }
  std::vector<uint8_t> rgb(static_cast<size_t>(surface.width) * surface.height * 3);
  for (size_t i = 0; i < surface.pixels.size(); ++i) {
    const uint32_t pixel = surface.pixels[i];
    rgb[i * 3 + 0] = static_cast<uint8_t>(pixel >> 16);
    rgb[i * 3 + 1] = static_cast<uint8_t>(pixel >> 8);
    rgb[i * 3 + 2] = static_cast<uint8_t>(pixel);
  }
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  image.width = static_cast<png_uint_32>(surface.width);
  image.height = static_cast<png_uint_32>(surface.height);
  image.format = PNG_FORMAT_RGB;
  if (!png_image_write_to_file(&image, path.c_str(), 0, rgb.data(), surface.width * 3, nullptr)) {
    *error = "cannot write " + path + ": " + image.message;
    png_image_free(&image);
    return false;
  }
  return true;
}

void reset_headless() { g_headless = HeadlessState(); }

void headless_set_displays(const std::vector<std::pair<WindowRect, WindowRect>>& displays) {
  if (!displays.empty()) g_headless.displays = displays;
}

void headless_refuse_positions(bool refuse) { g_headless.positions_refused = refuse; }

bool headless_window_fullscreen() { return g_headless.fullscreen; }

int window_display_count() { return static_cast<int>(g_headless.displays.size()); }

bool window_display_bounds(int display, WindowRect* bounds, WindowRect* usable) {
  if (display < 0 || display >= window_display_count()) return false;
  *bounds = g_headless.displays[static_cast<size_t>(display)].first;
  *usable = g_headless.displays[static_cast<size_t>(display)].second;
  return true;
}

int window_display_index() {
  // The monitor that holds the window's centre, else the first.
  const int cx = g_headless.window_x + g_headless.framebuffer.width / 2;
  const int cy = g_headless.window_y + g_headless.framebuffer.height / 2;
  for (size_t i = 0; i < g_headless.displays.size(); ++i) {
    const WindowRect& r = g_headless.displays[i].first;
    if (cx >= r.x && cx < r.x + r.width && cy >= r.y && cy < r.y + r.height) return static_cast<int>(i);
  }
  return 0;
}

void window_get_position(int* x, int* y) {
  *x = g_headless.window_x;
  *y = g_headless.window_y;
}

void window_set_position(int x, int y) {
  if (g_headless.positions_refused) return;
  g_headless.window_x = x;
  g_headless.window_y = y;
}

void window_set_fullscreen(bool whole_screen) {
  g_headless.fullscreen = whole_screen;
  if (!whole_screen) return;
  WindowRect bounds;
  WindowRect usable;
  window_display_bounds(window_display_index(), &bounds, &usable);
  g_headless.window_x = bounds.x;
  g_headless.window_y = bounds.y;
  resize_keeping_pixels(&g_headless.framebuffer, bounds.width, bounds.height);
}

void window_set_hit_test(WindowHitTest /*hit_test*/) {}
