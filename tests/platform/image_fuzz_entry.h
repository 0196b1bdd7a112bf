// What the fuzz targets of the image readers check on any bytes, shared with the replay of their
// corpora in the normal test run: the bytes read as an image or are refused with a reason, never
// a crash, a hang or an access out of bounds; an image read is drawn once.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "platform/canvas.h"
#include "platform/image_library.h"

inline int check_image_input(ImageFileKind kind, const uint8_t* data, size_t size) {
  // Small limits keep each input quick; the readers' own size checks are what is exercised.
  g_image_library.max_pixel_bytes = int64_t{8} << 20;
  ImageDescriptor image;
  const int result = image_read_bytes(kind, std::span<const uint8_t>(data, size), &image);
  if (result == IMAGE_OK) {
    Surface surface;
    surface_resize(&surface, 32, 24);
    Canvas canvas;
    canvas_init(&canvas, &surface);
    canvas_stretch_dib(&canvas, {0, 0, 32, 24}, image_dib(image));
  } else if (g_image_library.error.empty()) {
    __builtin_trap();  // a refusal always says why
  }
  reset_image_library();
  return result;
}
