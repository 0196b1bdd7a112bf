#include "ui/line_numbers.h"

#include "store/line_list.h"
#include "ui/text_window.h"

// Stand-in: numbers every line 1, 2, ... (hidden lines too) and never stops early.
int32_t number_lines(int16_t /*stop_early*/) {
  int32_t number = 0;
  for (TextLine* line = g_lists.current.first; line != nullptr; line = line->next)
    set_line_key(line, ++number);
  if (g_windows.active != nullptr) g_windows.active->line_count = number;
  return number;
}
