#include "cam/machining_block.h"

#include <cmath>
#include <cstring>
#include <new>

#include "cam/tools.h"
#include "nc/cam_host.h"
#include "records/job_settings.h"
#include "store/line_list.h"
#include "store/record_bytes.h"

CamSettingsBuffer g_cam_settings;

void reset_cam_settings() { g_cam_settings = CamSettingsBuffer{}; }

// ---- Stored layout --------------------------------------------------------------------------

bool get_block_cam(GeometryBlock* block, CamParams* params) {
  const uint8_t* cam = block_cam_params(block);
  if (cam == nullptr) return false;
  read_cam_params(cam, params);
  return true;
}

bool put_block_cam(GeometryBlock* block, const CamParams& params) {
  uint8_t* cam = block_cam_params(block);
  if (cam == nullptr) return false;
  write_cam_params(params, cam);
  return true;
}

// ---- Defaults -------------------------------------------------------------------------------

void init_cam_defaults(int slot, bool metric_set) {
  uint8_t* cam = cam_default_params(slot);
  if (cam == nullptr) return;
  const ToolRecord tool = first_tool_record();
  CamParams params;
  CamToolBlock& finishing = params.finishing;
  tool_to_cam_block(tool, &finishing);
  if (finishing.shape == TOOL_SHAPE_FLAT) {
    finishing.cut_width = finishing.size;
    finishing.stepover_percent = 40;
    finishing.cut_depth = metric_set ? 0.75f : 0.03f;
  } else {
    finishing.cut_width = metric_set ? 0.6f : 0.025f;
    finishing.cut_depth = depth_from_cut_width(finishing.cut_width, finishing.shape,
                                               finishing.size, finishing.tip_diameter);
    finishing.stepover_percent = 25;
  }
  finishing.ramp_angle = 90;
  if (finishing.tool_number == 0) finishing.tool_number = 1;
  params.roughing.cut_depth = finishing.cut_depth;
  params.roughing.stepover_percent = 45;
  params.roughing.ramp_angle = 90;
  params.cut_direction = g_job_settings.climb_milling;
  params.rapid_height = metric_set ? 1.0f : 0.05f;
  params.finish_allowance = metric_set ? 0.2f : 0.01f;
  write_cam_params(params, cam);
}

bool store_cam_defaults(const DrawingItem* item, int to_drawing_slots, int cut_kind) {
  if (cut_kind < CAM_KIND_CENTERLINE || cut_kind > CAM_KIND_POCKET) return false;
  const uint8_t* cam = block_cam_params(item_block(item));
  if (cam == nullptr) return false;
  const int slot = (to_drawing_slots ? CAM_SLOT_DRAWING_CENTERLINE : CAM_SLOT_TEXT_CENTERLINE) +
                   cut_kind;
  std::memcpy(cam_default_params(slot), cam, CAM_PARAMS_SIZE);
  return true;
}

bool store_text_defaults(const DrawingItem* item) {
  const uint8_t* layout = block_text_layout(item_block(item));
  if (layout == nullptr) return false;
  for (int slot = CAM_SLOT_TEXT_CENTERLINE; slot <= CAM_SLOT_TEXT_POCKET; ++slot)
    std::memcpy(cam_default_slot(slot) + TEXT_LAYOUT_OFFSET, layout, TEXT_LAYOUT_SIZE);
  return true;
}

// ---- Giving, taking and copying machining blocks --------------------------------------------

namespace {

// Rebuilds the item's block as one of another kind: the header's count and layer and every
// link record (the closing record included) are kept; the machining block is zeroed when the
// new kind has one. Returns the new block, null when memory runs out.
GeometryBlock* rebuild_block(DrawingItem* item, uint8_t new_kind) {
  GeometryBlock* old_block = item_block(item);
  const int32_t links = old_block->link_count;
  LineExtra extra;
  try {
    extra.assign(block_alloc_size(new_kind, links), 0);
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
  auto* block = reinterpret_cast<GeometryBlock*>(extra.data());
  block->link_count = links;
  block->cam_kind = new_kind;
  block->layer = old_block->layer;
  std::memcpy(block_nodes(block), block_nodes(old_block),
              LINK_RECORD_SIZE * (static_cast<size_t>(links) + 1));
  item->extra = std::move(extra);
  return item_block(item);
}

}  // namespace

GeometryBlock* add_item_cam(DrawingItem* item) {
  GeometryBlock* block = item_block(item);
  if (block == nullptr || block->cam_kind != GEOMETRY_KIND_DRAWING_AID) return nullptr;
  return rebuild_block(item, GEOMETRY_KIND_MACHINABLE);
}

int remove_item_cam(DrawingItem* item) {
  GeometryBlock* block = item_block(item);
  if (block == nullptr || block->cam_kind == GEOMETRY_KIND_DRAWING_AID) return 0;
  if (block->cam_kind == GEOMETRY_KIND_TEXT) {
    uint8_t* cam = block_cam_params(block);
    cam[0] = CAM_OP_DRAWING_AID;
    put_f32_le(cam + CAM_FINISHING_OFFSET + 40, 0.0f);  // finishing cutting width
    return 1;
  }
  return rebuild_block(item, GEOMETRY_KIND_DRAWING_AID) != nullptr ? 1 : -1;
}

int item_store_cam(DrawingItem* item) {
  GeometryBlock* block = item_block(item);
  if (block == nullptr) return -1;
  if (block->cam_kind == GEOMETRY_KIND_DRAWING_AID) {
    block = add_item_cam(item);
    if (block == nullptr) return -1;
  }
  put_block_cam(block, g_cam_settings.params);
  mark_job_changed();
  return 0;
}

int copy_item_cam(const DrawingItem* source, DrawingItem* target) {
  const uint8_t* cam = block_cam_params(item_block(source));
  if (cam == nullptr || cam[0] == CAM_OP_DRAWING_AID) return -1;
  read_cam_params(cam, &g_cam_settings.params);
  return item_store_cam(target);
}

// ---- Tools and passes --------------------------------------------------------------------------

int check_tool_shape(int shape, float size, int report) {
  if (size > 0) return 450;
  if (report) {
    const int index = shape == TOOL_SHAPE_TAPERED || shape == TOOL_SHAPE_BALL ? shape : 0;
    host_show_message(CAM_MESSAGE_NO_SIZE[index]);
  }
  return 0;
}

int cam_pass_count(const CamParams& params, const CamToolBlock& finishing,
                   const CamToolBlock& roughing) {
  const float a = finishing.cut_width;
  const float b = finishing.stepover_percent * 0.01f * a;
  if (!(b > 0)) return 0;
  const float c = roughing.cut_width * 0.5f + params.finish_allowance;
  if (a > c) return 1;
  const float d = finishing.first_stepover;
  if (c < a + d) return 2;
  const float passes = std::ceil((c - a - d) / b + 2);
  // Clamped before the conversion: a huge or undefined count must not overflow an int.
  if (!(passes >= 0)) return 0;
  if (passes > 10) return 10;
  return static_cast<int>(passes);
}

float depth_from_cut_width(float width, int shape, float size, float tip) {
  if (!(width > 0)) return 0;
  if (shape == TOOL_SHAPE_TAPERED) {
    if (!(size > 0)) return 0;
    if (width < tip) {
      host_show_message(CAM_MESSAGE_TIP_TOO_WIDE);
      return 0;
    }
    const float slope = std::tan(size / 2);
    return (width / 2) / slope - (tip / 2) / slope;
  }
  const float r = size * size - width * width / 4;
  if (r < 0) {
    host_show_message(CAM_MESSAGE_BALL_TOO_SMALL);
    return 0;
  }
  return size - std::sqrt(r);
}

float cut_width_from_depth(float depth, int shape, float size, float tip) {
  if (shape == TOOL_SHAPE_TAPERED) {
    if (size == 0) return 0;
    const float slope = std::tan(size / 2);
    return 2 * slope * (depth + (tip / 2) / slope);
  }
  if (size > depth) return 2 * std::sqrt(size * size - (size - depth) * (size - depth));
  return 2 * size;
}

int set_drill_kind(GeometryBlock* block) {
  uint8_t* cam = block_cam_params(block);
  if (cam == nullptr) return 0;
  const bool pecking = get_f32_le(cam + 56) > 0;
  const uint8_t old_op = cam[0];
  if (pecking && old_op == 1) cam[0] = 2;
  if (pecking && old_op == 4) cam[0] = 5;
  if (!pecking && old_op == 2) cam[0] = 1;
  if (!pecking && old_op == 5) cam[0] = 4;
  return cam[0] != old_op ? 1 : 0;
}

int cam_kind_matches(const DrawingItem* item, int for_drawing, int cut_kind) {
  if (item == nullptr) return -1;
  const bool text = item_is_text(item);
  if (text != (for_drawing == 0)) return -1;
  const uint8_t* cam = block_cam_params(item_block(item));
  if (cam == nullptr) return -1;
  const uint8_t op = cam[0];
  switch (cut_kind) {
    case CAM_KIND_CENTERLINE: return op == CAM_OP_CENTERLINE ? 0 : -1;
    case CAM_KIND_CONTOUR:
      return op == CAM_OP_CONTOUR_INSIDE || op == CAM_OP_CONTOUR_OUTSIDE ||
                     op == CAM_OP_CONTOUR_ISLANDS || op == CAM_OP_BLADE
                 ? 0
                 : -1;
    case CAM_KIND_POCKET: return op == CAM_OP_SPIRAL_POCKET ? 0 : -1;
    case CAM_KIND_ANY_TEXT: return text ? 0 : -1;
    default: return -1;
  }
}

// ---- Names ------------------------------------------------------------------------------------
// A hex escape swallows every hex digit after it, so "\x13" is always closed off as a string
// of its own before the text goes on.

const char* const CAM_OPERATION_NAMES[CAM_NAME_COUNT] = {
    "", "", "Contour Inside", "Contour Outside", "Spiral Pocket", "Contour islands", "",
    "Cut a Blade", "", "Drill", "Peck Drill",
    "centerline", "contouring", "pocketing", "text", "geometry",
    "Conventional", "Climb Cut", "Conventional cut (Tool Right)", "Climb Cut (Tool Left)"};

const char* const CAM_OPERATION_LIST[7] = {
    "Drawing \va\x13" "id", "Cut \vc\x13" "enterline", "Contour \vI\x13" "nside",
    "Contour \vO\x13" "utside", "Spiral \vP\x13" "ocket", "Contour\f+\x13" "i\vs\x13" "lands",
    "Islan\vd\x13"};

const char* const CAM_OPERATION_LIST_OPEN[7] = {
    "Drawing \va\x13" "id", "Cut \vc\x13" "enterline", "Tool \vR\x13" "ight",
    "Tool \vL\x13" "eft", "Spiral \vP\x13" "ocket", "Contour\f+\x13" "i\vs\x13" "lands",
    "Islan\vd\x13"};

const char* const CAM_OPERATION_LIST_DRILL[3] = {"Drawing aid", "\vD\x13" "rill",
                                                 "\vP\x13" "eck Drill"};

const char* const CAM_TOOL_SHAPE_NAMES[3] = {"\vF\x13" "lat end mill", "\vT\x13" "apered tool",
                                             "\vB\x13" "all end mill"};

const char* const CAM_TOOL_SIZE_LABELS[3] = {"\vDiameter:", "   \vTaper:", "  \vRadius:"};

const char* const CAM_TOOL_TIP_LABEL = "\vTip diameter:";

const char* const CAM_TOOL_SIZE_PROMPTS[3] = {
    "\vEnter the \x13" "diameter\v of this end mill.",
    "\vEnter the \x13" "included angle\v of the tip.",
    "\vEnter the \x13" "radius\v of this ball end mill."};

const char* const CAM_UNIT_NAMES[2] = {"\vM\x13" "etric", "\vI\x13" "nches"};

const char* const CAM_MESSAGE_NO_SIZE[3] = {
    "You didn't specify a diameter for the tool!",
    "You specified a tapered tool, but you didn't specify a taper for it!\n"
    "Either change the tool, or specify a taper.",
    "You specified a ball end mill, but you didn't specify a radius for the ball!\n"
    "Either change the tool, or specify a radius."};

const char* const CAM_MESSAGE_TIP_TOO_WIDE =
    "The tool does not have a sharp enough tip to achieve this cutting width!\n"
    "Either change the tool, or make the cutting width larger.";

const char* const CAM_MESSAGE_BALL_TOO_SMALL =
    "The diameter of the ball end mill is too small to achieve this cutting width!\n"
    "Either change the tool, or make the cutting width larger.";
