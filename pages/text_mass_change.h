// Changing many items at once from the File menu: spacing text items apart by steps in X and Y
// (form 149), and changing machining and text values field by field (form 142: ignore, add,
// multiply or replace). Both take the items a filter lets through: a layer range, shown layers
// only or all, one tool number, and on the Drawing page only marked items.
#pragma once

#include <cstdint>

#include "geometry/drawing_item.h"
#include "screen/event_queue.h"

// Operations of a form 142 field.
constexpr uint8_t CHANGE_IGNORE = 0, CHANGE_ADD = 1, CHANGE_MULTIPLY = 2, CHANGE_REPLACE = 3;
// Form 142's fields 1..18 (7 a separator).
enum TextChangeField : int {
  CHANGE_CUT_WIDTH = 1,
  CHANGE_CUT_DEPTH = 2,
  CHANGE_RAPID_HEIGHT = 3,
  CHANGE_SURFACE_Z = 4,
  CHANGE_XY_FEED = 5,
  CHANGE_SPINDLE_SPEED = 6,
  CHANGE_ANCHOR_X = 8,
  CHANGE_ANCHOR_Y = 9,
  CHANGE_LINK_DX = 10,
  CHANGE_LINK_DY = 11,
  CHANGE_LENGTH = 12,
  CHANGE_HEIGHT = 13,
  CHANGE_WIDTH_RATIO = 14,
  CHANGE_SPACING = 15,
  CHANGE_ANGLE = 16,
  CHANGE_SLANT = 17,
  CHANGE_ARC_RADIUS = 18,
  CHANGE_FIELD_COUNT = 19,
};
// A layer bound of 255: no bound.
constexpr uint8_t CHANGE_NO_LAYER_BOUND = 255;

struct TextChangeOptions {
  uint8_t operation[CHANGE_FIELD_COUNT] = {};  // CHANGE_* by field; 0 and 7 unused
  float value[CHANGE_FIELD_COUNT] = {};
  uint8_t lowest_layer = CHANGE_NO_LAYER_BOUND;   // 255: no bound
  uint8_t highest_layer = CHANGE_NO_LAYER_BOUND;
  int16_t tool_number = 0;      // 0: any tool
  uint8_t all_layers = 0;       // 0: only layers that are shown
  uint8_t only_marked = 0;      // counts only while the Drawing page runs
  float x_step = 0, y_step = 0; // form 149
  bool drawing_page = false;    // the command runs from the Drawing page
};
extern TextChangeOptions g_text_change;

// All operations ignore, all values 0, no layer bounds (the steps and the filter's other
// choices stay).
void reset_change_options();
// True when the filter lets the item through (texts only when `texts_only`).
bool item_qualifies(const DrawingItem* item, bool texts_only);
// A field's operation on a value: true when it changed it (the job is then marked changed).
// The integer form truncates and keeps the result within its type.
bool apply_change_to_float(int field, float* value);
bool apply_change_to_int(int field, int32_t* value);

// The commands: the note beside the form, the filter reset, the form, then the change.
int space_text_items_command();
int change_text_parameters_command();
// The changes themselves, on the drawing list: the number of items changed.
int space_text_items();
int change_text_parameters();

// The forms' field handlers.
EventCode space_apart_field();
EventCode change_parameters_field();
