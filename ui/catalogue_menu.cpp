// Catalogue menus: building the windows of a menu message and its submenus, and running them.
#include "ui/catalogue_menu.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <string>
#include <vector>

#include "screen/boxes.h"
#include "screen/caret.h"
#include "screen/display_mode.h"
#include "screen/hover.h"
#include "screen/interface_settings.h"
#include "screen/picture_file.h"
#include "screen/pointer.h"
#include "screen/text_output.h"
#include "store/catalogue.h"
#include "store/line_fold.h"
#include "ui/dialog_form.h"
#include "ui/list_window.h"
#include "ui/run_window.h"
#include "ui/text_window.h"
#include "ui/window_frames.h"

MenuState g_menus;

namespace {

constexpr uint16_t MENU_OPTIONS_PAGE = 60;
constexpr uint16_t MENU_OPTIONS_BAR = 130;
constexpr uint16_t MENU_OPTIONS_SUB_OF_SUB = 120;
constexpr uint16_t MENU_OPTIONS_OTHER = 70;
constexpr uint32_t MENU_LIST_OPTION_BAR = 256;
// Menus follow the pointer over their rows and leave sideways toward and away from submenus.
constexpr uint32_t MENU_LIST_OPTIONS = LIST_ROW_KEYS | FORM_LIST_LEAVE_LEFT | FORM_LIST_LEAVE_RIGHT;
constexpr uint8_t MENU_NODE_SUBMENU = 4;
constexpr uint8_t MENU_NODE_PAGE = 2;
constexpr uint8_t MENU_NODE_MASK = 0x07;  // the window layer keeps its own bits above these
constexpr int MENU_WRAP_WIDTH = 250;
constexpr int ITEM_TEXT_MOST = 200;

int16_t get_i16(const uint8_t* p) { return static_cast<int16_t>(p[0] | (p[1] << 8)); }
void put_i16(uint8_t* p, int16_t v) {
  p[0] = static_cast<uint8_t>(v & 0xFF);
  p[1] = static_cast<uint8_t>((v >> 8) & 0xFF);
}
int item_picture(const TextLine* item) { return get_i16(item->attributes); }
int item_submenu_message(const TextLine* item) { return get_i16(item->attributes + 2); }

bool is_separator(const TextLine* item) { return item == nullptr || item->id <= 0; }

// Cells the item's text takes: the codes take none.
int visible_width(const std::string& text, bool has_submenu) {
  int width = 0;
  bool third_colour = false;
  for (unsigned char c : text) {
    if (c == 0x08 || c == 0x0B || c == 0x0C || c == 0x13 || c == 0x0E || c == 0x0A) {
      if (c == 0x0E) third_colour = true;
      continue;
    }
    ++width;
  }
  // An escape pair counted its second byte as a cell; a submenu item or one in the third colour
  // keeps one cell less.
  if (has_submenu || third_colour) --width;
  return std::max(width, 0);
}

struct ParsedItem {
  bool exits = false;
  int picture = 0;
  int id = MENU_SEPARATOR_ID;
  int submenu = 0;
  std::string text;
};

std::string trim(const std::string& text) {
  size_t a = 0;
  size_t b = text.size();
  while (a < b && (text[a] == ' ' || text[a] == '\t')) ++a;
  while (b > a && (text[b - 1] == ' ' || text[b - 1] == '\t' || text[b - 1] == '\r')) --b;
  return text.substr(a, b - a);
}

ParsedItem parse_item(const std::string& line) {
  ParsedItem item;
  const char* p = line.c_str();
  while (*p == ' ') ++p;
  if (*p == '!') {
    item.exits = true;
    ++p;
  }
  while (*p == ' ') ++p;
  if (*p == '>') {
    p = parse_menu_number(p + 1, &item.picture);
  }
  int id = 0;
  p = parse_menu_number(p, &id);
  item.id = id > 0 ? id : MENU_SEPARATOR_ID;
  if (id > 0) {
    const char* after = parse_menu_number(p, &item.submenu);
    if (item.submenu > 0) p = after;
    else item.submenu = 0;
  }
  while (*p == ' ') ++p;
  item.text = std::string(p).substr(0, ITEM_TEXT_MOST);
  return item;
}

uint16_t menu_options(int placement, const TextLine* parent) {
  if (placement == MENU_PLACEMENT_PAGE) return MENU_OPTIONS_PAGE;
  if (placement == MENU_PLACEMENT_BAR) return MENU_OPTIONS_BAR;
  if (placement >= 0 && parent != nullptr && (parent->state & MENU_NODE_MASK) == MENU_NODE_SUBMENU)
    return MENU_OPTIONS_SUB_OF_SUB;
  return MENU_OPTIONS_OTHER;
}

// The messages of the menus being built, outermost first: a submenu that is one of them would
// build itself for ever.
std::vector<int>& menus_being_built() {
  static std::vector<int> chain;
  return chain;
}

}  // namespace

const char* parse_menu_number(const char* text, int* number) {
  *number = 0;
  if (text == nullptr) return text;
  const char* p = text;
  while (*p == ' ') ++p;
  const char* start = p;
  long value = 0;
  while (*p >= '0' && *p <= '9') {
    value = std::min<long>(value * 10 + (*p - '0'), 32767);
    ++p;
  }
  if (p == start) return text;
  *number = static_cast<int>(value);
  if (value != 0)
    while (*p >= '-' && *p <= '9') ++p;
  return p;
}

TextLine* menu_from_catalogue(TextLine* parent, int placement, int message) {
  std::vector<int>& chain = menus_being_built();
  if (std::find(chain.begin(), chain.end(), message) != chain.end() || find_message(message) == 0) {
    g_menus.failed_message = static_cast<int16_t>(message);
    return nullptr;
  }
  // The whole message first: building a submenu reads the catalogue again.
  std::vector<std::string> lines;
  while (read_message_line(0) > 0) lines.emplace_back(message_text());
  if (lines.empty()) {
    g_menus.failed_message = static_cast<int16_t>(message);
    return nullptr;
  }
  std::string title = lines.front();
  while (!title.empty() && (title.back() == ' ' || title.back() == '\r')) title.pop_back();

  if (push_list() < 0) return nullptr;
  clear_current_list();
  int count = 0;
  int width = 0;
  for (size_t i = 1; i < lines.size(); ++i) {
    const std::string trimmed = trim(lines[i]);
    if (trimmed.empty()) continue;
    const ParsedItem parsed = parse_item(trimmed);
    TextLine* line = append_line((parsed.text + "\n").c_str());
    if (line == nullptr) break;
    ++count;
    line->kind |= MENU_ITEM_KIND;
    line->id = static_cast<int16_t>(parsed.id);
    put_i16(line->attributes, static_cast<int16_t>(parsed.picture));
    put_i16(line->attributes + 2, static_cast<int16_t>(parsed.submenu));
    if (parsed.submenu > 0) line->state |= MENU_ITEM_HAS_SUBMENU;
    if (parsed.exits) line->state |= MENU_ITEM_EXITS;
    if (parsed.id > 0) width = std::max(width, visible_width(parsed.text, parsed.submenu > 0));
  }
  if (count == 0) append_line("\n");
  TextLine* node = create_window(parent, {
      .top_row = 1, .left_column = 1, .bottom_row = std::max(count, 1), .right_column = width + 1,
      .flags = g_menus.option_word, .key_filter = menu_key_filter,
      .line_drawer = draw_window_line, .options = menu_options(placement, parent),
      .legend = LIST_WINDOW_LEGEND, .wrap_width = MENU_WRAP_WIDTH, .title = title.c_str(),
      .list_options = MENU_LIST_OPTIONS |
                      (placement == MENU_PLACEMENT_BAR ? MENU_LIST_OPTION_BAR : 0),
  });
  if (node == nullptr) {
    free_current_list();
    pop_list();
    return nullptr;
  }
  node->id = static_cast<int16_t>(placement);
  node->state = placement >= 0 ? MENU_NODE_SUBMENU : placement == MENU_PLACEMENT_PAGE ? MENU_NODE_PAGE : 0;
  put_i16(node->attributes, static_cast<int16_t>(message));
  // The submenus join this menu's window list, each knowing the message it was made from.
  chain.push_back(message);
  for (TextLine* item = window_of(node)->first_line; item != nullptr; item = item->next) {
    const int sub = item_submenu_message(item);
    if (sub <= 0) continue;
    if (menu_from_catalogue(node, item->id, sub) == nullptr) {
      item->state &= static_cast<uint8_t>(~MENU_ITEM_HAS_SUBMENU);
      put_i16(item->attributes + 2, 0);
    }
  }
  chain.pop_back();
  pop_list();
  return node;
}

TextLine* submenu_of(const TextLine* item) {
  if (item == nullptr || (item->state & MENU_ITEM_HAS_SUBMENU) == 0) return nullptr;
  const int message = item_submenu_message(item);
  TextLine* node = g_windows.active_node;
  if (node == nullptr) return nullptr;
  // The windows made after this one in its window list.
  for (TextLine* w = node->next; w != nullptr; w = w->next)
    if ((w->state & MENU_NODE_MASK) == MENU_NODE_SUBMENU && get_i16(w->attributes) == message) return w;
  return nullptr;
}

// ---- The item's picture ---------------------------------------------------------------------

void show_item_picture(int mode) {
  MenuState& m = g_menus;
  if (mode <= -1) {
    if (mode == -2 && m.picture_shown) {
      hide_pointer();
      canvas_restore_under(&g_text.screen, m.picture_under);
      m.picture_under = CanvasSaveUnder();
      m.picture_shown = false;
      show_pointer();
    }
    m.picture_item = nullptr;
    return;
  }
  const TextWindow* w = g_windows.active;
  const TextLine* item = g_lists.cursor_line;
  if (w == nullptr || item == nullptr || item == m.picture_item) return;
  show_item_picture(-2);
  m.picture_item = item;
  const int picture = item_picture(item);
  int height = 0;
  int width = 0;
  if (picture <= 0 || picture_size(picture, &height, &width) < 0 || width <= 0 || height <= 0)
    return;
  const int cw = g_display.current.cell_width;
  const int ch = g_display.current.cell_height;
  int x = (w->right_column + 4) * cw;
  if (x + width > g_display.screen_width) x = (w->left_column - 4) * cw - width;
  int y = (w->top_row + w->cursor_row) * ch + ch / 2 - height / 2;
  y = std::clamp(y, 0, std::max(0, static_cast<int>(g_display.screen_height) - height));
  x = std::max(x, 0);
  if (g_text.screen.target == nullptr) return;
  hide_pointer();
  canvas_save_under(g_text.screen, {x, y, x + width, y + height}, &m.picture_under);
  draw_picture(picture, x, y);
  m.picture_shown = true;
  show_pointer();
}

void draw_cursor_line_selected() {
  const TextWindow* w = g_windows.active;
  if (w == nullptr || g_lists.cursor_line == nullptr) return;
  show_field_caret(w->top_row + w->cursor_row, w->left_column, w->columns);
}

void draw_cursor_line() {
  const TextWindow* w = g_windows.active;
  if (w == nullptr || g_lists.cursor_line == nullptr || g_windows.line_drawer == nullptr) return;
  hide_caret();
  g_windows.line_drawer(w->top_row + w->cursor_row, g_lists.cursor_line);
}

EventCode pointer_column_key() {
  const TextWindow* w = g_windows.active;
  const int cw = g_display.current.cell_width;
  if (w == nullptr || cw <= 0) return 0;
  const int column = g_pointer.wanted_x / cw;
  if (column > w->right_column) return KEY_RIGHT;
  if (column < w->left_column) return KEY_LEFT;
  return 0;
}

// ---- Running ------------------------------------------------------------------------------------

namespace {

bool in_submenu() { return g_menus.depth > 0; }

// Off a separator: to the previous choosable item, else to the next one.
void leave_separator() {
  TextWindow* w = g_windows.active;
  TextLine* line = g_lists.cursor_line;
  if (w == nullptr || !is_separator(line)) return;
  int row = w->cursor_row;
  for (TextLine* p = line->prev; p != nullptr; p = p->prev) {
    --row;
    if (!is_separator(p)) {
      g_lists.cursor_line = p;
      w->cursor_row = static_cast<int16_t>(std::max(row, 0));
      return;
    }
  }
  row = w->cursor_row;
  for (TextLine* n = line->next; n != nullptr; n = n->next) {
    ++row;
    if (!is_separator(n)) {
      g_lists.cursor_line = n;
      w->cursor_row = static_cast<int16_t>(std::min(row, w->rows - 1));
      return;
    }
  }
}

// Places the submenu of the item beside it.
void place_submenu(TextLine* sub) {
  const TextWindow* menu = g_windows.active;
  TextWindow* s = window_of(sub);
  if (menu == nullptr || s == nullptr) return;
  const int width = s->right_column - s->left_column + 1;
  const int height = s->bottom_row - s->top_row + 1;
  const CellMetrics& m = g_display.current;
  const int limit = m.last_column - (in_submenu() ? 3 : 7);
  int column = menu->right_column - 1;
  if (column + width >= limit) column = limit - width;
  int row = menu->top_row + menu->cursor_row - height / 3;
  row = std::max(row, 5);
  row = std::min(row, m.last_row - 4 - height);
  row = std::max(row, 1);
  if (row == menu->top_row) ++row;
  place_window(s, -(row + 1), std::max(column, 2));
}

// Runs the submenu of the current item: 450 when something was chosen in it (the choice kept
// for the caller), else 0 with the submenu closed.
EventCode run_submenu(TextLine* sub) {
  place_submenu(sub);
  show_item_picture(-2);
  g_menus.second_level_choice = 0;
  push_active_window();
  ++g_menus.depth;
  TextLine* chosen = run_window(sub);
  --g_menus.depth;
  close_window_background();
  pop_active_window();
  g_run.last_framed_window = g_windows.active_node;
  if (chosen == nullptr || is_separator(chosen)) {
    draw_window_frame(0);
    return 0;
  }
  const bool exits = (chosen->state & MENU_ITEM_EXITS) != 0;
  if (in_submenu()) {
    g_menus.second_level_choice = chosen->id;
    if (exits) g_menus.exit_depth = 3;
  } else {
    g_menus.submenu_choice =
        g_menus.second_level_choice > 0 ? g_menus.second_level_choice : chosen->id;
    if (exits) g_menus.exit_depth = 2;
  }
  return WINDOW_ACCEPT;
}

// A click on the menu: the item under the pointer becomes current; true when it is choosable.
bool cursor_to_clicked_item() {
  TextWindow* w = g_windows.active;
  const int ch = g_display.current.cell_height;
  if (w == nullptr || ch <= 0) return false;
  const int target = g_pointer.wanted_y / ch - w->top_row;
  TextLine* line = g_lists.cursor_line;
  int row = w->cursor_row;
  while (row < target && line != nullptr && line->next != nullptr) {
    line = line->next;
    ++row;
  }
  while (row > target && line != nullptr && line->prev != nullptr) {
    line = line->prev;
    --row;
  }
  if (row != target) return false;
  g_lists.cursor_line = line;
  w->cursor_row = static_cast<int16_t>(std::clamp(row, 0, w->rows - 1));
  return !is_separator(line);
}

EventCode choose_item() {
  TextLine* item = g_lists.cursor_line;
  if (is_separator(item)) return 0;
  if (TextLine* sub = submenu_of(item); sub != nullptr) return run_submenu(sub);
  if ((item->state & MENU_ITEM_EXITS) != 0 && !in_submenu()) g_menus.exit_depth = 1;
  return WINDOW_ACCEPT;
}

// One event for the menu: the caret on a choosable item, the pointer following the rows.
EventCode read_menu_event(TextWindow* w) {
  g_field.display_row = w->top_row + w->cursor_row;
  g_field.value_column = w->left_column;
  const int width = is_separator(g_lists.cursor_line) ? 0 : w->columns;
  show_item_picture(0);
  const EventCode code = read_window_event(width);
  if (code >= 32 && code <= 255) poll_input_code(0);
  return code;
}

}  // namespace

EventCode menu_key_filter() {
  TextWindow* w = g_windows.active;
  if (w == nullptr) return KEY_ESC;
  if (g_run.first_call) {
    leave_separator();
    show_item_picture(-1);
    if (g_interface.shading_style == 3 && (w->flags & WINDOW_KEEP_UNDER) == 0)
      w->flags |= WINDOW_SHADE_ON_CLOSE;
  }
  if (g_find.last_find_result > 0) {
    // A hot letter found its item: typing it chooses the item.
    g_find.last_find_result = 0;
    return choose_item();
  }
  if (is_separator(g_lists.cursor_line) &&
      (g_menus.last_key == KEY_UP || g_menus.last_key == KEY_DOWN)) {
    const bool down = g_menus.last_key == KEY_DOWN;
    const TextLine* line = g_lists.cursor_line;
    if ((down && line->next != nullptr) || (!down && line->prev != nullptr)) return g_menus.last_key;
    leave_separator();
  }
  for (;;) {
    EventCode code = read_menu_event(w);
    if (g_events.quit_requested || code == EVENT_QUIT) return KEY_ESC;
    g_menus.last_key = 0;
    TextLine* item = g_lists.cursor_line;
    switch (code) {
      case 0: continue;
      case KEY_HOME: return KEY_CTRL_PGUP;
      case KEY_END: return KEY_CTRL_PGDN;
      case KEY_ESC:
      case WINDOW_CANCEL:
        if (!in_submenu()) g_menus.exit_depth = 1;
        return KEY_ESC;
      case EVENT_REDRAW:
        request_full_redraw();
        return WINDOW_REDRAW;
      case KEY_LEFT:
        if (in_submenu()) return KEY_ESC;
        continue;
      case KEY_RIGHT:
      case WINDOW_DRAG_RIGHT:
        if (submenu_of(item) != nullptr) return choose_item();
        continue;
      case EVENT_LEFT_DOWN:
        if (!cursor_to_clicked_item()) continue;
        return choose_item();
      case KEY_ENTER: return choose_item();
      case ' ': {
        const bool last = item != nullptr && item->next == nullptr;
        g_menus.last_key = last ? KEY_UP : KEY_DOWN;
        return last ? KEY_PGUP : KEY_DOWN;
      }
      case KEY_UP:
      case KEY_DOWN:
        g_menus.last_key = code;
        return code;
      case KEY_PGUP:
      case KEY_PGDN:
        g_menus.last_key = code == KEY_PGUP ? KEY_DOWN : KEY_UP;
        return code;
      default: break;
    }
    if ((code > 0 && code < 256 && std::isalnum(code)) || code == '/') {
      g_find.last_find_result = 0;
      g_find.search_text = std::string("\v") + static_cast<char>(code) + "\x13";
      return WINDOW_FIND_FROM_TOP;
    }
  }
}

int run_catalogue_menu(TextLine* menu, int row, int column) {
  TextWindow* window = window_of(menu);
  if (window == nullptr) return 0;
  if (row != 0 || column != 0) place_window(window, row, column);
  g_menus.submenu_choice = 0;
  g_menus.second_level_choice = 0;
  g_menus.exit_depth = 0;
  g_menus.depth = 0;
  g_menus.last_key = 0;
  push_active_window();
  TextLine* chosen = run_window(menu);
  show_item_picture(-2);
  close_window_background();
  pop_active_window();
  if (chosen == nullptr || is_separator(chosen)) return 0;
  return g_menus.submenu_choice > 0 ? g_menus.submenu_choice : chosen->id;
}

void close_menu_by_id(int id) {
  for (TextLine* node = g_windows.active_node; node != nullptr; node = node->next) {
    if (node->id != id || window_of(node) == nullptr) continue;
    push_active_window();
    activate_window(node);
    close_window_background();
    pop_active_window();
    return;
  }
}

// ---- Menu texts ---------------------------------------------------------------------------------

void set_window_list_flags(TextLine* node, uint32_t flags) {
  for (; node != nullptr; node = node->next)
    if (TextWindow* w = window_of(node); w != nullptr) w->flags = flags;
}

void set_hide_show_word(std::string* text, char letter, int hide) {
  if (text == nullptr) return;
  size_t at = std::string::npos;
  for (const char c : {static_cast<char>(std::toupper(letter)), static_cast<char>(std::tolower(letter))}) {
    const std::string hot = std::string("\v") + c + "\x13";
    at = text->find(hot);
    if (at != std::string::npos) break;
  }
  if (at == std::string::npos) return;
  for (size_t i = at; i-- > 0;) {
    if (i + 5 > text->size() || (*text)[i] != ' ') continue;
    const std::string word = text->substr(i + 1, 4);
    if (word == "hide" || word == "show") {
      text->replace(i + 1, 4, hide != 0 ? "hide" : "show");
      return;
    }
  }
}

void show_esc_to_cancel() {
  clear_hover();
  show_status_line("\nPress \vESC\x13 to cancel");
  shade_screen();
}

void reset_menu_state() {
  g_menus.submenu_choice = 0;
  g_menus.second_level_choice = 0;
  g_menus.exit_depth = 0;
  g_menus.depth = 0;
  g_menus.last_key = 0;
  g_menus.picture_item = nullptr;
  g_menus.picture_shown = false;
  g_menus.picture_under = CanvasSaveUnder();
  g_menus.failed_message = 0;
}
