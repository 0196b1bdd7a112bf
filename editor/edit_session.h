// The edit session of the drawing commands. A command changes items only on working copies: the
// items to change are duplicated into a working set at the end of the drawing list, the command
// works on the copies, and the session is then committed (the copies stay, the originals go into
// the undo store) or cancelled (the copies go, the originals come back). The undo store and its
// records are in editor/undo_store.h.
#pragma once

#include <cstdint>

#include "geometry/drawing_item.h"
#include "geometry/float2d.h"
#include "editor/node_context.h"

// The command mark while a session begun by edit_begin is open.
constexpr uint8_t EDIT_COMMAND_OPEN = 80;
// The selection mask of a session when no item is named: marked items and items with marked
// nodes.
constexpr uint8_t EDIT_SELECT_MARKED = ITEM_FLAG_MARKED | ITEM_FLAG_HAS_MARKED_NODES;
// edit_commit modes
constexpr int EDIT_COMMIT_COPY = 0;
constexpr int EDIT_COMMIT_MOVE = 1;

struct EditSession {
  DrawingItem* working_set = nullptr;  // first working copy; the set runs to the end of the
                                       // drawing list; null when no set was built
  uint8_t selection_mask = EDIT_SELECT_MARKED;  // ItemFlags bits that select a session's items
  uint8_t command_mark = 0;            // EDIT_COMMAND_OPEN while a session is open, else 0
  // What the dispatcher hands the node-editing session.
  LinkRecord* current_link = nullptr;  // the session's current link of the working copy
  DrawingItem* edited_item = nullptr;  // the item the extrude checks look at
  int32_t continue_node = -1;          // -1; a link index: add a node at that end of the last item
  int16_t session_tool = 0;            // the tool that continues an open polyline
  uint8_t continue_mark = 0;           // 2 while a tool continues a polyline
  int32_t session_link_count = 0;      // the hovered item's link count when a session runs
  int16_t change_choice = 0;           // the option of the Change menu
  uint8_t join_done = 0;               // the join command found nothing more to join
  uint8_t order_changed = 0;           // a new machinable item was made: renumber at the end
  PointF nudge = {0.0f, 0.0f};         // the nudge vector, job units
  int32_t command_count = 0;           // commands handed to the dispatcher this run
  NodeContext node;                    // the node editor's context while a node command runs
};
extern EditSession g_edit;

// True while a session begun by edit_begin is open.
inline bool edit_session_open() { return g_edit.command_mark == EDIT_COMMAND_OPEN; }

// ---- opening and closing ----
// Builds the working set from the item alone (or, with null, from every item whose flags share
// a bit with the selection mask) and opens the session. keep_originals non-zero moves the
// originals to the originals list; 0 (a copy) moves them to the front of the drawing. Returns
// the number of items taken, -1 when none was (nothing copied or moved).
int edit_begin(DrawingItem* item, int keep_originals);
// The edit is done: the job is changed; a move (mode 1) stores the originals for undo, a copy
// (mode 0) numbers the copies anew and puts the originals back in front of them.
void edit_commit(int mode);
// Closes the session: the working copies are refitted, boxed, laid out and made active.
void edit_finish();
// Drops the working copies and puts the originals back, and an empty undo record with them.
void edit_cancel();

// ---- originals ----
// Moves the originals behind the current undo record, or frees them when they have no item ID.
void store_originals_for_undo();
// A duplicate of every original at the front of the drawing list; how many.
int restore_original_copies();
void move_to_originals(DrawingItem* item);
void keep_original(DrawingItem* item);
void discard_originals();
// The first original, or null.
DrawingItem* first_original();

// ---- the working set ----
void redraw_kept_originals();
void relayout_session_texts();
void renumber_session_order();
void free_working_set();
void draw_working_set(int16_t colour);
void xor_draw_working_set();
int count_working_set();

// Writes an item's machining order (nothing for a drawing aid).
void set_item_machining_order(DrawingItem* item, int16_t order);
// Draws one item in a colour index (a layer, or COLOUR_*).
void draw_item_in_colour(DrawingItem* item, int16_t colour);

// Test hooks
void reset_edit_session();
