// The hint box: the small light-yellow box with the hint text of the control under the pointer,
// which the timer shows when the pointer rests.
#pragma once

#include <cstdint>

#include "platform/canvas.h"

constexpr int HINT_TEXT_COUNT = 199;
constexpr uint32_t HINT_BOX_FILL = 0xFFFFE6;
constexpr int PALETTE_HINT_INK = 161;

struct HintBox {
  CanvasSaveUnder under;  // the screen beneath the box
  int x = 0;              // the box, pixels
  int y = 0;
  int width = 0;
  int number = 0;         // the hint shown; 0 none
};
extern HintBox g_hint_box;

// The text of a hint number: "" for 0, the empty entries and numbers out of range.
const char* hint_text(int number);
// Shows the hint of the hovered control; returns the number shown (0 when none: hints off, no
// hovered control or no hint). A box already shown is not drawn again.
int show_hint();
// Removes the box and puts back what lay beneath.
void hide_hint();

// Test hooks
void reset_hint_box();
