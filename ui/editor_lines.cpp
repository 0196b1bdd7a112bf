// The run loop's line commands: pasting the text clipboard as a column, moving the cursor line
// up or down, and sorting all lines or the block's lines (paragraphs as units in editors).
#include <algorithm>
#include <string>
#include <vector>

#include "store/line_fold.h"
#include "store/store_host.h"
#include "store/text_wrap.h"
#include "ui/editor_cursor.h"
#include "ui/editor_paragraphs.h"
#include "ui/editor_text.h"
#include "ui/list_window.h"
#include "ui/message_box.h"
#include "ui/run_window_commands.h"
#include "ui/run_window_keys.h"
#include "ui/text_window.h"

namespace {

void mark_changed(TextWindow* w) {
  if (g_run.replaying == 0) w->flags |= WINDOW_CHANGED;
  w->line_count = 0;
}

bool editor_window(const TextWindow* w) { return (w->flags & WINDOW_TEXT_LIST) != 0; }

// ---- Column paste -------------------------------------------------------------------------------

std::string without_newlines(std::string text) {
  text.erase(std::remove(text.begin(), text.end(), '\n'), text.end());
  return text;
}

// The line with the clipboard text put in at the screen column, as wide as the column.
std::string with_column(const std::string& line, const std::string& piece, int screen_column,
                        int width) {
  int reached = 0;
  std::string text = without_newlines(line);
  const size_t at = byte_at_screen_column(text, screen_column, &reached);
  std::string inserted = without_newlines(piece);
  if (reached >= screen_column) {
    // The line goes on past the column: the piece is padded to the column's width.
    const int shown = display_length(inserted.c_str());
    if (shown < width) inserted.append(static_cast<size_t>(width - shown), ' ');
    return text.substr(0, at) + inserted + text.substr(at) + "\n";
  }
  text.append(static_cast<size_t>(screen_column - reached), ' ');
  return text + inserted + "\n";
}

// ---- Sorting ------------------------------------------------------------------------------------

using LineGroup = std::vector<TextLine*>;

bool starts_paragraph(const TextLine* line) { return (line->kind & LINE_KIND_PARAGRAPH) != 0; }

// The lines first..last as groups: each line alone, or each paragraph with its continuation
// lines (a line that is only a newline right after a continuation line goes with it).
std::vector<LineGroup> group_lines(TextLine* first, TextLine* last, bool paragraphs) {
  std::vector<LineGroup> groups;
  for (TextLine* line = first; line != nullptr; line = line->next) {
    const bool joins = paragraphs && !groups.empty() &&
                       (!starts_paragraph(line) ||
                        (line->text == "\n" && line->prev != nullptr &&
                         !starts_paragraph(line->prev) && groups.back().size() > 1));
    if (joins)
      groups.back().push_back(line);
    else
      groups.push_back({line});
    if (line == last) break;
  }
  return groups;
}

// Sorts the groups and links their lines back in the new order where first..last stood. No line
// is copied: every byte stays in its node. A paragraph that ended the text without a newline
// gets one when it no longer comes last, so that no re-wrap joins it to the next.
void sort_groups(TextLine* first, TextLine* last, bool paragraphs, LineCompare compare) {
  // Folded runs inside come back first: a placeholder is never sorted as a line.
  bring_back_runs(first, last);
  std::vector<LineGroup> groups = group_lines(first, last, paragraphs);
  if (groups.size() < 2) return;
  std::stable_sort(groups.begin(), groups.end(), [compare](const LineGroup& a, const LineGroup& b) {
    return compare(a.front(), b.front()) < 0;
  });
  TextLine* after = first->prev;
  for (size_t g = 0; g < groups.size(); ++g) {
    for (TextLine* line : groups[g]) {
      move_line_after(line, after);
      after = line;
    }
    TextLine* tail = groups[g].back();
    if (paragraphs && !ends_with_newline(tail) && g + 1 < groups.size())
      set_line_text((tail->text + "\n").c_str(), tail);
  }
}

bool blank_line(const TextLine* line) { return line->text.empty() || line->text == "\n"; }

// In an editor the first line always starts a paragraph, whatever moved there.
void keep_first_line_a_paragraph() {
  const TextWindow* w = g_windows.active;
  if (w != nullptr && editor_window(w) && g_lists.current.first != nullptr)
    g_lists.current.first->kind |= LINE_KIND_PARAGRAPH;
}

}  // namespace

// ---- The four line moves ------------------------------------------------------------------------

void move_line_up_one(TextLine* line) {
  if (line == nullptr || line->prev == nullptr) return;
  TextLine* prev = line->prev;
  move_line_after(line, prev->prev);
  line->state |= LINE_STATE_REDRAW;
  prev->state |= LINE_STATE_REDRAW;
  if (g_windows.active != nullptr) mark_changed(g_windows.active);
  g_windows.redraw_pending = 1;
}

void move_line_down_one(TextLine* line) {
  if (line == nullptr || line->next == nullptr) return;
  TextLine* next = line->next;
  move_line_after(line, next);
  line->state |= LINE_STATE_REDRAW;
  next->state |= LINE_STATE_REDRAW;
  if (g_windows.active != nullptr) mark_changed(g_windows.active);
  g_windows.redraw_pending = 1;
}

EventCode move_line_up_visible() {
  TextLine* line = g_lists.cursor_line;
  if (line == nullptr) return 0;
  TextLine* prev = prev_visible_line(line);
  if (prev == nullptr) return 0;
  move_line_after(line, prev->prev);
  g_lists.cursor_line = prev;
  line->state |= LINE_STATE_REDRAW;
  prev->state |= LINE_STATE_REDRAW;
  g_windows.redraw_pending = 1;
  return KEY_UP;
}

EventCode move_line_down_visible() {
  TextLine* line = g_lists.cursor_line;
  if (line == nullptr) return 0;
  TextLine* next = next_visible_line(line);
  if (next == nullptr) return 0;
  move_line_after(line, next);
  g_lists.cursor_line = next;
  line->state |= LINE_STATE_REDRAW;
  next->state |= LINE_STATE_REDRAW;
  g_windows.redraw_pending = 1;
  return KEY_DOWN;
}

EventCode move_checked_lines(EventCode code) {
  if (code != WINDOW_MOVE_LINE_UP && code != WINDOW_MOVE_LINE_DOWN) return code;
  if ((g_events.modifiers & (MODIFIER_SHIFT | MODIFIER_CTRL)) == 0) return code;
  const auto checked = [](const TextLine* l) { return (l->state & LINE_STATE_CHECKED) != 0; };
  const auto move = [](TextLine* line, bool down) {
    if (line != g_lists.cursor_line) {
      if (down) move_line_down_one(line); else move_line_up_one(line);
    } else if (down ? move_line_down_visible() != 0 : move_line_up_visible() != 0) {
      if (down) editor_line_down(); else editor_line_up();  // the cursor stays on its line
    }
  };
  // The anchor is the nearest line without the check mark at the end the lines move to; every
  // checked line before it moves one line on, so the checked lines pass it as a group.
  if (code == WINDOW_MOVE_LINE_DOWN) {
    TextLine* anchor = g_lists.current.last;
    while (anchor != nullptr && !anchor->text.empty() && anchor->text[0] == '\n') anchor = anchor->prev;
    while (anchor != nullptr && checked(anchor)) anchor = anchor->prev;
    for (TextLine* line = anchor != nullptr ? anchor->prev : nullptr; line != nullptr;) {
      TextLine* prev = line->prev;
      if (checked(line)) move(line, true);
      line = prev;
    }
  } else {
    TextLine* anchor = g_lists.current.first;
    while (anchor != nullptr && checked(anchor)) anchor = anchor->next;
    for (TextLine* line = anchor != nullptr ? anchor->next : nullptr; line != nullptr;) {
      TextLine* next = line->next;
      if (checked(line)) move(line, false);
      line = next;
    }
  }
  pointer_to_cursor_row(1);
  request_full_redraw();
  return 0;
}

// ---- The run loop's actions ---------------------------------------------------------------------

RunStep paste_column(RunWindowCall* /*call*/) {
  TextWindow* w = g_windows.active;
  clear_marked_block();
  if (w == nullptr || g_lists.cursor_line == nullptr) return RUN_TAIL;
  const std::vector<LineCopy> clip = text_clipboard_lines();
  if (clip.empty()) return RUN_TAIL;
  // The width in 16 bits: a clipboard line of 255 shown characters or more keeps its width.
  int width = 0;
  for (const LineCopy& c : clip) width = std::max(width, display_length(c.text.c_str()));
  width = std::min(width + 1, static_cast<int>(LINE_TEXT_MAX));
  const int screen_column = w->cursor_column + w->horizontal_scroll;
  // Every new text is made and checked before any line changes.
  std::vector<std::pair<TextLine*, std::string>> changes;
  TextLine* line = g_lists.cursor_line;
  for (const LineCopy& c : clip) {
    if (line == nullptr || !ends_with_newline(line)) break;
    changes.emplace_back(line, with_column(line->text, c.text, screen_column, width));
    if (changes.back().second.size() > static_cast<size_t>(LINE_TEXT_MAX)) {
      report_line_too_long();
      return RUN_TAIL;
    }
    line = next_visible_line(line);
  }
  for (auto& [target, text] : changes) {
    set_line_text(text.c_str(), target);
    target->state |= LINE_STATE_REDRAW;
  }
  if (!changes.empty()) mark_changed(w);
  request_full_redraw();
  return RUN_TAIL;
}

RunStep move_line_key(RunWindowCall* call, EventCode code) {
  TextWindow* w = g_windows.active;
  if (w == nullptr) return RUN_NEXT_CODE;
  const EventCode moved =
      code == WINDOW_MOVE_LINE_UP ? move_line_up_visible() : move_line_down_visible();
  if (moved == 0) return RUN_NEXT_CODE;
  keep_first_line_a_paragraph();
  mark_changed(w);
  return move_vertically(call, moved);
}

RunStep sort_all_lines(RunWindowCall* /*call*/) {
  TextWindow* w = g_windows.active;
  if (w == nullptr || g_lists.current.first == nullptr) return RUN_TAIL;
  clear_marked_block();
  sort_groups(g_lists.current.first, fix_list_last(), editor_window(w), compare_texts_from_column);
  fix_list_first();
  fix_list_last();
  keep_first_line_a_paragraph();
  while (g_lists.current.first != nullptr && blank_line(g_lists.current.first))
    delete_line(g_lists.current.first);
  if (g_lists.current.first == nullptr) append_line("");
  if ((w->flags & (WINDOW_TEXT_LIST | WINDOW_SHOW_CONTROL_CODES)) != 0) renumber_lines();
  g_lists.cursor_line = g_lists.current.first;
  w->cursor_row = 0;
  w->text_column = 0;
  screen_column_from_text();
  mark_changed(w);
  request_full_redraw();
  g_lists.lines_changed++;
  store_window_state();
  return RUN_TAIL;
}

RunStep sort_block_lines(RunWindowCall* /*call*/) {
  TextWindow* w = g_windows.active;
  if (w == nullptr) return RUN_TAIL;
  normalize_marked_block();
  if (g_lists.block_start == nullptr || g_lists.block_end == nullptr ||
      g_lists.block_start == g_lists.block_end) {
    request_full_redraw();
    return RUN_TAIL;
  }
  show_text_box("Sorting...", TEXTBOX_CLOSE_AT_ONCE);
  const bool paragraphs = editor_window(w);
  if (paragraphs)
    widen_block_to_paragraphs();
  else
    cursor_to_block_start();
  TextLine* before = g_lists.block_start->prev;
  TextLine* after = g_lists.block_end->next;
  sort_groups(g_lists.block_start, g_lists.block_end, paragraphs,
              paragraphs ? compare_line_texts : compare_texts_from_column);
  fix_list_first();
  fix_list_last();
  keep_first_line_a_paragraph();
  if (paragraphs) renumber_lines();
  g_lists.block_start = before != nullptr ? before->next : g_lists.current.first;
  g_lists.block_end = after != nullptr ? after->prev : g_lists.current.last;
  w->block_start_column = 0;
  w->block_end_column = static_cast<int16_t>(g_lists.block_end->text.size());
  g_lists.cursor_line = g_lists.block_start;
  w->text_column = 0;
  screen_column_from_text();
  fit_cursor_row();
  g_run.marking = 0;
  mark_changed(w);
  request_full_redraw();
  g_lists.lines_changed++;
  store_window_state();
  return RUN_TAIL;
}
