#include "ui/load_lists.h"

#include "store/line_list.h"
#include "store/text_helpers.h"

TextLine* find_line_by_text(const char* text, TextLine* line) {
  if (g_load_lists.compare_ignoring_case) return find_line_nocase(text, line);
  if (text == nullptr) return nullptr;
  for (; line != nullptr; line = line->next)
    if (line->text == text) return line;
  return nullptr;
}

TextLine* find_line_nocase(const char* text, TextLine* line) {
  if (text == nullptr) return nullptr;
  for (; line != nullptr; line = line->next)
    if (same_text_ignoring_case(line->text, text)) return line;
  return nullptr;
}
