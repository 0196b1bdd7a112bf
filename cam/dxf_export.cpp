#include "cam/dxf_export.h"

#include "cam/make_nc.h"
#include "nc/dxf_path.h"
#include "nc/post_processor.h"
#include "nc/work_surface.h"
#include "records/job_settings.h"
#include "store/line_list.h"

bool run_dxf_export(const std::string& path) {
  JobSettings& job = g_job_settings;
  const JobSettings saved = job;
  job.z_shift = 0.0f;
  job.comment_mode = 0;
  job.surface_code = SURFACE_FLAT;
  job.surface_flag = 1;
  // The export's own definition: every byte zero but the output kind, in a list of its own, so
  // that it never becomes one of the user's post processors.
  PostProcessorDef def;
  def.output_kind = PP_OUTPUT_DXF;
  def.coordinate_mode = 0;
  def.feed_decimals = 0;
  def.extension[0] = '\0';
  def.spindle_text[0] = '\0';
  def.spindle_reverse_text[0] = '\0';
  const LineList current = g_lists.current;
  g_lists.current = LineList{};
  TextLine* entry = append_post_processor("", 0, def);
  LineList definitions = g_lists.current;
  g_lists.current = current;
  if (entry == nullptr) {
    g_dxf_export.failure = "Out of memory: no DXF file was written.";
    return false;
  }
  job.post_processor = entry;
  g_dxf_export.path = path;
  g_dxf_export.written = false;
  g_dxf_export.failure.clear();
  make_nc_program();
  job = saved;
  free_post_processor_list(&definitions);
  if (!g_dxf_export.written && g_dxf_export.failure.empty())
    g_dxf_export.failure = g_make_nc.failure.empty() ? "No DXF file was written." : g_make_nc.failure;
  return g_dxf_export.written;
}
