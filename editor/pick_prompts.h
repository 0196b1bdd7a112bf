// Pick prompts: before some commands start, the user points at a link, a node or an item. Each
// prompt binds the buttons for picking, shows its help and a prompt ("Click the item you want to
// " and a verb), lets the user hover, zoom and pan, and returns when a suitable thing was
// clicked (0, left in the hover state for the caller) or the user cancelled (-1). When the
// wanted kind of thing is already hovered, it returns at once.
#pragma once

#include "geometry/drawing_item.h"

// Verbs of the prompts, by index.
constexpr int VERB_ARRAY = 0;
constexpr int VERB_DIVIDE = 1;
constexpr int VERB_MOVE_TO_POINT = 2;
constexpr int VERB_SEPARATE = 3;
constexpr int VERB_MIRROR = 4;
constexpr int VERB_FUSE_FIRST = 8;
constexpr int VERB_FUSE_SECOND = 9;
constexpr int VERB_INSERT_NODE = 10;
constexpr int VERB_BREAK = 11;
constexpr int VERB_PERFORATE = 12;
constexpr int VERB_COUNT = 13;

constexpr char PICK_LINK_ONLY_TEXT[] =
    "Select a line or arc, not a node, circle, text, ellipse, etc.";
constexpr char PICK_NODE_ONLY_TEXT[] = "Select a node or the center of an arc, not a link.";
constexpr char PICK_NO_SEPARATE_TEXT[] =
    "This version does not separate text, circles, or ellipses into individual links.\n\n"
    "Select something else.";

// The verb of an index ("" past the table).
const char* pick_verb(int verb);

int pick_link(int verb);
int pick_node(int verb);
int pick_item(int verb);
// The hovered item, asked for until it can be separated into links; null when cancelled.
DrawingItem* pick_separable_item();
