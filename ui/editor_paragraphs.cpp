// Whole paragraphs of the marked block (indent, outdent, indent kinds and levels) and the block
// helpers that widen the block to paragraphs and take codes out of it.
#include "ui/editor_paragraphs.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "store/line_fold.h"
#include "ui/editor_cursor.h"
#include "ui/editor_text.h"
#include "ui/run_window.h"
#include "ui/text_window.h"

namespace {

// Attribute bytes of a line's layout.
constexpr int ATTRIBUTE_LEFT_MARGIN = 2;
constexpr int ATTRIBUTE_RIGHT_MARGIN = 3;
constexpr int ATTRIBUTE_INDENT = 4;
constexpr int ATTRIBUTE_LEVEL = 5;
// Indent levels stop this many columns short of the wrap width.
constexpr int LEVEL_ROOM = 20;

bool has_block() { return g_lists.block_start != nullptr && g_lists.block_end != nullptr; }
bool starts_paragraph(const TextLine* line) { return (line->kind & LINE_KIND_PARAGRAPH) != 0; }

void flag(TextLine* line) { line->state |= LINE_STATE_REDRAW; }

// A blank before the text; refused (false) when the line would grow too long.
bool indent_line(TextLine* line) {
  if (line->text.size() + 1 > static_cast<size_t>(LINE_TEXT_MAX)) return false;
  return set_line_text((" " + line->text).c_str(), line) != nullptr;
}

void outdent_line(TextLine* line) {
  if (line->text.empty() || (line->text[0] != ' ' && line->text[0] != '\t')) return;
  set_line_text(line->text.substr(1).c_str(), line);
}

void reset_layout(TextLine* line, bool centred) {
  if (centred)
    line->kind |= LINE_KIND_CENTRED;
  else
    line->kind &= static_cast<uint8_t>(~LINE_KIND_CENTRED);
  for (int i = ATTRIBUTE_LEFT_MARGIN; i <= ATTRIBUTE_LEVEL; ++i) line->attributes[i] = 0;
}

void lower_level(TextLine* line) {
  uint8_t* a = line->attributes;
  if (a[ATTRIBUTE_LEVEL] > 0) --a[ATTRIBUTE_LEVEL];
  if (a[ATTRIBUTE_LEVEL] == 0 && a[ATTRIBUTE_INDENT] == 0)
    line->kind &= static_cast<uint8_t>(~LINE_KIND_INDENTED);
}

bool raise_level(TextLine* line, int wrap_width) {
  uint8_t* a = line->attributes;
  const int used = a[ATTRIBUTE_LEFT_MARGIN] + a[ATTRIBUTE_RIGHT_MARGIN] + a[ATTRIBUTE_INDENT] +
                   a[ATTRIBUTE_LEVEL];
  if (used >= wrap_width - LEVEL_ROOM) return false;
  ++a[ATTRIBUTE_LEVEL];
  line->kind |= LINE_KIND_INDENTED;
  return true;
}

}  // namespace

TextLine* flag_paragraph_for_redraw(TextLine* line) {
  if (line == nullptr) return nullptr;
  flag(line);
  TextLine* reached = line;
  for (TextLine* l = line->next; l != nullptr && !starts_paragraph(l); l = l->next) {
    flag(l);
    reached = l;
  }
  g_windows.redraw_pending = 1;
  return reached;
}

void paragraph_block_at_cursor() {
  TextWindow* w = g_windows.active;
  if (w == nullptr || g_lists.cursor_line == nullptr) return;
  normalize_marked_block();
  if (!has_block()) {
    g_lists.block_start = g_lists.cursor_line;
    g_lists.block_end = g_lists.cursor_line;
  }
  w->block_start_column = 0;
  while (!starts_paragraph(g_lists.block_start)) {
    TextLine* prev = prev_visible_line(g_lists.block_start);
    if (prev == nullptr) break;
    g_lists.block_start = prev;
  }
  for (TextLine* next = next_visible_line(g_lists.block_end);
       next != nullptr && !starts_paragraph(next); next = next_visible_line(next))
    g_lists.block_end = next;
  w->block_end_column = static_cast<int16_t>(g_lists.block_end->text.size());
}

bool adjust_paragraph_indent(int step, int level_mode) {
  TextWindow* w = g_windows.active;
  if (w == nullptr || g_lists.cursor_line == nullptr) return false;
  paragraph_block_at_cursor();
  const bool centre = (g_lists.block_start->kind & LINE_KIND_CENTRED) == 0;
  bool changed = false;
  bool refused = false;
  int visited = 0;
  for (TextLine* line = g_lists.block_start; line != nullptr; line = next_visible_line(line)) {
    if (line == g_lists.block_start || starts_paragraph(line)) {
      const LineCopy before = copy_of_line(line);
      if (level_mode == 0 && step > 0) {
        if (!indent_line(line)) refused = true;
      } else if (level_mode == 0 && step < 0) {
        outdent_line(line);
      } else if (level_mode == 0) {
        reset_layout(line, centre);
      } else if (step > 0) {
        lower_level(line);
      } else {
        raise_level(line, w->wrap_width);
      }
      if (line->text != before.text || line->kind != before.kind ||
          std::memcmp(line->attributes, before.attributes, sizeof(before.attributes)) != 0)
        changed = true;
      flag(line);
      ++visited;
    }
    if (line == g_lists.block_end) break;
  }
  if (refused) report_line_too_long();
  w->block_end_column = static_cast<int16_t>(g_lists.block_end->text.size());
  if (changed) {
    if (visited >= w->rows - 2) request_full_redraw();
    g_lists.lines_changed++;
    g_windows.redraw_pending = 1;
  }
  return changed;
}

bool shift_paragraphs(int step) { return adjust_paragraph_indent(step, 0); }

// ---- Block helpers -----------------------------------------------------------------------------

void widen_block_to_paragraphs() {
  TextWindow* w = g_windows.active;
  if (w == nullptr || !has_block()) return;
  g_run.marking = 0;
  g_lists.cursor_line = g_lists.block_start;
  while (!starts_paragraph(g_lists.cursor_line)) {
    TextLine* prev = prev_visible_line(g_lists.cursor_line);
    if (prev == nullptr) break;
    g_lists.cursor_line = prev;
  }
  g_lists.block_start = g_lists.cursor_line;
  w->block_start_column = 0;
  for (TextLine* next = next_visible_line(g_lists.block_end);
       next != nullptr && !starts_paragraph(next); next = next_visible_line(next))
    g_lists.block_end = next;
  // The block runs to the real end of its last line.
  w->block_end_column = static_cast<int16_t>(g_lists.block_end->text.size());
}

int delete_colour_code_at_cursor() {
  TextWindow* w = g_windows.active;
  TextLine* line = g_lists.cursor_line;
  if (w == nullptr || line == nullptr) return 0;
  const std::string& text = line->text;
  const int column = w->text_column;
  int at = -1;
  if (column >= 0 && column < static_cast<int>(text.size()) &&
      is_colour_code(static_cast<uint8_t>(text[column])))
    at = column;
  else if (column > 0 && column <= static_cast<int>(text.size()) &&
           is_colour_code(static_cast<uint8_t>(text[column - 1])))
    at = column - 1;
  if (at < 0) return 0;
  std::string rest = text;
  rest.erase(static_cast<size_t>(at), 1);
  set_line_text(rest.c_str(), line);
  if (at < column) w->text_column = static_cast<int16_t>(column - 1);
  flag(line);
  g_windows.redraw_pending = 1;
  return 1;
}

void remove_chars_from_block(const char* set) {
  TextWindow* w = g_windows.active;
  if (w == nullptr || set == nullptr || !has_block()) return;
  const auto in_set = [set](char c) { return c != 0 && std::strchr(set, c) != nullptr; };
  for (TextLine* line = g_lists.block_start; line != nullptr; line = line->next) {
    const bool first = line == g_lists.block_start;
    const bool last = line == g_lists.block_end;
    const std::string& text = line->text;
    const size_t from = first ? std::min<size_t>(std::max<int16_t>(w->block_start_column, 0), text.size()) : 0;
    const size_t to = last ? std::min<size_t>(std::max<int16_t>(w->block_end_column, 0), text.size())
                           : text.size();
    std::string kept = text.substr(0, from);
    int removed = 0;
    for (size_t i = from; i < to; ++i) {
      if (in_set(text[i]))
        ++removed;
      else
        kept += text[i];
    }
    kept += text.substr(to);
    if (removed > 0) {
      set_line_text(kept.c_str(), line);  // shorter: never refused
      flag(line);
    }
    if (last) {
      w->block_end_column = static_cast<int16_t>(to - static_cast<size_t>(removed));
      break;
    }
  }
  g_windows.redraw_pending = 1;
}
