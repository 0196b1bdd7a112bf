// Turning the G-code program of the active buffer into an engraver plotter file in the same
// buffer, through a back-plot of it.
#pragma once

#include "ui/message_box.h"

// Stand-in: converts nothing; says so and answers 27, as for a program with nothing to convert.
inline int nc_to_plotter_code(bool absolute_arc_centres) {
  (void)absolute_arc_centres;
  show_text_box("Converting a G-code program into plotter code is not in the program yet.",
                TEXTBOX_PRESS_A_KEY);
  return 27;
}
