// The undo store of the drawing: a list of record nodes (type 0, kind in the flags byte, an
// UndoRecord as extra block), each followed by the saved copies of the items it concerns. Undo
// and redo walk the records; applying a record exchanges or moves the saved copies and the live
// items, so one record serves both ways. The store keeps at most 61 records.
#pragma once

#include <cstdint>

#include "geometry/drawing_item.h"
#include "store/line_list.h"

// Record kinds (the record node's flags byte).
constexpr uint8_t UNDO_CHANGED = 1;        // one item changed in place: its copy follows
constexpr uint8_t UNDO_ADDED = 2;          // items added: their IDs
constexpr uint8_t UNDO_DELETED = 3;        // items deleted: their IDs and copies
constexpr uint8_t UNDO_REPLACED_ONE = 6;   // one new item that replaces others: its ID
constexpr uint8_t UNDO_ORIGINALS = 7;      // the originals it replaced: their copies
constexpr uint8_t UNDO_REPLACED = 8;       // new items that replace others: their IDs
constexpr uint8_t UNDO_REPLACED_ORIGINALS = 9;  // the originals they replaced: IDs and copies
constexpr int UNDO_MOST_RECORDS = 61;

// The extra block of a record node; the item IDs (i32 each) follow it.
struct UndoRecord {
  float view_left = 0.0f;    // the view window's lower-left corner
  float view_bottom = 0.0f;
  float view_right = 0.0f;   // and upper-right corner
  float view_top = 0.0f;
  float grid_step = 0.0f;    // the job's grid step
  float scale = 0.0f;        // pixels per unit (x and y alike)
  uint8_t view_kept = 0;     // the job's view-set mark
  uint8_t grid_on = 0;       // the page's grid switch
  uint8_t axis_lock = 0;
  uint8_t page = 0;          // the page the record was made on (1 Engraving list, 2 Drawing)
  int16_t id_count = 0;
};

struct UndoStore {
  TextLine* current = nullptr;  // the last step done (a record node), or null
  TextLine* redo = nullptr;     // the first step undone, or null
  int16_t step_count = 0;       // record nodes in the store, 0..61
};
extern UndoStore g_undo;

// The store (list slot 13).
LineList& undo_list();
bool is_undo_record(const TextLine* node);
uint8_t undo_record_kind(const TextLine* node);
// The IDs of a record node.
int undo_record_id_count(const TextLine* node);
int32_t undo_record_id(const TextLine* node, int index);

// ---- recording ----
// Drops the undone records, drops an empty exchange record, appends a record of the kind with
// the present view and makes it current; the oldest goes past 61.
void undo_push(uint8_t kind);
// An exchange record with a copy of the item (before a change in place).
void undo_save_item(DrawingItem* item);
// The last n items of the drawing were added.
void undo_record_added(int n);
// The item (unlinked from the drawing), or with null every original, was deleted.
void undo_record_deleted(DrawingItem* item);
void undo_record_replaced(int n, int with_originals);
void undo_record_replaced_one();
// After undo_save_item: drops the record when the item's stored form equals its copy.
void undo_drop_if_unchanged(DrawingItem* item);
// Frees the store.
void undo_clear();

// ---- undo and redo ----
void undo_command();
void redo_command();

// Test hooks
void reset_undo_store();
