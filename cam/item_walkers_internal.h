// What the item walkers share with the text walker (cam/text_walker.cpp): sending a move,
// reaching an item's start and keeping the heights an item ends at.
#pragma once

#include "geometry/float2d.h"
#include "records/pen_move.h"

namespace walker_internal {

// The highest node Z before any node was seen.
constexpr float WALK_NO_HEIGHT = -1.0e30f;

// Sends the pen move with the code.
void send_move(PenMoveSink sink, PenMoveCode code);
bool sink_is_collector(PenMoveSink sink);
// Puts the pen on an item's start: the start of a run, the resume after a tool change, or the
// lift to it when it lies elsewhere. DX, DY hold start - pen.
void reach_start(PenMoveSink sink, const PointF& start, PenMoveCode rapid_code);
// The item is done: the heights it ends at serve the next item's lift.
void store_heights(PenMoveSink sink);

}  // namespace walker_internal
