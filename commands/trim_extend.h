// TRIM and/or EXTEND: the user chooses a boundary link, then clicks the lines and arcs to be cut
// back to it or lengthened up to it. The end to move and the crossing come from
// geometry/trim_rule.h; the node editor moves the end, one undo step per click.
#pragma once

#include <cstdint>

#include "geometry/drawing_item.h"

struct TrimExtendState {
  int mode = 1;                       // TRIM_EXTEND_EITHER, _ONLY or TRIM_ONLY; kept between runs
  LinkRecord* boundary = nullptr;     // the chosen boundary link, none at the start of each run
  DrawingItem* boundary_item = nullptr;  // the item holding it, redrawn when the boundary changes
  int32_t boundary_index = 0;         // the boundary's link index in its item
  int32_t boundary_id = 0;            // its item's ID: found again after an edit replaced it
  float tolerance = 0.0f;             // a tenth of a pixel in world units, fixed at the start
  bool boundary_shown = false;        // the red dotted boundary is on the screen now
};
extern TrimExtendState g_trim_extend;

// The command of the Drawing page's "x". 0.
int trim_extend_command();
// The tick hook while the command waits: the boundary shows for five ticks, then hides for four.
void blink_boundary();
// Draws the panel for the current state and sets the left button, the help and the legend.
void show_trim_mode();

// Test hook
void reset_trim_extend();
