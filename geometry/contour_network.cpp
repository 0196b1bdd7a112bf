// Copying, cleaning, checking and orienting collected contours.
#include "geometry/contour_network.h"

#include <algorithm>
#include <cmath>

#include "geometry/contour_kernel_internal.h"
#include "geometry/path_intersect.h"

namespace {

constexpr double NETWORK_MIN_LENGTH = 1e-7;       // shorter segments are dropped
constexpr double NETWORK_MIN_ARC_SWEEP = 0.0002;  // flatter arcs (radians) become lines
constexpr double NETWORK_CUSP_BAND = 1e-6;        // joint angles this near 0 or 2pi are cusps
constexpr double NETWORK_TANGENT_LOW = 5e-8;      // arc joints with |angle/pi - 1| in
constexpr double NETWORK_TANGENT_HIGH = 9e-5;     //   (low, high) are made exactly tangent
// Where a full circle is cut into two arcs: at this angle (counter-clockwise from +X) and
// opposite it, away from the points where circles usually touch their neighbours.
constexpr double NETWORK_CIRCLE_CUT = 0.87;

// The network being built and how to treat it.
struct Network {
  ContourNetwork* out;
  bool open_path;  // the single contour is an open path of a one-sided profile
};

int32_t segment_count(const Network& n, int32_t c) {
  return n.out->lasts[c] - n.out->firsts[c] + 1;
}

// Segment that follows k in contour c, the first after the last.
int32_t next_in_contour(const Network& n, int32_t c, int32_t k) {
  return k == n.out->lasts[c] ? n.out->firsts[c] : k + 1;
}

int32_t add_node(ContourNetwork* out, const ContourNode& node) {
  out->nodes.push_back(node);
  return static_cast<int32_t>(out->nodes.size()) - 1;
}

// Drops segment p of contour c; the segments behind it, in this and later contours, move down.
void remove_segment(Network* n, int32_t c, int32_t p) {
  ContourNetwork* out = n->out;
  out->links.erase(out->links.begin() + p);
  --out->lasts[c];
  for (size_t later = c + 1; later < out->firsts.size(); ++later) {
    --out->firsts[later];
    --out->lasts[later];
  }
}

// ---- checks on the input ----

bool spans_fit(const int32_t* firsts, const int32_t* lasts, int32_t count) {
  for (int32_t c = 0; c < count; ++c) {
    if (lasts[c] - firsts[c] > CONTOUR_NETWORK_MAX_SPAN) return false;
  }
  return true;
}

bool contour_chained(const ContourLink* links, int32_t first, int32_t last, bool open_path) {
  if (last < first) return false;
  if (open_path) return true;
  for (int32_t k = first + 1; k <= last; ++k) {
    if (links[k].start_node != links[k - 1].end_node) return false;
  }
  return links[first].kind == SEGMENT_CIRCLE || links[last].end_node == links[first].start_node;
}

// ---- copy ----

ContourLink new_arc(int32_t start, int32_t centre, double radius, int32_t direction) {
  ContourLink arc;
  arc.kind = SEGMENT_ARC;
  arc.start_node = start;
  arc.centre_node = centre;
  arc.radius = radius;
  arc.direction = direction;
  return arc;
}

// A full circle becomes two clockwise half circles about a fresh copy of its centre.
void copy_circle(const ContourLink& circle, const ContourNode* nodes, ContourNetwork* out) {
  const ContourNode& c = nodes[circle.centre_node];
  const double ox = circle.radius * std::cos(NETWORK_CIRCLE_CUT);
  const double oy = circle.radius * std::sin(NETWORK_CIRCLE_CUT);
  const int32_t first_start = add_node(out, {c.x + ox, c.y + oy});
  const int32_t centre = add_node(out, c);
  const int32_t second_start = add_node(out, {c.x - ox, c.y - oy});
  out->links.push_back(new_arc(first_start, centre, circle.radius, CONTOUR_CLOCKWISE));
  out->links.push_back(new_arc(second_start, centre, circle.radius, CONTOUR_CLOCKWISE));
}

// Copies one contour with fresh nodes, each segment owning its start node (and an arc its
// centre); the end nodes are then chained to the next segment's start.
void copy_contour(const ContourLink* links, const ContourNode* nodes, int32_t first, int32_t last,
                  bool open_path, ContourNetwork* out) {
  const int32_t out_first = static_cast<int32_t>(out->links.size());
  for (int32_t k = first; k <= last; ++k) {
    const ContourLink& in = links[k];
    if (in.kind == SEGMENT_CIRCLE) {
      copy_circle(in, nodes, out);
      continue;
    }
    const int32_t start = add_node(out, nodes[in.start_node]);
    if (in.kind == SEGMENT_ARC) {
      const int32_t centre = add_node(out, nodes[in.centre_node]);
      out->links.push_back(new_arc(start, centre, in.radius, in.direction));
    } else {
      ContourLink line;  // anything that is neither arc nor circle is taken as a line
      line.kind = SEGMENT_LINE;
      line.start_node = start;
      out->links.push_back(line);
    }
  }
  const int32_t out_last = static_cast<int32_t>(out->links.size()) - 1;
  for (int32_t k = out_first; k < out_last; ++k)
    out->links[k].end_node = out->links[k + 1].start_node;
  out->links[out_last].end_node =
      open_path ? add_node(out, nodes[links[last].end_node]) : out->links[out_first].start_node;
  out->firsts.push_back(out_first);
  out->lasts.push_back(out_last);
}

// ---- cleaning ----

// A line's real length: segment_length gives lines without length 1e-6, which would keep
// exactly repeated corners in the network.
double measured_length(const ContourLink& l, const ContourNode* nodes) {
  if (l.kind == SEGMENT_ARC) return segment_length(l, nodes);
  const ContourNode& s = nodes[l.start_node];
  const ContourNode& e = nodes[l.end_node];
  return std::hypot(e.x - s.x, e.y - s.y);
}

void remove_short_segments(Network* n) {
  ContourNetwork* out = n->out;
  for (size_t c = 0; c < out->firsts.size(); ++c) {
    int32_t p = out->firsts[c];
    while (p <= out->lasts[c]) {
      // A contour keeps its last segment, however short: it still marks where it was.
      if (out->lasts[c] == out->firsts[c] ||
          measured_length(out->links[p], out->nodes.data()) >= NETWORK_MIN_LENGTH) {
        ++p;
        continue;
      }
      if (p > out->firsts[c]) {
        out->links[p - 1].end_node = out->links[p].end_node;
      } else if (!n->open_path) {
        // An open path simply starts at the next segment; a closed one stays closed.
        out->links[out->lasts[c]].end_node = out->links[p].end_node;
      }
      remove_segment(n, static_cast<int32_t>(c), p);
    }
  }
}

void flatten_short_arcs(ContourNetwork* out) {
  for (ContourLink& l : out->links) {
    if (l.kind != SEGMENT_ARC) continue;
    if (!(segment_length(l, out->nodes.data()) / l.radius >= NETWORK_MIN_ARC_SWEEP))
      l.kind = SEGMENT_LINE;
  }
}

// Larger of the width and height of the box of the contour's start nodes.
double contour_size(const ContourNetwork& out, int32_t first, int32_t last) {
  double min_x = 99999999.0, min_y = 99999999.0, max_x = -99999999.0, max_y = -99999999.0;
  for (int32_t k = first; k <= last; ++k) {
    const ContourNode& p = out.nodes[out.links[k].start_node];
    min_x = std::min(min_x, p.x);
    max_x = std::max(max_x, p.x);
    min_y = std::min(min_y, p.y);
    max_y = std::max(max_y, p.y);
  }
  return std::max(max_x - min_x, max_y - min_y);
}

// Moves the arc's centre to the circle of `radius` through its ends nearest the old centre.
void refit_arc(ContourLink* arc, ContourNetwork* out, double radius) {
  const ContourNode s = out->nodes[arc->start_node];
  const ContourNode e = out->nodes[arc->end_node];
  ContourNode& c = out->nodes[arc->centre_node];
  double cx, cy;
  arc_centre_from_chord(s.x, s.y, e.x, e.y, c.x, c.y, radius, &cx, &cy);
  c = {cx, cy};
  arc->radius = std::hypot(cx - s.x, cy - s.y);
}

// Where the path doubles back tangentially along an arc, the arc is opened up a little so
// that the two sides no longer run on top of each other.
void repair_cusps(Network* n, int32_t c) {
  ContourNetwork* out = n->out;
  const double size = contour_size(*out, out->firsts[c], out->lasts[c]);
  for (int32_t k = out->firsts[c]; k <= out->lasts[c]; ++k) {
    const int32_t next = next_in_contour(*n, c, k);
    ContourLink& l = out->links[k];
    ContourLink& following = out->links[next];
    if (l.kind != SEGMENT_ARC && following.kind != SEGMENT_ARC) continue;
    const double angle = joint_angle(out->links.data(), out->nodes.data(), k, next);
    if (angle > NETWORK_CUSP_BAND && angle < CONTOUR_TWO_PI - NETWORK_CUSP_BAND) continue;
    ContourLink& arc = l.kind == SEGMENT_ARC ? l : following;
    double radius = arc.radius * 1.002;
    if (size * 0.0005 > arc.radius * 0.002) radius += size * 0.0002;
    refit_arc(&arc, out, radius);
  }
}

// Joins runs of segments on one line or one circle while the contour keeps three segments.
void join_mergeable_runs(Network* n, int32_t c) {
  ContourNetwork* out = n->out;
  int32_t p = out->firsts[c] + 1;
  while (p <= out->lasts[c] && segment_count(*n, c) >= 3) {
    if (segments_mergeable(out->links[p], out->links[p - 1], out->nodes.data())) {
      out->links[p - 1].end_node = out->links[p].end_node;
      remove_segment(n, c, p);
    } else {
      ++p;
    }
  }
  const int32_t first = out->firsts[c], last = out->lasts[c];
  if (segment_count(*n, c) >= 3 &&
      segments_mergeable(out->links[last], out->links[first], out->nodes.data())) {
    out->links[first].start_node = out->links[last].start_node;
    remove_segment(n, c, last);
  }
}

void refit_all_arcs(ContourNetwork* out) {
  for (ContourLink& l : out->links) {
    if (l.kind == SEGMENT_ARC) refit_arc(&l, out, l.radius);
  }
}

// Two arcs that meet almost but not quite tangentially: the second arc's centre moves onto
// the line through the joint and the first arc's centre, so that they meet exactly tangent.
void make_arc_joint_tangent(ContourNetwork* out, int32_t k, int32_t next) {
  const ContourLink& l = out->links[k];
  ContourLink& following = out->links[next];
  const ContourNode j = out->nodes[l.end_node];
  const ContourNode c = out->nodes[l.centre_node];
  const ContourNode e = out->nodes[following.end_node];
  const ContourNode old_centre = out->nodes[following.centre_node];
  const double denominator = 2.0 * ((e.x - j.x) * (c.x - j.x) + (e.y - j.y) * (c.y - j.y));
  if (denominator == 0.0) return;
  const double s = ((e.x - c.x) * (e.x - c.x) + (e.y - c.y) * (e.y - c.y) -
                    (j.x - c.x) * (j.x - c.x) - (j.y - c.y) * (j.y - c.y)) /
                   denominator;
  const ContourNode moved = {c.x + s * (c.x - j.x), c.y + s * (c.y - j.y)};
  out->nodes[following.centre_node] = moved;
  following.radius = std::hypot(moved.x - j.x, moved.y - j.y);
  if ((moved.x - j.x) * (old_centre.x - j.x) + (moved.y - j.y) * (old_centre.y - j.y) < 0.0) {
    following.direction = 1 - following.direction;
  }
}

void repair_near_tangent_arc_joints(Network* n, int32_t c) {
  ContourNetwork* out = n->out;
  for (int32_t k = out->firsts[c]; k <= out->lasts[c]; ++k) {
    const int32_t next = next_in_contour(*n, c, k);
    if (out->links[k].kind != SEGMENT_ARC || out->links[next].kind != SEGMENT_ARC) continue;
    const double angle = joint_angle(out->links.data(), out->nodes.data(), k, next);
    const double off = std::fabs(angle / CONTOUR_PI - 1.0);
    if (off > NETWORK_TANGENT_LOW && off < NETWORK_TANGENT_HIGH)
      make_arc_joint_tangent(out, k, next);
  }
}

// Two consecutive segments that cross before their shared node enclose a small loop; the
// node moves to the crossing, which cuts the loop off.
void cut_joint_loops(Network* n, int32_t c) {
  ContourNetwork* out = n->out;
  PathCrossings crossings;
  for (int32_t k = out->firsts[c]; k <= out->lasts[c]; ++k) {
    const int32_t next = next_in_contour(*n, c, k);
    if (next == k) continue;
    if (intersect_path_links(out->links[k], out->links[next], out->nodes.data(), &crossings) > 0) {
      out->nodes[out->links[k].end_node] = {crossings.x[0], crossings.y[0]};
    }
  }
}

// False, with the crossing reported, when two segments of one contour cross.
bool contour_simple(const Network& n, int32_t c) {
  const ContourNetwork* out = n.out;
  PathCrossings crossings;
  for (int32_t i = out->firsts[c]; i <= out->lasts[c]; ++i) {
    for (int32_t j = i + 1; j <= out->lasts[c]; ++j) {
      if (intersect_path_links(out->links[i], out->links[j], out->nodes.data(), &crossings) > 0) {
        g_contour_kernel.EngineStatus |= ENGINE_STATUS_SELF_CROSSING;
        g_contour_kernel.ProblemPoint = {static_cast<float>(crossings.x[0]),
                                         static_cast<float>(crossings.y[0])};
        return false;
      }
    }
  }
  return true;
}

// The open path runs back along itself: segment k lands reversed at 2*last - k + 1.
void close_open_path(ContourNetwork* out) {
  const int32_t first = out->firsts[0], last = out->lasts[0];
  out->links.resize(static_cast<size_t>(2 * last - first + 2));
  for (int32_t k = last; k >= first; --k)
    copy_segment_reversed(&out->links[2 * last - k + 1], out->links[k]);
  out->lasts[0] = 2 * last - first + 1;
}

bool clean_network(Network* n, int32_t wanted_direction) {
  ContourNetwork* out = n->out;
  const int32_t count = static_cast<int32_t>(out->firsts.size());
  remove_short_segments(n);
  flatten_short_arcs(out);
  if (!n->open_path) {
    for (int32_t c = 0; c < count; ++c) {
      repair_cusps(n, c);
      join_mergeable_runs(n, c);
    }
  }
  refit_all_arcs(out);
  if (!n->open_path) {
    for (int pass = 0; pass < 2; ++pass) {
      for (int32_t c = 0; c < count; ++c) repair_near_tangent_arc_joints(n, c);
    }
  }
  for (ContourLink& l : out->links) segment_bounding_circle(&l, out->nodes.data());
  if (!n->open_path) {
    for (int32_t c = 0; c < count; ++c) cut_joint_loops(n, c);
  }
  for (int32_t c = 0; c < count; ++c) {
    if (!contour_simple(*n, c)) return false;
  }
  if (n->open_path) {
    close_open_path(out);
    return true;
  }
  for (int32_t c = 0; c < count; ++c) {
    const int32_t first = out->firsts[c], last = out->lasts[c];
    if (contour_orientation(out->links.data(), out->nodes.data(), first, last) !=
        wanted_direction) {
      reverse_contour(out->links.data(), first, last);
    }
  }
  return true;
}

}  // namespace

int32_t build_contour_network(const ContourLink* links, const ContourNode* nodes,
                              const int32_t* firsts, const int32_t* lasts, int32_t count,
                              ContourNetwork* out, int32_t wanted_direction, int32_t clean) {
  Network n{out, g_contour_kernel.contour_run_mode == CONTOUR_RUN_OPEN_PATH};
  // An open-path run has exactly one contour.
  if (n.open_path) count = std::min(count, 1);
  count = std::max(count, 0);
  out->links.clear();
  out->nodes.clear();
  out->firsts.clear();
  out->lasts.clear();

  if (!spans_fit(firsts, lasts, count)) {
    show_contour_message("Too many links in curve");
    return 0;
  }
  for (int32_t c = 0; c < count; ++c) {
    if (!contour_chained(links, firsts[c], lasts[c], n.open_path)) {
      g_contour_kernel.EngineStatus |= ENGINE_STATUS_NOT_CHAINED;
      return 0;
    }
  }
  if (count == 0) return 1;
  for (int32_t c = 0; c < count; ++c)
    copy_contour(links, nodes, firsts[c], lasts[c], n.open_path, out);
  if (clean == 0) return 1;
  return clean_network(&n, wanted_direction) ? 1 : 0;
}
