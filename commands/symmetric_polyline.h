// Symmetric polylines: making them, asking for the symmetry angle (the drawing model calls
// these through its host; solving and unmaking live in geometry/symmetric_nodes.h), the
// middle-node pair of a "Dual" polyline, and room for a node inserted into one.
#pragma once

#include <cstdint>

#include "geometry/drawing_item.h"

// The Symmetry Angle dialog's state. The angle lasts for the run; the rest is set each time the
// dialog opens.
struct SymmetryDialogState {
  float angle = 0.0f;          // degrees, the angle the dialog shows and applies
  int radio = 0;               // 1 "Horizontal", 2 "Vertical", 3 "Angle:", 0 none
  int applied = 0;             // whole degrees of the last angle a radio applied (0 at the start)
  bool closed = false;         // "Closed" ticked
  bool reverse = false;        // "Reverse" ticked (hidden while "Closed" is)
  float closed_angle = 0.0f;   // degrees: first own node to the middle, when "Closed" was ticked
  char text[16] = {};          // the angle field as typed
};
extern SymmetryDialogState g_symmetry_dialog;

// Puts two marker records (the symmetry line) in front of the item's nodes and flags it "Dual".
// how: 0 an open polyline whose nodes the caller has just doubled, 1 an open polyline that
// already has both halves, 112 no dialog (the offset command). The link count before the
// markers were added, or 0 when the item has one link or none or the dialog was cancelled (the
// caller then restores the item it kept).
int make_symmetric_polyline(DrawingItem* item, int how);
// Makes the item the perpendicular kind: the marker runs from the middle of the first quarter's
// span to the first own node. The link count before the markers, or 0 for one link or none.
int make_perpendicular_symmetric(DrawingItem* item);

// The "Symmetry Angle" dialog on a "Dual" item of `link_count` links whose markers are in place:
// 0 when the user chose OK, -1 when cancelled.
int symmetry_dialog(DrawingItem* item, int32_t link_count);
// Puts the marker through the middle of the item at the angle (degrees).
void place_symmetry_axis(DrawingItem* item, float angle_deg);
// Reverses the first half (with the middle link of an odd count) in place: its middle end
// becomes its start.
void reverse_first_half(DrawingItem* item);
// Selects radio n (1-3) of the dialog and redraws the three.
void select_symmetry_radio(int n);

// Splits the middle link of a "Dual" polyline with an odd link count: a node at its middle, on
// the symmetry line. 0, or -1 refused (another item or an even count).
int split_middle_link(DrawingItem* item);
// Removes the middle node of a "Dual" polyline with an even link count, leaving a middle link
// across the line. 0, or -1 refused (another item or an odd count).
int remove_middle_node(DrawingItem* item);
// Before a node is inserted into link `link_index` of a "Dual" item: one record more, at the
// end when the link is in the first half, else at the start of the own links (the records
// from there move up by one). 1 when the links moved up, 0 when not, -1 when the item could not
// grow. The item's records move: find them again.
int add_symmetric_node_slot(DrawingItem* item, int32_t link_index);

// Test hook
void reset_symmetry_dialog();
