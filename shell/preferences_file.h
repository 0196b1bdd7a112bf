// The preferences file: every lasting user setting in one binary file in the data folder, read
// once at start-up and written at exit.
#pragma once

#include "editor/button_bindings.h"
#include "editor/editor_state.h"
#include "records/preferences.h"
#include "screen/interface_settings.h"
#include "shell/startup.h"

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

// Reads (1) or writes (0) the preferences file; a file that cannot be read gives the factory
// defaults.
// Stand-in: no file is read or written yet; reading always gives the factory defaults.
inline void read_write_preferences(int read) {
  if (read == 0) return;
  g_interface = InterfaceSettings{};
  first_run_defaults();
}
