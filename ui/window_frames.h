// Window frames and the repair of closed areas: every framed text window keeps a copy of the
// screen beneath it (when small enough), is drawn as rings around its cells with a title and a
// pattern shadow, and puts back or shades its area when it closes.
#pragma once

#include <cstdint>
#include <string>

#include "screen/closed_area.h"

struct TextLine;

// draw_window_frame options: the frame only, the lines are not drawn.
constexpr int FRAME_ONLY = 0x02;

// Window flag bits the frames read
constexpr uint32_t WINDOW_NO_SHADOW = 0x04;
constexpr uint32_t WINDOW_KEEP_UNDER = 0x20;         // keep a copy of the screen beneath
constexpr uint32_t WINDOW_SHADE_ON_CLOSE = 0x10000;  // shade the area when closing
constexpr uint32_t WINDOW_FILE_FRAME = 0x40000;      // a file window's frame look

// A window of this many cells or more keeps no copy of the screen beneath it.
constexpr int FRAME_SAVE_UNDER_CELLS = 1200;

// Title picture placements
constexpr uint8_t PICTURE_BOTTOM_RIGHT = 0;
constexpr uint8_t PICTURE_TOP_LEFT = 1;
constexpr uint8_t PICTURE_UNPLACED = 2;

struct FrameState {
  int shading_skip = 0;        // the next closings are not shaded
  int frame_picture_drawn = 0; // a title picture lies under the text: lines are drawn transparent
  bool lines_dirty = false;    // a repair flagged lines of a window for redrawing
  TextLine* deferred_frame_window = nullptr;  // the window whose frame a repair left for later
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
// Makes the current window repair the closed area: its lines there are flagged for redrawing,
// and when its frame touches the area the frame is drawn again (options as for
// draw_window_frame), or left for later with negative options.
void refresh_window_under_closed(int options);
// Pattern shading of the current window's area, of the closed area, and of the whole screen
// above the two status rows; nothing while the interface settings switch shading off.
void shade_window();
void shade_closed_area();
void shade_screen();
// True when the window's pixel rectangle and the closed area touch at an edge.
bool window_touches_closed_area(int left, int top, int right, int bottom);
