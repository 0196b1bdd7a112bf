// The Drawing page as the page loop runs it: its key filter and the start-up and shutdown work
// the page loop and start-up ask of the drawing editor.
#pragma once

#include "editor/button_bindings.h"
#include "editor/editor_state.h"
#include "screen/boxes.h"
#include "screen/display_mode.h"
#include "screen/pointer.h"
#include "store/picture_numbers.h"
#include "ui/picture_menu.h"
#include "ui/placeholder_page.h"

// Stand-in: shows the page frame and the page tabs, tracks the canvas cursor over the drawing area,
// lets the right button choose the tool of the left or middle button, and leaves on a tab click
// or a quit; no drawing editor yet.
EventCode editor_page_entry();

// The drawing-tool menu the right button opens at the pointer: the chosen tool goes to the left
// button, or to the middle button when chosen with it.
inline void choose_tool_from_menu() {
  const int cell = picture_grid_menu(PICTURE_DRAWING_TOOLS_MENU, 4, 4, g_pointer.wanted_x,
                                     g_pointer.wanted_y, 1, 0, 0);
  if (cell < 0) return;
  const int button = (cell & PICTURE_MENU_MIDDLE) != 0 ? BUTTON_MIDDLE_BIT : BUTTON_LEFT_BIT;
  g_button_bindings.current[button] = static_cast<int16_t>(COMMAND_SELECT_TOOL + (cell & 31));
}

// Stand-in: no paint boxes yet, so only the side panel's column is placed.
inline void layout_paint_boxes() {
  const CellMetrics& menu = g_display.presets[FACE_ROLE_MENU];
  const CellMetrics& small = g_display.presets[FACE_ROLE_SMALL];
  // Where the small face fills the screen as the menu face does, the panel needs more columns.
  g_editor.side_panel_column = static_cast<int16_t>(menu.last_column -
                                           (menu.last_column == small.last_column ? 32 : 26));
}
// Stand-in: draws nothing yet, so there are no buffers to allocate.
inline void alloc_draw_buffers() {}
// Stand-in: keeps no undo store yet, so there is nothing to free.
inline void undo_clear() {}
