// The NC program page: what the text windows need of it.
#pragma once

#include <cstdint>
#include <string>

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
  TextLine* document = nullptr;     // window node of the NC document, null before the first run
};
inline NcPage g_nc_page;

// The NC program page's key filter of NC documents: the editor's keys on the page's frame; while
// the document is changed, page 3 must make its proof again.
EventCode nc_page_key();

// Run by the page loop after an NC run, as the first buffer's key filter: the program the run
// left in list slot 6 replaces the lines of the NC document (the first buffer), which is titled
// after the job with the post processor's extension, or "(no name yet)" for a job without a file;
// then the page goes on as nc_page_key.
EventCode nc_page_hook();

// The title of the NC document for a job file (empty: the job has no file yet).
std::string nc_document_title(const std::string& job_path, const char* extension);

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
