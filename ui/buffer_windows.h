// Editing-buffer windows: the editing area, its halves, the split screen of two buffers and
// closing buffers with the save question.
#pragma once

#include "screen/event_queue.h"
#include "store/message_ids.h"

#include <cstdint>

struct TextLine;

struct BufferWindows {
  TextLine* alternate_buffer = nullptr;  // the buffer shown before the current one, or null
  uint8_t two_shown = 0;                 // non-zero while two buffers share the screen
};
inline BufferWindows g_buffer_windows;

// The editing area in cells of the editor's face: top row and left column fixed, the bottom row
// and right column from the screen's layout.
struct EditingArea {
  int top = 5;
  int left = 2;
  int bottom = 20;
  int right = 80;
};
EditingArea editing_area();

// The active buffer's rectangle inside the editing area; columns, rows and pixels follow.
void place_in_top_half();
void place_in_bottom_half();
void place_in_left_half();
void place_in_right_half();
// The whole area; a word-wrapping buffer is re-wrapped to its wanted width (or the area's).
void place_in_full_area();

// Shows the active buffer and a second one in two halves: mode 1 one above the other, 2 side by
// side. A second buffer is opened empty when there is none.
void split_buffer_screen(int mode);
// Every buffer over the whole area, none counted as on screen.
void unsplit_buffers();
// The node's font mode, and the node re-placed in its own half of the arrangement.
void set_buffer_font_mode(TextLine* node, uint8_t mode);
// Every buffer in the editor face's font mode.
void apply_buffer_font_size();
// With a split screen, draws the other buffer without changing the active one.
void redraw_other_buffer();

// Closes buffers with the save question: mode 0 the active one (the next is drawn), a positive
// mode every buffer, a negative mode the active one without drawing (-3 leaves its area as it
// is). 0, or 27 when a save question was cancelled or a save failed: that buffer stays open.
int close_edit_buffers(int mode);

// Before the program ends: the save question for every changed buffer, in the buffers' order,
// each buffer shown while it is asked about. 0 go on; 27 when a question was cancelled or a
// save failed (no buffer is closed; the active window is then that buffer unless another
// window, such as the drawing, was active).
int ask_save_every_buffer();

// The "Here are your Editing Buffers" dialog: the buffers in their order, checked when F1 and
// F2 show them. Moving a line reorders the buffers; Space or a click shows or hides one; S saves
// its file (the line shows it saved only when the save succeeded), W asks for its word-wrap
// width (20 to 250, 0 fits the window), R toggles read-only, Del closes it with the save
// question; Enter switches to the buffer at the cursor. 0.
int edit_buffers_dialog();
// The dialog's key filter.
EventCode edit_buffers_key_filter();

// Catalogue prompts of the save question: a named file, a buffer never saved.
constexpr int PROMPT_SAVE_NAMED = MSG_CHOICE_SAVE_NAMED_BUFFER;
constexpr int PROMPT_SAVE_UNNAMED = MSG_CHOICE_SAVE_UNNAMED_BUFFER;
