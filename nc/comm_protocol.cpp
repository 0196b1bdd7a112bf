// Communication protocols: the record, the file and the program's list.
#include "nc/comm_protocol.h"

#include <cstdio>
#include <cstring>

#include "nc/serial_host.h"
#include "store/record_bytes.h"

ProtocolList g_protocols;

const char* const SPEED_NAMES[SPEED_COUNT] = {"  300", "  600", " 1200", " 2400", " 4800",
                                              " 9600", " 19 K", " 38 K", " 57 K", " 115K"};
const char* const PARITY_NAMES[3] = {"None", "Odd", "Even"};
const char* const HANDSHAKE_NAMES[HANDSHAKE_COUNT] = {"Software", "Hardware", "None",
                                                      "Wait for XON"};
const char* const DEVICE_NAMES[DEVICE_COUNT] = {"CNC (ASCII data only)", "Lil' Devil transfer box",
                                                "Computer (possibly non-ASCII)", "Bandit 1 Mill",
                                                "Bandit 1 Lathe"};

namespace {

// Speed index 8 is named 57 K: a control at "57 K" runs at 57600 (56000 matches none).
constexpr uint32_t SPEEDS[SPEED_COUNT] = {300,   600,   1200,  2400,  4800,
                                          9600,  19200, 38400, 57600, 115200};

constexpr size_t OFFSET_AUTO_SAVE = 4;
constexpr size_t OFFSET_BAUD = 5;
constexpr size_t OFFSET_PORT = 6;
constexpr size_t OFFSET_PARITY = 7;
constexpr size_t OFFSET_HANDSHAKE = 8;
constexpr size_t OFFSET_DATA_BITS = 9;
constexpr size_t OFFSET_STOP_BITS = 10;
constexpr size_t OFFSET_RESERVED_11 = 11;
constexpr size_t OFFSET_DELAY = 12;
constexpr size_t OFFSET_START = 14;
constexpr size_t OFFSET_END = 45;
constexpr size_t OFFSET_KEEP_SPACES = 76;
constexpr size_t OFFSET_EIA = 77;
constexpr size_t OFFSET_RESERVED_78 = 78;
constexpr size_t OFFSET_DEVICE = 79;
constexpr size_t OFFSET_FOLDER = 80;
static_assert(OFFSET_FOLDER + PROTOCOL_FOLDER_SIZE == PROTOCOL_RECORD_SIZE);

uint8_t index_or_default(uint8_t value, int count, uint8_t fallback) {
  return value < count ? value : fallback;
}

// Lines read into a list of their own, handed over only when at least one was read.
struct ProtocolBuilder {
  ProtocolBuilder() {
    push_list();
    clear_current_list();
  }
  ~ProtocolBuilder() {
    free_current_list();
    pop_list();
  }
  bool add(const uint8_t* name_field, const uint8_t* record) {
    char name[PROTOCOL_NAME_FIELD_SIZE];
    get_text_field(name_field, name, sizeof name);
    CommProtocol protocol;
    read_protocol_record(record, &protocol);
    return append_protocol(name, protocol) != nullptr;
  }
  ProtocolReadResult hand_over(ProtocolReadResult result, LineList* list) {
    if (g_lists.current.first == nullptr) return PROTOCOL_READ_EMPTY;
    renumber_lines();
    const LineList read = g_lists.current;
    clear_current_list();
    free_list(list->first);
    *list = read;
    return result;
  }
};

bool save_bytes(SaveFile* file, const void* bytes, size_t count) {
  return save_write(file, bytes, count);
}

}  // namespace

// ---- The record ---------------------------------------------------------------------------------

CommProtocol new_protocol() { return CommProtocol{}; }

void read_protocol_record(const uint8_t in[PROTOCOL_RECORD_SIZE], CommProtocol* p) {
  const CommProtocol fallback;
  std::memcpy(p->reserved_0, in, sizeof p->reserved_0);
  p->auto_save_seconds = in[OFFSET_AUTO_SAVE];
  p->baud_index = index_or_default(in[OFFSET_BAUD], SPEED_COUNT, fallback.baud_index);
  p->port_index = index_or_default(in[OFFSET_PORT], PORT_COUNT, fallback.port_index);
  p->parity = in[OFFSET_PARITY];
  p->handshake = index_or_default(in[OFFSET_HANDSHAKE], HANDSHAKE_COUNT, fallback.handshake);
  p->data_bits_code =
      index_or_default(in[OFFSET_DATA_BITS], DATA_BITS_CODE_MAX + 1, fallback.data_bits_code);
  p->stop_bits = in[OFFSET_STOP_BITS];
  p->reserved_11 = in[OFFSET_RESERVED_11];
  p->char_delay_ms = get_i16_le(in + OFFSET_DELAY);
  get_text_field(in + OFFSET_START, p->start_string, PROTOCOL_STRING_SIZE);
  get_text_field(in + OFFSET_END, p->end_string, PROTOCOL_STRING_SIZE);
  p->keep_spaces = in[OFFSET_KEEP_SPACES];
  p->eia_code = in[OFFSET_EIA];
  p->reserved_78 = in[OFFSET_RESERVED_78];
  p->device_type = index_or_default(in[OFFSET_DEVICE], DEVICE_COUNT, fallback.device_type);
  get_text_field(in + OFFSET_FOLDER, p->default_folder, PROTOCOL_FOLDER_SIZE);
}

void write_protocol_record(const CommProtocol& p, uint8_t out[PROTOCOL_RECORD_SIZE]) {
  std::memset(out, 0, PROTOCOL_RECORD_SIZE);
  std::memcpy(out, p.reserved_0, sizeof p.reserved_0);
  out[OFFSET_AUTO_SAVE] = p.auto_save_seconds;
  out[OFFSET_BAUD] = p.baud_index;
  out[OFFSET_PORT] = p.port_index;
  out[OFFSET_PARITY] = p.parity;
  out[OFFSET_HANDSHAKE] = p.handshake;
  out[OFFSET_DATA_BITS] = p.data_bits_code;
  out[OFFSET_STOP_BITS] = p.stop_bits;
  out[OFFSET_RESERVED_11] = p.reserved_11;
  put_i16_le(out + OFFSET_DELAY, p.char_delay_ms);
  std::memcpy(out + OFFSET_START, p.start_string, PROTOCOL_STRING_SIZE);
  std::memcpy(out + OFFSET_END, p.end_string, PROTOCOL_STRING_SIZE);
  out[OFFSET_START + PROTOCOL_STRING_SIZE - 1] = 0;
  out[OFFSET_END + PROTOCOL_STRING_SIZE - 1] = 0;
  out[OFFSET_KEEP_SPACES] = p.keep_spaces;
  out[OFFSET_EIA] = p.eia_code;
  out[OFFSET_RESERVED_78] = p.reserved_78;
  out[OFFSET_DEVICE] = p.device_type;
  std::memcpy(out + OFFSET_FOLDER, p.default_folder, PROTOCOL_FOLDER_SIZE);
  out[PROTOCOL_RECORD_SIZE - 1] = 0;
}

uint32_t speed_of_index(int index) {
  return index >= 0 && index < SPEED_COUNT ? SPEEDS[index] : SPEEDS[CommProtocol{}.baud_index];
}

uint32_t protocol_baud(const CommProtocol& p) { return speed_of_index(p.baud_index); }

int protocol_data_bits(const CommProtocol& p) {
  return (p.data_bits_code <= DATA_BITS_CODE_MAX ? p.data_bits_code : DATA_BITS_CODE_7) + 5;
}

int parity_choice(uint8_t parity_code) {
  if (parity_code == PARITY_CODE_NONE) return 0;
  return parity_code == PARITY_CODE_ODD ? 1 : 2;
}

uint8_t parity_code_of_choice(int choice) {
  if (choice == 0) return PARITY_CODE_NONE;
  return choice == 1 ? PARITY_CODE_ODD : PARITY_CODE_EVEN;
}

int protocol_stop_bits(const CommProtocol& p) { return p.stop_bits == STOP_BITS_ONE ? 1 : 2; }

// ---- Entries ------------------------------------------------------------------------------------

CommProtocol* protocol_of(TextLine* line) { return line_extra_as<CommProtocol>(line); }

const CommProtocol* protocol_of(const TextLine* line) {
  return line_extra_as<CommProtocol>(line);
}

TextLine* append_protocol(const char* name, const CommProtocol& protocol) {
  const std::string text(name != nullptr ? name : "",
                         name != nullptr ? strnlen(name, PROTOCOL_NAME_MAX) : 0);
  return append_line(text.c_str(), make_line_extra(protocol));
}

// ---- The file -----------------------------------------------------------------------------------

ProtocolReadResult read_protocol_bytes(const uint8_t* data, size_t size, LineList* list) {
  if (size < PROTOCOL_FILE_TAG_SIZE) return PROTOCOL_READ_EMPTY;
  ProtocolBuilder builder;
  size_t at = PROTOCOL_FILE_TAG_SIZE;
  constexpr size_t ENTRY = PROTOCOL_NAME_FIELD_SIZE + PROTOCOL_RECORD_SIZE;
  while (size - at >= ENTRY) {
    if (!builder.add(data + at, data + at + PROTOCOL_NAME_FIELD_SIZE)) break;
    at += ENTRY;
  }
  // A protocol cut short is dropped; the whole ones before it stay, so the next save keeps them.
  return builder.hand_over(at == size ? PROTOCOL_READ_OK : PROTOCOL_READ_CUT_SHORT, list);
}

ProtocolReadResult read_protocol_file(const std::string& path, LineList* list) {
  std::FILE* stream = std::fopen(path.c_str(), "rb");
  if (stream == nullptr) return PROTOCOL_READ_NO_FILE;
  uint8_t tag[PROTOCOL_FILE_TAG_SIZE];
  if (std::fread(tag, 1, sizeof tag, stream) != sizeof tag) {
    std::fclose(stream);
    return PROTOCOL_READ_EMPTY;
  }
  ProtocolBuilder builder;
  ProtocolReadResult result = PROTOCOL_READ_OK;
  for (;;) {
    uint8_t entry[PROTOCOL_NAME_FIELD_SIZE + PROTOCOL_RECORD_SIZE];
    const size_t got = std::fread(entry, 1, sizeof entry, stream);
    if (got != sizeof entry) {
      if (got != 0) result = PROTOCOL_READ_CUT_SHORT;
      break;
    }
    if (!builder.add(entry, entry + PROTOCOL_NAME_FIELD_SIZE)) break;
  }
  std::fclose(stream);
  return builder.hand_over(result, list);
}

bool write_protocol_file(SaveFile* file, const TextLine* first) {
  if (!save_bytes(file, PROTOCOL_FILE_TAG, PROTOCOL_FILE_TAG_SIZE)) return false;
  for (const TextLine* line = first; line != nullptr; line = line->next) {
    const CommProtocol* protocol = protocol_of(line);
    if (line->text.empty() || line->text[0] == '\0' || protocol == nullptr) continue;
    uint8_t name[PROTOCOL_NAME_FIELD_SIZE] = {};
    std::memcpy(name, line->text.data(),
                std::min(line->text.size(), static_cast<size_t>(PROTOCOL_NAME_MAX)));
    uint8_t record[PROTOCOL_RECORD_SIZE];
    write_protocol_record(*protocol, record);
    if (!save_bytes(file, name, sizeof name) || !save_bytes(file, record, sizeof record))
      return false;
  }
  return true;
}

// ---- The program's list -------------------------------------------------------------------------

void ensure_a_protocol(LineList* list) {
  if (list->first != nullptr) return;
  push_list();
  clear_current_list();
  append_protocol(PROTOCOL_DEFAULT_NAME, new_protocol());
  renumber_lines();
  *list = g_lists.current;
  clear_current_list();
  pop_list();
}

void read_protocols(const std::string& folder) {
  free_protocols();
  std::string path = find_file_ignoring_case(folder, PROTOCOL_FILE_NAME);
  if (path.empty()) path = path_join(folder, PROTOCOL_FILE_NAME);
  g_protocols.file_path = path;
  g_protocols.last_read = read_protocol_file(path, &g_protocols.lines);
  ensure_a_protocol(&g_protocols.lines);
}

int write_protocols() {
  std::string why;
  const SaveResult result = save_file_safely(
      g_protocols.file_path, "",
      [](SaveFile* file) { return write_protocol_file(file, g_protocols.lines.first); }, &why);
  if (result == SAVE_OK) {
    g_protocols.modified = false;
    return 0;
  }
  serial_host_message("The communication protocols were not saved to " + g_protocols.file_path +
                      ":\n" + why + "\nThe changes are kept until the program ends.");
  return 27;
}

void free_protocols() {
  free_list(g_protocols.lines.first);
  g_protocols.lines = LineList{};
  g_protocols.modified = false;
}

void reset_protocols() { g_protocols = ProtocolList{}; }
