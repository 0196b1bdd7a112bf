// Serial ports: the machine link's one door to the system. A port is a terminal device opened
// raw, for this program alone, and driven byte by byte: settings, reading and writing without
// ever blocking, the output and input queues, the DTR and RTS lines, the modem status, purging,
// and a wait on the port that the transfer loops use instead of spinning.
//
// Flow control stays the kernel's: XON/XOFF (IXON, IXOFF) or RTS/CTS (CRTSCTS). The kernel gives
// no query of a hold; a hold is a write that does not go through, or an output queue that does
// not drain. A pseudo-terminal has no modem lines, always keeps 8 bits without parity and counts
// no output queue: the test hooks at the end record what was asked of the port and script the
// modem lines.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

// ---- Settings -----------------------------------------------------------------------------------

enum class SerialParity : uint8_t { NONE, ODD, EVEN };
enum class SerialFlow : uint8_t {
  NONE,      // no flow control
  XON_XOFF,  // XON/XOFF both ways: received XOFF holds output, a full input queue sends XOFF
  RTS_CTS,   // CTS holds output, RTS is raised
};

struct SerialSettings {
  uint32_t baud = 9600;                      // bits per second: a standard rate of the system
  uint8_t data_bits = 8;                     // 5..8
  SerialParity parity = SerialParity::NONE;
  uint8_t stop_bits = 1;                     // 1 or 2
  SerialFlow flow = SerialFlow::NONE;
};

// ---- Opening and closing --------------------------------------------------------------------------

// Why an open failed.
enum class SerialRefusal : uint8_t {
  NONE,
  MISSING,     // no such device
  PERMISSION,  // the user may not open it (not in the device's group)
  BUSY,        // another program holds it
  NOT_SERIAL,  // the path is not a terminal device
  OTHER,
};

struct SerialOpenError {
  SerialRefusal refusal = SerialRefusal::NONE;
  std::string reason;  // the system's words ("Permission denied")
};

// A handle of an open port; SERIAL_NO_PORT while none is open.
using SerialHandle = int;
constexpr SerialHandle SERIAL_NO_PORT = -1;

// Opens the device for reading and writing without making it the controlling terminal, without
// blocking, exclusively (TIOCEXCL and an flock, so a second opener is refused); serial_configure
// sets it up. SERIAL_NO_PORT with *error filled when it cannot be had.
SerialHandle serial_open(const std::string& device, SerialOpenError* error);
// Applies the settings (raw, CLOCAL, CREAD, reads return at once). False when the system refuses
// them or the speed reads back different; the port stays open then, for the caller to close.
bool serial_configure(SerialHandle port, const SerialSettings& settings);
// Gives up the exclusive hold and closes. SERIAL_NO_PORT does nothing.
void serial_close(SerialHandle port);

// ---- Data ---------------------------------------------------------------------------------------

// Reads what is waiting, at most `count` bytes. 0 when nothing waits; -1 when the port failed or
// is gone (a device unplugged, the other end of a pseudo-terminal closed).
int serial_read(SerialHandle port, uint8_t* bytes, int count);
// Writes as many of the bytes as go through now. 0 when none went (a hold, or the queue is
// full); -1 when the port failed or is gone. Never blocks.
int serial_write(SerialHandle port, const uint8_t* bytes, int count);

// serial_wait events and results
constexpr int SERIAL_READABLE = 1;
constexpr int SERIAL_WRITABLE = 2;
constexpr int SERIAL_GONE = 4;   // result only: the port failed or hung up
// Waits at most timeout_ms (0: only looks) until one of the asked events holds; the events that
// hold, 0 when none came in time.
int serial_wait(SerialHandle port, int events, int timeout_ms);

// Bytes written but not yet sent, and bytes received but not yet read; -1 when unreadable.
int serial_output_queued(SerialHandle port);
int serial_input_queued(SerialHandle port);
// Drops what waits in the input queue, the output queue, or both.
bool serial_purge(SerialHandle port, bool input, bool output);
// XON/XOFF on output by hand: off, received XON and XOFF are read as data (waiting for a first
// XON reads them itself, since a received XON does not lift a hold the program set).
bool serial_set_output_flow(SerialHandle port, bool xon_xoff);

// ---- Lines --------------------------------------------------------------------------------------

bool serial_set_dtr(SerialHandle port, bool on);
bool serial_set_rts(SerialHandle port, bool on);

// Modem status bits
constexpr int SERIAL_CTS = 0x10;
constexpr int SERIAL_DSR = 0x20;
constexpr int SERIAL_RING = 0x40;
constexpr int SERIAL_RLSD = 0x80;  // carrier detect
// The modem lines as SERIAL_* bits; -1 when the port has none to tell (a pseudo-terminal).
int serial_modem_status(SerialHandle port);

// ---- Test hooks ---------------------------------------------------------------------------------

// What was asked of ports, one text per request, in order:
//   "open DEVICE", "close", "configure BAUD DATA PARITY STOP FLOW" (parity N, O or E; flow
//   none, xon/xoff or rts/cts), "dtr 1", "rts 0", "purge in out", "output-flow 1".
// The modem status answers the scripted value while it is 0 or more; a test's machine thread
// may change it while the program runs.
struct SerialHooks {
  std::vector<std::string> requests;
  std::atomic<int> scripted_modem_status{-1};
};
extern SerialHooks g_serial_hooks;
// The settings as a configure request's text.
std::string serial_settings_text(const SerialSettings& settings);
void reset_serial_hooks();
