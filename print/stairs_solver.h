// What the staircase designer does with a value the user types: each form row's rule, and the
// solver that derives the rest of the stair from the values entered so far (the count and rise
// from the total rise, the going from the pitch and back). The block's two mark areas remember
// which rows the user entered: the latest entry and the earlier ones. Also the checks a design
// must pass before it is accepted and the note on the stringer's second set-up. Functions of the
// block alone, so the forms call them and tests run them without a screen.
#pragma once

#include <cstdint>
#include <string>

#include "print/stairs_params.h"

// ---- rows of the stair form ----
constexpr int STAIR_ROW_TOTAL = 0;
constexpr int STAIR_ROW_ANGLE = 1;        // shown and typed in degrees
constexpr int STAIR_ROW_TREAD = 3;        // tread thickness
constexpr int STAIR_ROW_NOSING = 4;
constexpr int STAIR_ROW_RISE = 6;
constexpr int STAIR_ROW_RUN = 7;
constexpr int STAIR_ROW_COUNT = 9;        // number of treads
constexpr int STAIR_ROW_TOP = 10;
constexpr int STAIR_ROW_DROP = 11;
constexpr int STAIR_ROW_RADIUS = 12;
constexpr int STAIR_ROW_BACK = 13;
constexpr int STAIR_ROW_SLANT = 15;       // shown and typed in degrees
constexpr int STAIR_ROW_RISER = 16;       // riser thickness
constexpr int STAIR_ROW_HOUSING_TOOL = 17;
// The solver's rows: entries here count as the user's values; rows past it only mark themselves.
constexpr int STAIR_ROW_LAST_SOLVED = 9;

// ---- rows of the stringer form ----
constexpr int STRINGER_ROW_MARGIN = 0;
constexpr int STRINGER_ROW_RISER_MARGIN = 1;
constexpr int STRINGER_ROW_OUTLINE_TOOL = 2;
constexpr int STRINGER_ROW_THICKNESS = 5;
constexpr int STRINGER_ROW_WIDTH = 6;
constexpr int STRINGER_ROW_LENGTH = 7;    // computed, shown only
constexpr int STRINGER_ROW_SIDE = 10;     // kind 4 types 0-2: 0 left, 1 right
constexpr int STRINGER_ROW_TOP_EXTRA = 11;  // kind 2
constexpr int STRINGER_ROW_FIRST_GOING = 12;  // kind 4
constexpr int STRINGER_ROW_LAST_GOING = 13;   // kind 4
constexpr int STRINGER_ROW_CORNER = 15;   // kind 4: the outlines' end corner height

// ---- rows of the table form ----
constexpr int TABLE_ROW_RAILS = 0;
constexpr int TABLE_ROW_LENGTH = 4;
constexpr int TABLE_ROW_MARGIN_ALONG = 6;
constexpr int TABLE_ROW_MARGIN_ACROSS = 7;
constexpr int TABLE_ROW_MARKERS = 9;      // 0 N, 1 Y
constexpr int TABLE_ROW_AXIS = 11;        // 0 X, 1 Y

// ---- rows of the cut-stringer form ----
constexpr int CUT_ROW_RISE = 0;
constexpr int CUT_ROW_RUN = 1;
constexpr int CUT_ROW_TREAD = 2;
constexpr int CUT_ROW_COUNT = 4;
constexpr int CUT_ROW_DROP = 5;
constexpr int CUT_ROW_TOP_DROP = 7;
constexpr int CUT_ROW_BOTTOM_X = 8;
constexpr int CUT_ROW_BOARD_BELOW = 10;
constexpr int CUT_ROW_THICKNESS = 14;
constexpr int CUT_ROW_OUTLINE_TOOL = 15;
constexpr int CUT_ROW_STEP_LINE = 17;     // 0 N, 1 Y
constexpr int CUT_ROW_STEP_LINE_TOOL = 18;
constexpr int CUT_ROW_SAWTOOTH = 19;

// ---- texts ----
constexpr char STAIRS_INVALID_VALUE_TEXT[] = "Invalid value!";
constexpr int STAIRS_INVALID_VALUE_TICKS = 11;
constexpr char STAIRS_ZERO_VALUES_TEXT[] =
    "You haven't defined the stairs yet; there are still values with ZERO as their value.";
constexpr char STAIRS_NO_STRINGER_TEXT[] = "You haven't defined the stringer yet";
constexpr char STAIRS_NO_SIDE_TEXT[] = "You must specify whether you want the left and/or right stairs.";
constexpr char STAIRS_RAILS_TOO_SHORT_TEXT[] = "The Rail Distance is too short for two stairs!";

// ---- entries ----
// Each takes the value as typed (angles in degrees, whole-number rows as their number, choices
// as 0 or 1) and stores it with what follows from it. False: the value breaks the row's rule
// (the designer says "Invalid value!") and the block is left exactly as it was. A zero typed
// into a solver row, or Del, clears the row's marks and derives nothing.
bool enter_stair_value(StairsParams* params, int row, double value);
bool enter_stringer_value(StairsParams* params, int row, double value);
bool enter_table_value(StairsParams* params, int row, double value);
bool enter_cut_stringer_value(StairsParams* params, int row, double value);

// ---- marks ----
// True when the user entered neither this row's value nor an earlier one: the value is derived.
bool stairs_row_derived(const StairsParams& params, int row);
// "Reset": every value stays, none counts as entered any more.
void clear_stairs_marks(StairsParams* params);
// The stringer margin measured from the riser line follows the two it is made of.
void update_riser_margin(StairsParams* params);

// ---- accepting ----
// The first reason the design cannot be accepted yet (one of the texts above), or null. The
// check boxes' flag words say which stringers are wanted; hidden boxes are not asked.
const char* stairs_acceptance_problem(const StairsParams& params, uint32_t left_flags,
                                      uint32_t right_flags);

// ---- the second set-up ----
// The note beside the forms on the steps the last build moved to a second set-up; "" when
// there is none to show.
std::string stringer_shift_note(const StairsParams& params, int32_t shift_count);
