// Printing text files: the lines of a text (an NC program or any text in the editor) in a fixed
// cell grid on the printer's pages, with an optional header of up to three parts on every page
// (a free page header, the file's name with its date, "Page %d of %d" at the right), margins
// counted in lines and characters, word wrap at the printable width or cut lines, a range of
// pages, and a font size in points.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/printing.h"

// The face asked for; fontconfig's monospace match stands in when no such face is installed.
constexpr char TEXT_PRINT_FACE[] = "Vuzu1";
constexpr char TEXT_PRINT_DOCUMENT_NAME[] = "Printing";
constexpr int TEXT_PRINT_HEADER_MAX = 60;
constexpr int TEXT_PRINT_MIN_WRAP = 20;  // narrower margins are dropped, the right one first
constexpr char PRINTER_FAILED_TEXT[] = "Printer corrupt or not installed!";

// The printer's cells (computed by measure_text_printer).
struct TextPrinterMetrics {
  int dpi_x = 0;
  int dpi_y = 0;
  double ratio = 1;          // dpi across / dpi down
  int paper_width_mm = 0;
  int paper_length_mm = 0;
  int page_width = 0;        // printable pixels
  int page_height = 0;
  int cell_width = 0;        // pixels
  int cell_height = 0;
  int columns = 76;          // page width / cell width
  int rows = 66;             // page height / cell height
  int bits_per_pixel = 0;
  bool measured = false;
};
extern TextPrinterMetrics g_text_printer;

// The settings of one print run (the lasting ones live in g_interface: margins, name line,
// page numbers, font size).
struct TextPrintRun {
  std::string page_header;  // at most 60 characters
  int16_t first_page = 1;   // 0 becomes 1 when the dialog shows it
  int16_t last_page = 0;    // 0: to the end
  bool no_wrap = false;     // lines are cut at the wrap width instead of wrapped
  int wrap_width = 0;       // characters a printed line holds
};
extern TextPrintRun g_text_print;

// One line to print: its text (in-band codes as the editor keeps them; a closing 0x0A ends its
// paragraph) and whether it starts a file line (a line that continues a wrapped one does not).
struct PrintTextLine {
  std::string text;
  bool starts_line = true;
};

// What is printed: the lines and the file they came from ("" for a text never saved).
struct TextPrintDocument {
  std::string path;
  std::vector<PrintTextLine> lines;
};

// ---- Measuring ----------------------------------------------------------------------------------

// Cells from the font size and the printer's resolution; columns and rows of its page.
void measure_text_printer(const PrintDeviceCaps& caps, int font_size);
// The wrap width from the columns and the margins; margins that leave fewer than 20 columns are
// set to 0, the right one first. Stored in g_text_print.wrap_width.
int compute_print_wrap_width();
// Drops the blank lines at the end (a line with no character above a blank); the lines left.
int trim_print_range(std::vector<PrintTextLine>* lines);

// ---- Page layout ----------------------------------------------------------------------------------

// The figures the dialog shows: lines per page, pages, lines on the last page, and the height of
// the header in pixels.
struct TextPageLayout {
  int lines = 0;           // lines to print (after no-wrap drops continuations)
  int lines_per_page = 1;  // L
  int pages = 0;           // P
  int last_page_lines = 0;
  int header_height = 0;   // pixels above the first text line
};
TextPageLayout layout_text_pages(const TextPrintDocument& document);
// The name line of a document: its path and date, or the not-saved text with the time now.
std::string print_name_line(const std::string& path);
// The same for a row of `columns` characters: a longer path is shortened in its middle.
std::string dated_name_line(const std::string& path, int columns);

// ---- Printing -------------------------------------------------------------------------------------

struct TextPrintPen {
  PrintJob* job = nullptr;  // null: measure only
  bool skipping = false;    // pages before the first to print are walked, not drawn
  int x = 0;                // pixels
  int y = 0;
  int cell_width = 0;
  int cell_height = 0;
};
// Prints the text at the pen: bit 1 set when it held a carriage return, bit 2 a line feed.
int print_text_line(TextPrintPen* pen, const std::string& text);
// The characters print_text_line draws of a text, and the return bits it notes.
std::string printable_text(const std::string& text, int tab, int* bits);

// Results of print_text_job.
constexpr int TEXT_PRINT_DONE = 0;
constexpr int TEXT_PRINT_CANCELLED = 1;
constexpr int TEXT_PRINT_FAILED = -1;
// Prints every page of the document to the printer set up in g_printer (measured), polling the
// cancel box between pages when `dialog` is given. TEXT_PRINT_FAILED with the reason in *error.
struct TAbortDialog;
int print_text_job(const TextPrintDocument& document, TAbortDialog* dialog, std::string* error);

// Test hooks
void reset_text_print();

// ---- Texts to print -------------------------------------------------------------------------------

// Reads a text file wrapped at `wrap_width` into the document; false with the reason when it
// cannot be read.
bool load_text_document(const std::string& path, int wrap_width, TextPrintDocument* document,
                        std::string* error);
// The visible lines of the current list, from its first line.
void collect_current_lines(TextPrintDocument* document);
