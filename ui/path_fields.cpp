// The file and folder fields of the settings forms.
#include <algorithm>
#include <cctype>
#include <cstring>
#include <string>
#include <vector>

#include "platform/files.h"
#include "platform/folder_listing.h"
#include "records/preferences.h"
#include "screen/main_form.h"
#include "screen/text_output.h"
#include "store/file_reader.h"
#include "store/text_helpers.h"
#include "ui/dialog_form.h"
#include "ui/editor_cursor.h"
#include "ui/editor_key_map.h"
#include "ui/entry_line.h"
#include "ui/message_box.h"
#include "ui/run_window.h"
#include "ui/settings_fields.h"
#include "ui/standard_dialogs.h"
#include "ui/text_window.h"

namespace {

constexpr size_t PATH_TEXT_SIZE = ENTRY_MOST_CHARS + 1;
constexpr char FOLDER_MISSING_QUESTION[] = "Directory doesn't appear to exist...use it anyway?";

bool is_typed_character(EventCode code) { return code >= 32 && code <= 255; }

// Keys that start an entry on the present text: the key acts in it.
bool edits_present_text(EventCode code) {
  return code == KEY_BACKSPACE || (code >= KEY_F6 && code <= KEY_F10) || code == KEY_HOME ||
         code == KEY_LEFT || code == KEY_RIGHT || code == KEY_END;
}

uint32_t with_form_font(uint32_t flags) {
  const TextWindow* w = g_windows.active;
  if (w != nullptr && (w->options & WINDOW_OPTION_MEDIUM_FONT) != 0) flags |= FIELD_MEDIUM_FONT;
  return flags;
}

// The path entry at the current field: its result, with the edited text in *text, trailing
// blanks cut. A path longer than the field scrolls in it: no path is cut to the field's width.
EventCode edit_path_text(std::string* text, uint32_t flags, int width) {
  char buffer[PATH_TEXT_SIZE] = {};
  std::strncpy(buffer, text->c_str(), ENTRY_MOST_CHARS);
  g_field.field_width = std::max(width - 1, 1);
  const EventCode result = edit_text_line(buffer, g_field.display_row, g_field.value_column,
                                          nullptr, with_form_font(flags), -ENTRY_MOST_CHARS,
                                          FIELD_OPTIONS_USUAL);
  *text = buffer;
  cut_trailing_blanks(text);
  return result;
}

int columns_left() {
  const TextWindow* w = g_windows.active;
  return w != nullptr ? w->right_column - g_field.value_column + 1 : 1;
}

}  // namespace

// ---- A file ------------------------------------------------------------------------------------

EventCode file_name_field(int width, const char* filter, std::string* path) {
  if (path == nullptr) return 0;
  std::string text;
  uint32_t flags = FIELD_PATH;
  for (;;) {
    const EventCode code = read_window_event(width);
    if (is_typed_character(code) && (std::isalpha(code) != 0 || code == '/')) {
      flags = FIELD_PATH_NEW;  // typing starts a new name; the character stays queued
      break;
    }
    if (edits_present_text(code)) {
      if (!is_typed_character(code)) push_input_code_front(code);
      text = *path;
      break;
    }
    if (code == KEY_DEL) {
      if (path->empty()) continue;
      path->clear();
      return FIELD_CHANGED;
    }
    if (code == KEY_ENTER || code == ' ') {
      if (code == ' ') poll_input_code(0);
      const int16_t chosen = open_file_dialog(g_preferences.job_dialog_folder, filter, path);
      return chosen == DIALOG_CHOSEN ? FIELD_CHANGED : FIELD_CANCELLED;
    }
    if (is_typed_character(code)) poll_input_code(0);
    return code;
  }
  const EventCode result = edit_path_text(&text, flags, width);
  if (result >= 0) return 0;
  // A name that does not exist is kept only where new names are allowed.
  if (file_exists(text) || g_file_dialogs.allow_new_names) *path = text;
  else path->clear();
  return result;
}

// ---- A folder -----------------------------------------------------------------------------------

namespace {

// The folder typed: kept when it exists or the user says so. FIELD_CHANGED or the entry's
// result when decided, 0 to edit the text again.
EventCode take_typed_folder(std::string* folder, std::string text, EventCode result) {
  if (text.empty()) {
    folder->clear();
    return result;
  }
  if (text[0] != '/') return result;  // not a folder path: the folder stays as it was
  add_trailing_backslash(&text);
  if (folder_exists(text)) {
    *folder = text;
    return result;
  }
  const int16_t answer = ask_yes_no(FOLDER_MISSING_QUESTION, 0);
  if (answer == 1) {
    *folder = text;
    return FIELD_CHANGED;
  }
  if (answer == 0) return 0;
  folder->clear();
  return result;
}

}  // namespace

EventCode directory_field(std::string* folder, int width) {
  if (folder == nullptr) return 0;
  (void)width;  // the field reaches to the window's edge
  const int cells = columns_left();
  std::string text;
  uint32_t flags = FIELD_PATH;
  for (;;) {
    const EventCode code = map_field_clipboard_keys(read_window_event(cells));
    if (is_typed_character(code) && (std::isalpha(code) != 0 || code == '/')) {
      flags = FIELD_PATH_NEW;
      break;
    }
    if (code == WINDOW_PASTE_SYSTEM || code == KEY_INS) {
      folder->clear();
      push_input_code_front(code);
      flags = FIELD_PATH_NEW;
      break;
    }
    if (code == KEY_DEL || code == WINDOW_CUT) {
      folder->clear();
      return FIELD_CHANGED;
    }
    if (code == WINDOW_COPY || code == WINDOW_COPY_SYSTEM) {
      if (code == WINDOW_COPY) copy_to_text_clipboard(folder->c_str());
      else copy_text_to_system_clipboard(folder->c_str());
      continue;
    }
    if (edits_present_text(code)) {
      if (code > ' ') push_input_code_front(code);
      text = *folder;
      break;
    }
    if (code == KEY_ENTER || code == ' ') {
      if (code == ' ') poll_input_code(0);
      if (g_form.redraw_level == 0) g_form.redraw_level = 1;
      return browse_folder(folder);
    }
    if (is_typed_character(code)) poll_input_code(0);
    return code;
  }
  for (;;) {
    const EventCode result = edit_path_text(&text, flags, cells);
    if (result >= 0) return FIELD_CANCELLED;
    const EventCode decided = take_typed_folder(folder, text, result);
    if (decided != 0) return decided;
    flags = FIELD_PATH;
  }
}

void set_file_record_path(std::string* path, FileRecord* record, std::string* dialog_extension) {
  if (path == nullptr || record == nullptr || path->empty() ||
      static_cast<unsigned char>((*path)[0]) < 32)
    return;
  std::string folder;
  std::string name;
  split_path(*path, &folder, &name);
  if (!folder.empty()) {
    // "/" is tested as it is; any other folder without its trailing '/'.
    const std::string bare = folder.size() > 1 ? folder.substr(0, folder.size() - 1) : folder;
    if (folder_exists(bare)) record->folder = folder;
  }
  std::string base;
  std::string extension;
  split_extension(name, &base, &extension);
  if (!extension.empty()) {
    record->extension = "." + extension;
    if (dialog_extension != nullptr) *dialog_extension = record->extension;
  } else if (!record->extension.empty()) {
    // "report" and "report." both become "report" + the record's extension.
    if (name.empty() || name.back() != '.') name += '.';
    name += record->extension.substr(record->extension[0] == '.' ? 1 : 0);
  }
  record->name = name;
  record->full_path = record->folder + record->name;
  if (dialog_extension != nullptr) {
    std::vector<uint8_t>& redraw = g_field.redraw;
    for (size_t field = 1; field <= 3 && field < redraw.size(); ++field) redraw[field] = 1;
    if (redraw.size() > 4) redraw[4] = 0;
  }
  *path = base;
}
