// The line-number command of editing buffers: the numbering settings asked for, then the marked
// block (or the whole buffer) numbered or un-numbered.
#pragma once

#include "ui/message_box.h"
#include "ui/nc_buffer_tools.h"

// Stand-in: asks only whether to add (or update) or remove the numbers; the rest of the settings keep their values for the run.
inline void sequence_numbers() {
  char words[] = "\vA\023DD/UPDATE    \vR\023EMOVE";
  const int16_t choice = message_box(MSGBOX_CENTRE, MSGBOX_CENTRE, 0, "\x1d!!Line numbers:\n",
                                     MSGBOX_CHOICE, words, g_sequence.remove ? 1 : 0, "AR", 0,
                                     nullptr);
  if (choice != 0 && choice != 1) return;
  g_sequence.remove = choice == 1;
  renumber_nc_buffer(g_sequence);
}
