// Folding of long lists: runs of lines far from the cursor wait behind one placeholder line
// (kind exactly LINE_KIND_PLACEHOLDER) whose extra block is a FoldRecord, and come back the
// moment a walk reaches it. Hidden lines (LINE_KIND_HIDDEN) are skipped by the visible walkers.
#pragma once

#include <cstdint>

#include "store/line_list.h"

// The extra block of a placeholder (zero-filled when made).
struct FoldRecord {
  int16_t fold_slot;      // slot of a folded run 0..7999; -1 for unread file text
  int32_t file_offset;    // > 0: unread file text begins here; <= 0: a folded run
  int32_t byte_count;     // folded run: sum of (text length + 1); unread text: bytes left
  TextLine* first_line;   // the detached run, null for unread text or once taken back
  TextLine* last_line;
  int16_t wrap_width;     // the window's wrap width when the run was folded
};

// The neighbouring line, skipping hidden lines; a placeholder reached is brought back.
TextLine* next_visible_line(TextLine* line);
TextLine* prev_visible_line(TextLine* line);
// Folds one distant run of the current list; 1 when it folded, else 0.
int page_out_lines(TextLine* anchor);
// Releases what a placeholder's FoldRecord holds (its detached run, its fold slot) before the
// placeholder is freed.
void release_fold_record(TextLine* placeholder);

// The cursor line moves to the neighbouring visible line; returns it, or null (the cursor line
// stays) when there is none.
TextLine* cursor_to_next_line();
TextLine* cursor_to_prev_line();
