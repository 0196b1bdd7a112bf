#include "ui/edit_buffers.h"

#include <filesystem>
#include <system_error>

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "platform/cp1252.h"
#include "platform/files.h"
#include "store/catalogue.h"
#include "store/file_reader.h"
#include "store/line_fold.h"
#include "store/message_ids.h"
#include "store/record_file.h"
#include "store/text_helpers.h"
#include "ui/buffer_windows.h"
#include "ui/editor_cursor.h"
#include "ui/file_name_dialog.h"
#include "ui/message_box.h"
#include "ui/nc_buffer_tools.h"
#include "ui/run_window.h"
#include "ui/standard_dialogs.h"
#include "ui/text_files.h"

namespace {

// The first buffer's look: colour base 150 with the help and font bits of an editor.
constexpr uint16_t BUFFER_OPTIONS = 0x296;
constexpr uint32_t BUFFER_FLAGS = 0x40213;

// A path as the file system names it: resolved where the file exists, as given otherwise.
std::string canonical_path(const std::string& path) {
  std::error_code error;
  const std::filesystem::path resolved = std::filesystem::weakly_canonical(path, error);
  return error ? path : resolved.string();
}

bool buffer_holds_text(const TextWindow* w) {
  for (const TextLine* l = w->first_line; l != nullptr; l = l->next)
    for (char c : l->text)
      if (static_cast<unsigned char>(c) > ' ') return true;
  return false;
}

}  // namespace

namespace {

// Packed three-letter extension lists (a blank ends a code early: "C  " matches C, CPP, CXX...).
constexpr char TEXT_DOCUMENT_TYPES[] = "TXTDOCKR4";
constexpr char PROGRAM_SOURCE_TYPES[] = "CPPC  H  HPP";
constexpr char REFUSED_TYPES[] = "EXECOMLZHZIPARCDLLLIBOBJTTFFON";
constexpr int TITLE_COLUMNS = 88;
constexpr uint16_t READ_ONLY_COLOURS = 40;
constexpr uint16_t BUFFER_COLOURS = 150;
constexpr char NOT_A_FILE_TEXT[] = " is not a file that can be opened.";

void show_catalogue_box(int number) {
  get_message(number);
  show_text_box(message_text(), TEXTBOX_PRESS_A_KEY);
}

// Why a file cannot be read: 0 it can (or does not exist: a new file of that name), else the
// catalogue message to show, or -1 for "not a file".
int file_refusal(const std::string& path) {
  std::error_code error;
  const std::filesystem::file_status status = std::filesystem::status(path, error);
  if (status.type() == std::filesystem::file_type::not_found) return 0;
  if (!error && status.type() != std::filesystem::file_type::regular) return -1;
  std::FILE* probe = std::fopen(path.c_str(), "rb");
  if (probe != nullptr) {
    std::fclose(probe);
    return 0;
  }
  if (errno == EMFILE || errno == ENFILE) return MSG_TOO_MANY_FILES;
  if (errno == EACCES || errno == EPERM) return MSG_ACCESS_DENIED;
  return errno == ENOENT ? 0 : MSG_ACCESS_DENIED;
}

// Stores the active window's state when it is an editing buffer (start-up builds other lists
// while another window is active; those must never be stored into it).
void store_active_state() {
  if (g_windows.active == nullptr || g_buffers.buffer_list == nullptr ||
      !list_contains(g_buffers.buffer_list, g_windows.active_node))
    return;
  store_window_state();
}

bool blank_window(const TextWindow* w) {
  for (const TextLine* l = w->first_line; l != nullptr; l = l->next) {
    if (is_placeholder(l)) return false;
    for (char c : l->text)
      if (static_cast<unsigned char>(c) > ' ') return false;
  }
  return true;
}

}  // namespace

int find_three_letter_code(const char* extension, const char* list) {
  if (extension == nullptr || *extension == 0 || list == nullptr) return -1;
  const size_t count = std::strlen(list) / 3;
  for (size_t k = 0; k < count; ++k) {
    const char* code = list + 3 * k;
    bool match = true;
    for (int i = 0; i < 3 && match; ++i) {
      const unsigned char c = static_cast<unsigned char>(code[i]);
      if (c <= ' ') break;  // a shorter code: what came so far matched
      const unsigned char e = static_cast<unsigned char>(extension[i]);
      match = e != 0 && (e == c || std::toupper(e) == c);
    }
    if (match) return static_cast<int>(k);
  }
  return -1;
}

int open_in_buffer(const char* path, WindowKeyFilter key_filter, WindowLineDrawer line_drawer,
                   uint32_t window_flags, uint8_t open_flags) {
  const bool named = (open_flags & OPEN_NAMED_FILE) != 0 && path != nullptr && *path != 0;
  std::string full_path;
  if (named) {
    std::error_code error;
    const std::filesystem::path absolute = std::filesystem::absolute(path, error);
    full_path = error ? std::string(path) : absolute.lexically_normal().string();
  }
  uint32_t flags = window_flags != 0 ? window_flags : BUFFER_FLAGS;
  const char* extension = named ? file_extension_of(full_path.c_str()) : nullptr;
  if (extension != nullptr && *extension != 0) {
    if (find_three_letter_code(extension, REFUSED_TYPES) >= 0) return -2;
    flags &= ~(WINDOW_WORD_WRAP | WINDOW_SHOW_CONTROL_CODES);
    if (find_three_letter_code(extension, TEXT_DOCUMENT_TYPES) >= 0) flags |= WINDOW_WORD_WRAP;
    if (find_three_letter_code(extension, PROGRAM_SOURCE_TYPES) >= 0) flags |= WINDOW_COMMENT_COLOUR;
  }
  store_active_state();
  const bool had_buffers = g_buffers.buffer_list != nullptr;
  if (named && had_buffers) {
    TextLine* open = find_buffer_by_file(full_path.c_str());
    if (open != nullptr) {
      activate_window(open);
      g_buffers.buffer_to_activate = open;
      return 1;
    }
  }
  if (named) {
    const int refusal = file_refusal(full_path);
    if (refusal == -1) {
      const std::string text = cp1252_from_utf8(full_path, '?') + NOT_A_FILE_TEXT;
      show_text_box(text.c_str(), TEXTBOX_PRESS_A_KEY);
      return -1;
    }
    if (refusal != 0) {
      show_catalogue_box(refusal);
      return -1;
    }
  }
  TextLine* was_active = g_windows.active_node;
  const bool active_is_buffer =
      had_buffers && was_active != nullptr && list_contains(g_buffers.buffer_list, was_active);

  if (push_list() < 0) return -1;
  clear_current_list();
  EditingArea area = editing_area();
  if ((open_flags & OPEN_REQUESTED_PLACE) != 0)
    area = EditingArea{g_buffers.requested_top, g_buffers.requested_left,
                       g_buffers.requested_bottom, g_buffers.requested_right};
  uint16_t options = (open_flags & OPEN_MEDIUM_FONT) != 0  ? WINDOW_OPTION_MEDIUM_FONT
                     : (open_flags & OPEN_SMALL_FONT) != 0 ? WINDOW_OPTION_SMALL_FONT
                                                           : 0;
  options |= (flags & WINDOW_READ_ONLY) != 0 ? READ_ONLY_COLOURS : BUFFER_COLOURS;
  options |= BUFFER_OPTIONS & ~WINDOW_OPTION_COLOUR_MASK & ~WINDOW_OPTION_MEDIUM_FONT &
             ~WINDOW_OPTION_SMALL_FONT;
  const std::string title = named ? abbreviate_path(cp1252_from_utf8(full_path, '?').c_str(),
                                                    TITLE_COLUMNS)
                                  : std::string();
  TextLine* node = create_window(g_buffers.buffer_list, {
      .top_row = area.top, .left_column = area.left, .bottom_row = area.bottom,
      .right_column = area.right, .flags = flags,
      .key_filter = key_filter, .line_drawer = line_drawer, .with_file = true,
      .options = options, .legend = "",
      .wrap_width = (flags & WINDOW_WORD_WRAP) != 0 ? area.right - area.left - 2 : 250,
      .title = title.c_str(),
  });
  pop_list();
  if (node == nullptr) return -1;
  TextWindow* w = window_of(node);
  if (named && w->file != nullptr) {
    init_file_record(w->file, full_path, FILE_BUFFER_EDITOR);
    split_path(full_path, &w->file->folder, &w->file->name);
    const char* ext = file_extension_of(full_path.c_str());
    w->file->extension = ext != nullptr && *ext != 0 ? std::string(".") + ext : std::string();
    if (file_exists(full_path)) {
      TextLine* active = g_windows.active_node;
      activate_window(node);
      const int32_t made = read_window_file_lines(w);
      store_window_state();
      if (made < 0) {
        destroy_window(node);
        if (active != nullptr) activate_window(active);
        show_text_box(RECORD_FILE_NO_MEMORY, TEXTBOX_PRESS_A_KEY);
        return -1;
      }
      if (active != nullptr) activate_window(active);
    }
  }
  if (!had_buffers) {
    g_buffers.buffer_list = node;
    g_buffers.placeholder_buffer = node;
  } else if (active_is_buffer) {
    g_buffer_windows.alternate_buffer = was_active;
    TextLine* placeholder = g_buffers.placeholder_buffer;
    if (placeholder != nullptr && placeholder != node && window_of(placeholder) != nullptr &&
        blank_window(window_of(placeholder))) {
      if (g_buffer_windows.alternate_buffer == placeholder)
        g_buffer_windows.alternate_buffer = nullptr;
      if (was_active == placeholder) was_active = nullptr;
      // Not the active window any more, so its destruction activates nothing.
      store_active_state();
      activate_window(node);
      destroy_window(placeholder);
      if (g_buffers.buffer_list == placeholder || g_buffers.buffer_list == nullptr)
        g_buffers.buffer_list = list_head_of(node);
    }
    g_buffers.placeholder_buffer = nullptr;
    if (was_active != nullptr && g_buffer_windows.two_shown == 0)
      was_active->state &= static_cast<uint8_t>(~LINE_STATE_ACTIVATED);
  }
  activate_window(node);
  g_buffers.buffer_to_activate = node;
  return 0;
}

int ask_save_buffer(int prompt) {
  TextWindow* w = g_windows.active;
  if (w == nullptr) return 0;
  store_window_state();
  if ((w->flags & (WINDOW_CHANGED | WINDOW_READ_ONLY)) != WINDOW_CHANGED) return 0;
  const bool has_path = w->file != nullptr && !w->file->full_path.empty();
  if (!has_path && !buffer_holds_text(w)) return 0;
  const int16_t choice = ask_catalogue_choice(prompt, 0);
  if (choice == 27) return 27;
  if (choice != 0) {
    w->flags &= ~WINDOW_CHANGED;  // the user lets the changes go
    return 0;
  }
  // The changed mark stays until the save has put the new contents under the file's name.
  if (!has_path) {
    if (w->file == nullptr) return 27;
    if (w->file->folder.empty()) w->file->folder = g_buffers.current_folder;
    if (w->file->extension.empty()) w->file->extension = g_buffers.current_extension;
    if (save_as_dialog(w->file) != DIALOG_CHOSEN) return 27;
    set_window_title_from_file(w);
  }
  return save_window_file(g_windows.active_node);
}

void set_window_title_from_file(TextWindow* w) {
  if (w == nullptr || w->file == nullptr) return;
  const std::string title =
      abbreviate_path(cp1252_from_utf8(w->file->full_path, '?').c_str(), TITLE_COLUMNS);
  std::snprintf(w->title, sizeof(w->title), "%s", title.c_str());
}

TextLine* find_buffer_by_file(const char* path) {
  if (path == nullptr || *path == 0 || g_buffers.buffer_list == nullptr) return nullptr;
  const std::string wanted = canonical_path(path);
  for (TextLine* node = list_head_of(g_buffers.buffer_list); node != nullptr; node = node->next) {
    const TextWindow* w = window_of(node);
    if (w == nullptr || w->file == nullptr || w->file->full_path.empty()) continue;
    if (canonical_path(w->file->full_path) == wanted) return node;
  }
  return nullptr;
}

// ---- The buffers' file keys -------------------------------------------------------------------

namespace {

constexpr EventCode KEY_CTRL_O = KEY_CTRL_BASE + 'O';
constexpr EventCode KEY_CTRL_S = KEY_CTRL_BASE + 'S';
constexpr EventCode KEY_CTRL_F = KEY_CTRL_BASE + 'F';
constexpr EventCode KEY_CTRL_R = KEY_CTRL_BASE + 'R';
constexpr EventCode KEY_F3 = 317;
constexpr EventCode KEY_CTRL_F4 = 353;
constexpr EventCode KEY_CTRL_F10 = 359;
constexpr EventCode KEY_CTRL_P = KEY_CTRL_BASE + 'P';
constexpr char REFUSED_TYPE_TEXT[] = "Program and archive files are not opened in the editor.";

void open_file_command() {
  const TextWindow* w = g_windows.active;
  const std::string folder =
      w != nullptr && w->file != nullptr && !w->file->folder.empty() ? w->file->folder
                                                                    : g_buffers.current_folder;
  std::string path;
  if (open_file_dialog(folder, nullptr, &path) != DIALOG_CHOSEN) return;
  if (open_in_buffer(path.c_str(), g_buffer_entries.first_buffer_key, draw_window_line,
                     FIRST_BUFFER_FLAGS, OPEN_NAMED_FILE) == -2)
    show_text_box(REFUSED_TYPE_TEXT, TEXTBOX_PRESS_A_KEY);
}

void save_as_command() {
  TextWindow* w = g_windows.active;
  if (w == nullptr || w->file == nullptr) return;
  store_window_state();
  const FileRecord kept = *w->file;
  if (save_as_dialog(w->file) != DIALOG_CHOSEN) return;
  const std::string chosen = w->file->full_path;
  // The unread middle still lies in the old file: read from there, written to the new name.
  w->file->full_path = kept.full_path;
  w->file->folder = kept.folder;
  w->file->name = kept.name;
  if (save_as_copy(g_windows.active_node, chosen) == 0) set_window_title_from_file(w);
}

}  // namespace

namespace {

// Reads every unread range of the buffer (the buffer's window active). Folded runs may stay:
// they are in memory and every walk brings them back. False when an unread range stays.
bool read_all_unread_text(TextWindow* w) {
  push_list();
  g_lists.current = LineList{w->first_line, w->last_line};
  for (TextLine* l = g_lists.current.first; l != nullptr; l = l->next)
    if (l->next != nullptr && is_unread_placeholder(l->next)) next_visible_line(l);
  // An unread range that starts the text comes in from the line after it, backwards.
  while (is_unread_placeholder(g_lists.current.first) && g_lists.current.first->next != nullptr &&
         prev_visible_line(g_lists.current.first->next) != nullptr) {
  }
  w->first_line = g_lists.current.first;
  w->last_line = g_lists.current.last;
  pop_list();
  for (TextLine* l = w->first_line; l != nullptr; l = l->next)
    if (is_unread_placeholder(l)) return false;
  return true;
}

}  // namespace

bool read_whole_buffer(TextLine* node) {
  TextWindow* w = window_of(node);
  if (w == nullptr) return false;
  TextLine* was = g_windows.active_node;
  if (was != nullptr) store_window_state();
  activate_window(node);
  const bool whole = read_all_unread_text(w);
  activate_window(node);  // its lines as they stand now
  if (was != nullptr && was != node) activate_window(was);
  return whole;
}

int16_t save_as_copy(TextLine* node, const std::string& path) {
  TextWindow* w = window_of(node);
  if (w == nullptr || w->file == nullptr) return 27;
  // Every unread byte comes in first: the buffer is to name the new file from now on.
  if (!read_whole_buffer(node)) return 27;  // could not be read: nothing is renamed
  close_file_record(w->file);
  w->file->full_path = path;
  split_path(path, &w->file->folder, &w->file->name);
  w->flags |= WINDOW_CHANGED;
  return save_text_file(0, node, 0);
}

void create_first_edit_buffer() {
  if (g_buffers.buffer_list != nullptr) return;
  if (open_in_buffer(nullptr, g_buffer_entries.first_buffer_key, draw_window_line,
                     FIRST_BUFFER_FLAGS, 0) != 0)
    return;
  g_buffers.placeholder_buffer = g_buffers.buffer_list;
  g_buffers.arrangement = 0;
  g_buffer_windows.two_shown = 0;
  g_buffer_windows.alternate_buffer = nullptr;
  g_run.back_and_forth = 0;
}

int rename_buffer_file() {
  TextWindow* w = g_windows.active;
  if (w == nullptr || w->file == nullptr) return 0;
  FileRecord* file = w->file;
  if (file->name.empty() && !file->full_path.empty())
    split_path(file->full_path, &file->folder, &file->name);
  if (file->name.empty()) {
    show_catalogue_box(MSG_RENAME_NO_NAME);
    return 0;
  }
  const std::string old_path =
      file->full_path.empty() ? path_join(file->folder, file->name) : file->full_path;
  if (!file_exists(old_path)) {
    show_catalogue_box(MSG_RENAME_NO_FILE);
    return 0;
  }
  store_window_state();
  // The rename form edits a copy of the names in the file's own folder; the buffer's record (and
  // its open file) stays as it is until the move has happened.
  FileRecord& chosen = g_file_name_dialog.record;
  chosen.folder = file->folder;
  chosen.name = file->name;
  chosen.extension = file->extension;
  chosen.full_path = old_path;
  g_file_name_dialog.fixed_folder = true;
  const int answer = file_name_dialog(MSG_FORM_RENAME_FILE);
  g_file_name_dialog.fixed_folder = false;
  request_full_redraw();
  if (answer != DIALOG_CHOSEN || chosen.name.empty()) return 0;
  if (canonical_path(chosen.full_path) == canonical_path(old_path)) return 0;
  // Unread text is read under the old name before that name goes away.
  if (!read_whole_buffer(g_windows.active_node)) {
    show_catalogue_box(MSG_RENAME_FAILED);
    return 0;
  }
  close_file_record(file);
  switch (file_move_no_replace(old_path, chosen.full_path)) {
    case MOVE_OK: break;
    case MOVE_TARGET_EXISTS: show_catalogue_box(MSG_RENAME_TARGET_EXISTS); return 0;
    default: show_catalogue_box(MSG_RENAME_FAILED); return 0;
  }
  file->full_path = chosen.full_path;
  split_path(chosen.full_path, &file->folder, &file->name);
  if (!chosen.extension.empty()) file->extension = chosen.extension;
  set_window_title_from_file(w);
  return 1;
}

EventCode buffer_file_command(EventCode code) {
  switch (code) {
    case KEY_CTRL_O:
      open_file_command();
      request_full_redraw();
      return WINDOW_REDRAW;
    case KEY_CTRL_S:
      if (g_windows.active_node == nullptr) return 0;
      store_window_state();
      if (g_windows.active->file == nullptr || g_windows.active->file->full_path.empty())
        save_as_command();
      else
        save_window_file(g_windows.active_node);
      request_full_redraw();
      return WINDOW_REDRAW;
    case KEY_CTRL_F10:
      save_as_command();
      request_full_redraw();
      return WINDOW_REDRAW;
    case KEY_CTRL_F4:
      close_edit_buffers(0);
      request_full_redraw();
      return WINDOW_REDRAW;
    case KEY_CTRL_P:
      compare_nc_programs(false);
      request_full_redraw();
      return WINDOW_REDRAW;
    case KEY_CTRL_F: return WINDOW_FIND;
    case KEY_CTRL_R: return WINDOW_REPLACE;
    case KEY_F3: return WINDOW_REPEAT_FIND;
    default: return code;
  }
}
