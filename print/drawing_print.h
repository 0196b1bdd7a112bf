// Printing the drawing: to scale or fitted to one page, tiled over as many pages as it needs,
// with the job's name and date, a page header, rulers, layer colours or black, and the tool
// paths. The options dialog shows the drawing's size, its size on paper, the printer's
// resolution and the pages; then every page of the grid is printed by the window-image printer,
// whose bands the Drawing page's renderer paints at the printer's resolution.
#pragma once

#include <cstdint>
#include <string>

#include "print/drawing_print_layout.h"
#include "screen/event_queue.h"

constexpr int DRAWING_PRINT_HEADER_MAX = 60;
constexpr char DRAWING_PRINT_DOCUMENT_NAME[] = "Drawing";

// The settings of the options dialog. The lasting ones are kept in the preferences file (the
// display options the renderer reads while printing stay in g_preferences.drawing).
struct PrintOptions {
  std::string header_text;   // printed at the top of the page; at most 60 characters
  float scale = 1;           // above 0: printed size a drawing unit; else fitted (minus the fit)
  uint8_t rulers = 0;        // 0/1
  uint8_t centre = 0;        // 0/1: the drawing centred in the page grid
  uint8_t layer_colours = 1;  // 0/1: 0 prints everything black
  int16_t first_page = 1;    // of the grid, row by row from 1
  int16_t last_page = 0;     // 0 or below: to the end
};
extern PrintOptions g_print_options;

// Reads the lasting settings from the preferences' bytes (a byte that is not "Y" or "N", or a
// scale that is not a number, leaves the setting as it is) and writes them back.
void load_print_options();
void store_print_options();

// The grid of the drawing as it prints with the current options and the measured printer: the
// extents must be computed. 
DrawingPrintLayout current_drawing_print_layout();

// Results of print_drawing_job.
constexpr int DRAWING_PRINT_DONE = 0;
constexpr int DRAWING_PRINT_CANCELLED = 1;
constexpr int DRAWING_PRINT_FAILED = -1;
// Prints the pages of the layout to the measured printer (g_printer), the drawing as the
// Drawing page draws it at the printer's resolution; polls the cancel box before every page and
// between bands when it is given. The view and the display settings are put back afterwards,
// also on failure. DRAWING_PRINT_FAILED with the reason in *error.
struct TAbortDialog;
int print_drawing_job(const DrawingPrintLayout& layout, const std::string& job_path,
                      TAbortDialog* dialog, std::string* error);

// The Drawing page's print command: measures the printer, runs the options dialog, asks the PDF
// name and prints. 0.
int print_drawing();
// The dialog's field handler.
EventCode print_options_field();

// Fills the Drawing page's entries this layer answers: the print and e-mail commands.
void connect_print_commands();

// Test hooks
void reset_print_options();
