#include "geometry/geometry_host.h"

#include "store/line_list.h"

int geometry_host_choose_picture_cell(int picture, int rows, int columns,
                                      int header_pixels) {
  if (g_geometry_host.choose_picture_cell == nullptr) return -1;
  return g_geometry_host.choose_picture_cell(picture, rows, columns, header_pixels);
}

void geometry_host_set_pointer_shape(uint8_t shape) {
  if (g_geometry_host.set_pointer_shape != nullptr) g_geometry_host.set_pointer_shape(shape);
}

void geometry_host_request_redraw() {
  if (g_geometry_host.request_redraw != nullptr) g_geometry_host.request_redraw();
}

int geometry_host_node_command_check(int16_t command, int node_index, int flag) {
  if (g_geometry_host.node_command_check == nullptr) return 0;
  return g_geometry_host.node_command_check(command, node_index, flag);
}

void geometry_host_propagate_node_move() {
  if (g_geometry_host.propagate_node_move != nullptr) g_geometry_host.propagate_node_move();
}

int geometry_host_make_symmetric_polyline(DrawingItem* item, int open_flag) {
  if (g_geometry_host.make_symmetric_polyline == nullptr) return 0;
  return g_geometry_host.make_symmetric_polyline(item, open_flag);
}

int geometry_host_make_perpendicular_symmetric(DrawingItem* item) {
  if (g_geometry_host.make_perpendicular_symmetric == nullptr) return 0;
  return g_geometry_host.make_perpendicular_symmetric(item);
}

int geometry_host_join_progress(int phase, int closures, int joins) {
  if (g_geometry_host.join_progress == nullptr) return 0;
  return g_geometry_host.join_progress(phase, closures, joins);
}

void geometry_host_release_joined_piece(DrawingItem* piece) {
  if (g_geometry_host.release_joined_piece != nullptr) {
    g_geometry_host.release_joined_piece(piece);
    return;
  }
  delete_line(piece);
}
