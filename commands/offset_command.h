// OFFSET: copies of an item or a link at a distance, or a link moved sideways, chosen on a
// panel above the drawing; and the typed value the offset and fillet drags share.
#pragma once

#include <cstdint>

#include "geometry/drawing_item.h"
#include "screen/event_queue.h"

// The offset's kept choices and values (for the whole run of the program).
struct OffsetState {
  float value = 0.0f;             // job units, kept positive between offsets
  uint8_t layer = 0;              // the results' layer unless "Same as original"
  int16_t text_side = 0;          // the last side chosen for a text item
  bool same_as_original = true;   // results on the source item's layer
  bool delete_original = false;
  bool cam_type = true;           // rounded corners (CAM-type), else sharp (CAD-type)
  bool by_value = false;          // "By value:", else "By dragging"
  bool both_sides = false;
  bool individual_links = false;  // INDIVIDUAL LINKS, else ENTIRE POLYLINES
  bool create_new_link = true;    // a link offset makes a new item, else moves the link
};
extern OffsetState g_offset;
void reset_offset_state();

// The command of the Drawing page's "o". 0.
int offset_command();

// A value key (one of the typed-value characters) read as a distance in a box that opens with
// that key. 0 with the value (also kept as the offset value), -1 for another key, Esc or 0.
int read_typed_offset(EventCode code, float* value);

// ---- the offsets themselves ----
// The item offset by the signed distance with the panel's choices (corners, both sides, delete
// the source) as one undo step. 0, or -1 when nothing was made (nothing is left behind).
int offset_item_by_value(DrawingItem* item, float distance);
// The link offset into a new item of one link (and one at the opposite distance with both
// sides); the number of items made, drawn and recorded as one undo step.
int offset_new_links(DrawingItem* item, const LinkRecord* link, float distance);
// The edited item's current link moved sideways by the offset value, the neighbours refitted
// (the node editor's link offset). 0, or -1 when the link has no offset.
int offset_current_link(float distance);
