// The key step shared by menus and forms.
#include "screen/display_mode.h"
#include "screen/pointer.h"
#include "ui/catalogue_menu.h"
#include "ui/list_window.h"
#include "ui/text_window.h"

EventCode menu_key_remap(EventCode code) {
  if (code <= 0) return 0;
  const TextWindow* w = g_windows.active;
  const bool fixed = w != nullptr && (w->flags & WINDOW_FIXED_LIST) != 0;
  const TextLine* line = g_lists.cursor_line;
  if (fixed && line != nullptr) {
    // The queued copy of the key goes too, so the run loop does not move past the end.
    const bool at_end = (code == KEY_UP && line->prev == nullptr) ||
                        (code == KEY_DOWN && line->next == nullptr);
    if (at_end) {
      if (poll_input_code(EVENT_PEEK_LIMIT) == code) poll_input_code(0);
      if (code == KEY_DOWN) {
        const int ch = g_display.current.cell_height;
        g_pointer.wanted_y = (w->bottom_row + 1) * ch + ch / 2;
      }
      return 0;
    }
  }
  if (code == EVENT_LEFT_DOWN) return pointer_in_window() != 0 ? KEY_ENTER : EVENT_LEFT_DOWN;
  if (code == EVENT_RIGHT_DOWN) return KEY_ESC;
  return code;
}
