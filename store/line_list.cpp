#include "store/line_list.h"

#include <memory>

#include "store/line_fold.h"
#include "store/line_list_internal.h"

ListStore g_lists;

void reset_list_store() { g_lists = ListStore{}; }

// ---- Link surgery -----------------------------------------------------------------------------

void unlink_line(TextLine* line) {
  ListStore& s = g_lists;
  if (line->prev != nullptr)
    line->prev->next = line->next;
  else if (s.current.first == line)
    s.current.first = line->next;
  if (line->next != nullptr)
    line->next->prev = line->prev;
  else if (s.current.last == line)
    s.current.last = line->prev;
  line->prev = nullptr;
  line->next = nullptr;
}

void link_line_after(TextLine* line, TextLine* after) {
  ListStore& s = g_lists;
  if (after == nullptr) {
    line->prev = nullptr;
    line->next = s.current.first;
    if (s.current.first != nullptr) s.current.first->prev = line;
    s.current.first = line;
    if (s.current.last == nullptr) s.current.last = line;
    return;
  }
  line->prev = after;
  line->next = after->next;
  if (after->next != nullptr)
    after->next->prev = line;
  else
    s.current.last = line;
  after->next = line;
}

// ---- Creating and re-texting lines ------------------------------------------------------------

// A loose node holding a copy of the text; null when the text is too long or memory runs out.
static TextLine* make_line(const char* text, LineExtra&& extra) {
  const size_t length = text != nullptr ? std::strlen(text) : 0;
  if (length > static_cast<size_t>(LINE_TEXT_MAX)) return nullptr;
  try {
    auto line = std::make_unique<TextLine>();
    line->text.assign(text != nullptr ? text : "", length);
    line->text_length = static_cast<int16_t>(length);
    line->extra = std::move(extra);
    return line.release();
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}

TextLine* append_line(const char* text, LineExtra extra) {
  TextLine* line = make_line(text, std::move(extra));
  if (line != nullptr) link_line_after(line, g_lists.current.last);
  return line;
}

TextLine* insert_line(const char* text, LineExtra extra, TextLine* after) {
  TextLine* line = make_line(text, std::move(extra));
  if (line == nullptr) return nullptr;
  if (after != nullptr) {
    std::memcpy(line->attributes, after->attributes, LINE_ATTRIBUTES_COPIED);
    line->kind = after->kind & LINE_KIND_COPIED_MASK;
  }
  // Behind the tail (or into an empty list) the line is appended to the current list.
  if (after != nullptr && after->next == nullptr)
    link_line_after(line, g_lists.current.last);
  else
    link_line_after(line, after);
  return line;
}

TextLine* set_line_text(const char* text, TextLine* line) {
  if (line == nullptr) return nullptr;
  const size_t length = text != nullptr ? std::strlen(text) : 0;
  if (length > static_cast<size_t>(LINE_TEXT_MAX)) return line;
  try {
    // Copied first: the new text may be a part of the line's own text.
    std::string copy(text != nullptr ? text : "", length);
    line->text.swap(copy);
    line->text_length = static_cast<int16_t>(length);
  } catch (const std::bad_alloc&) {
  }
  return line;
}

// ---- Deleting lines ---------------------------------------------------------------------------

TextLine* delete_line(TextLine* line) {
  if (line == nullptr) return nullptr;
  ListStore& s = g_lists;
  TextLine* successor = line->next;
  unlink_line(line);
  if (s.cursor_line == line) s.cursor_line = successor != nullptr ? successor : s.current.last;
  // The marked block is the caller's to clear; a freed end must not be left to dangle.
  if (s.block_start == line) s.block_start = nullptr;
  if (s.block_end == line) s.block_end = nullptr;
  if (line->kind == LINE_KIND_PLACEHOLDER) release_fold_record(line);
  delete line;
  return successor;
}

TextLine* delete_line_or_last(TextLine* line) {
  if (line == nullptr) return nullptr;
  TextLine* successor = delete_line(line);
  return successor != nullptr ? successor : g_lists.current.last;
}

void free_list(TextLine* line) {
  TextLine* head = list_head_of(line);
  while (head != nullptr) head = delete_line(head);
}

void free_current_list() {
  free_list(g_lists.current.first != nullptr ? g_lists.current.first : g_lists.current.last);
  clear_current_list();
}

void clear_current_list() { g_lists.current = LineList{}; }

int32_t delete_checked_lines() {
  int32_t deleted = 0;
  TextLine* line = g_lists.current.first;
  while (line != nullptr) {
    TextLine* next = line->next;
    if ((line->state & LINE_STATE_CHECKED) != 0) {
      delete_line(line);
      ++deleted;
    }
    line = next;
  }
  return deleted;
}

// ---- List stack and slots ---------------------------------------------------------------------

int push_list() {
  try {
    g_lists.stack.push_back(g_lists.current);
  } catch (const std::bad_alloc&) {
    return -1;
  }
  return static_cast<int>(g_lists.stack.size());
}

int pop_list() {
  if (g_lists.stack.empty()) return 0;
  g_lists.current = g_lists.stack.back();
  g_lists.stack.pop_back();
  return 1;
}

static bool slot_in_range(int n) { return n >= 0 && n < LIST_SLOT_COUNT; }

int save_list_slot(int n) {
  if (!slot_in_range(n)) return 0;
  g_lists.slots[n] = g_lists.current;
  return 1;
}

int load_list_slot(int n) {
  if (!slot_in_range(n)) return 0;
  g_lists.current = g_lists.slots[n];
  return 1;
}

// ---- Ends, counts and look-ups ---------------------------------------------------------------

TextLine* fix_list_first() {
  LineList& c = g_lists.current;
  TextLine* line = c.first != nullptr ? c.first : c.last;
  while (line != nullptr && line->prev != nullptr) line = line->prev;
  c.first = line;
  return line;
}

TextLine* fix_list_last() {
  LineList& c = g_lists.current;
  TextLine* line = c.last != nullptr ? c.last : c.first;
  while (line != nullptr && line->next != nullptr) line = line->next;
  c.last = line;
  return line;
}

TextLine* list_head_of(TextLine* line) {
  while (line != nullptr && line->prev != nullptr) line = line->prev;
  return line;
}

TextLine* nth_line(int32_t n) {
  if (n < 0) return nullptr;
  TextLine* line = g_lists.current.first;
  while (line != nullptr && n-- > 0) line = line->next;
  return line;
}

int32_t count_lines_from(TextLine* line) {
  int32_t count = 0;
  for (; line != nullptr; line = line->next) ++count;
  return count;
}

int32_t count_current_lines() { return count_lines_from(g_lists.current.first); }

int32_t count_visible_lines() {
  int32_t count = 0;
  for (TextLine* line = g_lists.current.first; line != nullptr; line = next_visible_line(line))
    ++count;
  return count;
}

int32_t count_checked_lines() {
  int32_t count = 0;
  for (TextLine* line = g_lists.current.first; line != nullptr; line = line->next)
    if ((line->state & LINE_STATE_CHECKED) != 0) ++count;
  return count;
}

int any_line_checked() {
  for (TextLine* line = g_lists.current.first; line != nullptr; line = line->next)
    if ((line->state & LINE_STATE_CHECKED) != 0) return 1;
  return 0;
}

void clear_line_states() {
  for (TextLine* line = g_lists.current.first; line != nullptr; line = line->next) line->state = 0;
}

int32_t renumber_lines() {
  int32_t count = 0;
  for (TextLine* line = g_lists.current.first; line != nullptr; line = line->next) {
    ++count;
    // Ids are 16 bits; on longer lists they stay at the top value instead of wrapping negative.
    line->id = static_cast<int16_t>(count < INT16_MAX ? count : INT16_MAX);
  }
  return count;
}

int32_t line_key(const TextLine* line) {
  if (line == nullptr) return 0;
  const uint8_t* b = line->attributes + LINE_KEY_OFFSET;
  const uint32_t value = static_cast<uint32_t>(b[0]) | static_cast<uint32_t>(b[1]) << 8 |
                         static_cast<uint32_t>(b[2]) << 16 | static_cast<uint32_t>(b[3]) << 24;
  return static_cast<int32_t>(value);
}

void set_line_key(TextLine* line, int32_t key) {
  if (line == nullptr) return;
  const uint32_t value = static_cast<uint32_t>(key);
  uint8_t* b = line->attributes + LINE_KEY_OFFSET;
  for (int i = 0; i < 4; ++i) b[i] = static_cast<uint8_t>(value >> (8 * i));
}

TextLine* find_line_by_key(int32_t key) {
  for (TextLine* line = g_lists.current.first; line != nullptr; line = line->next)
    if (line_key(line) == key) return line;
  return nullptr;
}
