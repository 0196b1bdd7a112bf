// The area of the last closed window, which the windows beneath repair; clearing the screen
// forgets it.
#pragma once

// Pixels; the whole screen (0, 0, 9999, 9999) after a reset.
struct ClosedArea {
  int left = 0;
  int top = 0;
  int right = 9999;
  int bottom = 9999;
  int shade_right = 9999;
  int shade_bottom = 9999;
};

struct ClosedAreaState {
  ClosedArea area;
  bool clean = true;  // the closed area needs no shading
};
inline ClosedAreaState g_closed_area;

// The closed area back to the whole screen, clean.
inline void reset_dirty_rect() { g_closed_area = ClosedAreaState{}; }
