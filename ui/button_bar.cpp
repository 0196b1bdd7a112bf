#include "ui/button_bar.h"

ButtonBarState g_button_bar;

// Stand-in: draws nothing and answers Esc.
int16_t run_button_bar(int /*row*/, int /*column*/, const char* /*text*/, const char* /*letters*/,
                       int selected, uint16_t /*flags*/) {
  return selected < 0 ? static_cast<int16_t>(selected) : KEY_ESC;
}

void draw_button_label(int, const char*, const char*, int, const int*, const int*) {}

int lay_out_bar_labels(const char*, int, BarLabel*, int) { return 0; }

void reset_button_bar() { g_button_bar = ButtonBarState(); }
