// The outline collector: the pen-move sink that gathers the outlines of contour and pocket
// items for the tool-path engine.
#pragma once

#include "text/pen_move.h"

// Stand-in: keeps the pen in step with the moves but records no outline yet.
inline void collect_pocket_outline() {
  PenMove& m = g_pen_move;
  if (m.code >= '0' && m.code <= '4') {
    m.x += m.dx;
    m.y += m.dy;
  }
}
