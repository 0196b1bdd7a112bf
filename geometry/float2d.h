// Small vector helpers on the drawing's single-precision points, their double twins, the
// quadratic solvers and the arc helpers that turn an arc into chord steps or angles.
// Angles are radians counter-clockwise from +X; directions come back in 0..2pi.
// Intermediate values are computed in double and stored back as floats.
#pragma once

#include <cstdint>

// A point or vector of the drawing, in the job's unit.
struct PointF {
  float x;  // drawing units
  float y;  // drawing units, y up
};

// A point or vector in double precision.
struct PointD {
  double x;
  double y;
};

// The angle constants the drawing stores, as the floats it compares against.
constexpr float ANGLE_PI_F = 3.1415927f;
constexpr float ANGLE_HALF_PI_F = 1.5707964f;
constexpr float ANGLE_THREE_HALF_PI_F = 4.712389f;
constexpr float ANGLE_TWO_PI_F = 6.2831855f;
constexpr double ANGLE_PI = 3.14159265358979323846;
constexpr double ANGLE_TWO_PI = 2.0 * ANGLE_PI;

// ---- float vector helpers ----
void vector_from_angle(double angle, double length, PointF* out);
void offset_along_normal(const PointF* p, const PointF* v, double distance, PointF* out);
float manhattan_length(const PointF* v);
int normalize_vector(const PointF* v, PointF* out);
float dot_product(const PointF* a, const PointF* b);
float cross_product(const PointF* a, const PointF* b);
void vec_add_assign(PointF* a, const PointF* b);
void vec_add_to_second(const PointF* a, PointF* b);
void vec_add(const PointF* a, const PointF* b, PointF* out);
void vec_sub(const PointF* a, const PointF* b, PointF* out);
void vec_add_scaled(const PointF* p, const PointF* v, double s, PointF* out);
void lerp_points(const PointF* a, const PointF* b, double t, PointF* out);
void rotate_point_about(PointF* out, const PointF* p, const PointF* centre, double angle);
void rotate_vector(const PointF* v, double angle, PointF* out);
void rotate_by_current_angle(float* out_x, float* out_y, float a, float b);
int mirror_point_two_points(const PointF* p, const PointF* a, const PointF* b, PointF* out);
void line_slope_intercept(const PointF* a, const PointF* b, double* out_slope,
                          double* out_intercept);
void polar_point(const PointF* p, double distance, double angle, PointF* out);
void polar_offset(float angle, float radius, float* out_x, float* out_y);
void midpoint(const PointF* a, const PointF* b, PointF* out);
float point_distance(const PointF* a, const PointF* b);
float squared_length(const PointF* v);
float point_angle(const PointF* a, const PointF* b);
float xy_direction_angle(float x1, float y1, float x2, float y2);
void vec_sub_to_double(const PointF* a, const PointF* b, PointD* out);
void copy_point(PointF* to, const PointF* from);
void zero_point(PointF* p);

// ---- double twins ----
void vec_sub_d(const PointD* a, const PointD* b, PointD* out);
double manhattan_length_d(const PointD* v);
double dot_product_d(const PointD* a, const PointD* b);
double cross_product_d(const PointD* a, const PointD* b);
void midpoint_d(const PointD* a, const PointD* b, PointD* out);
double point_distance_d(const PointD* a, const PointD* b);

// ---- equations ----
// a t^2 + b t + c = 0; returns the root count (-1 degenerate), roots ascending.
int quadratic_roots(double a, double b, double c, double out_roots[2]);
int quadratic_roots_f(double a, double b, double c, float* out_root1, float* out_root2);

// ---- arc helpers ----
// Most chord vectors arc_to_chord_steps ever writes (the step count limit plus its hard stop).
constexpr int ARC_CHORD_STEPS_MAX = 2001;
// Writes the chord vectors of an arc about the origin; out must hold ARC_CHORD_STEPS_MAX.
int arc_to_chord_steps(PointF* out, double start_angle, double end_angle, double radius,
                       int clockwise, double angle_step);
float arc_from_centre_offset(float ex, float ey, float cx, float cy, float* out_start_angle,
                             float* out_end_angle);
// Text-on-arc stepper: code -1 sets the radius, -2 the angle, >= 0 steps in that direction.
double step_angle_along_arc(int code, double value);

// ---- shared state ----
// The rotation pair set by the text transforms and the ellipse pick, and the stepper state.
struct Float2dState {
  double rotation_cos;       // cosine of the current rotation (may carry a scale)
  double rotation_sin;       // sine of the current rotation (may carry a scale)
  double double_root_tolerance;  // |discriminant| below this is one root; 1e-8 at rest
  float arc_step_radius;     // radius of the text arc, drawing units
  double arc_step_angle;     // current angle along the text arc, 0..2pi
  double arc_step_last;      // last step taken, radians
  int16_t arc_step_direction;  // non-zero: counter-clockwise
};
extern Float2dState g_float2d;

// Test hook: puts the shared state back to its start values.
void reset_float2d_state();
