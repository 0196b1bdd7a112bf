// Options and shared values of the drawing editor that other subsystems read or set.
#pragma once

#include <cstdint>

// Stand-in: only the values start-up and the engines' hosts set; the editor loop that applies them comes with the drawing editor.
struct EditorState {
  uint8_t pointer_shape = 0;      // shape the editor applies on its next pass (11: no circle
                                  // could be made)
  int16_t side_panel_column = 0;  // menu-face column of the side panel's left edge: the menu
                                  // face's last column - 26
  bool grid_snap = false;         // the cursor snaps to the job's grid
  uint8_t view_toggle = 0;        // the display toggle F7 flips
};
inline EditorState g_editor;

// Stand-in: the start values the editor's loop will apply; nothing reads them yet.
struct EditorStartState {
  uint8_t option_flags[3] = {};  // three editor options, 1 at every start
  float transform_step = 0.0f;   // step of the transform commands, 5.0 at start
  uint8_t grid_indicator = 0;    // the grid indicator: the job's grid byte
  uint8_t editor_setting = 0;    // 11 at start
  uint8_t crosshair_marks[2] = {};  // 101 each while the pointer is the crosshair
};
inline EditorStartState g_editor_start;

// Test hooks
inline void reset_editor_state() {
  g_editor = EditorState{};
  g_editor_start = EditorStartState{};
}
