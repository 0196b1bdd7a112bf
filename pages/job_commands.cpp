#include "pages/job_commands.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "cam/make_nc.h"
#include "cam/mass_change.h"
#include "commands/machining_commands.h"
#include "commands/text_list_view.h"
#include "editor/drawing_commands.h"
#include "editor/edit_session.h"
#include "editor/editor_page.h"
#include "editor/undo_store.h"
#include "import/import_drawing.h"
#include "job/job_file.h"
#include "job/job_host.h"
#include "job/job_open.h"
#include "job/job_statistics.h"
#include "pages/dxf_export_form.h"
#include "pages/feed_rate_list.h"
#include "pages/import_forms.h"
#include "pages/interface_settings_form.h"
#include "pages/serial_terminal.h"
#include "pages/settings_dialogs.h"
#include "pages/text_import.h"
#include "pages/text_mass_change.h"
#include "platform/cp1252.h"
#include "platform/files.h"
#include "records/job_settings.h"
#include "records/parked_items.h"
#include "records/preferences.h"
#include "screen/boxes.h"
#include "screen/display_mode.h"
#include "screen/event_queue.h"
#include "screen/interface_settings.h"
#include "screen/main_form.h"
#include "screen/palette.h"
#include "store/catalogue.h"
#include "store/file_reader.h"
#include "store/message_ids.h"
#include "store/scratch_buffer.h"
#include "store/text_helpers.h"
#include "text/text_items.h"
#include "ui/buffer_windows.h"
#include "ui/edit_buffers.h"
#include "ui/load_lists.h"
#include "ui/message_box.h"
#include "ui/page_entries.h"
#include "ui/palette_dialog.h"
#include "ui/popups.h"
#include "ui/run_window.h"
#include "ui/standard_dialogs.h"
#include "ui/text_window.h"

namespace {

// A text made from a format with one argument, never cut.
template <typename T>
std::string format_text(const char* format, T value) {
  const int n = std::snprintf(nullptr, 0, format, value);
  if (n < 0) return "";
  std::vector<char> text(static_cast<size_t>(n) + 1);
  std::snprintf(text.data(), text.size(), format, value);
  return text.data();
}

void say_no_such_option(int option) {
  show_text_box(format_text(NO_SUCH_OPTION_FORMAT, option).c_str(), TEXTBOX_PRESS_A_KEY);
}

void take_job_path(const std::string& path) {
  g_job_file.full_path = path;
  FileRecord* record = job_file_record();
  if (record == nullptr) return;
  record->full_path = path;
  split_path(path, &record->folder, &record->name);
  record->extension = ".Job";
}

// Reads the job into the drawing window's list.
int read_into_drawing_window(const std::string& path) {
  TextLine* drawing = g_shared_windows.drawing;
  if (window_of(drawing) == nullptr) return load_job_file(path, nullptr);
  return run_in_window(drawing, [&path] { return load_job_file(path, nullptr); });
}

// ---- The recent-jobs list ----------------------------------------------------------------------

constexpr int RECENT_JOBS_CENTRE_ROW = 18;
constexpr int RECENT_JOBS_COLUMN = 22;
constexpr int RECENT_JOBS_LEAST_ROWS = 4;

// The job load list of the preferences file: the recent jobs, most recent first.
TextWindow* recent_jobs_window() { return window_of(g_load_lists.load_list_window); }

// Paths are compared exactly: names that differ only in case are different files here.
void add_recent_job(const std::string& path) {
  if (!path.empty()) add_history_entry(path.c_str(), recent_jobs_window(), LOAD_LIST_MOST_NAMES);
}

// Takes that very line out of the window's list.
void remove_recent_line(TextWindow* w, TextLine* line) {
  if (push_list() < 0) return;
  g_lists.current = LineList{w->first_line, w->last_line};
  delete_line(line);
  w->first_line = g_lists.current.first;
  w->last_line = g_lists.current.last;
  w->current_line = w->first_line;
  w->cursor_row = 0;
  pop_list();
  // Still the active window (nothing was active before it): its list is the current one.
  if (w == g_windows.active) {
    g_lists.current = LineList{w->first_line, w->last_line};
    g_lists.cursor_line = w->current_line;
  }
}

// Takes every line naming the path out of the recent-jobs list.
void remove_recent_job(const std::string& path) {
  TextWindow* w = recent_jobs_window();
  if (w == nullptr) return;
  for (TextLine* line = w->first_line; line != nullptr;) {
    TextLine* next = line->next;
    std::string text = line->text;
    if (!text.empty() && text.back() == '\n') text.pop_back();
    if (text == path) remove_recent_line(w, line);
    line = next;
  }
}

int checked_lines(const TextWindow* w) {
  int count = 0;
  for (const TextLine* line = w->first_line; line != nullptr; line = line->next)
    if ((line->state & LINE_STATE_CHECKED) != 0) ++count;
  return count;
}

}  // namespace

FileRecord* job_file_record() {
  TextWindow* window = window_of(g_shared_windows.drawing);
  return window != nullptr ? window->file : nullptr;
}

int job_file_dialog(std::string* path) {
  const std::string& start = !g_preferences.job_folder.empty() ? g_preferences.job_folder
                                                               : g_preferences.job_dialog_folder;
  std::string chosen;
  if (open_file_dialog(start, JOB_FILE_FILTER, &chosen) != DIALOG_CHOSEN) return -1;
  std::string folder;
  std::string name;
  split_path(chosen, &folder, &name);
  g_preferences.job_dialog_folder = folder;
  *path = chosen;
  return 0;
}

int open_job(const char* path) {
  std::string chosen;
  if (path == nullptr) {
    if (job_file_dialog(&chosen) != 0) {
      g_form.redraw_level = 1;
      return -1;
    }
  } else {
    chosen = path;
  }
  if (ask_save_changes(MSG_SAVE_UNNAMED_BEFORE_OPEN) != 0) {
    g_form.redraw_level = 1;
    return -1;
  }
  const int read = read_into_drawing_window(chosen);
  int result = 0;
  if (read != 0) {
    // The reader tells of a lack of memory itself; every other failure is told here, the
    // silent ones (no such file, an empty one) too, since the user asked for this file.
    if (g_job_file.last_read_error != JOB_READ_NO_MEMORY) {
      const std::string shown = cp1252_from_utf8(chosen, '?');
      show_text_box(format_text(JOB_NOT_VALID_FORMAT, shown.c_str()).c_str(), TEXTBOX_PRESS_A_KEY);
    }
    result = 1;
  } else {
    take_job_path(chosen);
    // The items parked by the Engraving list were the old job's; the new job's are parked and
    // its texts numbered when that page shows it.
    if (g_parked_items.first != nullptr) free_list(g_parked_items.first);
    reset_parked_items();
    if ((g_preferences.current_page & ~PAGE_QUIT) == PAGE_ENGRAVING_LIST) enter_text_list_view();
    clear_tool_path();
    undo_clear();
    g_job_settings.view_fitted = 0;
    add_recent_job(chosen);
  }
  set_window_title();
  g_form.redraw_level = 1;
  return result;
}

int new_job() {
  if (ask_save_changes(MSG_SAVE_UNNAMED_BEFORE_NEW) != 0) {
    g_form.redraw_level = 1;
    return -1;
  }
  // A new job keeps the grid display the page shows.
  const uint8_t grid_shown = g_job_settings.grid_shown;
  const auto start = [] {
    free_current_list();
    g_lists.cursor_line = nullptr;
    g_lists.block_start = g_lists.block_end = nullptr;
    read_job_settings(nullptr, 0);
    new_text_item();
    g_lists.cursor_line = g_lists.current.first;
    return 0;
  };
  TextLine* drawing = g_shared_windows.drawing;
  if (window_of(drawing) != nullptr) run_in_window(drawing, start);
  else start();
  if (g_parked_items.first != nullptr) free_list(g_parked_items.first);
  reset_parked_items();
  g_job_settings.grid_shown = grid_shown;
  g_job_settings.job_changed = 0;
  g_job_settings.view_fitted = 0;
  g_job_file.full_path.clear();
  if (FileRecord* record = job_file_record()) {
    record->full_path.clear();
    record->name.clear();
    record->folder = !g_preferences.job_folder.empty() ? g_preferences.job_folder
                                                        : g_preferences.job_dialog_folder;
    record->extension = ".Job";
  }
  clear_tool_path();
  undo_clear();
  set_window_title();
  g_form.redraw_level = 1;
  return 0;
}

namespace {

constexpr char SAVING_TITLE[] = "Saving File";
constexpr int SAVE_BOX_WIDTH = 60;
constexpr int SAVE_AS_NAME_WIDTH = 20;
constexpr char JOB_RECORD_EXTENSION[] = ".Job";

// The job saver under the message box: the job is written to the path of the drawing window's
// record. A copy elsewhere leaves the job its own name, and leaves it changed: its own file
// does not hold what the copy holds.
int16_t save_job_file(int /*arg*/, TextLine* window, int copy) {
  TextWindow* w = window_of(window);
  if (w == nullptr || w->file == nullptr) return 27;
  const std::string own_path = g_job_file.full_path;
  const uint8_t own_changed = g_job_settings.job_changed;
  g_job_file.full_path = w->file->full_path;
  // The job is the drawing window's list: it is the current list while it is written, not the
  // box's lines.
  const int result = run_in_window(window, save_job_via_temp);
  if (copy != 0) {
    g_job_file.full_path = own_path;
    g_job_settings.job_changed = own_changed;
  } else if (result == 0) {
    take_job_path(g_job_file.full_path);
  } else {
    // Not written: the job keeps the name it had, not the one asked for.
    g_job_file.full_path = own_path;
    if (!own_path.empty()) {
      take_job_path(own_path);
    } else {
      w->file->full_path.clear();
      w->file->name.clear();
    }
  }
  return static_cast<int16_t>(result == 0 ? 0 : 27);
}

int run_save_prompt(uint32_t mode, int arg) {
  FileRecord* record = job_file_record();
  if (record == nullptr) return 27;
  if (record->full_path.empty() && record->folder.empty())
    record->folder = !g_preferences.job_folder.empty() ? g_preferences.job_folder
                                                       : g_preferences.job_dialog_folder;
  record->extension = JOB_RECORD_EXTENSION;
  const SaveHook normal = g_message_box.save_hook;
  g_message_box.save_hook = save_job_file;
  const int result = message_box(MSGBOX_CENTRE, MSGBOX_CENTRE, SAVE_BOX_WIDTH, SAVING_TITLE, mode,
                                 g_shared_windows.drawing, arg, nullptr, 0, SAVING_TITLE);
  g_message_box.save_hook = normal;
  return result;
}

}  // namespace

int save_job(uint32_t mode) {
  const int result = run_save_prompt(mode, 0);
  if (result != 27) {
    g_job_settings.job_changed = 0;
    set_window_title();
    add_recent_job(g_job_file.full_path);
  }
  g_form.redraw_level = 1;
  return result;
}

int save_job_as() {
  const int result = run_save_prompt(MSGBOX_COPY_TO_FLOPPY, SAVE_AS_NAME_WIDTH);
  set_window_title();
  g_form.redraw_level = 1;
  return result;
}

int delete_job() {
  const std::string path = g_job_file.full_path;
  const std::string shown = "\v" + cp1252_from_utf8(path, '?') + "\x13";
  if (path.empty()) {
    show_catalogue_box(MSG_NO_JOB_FILE_TO_DELETE, "");
    return 0;
  }
  if (ask_catalogue_choice(MSG_CHOICE_DELETE_JOB, 0) != 0) return 0;
  errno = 0;
  if (!file_delete(path) && file_exists(path)) {
    // The file is still there: the job keeps it and its name, and the user learns why.
    const std::string reason = errno != 0 ? std::strerror(errno) : "unknown reason";
    show_catalogue_box(MSG_JOB_NOT_DELETED, shown + " (" + reason + ")\n");
    return 0;
  }
  remove_recent_job(path);
  g_job_settings.job_changed = 0;
  return new_job();
}

int open_recent_job() {
  TextLine* node = g_load_lists.load_list_window;
  TextWindow* w = window_of(node);
  if (w == nullptr) return 0;
  fit_window_to_lines(w);
  fit_window_rows(w, RECENT_JOBS_CENTRE_ROW, static_cast<int>(LOAD_LIST_MOST_NAMES),
                  RECENT_JOBS_LEAST_ROWS);
  place_window(w, -(w->top_row + 1), RECENT_JOBS_COLUMN);
  int result = 0;
  for (;;) {
    push_active_window();
    TextLine* chosen = run_window(node);
    const int checked = checked_lines(w);
    pop_active_window();
    if (chosen == nullptr) break;
    if (checked > 1) {
      show_catalogue_box(MSG_RECENT_JOBS_ONE_ONLY, "");
      continue;
    }
    std::string path = chosen->text;
    if (!path.empty() && path.back() == '\n') path.pop_back();
    if (path.empty()) break;
    result = open_job(path.c_str());
    if (result != 1) break;
    // Not readable any more: it leaves the list, which comes back without it.
    show_catalogue_box(MSG_RECENT_JOB_NOT_READABLE, "\v" + cp1252_from_utf8(path, '?') + "\x13");
    remove_recent_line(w, chosen);
  }
  g_form.redraw_level = 1;
  return result;
}

namespace {

// The template drawing goes: its path, its items, and its picture on the Drawing page.
void drop_template() {
  std::memset(g_job_settings.template_path, 0, sizeof g_job_settings.template_path);
  if (g_import.template_items.first != nullptr) free_list(g_import.template_items.first);
  g_import.template_items = LineList{};
  g_import.template_path.clear();
  g_form.redraw_level = 1;
}

// The editing buffers' face: the normal, menu or small face (the small one only where the
// display mode has room for it).
void set_buffer_font_option(int option) {
  constexpr uint8_t FACES[] = {0, 16, 32};
  constexpr int SMALL_FACE_LEAST_MODE = 2;
  if (option == FILE_OPTION_BUFFER_FONT_SMALL && g_display.band < SMALL_FACE_LEAST_MODE) return;
  const uint8_t face = FACES[option - FILE_OPTION_BUFFER_FONT_NORMAL];
  if (g_interface.editor_face == face) return;
  g_interface.editor_face = face;
  apply_buffer_font_size();
  g_form.redraw_level = 1;
}

}  // namespace

int file_menu_command(int option) {
  if (option >= FILE_OPTION_FIRST_DISPLAY_MODE && option <= FILE_OPTION_LAST_DISPLAY_MODE) {
    set_display_mode(FILE_OPTION_LAST_DISPLAY_MODE - option);
    return 0;
  }
  switch (option) {
    case FILE_OPTION_HELP: show_help_file(); break;
    case FILE_OPTION_QUIT: g_events.quit_requested = true; break;
    case FILE_OPTION_OPEN_JOB: open_job(nullptr); break;
    case FILE_OPTION_RECENT_JOBS: open_recent_job(); break;
    case FILE_OPTION_NEW_JOB: new_job(); break;
    case FILE_OPTION_SAVE_AS_ANOTHER_FILE: save_job(MSGBOX_SAVE_AS); break;
    case FILE_OPTION_SAVE_AS: save_job_as(); break;
    case FILE_OPTION_INTERFACE_SETTINGS: run_interface_settings_form(); break;
    case FILE_OPTION_COLOURS: colour_dialog(); break;
    case FILE_OPTION_NEXT_COLOUR_SCHEME:
      read_write_palette_file(-1);
      g_form.redraw_level = 1;
      break;
    case FILE_OPTION_PRINT:
      if (g_drawing_commands.print_drawing != nullptr) g_drawing_commands.print_drawing();
      else say_no_such_option(option);
      break;
    case FILE_OPTION_MINIMISE: release_and_minimise(); break;
    case FILE_OPTION_DXF_EXPORT: dxf_export(); break;
    case FILE_OPTION_JOB_STATISTICS:
      show_job_statistics(nullptr, g_import.template_items.first != nullptr);
      break;
    case FILE_OPTION_FORM_TO_CORNER: form_to_monitor_corner(); break;
    case FILE_OPTION_CENTRE_FORM: centre_form_on_screen(); break;
    case FILE_OPTION_ABOUT: about_box(); break;
    case FILE_OPTION_UNDO: undo_command(); break;
    case FILE_OPTION_REDO: redo_command(); break;
    case FILE_OPTION_SAVE:
    case FILE_OPTION_SAVE_FILE:
      if (edit_session_open()) show_catalogue_box(MSG_SAVE_DURING_EDIT, "");
      else save_job(MSGBOX_SAVE);
      break;
    case FILE_OPTION_RENAME_BUFFER_FILE:
      rename_buffer_file();
      set_window_title();
      break;
    case FILE_OPTION_DELETE_JOB: delete_job(); break;
    case FILE_OPTION_IMPORT_TEXT: import_text_lines(); break;
    case FILE_OPTION_IMPORT_DRAWING: run_import_form(IMPORT_MODE_FORM); break;
    case FILE_OPTION_IMPORT_DXF_LAYERS: run_import_form(IMPORT_MODE_LAYER_TABLE); break;
    case FILE_OPTION_TEMPLATE_DRAWING: run_import_form(IMPORT_MODE_TEMPLATE); break;
    case FILE_OPTION_SERIAL_TERMINAL: run_serial_terminal(); break;
    case FILE_OPTION_EDITOR_SETTINGS: edit_editor_settings(); break;
    case FILE_OPTION_TEXT_PARAMETERS: change_text_parameters_command(); break;
    case FILE_OPTION_SPACE_TEXTS: space_text_items_command(); break;
    case FILE_OPTION_TEMPLATE_LAYER: template_set_layer(); break;
    case FILE_OPTION_DROP_TEMPLATE: drop_template(); break;
    case FILE_OPTION_PREFERENCES: edit_preferences(); break;
    case FILE_OPTION_FEED_RATES: feed_rate_command(); break;
    case FILE_OPTION_BUFFER_FONT_NORMAL:
    case FILE_OPTION_BUFFER_FONT_MEDIUM:
    case FILE_OPTION_BUFFER_FONT_SMALL: set_buffer_font_option(option); break;
    case CHANGE_OP_AND_LAYER: case CHANGE_BOTH_TOOLS: case CHANGE_CENTERLINE_TOOL:
    case CHANGE_FINISHING_TOOL: case CHANGE_ROUGHING_TOOL: change_items_command(option); break;
    default: say_no_such_option(option); break;
  }
  return 0;
}

int ask_save_changes(int message) {
  if (g_job_settings.job_changed == 0) return 0;
  // The questions of a job with a file come three numbers before those of one without.
  if (!g_job_file.full_path.empty()) message -= 3;
  switch (ask_catalogue_choice(message, 0)) {
    case SAVE_CHOICE_SAVE:
      // A save that failed keeps the user where the changes still are.
      return save_job(MSGBOX_SAVE) == 0 ? 0 : -1;
    case SAVE_CHOICE_DISCARD: return 0;
    default: return -1;
  }
}

int request_quit() {
  g_events.quit_requested = false;
  if (ask_save_changes(MSG_SAVE_UNNAMED_JOB) != 0 || ask_save_every_buffer() != 0) {
    g_form.redraw_level = 1;
    return 0;
  }
  g_preferences.current_page |= PAGE_QUIT;
  return KEY_ESC;
}

void connect_job_commands() {
  g_page_entries.file_menu_command = file_menu_command;
  g_page_entries.ask_save_changes = ask_save_changes;
  g_page_entries.request_quit = request_quit;
  g_page_entries.open_job = open_job;
  g_page_entries.save_job = save_job;
  g_page_entries.job_file_dialog = job_file_dialog;
  g_drawing_commands.grid_options_dialog = grid_options_dialog;
  g_job_host.ask_choice = [](int message) -> int {
    const int answer = ask_catalogue_choice(message, 0);
    return answer == KEY_ESC ? -1 : answer;
  };
}

// ---- Texts on the screen ----------------------------------------------------------------------

void set_window_title() {
  const FileRecord* record = job_file_record();
  const std::string path = record != nullptr ? record->full_path : "";
  char* title = scratch_at(SCRATCH_TITLE);
  const size_t room = SCRATCH_SECOND_MESSAGE - SCRATCH_TITLE;
  if (path.empty()) {
    std::snprintf(title, room, WINDOW_TITLE_FORMAT, WINDOW_TITLE_NO_JOB);
  } else {
    std::snprintf(title, room, WINDOW_TITLE_FORMAT,
                  abbreviate_path(cp1252_from_utf8(path, '?').c_str(), WINDOW_TITLE_PATH_WIDTH)
                      .c_str());
  }
  draw_caption(title, 1);
}

namespace {

// Megabytes (millions of bytes) of /proc/meminfo's fields; false when it cannot be read.
struct MemoryStatus {
  long long total_mb = 0;
  long long available_mb = 0;
  long long virtual_available_mb = 0;  // memory and swap still free
};

bool read_memory_status(MemoryStatus* status) {
  std::ifstream file("/proc/meminfo");
  if (!file) return false;
  long long total_kb = -1, available_kb = -1, swap_free_kb = 0;
  std::string line;
  while (std::getline(file, line)) {
    std::istringstream fields(line);
    std::string name;
    long long kb = 0;
    if (!(fields >> name >> kb)) continue;
    if (name == "MemTotal:") total_kb = kb;
    if (name == "MemAvailable:") available_kb = kb;
    if (name == "SwapFree:") swap_free_kb = kb;
  }
  if (total_kb <= 0 || available_kb < 0) return false;
  status->total_mb = total_kb * 1024 / 1000000;
  status->available_mb = available_kb * 1024 / 1000000;
  status->virtual_available_mb = (available_kb + swap_free_kb) * 1024 / 1000000;
  return true;
}

constexpr uint32_t MEMORY_STATUS_BOX = 0x80140;
constexpr uint32_t ABOUT_BOX = 0x60200;
constexpr char ABOUT_TEXT[] =
    "\x1d!!Brenvik, CAD/CAM for engraving and light milling.\n"
    "\x1d!!Made by the Brenvik developers.\n"
    "\x1d!!Questions and reports go to the project's issue list.";

}  // namespace

int show_memory_status() {
  MemoryStatus status;
  read_memory_status(&status);
  const long long free_percent =
      status.total_mb > 0 ? status.available_mb * 100 / status.total_mb : 0;
  char text[200];
  std::snprintf(text, sizeof text, MEMORY_STATUS_FORMAT, static_cast<int>(status.available_mb),
                static_cast<int>(status.total_mb), static_cast<int>(free_percent), ',',
                static_cast<int>(status.virtual_available_mb));
  set_message_text(text);
  append_message_text(MEMORY_STATUS_VERSION);
  const int result = show_text_box(message_text(), MEMORY_STATUS_BOX);
  g_popups.one_shot = 0;
  return result;
}

void about_box() {
  show_memory_status();
  show_text_box(ABOUT_TEXT, ABOUT_BOX);
  close_top_popup();
}
