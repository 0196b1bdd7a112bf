// The staircase designer's page: the staircase drawn in the drawing area, tabbed value forms in
// which the user types the values known (the rest is derived and the drawing rebuilt after each
// entry), and the two ways out: the NC program for the stringers, or the drawing handed to the
// Drawing page.
#pragma once

#include <cstdint>

#include "screen/event_queue.h"

// Button ids of the page.
constexpr uint8_t STAIRS_ID_OK = 13;
constexpr uint8_t STAIRS_ID_CANCEL = 27;
constexpr uint8_t STAIRS_ID_RESET = 114;
constexpr uint8_t STAIRS_ID_MAKE_DRAWING = 3;
constexpr uint8_t STAIRS_ID_LEFT = 4;
constexpr uint8_t STAIRS_ID_RIGHT = 5;
constexpr uint8_t STAIRS_ID_SAVE = 6;
constexpr uint8_t STAIRS_ID_OPEN = 7;
constexpr uint8_t STAIRS_ID_ZOOM_IN = 105;
constexpr uint8_t STAIRS_ID_ZOOM_OUT = 111;
constexpr uint8_t STAIRS_ID_TO_STAIRS = 115;
constexpr uint8_t STAIRS_ID_PAN = 112;

constexpr char STAIRS_PROMPT[] = "Create staircase by specify whichever variables you know.";

// Runs the designer for a kind (1, 2 or 4, as a kind word); 27 when the page loop is to change
// page (the page byte then names the NC program page or the Drawing page), 0 otherwise.
EventCode stairs_designer(int32_t kind);

// Shared by the four form handlers for a left click: the code the handler must return, or -1
// when the event was not a click.
EventCode stairs_button_click(EventCode event);
// Draws the note on the stringer's second set-up beside the forms, or clears its place.
void show_stringer_shift();
// A float field of the current row in the derived colour when the user entered neither this
// row nor one it follows from, else in the normal colour.
void show_derived_value(double value, int width, int flags);

// The form handlers.
EventCode stair_form_field();
EventCode stringer_form_field();
EventCode table_form_field();
EventCode cut_stringer_form_field();
