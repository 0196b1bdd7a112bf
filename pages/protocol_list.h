// The communication protocols as the user keeps them: the protocol list window (pick one for a
// transfer, reorder, delete, or open one in the protocol form), the protocol form (catalogue
// form 106), the speed choice, and the one look at the serial ports per run. The protocols
// themselves and their file are nc/comm_protocol.h's.
#pragma once

#include <cstdint>

#include <string>

#include "nc/comm_protocol.h"
#include "screen/event_queue.h"

struct TextLine;

constexpr char PROTOCOL_LIST_TITLE[] = "Communication Protocols";
constexpr char PROTOCOL_LIST_LETTERS[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZ";
constexpr char PROTOCOL_LIST_HELP[] =
    "You can arrange these protocols in this list\nto put the most important ones first.";
constexpr char PROTOCOL_LIST_LEGEND[] =
    "Slide the cursor bar to the \vright\x13 to edit the hi-lited protocol\n\vDELETE\x13: delete "
    "spec            \vESC\x13 or \vRIGHT mouse button\x13: cancel";
constexpr char PORT_SCAN_TEXT[] = "Getting port addresses for first time...";
constexpr int PROTOCOL_LIST_WIDTH = 16;

// choose_protocol modes
constexpr int PROTOCOL_EDIT = 0;
constexpr int PROTOCOL_FOR_RECEIVE = 1;
constexpr int PROTOCOL_FOR_SEND = 2;

struct ProtocolForm {
  TextLine* list_window = nullptr;  // the protocol list's window while a choice runs, else null
  TextLine* line = nullptr;         // the protocol being edited
  CommProtocol working;             // the form's copy of the record, stored on OK
  char name[PROTOCOL_NAME_MAX + 1] = {};  // and of the name
  EventCode step = 0;               // PgUp or PgDn left the form for the protocol above or below
  int choose_mode = PROTOCOL_EDIT;  // the mode of the running choose_protocol
};
extern ProtocolForm g_protocol_form;

// ---- The list -----------------------------------------------------------------------------------
// Reads the protocol file and the man-readable table of the program folder (start-up). The list
// window is made for each choice, over the protocols, and gives them back when it closes.
void load_protocols();
// Writes the list back when it was changed; the reason goes to the user when that fails.
void save_protocols();
// Frees the list (shutdown).
void free_protocol_names();
// The list for a mode (PROTOCOL_EDIT, PROTOCOL_FOR_RECEIVE, PROTOCOL_FOR_SEND), opened on the
// protocol chosen last, with a blank last line for a new protocol; changes are saved when it
// closes. The chosen protocol's line, or null (cancelled, or edited only).
TextLine* choose_protocol(int mode);
// The list window's key filter: Enter or a click picks (or, editing, opens the form), Right or
// a typed character opens the form, Del deletes, Alt+Up and Alt+Down move a protocol.
EventCode protocol_list_key();

// ---- The form -----------------------------------------------------------------------------------
// Looks at the ports (once a run), then runs form 106 on the protocol. The code for the list:
// Up or Down to go on with the protocol above or below, 430 to leave the list too, else 0.
EventCode edit_protocol(TextLine* line);
// The field handler of form 106.
EventCode protocol_field();
// The speed choice of a form field: the speed index, changed through a pick list.
EventCode pick_baud(uint8_t* speed_index);
// Opens and closes each of COM1-COM9 once a run, with a notice while it does.
void scan_com_ports();

// Test hooks
void reset_protocol_list();
