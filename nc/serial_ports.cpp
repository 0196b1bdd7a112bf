// The port table of the program folder and the port list.
#include "nc/serial_ports.h"

#include <cstdio>
#include <fstream>
#include <iterator>
#include <sstream>

#include "platform/serial.h"

PortList g_port_list;

namespace {

std::string trim(const std::string& text) {
  const size_t first = text.find_first_not_of(" \t\r");
  if (first == std::string::npos) return {};
  const size_t last = text.find_last_not_of(" \t\r");
  return text.substr(first, last - first + 1);
}

// "COMn DEVICE": the port number and the device; false for any other line.
bool parse_port_line(const std::string& line, int* number, std::string* device) {
  if (line.size() < 5) return false;
  for (int i = 0; i < 3; ++i) {
    if ((line[i] & ~0x20) != "COM"[i]) return false;
  }
  if (line[3] < '1' || line[3] > '9' || (line[4] != ' ' && line[4] != '\t')) return false;
  *device = trim(line.substr(5));
  if (device->empty() || (*device)[0] != '/') return false;
  *number = line[3] - '0';
  return true;
}

}  // namespace

// ---- The table ------------------------------------------------------------------------------------

ComPortTable default_com_ports() {
  ComPortTable table;
  for (int i = 0; i < PORT_COUNT; ++i) table.devices[i] = "/dev/ttyS" + std::to_string(i);
  return table;
}

ComPortTable parse_com_port_table(const std::string& text, std::vector<int>* bad_lines) {
  ComPortTable table = default_com_ports();
  std::istringstream in(text);
  std::string line;
  int line_number = 0;
  while (std::getline(in, line)) {
    ++line_number;
    const std::string trimmed = trim(line);
    if (trimmed.empty() || trimmed[0] == '#') continue;
    int number = 0;
    std::string device;
    if (parse_port_line(trimmed, &number, &device)) {
      table.devices[number - 1] = device;
    } else if (bad_lines != nullptr) {
      bad_lines->push_back(line_number);
    }
  }
  return table;
}

ComPortTable read_com_port_table() {
  const std::string folder = program_folder();
  std::string path = find_file_ignoring_case(folder, COM_PORT_TABLE_NAME);
  if (path.empty()) return default_com_ports();
  std::ifstream in(path, std::ios::binary);
  const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  return parse_com_port_table(text, nullptr);
}

std::string com_port_device(int port_number) {
  if (port_number < 1 || port_number > PORT_COUNT) return {};
  return read_com_port_table().devices[port_number - 1];
}

bool write_com_port_table(SaveFile* file, const ComPortTable& table, const std::string& note) {
  std::istringstream lines(note);
  std::string line;
  while (std::getline(lines, line)) {
    if (!save_write_text(file, (line.empty() ? "#" : "# " + line) + "\n")) return false;
  }
  for (int i = 0; i < PORT_COUNT; ++i) {
    if (!save_write_text(file, "COM" + std::to_string(i + 1) + " " + table.devices[i] + "\n"))
      return false;
  }
  return true;
}

// ---- The port list ----------------------------------------------------------------------------------

void probe_com_ports() {
  if (g_port_list.scanned) return;
  const ComPortTable table = read_com_port_table();
  for (int i = 0; i < PORT_COUNT; ++i) {
    SerialOpenError error;
    const SerialHandle port = serial_open(table.devices[i], &error);
    if (port != SERIAL_NO_PORT) {
      std::snprintf(g_port_list.entries[i], PORT_ENTRY_SIZE, "COM%d", i + 1);
      serial_close(port);
    } else {
      g_port_list.entries[i][1] = '*';
    }
  }
  g_port_list.scanned = true;
}

PortList::PortList() {
  for (int i = 0; i < PORT_COUNT; ++i) std::snprintf(entries[i], PORT_ENTRY_SIZE, " ? %d", i + 1);
}

const char* const* port_list_names() {
  static const char* names[PORT_COUNT + 1];
  for (int i = 0; i < PORT_COUNT; ++i) names[i] = g_port_list.entries[i];
  names[PORT_COUNT] = nullptr;
  return names;
}

void reset_port_list() { g_port_list = PortList(); }
