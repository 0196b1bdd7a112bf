// Item-wide operations the commands and the offset engine share: moving an item, placing a
// regular polygon's nodes, bringing angles into range, offsetting one link, and turning
// spline runs into straight links.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>

#include "geometry/drawing_item.h"
#include "geometry/geometry_settings.h"
#include "geometry/item_edit_state.h"
#include "geometry/spline_run.h"
#include "store/line_list.h"

namespace {

bool moves_centre(const DrawingItem* item, float code) {
  const uint8_t type = item_type(item);
  if (type == ITEM_POLYGON || type == ITEM_ELLIPSE || type == ITEM_TEXT_LIKE) return true;
  // Ellipse links carry their centre like arcs; leaving it behind would distort them.
  return code_is_arc(code) || code == LINK_QUADRATIC || code == LINK_ELLIPSE;
}

// Puts an arc's node and next node on the new radius at its old angles.
void offset_arc_ends(LinkRecord* out, float radius) {
  PointF& next = out[1].point;
  const double s = out->start_angle;
  const double e = s + out->sweep;
  const bool clockwise = (out->link_flags & LINK_CLOCKWISE) != 0;
  if (out->sweep >= 0.0f) {
    polar_point(&out->centre, radius, clockwise ? e : s, &out->point);
    polar_point(&out->centre, radius, clockwise ? s : e, &next);
    out->code = radius;
    arc_angles_from_points(out);
    return;
  }
  if (out->sweep == SWEEP_RADIUS_CIRCLE) {
    polar_point(&out->centre, radius, s, &next);
  } else if (out->sweep == SWEEP_DIAMETER_CIRCLE) {
    polar_point(&out->centre, radius, s, &out->point);
    polar_point(&out->centre, radius, std::fmod(s + ANGLE_PI, ANGLE_TWO_PI), &next);
  } else if (out->sweep == SWEEP_CENTRE_CIRCLE) {
    polar_point(&out->centre, radius, s, &out->point);
    next = out->point;
  }
  out->code = radius;
}

// Moves both ends of a straight link along its right-hand normal; 2 for a zero-length link.
int offset_straight(LinkRecord* out, float distance) {
  PointF& next = out[1].point;
  PointF direction;
  vec_sub(&next, &out->point, &direction);
  if (direction.x == 0.0f && direction.y == 0.0f) return OFFSET_LINK_ZERO_LENGTH;
  PointF unit;
  if (normalize_vector(&direction, &unit) == 0) return OFFSET_LINK_ZERO_LENGTH;
  offset_along_normal(&out->point, &unit, distance, &out->point);
  offset_along_normal(&next, &unit, distance, &next);
  return 0;
}

// Moves p away from the centre by distance along its own direction from the centre.
void push_from_centre(PointF* p, const PointF& centre, float distance) {
  PointF direction;
  PointF unit;
  vec_sub(p, &centre, &direction);
  if (normalize_vector(&direction, &unit) == 0) return;  // on the centre: no direction
  vec_add_scaled(p, &unit, distance, p);
}

int highest_node_number(const DrawingItem* item) {
  const LinkRecord* nodes = item_nodes(item);
  int highest = 0;
  for (int32_t i = 0; i <= item_link_count(item); ++i)
    highest = std::max(highest, static_cast<int>(nodes[i].node_number));
  return highest;
}

// A tangent (or further-kind) node becomes loose, its other bits kept.
void loosen(LinkRecord* r) {
  if ((r->node_flags & NODE_TANGENT_MASK) == 0) return;
  r->node_flags = static_cast<uint8_t>((r->node_flags & ~NODE_TANGENT_MASK) | NODE_LOOSE);
}

// Flexible lines through the run's own nodes, when its curve cannot be sampled.
int32_t straighten_run(DrawingItem* item, int32_t i, int32_t last_node) {
  LinkRecord* nodes = item_nodes(item);
  for (int32_t j = i; j < last_node; ++j) {
    nodes[j].code = LINK_FLEXIBLE_LINE;
    if (j > i) nodes[j].node_flags = NODE_LOOSE;
    link_bounding_box(nodes + j);
  }
  loosen(nodes + i);
  return last_node;
}

// Moves the records from `from` (closing record included) so that `from` lands at `to`,
// resizing the block; false when memory runs out (item unchanged).
bool move_tail(DrawingItem* item, int32_t from, int32_t to) {
  const int32_t n = item_link_count(item);
  const int32_t new_n = n + (to - from);
  const size_t tail_records = static_cast<size_t>(n - from) + 1;
  if (to > from) {
    try {
      item->extra.resize(block_alloc_size(item_block(item)->cam_kind, new_n), 0);
    } catch (const std::bad_alloc&) {
      return false;
    }
  }
  LinkRecord* nodes = item_nodes(item);
  std::memmove(static_cast<void*>(nodes + to), nodes + from, LINK_RECORD_SIZE * tail_records);
  if (to < from) item->extra.resize(block_alloc_size(item_block(item)->cam_kind, new_n));
  item_block(item)->link_count = new_n;
  return true;
}

// Replaces the spline run starting at record i by flexible lines through its sampled
// curve; returns the index of the record holding the run's last point.
int32_t flatten_spline_run(DrawingItem* item, int32_t i) {
  double* xs = g_spline_samples.curve_x;
  double* ys = g_spline_samples.curve_y;
  double* zs = g_spline_samples.curve_z;
  LinkRecord* nodes = item_nodes(item);
  int count = 0;
  char has_z = 0;
  const LinkRecord* last_link = gather_spline_run(nodes + i, &count, 0, &has_z);
  const int32_t last_node = static_cast<int32_t>(last_link - nodes) + 1;
  if (count < 3) {
    nodes[i].code = LINK_FLEXIBLE_LINE;
    loosen(nodes + i);
    return i;
  }
  const SplineSamples& s = g_spline_samples;
  const double tolerance = g_geometry_settings.tolerance;
  const int m = has_z ? spline_through_points_3d(s.x, s.y, s.z, count, s.start_angle,
                                                 s.end_angle, s.end_mode, s.end_flag,
                                                 tolerance, xs, ys, zs)
                      : spline_through_points(s.x, s.y, count, s.start_angle, s.end_angle,
                                              s.end_mode, s.end_flag, tolerance, xs, ys);
  if (m <= 2 || !move_tail(item, last_node, i + m - 1)) return straighten_run(item, i, last_node);
  nodes = item_nodes(item);
  int next_number = highest_node_number(item) + 1;
  const float first_z = nodes[i].z;
  for (int j = 0; j < m; ++j) {
    LinkRecord* r = nodes + i + j;
    if (j > 0 && j < m - 1) {
      *r = LinkRecord{};
      r->node_flags = NODE_LOOSE;
      r->node_number = static_cast<int16_t>(next_number++);
      r->z = has_z ? static_cast<float>(zs[j]) : first_z;
    }
    r->point = PointF{static_cast<float>(xs[j]), static_cast<float>(ys[j])};
    if (j == m - 1) break;
    r->code = LINK_FLEXIBLE_LINE;
    r->sweep = 0.0f;
    r->start_angle = 0.0f;
  }
  loosen(nodes + i);
  for (int j = 0; j < m - 1; ++j) link_bounding_box(nodes + i + j);
  return i + m - 1;
}

}  // namespace

void translate_item(DrawingItem* item, const PointF* v) {
  LinkRecord* r = item_nodes(item);
  if (r == nullptr) return;
  LinkRecord* closing = r + item_link_count(item);
  vec_add_assign(&r->point, v);
  for (; r < closing; ++r) {
    if (moves_centre(item, r->code)) vec_add_assign(&r->centre, v);
    vec_add_assign(&r->box_min, v);
    vec_add_assign(&r->box_max, v);
    vec_add_assign(&r[1].point, v);
  }
}

void translate_item_chain(DrawingItem* item, const PointF* v) {
  for (; item != nullptr; item = item->next) translate_item(item, v);
}

void build_rectangle_links(DrawingItem* item, const PointF* corner, float height, float width) {
  if (item_link_count(item) != 4) return;
  LinkRecord* r = item_nodes(item);
  const PointF c = *corner;
  const PointF nodes[5] = {
      c, {c.x + width, c.y}, {c.x + width, c.y - height}, {c.x, c.y - height}, c};
  for (int i = 0; i < 5; ++i) {
    r[i].point = nodes[i];
    r[i].node_number = ++g_item_edit.node_counter;
    if (i == 4) break;
    r[i].node_flags = i == 0 ? NODE_FIRST | NODE_LOOSE : NODE_LOOSE;
    r[i].code = i % 2 == 0 ? LINK_FLEXIBLE_LINE : LINK_RIGID_LINE;
  }
  r[4].node_flags = NODE_CLOSING;
}

LinkRecord* place_polygon_nodes(LinkRecord* first, LinkRecord* centre_record, float radius,
                                double start_angle, int node_count) {
  if (node_count <= 0) return first;
  const double r = std::max(radius, 0.00001f);
  double step = static_cast<double>(ANGLE_TWO_PI_F) / node_count;
  if ((centre_record->link_flags & LINK_CLOCKWISE) != 0) step = -step;
  double angle = start_angle;
  LinkRecord* record = first;
  LinkRecord* placed = first;
  do {
    polar_point(&centre_record->centre, r, angle, &record->point);
    placed = record;
    if ((record->node_flags & NODE_CLOSING) != 0) {
      // The closing record and the first record share one point.
      if (centre_record == first) record->point = first->point;
      record = centre_record;
    } else {
      angle += step;
      ++record;
    }
  } while (record != first);
  return placed;
}

double normalize_angle(double angle) {
  // Whole turns first: an angle more than a turn below zero (-7) lands in the circle too.
  angle = std::fmod(angle, ANGLE_TWO_PI);
  if (angle < 0.0) angle += ANGLE_TWO_PI;  // just below zero stays just below a turn
  else if (angle > ANGLE_TWO_PI - 0.0001) angle -= ANGLE_TWO_PI;
  return angle < 0.0001 ? 0.0 : angle;
}

int offset_link(const LinkRecord* source, float distance, LinkRecord* out) {
  const LinkRecord record = source[0];
  const PointF next = source[1].point;
  out[0] = record;
  out[1].point = next;
  const float code = record.code;
  int result = OFFSET_LINK_DONE;
  if (code_is_arc(code)) {
    const float signed_distance = (record.link_flags & LINK_CLOCKWISE) != 0 ? -distance : distance;
    const float radius = code + signed_distance;
    if (radius < 0.00001f) return OFFSET_LINK_ARC_COLLAPSED;
    offset_arc_ends(out, radius);
  } else if (code_is_line(code) || code == LINK_SPLINE || code == LINK_GAP) {
    result = offset_straight(out, distance);
  } else if (code == LINK_ELLIPSE) {
    push_from_centre(&out->point, out->centre, distance);
    push_from_centre(&out[1].point, out->centre, distance);
  } else {
    return OFFSET_LINK_UNHANDLED;
  }
  if (result == OFFSET_LINK_DONE) link_bounding_box(out);
  return result;
}

int flatten_splines(DrawingItem* item) {
  int32_t i = 0;
  while (item_block(item) != nullptr && i < item_link_count(item)) {
    if (item_nodes(item)[i].code != LINK_SPLINE) {
      ++i;
      continue;
    }
    i = flatten_spline_run(item, i);
  }
  return 0;
}
