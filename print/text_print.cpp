#include "print/text_print.h"

#include <algorithm>
#include <cstdio>

#include "platform/files.h"
#include "print/abort_dialog.h"
#include "print/page_geometry.h"
#include "screen/interface_settings.h"
#include "store/text_helpers.h"
#include "ui/editor_text.h"

TextPrinterMetrics g_text_printer;
TextPrintRun g_text_print;

namespace {

constexpr double POINTS_TO_INCHES = 0.01388889;
constexpr double CELL_WIDTH_PER_HEIGHT = 0.484298;
constexpr int PAGE_LINE_ROOM = 11;  // "Page %d of %d" with one-digit numbers, and a blank
constexpr uint8_t GLYPH_CODE = 8;
constexpr uint8_t GLYPH_OFFSET = 33;
constexpr int BIT_CARRIAGE_RETURN = 1;
constexpr int BIT_LINE_FEED = 2;
constexpr char NOT_SAVED_FORMAT[] = "This document is not saved on disk. Created: %s";
constexpr char NAME_LINE_FORMAT[] = "%s, dated: ";
constexpr char PAGE_LINE_FORMAT[] = "Page %d of %d\r\n";
const char* const MONTHS[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                              "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};


std::string date_text(const LocalTime& t) {
  char text[48];
  const char* month = t.month >= 1 && t.month <= 12 ? MONTHS[t.month - 1] : "???";
  std::snprintf(text, sizeof text, "%04d %s %02d  %02d:%02d:%02d", t.year, month, t.day, t.hour,
                t.minute, t.second);
  return text;
}

// The header font's cells: two thirds of the text's.
int header_cell(int cell) { return std::max(1, cell * 2 / 3); }

// The header of page `page` of `pages`: the page header, the name line, the page line, then
// blank lines down to the top margin; drawn unless the pen skips, measured always.
void print_page_header(TextPrintPen* pen, int page, int pages, const std::string& name_line) {
  pen->cell_width = header_cell(g_text_printer.cell_width);
  pen->cell_height = header_cell(g_text_printer.cell_height);
  int remaining = g_interface.print_top_margin;
  int h = 0;
  if (!g_text_print.page_header.empty()) {
    print_text_line(pen, g_text_print.page_header);
    h = static_cast<int>(g_text_print.page_header.size());
  }
  if (g_interface.print_name_line == 1) {
    if (!g_text_print.page_header.empty()) {
      print_text_line(pen, "\r\n");
      --remaining;
    }
    print_text_line(pen, name_line);
    h = static_cast<int>(name_line.size());
  }
  if (g_interface.print_page_numbers == 1) {
    // Right-aligned in the header's own cells, which are narrower than the text's.
    int width = g_text_printer.page_width / pen->cell_width - PAGE_LINE_ROOM;
    if (pages > 9) width -= 2;
    if (pages > 99) width -= 2;
    if (h >= width - 1) {
      print_text_line(pen, "\r\n");
      h = 0;
    }
    if (h < width) print_text_line(pen, std::string(width - h, ' '));
    char line[48];
    std::snprintf(line, sizeof line, PAGE_LINE_FORMAT, page, pages);
    print_text_line(pen, line);
    --remaining;
  } else if (h > 0) {
    print_text_line(pen, "\r\n");
    --remaining;
  }
  while (remaining-- > 0) print_text_line(pen, "\r\n");
  pen->cell_width = g_text_printer.cell_width;
  pen->cell_height = g_text_printer.cell_height;
}

// The lines that are printed: with no-wrap, the continuations of wrapped lines are left out.
std::vector<const PrintTextLine*> printed_lines(const TextPrintDocument& document) {
  std::vector<const PrintTextLine*> lines;
  for (const PrintTextLine& line : document.lines) {
    if (g_text_print.no_wrap && !line.starts_line) continue;
    lines.push_back(&line);
  }
  return lines;
}

}  // namespace

void measure_text_printer(const PrintDeviceCaps& caps, int font_size) {
  TextPrinterMetrics& m = g_text_printer;
  m.dpi_x = std::max(caps.dpi_x, 1);
  m.dpi_y = std::max(caps.dpi_y, 1);
  m.ratio = static_cast<double>(m.dpi_x) / m.dpi_y;
  m.paper_width_mm = static_cast<int>(caps.paper_width * 25.4 / m.dpi_x);
  m.paper_length_mm = static_cast<int>(caps.paper_height * 25.4 / m.dpi_y);
  m.page_width = caps.printable_width;
  m.page_height = caps.printable_height;
  m.cell_height = std::max(1, static_cast<int>(font_size * POINTS_TO_INCHES * m.dpi_y));
  m.cell_width = std::max(1, static_cast<int>(m.cell_height * CELL_WIDTH_PER_HEIGHT * m.ratio));
  m.columns = m.page_width / m.cell_width;
  m.rows = m.page_height / m.cell_height;
  m.bits_per_pixel = caps.bits_per_pixel;
  m.measured = true;
}

int compute_print_wrap_width() {
  const int columns = g_text_printer.columns;
  int wrap = columns - g_interface.print_left_margin - g_interface.print_right_margin;
  if (wrap < TEXT_PRINT_MIN_WRAP) {
    g_interface.print_right_margin = 0;
    wrap = columns - g_interface.print_left_margin;
    if (wrap < TEXT_PRINT_MIN_WRAP) {
      g_interface.print_left_margin = 0;
      wrap = columns;
    }
  }
  g_text_print.wrap_width = std::max(wrap, 1);
  return g_text_print.wrap_width;
}

int trim_print_range(std::vector<PrintTextLine>* lines) {
  auto blank = [](const PrintTextLine& line) {
    return std::none_of(line.text.begin(), line.text.end(),
                        [](char c) { return static_cast<uint8_t>(c) > ' '; });
  };
  while (!lines->empty() && blank(lines->back())) lines->pop_back();
  return static_cast<int>(lines->size());
}

std::string print_name_line(const std::string& path) {
  return dated_name_line(path, g_text_printer.page_width / header_cell(g_text_printer.cell_width));
}

std::string dated_name_line(const std::string& path, int columns) {
  char text[1200];
  LocalTime t;
  if (!path.empty() && file_modified_time(path, &t)) {
    // A path too long for the header's row is shortened in its middle rather than run off the
    // paper.
    const std::string date = date_text(t);
    const int room = columns - static_cast<int>(sizeof NAME_LINE_FORMAT - 3 + date.size());
    const std::string shown = static_cast<int>(path.size()) > room && room > 0
                                  ? abbreviate_path(path.c_str(), room)
                                  : path.substr(0, 1000);
    std::snprintf(text, sizeof text, NAME_LINE_FORMAT, shown.c_str());
    return text + date;
  }
  std::snprintf(text, sizeof text, NOT_SAVED_FORMAT, date_text(local_time_now()).c_str());
  return text;
}

TextPageLayout layout_text_pages(const TextPrintDocument& document) {
  TextPageLayout layout;
  layout.lines = static_cast<int>(printed_lines(document).size());
  // A header taller than the top margin takes room of its own: the page holds fewer lines.
  TextPrintPen pen;
  pen.skipping = true;
  print_page_header(&pen, 1, 1, print_name_line(document.path));
  layout.header_height = pen.y;
  const int cell = std::max(g_text_printer.cell_height, 1);
  const int below_header = (g_text_printer.page_height - layout.header_height) / cell;
  layout.lines_per_page =
      std::max(1, std::min(g_text_printer.rows - g_interface.print_top_margin, below_header) -
                      g_interface.print_bottom_margin);
  layout.pages = (layout.lines + layout.lines_per_page - 1) / layout.lines_per_page;
  layout.last_page_lines =
      layout.pages <= 1 ? layout.lines : layout.lines - (layout.pages - 1) * layout.lines_per_page;
  return layout;
}

std::string printable_text(const std::string& text, int tab, int* bits) {
  std::string out;
  *bits = 0;
  tab = std::max(tab, 1);
  for (size_t i = 0; i < text.size(); ++i) {
    const auto c = static_cast<uint8_t>(text[i]);
    if (c >= 32 && c <= 126) {
      out += static_cast<char>(c);
    } else if (c == 255) {
      out += ' ';
    } else if (c >= 127) {
      // Dropped: the printer's face has no such glyphs.
    } else if (c == 13) {
      *bits |= BIT_CARRIAGE_RETURN;
    } else if (c == 10) {
      *bits |= BIT_LINE_FEED;
    } else if (c == GLYPH_CODE) {
      if (i + 1 >= text.size()) break;  // a glyph code with nothing after it ends the text
      const int glyph = static_cast<uint8_t>(text[++i]) - GLYPH_OFFSET;
      out += glyph < 32 ? '*' : static_cast<char>(glyph);
    } else if (c == '\t') {
      out.append(tab - out.size() % tab, ' ');
    } else if (!is_colour_code(c)) {
      out += static_cast<char>(c);
    }
  }
  return out;
}

int print_text_line(TextPrintPen* pen, const std::string& text) {
  if (pen->skipping && pen->job != nullptr) return 0;
  int bits = 0;
  const std::string out = printable_text(text, tab_width(), &bits);
  if (!out.empty() && pen->job != nullptr && !pen->skipping) {
    print_draw_text_cells(pen->job, pen->x, pen->y, out, pen->cell_width, pen->cell_height,
                          TEXT_PRINT_FACE);
  }
  if (bits & BIT_CARRIAGE_RETURN) pen->x = 0;
  else pen->x += static_cast<int>(out.size()) * pen->cell_width;
  if (bits & BIT_LINE_FEED) pen->y += pen->cell_height;
  return bits;
}

int print_text_job(const TextPrintDocument& document, TAbortDialog* dialog, std::string* error) {
  const TextPageLayout layout = layout_text_pages(document);
  const std::vector<const PrintTextLine*> lines = printed_lines(document);
  const std::string name_line = print_name_line(document.path);
  PrintJob* job = print_begin(g_printer.setup, g_printer.caps, TEXT_PRINT_DOCUMENT_NAME, error);
  if (job == nullptr) return TEXT_PRINT_FAILED;
  const int first = std::max<int>(g_text_print.first_page, 1);
  size_t next = 0;
  int result = TEXT_PRINT_DONE;
  for (int page = 1; page <= layout.pages; ++page) {
    if (g_text_print.last_page > 0 && page > g_text_print.last_page) break;
    TextPrintPen pen;
    pen.job = job;
    const bool skipping = page < first;
    if (!skipping) {
      if (!print_begin_page(job)) break;
      print_set_origin(job, g_printer.caps.offset_x, g_printer.caps.offset_y);
      print_page_header(&pen, page, layout.pages, name_line);
    }
    pen.cell_width = g_text_printer.cell_width;
    pen.cell_height = g_text_printer.cell_height;
    for (int n = 0; n < layout.lines_per_page && next < lines.size(); ++n, ++next) {
      if (skipping) continue;
      print_text_line(&pen, std::string(std::max<int16_t>(g_interface.print_left_margin, 0), ' '));
      const int bits = print_text_line(&pen, lines[next]->text);
      std::string end;
      if ((bits & BIT_CARRIAGE_RETURN) == 0) end += '\r';
      if ((bits & BIT_LINE_FEED) == 0) end += '\n';
      print_text_line(&pen, end);
    }
    if (!skipping && !print_end_page(job)) break;
    if (dialog != nullptr && printing_cancelled(dialog)) {
      result = TEXT_PRINT_CANCELLED;
      break;
    }
  }
  if (result == TEXT_PRINT_CANCELLED) {
    print_abort(job);
    return result;
  }
  return print_end(job, error) ? TEXT_PRINT_DONE : TEXT_PRINT_FAILED;
}

void reset_text_print() {
  g_text_printer = TextPrinterMetrics();
  g_text_print = TextPrintRun();
}
