#include "pages/text_list_page.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

#include "editor/font_picker.h"
#include "editor/text_prompt.h"
#include "geometry/drawing_item.h"
#include "job/job_file.h"
#include "text/stroke_fonts.h"
#include "editor/drawing_commands.h"
#include "editor/item_inspector.h"
#include "editor/view_state.h"
#include "pages/item_panel.h"
#include "pages/job_commands.h"
#include "pages/text_item_page.h"
#include "pages/text_mass_change.h"
#include "records/job_settings.h"
#include "records/preferences.h"
#include "screen/boxes.h"
#include "screen/caret.h"
#include "screen/display_mode.h"
#include "screen/hover.h"
#include "screen/interface_settings.h"
#include "screen/main_form.h"
#include "screen/pointer.h"
#include "screen/screen_attributes.h"
#include "screen/text_output.h"
#include "screen/tick_clock.h"
#include "store/line_list.h"
#include "text/text_items.h"
#include "text/text_layout.h"
#include "text/text_numbering.h"
#include "ui/catalogue_menu.h"
#include "ui/key_pushback.h"
#include "ui/message_box.h"
#include "ui/page_entries.h"
#include "ui/placeholder_page.h"
#include "ui/popups.h"
#include "ui/run_window.h"
#include "ui/text_window.h"
#include "ui/window_frames.h"

TextListPage g_text_list;

namespace {

constexpr int BUTTON_ROW = 3;
constexpr int HEADING_ROW = 4;
// The buttons stand right of the page's name.
constexpr int BUTTON_COLUMN = 30;
constexpr int NUMBER_WIDTH = 5;
constexpr int MENU_ROW = 6;
constexpr int MENU_COLUMN = 8;

constexpr EventCode KEY_F4_CODE = 318;
constexpr EventCode KEY_CTRL_F4_CODE = 353;
constexpr EventCode KEY_CTRL_N_CODE = 590;
constexpr EventCode KEY_CTRL_O_CODE = 591;
constexpr EventCode KEY_CTRL_S_CODE = 595;
constexpr EventCode KEY_CTRL_Z_CODE = 602;
constexpr EventCode KEY_ALT_UP = KEY_UP + KEY_ALT_OFFSET;
constexpr EventCode KEY_ALT_DOWN = KEY_DOWN + KEY_ALT_OFFSET;
constexpr EventCode LIST_CHANGED = 452;
constexpr EventCode PAGE_TAB_EVENT = 699;

std::vector<ScreenControl> make_buttons() {
  std::vector<ScreenControl> t = {
      make_control("File", TEXT_LIST_FILE_BUTTON, BUTTON_ROW, BUTTON_COLUMN, 1, 6, 0, 0),
      make_control("Menu", TEXT_LIST_MENU_BUTTON, BUTTON_ROW, BUTTON_COLUMN + 8, 1, 6, 0, 0),
      make_control("Open a job file", TEXT_LIST_OPEN_BUTTON, BUTTON_ROW, BUTTON_COLUMN + 16, 1,
                   17, 0, 0),
      make_control("Show Brenvik fonts", TEXT_LIST_FONTS_BUTTON, BUTTON_ROW, BUTTON_COLUMN + 35,
                   1, 20, 0, 0),
  };
  append_title_buttons(&t);
  return t;
}

TextWindow* page_window() { return g_windows.active; }

int first_row() {
  const TextWindow* w = page_window();
  return w != nullptr ? w->top_row : HEADING_ROW + 1;
}

int row_count() {
  const TextWindow* w = page_window();
  return w != nullptr ? std::max(1, w->bottom_row - w->top_row + 1) : 20;
}

int text_column() {
  const TextWindow* w = page_window();
  return w != nullptr ? w->left_column : NUMBER_WIDTH;
}

TextLine*& cursor() { return g_lists.cursor_line; }

// The text as the list shows it: format codes (with their argument bytes) left out.
std::string shown_text(const std::string& text) {
  std::string out;
  for (size_t k = 0; k < text.size(); ++k) {
    const auto c = static_cast<uint8_t>(text[k]);
    if (c == '\n') break;
    if (c >= FORMAT_KERNING && c <= FORMAT_DEPTH) {
      ++k;
      continue;
    }
    if (c < ' ' || c == FORMAT_SKIP) continue;
    out += static_cast<char>(c);
  }
  return out;
}

// Keeps one blank text item at the end of the list.
void keep_blank_line_at_end() {
  TextLine* last = g_lists.current.last;
  if (last == nullptr || !text_line_is_empty(last) || last->kind != ITEM_TEXT) new_text_item();
}

// The index of a line in the list (0 for the first).
int index_of(const TextLine* line) {
  int k = 0;
  for (const TextLine* l = g_lists.current.first; l != nullptr && l != line; l = l->next) ++k;
  return k;
}

// The top line keeps the cursor line on the screen.
void keep_cursor_shown() {
  TextListPage& p = g_text_list;
  if (cursor() == nullptr) cursor() = g_lists.current.first;
  if (p.top == nullptr || index_of(p.top) > index_of(cursor())) p.top = cursor();
  int rows = row_count();
  int distance = index_of(cursor()) - index_of(p.top);
  while (distance >= rows && p.top->next != nullptr) {
    p.top = p.top->next;
    --distance;
  }
}

void show_hint() {
  show_status_line(text_line_is_empty(cursor()) ? TEXT_LIST_HINT_EMPTY : TEXT_LIST_HINT_TEXT);
}

void draw_list() {
  keep_cursor_shown();
  TextLine* line = g_text_list.top;
  const int rows = row_count();
  const int top = first_row();
  for (int r = 0; r < rows; ++r) {
    fill_cells(top + r, 0, top + r, g_display.current.last_column, 0);
    if (line != nullptr) {
      text_list_line(top + r, line);
      line = line->next;
    }
  }
}

// The first column right of the list, where the property page stands.
int panel_column() {
  const TextWindow* w = page_window();
  return w != nullptr ? w->right_column + 2 : g_display.current.last_column / 2;
}

// The column the property page starts at: where the Drawing page's side panel stands, clear of
// the drawing by the form's frame, as on that page.
int property_page_column() {
  const int normal = g_display.presets[FACE_ROLE_NORMAL].cell_width;
  const int menu = g_display.presets[FACE_ROLE_MENU].cell_width;
  if (g_view.side_panel_column <= 0 || normal <= 0 || menu <= 0) return panel_column() + 3;
  return std::max(panel_column(), (g_view.side_panel_column * menu + normal - 1) / normal) + 5;
}

// The current line's property page beside the list, drawn once; an empty line clears the place.
void show_panel_beside() {
  TextLine* line = cursor();
  g_text_list.panel_line = line;
  const int top = first_row();
  fill_cells(top, panel_column(), top + row_count() - 1, g_display.current.last_column, 0);
  if (line == nullptr || text_line_is_empty(line) || !line_is_text_item(line)) return;
  hide_pointer();
  g_text_page.list_column = property_page_column();
  show_cam_panel(line, 1);
  show_pointer();
}

void draw_page() {
  g_text_list.redraw = false;
  g_form.redraw_level = 0;
  hide_pointer();
  // The page's frame, name and tabs as every page has them; the list on them.
  draw_placeholder_page(PAGE_ENGRAVING_LIST);
  text_list_frame();
  show_panel_beside();
  show_hint();
  g_windows.full_redraw_count = 0;
  redraw_popups(0);
  show_pointer();
}

// ---- Editing a line ----

// Edits the cursor line's text; `typed` (when not 0) starts a new text with that character.
void edit_line(EventCode typed) {
  TextLine* item = cursor();
  if (item == nullptr || !line_is_text_item(item)) return;
  const bool empty = text_line_is_empty(item);
  show_status_line(empty ? TEXT_LIST_TYPE_STATUS : TEXT_LIST_EDIT_STATUS);
  std::string text = typed != 0 ? std::string() : item->text;
  if (typed != 0) push_back_key(typed);
  const bool accepted = prompt_engraving_text(&text);
  g_text_list.redraw = true;
  if (!accepted) return;
  if (empty) copy_previous_parameters(item);
  set_line_text(text.c_str(), item);
  mark_job_changed();
  set_item_flags(item, item_flags(item) | ITEM_FLAG_SELECTED);
  if (item_id(item) == 0) set_item_id(item, ++g_job_settings.item_id_counter);
  g_job_settings.text_items_ready = 0;
  uint8_t* stored = block_text_layout(item_block(item));
  if (stored != nullptr && !text.empty()) {
    layout_text_item(item);
    set_text_frame_from_corners(stored, item_nodes(item));
    rebuild_text_frame(stored, item_nodes(item));
  }
  g_job_settings.view_fitted = 0;
  keep_blank_line_at_end();
}

void insert_line_above() {
  TextLine* added = insert_text_item_above(cursor());
  if (added == nullptr) return;
  cursor() = added;
  mark_job_changed();
  g_text_list.redraw = true;
}

void delete_cursor_line() {
  TextLine* line = cursor();
  if (line == nullptr) return;
  // The blank line at the end stays: there is nothing to delete on it.
  if (line->next == nullptr && text_line_is_empty(line)) return;
  TextLine* next = line->next != nullptr ? line->next : line->prev;
  if (g_text_list.top == line) g_text_list.top = next;
  delete_line(line);
  cursor() = next;
  keep_blank_line_at_end();
  if (cursor() == nullptr) cursor() = g_lists.current.first;
  mark_job_changed();
  g_text_list.redraw = true;
}

void move_lines(EventCode key) {
  const bool group = (g_events.last_modifiers & (MODIFIER_SHIFT | MODIFIER_CTRL)) != 0;
  if (move_text_items(cursor(), key == KEY_ALT_UP ? 473 : key == KEY_ALT_DOWN ? 474 : key,
                      group) > 0) {
    mark_job_changed();
    g_text_list.redraw = true;
  }
}

// ---- Menus and the File menu ----

void file_command(int option) {
  if (g_page_entries.file_menu_command != nullptr) g_page_entries.file_menu_command(option);
  g_text_list.redraw = true;
}

void start_copy_mode() {
  g_text_list.mode = TEXT_LIST_MODE_PICK_SOURCE;
  show_status_line(TEXT_LIST_PICK_SOURCE);
}

void run_menu(TextLine* menu, bool drop_down) {
  if (menu == nullptr) return;
  show_status_line(TEXT_LIST_MENU_STATUS);
  const int option = drop_down ? run_catalogue_menu(menu, -MENU_ROW, 2)
                               : run_catalogue_menu(menu, MENU_ROW + 6, MENU_COLUMN + 20);
  g_text_list.redraw = true;
  if (option <= 0) return;
  if (option == TEXT_LIST_COPY_PARAMETERS) start_copy_mode();
  else file_command(option);
}

// ---- The copy-parameters mode ----

// Enter on a line in the copy modes; false when the line has no text.
void copy_mode_enter() {
  TextListPage& p = g_text_list;
  TextLine* line = cursor();
  if (line == nullptr || text_line_is_empty(line) || !line_is_text_item(line)) return;
  const auto* block = reinterpret_cast<const uint8_t*>(item_block(line));
  if (p.mode == TEXT_LIST_MODE_PICK_SOURCE) {
    p.copied.assign(block, block + TEXT_COPY_PICKED);
    p.mode = TEXT_LIST_MODE_APPLY;
    show_status_line(TEXT_LIST_PICK_TARGETS);
    return;
  }
  // The line keeps its own frame and link count; the header, machining block and layout come.
  GeometryBlock* target = item_block(line);
  const int32_t links = target->link_count;
  std::memcpy(target, p.copied.data(), TEXT_COPY_LAYOUT);
  target->link_count = links;
  uint8_t* stored = block_text_layout(target);
  TextLayout l;
  read_text_layout(stored, &l);
  l.font_handle = 0;
  // A straight text is fitted anew to its own text; one on an arc keeps its length.
  if (l.arc_radius == 0.0f) l.length = 0.0f;
  write_text_layout(l, stored);
  layout_text_item(line);
  set_text_frame_from_corners(stored, item_nodes(line));
  rebuild_text_frame(stored, item_nodes(line));
  mark_job_changed();
  show_status_line(TEXT_LIST_DID_IT);
  draw_list();
}

void end_copy_mode() {
  g_text_list.mode = TEXT_LIST_MODE_NORMAL;
  g_text_list.copied.clear();
  g_text_list.redraw = true;
}

// ---- Navigation ----

void step_cursor(int lines) {
  TextLine* line = cursor();
  if (line == nullptr) return;
  for (; lines > 0 && line->next != nullptr; --lines) line = line->next;
  for (; lines < 0 && line->prev != nullptr; ++lines) line = line->prev;
  cursor() = line;
  draw_list();
  if (cursor() != g_text_list.panel_line) show_panel_beside();
  show_hint();
}

EventCode left_click();

// Runs the current line's property page beside the list until it is left: PgDn and PgUp walk
// to the next or previous line with text and open its page; Esc opens the page menu; a click
// outside the page goes back to the list, which takes it. 27 when the page is to be left.
EventCode run_panel_beside() {
  TextListPage& p = g_text_list;
  for (;;) {
    TextLine* line = cursor();
    if (line == nullptr || text_line_is_empty(line) || !line_is_text_item(line)) return 0;
    hide_pointer();
    g_text_page.list_column = property_page_column();
    show_cam_panel(line, 0);
    show_pointer();
    const int exit = g_cam_panel_exit;
    // The page may have changed the text (and then marked the job changed): all is drawn again.
    p.redraw = true;
    switch (exit) {
      case KEY_PGDN:
      case KEY_PGUP: {
        TextLine* next = exit == KEY_PGDN ? line->next : line->prev;
        if (next == nullptr || text_line_is_empty(next)) return 0;
        cursor() = next;
        draw_page();
        continue;
      }
      case EVENT_LEFT_DOWN: return left_click();
      case PANEL_EXIT_PAGE_TAB: return KEY_ESC;
      case EVENT_REDRAW: continue;
      case KEY_ESC:
        // A quit closed the page: the page loop's save question comes next, not the menu.
        if (g_events.quit_requested) return 0;
        draw_page();
        run_menu(g_placeholder_page.main_menus[PAGE_ENGRAVING_LIST], false);
        return 0;
      default: return 0;
    }
  }
}

// The list row under the pointer, or -1.
int pointer_list_row() {
  const int h = g_display.current.cell_height;
  if (h <= 0) return -1;
  const int row = g_pointer.wanted_y / h - first_row();
  return row >= 0 && row < row_count() ? row : -1;
}

// A left press: the tabs, the buttons, a list row, the property page beside the list. 27 when
// the page is left.
EventCode left_click() {
  const int hit = hit_test_pointer(true);
  if (hit >= 0 && (hit & HIT_PAGE_TAB) != 0) {
    const int tab = hit & 0xFF;
    if (tab == PAGE_ENGRAVING_LIST) return 0;
    g_preferences.current_page = static_cast<uint8_t>(tab);
    g_tab_strip.active = tab;
    return KEY_ESC;
  }
  switch (hit) {
    case TEXT_LIST_FILE_BUTTON: run_menu(g_placeholder_page.file_menus[PAGE_ENGRAVING_LIST], true); return 0;
    case TEXT_LIST_MENU_BUTTON: run_menu(g_placeholder_page.main_menus[PAGE_ENGRAVING_LIST], false); return 0;
    case TEXT_LIST_OPEN_BUTTON: file_command(FILE_OPTION_OPEN_JOB); return 0;
    case TEXT_LIST_FONTS_BUTTON:
      pick_font(PICK_FONT_VIEW, nullptr);
      g_text_list.redraw = true;
      return 0;
    default: break;
  }
  const int row = pointer_list_row();
  if (row < 0) return 0;
  const int column = g_display.current.cell_width > 0
                         ? g_pointer.wanted_x / g_display.current.cell_width : 0;
  if (column >= panel_column() && g_text_list.mode == TEXT_LIST_MODE_NORMAL)
    return run_panel_beside();
  TextLine* line = g_text_list.top;
  for (int k = 0; k < row && line != nullptr; ++k) line = line->next;
  if (line == nullptr) return 0;
  if (line == cursor() && g_text_list.mode == TEXT_LIST_MODE_NORMAL) {
    edit_line(0);
    return 0;
  }
  cursor() = line;
  if (g_text_list.mode != TEXT_LIST_MODE_NORMAL) copy_mode_enter();
  draw_list();
  if (cursor() != g_text_list.panel_line) show_panel_beside();
  return 0;
}

bool typed_character(EventCode code) {
  return code >= ' ' && code <= 255 && code != FORMAT_SKIP;
}

// One event in the copy modes: true when it was taken.
bool copy_mode_event(EventCode code) {
  if (g_text_list.mode == TEXT_LIST_MODE_NORMAL) return false;
  switch (code) {
    case KEY_ENTER: copy_mode_enter(); return true;
    case KEY_ESC:
    case EVENT_RIGHT_DOWN: end_copy_mode(); return true;
    default: return false;
  }
}

// One event of the list: 27 when the page is left.
EventCode list_event(EventCode code) {
  if (copy_mode_event(code)) return 0;
  switch (code) {
    case KEY_UP: step_cursor(-1); return 0;
    case KEY_DOWN: step_cursor(1); return 0;
    case KEY_PGUP: step_cursor(-row_count()); return 0;
    case KEY_PGDN: step_cursor(row_count()); return 0;
    case KEY_HOME:
    case KEY_CTRL_HOME: step_cursor(-index_of(cursor())); return 0;
    case KEY_END:
    case KEY_CTRL_END: step_cursor(1 << 30); return 0;
    case EVENT_WHEEL_UP: step_cursor(-1); return 0;
    case EVENT_WHEEL_DOWN: step_cursor(1); return 0;
    case KEY_ENTER:
    case KEY_BACKSPACE: edit_line(0); return 0;
    case KEY_ESC: run_menu(g_placeholder_page.main_menus[PAGE_ENGRAVING_LIST], false); return 0;
    case KEY_ALT_F: run_menu(g_placeholder_page.file_menus[PAGE_ENGRAVING_LIST], true); return 0;
    case KEY_F1: file_command(FILE_OPTION_HELP); return 0;
    case KEY_F4_CODE:
      shade_screen();
      file_command(FILE_OPTION_RECENT_JOBS);
      return 0;
    case KEY_CTRL_F4_CODE:
    case KEY_CTRL_N_CODE: file_command(FILE_OPTION_NEW_JOB); return 0;
    case KEY_CTRL_O_CODE: file_command(FILE_OPTION_OPEN_JOB); return 0;
    case KEY_CTRL_S_CODE: file_command(FILE_OPTION_SAVE_FILE); return 0;
    case KEY_CTRL_Z_CODE: file_command(FILE_OPTION_UNDO); return 0;
    case KEY_RIGHT:
      if (g_text_list.mode != TEXT_LIST_MODE_NORMAL) return 0;
      return run_panel_beside();
    case KEY_INS: insert_line_above(); return 0;
    case KEY_DEL: delete_cursor_line(); return 0;
    case WINDOW_MOVE_LINE_UP:
    case WINDOW_MOVE_LINE_DOWN:
    case KEY_ALT_UP:
    case KEY_ALT_DOWN: move_lines(code); return 0;
    case LIST_CHANGED: mark_job_changed(); return 0;
    case EVENT_LEFT_DOWN: return left_click();
    case EVENT_POINTER_MOVE: placeholder_page_event(PAGE_ENGRAVING_LIST, code); return 0;
    case PAGE_TAB_EVENT: return KEY_ESC;
    case EVENT_REDRAW: g_text_list.redraw = true; return 0;
    default: break;
  }
  if (typed_character(code) && g_text_list.mode == TEXT_LIST_MODE_NORMAL) edit_line(code);
  return 0;
}

}  // namespace

void text_list_line(int row, TextLine* line) {
  if (line == nullptr) return;
  char number[16];
  std::snprintf(number, sizeof number, "%*d", NUMBER_WIDTH, line->id);
  const bool current = line == cursor();
  std::string text = current ? "\v" : "";
  text += (line->state & LINE_STATE_CHECKED) != 0 ? "\b<\b= " : "\b?\b@ ";
  text += shown_text(line->text);
  if (current) text += "\x13";
  const int column = text_column();
  draw_text(row, std::max(0, column - NUMBER_WIDTH - 1), number);
  draw_text(row, column, text.c_str());
}

void text_list_frame() {
  TextListPage& p = g_text_list;
  if (p.buttons.empty()) p.buttons = make_buttons();
  ScreenControl* file = &p.buttons[0];
  // The File button shows whether the job has changes not saved yet.
  if (g_job_settings.job_changed != 0) file->flags |= CF_CHECKED;
  else file->flags &= ~CF_CHECKED;
  draw_controls(p.buttons.data(), 0);
  draw_text(HEADING_ROW, 0, "Item #");
  draw_text(HEADING_ROW, text_column() + 2, "List of text items");
  draw_list();
}

void redraw_text_list_page() {
  // Behind a panel that stands over the page: drawn now, with its cursor row, so that the panel
  // is repainted over the list rather than over what the list last covered.
  hide_caret();
  draw_page_tabs(1);
  text_list_frame();
}

EventCode text_list_key() {
  TextListPage& p = g_text_list;
  p.redraw = true;
  p.mode = TEXT_LIST_MODE_NORMAL;
  if (cursor() == nullptr) cursor() = g_lists.current.first;
  keep_blank_line_at_end();
  for (;;) {
    if (g_form.resize_pending != RESIZE_NONE) {
      set_display_mode(g_interface.display_choice);
      g_form.resize_pending = RESIZE_NONE;
      p.redraw = true;
    }
    if ((g_job_settings.job_changed & JOB_CHANGED) != 0) auto_save_job(g_clock.ticks);
    if (p.redraw || g_form.redraw_level != 0 || g_page_requests.redraw != 0) {
      g_page_requests.redraw = 0;
      draw_page();
    }
    if (placeholder_page_quit() != 0) return KEY_ESC;
    move_pointer();
    const EventCode code = wait_input_code();
    if (code == EVENT_TICK || code == 0) continue;
    if (code == EVENT_QUIT) {
      g_events.quit_requested = true;
      continue;
    }
    if (list_event(code) == KEY_ESC) {
      end_copy_mode();
      return KEY_ESC;
    }
  }
}

void reset_text_list_page() { g_text_list = TextListPage{}; }
