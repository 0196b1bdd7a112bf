// The staircase as a drawing: the housings a router cuts into a stringer for each tread and
// riser, the two end cuts and the stringer board's outline, built from the parameter block into
// the drawing list after every change of the design; and the fit of the stringer to the machine
// table, which moves the steps that do not fit into a second set-up (layer 2).
#pragma once

#include "geometry/drawing_item.h"

// Layers of the design: the housings and ends, the outline, the second set-up.
constexpr uint8_t STAIRS_LAYER_HOUSINGS = 0;
constexpr uint8_t STAIRS_LAYER_OUTLINE = 1;
constexpr uint8_t STAIRS_LAYER_SECOND_SETUP = 2;
// The table fit keeps this much (in drawing units, either unit) below the first step.
constexpr double STAIRS_TABLE_FIT_ALLOWANCE = 1.5;

// Why a design is not whole.
constexpr char STAIRS_VALUES_MISSING_TEXT[] =
    "the tread thickness, total rise, rise, going or number of treads is still zero";
constexpr char STAIRS_NOT_CONSTRUCTIBLE_TEXT[] =
    "the lines of the design do not meet (check the angles and lengths)";

// Clears the drawing list and builds it again from g_stairs.params. An incomplete design (a
// zero tread thickness, total rise, rise or going, or no treads) draws nothing and hides the
// "Make into a drawing" button; so does a design whose construction fails (the list is then
// left empty). g_stairs.complete tells which.
void stairs_build_drawing();

// ---- the profiles, each appended as a new selected item at its own origin ----
// (a: the going the housing or end is made for)
void append_tread_riser_housing(float a);
void append_tread_housing();
void append_bottom_end();
void append_top_end(float a);
void append_first_step_piece(float a);
