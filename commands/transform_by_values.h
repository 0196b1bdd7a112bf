// MOVE, MIRROR, ROTATE and SCALE of the selection through the transform value form: each opens
// an edit session over the selection, runs the form on the working copies and commits the
// result as one undo step, or cancels it.
#pragma once

// MOVE of the selection: how 0 drags from the pick point, 1 first offers "By values" or "From a
// point to a point", 98 places marked nodes on a picked point. 0.
int move_by_points_or_values(int how);
// Picture menu 190, shared by COPY and MOVE with one remembered choice: 0 "By values", 1 "From a
// point to a point", -1 cancelled.
int copy_or_move_menu();
// COPY through the transform value form: the copies are added as one undo step with new IDs and
// the originals stay. 0 copied, 27 cancelled.
int copy_items_by_values();
// MIRROR about a vertical, a horizontal or any line; keep_colour 0 draws the preview in the
// editing colour. 0.
int mirror_by_values_command(int keep_colour);
// ROTATE by snap steps, by an angle, or to a reference. 0.
int rotate_by_values_command();
// SCALE by a factor, by a distance and what it should be, or to a size. 0.
int scale_by_values_command();

// Test hooks
void reset_transform_menu_memory();
