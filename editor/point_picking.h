// Picking one point on the Drawing page, and the other parts of point picking, typed
// coordinates and selection that the page's commands call.
#pragma once

#include <cstdint>

#include "geometry/float2d.h"

struct PointPicking {
  PointF picked_point = {0.0f, 0.0f};  // the point pick_point took, job units
  PointF typed_point = {0.0f, 0.0f};   // the point typed_point_from_cursor made
};
extern PointPicking g_point_picking;

// pick_point results
constexpr int PICK_POINT_TAKEN = 0;
constexpr int PICK_POINT_CANCELLED = 27;

// Asks for one point; the caller shows its prompt first. 0 with the point in picked_point, 27
// when cancelled.
// Stand-in: takes the cursor point on a click or Enter; no typed coordinates or snaps yet.
int pick_point();
// The current pick point: the cursor, the hovered node or centre, or the cursor's foot on the
// hovered link.
void hover_point(PointF* out);
// The object snap menu, then the snapped point: 0 with the point in out, else -1.
// Stand-in: shows the notice; -1.
int snap_via_menu(int context, PointF* out);
// The cursor point with a typed X and Y: 1, or 0 when nothing was parsed.
// Stand-in: shows the notice; 0, nothing parsed.
int typed_point_from_cursor(const char* text);

// Test hooks
void reset_point_picking();
