// Moving the program's own pointer for the text windows: gliding it to a point, waiting for the
// buttons' release, putting the editor's caret under it, and turning its motion in list and
// editor windows into line, column and scroll codes.
#pragma once

#include <algorithm>
#include <climits>
#include <cstdint>

#include "screen/display_mode.h"
#include "screen/main_form.h"
#include "screen/pointer.h"
#include "ui/editor_cursor.h"
#include "ui/text_window.h"

// A middle-button drag starts a new burst after this long and forgets its direction after
// twice as long; within the first moments of a burst it waits.
constexpr uint32_t MIDDLE_DRAG_QUIET_MS = 2970;
constexpr uint32_t MIDDLE_DRAG_FORGET_MS = 5940;
constexpr uint32_t MIDDLE_DRAG_SETTLE_MS = 275;

// Hides the pointer and keeps it hidden while the active window is drawn.
inline void hide_pointer_for_window() {
  hide_pointer();
  if (g_windows.active != nullptr) g_windows.active->flags |= WINDOW_ALWAYS;
}

// The pointer follows the mouse's motion, kept on the screen.
inline void follow_mouse() {
  int dx = 0;
  int dy = 0;
  if (mouse_delta(&dx, &dy) == 0) return;
  hide_pointer();
  g_pointer.wanted_x =
      std::clamp(g_pointer.wanted_x + dx, 0, static_cast<int>(g_display.screen_width));
  g_pointer.wanted_y =
      std::clamp(g_pointer.wanted_y + dy, 0, static_cast<int>(g_display.screen_height));
  show_pointer();
}

// The caret to the cell edge nearest the goal x (blank space past the text included).
inline void caret_to_pointer_x() {
  TextWindow* w = g_windows.active;
  const int cw = g_display.current.cell_width;
  if (w == nullptr || cw <= 0) return;
  const int column = (w->goal_x + cw / 2) / cw;
  w->cursor_column = static_cast<int16_t>(std::clamp(column, 0, std::max(w->columns - 1, 0)));
  caret_to_screen_column();
}

// With only the middle button held: a scroll code (397 up, 401 down) for the run loop, more of
// them pushed back, or 0 while a burst holds off. -1 when the middle button alone is not held.
int middle_drag_scroll();
// Pointer motion in a list or editor window: the pointer's shape follows it; with a button held
// it becomes line (439, 440) and column (441, 442) codes pushed back for the run loop. 1 when
// codes were pushed; a middle-button drag gives its scroll code or 0.
int pointer_to_editor_keys();
// Pushes the column codes that bring the cursor column under the pointer; 0 when it is there.
int pointer_to_column_keys();
// While a mouse button is held: the first vertical motion becomes scroll keys pushed back for
// the run loop (Ctrl+Up upward, Ctrl+Down downward; two per pixel of each whole cell height,
// one per pixel of the rest). A release or any other code ends the wait; codes other than the
// pointer's stay queued for the run loop.
void drag_to_scroll_keys();
// -1 when the pointer is outside the active window; else the cursor goes to the line under the
// pointer and 0 is returned.
int cursor_to_pointer_row();

// ---- Scrolling at a list's edges and by the held middle button -------------------------------

// List options of the edge scrolling: a drag past the window's top or bottom edge scrolls the
// list. The second bit switches it off again (it also keeps a pointer inside the window where
// it is when the run loop starts, see text_window.h).
constexpr uint32_t LIST_OPTION_EDGE_SCROLL = 0x20000000;
constexpr uint32_t LIST_OPTION_EDGE_SCROLL_OFF = 0x40000000;

// What the edge scrolling remembers between calls.
struct EdgeScroll {
  int8_t drag_direction = 0;       // +1 dragging past the bottom, -1 past the top, 0 neither
  int32_t last_key_tick = INT32_MIN / 2;   // tick of the last scroll code given
  int32_t last_call_tick = INT32_MIN / 2;  // tick of the last call
  bool last_call_gave_nothing = false;
};
extern EdgeScroll g_edge_scroll;

// The held middle button's repeat.
struct ScrollRepeat {
  bool active = false;        // the middle button went down in a list and is still held
  EventCode direction = 0;    // the last direction: a scroll code, bit 0x08 set for upward
  int32_t due_tick = 0;       // the tick at which the next repeat comes
};
extern ScrollRepeat g_scroll_repeat;

// True when the active window scrolls while a button drags past its edges.
bool edge_scroll_enabled();
// While a button is held in a list: a line code when the pointer's motion (dy pixels, 0 for a
// tick) puts it on another row, else a scroll code (Down past the bottom, Up past the top) at a
// rate that grows with the distance past the cursor row; 0 when nothing is due.
EventCode auto_scroll_at_edge(int dy);
// The middle button scrolls a list while it is held. Starting (the button has just gone down):
// the direction is chosen and its scroll code returned at once. Afterwards each call waits for
// the next repeat (the window's scroll delay + 5 ticks first, then the delay) and returns its
// code; Ctrl turns it into Ctrl+PgUp/Ctrl+PgDn, a left or right button held as well into PgUp or
// PgDn. 0 once the button is let go or another key comes (left queued for the caller).
EventCode repeat_scroll_button(bool starting);
void reset_edge_scrolling();
