#include "editor/editor_page.h"

#include "editor/canvas_cursor.h"
#include "editor/view_state.h"
#include "screen/interface_settings.h"
#include "screen/main_form.h"
#include "screen/pointer.h"
#include "ui/text_window.h"

namespace {

// The drawing area lies below the page tabs, across the whole screen.
void lay_out_drawing_area() {
  g_view.area_top = 2 * g_display.presets[FACE_ROLE_NORMAL].cell_height;
  g_view.area_right = g_display.screen_width;
  if (g_display.drawing_area_bottom <= g_view.area_top) layout_page_tab_strip();
}

void draw_page() {
  hide_pointer();
  draw_placeholder_page(PAGE_DRAWING);
  // The screen was drawn again: no crosshair is on it any more.
  g_canvas_cursor.crosshair_shown = false;
  lay_out_drawing_area();
  show_pointer();
}

}  // namespace

EventCode editor_page_entry() {
  bool redraw = true;
  for (;;) {
    if (g_form.resize_pending != RESIZE_NONE) {
      set_display_mode(g_interface.display_choice);
      g_form.resize_pending = RESIZE_NONE;
      redraw = true;
    }
    if (redraw || g_form.redraw_level != 0 || g_page_requests.redraw != 0) {
      g_page_requests.redraw = 0;
      draw_page();
      redraw = false;
    }
    if (placeholder_page_quit() != 0) return KEY_ESC;
    const EventCode code = track_canvas_cursor();
    switch (code) {
      case CANVAS_PAGE_CHOSEN: return KEY_ESC;
      case EVENT_REDRAW:
      case CANVAS_REDRAW: redraw = true; break;
      case COMMAND_DRAWING_RIGHT: choose_tool_from_menu(); break;
      case KEY_ESC:
      case KEY_ALT_F:
        // The page's main and File menus; the screen under them is put back or drawn again.
        hide_crosshair();
        if (placeholder_page_event(PAGE_DRAWING, code) == EVENT_REDRAW) redraw = true;
        break;
      default: break;
    }
  }
}
