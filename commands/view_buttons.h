// The zoom and pan buttons the drawing commands' panels carry ("Zoom:", IN, OUT, the whole
// drawing, Pan): appended to a panel's control table, and run when one is clicked.
#pragma once

#include <cstdint>
#include <vector>

#include "screen/controls.h"

// Ids of the view buttons in every panel that carries them.
constexpr uint8_t VIEW_BUTTON_TO_DRAWING = 100;
constexpr uint8_t VIEW_BUTTON_IN = 105;
constexpr uint8_t VIEW_BUTTON_OUT = 111;
constexpr uint8_t VIEW_BUTTON_PAN = 112;

// Where each button stands (cells; a negative column counts from the right).
struct ViewButtonPlace {
  int row = 0;
  int column = 0;
};
struct ViewButtonLayout {
  ViewButtonPlace label, in, out, to_drawing, pan;
  const char* to_drawing_caption = "to drawing";
};
// The five in one row from the column, in their usual order.
ViewButtonLayout view_buttons_in_row(int row, int column);

// Appends the label and the four buttons (before the table's end record is added).
void append_view_buttons(std::vector<ScreenControl>* table, const ViewButtonLayout& at);
// The one-row form of append_view_buttons.
void append_view_buttons(std::vector<ScreenControl>* table, int row, int column);
// Zooms or pans for a view button's id; false for any other id.
bool run_view_button(int id);
