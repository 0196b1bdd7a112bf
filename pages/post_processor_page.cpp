#include "pages/post_processor_page.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

#include "nc/post_processor.h"
#include "nc/post_processor_page.h"
#include "records/job_settings.h"
#include "screen/display_mode.h"
#include "screen/pointer.h"
#include "screen/text_output.h"
#include "store/catalogue.h"
#include "store/line_list.h"
#include "store/message_ids.h"
#include "ui/dialog_form.h"
#include "ui/message_box.h"
#include "ui/pointer_motion.h"
#include "ui/popups.h"
#include "ui/run_window.h"
#include "ui/settings_fields.h"
#include "ui/text_window.h"
#include "ui/window_frames.h"

PostPage g_post_page;

void reset_post_page() { g_post_page = PostPage{}; }

namespace {

enum PostRow {
  ROW_NAME = 0,
  ROW_OUTPUT_KIND = 1,
  ROW_COORDINATES = 2,
  ROW_ARC_CENTRES = 3,
  ROW_LINE_NUMBERS = 4,
  ROW_EXTENSION = 5,
  ROW_ONE_DIGIT_G = 6,
  ROW_WORD_SPACES = 7,
  ROW_COMMENTS = 8,
  ROW_FEED_DECIMALS = 9,
  ROW_COMPACT = 10,
  ROW_CODE_HEADING = 11,
  ROW_START_CODE = 12,
  ROW_FINISHED_LINE_CODE = 13,
  ROW_END_CODE = 14,
  ROW_CODE_GAP = 15,
  ROW_TOOL_CHANGE_CODE = 16,
  ROW_PAUSE_CODE = 17,
  ROW_RESET_CODE = 18,
  ROW_COUNT = 19,
};
static_assert(ROW_COUNT == FORM_POST_PROCESSOR_FIELDS);

constexpr int WIDTH_NAME = PP_NAME_MAX;
constexpr int WIDTH_CHOICE = 24;
constexpr int WIDTH_YES_NO = 3;
constexpr int WIDTH_EXTENSION = 3;
constexpr int WIDTH_CODE_ROW = 30;
constexpr int CODE_EDITOR_HEIGHT = 10;
constexpr int DIALOG_TOP_ROW = 5;
constexpr int DIALOG_FROM_RIGHT = 64;
constexpr int DIALOG_PAST_LIST = 3;
constexpr int LIST_WIDTH = 40;
constexpr int LIST_MIN_ROWS = 4;
constexpr int LIST_MAX_ROWS = 16;
constexpr uint16_t LIST_OPTIONS = 120;
constexpr int LIST_WRAP = 125;

constexpr char COORDINATE_LETTERS[] = "IMA";
constexpr char ARC_LETTERS[] = "IA";
constexpr char YES_NO_LETTERS[] = "NY";
constexpr char COMMENT_LETTERS[] = "*(';n";
constexpr char DECIMAL_LETTERS[] = "012";
const char* const NO_YES[] = {"No", "Yes"};
const char* const FEED_DECIMAL_NAMES[] = {"0", "1", "2", nullptr};
const char* const OUTPUT_KIND_LIST[] = {PP_OUTPUT_KIND_NAMES[0], PP_OUTPUT_KIND_NAMES[1], nullptr};
const char* const COORDINATE_LIST[] = {PP_COORDINATE_MODE_NAMES[0], PP_COORDINATE_MODE_NAMES[1],
                                       PP_COORDINATE_MODE_NAMES[2], nullptr};
const char* const COMMENT_LIST[] = {PP_COMMENT_STYLE_NAMES[0], PP_COMMENT_STYLE_NAMES[1],
                                    PP_COMMENT_STYLE_NAMES[2], PP_COMMENT_STYLE_NAMES[3],
                                    PP_COMMENT_STYLE_NAMES[4], nullptr};

struct CodeRow {
  int row;
  int slot;
  const char* title;
  int help;  // the catalogue help of the section (Ctrl+F1)
};
constexpr CodeRow CODE_ROWS[] = {
    {ROW_START_CODE, PP_SECTION_START, "STARTing code", MSG_HELP_CODE_START},
    {ROW_FINISHED_LINE_CODE, PP_SECTION_FINISHED_LINE, "Finished-With-Line code",
     MSG_HELP_CODE_FINISHED_LINE},
    {ROW_END_CODE, PP_SECTION_END, "ENDing code", MSG_HELP_CODE_END},
    {ROW_TOOL_CHANGE_CODE, PP_SECTION_TOOL_CHANGE, "TOOL CHANGE code", MSG_HELP_CODE_TOOL_CHANGE},
    {ROW_PAUSE_CODE, PP_SECTION_PAUSE, "Pause to change parts code", MSG_HELP_CODE_PAUSE_RESET},
    {ROW_RESET_CODE, PP_SECTION_RESET, "RESET-After-Line code", MSG_HELP_CODE_PAUSE_RESET},
};

// The dialog runs over the list window, whose lines are the current list while it is active;
// the entry it edits is kept apart so that the form's own lines never mix with it.
TextLine* g_edited_entry = nullptr;
EventCode g_dialog_exit = 0;

EventCode pass_over() { return g_field.last_ending_event == KEY_UP ? KEY_UP : KEY_DOWN; }

EventCode pick(const char* const* names, const char* title, uint8_t* index, const char* letters) {
  return pick_string_field(names, title, g_field.display_row, g_field.value_column, index,
                           WIDTH_CHOICE, letters);
}

EventCode yes_no(uint8_t* value) {
  uint8_t index = *value != 0 ? 1 : 0;
  const EventCode result = cycle_list_field(YES_NO_LETTERS, &index, 0, WIDTH_YES_NO);
  if (result < 0) *value = index;
  return result;
}

// Every line of a section ends with its newline, as the writer and the encoder expect.
void settle_section(LineList* section) {
  push_list();
  g_lists.current = LineList{section->first, section->first};
  while (g_lists.current.last != nullptr && g_lists.current.last->next != nullptr)
    g_lists.current.last = g_lists.current.last->next;
  if (g_lists.current.first == nullptr) append_line("\n");
  for (TextLine* line = g_lists.current.first; line != nullptr; line = line->next) {
    if (line->text.empty() || line->text.back() != '\n')
      line = set_line_text((line->text + "\n").c_str(), line);
  }
  *section = g_lists.current;
  clear_current_list();
  pop_list();
}

EventCode edit_code(PostProcessorDef* def, const CodeRow& code) {
  LineList& section = def->sections[code.slot];
  TextLine* first = section.first;
  const EventCode result =
      code_text_field(WIDTH_CODE_ROW, code.help, &first, code.title, PP_WRAP_WIDTH, CODE_EDITOR_HEIGHT);
  section.first = first;
  if (result < 0) settle_section(&section);
  return result;
}

EventCode edit_row(int row) {
  PostProcessorDef* def = post_processor_def(g_edited_entry);
  if (def == nullptr) return KEY_ESC;
  const bool gm_codes = def->output_kind == PP_OUTPUT_GM_CODES;
  switch (row) {
    case ROW_NAME:
      return edit_value_field({g_post_page.name, sizeof g_post_page.name}, 0, FIELD_OPTIONS_USUAL,
                              WIDTH_NAME);
    case ROW_OUTPUT_KIND: {
      uint8_t kind = std::min<uint8_t>(def->output_kind, PP_OUTPUT_KIND_COUNT - 1);
      const EventCode result = pick(OUTPUT_KIND_LIST, "Output", &kind, nullptr);
      if (result < 0) {
        def->output_kind = std::min<uint8_t>(kind, PP_OUTPUT_KIND_COUNT - 1);
        if (def->coordinate_mode == PP_COORDS_MARKED_ABSOLUTE)
          def->coordinate_mode = PP_COORDS_ABSOLUTE;
        // The kind decides which rows apply: every row is drawn again.
        std::fill(g_field.redraw.begin(), g_field.redraw.end(), 1);
      }
      return result;
    }
    case ROW_COORDINATES: {
      if (def->coordinate_mode == PP_COORDS_MARKED_ABSOLUTE) return pass_over();
      uint8_t mode = std::min<uint8_t>(def->coordinate_mode, PP_COORDS_ABSOLUTE);
      const EventCode result = pick(COORDINATE_LIST, "Coordinates", &mode, COORDINATE_LETTERS);
      if (result < 0) def->coordinate_mode = std::min<uint8_t>(mode, PP_COORDS_ABSOLUTE);
      return result;
    }
    case ROW_ARC_CENTRES: {
      uint8_t mode = def->arc_centre_mode != 0 ? 1 : 0;
      const EventCode result = cycle_list_field(ARC_LETTERS, &mode, 0, WIDTH_CHOICE);
      if (result < 0) def->arc_centre_mode = mode;
      return result;
    }
    case ROW_LINE_NUMBERS: return yes_no(&def->line_numbers);
    case ROW_EXTENSION: {
      char extension[WIDTH_EXTENSION + 1] = {};
      const std::string stored(def->extension, strnlen(def->extension, sizeof def->extension));
      std::memcpy(extension, stored.data(), std::min<size_t>(stored.size(), WIDTH_EXTENSION));
      const EventCode result =
          edit_value_field({extension, sizeof extension}, 0, FIELD_OPTIONS_USUAL, WIDTH_EXTENSION);
      if (result < 0) std::snprintf(def->extension, sizeof def->extension, "%s", extension);
      return result;
    }
    case ROW_ONE_DIGIT_G: return gm_codes ? yes_no(&def->one_digit_g) : pass_over();
    case ROW_WORD_SPACES: return yes_no(&def->word_spaces);
    case ROW_COMMENTS: {
      uint8_t style = std::min<uint8_t>(def->comment_style, PP_COMMENTS_NONE);
      const EventCode result = pick(COMMENT_LIST, "Comments", &style, COMMENT_LETTERS);
      if (result < 0) def->comment_style = std::min<uint8_t>(style, PP_COMMENTS_NONE);
      return result;
    }
    case ROW_FEED_DECIMALS: {
      uint8_t decimals = std::min<uint8_t>(def->feed_decimals, 2);
      const EventCode result = pick(FEED_DECIMAL_NAMES, "Feed decimals", &decimals, DECIMAL_LETTERS);
      if (result < 0) def->feed_decimals = std::min<uint8_t>(decimals, 2);
      return result;
    }
    case ROW_COMPACT: return gm_codes ? yes_no(&def->compact) : pass_over();
    case ROW_CODE_HEADING:
    case ROW_CODE_GAP: return pass_over();
    default: break;
  }
  for (const CodeRow& code : CODE_ROWS)
    if (code.row == row) return edit_code(def, code);
  return 0;
}

void show_rows() {
  const PostProcessorDef* def = post_processor_def(g_edited_entry);
  if (def == nullptr) return;
  const bool gm_codes = def->output_kind == PP_OUTPUT_GM_CODES;
  show_text_value(g_post_page.name, WIDTH_NAME);
  show_text_value(PP_OUTPUT_KIND_NAMES[std::min<int>(def->output_kind, 1)], WIDTH_CHOICE);
  show_text_value(PP_COORDINATE_MODE_NAMES[std::min<int>(def->coordinate_mode, 2)], WIDTH_CHOICE);
  show_text_value(PP_ARC_CENTRE_NAMES[def->arc_centre_mode != 0 ? 1 : 0], WIDTH_CHOICE);
  show_text_value(NO_YES[def->line_numbers != 0 ? 1 : 0], WIDTH_YES_NO);
  show_text_value(def->extension, WIDTH_EXTENSION);
  show_text_value(gm_codes ? NO_YES[def->one_digit_g != 0 ? 1 : 0] : "", WIDTH_YES_NO);
  show_text_value(NO_YES[def->word_spaces != 0 ? 1 : 0], WIDTH_YES_NO);
  show_text_value(PP_COMMENT_STYLE_NAMES[std::min<int>(def->comment_style, 4)], WIDTH_CHOICE);
  show_text_value(FEED_DECIMAL_NAMES[std::min<int>(def->feed_decimals, 2)], WIDTH_YES_NO);
  show_text_value(gm_codes ? NO_YES[def->compact != 0 ? 1 : 0] : "", WIDTH_YES_NO);
  skip_field_display();
  draw_code_text_field(WIDTH_CODE_ROW, def->sections[PP_SECTION_START].first);
  draw_code_text_field(WIDTH_CODE_ROW, def->sections[PP_SECTION_FINISHED_LINE].first);
  draw_code_text_field(WIDTH_CODE_ROW, def->sections[PP_SECTION_END].first);
  skip_field_display();
  draw_code_text_field(WIDTH_CODE_ROW, def->sections[PP_SECTION_TOOL_CHANGE].first);
  draw_code_text_field(WIDTH_CODE_ROW, def->sections[PP_SECTION_PAUSE].first);
  draw_code_text_field(WIDTH_CODE_ROW, def->sections[PP_SECTION_RESET].first);
}

// ---- The list -------------------------------------------------------------------------------

// The list always ends in one blank entry, where a new format is typed in.
void keep_blank_end() {
  if (g_lists.current.first == nullptr || g_lists.cursor_line == g_lists.current.last ||
      g_lists.cursor_line == nullptr)
    keep_blank_post_entry();
}

EventCode open_editor() {
  const EventCode result = edit_post_processor();
  keep_blank_end();
  request_full_redraw();
  if (result == KEY_UP || result == KEY_DOWN) {
    g_post_page.pending_step = result;
    return result;
  }
  if (result == WINDOW_CANCEL) return KEY_ESC;
  return WINDOW_REDRAW;
}

EventCode delete_cursor_entry() {
  TextLine* entry = g_lists.cursor_line;
  if (entry == nullptr) return 0;
  if (ask_yes_no(POST_DELETE_QUESTION, 0) != 1) {
    request_full_redraw();
    return WINDOW_REDRAW;
  }
  if (g_job_settings.post_processor == entry) g_job_settings.post_processor = nullptr;
  TextLine* next = delete_post_processor(entry);
  g_lists.cursor_line = next != nullptr ? next : g_lists.current.last;
  keep_blank_post_entry();
  if (g_lists.cursor_line == nullptr) g_lists.cursor_line = g_lists.current.first;
  // A deletion is a change of the list: without a rewrite the format would come back.
  g_post_processors.changed = true;
  request_full_redraw();
  return WINDOW_REDRAW;
}

int pointer_row() { return g_pointer.wanted_y / std::max<int>(1, g_display.current.cell_height); }

TextLine* open_list_window() {
  const CellMetrics& cells = g_display.presets[FACE_ROLE_NORMAL];
  const int rows = std::clamp(cells.last_row / 2 - 1, LIST_MIN_ROWS, LIST_MAX_ROWS);
  const int left = std::max(1, (cells.last_column - LIST_WIDTH) / 2);
  const int top = std::max(1, (cells.last_row - rows) / 2);
  push_list();
  g_lists.current = g_post_processors.list;
  TextLine* node = create_window(nullptr, {
      .top_row = top, .left_column = left, .bottom_row = top + rows - 1,
      .right_column = left + LIST_WIDTH, .flags = WINDOW_KEEP_UNDER | 0x3,
      .key_filter = post_list_key, .line_drawer = draw_window_line, .options = LIST_OPTIONS,
      .legend = POST_LIST_LETTERS, .wrap_width = LIST_WRAP, .title = PP_LIST_TITLE,
      .list_options = LIST_OPTION_FIRST_AREA,
  });
  if (node == nullptr) g_post_processors.list = g_lists.current;
  clear_current_list();
  pop_list();
  if (node == nullptr) return nullptr;
  g_post_processors.list = LineList{};
  TextWindow* w = window_of(node);
  w->help_texts[0] = POST_LIST_HELP;
  w->help_texts[1] = POST_LIST_LEGEND;
  activate_window(node);
  // The cursor starts on the job's format.
  find_and_show_line(
      g_windows.active,
      [](TextLine* line, const char* key) { return line->id == std::atoi(key) ? 0 : 1; },
      std::to_string(g_job_settings.post_processor_number).c_str());
  return node;
}

}  // namespace

EventCode post_processor_field() {
  EventCode result = edit_current_field(edit_row);
  if (result == KEY_PGUP || result == KEY_PGDN || result == -KEY_PGUP || result == -KEY_PGDN) {
    g_dialog_exit = static_cast<EventCode>(result < 0 ? -result : result);
    result = WINDOW_ACCEPT;
  } else if (result == WINDOW_CANCEL) {
    g_dialog_exit = WINDOW_CANCEL;
  }
  show_every_field(show_rows);
  return end_field_handler(result);
}

EventCode edit_post_processor() {
  TextLine* entry = g_lists.cursor_line;
  if (post_processor_def(entry) == nullptr) return 0;
  settle_coordinate_mode(entry);
  std::snprintf(g_post_page.name, sizeof g_post_page.name, "%s", entry->text.c_str());
  if (entry->id == g_job_settings.post_processor_number) g_post_page.job_format_edited = true;
  g_edited_entry = entry;
  g_dialog_exit = 0;
  const CellMetrics& cells = g_display.current;
  int left = std::max(1, cells.last_column - DIALOG_FROM_RIGHT);
  const TextWindow* list = window_of(g_post_page.list_window);
  if (list != nullptr) left = std::min(left, list->right_column + DIALOG_PAST_LIST);
  g_field.next_top_row = DIALOG_TOP_ROW;
  g_field.next_left_column = left;
  g_field.next_label_width = widest_form_label(MSG_FORM_POST_PROCESSOR);
  run_dialog(MSG_FORM_POST_PROCESSOR, post_processor_field);
  // The dialog edits the definition in place; the name is taken back whatever way it was left.
  if (entry->text != g_post_page.name) {
    TextLine* moved = set_line_text(g_post_page.name, entry);
    if (g_lists.cursor_line == entry) g_lists.cursor_line = moved;
    if (g_job_settings.post_processor == entry) g_job_settings.post_processor = moved;
  }
  g_edited_entry = nullptr;
  g_post_processors.changed = true;
  if (g_dialog_exit == KEY_PGUP) return KEY_UP;
  if (g_dialog_exit == KEY_PGDN) return KEY_DOWN;
  if (g_dialog_exit == WINDOW_CANCEL) return WINDOW_CANCEL;
  return 0;
}

EventCode post_list_key() {
  TextWindow* w = g_windows.active;
  keep_blank_end();
  // Left with PgUp or PgDn: the list has moved to the next entry, whose dialog opens at once.
  if (g_post_page.pending_step != 0) {
    g_post_page.pending_step = 0;
    return open_editor();
  }
  for (;;) {
    const EventCode code = wait_input_code();
    switch (code) {
      case KEY_ENTER:
        if (!post_entry_named(g_lists.cursor_line)) {
          get_message(MSG_PROTOCOL_WITHOUT_NAME);
          request_full_redraw();
          return WINDOW_REDRAW;
        }
        return WINDOW_ACCEPT;
      case KEY_RIGHT: return open_editor();
      case KEY_DEL: return delete_cursor_entry();
      case KEY_ESC:
      case EVENT_RIGHT_DOWN:
      case EVENT_QUIT: return KEY_ESC;
      case WINDOW_CANCEL: return WINDOW_CANCEL;
      case EVENT_POINTER_MOVE: follow_mouse(); continue;
      case EVENT_LEFT_DOWN: {
        const int row = pointer_row();
        if (w == nullptr || row < w->top_row || row > w->bottom_row) return KEY_ESC;
        cursor_to_pointer_y(g_pointer.wanted_y);
        return WINDOW_REDRAW;
      }
      case KEY_UP: case KEY_DOWN: case KEY_PGUP: case KEY_PGDN: case KEY_HOME: case KEY_END:
      case KEY_CTRL_PGUP: case KEY_CTRL_PGDN: case EVENT_REDRAW: return code;
      default: break;
    }
    // A character typed on an entry opens its dialog, the name first.
    if (code >= ' ' && code < 256) return open_editor();
  }
}

TextLine* post_processor_page() {
  PostPage& page = g_post_page;
  page.job_format_edited = false;
  page.pending_step = 0;
  push_list();
  g_lists.current = g_post_processors.list;
  keep_blank_post_entry();
  g_post_processors.list = g_lists.current;
  clear_current_list();
  pop_list();

  push_active_window();
  show_text_box(POST_LIST_LEGEND, TEXTBOX_TOP);
  TextLine* node = open_list_window();
  page.list_window = node;
  TextLine* chosen = node != nullptr ? const_cast<TextLine*>(run_window(node)) : nullptr;
  const int16_t chosen_number = post_entry_named(chosen) ? chosen->id : 0;
  if (node != nullptr) g_post_processors.list = destroy_window_keeping_lines(node);
  page.list_window = nullptr;
  close_top_popup();
  pop_active_window();

  push_list();
  g_lists.current = g_post_processors.list;
  // Unnamed entries are never written: the blank one the page added goes, and so does a
  // format whose name was cleared.
  remove_unnamed_post_processors();
  g_post_processors.list = g_lists.current;
  clear_current_list();
  pop_list();

  TextLine* entry = take_job_post_processor(chosen_number, page.job_format_edited);
  if (g_post_processors.changed && g_post_processors.read_in_part && !page.told_backup) {
    page.told_backup = true;
    show_text_box(POST_KEPT_AS_BACKUP, TEXTBOX_PRESS_A_KEY);
  }
  write_post_processors();
  request_full_redraw();
  return entry;
}
