// What the drawing model asks of the program above it: menus, machining data and defaults,
// text layout, the editor's pointer, redraw, view extents and hover, and the node editor's
// commands. Start-up connects the hooks; tests replace them. Geometry calls nothing above it
// any other way.
#pragma once

#include <cstdint>

#include "geometry/drawing_item.h"
#include "geometry/float2d.h"

// The node command that refits the links after a node was deleted.
constexpr int16_t NODE_COMMAND_REFIT_AFTER_DELETE = 818;

// Every hook may be null; the comment says what a null hook answers.
struct GeometryHost {
  // Shows picture `picture` of the picture file as a grid of rows x columns cells under a
  // header of `header_pixels` and returns the cell picked, or -1 when the user cancels.
  // Null: cancelled.
  int (*choose_picture_cell)(int picture, int rows, int columns, int header_pixels);
  // Copies the source's machining data to a result item; the result is ignored. Null: nothing.
  int (*copy_item_cam)(const DrawingItem* source, DrawingItem* target);
  // Offsets a text item through the tool-path engine, whose results take the given CAM kind
  // and layer; the number of items appended to the current list, or -1. Null: nothing made.
  int (*offset_text)(DrawingItem* item, float distance, uint8_t cam_kind, uint8_t layer);
  // Gives a new machinable or text item its machining defaults. Null: the block keeps zeros.
  void (*apply_new_item_defaults)(GeometryBlock* block);
  // Lays the text of a text item out again in its (moved) frame. Null: nothing.
  void (*layout_text)(DrawingItem* item);
  // Sets the pointer shape the editor applies on its next pass. Null: nothing.
  void (*set_pointer_shape)(uint8_t shape);
  // Asks the editor to redraw the drawing on its next pass. Null: nothing.
  void (*request_redraw)();
  // The stored extents of the shown items. Null: both corners at the origin.
  void (*shown_items_extents)(PointF* out_min, PointF* out_max);
  // Moves the stored extents of the shown items and of everything shown. Null: nothing.
  void (*move_view_extents)(const PointF& move);
  // Forgets the hovered item (it may be about to change). Null: nothing.
  void (*clear_hover)();
  // The node editor's command check for the edited item (see g_item_edit). Null: 0.
  int (*node_command_check)(int16_t command, int node_index, int flag);
  // Refits the links next to the edited node after it moved or went. Null: nothing.
  void (*propagate_node_move)();
  // Makes the item a symmetric polyline, asking for the symmetry angle. Null: refused (0).
  int (*make_symmetric_polyline)(DrawingItem* item, int open_flag);
  // Makes the item a perpendicular symmetric polyline. Null: refused (0).
  int (*make_perpendicular_symmetric)(DrawingItem* item);
  // The batch join's progress: phase JOIN_PROGRESS_OPEN before the first pass, _STEP after
  // passes that joined something, _CLOSE at the end, with the closures and joins so far. A
  // non-zero answer to a step stops the batch (Esc). Null: nothing shown, never stopped.
  int (*join_progress)(int phase, int closures, int joins);
  // Takes a part of a finished join out of the current list (to keep it for undo, or free it).
  // Null: the part is deleted.
  void (*release_joined_piece)(DrawingItem* piece);
};
inline GeometryHost g_geometry_host;
inline void reset_geometry_host() { g_geometry_host = GeometryHost{}; }

// The calls geometry makes through the host, each with its null-hook answer.
int geometry_host_choose_picture_cell(int picture, int rows, int columns,
                                      int header_pixels);
void geometry_host_set_pointer_shape(uint8_t shape);
void geometry_host_request_redraw();
int geometry_host_node_command_check(int16_t command, int node_index, int flag);
void geometry_host_propagate_node_move();
int geometry_host_make_symmetric_polyline(DrawingItem* item, int open_flag);
int geometry_host_make_perpendicular_symmetric(DrawingItem* item);
constexpr int JOIN_PROGRESS_OPEN = 0;
constexpr int JOIN_PROGRESS_STEP = 1;
constexpr int JOIN_PROGRESS_CLOSE = 2;
int geometry_host_join_progress(int phase, int closures, int joins);
void geometry_host_release_joined_piece(DrawingItem* piece);
