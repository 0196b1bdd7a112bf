// The serial terminal form.
#include "pages/serial_terminal.h"

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "nc/serial_link.h"
#include "nc/serial_ports.h"
#include "pages/protocol_list.h"
#include "pages/serial_transfer.h"
#include "screen/display_mode.h"
#include "screen/pointer.h"
#include "screen/screen_attributes.h"
#include "screen/text_output.h"
#include "platform/pump.h"
#include "platform/window.h"
#include "screen/tick_clock.h"
#include "screen/timer.h"
#include "store/catalogue.h"
#include "store/message_ids.h"
#include "ui/dialog_form.h"
#include "ui/list_window.h"
#include "ui/message_box.h"
#include "ui/run_window.h"
#include "ui/settings_fields.h"
#include "ui/text_window.h"

TerminalSettings g_terminal;

namespace {

enum TerminalRow {
  ROW_PORT,
  ROW_SPEED,
  ROW_PARITY,
  ROW_DATA_BITS,
  ROW_STOP_BITS,
  ROW_RTS,
  ROW_DTR,
  ROW_XON,
  ROW_XOFF,
  ROW_COUNT_FIELD,
  ROW_TYPING,
  ROW_FIELDS,
};
static_assert(ROW_FIELDS == FORM_SERIAL_TERMINAL_FIELDS);
static_assert(ROW_COUNT_FIELD == TERMINAL_ROW_COUNT && ROW_TYPING == TERMINAL_ROW_TYPING);

constexpr int FIRST_PORT_ROW = ROW_RTS;     // rows from here on need the open port
constexpr int MODEM_COLUMNS[4] = {1, 9, 17, 25};
constexpr const char* MODEM_NAMES[4] = {"CTS", "DSR", "RING", "RLSD"};
constexpr int MODEM_BITS[4] = {SERIAL_CTS, SERIAL_DSR, SERIAL_RING, SERIAL_RLSD};
constexpr int LINE_START_COLUMN = 6;
constexpr int GLYPH_OFFSET = 33;
constexpr uint8_t GLYPH_ESCAPE = 0x08;
constexpr int COUNT_MOST = 65535;
const char* const ON_OFF[] = {"OFF", "ON "};
const char* const PARITY_CHOICES[] = {"None", "Odd", "Even", nullptr};

const TextWindow* form_window() { return g_windows.active; }

// Draws at a cell of the form (row and column from its top-left corner).
void draw_in_form(int row, int column, const std::string& text) {
  const TextWindow* w = form_window();
  if (w == nullptr) return;
  push_colour_base();
  set_colour_base(w->options & WINDOW_OPTION_COLOUR_MASK);
  draw_text(w->top_row + row, w->left_column + column, text.c_str());
  pop_colour_base();
}

int form_width() {
  const TextWindow* w = form_window();
  return w != nullptr ? w->columns : 0;
}

void show_count() {
  char text[16];
  std::snprintf(text, sizeof text, "%5u ", static_cast<unsigned>(g_terminal.received));
  draw_in_form(ROW_COUNT_FIELD, g_field.value_column - (form_window() ? form_window()->left_column : 0), text);
}

void show_modem_lines() {
  const int status = g_terminal.port_open ? serial_modem_status(g_serial_link.port) : -1;
  for (int i = 0; i < 4; ++i) {
    std::string text = MODEM_NAMES[i];
    text += status < 0 ? " --" : ((status & MODEM_BITS[i]) != 0 ? " \vON\x13" : " off");
    text.resize(std::max<size_t>(text.size(), 8), ' ');
    draw_in_form(TERMINAL_ROW_MODEM, MODEM_COLUMNS[i], text);
  }
}

// One received byte on the data row; the row starts again, cleared, at the form's width.
void show_received_byte(uint8_t byte) {
  TerminalSettings& t = g_terminal;
  ++t.data_column;
  if (t.data_column >= form_width() - 1) {
    draw_in_form(TERMINAL_ROW_DATA, LINE_START_COLUMN,
                 std::string(std::max(0, form_width() - LINE_START_COLUMN - 1), ' '));
    t.data_column = LINE_START_COLUMN;
  }
  show_port_bytes(TERMINAL_ROW_DATA, t.data_column, &byte, 1);
  ++t.received;
}

void read_port() {
  if (!g_terminal.port_open) return;
  uint8_t bytes[256];
  int n = 0;
  while ((n = serial_read(g_serial_link.port, bytes, sizeof bytes)) > 0) {
    for (int i = 0; i < n; ++i) show_received_byte(bytes[i]);
    show_count();
  }
}

void write_port(uint8_t byte) {
  if (g_terminal.port_open) serial_write(g_serial_link.port, &byte, 1);
}

void close_terminal_port() {
  if (g_terminal.port_open) close_serial_port(false, true);
  g_terminal.port_open = false;
  g_terminal.rts_on = false;
  g_terminal.dtr_on = false;
}

void apply_settings() {
  const TerminalSettings& t = g_terminal;
  if (!t.port_open) return;
  if (configure_terminal_port(t.speed_index, t.parity, t.data_bits, t.stop_bits) != 0) {
    show_text_box(("\n" + g_serial_link.open_failure + "\n\n").c_str(), TEXTBOX_PRESS_A_KEY);
  }
}

bool pointer_on_row(int row) {
  const TextWindow* w = form_window();
  const int ch = g_display.current.cell_height;
  return w != nullptr && ch > 0 && g_pointer.wanted_y / ch == w->top_row + row;
}

bool leaves_form(EventCode code) {
  return code == KEY_ESC || code == EVENT_RIGHT_DOWN || code == EVENT_QUIT;
}

// Reads the field's input with the terminal running and puts it back for the field's editor;
// a code that leaves the form is handed back instead (0: the editor may run).
EventCode wait_for_field() {
  const EventCode code = poll_terminal();
  if (leaves_form(code)) return code;
  push_input_code_front(code);
  return 0;
}

EventCode change_port() {
  if (const EventCode leave = wait_for_field(); leave != 0) return leave;
  uint8_t index = g_terminal.port_index;
  const EventCode result = pick_string_field(port_list_names(), "Port", g_field.display_row,
                                             g_field.value_column, &index, 5, "123456789");
  if (result >= 0 || index >= PORT_COUNT) return result;
  close_terminal_port();
  g_terminal.port_index = index;
  open_terminal(index + 1);
  return result;
}

EventCode change_choice(uint8_t* value, const char* letters, int count, bool pick) {
  if (const EventCode leave = wait_for_field(); leave != 0) return leave;
  uint8_t index = *value;
  const EventCode result =
      pick ? pick_string_field(PARITY_CHOICES, "Parity", g_field.display_row, g_field.value_column,
                               &index, 5, letters)
           : cycle_list_field(letters, &index, 0, 1);
  if (result < 0 && index < count) {
    *value = index;
    apply_settings();
  }
  return result;
}

EventCode change_speed() {
  if (const EventCode leave = wait_for_field(); leave != 0) return leave;
  uint8_t index = g_terminal.speed_index;
  const EventCode result = pick_baud(&index);
  if (result < 0) {
    g_terminal.speed_index = index;
    apply_settings();
  }
  return result;
}

// Rows 5-8: Enter (or a click on the row) acts.
EventCode line_field(int row) {
  for (;;) {
    EventCode code = poll_terminal();
    if (code == EVENT_LEFT_DOWN && pointer_on_row(row)) code = KEY_ENTER;
    if (code != KEY_ENTER) return code == EVENT_LEFT_DOWN ? pointer_row_to_keys() : code;
    TerminalSettings& t = g_terminal;
    switch (row) {
      case ROW_RTS:
        t.rts_on = !t.rts_on;
        serial_set_rts(g_serial_link.port, t.rts_on);
        break;
      case ROW_DTR:
        t.dtr_on = !t.dtr_on;
        serial_set_dtr(g_serial_link.port, t.dtr_on);
        break;
      case ROW_XON: write_port(t.xon); break;
      case ROW_XOFF: write_port(t.xoff); break;
      default: break;
    }
    return FIELD_CHANGED;
  }
}

EventCode count_field() {
  if (const EventCode leave = wait_for_field(); leave != 0) return leave;
  int32_t count = g_terminal.received;
  const EventCode result = edit_value_field({&count, 0}, FIELD_LONG, FIELD_OPTIONS_USUAL, 5);
  if (result < 0) g_terminal.received = static_cast<uint16_t>(std::clamp(count, 0, COUNT_MOST));
  return result;
}

void show_typed(uint8_t byte) {
  TerminalSettings& t = g_terminal;
  if (t.typing_column >= form_width() - 1) {
    draw_in_form(ROW_TYPING, LINE_START_COLUMN,
                 std::string(std::max(0, form_width() - LINE_START_COLUMN - 1), ' '));
    t.typing_column = LINE_START_COLUMN;
  }
  show_port_bytes(ROW_TYPING, t.typing_column, &byte, 1);
  ++t.typing_column;
}

// Row 10: what is typed goes out of the port.
EventCode typing_field() {
  const int ch = g_display.current.cell_height;
  const TextWindow* w = form_window();
  for (;;) {
    const EventCode code = poll_terminal();
    int byte = -1;
    if (code > 0 && code < 256 && code != KEY_ESC) byte = code;
    else if (code >= EVENT_ALT_KEYPAD_BASE && code < EVENT_ALT_KEYPAD_BASE + 256)
      byte = code - EVENT_ALT_KEYPAD_BASE;
    else if (code > KEY_CTRL_BASE + 64 && code <= KEY_CTRL_BASE + 90)
      byte = code - KEY_CTRL_BASE - 64;
    if (byte >= 0) {
      write_port(static_cast<uint8_t>(byte));
      show_typed(static_cast<uint8_t>(byte));
      continue;
    }
    if (code == EVENT_POINTER_MOVE) {
      // Up by more than half a cell leaves the field upward.
      if (w != nullptr && ch > 0 && g_pointer.wanted_y < (w->top_row + ROW_TYPING) * ch - ch / 2)
        return KEY_UP;
      continue;
    }
    return code;
  }
}

EventCode edit_row(int row) {
  TerminalSettings& t = g_terminal;
  if (row >= FIRST_PORT_ROW && !t.port_open) return KEY_UP;
  switch (row) {
    case ROW_PORT: return change_port();
    case ROW_SPEED: return change_speed();
    case ROW_PARITY: return change_choice(&t.parity, "NOE", 3, true);
    case ROW_DATA_BITS: return change_choice(&t.data_bits, "78", 2, false);
    case ROW_STOP_BITS: return change_choice(&t.stop_bits, "12", 2, false);
    case ROW_RTS:
    case ROW_DTR:
    case ROW_XON:
    case ROW_XOFF: return line_field(row);
    case ROW_COUNT_FIELD: return count_field();
    case ROW_TYPING: return typing_field();
    default: return KEY_UP;  // the modem and data rows below the fields are not fields
  }
}

void show_rows() {
  const TerminalSettings& t = g_terminal;
  char text[32];
  if (t.port_open) std::snprintf(text, sizeof text, "COM%d", t.port_index + 1);
  show_text_value(t.port_open ? text : t.closed_text.c_str(), 8);
  show_text_value(SPEED_NAMES[std::min<int>(t.speed_index, SPEED_COUNT - 1)], 5);
  show_text_value(PARITY_NAMES[std::min<int>(t.parity, 2)], 5);
  std::snprintf(text, sizeof text, "%d", t.data_bits == 0 ? 7 : 8);
  show_text_value(text, 1);
  std::snprintf(text, sizeof text, "%d", t.stop_bits == 0 ? 1 : 2);
  show_text_value(text, 1);
  show_text_value(ON_OFF[t.rts_on ? 1 : 0], 3);
  show_text_value(ON_OFF[t.dtr_on ? 1 : 0], 3);
  show_int_value(t.xon, 3);
  show_int_value(t.xoff, 3);
  std::snprintf(text, sizeof text, "%5u ", static_cast<unsigned>(t.received));
  show_text_value(text, 6);
  skip_field_display();
}

std::string closed_port_text() {
  std::vector<std::string> lines;
  message_lines_to_array(MSG_TERMINAL_PORT_CLOSED, &lines, 1);
  return lines.empty() ? std::string() : lines[0];
}

}  // namespace

// ---- The form -----------------------------------------------------------------------------------

EventCode terminal_field() {
  const EventCode result = edit_current_field(edit_row);
  if (result == FORM_FIRST_PASS) show_modem_lines();
  show_every_field(show_rows);
  return end_field_handler(result);
}

void run_serial_terminal() {
  if (transfer_active()) {
    serial_status(1);
    return;
  }
  scan_com_ports();
  TerminalSettings& t = g_terminal;
  t.received = 0;
  t.typing_column = LINE_START_COLUMN;
  t.data_column = LINE_START_COLUMN;
  t.modem_shown_ms = clock_now_ms();
  t.closed_text = closed_port_text();
  g_field.next_extra_lines = TERMINAL_EXTRA_ROWS;
  g_field.next_label_width = widest_form_label(MSG_FORM_SERIAL_TERMINAL);
  run_dialog(MSG_FORM_SERIAL_TERMINAL, terminal_field);
  // Leaving, however it happens, drops DTR and RTS and lets the port go.
  close_terminal_port();
}

int open_terminal(int port_number) {
  TerminalSettings& t = g_terminal;
  t.rts_on = false;
  t.dtr_on = false;
  if (open_terminal_port(port_number, t.speed_index, t.parity, t.data_bits, t.stop_bits) != 0) {
    t.port_open = false;
    std::vector<std::string> lines;
    message_lines_to_array(MSG_PORT_NOT_OPENED, &lines, 30);
    std::string text;
    for (const std::string& line : lines) {
      if (!line.empty()) text += line + "\n";
    }
    text += "\n" + g_serial_link.open_failure + "\n";
    show_text_box(text.c_str(), TEXTBOX_PRESS_A_KEY);
    return -1;
  }
  t.port_open = true;
  t.rts_on = true;
  t.dtr_on = true;
  return 0;
}

EventCode poll_terminal() {
  // The terminal keeps reading whether or not the timer's ticks reach the queue (they do not
  // while the pointer is away), so it waits a tick at a time itself.
  for (;;) {
    read_port();
    EventCode code = poll_input_code(0);
    if (code == 0) {
      pump_wait(static_cast<int>(TICK_MS));
      read_port();
      code = poll_input_code(0);
    }
    if (code == 0 || code == EVENT_TICK) {
      const uint32_t now = clock_now_ms();
      if (now - g_terminal.modem_shown_ms >= TERMINAL_MODEM_TICKS * TICK_MS) {
        g_terminal.modem_shown_ms = now;
        show_modem_lines();
      }
      continue;
    }
    if (code >= EVENT_CTRL_DOWN && code <= KEY_CTRL_BASE + 64) continue;
    return code;
  }
}

void show_port_bytes(int row, int column, const uint8_t* bytes, int count) {
  std::string text;
  for (int i = 0; i < count; ++i) {
    const uint8_t c = bytes[i];
    if (c == 0) {
      text.push_back(' ');
    } else if (c < ' ') {
      text.push_back(static_cast<char>(GLYPH_ESCAPE));
      text.push_back(static_cast<char>(c + GLYPH_OFFSET));
    } else {
      text.push_back(static_cast<char>(c));
    }
  }
  draw_in_form(row, column, text);
}

void reset_terminal() { g_terminal = TerminalSettings(); }
