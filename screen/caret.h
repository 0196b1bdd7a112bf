// Carets and colour shades: the parts the form and the text drawing call.
#pragma once

#include <algorithm>
#include <cstdlib>

#include "screen/palette.h"
#include "screen/screen_attributes.h"

// Stand-in: no caret is kept or drawn yet, so there is nothing to hide.
inline void hide_caret() {}
// Stand-in: no caret save-under is kept yet, so there is nothing to free.
inline void reset_caret() {}
// Stand-in: no caret bar is drawn yet, so none lies near a rectangle.
inline bool pointer_near_caret(int /*left*/, int /*top*/, int /*right*/, int /*bottom*/) {
  return false;
}

// A shade of a colour value: lighter for amount > 0, darker below. Greys move evenly; a colour
// moves its weaker channels less, so that it keeps its hue.
inline ColourValue contrast_of(ColourValue rgb, int amount) {
  int channel[3] = {static_cast<int>(rgb & 0xFF), static_cast<int>((rgb >> 8) & 0xFF),
                    static_cast<int>((rgb >> 16) & 0xFF)};
  const bool grey = channel[0] == channel[1] && channel[1] == channel[2];
  const int strongest = std::max({channel[0], channel[1], channel[2]});
  const int size = std::abs(amount);
  for (int& c : channel) {
    if (grey) {
      c += amount;
    } else if (strongest - c < size) {
      c += (amount / 3) * 2;
    } else if (strongest - c <= 2 * size) {
      c += amount;
    } else {
      c += (amount / 2) * 3;
    }
    c = std::clamp(c, 0, 255);
  }
  return static_cast<ColourValue>(channel[0] | (channel[1] << 8) | (channel[2] << 16));
}

// The background slot's colour, shaded.
inline ColourValue contrast_colour(int amount) {
  return contrast_of(g_palette.palette[g_attributes.scheme[COLOUR_SLOT_BACKGROUND]], amount);
}
