#include "commands/array_form.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "cam/machining_order.h"
#include "commands/value_form.h"
#include "editor/draw_style.h"
#include "editor/drawing_page_state.h"
#include "editor/edit_session.h"
#include "editor/canvas_cursor.h"
#include "editor/hover.h"
#include "editor/page_furniture.h"
#include "editor/undo_store.h"
#include "editor/view_state.h"
#include "geometry/item_motion.h"
#include "geometry/point_arrays.h"
#include "records/job_settings.h"
#include "screen/controls.h"
#include "screen/display_mode.h"
#include "screen/event_queue.h"
#include "screen/pointer.h"
#include "store/float_text.h"
#include "store/line_list.h"
#include "store/picture_numbers.h"
#include "text/text_layout.h"
#include "text/text_numbering.h"
#include "ui/entry_line.h"
#include "ui/field_flags.h"
#include "ui/message_box.h"
#include "ui/picture_menu.h"
#include "ui/pointer_motion.h"

ArrayFormState g_array_form;

namespace {

constexpr double DEGREES = 57.29577951308232;
constexpr double RADIANS = 0.017453292519943295;
constexpr double QUARTER_TURN = 1.5707963267948966;

// Control ids (the entry fields' ids are their indices).
constexpr uint8_t ID_OK = 96;
constexpr uint8_t ID_CANCEL = 1;
constexpr uint8_t ID_KIND = 2;
constexpr int START_X = 3;
constexpr int START_Y = 4;
constexpr int COUNT_A = 5;     // rows, or the circle's copies
constexpr int COUNT_B = 6;     // columns, or the circle's angular step
constexpr int SPACING_A = 7;   // row spacing, or the radius
constexpr int SPACING_B = 8;   // column spacing, or the start angle
constexpr int HANDLE_X = 9;
constexpr int HANDLE_Y = 10;
constexpr int LAYER_FIELD = 11;
constexpr uint8_t ID_DELETE_ORIGINALS = 23;
constexpr uint8_t ID_ROTATE = 24;
constexpr uint8_t ID_PLUS_90 = 25;
constexpr uint8_t ID_RETAIN_LAYERS = 26;
constexpr uint8_t ID_SELECT_HANDLE = 27;

constexpr int FIELD_COLUMN = -11;
constexpr int LABEL_LAST_COLUMN = -13;
constexpr int LEAVE_ESC = 27;
constexpr int LEAVE_CLICK = 698;
constexpr int MODE_DRAW = 0;
constexpr int MODE_ERASE_AND_DELETE = 1;
constexpr int MODE_DELETE_UNSEEN = 114;
constexpr uint8_t COPY_FLAGS = ITEM_FLAG_SELECTED | ITEM_FLAG_WORKING;
constexpr int16_t COPY_ORDER_BASE = 10000;
constexpr char COLOUR_ENTERED = 0x13;
constexpr char COLOUR_COMPUTED = 0x0E;
constexpr char COLOUR_HIGHLIGHT = 0x0B;
constexpr uint16_t FIELD_EXITS = EXIT_UP | EXIT_DOWN | EXIT_PAGE_KEYS | EXIT_ENTER;
constexpr uint16_t COUNT_EXITS =
    EXIT_UP | EXIT_DOWN | EXIT_LEFT | EXIT_RIGHT | EXIT_PAGE_KEYS | EXIT_ENTER;

constexpr char ROWS_REFUSED_TEXT[] =
    "An array has from 1 to 255 rows and from 1 to 255 columns; the count is left as it was.";
constexpr char CIRCLE_COUNT_REFUSED_TEXT[] =
    "A circular array holds from 1 to 32767 copies; the count is left as it was.";
constexpr char NO_MEMORY_TEXT[] =
    "There is not enough memory for every copy of this array, so no copies were made.\n"
    "Make the array smaller, or select fewer items.";

const char* const KIND_NAMES[] = {"Single point", "Align rows", "Ragged right", "Reduce odd",
                                  "Reduce even",  "Circular",   "Rectangle"};

bool circular() { return g_array_form.kind == POINT_ARRAY_CIRCLE; }

// The circular kind with radius 0: copies turn about the centre and are not moved.
bool turning_in_place() { return circular() && g_array_form.radius == 0.0f; }

struct ArrayRun {
  std::vector<ScreenControl> table;
  int current = -1;   // the field being edited, or -1
  int selected = -1;  // the field whose label is selected for a pick or a snap, or -1
};

// A selected label whose field only takes typed values (the counts).
constexpr int8_t KIND_TYPED_ONLY = 99;
constexpr char TYPED_ONLY_TEXT[] = "Type the value of this field.";

ArrayRun* g_run = nullptr;  // the open form's table, while array_form runs

ScreenControl* control(int id) {
  return g_run == nullptr ? nullptr : find_control_in(g_run->table.data(), id);
}

// Label controls carry no id; they are found by their place in the table.
enum LabelSlot { LABEL_START, LABEL_COUNT_A, LABEL_COUNT_B, LABEL_SPACING_A, LABEL_SPACING_B,
                 LABEL_COUNT };
int g_label_index[LABEL_COUNT] = {};

void set_label(LabelSlot slot, const char* text) {
  if (g_run == nullptr) return;
  ScreenControl& c = g_run->table[static_cast<size_t>(g_label_index[slot])];
  const int len = static_cast<int>(std::strlen(text));
  std::snprintf(c.caption, sizeof c.caption, "%s", text);
  c.column = static_cast<int16_t>(LABEL_LAST_COLUMN - len + 1);
  c.width = static_cast<int16_t>(len);
}

void set_hidden(int id, bool hidden) {
  ScreenControl* c = control(id);
  if (c == nullptr) return;
  if (hidden) c->flags |= CF_HIDDEN;
  else c->flags &= ~CF_HIDDEN;
}

void update_array_labels() {
  const bool circle = circular();
  set_label(LABEL_START, circle ? "Center:" : "Start:");
  set_label(LABEL_COUNT_A, circle ? "Num items:" : "Num rows:");
  set_label(LABEL_COUNT_B, circle ? "Spacing:" : "Num cols:");
  set_label(LABEL_SPACING_A, circle ? "Radius:" : "Row spacing:");
  set_label(LABEL_SPACING_B, circle ? "Start angle:" : "Col spacing:");
  if (ScreenControl* c = control(COUNT_B)) c->width = circle ? 9 : 4;
  if (ScreenControl* c = control(ID_KIND)) {
    std::snprintf(c->caption, sizeof c->caption, "%-12s\x08:", KIND_NAMES[g_array_form.kind]);
  }
}

// Shows or hides the circular-only and the handle controls; 1 for a circular array.
int update_array_controls() {
  const bool circle = circular();
  const bool in_place = turning_in_place();
  set_hidden(ID_ROTATE, !circle || in_place);
  set_hidden(ID_PLUS_90, !circle || in_place);
  set_hidden(HANDLE_X, in_place);
  set_hidden(HANDLE_Y, in_place);
  set_hidden(ID_SELECT_HANDLE, in_place);
  return circle ? 1 : 0;
}

std::string float_text(double value) { return format_float_text(value, FLOAT_FOUR_DECIMALS); }
std::string angle_text(double radians) {
  return format_float_text(radians * DEGREES, FLOAT_TWO_DECIMALS | FLOAT_DEGREES);
}

void write_caption(int id, const std::string& text, char colour = 0) {
  ScreenControl* c = control(id);
  if (c == nullptr) return;
  if (colour != 0) std::snprintf(c->caption, sizeof c->caption, "%c%s", colour, text.c_str());
  else std::snprintf(c->caption, sizeof c->caption, "%s", text.c_str());
}

char mark_colour(int field) {
  return g_value_form.entered[field] == FIELD_ENTERED ? COLOUR_ENTERED : COLOUR_COMPUTED;
}

void format_array_fields() {
  const ArrayFormState& a = g_array_form;
  const PointF start = g_value_form.link.link.point;
  write_caption(START_X, float_text(start.x), mark_colour(START_X));
  write_caption(START_Y, float_text(start.y), mark_colour(START_Y));
  if (circular()) {
    write_caption(COUNT_A, std::to_string(a.count));
    write_caption(COUNT_B, angle_text(a.angular_step));
    write_caption(SPACING_A, float_text(a.radius));
    write_caption(SPACING_B, angle_text(a.start_angle));
  } else {
    write_caption(COUNT_A, std::to_string(a.rows));
    write_caption(COUNT_B, std::to_string(a.columns));
    write_caption(SPACING_A, float_text(a.row_spacing));
    write_caption(SPACING_B, float_text(a.column_spacing));
  }
  write_caption(HANDLE_X, float_text(a.handle.x), mark_colour(HANDLE_X));
  write_caption(HANDLE_Y, float_text(a.handle.y), mark_colour(HANDLE_Y));
  char layer[8];
  std::snprintf(layer, sizeof layer, "%3d", g_value_form.layer);
  write_caption(LAYER_FIELD, layer);
}

// The pattern in the form's link: the anchor (start point) stays where the fields put it.
void write_array_pattern() {
  const ArrayFormState& a = g_array_form;
  LinkRecord& first = g_value_form.link.link;
  LinkRecord& closing = g_value_form.link.closing;
  const float scale = g_view.scale_x > 0.0f ? g_view.scale_x : 1.0f;
  first.code = -64.0f - 3.0f / scale;  // a point of 3 pixels
  closing.node_flags = NODE_CLOSING;
  if (circular()) {
    first.z = a.radius;
    first.start_angle = a.start_angle;
    first.sweep = a.angular_step;
    if (a.count >= 1 && a.angular_step == 0.0f)
      first.sweep = static_cast<float>(ANGLE_TWO_PI / a.count);
    set_point_array(&closing, static_cast<uint8_t>(a.count & 0xFF),
                    static_cast<uint8_t>((a.count >> 8) & 0xFF), POINT_ARRAY_CIRCLE);
  } else {
    first.centre = {a.column_spacing, a.row_spacing};
    set_point_array(&closing, static_cast<uint8_t>(a.columns), static_cast<uint8_t>(a.rows),
                    a.kind);
  }
}

// The handle from the working items' box by the handle mode.
void set_array_handle(PointF min, PointF max) {
  PointF& h = g_array_form.handle;
  switch (g_array_form.handle_mode) {
    case HANDLE_LOWER_LEFT: h = min; break;
    case HANDLE_UPPER_LEFT: h = {min.x, max.y}; break;
    case HANDLE_UPPER_RIGHT: h = max; break;
    case HANDLE_LOWER_RIGHT: h = {max.x, min.y}; break;
    default: h = {(min.x + max.x) / 2.0f, (min.y + max.y) / 2.0f}; break;
  }
}

void handle_from_working_items() {
  PointF min{};
  PointF max{};
  working_items_extents(&min, &max);
  set_array_handle(min, max);
}

// Copies every working item (up to the copies) to one position.
bool place_array_copies_at(const PointF& position) {
  ArrayFormState& a = g_array_form;
  PointF shift = {position.x - a.handle.x, position.y - a.handle.y};
  PointF pivot = a.handle;
  double turn = 0.0;
  if (turning_in_place()) {
    shift = {0.0f, 0.0f};
    pivot = g_value_form.link.link.point;
    turn = a.angle;
  } else if (circular()) {
    turn = (a.rotate != 0 ? a.angle : 0.0) - (a.plus_90 != 0 ? QUARTER_TURN : 0.0);
  }
  bool done = true;
  for (DrawingItem* item = g_lists.current.first; item != nullptr; item = item->next) {
    if ((item_flags(item) & ITEM_FLAG_WORKING) != 0 && item_block(item) != nullptr) {
      if (a.copy_item(item, 0) != 0) {
        done = false;
        break;
      }
      DrawingItem* copy = g_lists.current.last;
      if (a.first_copy == nullptr) a.first_copy = copy;
      set_item_flags(copy, 0);
      if (turn != 0.0) rotate_item(copy, &pivot, turn);
      translate_item(copy, &shift);
      if (item_is_text(copy)) text_layout_from_frame(copy);
      item_bounding_boxes(copy);
    }
    if (item == a.last_original) break;
  }
  a.angle += g_value_form.link.link.sweep;
  return done;
}

}  // namespace

bool make_array_copies() {
  ArrayFormState& a = g_array_form;
  if (form_complete() != 1 || a.first_copy != nullptr) return true;
  const PointF start = g_value_form.link.link.point;
  a.handle_to_start = {start.x - a.handle.x, start.y - a.handle.y};
  a.angle = g_value_form.link.link.start_angle;
  a.last_original = g_lists.current.last;
  bool done = true;
  if (turning_in_place()) {
    for (int k = 0; k < a.count && done; ++k) done = place_array_copies_at(start);
  } else {
    LinkRecord pattern[2] = {g_value_form.link.link, g_value_form.link.closing};
    for_each_array_position(pattern, [&](const PointF& p) {
      if (done) done = place_array_copies_at(p);
    });
  }
  if (!done) {
    clear_array_copies(MODE_DELETE_UNSEEN);
    show_text_box(NO_MEMORY_TEXT, TEXTBOX_PRESS_A_KEY);
    return false;
  }
  clear_array_copies(MODE_DRAW);
  return true;
}

void clear_array_copies(int mode) {
  ArrayFormState& a = g_array_form;
  if (a.first_copy == nullptr) return;
  if (mode == MODE_DRAW) {
    for (DrawingItem* c = a.first_copy; c != nullptr; c = c->next)
      draw_item_in_colour(c, COLOUR_EDITING);
    return;
  }
  DrawingItem* c = a.first_copy;
  a.first_copy = nullptr;
  while (c != nullptr) {
    DrawingItem* next = c->next;
    if (mode != MODE_DELETE_UNSEEN) draw_item_in_colour(c, COLOUR_EDITING);
    delete_line(c);
    c = next;
  }
}

void array_copies_extents(PointF* out_min, PointF* out_max) {
  *out_min = {1e38f, 1e38f};
  *out_max = {-1e38f, -1e38f};
  for (DrawingItem* c = g_array_form.first_copy; c != nullptr; c = c->next)
    grow_box_by_item(c, out_min, out_max);
}

int solve_array(int field) {
  ValueForm& f = g_value_form;
  ArrayFormState& a = g_array_form;
  if (field < 0) {
    if (-field < VALUE_FORM_MAX_CONTROLS) f.entered[-field] = FIELD_EMPTY;
    return 0;
  }
  if (field < VALUE_FORM_MAX_CONTROLS) f.entered[field] = FIELD_ENTERED;
  form_complete() = 0;
  if (field == SPACING_A) update_array_controls();
  bool complete = field_entered(START_X) && field_entered(START_Y);
  if (complete) {
    if (circular()) {
      complete = a.count > 0;
    } else {
      a.rows = std::max(a.rows, 1);
      a.columns = std::max(a.columns, 1);
      if (a.rows > 1 && a.row_spacing == 0.0f) complete = false;
      if (a.columns > 1 && a.column_spacing == 0.0f) complete = false;
    }
  }
  if (complete) {
    form_complete() = 1;
    write_array_pattern();
    f.link.closing.point = f.link.link.point;
  }
  format_array_fields();
  clear_array_copies(MODE_ERASE_AND_DELETE);
  if (complete) make_array_copies();
  return form_complete();
}

namespace {

void redraw_table() {
  if (g_run == nullptr) return;
  draw_controls(g_run->table.data(), 0);
}

void build_table(ArrayRun& run) {
  std::vector<ScreenControl>& t = run.table;
  const ArrayFormState& a = g_array_form;
  t.push_back(make_control("OK", ID_OK, 5, -16, 1, 4, 133, 0));
  t.push_back(make_control("Cancel", ID_CANCEL, 5, -10, 1, 8, 134, 0));
  t.push_back(make_control("", ID_KIND, 8, -15, 1, 14, 135, 0));
  t.push_back(make_control("", START_X, 10, FIELD_COLUMN, 1, 9, 136, CF_ENTRY));
  t.push_back(make_control("", START_Y, 11, FIELD_COLUMN, 1, 9, 136, CF_ENTRY));
  t.push_back(make_control("", COUNT_A, 13, FIELD_COLUMN, 1, 4, 137, CF_ENTRY));
  t.push_back(make_control("", COUNT_B, 15, FIELD_COLUMN, 1, 4, 137, CF_ENTRY));
  t.push_back(make_control("", SPACING_A, 17, FIELD_COLUMN, 1, 9, 137, CF_ENTRY));
  t.push_back(make_control("", SPACING_B, 19, FIELD_COLUMN, 1, 9, 137, CF_ENTRY));
  t.push_back(make_control("", HANDLE_X, 22, FIELD_COLUMN, 1, 9, 136, CF_ENTRY));
  t.push_back(make_control("", HANDLE_Y, 23, FIELD_COLUMN, 1, 9, 136, CF_ENTRY));
  t.push_back(make_control("", LAYER_FIELD, 25, FIELD_COLUMN, 1, 3, 47, CF_ENTRY));
  t.push_back(make_control("Type of\n array:", 0, 7, -23, 2, 7, 0, CF_NO_BOX));
  const int rows_of[LABEL_COUNT] = {10, 13, 15, 17, 19};
  // The labels select their fields for a pick or a snap in the drawing.
  const int fields_of[LABEL_COUNT] = {START_X, COUNT_A, COUNT_B, SPACING_A, SPACING_B};
  const auto label_id = [](int field) { return static_cast<uint8_t>(field + VALUE_LABEL_OFFSET); };
  for (int i = 0; i < LABEL_COUNT; ++i) {
    g_label_index[i] = static_cast<int>(t.size());
    t.push_back(make_control("", label_id(fields_of[i]), rows_of[i], LABEL_LAST_COLUMN, 1, 1, 0,
                             CF_FRAMED_LABEL));
  }
  t.push_back(make_control("Y only:", label_id(START_Y), 11, -19, 1, 7, 44, CF_FRAMED_LABEL));
  t.push_back(make_control("Handle:", label_id(HANDLE_X), 22, -19, 1, 7, 139, CF_FRAMED_LABEL));
  t.push_back(make_control("Y only:", label_id(HANDLE_Y), 23, -19, 1, 7, 44, CF_FRAMED_LABEL));
  t.push_back(make_control("Layer:", label_id(LAYER_FIELD), 25, -18, 1, 6, 45, CF_FRAMED_LABEL));
  auto check = [&](const char* caption, uint8_t id, int row, int column, int width, int hint,
                   uint8_t ticked) {
    std::string text(1, COLOUR_HIGHLIGHT);
    text += caption;
    t.push_back(make_control(text.c_str(), id, row, column, 1, width, hint,
                             CF_CHECKBOX | (ticked != 0 ? CF_CHECKED : 0)));
  };
  check("Delete originals", ID_DELETE_ORIGINALS, 31, -20, 18, 141, a.delete_originals);
  check("Rotate", ID_ROTATE, 29, -20, 8, 142, a.rotate);
  check("+90\xB0", ID_PLUS_90, 29, -8, 6, 110, a.plus_90);
  check("Retain layers", ID_RETAIN_LAYERS, 27, -20, 15, 149, a.retain_layers);
  t.push_back(make_control("Select Handle", ID_SELECT_HANDLE, 33, -20, 1, 15, 144, 0));
  t.push_back(make_control("\x0BHandle to align items", 0, 21, -26, 1, 22, 0, CF_NO_BOX));
  t.push_back(end_control());
}

// The field's value as the number box edits it.
struct FieldValue {
  void* value = nullptr;
  uint32_t flags = FIELD_FLOAT | FIELD_MINUS | FIELD_SELECT_ALL;
  int width = 9;
  bool angle = false;
  bool count = false;
};

float g_edit_scratch = 0.0f;

FieldValue field_value(int field) {
  ArrayFormState& a = g_array_form;
  FieldValue v;
  switch (field) {
    case START_X: v.value = &g_value_form.link.link.point.x; break;
    case START_Y: v.value = &g_value_form.link.link.point.y; break;
    case COUNT_A:
      v.value = circular() ? &a.count : &a.rows;
      v.flags = FIELD_LONG | FIELD_MINUS | FIELD_SELECT_ALL;
      v.width = 4;
      v.count = true;
      break;
    case COUNT_B:
      if (circular()) {
        v.value = &a.angular_step;
        v.angle = true;
      } else {
        v.value = &a.columns;
        v.flags = FIELD_LONG | FIELD_MINUS | FIELD_SELECT_ALL;
        v.width = 4;
        v.count = true;
      }
      break;
    case SPACING_A: v.value = circular() ? &a.radius : &a.row_spacing; break;
    case SPACING_B:
      v.value = circular() ? &a.start_angle : &a.column_spacing;
      v.angle = circular();
      break;
    case HANDLE_X: v.value = &a.handle.x; break;
    case HANDLE_Y: v.value = &a.handle.y; break;
    case LAYER_FIELD:
      v.value = &g_value_form.layer;
      v.flags = FIELD_BYTE | FIELD_SELECT_ALL;
      v.width = 3;
      break;
    default: break;
  }
  return v;
}

// A typed count the pattern cannot store is refused: the count stays as it was.
bool count_fits(int field, int32_t value) {
  if (circular() && field == COUNT_A) {
    if (value >= 0 && value <= ARRAY_MOST_CIRCLE_COPIES) return true;
    show_text_box(CIRCLE_COUNT_REFUSED_TEXT, TEXTBOX_PRESS_A_KEY);
    return false;
  }
  if (value <= ARRAY_MOST_ROWS) return true;
  show_text_box(ROWS_REFUSED_TEXT, TEXTBOX_PRESS_A_KEY);
  return false;
}

void set_ticked(uint8_t id, uint8_t ticked) {
  ScreenControl* c = control(id);
  if (c == nullptr) return;
  if (ticked != 0) c->flags |= CF_CHECKED;
  else c->flags &= ~CF_CHECKED;
}

// Edits one field in place; the key that ended the edit.
EventCode edit_one_field(int field) {
  ScreenControl* c = control(field);
  FieldValue v = field_value(field);
  if (c == nullptr || v.value == nullptr) return KEY_ESC;
  const auto& cell = g_display.presets[FACE_ROLE_MENU];
  const int row = c->y / std::max<int>(1, cell.cell_height);
  const int column = c->x / std::max<int>(1, cell.cell_width);
  int16_t result = 0;
  if (field == LAYER_FIELD) {
    const uint8_t before = g_value_form.layer;
    result = edit_number_box(row, column, v.width, v.value, v.flags, FIELD_EXITS);
    if (g_value_form.layer > LAYER_LAST_USER) g_value_form.layer = before;
    if (g_value_form.layer != before) {
      g_array_form.retain_layers = 0;
      set_ticked(ID_RETAIN_LAYERS, 0);
    }
    format_array_fields();
    redraw_table();
  } else if (v.count) {
    int32_t typed = *static_cast<int32_t*>(v.value);
    const int32_t before = typed;
    result = edit_number_box(row, column, v.width, &typed, v.flags, COUNT_EXITS);
    const EventCode key = result < 0 ? static_cast<EventCode>(-result) : result;
    if (result < 0 && key == KEY_DEL) {
      solve_array(-field);
    } else if (typed != before && count_fits(field, typed)) {
      *static_cast<int32_t*>(v.value) = typed;
      solve_array(field);
    }
    format_array_fields();
    redraw_table();
  } else {
    float shown = v.angle ? static_cast<float>(*static_cast<float*>(v.value) * DEGREES)
                          : *static_cast<float*>(v.value);
    g_edit_scratch = shown;
    result = edit_number_box(row, column, v.width, &g_edit_scratch, v.flags, FIELD_EXITS);
    const EventCode key = result < 0 ? static_cast<EventCode>(-result) : result;
    if (result < 0) {
      if (key == KEY_DEL) {
        solve_array(-field);
      } else {
        double value = v.angle ? g_edit_scratch * RADIANS : g_edit_scratch;
        if (field == COUNT_B && value >= ANGLE_TWO_PI) value = FULL_TURN_SWEEP;
        *static_cast<float*>(v.value) = static_cast<float>(value);
        solve_array(field);
      }
    }
    format_array_fields();
    redraw_table();
  }
  return result < 0 ? static_cast<EventCode>(-result) : result;
}

// The field loop: edits from run.current until a key leaves the fields; that key.
EventCode edit_fields(ArrayRun& run) {
  for (;;) {
    const EventCode key = edit_one_field(run.current);
    if (key == EVENT_QUIT) return KEY_ESC;
    if (key == KEY_DOWN || key == KEY_ENTER || key == KEY_TAB) {
      if (run.current >= LAYER_FIELD) return KEY_DOWN;
      ++run.current;
      while (run.current < LAYER_FIELD && control(run.current) != nullptr &&
             (control(run.current)->flags & CF_HIDDEN) != 0)
        ++run.current;
    } else if (key == KEY_UP) {
      if (run.current <= START_X) return KEY_UP;
      --run.current;
      while (run.current > START_X && (control(run.current)->flags & CF_HIDDEN) != 0)
        --run.current;
    } else if (key == KEY_PGUP) {
      run.current = START_X;
    } else if (key == KEY_PGDN) {
      run.current = LAYER_FIELD;
    } else if (key == KEY_ESC || key == 0 || key == EVENT_LEFT_DOWN ||
               key == EVENT_CONTROL_CLICKED || key == EVENT_RIGHT_DOWN) {
      return key;
    }
  }
}

// A new kind: labels, controls and fields follow, the array is solved again.
void change_kind(uint8_t kind) {
  ArrayFormState& a = g_array_form;
  if (kind == a.kind || kind < POINT_ARRAY_ROWS || kind > POINT_ARRAY_FRAME) return;
  a.kind = kind;
  update_array_labels();
  update_array_controls();
  solve_array(ID_KIND);
  redraw_table();
}

void run_kind_menu() {
  ScreenControl* c = control(ID_KIND);
  if (c == nullptr) return;
  const int cell = picture_grid_menu(PICTURE_PATTERN_KIND_MENU, 6, 1, c->x, c->y + c->hit_height,
                                     0, 0, g_array_form.kind - 1);
  if (cell >= 0 && cell < 6) change_kind(static_cast<uint8_t>(cell + 1));
}

void run_handle_menu() {
  ScreenControl* c = control(ID_SELECT_HANDLE);
  if (c == nullptr) return;
  const int cell = picture_grid_menu(PICTURE_HANDLE_MENU, 1, 5, c->x, c->y + c->hit_height, 0, 0,
                                     g_array_form.handle_mode);
  if (cell < 0 || cell > 4) return;
  g_array_form.handle_mode = static_cast<int16_t>(cell);
  handle_from_working_items();
  solve_array(HANDLE_X);
  redraw_table();
}

void toggle_check(uint8_t id) {
  ArrayFormState& a = g_array_form;
  uint8_t* tick = id == ID_DELETE_ORIGINALS ? &a.delete_originals
                  : id == ID_ROTATE         ? &a.rotate
                  : id == ID_PLUS_90        ? &a.plus_90
                                            : &a.retain_layers;
  *tick = *tick != 0 ? 0 : 1;
  set_ticked(id, *tick);
  if (id == ID_ROTATE || id == ID_PLUS_90) {
    clear_array_copies(MODE_ERASE_AND_DELETE);
    make_array_copies();
  }
  redraw_table();
}

// OK on a complete array: the copies become new items in one undo step. False when the copies
// could not be made (the form stays open).
bool accept_array() {
  ArrayFormState& a = g_array_form;
  clear_array_copies(MODE_DELETE_UNSEEN);
  if (!make_array_copies()) return false;
  DrawingItem* first_copy = a.first_copy;
  a.first_copy = nullptr;
  bool deleted = false;
  for (DrawingItem* item = g_lists.current.first; item != nullptr && item != first_copy;) {
    DrawingItem* next = item->next;
    if ((item_flags(item) & ITEM_FLAG_WORKING) != 0) {
      // A pattern with no position (a frame of one row) makes nothing: the originals stay.
      if (a.delete_originals != 0 && first_copy != nullptr) {
        move_to_originals(item);
        deleted = true;
      } else {
        set_item_flags(item, static_cast<uint8_t>(item_flags(item) & ~ITEM_FLAG_WORKING));
      }
    }
    item = next;
  }
  int copies = 0;
  int16_t order = COPY_ORDER_BASE;
  for (DrawingItem* c = first_copy; c != nullptr; c = c->next) {
    GeometryBlock* block = item_block(c);
    if (a.retain_layers == 0) block->layer = g_value_form.layer;
    if (block->cam_kind != GEOMETRY_KIND_DRAWING_AID) set_item_machining_order(c, order++);
    set_item_flags(c, COPY_FLAGS);
    set_item_id(c, ++g_job_settings.item_id_counter);
    ++copies;
  }
  if (deleted) undo_record_replaced(copies, 1);
  else if (copies > 0) undo_record_added(copies);
  g_drawing_page.full_redraw = 1;
  g_drawing_page.extents_request = 1;
  g_job_settings.job_changed |= JOB_CHANGED;
  g_job_settings.nc_state = 0;
  renumber_machining_order();
  renumber_text_items(1, 1);
  return true;
}

bool starts_number(EventCode code) {
  return (code >= '0' && code <= '9') || code == '-' || code == '.' || code == '/';
}

// What a pick or a snap on a field's label takes from the drawing.
int8_t label_kind(int field) {
  switch (field) {
    case START_X:
    case HANDLE_X: return FIELD_POINT;
    case START_Y:
    case HANDLE_Y: return FIELD_Y_ONLY;
    case SPACING_A: return FIELD_LENGTH;
    case SPACING_B: return static_cast<int8_t>(circular() ? FIELD_ANGLE : FIELD_LENGTH);
    case COUNT_B: return circular() ? static_cast<int8_t>(FIELD_ANGLE) : KIND_TYPED_ONLY;
    case LAYER_FIELD: return FIELD_LAYER;
    default: return KIND_TYPED_ONLY;
  }
}

// A click (pick) or an Object Snap in the drawing for the selected label.
void take_from_drawing(const ArrayRun& run, bool snap) {
  const int field = run.selected;
  const int8_t kind = field > 0 ? label_kind(field) : static_cast<int8_t>(FIELD_POINT);
  if (kind == KIND_TYPED_ONLY) return;
  float* value = field > 0 && kind != FIELD_LAYER ? static_cast<float*>(field_value(field).value)
                                                  : nullptr;
  const uint8_t layer = g_value_form.layer;
  const int result = snap ? snap_field_from_drawing(field, kind, value)
                          : pick_field_from_drawing(field, kind, value);
  if (kind == FIELD_LAYER && g_value_form.layer != layer) {
    g_array_form.retain_layers = 0;
    set_ticked(ID_RETAIN_LAYERS, 0);
  }
  if (result == 1 || result == -1 || kind == FIELD_LAYER) {
    format_array_fields();
    redraw_table();
  }
}

// Del on a selected label clears its field.
void clear_selected_field(const ArrayRun& run) {
  if (run.selected <= 0 || run.selected == LAYER_FIELD) return;
  solve_array(-run.selected);
  format_array_fields();
  redraw_table();
}

// After a zoom, a pan or a full redraw: the copies and the panel are drawn again.
void redraw_after_view_change() {
  if (g_run == nullptr) return;
  show_prompt(g_value_form.title);
  redraw_table();
}

}  // namespace

int array_form() {
  ArrayFormState& a = g_array_form;
  ArrayRun run;
  g_run = &run;
  zero_value_form_fields();
  ValueForm& f = g_value_form;
  f.kind = FORM_ARRAY;
  f.recompute = solve_array;
  f.layer_field = LAYER_FIELD;
  f.layer_edit_once = 1;
  if (a.layer_known == 0) {
    f.layer = g_drawing_page.current_layer;
    a.layer_known = 1;
  }
  a.rows = a.columns = 1;
  a.count = 0;
  a.first_copy = nullptr;
  if (a.kind < POINT_ARRAY_ROWS || a.kind > POINT_ARRAY_FRAME) a.kind = POINT_ARRAY_ROWS;
  handle_from_working_items();
  build_table(run);
  write_array_pattern();
  f.link.link.point = a.handle;
  update_array_labels();
  update_array_controls();
  format_array_fields();
  std::snprintf(f.title, sizeof f.title,
                "Create an \013array\x13 of items by specifying whatever you know about it.");
  push_control_table();
  show_prompt(f.title);
  redraw_table();
  int leave = LEAVE_ESC;
  EventCode pending = 0;
  open_value_form_panel();
  f.after_view_change = redraw_after_view_change;
  for (;;) {
    const ScreenControl* label =
        run.selected > 0 ? find_control(run.selected + VALUE_LABEL_OFFSET) : nullptr;
    const int8_t kind = run.selected > 0 ? label_kind(run.selected) : static_cast<int8_t>(-1);
    const char* message = kind == KIND_TYPED_ONLY ? TYPED_ONLY_TEXT : nullptr;
    EventCode event = pending;
    pending = 0;
    if (event == 0) event = read_value_form_event(message, label, kind);
    if (event == 0) continue;
    if (event == VALUE_FORM_REDRAWN || event == EVENT_VIEW_CHANGED) {
      redraw_after_view_change();
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
    if (starts_number(event) || event == KEY_RIGHT) {
      if (event != KEY_RIGHT) push_input_code_front(event);
      run.selected = -1;
      run.current = START_X;
      event = edit_fields(run);
      run.current = -1;
      if (event == EVENT_LEFT_DOWN || event == EVENT_CONTROL_CLICKED) pending = event;
      continue;
    }
    if (event == EVENT_LEFT_DOWN || event == EVENT_CONTROL_CLICKED) {
      const int id = event == EVENT_CONTROL_CLICKED
                         ? hit_test_controls(g_canvas_cursor.click_x, g_canvas_cursor.click_y)
                         : hit_test_controls(g_pointer.wanted_x, g_pointer.wanted_y);
      // The menus and boxes a click opens must not take its release for a click of their own.
      if (event == EVENT_LEFT_DOWN) wait_buttons_released();
      if (id >= VALUE_LABEL_OFFSET) {
        run.selected = id - VALUE_LABEL_OFFSET;
        continue;
      }
      if (id == ID_CANCEL) {
        leave = LEAVE_CLICK;
        break;
      }
      if (id == ID_OK) {
        const int state = check_form_complete();
        if (state < 0) continue;
        if (state == 0) {
          leave = LEAVE_CLICK;
          break;
        }
        if (!accept_array()) continue;
        leave = 0;
        break;
      }
      if (id == ID_KIND) run_kind_menu();
      else if (id == ID_SELECT_HANDLE) run_handle_menu();
      else if (id >= ID_DELETE_ORIGINALS && id <= ID_RETAIN_LAYERS)
        toggle_check(static_cast<uint8_t>(id));
      else if (id >= START_X && id <= LAYER_FIELD) {
        run.selected = -1;
        run.current = id;
        event = edit_fields(run);
        run.current = -1;
        if (event == EVENT_LEFT_DOWN || event == EVENT_CONTROL_CLICKED) pending = event;
      }
      continue;
    }
    if (event == KEY_ESC || event == EVENT_QUIT) {
      if (event == EVENT_QUIT) push_input_code(event);
      break;
    }
  }
  clear_array_copies(MODE_ERASE_AND_DELETE);
  close_value_form(0);
  pop_control_table();
  show_prompt("");
  g_drawing_page.full_redraw = 1;
  g_run = nullptr;
  return leave;
}

void reset_array_form() { g_array_form = ArrayFormState{}; }
