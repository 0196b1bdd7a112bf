// The tool forms of a machining block: the finishing or roughing tool of a contour, pocket or
// blade item, the tool of a centerline item and the drill of a drill point. A form edits a copy
// of the block (the tool in the settings buffer's finishing slot) and gives it back only on OK;
// the tool field picks a tool from the tool list or takes a typed tool number.
#pragma once

#include "geometry/drawing_item.h"
#include "records/cam_params.h"
#include "screen/event_queue.h"

// The field of a form row that holds a block's tool: Enter opens the tool form for the finishing
// (which 0) or roughing (1) tool, digits type a tool number straight into the block, Del clears
// it. The item, when given, chooses the drill form for a drill point and ties the cut direction
// to the operation of an open polyline. A negative result when the block changed (as the other
// field editors report), else the event that ended the field.
EventCode edit_cam_tool(CamParams* block, int which, const DrawingItem* item = nullptr);

// Runs the tool form of a block's finishing (0) or roughing (1) tool over a working copy; true
// when it was accepted and the copy went back into the block (a new cutting depth into both
// tools).
bool run_cam_tool_form(CamParams* block, int which, const DrawingItem* item);

// The field handler of the tool forms.
EventCode cam_form_field();

// The tool field of a form: Enter picks a tool from the tool list into the working tool, digits
// type a tool number, Del clears it. The editor's result.
EventCode pick_cam_tool(int width);

// The form a block's tool is edited in: the drill form for a drill point, the centerline form
// for operation 1, else the finishing or roughing form.
int cam_tool_form_number(const CamParams& block, int which, bool drill_point);
