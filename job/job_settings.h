// The job-wide settings record: every subsystem reads it and every job file begins with it.
#pragma once

#include <cstdint>

// Stand-in: only the fields the drawing model reads and sets, with their first-run values; no file layout, reader or dialog yet.
struct JobSettings {
  float material_origin_x = 0.0f;   // material box origin x, drawing units
  float material_origin_y = 0.0f;   // material box origin y, drawing units
  float material_width = 0.0f;      // material box width, drawing units
  float material_height = 0.0f;     // material box height, drawing units
  float tolerance = 0.002f;         // curve sampling tolerance, drawing units (0.002 inch)
  uint8_t new_item_cut_type = 1;    // default cut type of new drawn items
  uint8_t new_text_cut_type = 1;    // default cut type of new text items
  uint8_t change_counter = 0;       // cleared by the page loop after the NC program page
  uint8_t nc_run_state = 0;         // NC-run state byte
  uint8_t job_changed = 0;          // bit 0: drawing changed, tool path stale
};
inline JobSettings g_job_settings;
