#include "ui/load_lists.h"

#include "store/line_list.h"
#include "store/text_helpers.h"

// Stand-in: compares whole texts ignoring case instead of asking the current compare hook.
TextLine* find_line_by_text(const char* text, TextLine* line) {
  if (text == nullptr) return nullptr;
  for (; line != nullptr; line = line->next)
    if (same_text_ignoring_case(line->text.c_str(), text)) return line;
  return nullptr;
}
