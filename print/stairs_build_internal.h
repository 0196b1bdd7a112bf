// What the staircase build's files share: writing model parts as drawing items, the cut
// stringer (built on items, since it is offset by the tool) and the mirror of a right-hand
// kind-4 design.
#pragma once

#include "geometry/drawing_item.h"
#include "print/stairs_model.h"
#include "print/stairs_params.h"

// A new selected item at the end of the current list from the part (arcs of the radius);
// null when memory ran out.
DrawingItem* write_stairs_part(const StairsPart& part, double radius);
// Every part of the model in order; false when one could not be made.
bool write_stairs_model(const StairsModel& model);
// Kind 4 type 4: the cut stringer's outline offset by the tool, its step line and its table
// fit, written into the current list. False when the design could not be made.
bool build_cut_stringer(StairsModel* model, StairsParams* params);
// Kind-4 types 0-2 on the right side: every item replaced by its mirror image about the
// vertical through the middle of the drawing's extents.
void mirror_for_right_side(const StairsValues& v, const StairsParams& params);
