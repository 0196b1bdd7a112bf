// The page handler every page runs until its own lands: it shows the page's frame with its name,
// the caption text and the page tabs, follows the pointer, and leaves (27) on a click on another
// page's tab, which becomes the page byte, or on a quit, which sets the quit bit of the page byte.
#pragma once

#include <cstdint>
#include <vector>

#include "screen/controls.h"
#include "screen/event_queue.h"

struct TextLine;

// What the page loop asks of the page it runs next.
struct PageRequests {
  // The Drawing and Utilities page handlers test this at their next event: when it is set they
  // clear it and draw their whole page again. The page loop counts it up before the Utilities
  // page.
  uint8_t redraw = 0;
};
inline PageRequests g_page_requests;

// Alt+F, which opens a page's File menu.
constexpr EventCode KEY_ALT_F = 289;
constexpr int PLACEHOLDER_PAGES = 6;

// The controls every page stand-in shows (the four title-bar buttons that end every page table),
// and the menus start-up built for the pages: Esc opens the page's main menu, Alt+F its File
// menu (null: the page has none). What is chosen goes to the File-menu dispatcher.
struct PlaceholderPage {
  std::vector<ScreenControl> controls;
  TextLine* main_menus[PLACEHOLDER_PAGES] = {};
  TextLine* file_menus[PLACEHOLDER_PAGES] = {};
};
inline PlaceholderPage g_placeholder_page;

// What a page stand-in does with an event before the placeholder does: 0 when it took it.
using PageEventFilter = EventCode (*)(EventCode code);

// Stand-in: a frame with the page's name, the tabs, the title-bar buttons and the page's main and File menus.
EventCode run_placeholder_page(int page, PageEventFilter filter = nullptr);

// The pieces of the placeholder a page that runs a window itself uses: the frame, name, caption
// and tabs; a pending quit (the job's and the changed buffers' save questions first: 27 and the
// quit bit, else 0 when the user stays); and one event (pointer moves are
// followed and give 0, a click on another page's tab leaves with 27, Esc and Alt+F run the
// page's menus and give 0, or 5001 when the page is to be drawn again; other codes come back).
void draw_placeholder_page(int page);
EventCode placeholder_page_quit();
EventCode placeholder_page_event(int page, EventCode code);
