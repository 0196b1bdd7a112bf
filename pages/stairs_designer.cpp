#include "pages/stairs_designer.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "cam/machining_block.h"
#include "cam/make_nc.h"
#include "commands/join_items.h"
#include "editor/item_inspector.h"
#include "editor/marks.h"
#include "editor/page_redraw.h"
#include "editor/view.h"
#include "editor/view_state.h"
#include "geometry/drawing_item.h"
#include "pages/job_commands.h"
#include "pages/cam_tool_form.h"
#include "print/stairs_accept.h"
#include "print/stairs_build.h"
#include "print/stairs_params.h"
#include "print/stairs_solver.h"
#include "records/job_settings.h"
#include "records/preferences.h"
#include "screen/boxes.h"
#include "screen/controls.h"
#include "screen/display_mode.h"
#include "screen/hover.h"
#include "screen/interface_settings.h"
#include "screen/main_form.h"
#include "screen/pointer.h"
#include "screen/screen_attributes.h"
#include "screen/text_output.h"
#include "store/line_list.h"
#include "store/message_ids.h"
#include "store/picture_numbers.h"
#include "ui/dialog_form.h"
#include "ui/message_box.h"
#include "ui/picture_menu.h"
#include "ui/run_window.h"
#include "ui/settings_fields.h"
#include "ui/text_window.h"

namespace {

constexpr EventCode TAB_CHANGE_EVENT = 699;
constexpr EventCode REDRAW_ALL_ROWS = 243;
constexpr int TYPE_MENU_LEFT_OF_POINTER = 200;
constexpr int SHIFT_NOTE_ROW = 32;
constexpr int SHIFT_NOTE_COLUMNS = 24;
constexpr int VALUE_WIDTH = 10;
constexpr int FORM_WIDTH = 46;   // the forms' width in their layout code
constexpr int FORM_GAP = 3;      // columns between the drawing and a form's frame
constexpr int COUNT_WIDTH = 3;
constexpr int CHOICE_WIDTH = 3;
constexpr float RADIANS_PER_DEGREE = static_cast<float>(M_PI / 180.0);
constexpr EventCode ZOOM_IN_KEY = 329;
constexpr EventCode ZOOM_OUT_KEY = 337;
constexpr uint32_t PICTURE_BUTTON = 0x80100;
constexpr uint32_t LABEL_FLAGS = 0x120;

// The page's state beyond the block (which lives on in g_stairs between visits).
struct DesignerPage {
  std::vector<ScreenControl> buttons;
  std::vector<PageTab> tabs;
  int forms[3] = {};          // the catalogue form of each tab
  int tab_count = 3;
  int tab_rows[3] = {};       // each tab's last field row
  EventCode exit_event = 0;   // why the last form ended (27, 699, 5001)
  bool make_drawing = false;  // "Make into a drawing" was pressed
  bool restart = false;       // "Open" read a staircase: start again with its kind word
  int32_t restart_kind = 0;
  bool metric = false;
};
DesignerPage g_page;

std::vector<ScreenControl> make_buttons() {
  std::vector<ScreenControl> t = {
      make_control(" OK,\nDo it", STAIRS_ID_OK, 1, -28, 2, 5, 0, 0),
      make_control("Cancel", STAIRS_ID_CANCEL, 1, -8, 1, 6, 0, 0),
      make_control("Reset", STAIRS_ID_RESET, 1, -19, 1, 6, 0, 0),
      make_control("Make into a drawing", STAIRS_ID_MAKE_DRAWING, 2, 4, 1, 19, 0,
                   STAIRS_BUTTON_HIDDEN),
      make_control("\vL\023eft", STAIRS_ID_LEFT, 1, -38, 1, 6, 0, STAIRS_BOX_START),
      make_control("\vR\x13ight", STAIRS_ID_RIGHT, 2, -38, 1, 7, 0, STAIRS_BOX_START),
      make_control("Save", STAIRS_ID_SAVE, 3, 2, 1, 4, 0, CF_SMALL),
      make_control("Open", STAIRS_ID_OPEN, 3, 8, 1, 4, 0, CF_SMALL),
      make_control("Zoom:", 0, 2, 30, 1, 5, 0, LABEL_FLAGS),
      make_control("IN", STAIRS_ID_ZOOM_IN, 2, 36, 1, 2, 159, CF_SMALL),
      make_control("OUT", STAIRS_ID_ZOOM_OUT, 2, 40, 1, 3, 160, CF_SMALL),
      make_control("to \vs\x13tairs", STAIRS_ID_TO_STAIRS, 2, 45, 1, 9, 157, CF_SMALL),
      make_control("Pan", STAIRS_ID_PAN, 2, 60, 1, 3, 161, PICTURE_BUTTON),
  };
  t.back().style = -PICTURE_PAN_BUTTON;
  t.push_back(end_control());
  return t;
}

StairsParams& params() { return g_stairs.params; }
int32_t kind_of(const StairsParams& p) { return p.kind_word & STAIRS_KIND_MASK; }
bool cut_stringer() {
  return kind_of(params()) == STAIRS_KIND_SPECIAL && params().kind4_type == STAIRS_TYPE_CUT_STRINGER;
}
bool kind4_short_type() {
  return kind_of(params()) == STAIRS_KIND_SPECIAL &&
         (params().kind4_type == 3 || params().kind4_type == STAIRS_TYPE_LAST);
}
// Values the user did not enter are drawn in the second text colour.
bool g_derived = false;
void show_coloured(const std::string& text, int width) {
  const std::string shown = g_derived ? "\x0c" + text + "\x13" : text;
  show_string_value(shown.c_str(), width);
}
void show_value(double x, int width, int flags) {
  show_coloured(float_field_text(x, width, flags), width);
}
void show_count(int32_t n, int width) { show_coloured(std::to_string(n), width); }

int precision() { return g_page.metric ? FLOAT_TWO_DECIMALS : FLOAT_FOUR_DECIMALS; }

// The forms of the design (the kind and, for kind 4, its type).
void choose_forms() {
  DesignerPage& d = g_page;
  const StairsParams& p = params();
  d.tab_count = 3;
  switch (kind_of(p)) {
    case STAIRS_KIND_HOUSED:
      d.forms[0] = MSG_FORM_STAIRS_STAIR;
      d.forms[1] = MSG_FORM_STAIRS_STRINGER;
      break;
    case STAIRS_KIND_TREADS:
      d.forms[0] = MSG_FORM_STAIRS_TREADS_STAIR;
      d.forms[1] = MSG_FORM_STAIRS_TREADS_STRINGER;
      break;
    default:
      if (p.kind4_type == STAIRS_TYPE_CUT_STRINGER) {
        d.tab_count = 2;
        d.forms[0] = MSG_FORM_STAIRS_CUT_STRINGER;
        d.forms[1] = MSG_FORM_STAIRS_TABLE;
        return;
      }
      if (p.kind4_type == 3 || p.kind4_type == STAIRS_TYPE_LAST) {
        d.forms[0] = MSG_FORM_STAIRS_SHORT_STAIR;
        d.forms[1] = MSG_FORM_STAIRS_SHORT_STRINGER;
      } else {
        d.forms[0] = MSG_FORM_STAIRS_STAIR;
        d.forms[1] = MSG_FORM_STAIRS_SPECIAL_STRINGER;
      }
      break;
  }
  d.forms[2] = MSG_FORM_STAIRS_TABLE;
}

PageTab tab_named(const char* text) {
  PageTab t;
  std::snprintf(t.text, sizeof t.text, "%s", text);
  return t;
}

void lay_out_designer_tabs() {
  DesignerPage& d = g_page;
  d.tabs.clear();
  if (d.tab_count == 3) d.tabs.push_back(tab_named("Stair"));
  d.tabs.push_back(tab_named("Stringer"));
  d.tabs.push_back(tab_named("Table"));
  const int ch = g_display.presets[FACE_ROLE_MENU].cell_height;
  layout_tabs(d.tabs, 14, 0, 0, g_display.screen_width, 2 * ch - ch / 4);
}

// The Left and Right boxes and the "Make into a drawing" button follow the design.
void sync_buttons() {
  for (ScreenControl& c : g_page.buttons) {
    if (c.id == STAIRS_ID_LEFT) c.flags = g_stairs.left_flags;
    if (c.id == STAIRS_ID_RIGHT) c.flags = g_stairs.right_flags;
    if (c.id == STAIRS_ID_MAKE_DRAWING) c.flags = g_stairs.make_drawing_flags;
  }
}

void read_back_boxes() {
  for (const ScreenControl& c : g_page.buttons) {
    if (c.id == STAIRS_ID_LEFT) g_stairs.left_flags = c.flags;
    if (c.id == STAIRS_ID_RIGHT) g_stairs.right_flags = c.flags;
  }
}

// The drawing keeps left of the forms, which stand at the right edge.
void select_designer_box() {
  select_paint_box();
  const CellMetrics& normal = g_display.presets[FACE_ROLE_NORMAL];
  const int form_left = normal.last_column - FORM_WIDTH - FORM_GAP;
  if (normal.cell_width <= 0 || form_left <= 0) return;
  ViewState& v = g_view;
  v.area_width = static_cast<int16_t>(std::min<int>(v.area_width, form_left * normal.cell_width));
  v.box_width = v.area_width;
}

void draw_designer_page() {
  hide_pointer();
  g_form.redraw_level = 0;
  clear_tool_path();
  select_designer_box();
  use_normal_font();
  clear_screen();
  draw_page_tabs(1);
  clear_drawing_area();
  draw_caption(STAIRS_PROMPT, 1);
  sync_buttons();
  draw_controls(g_page.buttons.data(), 0);
  show_pointer();
}

// Runs work on the drawing with its window active (a form's lines are the current list while
// the form runs).
template <typename Work>
void with_drawing_window(Work work) {
  TextLine* const drawing = g_stairs.drawing_window;
  const bool switched = drawing != nullptr && g_windows.active_node != drawing;
  if (switched) {
    push_active_window();
    activate_window(drawing);
  }
  work();
  if (switched) {
    store_window_state();
    pop_active_window();
  }
}

void rebuild_drawing() {
  stairs_build_drawing();
  sync_buttons();
  draw_controls(g_page.buttons.data(), 0);
  with_drawing_window([] { redraw_drawing(); });
  show_stringer_shift();
}

void show_invalid_value() {
  show_text_box(STAIRS_INVALID_VALUE_TEXT,
                TEXTBOX_TIMED | TEXTBOX_SCREEN_CENTRE | STAIRS_INVALID_VALUE_TICKS);
}

// ---- editing one row ----

using EnterValue = bool (*)(StairsParams*, int, double);

// After an editor's result: a stored value goes through the row's rule. Returns the code the
// row's edit ends with (0 when the value was refused: the old value is drawn again).
EventCode take_entry(EventCode result, int row, double value, EnterValue enter) {
  if (result >= 0) return result;
  if (result == FIELD_CANCELLED) return 0;
  if (result == -KEY_DEL) value = 0;
  if (!enter(&params(), row, value)) {
    show_invalid_value();
    if (static_cast<size_t>(row) < g_field.redraw.size()) g_field.redraw[row] = 1;
    return 0;
  }
  rebuild_drawing();
  return result;
}

EventCode edit_float_row(int row, float shown, EnterValue enter, int width = VALUE_WIDTH) {
  float value = shown;
  const EventCode r =
      edit_value_field({&value, 0}, FIELD_FLOAT | FIELD_MINUS, FIELD_OPTIONS_USUAL, width);
  return take_entry(r, row, value, enter);
}

EventCode edit_count_row(int row, int32_t shown, EnterValue enter) {
  int32_t value = shown;
  const EventCode r =
      edit_value_field({&value, 0}, FIELD_LONG | FIELD_MINUS, FIELD_OPTIONS_USUAL, COUNT_WIDTH);
  return take_entry(r, row, value, enter);
}

EventCode edit_choice_row(int row, uint8_t shown, const char* letters, EnterValue enter) {
  uint8_t value = shown;
  const EventCode r = cycle_list_field(letters, &value, 0, CHOICE_WIDTH);
  return take_entry(r, row, value, enter);
}

EventCode edit_tool_row(int row, CamParams* block, EnterValue enter) {
  const EventCode r = edit_cam_tool(block, 0);
  if (r < 0 && enter != nullptr) {
    // A new tool may bring a new depth: the board thickness follows the outline.
    enter(&params(), row, block->finishing.cut_depth);
  }
  if (r < 0) rebuild_drawing();
  return r;
}

// Rows without a field: the cursor passes on the way it was going.
EventCode pass_row() { return g_field.last_ending_event == KEY_UP ? KEY_UP : KEY_DOWN; }

// ---- the stair form ----

bool stair_row_applies(int row) {
  const StairsParams& p = params();
  if (kind4_short_type()) {
    if (row <= 2) return false;
    if (row == STAIR_ROW_RUN || row == STAIR_ROW_COUNT) return false;
  }
  if (kind_of(p) == STAIRS_KIND_SPECIAL) {
    if (row == STAIR_ROW_TOP && (p.kind4_type == 0 || p.kind4_type == STAIRS_TYPE_LAST)) return false;
    if (row == STAIR_ROW_DROP && (p.kind4_type == 2 || p.kind4_type == 3)) return false;
  }
  return true;
}

EventCode edit_stair_row(int row) {
  StairsParams& p = params();
  if (row > STAIR_ROW_HOUSING_TOOL) return KEY_UP;
  if (!stair_row_applies(row)) return row <= 2 ? KEY_DOWN : pass_row();
  switch (row) {
    case STAIR_ROW_TOTAL: return edit_float_row(row, p.total_rise, enter_stair_value);
    case STAIR_ROW_ANGLE:
      return edit_float_row(row, p.pitch_angle / RADIANS_PER_DEGREE, enter_stair_value);
    case STAIR_ROW_TREAD: return edit_float_row(row, p.tread_thickness, enter_stair_value);
    case STAIR_ROW_NOSING: return edit_float_row(row, p.nosing, enter_stair_value);
    case STAIR_ROW_RISE: return edit_float_row(row, p.rise, enter_stair_value);
    case STAIR_ROW_RUN: return edit_float_row(row, p.run, enter_stair_value);
    case STAIR_ROW_COUNT: return edit_count_row(row, p.tread_count, enter_stair_value);
    case STAIR_ROW_TOP: return edit_float_row(row, std::fabs(p.top_offset), enter_stair_value);
    case STAIR_ROW_DROP: return edit_float_row(row, p.bottom_drop, enter_stair_value);
    case STAIR_ROW_RADIUS: return edit_float_row(row, p.corner_radius, enter_stair_value);
    case STAIR_ROW_BACK: return edit_float_row(row, p.housing_back, enter_stair_value);
    case STAIR_ROW_SLANT:
      return edit_float_row(row, p.riser_slant / RADIANS_PER_DEGREE, enter_stair_value);
    case STAIR_ROW_RISER: return edit_float_row(row, p.riser_thickness, enter_stair_value);
    case STAIR_ROW_HOUSING_TOOL: return edit_tool_row(row, &p.housing_cam, nullptr);
    default: return pass_row();
  }
}

int g_display_row = 0;  // the row the display pass is at

// The display pass steps field by field; these keep the current row for the derived colour.
void skip_row() {
  skip_field_display();
  ++g_display_row;
}
void show_float_row(double value) {
  show_derived_value(value, VALUE_WIDTH, precision());
  ++g_display_row;
}

void show_stair_form() {
  const StairsParams& p = params();
  g_display_row = 0;
  const bool short_type = kind4_short_type();
  short_type ? skip_row() : show_float_row(p.total_rise);
  short_type ? skip_row() : show_float_row(p.pitch_angle / RADIANS_PER_DEGREE);
  skip_row();
  show_float_row(p.tread_thickness);
  show_float_row(p.nosing);
  skip_row();
  show_float_row(p.rise);
  short_type ? skip_row() : show_float_row(p.run);
  skip_row();
  if (short_type) {
    skip_row();
  } else {
    const bool derived = stairs_row_derived(p, STAIR_ROW_COUNT);
    g_derived = derived;
    show_count(p.tread_count, COUNT_WIDTH);
    g_derived = false;
    ++g_display_row;
  }
  stair_row_applies(STAIR_ROW_TOP) ? show_float_row(std::fabs(p.top_offset)) : skip_row();
  stair_row_applies(STAIR_ROW_DROP) ? show_float_row(p.bottom_drop) : skip_row();
  show_float_row(p.corner_radius);
  show_float_row(p.housing_back);
  skip_row();
  show_float_row(p.riser_slant / RADIANS_PER_DEGREE);
  show_float_row(p.riser_thickness);
  show_count(p.housing_cam.finishing.tool_number, COUNT_WIDTH);
}

// ---- the stringer form ----

int stringer_rows() {
  switch (kind_of(params())) {
    case STAIRS_KIND_HOUSED: return STRINGER_ROW_LENGTH + 1;
    case STAIRS_KIND_TREADS: return STRINGER_ROW_TOP_EXTRA + 1;
    default: return STRINGER_ROW_CORNER + 1;
  }
}

bool side_row_applies() {
  return kind_of(params()) == STAIRS_KIND_SPECIAL && params().kind4_type <= 2;
}

EventCode edit_stringer_row(int row) {
  StairsParams& p = params();
  if (row >= stringer_rows()) return KEY_UP;
  switch (row) {
    case STRINGER_ROW_MARGIN: return edit_float_row(row, p.housing_margin, enter_stringer_value);
    case STRINGER_ROW_RISER_MARGIN:
      return edit_float_row(row, p.riser_margin, enter_stringer_value);
    case STRINGER_ROW_OUTLINE_TOOL:
      return edit_tool_row(STRINGER_ROW_THICKNESS, &p.outline_cam, enter_stringer_value);
    case STRINGER_ROW_THICKNESS: return edit_float_row(row, p.board_thickness, enter_stringer_value);
    case STRINGER_ROW_WIDTH: return edit_float_row(row, p.board_width, enter_stringer_value);
    case STRINGER_ROW_SIDE:
      if (!side_row_applies()) return pass_row();
      return edit_choice_row(row, p.side, "LR", enter_stringer_value);
    case STRINGER_ROW_TOP_EXTRA:
      if (kind_of(p) != STAIRS_KIND_TREADS) return pass_row();
      return edit_float_row(row, p.top_extra_height, enter_stringer_value);
    case STRINGER_ROW_FIRST_GOING: return edit_float_row(row, p.first_going, enter_stringer_value);
    case STRINGER_ROW_LAST_GOING: return edit_float_row(row, p.last_going, enter_stringer_value);
    case STRINGER_ROW_CORNER:
      return edit_float_row(row, p.entered_corner_height, enter_stringer_value);
    default: return pass_row();
  }
}

void show_plain_float(double value) {
  show_value(value, VALUE_WIDTH, precision());
  ++g_display_row;
}

void show_stringer_form() {
  const StairsParams& p = params();
  const int rows = stringer_rows();
  g_display_row = 0;
  show_plain_float(p.housing_margin);
  show_plain_float(p.riser_margin);
  show_count(p.outline_cam.finishing.tool_number, COUNT_WIDTH);
  ++g_display_row;
  skip_row();
  skip_row();
  show_plain_float(p.board_thickness);
  g_derived = p.earlier_marks[STAIRS_WIDTH_MARK_ROW] == 0;
  show_value(p.board_width, VALUE_WIDTH, precision());
  g_derived = false;
  ++g_display_row;
  g_derived = true;
  show_value(p.board_length, VALUE_WIDTH, precision());
  g_derived = false;
  ++g_display_row;
  if (rows <= STRINGER_ROW_LENGTH + 1) return;
  skip_row();
  skip_row();
  if (side_row_applies()) {
    static const char* const SIDES[] = {"\vL\023eft", "\vR\x13ight", nullptr};
    show_choice_value(SIDES, p.side != 0 ? 1 : 0, 6);
    ++g_display_row;
  } else {
    skip_row();
  }
  kind_of(p) == STAIRS_KIND_TREADS ? show_plain_float(p.top_extra_height) : skip_row();
  if (rows <= STRINGER_ROW_TOP_EXTRA + 1) return;
  show_plain_float(p.first_going);
  show_plain_float(p.last_going);
  skip_row();
  if (p.entered_corner_height > 0) {
    show_plain_float(p.entered_corner_height);
  } else {
    g_derived = true;
    show_plain_float(p.state == 0 ? p.group_corner_height : p.wide_corner_height);
    g_derived = false;
  }
}

// ---- the table form ----

EventCode edit_table_row(int row) {
  StairsParams& p = params();
  switch (row) {
    case TABLE_ROW_RAILS: return edit_float_row(row, p.rail_distance, enter_table_value);
    case TABLE_ROW_LENGTH: return edit_float_row(row, p.table_length, enter_table_value);
    case TABLE_ROW_MARGIN_ALONG: return edit_float_row(row, p.margin_along, enter_table_value);
    case TABLE_ROW_MARGIN_ACROSS: return edit_float_row(row, p.margin_across, enter_table_value);
    case TABLE_ROW_MARKERS: return edit_choice_row(row, p.marker_choice, "NY", enter_table_value);
    case TABLE_ROW_AXIS: return edit_choice_row(row, p.table_axis, "XY", enter_table_value);
    default: return row > TABLE_ROW_AXIS ? KEY_UP : pass_row();
  }
}

void show_table_form() {
  static const char* const NO_YES[] = {"N", "Y", nullptr};
  static const char* const AXES[] = {"X", "Y", nullptr};
  const StairsParams& p = params();
  g_display_row = 0;
  show_plain_float(p.rail_distance);
  skip_row();
  skip_row();
  skip_row();
  show_plain_float(p.table_length);
  skip_row();
  show_plain_float(p.margin_along);
  show_plain_float(p.margin_across);
  skip_row();
  show_choice_value(NO_YES, p.marker_choice != 0 ? 1 : 0, CHOICE_WIDTH);
  skip_row();
  show_choice_value(AXES, p.table_axis != 0 ? 1 : 0, CHOICE_WIDTH);
}

// ---- the cut-stringer form ----

EventCode edit_cut_row(int row) {
  StairsParams& p = params();
  const EnterValue e = enter_cut_stringer_value;
  switch (row) {
    case CUT_ROW_RISE: return edit_float_row(row, p.rise, e);
    case CUT_ROW_RUN: return edit_float_row(row, p.run, e);
    case CUT_ROW_TREAD: return edit_float_row(row, p.tread_thickness, e);
    case CUT_ROW_COUNT: return edit_count_row(row, p.tread_count, e);
    case CUT_ROW_DROP: return edit_float_row(row, p.bottom_drop, e);
    case CUT_ROW_TOP_DROP: return edit_float_row(row, p.cut_top_drop, e);
    case CUT_ROW_BOTTOM_X: return edit_float_row(row, p.cut_bottom_x, e);
    case CUT_ROW_BOARD_BELOW: return edit_float_row(row, p.cut_board_below, e);
    case CUT_ROW_THICKNESS: return edit_float_row(row, p.board_thickness, e);
    case CUT_ROW_OUTLINE_TOOL: return edit_tool_row(CUT_ROW_THICKNESS, &p.outline_cam, e);
    case CUT_ROW_STEP_LINE: return edit_choice_row(row, p.step_line_choice, "NY", e);
    case CUT_ROW_STEP_LINE_TOOL: return edit_tool_row(row, &p.third_cam, nullptr);
    case CUT_ROW_SAWTOOTH: return edit_float_row(row, p.sawtooth_offset, e);
    default: return row > CUT_ROW_SAWTOOTH ? KEY_UP : pass_row();
  }
}

void show_cut_form() {
  static const char* const NO_YES[] = {"N", "Y", nullptr};
  StairsParams& p = params();
  if (p.total_rise == 0) p.rise = 0;
  g_display_row = 0;
  show_plain_float(p.rise);
  show_plain_float(p.run);
  show_plain_float(p.tread_thickness);
  skip_row();
  show_count(p.tread_count, COUNT_WIDTH);
  ++g_display_row;
  show_plain_float(p.bottom_drop);
  skip_row();
  show_plain_float(p.cut_top_drop);
  show_plain_float(p.cut_bottom_x);
  skip_row();
  show_plain_float(p.cut_board_below);
  g_derived = true;
  show_plain_float(p.board_length);
  show_plain_float(p.board_width);
  show_value(p.pitch_angle / RADIANS_PER_DEGREE, VALUE_WIDTH, FLOAT_ONE_DECIMAL);
  ++g_display_row;
  g_derived = false;
  show_plain_float(p.board_thickness);
  show_count(p.outline_cam.finishing.tool_number, COUNT_WIDTH);
  ++g_display_row;
  skip_row();
  show_choice_value(NO_YES, p.step_line_choice != 0 ? 1 : 0, CHOICE_WIDTH);
  ++g_display_row;
  show_count(p.third_cam.finishing.tool_number, COUNT_WIDTH);
  ++g_display_row;
  show_plain_float(p.sawtooth_offset);
}

// ---- common to the four handlers ----

// A click on a choice or tool row of the form on show opens it, as a click on the field does.
bool click_opens_row(int row) {
  const int form = g_page.forms[g_stairs.current_tab];
  if (form == MSG_FORM_STAIRS_TABLE) return row == TABLE_ROW_MARKERS || row == TABLE_ROW_AXIS;
  if (form == MSG_FORM_STAIRS_CUT_STRINGER)
    return row == 12 || row == CUT_ROW_OUTLINE_TOOL || row == CUT_ROW_STEP_LINE ||
           row == CUT_ROW_STEP_LINE_TOOL;
  if (g_stairs.current_tab == 0) return row == STAIR_ROW_HOUSING_TOOL;
  return row == STRINGER_ROW_OUTLINE_TOOL || row == STRINGER_ROW_SIDE;
}

// The row editor of the form on show, and whether a dialog it opened (the tool form) covered
// the page: the form repaints itself at once, so the page's own redraw is noted here first.
EventCode (*g_row_editor)(int row) = nullptr;
bool g_page_covered = false;
EventCode edit_row_noting_cover(int row) {
  const EventCode result = g_row_editor(row);
  if (g_form.redraw_level != 0) g_page_covered = true;
  return result;
}

EventCode run_handler(EventCode (*edit)(int row), void (*show)()) {
  g_row_editor = edit;
  g_page_covered = false;
  EventCode result = edit_current_field(edit_row_noting_cover);
  if (result != FORM_FIRST_PASS) {
    if (result > 0) {
      result = panel_event_filter(result);
      if (result == KEY_ESC) {
        g_page.exit_event = KEY_ESC;
        return end_field_handler(KEY_ESC);
      }
    }
    if (g_form.redraw_level != 0 || g_page_covered) {
      g_page.exit_event = EVENT_REDRAW;
      return end_field_handler(KEY_ESC);
    }
    if (result >= 0) {
      const EventCode click = stairs_button_click(result);
      if (click != -1) {
        if (click == REDRAW_ALL_ROWS) {
          show_every_field(show);
          return end_field_handler(0);
        }
        if (click == KEY_ESC || click == WINDOW_ACCEPT) return click;
        return end_field_handler(click);
      }
    }
  }
  show_every_field(show);
  return end_field_handler(result);
}

void end_form(EventCode exit_event) { g_page.exit_event = exit_event; }

// ---- entering and leaving ----

void free_designer_items() { free_current_list(); }

void hand_over_as_drawing() {
  for (DrawingItem* item = g_lists.current.first; item != nullptr; item = item->next) {
    make_nodes_loose(item);
    set_item_id(item, ++g_job_settings.item_id_counter);
    clear_item_node_marks(item, 0);
    remove_item_cam(item);
  }
  explode_and_rejoin_active();
  mark_job_changed();
}

// OK: the checks, then the staircase goes on the table and becomes the NC program.
bool accepted_design() {
  const char* problem = stairs_acceptance_problem(params(), g_stairs.left_flags, g_stairs.right_flags);
  if (problem != nullptr) {
    show_text_box(problem, TEXTBOX_WAIT_KEY | TEXTBOX_SCREEN_CENTRE);
    g_form.redraw_level = 1;
    return false;
  }
  return true;
}

void finish_with_program() {
  if (accept_stairs_design() != 0) return;
  g_job_settings.surface_flag = 1;
  g_preferences.current_page = PAGE_NC_PROGRAM;
  const int made = make_nc_program();
  delete_marker_items();
  clear_tool_path();
  // A run that failed or was cancelled is not recorded as a program made.
  if (made != 0) g_job_settings.nc_state = NC_STATE_PROGRAM_READY;
  stairs_save_defaults();
}

// The kind-4 type from its picture menu; false when cancelled.
bool choose_kind4_type() {
  StairsParams& p = params();
  const int x = std::max(g_pointer.wanted_x - TYPE_MENU_LEFT_OF_POINTER, 1);
  const int cell = picture_grid_menu(PICTURE_STRINGER_TYPE_MENU, 2, 3, x, std::max(g_pointer.wanted_y, 1),
                                     0, 0, std::clamp<int>(p.kind4_type, 0, STAIRS_TYPE_LAST));
  if (cell < 0) return false;
  const int type = cell & 0xFF;
  p.kind4_type = type;
  p.type_0_to_2 = type <= 2 ? 1 : 0;
  p.type_3 = type == 3 ? 1 : 0;
  p.type_4 = type == STAIRS_TYPE_CUT_STRINGER ? 1 : 0;
  p.type_5 = type == STAIRS_TYPE_LAST ? 1 : 0;
  p.state = type == 1 ? 2 : (type == 2 || type == STAIRS_TYPE_LAST) ? 1 : 0;
  p.side = 0;
  if (type == 3 || type == STAIRS_TYPE_LAST) p.tread_count = 5;
  return true;
}

void hide_boxes_for_kind4() {
  if (kind_of(params()) == STAIRS_KIND_SPECIAL && params().kind4_type <= 2) {
    g_stairs.left_flags = STAIRS_BOX_HIDDEN;
    g_stairs.right_flags = STAIRS_BOX_HIDDEN;
  }
}

// One visit of the forms; false when the designer is to end.
EventCode run_current_form() {
  DesignerPage& d = g_page;
  const int tab = std::clamp(g_stairs.current_tab, 0, d.tab_count - 1);
  const int form = d.forms[tab];
  WindowKeyFilter handler = stringer_form_field;
  if (form == MSG_FORM_STAIRS_TABLE) {
    handler = table_form_field;
  } else if (form == MSG_FORM_STAIRS_CUT_STRINGER) {
    handler = cut_stringer_form_field;
  } else if (tab == 0) {
    handler = stair_form_field;
  }
  if (handler == stringer_form_field || handler == table_form_field) update_riser_margin(&params());
  d.exit_event = 0;
  g_field.next_label_width = widest_form_label(form) + 1;
  g_field.initial_field = d.tab_rows[tab];
  const int accepted = run_dialog(form, handler);
  d.tab_rows[tab] = g_field.last_field_row;
  return accepted == 1 ? WINDOW_ACCEPT : d.exit_event;
}

}  // namespace

// ---- the handlers ----

EventCode stair_form_field() { return run_handler(edit_stair_row, show_stair_form); }
EventCode stringer_form_field() { return run_handler(edit_stringer_row, show_stringer_form); }
EventCode table_form_field() { return run_handler(edit_table_row, show_table_form); }
EventCode cut_stringer_form_field() { return run_handler(edit_cut_row, show_cut_form); }

void show_derived_value(double value, int width, int flags) {
  const bool derived = g_display_row <= STAIR_ROW_LAST_SOLVED && g_stairs.current_tab == 0 &&
                       !cut_stringer() && stairs_row_derived(params(), g_display_row);
  g_derived = derived;
  show_value(value, width, flags);
  g_derived = false;
}

void show_stringer_shift() {
  if (kind4_short_type()) return;
  const CellMetrics& cells = g_display.current;
  const int column = std::max(cells.last_column - SHIFT_NOTE_COLUMNS, 0);
  // Above the help line on screens too small for its usual row.
  const int row = std::max(std::min(SHIFT_NOTE_ROW, cells.last_row - 3), 0);
  const std::string note = stringer_shift_note(params(), g_stairs.shift_count);
  const std::string blank(SHIFT_NOTE_COLUMNS, ' ');
  draw_text(row, column, blank.c_str());
  draw_text(row + 1, column, blank.c_str());
  if (note.empty()) return;
  const size_t cut = note.find('\n');
  draw_text(row, column, note.substr(0, cut).c_str());
  if (cut != std::string::npos) draw_text(row + 1, column, note.substr(cut + 1).c_str());
}

EventCode stairs_button_click(EventCode event) {
  if (event != EVENT_LEFT_DOWN) return -1;
  if (g_form.redraw_level == 'm') {
    end_form(EVENT_REDRAW);
    return KEY_ESC;
  }
  const int hit = hit_test_pointer(true);
  if (hit < 0) return click_on_form_row(click_opens_row);
  if ((hit & HIT_PAGE_TAB) != 0) {
    const int tab = hit & 0xFF;
    if (tab == g_stairs.current_tab || tab >= g_page.tab_count) return 0;
    g_stairs.current_tab = tab;
    g_tab_strip.active = tab;
    end_form(TAB_CHANGE_EVENT);
    return KEY_ESC;
  }
  const int id = hit & 0xFF;
  switch (id) {
    case STAIRS_ID_CANCEL: end_form(KEY_ESC); return KEY_ESC;
    case STAIRS_ID_OK: return g_windows.active != nullptr ? WINDOW_ACCEPT : 0;
    case STAIRS_ID_TO_STAIRS:
      with_drawing_window([] { zoom_to_drawing(); });
      g_stairs.view_kept = false;
      return 0;
    default: break;
  }
  EventCode result = 0;
  switch (id) {
    case STAIRS_ID_MAKE_DRAWING:
      g_page.make_drawing = true;
      end_form(KEY_ESC);
      result = KEY_ESC;
      break;
    case STAIRS_ID_LEFT:
    case STAIRS_ID_RIGHT: {
      ScreenControl* c = find_control(id);
      if (c != nullptr) toggle_control(static_cast<int>(c - g_page.buttons.data()));
      read_back_boxes();
      break;
    }
    case STAIRS_ID_SAVE: stairs_save(); break;
    case STAIRS_ID_OPEN: {
      const int32_t kind_word = stairs_load();
      if (kind_word > 0) {
        g_page.restart = true;
        g_page.restart_kind = kind_word;
        end_form(KEY_ESC);
        result = KEY_ESC;
      }
      break;
    }
    case STAIRS_ID_ZOOM_IN:
      with_drawing_window([] { repeat_zoom_while_held(ZOOM_IN_KEY, nullptr); });
      break;
    case STAIRS_ID_ZOOM_OUT:
      with_drawing_window([] { repeat_zoom_while_held(ZOOM_OUT_KEY, nullptr); });
      break;
    case STAIRS_ID_PAN: with_drawing_window([] { pan_by_drag(); }); break;
    case STAIRS_ID_RESET:
      clear_stairs_marks(&params());
      result = REDRAW_ALL_ROWS;
      break;
    default: return 0;
  }
  g_stairs.view_kept = true;
  return result;
}

EventCode stairs_designer(int32_t kind) {
  // The designer replaces the drawing: a changed job is offered for saving first.
  if (ask_save_changes(MSG_SAVE_UNNAMED_BEFORE_NEW) != 0) {
    g_form.redraw_level = 1;
    return 0;
  }
  DesignerPage& d = g_page;
  const TabStrip saved_tabs = g_tab_strip;
  const uint8_t saved_material_box = g_job_settings.material_box_shown;
  g_job_settings.material_box_shown = 0;
  if (d.buttons.empty()) d.buttons = make_buttons();
  g_stairs.show_message = [](const char* text) {
    show_text_box(text, TEXTBOX_WAIT_KEY | TEXTBOX_SCREEN_CENTRE);
  };
  // The drawing's window holds the designer's items while the forms run over it.
  if (g_windows.active_node != nullptr) store_window_state();
  g_stairs.drawing_window = g_windows.active_node;
  bool restarting = false;
  int32_t kind_word = kind;
  EventCode outcome = 0;
  d.make_drawing = false;
  free_current_list();
  for (;;) {
    g_stairs.view_kept = false;
    d.restart = false;
    // A block of the other unit keeps its unit: the block's own unit rules while it is open.
    if (!restarting && g_preferences.default_job.units == JOB_UNITS_MILLIMETRE)
      kind_word |= STAIRS_METRIC;
    if (params().kind_word != kind_word) stairs_defaults(kind_word);
    d.metric = (params().kind_word & STAIRS_METRIC) != 0;
    choose_forms();
    if (!restarting) {
      g_stairs.left_flags = STAIRS_BOX_START;
      g_stairs.right_flags = STAIRS_BOX_START;
      if (kind_of(params()) == STAIRS_KIND_SPECIAL) {
        if (!choose_kind4_type()) {
          outcome = 0;
          break;
        }
        choose_forms();
      }
    }
    hide_boxes_for_kind4();
    g_stairs.current_tab = 0;
    std::fill(std::begin(d.tab_rows), std::end(d.tab_rows), 0);
    if (params().rise <= 0) params().tread_count = 0;
    lay_out_designer_tabs();
    g_tab_strip.active = 0;
    draw_designer_page();
    bool leave = false;
    bool accepted = false;
    while (!leave) {
      draw_page_tabs(0);
      rebuild_drawing();
      const EventCode ended = run_current_form();
      if (d.restart) break;
      if (g_events.quit_requested) {
        leave = true;
      } else if (g_form.resize_pending != RESIZE_NONE) {
        set_display_mode(g_interface.display_choice);
        g_form.resize_pending = RESIZE_NONE;
        lay_out_designer_tabs();
        draw_designer_page();
      } else if (ended == WINDOW_ACCEPT) {
        if (accepted_design()) {
          accepted = true;
          leave = true;
        } else {
          draw_designer_page();
        }
      } else if (ended == KEY_ESC || ended == 0) {
        leave = true;
      } else {
        // A tab change or an uncovered page: the next form goes on a page drawn afresh.
        draw_designer_page();
      }
    }
    if (d.restart) {
      restarting = true;
      kind_word = d.restart_kind;
      continue;
    }
    if (accepted) {
      finish_with_program();
      outcome = KEY_ESC;
    }
    break;
  }
  if (d.make_drawing && g_stairs.complete) {
    g_preferences.current_page = PAGE_DRAWING;
    hand_over_as_drawing();
    outcome = KEY_ESC;
  } else if (outcome != KEY_ESC) {
    free_designer_items();
  }
  // The job's unit is the block's once the designer's drawing is the job's.
  if (outcome == KEY_ESC)
    g_job_settings.units = d.metric ? JOB_UNITS_MILLIMETRE : JOB_UNITS_INCH;
  if (!d.make_drawing) g_job_settings.job_changed = 0;
  ++g_form.redraw_level;
  g_stairs.show_message = nullptr;
  g_stairs.drawing_window = nullptr;
  g_tab_strip = saved_tabs;
  g_job_settings.material_box_shown = saved_material_box;
  return outcome;
}
