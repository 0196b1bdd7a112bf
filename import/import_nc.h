// The NC and plotter readers' working parts, open to the tests.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

struct ImportRun;

// ---- NC ----
struct NcReaderState {
  double x = 0, y = 0;            // the current point
  double new_x = 0, new_y = 0;    // the point of the line
  double centre_x = 0, centre_y = 0;
  char motion = '0';              // '0' rapid, '1' line, '2' clockwise, '3' counter-clockwise
  char line_motion = '0';         // the motion of the line being read
  bool incremental = false;       // G91
};
// Cuts the line at the first '*' and apostrophe, blanks every "(...)" comment and turns commas
// into points.
void clean_nc_line(std::string* line);
// One line of a program (upper-cased here); 0, or -1 when a write failed.
int read_nc_line(ImportRun* run, NcReaderState* state, std::string line);
// Writes the move from the current point to the new point as a one-link item. 0 or -1.
int write_nc_segment(ImportRun* run, const NcReaderState& state);

// ---- HPGL ----
// Pen actions of read_hpgl_command.
constexpr int HPGL_PEN_UP = '0';
constexpr int HPGL_PEN_DOWN = '1';
constexpr int HPGL_PEN_SELECT = 'P';
constexpr int HPGL_END = -2;
// A number that could not be decoded at the end of the file.
constexpr long HPGL_PE_END = -30000;

struct HpglReader {
  const unsigned char* data = nullptr;
  size_t size = 0;
  size_t pos = 0;
  bool pen_down = false;
  bool relative = false;
  double last_x = 0, last_y = 0;        // plotter units
  int pen = 0;
  bool scaled = false;                  // an IP was seen: SC may scale
  double p1x = 0, p1y = 0, p2x = 0, p2y = 0;
  double unit_x = 1, unit_y = 1;        // job units per plotter unit
  double plotter_unit = 1;
  // Pairs decoded but not yet returned (PU/PD/PA/PR with several pairs, PE).
  struct Move {
    double x, y;
    bool down;
  };
  std::vector<Move> queued;
  size_t next_queued = 0;
};
// The next pen action; x and y in plotter units.
int read_hpgl_command(HpglReader* reader, double* x, double* y);
// One polyline-encoded number in base 32 or 64; first is a byte already read (0: none).
long decode_pe_number(HpglReader* reader, int base, int first);
