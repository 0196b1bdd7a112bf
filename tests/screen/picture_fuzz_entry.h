// What the fuzz target of the picture file checks on any bytes, shared with the replay of its
// corpus in the normal test run: the file opens or not, and every picture in it is measured and
// drawn (or refused) on a small screen without a crash or an access out of bounds.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <vector>

#include "platform/surface.h"
#include "screen/display_mode.h"
#include "screen/picture_file.h"
#include "screen/text_output.h"

inline void check_picture_input(const uint8_t* data, size_t size) {
  Surface surface;
  surface_resize(&surface, 64, 48);
  set_screen_canvas(&surface);
  g_display.screen_width = 63;
  g_display.screen_height = 47;
  g_picture_file.show_message = [](const char*) {};
  std::vector<uint8_t> bytes(data, data + size);
  bytes.push_back(0);  // fmemopen wants a buffer of at least one byte
  FILE* stream = fmemopen(bytes.data(), size == 0 ? 1 : size, "rb");
  if (stream != nullptr && open_picture_stream(stream, "fuzz")) {
    for (int n = 0; n <= g_picture_file.count && n < 16; ++n) {
      int height = 0;
      int width = 0;
      picture_size(-n, &height, &width);
      draw_picture(n, n % 2 == 0 ? -1 : 3, 2);
      draw_picture(n, PICTURE_SAMPLE_X, 0);
    }
  }
  open_picture_file(nullptr);
  set_screen_canvas(nullptr);
}
