// The NC program page's commands: the page menu, the editor's menus and the page's buttons.
#include <cstdio>
#include <string>

#include "pages/folder_send.h"
#include "pages/job_commands.h"
#include "pages/nc_page.h"
#include "pages/serial_transfer.h"
#include "nc/comm_protocol.h"
#include "platform/files.h"
#include "print/text_print_form.h"
#include "screen/main_form.h"
#include "store/catalogue.h"
#include "store/file_reader.h"
#include "store/line_fold.h"
#include "store/line_list.h"
#include "store/message_ids.h"
#include "store/text_loading.h"
#include "ui/buffer_windows.h"
#include "ui/edit_buffers.h"
#include "ui/editor_cursor.h"
#include "ui/editor_paragraphs.h"
#include "ui/file_name_dialog.h"
#include "ui/key_pushback.h"
#include "ui/line_numbers.h"
#include "ui/load_lists.h"
#include "ui/message_box.h"
#include "ui/nc_buffer_tools.h"
#include "ui/nc_plotter_code.h"
#include "ui/run_window.h"
#include "ui/sequence_numbers.h"
#include "ui/standard_dialogs.h"
#include "ui/text_files.h"
#include "ui/text_window.h"

namespace {

constexpr char SAVING_FILE_TITLE[] = "Saving File";
constexpr int SAVE_BOX_WIDTH = 60;

void show_message(int number) {
  get_message(number);  // numbers 10000-19999 are shown in a box that waits for a key
}

void redraw_later() { ++g_form.redraw_level; }

bool block_marked() { return g_lists.block_start != nullptr && g_lists.block_end != nullptr; }

TextWindow* active() { return g_windows.active; }

bool has_text() {
  const TextWindow* w = active();
  if (w == nullptr || w->first_line == nullptr) return false;
  for (TextLine* l = w->first_line; l != nullptr; l = l->next)
    if (is_unread_placeholder(l) || (!l->text.empty() && l->text != "\n")) return true;
  return false;
}

// The folder the page's open dialogs start in: the buffer's own, else the editor's.
std::string start_folder() {
  const TextWindow* w = active();
  if (w != nullptr && w->file != nullptr && !w->file->folder.empty()) return w->file->folder;
  return g_buffers.current_folder;
}

EventCode open_nc_file() {
  std::string path;
  if (open_file_dialog(start_folder(), NC_FILE_FILTER, &path) != DIALOG_CHOSEN) return -1;
  open_in_buffer(path.c_str(), nc_page_key, draw_window_line, FIRST_BUFFER_FLAGS, OPEN_NAMED_FILE);
  redraw_later();
  return WINDOW_REDRAW;
}

// Saves the active buffer where it belongs; a read-only one is not saved.
EventCode save_active() {
  TextWindow* w = active();
  if (w == nullptr) return 0;
  if ((w->flags & WINDOW_READ_ONLY) != 0) {
    show_message(MSG_BUFFER_READ_ONLY);
    redraw_later();
    return 0;
  }
  buffer_file_command(KEY_CTRL_S);
  redraw_later();
  return WINDOW_REDRAW;
}

// Every changed buffer saved: one with a name at once, one without a name but with text once it
// is shown (the save asks for its name).
EventCode save_every_buffer() {
  if (g_buffers.buffer_list == nullptr) return 0;
  store_window_state();
  TextLine* was = g_windows.active_node;
  for (TextLine* node = list_head_of(g_buffers.buffer_list); node != nullptr; node = node->next) {
    const TextWindow* w = window_of(node);
    if (w == nullptr || (w->flags & (WINDOW_CHANGED | WINDOW_READ_ONLY)) != WINDOW_CHANGED) continue;
    const bool named = w->file != nullptr && !w->file->full_path.empty();
    if (!named) {
      if (node != g_windows.active_node) activate_window(node);
      if (!has_text()) continue;
      nc_page_redraw();
      repaint_window_lines();
      buffer_file_command(KEY_CTRL_S);
      store_window_state();
      continue;
    }
    save_window_file(node);
  }
  if (was != nullptr && g_windows.active_node != was) activate_window(was);
  redraw_later();
  return WINDOW_REDRAW;
}

// A copy of the buffer under a chosen name; the buffer keeps its own.
EventCode save_copy() {
  if (g_windows.active_node == nullptr) return 0;
  store_window_state();
  message_box(MSGBOX_CENTRE, MSGBOX_CENTRE, SAVE_BOX_WIDTH, SAVING_FILE_TITLE,
              MSGBOX_COPY_TO_FLOPPY, g_windows.active_node, 0, nullptr, 0, SAVING_FILE_TITLE);
  redraw_later();
  return WINDOW_REDRAW;
}

// The buffer's file deleted after the question, then the buffer closed.
EventCode delete_buffer_file() {
  TextWindow* w = active();
  if (w == nullptr) return 0;
  if (w->file == nullptr || w->file->full_path.empty() || !file_exists(w->file->full_path)) {
    show_message(MSG_NO_FILE_TO_DELETE);
    redraw_later();
    return 0;
  }
  if (ask_catalogue_choice(MSG_CHOICE_DELETE_BUFFER_FILE, 1) != 0) {
    redraw_later();
    return 0;
  }
  close_file_record(w->file);
  if (!file_delete(w->file->full_path)) {
    const std::string text = w->file->full_path + "\ncould not be deleted: it stays.";
    show_text_box(text.c_str(), TEXTBOX_PRESS_A_KEY);
    redraw_later();
    return 0;
  }
  // What the buffer held is gone with its file: nothing is left to ask about.
  w->flags &= ~WINDOW_CHANGED;
  if (g_nc_page.document == g_windows.active_node) g_nc_page.document = nullptr;
  close_edit_buffers(0);
  redraw_later();
  return WINDOW_REDRAW;
}

// The lines of a file put in before the cursor line.
EventCode insert_file() {
  TextWindow* w = active();
  if (w == nullptr || (w->flags & WINDOW_READ_ONLY) != 0) return 0;
  std::string path;
  if (open_file_dialog(start_folder(), NC_FILE_FILTER, &path) != DIALOG_CHOSEN) return -1;
  FileRecord record;
  init_file_record(&record, path, 0);
  push_list();
  g_lists.current = LineList{};
  TextLoad load;
  load.file = &record;
  load.window_flags = w->flags;
  load.wrap_width = w->wrap_width;
  const int32_t made = read_text_lines(&load);
  const LineList read = g_lists.current;
  g_lists.current = LineList{};
  pop_list();
  close_file_record(&record);
  if (made <= 0 || read.first == nullptr) {
    free_list(read.first);
    const std::string text = path + "\ncould not be read: nothing was inserted.";
    show_text_box(text.c_str(), TEXTBOX_PRESS_A_KEY);
    redraw_later();
    return 0;
  }
  TextLine* at = g_lists.cursor_line;
  if (at == nullptr) {
    g_lists.current = read;
  } else {
    read.first->prev = at->prev;
    read.last->next = at;
    if (at->prev != nullptr) at->prev->next = read.first;
    else g_lists.current.first = read.first;
    at->prev = read.last;
  }
  g_lists.cursor_line = read.first;
  w->first_line = g_lists.current.first;
  w->last_line = g_lists.current.last;
  w->text_column = 0;
  w->line_count = 0;
  number_lines(0);
  w->flags |= WINDOW_CHANGED;
  request_full_redraw();
  redraw_later();
  return WINDOW_REDRAW;
}

// The load list: every checked file that is still there opens in a buffer and moves to the
// list's end; a file gone is told and taken off the list.
EventCode open_load_list() {
  TextLine* list = g_load_lists.multi_load_window;
  TextWindow* lw = window_of(list);
  if (lw == nullptr) return 0;
  store_window_state();
  TextLine* was = g_windows.active_node;
  run_window(list);
  std::vector<std::string> to_open;
  push_list();
  g_lists.current = LineList{lw->first_line, lw->last_line};
  TextLine* line = g_lists.current.first;
  std::vector<TextLine*> opened;
  while (line != nullptr) {
    TextLine* next = line->next;
    if ((line->state & LINE_STATE_CHECKED) != 0 && !line->text.empty()) {
      std::string name = line->text;
      while (!name.empty() && (name.back() == '\n' || name.back() == ' ')) name.pop_back();
      if (file_exists(name)) {
        to_open.push_back(name);
        opened.push_back(line);
      } else {
        set_message_text(name.c_str());
        append_message_text("\n");
        get_message(MSG_LOAD_LIST_FILE_GONE);
        delete_line(line);
      }
    }
    line = next;
  }
  // The opened files go to the end of the list in the order they stood.
  LineList& lines = g_lists.current;
  for (TextLine* l : opened) {
    if (l == lines.last) continue;
    if (l->prev != nullptr) l->prev->next = l->next;
    else lines.first = l->next;
    l->next->prev = l->prev;
    l->prev = lines.last;
    l->next = nullptr;
    lines.last->next = l;
    lines.last = l;
  }
  lw->first_line = g_lists.current.first;
  lw->last_line = g_lists.current.last;
  pop_list();
  if (was != nullptr) activate_window(was);
  for (const std::string& name : to_open)
    open_in_buffer(name.c_str(), nc_page_key, draw_window_line, FIRST_BUFFER_FLAGS, OPEN_NAMED_FILE);
  redraw_later();
  return WINDOW_REDRAW;
}

// The buffer's file record in the NC program's file-name form; an accepted name is the buffer's.
EventCode nc_file_name() {
  TextWindow* w = active();
  if (w == nullptr || w->file == nullptr) return 0;
  FileRecord& dialog = g_file_name_dialog.record;
  dialog.folder = w->file->folder.empty() ? g_buffers.current_folder : w->file->folder;
  dialog.name = w->file->name;
  dialog.extension = w->file->extension;
  dialog.full_path = w->file->full_path;
  g_file_name_dialog.fixed_folder = false;
  const int result = file_name_dialog(MSG_FORM_NC_FILE_NAME);
  redraw_later();
  if (result != DIALOG_CHOSEN) return 0;
  if (dialog.full_path != w->file->full_path) close_file_record(w->file);
  w->file->folder = dialog.folder;
  w->file->name = dialog.name;
  w->file->extension = dialog.extension;
  w->file->full_path = dialog.full_path;
  set_window_title_from_file(w);
  return WINDOW_REDRAW;
}

// Sends: the whole buffer, the marked block (its last line too), or from the cursor line on.
EventCode send_lines(int16_t option) {
  TextWindow* w = active();
  if (w == nullptr) return 0;
  store_window_state();
  TextLine* from = nullptr;
  TextLine* to = nullptr;
  switch (option) {
    case NC_OPTION_SEND_BUFFER:
      if (!has_text()) {
        show_message(MSG_SEND_EMPTY_BUFFER);
        redraw_later();
        return 0;
      }
      from = w->first_line;
      to = w->last_line;
      break;
    case NC_OPTION_SEND_BLOCK:
      if (!block_marked()) {
        show_message(MSG_SEND_NO_BLOCK);
        redraw_later();
        return 0;
      }
      normalize_marked_block();
      from = g_lists.block_start;
      // A block that ends inside a line still sends that line whole.
      to = g_lists.block_end;
      break;
    default:
      if (g_lists.cursor_line == nullptr || next_visible_line(g_lists.cursor_line) == nullptr) {
        show_message(MSG_SEND_LAST_LINE);
        redraw_later();
        return 0;
      }
      from = g_lists.cursor_line;
      to = w->last_line;
      break;
  }
  send_lines_to_machine(from, to);
  redraw_later();
  return WINDOW_REDRAW;
}

EventCode send_a_folder() {
  TextLine* protocol = choose_transfer_protocol(2);
  redraw_later();
  if (protocol == nullptr) return 0;
  // The protocol's own folder, else the folder sent last, else the buffer's.
  const CommProtocol* p = protocol_of(protocol);
  std::string folder = p != nullptr && p->default_folder[0] != 0 ? std::string(p->default_folder)
                       : !g_serial_ui.last_folder.empty()      ? g_serial_ui.last_folder
                                                               : start_folder();
  if (browse_folder(&folder) != FOLDER_CHOSEN) return 0;
  send_folder_files(protocol, folder, FOLDER_SEND_TYPES, nullptr);
  return WINDOW_REDRAW;
}

EventCode with_block(EventCode code) { return block_marked() ? code : 0; }

}  // namespace

EventCode nc_menu_command(int16_t option) {
  switch (option) {
    case NC_OPTION_PRINT:
      store_window_state();
      print_text_document();
      redraw_later();
      return WINDOW_REDRAW;
    case NC_OPTION_HELP:
    case NC_OPTION_KEYS_HELP:
      show_help_file();
      redraw_later();
      return 0;
    case NC_OPTION_QUIT:
      g_events.quit_requested = true;
      return 0;
    case NC_OPTION_OPEN: return open_nc_file();
    case NC_OPTION_LOAD_LIST: return open_load_list();
    case NC_OPTION_CLOSE_ALL:
    case NC_OPTION_CLOSE: {
      TextLine* closing = g_windows.active_node;
      if (close_edit_buffers(option == NC_OPTION_CLOSE_ALL ? 1 : 0) == 0) {
        if (option == NC_OPTION_CLOSE_ALL || closing == g_nc_page.document) g_nc_page.document = nullptr;
        create_first_edit_buffer();
      }
      redraw_later();
      return WINDOW_REDRAW;
    }
    case NC_OPTION_SAVE_ALL: return save_every_buffer();
    case NC_OPTION_SAVE_AS:
      buffer_file_command(KEY_CTRL_F10);
      redraw_later();
      return WINDOW_REDRAW;
    case NC_OPTION_RENAME:
      rename_buffer_file();
      redraw_later();
      return WINDOW_REDRAW;
    case NC_OPTION_COPY: return save_copy();
    case NC_OPTION_DELETE_FILE: return delete_buffer_file();
    case NC_OPTION_INSERT_FILE: return insert_file();
    case NC_OPTION_LINE_NUMBERS:
      sequence_numbers();
      redraw_later();
      return WINDOW_REDRAW;
    case NC_OPTION_NEW_DOCUMENT:
      new_nc_document();
      return WINDOW_REDRAW;
    case NC_OPTION_COMPARE:
      compare_nc_programs(true);
      redraw_later();
      return WINDOW_REDRAW;
    case NC_OPTION_FILE_NAME: return nc_file_name();
    case NC_OPTION_SORT_BLOCK: return WINDOW_SORT_BLOCK;
    case NC_OPTION_FORGET_CHANGES:
      if (active() != nullptr) active()->flags &= ~WINDOW_CHANGED;
      return 0;
    case NC_OPTION_STRIP_CODES:
      strip_nc_codes();
      return WINDOW_REDRAW;
    case NC_OPTION_BUFFER_LIST:
      edit_buffers_dialog();
      redraw_later();
      return WINDOW_REDRAW;
    case NC_OPTION_RECEIVE: receive_from_machine(); redraw_later(); return WINDOW_REDRAW;
    case NC_OPTION_SEND_FILE: send_file_to_machine(); redraw_later(); return WINDOW_REDRAW;
    case NC_OPTION_SEND_BUFFER:
    case NC_OPTION_SEND_BLOCK:
    case NC_OPTION_SEND_FROM_CURSOR: return send_lines(option);
    case NC_OPTION_STOP_TRANSFER: stop_transfer(); redraw_later(); return WINDOW_REDRAW;
    case NC_OPTION_PROTOCOLS: choose_protocol(PROTOCOL_EDIT); redraw_later(); return WINDOW_REDRAW;
    case 70: return KEY_ALT_S;
    case 71: return KEY_ALT_P;
    case 72: return KEY_ALT_T;
    case 73: return KEY_ALT_W;
    case 77: return KEY_ALT_U;
    case 78: return KEY_ALT_L;
    case 79: return KEY_ALT_C;
    case NC_OPTION_REFORMAT: return WINDOW_REFORMAT;
    case 83: return with_block(WINDOW_CUT);
    case 84: return with_block(WINDOW_COPY);
    case 86: return with_block(KEY_CTRL_BACKSPACE);
    case 92: return with_block(WINDOW_COPY_SYSTEM);
    case 85: return KEY_INS;
    case 91: return WINDOW_PASTE_SYSTEM;
    case NC_OPTION_SPACE_WORDS:
      tidy_nc_buffer(NC_TIDY_SPACE_WORDS, 0);
      redraw_later();
      return WINDOW_REDRAW;
    case NC_OPTION_REMOVE_SPACES:
      tidy_nc_buffer(NC_TIDY_REMOVE_SPACES, 0);
      redraw_later();
      return WINDOW_REDRAW;
    case NC_OPTION_STRIP_ZEROS:
      tidy_nc_buffer(NC_TIDY_COMPACT, 0);
      redraw_later();
      return WINDOW_REDRAW;
    case 93: return WINDOW_REPLACE;
    case 94: return WINDOW_FIND;
    case 95: return WINDOW_REPEAT_FIND;
    case 409: return with_block(WINDOW_APPEND_COPY);
    case 410:
      if (!block_marked()) return 0;
      push_back_key(KEY_CTRL_BACKSPACE);
      return WINDOW_APPEND_COPY;
    case NC_OPTION_SAVE:
    case NC_OPTION_SAVE_FILE: return save_active();
    case NC_OPTION_CONVERT: {
      std::string path;
      if (open_file_dialog(start_folder(), NC_FILE_FILTER, &path) != DIALOG_CHOSEN) {
        redraw_later();
        return 0;
      }
      if (open_in_buffer(path.c_str(), nc_page_key, draw_window_line, FIRST_BUFFER_FLAGS,
                         OPEN_NAMED_FILE) >= 0) {
        // A program that could not be plotted has said why; one without moves says so here.
        const int converted = nc_to_plotter_code(false);
        if (converted == 27 || converted == -2)
          show_text_box("The program has no moves to convert into plotter code.",
                        TEXTBOX_PRESS_A_KEY);
      }
      redraw_later();
      return WINDOW_REDRAW;
    }
    case NC_OPTION_SEND_FOLDER: return send_a_folder();
    default:
      if (option == 25 || option == 41 || option == 43 || option == 44 || option == 49 ||
          option == 61 || option == 62 || option == 120 || (option >= 423 && option <= 430) ||
          (option >= 432 && option <= 434) || option == 449 || option == 450) {
        file_menu_command(option);
        redraw_later();
        return WINDOW_REDRAW;
      }
      return 0;
  }
}
