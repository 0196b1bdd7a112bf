#include "geometry/link_moves.h"

#include <cmath>
#include <cstring>

#include "geometry/construct.h"
#include "geometry/geometry2d.h"
#include "store/line_list.h"

namespace {

// A link and the record of its end, copied so that it can be moved and intersected on its own.
struct LinkCopy {
  LinkRecord r[2];
};

LinkCopy copy_link(const LinkRecord* link) {
  LinkCopy c;
  c.r[0] = link[0];
  c.r[1] = link[1];
  return c;
}

double distance(const PointF& a, const PointF& b) {
  return std::hypot(static_cast<double>(a.x) - b.x, static_cast<double>(a.y) - b.y);
}

PointF plus(const PointF& p, const PointF& v) { return {p.x + v.x, p.y + v.y}; }
PointF minus(const PointF& a, const PointF& b) { return {a.x - b.x, a.y - b.y}; }

PointF foot_on(const LinkRecord* link, const PointF& p) {
  PointF out = p;
  link_foot(link, &p, &out);
  return out;
}

// Moves the copy's point at the selector to the cursor: a straight link moves its other point by
// the same offset, an arc keeps its centre and takes the radius through the cursor.
void move_copy_end(LinkCopy* c, int selector, const PointF& cursor) {
  PointF* moving = selector == LINK_POINT_NODE ? &c->r[0].point : &c->r[1].point;
  PointF* other = selector == LINK_POINT_NODE ? &c->r[1].point : &c->r[0].point;
  if (code_is_arc(c->r[0].code)) {
    c->r[0].code = static_cast<float>(distance(c->r[0].centre, cursor));
  } else {
    const PointF offset = minus(cursor, *moving);
    *other = plus(*other, offset);
  }
  *moving = cursor;
}

// The arc's radius from its centre to its node, then its angles.
void arc_radius_to_node(LinkRecord* link) {
  if (!code_is_arc(link->code)) return;
  link->code = static_cast<float>(distance(link->centre, link->point));
  refresh_arc_angles(link);
}

struct Neighbours {
  int32_t previous = -1;
  int32_t before_previous = -1;
  int32_t next = -1;
};

Neighbours neighbours_of(int32_t index, int32_t count, bool closed) {
  Neighbours n;
  if (index > 0) n.previous = index - 1;
  else if (closed) n.previous = count - 1;
  if (n.previous > 0) n.before_previous = n.previous - 1;
  else if (n.previous == 0 && closed && count > 2) n.before_previous = count - 1;
  if (n.before_previous == index) n.before_previous = -1;
  if (index + 1 < count) n.next = index + 1;
  else if (closed && count > 1) n.next = 0;
  if (n.next == index) n.next = -1;
  if (n.previous == index) n.previous = -1;
  return n;
}

bool closed_item(const DrawingItem* item) {
  return (item_nodes(item)[0].node_flags & NODE_KIND_MASK) != 0;
}

}  // namespace

// The first crossing wins unless the second is strictly nearer.
bool nearer_crossing(const LinkRecord* a, const LinkRecord* b, const PointF& ref,
                     PointF* out) {
  const int found = intersect_links(a, b);
  if (found <= 0) return false;
  const IntersectionResult& result = g_geometry2d.intersection;
  *out = result.first;
  if (found >= 2 && distance(result.second, ref) < distance(result.first, ref))
    *out = result.second;
  return true;
}

bool arc_through_three(LinkRecord* link, const PointF& through) {
  LinkRecord circle = *link;
  if (circle_through3_points(&link->point, &through, &link[1].point, &circle) == CIRCLE3_FAILED)
    return false;
  link->centre = circle.centre;
  link->code = circle.code;
  link->link_flags = static_cast<uint8_t>((link->link_flags & ~LINK_CLOCKWISE) |
                                          (circle.link_flags & LINK_CLOCKWISE));
  link->sweep = 0.0f;
  arc_angles_from_points(link);
  return true;
}

PointF* link_point(LinkRecord* link, int selector) {
  return selector == LINK_POINT_NEXT ? &link[1].point : &link->point;
}

void refresh_arc_angles(LinkRecord* link) {
  if (code_is_arc(link->code) && link->sweep >= 0.0f) arc_angles_from_points(link);
}

void set_item_node(DrawingItem* item, int32_t index, const PointF& p) {
  LinkRecord* r = item_nodes(item);
  const int32_t count = item_link_count(item);
  r[index].point = p;
  if (!closed_item(item)) return;
  if (index == 0) r[count].point = p;
  if (index == count) r[0].point = p;
}

int slide_link_between_neighbours(DrawingItem* item, LinkRecord* link, int32_t link_count,
                                  int radius_flag, const PointF& cursor) {
  LinkRecord* r = item_nodes(item);
  const int32_t index = static_cast<int32_t>(link - r);
  const Neighbours n = neighbours_of(index, link_count, closed_item(item));
  LinkRecord* previous = n.previous >= 0 ? &r[n.previous] : nullptr;
  LinkRecord* next = n.next >= 0 ? &r[n.next] : nullptr;
  LinkCopy c = copy_link(link);
  const bool arc = code_is_arc(link->code);
  if (arc) {
    if (radius_flag != 0) c.r[0].code = static_cast<float>(distance(c.r[0].centre, cursor));
  } else {
    const PointF offset = minus(cursor, c.r[0].point);
    c.r[0].point = cursor;
    c.r[1].point = plus(c.r[1].point, offset);
  }
  PointF start;
  if (previous == nullptr) {
    start = foot_on(c.r, link->point);
  } else if (!nearer_crossing(c.r, previous, previous[1].point, &start)) {
    if (code_is_arc(previous->code)) return -1;
    if (arc && link_length(previous) >= 0.01f) return -1;
    start = foot_on(c.r, link->point);
  }
  PointF end;
  if (next == nullptr) {
    end = foot_on(c.r, link[1].point);
  } else if (!nearer_crossing(c.r, next, next->point, &end)) {
    if (code_is_arc(next->code)) return -1;
    if (arc && link_length(next) > 0.01f) return -1;
    end = foot_on(c.r, link[1].point);
  }
  set_item_node(item, index, start);
  set_item_node(item, index + 1, end);
  if (next != nullptr) refresh_arc_angles(next);
  if (previous != nullptr) refresh_arc_angles(previous);
  if (arc) arc_radius_to_node(link);
  const uint8_t type = item_type(item);
  if ((type == ITEM_RECTANGLE || type == ITEM_TEXT) && index != 0) refresh_arc_angles(&r[0]);
  for (LinkRecord* b : {previous, link, next})
    if (b != nullptr) link_bounding_box(b);
  return 0;
}

int extrude_node(DrawingItem* item, LinkRecord* link, int32_t link_count, const PointF& cursor) {
  LinkRecord* r = item_nodes(item);
  const int32_t index = static_cast<int32_t>(link - r);
  const Neighbours n = neighbours_of(index, link_count, closed_item(item));
  LinkRecord* previous = n.previous >= 0 ? &r[n.previous] : nullptr;
  LinkRecord* before = n.before_previous >= 0 ? &r[n.before_previous] : nullptr;
  LinkRecord* next = n.next >= 0 ? &r[n.next] : nullptr;
  LinkCopy own = copy_link(link);
  move_copy_end(&own, LINK_POINT_NODE, cursor);
  PointF previous_start{};
  if (previous != nullptr) {
    LinkCopy p = copy_link(previous);
    move_copy_end(&p, LINK_POINT_NEXT, cursor);
    if (before != nullptr) {
      if (!nearer_crossing(before, p.r, previous->point, &previous_start)) return -1;
      if (distance(previous_start, cursor) < 0.00001) return -1;
    } else {
      previous_start = foot_on(p.r, previous->point);
    }
  }
  PointF end;
  if (next != nullptr) {
    if (!nearer_crossing(own.r, next, next->point, &end)) return -1;
    if (distance(end, next[1].point) < 0.00001 || distance(end, cursor) < 0.00001) return -1;
  } else {
    end = foot_on(own.r, link[1].point);
  }
  set_item_node(item, index, cursor);
  set_item_node(item, index + 1, end);
  if (next != nullptr) arc_radius_to_node(next);
  if (previous != nullptr) {
    set_item_node(item, n.previous, previous_start);
    arc_radius_to_node(previous);
    link_bounding_box(previous);
  }
  if (before != nullptr) {
    refresh_arc_angles(before);
    link_bounding_box(before);
  }
  arc_radius_to_node(link);
  link_bounding_box(link);
  if (next != nullptr) link_bounding_box(next);
  return 0;
}

int extrude_end_node(DrawingItem* item, LinkRecord* link, const PointF& cursor) {
  LinkRecord* r = item_nodes(item);
  const int32_t index = static_cast<int32_t>(link - r);
  LinkCopy own = copy_link(link);
  move_copy_end(&own, LINK_POINT_NEXT, cursor);
  PointF start;
  LinkRecord* previous = index > 0 ? link - 1 : nullptr;
  if (previous == nullptr) {
    start = foot_on(own.r, link->point);
  } else if (!nearer_crossing(previous, own.r, previous[1].point, &start)) {
    return -1;
  }
  set_item_node(item, index, start);
  set_item_node(item, index + 1, cursor);
  if (previous != nullptr) {
    refresh_arc_angles(previous);
    link_bounding_box(previous);
  }
  arc_radius_to_node(link);
  link_bounding_box(link);
  return 0;
}

void slide_node_on_link(DrawingItem* item, LinkRecord* link, const PointF& point, int selector) {
  LinkRecord* r = item_nodes(item);
  const int32_t count = item_link_count(item);
  const int32_t index = static_cast<int32_t>(link - r);
  const int other = selector == LINK_POINT_NODE ? LINK_POINT_NEXT : LINK_POINT_NODE;
  const PointF foot = foot_on(link, point);
  if (code_is_arc(link->code) && link->sweep < 0.0f) {
    const double a = point_angle(&link->centre, &foot) - link->start_angle;
    if (a == 0.0) return;
    link->start_angle = static_cast<float>(normalize_angle(link->start_angle + a));
    rotate_point_about(&link->point, &link->point, &link->centre, a);
    rotate_point_about(&link[1].point, &link[1].point, &link->centre, a);
  } else {
    if (distance(foot, *link_point(link, other)) < 0.00001) return;
    *link_point(link, selector) = foot;
  }
  if (closed_item(item)) {
    if (index == 0 && selector == LINK_POINT_NODE) {
      r[count].point = r[0].point;
      rederive_arc(&r[count - 1]);
      refresh_arc_angles(&r[count - 1]);
      link_bounding_box(&r[count - 1]);
    } else if (index == count - 1 && selector == LINK_POINT_NEXT) {
      r[0].point = r[count].point;
    }
  }
  refresh_arc_angles(link);
  link_bounding_box(link);
}

void slide_link_along_itself(DrawingItem* item, LinkRecord* link, const PointF& delta,
                             const PointF& raw) {
  LinkRecord* r = item_nodes(item);
  const int32_t count = item_link_count(item);
  const int32_t index = static_cast<int32_t>(link - r);
  if (code_is_arc(link->code)) {
    const PointF q = plus(raw, delta);
    const double a = point_angle(&link->centre, &q) - point_angle(&link->centre, &raw);
    rotate_point_about(&link->point, &link->point, &link->centre, a);
    rotate_point_about(&link[1].point, &link[1].point, &link->centre, a);
    double start = link->start_angle + a;
    if (start > ANGLE_TWO_PI_F) start -= ANGLE_TWO_PI;
    if (start < 0.0) start += ANGLE_TWO_PI;
    link->start_angle = static_cast<float>(start);
  } else {
    const LinkCopy line = copy_link(link);
    link->point = foot_on(line.r, plus(link->point, delta));
    link[1].point = foot_on(line.r, plus(link[1].point, delta));
  }
  if (closed_item(item)) {
    if (index == 0) r[count].point = r[0].point;
    if (index == count - 1) r[0].point = r[count].point;
  }
  link_bounding_box(link);
}

int tangent_line_end_at_arc(LinkRecord* line, LinkRecord* arc, int selector) {
  PointF* moving = link_point(line, selector);
  const PointF* other = link_point(line, selector == LINK_POINT_NODE ? LINK_POINT_NEXT
                                                                     : LINK_POINT_NODE);
  PointF first{};
  PointF second{};
  const int found = tangent_points_from_point(other, arc, &first, &second);
  if (found != TANGENT_FROM_POINT_OK) return found;
  // The line runs from its node to its end; test the first touching point with the moving end on it.
  const PointF start = selector == LINK_POINT_NODE ? first : line->point;
  const PointF end = selector == LINK_POINT_NODE ? line[1].point : first;
  const double line_direction = point_angle(&start, &end);
  const double arc_direction = arc_tangent_angle(&first, arc);
  const double d = normalize_angle(arc_direction - line_direction);
  const bool first_runs_along = d <= 0.01 || std::fabs(d - ANGLE_TWO_PI) <= 0.01;
  *moving = first_runs_along ? first : second;
  refresh_arc_angles(arc);
  return 0;
}

int rebuild_slot_sides(LinkRecord* first) {
  LinkRecord* arc1 = &first[1];
  LinkRecord* arc2 = &first[3];
  PointF t[4][2];
  if (tangent_lines_two_circles(arc1, arc2, t) < 2) return -1;
  if ((arc1->link_flags & LINK_CLOCKWISE) != 0) {
    first[2].point = t[0][0];
    first[3].point = t[0][1];
    first[1].point = t[1][0];
    first[4].point = t[1][1];
  } else {
    first[2].point = t[1][0];
    first[3].point = t[1][1];
    first[1].point = t[0][0];
    first[4].point = t[0][1];
  }
  first[0].point = first[4].point;
  for (int i = 0; i < 4; ++i) {
    refresh_arc_angles(&first[i]);
    link_bounding_box(&first[i]);
  }
  return 0;
}

LinkRecord* open_link_gap(DrawingItem* item, int32_t index, int k) {
  LinkRecord* r = item_nodes(item);
  const int32_t count = item_link_count(item);  // already grown by k
  const int32_t old_closing = count - k;
  if (index + 1 <= old_closing) {
    std::memmove(static_cast<void*>(r + index + 1 + k), r + index + 1,
                 LINK_RECORD_SIZE * static_cast<size_t>(old_closing - index));
  }
  r[count].node_flags = NODE_CLOSING;
  return r + index + 1;
}
