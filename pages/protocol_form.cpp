// The protocol form (catalogue form 106), the speed choice and the look at the ports.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "nc/serial_ports.h"
#include "pages/protocol_list.h"
#include "store/catalogue.h"
#include "store/message_ids.h"
#include "store/store_host.h"
#include "ui/dialog_form.h"
#include "ui/message_box.h"
#include "ui/popups.h"
#include "ui/run_window.h"
#include "ui/settings_fields.h"
#include "ui/text_window.h"

ProtocolForm g_protocol_form;

namespace {

enum ProtocolRow {
  ROW_BAR,
  ROW_NAME,
  ROW_PORT,
  ROW_SPEED,
  ROW_PARITY,
  ROW_HANDSHAKE,
  ROW_DATA_BITS,
  ROW_STOP_BITS,
  ROW_AUTO_SAVE,
  ROW_DELAY,
  ROW_START,
  ROW_END,
  ROW_KEEP_SPACES,
  ROW_EIA,
  ROW_DEVICE,
  ROW_FOLDER,
  ROW_COUNT,
};
static_assert(ROW_COUNT == FORM_PROTOCOL_FIELDS);

constexpr int WIDTH_SHORT = 5;
constexpr int WIDTH_NAMES = 13;
constexpr int WIDTH_STRING = static_cast<int>(PROTOCOL_STRING_SIZE) - 1;
constexpr int WIDTH_DEVICE = 30;
constexpr int WIDTH_FOLDER = 54;
constexpr char PORT_LETTERS[] = "123456789";
constexpr char PARITY_LETTERS[] = "NOE";
constexpr char HANDSHAKE_LETTERS[] = "SHNW";
constexpr char NO_YES_LETTERS[] = "NY";
const char* const NO_YES[] = {"N", "Y"};

// A null-ended copy of a table of names, as the pick lists take them.
template <size_t N>
std::vector<const char*> pick_names(const char* const (&names)[N]) {
  std::vector<const char*> list(names, names + N);
  list.push_back(nullptr);
  return list;
}

EventCode pick_from(const char* const* names, const char* title, uint8_t* index, int width,
                    const char* letters) {
  return pick_string_field(names, title, g_field.display_row, g_field.value_column, index,
                           width, letters);
}

EventCode edit_text(char* text, size_t capacity, int width) {
  return edit_value_field({text, capacity}, 0, FIELD_OPTIONS_USUAL, width);
}

// A choice of two letters stored as one of two codes.
EventCode edit_pair(uint8_t* code, uint8_t first, uint8_t second, const char* letters) {
  uint8_t index = *code == first ? 0 : 1;
  const EventCode result = cycle_list_field(letters, &index, 0, 1);
  if (result < 0) *code = index == 0 ? first : second;
  return result;
}

EventCode edit_folder() {
  CommProtocol& p = g_protocol_form.working;
  std::string folder = p.default_folder;
  const EventCode result = directory_field(&folder, WIDTH_FOLDER);
  if (result >= 0) return result;
  if (folder.size() >= PROTOCOL_FOLDER_SIZE) {
    // The record holds 265 characters: a longer folder is refused, never cut.
    const std::string text = "The folder\n" + folder + "\nis longer than a protocol can keep (" +
                             std::to_string(PROTOCOL_FOLDER_SIZE - 1) + " characters).";
    show_text_box(text.c_str(), TEXTBOX_PRESS_A_KEY);
    return 0;
  }
  std::snprintf(p.default_folder, sizeof p.default_folder, "%s", folder.c_str());
  return result;
}

EventCode edit_row(int row) {
  CommProtocol& p = g_protocol_form.working;
  switch (row) {
    case ROW_BAR: return ok_cancel_field();
    case ROW_NAME:
      return edit_text(g_protocol_form.name, sizeof g_protocol_form.name, PROTOCOL_NAME_MAX);
    case ROW_PORT: {
      const EventCode result =
          pick_from(port_list_names(), "Port", &p.port_index,
                    WIDTH_SHORT, PORT_LETTERS);
      p.port_index = std::min<uint8_t>(p.port_index, PORT_COUNT - 1);
      return result;
    }
    case ROW_SPEED: return pick_baud(&p.baud_index);
    case ROW_PARITY: {
      uint8_t choice = static_cast<uint8_t>(parity_choice(p.parity));
      const EventCode result =
          pick_from(pick_names(PARITY_NAMES).data(), "Parity", &choice, WIDTH_SHORT, PARITY_LETTERS);
      if (result < 0 && choice < 3) p.parity = parity_code_of_choice(choice);
      return result;
    }
    case ROW_HANDSHAKE: {
      const EventCode result = pick_from(pick_names(HANDSHAKE_NAMES).data(), "Handshake", &p.handshake,
                                         WIDTH_NAMES, HANDSHAKE_LETTERS);
      p.handshake = std::min<uint8_t>(p.handshake, HANDSHAKE_COUNT - 1);
      return result;
    }
    case ROW_DATA_BITS: return edit_pair(&p.data_bits_code, DATA_BITS_CODE_7, DATA_BITS_CODE_8, "78");
    case ROW_STOP_BITS: return edit_pair(&p.stop_bits, STOP_BITS_ONE, STOP_BITS_TWO, "12");
    case ROW_AUTO_SAVE:
      return edit_value_field({&p.auto_save_seconds, 0}, FIELD_BYTE, FIELD_OPTIONS_USUAL, 3);
    case ROW_DELAY:
      return edit_value_field({&p.char_delay_ms, 0}, FIELD_SHORT, FIELD_OPTIONS_USUAL, 3);
    case ROW_START: return edit_text(p.start_string, sizeof p.start_string, WIDTH_STRING);
    case ROW_END: return edit_text(p.end_string, sizeof p.end_string, WIDTH_STRING);
    case ROW_KEEP_SPACES: return edit_pair(&p.keep_spaces, 0, 1, NO_YES_LETTERS);
    case ROW_EIA: return edit_pair(&p.eia_code, 0, 1, NO_YES_LETTERS);
    case ROW_DEVICE: {
      const EventCode result =
          pick_from(pick_names(DEVICE_NAMES).data(), "Device", &p.device_type, WIDTH_DEVICE, nullptr);
      p.device_type = std::min<uint8_t>(p.device_type, DEVICE_COUNT - 1);
      return result;
    }
    case ROW_FOLDER: return edit_folder();
    default: return 0;
  }
}

void show_rows() {
  const CommProtocol& p = g_protocol_form.working;
  char text[32];
  skip_field_display();
  show_text_value(g_protocol_form.name, PROTOCOL_NAME_MAX);
  std::snprintf(text, sizeof text, "COM %d", p.port_index + 1);
  show_text_value(text, WIDTH_SHORT);
  show_text_value(SPEED_NAMES[std::min<int>(p.baud_index, SPEED_COUNT - 1)], WIDTH_SHORT);
  show_text_value(PARITY_NAMES[parity_choice(p.parity)], WIDTH_SHORT);
  show_text_value(HANDSHAKE_NAMES[std::min<int>(p.handshake, HANDSHAKE_COUNT - 1)], WIDTH_NAMES);
  std::snprintf(text, sizeof text, "%d", protocol_data_bits(p));
  show_text_value(text, 1);
  std::snprintf(text, sizeof text, "%d", protocol_stop_bits(p));
  show_text_value(text, 1);
  show_int_value(p.auto_save_seconds, 3);
  show_int_value(p.char_delay_ms, 3);
  show_text_value(p.start_string, WIDTH_STRING);
  show_text_value(p.end_string, WIDTH_STRING);
  show_text_value(NO_YES[p.keep_spaces != 0 ? 1 : 0], 1);
  show_text_value(NO_YES[p.eia_code != 0 ? 1 : 0], 1);
  show_text_value(DEVICE_NAMES[std::min<int>(p.device_type, DEVICE_COUNT - 1)], WIDTH_DEVICE);
  show_text_value(p.default_folder, WIDTH_FOLDER);
}

}  // namespace

// ---- The form -----------------------------------------------------------------------------------

EventCode protocol_field() {
  EventCode result = edit_current_field(edit_row);
  // PgUp and PgDn keep the form's values and go on with the protocol above or below.
  if (result == KEY_PGUP || result == KEY_PGDN || result == -KEY_PGUP || result == -KEY_PGDN) {
    g_protocol_form.step = static_cast<EventCode>(result < 0 ? -result : result);
    result = WINDOW_ACCEPT;
  }
  show_every_field(show_rows);
  return end_field_handler(result);
}

EventCode pick_baud(uint8_t* speed_index) {
  const EventCode result = pick_from(pick_names(SPEED_NAMES).data(), "Speed", speed_index, WIDTH_SHORT,
                                     nullptr);
  *speed_index = std::min<uint8_t>(*speed_index, SPEED_COUNT - 1);
  return result;
}

EventCode edit_protocol(TextLine* line) {
  CommProtocol* protocol = protocol_of(line);
  if (protocol == nullptr) return 0;
  scan_com_ports();
  ProtocolForm& form = g_protocol_form;
  form.line = line;
  form.working = *protocol;
  std::snprintf(form.name, sizeof form.name, "%s", line->text.c_str());
  form.step = 0;
  g_field.next_label_width = widest_form_label(MSG_FORM_PROTOCOL);
  const int accepted = run_dialog(MSG_FORM_PROTOCOL, protocol_field);
  if (accepted == 0) return WINDOW_CANCEL;
  *protocol_of(line) = form.working;
  set_line_text(form.name, line);
  g_protocols.modified = true;
  if (form.step == KEY_PGUP) return KEY_UP;
  if (form.step == KEY_PGDN) return KEY_DOWN;
  return 0;
}

void scan_com_ports() {
  if (g_port_list.scanned) return;
  show_text_box(PORT_SCAN_TEXT, TEXTBOX_SCREEN_CENTRE);
  probe_com_ports();
  close_top_popup();
}
