// The item edit pages as dialog forms: one table of fields per page, read from the links at
// every pass, each typed value handed to the page's rule (item_page_rules.cpp).
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "editor/drawing_commands.h"
#include "editor/hover.h"
#include "editor/item_inspector.h"
#include "editor/item_pages.h"
#include "geometry/geometry2d.h"
#include "geometry/item_shapes.h"
#include "geometry/point_arrays.h"
#include "records/job_settings.h"
#include "store/catalogue.h"
#include "store/line_list.h"
#include "store/message_ids.h"
#include "store/picture_numbers.h"
#include "ui/dialog_form.h"
#include "ui/message_box.h"
#include "ui/settings_fields.h"
#include "ui/run_window.h"
#include "ui/text_window.h"

PageValues g_page;

namespace {

constexpr double DEGREES = 180.0 / 3.14159265358979323846;
constexpr int VALUE_WIDTH = 13;
constexpr int PRECISION = 9;
constexpr uint32_t COORDINATE_FLAGS = 0x1000000A;  // floats that may be negative
constexpr uint32_t SIZE_FLAGS = FIELD_FLOAT;
constexpr int PATTERN_KIND_COUNT = 7;
constexpr int PATTERN_KIND_WIDTH = 50;
constexpr int BUTTON_WIDTH = 23;

constexpr char CONFIRM_LOOSEN_TEXT[] =
    "There is a tangent link attached to this arc, so if you alter its radius, center point, "
    "or direction, the links that are tangent to it must change in some way.\n\nIs it OK to "
    "set these links to \vloose\x13 and later you can deal with this issue?\n\nIf you select "
    "\vNO\x13, the arc will remain unchanged. If you select \vYES\x13, this arc will be altered "
    "and set to non-tangent, and you can manually fix it later.";

const char* const PATTERN_KIND_NAMES[] = {"Single point", "Align rows", "Ragged right",
                                          "Reduce odd",   "Reduce even", "Circular",
                                          "Rectangle",    nullptr};
const char* const ARC_DIRECTION_NAMES[] = {"Clockwise", "Counter CW", nullptr};
const char* const NO_YES[] = {"No", "Yes", nullptr};

// LINK_TYPE, LINK_NUMBER and NODE_KIND are the rows an arc link's page shares with the link
// panel.
enum class Kind : uint8_t { NONE, COORDINATE, SIZE, ANGLE, COUNT, BUTTON, CHOICE, LINK_TYPE, LINK_NUMBER, NODE_KIND };

struct PageField {
  Kind kind = Kind::NONE;
  float* value = nullptr;     // COORDINATE, SIZE, ANGLE (degrees)
  int32_t* count = nullptr;   // COUNT
  uint8_t* choice = nullptr;  // CHOICE
  const char* const* names = nullptr;
  const char* letters = nullptr;  // the letter of each choice
  int picture = 0;                // a picture menu that offers the choices, one per cell
  int end = 0;                    // LINK_NUMBER, NODE_KIND: 1 the link's start node, 2 its end
};

// One page: how its values are read, which field each row is, and what a change does.
struct PageSpec {
  int message;
  void (*read)(DrawingItem* item);
  PageField (*field)(int row);
  int (*apply)(DrawingItem* item, int row);  // a PAGE_VALUE_* result
  const char* quick_fields;
  int quick_offset;
  int rows;  // the page's own rows; those after it are the machining rows
  bool link_rows = false;  // an arc link: the rows after it navigate between the links
};

const PageSpec* g_spec = nullptr;
bool g_layout_changed = false;  // the page closes to open again in its other layout
DrawingItem* g_item = nullptr;

PageField coordinate_value(float* v) { return {Kind::COORDINATE, v}; }
PageField size_value(float* v) { return {Kind::SIZE, v}; }
PageField angle_value(float* v) { return {Kind::ANGLE, v}; }
PageField count_value(int32_t* v) { return {Kind::COUNT, nullptr, v}; }

EventCode pass_over() { return g_field.last_ending_event == KEY_UP ? KEY_UP : KEY_DOWN; }

// The link of a polyline whose page is open.
LinkRecord* panel_link_record() {
  return item_nodes(g_panel.panel_item) + std::max<int>(0, g_panel.panel_link);
}

EventCode edit_field(const PageField& f) {
  switch (f.kind) {
    case Kind::COORDINATE:
    case Kind::ANGLE:
      return edit_value_field({f.value, 0}, COORDINATE_FLAGS | FIELD_MINUS, FIELD_OPTIONS_USUAL,
                              VALUE_WIDTH);
    case Kind::SIZE:
      return edit_value_field({f.value, 0}, SIZE_FLAGS | FIELD_MINUS, FIELD_OPTIONS_USUAL, VALUE_WIDTH);
    case Kind::COUNT:
      return edit_value_field({f.count, 0}, FIELD_LONG | FIELD_MINUS, FIELD_OPTIONS_USUAL, 6);
    case Kind::CHOICE: {
      uint8_t index = *f.choice;
      const EventCode r =
          f.picture != 0
              ? pick_list_field(nullptr, "Pattern", 0, 0, &index, PATTERN_KIND_WIDTH, f.letters,
                                f.picture, 1, PATTERN_KIND_COUNT)
              : cycle_list_field(f.letters, &index, 0, 12);
      if (r < 0) *f.choice = index;
      return r;
    }
    case Kind::BUTTON: {
      const EventCode e = read_field_event(BUTTON_WIDTH);
      return e == KEY_ENTER ? FIELD_CHANGED : e;
    }
    case Kind::LINK_TYPE: return edit_link_type_field(panel_link_record());
    case Kind::NODE_KIND: return edit_link_node_kind_field(f.end);
    default: return pass_over();
  }
}

void show_field(const PageField& f) {
  switch (f.kind) {
    case Kind::COORDINATE:
    case Kind::SIZE:
    case Kind::ANGLE: show_float_value(*f.value, VALUE_WIDTH, PRECISION); return;
    case Kind::COUNT: show_int_value(*f.count, 6); return;
    case Kind::CHOICE: show_choice_value(f.names, *f.choice, f.picture != 0 ? PATTERN_KIND_WIDTH : 12); return;
    case Kind::BUTTON: show_text_value("Define by 2 or 3 points", BUTTON_WIDTH); return;
    case Kind::LINK_TYPE: show_link_type_value(panel_link_record()); return;
    case Kind::LINK_NUMBER: show_int_value(g_panel.panel_link + f.end, 6); return;
    case Kind::NODE_KIND: show_node_kind_value(panel_link_record() + (f.end - 1)); return;
    default: show_text_value("", 1); return;
  }
}

EventCode edit_page_row(int row) {
  if (row >= g_spec->rows) return g_spec->link_rows ? link_panel_nav_rows() : edit_cam_rows(row - g_spec->rows);
  const PageField f = g_spec->field(row);
  if (f.kind == Kind::NONE) return pass_over();
  const EventCode result = edit_field(f);
  // A node kind made tangent runs the node editor, which leaves the item at the list's end.
  g_item = g_panel.panel_item;
  if (result >= 0 || g_item == nullptr || g_item->extra.empty()) return result;
  const int applied = g_spec->apply(g_item, row);
  if (applied != PAGE_VALUE_TAKEN) {
    g_spec->read(g_item);  // the field shows what the item holds
    if (static_cast<size_t>(row) < g_field.redraw.size()) g_field.redraw[row] = 1;
    return applied == PAGE_VALUE_REFUSED ? 0 : result;
  }
  return result;
}

void show_page() {
  begin_display_pass();
  for (int row = 0; row < g_spec->rows; ++row) show_field(g_spec->field(row));
  if (g_spec->link_rows) show_link_nav_rows(g_spec->rows);
  else show_cam_rows();
}

EventCode page_handler(const PageSpec& spec) {
  g_spec = &spec;
  g_item = g_panel.panel_item;
  if (g_item == nullptr || g_item->extra.empty()) return KEY_ESC;
  spec.read(g_item);
  EventCode result = edit_current_field(edit_page_row);
  const bool first = result == FORM_FIRST_PASS;
  if (!first) {
    if (result > 0) result = panel_event_filter(result);
    if (result == EVENT_LEFT_DOWN) result = panel_left_press(spec.quick_fields, spec.quick_offset);
    if (spec.link_rows && (result == KEY_PGUP || result == KEY_PGDN))
      result = panel_page_key(result);
    if (g_item == nullptr || g_item->extra.empty()) return end_field_handler(KEY_ESC);
    if (result < 0) {
      mark_job_changed();
      if (spec.link_rows && g_drawing_commands.update_symmetry_after_edit != nullptr)
        g_drawing_commands.update_symmetry_after_edit(g_item, g_panel.panel_link);
      item_bounding_boxes(g_item);
      redraw_panel_drawing();
      if (spec.link_rows) hilite_link(panel_link_record());
    }
    if (g_panel.relayout != 0) {
      g_layout_changed = true;
      if (g_windows.active != nullptr) g_panel.reopen_field = g_windows.active->cursor_row;
    }
    if (g_layout_changed) result = KEY_ESC;
    if (result != KEY_ESC) rebuild_panel_screen();
    spec.read(g_item);
  }
  show_every_field(show_page);
  if (spec.link_rows) show_panel_buttons(item_block(g_item));
  if (first && g_panel.display_only != 0) return end_field_handler(KEY_ESC);
  return end_field_handler(result);
}

// ---- circle ----

void read_circle(DrawingItem* item) {
  const LinkRecord* r = item_nodes(item);
  g_page.centre = r->centre;
  g_page.radius = r->code;
  g_page.diameter = 2 * r->code;
}

PageField circle_field(int row) {
  switch (row) {
    case 0: return coordinate_value(&g_page.centre.x);
    case 1: return coordinate_value(&g_page.centre.y);
    case 2: return size_value(&g_page.radius);
    case 3: return size_value(&g_page.diameter);
    case 5: return {Kind::BUTTON};
    default: return {};
  }
}

int apply_circle(DrawingItem* item, int row) {
  switch (row) {
    case 0: case 1: return circle_page_set_centre(item, g_page.centre);
    case 2: return circle_page_set_radius(item, g_page.radius);
    case 3: return circle_page_set_diameter(item, g_page.diameter);
    case 5: {
      for (PointF& p : g_page.circle_points) p = {0, 0};
      DrawingItem* kept = g_item;
      const PageSpec* spec = g_spec;
      const int accepted = run_dialog(MSG_FORM_CIRCLE_POINTS, circle_points_field);
      g_item = kept;
      g_spec = spec;
      if (accepted != 1) return PAGE_VALUE_UNCHANGED;
      return circle_page_from_points(item, g_page.circle_points);
    }
    default: return PAGE_VALUE_UNCHANGED;
  }
}

const PageSpec CIRCLE_PAGE = {MSG_FORM_CIRCLE_PAGE, read_circle, circle_field, apply_circle, "5", 7, 7};

EventCode edit_circle_point(int row) {
  if (row == 0) return ok_cancel_field();
  if (row > 6) return pass_over();
  PointF& p = g_page.circle_points[(row - 1) / 2];
  return edit_value_field({row % 2 == 1 ? &p.x : &p.y, 0}, COORDINATE_FLAGS | FIELD_MINUS,
                          FIELD_OPTIONS_USUAL, VALUE_WIDTH);
}

void show_circle_points() {
  begin_display_pass();
  skip_field_display();
  for (const PointF& p : g_page.circle_points) {
    show_float_value(p.x, VALUE_WIDTH, PRECISION);
    show_float_value(p.y, VALUE_WIDTH, PRECISION);
  }
  draw_ok_cancel();
}

// ---- ellipse ----

float g_rotation = 0;  // degrees

void read_ellipse(DrawingItem* item) {
  const LinkRecord* r = item_nodes(item);
  g_page.centre = r->centre;
  g_page.a = point_distance(&r->centre, &r[0].point);
  g_page.b = point_distance(&r->centre, &r[1].point);
  g_rotation = g_page.a == 0.0f ? 0.0f : static_cast<float>(point_angle(&r->centre, &r[1].point) * DEGREES);
}

PageField ellipse_field(int row) {
  switch (row) {
    case 0: return coordinate_value(&g_page.centre.x);
    case 1: return coordinate_value(&g_page.centre.y);
    case 2: return size_value(&g_page.a);
    case 3: return size_value(&g_page.b);
    case 4: return angle_value(&g_rotation);
    default: return {};
  }
}

int apply_ellipse(DrawingItem* item, int) {
  return ellipse_page_apply(item, g_page.centre, g_page.a, g_page.b, g_rotation);
}

const PageSpec ELLIPSE_PAGE = {MSG_FORM_ELLIPSE_PAGE, read_ellipse, ellipse_field, apply_ellipse, "", 6, 6};

// ---- point ----

float g_point_radius = 0, g_start_angle = 0, g_angle_step = 0;

void read_point(DrawingItem* item) {
  LinkRecord* r = item_nodes(item);
  LinkRecord* closing = point_array_closing(r);
  g_page.vertex = r->point;
  g_point_radius = point_code_radius(r->code);
  g_page.kind = closing != nullptr ? point_array_kind(closing) : 0;
  const int columns = closing != nullptr ? point_array_columns(closing) : 0;
  const int rows = closing != nullptr ? point_array_rows(closing) : 0;
  g_page.rows = rows;
  g_page.columns = columns;
  g_page.sides = columns | (rows << 8);  // the count of a circle of points
  g_page.spacing_x = r->centre.x;
  g_page.spacing_y = r->centre.y;
  g_page.radius = r->z;
  g_start_angle = static_cast<float>(r->start_angle * DEGREES);
  g_angle_step = static_cast<float>(r->sweep * DEGREES);
}

PageField point_field(int row) {
  const bool circle = g_page.kind == POINT_ARRAY_CIRCLE;
  const bool single = g_page.kind == POINT_ARRAY_NONE;
  switch (row) {
    case 0: return coordinate_value(&g_page.vertex.x);
    case 1: return coordinate_value(&g_page.vertex.y);
    case 3: return size_value(&g_point_radius);
    case 5:
      return {Kind::CHOICE, nullptr, nullptr, &g_page.kind, PATTERN_KIND_NAMES, "SAROECT",
              PICTURE_POINT_KIND_MENU};
    case 6: return single ? PageField{} : circle ? size_value(&g_page.radius) : count_value(&g_page.rows);
    case 7: return single ? PageField{} : circle ? angle_value(&g_start_angle) : count_value(&g_page.columns);
    case 8: return single ? PageField{} : circle ? angle_value(&g_angle_step) : size_value(&g_page.spacing_y);
    case 9: return single ? PageField{} : circle ? count_value(&g_page.sides) : size_value(&g_page.spacing_x);
    default: return {};
  }
}

int apply_point(DrawingItem* item, int row) {
  LinkRecord* r = item_nodes(item);
  const bool circle = g_page.kind == POINT_ARRAY_CIRCLE;
  int result = PAGE_VALUE_TAKEN;
  switch (row) {
    case 0: case 1: return point_page_set_position(item, g_page.vertex);
    case 3: return point_page_set_radius(item, g_point_radius);
    case 5: {
      const bool was_circle = point_array_kind(item_nodes(item) + 1) == POINT_ARRAY_CIRCLE;
      result = point_page_set_kind(item, g_page.kind);
      if (was_circle != (g_page.kind == POINT_ARRAY_CIRCLE)) g_layout_changed = true;
      std::fill(g_field.redraw.begin(), g_field.redraw.end(), 1);
      return result;
    }
    case 6:
      if (circle) r->z = g_page.radius;
      else result = point_page_set_rows(item, g_page.rows);
      break;
    case 7:
      if (circle) r->start_angle = static_cast<float>(g_start_angle / DEGREES);
      else result = point_page_set_columns(item, g_page.columns);
      break;
    case 8:
      if (circle) r->sweep = static_cast<float>(g_angle_step / DEGREES);
      else r->centre.y = g_page.spacing_y;
      break;
    case 9:
      if (circle) result = point_page_set_circle_count(item, g_page.sides);
      else r->centre.x = g_page.spacing_x;
      break;
    default: return PAGE_VALUE_UNCHANGED;
  }
  update_point_pattern_end(item_nodes(item));
  return result;
}

const PageSpec POINT_PAGE = {MSG_FORM_POINT_PAGE, read_point, point_field, apply_point, "5", 11, 11};

// ---- regular polygon ----

void read_polygon(DrawingItem* item) {
  const LinkRecord* r = item_nodes(item);
  const int n = item_link_count(item);
  const double h = 3.14159265358979323846 / n;
  g_page.sides = n;
  g_page.centre = r->centre;
  g_page.vertex = r->point;
  g_page.radius = point_distance(&r->centre, &r->point);
  g_page.inradius = static_cast<float>(g_page.radius * std::cos(h));
  g_page.side = static_cast<float>(2 * g_page.radius * std::sin(h));
  g_page.angle = g_page.radius == 0.0f ? 0.0f
                                       : static_cast<float>(point_angle(&r->centre, &r->point) * DEGREES);
}

PageField polygon_field(int row) {
  switch (row) {
    case 0: return count_value(&g_page.sides);
    case 1: return coordinate_value(&g_page.centre.x);
    case 2: return coordinate_value(&g_page.centre.y);
    case 3: return coordinate_value(&g_page.vertex.x);
    case 4: return coordinate_value(&g_page.vertex.y);
    case 5: return size_value(&g_page.radius);
    case 6: return size_value(&g_page.inradius);
    case 7: return size_value(&g_page.side);
    case 8: return angle_value(&g_page.angle);
    default: return {};
  }
}

int apply_polygon(DrawingItem* item, int row) {
  LinkRecord* r = item_nodes(item);
  switch (row) {
    case 0: return polygon_page_set_sides(item, g_page.sides);
    case 1: case 2: {
      const float radius = point_distance(&r->centre, &r->point);
      const double turn = point_angle(&r->centre, &r->point);
      r->centre = g_page.centre;
      place_polygon_nodes(r, r, radius, turn, item_link_count(item));
      return PAGE_VALUE_TAKEN;
    }
    case 3: case 4: {
      r->point = g_page.vertex;
      const float radius = point_distance(&r->centre, &r->point);
      if (!(radius > 0.0f)) return PAGE_VALUE_REFUSED;
      place_polygon_nodes(r, r, radius, point_angle(&r->centre, &r->point), item_link_count(item));
      return PAGE_VALUE_TAKEN;
    }
    case 5: return polygon_page_set_size(item, 0, g_page.radius);
    case 6: return polygon_page_set_size(item, 1, g_page.inradius);
    case 7: return polygon_page_set_size(item, 2, g_page.side);
    case 8: return polygon_page_set_rotation(item, g_page.angle);
    default: return PAGE_VALUE_UNCHANGED;
  }
}

const PageSpec POLYGON_PAGE = {MSG_FORM_POLYGON_PAGE, read_polygon, polygon_field, apply_polygon, "", 10, 10};

// ---- rectangle ----


void read_rectangle(DrawingItem* item) {
  LinkRecord* r = item_nodes(item);
  const bool bent = rectangle_is_bent(item);
  RectangleSizes s;
  s.slant = g_page.slant;
  rectangle_dimensions(r, &s);
  // A bent rectangle's position is the centre of its arcs, which is what a typed value moves.
  g_page.corner = bent ? r->centre : r->point;
  g_page.width = s.width;
  g_page.length = bent ? static_cast<float>(r->sweep * DEGREES) : s.length;
  g_page.angle = static_cast<float>(s.angle * DEGREES);
  g_page.slant = bent ? 0.0f : static_cast<float>(s.slant * DEGREES);
  g_page.radius = bent ? r->code : 0.0f;
  g_page.radius2 = bent && code_is_arc(r[2].code) ? r[2].code : 0.0f;
}

PageField rectangle_field(int row) {
  const bool bent = rectangle_is_bent(g_item);
  switch (row) {
    case 0: return coordinate_value(&g_page.corner.x);
    case 1: return coordinate_value(&g_page.corner.y);
    case 2: return size_value(&g_page.width);
    case 3: return bent ? PageField{} : size_value(&g_page.length);
    case 4: return angle_value(&g_page.angle);
    case 5: return bent ? PageField{} : angle_value(&g_page.slant);
    case 6: return bent ? size_value(&g_page.radius) : PageField{};
    case 7: return size_value(bent ? &g_page.radius2 : &g_page.radius);
    default: return {};
  }
}

int apply_rectangle(DrawingItem* item, int row) {
  const bool bent = rectangle_is_bent(item);
  int result = PAGE_VALUE_UNCHANGED;
  switch (row) {
    case 0: case 1: return rectangle_page_set_position(item, g_page.corner);
    case 2: return rectangle_page_set_width(item, g_page.width);
    case 3: return rectangle_page_set_length(item, g_page.length);
    case 4: return rectangle_page_set_angle(item, g_page.angle);
    case 5: return rectangle_page_set_slant(item, g_page.slant);
    case 6: result = rectangle_page_set_bend(item, g_page.radius); break;
    case 7:
      if (!bent) {
        result = rectangle_page_set_bend(item, g_page.radius);
      } else {
        // The inner arc's radius: the band's width follows.
        const float r0 = item_nodes(item)->code;
        result = rectangle_page_set_width(item, std::fabs(r0 - g_page.radius2));
      }
      break;
    default: return PAGE_VALUE_UNCHANGED;
  }
  if (rectangle_is_bent(item) != bent) g_layout_changed = true;
  return result;
}

const PageSpec RECTANGLE_PAGE = {MSG_FORM_RECTANGLE_PAGE, read_rectangle, rectangle_field,
                                 apply_rectangle, "", 9, 9};

// ---- rounded rectangle ----

uint8_t g_looped = 0;

void read_rounded(DrawingItem* item) {
  LinkRecord* r = item_nodes(item);
  RoundedRectSizes s;
  rounded_rect_dimensions(r, &s);
  if (intersect_lines(r + 1, r + 7) > 0) g_page.corner = g_geometry2d.intersection.first;
  midpoint(&r[0].centre, &r[4].centre, &g_page.centre);
  g_page.width = s.width;
  g_page.length = s.length;
  g_page.radius = s.radius;
  g_page.angle = static_cast<float>(s.angle * DEGREES);
  g_looped = (r[0].node_flags & NODE_KIND_OTHER) != 0 ? 1 : 0;
}

PageField rounded_field(int row) {
  switch (row) {
    case 0: return coordinate_value(&g_page.corner.x);
    case 1: return coordinate_value(&g_page.corner.y);
    case 2: return size_value(&g_page.width);
    case 3: return size_value(&g_page.length);
    case 4: return angle_value(&g_page.angle);
    case 5: return size_value(&g_page.radius);
    case 7: return coordinate_value(&g_page.centre.x);
    case 8: return coordinate_value(&g_page.centre.y);
    case 10: return {Kind::CHOICE, nullptr, nullptr, &g_looped, NO_YES, "NY"};
    default: return {};
  }
}

int apply_rounded(DrawingItem* item, int row) {
  LinkRecord* r = item_nodes(item);
  switch (row) {
    case 0: case 1: {
      PointF corner{};
      if (intersect_lines(r + 1, r + 7) > 0) corner = g_geometry2d.intersection.first;
      const PointF delta = {g_page.corner.x - corner.x, g_page.corner.y - corner.y};
      translate_item(item, &delta);
      g_page.corner_typed = 1;
      return PAGE_VALUE_TAKEN;
    }
    case 2: return rounded_rect_page_set_width(item, g_page.width);
    case 3: return rounded_rect_page_set_length(item, g_page.length);
    case 4: return rounded_rect_page_set_angle(item, g_page.angle);
    case 5: return rounded_rect_page_set_radius(item, g_page.radius);
    case 7: case 8: {
      PointF centre;
      midpoint(&r[0].centre, &r[4].centre, &centre);
      const PointF delta = {g_page.centre.x - centre.x, g_page.centre.y - centre.y};
      translate_item(item, &delta);
      g_page.corner_typed = 0;
      return PAGE_VALUE_TAKEN;
    }
    case 10: {
      if ((g_looped != 0) == ((r[0].node_flags & NODE_KIND_OTHER) != 0)) return PAGE_VALUE_UNCHANGED;
      r[0].link_flags ^= LINK_CLOCKWISE;
      const uint8_t kind = g_looped != 0 ? NODE_KIND_OTHER : NODE_TANGENT;
      RoundedRectSizes s;
      rounded_rect_dimensions(r, &s);
      PointF corner{};
      if (intersect_lines(r + 1, r + 7) > 0) corner = g_geometry2d.intersection.first;
      build_rounded_rect(item, corner, s.width, s.length, s.radius, 0.0, kind);
      return PAGE_VALUE_TAKEN;
    }
    default: return PAGE_VALUE_UNCHANGED;
  }
}

const PageSpec ROUNDED_PAGE = {MSG_FORM_ROUNDED_RECT_PAGE, read_rounded, rounded_field, apply_rounded,
                               "", 12, 12};

// ---- slot ----

void read_slot(DrawingItem* item) {
  const LinkRecord* r = item_nodes(item);
  g_page.centre = r[1].centre;
  g_page.second_centre = r[3].centre;
  g_page.radius = r[1].code;
  g_page.distance = point_distance(&r[1].centre, &r[3].centre);
  g_page.angle = g_page.distance == 0.0f
                     ? 0.0f
                     : static_cast<float>(point_angle(&r[1].centre, &r[3].centre) * DEGREES);
}

PageField slot_field(int row) {
  switch (row) {
    case 0: return coordinate_value(&g_page.centre.x);
    case 1: return coordinate_value(&g_page.centre.y);
    case 2: return coordinate_value(&g_page.second_centre.x);
    case 3: return coordinate_value(&g_page.second_centre.y);
    case 4: return size_value(&g_page.radius);
    case 5: return angle_value(&g_page.angle);
    case 6: return size_value(&g_page.distance);
    default: return {};
  }
}

int apply_slot(DrawingItem* item, int row) {
  switch (row) {
    case 0: case 1: case 2: case 3:
      return slot_page_set_centres(item, g_page.centre, g_page.second_centre);
    case 4: return slot_page_set_radius(item, g_page.radius);
    case 5: return slot_page_set_angle(item, g_page.angle);
    case 6: return slot_page_set_distance(item, g_page.distance);
    default: return PAGE_VALUE_UNCHANGED;
  }
}

const PageSpec SLOT_PAGE = {MSG_FORM_SLOT_PAGE, read_slot, slot_field, apply_slot, "", 8, 8};

// ---- the arc link of a polyline ----

float g_sweep = 0;
uint8_t g_direction = 0;

void read_arc(DrawingItem*) {
  const LinkRecord* r = panel_link_record();
  g_page.vertex = r->point;
  g_page.second_centre = r[1].point;
  g_page.radius = r->code;
  g_page.centre = r->centre;
  g_direction = (r->link_flags & LINK_CLOCKWISE) != 0 ? 0 : 1;
  g_page.angle = static_cast<float>(point_angle(&r->centre, &r->point) * DEGREES);
  g_sweep = static_cast<float>(r->sweep * DEGREES);
}

PageField arc_field(int row) {
  PageField f;
  switch (row) {
    case 0: f.kind = Kind::LINK_TYPE; return f;
    case 1: case 12:
      f.kind = Kind::LINK_NUMBER;
      f.end = row == 1 ? 1 : 2;
      return f;
    case 2: case 13:
      f.kind = Kind::NODE_KIND;
      f.end = row == 2 ? 1 : 2;
      return f;
    case 3: return coordinate_value(&g_page.vertex.x);
    case 4: return coordinate_value(&g_page.vertex.y);
    case 5: return size_value(&g_page.radius);
    case 6: return coordinate_value(&g_page.centre.x);
    case 7: return coordinate_value(&g_page.centre.y);
    case 8: return {Kind::CHOICE, nullptr, nullptr, &g_direction, ARC_DIRECTION_NAMES, "CA"};
    case 9: return angle_value(&g_page.angle);
    case 10: return angle_value(&g_sweep);
    case 14: return coordinate_value(&g_page.second_centre.x);
    case 15: return coordinate_value(&g_page.second_centre.y);
    default: return {};
  }
}

// An arc whose nodes keep tangent links asks before it changes: its neighbours become loose.
bool confirm_loosen_tangents(LinkRecord* arc) {
  const bool start_tangent = arc != item_nodes(g_item) && (arc->node_flags & NODE_TANGENT_MASK) != 0;
  const bool end_tangent = (arc[1].node_flags & NODE_CLOSING) == 0 &&
                           (arc[1].node_flags & NODE_TANGENT_MASK) != 0;
  if (!start_tangent && !end_tangent) return true;
  if (ask_yes_no(CONFIRM_LOOSEN_TEXT, 0) != 1) return false;
  if (start_tangent) arc->node_flags = NODE_LOOSE;
  if (end_tangent) arc[1].node_flags = NODE_LOOSE;
  return true;
}

int apply_arc(DrawingItem*, int row) {
  LinkRecord* r = panel_link_record();
  switch (row) {
    case 3: case 4:
      r->point = g_page.vertex;
      rederive_arc(r);
      keep_closing_node_in_sync();
      return PAGE_VALUE_TAKEN;
    case 14: case 15:
      r[1].point = g_page.second_centre;
      rederive_arc(r);
      keep_closing_node_in_sync();
      return PAGE_VALUE_TAKEN;
    case 5:
      if (!confirm_loosen_tangents(r)) return PAGE_VALUE_UNCHANGED;
      return arc_page_set_radius(r, g_page.radius);
    case 6: case 7:
      if (!confirm_loosen_tangents(r)) return PAGE_VALUE_UNCHANGED;
      return arc_page_set_centre(r, g_page.centre);
    case 8: {
      const bool clockwise = g_direction == 0;
      if (clockwise == ((r->link_flags & LINK_CLOCKWISE) != 0)) return PAGE_VALUE_UNCHANGED;
      if (!confirm_loosen_tangents(r)) return PAGE_VALUE_UNCHANGED;
      r->link_flags ^= LINK_CLOCKWISE;
      arc_angles_from_points(r);
      return PAGE_VALUE_TAKEN;
    }
    case 9: return arc_page_set_start_angle(r, g_page.angle);
    case 10: return arc_page_set_sweep(r, g_sweep);
    case 2: case 13: return PAGE_VALUE_TAKEN;  // the node kind was set by its field
    default: return PAGE_VALUE_UNCHANGED;
  }
}

const PageSpec ARC_PAGE = {MSG_FORM_ARC_PAGE, read_arc, arc_field, apply_arc, "028=ABCDF", 0, 16, true};

}  // namespace

EventCode circle_page_field() { return page_handler(CIRCLE_PAGE); }
EventCode ellipse_page_field() { return page_handler(ELLIPSE_PAGE); }
EventCode point_page_field() { return page_handler(POINT_PAGE); }
EventCode polygon_page_field() { return page_handler(POLYGON_PAGE); }
EventCode rectangle_page_field() { return page_handler(RECTANGLE_PAGE); }
EventCode rounded_rect_page_field() { return page_handler(ROUNDED_PAGE); }
EventCode slot_page_field() { return page_handler(SLOT_PAGE); }

EventCode circle_points_field() {
  EventCode result = edit_current_field(edit_circle_point);
  if (result == FORM_FIRST_PASS)
    show_help_text_line("The values you enter here will not be saved;\nthey will be used only to "
                        "determine the circle center and radius.");
  if (result == WINDOW_ACCEPT) {
    LinkRecord circle{};
    if (circle_through3_points(&g_page.circle_points[0], &g_page.circle_points[1],
                               &g_page.circle_points[2], &circle) == CIRCLE3_FAILED)
      result = KEY_ESC;
  }
  show_every_field(show_circle_points);
  return end_field_handler(result);
}

EventCode arc_page_field() {
  // The link rows of the arc page are the link panel's: type, node kinds, navigation.
  return page_handler(ARC_PAGE);
}

namespace {

// The machining rows follow a page's own rows (an arc link's page has none).
int run_page_dialog(int message, WindowKeyFilter handler, int own_rows) {
  place_next_panel(message);
  if (own_rows > 0) place_cam_rows(own_rows);
  const PanelClickGuard buttons;
  return run_dialog(message, handler);
}

// The page of an item type and the form it is laid out by; null for a type without one.
const PageSpec* page_of(DrawingItem* item, int* form, WindowKeyFilter* handler) {
  switch (item_type(item)) {
    case ITEM_CIRCLE: *form = MSG_FORM_CIRCLE_PAGE; *handler = circle_page_field; return &CIRCLE_PAGE;
    case ITEM_ELLIPSE: *form = MSG_FORM_ELLIPSE_PAGE; *handler = ellipse_page_field; return &ELLIPSE_PAGE;
    case ITEM_POINT: {
      const LinkRecord* closing = point_array_closing(item_nodes(item));
      const bool circle = closing != nullptr && point_array_kind(closing) == POINT_ARRAY_CIRCLE;
      *form = circle ? MSG_FORM_POINT_CIRCLE_PAGE : MSG_FORM_POINT_PAGE;
      *handler = point_page_field;
      return &POINT_PAGE;
    }
    case ITEM_POLYGON: *form = MSG_FORM_POLYGON_PAGE; *handler = polygon_page_field; return &POLYGON_PAGE;
    case ITEM_RECTANGLE:
      *form = rectangle_is_bent(item) ? MSG_FORM_BENT_RECTANGLE_PAGE : MSG_FORM_RECTANGLE_PAGE;
      *handler = rectangle_page_field;
      return &RECTANGLE_PAGE;
    case ITEM_SLOT: *form = MSG_FORM_SLOT_PAGE; *handler = slot_page_field; return &SLOT_PAGE;
    case ITEM_ROUNDED_RECTANGLE:
      *form = MSG_FORM_ROUNDED_RECT_PAGE;
      *handler = rounded_rect_page_field;
      return &ROUNDED_PAGE;
    default: return nullptr;
  }
}

}  // namespace

bool run_item_page(DrawingItem* item) {
  g_panel.panel_item = item;
  g_page.corner_typed = 0;
  int form = 0;
  WindowKeyFilter handler = nullptr;
  if (page_of(item, &form, &handler) == nullptr) return false;
  // A page whose layout changed (a point pattern made circular, a rectangle bent, another
  // operation with other machining rows) opens again in its new layout, on the row it was left.
  g_panel.reopen_field = 0;
  do {
    g_layout_changed = false;
    g_panel.relayout = 0;
    const PageSpec* spec = page_of(g_panel.panel_item, &form, &handler);
    if (spec == nullptr) break;
    if (g_panel.reopen_field != 0) g_field.initial_field = g_panel.reopen_field;
    g_panel.reopen_field = 0;
    run_page_dialog(form, handler, spec->rows);
  } while (g_layout_changed && g_panel.panel_item != nullptr && !g_panel.panel_item->extra.empty());
  g_panel.relayout = 0;
  return true;
}

void reset_item_pages() {
  g_page = PageValues{};
  g_spec = nullptr;
  g_item = nullptr;
}
