// Picking one point on the Drawing page: a click, a typed coordinate or an object snap, and
// the snap state every pick loop shares. The pick loops and snaps themselves are in
// editor/object_snaps.h, the typed coordinates in editor/coord_entry.h.
#pragma once

#include <cstdint>

#include "geometry/float2d.h"

// Snap contexts: which snaps a command offers.
constexpr uint8_t SNAP_CONTEXT_NONE = 0;
constexpr uint8_t SNAP_CONTEXT_NODE_EDIT = 2;
constexpr uint8_t SNAP_CONTEXT_DIRECTION = 4;
constexpr uint8_t SNAP_CONTEXT_DISTANCE = 5;
constexpr uint8_t SNAP_CONTEXT_DEFAULT = 9;
constexpr uint8_t SNAP_CONTEXT_DRAG = 10;
constexpr uint8_t SNAP_CONTEXT_PICK_KEYS = 12;

// xy_snap_state bits
constexpr uint8_t XY_SNAP_SECOND_POINT = 0x01;  // the second point of an X & Y snap is asked
constexpr uint8_t XY_SNAP_Y_TYPED = 0x02;       // a lone typed number was taken as that Y

struct PointPicking {
  PointF picked_point = {0.0f, 0.0f};  // the constrained cursor point; pick_point's result
  PointF typed_point = {0.0f, 0.0f};   // the point typed_point_from_cursor made
  PointF anchor_point = {0.0f, 0.0f};  // the last first point of a rubber band; the
                                       // Perpendicular snap drops its foot from it
  uint8_t snap_context = SNAP_CONTEXT_DEFAULT;  // SNAP_CONTEXT_* of the running command
  uint8_t xy_snap_state = 0;           // XY_SNAP_* bits; cleared when a snap ends
  float xy_snap_x = 0.0f;              // the X & Y snap's first X while bit 0 is set
  void (*pick_redraw_hook)() = nullptr;  // after a zoom or pan from the zoom strip
  uint8_t snap_running = 0;            // 1 while a snap runs: hover picking stays on
};
extern PointPicking g_point_picking;

// pick_point results
constexpr int PICK_POINT_TAKEN = 0;
constexpr int PICK_POINT_CANCELLED = 27;

// Asks for one point; the caller shows its prompt first. 0 with the point in picked_point, 27
// when cancelled.
int pick_point();
// The current pick point: the cursor, the hovered node or centre, or the cursor's foot on the
// hovered link.
void hover_point(PointF* out);
// The object snap menu, then the snapped point: 0 with the point in out, else -1.
int snap_via_menu(int context, PointF* out);
// The cursor point with a typed X and Y (absolute replaces, relative adds; polar changes
// nothing) into typed_point: 1, or 0 when the text gave nothing.
int typed_point_from_cursor(const char* text);

// Test hooks
void reset_point_picking();
