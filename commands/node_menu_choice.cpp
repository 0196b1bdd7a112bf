#include "commands/node_menu_choice.h"

#include "editor/drawing_commands.h"
#include "store/line_list.h"

int apply_node_menu_choice(DrawingItem* item, int32_t link_index, int choice) {
  if (item == nullptr || item->extra.empty()) return 0;
  if (choice == NODE_MENU_FLEXIBLE_LINE) {
    if (link_index < 0 || link_index >= item_link_count(item)) return 0;
    LinkRecord* link = item_nodes(item) + link_index;
    link->code = LINK_FLEXIBLE_LINE;
    link->sweep = 0.0f;
    link_bounding_box(link);
    return 0;
  }
  if (choice == NODE_MENU_PLAIN_POLYLINE) {
    make_plain_polyline(item);
    return 0;
  }
  show_missing_command_notice();
  return 0;
}

int snap_drag_to_crossing() { return 0; }
