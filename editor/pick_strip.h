// The strip of a picking loop: while a command waits for the user to click an item, the strip
// beside the drawing offers "Done", the zoom buttons and the pan picture. Every picking loop
// reads its events through one reader, so Esc, the quit button, a quit of the program and the
// strip's buttons mean the same in all of them.
#pragma once

#include "screen/event_queue.h"

// Codes of the picking buttons: a left click picks, the right button quits.
constexpr EventCode PICK_COMMAND_PICK = 801;
constexpr EventCode PICK_COMMAND_NONE = 895;
constexpr EventCode PICK_COMMAND_QUIT = 889;

// What the reader made of an event.
constexpr int STRIP_EVENT_OTHER = 0;       // not the strip's: the loop reads it itself
constexpr int STRIP_EVENT_HANDLED = 1;     // a zoom or a pan was done: the loop goes on
constexpr int STRIP_EVENT_CANCEL = -1;     // Esc, the quit button, "Done" or a program quit

// Makes the strip the active control table and draws it.
void draw_pick_strip();
// One event of a picking loop. A quit of the program is queued again for the page loop.
int read_pick_strip_event(EventCode code);
