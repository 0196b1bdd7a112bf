// What the Drawing page starts in the layers above it: the drawing commands, and the machining,
// printing and e-mail services of other pages. Those layers fill this table at start-up; an
// entry still empty (its command not in the program yet) shows the one notice instead and
// changes nothing.
#pragma once

#include <cstdint>

#include "geometry/drawing_item.h"
#include "geometry/float2d.h"
#include "screen/event_queue.h"

// The machining rows of an item's panel, below the item's own rows after one blank row.
constexpr int CAM_PANEL_ROWS = 11;

// The notice of a command this version does not have.
constexpr char MISSING_COMMAND_TEXT[] = "This version does not have that command yet.";

struct DrawingCommandEntries {
  // ---- node editing and creation ----
  // Runs the node-editing session with a command id: 0 committed or finished, -1 cancelled.
  int (*node_edit_session)(int op) = nullptr;
  // Creates an item by a tool id (value forms 140-150); the new item is the drawing's last.
  void (*create_item_by_mouse)(int code) = nullptr;
  // A point at the cursor with the cut type.
  void (*new_point_with_cam_op)(int cut_type) = nullptr;
  // After a node of the item was edited by hand (end 2: the link's end node): a closed item
  // stays closed.
  void (*keep_polyline_closed)(DrawingItem* item, LinkRecord* link, int end) = nullptr;
  // Re-applies a symmetric polyline's symmetry after an edit at a node.
  void (*update_symmetry_after_edit)(DrawingItem* item, int node_index) = nullptr;
  // Whether a node command may act on the edited item at a link: negative when not. Empty:
  // every command may.
  int (*node_command_check)(int16_t command, int link_index, int pick_kind) = nullptr;
  // Draws the Engraving list page behind an item panel that stands over it (the side panel
  // off). Empty: the page draws itself when it runs again.
  void (*redraw_text_list_page)() = nullptr;

  // ---- commands of the page's keys and menus ----
  int (*fillet_command)() = nullptr;
  int (*batch_join_command)() = nullptr;
  int (*offset_command)() = nullptr;
  int (*trim_extend_command)() = nullptr;
  // 1 or more: the boolean engine left a geometry fault to report.
  int (*fuse_loops)() = nullptr;
  // The number of drill points made.
  int (*drill_points_command)() = nullptr;
  int (*separate_command)() = nullptr;
  // The number of pieces made of the items the selection mask picks.
  int (*separate_marked_items)() = nullptr;

  // ---- transforms, clipboard ----
  int (*move_command)() = nullptr;
  int (*copy_items_command)() = nullptr;
  int (*move_by_points_or_values)(int how) = nullptr;
  int (*mirror_by_values_command)(int keep_colour) = nullptr;
  int (*rotate_by_values_command)() = nullptr;
  int (*scale_by_values_command)() = nullptr;
  int (*align_command)() = nullptr;
  // The array form on the selected (working-flag) items; returns when the form closes.
  int (*array_form)() = nullptr;
  // The number pasted, 0 with an empty clipboard, minus the number when placing was cancelled.
  int (*paste_command)(int flags) = nullptr;
  int (*copy_to_destination)(PointF start) = nullptr;
  // Moves a frame item (its working copy, a start point and a destination) with the background
  // image following it; the item itself stays as it was. 0 moved, -1 not.
  int (*move_image_frame)(DrawingItem* frame) = nullptr;
  int (*rotate_command)(PointF pivot) = nullptr;
  int (*scale_command)(PointF pivot, int mode) = nullptr;
  // The whole drawing about a centre (the midpoint of the extents, or the dialog's); 1 done,
  // 0 refused.
  int (*scale_all_items)(float factor, PointF centre) = nullptr;
  int (*rotate_all_items)(float angle_rad, int all, PointF centre) = nullptr;
  int (*mirror_all_items)(PointF centre, float angle_rad, int mode) = nullptr;
  int (*display_options_dialog)() = nullptr;
  // The dialogs of the whole-drawing transforms: 1 when accepted, with their values (a centre
  // passed in is the one they start with).
  int (*run_origin_dialog)(PointF* point) = nullptr;
  int (*run_rotate_all_dialog)(PointF* centre, float* angle_deg, int* include_inactive) = nullptr;
  int (*run_mirror_all_dialog)(PointF* centre, float* angle_deg, int* mode) = nullptr;

  // ---- machining, printing, e-mail (other pages) ----
  // The machining panel of an item: mode 1 draws it, 0 runs it and leaves its exit code in
  // cam_panel_exit.
  void (*show_cam_panel)(DrawingItem* item, int mode) = nullptr;
  // The machining rows of the panel item: the catalogue form that labels them (0: none), their
  // field handler (rows counted from the first machining row) and their display pass, which
  // shows CAM_PANEL_ROWS values.
  int (*cam_panel_layout)(const DrawingItem* item) = nullptr;
  EventCode (*cam_panel_rows)(int row) = nullptr;
  void (*cam_panel_fields)() = nullptr;
  // "Reset with my CAM defaults" on the panel item: true when it changed.
  bool (*cam_panel_reset)(DrawingItem* item) = nullptr;
  int (*copy_cam_to_picked)() = nullptr;
  int (*copy_cam_to_marked)() = nullptr;
  int (*mark_drawing_aids)() = nullptr;
  int (*take_defaults_from_item)(int option) = nullptr;
  int (*change_items_command)(int option) = nullptr;
  int (*reorder_items_command)() = nullptr;
  int (*move_machining_group)() = nullptr;
  int (*machining_order_command)(int mode) = nullptr;
  int (*set_machining_group)(int mask) = nullptr;
  int (*check_tool_diameters)() = nullptr;
  int (*print_drawing)() = nullptr;
  // The grid and snap options (catalogue dialog 370): 1 when accepted.
  int (*grid_options_dialog)() = nullptr;
  int (*email_file)(int kind) = nullptr;
};
extern DrawingCommandEntries g_drawing_commands;

// The panel's exit code after show_cam_panel mode 0 (699, 27, 698 or another).
extern int g_cam_panel_exit;

// The press-a-key box with the notice of a missing command.
void show_missing_command_notice();

// Test hooks
void reset_drawing_commands();
