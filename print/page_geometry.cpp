#include "print/page_geometry.h"

#include <algorithm>
#include <cstdlib>

#include "platform/files.h"

PrinterChoice g_printer;

int get_page_geometry(const PrintDeviceCaps& device, PrinterPageGeometry* g) {
  if (g == nullptr) return 0;
  *g = PrinterPageGeometry{};
  g->offset_x = device.offset_x;
  g->offset_y = device.offset_y;
  g->printable_width = device.printable_width;
  g->printable_height = device.printable_height;
  g->paper_width = device.paper_width != 0 ? device.paper_width : device.printable_width;
  g->paper_height = device.paper_height != 0 ? device.paper_height : device.printable_height;
  g->right_margin = g->paper_width - g->printable_width - g->offset_x;
  g->bottom_margin = g->paper_height - g->printable_height - g->offset_y;
  const int32_t margin =
      std::max({g->offset_x, g->right_margin, g->offset_y, g->bottom_margin});
  g->margin_left = g->margin_top = g->margin_right = g->margin_bottom = margin;
  g->usable_width = g->paper_width - 2 * margin;
  g->usable_height = g->paper_height - 2 * margin;
  g->origin_x = margin - g->offset_x;
  g->origin_y = margin - g->offset_y;
  g->pixels_per_inch_x = device.dpi_x;
  g->pixels_per_inch_y = device.dpi_y;
  return 1;
}

int measure_printer() {
  if (!g_printer.setup_chosen) g_printer.setup.destination = print_default_destination();
  g_printer.measured = print_measure(g_printer.setup, &g_printer.caps, &g_printer.last_error);
  return g_printer.measured ? 0 : -1;
}

std::string default_pdf_path(const std::string& document_path, const std::string& fallback_name) {
  std::string folder;
  std::string name = fallback_name;
  const size_t slash = document_path.rfind('/');
  if (!document_path.empty()) {
    folder = slash == std::string::npos ? std::string() : document_path.substr(0, slash);
    name = slash == std::string::npos ? document_path : document_path.substr(slash + 1);
  }
  const size_t dot = name.rfind('.');
  if (dot != std::string::npos && dot > 0) name.erase(dot);
  if (name.empty()) name = fallback_name;
  if (folder.empty()) {
    const char* home = std::getenv("HOME");
    folder = home != nullptr && *home != 0 ? home : temp_folder();
  }
  return path_join(folder, name + ".pdf");
}

void reset_printer_choice() { g_printer = PrinterChoice(); }
