#include "ui/message_box.h"

#include <cstring>

#include "screen/event_queue.h"
#include "store/text_wrap.h"

MessageBoxState g_message_box;

// Stand-in: draws no box; keeps the text for tests and, with TEXTBOX_WAIT_KEY, takes the next pending code instead of waiting.
int16_t show_text_box(const char* text, uint32_t flags) {
  g_message_box.last_text = text != nullptr ? text : "";
  g_message_box.last_flags = flags;
  ++g_message_box.shown_count;
  if ((flags & TEXTBOX_WAIT_KEY) == 0) return 0;
  return poll_input_code(0);
}

// Stand-in: draws and asks nothing; keeps the text for tests and answers what they set (Esc by default).
int16_t message_box(int /*row*/, int /*column*/, int /*width*/, const char* text,
                    uint32_t mode, void* /*value*/, int /*arg*/, const char* /*letters*/,
                    int /*option*/, const char* /*title*/) {
  g_message_box.last_text = text != nullptr ? text : "";
  g_message_box.last_flags = mode;
  ++g_message_box.shown_count;
  return g_message_box.answer;
}

int16_t ask_yes_no(const char* text, int /*preselected*/) {
  return message_box(MSGBOX_CENTRE, MSGBOX_CENTRE, 21, text, MSGBOX_CHOICE, nullptr, 0, "NY", 50,
                     CANCEL_TITLE);
}

// Stand-in: answers Esc.
int16_t ask_catalogue_choice(int /*message_number*/, int /*preselected*/) { return KEY_ESC; }

int text_block_size(const char* text, int* lines) {
  int count = 0;
  int widest = 0;
  const char* p = text != nullptr ? text : "";
  while (*p != '\0') {
    const int width = display_length(p);
    if (width > widest) widest = width;
    const char* end = std::strchr(p, '\n');
    if (end == nullptr) {
      if (width > 0) ++count;
      break;
    }
    ++count;
    p = end + 1;
  }
  if (lines != nullptr) *lines = count;
  return widest;
}

// Stand-in: saves nothing.
int16_t save_text_file(int /*arg*/, TextLine* /*window*/, int /*copy*/) { return 0; }

void reset_message_box() { g_message_box = MessageBoxState{}; }
