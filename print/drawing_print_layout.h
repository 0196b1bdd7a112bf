// The page grid of a printed drawing: the scale (as set, or fitted to one page), the drawing's
// size in printer pixels, how many pages across and down it spans, which of them a page range
// prints, and where the drawing starts on the first page (centred, and pushed down below the
// header lines). Sizes are 64-bit: a large drawing at a large scale is refused, not wrapped.
#pragma once

#include <cstdint>
#include <string>

// A grid wider or taller than this many pages is refused.
constexpr int64_t DRAWING_PRINT_MOST_PAGES_ACROSS = 32767;
// The fitted scale leaves this much of the page's usable area to spare.
constexpr double DRAWING_PRINT_FIT_SHARE = 0.95;

struct DrawingPrintInput {
  double width = 0;          // the drawing's extents, job units
  double height = 0;
  bool metric = false;       // job units are millimetres, else inches
  double scale = 0;          // above 0: printed size a unit; else fitted to one page
  int dpi_x = 300;
  int dpi_y = 300;
  int usable_width = 0;      // printer pixels of one page's usable area
  int usable_height = 0;
  bool header_line = false;  // the job's name and date above the drawing
  bool header_text = false;  // a page header above the drawing
  bool rulers = false;
  bool centre = false;
};

struct DrawingPrintLayout {
  bool ok = false;
  std::string error;          // why nothing can be printed
  double scale = 0;           // the scale used, above 0
  bool fitted = false;        // the scale was fitted to one page
  double printed_width = 0;   // job units, the extents grown by the header and ruler space
  double printed_height = 0;
  int64_t width = 0;          // printer pixels
  int64_t height = 0;
  int64_t columns = 0;        // pages across and down
  int64_t rows = 0;
  int64_t offset_x = 0;       // where the drawing starts on the grid, printer pixels
  int64_t offset_y = 0;
};

// The grid of the drawing as the options dialog shows it and as it prints.
DrawingPrintLayout layout_drawing_print(const DrawingPrintInput& input);
// The dialog's page line: one page, one row or column of pages, or a grid.
std::string drawing_pages_text(const DrawingPrintLayout& layout);
// Whether page `page` (from 1, row by row) is printed with the range first..last (last 0 or
// below: to the end).
bool drawing_page_in_range(int64_t page, int first, int last);
// The last page the range prints of a grid of `pages`: no page is begun after it.
int64_t last_drawing_page(int64_t pages, int first, int last);
