// The host the machine link reaches the user through when no status window is looking on: the
// press-a-key box, the event queue (a receive that has been silent long enough asks for its
// save), and the notice of a transfer that ended out of sight. The program connects the screen
// at start-up; unconnected, the host writes what it was asked into a log that tests read.
#pragma once

#include <string>
#include <vector>

struct SerialHost {
  void (*show_message)(const char* text) = nullptr;     // a press-a-key box (colour codes allowed)
  void (*post_event)(int code) = nullptr;               // an event code for the program's loops
  void (*transfer_ended)(const char* notice) = nullptr;  // a hidden transfer ended by itself
};
extern SerialHost g_serial_host;

struct SerialHostLog {
  std::vector<std::string> messages;
  std::vector<int> events;
  std::vector<std::string> notices;
};
extern SerialHostLog g_serial_host_log;

void serial_host_message(const std::string& text);
void serial_host_post_event(int code);
void serial_host_transfer_ended(const std::string& notice);

// Test hooks
// No host connected and an empty log.
void reset_serial_host();
