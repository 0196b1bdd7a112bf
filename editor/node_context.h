// The node editor's context: which item, link and node the node-editing session works on, the
// kinds of the links around them, and the per-command state the command check, the drag modes
// and the propagation share. It lives in the edit session (editor/edit_session.h).
//
// Records are kept as indices into the working item's record array, never as pointers: the
// array moves whenever the item grows, and an index stays good across that.
#pragma once

#include <cstdint>

#include "geometry/drawing_item.h"
#include "geometry/float2d.h"

// Point selectors of the dragged and the other point (the pick tests' PICK_POINT_*).
constexpr int16_t NODE_POINT_CURRENT = 2;
constexpr int16_t NODE_POINT_NEXT = 15;
constexpr int16_t NODE_POINT_CENTRE = 4;
// A record index that names no record.
constexpr int32_t NODE_NO_RECORD = -1;
// Session flags.
constexpr uint8_t NODE_SESSION_FILLET_AT_NODE = 0x02;
constexpr uint8_t NODE_SESSION_TYPED_FILLET = 0x10;
constexpr uint8_t NODE_SESSION_ROUNDED_ARC = 0x01;
// Drawing-mode byte.
constexpr uint8_t NODE_DRAWING_CREATE = 1;
constexpr uint8_t NODE_DRAWING_CONTINUE = 2;
constexpr uint8_t NODE_DRAWING_LINK_ERASED = 4;

struct NodeContext {
  DrawingItem* item = nullptr;        // the edited item: the hovered one, later the working copy
  int32_t link_index = 0;             // the current link, 0..link_count - 1
  int16_t pick = 0;                   // pick kind: 1, 2 nodes, -1 centre, 17, 34 the link
  int32_t previous = NODE_NO_RECORD;  // record indices of the links around the current one
  int32_t previous_previous = NODE_NO_RECORD;
  int32_t next = NODE_NO_RECORD;
  int32_t next_next = NODE_NO_RECORD;
  int16_t previous_code = 0;          // link kind code | kind bits of the node between
  int16_t previous_previous_code = 0;
  int16_t next_code = 0;
  int16_t next_next_code = 0;
  int16_t dragged = NODE_POINT_CURRENT;  // selector of the point the drag moves
  int16_t other = NODE_POINT_NEXT;       // selector of the current link's other point
  uint8_t snap_context = 9;           // object-snap menu context of the drag
  uint8_t closed = 0;                 // first node's flags & NODE_KIND_MASK
  uint8_t session_flags = 0;          // NODE_SESSION_*
  uint8_t drawing_mode = 0;           // NODE_DRAWING_*
  int32_t continue_index = -1;        // where the dispatcher adds the next node, -1 none
  int32_t drawing_link_count = 0;     // the item's link count when drawing began
  int32_t pending_forward = NODE_NO_RECORD;   // background propagation, worked off between
  int32_t pending_backward = NODE_NO_RECORD;  // events; record indices
  float fillet_radius = 0.0f;         // job units
  float offset_distance = 0.0f;       // job units
  int32_t fillet_on_curve = 0;        // a fillet was asked next to a curve
  int16_t drawing_tool = 0;           // 750..765: the tool a polyline is continued with
  int16_t menu_cell = 0;              // remembered node-menu cell of command 911
  char letter = 0;                    // the drag's pointer letter, 0 none
  uint8_t pointer_code = 0;           // 99 after a fitting failed, 101 after it worked again
  uint8_t text_flag = 0;              // the text item's frame keeps its text on a side
  PointF corner_reference = {0.0f, 0.0f};  // a rounded rectangle's corner (second x last link)
};
