// Blade profiles.
#include "cam/blade_profile.h"

#include <algorithm>
#include <cmath>
#include <new>

#include "cam/offset_loops.h"
#include "cam/rings.h"
#include "cam/toolpath_engine_internal.h"

namespace {

PathRecord feed_to(double x, double y) {
  PathRecord r;
  r.code = PATH_FEED;
  r.x = static_cast<float>(x);
  r.y = static_cast<float>(y);
  return r;
}

PathRecord marker(int32_t code, int32_t number) {
  PathRecord r;
  r.code = code;
  r.flag = number;
  return r;
}

// The arc's start bearing (radians, counter-clockwise from +X) and its signed sweep.
void arc_angles(const ContourLink& l, const ContourNode* nodes, double* a0, double* sweep) {
  const ContourNode& s = nodes[l.start_node];
  const ContourNode& e = nodes[l.end_node];
  const ContourNode& c = nodes[l.centre_node];
  *a0 = std::atan2(s.y - c.y, s.x - c.x);
  double ccw = std::atan2(e.y - c.y, e.x - c.x) - *a0;
  while (ccw <= 0.0) ccw += CONTOUR_TWO_PI;
  while (ccw > CONTOUR_TWO_PI) ccw -= CONTOUR_TWO_PI;
  *sweep = l.direction == CONTOUR_COUNTER_CLOCKWISE ? ccw : -(CONTOUR_TWO_PI - ccw);
  if (l.direction != CONTOUR_COUNTER_CLOCKWISE && *sweep == 0.0) *sweep = -CONTOUR_TWO_PI;
}

// Appends the feeds of one link: to its start, then to its end (an arc in chords).
void write_link(const ContourLink& l, const ContourNode* nodes, double tolerance,
                PathRecordBuffer* records) {
  make_room_for_path_records(records);
  const ContourNode& s = nodes[l.start_node];
  append_path_record(records, feed_to(s.x, s.y));
  if (l.kind != SEGMENT_ARC) {
    const ContourNode& e = nodes[l.end_node];
    append_path_record(records, feed_to(e.x, e.y));
    return;
  }
  double a0 = 0.0, sweep = 0.0;
  arc_angles(l, nodes, &a0, &sweep);
  const ContourNode& c = nodes[l.centre_node];
  const int32_t chords = blade_chord_count(l.radius, std::fabs(sweep) * l.radius, tolerance);
  for (int32_t k = 1; k <= chords; ++k) {
    if (k == chords) {
      const ContourNode& e = nodes[l.end_node];
      append_path_record(records, feed_to(e.x, e.y));
      break;
    }
    const double a = a0 + sweep * k / chords;
    append_path_record(records, feed_to(c.x + l.radius * std::cos(a), c.y + l.radius * std::sin(a)));
  }
}

// One loop: a move to its start at the surface, every link, and the first link once more so
// the cut closes.
void write_blade_loop(const TracedLoops& loops, size_t k, bool reverse, double tolerance,
                      PathRecordBuffer* records) {
  std::vector<ContourLink> links(loops.links.begin() + loops.first[k],
                                 loops.links.begin() + loops.last[k] + 1);
  if (reverse) reverse_contour(links.data(), 0, static_cast<int32_t>(links.size()) - 1);
  const ContourNode* nodes = loops.nodes.data();
  const ContourNode& start = nodes[links.front().start_node];
  make_room_for_path_records(records);
  PathRecord move = feed_to(start.x, start.y);
  move.code = PATH_MOVE;
  append_path_record(records, move);
  append_path_record(records, feed_to(start.x, start.y));
  for (const ContourLink& l : links) write_link(l, nodes, tolerance, records);
  write_link(links.front(), nodes, tolerance, records);
}

// The loops of one side: the outline offset by d. ENGINE_DONE or ENGINE_RETRY.
int32_t side_loops(int32_t count, double d, TracedLoops* loops) {
  const ToolpathEngineState& g = g_toolpath_engine;
  RegionView v;
  v.links = g.work_links.data();
  v.nodes = g.work_nodes.data();
  v.start = 0;
  v.end = count - 1;
  return offset_region_loops(v, d, loops);
}

// The records of the profile at the offset `width`. ENGINE_DONE with records written,
// ENGINE_NOTHING, or ENGINE_RETRY.
int32_t profile_offset(PathRecordBuffer* records, int32_t count, double width,
                       const ContourSettings& s) {
  ToolpathEngineState& g = g_toolpath_engine;
  const bool open = s.profile_mode == CONTOUR_RUN_OPEN_PATH;
  // An open outline is a there-and-back loop, which encloses nothing: it is offset outward,
  // round itself. A closed one is offset inside first, then outside.
  TracedLoops first, second;
  int32_t r = side_loops(count, open ? -width : width, &first);
  if (r != ENGINE_DONE) return r;
  if (!open) {
    r = side_loops(count, -width, &second);
    if (r != ENGINE_DONE) return r;
  }
  if (first.first.empty() && second.first.empty()) return ENGINE_NOTHING;
  g.record_count = 0;
  append_path_record(records, marker(PATH_GROUP, s.group_order));
  append_path_record(records, marker(PATH_TOOL, s.finish_tool));
  append_path_record(records, marker(PATH_BLADE, 0));
  const bool reverse_first = open ? s.cut_direction == 1 : s.cut_direction == 0;
  for (size_t k = 0; k < first.first.size(); ++k)
    write_blade_loop(first, k, reverse_first, s.blade_tolerance, records);
  for (size_t k = 0; k < second.first.size(); ++k)
    write_blade_loop(second, k, s.cut_direction == 1, s.blade_tolerance, records);
  end_path_records(records);
  return ENGINE_DONE;
}

}  // namespace

int32_t blade_chord_count(double radius, double length, double tolerance) {
  if (!(radius > 0.0) || !(length > 0.0)) return 1;
  const double ratio = std::clamp((radius - std::max(tolerance, 0.0)) / radius, -1.0, 1.0);
  const double step = radius * std::acos(ratio);
  if (!(step > 0.0)) return BLADE_MAX_CHORDS;
  const double n = std::floor(length / step);
  return static_cast<int32_t>(std::clamp(n, 1.0, double{BLADE_MAX_CHORDS}));
}

int32_t run_blade_profile(PathRecordBuffer* records, const ContourLink* links,
                          const ContourNode* nodes, int32_t start, int32_t end,
                          const ContourSettings& settings) {
  ToolpathEngineState& g = g_toolpath_engine;
  if (!(settings.blade_offset > 0.0)) return 0;
  int32_t none = 0;
  const int32_t count = prepare_working_outline(links, nodes, start, end, &none, &none, 0);
  double width = settings.blade_offset;
  g.retry_count = 0;
  int32_t r = ENGINE_NOTHING;
  try {
    for (;;) {
      r = profile_offset(records, count, width, settings);
      if (r != ENGINE_RETRY) break;
      width *= RINGS_RETRY_WIDTH_SHRINK;
      if (!count_width_retry()) {
        r = ENGINE_NOTHING;
        break;
      }
    }
  } catch (const std::bad_alloc&) {
    engine_message_box("Out of memory, press enter");
    r = ENGINE_NOTHING;
  }
  return r == ENGINE_DONE ? 1 : 0;
}
