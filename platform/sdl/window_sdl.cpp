// The SDL backend of window.h: one SDL window, the framebuffer shown through a streaming
// texture, SDL's events translated into the program's window events.
#include <SDL.h>

#include <algorithm>
#include <cstring>

#include "platform/cp1252.h"
#include "platform/sdl/sdl_keymap.h"
#include "platform/window.h"
#include "platform/window_internal.h"

namespace {

struct SdlWindow {
  SDL_Window* window = nullptr;      // null until window_open succeeds
  SDL_Renderer* renderer = nullptr;
  SDL_Texture* texture = nullptr;    // streaming, XRGB8888, the framebuffer's size
  int texture_width = 0;             // pixels
  int texture_height = 0;
  Surface framebuffer;               // what the program draws into
  Surface shown;                     // the framebuffer as last uploaded
  bool frame_lost = false;           // the screen lost the window's pixels: show even unchanged
  WindowEventFifo fifo;              // translated events not yet taken
};

SdlWindow g_sdl;

WindowEvent make_event(WindowEventKind kind) {
  WindowEvent event;
  event.kind = kind;
  event.mods = sdl_keymap_mods(static_cast<uint16_t>(SDL_GetModState()));
  return event;
}

void translate_window_event(const SDL_WindowEvent& window_event) {
  switch (window_event.event) {
    case SDL_WINDOWEVENT_CLOSE:
      window_fifo_push(&g_sdl.fifo, make_event(WINDOW_EVENT_CLOSE));
      break;
    case SDL_WINDOWEVENT_FOCUS_GAINED:
      window_fifo_push(&g_sdl.fifo, make_event(WINDOW_EVENT_FOCUS_GAINED));
      break;
    case SDL_WINDOWEVENT_FOCUS_LOST:
      window_fifo_push(&g_sdl.fifo, make_event(WINDOW_EVENT_FOCUS_LOST));
      break;
    case SDL_WINDOWEVENT_SIZE_CHANGED: {
      const int width = window_event.data1;
      const int height = window_event.data2;
      // The size the program set itself comes back here too; it is no news.
      if (width == g_sdl.framebuffer.width && height == g_sdl.framebuffer.height) break;
      resize_keeping_pixels(&g_sdl.framebuffer, width, height);
      g_sdl.frame_lost = true;
      WindowEvent event = make_event(WINDOW_EVENT_RESIZE);
      event.width = width;
      event.height = height;
      window_fifo_push(&g_sdl.fifo, event);
      break;
    }
    case SDL_WINDOWEVENT_EXPOSED:
      g_sdl.frame_lost = true;
      window_fifo_push(&g_sdl.fifo, make_event(WINDOW_EVENT_EXPOSE));
      break;
    case SDL_WINDOWEVENT_SHOWN:
    case SDL_WINDOWEVENT_RESTORED:
      g_sdl.frame_lost = true;
      break;
    default:
      break;
  }
}

void translate_key(const SDL_KeyboardEvent& key_event) {
  const SDL_Keysym& sym = key_event.keysym;
  const int vk = sdl_keymap_vk(sym.sym, sym.scancode, sym.mod);
  if (vk == 0) return;
  WindowEvent event;
  event.kind = key_event.type == SDL_KEYDOWN ? WINDOW_EVENT_KEY_DOWN : WINDOW_EVENT_KEY_UP;
  event.key = vk;
  event.scan = sdl_keymap_scan(sym.scancode);
  event.mods = sdl_keymap_mods(sym.mod);
  event.repeat = key_event.repeat != 0;
  window_fifo_push(&g_sdl.fifo, event);
}

void translate_text(const char* utf8) {
  for (char c : cp1252_from_utf8(utf8, 0)) {
    const uint8_t ch = static_cast<uint8_t>(c);
    if (ch < 32) continue;
    WindowEvent event = make_event(WINDOW_EVENT_CHAR);
    event.ch = ch;
    window_fifo_push(&g_sdl.fifo, event);
  }
}

int translate_button(uint8_t sdl_button) {
  switch (sdl_button) {
    case SDL_BUTTON_LEFT: return WINDOW_BUTTON_LEFT;
    case SDL_BUTTON_MIDDLE: return WINDOW_BUTTON_MIDDLE;
    case SDL_BUTTON_RIGHT: return WINDOW_BUTTON_RIGHT;
    default: return 0;
  }
}

void translate(const SDL_Event& sdl_event) {
  switch (sdl_event.type) {
    case SDL_QUIT:  // a signal asked the program to end; the window's own close comes below
      window_fifo_push(&g_sdl.fifo, make_event(WINDOW_EVENT_CLOSE));
      break;
    case SDL_WINDOWEVENT:
      translate_window_event(sdl_event.window);
      break;
    case SDL_KEYDOWN:
    case SDL_KEYUP:
      translate_key(sdl_event.key);
      break;
    case SDL_TEXTINPUT:
      translate_text(sdl_event.text.text);
      break;
    case SDL_MOUSEMOTION: {
      WindowEvent event = make_event(WINDOW_EVENT_MOUSE_MOVE);
      event.x = sdl_event.motion.x;
      event.y = sdl_event.motion.y;
      window_fifo_push(&g_sdl.fifo, event);
      break;
    }
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP: {
      const int button = translate_button(sdl_event.button.button);
      if (button == 0) break;
      WindowEvent event = make_event(sdl_event.type == SDL_MOUSEBUTTONDOWN ? WINDOW_EVENT_MOUSE_DOWN
                                                                          : WINDOW_EVENT_MOUSE_UP);
      event.button = button;
      event.x = sdl_event.button.x;
      event.y = sdl_event.button.y;
      window_fifo_push(&g_sdl.fifo, event);
      break;
    }
    case SDL_MOUSEWHEEL: {
      int notches = sdl_event.wheel.y;
      if (sdl_event.wheel.direction == SDL_MOUSEWHEEL_FLIPPED) notches = -notches;
      if (notches == 0) break;
      WindowEvent event = make_event(WINDOW_EVENT_WHEEL);
      event.wheel_delta = notches * WINDOW_WHEEL_NOTCH;
      SDL_GetMouseState(&event.x, &event.y);
      window_fifo_push(&g_sdl.fifo, event);
      break;
    }
    default:
      break;
  }
}

// Takes SDL's pending events until one of them made a window event (or none is left).
void translate_pending() {
  SDL_Event sdl_event;
  while (g_sdl.fifo.events.empty() && SDL_PollEvent(&sdl_event)) translate(sdl_event);
}

bool make_texture() {
  if (g_sdl.texture) SDL_DestroyTexture(g_sdl.texture);
  g_sdl.texture = nullptr;
  g_sdl.texture_width = g_sdl.framebuffer.width;
  g_sdl.texture_height = g_sdl.framebuffer.height;
  if (g_sdl.texture_width <= 0 || g_sdl.texture_height <= 0) return false;
  g_sdl.texture = SDL_CreateTexture(g_sdl.renderer, SDL_PIXELFORMAT_XRGB8888,
                                    SDL_TEXTUREACCESS_STREAMING, g_sdl.texture_width,
                                    g_sdl.texture_height);
  return g_sdl.texture != nullptr;
}

}  // namespace

bool window_open(int width, int height, const std::string& title, std::string* error) {
  SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");
  // A click that activates the window is a click, as the program's pointer logic expects.
  SDL_SetHint(SDL_HINT_MOUSE_FOCUS_CLICKTHROUGH, "1");
  if (SDL_Init(SDL_INIT_VIDEO) != 0) {
    *error = std::string("cannot start the display: ") + SDL_GetError();
    return false;
  }
  g_sdl.window = SDL_CreateWindow(cp1252_to_utf8(title).c_str(), SDL_WINDOWPOS_CENTERED,
                                  SDL_WINDOWPOS_CENTERED, width, height,
                                  SDL_WINDOW_RESIZABLE | SDL_WINDOW_BORDERLESS);
  if (g_sdl.window) {
    g_sdl.renderer = SDL_CreateRenderer(g_sdl.window, -1, 0);
    if (!g_sdl.renderer) g_sdl.renderer = SDL_CreateRenderer(g_sdl.window, -1, SDL_RENDERER_SOFTWARE);
  }
  if (!g_sdl.window || !g_sdl.renderer) {
    *error = std::string("cannot open the window: ") + SDL_GetError();
    window_close();
    return false;
  }
  int client_width = width;
  int client_height = height;
  SDL_GetWindowSize(g_sdl.window, &client_width, &client_height);
  surface_resize(&g_sdl.framebuffer, client_width, client_height);
  g_sdl.frame_lost = true;
  SDL_StartTextInput();
  return true;
}

void window_close() {
  if (g_sdl.texture) SDL_DestroyTexture(g_sdl.texture);
  if (g_sdl.renderer) SDL_DestroyRenderer(g_sdl.renderer);
  if (g_sdl.window) SDL_DestroyWindow(g_sdl.window);
  g_sdl = SdlWindow();
  SDL_Quit();
}

void window_set_size(int width, int height) {
  if (!g_sdl.window) return;
  SDL_SetWindowSize(g_sdl.window, width, height);
  int actual_width = width;
  int actual_height = height;
  SDL_GetWindowSize(g_sdl.window, &actual_width, &actual_height);
  resize_keeping_pixels(&g_sdl.framebuffer, actual_width, actual_height);
  g_sdl.frame_lost = true;
}

int window_display_count() { return std::max(SDL_GetNumVideoDisplays(), 1); }

bool window_display_bounds(int display, WindowRect* bounds, WindowRect* usable) {
  SDL_Rect whole;
  SDL_Rect part;
  if (SDL_GetDisplayBounds(display, &whole) != 0) return false;
  if (SDL_GetDisplayUsableBounds(display, &part) != 0) part = whole;
  *bounds = WindowRect{whole.x, whole.y, whole.w, whole.h};
  *usable = WindowRect{part.x, part.y, part.w, part.h};
  return true;
}

int window_display_index() {
  const int index = g_sdl.window ? SDL_GetWindowDisplayIndex(g_sdl.window) : 0;
  return index < 0 ? 0 : index;
}

void window_get_position(int* x, int* y) {
  *x = 0;
  *y = 0;
  if (g_sdl.window) SDL_GetWindowPosition(g_sdl.window, x, y);
}

void window_set_position(int x, int y) {
  if (g_sdl.window) SDL_SetWindowPosition(g_sdl.window, x, y);
}

void window_set_fullscreen(bool whole_screen) {
  if (!g_sdl.window) return;
  SDL_SetWindowFullscreen(g_sdl.window, whole_screen ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0);
  int width = 0;
  int height = 0;
  SDL_GetWindowSize(g_sdl.window, &width, &height);
  resize_keeping_pixels(&g_sdl.framebuffer, width, height);
  g_sdl.frame_lost = true;
}

namespace {

SDL_HitTestResult answer_hit_test(SDL_Window* /*window*/, const SDL_Point* point, void* data) {
  const auto hit_test = reinterpret_cast<WindowHitTest>(data);
  const int kind = hit_test != nullptr ? hit_test(point->x, point->y) : WINDOW_HIT_NORMAL;
  if (kind == WINDOW_HIT_DRAG) return SDL_HITTEST_DRAGGABLE;
  if (kind != WINDOW_HIT_RESIZE) return SDL_HITTEST_NORMAL;
  int width = 0;
  int height = 0;
  SDL_GetWindowSize(g_sdl.window, &width, &height);
  const bool right = point->x >= width / 2;
  const bool bottom = point->y >= height / 2;
  const bool corner_x = point->x < 16 || point->x >= width - 16;
  const bool corner_y = point->y < 16 || point->y >= height - 16;
  if (corner_x && corner_y) {
    return bottom ? (right ? SDL_HITTEST_RESIZE_BOTTOMRIGHT : SDL_HITTEST_RESIZE_BOTTOMLEFT)
                  : (right ? SDL_HITTEST_RESIZE_TOPRIGHT : SDL_HITTEST_RESIZE_TOPLEFT);
  }
  if (corner_x) return right ? SDL_HITTEST_RESIZE_RIGHT : SDL_HITTEST_RESIZE_LEFT;
  return bottom ? SDL_HITTEST_RESIZE_BOTTOM : SDL_HITTEST_RESIZE_TOP;
}

}  // namespace

void window_set_hit_test(WindowHitTest hit_test) {
  if (!g_sdl.window) return;
  SDL_SetWindowHitTest(g_sdl.window, hit_test != nullptr ? answer_hit_test : nullptr,
                       reinterpret_cast<void*>(hit_test));
}

void window_set_minimum_size(int width, int height) {
  if (g_sdl.window) SDL_SetWindowMinimumSize(g_sdl.window, width, height);
}

void window_minimise() {
  if (g_sdl.window) SDL_MinimizeWindow(g_sdl.window);
}

void window_restore() {
  if (!g_sdl.window) return;
  SDL_RestoreWindow(g_sdl.window);
  SDL_RaiseWindow(g_sdl.window);
}

Surface* window_surface() { return &g_sdl.framebuffer; }

void window_present() {
  if (!g_sdl.renderer) return;
  const bool changed = take_changed_frame(g_sdl.framebuffer, &g_sdl.shown);
  if (!changed && !g_sdl.frame_lost) return;
  g_sdl.frame_lost = false;
  const Surface& frame = g_sdl.framebuffer;
  if (frame.width != g_sdl.texture_width || frame.height != g_sdl.texture_height || !g_sdl.texture) {
    if (!make_texture()) return;
  }
  SDL_UpdateTexture(g_sdl.texture, nullptr, frame.pixels.data(),
                    frame.width * static_cast<int>(sizeof(uint32_t)));
  SDL_SetRenderDrawColor(g_sdl.renderer, 0, 0, 0, 255);
  SDL_RenderClear(g_sdl.renderer);
  const SDL_Rect area = {0, 0, frame.width, frame.height};
  SDL_RenderCopy(g_sdl.renderer, g_sdl.texture, nullptr, &area);
  SDL_RenderPresent(g_sdl.renderer);
}

bool window_poll_event(WindowEvent* event) {
  if (g_sdl.window) translate_pending();
  return window_fifo_pop(&g_sdl.fifo, event);
}

bool window_wait_event(int timeout_ms) {
  if (!g_sdl.window) return false;
  translate_pending();
  if (!g_sdl.fifo.events.empty()) return true;
  SDL_Event sdl_event;
  const int got = timeout_ms < 0 ? SDL_WaitEvent(&sdl_event)
                                 : SDL_WaitEventTimeout(&sdl_event, timeout_ms);
  if (got) translate(sdl_event);
  return !g_sdl.fifo.events.empty();
}

uint32_t clock_now_ms() { return static_cast<uint32_t>(SDL_GetTicks64()); }

void clock_sleep_ms(uint32_t ms) { SDL_Delay(ms); }

void cursor_set_visible(bool visible) { SDL_ShowCursor(visible ? SDL_ENABLE : SDL_DISABLE); }

// A Wayland compositor never lets a client move the cursor; SDL then does nothing at all.
bool cursor_warp(int x, int y) {
  if (!g_sdl.window) return false;
  const char* driver = SDL_GetCurrentVideoDriver();
  if (driver != nullptr && std::strcmp(driver, "wayland") == 0) return false;
  SDL_WarpMouseInWindow(g_sdl.window, x, y);
  return true;
}

// SDL reports the pointer only while it is over the window; the desktop position minus the
// window's position also tells where it is when it has left. Over the window the position of
// the motion events is taken: some X servers (a virtual one without raw input events) leave
// SDL's desktop position at the last warp.
void cursor_get_position(int* x, int* y) {
  if (g_sdl.window != nullptr && SDL_GetMouseFocus() == g_sdl.window) {
    SDL_GetMouseState(x, y);
    return;
  }
  int global_x = 0;
  int global_y = 0;
  int window_x = 0;
  int window_y = 0;
  SDL_GetGlobalMouseState(&global_x, &global_y);
  if (g_sdl.window) SDL_GetWindowPosition(g_sdl.window, &window_x, &window_y);
  *x = global_x - window_x;
  *y = global_y - window_y;
}

// No caption and a warning icon, as the program's few system messages want. SDL can show the
// box before the display is started; without any display it fails and the caller's own copy of
// the text on standard error is all there is.
void window_message_box(const std::string& text) {
  SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_WARNING, "", cp1252_to_utf8(text).c_str(), g_sdl.window);
}

bool clipboard_get_text(std::string* text) {
  if (!SDL_HasClipboardText()) return false;
  char* utf8 = SDL_GetClipboardText();
  if (!utf8) return false;
  *text = clipboard_text_from_utf8(utf8);
  SDL_free(utf8);
  return true;
}

bool clipboard_set_text(const std::string& text) {
  return SDL_SetClipboardText(clipboard_text_to_utf8(text).c_str()) == 0;
}
