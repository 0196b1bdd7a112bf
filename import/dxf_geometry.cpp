#include "import/dxf_geometry.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double PI = 3.14159265358979323846;
constexpr double TWO_PI = 2.0 * PI;
// The arbitrary-axis rule's limit: an extrusion this close to the world's Z takes world Y.
constexpr double ARBITRARY_AXIS_LIMIT = 1.0 / 64.0;
constexpr int MAX_ARC_STEPS = 4096;
constexpr int MAX_SPLINE_DEPTH = 14;
// No spline gives more points than this, however wild its control points.
constexpr size_t MAX_SPLINE_POINTS = 200000;

Vec3 cross(const Vec3& a, const Vec3& b) {
  return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

Vec3 unit(const Vec3& v) {
  const double l = std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
  if (l < 1e-12) return {0, 0, 1};
  return {v.x / l, v.y / l, v.z / l};
}

int arc_steps(double radius, double sweep, double tol) {
  if (radius <= tol) return std::max(1, static_cast<int>(std::ceil(sweep / (PI / 2))));
  const double step = 2.0 * std::acos(std::max(-1.0, 1.0 - tol / radius));
  const int n = static_cast<int>(std::ceil(sweep / std::max(step, 1e-6)));
  return std::clamp(n, 1, MAX_ARC_STEPS);
}

}  // namespace

Vec3 apply_affine(const Affine3& a, const Vec3& p) {
  const auto& m = a.m;
  return {m[0][0] * p.x + m[0][1] * p.y + m[0][2] * p.z + m[0][3],
          m[1][0] * p.x + m[1][1] * p.y + m[1][2] * p.z + m[1][3],
          m[2][0] * p.x + m[2][1] * p.y + m[2][2] * p.z + m[2][3]};
}

Affine3 compose_affine(const Affine3& outer, const Affine3& inner) {
  Affine3 r;
  for (int i = 0; i < 3; ++i) {
    for (int j = 0; j < 4; ++j) {
      double v = j == 3 ? outer.m[i][3] : 0.0;
      for (int k = 0; k < 3; ++k) v += outer.m[i][k] * inner.m[k][j];
      r.m[i][j] = v;
    }
  }
  return r;
}

Affine3 translation(double x, double y, double z) {
  Affine3 a;
  a.m[0][3] = x;
  a.m[1][3] = y;
  a.m[2][3] = z;
  return a;
}

Affine3 rotation_z(double radians) {
  Affine3 a;
  const double c = std::cos(radians), s = std::sin(radians);
  a.m[0][0] = c;
  a.m[0][1] = -s;
  a.m[1][0] = s;
  a.m[1][1] = c;
  return a;
}

Affine3 scaling(double sx, double sy, double sz) {
  Affine3 a;
  a.m[0][0] = sx;
  a.m[1][1] = sy;
  a.m[2][2] = sz;
  return a;
}

Affine3 ocs_to_world(const Vec3& extrusion) {
  const Vec3 n = unit(extrusion);
  Affine3 a;
  if (n.x == 0 && n.y == 0 && n.z > 0) return a;
  const Vec3 ax = unit(std::fabs(n.x) < ARBITRARY_AXIS_LIMIT && std::fabs(n.y) < ARBITRARY_AXIS_LIMIT
                           ? cross({0, 1, 0}, n)
                           : cross({0, 0, 1}, n));
  const Vec3 ay = unit(cross(n, ax));
  const Vec3 cols[3] = {ax, ay, n};
  for (int j = 0; j < 3; ++j) {
    a.m[0][j] = cols[j].x;
    a.m[1][j] = cols[j].y;
    a.m[2][j] = cols[j].z;
  }
  return a;
}

Affine2 plane_to_xy(const Affine3& map, double elevation) {
  const auto& m = map.m;
  Affine2 a;
  a.a = m[0][0];
  a.b = m[0][1];
  a.c = m[1][0];
  a.d = m[1][1];
  a.e = m[0][2] * elevation + m[0][3];
  a.f = m[1][2] * elevation + m[1][3];
  return a;
}

void apply_affine2(const Affine2& a, double x, double y, double* ox, double* oy) {
  *ox = a.a * x + a.b * y + a.e;
  *oy = a.c * x + a.d * y + a.f;
}

bool is_similarity(const Affine2& a, double* scale, bool* mirrored) {
  const double c1 = std::hypot(a.a, a.c), c2 = std::hypot(a.b, a.d);
  const double dot = a.a * a.b + a.c * a.d;
  const double det = a.a * a.d - a.b * a.c;
  const double s = std::max(c1, c2);
  if (s < 1e-12) return false;
  if (std::fabs(c1 - c2) > 1e-9 * s || std::fabs(dot) > 1e-9 * s * s) return false;
  *scale = c1;
  *mirrored = det < 0;
  return true;
}

double ccw_sweep(double a0, double a1) {
  double s = std::fmod(a1 - a0, TWO_PI);
  if (s < 0) s += TWO_PI;
  if (s < 1e-9) s = TWO_PI;
  return s;
}

void flatten_bulge(double x0, double y0, double x1, double y1, double bulge, double tol,
                   std::vector<double>* xs, std::vector<double>* ys) {
  const double chord = std::hypot(x1 - x0, y1 - y0);
  if (std::fabs(bulge) < 1e-7 || chord < 1e-12) {
    xs->push_back(x1);
    ys->push_back(y1);
    return;
  }
  const double theta = 4.0 * std::atan(std::fabs(bulge));
  const double r = chord / 2.0 / std::sin(theta / 2.0);
  // The centre: from the chord's middle, along its normal to the left for a positive bulge.
  const double mx = (x0 + x1) / 2, my = (y0 + y1) / 2;
  const double h = r * std::cos(theta / 2.0) * (bulge > 0 ? 1 : -1);
  const double nx = -(y1 - y0) / chord, ny = (x1 - x0) / chord;
  const double cx = mx + h * nx, cy = my + h * ny;
  const double a0 = std::atan2(y0 - cy, x0 - cx);
  const int steps = arc_steps(r, theta, tol);
  const double dir = bulge > 0 ? 1.0 : -1.0;
  for (int k = 1; k < steps; ++k) {
    const double a = a0 + dir * theta * k / steps;
    xs->push_back(cx + r * std::cos(a));
    ys->push_back(cy + r * std::sin(a));
  }
  xs->push_back(x1);
  ys->push_back(y1);
}

BulgePath map_bulge_path(const BulgePath& path, const Affine2& map, double tol) {
  BulgePath out;
  out.closed = path.closed;
  double scale = 1;
  bool mirrored = false;
  const size_t n = path.vertices.size();
  if (is_similarity(map, &scale, &mirrored)) {
    for (const BulgeVertex& v : path.vertices) {
      BulgeVertex w;
      apply_affine2(map, v.x, v.y, &w.x, &w.y);
      w.bulge = mirrored ? -v.bulge : v.bulge;
      out.vertices.push_back(w);
    }
    return out;
  }
  // Under an unequal scale an arc is no arc: its points are mapped instead.
  const double grow = std::max({std::hypot(map.a, map.c), std::hypot(map.b, map.d), 1e-12});
  std::vector<double> xs, ys;
  if (n == 0) return out;
  xs.push_back(path.vertices[0].x);
  ys.push_back(path.vertices[0].y);
  const size_t segments = path.closed ? n : n - 1;
  for (size_t i = 0; i < segments; ++i) {
    const BulgeVertex& p = path.vertices[i];
    const BulgeVertex& q = path.vertices[(i + 1) % n];
    flatten_bulge(p.x, p.y, q.x, q.y, p.bulge, tol / grow, &xs, &ys);
    if (xs.size() > MAX_FLATTENED_POINTS) {
      out.too_large = true;
      return out;
    }
  }
  if (path.closed) {  // the flattened points already come back to the start
    xs.pop_back();
    ys.pop_back();
  }
  for (size_t i = 0; i < xs.size(); ++i) {
    BulgeVertex w;
    apply_affine2(map, xs[i], ys[i], &w.x, &w.y);
    out.vertices.push_back(w);
  }
  return out;
}

PlaneArc map_arc(const PlaneArc& arc, const Affine2& map) {
  double scale = 1;
  bool mirrored = false;
  if (!is_similarity(map, &scale, &mirrored)) return arc;
  PlaneArc out;
  apply_affine2(map, arc.cx, arc.cy, &out.cx, &out.cy);
  out.r = arc.r * scale;
  const double b0 = std::atan2(map.c * std::cos(arc.a0) + map.d * std::sin(arc.a0),
                               map.a * std::cos(arc.a0) + map.b * std::sin(arc.a0));
  const double b1 = std::atan2(map.c * std::cos(arc.a1) + map.d * std::sin(arc.a1),
                               map.a * std::cos(arc.a1) + map.b * std::sin(arc.a1));
  out.a0 = mirrored ? b1 : b0;
  out.a1 = mirrored ? b0 : b1;
  return out;
}

void flatten_arc(const PlaneArc& arc, const Affine2& map, double tol, std::vector<double>* xs,
                 std::vector<double>* ys) {
  const double grow = std::max({std::hypot(map.a, map.c), std::hypot(map.b, map.d), 1e-12});
  const double sweep = ccw_sweep(arc.a0, arc.a1);
  const int steps = arc_steps(arc.r * grow, sweep, tol);
  for (int k = 0; k <= steps; ++k) {
    const double a = arc.a0 + sweep * k / steps;
    double x, y;
    apply_affine2(map, arc.cx + arc.r * std::cos(a), arc.cy + arc.r * std::sin(a), &x, &y);
    xs->push_back(x);
    ys->push_back(y);
  }
}

// ---- splines ----

bool spline_is_valid(const SplineCurve& c) {
  const size_t n = c.control.size();
  if (c.degree < 1 || c.degree > 25 || n < static_cast<size_t>(c.degree) + 1) return false;
  if (c.knots.size() != n + static_cast<size_t>(c.degree) + 1) return false;
  for (size_t i = 1; i < c.knots.size(); ++i)
    if (c.knots[i] < c.knots[i - 1]) return false;
  if (!(c.knots[n] > c.knots[static_cast<size_t>(c.degree)])) return false;
  if (!c.weights.empty()) {
    if (c.weights.size() != n) return false;
    for (double w : c.weights)
      if (!(w > 0)) return false;
  }
  return true;
}

namespace {

// de Boor's algorithm on homogeneous points.
void spline_point(const SplineCurve& c, double t, std::vector<double>* work, double* x,
                  double* y) {
  const int p = c.degree;
  const size_t n = c.control.size();
  size_t k = static_cast<size_t>(p);
  while (k + 1 < n && t >= c.knots[k + 1]) ++k;
  std::vector<double>& d = *work;
  d.assign(static_cast<size_t>(3 * (p + 1)), 0.0);
  for (int j = 0; j <= p; ++j) {
    const size_t i = k - static_cast<size_t>(p) + static_cast<size_t>(j);
    const double w = c.weights.empty() ? 1.0 : c.weights[i];
    d[3 * j] = c.control[i].x * w;
    d[3 * j + 1] = c.control[i].y * w;
    d[3 * j + 2] = w;
  }
  for (int r = 1; r <= p; ++r) {
    for (int j = p; j >= r; --j) {
      const size_t i = k - static_cast<size_t>(p) + static_cast<size_t>(j);
      const double denom = c.knots[i + static_cast<size_t>(p) + 1 - static_cast<size_t>(r)] - c.knots[i];
      const double alpha = denom > 0 ? (t - c.knots[i]) / denom : 0.0;
      for (int q = 0; q < 3; ++q) d[3 * j + q] = (1 - alpha) * d[3 * (j - 1) + q] + alpha * d[3 * j + q];
    }
  }
  *x = d[3 * p] / d[3 * p + 2];
  *y = d[3 * p + 1] / d[3 * p + 2];
}

struct SplineFlattener {
  const SplineCurve& curve;
  double tol;
  std::vector<double> work;
  std::vector<double>* xs;
  std::vector<double>* ys;

  double distance_to_chord(double px, double py, double x0, double y0, double x1, double y1) {
    const double dx = x1 - x0, dy = y1 - y0, l2 = dx * dx + dy * dy;
    if (l2 < 1e-24) return std::hypot(px - x0, py - y0);
    const double t = std::clamp(((px - x0) * dx + (py - y0) * dy) / l2, 0.0, 1.0);
    return std::hypot(px - (x0 + t * dx), py - (y0 + t * dy));
  }

  // Adds the points after t0 up to t1 (its end included).
  void subdivide(double t0, double x0, double y0, double t1, double x1, double y1, int depth) {
    double qx[3], qy[3];
    for (int k = 0; k < 3; ++k) spline_point(curve, t0 + (t1 - t0) * (k + 1) / 4.0, &work, &qx[k], &qy[k]);
    double worst = 0;
    for (int k = 0; k < 3; ++k) worst = std::max(worst, distance_to_chord(qx[k], qy[k], x0, y0, x1, y1));
    if (worst > tol && depth < MAX_SPLINE_DEPTH && xs->size() < MAX_SPLINE_POINTS) {
      const double tm = (t0 + t1) / 2;
      subdivide(t0, x0, y0, tm, qx[1], qy[1], depth + 1);
      subdivide(tm, qx[1], qy[1], t1, x1, y1, depth + 1);
      return;
    }
    xs->push_back(x1);
    ys->push_back(y1);
  }
};

}  // namespace

void flatten_spline(const SplineCurve& curve, double tol, std::vector<double>* xs,
                    std::vector<double>* ys) {
  if (!spline_is_valid(curve)) return;
  const size_t n = curve.control.size();
  const double t_start = curve.knots[static_cast<size_t>(curve.degree)];
  SplineFlattener f{curve, std::max(tol, 1e-9), {}, xs, ys};
  // Start from the knot spans, so that no span is stepped over.
  std::vector<double> ts;
  for (size_t i = static_cast<size_t>(curve.degree); i <= n; ++i)
    if (ts.empty() || curve.knots[i] > ts.back()) ts.push_back(curve.knots[i]);
  double x0, y0;
  spline_point(curve, t_start, &f.work, &x0, &y0);
  xs->push_back(x0);
  ys->push_back(y0);
  for (size_t i = 1; i < ts.size(); ++i) {
    double x1, y1;
    const double t1 = ts[i];
    spline_point(curve, t1, &f.work, &x1, &y1);
    f.subdivide(ts[i - 1], x0, y0, t1, x1, y1, 0);
    x0 = x1;
    y0 = y1;
  }
}
