// The strip of a picking loop: while a command waits for the user to click an item, the strip
// beside the drawing offers "Done", the zoom buttons and the pan picture. Every picking loop
// reads its events through one reader, so Esc, the quit button, a quit of the program and the
// strip's buttons mean the same in all of them.
#pragma once

#include <functional>
#include <string>

#include "geometry/drawing_item.h"
#include "geometry/float2d.h"
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

// ---- A command that picks items one click after another ------------------------------------------
// What a click on an item or a key of the command's own did: not the command's (the view keys
// get it), go on picking, or end.
enum class PickStep { NOT_TAKEN, GO_ON, END };
struct ItemPicker {
  std::string prompt;                                  // shown over the drawing
  std::function<void(const DrawingItem*)> hover;       // the item under the pointer, or null
  std::function<PickStep(DrawingItem*)> pick;          // a click on an item
  std::function<void(PointF, PointF)> box;             // a box dragged from empty ground; or none
  std::function<PickStep(EventCode)> key;              // a key before the view keys; or none
};
// Binds the buttons (pick, nothing, quit), shows the help of item picking, the prompt and the
// strip, and reads events until a pick or key ends it (0) or the user does (-1: Esc, "Done",
// the quit button, a program quit); the bindings, the help and the controls are given back on
// every way out.
int run_item_picker(const ItemPicker& picker);
