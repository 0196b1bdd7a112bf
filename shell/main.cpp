// The program's start until the real start-up lands: opens the window and shows a line in each
// face of the interface font, and ends on Esc or when the window is closed.
#include <cstdio>
#include <string>

#include "platform/canvas.h"
#include "platform/files.h"
#include "platform/font.h"
#include "platform/pump.h"
#include "platform/window.h"

namespace {

constexpr int DEMO_WIDTH = 1024;
constexpr int DEMO_HEIGHT = 768;
constexpr uint32_t DEMO_BACKGROUND = 0x000080;
constexpr uint32_t DEMO_TEXT = 0xFFFFFF;
constexpr uint32_t DEMO_NAME = 0xFFFF55;

struct Demo {
  BitmapFont font;       // the faces of Q5_FONT.FON
  bool quit = false;     // Esc or a close request arrived
  bool redraw = true;    // the framebuffer must be drawn again
};
Demo g_demo;

void draw_demo() {
  Surface* surface = window_surface();
  Canvas canvas;
  canvas_init(&canvas, surface);
  canvas.brush.colour = DEMO_BACKGROUND;
  canvas_fill_rect(&canvas, {0, 0, surface->width, surface->height});
  canvas.text_opaque = false;
  std::string marks;
  for (int c = 1; c < 32; ++c) marks.push_back(static_cast<char>(c));
  int y = 8;
  for (const FontFace& face : g_demo.font.faces) {
    canvas.face = &face;
    canvas.text_colour = DEMO_NAME;
    int x = canvas_draw_text(&canvas, 8, y, face.name + "  ");
    canvas.text_colour = DEMO_TEXT;
    x = canvas_draw_text(&canvas, x, y, "Brenvik 0123456789 \xC4\xD6\xDC\xE9\xDF \x80 ");
    canvas_draw_text(&canvas, x, y, marks);
    y += face.cell_height + 6;
  }
}

void on_event(const WindowEvent& event) {
  switch (event.kind) {
    case WINDOW_EVENT_CLOSE:
      g_demo.quit = true;
      break;
    case WINDOW_EVENT_KEY_DOWN:
      if (event.key == VK_ESCAPE) g_demo.quit = true;
      break;
    case WINDOW_EVENT_RESIZE:
    case WINDOW_EVENT_EXPOSE:
      g_demo.redraw = true;
      break;
    default:
      break;
  }
}

}  // namespace

int main() {
  const std::string folder = program_folder();
  const std::string font_path = find_file_ignoring_case(folder, "Q5_FONT.FON");
  std::string error;
  if (font_path.empty()) {
    std::fprintf(stderr, "brenvik: the interface font Q5_FONT.FON is missing from %s\n",
                 folder.c_str());
    return 1;
  }
  if (!font_load(font_path, &g_demo.font, &error)) {
    std::fprintf(stderr, "brenvik: %s\n", error.c_str());
    return 1;
  }
  if (!window_open(DEMO_WIDTH, DEMO_HEIGHT, "Brenvik", &error)) {
    std::fprintf(stderr, "brenvik: %s\n", error.c_str());
    return 1;
  }
  pump_set_event_handler(on_event);
  while (!g_demo.quit) {
    if (g_demo.redraw) {
      g_demo.redraw = false;
      draw_demo();
    }
    pump_wait(-1);
  }
  window_close();
  return 0;
}
