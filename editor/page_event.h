// The Drawing page's top-level event reader: the cursor tracking over the drawing, the CTRL and
// ALT key menus shown while the modifier is held, and the Ctrl-key display toggles.
#pragma once

#include "screen/event_queue.h"

// The redraw request the display toggles return.
constexpr EventCode EVENT_REDRAW_REQUEST = 462;

EventCode drawing_page_event();
// Shows a key menu while Ctrl or Alt is held; returns the event that ended it.
EventCode show_key_menu(const char* text, const char* keys);
