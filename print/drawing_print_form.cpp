// The print options dialog of the drawing and the Drawing page's print command.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

#include "editor/drawing_commands.h"
#include "editor/view.h"
#include "editor/view_state.h"
#include "import/import_drawing.h"
#include "job/background_image.h"
#include "job/job_file.h"
#include "print/abort_dialog.h"
#include "print/drawing_print.h"
#include "print/email.h"
#include "print/page_geometry.h"
#include "print/printer_setup_form.h"
#include "print/text_print.h"
#include "records/job_settings.h"
#include "records/preferences.h"
#include "screen/text_output.h"
#include "store/line_list.h"
#include "store/message_ids.h"
#include "ui/dialog_form.h"
#include "ui/field_flags.h"
#include "ui/message_box.h"
#include "ui/settings_fields.h"
#include "ui/text_window.h"

namespace {

constexpr int ROW_HEADER_TEXT = 1;
constexpr int ROW_HEADER_LINE = 2;
constexpr int ROW_PRINTER = 3;
constexpr int ROW_SCALE = 4;
constexpr int ROW_RULERS = 5;
constexpr int ROW_CENTRE = 6;
constexpr int ROW_TEXT_FRAMES = 7;
constexpr int ROW_LAYER_COLOURS = 8;
constexpr int ROW_TOOL_WIDTH = 9;
constexpr int ROW_PEN_WIDTH = 10;
constexpr int ROW_TOOL_PATHS = 11;
constexpr int ROW_FIRST_PAGE = 12;
constexpr int ROW_LAST_PAGE = 13;
static_assert(FORM_DRAWING_PRINT_FIELDS == ROW_LAST_PAGE + 1);

constexpr int HEADER_WIDTH = 36;
constexpr int PRINTER_WIDTH = 30;
constexpr int SCALE_WIDTH = 9;
constexpr int YES_NO_WIDTH = 3;
constexpr int DIGIT_WIDTH = 1;
constexpr int PAGE_WIDTH = 3;
constexpr char YES_NO_LETTERS[] = "NY";
const char* const NO_YES[] = {"No", "Yes"};
constexpr uint32_t NUMBER_FLAGS = FIELD_SHORT | FIELD_SELECT_ALL;
// The information lines stand right of the short values, from the scale's row down.
constexpr int INFO_OFFSET = 12;

constexpr char HEADER_PROMPT[] = "\x1d!!Whatever you type here will print at the top of the page\n\n";
constexpr int HEADER_BOX_ROW = 11;
constexpr int HEADER_BOX_COLUMN = 40;
constexpr int HEADER_BOX_WIDTH = 64;
constexpr char PRINTING_TEXT[] = "Printing... hold on...";
constexpr char NO_PRINTER_TEXT[] = "Printing is impossible: no printer could be set up.";
constexpr char NOTHING_TEXT[] = "There is nothing to print: the drawing is empty.";

// The grid as the dialog shows it, recomputed after every change.
DrawingPrintLayout g_layout;
bool g_tool_paths_exist = false;

bool is_metric() { return g_job_settings.units == JOB_UNITS_MILLIMETRE; }

void recompute_layout() { g_layout = current_drawing_print_layout(); }

void show_info_lines(int first_row, int column) {
  const ViewState& v = g_view;
  const double width = static_cast<double>(v.extent_max_x) - v.extent_min_x;
  const double height = static_cast<double>(v.extent_max_y) - v.extent_min_y;
  const double scale = std::fabs(g_layout.ok ? g_layout.scale : g_print_options.scale);
  char text[128];
  if (is_metric()) std::snprintf(text, sizeof text, "Drawing is %.0f mm wide by %.0f", width, height);
  else std::snprintf(text, sizeof text, "Drawing is %.2f wide by %.2f", width, height);
  draw_text(first_row, column, text);
  if (is_metric()) {
    std::snprintf(text, sizeof text, "On paper it will be %.0f mm wide by %.0f      ",
                  scale * width, scale * height);
  } else {
    std::snprintf(text, sizeof text, "On paper it will be %.2f wide by %.2f      ", scale * width,
                  scale * height);
  }
  draw_text(first_row + 1, column, text);
  const PrintDeviceCaps& c = g_printer.caps;
  std::snprintf(text, sizeof text, "Printer resolution is %d by %d, %d bits per pixel", c.dpi_x,
                c.dpi_y, c.bits_per_pixel);
  draw_text(first_row + 2, column, text);
  const std::string pages = g_layout.ok ? drawing_pages_text(g_layout) : g_layout.error;
  std::snprintf(text, sizeof text, "%-48.48s", pages.c_str());
  draw_text(first_row + 3, column, text);
}

void show_options() {
  const DrawingOptions& o = g_preferences.drawing;
  const PrintOptions& p = g_print_options;
  skip_field_display();
  show_field_value(p.header_text.c_str(), HEADER_WIDTH);
  show_choice_value(NO_YES, o.print_file_header != 0 ? 1 : 0, YES_NO_WIDTH);
  show_field_text(g_printer.caps.device_name.c_str(), PRINTER_WIDTH);
  char scale[24];
  if (p.scale > 0) std::snprintf(scale, sizeof scale, "%.3f", p.scale);
  else std::snprintf(scale, sizeof scale, "(%.3f)", g_layout.ok ? g_layout.scale : 0.0);
  show_text_value(scale, SCALE_WIDTH);
  show_choice_value(NO_YES, p.rulers != 0 ? 1 : 0, YES_NO_WIDTH);
  show_choice_value(NO_YES, p.centre != 0 ? 1 : 0, YES_NO_WIDTH);
  show_choice_value(NO_YES, o.print_text_boxes != 0 ? 1 : 0, YES_NO_WIDTH);
  show_choice_value(NO_YES, p.layer_colours != 0 ? 1 : 0, YES_NO_WIDTH);
  show_choice_value(NO_YES, o.print_tool_width != 0 ? 1 : 0, YES_NO_WIDTH);
  show_int_value(o.print_pen_width, DIGIT_WIDTH);
  if (g_tool_paths_exist) show_choice_value(NO_YES, o.print_tool_paths != 0 ? 1 : 0, YES_NO_WIDTH);
  else show_text_value("-", YES_NO_WIDTH);
  show_int_value(p.first_page, PAGE_WIDTH);
  show_int_or_blank(p.last_page, PAGE_WIDTH);
  draw_ok_cancel();
  const TextWindow* w = g_windows.active;
  if (w != nullptr) show_info_lines(w->top_row + ROW_SCALE, g_field.value_column + INFO_OFFSET);
}

bool typed_character(EventCode code) { return code >= 33 && code <= 255; }

// Enter, a click or a character opens the header's entry; Del clears it; Esc in the entry keeps
// the header.
EventCode edit_header_text() {
  const EventCode code = read_field_event(HEADER_WIDTH);
  if (code == KEY_DEL) {
    g_print_options.header_text.clear();
    return FIELD_CHANGED;
  }
  if (code != KEY_ENTER && code != FIELD_CLICK && code != KEY_BACKSPACE && !typed_character(code) &&
      !(code == EVENT_LEFT_DOWN && pointer_on_field_value() != 0))
    return code;
  char text[DRAWING_PRINT_HEADER_MAX + 1] = "";
  if (typed_character(code)) text[0] = static_cast<char>(code);
  else std::strncpy(text, g_print_options.header_text.c_str(), DRAWING_PRINT_HEADER_MAX);
  const int ended = message_box(HEADER_BOX_ROW, HEADER_BOX_COLUMN, HEADER_BOX_WIDTH, HEADER_PROMPT,
                                0, text, -DRAWING_PRINT_HEADER_MAX, nullptr, 0, nullptr);
  if (ended == KEY_ESC || ended == EVENT_QUIT || ended == EVENT_REDRAW) return 0;
  g_print_options.header_text = text;
  return FIELD_CHANGED;
}

EventCode edit_printer() {
  const EventCode code = read_field_event(PRINTER_WIDTH);
  if (code != KEY_ENTER && code != FIELD_CLICK &&
      !(code == EVENT_LEFT_DOWN && pointer_on_field_value() != 0))
    return code;
  // A new printer fits the drawing anew.
  if (run_printer_setup() == 1 && g_print_options.scale <= 0) g_print_options.scale = 0;
  return FIELD_CHANGED;
}

// The scale is edited as 0 when it is fitted; 0 or below fits the drawing to one page.
EventCode edit_scale() {
  float scale = std::max(g_print_options.scale, 0.0f);
  const EventCode result =
      edit_value_field({&scale, 0}, FIELD_FLOAT | FIELD_SELECT_ALL, FIELD_OPTIONS_USUAL, SCALE_WIDTH);
  if (!std::isfinite(scale) || scale < 0) scale = 0;
  g_print_options.scale = scale;
  return result;
}

EventCode edit_pen_width() {
  int16_t width = g_preferences.drawing.print_pen_width;
  const EventCode result =
      edit_value_field({&width, 0}, NUMBER_FLAGS, FIELD_OPTIONS_USUAL, DIGIT_WIDTH);
  g_preferences.drawing.print_pen_width = static_cast<uint8_t>(std::clamp<int16_t>(width, 0, 9));
  return result;
}

EventCode edit_page(int16_t* page, int16_t lowest) {
  const EventCode result = edit_value_field({page, 0}, NUMBER_FLAGS, FIELD_OPTIONS_USUAL, PAGE_WIDTH);
  *page = std::clamp<int16_t>(*page, lowest, 999);
  return result;
}

EventCode edit_row(int row) {
  DrawingOptions& o = g_preferences.drawing;
  PrintOptions& p = g_print_options;
  switch (row) {
    case 0: return ok_cancel_field();
    case ROW_HEADER_TEXT: return edit_header_text();
    case ROW_HEADER_LINE: return cycle_list_field(YES_NO_LETTERS, &o.print_file_header, 0, YES_NO_WIDTH);
    case ROW_PRINTER: return edit_printer();
    case ROW_SCALE: return edit_scale();
    case ROW_RULERS: return cycle_list_field(YES_NO_LETTERS, &p.rulers, 0, YES_NO_WIDTH);
    case ROW_CENTRE: return cycle_list_field(YES_NO_LETTERS, &p.centre, 0, YES_NO_WIDTH);
    case ROW_TEXT_FRAMES:
      return cycle_list_field(YES_NO_LETTERS, &o.print_text_boxes, 0, YES_NO_WIDTH);
    case ROW_LAYER_COLOURS:
      return cycle_list_field(YES_NO_LETTERS, &p.layer_colours, 0, YES_NO_WIDTH);
    case ROW_TOOL_WIDTH:
      return cycle_list_field(YES_NO_LETTERS, &o.print_tool_width, 0, YES_NO_WIDTH);
    case ROW_PEN_WIDTH: return edit_pen_width();
    case ROW_TOOL_PATHS:
      // Offered only when the NC run left tool paths to print.
      if (!g_tool_paths_exist) return read_field_event(YES_NO_WIDTH);
      return cycle_list_field(YES_NO_LETTERS, &o.print_tool_paths, 0, YES_NO_WIDTH);
    case ROW_FIRST_PAGE: return edit_page(&p.first_page, 1);
    case ROW_LAST_PAGE: return edit_page(&p.last_page, 0);
    default: return 0;
  }
}

bool drawing_is_empty() {
  const ViewState& v = g_view;
  return v.item_extent_min.x > v.item_extent_max.x && g_job_settings.material_box_shown == 0 &&
         g_import.template_items.first == nullptr &&
         !(g_image_record.status == IMAGE_SHOWN && g_image_record.hidden == 0);
}

void tell(const std::string& text) { show_text_box(text.c_str(), TEXTBOX_PRESS_A_KEY); }

void print_with_cancel_box() {
  show_text_box(PRINTING_TEXT, TEXTBOX_CLOSE_AT_ONCE | TEXTBOX_SCREEN_CENTRE);
  TAbortDialog* dialog = open_abort_dialog();
  std::string error;
  const int result = print_drawing_job(g_layout, g_job_file.full_path, dialog, &error);
  close_abort_dialog(dialog);
  if (result == DRAWING_PRINT_FAILED) tell(std::string(PRINTER_FAILED_TEXT) + "\n" + error);
}

}  // namespace

EventCode print_options_field() {
  const EventCode result = edit_current_field(edit_row);
  if (result < 0 || result == FORM_FIRST_PASS) recompute_layout();
  show_every_field(show_options);
  return end_field_handler(result);
}

int print_drawing() {
  compute_extents();
  if (drawing_is_empty()) {
    tell(NOTHING_TEXT);
    return 0;
  }
  g_printer.setup_chosen = false;
  g_printer.setup.file_path.clear();
  if (measure_printer() != 0) {
    tell(std::string(NO_PRINTER_TEXT) + "\n" + g_printer.last_error);
    return 0;
  }
  load_print_options();
  if (g_print_options.first_page < 1) g_print_options.first_page = 1;
  g_tool_paths_exist = g_lists.slots[LIST_SLOT_TOOL_PATHS].first != nullptr;
  recompute_layout();
  g_field.next_label_width = widest_form_label(MSG_FORM_DRAWING_PRINT);
  if (run_dialog(MSG_FORM_DRAWING_PRINT, print_options_field) == 1) {
    store_print_options();
    recompute_layout();
    if (!g_layout.ok) tell(g_layout.error);
    else if (ask_pdf_file_name(default_pdf_path(g_job_file.full_path, DRAWING_PRINT_DOCUMENT_NAME)))
      print_with_cancel_box();
  }
  g_printer.setup_chosen = false;
  return 0;
}

void connect_print_commands() {
  g_drawing_commands.print_drawing = print_drawing;
  g_drawing_commands.email_file = email_file;
}
