// The value forms: a panel beside the drawing in which the user fills in whatever he knows of a
// new item or a transform (points, lengths, angles, counts, the layer), in any order, by typing,
// picking or snapping. After every change the form's recompute function decides whether the
// entered fields determine the geometry and fills in the rest; a complete form shows a live XOR
// preview and OK creates the item or applies the transform.
//
// One form is open at a time; its state is the one ValueForm record below.
#pragma once

#include <cstdint>

#include "geometry/drawing_item.h"
#include "screen/event_queue.h"

struct ScreenControl;

// How a field is typed and picked. Lengths are in drawing units; angles are typed and shown in
// degrees and kept in radians.
enum ValueFieldKind : int8_t {
  FIELD_POINT = 0,      // an X field; its label takes X and Y together
  FIELD_Y_ONLY = 1,     // a Y field; its "Y only:" label takes only the Y of a picked point
  FIELD_LENGTH = -1,
  FIELD_SWEEP = -2,     // an angle that stays below a full turn
  FIELD_ANGLE = -3,
  FIELD_LAYER = -4,     // the "Layer:" label
  FIELD_DIAMETER = -5,
};

// What the preview and the zoom buttons of a form work on.
enum ValueFormKind : uint8_t {
  FORM_WORKING_ITEM = 0,   // a working item at the tail of the drawing list is the preview
  FORM_LINK = 1,           // the single solved link is the preview
  FORM_ARRAY = 65,         // the array form: live copies
  FORM_TRANSFORM = 108,    // a transform mode with no shape of its own
};

// entered[] marks.
constexpr uint8_t FIELD_EMPTY = 0;       // empty, or only computed
constexpr uint8_t FIELD_ENTERED = 1;     // typed, picked or snapped
constexpr uint8_t FIELD_CARRIED = 2;     // carried over from the form's last run

// Control indices of a form table: 1-59.
constexpr int VALUE_FORM_MAX_CONTROLS = 60;
constexpr int VALUE_FORM_SCRATCH_VALUES = 8;
constexpr int VALUE_FORM_TITLE_SIZE = 99;

// A sweep typed as a whole turn is kept just below it, so it never reads as an empty arc.
constexpr double FULL_TURN_SWEEP = 6.282985;

// The recompute function: the field index after it got a value, the negated index after it was
// cleared. Non-zero when the geometry is (still) determined; for a cleared field the number of
// fields now empty.
using ValueFormRecompute = int (*)(int field);

// A link with the closing record behind it: the form's solved geometry for link forms.
struct FormLink {
  LinkRecord link;
  LinkRecord closing;
};

struct ValueForm {
  uint8_t preview_shown = 0;     // the XOR preview link is on the screen
  int16_t marker_box[4] = {};    // top, left, width, height (pixels) of the selected label
  int16_t marker_shown = 0;      // the blinking pick marker is drawn now
  // ---- zeroed by geometry_panel_setup from here ----
  float values[VALUE_FORM_SCRATCH_VALUES] = {};  // scratch values each form names for itself
  // entered[0] is `complete`: 1 when the entered fields determine the geometry (2: shown but
  // not accepted, as a rectangle with a zero side). entered[1..59]: FIELD_EMPTY, FIELD_ENTERED
  // or FIELD_CARRIED per control index.
  uint8_t entered[VALUE_FORM_MAX_CONTROLS] = {};
  uint8_t kind = FORM_WORKING_ITEM;  // ValueFormKind
  float diameter = 0.0f;             // the diameter field of the forms that have one
  FormLink link = {};                // the geometry solved by link forms
  ValueFormRecompute recompute = nullptr;
  int32_t layer_field = 0;           // control index of the layer entry field
  char title[VALUE_FORM_TITLE_SIZE] = {};  // the prompt-line text of the form
  uint8_t layer_edit_once = 0;       // the layer editor returns after one pass
  // ---- survive set-up ----
  uint8_t layer = 0;                 // layer (0-243) of the new item
  FormLink last_preview = {};        // the link last drawn as the preview, kept to erase it
};
extern ValueForm g_value_form;

// `complete` lives in entered[0].
inline uint8_t& form_complete() { return g_value_form.entered[0]; }
inline bool field_entered(int field) { return g_value_form.entered[field] != FIELD_EMPTY; }

// The set-up's part of the record: zeroes everything from the scratch values to the layer-once
// mark and gives the link its first-node and closing flags; the preview state, the marker, the
// layer and the last preview survive.
void zero_value_form_fields();

// 1 when complete; -1 (after the incomplete-geometry box) when something is entered but the
// geometry is not determined; 0 when nothing is entered.
int check_form_complete();

// What a key that left a field does to a form's cursor over count fields: Down, Enter and Tab
// go to the next field, Up to the one before. The answer is VALUE_FORM_GO_ON while the cursor
// stays among the fields; else the key the form's field loop ends with: Down past the last
// field, Up above the first, Esc for a quit, and Esc, 0 and clicks as they are.
constexpr EventCode VALUE_FORM_GO_ON = -1;
EventCode step_value_form_cursor(EventCode key, int count, int* current);

// Test hooks
void reset_value_form();
