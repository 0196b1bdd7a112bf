#include "commands/copy_items.h"

#include "commands/move_nodes.h"
#include "store/message_ids.h"
#include "editor/help_box.h"
#include "editor/drawing_page_state.h"
#include "editor/edit_session.h"
#include "editor/hover_state.h"
#include "editor/object_snaps.h"
#include "editor/page_furniture.h"
#include "editor/undo_store.h"
#include "records/job_settings.h"
#include "screen/pointer.h"

namespace {

constexpr int POINTER_COPIES = 101;
constexpr char START_PROMPT[] =
    "Pick the starting point for copying, or type XY coordinates.\nS: snap menu";
constexpr char DESTINATION_PROMPT[] =
    "Pick destination point for the copies, or type XY coordinates.\nS: snap menu  Hold CTRL "
    "or CTRL & SHIFT to restrict movement.";

}  // namespace

int copy_to_destination(PointF start) {
  show_prompt(DESTINATION_PROMPT);
  set_pointer_shape(POINTER_COPIES);
  const int result = drag_to_destination(start);
  if (result != PLACE_DONE) {
    edit_cancel();
    return PLACE_CANCELLED;
  }
  renumber_session_order();
  edit_finish();
  redraw_kept_originals();
  int count = 0;
  for (DrawingItem* copy = g_edit.working_set; copy != nullptr; copy = copy->next) {
    set_item_id(copy, ++g_job_settings.item_id_counter);
    draw_item_in_colour(copy, item_layer(copy));
    ++count;
  }
  undo_record_added(count);
  edit_commit(EDIT_COMMIT_COPY);
  ++g_drawing_page.redraw_request;
  edit_cancel();
  return PLACE_DONE;
}

int copy_items_command() {
  if (edit_begin(nullptr, 0) < 0) return 0;
  HoverState& h = g_hover;
  const uint16_t saved_mode = h.pick_mode;
  h.pick_mode = PICK_MODE_ITEMS;
  show_prompt(START_PROMPT);
  PointF start{};
  help_push(MSG_HELP_START_POINT);
  const int picked = select_point(&start);
  help_pop();
  h.pick_mode = saved_mode;
  if (picked != 0) {
    xor_draw_working_set();
    edit_cancel();
    return PLACE_CANCELLED;
  }
  return copy_to_destination(start);
}
