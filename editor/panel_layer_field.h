// The layer field and the layer-list button that the drawing panels share (the typed-coordinate
// strip of polyline drawing, and the offset, fillet and fuse panels): both work on a layer byte
// of the caller and on controls of the active control table, found by their index there.
#pragma once

#include <cstdint>

#include "screen/event_queue.h"

// Writes the layer into the control as "%3d" and draws it when the table is on the screen.
void show_panel_layer(int index, uint8_t layer);
// A 3-character number box on the control. A layer the list cannot take (past the user layers,
// or below 0) is refused with a message and the byte kept. When a value was taken the control
// shows it and the check box two controls further ("Same as original") is unchecked if it was
// checked. When the box was left by a left click on another control of the active table, *hit
// is set and that control's id is returned; else the box's ending code (negative when the
// value changed, as the number box gives it).
EventCode edit_panel_layer_field(int index, bool* hit, uint8_t* layer);
// The layer list placed under the layer field (`index` is the field's, whichever button opened
// the list): the chosen layer goes into the byte and the field, and the check box two controls
// after the field is unchecked. 1 when a layer was taken, 0 when not.
int pick_panel_layer(int index, uint8_t* layer);
