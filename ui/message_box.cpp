#include "ui/message_box.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "screen/event_queue.h"
#include "screen/pointer.h"
#include "screen/screen_attributes.h"
#include "screen/tick_clock.h"
#include "screen/timer.h"
#include "screen/display_mode.h"
#include "screen/text_output.h"
#include "store/catalogue.h"
#include "store/float_text.h"
#include "store/file_reader.h"
#include "store/line_list.h"
#include "store/message_ids.h"
#include "store/record_file.h"
#include "store/text_helpers.h"
#include "store/text_wrap.h"
#include "ui/button_bar.h"
#include "ui/dir_tree.h"
#include "ui/file_name_dialog.h"
#include "ui/standard_dialogs.h"
#include "ui/entry_line.h"
#include "ui/field_flags.h"
#include "ui/popups.h"
#include "ui/text_window.h"
#include "ui/text_window_internal.h"
#include "ui/window_frames.h"

MessageBoxState g_message_box;

namespace {

constexpr uint32_t BOX_WINDOW_FLAGS = 0x20033;
constexpr uint32_t PRESELECT_DEPTH_FLAG = 0x10000;  // with a negative preselection
constexpr int PRESELECT_DEPTH_OFFSET = 16;
constexpr uint32_t POPUP_WINDOW_FLAG = 0x20000;
constexpr int FIT_MARGIN = 5;       // rows and columns a box leaves free
constexpr int WIDEN_STEP = 4;
constexpr int CHOICE_WIDEST_BOX = 80;
constexpr int CHOICE_EMPTY_LINES = 3;
constexpr uint32_t DROP_INPUT_BITS = FIELD_MINUS | FIELD_FILE_NAME | MSGBOX_CHOICE | MSGBOX_WAIT |
                                     MSGBOX_SAVE | MSGBOX_SAVE_AS | MSGBOX_COPY_TO_FLOPPY;
constexpr uint32_t BOX_MODE_BITS = MSGBOX_CHOICE | MSGBOX_WAIT | MSGBOX_POPUP;
constexpr uint32_t SAVE_MODES[] = {MSGBOX_SAVE, MSGBOX_SAVE_AS, MSGBOX_COPY_TO_FLOPPY};
constexpr int NO_ANSWER = 27;
constexpr int NUMBER_TEXT_SIZE = 64;
constexpr char NO_DISK_FORMAT[] =
    "Aint no formatted disk in drive \v%c\x13\n\nPress a key after correcting this \vminor "
    "problem\x13, or \vESC\x13 to cancel";

// What a box is made of.
struct BoxRequest {
  int row = 0;
  int column = 0;
  int width = 0;
  std::string text;
  std::vector<std::string> extras;    // lines after the wrapped text
  uint32_t mode = 0;
  int option = 0;
  const char* title = nullptr;
  const char* choice_words = nullptr; // a choice bar under the text
  uint32_t window_flags = 0;          // 0: the box's own
};

// ---- Fitting ------------------------------------------------------------------------------------

uint8_t font_mode_of(uint32_t mode, bool smallest) {
  if (smallest) return FONT_MODE_SMALLEST;
  if ((mode & MSGBOX_SMALL_FONT) != 0) return FONT_MODE_SMALL;
  if ((mode & MSGBOX_MEDIUM_FONT) != 0) return FONT_MODE_MEDIUM;
  return FONT_MODE_NORMAL;
}

uint16_t font_option_of(uint8_t font_mode) {
  switch (font_mode) {
    case FONT_MODE_MEDIUM: return WINDOW_OPTION_MEDIUM_FONT;
    case FONT_MODE_SMALL: return WINDOW_OPTION_SMALL_FONT;
    case FONT_MODE_SMALLEST: return WINDOW_OPTION_SMALLEST_FONT;
    default: return 0;
  }
}

// The box's lines, made into the current list: the text wrapped at width + 1, then the extras.
int make_box_lines(const std::string& text, const std::vector<std::string>& extras, int width) {
  clear_current_list();
  wrap_text_into_lines(text.c_str(), width + 1);
  for (const std::string& line : extras) append_line(line.c_str());
  return count_current_lines();
}

// Widens the box (and at last takes the smallest font) until its lines fit the screen; a row at
// or past the last puts the box at the bottom without widening.
BoxLayout fit_box(int row, int width, uint32_t mode, const std::string& text,
                  const std::vector<std::string>& extras) {
  BoxLayout box;
  box.width = width;
  bool smallest = (mode & MSGBOX_SMALLEST_FONT) != 0;
  for (;;) {
    box.font_mode = font_mode_of(mode, smallest);
    const CellMetrics cells = metrics_for_font_mode(box.font_mode);
    box.rows = cells.last_row;
    box.columns = cells.last_column;
    box.count = make_box_lines(text, extras, box.width);
    if (row != MSGBOX_CENTRE && row >= box.rows) {
      box.top = box.rows - box.count + (smallest ? 0 : 1);
      box.top_set = true;
      return box;
    }
    if (box.count < box.rows - FIT_MARGIN) return box;
    if (box.width == box.columns - FIT_MARGIN && smallest) return box;
    free_current_list();  // this try's lines: the next try wraps the text again
    if (box.width == box.columns - FIT_MARGIN) {
      smallest = true;
      box.width = width;
    } else {
      box.width = std::min(box.width + WIDEN_STEP, box.columns - FIT_MARGIN);
    }
  }
}

void place_box(BoxLayout* box, int row, int column) {
  if (!box->top_set) {
    if (row == MSGBOX_CENTRE) box->top = box->rows / 2 - box->count / 2;
    else if (row < 0) box->top = -row;
    else box->top = row - box->count / 2;
    if (box->top + box->count > box->rows) box->top = box->rows - box->count - 1;
    if (box->top <= 0) box->top = 1;
  }
  if (column == 0) {
    box->left = 0;
    box->width = box->columns;
  } else if (column == MSGBOX_CENTRE) {
    box->left = box->columns / 2 - box->width / 2;
  } else if (column > 0) {
    box->left = column - box->width / 2;
  } else {
    box->left = -column;
  }
  if (box->left + box->width + 2 > box->columns) box->left = box->columns - box->width - 2;
  if (box->left < 0) box->left = 0;
}

// ---- Number entries -----------------------------------------------------------------------------

bool is_number_entry(uint32_t mode) {
  return (mode & (FIELD_FLOAT | FIELD_INTEGER_TYPES)) != 0 && (mode & BOX_MODE_BITS) == 0;
}

int16_t run_number_entry(const BoxLayout& box, void* value, uint32_t mode, int field_width) {
  std::string text = number_entry_text(value, mode, true);
  std::vector<char> buffer(static_cast<size_t>(std::max(field_width, NUMBER_TEXT_SIZE)) + 1, 0);
  std::memcpy(buffer.data(), text.data(), std::min(text.size(), buffer.size() - 1));
  const int column = box.left + box.width / 2 - field_width / 2;
  const int16_t result = edit_text_line(buffer.data(), box.top + box.count - 1, column, nullptr,
                                        mode, field_width, 0);
  if (result == 0) return NO_ANSWER;
  if (result < 0) store_number_entry(value, mode, buffer.data());
  return result;
}

int16_t run_text_entry(const BoxLayout& box, char* text, uint32_t mode, int field_width,
                       const char* letters) {
  if (text == nullptr) return NO_ANSWER;
  const int shown = field_width > 0 ? field_width : std::min(-field_width, box.width);
  const int column = letters != nullptr && *letters != '\0'
                         ? box.left + std::atoi(letters)
                         : box.left + box.width / 2 - shown / 2;
  const int16_t result =
      edit_text_line(text, box.top + box.count - 1, column, nullptr, mode, field_width, 0);
  if (result == 0) return NO_ANSWER;
  return static_cast<int16_t>(std::abs(result));
}

// ---- Saving -------------------------------------------------------------------------------------

bool is_save_mode(uint32_t mode) {
  return std::find(std::begin(SAVE_MODES), std::end(SAVE_MODES), mode) != std::end(SAVE_MODES);
}

// The box stays this many ticks after a save, or until a key or a press.
constexpr int SAVE_NOTICE_TICKS = 4;

void show_save_notice() {
  flush_input();
  wait_ticks_or_press(SAVE_NOTICE_TICKS);
  flush_input();
}

// The names of a record (folder, name, extension, full path) from another; its open file and
// buffer stay, so that a text saved under a new name still reads its unread ranges.
void take_record_names(FileRecord* to, const FileRecord& from) {
  to->folder = from.folder;
  to->name = from.name;
  to->extension = from.extension;
  to->full_path = from.full_path;
}

// Saving through the save hook, then the notice that stays a moment.
int16_t save_through_hook(TextLine* window, int arg) {
  const int16_t result = g_message_box.save_hook(arg, window, 0);
  show_save_notice();
  return result;
}

// The save dialog on a work copy of the window's record: false when it was cancelled.
bool ask_save_name(TextWindow* w) {
  FileRecord work;
  take_record_names(&work, *w->file);
  dash_wildcards(&work.name);
  if (save_as_dialog(&work) != DIALOG_CHOSEN) return false;
  take_record_names(w->file, work);
  // A read-only buffer saved under a name of the user's own is theirs to change.
  w->flags &= ~WINDOW_READ_ONLY;
  return true;
}

// Where a copy goes: the folder of the last copy, else the first removable place, else home.
std::string copy_folder() {
  if (!g_message_box.copy_folder.empty()) return g_message_box.copy_folder;
  if (g_dir_tree.drive_count < 0) scan_drives();
  for (const DriveInfo& place : g_dir_tree.drives)
    if (place.removable && !place.folder.empty()) return place.folder;
  return g_dir_tree.drives[DRIVE_HOME].folder;
}

// A copy of the window's file elsewhere: the file-name dialog on a work record in the copy
// folder, the place tested until it answers, then the save hook with the copy flag. The window
// keeps its own record whatever happens.
int16_t copy_elsewhere(TextWindow* w, TextLine* window, int arg) {
  FileRecord own;
  take_record_names(&own, *w->file);
  FileRecord& work = g_file_name_dialog.record;
  work = FileRecord{};
  work.folder = copy_folder();
  work.name = own.name;
  work.extension = own.extension;
  if (file_name_dialog(MSG_FORM_SAVE_COPY) != DIALOG_CHOSEN) return NO_ANSWER;
  const int drive = drive_of_path(work.full_path);
  while (drive >= 0 && test_drive(drive) == 0) {
    char text[sizeof NO_DISK_FORMAT + 8];
    std::snprintf(text, sizeof text, NO_DISK_FORMAT, static_cast<char>('A' + drive));
    if (show_text_box(text, TEXTBOX_PRESS_A_KEY) == KEY_ESC) return NO_ANSWER;
  }
  g_message_box.copy_folder = work.folder;
  take_record_names(w->file, work);
  const int16_t result = g_message_box.save_hook(arg, window, 1);
  take_record_names(w->file, own);
  return result;
}

// The save steps of a text window's file: a save goes straight to the hook where the file has
// its full path, else asks for a name first as a save-as does; a copy elsewhere asks with the
// file-name dialog.
int16_t run_save(uint32_t mode, TextLine* window, int arg) {
  TextWindow* w = window_of(window);
  if (w == nullptr || w->file == nullptr || g_message_box.save_hook == nullptr) return NO_ANSWER;
  if (mode == MSGBOX_COPY_TO_FLOPPY) return copy_elsewhere(w, window, arg);
  if (mode == MSGBOX_SAVE_AS || w->file->full_path.empty()) {
    if (!ask_save_name(w)) return NO_ANSWER;
    draw_window_frame(0);
  }
  return save_through_hook(window, arg);
}

// Makes, activates and draws the box (the active window is pushed first).
TextLine* open_box(const BoxRequest& request, BoxLayout* layout) {
  push_list();
  BoxLayout box = fit_box(request.row, request.width, request.mode, request.text, request.extras);
  place_box(&box, request.row, request.column);
  uint32_t flags = request.window_flags != 0 ? request.window_flags : BOX_WINDOW_FLAGS;
  int bar_offset = 0;
  if (request.choice_words != nullptr) {
    const int choice_width = display_length(request.choice_words);
    if (choice_width / 2 > box.width / 2) {
      box.width = std::min(box.width + choice_width / 2 - box.width / 2, CHOICE_WIDEST_BOX);
      place_box(&box, request.row, request.column);
    } else {
      bar_offset = box.width / 2 - choice_width / 2;
    }
  }
  box.bar_column = box.left + bar_offset;
  const uint16_t options = static_cast<uint16_t>((request.option & 0xFFFF & ~0x1900) |
                                                 font_option_of(box.font_mode));
  TextLine* node = create_window(nullptr, {
      .top_row = box.top, .left_column = box.left, .bottom_row = box.top + box.count - 1,
      .right_column = box.left + box.width, .flags = flags, .key_filter = nullptr,
      .line_drawer = draw_window_line, .options = options, .wrap_width = box.width + 1,
      .title = request.title,
  });
  pop_list();
  if (node == nullptr) return nullptr;
  push_active_window();
  activate_window(node);
  g_windows.active->line_count = box.count;
  draw_window_frame(0);
  g_message_box.last_box = box;
  *layout = box;
  return node;
}

void close_box(TextLine* node) {
  destroy_window(node);
  pop_active_window();
}

}  // namespace

// ---- Boxes --------------------------------------------------------------------------------------

int16_t message_box(int row, int column, int width, const char* text, uint32_t mode, void* value,
                    int arg, const char* letters, int option, const char* title) {
  g_message_box.last_text = text != nullptr ? text : "";
  g_message_box.last_flags = mode;
  ++g_message_box.shown_count;
  if (text == nullptr || *text == '\0') {
    show_text_box(NULL_MESSAGE_TEXT, TEXTBOX_PRESS_A_KEY);
    return NO_ANSWER;
  }
  const bool save = is_save_mode(mode);
  if ((mode & DROP_INPUT_BITS) != 0) flush_input();

  BoxRequest request;
  request.row = row;
  request.column = column;
  request.width = width;
  request.text = text;
  request.mode = save ? 0 : mode;
  request.option = option;
  request.title = title;
  const char* wait_line = (mode & MSGBOX_WAIT) != 0 ? static_cast<const char*>(value) : nullptr;
  const bool choice = (mode & MSGBOX_CHOICE) != 0;
  if (choice || (wait_line != nullptr && *wait_line != '\0')) {
    if (request.text.back() != '\n') request.text.push_back('\n');
    if (wait_line != nullptr && *wait_line != '\0') request.extras.push_back(wait_line);
    if (choice) {
      request.extras.assign(CHOICE_EMPTY_LINES, "");
      request.choice_words = static_cast<const char*>(value);
      if (title == nullptr) request.title = CANCEL_TITLE;
    }
  }
  int preselected = arg;
  if (choice && preselected < 0) {
    request.window_flags = BOX_WINDOW_FLAGS | PRESELECT_DEPTH_FLAG;
    preselected += PRESELECT_DEPTH_OFFSET;
  }
  if ((mode & MSGBOX_POPUP) != 0 && arg != 0)
    request.window_flags = static_cast<uint32_t>(arg) | POPUP_WINDOW_FLAG;

  BoxLayout box;
  TextLine* node = open_box(request, &box);
  if (node == nullptr) return NO_ANSWER;

  int16_t result = 0;
  if (save) {
    result = run_save(mode, static_cast<TextLine*>(value), arg);
  } else if ((mode & MSGBOX_POPUP) != 0) {
    store_window_state();
    push_popup();
    g_popups.current = node;
    g_popups.window = window_of(node);
    pop_active_window();
    return 0;
  } else if (choice) {
    result = run_button_bar(box.top + box.count - 2, box.bar_column,
                            static_cast<const char*>(value), letters, preselected,
                            BAR_HAND_POINTER | BAR_PLAIN);
  } else if ((mode & MSGBOX_WAIT) != 0) {
    result = wait_click_or_key(WAIT_CLICK_OR_KEY);
  } else if (is_number_entry(mode)) {
    result = run_number_entry(box, value, mode, arg);
  } else {
    result = run_text_entry(box, static_cast<char*>(value), mode, arg, letters);
  }
  close_box(node);
  return result;
}

int text_block_size(const char* text, int* lines) {
  int count = 0;
  int widest = 0;
  const char* p = text != nullptr ? text : "";
  while (*p != '\0') {
    widest = std::max(widest, display_length(p));
    const char* end = std::strchr(p, '\n');
    if (end == nullptr) {
      if (display_length(p) > 0) ++count;
      break;
    }
    ++count;
    p = end + 1;
  }
  if (lines != nullptr) *lines = count;
  return widest;
}

// ---- Questions ----------------------------------------------------------------------------------

namespace {

constexpr const char* YES_NO_WORDS = "\vN\x13o     \vY\x13" "es";
constexpr const char* YES_NO_LETTERS = "NY";
constexpr int YES_NO_COLOURS = 50;
constexpr int QUESTION_WIDEST = 72;
constexpr int QUESTION_WRAPPED = 60;
constexpr int YES_NO_LEAST = 21;
constexpr int CATALOGUE_LEAST = 30;
constexpr int CATALOGUE_MEDIUM_FROM = -23000;  // this and below: the medium font
constexpr int CATALOGUE_MEDIUM_COLOURS = 60;

int question_width(const char* text, int least) {
  int width = text_block_size(text, nullptr);
  if (width > QUESTION_WIDEST) width = QUESTION_WRAPPED;
  return std::max(width, least);
}

}  // namespace

int16_t ask_yes_no(const char* text, int preselected) {
  return message_box(MSGBOX_CENTRE, MSGBOX_CENTRE, question_width(text, YES_NO_LEAST), text,
                     MSGBOX_CHOICE, const_cast<char*>(YES_NO_WORDS), preselected, YES_NO_LETTERS,
                     YES_NO_COLOURS, CANCEL_TITLE);
}

int16_t ask_catalogue_choice(int message_number, int preselected) {
  get_message(message_number);
  const std::string text = message_text();
  const bool medium = message_number <= CATALOGUE_MEDIUM_FROM;
  const uint8_t font = medium ? FONT_MODE_MEDIUM : FONT_MODE_NORMAL;
  const CellMetrics cells = metrics_for_font_mode(font);
  const int width = question_width(text.c_str(), CATALOGUE_LEAST);
  int column = g_pointer.wanted_x / std::max<int>(1, cells.cell_width);
  if (column - width / 2 < 1) column = width / 2 + 2;
  const int row = g_display.presets[FACE_ROLE_NORMAL].last_row / 2;
  return message_box(row, column, width, text.c_str(),
                     MSGBOX_CHOICE | (medium ? MSGBOX_MEDIUM_FONT : 0),
                     const_cast<char*>(choice_words()), preselected, choice_hot_letters(),
                     medium ? CATALOGUE_MEDIUM_COLOURS : YES_NO_COLOURS, CANCEL_TITLE);
}

// ---- Text boxes ---------------------------------------------------------------------------------

namespace {

constexpr int TEXTBOX_WIDEST = 72;
constexpr int TEXTBOX_WRAPPED = 60;
constexpr int TEXTBOX_SIDE_MARGIN = 10;
constexpr int TEXTBOX_LEAST_WIDTH = 1;
constexpr uint32_t TEXTBOX_WINDOW_FLAGS = 0x31;
constexpr uint32_t TEXTBOX_AT_ONCE_WINDOW_FLAGS = 0x11;
constexpr int TEXTBOX_POINTER_SHAPE = 110;
constexpr int WAIT_FOR_BOX = WAIT_CLICK_OR_KEY | WAIT_MODE_FIXED_SHAPE;

int colour_base_of(uint32_t flags) {
  if ((flags & TEXTBOX_COLOURS_120) != 0) return 120;
  if ((flags & TEXTBOX_COLOURS_80) != 0) return 80;
  if ((flags & TEXTBOX_COLOURS_10) != 0) return 10;
  return 50;
}

struct TextBoxPlace {
  int row = MSGBOX_CENTRE;
  int column = MSGBOX_CENTRE;
  int width = 0;
};

// Where a text box stands: by the placement flags, else centred over the current window.
TextBoxPlace place_text_box(uint32_t flags, int lines, int width) {
  const bool smallest = (flags & TEXTBOX_SMALLEST_FONT) != 0;
  const CellMetrics cells =
      smallest ? metrics_for_font_mode(FONT_MODE_SMALLEST) : g_display.presets[FACE_ROLE_NORMAL];
  const int rows = cells.last_row;
  const int columns = cells.last_column;
  TextBoxPlace place;
  place.width = width;
  const uint32_t placed = TEXTBOX_LOW | TEXTBOX_SCREEN_CENTRE | TEXTBOX_BOTTOM | TEXTBOX_TOP;
  if ((flags & placed) != 0) {
    if ((flags & TEXTBOX_LOW) != 0) {
      place.row = rows - lines / 2 - 2 - (lines % 2);
    } else if ((flags & TEXTBOX_SCREEN_CENTRE) != 0) {
      place.row = rows / 2;
      if (place.width > TEXTBOX_WIDEST) place.width = TEXTBOX_WRAPPED;
    } else if ((flags & TEXTBOX_BOTTOM) != 0) {
      place.row = 1 - rows;
    } else {
      place.row = -1;
    }
    place.column = columns / 2;
    place.width = std::min(place.width, columns - TEXTBOX_SIDE_MARGIN);
  } else if (const TextWindow* w = g_windows.active; w != nullptr) {
    const int ch = std::max<int>(1, cells.cell_height);
    const int cw = std::max<int>(1, cells.cell_width);
    place.row = (w->top_row + w->rows / 2) * g_display.current.cell_height / ch;
    place.column = (w->left_column + w->columns / 2) * g_display.current.cell_width / cw;
    const int window_width = w->columns * g_display.current.cell_width / cw;
    if (place.width >= window_width) place.width = window_width - 1;
  } else {
    place.row = rows / 2;
    place.column = columns / 2;
    place.width = std::min(place.width, columns - TEXTBOX_SIDE_MARGIN);
  }
  place.width = std::max(place.width, TEXTBOX_LEAST_WIDTH);
  return place;
}

// Brings the pointer onto the box's middle before it waits.
void glide_onto_box(const TextWindow* box) {
  if (box == nullptr) return;
  const CellMetrics cells = metrics_for_font_mode(box->font_mode);
  glide_pointer((box->left_column + box->columns / 2) * cells.cell_width,
                (box->top_row + box->rows / 2) * cells.cell_height + cells.cell_height / 2);
}

}  // namespace

int16_t show_text_box(const char* text, uint32_t flags) {
  std::string body = text != nullptr ? text : "";
  std::string title;
  bool titled = false;
  if ((flags & TEXTBOX_TITLE) != 0) {
    const size_t newline = body.find('\n');
    if (newline != std::string::npos) {
      title = body.substr(0, newline);
      body.erase(0, newline + 1);
      titled = true;
    }
  }
  const char* title_text =
      titled ? title.c_str() : ((flags & TEXTBOX_WAIT_KEY) != 0 ? PRESS_A_KEY_TITLE : nullptr);
  int lines = 0;
  const int width = text_block_size(body.c_str(), &lines);
  const TextBoxPlace place = place_text_box(flags, lines, width);
  const bool at_once = (flags & TEXTBOX_CLOSE_AT_ONCE) != 0;
  const uint32_t mode =
      MSGBOX_POPUP | ((flags & TEXTBOX_SMALLEST_FONT) != 0 ? MSGBOX_SMALLEST_FONT : 0);
  message_box(place.row, place.column, place.width, body.c_str(), mode, nullptr,
              static_cast<int>(at_once ? TEXTBOX_AT_ONCE_WINDOW_FLAGS : TEXTBOX_WINDOW_FLAGS),
              nullptr, colour_base_of(flags), title_text);
  g_message_box.last_text = text != nullptr ? text : "";
  g_message_box.last_flags = flags;
  if ((flags & TEXTBOX_WAIT_KEY) != 0) {
    flush_input();
    clear_window_drawing_bits();
    set_pointer_shape(TEXTBOX_POINTER_SHAPE);
    show_pointer();
    glide_onto_box(g_popups.window);
    const EventCode code = wait_click_or_key(WAIT_FOR_BOX);
    hide_pointer();
    close_top_popup();
    return code;
  }
  if ((flags & TEXTBOX_TIMED) != 0) {
    flush_input();
    close_popup_after(static_cast<int>(flags & TEXTBOX_TICKS_MASK));
    return 0;
  }
  if (at_once) close_top_popup();
  return 0;
}

void show_catalogue_box(int number, const std::string& before) {
  std::string text = before;
  if (find_message(number) != 0)
    while (read_message_line(0) > 0) text += std::string(message_text()) + "\n";
  show_text_box(text.c_str(), TEXTBOX_PRESS_A_KEY);
}

// ---- Test hooks ---------------------------------------------------------------------------------

void reset_message_box() { g_message_box = MessageBoxState{}; }
