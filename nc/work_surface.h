// Curved work surfaces: the drawing is always flat; during an NC run it is mapped onto the job's
// work surface after the tool path is encoded. The post processor's pre-pass maps every point of
// the path code on surfaces 2 to 10 (X and Y may move, Z gets the surface offset), the curved walk
// raises retracts so that the following rapid clears the surface, and the rotary and lathe
// surfaces (11 to 19) keep X and Y and get an angle word and Z corrections.
//
// The surface parameters are fields of JobSettings: R surface_radius, (Cx, Cy) surface_length_1
// and _2, Zt surface_length_3, r surface_length_4, alpha surface_angle, beta slope_angle. Depths are
// measured down from the surface's top; an offset is added to a Z (positive up).
#pragma once

#include <cmath>
#include <string>

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
// The curved surfaces whose points the pre-pass maps (2 to 10).
bool job_surface_is_curved();
// The surfaces whose wrapped axis becomes a rotary angle word (11 to 14 and 18).
bool job_surface_is_rotary();

struct SurfaceConstants {
  double sin_beta = 0.0;   // direction of the slope, normalised
  double cos_beta = 1.0;
  double tan_alpha = 0.0;  // slope, tilt or cone half-angle
  double sin_alpha = 0.0;
  double cos_alpha = 1.0;
  float plane_z0 = 0.0f;   // the sloping plane's height at the drawing origin
};
inline SurfaceConstants g_surface_constants;

// What the mapping of the last run met that the user is told after it.
struct SurfaceRunState {
  bool tube_point_pulled = false;  // a tube-of-torus point at or beyond the ring radius was
                                   // pulled in (catalogue message 15201 after the run)
  std::string failure;             // why a point could not be mapped; empty when all were
};
inline SurfaceRunState g_surface_run;

// The slope and tilt constants from the job's angles.
void surface_constants();
// Why the job's surface settings can not be mapped (a setting that would divide by zero), or
// empty when they can. Named by the setting, so the user knows what to change.
std::string surface_settings_problem();

// ---- Mapping ---------------------------------------------------------------------------------
// The depth of a projected surface below its top at (x, y) (sphere, cylinder, oval, torus side).
double surface_depth_at(double x, double y);
// Maps one point in place and stores in *offset the Z offset to add to its Z. False (with
// g_surface_run.failure set) when the point can not be mapped, such as a point on a cone's apex.
bool map_surface_point(double* x, double* y, double reference_z, double* offset);
// The horizontal cone on the 4th axis: the local radius rho at the point; *offset = rho - R.
// Returns the angle w / rho in radians; false in *ok when rho is 0 (the apex).
double cone_angle_at(double x, double y, double* offset, bool* ok);
// Rotates a point about the origin in place.
void rotate_point(double* x, double* y, double angle);

// ---- The ellipse (semi-axes a and b, parametrised as (b sin t, a cos t)) -------------------------
// Arc length from t = 0 by Simpson's rule on 10 intervals.
double ellipse_arc_length(double a, double b, double t);
// A start value for the inverse of the arc length.
double ellipse_angle_guess(double a, double b, double s);
// Newton's method from t0 for the angle whose arc length is |s|; negated when s < 0.
double ellipse_angle_for_length(double a, double b, double s, double t0);

// ---- Highest surface points under a straight move (for raised retracts) --------------------------
double torus_ring_height(double cx, double cy, double zt, double r, double ring, double x1,
                         double y1, double x2, double y2);
double cylinder_surface_height(double cy, double zt, double radius, int choice, double x1,
                               double y1, double x2, double y2);
double cone_surface_height(double cy, double zt, double radius, int choice, double alpha,
                           double x1, double y1, double z1, double x2, double y2, double z2);
double cone_segment_height(double cx, double cy, double zt, double alpha, double x1, double y1,
                           double z1, double x2, double y2, double z2);
// The height a retract to zr must reach so that the rapid from (x1, y1) (where the tool stands
// at zc) to the next move's point (x2, y2, z2) clears the surface.
double raised_retract_height(double zr, double zc, double x1, double y1, double x2, double y2,
                             double z2, double clearance);

// ---- Rotary and lathe surfaces -------------------------------------------------------------------
// The Z correction of a Z word at (x, y) on the sphere on the 4th axis, the horizontal cone on the
// 4th axis and the front of a ball on a lathe; 0 on every other surface.
double rotary_z_correction(double x, double y);

// ---- Test hooks ---------------------------------------------------------------------------------
void reset_work_surface();
