// The tool rows of the staircase designer's forms: the tool of a machining block.
#pragma once

#include "records/cam_params.h"
#include "screen/event_queue.h"

// Edits the finishing (0) or roughing (1) tool of a block: a changed tool is a negative result.
// Stand-in: digits type a tool number straight into the block; the tool form is not opened.
EventCode edit_cam_tool(CamParams* block, int which);
