// The NC editor's tools on the active editing buffer: tidying, sequence numbers and comparing
// it with the other shown buffer. Each walks folded and unread runs too and marks the buffer
// changed when a line changed.
#pragma once

#include "nc/nc_compare.h"
#include "nc/nc_sequence.h"

enum NcTidyKind : int {
  NC_TIDY_COMPACT = 0,        // spaces, repeated motion words and needless zeros out
  NC_TIDY_REMOVE_SPACES = 1,  // the separators between words out
  NC_TIDY_SPACE_WORDS = 2,    // one separator between every two words
};
// Runs a tidying over the whole buffer (arg: compacting's `more`, else tabs nonzero for tabs).
// The marked block goes. Returns the lines changed.
int tidy_nc_buffer(NcTidyKind kind, int arg);

// Numbers the marked block (or the whole buffer) as the settings say; the cursor goes to the
// block's first line (or the buffer's). Nothing is done to a buffer of one line (0). Returns the
// lines changed.
int renumber_nc_buffer(const SequenceSettings& settings);

// What the comparison remembers for the run: the mode last chosen.
struct NcCompareMemory {
  int mode = NC_COMPARE_BY_VALUE;
};
extern NcCompareMemory g_nc_compare;

// Compares the active buffer with the next shown buffer. With `ask` the user picks the mode and
// the comparison starts at both current lines; without it the last mode is used from the lines
// after them. At a difference both buffers show the lines as their current lines (1); without
// one the user is told (0). -1 when there is no other buffer (the help hook is called) or the
// question was cancelled.
int compare_nc_programs(bool ask);

// Test hooks
void reset_nc_buffer_tools();
