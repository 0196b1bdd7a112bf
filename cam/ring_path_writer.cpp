// Ring linking: writing the node list as RingPathRecords. The roughing run writes from the
// start of the ring-path buffer and ends with the roughing end code; the finishing run writes
// over the roughing run's end code, so the buffer always ends with one end code.
#include <cmath>

#include "cam/ring_linking_internal.h"

namespace {

RingPathRecord record_at(const RingLinkRun& run, const PathNode& node, int32_t code) {
  RingPathRecord r;
  r.code = code;
  point_on_ring(run, node_table(node.kind), node.ring, node.param, &r.x, &r.y);
  return r;
}

bool finite_record(const RingPathRecord& r) {
  return std::isfinite(r.x) && std::isfinite(r.y) && std::isfinite(r.cx) && std::isfinite(r.cy);
}

// The record of a walked point: the link it ran along decides line or arc.
RingPathRecord walked_record(const RingLinkRun& run, const PathNode& node, const PathNode& prev) {
  const RingTable table = node_table(node.kind);
  RingPathRecord r = record_at(run, node, RING_LINE);
  r.flag = node.retraced;
  const int32_t k = link_between_params(run, node.ring, node.param, prev.param, table);
  if (k == NO_LINK) return r;
  const ContourLink& l = run.links[k];
  if (l.kind != SEGMENT_ARC) return r;
  r.code = l.direction == run.settings.cut_direction ? RING_ARC_CW : RING_ARC_CCW;
  r.cx = run.nodes[l.centre_node].x;
  r.cy = run.nodes[l.centre_node].y;
  return r;
}

// Length of the segment from `before` to `record` and the bearings of an arc's ends.
double segment_run(const RingPathRecord& before, const RingPathRecord& record, double* a0,
                   double* a1, double* radius) {
  if (record.code == RING_LINE) {
    return std::hypot(record.x - before.x, record.y - before.y);
  }
  *radius = std::hypot(before.x - record.cx, before.y - record.cy);
  *a0 = bearing_angle(before.x - record.cx, before.y - record.cy);
  *a1 = bearing_angle(record.x - record.cx, record.y - record.cy);
  if (record.code == RING_ARC_CW && *a0 > *a1) *a1 += CONTOUR_TWO_PI;
  if (record.code == RING_ARC_CCW && *a1 > *a0) *a0 += CONTOUR_TWO_PI;
  return std::fabs(*a1 - *a0) * *radius;
}

void place_records(const std::vector<RingPathRecord>& out, int32_t from) {
  ToolpathEngineState& g = g_toolpath_engine;
  const size_t need = static_cast<size_t>(from) + out.size() + 1;
  if (g.ring_path.size() < need) g.ring_path.resize(need);
  for (size_t k = 0; k < out.size(); ++k) g.ring_path[from + k] = out[k];
}

}  // namespace

int32_t split_long_segment(const RingLinkRun& run, int32_t ring_number,
                           const RingPathRecord& before, const RingPathRecord& record,
                           ContourNode* point1, ContourNode* point2) {
  const ContourSettings& s = run.settings;
  const double w = s.finish_width;
  if (ring_number <= 1) return 0;
  double e = (0.5 + s.finish_first_stepover) * w;
  if (ring_number > 2) e += (ring_number - 2) * w * s.finish_stepover;
  if (e < s.finish_allowance) return 0;
  double a0 = 0.0, a1 = 0.0, radius = 0.0;
  const double length = segment_run(before, record, &a0, &a1, &radius);
  if (!(length >= 3.0 * w)) return 0;
  double j = 1.5 * (s.rough_width / 2.0 + s.finish_allowance) - 2.0 * e;
  j = std::max(j, s.rough_width / 4.0);
  j = std::min(j, length / 4.0);
  const double f = j / length;
  if (record.code == RING_LINE) {
    *point1 = {before.x + (record.x - before.x) * f, before.y + (record.y - before.y) * f};
    *point2 = {record.x - (record.x - before.x) * f, record.y - (record.y - before.y) * f};
    return 1;
  }
  const double b1 = a0 + (a1 - a0) * f, b2 = a1 - (a1 - a0) * f;
  *point1 = {record.cx + radius * std::sin(b1), record.cy + radius * std::cos(b1)};
  *point2 = {record.cx + radius * std::sin(b2), record.cy + radius * std::cos(b2)};
  return 1;
}

bool write_ring_path(RingLinkRun* run) {
  ToolpathEngineState& g = g_toolpath_engine;
  if (!g.roughing_made_rings) g.ring_path_end = 0;
  optimise_ring_links(run);
  const ContourSettings& s = run->settings;
  std::vector<RingPathRecord> out;
  RingPathRecord tool;
  tool.code = RING_TOOL;
  tool.tool = run->finishing ? s.finish_tool : s.rough_tool;
  out.push_back(tool);
  for (int32_t n = run->path[0].next; n >= 0 && n != run->end_node; n = run->path[n].next) {
    const PathNode& node = run->path[n];
    switch (std::abs(node.kind)) {
      case NODE_START:
        out.push_back(record_at(*run, node, RING_ENTRY));
        break;
      case NODE_MOVE:
        out.push_back(record_at(*run, node, RING_MOVE));
        break;
      case NODE_FREE: {
        RingPathRecord r;
        r.code = RING_MOVE;
        r.x = node.param;
        if (node.next >= 0 && node.next != run->end_node) {
          n = node.next;
          r.y = run->path[n].param;
        }
        out.push_back(r);
        break;
      }
      case NODE_STEP: {
        RingPathRecord r = record_at(*run, node, RING_LINE);
        r.flag = node.retraced;
        out.push_back(r);
        break;
      }
      case NODE_LEAD_OUT: {
        RingPathRecord r;
        r.code = RING_LINE;
        r.x = node.aux_x;
        r.y = node.aux_y;
        r.flag = node.retraced;
        out.push_back(r);
        break;
      }
      case NODE_ARC_CW:
      case NODE_ARC_CCW: {
        RingPathRecord r =
            record_at(*run, node, std::abs(node.kind) == NODE_ARC_CW ? RING_ARC_CW : RING_ARC_CCW);
        r.cx = node.aux_x;
        r.cy = node.aux_y;
        r.flag = node.retraced;
        out.push_back(r);
        break;
      }
      case NODE_WALK: {
        const RingPathRecord r = walked_record(*run, node, run->path[node.prev]);
        ContourNode p1{}, p2{};
        const int32_t number = ring_state(*run, node_table(node.kind), node.ring).ring;
        if (run->finishing && split_long_segment(*run, number, out.back(), r, &p1, &p2) == 1) {
          for (const ContourNode& p : {p1, p2}) {
            RingPathRecord part = r;
            part.x = p.x;
            part.y = p.y;
            out.push_back(part);
          }
        }
        out.push_back(r);
        break;
      }
      default:
        break;
    }
  }
  for (const RingPathRecord& r : out) {
    // A coordinate that is not a number would send the machine anywhere: the outline is left
    // out and the group reports its cuts as missing.
    if (!finite_record(r)) return false;
  }
  RingPathRecord end;
  end.code = RING_END_ROUGHING;
  if (!run->finishing) out.push_back(end);
  end.code = RING_END;
  out.push_back(end);
  const int32_t from = run->finishing ? g.ring_path_end : 0;
  place_records(out, from);
  g.ring_path_count = from + static_cast<int32_t>(out.size()) - 1;
  if (!run->finishing) g.ring_path_end = g.ring_path_count;
  return true;
}
