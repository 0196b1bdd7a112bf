// Moving geometry without changing its shape: marked nodes placed on a point or moved by a
// vector (their unmarked neighbours re-solved), and the placing loop that drags a whole working
// set to a destination for MOVE, COPY and PASTE. Everything works on the open edit session's
// working set; the commands commit or cancel it.
#pragma once

#include <cstdint>

#include "geometry/drawing_item.h"
#include "geometry/float2d.h"
#include "screen/event_queue.h"

// How apply_move sets each marked node (the node's own coordinates are its original's).
constexpr int NODE_MOVE_TO_POINT = 0;        // the given point
constexpr int NODE_MOVE_KEEP_X = 1;          // the point's Y, the node's own X
constexpr int NODE_MOVE_KEEP_Y = 2;          // the point's X, the node's own Y
constexpr int NODE_MOVE_X_BY_DISTANCE = 3;   // own X + typed X distance, the point's Y
constexpr int NODE_MOVE_Y_BY_DISTANCE = 6;   // own Y + typed Y distance, the point's X
constexpr int NODE_MOVE_BY_VECTOR = 100;     // the node plus the given vector

// Results of the placing loops.
constexpr int PLACE_DONE = 0;
constexpr int PLACE_CANCELLED = 27;

struct MoveState {
  EventCode last_event = 0;   // the event that ended the last placing loop (13: Enter)
  uint8_t moving_image = 0;   // 1 while the background image's frame is placed: the image
                              // follows the frame
};
extern MoveState g_move;

// Applies a point or a vector in a NODE_MOVE_* mode to the marked nodes of every working-set
// item, re-solves the links around them and keeps symmetric polylines symmetric.
void apply_move(PointF value, int mode);
// One complete edit of the marked nodes by the typed value (the entry's offset for
// NODE_MOVE_BY_VECTOR, its current point otherwise), as one undo step. 0 done, -1 nothing to do.
int move_marked_nodes_by_value(int mode);
// Drags the marked nodes from start: NODE_MOVE_BY_VECTOR by the pointer's motion,
// NODE_MOVE_TO_POINT onto the picked point. Returns the ending event (13, 27, 888, or the event
// that gave the point).
int drag_marked_nodes(PointF start, int mode);
// The shared placing loop: the working set follows the pointer from the reference point until a
// point is given (PLACE_DONE) or Esc (PLACE_CANCELLED).
int drag_to_destination(PointF reference);
// The start-point prompt (with the start-point help when asked) and the pick: PLACE_DONE with
// the point, or PLACE_CANCELLED.
int pick_move_start(PointF* start, bool with_help);
// The destination prompt, then drag_to_destination.
int pick_move_destination(PointF start);
// Moves a frame item by a start point and a destination with the background image following
// it: the image's lower-left corner ends on the frame's first node. The frame item is left as
// it was. 0 moved, -1 cancelled.
int move_image_frame(DrawingItem* frame);
// The command bound to a pressed button (a press code), or the code itself.
int16_t press_command(EventCode code);
// In a drag mode: the working set follows the pointer's last motion, carrying the point with it
// (a pivot, a start point). False when the pointer did not move.
bool carry_working_set(PointF* carried);
// Commits the working set as moved in place: one undo step that gives the originals back.
void commit_moved_working_set();

// Test hooks
void reset_move_state();
