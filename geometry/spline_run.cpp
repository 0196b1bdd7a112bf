#include "geometry/spline_run.h"

#include <cmath>
#include <cstring>

#include "geometry/geometry2d.h"

SplineSamples g_spline_samples = {};

void reset_spline_samples() {
  std::memset(&g_spline_samples, 0, sizeof g_spline_samples);
  g_spline_samples.end_mode = SPLINE_END_NATURAL;
  g_spline_samples.end_flag = SPLINE_END_NATURAL;
  g_spline_samples.scale_x = 1.0;
  g_spline_samples.scale_y = 1.0;
}

void set_spline_screen_map(double view_left, double view_top, double scale_x, double scale_y) {
  g_spline_samples.view_left = view_left;
  g_spline_samples.view_top = view_top;
  g_spline_samples.scale_x = scale_x;
  g_spline_samples.scale_y = scale_y;
}

namespace {

double wrap_below_two_pi(double a) { return a >= ANGLE_TWO_PI ? a - ANGLE_TWO_PI : a; }

// Drawing direction (counter-clockwise from +X) in which the link before `node` arrives.
double arrival_direction(const LinkRecord* node) {
  const LinkRecord* before = node - 1;
  if (code_is_arc(before->code)) return arc_tangent_angle(&node->point, before);
  return point_angle(&before->point, &node->point);
}

// Drawing direction in which the link leaving `node` arrives back at node when walked
// backwards (its departure direction turned round).
double reversed_departure(const LinkRecord* node) {
  if (code_is_arc(node->code))
    return wrap_below_two_pi(arc_tangent_angle(&node->point, node) + ANGLE_PI);
  return point_angle(&next_point(node), &node->point);
}

void set_end_conditions(const LinkRecord* first, const LinkRecord* last) {
  SplineSamples& s = g_spline_samples;
  s.start_angle = 0.0;
  s.end_angle = 0.0;
  s.end_mode = SPLINE_END_NATURAL;
  s.end_flag = SPLINE_END_NATURAL;
  const bool starts_item = (first->node_flags & NODE_FIRST) != 0;
  if (starts_item && (last->node_flags & NODE_CLOSING) != 0 &&
      (first->node_flags & NODE_TANGENT) != 0) {
    s.end_mode = SPLINE_END_CLOSED;  // the whole closed item is one periodic run
    return;
  }
  if (!starts_item && (first->node_flags & NODE_TANGENT) != 0) {
    s.start_angle = arrival_direction(first);
    s.end_mode = SPLINE_END_TANGENT;
  }
  if ((last->node_flags & NODE_CLOSING) == 0 && (last->node_flags & NODE_TANGENT) != 0) {
    s.end_angle = reversed_departure(last);
    s.end_flag = SPLINE_END_TANGENT;
  }
}

}  // namespace

LinkRecord* gather_spline_run(LinkRecord* first, int* out_count, int pixels, char* out_has_z) {
  SplineSamples& s = g_spline_samples;
  LinkRecord* last = find_curve_run_end(first, LINK_SPLINE);
  if (last == first) {  // not a spline link: nothing to gather
    s.count = 0;
    *out_count = 0;
    if (out_has_z != nullptr) *out_has_z = 0;
    return first;
  }
  if (last - first + 1 > SPLINE_RUN_MAX_NODES) {
    last = first + (SPLINE_RUN_MAX_NODES - 1);
    last->node_flags = NODE_LOOSE;  // the rest of the run becomes a run of its own
  }
  const int nodes = static_cast<int>(last - first) + 1;
  set_end_conditions(first, last);
  if (!pixels) {
    // The evaluator measures its end angles clockwise; the drawing counter-clockwise.
    if (s.start_angle != 0.0) s.start_angle = ANGLE_TWO_PI - s.start_angle;
    if (s.end_angle != 0.0) s.end_angle = ANGLE_TWO_PI - s.end_angle;
  }
  // In pixel mode the flipped y axis turns the drawing's angles clockwise by itself.
  char has_z = 0;
  int kept = 0;
  for (int i = 0; i < nodes; ++i) {
    const LinkRecord* node = first + i;
    double x = node->point.x;
    double y = node->point.y;
    if (pixels) {
      x = (x - s.view_left) * s.scale_x;
      y = (s.view_top - y) * s.scale_y;
    }
    if (kept > 0 && std::hypot(x - s.x[kept - 1], y - s.y[kept - 1]) < 1e-7) continue;
    s.x[kept] = x;
    s.y[kept] = y;
    s.z[kept] = pixels ? 0.0 : node->z;
    if (!pixels && node->z != 0.0f) has_z = 1;
    ++kept;
  }
  if (kept == 3 && std::hypot(s.x[2] - s.x[0], s.y[2] - s.y[0]) < 1e-7) kept = 2;
  s.count = kept;
  *out_count = kept;
  if (out_has_z != nullptr) *out_has_z = pixels ? 0 : has_z;
  return last - 1;
}
