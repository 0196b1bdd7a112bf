// The rules of the item edit pages: each typed value written into the item's links, or refused
// when it would make the item something else.
#include <algorithm>
#include <cmath>

#include "editor/item_pages.h"
#include "geometry/geometry2d.h"
#include "geometry/item_motion.h"
#include "geometry/item_shapes.h"
#include "geometry/link_moves.h"
#include "geometry/point_arrays.h"
#include "geometry/rounded_rect_frame.h"
#include "records/cam_params.h"
#include "records/preferences.h"
#include "ui/message_box.h"

namespace {

constexpr double DEGREE = 3.14159265358979323846 / 180.0;
constexpr int POLYGON_LEAST_SIDES = 3;
constexpr int POLYGON_MOST_SIDES = 500;
constexpr float LEAST_CORNER_RADIUS = 0.01f;
constexpr uint32_t STYLE_CENTRED_14_TICKS = 0x2800E;

constexpr char RADIUS_REFUSED_TEXT[] =
    "The radius must be more than 0; the item is left as it was.";
constexpr char SIZE_REFUSED_TEXT[] =
    "The width and the length must be more than 0; the item is left as it was.";
constexpr char POINT_RADIUS_REFUSED_TEXT[] =
    "A point's radius cannot be below 0; the point is left as it was.";
constexpr char ROWS_REFUSED_TEXT[] = "Rows and columns go from 1 to 255; the pattern is left as it was.";
constexpr char CIRCLE_COUNT_REFUSED_TEXT[] =
    "A circle of points holds from 0 to 32767 points; the pattern is left as it was.";
constexpr char SLOT_ENDS_REFUSED_TEXT[] =
    "The two ends of a slot cannot share one centre; the slot is left as it was.";
constexpr char RADIUS_TOO_SMALL_TEXT[] = "Radius too small!";
constexpr char CANNOT_FIT_TEXT[] = "Cannot fit that radius with the existing end points!";

int refuse(const char* text, uint32_t style = TEXTBOX_PRESS_A_KEY) {
  show_text_box(text, style);
  return PAGE_VALUE_REFUSED;
}

double into_turn(double a) {
  while (a < 0.0) a += ANGLE_TWO_PI;
  while (a >= ANGLE_TWO_PI) a -= ANGLE_TWO_PI;
  return a;
}

PointF at_polar(PointF c, double r, double a) {
  return {static_cast<float>(c.x + r * std::cos(a)), static_cast<float>(c.y + r * std::sin(a))};
}

LinkRecord* nodes(DrawingItem* item) { return item_nodes(item); }

// ---- point patterns ----

void write_pattern(LinkRecord* first, int columns, int rows, int kind) {
  LinkRecord* closing = point_array_closing(first);
  if (closing == nullptr) return;
  set_point_array(closing, static_cast<uint8_t>(columns), static_cast<uint8_t>(rows),
                  static_cast<uint8_t>(kind));
  update_point_pattern_end(first);
}

// ---- rectangles ----

// The four nodes of a bent rectangle on the circles of links 0 and 2 about link 0's centre.
void place_bent_nodes(LinkRecord* r) {
  const PointF c = r[0].centre;
  const double a = r[0].start_angle, s = r[0].sweep;
  const double e = into_turn(a + s);
  const float R = r[0].code, R2 = r[2].code;
  r[2].centre = c;
  r[2].start_angle = r[0].start_angle;
  r[2].sweep = r[0].sweep;
  if ((r[0].link_flags & LINK_CLOCKWISE) != 0) {
    r[1].point = at_polar(c, R, a);
    r[0].point = at_polar(c, R, e);
    r[2].point = at_polar(c, R2, a);
    r[3].point = at_polar(c, R2, e);
  } else {
    r[0].point = at_polar(c, R, a);
    r[1].point = at_polar(c, R, e);
    r[3].point = at_polar(c, R2, a);
    r[2].point = at_polar(c, R2, e);
  }
  r[4].point = r[0].point;
}

void finish_rectangle(DrawingItem* item) {
  LinkRecord* r = nodes(item);
  arc_angles_from_points(r);
  arc_angles_from_points(r + 2);
  item_bounding_boxes(item);
}

int set_straight(DrawingItem* item, float RectangleSizes::*field, float value) {
  RectangleSizes s;
  rectangle_dimensions(nodes(item), &s);
  s.*field = value;
  rectangle_from_values(nodes(item), s);
  return PAGE_VALUE_TAKEN;
}

// ---- rounded rectangles ----

// ---- slots ----

int rebuild_slot(DrawingItem* item, const LinkRecord* saved) {
  LinkRecord* r = nodes(item);
  if (point_distance(&r[1].centre, &r[3].centre) == 0.0f || rebuild_slot_sides(r) != 0) {
    std::copy(saved, saved + 5, r);
    return refuse(SLOT_ENDS_REFUSED_TEXT);
  }
  item_bounding_boxes(item);
  return PAGE_VALUE_TAKEN;
}

}  // namespace

// ---- circles ----

int circle_page_set_centre(DrawingItem* item, PointF centre) {
  rebuild_circle(nodes(item), centre, nodes(item)->code);
  return PAGE_VALUE_TAKEN;
}

int circle_page_set_radius(DrawingItem* item, float radius) {
  if (!(radius > 0.0f)) return refuse(RADIUS_REFUSED_TEXT);
  rebuild_circle(nodes(item), nodes(item)->centre, radius);
  return PAGE_VALUE_TAKEN;
}

int circle_page_set_diameter(DrawingItem* item, float diameter) {
  if (!(diameter > 0.0f)) return refuse(RADIUS_REFUSED_TEXT);
  return circle_page_set_radius(item, diameter / 2.0f);
}

int circle_page_from_points(DrawingItem* item, const PointF points[3]) {
  LinkRecord circle{};
  if (circle_through3_points(&points[0], &points[1], &points[2], &circle) == CIRCLE3_FAILED ||
      !(circle.code > 0.0f))
    return PAGE_VALUE_UNCHANGED;
  rebuild_circle(nodes(item), circle.centre, circle.code);
  return PAGE_VALUE_TAKEN;
}

// ---- ellipses ----

int ellipse_page_apply(DrawingItem* item, PointF centre, float a, float b, float rotation_deg) {
  if (!(a > 0.0f) || !(b > 0.0f)) return refuse(RADIUS_REFUSED_TEXT);
  LinkRecord* r = nodes(item);
  double rotation = rotation_deg * DEGREE;
  if (rotation < 0.0) rotation += ANGLE_TWO_PI;
  r[0].centre = centre;
  r[0].point = at_polar(centre, a, rotation + ANGLE_PI / 2);
  r[1].point = at_polar(centre, b, rotation);
  item_bounding_boxes(item);
  return PAGE_VALUE_TAKEN;
}

// ---- points ----

int point_page_set_position(DrawingItem* item, PointF p) {
  nodes(item)->point = p;
  update_point_pattern_end(nodes(item));
  item_bounding_boxes(item);
  return PAGE_VALUE_TAKEN;
}

int point_page_set_radius(DrawingItem* item, float radius) {
  // The radius lives in the link code as -64 - r: a negative radius would leave the point codes.
  if (!(radius >= 0.0f)) return refuse(POINT_RADIUS_REFUSED_TEXT);
  GeometryBlock* block = item_block(item);
  nodes(item)->code = LINK_POINT - radius;
  if (uint8_t* cam = block_cam_params(block); cam != nullptr) {
    CamParams params;
    read_cam_params(cam, &params);
    params.finishing.cut_width = 2.0f * radius;
    write_cam_params(params, cam);
  }
  item_bounding_boxes(item);
  return PAGE_VALUE_TAKEN;
}

int point_page_set_kind(DrawingItem* item, int kind) {
  LinkRecord* r = nodes(item);
  LinkRecord* closing = point_array_closing(r);
  if (closing == nullptr || kind < POINT_ARRAY_NONE || kind > POINT_ARRAY_FRAME) return PAGE_VALUE_REFUSED;
  const int old = point_array_kind(closing);
  if (old == kind) return PAGE_VALUE_UNCHANGED;
  int columns = point_array_columns(closing), rows = point_array_rows(closing);
  if (old == POINT_ARRAY_NONE || old == POINT_ARRAY_CIRCLE) columns = rows = 1;
  if (kind == POINT_ARRAY_CIRCLE) columns = rows = 0;
  write_pattern(r, columns, rows, kind);
  return PAGE_VALUE_TAKEN;
}

int point_page_set_rows(DrawingItem* item, int rows) {
  LinkRecord* closing = point_array_closing(nodes(item));
  if (closing == nullptr) return PAGE_VALUE_REFUSED;
  if (rows < 1 || rows > PATTERN_MOST_ROWS) return refuse(ROWS_REFUSED_TEXT);
  write_pattern(nodes(item), point_array_columns(closing), rows, point_array_kind(closing));
  return PAGE_VALUE_TAKEN;
}

int point_page_set_columns(DrawingItem* item, int columns) {
  LinkRecord* closing = point_array_closing(nodes(item));
  if (closing == nullptr) return PAGE_VALUE_REFUSED;
  if (columns < 1 || columns > PATTERN_MOST_ROWS) return refuse(ROWS_REFUSED_TEXT);
  write_pattern(nodes(item), columns, point_array_rows(closing), point_array_kind(closing));
  return PAGE_VALUE_TAKEN;
}

int point_page_set_circle_count(DrawingItem* item, int count) {
  LinkRecord* closing = point_array_closing(nodes(item));
  if (closing == nullptr) return PAGE_VALUE_REFUSED;
  if (count < 0 || count > PATTERN_MOST_CIRCLE_POINTS) return refuse(CIRCLE_COUNT_REFUSED_TEXT);
  write_pattern(nodes(item), count & 0xFF, count >> 8, POINT_ARRAY_CIRCLE);
  return PAGE_VALUE_TAKEN;
}

// ---- regular polygons ----

int polygon_page_set_sides(DrawingItem* item, int sides) {
  if (sides < POLYGON_LEAST_SIDES || sides > POLYGON_MOST_SIDES)
    sides = std::clamp<int>(g_preferences.polygon_sides, POLYGON_LEAST_SIDES, POLYGON_MOST_SIDES);
  LinkRecord* r = nodes(item);
  const float radius = point_distance(&r->centre, &r->point);
  const double rotation = point_angle(&r->centre, &r->point);
  if (!set_polygon_side_count(item, sides)) return PAGE_VALUE_REFUSED;
  r = nodes(item);
  if (radius > 0.0f) place_polygon_nodes(r, r, radius, rotation, sides);
  item_bounding_boxes(item);
  return PAGE_VALUE_TAKEN;
}

int polygon_page_set_size(DrawingItem* item, int which, float value) {
  if (!(value > 0.0f)) return PAGE_VALUE_UNCHANGED;  // kept in the field, not applied
  LinkRecord* r = nodes(item);
  const int n = item_link_count(item);
  const double h = ANGLE_PI / n;
  double radius = value;
  if (which == 1) radius = value / std::cos(h);
  else if (which == 2) radius = value / 2.0 / std::sin(h);
  place_polygon_nodes(r, r, static_cast<float>(radius), point_angle(&r->centre, &r->point), n);
  item_bounding_boxes(item);
  return PAGE_VALUE_TAKEN;
}

int polygon_page_set_rotation(DrawingItem* item, float rotation_deg) {
  LinkRecord* r = nodes(item);
  const float radius = point_distance(&r->centre, &r->point);
  if (!(radius > 0.0f)) return PAGE_VALUE_UNCHANGED;
  place_polygon_nodes(r, r, radius, into_turn(rotation_deg * DEGREE), item_link_count(item));
  item_bounding_boxes(item);
  return PAGE_VALUE_TAKEN;
}

// ---- rectangles ----

bool rectangle_is_bent(const DrawingItem* item) { return code_is_arc(item_nodes(item)->code); }

int rectangle_page_set_position(DrawingItem* item, PointF p) {
  LinkRecord* r = nodes(item);
  const PointF from = rectangle_is_bent(item) ? r->centre : r->point;
  const PointF delta = {p.x - from.x, p.y - from.y};
  translate_item(item, &delta);
  item_bounding_boxes(item);
  return PAGE_VALUE_TAKEN;
}

int rectangle_page_set_width(DrawingItem* item, float width) {
  if (!(width > 0.0f)) return refuse(SIZE_REFUSED_TEXT);
  if (!rectangle_is_bent(item)) return set_straight(item, &RectangleSizes::width, width);
  LinkRecord* r = nodes(item);
  const float r0 = r[0].code, old = r[2].code;
  const float r2 = r0 >= old ? r0 - width : r0 + width;
  if (!(r2 > 0.0f)) return refuse(RADIUS_TOO_SMALL_TEXT, TEXTBOX_SCREEN_CENTRE | TEXTBOX_WAIT_KEY);
  // Link 2 slides onto its new circle about the shared centre: the point that fixes the radius is
  // its old start pulled in or out along the centre line.
  const PointF centre = r[2].centre;
  const double from_centre = std::hypot(r[2].point.x - centre.x, r[2].point.y - centre.y);
  if (!(from_centre > 0.0)) return PAGE_VALUE_UNCHANGED;
  const double scale = r2 / from_centre;
  const PointF through = {static_cast<float>(centre.x + (r[2].point.x - centre.x) * scale),
                          static_cast<float>(centre.y + (r[2].point.y - centre.y) * scale)};
  if (slide_link_between_neighbours(item, r + 2, 4, 1, through) != 0) {
    nodes(item)[2].code = old;
    return PAGE_VALUE_UNCHANGED;
  }
  finish_rectangle(item);
  return PAGE_VALUE_TAKEN;
}

int rectangle_page_set_length(DrawingItem* item, float length) {
  if (!(length > 0.0f)) return refuse(SIZE_REFUSED_TEXT);
  if (rectangle_is_bent(item)) return PAGE_VALUE_UNCHANGED;  // the sweep is shown, not edited
  return set_straight(item, &RectangleSizes::length, length);
}

int rectangle_page_set_angle(DrawingItem* item, float angle_deg) {
  if (!rectangle_is_bent(item))
    return set_straight(item, &RectangleSizes::angle, static_cast<float>(into_turn(angle_deg * DEGREE)));
  RectangleSizes s;
  rectangle_dimensions(nodes(item), &s);
  const PointF pivot = nodes(item)->centre;
  rotate_item(item, &pivot, angle_deg * DEGREE - s.angle);
  item_bounding_boxes(item);
  return PAGE_VALUE_TAKEN;
}

int rectangle_page_set_slant(DrawingItem* item, float slant_deg) {
  if (rectangle_is_bent(item)) return PAGE_VALUE_UNCHANGED;
  return set_straight(item, &RectangleSizes::slant, static_cast<float>(slant_deg * DEGREE));
}

int rectangle_page_set_bend(DrawingItem* item, float radius) {
  LinkRecord* r = nodes(item);
  const bool bent = rectangle_is_bent(item);
  if (radius == 0.0f || !(radius == radius)) {
    if (!bent) return PAGE_VALUE_UNCHANGED;
    r[0].code = LINK_FLEXIBLE_LINE;
    r[2].code = LINK_FLEXIBLE_LINE;
    item_bounding_boxes(item);
    return PAGE_VALUE_TAKEN;
  }
  if (radius < 0.0f) return refuse(RADIUS_REFUSED_TEXT);
  if (bent) {
    // The band keeps its width: the inner arc follows the outer one.
    const float r2 = radius - r[0].code + r[2].code;
    if (!(r2 > 0.0f)) return refuse(RADIUS_TOO_SMALL_TEXT, TEXTBOX_SCREEN_CENTRE | TEXTBOX_WAIT_KEY);
    r[0].code = radius;
    r[2].code = r2;
  } else {
    RectangleSizes s;
    rectangle_dimensions(r, &s);
    const LinkRecord saved[3] = {r[0], r[1], r[2]};
    const float r2 = radius - s.width;
    bool fitted = false;
    if (r2 > 0.0f) {
      r[0].link_flags |= LINK_CLOCKWISE;
      r[0].code = radius;
      const PointF side = r[2].point;
      fitted = fit_arc_radius(r, &side, s.length) == 1;
    }
    if (!fitted) {
      std::copy(saved, saved + 3, r);
      return refuse(RADIUS_TOO_SMALL_TEXT, TEXTBOX_SCREEN_CENTRE | TEXTBOX_WAIT_KEY);
    }
    r[2].link_flags &= static_cast<uint8_t>(~LINK_CLOCKWISE);
    r[2].code = r2;
  }
  if (code_is_arc(r[2].code)) place_bent_nodes(r);
  finish_rectangle(item);
  return PAGE_VALUE_TAKEN;
}

// ---- rounded rectangles ----

int rounded_rect_page_set_width(DrawingItem* item, float width) {
  if (!(width > 0.0f)) return refuse(SIZE_REFUSED_TEXT);
  RoundedRectFrame f = rounded_rect_frame(nodes(item));
  f.sizes.width = width;
  build_rounded_rect_from_frame(item, f);
  return PAGE_VALUE_TAKEN;
}

int rounded_rect_page_set_length(DrawingItem* item, float length) {
  if (!(length > 0.0f)) return refuse(SIZE_REFUSED_TEXT);
  RoundedRectFrame f = rounded_rect_frame(nodes(item));
  f.sizes.length = length;
  build_rounded_rect_from_frame(item, f);
  return PAGE_VALUE_TAKEN;
}

int rounded_rect_page_set_radius(DrawingItem* item, float radius) {
  if (radius == 0.0f) radius = LEAST_CORNER_RADIUS;
  if (!(radius > 0.0f)) return refuse(RADIUS_REFUSED_TEXT);
  RoundedRectFrame f = rounded_rect_frame(nodes(item));
  f.sizes.radius = radius;
  build_rounded_rect_from_frame(item, f);
  return PAGE_VALUE_TAKEN;
}

int rounded_rect_page_set_angle(DrawingItem* item, float angle_deg) {
  RoundedRectFrame f = rounded_rect_frame(nodes(item));
  LinkRecord* r = nodes(item);
  const double change = into_turn(angle_deg * DEGREE) - f.sizes.angle;
  if (g_page.corner_typed == 0) {
    // The item turns about its centre: the corner turns with it.
    PointF centre;
    midpoint(&r[0].centre, &r[4].centre, &centre);
    rotate_point_about(&f.corner, &f.corner, &centre, change);
  }
  f.build_angle += change;
  build_rounded_rect_from_frame(item, f);
  return PAGE_VALUE_TAKEN;
}

// ---- slots ----

int slot_page_set_radius(DrawingItem* item, float radius) {
  if (!(radius > 0.0f)) return refuse(RADIUS_REFUSED_TEXT);
  LinkRecord* r = nodes(item);
  LinkRecord saved[5];
  std::copy(r, r + 5, saved);
  r[1].code = r[3].code = radius;
  return rebuild_slot(item, saved);
}

int slot_page_set_centres(DrawingItem* item, PointF first, PointF second) {
  LinkRecord* r = nodes(item);
  LinkRecord saved[5];
  std::copy(r, r + 5, saved);
  r[1].centre = first;
  r[3].centre = second;
  return rebuild_slot(item, saved);
}

int slot_page_set_angle(DrawingItem* item, float angle_deg) {
  LinkRecord* r = nodes(item);
  const float d = point_distance(&r[1].centre, &r[3].centre);
  return slot_page_set_centres(item, r[1].centre, at_polar(r[1].centre, d, angle_deg * DEGREE));
}

int slot_page_set_distance(DrawingItem* item, float distance) {
  if (!(distance > 0.0f)) return PAGE_VALUE_UNCHANGED;  // the actual distance stays
  LinkRecord* r = nodes(item);
  const double angle = point_angle(&r[1].centre, &r[3].centre);
  return slot_page_set_centres(item, r[1].centre, at_polar(r[1].centre, distance, angle));
}

// ---- arcs ----

int arc_page_set_radius(LinkRecord* arc, float radius) {
  if (!(radius > 0.0f)) return refuse(RADIUS_REFUSED_TEXT);
  const LinkRecord saved = *arc;
  arc->code = radius;
  const PointF side = arc->centre;
  if (fit_arc_centre(arc, &side, FIT_CENTRE_NEAR_POINT) != 1) {
    *arc = saved;
    return refuse(CANNOT_FIT_TEXT, STYLE_CENTRED_14_TICKS);
  }
  link_bounding_box(arc);
  return PAGE_VALUE_TAKEN;
}

int arc_page_set_sweep(LinkRecord* arc, float sweep_deg) {
  if (!(sweep_deg > 0.0f)) return PAGE_VALUE_UNCHANGED;
  if (sweep_deg >= 360.0f) {
    arc[1].point = arc->point;
  } else {
    const bool clockwise = (arc->link_flags & LINK_CLOCKWISE) != 0;
    const double start = point_angle(&arc->centre, &arc->point);
    const double end = start + (clockwise ? -1.0 : 1.0) * sweep_deg * DEGREE;
    arc[1].point = at_polar(arc->centre, arc->code, end);
  }
  arc_angles_from_points(arc);
  link_bounding_box(arc);
  return PAGE_VALUE_TAKEN;
}

int arc_page_set_centre(LinkRecord* arc, PointF centre) {
  const PointF delta = {centre.x - arc->centre.x, centre.y - arc->centre.y};
  arc->centre = centre;
  vec_add_assign(&arc->point, &delta);
  vec_add_assign(&arc[1].point, &delta);
  arc_angles_from_points(arc);
  link_bounding_box(arc);
  return PAGE_VALUE_TAKEN;
}

int arc_page_set_start_angle(LinkRecord* arc, float angle_deg) {
  arc->point = at_polar(arc->centre, arc->code, angle_deg * DEGREE);
  arc_angles_from_points(arc);
  link_bounding_box(arc);
  return PAGE_VALUE_TAKEN;
}
