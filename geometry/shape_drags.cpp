#include "geometry/shape_drags.h"

#include <cmath>
#include <cstring>

#include "geometry/construct.h"
#include "geometry/geometry2d.h"
#include "geometry/item_shapes.h"
#include "geometry/link_moves.h"
#include "geometry/rounded_rect_frame.h"
#include "store/line_list.h"

namespace {

double distance(const PointF& a, const PointF& b) {
  return std::hypot(static_cast<double>(a.x) - b.x, static_cast<double>(a.y) - b.y);
}

// The foot of p on the infinite line through a and b (a itself when they coincide).
PointF foot_on_line(const PointF& a, const PointF& b, const PointF& p) {
  const double dx = static_cast<double>(b.x) - a.x;
  const double dy = static_cast<double>(b.y) - a.y;
  const double dd = dx * dx + dy * dy;
  if (dd <= 1e-22) return a;
  const double t = ((static_cast<double>(p.x) - a.x) * dx + (static_cast<double>(p.y) - a.y) * dy) / dd;
  return {static_cast<float>(a.x + t * dx), static_cast<float>(a.y + t * dy)};
}

PointF polar(const PointF& c, double radius, double angle) {
  return {static_cast<float>(c.x + radius * std::cos(angle)),
          static_cast<float>(c.y + radius * std::sin(angle))};
}

double wrap_angle(double a) {
  while (a < 0.0) a += ANGLE_TWO_PI;
  while (a >= ANGLE_TWO_PI) a -= ANGLE_TWO_PI;
  return a;
}

LinkRecord* closing_of_point_item(LinkRecord* first) { return first + 1; }

}  // namespace

// ---- regular polygons ----

void drag_polygon_vertex(LinkRecord* current, LinkRecord* first, int n, const PointF& cursor) {
  const PointF c = first->centre;
  const PointF f = foot_on_line(c, current->point, cursor);
  place_polygon_nodes(current, first, static_cast<float>(distance(f, c)),
                      point_angle(&c, &current->point), n);
}

void drag_polygon_side(LinkRecord* current, LinkRecord* first, int n, const PointF& cursor) {
  const PointF c = first->centre;
  PointF middle{};
  link_midpoint(current, &middle);
  const PointF f = foot_on_line(c, middle, cursor);
  place_polygon_nodes(current, first, static_cast<float>(distance(f, c) / std::cos(ANGLE_PI / n)),
                      point_angle(&c, &current->point), n);
}

void drag_polygon_node(LinkRecord* current, LinkRecord* first, int n, const PointF& cursor) {
  const PointF c = first->centre;
  place_polygon_nodes(current, first, static_cast<float>(distance(cursor, c)),
                      point_angle(&c, &cursor), n);
}

void drag_polygon_link(LinkRecord* current, LinkRecord* first, int n, const PointF& cursor) {
  const PointF c = first->centre;
  place_polygon_nodes(current, first,
                      static_cast<float>(distance(cursor, c) / std::cos(ANGLE_PI / n)),
                      point_angle(&c, &cursor) - ANGLE_PI / n, n);
}

// ---- ellipses and circles ----

void drag_ellipse_node(LinkRecord* current, int selector, const PointF& cursor) {
  const PointF c = current->centre;
  if (selector == LINK_POINT_NODE) {
    current->point = cursor;
    const double length = distance(current[1].point, c);
    current[1].point = polar(c, length, wrap_angle(point_angle(&c, &cursor) - ANGLE_PI / 2));
  } else {
    current[1].point = cursor;
    const double length = distance(current->point, c);
    current->point = polar(c, length, wrap_angle(point_angle(&c, &cursor) + ANGLE_PI / 2));
  }
  link_bounding_box(current);
}

int drag_ellipse_axis_end(LinkRecord* current, int selector, const PointF& cursor) {
  PointF* end = link_point(current, selector);
  const PointF f = foot_on_line(current->centre, *end, cursor);
  if (distance(f, current->centre) < 0.00001) return -1;
  *end = f;
  link_bounding_box(current);
  return 0;
}

int drag_ellipse_axes(LinkRecord* current, const PointF& cursor) {
  const PointF c = current->centre;
  const PointF a = foot_on_line(c, current->point, cursor);
  const PointF b = foot_on_line(c, current[1].point, cursor);
  if (distance(a, c) < 0.0001 || distance(b, c) < 0.0001) return -1;
  current->point = a;
  current[1].point = b;
  link_bounding_box(current);
  return 0;
}

void turn_circle_start(LinkRecord* current, const PointF& cursor) {
  PointF foot = cursor;
  link_foot(current, &cursor, &foot);
  current->point = foot;
  current[1].point = foot;
  current->start_angle = point_angle(&current->centre, &foot);
  link_bounding_box(current);
}

// ---- point items ----

int drag_point_item(LinkRecord* first, int selector, const PointF& cursor) {
  LinkRecord* closing = closing_of_point_item(first);
  const uint8_t kind = point_array_kind(closing);
  PointF& p = first->point;
  PointF& q = closing->point;
  if (kind == POINT_ARRAY_SINGLE) {
    p = q = cursor;
    return 0;
  }
  PointF& dragged = selector == LINK_POINT_NEXT ? q : p;
  if (distance(cursor, dragged) < 0.0001) return -1;
  dragged = cursor;
  const int columns = point_array_columns(closing);
  const int rows = point_array_rows(closing);
  if (selector == LINK_POINT_NEXT) {
    if (kind == POINT_ARRAY_POLAR) {
      first->start_angle = point_angle(&p, &q);
      first->z = static_cast<float>(distance(p, q));
    } else {
      if (columns > 1) first->centre.x = (q.x - p.x) / static_cast<float>(columns - 1);
      if (rows > 1) first->centre.y = (q.y - p.y) / static_cast<float>(rows - 1);
    }
  } else if (kind == POINT_ARRAY_POLAR) {
    q = polar(p, first->z, first->start_angle);
  } else {
    q = {p.x + static_cast<float>(columns - 1) * first->centre.x,
         p.y + static_cast<float>(rows - 1) * first->centre.y};
  }
  return 0;
}

int drag_point_grid(LinkRecord* first, int selector, const PointF& cursor) {
  LinkRecord* closing = closing_of_point_item(first);
  const uint8_t kind = point_array_kind(closing);
  PointF p = first->point;
  PointF q = closing->point;
  if (kind == POINT_ARRAY_POLAR) {
    if (selector != LINK_POINT_NEXT) return -1;
    const PointF f = foot_on_line(p, q, cursor);
    const double radius = distance(p, f);
    if (radius < 0.0001) return -1;
    closing->point = f;
    first->z = static_cast<float>(radius);
    return 0;
  }
  (selector == LINK_POINT_NEXT ? q : p) = cursor;
  const float sx = first->centre.x;
  const float sy = first->centre.y;
  // A grid of k whole steps has k + 1 columns: counting the steps alone would drop a column
  // each time the far point is taken, even where it stays.
  const double columns = sx == 0.0f ? 1.0 : std::round(std::fabs((q.x - p.x) / sx)) + 1.0;
  const double rows = sy == 0.0f ? 1.0 : std::round(std::fabs((q.y - p.y) / sy)) + 1.0;
  // A count the item cannot store is refused, never wrapped into its byte.
  if (columns < 1.0 || rows < 1.0 || columns > POINT_ARRAY_MOST || rows > POINT_ARRAY_MOST)
    return -1;
  first->point = p;
  closing->point = q;
  set_point_array(closing, static_cast<uint8_t>(columns), static_cast<uint8_t>(rows), kind);
  first->centre.x = q.x < p.x ? -std::fabs(sx) : std::fabs(sx);
  first->centre.y = q.y < p.y ? -std::fabs(sy) : std::fabs(sy);
  if (selector == LINK_POINT_NEXT)
    closing->point = {p.x + static_cast<float>(columns - 1) * first->centre.x,
                      p.y + static_cast<float>(rows - 1) * first->centre.y};
  return 0;
}

int drag_point_pattern_extent(LinkRecord* first, const PointF& cursor) {
  LinkRecord* closing = closing_of_point_item(first);
  const PointF p = first->point;
  const PointF f = foot_on_line(p, closing->point, cursor);
  const double length = distance(p, f);
  if (length < 0.0001) return -1;
  closing->point = f;
  if (point_array_kind(closing) == POINT_ARRAY_POLAR) {
    first->z = static_cast<float>(length);
    return 0;
  }
  const int columns = point_array_columns(closing);
  const int rows = point_array_rows(closing);
  if (columns > 1) first->centre.x = (f.x - p.x) / static_cast<float>(columns - 1);
  if (rows > 1) first->centre.y = (f.y - p.y) / static_cast<float>(rows - 1);
  return 0;
}

// ---- slots ----

void refit_slot_arcs(LinkRecord* first) {
  LinkRecord* arc1 = &first[1];
  LinkRecord* arc2 = &first[3];
  midpoint(&arc1->point, &arc1[1].point, &arc1->centre);
  midpoint(&arc2->point, &arc2[1].point, &arc2->centre);
  const float radius = static_cast<float>(distance(arc1->point, arc1[1].point) / 2.0);
  arc1->code = radius;
  arc2->code = radius;
  refresh_arc_angles(arc1);
  refresh_arc_angles(arc2);
  double a = arc_tangent_angle(&arc1->point, arc1) - point_angle(&first->point, &first[1].point);
  if (a < 0.0) a += ANGLE_TWO_PI;
  if (a > 1.0 && a < 6.0) {
    arc1->link_flags ^= LINK_CLOCKWISE;
    arc2->link_flags ^= LINK_CLOCKWISE;
    refresh_arc_angles(arc1);
    refresh_arc_angles(arc2);
  }
  for (int i = 0; i < 4; ++i) link_bounding_box(&first[i]);
}

int drag_slot_radius(LinkRecord* current, LinkRecord* first, const PointF& cursor) {
  LinkRecord saved[5];
  std::memcpy(static_cast<void*>(saved), first, sizeof(saved));
  const float radius = static_cast<float>(distance(current->centre, cursor));
  if (radius < 0.00001f) return -1;
  current->code = radius;
  LinkRecord* other = current - first < 2 ? &first[3] : &first[1];
  other->code = radius;
  if (rebuild_slot_sides(first) != 0) {
    std::memcpy(static_cast<void*>(first), saved, sizeof(saved));
    return -1;
  }
  return 0;
}

int drag_slot_centre(LinkRecord* current, LinkRecord* first, const PointF& cursor) {
  LinkRecord saved[5];
  std::memcpy(static_cast<void*>(saved), first, sizeof(saved));
  current->centre = cursor;
  if (rebuild_slot_sides(first) != 0) {
    std::memcpy(static_cast<void*>(first), saved, sizeof(saved));
    return -1;
  }
  return 0;
}

namespace {

// The first crossing of two links taken as infinite lines (their chords).
bool chord_crossing(const PointF& a0, const PointF& a1, const PointF& b0, const PointF& b1,
                    PointF* out) {
  const double d1x = static_cast<double>(a1.x) - a0.x, d1y = static_cast<double>(a1.y) - a0.y;
  const double d2x = static_cast<double>(b1.x) - b0.x, d2y = static_cast<double>(b1.y) - b0.y;
  const double k = d1x * d2y - d1y * d2x;
  if (std::fabs(k) <= 1e-12 * (std::hypot(d1x, d1y) * std::hypot(d2x, d2y) + 1e-30)) return false;
  const double t = ((static_cast<double>(b0.x) - a0.x) * d2y - (static_cast<double>(b0.y) - a0.y) * d2x) / k;
  *out = {static_cast<float>(a0.x + t * d1x), static_cast<float>(a0.y + t * d1y)};
  return true;
}

PointF add(const PointF& a, const PointF& b) { return {a.x + b.x, a.y + b.y}; }
PointF sub(const PointF& a, const PointF& b) { return {a.x - b.x, a.y - b.y}; }

void move_slot_link(LinkRecord* first, int32_t index, const PointF& offset) {
  LinkRecord* link = first + index;
  link->point = add(link->point, offset);
  link[1].point = add(link[1].point, offset);
  if (index == 0) first[4].point = first[0].point;
  if (index == 3) first[0].point = first[4].point;
}

}  // namespace

int slide_slot_side(LinkRecord* current, LinkRecord* first, const PointF& cursor) {
  const int32_t index = static_cast<int32_t>(current - first);
  PointF offset;
  if (!code_is_arc(current->code)) {
    offset = sub(cursor, foot_on_line(current->point, current[1].point, cursor));
  } else {
    const LinkRecord* previous = index > 0 ? current - 1 : &first[3];
    const PointF f = foot_on_line(current->point, current[1].point, cursor);
    const double l = distance(previous->point, previous[1].point);
    if (l <= 1e-11) return -1;
    const PointF beyond = {
        static_cast<float>(f.x + (previous[1].point.x - previous->point.x) / l * current->code),
        static_cast<float>(f.y + (previous[1].point.y - previous->point.y) / l * current->code)};
    offset = sub(cursor, beyond);
    const PointF moved_end = add(previous[1].point, offset);
    const double turn = std::fabs(std::remainder(
        point_angle(&previous->point, &moved_end) - point_angle(&previous->point, &previous[1].point),
        ANGLE_TWO_PI));
    if (turn > 1.0) return -1;
  }
  move_slot_link(first, index, offset);
  refit_slot_arcs(first);
  return 0;
}

int drag_slot_end(LinkRecord* current, LinkRecord* first, const PointF& cursor) {
  const int32_t index = static_cast<int32_t>(current - first);
  const int32_t previous = index > 0 ? index - 1 : 3;
  const int32_t before = previous > 0 ? previous - 1 : 3;
  const int32_t next = index < 3 ? index + 1 : 0;
  const PointF offset = sub(cursor, current->point);
  const PointF prev_start = add(first[previous].point, offset);
  const PointF cur_end = add(current[1].point, offset);
  PointF new_prev_start;
  PointF new_cur_end;
  if (!chord_crossing(prev_start, cursor, first[before].point, first[before + 1].point,
                      &new_prev_start) ||
      !chord_crossing(cursor, cur_end, first[next].point, first[next + 1].point, &new_cur_end))
    return -1;
  if (distance(new_prev_start, cursor) < 0.00001 || distance(new_cur_end, cursor) < 0.00001 ||
      distance(new_cur_end, first[next + 1].point) < 0.00001)
    return -1;
  first[previous].point = new_prev_start;
  current->point = cursor;
  current[1].point = new_cur_end;
  first[4].point = first[0].point;
  if (index == 3) first[0].point = first[4].point = new_cur_end;
  if (previous == 0) first[4].point = first[0].point;
  refit_slot_arcs(first);
  return 0;
}

int drag_frame_diagonal(LinkRecord* current, LinkRecord* first, int32_t link_index,
                        PointF* cursor) {
  const LinkRecord* opposite = link_index <= 2 ? &first[link_index + 2] : &first[link_index - 2];
  const PointF f = foot_on_line(opposite->point, current->point, *cursor);
  if (distance(f, opposite->point) < 0.0001) return -1;
  *cursor = f;
  return 0;
}

void slide_rounded_rect_side(LinkRecord* first, int32_t link_index, const PointF& cursor) {
  LinkRecord* side = first + link_index;
  const PointF offset = sub(cursor, foot_on_line(side->point, side[1].point, cursor));
  LinkRecord* before = link_index > 0 ? side - 1 : &first[7];
  LinkRecord* after = link_index < 7 ? side + 1 : first;
  side->point = add(side->point, offset);
  side[1].point = add(side[1].point, offset);
  before->centre = add(before->centre, offset);
  after->centre = add(after->centre, offset);
  if (link_index == 7) first[0].point = side[1].point;
  if (link_index == 1) first[8].point = first[0].point;
  first[8].point = first[0].point;
  for (int i = 0; i < 8; ++i) {
    refresh_arc_angles(&first[i]);
    link_bounding_box(&first[i]);
  }
}

int drag_rounded_rect_corner(LinkRecord* first, int32_t link_index, const PointF& cursor) {
  // The rectangle of the four arc centres.
  LinkRecord centres[5] = {};
  for (int i = 0; i < 4; ++i) {
    centres[i].point = first[2 * i].centre;
    centres[i].node_flags = i == 0 ? static_cast<uint8_t>(NODE_FIRST | NODE_LOOSE) : NODE_LOOSE;
  }
  centres[4].point = centres[0].point;
  centres[4].node_flags = NODE_CLOSING;
  const int32_t corner = link_index / 2;
  // The extrude moves the corner and re-meets the two sides beside it.
  const int32_t previous = (corner + 3) % 4;
  const int32_t next = (corner + 1) % 4;
  const PointF offset = sub(cursor, centres[corner].point);
  PointF moved_prev{};
  PointF moved_next{};
  const PointF prev_from = centres[(previous + 3) % 4].point;
  if (!chord_crossing(prev_from, centres[previous].point, add(centres[previous].point, offset),
                      cursor, &moved_prev) ||
      !chord_crossing(cursor, add(centres[next].point, offset), centres[next].point,
                      centres[(next + 1) % 4].point, &moved_next))
    return -1;
  PointF target[4];
  for (int i = 0; i < 4; ++i) target[i] = centres[i].point;
  target[corner] = cursor;
  target[previous] = moved_prev;
  target[next] = moved_next;
  for (int i = 0; i < 4; ++i) {
    LinkRecord* arc = &first[2 * i];
    const PointF v = sub(target[i], arc->centre);
    arc->centre = target[i];
    arc->point = add(arc->point, v);
    arc[1].point = add(arc[1].point, v);
  }
  first[8].point = first[0].point;
  for (int i = 0; i < 8; ++i) {
    refresh_arc_angles(&first[i]);
    link_bounding_box(&first[i]);
  }
  return 0;
}

void bend_frame_sides(LinkRecord* first, const PointF& cursor, int32_t side) {
  LinkRecord* bent = first + side;
  LinkRecord* opposite = first + (side + 2) % 4;
  // The frame's height is the length of a side beside the bent one.
  const LinkRecord* radial = first + (side + 1) % 4;
  const double height = distance(radial->point, radial[1].point);
  if (!arc_through_three(bent, cursor) || bent->code < 0.00001f) {
    bent->code = LINK_FLEXIBLE_LINE;
    bent->sweep = 0.0f;
    link_bounding_box(bent);
    return;
  }
  const double r = bent->code;
  const bool outward = r <= distance(bent->centre, opposite->point);
  const double other_radius = outward ? r + height : r - height;
  if (other_radius < 0.0) {
    opposite->code = LINK_FLEXIBLE_LINE;
    opposite->sweep = 0.0f;
    opposite->point = bent->centre;
    opposite[1].point = bent->centre;
  } else {
    opposite->centre = bent->centre;
    opposite->code = static_cast<float>(other_radius);
    opposite->link_flags = static_cast<uint8_t>((opposite->link_flags & ~LINK_CLOCKWISE) |
                                                ((bent->link_flags & LINK_CLOCKWISE) ^ LINK_CLOCKWISE));
    const PointF start = bent->point;
    const PointF end = bent[1].point;
    link_foot(opposite, &end, &opposite->point);
    link_foot(opposite, &start, &opposite[1].point);
    opposite->start_angle = bent->start_angle;
    opposite->sweep = bent->sweep;
    arc_angles_from_points(opposite);
  }
  first[4].point = first[0].point;
  for (int i = 0; i < 4; ++i) link_bounding_box(&first[i]);
}

// ---- frames with arcs ----

namespace {

// The frame's closing record follows whichever end of the loop was written.
void close_frame(LinkRecord* first, bool closing_written) {
  if (closing_written) first[0].point = first[4].point;
  else first[4].point = first[0].point;
}

PointF on_circle_towards(const LinkRecord* arc, const PointF& towards) {
  return polar(arc->centre, arc->code, point_angle(&arc->centre, &towards));
}

}  // namespace

void slide_link_on_neighbour_arcs(LinkRecord* first, int32_t link_index, const PointF& cursor) {
  LinkRecord* current = first + link_index;
  LinkRecord* previous = link_index > 0 ? current - 1 : &first[3];
  LinkRecord* next = link_index < 3 ? current + 1 : first;
  bool closing_written = false;
  if (code_is_arc(previous->code)) {
    current->point = on_circle_towards(previous, cursor);
    closing_written = closing_written || link_index == 0;
  }
  if (code_is_arc(next->code)) {
    current[1].point = on_circle_towards(next, cursor);
    closing_written = closing_written || link_index == 3;
  }
  if (link_index == 0) first[4].point = first[0].point;
  else close_frame(first, closing_written);
  refresh_arc_angles(previous);
  refresh_arc_angles(next);
  for (int i = 0; i < 4; ++i) link_bounding_box(&first[i]);
}

void drag_frame_corner_arc(LinkRecord* first, int32_t link_index, const PointF& cursor) {
  int32_t index = link_index;
  int selector = LINK_POINT_NODE;
  if (first[index].code < 0.0f) {
    index = index > 0 ? index - 1 : 3;
    selector = LINK_POINT_NEXT;
  }
  LinkRecord* record = first + index;
  LinkRecord* facing = first + (index + 2) % 4;
  const bool closing_written = index == 3 || facing == first + 3;
  if (!code_is_arc(record->code)) {
    // A side collapsed onto the centre: the point slides along the facing arc's axis.
    PointF chord_middle{};
    midpoint(&facing->point, &facing[1].point, &chord_middle);
    const PointF p = foot_on_line(facing->centre, chord_middle, cursor);
    if (distance(p, facing->point) < 0.00001) return;
    record->point = p;
    record[1].point = p;
    facing->centre = p;
    facing->code = static_cast<float>(distance(p, facing->point));
  } else {
    const PointF c = record->centre;
    const double radius = distance(c, cursor);
    if (radius < 0.00001) return;
    double start_angle = point_angle(&c, &record->point);
    double end_angle = point_angle(&c, &record[1].point);
    if (selector == LINK_POINT_NODE) start_angle = point_angle(&c, &cursor);
    else end_angle = point_angle(&c, &cursor);
    record->code = static_cast<float>(radius);
    record->point = polar(c, radius, start_angle);
    record[1].point = polar(c, radius, end_angle);
    facing->centre = c;
    facing->point = polar(c, facing->code, end_angle);
    facing[1].point = polar(c, facing->code, start_angle);
  }
  close_frame(first, closing_written);
  refresh_arc_angles(record);
  refresh_arc_angles(facing);
  for (int i = 0; i < 4; ++i) link_bounding_box(&first[i]);
}

int shift_frame_side(LinkRecord* first, int32_t link_index, const PointF& delta) {
  if (link_index != 1 && link_index != 3) return -1;
  LinkRecord* side = first + link_index;
  LinkRecord* arc0 = first;
  LinkRecord* arc2 = first + 2;
  if (!code_is_arc(arc0->code) || !code_is_arc(arc2->code)) return -1;
  const PointF start = foot_on_line(side->point, side[1].point, add(side->point, delta));
  const PointF end = foot_on_line(side->point, side[1].point, add(side[1].point, delta));
  const double turn = std::remainder(point_angle(&arc0->centre, &start) -
                                         point_angle(&arc0->centre, &end),
                                     ANGLE_TWO_PI);
  if (std::fabs(turn) > 0.1) return -1;
  if (link_index == 1) {
    const double a = point_angle(&arc2->centre, &arc2[1].point);
    const double r2 = distance(arc2->centre, end);
    const double r0 = distance(arc0->centre, start);
    if (r0 < 0.00001 || r2 < 0.00001) return -1;
    side->point = start;
    side[1].point = end;
    arc2->code = static_cast<float>(r2);
    arc2[1].point = polar(arc2->centre, r2, a);
    arc0->code = static_cast<float>(r0);
    arc0->point = polar(arc0->centre, r0, a);
    first[4].point = first[0].point;
  } else {
    const double b = point_angle(&arc0->centre, &arc0[1].point);
    const double r0 = distance(arc0->centre, end);
    const double r2 = distance(arc2->centre, start);
    if (r0 < 0.00001 || r2 < 0.00001) return -1;
    side->point = start;
    first[0].point = end;
    first[4].point = end;
    arc0->code = static_cast<float>(r0);
    arc0[1].point = polar(arc0->centre, r0, b);
    arc2->code = static_cast<float>(r2);
    arc2->point = polar(arc2->centre, r2, b);
  }
  refresh_arc_angles(arc0);
  refresh_arc_angles(arc2);
  for (int i = 0; i < 4; ++i) link_bounding_box(&first[i]);
  return 0;
}

// ---- rounded rectangle corners ----

namespace {

// Rebuilds the rectangle about its sharp corner with a new corner radius, keeping its sizes,
// angle and kind of corner.
void rebuild_rounded_rect_radius(DrawingItem* item, float radius) {
  RoundedRectFrame frame = rounded_rect_frame(item_nodes(item));
  frame.sizes.radius = radius;
  build_rounded_rect_from_frame(item, frame);
}

// The radius of the circle that touches both square sides at a corner and passes through p:
// with a and b the distances of p from the two sides, r = a + b + sqrt(2ab) (the near arc).
// -1 when p lies outside the corner's quadrant.
double corner_radius_through(const PointF& corner, const PointF& along1, const PointF& along2,
                             const PointF& p) {
  const double l1 = distance(corner, along1);
  const double l2 = distance(corner, along2);
  if (l1 <= 1e-11 || l2 <= 1e-11) return -1.0;
  const double px = static_cast<double>(p.x) - corner.x;
  const double py = static_cast<double>(p.y) - corner.y;
  const double a = (px * (along2.x - corner.x) + py * (along2.y - corner.y)) / l2;
  const double b = (px * (along1.x - corner.x) + py * (along1.y - corner.y)) / l1;
  if (a < 0.0 || b < 0.0) return -1.0;
  return a + b + std::sqrt(2.0 * a * b);
}

}  // namespace

int drag_rounded_rect_arc(DrawingItem* item, int32_t link_index, const PointF& raw,
                          float* radius) {
  LinkRecord* r = item_nodes(item);
  if (item_link_count(item) != 8 || (link_index & 1) != 0) return -1;
  LinkRecord saved[9];
  std::memcpy(static_cast<void*>(saved), r, sizeof(saved));
  RoundedRectSizes sizes;
  rounded_rect_dimensions(r, &sizes);
  // The two sides beside the corner arc, met at their sharp corner.
  const LinkRecord* before = link_index > 0 ? &r[link_index - 1] : &r[7];
  const LinkRecord* after = &r[link_index + 1];
  PointF corner{};
  if (!chord_crossing(before->point, before[1].point, after->point, after[1].point, &corner))
    return -1;
  const double through = corner_radius_through(corner, before->point, after[1].point, raw);
  if (through < 0.0) return -1;
  // Past the largest radius: build_rounded_rect limits it to the shorter side.
  const float wanted = through > 0.0 ? static_cast<float>(through) : 0.00001f;
  rebuild_rounded_rect_radius(item, wanted);
  r = item_nodes(item);
  if (link_index == 0) {
    RoundedRectSizes after_sizes;
    rounded_rect_dimensions(r, &after_sizes);
    if (std::fabs(std::remainder(static_cast<double>(after_sizes.angle) - sizes.angle,
                                 ANGLE_TWO_PI)) > 0.01) {
      std::memcpy(static_cast<void*>(r), saved, sizeof(saved));
      rebuild_rounded_rect_radius(item, 0.00001f);
    }
  }
  *radius = item_nodes(item)[link_index].code;
  return 0;
}

int refillet_rounded_rect(DrawingItem* item, float radius) {
  if (item_link_count(item) != 8 || !(radius > 0.0f)) return -1;
  rebuild_rounded_rect_radius(item, radius);
  return 0;
}
