// The "Here are your Editing Buffers" dialog: the buffers listed in their order, checked when F1
// and F2 show them; lines moved to reorder them; S saves, W sets the word-wrap width, R toggles
// read-only, Del closes, Enter switches to the buffer at the cursor.
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "screen/display_mode.h"
#include "screen/main_form.h"
#include "store/line_list.h"
#include "ui/buffer_windows.h"
#include "ui/edit_buffers.h"
#include "ui/editor_text.h"
#include "ui/field_flags.h"
#include "ui/list_window.h"
#include "ui/message_box.h"
#include "ui/run_window.h"
#include "ui/text_files.h"
#include "ui/text_window.h"
#include "ui/window_frames.h"

namespace {

constexpr char TITLE[] = "Here are your Editing Buffers";
constexpr char NO_NAME[] = "(no name yet)";
constexpr char NEW_EMPTY[] = " * new, empty * ";
constexpr char CHANGED_MARK[] = " \v\b&\x13";
constexpr char NUMBERED_MARK[] = " \x0e\b" "2\x13";
constexpr char ALTERNATE_MARK[] = "\x0e\b%\x13";
constexpr char READ_ONLY_MARK[] = "\x0eR\x13";
constexpr char SHOWN_CODE = 0x13;
constexpr char HIDDEN_CODE = 0x0E;
constexpr uint32_t DIALOG_FLAGS = 0x84011;
constexpr uint32_t DIALOG_LIST_OPTIONS = 0x20000092;
constexpr char DIALOG_LEGEND[] = "SWRBLMT";
constexpr uint32_t NUMBERED_LINES = 0x20000;
constexpr uint16_t READ_ONLY_COLOURS = 40;
constexpr int DIALOG_TOP = 5;
constexpr int DIALOG_LEFT = 5;
constexpr int LEAST_WRAP = 20;
constexpr int MOST_WRAP = 250;
constexpr EventCode KEY_DEL_CODE = 339;
constexpr const char* HELP_TEXTS[3] = {
    "If you want the \vF1\x13 and \vF2\x13 keys to \"see\" this editing buffer, check its box.\n"
    "Press \vspacebar\x13, \vENTER\x13, or left mouse button to check/un-check the boxes.",
    "The \vF1\x13 and \vF2\x13 keys follow the order of the editing buffers in this list.\n"
    "Move the arrow up or down to re-arrange the ordering of the editing buffers",
    "\vENTER\x13: switch to the editing buffer at the cursor bar.\n\vS\x13"
    "ave on disk      Set \vW\x13ord Wrap     Toggle \vR\x13"
    "ead-Only     \vDELETE\x13: close buffer"};

struct BuffersDialog {
  std::vector<TextLine*> buffers;  // the buffer of dialog line id k at k - 1; null once closed
  TextLine* opened_from = nullptr; // the buffer active when the dialog opened; null once closed
};
BuffersDialog g_dialog;

std::string buffer_line_text(TextLine* node) {
  const TextWindow* w = window_of(node);
  std::string text(1, (node->kind & LINE_KIND_HIDDEN) != 0 ? HIDDEN_CODE : SHOWN_CODE);
  text += w->title[0] != 0 ? w->title : NO_NAME;
  if ((w->flags & WINDOW_CHANGED) != 0) text += CHANGED_MARK;
  if ((w->flags & NUMBERED_LINES) != 0) text += NUMBERED_MARK;
  if (node == g_buffer_windows.alternate_buffer) text += ALTERNATE_MARK;
  if ((w->flags & WINDOW_READ_ONLY) != 0) text += READ_ONLY_MARK;
  return text;
}

int visible_length(const std::string& text) {
  int n = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    if (c == 0x08) {
      ++i;
      ++n;
    } else if (c != 0x0B && c != 0x0C && c != 0x0E && c != 0x13) {
      ++n;
    }
  }
  return n;
}

TextLine* buffer_of_line(const TextLine* line) {
  if (line == nullptr || line->id <= 0) return nullptr;
  const size_t k = static_cast<size_t>(line->id - 1);
  return k < g_dialog.buffers.size() ? g_dialog.buffers[k] : nullptr;
}

// Runs `action` with the buffer active, then the dialog again.
template <class Action>
auto with_buffer_active(TextLine* buffer, Action action) {
  TextLine* dialog = g_windows.active_node;
  store_window_state();
  activate_window(buffer);
  auto result = action(window_of(buffer));
  store_window_state();
  activate_window(dialog);
  return result;
}

void redraw_dialog() {
  request_full_redraw();
  draw_window_frame(0);
}

void toggle_read_only(TextLine* buffer) {
  TextWindow* w = window_of(buffer);
  w->flags ^= WINDOW_READ_ONLY;
  const bool read_only = (w->flags & WINDOW_READ_ONLY) != 0;
  w->options = read_only ? READ_ONLY_COLOURS : 0;
  if (!g_lists.cursor_line->text.empty())
    g_lists.cursor_line->text[0] = read_only ? HIDDEN_CODE : SHOWN_CODE;
  set_line_text(buffer_line_text(buffer).c_str(), g_lists.cursor_line);
  redraw_dialog();
}

void save_buffer(TextLine* buffer) {
  const int16_t result =
      with_buffer_active(buffer, [&](TextWindow*) { return save_window_file(buffer); });
  // The line shows the buffer saved only once the save has put its text under the file's name.
  if (result == 0) set_line_text(buffer_line_text(buffer).c_str(), g_lists.cursor_line);
  redraw_dialog();
}

void ask_wrap_width(TextLine* buffer) {
  TextWindow* w = window_of(buffer);
  char text[300];
  if ((w->flags & WINDOW_WORD_WRAP) != 0)
    std::snprintf(text, sizeof text,
                  "\x1d!!Its word-wrap width is %d.\n\x1d!!Enter a new value between 20 and 250.\n"
                  "Enter \v0\x13 (or leave blank) to fit the screen.\n\n",
                  w->wrap_width);
  else
    std::snprintf(text, sizeof text,
                  "It is set to word-wrap to fit the screen. To change this, enter a value "
                  "between 20 and 250.\n\n");
  int16_t width = 0;
  const int16_t answer = message_box(11, 40, 42, text, FIELD_SHORT | FIELD_SELECT_ALL, &width, 3,
                                     nullptr, 120, nullptr);
  redraw_dialog();
  if (answer == 27) return;
  if (width == 0) width = static_cast<int16_t>(w->right_column - w->left_column - 2);
  if (width < LEAST_WRAP || width > MOST_WRAP) return;
  with_buffer_active(buffer, [&](TextWindow* b) {
    b->wrap_width = width;
    b->wanted_wrap_width = width;
    b->flags |= WINDOW_WORD_WRAP;
    reformat_lines(nullptr, nullptr, width);
    return 0;
  });
  redraw_dialog();
}

void close_buffer(TextLine* buffer) {
  TextWindow* w = window_of(buffer);
  const bool unsaved =
      (w->flags & (WINDOW_CHANGED | WINDOW_READ_ONLY)) == WINDOW_CHANGED;
  TextLine* dialog = g_windows.active_node;
  store_window_state();
  activate_window(buffer);
  if (unsaved) draw_window_frame(0);
  const int result = close_edit_buffers(unsaved ? -1 : -3);
  store_window_state();
  activate_window(dialog);
  if (result == 27) {
    redraw_dialog();
    return;
  }
  // The buffer is gone: its line goes, and the dialog forgets it.
  for (TextLine*& b : g_dialog.buffers)
    if (b == buffer) b = nullptr;
  if (g_dialog.opened_from == buffer) g_dialog.opened_from = nullptr;
  TextLine* line = g_lists.cursor_line;
  g_lists.cursor_line = delete_line_or_last(line);
  if (g_lists.current.first == nullptr) {
    TextLine* fresh = append_line(NEW_EMPTY);
    fresh->state |= LINE_STATE_CHECKED;
    g_lists.cursor_line = fresh;
  }
  redraw_dialog();
}

// Puts the buffers in the order of the dialog's lines and shows those checked.
void apply_order(TextLine* dialog_first) {
  push_list();
  g_lists.current = LineList{list_head_of(g_buffers.buffer_list), nullptr};
  fix_list_last();
  TextLine* previous = nullptr;
  for (TextLine* line = dialog_first; line != nullptr; line = line->next) {
    TextLine* buffer = buffer_of_line(line);
    if (buffer == nullptr) continue;
    move_line_after(buffer, previous);
    if ((line->state & LINE_STATE_CHECKED) != 0)
      buffer->kind &= static_cast<uint8_t>(~LINE_KIND_HIDDEN);
    else
      buffer->kind |= LINE_KIND_HIDDEN;
    previous = buffer;
  }
  g_buffers.buffer_list = g_lists.current.first;
  pop_list();
}

TextLine* first_shown_buffer() {
  for (TextLine* n = list_head_of(g_buffers.buffer_list); n != nullptr; n = n->next)
    if ((n->kind & LINE_KIND_HIDDEN) == 0) return n;
  return list_head_of(g_buffers.buffer_list);
}

}  // namespace

EventCode edit_buffers_key_filter() {
  g_list.help_topic = 48;
  const EventCode code = read_list_command();
  TextLine* buffer = buffer_of_line(g_lists.cursor_line);
  switch (code) {
    case 'R':
      if (buffer != nullptr) toggle_read_only(buffer);
      return 0;
    case 'S':
      if (buffer != nullptr) save_buffer(buffer);
      return 0;
    case 'W':
      if (buffer != nullptr) ask_wrap_width(buffer);
      return 0;
    case KEY_DEL_CODE:
      if (buffer != nullptr) close_buffer(buffer);
      return 0;
    case KEY_ENTER:
    case WINDOW_ACCEPT:
      if (g_lists.cursor_line != nullptr) g_lists.cursor_line->state |= LINE_STATE_CHECKED;
      return WINDOW_ACCEPT;
    default: break;
  }
  if (code == KEY_ESC || code == 430 || (code >= 327 && code <= 337) ||
      (code >= 439 && code <= 442) || code == 473 || code == 474 || code == LIST_TOGGLED ||
      code == WINDOW_MOVE_LINE_UP || code == WINDOW_MOVE_LINE_DOWN || code == WINDOW_REDRAW ||
      code == EVENT_LEFT_DOWN)
    return code;
  return 0;
}

int edit_buffers_dialog() {
  if (g_buffers.buffer_list == nullptr) return 0;
  if (g_windows.active != nullptr) store_window_state();
  g_dialog = BuffersDialog{};
  TextLine* active = g_windows.active_node;
  push_list();
  clear_current_list();
  int widest = 0;
  int16_t active_id = 1;
  for (TextLine* node = list_head_of(g_buffers.buffer_list); node != nullptr; node = node->next) {
    if (window_of(node) == nullptr) continue;
    const std::string text = buffer_line_text(node);
    TextLine* line = append_line(text.c_str());
    g_dialog.buffers.push_back(node);
    line->id = static_cast<int16_t>(g_dialog.buffers.size());
    if ((node->kind & LINE_KIND_HIDDEN) == 0) line->state |= LINE_STATE_CHECKED;
    if (node == active) active_id = line->id;
    widest = std::max(widest, visible_length(text));
  }
  const int width = widest <= 14 ? 18 : widest + 3;
  const EditingArea area = editing_area();
  TextLine* dialog = create_window(nullptr, {
      .top_row = DIALOG_TOP, .left_column = DIALOG_LEFT, .bottom_row = DIALOG_TOP + 4,
      .right_column = std::min(DIALOG_LEFT + width + 5, std::max(area.right, DIALOG_LEFT + 20)),
      .flags = DIALOG_FLAGS, .key_filter = edit_buffers_key_filter,
      .line_drawer = draw_check_list_line, .options = 80, .legend = DIALOG_LEGEND,
      .wrap_width = 69, .title = TITLE, .list_options = DIALOG_LIST_OPTIONS,
  });
  pop_list();
  if (dialog == nullptr) return 0;
  TextWindow* dw = window_of(dialog);
  for (int k = 0; k < 3; ++k) dw->help_texts[k] = HELP_TEXTS[k];
  fit_window_rows(dw, 0, 22, 4);
  // The cursor on the active buffer's line.
  TextLine* current = dw->first_line;
  int row = 0;
  while (current != nullptr && current->id != active_id) {
    current = current->next;
    ++row;
  }
  if (current != nullptr && row <= 20) {
    dw->current_line = current;
    dw->cursor_row = static_cast<int16_t>(std::min(row, dw->rows - 1));
  }
  push_active_window();
  g_dialog.opened_from = active;
  TextLine* accepted = run_window(dialog);
  const int16_t accepted_id = accepted != nullptr ? accepted->id : 0;
  TextLine* first = window_of(dialog)->first_line;
  // The buffer the dialog was opened from may be gone: its stack entry is dropped, not used.
  const bool opened_from_kept = g_dialog.opened_from != nullptr;
  if (opened_from_kept) pop_active_window();
  else if (!g_windows.stack.empty()) g_windows.stack.pop_back();
  if (first != nullptr && first->id != 0) {
    apply_order(first);
    TextLine* target = nullptr;
    if (accepted_id > 0) target = g_dialog.buffers[static_cast<size_t>(accepted_id - 1)];
    if (target == nullptr && g_dialog.opened_from == nullptr) target = first_shown_buffer();
    TextLine* now = g_dialog.opened_from;
    if (target != nullptr && target != now) {
      if (now != nullptr) {
        store_window_state();
        g_buffer_windows.alternate_buffer = now;
        if (g_buffer_windows.two_shown == 0)
          now->state &= static_cast<uint8_t>(~LINE_STATE_ACTIVATED);
      }
      activate_window(target);
    } else if (now != nullptr) {
      activate_window(now);
    }
  } else {
    // Every buffer was closed: the new empty one stands alone over the whole area.
    activate_window(list_head_of(g_buffers.buffer_list));
    unsplit_buffers();
    g_buffer_windows.two_shown = 0;
    g_buffers.arrangement = 0;
  }
  g_buffers.buffer_to_activate = g_windows.active_node;
  destroy_window(dialog);
  if (g_buffers.buffer_to_activate != nullptr) activate_window(g_buffers.buffer_to_activate);
  g_form.redraw_level = 1;
  request_full_redraw();
  return 0;
}
