#include "ui/nc_plotter_code.h"

#include <string>
#include <vector>

#include "nc/back_plot.h"
#include "nc/plotter_code.h"
#include "nc/proof_file.h"
#include "store/file_reader.h"
#include "store/line_fold.h"
#include "store/line_list.h"
#include "ui/edit_buffers.h"
#include "ui/text_window.h"

namespace {

constexpr char PLOTTER_EXTENSION[] = ".plt";
// The back-plot's options for the conversion: no decoration records in the proof.
constexpr uint32_t PLOTTER_PROOF_OPTIONS = 0x11 | PROOF_NO_DECORATION;

bool buffer_is_empty() {
  for (TextLine* line = g_lists.current.first; line != nullptr; line = line->next)
    if (is_placeholder(line) || line->text.find_first_not_of(" \t\r\n") != std::string::npos)
      return false;
  return true;
}

// The name the plotter file's title line gives: the file's name without its folder.
std::string program_name(const TextWindow* w) {
  if (w->file == nullptr) return std::string();
  return w->file->name;
}

// The buffer now holds plotter code: its file takes the plotter extension (the program's file
// on the disk is left alone; the next save writes the new name).
void name_plotter_file(TextWindow* w) {
  if (w->file == nullptr) return;
  FileRecord* file = w->file;
  close_file_record(file);
  file->extension = PLOTTER_EXTENSION;
  if (file->name.empty()) return;
  const size_t dot = file->name.rfind('.');
  file->name = (dot == std::string::npos || dot == 0 ? file->name : file->name.substr(0, dot)) +
               PLOTTER_EXTENSION;
  file->full_path = file->folder + file->name;
  set_window_title_from_file(w);
}

}  // namespace

bool append_plotter_line(const char* text) {
  TextLine* line = append_line(text);
  if (line == nullptr) return false;
  line->kind = LINE_KIND_PARAGRAPH;
  return true;
}

int nc_to_plotter_code(bool absolute_arc_centres) {
  TextWindow* w = g_windows.active;
  if (w == nullptr || buffer_is_empty()) return -2;
  // The whole program is plotted and replaced: unread text comes in first.
  if (!read_whole_buffer(g_windows.active_node)) return 1;
  TextLine* first = g_lists.current.first;
  TextLine* last = g_lists.current.last;
  proof_delete_file();
  const uint32_t options =
      PLOTTER_PROOF_OPTIONS | (absolute_arc_centres ? PROOF_ABSOLUTE_ARC_CENTRES : 0);
  ++g_fold.holding;
  const int plotted = nc_to_proof_file(first, options);
  --g_fold.holding;
  if (plotted == 0) return 27;
  if (plotted < 0) return 1;
  std::vector<ProofRecord> records;
  const bool read = read_proof_file(proof_file_path(), &records);
  proof_delete_file();
  if (!read) return 1;
  const std::vector<std::string> code = plotter_code_lines(records, program_name(w));
  if (code.empty()) return 27;
  // The plotter lines go in after the program; the program goes only once all of them are in.
  for (const std::string& text : code) {
    if (append_plotter_line(text.c_str())) continue;
    while (g_lists.current.last != last) delete_line(g_lists.current.last);
    return 1;
  }
  TextLine* line = first;
  while (line != nullptr && line != last) line = delete_line(line);
  if (line == last) delete_line(last);
  renumber_lines();
  g_lists.block_start = g_lists.block_end = nullptr;
  g_lists.cursor_line = g_lists.current.first;
  w->text_column = 0;
  name_plotter_file(w);
  w->flags |= WINDOW_CHANGED;
  store_window_state();
  request_full_redraw();
  return 0;
}
