// Ellipses as pen moves for the NC output: the ellipse is flattened into chords that keep the
// given tolerance and handed to a pen-move sink, one positioning move and then lines.
#pragma once

#include <algorithm>
#include <cmath>
#include <vector>

#include "geometry/float2d.h"
#include "records/pen_move.h"

// Most points an arc or ellipse is flattened into.
constexpr int ARC_POINTS_MAX = 3000;

// Points of an arc from start to end angle (radians) in steps of step, on the ellipse of radii
// rx, ry about the origin; the last point lies on the end angle. Empty when more than
// ARC_POINTS_MAX points would be needed.
inline std::vector<PointD> arc_points(double start, double end, double rx, double ry,
                                      int clockwise, double step) {
  std::vector<PointD> points;
  double t = start;
  if (clockwise) {
    step = -step;
    if (t <= end) end -= ANGLE_TWO_PI;
  } else if (t >= end) {
    end += ANGLE_TWO_PI;
  }
  if (step == 0.0) return points;
  while (true) {
    points.push_back(PointD{std::cos(t) * rx, std::sin(t) * ry});
    if (t == end) return points;
    t += step;
    if (static_cast<int>(points.size()) > ARC_POINTS_MAX) return {};
    if (clockwise) {
      if (t < 0.0 && end < 0.0) {
        t += ANGLE_TWO_PI;
        end += ANGLE_TWO_PI;
      }
      if (t <= end - step / 2.0) t = end;
    } else {
      if (t > ANGLE_TWO_PI && end > ANGLE_TWO_PI) {
        t -= ANGLE_TWO_PI;
        end -= ANGLE_TWO_PI;
      }
      if (t >= end - step / 2.0) t = end;
    }
  }
}

// Sends the ellipse about (cx, cy) with the semi-axis b along the direction rotation and a
// across it: the first move PEN_UP to its first point, then PEN_LINE lines, each as the
// displacement from the pen, within the caller's tolerance (above 0). An ellipse whose
// semi-axes are both below the encoder's minimum step sends nothing.
inline void ellipse_to_pen_moves(double cx, double cy, double a, double b, double rotation,
                                 double tolerance, double min_step, PenMoveSink sink) {
  if (a < min_step && b < min_step) return;
  const double mean = (a + b) / 2.0;
  const double k = (mean - tolerance) / mean;
  const double step = k <= 0.0 ? 0.8 : std::min(2.0 * std::acos(k), 0.8);
  const int n = std::clamp(static_cast<int>(ANGLE_TWO_PI / step) + 1, 4, ARC_POINTS_MAX);
  const std::vector<PointD> circle = arc_points(0.0, 0.0, 1.0, 1.0, 0, ANGLE_TWO_PI / n);
  const double c = std::cos(rotation);
  const double s = std::sin(rotation);
  PenMove& m = g_pen_move;
  bool first = true;
  for (const PointD& u : circle) {
    const double x = u.x * b;  // stretched along the rotation direction
    const double y = u.y * a;
    m.dx = static_cast<float>(cx + x * c - y * s - m.x);
    m.dy = static_cast<float>(cy + x * s + y * c - m.y);
    m.code = first ? PEN_UP : PEN_LINE;
    first = false;
    sink();
  }
}
