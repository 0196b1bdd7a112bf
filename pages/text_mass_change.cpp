#include "pages/text_mass_change.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

#include "cam/machining_block.h"
#include "editor/drawing_page_state.h"
#include "geometry/layers.h"
#include "records/cam_params.h"
#include "records/job_settings.h"
#include "screen/main_form.h"
#include "store/catalogue.h"
#include "store/line_list.h"
#include "store/message_ids.h"
#include "text/text_items.h"
#include "text/text_layout.h"
#include "text/text_numbering.h"
#include "ui/dialog_form.h"
#include "ui/message_box.h"
#include "ui/page_entries.h"
#include "ui/layer_list.h"
#include "ui/popups.h"
#include "ui/run_window.h"
#include "ui/settings_fields.h"
#include "ui/text_window.h"

TextChangeOptions g_text_change;

namespace {

constexpr float LEAST_WIDTH_RATIO = 0.001f;
constexpr float MOST_SLANT = 70.0f;
constexpr float DEPTH_FROM_WIDTH_BELOW = 100.0f;
constexpr int VALUE_WIDTH = 9;
constexpr int OPERATION_WIDTH = 11;
constexpr int TOOL_WIDTH = 5;
constexpr int LAYER_WIDTH = 12;
constexpr int YES_NO_WIDTH = 3;
constexpr char YES_NO_LETTERS[] = "NY";
const char* const NO_YES[] = {"N", "Y"};
const char* const OPERATION_NAMES[] = {" * ignore *", "Add value", "Multiply by", "Replace with",
                                       nullptr};
constexpr char OPERATION_LETTERS[] = "IAMR";
constexpr char OPERATION_HELP[] =
    "Options: Ignore,  Add to,  Multiply by, or Replace with.\n"
    "Press DELETE or backspace to clear a field.";
constexpr char VALUE_HELP[] = "\nEnter a value for this field.";
constexpr char RESET_BAR[] = "\vO\x13K    \vR\x13" "ESET    \vC\x13" "ANCEL";
constexpr char RESET_BAR_LETTERS[] = "ORC";
// The note beside the forms.
constexpr int NOTE_ROW = -4;
constexpr int NOTE_COLUMN = -2;
constexpr int NOTE_WIDTH = 34;
// Fields that take signed values.
constexpr bool signed_field(int field) {
  return field == CHANGE_SURFACE_Z || (field >= CHANGE_ANCHOR_X && field <= CHANGE_LINK_DY) ||
         field == CHANGE_ANGLE || field == CHANGE_SLANT;
}

// Form 142's filter rows and form 149's.
// The filter's five rows follow one another: tool, lowest and highest layer, all layers, marked.
constexpr int CHANGE_ROW_TOOL = 21, CHANGE_ROW_MARKED = 25;
constexpr int SPACE_ROW_X = 1, SPACE_ROW_Y = 2, SPACE_ROW_TOOL = 5, SPACE_ROW_MARKED = 9;
static_assert(CHANGE_ROW_MARKED == CHANGE_ROW_TOOL + 4 && SPACE_ROW_MARKED == SPACE_ROW_TOOL + 4);

// The drawing's items: the current list on the Drawing page and in tests, else the drawing
// window's.
TextLine* drawing_first() {
  TextWindow* w = window_of(g_shared_windows.drawing);
  if (w == nullptr || g_windows.active == w) return g_lists.current.first;
  return w->first_line;
}

int16_t finishing_tool_number(const DrawingItem* item) {
  const uint8_t* stored = block_cam_params(item_block(item));
  if (stored == nullptr) return 0;
  CamParams p;
  read_cam_params(stored, &p);
  return p.finishing.tool_number;
}

TextLayout read_layout(DrawingItem* item) {
  TextLayout l;
  read_text_layout(block_text_layout(item_block(item)), &l);
  return l;
}

void relayout(DrawingItem* item, const TextLayout& l) {
  uint8_t* stored = block_text_layout(item_block(item));
  write_text_layout(l, stored);
  layout_text_item(item);
  set_text_frame_from_corners(stored, item_nodes(item));
  rebuild_text_frame(stored, item_nodes(item));
}

bool follows(const TextLayout& l) { return l.link_number > 0; }

// ---- Space apart ----

// The flagged text with the smallest (X) or largest (Y) key, or null.
DrawingItem* next_text(std::vector<DrawingItem*>* flagged, bool by_x) {
  auto key = [by_x](DrawingItem* item) {
    const TextLayout l = read_layout(item);
    if (by_x) return l.anchor.x + (follows(l) ? l.link_dx : 0.0f);
    return l.anchor.y + (follows(l) ? l.link_dy : 0.0f);
  };
  DrawingItem* best = nullptr;
  float best_key = 0;
  size_t best_at = 0;
  for (size_t k = 0; k < flagged->size(); ++k) {
    DrawingItem* item = (*flagged)[k];
    const float v = key(item);
    if (best == nullptr || (by_x ? v < best_key : v > best_key)) {
      best = item;
      best_key = v;
      best_at = k;
    }
  }
  if (best != nullptr) flagged->erase(flagged->begin() + static_cast<long>(best_at));
  return best;
}

void space_in(std::vector<DrawingItem*> flagged, bool by_x, float step) {
  float offset = 0.0f;
  while (DrawingItem* item = next_text(&flagged, by_x)) {
    TextLayout l = read_layout(item);
    float& moved = follows(l) ? (by_x ? l.link_dx : l.link_dy) : (by_x ? l.anchor.x : l.anchor.y);
    moved += offset;
    if (l.arc_radius > 0.0f && offset != 0.0f) {
      const PointF v = by_x ? PointF{offset, 0.0f} : PointF{0.0f, offset};
      translate_item(item, &v);
    }
    l.length = 0.0f;
    l.entered_height = l.height;
    l.entered_length = 0.0f;
    relayout(item, l);
    offset -= step;
  }
}

// ---- Change parameters ----

int32_t clamp_to_int32(double v) {
  if (std::isnan(v)) return 0;
  const double t = std::trunc(v);
  if (t >= static_cast<double>(std::numeric_limits<int32_t>::max()))
    return std::numeric_limits<int32_t>::max();
  if (t <= static_cast<double>(std::numeric_limits<int32_t>::min()))
    return std::numeric_limits<int32_t>::min();
  return static_cast<int32_t>(t);
}

void change_machining(DrawingItem* item) {
  uint8_t* stored = block_cam_params(item_block(item));
  if (stored == nullptr) return;
  CamParams p;
  read_cam_params(stored, &p);
  CamToolBlock& t = p.finishing;
  const bool width_changed = apply_change_to_float(CHANGE_CUT_WIDTH, &t.cut_width);
  const bool depth_changed = apply_change_to_float(CHANGE_CUT_DEPTH, &t.cut_depth);
  // A shaped tool ties width and depth: the changed one decides the other.
  if (t.shape != TOOL_SHAPE_FLAT) {
    if (width_changed && t.cut_depth < DEPTH_FROM_WIDTH_BELOW)
      t.cut_depth = depth_from_cut_width(t.cut_width, t.shape, t.size, t.tip_diameter);
    else if (!width_changed && depth_changed && t.cut_depth < DEPTH_FROM_WIDTH_BELOW)
      t.cut_width = cut_width_from_depth(t.cut_depth, t.shape, t.size, t.tip_diameter);
  }
  apply_change_to_float(CHANGE_RAPID_HEIGHT, &p.rapid_height);
  apply_change_to_float(CHANGE_SURFACE_Z, &p.surface_z);
  apply_change_to_float(CHANGE_XY_FEED, &t.feed);
  apply_change_to_int(CHANGE_SPINDLE_SPEED, &t.rpm);
  write_cam_params(p, stored);
}

void change_text(DrawingItem* item) {
  TextLayout l = read_layout(item);
  const float length = l.length, height = l.height, ratio = l.width_factor;
  const float spacing = l.spacing;
  apply_change_to_float(CHANGE_ANCHOR_X, &l.anchor.x);
  apply_change_to_float(CHANGE_ANCHOR_Y, &l.anchor.y);
  apply_change_to_float(CHANGE_LINK_DX, &l.link_dx);
  apply_change_to_float(CHANGE_LINK_DY, &l.link_dy);
  apply_change_to_float(CHANGE_LENGTH, &l.length);
  apply_change_to_float(CHANGE_HEIGHT, &l.height);
  if (apply_change_to_float(CHANGE_WIDTH_RATIO, &l.width_factor) &&
      l.width_factor < LEAST_WIDTH_RATIO)
    l.width_factor = 0.0f;
  float percent = l.spacing * 100.0f;
  if (apply_change_to_float(CHANGE_SPACING, &percent)) l.spacing = percent / 100.0f;
  if (apply_change_to_float(CHANGE_ANGLE, &l.angle)) {
    l.angle = std::fmod(l.angle, 360.0f);
    if (l.angle < 0.0f) l.angle += 360.0f;
  }
  if (apply_change_to_float(CHANGE_SLANT, &l.slant)) l.slant = std::clamp(l.slant, -MOST_SLANT, MOST_SLANT);
  apply_change_to_float(CHANGE_ARC_RADIUS, &l.arc_radius);
  // Two of length, height and width ratio decide the third: a new length with the height kept
  // gives a new ratio; a new height, ratio or spacing gives a new length.
  const bool length_new = l.length != length;
  const bool height_new = l.height != height;
  const bool ratio_new = l.width_factor != ratio;
  if (length_new && !height_new) l.width_factor = 0.0f;
  else if (height_new || ratio_new || l.spacing != spacing) l.length = 0.0f;
  l.entered_height = l.height;
  l.entered_length = l.length;
  relayout(item, l);
}

// ---- The forms ----

void show_note(int message) {
  if (get_message(message) < 0) return;
  message_box(NOTE_ROW, NOTE_COLUMN, NOTE_WIDTH, message_text(), MSGBOX_POPUP, nullptr, 0,
              nullptr, 0, nullptr);
}

EventCode layer_bound_field(uint8_t* layer) {
  return edit_value_field({layer, 0}, FIELD_BYTE, FIELD_OPTIONS_USUAL, LAYER_WIDTH);
}

void show_layer_bound(uint8_t layer) {
  if (layer == CHANGE_NO_LAYER_BOUND) show_text_value("", LAYER_WIDTH);
  else show_layer_name_field(layer);
}

EventCode filter_field(int row, int tool_row) {
  TextChangeOptions& o = g_text_change;
  switch (row - tool_row) {
    case 0: return edit_value_field({&o.tool_number, 0}, FIELD_SHORT, FIELD_OPTIONS_USUAL, TOOL_WIDTH);
    case 1: return layer_bound_field(&o.lowest_layer);
    case 2: return layer_bound_field(&o.highest_layer);
    case 3: return cycle_list_field(YES_NO_LETTERS, &o.all_layers, 0, YES_NO_WIDTH);
    default: return cycle_list_field(YES_NO_LETTERS, &o.only_marked, 0, YES_NO_WIDTH);
  }
}

void show_filter() {
  const TextChangeOptions& o = g_text_change;
  show_int_or_blank(o.tool_number, TOOL_WIDTH);
  show_layer_bound(o.lowest_layer);
  show_layer_bound(o.highest_layer);
  show_choice_value(NO_YES, o.all_layers != 0 ? 1 : 0, YES_NO_WIDTH);
  show_choice_value(NO_YES, o.only_marked != 0 ? 1 : 0, YES_NO_WIDTH);
}

EventCode edit_space_row(int row) {
  TextChangeOptions& o = g_text_change;
  if (row == 0) return ok_cancel_field();
  if (row == SPACE_ROW_X || row == SPACE_ROW_Y) {
    float* step = row == SPACE_ROW_X ? &o.x_step : &o.y_step;
    return edit_value_field({step, 0}, FIELD_FLOAT | FIELD_MINUS, FIELD_OPTIONS_USUAL, VALUE_WIDTH);
  }
  if (row >= SPACE_ROW_TOOL && row <= SPACE_ROW_MARKED) return filter_field(row, SPACE_ROW_TOOL);
  // Rows between pass the cursor on.
  return g_field.step_direction;
}

// Form 142's operation column (0) or value column (1) of a field row.
EventCode edit_change_row(int row) {
  TextChangeOptions& o = g_text_change;
  if (row == 0) {
    const EventCode r = button_bar_field(RESET_BAR, RESET_BAR_LETTERS, 0);
    if (r == 0) return WINDOW_ACCEPT;
    if (r == 1) {
      reset_change_options();
      std::fill(g_field.redraw.begin(), g_field.redraw.end(), 1);
      return 0;
    }
    return r == 2 ? KEY_ESC : r;
  }
  if (row >= CHANGE_CUT_WIDTH && row < CHANGE_FIELD_COUNT && row != 7) {
    TextWindow* w = g_windows.active;
    const bool value_column = w != nullptr && (w->cursor_column & 1) != 0;
    if (!value_column) {
      show_status_line(OPERATION_HELP);
      const EventCode r = pick_string_field(OPERATION_NAMES, "", 0, 0, &o.operation[row],
                                            OPERATION_WIDTH, OPERATION_LETTERS);
      if (r == KEY_DEL || r == -KEY_DEL || r == KEY_BACKSPACE || r == -KEY_BACKSPACE) {
        o.operation[row] = CHANGE_IGNORE;
        return FIELD_CHANGED;
      }
      if (r == KEY_RIGHT && w != nullptr) {
        w->cursor_column |= 1;
        return 0;
      }
      return r;
    }
    show_status_line(VALUE_HELP);
    const uint32_t flags = FIELD_FLOAT | (signed_field(row) ? FIELD_MINUS : 0);
    const EventCode r = edit_value_field({&o.value[row], 0}, flags, FIELD_OPTIONS_USUAL, VALUE_WIDTH);
    if (r == KEY_LEFT && w != nullptr) {
      w->cursor_column &= ~1;
      return 0;
    }
    return r;
  }
  if (row >= CHANGE_ROW_TOOL && row <= CHANGE_ROW_MARKED) return filter_field(row, CHANGE_ROW_TOOL);
  return g_field.step_direction;
}

template <typename Run>
int run_with_note(int note, int form, EventCode (*handler)(), Run change) {
  TextChangeOptions& o = g_text_change;
  const float x = o.x_step, y = o.y_step;
  reset_change_options();
  o.x_step = x;
  o.y_step = y;
  o.drawing_page = g_drawing_page.active != 0;
  show_note(note);
  const int accepted = run_dialog(form, handler);
  close_top_popup();
  if (accepted != 1) return 0;
  const int changed = change();
  if (changed > 0) {
    mark_job_changed();
    g_form.redraw_level = 1;
  }
  return changed;
}

}  // namespace

void reset_change_options() {
  TextChangeOptions& o = g_text_change;
  std::fill(std::begin(o.operation), std::end(o.operation), CHANGE_IGNORE);
  std::fill(std::begin(o.value), std::end(o.value), 0.0f);
  o.lowest_layer = o.highest_layer = CHANGE_NO_LAYER_BOUND;
}

bool item_qualifies(const DrawingItem* item, bool texts_only) {
  const TextChangeOptions& o = g_text_change;
  if (item == nullptr || (item_flags(item) & ITEM_FLAG_SELECTED) == 0) return false;
  if (texts_only && item->kind != ITEM_TEXT) return false;
  if (o.only_marked != 0 && o.drawing_page &&
      (item_flags(item) & (ITEM_FLAG_MARKED | ITEM_FLAG_HAS_MARKED_NODES)) == 0)
    return false;
  const GeometryBlock* block = item_block(item);
  if (block == nullptr || block->cam_kind == GEOMETRY_KIND_DRAWING_AID) return false;
  const uint8_t layer = block->layer;
  if (o.lowest_layer != CHANGE_NO_LAYER_BOUND && layer < o.lowest_layer) return false;
  if (o.highest_layer != CHANGE_NO_LAYER_BOUND && layer > o.highest_layer) return false;
  if (o.all_layers == 0 && g_layers.visibility[layer] == 0) return false;
  return o.tool_number == 0 || finishing_tool_number(item) == o.tool_number;
}

bool apply_change_to_float(int field, float* value) {
  if (field <= 0 || field >= CHANGE_FIELD_COUNT) return false;
  const float v = g_text_change.value[field];
  switch (g_text_change.operation[field]) {
    case CHANGE_ADD: *value += v; break;
    case CHANGE_MULTIPLY: *value *= v; break;
    case CHANGE_REPLACE: *value = v; break;
    default: return false;
  }
  mark_job_changed();
  return true;
}

bool apply_change_to_int(int field, int32_t* value) {
  if (field <= 0 || field >= CHANGE_FIELD_COUNT) return false;
  const double v = g_text_change.value[field];
  double result = *value;
  switch (g_text_change.operation[field]) {
    case CHANGE_ADD: result += v; break;
    case CHANGE_MULTIPLY: result *= v; break;
    case CHANGE_REPLACE: result = v; break;
    default: return false;
  }
  // A result beyond the type is held at its end, never wrapped.
  *value = clamp_to_int32(result);
  mark_job_changed();
  return true;
}

int space_text_items() {
  std::vector<DrawingItem*> flagged;
  for (TextLine* line = drawing_first(); line != nullptr; line = line->next)
    if (item_qualifies(line, true) && line_is_text_item(line)) flagged.push_back(line);
  const TextChangeOptions& o = g_text_change;
  if (flagged.empty() || (o.x_step == 0.0f && o.y_step == 0.0f)) return 0;
  if (o.x_step != 0.0f) space_in(flagged, true, o.x_step);
  if (o.y_step != 0.0f) space_in(flagged, false, o.y_step);
  mark_job_changed();
  return static_cast<int>(flagged.size());
}

int change_text_parameters() {
  int changed = 0;
  for (TextLine* line = drawing_first(); line != nullptr; line = line->next) {
    if (!item_qualifies(line, false)) continue;
    change_machining(line);
    if (line_is_text_item(line)) change_text(line);
    ++changed;
  }
  return changed;
}

EventCode space_apart_field() {
  const EventCode result = edit_current_field(edit_space_row);
  const TextChangeOptions& o = g_text_change;
  begin_display_pass();
  skip_field_display();
  show_float_value(o.x_step, VALUE_WIDTH, 0);
  show_float_value(o.y_step, VALUE_WIDTH, 0);
  skip_field_display();
  skip_field_display();
  show_filter();
  draw_ok_cancel();
  return end_field_handler(result);
}

EventCode change_parameters_field() {
  const EventCode result = edit_current_field(edit_change_row);
  const TextChangeOptions& o = g_text_change;
  begin_display_pass();
  skip_field_display();
  for (int field = CHANGE_CUT_WIDTH; field < CHANGE_FIELD_COUNT; ++field) {
    if (field == 7) {
      skip_field_display();
      continue;
    }
    if (o.operation[field] == CHANGE_IGNORE) show_formatted_text(OPERATION_WIDTH + VALUE_WIDTH + 1, "%s", "");
    else
      show_formatted_text(OPERATION_WIDTH + VALUE_WIDTH + 1, "%-*s %g", OPERATION_WIDTH,
                          OPERATION_NAMES[o.operation[field]], static_cast<double>(o.value[field]));
  }
  skip_field_display();
  skip_field_display();
  show_filter();
  button_bar_field(RESET_BAR, RESET_BAR_LETTERS, -1);
  return end_field_handler(result);
}

int space_text_items_command() {
  return run_with_note(MSG_NOTE_SPACE_TEXT_ITEMS, MSG_FORM_SPACE_TEXT_ITEMS, space_apart_field,
                       space_text_items);
}

int change_text_parameters_command() {
  return run_with_note(MSG_NOTE_CHANGE_TEXT_PARAMETERS, MSG_FORM_CHANGE_TEXT_PARAMETERS,
                       change_parameters_field, change_text_parameters);
}
