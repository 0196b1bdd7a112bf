// The Job setup page (page 0): it runs itself, not through a window's run loop, and returns when
// the page byte has changed.
#pragma once

#include "pages/post_processor_page.h"
#include "records/preferences.h"
#include "screen/boxes.h"
#include "ui/placeholder_page.h"

// Enter opens the NC formats at the job's format.
inline EventCode job_setup_key(EventCode code) {
  if (code != KEY_ENTER) return code;
  post_processor_page();
  g_page_requests.redraw = 1;
  return 0;
}

// Stand-in: shows the page frame and the page tabs until a tab click or a quit; no job setup yet.
inline void job_setup_page() {
  while (g_preferences.current_page == PAGE_JOB_SETUP)
    run_placeholder_page(PAGE_JOB_SETUP, job_setup_key);
}
