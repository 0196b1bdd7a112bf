// Options and shared values of the drawing editor that other subsystems read or set.
#pragma once

#include <cstdint>

// Stand-in: only the values the geometry model reads and sets; the editor loop that applies them comes with the drawing editor.
// Pointer shape number the editor applies on its next pass (11: no circle could be made).
inline uint8_t editor_pointer_shape = 0;
// Non-zero: spline runs are drawn as curves sampled with the job tolerance.
inline uint8_t spline_curve_view = 1;
