#include "geometry/float2d.h"

#include <cmath>
#include <utility>

Float2dState g_float2d = {1.0, 0.0, 1e-8, 0.0f, 0.0, 0.0, 0};

void reset_float2d_state() { g_float2d = Float2dState{1.0, 0.0, 1e-8, 0.0f, 0.0, 0.0, 0}; }

// ---- float vector helpers ----

void vector_from_angle(double angle, double length, PointF* out) {
  out->x = static_cast<float>(length * std::cos(angle));
  out->y = static_cast<float>(length * std::sin(angle));
}

void offset_along_normal(const PointF* p, const PointF* v, double distance, PointF* out) {
  const double x = p->x + distance * v->y;
  const double y = p->y - distance * v->x;
  out->x = static_cast<float>(x);
  out->y = static_cast<float>(y);
}

float manhattan_length(const PointF* v) {
  return static_cast<float>(std::fabs(static_cast<double>(v->x)) +
                            std::fabs(static_cast<double>(v->y)));
}

int normalize_vector(const PointF* v, PointF* out) {
  const double length = std::hypot(static_cast<double>(v->x), static_cast<double>(v->y));
  if (length <= 1e-11) return 0;
  out->x = static_cast<float>(v->x / length);
  out->y = static_cast<float>(v->y / length);
  return 1;
}

float dot_product(const PointF* a, const PointF* b) {
  return static_cast<float>(static_cast<double>(a->x) * b->x + static_cast<double>(a->y) * b->y);
}

float cross_product(const PointF* a, const PointF* b) {
  return static_cast<float>(static_cast<double>(a->x) * b->y - static_cast<double>(a->y) * b->x);
}

void vec_add_assign(PointF* a, const PointF* b) {
  a->x += b->x;
  a->y += b->y;
}

void vec_add_to_second(const PointF* a, PointF* b) {
  b->x += a->x;
  b->y += a->y;
}

void vec_add(const PointF* a, const PointF* b, PointF* out) {
  const PointF sum = {a->x + b->x, a->y + b->y};
  *out = sum;
}

void vec_sub(const PointF* a, const PointF* b, PointF* out) {
  const PointF difference = {a->x - b->x, a->y - b->y};
  *out = difference;
}

void vec_add_scaled(const PointF* p, const PointF* v, double s, PointF* out) {
  const double x = p->x + s * v->x;
  const double y = p->y + s * v->y;
  out->x = static_cast<float>(x);
  out->y = static_cast<float>(y);
}

void lerp_points(const PointF* a, const PointF* b, double t, PointF* out) {
  const double x = (1.0 - t) * a->x + t * b->x;
  const double y = (1.0 - t) * a->y + t * b->y;
  out->x = static_cast<float>(x);
  out->y = static_cast<float>(y);
}

void rotate_point_about(PointF* out, const PointF* p, const PointF* centre, double angle) {
  const double c = std::cos(angle);
  const double s = std::sin(angle);
  const double dx = static_cast<double>(p->x) - centre->x;
  const double dy = static_cast<double>(p->y) - centre->y;
  const double x = centre->x + dx * c - dy * s;
  const double y = centre->y + dx * s + dy * c;
  out->x = static_cast<float>(x);
  out->y = static_cast<float>(y);
}

void rotate_vector(const PointF* v, double angle, PointF* out) {
  const double c = std::cos(angle);
  const double s = std::sin(angle);
  const double x = v->x * c - v->y * s;
  const double y = v->x * s + v->y * c;
  out->x = static_cast<float>(x);
  out->y = static_cast<float>(y);
}

void rotate_by_current_angle(float* out_x, float* out_y, float a, float b) {
  const double c = g_float2d.rotation_cos;
  const double s = g_float2d.rotation_sin;
  *out_x = static_cast<float>(a * c - b * s);
  *out_y = static_cast<float>(b * c + a * s);
}

int mirror_point_two_points(const PointF* p, const PointF* a, const PointF* b, PointF* out) {
  const double length = std::hypot(static_cast<double>(b->x) - a->x,
                                   static_cast<double>(b->y) - a->y);
  if (length <= 1e-11) return 0;
  const double nx = (static_cast<double>(b->y) - a->y) / length;
  const double ny = (static_cast<double>(a->x) - b->x) / length;
  const double c = -2.0 * (nx * (static_cast<double>(p->x) - a->x) +
                           ny * (static_cast<double>(p->y) - a->y));
  const double x = p->x + c * nx;
  const double y = p->y + c * ny;
  out->x = static_cast<float>(x);
  out->y = static_cast<float>(y);
  return 1;
}

void line_slope_intercept(const PointF* a, const PointF* b, double* out_slope,
                          double* out_intercept) {
  const double dx = static_cast<double>(b->x) - a->x;
  // A vertical line gets a slope so steep that callers treat it as vertical.
  const double slope = std::fabs(dx) >= 1e-10 ? (static_cast<double>(b->y) - a->y) / dx : 9e11;
  *out_slope = slope;
  *out_intercept = a->y - slope * a->x;
}

void polar_point(const PointF* p, double distance, double angle, PointF* out) {
  const double x = p->x + distance * std::cos(angle);
  const double y = p->y + distance * std::sin(angle);
  out->x = static_cast<float>(x);
  out->y = static_cast<float>(y);
}

void polar_offset(float angle, float radius, float* out_x, float* out_y) {
  *out_x = static_cast<float>(std::cos(static_cast<double>(angle)) * radius);
  *out_y = static_cast<float>(radius * std::sin(static_cast<double>(angle)));
}

void midpoint(const PointF* a, const PointF* b, PointF* out) {
  const double x = (static_cast<double>(a->x) + b->x) / 2.0;
  const double y = (static_cast<double>(a->y) + b->y) / 2.0;
  out->x = static_cast<float>(x);
  out->y = static_cast<float>(y);
}

float point_distance(const PointF* a, const PointF* b) {
  const double dx = static_cast<double>(a->x) - b->x;
  const double dy = static_cast<double>(a->y) - b->y;
  return static_cast<float>(std::sqrt(dx * dx + dy * dy));
}

float squared_length(const PointF* v) {
  return static_cast<float>(static_cast<double>(v->x) * v->x + static_cast<double>(v->y) * v->y);
}

// Direction of (dx, dy) once both axes are known not to be zero.
static double general_direction(double dx, double dy) {
  const double t = std::atan(dy / dx);
  if (dx < 0.0) return t + ANGLE_PI;
  return dy >= 0.0 ? t : t + ANGLE_TWO_PI;
}

float point_angle(const PointF* a, const PointF* b) {
  const double dx = static_cast<double>(b->x) - a->x;
  const double dy = static_cast<double>(b->y) - a->y;
  if (dy == 0.0) return dx >= 0.0 ? 0.0f : static_cast<float>(ANGLE_PI);
  if (dx == 0.0) return dy > 0.0 ? static_cast<float>(ANGLE_PI / 2) : static_cast<float>(1.5 * ANGLE_PI);
  return static_cast<float>(general_direction(dx, dy));
}

float xy_direction_angle(float x1, float y1, float x2, float y2) {
  const float dx = x2 - x1;
  const float dy = y2 - y1;
  if (std::fabs(dy) < 1e-6f) return dx >= 0.0f ? 0.0f : ANGLE_PI_F;
  if (std::fabs(dx) < 1e-6f) return dy >= 0.0f ? ANGLE_HALF_PI_F : ANGLE_THREE_HALF_PI_F;
  return static_cast<float>(general_direction(dx, dy));
}

void vec_sub_to_double(const PointF* a, const PointF* b, PointD* out) {
  out->x = static_cast<double>(a->x) - b->x;
  out->y = static_cast<double>(a->y) - b->y;
}

void copy_point(PointF* to, const PointF* from) { *to = *from; }

void zero_point(PointF* p) { *p = PointF{0.0f, 0.0f}; }

// ---- double twins ----

void vec_sub_d(const PointD* a, const PointD* b, PointD* out) {
  const PointD difference = {a->x - b->x, a->y - b->y};
  *out = difference;
}

double manhattan_length_d(const PointD* v) { return std::fabs(v->x) + std::fabs(v->y); }

double dot_product_d(const PointD* a, const PointD* b) { return a->x * b->x + a->y * b->y; }

double cross_product_d(const PointD* a, const PointD* b) { return a->x * b->y - a->y * b->x; }

void midpoint_d(const PointD* a, const PointD* b, PointD* out) {
  const PointD middle = {(a->x + b->x) / 2.0, (a->y + b->y) / 2.0};
  *out = middle;
}

double point_distance_d(const PointD* a, const PointD* b) {
  const double dx = a->x - b->x;
  const double dy = a->y - b->y;
  return std::sqrt(dx * dx + dy * dy);
}

// ---- equations ----

int quadratic_roots(double a, double b, double c, double out_roots[2]) {
  if (std::fabs(a) < 1e-10) return std::fabs(b) < 1e-10 ? -1 : 0;
  const double h = b / 2.0;
  const double d = h * h - a * c;
  if (std::fabs(d) < g_float2d.double_root_tolerance) {
    out_roots[0] = -h / a;
    return 1;
  }
  if (d < 0.0) return 0;
  const double root_d = std::sqrt(d);
  double r1 = (-h - root_d) / a;
  double r2 = (root_d - h) / a;
  if (r1 > r2) std::swap(r1, r2);
  out_roots[0] = r1;
  out_roots[1] = r2;
  return 2;
}

int quadratic_roots_f(double a, double b, double c, float* out_root1, float* out_root2) {
  const double d = b * b - 4.0 * a * c;
  if (a == 0.0 || d < -1e-11) return -1;
  const double f = d >= 1e-11 ? std::sqrt(d) : 0.0;
  *out_root1 = static_cast<float>((f - b) / (2.0 * a));
  *out_root2 = static_cast<float>((-b - f) / (2.0 * a));
  return 0;
}

// ---- arc helpers ----

static long round_half_away_long(double v) {
  return v >= 0.0 ? static_cast<long>(v + 0.5) : -static_cast<long>(-v + 0.5);
}

int arc_to_chord_steps(PointF* out, double start_angle, double end_angle, double radius,
                       int clockwise, double angle_step) {
  double s = start_angle;
  double e = end_angle;
  double step = angle_step;
  double sweep;
  if (!clockwise) {
    if (s >= e) e += ANGLE_TWO_PI;
    sweep = e - s;
  } else {
    if (s <= e) e -= ANGLE_TWO_PI;
    sweep = s - e;
    step = -step;
  }
  if (std::fabs(step) < 0.00001) return 0;
  const double ratio = sweep / step;
  if (!std::isfinite(ratio)) return 0;
  long n = round_half_away_long(ratio);
  if (n >= -1 && n <= 1) return 0;
  if (n > 2000) n = 2000;
  if (n < -2000) n = -2000;
  const double increment = sweep / static_cast<double>(n);
  double angle = s;
  double prev_x = radius * std::cos(angle);
  double prev_y = radius * std::sin(angle);
  int count = 0;
  while (angle != e && count < ARC_CHORD_STEPS_MAX) {
    angle += increment;
    if (!clockwise) {
      if (angle > ANGLE_TWO_PI && e > ANGLE_TWO_PI) {
        angle -= ANGLE_TWO_PI;
        e -= ANGLE_TWO_PI;
      }
      // Snap the last step so the final point lies exactly on the end angle.
      if (angle >= e - 0.002) angle = e;
    } else {
      if (angle < 0.0 && e < 0.0) {
        angle += ANGLE_TWO_PI;
        e += ANGLE_TWO_PI;
      }
      if (e + 0.002 >= angle) angle = e;
    }
    const double x = radius * std::cos(angle);
    const double y = radius * std::sin(angle);
    out[count].x = static_cast<float>(x - prev_x);
    out[count].y = static_cast<float>(y - prev_y);
    ++count;
    prev_x = x;
    prev_y = y;
  }
  return count;
}

float arc_from_centre_offset(float ex, float ey, float cx, float cy, float* out_start_angle,
                             float* out_end_angle) {
  *out_start_angle = xy_direction_angle(0.0f, 0.0f, -cx, -cy);
  *out_end_angle = xy_direction_angle(0.0f, 0.0f, ex - cx, ey - cy);
  return static_cast<float>(std::sqrt(static_cast<double>(cx) * cx + static_cast<double>(cy) * cy));
}

double step_angle_along_arc(int code, double value) {
  if (code == -1) {
    g_float2d.arc_step_radius = static_cast<float>(value);
    return 0.0;
  }
  if (code == -2) {
    g_float2d.arc_step_angle = value;
    return 0.0;
  }
  if (code < 0) return g_float2d.arc_step_angle;
  g_float2d.arc_step_direction = static_cast<int16_t>(code);
  // One step never turns more than a radian, so a tiny radius cannot spin the text around.
  double step = 1.0;
  if (g_float2d.arc_step_radius != 0.0f) step = value / g_float2d.arc_step_radius;
  else if (value == 0.0) step = 0.0;
  if (!(std::fabs(step) <= 1.0)) step = step < 0.0 ? -1.0 : 1.0;
  g_float2d.arc_step_last = step;
  double angle = g_float2d.arc_step_angle;
  angle = g_float2d.arc_step_direction != 0 ? angle + step : angle - step;
  if (angle > ANGLE_TWO_PI) angle -= ANGLE_TWO_PI;
  if (angle < 0.0) angle += ANGLE_TWO_PI;
  g_float2d.arc_step_angle = angle;
  return angle;
}
