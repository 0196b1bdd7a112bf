#include "pages/tool_list_page.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

#include "records/job_settings.h"
#include "screen/display_mode.h"
#include "store/catalogue.h"
#include "store/message_ids.h"
#include "ui/dialog_form.h"
#include "ui/editor_cursor.h"
#include "ui/list_window.h"
#include "ui/run_window.h"
#include "ui/settings_fields.h"
#include "ui/text_window.h"

ToolListPage g_tool_list_page;

void reset_tool_list_page() { g_tool_list_page = ToolListPage{}; }

namespace {

constexpr double DEGREES_PER_RADIAN = 57.29577951308232;
constexpr double RADIANS_PER_DEGREE = 0.017453292519943295;
constexpr int WIDTH_NAME = TOOL_NAME_MAX;
constexpr int WIDTH_CHOICE = 18;
constexpr int WIDTH_NUMBER = 10;
constexpr int DIALOG_PAST_LIST = 2;
constexpr uint8_t STEPOVER_MAX = 100;
constexpr uint8_t RAMP_MIN = 10;
constexpr uint8_t RAMP_MAX = 90;
constexpr uint16_t NUMBER_OPTIONS = FIELD_OPTIONS_USUAL | EXIT_LEFT;

const char* const SHAPE_NAMES[] = {"\vF\023lat end mill", "\vT\023apered tool", "\vB\023all end mill",
                                   nullptr};
const char* const UNIT_NAMES[] = {"\vM\023etric", "\vI\023nches", nullptr};
const char* const SIZE_LABELS[] = {"Diameter:", "Taper:", "Radius:"};
const char* const SIZE_PROMPTS[] = {
    "\vEnter the \023diameter\v of this end mill.",
    "\vEnter the \x13included angle\v of the tip.",
    "\vEnter the \x13radius\v of this ball end mill.",
};
constexpr char TIP_PROMPT[] =
    "\vIf this tool has a \023FLAT TIP\v, enter the \023DIAMETER\v at the tip.";

// The dialog edits a copy of the current line's tool and name; they go back to the line on
// every way out, so the list never holds half an edit.
struct Edited {
  TextLine* line = nullptr;
  ToolRecord tool;
  char name[TOOL_NAME_MAX + 1] = {};
  EventCode exit = 0;  // KEY_UP/KEY_DOWN after PgUp/PgDn, WINDOW_CANCEL to close the list
};
Edited g_edited;

uint8_t shape_index() { return std::min<uint8_t>(g_edited.tool.shape, TOOL_SHAPE_BALL); }
bool tapered() { return g_edited.tool.shape == TOOL_SHAPE_TAPERED; }
bool name_blank() {
  for (const char* c = g_edited.name; *c != '\0'; ++c)
    if (*c != ' ') return false;
  return true;
}

// The stored limits: stepover at most 100 %, ramp 10..90 degrees.
void settle_limits() {
  g_edited.tool.stepover_percent = std::min(g_edited.tool.stepover_percent, STEPOVER_MAX);
  g_edited.tool.ramp_angle = std::clamp(g_edited.tool.ramp_angle, RAMP_MIN, RAMP_MAX);
}

void store_edited() {
  if (g_edited.line == nullptr) return;
  settle_limits();
  g_edited.line->extra = tool_record_extra(g_edited.tool);
  if (g_edited.line->text != g_edited.name) set_line_text(g_edited.name, g_edited.line);
}

EventCode pass_over() { return g_field.last_ending_event == KEY_UP ? KEY_UP : KEY_DOWN; }

EventCode edit_float(float* value) { return edit_value_field({value, 0}, FIELD_FLOAT, NUMBER_OPTIONS, WIDTH_NUMBER); }

EventCode edit_size() {
  ToolRecord& tool = g_edited.tool;
  show_status_line(SIZE_PROMPTS[shape_index()]);
  if (!tapered()) return edit_float(&tool.size);
  // The included angle is typed in degrees and kept in radians.
  float degrees = static_cast<float>(tool.size * DEGREES_PER_RADIAN);
  const EventCode result = edit_float(&degrees);
  if (result < 0) tool.size = static_cast<float>(degrees * RADIANS_PER_DEGREE);
  return result;
}

EventCode edit_row(int row) {
  ToolRecord& tool = g_edited.tool;
  switch (row) {
    case TOOL_ROW_NAME:
      return edit_value_field({g_edited.name, sizeof g_edited.name}, 0, NUMBER_OPTIONS, WIDTH_NAME);
    case TOOL_ROW_SHAPE: {
      uint8_t shape = shape_index();
      const EventCode result = pick_string_field(SHAPE_NAMES, "Select", g_field.display_row,
                                                 g_field.value_column, &shape, WIDTH_CHOICE, nullptr);
      if (result < 0 && shape != tool.shape) {
        // Another shape measures its size otherwise: the size must be given again.
        tool.shape = std::min<uint8_t>(shape, TOOL_SHAPE_BALL);
        tool.size = 0;
        std::fill(g_field.redraw.begin(), g_field.redraw.end(), 1);
      }
      return result;
    }
    case TOOL_ROW_SIZE: return edit_size();
    case TOOL_ROW_TIP:
      if (!tapered()) return pass_over();
      show_status_line(TIP_PROMPT);
      return edit_float(&tool.tip_diameter);
    case TOOL_ROW_UNITS: {
      uint8_t units = tool.units == TOOL_UNITS_INCH ? 1 : 0;
      const EventCode result = pick_string_field(UNIT_NAMES, "Select", g_field.display_row,
                                                 g_field.value_column, &units, WIDTH_CHOICE, nullptr);
      if (result < 0) tool.units = units == 1 ? TOOL_UNITS_INCH : TOOL_UNITS_MM;
      return result;
    }
    case TOOL_ROW_RPM: return edit_value_field({&tool.rpm, 0}, FIELD_LONG, NUMBER_OPTIONS, WIDTH_NUMBER);
    case TOOL_ROW_FEED: return edit_float(&tool.feed);
    case TOOL_ROW_PLUNGE:
      return edit_value_field({&tool.plunge_percent, 0}, FIELD_SHORT, NUMBER_OPTIONS, WIDTH_NUMBER);
    case TOOL_ROW_NUMBER:
      return edit_value_field({&tool.tool_number, 0}, FIELD_SHORT, NUMBER_OPTIONS, WIDTH_NUMBER);
    case TOOL_ROW_STEP_DOWN: return edit_float(&tool.step_down);
    case TOOL_ROW_STEPOVER: {
      const EventCode result =
          edit_value_field({&tool.stepover_percent, 0}, FIELD_BYTE, NUMBER_OPTIONS, WIDTH_NUMBER);
      // Del clears the number for typing: the limits hold once a value is entered.
      if (result != -KEY_DEL) settle_limits();
      return result;
    }
    case TOOL_ROW_RAMP: {
      const EventCode result =
          edit_value_field({&tool.ramp_angle, 0}, FIELD_BYTE, NUMBER_OPTIONS, WIDTH_NUMBER);
      // Del clears the number for typing: the limits hold once a value is entered.
      if (result != -KEY_DEL) settle_limits();
      return result;
    }
    default: return 0;
  }
}

void show_rows() {
  const ToolRecord& tool = g_edited.tool;
  const bool inch_job = g_job_settings.units == JOB_UNITS_INCH;
  show_text_value(g_edited.name, WIDTH_NAME);
  show_field_text(SHAPE_NAMES[shape_index()], WIDTH_CHOICE);
  const double size = tapered() ? tool.size * DEGREES_PER_RADIAN : tool.size;
  show_formatted_text(WIDTH_CHOICE + WIDTH_NUMBER, "%-10s%.4f", SIZE_LABELS[shape_index()], size);
  if (tapered())
    show_formatted_text(WIDTH_NUMBER, "%.4f", tool.tip_diameter);
  else
    show_text_value("", WIDTH_NUMBER);
  show_field_text(UNIT_NAMES[tool.units == TOOL_UNITS_INCH ? 1 : 0], WIDTH_CHOICE);
  show_formatted_text(WIDTH_CHOICE, "%d \x0erpm", static_cast<int>(tool.rpm));
  show_formatted_text(WIDTH_CHOICE, "%.4f \x0e%s", tool.feed, inch_job ? "in/min" : "mm/min");
  show_formatted_text(WIDTH_NUMBER, "%d %%", tool.plunge_percent);
  show_formatted_text(WIDTH_NUMBER, "%-5d", tool.tool_number);
  show_formatted_text(WIDTH_NUMBER, "%.4f", tool.step_down);
  show_formatted_text(WIDTH_NUMBER, "%d %%", tool.stepover_percent);
  show_formatted_text(WIDTH_NUMBER, "%d", tool.ramp_angle);
}

// A named tool without a size cannot be left: the message by shape, and the dialog stays.
bool refuse_leaving() {
  if (name_blank() || g_edited.tool.size != 0) return false;
  get_message(MSG_TOOL_WITHOUT_SIZE + shape_index());
  return true;
}

// The list window's own lines while it is active.
void append_blank_tool() {
  TextLine* line = append_line("", tool_record_extra(new_tool_record()));
  if (line != nullptr) line->id = first_unused_line_id();
}

bool line_blank(const TextLine* line) {
  if (line == nullptr) return true;
  return line->text.find_first_not_of(' ') == std::string::npos;
}

// The blank tool the list keeps at its end is not a tool: it goes when the list is left.
void drop_blank_last_line() {
  TextLine* last = g_lists.current.last;
  if (last == nullptr || !line_blank(last) || last == g_lists.current.first) return;
  if (g_lists.cursor_line == last) g_lists.cursor_line = last->prev;
  delete_line(last);
}

void store_list_if_changed() {
  TextWindow* w = g_windows.active;
  if (w != nullptr && (w->flags & WINDOW_CHANGED) != 0) g_lists.slots[LIST_SLOT_TOOLS] = g_lists.current;
}

EventCode leave_list(EventCode code) {
  drop_blank_last_line();
  store_list_if_changed();
  return code;
}

EventCode open_dialog() {
  TextWindow* w = g_windows.active;
  const EventCode result = edit_tool_record();
  if (w != nullptr) w->flags |= WINDOW_CHANGED;
  request_full_redraw();
  if (result == KEY_UP || result == KEY_DOWN) {
    g_tool_list_page.pending = result;
    return result;
  }
  if (result == WINDOW_CANCEL) return leave_list(KEY_ESC);
  return WINDOW_REDRAW;
}

}  // namespace

EventCode tool_record_field() {
  EventCode result = edit_current_field(edit_row);
  const int ending = std::abs(static_cast<int>(result));
  if (ending == KEY_PGUP || ending == KEY_PGDN) {
    if (refuse_leaving()) return end_field_handler(0);
    g_edited.exit = ending == KEY_PGUP ? KEY_UP : KEY_DOWN;
    result = WINDOW_ACCEPT;
  } else if (ending == KEY_ESC || ending == KEY_LEFT || ending == EVENT_RIGHT_DOWN) {
    if (refuse_leaving()) return end_field_handler(0);
    result = WINDOW_ACCEPT;
  } else if (ending == WINDOW_CANCEL) {
    g_edited.exit = WINDOW_CANCEL;
  }
  show_every_field(show_rows);
  return end_field_handler(result);
}

EventCode edit_tool_record() {
  TextLine* line = g_lists.cursor_line;
  if (line == nullptr) return 0;
  g_edited = Edited{};
  g_edited.line = line;
  if (!line_tool_record(line, &g_edited.tool)) g_edited.tool = new_tool_record();
  std::snprintf(g_edited.name, sizeof g_edited.name, "%s", line->text.c_str());
  // A blank tool, or one opened by typing, starts on its name; the tip row is never the first
  // of a tool without a tip.
  const bool typed = g_tool_list_page.typed_open;
  g_tool_list_page.typed_open = false;
  g_field.initial_field = name_blank() || typed ? TOOL_ROW_NAME : TOOL_ROW_SHAPE;
  const TextWindow* list = window_of(g_tool_list_page.window);
  if (list != nullptr) {
    g_field.next_top_row = list->bottom_row + DIALOG_PAST_LIST;
    g_field.next_left_column = list->left_column;
  }
  g_field.next_label_width = widest_form_label(MSG_FORM_TOOL_RECORD);
  const bool clicks = g_form_hooks.click_enters;
  g_form_hooks.click_enters = true;
  run_dialog(MSG_FORM_TOOL_RECORD, tool_record_field);
  g_form_hooks.click_enters = clicks;
  store_edited();
  g_lists.cursor_line = g_edited.line;
  const EventCode exit = g_edited.exit;
  g_edited = Edited{};
  return exit;
}

EventCode tool_list_key() {
  if (g_lists.current.first == nullptr) {
    // An empty list gets the tool a program without a tool file has, not an unnamed one.
    TextLine* line = append_line(DEFAULT_TOOL_NAME, tool_record_extra(default_tool_record()));
    if (line != nullptr) line->id = 1;
    g_lists.cursor_line = line;
    if (g_windows.active != nullptr) g_windows.active->flags |= WINDOW_CHANGED;
    return WINDOW_REDRAW;
  }
  if (g_lists.cursor_line == nullptr) {
    g_lists.cursor_line = g_lists.current.first;
    return WINDOW_REDRAW;
  }
  // The list always ends in one blank tool, where a new one is typed in.
  if (g_lists.cursor_line == g_lists.current.last && !line_blank(g_lists.cursor_line))
    append_blank_tool();
  if (g_tool_list_page.pending != 0) {
    g_tool_list_page.pending = 0;
    return open_dialog();
  }
  // Typed characters start the tool's name: the list's letter search does not take them.
  if (g_windows.active != nullptr) g_windows.active->flags |= WINDOW_LETTERS_TO_CALLER;
  for (;;) {
    const EventCode code = read_list_command();
    // Dragging right on the line area opens the tool as Right does.
    if (code == WINDOW_DRAG_RIGHT && g_windows.active != nullptr && g_windows.active->cursor_column == 1)
      return open_dialog();
    switch (code) {
      case KEY_RIGHT: return open_dialog();
      case KEY_DEL:
        if (editor_delete_line(0) == 0 && g_windows.active != nullptr)
          g_windows.active->flags |= WINDOW_CHANGED;
        if (g_lists.current.first == nullptr) append_blank_tool();
        if (g_lists.cursor_line == nullptr) g_lists.cursor_line = g_lists.current.last;
        request_full_redraw();
        return WINDOW_REDRAW;
      case KEY_ENTER:
      case WINDOW_ACCEPT:
        if (line_blank(g_lists.cursor_line)) return 0;
        return leave_list(WINDOW_ACCEPT);
      case KEY_ESC:
      case EVENT_RIGHT_DOWN:
      case EVENT_QUIT:
      case WINDOW_CANCEL: return leave_list(code == WINDOW_CANCEL ? WINDOW_CANCEL : KEY_ESC);
      case KEY_HOME: case KEY_UP: case KEY_PGUP: case KEY_END: case KEY_DOWN: case KEY_PGDN:
      case WINDOW_DRAG_UP: case WINDOW_DRAG_DOWN: case WINDOW_DRAG_LEFT: case WINDOW_DRAG_RIGHT:
      case KEY_CTRL_PGUP: case KEY_CTRL_PGDN: case KEY_CTRL_HOME: case KEY_CTRL_END:
      case EVENT_LEFT_DOWN: case EVENT_POINTER_MOVE: case EVENT_REDRAW: case WINDOW_REDRAW:
        return code;
      default: break;
    }
    // A typed character starts editing the tool's name.
    if (code >= ' ' && code < 256) {
      push_input_code_front(code);
      g_tool_list_page.typed_open = true;
      return open_dialog();
    }
    return 0;
  }
}

bool choose_tool_from_list(ToolRecord* tool) {
  TextLine* node = g_tool_list_page.window;
  if (node == nullptr) return false;
  g_tool_list_page.pending = 0;
  push_active_window();
  const TextLine* chosen = run_window(node);
  ToolRecord picked;
  const bool taken = chosen != nullptr && !line_blank(chosen) && line_tool_record(chosen, &picked);
  pop_active_window();
  request_full_redraw();
  if (taken && tool != nullptr) *tool = picked;
  return taken;
}
