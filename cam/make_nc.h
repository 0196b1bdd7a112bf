// The make-NC driver: turns the machinable items of the drawing (the current list) into one NC
// program. It checks the job, encodes the centerline items and drill points in machining order
// (groups, then order within a group) into the path code with their speeds, tool changes and
// depth passes, then has the post processor write the NC program into list slot 6 (or, in a
// proof run, the proof file) and tidies it by the post processor's options. It also holds what
// the page loop and shutdown ask of the tool-path engine.
//
// Everything it tells the user goes through the host (cam/cam_host.h). A run that is cancelled
// with Esc, runs out of memory or whose post processor stops short returns 0 and says what is
// missing: its lines are never handed on as a complete program.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "store/line_list.h"

// Result flags of the last make_nc_program: with 0x20 or 0x80 set the page loop goes back to
// the Drawing page.
constexpr uint8_t MAKE_NC_BACK_TO_DRAWING = 0x20;  // two outlines of a machining group cross
constexpr uint8_t MAKE_NC_FAILED = 0x80;           // the Drawing page shows the problem point
// Group values used as markers.
constexpr int16_t MACHINING_GROUP_DXF_DRAWING = 32500;  // items without a cut in a DXF export
constexpr int16_t MACHINING_GROUP_OUTLINE_COPY = 32520;  // outline copies in a proof run
constexpr int16_t MACHINING_GROUP_EXHAUSTED = 32534;     // an exhausted list while merging
// Texts of the run.
constexpr char MAKE_NC_PROGRESS_TEXT[] =
    "Press \vESC\x13 to cancel (it may take a while to cancel)\n\n\n";
constexpr char MAKE_NC_CENTERLINE_TEXT[] = "Centerline cutting...";
// Items encoded between two looks at the Esc key.
constexpr int MAKE_NC_ESCAPE_POLL_ITEMS = 16;

// What the last run did and left out.
struct MakeNcState {
  uint8_t result_flags = 0;         // MAKE_NC_* of the last run; 0 = no problem to show
  uint8_t output_kind = 0;          // of the run: 0 G & M codes (a proof run always)
  bool proof_run = false;           // the 3-D view's run: proof records instead of NC lines
  bool cancelled = false;           // Esc, or a failure that ended the run without output
  int32_t items_encoded = 0;        // direct and tool-path items put into the path code
  std::vector<std::string> left_out;  // one line per item not machined, and why
  std::string failure;              // why the last run produced nothing, or stopped short
  int32_t problem_item_id = 0;      // the item a check stopped at (0 none)
};
extern MakeNcState g_make_nc;

// ---- The run ----------------------------------------------------------------------------------
// Makes the NC program (or the proof file when g_proof.run_level is set) from the current list.
// Returns post_process's result (1 NC lines written, -1 proof written); 0 for a failed check, a
// cancelled or failed run, or a run that made nothing.
int make_nc_program();

// ---- Steps and small operations -----------------------------------------------------------------
// Frees the tool-path items (list slot 11) and deletes the proof file.
void clear_tool_path();
// A machining value of an item changed: the job is marked changed and the tool path, made from
// the old value, is dropped so that it is made again.
void mark_machining_changed();
// The attribute byte of a tool-path item that holds its letter: 'r' roughing, 'f' finishing.
constexpr size_t TOOL_PATH_LETTER_ATTR = 2;
// Lays every selected text item out again (straight texts from their height) before a run; the
// number laid out.
int prepare_text_items();
// nc_state cleared, a tolerance of 0 set to 0.004 (inch) or 0.1 (mm), the path code allocated,
// the encoder and the walkers set up for the run, the word formats built for the definition and
// the machining order renumbered. False when the path code could not be allocated.
bool output_setup();
// True when a selected item of the current list is set for machining.
bool any_item_machined();
// Tool-path items: group, roughing before finishing, order, first X.
int compare_tool_path_items(const TextLine* a, const TextLine* b);
// Gives a tool-path item the machining block of its source among `sources`: the first item that
// is not an island with the path item's group and order, else the first item. The block's
// operation becomes centerline; a roughing item whose source has no roughing tool becomes a
// finishing item.
void copy_source_settings(TextLine* path_item, LineList sources);
// The NC program's title for the N# placeholder (the caller puts it into g_code_section before
// the run): the file name of the path up to its first '.', or "NO_NAME".
std::string nc_program_title(const std::string& path);

// ---- Test hooks ---------------------------------------------------------------------------------
void reset_make_nc();
