// The printer's page in device pixels, and the printer the user set up: where the pages go, on
// what paper, turned or not. Every printing path measures the destination through these.
#pragma once

#include <cstdint>
#include <string>

#include "platform/printing.h"

// Eighteen device-pixel figures of one page, in their stored order. The usable area (the same
// margin on all four sides) centres whatever is laid out in it on the paper, whatever the
// printer's own unprintable margins are.
struct PrinterPageGeometry {
  int32_t offset_x = 0;          // left unprintable margin
  int32_t offset_y = 0;          // top unprintable margin
  int32_t right_margin = 0;      // paper width - printable width - offset x
  int32_t bottom_margin = 0;     // paper height - printable height - offset y
  int32_t paper_width = 0;       // the printable width when the device reports none
  int32_t paper_height = 0;
  int32_t printable_width = 0;
  int32_t printable_height = 0;
  int32_t margin_left = 0;       // the uniform margin: the largest of the four margins
  int32_t margin_top = 0;
  int32_t margin_right = 0;
  int32_t margin_bottom = 0;
  int32_t usable_width = 0;      // paper width - 2 x uniform margin
  int32_t usable_height = 0;
  int32_t origin_x = 0;          // uniform margin - offset x: where drawing starts
  int32_t origin_y = 0;
  int32_t pixels_per_inch_x = 0;
  int32_t pixels_per_inch_y = 0;
};

// Fills the record from what the device reports; 1, or 0 when no record is given.
int get_page_geometry(const PrintDeviceCaps& device, PrinterPageGeometry* geometry);

// The printer of this run: the set-up the user chose (factory: CUPS's default queue, else the
// PDF file; A4; upright) and what was measured of it.
struct PrinterChoice {
  PrintSetup setup;
  bool setup_chosen = false;  // the destination was set (else the default is taken afresh)
  PrintDeviceCaps caps;
  bool measured = false;
  std::string last_error;     // why the last measurement failed
};
extern PrinterChoice g_printer;

// Measures the chosen printer (the default destination unless one was set): 0, or -1 with the
// reason in g_printer.last_error.
int measure_printer();
// The job's or document's PDF name: its base name with ".pdf", in its folder.
std::string default_pdf_path(const std::string& document_path, const std::string& fallback_name);

// Test hooks
void reset_printer_choice();
