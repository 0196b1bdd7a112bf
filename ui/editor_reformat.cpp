// Re-wrapping: each paragraph (lines up to one that ends with a newline) is joined, cut again at
// the width, and written back into its lines; the cursor and the block ends are kept as offsets
// into the joined text, so they stay on their characters whatever moves.
#include <algorithm>
#include <string>
#include <vector>

#include "store/line_fold.h"
#include "store/text_wrap.h"
#include "ui/editor_cursor.h"
#include "ui/editor_text.h"
#include "ui/text_window.h"

namespace {

// A position inside a paragraph's joined text; `beyond` keeps a caret in the blank space after
// its line's text.
struct Anchor {
  TextLine** line;
  int16_t* column;
  int32_t offset = -1;
  int32_t beyond = 0;
};

TextLine* paragraph_start(TextLine* line) {
  while (line->prev != nullptr && !is_placeholder(line->prev) && !ends_with_newline(line->prev))
    line = line->prev;
  return line;
}

// The cut of the text from `from` for one line of `width` columns.
size_t next_cut(const std::string& text, size_t from, int width) {
  int columns = 0;
  const int stop = split_line_at_width(text.c_str() + from, width, &columns);
  size_t cut = from + static_cast<size_t>(stop);
  if (cut >= text.size()) return text.size();
  if (text[cut] == '\n') return cut + 1;
  if (columns < width) return cut;
  const int word = break_back_to_word(text.c_str(), static_cast<int>(cut), static_cast<int>(from));
  if (static_cast<size_t>(word) > from) cut = static_cast<size_t>(word);
  if (cut <= from) cut = from + 1;
  // Never between the two bytes of an escape pair.
  if (cut < text.size() && cut > from && is_escape_lead(static_cast<uint8_t>(text[cut - 1])))
    ++cut;
  return std::min(cut, text.size());
}

// The widths of a paragraph's lines and the layout its continuation lines take.
struct ParagraphLayout {
  int first_width = 0;       // columns of the first line's text
  int rest_width = 0;        // columns of each continuation line's text
  bool indented = false;     // continuation lines are indented (kind bit and byte 4)
  uint8_t indent = 0;        // their indent in cells
  uint8_t margins[3] = {};   // bytes 2, 3 and 5 they share with the first line
};

// Attribute bytes of a line's layout.
constexpr int ATTRIBUTE_LEFT_MARGIN = 2;
constexpr int ATTRIBUTE_RIGHT_MARGIN = 3;
constexpr int ATTRIBUTE_INDENT = 4;
constexpr int ATTRIBUTE_LEVEL = 5;
// A line left narrower than the least width gets this many columns.
constexpr int LEAST_WIDTH = 4;
constexpr int NARROW_WIDTH = 10;

int usable_width(int width) { return width < LEAST_WIDTH ? NARROW_WIDTH : width; }

// A paragraph with an indent kind (centred or indented) gives up its margins and indent; its
// continuation lines go in by the indent and the width of a leading label ("Note: ", "1) ").
ParagraphLayout layout_of(const TextLine* first, const std::string& text, int width) {
  ParagraphLayout layout;
  const uint8_t* a = first->attributes;
  layout.margins[0] = a[ATTRIBUTE_LEFT_MARGIN];
  layout.margins[1] = a[ATTRIBUTE_RIGHT_MARGIN];
  layout.margins[2] = a[ATTRIBUTE_LEVEL];
  layout.first_width = width;
  int indent = 0;
  if ((first->kind & (LINE_KIND_CENTRED | LINE_KIND_INDENTED)) != 0) {
    indent = a[ATTRIBUTE_INDENT];
    layout.first_width -= a[ATTRIBUTE_LEFT_MARGIN] + a[ATTRIBUTE_RIGHT_MARGIN] +
                          a[ATTRIBUTE_INDENT] + a[ATTRIBUTE_LEVEL];
    indent += leading_label_width(text.c_str());
  }
  layout.indented = indent > 0 || a[ATTRIBUTE_LEVEL] > 0;
  layout.indent = static_cast<uint8_t>(std::clamp(indent, 0, 255));
  layout.rest_width = width;
  if (layout.indented)
    layout.rest_width -= a[ATTRIBUTE_LEFT_MARGIN] + a[ATTRIBUTE_RIGHT_MARGIN] +
                         a[ATTRIBUTE_LEVEL] + indent;
  layout.first_width = usable_width(layout.first_width);
  layout.rest_width = usable_width(layout.rest_width);
  return layout;
}

// A continuation line takes the paragraph's layout; true when that changed it.
bool apply_continuation_layout(TextLine* line, const ParagraphLayout& layout) {
  const uint8_t kind = line->kind;
  const uint8_t indent = line->attributes[ATTRIBUTE_INDENT];
  line->kind &= static_cast<uint8_t>(~(LINE_KIND_PARAGRAPH | LINE_KIND_INDENTED));
  if (layout.indented) {
    line->kind |= LINE_KIND_INDENTED;
    line->attributes[ATTRIBUTE_INDENT] = layout.indent;
    line->attributes[ATTRIBUTE_LEFT_MARGIN] = layout.margins[0];
    line->attributes[ATTRIBUTE_RIGHT_MARGIN] = layout.margins[1];
    line->attributes[ATTRIBUTE_LEVEL] = layout.margins[2];
  } else {
    line->attributes[ATTRIBUTE_INDENT] = 0;
  }
  return line->kind != kind || line->attributes[ATTRIBUTE_INDENT] != indent;
}

std::vector<std::string> cut_paragraph(const std::string& text, const ParagraphLayout& layout) {
  std::vector<std::string> pieces;
  size_t from = 0;
  while (from < text.size()) {
    const int width = pieces.empty() ? layout.first_width : layout.rest_width;
    const size_t cut = next_cut(text, from, width);
    pieces.push_back(text.substr(from, cut - from));
    from = cut;
  }
  return pieces;
}

void note_anchor(Anchor& anchor, TextLine* line, int32_t line_offset) {
  if (anchor.line == nullptr || *anchor.line != line) return;
  const int32_t length = static_cast<int32_t>(line->text.size());
  anchor.offset = line_offset + std::min<int32_t>(*anchor.column, length);
  anchor.beyond = std::max<int32_t>(0, *anchor.column - length);
}

// Reformats one paragraph from `first`; returns the line after it.
TextLine* reformat_paragraph(TextLine* first, int width, std::vector<Anchor>& anchors,
                             int32_t* added) {
  std::vector<TextLine*> lines;
  std::string joined;
  for (Anchor& a : anchors) a.offset = -1;
  for (TextLine* line = first; line != nullptr && !is_placeholder(line); line = line->next) {
    lines.push_back(line);
    for (Anchor& a : anchors) note_anchor(a, line, static_cast<int32_t>(joined.size()));
    joined += line->text;
    if (ends_with_newline(line)) break;
  }
  TextLine* after = lines.back()->next;
  const ParagraphLayout layout = layout_of(lines.front(), joined, width);
  std::vector<std::string> pieces = cut_paragraph(joined, layout);
  if (pieces.empty()) {
    // An empty paragraph: its lines go, unless they are all the list has.
    if (g_lists.current.first == lines.front() && after == nullptr) {
      for (size_t i = 1; i < lines.size(); ++i) delete_line(lines[i]);
      *added -= static_cast<int32_t>(lines.size()) - 1;
      return nullptr;
    }
    for (TextLine* line : lines) delete_line(line);
    *added -= static_cast<int32_t>(lines.size());
    return after;
  }
  bool same = pieces.size() == lines.size();
  for (size_t i = 0; same && i < pieces.size(); ++i) same = pieces[i] == lines[i]->text;
  if (same) {
    for (size_t i = 1; i < lines.size(); ++i)
      if (apply_continuation_layout(lines[i], layout)) lines[i]->state |= LINE_STATE_REDRAW;
    return after;
  }

  // Write the pieces back into the lines, adding or removing lines at the end.
  const size_t old_count = lines.size();
  for (size_t i = 0; i < pieces.size(); ++i) {
    if (i < lines.size()) {
      set_line_text(pieces[i].c_str(), lines[i]);
    } else {
      TextLine* line = insert_line(pieces[i].c_str(), {}, lines[i - 1]);
      if (line == nullptr) {  // out of memory: the rest stays on the last line
        std::string rest;
        for (size_t j = i; j < pieces.size(); ++j) rest += pieces[j];
        set_line_text((lines[i - 1]->text + rest).c_str(), lines[i - 1]);
        pieces.resize(i);
        pieces.back() = lines[i - 1]->text;
        break;
      }
      lines.push_back(line);
    }
    if (i == 0)
      lines[i]->kind |= LINE_KIND_PARAGRAPH;
    else
      apply_continuation_layout(lines[i], layout);
    lines[i]->state |= LINE_STATE_REDRAW;
  }
  const TextLine* keep_last = lines[pieces.size() - 1];
  for (size_t i = pieces.size(); i < lines.size(); ++i) {
    for (Anchor& a : anchors)
      if (a.line != nullptr && *a.line == lines[i]) *a.line = const_cast<TextLine*>(keep_last);
    delete_line(lines[i]);
  }
  *added += static_cast<int32_t>(pieces.size()) - static_cast<int32_t>(old_count);
  lines.resize(pieces.size());

  // The anchors back onto their characters: an offset at a soft cut goes to the next line.
  for (Anchor& a : anchors) {
    if (a.offset < 0) continue;
    int32_t start = 0;
    for (size_t i = 0; i < lines.size(); ++i) {
      const int32_t end = start + static_cast<int32_t>(pieces[i].size());
      const bool last = i + 1 == lines.size();
      if (a.offset < end || last) {
        *a.line = lines[i];
        *a.column = static_cast<int16_t>(std::min<int32_t>(a.offset - start + a.beyond,
                                                           LINE_TEXT_MAX));
        break;
      }
      start = end;
    }
  }
  g_lists.lines_changed++;
  g_windows.redraw_pending = 1;
  return after;
}

}  // namespace

void reformat_lines(TextLine* start, TextLine* stop, int width) {
  if (width < 4 || g_lists.current.first == nullptr) return;
  TextLine* line = paragraph_start(start != nullptr ? start : g_lists.current.first);
  if (is_placeholder(line)) line = line->next;
  TextWindow* w = g_windows.active;
  std::vector<Anchor> anchors;
  if (w != nullptr && w->first_line != nullptr) {
    anchors.push_back({&g_lists.cursor_line, &w->text_column});
    if (g_lists.block_start != nullptr && g_lists.block_end != nullptr) {
      anchors.push_back({&g_lists.block_start, &w->block_start_column});
      anchors.push_back({&g_lists.block_end, &w->block_end_column});
    }
  }
  int32_t added = 0;
  // The stop line may be deleted on the way: find whether it has been passed by index.
  const int32_t stop_index = stop != nullptr ? index_of_line(stop) : -1;
  int32_t index = index_of_line(line);
  while (line != nullptr) {
    if (is_placeholder(line)) break;
    TextLine* first = line;
    int32_t lines_in = 0;
    for (TextLine* l = first; l != nullptr && !is_placeholder(l); l = l->next) {
      ++lines_in;
      if (ends_with_newline(l)) break;
    }
    const bool reaches_stop = stop == nullptr ? false : index + lines_in - 1 >= stop_index;
    const int32_t before = added;
    line = reformat_paragraph(first, width, anchors, &added);
    index += lines_in + (added - before);
    if (stop != nullptr && reaches_stop) break;
  }
  if (w != nullptr && w->first_line != nullptr) {
    screen_column_from_text();
    keep_caret_in_view();
    fit_cursor_row();
    if (added != 0) request_full_redraw();
  }
}
