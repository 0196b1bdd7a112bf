#include "commands/connect_commands.h"

#include "commands/array_form.h"
#include "commands/align_items.h"
#include "commands/fuse_command.h"
#include "commands/copy_items.h"
#include "commands/create_by_mouse.h"
#include "commands/drill_points.h"
#include "commands/fillet_command.h"
#include "commands/join_items.h"
#include "commands/machining_commands.h"
#include "commands/machining_pickers.h"
#include "commands/move_command.h"
#include "commands/move_nodes.h"
#include "commands/node_commands.h"
#include "commands/node_edit_session.h"
#include "commands/node_fitting.h"
#include "commands/offset_command.h"
#include "commands/paste_items.h"
#include "commands/rotate_command.h"
#include "commands/scale_command.h"
#include "commands/separate_items.h"
#include "commands/transform_all.h"
#include "commands/trim_extend.h"
#include "commands/transform_by_values.h"
#include "editor/drawing_commands.h"

void connect_drawing_commands() {
  DrawingCommandEntries& c = g_drawing_commands;
  c.node_edit_session = node_edit_session;
  c.create_item_by_mouse = create_item_by_mouse;
  c.new_point_with_cam_op = new_point_with_cam_op;
  c.keep_polyline_closed = keep_polyline_closed;
  c.update_symmetry_after_edit = update_symmetry_after_edit;
  c.node_command_check = node_command_test;
  c.fillet_command = fillet_command;
  c.batch_join_command = batch_join_command;
  c.offset_command = offset_command;
  c.trim_extend_command = trim_extend_command;
  c.fuse_loops = fuse_loops;
  c.drill_points_command = drill_points_command;
  c.separate_command = separate_command;
  c.separate_marked_items = separate_marked_items;
  c.move_command = move_command;
  c.copy_items_command = copy_items_command;
  c.move_by_points_or_values = move_by_points_or_values;
  c.mirror_by_values_command = mirror_by_values_command;
  c.rotate_by_values_command = rotate_by_values_command;
  c.scale_by_values_command = scale_by_values_command;
  c.align_command = align_command;
  c.array_form = array_form;
  c.paste_command = paste_command;
  c.copy_to_destination = copy_to_destination;
  c.move_image_frame = move_image_frame;
  c.rotate_command = rotate_command;
  c.scale_command = scale_command;
  c.scale_all_items = [](float factor, PointF centre) {
    g_transform_all.transform_centre = centre;
    return scale_all_items(factor) != nullptr ? 1 : 0;
  };
  c.rotate_all_items = [](float angle_rad, int all, PointF centre) {
    g_transform_all.transform_centre = centre;
    rotate_all_items(angle_rad, all);
    return 1;
  };
  c.mirror_all_items = [](PointF centre, float angle_rad, int mode) {
    g_transform_all.transform_centre = centre;
    mirror_all_items(centre, angle_rad, mode);
    return 1;
  };
  c.display_options_dialog = display_options_dialog;
  c.run_origin_dialog = run_origin_dialog;
  c.run_rotate_all_dialog = run_rotate_all_dialog;
  c.run_mirror_all_dialog = run_mirror_all_dialog;
  connect_machining_commands();
  connect_machining_pickers();
}
