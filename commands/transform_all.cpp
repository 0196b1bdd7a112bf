#include "commands/transform_all.h"

#include "geometry/drawing_item.h"
#include "geometry/item_motion.h"
#include "records/job_settings.h"
#include "store/line_list.h"

void rotate_all_items(float angle, int all) {
  const PointF centre = g_transform_all.transform_centre;
  for (DrawingItem* item = g_lists.current.first; item != nullptr; item = item->next) {
    if (item_type(item) == 0 || item_block(item) == nullptr) continue;
    if (all == 0 && (item_flags(item) & ITEM_FLAG_SELECTED) == 0) continue;
    rotate_item(item, &centre, angle);
    item_bounding_boxes(item);
  }
  mark_job_changed();
}
