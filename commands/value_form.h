// The value forms: a panel beside the drawing in which the user fills in whatever he knows of a
// new item or a transform (points, lengths, angles, counts, the layer), in any order, by typing,
// picking or snapping. After every change the form's recompute function decides whether the
// entered fields determine the geometry and fills in the rest; a complete form shows a live XOR
// preview and OK creates the item or applies the transform.
//
// One form is open at a time; its state is the one ValueForm record below.
#pragma once

#include <cstdint>
#include <vector>

#include "geometry/drawing_item.h"
#include "screen/event_queue.h"

#include "screen/controls.h"

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
  // The form's own drawing after the view changed under it (its working item, the panel);
  // null: none. Set by the form after set-up, cleared by close_value_form.
  void (*after_view_change)() = nullptr;
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

// ---- the engine every form loop drives ----

// Control ids of a form table besides its fields (1-59): the label of a field is the field's id
// plus VALUE_LABEL_OFFSET (the "Layer:" label is the layer field's); the swatch that opens the
// layer list; the header and the help button.
constexpr int VALUE_LABEL_OFFSET = 110;
constexpr uint8_t VALUE_ID_OK = 96;
constexpr uint8_t VALUE_ID_CANCEL = 1;
constexpr uint8_t VALUE_ID_SWATCH = 230;
constexpr uint8_t VALUE_ID_ZOOM_DRAWING = 97;
constexpr uint8_t VALUE_ID_ZOOM_SHAPE = 98;
constexpr uint8_t VALUE_ID_ZOOM_IN = 99;
constexpr uint8_t VALUE_ID_ZOOM_OUT = 100;
constexpr uint8_t VALUE_ID_PAN = 101;
constexpr uint8_t VALUE_ID_HELP = 102;
// What the mouse buttons carry over the drawing while a form is open.
constexpr EventCode VALUE_FORM_PICK = 801;
constexpr EventCode VALUE_FORM_SNAP = 890;
// read_value_form_event's answer after a full redraw.
constexpr EventCode VALUE_FORM_REDRAWN = 5003;

// Appends the header ("Zoom to:" Drawing, the shape's name, "Zoom" IN OUT, Pan) and the
// "Help me!" button at help_row. The shape's button is hidden until the form is complete.
void append_form_header(std::vector<ScreenControl>* table, const char* shape_name, int help_row);

// While a form is open: the buttons pick and snap, and the drawing area ends where the panel
// begins; close_value_form gives both back (erasing a shown preview when code is not 0).
void open_value_form_panel();
void close_value_form(int code);

// The next event of an open form: the pointer follows the mouse in and out of the drawing; a
// click on a control comes as EVENT_CONTROL_CLICKED with its pixel in g_canvas_cursor.click_x/y,
// a click in the drawing as the command its button carries (VALUE_FORM_PICK, VALUE_FORM_SNAP);
// keys as they are; VALUE_FORM_REDRAWN after a full redraw. `message` goes to the message area;
// with a selected label (its control, and the kind of its field) the label blinks while the
// reader waits and only nodes are hovered for a point.
EventCode read_value_form_event(const char* message, const ScreenControl* selected_label,
                                int8_t kind);
// The "OK    CANCEL" bar over the form's OK and Cancel buttons, its cursor on OK (which 0) or
// CANCEL (1); an incomplete form starts on CANCEL and says why in the message area. 0 OK,
// 1 CANCEL, 27 Esc, or the key that ended the bar.
int run_ok_cancel_bar(int which);
// At a form's first display: a pointer over the drawing glides into the panel, where the keys
// are the form's (over the drawing the arrows and PgUp/PgDn move the view).
void glide_into_form_panel();
// The message area's text for a selected label of a kind (none selected: kind out of range).
const char* value_label_message(int8_t kind, bool selected);

// The "Pick" of a selected field: its value from what lies under the cursor. `value` is the
// field's variable (for a point its X; the Y is the next float). 1 set (the recompute function
// was called), 0 or -2 nothing taken, -1 the pick was cancelled (or no field was selected).
int pick_field_from_drawing(int field, int kind, float* value);
// The Object Snap of a selected field: a point through the snap menu, a length or an angle from
// a link or two points. 0 nothing set, -1 set.
int snap_field_from_drawing(int field, int kind, float* value);
// Acts on a header or help button id 97-102; the id, or 0 for any other id.
int run_form_header_button(int id);
// The "Help me!" tour; 27 when it was ended early.
int run_value_form_tour();

// The link preview of link forms: 114 forgets it (nothing left on the screen to erase), 1 erases
// a shown one, 0 erases and draws the solved link (dotted cyan, XOR).
void update_form_preview(int mode);
// After a zoom or pan: the preview forgotten and, when complete, drawn again.
void refresh_form_preview();
// Shows or hides the shape's zoom button by `complete`.
void update_zoom_to_shape_button();
