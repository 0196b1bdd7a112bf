// The NC back-plot: an NC program text, in G & M codes or engraver commands, read as a machine
// control reads it and written into the proof file, so that the 3-D proof view, the time
// estimate and the plotter-code writer work on any program: one made here, loaded, or edited by
// hand. One 'L' record per line that did something, then that line's motion records; arcs are
// turned into chords.
//
// The reading follows the control, not the writer: a word a line does not name keeps the axis
// where it stands (also across G91 to G90), later holes of a modal drilling cycle go to the
// cycle's depth, numbers are plain decimals, and a number the proof's 32-bit floats can not hold
// stops the plot with a message naming its row rather than drawing somewhere else.
#pragma once

#include <cstdint>
#include <string>

struct TextLine;

// ---- Line results (nc_parse_line) ---------------------------------------------------------------
constexpr uint32_t LINE_MOVED_XY = 0x1;         // an X, Y, PU, PD, PZ, rotary or cycle word
constexpr uint32_t LINE_MOVED_Z = 0x2;          // a Z, W, ZU or ZD word changed Z
constexpr uint32_t LINE_HAS_R = 0x4;            // the R level of a drilling cycle was read
constexpr uint32_t LINE_ARC_BY_RADIUS = 0x1000; // the arc is given by a positive radius
constexpr uint32_t LINE_PAUSE = 0x20000000;     // program pause (M0, M00): nothing else counts
constexpr uint32_t LINE_TOOL_CHANGE = 0x40000000;  // a T word; the tool is BackPlotState::tool

// ---- Options (nc_to_proof_file, nc_parse_line) ------------------------------------------------
constexpr uint32_t PROOF_ABSOLUTE_ARC_CENTRES = 0x4;  // I and J are absolute coordinates
constexpr uint32_t PROOF_NO_DECORATION = 0x100;       // neither workpiece wireframe nor axes

// The interpreter's state from line to line within one run (positions in program units).
struct BackPlotState {
  double x = 0, y = 0, z = 0;       // where the tool stands after the last line
  double r_level = 0;               // R level of the drilling cycle in force
  double cycle_z = 0;               // hole depth of the drilling cycle in force
  double start_x = 0, start_y = 0, start_z = 0;  // where the last line started (an arc's start)
  double i = 0, j = 0;              // arc centre offset of the current line (reset every line)
  double radius = 0;                // arc radius of the current line (R word of G2/G3)
  double feed = 0;                  // F in force; 0 at the start of a run
  int32_t spindle = 0;              // S in force; 0 at the start of a run
  int32_t tool = 0;                 // tool of the last T word, 0..999999
  char motion = 'A';                // '0'-'3', 'u' drilling cycle, 'A' first move, 'z', 'Z', '9'
  char modal = '0';                 // digit of the last G0-G3, PU or PD; '0' at a run's start
  bool incremental = false;         // G91 in force
  bool rotary_seen = false;         // a rotary-axis word was read in this run
  bool engraver = false;            // the program is engraver commands (PU, PD, ZU, ZD)
  double up_z = 0, down_z = 0;      // engraver pen-up height and pen-down Z, kept between runs
  bool bad_number = false;          // the current line held a number a 32-bit float can not hold
};
extern BackPlotState g_back_plot;

// ---- The back-plot -------------------------------------------------------------------------------
// Reads one number of a word at text (after its letter): blanks, then a plain decimal (sign,
// digits, point; no hex, exponent, inf or nan); then passes every character from '+' to '9' but
// stops at a ','. Returns the position reached; *value is 0 when no digits stood there.
const char* nc_read_number(const char* text, double* value);
// Interprets one line and updates g_back_plot. The words follow the state's engraver switch.
uint32_t nc_parse_line(const char* text, uint32_t options);
// The centre of an arc by radius from (x1, y1) to (x2, y2): 1 found, 0 no centre (the circles do
// not meet, or the ends lie within 0.0001 of each other so that no centre is defined).
int nc_arc_center(double x1, double y1, double x2, double y2, double radius, bool clockwise,
                  double* cx, double* cy);
// Grows the proof's extents by the extreme points of an arc (the ends are the caller's).
void nc_arc_extents(double cx, double cy, double radius, bool clockwise, double start_angle,
                    double end_angle);
// Writes the proof file from the lines of a list (first line on, hidden lines skipped, unread
// parts of a file read in). The engraver switch follows the job's post processor. 1 written;
// 0 nothing moved (no file is left) or the file could not be made; -1 the plot stopped with a
// message already given (a number too large, a write that failed, a part that could not be
// read): no file is left.
int nc_to_proof_file(TextLine* first_line, uint32_t options);
// The chord tolerance the last run used (job units, or engraver units in engraver mode).
double back_plot_chord_tolerance();

// ---- Test hooks ---------------------------------------------------------------------------------
void reset_back_plot();
