// Curved work surfaces: the constants the make-NC driver works out before encoding, and what
// the encoder and the walkers read of them.
#pragma once

#include <cmath>

#include "records/job_settings.h"

// Surface codes (JobSettings::surface_code; surface_flag holds the bit 1 << (code - 1)).
constexpr int SURFACE_FLAT = 1;
constexpr int SURFACE_SLOPING = 2;
constexpr int SURFACE_SPHERE = 3;
constexpr int SURFACE_CYLINDER = 4;
constexpr int SURFACE_HORIZONTAL_CONE = 5;
constexpr int SURFACE_VERTICAL_CONE = 6;
constexpr int SURFACE_OVAL = 7;
constexpr int SURFACE_TORUS_SIDE = 8;
constexpr int SURFACE_TORUS_TUBE = 9;
constexpr int SURFACE_TORUS_TOP = 10;
constexpr int SURFACE_CYLINDER_4TH_AXIS = 11;
constexpr int SURFACE_CONE_4TH_AXIS = 12;
constexpr int SURFACE_SPHERE_4TH_AXIS = 13;
constexpr int SURFACE_TORUS_4TH_AXIS = 14;
constexpr int SURFACE_LATHE_FACE = 15;
constexpr int SURFACE_LATHE_SIDE = 16;
constexpr int SURFACE_LATHE_BALL_FRONT = 17;
constexpr int SURFACE_DIE_CUT_BLADES = 18;
constexpr int SURFACE_LATHE_BALL_SIDE = 19;

// True when the job's surface flag word holds the bit of the surface code.
inline bool job_surface_is(int code) {
  return code >= 1 && code <= 31 && ((g_job_settings.surface_flag >> (code - 1)) & 1) != 0;
}

struct SurfaceConstants {
  double sin_beta = 0.0;   // direction of the slope, normalised
  double cos_beta = 1.0;
  double tan_alpha = 0.0;  // slope or tilt
  double sin_alpha = 0.0;
  double cos_alpha = 1.0;
  float plane_z0 = 0.0f;   // the sloping plane's height at the drawing origin
};
inline SurfaceConstants g_surface_constants;

// Stand-in: only the constants of the sloping plane and the tilt; no point mapping or retract heights yet.
inline void surface_constants() {
  const JobSettings& job = g_job_settings;
  SurfaceConstants& k = g_surface_constants;
  const double s = std::sin(job.slope_angle);
  const double c = std::cos(job.slope_angle);
  const double h = std::hypot(s, c);
  k.sin_beta = s / h;
  k.cos_beta = c / h;
  k.tan_alpha = std::tan(job.surface_angle);
  k.sin_alpha = std::sin(job.surface_angle);
  k.cos_alpha = std::cos(job.surface_angle);
  k.plane_z0 = static_cast<float>(
      job.surface_length_3 -
      (k.sin_beta * job.surface_length_1 - k.cos_beta * job.surface_length_2) * k.tan_alpha);
}
