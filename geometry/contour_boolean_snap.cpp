// Making nearly coincident contours coincide before they are combined. A copy nudged by a hair
// runs within rounding of the original all the way round: its corners lie beside the other
// contour's corners and on its edges, and whether the crossing search sees them as crossings
// or not is left to chance, so the walk follows both contours whole. Corners and edges closer
// than the engine's tolerance are therefore made to coincide exactly first: arcs on nearly one
// circle take one circle, corners beside corners take their place, and corners beside an edge
// move onto it and split it there. Shared stretches then share their nodes, and the walk
// treats them as the shared boundary they are. Every point moves by the tolerance at most.
#include <algorithm>
#include <cmath>
#include <vector>

#include "geometry/contour_boolean.h"
#include "geometry/contour_boolean_internal.h"
#include "geometry/contour_kernel_internal.h"

namespace {

// A corner of a work contour and the segment that leaves it.
struct RingCorner {
  double x, y;
  int32_t kind;
  double cx, cy, radius;
  int32_t direction;
  bool shared_circle;  // the arc took the circle of an arc of the other contour
};
using Ring = std::vector<RingCorner>;

Ring read_ring(const ContourLink* links, const ContourNode* nodes, int32_t first, int32_t last) {
  Ring ring;
  for (int32_t k = first; k <= last; ++k) {
    const ContourLink& l = links[k];
    RingCorner c{};
    c.x = nodes[l.start_node].x;
    c.y = nodes[l.start_node].y;
    c.kind = l.kind == SEGMENT_ARC ? SEGMENT_ARC : SEGMENT_LINE;
    if (c.kind == SEGMENT_ARC) {
      c.cx = nodes[l.centre_node].x;
      c.cy = nodes[l.centre_node].y;
      c.radius = l.radius;
      c.direction = l.direction;
    }
    ring.push_back(c);
  }
  return ring;
}

// Largest side of the box round the contour's segments (arcs by their bounding circles).
double ring_extent(const ContourLink* links, int32_t first, int32_t last) {
  double x0 = 1e300, y0 = 1e300, x1 = -1e300, y1 = -1e300;
  for (int32_t k = first; k <= last; ++k) {
    const ContourLink& l = links[k];
    x0 = std::min(x0, l.bound_x - l.bound_radius);
    x1 = std::max(x1, l.bound_x + l.bound_radius);
    y0 = std::min(y0, l.bound_y - l.bound_radius);
    y1 = std::max(y1, l.bound_y + l.bound_radius);
  }
  return std::max(x1 - x0, y1 - y0);
}

const RingCorner& next_corner(const Ring& ring, size_t k) { return ring[(k + 1) % ring.size()]; }

// The point of the segment leaving corner k nearest to (px, py), when it lies strictly between
// the segment's ends; false when the nearest point of its line or circle lies beyond them.
bool project_on_segment(const Ring& ring, size_t k, double px, double py, double* qx, double* qy) {
  const RingCorner& a = ring[k];
  const RingCorner& b = next_corner(ring, k);
  if (a.kind == SEGMENT_LINE) {
    const double dx = b.x - a.x, dy = b.y - a.y;
    const double l2 = dx * dx + dy * dy;
    if (!(l2 > 0.0)) return false;
    const double t = ((px - a.x) * dx + (py - a.y) * dy) / l2;
    if (!(t > 0.0 && t < 1.0)) return false;
    *qx = a.x + t * dx;
    *qy = a.y + t * dy;
    return true;
  }
  const double rx = px - a.cx, ry = py - a.cy;
  if (!(std::hypot(rx, ry) > 0.0)) return false;
  double s = bearing_angle(a.x - a.cx, a.y - a.cy);
  double e = bearing_angle(b.x - a.cx, b.y - a.cy);
  normalise_arc_bearings(a.direction, &s, &e);
  double p = bearing_angle(rx, ry);
  if (p < std::min(s, e)) p += CONTOUR_TWO_PI;
  if (!strictly_between(s, p, e)) return false;
  point_at_bearing(a.cx, a.cy, a.radius, p, qx, qy);
  return true;
}

// Arcs of `moved` on nearly the circle of an arc of `fixed` take that circle.
void snap_circles(const Ring& fixed, Ring* moved, double tolerance) {
  for (RingCorner& m : *moved) {
    if (m.kind != SEGMENT_ARC) continue;
    for (const RingCorner& f : fixed) {
      if (f.kind != SEGMENT_ARC || std::fabs(f.radius - m.radius) > tolerance ||
          std::hypot(f.cx - m.cx, f.cy - m.cy) > tolerance)
        continue;
      m.cx = f.cx;
      m.cy = f.cy;
      m.radius = f.radius;
      m.shared_circle = true;
      break;
    }
  }
}

// Corners of `moved` beside a corner of `fixed` take its place (the nearest one within reach).
void snap_corners(const Ring& fixed, Ring* moved, double tolerance) {
  for (RingCorner& m : *moved) {
    double best = tolerance;
    const RingCorner* to = nullptr;
    for (const RingCorner& f : fixed) {
      const double d = std::hypot(f.x - m.x, f.y - m.y);
      if (d <= best) {
        best = d;
        to = &f;
      }
    }
    if (to != nullptr) {
      m.x = to->x;
      m.y = to->y;
    }
  }
}

bool is_corner_of(const Ring& ring, double x, double y) {
  for (const RingCorner& c : ring) {
    if (c.x == x && c.y == y) return true;
  }
  return false;
}

// Corners of `moved` beside a segment of `fixed` move onto it, and the segment is split there
// so that both contours share the node. A corner that would land within reach of the
// segment's end takes the end instead: no segment shorter than the tolerance is made.
void snap_corners_to_segments(Ring* fixed, Ring* moved, double tolerance) {
  for (RingCorner& m : *moved) {
    if (is_corner_of(*fixed, m.x, m.y)) continue;
    for (size_t k = 0; k < fixed->size(); ++k) {
      double qx, qy;
      if (!project_on_segment(*fixed, k, m.x, m.y, &qx, &qy)) continue;
      if (std::hypot(qx - m.x, qy - m.y) > tolerance) continue;
      const RingCorner& a = (*fixed)[k];
      const RingCorner& b = next_corner(*fixed, k);
      if (std::hypot(qx - a.x, qy - a.y) <= tolerance) {
        m.x = a.x;
        m.y = a.y;
      } else if (std::hypot(qx - b.x, qy - b.y) <= tolerance) {
        m.x = b.x;
        m.y = b.y;
      } else {
        RingCorner split = a;  // the second piece runs on the same line or circle
        split.x = qx;
        split.y = qy;
        fixed->insert(fixed->begin() + static_cast<std::ptrdiff_t>(k) + 1, split);
        m.x = qx;
        m.y = qy;
      }
      break;
    }
  }
}

// Corners that came to lie on their neighbour are dropped with the segment between them.
void drop_empty_segments(Ring* ring) {
  for (size_t k = 0; ring->size() > 1 && k < ring->size();) {
    const RingCorner& b = next_corner(*ring, k);
    if ((*ring)[k].x == b.x && (*ring)[k].y == b.y) {
      ring->erase(ring->begin() + static_cast<std::ptrdiff_t>(k));
    } else {
      ++k;
    }
  }
}

// A contour needs two arcs or three segments to enclose anything.
bool encloses(const Ring& ring) {
  if (ring.size() >= 3) return true;
  return ring.size() == 2 && ring[0].kind == SEGMENT_ARC && ring[1].kind == SEGMENT_ARC;
}

bool on_circle(const RingCorner& arc, const RingCorner& p) {
  constexpr double ON_CIRCLE = 1e-9;  // x the radius
  return std::fabs(std::hypot(p.x - arc.cx, p.y - arc.cy) - arc.radius) <= ON_CIRCLE * arc.radius;
}

// An end of an arc that took the other contour's circle moves onto that circle, unless it is
// a corner of the other contour too; the arcs then share their circle exactly.
void put_end_on_circle(const RingCorner& arc, const Ring& other, RingCorner* end) {
  if (on_circle(arc, *end) || is_corner_of(other, end->x, end->y)) return;
  const double d = std::hypot(end->x - arc.cx, end->y - arc.cy);
  if (!(d > 0.0)) return;
  end->x = arc.cx + (end->x - arc.cx) * arc.radius / d;
  end->y = arc.cy + (end->y - arc.cy) * arc.radius / d;
}

// An arc whose end moved keeps its radius and way round; its centre moves so that both ends
// lie on its circle again (the one nearer its old centre). The ends of arcs that took the
// other contour's circle are first moved onto it, so that those keep it exactly.
void refit_moved_arcs(Ring* ring, const Ring& other) {
  const size_t n = ring->size();
  for (size_t k = 0; k < n; ++k) {
    const RingCorner& a = (*ring)[k];
    if (a.kind != SEGMENT_ARC || !a.shared_circle) continue;
    put_end_on_circle(a, other, &(*ring)[k]);
    put_end_on_circle(a, other, &(*ring)[(k + 1) % n]);
  }
  for (size_t k = 0; k < n; ++k) {
    RingCorner& a = (*ring)[k];
    const RingCorner& b = (*ring)[(k + 1) % n];
    if (a.kind != SEGMENT_ARC || (on_circle(a, a) && on_circle(a, b))) continue;
    a.radius = std::max(a.radius, 0.5 * std::hypot(b.x - a.x, b.y - a.y));
    arc_centre_from_chord(a.x, a.y, b.x, b.y, a.cx, a.cy, a.radius, &a.cx, &a.cy);
  }
}

void write_ring(const Ring& ring, ContourNetwork* out) {
  const int32_t first_link = static_cast<int32_t>(out->links.size());
  const int32_t first_node = static_cast<int32_t>(out->nodes.size());
  const int32_t n = static_cast<int32_t>(ring.size());
  for (const RingCorner& c : ring) out->nodes.push_back({c.x, c.y});
  for (int32_t k = 0; k < n; ++k) {
    const RingCorner& c = ring[k];
    ContourLink l;
    l.kind = c.kind;
    l.start_node = first_node + k;
    l.end_node = first_node + (k + 1) % n;
    if (c.kind == SEGMENT_ARC) {
      out->nodes.push_back({c.cx, c.cy});
      l.centre_node = static_cast<int32_t>(out->nodes.size()) - 1;
      l.radius = c.radius;
      l.direction = c.direction;
    }
    out->links.push_back(l);
  }
  for (int32_t k = first_link; k < first_link + n; ++k)
    segment_bounding_circle(&out->links[k], out->nodes.data());
  out->firsts.push_back(first_link);
  out->lasts.push_back(first_link + n - 1);
}

}  // namespace

double boolean_tolerance(double extent_a, double extent_b) {
  return std::max(BOOLEAN_TOLERANCE_RELATIVE * std::min(extent_a, extent_b),
                  BOOLEAN_TOLERANCE_ABSOLUTE);
}

bool snap_boolean_contours() {
  ContourBooleanState& st = g_contour_boolean;
  const double extent_a = ring_extent(st.links, st.first[0], st.last[0]);
  const double extent_b = ring_extent(st.links, st.first[1], st.last[1]);
  st.tolerance = boolean_tolerance(extent_a, extent_b);
  st.extent = std::max(extent_a, extent_b);
  Ring a = read_ring(st.links, st.nodes, st.first[0], st.last[0]);
  Ring b = read_ring(st.links, st.nodes, st.first[1], st.last[1]);
  snap_circles(a, &b, st.tolerance);
  snap_corners(a, &b, st.tolerance);
  snap_corners_to_segments(&a, &b, st.tolerance);
  snap_corners_to_segments(&b, &a, st.tolerance);
  drop_empty_segments(&a);
  drop_empty_segments(&b);
  refit_moved_arcs(&b, a);
  refit_moved_arcs(&a, b);
  if (!encloses(a) || !encloses(b)) return false;
  // The snapped copies become the work arrays; the caller's arrays are only read.
  ContourNetwork snapped;
  write_ring(a, &snapped);
  write_ring(b, &snapped);
  st.network = std::move(snapped);
  for (int s = 0; s < 2; ++s) {
    st.first[s] = st.network.firsts[s];
    st.last[s] = st.network.lasts[s];
  }
  st.links = st.network.links.data();
  st.nodes = st.network.nodes.data();
  return true;
}
