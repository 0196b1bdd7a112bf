// The host the job files reach the user through: the failures of a load and the notice of a
// finished save. Start-up connects it to the screen's text boxes; unconnected, the boxes go to
// the log of unconnected hosts.
#pragma once

#include <cstdint>

#include "store/store_host.h"

struct JobHost {
  ShowTextBoxFn show_text_box = nullptr;
};
extern JobHost g_job_host;

// The job files' text box: the host's, or the log when none is connected.
int16_t job_show_text_box(const char* text, uint32_t flags);

// ---- Test hooks --------------------------------------------------------------------------------
void reset_job_host();
