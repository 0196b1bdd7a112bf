// The eight shape forms beside the drawing (CIRCLE, ARC, SLOT, RECTANGLE, POLYGON, POINT,
// ELLIPSE, ROUNDED RECTANGLE): the fields are typed in any order, the form's solver fills in the
// rest, and OK creates the item and opens a fresh form for the next one.
#pragma once

constexpr int FIRST_SHAPE_FORM = 140;
constexpr int LAST_SHAPE_FORM = 150;

// Runs the form of a code 140-150 again and again while it creates items; returns when the
// user leaves it (Esc, Cancel, or OK with nothing entered).
void run_shape_form_series(int code);
// One run of a shape form: 0 after an item was created (or OK with nothing entered), else the
// code that ended it (27 Esc, 698 a click on Cancel).
int run_shape_form(int code);
