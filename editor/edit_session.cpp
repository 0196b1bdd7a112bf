#include "editor/edit_session.h"

#include "editor/draw_style.h"
#include "editor/marks.h"
#include "editor/render.h"
#include "editor/undo_store.h"
#include "geometry/geometry2d.h"
#include "records/job_settings.h"
#include "records/preferences.h"
#include "screen/pointer.h"
#include "store/line_list.h"
#include "store/record_bytes.h"
#include "text/text_layout.h"
#include "text/truetype_outline.h"

EditSession g_edit;

namespace {

// The pointer picture of the tool-path drawing command, which shows its items while it edits.
constexpr int16_t POINTER_TOOL_PATHS = 89;
// Byte offset of the machining order in an item's machining block.
constexpr size_t CAM_ORDER_OFFSET = 8;
// Machining orders of a session's items start here, above every order the user gives.
constexpr int16_t SESSION_ORDER_BASE = 10000;

LineList& originals() { return g_lists.slots[LIST_SLOT_EDIT_ORIGINALS]; }

// Unlinks a node from a list given by its ends.
void unlink_from(LineList& list, TextLine* node) {
  if (node->prev != nullptr) node->prev->next = node->next;
  else list.first = node->next;
  if (node->next != nullptr) node->next->prev = node->prev;
  else list.last = node->prev;
  node->prev = node->next = nullptr;
}

void append_to(LineList& list, TextLine* node) {
  node->prev = list.last;
  node->next = nullptr;
  if (list.last != nullptr) list.last->next = node;
  else list.first = node;
  list.last = node;
}

// Unlinks an item from the drawing (the current list), keeping the window's lines valid.
void unlink_from_drawing(DrawingItem* item) {
  if (g_lists.cursor_line == item) g_lists.cursor_line = item->next != nullptr ? item->next : item->prev;
  if (g_lists.block_start == item) g_lists.block_start = nullptr;
  if (g_lists.block_end == item) g_lists.block_end = nullptr;
  unlink_from(g_lists.current, item);
}

bool is_working_copy(const DrawingItem* item, const DrawingItem* first_copy) {
  return first_copy != nullptr && item == first_copy;
}

}  // namespace

void set_item_machining_order(DrawingItem* item, int16_t order) {
  uint8_t* cam = block_cam_params(item_block(item));
  if (cam != nullptr) put_i16_le(cam + CAM_ORDER_OFFSET, order);
}

void draw_item_in_colour(DrawingItem* item, int16_t colour) {
  g_draw_style.draw_colour = colour;
  hide_pointer();
  draw_item(item, 0);
}

// ---- opening and closing ----

int edit_begin(DrawingItem* item, int keep_originals) {
  EditSession& e = g_edit;
  e.command_mark = EDIT_COMMAND_OPEN;
  e.current_link = nullptr;
  // Originals left by a command that ended without committing or cancelling would be lost with
  // the list's ends; they are freed here, never forgotten.
  discard_originals();
  e.working_set = nullptr;
  int taken = 0;
  DrawingItem* next = item != nullptr ? item : g_lists.current.first;
  while (next != nullptr && !is_working_copy(next, e.working_set)) {
    DrawingItem* candidate = next;
    next = item != nullptr ? nullptr : candidate->next;
    if (item == nullptr && (item_flags(candidate) & e.selection_mask) == 0) continue;
    if (candidate->kind == 0 || candidate->extra.empty()) continue;
    if (copy_item_with_extra_links(candidate, 0) != 0) break;
    if (e.working_set == nullptr) e.working_set = g_lists.current.last;
    ++taken;
    if (keep_originals != 0) {
      move_to_originals(candidate);
    } else {
      move_line_after(candidate, nullptr);
    }
  }
  if (taken == 0) {
    e.command_mark = 0;
    return -1;
  }
  g_truetype.editing = true;
  if (keep_originals != 0) draw_working_set(COLOUR_ERASE);
  xor_draw_working_set();
  return taken;
}

void edit_commit(int mode) {
  mark_job_changed();
  if (originals().first == nullptr) return;
  if (mode != EDIT_COMMIT_COPY) {
    store_originals_for_undo();
    return;
  }
  for (DrawingItem* copy = g_edit.working_set; copy != nullptr; copy = copy->next)
    set_item_id(copy, ++g_job_settings.item_id_counter);
  while (DrawingItem* original = originals().first) {
    unlink_from(originals(), original);
    set_item_flags(original, ITEM_FLAG_SELECTED);
    clear_item_node_marks(original, 0);
    DrawingItem* before = g_edit.working_set != nullptr ? g_edit.working_set->prev
                                                        : g_lists.current.last;
    if (before == nullptr) {
      original->next = g_lists.current.first;
      original->prev = nullptr;
      if (g_lists.current.first != nullptr) g_lists.current.first->prev = original;
      else g_lists.current.last = original;
      g_lists.current.first = original;
    } else {
      original->prev = before;
      original->next = before->next;
      if (before->next != nullptr) before->next->prev = original;
      else g_lists.current.last = original;
      before->next = original;
    }
  }
}

void edit_finish() {
  g_edit.command_mark = 0;
  const DrawingOptions& o = g_preferences.drawing;
  const bool show = o.show_tool_paths != 0 &&
                    ((g_job_settings.job_changed & JOB_CHANGED) == 0 ||
                     g_lists.slots[LIST_SLOT_TOOL_PATHS].first == nullptr ||
                     g_pointer.shape == POINTER_TOOL_PATHS);
  for (DrawingItem* item = g_edit.working_set; item != nullptr; item = item->next) {
    if (item->extra.empty()) continue;
    refit_item_arcs(item);
    item_bounding_boxes(item);
    if (item_type(item) > ITEM_LAST_GEOMETRY_TYPE) text_layout_from_frame(item);
    set_item_flags(item, item_flags(item) | ITEM_FLAG_SELECTED);
    if (show) draw_item_in_colour(item, item_layer(item));
  }
}

void edit_cancel() {
  EditSession& e = g_edit;
  const bool open = edit_session_open();
  e.command_mark = 0;
  UndoStore& u = g_undo;
  LineList& store = undo_list();
  if (u.current != nullptr && u.current == store.last) {
    const uint8_t kind = undo_record_kind(u.current);
    if (kind != UNDO_ADDED && kind != UNDO_DELETED && kind != UNDO_REPLACED_ONE &&
        kind != UNDO_REPLACED) {
      TextLine* empty = u.current;
      TextLine* before = empty->prev;
      while (before != nullptr && !is_undo_record(before)) before = before->prev;
      unlink_from(store, empty);
      free_list(empty);
      u.current = before;
      --u.step_count;
    }
  }
  // A copy session keeps its originals in the drawing, so its working copies must go too: they
  // carry the originals' IDs. After edit_finish the copies are the drawing's own.
  if (open) free_working_set();
  while (DrawingItem* original = originals().first) {
    unlink_from(originals(), original);
    draw_item_in_colour(original, item_layer(original));
    if ((item_flags(original) & ITEM_FLAG_MARKED) != 0) draw_item_in_colour(original, COLOUR_MARKED);
    append_to(g_lists.current, original);
  }
  g_truetype.editing = false;
}

// ---- originals ----

void store_originals_for_undo() {
  DrawingItem* first = originals().first;
  if (first == nullptr) return;
  LineList& store = undo_list();
  if (item_id(first) == 0 || g_undo.current == nullptr || g_undo.current != store.last) {
    discard_originals();
    return;
  }
  for (DrawingItem* o = first; o != nullptr; o = o->next) clear_item_marks(o);
  TextLine* last = originals().last;
  store.last->next = first;
  first->prev = store.last;
  store.last = last;
  originals() = LineList{};
}

int restore_original_copies() {
  int count = 0;
  for (DrawingItem* o = originals().first; o != nullptr; o = o->next) {
    if (copy_item_with_extra_links(o, 0) != 0) break;
    move_line_after(g_lists.current.last, nullptr);
    ++count;
  }
  return count;
}

void move_to_originals(DrawingItem* item) {
  unlink_from_drawing(item);
  append_to(originals(), item);
}

void keep_original(DrawingItem* item) {
  if (copy_item_with_extra_links(item, 0) != 0) return;
  DrawingItem* copy = g_lists.current.last;
  unlink_from(g_lists.current, copy);
  append_to(originals(), copy);
}

void discard_originals() {
  if (originals().first != nullptr) free_list(originals().first);
  originals() = LineList{};
}

DrawingItem* first_original() { return originals().first; }

// ---- the working set ----

void redraw_kept_originals() {
  DrawingItem* front = g_lists.current.first;
  for (DrawingItem* copy = g_edit.working_set; copy != nullptr && front != nullptr;
       copy = copy->next, front = front->next) {
    set_item_flags(front, item_flags(front) & 0xF1);
    clear_item_node_marks(front, 0);
    draw_item_in_colour(front, item_layer(front));
  }
}

void relayout_session_texts() {
  for (DrawingItem* item = g_edit.working_set; item != nullptr; item = item->next)
    if (item_type(item) > ITEM_LAST_GEOMETRY_TYPE) text_layout_from_frame(item);
}

void renumber_session_order() {
  int16_t order = SESSION_ORDER_BASE;
  for (DrawingItem* item = g_edit.working_set; item != nullptr; item = item->next) {
    GeometryBlock* block = item_block(item);
    if (item_type(item) == 0 || block == nullptr || block->cam_kind == 0) continue;
    set_item_machining_order(item, order++);
    g_edit.order_changed = 1;
  }
}

void free_working_set() {
  DrawingItem* item = g_edit.working_set;
  g_edit.working_set = nullptr;
  while (item != nullptr) item = delete_line(item);
}

void draw_working_set(int16_t colour) {
  for (DrawingItem* item = g_edit.working_set; item != nullptr; item = item->next)
    draw_item_in_colour(item, colour);
}

void xor_draw_working_set() { draw_working_set(COLOUR_EDITING); }

int count_working_set() {
  int n = 0;
  for (DrawingItem* item = g_edit.working_set; item != nullptr; item = item->next) ++n;
  return n;
}

void reset_edit_session() {
  discard_originals();
  g_edit = EditSession{};
}
