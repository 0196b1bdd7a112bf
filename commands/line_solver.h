// The recompute function of the transform value form: after every change of a field it works out
// what the entered fields determine (the line's start and end, tangent points on picked arcs,
// length, angle, X and Y distances; in the transform modes the mirror line, the move, the
// rotation with its snap, the scale factor) and leaves the derived values in the form's record
// for the form to show.
#pragma once

// field 2-12: the field just set; TF_FLIP: "Flip line"; -n: field n was cleared. The number of
// fields solved, changed or cleared; 0 when nothing was recomputed.
int line_solver(int field);
// SCALE by a distance or to a size: the factor from the two lengths (1 when either is below
// 1e-7); nothing in SCALE by a factor.
void compute_scale_factor();
// One fifth of the drawing area's height in drawing units: the length a line gets when it has
// none.
float default_line_length();
