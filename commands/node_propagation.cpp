#include "commands/node_propagation.h"

#include <cmath>

#include "commands/node_context_fill.h"
#include "editor/edit_session.h"
#include "geometry/construct.h"
#include "geometry/geometry2d.h"
#include "geometry/link_moves.h"
#include "geometry/symmetric_nodes.h"
#include "store/line_list.h"

namespace {

NodeContext& context() { return g_edit.node; }

LinkRecord* record_at(int32_t index) { return item_nodes(context().item) + index; }
int32_t link_count() { return item_link_count(context().item); }

bool exactly_loose(const LinkRecord* r) { return r->node_flags == NODE_LOOSE; }
bool is_curve(const LinkRecord* r) { return r->code < LINK_RIGID_LINE && r->code != LINK_GAP; }
bool both_quadratic(const LinkRecord* a, const LinkRecord* b) {
  return a->code == LINK_QUADRATIC && b->code == LINK_QUADRATIC;
}
bool tangent(int16_t code) { return (code & LINK_KIND_TANGENT) != 0; }

void fitting_failed() { context().pointer_code = NODE_POINTER_CANNOT; }
void fitting_worked() {
  if (context().pointer_code == NODE_POINTER_CANNOT) context().pointer_code = NODE_POINTER_AGAIN;
}

double distance(const PointF& a, const PointF& b) {
  return std::hypot(static_cast<double>(a.x) - b.x, static_cast<double>(a.y) - b.y);
}

// The direction of travel of a link at one of its points.
double travel_direction(const LinkRecord* link, const PointF& at) {
  if (code_is_arc(link->code)) return arc_tangent_angle(&at, link);
  return point_angle(&link->point, &link[1].point);
}

// J onto the line from A's control point toward B's, keeping its distance from A's control point.
void align_quadratic_node(const LinkRecord* a, PointF* j, const LinkRecord* b) {
  const double d = distance(a->centre, *j);
  const double l = distance(a->centre, b->centre);
  if (l <= 1e-11) return;
  j->x = static_cast<float>(a->centre.x + (b->centre.x - a->centre.x) * d / l);
  j->y = static_cast<float>(a->centre.y + (b->centre.y - a->centre.y) * d / l);
}

// A rigid line B behind A at J: B turns about J to continue a straight A, or A is refitted so
// that the line from B's far end touches it. A flexible line counts as straight here: fitting
// it would move J, a node of the drawing the user did not touch.
void fit_rigid_line(LinkRecord* a, LinkRecord* b, int s, int t) {
  PointF* j = link_point(a, s);
  const PointF a_far = *link_point(a, t);
  PointF* b_far = link_point(b, s);
  if (a->code <= 0.0f) {
    const double length = distance(*j, *b_far);
    const double dx = static_cast<double>(j->x) - a_far.x;
    const double dy = static_cast<double>(j->y) - a_far.y;
    const double l = std::hypot(dx, dy);
    if (l <= 1e-11) return;
    b_far->x = static_cast<float>(j->x + dx / l * length);
    b_far->y = static_cast<float>(j->y + dy / l * length);
    return;
  }
  if (a->sweep < 0.0f) return;
  if (tangent_line_end_at_arc(b, a, t) != 0) {
    fitting_failed();
    return;
  }
  fitting_worked();
}

}  // namespace

void enforce_tangency(LinkRecord* a, LinkRecord* b, int s) {
  const int t = s == LINK_POINT_NODE ? LINK_POINT_NEXT : LINK_POINT_NODE;
  PointF* j = link_point(a, s);
  const PointF a_far = *link_point(a, t);
  const PointF b_far = *link_point(b, s);
  if (b->code < LINK_RIGID_LINE && b->code != LINK_GAP) {
    if (b->code == LINK_QUADRATIC && (a->code == LINK_QUADRATIC || a->code == LINK_GAP))
      align_quadratic_node(a, j, b);
    return;
  }
  PointF mirror{};
  bool keep_old_direction = false;
  double old_direction = 0.0;
  if (a->code >= LINK_RIGID_LINE || a->code == LINK_GAP) {
    if (b->code == LINK_RIGID_LINE || b->code == LINK_GAP) {
      fit_rigid_line(a, b, s, t);
      return;
    }
    if (b->code < 0.0f || b->sweep < 0.0f) return;
    bool mirrored = false;
    if (code_is_arc(a->code)) {
      if (a->sweep < 0.0f) return;
      mirrored = mirror_point_two_points(&b_far, j, &a->centre, &mirror) != 0;
    }
    if (!mirrored) {
      const PointF d = {j->x - a_far.x, j->y - a_far.y};
      const PointF n = {j->x - d.y, j->y + d.x};
      if (mirror_point_two_points(&b_far, j, &n, &mirror) == 0) {
        fitting_failed();
        return;
      }
    }
  } else if (a->code == LINK_SPLINE && code_is_arc(b->code)) {
    if (mirror_point_two_points(&b_far, j, &b->centre, &mirror) == 0) {
      fitting_failed();
      return;
    }
    keep_old_direction = true;
    old_direction = arc_tangent_angle(j, b);
  } else {
    return;
  }
  LinkRecord circle = *b;
  if (circle_through3_points(j, &b_far, &mirror, &circle) == CIRCLE3_FAILED) {
    if (distance(b_far, mirror) >= 0.0001) return;
    midpoint(j, &b_far, &circle.centre);
    circle.code = static_cast<float>(distance(*j, b_far) / 2.0);
  }
  // The circle gives the centre and radius; the arc keeps its own turning until the test below.
  b->centre = circle.centre;
  b->code = circle.code;
  b->sweep = 0.0f;
  const double a1 = arc_tangent_angle(j, b);
  const double a0 = keep_old_direction ? old_direction : travel_direction(a, *j);
  // The two arcs through J, B' on this circle run opposite ways at J; keep the smooth one,
  // unless the common node is marked to keep the arc's own way.
  const LinkRecord* common = s == LINK_POINT_NEXT ? b : a;
  if (abs_angle_difference(a0, a1) > 1.0 && common->node_flags != NODE_KIND_OTHER)
    b->link_flags ^= LINK_CLOCKWISE;
  arc_angles_from_points(b);
  link_bounding_box(b);
  fitting_worked();
}

int32_t refit_circle_code_arc(int32_t index) {
  LinkRecord* r = record_at(index);
  if (!code_is_arc(r->code)) return NODE_NO_RECORD;
  if (r->sweep == SWEEP_RADIUS_CIRCLE) {
    r->centre = r->point;
    r->code = static_cast<float>(distance(r->point, r[1].point));
  } else if (r->sweep == SWEEP_DIAMETER_CIRCLE) {
    midpoint(&r->point, &r[1].point, &r->centre);
    r->code = static_cast<float>(distance(r->point, r->centre));
  } else if (r->sweep == SWEEP_CENTRE_CIRCLE) {
    r->code = static_cast<float>(distance(r->point, r->centre));
  } else {
    return NODE_NO_RECORD;
  }
  link_bounding_box(r);
  return index;
}

int32_t propagate_forward_step(int32_t index) {
  if (index < 0) return NODE_NO_RECORD;
  const int32_t n = index + 1;
  if (n >= link_count()) return NODE_NO_RECORD;
  LinkRecord* r = record_at(index);
  LinkRecord* next = record_at(n);
  if (exactly_loose(next)) return refit_circle_code_arc(n);
  if (is_curve(next) && !both_quadratic(r, next)) return NODE_NO_RECORD;
  enforce_tangency(r, next, LINK_POINT_NEXT);
  return n;
}

int32_t propagate_backward_step(int32_t index) {
  if (index <= 0 || index >= link_count()) return NODE_NO_RECORD;
  LinkRecord* r = record_at(index);
  LinkRecord* previous = record_at(index - 1);
  if (exactly_loose(r)) return refit_circle_code_arc(index - 1);
  if (is_curve(previous) && !both_quadratic(r, previous)) return NODE_NO_RECORD;
  enforce_tangency(r, previous, LINK_POINT_NODE);
  return index - 1;
}

void run_forward_chain(int32_t index) {
  // Each step moves one record on, so a chain ends within the item's link count.
  for (int32_t guard = link_count() + 1; index >= 0 && guard > 0; --guard)
    index = propagate_forward_step(index);
}

void run_backward_chain(int32_t index) {
  for (int32_t guard = link_count() + 1; index >= 0 && guard > 0; --guard)
    index = propagate_backward_step(index);
}

void refit_link_at_node(int32_t index) {
  if (index < 0 || index >= link_count()) return;
  LinkRecord* r = record_at(index);
  if (index == 0 || (r->node_flags & NODE_FIRST) != 0 || exactly_loose(r)) {
    rederive_arc(r);
    link_bounding_box(r);
    return;
  }
  enforce_tangency(r - 1, r, LINK_POINT_NEXT);
}

namespace {

// A circle about its kept centre whose node moved: the whole circle follows the node.
void move_centre_circle_with_node(LinkRecord* circle, PointF* moved, PointF* stale) {
  circle->centre.x += moved->x - stale->x;
  circle->centre.y += moved->y - stale->y;
  *stale = *moved;
  link_bounding_box(circle);
}

void queue_forward(int32_t index) { context().pending_forward = index; }
void queue_backward(int32_t index) { context().pending_backward = index; }

bool first_or_loose(int32_t index) {
  return index <= 0 || exactly_loose(record_at(index));
}

// The previous side when the current node is tangent.
void refit_tangent_previous_side() {
  const NodeContext& c = context();
  const int32_t previous = c.previous;
  if (previous < 0) return;
  if (tangent(c.next_code) || c.next < 0) {
    if (first_or_loose(previous)) {
      queue_forward(previous);
      refit_link_at_node(previous);
    } else {
      queue_forward(previous - 1);
    }
    return;
  }
  refit_link_at_node(previous);
  enforce_tangency(record_at(previous), record_at(c.link_index), LINK_POINT_NEXT);
}

// A circle-coded link behind the moved node follows it.
bool refit_previous_circle() {
  const NodeContext& c = context();
  LinkRecord* p = record_at(c.previous);
  if ((c.previous_code & LINK_KIND_CENTRE_CIRCLE) != 0) {
    move_centre_circle_with_node(p, &p[1].point, &p->point);
    if (c.previous > 0 && code_is_arc(record_at(c.previous - 1)->code))
      refit_link_at_node(c.previous - 1);
    return true;
  }
  if (code_is_arc(p->code) && p->sweep == SWEEP_DIAMETER_CIRCLE) {
    midpoint(&p->point, &p[1].point, &p->centre);
    p->code = static_cast<float>(distance(p->centre, p->point));
    p->start_angle = point_angle(&p->centre, &p->point);
    link_bounding_box(p);
    return true;
  }
  if (code_is_arc(p->code) && p->sweep == SWEEP_RADIUS_CIRCLE) {
    p->code = static_cast<float>(distance(p->centre, p[1].point));
    p->start_angle = point_angle(&p->centre, &p[1].point);
    link_bounding_box(p);
    return true;
  }
  return false;
}

}  // namespace

void propagate_node_move() {
  NodeContext& c = context();
  DrawingItem* item = c.item;
  if (item == nullptr || item->extra.empty()) return;
  const int32_t count = link_count();
  const int32_t index = c.link_index;
  if (index < 0 || index >= count) return;
  if (c.closed != 0) {
    if (index == 0) {
      sync_closing_node(item, SYNC_FIRST_TO_CLOSING);
      rederive_arc(record_at(count - 1));
    }
    if (c.next < 0) {
      sync_closing_node(item, SYNC_CLOSING_TO_FIRST);
      rederive_arc(record_at(0));
    }
  }
  if (c.next >= 0) {
    LinkRecord* next = record_at(c.next);
    if ((next->node_flags & NODE_LOOSE) == 0) {
      run_forward_chain(index);
    } else if (code_is_arc(next->code) && next->sweep == SWEEP_CENTRE_CIRCLE) {
      move_centre_circle_with_node(next, &next->point, &next[1].point);
      run_forward_chain(index);
    } else if (c.next + 1 >= count || (record_at(c.next + 1)->node_flags & NODE_LOOSE) != 0) {
      rederive_arc(next);
    } else {
      run_backward_chain(c.next + 1);
    }
  }
  if (c.previous >= 0) {
    LinkRecord* current = record_at(index);
    LinkRecord* previous = record_at(c.previous);
    if ((current->node_flags & NODE_TANGENT) != 0) {
      run_backward_chain(index);
    } else if (code_is_arc(previous->code) && previous->sweep == SWEEP_CENTRE_CIRCLE) {
      move_centre_circle_with_node(previous, &previous[1].point, &previous->point);
      run_backward_chain(index);
    } else if (!is_curve(previous)) {
      refit_link_at_node(c.previous);
    }
  }
  for (int32_t i = 0; i < count; ++i) link_bounding_box(record_at(i));
}

void refit_around_moved_node() {
  NodeContext& c = context();
  if (c.item == nullptr) return;
  const int16_t p = c.previous_code;
  const int16_t n = c.next_code;
  const int32_t index = c.link_index;
  const int32_t previous = c.previous;
  LinkRecord* current = record_at(index);
  constexpr int16_t RIGID_TANGENT = LINK_KIND_RIGID | LINK_KIND_TANGENT;
  constexpr int16_t CURVE_TANGENT = LINK_KIND_CURVE | LINK_KIND_TANGENT;
  constexpr int16_t ARC_TANGENT = LINK_KIND_ARC | LINK_KIND_TANGENT;
  if (p == RIGID_TANGENT && previous >= 0) {
    if (n == RIGID_TANGENT) {
      queue_forward(previous);
      queue_backward(previous);
    } else if (!tangent(n)) {
      enforce_tangency(record_at(previous), current, LINK_POINT_NEXT);
      queue_backward(index);
    } else if (first_or_loose(previous)) {
      queue_forward(previous);
    } else {
      enforce_tangency(record_at(previous - 1), record_at(previous), LINK_POINT_NEXT);
      queue_forward(previous - 1);
    }
  } else if (p == CURVE_TANGENT && previous >= 0) {
    if (code_is_arc(current->code) && n == ARC_TANGENT && c.next >= 0) {
      enforce_tangency(record_at(c.next), current, LINK_POINT_NODE);
      refit_tangent_previous_side();
    } else if (current->code == LINK_QUADRATIC) {
      enforce_tangency(record_at(previous), current, LINK_POINT_NEXT);
      if (tangent(n) && c.next >= 0) {
        enforce_tangency(record_at(c.next), current, LINK_POINT_NODE);
        refit_tangent_previous_side();
      }
    } else {
      rederive_arc(current);
    }
  } else if (n == RIGID_TANGENT && c.next >= 0) {
    if (previous >= 0 && (p & LINK_KIND_CURVE) != 0) {
      // a curve behind: nothing to fit
    } else if (previous >= 0 && (p & LINK_KIND_CENTRE_CIRCLE) != 0) {
      refit_previous_circle();
    } else if (previous >= 0 && tangent(p)) {
      queue_forward(previous);
      refit_link_at_node(previous);
    } else {
      enforce_tangency(record_at(c.next), current, LINK_POINT_NODE);
      if (previous >= 0) {
        if ((p & LINK_KIND_RIGID) != 0) queue_backward(previous);
        else refit_link_at_node(previous);
      }
    }
  } else if (tangent(p) && previous >= 0) {
    refit_tangent_previous_side();
  } else {
    if (tangent(n) && c.next >= 0 &&
        (current->code == LINK_QUADRATIC || current->code >= LINK_RIGID_LINE))
      enforce_tangency(record_at(c.next), current, LINK_POINT_NODE);
    else
      rederive_arc(current);
    if (p != 0 && previous >= 0) {
      if ((p & LINK_KIND_ARC) != 0) {
        refit_link_at_node(previous);
      } else {
        refit_previous_circle();
        if (!first_or_loose(previous)) queue_forward(previous - 1);
      }
    }
  }
  link_bounding_box(current);
}

void refit_after_start_move() {
  NodeContext& c = context();
  if (c.item == nullptr) return;
  LinkRecord* current = record_at(c.link_index);
  if (current->code >= LINK_RIGID_LINE) {
    if (c.next < 0 || (record_at(c.next)->node_flags & NODE_LOOSE) != 0) {
      rederive_arc(current);
    } else {
      if (code_is_arc(current->code) && current->sweep < 0.0f) rederive_arc(current);
      propagate_backward_step(c.next);
    }
  }
  link_bounding_box(current);
  if (c.closed != 0) {
    sync_closing_node(c.item, SYNC_FIRST_TO_CLOSING);
    refit_link_at_node(link_count() - 1);
  }
}

void refit_after_end_move() {
  NodeContext& c = context();
  if (c.item == nullptr) return;
  LinkRecord* current = record_at(c.link_index);
  if (current->code >= LINK_RIGID_LINE) {
    if (code_is_arc(current->code) && current->sweep == SWEEP_CENTRE_CIRCLE)
      current->point = current[1].point;
    else
      refit_link_at_node(c.link_index);
  }
  link_bounding_box(current);
  if (c.closed != 0) {
    sync_closing_node(c.item, SYNC_CLOSING_TO_FIRST);
    rederive_arc(record_at(0));
  }
}

void keep_node_on_tangent_lines() {
  NodeContext& c = context();
  if (c.item == nullptr || c.previous < 0 || c.next < 0) return;
  LinkRecord* previous = record_at(c.previous);
  LinkRecord* next = record_at(c.next);
  if (intersect_lines(previous, next) <= 0) return;
  const PointF i = g_geometry2d.intersection.first;
  const double near = distance(next->point, i);
  const double far = distance(next[1].point, i);
  const double dx = static_cast<double>(previous->point.x) - i.x;
  const double dy = static_cast<double>(previous->point.y) - i.y;
  const double l = std::hypot(dx, dy);
  if (l <= 1e-11) return;
  const double sign = near < far ? 1.0 : -1.0;
  PointF node = {static_cast<float>(i.x + sign * dx / l * near),
                 static_cast<float>(i.y + sign * dy / l * near)};
  set_item_node(c.item, c.link_index, node);
}

bool propagation_pending() {
  const NodeContext& c = context();
  return c.item != nullptr &&
         (c.pending_forward != NODE_NO_RECORD || c.pending_backward != NODE_NO_RECORD);
}

void propagation_round() {
  NodeContext& c = context();
  if (c.item == nullptr) return;
  if (c.pending_forward != NODE_NO_RECORD)
    c.pending_forward = propagate_forward_step(c.pending_forward);
  if (c.pending_backward != NODE_NO_RECORD)
    c.pending_backward = propagate_backward_step(c.pending_backward);
}

void finish_pending_propagation() {
  for (int32_t guard = 2 * (context().item != nullptr ? link_count() : 0) + 2;
       propagation_pending() && guard > 0; --guard)
    propagation_round();
  context().pending_forward = context().pending_backward = NODE_NO_RECORD;
}
