// The NC program page: what the text windows need of it.
#pragma once

#include <cstdint>

#include "pages/proof_view.h"
#include "pages/protocol_list.h"
#include "records/job_settings.h"
#include "screen/boxes.h"
#include "screen/event_queue.h"
#include "ui/editor_key_map.h"
#include "ui/placeholder_page.h"
#include "ui/popups.h"

struct NcPage {
  uint8_t last_nc_output_kind = 0;  // output kind of the last NC run; 1 = engraver commands
};
inline NcPage g_nc_page;

// The first buffer's key filter.
// Stand-in: the editor's keys on the NC page's frame; no NC page commands yet.
inline EventCode nc_page_key() { return editor_page_key(PAGE_NC_PROGRAM); }

// The NC program page's key filter on the first editing buffer: names the NC document after the
// job and runs the page.
// Stand-in: the page frame and tabs over the first buffer, edited with the editor's keys; leaves on a tab click or a quit.
inline EventCode nc_page_hook() { return editor_page_key(PAGE_NC_PROGRAM); }

// Creates the text editor's windows and loads its texts and the serial protocol names; 0, or a
// failure that it has shown.
// Stand-in: loads the serial protocols only; creates no editor windows and loads no texts.
inline int init_editor_windows() {
  load_protocols();
  return 0;
}

// The repaint while a long serial transfer runs: the page, the pop-ups and a "Cancel" button.
// Stand-in: draws the pop-ups only; the page has no furniture of its own to draw yet.
inline void nc_send_repaint() { redraw_popups(1); }
