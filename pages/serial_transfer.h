// The machine link as the user sees it: choosing the protocol of a transfer, the send with its
// status window, the receive with its own, the report of the last transfers, and the commands
// the NC program page offers for them. The transfer engine (nc/serial_link.h) does the work;
// this is its face: the status windows, the questions it asks, the keys that abort, save or
// hide, and its host, connected at start-up with the timer's two serial steps.
#pragma once

#include <string>
#include <vector>

#include "screen/event_queue.h"
#include "ui/editor_key_map.h"

struct TextLine;

// ---- Texts --------------------------------------------------------------------------------------
constexpr char SERIAL_STATUS_TITLE[] = "Communication Status";
constexpr char SERIAL_WAITING_TEXT[] = "Waiting for OK to send data...";
constexpr char SERIAL_HIDE_TEXT[] = "Press ESC to hide this window";
constexpr char SERIAL_FINISHED_TEXT[] = "\n\x1d!!Finished Transmitting!\n\n";
constexpr char SERIAL_SEND_ABORTED_TEXT[] = "\n\x1d!!Serial transmission aborted!\n\n";
constexpr char SERIAL_TERMINATED_TEXT[] = "\n\x1d!!Terminated! Data has been saved!\n\n";
constexpr char SERIAL_RECEIVE_ABORTED_TEXT[] = "\n\x1d!!Data collection aborted!\n\n";
constexpr char SERIAL_NO_DATA_TEXT[] = "\n\x1d!!There's no data to save!\n\n";
constexpr char NC_FILE_FILTER[] =
    "NC files|*.cnc;*.nc*;*.ncc;*.dnc;*.cam;*.eia;*.tap|TXT files|*.txt|DAT files|*.dat";
constexpr EventCode KEY_CTRL_F10 = 359;                // save a receive and end it

// Rows of the status windows, counted from their first text row.
constexpr int STATUS_ROW_COUNT = 4;         // the bytes sent or received
constexpr int STATUS_ROW_DATA = 6;          // a receive's data line
constexpr int STATUS_ROW_WAIT = 7;          // the waiting or idle notice
constexpr int STATUS_ROW_QUEUE = 8;         // the bytes still queued for output
constexpr int STATUS_ROW_SEND_BUTTONS = 11;
constexpr int STATUS_ROW_RECEIVE_BUTTONS = 13;
constexpr int STATUS_COUNT_COLUMN = 31;     // the count's column on its row
constexpr int STATUS_DATA_COLUMN = 7;
constexpr int STATUS_CANCEL_COLUMN = 1;     // " Cancel " on the buttons row
constexpr int STATUS_SAVE_COLUMN = 11;      // " Save " on a receive's buttons row
constexpr int STATUS_BUTTON_WIDTH = 8;

struct SerialInterface {
  std::vector<std::string> notices;   // transfers that ended out of sight, for the next look
  std::string last_folder;            // the folder of the last file sent
  void (*repaint)() = nullptr;        // the page's repaint while a transfer runs (NC page)
  bool box_open = false;              // a status window is on the screen
  int box_top = 0;                    // its first text row and left column (normal cells)
  int box_left = 0;
  bool save_shown = false;            // a receive's save button is shown
  int64_t shown_count = -2;           // what the window shows now: rows are drawn on a change
  std::string shown_data;
  std::string shown_idle;
  // What tests read back: the texts written on status rows since the reset, the latest last
  // (at most STATUS_TEXTS_KEPT).
  std::vector<std::string> status_texts;
};
constexpr size_t STATUS_TEXTS_KEPT = 256;
extern SerialInterface g_serial_ui;

// ---- Start-up -----------------------------------------------------------------------------------
// Connects the link's host to the screen and puts the two serial steps into the timer.
void connect_serial_link();
// At the program's end: a receive keeps what has arrived, a send is given up, the port closed,
// and the timer's serial steps taken out.
void close_serial_link();

// ---- Transfers ----------------------------------------------------------------------------------
// The protocol of a transfer (mode 1 receive, 2 send): the only one without asking, else the
// user's choice; null when cancelled, or while a transfer runs (its status is shown instead).
TextLine* choose_transfer_protocol(int mode);
// Sends editor lines from `from` up to `to` (the active buffer's file supplies any part not yet
// loaded), or the file `path`, or (both null) a file chosen in the open dialog. 0 when sent
// (or still sending, its window hidden); -1 when refused, aborted or failed, each said.
int send_to_port(TextLine* protocol, TextLine* from, TextLine* to, const char* path,
                 bool folder_send = false);
// Asks for the file, then receives into it. 0 when the receive runs; nonzero when it did not
// start.
int start_receive(TextLine* protocol);
// The same into a file already chosen.
int start_receive_into(TextLine* protocol, const std::string& path);
// The status window of the running transfer until it ends or is hidden; with nothing running and
// mode 0, the report of the last transfers. Nonzero while a transfer still runs afterwards.
int serial_status(int mode);

// ---- The NC program page's commands ---------------------------------------------------------------
// Receive from the machine: protocol, file, then the receive's status window.
int receive_from_machine();
// Send a file chosen in the open dialog.
int send_file_to_machine();
// Send editor lines (the page checks that there are any).
int send_lines_to_machine(TextLine* from, TextLine* to);
// Stop the transfer that runs and close the port: a send is aborted, a receive saved.
int stop_transfer();

// ---- Status lines -------------------------------------------------------------------------------
void show_wait_ok();
void clear_wait_line();
void clear_status_rows();
// Waits until the output queue is empty, showing what remains; false when Ctrl+X stopped it.
bool wait_send_queue();

// Test hooks
void reset_serial_interface();
