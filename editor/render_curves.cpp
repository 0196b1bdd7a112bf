// Arcs, ellipses and spline samples as chords in pixels. A curve's chords are the spline of the
// design's uniform steps, but only the steps whose piece of curve comes near the paint box are
// generated: the steps are bisected and a piece whose bounding disc misses the box is skipped
// whole. So a circle a million pixels wide costs what its visible part costs, and no chord is
// coarser than at a fitted view.
#include <algorithm>
#include <cmath>
#include <cstdint>

#include "editor/draw_style.h"
#include "editor/render.h"
#include "editor/render_internal.h"
#include "editor/view_state.h"
#include "geometry/spline.h"
#include "geometry/spline_run.h"
#include "records/preferences.h"
#include "geometry/geometry_settings.h"

namespace {

// A margin around the paint box in which pieces of curve still count as visible, pixels.
constexpr double VISIBLE_MARGIN = 4.0;
// Chords drawn in one polyline call; a longer run is drawn in pieces.
constexpr int RUN_POINTS = 3002;
// Steps that a single curve may be cut into before the bisection gives up on finer chords.
constexpr int64_t MAX_STEPS = int64_t{1} << 40;
// Spline samples far off the screen are not drawn.
constexpr double SPLINE_SAMPLE_MIN = -10000.0;
constexpr double SPLINE_SAMPLE_MAX = 12000.0;

// The pixel points of the run being collected: all chords of one visible piece of curve.
struct PixelRun {
  CanvasPoint points[RUN_POINTS];
  int count = 0;
  int chords = 0;  // chords drawn by the current curve
  bool single_pixel = true;  // every point so far fell on the first one's pixel
};
PixelRun g_run;
double g_sample_x[SPLINE_MAX_POINTS];
double g_sample_y[SPLINE_MAX_POINTS];

int round_pixel(double v) {
  const float f = static_cast<float>(std::clamp(v, -1e9, 1e9));
  return static_cast<int>(f >= 0.0f ? f + 0.5f : f - 0.5f);
}

void flush_run() {
  PixelRun& run = g_run;
  if (run.count >= 2) {
    if (run.single_pixel) {
      area_dot(run.points[0].x, run.points[0].y);
    } else {
      run.chords += run.count - 1;
      area_polyline(run.points, run.count);
    }
  } else if (run.count == 1) {
    area_dot(run.points[0].x, run.points[0].y);
  }
  run.count = 0;
  run.single_pixel = true;
}

void add_point(int x, int y) {
  PixelRun& run = g_run;
  if (run.count == RUN_POINTS) {
    const CanvasPoint last = run.points[run.count - 1];
    flush_run();
    run.points[0] = last;
    run.count = 1;
  }
  if (run.count > 0 && (x != run.points[0].x || y != run.points[0].y)) run.single_pixel = false;
  run.points[run.count++] = CanvasPoint{x, y};
}

// A curve t -> (cx + X(t), cy - Y(t)) in area pixels, sampled at t0 + i step for i in 0..n.
struct Curve {
  double cx = 0.0, cy = 0.0;  // centre, area pixels (y down)
  double rx = 0.0, ry = 0.0;  // radii along the curve's own axes, pixels
  double stretch = 1.0;       // factor on the x radius (an ellipse's b / a)
  double cos_r = 1.0, sin_r = 0.0;  // rotation of the curve's own axes
  double t0 = 0.0, step = 0.0;
  int64_t n = 0;
  double bound = 0.0;  // pixels moved at most per radian of t
  bool everything = false;  // printing: no box to skip against

  void point(int64_t i, double* x, double* y) const {
    const double t = i == n ? t0 + step * static_cast<double>(n) : t0 + step * static_cast<double>(i);
    const double u = rx * std::cos(t) * stretch;
    const double v = ry * std::sin(t);
    *x = cx + u * cos_r - v * sin_r;
    *y = cy - (u * sin_r + v * cos_r);
  }

  bool near_box(int64_t i, int64_t j) const {
    if (everything) return true;
    double x = 0.0, y = 0.0;
    const int64_t mid = i + (j - i) / 2;
    point(mid, &x, &y);
    const double reach =
        bound * std::fabs(step) * static_cast<double>(std::max(mid - i, j - mid)) + VISIBLE_MARGIN;
    return x + reach >= 0.0 && x - reach <= g_view.box_width && y + reach >= 0.0 &&
           y - reach <= g_view.box_height;
  }

  void emit(int64_t i) const {
    double x = 0.0, y = 0.0;
    point(i, &x, &y);
    add_point(round_pixel(x), round_pixel(y));
  }

  // The chords from step i to step j, skipping pieces away from the box.
  void visit(int64_t i, int64_t j) const {
    if (!near_box(i, j)) {
      flush_run();
      return;
    }
    if (j - i == 1) {
      if (g_run.count == 0) emit(i);
      emit(j);
      return;
    }
    const int64_t m = i + (j - i) / 2;
    visit(i, m);
    visit(m, j);
  }

  void draw() const {
    g_run.count = 0;
    g_run.chords = 0;
    g_run.single_pixel = true;
    visit(0, n);
    flush_run();
  }
};

int64_t step_count(double sweep, double step) {
  const double n = std::trunc(sweep / step) + 1.0;
  return static_cast<int64_t>(std::clamp(n, 1.0, static_cast<double>(MAX_STEPS)));
}

}  // namespace

void draw_arc(double cx, double cy, double radius, double angle1, double angle2, int clockwise) {
  const ViewState& v = g_view;
  double sweep = clockwise != 0 ? angle1 - angle2 : angle2 - angle1;
  if (sweep <= 0.0) sweep += ANGLE_TWO_PI;
  const double r = radius * v.scale_x;
  int64_t n = 0;
  if (!(r > 3.0)) {
    n = 1 + (sweep >= ANGLE_TWO_PI / 4 ? 1 : 0) + (sweep >= ANGLE_TWO_PI / 2 ? 1 : 0);
  } else {
    const double e = r > 60.0 ? DRAW_CHORD_PIXELS : r / 3.0;
    const double q = e / (2.0 * r);
    const double step = q < 1.0 ? 2.0 * std::asin(q) : 0.6;
    n = step_count(sweep, step);
    if (n < 4) n += (sweep >= ANGLE_TWO_PI / 4 ? 1 : 0) + (sweep >= ANGLE_TWO_PI / 2 ? 1 : 0);
  }
  Curve curve;
  curve.cx = cx * v.scale_x;
  curve.cy = -cy * v.scale_y;
  curve.rx = r;
  curve.ry = r * v.scale_y / v.scale_x;
  curve.t0 = angle1;
  curve.step = (clockwise != 0 ? -sweep : sweep) / static_cast<double>(n);
  curve.n = n;
  curve.bound = std::max(curve.rx, curve.ry);
  curve.everything = g_draw_style.printing != 0;
  curve.draw();
}

int draw_ellipse(double cx, double cy, double a, double b, double rotation, int draw) {
  if (a == 0.0 || b == 0.0) return -1;
  const ViewState& v = g_view;
  const double g = std::max(a, b) * v.scale_x;
  int64_t n = 4;
  if (g > 5.0) {
    const double e = g > 120.0 ? DRAW_CHORD_PIXELS : g / 6.0;
    const double q = e / g;
    const double step = q < 1.0 ? 2.0 * std::asin(q) : 0.6;
    n = std::max<int64_t>(step_count(ANGLE_TWO_PI, step), 4);
  }
  Curve curve;
  curve.cx = cx * v.scale_x;
  curve.cy = -cy * v.scale_y;
  curve.rx = a * v.scale_x;
  curve.ry = curve.rx * v.scale_y / v.scale_x;
  curve.stretch = b / a;
  curve.cos_r = std::cos(rotation);
  curve.sin_r = std::sin(rotation);
  curve.t0 = 0.0;
  curve.step = ANGLE_TWO_PI / static_cast<double>(n);
  curve.n = n;
  curve.bound = std::max(std::fabs(curve.rx * curve.stretch), std::fabs(curve.ry));
  curve.everything = g_draw_style.printing != 0;
  if (draw == 0) return static_cast<int>(std::min<int64_t>(n, INT32_MAX));
  curve.draw();
  return g_run.chords;
}

int draw_spline_samples(double* xs, double* ys, int count, float tolerance, int draw) {
  if (count <= 0) return 0;
  if (count <= 2) {
    int x1 = static_cast<int>(xs[0]);
    int y1 = static_cast<int>(ys[0]);
    int x2 = static_cast<int>(xs[count - 1]);
    int y2 = static_cast<int>(ys[count - 1]);
    if (x1 == x2 && y1 == y2) {
      if (draw == 0) return 0;
      x2 += 2;
    }
    if (draw != 0 && clip_segment_to_view(&x1, &y1, &x2, &y2)) area_line(x1, y1, x2, y2);
    return 2;
  }
  const double* px = xs;
  const double* py = ys;
  int samples = count;
  if (draw == 0 || g_geometry_settings.spline_curve_view != 0) {
    const SplineSamples& s = g_spline_samples;
    samples = spline_through_points(xs, ys, count, s.start_angle, s.end_angle, s.end_mode,
                                    s.end_flag, std::max(static_cast<double>(tolerance), 1.0),
                                    g_sample_x, g_sample_y);
    px = g_sample_x;
    py = g_sample_y;
  }
  int kept = 0;
  g_run.count = 0;
  g_run.single_pixel = true;
  for (int i = 0; i < samples; ++i) {
    if (px[i] < SPLINE_SAMPLE_MIN || px[i] > SPLINE_SAMPLE_MAX || py[i] < SPLINE_SAMPLE_MIN ||
        py[i] > SPLINE_SAMPLE_MAX) {
      // A sample far off the screen breaks the line rather than being jumped over.
      if (draw != 0) flush_run();
      continue;
    }
    ++kept;
    if (draw != 0) add_point(static_cast<int>(px[i]), static_cast<int>(py[i]));
  }
  if (kept < 2) {
    g_run.count = 0;
    return 0;
  }
  if (draw != 0) flush_run();
  return kept;
}
