#include "cam/machining_groups.h"

#include "cam/machining_block.h"
#include "geometry/layers.h"
#include "store/line_list.h"

namespace {

bool machinable(const DrawingItem* item) {
  const GeometryBlock* block = item_block(item);
  return block != nullptr && block->cam_kind != GEOMETRY_KIND_DRAWING_AID;
}

void set_group(DrawingItem* item, int16_t group) {
  GeometryBlock* block = item_block(item);
  CamParams params;
  if (!get_block_cam(block, &params)) return;
  params.machining_group = group;
  put_block_cam(block, params);
}

}  // namespace

int set_group_on_items(uint8_t mask, int16_t group) {
  int count = 0;
  for (DrawingItem* item = g_lists.current.first; item != nullptr; item = item->next) {
    if ((item_flags(item) & mask) == 0 || !machinable(item)) continue;
    const GeometryBlock* block = item_block(item);
    if (g_layers.visibility[block->layer] == 0) continue;
    if (item_type(item) >= ITEM_TEXT_LIKE && block_cam_op(block) == CAM_OP_DRAWING_AID) continue;
    set_group(item, group);
    ++count;
  }
  return count;
}

int select_group_items(int16_t group) {
  int count = 0;
  for (DrawingItem* item = g_lists.current.first; item != nullptr; item = item->next) {
    uint8_t flags = static_cast<uint8_t>(item_flags(item) & ~ITEM_FLAG_WORKING);
    if (machinable(item) && block_machining_group(item_block(item)) == group) {
      flags |= ITEM_FLAG_WORKING;
      ++count;
    }
    set_item_flags(item, flags);
  }
  return count;
}

int move_flagged_items_to_group(int16_t group) {
  int count = 0;
  for (DrawingItem* item = g_lists.current.first; item != nullptr; item = item->next) {
    if ((item_flags(item) & ITEM_FLAG_WORKING) == 0 || !machinable(item)) continue;
    set_group(item, group);
    ++count;
  }
  return count;
}

void clear_group_flags() {
  for (DrawingItem* item = g_lists.current.first; item != nullptr; item = item->next)
    set_item_flags(item, static_cast<uint8_t>(item_flags(item) & ~ITEM_FLAG_WORKING));
}

int item_machining_group(const DrawingItem* item) {
  if (item == nullptr || !machinable(item)) return -1;
  const GeometryBlock* block = item_block(item);
  if (block_cam_op(block) == CAM_OP_DRAWING_AID) return -1;
  return block_machining_group(block);
}
