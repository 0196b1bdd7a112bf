// Times the screen furniture at 1920 x 1080: one pointer move (hide, save, draw) and a full
// furniture redraw: the caption strip, the six page tabs, a bar of 40 controls and a boxed
// window of 30 text lines. Goals: 20 us and 4 ms.
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/headless.h"
#include "platform/window.h"
#include "screen/boxes.h"
#include "screen/controls.h"
#include "screen/display_mode.h"
#include "screen/palette.h"
#include "screen/pointer.h"
#include "screen/screen_attributes.h"
#include "screen/text_output.h"

namespace {

constexpr int SCREEN_WIDTH = 1920;
constexpr int SCREEN_HEIGHT = 1080;
constexpr int BAR_CONTROLS = 40;
constexpr int WINDOW_LINES = 30;

template <class Draw>
double microseconds_per_call(int repeats, Draw&& draw) {
  draw();
  const auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < repeats; ++i) draw();
  const std::chrono::duration<double, std::micro> spent = std::chrono::steady_clock::now() - start;
  return spent.count() / repeats;
}

std::vector<ScreenControl> make_bar() {
  std::vector<ScreenControl> bar;
  for (int i = 0; i < BAR_CONTROLS; ++i) {
    const uint32_t flags = i % 4 == 0 ? CF_ENTRY : i % 4 == 1 ? CF_SMALL : 0;
    bar.push_back(make_control("Control", static_cast<uint8_t>(i), -2 - (i / 10), (i % 10) * 12, 1,
                               9, i % 5, flags));
  }
  append_title_buttons(&bar);
  return bar;
}

void draw_window(int lines) {
  const int top = 6;
  draw_box(BOX_SHADOW, top - 1, 20, lines + 2, 90, 0);
  for (int r = 0; r < lines; ++r)
    draw_text(top + r, 21, "\x0bLine\x13 of a framed window with a colour code or two in it");
}

}  // namespace

int main() {
  std::string error;
  if (!window_open(SCREEN_WIDTH, SCREEN_HEIGHT, "bench", &error)) {
    std::printf("no window: %s\n", error.c_str());
    return 1;
  }
  const std::string font = std::string(BRENVIK_PROGRAM_DIR) + "/Q5_FONT.FON";
  if (!load_interface_font(font, &error)) {
    std::printf("%s: %s\n", font.c_str(), error.c_str());
    return 1;
  }
  apply_display_mode(99);
  build_palette();
  set_colour_base(0);
  set_screen_canvas(window_surface());
  uint32_t area_flags = 0;
  uint32_t list_options = 0;
  g_text.area = TextArea{&area_flags, &list_options};
  layout_tabs(page_tab_table(), 2, 0, 0, SCREEN_WIDTH, 3 * g_display.presets[FACE_ROLE_MENU].cell_height);
  draw_caption("Brenvik 2000    New job...no name yet...", 1);
  std::vector<ScreenControl> bar = make_bar();

  const double redraw = microseconds_per_call(50, [&] {
    draw_page_tabs(1);
    draw_controls(bar.data(), 0);
    draw_window(WINDOW_LINES);
  });
  std::printf("full furniture redraw: %.3f ms (goal 4 ms)\n", redraw / 1000);

  g_pointer.released = false;
  g_pointer.shape = POINTER_ARROW;
  int step = 0;
  const double move = microseconds_per_call(20000, [&] {
    g_pointer.wanted_x = 200 + (step * 7) % 1500;
    g_pointer.wanted_y = 200 + (step * 3) % 700;
    ++step;
    move_pointer();
  });
  std::printf("pointer move: %.2f us (goal 20 us)\n", move);
  return 0;
}
