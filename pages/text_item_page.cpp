// The text property page as a dialog form: the fields read from the text's layout at every pass,
// each typed value handed to its rule (text_item_rules.cpp), the text laid out again after it.
#include "pages/text_item_page.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "editor/item_inspector.h"
#include "editor/item_pages.h"
#include "editor/text_prompt.h"
#include "pages/text_fonts.h"
#include "records/job_settings.h"
#include "records/preferences.h"
#include "screen/boxes.h"
#include "screen/display_mode.h"
#include "screen/pointer.h"
#include "store/message_ids.h"
#include "text/text_items.h"
#include "ui/dialog_form.h"
#include "ui/key_pushback.h"
#include "ui/message_box.h"
#include "ui/settings_fields.h"
#include "ui/text_window.h"

namespace {

constexpr int VALUE_WIDTH = 13;
constexpr int PRECISION = 9;
constexpr int TEXT_WIDTH = 30;
constexpr int CHOICE_WIDTH = 15;
constexpr int PAGE_ROWS = 15;
constexpr uint32_t COORDINATE_FLAGS = 0x1000000A | FIELD_MINUS;
constexpr uint32_t SIZE_FLAGS = FIELD_FLOAT | FIELD_MINUS;
constexpr EventCode FIRST_TYPED = 33;
constexpr EventCode LAST_TYPED = 175;

const char* const H_JUSTIFY_NAMES[] = {"Start", "Center", "End", nullptr};
const char* const V_JUSTIFY_NAMES[] = {"Top", "Middle", "Bottom", nullptr};
const char* const DIRECTION_NAMES[] = {"Clockwise", "Counter CW", nullptr};
const char* const DISPLAY_NAMES[] = {"Normal", "Mirrored", "Vertical", "Vertical & mirr", nullptr};

const char* const HELP_LINES[] = {
    "",
    "\nEnter the X coordinate for the left end, center, or right end of this text.",
    "Enter the X coordinate for the center of the arc that the text\nis wrapped around.",
    "",  // written with the axis and the followed item's number
    "Which part of the text does the X coordinate refer to:\nStart of the text      Center of "
    "the text     End of the text",
    "\nEnter the Y coordinate for the top, middle, or bottom of this text.",
    "Enter the Y coordinate for the center of the arc that the text\nis wrapped around.",
    "Which part of the text does the Y coordinate refer to:\nTop of the text        Middle of "
    "the text     Bottom of the text",
    "How do you want the text to display?\nNormal       Mirrored      Vertical      Both "
    "vertical and mirrored",
    "If you alter this radius, the height of the letters will be adjusted accordingly,\nand the "
    "other radius will remain as it is.",
    "Enter the angle to slant this text.\nValid angles are -70 degrees to +70 degrees",
    "Enter the length you want the letters to be;\ndo not enter the distance the tool will "
    "travel.",
    "Enter the height you want the letters to be;\ndo not enter the distance the tool will "
    "travel.",
    "A width ratio of 1.0 is normal. To compress the text, enter a ratio\nsmaller than 1.0, and "
    "to expand it, enter a ratio greater that 1.0",
    "Enter the amount to separate the letters from each other.\nThe spacing is a percentage of "
    "the character height.",
    "If you want the text to be rotated, enter the angle in degrees.\nPositive angles are "
    "counter-clockwise.",
    "\nEnter the angle you want the text to be centered around.",
    "Enter the item number of the text you want this text to be aligned with,\nor enter 0 to "
    "remove the alignment",
    "Either press ENTER to edit the text you already have,\nor just type some new text to "
    "replace the existing text.",
    "To wrap the text around an arc, enter the radius of the arc.\nThe x and y coordinates at "
    "the top of the screen will be the center of the arc.",
    "Enter the radius for the arc that this text is wrapped around.\nOr enter 0 (ie, a zero) to "
    "cancel the wrapping feature.",
    "How do you want the text to wrap around the arc:\nclockwise or counter-clockwise?",
    "\nPress ENTER to select a different font.",
};
constexpr int HELP_LINE_COUNT = static_cast<int>(sizeof HELP_LINES / sizeof HELP_LINES[0]);

enum class Row : uint8_t {
  NONE, TEXT, X, Y, H_JUSTIFY, V_JUSTIFY, WRAP, LENGTH, HEIGHT, RATIO, SPACING, FONT, DISPLAY,
  SLANT, ANGLE, EDGE_RADIUS, INNER_RADIUS, DIRECTION, CENTRE_ANGLE, SWEEP
};

// The values the page shows, read from the layout and the frame at each pass. Angles in degrees.
struct PageValues {
  TextLayout layout;
  PointF position{0, 0};
  float wrap = 0, length = 0, height = 0, ratio = 0, spacing = 0, slant = 0, angle = 0;
  float edge_radius = 0, inner_radius = 0, sweep = 0;
  uint8_t h_justify = 0, v_justify = 0, direction = 0, display = 0;
};
PageValues g_values;
DrawingItem* g_item = nullptr;
bool g_form_changed = false;  // the text took another form (straight, on an arc, vertical)

bool arc_text() { return g_values.layout.arc_radius > 0.0f; }
bool vertical_text() { return (g_values.layout.flags & TEXT_FLAG_VERTICAL) != 0; }
bool following() { return g_values.layout.link_number >= 1; }

void read_values(DrawingItem* item) {
  PageValues& v = g_values;
  TextLayout& l = v.layout;
  read_text_layout(block_text_layout(item_block(item)), &l);
  const LinkRecord* n = item_nodes(item);
  v.position = following() ? PointF{l.link_dx, l.link_dy} : l.anchor;
  v.wrap = l.arc_radius;
  v.length = l.length;
  v.height = l.height;
  v.ratio = l.width_factor;
  v.spacing = l.spacing * 100.0f;
  v.slant = l.slant;
  v.angle = l.angle;
  v.h_justify = std::min<uint8_t>(l.h_justify, 2);
  v.v_justify = std::min<uint8_t>(l.v_justify, 2);
  v.direction = l.arc_direction != 0 ? 1 : 0;
  v.display = text_display_mode(l);
  v.edge_radius = code_is_arc(n[0].code) ? n[0].code : l.arc_radius;
  v.inner_radius = item_block(item)->link_count >= 4 && code_is_arc(n[2].code) ? n[2].code : 0.0f;
  v.sweep = static_cast<float>(std::fabs(l.arc_end - l.arc_start) * 180.0 / 3.14159265358979323846);
}

Row row_kind(int row) {
  const bool arc = arc_text();
  switch (row) {
    case 0: return Row::TEXT;
    case 1: return Row::X;
    case 2: return Row::Y;
    case 4:
      if (arc) return Row::EDGE_RADIUS;
      return vertical_text() || following() ? Row::NONE : Row::H_JUSTIFY;
    case 5:
      if (arc) return vertical_text() ? Row::NONE : Row::INNER_RADIUS;
      return following() ? Row::NONE : Row::V_JUSTIFY;
    case 6: return arc ? Row::DIRECTION : Row::WRAP;
    case 7: return arc ? Row::CENTRE_ANGLE : Row::LENGTH;
    case 8: return Row::HEIGHT;
    case 9: return Row::RATIO;
    case 10: return Row::SPACING;
    case 11: return Row::FONT;
    case 12: return Row::DISPLAY;
    case 13: return Row::SLANT;
    case 14:
      if (arc) return Row::SWEEP;
      return following() ? Row::NONE : Row::ANGLE;
    default: return Row::NONE;
  }
}

int help_of(Row kind) {
  const bool arc = arc_text();
  switch (kind) {
    case Row::TEXT: return 18;
    case Row::X: return following() ? 3 : arc ? 2 : 1;
    case Row::Y: return following() ? 3 : arc ? 6 : 5;
    case Row::H_JUSTIFY: return 4;
    case Row::V_JUSTIFY: return 7;
    case Row::WRAP: return 19;
    case Row::LENGTH: return 11;
    case Row::HEIGHT: return 12;
    case Row::RATIO: return 13;
    case Row::SPACING: return 14;
    case Row::FONT: return 22;
    case Row::DISPLAY: return 8;
    case Row::SLANT: return 10;
    case Row::ANGLE: return 15;
    case Row::EDGE_RADIUS: return 20;
    case Row::INNER_RADIUS: return 9;
    case Row::DIRECTION: return 21;
    case Row::CENTRE_ANGLE: return 16;
    default: return 0;
  }
}

// A row that is not there is passed in the direction the cursor came; the first row always
// down, there being nothing above it.
EventCode pass_over() {
  const TextWindow* w = g_windows.active;
  const bool first = w == nullptr || w->cursor_row == 0;
  return g_field.last_ending_event == KEY_UP && !first ? KEY_UP : KEY_DOWN;
}

EventCode edit_float(float* value, uint32_t flags) {
  return edit_value_field({value, 0}, flags, FIELD_OPTIONS_USUAL, VALUE_WIDTH);
}

EventCode edit_choice(uint8_t* value, const char* letters) {
  uint8_t index = *value;
  const EventCode r = cycle_list_field(letters, &index, 0, CHOICE_WIDTH);
  if (r < 0) *value = index;
  return r;
}

// The text row: Enter edits the text, Backspace edits it from its end, a character starts a new
// one; the right button closes the page. Only on the Drawing page: beside the list the text is
// edited on its line.
EventCode edit_text_row() {
  if (g_tab_strip.active != PAGE_DRAWING) return pass_over();
  const EventCode e = read_field_event(TEXT_WIDTH);
  std::string text = g_item->text;
  if (e == EVENT_RIGHT_DOWN) return KEY_ESC;
  if (e >= FIRST_TYPED && e <= LAST_TYPED) {
    text.clear();
    push_back_key(e);
  } else if (e == KEY_BACKSPACE) {
    push_back_key(KEY_DEL);
  } else if (e != KEY_ENTER) {
    return e;
  }
  if (!prompt_engraving_text(&text, true)) return 0;
  return text_page_set_text(g_item, text) == PAGE_VALUE_TAKEN ? FIELD_CHANGED : 0;
}

// The font row: Enter chooses a stroke font or a TrueType face.
EventCode edit_font_row() {
  const EventCode e = read_field_event(TEXT_WIDTH);
  if (e != KEY_ENTER) return e;
  TextPageState& s = g_text_page;
  const uint8_t setting = g_preferences.text_font_kind;
  if (setting == TEXT_FONT_ASK) {
    const int16_t answer = ask_catalogue_choice(MSG_CHOICE_FONT_KIND, s.font_kind_answer);
    if (answer == KEY_ESC) return 0;
    s.font_kind_answer = answer != 0 ? 1 : 0;
  }
  const bool truetype =
      setting == TEXT_FONT_TRUETYPE || (setting == TEXT_FONT_ASK && s.font_kind_answer != 0);
  if (truetype) {
    uint8_t chosen[TL_LOG_FONT_SIZE];
    std::memcpy(chosen, g_values.layout.log_font, TL_LOG_FONT_SIZE);
    if (choose_truetype_font(chosen) == 0) return 0;
    return text_page_set_truetype_font(g_item, chosen) == PAGE_VALUE_TAKEN ? FIELD_CHANGED : 0;
  }
  const int font = choose_stroke_font();
  if (font < 0) return 0;
  return text_page_set_stroke_font(g_item, static_cast<int16_t>(font)) == PAGE_VALUE_TAKEN
             ? FIELD_CHANGED
             : 0;
}

EventCode edit_row(int row) {
  if (row >= PAGE_ROWS) return KEY_UP;  // the machining rows come with the machining panel
  const Row kind = row_kind(row);
  if (kind == Row::NONE || kind == Row::SWEEP) return pass_over();
  show_text_field_help(help_of(kind));
  PageValues& v = g_values;
  g_text_page.ratio_was_zero = v.ratio == 0.0f;
  g_text_page.height_was_zero = v.height == 0.0f;
  switch (kind) {
    case Row::TEXT: return edit_text_row();
    case Row::X: return edit_float(&v.position.x, COORDINATE_FLAGS);
    case Row::Y: return edit_float(&v.position.y, COORDINATE_FLAGS);
    case Row::H_JUSTIFY: return edit_choice(&v.h_justify, "SCE");
    case Row::V_JUSTIFY: return edit_choice(&v.v_justify, "TMB");
    case Row::WRAP: return edit_float(&v.wrap, SIZE_FLAGS);
    case Row::LENGTH: return edit_float(&v.length, SIZE_FLAGS);
    case Row::HEIGHT: return edit_float(&v.height, SIZE_FLAGS);
    case Row::RATIO: return edit_float(&v.ratio, SIZE_FLAGS);
    case Row::SPACING: return edit_float(&v.spacing, COORDINATE_FLAGS);
    case Row::FONT: return edit_font_row();
    case Row::DISPLAY: return edit_choice(&v.display, "NMVB");
    case Row::SLANT: return edit_float(&v.slant, COORDINATE_FLAGS);
    case Row::ANGLE:
    case Row::CENTRE_ANGLE: return edit_float(&v.angle, COORDINATE_FLAGS);
    case Row::EDGE_RADIUS: return edit_float(&v.edge_radius, SIZE_FLAGS);
    case Row::INNER_RADIUS: return edit_float(&v.inner_radius, SIZE_FLAGS);
    case Row::DIRECTION: return edit_choice(&v.direction, "CO");
    default: return pass_over();
  }
}

// The rule of a changed row: a PAGE_VALUE_* result.
int apply_row(Row kind) {
  const PageValues& v = g_values;
  DrawingItem* item = g_item;
  const bool was_arc = arc_text(), was_vertical = vertical_text();
  int r = PAGE_VALUE_UNCHANGED;
  switch (kind) {
    case Row::TEXT: r = PAGE_VALUE_TAKEN; break;  // set by the row
    case Row::X:
    case Row::Y: r = text_page_set_position(item, v.position); break;
    case Row::H_JUSTIFY: r = text_page_set_justify(item, 0, v.h_justify); break;
    case Row::V_JUSTIFY: r = text_page_set_justify(item, 1, v.v_justify); break;
    case Row::WRAP: r = text_page_wrap(item, v.wrap); break;
    case Row::LENGTH: r = text_page_set_size(item, TEXT_SIZE_LENGTH, v.length); break;
    case Row::HEIGHT: r = text_page_set_size(item, TEXT_SIZE_HEIGHT, v.height); break;
    case Row::RATIO: r = text_page_set_size(item, TEXT_SIZE_RATIO, v.ratio); break;
    case Row::SPACING: r = text_page_set_spacing(item, v.spacing); break;
    case Row::FONT: r = PAGE_VALUE_TAKEN; break;  // set by the row
    case Row::DISPLAY: r = text_page_set_display(item, v.display); break;
    case Row::SLANT: r = text_page_set_slant(item, v.slant); break;
    case Row::ANGLE:
    case Row::CENTRE_ANGLE: r = text_page_set_angle(item, v.angle); break;
    case Row::EDGE_RADIUS: r = text_page_set_edge_radius(item, v.edge_radius); break;
    case Row::INNER_RADIUS: r = text_page_set_inner_radius(item, v.inner_radius); break;
    case Row::DIRECTION: r = text_page_set_direction(item, v.direction); break;
    default: break;
  }
  if (r == PAGE_VALUE_TAKEN) {
    text_page_relayout(item);
    read_values(item);
    if (arc_text() != was_arc || vertical_text() != was_vertical) g_form_changed = true;
  }
  return r;
}

EventCode edit_page_row(int row) {
  const EventCode result = edit_row(row);
  if (result >= 0 || g_item == nullptr || g_item->extra.empty()) return result;
  const int applied = apply_row(row_kind(row));
  if (applied != PAGE_VALUE_TAKEN) {
    read_values(g_item);  // the field shows what the item holds
    if (static_cast<size_t>(row) < g_field.redraw.size()) g_field.redraw[row] = 1;
    return applied == PAGE_VALUE_REFUSED ? 0 : result;
  }
  std::fill(g_field.redraw.begin(), g_field.redraw.end(), 1);
  return result;
}

void show_row(int row) {
  const PageValues& v = g_values;
  switch (row_kind(row)) {
    case Row::TEXT: {
      std::string shown;
      for (char c : g_item->text) {
        if (c == '\n') break;
        if (static_cast<uint8_t>(c) >= ' ') shown += c;
      }
      show_string_value(shown.c_str(), TEXT_WIDTH);
      return;
    }
    case Row::X: show_float_value(v.position.x, VALUE_WIDTH, PRECISION); return;
    case Row::Y: show_float_value(v.position.y, VALUE_WIDTH, PRECISION); return;
    case Row::H_JUSTIFY: show_choice_value(H_JUSTIFY_NAMES, v.h_justify, CHOICE_WIDTH); return;
    case Row::V_JUSTIFY: show_choice_value(V_JUSTIFY_NAMES, v.v_justify, CHOICE_WIDTH); return;
    case Row::WRAP: show_float_value(v.wrap, VALUE_WIDTH, PRECISION); return;
    case Row::LENGTH: show_float_value(v.length, VALUE_WIDTH, PRECISION); return;
    case Row::HEIGHT: show_float_value(v.height, VALUE_WIDTH, PRECISION); return;
    case Row::RATIO: show_float_value(v.ratio, VALUE_WIDTH, PRECISION); return;
    case Row::SPACING: show_float_value(v.spacing, VALUE_WIDTH, PRECISION); return;
    case Row::FONT: show_string_value(text_font_name(v.layout).c_str(), TEXT_WIDTH); return;
    case Row::DISPLAY: show_choice_value(DISPLAY_NAMES, v.display, CHOICE_WIDTH); return;
    case Row::SLANT: show_float_value(v.slant, VALUE_WIDTH, PRECISION); return;
    case Row::ANGLE:
    case Row::CENTRE_ANGLE: show_float_value(v.angle, VALUE_WIDTH, PRECISION); return;
    case Row::EDGE_RADIUS: show_float_value(v.edge_radius, VALUE_WIDTH, PRECISION); return;
    case Row::INNER_RADIUS: show_float_value(v.inner_radius, VALUE_WIDTH, PRECISION); return;
    case Row::DIRECTION: show_choice_value(DIRECTION_NAMES, v.direction, CHOICE_WIDTH); return;
    case Row::SWEEP: show_float_value(v.sweep, VALUE_WIDTH, PRECISION); return;
    default: show_text_value("", 1); return;
  }
}

void show_page() {
  begin_display_pass();
  for (int row = 0; row < PAGE_ROWS; ++row) show_row(row);
}

// Beside the Engraving list, PgDn and PgUp walk the list's lines and a click left of the page
// belongs to the list: the page closes and leaves the key or the click as its exit reason.
EventCode leave_for_list(EventCode result) {
  if (g_tab_strip.active != PAGE_ENGRAVING_LIST) return result;
  const TextWindow* w = g_windows.active;
  const int width = g_display.current.cell_width;
  const bool page_key = result == KEY_PGDN || result == KEY_PGUP;
  const bool outside = result == EVENT_LEFT_DOWN && w != nullptr && width > 0 &&
                       g_pointer.wanted_x / width < w->left_column;
  if (!page_key && !outside) return result;
  g_panel.exit_reason = static_cast<int16_t>(result);
  return KEY_ESC;
}

}  // namespace

void show_text_field_help(int n) {
  if (n <= 0 || n >= HELP_LINE_COUNT) return;
  if (n == 3) {
    char text[160];
    const int row = g_windows.active != nullptr ? g_windows.active->cursor_row : 1;
    std::snprintf(text, sizeof text,
                  "If you want this text to be offset in the %c dimension from item %d\nenter "
                  "the distance.",
                  row == 2 ? 'Y' : 'X', g_values.layout.link_number);
    show_status_line(text);
    return;
  }
  show_status_line(HELP_LINES[n]);
}

int text_page_form(DrawingItem* item) {
  TextLayout l;
  read_text_layout(block_text_layout(item_block(item)), &l);
  if (l.arc_radius <= 0.0f) return MSG_FORM_TEXT_PAGE;
  return (l.flags & TEXT_FLAG_VERTICAL) != 0 ? MSG_FORM_TEXT_VERTICAL_ARC_PAGE
                                             : MSG_FORM_TEXT_ARC_PAGE;
}

EventCode text_item_page_field() {
  g_item = g_panel.panel_item;
  if (g_item == nullptr || g_item->extra.empty() || block_text_layout(item_block(g_item)) == nullptr)
    return KEY_ESC;
  read_values(g_item);
  EventCode result = edit_current_field(edit_page_row);
  const bool first = result == FORM_FIRST_PASS;
  if (!first) {
    if (result > 0) result = leave_for_list(panel_event_filter(result));
    if (result == EVENT_LEFT_DOWN)
      result = panel_left_press(arc_text() ? "045;<" : "06;<", PAGE_ROWS);
    if (g_item == nullptr || g_item->extra.empty()) return end_field_handler(KEY_ESC);
    if (result < 0) {
      mark_job_changed();
      redraw_panel_drawing();
    }
    if (g_form_changed) result = KEY_ESC;
    if (result != KEY_ESC) rebuild_panel_screen();
    read_values(g_item);
  }
  show_every_field(show_page);
  if (first && g_panel.display_only != 0) return end_field_handler(KEY_ESC);
  return end_field_handler(result);
}

void run_text_item_page(DrawingItem* item) {
  if (item == nullptr || item->extra.empty() || block_text_layout(item_block(item)) == nullptr)
    return;
  g_panel.panel_item = item;
  reset_text_page();
  do {
    g_form_changed = false;
    const int form = text_page_form(item);
    place_next_panel(form);
    // Beside the Engraving list the page stands right of the list.
    if (g_tab_strip.active == PAGE_ENGRAVING_LIST && g_text_page.list_column > 0)
      g_field.next_left_column = g_text_page.list_column;
    // A press on a panel button shown beside the page goes to the button before the form.
    const PanelClickGuard buttons;
    run_dialog(form, text_item_page_field);
  } while (g_form_changed && !item->extra.empty() && g_panel.display_only == 0);
  g_form_changed = false;
}
