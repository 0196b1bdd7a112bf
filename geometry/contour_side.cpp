// Ray-casting side tests: which side of a closed contour a point or a whole contour lies on.
//
// Ray k through the point P lies on the line x + h*y = P.x + h*P.y, h = k*0.00013 - 1 +
// 0.000102376917, and only its part with x > P.x counts: it leaves P to the right and
// upwards at a little more than 45 degrees, a little steeper with every retry, so that a
// retry after an ambiguous ray (through a node, or grazing a segment) meets the contour
// elsewhere. The side comes from the nearest crossing: the sign of the sine between the ray
// and the contour's direction there.
#include <cmath>
#include <initializer_list>

#include "geometry/contour_kernel.h"
#include "geometry/contour_kernel_internal.h"
#include "geometry/path_intersect.h"

namespace {

constexpr int RAY_TRIES = 100;
constexpr double RAY_SLOPE_STEP = 0.00013;
constexpr double RAY_SLOPE_BASE = -1.0 + 0.000102376917;
constexpr double RAY_END_BAND = 1e-6;  // crossings this near a segment end make a ray ambiguous
constexpr double RAY_MIN_SINE = 1e-6;  // a flatter nearest crossing makes a ray ambiguous
constexpr double RAY_NO_CROSSING_X = 99999999.0;

struct Ray {
  double px, py;  // the tested point
  double h;       // slope term of the ray's line x + h*y = c
  double c;
};

Ray make_ray(int k, double px, double py) {
  Ray ray;
  ray.px = px;
  ray.py = py;
  ray.h = k * RAY_SLOPE_STEP + RAY_SLOPE_BASE;
  ray.c = px + ray.h * py;
  return ray;
}

// One place where the ray's line meets a segment.
struct RayCrossing {
  double x, y;    // the point
  double t;       // fraction along the segment
  double dx, dy;  // the segment's direction of travel there
};

// What one ray has met so far.
struct RayTally {
  bool ambiguous = false;
  bool found = false;  // a counted crossing exists
  double nearest_x = RAY_NO_CROSSING_X;
  double sine = 0.0;  // crossing sine at the nearest crossing
};

bool in_end_band(double t) {
  return (t > -RAY_END_BAND && t < RAY_END_BAND) ||
         (t > 1.0 - RAY_END_BAND && t < 1.0 + RAY_END_BAND);
}

// Meets the ray's line with a line segment whose ray determinant is not zero. The fraction
// comes from the coordinate that changes more, which stays accurate on steep and flat lines.
RayCrossing ray_meets_line(const Ray& ray, const ContourNode& s, const ContourNode& e) {
  RayCrossing x;
  x.dx = e.x - s.x;
  x.dy = e.y - s.y;
  const double raw = (ray.c - s.x - ray.h * s.y) / (x.dx + ray.h * x.dy);
  x.x = s.x + raw * x.dx;
  x.y = s.y + raw * x.dy;
  const double ox = std::fabs(x.x - s.x), oy = std::fabs(x.y - s.y);
  if (ox == 0.0 && oy == 0.0) {
    x.t = 0.0;
  } else if (oy >= ox) {
    x.t = (x.y - s.y) / x.dy;
  } else {
    x.t = (x.x - s.x) / x.dx;
  }
  return x;
}

// Meets the ray's line with an arc's circle: 0 or 2 crossings with fractions along the arc.
int ray_meets_arc(const Ray& ray, const ContourLink& arc, const ContourNode* nodes,
                  RayCrossing out[2]) {
  const ContourNode& c = nodes[arc.centre_node];
  const double ux = -ray.h, uy = 1.0;  // along the ray's line
  const double fx = ray.px - c.x, fy = ray.py - c.y;
  const double qa = ux * ux + uy * uy;
  const double qb = 2.0 * (ux * fx + uy * fy);
  const double qc = fx * fx + fy * fy - arc.radius * arc.radius;
  const double disc = qb * qb - 4.0 * qa * qc;
  if (!(disc > 0.0)) return 0;
  const double root = std::sqrt(disc);
  const double along[2] = {(-qb - root) / (2.0 * qa), (-qb + root) / (2.0 * qa)};
  double bearings[2];
  for (int k = 0; k < 2; ++k) {
    out[k].x = ray.px + along[k] * ux;
    out[k].y = ray.py + along[k] * uy;
    bearings[k] = bearing_angle(out[k].x - c.x, out[k].y - c.y);
    out[k].dx = c.y - out[k].y;
    out[k].dy = out[k].x - c.x;
    if (arc.direction == CONTOUR_CLOCKWISE) {
      out[k].dx = -out[k].dx;
      out[k].dy = -out[k].dy;
    }
  }
  double start, end;
  arc_end_bearings(arc, nodes, &start, &end);
  arc_parameters_of_angles(bearings[0], bearings[1], start, end, arc.direction, &out[0].t,
                           &out[1].t);
  return 2;
}

// Counts a crossing on the ray (x beyond the point) and keeps the nearest one.
void tally_crossing(const Ray& ray, const RayCrossing& x, RayTally* tally) {
  if (!(x.x > ray.px)) return;
  if (in_end_band(x.t)) tally->ambiguous = true;
  if (!(x.t > 0.0 && x.t < 1.0) || !(x.x < tally->nearest_x)) return;
  const double rx = x.x - ray.px, ry = x.y - ray.py;
  const double lengths = std::hypot(rx, ry) * std::hypot(x.dx, x.dy);
  tally->found = true;
  tally->nearest_x = x.x;
  tally->sine = lengths > 0.0 ? (rx * x.dy - ry * x.dx) / lengths : 0.0;
}

// After a pass: a nearly tangent nearest crossing decides nothing.
void finish_tally(RayTally* tally) {
  if (tally->found && std::fabs(tally->sine) < RAY_MIN_SINE) tally->ambiguous = true;
}

// One pass of ray k over the segments of contour B for contour_inside.
RayTally cast_inside_ray(const Ray& ray, const ContourLink* links, const ContourNode* nodes,
                         int32_t first, int32_t last) {
  RayTally tally;
  for (int32_t k = first; k <= last; ++k) {
    const ContourLink& l = links[k];
    if (l.kind == SEGMENT_ARC) {
      RayCrossing xs[2];
      const int n = ray_meets_arc(ray, l, nodes, xs);
      for (int i = 0; i < n; ++i) tally_crossing(ray, xs[i], &tally);
      continue;
    }
    const ContourNode& s = nodes[l.start_node];
    const ContourNode& e = nodes[l.end_node];
    const double dx = e.x - s.x, dy = e.y - s.y;
    if (std::fabs(dx) + std::fabs(dy) < 1e-20) {
      tally.ambiguous = true;
      return tally;
    }
    if (dx + ray.h * dy == 0.0) continue;  // parallel: never met
    tally_crossing(ray, ray_meets_line(ray, s, e), &tally);
  }
  finish_tally(&tally);
  return tally;
}

bool near_point(const RayCrossing& x, const Ray& ray) {
  return std::fabs(x.x - ray.px) < 1e-6 && std::fabs(x.y - ray.py) < 1e-6 && x.t > -1e-5 &&
         x.t < 1.00001;
}

// True when P lies on the arc (within the band around its circle, at its ends or inside its
// sweep).
bool point_on_arc(const Ray& ray, const ContourLink& arc, const ContourNode* nodes, bool loose) {
  const ContourNode& c = nodes[arc.centre_node];
  const double r = arc.radius;
  const double band = r * (loose ? 0.0005 : 1e-5);
  if (!(std::fabs(std::hypot(ray.px - c.x, ray.py - c.y) - r) < band)) return false;
  const double end_band = r * 1e-5;
  for (const int32_t node : {arc.start_node, arc.end_node}) {
    if (std::fabs(ray.px - nodes[node].x) < end_band &&
        std::fabs(ray.py - nodes[node].y) < end_band)
      return true;
  }
  double s, e;
  arc_end_bearings(arc, nodes, &s, &e);
  normalise_arc_bearings(arc.direction, &s, &e);
  double p = bearing_angle(ray.px - c.x, ray.py - c.y);
  if (p < std::min(s, e)) p += CONTOUR_TWO_PI;
  return strictly_between(s, p, e);
}

// One pass of ray k for point_side_of_contour; sets *on_contour when P lies on a segment.
RayTally cast_side_ray(const Ray& ray, const ContourLink* links, const ContourNode* nodes,
                       int32_t first, int32_t last, bool loose, bool* on_contour) {
  RayTally tally;
  for (int32_t k = first; k <= last; ++k) {
    const ContourLink& l = links[k];
    if (l.kind == SEGMENT_ARC) {
      if (point_on_arc(ray, l, nodes, loose)) {
        *on_contour = true;
        return tally;
      }
      RayCrossing xs[2];
      const int n = ray_meets_arc(ray, l, nodes, xs);
      for (int i = 0; i < n; ++i) {
        if (near_point(xs[i], ray)) {
          *on_contour = true;
          return tally;
        }
        tally_crossing(ray, xs[i], &tally);
      }
      continue;
    }
    const ContourNode& s = nodes[l.start_node];
    const ContourNode& e = nodes[l.end_node];
    const double dx = e.x - s.x, dy = e.y - s.y;
    const double size = std::fabs(dx) + std::fabs(dy);
    if (size == 0.0) continue;  // a line without length cannot be crossed
    if (std::fabs(dx + ray.h * dy) / size < 1e-7) {
      tally.ambiguous = true;
      return tally;
    }
    const RayCrossing x = ray_meets_line(ray, s, e);
    if (near_point(x, ray)) {
      *on_contour = true;
      return tally;
    }
    tally_crossing(ray, x, &tally);
  }
  finish_tally(&tally);
  return tally;
}

int32_t side_from_sine(double sine, int32_t direction) {
  if (direction == CONTOUR_COUNTER_CLOCKWISE) return sine >= 0.0 ? 1 : -1;
  return sine > 0.0 ? -1 : 1;
}

}  // namespace

int32_t contour_inside(const ContourLink* links, const ContourNode* nodes, int32_t first_a,
                       int32_t last_a, int32_t first_b, int32_t last_b, int32_t direction_b) {
  PathCrossings crossings;
  for (int32_t i = first_a; i <= last_a; ++i) {
    for (int32_t j = first_b; j <= last_b; ++j) {
      if (intersect_path_links(links[i], links[j], nodes, &crossings) > 0) return 0;
    }
  }
  const ContourNode& p = nodes[links[first_a].start_node];
  for (int k = 0; k < RAY_TRIES; ++k) {
    const RayTally tally = cast_inside_ray(make_ray(k, p.x, p.y), links, nodes, first_b, last_b);
    if (tally.ambiguous) continue;
    if (!tally.found) return 0;
    if (direction_b == CONTOUR_COUNTER_CLOCKWISE) return tally.sine >= 0.0 ? 1 : 0;
    return tally.sine <= 0.0 ? 1 : 0;
  }
  g_contour_kernel.EngineStatus |= ENGINE_STATUS_INSIDE_UNDECIDED;
  return -1;
}

int32_t point_side_of_contour(const ContourLink* links, const ContourNode* nodes, double x,
                              double y, int32_t first, int32_t last, int32_t direction,
                              int32_t loose) {
  // When every ray stays ambiguous, the last ray that met the contour answers; a point no
  // ray ever met lies outside.
  int32_t fallback = -1;
  for (int k = 0; k < RAY_TRIES; ++k) {
    bool on_contour = false;
    const RayTally tally =
        cast_side_ray(make_ray(k, x, y), links, nodes, first, last, loose != 0, &on_contour);
    if (on_contour) return 0;
    const int32_t answer = tally.found ? side_from_sine(tally.sine, direction) : -1;
    if (!tally.ambiguous) return answer;
    if (tally.found) fallback = answer;
  }
  return fallback;
}
