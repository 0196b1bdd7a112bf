#include "ui/form_pass.h"

#include <algorithm>

#include "screen/main_form.h"
#include "screen/screen_attributes.h"
#include "ui/dialog_form.h"

EventCode field_pass_showing_values(EventCode (*edit)(int row), void (*show)()) {
  const EventCode result = edit_current_field(edit);
  const auto draw_values = [show] {
    if (g_windows.active != nullptr)
      set_colour_base(g_windows.active->options & WINDOW_OPTION_COLOUR_MASK);
    std::fill(g_field.redraw.begin(), g_field.redraw.end(), 1);
    begin_display_pass();
    show();
  };
  if (result == EVENT_REDRAW) {
    // The repaint draws the labels anew: the values follow it.
    const EventCode code = end_field_handler(result);
    draw_values();
    return code;
  }
  draw_values();
  return end_field_handler(result);
}

int run_form_over_window(int message, WindowKeyFilter field_handler) {
  g_windows.full_redraw_count = 0;
  g_windows.redraw_pending = 0;
  const int accepted = run_dialog(message, field_handler);
  // The page around the window shows again where the form stood.
  g_form.redraw_level = 1;
  request_full_redraw();
  return accepted;
}
