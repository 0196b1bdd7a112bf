#include "text/text_host.h"

TextHost g_text_host;
TextHostLog g_text_host_log;

void text_show_message(const char* text) {
  if (g_text_host.show_message != nullptr) g_text_host.show_message(text);
  else g_text_host_log.messages.emplace_back(text);
}

bool text_editing_command_running() {
  return g_text_host.editing_command_running != nullptr && g_text_host.editing_command_running();
}

void reset_text_host() {
  g_text_host = TextHost{};
  g_text_host_log = TextHostLog{};
}
