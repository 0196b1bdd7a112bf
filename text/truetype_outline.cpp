#include "text/truetype_outline.h"

#include <algorithm>
#include <cmath>

#include "records/pen_move.h"

TrueTypeOutline g_truetype;

void reset_truetype_outline() { g_truetype = TrueTypeOutline{}; }

namespace {

constexpr float SKIP_BELOW = 0.0002f;

int point_count(double w, double tolerance, bool editing) {
  w = std::max(w, 0.000001);
  const double t = std::max(tolerance, 1e-9);
  const double n = std::trunc(1.0 / std::sqrt(4.0 * t / w)) + 2.0;
  const int most = editing ? QUADRATIC_EDITING_POINTS : QUADRATIC_MOST_POINTS;
  return static_cast<int>(std::min<double>(n, most));
}

}  // namespace

int flatten_quadratic(double x0, double y0, double x1, double y1, double x2, double y2,
                      double tolerance, bool editing, std::vector<float>* xs,
                      std::vector<float>* ys) {
  const double w = std::hypot(x0 - 2 * x1 + x2, y0 - 2 * y1 + y2);
  const int n = point_count(w, tolerance, editing);
  for (int k = 0; k < n; ++k) {
    if (k == 0) { xs->push_back(static_cast<float>(x0)); ys->push_back(static_cast<float>(y0)); continue; }
    if (k == n - 1) { xs->push_back(static_cast<float>(x2)); ys->push_back(static_cast<float>(y2)); continue; }
    const double t = static_cast<double>(k) / (n - 1), u = 1.0 - t;
    xs->push_back(static_cast<float>(u * u * x0 + 2 * t * u * x1 + t * t * x2));
    ys->push_back(static_cast<float>(u * u * y0 + 2 * t * u * y1 + t * t * y2));
  }
  return n;
}

int flatten_cubic(double x0, double y0, double x1, double y1, double x2, double y2, double x3,
                  double y3, double tolerance, bool editing, std::vector<float>* xs,
                  std::vector<float>* ys) {
  // The largest second difference bounds the chord error as w / 8 per (1/(n-1))^2 for a
  // quadratic; for a cubic the bound uses 3/4 of the largest of the two second differences.
  const double w1 = std::hypot(x0 - 2 * x1 + x2, y0 - 2 * y1 + y2);
  const double w2 = std::hypot(x1 - 2 * x2 + x3, y1 - 2 * y2 + y3);
  const int n = point_count(1.5 * std::max(w1, w2), tolerance, editing);
  for (int k = 0; k < n; ++k) {
    if (k == 0) { xs->push_back(static_cast<float>(x0)); ys->push_back(static_cast<float>(y0)); continue; }
    if (k == n - 1) { xs->push_back(static_cast<float>(x3)); ys->push_back(static_cast<float>(y3)); continue; }
    const double t = static_cast<double>(k) / (n - 1), u = 1.0 - t;
    const double a = u * u * u, b = 3 * u * u * t, c = 3 * u * t * t, d = t * t * t;
    xs->push_back(static_cast<float>(a * x0 + b * x1 + c * x2 + d * x3));
    ys->push_back(static_cast<float>(a * y0 + b * y1 + c * y2 + d * y3));
  }
  return n;
}

void prepare_truetype_outline() {
  TrueTypeOutline& o = g_truetype;
  const double s = o.unit_scale;
  for (size_t k = o.xs.size(); k-- > 1;) {
    o.xs[k] = static_cast<float>((static_cast<double>(o.xs[k]) - o.xs[k - 1]) * s);
    o.ys[k] = static_cast<float>((static_cast<double>(o.ys[k]) - o.ys[k - 1]) * s);
  }
  if (!o.xs.empty()) {
    o.xs[0] = static_cast<float>(o.xs[0] * s);
    o.ys[0] = static_cast<float>(o.ys[0] * s);
  }
}

void truetype_start_character() {
  TrueTypeOutline& o = g_truetype;
  o.point = 0;
  o.contour = 0;
  o.read_in_contour = 0;
  o.pen_up = 1;
  o.carry_dx = o.carry_dy = 0.0f;
}

int next_truetype_move() {
  TrueTypeOutline& o = g_truetype;
  PenMove& m = g_pen_move;
  const size_t closing = o.xs.empty() ? 0 : o.xs.size() - 1;
  for (;;) {
    m.code = '0';
    m.dx = m.dy = 0.0f;
    if (o.contour >= o.counts.size() || o.point >= closing) {
      if (o.point <= closing && !o.xs.empty()) {
        m.dx = o.xs[o.point] + o.carry_dx;
        m.dy = o.ys[o.point] + o.carry_dy;
        o.carry_dx = o.carry_dy = 0.0f;
        o.point = closing + 1;
      }
      return 0;
    }
    if (o.read_in_contour >= o.counts[o.contour]) {
      ++o.contour;
      o.read_in_contour = 0;
      if (o.contour >= o.counts.size()) continue;
      ++o.pen_up;
      m.code = 'z';
      return 1;
    }
    if (o.read_in_contour > 0 && o.pen_up > 0) {
      --o.pen_up;
      m.code = 'Z';
      return 1;
    }
    m.code = o.read_in_contour == 0 ? '0' : '1';
    m.dx = o.xs[o.point] + o.carry_dx;
    m.dy = o.ys[o.point] + o.carry_dy;
    ++o.point;
    ++o.read_in_contour;
    // A tiny move is left out, but its displacement goes on with the next one, so the outline
    // never drifts (the contour's last point always comes out).
    const bool last_of_contour = o.read_in_contour >= o.counts[o.contour];
    if (std::fabs(m.dx) < SKIP_BELOW && std::fabs(m.dy) < SKIP_BELOW && m.code == '1' &&
        !last_of_contour) {
      o.carry_dx = m.dx;
      o.carry_dy = m.dy;
      continue;
    }
    o.carry_dx = o.carry_dy = 0.0f;
    return 1;
  }
}
