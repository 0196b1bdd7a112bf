// The serial terminal (catalogue form 607): a test bench for the cable and the machine's port
// settings. The user opens one of COM1-COM9 with settings of the terminal's own, changes them on
// the open port, switches RTS and DTR, sends XON or XOFF, watches the modem lines and every byte
// received with a running count, and types bytes that go straight out. It shares the port and
// the port list with the transfers, so it does not open while a transfer runs.
#pragma once

#include <cstdint>
#include <string>

#include "screen/event_queue.h"

struct TerminalSettings {
  uint8_t port_index = 0;        // 0-8 for COM1-COM9
  uint8_t speed_index = 2;       // into the speed table (1200)
  uint8_t parity = 0;            // 0 none, 1 odd, 2 even
  uint8_t data_bits = 1;         // 0 seven, 1 eight
  uint8_t stop_bits = 0;         // 0 one, 1 two
  bool rts_on = false;
  bool dtr_on = false;
  uint8_t xon = 17;              // sent by the XON field
  uint8_t xoff = 19;             // sent by the XOFF field
  uint16_t received = 0;         // bytes received, shown "%5u "; the user may set it
  int typing_column = 6;         // where the next typed byte is shown on the typing row
  int data_column = 6;           // where the last received byte was shown on the data row
  bool port_open = false;        // the terminal has the port open
  uint32_t modem_shown_ms = 0;   // clock time the modem lines were last read and shown
  std::string closed_text;       // what the port field shows while no port is open
};
extern TerminalSettings g_terminal;

// Rows of the form below its fields.
constexpr int TERMINAL_ROW_COUNT = 9;
constexpr int TERMINAL_ROW_TYPING = 10;
constexpr int TERMINAL_ROW_MODEM = 11;
constexpr int TERMINAL_ROW_DATA = 12;
constexpr int TERMINAL_EXTRA_ROWS = 2;
constexpr uint32_t TERMINAL_MODEM_TICKS = 7;   // the modem lines are read every seventh tick

// Runs form 607; the port is closed again when it ends, whatever ends it.
void run_serial_terminal();
// The form's field handler.
EventCode terminal_field();
// Opens COMn (1-9) for the terminal: its parity 0-2, data bits 0-1 and stop bits 0-1, RTS and
// DTR on, no flow control. 0 or -1 (the reason shown).
int open_terminal(int port_number);
// The next input code; meanwhile received bytes are shown and counted and the modem lines read.
// Modifier codes and codes 446-576 are taken and dropped.
EventCode poll_terminal();
// Writes bytes at a cell of the form: a NUL as a blank, a control character as its glyph.
void show_port_bytes(int row, int column, const uint8_t* bytes, int count);

// Test hooks
void reset_terminal();
