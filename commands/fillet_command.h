// FILLET: rounds the corner at a node of a polyline, or turns a link into a tangent arc, with
// the radius dragged (the arc passes the pointer) or typed. A panel above the drawing holds
// the choices; the node editor makes each fillet as one undo step.
#pragma once

#include <cstdint>

struct FilletState {
  bool by_value = false;  // "By value:" chosen; else "By dragging"; kept between runs
};
extern FilletState g_fillet;
void reset_fillet_state();

// The command of the Drawing page's "f". 0.
int fillet_command();
