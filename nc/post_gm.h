// The G & M code post processor: walks the whole path code of one NC run and writes the NC
// program, numbered NC lines in G & M codes, into the NC program list (list slot 6), in the
// word formats and dialect of the post-processor definition in use. In a proof run it writes
// proof records into the proof file instead. It runs once per run, after the make-NC driver
// has encoded every item; the driver tidies the new lines afterwards.
//
// A walk that meets a byte it does not handle stops at once and reports failure: the lines
// written so far stay, and the caller must not present them as a complete program.
//
// Feed words: with 0 feed decimals an F word is written as whole tenths without a point ("F125"
// is a feed of 12.5). Controls that take this format rely on it, so it stays as it is.
#pragma once

#include <cstdint>
#include <string>

#include "nc/post_processor.h"

struct TextLine;

// ---- Word formats of a run ------------------------------------------------------------------------
// Set by build_coord_formats from the definition in use; the Z letter and the F decimals change
// during a run.
struct PostWordFormats {
  const PostProcessorDef* def = nullptr;  // the definition of the run (owned by its list entry)
  int coord_decimals = 4;        // X, Y, I, J, Z, R, Q: 4 in an inch job, 3 in a millimetre job
  int definition_feed_decimals = 1;  // 0..2 from the definition
  int feed_decimals = 1;         // in force: the definition's, or 5 (inch) / 4 (mm) per revolution
  char z_letter = 'Z';           // 'W' after the second-head switch
  std::string motion_format;     // "G0%c" or "G%c" (the motion digit fills it)
  std::string rapid_word;        // "G00" or "G0"
  std::string feed_word;         // "G01" or "G1"
  std::string comment_format;    // "* %s\n", "(%s)\n", "' %s\n", "; %s\n"; empty: none
  double min_arc_chord = 0.001;  // shorter arcs are written as lines unless their sweep is wide
  double small_arc_radius = 0.0004;  // arcs below this radius are written as lines
};
extern PostWordFormats g_post_formats;

// What the last post_process did; read by the make-NC driver.
struct PostRunState {
  int32_t next_line_number = -1;  // number of the next NC line; -1 while lines are unnumbered
  int message_pending = 0;        // a catalogue message to show after the run (15200 + n), 0 none
  std::string failure;            // why the last walk stopped short; empty when it did not
  int32_t lines_written = 0;      // NC lines appended by the last walk
};
extern PostRunState g_post_run;

// Results of post_process.
constexpr int POST_DONE = 1;          // the NC lines were written
constexpr int POST_FAILED = 0;        // the walk stopped short (g_post_run.failure says why)
constexpr int POST_PROOF_DONE = -1;   // a proof run wrote its records
// The kind byte of a generated NC line.
constexpr uint8_t NC_LINE_KIND = 16;

// ---- The run ----------------------------------------------------------------------------------
// Sets the formats, the dialect and the arc limits for the definition (and the job's units);
// raises the pen move's arcs-as-lines flag for Velkor output.
void build_coord_formats(const PostProcessorDef& def);
// Walks the path code: G & M lines into list slot 6, or proof records in a proof run
// (g_proof.run_level nonzero). POST_DONE, POST_PROOF_DONE, or POST_FAILED.
int post_process();

// ---- Lines and words --------------------------------------------------------------------------
// Appends one line to the NC program list (slot 6), with the line number in front when lines
// are numbered and the text does not begin with one of "%{}:.O&". The new line's kind is
// NC_LINE_KIND. False when the list refused the line (memory).
bool append_nc_line(const char* text);
// Appends the value printed with the format (one number, last in the format), its trailing
// zeros and a bare point cut, a minus zero written as 0.
void format_word(std::string* line, const char* format, double value);
// Appends an F word: with 0 feed decimals "F" and the feed in whole tenths (truncated), else
// " F" and the feed with the decimals in force.
void append_feed_word(std::string* line, double feed);

// ---- Test hooks ---------------------------------------------------------------------------------
void reset_post_gm();
