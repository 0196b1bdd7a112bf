// Makes the machine link's files of the program folder from their readable sources in data/,
// through the program's own writers:
//   make_serial_files <data folder> <program folder>
// writes KR_SERIt.KR4 (serial_protocols.txt), SerialPorts.txt (serial_ports.txt) and
// MAN-READ.TBL (man_read_patterns.txt). A source error names the file and line.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "nc/comm_protocol.h"
#include "nc/serial_ports.h"
#include "nc/tape_codes.h"
#include "platform/files.h"
#include "tools/data_source.h"

namespace {

// ---- Protocols ------------------------------------------------------------------------------------

int choice_of(const Source& source, const std::string& value,
              const std::vector<std::string>& words) {
  for (size_t i = 0; i < words.size(); ++i) {
    if (value == words[i]) return static_cast<int>(i);
  }
  std::string all;
  for (const std::string& word : words) all += " " + word;
  fail(source, "\"" + value + "\" is not one of:" + all);
}

long whole_number(const Source& source, const std::string& value, long low, long high) {
  char* end = nullptr;
  const long number = std::strtol(value.c_str(), &end, 10);
  if (value.empty() || *end != 0 || number < low || number > high) {
    fail(source, "\"" + value + "\" is not a whole number from " + std::to_string(low) + " to " +
                     std::to_string(high));
  }
  return number;
}

void copy_text(const Source& source, const std::string& value, char* field, size_t size) {
  if (value.size() >= size) fail(source, "longer than " + std::to_string(size - 1) + " characters");
  std::memset(field, 0, size);
  std::memcpy(field, value.data(), value.size());
}

void set_protocol_value(const Source& source, const std::string& key, const std::string& value,
                        CommProtocol* p) {
  if (key == "port") {
    p->port_index = static_cast<uint8_t>(whole_number(source, value, 1, PORT_COUNT) - 1);
  } else if (key == "speed") {
    const long bps = whole_number(source, value, 1, 1000000);
    int index = -1;
    for (int i = 0; i < SPEED_COUNT; ++i) {
      if (speed_of_index(i) == static_cast<uint32_t>(bps)) index = i;
    }
    if (index < 0) fail(source, "no speed of the table is " + value);
    p->baud_index = static_cast<uint8_t>(index);
  } else if (key == "parity") {
    p->parity = parity_code_of_choice(choice_of(source, value, {"none", "odd", "even"}));
  } else if (key == "data-bits") {
    p->data_bits_code = choice_of(source, value, {"7", "8"}) == 0 ? DATA_BITS_CODE_7
                                                                   : DATA_BITS_CODE_8;
  } else if (key == "stop-bits") {
    p->stop_bits = choice_of(source, value, {"1", "2"}) == 0 ? STOP_BITS_ONE : STOP_BITS_TWO;
  } else if (key == "handshake") {
    p->handshake = static_cast<uint8_t>(
        choice_of(source, value, {"software", "hardware", "none", "wait-for-xon"}));
  } else if (key == "auto-save") {
    p->auto_save_seconds = static_cast<uint8_t>(whole_number(source, value, 0, 255));
  } else if (key == "delay") {
    p->char_delay_ms = static_cast<int16_t>(whole_number(source, value, 0, 255));
  } else if (key == "start-string") {
    copy_text(source, value, p->start_string, PROTOCOL_STRING_SIZE);
  } else if (key == "end-string") {
    copy_text(source, value, p->end_string, PROTOCOL_STRING_SIZE);
  } else if (key == "keep-spaces") {
    p->keep_spaces = static_cast<uint8_t>(choice_of(source, value, {"no", "yes"}));
  } else if (key == "eia") {
    p->eia_code = static_cast<uint8_t>(choice_of(source, value, {"no", "yes"}));
  } else if (key == "device") {
    p->device_type = static_cast<uint8_t>(choice_of(
        source, value, {"cnc", "transfer-box", "computer", "bandit-mill", "bandit-lathe"}));
  } else if (key == "folder") {
    copy_text(source, value, p->default_folder, PROTOCOL_FOLDER_SIZE);
  } else {
    fail(source, "unknown key \"" + key + "\"");
  }
}

void make_protocol_file(const std::string& source_path, const std::string& target) {
  Source source{source_path, 0};
  push_list();
  clear_current_list();
  bool inside = false;
  std::string name;
  CommProtocol protocol;
  for (const std::string& raw : read_lines(source_path)) {
    ++source.line_number;
    const std::string line = trim(raw);
    if (line.empty() || line[0] == '#') continue;
    if (line == "end") {
      if (!inside) fail(source, "\"end\" without a protocol");
      append_protocol(name.c_str(), protocol);
      inside = false;
      continue;
    }
    const size_t equals = line.find('=');
    if (equals == std::string::npos) fail(source, "expected key = value");
    const std::string key = trim(line.substr(0, equals));
    const std::string value = trim(line.substr(equals + 1));
    if (key == "protocol") {
      if (inside) fail(source, "a protocol inside a protocol");
      if (value.empty() || value.size() > static_cast<size_t>(PROTOCOL_NAME_MAX))
        fail(source, "a name of 1 to 39 characters is needed");
      name = value;
      protocol = new_protocol();
      inside = true;
      continue;
    }
    if (!inside) fail(source, "a value outside a protocol");
    set_protocol_value(source, key, value, &protocol);
  }
  if (inside) fail(source, "the last protocol has no \"end\"");
  if (g_lists.current.first == nullptr) fail(source, "no protocol");
  write_file(target, [](SaveFile* file) { return write_protocol_file(file, g_lists.current.first); });
  free_current_list();
  pop_list();
}

// ---- The port table ---------------------------------------------------------------------------------

void make_port_table(const std::string& source_path, const std::string& target) {
  Source source{source_path, 0};
  std::string note;
  std::string table_text;
  for (const std::string& raw : read_lines(source_path)) {
    ++source.line_number;
    if (raw.rfind("|", 0) == 0) {
      note += raw.size() > 2 ? raw.substr(2) : std::string();
      note += "\n";
      continue;
    }
    const std::string line = trim(raw);
    if (line.empty() || line[0] == '#') continue;
    std::vector<int> bad;
    parse_com_port_table(line, &bad);
    if (!bad.empty()) fail(source, "not a line \"COMn DEVICE\"");
    table_text += line + "\n";
  }
  const ComPortTable table = parse_com_port_table(table_text, nullptr);
  write_file(target, [&](SaveFile* file) { return write_com_port_table(file, table, note); });
}

// ---- The man-readable table -------------------------------------------------------------------------

void add_pattern(const Source& source, uint8_t character, const std::vector<std::string>& rows,
                 ManReadTable* table, std::vector<bool>* seen) {
  if (rows.empty()) fail(source, "a character without a pattern");
  if (rows.size() > 8) fail(source, "more than 8 rows");
  const size_t width = rows[0].size();
  if (width == 0 || width > static_cast<size_t>(MAN_READ_MOST_COLUMNS))
    fail(source, "a pattern of 1 to 8 columns is needed");
  uint8_t* entry = table->entries[character - MAN_READ_FIRST];
  for (size_t column = 0; column < width; ++column) {
    uint8_t frame = 0;
    for (size_t row = 0; row < rows.size(); ++row) {
      if (rows[row].size() != width) fail(source, "rows of different widths");
      const char cell = rows[row][column];
      if (cell != '#' && cell != '.') fail(source, "a row holds other than '#' and '.'");
      if (cell == '#') frame = static_cast<uint8_t>(frame | (1u << row));
    }
    if (frame == 0) fail(source, "an empty column would end the pattern early");
    entry[column] = frame;
  }
  (*seen)[character - MAN_READ_FIRST] = true;
}

void make_man_read_table(const std::string& source_path, const std::string& target) {
  Source source{source_path, 0};
  ManReadTable table;
  std::vector<bool> seen(MAN_READ_COUNT, false);
  int character = -1;
  Source character_source;
  std::vector<std::string> rows;
  const auto finish = [&] {
    if (character >= 0) add_pattern(character_source, static_cast<uint8_t>(character), rows,
                                     &table, &seen);
    character = -1;
    rows.clear();
  };
  for (const std::string& raw : read_lines(source_path)) {
    ++source.line_number;
    const std::string line = trim(raw);
    if (line.rfind("char ", 0) == 0) {
      finish();
      if (line.size() != 6) fail(source, "\"char\" takes one character");
      character = static_cast<uint8_t>(line[5]);
      if (character <= MAN_READ_FIRST || character >= MAN_READ_FIRST + MAN_READ_COUNT)
        fail(source, "only '!' to '_' have patterns");
      if (seen[character - MAN_READ_FIRST]) fail(source, "a character given twice");
      character_source = source;
      continue;
    }
    if (line.empty()) {
      finish();
      continue;
    }
    if (character >= 0) rows.push_back(line);
  }
  finish();
  for (int i = 1; i < MAN_READ_COUNT; ++i) {
    if (!seen[i]) {
      std::fprintf(stderr, "%s: no pattern for '%c'\n", source_path.c_str(),
                   static_cast<char>(MAN_READ_FIRST + i));
      std::exit(1);
    }
  }
  write_file(target, [&](SaveFile* file) { return write_man_read_table(file, table); });
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: make_serial_files <data folder> <program folder>\n");
    return 2;
  }
  const std::string data = argv[1];
  const std::string program = argv[2];
  make_protocol_file(path_join(data, "serial_protocols.txt"), path_join(program, PROTOCOL_FILE_NAME));
  make_port_table(path_join(data, "serial_ports.txt"), path_join(program, COM_PORT_TABLE_NAME));
  make_man_read_table(path_join(data, "man_read_patterns.txt"),
                      path_join(program, MAN_READ_FILE_NAME));
  return 0;
}
