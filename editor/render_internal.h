// What the item drawing files share: the paint box as the canvas's clip for one drawing call.
#pragma once

#include "platform/canvas.h"

// Clips drawing_canvas to the active paint box (nothing while printing) while it lives.
struct AreaClip {
  Canvas* canvas;
  CanvasRect saved;
  AreaClip();
  ~AreaClip();
  AreaClip(const AreaClip&) = delete;
  AreaClip& operator=(const AreaClip&) = delete;
};
