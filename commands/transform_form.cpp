#include "commands/transform_form.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

#include "cam/cam_defaults.h"
#include "commands/line_solver.h"
#include "commands/value_form.h"
#include "editor/canvas_cursor.h"
#include "editor/draw_style.h"
#include "editor/drawing_page_state.h"
#include "editor/edit_session.h"
#include "editor/hover.h"
#include "editor/hover_state.h"
#include "editor/page_furniture.h"
#include "editor/undo_store.h"
#include "editor/view_state.h"
#include "geometry/item_edit_state.h"
#include "geometry/layers.h"
#include "geometry/polyline_ends.h"
#include "records/job_settings.h"
#include "screen/controls.h"
#include "screen/display_mode.h"
#include "screen/event_queue.h"
#include "screen/main_form.h"
#include "screen/pointer.h"
#include "store/line_list.h"
#include "ui/entry_line.h"
#include "ui/field_flags.h"
#include "ui/layer_list.h"
#include "ui/message_box.h"

namespace {

constexpr double DEGREES = 57.29577951308232;
constexpr double RADIANS = 0.017453292519943295;
constexpr uint8_t ID_OK = 96;
constexpr uint8_t ID_CANCEL = 1;
constexpr uint8_t ID_FLIP = 27;
constexpr uint8_t ID_DELETE_ORIGINALS = 28;  // MIRROR; "Snap" in ROTATE
constexpr uint8_t ID_SNAP = 28;
constexpr uint8_t ID_MIRROR_TEXT = 29;
constexpr uint8_t ID_RETAIN_LAYERS = 30;
constexpr uint8_t ID_ALIGN_COLUMN = 31;
constexpr uint8_t ID_ALIGN_ROW = 32;
constexpr uint8_t ID_ALIGN_EDGE_FIRST = 33;  // 33-35 Left/Center/Right, 36-38 Top/Center/Bottom
constexpr uint8_t ID_STATIC_TEXT = 0;
constexpr int FIELD_COLUMN = -11;
constexpr int FIELD_WIDTH = 9;
constexpr int LABEL_LAST_COLUMN = -13;
constexpr char COLOUR_ENTERED = 0x13;
constexpr char COLOUR_COMPUTED = 0x0E;
constexpr uint16_t FIELD_EXITS = EXIT_UP | EXIT_DOWN | EXIT_PAGE_KEYS;
constexpr char FACTOR_REFUSED_TEXT[] =
    "A scale factor must be above 0: nothing was scaled by that one.";
constexpr char ZERO_LINE_TEXT[] = "The line has no length yet: give its end, or a length.";

enum class Shown { VALUE, ANGLE, LAYER };

struct Field {
  int index;
  const char* label;
  int row;
  Shown shown;
};

struct TransformRun {
  std::vector<Field> fields;
  std::vector<ScreenControl> table;
  int current = -1;   // index into fields of the field being typed, -1 none
  int selected = -1;  // the field whose label is selected for a pick or a snap, -1 none
};

// The open form's run, for the engine's redraw after a zoom or a pan.
TransformRun* g_open_run = nullptr;

// Kinds of the selected labels besides the engine's: a "Tangent to:" field takes a link, and a
// field that only takes typed values takes nothing from the drawing.
constexpr int8_t KIND_TANGENT = 98;
constexpr int8_t KIND_TYPED_ONLY = 99;
constexpr char TANGENT_LABEL_TEXT[] =
    "Click the line or arc in the drawing that the line must touch.";
constexpr char TYPED_ONLY_TEXT[] = "Type the value of this field.";

bool in_modes(int modes) { return (g_transform_form.mode & modes) != 0; }

// The variable a field types into.
float* field_variable(int index) {
  ValueForm& f = g_value_form;
  TransformFormState& t = g_transform_form;
  const bool rotate = in_modes(TRANSFORM_ROTATE_MODES);
  switch (index) {
    case TF_START_X:
      if (t.mode == TRANSFORM_MIRROR_HORIZONTAL || (t.mode == TRANSFORM_ALIGN && t.align_rows))
        return &f.link.link.point.y;
      return &f.link.link.point.x;
    case TF_START_Y: return &f.link.link.point.y;
    case TF_END_X: return &f.link.closing.point.x;
    case TF_END_Y: return &f.link.closing.point.y;
    case TF_LENGTH: return &f.link.link.sweep;
    case TF_ANGLE: return &f.link.link.start_angle;
    case TF_X_VALUE: return &f.values[0];
    case TF_Y_VALUE: return rotate ? &t.factor2 : &f.values[1];
    case TF_FACTOR: return &t.factor;
    default: return nullptr;
  }
}

ScreenControl* entry_of(TransformRun& run, int id) {
  for (ScreenControl& c : run.table)
    if (c.flags != CF_END && (c.flags & CF_ENTRY) != 0 && c.id == id) return &c;
  return nullptr;
}

ScreenControl* button_of(TransformRun& run, int id) {
  for (ScreenControl& c : run.table)
    if (c.flags != CF_END && (c.flags & CF_ENTRY) == 0 && c.id == id) return &c;
  return nullptr;
}

void add_field(TransformRun& run, int index, const char* label, int row, Shown shown) {
  run.fields.push_back({index, label, row, shown});
}

void add_check(TransformRun& run, const char* caption, uint8_t id, int row, bool checked,
               uint32_t kind) {
  ScreenControl c = make_control(caption, id, row, -24, 1, static_cast<int>(std::strlen(caption)) + 4,
                                 0, kind);
  if (checked) c.flags |= CF_CHECKED;
  run.table.push_back(c);
}

void add_text(TransformRun& run, int row) {
  run.table.push_back(make_control("", ID_STATIC_TEXT, row, -30, 1, 28, 0, CF_NO_BOX));
}

// The fields and buttons of the mode.
void build_table(TransformRun& run) {
  const TransformFormState& t = g_transform_form;
  const int mode = t.mode;
  std::vector<ScreenControl>& tb = run.table;
  tb.push_back(make_control("OK", ID_OK, 5, -16, 1, 4, 0, 0));
  tb.push_back(make_control("Cancel", ID_CANCEL, 5, -10, 1, 8, 0, 0));
  if (mode == TRANSFORM_LINE || mode == TRANSFORM_MIRROR_LINE) {
    add_field(run, TF_START_X, "Start, X:", 7, Shown::VALUE);
    add_field(run, TF_START_Y, "Start, Y:", 8, Shown::VALUE);
    add_field(run, TF_END_X, "End, X:", 11, Shown::VALUE);
    add_field(run, TF_END_Y, "End, Y:", 12, Shown::VALUE);
    add_field(run, TF_LENGTH, "Length:", 15, Shown::VALUE);
    add_field(run, TF_ANGLE, "Angle:", 17, Shown::ANGLE);
    if (mode == TRANSFORM_LINE) {
      add_field(run, TF_X_VALUE, "X distance:", 19, Shown::VALUE);
      add_field(run, TF_Y_VALUE, "Y distance:", 20, Shown::VALUE);
      tb.push_back(make_control("Flip line", ID_FLIP, 25, -24, 1, 11, 0, 0));
    }
    add_field(run, TF_LAYER, "Layer:", 22, Shown::LAYER);
  } else if (mode == TRANSFORM_MIRROR_VERTICAL || mode == TRANSFORM_MIRROR_HORIZONTAL) {
    add_field(run, TF_START_X, mode == TRANSFORM_MIRROR_VERTICAL ? " X value:" : " Y value:", 7,
              Shown::VALUE);
    add_field(run, TF_LAYER, "Layer:", 22, Shown::LAYER);
  } else if (mode == TRANSFORM_COPY || mode == TRANSFORM_MOVE) {
    add_field(run, TF_START_X, "From, X:", 7, Shown::VALUE);
    add_field(run, TF_START_Y, "From, Y:", 8, Shown::VALUE);
    add_field(run, TF_END_X, "To, X:", 10, Shown::VALUE);
    add_field(run, TF_END_Y, "To, Y:", 11, Shown::VALUE);
    add_field(run, TF_LENGTH, "XY distance:", 14, Shown::VALUE);
    add_field(run, TF_ANGLE, "Angle:", 15, Shown::ANGLE);
    add_field(run, TF_X_VALUE, "X distance:", 18, Shown::VALUE);
    add_field(run, TF_Y_VALUE, "Y distance:", 19, Shown::VALUE);
    if (mode == TRANSFORM_COPY) {
      add_field(run, TF_LAYER, "Layer:", 22, Shown::LAYER);
      add_check(run, "Retain layers", ID_RETAIN_LAYERS, 24, t.retain_layers, CF_CHECKBOX);
    }
    tb.push_back(make_control("Flip line", ID_FLIP, 27, -24, 1, 11, 0, 0));
  } else if (mode == TRANSFORM_ALIGN) {
    add_field(run, TF_START_X, t.align_rows ? "Align at Y:" : "Align at X:", 7, Shown::VALUE);
    add_field(run, TF_X_VALUE, "Spacing:", 9, Shown::VALUE);
    add_check(run, "Align in a column", ID_ALIGN_COLUMN, 14, !t.align_rows, CF_RADIO);
    add_check(run, "Align in a row", ID_ALIGN_ROW, 15, t.align_rows, CF_RADIO);
    static const char* const COLUMN_EDGES[3] = {"Left", "Center", "Right"};
    static const char* const ROW_EDGES[3] = {"Top", "Center", "Bottom"};
    for (int i = 0; i < 3; ++i) {
      if (t.align_rows)
        add_check(run, ROW_EDGES[i], static_cast<uint8_t>(ID_ALIGN_EDGE_FIRST + 3 + i), 19 + 2 * i,
                  t.align_row_edge == i, CF_RADIO);
      else
        add_check(run, COLUMN_EDGES[i], static_cast<uint8_t>(ID_ALIGN_EDGE_FIRST + i), 18 + i,
                  t.align_column_edge == i, CF_RADIO);
    }
  } else if (in_modes(TRANSFORM_ROTATE_MODES)) {
    add_field(run, TF_START_X, "Center, X:", 8, Shown::VALUE);
    add_field(run, TF_START_Y, "Center, Y:", 9, Shown::VALUE);
    add_field(run, TF_END_X, "Handle, X:", 12, Shown::VALUE);
    add_field(run, TF_END_Y, "Handle, Y:", 13, Shown::VALUE);
    add_field(run, TF_ANGLE, "Angle:", 16, Shown::ANGLE);
    add_check(run, "Snap", ID_SNAP, 20, t.snap, CF_CHECKBOX);
    add_field(run, TF_X_VALUE, "Snap value:", 21, Shown::ANGLE);
    if (mode != TRANSFORM_ROTATE) add_field(run, TF_Y_VALUE, "Angle to rotate:", 25, Shown::ANGLE);
    if (mode == TRANSFORM_ROTATE_REFERENCE)
      add_field(run, TF_FACTOR, "Reference angle:", 28, Shown::ANGLE);
  } else {
    add_field(run, TF_START_X, "Anchor, X:", 8, Shown::VALUE);
    add_field(run, TF_START_Y, "Anchor, Y:", 9, Shown::VALUE);
    if (mode == TRANSFORM_SCALE) {
      add_field(run, TF_FACTOR, "Scale Factor:", 15, Shown::VALUE);
    } else {
      const bool size = mode == TRANSFORM_SCALE_SIZE;
      add_field(run, TF_X_VALUE, size ? "Desired width:" : "Distance to scale:", 15, Shown::VALUE);
      add_field(run, TF_Y_VALUE, size ? "Desired height:" : "What it should be:", 19,
                Shown::VALUE);
      add_text(run, 22);
    }
    add_text(run, 24);
    add_text(run, 25);
    add_text(run, 27);
    add_text(run, 28);
  }
  if (in_modes(TRANSFORM_MIRROR_MODES)) {
    add_check(run, "Retain layers", ID_RETAIN_LAYERS, 24, t.retain_layers, CF_CHECKBOX);
    add_check(run, "Delete originals", ID_DELETE_ORIGINALS, 27, t.delete_originals, CF_CHECKBOX);
    add_check(run, "Mirror text also", ID_MIRROR_TEXT, 29, t.mirror_text, CF_CHECKBOX);
  }
  for (const Field& f : run.fields) {
    const int width = f.shown == Shown::LAYER ? 3 : FIELD_WIDTH;
    tb.push_back(make_control("", static_cast<uint8_t>(f.index), f.row, FIELD_COLUMN, 1, width,
                              f.index == TF_START_Y ? 98 : 97, CF_ENTRY));
    const int len = static_cast<int>(std::strlen(f.label));
    tb.push_back(make_control(f.label, static_cast<uint8_t>(f.index + VALUE_LABEL_OFFSET), f.row,
                              LABEL_LAST_COLUMN - len + 1, 1, len, 0, CF_FRAMED_LABEL));
    if (f.shown == Shown::LAYER) tb.push_back(make_control("\x08:", VALUE_ID_SWATCH, f.row, -7, 1, 2, 48, 0));
  }
  if (mode == TRANSFORM_LINE || mode == TRANSFORM_MIRROR_LINE) {
    // The links the line must touch: picked, never typed; the field shows the item's ID.
    for (const int index : {TF_START_TANGENT, TF_END_TANGENT}) {
      const int row = index == TF_START_TANGENT ? 9 : 13;
      tb.push_back(make_control("", static_cast<uint8_t>(index), row, FIELD_COLUMN - 3, 1, 12, 0,
                                CF_ENTRY));
      tb.push_back(make_control("Tangent to:", static_cast<uint8_t>(index + VALUE_LABEL_OFFSET),
                                row, LABEL_LAST_COLUMN - 3 - 11 + 1, 1, 11, 49, CF_FRAMED_LABEL));
    }
  }
  append_form_header(&tb, "Line", 30);
  if (mode == TRANSFORM_ALIGN)
    tb.erase(std::remove_if(tb.begin(), tb.end(),
                            [](const ScreenControl& c) { return c.id == VALUE_ID_HELP; }),
             tb.end());
  tb.push_back(end_control());
}

bool field_blank(int index) {
  const ValueForm& f = g_value_form;
  const uint8_t mark = f.entered[index];
  if (in_modes(TRANSFORM_ROTATE_MODES | TRANSFORM_SCALE_MODES) &&
      (index == TF_START_X || index == TF_START_Y))
    return mark == FIELD_EMPTY || mark == FIELD_CARRIED;
  if (g_transform_form.mode == TRANSFORM_ALIGN && index == TF_X_VALUE) return mark != FIELD_ENTERED;
  return mark == FIELD_EMPTY && form_complete() != 1;
}

void format_field(TransformRun& run, const Field& field) {
  ScreenControl* c = entry_of(run, field.index);
  if (c == nullptr) return;
  const uint8_t mark = g_value_form.entered[field.index];
  const char colour = mark == FIELD_ENTERED ? COLOUR_ENTERED : COLOUR_COMPUTED;
  if (field.shown == Shown::LAYER) {
    std::snprintf(c->caption, sizeof c->caption, "%3d", g_value_form.layer);
    return;
  }
  const float* v = field_variable(field.index);
  if (v == nullptr || field_blank(field.index)) {
    c->caption[0] = 0;
    return;
  }
  double shown = *v;
  if (field.shown == Shown::ANGLE) shown *= DEGREES;
  std::snprintf(c->caption, sizeof c->caption, "%c%.4f", colour, shown);
  // Trailing zeros say nothing.
  char* end = c->caption + std::strlen(c->caption) - 1;
  while (end > c->caption + 1 && *end == '0') *end-- = 0;
  if (*end == '.') *end = 0;
}

// SCALE's read-outs: the factor and the box before and after.
void format_scale_texts(TransformRun& run) {
  const TransformFormState& t = g_transform_form;
  const float w = t.box_max.x - t.box_min.x;
  const float h = t.box_max.y - t.box_min.y;
  std::vector<ScreenControl*> texts;
  for (ScreenControl& c : run.table)
    if (c.flags != CF_END && c.id == ID_STATIC_TEXT && (c.flags & CF_NO_BOX) != 0 && c.width == 28)
      texts.push_back(&c);
  size_t i = 0;
  if (t.mode != TRANSFORM_SCALE && i < texts.size())
    std::snprintf(texts[i++]->caption, CONTROL_CAPTION_SIZE, "Scale factor: %.4g", t.factor);
  if (i + 4 > texts.size()) return;
  std::snprintf(texts[i++]->caption, CONTROL_CAPTION_SIZE, "Original Width: %.4g", w);
  std::snprintf(texts[i++]->caption, CONTROL_CAPTION_SIZE, "Original Height: %.4g", h);
  std::snprintf(texts[i++]->caption, CONTROL_CAPTION_SIZE, "Final Width: %.4g", w * t.factor);
  std::snprintf(texts[i++]->caption, CONTROL_CAPTION_SIZE, "Final Height: %.4g", h * t.factor);
}

void show_tangent_field(TransformRun& run, int index);

void redraw_form(TransformRun& run) {
  for (const Field& f : run.fields) format_field(run, f);
  show_tangent_field(run, TF_START_TANGENT);
  show_tangent_field(run, TF_END_TANGENT);
  if (in_modes(TRANSFORM_SCALE_MODES)) format_scale_texts(run);
  draw_controls(run.table.data(), 0);
}

// A typed value into its field; false when it is refused.
bool take_value(const Field& field, float typed) {
  if (field.shown == Shown::LAYER) {
    g_value_form.layer = static_cast<uint8_t>(std::clamp<int>(static_cast<int>(typed), 0, 243));
    g_transform_form.retain_layers = false;
    return true;
  }
  if (field.index == TF_FACTOR && in_modes(TRANSFORM_SCALE_MODES) && !(typed > 0.0f)) {
    show_text_box(FACTOR_REFUSED_TEXT, TEXTBOX_PRESS_A_KEY);
    return false;
  }
  float* v = field_variable(field.index);
  if (v == nullptr) return false;
  *v = field.shown == Shown::ANGLE ? static_cast<float>(typed * RADIANS) : typed;
  return true;
}

// Types into the fields from run.current on until a key leaves them; the key that did.
EventCode edit_fields(TransformRun& run) {
  const auto& cell = g_display.presets[FACE_ROLE_MENU];
  for (;;) {
    const Field& field = run.fields[static_cast<size_t>(run.current)];
    ScreenControl* c = entry_of(run, field.index);
    if (c == nullptr) return KEY_ESC;
    // A value typed replaces the one shown; a field left untyped keeps it.
    float shown = 0.0f;
    if (field.shown == Shown::LAYER) shown = g_value_form.layer;
    const int row = c->y / std::max<int>(1, cell.cell_height);
    const int column = c->x / std::max<int>(1, cell.cell_width);
    const int16_t result = edit_number_box(row, column, field.shown == Shown::LAYER ? 3 : FIELD_WIDTH,
                                           &shown, FIELD_FLOAT, FIELD_EXITS);
    const EventCode key = result < 0 ? static_cast<EventCode>(-result) : result;
    if (result < 0) {
      update_transform_preview(1);
      if (key == KEY_DEL) {
        g_value_form.recompute(-field.index);
      } else if (take_value(field, shown) && field.shown != Shown::LAYER) {
        g_value_form.recompute(field.index);
      }
      redraw_form(run);
      update_transform_preview(0);
    }
    const EventCode leave =
        step_value_form_cursor(key, static_cast<int>(run.fields.size()), &run.current);
    if (leave != VALUE_FORM_GO_ON) return leave;
  }
}

int field_position(const TransformRun& run, int id) {
  for (size_t i = 0; i < run.fields.size(); ++i)
    if (run.fields[i].index == id) return static_cast<int>(i);
  return -1;
}

bool starts_number(EventCode code) {
  return (code >= '0' && code <= '9') || code == '-' || code == '.';
}

// The working set's box, over every working copy.
void take_working_box() {
  TransformFormState& t = g_transform_form;
  t.box_min = {1e38f, 1e38f};
  t.box_max = {-1e38f, -1e38f};
  for (DrawingItem* item = g_edit.working_set; item != nullptr; item = item->next)
    grow_box_by_item(item, &t.box_min, &t.box_max);
}

// The form's first state: the start, the end on it, what each mode presets.
void open_state(int mode) {
  TransformFormState& t = g_transform_form;
  ValueForm& f = g_value_form;
  zero_value_form_fields();
  const PointF line_end = t.previous_line_end;
  const float snap = t.snap_increment;
  const uint8_t layer = f.layer;
  reset_transform_form();
  t.mode = mode;
  t.snap_increment = snap > 0.0f ? snap : static_cast<float>(RADIANS);
  f.layer = layer;
  take_working_box();
  f.kind = mode == TRANSFORM_LINE ? FORM_LINK : FORM_TRANSFORM;
  f.recompute = line_solver;
  f.link.link.code = LINK_RIGID_LINE;
  form_complete() = 1;
  f.entered[TF_START_X] = f.entered[TF_START_Y] = FIELD_CARRIED;
  PointF start = line_end;
  if (in_modes(TRANSFORM_MIRROR_MODES | TRANSFORM_ROTATE_MODES | TRANSFORM_SCALE_MODES)) {
    start = {(t.box_min.x + t.box_max.x) / 2.0f, (t.box_min.y + t.box_max.y) / 2.0f};
  } else if (mode != TRANSFORM_LINE) {
    const ViewState& v = g_view;
    start = {(v.view_left + v.view_right) / 2.0f, (v.view_bottom + v.view_top) / 2.0f};
  }
  f.link.link.point = start;
  f.link.closing.point = start;
  if (in_modes(TRANSFORM_ROTATE_MODES)) {
    t.factor = t.factor2 = 0.0f;
    f.values[0] = t.snap_increment;
  }
  if (in_modes(TRANSFORM_SCALE_MODES)) t.factor = 1.0f;
  std::snprintf(f.title, sizeof f.title, "%s",
                mode == TRANSFORM_LINE ? "Create a \fLINE\x13 by specifying whatever you know about it."
                                       : "Give the transform by values, then OK.");
}

// A LINE form's OK: the new one-link polyline, its end kept for the next line.
void create_line() {
  ValueForm& f = g_value_form;
  LinkRecord records[2] = {f.link.link, f.link.closing};
  records[0].code = LINK_RIGID_LINE;
  records[0].sweep = 0.0f;
  records[0].start_angle = 0.0f;
  records[0].node_flags = NODE_FIRST;
  records[1].node_flags = NODE_CLOSING;
  const uint8_t cam = g_job_settings.new_items_machined != 0 ? GEOMETRY_KIND_MACHINABLE
                                                             : GEOMETRY_KIND_DRAWING_AID;
  if (new_geometry_block("", records, 1, f.layer, cam) != 0) return;
  DrawingItem* item = g_lists.current.last;
  set_item_type(item, ITEM_POLYLINE);
  set_item_flags(item, ITEM_FLAG_SELECTED);
  apply_cam_defaults(item_block(item), g_job_settings.new_item_cut_type);
  LinkRecord* r = item_nodes(item);
  r[0].node_number = ++g_item_edit.node_counter;
  r[1].node_number = ++g_item_edit.node_counter;
  item_bounding_boxes(item);
  close_if_touching(item);
  g_transform_form.previous_line_end = item_nodes(item)[1].point;
  set_item_id(item, ++g_job_settings.item_id_counter);
  undo_record_added(1);
  draw_item_in_colour(item, item_layer(item));
  g_drawing_page.extents_request = 1;
  g_job_settings.job_changed |= JOB_CHANGED;
  g_job_settings.nc_state = 0;
}

// The LINE form's recompute: its XOR preview follows the solved line.
int recompute_line(int field) {
  update_form_preview(1);
  const int result = line_solver(field);
  update_form_preview(0);
  return result;
}

// OK: true when the form ends.
bool accept(TransformRun& run) {
  (void)run;
  const TransformFormState& t = g_transform_form;
  if (check_form_complete() != 1) return false;
  if (t.mode == TRANSFORM_LINE) {
    if (g_value_form.link.link.point.x == g_value_form.link.closing.point.x &&
        g_value_form.link.link.point.y == g_value_form.link.closing.point.y) {
      show_text_box(ZERO_LINE_TEXT, TEXTBOX_PRESS_A_KEY);
      return false;
    }
    create_line();
    return true;
  }
  if (in_modes(TRANSFORM_MIRROR_MODES | TRANSFORM_COPY)) {
    if (!t.retain_layers)
      for (DrawingItem* item = g_edit.working_set; item != nullptr; item = item->next)
        if (GeometryBlock* b = item_block(item)) b->layer = g_value_form.layer;
    if (!t.delete_originals) renumber_session_order();
  }
  return true;
}

void click_button(TransformRun& run, int id) {
  TransformFormState& t = g_transform_form;
  ScreenControl* c = button_of(run, id);
  if (c == nullptr) return;
  if (id == ID_FLIP && t.mode != TRANSFORM_ALIGN && !in_modes(TRANSFORM_ROTATE_MODES)) {
    update_transform_preview(1);
    line_solver(TF_FLIP);
    redraw_form(run);
    update_transform_preview(0);
    return;
  }
  if ((c->flags & CF_CHECKBOX) != 0) {
    c->flags ^= CF_CHECKED;
    const bool on = (c->flags & CF_CHECKED) != 0;
    if (in_modes(TRANSFORM_ROTATE_MODES) && id == ID_SNAP) t.snap = on;
    else if (id == ID_DELETE_ORIGINALS) t.delete_originals = on;
    else if (id == ID_RETAIN_LAYERS) t.retain_layers = on;
    else if (id == ID_MIRROR_TEXT) {
      t.mirror_text = on;
      update_transform_preview(0);
    }
    draw_controls(run.table.data(), 0);
    return;
  }
  if (t.mode != TRANSFORM_ALIGN || (c->flags & CF_RADIO) == 0) return;
  update_transform_preview(1);
  if (id == ID_ALIGN_COLUMN || id == ID_ALIGN_ROW) {
    t.align_rows = id == ID_ALIGN_ROW;
    line_solver(-TF_START_X);
    g_value_form.link.link.point = g_value_form.link.closing.point;
    // The lower part of the form changes with the layout.
    run.fields.clear();
    run.table.clear();
    build_table(run);
  } else if (id < ID_ALIGN_EDGE_FIRST + 3) {
    t.align_column_edge = id - ID_ALIGN_EDGE_FIRST;
  } else {
    t.align_row_edge = id - ID_ALIGN_EDGE_FIRST - 3;
  }
  for (ScreenControl& other : run.table)
    if (other.flags != CF_END && (other.flags & CF_RADIO) != 0) {
      const bool layout_radio = other.id == ID_ALIGN_COLUMN || other.id == ID_ALIGN_ROW;
      const bool selected =
          layout_radio ? (other.id == ID_ALIGN_ROW) == t.align_rows
                       : (t.align_rows ? other.id - ID_ALIGN_EDGE_FIRST - 3 == t.align_row_edge
                                       : other.id - ID_ALIGN_EDGE_FIRST == t.align_column_edge);
      other.flags = selected ? (other.flags | CF_CHECKED) : (other.flags & ~CF_CHECKED);
    }
  g_drawing_page.full_redraw = 1;
  redraw_form(run);
  update_transform_preview(0);
}

// What a pick or a snap on a field's label takes from the drawing.
int8_t label_kind(int index) {
  const TransformFormState& t = g_transform_form;
  const bool rotate = in_modes(TRANSFORM_ROTATE_MODES);
  switch (index) {
    case TF_START_X:
      if (t.mode == TRANSFORM_MIRROR_HORIZONTAL || (t.mode == TRANSFORM_ALIGN && t.align_rows))
        return FIELD_Y_ONLY;
      return FIELD_POINT;
    case TF_END_X: return FIELD_POINT;
    case TF_START_Y:
    case TF_END_Y: return FIELD_Y_ONLY;
    case TF_START_TANGENT:
    case TF_END_TANGENT: return KIND_TANGENT;
    case TF_ANGLE: return FIELD_ANGLE;
    case TF_LENGTH: return FIELD_LENGTH;
    case TF_X_VALUE:
    case TF_Y_VALUE: return rotate ? FIELD_ANGLE : FIELD_LENGTH;
    case TF_FACTOR: return rotate ? static_cast<int8_t>(FIELD_ANGLE) : KIND_TYPED_ONLY;
    case TF_LAYER: return FIELD_LAYER;
    default: return KIND_TYPED_ONLY;
  }
}

const char* label_message(const TransformRun& run) {
  if (run.selected < 0) return nullptr;
  const int8_t kind = label_kind(run.selected);
  if (kind == KIND_TANGENT) return TANGENT_LABEL_TEXT;
  if (kind == KIND_TYPED_ONLY) return TYPED_ONLY_TEXT;
  return value_label_message(kind, true);
}

PickedLink& tangent_of(int index) {
  TransformFormState& t = g_transform_form;
  return index == TF_START_TANGENT ? t.start_tangent : t.end_tangent;
}

// A "Tangent to:" field shows the picked link's item by its ID.
void show_tangent_field(TransformRun& run, int index) {
  ScreenControl* c = entry_of(run, index);
  if (c == nullptr) return;
  const PickedLink& picked = tangent_of(index);
  if (g_value_form.entered[index] == FIELD_ENTERED && picked.set)
    std::snprintf(c->caption, sizeof c->caption, "ID# \x13%-8d", static_cast<int>(picked.item_id));
  else
    c->caption[0] = 0;
}

// The link under the pointer for a "Tangent to:" field.
void take_tangent_link(TransformRun& run, int index) {
  const HoverState& h = g_hover;
  if (h.hover_item == nullptr || h.hover_link == nullptr || h.pick_kind < PICK_ON_LINK_NEAR_START)
    return;
  PickedLink& picked = tangent_of(index);
  picked.set = true;
  picked.link[0] = h.hover_link[0];
  picked.link[1] = h.hover_link[1];
  picked.item_id = item_id(h.hover_item);
  (index == TF_START_TANGENT ? g_transform_form.start_pick : g_transform_form.end_pick) =
      h.cursor_point;
  g_value_form.entered[index] = FIELD_ENTERED;
  update_transform_preview(1);
  g_value_form.recompute(index);
  redraw_form(run);
  update_transform_preview(0);
}

// A left click (pick) or an Object Snap in the drawing for the selected label.
void take_from_drawing(TransformRun& run, bool snap) {
  const int field = run.selected;
  const int8_t kind = field > 0 ? label_kind(field) : static_cast<int8_t>(FIELD_POINT);
  if (kind == KIND_TANGENT) {
    if (!snap) take_tangent_link(run, field);
    return;
  }
  if (kind == KIND_TYPED_ONLY) return;
  float* value = field > 0 && kind != FIELD_LAYER ? field_variable(field) : nullptr;
  if (field > 0 && value == nullptr && kind != FIELD_LAYER) return;
  const uint8_t layer = g_value_form.layer;
  update_transform_preview(1);
  const int result = snap ? snap_field_from_drawing(field, kind, value)
                          : pick_field_from_drawing(field, kind, value);
  if (kind == FIELD_LAYER && g_value_form.layer != layer) {
    g_transform_form.retain_layers = false;
    if (ScreenControl* c = button_of(run, ID_RETAIN_LAYERS)) c->flags &= ~CF_CHECKED;
  }
  if (result == 1 || result == -1 || kind == FIELD_LAYER) redraw_form(run);
  update_transform_preview(0);
}

// Del on a selected label clears its field.
void clear_selected_field(TransformRun& run) {
  const int field = run.selected;
  if (field <= 0 || field == TF_LAYER) return;
  update_transform_preview(1);
  g_value_form.recompute(-field);
  if (label_kind(field) == KIND_TANGENT) {
    tangent_of(field) = PickedLink{};
    g_value_form.entered[field] = FIELD_EMPTY;
  }
  if (field == TF_START_X && g_transform_form.mode == TRANSFORM_ALIGN)
    g_value_form.link.link.point = g_value_form.link.closing.point;
  redraw_form(run);
  update_transform_preview(0);
}

// The layer list of the swatch: the chosen layer goes to the field and unticks "Retain layers".
void choose_layer(TransformRun& run) {
  const TextLine* chosen = pick_layer();
  if (chosen != nullptr && chosen->id >= 0 && chosen->id < LAYER_USER_COUNT) {
    g_value_form.layer = static_cast<uint8_t>(chosen->id);
    g_transform_form.retain_layers = false;
    if (ScreenControl* c = button_of(run, ID_RETAIN_LAYERS)) c->flags &= ~CF_CHECKED;
  }
  g_drawing_page.full_redraw = 1;
  redraw_form(run);
}

// After a zoom, a pan or a full redraw the page drew the working set in its own colours: the
// preview is forgotten and drawn again, and the panel too.
void redraw_after_view_change() {
  if (g_open_run == nullptr) return;
  update_transform_preview(2);
  if (g_transform_form.mode != TRANSFORM_LINE) update_transform_preview(0);
  else refresh_form_preview();
  show_prompt(g_value_form.title);
  redraw_form(*g_open_run);
}

}  // namespace

int value_transform_form(int mode) {
  TransformFormState& t = g_transform_form;
  open_state(mode);
  if (mode == TRANSFORM_LINE) g_value_form.recompute = recompute_line;
  g_value_form.layer_field = TF_LAYER;
  TransformRun run;
  build_table(run);
  g_open_run = &run;
  open_value_form_panel();
  g_value_form.after_view_change = redraw_after_view_change;
  g_controls.table_stack.push_back(g_controls.active);
  show_prompt(g_value_form.title);
  if (in_modes(TRANSFORM_MIRROR_MODES)) line_solver(TF_START_X);
  // The preset start is not the user's: the mirror line stands, the start stays preset.
  if (in_modes(TRANSFORM_MIRROR_MODES)) g_value_form.entered[TF_START_X] = FIELD_CARRIED;
  // The mirror line, the centre or the anchor is what is picked first.
  if (in_modes(TRANSFORM_MIRROR_MODES | TRANSFORM_ROTATE_MODES | TRANSFORM_SCALE_MODES))
    run.selected = TF_START_X;
  redraw_form(run);
  if (mode != TRANSFORM_LINE) update_transform_preview(0);
  int result = TRANSFORM_CANCELLED;
  EventCode pending = 0;
  for (;;) {
    const ScreenControl* label =
        run.selected > 0 ? find_control(run.selected + VALUE_LABEL_OFFSET) : nullptr;
    const int8_t kind = run.selected > 0 ? label_kind(run.selected) : static_cast<int8_t>(-1);
    EventCode event = pending;
    pending = 0;
    if (event == 0) event = read_value_form_event(label_message(run), label, kind);
    if (event == 0) continue;
    if (event == VALUE_FORM_REDRAWN || event == EVENT_VIEW_CHANGED) {
      redraw_after_view_change();
      continue;
    }
    if (starts_number(event)) {
      // Digits with no field being typed: the selected label's field, else the first.
      push_input_code_front(event);
      const int at = run.selected > 0 ? field_position(run, run.selected) : 0;
      run.selected = -1;
      run.current = std::max(at, 0);
      event = edit_fields(run);
      run.current = -1;
      if (event == EVENT_LEFT_DOWN || event == EVENT_CONTROL_CLICKED) pending = EVENT_CONTROL_CLICKED;
      continue;
    }
    if (event == VALUE_FORM_PICK || event == VALUE_FORM_SNAP) {
      take_from_drawing(run, event == VALUE_FORM_SNAP);
      continue;
    }
    if (event == KEY_DEL) {
      clear_selected_field(run);
      continue;
    }
    if (event == EVENT_LEFT_DOWN || event == EVENT_CONTROL_CLICKED) {
      if (event == EVENT_LEFT_DOWN) {
        g_canvas_cursor.click_x = g_pointer.wanted_x;
        g_canvas_cursor.click_y = g_pointer.wanted_y;
      }
      const int id = hit_test_controls(g_canvas_cursor.click_x, g_canvas_cursor.click_y);
      if (id == ID_CANCEL) break;
      if (id == ID_OK) {
        if (accept(run)) {
          result = t.delete_originals && in_modes(TRANSFORM_MIRROR_MODES)
                       ? TRANSFORM_MIRROR_REPLACES
                       : TRANSFORM_ACCEPTED;
          break;
        }
        continue;
      }
      if (run_form_header_button(id) != 0) continue;
      if (id == VALUE_ID_SWATCH) {
        choose_layer(run);
        continue;
      }
      if (id >= VALUE_LABEL_OFFSET) {
        run.selected = id - VALUE_LABEL_OFFSET;
        continue;
      }
      const int at = field_position(run, id);
      if (at >= 0) {
        run.selected = -1;
        run.current = at;
        event = edit_fields(run);
        run.current = -1;
        if (event == EVENT_LEFT_DOWN || event == EVENT_CONTROL_CLICKED)
          pending = EVENT_CONTROL_CLICKED;
      } else if (id > 0) {
        click_button(run, id);
      }
      continue;
    }
    if (event == KEY_ESC || event == EVENT_QUIT) {
      if (event == EVENT_QUIT) push_input_code(event);
      break;
    }
    if (event == KEY_ENTER) {
      if (accept(run))
        result = t.delete_originals && in_modes(TRANSFORM_MIRROR_MODES) ? TRANSFORM_MIRROR_REPLACES
                                                                        : TRANSFORM_ACCEPTED;
      break;
    }
  }
  // ROTATE and SCALE leave the committing to the command; a cancelled form leaves nothing drawn.
  if (mode >= TRANSFORM_ROTATE || result == TRANSFORM_CANCELLED) update_transform_preview(1);
  update_transform_preview(2);
  close_value_form(mode == TRANSFORM_LINE ? 1 : 0);
  g_open_run = nullptr;
  g_controls.active = g_controls.table_stack.back();
  g_controls.table_stack.pop_back();
  show_prompt("");
  g_drawing_page.full_redraw = 1;
  t.mode = TRANSFORM_LINE;
  return result;
}
