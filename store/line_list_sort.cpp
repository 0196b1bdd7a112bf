// Sorting the current list in place by relinking its nodes, and the shared compare hooks.
#include "store/line_fold.h"
#include "store/line_list.h"

void sort_list(LineCompare compare) {
  const LineList& c = g_lists.current;
  if (c.first == nullptr || c.first == c.last) return;
  g_lists.compare = compare;
  sort_range(c.first, c.last);
}

// True when `last` is reached from `first` along next links: a range given the wrong way round
// or across lists would be cut out wrongly.
static bool range_is_ordered(const TextLine* first, const TextLine* last) {
  for (const TextLine* line = first; line != nullptr; line = line->next)
    if (line == last) return true;
  return false;
}

// Brings every folded run strictly inside the range back into the list, so that the sort sees
// all of its lines. The range's own ends are never resolved, so they stay valid.
static void bring_back_runs(TextLine* first, TextLine* last) {
  TextLine* line = first->next;
  while (line != nullptr && line != last) {
    if (line->kind != LINE_KIND_PLACEHOLDER) {
      line = line->next;
      continue;
    }
    TextLine* before = line->prev;
    TextLine* back = next_visible_line(before);
    // A placeholder left alone, or a failed load, leaves the list as it was.
    line = (back == nullptr || back == line) ? line->next : before->next;
  }
}

// Merges two sorted null-ended chains (next links only); on equal lines the left one goes first.
static TextLine* merge_chains(TextLine* left, TextLine* right, LineCompare compare,
                              TextLine** tail) {
  TextLine* merged = nullptr;
  TextLine** link = &merged;
  TextLine* end = nullptr;
  while (left != nullptr && right != nullptr) {
    TextLine** take = compare(left, right) <= 0 ? &left : &right;
    end = *take;
    *link = end;
    link = &end->next;
    *take = end->next;
  }
  *link = left != nullptr ? left : right;
  if (*link != nullptr) end = *link;
  while (end != nullptr && end->next != nullptr) end = end->next;
  *tail = end;
  return merged;
}

// Bottom-up merge sort of a null-ended chain: runs of width 1, 2, 4, ... are merged pairwise, so
// the work is n log n whatever the input and nothing is allocated. Prev links are rebuilt after.
static TextLine* sort_chain(TextLine* chain, LineCompare compare, TextLine** tail) {
  *tail = chain;
  for (size_t width = 1;; width *= 2) {
    TextLine* rest = chain;
    TextLine* sorted = nullptr;
    TextLine* sorted_tail = nullptr;
    size_t merges = 0;
    while (rest != nullptr) {
      ++merges;
      TextLine* left = rest;
      TextLine* cut = left;
      for (size_t i = 1; i < width && cut->next != nullptr; ++i) cut = cut->next;
      TextLine* right = cut->next;
      cut->next = nullptr;
      cut = right;
      for (size_t i = 1; i < width && cut != nullptr && cut->next != nullptr; ++i) cut = cut->next;
      rest = nullptr;
      if (cut != nullptr) {
        rest = cut->next;
        cut->next = nullptr;
      }
      TextLine* merged_tail = nullptr;
      TextLine* merged = merge_chains(left, right, compare, &merged_tail);
      if (sorted == nullptr)
        sorted = merged;
      else
        sorted_tail->next = merged;
      sorted_tail = merged_tail;
    }
    chain = sorted;
    *tail = sorted_tail;
    if (merges <= 1) break;
  }
  TextLine* prev = nullptr;
  for (TextLine* line = chain; line != nullptr; line = line->next) {
    line->prev = prev;
    prev = line;
  }
  return chain;
}

static void sort_core(TextLine* first, TextLine* last, LineCompare compare) {
  ListStore& s = g_lists;
  TextLine* before = first->prev;
  TextLine* after = last->next;
  first->prev = nullptr;
  last->next = nullptr;
  TextLine* tail = nullptr;
  TextLine* head = sort_chain(first, compare, &tail);
  head->prev = before;
  if (before != nullptr)
    before->next = head;
  else
    s.current.first = head;
  tail->next = after;
  if (after != nullptr)
    after->prev = tail;
  else
    s.current.last = tail;
}

void sort_range(TextLine* first, TextLine* last) {
  ListStore& s = g_lists;
  if (first == nullptr || last == nullptr || s.compare == nullptr) return;
  if (!range_is_ordered(first, last)) return;
  s.sorting = 1;
  s.lines_changed = 0;
  if (first != last) {
    bring_back_runs(first, last);
    sort_core(first, last, s.compare);
  }
  s.sorting = 0;
  if (s.keep_ids != 0) return;
  renumber_lines();
  if (s.lines_changed != 0)
    while (page_out_lines(s.cursor_line) != 0) {
    }
}

// ---- Compare hooks ----------------------------------------------------------------------------

// Null lines sort first, so a hook never reads through a null.
static bool either_null(const TextLine* a, const TextLine* b, int* order) {
  if (a != nullptr && b != nullptr) return false;
  *order = (a == nullptr ? 0 : 1) - (b == nullptr ? 0 : 1);
  return true;
}

int compare_line_ids(const TextLine* a, const TextLine* b) {
  int order = 0;
  if (either_null(a, b, &order)) return order;
  return a->id - b->id;
}

// The sign only: subtracting two i32 keys could overflow and flip it.
int compare_line_keys(const TextLine* a, const TextLine* b) {
  int order = 0;
  if (either_null(a, b, &order)) return order;
  const int32_t ka = line_key(a);
  const int32_t kb = line_key(b);
  return (ka > kb) - (ka < kb);
}

// Steps over in-band codes: any byte below 0x20, and a byte 1..8 together with the byte after it.
static const unsigned char* skip_codes(const unsigned char* p) {
  while (*p != 0 && *p < 0x20) {
    if (*p <= 8) {
      ++p;
      if (*p == 0) break;
    }
    ++p;
  }
  return p;
}

int compare_line_texts(const TextLine* a, const TextLine* b) {
  int order = 0;
  if (either_null(a, b, &order)) return order;
  auto pa = reinterpret_cast<const unsigned char*>(a->text.c_str());
  auto pb = reinterpret_cast<const unsigned char*>(b->text.c_str());
  for (;;) {
    pa = skip_codes(pa);
    pb = skip_codes(pb);
    if (*pa == 0 || *pb == 0) return *pa - *pb;
    if (*pa != *pb) return *pa < *pb ? -1 : 1;
    ++pa;
    ++pb;
  }
}

// Lower case of a cp1252 byte: ASCII letters, the accented letters 0xC0..0xDE (not the
// multiplication sign) and the four letters of 0x8A..0x9F that have a lower-case partner.
static unsigned char fold_case(unsigned char c) {
  if (c >= 'A' && c <= 'Z') return static_cast<unsigned char>(c + 32);
  if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return static_cast<unsigned char>(c + 32);
  switch (c) {
    case 0x8A: return 0x9A;
    case 0x8C: return 0x9C;
    case 0x8E: return 0x9E;
    case 0x9F: return 0xFF;
    default: return c;
  }
}

int compare_texts_from_column(const TextLine* a, const TextLine* b) {
  int order = 0;
  if (either_null(a, b, &order)) return order;
  auto pa = reinterpret_cast<const unsigned char*>(a->text.c_str());
  auto pb = reinterpret_cast<const unsigned char*>(b->text.c_str());
  for (;; ++pa, ++pb) {
    const unsigned char ca = fold_case(*pa);
    const unsigned char cb = fold_case(*pb);
    if (ca != cb) return ca < cb ? -1 : 1;
    if (ca == 0) return 0;
  }
}
