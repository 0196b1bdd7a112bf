#include "commands/separate_items.h"

#include <algorithm>
#include <cstdio>

#include "commands/command_state.h"
#include "commands/join_items.h"
#include "editor/edit_session.h"
#include "editor/undo_store.h"
#include "geometry/item_split.h"
#include "store/line_list.h"
#include "store/message_ids.h"
#include "ui/dialog_form.h"
#include "ui/layer_list.h"
#include "ui/message_box.h"
#include "ui/settings_fields.h"

namespace {

constexpr int ROW_CHOICE = LAYER_RANGE_LAST_ROW + 1;
static_assert(FORM_SEPARATE_FIELDS == ROW_CHOICE + 1);
constexpr int CHOICE_WIDTH = 3;
constexpr char NY_LETTERS[] = "NY";
const char* const NO_YES[] = {"No", "Yes"};
constexpr char SEPARATED_TEXT[] = "Separated %d links";
constexpr char NOTHING_TEXT[] =
    "No polylinks to separate... any polylinks in drawing are already individual links.";
constexpr uint32_t SEPARATED_FLAGS = 0x8010;
constexpr uint32_t NOTHING_FLAGS = 0x801a;
// Item types below text, which every split takes when the form's choice is Y.
constexpr uint8_t FIRST_TEXT_TYPE = 27;

struct SeparateForm {
  LayerRangeRows layers;
  uint8_t choice = 0;
};
SeparateForm g_form;

EventCode edit_row(int row) {
  SeparateForm& f = g_form;
  EventCode layer_result = 0;
  if (edit_layer_range_row(&f.layers, row, &layer_result)) return layer_result;
  switch (row) {
    case 0: return ok_cancel_field();
    case ROW_CHOICE: return cycle_list_field(NY_LETTERS, &f.choice, 0, CHOICE_WIDTH);
    default: return KEY_DOWN;
  }
}

void show_form() {
  skip_field_display();
  show_layer_range_rows(g_form.layers);
  show_choice_value(NO_YES, g_form.choice != 0 ? 1 : 0, CHOICE_WIDTH);
  draw_ok_cancel();
}

EventCode separate_field() {
  const EventCode result = edit_current_field(edit_row);
  show_every_field(show_form);
  return end_field_handler(result);
}

bool splittable_type(uint8_t type) {
  switch (type) {
    case ITEM_POLYLINE: case ITEM_CIRCLE: case ITEM_POINT: case ITEM_POLYGON:
    case ITEM_RECTANGLE: case ITEM_SLOT: case ITEM_ROUNDED_RECTANGLE:
      return true;
    default: return false;
  }
}

int separate_walk(int first_layer, int last_layer, bool all_types,
                  void (*release)(DrawingItem*)) {
  int pieces = 0;
  DrawingItem* item = g_lists.current.last;
  while (item != nullptr) {
    DrawingItem* previous = item->prev;
    const uint8_t type = item_type(item);
    const bool taken = item_block(item) != nullptr &&
                       (item_flags(item) & ITEM_FLAG_SELECTED) != 0 &&
                       (all_types ? type < FIRST_TEXT_TYPE : type == ITEM_POLYLINE) &&
                       item_layer(item) >= first_layer && item_layer(item) <= last_layer;
    if (taken) {
      const int made = separate_links(item);
      if (made > 0) {
        pieces += made;
        if (release != nullptr) release(item);
        else delete_line(item);
      }
    }
    item = previous;
  }
  return pieces;
}

}  // namespace

int separate_polylines(int first_layer, int last_layer, void (*release)(DrawingItem*)) {
  return separate_walk(first_layer, last_layer, false, release);
}

int separate_command() {
  CommandStartState& state = g_command_start;
  load_layer_range(&g_form.layers);
  g_form.choice = state.separate_choice;
  g_field.next_label_width = widest_form_label(MSG_FORM_SEPARATE);
  if (run_dialog(MSG_FORM_SEPARATE, separate_field) != 1) return 0;
  store_layer_range(g_form.layers);
  state.separate_choice = g_form.choice;
  // Y takes every item type below text; N polylines alone.
  const int pieces = separate_walk(state.join_first_layer, state.join_last_layer,
                                   g_form.choice != 0, move_to_originals);
  if (pieces > 0) {
    undo_record_replaced(pieces, 1);
    char text[64];
    std::snprintf(text, sizeof text, SEPARATED_TEXT, pieces);
    show_text_box(text, SEPARATED_FLAGS);
  } else {
    show_text_box(NOTHING_TEXT, NOTHING_FLAGS);
  }
  return pieces;
}

int separate_marked_items() {
  const uint8_t mask = g_edit.selection_mask;
  int total = 0;
  DrawingItem* item = g_lists.current.last;
  while (item != nullptr) {
    DrawingItem* previous = item->prev;
    if (item_block(item) != nullptr && (item_flags(item) & ITEM_FLAG_SELECTED) != 0 &&
        (item_flags(item) & mask) != 0 && splittable_type(item_type(item))) {
      const int made = separate_links(item);
      if (made > 0) {
        delete_line(item);
        total += made;
        DrawingItem* piece = g_lists.current.last;
        for (int k = 0; k < made && piece != nullptr; ++k, piece = piece->prev) {
          uint8_t flags = item_flags(piece);
          if ((mask & ITEM_FLAG_WORKING) != 0) flags |= ITEM_FLAG_WORKING;
          if ((mask & ITEM_FLAG_MARKED) != 0) flags |= ITEM_FLAG_MARKED;
          set_item_flags(piece, flags);
        }
      }
    }
    item = previous;
  }
  return total;
}
