// The user's lasting preferences that the pages and the job document read: the default settings
// of a new job, the start page and the page open now, the option bytes, tolerances and the
// folders of the job dialogs.
#pragma once

#include <cstdint>
#include <string>

#include "records/import_options.h"
#include "records/job_settings.h"

// Stand-in: named fields only, with their factory values; no stored layout yet.
struct Preferences {
  uint8_t option_bytes[9] = {1, 1, 1, 1, 1, 1, 1, 1, 1};  // +0 redraw and page options; 0-2
                                  // are set to 1 at every start
  float step = 0.05f;             // +16 a length of the G-code output and the preferences form,
                                  // job units; raised at start when implausibly small
  float nudge = 0.05f;            // +32 nudge distance of the drawing editor, job units
  uint8_t start_page_choice = 0;  // +53 0 the page open at the last exit, 2-6 a fixed page
  uint8_t current_page = 2;       // +54 the page byte: 0-5, | 0x10 once the user quits
  float gap_tolerance = 0.0002f;  // +56 gap tolerance for joining ends, job units
  std::string job_dialog_folder;  // +526 folder of the job dialogs, ends with '/'; may be empty
  std::string job_folder;         // +786 the job folder; used before +526 when not empty
  JobSettings default_job;        // +1568 copied into the job for a new job
  uint8_t autosave_minutes = 0;   // minutes between autosaves; 0 = off
  ImportOptions import_options;   // the drawing import's form values, kept between runs
  bool first_run = false;         // not stored: the factory defaults were just made, so the
                                  // machining defaults are still to be filled
};
inline Preferences g_preferences;
