// The headless screen the interface benches draw on: the interface font, a framebuffer (1024 x
// 768 unless the bench asks for more) in the program's own size, colour scheme 0 and the main form waiting for input.
#pragma once

#include <cstdio>
#include <string>

#include "platform/headless.h"
#include "platform/window.h"
#include "screen/display_mode.h"
#include "screen/interface_settings.h"
#include "screen/main_form.h"
#include "screen/palette.h"
#include "screen/screen_attributes.h"
#include "screen/text_output.h"

// False (and why on stderr, after the bench's name) when the font or the window is missing.
inline bool open_bench_screen(const char* bench, int width = 1024, int height = 768) {
  std::string error;
  if (!load_interface_font(BRENVIK_PROGRAM_DIR "/Q5_FONT.FON", &error) ||
      !window_open(width, height, "bench", &error)) {
    std::fprintf(stderr, "%s: %s\n", bench, error.c_str());
    return false;
  }
  reset_display();
  apply_display_mode(DISPLAY_CHOICE_OWN_SIZE);
  build_palette();
  set_colour_base(0);
  set_screen_canvas(window_surface());
  create_main_form();
  g_form.idle_state = 0;
  return true;
}
