// MOVE, the command of m with nothing hovered: nodes, links or items, by dragging or by a typed
// value, with the nodes marked by a box.
#pragma once

#include <cstdint>

#include "editor/coord_entry.h"

struct MovePanelState {
  char text[COORD_TEXT_MOST + 1] = {};  // the typed value of the panel's entry field
  uint8_t state = 0;                    // 0x10: marked nodes exist (after a marking)
  bool box_marked = false;              // a box marked nodes in this run: their earlier marks
                                        // were saved, and all become saved marks at the end
};
extern MovePanelState g_move_panel;

// The MOVE command; 0.
int move_command();
// Selects Node (1), Link (2) or Item (3) and brings the panel up to date.
void select_move_target(int n);
// The bindings, hover filter, label and mark buttons of the selected target.
void update_move_panel();
// Shows "Un-Mark nodes", "By dragging" and "By value" in Node mode while nodes are marked.
void update_move_mark_buttons();

// Test hooks
void reset_move_panel();
// The pixel at the middle of the panel's control `id` (-1, -1 when there is none).
void move_panel_control_centre(int id, int* x, int* y);
