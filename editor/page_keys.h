// What the Drawing page's loop does with one code: its own keys, the clicks on the page strip,
// marking by click and by window, the view steps (go to a point, a node's Z, zooms), the item
// clipboard and a new text placed by a box. Codes the page does not handle itself go to the
// edit-command dispatcher.
#pragma once

#include "editor/page_menus.h"
#include "screen/event_queue.h"

// Key codes of the page that have no name in the event queue.
constexpr EventCode PAGE_KEY_ALT_E = 274;
constexpr EventCode PAGE_KEY_ALT_R = 275;
constexpr EventCode PAGE_KEY_ALT_I = 279;
constexpr EventCode PAGE_KEY_ALT_S = 287;
constexpr EventCode PAGE_KEY_ALT_D = 288;
constexpr EventCode PAGE_KEY_ALT_F = 289;
constexpr EventCode PAGE_KEY_F4 = 318;
constexpr EventCode PAGE_KEY_F8 = 322;
constexpr EventCode PAGE_KEY_F9 = 323;
constexpr EventCode PAGE_KEY_CTRL_F4 = 353;
constexpr EventCode PAGE_KEY_REDRAW = 462;
constexpr EventCode PAGE_KEY_USER_3 = 472;
constexpr EventCode PAGE_KEY_CTRL_C = 579;
constexpr EventCode PAGE_KEY_CTRL_I = 585;
constexpr EventCode PAGE_KEY_CTRL_N = 590;
constexpr EventCode PAGE_KEY_CTRL_O = 591;
constexpr EventCode PAGE_KEY_CTRL_S = 595;
constexpr EventCode PAGE_KEY_CTRL_V = 598;
constexpr EventCode PAGE_KEY_CTRL_Z = 602;

constexpr char GO_TO_PROMPT[] =
    "Enter the X and/or Y coordinate to go to, and/or the distances in X and Y to shift the "
    "view by.\nExamples: \v.14,-3.2\x13    X.4    *.4*-.6\n\n";
constexpr char NODE_Z_FORMAT[] =
    "Z distance from surface: %s\n\nEnter a new distance from the surface.\nOr enter \v*\x13 "
    "and then a value to add to the existing distance.\nExample: \f*-.3\x13 will add -.3 to %s\n\n";
constexpr char SIDES_QUESTION[] = "How many sides for new polygons?\n\n";
constexpr char GEOMETRY_CROSSING_FORMAT[] =
    "Geometry is crossing itself at X\v%.3f\x13, Y\v%.3f\x13, (or arcs are too close), and this "
    "version cannot cope with that situation. Press a key to see the point where the error is, "
    "and then fix the geometry at that location.";

// One code, dispatched: the pass that follows (NONE: read the next event at once).
PagePass dispatch_page_code(EventCode code);
// Key z on a node of a line or spline link: asks for its Z. True when the pick was such a node.
bool edit_node_height();
// Key g: asks for a point to go to.
void go_to_typed_point();
// The side count of new polygons from the "   sides" list (and the "13+" question).
void choose_polygon_sides();
