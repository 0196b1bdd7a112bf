// FUSE: two picked loops combined by the boolean engine; each mode's results shown reduced in a
// box beside the drawing, and the boxes the user checks kept in place of the two items.
#pragma once

#include <cstdint>

#include "geometry/drawing_item.h"
#include "screen/event_queue.h"

// The panel's kept choice (for the whole run of the program).
struct FuseCommandState {
  bool same_as_original = true;  // results on the first item's layer, else the fuse layer
};
extern FuseCommandState g_fuse_command;
void reset_fuse_command_state();

// The result the Drawing page reads as "report the geometry that crosses itself".
constexpr int FUSE_REPORT_CROSSING = 32;

// The FUSE command: pairs are picked and fused until a pick is cancelled. 0, or
// FUSE_REPORT_CROSSING when the engine found a loop crossing itself.
int fuse_loops();

// Lets the user pick an item that can be fused (verb VERB_FUSE_FIRST or VERB_FUSE_SECOND);
// text and single links that cannot close are refused and asked again. Null when cancelled.
DrawingItem* pick_loop_item(int verb);
// True when the item can be fused: not text, and a single link only when it closes by itself.
bool item_can_be_fused(const DrawingItem* item);
// Draws the item reduced by `factor` with the top-left corner of the fuse's joint box on the
// pixel (client coordinates), in the colour index; the view is put back afterwards.
void draw_item_scaled(DrawingItem* item, int x, int y, float factor, int16_t colour);
