#include "commands/shape_solvers.h"

#include <cmath>
#include <cstring>

#include "commands/value_form.h"
#include "geometry/geometry2d.h"
#include "geometry/item_shapes.h"
#include "geometry/link_moves.h"
#include "store/line_list.h"

int16_t g_polygon_form_sides = 0;
ArcFormMemory g_arc_form_memory;
uint8_t g_rounded_inverted = 0;

namespace {

constexpr double TINY = 0.000001;
constexpr double PI = ANGLE_PI;
constexpr double TWO_PI = ANGLE_TWO_PI;

ValueForm& form() { return g_value_form; }
uint8_t* entered() { return g_value_form.entered; }
bool point_entered(int x_field) { return field_entered(x_field) && field_entered(x_field + 1); }
bool point_typed(int x_field) {
  return entered()[x_field] == FIELD_ENTERED && entered()[x_field + 1] == FIELD_ENTERED;
}
bool tiny(double v) { return std::fabs(v) < TINY; }

double wrap(double a) {
  a = std::fmod(a, TWO_PI);
  if (a < 0.0) a += TWO_PI;
  return a;
}

PointF polar(const PointF& p, double r, double a) {
  PointF out;
  polar_point(&p, r, a, &out);
  return out;
}

PointF* point_at(float* x) { return reinterpret_cast<PointF*>(x); }

// A cleared field: it is no longer entered, nor is the form complete; every entry field up to
// `last` that is not entered is empty. The number of those.
int clear_field(int field, int last) {
  entered()[-field] = FIELD_EMPTY;
  form_complete() = 0;
  int empty = 0;
  for (int i = 2; i <= last; ++i)
    if (!field_entered(i)) ++empty;
  return empty;
}

void mark(int field) { entered()[field] = FIELD_ENTERED; }

// The X field of the point a field belongs to, for the forms whose points start at even
// indices from `first` to `last`.
int point_x_field(int field, int first, int last) {
  if (field < first || field > last) return field;
  return first + ((field - first) & ~1);
}

DrawingItem* working_item() { return g_lists.current.last; }

// ================================ CIRCLE ================================

int circle_done() {
  ValueForm& f = form();
  LinkRecord& l = f.link.link;
  const double r = l.code;
  if (!(r > 0.0)) return 0;
  f.diameter = static_cast<float>(2.0 * r);
  l.sweep = SWEEP_CENTRE_CIRCLE;
  l.start_angle = 0.0f;
  l.point = polar(l.centre, r, 0.0);
  f.link.closing.point = l.point;
  link_bounding_box(&l);
  form_complete() = 1;
  return 1;
}

int circle_three_points() {
  ValueForm& f = form();
  LinkRecord out = f.link.link;
  if (circle_through3_points(point_at(&f.values[0]), point_at(&f.values[2]),
                             point_at(&f.values[4]), &out) == CIRCLE3_FAILED)
    return 0;
  f.link.link.centre = out.centre;
  f.link.link.code = out.code;
  return circle_done();
}

int circle_from_p1() {
  ValueForm& f = form();
  const PointF p1 = *point_at(&f.values[0]);
  if (!point_entered(CIRCLE_P2)) return 0;
  if (point_entered(CIRCLE_P3)) return circle_three_points();
  const PointF p2 = *point_at(&f.values[2]);
  midpoint(&p1, &p2, &f.link.link.centre);
  f.link.link.code = point_distance(&p1, &p2) / 2.0f;
  return circle_done();
}

}  // namespace

int solve_circle(int field) {
  ValueForm& f = form();
  LinkRecord& l = f.link.link;
  if (field < 0) return clear_field(field, CIRCLE_LAYER);
  mark(field);
  switch (point_x_field(field, CIRCLE_P1, CIRCLE_P3 + 1)) {
    case CIRCLE_DIAMETER:
      l.code = f.diameter / 2.0f;
      mark(CIRCLE_RADIUS);
      [[fallthrough]];
    case CIRCLE_RADIUS:
      mark(CIRCLE_DIAMETER);
      return point_entered(CIRCLE_CENTRE) ? circle_done() : 0;
    case CIRCLE_P1:
      if (!point_entered(CIRCLE_P1)) return 0;
      if (point_entered(CIRCLE_CENTRE)) {
        l.code = point_distance(point_at(&f.values[0]), &l.centre);
        return circle_done();
      }
      return circle_from_p1();
    case CIRCLE_P2:
      if (!point_entered(CIRCLE_P2) || !point_entered(CIRCLE_P1)) return 0;
      return circle_from_p1();
    case CIRCLE_P3:
      if (!point_entered(CIRCLE_P3) || !point_entered(CIRCLE_P1) || !point_entered(CIRCLE_P2))
        return 0;
      return circle_three_points();
    default:  // the centre
      if (!point_entered(CIRCLE_CENTRE)) return 0;
      if (field_entered(CIRCLE_RADIUS)) return circle_done();
      if (point_entered(CIRCLE_P1)) {
        l.code = point_distance(point_at(&f.values[0]), &l.centre);
        return circle_done();
      }
      return 0;
  }
}

// ================================ ARC ================================

namespace {

LinkRecord& arc() { return form().link.link; }
PointF& arc_end() { return form().link.closing.point; }
bool arc_cw() { return (arc().link_flags & LINK_CLOCKWISE) != 0; }
double arc_end_angle() {
  const LinkRecord& a = arc();
  return arc_cw() ? a.start_angle - a.sweep : a.start_angle + a.sweep;
}

void end_from_centre() { arc_end() = polar(arc().centre, arc().code, arc_end_angle()); }
void start_from_centre() { arc().point = polar(arc().centre, arc().code, arc().start_angle); }
void far_centre() { arc().centre = polar(arc().point, arc().code, arc().start_angle - PI); }
void centre_from_end() { arc().centre = polar(arc_end(), arc().code, arc_end_angle() + PI); }

// The arc's ends are placed from its centre, radius, start angle and sweep; both must be more
// than tiny.
bool start_and_end_from_centre() {
  if (tiny(arc().code) || tiny(arc().sweep)) return false;
  start_from_centre();
  end_from_centre();
  return true;
}

int arc_finish() {
  LinkRecord& a = arc();
  if (!(a.code > TINY)) return 0;
  arc_angles_from_points(&a);
  link_bounding_box(&a);
  form_complete() = 1;
  return 1;
}

int arc_three_points() {
  ValueForm& f = form();
  LinkRecord out = arc();
  if (circle_through3_points(&arc().point, point_at(&f.values[0]), &arc_end(), &out) !=
      CIRCLE3_FOUND)
    return 0;
  arc().centre = out.centre;
  arc().code = out.code;
  arc().link_flags = static_cast<uint8_t>((arc().link_flags & ~LINK_CLOCKWISE) |
                                          (out.link_flags & LINK_CLOCKWISE));
  return arc_finish();
}

int two_node() {
  far_centre();
  LinkRecord& a = arc();
  const PointF near = a.centre;
  if (fit_arc_centre(&a, &near, FIT_CENTRE_NEAR_POINT) == 0) {
    midpoint(&a.point, &arc_end(), &a.centre);
    a.code = point_distance(&a.point, &a.centre);
  }
  return arc_finish();
}

int centre_and_end() {
  LinkRecord& a = arc();
  a.code = point_distance(&arc_end(), &a.centre);
  const double to_end = point_angle(&a.centre, &arc_end());
  if (field_entered(ARC_SWEEP)) {
    a.start_angle = static_cast<float>(wrap(arc_cw() ? to_end + a.sweep : to_end - a.sweep));
  } else {
    double w = arc_cw() ? a.start_angle - to_end : to_end - a.start_angle;
    if (w < 0.0) w += TWO_PI;
    a.sweep = static_cast<float>(w);
  }
  return start_and_end_from_centre() ? arc_finish() : 0;
}

int centre_and_radius() {
  LinkRecord& a = arc();
  if (field_entered(ARC_ANGLE)) {
    start_from_centre();
    if (field_entered(ARC_SWEEP)) {
      end_from_centre();
      return arc_finish();
    }
    if (point_entered(ARC_END)) {
      arc_angles_from_points(&a);
      end_from_centre();
      return arc_finish();
    }
    return 0;
  }
  if (point_entered(ARC_END)) {
    if (point_typed(ARC_START) || !field_entered(ARC_SWEEP)) {
      arc_angles_from_points(&a);
    } else {
      const double to_end = point_angle(&a.centre, &arc_end());
      a.start_angle = static_cast<float>(wrap(arc_cw() ? to_end + a.sweep : to_end - a.sweep));
    }
  } else if (point_typed(ARC_START)) {
    if (!field_entered(ARC_SWEEP)) return 0;
    a.start_angle = point_angle(&a.centre, &a.point);
  } else {
    if (!field_entered(ARC_SWEEP)) return 0;
    if (entered()[ARC_START] == FIELD_CARRIED) a.start_angle = point_angle(&a.centre, &a.point);
  }
  return start_and_end_from_centre() ? arc_finish() : 0;
}

int arc_by_radius() {
  LinkRecord& a = arc();
  if (tiny(a.code)) return 0;
  if (point_entered(ARC_CENTRE)) return centre_and_radius();
  const bool s = point_entered(ARC_START), e = point_entered(ARC_END);
  const bool w = field_entered(ARC_SWEEP) && !tiny(a.sweep);
  if (s && e) return two_node();
  if (s && w) {
    far_centre();
    end_from_centre();
    return arc_finish();
  }
  if (e && w) {
    centre_from_end();
    return start_and_end_from_centre() ? arc_finish() : 0;
  }
  return 0;
}

int arc_by_field(int field) {
  ValueForm& f = form();
  LinkRecord& a = arc();
  switch (field) {
    case ARC_START:
      if (!point_entered(ARC_START)) return 0;
      if (point_entered(ARC_P2) && point_entered(ARC_END)) return arc_three_points();
      if (point_entered(ARC_CENTRE)) {
        a.start_angle = point_angle(&a.centre, &a.point);
        a.code = point_distance(&a.point, &a.centre);
        if (tiny(a.code)) return 0;
        if (field_entered(ARC_SWEEP)) {
          end_from_centre();
          return arc_finish();
        }
        if (point_entered(ARC_END)) {
          arc_angles_from_points(&a);
          end_from_centre();
          return arc_finish();
        }
        return 0;
      }
      if (point_entered(ARC_END) && field_entered(ARC_RADIUS)) return two_node();
      return 0;
    case ARC_END:
      if (!point_entered(ARC_END)) return 0;
      if (point_entered(ARC_P2) && point_entered(ARC_START)) return arc_three_points();
      if (point_entered(ARC_CENTRE)) {
        a.code = point_distance(&arc_end(), &a.centre);
        if (point_entered(ARC_START)) {
          start_from_centre();
          return arc_finish();
        }
        return centre_and_end();
      }
      if (point_entered(ARC_START)) return tiny(a.code) ? 0 : two_node();
      return arc_by_radius();
    case ARC_RADIUS:
      return arc_by_radius();
    case ARC_CENTRE: {
      if (!point_entered(ARC_CENTRE)) return 0;
      if (!field_entered(ARC_ANGLE) && point_typed(ARC_START))
        a.start_angle = point_angle(&a.centre, &a.point);
      if (field_entered(ARC_RADIUS) && !tiny(a.code)) return centre_and_radius();
      const bool s = point_entered(ARC_START), e = point_entered(ARC_END);
      if (s && e) {
        const double rs = point_distance(&a.point, &a.centre);
        const double re = point_distance(&arc_end(), &a.centre);
        a.code = static_cast<float>(std::fabs(rs - re) < 0.0001 ? rs : (rs + re) / 2.0);
        const PointF near = a.centre;
        if (fit_arc_centre(&a, &near, FIT_CENTRE_NEAR_POINT) == 0) return 0;
        return arc_finish();
      }
      if (e) return centre_and_end();
      if (s) {
        a.code = point_distance(&a.point, &a.centre);
        if (!field_entered(ARC_SWEEP)) return 0;
        return start_and_end_from_centre() ? arc_finish() : 0;
      }
      if (field_entered(ARC_RADIUS) && field_entered(ARC_SWEEP))
        return start_and_end_from_centre() ? arc_finish() : 0;
      return 0;
    }
    case ARC_P2:
      if (point_entered(ARC_START) && point_entered(ARC_END)) return arc_three_points();
      return 0;
    case ARC_SWEEP: {
      if (tiny(a.sweep)) return 0;
      if (point_entered(ARC_CENTRE)) return start_and_end_from_centre() ? arc_finish() : 0;
      const bool r = field_entered(ARC_RADIUS) && !tiny(a.code);
      if (r && point_entered(ARC_START)) {
        far_centre();
        end_from_centre();
        return arc_finish();
      }
      if (r && point_entered(ARC_END)) {
        centre_from_end();
        return start_and_end_from_centre() ? arc_finish() : 0;
      }
      return 0;
    }
    default:  // the start angle only counts as entered
      (void)f;
      return 0;
  }
}

}  // namespace

int solve_arc(int field) {
  LinkRecord& a = arc();
  // The arc solver keeps its layer field out of the blanking.
  if (field < 0) return clear_field(field, ARC_LAYER - 1);
  if (field == ARC_CLOCKWISE) {
    if (form_complete() != 1) return 0;
    arc_angles_from_points(&a);
    return arc_finish();
  }
  const int x_field = point_x_field(field, ARC_START, ARC_START + 1) == ARC_START ? ARC_START
                      : (field == ARC_END || field == ARC_END + 1)               ? ARC_END
                      : (field == ARC_CENTRE || field == ARC_CENTRE + 1)         ? ARC_CENTRE
                      : (field == ARC_P2 || field == ARC_P2 + 1)                 ? ARC_P2
                                                                                 : field;
  mark(field);
  if (x_field == ARC_SWEEP && a.sweep >= TWO_PI) a.sweep = static_cast<float>(FULL_TURN_SWEEP);
  if (x_field == ARC_ANGLE) a.start_angle = static_cast<float>(wrap(a.start_angle));
  int result = 0;
  if (form_complete() == 1 &&
      (x_field == ARC_CENTRE || x_field == ARC_SWEEP || x_field == ARC_ANGLE)) {
    if (x_field == ARC_ANGLE && !point_entered(ARC_CENTRE) && point_entered(ARC_START) &&
        field_entered(ARC_RADIUS))
      a.centre = polar(a.point, a.code, a.start_angle + PI);
    result = start_and_end_from_centre() ? arc_finish() : 0;
  } else {
    result = arc_by_field(x_field);
  }
  // A tiny radius or sweep is no value: the field is emptied and the arc is not determined.
  if (tiny(a.code)) {
    a.code = 0.0f;
    entered()[ARC_RADIUS] = FIELD_EMPTY;
    form_complete() = 0;
    result = 0;
  }
  if (tiny(a.sweep) && field_entered(ARC_SWEEP)) {
    a.sweep = 0.0f;
    entered()[ARC_SWEEP] = FIELD_EMPTY;
    form_complete() = 0;
    result = 0;
  }
  return result;
}

// ================================ POINT, ELLIPSE ================================

int solve_point(int field) {
  ValueForm& f = form();
  if (field < 0) return clear_field(field, POINT_LAYER);
  mark(field);
  if (!point_entered(POINT_CENTRE)) return 0;
  f.link.link.code = LINK_POINT;
  f.link.closing.point = f.link.link.point;
  link_bounding_box(&f.link.link);
  form_complete() = 1;
  return 1;
}

int solve_ellipse(int field) {
  ValueForm& f = form();
  if (field < 0) return clear_field(field, ELLIPSE_LAYER);
  mark(field);
  const int x_field = field == ELLIPSE_CENTRE + 1 ? ELLIPSE_CENTRE : field;
  if ((x_field == ELLIPSE_CENTRE || x_field == ELLIPSE_ROTATION) && !point_entered(ELLIPSE_CENTRE))
    return 0;
  if (!field_entered(ELLIPSE_Y_RADIUS) || !field_entered(ELLIPSE_X_RADIUS)) return 0;
  const float ry = f.values[0], rx = f.values[1];
  if (!(ry > 0.0f) || !(rx > 0.0f)) return 0;
  LinkRecord& l = f.link.link;
  const double rot = f.values[2];
  l.code = LINK_ELLIPSE;
  l.point = polar(l.centre, ry, rot + PI / 2);
  f.link.closing.point = polar(l.centre, rx, rot);
  link_bounding_box(&l);
  form_complete() = 1;
  return 1;
}

// ================================ SLOT ================================

SlotValues* slot_values() { return reinterpret_cast<SlotValues*>(&g_value_form.values[0]); }

namespace {

// The slot's centres, radius and point on an arc live in the form's link (centre #1 the node,
// centre #2 the centre, the radius the code, the point the closing point).
PointF& slot_c1() { return form().link.link.point; }
PointF& slot_c2() { return form().link.link.centre; }
float& slot_r() { return form().link.link.code; }
PointF& slot_p() { return form().link.closing.point; }

int slot_done() {
  ValueForm& f = form();
  DrawingItem* item = working_item();
  if (item == nullptr || item->extra.empty() || item_link_count(item) != 4) return 0;
  const float r = slot_r();
  if (!(r > 0.0f)) return 0;
  if (point_distance(&slot_c1(), &slot_c2()) < TINY) return 0;
  f.diameter = 2.0f * r;
  LinkRecord* n = item_nodes(item);
  // As the slot was built from its centre line: link 1 turns about centre #2, link 3 about
  // centre #1, so the first side runs from #1 to #2.
  n[1].centre = slot_c2();
  n[1].code = r;
  n[3].centre = slot_c1();
  n[3].code = r;
  if (rebuild_slot_sides(n) != 0) return 0;
  item_bounding_boxes(item);
  slot_values()->length = point_distance(&slot_c1(), &slot_c2());
  slot_values()->angle = point_angle(&slot_c1(), &slot_c2());
  form_complete() = 1;
  return 1;
}

int slot_by_centres() {
  if (!point_entered(SLOT_C1) || !point_entered(SLOT_C2)) return 0;
  if (field_entered(SLOT_RADIUS)) return slot_done();
  if (point_entered(SLOT_POINT)) {
    slot_r() = point_distance(&slot_p(), &slot_c1());
    return slot_done();
  }
  return 0;
}

int slot_by_length() {
  if (slot_r() == 0.0f) return 0;
  SlotValues& v = *slot_values();
  if (point_entered(SLOT_C1)) {
    slot_c2() = polar(slot_c1(), v.length, v.angle);
    entered()[SLOT_C2] = entered()[SLOT_C2 + 1] = FIELD_EMPTY;
  } else if (point_entered(SLOT_C2)) {
    slot_c1() = polar(slot_c2(), v.length, v.angle + PI);
  } else {
    return 0;
  }
  return slot_done();
}

}  // namespace

int solve_slot(int field) {
  ValueForm& f = form();
  if (field < 0) return clear_field(field, SLOT_LAYER);
  mark(field);
  switch (field) {
    case SLOT_DIAMETER:
      slot_r() = f.diameter / 2.0f;
      mark(SLOT_RADIUS);
      [[fallthrough]];
    case SLOT_RADIUS:
      mark(SLOT_DIAMETER);
      if (point_entered(SLOT_C1) && point_entered(SLOT_C2)) return slot_done();
      return slot_by_length();
    case SLOT_ANGLE:
      if (slot_values()->length == 0.0f) return 0;
      return slot_by_length();
    case SLOT_LENGTH:
      return slot_by_length();
    case SLOT_POINT:
    case SLOT_POINT + 1:
      if (!point_entered(SLOT_POINT) || !point_entered(SLOT_C1) || !point_entered(SLOT_C2))
        return 0;
      {
        const float d1 = point_distance(&slot_p(), &slot_c1());
        const float d2 = point_distance(&slot_p(), &slot_c2());
        slot_r() = d1 < d2 ? d1 : d2;
      }
      return slot_done();
    default:  // a centre
      return slot_by_centres();
  }
}

// ================================ RECTANGLE ================================

RectangleValues* rectangle_values() {
  return reinterpret_cast<RectangleValues*>(&g_value_form.values[0]);
}

bool build_slanted_rectangle(LinkRecord* first, float height, float length, double rotation,
                             double slant) {
  const double s = std::remainder(slant, TWO_PI);
  // The side divides by the slant's cosine: at 90 degrees either way there is no rectangle.
  if (!(std::fabs(s) < PI / 2 - 1e-6)) return false;
  // The form's rectangles run clockwise from the upper-left corner: give the frame that turn
  // before it is rebuilt, whatever a zero side left of it.
  LinkRecord* n = first;
  n[1].point = polar(n[0].point, 1.0, rotation);
  n[2].point = polar(n[1].point, 1.0, rotation - PI / 2);
  build_straight_frame(first, length, height, rotation, s);
  return true;
}

namespace {

constexpr int RECTANGLE_LINKS = 4;

// The working rectangle back to four links (after a zero side cut it to two).
bool rectangle_four_links(DrawingItem* item) {
  const int32_t n = item_link_count(item);
  if (n == RECTANGLE_LINKS) return true;
  if (grow_node_array(item, RECTANGLE_LINKS - n) == nullptr) return false;
  LinkRecord* r = item_nodes(item);
  // Flexible lines along the top and bottom, rigid lines down the sides, as the item was made.
  for (int i = 0; i < RECTANGLE_LINKS; ++i) {
    r[i].node_flags = i == 0 ? static_cast<uint8_t>(NODE_FIRST | NODE_LOOSE) : NODE_LOOSE;
    r[i].code = (i % 2 == 0) ? LINK_FLEXIBLE_LINE : LINK_RIGID_LINE;
  }
  r[RECTANGLE_LINKS].node_flags = NODE_CLOSING;
  return true;
}

void rectangle_centre_to_ul() {
  RectangleValues& v = *rectangle_values();
  const double d = std::sqrt((v.length / 2.0) * (v.length / 2.0) +
                             (v.height / 2.0) * (v.height / 2.0));
  if (d <= 0.0) return;
  v.upper_left = polar(v.centre, d, PI / 2 + v.rotation + std::acos((v.height / 2.0) / d));
}

void rectangle_sizes_from_ul_and_centre() {
  RectangleValues& v = *rectangle_values();
  v.length = static_cast<float>(2.0 * std::fabs(v.upper_left.x - v.centre.x));
  v.height = static_cast<float>(2.0 * std::fabs(v.upper_left.y - v.centre.y));
  if (field_entered(RECT_HEIGHT) || field_entered(RECT_LENGTH))
    entered()[RECT_CENTRE] = entered()[RECT_CENTRE + 1] = FIELD_EMPTY;
}

int rectangle_build() {
  RectangleValues& v = *rectangle_values();
  DrawingItem* item = working_item();
  if (item == nullptr || item->extra.empty()) return 0;
  if (!rectangle_four_links(item)) return 0;
  LinkRecord* n = item_nodes(item);
  const LinkRecord keep[RECTANGLE_LINKS + 1] = {n[0], n[1], n[2], n[3], n[4]};
  n[2].node_flags = NODE_LOOSE;
  n[0].point = v.upper_left;
  if (!build_slanted_rectangle(n, v.height, v.length, v.rotation, v.slant)) {
    std::memcpy(static_cast<void*>(n), keep, sizeof keep);  // no solution: the shape stays
    return 0;
  }
  if (point_entered(RECT_CENTRE)) {
    PointF mid;
    midpoint(&n[0].point, &n[2].point, &mid);
    const PointF shift = {v.centre.x - mid.x, v.centre.y - mid.y};
    translate_item(item, &shift);
    // The fields show the corner the item now starts at: the next build starts there too.
    v.upper_left = n[0].point;
  }
  midpoint(&n[0].point, &n[2].point, &v.centre);
  form_complete() = 1;
  if (v.height == 0.0f || v.length == 0.0f) {
    // A zero side: shown as two links, open, ending at node 2; not accepted.
    const PointF end = n[2].point;
    n[0].node_flags = NODE_FIRST;
    if (shrink_node_array(item, RECTANGLE_LINKS - 2) != nullptr) item_nodes(item)[2].point = end;
    form_complete() = 2;
  }
  return 1;
}

}  // namespace

int solve_rectangle(int field) {
  if (field < 0) return clear_field(field, RECT_LAYER);
  mark(field);
  switch (field) {
    case RECT_UL:
    case RECT_UL + 1:
      if (!point_entered(RECT_UL)) return 0;
      if (field_entered(RECT_HEIGHT) && field_entered(RECT_LENGTH)) {
        entered()[RECT_CENTRE] = entered()[RECT_CENTRE + 1] = FIELD_EMPTY;
        return rectangle_build();
      }
      if (point_entered(RECT_CENTRE)) {
        rectangle_sizes_from_ul_and_centre();
        return rectangle_build();
      }
      if (field_entered(RECT_HEIGHT) || field_entered(RECT_LENGTH)) return rectangle_build();
      return 0;
    case RECT_CENTRE:
    case RECT_CENTRE + 1: {
      if (!point_entered(RECT_CENTRE)) return 0;
      RectangleValues& v = *rectangle_values();
      if (field_entered(RECT_HEIGHT) && field_entered(RECT_LENGTH)) {
        entered()[RECT_UL] = entered()[RECT_UL + 1] = FIELD_EMPTY;
        if (!(v.length > 0.0f || v.height > 0.0f)) return 0;
        rectangle_centre_to_ul();
        return rectangle_build();
      }
      if (point_entered(RECT_UL)) {
        rectangle_sizes_from_ul_and_centre();
        return rectangle_build();
      }
      return 0;
    }
    case RECT_HEIGHT:
    case RECT_LENGTH: {
      RectangleValues& v = *rectangle_values();
      if (point_entered(RECT_UL)) return rectangle_build();
      if (point_entered(RECT_CENTRE)) {
        if (!(v.length > 0.0f || v.height > 0.0f)) return 0;
        rectangle_centre_to_ul();
        return rectangle_build();
      }
      return 0;
    }
    default:  // rotation or slant
      if (form_complete() == 0) return 0;
      return rectangle_build();
  }
}

// ================================ ROUNDED RECTANGLE ================================

namespace {

constexpr float ROUNDED_MAX_SHARE = 0.49999f;

int rounded_build() {
  RectangleValues& v = *rectangle_values();
  DrawingItem* item = working_item();
  if (item == nullptr || item->extra.empty() || item_link_count(item) != 8) return 0;
  if (!(v.height > 0.0f) || !(v.length > 0.0f)) return 0;
  const float shorter = v.height < v.length ? v.height : v.length;
  float r = v.slant;  // the corner radius shares the slant's place
  if (r <= 0.0f) r = shorter / 4.0f;
  if (r > ROUNDED_MAX_SHARE * shorter) r = ROUNDED_MAX_SHARE * shorter;
  v.slant = r;
  const uint8_t node_kind = g_rounded_inverted != 0 ? NODE_KIND_OTHER : NODE_TANGENT;
  // The construction runs the way the first link turns: plain corners clockwise, inverted ones
  // counter-clockwise, so that either way the rectangle lies right of and below its corner.
  LinkRecord* first = item_nodes(item);
  if (g_rounded_inverted != 0) first->link_flags &= static_cast<uint8_t>(~LINK_CLOCKWISE);
  else first->link_flags |= LINK_CLOCKWISE;
  build_rounded_rect(item, v.upper_left, v.height, v.length, r, v.rotation, node_kind);
  LinkRecord* n = item_nodes(item);
  midpoint(&n[0].point, &n[4].point, &v.centre);
  form_complete() = 1;
  return 1;
}

}  // namespace

int solve_rounded_rectangle(int field) {
  if (field < 0) return clear_field(field, RECT_LAYER);
  if (field != ROUNDED_INVERTED) mark(field);
  RectangleValues& v = *rectangle_values();
  auto ul_from_centre = [&]() {
    if (!(v.length > 0.0f && v.height > 0.0f)) return false;
    rectangle_centre_to_ul();
    return true;
  };
  auto sizes = [&]() {
    v.length = static_cast<float>(2.0 * std::fabs(v.upper_left.x - v.centre.x));
    v.height = static_cast<float>(2.0 * std::fabs(v.upper_left.y - v.centre.y));
  };
  switch (field) {
    case RECT_UL:
    case RECT_UL + 1:
      if (!point_entered(RECT_UL)) return 0;
      if (field_entered(RECT_HEIGHT) && field_entered(RECT_LENGTH)) return rounded_build();
      if (point_entered(RECT_CENTRE)) {
        sizes();
        return rounded_build();
      }
      return 0;
    case RECT_CENTRE:
    case RECT_CENTRE + 1:
      if (!point_entered(RECT_CENTRE)) return 0;
      if (field_entered(RECT_HEIGHT) && field_entered(RECT_LENGTH))
        return ul_from_centre() ? rounded_build() : 0;
      if (point_entered(RECT_UL)) {
        sizes();
        return rounded_build();
      }
      return 0;
    case RECT_HEIGHT:
    case RECT_LENGTH:
      if (point_entered(RECT_UL)) return rounded_build();
      if (point_entered(RECT_CENTRE)) return ul_from_centre() ? rounded_build() : 0;
      return 0;
    default:  // rotation, radius, inverted arcs
      if (form_complete() != 1) return 0;
      if (point_entered(RECT_CENTRE) && !ul_from_centre()) return 0;
      return rounded_build();
  }
}

// ================================ POLYGON ================================

PolygonValues* polygon_values() {
  return reinterpret_cast<PolygonValues*>(&g_value_form.values[0]);
}

namespace {

int polygon_sides() {
  DrawingItem* item = working_item();
  return item == nullptr || item->extra.empty() ? 0 : item_link_count(item);
}

int polygon_done() {
  PolygonValues& v = *polygon_values();
  DrawingItem* item = working_item();
  const int n = polygon_sides();
  if (n < 3 || !(v.outside > 0.0f)) return 0;
  LinkRecord* r = item_nodes(item);
  r[0].point = v.start;
  r[0].centre = v.centre;
  place_polygon_nodes(r, r, v.outside, v.rotation, n);
  item_bounding_boxes(item);
  form_complete() = 1;
  return 1;
}

int polygon_by_side_length() {
  PolygonValues& v = *polygon_values();
  const double h = PI / polygon_sides();
  v.outside = static_cast<float>((v.side_length / 2.0) / std::sin(h));
  v.inside = static_cast<float>(v.outside * std::cos(h));
  if (point_entered(POLYGON_CENTRE)) {
    v.start = polar(v.centre, v.outside, v.rotation);
  } else if (point_entered(POLYGON_START)) {
    v.centre = polar(v.start, v.outside, v.rotation + PI);
  } else {
    return 0;
  }
  return polygon_done();
}

int polygon_by_outside() {
  PolygonValues& v = *polygon_values();
  v.side_length = static_cast<float>(2.0 * v.outside * std::sin(PI / polygon_sides()));
  return polygon_by_side_length();
}

int polygon_by_rotation() {
  PolygonValues& v = *polygon_values();
  const double h = PI / polygon_sides();
  if (!field_entered(POLYGON_OUTSIDE)) {
    if (field_entered(POLYGON_INSIDE)) {
      v.outside = static_cast<float>(v.inside / std::cos(h));
    } else if (field_entered(POLYGON_SIDE_LENGTH)) {
      v.outside = static_cast<float>((v.side_length / 2.0) / std::sin(h));
    } else if (point_entered(POLYGON_CENTRE) && point_entered(POLYGON_START)) {
      v.outside = point_distance(&v.start, &v.centre);
    } else {
      return 0;
    }
  }
  return polygon_by_outside();
}

int polygon_from_centre_and_start() {
  PolygonValues& v = *polygon_values();
  const double h = PI / polygon_sides();
  v.outside = point_distance(&v.start, &v.centre);
  v.inside = static_cast<float>(v.outside * std::cos(h));
  v.side_length = static_cast<float>(2.0 * v.outside * std::sin(h));
  v.rotation = point_angle(&v.centre, &v.start);
  return polygon_done();
}

}  // namespace

int solve_polygon(int field) {
  if (field < 0) return clear_field(field, POLYGON_LAYER);
  if (polygon_sides() < 3) return 0;
  mark(field);
  PolygonValues& v = *polygon_values();
  const double h = PI / polygon_sides();
  switch (field) {
    case POLYGON_SIDES:
      if (form_complete() == 1) {
        // A new count on a finished polygon keeps its size: only the nodes are placed again.
        v.inside = static_cast<float>(v.outside * std::cos(h));
        v.side_length = static_cast<float>(2.0 * v.outside * std::sin(h));
        return polygon_done();
      }
      if (field_entered(POLYGON_OUTSIDE) && field_entered(POLYGON_INSIDE) && v.outside > 0.0f)
        (void)std::acos(v.inside / v.outside);
      if (field_entered(POLYGON_INSIDE)) {
        v.outside = static_cast<float>(v.inside / std::cos(h));
        return polygon_by_outside();
      }
      return polygon_by_rotation();
    case POLYGON_CENTRE:
    case POLYGON_CENTRE + 1:
      if (!point_entered(POLYGON_CENTRE)) return 0;
      if (!field_entered(POLYGON_OUTSIDE) && !field_entered(POLYGON_INSIDE) &&
          !field_entered(POLYGON_SIDE_LENGTH) && point_entered(POLYGON_START))
        return polygon_from_centre_and_start();
      return polygon_by_rotation();
    case POLYGON_START:
    case POLYGON_START + 1:
      if (!point_entered(POLYGON_START)) return 0;
      if (!point_entered(POLYGON_CENTRE)) return polygon_by_rotation();
      return polygon_from_centre_and_start();
    case POLYGON_OUTSIDE:
      return polygon_by_outside();
    case POLYGON_INSIDE:
      v.outside = static_cast<float>(v.inside / std::cos(h));
      return polygon_by_outside();
    case POLYGON_SIDE_LENGTH:
      return polygon_by_side_length();
    default:  // rotation
      return polygon_by_rotation();
  }
}

// ================================ field variables ================================

float* shape_field_variable(int form_code, int field) {
  ValueForm& f = form();
  LinkRecord& l = f.link.link;
  switch (form_code) {
    case 141:  // CIRCLE
      switch (field) {
        case CIRCLE_CENTRE: return &l.centre.x;
        case CIRCLE_CENTRE + 1: return &l.centre.y;
        case CIRCLE_RADIUS: return &l.code;
        case CIRCLE_DIAMETER: return &f.diameter;
        default:
          if (field >= CIRCLE_P1 && field <= CIRCLE_P3 + 1) return &f.values[field - CIRCLE_P1];
          return nullptr;
      }
    case 140:  // ARC
      switch (field) {
        case ARC_START: return &l.point.x;
        case ARC_START + 1: return &l.point.y;
        case ARC_END: return &f.link.closing.point.x;
        case ARC_END + 1: return &f.link.closing.point.y;
        case ARC_CENTRE: return &l.centre.x;
        case ARC_CENTRE + 1: return &l.centre.y;
        case ARC_P2: return &f.values[0];
        case ARC_P2 + 1: return &f.values[1];
        case ARC_RADIUS: return &l.code;
        case ARC_SWEEP: return &l.sweep;
        case ARC_ANGLE: return &l.start_angle;
        default: return nullptr;
      }
    case 147:  // SLOT
      switch (field) {
        case SLOT_C1: return &l.point.x;
        case SLOT_C1 + 1: return &l.point.y;
        case SLOT_C2: return &l.centre.x;
        case SLOT_C2 + 1: return &l.centre.y;
        case SLOT_RADIUS: return &l.code;
        case SLOT_DIAMETER: return &f.diameter;
        case SLOT_LENGTH: return &slot_values()->length;
        case SLOT_ANGLE: return &slot_values()->angle;
        case SLOT_POINT: return &f.link.closing.point.x;
        case SLOT_POINT + 1: return &f.link.closing.point.y;
        default: return nullptr;
      }
    case 146:  // RECTANGLE
    case 150:  // ROUNDED RECTANGLE (the radius in the slant's place)
      if (field >= RECT_UL && field <= RECT_SLANT) return &f.values[field - RECT_UL];
      return nullptr;
    case 145:  // POLYGON
      switch (field) {
        case POLYGON_SIDES: return nullptr;
        case POLYGON_ROTATION: return &polygon_values()->rotation;
        case POLYGON_SIDE_LENGTH: return &polygon_values()->side_length;
        default:
          if (field >= POLYGON_CENTRE && field <= POLYGON_INSIDE)
            return &f.values[field - POLYGON_CENTRE];
          return nullptr;
      }
    case 144:  // POINT
      if (field == POINT_CENTRE) return &l.point.x;
      if (field == POINT_CENTRE + 1) return &l.point.y;
      return nullptr;
    case 142:  // ELLIPSE
      if (field == ELLIPSE_CENTRE) return &l.centre.x;
      if (field == ELLIPSE_CENTRE + 1) return &l.centre.y;
      if (field >= ELLIPSE_Y_RADIUS && field <= ELLIPSE_ROTATION)
        return &f.values[field - ELLIPSE_Y_RADIUS];
      return nullptr;
    default:
      return nullptr;
  }
}

void reset_shape_forms() {
  g_polygon_form_sides = 0;
  g_arc_form_memory = ArcFormMemory{};
  g_rounded_inverted = 0;
}
