#include "shell/pointer.h"

PointerState g_pointer;

void show_pointer() {
  if (g_pointer.shape == 0 || g_pointer.released) {
    g_pointer.drawn_x = g_pointer.wanted_x;
    g_pointer.drawn_y = g_pointer.wanted_y;
    return;
  }
  if (g_pointer.drawn) return;
  g_pointer.drawn_x = g_pointer.wanted_x;
  g_pointer.drawn_y = g_pointer.wanted_y;
  g_pointer.drawn = true;
}

void hide_pointer() { g_pointer.drawn = false; }

void clear_hover() {}

void reset_pointer() { g_pointer = PointerState(); }
