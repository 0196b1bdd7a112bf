#include "cam/machining_order.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>

#include "cam/machining_block.h"
#include "geometry/drawing_item.h"
#include "records/job_settings.h"
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

namespace {

// The highest group a re-sequence hands out, and where its temporary numbers start.
constexpr int GROUP_CEILING = 32000;

bool takes_part_in_groups(const TextLine* item) {
  if (!takes_part(item)) return false;
  const GeometryBlock* block = item_block(item);
  return !(block_machining_group(block) == 0 && block_cam_op(block) == CAM_OP_ISLAND);
}

void set_group(TextLine* item, int group) {
  CamParams params;
  GeometryBlock* block = item_block(item);
  if (!get_block_cam(block, &params)) return;
  params.machining_group = static_cast<int16_t>(group);
  put_block_cam(block, params);
}

}  // namespace

int space_machining_groups(int step) {
  const uint8_t keep_ids = g_lists.keep_ids;
  g_lists.keep_ids = 1;
  sort_list(compare_machining_order);
  g_lists.keep_ids = keep_ids;
  // From the last item back: temporary numbers below the ceiling, one per group.
  int counter = GROUP_CEILING;
  bool first = true;
  int previous = 0;
  for (TextLine* item = g_lists.current.last; item != nullptr; item = item->prev) {
    if (!takes_part_in_groups(item)) continue;
    const int group = block_machining_group(item_block(item));
    if (first || group != previous) --counter;
    first = false;
    previous = group;
    set_group(item, counter);
  }
  const int groups = GROUP_CEILING - counter;
  step = groups == 0 ? 1 : std::min(step, GROUP_CEILING / groups);
  if (step < 1) step = 1;
  int sum = 0;
  first = true;
  for (TextLine* item = g_lists.current.first; item != nullptr; item = item->next) {
    if (!takes_part_in_groups(item)) continue;
    const int group = block_machining_group(item_block(item));
    if (first || group != previous) sum += step;
    first = false;
    previous = group;
    set_group(item, sum);
  }
  g_job_settings.job_changed |= JOB_CHANGED_GROUPS;
  g_job_settings.nc_state = 0;
  return sum / step;
}

void insert_in_order(TextLine* item, int n) {
  if (n == 0) n = 1;
  const int group = block_machining_group(item_block(item));
  for (TextLine* other = g_lists.current.first; other != nullptr; other = other->next) {
    if (other == item || !takes_part(other)) continue;
    GeometryBlock* block = item_block(other);
    CamParams params;
    if (!get_block_cam(block, &params) || params.machining_group != group) continue;
    if (params.machining_order < n) continue;
    ++params.machining_order;
    put_block_cam(block, params);
  }
  CamParams params;
  if (get_block_cam(item_block(item), &params)) {
    params.machining_order = static_cast<int16_t>(n);
    put_block_cam(item_block(item), params);
  }
  mark_job_changed();
}

namespace {

std::string format_info(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string format_info(const char* format, ...) {
  char text[512];
  va_list args;
  va_start(args, format);
  std::vsnprintf(text, sizeof text, format, args);
  va_end(args);
  return text;
}

const char* operation_name(uint8_t op) {
  return op < CAM_NAME_COUNT ? CAM_OPERATION_NAMES[op] : "";
}

}  // namespace

std::string cam_info_text(TextLine* item) {
  GeometryBlock* block = item_block(item);
  CamParams p;
  if (block == nullptr || block->cam_kind == GEOMETRY_KIND_DRAWING_AID ||
      !get_block_cam(block, &p) || p.operation == CAM_OP_DRAWING_AID)
    return "This item is\na drawing aid.";
  const CamToolBlock& fin = p.finishing;
  const CamToolBlock& rough = p.roughing;
  if (item_type(item) == ITEM_POINT)
    return format_info("CAM op: \vDrill\nMachining group: \v%d\n       Sequence: \f%d\n\n   Tool number: \v%d\n         Depth: \v%.4f\n",
                       p.machining_group, p.machining_order, fin.tool_number, fin.cut_depth);
  if (p.operation == CAM_OP_ISLAND) {
    if (p.machining_group != 0) return format_info("\fThis is an Island\n\nMachining group: \v%d\n", p.machining_group);
    return "\fThis is an Island\n\nIt doesn't belong to\nany machining group.\n";
  }
  if (p.operation == CAM_OP_CENTERLINE)
    return format_info("CAM op: \vCut Centerline\nMachining group: \v%d\nMachining order: \f%d\n\n   Tool number: \v%d\n Cutting width: \v%.4f\n\n  Z at surface: \v%.4f\n  Cutting depth: \v%.4f\n   Rapid height: \v%.4f\n",
                       p.machining_group, p.machining_order, fin.tool_number, fin.cut_width,
                       p.surface_z, fin.cut_depth, p.rapid_height);
  const char* name = operation_name(p.operation);
  if (rough.tool_number != 0 && fin.tool_number != 0)
    return format_info("CAM op: \v%s\nMachining group: \v%d\nMachining order: \f%d\n\n Finishing Tool: \v%d\n  Roughing Tool: \v%d\n\n   Z at surface: \v%.4f\n  Cutting depth: \v%.4f\n   Rapid height: \v%.4f\n",
                       name, p.machining_group, p.machining_order, fin.tool_number,
                       rough.tool_number, p.surface_z, fin.cut_depth, p.rapid_height);
  if (rough.tool_number != 0)
    return format_info("CAM op: \v%s\nMachining group: \v%d\nMachining order: \f%d\n\n\n\n\n  Roughing Tool: \v%d\n\n   Z at surface: \v%.4f\n  Cutting depth: \v%.4f\n   Rapid height: \v%.4f\n",
                       name, p.machining_group, p.machining_order, rough.tool_number,
                       p.surface_z, rough.cut_depth, p.rapid_height);
  return format_info("CAM op: \f%s\nMachining group: \v%d\n\n Finishing Tool: \v%d\n  Cutting width: \v%.4f\n\n\n\n   Z at surface: \v%.4f\n  Cutting depth: \v%.4f\n   Rapid height: \v%.4f\n",
                     name, p.machining_group, fin.tool_number, fin.cut_width, p.surface_z,
                     fin.cut_depth, p.rapid_height);
}
