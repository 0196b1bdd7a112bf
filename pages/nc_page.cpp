#include "pages/nc_page.h"

#include <cstdio>

#include "job/job_file.h"
#include "nc/post_processor.h"
#include "store/line_list.h"
#include "store/text_helpers.h"
#include "ui/editor_cursor.h"
#include "ui/line_numbers.h"
#include "ui/text_window.h"

namespace {

constexpr int NC_TITLE_COLUMNS = 88;
constexpr char NO_NAME_TITLE[] = "(no name yet)";

// The run's program, taken over by the active buffer: its own lines go.
void take_generated_program() {
  TextWindow* w = g_windows.active;
  LineList& program = g_lists.slots[LIST_SLOT_NC_PROGRAM];
  if (w == nullptr || program.first == nullptr) return;
  free_list(g_lists.current.first);
  g_lists.current = program;
  program = LineList{};
  w->first_line = g_lists.current.first;
  w->last_line = g_lists.current.last;
  g_lists.cursor_line = g_lists.current.first;
  w->current_line = g_lists.current.first;
  w->cursor_row = 0;
  w->text_column = 0;
  w->cursor_column = 0;
  w->horizontal_scroll = 0;
  clear_marked_block();
  w->line_count = 0;
  number_lines(0);
  const PostProcessorDef* def = post_processor_def(g_job_settings.post_processor);
  const std::string title = nc_document_title(g_job_file.full_path, def != nullptr ? def->extension : "NC");
  std::snprintf(w->title, sizeof w->title, "%s", title.c_str());
  // A program just made is not the user's edit: a quit asks nothing for it, but page 3 must
  // make its proof of the program anew.
  w->flags &= ~WINDOW_CHANGED;
  g_nc_page.document = g_windows.active_node;
  g_job_settings.nc_state = NC_STATE_PROGRAM_READY;
  request_full_redraw();
}

}  // namespace

std::string nc_document_title(const std::string& job_path, const char* extension) {
  if (job_path.empty()) return NO_NAME_TITLE;
  std::string path = job_path;
  const size_t slash = path.find_last_of('/');
  const size_t dot = path.find_last_of('.');
  if (dot != std::string::npos && (slash == std::string::npos || dot > slash)) path.erase(dot);
  path += '.';
  path += extension;
  return abbreviate_path(path.c_str(), NC_TITLE_COLUMNS);
}

EventCode nc_page_key() {
  const TextWindow* w = g_windows.active;
  if (w != nullptr && (w->flags & WINDOW_CHANGED) != 0)
    g_job_settings.nc_state = NC_STATE_PROGRAM_READY;
  return editor_page_key(PAGE_NC_PROGRAM);
}

EventCode nc_page_hook() {
  if (g_lists.slots[LIST_SLOT_NC_PROGRAM].first != nullptr) take_generated_program();
  if (g_windows.active != nullptr) g_windows.active->key_filter = nc_page_key;
  return nc_page_key();
}
