// Loading and saving the tool list, with the user told of a damaged or unsaved file.
#include "cam/tools.h"

#include "platform/files.h"
#include "store/record_file.h"

namespace {

// The one-line list of a program without a usable tool file.
TextLine* make_default_tool_list() {
  const ToolRecord tool = default_tool_record();
  push_list();
  clear_current_list();
  TextLine* line = append_line(DEFAULT_TOOL_NAME, tool_record_extra(tool));
  if (line != nullptr) line->id = 1;
  clear_current_list();
  pop_list();
  return line;
}

}  // namespace

int load_tool_list(const std::string& folder, bool metric_set) {
  LineList& slot = g_lists.slots[LIST_SLOT_TOOLS];
  const std::string path = find_file_ignoring_case(folder, tool_file_name(metric_set));
  LineList loaded;
  if (!path.empty() && load_record_file(path, TOOL_RECORD_SIZE, TOOL_RECORD_SIZE, &loaded,
                                        TOOL_FILE_BAD_MESSAGE, 0) == 0) {
    free_list(slot.first);
    slot = loaded;
    return 0;
  }
  free_list(slot.first);
  slot = LineList{};
  TextLine* line = make_default_tool_list();
  if (line == nullptr) return -1;
  slot = LineList{line, line};
  return 1;
}

int save_tool_list(const std::string& path) {
  return save_record_file(path, g_lists.slots[LIST_SLOT_TOOLS].first, TOOL_RECORD_SIZE);
}
