#include "text/text_numbering.h"

#include <cstring>
#include <vector>

#include "store/line_list.h"
#include "store/record_bytes.h"
#include "text/text_items.h"
#include "text/text_layout.h"
#include "text/truetype_faces.h"

namespace {

constexpr int NUMBER_SLOTS = 65536;
constexpr int NUMBER_BIAS = 32768;
constexpr int32_t NO_NEW_NUMBER = INT32_MIN;

// The new number of every old one, by old number + 32768. A table rather than pairs: it has no
// limit on the number of linked texts, and a renumbering of 10,000 texts stays linear.
std::vector<int32_t>& new_numbers() {
  static std::vector<int32_t> table(NUMBER_SLOTS, NO_NEW_NUMBER);
  return table;
}

uint8_t* layout_bytes(const DrawingItem* item) {
  if (!line_is_text_item(item)) return nullptr;
  return block_text_layout(item_block(item));
}

bool checked(const DrawingItem* line) { return (line->state & LINE_STATE_CHECKED) != 0; }

// The line before which `line` counts as the list's end: the trailing empty line is not passed.
bool is_trailing_empty(const DrawingItem* line) {
  return line != nullptr && line->next == nullptr && text_line_is_empty(line);
}

}  // namespace

bool line_is_text_item(const DrawingItem* line) {
  return line != nullptr && line->kind > ITEM_LAST_GEOMETRY_TYPE && item_block(line) != nullptr &&
         item_block(line)->cam_kind == GEOMETRY_KIND_TEXT;
}

int16_t text_link_number(const DrawingItem* item) {
  const uint8_t* stored = layout_bytes(item);
  return stored == nullptr ? 0 : get_i16_le(stored + TL_LINK_NUMBER);
}

void set_text_link_number(DrawingItem* item, int16_t number) {
  uint8_t* stored = layout_bytes(item);
  if (stored != nullptr) put_i16_le(stored + TL_LINK_NUMBER, number);
}

int renumber_text_items(int start, int step) {
  int count = 0;
  for (TextLine* line = g_lists.current.first; line != nullptr; line = line->next)
    if (line_is_text_item(line)) ++count;
  const int64_t highest = start + static_cast<int64_t>(step) * (count > 0 ? count - 1 : 0);
  // Numbers are 16-bit in the items and in job files: a list they cannot number stays as it is.
  if (count > 0 && (highest > INT16_MAX || highest < INT16_MIN)) return -1;
  std::vector<int32_t>& table = new_numbers();
  std::vector<int16_t> touched;
  touched.reserve(static_cast<size_t>(count));
  int32_t number = start;
  for (TextLine* line = g_lists.current.first; line != nullptr; line = line->next) {
    if (!line_is_text_item(line)) continue;
    // Two texts under one old number: the later one is the one a link keeps naming.
    if (table[line->id + NUMBER_BIAS] == NO_NEW_NUMBER) touched.push_back(line->id);
    table[line->id + NUMBER_BIAS] = number;
    line->id = static_cast<int16_t>(number);
    number += step;
  }
  for (TextLine* line = g_lists.current.first; line != nullptr; line = line->next) {
    const int16_t old = text_link_number(line);
    if (old == 0) continue;
    const int32_t now = table[old + NUMBER_BIAS];
    // A link to a text no longer in the list is cleared rather than left to name whichever text
    // takes that number.
    set_text_link_number(line, static_cast<int16_t>(now == NO_NEW_NUMBER ? 0 : now));
  }
  for (int16_t old : touched) table[old + NUMBER_BIAS] = NO_NEW_NUMBER;
  return count;
}

int move_text_item_line(DrawingItem* item, int key) {
  if (item == nullptr) return 0;
  const bool up = key == 473;
  if (up && item->prev == nullptr) return 0;
  if (!up && (item->next == nullptr || is_trailing_empty(item->next))) return 0;
  // Even numbers for all, one odd number for the moving text, so the links to it can be told
  // from the links to the text it passes.
  const int count = renumber_text_items(2, 2);
  if (count < 0) return 0;
  const int16_t old = item->id;
  const auto odd = static_cast<int16_t>(2 * count + 3);
  if (line_is_text_item(item)) {
    for (TextLine* line = g_lists.current.first; line != nullptr; line = line->next)
      if (text_link_number(line) == old) set_text_link_number(line, odd);
    item->id = odd;
  }
  if (up) move_line_after(item, item->prev->prev);
  else move_line_after(item, item->next);
  renumber_text_items(1, 1);
  return 1;
}

int move_text_items(DrawingItem* current, int key, bool only_checked) {
  if (!only_checked) return move_text_item_line(current, key);
  std::vector<DrawingItem*> lines;
  for (TextLine* line = g_lists.current.first; line != nullptr; line = line->next)
    if (checked(line)) lines.push_back(line);
  int moved = 0;
  if (key == 473) {
    // Lines already at the top stay; the others move up past the unchecked line above.
    size_t k = 0;
    for (TextLine* line = g_lists.current.first; k < lines.size() && line == lines[k];
         line = line->next)
      ++k;
    for (; k < lines.size(); ++k) moved += move_text_item_line(lines[k], key);
  } else {
    // From the end: lines already at the bottom (before a trailing empty line) stay.
    TextLine* line = g_lists.current.last;
    if (is_trailing_empty(line) && !checked(line)) line = line->prev;
    size_t k = lines.size();
    while (k > 0 && line == lines[k - 1]) {
      --k;
      line = line->prev;
    }
    for (; k > 0; --k) moved += move_text_item_line(lines[k - 1], key);
  }
  return moved;
}

bool text_line_is_empty(const DrawingItem* line) {
  return line == nullptr || line->text.empty() || line->text[0] == '\n';
}

void copy_text_block(const DrawingItem* from, DrawingItem* to, size_t bytes) {
  if (!line_is_text_item(from) || !line_is_text_item(to) || from == to) return;
  GeometryBlock* source = item_block(from);
  GeometryBlock* target = item_block(to);
  // The frame part is copied only between blocks of the same link count (a vertical text has
  // one link): the header and the records beyond it must agree.
  if (bytes > TEXT_COPY_LAYOUT && source->link_count != target->link_count) bytes = TEXT_COPY_LAYOUT;
  const size_t whole = block_alloc_size(GEOMETRY_KIND_TEXT, source->link_count);
  if (bytes > whole) bytes = whole;
  const int32_t links = target->link_count;
  std::memmove(target, source, bytes);
  target->link_count = links;
  // Each line takes its own share of a TrueType face: it finds the face from its description.
  uint8_t* stored = block_text_layout(target);
  TextLayout l;
  read_text_layout(stored, &l);
  l.font_handle = layout_is_truetype(l) ? find_truetype_face(l.log_font) : 0;
  write_text_layout(l, stored);
}

int copy_previous_parameters(DrawingItem* item) {
  if (item == nullptr || item->prev == nullptr || text_line_is_empty(item->prev)) return 0;
  if (!line_is_text_item(item->prev) || !line_is_text_item(item)) return 0;
  copy_text_block(item->prev, item, TEXT_COPY_WITH_FRAME);
  return 1;
}

DrawingItem* insert_text_item_above(DrawingItem* current) {
  if (renumber_text_items(2, 2) < 0) return nullptr;
  DrawingItem* added = new_text_item();
  if (added == nullptr) {
    renumber_text_items(1, 1);
    return nullptr;
  }
  if (current != nullptr) move_line_after(added, current->prev);
  renumber_text_items(1, 1);
  copy_previous_parameters(added);
  return added;
}
