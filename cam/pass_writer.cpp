// The pass writer.
#include "cam/pass_writer.h"

namespace {

PathRecord marker(int32_t code, int32_t number) {
  PathRecord r;
  r.code = code;
  r.flag = number;
  return r;
}

// One ring record at the depth: entries and moves become moves, cuts keep their code.
void write_ring_record(PathRecordBuffer* records, const RingPathRecord& ring, double depth) {
  PathRecord r;
  r.x = static_cast<float>(ring.x);
  r.y = static_cast<float>(ring.y);
  switch (ring.code) {
    case RING_ENTRY:
    case RING_MOVE:
      r.code = PATH_MOVE;
      r.z = static_cast<float>(depth);
      break;
    case RING_LINE:
    case RING_ARC_CW:
    case RING_ARC_CCW:
      r.code = ring.code;
      r.z = static_cast<float>(ring.cx);
      r.value = static_cast<float>(ring.cy);
      r.flag = ring.flag;
      break;
    default:
      return;
  }
  append_path_record(records, r);
}

// Writes ring records from `from` up to the first record with one of the end codes; returns
// the index of that record.
int32_t write_part(PathRecordBuffer* records, int32_t from, bool stop_at_roughing_end,
                   double depth) {
  const ToolpathEngineState& g = g_toolpath_engine;
  int32_t i = from;
  for (; i < static_cast<int32_t>(g.ring_path.size()); ++i) {
    const int32_t code = g.ring_path[i].code;
    if (code == RING_END || (stop_at_roughing_end && code == RING_END_ROUGHING)) break;
    make_room_for_path_records(records);
    write_ring_record(records, g.ring_path[i], depth);
  }
  return i;
}

}  // namespace

// Stand-in: one pass at the full depth with straight plunges; no depth passes, last-pass depths or ramped entries.
int32_t write_passes(PathRecordBuffer* records, ContourSettings settings) {
  const ToolpathEngineState& g = g_toolpath_engine;
  append_path_record(records, marker(PATH_GROUP, settings.group_order));
  int32_t finishing_from = 0;
  const bool has_roughing = !g.ring_path.empty() && !(g.ring_path[0].code == RING_TOOL &&
                                                      g.ring_path[0].tool == settings.finish_tool);
  if (has_roughing) {
    append_path_record(records, marker(PATH_TOOL, settings.rough_tool));
    append_path_record(records, marker(PATH_ROUGHING, 0));
    finishing_from = write_part(records, 0, true, settings.depth);
    if (settings.finish_rings == 0) {
      end_path_records(records);
      return 1;
    }
  }
  append_path_record(records, marker(PATH_TOOL, settings.finish_tool));
  append_path_record(records, marker(PATH_FINISHING, 0));
  write_part(records, finishing_from, false, settings.depth);
  end_path_records(records);
  return 1;
}
