// What the Drawing page's loop keeps between events: the pending code, the redraw requests, the
// pointer picture it chose and the item whose machining panel the side panel shows.
#pragma once

#include <cstdint>

#include "geometry/drawing_item.h"
#include "screen/event_queue.h"

// Codes taken as the next event after a command, and after a key interrupted an image mode.
constexpr EventCode PAGE_PENDING_AFTER_COMMAND = 479;
constexpr EventCode PAGE_PENDING_STRAIGHTEN = 1000;
constexpr EventCode PAGE_PENDING_FAINTNESS = 1001;

struct DrawingPageState {
  EventCode pending_code = 0;          // read instead of the queue at the next event; 0 none
  uint8_t full_redraw = 0;             // the next pass redraws the drawing completely
  uint8_t redraw_request = 0;          // the redraw level: counted up to redraw at the next pass
  uint8_t page_redraw_flag = 0;        // the page strip is to be drawn again
  uint8_t extents_request = 0;         // the extents are to be computed again
  uint8_t editor_pointer_shape = 0;    // the pointer picture the page chose (99: no hover,
                                       // 101 the crosshair; 11: no circle could be made)
  DrawingItem* panel_item = nullptr;   // item whose machining panel the side panel shows
  int16_t panel_link_index = -1;       // hovered link index it was shown for
  uint8_t legend_changed = 0;          // the legend or prompt was overwritten
  uint32_t hover_deadline_ms = 0;      // clock at which hover feedback takes over again
  // Start values the loop applies; the drawing commands read them.
  uint8_t option_flags[3] = {};        // three editor options, 1 at every start
  float transform_step = 0.0f;         // step of the transform commands, 5.0 at start
  uint8_t editor_setting = 0;          // 11 at start
};
extern DrawingPageState g_drawing_page;

// Test hooks
void reset_drawing_page_state();
