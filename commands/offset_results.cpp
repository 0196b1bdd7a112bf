// The offsets the OFFSET panel asks for: whole items and single links by a value, each one
// undo step; nothing is left behind when the engine makes nothing.
#include <cmath>

#include "commands/offset_command.h"
#include "editor/draw_style.h"
#include "editor/edit_session.h"
#include "geometry/contour_offset.h"
#include "geometry/geometry2d.h"
#include "geometry/item_edit_state.h"
#include "records/job_settings.h"
#include "store/line_list.h"
#include "editor/undo_store.h"

namespace {

// Deletes every item after `last` (the results of a failed offset).
void delete_after(DrawingItem* last) {
  for (DrawingItem* i = g_lists.current.last; i != nullptr && i != last;) {
    DrawingItem* prev = i->prev;
    delete_line(i);
    i = prev;
  }
}

// The items after `last`, each with a new ID and drawn; their number.
int finish_results(DrawingItem* last) {
  int made = 0;
  DrawingItem* first = last != nullptr ? last->next : g_lists.current.first;
  for (DrawingItem* i = first; i != nullptr; i = i->next) {
    set_item_id(i, ++g_job_settings.item_id_counter);
    draw_item_in_colour(i, item_layer(i));
    ++made;
  }
  return made;
}

int corner_flags() { return g_offset.cam_type ? OFFSET_ROUND : 0; }

}  // namespace

int offset_item_by_value(DrawingItem* item, float distance) {
  if (item == nullptr || item->extra.empty() || distance == 0.0f) return -1;
  DrawingItem* last = g_lists.current.last;
  // A text item always gets the rounded offset of the tool path.
  const int flags = item_is_text(item) ? OFFSET_ROUND : corner_flags();
  int result = offset_item(item, distance, flags);
  if (result == OFFSET_ITEM_DONE && g_offset.both_sides)
    result = offset_item(item, -distance, flags);
  if (result != OFFSET_ITEM_DONE || g_lists.current.last == last) {
    delete_after(last);
    return -1;
  }
  const int made = finish_results(last);
  if (g_offset.delete_original) {
    draw_item_in_colour(item, COLOUR_ERASE);
    move_to_originals(item);
  }
  undo_record_replaced(made, first_original() != nullptr ? 1 : 0);
  mark_job_changed();
  return 0;
}

int offset_new_links(DrawingItem* item, const LinkRecord* link, float distance) {
  if (item == nullptr || link == nullptr) return 0;
  DrawingItem* last = g_lists.current.last;
  for (const float d : {distance, -distance}) {
    LinkRecord buffer[2] = {};
    if (offset_link(link, d, buffer) == 0) {
      buffer[0].node_flags = NODE_FIRST;
      buffer[1].node_flags = NODE_CLOSING;
      arc_angles_from_points(buffer);
      link_bounding_box(buffer);
      buffer[0].node_number = ++g_item_edit.node_counter;
      buffer[1].node_number = ++g_item_edit.node_counter;
      if (new_geometry_block("", buffer, 1, g_item_edit.new_item_layer,
                             GEOMETRY_KIND_DRAWING_AID) == 0)
        set_item_type(g_lists.current.last, ITEM_POLYLINE);
    }
    if (!g_offset.both_sides) break;
  }
  const int made = finish_results(last);
  if (made > 0) {
    undo_record_added(made);
    mark_job_changed();
  }
  return made;
}

int offset_current_link(float distance) {
  NodeContext& c = g_edit.node;
  if (c.item == nullptr) return -1;
  LinkRecord* r = item_nodes(c.item);
  const int32_t n = item_link_count(c.item);
  const int32_t k = c.link_index;
  if (k < 0 || k >= n || offset_link(&r[k], distance, &r[k]) != 0) return -1;
  arc_angles_from_points(&r[k]);
  link_bounding_box(&r[k]);
  // The neighbours share the moved nodes; a closed item's first node is its closing node too.
  const bool closed = (r[0].node_flags & NODE_KIND_MASK) != 0;
  if (closed && k == n - 1) r[0].point = r[n].point;
  if (closed && k == 0) r[n].point = r[0].point;
  int32_t neighbours[2] = {k - 1, k + 1};
  if (closed && neighbours[0] < 0) neighbours[0] = n - 1;
  if (closed && neighbours[1] >= n) neighbours[1] = 0;
  for (const int32_t i : neighbours) {
    if (i < 0 || i >= n || i == k) continue;
    // An arc beside it keeps its ends and takes the centre that fits them.
    if (code_is_arc(r[i].code) && r[i].sweep >= 0.0f) refit_arc(&r[i]);
    link_bounding_box(&r[i]);
  }
  return 0;
}
