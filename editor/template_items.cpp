#include "editor/template_items.h"

#include <cstring>
#include <string>

#include "geometry/drawing_item.h"
#include "import/import_drawing.h"
#include "records/job_settings.h"

void load_template_items() {
  if (g_import.template_items.first != nullptr) return;
  const char* path = g_job_settings.template_path;
  if (static_cast<unsigned char>(path[0]) <= ' ') return;  // no template named
  if (load_template_file(std::string(path, strnlen(path, JOB_TEMPLATE_PATH_SIZE))) <= 0) return;
  const PointF offset{g_job_settings.template_offset[0], g_job_settings.template_offset[1]};
  for (TextLine* item = g_import.template_items.first; item != nullptr; item = item->next)
    translate_item(item, &offset);
}
