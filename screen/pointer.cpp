#include "screen/pointer.h"

#include <cmath>
#include <cstdlib>

#include "platform/pump.h"
#include "screen/hover.h"
#include "screen/interface_settings.h"
#include "screen/main_form.h"
#include "screen/text_output.h"
#include "screen/tick_clock.h"

PointerState g_pointer;

namespace {

struct HotSpot {
  int16_t shape;
  int16_t dx;
  int16_t dy;
};
// Shapes whose hot spot is not the picture's top-left corner.
constexpr HotSpot HOT_SPOTS[] = {
    {3, 31, 0},    {5, 0, 8},      {12, 16, 16},  {114, 16, 16}, {134, 16, 16},
    {135, 16, 16}, {136, 16, 16},  {16, 16, 0},   {109, 16, 0},  {110, 32, 16},
    {148, 32, 16}, {111, 0, 16},   {132, 31, 16}, {140, 0, 8},   {141, 0, 8},
    {146, 8, 8},   {147, 8, 8},
    // The crosshair's point is its centre.
    {101, 15, 15},
};

// A glide: at most this many steps, one per ten pixels; fewer than three steps jump.
constexpr int GLIDE_PIXELS_PER_STEP = 10;
constexpr int GLIDE_STEPS_MOST = 40;
constexpr int GLIDE_STEPS_LEAST = 3;
constexpr int GLIDE_SLOW_DELAY = 25;     // per step, once a key was typed
constexpr int GLIDE_ABORT_MOTION = 40;   // pixels of motion in one step that end the glide
constexpr EventCode CHARACTER_LAST = 125;

bool may_draw() { return g_pointer.shape != POINTER_NONE && !g_pointer.released; }

// What the glide does about the code at the front of the queue: keep going, slow down, stop.
enum class GlideVerdict { GO, SLOW, STOP };

GlideVerdict look_at_queue(bool one_pixel) {
  const EventCode code = poll_input_code(EVENT_PEEK_LIMIT);
  if (code >= 1 && code <= CHARACTER_LAST) return one_pixel ? GlideVerdict::STOP : GlideVerdict::SLOW;
  if (one_pixel && code >= EVENT_LEFT_DOWN && code <= EVENT_RIGHT_DOWN) return GlideVerdict::STOP;
  return GlideVerdict::GO;
}

}  // namespace

void show_pointer() {
  if (!may_draw()) {
    g_pointer.drawn_x = g_pointer.wanted_x;
    g_pointer.drawn_y = g_pointer.wanted_y;
    return;
  }
  if (g_pointer.drawn) return;
  g_pointer.drawn_x = g_pointer.wanted_x;
  g_pointer.drawn_y = g_pointer.wanted_y;
  if (g_text.screen.target != nullptr) paint_pointer_sprite(&g_text.screen, 0, 0);
}

void hide_pointer() {
  if (g_pointer.drawn && g_text.screen.target != nullptr) restore_pointer_background(&g_text.screen);
  g_pointer.under = CanvasSaveUnder{};
  g_pointer.drawn = false;
}

void move_pointer() {
  if (g_pointer.wanted_x != g_pointer.drawn_x || g_pointer.wanted_y != g_pointer.drawn_y)
    hide_pointer();
  show_pointer();
}

void forget_pointer_background() {
  g_pointer.under = CanvasSaveUnder{};
  g_pointer.drawn = false;
}

void paint_pointer_sprite(Canvas* canvas, int dx, int dy) {
  const int left = g_pointer.drawn_x - g_pointer.hot_dx - dx;
  const int top = g_pointer.drawn_y - g_pointer.hot_dy - dy;
  // The save-under keeps only the pixels on the screen, so a pointer at an edge puts back
  // exactly what it covered.
  canvas_save_under(*canvas, {left, top, left + POINTER_SIZE, top + POINTER_SIZE},
                    &g_pointer.under);
  canvas_draw_sprite(canvas, left, top, pointer_picture(g_pointer.shape));
  g_pointer.drawn = true;
}

void restore_pointer_background(Canvas* canvas) {
  if (!g_pointer.under.pixels.pixels.empty()) canvas_restore_under(canvas, g_pointer.under);
}

void pointer_hot_spot(int shape, int16_t* dx, int16_t* dy) {
  *dx = 0;
  *dy = 0;
  for (const HotSpot& spot : HOT_SPOTS) {
    if (spot.shape == shape) {
      *dx = spot.dx;
      *dy = spot.dy;
      return;
    }
  }
}

void set_pointer_shape(int n) {
  n = std::abs(n);
  if (n == g_pointer.requested_shape) return;
  hide_pointer();
  g_pointer.requested_shape = static_cast<int16_t>(n);
  g_pointer.shape = static_cast<int16_t>(n);
  pointer_hot_spot(n, &g_pointer.hot_dx, &g_pointer.hot_dy);
}

void clear_window_drawing_bits() {
  if (g_pointer.window_flags != nullptr) *g_pointer.window_flags &= ~POINTER_WINDOW_DRAWING_BITS;
}

void glide_pointer(int x, int y) {
  if (x == POINTER_GLIDE_SET_DELAY) {
    g_pointer.glide_delay = static_cast<int16_t>(y);
    return;
  }
  const bool motion_aborts = x >= 0;
  const bool one_pixel = y < 0;
  x = std::abs(x);
  y = std::abs(y);
  if (g_pointer.shape == POINTER_NONE) set_pointer_shape(POINTER_ARROW);
  clear_hover();
  const int start_x = g_pointer.drawn_x;
  const int start_y = g_pointer.drawn_y;
  g_pointer.wanted_x = start_x;
  g_pointer.wanted_y = start_y;
  const int distance = static_cast<int>(std::lround(std::hypot(x - start_x, y - start_y)));
  int steps = distance;
  if (!one_pixel) steps = std::min(distance / GLIDE_PIXELS_PER_STEP, GLIDE_STEPS_MOST);
  clear_window_drawing_bits();
  if (steps >= GLIDE_STEPS_LEAST) {
    int delay = g_pointer.glide_delay / steps;
    for (int k = 1; k <= steps; ++k) {
      // Each step from the start, not by a fixed integer step: a shallow diagonal still moves.
      g_pointer.wanted_x = start_x + (x - start_x) * k / steps;
      g_pointer.wanted_y = start_y + (y - start_y) * k / steps;
      move_pointer();
      busy_wait(delay);
      pump_messages();
      if (motion_aborts && input_code_pending(EVENT_POINTER_MOVE)) {
        int dx = 0;
        int dy = 0;
        mouse_delta(&dx, &dy);
        if (std::abs(dx) + std::abs(dy) > GLIDE_ABORT_MOTION) {
          discard_motion_and_ticks();
          return;
        }
      }
      discard_motion_and_ticks();
      const GlideVerdict verdict = look_at_queue(one_pixel);
      if (verdict == GlideVerdict::STOP) break;
      if (verdict == GlideVerdict::SLOW) delay = GLIDE_SLOW_DELAY;
    }
  }
  int dx = 0;
  int dy = 0;
  mouse_delta(&dx, &dy);
  if (!one_pixel || steps < GLIDE_STEPS_LEAST) {
    g_pointer.wanted_x = x;
    g_pointer.wanted_y = y;
  }
  move_pointer();
  g_pointer.glide_delay = g_interface.glide_delay;
  warp_cursor_to_target();
}

void wait_buttons_released() {
  // The first countdown passes 0 after seven ticks.
  g_clock.counter_a = -6;
  while (g_pointer.button_bits != 0 && g_clock.counter_a <= 0) {
    pump_wait(static_cast<int>(TICK_MS));
    update_ticks();
  }
  const EventCode code = poll_input_code(EVENT_PEEK_LIMIT);
  if (code >= EVENT_LEFT_UP && code <= EVENT_RIGHT_UP) poll_input_code(0);
  g_pointer.button_bits = 0;
}

void reset_pointer() {
  g_pointer = PointerState();
}
