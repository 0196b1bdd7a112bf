// The protocol list: loading, saving and freeing the protocols, and the list window in which the
// user picks one, reorders them, deletes one or opens one in the protocol form.
#include <algorithm>
#include <cctype>
#include <string>
#include <vector>

#include "nc/comm_protocol.h"
#include "nc/tape_codes.h"
#include "pages/protocol_list.h"
#include "platform/files.h"
#include "screen/display_mode.h"
#include "screen/pointer.h"
#include "screen/text_output.h"
#include "store/catalogue.h"
#include "store/message_ids.h"
#include "store/text_helpers.h"
#include "ui/message_box.h"
#include "ui/pointer_motion.h"
#include "ui/popups.h"
#include "ui/run_window.h"
#include "ui/text_window.h"
#include "ui/window_frames.h"

namespace {

constexpr int LIST_TOP_ROW = 12;
constexpr int WIDE_SCREEN_COLUMNS = 100;
constexpr int LIST_WIDTH_WIDE = 40;
constexpr int LIST_WIDTH_NARROW = 20;
constexpr int ROWS_KEPT_FREE = 2;    // below the list
constexpr uint16_t LIST_OPTIONS = 120;
constexpr int LIST_WRAP = 125;

bool is_blank(const TextLine* line) { return line != nullptr && line->text.empty(); }

// The list always ends in a blank line, where a new protocol is typed in.
void keep_blank_last_line() {
  if (g_lists.current.first == nullptr) append_protocol(PROTOCOL_DEFAULT_NAME, new_protocol());
  if (!is_blank(g_lists.current.last)) append_protocol("", new_protocol());
}

int pointer_row() { return g_pointer.wanted_y / std::max<int>(1, g_display.current.cell_height); }

// Runs the protocol form on the cursor line. The code for the run loop: Up or Down from PgUp and
// PgDn in the form, 430 when the form was cancelled (the list goes too), else a redraw.
EventCode edit_cursor_protocol() {
  TextLine* line = g_lists.cursor_line;
  if (line == nullptr) return 0;
  const EventCode result = edit_protocol(line);
  keep_blank_last_line();
  request_full_redraw();
  return result != 0 ? result : WINDOW_REDRAW;
}

// Del: the cursor line goes; a list left without a protocol gets the default one back.
EventCode delete_cursor_protocol() {
  TextLine* line = g_lists.cursor_line;
  if (line == nullptr) return 0;
  delete_line(line);
  if (g_lists.current.first == nullptr || is_blank(g_lists.current.first))
    insert_line(PROTOCOL_DEFAULT_NAME, make_line_extra(new_protocol()), nullptr);
  keep_blank_last_line();
  if (g_lists.cursor_line == nullptr) g_lists.cursor_line = g_lists.current.first;
  g_protocols.modified = true;
  request_full_redraw();
  return WINDOW_REDRAW;
}

// Enter, or a click on a line: a pick takes a protocol with a name; the editor opens the form.
EventCode accept_cursor_protocol() {
  if (g_protocol_form.choose_mode == PROTOCOL_EDIT) return edit_cursor_protocol();
  if (is_blank(g_lists.cursor_line)) {
    get_message(MSG_PROTOCOL_WITHOUT_NAME);
    request_full_redraw();
    return WINDOW_REDRAW;
  }
  return WINDOW_ACCEPT;
}

// The prompt of the mode with the list's legend, left as a pop-up above the list.
void show_prompt(int mode) {
  std::vector<std::string> lines;
  message_lines_to_array(MSG_CHOOSE_PROTOCOL_PROMPTS_FIRST + mode, &lines, 4);
  std::string text;
  for (const std::string& line : lines) {
    if (!line.empty()) text += line + "\n";
  }
  text += "\n" + std::string(PROTOCOL_LIST_LEGEND);
  show_text_box(text.c_str(), TEXTBOX_TOP);
}

// The window over the protocols, cursor on the one chosen last.
TextLine* open_list_window() {
  const CellMetrics& cells = g_display.presets[FACE_ROLE_NORMAL];
  const int width = cells.last_column >= WIDE_SCREEN_COLUMNS ? LIST_WIDTH_WIDE : LIST_WIDTH_NARROW;
  const int left = std::max(1, (cells.last_column - width) / 2);
  const int count = count_lines_from(g_protocols.lines.first);
  const int top = std::min(LIST_TOP_ROW, std::max(1, cells.last_row - ROWS_KEPT_FREE - count));
  const int bottom = std::max(top, std::min(top + count - 1, cells.last_row - ROWS_KEPT_FREE));
  push_list();
  g_lists.current = g_protocols.lines;
  TextLine* node = create_window(nullptr, {
      .top_row = top, .left_column = left, .bottom_row = bottom, .right_column = left + width,
      .flags = WINDOW_KEEP_UNDER | 0x3, .key_filter = protocol_list_key,
      .line_drawer = draw_window_line, .options = LIST_OPTIONS, .legend = PROTOCOL_LIST_LETTERS,
      .wrap_width = LIST_WRAP, .title = PROTOCOL_LIST_TITLE, .list_options = LIST_OPTION_FIRST_AREA,
  });
  if (node == nullptr) g_protocols.lines = g_lists.current;
  clear_current_list();
  pop_list();
  if (node == nullptr) return nullptr;
  g_protocols.lines = LineList{};
  TextWindow* w = window_of(node);
  w->help_texts[0] = PROTOCOL_LIST_HELP;
  w->help_texts[1] = PROTOCOL_LIST_LEGEND;
  activate_window(node);
  find_and_show_line(
      g_windows.active,
      [](TextLine* line, const char* key) { return line->id == std::atoi(key) ? 0 : 1; },
      std::to_string(g_protocols.last_chosen_id).c_str());
  return node;
}

}  // namespace

// ---- The list -----------------------------------------------------------------------------------

void load_protocols() {
  const std::string folder = program_folder();
  read_protocols(folder);
  read_man_read_table(folder);
}

void save_protocols() {
  if (g_protocols.modified) write_protocols();
}

void free_protocol_names() {
  g_protocol_form.list_window = nullptr;
  free_protocols();
}

TextLine* choose_protocol(int mode) {
  g_protocol_form.choose_mode = mode;
  push_list();
  g_lists.current = g_protocols.lines;
  keep_blank_last_line();
  renumber_lines();
  g_protocols.lines = g_lists.current;
  clear_current_list();
  pop_list();

  push_active_window();
  show_prompt(mode);
  TextLine* node = open_list_window();
  g_protocol_form.list_window = node;
  // The chosen line stays the same line while its window hands the lines back.
  TextLine* chosen = node != nullptr ? const_cast<TextLine*>(run_window(node)) : nullptr;
  if (node != nullptr) g_protocols.lines = destroy_window_keeping_lines(node);
  g_protocol_form.list_window = nullptr;
  close_top_popup();
  pop_active_window();

  if (chosen != nullptr && is_blank(chosen)) chosen = nullptr;
  // Blank lines (the one for a new protocol, wherever a move took it) are no protocols: they go
  // before anything is stored.
  push_list();
  g_lists.current = g_protocols.lines;
  for (TextLine* line = g_lists.current.first; line != nullptr;)
    line = is_blank(line) ? delete_line(line) : line->next;
  ensure_a_protocol(&g_lists.current);
  renumber_lines();
  g_protocols.lines = g_lists.current;
  clear_current_list();
  pop_list();
  save_protocols();

  if (chosen == nullptr || mode == PROTOCOL_EDIT) return nullptr;
  g_protocols.last_chosen_id = chosen->id;
  return chosen;
}

EventCode protocol_list_key() {
  TextWindow* w = g_windows.active;
  for (;;) {
    const EventCode code = wait_input_code();
    switch (code) {
      case KEY_ENTER: return accept_cursor_protocol();
      case KEY_RIGHT: return edit_cursor_protocol();
      case KEY_DEL: return delete_cursor_protocol();
      case KEY_ESC:
      case EVENT_RIGHT_DOWN:
      case EVENT_QUIT: return KEY_ESC;
      case EVENT_POINTER_MOVE: follow_mouse(); continue;
      case EVENT_LEFT_DOWN: {
        const int row = pointer_row();
        if (w == nullptr || row < w->top_row || row > w->bottom_row) return KEY_ESC;
        cursor_to_pointer_y(g_pointer.wanted_y);
        return accept_cursor_protocol();
      }
      case KEY_UP: case KEY_DOWN: case KEY_PGUP: case KEY_PGDN: case KEY_HOME: case KEY_END:
      case KEY_CTRL_PGUP: case KEY_CTRL_PGDN: case EVENT_REDRAW: return code;
      // Alt+Up and Alt+Down move the protocol up or down the list.
      case KEY_UP + KEY_ALT_OFFSET:
        g_protocols.modified = true;
        return WINDOW_MOVE_LINE_UP;
      case KEY_DOWN + KEY_ALT_OFFSET:
        g_protocols.modified = true;
        return WINDOW_MOVE_LINE_DOWN;
      default: break;
    }
    // A character typed on a line opens the line's form.
    if (code > ' ' && code < 256) return edit_cursor_protocol();
  }
}

void reset_protocol_list() { g_protocol_form = ProtocolForm(); }
