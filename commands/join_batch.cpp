// The batch join of the Drawing page's menu: its form, its progress box and its undo step.
#include <algorithm>
#include <cstdio>
#include <unordered_set>
#include <vector>

#include "commands/command_state.h"
#include "commands/join_items.h"
#include "editor/edit_session.h"
#include "editor/undo_store.h"
#include "geometry/geometry_host.h"
#include "records/job_settings.h"
#include "records/preferences.h"
#include "screen/event_queue.h"
#include "store/line_list.h"
#include "store/message_ids.h"
#include "ui/dialog_form.h"
#include "ui/layer_list.h"
#include "ui/message_box.h"
#include "ui/popups.h"
#include "ui/settings_fields.h"

namespace {

constexpr int ROW_GAP = LAYER_RANGE_LAST_ROW + 1;
constexpr int ROW_MIX = 4;
static_assert(FORM_BATCH_JOIN_FIELDS == ROW_MIX + 1);
constexpr int GAP_WIDTH = 10;
constexpr int CHOICE_WIDTH = 3;
constexpr char NY_LETTERS[] = "NY";
const char* const NO_YES[] = {"No", "Yes"};
constexpr char PROGRESS_TEXT[] = "\vPolylines closed:\x13\n\v  Items combined:\x13";
// Progress figures are printed at most this often (ticks).
constexpr int PROGRESS_TICKS = 4;

struct BatchJoinForm {
  LayerRangeRows layers;
  float gap = 0;
  uint8_t mix = 0;
};
BatchJoinForm g_form;

// The batch's run: the items present before it (kept for undo when a join consumes them) and
// the progress box's clock.
struct BatchRun {
  std::unordered_set<const DrawingItem*> before;
  bool box_open = false;
  EventCode stopped_by = 0;
};
BatchRun g_run;

EventCode edit_row(int row) {
  BatchJoinForm& f = g_form;
  EventCode layer_result = 0;
  if (edit_layer_range_row(&f.layers, row, &layer_result)) return layer_result;
  switch (row) {
    case 0: return ok_cancel_field();
    case ROW_GAP:
      return edit_value_field({&f.gap, 0}, FIELD_FLOAT | FIELD_SELECT_ALL, FIELD_OPTIONS_USUAL,
                              GAP_WIDTH);
    case ROW_MIX: return cycle_list_field(NY_LETTERS, &f.mix, 0, CHOICE_WIDTH);
    default: return KEY_DOWN;
  }
}

void show_form() {
  const BatchJoinForm& f = g_form;
  skip_field_display();
  show_layer_range_rows(f.layers);
  show_float_value(f.gap, GAP_WIDTH, 4);
  show_choice_value(NO_YES, f.mix != 0 ? 1 : 0, CHOICE_WIDTH);
  draw_ok_cancel();
}

EventCode batch_join_field() {
  const EventCode result = edit_current_field(edit_row);
  show_every_field(show_form);
  return end_field_handler(result);
}

void print_figures(int closures, int joins) {
  char text[32];
  std::snprintf(text, sizeof text, "%d\n%d", closures, joins);
  print_in_popup(0, -18, text);
}

// The progress box: opened at the start, figures after passes, Esc read between them.
int join_progress(int phase, int closures, int joins) {
  BatchRun& run = g_run;
  if (phase == JOIN_PROGRESS_OPEN) {
    message_box(MSGBOX_CENTRE, MSGBOX_CENTRE, 30, PROGRESS_TEXT, MSGBOX_POPUP, nullptr, 0, nullptr,
                0, nullptr);
    run.box_open = true;
    return 0;
  }
  if (phase == JOIN_PROGRESS_CLOSE) {
    if (run.box_open) {
      print_figures(closures, joins);
      close_popup_after(PROGRESS_TICKS);
    }
    run.box_open = false;
    return 0;
  }
  print_figures(closures, joins);
  const EventCode code = poll_input_code(0);
  if (code == KEY_ESC || code == EVENT_QUIT) {
    run.stopped_by = code;
    return 1;
  }
  return 0;
}

// A join's consumed part: an item from before the batch goes to the originals for undo; a
// part made during the batch is freed.
void release_piece(DrawingItem* piece) {
  if (g_run.before.count(piece) != 0) move_to_originals(piece);
  else delete_line(piece);
}

}  // namespace

int batch_join_command() {
  CommandStartState& state = g_command_start;
  load_layer_range(&g_form.layers);
  g_form.mix = state.join_mix_layers;
  const float gap = g_preferences.gap_tolerance;
  g_form.gap = state.join_gap;
  g_field.next_label_width = widest_form_label(MSG_FORM_BATCH_JOIN);
  if (run_dialog(MSG_FORM_BATCH_JOIN, batch_join_field) != 1) return 0;
  store_layer_range(g_form.layers);
  state.join_mix_layers = g_form.mix;
  // The gap typed here stays with the join commands; the rest of the program keeps its own.
  if (g_form.gap > 0) state.join_gap = g_form.gap;
  g_preferences.gap_tolerance = state.join_gap;
  g_run = BatchRun{};
  for (DrawingItem* item = g_lists.current.first; item != nullptr; item = item->next)
    g_run.before.insert(item);
  const GeometryHost host = g_geometry_host;
  g_geometry_host.join_progress = join_progress;
  g_geometry_host.release_joined_piece = release_piece;
  const int flags = state.join_mix_layers != 0 ? JOIN_EITHER_END
                                                : JOIN_EITHER_END | JOIN_SAME_LAYER;
  const int joins = batch_join(flags, state.join_first_layer, state.join_last_layer);
  g_geometry_host = host;
  g_preferences.gap_tolerance = gap;
  if (joins > 0) {
    // The joined items go to the end of the drawing with new IDs: one undo step replaces the
    // pieces they were made of.
    std::vector<DrawingItem*> made;
    for (DrawingItem* item = g_lists.current.first; item != nullptr; item = item->next)
      if (g_run.before.count(item) == 0) made.push_back(item);
    for (DrawingItem* item : made) {
      move_line_after(item, g_lists.current.last);
      set_item_id(item, ++g_job_settings.item_id_counter);
    }
    undo_record_replaced(static_cast<int>(made.size()), 1);
  }
  discard_originals();
  g_run = BatchRun{};
  return joins;
}
