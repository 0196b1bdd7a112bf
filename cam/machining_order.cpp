#include "cam/machining_order.h"

#include "cam/machining_block.h"
#include "geometry/drawing_item.h"
#include "store/line_list.h"

namespace {

// Selected, of a type, with a machining block: the items that take part in machining order.
bool takes_part(const TextLine* item) {
  if ((item_flags(item) & ITEM_FLAG_SELECTED) == 0 || item_type(item) == 0) return false;
  const GeometryBlock* block = item_block(item);
  return block != nullptr && block->cam_kind != GEOMETRY_KIND_DRAWING_AID;
}

int compare_numbers(int a, int b) { return a < b ? -1 : (a > b ? 1 : 0); }

int compare_group_and_order(const TextLine* a, const TextLine* b) {
  const GeometryBlock* block_a = item_block(a);
  const GeometryBlock* block_b = item_block(b);
  const int by_group =
      compare_numbers(block_machining_group(block_a), block_machining_group(block_b));
  if (by_group != 0) return by_group;
  return compare_numbers(block_machining_order(block_a), block_machining_order(block_b));
}

bool text_without_operation(const TextLine* item) {
  return item_type(item) >= ITEM_TEXT_LIKE && block_cam_op(item_block(item)) == CAM_OP_DRAWING_AID;
}

}  // namespace

int compare_machining_order(const TextLine* a, const TextLine* b) {
  const bool in_a = takes_part(a), in_b = takes_part(b);
  if (!in_a || !in_b) return compare_numbers(in_a ? 1 : 0, in_b ? 1 : 0);
  return compare_group_and_order(a, b);
}

int compare_direct_items(const TextLine* a, const TextLine* b) {
  return compare_group_and_order(a, b);
}

int renumber_machining_order() {
  for (TextLine* item = g_lists.current.first; item != nullptr; item = item->next) {
    if (!takes_part(item)) continue;
    GeometryBlock* block = item_block(item);
    CamParams params;
    if (!get_block_cam(block, &params)) continue;
    if (params.machining_group != 0 || params.operation == CAM_OP_ISLAND) continue;
    params.machining_group = MACHINING_GROUP_DEFAULT;
    put_block_cam(block, params);
  }
  const uint8_t keep_ids = g_lists.keep_ids;
  g_lists.keep_ids = 1;
  sort_list(compare_machining_order);
  g_lists.keep_ids = keep_ids;
  int numbered = 0;
  int counter = 0;
  int previous_group = 0;
  bool first = true;
  for (TextLine* item = g_lists.current.first; item != nullptr; item = item->next) {
    if (!takes_part(item) || text_without_operation(item)) continue;
    GeometryBlock* block = item_block(item);
    CamParams params;
    if (!get_block_cam(block, &params) || params.machining_group == 0) continue;
    if (first || params.machining_group != previous_group) counter = 0;
    first = false;
    previous_group = params.machining_group;
    params.machining_order = static_cast<int16_t>(++counter);
    put_block_cam(block, params);
    ++numbered;
  }
  return numbered;
}
