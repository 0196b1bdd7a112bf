// Feet, offset-radius intersections, tangents and the candidate centres of fillets. The
// fillet searches themselves live in fillet.cpp.
#include "geometry/construct.h"

#include <cmath>

#include "geometry/geometry2d.h"
#include "geometry/geometry2d_internal.h"

// Arcs whose sweep is at least 2 pi less this are whole circles for the foot test.
static constexpr double FOOT_FULL_SWEEP = 6.2830853;
// Angular slack of the foot test at an arc's ends.
static constexpr double FOOT_ANGLE_SLACK = 0.0001;

// ---- feet ----

static int arc_foot(const LinkRecord* arc, const PointF* p, PointF* out) {
  const double theta = point_angle(&arc->centre, p);
  polar_point(&arc->centre, arc->code, theta, out);
  if (arc->sweep < 0.0f || arc->sweep > FOOT_FULL_SWEEP) return FOOT_ON_LINK;
  const double start = arc->start_angle;
  const double end = start + arc->sweep;
  double tested = theta;
  if (end > ANGLE_TWO_PI) {
    if (theta >= start - FOOT_ANGLE_SLACK) return FOOT_ON_LINK;
    tested = theta + ANGLE_TWO_PI;
  } else if (theta < start - FOOT_ANGLE_SLACK) {
    return FOOT_OFF_LINK;
  }
  return tested > end + FOOT_ANGLE_SLACK ? FOOT_OFF_LINK : FOOT_ON_LINK;
}

static int ellipse_foot(const LinkRecord* ellipse, const PointF* p, PointF* out) {
  const PointF& c = ellipse->centre;
  const double a = point_distance(&c, &ellipse->point);
  const double b = point_distance(&c, &next_point(ellipse));
  // A collapsed ellipse has no curve to project on; its centre is the only sensible foot.
  if (a < 1e-9 || b < 1e-9) {
    *out = c;
    return FOOT_ON_LINK;
  }
  const double beta = point_angle(&c, &next_point(ellipse));
  const PointF offset = {p->x - c.x, p->y - c.y};
  PointF local = {};
  rotate_vector(&offset, ANGLE_TWO_PI - beta, &local);
  const double phi = std::atan2(static_cast<double>(local.y), local.x * (a / b));
  const PointF on_curve = to_point_f(a * std::cos(phi) * (b / a), a * std::sin(phi));
  PointF turned = {};
  rotate_vector(&on_curve, beta, &turned);
  *out = PointF{turned.x + c.x, turned.y + c.y};
  return FOOT_ON_LINK;
}

static int line_foot(const LinkRecord* line, const PointF* p, PointF* out) {
  const PointD node = to_point_d(line->point);
  const PointD end = to_point_d(next_point(line));
  const PointD v = {end.x - node.x, end.y - node.y};
  const PointD w = {p->x - node.x, p->y - node.y};
  const double squared = v.x * v.x + v.y * v.y;
  const double t = std::fabs(squared) <= 1e-11 ? 0.0 : dot_product_d(&w, &v) / squared;
  *out = to_point_f(node.x + t * v.x, node.y + t * v.y);
  return t < 0.0 || t > 1.0 ? FOOT_OFF_LINK : FOOT_ON_LINK;
}

int link_foot(const LinkRecord* link, const PointF* p, PointF* out) {
  if (code_is_arc(link->code)) return arc_foot(link, p, out);
  if (link->code == LINK_ELLIPSE) return ellipse_foot(link, p, out);
  return line_foot(link, p, out);
}

void choose_arc_side(LinkRecord* arc, int major) {
  arc_angles_from_points(arc);
  const bool flip = major == 0 ? arc->sweep > ANGLE_PI : arc->sweep < ANGLE_PI;
  if (!flip) return;
  arc->link_flags ^= LINK_CLOCKWISE;
  arc_angles_from_points(arc);
}

// ---- circles and lines at offset radii ----

int circle_circle_intersect(const LinkRecord* a, const LinkRecord* b, double ra, double rb,
                            PointF out[2]) {
  if (std::fabs(ra) <= 1e-7 || std::fabs(rb) <= 1e-7) return 0;
  const double d1 = ra * ra;
  const double d2 = rb * rb;
  const double l = static_cast<double>(b->centre.x) - a->centre.x;
  const double m = static_cast<double>(b->centre.y) - a->centre.y;
  const double o = l * l + m * m;
  // Coinciding centres have no chord; callers keep them apart, this keeps the division sound.
  if (o <= 0.0) return 0;
  const double q = d2 - d1;
  const double t = 2.0 * (d1 + d2) * o - o * o - q * q;
  if (t < -0.00001) return 0;
  const double along = 0.5 - q / (2.0 * o);
  const double bx = a->centre.x + l * along;
  const double by = a->centre.y + m * along;
  out[0] = out[1] = to_point_f(bx, by);
  // A slightly negative t is a near miss within the tolerance above: the circles touch.
  if (t <= 1e-11) return 1;
  const double k = std::sqrt(t) / (2.0 * o);
  out[0] = to_point_f(bx - k * m, by + k * l);
  out[1] = to_point_f(bx + k * m, by - k * l);
  return 2;
}

int line_circle_intersect(double a, double b, double c, double r, const LinkRecord* circle,
                          double e, PointF out[2]) {
  const double f = r + c;
  const double g = e + c;
  const double h = f * f - g * g;
  if (h < -0.00001) return 0;
  const double cx = circle->centre.x;
  const double cy = circle->centre.y;
  if (h < 0.00001) {
    out[0] = to_point_f(cx - g * a, cy - g * b);
    return 1;
  }
  const double o = std::sqrt(h);
  out[0] = to_point_f(cx - g * a - b * o, cy - g * b + a * o);
  out[1] = to_point_f(cx - g * a + b * o, cy - g * b - a * o);
  return 2;
}

void foot_on_unit_line(const LinkRecord* link, double a, double b, double c) {
  double g = a * a + b * b;
  if (std::fabs(g - 1.0) <= 1e-11) g = 1.0;
  const double base_x = -c * a;
  const double base_y = -c * b;
  const double dir_x = b;
  const double dir_y = -a;
  const double t = ((link->centre.x - base_x) * dir_x + (link->centre.y - base_y) * dir_y) / g;
  g_geometry2d.intersection.first = to_point_f(base_x + t * dir_x, base_y + t * dir_y);
}

// ---- tangents ----

int tangent_points_from_point(const PointF* p, const LinkRecord* circle, PointF* out1,
                              PointF* out2) {
  const PointD c = to_point_d(circle->centre);
  const double radius = circle->code;
  const PointD delta = {c.x - p->x, c.y - p->y};
  const double dd = delta.x * delta.x + delta.y * delta.y;
  if (dd <= 1e-11) return TANGENT_POINT_AT_CENTRE;
  const double outside = dd - radius * radius;
  if (std::fabs(outside) <= 1e-11) return TANGENT_POINT_ON_CIRCLE;
  if (outside < 0.0) return TANGENT_POINT_INSIDE;
  const double s = std::sqrt(outside);
  const double k = radius / dd;
  const PointD normal = {-delta.y, delta.x};
  *out1 = to_point_f(c.x + k * (-radius * delta.x + s * normal.x),
                     c.y + k * (-radius * delta.y + s * normal.y));
  *out2 = to_point_f(c.x + k * (-radius * delta.x - s * normal.x),
                     c.y + k * (-radius * delta.y - s * normal.y));
  return TANGENT_FROM_POINT_OK;
}

int tangent_lines_two_circles(const LinkRecord* a, const LinkRecord* b, PointF out[4][2]) {
  const int crossing = intersect_arcs(a, b);
  int cases = 0;
  if (crossing == 0) {
    cases = 4;  // apart: two outer and two inner tangents
  } else if (crossing == 1) {
    cases = 3;  // touching: the inner tangent at the touching point is not reported
  } else if (crossing == 2) {
    cases = 2;  // crossing: only the outer tangents
  } else {
    return crossing;
  }
  const double dx = static_cast<double>(b->centre.x) - a->centre.x;
  const double dy = static_cast<double>(b->centre.y) - a->centre.y;
  const double dd = dx * dx + dy * dy;
  if (dd <= 1e-11) return -1;
  const double ra = a->code;
  const double rb = b->code;
  const double signed_radii[4][2] = {{ra, rb}, {-ra, -rb}, {ra, -rb}, {-ra, rb}};
  int found = 0;
  for (int i = 0; i < cases; ++i) {
    const double r1 = signed_radii[i][0];
    const double delta = signed_radii[i][1] - r1;
    const double h = dd - delta * delta;
    if (h <= 0.00001) continue;
    const double s = std::sqrt(h);
    const double u = (-delta * dx - dy * s) / dd;
    const double v = (-delta * dy + dx * s) / dd;
    const double w = -(u * a->centre.x + r1 + v * a->centre.y);
    foot_on_unit_line(a, u, v, w);
    out[found][0] = g_geometry2d.intersection.first;
    foot_on_unit_line(b, u, v, w);
    out[found][1] = g_geometry2d.intersection.first;
    ++found;
  }
  return found;
}

// ---- fillet candidates ----

int tangent_circle_centres(const LinkRecord* a, const LinkRecord* b, double r, PointF out[8]) {
  if (point_distance(&a->centre, &b->centre) < 0.00001f) return 0;
  const double ra = a->code;
  const double rb = b->code;
  const double radii[4][2] = {{ra + r, rb + r}, {ra - r, rb - r}, {ra + r, rb - r}, {ra - r, rb + r}};
  int count = 0;
  for (const auto& pair : radii) {
    count += circle_circle_intersect(a, b, pair[0], pair[1], &out[count]);
  }
  return count;
}

int fillet_centres_line_arc(double r, const LinkRecord* line, const LinkRecord* arc,
                            PointF out[8]) {
  double a = 0.0;
  double b = 0.0;
  double k = 0.0;
  line_equation(&line->point, &next_point(line), &a, &b, &k);
  const double radius = arc->code;
  const double e = a * arc->centre.x + b * arc->centre.y + k;
  int count = 0;
  count += line_circle_intersect(a, b, r, radius, arc, e, &out[count]);
  count += line_circle_intersect(-a, -b, r, radius, arc, -e, &out[count]);
  count += line_circle_intersect(a, b, r, -radius, arc, e, &out[count]);
  count += line_circle_intersect(-a, -b, r, -radius, arc, -e, &out[count]);
  return count;
}

// ---- choosing among candidate pairs ----

int pick_nearest_pair(const PointF pairs[][2], int count, LinkRecord* link, const PointF* ref1,
                      const PointF* ref2) {
  if (count <= 0) return 0;
  int best = 0;
  double best_score = 0.0;
  for (int i = 0; i < count; ++i) {
    const double score = static_cast<double>(point_distance(&pairs[i][0], ref1)) +
                         point_distance(&pairs[i][1], ref2);
    if (i == 0 || score < best_score) {
      best = i;
      best_score = score;
    }
  }
  link->point = pairs[best][0];
  link[1].point = pairs[best][1];
  return best;
}
