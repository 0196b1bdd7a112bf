// Raw offset of lines and arcs.
#include "cam/raw_offset.h"

#include <algorithm>
#include <cmath>

namespace {

// Joints turning less than this (|sin| of the turn) while running on are straight on.
constexpr double JOINT_STRAIGHT_SINE = 0.00005;
constexpr double JOINT_STRAIGHT_COSINE = -0.95;
// A joint where the path turns back on itself: no side is the inner one.
constexpr double JOINT_CUSP_SINE = 1e-10;
constexpr double JOINT_CUSP_COSINE = 0.95;
// An offset arc whose radius would come this close to 0 has no length left either.
constexpr double RAW_OFFSET_MIN_RADIUS = 1e-9;

int32_t add_node(RawOffset* raw, double x, double y) {
  raw->nodes.push_back({x, y});
  return static_cast<int32_t>(raw->nodes.size()) - 1;
}

int32_t add_link(RawOffset* raw, const ContourLink& link, int32_t source) {
  raw->links.push_back(link);
  raw->source.push_back(source);
  return static_cast<int32_t>(raw->links.size()) - 1;
}

// The direction pointing back along link `first` from its end, and forward along `second`
// from its start (the shared node P).
void joint_directions(const ContourLink* links, const ContourNode* nodes, int32_t first,
                      int32_t second, double* ax, double* ay, double* bx, double* by) {
  const ContourLink& f = links[first];
  const ContourLink& s = links[second];
  const ContourNode& p = nodes[f.end_node];
  if (f.kind == SEGMENT_ARC) {
    const ContourNode& c = nodes[f.centre_node];
    *ax = p.y - c.y;
    *ay = c.x - p.x;
    if (f.direction == CONTOUR_CLOCKWISE) {
      *ax = -*ax;
      *ay = -*ay;
    }
  } else {
    *ax = nodes[f.start_node].x - p.x;
    *ay = nodes[f.start_node].y - p.y;
  }
  if (s.kind == SEGMENT_ARC) {
    const ContourNode& c = nodes[s.centre_node];
    *bx = c.y - p.y;
    *by = p.x - c.x;
    if (s.direction == CONTOUR_CLOCKWISE) {
      *bx = -*bx;
      *by = -*by;
    }
  } else {
    *bx = nodes[s.end_node].x - p.x;
    *by = nodes[s.end_node].y - p.y;
  }
}

// True when the path turns straight back at the joint: both sides then need a joining arc.
bool joint_is_cusp(const ContourLink* links, const ContourNode* nodes, int32_t first,
                   int32_t second) {
  double ax, ay, bx, by;
  joint_directions(links, nodes, first, second, &ax, &ay, &bx, &by);
  const double l = std::hypot(ax, ay) * std::hypot(bx, by);
  if (l < 1e-20) return false;
  const double cross = ax * by - ay * bx;
  return std::fabs(cross) / l < JOINT_CUSP_SINE && (ax * bx + ay * by) / l > JOINT_CUSP_COSINE;
}

// Offsets one region link; returns its raw link or -1 when it vanished.
int32_t offset_link(const ContourLink* links, const ContourNode* nodes, int32_t k, double w,
                    RawOffset* raw) {
  const ContourLink& l = links[k];
  const ContourNode s = nodes[l.start_node];
  const ContourNode e = nodes[l.end_node];
  ContourLink out;
  out.kind = l.kind;
  if (l.kind != SEGMENT_ARC) {
    const double length = std::hypot(e.x - s.x, e.y - s.y);
    if (length < RAW_OFFSET_MIN_LINE) return -1;
    const double nx = -(e.y - s.y) / length * w, ny = (e.x - s.x) / length * w;
    out.kind = SEGMENT_LINE;
    out.start_node = add_node(raw, s.x + nx, s.y + ny);
    out.end_node = add_node(raw, e.x + nx, e.y + ny);
    return add_link(raw, out, k);
  }
  const ContourNode c = nodes[l.centre_node];
  const double r = l.radius;
  const double radius = l.direction == CONTOUR_CLOCKWISE ? r + w : r - w;
  if (radius < RAW_OFFSET_MIN_RADIUS || r <= 0.0) return -1;
  const double f = radius / r;
  out.start_node = add_node(raw, c.x + f * (s.x - c.x), c.y + f * (s.y - c.y));
  out.end_node = add_node(raw, c.x + f * (e.x - c.x), c.y + f * (e.y - c.y));
  out.centre_node = add_node(raw, c.x, c.y);
  out.radius = radius;
  out.direction = l.direction;
  return add_link(raw, out, k);
}

// The point at distance `length` from the joint P towards Q (P itself when Q is on P).
void point_towards(const ContourNode& p, const ContourNode& q, double length, double* x,
                   double* y) {
  const double d = std::hypot(q.x - p.x, q.y - p.y);
  if (d < 1e-20) {
    *x = p.x;
    *y = p.y;
    return;
  }
  *x = p.x + (q.x - p.x) / d * length;
  *y = p.y + (q.y - p.y) / d * length;
}

void add_joining_arc(RawOffset* raw, int32_t start, int32_t end, const ContourNode& centre,
                     double radius, int32_t direction) {
  ContourLink arc;
  arc.kind = SEGMENT_ARC;
  arc.start_node = start;
  arc.end_node = end;
  arc.centre_node = add_node(raw, centre.x, centre.y);
  arc.radius = radius;
  arc.direction = direction;
  add_link(raw, arc, -1);
}

// Closes the joint between region links d and e (e follows d in its loop).
void join_offsets(const ContourLink* links, const ContourNode* nodes, int32_t d, int32_t e,
                  int32_t kind, double w, RawOffset* raw) {
  const int32_t rd = raw->raw_index[d - raw->first];
  const int32_t re = raw->raw_index[e - raw->first];
  const ContourNode p = nodes[links[d].end_node];
  const double aw = std::fabs(w);
  if (kind == JOINT_GAP) {
    int32_t start, end;
    if (rd >= 0) {
      start = raw->links[rd].end_node;
    } else {
      double x, y;
      point_towards(p, nodes[links[d].start_node], aw, &x, &y);
      start = add_node(raw, x, y);
    }
    if (re >= 0) {
      end = raw->links[re].start_node;
    } else {
      double x, y;
      point_towards(p, nodes[links[e].end_node], aw, &x, &y);
      end = add_node(raw, x, y);
    }
    add_joining_arc(raw, start, end, p, aw,
                    w >= 0.0 ? CONTOUR_CLOCKWISE : CONTOUR_COUNTER_CLOCKWISE);
    return;
  }
  if (kind != JOINT_STRAIGHT || (rd < 0 && re < 0)) return;  // crossings are found later
  const int32_t turn = w >= 0.0 ? CONTOUR_COUNTER_CLOCKWISE : CONTOUR_CLOCKWISE;
  if (rd >= 0 && re >= 0) {
    raw->links[rd].end_node = raw->links[re].start_node;
  } else if (rd >= 0) {
    // The next link vanished: swing about the joint towards where its chord leads.
    const ContourLink& v = links[e];
    double ux, uy;
    point_towards({0.0, 0.0}, {nodes[v.end_node].x - nodes[v.start_node].x,
                               nodes[v.end_node].y - nodes[v.start_node].y}, 1.0, &ux, &uy);
    const int32_t end = add_node(raw, p.x + w * ux, p.y + w * uy);
    add_joining_arc(raw, raw->links[rd].end_node, end, p, aw, turn);
  } else {
    const ContourLink& v = links[d];
    double ux, uy;
    point_towards({0.0, 0.0}, {nodes[v.start_node].x - nodes[v.end_node].x,
                               nodes[v.start_node].y - nodes[v.end_node].y}, 1.0, &ux, &uy);
    const int32_t start = add_node(raw, p.x + w * ux, p.y + w * uy);
    add_joining_arc(raw, start, raw->links[re].start_node, p, aw, turn);
  }
}

void offset_loop(const ContourLink* links, const ContourNode* nodes, int32_t first, int32_t last,
                 double w, RawOffset* raw) {
  if (last < first) return;
  const int32_t n = last - first + 1;
  raw->first = first;
  raw->raw_index.assign(static_cast<size_t>(n), -1);
  raw->joint.assign(static_cast<size_t>(n), JOINT_CROSSING);
  for (int32_t k = first; k <= last; ++k) {
    raw->raw_index[k - first] = offset_link(links, nodes, k, w, raw);
  }
  for (int32_t k = first; k <= last; ++k) {
    const int32_t next = k == last ? first : k + 1;
    int32_t kind = joint_kind(links, nodes, k, next);
    if (joint_is_cusp(links, nodes, k, next)) {
      kind = JOINT_GAP;  // turning back leaves a gap on either side
    } else if (w < 0.0) {
      kind = JOINT_GAP - kind;
    }
    raw->joint[k - first] = kind;
  }
  if (n == 1) return;  // a single link cannot be closed by joints
  for (int32_t k = first; k <= last; ++k) {
    join_offsets(links, nodes, k, k == last ? first : k + 1, raw->joint[k - first], w, raw);
  }
}

}  // namespace

int32_t joint_kind(const ContourLink* links, const ContourNode* nodes, int32_t first,
                   int32_t second) {
  double ax, ay, bx, by;
  joint_directions(links, nodes, first, second, &ax, &ay, &bx, &by);
  const double l = std::hypot(ax, ay) * std::hypot(bx, by);
  if (l < 1e-20) return JOINT_CROSSING;
  const double cosine = (ax * bx + ay * by) / l;
  const double cross = ax * by - ay * bx;
  if (std::fabs(cross) / l < JOINT_STRAIGHT_SINE && cosine < JOINT_STRAIGHT_COSINE) {
    return JOINT_STRAIGHT;
  }
  // A turn back on itself (cross exactly 0, running back) is treated as a gap by the caller.
  return cross > 0.0 ? JOINT_GAP : JOINT_CROSSING;
}

int32_t offset_raw_segments(const RegionView& region, double d, RawOffset* raw) {
  raw->links.clear();
  raw->nodes.clear();
  raw->source.clear();
  offset_loop(region.links, region.nodes, region.start, region.end, d, raw);
  for (int32_t i = 0; i < region.island_count; ++i) {
    offset_loop(region.links, region.nodes, region.island_start[i], region.island_end[i], d, raw);
  }
  // Arcs were built from scaled points; fit every centre to its ends so that the two ends
  // lie exactly on the arc's circle, which the crossings rely on.
  for (ContourLink& l : raw->links) {
    if (l.kind != SEGMENT_ARC) continue;
    const ContourNode s = raw->nodes[l.start_node];
    const ContourNode e = raw->nodes[l.end_node];
    ContourNode& c = raw->nodes[l.centre_node];
    double cx, cy;
    arc_centre_from_chord(s.x, s.y, e.x, e.y, c.x, c.y, l.radius, &cx, &cy);
    c = {cx, cy};
    l.radius = std::hypot(s.x - cx, s.y - cy);
  }
  for (ContourLink& l : raw->links) segment_bounding_circle(&l, raw->nodes.data());
  return static_cast<int32_t>(raw->links.size());
}
