// Bezier curves: the factorial table, Bernstein evaluation, sampling within a tolerance, and
// the two walkers of a run of Bezier links (screen polyline, pen-move chords).
#include "geometry/bezier.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>
#include <new>
#include <vector>

#include "geometry/geometry_settings.h"
#include "platform/canvas.h"
#include "store/line_list.h"

BezierState g_bezier;

void reset_bezier_state() {
  g_bezier = BezierState{};
}

// ---- evaluation ----

void init_factorials() {
  double f = 1.0;
  g_bezier.factorials[0] = 1.0;
  for (int k = 1; k <= BEZIER_MAX_POINTS; ++k) {
    f *= k;
    g_bezier.factorials[k] = f;
  }
  g_bezier.factorials_ready = true;
}

void binomial_weights(int p, double* out) {
  if (!g_bezier.factorials_ready) init_factorials();
  p = std::clamp(p, 0, BEZIER_MAX_POINTS);
  const double* f = g_bezier.factorials;
  // Whole numbers below 2^53: rounding takes off what the large factorials lost.
  for (int k = 0; k <= p; ++k) out[k] = std::round(f[p] / (f[k] * f[p - k]));
}

// The Bernstein sum, arranged so that the power series variable stays at most 1 in size: from
// the first control point in powers of (1 - t) / t above the middle, else from the last in
// powers of t / (1 - t).
static PointF bernstein_point(const PointF* points, int p, const double* weights, double t) {
  double ax = 0.0;
  double ay = 0.0;
  if (t > 0.50001) {
    const double s = (1.0 - t) / t;
    ax = points[0].x;
    ay = points[0].y;
    for (int k = 1; k <= p; ++k) {
      ax = weights[k] * points[k].x + s * ax;
      ay = weights[k] * points[k].y + s * ay;
    }
    const double scale = std::pow(t, p);
    return PointF{static_cast<float>(ax * scale), static_cast<float>(ay * scale)};
  }
  const double s = t / (1.0 - t);
  ax = points[p].x;
  ay = points[p].y;
  for (int k = p - 1; k >= 0; --k) {
    ax = weights[k] * points[k].x + s * ax;
    ay = weights[k] * points[k].y + s * ay;
  }
  const double scale = std::pow(1.0 - t, p);
  return PointF{static_cast<float>(ax * scale), static_cast<float>(ay * scale)};
}

PointF bezier_point(const PointF* points, int n, double t) {
  n = std::clamp(n, 1, BEZIER_MAX_POINTS);
  double weights[BEZIER_MAX_POINTS + 1];
  binomial_weights(n - 1, weights);
  return bernstein_point(points, n - 1, weights, t);
}

void eval_bezier(const PointF* points, int n, int m, PointF* out) {
  n = std::clamp(n, 1, BEZIER_MAX_POINTS);
  double weights[BEZIER_MAX_POINTS + 1];
  binomial_weights(n - 1, weights);
  // One sample would make the step count 0; the curve's start is what it asks for then.
  const int c = std::max((m - 1) / 2, 1);
  for (int i = 0; i < m; ++i) {
    out[i] = bernstein_point(points, n - 1, weights, static_cast<double>(i) / c);
  }
}

int bezier_sample_count(const PointF* points, int n, double tolerance) {
  const int least = std::min(4 * std::max(n, 1), BEZIER_MAX_SAMPLES);
  if (n < 3) return least;
  // A chord over a parameter step h leaves the curve by at most h^2 / 8 times the largest
  // second derivative, which is bounded by p (p - 1) times the largest second difference of
  // the control points.
  double largest = 0.0;
  for (int k = 0; k + 2 < n; ++k) {
    const double dx = static_cast<double>(points[k + 2].x) - 2.0 * points[k + 1].x + points[k].x;
    const double dy = static_cast<double>(points[k + 2].y) - 2.0 * points[k + 1].y + points[k].y;
    largest = std::max(largest, std::hypot(dx, dy));
  }
  const double p = n - 1;
  const double bound = p * (p - 1.0) * largest;
  if (!(tolerance > 0.0) || !std::isfinite(bound)) return BEZIER_MAX_SAMPLES;
  const double steps = std::ceil(std::sqrt(bound / (8.0 * tolerance)));
  if (!(steps < BEZIER_MAX_SAMPLES)) return BEZIER_MAX_SAMPLES;
  return std::max(least, static_cast<int>(steps) + 1);
}

// Samples the curve at count even parameters from 0 to 1 into g_bezier.samples.
static void sample_curve(const PointF* points, int n, int count) {
  double weights[BEZIER_MAX_POINTS + 1];
  binomial_weights(n - 1, weights);
  const double last = count - 1;
  for (int i = 0; i < count; ++i) {
    g_bezier.samples[i] = bernstein_point(points, n - 1, weights, i / last);
  }
}

// ---- runs of links ----

int gather_bezier_run(LinkRecord* first, PointF* out_points, LinkRecord** out_resume) {
  LinkRecord* r = first;
  int count = 0;
  for (;;) {
    out_points[count++] = r->point;
    const bool run_ends = (r->node_flags & NODE_CLOSING) != 0 || r->code != LINK_BEZIER;
    if (run_ends || count == BEZIER_MAX_POINTS) break;
    ++r;
  }
  // r holds the last point taken; the walk steps on to it. After a cut that is a Bezier link
  // again, so the rest of the run becomes a curve of its own instead of a gap in the path.
  *out_resume = r == first ? first : r - 1;
  return count;
}

static int to_pixel(double v) {
  if (!(v > INT_MIN / 2)) return INT_MIN / 2;
  if (!(v < INT_MAX / 2)) return INT_MAX / 2;
  return static_cast<int>(std::lround(v));
}

static CanvasPoint to_screen(const PointF& p, const ViewMapping& view) {
  const double x = (static_cast<double>(p.x) - view.view_left) * view.scale;
  const double y = (static_cast<double>(view.view_top) - p.y) * view.scale;
  return CanvasPoint{to_pixel(x), to_pixel(y)};
}

LinkRecord* draw_bezier_run(Canvas* canvas, LinkRecord* first_link, const ViewMapping& view) {
  PointF points[BEZIER_MAX_POINTS];
  LinkRecord* resume = first_link;
  const int n = gather_bezier_run(first_link, points, &resume);
  CanvasPoint* screen = g_bezier.screen;
  if (n <= 2) {
    for (int i = 0; i < n; ++i) screen[i] = to_screen(points[i], view);
    canvas_draw_polyline(canvas, std::span<const CanvasPoint>(screen, n));
    return resume;
  }
  // Sampled in pixels with the job tolerance, as the machine will cut it, but never finer
  // than a screen shows.
  PointF pixels[BEZIER_MAX_POINTS];
  for (int i = 0; i < n; ++i) {
    pixels[i] = PointF{
        static_cast<float>((static_cast<double>(points[i].x) - view.view_left) * view.scale),
        static_cast<float>((static_cast<double>(view.view_top) - points[i].y) * view.scale)};
  }
  const double tolerance =
      std::max(static_cast<double>(g_geometry_settings.tolerance) * std::fabs(view.scale),
               BEZIER_MIN_PIXEL_TOLERANCE);
  const int count = bezier_sample_count(pixels, n, tolerance);
  sample_curve(pixels, n, count);
  for (int i = 0; i < count; ++i) {
    screen[i] = CanvasPoint{to_pixel(g_bezier.samples[i].x), to_pixel(g_bezier.samples[i].y)};
  }
  canvas_draw_polyline(canvas, std::span<const CanvasPoint>(screen, count));
  return resume;
}

LinkRecord* bezier_run_segments(LinkRecord* first_link, double tolerance, PenMoveSink sink) {
  PointF points[BEZIER_MAX_POINTS];
  LinkRecord* resume = first_link;
  const int n = gather_bezier_run(first_link, points, &resume);
  g_pen_move.code = PEN_LINE;
  if (n <= 2) {
    sink();
    return resume;
  }
  const int count = bezier_sample_count(points, n, tolerance);
  sample_curve(points, n, count);
  for (int k = 0; k + 1 < count; ++k) {
    g_pen_move.dx = g_bezier.samples[k + 1].x - g_bezier.samples[k].x;
    g_pen_move.dy = g_bezier.samples[k + 1].y - g_bezier.samples[k].y;
    sink();
  }
  return resume;
}

// ---- flattening runs in place ----

// A flexible line from the record's node; tangent node kinds become loose.
static LinkRecord straight_from(const LinkRecord& r) {
  LinkRecord line = r;
  line.code = LINK_FLEXIBLE_LINE;
  line.sweep = 0.0f;
  line.start_angle = 0.0f;
  if ((line.node_flags & NODE_TANGENT_MASK) != 0) {
    line.node_flags = static_cast<uint8_t>((line.node_flags & ~NODE_TANGENT_MASK) | NODE_LOOSE);
  }
  return line;
}

int flatten_bezier_runs(DrawingItem* item) {
  LinkRecord* r = item_nodes(item);
  const int32_t n = item_link_count(item);
  if (r == nullptr) return 0;
  std::vector<LinkRecord> out;
  try {
    out.reserve(static_cast<size_t>(n) + 1);
    int32_t i = 0;
    while (i < n) {
      if (r[i].code != LINK_BEZIER) {
        out.push_back(r[i++]);
        continue;
      }
      PointF points[BEZIER_MAX_POINTS];
      LinkRecord* resume = r + i;
      const int count = gather_bezier_run(r + i, points, &resume);
      out.push_back(straight_from(r[i]));
      if (count > 2) {
        const int samples = bezier_sample_count(points, count, g_geometry_settings.tolerance);
        sample_curve(points, count, samples);
        for (int k = 1; k + 1 < samples; ++k) {
          LinkRecord node = straight_from(r[i]);
          node.node_flags = NODE_LOOSE;
          node.point = g_bezier.samples[k];
          out.push_back(node);
        }
      }
      i = static_cast<int32_t>(resume - r) + 1;
    }
    out.push_back(r[n]);
    const size_t header = records_offset(item_block(item)->cam_kind);
    const int32_t new_n = static_cast<int32_t>(out.size()) - 1;
    item->extra.resize(block_alloc_size(item_block(item)->cam_kind, new_n), 0);
    item_block(item)->link_count = new_n;
    std::memcpy(item->extra.data() + header, out.data(), out.size() * sizeof(LinkRecord));
  } catch (const std::bad_alloc&) {
    return -1;
  }
  item_bounding_boxes(item);
  return 0;
}
