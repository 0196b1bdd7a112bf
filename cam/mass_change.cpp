#include "cam/mass_change.h"

#include <cctype>
#include <cmath>

#include "cam/cam_defaults.h"
#include "cam/machining_block.h"
#include "cam/make_nc.h"
#include "cam/tools.h"
#include "geometry/layers.h"
#include "records/job_settings.h"
#include "store/line_list.h"

MassChange g_mass_change;

void reset_mass_change() { g_mass_change = MassChange{}; }

namespace {

constexpr float TAPER_DEFAULT_RAD = 1.0471976f;  // 60 degrees
constexpr float BALL_DEFAULT_RADIUS = 0.025f;

bool given(float value) { return value != CAM_NOT_GIVEN; }
bool shaped(const CamToolBlock& block) {
  return block.shape == TOOL_SHAPE_TAPERED || block.shape == TOOL_SHAPE_BALL;
}

enum class Derive { NONE, WIDTH_FROM_DEPTH, DEPTH_FROM_WIDTH };

bool in_layer_range(uint8_t layer) {
  const MassChange& m = g_mass_change;
  if (m.layer_from != CHANGE_BYTE_UNCHANGED && layer < m.layer_from) return false;
  if (m.layer_to != CHANGE_BYTE_UNCHANGED && layer > m.layer_to) return false;
  return true;
}

// The operations a change may store on an item: open polylines take only drawing aid and
// centerline, since the others need a closed outline.
bool takes_operation(const DrawingItem* item, uint8_t op) {
  if (item_type(item) != ITEM_POLYLINE) return true;
  return op <= CAM_OP_CENTERLINE || item_is_closed(item);
}

// Which blocks an option changes, and for which operations.
struct BlockChoice {
  bool finishing = false;
  bool roughing = false;
  int only_operation = -1;     // the item's operation must be this (-1 any)
  int except_operation = -1;   // the item's operation must not be this (-1 none)
};

BlockChoice blocks_for_option(int option) {
  switch (option) {
    case CHANGE_BOTH_TOOLS: return {true, true, -1, -1};
    case CHANGE_CENTERLINE_TOOL:
    case CHANGE_CENTERLINE_MARKED: return {true, false, CAM_OP_CENTERLINE, -1};
    case CHANGE_FINISHING_TOOL:
    case CHANGE_FINISHING_MARKED: return {true, false, -1, CAM_OP_CENTERLINE};
    case CHANGE_ROUGHING_TOOL:
    case CHANGE_ROUGHING_MARKED: return {false, true, -1, -1};
    default: return {};
  }
}

}  // namespace

CamParams unchanged_cam_params() {
  CamParams p;
  p.operation = CHANGE_BYTE_UNCHANGED;
  p.cut_direction = CHANGE_BYTE_UNCHANGED;
  p.surface_z = CAM_NOT_GIVEN;
  p.finish_allowance = CAM_NOT_GIVEN;
  p.rapid_height = 0;
  CamToolBlock unchanged;
  unchanged.shape = CHANGE_SHAPE_UNCHANGED;
  unchanged.tip_diameter = CAM_NOT_GIVEN;
  unchanged.cut_width = CAM_NOT_GIVEN;
  unchanged.cut_depth = CAM_NOT_GIVEN;
  unchanged.step_down = CAM_NOT_GIVEN;
  unchanged.first_stepover = CAM_NOT_GIVEN;
  p.finishing = unchanged;
  p.roughing = unchanged;
  return p;
}

DrawingItem* new_change_record() {
  delete_change_record();
  reset_mass_change();
  LinkRecord records[2] = {};
  records[0].node_flags = NODE_FIRST;
  records[1].node_flags = NODE_CLOSING;
  if (new_geometry_block("", records, 1, CHANGE_RECORD_LAYER, GEOMETRY_KIND_MACHINABLE) != 0)
    return nullptr;
  DrawingItem* record = g_lists.current.last;
  put_block_cam(item_block(record), unchanged_cam_params());
  g_mass_change.record = record;
  return record;
}

void delete_change_record() {
  DrawingItem* record = g_mass_change.record;
  g_mass_change.record = nullptr;
  if (record == nullptr) return;
  // Only a record still in the current list is removed (a test or a page may have moved on).
  for (DrawingItem* item = g_lists.current.first; item != nullptr; item = item->next) {
    if (item == record) {
      delete_line(record);
      return;
    }
  }
}

CamParams change_record_params() {
  CamParams p = unchanged_cam_params();
  if (g_mass_change.record != nullptr) get_block_cam(item_block(g_mass_change.record), &p);
  return p;
}

void set_change_record_params(const CamParams& wanted) {
  if (g_mass_change.record != nullptr) put_block_cam(item_block(g_mass_change.record), wanted);
}

bool change_item_qualifies(const DrawingItem* item, bool visible_only) {
  const MassChange& m = g_mass_change;
  if (item == nullptr || item == m.record) return false;
  const uint8_t flags = item_flags(item);
  if ((flags & ITEM_FLAG_SELECTED) == 0) return false;
  const GeometryBlock* block = item_block(item);
  if (block == nullptr) return false;
  if (m.item_type != CHANGE_BYTE_UNCHANGED) {
    // Text read from old files (type 27) counts as text.
    const uint8_t type = item_type(item) == ITEM_TEXT_LIKE ? ITEM_TEXT : item_type(item);
    if (type != m.item_type) return false;
  }
  if (!in_layer_range(block->layer)) return false;
  if (m.marked_only != 0 && (flags & (ITEM_FLAG_MARKED | ITEM_FLAG_HAS_MARKED_NODES)) == 0)
    return false;
  if (visible_only && m.include_hidden == 0 && g_layers.visibility[block->layer] == 0)
    return false;
  return true;
}

void ensure_tool_size(CamToolBlock* block) {
  if (check_tool_shape(block->shape, block->size, 0) != 0) return;
  if (block->shape == TOOL_SHAPE_TAPERED) {
    block->size = TAPER_DEFAULT_RAD;
    block->tip_diameter = 0;
  } else if (block->shape == TOOL_SHAPE_BALL) {
    block->size = BALL_DEFAULT_RADIUS;
  }
}

void change_tool_block(const CamParams& wanted, CamParams* item, CamToolBlock* block) {
  const CamToolBlock& w = wanted.finishing;
  Derive derive = Derive::NONE;
  if (w.shape <= TOOL_SHAPE_BALL) {
    block->shape = w.shape;
    derive = shaped(*block) ? Derive::WIDTH_FROM_DEPTH : Derive::NONE;
  }
  if (given(w.tip_diameter)) {
    block->tip_diameter = w.tip_diameter;
    derive = Derive::DEPTH_FROM_WIDTH;
  }
  if (w.size != 0) {
    block->size = w.size;
    if (shaped(*block)) derive = Derive::WIDTH_FROM_DEPTH;
    else block->cut_width = w.size;
  }
  if (w.tool_number != 0) block->tool_number = w.tool_number;
  if (given(wanted.surface_z)) item->surface_z = wanted.surface_z;
  if (wanted.rapid_height != 0) item->rapid_height = wanted.rapid_height;
  if (given(w.cut_width)) {
    block->cut_width = w.cut_width;
    if (shaped(*block)) derive = Derive::DEPTH_FROM_WIDTH;
    else block->size = w.cut_width;
  }
  if (given(w.cut_depth)) {
    block->cut_depth = w.cut_depth;
    derive = shaped(*block) ? Derive::WIDTH_FROM_DEPTH : Derive::NONE;
  }
  if (derive != Derive::NONE && depth_is_given(block->cut_depth)) {
    ensure_tool_size(block);
    if (derive == Derive::DEPTH_FROM_WIDTH) {
      block->cut_depth =
          depth_from_cut_width(block->cut_width, block->shape, block->size, block->tip_diameter);
    } else {
      block->cut_width =
          cut_width_from_depth(block->cut_depth, block->shape, block->size, block->tip_diameter);
    }
  }
  if (given(w.step_down)) block->step_down = w.step_down;
  if (w.feed != 0) block->feed = w.feed;
  if (w.plunge_percent != 0) block->plunge_percent = w.plunge_percent;
  if (w.ramp_angle != 0) block->ramp_angle = w.ramp_angle;
  if (w.rpm != 0) block->rpm = w.rpm;
  if (w.stepover_percent != 0) block->stepover_percent = w.stepover_percent;
  if (given(w.first_stepover)) block->first_stepover = w.first_stepover;
  if (given(wanted.finish_allowance)) item->finish_allowance = wanted.finish_allowance;
  if (wanted.cut_direction != CHANGE_BYTE_UNCHANGED) item->cut_direction = wanted.cut_direction;
  if (w.second_pass_rpm != 0) block->second_pass_rpm = w.second_pass_rpm;
  if (w.second_pass_feed != 0) block->second_pass_feed = w.second_pass_feed;
  if (w.second_pass_depth != 0) block->second_pass_depth = w.second_pass_depth;
}

int apply_machining_change(int option, const CamParams& wanted) {
  const BlockChoice choice = blocks_for_option(option);
  const int16_t filter = g_mass_change.tool_filter;
  int changed = 0;
  for (DrawingItem* item = g_lists.current.first; item != nullptr; item = item->next) {
    if (!change_item_qualifies(item, true)) continue;
    GeometryBlock* block = item_block(item);
    CamParams params;
    if (!get_block_cam(block, &params)) continue;
    if (choice.only_operation >= 0 && params.operation != choice.only_operation) continue;
    if (choice.except_operation >= 0 && params.operation == choice.except_operation) continue;
    bool any = false;
    if (choice.finishing) {
      // The finishing block is looked at first: failing the tool filter leaves the whole item.
      if (filter != 0 && params.finishing.tool_number != filter) continue;
      change_tool_block(wanted, &params, &params.finishing);
      any = true;
    }
    if (choice.roughing && (filter == 0 || params.roughing.tool_number == filter)) {
      change_tool_block(wanted, &params, &params.roughing);
      any = true;
    }
    if (!any) continue;
    put_block_cam(block, params);
    ++changed;
  }
  return changed;
}

int apply_op_and_layer(const CamParams& wanted) {
  const uint8_t op = wanted.operation;
  const uint8_t new_layer = g_mass_change.new_layer;
  int changed = 0;
  for (DrawingItem* item = g_lists.current.first; item != nullptr; item = item->next) {
    if (!change_item_qualifies(item, true)) continue;
    bool any = false;
    if (op != CHANGE_BYTE_UNCHANGED && takes_operation(item, op)) {
      GeometryBlock* block = item_block(item);
      if (block->cam_kind == GEOMETRY_KIND_DRAWING_AID) {
        block = add_item_cam(item);
        if (block == nullptr) continue;
        apply_cam_defaults(block, op);
      }
      set_block_cam_op(block, op);
      any = true;
    }
    if (new_layer != CHANGE_BYTE_UNCHANGED) {
      item_block(item)->layer = new_layer;
      any = true;
    }
    if (any) ++changed;
  }
  return changed;
}

int make_items_drawing_aids() {
  const uint8_t new_layer = g_mass_change.new_layer;
  int changed = 0;
  for (DrawingItem* item = g_lists.current.first; item != nullptr; item = item->next) {
    if (!change_item_qualifies(item, false)) continue;
    const int removed = remove_item_cam(item);
    bool any = removed == 1;
    if (removed >= 0 && new_layer != CHANGE_BYTE_UNCHANGED) {
      item_block(item)->layer = new_layer;
      any = true;
    }
    if (any) ++changed;
  }
  return changed;
}

int apply_feed_to_items(float feed) {
  if (!(feed > 0)) return 0;
  if (new_change_record() == nullptr) return 0;
  CamParams wanted = change_record_params();
  wanted.finishing.feed = feed;
  set_change_record_params(wanted);
  const int changed = apply_machining_change(CHANGE_BOTH_TOOLS, wanted);
  delete_change_record();
  if (changed > 0) {
    mark_job_changed();
    clear_tool_path();
  }
  return changed;
}

float feed_rate_from_line(const char* line) {
  if (line == nullptr) return 0;
  for (const char* p = line; *p != '\0'; ++p) {
    if (std::toupper(static_cast<unsigned char>(*p)) != 'F') continue;
    // The number right after the F: digits with at most one point, read by hand so that the
    // locale never changes what the list means.
    const char* q = p + 1;
    double value = 0;
    bool digits = false;
    while (*q >= '0' && *q <= '9') {
      value = value * 10 + (*q++ - '0');
      digits = true;
    }
    if (*q == '.') {
      double scale = 0.1;
      for (++q; *q >= '0' && *q <= '9'; ++q, scale *= 0.1) {
        value += (*q - '0') * scale;
        digits = true;
      }
    }
    if (digits && value > 0 && value < 1e30) return static_cast<float>(value);
  }
  return 0;
}
