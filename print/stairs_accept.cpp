#include "print/stairs_accept.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "cam/machining_block.h"
#include "commands/join_items.h"
#include "commands/transform_all.h"
#include "editor/rubber_box.h"
#include "editor/view.h"
#include "editor/view_state.h"
#include "geometry/construct.h"
#include "geometry/contour_offset.h"
#include "geometry/geometry2d.h"
#include "geometry/item_motion.h"
#include "geometry/item_split.h"
#include "geometry/link_operations.h"
#include "geometry/node_surgery.h"
#include "geometry/polyline_ends.h"
#include "print/stairs_build.h"
#include "print/stairs_model.h"
#include "print/stairs_params.h"
#include "store/line_list.h"

namespace {

constexpr double PI = 3.14159265358979323846;

bool is_selected(const DrawingItem* item) { return (item_flags(item) & ITEM_FLAG_SELECTED) != 0; }
void set_selected(DrawingItem* item, bool on) {
  const uint8_t flags = item_flags(item);
  set_item_flags(item, on ? flags | ITEM_FLAG_SELECTED : flags & ~ITEM_FLAG_SELECTED);
}
bool outline_tag(const DrawingItem* item) {
  const int16_t tag = item_group_tag(item);
  return tag == STAIRS_TAG_OUTLINE || tag == STAIRS_TAG_FIRST_SETUP;
}

// Gives the item the machining block (a drawing aid gets a block first).
void give_cam(DrawingItem* item, CamParams params) {
  if (item_block(item)->cam_kind == GEOMETRY_KIND_DRAWING_AID && add_item_cam(item) == nullptr) return;
  put_block_cam(item_block(item), params);
}

void raise_group(DrawingItem* item, int16_t by) {
  CamParams params;
  if (!get_block_cam(item_block(item), &params)) return;
  params.machining_group = static_cast<int16_t>(params.machining_group + by);
  put_block_cam(item_block(item), params);
}

// Makes the item the last of the current list.
void move_to_end(DrawingItem* item) {
  if (g_lists.current.last != item) move_line_after(item, g_lists.current.last);
}

void translate(DrawingItem* item, PointF v) { translate_item(item, &v); }

void translate_all(PointF v) {
  for (DrawingItem* item = g_lists.current.first; item != nullptr; item = item->next)
    if (item_block(item) != nullptr) translate(item, v);
}

void drawing_extents(PointF* lo, PointF* hi) {
  compute_extents();
  *lo = PointF{g_view.extent_min_x, g_view.extent_min_y};
  *hi = PointF{g_view.extent_max_x, g_view.extent_max_y};
}

// Moves the first point (or the last) of an open item by v, keeping its link's box.
void move_end(DrawingItem* item, bool last, PointF v) {
  LinkRecord* nodes = item_nodes(item);
  const int32_t n = item_link_count(item);
  LinkRecord* r = last ? nodes + n : nodes;
  vec_add_assign(&r->point, &v);
  link_bounding_box(last ? nodes + n - 1 : nodes);
}

// One more link at each end of an open item, the new first point and the new last point at the
// given moves from the old ones.
bool extend_ends(DrawingItem* item, PointF first_move, PointF last_move) {
  const PointF old_first = item_nodes(item)[0].point;
  if (grow_node_array(item, -1) == nullptr) return false;
  LinkRecord* nodes = item_nodes(item);
  nodes[0].point = PointF{old_first.x + first_move.x, old_first.y + first_move.y};
  nodes[0].code = LINK_RIGID_LINE;
  nodes[1].node_flags = NODE_LOOSE;
  LinkRecord* former_closing = grow_node_array(item, 1);
  if (former_closing == nullptr) return false;
  nodes = item_nodes(item);
  const int32_t n = item_link_count(item);
  const PointF old_last = nodes[n - 1].point;
  nodes[n - 1].code = LINK_RIGID_LINE;
  nodes[n].point = PointF{old_last.x + last_move.x, old_last.y + last_move.y};
  item_bounding_boxes(item);
  return true;
}

// The outline offset outwards by half the tool width replaces it; null when nothing was made.
DrawingItem* offset_outline(DrawingItem* source, float h) {
  DrawingItem* before = g_lists.current.last;
  const int made = offset_contour(source, h, OFFSET_SIDE_FROM_FLAG | OFFSET_OUTSIDE);
  if (made <= 0 || g_lists.current.last == before) return nullptr;
  DrawingItem* outline = g_lists.current.last;
  // An outward offset of a stringer is one loop; anything else it made is not the outline.
  while (outline->prev != before) delete_line(outline->prev);
  set_item_id(outline, item_id(source));
  delete_line(source);
  return outline;
}

void orient_by_cut_direction(DrawingItem* item, uint8_t cut_direction) {
  if (polygon_orientation(item) != (cut_direction != 0 ? 1 : 0)) reverse_polyline(item);
}

// ---- the second set-up of the outline ----

struct SplitFoot {
  int32_t link;
  PointF foot;
};

// Opens the closed outline (the last item) at record `open_at` and breaks it at record
// `break_at` (of the closed item): the outline then runs from the opening to the break and a
// new last item from the break back to the opening.
bool open_and_break(DrawingItem* outline, int32_t open_at, int32_t break_at) {
  const int32_t n = item_link_count(outline);
  if (rotate_to_start_node(outline, item_nodes(outline) + open_at) != 0) return false;
  item_nodes(outline)[0].node_flags = NODE_FIRST;
  const int32_t index = (break_at - open_at + n) % n;
  break_polyline_at_node(item_nodes(outline) + index, index);
  return g_lists.current.last != outline;
}

void split_outline_in_setups(DrawingItem* outline, const StairsParams& p) {
  DrawingItem* first_second = nullptr;
  for (DrawingItem* item = g_lists.current.first; item != nullptr; item = item->next)
    if (is_selected(item) && item_layer(item) == STAIRS_LAYER_SECOND_SETUP) {
      first_second = item;
      break;
    }
  if (first_second == nullptr) return;
  const float split_y = item_nodes(first_second)[1].point.y;
  g_stairs.params.split_work = whole_number(split_y);
  const float cut = p.outline_cam.finishing.cut_width;
  // The long sides of the turned stringer: nearly vertical links longer than three goings.
  std::vector<SplitFoot> feet;
  LinkRecord* nodes = item_nodes(outline);
  const int32_t n = item_link_count(outline);
  for (int32_t i = 0; i < n && feet.size() < 2; ++i) {
    const PointF& a = nodes[i].point;
    const PointF& b = nodes[i + 1].point;
    if (!(std::fabs(b.x - a.x) < 0.002f * p.run && std::fabs(b.y - a.y) > 3 * p.run)) continue;
    const float upper = std::max(a.y, b.y);
    const PointF at{0.0f, upper < split_y ? upper - cut : split_y};
    SplitFoot f{i, {}};
    if (link_foot(nodes + i, &at, &f.foot) != FOOT_ON_LINK) {
      stairs_message(STAIRS_SPLIT_ERROR_TEXT);
      return;
    }
    feet.push_back(f);
  }
  if (feet.size() < 2) return;  // the outline stays whole
  // Later link first, so that the first link's index still holds.
  insert_node_on_link(outline, item_nodes(outline) + feet[1].link, &feet[1].foot);
  insert_node_on_link(outline, item_nodes(outline) + feet[0].link, &feet[0].foot);
  const int32_t marked = feet[0].link + 1;
  const int32_t opening = feet[1].link + 2;
  move_to_end(outline);
  if (!open_and_break(outline, opening, marked)) return;
  DrawingItem* before_mark = outline;
  DrawingItem* after_mark = g_lists.current.last;
  LinkRecord* after_nodes = item_nodes(after_mark);
  const bool after_goes_up = point_angle(&after_nodes[0].point, &after_nodes[1].point) < PI;
  DrawingItem* second = after_goes_up ? after_mark : before_mark;
  DrawingItem* first = after_goes_up ? before_mark : after_mark;
  item_block(second)->layer = STAIRS_LAYER_SECOND_SETUP;
  // The pieces overlap across the split by a cutting width.
  const PointF shift{0.0f, after_goes_up ? -cut : cut};
  move_end(after_mark, false, shift);
  move_end(after_mark, true, shift);
  set_item_group_tag(second, STAIRS_TAG_OUTLINE);
  set_item_group_tag(first, STAIRS_TAG_FIRST_SETUP);
  const float overlap = p.margin_along;
  const bool climb = p.outline_cam.cut_direction != 0;
  extend_ends(first, PointF{climb ? -overlap : overlap, 0.0f},
              PointF{climb ? overlap : -overlap, 0.0f});
  set_selected(first, false);
  set_selected(second, false);
}

// ---- the cut stringer ----

void split_cut_stringer(const StairsParams& p) {
  DrawingItem* outline = g_lists.current.first;
  DrawingItem* step_line = outline->next;
  const PointF shift = p.setup_shift;
  const bool climb = p.outline_cam.cut_direction != 0;
  const bool step_climb = p.third_cam.cut_direction != 0;
  int32_t mark = -1;
  LinkRecord* nodes = item_nodes(outline);
  const int32_t n = item_link_count(outline);
  if ((item_flags(outline) & ITEM_FLAG_HAS_MARKED_NODES) != 0) {
    for (int32_t k = 0; k <= n; ++k) {
      if ((nodes[k].link_flags & LINK_NODE_MARKED) == 0) continue;
      if (mark < 0) mark = k;
      else nodes[k].link_flags &= static_cast<uint8_t>(~(LINK_NODE_MARKED | LINK_SAVED_MARK));
    }
  }
  if (mark < 0 || n < 4) {
    if (!climb) reverse_polyline(outline);
    if (step_line != nullptr && !step_climb) reverse_polyline(step_line);
    return;
  }
  g_stairs.params.split_work = whole_number(nodes[mark].point.y);
  const int32_t edge = n - 3;  // the lower edge: the third link from the end
  PointF foot;
  if (link_foot(nodes + edge, &nodes[mark].point, &foot) != FOOT_ON_LINK) {
    stairs_message(STAIRS_SPLIT_ERROR_TEXT);
    return;
  }
  if (insert_node_on_link(outline, item_nodes(outline) + edge, &foot) == nullptr) return;
  if (mark > edge) ++mark;
  move_to_end(outline);
  if (!open_and_break(outline, edge + 1, mark)) return;
  DrawingItem* first = outline;
  DrawingItem* second = g_lists.current.last;
  item_block(second)->layer = STAIRS_LAYER_SECOND_SETUP;
  if (!climb) {
    reverse_polyline(first);
    reverse_polyline(second);
  }
  const float overlap = p.side == 1 ? p.margin_along : -p.margin_along;
  extend_ends(first, PointF{climb ? overlap : -overlap, 0.0f},
              PointF{climb ? -overlap : overlap, 0.0f});
  translate(second, shift);
  move_end(second, climb, PointF{0.0f, -p.outline_cam.finishing.cut_width});
  if (step_line == nullptr) return;
  move_to_end(step_line);
  const int32_t links = item_link_count(step_line);
  int32_t step_mark = -1;
  for (int32_t k = 0; k <= links && step_mark < 0; ++k)
    if ((item_nodes(step_line)[k].link_flags & LINK_NODE_MARKED) != 0) step_mark = k;
  if (step_mark > 0 && step_mark < links) {
    break_polyline_at_node(item_nodes(step_line) + step_mark, step_mark);
    DrawingItem* upper = g_lists.current.last;
    if (upper != step_line) {
      translate(upper, shift);
      item_block(upper)->layer = STAIRS_LAYER_SECOND_SETUP;
      if (!step_climb) reverse_polyline(upper);
    }
  }
  if (!step_climb) reverse_polyline(step_line);
}

// ---- left and right ----

void make_left_and_right(const StairsParams& p, const StairsValues& v, bool one_side,
                         bool cut_stringer) {
  const float rail = p.rail_distance;
  const float width = p.board_width;
  const float h = static_cast<float>(v.half_tool);
  if (one_side) {
    translate_all(PointF{p.side == 0 ? rail - width : width, 0.0f});
    return;
  }
  if (v.kind == STAIRS_KIND_SPECIAL) {
    PointF lo, hi;
    drawing_extents(&lo, &hi);
    translate_all(PointF{-(hi.x - h - width), 0.0f});
  }
  const bool left = (g_stairs.left_flags & STAIRS_BOX_CHECKED) != 0;
  const bool right = (g_stairs.right_flags & STAIRS_BOX_CHECKED) != 0;
  if (left) {
    const float axis = cut_stringer ? rail / 2 : -(rail - 2 * width) / 2;
    LinkRecord line[2] = {};
    line[0].point = PointF{axis, 0.0f};
    line[1].point = PointF{axis, 1.0f};
    DrawingItem* last_original = g_lists.current.last;
    std::vector<DrawingItem*> copies;
    for (DrawingItem* item = g_lists.current.first; item != nullptr;) {
      DrawingItem* next = item == last_original ? nullptr : item->next;
      if (copy_item_with_extra_links(item, 0) == 0) copies.push_back(g_lists.current.last);
      mirror_item(item, item, line);
      item_bounding_boxes(item);
      item = next;
    }
    for (DrawingItem* copy : copies) {
      if (!right) delete_line(copy);
      else raise_group(copy, p.marker_choice != 0 ? STAIRS_GROUP_RIGHT_LIFT
                                                  : STAIRS_GROUP_RIGHT_LIFT_NO_MARKERS);
    }
  }
  if (!cut_stringer) translate_all(PointF{rail - width, 0.0f});
}

// ---- orientation and the table's axis ----

void orient_items(const StairsParams& p) {
  const bool climb = p.outline_cam.cut_direction != 0;
  for (DrawingItem* item = g_lists.current.first; item != nullptr; item = item->next) {
    const int16_t tag = item_group_tag(item);
    if (tag == STAIRS_TAG_OUTLINE) {
      item_block(item)->layer = STAIRS_LAYER_OUTLINE_DONE;
      if (item_is_closed(item)) orient_by_cut_direction(item, p.outline_cam.cut_direction);
    } else if (tag == STAIRS_TAG_FIRST_SETUP) {
      item_block(item)->layer = STAIRS_LAYER_FIRST_SETUP_DONE;
      LinkRecord* nodes = item_nodes(item);
      const float first_angle = point_angle(&nodes[0].point, &nodes[1].point);
      if (climb ? first_angle > 0.1f : first_angle < 2.0f) reverse_polyline(item);
    } else if (item_link_count(item) > 1 && polygon_orientation(item) == 1) {
      reverse_polyline(item);
    }
  }
}

void lay_along_table_axis(const StairsParams& p, const StairsValues& v, bool cut_stringer) {
  if (p.table_axis == 0) {
    g_transform_all.transform_centre = PointF{0.0f, 0.0f};
    rotate_all_items(static_cast<float>(PI / 2), 1);
  }
  PointF lo, hi;
  drawing_extents(&lo, &hi);
  const float edge = cut_stringer ? 0.0f : -static_cast<float>(v.half_tool);
  if (p.table_axis == 0) translate_all(PointF{edge - lo.x, 0.0f});
  else translate_all(PointF{0.0f, edge - lo.y});
}

// The turn that stands the stringer's pitch upright.
double upright_turn(const StairsParams& p, const StairsValues& v) {
  if (v.kind != STAIRS_KIND_SPECIAL) return 1.5 * PI + v.ang;
  if (v.type == STAIRS_TYPE_CUT_STRINGER) return p.side == 0 ? v.ang - PI / 2 : PI / 2 - v.ang;
  if (v.type == 3 || v.type == 5) return 2.5 * PI - p.upper_edge_direction;
  const double turn = p.side != 0 ? PI / 2 - v.ang : 1.5 * PI + v.ang;
  return v.state == 1 ? turn + PI : turn;
}

// The node of the last item whose x and (the next one's) y become the origin.
int32_t origin_node(const StairsParams& p, const StairsValues& v) {
  if (v.kind != STAIRS_KIND_SPECIAL)
    return v.kind == STAIRS_KIND_TREADS && p.top_extra_height > 0 ? 5 : 4;
  if (v.type >= 3) return 1;
  return v.state == 1 ? 2 : 8;
}

void reverse_all_but_last() {
  DrawingItem* last = g_lists.current.last;
  std::vector<DrawingItem*> items;
  for (DrawingItem* item = g_lists.current.first; item != last; item = item->next) items.push_back(item);
  // Each one moved to the front in turn: the last of them ends first.
  for (DrawingItem* item : items) move_line_after(item, nullptr);
}

}  // namespace

int16_t append_marker_item(uint8_t marker, int16_t group) {
  PointF lo, hi;
  drawing_extents(&lo, &hi);
  const PointF at{0.5f * (lo.x + hi.x), 0.5f * (lo.y + hi.y)};
  if (new_geometry_block("", nullptr, 1, 0, GEOMETRY_KIND_MACHINABLE) != 0) return 0;
  DrawingItem* item = g_lists.current.last;
  LinkRecord* nodes = item_nodes(item);
  nodes[0].point = at;
  nodes[0].code = LINK_RIGID_LINE;
  nodes[1].point = at;
  link_bounding_box(nodes);
  set_item_flags(item, ITEM_FLAG_SELECTED);
  CamParams params;
  get_block_cam(item_block(item), &params);
  params.operation = CAM_OP_CENTERLINE;
  params.item_marker = marker;
  params.machining_group = group;
  put_block_cam(item_block(item), params);
  return group;
}

int delete_marker_items() {
  int deleted = 0;
  DrawingItem* item = g_lists.current.first;
  while (item != nullptr) {
    CamParams params;
    if (item_block(item) != nullptr && get_block_cam(item_block(item), &params) &&
        params.item_marker != 0) {
      item = delete_line(item);
      ++deleted;
      continue;
    }
    item = item->next;
  }
  return deleted;
}

int accept_stairs_design() {
  StairsParams& p = g_stairs.params;
  const StairsValues v = stairs_values(p);
  const bool special = v.kind == STAIRS_KIND_SPECIAL;
  const bool cut_stringer = special && v.type == STAIRS_TYPE_CUT_STRINGER;
  const bool one_side = special && v.type <= 2;
  // Type 1 makes no stringer outline: only its housings are placed.
  const bool has_outline = !(special && v.type == 1);
  DrawingItem* last = g_lists.current.last;
  if (last == nullptr || item_block(last) == nullptr) return -1;

  g_transform_all.transform_centre = item_nodes(last)[0].point;
  rotate_all_items(static_cast<float>(upright_turn(p, v)), 1);
  if (one_side && v.state == 1 && g_stairs.shift_count > 0) reverse_all_but_last();
  last = g_lists.current.last;
  const int32_t links = item_link_count(last);
  const int32_t k = std::min(origin_node(p, v), links - 1);
  const PointF origin{item_nodes(last)[k].point.x, item_nodes(last)[k + 1].point.y};
  shift_items(origin.x, origin.y, 1, 2);

  const float h = static_cast<float>(v.half_tool);
  if (!cut_stringer) {
    if (has_outline) {
      DrawingItem* outline = offset_outline(last, h);
      if (outline == nullptr) {
        stairs_message(STAIRS_NO_OUTLINE_TEXT);
        return -1;
      }
      CamParams cam = p.outline_cam;
      cam.operation = CAM_OP_CENTERLINE;
      give_cam(outline, cam);
      orient_by_cut_direction(outline, p.outline_cam.cut_direction);
      set_item_group_tag(outline, STAIRS_TAG_OUTLINE);
      set_selected(outline, false);
      split_outline_in_setups(outline, p);
    }
    explode_and_rejoin_active();
    for (DrawingItem* item = g_lists.current.first; item != nullptr; item = item->next) {
      if (outline_tag(item)) set_selected(item, true);
      else if (is_selected(item)) give_cam(item, p.housing_cam);
      if (item_layer(item) == STAIRS_LAYER_SECOND_SETUP) translate(item, p.setup_shift);
    }
  } else {
    DrawingItem* outline = g_lists.current.first;
    if (outline != g_lists.current.last) {
      CamParams third = p.third_cam;
      third.operation = CAM_OP_CENTERLINE;
      third.machining_group = 20;
      give_cam(g_lists.current.last, third);
    }
    CamParams cam = p.outline_cam;
    cam.operation = CAM_OP_CENTERLINE;
    cam.machining_group = 10;
    give_cam(outline, cam);
    split_cut_stringer(p);
  }

  make_left_and_right(p, v, one_side, cut_stringer);

  const bool both = (g_stairs.left_flags & STAIRS_BOX_CHECKED) != 0 &&
                    (g_stairs.right_flags & STAIRS_BOX_CHECKED) != 0;
  if (p.marker_choice != 0 && both && !one_side)
    append_marker_item(CAM_ITEM_MARKER_MOVE, STAIRS_GROUP_MARKER_BETWEEN_STRINGERS);
  if (g_stairs.shift_count > 0) {
    for (DrawingItem* item = g_lists.current.first; item != nullptr; item = item->next)
      if (item_layer(item) == STAIRS_LAYER_SECOND_SETUP) raise_group(item, STAIRS_GROUP_SECOND_SETUP_LIFT);
    append_marker_item(CAM_ITEM_MARKER_MOVE, STAIRS_GROUP_MARKER_SETUPS);
    if (p.marker_choice != 0 && both)
      append_marker_item(CAM_ITEM_MARKER_MOVE, STAIRS_GROUP_MARKER_SETUPS_RIGHT);
  }

  if (!cut_stringer) orient_items(p);
  lay_along_table_axis(p, v, cut_stringer);
  return 0;
}
