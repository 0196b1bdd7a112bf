// Look-ups by id and moving lines between the current list and other chains.
#include <bitset>

#include "store/line_list.h"
#include "store/line_list_internal.h"

TextLine* find_line_by_id_from(TextLine* line, int16_t id) {
  for (; line != nullptr; line = line->next)
    if (line->id == id) return line;
  return nullptr;
}

TextLine* find_line_by_id(int16_t id) { return find_line_by_id_from(g_lists.current.first, id); }

int16_t first_unused_line_id() {
  std::bitset<LINE_ID_LAST_FREE + 1> used;
  for (TextLine* line = g_lists.current.first; line != nullptr; line = line->next)
    if (line->id >= LINE_ID_FIRST_FREE && line->id <= LINE_ID_LAST_FREE) used.set(line->id);
  for (int16_t id = LINE_ID_FIRST_FREE; id <= LINE_ID_LAST_FREE; ++id)
    if (!used.test(id)) return id;
  return 0;
}

// The extra block read as a text ends at its first zero byte or at the block's end, so a block
// without a terminator is never read past.
static bool extra_text_equals(const TextLine* line, const char* text) {
  const LineExtra& extra = line->extra;
  size_t i = 0;
  for (; i < extra.size() && extra[i] != 0; ++i)
    if (static_cast<uint8_t>(text[i]) != extra[i]) return false;
  return text[i] == '\0';
}

TextLine* find_line_by_extra_text(const char* text, TextLine* line) {
  if (text == nullptr) return nullptr;
  for (; line != nullptr; line = line->next)
    if (extra_text_equals(line, text)) return line;
  return nullptr;
}

TextLine* move_line_after(TextLine* line, TextLine* after) {
  if (line == nullptr || line == after) return line;
  if (g_lists.current.first == g_lists.current.last) return line;
  unlink_line(line);
  link_line_after(line, after);
  return line;
}

TextLine* move_line_to_list(TextLine* line, TextLine* after) {
  if (line == nullptr) return after;
  unlink_line(line);
  if (after != nullptr) {
    line->prev = after;
    line->next = after->next;
    if (after->next != nullptr) after->next->prev = line;
    after->next = line;
  }
  return line;
}

TextLine* take_line_into_list(TextLine* line, TextLine* after, TextLine** chain_first) {
  if (line == nullptr) {
    if (chain_first != nullptr) *chain_first = nullptr;
    return nullptr;
  }
  TextLine* successor = line->next;
  TextLine* head = line->prev != nullptr ? list_head_of(line->prev) : successor;
  if (chain_first != nullptr) *chain_first = head;
  unlink_line(line);
  link_line_after(line, after);
  return successor;
}

void append_chain(TextLine* first, TextLine* last) {
  if (first == nullptr || last == nullptr) return;
  LineList& c = g_lists.current;
  // Appending the current list to itself would close it into a ring.
  if (first == c.first) return;
  first->prev = c.last;
  if (c.last != nullptr)
    c.last->next = first;
  else
    c.first = first;
  c.last = last;
}

void append_list_of(TextLine* line) {
  if (line == nullptr) return;
  TextLine* last = line;
  while (last->next != nullptr) last = last->next;
  append_chain(list_head_of(line), last);
}

TextLine* append_chain_to_list_of(TextLine* line, TextLine* target) {
  if (push_list() < 0) return nullptr;
  g_lists.current.first = target;
  g_lists.current.last = target;
  fix_list_first();
  fix_list_last();
  append_list_of(line);
  TextLine* last = g_lists.current.last;
  pop_list();
  return last;
}

TextLine* append_current_list_to(TextLine* target) {
  LineList& c = g_lists.current;
  TextLine* head = c.first;
  TextLine* tail = c.last;
  TextLine* target_last = target;
  while (target_last != nullptr && target_last->next != nullptr) target_last = target_last->next;
  if (head == nullptr) return target_last;
  // A target inside the current list: the list already is the joined list.
  if (list_head_of(target) == head) return tail;
  if (target_last != nullptr) {
    target_last->next = head;
    head->prev = target_last;
  }
  clear_current_list();
  return tail;
}
