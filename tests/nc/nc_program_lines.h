// The NC program list as lines of text without their line ends, for comparing with expected
// programs.
#pragma once

#include <string>
#include <vector>

#include "store/line_list.h"

inline std::vector<std::string> nc_program_lines() {
  std::vector<std::string> out;
  for (const TextLine* l = g_lists.slots[LIST_SLOT_NC_PROGRAM].first; l != nullptr; l = l->next) {
    std::string t = l->text;
    if (!t.empty() && t.back() == '\n') t.pop_back();
    out.push_back(t);
  }
  return out;
}
