#include "ui/file_name_dialog.h"

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/cp1252.h"
#include "platform/files.h"
#include "platform/folder_listing.h"
#include "platform/folder_scan.h"
#include "screen/controls.h"
#include "screen/text_output.h"
#include "store/catalogue.h"
#include "store/message_ids.h"
#include "store/text_helpers.h"
#include "ui/dialog_form.h"
#include "ui/dir_tree.h"
#include "ui/field_flags.h"
#include "ui/file_list.h"
#include "ui/run_window.h"
#include "ui/settings_fields.h"
#include "ui/standard_dialogs.h"
#include "ui/text_window.h"

FileNameDialog g_file_name_dialog;

namespace {

enum Row { ROW_BAR, ROW_NAME, ROW_EXTENSION, ROW_FOLDER };

constexpr int FIELD_ROWS = 4;
static_assert(FORM_SAVE_COPY_FIELDS == FIELD_ROWS && FORM_NC_FILE_NAME_FIELDS == FIELD_ROWS &&
              FORM_RENAME_FILE_FIELDS == FIELD_ROWS);
constexpr int VALUE_COLUMN = 14;
constexpr int LEAST_ROWS = 8;         // the fields, then room for the information line
constexpr int INFO_FIRST_ROW = 5;     // the information line's rows in the form
constexpr int INFO_ROWS = 2;
constexpr int NAME_CAPACITY = 251;    // 250 characters and the closing zero
constexpr int EXTENSION_CAPACITY = 4;
constexpr int SHOWN_WIDTH = 80;
constexpr int FOLDER_ENTRY_WIDTH = 50;
constexpr int PATH_SHOWN_WIDTH = 80;
constexpr int PATH_LEAST_WIDTH = 12;
constexpr int EXISTS_ROOM = 8;       // " exists." after the path
constexpr uint32_t NAME_FLAGS = FIELD_PATH;  // a file name in which a path may be typed
constexpr uint32_t EXTENSION_FLAGS = FIELD_NO_BLANKS | FIELD_FILE_NAME | FIELD_WILDCARDS;
constexpr char BAR_TEXT[] = "OK    CANCEL";
constexpr char BAR_LETTERS[] = "OC";
constexpr char NO_EXTENSION[] = "*";
constexpr char DRIVE_FAILED_FORMAT[] = "Drive \v%c\x13 ... no disk or invalid!";
constexpr char EXISTS_FORMAT[] = "\v%s \fexists.\n\vFile size: \f%s bytes.  \vFile date:\f %s";
constexpr char NEW_FILE_FORMAT[] = "\v%s\nwill be a \fnew\v file.";

// The running dialog: the texts its rows show and whether it opened on a named file.
struct DialogRun {
  std::string base;        // the name without its extension
  std::string extension;   // without the dot; "*" when there is none
  bool opened_with_path = false;
};
DialogRun g_dialog_run;

template <typename... Args>
std::string format_text(const char* format, Args... args) {
  const int n = std::snprintf(nullptr, 0, format, args...);
  if (n < 0) return "";
  std::vector<char> text(static_cast<size_t>(n) + 1);
  std::snprintf(text.data(), text.size(), format, args...);
  return text.data();
}

std::string extension_letters(const std::string& extension) {
  return !extension.empty() && extension[0] == '.' ? extension.substr(1) : extension;
}

// ".ext" of the letters (GCC 12 warns wrongly on "." + letters).
std::string dotted(const std::string& letters) {
  std::string text(1, '.');
  text.append(letters);
  return text;
}

// The record's full path is its folder and name whenever it has a name.
void join_full_path(FileRecord* r) { r->full_path = r->name.empty() ? "" : r->folder + r->name; }

// Every call starts from the record: its full path split into folder and name, the name into
// base and extension.
void take_record() {
  FileRecord& r = g_file_name_dialog.record;
  if (!r.full_path.empty()) {
    std::string folder;
    split_path(r.full_path, &folder, &r.name);
    if (!folder.empty()) r.folder = folder;
  }
  std::string extension;
  split_extension(r.name, &g_dialog_run.base, &extension);
  if (!extension.empty()) r.extension = dotted(extension);
  std::string shown = !extension.empty() ? extension : extension_letters(r.extension);
  if (shown.empty()) shown.assign(1, NO_EXTENSION[0]);
  g_dialog_run.extension.swap(shown);
  join_full_path(&r);
}

void flag_rows(int first, int last) {
  for (int row = first; row <= last; ++row)
    if (static_cast<size_t>(row) < g_field.redraw.size()) g_field.redraw[row] = 1;
}

// Month names for the file date, read from the catalogue once.
const std::vector<std::string>& month_names() {
  static std::vector<std::string> names;
  if (names.empty()) message_lines_to_array(MSG_MONTH_NAMES, &names, MONTH_NAME_COUNT);
  return names;
}

std::string file_date_text(const std::string& path) {
  LocalTime t;
  if (!file_modified_time(path, &t) || t.year < 1980) return "";
  const uint16_t date = static_cast<uint16_t>(((t.year - 1980) << 9) | (t.month << 5) | t.day);
  const uint16_t time =
      static_cast<uint16_t>((t.hour << 11) | (t.minute << 5) | (t.second / 2));
  return format_dos_date_time(date, time, false, month_names());
}

std::string build_info_line(const std::string& path) {
  if (path.empty() || g_dialog_run.base.empty()) return "";
  const int drive = drive_of_path(path);
  if (drive >= 0 && test_drive(drive) == 0)
    return format_text(DRIVE_FAILED_FORMAT, static_cast<char>('A' + drive));
  // The path is shortened to leave room for " exists." on the form's row.
  const TextWindow* w = g_windows.active;
  int width = PATH_SHOWN_WIDTH;
  if (w != nullptr) width = std::min(width, w->right_column - w->left_column - 1 - EXISTS_ROOM);
  const std::string shown =
      abbreviate_path(cp1252_from_utf8(path, '?').c_str(), std::max(width, PATH_LEAST_WIDTH));
  const int64_t size = file_size(path);
  if (size >= 0) {
    return format_text(EXISTS_FORMAT, shown.c_str(), format_thousands(size).c_str(),
                       file_date_text(path).c_str());
  }
  std::string folder, name;
  split_path(path, &folder, &name);
  if (!name.empty() && name[0] == '.') return "";
  return format_text(NEW_FILE_FORMAT, shown.c_str());
}

// The information line in its rows of the form, the rows cleared first.
void draw_info_line() {
  const TextWindow* w = g_windows.active;
  if (w == nullptr || w->line_count < INFO_FIRST_ROW + INFO_ROWS) return;
  const int width = w->right_column - w->left_column - 1;
  if (width <= 0) return;
  const std::string& info = g_file_name_dialog.info;
  size_t start = 0;
  for (int k = 0; k < INFO_ROWS; ++k) {
    const int row = w->top_row + INFO_FIRST_ROW + k;
    blank_row_span(row, w->left_column + 1, width);
    if (start > info.size()) continue;
    size_t end = info.find('\n', start);
    if (end == std::string::npos) end = info.size();
    const std::string line = info.substr(start, end - start);
    if (!line.empty()) draw_text(row, w->left_column + 1, line.c_str());
    start = end + 1;
  }
}

void show_rows() {
  const bool rebuild =
      std::any_of(g_field.redraw.begin(),
                  g_field.redraw.begin() + std::min<size_t>(g_field.redraw.size(), ROW_FOLDER + 1),
                  [](uint8_t flag) { return flag != 0; });
  if (rebuild) {
    g_file_name_dialog.info = build_info_line(g_file_name_dialog.record.full_path);
    draw_info_line();
  }
  begin_display_pass();
  skip_field_display();
  show_text_value(g_dialog_run.base.c_str(), SHOWN_WIDTH);
  show_text_value(g_dialog_run.extension.c_str(), EXTENSION_CAPACITY - 1);
  // A fixed folder shows in the third colour: it is there to be read, not entered.
  const std::string folder =
      (g_file_name_dialog.fixed_folder ? "\x0e" : "") + g_file_name_dialog.record.folder;
  show_text_value(folder.c_str(), SHOWN_WIDTH);
  draw_ok_cancel();
}

EventCode bar_row() {
  // A named file is offered for OK; a new one for CANCEL, so that Enter alone does not write it.
  const EventCode chosen =
      button_bar_field(BAR_TEXT, BAR_LETTERS, g_dialog_run.opened_with_path ? 0 : 1);
  if (chosen == 1) return KEY_ESC;
  if (chosen != 0) return chosen;
  if (g_dialog_run.base.empty()) return KEY_DOWN;
  make_file_folder();
  return WINDOW_ACCEPT;
}

EventCode name_row() {
  FileRecord& r = g_file_name_dialog.record;
  char text[NAME_CAPACITY] = {};
  std::snprintf(text, sizeof text, "%s", g_dialog_run.base.c_str());
  const EventCode result = edit_value_field({text, sizeof text}, NAME_FLAGS,
                                            FIELD_OPTIONS_USUAL | EXIT_ENTER, SHOWN_WIDTH);
  if (result < 0) {
    if (text[0] == '\0') {
      r.name.clear();
      r.full_path.clear();
      g_file_name_dialog.info.clear();
      draw_info_line();
    } else {
      set_file_record_path(text, &r);
      join_full_path(&r);
    }
    return result;
  }
  if (result == KEY_ENTER) {
    // Enter on the name: the save dialog, whose choice replaces name and extension.
    FileRecord chosen = r;
    if (save_as_dialog(&chosen) == DIALOG_CHOSEN) {
      r.folder = chosen.folder;
      r.name = chosen.name;
      r.extension = chosen.extension;
      r.full_path = chosen.full_path;
    }
    return EVENT_REDRAW;
  }
  return result;
}

EventCode extension_row() {
  FileRecord& r = g_file_name_dialog.record;
  char text[EXTENSION_CAPACITY] = {};
  std::snprintf(text, sizeof text, "%s", g_dialog_run.extension == NO_EXTENSION ? "" : g_dialog_run.extension.c_str());
  const EventCode result =
      edit_value_field({text, sizeof text}, EXTENSION_FLAGS, FIELD_OPTIONS_USUAL,
                       EXTENSION_CAPACITY - 1);
  if (result >= 0) return result;
  r.extension = text[0] != '\0' ? dotted(text) : "";
  if (!r.name.empty()) {
    change_extension(&r.name, text[0] != '\0' ? text : nullptr);
    join_full_path(&r);
  }
  flag_rows(ROW_NAME, ROW_EXTENSION);
  return result;
}

EventCode folder_row() {
  if (g_file_name_dialog.fixed_folder) return KEY_UP;
  FileRecord& r = g_file_name_dialog.record;
  std::string folder = r.folder;
  const EventCode result = directory_field(&folder, FOLDER_ENTRY_WIDTH);
  if (result >= 0 || result == FIELD_CANCELLED) return result;
  add_trailing_backslash(&folder);
  r.folder = folder;
  join_full_path(&r);
  return EVENT_REDRAW;
}

EventCode edit_row(int row) {
  EventCode result = 0;
  switch (row) {
    case ROW_BAR: return bar_row();
    case ROW_NAME: result = name_row(); break;
    case ROW_EXTENSION: result = extension_row(); break;
    case ROW_FOLDER: result = folder_row(); break;
    default: return KEY_UP;  // the rows under the fields hold the information line
  }
  // A field left by a cancel that was not the Esc key (the right button) goes to the first row.
  if (result == KEY_ESC && g_events.last_code != KEY_ESC) return FORM_FIRST_FIELD;
  return result;
}

}  // namespace

EventCode file_name_dialog_fields() {
  take_record();
  EventCode result = edit_current_field(edit_row);
  if (result == EVENT_REDRAW) {
    // A new folder or a name from the save dialog: the whole form is drawn again.
    take_record();
    std::fill(g_field.redraw.begin(), g_field.redraw.end(), 1);
    result = 0;
  } else if (result < 0 || result == FORM_FIRST_PASS) {
    take_record();
  }
  show_rows();
  return end_field_handler(result);
}

int file_name_dialog(int form) {
  FileNameDialog& d = g_file_name_dialog;
  g_dialog_run = DialogRun{};
  g_dialog_run.opened_with_path = !d.record.full_path.empty();
  d.info.clear();
  push_hit_state();
  g_controls.hit_test_off = true;
  g_field.next_label_width = VALUE_COLUMN;
  g_field.next_extra_lines = LEAST_ROWS - FIELD_ROWS;
  // Without a name the cursor starts on the name.
  take_record();
  if (g_dialog_run.base.empty()) g_field.initial_field = ROW_NAME;
  const int accepted = run_dialog(form, file_name_dialog_fields);
  pop_hit_state();
  if (accepted == 0) return 27;
  join_full_path(&d.record);
  return 13;
}

bool make_file_folder() {
  const std::string& folder = g_file_name_dialog.record.folder;
  if (folder.empty() || folder == "/" || folder_exists(folder)) return true;
  std::string path = folder;
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  return make_one_folder(path, nullptr);
}

void set_file_record_path(const std::string& path, FileRecord* record) {
  if (path.empty() || static_cast<unsigned char>(path[0]) < ' ') return;
  std::string folder, name;
  split_path(path, &folder, &name);
  if (!folder.empty()) {
    std::string tested = folder;
    while (tested.size() > 1 && tested.back() == '/') tested.pop_back();
    if (folder_exists(tested)) record->folder = folder;
  }
  std::string base, extension;
  split_extension(name, &base, &extension);
  if (!extension.empty()) {
    record->extension = dotted(extension);
  } else if (!record->extension.empty()) {
    // A name that already ends in a dot takes only the letters.
    if (!name.empty() && name.back() == '.') name += extension_letters(record->extension);
    else name += record->extension;
  }
  record->name = name;
  flag_rows(ROW_NAME, ROW_FOLDER);
}

void reset_file_name_dialog() {
  g_file_name_dialog = FileNameDialog{};
  g_dialog_run = DialogRun{};
}
