#include "ui/message_box.h"

#include "screen/event_queue.h"

MessageBoxState g_message_box;

// Stand-in: draws no box; keeps the text for tests and, with TEXTBOX_WAIT_KEY, takes the next pending code instead of waiting.
int16_t show_text_box(const char* text, uint32_t flags) {
  g_message_box.last_text = text != nullptr ? text : "";
  g_message_box.last_flags = flags;
  ++g_message_box.shown_count;
  if ((flags & TEXTBOX_WAIT_KEY) == 0) return 0;
  return poll_input_code(0);
}

int16_t message_box(int /*row*/, int /*column*/, int /*width*/, const char* text,
                    uint32_t mode, void* /*value*/, int /*arg*/, const char* /*letters*/,
                    int /*option*/, const char* /*title*/) {
  g_message_box.last_text = text != nullptr ? text : "";
  g_message_box.last_flags = mode;
  ++g_message_box.shown_count;
  return g_message_box.answer;
}

void reset_message_box() { g_message_box = MessageBoxState{}; }
