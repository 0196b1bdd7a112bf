#include "geometry/fillet_through_point.h"

#include <cmath>
#include <utility>

#include "geometry/geometry2d.h"

namespace {

// Two directions agree when they differ by at most this (radians), whole turns aside.
constexpr double TANGENT_SLACK = 0.01;
// Below this the two lines count as parallel (the sine of the angle between them).
constexpr double PARALLEL_LIMIT = 1e-6;
// A point this close to a line (as a share of the corner frame) leaves no fillet through it.
constexpr double DEGENERATE_LIMIT = 1e-11;

struct Vec {
  double x;
  double y;
};

Vec to_vec(const PointF& p) { return {p.x, p.y}; }
Vec sub(Vec a, Vec b) { return {a.x - b.x, a.y - b.y}; }
Vec add_scaled(Vec a, Vec b, double s) { return {a.x + b.x * s, a.y + b.y * s}; }
double dot(Vec a, Vec b) { return a.x * b.x + a.y * b.y; }
double cross(Vec a, Vec b) { return a.x * b.y - a.y * b.x; }
double length(Vec a) { return std::hypot(a.x, a.y); }
PointF to_point(Vec a) { return {static_cast<float>(a.x), static_cast<float>(a.y)}; }

bool agree(double a, double b) {
  double d = std::fmod(b - a, ANGLE_TWO_PI);
  if (d > ANGLE_PI) d -= ANGLE_TWO_PI;
  if (d < -ANGLE_PI) d += ANGLE_TWO_PI;
  return std::fabs(d) <= TANGENT_SLACK;
}

double angle_of(Vec v) { return std::atan2(v.y, v.x); }

// A straight link as an infinite line: a point on it and its unit direction of travel.
struct Line {
  Vec origin;
  Vec dir;
  bool valid;
};

Line line_of(const LinkRecord* link) {
  const Vec a = to_vec(link->point);
  const Vec d = sub(to_vec(next_point(link)), a);
  const double n = length(d);
  if (n < 1e-12) return {a, {1.0, 0.0}, false};
  return {a, {d.x / n, d.y / n}, true};
}

Vec foot_on(const Line& l, Vec p) { return add_scaled(l.origin, l.dir, dot(sub(p, l.origin), l.dir)); }

// A candidate fillet: its two records (the second only a point) built on the given ends.
struct Candidate {
  LinkRecord rec[2];
};

Candidate make_candidate(const LinkRecord* fillet, Vec centre, double radius, Vec start, Vec end,
                         const PointF* p) {
  Candidate c{};
  c.rec[0] = *fillet;
  c.rec[1] = LinkRecord{};
  c.rec[0].code = static_cast<float>(radius);
  c.rec[0].centre = to_point(centre);
  c.rec[0].point = to_point(start);
  c.rec[1].point = to_point(end);
  set_arc_direction_through(c.rec, p);
  return c;
}

void make_tangent(LinkRecord* node) {
  node->node_flags = static_cast<uint8_t>((node->node_flags & ~NODE_KIND_MASK) | NODE_TANGENT);
}

// The candidate written into the fillet record; only the node of the next record changes.
void take_candidate(LinkRecord* fillet, const Candidate& c, bool tangent_joints) {
  const uint8_t flags = fillet->node_flags;
  const int16_t number = fillet->node_number;
  const float z = fillet->z;
  fillet[0] = c.rec[0];
  fillet[0].node_flags = flags;
  fillet[0].node_number = number;
  fillet[0].z = z;
  fillet[1].point = c.rec[1].point;
  arc_angles_from_points(fillet);
  if (tangent_joints) {
    make_tangent(&fillet[0]);
    make_tangent(&fillet[1]);
  }
}

}  // namespace

bool circle_touching_point(const LinkRecord* link, const PointF& centre, double radius,
                           PointF* out) {
  const Vec c1 = to_vec(link->centre);
  const Vec d = sub(to_vec(centre), c1);
  if (std::fabs(d.x) <= 1e-11 && std::fabs(d.y) <= 1e-11) return false;
  const double d2 = dot(d, d);
  const double r1 = link->code;
  const double t = ((r1 * r1) / d2 - (radius * radius) / d2 + 1.0) / 2.0;
  *out = to_point(add_scaled(c1, d, t));
  return true;
}

int fillet_lines_through_point(LinkRecord* previous, LinkRecord* next, const PointF* p,
                               LinkRecord* fillet, float* radius) {
  const Line l1 = line_of(previous);
  const Line l2 = line_of(next);
  if (!l1.valid || !l2.valid) return FILLET_POINT_NONE;
  const bool reversed = (fillet->node_flags & NODE_KIND_OTHER) != 0;
  const double dir1 = angle_of(l1.dir);
  const double dir2 = angle_of(l2.dir);
  const Vec pv = to_vec(*p);

  // Centres and radii of the circles through p tangent to both lines.
  Vec centres[2];
  double radii[2];
  int count = 0;
  const double sine = cross(l1.dir, l2.dir);
  if (std::fabs(sine) >= PARALLEL_LIMIT) {
    // The corner X of the two lines, and p in the frame of the lines' directions from it.
    const double s = cross(sub(l2.origin, l1.origin), l2.dir) / sine;
    const Vec x = add_scaled(l1.origin, l1.dir, s);
    const Vec w = sub(pv, x);
    const double along1 = cross(w, l2.dir) / sine;
    const double along2 = cross(l1.dir, w) / sine;
    if (std::fabs(along1) <= DEGENERATE_LIMIT || std::fabs(along2) <= DEGENERATE_LIMIT)
      return FILLET_POINT_NONE;
    // The bisector of the angle p lies in; its centres are at t along it, radius t sin(half).
    const Vec e1 = along1 > 0.0 ? l1.dir : Vec{-l1.dir.x, -l1.dir.y};
    const Vec e2 = along2 > 0.0 ? l2.dir : Vec{-l2.dir.x, -l2.dir.y};
    Vec u = {e1.x + e2.x, e1.y + e2.y};
    const double un = length(u);
    u = {u.x / un, u.y / un};
    const double sin_half = std::fabs(cross(u, e1));
    const double cos2 = 1.0 - sin_half * sin_half;
    const double b = dot(w, u);
    double disc = b * b - cos2 * dot(w, w);
    if (disc < -DEGENERATE_LIMIT) return FILLET_POINT_NONE;
    if (disc < 0.0) disc = 0.0;
    const double root = std::sqrt(disc);
    for (const double t : {(b - root) / cos2, (b + root) / cos2}) {
      if (t <= 0.0) continue;
      centres[count] = add_scaled(x, u, t);
      radii[count] = t * sin_half;
      ++count;
    }
  } else {
    const double r = point_line_distance(&next_point(previous), next) / 2.0;
    if (!(r > 0.0)) return FILLET_POINT_NONE;
    LinkRecord o1{};
    LinkRecord o2{};
    o1.code = o2.code = static_cast<float>(r);
    const int n = circles_through_point_tangent_line(next, p, &o1, &o2);
    for (int i = 0; i < n && i < 2; ++i) {
      centres[count] = to_vec(i == 0 ? o1.centre : o2.centre);
      radii[count] = r;
      ++count;
    }
  }
  if (count == 0) return FILLET_POINT_NONE;

  int result = FILLET_POINT_NONE;
  for (int i = 0; i < count; ++i) {
    const Vec start = foot_on(l1, centres[i]);
    const Vec end = foot_on(l2, centres[i]);
    const Candidate c = make_candidate(fillet, centres[i], radii[i], start, end, p);
    double t_start = arc_tangent_angle(&c.rec[0].point, c.rec);
    double t_end = arc_tangent_angle(&c.rec[1].point, c.rec);
    if (reversed) {
      t_start += ANGLE_PI;
      t_end += ANGLE_PI;
    }
    if (!agree(t_start, dir1) || !agree(t_end, dir2)) {
      result = FILLET_POINT_NONE;
      continue;
    }
    // The fillet may not turn either line round: each keeps its own direction.
    const Vec from_start = sub(start, l1.origin);
    const Vec to_end = sub(to_vec(next_point(next)), end);
    if (length(from_start) < 1e-12 || length(to_end) < 1e-12 ||
        !agree(angle_of(from_start), dir1) || !agree(angle_of(to_end), dir2)) {
      result = FILLET_POINT_TURNS_LINE;
      continue;
    }
    take_candidate(fillet, c, !reversed);
    *radius = static_cast<float>(radii[i]);
    return FILLET_POINT_DONE;
  }
  return result;
}

int fillet_arcs_through_point(LinkRecord* previous, LinkRecord* next, const PointF* p,
                              LinkRecord* fillet, int inner, float* radius) {
  LinkRecord circles[2] = {};
  if (tangent_circles_through_point(previous, next, p, &circles[0], &circles[1], inner) != 0)
    return FILLET_POINT_NONE;
  for (const LinkRecord& circle : circles) {
    const double r = circle.code;
    if (!(r > 0.0) || !std::isfinite(r)) continue;
    PointF start{};
    PointF end{};
    if (!circle_touching_point(previous, circle.centre, r, &start) ||
        !circle_touching_point(next, circle.centre, r, &end))
      continue;
    const Candidate c = make_candidate(fillet, to_vec(circle.centre), r, to_vec(start),
                                       to_vec(end), p);
    if (!agree(arc_tangent_angle(&start, previous), arc_tangent_angle(&start, c.rec))) continue;
    take_candidate(fillet, c, true);
    arc_angles_from_points(previous);
    arc_angles_from_points(next);
    *radius = static_cast<float>(r);
    return FILLET_POINT_DONE;
  }
  return FILLET_POINT_NONE;
}

int fillet_line_arc_through_point(LinkRecord* line, LinkRecord* arc, const PointF* p,
                                  LinkRecord* fillet, bool arc_first, float* radius) {
  const Line l = line_of(line);
  if (!l.valid || !(arc->code > 0.0f)) return FILLET_POINT_NONE;
  // In a frame along the line with p on the positive side, a circle through p that touches the
  // line has its centre at (x, r) with r = ((x - px)^2 + py^2) / (2 py); touching the arc's
  // circle (radius R about o) outside or inside makes |C - o| = R + sigma r, a quadratic in x.
  Vec normal = {-l.dir.y, l.dir.x};
  const Vec rel_p = sub(to_vec(*p), l.origin);
  double py = dot(rel_p, normal);
  if (py < 0.0) {
    normal = {-normal.x, -normal.y};
    py = -py;
  }
  if (py <= DEGENERATE_LIMIT) return FILLET_POINT_NONE;
  const double px = dot(rel_p, l.dir);
  const Vec rel_o = sub(to_vec(arc->centre), l.origin);
  const double ox = dot(rel_o, l.dir);
  const double oy = dot(rel_o, normal);
  const double big_r = arc->code;
  Vec centres[4];
  double radii[4];
  int count = 0;
  for (const double sigma : {1.0, -1.0}) {  // outside the arc's circle first
    const double k = oy + sigma * big_r;
    const double a = py - k;
    const double b = -2.0 * py * ox + 2.0 * k * px;
    const double c = py * ox * ox + py * (oy * oy - big_r * big_r) - k * px * px - k * py * py;
    double roots[2];
    int n = 0;
    if (std::fabs(a) < 1e-12) {
      if (std::fabs(b) > 1e-12) roots[n++] = -c / b;
    } else {
      const double disc = b * b - 4.0 * a * c;
      if (disc >= 0.0) {
        const double q = std::sqrt(disc);
        roots[n++] = (-b - q) / (2.0 * a);
        roots[n++] = (-b + q) / (2.0 * a);
      }
    }
    const int first = count;
    for (int i = 0; i < n; ++i) {
      const double x = roots[i];
      const double r = ((x - px) * (x - px) + py * py) / (2.0 * py);
      if (!(r > 0.0) || !std::isfinite(r)) continue;
      centres[count] = add_scaled(add_scaled(l.origin, l.dir, x), normal, r);
      radii[count] = r;
      ++count;
    }
    // The smaller circle of a kind first.
    if (count - first == 2 && radii[first + 1] < radii[first]) {
      std::swap(radii[first], radii[first + 1]);
      std::swap(centres[first], centres[first + 1]);
    }
  }
  const double line_dir = angle_of(l.dir);
  for (int i = 0; i < count; ++i) {
    PointF on_arc{};
    if (!circle_touching_point(arc, to_point(centres[i]), radii[i], &on_arc)) continue;
    const Vec on_line = foot_on(l, centres[i]);
    const Vec start = arc_first ? to_vec(on_arc) : on_line;
    const Vec end = arc_first ? on_line : to_vec(on_arc);
    const Candidate c = make_candidate(fillet, centres[i], radii[i], start, end, p);
    if (!agree(arc_tangent_angle(&on_arc, c.rec), arc_tangent_angle(&on_arc, arc))) continue;
    // The line's end must be met along the line's own direction of travel, too.
    const PointF line_end = to_point(on_line);
    if (!agree(arc_tangent_angle(&line_end, c.rec), line_dir)) continue;
    take_candidate(fillet, c, true);
    arc_angles_from_points(arc);
    *radius = static_cast<float>(radii[i]);
    return FILLET_POINT_DONE;
  }
  return FILLET_POINT_NONE;
}
