// The dialogs of the whole-drawing transforms (rotate, mirror, a point's new coordinates) and
// the Drawing page's display options.
#include <algorithm>
#include <cmath>
#include <string>

#include "commands/transform_all.h"
#include "editor/page_redraw.h"
#include "editor/rubber_box.h"
#include "records/preferences.h"
#include "store/catalogue.h"
#include "store/float_text.h"
#include "store/line_list.h"
#include "store/message_ids.h"
#include "ui/dialog_form.h"
#include "ui/list_window.h"
#include "ui/run_window.h"
#include "ui/settings_fields.h"
#include "ui/text_window.h"

namespace {

constexpr int ANGLE_WIDTH = 8;
constexpr int COORD_WIDTH = 9;
constexpr int CHOICE_WIDTH = 3;
constexpr int MODE_WIDTH = 14;
constexpr int ANGLE_FLAGS = 1 | FLOAT_DEGREES;  // two decimals and the degree sign
constexpr int COORD_FLAGS = 0;                  // four decimals
constexpr char NY_LETTERS[] = "NY";
constexpr int DISPLAY_OPTION_COUNT = 12;
constexpr uint32_t CHOICE_PRESET = 0x80000000u;  // the check list takes its checks from the mask
constexpr char AXIS_LETTERS[] = "XY";
const char* const NO_YES[] = {"No", "Yes"};
const char* const MIRROR_MODES[] = {"Full mirroring", "Location only", "Text only", nullptr};
constexpr char MIRROR_MODE_LETTERS[] = "FLT";
constexpr char MODE_LIST_TITLE[] = "Select";
// The dimmed look of a choice that cannot be made.
constexpr char DIMMED_NO[] = "\x0eNo\x13";
constexpr char DIMMED_Y[] = "\x0eY\x13";

// The values a dialog edits: copies, written back only on OK.
struct DialogValues {
  float angle = 0.0f;  // degrees
  PointF centre{0.0f, 0.0f};
  uint8_t mode = 0;
  uint8_t include = 0;
  uint8_t axis = 0;  // the axis letter's index in AXIS_LETTERS, for the letter cycle
};
DialogValues g_values;

EventCode pass_over() { return g_field.last_ending_event == KEY_UP ? KEY_UP : KEY_DOWN; }

EventCode edit_float(float* value, int width) {
  return edit_value_field({value, 0}, FIELD_FLOAT | FIELD_SELECT_ALL, FIELD_OPTIONS_USUAL, width);
}

// The include-inactive-texts choice: only when inactive texts exist; else the cursor goes back
// to the field above.
EventCode edit_include() {
  if (g_transform_all.inactive_texts_exist == 0) return KEY_UP;
  return cycle_list_field(NY_LETTERS, &g_values.include, 0, CHOICE_WIDTH);
}

void show_include() {
  if (g_transform_all.inactive_texts_exist == 0) show_text_value(DIMMED_NO, CHOICE_WIDTH);
  else show_choice_value(NO_YES, g_values.include != 0 ? 1 : 0, CHOICE_WIDTH);
}

void flag_rows(int first, int last) {
  for (int row = first; row <= last; ++row)
    if (static_cast<size_t>(row) < g_field.redraw.size()) g_field.redraw[row] = 1;
}

// ---- rotate all ----

EventCode rotate_row(int row) {
  switch (row) {
    case 0: return ok_cancel_field();
    case 1: return edit_float(&g_values.angle, ANGLE_WIDTH);
    case 2: return edit_float(&g_values.centre.x, COORD_WIDTH);
    case 3: return edit_float(&g_values.centre.y, COORD_WIDTH);
    case 4: return edit_include();
    default: return KEY_UP;
  }
}

void show_rotate() {
  skip_field_display();
  show_float_value(g_values.angle, ANGLE_WIDTH, ANGLE_FLAGS);
  show_float_value(g_values.centre.x, COORD_WIDTH, COORD_FLAGS);
  show_float_value(g_values.centre.y, COORD_WIDTH, COORD_FLAGS);
  show_include();
  draw_ok_cancel();
}

EventCode rotate_all_dialog_field() {
  const EventCode result = edit_current_field(rotate_row);
  show_every_field(show_rotate);
  return end_field_handler(result);
}

// ---- mirror all ----

// The axis letter follows the angle: Y along 0 degrees, X along 90, none for other angles.
int axis_of_angle(float angle) {
  if (angle == 0.0f) return 1;
  if (angle == 90.0f) return 0;
  return -1;
}

EventCode mirror_row(int row) {
  DialogValues& v = g_values;
  const bool text_only = v.mode == MIRROR_ALL_TEXT_ONLY;
  if (text_only && row >= 1 && row <= 4) return pass_over();
  switch (row) {
    case 0: return ok_cancel_field();
    case 1: {
      const int axis = axis_of_angle(v.angle);
      v.axis = static_cast<uint8_t>(axis < 0 ? 1 : axis);
      const EventCode result = cycle_list_field(AXIS_LETTERS, &v.axis, 0, 1);
      if (result < 0) {
        v.angle = v.axis == 0 ? 90.0f : 0.0f;
        flag_rows(2, 2);
      }
      return result;
    }
    case 2: {
      const EventCode result = edit_float(&v.angle, ANGLE_WIDTH);
      if (result < 0) flag_rows(1, 1);
      return result;
    }
    case 3: return edit_float(&v.centre.x, COORD_WIDTH);
    case 4: return edit_float(&v.centre.y, COORD_WIDTH);
    case 5: {
      const uint8_t was = v.mode;
      const EventCode result =
          pick_string_field(MIRROR_MODES, MODE_LIST_TITLE, g_field.display_row, g_field.value_column,
                            &v.mode, MODE_WIDTH, MIRROR_MODE_LETTERS);
      if (v.mode > MIRROR_ALL_TEXT_ONLY) v.mode = was;
      if (v.mode != was) flag_rows(1, 4);
      return result;
    }
    case 6: return edit_include();
    default: return KEY_UP;
  }
}

void show_mirror() {
  const DialogValues& v = g_values;
  skip_field_display();
  if (v.mode == MIRROR_ALL_TEXT_ONLY) {
    show_text_value(DIMMED_Y, 1);
    show_float_value(0.0, ANGLE_WIDTH, ANGLE_FLAGS);
  } else {
    const int axis = axis_of_angle(v.angle);
    const char letter[2] = {axis < 0 ? ' ' : AXIS_LETTERS[axis], '\0'};
    show_text_value(letter, 1);
    show_float_value(v.angle, ANGLE_WIDTH, ANGLE_FLAGS);
  }
  show_float_value(v.centre.x, COORD_WIDTH, COORD_FLAGS);
  show_float_value(v.centre.y, COORD_WIDTH, COORD_FLAGS);
  show_choice_value(MIRROR_MODES, v.mode, MODE_WIDTH);
  show_include();
  draw_ok_cancel();
}

EventCode mirror_all_dialog_field() {
  const EventCode result = edit_current_field(mirror_row);
  show_every_field(show_mirror);
  return end_field_handler(result);
}

// ---- a point's new coordinates ----

EventCode origin_row(int row) {
  switch (row) {
    case 0: return ok_cancel_field();
    case 1: return edit_float(&g_values.centre.x, COORD_WIDTH);
    case 2: return edit_float(&g_values.centre.y, COORD_WIDTH);
    case 3: return edit_include();
    default: return KEY_UP;
  }
}

void show_origin() {
  skip_field_display();
  show_float_value(g_values.centre.x, COORD_WIDTH, COORD_FLAGS);
  show_float_value(g_values.centre.y, COORD_WIDTH, COORD_FLAGS);
  show_include();
  draw_ok_cancel();
}

EventCode origin_dialog_field() {
  const EventCode result = edit_current_field(origin_row);
  show_every_field(show_origin);
  return end_field_handler(result);
}

// Every dialog starts by learning whether inactive texts exist (the choice is offered only then).
int run_values_dialog(int message, WindowKeyFilter handler) {
  g_transform_all.inactive_texts_exist = has_inactive_texts() != 0 ? 1 : 0;
  g_values.include = g_transform_all.include_inactive;
  g_field.next_label_width = widest_form_label(message);
  const int accepted = run_dialog(message, handler);
  if (accepted == 1) g_transform_all.include_inactive = g_values.include;
  return accepted == 1 ? 1 : 0;
}

// ---- display options ----

uint8_t* display_option(int k) {
  DrawingOptions& o = g_preferences.drawing;
  uint8_t* const options[DISPLAY_OPTION_COUNT] = {
      &o.show_text_items, &o.show_drawing_items,   &o.show_template,
      &o.side_panel,      &o.show_tool_width,      &o.show_tool_paths,
      &o.show_text_boxes, &o.text_in_editing_colour, &o.tool_width_in_editing_colour,
      &o.tool_paths_at_tool_width, &o.tool_circles, &o.no_flicker,
  };
  return options[k];
}

// The check list's lines from the catalogue message: its title, then the lines as they stand.
bool load_check_list(std::string* title) {
  if (find_message(MSG_DISPLAY_OPTIONS) == 0) return false;
  clear_message_text();
  read_message_line(0);
  *title = message_text();
  for (;;) {
    clear_message_text();
    if (read_message_line(0) == 0) break;
    append_line(message_text());
  }
  return g_lists.current.first != nullptr;
}

// The check list run over the mask: true when it was accepted.
bool run_check_list(uint32_t* mask) {
  push_list();
  clear_current_list();
  std::string title;
  if (!load_check_list(&title)) {
    free_current_list();
    pop_list();
    return false;
  }
  int lines = 0, widest = 0;
  for (const TextLine* line = g_lists.current.first; line != nullptr; line = line->next) {
    ++lines;
    widest = std::max(widest, static_cast<int>(line->text.size()));
  }
  const int left = 10;
  TextLine* node = create_window(nullptr, {
      .top_row = 4, .left_column = left, .bottom_row = 4 + lines + 1,
      .right_column = left + std::max(widest, static_cast<int>(title.size())) + 8,
      .flags = 0x80011, .key_filter = check_choice_key_filter,
      .line_drawer = draw_choice_check_line, .options = 20, .wrap_width = 125,
      .title = title.c_str(),
  });
  pop_list();
  if (node == nullptr) return false;
  g_check_choice.mask = *mask | CHOICE_PRESET;
  push_active_window();
  const TextLine* chosen = run_window(node);
  destroy_window(node);
  pop_active_window();
  if (chosen == nullptr) return false;
  *mask = g_check_choice.mask;
  return true;
}

}  // namespace

int run_rotate_all_dialog(PointF* centre, float* angle_deg, int* include_inactive) {
  g_values.angle = g_transform_all.rotate_angle;
  g_values.centre = *centre;
  if (run_values_dialog(MSG_FORM_ROTATE_ALL, rotate_all_dialog_field) == 0) return 0;
  g_transform_all.rotate_angle = g_values.angle;
  g_transform_all.transform_centre = *centre = g_values.centre;
  *angle_deg = g_values.angle;
  *include_inactive = g_values.include;
  return 1;
}

int run_mirror_all_dialog(PointF* centre, float* angle_deg, int* mode) {
  g_values.angle = g_transform_all.mirror_angle;
  g_values.mode = g_transform_all.mirror_mode;
  g_values.centre = *centre;
  if (run_values_dialog(MSG_FORM_MIRROR_ALL, mirror_all_dialog_field) == 0) return 0;
  // "Text only" moves nothing: the line is the axis through the centre at 0 degrees.
  if (g_values.mode == MIRROR_ALL_TEXT_ONLY) g_values.angle = 0.0f;
  g_transform_all.mirror_angle = g_values.angle;
  g_transform_all.mirror_mode = g_values.mode;
  g_transform_all.transform_centre = *centre = g_values.centre;
  *angle_deg = g_values.angle;
  *mode = g_values.mode;
  return 1;
}

int run_origin_dialog(PointF* point) {
  g_values.centre = *point;
  if (run_values_dialog(MSG_FORM_POINT_VALUES, origin_dialog_field) == 0) return 0;
  *point = g_values.centre;
  return 1;
}

int display_options_dialog() {
  uint32_t mask = 0;
  for (int k = 0; k < DISPLAY_OPTION_COUNT; ++k)
    if (*display_option(k) != 0) mask |= 1u << k;
  if (!run_check_list(&mask)) return 0;
  // Text items, other items or the template: something must be shown.
  if ((mask & 0x7u) == 0) {
    get_message(MSG_NOTHING_SHOWN);
    return 0;
  }
  for (int k = 0; k < DISPLAY_OPTION_COUNT; ++k)
    *display_option(k) = (mask & (1u << k)) != 0 ? 1 : 0;
  select_paint_box();
  return 1;
}
