// Window frames and the repair of closed areas: every framed text window keeps a copy of the
// screen beneath it (when small enough), is drawn as rings around its cells with a title and a
// pattern shadow, and puts back or shades its area when it closes.
#pragma once

#include <cstdint>
#include <string>

// draw_window_frame options: the frame only, the lines are not drawn.
constexpr int FRAME_ONLY = 0x02;

// Window flag bits the frames read
constexpr uint32_t WINDOW_NO_SHADOW = 0x04;
constexpr uint32_t WINDOW_KEEP_UNDER = 0x20;         // keep a copy of the screen beneath
constexpr uint32_t WINDOW_SHADE_ON_CLOSE = 0x10000;  // shade the area when closing
constexpr uint32_t WINDOW_FILE_FRAME = 0x40000;      // a file window's frame look

// A window of this many cells or more keeps no copy of the screen beneath it.
constexpr int FRAME_SAVE_UNDER_CELLS = 1200;

struct ClosedArea {
  int left = 0;
  int top = 0;
  int right = 9999;
  int bottom = 9999;
  int shade_right = 9999;
  int shade_bottom = 9999;
};

struct FrameState {
  ClosedArea closed;           // the last closed window's area
  bool closed_clean = true;    // the closed area needs no shading
  int shading_skip = 0;        // the next closings are not shaded
  int frame_picture_drawn = 0; // a title picture lies under the text
};
inline FrameState g_frames;

// Draws the current window's frame, title and shadow and (unless FRAME_ONLY) its lines.
void draw_window_frame(int options);
// The current window's title in its top border.
void draw_window_title();
// The pattern shadow of the current window.
void draw_window_shadow();
// After the current window has been taken off the screen: puts back or shades its area and keeps
// it as the closed area. 1 when no redraw is needed.
int close_window_background();
// A title for a border of room characters: a longer one keeps its part after the first
// backslash, cut to the room less one and followed by a blank.
std::string fit_window_title(const char* title, int room);
// The closed area back to the whole screen, clean.
void reset_closed_area();
