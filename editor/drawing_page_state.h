// What the Drawing page's loop keeps between events: the pending code, the redraw requests, the
// pointer picture it chose, the item whose machining panel the side panel shows, the page's
// modes and the item clipboard.
#pragma once

#include <cstdint>

#include "geometry/drawing_item.h"
#include "screen/event_queue.h"
#include "store/line_list.h"

// Codes taken as the next event after a command, and after a key interrupted an image mode.
constexpr EventCode PAGE_PENDING_AFTER_COMMAND = 479;
constexpr EventCode PAGE_PENDING_STRAIGHTEN = 1000;
constexpr EventCode PAGE_PENDING_FAINTNESS = 1001;
// The pointer picture while nothing is hovered and no tool chose one.
constexpr uint8_t PAGE_POINTER_DEFAULT = 1;

struct DrawingPageState {
  EventCode pending_code = 0;          // read instead of the queue at the next event; 0 none
  uint8_t full_redraw = 0;             // the next pass redraws the drawing completely
  uint8_t redraw_request = 0;          // the redraw level: counted up to redraw at the next pass
  uint8_t page_redraw_flag = 0;        // the page strip is to be drawn again
  uint8_t extents_request = 0;         // the extents are to be computed again
  uint8_t editor_pointer_shape = 0;    // the cursor shape code: the pointer picture the page
                                       // chose (99: no hover, 101 the crosshair; 0: choose anew)
  DrawingItem* panel_item = nullptr;   // item whose machining panel the side panel shows
  int32_t panel_link_index = -1;       // hovered link index it was shown for
  uint8_t legend_changed = 0;          // the legend or prompt was overwritten
  uint8_t go_to_point = 0;             // a command started from a snapped point: re-centre after
  uint32_t hover_deadline_ms = 0;      // clock at which hover feedback takes over again
  uint8_t append_mode = 0;             // line, arc and spline tools continue open polylines
  uint8_t active = 0;                  // the Drawing page is running
  uint8_t current_layer = 0;           // the layer of new items, 0..243
  char panel_page_counter = '0';       // the machining panel's page counter
  LineList clipboard;                  // the item clipboard: copied items, owned here
  // Start values the loop applies; the drawing commands read them.
  uint8_t option_flags[3] = {};        // three editor options, 1 at every start
  float transform_step = 0.0f;         // step of the transform commands, 5.0 at start
  uint8_t editor_setting = 0;          // 11 at start
};
extern DrawingPageState g_drawing_page;

// Empties the item clipboard.
void empty_item_clipboard();
// Appends an item to the item clipboard: it leaves the list it is in.
void move_to_item_clipboard(DrawingItem* item);
int count_clipboard_items();

// Test hooks
void reset_drawing_page_state();
