#include "job/job_open.h"

#include "geometry/drawing_item.h"
#include "geometry/geometry2d.h"
#include "job/job_file.h"
#include "records/job_settings.h"
#include "store/line_list.h"

int load_job_file(const std::string& path, const char* failure_format) {
  const int result = read_job_file(path, failure_format);
  if (result == 0) settle_read_items();
  return result;
}

void settle_read_items() {
  for (TextLine* item = g_lists.current.first; item != nullptr; item = item->next) {
    if (item_type(item) == 0) continue;
    refit_item_arcs(item);
    item_bounding_boxes(item);
  }
  renumber_items();
}

void renumber_items() {
  int32_t count = 0;
  for (TextLine* item = g_lists.current.first; item != nullptr; item = item->next)
    set_item_id(item, ++count);
  g_job_settings.item_id_counter = count;
}
