// Link boxes, arc angles and re-derivation, zero-length links, extents and centring.
#include <algorithm>
#include <cmath>

#include "geometry/drawing_item.h"
#include "geometry/geometry2d.h"
#include "geometry/geometry_host.h"
#include "geometry/geometry_settings.h"
#include "geometry/layers.h"
#include "geometry/node_surgery.h"
#include "geometry/spline_run.h"
#include "store/line_list.h"

namespace {

// The quadrant boundaries an arc can pass, with the circle's extreme point at each:
// 0 top, 1 left, 2 bottom, 3 right.
constexpr float ARC_BOUNDARIES[7] = {1.5707964f, 3.1415927f, 4.712389f, 6.2831855f,
                                     7.8539815f, 9.424778f, 10.995574f};

void box_from_points(LinkRecord* r, const PointF& a, const PointF& b) {
  r->box_min = PointF{std::min(a.x, b.x), std::min(a.y, b.y)};
  r->box_max = PointF{std::max(a.x, b.x), std::max(a.y, b.y)};
}

void ellipse_box(LinkRecord* r, double a, double b) {
  r->box_min = PointF{1e12f, 1e12f};
  r->box_max = PointF{-1e12f, -1e12f};
  const double theta = point_angle(&r->centre, &next_point(r));
  const double d = std::sqrt(a * a + b * b);
  const double phi = std::atan(a / b);
  // The corners of the rectangle that circumscribes the ellipse along its axes.
  const double directions[4] = {theta + phi, theta + phi + ANGLE_PI,
                                theta + ANGLE_TWO_PI - phi, theta + ANGLE_TWO_PI - phi + ANGLE_PI};
  for (double direction : directions) {
    if (direction > ANGLE_TWO_PI) direction -= ANGLE_TWO_PI;
    PointF corner;
    polar_point(&r->centre, d, direction, &corner);
    box_add_point(r, &corner);
  }
}

void arc_box(LinkRecord* r) {
  const float radius = r->code;
  const PointF c = r->centre;
  const PointF extremes[4] = {{c.x, c.y + radius}, {c.x - radius, c.y},
                              {c.x, c.y - radius}, {c.x + radius, c.y}};
  if (r->sweep < 0.0f) {  // a circle code: the whole circle
    r->box_min = PointF{c.x - radius, c.y - radius};
    r->box_max = PointF{c.x + radius, c.y + radius};
    return;
  }
  const float s = r->start_angle;
  const float e = s + r->sweep;
  int boundary = s < ARC_BOUNDARIES[0] ? 0 : s < ARC_BOUNDARIES[1] ? 1 : s < ARC_BOUNDARIES[2] ? 2 : 3;
  for (; boundary < 7 && e >= ARC_BOUNDARIES[boundary]; ++boundary)
    box_add_point(r, &extremes[boundary % 4]);
}

void grow_box_by_link(const LinkRecord* r, PointF* min, PointF* max) {
  min->x = std::min(min->x, r->box_min.x);
  min->y = std::min(min->y, r->box_min.y);
  max->x = std::max(max->x, r->box_max.x);
  max->y = std::max(max->y, r->box_max.y);
}

void grow_box_by_point(double x, double y, PointF* min, PointF* max) {
  min->x = std::min(min->x, static_cast<float>(x));
  min->y = std::min(min->y, static_cast<float>(y));
  max->x = std::max(max->x, static_cast<float>(x));
  max->y = std::max(max->y, static_cast<float>(y));
}

// Widens the box by the sampled curve of the spline run at r; returns the record the walk
// goes on with.
LinkRecord* grow_box_by_spline_run(LinkRecord* r, PointF* min, PointF* max) {
  double* samples_x = g_spline_samples.curve_x;
  double* samples_y = g_spline_samples.curve_y;
  int count = 0;
  LinkRecord* last_link = gather_spline_run(r, &count, 0, nullptr);
  if (count >= 3) {
    const SplineSamples& s = g_spline_samples;
    const int sampled = spline_through_points(s.x, s.y, count, s.start_angle, s.end_angle,
                                              s.end_mode, s.end_flag,
                                              g_geometry_settings.tolerance, samples_x, samples_y);
    for (int i = 0; i < sampled; ++i) grow_box_by_point(samples_x[i], samples_y[i], min, max);
    // The run's last link adds its own box on the next step.
    if (sampled > 0) return last_link;
  }
  grow_box_by_link(last_link, min, max);
  return last_link + 1;
}

void set_arc_radius_zero_guard(LinkRecord* r, bool centre_on_node) {
  if (r->code != 0.0f) return;
  // A zero radius would read as a flexible line: keep a tiny circle instead.
  r->code = 1e-7f;
  r->centre.x -= 1e-7f;
  if (centre_on_node) r->point.x -= 1e-7f;
}

// The circle codes: full circles re-derived from the nodes.
void rederive_circle_code(LinkRecord* r) {
  PointF& next = r[1].point;
  if (r->sweep == SWEEP_CENTRE_CIRCLE) {
    next = r->point;
    r->code = point_distance(&r->centre, &next);
    r->start_angle = point_angle(&r->centre, &next);
    set_arc_radius_zero_guard(r, false);
  } else if (r->sweep == SWEEP_RADIUS_CIRCLE) {
    r->centre = r->point;
    r->code = point_distance(&r->centre, &next);
    r->start_angle = point_angle(&r->centre, &next);
    set_arc_radius_zero_guard(r, true);
  } else if (r->sweep == SWEEP_DIAMETER_CIRCLE) {
    midpoint(&r->point, &next, &r->centre);
    r->code = point_distance(&r->centre, &r->point);
    r->start_angle = point_angle(&r->centre, &r->point);
  }
}

// A sweep within 0.001 of a full turn whose chord has almost no sine left.
void rederive_full_circle(LinkRecord* r, double chord) {
  PointF& next = r[1].point;
  if (chord < 0.0001) {
    next = r->point;
    r->code = point_distance(&r->centre, &r->point);
    return;
  }
  PointF middle;
  midpoint(&r->point, &next, &middle);
  double direction = point_angle(&r->point, &next);
  direction += (r->link_flags & LINK_CLOCKWISE) != 0 ? ANGLE_PI / 2 : 1.5 * ANGLE_PI;
  if (direction > ANGLE_TWO_PI) direction -= ANGLE_TWO_PI;
  polar_point(&middle, r->code, direction, &r->centre);
  r->code = point_distance(&r->centre, &r->point);
  arc_angles_from_points(r);
}

}  // namespace

// ---- boxes ----

void box_add_point(LinkRecord* r, const PointF* p) {
  r->box_min.x = std::min(r->box_min.x, p->x);
  r->box_min.y = std::min(r->box_min.y, p->y);
  r->box_max.x = std::max(r->box_max.x, p->x);
  r->box_max.y = std::max(r->box_max.y, p->y);
}

void link_bounding_box(LinkRecord* r) {
  const PointF& next = next_point(r);
  if (r->code == LINK_ELLIPSE) {
    const double a = point_distance(&r->centre, &r->point);
    const double b = point_distance(&r->centre, &next);
    if (b > 1e-9) {
      ellipse_box(r, a, b);
      return;
    }
  }
  box_from_points(r, r->point, next);
  if (code_is_arc(r->code)) arc_box(r);
}

LinkRecord* item_bounding_boxes(DrawingItem* item) {
  LinkRecord* r = item_nodes(item);
  if (r == nullptr) return nullptr;
  LinkRecord* closing = r + item_link_count(item);
  for (; r < closing; ++r) link_bounding_box(r);
  return closing;
}

// ---- arcs ----

void arc_angles_from_points(LinkRecord* r) {
  if (!code_is_arc(r->code)) return;
  const double a = point_angle(&r->centre, &r->point);
  const double b = point_angle(&r->centre, &next_point(r));
  const bool clockwise = (r->link_flags & LINK_CLOCKWISE) != 0;
  double sweep = clockwise ? a - b : b - a;
  // Coinciding ends make a full circle.
  if (sweep <= 1e-6) sweep += ANGLE_TWO_PI;
  r->start_angle = static_cast<float>(clockwise ? b : a);
  r->sweep = static_cast<float>(sweep);
}

void rederive_arc(LinkRecord* r) {
  if (!code_is_arc(r->code)) return;
  const double sweep = r->sweep;
  if (sweep < 0.0) {
    rederive_circle_code(r);
    return;
  }
  PointF& next = r[1].point;
  const double chord = point_distance(&r->point, &next);
  if (std::fabs(sweep - ANGLE_PI) <= 0.00001) {  // a half circle: centre on the chord
    midpoint(&r->point, &next, &r->centre);
    r->code = static_cast<float>(chord / 2.0);
    arc_angles_from_points(r);
    return;
  }
  const double s = std::sin(sweep / 2.0);
  double radius = r->code;
  if (std::fabs(s) >= 0.0001) {
    radius = std::fabs(chord / 2.0 / s);
  } else if (std::fabs(sweep - ANGLE_TWO_PI) <= 0.001) {
    rederive_full_circle(r, chord);
    return;
  } else {
    radius = std::min(radius, 9000000.0);  // nearly straight: keep the radius, bounded
  }
  const PointF present_centre = r->centre;
  r->code = static_cast<float>(radius);
  if (fit_arc_centre(r, &present_centre, FIT_CENTRE_NEAR_POINT) == 0) {
    midpoint(&r->point, &next, &r->centre);
    r->code = static_cast<float>(chord / 2.0);
  }
}

// ---- zero-length links ----

int remove_zero_length_links(DrawingItem* item) {
  int32_t i = 0;
  while (i < item_link_count(item)) {
    LinkRecord* r = item_nodes(item) + i;
    const bool zero_line = code_is_line(r->code) && r->z == r[1].z &&
                           point_distance(&r->point, &r[1].point) < 0.00001f;
    if (!zero_line) {
      ++i;
      continue;
    }
    const int32_t before = item_link_count(item);
    if (before <= 1) return 0;
    delete_node(item, r, DELETE_NODE_REMOVE);
    if (item_link_count(item) >= before) ++i;  // nothing was removed: do not test it again
  }
  return item_link_count(item);
}

// ---- extents ----

void item_extents(DrawingItem* item, PointF* out_min, PointF* out_max) {
  *out_min = PointF{1e38f, 1e38f};
  *out_max = PointF{-1e38f, -1e38f};
  grow_box_by_item(item, out_min, out_max);
}

void grow_box_by_item(DrawingItem* item, PointF* min, PointF* max) {
  LinkRecord* r = item_nodes(item);
  if (r == nullptr) return;
  LinkRecord* closing = r + item_link_count(item);
  while (r < closing) {
    if (r->code == LINK_SPLINE) {
      r = grow_box_by_spline_run(r, min, max);
      continue;
    }
    grow_box_by_link(r, min, max);
    ++r;
  }
}

void working_items_extents(PointF* out_min, PointF* out_max) {
  *out_min = PointF{1e38f, 1e38f};
  *out_max = PointF{-1e38f, -1e38f};
  for (TextLine* item = g_lists.current.first; item != nullptr; item = item->next)
    if ((item->state & ITEM_FLAG_WORKING) != 0) grow_box_by_item(item, out_min, out_max);
}

// ---- centring ----

void centre_drawing(int flags) {
  PointF lo = {0.0f, 0.0f};
  PointF hi = {0.0f, 0.0f};
  if (g_geometry_host.shown_items_extents != nullptr) g_geometry_host.shown_items_extents(&lo, &hi);
  const float* box = g_geometry_settings.material_box;
  PointF move = {0.0f, 0.0f};
  if ((flags & CENTRE_IN_X) != 0)
    move.x = static_cast<float>((box[2] - (hi.x - lo.x)) * 0.5 + box[0] - lo.x);
  if ((flags & CENTRE_IN_Y) != 0)
    move.y = static_cast<float>((box[3] - (hi.y - lo.y)) * 0.5 + box[1] - lo.y);
  for (TextLine* item = g_lists.current.first; item != nullptr; item = item->next) {
    if (item->state == 0 || item->kind == 0 || item_block(item) == nullptr) continue;
    const bool shown = g_layers.visibility[item_layer(item)] != 0;
    if (!shown && (flags & CENTRE_HIDDEN_LAYERS) == 0) continue;
    translate_item(item, &move);
    const bool text = item->kind == ITEM_TEXT_LIKE || item->kind == ITEM_TEXT;
    if (text && g_geometry_host.layout_text != nullptr) g_geometry_host.layout_text(item);
  }
  // The stored extents travel with the items, so they still hold them and a second call
  // finds the drawing already centred.
  if (g_geometry_host.move_view_extents != nullptr) g_geometry_host.move_view_extents(move);
  mark_job_changed();
}
