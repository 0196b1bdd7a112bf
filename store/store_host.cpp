#include "store/store_host.h"

StoreHost g_store_host;
HostMessageLog g_host_messages;

int16_t store_show_text_box(const char* text, uint32_t flags) {
  if (g_store_host.show_text_box != nullptr) return g_store_host.show_text_box(text, flags);
  return log_text_box(text, flags);
}

int16_t log_text_box(const char* text, uint32_t flags) {
  g_host_messages.last_text = text != nullptr ? text : "";
  g_host_messages.last_flags = flags;
  ++g_host_messages.shown_count;
  return 0;
}

void reset_store_host() {
  g_store_host = StoreHost{};
  g_host_messages = HostMessageLog{};
}
