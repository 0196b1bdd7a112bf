// The keys of editor windows: the user's three assignable keys, the clipboard keys, and the key
// filter of a page that runs an editing buffer (undo and redo, the page tabs, a quit).
#pragma once

#include "screen/event_queue.h"

constexpr EventCode KEY_CTRL_C = 579;
constexpr EventCode KEY_CTRL_V = 598;
constexpr EventCode KEY_CTRL_X = 600;
constexpr EventCode KEY_CTRL_Z = 602;

// The user's keys (F1, F2, Ctrl+F1 unless changed) become 483, 484 and 472; others unchanged.
EventCode map_user_keys(EventCode code);
// The clipboard keys become their commands; 0 for any other code and for a Del that does nothing.
EventCode map_clipboard_keys(EventCode code);

// One code for the run loop of an editing buffer shown on a page: the page's frame and tabs are
// drawn on entry and when asked; a quit or a click on another tab leaves (27); Ctrl+Z and
// Ctrl+Shift+Z push back an undo or a redo.
EventCode editor_page_key(int page);
// A press, release or move of the pointer as the editor takes it: a press on the text puts the
// caret there and clicks (460), a release ends a click or drag (456), a move with the left button
// held takes the caret along; 0 when there is nothing for the text, -1 for any other code.
EventCode editor_pointer_code(EventCode code);

// Test hooks
void reset_editor_page();
