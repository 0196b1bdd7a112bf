// The pass writer.
#include "cam/pass_writer.h"

#include <cstdio>

#include "cam/depth_passes.h"
#include "cam/toolpath_engine_internal.h"

namespace {

PathRecord marker(int32_t code, int32_t number) {
  PathRecord r;
  r.code = code;
  r.flag = number;
  return r;
}

// A cut deeper than the pass limit allows at the step asked is cut in deeper passes, and the
// user is told the step used.
void report_pass_limit(const PassPlan& plan, bool finishing) {
  if (!plan.limited) return;
  char text[200];
  std::snprintf(text, sizeof text,
                "The %s depth of %.4g takes more than %d passes at a step-down of %.4g: it was "
                "cut in %d passes of %.4g.",
                finishing ? "finishing" : "roughing", plan.depth, DEPTH_PASS_LIMIT,
                plan.asked_step, plan.count, plan.step);
  engine_text_box(text);
}

// Writes every pass over the ring records from `from` up to the first record with an end code
// (RING_END_ROUGHING too when `roughing`); returns the index of that record.
int32_t write_part(PathRecordBuffer* records, int32_t from, bool finishing,
                   const ContourSettings& settings) {
  ToolpathEngineState& g = g_toolpath_engine;
  ContourSettings s = settings;
  const PassPlan plan = pass_count(&s, finishing);
  report_pass_limit(plan, finishing);
  const int32_t size = static_cast<int32_t>(g.ring_path.size());
  int32_t stop = from;
  double top = 0.0, bottom = 0.0;
  for (int32_t j = 0; j < plan.count && !g.abort; ++j) {
    next_pass_depths(j, plan, &top, &bottom);
    int32_t i = from;
    for (; i < size && !g.abort; ++i) {
      const int32_t code = g.ring_path[i].code;
      if (code == RING_END || (!finishing && code == RING_END_ROUGHING)) break;
      make_room_for_path_records(records);
      write_pass_record(records, finishing, i, top, bottom, s);
    }
    stop = i;
  }
  return stop;
}

}  // namespace

int32_t write_passes(PathRecordBuffer* records, ContourSettings settings) {
  const ToolpathEngineState& g = g_toolpath_engine;
  append_path_record(records, marker(PATH_GROUP, settings.group_order));
  int32_t finishing_from = 0;
  const bool has_roughing = !g.ring_path.empty() && !(g.ring_path[0].code == RING_TOOL &&
                                                      g.ring_path[0].tool == settings.finish_tool);
  if (has_roughing) {
    append_path_record(records, marker(PATH_TOOL, settings.rough_tool));
    append_path_record(records, marker(PATH_ROUGHING, 0));
    finishing_from = write_part(records, 0, false, settings);
    if (settings.finish_rings == 0) {
      end_path_records(records);
      return 1;
    }
  }
  append_path_record(records, marker(PATH_TOOL, settings.finish_tool));
  append_path_record(records, marker(PATH_FINISHING, 0));
  write_part(records, finishing_from, true, settings);
  end_path_records(records);
  return 1;
}
