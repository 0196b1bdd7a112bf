#include "nc/work_surface.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "nc/path_code.h"

namespace {

constexpr double PI = 3.14159265358979323846;
constexpr double DEGREES_PER_RADIAN = 57.29578;
// Below this the tube-of-torus point's distance from the ring's far side is raised to it.
constexpr double TUBE_MIN_DISTANCE = 0.00001;
// Settings and points closer than this to a division by zero are refused.
constexpr double DEGENERATE = 1.0e-9;
// A horizontal cone whose |1 - tan^2 alpha| is below this is taken as one at 45 degrees.
constexpr double NEAR_45_DEGREES = 1.0e-6;
// A cone's local radius below this share of its base radius is its apex.
constexpr double NEAR_APEX = 1.0e-6;
constexpr double NEWTON_DONE = 0.00001;
constexpr int NEWTON_MAX_STEPS = 100;
// No constraint from a cylinder the move passes beside.
constexpr double NO_HEIGHT = -1.0e10;
// Retracts over the top of a convex oval or the outer top of a vertical torus go this far above it.
constexpr double OVAL_LIFT_INCH = 0.4;
constexpr double OVAL_LIFT_MM = 5.0;
// Along a move the surface height is looked at this many times where it is not known in closed form.
constexpr int HEIGHT_SAMPLES = 64;

bool side_one() { return g_job_settings.surface_side == 1; }
double side_sign() { return side_one() ? -1.0 : 1.0; }

std::string point_text(double x, double y) {
  char text[64];
  std::snprintf(text, sizeof text, "(%.4g, %.4g)", x, y);
  return text;
}

bool refuse_point(double x, double y, const char* why) {
  g_surface_run.failure = "The point " + point_text(x, y) + " " + why;
  return false;
}

double sphere_depth(double d, double radius) {
  return d < radius ? radius - std::sqrt(radius * radius - d * d) : radius;
}

// Sloping, flat surface.
double map_sloping(double* x, double* y) {
  const SurfaceConstants& k = g_surface_constants;
  const JobSettings& job = g_job_settings;
  if (job.surface_yes_no == 1) {
    const int degrees = static_cast<int>(job.slope_angle * DEGREES_PER_RADIAN + 0.5);
    if (degrees == 0 || degrees == 90 || degrees == 180 || degrees == 270) {
      const double offset = (k.sin_beta * *x - k.cos_beta * *y) * k.sin_alpha;
      if (degrees == 0 || degrees == 180) *y *= k.cos_alpha;
      else *x *= k.cos_alpha;
      return offset;
    }
  }
  return (k.sin_beta * *x - k.cos_beta * *y) * k.tan_alpha;
}

double map_sphere(double* x, double* y) {
  const JobSettings& job = g_job_settings;
  const double cx = job.surface_length_1, cy = job.surface_length_2, radius = job.surface_radius;
  if (job.surface_yes_no != 1) return side_sign() * surface_depth_at(*x, *y);
  const double vx = *x - cx, vy = *y - cy, d = std::hypot(vx, vy);
  double depth = 0.0;
  if (d > 0.000001) {
    const double phi = std::min(d / radius, PI / 2.0);
    *x = cx + vx * radius * std::sin(phi) / d;
    *y = cy + vy * radius * std::sin(phi) / d;
    depth = radius - radius * std::cos(phi);
  } else {
    *x = cx;
    *y = cy;
  }
  return side_sign() * depth;
}

double map_cylinder(double* x, double* y) {
  const JobSettings& job = g_job_settings;
  if (job.surface_yes_no != 1) return surface_depth_at(*x, *y);
  const SurfaceConstants& k = g_surface_constants;
  const double radius = job.surface_radius, axis = job.surface_length_2;
  // Choice 0: the axis runs along X and Y goes round it; choice 1 the other way.
  double* across = job.surface_choice == 0 ? y : x;
  double* along = job.surface_choice == 0 ? x : y;
  const double phi = std::clamp((*across - axis) / radius, -PI / 2.0, PI / 2.0);
  *across = radius * std::sin(phi) + axis;
  const double depth = side_sign() * (radius - radius * std::cos(phi));
  const double offset = depth * k.cos_alpha + *along * k.sin_alpha;
  *along = *along * k.cos_alpha - depth * k.sin_alpha;
  return offset;
}

bool map_horizontal_cone(double* x, double* y, double* offset) {
  const JobSettings& job = g_job_settings;
  const SurfaceConstants& k = g_surface_constants;
  const double radius = job.surface_radius, alpha = job.surface_angle;
  const double ox = *x, oy = *y;
  if (job.surface_choice == 1) rotate_point(x, y, -PI / 2.0);
  const double x1 = *x - radius / k.sin_alpha;
  const double spread = std::fabs(1.0 - k.tan_alpha * k.tan_alpha);
  const double a = std::fabs(x1) * k.tan_alpha / spread;
  const double b = std::fabs(x1) * k.tan_alpha / std::sqrt(spread);
  // At the apex the cross-section shrinks to nothing: a point there, or one farther round
  // than the section reaches, has no place on the cone.
  if (std::fabs(x1 * k.tan_alpha) < DEGENERATE ||
      std::fabs(*y) > ellipse_arc_length(a, b, PI))
    return refuse_point(ox, oy, "lies on the apex of the horizontal cone, where the drawing can "
                                "not be laid onto it. Move the drawing or change the cone's radius.");
  const double t = ellipse_angle_for_length(a, b, *y, ellipse_angle_guess(a, b, *y));
  *y = alpha < 0.0 ? b * std::sin(-t) : b * std::sin(t);
  const double c = a * std::cos(t) - a;
  const double turn = alpha < 0.0 ? alpha : -alpha;
  const double ct = std::cos(turn), st = std::sin(turn);
  const double z = x1 * st + c * ct;
  *x = x1 * ct - c * st + radius / k.tan_alpha;
  if (job.surface_choice == 1) rotate_point(x, y, PI / 2.0);
  const double zt = job.surface_length_3;
  if (alpha >= 0.0) *offset = side_one() ? zt + (z - radius) : zt + (radius - z);
  else *offset = side_one() ? zt - (z + radius) : zt + (radius + z);
  return true;
}

double map_vertical_cone(double* x, double* y) {
  const JobSettings& job = g_job_settings;
  const SurfaceConstants& k = g_surface_constants;
  const double cx = job.surface_length_1, cy = job.surface_length_2;
  const double vx = *x - cx, vy = *y - cy, d = std::hypot(vx, vy);
  if (job.surface_yes_no != 1) return side_sign() * d / k.tan_alpha;
  *x = cx + vx * k.sin_alpha;
  *y = cy + vy * k.sin_alpha;
  return side_sign() * d * k.cos_alpha;
}

// The oval's surface height z at the point; a cut lies at its own depth below (side 1) or above
// (side 0, the hollow) that surface.
bool map_oval(double* x, double* y, double* offset) {
  const JobSettings& job = g_job_settings;
  const double radius = job.surface_radius, r = job.surface_length_4;
  const double cx = job.surface_length_1, cy = job.surface_length_2, zt = job.surface_length_3;
  const double vx = *x - cx, vy = *y - cy;
  const double t = ellipse_angle_for_length(r, radius, vx, ellipse_angle_guess(r, radius, vx));
  const double rho = r * std::cos(t);
  if (std::fabs(rho) < DEGENERATE)
    return refuse_point(*x, *y, "lies beyond the end of the oval, where the drawing can not be "
                                "laid onto it. Move the drawing or make the oval larger.");
  *x = cx + radius * std::sin(t);
  *y = cy + rho * std::sin(vy / rho);
  const double z = zt - r + rho * std::cos(vy / rho);
  *offset = side_one() ? z : -z;
  return true;
}

double map_torus_tube(double* x, double* y) {
  const JobSettings& job = g_job_settings;
  const double ring = job.surface_radius, r = job.surface_length_4;
  const double theta = *x / ring;
  double h = ring - *y;
  if (h < TUBE_MIN_DISTANCE) {
    h = TUBE_MIN_DISTANCE;
    g_surface_run.tube_point_pulled = true;
  }
  const double q = h;
  const double delta = job.surface_choice == 0 ? q - ring : ring - q;
  const double k = (ring - r * std::sin(delta / r)) / q;
  *x = h * std::sin(theta) * k + job.surface_length_1;
  const double ny = h * std::cos(theta) * k;
  *y = (job.surface_choice == 1 ? -ny : ny) + job.surface_length_2;
  const double offset = r * std::cos((ring - q) / r) - r;
  return side_one() ? offset : -offset;
}

double map_torus_top(double* x, double* y) {
  const JobSettings& job = g_job_settings;
  const double ring = job.surface_radius, r = job.surface_length_4;
  const bool outer = job.surface_choice == 0;
  const double rho = outer ? r + ring : ring - r;
  const double theta = outer ? *x / rho : -*x / rho;
  const double phi = *y / r;
  const double s = outer ? ring + r * std::cos(phi) : r * std::cos(phi) - ring;
  const double w = rho * std::cos(theta) * s / rho;
  *x = rho * std::sin(theta) * s / rho + job.surface_length_1;
  *y = r * std::sin(phi) + job.surface_length_2;
  const double offset = outer ? w - rho : w + rho;
  return side_one() ? offset : -offset;
}

// The highest projected surface point along a straight move, looked at in even steps.
double sampled_surface_height(double x1, double y1, double x2, double y2) {
  double highest = NO_HEIGHT;
  for (int k = 0; k <= HEIGHT_SAMPLES; ++k) {
    const double f = static_cast<double>(k) / HEIGHT_SAMPLES;
    const double depth = surface_depth_at(x1 + (x2 - x1) * f, y1 + (y2 - y1) * f);
    highest = std::max(highest, side_one() ? -depth : depth);
  }
  return highest;
}

// The sphere's highest point under a move: where the move comes nearest to its centre.
double sphere_segment_height(double x1, double y1, double x2, double y2) {
  const JobSettings& job = g_job_settings;
  const double cx = job.surface_length_1, cy = job.surface_length_2;
  const double dx = x2 - x1, dy = y2 - y1, length2 = dx * dx + dy * dy;
  double f = length2 > 0.0 ? ((cx - x1) * dx + (cy - y1) * dy) / length2 : 0.0;
  f = std::clamp(f, 0.0, 1.0);
  const double d = std::hypot(x1 + f * dx - cx, y1 + f * dy - cy);
  return -sphere_depth(d, job.surface_radius);
}

}  // namespace

bool job_surface_is_curved() {
  for (int code = SURFACE_SLOPING; code <= SURFACE_TORUS_TOP; ++code)
    if (job_surface_is(code)) return true;
  return false;
}

bool job_surface_is_rotary() {
  return job_surface_is(SURFACE_CYLINDER_4TH_AXIS) || job_surface_is(SURFACE_CONE_4TH_AXIS) ||
         job_surface_is(SURFACE_SPHERE_4TH_AXIS) || job_surface_is(SURFACE_TORUS_4TH_AXIS) ||
         job_surface_is(SURFACE_DIE_CUT_BLADES);
}

void surface_constants() {
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

std::string surface_settings_problem() {
  const JobSettings& job = g_job_settings;
  const double alpha = job.surface_angle;
  const double degrees = alpha * DEGREES_PER_RADIAN;
  char text[320];
  const bool cone = job_surface_is(SURFACE_HORIZONTAL_CONE) ||
                    job_surface_is(SURFACE_VERTICAL_CONE) || job_surface_is(SURFACE_CONE_4TH_AXIS);
  if (cone && (std::fabs(std::sin(alpha)) < DEGENERATE || std::fabs(std::cos(alpha)) < DEGENERATE)) {
    std::snprintf(text, sizeof text,
                  "The cone's half-angle (%.4g degrees) makes no cone: give the work surface a "
                  "half-angle between 0 and 90 degrees on the Job setup page.",
                  degrees);
    return text;
  }
  if (job_surface_is(SURFACE_HORIZONTAL_CONE)) {
    const double t = std::tan(alpha);
    if (std::fabs(1.0 - t * t) < NEAR_45_DEGREES) {
      std::snprintf(text, sizeof text,
                    "A horizontal cone with a half-angle of %.4g degrees can not be mapped (its "
                    "cross-sections have no ends): change the half-angle on the Job setup page.",
                    degrees);
      return text;
    }
  }
  if (job_surface_is(SURFACE_TORUS_TOP) && job.surface_choice == 1 &&
      std::fabs(job.surface_radius - job.surface_length_4) < DEGENERATE)
    return "The torus's ring radius equals its tube radius, so its inner top is a single point: "
           "change one of the radii on the Job setup page.";
  if ((job_surface_is(SURFACE_OVAL) || job_surface_is(SURFACE_TORUS_SIDE) ||
       job_surface_is(SURFACE_TORUS_TUBE) || job_surface_is(SURFACE_TORUS_TOP)) &&
      !(std::fabs(job.surface_length_4) > DEGENERATE))
    return "The work surface's second radius is 0: enter it on the Job setup page.";
  if (job_surface_is_curved() && !job_surface_is(SURFACE_SLOPING) &&
      !(std::fabs(job.surface_radius) > DEGENERATE))
    return "The work surface's radius is 0: enter it on the Job setup page.";
  return std::string();
}

double surface_depth_at(double x, double y) {
  const JobSettings& job = g_job_settings;
  const double radius = job.surface_radius;
  const double d = std::hypot(x - job.surface_length_1, y - job.surface_length_2);
  if (job_surface_is(SURFACE_SPHERE)) return sphere_depth(d, radius);
  if (job_surface_is(SURFACE_CYLINDER)) {
    const double t = (job.surface_choice == 0 ? y : x) - job.surface_length_2;
    double depth;
    if (job.surface_yes_no != 1) depth = sphere_depth(std::fabs(t), radius);
    else depth = std::fabs(t) < radius * PI / 2.0 ? radius - radius * std::cos(t / radius) : radius;
    return side_one() ? -depth : depth;
  }
  if (job_surface_is(SURFACE_OVAL)) {
    const double q = std::min(radius, static_cast<double>(job.surface_length_4));
    return sphere_depth(d, q);
  }
  if (job_surface_is(SURFACE_TORUS_SIDE)) {
    const double r = job.surface_length_4;
    const double depth = sphere_depth(std::fabs(d - radius), r);
    return side_one() ? -depth : depth;
  }
  return 0.0;
}

bool map_surface_point(double* x, double* y, double reference_z, double* offset) {
  (void)reference_z;  // the oval's cut keeps its own depth below the surface
  *offset = 0.0;
  if (job_surface_is(SURFACE_SLOPING)) *offset = map_sloping(x, y);
  else if (job_surface_is(SURFACE_SPHERE)) *offset = map_sphere(x, y);
  else if (job_surface_is(SURFACE_CYLINDER)) *offset = map_cylinder(x, y);
  else if (job_surface_is(SURFACE_HORIZONTAL_CONE)) return map_horizontal_cone(x, y, offset);
  else if (job_surface_is(SURFACE_VERTICAL_CONE)) *offset = map_vertical_cone(x, y);
  else if (job_surface_is(SURFACE_OVAL)) return map_oval(x, y, offset);
  else if (job_surface_is(SURFACE_TORUS_SIDE)) *offset = surface_depth_at(*x, *y);
  else if (job_surface_is(SURFACE_TORUS_TUBE)) *offset = map_torus_tube(x, y);
  else if (job_surface_is(SURFACE_TORUS_TOP)) *offset = map_torus_top(x, y);
  if (!std::isfinite(*offset) || !std::isfinite(*x) || !std::isfinite(*y))
    return refuse_point(*x, *y, "can not be laid onto the work surface; check the surface's "
                                "settings on the Job setup page.");
  return true;
}

double cone_angle_at(double x, double y, double* offset, bool* ok) {
  const JobSettings& job = g_job_settings;
  const double along = job.surface_side == 0 ? y : x;
  const double around = job.surface_side == 0 ? x : y;
  const double rho = std::tan(job.surface_angle) * along + job.surface_radius;
  *offset = rho - job.surface_radius;
  *ok = std::fabs(rho) > NEAR_APEX * std::max(1.0, std::fabs(static_cast<double>(job.surface_radius)));
  if (!*ok) {
    refuse_point(x, y, "lies on the apex of the cone on the 4th axis, where no angle can be "
                       "turned to. Move the drawing or change the cone's radius.");
    return 0.0;
  }
  return around / rho;
}

void rotate_point(double* x, double* y, double angle) {
  const double c = std::cos(angle), s = std::sin(angle);
  const double nx = *x * c - *y * s;
  *y = *x * s + *y * c;
  *x = nx;
}

double ellipse_arc_length(double a, double b, double t) {
  const double h = t / 10.0;
  double sum = 0.0;
  for (int i = 0; i <= 10; ++i) {
    const double theta = i * h;
    const double s = std::sin(theta), c = std::cos(theta);
    const double f = std::sqrt(a * a * s * s + b * b * c * c);
    const double weight = (i == 0 || i == 10) ? 1.0 : (i % 2 == 1 ? 4.0 : 2.0);
    sum += weight * f;
  }
  return sum * h / 3.0;
}

double ellipse_angle_guess(double a, double b, double s) {
  const double target = std::fabs(s);
  double low = 0.0, high = PI / 2.0, best = PI / 4.0;
  for (int pass = 0; pass < 2; ++pass) {
    const double width = high - low;
    const double trials[3] = {low + width / 6.0, low + width / 2.0, low + width * 5.0 / 6.0};
    double nearest = 1.0e300;
    for (double trial : trials) {
      const double miss = std::fabs(ellipse_arc_length(a, b, trial) - target);
      if (miss < nearest) {
        nearest = miss;
        best = trial;
      }
    }
    low = best - width / 6.0;
    high = best + width / 6.0;
  }
  return best;
}

double ellipse_angle_for_length(double a, double b, double s, double t0) {
  const double target = std::fabs(s);
  double t = t0;
  double previous_step = 1.0e12;
  for (int k = 0; k < NEWTON_MAX_STEPS; ++k) {
    const double sn = std::sin(t), cs = std::cos(t);
    const double slope = std::sqrt(a * a * sn * sn + b * b * cs * cs);
    if (!(slope > 0.0)) break;
    const double step = (ellipse_arc_length(a, b, t) - target) / slope;
    const double size = std::fabs(step);
    if (size >= previous_step) break;
    t -= step;
    if (size <= NEWTON_DONE) break;
    previous_step = size;
  }
  return s < 0.0 ? -t : t;
}

double torus_ring_height(double cx, double cy, double zt, double r, double ring, double x1,
                         double y1, double x2, double y2) {
  const double e1 = std::hypot(x1 - cx, y1 - cy) - ring;
  const double e2 = std::hypot(x2 - cx, y2 - cy) - ring;
  if (e1 < 0.0 && e2 < 0.0) {
    double highest = 0.0;
    for (double e : {e1, e2})
      if (-e < r) highest = std::max(highest, std::sqrt(r * r - e * e));
    return zt + highest;
  }
  return zt + r;
}

double cylinder_surface_height(double cy, double zt, double radius, int choice, double x1,
                               double y1, double x2, double y2) {
  const double t1 = (choice == 0 ? y1 : x1) - cy;
  const double t2 = (choice == 0 ? y2 : x2) - cy;
  const double m = t1 * t2 > 0.0 ? std::min(std::fabs(t1), std::fabs(t2)) : 0.0;
  return m < radius ? zt + std::sqrt(radius * radius - m * m) : zt + NO_HEIGHT;
}

double cone_surface_height(double cy, double zt, double radius, int choice, double alpha,
                           double x1, double y1, double z1, double x2, double y2, double z2) {
  const double ends = std::max(z1, z2);
  // Across the axis t, along it u (choice 0: the axis runs along X).
  double t = (choice == 0 ? y1 : x1) - cy, s = (choice == 0 ? y2 : x2) - cy;
  double u1 = choice == 0 ? x1 : y1, u2 = choice == 0 ? x2 : y2;
  if (std::hypot(s - t, u2 - u1) < 1.0e-10) {
    s += 1.0e-8;
    u2 += 1.0e-8;
  }
  if (std::fabs(s - t) < 1.0e-8) return ends;
  const double slope = (u2 - u1) / (s - t);
  const double m = u1 - slope * t;
  const double o = std::tan(alpha);
  const double spread = 1.0 - o * o * slope * slope;
  if (std::fabs(spread) <= 1.0e-8) return ends;
  // Where along the move the cone's section is highest.
  const double b = slope * o * (o * m - radius) / spread;
  if (b <= std::min(t, s) || b >= std::max(t, s)) return ends;
  const double rho = o * (m + slope * b) - radius;
  const double e = rho * rho - b * b;
  double crest = e > 0.0001 ? zt + std::sqrt(e) - radius : zt;
  // Never above the cone's own top line over the move.
  const double top = zt - radius + std::max(std::fabs(o * u1 - radius), std::fabs(o * u2 - radius));
  crest = std::min(crest, top);
  return std::max(ends, crest);
}

double cone_segment_height(double cx, double cy, double zt, double alpha, double x1, double y1,
                           double z1, double x2, double y2, double z2) {
  double highest = std::max(z1, z2);
  const double dx = x2 - x1, dy = y2 - y1, length2 = dx * dx + dy * dy;
  if (length2 > 0.0) {
    const double f = ((cx - x1) * dx + (cy - y1) * dy) / length2;
    if (f > 0.0 && f < 1.0) {
      const double d = std::hypot(x1 + f * dx - cx, y1 + f * dy - cy);
      highest = std::max(highest, zt - d / std::tan(alpha));
    }
  }
  return highest;
}

double raised_retract_height(double zr, double zc, double x1, double y1, double x2, double y2,
                             double z2, double clearance) {
  const JobSettings& job = g_job_settings;
  const double zt = job.surface_length_3, radius = job.surface_radius, r = job.surface_length_4;
  const bool side = side_one();
  if ((job_surface_is(SURFACE_OVAL) && side) ||
      (job_surface_is(SURFACE_TORUS_TOP) && job.surface_choice == 0))
    return std::max(zr, zt + (job.units == JOB_UNITS_INCH ? OVAL_LIFT_INCH : OVAL_LIFT_MM));
  if (job_surface_is(SURFACE_SLOPING) || job_surface_is(SURFACE_OVAL) ||
      job_surface_is(SURFACE_TORUS_TOP))
    return std::max({zr, zc, z2});
  const bool rounded = job_surface_is(SURFACE_SPHERE) || job_surface_is(SURFACE_CYLINDER) ||
                       job_surface_is(SURFACE_HORIZONTAL_CONE) ||
                       job_surface_is(SURFACE_VERTICAL_CONE) || job_surface_is(SURFACE_TORUS_SIDE) ||
                       job_surface_is(SURFACE_TORUS_TUBE);
  if (!rounded) return zr;
  if (!side) {
    // A hollow: the rapid goes no lower than where the tool stands or where it goes next, and
    // over a torus's middle no lower than the surface there.
    double height = std::max({zr, zc, z2});
    if (job_surface_is(SURFACE_TORUS_SIDE))
      height = std::max(height, sampled_surface_height(x1, y1, x2, y2) + clearance);
    return height;
  }
  double surface;
  if (job_surface_is(SURFACE_TORUS_SIDE) || job_surface_is(SURFACE_TORUS_TUBE))
    surface = torus_ring_height(job.surface_length_1, job.surface_length_2, zt, r, radius, x1, y1,
                                x2, y2) - r;
  else if (job_surface_is(SURFACE_CYLINDER))
    surface = cylinder_surface_height(job.surface_length_2, zt, radius, job.surface_choice, x1, y1,
                                      x2, y2) - radius;
  else if (job_surface_is(SURFACE_HORIZONTAL_CONE))
    surface = cone_surface_height(job.surface_length_2, zt, radius, job.surface_choice,
                                  job.surface_angle, x1, y1, zr, x2, y2, z2);
  else if (job_surface_is(SURFACE_VERTICAL_CONE))
    surface = cone_segment_height(job.surface_length_1, job.surface_length_2, zt, job.surface_angle,
                                  x1, y1, zr, x2, y2, z2);
  else
    surface = sphere_segment_height(x1, y1, x2, y2);
  return std::max(zr, surface + clearance);
}

double rotary_z_correction(double x, double y) {
  const JobSettings& job = g_job_settings;
  const double radius = job.surface_radius;
  if (job_surface_is(SURFACE_CONE_4TH_AXIS)) {
    double offset = 0.0;
    bool ok = true;
    cone_angle_at(x, y, &offset, &ok);
    return offset;
  }
  if (job_surface_is(SURFACE_SPHERE_4TH_AXIS)) {
    // Along the rotary axis the ball narrows (the coordinate that is not wrapped), so the cut
    // goes down with its surface.
    const double along = job.surface_side == 0 ? y : x;
    const double inside = radius * radius - along * along;
    return -std::max(0.0, inside <= 0.0 ? radius : radius - std::sqrt(inside));
  }
  if (job_surface_is(SURFACE_LATHE_BALL_FRONT)) {
    const double d = std::hypot(x, y);
    return d < radius - 0.0001 ? -(radius - std::sqrt(radius * radius - d * d)) : radius;
  }
  return 0.0;
}

void reset_work_surface() {
  g_surface_constants = SurfaceConstants{};
  g_surface_run = SurfaceRunState{};
}
