// Communication protocols: the named serial settings of one machine or transfer device (port,
// speed, framing, handshake, pacing, the texts sent before and after a program, the kind of
// device and the folder received programs go to), and the protocol file that keeps them,
// KR_SERIt.KR4 in the program folder.
//
// File (little-endian): the 9-byte tag "SI041697\r" (read, never compared), then per protocol a
// 40-byte name field (the name, its NUL, zero filler) and the 346-byte record. No count: the
// file ends after its last protocol.
//
// The program's protocols are one list: each line's text is a protocol's name, its extra block
// the CommProtocol, its id the line's place (1..n).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/files.h"
#include "store/line_list.h"

// ---- Files and sizes ------------------------------------------------------------------------------
constexpr char PROTOCOL_FILE_NAME[] = "KR_SERIt.KR4";
constexpr char PROTOCOL_FILE_TAG[] = "SI041697\r";
constexpr size_t PROTOCOL_FILE_TAG_SIZE = 9;
constexpr size_t PROTOCOL_NAME_FIELD_SIZE = 40;
constexpr int PROTOCOL_NAME_MAX = 39;          // characters of a name
constexpr size_t PROTOCOL_RECORD_SIZE = 346;
constexpr size_t PROTOCOL_STRING_SIZE = 31;    // start and end strings: 30 characters and a NUL
constexpr size_t PROTOCOL_FOLDER_SIZE = 266;   // the default folder with its NUL
constexpr char PROTOCOL_DEFAULT_NAME[] = "COM2, 2400 baud";

// ---- Record values --------------------------------------------------------------------------------
constexpr int SPEED_COUNT = 10;
constexpr int PORT_COUNT = 9;                  // COM1-COM9
constexpr uint8_t PARITY_CODE_NONE = 0;
constexpr uint8_t PARITY_CODE_ODD = 8;
constexpr uint8_t PARITY_CODE_EVEN = 24;       // and every other value
constexpr uint8_t HANDSHAKE_SOFTWARE = 0;      // XON/XOFF
constexpr uint8_t HANDSHAKE_HARDWARE = 1;      // CTS
constexpr uint8_t HANDSHAKE_NONE = 2;
constexpr uint8_t HANDSHAKE_WAIT_FOR_XON = 3;  // XON/XOFF, nothing sent before the first XON
constexpr int HANDSHAKE_COUNT = 4;
constexpr uint8_t DATA_BITS_CODE_7 = 2;        // data bits = code + 5
constexpr uint8_t DATA_BITS_CODE_8 = 3;
constexpr uint8_t DATA_BITS_CODE_MAX = 3;
constexpr uint8_t STOP_BITS_ONE = 0;           // any other value: two
constexpr uint8_t STOP_BITS_TWO = 4;
constexpr uint8_t DEVICE_CNC = 0;              // ASCII data only
constexpr uint8_t DEVICE_TRANSFER_BOX = 1;     // sent a program request when a receive starts
constexpr uint8_t DEVICE_COMPUTER = 2;         // file bytes go unchanged
constexpr uint8_t DEVICE_BANDIT_MILL = 3;      // comments, L words and empty lines removed
constexpr uint8_t DEVICE_BANDIT_LATHE = 4;
constexpr int DEVICE_COUNT = 5;

// Names shown (the speed names as the lists show them, padded to five cells).
extern const char* const SPEED_NAMES[SPEED_COUNT];
extern const char* const PARITY_NAMES[3];       // "None", "Odd", "Even"
extern const char* const HANDSHAKE_NAMES[HANDSHAKE_COUNT];
extern const char* const DEVICE_NAMES[DEVICE_COUNT];

// One protocol, in record order (stored offsets given per field).
struct CommProtocol {
  uint8_t reserved_0[4] = {};        // +0 kept as read
  uint8_t auto_save_seconds = 0;     // +4 silence that ends a receive with a save; 0 = never
  uint8_t baud_index = 3;            // +5 0..9 into the speed table
  uint8_t port_index = 1;            // +6 0..8 for COM1-COM9
  uint8_t parity = PARITY_CODE_EVEN; // +7 0 none, 8 odd, any other value even
  uint8_t handshake = HANDSHAKE_SOFTWARE;  // +8 HANDSHAKE_*
  uint8_t data_bits_code = DATA_BITS_CODE_7;  // +9 data bits - 5
  uint8_t stop_bits = STOP_BITS_ONE; // +10 0 one stop bit, any other value two
  uint8_t reserved_11 = 0;           // +11 kept as read
  int16_t char_delay_ms = 0;         // +12 pause after each character (five times after a line
                                     //     end); the sender uses the low byte
  char start_string[PROTOCOL_STRING_SIZE] = {};     // +14 NUL-ended, caret escapes and '~' codes
  char end_string[PROTOCOL_STRING_SIZE] = "^M^J";   // +45 NUL-ended
  uint8_t keep_spaces = 0;           // +76 0 no, 1 yes
  uint8_t eia_code = 0;              // +77 0 no, 1 yes: sent in the EIA punched-tape code
  uint8_t reserved_78 = 0;           // +78 kept as read
  uint8_t device_type = DEVICE_CNC;  // +79 DEVICE_*
  char default_folder[PROTOCOL_FOLDER_SIZE] = {};   // +80 NUL-ended
};

// ---- The record ---------------------------------------------------------------------------------
// The default protocol: "COM2, 2400 baud", 7 bits, even parity, one stop bit, software
// handshake, end string "^M^J", everything else 0.
CommProtocol new_protocol();
// Reads the 346 stored bytes: an index out of its range (speed, port, handshake, data bits,
// device) takes the default's value, and every text ends in a NUL.
void read_protocol_record(const uint8_t in[PROTOCOL_RECORD_SIZE], CommProtocol* protocol);
// Writes the 346 stored bytes as they are held.
void write_protocol_record(const CommProtocol& protocol, uint8_t out[PROTOCOL_RECORD_SIZE]);

// Values as a port is opened with them.
uint32_t protocol_baud(const CommProtocol& protocol);   // bits per second
int protocol_data_bits(const CommProtocol& protocol);   // 5..8
// 0 none, 1 odd, 2 even: the parity choice the code stands for.
int parity_choice(uint8_t parity_code);
uint8_t parity_code_of_choice(int choice);
int protocol_stop_bits(const CommProtocol& protocol);   // 1 or 2
// The bits per second of a speed index (the top index runs at 115200, 8 at 57600).
uint32_t speed_of_index(int index);

// ---- Entries ------------------------------------------------------------------------------------
// The protocol of a line; null when it holds none.
CommProtocol* protocol_of(TextLine* line);
const CommProtocol* protocol_of(const TextLine* line);
// Appends to the current list a line named `name` (cut to 39 characters) holding the protocol.
// Null when memory runs out.
TextLine* append_protocol(const char* name, const CommProtocol& protocol);

// ---- The file -----------------------------------------------------------------------------------
enum ProtocolReadResult {
  PROTOCOL_READ_OK = 0,         // every protocol read
  PROTOCOL_READ_CUT_SHORT = 1,  // the file ends inside a protocol: the whole ones were kept
  PROTOCOL_READ_NO_FILE = -1,   // missing or unreadable: nothing read
  PROTOCOL_READ_EMPTY = -2,     // no whole protocol after the tag (or no whole tag)
};
// Reads the protocols of a file. When at least one was read *list receives them (its former
// lines are freed), numbered 1..n; otherwise *list is left as it was.
ProtocolReadResult read_protocol_file(const std::string& path, LineList* list);
// The same from bytes in memory (the fuzz target's road).
ProtocolReadResult read_protocol_bytes(const uint8_t* data, size_t size, LineList* list);
// Writes the tag and every line from `first` on that has a name and a record.
bool write_protocol_file(SaveFile* file, const TextLine* first);

// ---- The program's list -------------------------------------------------------------------------
struct ProtocolList {
  LineList lines;                  // the protocols in the user's order; never empty once loaded
  std::string file_path;           // the file read at start-up and written back
  int16_t last_chosen_id = 0;      // id of the protocol chosen last; the list opens on it
  bool modified = false;           // edited since the last save
  ProtocolReadResult last_read = PROTOCOL_READ_NO_FILE;
};
extern ProtocolList g_protocols;

// Reads the file in `folder` (found ignoring case) into the list; a missing or damaged file gives
// the single default protocol, silently. Frees a list read before.
void read_protocols(const std::string& folder);
// Writes the list back through the safe save. 0 written, 27 not written (the changes stay in
// the list, still marked modified; the reason goes to the host).
int write_protocols();
// Frees the list.
void free_protocols();
// An empty list gets one default protocol.
void ensure_a_protocol(LineList* list);

// Test hooks
void reset_protocols();
