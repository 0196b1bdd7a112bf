// One-sided profiles of open outlines.
//
// The open line is cleaned into a there-and-back loop, which the offset machinery of the
// pockets offsets like any outline: the result runs round the line at the offset distance on
// both sides and round both ends. Of that, only the pieces on the wanted side are kept; the
// pieces that round the line's two ends and the pieces on the other side are thrown away.
// Every kept piece lies at least the offset distance from every part of the line, so the tool
// never touches it.
#include "cam/open_profile.h"

#include <algorithm>
#include <cmath>
#include <new>
#include <vector>

#include "cam/depth_passes.h"
#include "cam/offset_loops.h"
#include "cam/pass_writer.h"
#include "cam/ring_linking_internal.h"
#include "cam/rings.h"
#include "cam/toolpath_engine_internal.h"

namespace {

// A turn at a corner of the line sharper than this decides the side of the corner's arc.
constexpr double TURN_EPSILON = 1e-9;
// Kept pieces shorter than this make no cut of their own.
constexpr double SHORTEST_CHAIN = 1e-7;
// A foot this near a link's end lies on the corner.
constexpr double CORNER_SHARE = 1e-9;

struct Piece {
  int32_t code = RING_LINE;  // RING_LINE, RING_ARC_CW or RING_ARC_CCW
  double sx = 0.0, sy = 0.0, ex = 0.0, ey = 0.0, cx = 0.0, cy = 0.0;
};

struct Chain {
  std::vector<Piece> pieces;
  bool closed = false;
  double order = 0.0;  // where along the line it lies: chains are cut in this order
};

// The cleaned line: the first `forward` working links run along it, the rest run back.
struct OpenLine {
  int32_t forward = 0;
};

int32_t link_count(const OpenLine& line) { return 2 * line.forward; }

// Unit tangent of the link at its start (at_end false) or end.
void link_tangent(const ContourLink& l, const ContourNode* nodes, bool at_end, double* tx,
                  double* ty) {
  const ContourNode& s = nodes[l.start_node];
  const ContourNode& e = nodes[l.end_node];
  double x, y;
  if (l.kind == SEGMENT_ARC) {
    const ContourNode& p = at_end ? e : s;
    const ContourNode& c = nodes[l.centre_node];
    const double rx = p.x - c.x, ry = p.y - c.y;
    x = l.direction == CONTOUR_CLOCKWISE ? ry : -ry;
    y = l.direction == CONTOUR_CLOCKWISE ? -rx : rx;
  } else {
    x = e.x - s.x;
    y = e.y - s.y;
  }
  const double n = std::hypot(x, y);
  *tx = n > 0.0 ? x / n : 1.0;
  *ty = n > 0.0 ? y / n : 0.0;
}

// +1 when (x, y) lies left of the drawn line, -1 right, 0 round one of its two ends.
int32_t side_of_line(const OpenLine& line, double x, double y) {
  const ToolpathEngineState& g = g_toolpath_engine;
  const ContourNode* nodes = g.work_nodes.data();
  int32_t best = -1;
  double best_t = 0.0, best_d = CONTOUR_NO_DISTANCE;
  for (int32_t k = 0; k < line.forward; ++k) {
    double d = 0.0;
    const double t = nearest_point_on_link(g.work_links[k], nodes, x, y, CONTOUR_NO_DISTANCE, &d);
    if (d < best_d) {
      best_d = d;
      best = k;
      best_t = t;
    }
  }
  if (best < 0) return 0;
  const bool at_start = best_t <= CORNER_SHARE, at_end = best_t >= 1.0 - CORNER_SHARE;
  if ((best == 0 && at_start) || (best == line.forward - 1 && at_end)) return 0;
  const ContourLink& l = g.work_links[best];
  if (at_start || at_end) {
    // On a corner: the corner's arc lies on the outside of the turn.
    const int32_t in = at_end ? best : best - 1;
    double ix, iy, ox, oy;
    link_tangent(g.work_links[in], nodes, true, &ix, &iy);
    link_tangent(g.work_links[in + 1], nodes, false, &ox, &oy);
    const double turn = ix * oy - iy * ox;
    if (std::fabs(turn) > TURN_EPSILON) return turn > 0.0 ? -1 : 1;
    const ContourNode& v = nodes[g.work_links[in].end_node];
    return ix * (y - v.y) - iy * (x - v.x) > 0.0 ? 1 : -1;
  }
  if (l.kind == SEGMENT_ARC) {
    const ContourNode& c = nodes[l.centre_node];
    const bool inside = std::hypot(x - c.x, y - c.y) < l.radius;
    // Left of a counter-clockwise arc is its inside.
    return inside == (l.direction == CONTOUR_COUNTER_CLOCKWISE) ? 1 : -1;
  }
  const ContourNode& s = nodes[l.start_node];
  const ContourNode& e = nodes[l.end_node];
  return (e.x - s.x) * (y - s.y) - (e.y - s.y) * (x - s.x) > 0.0 ? 1 : -1;
}

// Where along the line (link index plus share) the point's foot lies.
double line_position(const OpenLine& line, double x, double y) {
  const ToolpathEngineState& g = g_toolpath_engine;
  double param = 0.0, distance = 0.0;
  nearest_point_on_contour(g.work_links.data(), g.work_nodes.data(), x, y, 0, line.forward - 1,
                           &param, &distance);
  return param;
}

Piece piece_of(const ContourLink& l, const ContourNode* nodes) {
  Piece p;
  const ContourNode& s = nodes[l.start_node];
  const ContourNode& e = nodes[l.end_node];
  p.sx = s.x;
  p.sy = s.y;
  p.ex = e.x;
  p.ey = e.y;
  if (l.kind == SEGMENT_ARC) {
    p.code = l.direction == CONTOUR_CLOCKWISE ? RING_ARC_CW : RING_ARC_CCW;
    p.cx = nodes[l.centre_node].x;
    p.cy = nodes[l.centre_node].y;
  }
  return p;
}

void reverse_chain(Chain* c) {
  std::reverse(c->pieces.begin(), c->pieces.end());
  for (Piece& p : c->pieces) {
    std::swap(p.sx, p.ex);
    std::swap(p.sy, p.ey);
    if (p.code == RING_ARC_CW) {
      p.code = RING_ARC_CCW;
    } else if (p.code == RING_ARC_CCW) {
      p.code = RING_ARC_CW;
    }
  }
}

double chain_length(const Chain& c) {
  double total = 0.0;
  for (const Piece& p : c.pieces) total += std::hypot(p.ex - p.sx, p.ey - p.sy);
  return total;
}

// Signed area of a closed chain's chords: positive counter-clockwise.
double chain_area(const Chain& c) {
  double a = 0.0;
  for (const Piece& p : c.pieces) a += p.sx * p.ey - p.ex * p.sy;
  return a / 2.0;
}

// The tool runs along the line's direction: with the tool on the right the line lies on the
// tool's left, so a ring the tool runs all the way round (a hole the line nearly closes) is
// cut clockwise; on the left, counter-clockwise.
void orient_chain(const OpenLine& line, int32_t side, Chain* c) {
  if (c->closed) {
    const bool clockwise = chain_area(*c) < 0.0;
    if (clockwise != (side > 0)) reverse_chain(c);
    c->order = line_position(line, c->pieces[0].sx, c->pieces[0].sy);
    return;
  }
  const Piece& first = c->pieces.front();
  const Piece& last = c->pieces.back();
  const double a = line_position(line, first.sx, first.sy);
  const double b = line_position(line, last.ex, last.ey);
  if (a > b) reverse_chain(c);
  c->order = std::min(a, b);
}

// The kept pieces of one traced loop, as chains of consecutive pieces.
void chains_of_loop(const TracedLoops& loops, size_t k, const OpenLine& line, int32_t side,
                    std::vector<Chain>* out) {
  const int32_t first = loops.first[k], last = loops.last[k];
  const int32_t n = last - first + 1;
  std::vector<char> keep(static_cast<size_t>(n), 0);
  for (int32_t i = 0; i < n; ++i) {
    double mx, my;
    segment_midpoint(loops.links[first + i], loops.nodes.data(), &mx, &my);
    // side_of_line answers +1 for left; a tool on the right wants -1.
    keep[i] = side_of_line(line, mx, my) == -side ? 1 : 0;
  }
  // Start after a thrown-away piece so that no chain is split at the loop's seam.
  int32_t seam = 0;
  while (seam < n && keep[seam]) ++seam;
  const bool whole = seam == n;
  Chain current;
  for (int32_t j = 0; j < n; ++j) {
    const int32_t i = whole ? j : (seam + 1 + j) % n;
    if (keep[i]) {
      current.pieces.push_back(piece_of(loops.links[first + i], loops.nodes.data()));
      continue;
    }
    if (!current.pieces.empty()) out->push_back(current);
    current = Chain{};
  }
  if (!current.pieces.empty()) {
    current.closed = whole;
    out->push_back(current);
  }
}

// The traced loops of the line offset by `distance`. ENGINE_DONE, or ENGINE_RETRY when the
// crossings did not close into loops.
int32_t offset_line(const OpenLine& line, double distance, TracedLoops* loops) {
  const ToolpathEngineState& g = g_toolpath_engine;
  RegionView v;
  v.links = g.work_links.data();
  v.nodes = g.work_nodes.data();
  v.start = 0;
  v.end = link_count(line) - 1;
  // Outward (to the right of each link): only the distance decides what is kept, since a
  // line encloses nothing.
  return offset_region_loops(v, -distance, loops);
}

// The chains of one ring at `distance` from the line, in the order they are cut.
int32_t ring_chains(const OpenLine& line, double distance, int32_t side, std::vector<Chain>* out) {
  TracedLoops loops;
  const int32_t r = offset_line(line, distance, &loops);
  if (r != ENGINE_DONE) return r;
  std::vector<Chain> chains;
  for (size_t k = 0; k < loops.first.size(); ++k) chains_of_loop(loops, k, line, side, &chains);
  std::vector<Chain> kept;
  for (Chain& c : chains) {
    if (chain_length(c) < SHORTEST_CHAIN) continue;
    orient_chain(line, side, &c);
    kept.push_back(std::move(c));
  }
  std::stable_sort(kept.begin(), kept.end(),
                   [](const Chain& a, const Chain& b) { return a.order < b.order; });
  out->insert(out->end(), kept.begin(), kept.end());
  return ENGINE_DONE;
}

void append_chain_records(const Chain& c) {
  RingPathRecord entry;
  entry.code = RING_ENTRY;
  entry.x = c.pieces.front().sx;
  entry.y = c.pieces.front().sy;
  append_ring_path_record(entry);
  for (const Piece& p : c.pieces) {
    RingPathRecord r;
    r.code = p.code;
    r.x = p.ex;
    r.y = p.ey;
    r.cx = p.cx;
    r.cy = p.cy;
    append_ring_path_record(r);
  }
}

// The distances of a pass's rings from the line, farthest first: the tool cuts its way in
// towards the line and finishes on the ring next to it.
std::vector<double> ring_distances(double width, double start, double first_step, double step,
                                   int32_t rings) {
  std::vector<double> d;
  for (int32_t k = 0; k < rings; ++k) {
    const double over = k == 0 ? 0.0 : first_step + (k - 1) * step;
    d.push_back(start + width / 2.0 + over * width);
  }
  std::reverse(d.begin(), d.end());
  return d;
}

// Appends one part of the ring path: its tool, the chains of every ring, its end code. False
// when no ring left anything to cut.
int32_t append_part(const OpenLine& line, int32_t tool, const std::vector<double>& distances,
                    int32_t side, int32_t end_code, bool* made) {
  RingPathRecord head;
  head.code = RING_TOOL;
  head.tool = tool;
  append_ring_path_record(head);
  for (const double d : distances) {
    std::vector<Chain> chains;
    const int32_t r = ring_chains(line, d, side, &chains);
    if (r != ENGINE_DONE) return r;
    for (const Chain& c : chains) append_chain_records(c);
    if (!chains.empty()) *made = true;
  }
  RingPathRecord end;
  end.code = end_code;
  append_ring_path_record(end);
  return ENGINE_DONE;
}

// The ring path of the line with the (normalised, shrunk) settings. ENGINE_DONE with a path,
// ENGINE_NOTHING when nothing is left to cut, ENGINE_RETRY after a tracing failure.
int32_t open_ring_path(const OpenLine& line, const ContourSettings& s, int32_t side) {
  ToolpathEngineState& g = g_toolpath_engine;
  g.ring_path_count = 0;
  g.ring_path.clear();
  bool rough_made = false, finish_made = false;
  const int32_t rough_count = std::max(1, std::abs(s.rough_rings));
  int32_t r = append_part(line, s.rough_tool,
                          ring_distances(s.rough_width, s.finish_allowance, s.rough_first_stepover,
                                         s.rough_stepover, rough_count),
                          side, RING_END_ROUGHING, &rough_made);
  if (r != ENGINE_DONE) return r;
  if (!rough_made) {
    // No roughing ring: the path starts with the finishing part.
    g.ring_path.clear();
    g.ring_path_count = 0;
  }
  if (s.finish_rings > 0) {
    r = append_part(line, s.finish_tool,
                    ring_distances(s.finish_width, 0.0, s.finish_first_stepover,
                                   s.finish_stepover, s.finish_rings),
                    side, RING_END, &finish_made);
    if (r != ENGINE_DONE) return r;
  } else {
    RingPathRecord end;
    end.code = RING_END;
    append_ring_path_record(end);
  }
  g.ring_path.resize(static_cast<size_t>(g.ring_path_count));
  return rough_made || finish_made ? ENGINE_DONE : ENGINE_NOTHING;
}

// Cleans the open line into the working arrays as a there-and-back loop; its walls are the
// line itself. False when the line could not be cleaned (the network has said why).
bool prepare_open_line(const ContourLink* links, const ContourNode* nodes, int32_t start,
                       int32_t end, OpenLine* line) {
  ToolpathEngineState& g = g_toolpath_engine;
  const int32_t mode = g_contour_kernel.contour_run_mode;
  g_contour_kernel.contour_run_mode = CONTOUR_RUN_OPEN_PATH;
  ContourNetwork net;
  int32_t first = start, last = end;
  const int32_t r = build_contour_network(links, nodes, &first, &last, 1, &net, CONTOUR_CLOCKWISE, 1);
  g_contour_kernel.contour_run_mode = mode;
  if (r == 0 || net.firsts.empty()) return false;
  const int32_t n = net.lasts[0] - net.firsts[0] + 1;
  if (n < 2) return false;
  g.work_links.assign(net.links.begin() + net.firsts[0], net.links.begin() + net.lasts[0] + 1);
  g.work_nodes = net.nodes;
  line->forward = n / 2;
  g.wall_start = 0;
  g.wall_end = n - 1;
  g.wall_island_start.clear();
  g.wall_island_end.clear();
  return true;
}

}  // namespace

int32_t open_profile_side(const ContourSettings& settings) {
  const int32_t rings = settings.rough_rings != 0 ? settings.rough_rings : settings.finish_rings;
  return rings < 0 ? -1 : 1;
}

int32_t run_open_profile(PathRecordBuffer* records, const ContourLink* links,
                         const ContourNode* nodes, int32_t start, int32_t end,
                         const ContourSettings& settings) {
  ToolpathEngineState& g = g_toolpath_engine;
  const int32_t side = open_profile_side(settings);
  ContourSettings s = settings;
  if (normalise_ring_settings(&s) != 1) return 0;
  // The tool enters along the cut itself: off the line, on either side or beyond its ends,
  // may stand what must not be cut.
  if (s.entry_mode >= 2) s.entry_mode = ENTRY_ALONG_PATH;
  OpenLine line;
  if (!prepare_open_line(links, nodes, start, end, &line)) return 0;
  ContourSettings shrunk = s;
  shrunk.rough_width *= RINGS_ROUGH_WIDTH_SHRINK;
  shrunk.finish_width *= RINGS_FINISH_WIDTH_SHRINK;
  g.retry_count = 0;
  int32_t r = ENGINE_NOTHING;
  try {
    for (;;) {
      r = open_ring_path(line, shrunk, side);
      if (r != ENGINE_RETRY) break;
      shrunk.rough_width *= RINGS_RETRY_WIDTH_SHRINK;
      shrunk.finish_width *= RINGS_RETRY_WIDTH_SHRINK;
      if (!count_width_retry()) {
        r = ENGINE_NOTHING;
        break;
      }
    }
  } catch (const std::bad_alloc&) {
    engine_message_box("Out of memory, press enter");
    r = ENGINE_NOTHING;
  }
  if (r != ENGINE_DONE || engine_escape_pressed()) return 0;
  write_passes(records, s);
  return 1;
}
