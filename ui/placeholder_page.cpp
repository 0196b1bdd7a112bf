#include "ui/placeholder_page.h"

#include "ui/pointer_motion.h"

#include <algorithm>
#include <string>

#include "platform/canvas.h"
#include "records/preferences.h"
#include "screen/boxes.h"
#include "screen/display_mode.h"
#include "screen/hover.h"
#include "screen/interface_settings.h"
#include "screen/main_form.h"
#include "screen/pointer.h"
#include "screen/screen_attributes.h"
#include "screen/text_output.h"
#include "ui/buffer_windows.h"
#include "ui/catalogue_menu.h"
#include "ui/page_entries.h"
#include "ui/run_window.h"
#include "ui/text_window.h"

namespace {

// Rows of the page (normal cells): its name and the caption text below the tab strip.
constexpr int PAGE_NAME_ROW = 3;
constexpr int PAGE_CAPTION_ROW = 4;
constexpr int PAGE_TEXT_COLUMN = 2;
constexpr int PALETTE_FRAME = 5;

void draw_page_frame() {
  Canvas* canvas = &g_text.screen;
  if (canvas->target == nullptr) return;
  const CellMetrics& cells = g_display.presets[FACE_ROLE_NORMAL];
  const CanvasPen pen = canvas->pen;
  const CanvasBrush brush = canvas->brush;
  canvas->pen = CanvasPen{};
  canvas->pen.colour = palette_pixel(PALETTE_FRAME);
  canvas->brush.kind = CANVAS_BRUSH_HOLLOW;
  const int top = PAGE_NAME_ROW * cells.cell_height - cells.cell_height / 2;
  canvas_draw_rect(canvas, {cells.cell_width / 2, top, canvas->target->width - cells.cell_width / 2,
                            canvas->target->height - cells.cell_height / 2});
  canvas->pen = pen;
  canvas->brush = brush;
}

void draw_placeholder(int page) {
  clear_hover();
  use_normal_font();
  clear_screen();
  draw_page_frame();
  const std::vector<PageTab>& tabs = page_tab_table();
  const std::string name =
      page >= 0 && page < static_cast<int>(tabs.size()) ? tabs[page].text : "";
  draw_text(PAGE_NAME_ROW, PAGE_TEXT_COLUMN, ("\v" + name + "\x13").c_str());
  draw_text(PAGE_CAPTION_ROW, PAGE_TEXT_COLUMN, g_tab_strip.caption.c_str());
  g_tab_strip.active = page;
  draw_page_tabs(1);
  if (g_placeholder_page.controls.empty()) append_title_buttons(&g_placeholder_page.controls);
  draw_controls(g_placeholder_page.controls.data(), 0);
  g_form.redraw_level = 0;
  g_windows.full_redraw_count = 0;
}

// The pointer's shape and hover follow what it is over.
void point_at_furniture() {
  if (hit_test_pointer(false) == HIT_NOTHING) set_pointer_shape(POINTER_ARROW);
}

}  // namespace

void draw_placeholder_page(int page) { draw_placeholder(page); }

EventCode placeholder_page_quit() {
  if (!g_events.quit_requested) return 0;
  g_events.quit_requested = false;
  // The job's question and every changed buffer's come first; the user may stay.
  const int answer = g_page_entries.request_quit != nullptr ? g_page_entries.request_quit()
                     : ask_save_every_buffer() == 0     ? KEY_ESC
                                                        : 0;
  if (answer == 0) {
    g_form.redraw_level = 1;
    return 0;
  }
  g_preferences.current_page |= PAGE_QUIT;
  return KEY_ESC;
}

namespace {

// The top row and column the File menus open at, under the page's title.
constexpr int FILE_MENU_TOP_ROW = 5;
constexpr int FILE_MENU_COLUMN = 2;

// Runs a page menu; what is chosen goes to the File-menu dispatcher. 5001: draw the page again.
EventCode run_page_menu(TextLine* menu, bool drop_down) {
  if (menu == nullptr) return 0;
  const int option = drop_down ? run_catalogue_menu(menu, -(FILE_MENU_TOP_ROW + 1), FILE_MENU_COLUMN)
                               : run_catalogue_menu(menu, 0, 0);
  if (option > 0 && g_page_entries.file_menu_command != nullptr)
    g_page_entries.file_menu_command(option);
  return EVENT_REDRAW;
}

TextLine* page_menu(TextLine* const* menus, int page) {
  return page >= 0 && page < PLACEHOLDER_PAGES ? menus[page] : nullptr;
}

}  // namespace

EventCode placeholder_page_event(int page, EventCode code) {
  switch (code) {
    case KEY_ESC: {
      TextLine* menu = page_menu(g_placeholder_page.main_menus, page);
      return menu != nullptr ? run_page_menu(menu, false) : code;
    }
    case KEY_ALT_F: {
      TextLine* menu = page_menu(g_placeholder_page.file_menus, page);
      return menu != nullptr ? run_page_menu(menu, true) : code;
    }
    case EVENT_POINTER_MOVE:
      follow_mouse();
      point_at_furniture();
      move_pointer();
      return 0;
    case EVENT_LEFT_DOWN: {
      const int hit = hit_test_pointer(true);
      if (hit >= 0 && (hit & HIT_PAGE_TAB) != 0) {
        const int tab = hit & ~HIT_PAGE_TAB;
        g_preferences.current_page = static_cast<uint8_t>(tab);
        g_tab_strip.active = tab;
        return KEY_ESC;
      }
      return 0;
    }
    default: return code;
  }
}

EventCode run_placeholder_page(int page, PageEventFilter filter) {
  bool entered = true;
  for (;;) {
    if (g_form.resize_pending != RESIZE_NONE) {
      set_display_mode(g_interface.display_choice);
      g_form.resize_pending = RESIZE_NONE;
      entered = true;
    }
    if (entered || g_form.redraw_level != 0 || g_page_requests.redraw != 0) {
      g_page_requests.redraw = 0;
      draw_placeholder(page);
      // What the resting pointer is over is hovered again on the new screen.
      if (!g_pointer.released) point_at_furniture();
      show_pointer();
      entered = false;
    }
    if (placeholder_page_quit() != 0) return KEY_ESC;
    EventCode code = wait_input_code();
    if (filter != nullptr) code = filter(code);
    if (code == 0) continue;
    code = placeholder_page_event(page, code);
    if (code == KEY_ESC) return KEY_ESC;
    if (code == EVENT_REDRAW) entered = true;
  }
}
