// The serial ports COM1-COM9 as the protocols and the terminal name them, and the devices they
// stand for. The port table SerialPorts.txt in the program folder holds nine lines
// "COMn DEVICE" (COM1 /dev/ttyS0 ... COM9 /dev/ttyS8 as shipped); a user who plugs in a USB
// adapter edits a line ("COM2 /dev/ttyUSB0"). Lines starting with '#' are notes; a line that is
// not "COMn" with n from 1 to 9 and a device path leaves that port at its default. The program
// reads the table each time it opens a port and never writes it: the protocol file keeps its
// port index, whatever device the index stands for.
#pragma once

#include <string>
#include <vector>

#include "nc/comm_protocol.h"
#include "platform/files.h"

constexpr char COM_PORT_TABLE_NAME[] = "SerialPorts.txt";

struct ComPortTable {
  std::string devices[PORT_COUNT];  // devices[n - 1] is COMn's device
};

// ---- The table ------------------------------------------------------------------------------------
// /dev/ttyS0 .. /dev/ttyS8.
ComPortTable default_com_ports();
// The table a text gives; the 1-based numbers of the lines that were neither notes, blank nor
// good go to *bad_lines when it is given.
ComPortTable parse_com_port_table(const std::string& text, std::vector<int>* bad_lines);
// The table of the program folder; the defaults when the file is missing.
ComPortTable read_com_port_table();
// The device of COMn (1..9) from the program folder's table; "" for a number out of range.
std::string com_port_device(int port_number);
// Writes the table with a note for the user above it.
bool write_com_port_table(SaveFile* file, const ComPortTable& table, const std::string& note);

// ---- The port list shown by the protocol form and the terminal -------------------------------------
// Nine entries of four characters: " ? 1" .. " ? 9" until the ports have been looked at, then
// "COMn" for a port that opened and " * n" for one that did not (it can still be chosen).
constexpr int PORT_ENTRY_SIZE = 5;
struct PortList {
  PortList();
  char entries[PORT_COUNT][PORT_ENTRY_SIZE];  // zero-ended
  bool scanned = false;                       // the ports were looked at in this run
};
extern PortList g_port_list;

// The entries of g_port_list as a null-ended array, for pick lists.
const char* const* port_list_names();

// Opens and closes each of COM1-COM9 once and marks the entries; a second call does nothing.
void probe_com_ports();

// Test hooks
// The entries back to " ? n", not scanned.
void reset_port_list();
