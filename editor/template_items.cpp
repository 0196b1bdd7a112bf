#include "editor/template_items.h"

#include <cstring>
#include <string>

#include "geometry/drawing_item.h"
#include "import/import_drawing.h"
#include "records/job_settings.h"

void load_template_items() {
  if (g_import.template_items.first != nullptr) return;
  const JobSettings& job = g_job_settings;
  const std::string path(job.template_path, strnlen(job.template_path, sizeof job.template_path));
  if (path.empty()) return;
  if (load_template_file(path) <= 0) return;
  const PointF offset = {job.template_offset[0], job.template_offset[1]};
  translate_item_chain(g_import.template_items.first, &offset);
}
