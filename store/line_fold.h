// Folding of long lists: runs of lines far from the cursor wait behind one placeholder line
// (kind exactly LINE_KIND_PLACEHOLDER, text the byte 0xFE) whose extra block is a FoldRecord,
// and come back the moment a walk reaches it. The unread middle of a file loaded in part waits
// behind the same kind of placeholder and is read in slices as walks reach it. Hidden lines
// (LINE_KIND_HIDDEN) are skipped by the visible walkers while hiding is on.
//
// Folding measures distances in positions it counts itself, so it works on lists of any length
// (line ids stop at 32,767); it still renumbers the ids after every fold.
#pragma once

#include <cstdint>
#include <vector>

#include "store/line_list.h"

struct FileRecord;

// The extra block of a placeholder (zero-filled when made).
struct FoldRecord {
  int16_t fold_slot;      // slot of a folded run 0..FOLD_SLOT_COUNT-1 while it holds one; -1
                          // for unread text and once the slot has been given back
  uint8_t unread_text;    // 1: the placeholder stands for unread file text (its own mark: the
                          // range may start at offset 0 once the loaded head is deleted)
  int16_t wrap_width;     // the window's wrap width when the run was folded
  int64_t file_offset;    // unread text: first unread byte in the window's file
  int64_t byte_count;     // folded run: sum of (text length + 1); unread text: bytes left
  TextLine* first_line;   // the detached run, null for unread text or once taken back
  TextLine* last_line;
};

constexpr int FOLD_SLOT_COUNT = 8000;
constexpr int32_t FOLD_MIN_LINES = 250;       // shorter lists are never folded
constexpr int32_t FOLD_RUN_BYTES = 7000;      // a run this big (or of more than FOLD_RUN_LINES
constexpr int32_t FOLD_RUN_LINES = 500;       // lines) is folded when it meets a kept line
constexpr int32_t FOLD_RUN_CAP = 10000;       // no run holds more bytes
constexpr int64_t FOLD_SLICE_BYTES = 10000;   // unread text read back at a time
constexpr char FOLD_PLACEHOLDER_TEXT[] = "\xfe";

// What folding knows of the active window; the text windows fill it when they activate one.
struct FoldWindow {
  bool folds = false;                     // the window's lines may fold (editing windows); lists
                                          // that other code walks line by line never do
  FileRecord* file = nullptr;             // the window's file (unread text is read from it)
  const int16_t* wrap_width = nullptr;    // the window's wrap width, read when needed
  const uint32_t* flags = nullptr;        // the window's flags (for the text loader)
  int32_t* line_count = nullptr;          // negated (stale) when lines come back
  // Re-wraps start..stop of the current list to the width (the editor's reformat); null:
  // lines are only renumbered.
  void (*reformat)(TextLine* start, TextLine* stop, int width) = nullptr;
  // Told that unread text came back at a placeholder: first..last now stand before it (read
  // going forward), after it (going backward), or in its place (its last bytes were read; its
  // links are then null). Null: nobody listens.
  void (*lines_came_back)(TextLine* placeholder, TextLine* first, TextLine* last) = nullptr;
};

struct FoldState {
  std::vector<uint8_t> slots;        // bitmap of FOLD_SLOT_COUNT bits, bit set = slot taken
  uint8_t hiding = 1;                // 1: the visible walkers skip hidden lines
  uint8_t walking_another_list = 0;  // 1: the walked list is not the active window's: the
                                     // cursor line is ignored, runs are renumbered not re-wrapped
  uint8_t rewrapping = 0;            // 1 while a run that came back is re-wrapped
  uint8_t holding = 0;               // > 0: nothing is folded (a caller is bringing runs back
                                     // over a range and must not meet new placeholders in it)
  int16_t screen_rows = 25;          // R: rows of the current font, >= 1
  FoldWindow window;
  char last_fatal_code = 0;          // the code of the last fatal list error, 0 none
};
extern FoldState g_fold;

// Forgets the window and the switches and gives every slot back (frees no run).
void reset_fold_state();

// True for a placeholder line; for one that stands for unread file text.
bool is_placeholder(const TextLine* line);
bool is_unread_placeholder(const TextLine* line);
// A placeholder's record, or null for any other line.
FoldRecord* fold_record_of(TextLine* line);
const FoldRecord* fold_record_of(const TextLine* line);
// Slots taken now.
int fold_slots_taken();

// Folds one distant run of the current list; 1 when it folded, else 0 (also when no slot is
// free or memory runs out: the list then stays whole). Only the active window's list folds, and
// only when that window folds (or while walking another list on purpose).
int page_out_lines(TextLine* anchor);
// Folds until nothing more can be folded; returns the runs folded.
int page_out_all_lines(TextLine* anchor);

// The neighbouring line, skipping hidden lines while hiding is on; a placeholder reached is
// resolved and the first (forward) or last (backward) line that came back is returned. Null at
// the ends or when a load failed (the list is then unchanged).
TextLine* next_visible_line(TextLine* line);
TextLine* prev_visible_line(TextLine* line);
// The neighbour skipping hidden lines while hiding is on; placeholders are returned as they are.
TextLine* next_shown_line(TextLine* line);
TextLine* prev_shown_line(TextLine* line);

// The cursor line moves to the neighbouring visible line, bringing back what stands behind a
// placeholder it meets and the next placeholder beyond; returns the new cursor line, or null
// (the cursor line stays) at the end of the list or on a failure.
TextLine* cursor_to_next_line();
TextLine* cursor_to_prev_line();

// Brings every folded run of the current list back (unread text stays unread); nothing is
// folded meanwhile.
void bring_back_folded_runs();
// Takes a folded run back as the current list (the caller has pushed its own list): gives back
// its slot and re-wraps the run when the window's wrap width is not the one it was folded at.
void unfold_run(FoldRecord* record);
// Releases what a placeholder's FoldRecord holds (its detached run, its fold slot) before the
// placeholder is freed.
void release_fold_record(TextLine* placeholder);
// Closes the window's file when no line of the current list stands for unread text any more.
void close_fold_file_when_done();

// Tells the user that the line lists are broken ("error #1: Quit & restart!", the code in place
// of the digit): '1' no memory for a fold record, '5' no line after the splice, '6' none before,
// '7' an unread-text placeholder without bytes.
void fatal_list_error(char code);
