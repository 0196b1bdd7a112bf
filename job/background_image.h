// The background raster image behind the drawing: loading, drawing and the image commands.
#pragma once

#include "job/image_record.h"

// Stand-in: clears the whole record; no pixels are ever loaded, so there are none to free.
inline int free_background_image() {
  g_image_record = ImageRecord{};
  return 1;
}
