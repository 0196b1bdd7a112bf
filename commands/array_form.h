// The array form: copies the selected items (those with the working flag) into rows, a frame or
// a circle. The user fills in the start point, the counts, the spacings or the radius and
// angles, and the handle: the point of the selection that each copy puts onto its position.
// While the form is open real copies stand at every position, drawn in XOR as the live preview;
// OK keeps them as new items (one undo step, also when the originals are deleted), every other
// way out deletes them.
#pragma once

#include <cstdint>

#include "geometry/drawing_item.h"
#include "geometry/float2d.h"

// Handle modes: where on the selection's box the handle sits.
constexpr int16_t HANDLE_CENTRE = 0;
constexpr int16_t HANDLE_LOWER_LEFT = 1;
constexpr int16_t HANDLE_UPPER_LEFT = 2;
constexpr int16_t HANDLE_UPPER_RIGHT = 3;
constexpr int16_t HANDLE_LOWER_RIGHT = 4;

// What a pattern can store: rows and columns are one byte each, a circle's count 16 bits.
constexpr int32_t ARRAY_MOST_ROWS = 255;
constexpr int32_t ARRAY_MOST_CIRCLE_COPIES = 32767;

struct ArrayFormState {
  // ---- kept from one array to the next ----
  uint8_t kind = 1;              // PatternKind 1-6 (the point-array kinds); 1 "Align rows"
  float row_spacing = 0.0f;      // drawing units between rows (Y)
  float column_spacing = 0.0f;   // drawing units between columns (X)
  float radius = 0.0f;           // circular: from the centre to the handle's positions
  float angular_step = 0.0f;     // circular, radians; 0: a full turn divided by the count
  float start_angle = 0.0f;      // circular, radians
  int16_t handle_mode = HANDLE_CENTRE;
  // The check boxes' ticks.
  uint8_t delete_originals = 1;
  uint8_t rotate = 1;            // circular: each copy turns with its place on the circle
  uint8_t plus_90 = 1;           // circular: each copy turns a further -90 degrees
  uint8_t retain_layers = 1;     // copies keep their layers (else they take the form's)
  uint8_t layer_known = 0;       // the form's layer was set once (it carries to the next run)
  // ---- set at each start ----
  int32_t rows = 1;              // grid and frame kinds, 1-255
  int32_t columns = 1;
  int32_t count = 0;             // circular copies, 0-32767 (0: incomplete)
  PointF handle = {};            // the selection's point put onto each position
  PointF handle_to_start = {};   // start point minus handle
  double angle = 0.0;            // the current angle while copies are made (radians)
  DrawingItem* last_original = nullptr;  // the drawing's tail before the copies
  DrawingItem* first_copy = nullptr;     // the copies run from here to the tail; null: none
  // Makes the copy of an item at the tail (0 done, -1 no memory); a seam for tests.
  int (*copy_item)(DrawingItem* item, int extra_links) = copy_item_with_extra_links;
};
extern ArrayFormState g_array_form;

// Runs the form on the working-flag items of the drawing list; 0 when it closed.
int array_form();
// The form's recompute function: the field after it got a value, negated after it was cleared.
// Non-zero when the array is complete.
int solve_array(int field);
// The copies from the pattern in the form's link; false (copies deleted, after a message) when
// one could not be made.
bool make_array_copies();
// mode 0: draws every copy in XOR; otherwise deletes the copies, erasing each first unless mode
// is 114 (the screen holds nothing to erase).
void clear_array_copies(int mode);
// The box of every copy (1e38 / -1e38 when there are none).
void array_copies_extents(PointF* out_min, PointF* out_max);

// Test hooks
void reset_array_form();
