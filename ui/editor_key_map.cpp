#include "ui/editor_key_map.h"

#include <algorithm>

#include "platform/window.h"
#include "screen/interface_settings.h"
#include "screen/main_form.h"
#include "screen/pointer.h"
#include "ui/edit_buffers.h"
#include "ui/editor_cursor.h"
#include "ui/key_pushback.h"
#include "ui/list_window.h"
#include "ui/placeholder_page.h"
#include "ui/run_window.h"
#include "ui/text_window.h"
#include "ui/window_frames.h"

namespace {

struct EditorPage {
  int drawn_page = -1;  // the page whose furniture is on the screen, -1 none
};
EditorPage g_editor_page;

// The modifiers held when the key went down, not when it is read: keys and their releases may
// arrive together.
bool modifier_held(uint8_t bits) { return ((g_events.modifiers | g_events.last_modifiers) & bits) != 0; }

// The caret under the pointer, when the pointer is over the window's text.
bool caret_to_pointer() {
  const TextWindow* w = g_windows.active;
  if (w == nullptr || pointer_in_window() == 0) return false;
  cursor_to_pointer_y(g_pointer.wanted_y);
  caret_to_pointer_column(g_pointer.wanted_x);
  return true;
}

// A press on the text puts the caret there and clicks; a release ends the click or drag; a move
// with the button held takes the caret along. -1 for any other code.
EventCode pointer_on_text(EventCode code) {
  switch (code) {
    case EVENT_LEFT_DOWN: return caret_to_pointer() ? WINDOW_CLICK : 0;
    case EVENT_LEFT_UP:
      if (g_run.marking == 0 && g_run.drag_presses == 0) return 0;
      caret_to_pointer();
      return WINDOW_RELEASE;
    case EVENT_POINTER_MOVE:
      if ((g_pointer.button_bits & WINDOW_BUTTON_LEFT) == 0) return 0;
      if (g_run.marking == 0 && g_run.drag_presses == 0) return 0;
      return caret_to_pointer() ? WINDOW_NOTHING : 0;
    default: return -1;
  }
}

}  // namespace

EventCode map_user_keys(EventCode code) {
  const EventCode mapped[3] = {WINDOW_NEXT_KEY, WINDOW_PREVIOUS, 472};
  for (int i = 0; i < 3; ++i)
    if (code == g_interface.user_keys[i]) return mapped[i];
  return code;
}

EventCode map_clipboard_keys(EventCode code) {
  switch (code) {
    case KEY_DEL: {
      if (g_events.modifiers != 0) return 0;
      if (g_lists.block_start == nullptr || g_lists.block_end == nullptr) return KEY_DEL;
      normalize_marked_block();
      const TextWindow* w = g_windows.active;
      const bool empty = g_lists.block_start == g_lists.block_end && w != nullptr &&
                         w->block_start_column == w->block_end_column;
      if (!empty) return WINDOW_CUT;
      clear_marked_block();
      return 0;
    }
    case KEY_CTRL_INS: return WINDOW_APPEND_COPY;
    case KEY_CTRL_DEL:
      push_back_key(KEY_CTRL_BACKSPACE);
      return WINDOW_APPEND_COPY;
    case KEY_CTRL_C:
      return modifier_held(MODIFIER_SHIFT | MODIFIER_ALT) ? WINDOW_COPY_SYSTEM : WINDOW_COPY;
    case KEY_CTRL_V:
      return modifier_held(MODIFIER_SHIFT | MODIFIER_ALT) ? WINDOW_PASTE_SYSTEM : KEY_INS;
    case KEY_CTRL_X: return WINDOW_CUT;
    default: return 0;
  }
}

EventCode editor_page_key(int page) {
  if (g_editor_page.drawn_page != page || g_form.redraw_level != 0) {
    draw_placeholder_page(page);
    g_editor_page.drawn_page = page;
    draw_window_frame(0);
  }
  if (placeholder_page_quit() != 0) {
    g_editor_page.drawn_page = -1;
    return KEY_ESC;
  }
  const EventCode raw = wait_input_code();
  EventCode code = placeholder_page_event(page, raw);
  // The page takes moves and presses off its furniture; on the text they are the editor's.
  if (code == 0 && (raw == EVENT_LEFT_DOWN || raw == EVENT_POINTER_MOVE))
    return std::max<EventCode>(pointer_on_text(raw), 0);
  switch (code) {
    case KEY_ESC:
      g_editor_page.drawn_page = -1;
      return KEY_ESC;
    case EVENT_REDRAW:
      g_editor_page.drawn_page = -1;
      return 0;
    case KEY_CTRL_Z:
      push_back_key(modifier_held(MODIFIER_SHIFT) ? REDO_STEP : UNDO_STEP);
      return WINDOW_NOTHING;
    case KEY_CTRL_INS:
    case KEY_CTRL_DEL:
    case KEY_CTRL_C:
    case KEY_CTRL_V:
    case KEY_CTRL_X:
    case KEY_DEL: return map_clipboard_keys(code);
    default: break;
  }
  code = buffer_file_command(code);
  code = map_user_keys(code);
  if (const EventCode pointer = pointer_on_text(code); pointer >= 0) return pointer;
  // Pointer, modifier and timer events are not for the text.
  if ((code >= EVENT_LEFT_DOWN && code <= EVENT_ALT_UP) || code == EVENT_TICK) return 0;
  return code;
}

EventCode editor_pointer_code(EventCode code) { return pointer_on_text(code); }

void reset_editor_page() { g_editor_page = EditorPage(); }
