// The Drawing page at 1920 x 1080: 10,000 items (about 50,000 lines and arcs) redrawn in full
// through the back buffer, fitted and zoomed in (goal: under 16 ms a frame); and a hover pass
// over all items, finding nothing and finding the item drawn first (goal: under 1 ms), which
// peeks at the queue between links without pumping; then every other item deleted as one step,
// that step undone and redone (goal: under 50 ms each).
#include <chrono>
#include <cmath>
#include <cstdio>

#include "bench/bench_screen.h"
#include "bench/bench_shapes.h"
#include "editor/edit_session.h"
#include "editor/hover.h"
#include "editor/hover_state.h"
#include "editor/page_redraw.h"
#include "editor/undo_store.h"
#include "editor/view.h"
#include "editor/view_state.h"
#include "geometry/drawing_item.h"
#include "geometry/layers.h"
#include "records/preferences.h"
#include "screen/boxes.h"
#include "store/line_list.h"

namespace {

using Clock = std::chrono::steady_clock;

double ms_since(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

double redraw_ms(int frames) {
  const Clock::time_point start = Clock::now();
  for (int i = 0; i < frames; ++i) redraw_drawing();
  return ms_since(start) / frames;
}

}  // namespace

int main() {
  if (!open_bench_screen("bench_drawing_page", 1920, 1080)) return 1;
  reset_layers();
  layout_page_tab_strip();
  g_preferences.drawing.no_flicker = 1;
  g_view.drawing_page_active = 1;
  layout_paint_boxes();
  for (int k = 0; k < 10000; ++k) add_bench_shape(k);
  compute_extents();
  set_view_to_extents();
  zoom_by(0.85f);
  pan_to_window(0);
  redraw_drawing();  // warm
  const double fitted = redraw_ms(20);
  zoom_by(8.0f);
  const double zoomed = redraw_ms(20);
  std::printf("full redraw, 10,000 items, fitted:    %7.2f ms a frame (goal 16)\n", fitted);
  std::printf("full redraw, 10,000 items, zoomed in: %7.2f ms a frame (goal 16)\n", zoomed);

  // Hover passes: nothing under the cursor, then the item drawn first (the last one searched).
  HoverState& h = g_hover;
  h.pick_mode = PICK_MODE_LINKS | PICK_MODE_ITEM_MARKERS | PICK_MODE_ITEMS;
  h.raw_cursor_point = {-500.0f, -500.0f};
  const int passes = 50;
  Clock::time_point start = Clock::now();
  for (int i = 0; i < passes; ++i) {
    h.hover_item = nullptr;
    h.pick_kind = 0;
    pick_under_crosshairs();
  }
  const double nothing = ms_since(start) / passes;
  h.raw_cursor_point = {0.4f, 0.1f};  // on the bottom line of item 0
  start = Clock::now();
  int found = 0;
  for (int i = 0; i < passes; ++i) {
    clear_hover_hilite();
    h.hover_item = nullptr;
    h.pick_kind = 0;
    found += pick_under_crosshairs() == -1 && h.hover_item == g_lists.current.first;
  }
  const double first = ms_since(start) / passes;
  std::printf("hover pass, nothing found:            %7.3f ms (goal 1)\n", nothing);
  std::printf("hover pass, the first-drawn found:    %7.3f ms (goal 1), found %d of %d\n", first,
              found, passes);

  // Every other item deleted as one step, then that step undone and redone.
  g_preferences.current_page = PAGE_DRAWING;
  discard_originals();
  int index = 0;
  for (DrawingItem* item = g_lists.current.first; item != nullptr; ++index) {
    DrawingItem* next = item->next;
    if (index % 2 == 0) move_to_originals(item);
    item = next;
  }
  undo_record_deleted(nullptr);
  const int kept = count_current_lines();
  start = Clock::now();
  undo_command();
  const double undone = ms_since(start);
  const int restored = count_current_lines();
  start = Clock::now();
  redo_command();
  const double redone = ms_since(start);
  std::printf("undo of deleting 5,000 of 10,000:     %7.2f ms (goal 50), %d items again\n", undone,
              restored);
  std::printf("redo of it:                           %7.2f ms (goal 50), %d items left of %d\n",
              redone, count_current_lines(), kept);
  undo_clear();
  free_current_list();
  destroy_main_form();
  return 0;
}
