// The tool list page: the list window of the tools (list slot 8), made at start-up with
// tool_list_key as its key filter, and the record dialog of one tool. The list always ends in one
// blank tool where a new one is typed in; a tool cannot be left with a name and no size.
#pragma once

#include "cam/tools.h"
#include "screen/event_queue.h"
#include "store/line_list.h"

constexpr char TOOL_LIST_HELP[] =
    "\vRight\x13 or a letter opens the tool,  \vDel\x13 deletes it,  \vEnter\x13 takes it.";

// Dialog rows, in the catalogue form's field order.
enum ToolRecordRow {
  TOOL_ROW_NAME = 0,
  TOOL_ROW_SHAPE = 1,
  TOOL_ROW_SIZE = 2,
  TOOL_ROW_TIP = 3,
  TOOL_ROW_UNITS = 4,
  TOOL_ROW_RPM = 5,
  TOOL_ROW_FEED = 6,
  TOOL_ROW_PLUNGE = 7,
  TOOL_ROW_NUMBER = 8,
  TOOL_ROW_STEP_DOWN = 9,
  TOOL_ROW_STEPOVER = 10,
  TOOL_ROW_RAMP = 11,
  TOOL_ROW_COUNT = 12,
};

struct ToolListPage {
  TextLine* window = nullptr;  // the tool list window start-up made (null before it)
  EventCode pending = 0;       // KEY_UP/KEY_DOWN: the dialog left with PgUp/PgDn, reopen it
  bool closing = false;        // the dialog asked to leave the list altogether
  bool typed_open = false;     // a typed character opens the dialog: it starts on the name
};
extern ToolListPage g_tool_list_page;
void reset_tool_list_page();

// The key filter of the tool list window: the event code run_window acts on, 0 when handled.
EventCode tool_list_key();
// Runs the record dialog on the current tool line; the line stays current (it may have moved).
// KEY_UP or KEY_DOWN when it was left with PgUp or PgDn, WINDOW_CANCEL when the list is to close,
// else 0.
EventCode edit_tool_record();
// The record dialog's field handler.
EventCode tool_record_field();
// Runs the tool list window; true with the chosen tool's record (and its name) when one was
// taken with Enter. A changed list becomes list slot 8.
bool choose_tool_from_list(ToolRecord* tool);
