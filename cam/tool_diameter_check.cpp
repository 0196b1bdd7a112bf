// Checking and setting tool diameters.
#include "cam/tool_diameter_check.h"

#include <cmath>
#include <vector>

#include "cam/item_walkers.h"
#include "cam/machining_block.h"
#include "cam/make_nc.h"
#include "cam/outline_collect.h"
#include "geometry/node_surgery.h"
#include "geometry/polyline_ends.h"
#include "nc/path_code.h"
#include "records/job_settings.h"
#include "records/preferences.h"
#include "store/line_list.h"

ToolDiameterState g_tool_diameter;

namespace {

// Arcs that sweep nearly nothing or a whole turn are drawn as lines.
constexpr float PREVIEW_WHOLE_TURN = 6.283f;
constexpr float PREVIEW_SHORT_SWEEP = 0.0002f;

bool segment(int32_t code) {
  return code == PATH_LINE || code == PATH_ARC_CW || code == PATH_ARC_CCW;
}

// The links of one preview item; the last record is the pen.
struct PreviewRun {
  std::vector<LinkRecord> records;

  int32_t links() const { return static_cast<int32_t>(records.size()) - 1; }
  void start_at(float x, float y) {
    records.clear();
    LinkRecord r{};
    r.point = {x, y};
    records.push_back(r);
  }
  void add(const PathRecord& p) {
    if (records.empty()) start_at(p.x, p.y);
    LinkRecord& from = records.back();
    from.node_flags = NODE_LOOSE;
    from.code = LINK_RIGID_LINE;
    LinkRecord to{};
    to.point = {p.x, p.y};
    records.push_back(to);
    LinkRecord& link = records[records.size() - 2];
    if (p.code != PATH_LINE) {
      link.centre = {p.z, p.value};
      link.code = point_distance(&link.point, &link.centre);
      link.link_flags = p.code == PATH_ARC_CW ? LINK_CLOCKWISE : 0;
      arc_angles_from_points(&link);
      if (link.sweep >= PREVIEW_WHOLE_TURN || link.sweep < PREVIEW_SHORT_SWEEP) {
        const PointF start = link.point;
        link = LinkRecord{};
        link.node_flags = NODE_LOOSE;
        link.point = start;
        link.code = LINK_RIGID_LINE;
      }
    }
    link_bounding_box(&link);
  }
};

// Appends the run as an item of the current list. False when no item could be made.
bool make_preview_item(PreviewRun* run) {
  const int32_t n = run->links();
  if (n < 1) return true;
  run->records.front().node_flags = NODE_FIRST;
  run->records.back().node_flags = NODE_CLOSING;
  if (new_geometry_block("", run->records.data(), n, g_tool_diameter.preview_layer,
                         g_tool_diameter.preview_kind) != 0) {
    return false;
  }
  DrawingItem* item = g_lists.current.last;
  item->kind = ITEM_POLYLINE;
  set_item_flags(item, ITEM_FLAG_SELECTED);
  if (remove_zero_length_links(item) == 0) delete_line(item);
  return true;
}

// The trial settings of the item's copy.
void trial_settings(CamParams* p, float diameter, int kind) {
  if (kind == TRIAL_ANY_SIDE) kind = p->operation == CAM_OP_CONTOUR_OUTSIDE ? 3 : 2;
  p->operation = static_cast<uint8_t>(kind);
  p->contour_passes = 1;
  p->machining_group = 1;
  p->machining_order = 1;
  p->finish_allowance = 0.0f;
  p->finish_option = 0;
  p->finishing.stepover_percent = 50;
  p->finishing.cut_depth = 1.0f;
  p->finishing.step_down = 0.0f;
  p->finishing.cut_width = diameter;
  p->finishing.tool_number = 1;
  p->roughing.cut_width = 0.0f;
  p->roughing.tool_number = 0;
}

// Walks the copy into the collector in preview mode; each item or character is machined as
// it ends.
void machine_preview(DrawingItem* copy, const CamParams& params) {
  OutlineCollectState& c = g_outline_collect;
  const uint8_t phase = c.phase, mode = c.mode;
  const float tolerance = g_encoder_inputs.tolerance;
  const CamParams walked = g_encoder_inputs.current_cam_params;
  if (!(g_encoder_inputs.tolerance > 0.0f)) {
    g_encoder_inputs.tolerance = g_job_settings.tolerance > 0.0f ? g_job_settings.tolerance : 0.002f;
  }
  c.phase = COLLECT_CONTOUR_PHASE;
  c.mode = COLLECT_PREVIEW;
  c.params = params;
  g_encoder_inputs.current_cam_params = params;
  pocket_alloc();
  if (item_is_text(copy)) {
    c.text_char_counter = 1;
    c.text_char_index = 0;
    text_to_strokes(copy, collect_pocket_outline);
    c.text_char_counter = 0;
  } else {
    curve_to_moves(copy, collect_pocket_outline);
  }
  c.phase = phase;
  c.mode = mode;
  c.records = {};
  g_encoder_inputs.tolerance = tolerance;
  g_encoder_inputs.current_cam_params = walked;
}

// Every preview item closed where its ends meet; an item whose first link is a lead-in loses
// that link and is tried again.
void close_preview_items(float diameter) {
  TextLine* first = g_lists.slots[LIST_SLOT_TOOL_PATHS].first;
  if (first == nullptr) return;
  CamParams params;
  if (get_block_cam(item_block(first), &params)) {
    params.finishing.cut_width = diameter;
    put_block_cam(item_block(first), params);
  }
  const float gap = g_preferences.gap_tolerance;
  g_preferences.gap_tolerance = TRIAL_JOIN_GAP;
  for (TextLine* item = first; item != nullptr; item = item->next) {
    item_nodes(item)[0].node_flags |= NODE_FIRST;
    if (close_if_touching(item) == 1 || item_link_count(item) < 3) continue;
    delete_node(item, item_nodes(item), DELETE_NODE_REMOVE);
    close_if_touching(item);
  }
  g_preferences.gap_tolerance = gap;
}

}  // namespace

void reset_tool_diameter_check() { g_tool_diameter = ToolDiameterState{}; }

int32_t path_records_to_preview() {
  OutlineCollectState& c = g_outline_collect;
  if (!read_back_spilled_records(&c.records)) return -1;
  const PathRecordBuffer& r = c.records;
  if (r.empty() || r[0].code == PATH_END) return 0;
  push_list();
  load_list_slot(LIST_SLOT_TOOL_PATHS);
  PreviewRun run;
  for (const PathRecord& p : r) {
    const bool ends = p.code == PATH_MOVE || p.code == PATH_FEED || p.code == PATH_ROUGHING ||
                      p.code == PATH_FINISHING || p.code == PATH_BLADE || p.code >= PATH_TOOL ||
                      p.code == PATH_END;
    if (ends && run.links() > 0) {
      if (!make_preview_item(&run)) break;
      run.records.clear();
    }
    if (p.code == PATH_END) break;
    if (p.code == PATH_MOVE || p.code == PATH_FEED) {
      run.start_at(p.x, p.y);
    } else if (segment(p.code)) {
      run.add(p);
    }
  }
  save_list_slot(LIST_SLOT_TOOL_PATHS);
  pop_list();
  return -1;
}

DrawingItem* trial_tool_path(DrawingItem* item, float diameter, int kind) {
  if (item == nullptr || item_block(item) == nullptr) return nullptr;
  if (copy_item_with_extra_links(item, 0) != 0) return nullptr;
  DrawingItem* copy = g_lists.current.last;
  if (item_block(copy)->cam_kind == GEOMETRY_KIND_DRAWING_AID && add_item_cam(copy) == nullptr) {
    delete_line(copy);
    return nullptr;
  }
  CamParams params;
  get_block_cam(item_block(copy), &params);
  trial_settings(&params, diameter, kind);
  put_block_cam(item_block(copy), params);
  machine_preview(copy, params);
  close_preview_items(diameter);
  delete_line(copy);
  return g_lists.slots[LIST_SLOT_TOOL_PATHS].first;
}

int set_tool_width(DrawingItem* item, float width, bool finishing) {
  GeometryBlock* block = item_block(item);
  CamParams params;
  if (block == nullptr || !get_block_cam(block, &params) || params.operation == CAM_OP_DRAWING_AID)
    return 0;
  if (params.operation == CAM_OP_ISLAND) return -1;
  CamToolBlock& tool = finishing ? params.finishing : params.roughing;
  tool.cut_width = width;
  if (tool.shape == TOOL_SHAPE_FLAT) {
    tool.size = width;
  } else {
    // A ball (its size is its radius) grows only when it is too small for the width.
    if (tool.shape == TOOL_SHAPE_BALL && 2.0f * tool.size < width) tool.size = width / 2.0f;
    tool.cut_depth = depth_from_cut_width(width, tool.shape, tool.size, tool.tip_diameter);
  }
  if (tool.tool_number <= 0) tool.tool_number = 1;
  put_block_cam(block, params);
  return 1;
}

int offset_text_by_tool_path(DrawingItem* item, float distance, uint8_t cam_kind, uint8_t layer) {
  if (!(std::fabs(distance) >= TRIAL_SMALLEST_OFFSET)) return -1;
  const int kind = distance > 0.0f ? TRIAL_CONTOUR_OUTSIDE : TRIAL_CONTOUR_INSIDE;
  const float diameter = static_cast<float>(2.0 * std::fabs(distance) * TRIAL_WIDTH_GROWTH);
  if (diameter < TRIAL_SMALLEST_DIAMETER) return -1;
  const ToolDiameterState mode = g_tool_diameter;
  // Outlines come back as polylines: a text block would be no outline.
  g_tool_diameter.preview_kind =
      cam_kind == GEOMETRY_KIND_DRAWING_AID ? GEOMETRY_KIND_DRAWING_AID : GEOMETRY_KIND_MACHINABLE;
  g_tool_diameter.preview_layer = layer;
  clear_tool_path();
  DrawingItem* first = trial_tool_path(item, diameter, kind);
  g_tool_diameter = mode;
  if (first == nullptr) return -1;
  int count = 0;
  for (TextLine* t = first; t != nullptr; t = t->next) ++count;
  append_list_of(first);
  g_lists.slots[LIST_SLOT_TOOL_PATHS] = LineList{};
  return count;
}

int offset_by_tool_path(DrawingItem* item, float distance) {
  if (item == nullptr || item_block(item) == nullptr) return -1;
  return offset_text_by_tool_path(item, distance, item_block(item)->cam_kind, item_block(item)->layer);
}
