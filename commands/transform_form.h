// The transform value form: one form for drawing a single straight line (LINE) and for giving a
// transform of the edit session's working set by values (ALIGN, MIRROR, COPY, MOVE, ROTATE,
// SCALE). The line it solves (commands/line_solver.h) is the line itself, the mirror line, the
// move from a point to a point, the rotation's centre and handle or the scale's anchor; while the
// form is open the working copies show the transform live, and the calling command commits or
// cancels the session by the form's result.
#pragma once

#include <cstdint>

#include "geometry/drawing_item.h"
#include "geometry/float2d.h"

// The mode word: which form runs.
constexpr int TRANSFORM_LINE = 0;
constexpr int TRANSFORM_ALIGN = 1;
constexpr int TRANSFORM_MIRROR_VERTICAL = 2;    // about a vertical line: its X
constexpr int TRANSFORM_MIRROR_HORIZONTAL = 4;  // about a horizontal line: its Y
constexpr int TRANSFORM_MIRROR_LINE = 8;        // about any line, given as LINE gives one
constexpr int TRANSFORM_COPY = 16;
constexpr int TRANSFORM_MOVE = 32;
constexpr int TRANSFORM_ROTATE = 64;            // by the handle's angle
constexpr int TRANSFORM_ROTATE_BY = 128;        // with an angle to rotate
constexpr int TRANSFORM_ROTATE_REFERENCE = 256; // with a reference angle too
constexpr int TRANSFORM_SCALE = 512;            // by a factor
constexpr int TRANSFORM_SCALE_DISTANCE = 1024;  // a distance and what it should be
constexpr int TRANSFORM_SCALE_SIZE = 2048;      // to a desired width or height

constexpr int TRANSFORM_MIRROR_MODES = TRANSFORM_MIRROR_VERTICAL | TRANSFORM_MIRROR_HORIZONTAL |
                                       TRANSFORM_MIRROR_LINE;
constexpr int TRANSFORM_ROTATE_MODES =
    TRANSFORM_ROTATE | TRANSFORM_ROTATE_BY | TRANSFORM_ROTATE_REFERENCE;
constexpr int TRANSFORM_SCALE_MODES =
    TRANSFORM_SCALE | TRANSFORM_SCALE_DISTANCE | TRANSFORM_SCALE_SIZE;

// Field (control) indices, the same in every mode's table.
constexpr int TF_START_X = 2;     // start, from, centre, anchor; ALIGN's "Align at"
constexpr int TF_START_Y = 3;
constexpr int TF_START_TANGENT = 4;
constexpr int TF_END_X = 5;       // end, to, handle
constexpr int TF_END_Y = 6;
constexpr int TF_END_TANGENT = 7;
constexpr int TF_LENGTH = 8;
constexpr int TF_ANGLE = 9;
constexpr int TF_X_VALUE = 10;    // X distance; ALIGN spacing; ROTATE snap; SCALE first length
constexpr int TF_Y_VALUE = 11;    // Y distance; ROTATE angle to rotate; SCALE second length
constexpr int TF_FACTOR = 12;     // SCALE factor; ROTATE reference angle
constexpr int TF_LAYER = 13;
constexpr int TF_FLIP = 27;       // "Flip line": line_solver(27)

// Results of value_transform_form.
constexpr int TRANSFORM_CANCELLED = -1;
constexpr int TRANSFORM_ACCEPTED = 0;
constexpr int TRANSFORM_MIRROR_REPLACES = 100;  // a mirror with "Delete originals" ticked

// A link picked for a "Tangent to:" field: a copy of it and the record after it (its end), so
// nothing in the drawing is pointed at while the form runs.
struct PickedLink {
  bool set = false;
  LinkRecord link[2] = {};
  int32_t item_id = 0;
};

// What the transform form keeps besides the value-form engine's record (g_value_form): the
// line is g_value_form.link (its node the start, its closing record the end, the sweep slot the
// length, the start-angle slot the angle); values[0] and values[1] the X and Y values.
struct TransformFormState {
  int mode = TRANSFORM_LINE;       // the mode word; 0 also while no form is open
  float factor = 1.0f;             // SCALE: the factor; ROTATE: the reference angle (radians)
  float factor2 = 0.0f;            // ROTATE: the angle to rotate (radians)
  PickedLink start_tangent;        // field 4
  PickedLink end_tangent;          // field 7
  PointF start_pick = {0.0f, 0.0f};  // where the tangent links were picked (drawing units)
  PointF end_pick = {0.0f, 0.0f};
  PointF box_min = {1e38f, 1e38f};   // the working set's box, taken when the form opens
  PointF box_max = {-1e38f, -1e38f};
  float remembered_angle = 0.0f;   // ROTATE: the angle before the last snap
  bool snap = true;                // ROTATE: "Snap" ticked
  bool preview_on = false;         // ROTATE and SCALE: a centre is given, the preview runs
  bool align_rows = false;         // ALIGN: "Align in a row" selected
  int align_column_edge = 1;       // ALIGN columns: 0 Left, 1 Center, 2 Right
  int align_row_edge = 1;          // ALIGN rows: 0 Top, 1 Center, 2 Bottom
  bool delete_originals = false;   // MIRROR
  bool mirror_text = false;        // MIRROR: "Mirror text also"
  bool retain_layers = true;       // MIRROR and COPY
  bool preview_shown = false;      // the working set is drawn transformed on the screen
  // ---- kept for the run ----
  PointF previous_line_end = {0.0f, 0.0f};  // the end of the last line the LINE form made
  float snap_increment = 0.0f;     // ROTATE: radians; 0 becomes one degree when the form opens
};
inline TransformFormState g_transform_form;

// Runs the form in the mode over the edit session's working set (mode 0: no session needed).
// TRANSFORM_CANCELLED, TRANSFORM_ACCEPTED or TRANSFORM_MIRROR_REPLACES.
int value_transform_form(int mode);

// The transformed working set as the form now defines it (step 0), erased (1), or forgotten as
// no longer on the screen (2).
void update_transform_preview(int step);
// Copies the original's link records over its working copy's; false (nothing copied) when the
// two have different link counts.
bool reset_working_copy(const DrawingItem* original, DrawingItem* copy);

// Test hooks
inline void reset_transform_form() {
  const PointF end = g_transform_form.previous_line_end;
  const float snap = g_transform_form.snap_increment;
  g_transform_form = TransformFormState{};
  g_transform_form.previous_line_end = end;
  g_transform_form.snap_increment = snap;
}
inline void reset_transform_form_memory() { g_transform_form = TransformFormState{}; }
