// The machine link's state and its ports.
#include "nc/serial_link.h"

#include "nc/serial_ports.h"

SerialLink g_serial_link;

namespace {

std::string port_name(int port_number) { return "COM" + std::to_string(port_number); }

void close_port_only(bool drop_output) {
  SerialLink& link = g_serial_link;
  if (link.port == SERIAL_NO_PORT) return;
  // Output is dropped only when the transfer was given up: after a normal end the queue has
  // drained, and a pseudo-terminal may still carry the last bytes on their way.
  serial_purge(link.port, true, drop_output);
  serial_set_dtr(link.port, false);
  serial_set_rts(link.port, false);
  serial_close(link.port);
  link.port = SERIAL_NO_PORT;
}

// Opens the port behind COMn with the settings; 0 or -1 with open_failure set.
int open_port_with(int port_number, const SerialSettings& settings) {
  SerialLink& link = g_serial_link;
  close_port_only(true);
  link.open_failure.clear();
  const std::string device = com_port_device(port_number);
  if (device.empty()) {
    link.open_failure = "There is no port " + port_name(port_number) + ".";
    return -1;
  }
  SerialOpenError error;
  const SerialHandle port = serial_open(device, &error);
  if (port == SERIAL_NO_PORT) {
    link.open_failure = port_refusal_text(port_number, device, error);
    return -1;
  }
  if (!serial_configure(port, settings)) {
    serial_close(port);
    link.open_failure = port_name(port_number) + " (" + device + ") does not take the settings " +
                        serial_settings_text(settings) + ".";
    return -1;
  }
  link.port = port;
  link.port_number = port_number;
  link.device = device;
  link.baud = settings.baud;
  return 0;
}

SerialSettings terminal_settings(int speed_index, int parity, int data_bits, int stop_bits) {
  SerialSettings settings;
  settings.baud = speed_of_index(speed_index);
  settings.data_bits = data_bits == 0 ? 7 : 8;
  settings.parity = parity == 1   ? SerialParity::ODD
                    : parity == 2 ? SerialParity::EVEN
                                  : SerialParity::NONE;
  settings.stop_bits = stop_bits == 0 ? 1 : 2;
  settings.flow = SerialFlow::NONE;
  return settings;
}

}  // namespace

std::string port_refusal_text(int port_number, const std::string& device,
                              const SerialOpenError& error) {
  std::string text = port_name(port_number) + " (" + device + "): " + error.reason;
  if (error.refusal == SerialRefusal::PERMISSION) {
    text += "\nYour user may not use this port. Ask for it to be added to the port's group"
            " (usually \"dialout\"), then log in again.";
  }
  return text;
}

bool transfer_active() { return g_serial_link.send_active || g_serial_link.receive_active; }

// ---- Ports ----------------------------------------------------------------------------------------

SerialSettings protocol_port_settings(const CommProtocol& protocol) {
  SerialSettings settings;
  settings.baud = protocol_baud(protocol);
  settings.data_bits = static_cast<uint8_t>(protocol_data_bits(protocol));
  const int parity = parity_choice(protocol.parity);
  settings.parity = parity == 0   ? SerialParity::NONE
                    : parity == 1 ? SerialParity::ODD
                                  : SerialParity::EVEN;
  settings.stop_bits = static_cast<uint8_t>(protocol_stop_bits(protocol));
  switch (protocol.handshake) {
    case HANDSHAKE_HARDWARE: settings.flow = SerialFlow::RTS_CTS; break;
    case HANDSHAKE_NONE: settings.flow = SerialFlow::NONE; break;
    default: settings.flow = SerialFlow::XON_XOFF; break;
  }
  return settings;
}

int open_serial_port(int port_number, int speed_index, uint8_t parity, uint8_t data_bits_code,
                     uint8_t stop_bits, uint8_t handshake) {
  CommProtocol values;
  values.baud_index = static_cast<uint8_t>(speed_index);
  values.parity = parity;
  values.data_bits_code = data_bits_code;
  values.stop_bits = stop_bits;
  values.handshake = handshake;
  if (open_port_with(port_number, protocol_port_settings(values)) != 0) return -1;
  serial_set_dtr(g_serial_link.port, true);
  if (handshake == HANDSHAKE_HARDWARE) serial_set_rts(g_serial_link.port, true);
  return 0;
}

int configure_terminal_port(int speed_index, int parity, int data_bits, int stop_bits) {
  SerialLink& link = g_serial_link;
  if (link.port == SERIAL_NO_PORT) return -1;
  const SerialSettings settings = terminal_settings(speed_index, parity, data_bits, stop_bits);
  if (serial_configure(link.port, settings)) {
    link.baud = settings.baud;
    return 0;
  }
  link.open_failure = "COM" + std::to_string(link.port_number) + " (" + link.device +
                      ") does not take the settings " + serial_settings_text(settings) + ".";
  return -1;
}

int open_terminal_port(int port_number, int speed_index, int parity, int data_bits,
                       int stop_bits) {
  const SerialSettings settings = terminal_settings(speed_index, parity, data_bits, stop_bits);
  if (open_port_with(port_number, settings) != 0) return -1;
  serial_set_dtr(g_serial_link.port, true);
  serial_set_rts(g_serial_link.port, true);
  return 0;
}

void close_serial_port(bool free, bool drop_output) {
  SerialLink& link = g_serial_link;
  close_port_only(drop_output);
  if (free) {
    if (link.receive_file != nullptr) std::fclose(link.receive_file);
    link.receive_file = nullptr;
    link.ring.clear();
    link.ring.shrink_to_fit();
    link.ring_read = 0;
    link.ring_count = 0;
  }
  link.receive_active = false;
  link.send_active = false;
  link.sender_running = false;
}

// ---- Test hooks ---------------------------------------------------------------------------------

void reset_serial_link() {
  SerialLink& link = g_serial_link;
  if (link.send.file != nullptr) std::fclose(link.send.file);
  link.send.file = nullptr;
  if (link.receive_file != nullptr) std::fclose(link.receive_file);
  link.receive_file = nullptr;
  if (link.port != SERIAL_NO_PORT) serial_close(link.port);
  link = SerialLink();
}
