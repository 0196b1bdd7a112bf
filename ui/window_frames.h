// Window frames and the repair of closed areas: the parts the screen drawing calls.
#pragma once

#include "screen/main_form.h"
#include "screen/pointer.h"
#include "screen/text_output.h"
#include "ui/run_window.h"
#include "ui/text_window.h"

// draw_window_frame options: the frame only, the lines are not drawn.
constexpr int FRAME_ONLY = 0x02;

// Stand-in: draws no border, title, picture or shadow; only the lines (all of them) unless FRAME_ONLY.
inline void draw_window_frame(int options) {
  hide_pointer();
  g_form.redraw_level = 0;
  if ((options & FRAME_ONLY) == 0) {
    request_full_redraw();
    redraw_window_lines();
  }
  g_run.last_framed_window = g_windows.active_node;
  if (g_windows.active != nullptr) g_windows.active->flags &= ~WINDOW_FULL_REDRAW;
}

// Stand-in: restores and shades nothing; forgets the last framed window and reports no redraw needed.
inline int close_window_background() {
  hide_pointer();
  g_run.last_framed_window = nullptr;
  return g_form.redraw_level == 0 ? 1 : 0;
}
