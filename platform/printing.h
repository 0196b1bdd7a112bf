// Printing: pages are drawn into a PDF document (cairo) in device pixels, then either kept as a
// PDF file or handed to a CUPS print queue as application/pdf. The program sees a "printer" as a
// destination with a paper, a resolution and unprintable margins, and draws pictures and
// fixed-cell text onto its pages.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// The destination that writes the pages to a PDF file instead of a queue.
inline constexpr char PRINT_DESTINATION_FILE[] = "PDF file";
// The resolution of the PDF file, and of a queue that names none.
inline constexpr int PRINT_DEFAULT_DPI = 300;

// ---- Destinations and paper ---------------------------------------------------------------------

struct PrintDestination {
  std::string name;         // the queue's name, or PRINT_DESTINATION_FILE
  bool is_file = false;
  bool is_default = false;  // CUPS's default queue
};
// "PDF file" first, then the CUPS queues (an unreachable server lists none).
std::vector<PrintDestination> print_destinations();
// CUPS's default queue, else the PDF file.
std::string print_default_destination();

struct PrintPaper {
  const char* name;        // as the set-up shows it
  const char* media_name;  // the PWG media name CUPS knows it by
  int width_mm;            // portrait, truncated to whole millimetres
  int height_mm;
};
// The papers the set-up offers; the first is the factory choice (A4).
std::span<const PrintPaper> print_papers();
// A paper by its name, ignoring case; null for a name the table lacks.
const PrintPaper* find_print_paper(std::string_view name);

// What the user set up: where the pages go and on what paper.
struct PrintSetup {
  std::string destination = PRINT_DESTINATION_FILE;
  std::string paper = "A4";
  bool landscape = false;
  std::string file_path;  // the PDF file's path (destination "PDF file")
};

// The page of a destination in device pixels: paper, printable area and its place, resolution.
struct PrintDeviceCaps {
  int dpi_x = PRINT_DEFAULT_DPI;
  int dpi_y = PRINT_DEFAULT_DPI;
  int paper_width = 0;       // pixels
  int paper_height = 0;
  int printable_width = 0;   // pixels
  int printable_height = 0;
  int offset_x = 0;          // left unprintable margin, pixels
  int offset_y = 0;          // top unprintable margin, pixels
  int bits_per_pixel = 24;
  std::string device_name;   // the destination as the dialogs show it
};
// Measures the set-up's destination: false with the reason for an unknown paper or a queue that
// cannot be reached.
bool print_measure(const PrintSetup& setup, PrintDeviceCaps* caps, std::string* error);

// ---- A print job ----------------------------------------------------------------------------------

struct PrintJob;

// Begins a document of `title`: pages of the measured size. A PDF file is written as NAME.tmp
// beside NAME and takes its name only when complete; a queue's document waits in the temp folder
// until it is submitted. Null with the reason when the document cannot be begun.
PrintJob* print_begin(const PrintSetup& setup, const PrintDeviceCaps& caps,
                      const std::string& title, std::string* error);
bool print_begin_page(PrintJob* job);
bool print_end_page(PrintJob* job);

// Drawing on the current page; coordinates are device pixels from the page's top-left corner,
// moved by the origin and limited by the clip.
void print_set_origin(PrintJob* job, int x, int y);
// Nothing is drawn outside (0, 0, width, height) of the origin; a width below 1 clips nothing.
void print_set_clip(PrintJob* job, int width, int height);

// A picture in device pixels: rows top first, padded to 4 bytes; 1-bit pixels from the high bit,
// 4-bit high nibble first, 8-bit palette indexes, 24-bit blue, green, red.
struct PrintImage {
  int width = 0;
  int height = 0;
  int bits_per_pixel = 24;            // 1, 4, 8 or 24
  std::span<const uint8_t> bits;
  std::span<const uint32_t> palette;  // 0x00RRGGBB; an index past its end is black
};
// Places the picture pixel for pixel at (x, y), each pixel one device pixel, never smoothed.
// False for a malformed picture.
bool print_draw_image(PrintJob* job, int x, int y, const PrintImage& image);

// Text in fixed cells: the monospace face fontconfig finds for `face`, sized so that a glyph
// fits one cell of cell_width x cell_height pixels; each cp1252 byte is drawn in its own cell,
// from (x, y) the top-left corner of the first cell.
void print_draw_text_cells(PrintJob* job, int x, int y, std::string_view text, int cell_width,
                           int cell_height, const std::string& face);

// Ends the document: the PDF file takes its name, or the queue gets the job. False with the
// reason when it could not: nothing is left behind then (no .tmp, no half job).
bool print_end(PrintJob* job, std::string* error);
// Drops the document: the .tmp is removed, a queue gets nothing.
void print_abort(PrintJob* job);

// Test hooks
// The file a PDF destination writes while the document is open.
std::string print_temp_path(const std::string& file_path);
