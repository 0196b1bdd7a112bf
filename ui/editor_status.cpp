#include "ui/editor_status.h"

#include <cstdio>
#include <string>

#include "screen/text_output.h"
#include "store/line_fold.h"
#include "store/line_list.h"
#include "ui/text_window.h"
#include "ui/wait_events.h"

namespace {

constexpr char GLYPH_ESCAPE = 0x08;
constexpr int GLYPH_OFFSET = 33;
constexpr char CHANGED_GLYPH = '&';    // the glyph of a changed buffer
constexpr char UNCHANGED_GLYPH = '"';  // and of one that matches its file

bool is_colour_code(unsigned char c) { return c == 0x0B || c == 0x0C || c == 0x0E || c == 0x13; }

// The decimal code under the caret, as the status shows it; "" beyond the line's text.
std::string code_under_caret(const TextWindow& w, const TextLine* line) {
  if (line == nullptr) return "";
  const std::string& text = line->text;
  size_t end = text.size();
  if (end > 0 && text[end - 1] == '\n') --end;
  const size_t at = static_cast<size_t>(w.text_column < 0 ? 0 : w.text_column);
  if (at >= end) return "";
  unsigned char c = static_cast<unsigned char>(text[at]);
  if (c == GLYPH_ESCAPE && at + 1 < end)
    c = static_cast<unsigned char>(static_cast<unsigned char>(text[at + 1]) - GLYPH_OFFSET);
  else if (is_colour_code(c) && (w.flags & WINDOW_SHOW_CONTROL_CODES) == 0 && at + 1 < end)
    c = static_cast<unsigned char>(text[at + 1]);
  return std::to_string(c);
}

// The block's size: characters within one line, lines over several, "*" when a run of text
// that is not in memory lies inside it.
std::string block_size(const TextWindow& w, const TextLine* start, const TextLine* end) {
  if (start == nullptr || end == nullptr) return "";
  if (start == end) {
    const int a = w.block_start_column < w.block_end_column ? w.block_start_column : w.block_end_column;
    const int b = w.block_start_column < w.block_end_column ? w.block_end_column : w.block_start_column;
    int visible = 0;
    for (int i = a; i < b && i < static_cast<int>(start->text.size()); ++i) {
      const unsigned char c = static_cast<unsigned char>(start->text[static_cast<size_t>(i)]);
      if (c == GLYPH_ESCAPE) ++i;
      if (!is_colour_code(c) && c != '\n') ++visible;
    }
    return std::to_string(visible) + "C";
  }
  // The block may run either way: walk from each end until the other is met.
  for (int pass = 0; pass < 2; ++pass) {
    const TextLine* from = pass == 0 ? start : end;
    const TextLine* to = pass == 0 ? end : start;
    int rows = 1;
    bool unread = false;
    for (const TextLine* l = from; l != nullptr; l = l->next) {
      if (is_placeholder(l)) unread = true;
      if (l == to) return unread ? "*" : std::to_string(rows) + "R";
      ++rows;
    }
  }
  return "*";
}

}  // namespace

std::string editor_status_text(const TextWindow& w, const TextLine* cursor_line,
                               const TextLine* block_start, const TextLine* block_end) {
  const bool marked = block_start != nullptr && block_end != nullptr;
  char text[96];
  std::snprintf(text, sizeof text, "%3d %c \b%c (%3.3s) \v%3.3s  %9.9s ",
                w.cursor_column + w.horizontal_scroll + 1,
                (w.flags & WINDOW_WORD_WRAP) != 0 ? 'W' : ' ',
                (w.flags & WINDOW_CHANGED) != 0 ? CHANGED_GLYPH : UNCHANGED_GLYPH,
                code_under_caret(w, cursor_line).c_str(),
                block_size(w, block_start, block_end).c_str(), marked ? "BLOCK" : "");
  return text;
}

void draw_editor_status() {
  const TextWindow* w = g_windows.active;
  if (w == nullptr) return;
  const std::string text =
      editor_status_text(*w, g_lists.cursor_line, g_lists.block_start, g_lists.block_end);
  draw_status_text(w->bottom_row + 1, w->left_column + 1, text.c_str());
}

EventCode wait_editor_event() {
  TextWindow* w = g_windows.active;
  if (w != nullptr) {
    if (g_lists.current.first == nullptr) {
      g_lists.cursor_line = append_line("");
      w->first_line = g_lists.current.first;
      w->last_line = g_lists.current.last;
    }
    if (pending_input_count() == 0 && (w->flags & WINDOW_READ_ONLY) != 0)
      w->flags &= ~WINDOW_CHANGED;
  }
  return wait_event_at_cursor();
}
