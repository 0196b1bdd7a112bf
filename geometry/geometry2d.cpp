// Arc direction, orientation, refitting, angles, circles through points, line equations,
// lengths and boxes, and placing an arc's centre. Intersections live in intersect.cpp.
#include "geometry/geometry2d.h"

#include <cmath>

#include "geometry/construct.h"
#include "geometry/contour_kernel.h"
#include "geometry/double_arc_record.h"
#include "geometry/geometry2d_internal.h"
#include "geometry/geometry_host.h"

Geometry2dState g_geometry2d = {{}, CIRCLE_INTERSECTION_LIMIT_DEFAULT};

void reset_geometry2d() {
  g_geometry2d = Geometry2dState{};
  g_geometry2d.circle_intersection_limit = CIRCLE_INTERSECTION_LIMIT_DEFAULT;
}

// A full circle's sweep as the drawing stores it, less 0.0001: anything at least this is whole.
static constexpr double FULL_SWEEP_MIN = 6.2830853071795865;

bool link_is_straight(float code) {
  return code == LINK_FLEXIBLE_LINE || code == LINK_RIGID_LINE || code == LINK_GAP;
}

static bool is_clockwise(const LinkRecord* r) { return (r->link_flags & LINK_CLOCKWISE) != 0; }

static bool same_point(const PointF& a, const PointF& b) { return a.x == b.x && a.y == b.y; }

// ---- arc direction ----

void set_arc_direction_through(LinkRecord* arc, const PointF* p) {
  const double a = point_angle(&arc->centre, &arc->point);
  const double b_raw = point_angle(&arc->centre, &next_point(arc));
  double b = b_raw;
  double c = point_angle(&arc->centre, p);
  if (b < a) b += ANGLE_TWO_PI;
  if (c < a) c += ANGLE_TWO_PI;
  if (c <= b) {
    arc->link_flags &= static_cast<uint8_t>(~LINK_CLOCKWISE);
    arc->start_angle = static_cast<float>(a);
    arc->sweep = static_cast<float>(b - a);
    return;
  }
  arc->link_flags |= LINK_CLOCKWISE;
  arc->start_angle = static_cast<float>(b_raw);
  float sweep = static_cast<float>(a - b);
  if (sweep <= 0.0f) sweep += ANGLE_TWO_PI_F;
  arc->sweep = sweep;
}

// ---- orientation ----

// Bearings of an arc's two ends from its centre, normalised so that the arc runs from the
// smaller to the larger (clockwise arcs run through increasing bearings).
static bool arc_passes_rightmost(const LinkRecord* r) {
  double s = bearing_angle(static_cast<double>(r->point.x) - r->centre.x,
                           static_cast<double>(r->point.y) - r->centre.y);
  double e = bearing_angle(static_cast<double>(next_point(r).x) - r->centre.x,
                           static_cast<double>(next_point(r).y) - r->centre.y);
  if (is_clockwise(r)) {
    if (e < s) e += ANGLE_TWO_PI;
  } else if (s < e) {
    s += ANGLE_TWO_PI;
  }
  const double lo = std::fmin(s, e);
  const double hi = std::fmax(s, e);
  const double right = ANGLE_PI / 2;
  const double right_again = 2.5 * ANGLE_PI;
  return (lo < right && right < hi) || (lo < right_again && right_again < hi);
}

// Direction leaving node k along its link.
static PointD forward_direction(const LinkRecord* k) {
  if (code_is_arc(k->code)) {
    PointD d = {static_cast<double>(k->point.y) - k->centre.y,
                static_cast<double>(k->centre.x) - k->point.x};
    if (!is_clockwise(k)) d = PointD{-d.x, -d.y};
    return d;
  }
  return PointD{static_cast<double>(next_point(k).x) - k->point.x,
                static_cast<double>(next_point(k).y) - k->point.y};
}

// Direction pointing back along link j from its end.
static PointD backward_direction(const LinkRecord* j) {
  const PointF& end = next_point(j);
  if (code_is_arc(j->code)) {
    PointD d = {static_cast<double>(end.y) - j->centre.y,
                static_cast<double>(j->centre.x) - end.x};
    if (is_clockwise(j)) d = PointD{-d.x, -d.y};
    return d;
  }
  return PointD{static_cast<double>(j->point.x) - end.x, static_cast<double>(j->point.y) - end.y};
}

// The link arriving at node k: the record before it, past zero-length straight links,
// wrapping once from the first record to the last link.
static int arriving_link(const LinkRecord* r, int n, int k) {
  int j = k;
  for (int steps = 0; steps < n; ++steps) {
    j = j == 0 ? n - 1 : j - 1;
    const bool zero = same_point(r[j].point, next_point(&r[j]));
    if (code_is_arc(r[j].code) || !zero) return j;
  }
  return j;
}

static int orientation_at_node(const LinkRecord* r, int n, int k, bool closed) {
  // The last point of an open item leaves along the chord back to the first point.
  const PointD fwd = k == n ? PointD{static_cast<double>(r[0].point.x) - r[n].point.x,
                                     static_cast<double>(r[0].point.y) - r[n].point.y}
                            : forward_direction(&r[k]);
  PointD back;
  if (k == 0 && !closed && !same_point(r[0].point, r[n].point)) {
    back = PointD{static_cast<double>(r[n].point.x) - r[0].point.x,
                  static_cast<double>(r[n].point.y) - r[0].point.y};
  } else {
    back = backward_direction(&r[arriving_link(r, n, k)]);
  }
  double f = bearing_angle(fwd.x, fwd.y);
  double b = bearing_angle(back.x, back.y);
  if (f < 0.1) f += ANGLE_TWO_PI;
  if (b < 0.1) b += ANGLE_TWO_PI;
  return f > b ? 0 : 1;
}

int polygon_orientation(const DrawingItem* item) {
  const uint8_t type = item_type(item);
  const LinkRecord* r = item_nodes(item);
  if (type == ITEM_CIRCLE) return 0;
  if (type > ITEM_LAST_GEOMETRY_TYPE) return 1;
  if (type == ITEM_POLYGON) return is_clockwise(r) ? 1 : 0;
  const int n = item_link_count(item);
  const bool closed = (r[0].node_flags & NODE_KIND_MASK) != 0;
  if (!closed && type == ITEM_POLYLINE && code_is_arc(r[0].code) &&
      (r[0].sweep < 0.0f || r[0].sweep >= FULL_SWEEP_MIN)) {
    return is_clockwise(r) ? 1 : 0;
  }
  double best_x = -9e12;
  int best = -1;
  bool best_is_arc = false;
  for (int i = 0; i < n; ++i) {
    const LinkRecord* k = &r[i];
    if (same_point(k->point, next_point(k))) continue;
    if (k->point.x > best_x) {
      best_x = k->point.x;
      best = i;
      best_is_arc = false;
    }
    if (code_is_arc(k->code) && arc_passes_rightmost(k)) {
      const double right = static_cast<double>(k->centre.x) + k->code;
      if (right > best_x) {
        best_x = right;
        best = i;
        best_is_arc = true;
      }
    }
  }
  // An open item's last point closes the outline through the chord back to its first point
  // and may be its rightmost point.
  if (!closed && !same_point(r[0].point, r[n].point) && r[n].point.x > best_x) {
    best = n;
    best_is_arc = false;
  }
  if (best < 0) return code_is_arc(r[0].code) && is_clockwise(r) ? 1 : 0;
  if (best_is_arc) return is_clockwise(&r[best]) ? 1 : 0;
  return orientation_at_node(r, n, best, closed);
}

// ---- refitting ----

static void refit_centre_to_chord(LinkRecord* arc) {
  double cx = 0.0;
  double cy = 0.0;
  arc_centre_from_chord(arc->point.x, arc->point.y, next_point(arc).x, next_point(arc).y,
                        arc->centre.x, arc->centre.y, arc->code, &cx, &cy);
  arc->centre = to_point_f(cx, cy);
}

static void rederive_radius_and_angles(LinkRecord* arc) {
  arc->code = point_distance(&arc->point, &arc->centre);
  arc_angles_from_points(arc);
}

void refit_arc(LinkRecord* arc) {
  refit_centre_to_chord(arc);
  rederive_radius_and_angles(arc);
}

void refit_item_arcs(DrawingItem* item) {
  if (item_type(item) != ITEM_POLYLINE) return;
  LinkRecord* r = item_nodes(item);
  const int n = item_link_count(item);
  for (int i = 0; i < n; ++i) {
    LinkRecord* k = &r[i];
    if (!code_is_arc(k->code)) continue;
    // A circle code re-derives the arc from its nodes; measuring its radius here would make a
    // radius circle (centre on the node) a circle of radius 0.
    if (k->sweep < 0.0f) continue;
    if (k->sweep < FULL_SWEEP_MIN) refit_centre_to_chord(k);
    rederive_radius_and_angles(k);
  }
}

void copy_node_position(LinkRecord* to, const LinkRecord* from) {
  to->z = from->z;
  to->point = from->point;
}

// ---- angles ----

double signed_angle_difference(double a, double b) {
  double d = b - a;
  if (d < -ANGLE_PI) {
    d += ANGLE_TWO_PI;
  } else if (d > ANGLE_PI) {
    d -= ANGLE_TWO_PI;
  }
  return d;
}

double abs_angle_difference(double a, double b) {
  double d = b - a;
  if (d <= -ANGLE_PI) {
    d += ANGLE_TWO_PI;
  } else if (d > ANGLE_PI) {
    d -= ANGLE_TWO_PI;
  }
  return std::fabs(d);
}

float arc_tangent_angle(const PointF* p, const LinkRecord* arc) {
  double t = point_angle(&arc->centre, p);
  if (is_clockwise(arc)) {
    t -= ANGLE_PI / 2;
    if (t < 0.0) t += ANGLE_TWO_PI;
  } else {
    t += ANGLE_PI / 2;
    if (t >= ANGLE_TWO_PI) t -= ANGLE_TWO_PI;
  }
  return static_cast<float>(t);
}

// ---- circle through three points ----

// Points whose Manhattan distance is below this count as one.
static constexpr double CIRCLE3_SAME_POINT = 2e-5;
// Radii above this are refused: the "circle" is a straight line for the drawing.
static constexpr double CIRCLE3_MAX_RADIUS = 300000.0;
// Pointer shape the editor shows when no circle could be made.
static constexpr uint8_t POINTER_SHAPE_NO_CIRCLE = 11;

static int fail_circle(LinkRecord* out) {
  out->code = 0.0f;
  geometry_host_set_pointer_shape(POINTER_SHAPE_NO_CIRCLE);
  return CIRCLE3_FAILED;
}

static int store_circle(LinkRecord* out, double cx, double cy, double radius, int result) {
  if (radius > CIRCLE3_MAX_RADIUS) return fail_circle(out);
  out->centre = to_point_f(cx, cy);
  out->code = static_cast<float>(radius);
  return result;
}

static int diameter_circle(LinkRecord* out, const PointF* a, const PointF* b) {
  const double cx = (static_cast<double>(a->x) + b->x) / 2.0;
  const double cy = (static_cast<double>(a->y) + b->y) / 2.0;
  return store_circle(out, cx, cy, point_distance(a, b) / 2.0, CIRCLE3_COINCIDENT);
}

int circle_through3_points(const PointF* p, const PointF* q, const PointF* r, LinkRecord* out) {
  const PointD pd = to_point_d(*p);
  const PointD qd = to_point_d(*q);
  const PointD rd = to_point_d(*r);
  const PointD u = {qd.x - pd.x, qd.y - pd.y};
  const PointD v = {rd.x - qd.x, rd.y - qd.y};
  const PointD w = {pd.x - rd.x, pd.y - rd.y};
  const double ma = manhattan_length_d(&u);
  const double mb = manhattan_length_d(&v);
  const double mc = manhattan_length_d(&w);
  if (ma < CIRCLE3_SAME_POINT || mb < CIRCLE3_SAME_POINT) return diameter_circle(out, p, r);
  if (mc < CIRCLE3_SAME_POINT) return diameter_circle(out, q, r);
  const double k = cross_product_d(&u, &v);
  if (std::fabs(k) <= 1e-11 * ma * mb) return fail_circle(out);
  if (k > 0.0) {
    out->link_flags &= static_cast<uint8_t>(~LINK_CLOCKWISE);
  } else {
    out->link_flags |= LINK_CLOCKWISE;
  }
  const double pp = pd.x * pd.x + pd.y * pd.y;
  const double qq = qd.x * qd.x + qd.y * qd.y;
  const double rr = rd.x * rd.x + rd.y * rd.y;
  const double cx = ((qq - pp) * v.y - (rr - qq) * u.y) / (2.0 * k);
  const double cy = -((qq - pp) * v.x - (rr - qq) * u.x) / (2.0 * k);
  const PointD centre = {cx, cy};
  return store_circle(out, cx, cy, point_distance_d(&pd, &centre), CIRCLE3_FOUND);
}

// ---- lines ----

void line_equation(const PointF* p1, const PointF* p2, double* out_a, double* out_b,
                   double* out_c) {
  const double dx = static_cast<double>(p1->x) - p2->x;
  const double dy = static_cast<double>(p1->y) - p2->y;
  const double squared = dx * dx + dy * dy;
  if (squared < 1e-11) {
    *out_a = *out_b = *out_c = 0.0;
    return;
  }
  const double k = 1.0 / std::sqrt(squared);
  *out_a = -dy * k;
  *out_b = dx * k;
  *out_c = k * (static_cast<double>(p2->x) * p1->y - static_cast<double>(p1->x) * p2->y);
}

void perpendicular_line_through_point(const PointF* p, const LinkRecord* link, double* out_a,
                                      double* out_b, double* out_c) {
  double a = 0.0;
  double b = 0.0;
  double c = 0.0;
  line_equation(&link->point, &next_point(link), &a, &b, &c);
  *out_a = b;
  *out_b = -a;
  *out_c = a * p->y - b * p->x;
}

int solve_two_lines(double a1, double b1, double c1, double a2, double b2, double c2) {
  if (std::fabs(a1 - a2) < 1e-11 && std::fabs(b1 - b2) < 1e-11 && std::fabs(c1 - c2) < 1e-11) {
    return SOLVE_LINES_SAME;
  }
  const double det = a1 * b2 - a2 * b1;
  if (std::fabs(det) < 1e-11) return SOLVE_LINES_PARALLEL;
  g_geometry2d.intersection.first = to_point_f((b1 * c2 - b2 * c1) / det, (a2 * c1 - a1 * c2) / det);
  return SOLVE_LINES_POINT;
}

double point_line_distance(const PointF* p, const LinkRecord* link) {
  double a = 0.0;
  double b = 0.0;
  double c = 0.0;
  line_equation(&link->point, &next_point(link), &a, &b, &c);
  return std::fabs(a * p->x + b * p->y + c);
}

// The end of a straight link farther from x.
static const PointF& farther_end(const LinkRecord* line, const PointF* x) {
  const PointF& a = line->point;
  const PointF& b = next_point(line);
  return point_distance(x, &a) >= point_distance(x, &b) ? a : b;
}

double bisector_angle(const LinkRecord* line1, const LinkRecord* line2) {
  if (intersect_lines(line1, line2) != 1) return -1.0;
  const PointF x = g_geometry2d.intersection.first;
  const double e = point_angle(&x, &farther_end(line1, &x));
  const double f = point_angle(&x, &farther_end(line2, &x));
  const double g = std::fabs(e - f);
  if (g < 1e-6) return -1.0;
  const double result = std::fmin(e, f) + g / 2.0;
  return g >= ANGLE_PI ? result - ANGLE_PI : result;
}

void link_midpoint(const LinkRecord* link, PointF* out) {
  if (code_is_arc(link->code)) {
    double angle = static_cast<double>(link->start_angle) + link->sweep / 2.0;
    if (angle >= ANGLE_TWO_PI) angle -= ANGLE_TWO_PI;
    polar_point(&link->centre, link->code, angle, out);
    return;
  }
  if (link->code == LINK_ELLIPSE) {
    *out = link->centre;
    return;
  }
  midpoint(&link->point, &next_point(link), out);
}

double distance_to_link_foot(const PointF* p, const LinkRecord* link) {
  PointF foot = {};
  if (link_foot(link, p, &foot) == FOOT_OFF_LINK) return 1e10;
  return point_distance(p, &foot);
}

// ---- arcs through points, tangent circles ----

void arc_through_point(LinkRecord* arc, const PointF* p) {
  double a1 = 0.0;
  double b1 = 0.0;
  double c1 = 0.0;
  line_equation(&arc->point, p, &a1, &b1, &c1);
  PointF middle = {};
  midpoint(&arc->point, p, &middle);
  // The perpendicular bisector of node-p: the normal form turned a quarter.
  const double a2 = b1;
  const double b2 = -a1;
  const double c2 = a1 * middle.y - b1 * middle.x;
  double a3 = 0.0;
  double b3 = 0.0;
  double c3 = 0.0;
  line_equation(&arc->point, &arc->centre, &a3, &b3, &c3);
  if (solve_two_lines(a2, b2, c2, a3, b3, c3) == SOLVE_LINES_POINT) {
    arc->centre = g_geometry2d.intersection.first;
  }
  arc->code = point_distance(&arc->point, &arc->centre);
}

// Writes one tangent-circle solution X (relative to p) into out.
static void store_tangent_circle(LinkRecord* out, const PointF* p, double x, double y) {
  out->centre = to_point_f(x + p->x, y + p->y);
  out->code = static_cast<float>(std::sqrt(x * x + y * y));
}

int tangent_circles_through_point(const LinkRecord* circle1, const LinkRecord* circle2,
                                  const PointF* p, LinkRecord* out1, LinkRecord* out2,
                                  int inner) {
  const PointD u = {static_cast<double>(circle1->centre.x) - p->x,
                    static_cast<double>(circle1->centre.y) - p->y};
  const PointD v = {static_cast<double>(circle2->centre.x) - p->x,
                    static_cast<double>(circle2->centre.y) - p->y};
  const double b = inner == 1 ? -static_cast<double>(circle1->code) : circle1->code;
  const double l = circle2->code;
  // A zero first radius leaves nothing to be tangent to (and would divide by zero below).
  if (b == 0.0) return -1;
  const double uu = u.x * u.x + u.y * u.y;
  const double vv = v.x * v.x + v.y * v.y;
  const double m = 2.0 * (b * v.x - l * u.x);
  const double n = 2.0 * (b * v.y - l * u.y);
  const double t = l * (uu - b * b) - b * (vv - l * l);
  float root1 = 0.0f;
  float root2 = 0.0f;
  if (m != 0.0) {
    const double a = -n / m;
    const double c = -t / m;
    const double bb = (-u.y - u.x * a) / b;
    const double f = (uu - 2.0 * u.x * c - b * b) / (2.0 * b);
    if (quadratic_roots_f(bb * bb - a * a - 1.0, 2.0 * bb * f - 2.0 * a * c, f * f - c * c,
                          &root1, &root2) != 0) {
      return -1;
    }
    store_tangent_circle(out1, p, a * root1 + c, root1);
    store_tangent_circle(out2, p, a * root2 + c, root2);
    return 0;
  }
  if (n == 0.0) return -1;
  const double y = -t / n;
  const double a = -u.x / b;
  const double bb = (uu - 2.0 * u.y * y - b * b) / (2.0 * b);
  if (quadratic_roots_f(a * a - 1.0, 2.0 * a * bb, bb * bb - y * y, &root1, &root2) != 0) {
    return -1;
  }
  store_tangent_circle(out1, p, root1, y);
  store_tangent_circle(out2, p, root2, y);
  return 0;
}

int circles_through_point_tangent_line(const LinkRecord* line, const PointF* p,
                                       LinkRecord* out1, LinkRecord* out2) {
  const double rho = out1->code;
  const PointF& a_end = line->point;
  const PointF& b_end = next_point(line);
  if (std::fabs(static_cast<double>(a_end.x) - b_end.x) < 1e-6 &&
      std::fabs(static_cast<double>(a_end.y) - b_end.y) < 1e-6) {
    return 0;
  }
  double a = 0.0;
  double b = 0.0;
  double c = 0.0;
  line_equation(&a_end, &b_end, &a, &b, &c);
  double s = a * p->x + b * p->y + c;
  if (std::fabs(s) < 1e-11) return 0;
  if (s < 0.0) {
    a = -a;
    b = -b;
    s = -s;
  }
  const double q = rho * rho - (s - rho) * (s - rho);
  if (q < 0.0) return 0;
  const double cx = p->x - (s - rho) * a;
  const double cy = p->y - (s - rho) * b;
  if (q < 1e-11) {
    out1->centre = out2->centre = to_point_f(cx, cy);
    return 1;
  }
  const double h = std::sqrt(q);
  out1->centre = to_point_f(cx + h * b, cy - h * a);
  out2->centre = to_point_f(cx - h * b, cy + h * a);
  return 2;
}

// ---- lengths and boxes ----

float link_length(const LinkRecord* link) {
  if (code_is_arc(link->code)) {
    if (link->sweep < 0.0f) return static_cast<float>(ANGLE_TWO_PI * link->code);
    return link->code * link->sweep;
  }
  return point_distance(&link->point, &next_point(link));
}

float item_length(const DrawingItem* item) {
  const LinkRecord* r = item_nodes(item);
  const int n = item_link_count(item);
  float total = 0.0f;
  for (int i = 0; i < n; ++i) total += link_length(&r[i]);
  return total;
}

int link_boxes_overlap(const LinkRecord* link1, const LinkRecord* link2) {
  constexpr double SLACK = 0.0001;
  if (static_cast<double>(link1->box_min.x) - SLACK > link2->box_max.x) return 0;
  if (static_cast<double>(link2->box_min.x) - SLACK > link1->box_max.x) return 0;
  if (static_cast<double>(link1->box_min.y) - SLACK > link2->box_max.y) return 0;
  if (static_cast<double>(link2->box_min.y) - SLACK > link1->box_max.y) return 0;
  return 1;
}

// ---- placing an arc's centre ----

// Of two candidates, the one the choice flag prefers (the first on ties).
static int choose_candidate(double d0, double d1, double radius, int choice) {
  if (choice == FIT_CENTRE_RADIUS_FROM_POINT) {
    return std::fabs(d1 - radius) < std::fabs(d0 - radius) ? 1 : 0;
  }
  return d1 < d0 ? 1 : 0;
}

int fit_arc_centre(LinkRecord* arc, const PointF* p, int choice) {
  const double radius = arc->code;
  const PointF& end = next_point(arc);
  const int found = intersect_circle_pair(&arc->point, radius, &end, radius);
  if (found == INTERSECT_CONCENTRIC) {
    if (point_distance(&arc->point, &end) < 0.0001) {
      const double towards_centre = point_angle(&arc->point, &arc->centre);
      polar_point(&arc->point, radius, towards_centre, &arc->centre);
    }
  } else if (found == 2) {
    const PointF c0 = g_geometry2d.intersection.first;
    const PointF c1 = g_geometry2d.intersection.second;
    const int pick = choose_candidate(point_distance(&c0, p), point_distance(&c1, p), radius, choice);
    arc->centre = pick == 0 ? c0 : c1;
  } else {
    const double h = point_distance(&arc->point, &end) / 2.0;
    if (h < 1e-6 || std::fabs(h - radius) > 0.01 * radius) return 0;
    midpoint(&arc->point, &end, &arc->centre);
    arc->code = static_cast<float>(h);
  }
  arc_angles_from_points(arc);
  return 1;
}

int fit_arc_centre_d(DoubleArcRecord* arc, const PointD* p, int choice) {
  const double radius = arc->radius;
  const CircleD around_start = {arc->point, radius};
  const CircleD around_end = {arc->next_point, radius};
  const int found = intersect_circles_d(&around_start, &around_end);
  const double chord = point_distance_d(&arc->point, &arc->next_point);
  if (found == INTERSECT_CONCENTRIC) {
    if (chord < 0.0001) {
      const double dx = arc->centre.x - arc->point.x;
      const double dy = arc->centre.y - arc->point.y;
      const double towards_centre = std::atan2(dy, dx);
      arc->centre = PointD{arc->point.x + radius * std::cos(towards_centre),
                           arc->point.y + radius * std::sin(towards_centre)};
    }
    return 1;
  }
  if (found == 2) {
    const PointD c0 = g_geometry2d.intersection.first_d;
    const PointD c1 = g_geometry2d.intersection.second_d;
    const int pick = choose_candidate(point_distance_d(&c0, p), point_distance_d(&c1, p), radius, choice);
    arc->centre = pick == 0 ? c0 : c1;
    return 1;
  }
  if (found == 1) {
    arc->centre = g_geometry2d.intersection.first_d;
    return 1;
  }
  const double h = chord / 2.0;
  if (h < 0.00001 || std::fabs(h - radius) > 0.01 * radius) return 0;
  midpoint_d(&arc->point, &arc->next_point, &arc->centre);
  arc->radius = h;
  return 1;
}
