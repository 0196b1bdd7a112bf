#include "ui/line_fold.h"

#include <cstring>

#include "screen/display_mode.h"
#include "store/line_fold.h"
#include "ui/editor_text.h"
#include "ui/editor_undo.h"
#include "ui/text_window.h"

void connect_fold_window(TextWindow* w) {
  if (w == nullptr) {
    g_fold.window = FoldWindow{};
    return;
  }
  g_fold.window.folds = (w->flags & WINDOW_TEXT_LIST) != 0;
  g_fold.window.file = w->file;
  g_fold.window.wrap_width = &w->wrap_width;
  g_fold.window.flags = &w->flags;
  g_fold.window.line_count = &w->line_count;
  g_fold.window.reformat = reformat_lines;
  g_fold.window.lines_came_back = note_unread_text_read;
  const int rows = g_display.current.last_row + 1;
  g_fold.screen_rows = static_cast<int16_t>(rows > 0 ? rows : 25);
}

namespace {

void set_folder_mark(TextLine* line, unsigned char mark) {
  if (line == nullptr || line->text_length < 2) return;
  std::string text = line->text;
  text[1] = static_cast<char>(mark);
  set_line_text(text.c_str(), line);
  line->state |= LINE_STATE_REDRAW;
}

void mark_window_changed() {
  if (g_windows.active != nullptr) g_windows.active->flags |= WINDOW_CHANGED;
}

}  // namespace

int show_sub_folders() {
  TextLine* cursor = g_lists.cursor_line;
  if (cursor == nullptr || cursor->id > 0) return -1;
  TextLine* next = cursor->next;
  if (next == nullptr || next->id == 0 || (next->kind & LINE_KIND_HIDDEN) == 0) return -1;
  for (TextLine* l = next; l != nullptr && l->id != 0; l = l->next)
    l->kind = static_cast<uint8_t>(l->kind & ~LINE_KIND_HIDDEN);
  set_folder_mark(cursor, FOLDER_MARK_OPEN);
  mark_window_changed();
  ++g_lists.lines_changed;
  return 0;
}

int hide_sub_folders() {
  TextLine* cursor = g_lists.cursor_line;
  if (cursor == nullptr || cursor->id < 0) return 0;
  bool hid = false;
  for (TextLine* l = cursor->next; l != nullptr && l->id > 0; l = l->next) {
    hid = hid || (l->kind & LINE_KIND_HIDDEN) == 0;
    l->kind |= LINE_KIND_HIDDEN;
  }
  TextWindow* w = g_windows.active;
  while (cursor->id > 0 && cursor->prev != nullptr) {
    hid = hid || (cursor->kind & LINE_KIND_HIDDEN) == 0;
    cursor->kind |= LINE_KIND_HIDDEN;
    cursor = cursor->prev;
    if (w != nullptr && w->cursor_row > 2) --w->cursor_row;
  }
  g_lists.cursor_line = cursor;
  set_folder_mark(cursor, FOLDER_MARK_CLOSED);
  mark_window_changed();
  if (hid) ++g_lists.lines_changed;
  return hid ? 1 : 0;
}

int remember_drive_folder(char drive, std::string* table, int entries) {
  const int index = drive - 'A';
  const TextLine* cursor = g_lists.cursor_line;
  if (table == nullptr || drive < 'C' || index >= entries || cursor == nullptr ||
      cursor->extra.empty())
    return -1;
  const char* path = reinterpret_cast<const char*>(cursor->extra.data());
  table[index] = std::string(path, strnlen(path, cursor->extra.size()));
  return 0;
}
