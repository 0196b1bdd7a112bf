// The browser on the screen: its box of cells, the keys and clicks of each part, and the loop.
#include <algorithm>
#include <cstring>

#include "platform/cp1252.h"
#include "screen/display_mode.h"
#include "screen/text_output.h"
#include "store/text_helpers.h"
#include "ui/entry_line.h"
#include "ui/field_flags.h"
#include "ui/file_browser.h"
#include "ui/framed_box.h"
#include "ui/pointer_motion.h"

namespace {

constexpr int BROWSER_MOST_COLUMNS = 76;
constexpr int BROWSER_MOST_ROWS = 22;
constexpr int BROWSER_LEAST_COLUMNS = 30;
constexpr int BROWSER_LEAST_ROWS = 9;
constexpr int PLACE_MOST_COLUMNS = 16;
constexpr int LABEL_COLUMNS = 6;  // "Name: ", "Type: "
constexpr char PANE_DIVIDER[] = "\xA6";  // a broken bar between the places and the entries

const char* help_text(const FileBrowser* b) {
  if (b->mode == BROWSE_FOLDER)
    return "Enter: open  Tab, Enter: choose this folder  Backspace: up  Esc: cancel";
  return "Enter: open or choose  Backspace: up  Tab: name, type, places  Esc: cancel";
}

// ---- Layout --------------------------------------------------------------------------------------

void lay_out(FileBrowser* b) {
  const CellMetrics& m = g_display.current;
  const int columns = std::max(BROWSER_LEAST_COLUMNS, std::min(m.last_column - 5,
                                                                BROWSER_MOST_COLUMNS));
  const int rows = std::max(BROWSER_LEAST_ROWS, std::min(m.last_row - 4, BROWSER_MOST_ROWS));
  b->left_column = std::max(1, (m.last_column + 1 - columns) / 2);
  b->top_row = std::max(1, (m.last_row + 1 - rows) / 2);
  b->right_column = b->left_column + columns - 1;
  b->bottom_row = b->top_row + rows - 1;
  b->place_columns = std::min(PLACE_MOST_COLUMNS, columns / 4);
  b->list_rows = rows - 4;
}

int list_left(const FileBrowser* b) { return b->left_column + b->place_columns + 1; }
int list_columns(const FileBrowser* b) { return b->right_column - list_left(b) + 1; }
int name_row(const FileBrowser* b) { return b->bottom_row - 2; }
int filter_row(const FileBrowser* b) { return b->bottom_row - 1; }
int name_column(const FileBrowser* b) { return b->left_column + LABEL_COLUMNS; }
int name_columns(const FileBrowser* b) { return b->right_column - name_column(b) + 1; }

void keep_current_shown(FileBrowser* b) {
  const int count = static_cast<int>(b->entries.size());
  b->current = std::clamp(b->current, 0, std::max(0, count - 1));
  if (b->current < b->first_shown) b->first_shown = b->current;
  if (b->current >= b->first_shown + b->list_rows) b->first_shown = b->current - b->list_rows + 1;
  b->first_shown = std::clamp(b->first_shown, 0, std::max(0, count - b->list_rows));
}

// ---- Drawing -----------------------------------------------------------------------------------

// Control bytes are the text's colour codes: a shown name never carries one.
std::string printable(std::string text) {
  for (char& c : text)
    if (static_cast<uint8_t>(c) < 32) c = '?';
  return text;
}

// One field of a row: the text cut to the width, the rest blank; inverted for the focus.
void draw_field(int row, int column, int width, const std::string& text, bool focused,
                bool highlighted = false) {
  if (width <= 0) return;
  std::string shown = text.substr(0, static_cast<size_t>(width));
  if (highlighted) shown = std::string(1, static_cast<char>(TC_HIGHLIGHT)) + shown;
  g_text.text_field_width = static_cast<int16_t>(width);
  draw_text(row, column, shown.c_str());
  g_text.text_field_width = 0;
  if (focused) blank_row_span(row, column, width);
}

void draw_places(const FileBrowser* b) {
  for (int i = 0; i < b->list_rows; ++i) {
    const int row = b->top_row + 1 + i;
    const bool used = i < static_cast<int>(b->places.size());
    const std::string label = used ? printable(cp1252_from_utf8(b->places[i].label, '?')) : "";
    const bool current = used && i == b->place_index;
    draw_field(row, b->left_column, b->place_columns, label,
               current && b->focus == FOCUS_PLACES);
  }
  for (int i = 0; i < b->list_rows; ++i)
    draw_field(b->top_row + 1 + i, b->left_column + b->place_columns, 1, PANE_DIVIDER, false);
}

void draw_entries(const FileBrowser* b) {
  for (int i = 0; i < b->list_rows; ++i) {
    const int index = b->first_shown + i;
    const bool used = index < static_cast<int>(b->entries.size());
    const std::string text = used ? shown_entry_name(b->entries[index]) : "";
    const bool current = used && index == b->current;
    draw_field(b->top_row + 1 + i, list_left(b), list_columns(b), text,
               current && b->focus == FOCUS_LIST, current && b->focus != FOCUS_LIST);
  }
  if (b->entries.empty())
    draw_field(b->top_row + 1, list_left(b), list_columns(b),
               b->mode == BROWSE_FOLDER ? "(no sub-folders)" : "(nothing of this type here)",
               false, true);
}

void draw_bottom_rows(const FileBrowser* b) {
  const int width = b->right_column - b->left_column + 1;
  draw_field(name_row(b), b->left_column, LABEL_COLUMNS, b->mode == BROWSE_FOLDER ? "Go to:"
                                                                                   : "Name:",
             false);
  draw_field(name_row(b), name_column(b), name_columns(b), printable(b->name),
             b->focus == FOCUS_NAME);
  if (b->mode == BROWSE_FOLDER) {
    draw_field(filter_row(b), b->left_column, width, "", false);
  } else {
    draw_field(filter_row(b), b->left_column, LABEL_COLUMNS, "Type:", false);
    draw_field(filter_row(b), name_column(b), name_columns(b),
               printable(b->filters[static_cast<size_t>(b->filter_index)].name),
               b->focus == FOCUS_FILTER);
  }
  const bool notice = !b->notice.empty();
  draw_field(b->bottom_row, b->left_column, width, notice ? printable(b->notice) : help_text(b),
             false, notice);
}

void draw_browser(FileBrowser* b) {
  keep_current_shown(b);
  const int width = b->right_column - b->left_column + 1;
  const std::string folder = printable(cp1252_from_utf8(b->folder, '?'));
  draw_field(b->top_row, b->left_column, width,
             "Folder: " + abbreviate_path(folder.c_str(), width - 8), false);
  draw_places(b);
  draw_entries(b);
  draw_bottom_rows(b);
}

// ---- The name entry --------------------------------------------------------------------------

// Edits the name in the entry line; `first` is put in front of the queue for the entry to read
// first. The key that ended the entry decides where the browser goes.
BrowserStep edit_name(FileBrowser* b, EventCode first, bool replace) {
  char text[ENTRY_MOST_CHARS + 1] = {};
  std::strncpy(text, b->name.c_str(), ENTRY_MOST_CHARS);
  if (first != 0) push_input_code_front(first);
  const uint32_t flags = FIELD_PATH | (replace ? FIELD_SELECT_ALL : 0);
  const int width = std::min(name_columns(b), ENTRY_MOST_CHARS);
  const int16_t result = edit_text_line(text, name_row(b), name_column(b), nullptr, flags, width,
                                        EXIT_UP | EXIT_DOWN);
  // An entry that ended without reading the key handed to it leaves it in front: drop it, or
  // the browser would hand it over again and again.
  if (result == 0 && first != 0 && poll_input_code(EVENT_PEEK_LIMIT) == first) poll_input_code(0);
  if (result < 0) {
    b->name = text;
    b->name_bytes.clear();
  }
  switch (result < 0 ? -result : result) {
    case KEY_ENTER: return browser_accept_name(b);
    case KEY_TAB: b->focus = b->mode == BROWSE_FOLDER ? FOCUS_PLACES : FOCUS_FILTER; break;
    case KEY_UP:
    case KEY_DOWN: b->focus = FOCUS_LIST; break;
    default: break;  // cancelled: the name row keeps the focus
  }
  return BROWSER_GO_ON;
}

// ---- Keys of each part ----------------------------------------------------------------------

void next_focus(FileBrowser* b) {
  switch (b->focus) {
    case FOCUS_LIST: b->focus = FOCUS_NAME; break;
    case FOCUS_NAME: b->focus = b->mode == BROWSE_FOLDER ? FOCUS_PLACES : FOCUS_FILTER; break;
    case FOCUS_FILTER: b->focus = FOCUS_PLACES; break;
    case FOCUS_PLACES: b->focus = FOCUS_LIST; break;
  }
}

bool is_typed_char(EventCode code) { return code >= 32 && code <= 255 && code != KEY_CTRL_BACKSPACE; }

BrowserStep list_key(FileBrowser* b, EventCode code) {
  const int page = std::max(1, b->list_rows - 1);
  switch (code) {
    case KEY_UP:
    case EVENT_WHEEL_UP: --b->current; break;
    case KEY_DOWN:
    case EVENT_WHEEL_DOWN: ++b->current; break;
    case KEY_PGUP: b->current -= page; break;
    case KEY_PGDN: b->current += page; break;
    case KEY_HOME:
    case KEY_CTRL_HOME: b->current = 0; break;
    case KEY_END:
    case KEY_CTRL_END: b->current = static_cast<int>(b->entries.size()) - 1; break;
    case KEY_ENTER: return browser_enter_on_list(b);
    case KEY_BACKSPACE: browser_go_up(b); break;
    default:
      if (is_typed_char(code) && code != ' ') browser_jump_to_letter(b, static_cast<uint8_t>(code));
      break;
  }
  keep_current_shown(b);
  return BROWSER_GO_ON;
}

BrowserStep name_key(FileBrowser* b, EventCode code) {
  switch (code) {
    case KEY_ENTER: return browser_accept_name(b);
    case KEY_UP:
    case KEY_DOWN: b->focus = FOCUS_LIST; return BROWSER_GO_ON;
    case KEY_BACKSPACE:
    case KEY_DEL:
    case KEY_LEFT:
    case KEY_RIGHT:
    case KEY_HOME:
    case KEY_END:
    case KEY_CTRL_BACKSPACE: return edit_name(b, code, false);
    default:
      if (is_typed_char(code)) return edit_name(b, code, true);
      return BROWSER_GO_ON;
  }
}

void filter_key(FileBrowser* b, EventCode code) {
  const int count = static_cast<int>(b->filters.size());
  switch (code) {
    case KEY_DOWN:
    case KEY_RIGHT:
    case ' ': browser_next_filter(b); break;
    case KEY_UP:
    case KEY_LEFT:
      b->filter_index = (b->filter_index + count - 2) % count;
      browser_next_filter(b);
      break;
    case KEY_ENTER: b->focus = FOCUS_LIST; break;
    default: break;
  }
}

void place_key(FileBrowser* b, EventCode code) {
  const int count = static_cast<int>(b->places.size());
  switch (code) {
    case KEY_UP: b->place_index = std::max(0, b->place_index - 1); break;
    case KEY_DOWN: b->place_index = std::min(count - 1, b->place_index + 1); break;
    case KEY_ENTER:
      if (count > 0 && open_browser_folder(b, b->places[b->place_index].folder))
        b->focus = FOCUS_LIST;
      break;
    default: break;
  }
}

// ---- Clicks --------------------------------------------------------------------------------------

BrowserStep click(FileBrowser* b) {
  const int row = g_pointer.wanted_y / std::max<int>(1, g_display.current.cell_height);
  const int column = g_pointer.wanted_x / std::max<int>(1, g_display.current.cell_width);
  const int pane_row = row - b->top_row - 1;
  if (pane_row >= 0 && pane_row < b->list_rows && column >= b->left_column &&
      column <= b->right_column) {
    if (column < b->left_column + b->place_columns) {
      if (pane_row >= static_cast<int>(b->places.size())) return BROWSER_GO_ON;
      b->place_index = pane_row;
      b->focus = FOCUS_PLACES;
      place_key(b, KEY_ENTER);
      return BROWSER_GO_ON;
    }
    const int index = b->first_shown + pane_row;
    if (index >= static_cast<int>(b->entries.size())) return BROWSER_GO_ON;
    const bool again = b->focus == FOCUS_LIST && index == b->current;
    b->focus = FOCUS_LIST;
    b->current = index;
    // A click on the entry that is already current is the Enter of the mouse.
    return again ? browser_enter_on_list(b) : BROWSER_GO_ON;
  }
  if (row == name_row(b)) b->focus = FOCUS_NAME;
  if (row == filter_row(b) && b->mode != BROWSE_FOLDER) {
    b->focus = FOCUS_FILTER;
    browser_next_filter(b);
  }
  return BROWSER_GO_ON;
}

}  // namespace

BrowserStep browser_apply_code(FileBrowser* browser, EventCode code) {
  if (code == KEY_ESC || code == EVENT_QUIT) return BROWSER_CANCELLED;
  if (code == EVENT_POINTER_MOVE) {
    follow_mouse();
    return BROWSER_GO_ON;
  }
  if (code == EVENT_TICK || code == 0) return BROWSER_GO_ON;
  browser->notice.clear();
  if (code == EVENT_LEFT_DOWN) return click(browser);
  if (code == KEY_TAB) {
    next_focus(browser);
    return BROWSER_GO_ON;
  }
  switch (browser->focus) {
    case FOCUS_LIST: return list_key(browser, code);
    case FOCUS_NAME: return name_key(browser, code);
    case FOCUS_FILTER: filter_key(browser, code); return BROWSER_GO_ON;
    case FOCUS_PLACES: place_key(browser, code); return BROWSER_GO_ON;
  }
  return BROWSER_GO_ON;
}

void lay_out_file_browser(FileBrowser* browser) { lay_out(browser); }

void draw_file_browser(FileBrowser* browser) { draw_browser(browser); }

BrowserStep run_file_browser(FileBrowser* browser) {
  lay_out(browser);
  FramedBox box;
  if (!open_framed_box(&box, browser->top_row, browser->left_column, browser->bottom_row,
                       browser->right_column, browser->title.c_str()))
    return BROWSER_CANCELLED;
  BrowserStep step = BROWSER_GO_ON;
  while (step == BROWSER_GO_ON) {
    draw_browser(browser);
    show_pointer();
    const EventCode code = wait_input_code();
    hide_pointer();
    if (code == EVENT_REDRAW) {
      // Uncovered or resized: the box is drawn again where it is, nothing typed is lost.
      redraw_framed_box(&box);
      continue;
    }
    step = browser_apply_code(browser, code);
  }
  close_framed_box(&box);
  return step;
}
