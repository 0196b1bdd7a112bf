// Placing an accepted staircase design on the machine table: the stringer laid along the rails,
// its outline offset by the tool and, when it is longer than the table, cut into the pieces of
// two set-ups with an overlap; left and right stringers side by side; every item with its
// machining block; and marker items that stop the NC program between the stringers and between
// the set-ups (the post processor's reset section).
#pragma once

#include <cstdint>

#include "geometry/drawing_item.h"

constexpr char STAIRS_SPLIT_ERROR_TEXT[] = "Error! Couldn't figure out how to split stringer!";
constexpr char STAIRS_NO_OUTLINE_TEXT[] = "Error! The stringer's outline could not be offset by the tool.";
// Group tags: the outline (or its second set-up piece), and the outline's first set-up piece.
constexpr int16_t STAIRS_TAG_OUTLINE = 's';
constexpr int16_t STAIRS_TAG_FIRST_SETUP = 't';
// Layers the outline pieces end on.
constexpr uint8_t STAIRS_LAYER_OUTLINE_DONE = 5;
constexpr uint8_t STAIRS_LAYER_FIRST_SETUP_DONE = 6;
// Machining groups: the right stringer's lift with and without markers, the second set-up's
// lift, and the markers' groups.
constexpr int16_t STAIRS_GROUP_RIGHT_LIFT = 200;
constexpr int16_t STAIRS_GROUP_RIGHT_LIFT_NO_MARKERS = 2;
constexpr int16_t STAIRS_GROUP_SECOND_SETUP_LIFT = 20;
constexpr int16_t STAIRS_GROUP_MARKER_BETWEEN_STRINGERS = 209;
constexpr int16_t STAIRS_GROUP_MARKER_SETUPS = 29;
constexpr int16_t STAIRS_GROUP_MARKER_SETUPS_RIGHT = 229;

// Turns the list the last build left into the machine's work (see above). 0 done; -1 when the
// design could not be placed (said), the list then as far as it got.
int accept_stairs_design();

// Appends a marker item: one link inside the drawing's extents, on layer 0, machining block of
// the default kind for a centerline cut with the marker byte and the group; returns the group
// (0 when memory ran out).
int16_t append_marker_item(uint8_t marker, int16_t group);
// Deletes every item whose machining block has a non-zero marker byte; their number.
int delete_marker_items();
