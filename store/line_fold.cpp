#include "store/line_fold.h"

// Stand-in: skips hidden lines but does not bring folded runs or unread file text back.
TextLine* next_visible_line(TextLine* line) {
  if (line == nullptr) return nullptr;
  TextLine* next = line->next;
  while (next != nullptr && (next->kind & LINE_KIND_HIDDEN) != 0)
    next = next->next;
  return next;
}

// Stand-in: skips hidden lines but does not bring folded runs or unread file text back.
TextLine* prev_visible_line(TextLine* line) {
  if (line == nullptr) return nullptr;
  TextLine* prev = line->prev;
  while (prev != nullptr && (prev->kind & LINE_KIND_HIDDEN) != 0)
    prev = prev->prev;
  return prev;
}

// Stand-in: never folds.
int page_out_lines(TextLine* /*anchor*/) { return 0; }

// Stand-in: frees the detached run but keeps no fold-slot bitmap to give the slot back to.
void release_fold_record(TextLine* placeholder) {
  FoldRecord* record = line_extra_as<FoldRecord>(placeholder);
  if (record == nullptr || record->first_line == nullptr) return;
  TextLine* run = record->first_line;
  record->first_line = nullptr;
  record->last_line = nullptr;
  free_list(run);
}

TextLine* cursor_to_next_line() {
  TextLine* next = next_visible_line(g_lists.cursor_line);
  if (next != nullptr) g_lists.cursor_line = next;
  return next;
}

TextLine* cursor_to_prev_line() {
  TextLine* prev = prev_visible_line(g_lists.cursor_line);
  if (prev != nullptr) g_lists.cursor_line = prev;
  return prev;
}
