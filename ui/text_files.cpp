#include "ui/text_files.h"

#include <cstdio>
#include <string>
#include <vector>

#include "platform/files.h"
#include "store/catalogue.h"
#include "store/file_reader.h"
#include "store/line_fold.h"
#include "store/message_ids.h"
#include "store/record_file.h"
#include "store/store_host.h"
#include "store/text_helpers.h"
#include "store/text_loading.h"
#include "ui/message_box.h"
#include "ui/text_window.h"

namespace {

std::string g_last_save_error;

// Bytes of the unread middle copied from the old file at a time.
constexpr size_t COPY_PIECE = 2500;

// A placeholder's range as it stood before the save changed it.
struct RangeBefore {
  FoldRecord* record;
  int64_t offset;
  int64_t count;
};

bool copy_unread_range(FileRecord* file, const FoldRecord* record, SaveFile* out) {
  if (seek_file_record(file, record->file_offset, SEEK_SET) != 0 || file->stream == nullptr) {
    g_last_save_error = "the unread part of " + file->full_path + " could not be read";
    return false;
  }
  std::vector<char> piece(COPY_PIECE);
  int64_t left = record->byte_count;
  while (left > 0) {
    const size_t want = static_cast<size_t>(std::min<int64_t>(left, COPY_PIECE));
    if (std::fread(piece.data(), 1, want, file->stream) != want) {
      g_last_save_error = "the unread part of " + file->full_path + " could not be read";
      return false;
    }
    if (!save_write(out, piece.data(), want)) return false;
    left -= static_cast<int64_t>(want);
  }
  return true;
}

// Writes the window's text; the unread ranges the save moves are noted in *moved.
bool write_text(TextWindow* w, bool copy, SaveFile* out, std::vector<RangeBefore>* moved) {
  int64_t written = 0;
  std::string bytes;
  for (TextLine* l = w->first_line; l != nullptr; l = l->next) {
    FoldRecord* record = fold_record_of(l);
    if (record != nullptr && record->unread_text != 0) {
      if (!copy_unread_range(w->file, record, out)) return false;
      if (!copy) {
        moved->push_back({record, record->file_offset, record->byte_count});
        record->file_offset = written;
      }
      written += record->byte_count;
      continue;
    }
    TextLine* first = record != nullptr ? record->first_line : l;
    for (TextLine* r = first; r != nullptr; r = r->next) {
      bytes.clear();
      line_to_file_text(r, w->flags, w->file->lf_line_ends, &bytes);
      if (!save_write_text(out, bytes)) return false;
      written += static_cast<int64_t>(bytes.size());
      if (record == nullptr) break;
    }
  }
  return true;
}

// Where the temporary file of a save goes: beside the file.
std::string temp_path_for(const std::string& path) {
  std::string folder;
  std::string name;
  split_path(path, &folder, &name);
  return folder + RECORD_FILE_TEMP_NAME;
}

const char* step_words(SaveResult result) {
  switch (result) {
    case SAVE_CANNOT_CREATE: return "the temporary file could not be made";
    case SAVE_WRITE_FAILED: return "the new contents could not be written";
    case SAVE_CANNOT_REPLACE: return "the old file could not become the backup";
    case SAVE_CANNOT_RENAME: return "the new file could not take the name";
    default: return "";
  }
}

void report_failure(const std::string& path, SaveResult result, const std::string& why) {
  std::string text = path + ":\n" + step_words(result) + " (" + why + ").\n";
  get_message(MSG_TEXT_NOT_SAVED);
  text += message_text();
  g_last_save_error = why;
  show_text_box(text.c_str(), TEXTBOX_PRESS_A_KEY);
}

}  // namespace

int32_t read_window_file_lines(TextWindow* w) {
  if (w == nullptr || w->file == nullptr) return -1;
  free_current_list();
  g_lists.cursor_line = nullptr;
  TextLoad load;
  load.file = w->file;
  load.window_flags = w->flags;
  load.wrap_width = w->wrap_width;
  load.allow_partial = true;
  load.detect_line_ends = true;
  const int32_t made = read_text_lines(&load);
  if (made < 0) {
    free_current_list();
    w->first_line = w->current_line = w->last_line = nullptr;
    return -1;
  }
  renumber_lines();
  g_lists.cursor_line = g_lists.current.first;
  if (g_lists.cursor_line != nullptr && (w->flags & WINDOW_TEXT_LIST) != 0)
    g_lists.cursor_line->kind |= LINE_KIND_PARAGRAPH;
  page_out_all_lines(g_lists.cursor_line);
  if (load.placeholder == nullptr) close_file_record(w->file);
  w->first_line = g_lists.current.first;
  w->last_line = g_lists.current.last;
  w->current_line = g_lists.cursor_line;
  w->line_count = 0;
  return made;
}

int16_t save_text_file(int record_size, TextLine* window, int copy) {
  TextWindow* w = window_of(window);
  if (w == nullptr || w->file == nullptr || w->file->full_path.empty()) return 27;
  if (g_windows.active == w) store_window_state();
  g_last_save_error.clear();
  const std::string path = w->file->full_path;
  std::vector<RangeBefore> moved;
  std::string why;
  const SaveResult result = save_file_safely(
      path, temp_path_for(path),
      [&](SaveFile* out) {
        if (record_size > 0)
          return write_record_file(out, w->first_line, static_cast<uint16_t>(record_size));
        return write_text(w, copy != 0, out, &moved);
      },
      &why);
  if (result != SAVE_OK) {
    // The unread ranges still describe the old file.
    for (const RangeBefore& r : moved) {
      r.record->file_offset = r.offset;
      r.record->byte_count = r.count;
    }
    if (!g_last_save_error.empty()) why = g_last_save_error;
    report_failure(path, result, why);
    return 27;
  }
  if (copy == 0) {
    // The new file bears the name now: the buffer is saved, and reads its unread ranges there.
    close_file_record(w->file);
    w->flags &= ~WINDOW_CHANGED;
    w->flags |= WINDOW_SAVED;
  }
  return 0;
}

int16_t save_window_file(TextLine* window) {
  return message_box(12, MSGBOX_CENTRE, 40, "Saving File", MSGBOX_SAVE, window, 0, nullptr, 0,
                     nullptr);
}

const std::string& last_save_error() { return g_last_save_error; }
