#include "pages/interface_settings_form.h"

#include <algorithm>
#include <cstdint>
#include <iterator>

#include "screen/caret.h"
#include "screen/interface_settings.h"
#include "store/message_ids.h"
#include "ui/dialog_form.h"
#include "ui/message_box.h"
#include "ui/settings_fields.h"
#include "ui/text_window.h"

namespace {

const char* const BAR_STYLE_NAMES[] = {"Solid", "Pulsing", "Moving dots", "Double dots", nullptr};
constexpr char BAR_STYLE_LETTERS[] = "SPMD";
const char* const BOX_STYLE_NAMES[] = {"Pulsing",   "Rectangle",   "Oval",
                                       "Thin dots", "Medium dots", "Thick dots", nullptr};
constexpr char BOX_STYLE_LETTERS[] = "BRONMT";
constexpr int STYLE_COUNT_BAR = 4;
constexpr int STYLE_COUNT_BOX = 6;
constexpr int PICK_WIDTH = 12;
constexpr uint8_t BLINK_OF_PLAIN_STYLES = 6;  // Solid and Pulsing
constexpr uint8_t BLINK_OF_DOT_STYLES = 1;
constexpr uint8_t FEWEST_DOTS = 2;
constexpr int ROW_BLINK = 1;

enum class RowKind : uint8_t { BYTE, SHORT, BAR_STYLE, BOX_STYLE };

struct SettingsRow {
  RowKind kind;
  uint8_t InterfaceSettings::*byte;
  int16_t InterfaceSettings::*word;
  int width;
};

const SettingsRow ROWS[] = {
    {RowKind::BYTE, &InterfaceSettings::editor_option, nullptr, 3},
    {RowKind::BYTE, &InterfaceSettings::blink_setting, nullptr, 3},
    {RowKind::BAR_STYLE, &InterfaceSettings::bar_style, nullptr, PICK_WIDTH},
    {RowKind::BYTE, &InterfaceSettings::dot_count, nullptr, 2},
    {RowKind::BOX_STYLE, &InterfaceSettings::box_style, nullptr, PICK_WIDTH},
    {RowKind::BYTE, &InterfaceSettings::caret_option, nullptr, 2},
    {RowKind::BYTE, &InterfaceSettings::list_option, nullptr, 2},
    {RowKind::SHORT, nullptr, &InterfaceSettings::message_box_option, 4},
    {RowKind::SHORT, nullptr, &InterfaceSettings::caret_word, 2},
    {RowKind::BYTE, &InterfaceSettings::extra_scroll, nullptr, 2},
};
static_assert(std::size(ROWS) == FORM_INTERFACE_SETTINGS_FIELDS);
constexpr size_t ROW_EXTRA_SCROLL = 9;

const char* style_name(const char* const* names, int count, uint8_t index) {
  return index < count ? names[index] : "";
}

// The caret that input boxes show for a box style.
int16_t box_caret_shape(uint8_t style) {
  return style == 0 ? CARET_PULSING : static_cast<int16_t>(style + 3);
}

EventCode edit_bar_style(const SettingsRow& row) {
  uint8_t index = g_interface.*row.byte;
  const EventCode result = pick_string_field(BAR_STYLE_NAMES, "Select", g_field.display_row,
                                             g_field.value_column, &index, row.width,
                                             BAR_STYLE_LETTERS);
  if (result >= 0 || index >= STYLE_COUNT_BAR) return result;
  g_interface.*row.byte = index;
  g_caret.shape = index;
  g_interface.blink_setting = index <= 1 ? BLINK_OF_PLAIN_STYLES : BLINK_OF_DOT_STYLES;
  if (static_cast<size_t>(ROW_BLINK) < g_field.redraw.size()) g_field.redraw[ROW_BLINK] = 1;
  return result;
}

EventCode edit_box_style(const SettingsRow& row) {
  uint8_t index = g_interface.*row.byte;
  const EventCode result = pick_string_field(BOX_STYLE_NAMES, "Select", g_field.display_row,
                                             g_field.value_column, &index, row.width,
                                             BOX_STYLE_LETTERS);
  if (result >= 0 || index >= STYLE_COUNT_BOX) return result;
  g_interface.*row.byte = index;
  // The new caret is seen at once in a box of its kind.
  const int16_t shape = g_caret.shape;
  g_caret.shape = box_caret_shape(index);
  ask_yes_no("Here is the style you picked:", 1);
  g_caret.shape = shape;
  return result;
}

EventCode edit_row(size_t row_index) {
  const SettingsRow& row = ROWS[row_index];
  switch (row.kind) {
    case RowKind::BAR_STYLE: return edit_bar_style(row);
    case RowKind::BOX_STYLE: return edit_box_style(row);
    case RowKind::SHORT:
      return edit_value_field({&(g_interface.*row.word), 0}, FIELD_SHORT, FIELD_OPTIONS_USUAL,
                              row.width);
    case RowKind::BYTE: break;
  }
  const EventCode result = edit_value_field({&(g_interface.*row.byte), 0}, FIELD_BYTE,
                                            FIELD_OPTIONS_USUAL, row.width);
  if (result < 0 && row_index == ROW_EXTRA_SCROLL) set_scroll_keys();
  return result;
}

void show_row(const SettingsRow& row) {
  switch (row.kind) {
    case RowKind::BAR_STYLE:
      show_text_value(style_name(BAR_STYLE_NAMES, STYLE_COUNT_BAR, g_interface.*row.byte), row.width);
      return;
    case RowKind::BOX_STYLE:
      show_text_value(style_name(BOX_STYLE_NAMES, STYLE_COUNT_BOX, g_interface.*row.byte), row.width);
      return;
    case RowKind::SHORT: show_int_value(g_interface.*row.word, row.width); return;
    case RowKind::BYTE: break;
  }
  const uint8_t value = g_interface.*row.byte;
  show_int_value(row.byte == &InterfaceSettings::dot_count ? std::max(value, FEWEST_DOTS) : value,
                 row.width);
}

}  // namespace

EventCode interface_settings_field() {
  g_field.help_topic = INTERFACE_SETTINGS_HELP_TOPIC;
  const EventCode result = edit_current_field([](int row) -> EventCode {
    return static_cast<size_t>(row) < std::size(ROWS) ? edit_row(static_cast<size_t>(row)) : 0;
  });
  // Every row is shown again after each field: one may change another.
  show_every_field([] {
    for (const SettingsRow& row : ROWS) show_row(row);
  });
  return end_field_handler(result);
}

int run_interface_settings_form() {
  return run_dialog(MSG_FORM_INTERFACE_SETTINGS, interface_settings_field);
}
