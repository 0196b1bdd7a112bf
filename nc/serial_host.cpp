#include "nc/serial_host.h"

SerialHost g_serial_host;
SerialHostLog g_serial_host_log;

void serial_host_message(const std::string& text) {
  g_serial_host_log.messages.push_back(text);
  if (g_serial_host.show_message != nullptr) g_serial_host.show_message(text.c_str());
}

void serial_host_post_event(int code) {
  g_serial_host_log.events.push_back(code);
  if (g_serial_host.post_event != nullptr) g_serial_host.post_event(code);
}

void serial_host_transfer_ended(const std::string& notice) {
  g_serial_host_log.notices.push_back(notice);
  if (g_serial_host.transfer_ended != nullptr) g_serial_host.transfer_ended(notice.c_str());
}

void reset_serial_host() {
  g_serial_host = SerialHost();
  g_serial_host_log = SerialHostLog();
}
