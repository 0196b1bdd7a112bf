// The Drawing page as the page loop runs it: its page handler and the start-up and shutdown work
// the page loop and start-up ask of the drawing editor.
#pragma once

#include "screen/event_queue.h"

// The page handler: shows the drawing and its furniture, follows the pointer with hover feedback,
// takes the view keys, the display toggles and the job keys (Ctrl+O, Ctrl+S), and leaves (27)
// on a tab click or a quit.
EventCode editor_page_entry();
// Deletes every text item with an empty text from the drawing list.
void purge_empty_texts();
// The hover feedback of the page: what lies under the cursor is looked for again and the
// pointer, the button bindings and the legend follow it.
void page_hover_refresh();

// Stand-in: keeps no undo store yet, so there is nothing to free.
inline void undo_clear() {}
