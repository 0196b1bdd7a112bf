// The work surface rows of the job settings dialog: which rows a surface lets the user edit and
// as what, the surface picture of a row, the surface picture menu, and the rules for typed
// angles.
#pragma once

#include <cstdint>

#include "store/message_ids.h"

#include "records/job_settings.h"

// What a row of the job settings dialog edits.
enum class SurfaceRowKind : uint8_t {
  LOCKED,            // not editable
  POST_PROCESSOR,    // the post-processor choice
  SURFACE_MENU,      // the surface picture menu
  YES_NO,            // a yes/no byte
  DEGREES,           // an angle in degrees, 0 <= a < 360 (stored in radians)
  TILT,              // a tilt in degrees, only strictly between -80 and 80 (stored in radians)
  SIDE,              // surface_side: inside/outside, or the X/Y axis on the 4th axis
  AXIS_CHOICE,       // surface_choice, an X/Y axis (codes 4, 5)
  TOP_BOTTOM,        // surface_choice by the letters "TB" (codes 9, 10)
  AXIS_CONTROLLER,   // controller of the 4th axis
  LATHE_CONTROLLER,  // controller of a lathe
  AXIS_LETTER,       // rotary_axis_letter A..Z
  LENGTH,            // a length of the job
  DIAMETER,          // a radius shown and typed as its diameter
  WHOLE_NUMBER,      // an i32
  TEMPLATE_FILE,     // the template drawing
  TOLERANCE,         // at least 0.005 mm / 0.0001 in
  SHORT_MOVE_FEED,   // 0 becomes 60
  COMMENT_MODE,      // the NC comment list
};

struct SurfaceRowRule {
  SurfaceRowKind kind = SurfaceRowKind::LOCKED;
  float* length = nullptr;      // the float a LENGTH, DIAMETER, DEGREES, TILT, TOLERANCE row edits
  uint8_t* byte = nullptr;      // the byte of a YES_NO row
  int32_t* number = nullptr;    // the i32 of a WHOLE_NUMBER row
};

constexpr int JOB_SETUP_ROWS = 24;
constexpr int FIRST_SURFACE_ROW = 2;
constexpr int LAST_SURFACE_ROW = 8;
constexpr int SURFACE_DIE_CUT_BLADES = 18;
constexpr int SURFACE_MENU_CHOICES = 16;
// The message whose rows 2-8 label a surface, and the next one their help.
constexpr int SURFACE_LABELS_FIRST = 700;
constexpr int16_t SHORT_FEED_INSTEAD_OF_ZERO = 60;

// The rule of row `row` (0..23) for the job's surface.
SurfaceRowRule surface_row_rule(JobSettings* job, int row);
// The message that labels rows 2-8 of surface `code` (700 + 2 x code), 0 when they stay blank.
int surface_label_message(int code);
// The picture the dialog's corner shows for rows 2-8 (a = row - 2); 0 or a number of 32 or less
// leaves the corner empty.
int surface_picture_number(const JobSettings& job, int a);
// The picture of any row of the dialog.
int job_setup_row_picture(const JobSettings& job, int row);

// The surface code of a cell (0..15) of the surface picture menu.
int surface_menu_code(int choice);
// Takes the menu's choice into the job: false when it changes nothing (the lathe cells, a cell
// outside the menu). *note becomes the message to show (0 none).
bool choose_surface(JobSettings* job, int choice, int* note);
// Sets the code and its flag.
void set_surface_code(JobSettings* job, int code);

// A typed angle in degrees as stored: -30 -> 330, 360 -> 0.
double normalise_degrees(double degrees);
// A typed tilt: values not strictly between -80 and 80 become 0.
double normalise_tilt(double degrees);
// The least tolerance of the job's units.
float least_tolerance(uint8_t units);
