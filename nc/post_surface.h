// What the post processor adds on curved, rotary and lathe work surfaces: the surface pre-pass
// that lays the path code onto a curved surface, the point a raised retract looks ahead to, and
// the rotary-axis angle of a point.
#pragma once

#include "nc/path_code.h"

// Maps every point of the path code onto the job's curved surface (codes 2 to 10) in place. False
// when the path code holds what a curved surface can not take (an arc, a circle, a second head) or
// a point that can not be mapped; g_post_run.failure then says why.
bool surface_pre_pass();

// The point of the move after the reader's position that a rapid from a retract goes to: X, Y and
// the height the tool is sent to there. False when no move follows.
bool next_move_point(const PathReader& reader, double* x, double* y, double* z);

// The clearance above a curved surface that raised retracts keep.
double surface_clearance();

// The rotary angle in degrees of the wrapped coordinate `wrapped` at the point (x, y) on the job's
// rotary surface; false in *ok (a message in g_surface_run) when the point has no angle.
double rotary_degrees(double x, double y, double wrapped, bool* ok);
