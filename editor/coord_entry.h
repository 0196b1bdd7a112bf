// Typed coordinates: while a drawing command waits for a point the user may type where it is
// (absolute X and Y, offsets from a reference point, a distance and an angle, or one value) in
// the entry line of the prompt strip, which shows the point live as a cross joined to the
// reference marker. The same grammar serves the typed fields of other commands; a simpler value
// line reads up to three plain numbers. Numbers are read and shown with "." as the decimal point
// whatever the user's locale, so a typed "1.2,3" means the same everywhere.
#pragma once

#include <cstdint>
#include <vector>

#include "geometry/float2d.h"
#include "platform/canvas.h"
#include "screen/event_queue.h"

struct ScreenControl;

// Field numbers of the entry record (the index of the field's f32 in the stored layout): kinds
// and recompute codes name the field they target by these.
constexpr int FIELD_CURRENT_X = 0;
constexpr int FIELD_REFERENCE_X = 2;
constexpr int FIELD_DISTANCE = 22;
constexpr int FIELD_ANGLE = 23;
constexpr int FIELD_ANGLE_OFFSET = 24;
// Recompute codes besides the field numbers.
constexpr int RECOMPUTE_REFERENCE_MOVED = 2;
constexpr int RECOMPUTE_OFFSET_X = 20;
constexpr int RECOMPUTE_OFFSET_Y = 21;

constexpr int COORD_TEXT_MOST = 24;  // characters of the typed text

// The construction record of the entry line.
struct CoordEntry {
  PointF current = {0.0f, 0.0f};    // fields 0, 1: the point the entry describes, job units
  PointF reference = {0.0f, 0.0f};  // fields 2, 3: offsets, distances and angles start here
  PointF pairs[8] = {};             // fields 4-19: point pairs of two-point values (unused)
  PointF offset = {0.0f, 0.0f};     // fields 20, 21: current - reference
  float distance = 0.0f;            // field 22: |current - reference|
  float angle = 0.0f;               // field 23: radians 0..2pi, reference to current
  float angle_offset = 0.0f;        // field 24: radians, the sweep along an arc
  float base_angle = 0.0f;          // radians, where an arc sweep starts (from the arc centre)
  char text[COORD_TEXT_MOST + 1] = {};  // the typed text, zero-ended
};

// Shared between the entry line and the command that runs it.
struct EntryPreview {
  int32_t count = 0;                     // preview points (nodes entered so far)
  const float* points = nullptr;         // count x, y pairs, job units; owned by the command
  void (*redraw_hook)() = nullptr;       // after a zoom or pan from the strip
  ScreenControl* controls = nullptr;     // the strip's control table; null: not set up yet
  uint8_t spline = 0;                    // 1: the preview is a spline through the points
  uint8_t layer = 0;                     // layer of the item being created
};

struct CoordEntryState {
  CoordEntry entry;              // the one entry record every caller shares
  EntryPreview preview;
  uint8_t point_selection = 0;   // 1 while select_point waits (the entry line clears it)
  char value_line_first = 0;     // the character that opened the value line; on Enter the
                                 // first character of its text ("=" when typed)
  uint8_t measure_pending = 0;   // a value was measured or snapped: the next pass accepts
  uint8_t given = 0;             // the text, a click or a snap gave coordinates this call
  int8_t last_ymode = 0;         // Y mode of the last parse that gave coordinates
  int8_t f9_option = -1;         // -1: no command armed F9; else 0 or 1, flipped by F9 (the
                                 // rotate command's option)
};
extern CoordEntryState g_coord;

// Axis modes of a parse.
constexpr int AXIS_NOT_GIVEN = 0;
constexpr int AXIS_ABSOLUTE = 1;
constexpr int AXIS_RELATIVE = 2;
constexpr int AXIS_POLAR = 3;  // Y only: the X value is a distance, the Y value degrees

// Entry kinds (the per-kind tables are indexed by these).
constexpr int ENTRY_KIND_POINT = 0;
constexpr int ENTRY_KIND_OFFSET = 2;
constexpr int ENTRY_KIND_DISTANCE = 3;
constexpr int ENTRY_KIND_SWEEP = 4;
constexpr int ENTRY_KIND_ROTATE = 7;
// Kind flags.
constexpr int KIND_CLICK_REFERENCE = 0x02;
constexpr int KIND_NO_SNAPS = 0x04;
constexpr int KIND_ARC_RADIUS = 0x08;
constexpr int KIND_CLICK_MEASURES = 0x10;
constexpr int KIND_ANGLE = 0x40;
constexpr int KIND_ARC_SWEEP = 0x80;
// Entry flags.
constexpr int ENTRY_ALL_POINTS = 0x0001;
constexpr int ENTRY_DISTANCE_FIRST = 0x0004;
constexpr int ENTRY_SWEEP_FIRST = 0x0008;
constexpr int ENTRY_DIRECTION_LETTERS = 0x0400;
constexpr int ENTRY_CLOSE_LETTER = 0x0800;
// Results of coordinate_entry_line besides 1..4 (Y mode + 1) and the redraw code.
constexpr int ENTRY_NOTHING = 0;
constexpr int ENTRY_CLOSE = 99;
constexpr int ENTRY_CANCELLED = -27;
// Prompt numbers.
constexpr int ENTRY_PROMPT_NONE = -1;
constexpr int ENTRY_PROMPT_MOVE_NODE = 5;
constexpr int ENTRY_PROMPT_MOVE_LINK = 6;
constexpr int ENTRY_PROMPT_FINAL_POINT = 7;
constexpr int ENTRY_PROMPT_FROM_REFERENCE = 8;

// The characters that start a typed value.
constexpr char TYPED_VALUE_CHARS[] = "*+,-.0123456789<=>";
bool starts_typed_value(EventCode code);

// ---- the grammar ----
// Parses the text (changed in place: leading blanks go, ">" becomes "<", the text is cut where
// the Y part ends) into two values and the axis modes; true when it gave coordinates.
bool parse_typed_coordinates(float values[2], char* text, int* xmode, int* ymode, int kind);
// Stores parsed values into the entry; the recompute code.
int apply_typed_values(int flags, int kind_flags, int field, int xmode, int ymode,
                       const float values[2]);
// Recomputes the dependent fields of the entry for a code.
void recompute_entry(int code, int flags);
// Parse, store and recompute a text typed elsewhere: (Y mode x 16) + X mode, 0 for nothing.
int apply_typed_field(char* text, int flags, int kind);
// Up to three numbers separated by ","; a leading "=" is skipped. The count read.
int parse_value_line(const char* text, float out[3]);
int kind_flags_of(int kind);
// The field number a kind's values target.
int kind_field_of(int kind);
// A character typed into the entry line: "=" and "+" become ",", ">" becomes "<", then the
// kind's filter; 0 when the kind refuses it.
char filter_typed_char(EventCode code, int kind);

// ---- the entry line ----
// Zeroes fields 0 to 23 of the entry, as every caller does before an entry; the angle offset,
// base angle and text stay.
void zero_coord_entry(CoordEntry* e);
// Runs the entry line for a point (all points, kind 0) until it gives one (true, in out) or is
// left (false); after a change of the view the pick redraw hook draws the caller's graphics.
bool enter_point(int prompt, PointF* out);
int coordinate_entry_line(CoordEntry* entry, int flags, int kind, int prompt);
// The event reader of the entry line and the pick loops; caret < 0 waits without a caret.
EventCode next_entry_event(int caret);
// Up to three comma-separated numbers on the entry box: the count (current x, current y,
// reference x of the entry), or -27 on Esc.
int read_value_line(const char* prompt);
// Where the node editor's node (flag 0) or link (flag 1) moves: 0, or -1 when cancelled.
int enter_reference_point(int flag);
void entry_back_is_cancel();
void entry_back_is_go_back();
// The entries that follow show the layer of the item being drawn (the preview's layer byte,
// set to `layer`) in front of the strip: typed in its field or picked from the layer list.
void use_entry_layer_strip(uint8_t layer);
// Sets up the preview for the entries that follow: cleared, the working set as redraw hook
// and the plain entry strip.
void reset_entry_preview();
void xor_point_marker(float x, float y);
// The drawing canvas set up for XOR marks with a thin pen of a colour and style and a hollow
// brush; the caller's pen, brush and mix come back when it goes out of scope.
struct XorMarkPen {
  CanvasKeep keep;
  XorMarkPen(uint32_t colour, CanvasPenStyle style);
};
// The zoom controls of the prompt strip (label, IN, OUT, to drawing, Pan) into a table; the
// strips differ only in the columns of OUT and "to drawing".
void append_zoom_controls(std::vector<ScreenControl>* table, int out_column);
void draw_entry_preview();
void show_reference_point(const CoordEntry* entry);

// Test hooks
void reset_coord_entry();
