// Shared by the parts of the text-window layer.
#pragma once

#include <cstdint>

#include "screen/display_mode.h"
#include "ui/text_window.h"

// The cell metrics of a font mode: a missing medium face gives the normal metrics, a missing small
// face the smallest, whose rows and columns fill the whole screen.
CellMetrics metrics_for_font_mode(uint8_t mode);
// Stores the rectangle and its rows and columns.
void set_rectangle(TextWindow* w, int top, int left, int bottom, int right);
