// Item and node marks: the user marks items and nodes (by clicking or by a window) for the Marks
// menu, the selection mode and the transforms, and may set the marks aside to bring them back
// later. Marked items are drawn in the marked colour 244, marked nodes carry a red marker. The
// job's marks summary (JobSettings::item_flag_union) tells the page whether anything is marked.
#pragma once

#include <cstdint>

#include "geometry/drawing_item.h"
#include "geometry/float2d.h"

// Node mark bits of a record's second flags byte (0x200 and 0x400 of its first 16-bit word).
constexpr uint8_t NODE_MARK_BITS = LINK_NODE_MARKED | LINK_SAVED_MARK;
// Bits of the marks summary.
constexpr int16_t MARKS_ITEMS = ITEM_FLAG_MARKED;                    // 2
constexpr int16_t MARKS_SAVED_ITEMS = ITEM_FLAG_SAVED_MARK;          // 4
constexpr int16_t MARKS_NODES = ITEM_FLAG_HAS_MARKED_NODES;          // 0x10
constexpr int16_t MARKS_SAVED_NODES = ITEM_FLAG_HAS_SAVED_NODE_MARKS;  // 0x20
// clear_item_node_marks: the marks become saved marks.
constexpr int KEEP_NODE_MARKS = 1024;

// The tools that mark.
constexpr int16_t TOOL_MARK_ITEMS = 751;
constexpr int16_t TOOL_UNMARK_ITEMS = 752;
constexpr int16_t TOOL_MARK_NODES = 758;
constexpr int16_t TOOL_UNMARK_NODES = 762;

// The job's marks summary.
int16_t& marks_summary_bits();

// ---- by the cursor and by a window ----
// The code when nothing is picked (the caller lets the user drag a window), 0 when the hovered
// item or node was (un)marked, -1 when nothing changed.
int mark_under_cursor(int code);
// Items whose links lie wholly inside the window (bounds inclusive).
void window_mark_items(PointF corner1, PointF corner2, int mark);
void window_mark_nodes(PointF corner1, PointF corner2, int mark);

// ---- clearing, saving, restoring ----
// keep 0 or MARKS_SAVED_ITEMS (4): with 4 the marks become saved marks.
void clear_marks(int keep);
void clear_item_node_marks(DrawingItem* item, int keep);
void restore_saved_marks();
void restore_item_node_marks(DrawingItem* item);
// Node marks gone, flags byte 1.
void clear_item_marks(DrawingItem* item);

// ---- what is marked ----
int update_has_marked_nodes(DrawingItem* item);
int item_node_mark_bits(DrawingItem* item);
int count_marked_items();
int marks_summary(int all);
int marks_state();
// Shows the page strip's "Marks" control while something is marked, hides it otherwise.
void show_marks_control();
