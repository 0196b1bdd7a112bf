#include "commands/shape_forms.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <vector>

#include "cam/cam_defaults.h"
#include "commands/create_by_mouse.h"
#include "commands/node_creation.h"
#include "commands/shape_solvers.h"
#include "commands/transform_form.h"
#include "commands/value_form.h"
#include "editor/canvas_cursor.h"
#include "editor/page_redraw.h"
#include "geometry/layers.h"
#include "ui/layer_list.h"
#include "editor/draw_style.h"
#include "editor/drawing_commands.h"
#include "editor/drawing_page_state.h"
#include "editor/edit_session.h"
#include "editor/hover.h"
#include "editor/hover_state.h"
#include "editor/page_furniture.h"
#include "editor/render.h"
#include "editor/undo_store.h"
#include "editor/view_state.h"
#include "geometry/item_edit_state.h"
#include "geometry/polyline_ends.h"
#include "records/job_settings.h"
#include "records/preferences.h"
#include "screen/controls.h"
#include "screen/display_mode.h"
#include "screen/screen_attributes.h"
#include "screen/event_queue.h"
#include "screen/pointer.h"
#include "store/line_list.h"
#include "ui/entry_line.h"
#include "ui/field_flags.h"

namespace {

constexpr double DEGREES = 57.29577951308232;
constexpr double RADIANS = 0.017453292519943295;
constexpr int FIELD_COLUMN = -11;
constexpr int FIELD_WIDTH = 9;
constexpr int LABEL_LAST_COLUMN = -13;
constexpr int LEAVE_ESC = 27;
constexpr int LEAVE_CLICK = 698;
constexpr uint8_t POINT_CUT_TYPE = 1;
constexpr char COLOUR_ENTERED = 0x13;
constexpr char COLOUR_COMPUTED = 0x0E;
constexpr uint16_t FIELD_EXITS = EXIT_UP | EXIT_DOWN | EXIT_PAGE_KEYS;

struct FieldSpec {
  int index;           // control index = id
  const char* label;   // null: the Y of the point before it ("Y only:")
  int8_t kind;         // ValueFieldKind
  int row;
};

struct FormSpec {
  int code;
  const char* name;
  uint8_t kind;
  uint8_t item_type;
  int layer_field;
  int layer_row;
  int (*solve)(int);
  std::vector<FieldSpec> fields;
  int help_row = 0;
  const char* zoom_name = "";
};

const std::vector<FormSpec>& form_specs() {
  static const std::vector<FormSpec> specs = {
      {141, "CIRCLE", FORM_LINK, ITEM_CIRCLE, CIRCLE_LAYER, 22, solve_circle,
       {{2, "Center:", FIELD_POINT, 7}, {3, nullptr, FIELD_Y_ONLY, 8},
        {4, "Radius:", FIELD_LENGTH, 10}, {5, "Diameter:", FIELD_DIAMETER, 11},
        {6, "1st pt:", FIELD_POINT, 13}, {7, nullptr, FIELD_Y_ONLY, 14},
        {8, "2nd pt:", FIELD_POINT, 16}, {9, nullptr, FIELD_Y_ONLY, 17},
        {10, "3rd pt:", FIELD_POINT, 19}, {11, nullptr, FIELD_Y_ONLY, 20}},
       26, "Circle"},
      {140, "ARC", FORM_LINK, ITEM_POLYLINE, ARC_LAYER, 27, solve_arc,
       {{2, "Start:", FIELD_POINT, 7}, {3, nullptr, FIELD_Y_ONLY, 8},
        {5, "End point:", FIELD_POINT, 11}, {6, nullptr, FIELD_Y_ONLY, 12},
        {8, "Center:", FIELD_POINT, 15}, {9, nullptr, FIELD_Y_ONLY, 16},
        {10, "2nd pt:", FIELD_POINT, 18}, {11, nullptr, FIELD_Y_ONLY, 19},
        {12, "Radius:", FIELD_LENGTH, 21}, {13, "Sweep:", FIELD_SWEEP, 23},
        {14, "Angle:", FIELD_ANGLE, 25}},
       31, "Arc"},
      {147, "SLOT", FORM_WORKING_ITEM, ITEM_SLOT, SLOT_LAYER, 24, solve_slot,
       {{2, "Center #1:", FIELD_POINT, 7}, {3, nullptr, FIELD_Y_ONLY, 8},
        {4, "Center #2:", FIELD_POINT, 10}, {5, nullptr, FIELD_Y_ONLY, 11},
        {6, "Radius:", FIELD_LENGTH, 13}, {7, "Diameter:", FIELD_DIAMETER, 14},
        {8, "Length:", FIELD_LENGTH, 16}, {9, "Angle:", FIELD_ANGLE, 18},
        {10, "Point:", FIELD_POINT, 21}, {11, nullptr, FIELD_Y_ONLY, 22}},
       29, "Slot"},
      {146, "RECTANGLE", FORM_WORKING_ITEM, ITEM_RECTANGLE, RECT_LAYER, 25, solve_rectangle,
       {{2, "Upper left, X:", FIELD_POINT, 9}, {3, nullptr, FIELD_Y_ONLY, 10},
        {4, "Center, X:", FIELD_POINT, 12}, {5, nullptr, FIELD_Y_ONLY, 13},
        {6, "Height:", FIELD_LENGTH, 15}, {7, "Length:", FIELD_LENGTH, 17},
        {8, "Rotation:", FIELD_ANGLE, 19}, {9, "Slant:", FIELD_ANGLE, 21}},
       31, "Rectangle"},
      {145, "POLYGON", FORM_WORKING_ITEM, ITEM_POLYGON, POLYGON_LAYER, 25, solve_polygon,
       {{2, "Center:", FIELD_POINT, 7}, {3, nullptr, FIELD_Y_ONLY, 8},
        {4, "Start node:", FIELD_POINT, 10}, {5, nullptr, FIELD_Y_ONLY, 11},
        {6, "Outside:", FIELD_LENGTH, 14}, {7, "Inside:", FIELD_LENGTH, 15},
        {9, "Rotation:", FIELD_ANGLE, 20}, {10, "Length of sides:", FIELD_LENGTH, 23}},
       27, "Polygon"},
      {144, "POINT", FORM_LINK, ITEM_POINT, POINT_LAYER, 11, solve_point,
       {{2, "Center:", FIELD_POINT, 7}, {3, nullptr, FIELD_Y_ONLY, 9}},
       15, "Point"},
      {142, "ELLIPSE", FORM_LINK, ITEM_ELLIPSE, ELLIPSE_LAYER, 16, solve_ellipse,
       {{2, "Center:", FIELD_POINT, 7}, {3, nullptr, FIELD_Y_ONLY, 8},
        {4, "Y radius:", FIELD_LENGTH, 10}, {5, "X radius:", FIELD_LENGTH, 12},
        {6, "Rotation:", FIELD_ANGLE, 14}},
       20, "Ellipse"},
      {150, "ROUNDED RECTANGLE", FORM_WORKING_ITEM, ITEM_ROUNDED_RECTANGLE, RECT_LAYER, 25,
       solve_rounded_rectangle,
       {{2, "Upper left, X:", FIELD_POINT, 9}, {3, nullptr, FIELD_Y_ONLY, 10},
        {4, "Center, X:", FIELD_POINT, 12}, {5, nullptr, FIELD_Y_ONLY, 13},
        {6, "Height:", FIELD_LENGTH, 15}, {7, "Length:", FIELD_LENGTH, 17},
        {8, "Rotation:", FIELD_ANGLE, 19}, {9, "Radius:", FIELD_LENGTH, 21}},
       31, "Rectangle"},
  };
  return specs;
}

const FormSpec* find_spec(int code) {
  for (const FormSpec& s : form_specs())
    if (s.code == code) return &s;
  return nullptr;
}

// The POLYGON form's side-count label: a click on an item takes its link count.
constexpr int8_t KIND_SIDES = -6;
constexpr char SIDES_TEXT[] =
    "Enter the number of sides for this polygon via the keyboard.\nThe minimum is 3 sides.";
constexpr char SIDES_LABEL_TEXT[] =
    "Click on the item that has the number of sides or\nthe number of links you want this polygon "
    "to have.";
constexpr char SWEEP_LABEL_TEXT[] = "\nClick on the arc that has the sweep you want.";

int polygon_form_side_count() {
  const int n = g_polygon_form_sides > 0 ? g_polygon_form_sides : g_preferences.polygon_sides;
  return std::clamp(n, 3, 500);
}

bool is_angle(int8_t kind) { return kind == FIELD_ANGLE || kind == FIELD_SWEEP; }

struct FormRun {
  const FormSpec* spec = nullptr;
  std::vector<ScreenControl> table;
  DrawingItem* working = nullptr;  // kind-0 forms: the item being shaped at the tail
  int current = -1;                // index into spec->fields of the field being edited
  int selected_label = -1;         // field id of the selected label (the layer field for
                                   // "Layer:"), -1 none
  int8_t selected_kind = FIELD_POINT;  // ValueFieldKind of the selected label, or KIND_SIDES
};

// The run of the open form, for its recompute wrapper and redraw hook.
FormRun* g_run = nullptr;

ScreenControl* control_of(FormRun& run, int id) {
  for (ScreenControl& c : run.table)
    if (c.flags != CF_END && (c.flags & CF_ENTRY) != 0 && c.id == id) return &c;
  return nullptr;
}

void format_field(FormRun& run, const FieldSpec& f) {
  ScreenControl* c = control_of(run, f.index);
  if (c == nullptr) return;
  const float* v = shape_field_variable(run.spec->code, f.index);
  if (v == nullptr) return;
  const uint8_t mark = g_value_form.entered[f.index];
  if (mark == FIELD_EMPTY && form_complete() != 1) {
    c->caption[0] = 0;
    return;
  }
  const double shown = is_angle(f.kind) ? *v * DEGREES : *v;
  std::snprintf(c->caption, sizeof c->caption, "%c%.4g", mark ? COLOUR_ENTERED : COLOUR_COMPUTED,
                shown);
}

void redraw_form(FormRun& run) {
  for (const FieldSpec& f : run.spec->fields) format_field(run, f);
  if (ScreenControl* c = control_of(run, POLYGON_SIDES); c != nullptr && run.spec->code == 145)
    std::snprintf(c->caption, sizeof c->caption, "%3d",
                  run.working != nullptr ? item_link_count(run.working) : 0);
  draw_controls(run.table.data(), 0);
  update_zoom_to_shape_button();
}

void build_table(FormRun& run) {
  const FormSpec& s = *run.spec;
  std::vector<ScreenControl>& t = run.table;
  t.push_back(make_control("OK", VALUE_ID_OK, 5, -16, 1, 4, 0, 0));
  t.push_back(make_control("Cancel", VALUE_ID_CANCEL, 5, -10, 1, 8, 0, 0));
  for (const FieldSpec& f : s.fields) {
    t.push_back(make_control("", static_cast<uint8_t>(f.index), f.row, FIELD_COLUMN, 1,
                             FIELD_WIDTH, f.kind == FIELD_POINT ? 97 : f.kind == FIELD_Y_ONLY ? 98 : 46,
                             CF_ENTRY));
    const char* label = f.label != nullptr ? f.label : "Y only:";
    const int len = static_cast<int>(std::strlen(label));
    t.push_back(make_control(label, static_cast<uint8_t>(f.index + VALUE_LABEL_OFFSET), f.row,
                             LABEL_LAST_COLUMN - len + 1, 1, len,
                             f.kind == FIELD_POINT ? 43 : f.kind == FIELD_Y_ONLY ? 44 : 49,
                             CF_FRAMED_LABEL));
  }
  if (s.code == 145) {
    // The side count: its own three-cell editor, its label on the two rows above the field.
    char sides[8];
    std::snprintf(sides, sizeof sides, "%3d", polygon_form_side_count());
    t.push_back(make_control(sides, POLYGON_SIDES, 18, FIELD_COLUMN, 1, 3, 46, CF_ENTRY));
    t.push_back(make_control("Number\nof sides:", POLYGON_SIDES + VALUE_LABEL_OFFSET, 17,
                             LABEL_LAST_COLUMN - 9 + 1, 2, 9, 49, CF_FRAMED_LABEL));
  }
  char layer[8];
  std::snprintf(layer, sizeof layer, "%3d", g_value_form.layer);
  t.push_back(make_control(layer, static_cast<uint8_t>(s.layer_field), s.layer_row, FIELD_COLUMN,
                           1, 3, 47, CF_ENTRY));
  t.push_back(make_control("Layer:", static_cast<uint8_t>(s.layer_field + VALUE_LABEL_OFFSET),
                           s.layer_row, -18, 1, 6, 45, CF_FRAMED_LABEL));
  t.push_back(make_control("\x08:", VALUE_ID_SWATCH, s.layer_row, -7, 1, 2, 48, 0));
  if (s.code == 140) {
    ScreenControl box = make_control("\016Clockwise", ARC_CLOCKWISE, 29, -16, 1, 12, 52,
                                     CF_CHECKBOX);
    if ((g_value_form.link.link.link_flags & LINK_CLOCKWISE) != 0) box.flags |= CF_CHECKED;
    t.push_back(box);
  }
  if (s.code == 150) {
    ScreenControl box = make_control("\013Inverted arcs", ROUNDED_INVERTED, 28, -16, 1, 16, 52,
                                     CF_CHECKBOX);
    if (g_rounded_inverted != 0) box.flags |= CF_CHECKED;
    t.push_back(box);
  }
  append_form_header(&t, s.zoom_name, s.help_row);
  t.push_back(end_control());
}

// The side count the next polygon working item is made with.
int g_polygon_working_sides = 6;

// The working item of a kind-0 form, made at the tail before the first display.
DrawingItem* make_working_item(const FormSpec& s) {
  const float px = 1.0f / (g_view.scale_x > 0.0f ? g_view.scale_x : 1.0f);
  int links = 4;
  if (s.item_type == ITEM_ROUNDED_RECTANGLE) links = 8;
  if (s.item_type == ITEM_POLYGON) {
    links = g_polygon_working_sides;
  }
  if (new_geometry_block("", nullptr, s.item_type == ITEM_SLOT ? 1 : links, g_value_form.layer,
                         g_job_settings.new_items_machined != 0 ? GEOMETRY_KIND_MACHINABLE
                                                                : GEOMETRY_KIND_DRAWING_AID) != 0)
    return nullptr;
  DrawingItem* item = g_lists.current.last;
  set_item_type(item, s.item_type);
  LinkRecord* r = item_nodes(item);
  const PointF origin = {0.0f, 0.0f};
  switch (s.item_type) {
    case ITEM_RECTANGLE: build_rectangle_links(item, &origin, 4 * px, 8 * px); break;
    case ITEM_SLOT: {
      r[1].point = {8 * px, 0.0f};
      if (copy_item_with_extra_links(item, 3) != 0) {
        delete_line_or_last(item);
        return nullptr;
      }
      delete_line_or_last(item);
      item = g_lists.current.last;
      build_slot_from_line(item, 4 * px);
      g_value_form.link.link.code = 4 * px;
      break;
    }
    case ITEM_POLYGON:
      for (int i = 0; i < links; ++i) r[i].code = LINK_RIGID_LINE;
      set_new_polygon_node_flags(r, links);
      place_polygon_nodes(r, r, 4 * px, 0.0, links);
      break;
    default:
      r[0].node_flags = NODE_FIRST | NODE_TANGENT;
      for (int i = 1; i < links; ++i) r[i].node_flags = NODE_TANGENT;
      r[links].node_flags = NODE_CLOSING;
      break;
  }
  item_bounding_boxes(item);
  return item;
}

void drop_working_item(FormRun& run) {
  if (run.working != nullptr && run.working == g_lists.current.last) {
    draw_item_in_colour(run.working, COLOUR_ERASE);
    delete_line_or_last(run.working);
  }
  run.working = nullptr;
}

// The item the form made: numbered, machined by the job's defaults, given an ID and an undo step.
void create_item(FormRun& run) {
  const FormSpec& s = *run.spec;
  ValueForm& f = g_value_form;
  DrawingItem* item = nullptr;
  if (s.kind == FORM_LINK) {
    const uint8_t cam = g_job_settings.new_items_machined != 0 ? GEOMETRY_KIND_MACHINABLE
                                                               : GEOMETRY_KIND_DRAWING_AID;
    LinkRecord records[2] = {f.link.link, f.link.closing};
    records[0].node_flags = NODE_FIRST;
    records[1].node_flags = NODE_CLOSING;
    if (s.item_type == ITEM_CIRCLE) records[0].node_flags |= NODE_LOOSE;
    if (new_geometry_block("", records, 1, f.layer, cam) != 0) return;
    item = g_lists.current.last;
    LinkRecord* r = item_nodes(item);
    r[0].node_number = ++g_item_edit.node_counter;
    r[1].node_number = ++g_item_edit.node_counter;
    link_bounding_box(r);
  } else {
    item = run.working;
    run.working = nullptr;
    if (item == nullptr) return;
    item_block(item)->layer = f.layer;
    if (s.item_type == ITEM_POLYGON || s.item_type == ITEM_ROUNDED_RECTANGLE) {
      renumber_nodes(item, g_item_edit.node_counter + 1);
      g_item_edit.node_counter =
          static_cast<int16_t>(g_item_edit.node_counter + item_link_count(item));
    }
  }
  set_item_type(item, s.item_type);
  set_item_flags(item, ITEM_FLAG_SELECTED);
  apply_cam_defaults(item_block(item), s.item_type == ITEM_POINT
                                           ? POINT_CUT_TYPE
                                           : g_job_settings.new_item_cut_type);
  if (s.code == 140) {
    close_if_touching(item);
    g_arc_form_memory.end = f.link.closing.point;
    g_arc_form_memory.set = true;
  }
  if (s.item_type == ITEM_POLYGON) g_polygon_form_sides = static_cast<int16_t>(item_link_count(item));
  set_item_id(item, ++g_job_settings.item_id_counter);
  undo_record_added(1);
  draw_item_in_colour(item, item_layer(item));
  g_drawing_page.extents_request = 1;
  g_job_settings.job_changed |= JOB_CHANGED;
  g_job_settings.nc_state = 0;
}

// The field loop: edits the field at run.current until a key leaves it; the key that did.
EventCode edit_fields(FormRun& run) {
  const std::vector<FieldSpec>& fields = run.spec->fields;
  const auto& cell = g_display.presets[FACE_ROLE_MENU];
  for (;;) {
    const FieldSpec& f = fields[static_cast<size_t>(run.current)];
    ScreenControl* c = control_of(run, f.index);
    float* v = shape_field_variable(run.spec->code, f.index);
    if (c == nullptr || v == nullptr) return KEY_ESC;
    float shown = is_angle(f.kind) ? static_cast<float>(*v * DEGREES) : *v;
    const bool blank = g_value_form.entered[f.index] == FIELD_EMPTY && form_complete() != 1;
    if (blank) shown = 0.0f;
    const int row = c->y / std::max<int>(1, cell.cell_height);
    const int column = c->x / std::max<int>(1, cell.cell_width);
    // Over a value shown the first key typed replaces it (a blank field starts from its 0, so
    // that a typed 0 counts as entered); coordinates and angles may be negative.
    const bool signed_value = f.kind == FIELD_POINT || f.kind == FIELD_Y_ONLY ||
                              f.kind == FIELD_ANGLE;
    const uint32_t flags = FIELD_FLOAT | (blank ? 0u : FIELD_SELECT_ALL) |
                           (signed_value ? FIELD_MINUS : 0u);
    const int16_t result = edit_number_box(row, column, FIELD_WIDTH, &shown, flags, FIELD_EXITS);
    EventCode key = result < 0 ? static_cast<EventCode>(-result) : result;
    if (result < 0) {
      if (key == KEY_DEL) {
        update_form_preview(1);
        g_value_form.recompute(-f.index);
      } else {
        double value = is_angle(f.kind) ? shown * RADIANS : shown;
        if (f.kind == FIELD_SWEEP && value >= 6.283185307179586) value = FULL_TURN_SWEEP;
        *v = static_cast<float>(value);
        if (f.kind == FIELD_DIAMETER) g_value_form.diameter = *v;
        g_value_form.recompute(f.index);
      }
      redraw_form(run);
    }
    const EventCode leave =
        step_value_form_cursor(key, static_cast<int>(fields.size()), &run.current);
    if (leave != VALUE_FORM_GO_ON) return leave;
  }
}

int field_position(const FormRun& run, int id) {
  const std::vector<FieldSpec>& fields = run.spec->fields;
  for (size_t i = 0; i < fields.size(); ++i)
    if (fields[i].index == id) return static_cast<int>(i);
  return -1;
}

// OK: 1 made, 0 left without an item, -1 stays open.
int finish(FormRun& run) {
  const int state = check_form_complete();
  if (state < 0) return -1;
  if (state == 0) return 0;
  create_item(run);
  return 1;
}

bool starts_number(EventCode code) {
  return (code >= '0' && code <= '9') || code == '-' || code == '.' || code == '/';
}


// Kind-0 forms shape their working item in place: it is XOR-erased before a solve and drawn
// again after; link forms erase their preview and draw it again when the shape stands.
int recompute_shape(int field) {
  FormRun& run = *g_run;
  if (run.working != nullptr) draw_item_in_colour(run.working, COLOUR_EDITING);
  else update_form_preview(1);
  const int result = run.spec->solve(field);
  if (run.working != nullptr) draw_item_in_colour(run.working, COLOUR_EDITING);
  else if (result != 0 && field > 0) update_form_preview(0);
  return result;
}

// After a zoom or a pan (the engine has drawn the link preview again): the page drew the
// working item in its layer's pen, so it is taken off and drawn again in the XOR pen; the panel
// is drawn again.
void redraw_after_view_change() {
  FormRun* run = g_run;
  if (run == nullptr) return;
  if (run->working != nullptr) {
    draw_item_in_colour(run->working, COLOUR_ERASE);
    draw_item_in_colour(run->working, COLOUR_EDITING);
  }
  show_prompt(g_value_form.title);
  redraw_form(*run);
}

// After a full redraw or a list over the drawing: the preview too.
void redraw_form_and_preview() {
  refresh_form_preview();
  redraw_after_view_change();
}

const char* label_message(const FormRun& run) {
  if (run.selected_label <= 0) return nullptr;
  if (run.selected_kind == KIND_SIDES) return SIDES_LABEL_TEXT;
  if (run.selected_kind == FIELD_SWEEP) return SWEEP_LABEL_TEXT;
  if (run.selected_kind == FIELD_POINT || run.selected_kind == FIELD_Y_ONLY) return nullptr;
  return value_label_message(run.selected_kind, true);
}

EventCode click_or_nothing(EventCode key) {
  return key == EVENT_LEFT_DOWN || key == EVENT_CONTROL_CLICKED ? EVENT_CONTROL_CLICKED : 0;
}

const FieldSpec* field_spec(const FormRun& run, int id) {
  for (const FieldSpec& f : run.spec->fields)
    if (f.index == id) return &f;
  return nullptr;
}

int8_t label_kind(const FormRun& run, int field) {
  if (field == run.spec->layer_field) return FIELD_LAYER;
  if (run.spec->code == 145 && field == POLYGON_SIDES) return KIND_SIDES;
  const FieldSpec* f = field_spec(run, field);
  return f != nullptr ? f->kind : static_cast<int8_t>(FIELD_POINT);
}

// Selects the label of a field (-1: none); the label's marker blinks while the form waits.
void select_label(FormRun& run, int field) {
  run.selected_label = field;
  run.selected_kind = field > 0 ? label_kind(run, field) : static_cast<int8_t>(FIELD_POINT);
}

// The order of the labels down the panel: the fields, the side count, then "Layer:".
std::vector<int> label_order(const FormRun& run) {
  std::vector<int> order;
  for (const FieldSpec& f : run.spec->fields) {
    if (run.spec->code == 145 && f.index == POLYGON_SIDES + 1) order.push_back(POLYGON_SIDES);
    order.push_back(f.index);
  }
  order.push_back(run.spec->layer_field);
  return order;
}

// The place of the selected label down the panel; -1 none.
int selected_label_place(const FormRun& run) {
  const std::vector<int> order = label_order(run);
  const auto at = std::find(order.begin(), order.end(), run.selected_label);
  return at == order.end() ? -1 : static_cast<int>(at - order.begin());
}

void step_label(FormRun& run, EventCode key) {
  const std::vector<int> order = label_order(run);
  const int i = selected_label_place(run);
  int next = i;
  if (key == KEY_PGUP) next = 0;
  else if (key == KEY_PGDN) next = static_cast<int>(order.size()) - 1;
  else if (key == KEY_DOWN) next = i < 0 ? 0 : std::min(i + 1, static_cast<int>(order.size()) - 1);
  else if (key == KEY_UP) next = i <= 0 ? -1 : i - 1;
  select_label(run, next < 0 ? -1 : order[static_cast<size_t>(next)]);
}

// Del on the selected label: a point's X and Y, a "Y only:" label's Y, a length or an angle;
// never the layer, a diameter or the side count.
void clear_selected_label(FormRun& run) {
  const int field = run.selected_label;
  if (field <= 0 || run.selected_kind <= FIELD_LAYER) return;
  ValueForm& f = g_value_form;
  update_form_preview(1);
  f.recompute(-field);
  if (run.selected_kind == FIELD_POINT) f.recompute(-(field + 1));
  redraw_form(run);
}

void choose_layer(FormRun& run) {
  const TextLine* chosen = pick_layer();
  if (chosen != nullptr && chosen->id >= 0 && chosen->id < LAYER_USER_COUNT) {
    g_value_form.layer = static_cast<uint8_t>(chosen->id);
    if (ScreenControl* c = control_of(run, run.spec->layer_field))
      std::snprintf(c->caption, sizeof c->caption, "%3d", g_value_form.layer);
  }
  redraw_form_and_preview();
}

// The layer field typed: 0-243, the key that left it.
EventCode edit_layer_field(FormRun& run) {
  ScreenControl* c = control_of(run, run.spec->layer_field);
  if (c == nullptr) return 0;
  const auto& cell = g_display.presets[FACE_ROLE_MENU];
  show_message_area("Enter the layer number, from 0 to 243");
  uint8_t layer = g_value_form.layer;
  const int16_t result = edit_number_box(c->y / std::max<int>(1, cell.cell_height),
                                         c->x / std::max<int>(1, cell.cell_width), 3, &layer,
                                         FIELD_BYTE | FIELD_SELECT_ALL, EXIT_UP | EXIT_DOWN);
  if (result < 0 && layer < LAYER_USER_COUNT) g_value_form.layer = layer;
  std::snprintf(c->caption, sizeof c->caption, "%3d", g_value_form.layer);
  draw_controls(c, 1);
  const EventCode key = result < 0 ? static_cast<EventCode>(-result) : result;
  return click_or_nothing(key);
}

// Replaces the polygon's working item by one of n links; the shape is solved again.
void rebuild_polygon_item(FormRun& run, int n) {
  if (run.working == nullptr || n < 3) return;
  draw_item_in_colour(run.working, COLOUR_EDITING);
  const int before = g_polygon_working_sides;
  g_polygon_working_sides = n;
  DrawingItem* made = nullptr;
  if (run.working == g_lists.current.last) {
    delete_line_or_last(run.working);
    made = make_working_item(*run.spec);
    if (made == nullptr) {
      // No memory for the new count: the old count comes back.
      g_polygon_working_sides = before;
      made = make_working_item(*run.spec);
    }
  }
  run.working = made;
  if (made == nullptr) return;
  draw_item_in_colour(made, COLOUR_EDITING);
  g_value_form.recompute(POLYGON_SIDES);
  redraw_form(run);
}

// The side count's own editor: at least 3 sides; a new count rebuilds the polygon.
EventCode edit_polygon_sides(FormRun& run) {
  ScreenControl* c = control_of(run, POLYGON_SIDES);
  if (c == nullptr || run.working == nullptr) return 0;
  const auto& cell = g_display.presets[FACE_ROLE_MENU];
  for (;;) {
    show_message_area(SIDES_TEXT);
    int16_t sides = static_cast<int16_t>(item_link_count(run.working));
    const int16_t before = sides;
    const int16_t result = edit_number_box(c->y / std::max<int>(1, cell.cell_height),
                                           c->x / std::max<int>(1, cell.cell_width), 3, &sides,
                                           FIELD_SHORT | FIELD_SELECT_ALL,
                                           EXIT_UP | EXIT_DOWN | EXIT_PAGE_KEYS);
    const EventCode key = result < 0 ? static_cast<EventCode>(-result) : result;
    if (result < 0 && sides != before) {
      if (sides < 3 || sides > 500) {
        std::snprintf(c->caption, sizeof c->caption, "%3d", before);
        draw_controls(c, 1);
        continue;
      }
      rebuild_polygon_item(run, sides);
    }
    if (key == KEY_UP || key == KEY_DOWN || key == KEY_PGUP || key == KEY_PGDN || key == KEY_ESC ||
        key == KEY_ENTER || key == KEY_TAB || key == EVENT_QUIT)
      return 0;
    if (key == EVENT_LEFT_DOWN || key == EVENT_CONTROL_CLICKED) return EVENT_CONTROL_CLICKED;
  }
}

void toggle_check_box(FormRun& run, int id) {
  ScreenControl* c = nullptr;
  for (ScreenControl& r : run.table)
    if (r.flags != CF_END && (r.flags & CF_CHECKBOX) != 0 && r.id == id) c = &r;
  if (c == nullptr) return;
  c->flags ^= CF_CHECKED;
  if (id == ARC_CLOCKWISE) g_value_form.link.link.link_flags ^= LINK_CLOCKWISE;
  if (id == ROUNDED_INVERTED) g_rounded_inverted = (c->flags & CF_CHECKED) != 0 ? 1 : 0;
  if (g_value_form.recompute(id) != 0) redraw_form(run);
  else draw_controls(c, 1);
}

// A pick (or, with snap, an Object Snap) for the selected label.
void take_from_drawing(FormRun& run, bool snap) {
  const int field = run.selected_label;
  if (run.selected_kind == KIND_SIDES) {
    // An item of three or more links gives the polygon its number of sides.
    DrawingItem* item = g_hover.hover_item;
    if (!snap && g_hover.pick_kind != 0 && item != nullptr && item != run.working &&
        item_link_count(item) >= 3)
      rebuild_polygon_item(run, item_link_count(item));
    return;
  }
  float* value = field > 0 && run.selected_kind != FIELD_LAYER
                     ? shape_field_variable(run.spec->code, field)
                     : nullptr;
  if (field > 0 && value == nullptr && run.selected_kind != FIELD_LAYER) return;
  const int kind = run.selected_kind;
  const int result = snap ? snap_field_from_drawing(field, kind, value)
                          : pick_field_from_drawing(field, kind, value);
  if (result == 1 || result == -1 || run.selected_kind == FIELD_LAYER) redraw_form(run);
}

// A control of the form clicked (or reached by a key): the event to handle next, or 0.
EventCode run_control(FormRun& run, int id) {
  const FormSpec& s = *run.spec;
  if (run_form_header_button(id) != 0) return 0;
  if (id == VALUE_ID_SWATCH) {
    choose_layer(run);
    return 0;
  }
  if (id >= VALUE_LABEL_OFFSET) {
    select_label(run, id - VALUE_LABEL_OFFSET);
    return 0;
  }
  if (id == ARC_CLOCKWISE && s.code == 140) {
    toggle_check_box(run, id);
    return 0;
  }
  if (id == ROUNDED_INVERTED && s.code == 150) {
    toggle_check_box(run, id);
    return 0;
  }
  select_label(run, -1);
  if (id == s.layer_field) return edit_layer_field(run);
  if (id == POLYGON_SIDES && s.code == 145) return edit_polygon_sides(run);
  const int at = field_position(run, id);
  if (at < 0) return 0;
  run.current = at;
  const EventCode key = edit_fields(run);
  run.current = -1;
  // Up from the first field goes on to OK or Cancel.
  if (key == KEY_UP) return KEY_UP;
  return click_or_nothing(key);
}

// The OK/Cancel bar reached by the keys: true when the form ends, with its code in *leave;
// else a key for the form to handle next may be left in *pending.
bool run_bar(FormRun& run, int* leave, EventCode* pending) {
  const int result = run_ok_cancel_bar(form_complete() == 1 ? 0 : 1);
  if (result == 0) {
    const int done = finish(run);
    if (done < 0) return false;
    *leave = 0;
    return true;
  }
  if (result == VALUE_ID_CANCEL || result == KEY_ESC) {
    *leave = result;
    return true;
  }
  // Any other key is taken as from the Cancel button: Down reaches the first label.
  if (result == KEY_DOWN) {
    select_label(run, -1);
    step_label(run, KEY_DOWN);
  } else if (result != KEY_UP) {
    *pending = static_cast<EventCode>(result);
  }
  return false;
}
}  // namespace

int run_shape_form(int code) {
  const FormSpec* spec = find_spec(code);
  if (spec == nullptr) return LEAVE_ESC;
  FormRun run;
  run.spec = spec;
  zero_value_form_fields();
  ValueForm& f = g_value_form;
  f.kind = spec->kind;
  f.recompute = recompute_shape;
  f.layer_field = spec->layer_field;
  f.layer = g_drawing_page.current_layer;
  std::snprintf(f.title, sizeof f.title, "Create a \f%s\x13 by specifying whatever you know about it.",
                spec->name);
  g_polygon_working_sides = polygon_form_side_count();
  if (spec->kind == FORM_WORKING_ITEM) {
    run.working = make_working_item(*spec);
    if (run.working == nullptr) return LEAVE_ESC;
    draw_item_in_colour(run.working, COLOUR_EDITING);
  }
  if (code == 140 && g_arc_form_memory.set) {
    f.link.link.point = g_arc_form_memory.end;
    f.entered[ARC_START] = f.entered[ARC_START + 1] = FIELD_CARRIED;
  }
  if (code == 145) f.entered[POLYGON_SIDES] = FIELD_CARRIED;
  g_run = &run;
  open_value_form_panel();
  f.after_view_change = redraw_after_view_change;
  build_table(run);
  push_control_table();
  show_prompt(f.title);
  redraw_form(run);
  glide_into_form_panel();
  int leave = LEAVE_ESC;
  EventCode pending = 0;
  for (;;) {
    const ScreenControl* label =
        run.selected_label > 0 ? find_control(run.selected_label + VALUE_LABEL_OFFSET) : nullptr;
    EventCode event = pending;
    pending = 0;
    if (event == 0) event = read_value_form_event(label_message(run), label, run.selected_kind);
    if (event == 0) continue;
    if (event == VALUE_FORM_REDRAWN || event == EVENT_VIEW_CHANGED || event == EVENT_REDRAW) {
      redraw_form_and_preview();
      continue;
    }
    if (event == KEY_ESC || event == EVENT_QUIT) {
      if (event == EVENT_QUIT) push_input_code(event);
      break;
    }
    if (starts_number(event) || event == KEY_RIGHT) {
      // A digit or Right with no field being edited: the selected label's field, else the first.
      if (event != KEY_RIGHT) push_input_code_front(event);
      const int at = run.selected_label > 0 ? field_position(run, run.selected_label) : 0;
      if (run.selected_label == spec->layer_field || run.selected_label == POLYGON_SIDES) {
        pending = run_control(run, run.selected_label);
        continue;
      }
      select_label(run, -1);
      run.current = std::max(at, 0);
      pending = click_or_nothing(edit_fields(run));
      run.current = -1;
      continue;
    }
    if (event == KEY_ENTER) {
      if (run.selected_label == spec->layer_field) {
        choose_layer(run);
        continue;
      }
      if (run.selected_label > 0) continue;
      // Enter with no label selected leaves the form; OK is reached by Up or a click.
      break;
    }
    if (event == KEY_UP && selected_label_place(run) <= 0) {
      if (run_bar(run, &leave, &pending)) break;
      continue;
    }
    if (event == KEY_UP || event == KEY_DOWN || event == KEY_PGUP || event == KEY_PGDN) {
      step_label(run, event);
      continue;
    }
    if (event == KEY_DEL) {
      clear_selected_label(run);
      continue;
    }
    if (event == VALUE_FORM_PICK) {
      take_from_drawing(run, false);
      continue;
    }
    if (event == VALUE_FORM_SNAP) {
      take_from_drawing(run, true);
      continue;
    }
    if (event == EVENT_LEFT_DOWN || event == EVENT_CONTROL_CLICKED) {
      const int id = hit_test_controls(g_canvas_cursor.click_x, g_canvas_cursor.click_y);
      if (id == VALUE_ID_CANCEL) {
        leave = LEAVE_CLICK;
        break;
      }
      if (id == VALUE_ID_OK) {
        const int done = finish(run);
        if (done >= 0) {
          leave = done == 1 ? 0 : LEAVE_CLICK;
          break;
        }
        continue;
      }
      if (id > 0) pending = run_control(run, id);
      continue;
    }
  }
  drop_working_item(run);
  close_value_form(leave);
  pop_control_table();
  show_prompt("");
  g_drawing_page.full_redraw = 1;
  g_run = nullptr;
  return leave;
}

void run_shape_form_series(int code) {
  if (code == 148 || code == 149) {
    draw_polyline_by_nodes(code == 148 ? -1 : 0);
    return;
  }
  if (code == 143) {
    // Lines chain: each new one starts where the last ended, until the form is left.
    while (value_transform_form(TRANSFORM_LINE) == TRANSFORM_ACCEPTED) {
    }
    return;
  }
  while (run_shape_form(code) == 0) {
  }
}
