#include "pages/nc_page.h"

#include <cstdio>

#include "job/job_file.h"
#include "nc/post_processor.h"
#include "platform/window.h"
#include "pages/job_commands.h"
#include "records/preferences.h"
#include "screen/hover.h"
#include "screen/main_form.h"
#include "screen/pointer.h"
#include "store/catalogue.h"
#include "store/line_fold.h"
#include "store/line_list.h"
#include "store/message_ids.h"
#include "store/text_helpers.h"
#include "ui/buffer_windows.h"
#include "ui/catalogue_menu.h"
#include "ui/edit_buffers.h"
#include "ui/editor_cursor.h"
#include "ui/editor_status.h"
#include "ui/editor_text.h"
#include "ui/key_pushback.h"
#include "ui/line_numbers.h"
#include "ui/list_window.h"
#include "ui/message_box.h"
#include "ui/nc_buffer_tools.h"
#include "ui/pointer_motion.h"
#include "ui/run_window.h"
#include "ui/text_window.h"
#include "ui/window_frames.h"

namespace {

constexpr int NC_TITLE_COLUMNS = 88;
constexpr char NO_NAME_TITLE[] = "(no name yet)";
// The File button: the document glyph, the NC-document glyph while the buffer is changed.
constexpr char FILE_CAPTION[] = "File \f\b%";
constexpr char FILE_CAPTION_CHANGED[] = "File \f\b1";
constexpr char SPACES_LABEL[] = "\x97\x97\x97Spaces\x97\x97\x97";
constexpr char ADD_WHAT_TEXT[] = "\x1d!!Add what?\n";
constexpr char DELETE_WHAT_TEXT[] = "\x1d!!Delete what?\n";
constexpr char SPACES_OR_TABS[] = "\vS\023paces    \vT\023abs";
constexpr char MENUS_MISSING_TEXT[] =
    "The menus files is missing or damaged. Try re-installing, or call for help.";
constexpr char NOT_READY_TEXT[] = "not ready yet!!";
constexpr EventCode KEY_CTRL_F4 = 353;
constexpr EventCode KEY_F3 = 317;
constexpr EventCode KEY_CTRL_F10 = 359;
constexpr EventCode KEY_CTRL_ENTER_CODE = KEY_CTRL_ENTER;
constexpr EventCode FIRST_PASSED_CODE = 1024;  // codes from here on go to run_window as they are

// The buttons stand in the 20 normal columns the editor leaves at the right.
constexpr int LEFT = -19;
constexpr int RIGHT = -10;

std::vector<ScreenControl> make_controls() {
  std::vector<ScreenControl> t = {
      make_control(FILE_CAPTION, NC_BUTTON_FILE, 5, LEFT, 1, 8, 41, 0),
      make_control("Menu", NC_BUTTON_MENU, 5, RIGHT, 1, 8, 2, 0),
      make_control("Copy to\nfloppy", NC_BUTTON_COPY, 7, LEFT, 2, 8, 32, 0),
      make_control(" Send\nto mill", NC_BUTTON_SEND, 7, RIGHT, 2, 8, 31, 0),
      make_control("3D proof", NC_BUTTON_PROOF, 10, LEFT, 2, 8, 30, 0),
      make_control(" Line\nNumbers", NC_BUTTON_LINE_NUMBERS, 10, RIGHT, 2, 8, 29, 0),
      make_control(SPACES_LABEL, 0, 13, LEFT, 1, 17, 0, CF_NO_BOX),
      make_control("Insert", NC_BUTTON_INSERT_SPACES, 14, LEFT, 1, 8, 27, 0),
      make_control("Remove", NC_BUTTON_REMOVE_SPACES, 14, RIGHT, 1, 8, 28, 0),
      make_control("Go to row", NC_BUTTON_GO_TO_ROW, 16, LEFT, 1, 9, 26, 0),
      make_control("Print", NC_BUTTON_PRINT, 16, RIGHT + 1, 1, 7, 0, 0),
      make_control("", NC_BUTTON_TITLE, 0, 2, 1, 90, 8, CF_REGION | CF_HIDDEN),
      make_control(" 1st\npage", NC_BUTTON_FIRST_PAGE, 18, LEFT, 2, 5, 5, 0),
      make_control("Prev\npage", NC_BUTTON_PREVIOUS_PAGE, 18, LEFT + 6, 2, 5, 4, 0),
      make_control("\b9\n\b:", NC_BUTTON_SCROLL, 18, LEFT + 12, 5, 3, 3, 0),
      make_control("Next\npage", NC_BUTTON_NEXT_PAGE, 21, LEFT, 2, 5, 4, 0),
      make_control("Last\npage", NC_BUTTON_LAST_PAGE, 21, LEFT + 6, 2, 5, 6, 0),
      make_control("Convert Gcode File", NC_BUTTON_CONVERT, 24, LEFT, 1, 18, 0, 0),
      make_control("Send a Folder", NC_BUTTON_SEND_FOLDER, 26, LEFT, 1, 18, 0, 0),
      make_control("Add comments", NC_BUTTON_ADD_COMMENTS, 28, LEFT, 1, 18, 0, 0),
  };
  append_title_buttons(&t);
  return t;
}

std::vector<ScreenControl>& controls() {
  if (g_nc_page.controls.empty()) g_nc_page.controls = make_controls();
  return g_nc_page.controls;
}

// The File button's caption follows the buffer's changed mark.
void show_changed_mark() {
  const TextWindow* w = g_windows.active;
  const bool changed = w != nullptr && (w->flags & WINDOW_CHANGED) != 0;
  if (changed == g_nc_page.file_shows_changed && g_nc_page.drawn) return;
  g_nc_page.file_shows_changed = changed;
  for (ScreenControl& c : controls()) {
    if (c.id != NC_BUTTON_FILE) continue;
    std::snprintf(c.caption, sizeof c.caption, "%s", changed ? FILE_CAPTION_CHANGED : FILE_CAPTION);
    if (g_nc_page.drawn) draw_controls(&c, 1);
  }
}

// The run's program, taken over by the active buffer: its own lines go. A run that made nothing
// leaves the program to be made again.
void take_generated_program(bool made) {
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
  const char* extension = def != nullptr ? def->extension : "NC";
  const std::string title = nc_document_title(g_job_file.full_path, extension);
  std::snprintf(w->title, sizeof w->title, "%s", title.c_str());
  // The file record starts beside the job, named after it: a save asks with that name filled in.
  if (w->file != nullptr && w->file->full_path.empty() && !g_job_file.full_path.empty()) {
    std::string folder, name;
    split_path(g_job_file.full_path, &folder, &name);
    const size_t dot = name.find_last_of('.');
    if (dot != std::string::npos) name.erase(dot);
    w->file->folder = folder;
    w->file->name = name;
    w->file->extension = std::string(".") + extension;
  }
  // A program just made is not the user's edit: a quit asks nothing for it, but page 3 must
  // make its proof of the program anew.
  w->flags &= ~WINDOW_CHANGED;
  g_nc_page.document = g_windows.active_node;
  if (made) g_job_settings.nc_state = NC_STATE_PROGRAM_READY;
  request_full_redraw();
}

// True when the NC document is still one of the editing buffers: the ring is walked by address,
// so a document closed by another way is never touched.
bool document_in_ring() {
  if (g_nc_page.document == nullptr || g_buffers.buffer_list == nullptr) return false;
  for (TextLine* node = list_head_of(g_buffers.buffer_list); node != nullptr; node = node->next)
    if (node == g_nc_page.document) return true;
  return false;
}

// The NC document becomes the active buffer, made when there is none.
void activate_nc_document() {
  if (!document_in_ring()) g_nc_page.document = nullptr;
  if (g_nc_page.document != nullptr && g_nc_page.document == g_windows.active_node) return;
  if (g_nc_page.document != nullptr) {
    store_window_state();
    activate_window(g_nc_page.document);
    g_buffers.buffer_to_activate = g_nc_page.document;
    return;
  }
  // The buffer the page runs is the document unless it holds a file of its own.
  const TextWindow* w = g_windows.active;
  if (w != nullptr && (w->file == nullptr || w->file->full_path.empty())) return;
  new_nc_document();
}

// The quit: every changed buffer that can be written is offered for saving (an NC document is
// changed only once the user edited it); Esc in any question cancels the quit. Then the job's
// own question. True when the program is to end.
bool quit_asking() {
  g_events.quit_requested = false;
  store_window_state();
  TextLine* was = g_windows.active_node;
  for (TextLine* node = g_buffers.buffer_list != nullptr ? list_head_of(g_buffers.buffer_list)
                                                         : nullptr;
       node != nullptr; node = node->next) {
    const TextWindow* w = window_of(node);
    if (w == nullptr || (w->flags & (WINDOW_CHANGED | WINDOW_READ_ONLY)) != WINDOW_CHANGED) continue;
    if (node != g_windows.active_node) {
      store_window_state();
      activate_window(node);
    }
    const bool named = w->file != nullptr && !w->file->full_path.empty();
    const int answer = ask_save_buffer(named ? PROMPT_SAVE_NAMED : PROMPT_SAVE_UNNAMED);
    if (answer == 27) {
      if (g_windows.active_node != was) activate_window(was);
      ++g_form.redraw_level;
      return false;
    }
  }
  if (g_windows.active_node != was) activate_window(was);
  if (request_quit() == 0) {
    ++g_form.redraw_level;
    return false;
  }
  return true;
}

// Alt+A and Alt+D: spaces or tabs put between the words or taken out.
EventCode spaces_or_tabs(bool add) {
  char words[sizeof SPACES_OR_TABS];
  std::snprintf(words, sizeof words, "%s", SPACES_OR_TABS);
  const int16_t choice = message_box(MSGBOX_CENTRE, MSGBOX_CENTRE, 0,
                                     add ? ADD_WHAT_TEXT : DELETE_WHAT_TEXT, MSGBOX_CHOICE, words,
                                     0, "ST", 0, nullptr);
  if (choice == 0 || choice == 1)
    tidy_nc_buffer(add ? NC_TIDY_SPACE_WORDS : NC_TIDY_REMOVE_SPACES, choice);
  ++g_form.redraw_level;
  return WINDOW_REDRAW;
}

// The page menu at the pointer (or at its place), its choice run.
EventCode page_menu() {
  if (g_nc_page.menu == nullptr && init_editor_windows() != 0) return 0;
  const int option = run_catalogue_menu(g_nc_page.menu, 0, 0);
  ++g_form.redraw_level;
  if (option <= 0) return 0;
  const EventCode code = nc_menu_command(static_cast<int16_t>(option));
  return code < 0 ? 0 : code;
}

EventCode leave_page() {
  g_nc_page.drawn = false;
  return KEY_ESC;
}

// A button of the page's table.
EventCode act_on_button(int id) {
  switch (id) {
    case NC_BUTTON_FILE:
    case NC_BUTTON_MENU: return page_menu();
    case NC_BUTTON_COPY: return nc_menu_command(NC_OPTION_COPY);
    case NC_BUTTON_SEND: return nc_menu_command(NC_OPTION_SEND_BUFFER);
    case NC_BUTTON_PROOF:
      store_window_state();
      nc_proof_view();
      g_nc_page.drawn = false;
      request_full_redraw();
      return WINDOW_REDRAW;
    case NC_BUTTON_LINE_NUMBERS: return nc_menu_command(NC_OPTION_LINE_NUMBERS);
    case NC_BUTTON_INSERT_SPACES: return nc_menu_command(NC_OPTION_SPACE_WORDS);
    case NC_BUTTON_REMOVE_SPACES: return nc_menu_command(NC_OPTION_REMOVE_SPACES);
    case NC_BUTTON_GO_TO_ROW:
      go_to_line(-1);
      ++g_form.redraw_level;
      return WINDOW_REDRAW;
    case NC_BUTTON_PRINT: return nc_menu_command(NC_OPTION_PRINT);
    case NC_BUTTON_FIRST_PAGE: return KEY_CTRL_PGUP;
    case NC_BUTTON_PREVIOUS_PAGE: return KEY_PGUP;
    case NC_BUTTON_NEXT_PAGE: return KEY_PGDN;
    case NC_BUTTON_LAST_PAGE: return KEY_CTRL_PGDN;
    case NC_BUTTON_SCROLL: return pointer_row_to_keys();
    case NC_BUTTON_CONVERT: return nc_menu_command(NC_OPTION_CONVERT);
    case NC_BUTTON_SEND_FOLDER: return nc_menu_command(NC_OPTION_SEND_FOLDER);
    case NC_BUTTON_ADD_COMMENTS:
      show_text_box(NOT_READY_TEXT, TEXTBOX_PRESS_A_KEY);
      ++g_form.redraw_level;
      return 0;
    default: return 0;
  }
}

EventCode left_press() {
  const int hit = hit_test_pointer(true);
  if (hit >= 0 && (hit & HIT_PAGE_TAB) != 0) {
    const int tab = hit & ~HIT_PAGE_TAB;
    if (tab == PAGE_NC_PROGRAM) return 0;
    g_preferences.current_page = static_cast<uint8_t>(tab);
    g_tab_strip.active = tab;
    return leave_page();
  }
  if (hit >= 0) return act_on_button(hit & 0xFF);
  const EventCode code = editor_pointer_code(EVENT_LEFT_DOWN);
  if (code > 0) return code;
  // A click beside the text over the other shown buffer's window goes there.
  return g_buffer_windows.two_shown != 0 ? WINDOW_NEXT : 0;
}

EventCode left_release() {
  if (pointer_in_window() != 0) {
    const EventCode code = editor_pointer_code(EVENT_LEFT_UP);
    return code > 0 ? code : 0;
  }
  return g_buffer_windows.two_shown != 0 ? WINDOW_RELEASE_OTHER : 0;
}

// The control keys of the page; -1 when the code is not one of them.
EventCode control_key(EventCode code) {
  switch (code) {
    case KEY_CTRL_N: return nc_menu_command(NC_OPTION_NEW_DOCUMENT);
    case KEY_CTRL_O: return nc_menu_command(NC_OPTION_OPEN);
    case KEY_CTRL_P:
      compare_nc_programs(false);
      ++g_form.redraw_level;
      return WINDOW_REDRAW;
    case KEY_CTRL_S: return nc_menu_command(NC_OPTION_SAVE);
    case KEY_CTRL_Z:
      if (g_windows.active != nullptr && g_windows.active->line_count <= 0) number_lines(0);
      push_back_key(((g_events.modifiers | g_events.last_modifiers) & MODIFIER_SHIFT) != 0
                        ? REDO_STEP
                        : UNDO_STEP);
      return WINDOW_NOTHING;
    case KEY_ALT_A: return spaces_or_tabs(true);
    case KEY_ALT_D: return spaces_or_tabs(false);
    case KEY_F4: return nc_menu_command(NC_OPTION_LOAD_LIST);
    case KEY_CTRL_F4: return nc_menu_command(NC_OPTION_CLOSE);
    case KEY_CTRL_F10: return nc_menu_command(NC_OPTION_SAVE_AS);
    default: return -1;
  }
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

void nc_page_redraw() {
  draw_placeholder_page(PAGE_NC_PROGRAM);
  g_nc_page.drawn = false;
  show_changed_mark();
  draw_controls(controls().data(), 0);
  g_nc_page.drawn = true;
  draw_window_frame(0);
  request_full_redraw();
}

void nc_send_repaint() {
  nc_page_redraw();
  repaint_window_lines();
  redraw_popups(1);
}

EventCode nc_page_key() {
  TextWindow* w = g_windows.active;
  if (w != nullptr && (w->flags & WINDOW_CHANGED) != 0)
    g_job_settings.nc_state = NC_STATE_PROGRAM_READY;
  if (!g_nc_page.drawn || g_form.redraw_level != 0) {
    g_form.redraw_level = 0;
    nc_page_redraw();
  }
  show_changed_mark();
  if (g_events.quit_requested) {
    if (quit_asking()) return leave_page();
    return 0;
  }
  // The editor's wait: an empty buffer gets a line to stand on, the status line is kept current
  // and the caret blinks at the cursor.
  EventCode code = map_user_keys(wait_editor_event());
  switch (code) {
    case EVENT_TICK: return 0;
    case EVENT_QUIT:
      g_events.quit_requested = true;  // asked at the next call, before the next wait
      return 0;
    case EVENT_REDRAW:
      g_nc_page.drawn = false;
      return 0;
    case EVENT_POINTER_MOVE: {
      follow_mouse();
      if ((g_pointer.button_bits & WINDOW_BUTTON_LEFT) != 0 && pointer_in_window() == 0 &&
          g_run.marking == 0 && g_run.drag_presses == 0)
        return 0;
      if (hit_test_pointer(false) == HIT_NOTHING) set_pointer_shape(POINTER_ARROW);
      move_pointer();
      const EventCode drag = editor_pointer_code(code);
      return drag > 0 ? drag : 0;
    }
    case PAGE_LEAVE_EVENT: return leave_page();
    case KEY_ESC:
    case EVENT_RIGHT_DOWN:
    case KEY_ALT_F: return page_menu();
    case EVENT_LEFT_DOWN: return left_press();
    case EVENT_LEFT_UP: return left_release();
    case KEY_CTRL_ENTER_CODE: return 0;
    case KEY_ENTER: return code;
    default: break;
  }
  if (code >= FIRST_PASSED_CODE) return code;
  if (const EventCode clip = map_clipboard_keys(code); clip != 0) return clip;
  if (code == KEY_DEL || code == KEY_CTRL_INS || code == KEY_CTRL_DEL || code == KEY_CTRL_C ||
      code == KEY_CTRL_V || code == KEY_CTRL_X)
    return 0;  // a clipboard key with nothing to do
  if (const EventCode key = control_key(code); key >= 0) return key;
  // Pointer, modifier and timer events are not for the text.
  if (code >= EVENT_LEFT_DOWN && code <= EVENT_ALT_UP) return 0;
  if (code > 576 || (code >= 257 && code <= 428)) return nc_editor_key_map(code);
  return code;
}

EventCode nc_page_hook() {
  const bool ended = g_nc_page.run_ended;
  g_nc_page.run_ended = false;
  const bool failed = ended && g_lists.slots[LIST_SLOT_NC_PROGRAM].first == nullptr;
  if (failed) {
    // A run that made nothing leaves no old program standing as if it were the job's.
    push_list();
    g_lists.current = LineList{};
    append_line("")->kind = LINE_KIND_PARAGRAPH;
    g_lists.slots[LIST_SLOT_NC_PROGRAM] = g_lists.current;
    pop_list();
  }
  if (g_lists.slots[LIST_SLOT_NC_PROGRAM].first != nullptr) {
    activate_nc_document();
    take_generated_program(!failed);
  }
  if (g_windows.active != nullptr) g_windows.active->key_filter = nc_page_key;
  renumber_lines();
  g_nc_page.drawn = false;
  return nc_page_key();
}

EventCode nc_editor_key_map(EventCode code) {
  switch (code) {
    case KEY_ALT_R:
    case KEY_CTRL_R: return WINDOW_REPLACE;
    case KEY_CTRL_F: return WINDOW_FIND;
    case KEY_ALT_M:
      g_nc_page.keep_pointer = !g_nc_page.keep_pointer;
      return 0;
    case KEY_F3: return WINDOW_REPEAT_FIND;
    case KEY_DOWN: {
      const TextLine* line = g_lists.cursor_line;
      if (line != nullptr && next_visible_line(const_cast<TextLine*>(line)) == nullptr &&
          !line->text.empty() && line->text != "\n")
        return WINDOW_APPEND_LINE;
      return code;
    }
    case KEY_ALT_1: return nc_menu_command(NC_OPTION_REFORMAT);
    case KEY_CTRL_A: return WINDOW_SELECT_ALL;
    case KEY_CTRL_G:
      go_to_line(-1);
      ++g_form.redraw_level;
      return WINDOW_REDRAW;
    case KEY_OUTDENT:
    case EVENT_ALT_COMMA: return WINDOW_OUTDENT;
    case KEY_INDENT:
    case EVENT_ALT_PERIOD: return WINDOW_INDENT;
    default: return code;
  }
}

bool new_nc_document() {
  const TextWindow* was = g_windows.active;
  TextWindow place;
  if (was != nullptr) place = *was;
  if (was != nullptr) store_window_state();
  if (open_in_buffer(nullptr, nc_page_key, draw_window_line, FIRST_BUFFER_FLAGS, 0) != 0)
    return false;
  if (was != nullptr) {
    TextWindow* w = g_windows.active;
    w->top_row = place.top_row;
    w->left_column = place.left_column;
    w->bottom_row = place.bottom_row;
    w->right_column = place.right_column;
    w->rows = place.rows;
    w->columns = place.columns;
    compute_window_pixels();
  }
  g_nc_page.document = g_windows.active_node;
  ++g_form.redraw_level;
  return true;
}

int strip_control_chars(std::string* text) {
  std::string kept;
  kept.reserve(text->size());
  for (size_t i = 0; i < text->size(); ++i) {
    const unsigned char c = static_cast<unsigned char>((*text)[i]);
    if (c == '\b') {
      ++i;  // the glyph escape goes with the character it escapes
      continue;
    }
    if (c < 32 && !(c == '\n' && i + 1 == text->size())) continue;
    kept += static_cast<char>(c);
  }
  const int removed = static_cast<int>(text->size() - kept.size());
  *text = std::move(kept);
  return removed;
}

int strip_nc_codes() {
  TextWindow* w = g_windows.active;
  if (w == nullptr) return 0;
  clear_marked_block();
  int removed = 0;
  for (TextLine* line = g_lists.current.first; line != nullptr; line = next_visible_line(line)) {
    if (is_unread_placeholder(line)) continue;
    std::string text = line->text;
    const int n = strip_control_chars(&text);
    if (n == 0) continue;
    removed += n;
    set_line_text(text.c_str(), line);
  }
  if (removed == 0) return 0;
  w->first_line = g_lists.current.first;
  w->last_line = g_lists.current.last;
  if (g_lists.cursor_line != nullptr &&
      w->text_column > static_cast<int16_t>(g_lists.cursor_line->text.size()))
    w->text_column = static_cast<int16_t>(g_lists.cursor_line->text.size());
  if ((w->flags & WINDOW_WORD_WRAP) != 0) reformat_lines(nullptr, nullptr, w->wrap_width);
  w->flags |= WINDOW_CHANGED;
  request_full_redraw();
  return removed;
}

int init_editor_windows() {
  load_protocols();
  if (g_nc_page.menu != nullptr) return 0;
  g_nc_page.menu = menu_from_catalogue(nullptr, MENU_PLACEMENT_PAGE, MSG_MENU_NC_PAGE);
  if (g_nc_page.menu == nullptr) {
    std::fprintf(stderr, "brenvik: %s\n", MENUS_MISSING_TEXT);
    window_message_box(MENUS_MISSING_TEXT);
    return -1;
  }
  return 0;
}

void reset_nc_page() {
  g_nc_page = NcPage{};
}
