// brenvik-print: prints as the program does, without a screen, into a PDF file or a CUPS queue.
//   brenvik-print --text FILE [settings] OUT.pdf     a text file as the NC page prints it
//   brenvik-print --drawing JOB [settings] OUT.pdf   a job's drawing as the Drawing page prints it
//                                                   after OK in its print options
// Settings of a text (a Y/N setting not given is N): --font-size N, --page-numbers, --name-line,
// --header TEXT, --top N, --bottom N, --left N, --right N, --no-wrap, --pages A-B (B may be
// left out), --tab N. Settings of a drawing (the same rule): --scale S (0 fits one page),
// --name-line, --header TEXT, --rulers, --centre, --text-frames, --layer-colours, --tool-width,
// --line-width N, --tool-paths, --pages A-B. The printer: --paper NAME, --landscape, --to QUEUE
// (then OUT.pdf is not needed). Exit status 0 printed, 1 nothing to print, 2 a bad command line,
// 3 a failure; the reason goes to standard error.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "editor/view.h"
#include "editor/view_state.h"
#include "job/job_file.h"
#include "job/job_open.h"
#include "platform/files.h"
#include "platform/printing.h"
#include "print/drawing_print.h"
#include "print/page_geometry.h"
#include "print/text_print.h"
#include "records/preferences.h"
#include "screen/interface_settings.h"
#include "store/text_wrap.h"
#include "text/stroke_fonts.h"

namespace {

constexpr int EXIT_NOTHING = 1;
constexpr int EXIT_USAGE = 2;
constexpr int EXIT_FAILED = 3;

int usage(const std::string& why) {
  std::fprintf(stderr,
               "brenvik-print: %s\n"
               "usage: brenvik-print --text FILE [--font-size N] [--page-numbers] [--name-line]\n"
               "       [--header TEXT] [--top N] [--bottom N] [--left N] [--right N] [--no-wrap]\n"
               "       [--pages A-B] [--tab N] [--paper NAME] [--landscape] [--to QUEUE] [OUT.pdf]\n"
               "       brenvik-print --drawing JOB [--scale S] [--name-line] [--header TEXT]\n"
               "       [--rulers] [--centre] [--text-frames] [--layer-colours] [--tool-width]\n"
               "       [--line-width N] [--tool-paths] [--pages A-B] [--paper NAME] [--landscape]\n"
               "       [--to QUEUE] [OUT.pdf]\n",
               why.c_str());
  return EXIT_USAGE;
}

bool read_number(const char* text, int low, int high, int* value) {
  char* end = nullptr;
  const long n = std::strtol(text, &end, 10);
  if (end == text || *end != '\0' || n < low || n > high) return false;
  *value = static_cast<int>(n);
  return true;
}

bool read_pages(const std::string& text, int* first, int* last) {
  const size_t dash = text.find('-');
  if (dash == std::string::npos) {
    if (!read_number(text.c_str(), 1, 32767, first)) return false;
    *last = *first;
    return true;
  }
  if (!read_number(text.substr(0, dash).c_str(), 1, 32767, first)) return false;
  *last = 0;
  return dash + 1 == text.size() || read_number(text.substr(dash + 1).c_str(), 1, 32767, last);
}

// The drawing of a job as the Drawing page prints it after OK in its print options.
int print_job_drawing(const std::string& job_path) {
  register_folder_fonts(program_folder());
  if (load_job_file(job_path, nullptr) != 0) {
    std::fprintf(stderr, "brenvik-print: %s is not a job file that can be read\n",
                 job_path.c_str());
    return EXIT_FAILED;
  }
  g_job_file.full_path = job_path;
  compute_extents();
  const DrawingPrintLayout layout = current_drawing_print_layout();
  if (g_view.item_extent_min.x > g_view.item_extent_max.x || !layout.ok) {
    std::fprintf(stderr, "brenvik-print: nothing to print in %s: %s\n", job_path.c_str(),
                 layout.ok ? "the drawing is empty" : layout.error.c_str());
    return EXIT_NOTHING;
  }
  std::string error;
  if (print_drawing_job(layout, job_path, nullptr, &error) != DRAWING_PRINT_DONE) {
    std::fprintf(stderr, "brenvik-print: %s: %s\n", PRINTER_FAILED_TEXT, error.c_str());
    return EXIT_FAILED;
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  std::string text_file;
  std::string job_file;
  std::string out;
  int font_size = FACTORY_PRINT_FONT_SIZE;
  int first_page = 1;
  int last_page = 0;
  g_interface = InterfaceSettings();
  reset_text_print();
  reset_printer_choice();
  reset_print_options();
  g_printer.setup.destination = PRINT_DESTINATION_FILE;
  g_printer.setup_chosen = true;
  // Y/N settings not given are N.
  DrawingOptions& drawing = g_preferences.drawing;
  drawing.print_tool_paths = 0;
  drawing.print_tool_width = 0;
  drawing.print_file_header = 0;
  drawing.print_text_boxes = 0;
  drawing.print_pen_width = 0;
  g_print_options.layer_colours = 0;
  std::string header;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    const bool has_value = i + 1 < argc;
    const char* value = has_value ? argv[i + 1] : "";
    int n = 0;
    auto number = [&](int low, int high, auto store) {
      if (!has_value || !read_number(value, low, high, &n)) return false;
      store(n);
      ++i;
      return true;
    };
    if (arg == "--text" && has_value) {
      text_file = value;
      ++i;
    } else if (arg == "--drawing" && has_value) {
      job_file = value;
      ++i;
    } else if (arg == "--font-size") {
      if (!number(SMALLEST_PRINT_FONT_SIZE, 99, [&](int v) { font_size = v; }))
        return usage("--font-size takes 4 to 99");
    } else if (arg == "--top" || arg == "--bottom" || arg == "--left" || arg == "--right") {
      int16_t* field = arg == "--top"      ? &g_interface.print_top_margin
                       : arg == "--bottom" ? &g_interface.print_bottom_margin
                       : arg == "--left"   ? &g_interface.print_left_margin
                                           : &g_interface.print_right_margin;
      if (!number(0, 999, [&](int v) { *field = static_cast<int16_t>(v); }))
        return usage(arg + " takes 0 to 999");
    } else if (arg == "--tab") {
      if (!number(1, 99, [&](int v) { g_text_wrap.tab_width = static_cast<uint8_t>(v); }))
        return usage("--tab takes 1 to 99");
    } else if (arg == "--page-numbers") {
      g_interface.print_page_numbers = 1;
    } else if (arg == "--name-line") {
      g_interface.print_name_line = 1;
      drawing.print_file_header = 1;
    } else if (arg == "--no-wrap") {
      g_text_print.no_wrap = true;
    } else if (arg == "--header" && has_value) {
      header = value;
      ++i;
    } else if (arg == "--scale" && has_value) {
      char* end = nullptr;
      const double scale = std::strtod(value, &end);
      if (end == value || *end != '\0' || !(scale >= 0) || !(scale < 1e6))
        return usage("--scale takes a number from 0 (fit one page)");
      g_print_options.scale = static_cast<float>(scale);
      ++i;
    } else if (arg == "--rulers") {
      g_print_options.rulers = 1;
    } else if (arg == "--centre") {
      g_print_options.centre = 1;
    } else if (arg == "--text-frames") {
      drawing.print_text_boxes = 1;
    } else if (arg == "--layer-colours") {
      g_print_options.layer_colours = 1;
    } else if (arg == "--tool-width") {
      drawing.print_tool_width = 1;
    } else if (arg == "--tool-paths") {
      drawing.print_tool_paths = 1;
    } else if (arg == "--line-width") {
      if (!number(0, 9, [&](int v) { drawing.print_pen_width = static_cast<uint8_t>(v); }))
        return usage("--line-width takes 0 to 9");
    } else if (arg == "--pages" && has_value) {
      if (!read_pages(value, &first_page, &last_page)) return usage("--pages takes A-B");
      ++i;
    } else if (arg == "--paper" && has_value) {
      if (find_print_paper(value) == nullptr) return usage(std::string("no paper ") + value);
      g_printer.setup.paper = value;
      ++i;
    } else if (arg == "--landscape") {
      g_printer.setup.landscape = true;
    } else if (arg == "--to" && has_value) {
      g_printer.setup.destination = value;
      ++i;
    } else if (!arg.empty() && arg[0] != '-' && out.empty()) {
      out = arg;
    } else {
      return usage("unknown option " + arg);
    }
  }
  if (text_file.empty() == job_file.empty()) return usage("--text FILE or --drawing JOB is needed");
  if (out.empty() && g_printer.setup.destination == PRINT_DESTINATION_FILE) {
    return usage("OUT.pdf is needed");
  }
  g_printer.setup.file_path = out;
  if (measure_printer() != 0) {
    std::fprintf(stderr, "brenvik-print: %s: %s\n", PRINTER_FAILED_TEXT,
                 g_printer.last_error.c_str());
    return EXIT_FAILED;
  }
  if (!job_file.empty()) {
    g_print_options.header_text = header.substr(0, DRAWING_PRINT_HEADER_MAX);
    g_print_options.first_page = static_cast<int16_t>(first_page);
    g_print_options.last_page = static_cast<int16_t>(last_page);
    return print_job_drawing(job_file);
  }
  g_text_print.page_header = header.substr(0, TEXT_PRINT_HEADER_MAX);
  g_text_print.first_page = static_cast<int16_t>(first_page);
  g_text_print.last_page = static_cast<int16_t>(last_page);
  measure_text_printer(g_printer.caps, font_size);
  const int wrap = compute_print_wrap_width();
  TextPrintDocument document;
  std::string error;
  if (!load_text_document(text_file, wrap, &document, &error)) {
    std::fprintf(stderr, "brenvik-print: %s\n", error.c_str());
    return EXIT_FAILED;
  }
  if (trim_print_range(&document.lines) == 0) {
    std::fprintf(stderr, "brenvik-print: nothing to print in %s\n", text_file.c_str());
    return EXIT_NOTHING;
  }
  if (print_text_job(document, nullptr, &error) != TEXT_PRINT_DONE) {
    std::fprintf(stderr, "brenvik-print: %s: %s\n", PRINTER_FAILED_TEXT, error.c_str());
    return EXIT_FAILED;
  }
  return 0;
}
