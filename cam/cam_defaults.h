// Machining defaults applied to new items: six default records, chosen by the kind of cut and
// by whether the item is text. They are kept in their stored layout, byte for byte as the
// preferences file holds them, so the preferences reader and writer copy them as they stand.
//
// The geometry model gives every new machinable or text item its defaults through its host
// (apply_new_item_defaults, connected at start-up).
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "geometry/drawing_item.h"
#include "records/job_settings.h"

// The six slots, in their order inside the preferences record.
enum CamDefaultSlot {
  CAM_SLOT_TEXT_CENTERLINE = 0,   // text items, centerline (operations 1, 7)
  CAM_SLOT_TEXT_CONTOUR = 1,      // text items, contour (operations 2, 3, 5)
  CAM_SLOT_TEXT_POCKET = 2,       // text items, pocket (operation 4)
  CAM_SLOT_DRAWING_CENTERLINE = 3,
  CAM_SLOT_DRAWING_CONTOUR = 4,
  CAM_SLOT_DRAWING_POCKET = 5,
};
constexpr int CAM_SLOT_COUNT = 6;
// A text slot is a whole text item header (geometry header, machining block, text layout); a
// drawing slot is a geometry header and a machining block. In both the machining block starts
// at byte 8.
constexpr size_t CAM_TEXT_SLOT_SIZE = 392;
constexpr size_t CAM_DRAWING_SLOT_SIZE = 200;
constexpr size_t CAM_DEFAULTS_SIZE = 3 * CAM_TEXT_SLOT_SIZE + 3 * CAM_DRAWING_SLOT_SIZE;
// Where the six records lie in the preferences record.
constexpr size_t PREFERENCES_CAM_DEFAULTS_OFFSET = 2248;

struct CamDefaults {
  // The six slots back to back in CamDefaultSlot order, in their stored layout.
  uint8_t bytes[CAM_DEFAULTS_SIZE] = {};
};
inline CamDefaults g_cam_defaults;
inline void reset_cam_defaults() { g_cam_defaults = CamDefaults{}; }

// Byte offset of a slot inside CamDefaults::bytes.
constexpr size_t cam_default_slot_offset(int slot) {
  return slot < 3 ? static_cast<size_t>(slot) * CAM_TEXT_SLOT_SIZE
                  : 3 * CAM_TEXT_SLOT_SIZE + static_cast<size_t>(slot - 3) * CAM_DRAWING_SLOT_SIZE;
}
// The slot's first byte; null for a slot outside 0..5.
inline uint8_t* cam_default_slot(int slot) {
  if (slot < 0 || slot >= CAM_SLOT_COUNT) return nullptr;
  return g_cam_defaults.bytes + cam_default_slot_offset(slot);
}
// The slot's machining block (CAM_PARAMS_SIZE bytes); null for a slot outside 0..5.
inline uint8_t* cam_default_params(int slot) {
  uint8_t* bytes = cam_default_slot(slot);
  return bytes == nullptr ? nullptr : bytes + CAM_PARAMS_OFFSET;
}
// The slot serving a cut type (operation) for a text or a drawing block; -1 for cut types
// that take no defaults (0 drawing aid, 6 island, above 7).
inline int cam_slot_for_cut_type(int cut_type, bool text) {
  int slot;
  switch (cut_type) {
    case 1: case 7: slot = CAM_SLOT_TEXT_CENTERLINE; break;
    case 2: case 3: case 5: slot = CAM_SLOT_TEXT_CONTOUR; break;
    case 4: slot = CAM_SLOT_TEXT_POCKET; break;
    default: return -1;
  }
  return text ? slot : slot + 3;
}

// Gives a machining block the defaults of the cut type: the slot's machining block, the cut
// type as its operation (7, a blade, is never offered and becomes a centerline cut) and the
// job's cut direction. A drawing aid's block and cut types 0, 6 and above 7 change nothing.
inline void apply_cam_defaults(GeometryBlock* block, int cut_type) {
  uint8_t* cam = block_cam_params(block);
  if (cam == nullptr) return;
  const int slot = cam_slot_for_cut_type(cut_type, block->cam_kind == GEOMETRY_KIND_TEXT);
  if (slot < 0) return;
  std::memcpy(cam, cam_default_params(slot), CAM_PARAMS_SIZE);
  cam[0] = static_cast<uint8_t>(cut_type == 7 ? 1 : cut_type);
  cam[1] = g_job_settings.climb_milling;
}

// The defaults of a new item, as the geometry host applies them: a text item takes the job's
// text cut type as its operation, a machinable item the defaults of the job's new-item cut type.
inline void apply_new_item_defaults(GeometryBlock* block) {
  if (block->cam_kind == GEOMETRY_KIND_TEXT) {
    set_block_cam_op(block, g_job_settings.text_cut_type);
  } else if (block->cam_kind == GEOMETRY_KIND_MACHINABLE) {
    apply_cam_defaults(block, g_job_settings.new_item_cut_type);
  }
}
