// Pick tests of a point against one link: its nodes and centre, a line or arc, an ellipse,
// and a spline run. Tolerances are in world units.
#include <cmath>

#include "geometry/geometry2d.h"
#include "geometry/geometry2d_internal.h"
#include "geometry/geometry_settings.h"
#include "geometry/node_surgery.h"
#include "geometry/spline.h"
#include "geometry/spline_run.h"

// Sampling tolerance of a spline run drawn as straight segments through its nodes.
static constexpr double SPLINE_STRAIGHT_VIEW_TOLERANCE = 10.0;

static double distance_d(const PointF* a, const PointF* b) {
  const double dx = static_cast<double>(a->x) - b->x;
  const double dy = static_cast<double>(a->y) - b->y;
  return std::sqrt(dx * dx + dy * dy);
}

int hit_test_link_points(const PointF* p, const LinkRecord* record, float tolerance) {
  if (distance_d(p, &record->point) - tolerance <= 0.0001) return PICK_POINT_NODE;
  if (distance_d(p, &next_point(record)) - tolerance <= 0.0001) return PICK_POINT_NEXT;
  if (code_is_arc(record->code) && distance_d(p, &record->centre) <= tolerance) {
    return PICK_POINT_CENTRE;
  }
  return PICK_NOTHING;
}

int hit_test_link_points_quick(const PointF* p, const LinkRecord* record, float tolerance) {
  if (distance_d(p, &record->point) <= tolerance) return PICK_POINT_NODE;
  if (distance_d(p, &next_point(record)) <= tolerance) return PICK_POINT_NEXT;
  if (distance_d(p, &record->centre) <= tolerance) return PICK_POINT_CENTRE;
  return PICK_NOTHING;
}

// The direction from the centre to p lies within the arc's counter-clockwise extent.
static bool angle_within_arc(const LinkRecord* arc, const PointF* p) {
  const double angle = point_angle(&arc->centre, p);
  const double start = arc->start_angle;
  const double end = static_cast<float>(arc->start_angle + arc->sweep);
  if (end <= ANGLE_TWO_PI_F) return start <= angle && angle <= end;
  return angle >= start || angle + ANGLE_TWO_PI <= end;
}

// The segment from node to next node, measured across the axis of its larger extent.
static bool near_segment(const LinkRecord* link, const PointF* p, double band) {
  const PointD node = to_point_d(link->point);
  const PointD v = {static_cast<double>(next_point(link).x) - node.x,
                    static_cast<double>(next_point(link).y) - node.y};
  if (std::fabs(v.y) < std::fabs(v.x)) {
    const double t = (p->x - node.x) / v.x;
    return t >= 0.0 && t <= 1.0 && std::fabs(p->y - node.y - t * v.y) <= band;
  }
  if (std::fabs(v.y) <= 1e-11) return false;
  const double t = (p->y - node.y) / v.y;
  return t >= 0.0 && t <= 1.0 && std::fabs(p->x - node.x - t * v.x) <= band;
}

int hit_test_link(const PointF* p, const LinkRecord* record, float tolerance) {
  const double d1 = distance_d(p, &record->point);
  const double d2 = distance_d(p, &next_point(record));
  if (d1 <= tolerance && d2 > tolerance) return PICK_START_NODE;
  if (d2 <= tolerance) return PICK_END_NODE;
  const bool arc = code_is_arc(record->code);
  if (arc && distance_d(p, &record->centre) <= tolerance) return PICK_CENTRE;
  const double band = tolerance / 2.0;
  bool hit = false;
  if (arc) {
    const double r = record->code;
    // Huge arcs get a band a little wider than the tolerance: their floats are coarser.
    if (std::fabs(r - distance_d(p, &record->centre)) > band + r * 1e-6) return PICK_NOTHING;
    if (record->sweep < 0.0f) return PICK_ON_LINK_NEAR_START;  // a whole circle
    hit = angle_within_arc(record, p);
  } else if (record->code == LINK_QUADRATIC) {
    return distance_d(p, &record->centre) <= band ? PICK_ON_LINK_NEAR_START : PICK_NOTHING;
  } else {
    hit = near_segment(record, p, band);
  }
  if (!hit) return PICK_NOTHING;
  return d1 <= d2 ? PICK_ON_LINK_NEAR_START : PICK_ON_LINK_NEAR_END;
}

int hit_test_ellipse(const PointF* p, const LinkRecord* record, float tolerance) {
  const PointF& c = record->centre;
  const double d1 = distance_d(p, &record->point);
  const double d2 = distance_d(p, &next_point(record));
  if (d1 <= tolerance) return PICK_START_NODE;
  if (d2 <= tolerance) return PICK_END_NODE;
  if (distance_d(p, &c) <= tolerance) return PICK_CENTRE;
  const double a = distance_d(&c, &record->point);
  const double b = distance_d(&c, &next_point(record));
  if (a < 1e-9 || b < 1e-9) return PICK_NOTHING;
  // Turn the ellipse so that its next node lies on +X, then squash it into a circle of radius a.
  const double turn = ANGLE_TWO_PI - point_angle(&c, &next_point(record));
  const double ox = static_cast<double>(p->x) - c.x;
  const double oy = static_cast<double>(p->y) - c.y;
  const double x = (ox * std::cos(turn) - oy * std::sin(turn)) / (b / a);
  const double y = ox * std::sin(turn) + oy * std::cos(turn);
  if (std::fabs(std::sqrt(x * x + y * y) - a) > tolerance / 2.0) return PICK_NOTHING;
  return d1 >= d2 ? PICK_ON_LINK_NEAR_END : PICK_ON_LINK_NEAR_START;
}

LinkRecord* hit_test_spline_run(int* out_index, int* out_kind, const PointF* p,
                                LinkRecord* record, float tolerance, int first_index) {
  LinkRecord* start = find_curve_run_start(record, LINK_SPLINE);
  int count = 0;
  LinkRecord* last = gather_spline_run(start, &count, 0, nullptr);
  const SplineSamples& run = g_spline_samples;
  int index = -1;
  int kind = PICK_NOTHING;
  for (int i = first_index < 0 ? 0 : first_index; i < count; ++i) {
    const double dx = run.x[i] - p->x;
    const double dy = run.y[i] - p->y;
    if (std::sqrt(dx * dx + dy * dy) <= tolerance) {
      index = i;
      kind = PICK_START_NODE;
      break;
    }
  }
  if (index < 0 && count > 1) {
    const GeometrySettings& settings = g_geometry_settings;
    const double sampling =
        settings.spline_curve_view != 0 ? settings.tolerance : SPLINE_STRAIGHT_VIEW_TOLERANCE;
    const int segment = nearest_spline_segment(run.x, run.y, count, run.start_angle,
                                               run.end_angle, run.end_mode, run.end_flag,
                                               tolerance / 2.0, sampling, p->x, p->y);
    if (segment >= 0) {
      index = segment;
      kind = PICK_ON_LINK_NEAR_START;
    }
  }
  *out_index = index;
  *out_kind = kind;
  if (index < 0) return last;
  // The run's last node or segment is reported from the link before it.
  if (count > 1 && index + 1 == count) {
    *out_index = index - 1;
    *out_kind = kind == PICK_START_NODE ? PICK_END_NODE : PICK_ON_LINK_NEAR_END;
  }
  return start + *out_index;
}
