#include "geometry/spline.h"

#include <algorithm>
#include <cmath>
#include <cstring>

SplineScratch g_spline_scratch;

void reset_spline_scratch() { std::memset(&g_spline_scratch, 0, sizeof g_spline_scratch); }

namespace {

// Coarsening rounds before the run is given up as a curve and drawn through its points.
// Doubling the deviation 64 times coarsens far beyond any drawing; a run that still does not
// fit cannot be fitted by coarsening at all.
constexpr int SPLINE_MAX_COARSENINGS = 64;
constexpr int SPLINE_NEWTON_STEPS = 52;

// Where a sampling pass writes.
struct SplineOut {
  double* x;
  double* y;
  double* z;  // null in 2-D
};

void compute_knots(SplineWork* w) {
  w->t[0] = 0.0;
  for (int i = 1; i < w->n; ++i)
    w->t[i] = w->t[i - 1] + std::hypot(w->x[i] - w->x[i - 1], w->y[i] - w->y[i - 1]);
}

void shift_down(double* v, int count) {
  for (int i = 0; i < count; ++i) v[i] = v[i + SPLINE_CLOSED_PAD];
}

// Pads a closed run, computes knots and second derivatives, then unpads everything.
void prepare_run(SplineWork* w, double start_angle, double end_angle, int end_mode,
                 int end_flag) {
  const bool padded = end_mode == SPLINE_END_CLOSED && w->n >= 4;
  if (padded) {
    w->n = w->has_z ? pad_closed_run_3d(w->x, w->y, w->z, w->n)
                    : pad_closed_run_2d(w->x, w->y, w->n);
  }
  // A closed run too short to pad is evaluated with natural ends.
  const int mode = (end_mode == SPLINE_END_CLOSED && !padded) ? SPLINE_END_NATURAL : end_mode;
  compute_knots(w);
  const bool clamp_start = mode == SPLINE_END_TANGENT;
  const bool clamp_end = end_flag == SPLINE_END_TANGENT && mode != SPLINE_END_CLOSED;
  const double start_x = clamp_start ? std::cos(start_angle) : 0.0;
  const double start_y = clamp_start ? -std::sin(start_angle) : 0.0;
  const double end_x = clamp_end ? -std::cos(end_angle) : 0.0;
  const double end_y = clamp_end ? std::sin(end_angle) : 0.0;
  spline_second_derivatives(w->t, w->x, w->n, start_x, end_x, mode, end_flag, w->sx);
  spline_second_derivatives(w->t, w->y, w->n, start_y, end_y, mode, end_flag, w->sy);
  if (w->has_z) spline_second_derivatives(w->t, w->z, w->n, 0.0, 0.0, mode, end_flag, w->sz);
  if (padded) {
    w->n = w->has_z ? unpad_closed_run_3d(w->x, w->y, w->z, w->n)
                    : unpad_closed_run_2d(w->x, w->y, w->n);
    shift_down(w->t, w->n);
    shift_down(w->sx, w->n);
    shift_down(w->sy, w->n);
    if (w->has_z) shift_down(w->sz, w->n);
  }
}

// First derivative of one coordinate at A, B on segment i.
double first_derivative(const double* v, const double* s, int i, double h, double a, double b) {
  return (v[i + 1] - v[i]) / h - (3.0 * a * a - 1.0) * h * s[i] / 6.0 +
         (3.0 * b * b - 1.0) * h * s[i + 1] / 6.0;
}

double interpolate(const double* v, const double* s, int i, double h, double a, double b) {
  const double c = (a * a * a - a) * h * h / 6.0;
  const double d = (b * b * b - b) * h * h / 6.0;
  return a * v[i] + b * v[i + 1] + c * s[i] + d * s[i + 1];
}

// Offsets along segment i (0 first, the segment end last); returns the last index.
int segment_offsets(const SplineWork* w, int i, double h, double target, double* offsets) {
  const double d3x = (w->sx[i + 1] - w->sx[i]) / h;
  const double d3y = (w->sy[i + 1] - w->sy[i]) / h;
  offsets[0] = 0.0;
  int k = 0;
  while (k < SPLINE_MAX_OFFSETS) {
    const double s = w->t[i] + offsets[k];
    const double a = (w->t[i + 1] - s) / h;
    const double b = 1.0 - a;
    const double dx = first_derivative(w->x, w->sx, i, h, a, b);
    const double dy = first_derivative(w->y, w->sy, i, h, a, b);
    const double ddx = a * w->sx[i] + b * w->sx[i + 1];
    const double ddy = a * w->sy[i] + b * w->sy[i + 1];
    const double step = spline_step_length(dx, dy, ddx, ddy, d3x, d3y, target, h);
    // A failed or meaningless step closes the segment in one chord.
    if (!std::isfinite(step) || step <= 0.0) {
      offsets[++k] = h;
      break;
    }
    offsets[k + 1] = offsets[k] + step;
    ++k;
    if (offsets[k] >= h) break;
  }
  return k;
}

// One sampling pass at deviation target; -1 when the output would overflow.
int sample_pass(const SplineWork* w, double target, SplineOut out) {
  double* offsets = g_spline_scratch.offsets;
  int written = 0;
  for (int i = 0; i + 1 < w->n; ++i) {
    const double h = w->t[i + 1] - w->t[i];
    if (!(h > 0.0)) continue;  // coincident points: nothing lies between them
    const int last = segment_offsets(w, i, h, target, offsets);
    const double scale = h / offsets[last];
    for (int j = 0; j < last; ++j) {
      if (written >= SPLINE_MAX_POINTS - 1) return -1;
      const double s = w->t[i] + offsets[j] * scale;
      const double a = (w->t[i + 1] - s) / h;
      const double b = 1.0 - a;
      out.x[written] = interpolate(w->x, w->sx, i, h, a, b);
      out.y[written] = interpolate(w->y, w->sy, i, h, a, b);
      if (out.z) out.z[written] = interpolate(w->z, w->sz, i, h, a, b);
      ++written;
    }
  }
  const int end = w->n - 1;
  out.x[written] = w->x[end];
  out.y[written] = w->y[end];
  if (out.z) out.z[written] = w->z[end];
  return written + 1;
}

// Coarsens until the polyline fits; a run that never fits is drawn through its own points,
// which always fit because the run itself is no longer than the output.
int sample_run(const SplineWork* w, double tolerance, SplineOut out) {
  double target = 3.0 * tolerance;
  for (int round = 0; round < SPLINE_MAX_COARSENINGS; ++round) {
    const int count = sample_pass(w, target, out);
    if (count > 0) return count;
    target *= 2.0;
  }
  for (int i = 0; i < w->n; ++i) {
    out.x[i] = w->x[i];
    out.y[i] = w->y[i];
    if (out.z) out.z[i] = w->z[i];
  }
  return w->n;
}

int evaluate(const double* x, const double* y, const double* z, int n, double start_angle,
             double end_angle, int end_mode, int end_flag, double tolerance, SplineOut out) {
  if (n <= 0 || n > SPLINE_MAX_POINTS) return 0;
  if (n <= 2) {
    out.x[0] = x[0];
    out.y[0] = y[0];
    if (out.z) out.z[0] = z[0];
    if (n == 1) return 1;
    out.x[1] = x[1];
    out.y[1] = y[1];
    if (out.z) out.z[1] = z[1];
    return 2;
  }
  SplineWork& work = g_spline_scratch.work;
  work.has_z = z != nullptr;
  work.n = 0;
  for (int i = 0; i < n; ++i) {
    // A repeated point would give a segment of no length and poison the whole solution.
    if (work.n > 0 && std::hypot(x[i] - work.x[work.n - 1], y[i] - work.y[work.n - 1]) < 1e-12)
      continue;
    work.x[work.n] = x[i];
    work.y[work.n] = y[i];
    if (z) work.z[work.n] = z[i];
    ++work.n;
  }
  if (work.n < 3) return evaluate(work.x, work.y, z ? work.z : nullptr, work.n, start_angle,
                                  end_angle, end_mode, end_flag, tolerance, out);
  prepare_run(&work, start_angle, end_angle, end_mode, end_flag);
  return sample_run(&work, tolerance, out);
}

double newton_cubic(double h2, double h3, double target, double x, double h) {
  for (int step = 0; step < SPLINE_NEWTON_STEPS; ++step) {
    const double f = h2 * x * x + h3 * x * x * x - target;
    const double slope = 2.0 * h2 * x + 3.0 * h3 * x * x;
    const double next = x - f / slope;
    if (std::fabs(next - x) / h < 1e-8) return next;
    x = next;
  }
  return SPLINE_STEP_FAILED;
}

// Shifts every array up by the pad and wraps the run periodically around both ends.
void pad_one(double* v, int n) {
  for (int i = n - 1; i >= 0; --i) v[i + SPLINE_CLOSED_PAD] = v[i];
  double* run = v + SPLINE_CLOSED_PAD;
  if (n == 4) {
    // A closed triangle: P0 P1 P2 P0 continues as P2 P0 P1 P2 | ... | P1 P2 P0 P1.
    const double front[4] = {run[2], run[0], run[1], run[2]};
    const double back[4] = {run[1], run[2], run[3], run[1]};
    std::copy(front, front + 4, v);
    std::copy(back, back + 4, run + n);
    return;
  }
  for (int k = 0; k < SPLINE_CLOSED_PAD; ++k) {
    v[k] = run[n - 5 + k];
    run[n + k] = run[1 + k];
  }
}

}  // namespace

int spline_through_points(const double* x, const double* y, int n, double start_angle,
                          double end_angle, int end_mode, int end_flag, double tolerance,
                          double* out_x, double* out_y) {
  return evaluate(x, y, nullptr, n, start_angle, end_angle, end_mode, end_flag, tolerance,
                  SplineOut{out_x, out_y, nullptr});
}

int spline_through_points_3d(const double* x, const double* y, const double* z, int n,
                             double start_angle, double end_angle, int end_mode, int end_flag,
                             double tolerance, double* out_x, double* out_y, double* out_z) {
  return evaluate(x, y, z, n, start_angle, end_angle, end_mode, end_flag, tolerance,
                  SplineOut{out_x, out_y, out_z});
}

void spline_second_derivatives(const double* t, const double* v, int n, double start_slope,
                               double end_slope, int end_mode, int end_flag, double* out_m) {
  if (n < 2) {
    if (n == 1) out_m[0] = 0.0;
    return;
  }
  double* u = g_spline_scratch.u;
  if (end_mode == SPLINE_END_TANGENT) {
    out_m[0] = -0.5;
    u[0] = 3.0 / (t[1] - t[0]) * ((v[1] - v[0]) / (t[1] - t[0]) - start_slope);
  } else {
    out_m[0] = 0.0;
    u[0] = 0.0;
  }
  for (int i = 1; i <= n - 2; ++i) {
    const double sig = (t[i] - t[i - 1]) / (t[i + 1] - t[i - 1]);
    const double p = sig * out_m[i - 1] + 2.0;
    out_m[i] = (sig - 1.0) / p;
    const double slope_change =
        (v[i + 1] - v[i]) / (t[i + 1] - t[i]) - (v[i] - v[i - 1]) / (t[i] - t[i - 1]);
    u[i] = (6.0 * slope_change / (t[i + 1] - t[i - 1]) - sig * u[i - 1]) / p;
  }
  double qn = 0.0;
  double un = 0.0;
  if (end_flag == SPLINE_END_TANGENT && end_mode != SPLINE_END_CLOSED) {
    const double h = t[n - 1] - t[n - 2];
    qn = 0.5;
    un = 3.0 / h * (end_slope - (v[n - 1] - v[n - 2]) / h);
  }
  out_m[n - 1] = (un - qn * u[n - 2]) / (qn * out_m[n - 2] + 1.0);
  for (int k = n - 2; k >= 0; --k) out_m[k] = out_m[k] * out_m[k + 1] + u[k];
}

double spline_step_length(double dx, double dy, double ddx, double ddy, double dddx,
                          double dddy, double target, double segment_length) {
  double length = std::hypot(dx, dy);
  if (length < 1e-30) length = 1e-10;
  double u = (ddx * dy - ddy * dx) / length;       // normal part of the second derivative
  double w = (dy * dddx - dx * dddy) / (2.0 * length);
  if (std::fabs(u) < 1e-17) u = 1e-17;
  if (std::fabs(w) < 1e-17) w = 1e-17;
  if (u < 0.0 && w < 0.0) {
    u = -u;
    w = -w;
  }
  const double h = segment_length;
  if (u > 1e-18 && w >= 0.0) return newton_cubic(u, w, target, h / 2.0, h);
  double big_h = u;
  double big_i = w;
  if (u < 0.0) {
    big_h = -u;
    big_i = -w;
  }
  const double turn = -2.0 * big_h / (3.0 * big_i);
  if (big_h * turn * turn + big_i * turn * turn * turn > target)
    return newton_cubic(big_h, big_i, target, turn / 2.0, h);
  return newton_cubic(big_h, big_i, -target, std::max(2.0 * turn, h), h);
}

int pad_closed_run_2d(double* x, double* y, int n) {
  pad_one(x, n);
  pad_one(y, n);
  return n + 2 * SPLINE_CLOSED_PAD;
}

int unpad_closed_run_2d(double* x, double* y, int padded_n) {
  const int n = padded_n - 2 * SPLINE_CLOSED_PAD;
  shift_down(x, n);
  shift_down(y, n);
  return n;
}

int pad_closed_run_3d(double* x, double* y, double* z, int n) {
  pad_one(z, n);
  return pad_closed_run_2d(x, y, n);
}

int unpad_closed_run_3d(double* x, double* y, double* z, int padded_n) {
  shift_down(z, padded_n - 2 * SPLINE_CLOSED_PAD);
  return unpad_closed_run_2d(x, y, padded_n);
}

// Distance from (px, py) to the polyline segment a-b; degenerate segments by their ends.
static double segment_distance(double ax, double ay, double bx, double by, double px,
                               double py) {
  const double dx = bx - ax;
  const double dy = by - ay;
  const double length_sq = dx * dx + dy * dy;
  const double to_a = std::hypot(px - ax, py - ay);
  const double to_b = std::hypot(px - bx, py - by);
  if (length_sq < 1e-9) return std::min(to_a, to_b);
  const double along = ((px - ax) * dx + (py - ay) * dy) / length_sq;
  const double fx = ax + along * dx;
  const double fy = ay + along * dy;
  // The position is read on the axis with the larger extent, as the pick tests do.
  const double position = std::fabs(dx) >= std::fabs(dy) ? (fx - ax) / dx : (fy - ay) / dy;
  if (position > 0.0 && position < 1.0) return std::hypot(px - fx, py - fy);
  return std::min(to_a, to_b);
}

int nearest_spline_segment(const double* x, const double* y, int n, double start_angle,
                           double end_angle, int end_mode, int end_flag, double hit_distance,
                           double tolerance, double px, double py) {
  double* out_x = g_spline_scratch.out_x;
  double* out_y = g_spline_scratch.out_y;
  const int count = spline_through_points(x, y, n, start_angle, end_angle, end_mode, end_flag,
                                          tolerance, out_x, out_y);
  if (count <= 0) return -1;
  if (count == 1) return std::hypot(px - out_x[0], py - out_y[0]) < hit_distance ? 0 : -1;
  double best = 999999999.0;
  int best_segment = -1;
  int segment = 0;
  for (int j = 0; j + 1 < count; ++j) {
    // The polyline passes through every input point; reaching the next one starts the next
    // run segment.
    while (segment + 1 < n && std::fabs(out_x[j] - x[segment + 1]) <= 1e-10 &&
           std::fabs(out_y[j] - y[segment + 1]) <= 1e-10)
      ++segment;
    const double d = segment_distance(out_x[j], out_y[j], out_x[j + 1], out_y[j + 1], px, py);
    if (d < best) {
      best = d;
      best_segment = segment;
    }
  }
  return best < hit_distance ? best_segment : -1;
}
