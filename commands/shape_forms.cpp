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
constexpr uint8_t ID_OK = 96;
constexpr uint8_t ID_CANCEL = 1;
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
};

const std::vector<FormSpec>& form_specs() {
  static const std::vector<FormSpec> specs = {
      {141, "CIRCLE", FORM_LINK, ITEM_CIRCLE, CIRCLE_LAYER, 22, solve_circle,
       {{2, "Center:", FIELD_POINT, 7}, {3, nullptr, FIELD_Y_ONLY, 8},
        {4, "Radius:", FIELD_LENGTH, 10}, {5, "Diameter:", FIELD_DIAMETER, 11},
        {6, "1st pt:", FIELD_POINT, 13}, {7, nullptr, FIELD_Y_ONLY, 14},
        {8, "2nd pt:", FIELD_POINT, 16}, {9, nullptr, FIELD_Y_ONLY, 17},
        {10, "3rd pt:", FIELD_POINT, 19}, {11, nullptr, FIELD_Y_ONLY, 20}}},
      {140, "ARC", FORM_LINK, ITEM_POLYLINE, ARC_LAYER, 27, solve_arc,
       {{2, "Start:", FIELD_POINT, 7}, {3, nullptr, FIELD_Y_ONLY, 8},
        {5, "End point:", FIELD_POINT, 11}, {6, nullptr, FIELD_Y_ONLY, 12},
        {8, "Center:", FIELD_POINT, 15}, {9, nullptr, FIELD_Y_ONLY, 16},
        {10, "2nd pt:", FIELD_POINT, 18}, {11, nullptr, FIELD_Y_ONLY, 19},
        {12, "Radius:", FIELD_LENGTH, 21}, {13, "Sweep:", FIELD_SWEEP, 23},
        {14, "Angle:", FIELD_ANGLE, 25}}},
      {147, "SLOT", FORM_WORKING_ITEM, ITEM_SLOT, SLOT_LAYER, 24, solve_slot,
       {{2, "Center #1:", FIELD_POINT, 7}, {3, nullptr, FIELD_Y_ONLY, 8},
        {4, "Center #2:", FIELD_POINT, 10}, {5, nullptr, FIELD_Y_ONLY, 11},
        {6, "Radius:", FIELD_LENGTH, 13}, {7, "Diameter:", FIELD_DIAMETER, 14},
        {8, "Length:", FIELD_LENGTH, 16}, {9, "Angle:", FIELD_ANGLE, 18},
        {10, "Point:", FIELD_POINT, 21}, {11, nullptr, FIELD_Y_ONLY, 22}}},
      {146, "RECTANGLE", FORM_WORKING_ITEM, ITEM_RECTANGLE, RECT_LAYER, 25, solve_rectangle,
       {{2, "Upper left, X:", FIELD_POINT, 9}, {3, nullptr, FIELD_Y_ONLY, 10},
        {4, "Center, X:", FIELD_POINT, 12}, {5, nullptr, FIELD_Y_ONLY, 13},
        {6, "Height:", FIELD_LENGTH, 15}, {7, "Length:", FIELD_LENGTH, 17},
        {8, "Rotation:", FIELD_ANGLE, 19}, {9, "Slant:", FIELD_ANGLE, 21}}},
      {145, "POLYGON", FORM_WORKING_ITEM, ITEM_POLYGON, POLYGON_LAYER, 25, solve_polygon,
       {{2, "Center:", FIELD_POINT, 7}, {3, nullptr, FIELD_Y_ONLY, 8},
        {4, "Start node:", FIELD_POINT, 10}, {5, nullptr, FIELD_Y_ONLY, 11},
        {6, "Outside:", FIELD_LENGTH, 14}, {7, "Inside:", FIELD_LENGTH, 15},
        {9, "Rotation:", FIELD_ANGLE, 20}, {10, "Length of sides:", FIELD_LENGTH, 23}}},
      {144, "POINT", FORM_LINK, ITEM_POINT, POINT_LAYER, 11, solve_point,
       {{2, "Center:", FIELD_POINT, 7}, {3, nullptr, FIELD_Y_ONLY, 9}}},
      {142, "ELLIPSE", FORM_LINK, ITEM_ELLIPSE, ELLIPSE_LAYER, 16, solve_ellipse,
       {{2, "Center:", FIELD_POINT, 7}, {3, nullptr, FIELD_Y_ONLY, 8},
        {4, "Y radius:", FIELD_LENGTH, 10}, {5, "X radius:", FIELD_LENGTH, 12},
        {6, "Rotation:", FIELD_ANGLE, 14}}},
      {150, "ROUNDED RECTANGLE", FORM_WORKING_ITEM, ITEM_ROUNDED_RECTANGLE, RECT_LAYER, 25,
       solve_rounded_rectangle,
       {{2, "Upper left, X:", FIELD_POINT, 9}, {3, nullptr, FIELD_Y_ONLY, 10},
        {4, "Center, X:", FIELD_POINT, 12}, {5, nullptr, FIELD_Y_ONLY, 13},
        {6, "Height:", FIELD_LENGTH, 15}, {7, "Length:", FIELD_LENGTH, 17},
        {8, "Rotation:", FIELD_ANGLE, 19}, {9, "Radius:", FIELD_LENGTH, 21}}},
  };
  return specs;
}

const FormSpec* find_spec(int code) {
  for (const FormSpec& s : form_specs())
    if (s.code == code) return &s;
  return nullptr;
}

bool is_angle(int8_t kind) { return kind == FIELD_ANGLE || kind == FIELD_SWEEP; }

struct FormRun {
  const FormSpec* spec = nullptr;
  std::vector<ScreenControl> table;
  DrawingItem* working = nullptr;  // kind-0 forms: the item being shaped at the tail
  int current = -1;                // index into spec->fields of the field being edited
};

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
  draw_controls(run.table.data(), 0);
}

void build_table(FormRun& run) {
  const FormSpec& s = *run.spec;
  std::vector<ScreenControl>& t = run.table;
  t.push_back(make_control("OK", ID_OK, 5, -16, 1, 4, 0, 0));
  t.push_back(make_control("Cancel", ID_CANCEL, 5, -10, 1, 8, 0, 0));
  for (const FieldSpec& f : s.fields) {
    t.push_back(make_control("", static_cast<uint8_t>(f.index), f.row, FIELD_COLUMN, 1,
                             FIELD_WIDTH, f.kind == FIELD_POINT ? 97 : f.kind == FIELD_Y_ONLY ? 98 : 46,
                             CF_ENTRY));
    const char* label = f.label != nullptr ? f.label : "Y only:";
    const int len = static_cast<int>(std::strlen(label));
    t.push_back(make_control(label, 0, f.row, LABEL_LAST_COLUMN - len + 1, 1, len, 0, CF_NO_BOX));
  }
  char layer[8];
  std::snprintf(layer, sizeof layer, "%3d", g_value_form.layer);
  t.push_back(make_control(layer, static_cast<uint8_t>(s.layer_field), s.layer_row, FIELD_COLUMN,
                           1, 3, 47, CF_ENTRY));
  t.push_back(make_control("Layer:", 0, s.layer_row, -18, 1, 6, 45, CF_NO_BOX));
  t.push_back(end_control());
}

// The working item of a kind-0 form, made at the tail before the first display.
DrawingItem* make_working_item(const FormSpec& s) {
  const float px = 1.0f / (g_view.scale_x > 0.0f ? g_view.scale_x : 1.0f);
  int links = 4;
  if (s.item_type == ITEM_ROUNDED_RECTANGLE) links = 8;
  if (s.item_type == ITEM_POLYGON) {
    links = g_polygon_form_sides > 0 ? g_polygon_form_sides : g_preferences.polygon_sides;
    links = std::clamp(links, 3, 500);
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
    if (g_value_form.entered[f.index] == FIELD_EMPTY && form_complete() != 1) shown = 0.0f;
    const int row = c->y / std::max<int>(1, cell.cell_height);
    const int column = c->x / std::max<int>(1, cell.cell_width);
    const int16_t result =
        edit_number_box(row, column, FIELD_WIDTH, &shown, FIELD_FLOAT, FIELD_EXITS);
    EventCode key = result < 0 ? static_cast<EventCode>(-result) : result;
    if (result < 0) {
      if (key == KEY_DEL) {
        g_value_form.recompute(-f.index);
      } else {
        double value = is_angle(f.kind) ? shown * RADIANS : shown;
        if (f.kind == FIELD_SWEEP && value >= 6.283185307179586) value = FULL_TURN_SWEEP;
        *v = static_cast<float>(value);
        if (f.kind == FIELD_DIAMETER) g_value_form.diameter = *v;
        if (run.working != nullptr) draw_item_in_colour(run.working, COLOUR_EDITING);
        g_value_form.recompute(f.index);
        if (run.working != nullptr) draw_item_in_colour(run.working, COLOUR_EDITING);
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

}  // namespace

int run_shape_form(int code) {
  const FormSpec* spec = find_spec(code);
  if (spec == nullptr) return LEAVE_ESC;
  FormRun run;
  run.spec = spec;
  zero_value_form_fields();
  ValueForm& f = g_value_form;
  f.kind = spec->kind;
  f.recompute = spec->solve;
  f.layer_field = spec->layer_field;
  f.layer = g_drawing_page.current_layer;
  std::snprintf(f.title, sizeof f.title, "Create a \f%s\x13 by specifying whatever you know about it.",
                spec->name);
  if (spec->kind == FORM_WORKING_ITEM) {
    run.working = make_working_item(*spec);
    if (run.working == nullptr) return LEAVE_ESC;
    draw_item_in_colour(run.working, COLOUR_EDITING);
  }
  if (code == 140 && g_arc_form_memory.set) {
    f.link.link.point = g_arc_form_memory.end;
    f.entered[ARC_START] = f.entered[ARC_START + 1] = FIELD_CARRIED;
  }
  build_table(run);
  g_controls.table_stack.push_back(g_controls.active);
  show_prompt(f.title);
  redraw_form(run);
  int leave = LEAVE_ESC;
  for (;;) {
    EventCode event = wait_input_code();
    if (run.current < 0 && starts_number(event)) {
      push_input_code_front(event);
      run.current = 0;
      event = edit_fields(run);
      // Esc or a move past the first or last field ends the edit; the form goes on.
      if (event != EVENT_LEFT_DOWN && event != EVENT_CONTROL_CLICKED) {
        run.current = -1;
        continue;
      }
    }
    if (event == EVENT_LEFT_DOWN || event == EVENT_CONTROL_CLICKED) {
      const int id = hit_test_controls(g_pointer.wanted_x, g_pointer.wanted_y);
      if (id == ID_CANCEL) {
        leave = LEAVE_CLICK;
        break;
      }
      if (id == ID_OK) {
        const int done = finish(run);
        if (done >= 0) {
          leave = done == 1 ? 0 : LEAVE_CLICK;
          break;
        }
        continue;
      }
      const int at = field_position(run, id);
      if (at >= 0) {
        run.current = at;
        edit_fields(run);
        run.current = -1;
      }
      continue;
    }
    if (event == KEY_ESC || event == EVENT_QUIT) {
      if (event == EVENT_QUIT) push_input_code(event);
      break;
    }
    if (event == KEY_ENTER) {
      // Enter with no field being edited: OK when the shape is complete, else leave.
      if (form_complete() == 1) {
        finish(run);
        leave = 0;
      }
      break;
    }
  }
  drop_working_item(run);
  g_controls.active = g_controls.table_stack.back();
  g_controls.table_stack.pop_back();
  show_prompt("");
  g_drawing_page.full_redraw = 1;
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
