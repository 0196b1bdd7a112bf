// The default key filter of editor windows (text boxes, line editors, the report viewer): it
// turns events into the codes the run loop acts on, passes page keys through the NC page's key
// map, asks before a changed text is left, and holds the viewer's buttons.
#pragma once

#include "screen/event_queue.h"

// The next code for run_window. Typing, Enter (450 in a list-like window), Tab in a word-wrap
// window, clicks in the text (460), drags, the clipboard keys and the navigation keys come
// through; Esc (or a click outside the window) leaves, asking first whether a changed text is to
// be saved (450 yes, 27 no; Esc in the question goes back to editing). A repaint redraws the
// window where it stands and editing goes on: nothing typed is lost.
EventCode editor_key_filter();

// True when the code passes the navigation key list of editor windows (by its low byte; a low
// byte of 0 always passes).
bool is_navigation_code(EventCode code);

// While the left button alone is held on a viewer button: the up/down button scrolls with the
// pointer's motion (1); another button repeats its id after 4 ticks (*code, 1) and turns vertical
// motion into PgUp/PgDn. 0 when nothing was produced.
int editor_mouse_hold(int button_id, EventCode* code);

// What the filter remembers between calls.
struct EditorKeyFilterState {
  int last_clicked_button = -1;   // id of the viewer button held down, -1 none
  int32_t press_tick = 0;         // tick of that press (auto-repeat starts 4 ticks later)
  int hold_dy = 0;                // vertical pointer motion (pixels) not yet turned into page keys
  int help_topic = 0;             // handed to the help hook by Ctrl+F1
};
extern EditorKeyFilterState g_editor_keys;

// Test hooks
void reset_editor_key_filter();
