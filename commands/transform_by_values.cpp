#include "commands/transform_by_values.h"

#include "commands/move_nodes.h"
#include "commands/transform_form.h"
#include "editor/draw_style.h"
#include "editor/drawing_commands.h"
#include "editor/drawing_page_state.h"
#include "editor/edit_session.h"
#include "editor/hover_state.h"
#include "editor/point_picking.h"
#include "editor/undo_store.h"
#include "screen/pointer.h"
#include "store/line_list.h"
#include "store/message_ids.h"
#include "ui/message_box.h"
#include "ui/picture_menu.h"

namespace {

constexpr int PICTURE_MIRROR_MENU = 189;
constexpr int PICTURE_COPY_OR_MOVE_MENU = 190;
constexpr int PICTURE_ROTATE_MENU = 191;
constexpr int MIRROR_MENU_HEADER = 25;
constexpr int COPY_OR_MOVE_MENU_HEADER = 35;
constexpr int ROTATE_MENU_HEADER = 22;
constexpr int CELL_BY_VALUES = 0;
constexpr int CHOICE_CANCELLED = 27;

// The cells last chosen, preselected the next time.
struct TransformMenuMemory {
  int move_cell = 0;    // picture menu 190
  int mirror_cell = 0;  // picture menu 189
  int rotate_cell = 0;  // picture menu 191
};
TransformMenuMemory g_menu_memory;

// One row of cells at the pointer; -1 cancelled.
int one_row_menu(int picture, int cells, int header, int* remembered) {
  const int cell = picture_grid_menu(picture, 1, cells, g_pointer.wanted_x, g_pointer.wanted_y, 0,
                                     header, *remembered);
  if (cell < 0 || cell >= cells) return -1;
  *remembered = cell;
  return cell;
}

// The copies restore_original_copies put at the front of the drawing go again.
void delete_front_copies(int count) {
  DrawingItem* item = g_lists.current.first;
  for (int i = 0; i < count && item != nullptr; ++i) {
    draw_item_in_colour(item, COLOUR_ERASE);
    item = delete_line(item);
  }
}

// The working copies stand in for the originals: one undo step.
void commit_move() {
  undo_push(UNDO_CHANGED);
  edit_commit(EDIT_COMMIT_MOVE);
  edit_finish();
}

// COPY and MIRROR: the form over the working copies while copies of the originals stand in
// view. Accepted, the working copies are added as new items in one undo step; a mirror that
// replaces its originals is committed as a move. The form's result.
int form_over_kept_originals(DrawingItem* alone, int mode) {
  if (edit_begin(alone, 1) < 0) return TRANSFORM_CANCELLED;
  const int restored = restore_original_copies();
  redraw_kept_originals();
  const int result = value_transform_form(mode);
  delete_front_copies(restored);
  if (result > 0) {
    commit_move();
  } else if (result == 0) {
    // The commit gives the copies their own IDs; the form set their machining order.
    const int copies = count_working_set();
    edit_finish();
    edit_commit(EDIT_COMMIT_COPY);
    undo_record_added(copies);
  }
  edit_cancel();
  g_drawing_page.full_redraw = 1;
  return result;
}

// ROTATE and SCALE: the form over copies of the originals kept in view, committed as a move.
void transform_in_place(int mode) {
  if (edit_begin(nullptr, 1) < 0) return;
  const int restored = restore_original_copies();
  redraw_kept_originals();
  const int result = value_transform_form(mode);
  delete_front_copies(restored);
  if (result >= 0) commit_move();
  g_drawing_page.full_redraw = 1;
}

}  // namespace

int move_by_points_or_values(int how) {
  HoverState& h = g_hover;
  const uint16_t pick_mode = h.pick_mode;
  const bool items = (g_edit.selection_mask & (ITEM_FLAG_MARKED | ITEM_FLAG_WORKING)) != 0;
  if (items && how != 0) {
    const int cell = one_row_menu(PICTURE_COPY_OR_MOVE_MENU, 2, COPY_OR_MOVE_MENU_HEADER,
                                  &g_menu_memory.move_cell);
    if (cell < 0) return 0;
    if (cell == CELL_BY_VALUES) {
      if (edit_begin(nullptr, 1) < 0) return 0;
      h.pick_mode = PICK_MODE_ITEMS;
      for (DrawingItem* o = first_original(); o != nullptr; o = o->next)
        draw_item_in_colour(o, item_layer(o));
      if (value_transform_form(TRANSFORM_MOVE) >= 0) commit_move();
      edit_cancel();
      h.pick_mode = pick_mode;
      g_drawing_page.full_redraw = 1;
      return 0;
    }
  }
  // From a point to a point, or dragged from the pick point.
  if (edit_begin(nullptr, 1) < 0) return 0;
  PointF start{};
  hover_point(&start);
  int result = PLACE_DONE;
  if (items) {
    h.pick_mode = PICK_MODE_ITEMS;
    if (how != 0) result = pick_move_start(&start, true);
    if (result == PLACE_DONE) result = pick_move_destination(start);
  } else {
    if (how == 1) result = pick_move_start(&start, false);
    if (result == PLACE_DONE)
      result = drag_marked_nodes(start, how == 98 ? NODE_MOVE_TO_POINT : NODE_MOVE_BY_VECTOR) ==
                       KEY_ESC
                   ? PLACE_CANCELLED
                   : PLACE_DONE;
  }
  if (result == PLACE_DONE) commit_move();
  edit_cancel();
  h.pick_mode = pick_mode;
  g_drawing_page.full_redraw = 1;
  return 0;
}

int copy_or_move_menu() {
  return one_row_menu(PICTURE_COPY_OR_MOVE_MENU, 2, COPY_OR_MOVE_MENU_HEADER,
                      &g_menu_memory.move_cell);
}

int copy_items_by_values() {
  return form_over_kept_originals(nullptr, TRANSFORM_COPY) == TRANSFORM_ACCEPTED ? 0 : 27;
}

int mirror_by_values_command(int keep_colour) {
  (void)keep_colour;  // the preview is always drawn with the XOR pen here
  HoverState& h = g_hover;
  const int cell = one_row_menu(PICTURE_MIRROR_MENU, 3, MIRROR_MENU_HEADER,
                                &g_menu_memory.mirror_cell);
  if (cell < 0) return 0;
  DrawingItem* alone = h.hover_item != nullptr && g_edit.selection_mask != ITEM_FLAG_WORKING
                           ? h.hover_item
                           : nullptr;
  form_over_kept_originals(alone, TRANSFORM_MIRROR_VERTICAL << cell);
  return 0;
}

int rotate_by_values_command() {
  HoverState& h = g_hover;
  const int cell = one_row_menu(PICTURE_ROTATE_MENU, 3, ROTATE_MENU_HEADER,
                                &g_menu_memory.rotate_cell);
  if (cell < 0) return 0;
  const uint16_t pick_mode = h.pick_mode;
  transform_in_place(TRANSFORM_ROTATE << cell);
  edit_cancel();
  h.pick_mode = pick_mode;
  return 0;
}

int scale_by_values_command() {
  const int choice = ask_catalogue_choice(MSG_CHOICE_SCALE_BY, 0);
  if (choice == CHOICE_CANCELLED || choice < 0 || choice > 2) return 0;
  transform_in_place(TRANSFORM_SCALE << choice);
  g_drawing_page.extents_request = 1;
  edit_cancel();
  return 0;
}

void reset_transform_menu_memory() { g_menu_memory = TransformMenuMemory{}; }
