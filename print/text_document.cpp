#include <cerrno>
#include <cstring>

#include "platform/files.h"
#include "print/text_print.h"
#include "store/file_reader.h"
#include "store/line_fold.h"
#include "store/line_list.h"
#include "store/text_loading.h"

bool load_text_document(const std::string& path, int wrap_width, TextPrintDocument* document,
                        std::string* error) {
  if (!file_exists(path)) {
    *error = "no such file: " + path;
    return false;
  }
  FileRecord file;
  init_file_record(&file, path, FILE_BUFFER_EDITOR);
  push_list();
  clear_current_list();
  TextLoad load;
  load.file = &file;
  load.wrap_width = static_cast<int16_t>(wrap_width);
  load.detect_line_ends = true;
  const int32_t made = read_text_lines(&load);
  close_file_record(&file);
  document->path = path;
  document->lines.clear();
  if (made >= 0) collect_current_lines(document);
  free_current_list();
  pop_list();
  if (made < 0) {
    *error = "cannot read " + path + ": " + std::strerror(errno ? errno : ENOMEM);
    return false;
  }
  return true;
}

void collect_current_lines(TextPrintDocument* document) {
  document->lines.clear();
  for (TextLine* line = g_lists.current.first; line != nullptr; line = next_visible_line(line)) {
    document->lines.push_back({line->text, (line->kind & LINE_KIND_PARAGRAPH) != 0 ||
                                               line == g_lists.current.first});
  }
}
