// The waits of the text windows: for the next code with the editor caret blinking at the
// cursor, and for the pointer to come back into the current window.
#pragma once

#include "screen/event_queue.h"

// What the waits need of the pages; start-up fills them. Null: nothing is drawn.
struct WaitEntryPoints {
  void (*draw_editor_status)() = nullptr;  // the text editor's status line
};
inline WaitEntryPoints g_wait_entries;

// The caret shape the editors wait with.
constexpr int16_t CARET_EDITOR_WAIT = 5;

// wait_event_in_editor at the active window's cursor cell, with the editor's caret shape.
EventCode wait_event_at_cursor();
// The next code, with the editor caret blinking at (row, column). A code already pending is
// returned at once; otherwise a window with a file first shows its line numbers and status.
EventCode wait_event_in_editor(int row, int column);
// The same without the editor's status and line counter.
EventCode wait_event_with_caret(int row, int column);
// Shows pointer shape 92 until the pointer comes back into the current window (438). A click
// gives 27, as does any other code while the screen needs redrawing, and a quit, which stays
// requested; codes up to 438 are returned as they are and later ones skipped.
EventCode wait_pointer_back_in_window();
