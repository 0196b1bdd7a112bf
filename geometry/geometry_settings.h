// The job's settings the drawing model works with, filled when a job is loaded or its settings
// change; geometry reads these, never the job's own settings.
#pragma once

#include <cstdint>

#include "records/job_settings.h"

struct GeometrySettings {
  float tolerance = 0.002f;              // job units: curves are sampled within it
  uint8_t units = JOB_UNITS_INCH;        // JOB_UNITS_*
  float material_box[4] = {};            // origin x, origin y, width, height (job units)
  // Non-zero: spline runs are drawn (and picked) as curves sampled with the tolerance.
  uint8_t spline_curve_view = 1;
};
inline GeometrySettings g_geometry_settings;
inline void reset_geometry_settings() { g_geometry_settings = GeometrySettings{}; }

// Takes the tolerance, units and material box of the job; the view flag stays as it is.
void geometry_settings_from_job(const JobSettings& job);
