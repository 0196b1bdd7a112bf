// The program's list of post-processor definitions: read at start-up, written back when it
// changed, with the user told when a save fails.
#include <string>

#include "nc/cam_host.h"
#include "nc/post_processor.h"

PostProcessorState g_post_processors;

int save_post_processor_file(const std::string& path, const TextLine* first) {
  std::string why;
  if (!post_processors_writable(first, &why)) {
    why += "\nThe NC formats were not saved.";
    host_show_message(why.c_str());
    return 27;
  }
  const SaveResult result = save_file_safely(
      path, "", [&](SaveFile* file) { return write_post_processor_file(file, first); }, &why);
  if (result == SAVE_OK) return 0;
  const std::string text = "The NC formats were not saved to " + path + ":\n" + why;
  host_show_message(text.c_str());
  return 27;
}

// ---- The program's list -----------------------------------------------------------------------

const char* post_processor_file_name(bool metric_set) {
  return metric_set ? PP_FILE_METRIC_NAME : PP_FILE_NAME;
}

PostReadResult read_post_processors(const std::string& folder, bool metric_set) {
  const char* name = post_processor_file_name(metric_set);
  std::string path = find_file_ignoring_case(folder, name);
  if (path.empty()) path = path_join(folder, name);
  g_post_processors.file_path = path;
  g_post_processors.changed = false;
  const PostReadResult result = read_post_processor_file(path, &g_post_processors.list);
  g_post_processors.read_in_part = result == PP_READ_DAMAGED;
  if (g_post_processors.list.first == nullptr) {
    push_list();
    clear_current_list();
    default_post_processor(PP_DEFAULT_NAME, 1);
    g_post_processors.list = g_lists.current;
    clear_current_list();
    pop_list();
  }
  return result;
}

int write_post_processors() {
  if (!g_post_processors.changed) return 0;
  const int result = save_post_processor_file(g_post_processors.file_path,
                                              g_post_processors.list.first);
  if (result == 0) {
    g_post_processors.changed = false;
  }
  return result;
}

void free_post_processors() {
  free_post_processor_list(&g_post_processors.list);
  g_post_processors.changed = false;
}

TextLine* find_post_processor(int16_t number) {
  for (TextLine* entry = g_post_processors.list.first; entry != nullptr; entry = entry->next)
    if (entry->id == number) return entry;
  return g_post_processors.list.first;
}
