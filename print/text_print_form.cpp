#include "print/text_print_form.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

#include "print/abort_dialog.h"
#include "print/page_geometry.h"
#include "print/printer_setup_form.h"
#include "screen/boxes.h"
#include "screen/display_mode.h"
#include "screen/interface_settings.h"
#include "screen/text_output.h"
#include "store/file_reader.h"
#include "store/line_fold.h"
#include "store/line_list.h"
#include "store/message_ids.h"
#include "store/text_wrap.h"
#include "ui/dialog_form.h"
#include "ui/field_flags.h"
#include "ui/message_box.h"
#include "ui/run_window.h"
#include "ui/settings_fields.h"
#include "ui/text_window.h"

TextPrintDocument g_text_print_document;

namespace {

constexpr int ROW_HEADER = 1;
constexpr int ROW_FIRST_PAGE = 2;
constexpr int ROW_LAST_PAGE = 3;
constexpr int ROW_NAME_LINE = 4;
constexpr int ROW_PAGE_NUMBERS = 5;
constexpr int ROW_TOP = 6;
constexpr int ROW_LEFT = 7;
constexpr int ROW_RIGHT = 8;
constexpr int ROW_BOTTOM = 9;
constexpr int ROW_FONT_SIZE = 10;
constexpr int ROW_PRINTER = 11;
static_assert(FORM_TEXT_PRINT_FIELDS == ROW_PRINTER + 1);

constexpr int HEADER_WIDTH = 36;
constexpr int PAGE_WIDTH = 4;
constexpr int MARGIN_WIDTH = 3;
constexpr int YES_NO_WIDTH = 3;
constexpr int FONT_SIZE_WIDTH = 2;
constexpr int PRINTER_WIDTH = 24;
// The form's numbers are short: a number typed replaces the one shown.
constexpr uint32_t NUMBER_FLAGS = FIELD_SHORT | FIELD_SELECT_ALL;
constexpr char YES_NO_LETTERS[] = "NY";
const char* const NO_YES[] = {"No", "Yes"};
constexpr char NO_WRAP_TEXT[] = "No!";

// Where the page figures and the sketch stand, in cells right of the values.
constexpr int FIGURES_OFFSET = 6;
constexpr int SKETCH_OFFSET = 28;
constexpr int SKETCH_CELLS_ACROSS = 13;  // the paper's width at most this many cells
constexpr int SKETCH_CELLS_DOWN = 7;     // its length at most this many rows
constexpr uint32_t RGB_SHEET = 0xFFFFFF;
constexpr uint32_t RGB_SHEET_EDGE = 0x808080;
constexpr uint32_t RGB_PRINTABLE_EDGE = 0xFFFF00;
constexpr uint32_t RGB_TEXT_AREA = 0xC0C0C0;
constexpr uint32_t RGB_TEXT_AREA_EDGE = 0x0000FF;
constexpr uint32_t RGB_SKETCH_GROUND = 0xE0E0E0;

constexpr char HEADER_PROMPT[] = "\x1d!!Enter a page header...\n\n\n";
constexpr int HEADER_BOX_ROW = 11;
constexpr int HEADER_BOX_COLUMN = 40;
constexpr int HEADER_BOX_WIDTH = 64;
constexpr char PRINTING_TEXT[] = "Printing... hold on...";
constexpr char NOTHING_TO_PRINT_TEXT[] = "There is nothing to print: the text is empty.";
constexpr char NO_PRINTER_TEXT[] = "Printing is impossible: no printer could be set up.";
constexpr char NO_TEXT_WINDOW_TEXT[] = "There is no text to print.";

// The text as the window held it: one entry a paragraph (a file line), with its line feed.
std::string g_print_source;
// What the form shows, recomputed after every change of a value it depends on.
TextPageLayout g_layout;

void recompute_layout() {
  compute_print_wrap_width();
  rewrap_print_document();
  g_layout = layout_text_pages(g_text_print_document);
}

// The paragraphs of a window's visible lines: a line feed, or a line that starts a paragraph,
// ends the one before.
std::string window_text(TextLine* first) {
  std::string text;
  for (TextLine* line = first; line != nullptr; line = next_visible_line(line)) {
    if (line != first && (line->kind & LINE_KIND_PARAGRAPH) != 0 && !text.empty() &&
        text.back() != '\n')
      text += '\n';
    text += line->text;
  }
  if (!text.empty() && text.back() != '\n') text += '\n';
  return text;
}

// A dashed outline: `on` pixels drawn, `off` left, along each side.
void dashed_frame(int left, int top, int right, int bottom, uint32_t rgb, int on, int off) {
  const int step = on + off;
  for (int x = left; x < right; x += step) {
    const int end = std::min(x + on, right);
    fill_rect(x, top, end, top + 1, rgb);
    fill_rect(x, bottom - 1, end, bottom, rgb);
  }
  for (int y = top; y < bottom; y += step) {
    const int end = std::min(y + on, bottom);
    fill_rect(left, y, left + 1, end, rgb);
    fill_rect(right - 1, y, right, end, rgb);
  }
}

// The sheet at the paper's proportions, the printable page on it and the text area inside the
// margins; beside it what a printed row holds.
void draw_page_sketch(int first_row, int column) {
  const CellMetrics& cells = g_display.current;
  const TextPrinterMetrics& m = g_text_printer;
  if (cells.cell_width <= 0 || cells.cell_height <= 0 || m.paper_width_mm <= 0 ||
      m.paper_length_mm <= 0 || m.dpi_x <= 0 || m.dpi_y <= 0)
    return;
  const int area_left = column * cells.cell_width;
  const int area_top = first_row * cells.cell_height;
  const int area_width = SKETCH_CELLS_ACROSS * cells.cell_width;
  const int area_height = SKETCH_CELLS_DOWN * cells.cell_height;
  fill_rect(area_left, area_top, area_left + area_width, area_top + area_height,
            RGB_SKETCH_GROUND);
  // Pixels of the sketch a millimetre: the smaller of the two fits.
  const double scale = std::min(static_cast<double>(area_width) / m.paper_width_mm,
                                static_cast<double>(area_height) / m.paper_length_mm);
  const int sheet_width = std::max(4, static_cast<int>(m.paper_width_mm * scale));
  const int sheet_height = std::max(4, static_cast<int>(m.paper_length_mm * scale));
  const int sheet_left = area_left + (area_width - sheet_width) / 2;
  const int sheet_top = area_top + (area_height - sheet_height) / 2;
  fill_rect(sheet_left, sheet_top, sheet_left + sheet_width, sheet_top + sheet_height, RGB_SHEET);
  dashed_frame(sheet_left, sheet_top, sheet_left + sheet_width, sheet_top + sheet_height,
               RGB_SHEET_EDGE, 1, 0);
  const double per_x = scale * 25.4 / m.dpi_x;  // sketch pixels a printer pixel
  const double per_y = scale * 25.4 / m.dpi_y;
  const int page_width = std::min(sheet_width, static_cast<int>(m.page_width * per_x));
  const int page_height = std::min(sheet_height, static_cast<int>(m.page_height * per_y));
  const int page_left = sheet_left + (sheet_width - page_width) / 2;
  const int page_top = sheet_top + (sheet_height - page_height) / 2;
  dashed_frame(page_left, page_top, page_left + page_width, page_top + page_height,
               RGB_PRINTABLE_EDGE, 3, 2);
  const int text_columns = g_text_print.no_wrap
                               ? m.columns - g_interface.print_left_margin
                               : g_text_print.wrap_width;
  const int text_left =
      page_left + static_cast<int>(g_interface.print_left_margin * m.cell_width * per_x);
  const int text_top =
      page_top + static_cast<int>(g_interface.print_top_margin * m.cell_height * per_y);
  const int text_right = std::min(
      page_left + page_width, text_left + static_cast<int>(text_columns * m.cell_width * per_x));
  const int text_bottom = std::max(
      text_top, page_top + page_height -
                    static_cast<int>(g_interface.print_bottom_margin * m.cell_height * per_y));
  if (text_right > text_left + 2 && text_bottom > text_top + 2) {
    fill_rect(text_left, text_top, text_right, text_bottom, RGB_TEXT_AREA);
    dashed_frame(text_left, text_top, text_right, text_bottom, RGB_TEXT_AREA_EDGE, 1, 1);
  }
  char line[40];
  const int text_row = first_row + SKETCH_CELLS_DOWN;
  if (g_text_print.no_wrap) {
    draw_text(text_row, column, "\x0eNo \x93word-   ");
    draw_text(text_row + 1, column, "\x0ewrapping\x94!  ");
    std::snprintf(line, sizeof line, "\x0e%-3d columns.", text_columns);
  } else {
    std::snprintf(line, sizeof line, "\x0ePrinting %-3d", g_text_print.wrap_width);
    draw_text(text_row, column, line);
    draw_text(text_row + 1, column, "\x0e" "characters  ");
    std::snprintf(line, sizeof line, "\x0emax per row.");
  }
  draw_text(text_row + 2, column, line);
}

// Pages, lines a page, lines on the last page and columns, beside the page rows.
void draw_page_figures(int first_row, int column) {
  const char* const formats[] = {"%-5d pages          ", "%-5d lines a page   ",
                                 "%-5d on the last   ", "%-5d columns        "};
  const int values[] = {g_layout.pages, g_layout.lines_per_page, g_layout.last_page_lines,
                        g_text_printer.columns};
  char text[48];
  for (int k = 0; k < 4; ++k) {
    std::snprintf(text, sizeof text, formats[k], values[k]);
    draw_text(first_row + k, column, text);
  }
}

void show_options() {
  const TextWindow* w = g_windows.active;
  skip_field_display();
  show_field_value(g_text_print.page_header.c_str(), HEADER_WIDTH);
  show_int_value(g_text_print.first_page, PAGE_WIDTH);
  show_int_or_blank(g_text_print.last_page, PAGE_WIDTH);
  show_choice_value(NO_YES, g_interface.print_name_line != 0 ? 1 : 0, YES_NO_WIDTH);
  show_choice_value(NO_YES, g_interface.print_page_numbers != 0 ? 1 : 0, YES_NO_WIDTH);
  show_int_value(g_interface.print_top_margin, MARGIN_WIDTH);
  show_int_value(g_interface.print_left_margin, MARGIN_WIDTH);
  if (g_text_print.no_wrap) show_text_value(NO_WRAP_TEXT, MARGIN_WIDTH);
  else show_int_value(g_interface.print_right_margin, MARGIN_WIDTH);
  show_int_value(g_interface.print_bottom_margin, MARGIN_WIDTH);
  show_int_value(g_interface.print_font_size, FONT_SIZE_WIDTH);
  show_field_text(g_printer.caps.device_name.c_str(), PRINTER_WIDTH);
  draw_ok_cancel();
  if (w == nullptr) return;
  draw_page_figures(w->top_row + ROW_FIRST_PAGE, g_field.value_column + FIGURES_OFFSET);
  draw_page_sketch(w->top_row + ROW_FIRST_PAGE, g_field.value_column + SKETCH_OFFSET);
}

bool typed_character(EventCode code) { return code >= 33 && code <= 255; }

// Enter, a click or a character opens the header's entry; Esc in it keeps the header.
EventCode edit_header() {
  const EventCode code = read_field_event(HEADER_WIDTH);
  if (code != KEY_ENTER && code != FIELD_CLICK && !typed_character(code) &&
      !(code == EVENT_LEFT_DOWN && pointer_on_field_value() != 0))
    return code;
  char text[TEXT_PRINT_HEADER_MAX + 1] = "";
  if (typed_character(code)) text[0] = static_cast<char>(code);
  else std::strncpy(text, g_text_print.page_header.c_str(), TEXT_PRINT_HEADER_MAX);
  const int ended = message_box(HEADER_BOX_ROW, HEADER_BOX_COLUMN, HEADER_BOX_WIDTH, HEADER_PROMPT,
                                0, text, -TEXT_PRINT_HEADER_MAX, nullptr, 0, nullptr);
  if (ended == KEY_ESC || ended == EVENT_QUIT || ended == EVENT_REDRAW) return 0;
  g_text_print.page_header = text;
  return FIELD_CHANGED;
}

// A margin or the font size: a change re-wraps the text and recounts the pages.
EventCode edit_short(int16_t* value, int width) {
  const EventCode result = edit_value_field({value, 0}, NUMBER_FLAGS, FIELD_OPTIONS_USUAL, width);
  *value = std::clamp<int16_t>(*value, 0, 999);
  return result;
}

EventCode edit_right_margin() {
  const EventCode code = read_window_event(MARGIN_WIDTH);
  if (code == 'n' || code == 'N') {
    poll_input_code(0);
    const bool changed = !g_text_print.no_wrap;
    g_text_print.no_wrap = true;
    return changed ? FIELD_CHANGED : 0;
  }
  if (field_leave_key(code) != 0) return code;
  if (!typed_character(code)) push_input_code_front(code);
  const int16_t before = g_interface.print_right_margin;
  const EventCode result = edit_short(&g_interface.print_right_margin, MARGIN_WIDTH);
  if (result < 0 || g_interface.print_right_margin != before) {
    if (g_text_print.no_wrap) {
      g_text_print.no_wrap = false;
      return FIELD_CHANGED;
    }
  }
  return result;
}

// The size printed: one too small for a readable cell (a blank field among them) prints at the
// factory size.
int printed_font_size() {
  return g_interface.print_font_size < SMALLEST_PRINT_FONT_SIZE ? FACTORY_PRINT_FONT_SIZE
                                                                : g_interface.print_font_size;
}

EventCode edit_font_size() {
  int16_t size = g_interface.print_font_size;
  const EventCode result = edit_value_field({&size, 0}, NUMBER_FLAGS, FIELD_OPTIONS_USUAL,
                                            FONT_SIZE_WIDTH);
  size = std::clamp<int16_t>(size, 0, 99);
  if (size != g_interface.print_font_size) {
    g_interface.print_font_size = static_cast<uint8_t>(size);
    measure_text_printer(g_printer.caps, printed_font_size());
  }
  return result;
}

EventCode edit_printer() {
  const EventCode code = read_field_event(PRINTER_WIDTH);
  if (code != KEY_ENTER && code != FIELD_CLICK &&
      !(code == EVENT_LEFT_DOWN && pointer_on_field_value() != 0))
    return code;
  if (run_printer_setup() == 1) measure_text_printer(g_printer.caps, printed_font_size());
  return FIELD_CHANGED;
}

EventCode edit_row(int row) {
  switch (row) {
    case 0: return ok_cancel_field();
    case ROW_HEADER: return edit_header();
    case ROW_FIRST_PAGE: {
      const EventCode result = edit_value_field({&g_text_print.first_page, 0}, NUMBER_FLAGS,
                                                FIELD_OPTIONS_USUAL, PAGE_WIDTH);
      g_text_print.first_page = std::max<int16_t>(g_text_print.first_page, 1);
      return result;
    }
    case ROW_LAST_PAGE: {
      const EventCode result = edit_value_field({&g_text_print.last_page, 0}, NUMBER_FLAGS,
                                                FIELD_OPTIONS_USUAL, PAGE_WIDTH);
      g_text_print.last_page = std::max<int16_t>(g_text_print.last_page, 0);
      return result;
    }
    case ROW_NAME_LINE:
      return cycle_list_field(YES_NO_LETTERS, &g_interface.print_name_line, 0, YES_NO_WIDTH);
    case ROW_PAGE_NUMBERS:
      return cycle_list_field(YES_NO_LETTERS, &g_interface.print_page_numbers, 0, YES_NO_WIDTH);
    case ROW_TOP: return edit_short(&g_interface.print_top_margin, MARGIN_WIDTH);
    case ROW_LEFT: return edit_short(&g_interface.print_left_margin, MARGIN_WIDTH);
    case ROW_RIGHT: return edit_right_margin();
    case ROW_BOTTOM: return edit_short(&g_interface.print_bottom_margin, MARGIN_WIDTH);
    case ROW_FONT_SIZE: return edit_font_size();
    case ROW_PRINTER: return edit_printer();
    default: return 0;
  }
}

// Runs the print with the cancel box; tells the user when it failed.
int print_with_cancel_box() {
  show_text_box(PRINTING_TEXT, TEXTBOX_CLOSE_AT_ONCE | TEXTBOX_SCREEN_CENTRE);
  TAbortDialog* dialog = open_abort_dialog();
  std::string error;
  const int result = print_text_job(g_text_print_document, dialog, &error);
  close_abort_dialog(dialog);
  if (result == TEXT_PRINT_FAILED) {
    const std::string text = std::string(PRINTER_FAILED_TEXT) + "\n" + error;
    show_text_box(text.c_str(), TEXTBOX_PRESS_A_KEY);
    return 0;
  }
  return result == TEXT_PRINT_DONE ? 1 : 0;
}

// Every value starts right of every label.
bool run_text_print_form() {
  g_field.next_label_width = widest_form_label(MSG_FORM_TEXT_PRINT);
  return run_dialog(MSG_FORM_TEXT_PRINT, text_print_options_field) == 1;
}

}  // namespace

void rewrap_print_document() {
  TextPrintDocument& d = g_text_print_document;
  d.lines.clear();
  if (g_print_source.empty()) return;
  push_list();
  clear_current_list();
  wrap_text_into_lines(g_print_source.c_str(), std::max(g_text_print.wrap_width, WRAP_MIN_WIDTH));
  collect_current_lines(&d);
  free_current_list();
  pop_list();
  trim_print_range(&d.lines);
}

EventCode text_print_options_field() {
  const EventCode result = edit_current_field(edit_row);
  if (result < 0 || result == FORM_FIRST_PASS) recompute_layout();
  show_every_field(show_options);
  return end_field_handler(result);
}

int print_text_document() {
  TextWindow* w = g_windows.active;
  if (w == nullptr) {
    show_text_box(NO_TEXT_WINDOW_TEXT, TEXTBOX_PRESS_A_KEY);
    return 0;
  }
  // The printer is the default one again unless the user sets one up in the form.
  g_printer.setup_chosen = false;
  g_printer.setup.file_path.clear();
  if (measure_printer() != 0) {
    const std::string text = std::string(NO_PRINTER_TEXT) + "\n" + g_printer.last_error;
    show_text_box(text.c_str(), TEXTBOX_PRESS_A_KEY);
    return 0;
  }
  if (g_interface.print_font_size < SMALLEST_PRINT_FONT_SIZE)
    g_interface.print_font_size = FACTORY_PRINT_FONT_SIZE;
  measure_text_printer(g_printer.caps, printed_font_size());
  g_print_source = window_text(g_lists.current.first);
  g_text_print_document.path = w->file != nullptr ? w->file->full_path : std::string();
  if (g_text_print.first_page < 1) g_text_print.first_page = 1;
  recompute_layout();
  int printed = 0;
  if (g_text_print_document.lines.empty()) {
    show_text_box(NOTHING_TO_PRINT_TEXT, TEXTBOX_PRESS_A_KEY);
  } else if (run_text_print_form() &&
             ask_pdf_file_name(default_pdf_path(g_text_print_document.path, "Printing"))) {
    recompute_layout();
    printed = print_with_cancel_box();
  }
  g_print_source.clear();
  g_text_print_document = TextPrintDocument();
  // The next print starts from the default printer again.
  g_printer.setup_chosen = false;
  return printed;
}
