#include "ui/editor_text.h"

#include <algorithm>
#include <cstring>

#include "store/line_fold.h"
#include "store/store_host.h"
#include "store/text_wrap.h"
#include "ui/message_box.h"
#include "ui/text_window.h"

bool codes_shown() {
  return g_windows.active != nullptr && (g_windows.active->flags & WINDOW_SHOW_SPACES) != 0;
}

int tab_width() { return std::max<int>(g_text_wrap.tab_width, 1); }

void report_line_too_long() { show_text_box(LINE_TOO_LONG_TEXT, TEXTBOX_TIMED | 40); }

LineCopy copy_of_line(const TextLine* line) {
  LineCopy copy;
  copy.text = line->text;
  copy.kind = line->kind;
  std::memcpy(copy.attributes, line->attributes, sizeof(copy.attributes));
  return copy;
}

namespace {

int clamp_column(const TextLine* line, int column) {
  return std::clamp(column, 0, static_cast<int>(line->text.size()));
}

// The lines after `first` up to and including `last`, deleted; the cursor line, when it was one
// of them, becomes `first`.
void delete_lines_after(TextLine* first, TextLine* last) {
  if (first == last) return;
  TextLine* line = first->next;
  for (;;) {
    TextLine* next = line->next;
    const bool was_last = line == last;
    if (g_lists.cursor_line == line) g_lists.cursor_line = first;
    delete_line(line);
    if (was_last || next == nullptr) break;
    line = next;
  }
}

}  // namespace

SpliceResult splice_text(TextLine* first, int start_column, TextLine* last, int end_column,
                         const std::vector<LineCopy>& pieces) {
  SpliceResult result;
  if (first == nullptr || last == nullptr) return result;
  start_column = clamp_column(first, start_column);
  end_column = clamp_column(last, end_column);
  const std::string head = first->text.substr(0, start_column);
  const std::string tail = last->text.substr(end_column);
  std::vector<std::string> texts;
  if (pieces.empty()) {
    texts.push_back(head + tail);
  } else {
    for (const LineCopy& piece : pieces) texts.push_back(piece.text);
    texts.front() = head + texts.front();
    texts.back() += tail;
  }
  for (const std::string& text : texts)
    if (text.size() > static_cast<size_t>(LINE_TEXT_MAX)) return result;
  const int16_t end = static_cast<int16_t>(texts.back().size() - tail.size());

  // Build the new lines first, so that memory running out changes nothing.
  std::vector<TextLine*> added;
  const uint8_t first_kind = first->kind;
  if (set_line_text(texts.front().c_str(), first) == nullptr) return result;
  TextLine* after = first;
  for (size_t i = 1; i < texts.size(); ++i) {
    TextLine* line = insert_line(texts[i].c_str(), {}, after);
    if (line == nullptr) {
      for (TextLine* made : added) delete_line(made);
      return result;
    }
    if (i < pieces.size()) {
      line->kind = pieces[i].kind;
      std::memcpy(line->attributes, pieces[i].attributes, sizeof(line->attributes));
    } else {
      line->kind = first_kind & static_cast<uint8_t>(~LINE_KIND_PARAGRAPH);
    }
    added.push_back(line);
    after = line;
  }
  // The old lines after the first, up to the old last line, go.
  if (first != last) {
    TextLine* from = after;
    delete_lines_after(from, last);
  }
  g_lists.lines_changed++;
  result.first = first;
  result.last = after;
  result.end_column = end;
  return result;
}

std::vector<LineCopy> copy_text_range(TextLine* first, int start_column, TextLine* last,
                                      int end_column) {
  std::vector<LineCopy> pieces;
  if (first == nullptr || last == nullptr) return pieces;
  start_column = clamp_column(first, start_column);
  end_column = clamp_column(last, end_column);
  for (TextLine* line = first; line != nullptr; line = line->next) {
    LineCopy piece = copy_of_line(line);
    const int from = line == first ? start_column : 0;
    const int to = line == last ? end_column : static_cast<int>(line->text.size());
    piece.text = line->text.substr(from, std::max(0, to - from));
    pieces.push_back(std::move(piece));
    if (line == last) break;
  }
  return pieces;
}

std::vector<LineCopy> text_clipboard_lines() {
  std::vector<LineCopy> lines;
  for (TextLine* line = g_lists.slots[LIST_SLOT_TEXT_CLIPBOARD].first; line != nullptr;
       line = line->next)
    lines.push_back(copy_of_line(line));
  return lines;
}

void set_text_clipboard(const std::vector<LineCopy>& lines, bool append) {
  push_list();
  load_list_slot(LIST_SLOT_TEXT_CLIPBOARD);
  if (!append) free_current_list();
  for (const LineCopy& copy : lines) {
    TextLine* line = append_line("");
    if (line == nullptr) break;
    line->text = copy.text;  // clipboard pieces are lines of the text, within the limit
    line->text_length = static_cast<int16_t>(copy.text.size());
    line->kind = copy.kind;
    std::memcpy(line->attributes, copy.attributes, sizeof(line->attributes));
  }
  renumber_lines();
  save_list_slot(LIST_SLOT_TEXT_CLIPBOARD);
  pop_list();
}

int32_t index_of_line(const TextLine* line) {
  int32_t n = 0;
  for (TextLine* l = g_lists.current.first; l != nullptr; l = l->next, ++n)
    if (l == line) return n;
  return -1;
}

void fit_cursor_row() {
  TextWindow* w = g_windows.active;
  if (w == nullptr) return;
  int above = 0;
  for (TextLine* l = g_lists.cursor_line; l != nullptr && above < w->rows; l = prev_visible_line(l))
    if (l != g_lists.cursor_line) ++above;
  w->cursor_row = static_cast<int16_t>(std::clamp<int>(w->cursor_row, 0,
                                                       std::min(above, w->rows - 1)));
}

void bring_back_runs(TextLine* first, TextLine* last) {
  // Nothing may fold behind the walk: the range must come out whole.
  ++g_fold.holding;
  for (TextLine* l = first; l != nullptr && l != last; l = l->next)
    if (l->next != nullptr && l->next->kind == LINE_KIND_PLACEHOLDER) next_visible_line(l);
  --g_fold.holding;
}
