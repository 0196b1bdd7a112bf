// The user's lasting preferences that the pages and the job document read: the default settings
// of a new job, the start page and the page open now, the option bytes, tolerances and the
// folders of the job dialogs.
#pragma once

#include <cstdint>
#include <string>

#include "editor/button_bindings.h"
#include "editor/editor_state.h"
#include "job/job_settings.h"
#include "shell/startup.h"

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
  bool first_run = false;         // not stored: the factory defaults were just made, so the
                                  // machining defaults are still to be filled
};
inline Preferences g_preferences;

// The factory preferences of a first start (or of a preferences file that cannot be read): the
// units and tolerances of the file set in use (metric when the catalogue is the metric one), the
// Drawing page, the option bytes, the default job and the button tables; marks the first run.
// Stand-in: sets only the fields the stand-in records hold.
// No file filters, NC-line options, folders or load list yet.
inline void first_run_defaults() {
  const bool metric = metric_file_set();
  g_preferences = Preferences{};
  g_preferences.first_run = true;
  g_preferences.current_page = PAGE_DRAWING;
  JobSettings& job = g_job_settings;
  job.units = metric ? JOB_UNITS_MILLIMETRE : JOB_UNITS_INCH;
  job.tolerance = metric ? 0.05f : 0.002f;
  job.short_move_feed = metric ? 600 : 60;
  job.grid_step = metric ? 0.01f : 0.001f;
  g_preferences.step = metric ? 1.0f : 0.05f;
  g_preferences.nudge = metric ? 1.0f : 0.05f;
  g_preferences.gap_tolerance = metric ? 0.005f : 0.0002f;
  job.grid_shown = 1;
  g_editor_start.grid_indicator = job.grid_shown;
  job.show_node_markers = 1;
  job.surface_code = JOB_SURFACE_FLAT;
  job.surface_flag = 1;
  job.new_items_machined = 1;
  job.new_item_cut_type = 1;
  job.text_cut_type = 1;
  job.point_cut_type = 1;
  job.climb_milling = 1;
  job.output_options = 12;
  g_preferences.default_job = job;
  g_button_bindings = ButtonBindings{};
}
