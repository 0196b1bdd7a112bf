// The colour slots and the text metrics that every drawing call takes: the ten slots of the
// current colour scheme, filled from a colour base, and a stack for switching faces.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "screen/display_mode.h"

// Slots of a colour scheme, each a palette index.
constexpr int COLOUR_SLOT_TEXT = 0;
constexpr int COLOUR_SLOT_BACKGROUND = 1;
constexpr int COLOUR_SLOT_HIGHLIGHT = 2;
constexpr int COLOUR_SLOT_SELECTION = 3;
constexpr int COLOUR_SLOT_TITLE = 4;
constexpr int COLOUR_SLOT_FRAME = 5;
constexpr int COLOUR_SLOT_FRAME_INNER = 6;
constexpr int COLOUR_SLOT_SECOND = 7;
constexpr int COLOUR_SLOT_THIRD = 8;
constexpr int COLOUR_SLOT_CARET_OUTLINE = 9;
constexpr int COLOUR_SLOT_COUNT = 10;

using ColourScheme = std::array<uint8_t, COLOUR_SLOT_COUNT>;

// The stacks grow as deep as their users push: a push is never dropped.
struct ScreenAttributes {
  ColourScheme scheme = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9};  // palette index per slot
  int16_t colour_base = 0;                    // the base last given to set_colour_base
  std::vector<int16_t> colour_base_stack;     // saved colour bases, last pushed at the back
  std::vector<CellMetrics> metrics_stack;     // saved text metrics, last pushed at the back
};
inline ScreenAttributes g_attributes;

// n >= 0 becomes the colour base; the ten slots are then filled with base + 0 .. base + 9 (as
// bytes, so a base above 246 wraps into the low palette indices, and of a window's options
// word only the low byte counts).
inline void set_colour_base(int n) {
  if (n >= 0) g_attributes.colour_base = static_cast<int16_t>(n);
  for (int k = 0; k < COLOUR_SLOT_COUNT; ++k)
    g_attributes.scheme[k] = static_cast<uint8_t>(g_attributes.colour_base + k);
}

inline void push_colour_base() { g_attributes.colour_base_stack.push_back(g_attributes.colour_base); }
// Pops the colour base and fills the slots from it; an empty stack changes nothing.
inline void pop_colour_base() {
  if (g_attributes.colour_base_stack.empty()) return;
  g_attributes.colour_base = g_attributes.colour_base_stack.back();
  g_attributes.colour_base_stack.pop_back();
  set_colour_base(-1);
}

inline void push_text_metrics() { g_attributes.metrics_stack.push_back(g_display.current); }
inline void pop_text_metrics() {
  if (g_attributes.metrics_stack.empty()) return;
  g_display.current = g_attributes.metrics_stack.back();
  g_attributes.metrics_stack.pop_back();
}
inline void use_normal_font() { g_display.current = g_display.presets[FACE_ROLE_NORMAL]; }
inline void use_medium_font() { g_display.current = g_display.presets[FACE_ROLE_MENU]; }
inline void use_small_font() { g_display.current = g_display.presets[FACE_ROLE_SMALL]; }
inline void use_smallest_font() { g_display.current = g_display.presets[FACE_ROLE_TINY]; }

// Test hooks
inline void reset_screen_attributes() { g_attributes = ScreenAttributes(); }
