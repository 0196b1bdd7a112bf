#include "pages/utilities_page.h"

#include <algorithm>
#include <cstdio>

#include "pages/job_commands.h"
#include "pages/protocol_list.h"
#include "pages/stairs_designer.h"
#include "print/email.h"
#include "records/preferences.h"
#include "screen/boxes.h"
#include "screen/display_mode.h"
#include "screen/hover.h"
#include "screen/interface_settings.h"
#include "screen/main_form.h"
#include "screen/pointer.h"
#include "screen/screen_attributes.h"
#include "screen/text_output.h"
#include "ui/message_box.h"
#include "ui/placeholder_page.h"
#include "ui/popups.h"
#include "ui/text_window.h"
#include "ui/window_frames.h"

namespace {

constexpr uint32_t PICTURE_HIDDEN_REGION = CF_PICTURE | CF_HIDDEN | CF_REGION;
constexpr int FIRST_BUTTON_ROW = 4;
constexpr int MOST_GAP = 4;
constexpr int BUTTONS_A_ROW = 4;
constexpr int FILE_OPTION_PREFERENCES = 120;
constexpr EventCode PAGE_TAB_EVENT = 699;

ScreenControl picture_button(uint8_t id, int row, int column, int picture, uint32_t flags) {
  ScreenControl c = make_control("", id, row, column, 6, 8, 0, flags);
  c.style = static_cast<int16_t>(picture);
  return c;
}

std::vector<ScreenControl> make_table() {
  std::vector<ScreenControl> t = {
      picture_button(UTILITY_PREFERENCES, 4, 40, -195, CF_PICTURE),
      picture_button(UTILITY_TOOL_LIST, 4, 20, -193, CF_PICTURE),
      picture_button(UTILITY_SERIAL_PROTOCOLS, 4, 60, -194, CF_PICTURE),
      picture_button(UTILITY_DXF_LAYERS, 10, 20, -196, CF_PICTURE),
      picture_button(61, 16, 20, -198, CF_PICTURE),
      picture_button(62, 16, 40, -199, CF_PICTURE),
      picture_button(63, 16, 60, -200, CF_PICTURE),
      picture_button(0, 16, 60, 7, PICTURE_HIDDEN_REGION),
      make_control("Email\na file", MAIL_ANY_FILE, 30, 26, 2, 6, 0, 0),
      make_control("Email\nNC file", MAIL_NC_FILE, 30, 46, 2, 7, 0, 0),
      make_control("Email a\nJOB file", MAIL_JOB_FILE, 30, 66, 2, 8, 0, 0),
  };
  append_title_buttons(&t);
  return t;
}

// The notice of a button whose tool is not in the program yet: the File menu's own.
void not_there(int option) {
  char text[64];
  std::snprintf(text, sizeof text, NO_SUCH_OPTION_FORMAT, option);
  show_text_box(text, TEXTBOX_PRESS_A_KEY);
}

void draw_utilities_page() {
  g_form.redraw_level = 0;
  hide_pointer();
  g_tab_strip.active = PAGE_UTILITIES;
  use_normal_font();
  clear_screen();
  draw_page_tabs(1);
  draw_controls(g_utility_buttons.data(), 0);
  g_form.redraw_level = 0;
  redraw_popups(0);
  show_pointer();
}

EventCode act_on_button(int id) {
  switch (id) {
    case UTILITY_PREFERENCES:
      shade_screen();
      file_menu_command(FILE_OPTION_PREFERENCES);
      break;
    case UTILITY_SERIAL_PROTOCOLS:
      shade_screen();
      choose_protocol(PROTOCOL_EDIT);
      break;
    case UTILITY_TOOL_LIST:
    case UTILITY_DXF_LAYERS:
      shade_screen();
      not_there(id);
      break;
    case 61:
    case 62:
    case 63: return stairs_designer(1 << (id - UTILITY_FIRST_STAIRS));
    default: email_file(id); return 0;
  }
  ++g_form.redraw_level;
  return 0;
}

}  // namespace

std::vector<ScreenControl> g_utility_buttons = make_table();

void utilities_layout() {
  const CellMetrics& menu = g_display.presets[FACE_ROLE_MENU];
  if (menu.cell_width <= 0 || menu.cell_height <= 0) return;
  const int16_t cw = menu.cell_width;
  const int16_t ch = menu.cell_height;
  const int16_t last_column = menu.last_column;
  const int16_t last_row = menu.last_row;
  const int16_t bw = static_cast<int16_t>(UTILITY_BUTTON_WIDTH_PX / cw);
  const int16_t hg = static_cast<int16_t>(std::min((last_column - 4 * bw) / 4, MOST_GAP));
  const int16_t left = static_cast<int16_t>((last_column - 4 * bw - 3 * hg) / 2);
  const int16_t vg = static_cast<int16_t>(
      std::min((last_row - 8 - 3 * UTILITY_BUTTON_HEIGHT_PX / ch) / 4, MOST_GAP));
  int16_t row = FIRST_BUTTON_ROW;
  int16_t column = left;
  int counter = 0;
  for (ScreenControl& c : g_utility_buttons) {
    if (c.flags == CF_END || (c.flags & CF_PICTURE) == 0) break;
    c.column = column;
    c.row = row;
    column = static_cast<int16_t>(column + bw + hg);
    if (++counter == BUTTONS_A_ROW) {
      counter = 0;
      column = left;
      row = static_cast<int16_t>(row + UTILITY_BUTTON_HEIGHT_PX / ch + vg);
    }
  }
}

EventCode utilities_page_loop() {
  for (;;) {
    if (g_form.resize_pending != RESIZE_NONE) {
      set_display_mode(g_interface.display_choice);
      g_form.resize_pending = RESIZE_NONE;
      return KEY_ESC;
    }
    if (g_form.redraw_level != 0 || g_page_requests.redraw != 0) {
      if (g_form.redraw_level == 'm') return KEY_ESC;
      g_page_requests.redraw = 0;
      draw_utilities_page();
    }
    if (placeholder_page_quit() != 0) return KEY_ESC;
    move_pointer();
    const EventCode code = wait_input_code();
    switch (code) {
      case KEY_ESC: return 0;
      case EVENT_LEFT_DOWN: {
        const int hit = hit_test_pointer(true);
        if (hit < 0) break;
        if ((hit & HIT_PAGE_TAB) != 0) {
          const int tab = hit & 0xFF;
          if (tab == g_tab_strip.active) break;
          g_preferences.current_page = static_cast<uint8_t>(tab);
          g_tab_strip.active = tab;
          return KEY_ESC;
        }
        const EventCode result = act_on_button(hit & 0xFF);
        if (result != 0) return result;
        break;
      }
      case EVENT_POINTER_MOVE: placeholder_page_event(PAGE_UTILITIES, code); break;
      case PAGE_TAB_EVENT: return KEY_ESC;
      default: break;
    }
  }
}
