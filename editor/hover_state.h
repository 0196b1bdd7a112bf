// What lies under the drawing editor's cursor: the cursor point itself, the item, link and node
// the hover search found there, what is XOR-highlighted of it, and what the search looks for.
#pragma once

#include <cstdint>

#include "geometry/drawing_item.h"
#include "geometry/float2d.h"
#include "geometry/node_surgery.h"

// pick_kind values are the pick tests' (PICK_START_NODE, PICK_END_NODE, PICK_CENTRE,
// PICK_ON_LINK_NEAR_START, PICK_ON_LINK_NEAR_END; 0 nothing) and point_selector values their
// point selectors (PICK_POINT_NODE, PICK_POINT_CENTRE, PICK_POINT_NEXT): geometry/node_surgery.h.
// pick_mode bits
constexpr uint16_t PICK_MODE_NODES = 0x01;
constexpr uint16_t PICK_MODE_LINKS = 0x02;
constexpr uint16_t PICK_MODE_ITEM_MARKERS = 0x04;
constexpr uint16_t PICK_MODE_ITEMS = 0x08;
constexpr uint16_t PICK_MODE_NOT_EDITED = 0x10;
constexpr uint16_t PICK_MODE_OFF = 0x40;
constexpr uint16_t PICK_MODE_OFF_IN_SESSION = 0x80;
constexpr uint16_t PICK_MODE_PLAIN_KEYS = 0xE0;  // Tab and Space are plain keys
constexpr uint16_t PICK_MODE_ITEM_REPORTS = 0x100;

using TickHookFn = void (*)();

// The pointer picture over an item a click would take.
constexpr uint8_t HOVER_SHAPE_ITEM = 50;

struct HoverState {
  PointF cursor_point = {0.0f, 0.0f};      // world point of the cursor, grid-snapped when on
  PointF raw_cursor_point = {0.0f, 0.0f};  // before snapping; hover picking tests it
  PointF previous_cursor_point = {0.0f, 0.0f};
  PointF cursor_delta = {0.0f, 0.0f};      // cursor_point - previous_cursor_point
  int32_t crosshair_x = 0;                 // client pixel where the crosshair belongs
  int32_t crosshair_y = 0;
  PointF constrained_point = {0.0f, 0.0f};  // the last and the previous constrain_point
  PointF previous_constrained_point = {0.0f, 0.0f};
  DrawingItem* hover_item = nullptr;  // item under the cursor; the search's resume position
  LinkRecord* hover_link = nullptr;   // link under the cursor, inside hover_item's block
  int32_t link_index = 0;             // index of hover_link within its item
  int16_t point_selector = 0;         // PICK_POINT_*
  int16_t pick_kind = 0;              // a pick test's kind, 0 nothing
  uint16_t pick_mode = PICK_MODE_LINKS | PICK_MODE_ITEM_MARKERS | PICK_MODE_ITEMS;  // PICK_MODE_*
  uint8_t machinable_only = 0;        // only items with a machining operation are picked
  int16_t group_filter = 0;           // > 0: items of another machining group are not picked
  DrawingItem* node_item = nullptr;   // item whose node markers are XOR-shown
  LinkRecord* highlighted_link = nullptr;  // link that is XOR-highlighted
  DrawingItem* marker_item = nullptr;      // item last given node markers
  LinkRecord* symmetry_line = nullptr;     // dotted symmetry line shown, or null
  uint8_t hover_shape = 0;                 // pointer picture for the current hover
  uint8_t item_shape = 0;                  // item mode: over an item
  uint8_t item_node_shape = 0;             // item mode: over a node (0: item_shape)
  uint8_t idle_shape = 0;                  // item mode: over nothing
  DrawingItem* last_reported_item = nullptr;
  uint32_t highlight_colour = 0xFFFFFF;    // XOR colour, 0xRRGGBB: layer colour XOR white
  TickHookFn tick_hook = nullptr;          // called on each tick by next_editor_event_hover
  uint8_t hilite_refresh = 0;              // a highlight refresh is due before the next wait
  int32_t view_changes = 0;                // view changes seen by next_editor_event
  uint8_t node_info_shown = 0;             // the node / ID information line is on the screen
};
extern HoverState g_hover;

// Test hooks
void reset_hover_state();
