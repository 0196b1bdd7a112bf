// The machine link's status windows, questions and commands.
#include "pages/serial_transfer.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>

#include "nc/serial_host.h"
#include "nc/serial_link.h"
#include "nc/tape_codes.h"
#include "pages/protocol_list.h"
#include "platform/files.h"
#include "platform/pump.h"
#include "platform/window.h"
#include "screen/display_mode.h"
#include "screen/main_form.h"
#include "screen/pointer.h"
#include "screen/tick_clock.h"
#include "screen/timer.h"
#include "store/catalogue.h"
#include "store/file_reader.h"
#include "store/message_ids.h"
#include "store/text_helpers.h"
#include "ui/field_flags.h"
#include "ui/message_box.h"
#include "ui/popups.h"
#include "ui/standard_dialogs.h"
#include "ui/text_window.h"

SerialInterface g_serial_ui;

namespace {

constexpr int HOLD_WAIT_MS = 50;           // real time a held send waits on its port at once
constexpr int QUEUE_WAIT_MS = 20;
constexpr uint32_t COUNT_SHOWN_EVERY_MS = 1000;
constexpr int STATUS_WIDTH = 46;           // cells of the status windows' text
constexpr int SHOWN_PATH_WIDTH = 36;
constexpr int LEADER_ENTRY_WIDTH = MAN_READ_MOST_CHARACTERS;
constexpr int PROGRAM_NUMBER_WIDTH = 5;
constexpr char RECEIVED_FILE_NAME[] = "received";
constexpr char RECEIVED_FILE_EXTENSION[] = ".nc";

// What ends a status window; NONE also stands for a send that went out whole.
enum class StatusKey { NONE, ABORT, SAVE, HIDE, AUTO_SAVE, FAILED };

// ---- Texts ----------------------------------------------------------------------------------------

bool folder_exists(const std::string& folder) {
  std::error_code error;
  return std::filesystem::is_directory(folder, error);
}

std::string port_text() { return "COM" + std::to_string(g_serial_link.port_number); }

// A row of blanks as wide as the status window, so that every notice fits in it.
std::string blank_row() { return std::string(STATUS_WIDTH, ' ') + "\n"; }

std::string send_status_text() {
  const SerialLink& link = g_serial_link;
  const std::string sending = link.send_name == EDITOR_SOURCE_NAME
                                  ? link.send_name
                                  : abbreviate_path(link.send_name.c_str(), SHOWN_PATH_WIDTH);
  return std::string(SERIAL_STATUS_TITLE) + "\n\x1d!!\vTransmitting Status\x13\n\n\v  To:\x13 " +
         link.protocol_name + "\n\vPort:\x13 " + port_text() +
         "\n\vBytes put in Xmit queue:\x13\n\vEstimated bytes to send:\x13 " +
         format_thousands(link.estimate) + "\n\vSending:\x13 " + sending + "\n\n\n" +
         blank_row() + "\vCTRL X\x13: abort transmission.\n\n";
}

std::string receive_status_text() {
  const SerialLink& link = g_serial_link;
  return std::string(SERIAL_STATUS_TITLE) + "\n\x1d!!\vReceiving Status\x13\n\n\vFrom:\x13 " +
         link.protocol_name + "\n\vPort:\x13 " + port_text() +
         "\n\vTotal bytes received so far:\x13\n\vFile:\x13 " +
         abbreviate_path(link.receive_path.c_str(), SHOWN_PATH_WIDTH) + "\n\vData:\x13\n\n\n\n" +
         blank_row() + "\vCTRL X\x13  : Abort and \fDELETE\x13 file.\n\vCTRL F10\x13: Quit and "
         "\fSAVE\x13 the file.\n\n";
}

// Catalogue message `number` with a detail below it, in a press-a-key box.
void show_message_with(int number, const std::string& detail) {
  std::vector<std::string> lines;
  message_lines_to_array(number, &lines, 30);
  std::string text;
  for (const std::string& line : lines) {
    if (!line.empty()) text += line + "\n";
  }
  text += "\n" + detail + "\n";
  show_text_box(text.c_str(), TEXTBOX_PRESS_A_KEY);
}

void show_open_failure() {
  const SerialLink& link = g_serial_link;
  if (!link.open_failure.empty()) {
    show_message_with(MSG_PORT_NOT_OPENED, link.open_failure);
  } else if (!link.failure.empty()) {
    show_text_box(link.failure.c_str(), TEXTBOX_PRESS_A_KEY);
  }
}

void show_pending_notices() {
  std::vector<std::string> notices;
  notices.swap(g_serial_ui.notices);
  for (const std::string& notice : notices) {
    const std::string text = "\n" + notice + "\n\n";
    show_text_box(text.c_str(), TEXTBOX_PRESS_A_KEY);
  }
}

// ---- The status window ----------------------------------------------------------------------------

void print_row(int row, int column, const std::string& text) {
  if (!g_serial_ui.box_open) return;
  print_in_popup(row, column, text.c_str());
  std::vector<std::string>& kept = g_serial_ui.status_texts;
  if (kept.size() >= STATUS_TEXTS_KEPT) kept.erase(kept.begin());
  kept.push_back(text);
}

void draw_buttons() {
  const bool receive = g_serial_link.receive_active;
  const int row = receive ? STATUS_ROW_RECEIVE_BUTTONS : STATUS_ROW_SEND_BUTTONS;
  std::string buttons = "\v Cancel \x13";
  if (receive) {
    buttons += g_serial_ui.save_shown ? "  \v Save \f\b&\x13 " : "           ";
  }
  print_row(row, STATUS_CANCEL_COLUMN, buttons);
  print_row(row, STATUS_WIDTH - static_cast<int>(std::char_traits<char>::length(SERIAL_HIDE_TEXT)),
            SERIAL_HIDE_TEXT);
}

void open_status_box(const std::string& text) {
  g_serial_ui.save_shown = false;
  g_serial_ui.shown_count = -2;
  g_serial_ui.shown_data.clear();
  g_serial_ui.shown_idle.clear();
  show_text_box(text.c_str(), TEXTBOX_TITLE | TEXTBOX_SCREEN_CENTRE);
  const TextWindow* box = g_popups.window;
  g_serial_ui.box_open = box != nullptr;
  if (box != nullptr) {
    g_serial_ui.box_top = box->top_row;
    g_serial_ui.box_left = box->left_column;
  }
  g_serial_link.status_shown = true;
  draw_buttons();
}

void close_status_box() {
  if (g_serial_ui.box_open) close_top_popup();
  g_serial_ui.box_open = false;
  g_serial_link.status_shown = false;
}

void redraw_status_box() {
  if (g_serial_ui.repaint != nullptr) g_serial_ui.repaint();
  redraw_popups(0);
  draw_buttons();
}

void show_count(int64_t count) {
  if (count == g_serial_ui.shown_count) return;
  g_serial_ui.shown_count = count;
  char text[32];
  std::snprintf(text, sizeof text, "%12s", format_thousands(std::max<int64_t>(count, 0)).c_str());
  print_row(STATUS_ROW_COUNT, STATUS_COUNT_COLUMN, text);
}

// The button of the status window under the pointer: 1 Cancel, 2 Save, 0 none.
int button_under_pointer() {
  if (!g_serial_ui.box_open) return 0;
  const CellMetrics& cells = g_display.presets[FACE_ROLE_NORMAL];
  if (cells.cell_width <= 0 || cells.cell_height <= 0) return 0;
  const int row = g_pointer.wanted_y / cells.cell_height - g_serial_ui.box_top;
  const int column = g_pointer.wanted_x / cells.cell_width - g_serial_ui.box_left;
  const int buttons =
      g_serial_link.receive_active ? STATUS_ROW_RECEIVE_BUTTONS : STATUS_ROW_SEND_BUTTONS;
  if (row != buttons) return 0;
  if (column >= STATUS_CANCEL_COLUMN && column < STATUS_CANCEL_COLUMN + STATUS_BUTTON_WIDTH)
    return 1;
  if (g_serial_ui.save_shown && column >= STATUS_SAVE_COLUMN &&
      column < STATUS_SAVE_COLUMN + STATUS_BUTTON_WIDTH)
    return 2;
  return 0;
}

// What one event asks of the status window.
StatusKey status_key_of(EventCode code, bool may_hide) {
  switch (code) {
    case KEY_CTRL_X: return StatusKey::ABORT;
    case KEY_CTRL_F10: return StatusKey::SAVE;
    case EVENT_RECEIVE_AUTO_SAVE: return StatusKey::AUTO_SAVE;
    case KEY_ESC: return may_hide ? StatusKey::HIDE : StatusKey::NONE;
    case EVENT_POINTER_MOVE: move_pointer(); return StatusKey::NONE;
    case EVENT_REDRAW: redraw_status_box(); return StatusKey::NONE;
    case EVENT_LEFT_DOWN: {
      const int button = button_under_pointer();
      if (button == 1) return StatusKey::ABORT;
      if (button == 2) return StatusKey::SAVE;
      return StatusKey::NONE;
    }
    default: return StatusKey::NONE;
  }
}

// The next code for a status window, or 0 after a tick's time without one: the window keeps
// its counts current whether or not the timer's ticks reach the queue (they do not while the
// pointer is away from the program).
EventCode next_status_event() {
  EventCode code = poll_input_code(0);
  if (code == 0) {
    pump_wait(static_cast<int>(TICK_MS));
    code = poll_input_code(0);
  }
  return code;
}

// Takes what is waiting in the queue; the first code that asks for something wins. A quit
// stays requested for the program's own loop.
StatusKey take_status_keys(bool may_hide) {
  for (;;) {
    const EventCode code = poll_input_code(0);
    if (code == 0) return StatusKey::NONE;
    const StatusKey key = status_key_of(code, may_hide);
    if (key != StatusKey::NONE) return key;
  }
}

// ---- Sending --------------------------------------------------------------------------------------

// The folder a send's open dialog starts in: the protocol's default folder, else the last
// folder a file was sent from, else the data folder.
std::string send_start_folder(const CommProtocol& protocol) {
  const std::string folder = protocol.default_folder;
  if (!folder.empty() && folder_exists(folder)) return folder;
  if (!g_serial_ui.last_folder.empty() && folder_exists(g_serial_ui.last_folder))
    return g_serial_ui.last_folder;
  return program_folder();
}

// The man-readable characters; false when the user pressed Esc.
bool ask_leader_text(std::string* text) {
  char buffer[LEADER_ENTRY_WIDTH + 1] = {};
  const int16_t result = message_box(
      MSGBOX_CENTRE, MSGBOX_CENTRE, LEADER_ENTRY_WIDTH + 4,
      "Enter the man-readable characters you want printed at the start of the tape.\n\n"
      "\vESC\x13: abort serial communication.\n\vCTRL BACKSPACE\x13: clear entry\n\n\n",
      FIELD_UPPER_CASE, buffer, LEADER_ENTRY_WIDTH, nullptr, 0, nullptr);
  if (result == KEY_ESC) return false;
  *text = buffer;
  return true;
}

int finish_send(StatusKey how) {
  SerialLink& link = g_serial_link;
  const bool folder = link.folder_send;
  if (how == StatusKey::NONE) {
    show_count(link.bytes_sent);
    const bool drained = wait_send_queue();
    close_status_box();
    end_send(drained);
    if (!drained) {
      show_text_box(SERIAL_SEND_ABORTED_TEXT, TEXTBOX_PRESS_A_KEY);
      return -1;
    }
    if (!folder) show_text_box(SERIAL_FINISHED_TEXT, TEXTBOX_PRESS_A_KEY);
    return 0;
  }
  close_status_box();
  end_send(false);
  if (how == StatusKey::ABORT) {
    show_text_box(SERIAL_SEND_ABORTED_TEXT, TEXTBOX_PRESS_A_KEY);
  } else {
    const std::string text = "\n" + link.failure + "\nThe send was not finished.\n\n";
    show_text_box(text.c_str(), TEXTBOX_PRESS_A_KEY);
  }
  return -1;
}

// The command's own loop over the send's steps, with its status window.
int run_send_steps() {
  SerialLink& link = g_serial_link;
  link.sender_running = true;
  bool waiting_shown = false;
  uint32_t count_shown_ms = clock_now_ms();
  show_count(0);
  for (;;) {
    const SendStep step = send_some(SEND_KEY_CHECK_BYTES, clock_now_ms());
    const StatusKey key = take_status_keys(!link.folder_send);
    if (key == StatusKey::ABORT) return finish_send(StatusKey::ABORT);
    if (key == StatusKey::HIDE) {
      // The timer carries the send on; the transfer commands show its window again.
      close_status_box();
      link.sender_running = false;
      return 0;
    }
    if (clock_now_ms() - count_shown_ms >= COUNT_SHOWN_EVERY_MS || step != SendStep::WROTE) {
      show_count(link.bytes_sent);
      count_shown_ms = clock_now_ms();
    }
    const bool held = step == SendStep::HELD && (link.xoff_hold || link.cts_hold);
    if (held && !waiting_shown) {
      show_wait_ok();
      waiting_shown = true;
    } else if (step == SendStep::WROTE && waiting_shown) {
      clear_wait_line();
      waiting_shown = false;
    }
    switch (step) {
      case SendStep::WROTE: break;
      case SendStep::PAUSED: pause_ms(link.send.next_due_ms - clock_now_ms()); break;
      case SendStep::HELD:
        // The port is waited on in real time; then the program's messages are let through.
        wait_for_port(HOLD_WAIT_MS);
        pump_wait(0);
        break;
      case SendStep::DRAINING:
      case SendStep::DONE: return finish_send(StatusKey::NONE);
      case SendStep::FAILED: return finish_send(StatusKey::FAILED);
    }
  }
}

// ---- Receiving ------------------------------------------------------------------------------------

void show_receive_state() {
  const SerialLink& link = g_serial_link;
  show_count(link.bytes_received);
  if (link.data_line != g_serial_ui.shown_data) {
    g_serial_ui.shown_data = link.data_line;
    print_row(STATUS_ROW_DATA, STATUS_DATA_COLUMN, link.data_line);
  }
  if (link.idle_line != g_serial_ui.shown_idle) {
    g_serial_ui.shown_idle = link.idle_line;
    const size_t newline = link.idle_line.find('\n');
    std::string first = link.idle_line.substr(0, newline);
    std::string second = newline == std::string::npos ? "" : link.idle_line.substr(newline + 1);
    first.resize(STATUS_WIDTH - 2, ' ');
    second.resize(STATUS_WIDTH - 2, ' ');
    print_row(STATUS_ROW_WAIT, 2, first);
    print_row(STATUS_ROW_WAIT + 1, 2, second);
  }
  if (!g_serial_ui.save_shown && link.bytes_received > 0) {
    g_serial_ui.save_shown = true;
    draw_buttons();
  }
}

int end_receive_shown(StatusKey how) {
  SerialLink& link = g_serial_link;
  const std::string path = link.receive_path;
  const bool lost = link.port_lost;
  const std::string why = link.failure;
  const uint8_t auto_save = link.auto_save_seconds;
  const int silence = receive_silence_seconds(clock_now_ms());
  close_status_box();
  if (how == StatusKey::ABORT) {
    end_receive(false);
    show_text_box(SERIAL_RECEIVE_ABORTED_TEXT, TEXTBOX_PRESS_A_KEY);
    return 0;
  }
  const int64_t kept = end_receive(true);
  std::string text;
  if (lost || !why.empty()) {
    text = "\n" + (lost ? "The port " + port_text() + " failed." : why) + "\n" +
           format_thousands(kept) + " bytes received were kept in\n" + path + "\n\n";
  } else if (kept == 0) {
    text = SERIAL_NO_DATA_TEXT;
  } else if (how == StatusKey::AUTO_SAVE) {
    // The auto-save: what ended it, and where the data went.
    text = "\n\x1d!!No data came for " + std::to_string(std::max<int>(silence, auto_save)) +
           " seconds, so the receive ended.\n" + format_thousands(kept) + " bytes were saved in\n" +
           path + "\n\n";
  } else {
    text = SERIAL_TERMINATED_TEXT;
  }
  show_text_box(text.c_str(), TEXTBOX_PRESS_A_KEY);
  return 0;
}

int run_receive_status() {
  SerialLink& link = g_serial_link;
  open_status_box(receive_status_text());
  for (;;) {
    show_receive_state();
    const EventCode code = next_status_event();
    const bool file_failed = flush_receive_buffer() < 0;
    show_receive_state();
    if (link.port_lost || file_failed) return end_receive_shown(StatusKey::FAILED);
    const StatusKey key = status_key_of(code, true);
    if (key == StatusKey::HIDE) {
      close_status_box();
      return 1;
    }
    if (key != StatusKey::NONE) return end_receive_shown(key);
  }
}

// A send the timer carries, looked on again.
int run_send_status() {
  SerialLink& link = g_serial_link;
  open_status_box(send_status_text());
  bool waiting_shown = false;
  for (;;) {
    show_count(link.bytes_sent);
    const bool held = link.xoff_hold || link.cts_hold;
    if (held != waiting_shown) held ? show_wait_ok() : clear_wait_line();
    waiting_shown = held;
    const EventCode code = next_status_event();
    if (serial_send_tick() != 0 || !link.send_active) {
      close_status_box();
      const bool failed = !link.failure.empty();
      const std::string text =
          failed ? "\n" + link.failure + "\nThe send was not finished.\n\n" : SERIAL_FINISHED_TEXT;
      show_text_box(text.c_str(), TEXTBOX_PRESS_A_KEY);
      return 0;
    }
    const StatusKey key = status_key_of(code, !link.folder_send);
    if (key == StatusKey::ABORT) {
      finish_send(StatusKey::ABORT);
      return 0;
    }
    if (key == StatusKey::HIDE) {
      close_status_box();
      return 1;
    }
  }
}

void show_last_results() {
  const SerialLink& link = g_serial_link;
  const auto count = [](int64_t n) { return n < 0 ? std::string("None") : format_thousands(n); };
  const auto name = [](const std::string& s) { return s.empty() ? std::string("None") : s; };
  const std::string text =
      "\x1d!!\vThere is no communication occurring!\x13\n\nBytes just received: \v" +
      count(link.last_bytes_received) + "\x13\n File just received: \v" +
      name(link.last_received_file) + "\x13\n\nBytes just transmitted: \v" +
      count(link.last_bytes_sent) + "\x13\n File just transmitted: \v" +
      name(link.last_sent_file) + "\x13\n";
  show_text_box(text.c_str(), TEXTBOX_PRESS_A_KEY);
}

}  // namespace

// ---- Start-up -----------------------------------------------------------------------------------

void connect_serial_link() {
  g_serial_host.show_message = [](const char* text) { show_text_box(text, TEXTBOX_PRESS_A_KEY); };
  g_serial_host.post_event = [](int code) { push_input_code(static_cast<EventCode>(code)); };
  g_serial_host.transfer_ended = [](const char* notice) { g_serial_ui.notices.push_back(notice); };
  g_timer.serial_send_tick = [] { serial_send_tick(); };
  g_timer.serial_receive_tick = serial_receive_tick;
}

void close_serial_link() {
  if (g_serial_link.receive_active) end_receive(true);
  if (g_serial_link.send_active) end_send(false);
  close_serial_port(true, true);
  g_timer.serial_send_tick = nullptr;
  g_timer.serial_receive_tick = nullptr;
}

// ---- Transfers ----------------------------------------------------------------------------------

TextLine* choose_transfer_protocol(int mode) {
  show_pending_notices();
  if (transfer_active()) {
    serial_status(1);
    return nullptr;
  }
  const TextLine* first = g_protocols.lines.first;
  if (first != nullptr && first->next == nullptr) return g_protocols.lines.first;
  return choose_protocol(mode);
}

int send_to_port(TextLine* protocol_line, TextLine* from, TextLine* to, const char* path,
                 bool folder_send) {
  show_pending_notices();
  if (transfer_active()) {
    serial_status(1);
    return -1;
  }
  const CommProtocol* protocol = protocol_of(protocol_line);
  if (protocol == nullptr) return -1;
  SendRequest request;
  request.protocol = protocol;
  request.protocol_name = protocol_line->text;
  request.folder_send = folder_send;
  if (from != nullptr) {
    request.from = from;
    request.to = to;
    const TextWindow* buffer = g_windows.active;
    if (buffer != nullptr && buffer->file != nullptr) request.unread_file = buffer->file->full_path;
  } else if (path != nullptr && *path != '\0') {
    request.file_path = path;
  } else {
    std::string chosen;
    if (open_file_dialog(send_start_folder(*protocol), NC_FILE_FILTER, &chosen) != DIALOG_CHOSEN)
      return -1;
    request.file_path = chosen;
    const size_t slash = chosen.rfind('/');
    if (slash != std::string::npos) g_serial_ui.last_folder = chosen.substr(0, slash + 1);
  }
  if (has_man_readable(protocol->start_string) != 0 && !ask_leader_text(&request.leader_text)) {
    show_text_box(SERIAL_SEND_ABORTED_TEXT, TEXTBOX_PRESS_A_KEY);
    return -1;
  }
  if (begin_send(request) != 0) {
    show_open_failure();
    return -1;
  }
  open_status_box(send_status_text());
  return run_send_steps();
}

int start_receive_into(TextLine* protocol_line, const std::string& path) {
  const CommProtocol* protocol = protocol_of(protocol_line);
  if (protocol == nullptr) return 1;
  if (protocol->handshake == HANDSHAKE_NONE) get_message(MSG_RECEIVE_WITHOUT_HANDSHAKE);
  const int started = begin_receive(*protocol, protocol_line->text, path);
  if (started == -2) {
    get_message(MSG_RECEIVE_NO_MEMORY);
    return 1;
  }
  if (started != 0) {
    show_open_failure();
    return 1;
  }
  if (protocol->device_type == DEVICE_TRANSFER_BOX) {
    int32_t number = 1;
    const int16_t answer = message_box(
        MSGBOX_CENTRE, MSGBOX_CENTRE, 0,
        "Enter the program number that you want to receive from the Lil'Devil\n\n",
        FIELD_LONG | FIELD_SELECT_ALL,
        &number, PROGRAM_NUMBER_WIDTH, nullptr, 0, nullptr);
    if (answer != KEY_ESC && !write_port_bytes(transfer_box_request(number), 2000)) {
      const std::string text = "\nThe request for program " + std::to_string(number) +
                               " could not be sent to " + port_text() + ".\n\n";
      show_text_box(text.c_str(), TEXTBOX_PRESS_A_KEY);
    }
  }
  return 0;
}

int start_receive(TextLine* protocol_line) {
  show_pending_notices();
  if (transfer_active()) {
    serial_status(1);
    return 1;
  }
  const CommProtocol* protocol = protocol_of(protocol_line);
  if (protocol == nullptr) return 1;
  FileRecord record;
  const std::string folder = protocol->default_folder;
  record.folder = !folder.empty() && folder_exists(folder) ? folder : program_folder();
  if (record.folder.back() != '/') record.folder += '/';
  record.name = std::string(RECEIVED_FILE_NAME) + RECEIVED_FILE_EXTENSION;
  record.extension = RECEIVED_FILE_EXTENSION;
  if (save_as_dialog(&record) != DIALOG_CHOSEN) return 1;
  return start_receive_into(protocol_line, record.full_path);
}

int serial_status(int mode) {
  show_pending_notices();
  if (g_serial_link.receive_active) {
    run_receive_status();
  } else if (g_serial_link.send_active) {
    run_send_status();
  } else if (mode == 0) {
    show_last_results();
  }
  return transfer_active() ? 1 : 0;
}

// ---- The NC program page's commands ---------------------------------------------------------------

int receive_from_machine() {
  TextLine* protocol = choose_transfer_protocol(1);
  if (protocol == nullptr) return 1;
  if (start_receive(protocol) != 0) return 1;
  serial_status(1);
  return 0;
}

int send_file_to_machine() {
  TextLine* protocol = choose_transfer_protocol(2);
  return protocol == nullptr ? -1 : send_to_port(protocol, nullptr, nullptr, nullptr);
}

int send_lines_to_machine(TextLine* from, TextLine* to) {
  TextLine* protocol = choose_transfer_protocol(2);
  return protocol == nullptr ? -1 : send_to_port(protocol, from, to, nullptr);
}

int stop_transfer() {
  SerialLink& link = g_serial_link;
  if (link.receive_active) {
    end_receive_shown(StatusKey::SAVE);
  } else if (link.send_active) {
    finish_send(StatusKey::ABORT);
  } else {
    close_serial_port(true, true);
  }
  return 0;
}

// ---- Status lines -------------------------------------------------------------------------------

void show_wait_ok() { print_row(STATUS_ROW_WAIT, 2, SERIAL_WAITING_TEXT); }

void clear_wait_line() { print_row(STATUS_ROW_WAIT, 2, std::string(STATUS_WIDTH - 2, ' ')); }

void clear_status_rows() {
  for (int row = STATUS_ROW_WAIT; row <= STATUS_ROW_QUEUE; ++row)
    print_row(row, 2, std::string(STATUS_WIDTH - 2, ' '));
}

bool wait_send_queue() {
  const SerialLink& link = g_serial_link;
  int shown = -1;
  for (;;) {
    const int queued = serial_output_queued(link.port);
    if (queued <= 0) break;
    if (queued != shown) {
      char text[48];
      std::snprintf(text, sizeof text, "Bytes remaining in queue: %4d", queued);
      print_row(STATUS_ROW_QUEUE, 2, text);
      shown = queued;
    }
    if (take_status_keys(false) == StatusKey::ABORT) return false;
    if ((serial_wait(link.port, 0, QUEUE_WAIT_MS) & SERIAL_GONE) != 0) return false;
  }
  if (shown >= 0) print_row(STATUS_ROW_QUEUE, 2, std::string(STATUS_WIDTH - 2, ' '));
  return true;
}

void reset_serial_interface() { g_serial_ui = SerialInterface(); }
