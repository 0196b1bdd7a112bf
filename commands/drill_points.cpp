#include "commands/drill_points.h"

#include <cmath>
#include <cstring>

#include "cam/cam_defaults.h"
#include "commands/join_items.h"
#include "cam/machining_block.h"
#include "editor/edit_session.h"
#include "editor/undo_store.h"
#include "geometry/layers.h"
#include "screen/event_queue.h"
#include "records/cam_params.h"
#include "records/job_settings.h"
#include "store/line_list.h"
#include "store/message_ids.h"
#include "ui/dialog_form.h"
#include "ui/layer_list.h"
#include "ui/settings_fields.h"
#include "ui/text_window.h"

namespace {

constexpr int CENTERLINE_CUT = 1;
constexpr float NO_RADIUS = -1.0f;

// The radius of a circle the conversion takes, else NO_RADIUS.
float circle_radius(const DrawingItem* item, const DrillPointSettings& s) {
  if (item_block(item) == nullptr) return NO_RADIUS;
  const LinkRecord* r = item_nodes(item);
  if (item_type(item) == ITEM_CIRCLE) return r[0].code > 0 ? r[0].code : NO_RADIUS;
  if (item_type(item) != ITEM_POLYLINE || s.take_polylines == 0) return NO_RADIUS;
  if (item_link_count(item) != 1 || !code_is_arc(r[0].code)) return NO_RADIUS;
  return r[0].sweep > DRILL_POINT_FULL_TURN ? r[0].code : NO_RADIUS;
}

bool wanted(const DrawingItem* item, float radius, const DrillPointSettings& s) {
  if (radius < 0) return false;
  if (s.smallest_radius > 0 && radius < s.smallest_radius) return false;
  if (s.largest_radius > 0 && radius > s.largest_radius) return false;
  return s.source_layer == 255 || item_layer(item) == s.source_layer;
}

// A drill point of radius r at the centre, with the centerline defaults; null without memory.
DrawingItem* make_point(const DrawingItem* circle, float radius, const DrillPointSettings& s) {
  const uint8_t layer = s.point_layer == 255 ? item_layer(circle) : s.point_layer;
  if (new_geometry_block("", nullptr, 1, layer, GEOMETRY_KIND_MACHINABLE) != 0) return nullptr;
  DrawingItem* point = g_lists.current.last;
  point->kind = ITEM_POINT;
  set_item_flags(point, ITEM_FLAG_SELECTED);
  set_item_id(point, ++g_job_settings.item_id_counter);
  LinkRecord* r = item_nodes(point);
  r[0].point = r[1].point = item_nodes(circle)[0].centre;
  r[0].node_flags = NODE_FIRST;
  r[1].node_flags = NODE_CLOSING;
  r[0].code = LINK_POINT - radius;
  link_bounding_box(&r[0]);
  GeometryBlock* block = item_block(point);
  apply_cam_defaults(block, CENTERLINE_CUT);
  CamParams cam;
  read_cam_params(block_cam_params(block), &cam);
  cam.finishing.cut_width = 2 * radius;
  if (s.depth > 0) cam.finishing.cut_depth = s.depth;
  if (s.tool_number > 0) cam.finishing.tool_number = s.tool_number;
  if (const uint8_t* from = block_cam_params(item_block(const_cast<DrawingItem*>(circle)))) {
    CamParams source;
    read_cam_params(from, &source);
    cam.machining_group = source.machining_group;
    cam.machining_order = source.machining_order;
  }
  write_cam_params(cam, block_cam_params(block));
  return point;
}

// ---- the form ----

constexpr int ROW_SMALLEST = 1;
constexpr int ROW_LARGEST = 2;
constexpr int ROW_SOURCE_LAYER = 3;
constexpr int ROW_POLYLINES = 4;
constexpr int ROW_POINT_LAYER = 6;
constexpr int ROW_DEPTH = 7;
constexpr int ROW_TOOL = 8;
constexpr int ROW_KEEP = 10;
constexpr int ROW_KEPT_LAYER = 11;
static_assert(FORM_DRILL_POINTS_FIELDS == ROW_KEPT_LAYER + 1);
constexpr int FLOAT_WIDTH = 10;
constexpr int CHOICE_WIDTH = 3;
constexpr char NY_LETTERS[] = "NY";
const char* const NO_YES[] = {"No", "Yes"};

DrillPointSettings g_form;

EventCode edit_row(int row) {
  DrillPointSettings& s = g_form;
  switch (row) {
    case 0: return ok_cancel_field();
    case ROW_SMALLEST:
      return edit_value_field({&s.smallest_radius, 0}, FIELD_FLOAT | FIELD_SELECT_ALL,
                              FIELD_OPTIONS_USUAL, FLOAT_WIDTH);
    case ROW_LARGEST:
      return edit_value_field({&s.largest_radius, 0}, FIELD_FLOAT | FIELD_SELECT_ALL,
                              FIELD_OPTIONS_USUAL, FLOAT_WIDTH);
    case ROW_SOURCE_LAYER: return edit_layer_byte_field(&s.source_layer, true);
    case ROW_POLYLINES: return cycle_list_field(NY_LETTERS, &s.take_polylines, 0, CHOICE_WIDTH);
    case ROW_POINT_LAYER: return edit_layer_byte_field(&s.point_layer, true);
    case ROW_DEPTH:
      return edit_value_field({&s.depth, 0}, FIELD_FLOAT | FIELD_SELECT_ALL, FIELD_OPTIONS_USUAL,
                              FLOAT_WIDTH);
    case ROW_TOOL:
      return edit_value_field({&s.tool_number, 0}, FIELD_SHORT | FIELD_SELECT_ALL,
                              FIELD_OPTIONS_USUAL, FLOAT_WIDTH);
    case ROW_KEEP: {
      const EventCode result = cycle_list_field(NY_LETTERS, &s.keep_circles, 0, CHOICE_WIDTH);
      if (static_cast<size_t>(ROW_KEPT_LAYER) < g_field.redraw.size())
        g_field.redraw[ROW_KEPT_LAYER] = 1;
      return result;
    }
    case ROW_KEPT_LAYER:
      // Passed over while the circles are not kept.
      if (s.keep_circles == 0) return KEY_DOWN;
      return edit_layer_byte_field(&s.kept_layer, true);
    default: return KEY_DOWN;  // label rows
  }
}

void show_layer_or_blank(uint8_t layer) {
  if (layer == 255) show_text_value("", FLOAT_WIDTH);
  else show_layer_name_field(layer);
}

void show_settings() {
  const DrillPointSettings& s = g_form;
  skip_field_display();
  show_float_or_blank(s.smallest_radius, FLOAT_WIDTH, 0);
  show_float_or_blank(s.largest_radius, FLOAT_WIDTH, 0);
  show_layer_or_blank(s.source_layer);
  show_choice_value(NO_YES, s.take_polylines != 0 ? 1 : 0, CHOICE_WIDTH);
  skip_field_display();
  show_layer_or_blank(s.point_layer);
  show_float_or_blank(s.depth, FLOAT_WIDTH, 0);
  show_int_value(s.tool_number, FLOAT_WIDTH);
  skip_field_display();
  show_choice_value(NO_YES, s.keep_circles != 0 ? 1 : 0, CHOICE_WIDTH);
  if (s.keep_circles != 0) show_layer_or_blank(s.kept_layer);
  else show_text_value("", FLOAT_WIDTH);
  draw_ok_cancel();
}

EventCode drill_points_field() {
  const EventCode result = edit_current_field(edit_row);
  show_every_field(show_settings);
  return end_field_handler(result);
}

}  // namespace

int circles_to_drill_points(const DrillPointSettings& settings, void (*release)(DrawingItem*)) {
  int made = 0;
  DrawingItem* last = g_lists.current.last;
  DrawingItem* item = g_lists.current.first;
  while (item != nullptr) {
    const bool at_end = item == last;
    DrawingItem* next = item->next;
    const float radius = circle_radius(item, settings);
    if (wanted(item, radius, settings) && make_point(item, radius, settings) != nullptr) {
      ++made;
      if (settings.keep_circles == 0) {
        if (release != nullptr) release(item);
        else delete_line(item);
      } else if (settings.kept_layer != 255) {
        if (release == nullptr) {
          item_block(item)->layer = settings.kept_layer;
        } else if (copy_item_with_extra_links(item, 0) == 0) {
          item_block(g_lists.current.last)->layer = settings.kept_layer;
          release(item);
        }
      }
    }
    if (at_end) break;
    item = next;
  }
  return made;
}

int drill_points_command() {
  g_form = g_drill_point_settings;
  g_field.next_label_width = widest_form_label(MSG_FORM_DRILL_POINTS);
  if (run_dialog(MSG_FORM_DRILL_POINTS, drill_points_field) != 1) return -27;
  g_drill_point_settings = g_form;
  DrawingItem* before_last = g_lists.current.last;
  const int made = circles_to_drill_points(g_form, move_to_originals);
  // The points and the kept circles' copies came after the old last item: one undo step.
  int added = 0;
  for (DrawingItem* item = g_lists.current.last; item != nullptr && item != before_last;
       item = item->prev)
    ++added;
  if (added > 0) undo_record_replaced(added, first_original() != nullptr ? 1 : 0);
  return made;
}
