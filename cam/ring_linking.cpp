// Ring linking.
#include "cam/ring_linking.h"

namespace {

void put_record(int32_t code, double x, double y, double cx, double cy) {
  RingPathRecord r;
  r.code = code;
  r.x = x;
  r.y = y;
  r.cx = cx;
  r.cy = cy;
  append_ring_path_record(r);
}

// One ring as a piece of its own: the entry at its start, then its links in the walking
// direction (backwards for conventional cutting).
void put_ring(const ContourLink* links, const ContourNode* nodes, const RingEntry& ring,
              int32_t cut_direction) {
  const bool forward = cut_direction == 1;
  const int32_t first = forward ? ring.start_link : ring.end_link;
  const ContourNode& start = nodes[forward ? links[first].start_node : links[first].end_node];
  put_record(RING_ENTRY, start.x, start.y, 0.0, 0.0);
  for (int32_t n = 0; n <= ring.end_link - ring.start_link; ++n) {
    const ContourLink& l = links[forward ? ring.start_link + n : ring.end_link - n];
    const ContourNode& to = nodes[forward ? l.end_node : l.start_node];
    if (l.kind != SEGMENT_ARC) {
      put_record(RING_LINE, to.x, to.y, 0.0, 0.0);
      continue;
    }
    const bool clockwise = (l.direction == CONTOUR_CLOCKWISE) == forward;
    const ContourNode& c = nodes[l.centre_node];
    put_record(clockwise ? RING_ARC_CW : RING_ARC_CCW, to.x, to.y, c.x, c.y);
  }
}

}  // namespace

// Stand-in: every ring is its own piece of path (innermost boundary ring first, then the island rings) with no bridges, retraces, lead-ins or link optimisation.
int32_t PathGen(const ContourLink* links, const ContourNode* nodes, const RingEntry* island_rings,
                const RingEntry* boundary_rings, int32_t island_count, int32_t boundary_count,
                ContourSettings settings, int32_t finishing, int32_t contour) {
  (void)contour;
  ToolpathEngineState& g = g_toolpath_engine;
  if (!finishing) g.ring_path_count = 0;
  RingPathRecord tool;
  tool.code = RING_TOOL;
  tool.tool = finishing ? settings.finish_tool : settings.rough_tool;
  append_ring_path_record(tool);
  auto kept = [&](const RingEntry& e) { return finishing || e.ring < settings.rough_rings; };
  for (int32_t k = boundary_count - 1; k >= 0; --k) {
    if (kept(boundary_rings[k])) put_ring(links, nodes, boundary_rings[k], settings.cut_direction);
  }
  for (int32_t k = 0; k < island_count; ++k) {
    if (kept(island_rings[k])) put_ring(links, nodes, island_rings[k], settings.cut_direction);
  }
  if (!finishing) put_record(RING_END_ROUGHING, 0.0, 0.0, 0.0, 0.0);
  // The end code follows the last record without being counted, so a finishing run that
  // appends writes over it.
  put_record(RING_END, 0.0, 0.0, 0.0, 0.0);
  --g.ring_path_count;
  return 1;
}
