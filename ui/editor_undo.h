// The editor's undo history. Windows with the editor flag (WINDOW_TEXT_LIST) keep, per window, a
// copy of their text as it stood after the last step; after every code the run loop acts on, the
// text is compared with that copy and what changed (the first changed line's position, the lines
// removed and the lines put in) becomes one step, with the caret and block before and after it.
// Undo and redo put those lines back exactly, so no byte is lost or doubled whatever the edit
// was. Lines are named by their position among all the window's lines, hidden ones included, so
// a step lands where it was recorded. At most UNDO_STEPS_KEPT steps are kept; a step that
// cannot be stored (memory) empties the history rather than keep one with a hole.
#pragma once

#include <cstdint>
#include <string>

#include "screen/event_queue.h"

struct TextLine;
struct TextWindow;

constexpr int UNDO_STEPS_KEPT = 63;

// Around each code the run loop acts on (not the replays of undo and redo themselves).
// The code is what the step is acted on for; the undo list names the step by it.
void begin_editor_step(EventCode code);
void end_editor_step();
// A copy to the text clipboard is about to replace its lines: the step keeps the old ones, so
// that undoing the copy gives them back.
void note_clipboard_change();

// Undoes or redoes one step of the active window; the code for the run loop to act on (a redraw),
// 0 when there is nothing to undo or redo.
EventCode editor_undo();
EventCode editor_redo();
// What the undo list calls the next step to redo (next_redo) or to undo ("Type \vx", "Add a
// CR", "Delete/copy block"; each ends with a newline); "" when there is none.
std::string undo_step_text(bool next_redo);
// The undo list of the active window: a two-line pop-up in the middle of the window, the next
// step to redo above the next step to undo. Up or PgUp gives 'r', Down or PgDn 'u', Esc 0 (the
// screen under the list is repainted). 0 at once when the window keeps no history.
int show_undo_list();

// Steps that can be undone and redone in the active window.
int undo_steps_available();
int redo_steps_available();

// Unread text of a file loaded in part came back at the placeholder (before it, after it, or
// in its place): the history's copy of the text takes the lines, which are no edit.
void note_unread_text_read(TextLine* placeholder, TextLine* first, TextLine* last);

// Forgets the window's history (its text was replaced), and frees it with the window.
void forget_editor_undo(TextWindow* window);
void free_undo_ring(TextWindow* window);
