#include "store/line_fold.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>

#include "store/file_reader.h"
#include "store/store_host.h"
#include "store/catalogue.h"
#include "store/message_ids.h"
#include "store/text_loading.h"

FoldState g_fold;

namespace {

constexpr size_t SLOT_BYTES = (FOLD_SLOT_COUNT + 7) / 8;

void ensure_slot_map() {
  if (g_fold.slots.size() < SLOT_BYTES) g_fold.slots.assign(SLOT_BYTES, 0);
}

// The lowest free slot, taken; -1 when every slot is taken.
int take_slot() {
  ensure_slot_map();
  for (size_t byte = 0; byte < SLOT_BYTES; ++byte) {
    if (g_fold.slots[byte] == 0xFF) continue;
    for (int bit = 0; bit < 8; ++bit) {
      const int slot = static_cast<int>(byte) * 8 + bit;
      if (slot >= FOLD_SLOT_COUNT) return -1;
      if ((g_fold.slots[byte] & (1u << bit)) == 0) {
        g_fold.slots[byte] = static_cast<uint8_t>(g_fold.slots[byte] | (1u << bit));
        return slot;
      }
    }
  }
  return -1;
}

void give_back_slot(FoldRecord* record) {
  const int slot = record->fold_slot;
  record->fold_slot = -1;
  if (slot < 0 || slot >= FOLD_SLOT_COUNT) return;
  ensure_slot_map();
  g_fold.slots[static_cast<size_t>(slot) / 8] &= static_cast<uint8_t>(~(1u << (slot % 8)));
}

int16_t window_wrap_width() {
  return g_fold.window.wrap_width != nullptr ? *g_fold.window.wrap_width : 0;
}

bool hidden(const TextLine* line) {
  return g_fold.hiding != 0 && (line->kind & LINE_KIND_HIDDEN) != 0 && !is_placeholder(line);
}

// ---- Choosing a run ---------------------------------------------------------------------------

// The current list laid out in positions, with what makes a line kept (near or a stop line).
class RunFinder {
 public:
  explicit RunFinder(TextLine* anchor);
  // The run to fold as positions first..last (inclusive) and its bytes; false: none.
  bool find(int32_t* first, int32_t* last, int32_t* bytes);
  TextLine* at(int32_t i) const { return lines_[static_cast<size_t>(i)]; }
  bool holds_cursor() const { return cursor_ >= 0; }

 private:
  int32_t count() const { return static_cast<int32_t>(lines_.size()); }
  // The position of the line that makes i near, nearest the far side of the search, or -1.
  int32_t near_line(int32_t i, bool backward) const;
  bool is_stop(int32_t i) const {
    const TextLine* l = at(i);
    return is_placeholder(l) || l == g_lists.block_start || l == g_lists.block_end;
  }
  bool find_backward(int32_t* first, int32_t* last, int32_t* bytes);
  bool find_forward(int32_t* first, int32_t* last, int32_t* bytes);

  std::vector<TextLine*>& lines_;
  int32_t rows_;
  int32_t cursor_ = -1;  // position of the cursor line when it counts, else -1
  int32_t anchor_ = -1;
};

std::vector<TextLine*>& finder_scratch() {
  static std::vector<TextLine*> lines;
  return lines;
}

RunFinder::RunFinder(TextLine* anchor) : lines_(finder_scratch()) {
  lines_.clear();
  rows_ = std::max<int32_t>(1, g_fold.screen_rows);
  const TextLine* cursor = g_fold.walking_another_list == 0 ? g_lists.cursor_line : nullptr;
  for (TextLine* l = g_lists.current.first; l != nullptr; l = l->next) {
    if (l == cursor) cursor_ = count();
    if (l == anchor) anchor_ = count();
    lines_.push_back(l);
  }
}

int32_t RunFinder::near_line(int32_t i, bool backward) const {
  int32_t found = -1;
  for (const int32_t t : {cursor_, anchor_}) {
    if (t < 0 || std::abs(i - t) >= rows_) continue;
    if (found < 0 || (backward ? t < found : t > found)) found = t;
  }
  return found;
}

// Positions are 0-based here; the thresholds count ids (1-based): id = position + 1.
bool RunFinder::find_backward(int32_t* first, int32_t* last, int32_t* bytes) {
  const int32_t r = rows_;
  int32_t c = count() - 1;
  auto step_back = [&]() {
    for (int32_t k = 0; k <= r && c > 0 && !is_placeholder(at(c)); ++k) --c;
  };
  step_back();
  for (;;) {
    // Find the run's end: a line neither near nor a stop line.
    for (;;) {
      if (c + 1 <= 2 * r) return false;
      const int32_t t = near_line(c, true);
      if (t >= 0 && t < c) {
        c = t;
        step_back();
      } else if (t >= 0 || is_stop(c)) {
        --c;
      } else {
        break;
      }
    }
    // Collect upward from the end.
    int32_t h = c;
    int32_t sum = 0;
    int32_t lines = 0;
    for (;;) {
      if (h + 1 < r) return false;
      const int32_t t = near_line(h, true);
      if (t >= 0 || is_stop(h)) {
        if (sum >= FOLD_RUN_BYTES || lines > FOLD_RUN_LINES) {
          *first = h + 1, *last = c, *bytes = sum;
          return true;
        }
        c = (t >= 0 ? std::min(t, h) : h) - 1;
        if (c < 0) return false;
        break;
      }
      const int32_t size = at(h)->text_length + 1;
      if (sum + size > FOLD_RUN_CAP) {
        if (lines > 0) {
          *first = h + 1, *last = c, *bytes = sum;
          return true;
        }
        c = h - 1;  // a line bigger than any run is kept
        if (c < 0) return false;
        break;
      }
      sum += size;
      ++lines;
      --h;
    }
  }
}

bool RunFinder::find_forward(int32_t* first, int32_t* last, int32_t* bytes) {
  const int32_t r = rows_;
  const int32_t n = count();
  int32_t h = 0;
  auto step_forward = [&]() {
    for (int32_t k = 0; k <= r && h < n - 1 && !is_placeholder(at(h)); ++k) ++h;
  };
  step_forward();
  for (;;) {
    for (;;) {
      if (h + 1 >= n - 2 * r) return false;
      const int32_t t = near_line(h, false);
      if (t >= 0 && t > h) {
        h = t;
        step_forward();
      } else if (t >= 0 || is_stop(h)) {
        ++h;
      } else {
        break;
      }
    }
    int32_t c = h;
    int32_t sum = 0;
    int32_t lines = 0;
    for (;;) {
      if (c + 1 > n - r) return false;
      const int32_t t = near_line(c, false);
      if (t >= 0 || is_stop(c)) {
        if (sum >= FOLD_RUN_BYTES || lines > FOLD_RUN_LINES) {
          *first = h, *last = c - 1, *bytes = sum;
          return true;
        }
        h = (t >= 0 ? std::max(t, c) : c) + 1;
        break;
      }
      const int32_t size = at(c)->text_length + 1;
      if (sum + size > FOLD_RUN_CAP) {
        if (lines > 0) {
          *first = h, *last = c - 1, *bytes = sum;
          return true;
        }
        h = c + 1;
        break;
      }
      sum += size;
      ++lines;
      ++c;
    }
  }
}

bool RunFinder::find(int32_t* first, int32_t* last, int32_t* bytes) {
  const int32_t anchor_id = (anchor_ >= 0 ? anchor_ : std::max(cursor_, 0)) + 1;
  return anchor_id < count() / 3 ? find_backward(first, last, bytes)
                                 : find_forward(first, last, bytes);
}

// Detaches first..last from the current list behind a new placeholder; false (list whole) when
// no slot is free or memory runs out.
bool fold_run(TextLine* first, TextLine* last, int32_t bytes) {
  const int slot = take_slot();
  if (slot < 0) return false;
  FoldRecord record{};
  record.fold_slot = static_cast<int16_t>(slot);
  record.wrap_width = window_wrap_width();
  record.byte_count = bytes;
  record.first_line = first;
  record.last_line = last;
  LineExtra extra;
  try {
    extra = make_line_extra(record);
  } catch (const std::bad_alloc&) {
    give_back_slot(&record);
    fatal_list_error('1');
    return false;
  }
  TextLine* before = first->prev;
  TextLine* after = last->next;
  TextLine* placeholder = insert_line(FOLD_PLACEHOLDER_TEXT, std::move(extra), last);
  if (placeholder == nullptr) {
    give_back_slot(&record);
    fatal_list_error('1');
    return false;
  }
  // Cut the run out: the placeholder now stands between its neighbours.
  placeholder->prev = before;
  if (before != nullptr) before->next = placeholder;
  else g_lists.current.first = placeholder;
  placeholder->next = after;
  if (after != nullptr) after->prev = placeholder;
  else g_lists.current.last = placeholder;
  first->prev = nullptr;
  last->next = nullptr;
  placeholder->kind = LINE_KIND_PLACEHOLDER;
  if (before != nullptr) std::memcpy(placeholder->attributes, before->attributes,
                                     LINE_ATTRIBUTES_COPIED);
  set_line_key(placeholder, line_key(before) + 1);
  renumber_lines();
  return true;
}

// ---- Bringing lines back ----------------------------------------------------------------------

enum class Walk { FORWARD, BACKWARD, CURSOR_DOWN };

// Links first..last (a loose chain) into the current list where the placeholder stands: in its
// place when `replace`, else before it (forward) or after it (backward).
void splice_lines(TextLine* placeholder, TextLine* first, TextLine* last, bool replace,
                  bool forward) {
  TextLine* before = placeholder->prev;
  TextLine* after = placeholder->next;
  if (!replace) {
    if (forward) after = placeholder;
    else before = placeholder;
  }
  first->prev = before;
  if (before != nullptr) before->next = first;
  else g_lists.current.first = first;
  last->next = after;
  if (after != nullptr) after->prev = last;
  else g_lists.current.last = last;
  if (replace) {
    placeholder->prev = nullptr;
    placeholder->next = nullptr;
  }
}

bool ends_paragraph(const TextLine* line) {
  return !line->text.empty() && line->text.back() == '\n';
}

// Joins a seam that parts one paragraph: the text of the line that came back goes into the
// neighbour that stayed (so that a line a caller walked from is never freed). Returns the line
// that took the text, or null when the seam is left as it is.
TextLine* join_seam(TextLine* upper, TextLine* lower, bool into_upper) {
  if (upper == nullptr || lower == nullptr || is_placeholder(upper) || is_placeholder(lower) ||
      ends_paragraph(upper) || upper->text_length + lower->text_length > LINE_TEXT_MAX)
    return nullptr;
  const std::string joined = upper->text + lower->text;
  TextLine* keep = into_upper ? upper : lower;
  if (set_line_text(joined.c_str(), keep)->text_length != static_cast<int16_t>(joined.size()))
    return nullptr;
  if (!into_upper) {
    // The kept lower line now starts where the upper one started.
    keep->kind = static_cast<uint8_t>((keep->kind & ~LINE_KIND_PARAGRAPH) |
                                      (upper->kind & LINE_KIND_PARAGRAPH));
  }
  TextLine* gone = into_upper ? lower : upper;
  if (g_lists.cursor_line == gone) g_lists.cursor_line = keep;
  delete_line(gone);
  keep->state |= LINE_STATE_REDRAW;
  return keep;
}

// Lines came back between `above` and `below` (the neighbours that stayed, either may be null
// or a placeholder): with join_seams the seams that part a paragraph are joined and re-wrapped, the list
// renumbered, the window's line count made stale. Returns the line to go on with: the first
// line that came back going forward, the last going backward.
TextLine* settle_lines(TextLine* above, TextLine* below, bool forward, bool join_seams) {
  ++g_lists.lines_changed;
  if (join_seams && g_fold.walking_another_list == 0) {
    TextLine* first = above != nullptr ? above->next : g_lists.current.first;
    TextLine* last = below != nullptr ? below->prev : g_lists.current.last;
    // The last line that came back is never joined away.
    TextLine* joined_up = first != last ? join_seam(above, first, true) : nullptr;
    if (joined_up != nullptr) first = above->next;
    TextLine* joined_down = first != last ? join_seam(last, below, false) : nullptr;
    const int width = window_wrap_width();
    if (g_fold.window.reformat != nullptr && width >= 4) {
      if (joined_up != nullptr) g_fold.window.reformat(joined_up, joined_up, width);
      if (joined_down != nullptr) g_fold.window.reformat(joined_down, joined_down, width);
    }
  }
  renumber_lines();
  if (g_fold.walking_another_list == 0 && g_fold.window.line_count != nullptr &&
      *g_fold.window.line_count > 0)
    *g_fold.window.line_count = -*g_fold.window.line_count;
  if (forward) return above != nullptr ? above->next : g_lists.current.first;
  return below != nullptr ? below->prev : g_lists.current.last;
}

// A folded run comes back in the placeholder's place; returns the run's ends through first and
// last. False when the record holds nothing (the placeholder stays).
bool bring_back_run(TextLine* placeholder, TextLine** first, TextLine** last) {
  FoldRecord* record = fold_record_of(placeholder);
  if (record == nullptr || record->byte_count <= 0 || record->first_line == nullptr) return false;
  if (push_list() < 0) return false;
  clear_current_list();
  unfold_run(record);
  *first = fix_list_first();
  *last = fix_list_last();
  pop_list();
  splice_lines(placeholder, *first, *last, true, true);
  delete_line(placeholder);
  return true;
}

// Moves a slice's cut to a line end where one lies inside it: forward, the slice ends after
// its last line end; backward, it starts after its first one. A file line longer than the slice
// is cut where it is (its halves are joined when they come back).
bool cut_slice_at_line_end(FileRecord* file, int64_t* start, int64_t* end, bool forward) {
  if (*end <= *start || seek_file_record(file, *start, SEEK_SET) != 0 || file->stream == nullptr)
    return false;
  std::string bytes(static_cast<size_t>(*end - *start), '\0');
  if (std::fread(bytes.data(), 1, bytes.size(), file->stream) != bytes.size()) return false;
  if (forward) {
    const size_t at = bytes.rfind('\n');
    if (at == std::string::npos) return false;
    *end = *start + static_cast<int64_t>(at) + 1;
    return true;
  }
  const size_t at = bytes.find('\n');
  if (at == std::string::npos || at + 1 >= bytes.size()) return false;
  *start += static_cast<int64_t>(at) + 1;
  return true;
}

// A slice of unread text comes back before (forward) or after (backward) the placeholder; the
// placeholder goes once no byte is left. False (list unchanged) on a failure.
bool read_unread_slice(TextLine* placeholder, Walk walk, TextLine** first, TextLine** last,
                       bool* placeholder_gone) {
  *placeholder_gone = false;
  FoldRecord* record = fold_record_of(placeholder);
  FileRecord* file = g_fold.window.file;
  if (record == nullptr || file == nullptr) return false;
  if (record->byte_count <= 0) {
    fatal_list_error('7');
    return false;
  }
  const bool forward = walk != Walk::BACKWARD;
  const int64_t range_end = record->file_offset + record->byte_count;
  int64_t start = record->file_offset;
  int64_t end = range_end;
  bool whole_lines = true;  // the slice ends at a line end or at the end of the range
  if (forward && walk == Walk::CURSOR_DOWN && record->byte_count > FOLD_SLICE_BYTES) {
    end = start + FOLD_SLICE_BYTES;
    whole_lines = cut_slice_at_line_end(file, &start, &end, true);
  } else if (!forward && record->byte_count > FOLD_SLICE_BYTES) {
    start = range_end - FOLD_SLICE_BYTES;
    cut_slice_at_line_end(file, &start, &end, false);
  }
  const int64_t quota = end - start;
  if (seek_file_record(file, start, SEEK_SET) != 0) return false;

  if (push_list() < 0) return false;
  clear_current_list();
  TextLoad load;
  load.file = file;
  load.window_flags = g_fold.window.flags != nullptr ? *g_fold.window.flags : 0;
  load.wrap_width = window_wrap_width();
  load.limit = quota;
  load.limit_ends_text = whole_lines;
  load.whole_slice = !forward;
  const int32_t made = read_text_lines(&load);
  *first = fix_list_first();
  *last = fix_list_last();
  pop_list();
  if (made <= 0 || *first == nullptr || load.consumed <= 0) {
    if (*first != nullptr) free_list(*first);
    if (made == 0) {
      get_message(MSG_UNREAD_TEXT_FAILED);
      store_show_text_box(message_text(), TEXTBOX_PRESS_A_KEY);
    }
    return false;
  }
  record->byte_count -= load.consumed;
  if (forward) record->file_offset += load.consumed;
  *placeholder_gone = record->byte_count <= 0;
  splice_lines(placeholder, *first, *last, *placeholder_gone, forward);
  if (g_fold.window.lines_came_back != nullptr)
    g_fold.window.lines_came_back(placeholder, *first, *last);
  if (*placeholder_gone) {
    delete_line(placeholder);
    close_fold_file_when_done();
  }
  return true;
}

// Brings back what stands behind the placeholder; the line to go on with (the first line that
// came back going forward, the last going backward), the placeholder itself when it holds
// nothing, or null on a failure.
TextLine* resolve_placeholder(TextLine* placeholder, Walk walk) {
  const FoldRecord* record = fold_record_of(placeholder);
  if (record == nullptr) return placeholder;
  const bool forward = walk != Walk::BACKWARD;
  TextLine* above = placeholder->prev;
  TextLine* below = placeholder->next;
  TextLine* first = nullptr;
  TextLine* last = nullptr;
  // Folded runs are whole lines; slices of unread text may part a long file line.
  const bool record_was_unread = record->unread_text != 0;
  if (!record_was_unread) {
    if (!bring_back_run(placeholder, &first, &last)) {
      page_out_lines(placeholder);
      return placeholder;
    }
  } else {
    bool gone = false;
    if (!read_unread_slice(placeholder, walk, &first, &last, &gone)) return nullptr;
    // A placeholder that stays is a neighbour of the lines read.
    if (!gone) (forward ? below : above) = placeholder;
  }
  TextLine* result = settle_lines(above, below, forward, record_was_unread);
  page_out_lines(result);
  return result;
}

}  // namespace

void reset_fold_state() {
  g_fold = FoldState{};
  ensure_slot_map();
}

bool is_placeholder(const TextLine* line) {
  return line != nullptr && line->kind == LINE_KIND_PLACEHOLDER;
}

bool is_unread_placeholder(const TextLine* line) {
  const FoldRecord* record = fold_record_of(line);
  return record != nullptr && record->unread_text != 0;
}

FoldRecord* fold_record_of(TextLine* line) {
  return is_placeholder(line) ? line_extra_as<FoldRecord>(line) : nullptr;
}

const FoldRecord* fold_record_of(const TextLine* line) {
  return fold_record_of(const_cast<TextLine*>(line));
}

int fold_slots_taken() {
  int taken = 0;
  for (uint8_t byte : g_fold.slots)
    for (int bit = 0; bit < 8; ++bit) taken += (byte >> bit) & 1;
  return taken;
}

int page_out_lines(TextLine* anchor) {
  if (g_lists.sorting != 0 || g_fold.holding != 0) return 0;
  // A quick count first: short lists are never laid out.
  int32_t n = 0;
  for (TextLine* l = g_lists.current.first; l != nullptr && n < FOLD_MIN_LINES; l = l->next) ++n;
  if (n < FOLD_MIN_LINES) return 0;
  if (!g_fold.window.folds && g_fold.walking_another_list == 0) return 0;
  RunFinder finder(anchor);
  // A list that does not hold the active window's cursor line is not the window's list.
  if (g_fold.walking_another_list == 0 && !finder.holds_cursor()) return 0;
  int32_t first = 0;
  int32_t last = 0;
  int32_t bytes = 0;
  if (!finder.find(&first, &last, &bytes)) return 0;
  return fold_run(finder.at(first), finder.at(last), bytes) ? 1 : 0;
}

int page_out_all_lines(TextLine* anchor) {
  int folded = 0;
  while (page_out_lines(anchor) != 0) ++folded;
  return folded;
}

TextLine* next_shown_line(TextLine* line) {
  if (line == nullptr) return nullptr;
  TextLine* next = line->next;
  while (next != nullptr && hidden(next)) next = next->next;
  return next;
}

TextLine* prev_shown_line(TextLine* line) {
  if (line == nullptr) return nullptr;
  TextLine* prev = line->prev;
  while (prev != nullptr && hidden(prev)) prev = prev->prev;
  return prev;
}

TextLine* next_visible_line(TextLine* line) {
  TextLine* next = next_shown_line(line);
  if (!is_placeholder(next)) return next;
  return resolve_placeholder(next, Walk::FORWARD);
}

TextLine* prev_visible_line(TextLine* line) {
  TextLine* prev = prev_shown_line(line);
  if (!is_placeholder(prev)) return prev;
  return resolve_placeholder(prev, Walk::BACKWARD);
}

TextLine* cursor_to_next_line() {
  TextLine* next = next_shown_line(g_lists.cursor_line);
  if (next == nullptr) return nullptr;
  if (is_placeholder(next)) {
    next = resolve_placeholder(next, Walk::CURSOR_DOWN);
    if (next == nullptr) return nullptr;
  }
  g_lists.cursor_line = next;
  // The line beyond the cursor is always a real one.
  if (!is_placeholder(next)) next_visible_line(next);
  return g_lists.cursor_line;
}

TextLine* cursor_to_prev_line() {
  TextLine* prev = prev_shown_line(g_lists.cursor_line);
  if (prev == nullptr) return nullptr;
  if (is_placeholder(prev)) {
    prev = resolve_placeholder(prev, Walk::BACKWARD);
    if (prev == nullptr) return nullptr;
  }
  g_lists.cursor_line = prev;
  if (!is_placeholder(prev)) prev_visible_line(prev);
  return g_lists.cursor_line;
}

void bring_back_folded_runs() {
  ++g_fold.holding;
  TextLine* line = g_lists.current.first;
  while (line != nullptr) {
    TextLine* next = line->next;
    if (is_placeholder(line) && !is_unread_placeholder(line)) {
      TextLine* above = line->prev;
      TextLine* first = nullptr;
      TextLine* last = nullptr;
      if (bring_back_run(line, &first, &last)) {
        settle_lines(above, last->next, true, false);
        next = last->next;
      }
    }
    line = next;
  }
  --g_fold.holding;
}

void unfold_run(FoldRecord* record) {
  if (record == nullptr || record->first_line == nullptr) return;
  g_lists.current.first = record->first_line;
  g_lists.current.last = record->last_line;
  record->first_line = nullptr;
  record->last_line = nullptr;
  give_back_slot(record);
  const int width = window_wrap_width();
  if (width != record->wrap_width && width >= 4 && g_fold.walking_another_list == 0 &&
      g_fold.window.reformat != nullptr) {
    g_fold.rewrapping = 1;
    g_fold.window.reformat(nullptr, nullptr, width);
    g_fold.rewrapping = 0;
  }
}

void release_fold_record(TextLine* placeholder) {
  FoldRecord* record = fold_record_of(placeholder);
  if (record == nullptr) return;
  TextLine* run = record->first_line;
  record->first_line = nullptr;
  record->last_line = nullptr;
  if (record->unread_text == 0) give_back_slot(record);
  if (run != nullptr) free_list(run);
}

void close_fold_file_when_done() {
  for (const TextLine* l = g_lists.current.first; l != nullptr; l = l->next)
    if (is_unread_placeholder(l)) return;
  if (g_fold.window.file != nullptr) close_file_record(g_fold.window.file);
}

void fatal_list_error(char code) {
  g_fold.last_fatal_code = code;
  std::string text = "error #0: Quit & restart!";
  text[7] = code;
  store_show_text_box(text.c_str(), TEXTBOX_PRESS_A_KEY);
}
