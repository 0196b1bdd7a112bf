// The edit-command dispatcher: one code (a button's command id, a value-form number, a Marks
// command or a key) becomes a drawing command, chosen by what the cursor is on: nothing, an
// item's centre, a node or a link. Node and link work goes to the node-editing session with a
// session command, creation to create_item_by_mouse, transforms to their commands.
#pragma once

#include <cstdint>

#include "screen/event_queue.h"

// Session commands the dispatcher chooses (the node-editing session's vocabulary).
constexpr int SESSION_CONTINUE_POLYLINE = 51;
constexpr int SESSION_NUDGE = 908;
constexpr int SESSION_MOVE_TO_POINT = 900;
constexpr int SESSION_TYPED_NODE = 906;
constexpr int SESSION_TYPED_LINK = 907;
constexpr int SESSION_CHANGE = 911;

// Messages of the break and insert checks.
constexpr char BREAK_AT_END_TEXT[] =
    "It doesn't make sense to break a polyline at its end point;\npick a location in the "
    "middle of it.";
constexpr char ONLY_POLYLINES_BREAK_TEXT[] =
    "Only polylines, polygons, rectangles, and slots can be broken\nat nodes or have nodes "
    "inserted into them.";
constexpr char SYMMETRY_LINE_TEXT[] =
    "This is the \vsymmetry line\x13. You can only move or rotate it.";
constexpr char TANGENT_NODES_TEXT[] =
    "This link has tangent nodes around it -- it doesn't extrude.\nPerhaps you should try the "
    "\vmove\x13, \vslide\x13, or \vfillet\x13 functions.";
constexpr char SPLINE_INSERT_TEXT[] =
    "This version doesn't insert nodes into splines\nby intersections, projections, etc.\n\nTo "
    "insert a node in a spline, do it visually with\nthe mouse. Set the mouse function to \vAdd "
    "A Node\x13";
constexpr char ALREADY_START_TEXT[] = "That node is already the start node!";
constexpr char ONLY_POLYLINES_START_TEXT[] = "Only polylines can have their start node moved!";

// Returns the working flag of the last pasted item for 924, the pieces made for 923, else 0.
int32_t edit_command(int code);
// The message that forbids breaking the hovered item at the picked place, or null.
const char* break_check_message();
// 0 when a node may be inserted into the hovered item, -1 after telling why not.
int insert_check();
// Waits for Esc or a key of `keys` (lower-cased) with the prompt shown.
EventCode ask_one_key(const char* prompt, const char* keys);
// Ctrl+arrows: the session's nudge vector (ten steps with Shift held with the key just read);
// the code, or 0 for others.
int nudge_vector(int code);
