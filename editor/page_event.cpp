#include "editor/page_event.h"

#include <cctype>
#include <cstring>
#include <string>

#include "editor/button_bindings.h"
#include "editor/canvas_cursor.h"
#include "editor/page_furniture.h"
#include "geometry/geometry_settings.h"
#include "records/preferences.h"
#include "screen/event_queue.h"
#include "screen/pointer.h"
#include "ui/message_box.h"
#include "ui/popups.h"

namespace {

constexpr EventCode KEY_CTRL_B = 578;
constexpr EventCode KEY_CTRL_D = 580;
constexpr EventCode KEY_CTRL_G = 583;
constexpr EventCode KEY_CTRL_N = 590;
constexpr EventCode KEY_CTRL_R = 594;
constexpr EventCode KEY_CTRL_T = 596;
// The smallest nudge distance a user may set.
constexpr float NUDGE_LEAST = 0.001f;

// The key letters that end each key menu.
constexpr char CONTROL_KEYS[] = "\x7fOCVDSRTBNIaZG";
constexpr char ALT_KEYS[] = "EFSRDI";

std::string control_menu_text() {
  const DrawingOptions& o = g_preferences.drawing;
  const char* n = g_geometry_settings.spline_curve_view != 0 ? "hide" : "show";
  const char* b = o.show_text_boxes != 0 ? "hide" : "show";
  const char* t = o.show_tool_width != 0 ? "hide" : "show";
  std::string text =
      " \vO\x13pen a job           \vS\x13" "ave this job         Toggle zoom on \vg\x13oto     "
      "Toggle l\vi\x13nk invisible/visible\n ";
  text += std::string(b) + " text \vb\x13oxes      " + t + " \vt\x13ool width       " + n +
          " spli\vn\x13" "es             Change \vr\x13uler style\n";
  text +=
      "\fKeyboard arrow keys\x13: nudge hi-lited item up/down/left/right.            Set nudge "
      "\vd\x13istance\n \fGeometry Clipboard\x13: \vC\x13: clear clipboard and copy hi-lited "
      "item, \vV\x13: paste, \vINSERT\x13: add to clipboard\n\vBACKSPACE\x13: Wipe out "
      "hi-lited item      \x0eTip: Hold \fCTRL\x0e key to restrict movement to "
      "up/down/left/right\x13";
  return text;
}

constexpr char ALT_MENU_TEXT[] =
    " \vF\x13ile menu\n \vE\x13" "dit menu\n \vD\x13raw menu\n \vI\x13mage menu\n"
    " Help me determine tool \vs\x13izes\n \vR\x13" "educe quantity of nodes from mouse "
    "position onward";

bool ends_menu(EventCode code, const char* keys) {
  switch (code) {
    case KEY_CTRL_LEFT:
    case KEY_CTRL_RIGHT:
    case KEY_CTRL_UP:
    case KEY_CTRL_DOWN:
    case KEY_CTRL_INS:
    case EVENT_LEFT_DOWN: return true;
    default: break;
  }
  // An Alt+letter code ends the menu when its letter is one of the keys.
  const char letter = alt_key_letter(code);
  const char low = letter != 0 ? letter : static_cast<char>(code & 0xFF);
  return low != 0 && std::strchr(keys, low) != nullptr;
}

void toggle(uint8_t* flag) { *flag = *flag != 0 ? 0 : 1; }

void ask_nudge_distance() {
  float nudge = g_preferences.nudge;
  message_box(MSGBOX_CENTRE, MSGBOX_CENTRE, 40, "Nudge distance:\n\n", 0, &nudge, 10, nullptr, 0,
              nullptr);
  g_preferences.nudge = nudge > 0.0f ? nudge : NUDGE_LEAST;
}

}  // namespace

EventCode show_key_menu(const char* text, const char* keys) {
  hide_pointer();
  hide_crosshair();
  message_box(-3, 0, 0, text, MSGBOX_POPUP, nullptr, 0, nullptr, 0, nullptr);
  EventCode code = 0;
  for (;;) {
    code = wait_input_code();
    if (code == EVENT_QUIT) break;
    if ((g_events.modifiers & (MODIFIER_CTRL | MODIFIER_ALT)) == 0) break;
    if (ends_menu(code, keys)) break;
  }
  close_top_popup();
  show_crosshair();
  return code;
}

EventCode drawing_page_event() {
  for (;;) {
    EventCode code = track_canvas_cursor();
    for (;;) {
      if (code == EVENT_CTRL_DOWN) {
        const std::string text = control_menu_text();
        const EventCode ended = show_key_menu(text.c_str(), CONTROL_KEYS);
        if (ended == EVENT_LEFT_DOWN) return bound_command_of_press(EVENT_LEFT_DOWN);
        if (ended == 0 || ended == EVENT_CTRL_UP) break;
        code = ended;
        continue;
      }
      if (code == EVENT_ALT_DOWN) {
        const EventCode ended = show_key_menu(ALT_MENU_TEXT, ALT_KEYS);
        if (ended == 0) break;
        return ended;
      }
      DrawingOptions& o = g_preferences.drawing;
      switch (code) {
        case KEY_CTRL_B: toggle(&o.show_text_boxes); return EVENT_REDRAW_REQUEST;
        case KEY_CTRL_D: ask_nudge_distance(); return KEY_CTRL_D;
        case KEY_CTRL_G: toggle(&g_furniture.zoom_on_goto); return KEY_CTRL_G;
        case KEY_CTRL_N: toggle(&g_geometry_settings.spline_curve_view); return EVENT_REDRAW_REQUEST;
        case KEY_CTRL_R:
          g_furniture.ruler_style = static_cast<uint8_t>((g_furniture.ruler_style + 1) % 3);
          return EVENT_REDRAW_REQUEST;
        case KEY_CTRL_T: toggle(&o.show_tool_width); return EVENT_REDRAW_REQUEST;
        default: break;
      }
      if (code > 0 && code < 256) return static_cast<EventCode>(std::toupper(code));
      return code;
    }
  }
}
