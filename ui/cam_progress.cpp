#include "ui/cam_progress.h"

#include <algorithm>
#include <cstdio>
#include <string>

#include "nc/cam_host.h"
#include "platform/pump.h"
#include "screen/event_queue.h"
#include "store/catalogue.h"
#include "ui/message_box.h"
#include "ui/popups.h"
#include "ui/text_window.h"

namespace {

// The progress box is 52 columns wide; its last row takes the progress lines.
constexpr int PROGRESS_BOX_WIDTH = 52;

bool g_progress_open = false;

}  // namespace

void open_progress_box(const char* text) {
  if (g_progress_open) close_progress_box();
  message_box(MSGBOX_CENTRE, MSGBOX_CENTRE, PROGRESS_BOX_WIDTH, text, MSGBOX_POPUP, nullptr, 0,
              nullptr, 0, nullptr);
  g_progress_open = g_popups.window != nullptr;
}

void show_progress_line(const char* line) {
  if (!g_progress_open || g_popups.window == nullptr || line == nullptr) return;
  // The line is padded to the box's width, so that a shorter line leaves nothing of the last.
  const int room = std::max(0, g_popups.window->columns - 2);
  std::string shown(line);
  shown = shown.substr(0, shown.find('\n'));
  if (static_cast<int>(shown.size()) > room) shown.resize(static_cast<size_t>(room));
  shown.resize(static_cast<size_t>(room), ' ');
  print_in_popup(-1, 1, shown.c_str());
}

void close_progress_box() {
  if (!g_progress_open) return;
  g_progress_open = false;
  close_top_popup();
  request_full_redraw();
}

bool escape_waiting() {
  for (int left = pending_input_count(); left > 0; --left) {
    const EventCode code = poll_input_code(EVENT_PEEK_LIMIT);
    if (code == KEY_ESC) {
      poll_input_code(0);
      return true;
    }
    if (code != EVENT_POINTER_MOVE && code != EVENT_TICK) return false;
    poll_input_code(0);
  }
  return false;
}

void connect_cam_host_to_screen() {
  CamHost& host = g_cam_host;
  host.open_progress = open_progress_box;
  host.show_progress = show_progress_line;
  host.close_progress = close_progress_box;
  host.pump_messages = [] { pump_messages(); };
  host.escape_pressed = escape_waiting;
  host.show_message = [](const char* text) { show_text_box(text, TEXTBOX_PRESS_A_KEY); };
  host.show_catalogue_message = [](int number) {
    if (find_message(number) != 0) {
      show_catalogue_box(number, "");
      return;
    }
    char missing[48];
    std::snprintf(missing, sizeof missing, CATALOGUE_MISSING_FORMAT, number);
    show_text_box(missing, TEXTBOX_PRESS_A_KEY);
  };
  host.ask_catalogue_choice = [](int number) {
    const int16_t answer = ask_catalogue_choice(number, 0);
    return answer == KEY_ESC ? -1 : static_cast<int>(answer);
  };
}
