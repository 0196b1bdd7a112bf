// The folder picker as the user drives it: the tree window's keys and clicks, the help box with
// its place buttons, making and deleting folders, the terminal, find, and the tree as text.
#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "platform/cp1252.h"
#include "platform/files.h"
#include "platform/folder_listing.h"
#include "platform/folder_scan.h"
#include "screen/controls.h"
#include "screen/display_mode.h"
#include "screen/pointer.h"
#include "store/catalogue.h"
#include "store/line_fold.h"
#include "store/message_ids.h"
#include "ui/dialog_form.h"
#include "ui/dir_tree.h"
#include "ui/entry_line.h"
#include "ui/line_fold.h"
#include "ui/list_window.h"
#include "ui/message_box.h"
#include "ui/pointer_motion.h"
#include "ui/popups.h"
#include "ui/run_window.h"
#include "ui/settings_fields.h"
#include "ui/text_window.h"
#include "ui/window_frames.h"

namespace {

constexpr int MARK_ZONE = 0;
constexpr int NAME_ZONE = 1;
constexpr EventCode REDO_LIST = 275;
constexpr EventCode KEY_ALT_H_CODE = 291;
constexpr EventCode KEY_ALT_X_CODE = 301;
constexpr EventCode KEY_ALT_C_CODE = 302;
constexpr EventCode KEY_CTRL_F_CODE = KEY_CTRL_BASE + 'F';
constexpr EventCode KEY_F3_CODE = 317;
constexpr uint8_t BUTTON_CANCEL_ID = 27;
constexpr uint8_t BUTTON_REDO_ID = 1;
constexpr int MOST_DRIVE_BUTTONS = 18;
constexpr int NEW_FOLDER_ENTRY = 70;
constexpr int FIND_ENTRY = 60;
constexpr uint32_t TIMED_OVER_TREE = 0x8012;
constexpr int HELP_BOX_COLOURS = 70;
constexpr int HELP_BOX_FLAGS = 51;

constexpr char MARK_ZONE_HELP[] =
    "Click or press \vENTER\x13 on the \x0c\x7f\x13 or the \x0c\x81\x13 to expand or collapse a "
    "directory\nHold down mouse button or press \vE\x13 or \vC\x13 to \vE\x13xpand or \vC\x13ollapse "
    "\x0c" "all\x13 subdirectories";
constexpr char NAME_ZONE_HELP[] =
    "Press \vENTER\x13 or click the \vLEFT\x13 mouse button to select a directory.\nMove cursor bar to "
    "the \x0c\x7f\x13 and \x0c\x81\x13 to \vexpand\x13 or \vcollapse\x13 directories.";

struct PickerState {
  std::vector<ScreenControl> buttons;  // the place buttons in the help box
  std::string find_text;               // the last text looked for
  int zone = NAME_ZONE;
};
PickerState g_picker;

std::string line_path(const TextLine* line) {
  if (line == nullptr || line->extra.empty()) return "";
  return std::string(reinterpret_cast<const char*>(line->extra.data()));
}

TextWindow* tree() { return window_of(g_dir_tree.window); }

// A folder's path without its final '/' (the root keeps it).
std::string without_trailing(const std::string& folder) {
  std::string text = folder;
  while (text.size() > 1 && text.back() == '/') text.pop_back();
  return text;
}

// ---- The help box and its place buttons -----------------------------------------------------

void layout_drive_buttons(const TextWindow* box) {
  g_picker.buttons.clear();
  if (box == nullptr) return;
  int drives = 0;
  for (int i = 0; i < DRIVE_LETTERS; ++i)
    if (drive_type_name(i) != nullptr) ++drives;
  drives = std::min(drives, MOST_DRIVE_BUTTONS);
  const int c = box->bottom_row - drives;
  const int left = box->left_column;
  const bool wide = box->right_column - box->left_column + 1 > 20;
  int row = c;
  for (int i = 0; i < DRIVE_LETTERS && static_cast<int>(g_picker.buttons.size()) < drives; ++i) {
    const char* label = drive_type_name(i);
    if (label == nullptr) continue;
    char caption[CONTROL_CAPTION_SIZE];
    std::snprintf(caption, sizeof caption, "%6.6s  \v%c\x13", label, 'A' + i);
    g_picker.buttons.push_back(
        make_control(caption, static_cast<uint8_t>('A' + i), row++, left + 1, 1, 9, 146, 0));
  }
  g_picker.buttons.push_back(make_control("Cancel", BUTTON_CANCEL_ID, wide ? c : c - 5,
                                          wide ? left + 14 : left + 2, 1, 6, 0, 0));
  g_picker.buttons.push_back(make_control("Redo\nlist", BUTTON_REDO_ID, wide ? c + 2 : c - 3,
                                          wide ? left + 15 : left + 3, 2, 4, 145, 0));
  g_picker.buttons.push_back(end_control());
}

void close_help_box() {
  if (g_dir_tree.help_box == nullptr) return;
  if (g_popups.current == g_dir_tree.help_box) close_top_popup();
  g_dir_tree.help_box = nullptr;
  g_picker.buttons.clear();
}

void show_tree_help() {
  close_help_box();
  const CellMetrics& menu = g_display.presets[FACE_ROLE_MENU];
  const int column = g_dir_tree.tree_width + 4;
  const int width = std::min(46, menu.last_column - column - 3);
  const int message = width < 33 ? MSG_TREE_HELP_SHORT
                      : g_dir_tree.help_message != 0 ? g_dir_tree.help_message
                                                     : MSG_TREE_HELP;
  std::string text;
  if (find_message(message) != 0)
    while (read_message_line(0) > 0) text += std::string(message_text()) + "\n";
  int drives = 0;
  for (int i = 0; i < DRIVE_LETTERS; ++i)
    if (drive_type_name(i) != nullptr) ++drives;
  // Room below the text for the place buttons.
  text.append(static_cast<size_t>(std::min(drives, MOST_DRIVE_BUTTONS) + (width < 20 ? 5 : 0) + 3),
              '\n');
  if (width <= 0) return;
  push_active_window();
  message_box(-2, -column, std::max(width, 10), text.c_str(), MSGBOX_POPUP | MSGBOX_MEDIUM_FONT,
              nullptr, HELP_BOX_FLAGS, nullptr, HELP_BOX_COLOURS, nullptr);
  g_dir_tree.help_box = g_popups.current;
  pop_active_window();
  layout_drive_buttons(window_of(g_dir_tree.help_box));
  if (!g_picker.buttons.empty()) {
    push_control_table();
    draw_controls(g_picker.buttons.data(), 0);
    pop_control_table();
  }
}

// The id of the place button under the pointer, or -1.
int drive_button_at_pointer() {
  if (g_picker.buttons.empty()) return -1;
  push_control_table();
  g_controls.active = g_picker.buttons.data();
  push_hit_state();
  g_controls.hit_test_off = false;
  const int id = hit_test_controls(g_pointer.wanted_x, g_pointer.wanted_y);
  pop_hit_state();
  pop_control_table();
  return id;
}

// ---- Actions ------------------------------------------------------------------------------

void show_line(const std::string& path) {
  TextWindow* w = tree();
  if (w == nullptr) return;
  // Case matters on this file system: the exact path, then one that differs in case only.
  TextLine* line = find_line_by_extra_text(path.c_str(), g_lists.current.first);
  if (line == nullptr) {
    for (TextLine* l = g_lists.current.first; l != nullptr && line == nullptr; l = l->next)
      if (compare_paths(line_path(l).c_str(), path.c_str()) == 0) line = l;
  }
  if (line == nullptr) return;
  // A collapsed folder opens to show the line.
  if ((line->kind & LINE_KIND_HIDDEN) != 0) {
    TextLine* top = line;
    while (top->prev != nullptr && top->id > 0) top = top->prev;
    g_lists.cursor_line = top;
    show_sub_folders();
  }
  find_and_show_line(w, [](TextLine* l, const char* key) { return line_path(l) == key ? 0 : 1; },
                     line_path(line).c_str());
  request_full_redraw();
}

void rebuild(int drive) {
  g_dir_tree.compared[drive] = 0;
  build_dir_tree(drive);
  activate_window(g_dir_tree.window);
  draw_window_frame(0);
  show_tree_help();
}

// A full scan anew: the cache goes.
void redo_list() {
  char name[32];
  std::snprintf(name, sizeof name, TREE_CACHE_FORMAT, 'A' + g_dir_tree.drive);
  file_delete(path_join(g_dir_tree.cache_folder.empty() ? program_folder() : g_dir_tree.cache_folder,
                        name));
  const std::string keep = line_path(g_lists.cursor_line);
  rebuild(g_dir_tree.drive);
  show_line(keep);
}

void switch_drive(int index) {
  TextWindow* w = tree();
  if (w != nullptr) {
    remember_drive_folder(static_cast<char>('A' + g_dir_tree.drive), g_dir_tree.remembered,
                          DRIVE_LETTERS);
  }
  if (drive_type_name(index) == nullptr || test_drive(index) == 0) {
    char text[64];
    std::snprintf(text, sizeof text, TREE_DRIVE_FAILED_FORMAT, 'A' + index);
    show_text_box(text, TIMED_OVER_TREE);
    return;
  }
  if (index != g_dir_tree.drive) {
    if (w != nullptr && (w->flags & WINDOW_CHANGED) != 0) write_dir_cache();
    rebuild(index);
  }
  const std::string remembered = usable_remembered_folder(index);
  if (!remembered.empty()) show_line(remembered);
}

void expand_all(bool expand) {
  for (TextLine* l = g_lists.current.first; l != nullptr; l = l->next) {
    if (l->id >= 1) {
      if (expand) l->kind &= static_cast<uint8_t>(~LINE_KIND_HIDDEN);
      else l->kind |= LINE_KIND_HIDDEN;
    }
  }
  set_tree_marks();
  TextLine* root = g_lists.current.first;
  if (root != nullptr && root->text.size() > 1)
    root->text[1] = static_cast<char>(expand ? TREE_MARK_OPEN : TREE_MARK_CLOSED);
  // The cursor may have stood on a line now hidden: its top-level folder takes its place.
  while (g_lists.cursor_line != nullptr && (g_lists.cursor_line->kind & LINE_KIND_HIDDEN) != 0)
    g_lists.cursor_line = g_lists.cursor_line->prev;
  if (tree() != nullptr) tree()->flags |= WINDOW_CHANGED;
  ++g_lists.lines_changed;
  request_full_redraw();
}

void toggle_folder() {
  TextLine* line = g_lists.cursor_line;
  if (line == nullptr) return;
  if (line->id < 0) {
    const bool collapse = line->text.size() < 2 ||
                          static_cast<unsigned char>(line->text[1]) != TREE_MARK_CLOSED;
    expand_all(!collapse);
    return;
  }
  if (parent_folder_exists(line) == 0) {
    redo_list();
    return;
  }
  if (line->id == 0 && line->text.size() > 1 &&
      static_cast<unsigned char>(line->text[1]) == TREE_MARK_PLAIN)
    return;
  if (line->id == 0 && show_sub_folders() == 0) {
    request_full_redraw();
    return;
  }
  hide_sub_folders();
  request_full_redraw();
}

void new_folder() {
  const std::string parent = line_path(g_lists.cursor_line);
  if (parent.empty()) return;
  std::string prompt;
  if (find_message(MSG_TREE_NEW_FOLDER) != 0)
    while (read_message_line(0) > 0) prompt += std::string(message_text()) + "\n";
  prompt += "\v" + cp1252_from_utf8(parent, '?') + "\x13\n\n";
  char name[NEW_FOLDER_ENTRY + 1] = {};
  const int16_t result = message_box(MSGBOX_CENTRE, MSGBOX_CENTRE, 80, prompt.c_str(),
                                     FIELD_FILE_NAME | MSGBOX_MEDIUM_FONT | FIELD_CARET_AT_START,
                                     name, NEW_FOLDER_ENTRY, "6", 0, nullptr);
  if (result == KEY_ESC || name[0] == 0) return;
  const std::string path = parent + cp1252_to_utf8(name) + "/";
  std::string why;
  if (!folder_exists(path) && !make_one_folder(without_trailing(path), &why)) {
    show_text_box(("\v" + cp1252_from_utf8(path, '?') + "\x13\n" + why).c_str(),
                  TEXTBOX_PRESS_A_KEY);
    return;
  }
  note_folder(path);
  write_dir_cache();
  show_line(path);
}

// Deleting every file of a removable place's top folder, after asking.
void delete_folder_files(const std::string& folder) {
  if (find_message(MSG_TREE_DELETE_FILES_QUESTION) == 0 || read_message_line(0) <= 0) return;
  const std::string question = std::string(message_text()) + "\n\v" +
                               cp1252_from_utf8(folder, '?') + "\x13";
  if (ask_yes_no(question.c_str(), 0) != 1) return;
  std::string notice;
  if (find_message(MSG_TREE_DELETE_FILES_NOTICE) != 0 && read_message_line(0) > 0)
    notice = std::string(message_text()) + "\n";
  std::vector<FileInfo> files;
  list_folder_files(folder, &files);
  for (const FileInfo& f : files) {
    if (f.is_folder) continue;
    if (poll_input_code(EVENT_PEEK_LIMIT) == KEY_ESC) break;
    char name[48];
    std::snprintf(name, sizeof name, "%-.30s", cp1252_from_utf8(f.name, '?').c_str());
    show_text_box((notice + name).c_str(), TEXTBOX_CLOSE_AT_ONCE);
    file_delete(path_join(folder, f.name));
  }
}

void delete_folder() {
  TextLine* line = g_lists.cursor_line;
  if (line == nullptr) return;
  const std::string path = line_path(line);
  if (line->id < 0) {
    if (g_dir_tree.drives[g_dir_tree.drive].removable) {
      delete_folder_files(path);
    } else {
      show_catalogue_box(MSG_TREE_ROOT_NOT_DELETED, "");
    }
    return;
  }
  std::string why;
  switch (remove_empty_folder(without_trailing(path), &why)) {
    case FOLDER_NOT_EMPTY:
      // Its line stays: the folder is there.
      show_catalogue_box(MSG_TREE_FOLDER_NOT_EMPTY, "\v" + cp1252_from_utf8(path, '?') + "\x13");
      return;
    case FOLDER_REFUSED:
      show_text_box(("\v" + cp1252_from_utf8(path, '?') + "\x13\n" + why).c_str(),
                    TEXTBOX_PRESS_A_KEY);
      return;
    case FOLDER_REMOVED:
    case FOLDER_GONE:
      break;
  }
  TextWindow* w = tree();
  TextLine* above = line->prev;
  while (line->next != nullptr && line->next->id > line->id) delete_line(line->next);
  delete_line(line);
  g_lists.cursor_line = above;
  if (w != nullptr) {
    w->cursor_row = static_cast<int16_t>(std::max(0, w->cursor_row - 1));
    w->flags |= WINDOW_CHANGED;
  }
  format_tree_lines();
  set_tree_marks();
  write_dir_cache();
  ++g_lists.lines_changed;
  request_full_redraw();
}

// The tree's lines as plain text in the text clipboard.
void copy_tree_text() {
  std::string all;
  for (const TextLine* l = g_lists.current.first; l != nullptr; l = l->next) {
    std::string out;
    for (size_t i = 2; i < l->text.size(); ++i) {
      const unsigned char c = static_cast<unsigned char>(l->text[i]);
      if (c == 244) out += ' ';
      else if (c == 176) out += static_cast<char>(179);
      else if (c == 222) out += static_cast<char>(192);
      else if (c == 221) out += static_cast<char>(195);
      else if (c >= 32 || c == '\n') out += static_cast<char>(c);
    }
    all += out;
  }
  copy_to_text_clipboard(all.c_str());
}

void find_in_tree(bool again) {
  if (!again || g_picker.find_text.empty()) {
    char text[FIND_ENTRY + 1] = {};
    std::snprintf(text, sizeof text, "%s", g_picker.find_text.c_str());
    const uint32_t mode = g_picker.find_text.empty() ? 0 : FIELD_SELECT_ALL;
    if (message_box(MSGBOX_CENTRE, MSGBOX_CENTRE, 64, TREE_FIND_PROMPT, mode, text, FIND_ENTRY,
                    nullptr, 0, nullptr) == KEY_ESC || text[0] == 0)
      return;
    g_picker.find_text = text;
  }
  std::string key = g_picker.find_text;
  for (char& c : key) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  const TextLine* start = g_lists.cursor_line != nullptr ? g_lists.cursor_line->next : nullptr;
  for (const TextLine* l = start; l != nullptr; l = l->next) {
    std::string name = cp1252_from_utf8(line_path(l), '?');
    for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    const size_t slash = name.find_last_of('/', name.size() >= 2 ? name.size() - 2 : 0);
    if (name.find(key, slash == std::string::npos ? 0 : slash) == std::string::npos) continue;
    show_line(line_path(l));
    return;
  }
  char text[200];
  std::snprintf(text, sizeof text, TREE_NOT_FOUND_FORMAT, "!\n", g_picker.find_text.c_str(),
                "from the cursor onwards");
  show_text_box(text, TEXTBOX_WAIT_KEY | TEXTBOX_TITLE);
}

void set_zone(int zone) {
  if (zone == g_picker.zone) return;
  g_picker.zone = zone;
  // A drag in the name zone scrolls the tree at its edges; the mark zone is two columns wide.
  if (TextWindow* w = tree(); w != nullptr) {
    if (zone == NAME_ZONE) w->list_options |= LIST_OPTION_EDGE_SCROLL;
    else w->list_options &= ~LIST_OPTION_EDGE_SCROLL;
  }
  set_pointer_shape(zone == MARK_ZONE ? 10 : POINTER_ARROW);
  show_status_line(zone == MARK_ZONE ? MARK_ZONE_HELP : NAME_ZONE_HELP);
}

// Ends the picker: the cache is written first when the tree changed.
EventCode end_picker(EventCode code) {
  TextWindow* w = tree();
  if (w != nullptr && (w->flags & WINDOW_CHANGED) != 0) write_dir_cache();
  return code;
}

EventCode choose_line() {
  TextLine* line = g_lists.cursor_line;
  if (line == nullptr) return 0;
  if (parent_folder_exists(line) == 0 || !folder_exists(line_path(line))) {
    // A folder gone from the disc since the cache was written: the place is scanned again.
    redo_list();
    return 0;
  }
  remember_drive_folder(static_cast<char>('A' + g_dir_tree.drive), g_dir_tree.remembered,
                        DRIVE_LETTERS);
  return end_picker(WINDOW_ACCEPT);
}

}  // namespace

bool run_shell(const std::string& folder, const std::string& command) {
  const std::string terminal = find_program_in_path("x-terminal-emulator");
  if (terminal.empty()) {
    show_text_box(TREE_NO_TERMINAL_TEXT, TEXTBOX_PRESS_A_KEY);
    return false;
  }
  std::vector<std::string> arguments;
  if (!command.empty()) {
    arguments = {"-e", command};
  } else if (const char* shell = std::getenv("SHELL"); shell != nullptr && *shell != 0) {
    arguments = {"-e", shell};
  }
  return start_detached(terminal, arguments, folder);
}

EventCode tree_key_filter() {
  TextWindow* w = g_windows.active;
  if (w == nullptr) return KEY_ESC;
  if (g_dir_tree.first_call) {
    g_dir_tree.first_call = false;
    wait_buttons_released();
    g_picker.zone = -1;
    set_zone(NAME_ZONE);
  }
  for (;;) {
    g_field.display_row = w->top_row + w->cursor_row;
    g_field.value_column = g_picker.zone == MARK_ZONE ? w->left_column : w->left_column + 3;
    const int width = g_picker.zone == MARK_ZONE ? 2 : std::max(1, w->columns - 3);
    EventCode code = read_window_event(width);
    if (code >= 32 && code <= 255) poll_input_code(0);
    const int cw = g_display.current.cell_width;
    if (code == EVENT_LEFT_DOWN || code == WINDOW_CANCEL) {
      const int column = cw > 0 ? g_pointer.wanted_x / cw : 0;
      if (column > w->right_column + 1) {
        const int id = drive_button_at_pointer();
        if (id == BUTTON_CANCEL_ID || id < 0) return end_picker(KEY_ESC);
        if (id == BUTTON_REDO_ID) {
          redo_list();
          return 0;
        }
        switch_drive(id - 'A');
        return 0;
      }
      if (code == WINDOW_CANCEL) return end_picker(KEY_ESC);
      cursor_to_pointer_y(g_pointer.wanted_y);
      set_zone(column <= w->left_column + 2 ? MARK_ZONE : NAME_ZONE);
      code = KEY_ENTER;
    }
    switch (code) {
      case 0:
      case EVENT_POINTER_MOVE: continue;
      case KEY_ESC:
      case KEY_TAB:
      case EVENT_QUIT:
      case EVENT_RIGHT_DOWN: return end_picker(KEY_ESC);
      case EVENT_REDRAW:
        request_full_redraw();
        return WINDOW_REDRAW;
      case KEY_LEFT:
        set_zone(MARK_ZONE);
        continue;
      case KEY_RIGHT:
        if (g_picker.zone == NAME_ZONE) return end_picker(KEY_ESC);
        set_zone(NAME_ZONE);
        continue;
      case KEY_HOME: return KEY_CTRL_PGUP;
      case KEY_END: return KEY_CTRL_PGDN;
      case ' ':
        toggle_folder();
        return 0;
      case KEY_ENTER:
        if (g_picker.zone == MARK_ZONE) {
          toggle_folder();
          return 0;
        }
        return choose_line();
      case REDO_LIST:
        redo_list();
        return 0;
      case KEY_ALT_H_CODE:
        g_dir_tree.with_hidden = !g_dir_tree.with_hidden;
        redo_list();
        return 0;
      case KEY_ALT_X_CODE:
        run_shell(line_path(g_lists.cursor_line), "");
        return 0;
      case KEY_ALT_C_CODE:
        copy_tree_text();
        return 0;
      case KEY_INS:
        new_folder();
        return 0;
      case KEY_DEL:
        delete_folder();
        return 0;
      case KEY_CTRL_F_CODE:
        find_in_tree(false);
        return 0;
      case KEY_F3_CODE:
        find_in_tree(true);
        return 0;
      default: break;
    }
    if (code > 0 && code < 256 && std::isalpha(code)) {
      const char letter = static_cast<char>(std::toupper(code));
      if (g_picker.zone == MARK_ZONE && (letter == 'E' || letter == 'C')) {
        expand_all(letter == 'E');
        return 0;
      }
      if (letter != 'A' && letter != 'B') switch_drive(letter - 'A');
      return 0;
    }
    if (code >= KEY_HOME && code <= KEY_PGDN) return code;
    if (code == KEY_CTRL_PGUP || code == KEY_CTRL_PGDN || code == WINDOW_DRAG_DOWN ||
        code == WINDOW_DRAG_UP || code == KEY_CTRL_UP || code == KEY_CTRL_DOWN)
      return code;
  }
}

TextLine* browse_directory_tree(const std::string& start_folder, int message_number) {
  DirTree& t = g_dir_tree;
  if (t.drive_count < 0) scan_drives();
  push_active_window();
  const int start_drive = start_folder.empty() ? -1 : drive_of_path(start_folder);
  if (start_drive >= 0) build_dir_tree(start_drive);
  else if (t.window == nullptr) build_dir_tree(t.last_drive);
  t.help_message = message_number;
  activate_window(t.window);
  show_tree_help();
  // The line to show: the place's remembered folder when no start folder lies on it.
  std::string target = start_folder;
  const std::string remembered = usable_remembered_folder(t.drive);
  if (start_folder.empty() || (start_drive != t.drive && !remembered.empty())) target = remembered;
  if (!target.empty()) {
    std::string folder = target;
    if (folder.back() != '/') folder += '/';
    // The nearest folder of the target that the tree holds.
    while (folder.size() > 1 && find_line_by_extra_text(folder.c_str(), g_lists.current.first) == nullptr)
      folder = parent_folder(folder);
    show_line(folder);
  }
  g_run.last_framed_window = nullptr;
  TextLine* chosen = run_window(t.window);
  close_help_box();
  close_window_background();
  t.last_drive = t.drive;
  pop_active_window();
  return chosen;
}
