#include "editor/drawing_view.h"

#include "editor/view_state.h"
#include "geometry/drawing_item.h"
#include "store/line_list.h"

void compute_extents() {
  PointF lo{1e38f, 1e38f};
  PointF hi{-1e38f, -1e38f};
  for (TextLine* item = g_lists.current.first; item != nullptr; item = item->next)
    if (item->kind != 0 && item_block(item) != nullptr) grow_box_by_item(item, &lo, &hi);
  if (lo.x > hi.x) lo = hi = PointF{0.0f, 0.0f};
  g_view.items_min = g_view.extents_min = lo;
  g_view.items_max = g_view.extents_max = hi;
}

void set_view_to_extents() {
  g_view.view_left = g_view.extents_min.x;
  g_view.view_top = g_view.extents_max.y;
}

void zoom_to_drawing() {
  if (g_lists.current.first == nullptr) return;
  compute_extents();
  set_view_to_extents();
}

int16_t view_keys(int16_t code) { return code == VIEW_KEY_REDRAW ? 0 : code; }

void shift_items(float dx, float dy, uint8_t all, uint8_t /*flags*/) {
  const PointF move{-dx, -dy};
  for (TextLine* item = g_lists.current.first; item != nullptr; item = item->next) {
    if (item->kind == 0 || item_block(item) == nullptr) continue;
    if (all == 0 && (item->state & ITEM_FLAG_SELECTED) == 0) continue;
    translate_item(item, &move);
  }
  g_view.view_left += move.x;
  g_view.view_top += move.y;
}
