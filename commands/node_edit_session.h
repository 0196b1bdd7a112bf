// The node editor: the one interactive loop in which the user changes one item by its nodes and
// links. It works on a working copy inside an edit session, redraws it in XOR on every pointer
// move, and ends by committing the edit as one undo step or by cancelling it.
#pragma once

#include <cstdint>

#include "geometry/drawing_item.h"
#include "geometry/float2d.h"

// The drag loop's own state.
struct NodeDrag {
  int16_t mode = 0;                      // the DragMode the loop applies on a pointer move
  PointF start = {0.0f, 0.0f};           // where the pointer was; moves with incremental moves
  PointF anchor = {0.0f, 0.0f};          // the start, or a symmetric polyline's first node
  PointF reference = {0.0f, 0.0f};       // the current link's other end
  PointF move_delta = {0.0f, 0.0f};      // the last incremental move, job units
  PointF arc_second = {0.0f, 0.0f};      // the fixed second point of an arc by three points
  PointF nudge_total = {0.0f, 0.0f};     // the nudges of mode 908 so far
  PointF whole_moved = {0.0f, 0.0f};     // how far the move-whole-item toggle moved the item
  double previous_angle = -700000.0;     // radians; -700000 until a first turn was seen
  bool finish = false;                   // the loop ends with a commit
  bool cancel = false;                   // the loop ends with a cancel
  bool radius_readout = false;           // show "Radius:" on each move
  bool to_readout = false;               // show "To:" on each move
  bool move_whole = false;               // the right button's move-whole-item toggle
  bool keep_on_arc = false;              // a snapped point kept the arc's radius
  bool measure_pending = false;          // a measured point waits for a key before the next
  char saved_letter = 0;                 // the letter before the move-whole-item toggle
};
extern NodeDrag g_node_drag;

// op: a node-editor command id (its sign only chooses the binding). 0 when the edit was
// committed or the command finished, -1 when it was cancelled or was not possible.
int node_edit_session(int op);

// Applies the drag mode once at the cursor (raw: the pointer before snapping). 0, or -1 when the
// position was refused and the working copy left as it was.
int apply_drag_mode(int16_t mode, const PointF& cursor, const PointF& raw);
// Moves every item of the working set by v, texts laid out again.
void translate_working_set(const PointF& v);

// Test hooks
void reset_node_drag();
