// The host the text engine talks to the user through: messages about fonts and texts that
// cannot be laid out, and whether an editing command is running (such a command reports
// through its own prompt). Start-up installs the screen's functions; without them the headless
// default records every message, for tests and the command-line tool.
#pragma once

#include <string>
#include <vector>

struct TextHost {
  // A press-a-key box with a literal text.
  void (*show_message)(const char* text) = nullptr;
  // True while an editing command runs (its messages go to its prompt instead of a box).
  bool (*editing_command_running)() = nullptr;
};
extern TextHost g_text_host;

// What the headless host recorded.
struct TextHostLog {
  std::vector<std::string> messages;
};
extern TextHostLog g_text_host_log;

void text_show_message(const char* text);
bool text_editing_command_running();
// The headless default host and an empty log.
void reset_text_host();
