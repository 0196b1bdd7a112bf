// Scrolling a list while a button is held: a drag past the window's top or bottom edge, and the
// middle button held down.
#include <cstdlib>

#include "screen/event_queue.h"
#include "screen/tick_clock.h"
#include "ui/dir_tree.h"
#include "ui/pointer_motion.h"
#include "ui/run_window.h"

EdgeScroll g_edge_scroll;
ScrollRepeat g_scroll_repeat;

namespace {

// Tall windows scroll fastest, the folder tree a little slower, small lists slowest.
constexpr int TALL_WINDOW_ROWS = 16;
constexpr int SMALL_WINDOW_ROWS = 7;
constexpr int FIRST_REPEAT_EXTRA_TICKS = 5;
constexpr int STALE_SCHEDULE_TICKS = 10;
constexpr int PAGE_REPEAT_TICKS = 5;
constexpr EventCode UPWARD_BIT = 0x08;

int32_t now_ticks() {
  update_ticks();
  return g_clock.ticks;
}

int edge_pause(const TextWindow* w) {
  if (w->rows > TALL_WINDOW_ROWS) return 0;
  return g_windows.key_filter == tree_key_filter ? 1 : 2;
}

bool hidden(const TextLine* line) { return (line->kind & LINE_KIND_HIDDEN) != 0; }

// Lines that a move of up to `wanted` rows can reach from the cursor line.
int reachable_lines(int wanted, bool down) {
  int count = 0;
  for (const TextLine* line = g_lists.cursor_line; line != nullptr && count < wanted;) {
    line = down ? line->next : line->prev;
    if (line != nullptr && !hidden(line)) ++count;
  }
  return count;
}

// The pointer's motion brought it onto another row: one line code per row, the first returned.
EventCode follow_pointer_row(const TextWindow* w, int dy, int ch) {
  const EdgeScroll& e = g_edge_scroll;
  const int shift = e.drag_direction < 0 ? dy * 4 : e.drag_direction > 0 ? dy * 2 : 0;
  const int y = g_pointer.wanted_y + shift;
  int row = (y >= 0 ? y / ch : -1) - w->top_row;
  row = std::clamp(row, 0, std::max(w->rows - 1, 0));
  if (row == w->cursor_row) return 0;
  const bool down = row > w->cursor_row;
  const int rows = reachable_lines(std::abs(row - w->cursor_row), down);
  if (rows == 0) return 0;
  const bool held = g_pointer.button_bits != 0;
  const EventCode code = down ? (held ? KEY_DOWN : WINDOW_DRAG_DOWN)
                              : (held ? KEY_UP : WINDOW_DRAG_UP);
  for (int i = 1; i < rows; ++i) push_input_code_front(code);
  return code;
}

// Whether a scroll code is due: every `interval` ticks, or in the fast zone with the pointer
// still moving, at every new tick.
bool scroll_due(int32_t now, int interval, bool fast_and_moving) {
  const EdgeScroll& e = g_edge_scroll;
  if (fast_and_moving)
    return now != e.last_key_tick || (e.last_call_tick == now && e.last_call_gave_nothing);
  return now - e.last_key_tick >= interval;
}

}  // namespace

bool edge_scroll_enabled() {
  const TextWindow* w = g_windows.active;
  return w != nullptr && (w->list_options & LIST_OPTION_EDGE_SCROLL) != 0 &&
         (w->list_options & LIST_OPTION_EDGE_SCROLL_OFF) == 0;
}

EventCode auto_scroll_at_edge(int dy) {
  const TextWindow* w = g_windows.active;
  const int ch = g_display.current.cell_height;
  if (w == nullptr || g_lists.cursor_line == nullptr || ch <= 0 || w->rows <= 0) return 0;
  EdgeScroll& e = g_edge_scroll;
  const int32_t now = now_ticks();
  const int pause = edge_pause(w);
  const int y = g_pointer.wanted_y;
  const int window_top = w->top_row * ch;
  const int bottom_row_top = (w->top_row + w->rows - 1) * ch;
  if (g_pointer.button_bits == 0) e.drag_direction = 0;
  else e.drag_direction = y >= bottom_row_top ? 1 : y < window_top + ch / 2 ? -1 : 0;

  EventCode code = 0;
  bool done = false;
  if (dy != 0) {
    if (g_run.bottom_reached != 0) {
      // At the end of the list a further downward drag has nothing to show.
      if (dy > 0) done = true;
      else g_run.bottom_reached = 0;
    }
    if (!done) {
      code = follow_pointer_row(w, dy, ch);
      done = code != 0;
    }
  }
  if (!done && e.drag_direction > 0 && g_run.bottom_reached == 0) {
    const int below = y + dy - (w->top_row + w->cursor_row + 1) * ch;
    if (below >= 1 && reachable_lines(1, true) > 0) {
      const bool fast = below >= ch + ch / 3;
      const int interval = fast ? pause : below >= ch - ch / 4 ? pause + 2 : pause + 3;
      if (scroll_due(now, interval, fast && dy != 0 && below >= 2 * ch - 1))
        code = g_pointer.button_bits != 0 ? KEY_DOWN : WINDOW_DRAG_DOWN;
    }
  } else if (!done && e.drag_direction < 0 && g_run.top_reached == 0) {
    const int above = (w->top_row + w->cursor_row) * ch - (y + 2 * dy);
    if (above >= 1 && reachable_lines(1, false) > 0) {
      const bool slow = above < ch / 2 || w->rows < SMALL_WINDOW_ROWS;
      const bool fast = !slow && above >= ch - 4 && w->rows >= TALL_WINDOW_ROWS;
      const int interval = slow ? pause + 3 : fast ? pause : pause + 2;
      if (scroll_due(now, interval, fast && dy != 0 && above >= ch))
        code = g_pointer.button_bits != 0 ? KEY_UP : WINDOW_DRAG_UP;
    }
  }
  if (code != 0 && !done) e.last_key_tick = now;
  e.last_call_tick = now;
  e.last_call_gave_nothing = code == 0;
  return code;
}

namespace {

bool upward(EventCode direction) { return (direction & UPWARD_BIT) != 0; }

// The direction as the active window scrolls; Ctrl jumps to the list's end.
EventCode direction_result() {
  const bool up = upward(g_scroll_repeat.direction);
  if ((g_events.modifiers & MODIFIER_CTRL) != 0) return up ? KEY_CTRL_PGUP : KEY_CTRL_PGDN;
  return up ? g_pointer.scroll_up_key : g_pointer.scroll_down_key;
}

bool visible_line_before(const TextLine* line) {
  for (line = line->prev; line != nullptr; line = line->prev)
    if (!hidden(line)) return true;
  return false;
}

bool visible_line_after(const TextLine* line) {
  for (line = line->next; line != nullptr; line = line->next)
    if (!hidden(line)) return true;
  return false;
}

// At the first line the list can only go down, at the last only up; otherwise the last way.
void choose_direction(const TextWindow* w) {
  ScrollRepeat& r = g_scroll_repeat;
  if (r.direction == 0) r.direction = g_pointer.scroll_down_key;
  const TextLine* line = g_lists.cursor_line;
  if ((w->flags & WINDOW_PAGE_SCROLL) != 0 || line == nullptr) return;
  if (line->prev == nullptr || g_run.top_reached != 0) {
    r.direction = g_pointer.scroll_down_key;
  } else if (line->next == nullptr || g_run.bottom_reached != 0) {
    r.direction = g_pointer.scroll_up_key;
  } else if ((w->flags & WINDOW_TEXT_LIST) == 0) {
    if (!visible_line_before(line)) r.direction = g_pointer.scroll_down_key;
    else if (!visible_line_after(line)) r.direction = g_pointer.scroll_up_key;
  }
}

}  // namespace

EventCode repeat_scroll_button(bool starting) {
  const TextWindow* w = g_windows.active;
  ScrollRepeat& r = g_scroll_repeat;
  if (w == nullptr) {
    r.active = false;
    return 0;
  }
  const int delay = std::max<int>(g_windows.scroll_step, 1);
  if (starting) {
    r.active = true;
    choose_direction(w);
    r.due_tick = now_ticks() + delay + FIRST_REPEAT_EXTRA_TICKS;
    return direction_result();
  }
  if ((g_pointer.button_bits & WINDOW_BUTTON_MIDDLE) == 0) {
    r.active = false;
    return 0;
  }
  const int32_t now = now_ticks();
  if (r.due_tick < now - STALE_SCHEDULE_TICKS) r.due_tick = now + delay + FIRST_REPEAT_EXTRA_TICKS;
  if ((w->flags & WINDOW_TEXT_LIST) != 0) {
    // Editors scroll by the middle button's drag instead.
    drag_to_scroll_keys();
    r.active = (g_pointer.button_bits & WINDOW_BUTTON_MIDDLE) != 0;
    return 0;
  }
  for (;;) {
    const EventCode code = wait_input_code();
    switch (code) {
      case EVENT_MIDDLE_UP:
        r.active = false;
        return 0;
      case EVENT_MIDDLE_DOWN: return repeat_scroll_button(true);
      case EVENT_TICK: break;
      case EVENT_POINTER_MOVE:
        follow_mouse();
        continue;
      case EVENT_LEFT_DOWN:
      case EVENT_RIGHT_DOWN:
      case EVENT_LEFT_UP:
      case EVENT_RIGHT_UP:
      case EVENT_CTRL_DOWN:
      case EVENT_CTRL_UP: continue;
      default:
        // Anything else ends the repeat and is left for the caller.
        push_input_code_front(code);
        r.active = false;
        return 0;
    }
    const int32_t tick = now_ticks();
    if (tick < r.due_tick) continue;
    if ((g_pointer.button_bits & (WINDOW_BUTTON_LEFT | WINDOW_BUTTON_RIGHT)) != 0) {
      r.due_tick = tick + PAGE_REPEAT_TICKS;
      return upward(r.direction) ? KEY_PGUP : KEY_PGDN;
    }
    r.due_tick = tick + delay;
    return direction_result();
  }
}

void reset_edge_scrolling() {
  g_edge_scroll = EdgeScroll();
  g_scroll_repeat = ScrollRepeat();
}
