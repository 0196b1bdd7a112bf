// The machine link: one serial port at a time carries NC programs to a machine control, a
// transfer box or another computer (a send) or brings them back into a file (a receive), with
// the settings of a communication protocol. Only one transfer runs at a time.
//
// This is the headless engine. A send is a producer of bytes (start string, man-readable leader,
// the program filtered for the device, end string, blank-tape trailer) written in steps that
// never block: the command that starts it runs the steps with its status window, and the 55 ms
// timer runs them once that window is hidden (serial_send_tick). A receive is read into a ring
// by the timer (serial_receive_tick) and written to its file, piece by piece, by whoever looks
// on. Holds are waited out, never skipped: a byte is written or the transfer ends, and a port
// that fails ends it with the bytes counted so far and says so.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "nc/comm_protocol.h"
#include "platform/serial.h"
#include "store/line_list.h"

// ---- Constants ----------------------------------------------------------------------------------
constexpr uint8_t XON_BYTE = 17;
constexpr uint8_t XOFF_BYTE = 19;
constexpr int SEND_QUEUE_LIMIT = 3000;         // bytes queued for output that hold the sender
constexpr int SEND_TICK_QUEUE_LOW = 20;        // the timer sends more below this many queued
constexpr int SEND_KEY_CHECK_BYTES = 256;      // bytes between two looks at the keyboard
constexpr int RECEIVE_RING_SIZE = 12000;
constexpr int RECEIVE_RING_SIZE_NO_HANDSHAKE = 31000;
constexpr int IDLE_NOTICE_SECONDS = 3;         // silence before the idle notice
constexpr int64_t IDLE_SAVE_MIN_BYTES = 40;    // a receive saves by itself only past this
constexpr int RECEIVE_DATA_LINE_WIDTH = 30;    // bytes of a piece shown on the data line
constexpr int RECEIVE_DATA_LINE_MIN = 7;       // shortest piece shown
constexpr int EVENT_RECEIVE_AUTO_SAVE = 349;   // posted when a silent receive should save
constexpr char EDITOR_SOURCE_NAME[] = "File in Edit Window";
constexpr char TRANSFER_BOX_REQUEST_FORMAT[] = "%%\r\nO8888\r\nN%04d\r\nM30\r\n%%\r\n\x11";

// ---- State --------------------------------------------------------------------------------------

// Where the bytes of a send come from: editor lines (copied when the send starts, so an edit
// meanwhile cannot pull them away) or a file read as it goes.
enum class SendPhase : uint8_t { START_STRING, LEADER, SOURCE, END_STRING, TRAILER, DONE };

struct SendState {
  SendPhase phase = SendPhase::DONE;
  bool from_editor = false;
  std::string editor_text;        // the lines' texts one after another (line ends as '\n')
  size_t editor_at = 0;           // next byte of editor_text
  std::FILE* file = nullptr;      // the file sent, while open
  std::string file_path;
  std::vector<uint8_t> file_chunk;  // read ahead from the file
  size_t chunk_at = 0;
  std::string start_string;       // expanded caret escapes
  std::string end_string;
  size_t string_at = 0;           // next byte of the string being sent
  std::string leader;             // the man-readable leader's bytes, sent once
  size_t leader_at = 0;
  int64_t trailer_left = 0;       // NULs of the trailer still to send
  // The device filter.
  bool line_start = true;         // the next source byte starts a line
  bool drop_line = false;         // a comment line: dropped with its line end
  bool swallow_lf = false;        // a dropped line ended in CR: its LF goes too
  bool drop_rest = false;         // Bandit: the rest of the line after a comment character
  bool drop_l_digits = false;     // Bandit: an L word being dropped
  bool spaces_kept = false;       // an apostrophe or '*' began a comment: spaces go out
  bool last_was_line_end = false; // Bandit: the last byte sent ended a line
  bool pending_cr = false;        // editor text: a CR waits to see whether a LF follows
  // Writing.
  std::string pending;            // produced, not yet through the port
  size_t pending_at = 0;
  uint32_t next_due_ms = 0;       // a character delay runs until then
  bool delay_running = false;
  bool got_first_xon = true;      // wait-for-XON mode: false until the device's first XON
  bool producer_done = false;     // every byte has been produced
};

struct SerialLink {
  SerialHandle port = SERIAL_NO_PORT;
  int port_number = 0;              // 1..9 of the open port
  std::string device;               // its device path
  uint32_t baud = 0;                // its speed in bits per second
  std::string open_failure;         // why the last open failed: device and the system's words
  bool receive_active = false;
  bool send_active = false;
  bool sender_running = false;      // the command that started the send runs its steps
  bool tick_busy = false;           // a timer step is under way (re-entry guard)
  bool status_shown = false;        // a status window looks on (the interface sets it)
  // From the protocol.
  uint8_t device_type = DEVICE_CNC;
  uint8_t char_delay_ms = 0;        // the low byte of the protocol's delay
  bool eia = false;
  bool keep_spaces = false;
  bool cts_mode = false;            // handshake Hardware
  bool wait_for_xon = false;        // handshake Wait for XON
  bool cts_hold = false;            // the last step was held by CTS
  bool xoff_hold = false;           // the last step was held: a write did not go through, or
                                    // the first XON has not come
  uint8_t auto_save_seconds = 0;
  std::string protocol_name;
  // Send.
  SendState send;
  int64_t estimate = 0;             // bytes the send is expected to take
  int64_t bytes_sent = 0;           // bytes that went through the port
  std::string send_name;            // the file sent, or EDITOR_SOURCE_NAME
  bool folder_send = false;         // one file of a folder: no finished notice
  std::string failure;              // why the transfer ended early (shown to the user)
  // Receive.
  std::FILE* receive_file = nullptr;
  std::string receive_path;
  std::vector<uint8_t> ring;        // received, not yet written to the file
  size_t ring_read = 0;             // oldest unwritten byte
  size_t ring_count = 0;            // bytes in the ring; never more than its size
  int64_t bytes_received = -1;      // written to the file so far; -1 before any receive
  uint32_t last_byte_ms = 0;        // clock time of the last byte received
  bool idle_shown = false;          // the idle notice is shown
  bool idle_save_posted = false;    // the auto-save event went out for this silence
  bool port_lost = false;           // the port failed under the receive
  std::string data_line;            // the data line of the status window (30 cells)
  std::string idle_line;            // the idle notice, empty when none
  // What the status window reports once nothing runs.
  int64_t last_bytes_received = -1;
  std::string last_received_file;
  int64_t last_bytes_sent = -1;
  std::string last_sent_file;
};
extern SerialLink g_serial_link;

// 1 while a send or a receive runs.
bool transfer_active();

// ---- Ports ----------------------------------------------------------------------------------------
// Opens COMn (1..9, its device from the port table) with the protocol's values: speed index,
// parity code, data-bits code, stop bits, handshake. DTR is raised, and RTS for the hardware
// handshake. 0, or -1 with the device and the system's reason in g_serial_link.open_failure
// (the port closed again).
int open_serial_port(int port_number, int speed_index, uint8_t parity, uint8_t data_bits_code,
                     uint8_t stop_bits, uint8_t handshake);
// Why COMn could not be had: the port, its device and the system's reason, and for a refusal of
// permission what the user can do about it.
std::string port_refusal_text(int port_number, const std::string& device,
                              const SerialOpenError& error);
// Opens the port for a terminal: parity 0-2 (none, odd, even), data bits 0-1 (seven, eight),
// stop bits 0-1 (one, two), RTS and DTR on, no flow control.
int open_terminal_port(int port_number, int speed_index, int parity, int data_bits, int stop_bits);
// Applies new terminal settings to the open port: 0, or -1 with open_failure set.
int configure_terminal_port(int speed_index, int parity, int data_bits, int stop_bits);
// Closes the port: drops what waits to be read (and, with drop_output, what waits to go out),
// clears DTR and RTS, closes. With free, a receive's file is closed and its ring freed. The
// transfer flags are cleared.
void close_serial_port(bool free, bool drop_output);
// The settings of a protocol as a port takes them.
SerialSettings protocol_port_settings(const CommProtocol& protocol);

// ---- Sending --------------------------------------------------------------------------------------
struct SendRequest {
  const CommProtocol* protocol = nullptr;
  std::string protocol_name;
  TextLine* from = nullptr;          // editor lines from `from` up to (not including) `to`
  TextLine* to = nullptr;
  std::string unread_file;           // the file whose unread parts the editor lines stand for
  std::string file_path;             // or a file (when from is null)
  std::string leader_text;           // the man-readable characters, when the start string asks
  bool folder_send = false;
};
// The bytes editor lines take: their texts and one more for each line end (sent as CR LF);
// folded and unread runs count with the bytes they hold.
int64_t count_send_bytes(TextLine* from, TextLine* to);
// Starts a send: copies or opens the source, takes the protocol's values, opens the port. 0, or
// -1 with the reason in g_serial_link.failure (a source that cannot be read) or open_failure
// (a port that cannot be opened).
int begin_send(const SendRequest& request);

enum class SendStep : uint8_t {
  WROTE,     // bytes went out; more can follow
  PAUSED,    // a character delay runs until send.next_due_ms
  HELD,      // the port takes nothing now (see cts_hold and xoff_hold)
  DRAINING,  // everything is written; the output queue still holds bytes
  DONE,      // everything is written and sent
  FAILED,    // the port or the source failed: g_serial_link.failure says why
};
// Writes up to `most` bytes without blocking. `now_ms` is the clock the character delay counts in.
SendStep send_some(int most, uint32_t now_ms);
// Waits at most timeout_ms for what held the last step: the port to take bytes, the first XON,
// CTS, or the output queue to drain (a plain wait then). -1 when the port is gone, else 0.
int wait_for_port(int timeout_ms);
// Ends the send: closes the port and the source and keeps the counts for the report. After an
// abort or a failure what still waited to go out is dropped.
void end_send(bool completed);
// The timer's step of a send the command no longer runs: 1 when no send is active, else 0.
int serial_send_tick();

// ---- Receiving ------------------------------------------------------------------------------------
// Starts a receive into `path` (created, truncated) with the protocol's values. 0; -1 with
// g_serial_link.failure (the file) or open_failure (the port) when it cannot start. The file is
// gone again when the port failed.
int begin_receive(const CommProtocol& protocol, const std::string& protocol_name,
                  const std::string& path);
// The request a transfer box is sent for program `number`.
std::string transfer_box_request(int number);
// Writes bytes to the open port, waiting out holds for at most limit_ms. False when not all went.
bool write_port_bytes(const std::string& bytes, int limit_ms);
// Reads what waits at the port into the ring; a full ring is written to the file first, so no
// byte is ever overwritten. -1 when the port failed (port_lost is set), else 0.
int read_port_bytes(uint32_t now_ms);
// Writes the ring to the file. 1 without a receive, 0 written, -1 when the file write failed.
int flush_receive_buffer();
// The timer's step of a receive: reads the port (and writes the ring to the file when no status
// window does it), watches the silence (idle notice from 3 s
// when more than 40 bytes were written; the auto-save event once the protocol's seconds have
// passed; XON each tick while nothing has come, unless in CTS mode). Out of sight, a port that
// failed or a silence long enough ends the receive here, keeping the file.
void serial_receive_tick();
// Seconds since the last byte (whole seconds; no wrap in any realistic run).
int receive_silence_seconds(uint32_t now_ms);
// Ends the receive: with save the ring is written and the file kept, else the file is deleted.
// Returns the bytes kept (0 when deleted).
int64_t end_receive(bool save);

// ---- Test hooks ---------------------------------------------------------------------------------
// Closes what is open (without saving a receive's ring) and forgets everything.
void reset_serial_link();
