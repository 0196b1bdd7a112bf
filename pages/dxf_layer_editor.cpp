#include "pages/dxf_layer_editor.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "import/dxf_layer_table.h"
#include "pages/cam_tool_form.h"
#include "pages/settings_dialogs.h"
#include "platform/files.h"
#include "records/cam_params.h"
#include "screen/display_mode.h"
#include "screen/pointer.h"
#include "store/line_list.h"
#include "store/message_ids.h"
#include "screen/text_output.h"
#include "ui/window_frames.h"
#include "store/catalogue.h"
#include "store/text_helpers.h"
#include "ui/dialog_form.h"
#include "ui/message_box.h"
#include "ui/pointer_motion.h"
#include "ui/popups.h"
#include "ui/run_window.h"
#include "ui/settings_fields.h"
#include "ui/standard_dialogs.h"
#include "ui/text_window.h"

namespace {

constexpr char LIST_TITLE[] = "Names of the layers in DXF file";
constexpr char LIST_HELP[] = "\nMove the arrow up or down to re-arrange the items in this list.";
constexpr char NAME_PROMPT[] = "The name of the layer in the DXF file:";
constexpr char NOT_WRITTEN_FORMAT[] = "The layer names were \vnot saved\023 in %s: %s";
constexpr int LIST_TOP = 8;
constexpr int LIST_LEFT = 6;
constexpr int LIST_ROWS = 20;
constexpr int LIST_COLUMNS = 40;
constexpr int LIST_WRAP = 125;
constexpr size_t CAM_IN_BLOCK = 8;       // the machining block behind the block's header
constexpr int NAME_LONGEST = static_cast<int>(DXF_LAYER_NAME_SIZE) - 1;

// Colour (bytes 0-3) and the entry byte (4) ride in the line's attributes.
uint32_t line_colour(const TextLine* line) {
  uint32_t c = 0;
  std::memcpy(&c, line->attributes, sizeof c);
  return c;
}
void set_line_colour(TextLine* line, uint32_t c) { std::memcpy(line->attributes, &c, sizeof c); }

TextLine* add_entry_line(const DxfLayerEntry& e, TextLine* after) {
  LineExtra block(e.block.begin(), e.block.end());
  TextLine* line = after == nullptr && g_lists.current.last != nullptr
                       ? append_line(e.name.c_str(), block)
                       : (after == nullptr ? append_line(e.name.c_str(), block)
                                           : insert_line(e.name.c_str(), block, after));
  line->id = static_cast<int16_t>(e.number);
  set_line_colour(line, e.colour);
  line->attributes[4] = e.entry_byte;
  return line;
}

// The list always ends with a blank entry, numbered one above the line before it.
void keep_blank_last_line() {
  if (g_lists.current.first == nullptr) {
    DxfLayerEntry e;
    e.number = 1;
    add_entry_line(e, nullptr);
    return;
  }
  if (!g_lists.current.last->text.empty()) {
    DxfLayerEntry e;
    e.number = std::min(g_lists.current.last->id + 1, 243);
    add_entry_line(e, nullptr);
  }
}

bool g_changed = false;
TextLine* g_entry_line = nullptr;   // the line form 1018 edits
CamParams g_entry;                  // its machining block while the form runs
uint32_t g_entry_colour = 0;
EventCode g_entry_leave = 0;        // Up or Down that left the form for the next line

CamParams read_line_cam(const TextLine* line) {
  CamParams p;
  if (line->extra.size() >= CAM_IN_BLOCK + CAM_PARAMS_SIZE) read_cam_params(line->extra.data() + CAM_IN_BLOCK, &p);
  return p;
}

void write_line_cam(TextLine* line, const CamParams& p) {
  if (line->extra.size() < DXF_LAYER_BLOCK_SIZE) line->extra.resize(DXF_LAYER_BLOCK_SIZE, 0);
  write_cam_params(p, line->extra.data() + CAM_IN_BLOCK);
}

EventCode edit_name(EventCode first) {
  TextLine* line = g_lists.cursor_line;
  if (line == nullptr) return 0;
  char text[DXF_LAYER_NAME_SIZE] = {};
  std::snprintf(text, sizeof text, "%s", line->text.c_str());
  if (first > ' ' && first < 256) {
    text[0] = static_cast<char>(first);
    text[1] = 0;
  }
  const int ended = message_box(LIST_TOP, LIST_LEFT + 2, 64, NAME_PROMPT, 0, text, -NAME_LONGEST,
                                nullptr, 0, nullptr);
  if (ended == KEY_ESC || ended == EVENT_QUIT) return WINDOW_REDRAW;
  set_line_text(text, line);
  g_changed = true;
  keep_blank_last_line();
  return WINDOW_REDRAW;
}

// Form 1018 on the cursor line; Up or Down out of the form walk on to the next line's form.
EventCode edit_entries() {
  for (;;) {
    TextLine* line = g_lists.cursor_line;
    if (line == nullptr) return WINDOW_REDRAW;
    g_entry_leave = 0;
    if (dxf_layer_entry_form(0) == 1) g_changed = true;
    keep_blank_last_line();
    TextLine* next = g_entry_leave == KEY_UP ? line->prev : g_entry_leave == KEY_DOWN ? line->next : nullptr;
    if (next == nullptr) return WINDOW_REDRAW;
    g_lists.cursor_line = next;
    return g_entry_leave;  // the run loop moves the cursor; the next Enter opens that form
  }
}

enum EntryRow { ER_CUT, ER_GROUP, ER_SURFACE_Z, ER_DEPTH, ER_RAPID, ER_BLANK, ER_FINISH_TOOL,
                ER_ROUGH_TOOL, ER_COLOUR };
static_assert(FORM_DXF_LAYER_ENTRY_FIELDS == ER_COLOUR + 1);

EventCode entry_row(int row) {
  CamParams& p = g_entry;
  switch (row) {
    case ER_CUT: {
      uint8_t index = p.operation;
      const EventCode result = pick_string_field(cut_type_names(), "Select", g_field.display_row,
                                                 g_field.value_column, &index, 16, nullptr);
      if (result < 0 && index < 7) {
        p.operation = index;
        std::fill(g_field.redraw.begin(), g_field.redraw.end(), 1);
      }
      return result;
    }
    case ER_GROUP:
      return edit_value_field({&p.machining_group, 0}, FIELD_SHORT, FIELD_OPTIONS_USUAL, 5);
    case ER_SURFACE_Z: return optional_float_field(&p.surface_z, FIELD_FLOAT, 10);
    case ER_DEPTH: {
      const EventCode result =
          edit_value_field({&p.finishing.cut_depth, 0}, FIELD_FLOAT, FIELD_OPTIONS_USUAL, 10);
      p.roughing.cut_depth = p.finishing.cut_depth;
      return result;
    }
    case ER_RAPID: return optional_float_field(&p.rapid_height, FIELD_FLOAT, 10);
    case ER_FINISH_TOOL: return edit_cam_tool(&p, 0);
    case ER_ROUGH_TOOL: return edit_cam_tool(&p, 1);
    case ER_COLOUR: {
      const EventCode key = read_field_event(5);
      if (key != KEY_ENTER && key != FIELD_CLICK) return key;
      uint32_t colour = g_entry_colour;
      if (choose_colour(&colour) == DIALOG_CHOSEN) {
        g_entry_colour = colour;
        return FIELD_CHANGED;
      }
      return 0;
    }
    default: return g_field.step_direction;
  }
}

}  // namespace

EventCode dxf_layer_entry_field() {
  // A form's keys stop at its first and last row; here Up on the first and Down on the last
  // must reach the row, which leaves for the next line's form. The stop stays on the others.
  if (TextWindow* form = g_windows.active; form != nullptr) {
    const bool edge = form->cursor_row == ER_CUT || form->cursor_row == ER_COLOUR;
    if (edge) form->flags &= ~WINDOW_FIXED_LIST;
    else form->flags |= WINDOW_FIXED_LIST;
  }
  EventCode result = edit_current_field(entry_row);
  const TextWindow* w = g_windows.active;
  const int row = w != nullptr ? w->cursor_row : 0;
  // Up out of the first row or Down out of the last: the form ends for the next line's.
  const EventCode ending = result < 0 ? -result : result;
  if ((ending == KEY_UP && row == ER_CUT) || (ending == KEY_DOWN && row == ER_COLOUR)) {
    g_entry_leave = ending;
    result = WINDOW_ACCEPT;
  }
  const CamParams& p = g_entry;
  begin_display_pass();
  show_text_value(cut_type_names()[std::min<int>(p.operation, 6)], 16);
  show_int_value(p.machining_group, 5);
  show_float_or_unset(p.surface_z, 10, 0);
  show_float_value(p.finishing.cut_depth, 10, 0);
  show_float_or_unset(p.rapid_height, 10, 0);
  skip_field_display();
  show_int_value(p.finishing.tool_number, 5);
  show_int_value(p.roughing.tool_number, 5);
  show_text_value(p.operation != 0 ? "#####" : "", 5);
  return end_field_handler(result);
}

int dxf_layer_entry_form(int /*index*/) {
  TextLine* line = g_lists.cursor_line;
  if (line == nullptr) return 0;
  g_entry_line = line;
  g_entry = read_line_cam(line);
  g_entry_colour = line_colour(line);
  g_field.next_label_width = widest_form_label(MSG_FORM_DXF_LAYER_ENTRY) + 1;
  const int accepted = run_dialog(MSG_FORM_DXF_LAYER_ENTRY, dxf_layer_entry_field);
  if (accepted == 1) {
    write_line_cam(line, g_entry);
    set_line_colour(line, g_entry_colour);
  }
  g_entry_line = nullptr;
  return accepted;
}

EventCode dxf_layer_list_key() {
  for (;;) {
    const EventCode code = wait_input_code();
    switch (code) {
      case KEY_ENTER:
      case KEY_RIGHT: return edit_entries();
      case KEY_CTRL_ENTER: return WINDOW_ACCEPT;
      case KEY_INS: {
        TextLine* at = g_lists.cursor_line;
        DxfLayerEntry e;
        e.number = at != nullptr ? std::min(at->id + 1, 243) : 1;
        g_lists.cursor_line = add_entry_line(e, at);
        g_changed = true;
        return WINDOW_REDRAW;
      }
      case KEY_DEL:
        if (g_lists.cursor_line != nullptr) {
          TextLine* next = delete_line(g_lists.cursor_line);
          keep_blank_last_line();
          g_lists.cursor_line = next != nullptr ? next : g_lists.current.last;
          g_changed = true;
        }
        return WINDOW_REDRAW;
      case KEY_ESC:
      case EVENT_RIGHT_DOWN:
      case EVENT_QUIT: return KEY_ESC;
      case EVENT_POINTER_MOVE: follow_mouse(); continue;
      case KEY_UP + KEY_ALT_OFFSET: g_changed = true; return WINDOW_MOVE_LINE_UP;
      case KEY_DOWN + KEY_ALT_OFFSET: g_changed = true; return WINDOW_MOVE_LINE_DOWN;
      case KEY_UP: case KEY_DOWN: case KEY_PGUP: case KEY_PGDN: case KEY_HOME: case KEY_END:
      case EVENT_REDRAW: return code;
      default: break;
    }
    if (code > ' ' && code < 256) return edit_name(code);
  }
}

int edit_dxf_layer_names() {
  load_dxf_layer_table();
  push_list();
  clear_current_list();
  // Unnamed entries are never saved: the list shows the named ones and numbers its blank line
  // after them (1 in an empty list).
  for (const DxfLayerEntry& e : g_dxf_layer_table.entries)
    if (!e.name.empty()) add_entry_line(e, nullptr);
  keep_blank_last_line();
  g_changed = false;
  TextLine* node = create_window(nullptr, {
      .top_row = LIST_TOP, .left_column = LIST_LEFT, .bottom_row = LIST_TOP + LIST_ROWS - 1,
      .right_column = LIST_LEFT + LIST_COLUMNS, .flags = WINDOW_KEEP_UNDER | 0x3,
      .key_filter = dxf_layer_list_key, .line_drawer = draw_window_line, .options = 120,
      .wrap_width = LIST_WRAP, .title = LIST_TITLE});
  clear_current_list();
  pop_list();
  if (node == nullptr) return 0;
  window_of(node)->help_texts[0] = LIST_HELP;
  get_message(MSG_DXF_LAYER_NAMES_NOTE);
  show_text_box(message_text(), TEXTBOX_TOP);
  push_active_window();
  activate_window(node);
  const TextLine* chosen = run_window(node);
  store_window_state();
  TextWindow* w = window_of(node);
  std::vector<DxfLayerEntry> entries;
  for (TextLine* line = w->first_line; line != nullptr; line = line->next) {
    DxfLayerEntry e;
    e.number = line->id;
    e.colour = line_colour(line);
    e.entry_byte = line->attributes[4];
    e.name = line->text;
    std::copy_n(line->extra.begin(), std::min(line->extra.size(), e.block.size()), e.block.begin());
    entries.push_back(e);
  }
  destroy_window(node);
  close_top_popup();
  pop_active_window();
  if (chosen == nullptr) {
    // Cancelled: the next use reads the file again.
    reset_dxf_layer_table();
    return 0;
  }
  g_dxf_layer_table.entries = entries;
  g_dxf_layer_table.loaded = true;
  const std::string path = path_join(program_folder(), DXF_LAYER_TABLE_FILE);
  const int written = write_dxf_layer_table(path, entries);
  if (written != 0) {
    char text[600];
    std::snprintf(text, sizeof text, NOT_WRITTEN_FORMAT, DXF_LAYER_TABLE_FILE,
                  written == -1 ? "it could not be created" : "it could not be written");
    show_text_box(text, TEXTBOX_PRESS_A_KEY);
  }
  return 1;
}
