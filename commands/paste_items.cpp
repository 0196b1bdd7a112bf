#include "commands/paste_items.h"

#include <cmath>

#include "commands/move_nodes.h"
#include "commands/node_edit_session.h"
#include "editor/drawing_page_state.h"
#include "editor/edit_session.h"
#include "editor/page_furniture.h"
#include "editor/point_picking.h"
#include "editor/undo_store.h"
#include "records/job_settings.h"
#include "screen/event_queue.h"
#include "screen/pointer.h"

namespace {

constexpr int POINTER_PASTE = 17;
// An offset beyond this in either axis leaves the items where they were copied.
constexpr float FARTHEST_PASTE_OFFSET = 200000.0f;
constexpr uint8_t SHIFT_EITHER = 0x03;  // either Shift key
constexpr uint8_t PASTE_FLAGS_WITH_SHIFT = ITEM_FLAG_SELECTED | ITEM_FLAG_WORKING;
constexpr char PASTE_PROMPT[] =
    "Pick location to paste the items, or type XY coordinates.\nS: snap menu";

}  // namespace

int paste_command(int flags) {
  PointF reference{};
  hover_point(&reference);
  DrawingItem* const before = g_lists.current.last;
  int count = 0;
  PointF low{1e10f, 1e10f};
  PointF high{-1e10f, -1e10f};
  for (DrawingItem* item = g_drawing_page.clipboard.first; item != nullptr; item = item->next) {
    if (item->extra.empty() || item_type(item) == 0) continue;
    if (copy_item_with_extra_links(item, 0) != 0) break;
    DrawingItem* copy = g_lists.current.last;
    item_bounding_boxes(copy);
    grow_box_by_item(copy, &low, &high);
    ++count;
  }
  if (count == 0) return 0;
  EditSession& e = g_edit;
  discard_originals();
  e.working_set = before != nullptr ? before->next : g_lists.current.first;
  e.command_mark = EDIT_COMMAND_OPEN;
  const PointF clipped_at = item_nodes(e.working_set)->point;
  PointF offset{reference.x - low.x, reference.y - low.y};
  if (!(std::fabs(offset.x) <= FARTHEST_PASTE_OFFSET && std::fabs(offset.y) <= FARTHEST_PASTE_OFFSET))
    offset = {0.0f, 0.0f};
  translate_working_set(offset);
  xor_draw_working_set();
  show_prompt(PASTE_PROMPT);
  set_pointer_shape(POINTER_PASTE);
  // F8 does nothing while the copies are placed.
  const uint8_t axis_lock = g_furniture.axis_lock;
  g_furniture.axis_lock = static_cast<uint8_t>(axis_lock | INDICATOR_LOCKED);
  const int placed = drag_to_destination(reference);
  g_furniture.axis_lock = axis_lock;
  if (placed != PLACE_DONE) {
    edit_cancel();
    return -count;
  }
  if (g_move.last_event == KEY_ENTER) {
    // Enter puts the items back where they were copied from.
    const PointF now = item_nodes(e.working_set)->point;
    xor_draw_working_set();
    translate_working_set({clipped_at.x - now.x, clipped_at.y - now.y});
    xor_draw_working_set();
  }
  const uint8_t given = (g_events.modifiers & SHIFT_EITHER) != 0
                            ? PASTE_FLAGS_WITH_SHIFT
                            : static_cast<uint8_t>(flags);
  for (DrawingItem* copy = e.working_set; copy != nullptr; copy = copy->next) {
    set_item_flags(copy, given);
    set_item_id(copy, ++g_job_settings.item_id_counter);
  }
  renumber_session_order();
  edit_finish();
  // Unlike a plain paste of old, the paste is one step that undo takes back.
  undo_record_added(count);
  for (DrawingItem* copy = e.working_set; copy != nullptr; copy = copy->next)
    draw_item_in_colour(copy, item_layer(copy));
  e.working_set = nullptr;
  g_drawing_page.extents_request = 1;
  ++g_drawing_page.redraw_request;
  mark_job_changed();
  return count;
}
