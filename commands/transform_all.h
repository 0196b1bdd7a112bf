// Transforms of the whole drawing that work directly on the drawing list, without an edit
// session and without an undo step: turning, scaling and mirroring every item about the
// transform centre, their three dialogs, and the display options ("Show").
#pragma once

#include <cstdint>

#include "geometry/drawing_item.h"
#include "geometry/float2d.h"

// The whole-drawing transforms' centre and the dialogs' values, kept for the run.
struct TransformAllState {
  PointF transform_centre = {0.0f, 0.0f};  // drawing units
  float rotate_angle = 0.0f;               // degrees, the rotate dialog's angle
  float mirror_angle = 0.0f;               // degrees, the mirror line's direction
  uint8_t mirror_mode = 0;                 // MIRROR_ALL_*
  uint8_t include_inactive = 0;            // 0 No, 1 Yes: rotate all takes inactive items too
  uint8_t inactive_texts_exist = 0;        // filled when a dialog opens; 0 none
};
inline TransformAllState g_transform_all;

// Mirror modes of mirror_all_items.
constexpr int MIRROR_ALL_FULL = 0;           // everything, the writing of texts too
constexpr int MIRROR_ALL_LOCATION_ONLY = 1;  // texts move to their mirrored place, readable
constexpr int MIRROR_ALL_TEXT_ONLY = 2;      // only the writing of texts is mirrored in place

// Turns the items of the current list about the transform centre by the angle (radians); all
// 0 takes the active items, otherwise every item of a non-zero type. A text that follows a text
// on an arc keeps following it: its offset and direction turn, it is laid out again. Marks the
// job changed and its NC program out of date.
void rotate_all_items(float angle, int all);
// Scales the active items about the transform centre by factor (above 0; anything else is
// refused with a message and changes nothing: null). Texts keep their tools fitting: a shaped
// tool's cutting width grows with the text and its depth follows when it is derived (100 or
// less); a flat tool as wide as the text grows too. The list's last item.
DrawingItem* scale_all_items(float factor);
// Mirrors the active items about the line through centre at angle (radians), in mode
// MIRROR_ALL_*.
void mirror_all_items(PointF centre, float angle, int mode);

// ---- the dialogs --------------------------------------------------------------------------
// Each opens with *centre (or *point) and the values kept from the last run; 1 when accepted,
// with the values written back; 0 when cancelled.
int run_rotate_all_dialog(PointF* centre, float* angle_deg, int* include_inactive);
int run_mirror_all_dialog(PointF* centre, float* angle_deg, int* mode);
// The point coordinates dialog: the new X and Y of a picked point.
int run_origin_dialog(PointF* point);
// The "Show" dialog: a check list of the Drawing page's twelve display options. 1 when the
// options were taken, 0 when cancelled or refused (nothing at all would be shown).
int display_options_dialog();

// Test hooks
inline void reset_transform_all() { g_transform_all = TransformAllState{}; }
