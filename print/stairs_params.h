// The staircase designer's parameter block: everything the designer knows about one staircase,
// its built-in defaults for millimetre and inch work, the per-kind defaults files that remember
// the last staircase made, and staircase files ("*.str") saved and opened by the user. The block
// is also the files' image, 1640 bytes, read and written field by field.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "geometry/float2d.h"
#include "records/cam_params.h"

struct TextLine;

// ---- the block's image ----
constexpr size_t STAIRS_IMAGE_SIZE = 1640;
constexpr size_t STAIRS_WORK_AREA_SIZE = 800;
constexpr size_t STAIRS_MARK_ROWS = 31;
constexpr size_t STAIRS_CAM_HEADER_SIZE = 8;

// ---- the kind word ----
constexpr int32_t STAIRS_KIND_MASK = 0x0F;
constexpr int32_t STAIRS_METRIC = 0x100;
constexpr int32_t STAIRS_KIND_HOUSED = 1;     // treads and risers housed in the stringer
constexpr int32_t STAIRS_KIND_TREADS = 2;     // tread housings without risers
constexpr int32_t STAIRS_KIND_SPECIAL = 4;    // the third designer: six types
// Kind-4 types.
constexpr int32_t STAIRS_TYPE_CUT_STRINGER = 4;
constexpr int32_t STAIRS_TYPE_LAST = 5;
// The most treads a block may hold.
constexpr int32_t STAIRS_MOST_TREADS = 799;
// The largest magnitude a number of a block may have: a kilometre in millimetres, beyond any
// staircase, and far enough below float's range that the build's products stay finite.
constexpr float STAIRS_LARGEST_VALUE = 1e6f;
// The mark row whose entry says the user entered the board width.
constexpr size_t STAIRS_WIDTH_MARK_ROW = 30;
// Check-box flag words of the designer's Left and Right boxes.
constexpr uint32_t STAIRS_BOX_CHECKED = 0x80;
constexpr uint32_t STAIRS_BOX_HIDDEN = 0x12;
constexpr uint32_t STAIRS_BOX_START = 0xC0;
// Flag words of the "Make into a drawing" button.
constexpr uint32_t STAIRS_BUTTON_HIDDEN = 0x102;
constexpr uint32_t STAIRS_BUTTON_SHOWN = 0x100;

// ---- texts ----
constexpr char STAIRS_FILTER[] = "Brenvik Stairs (*.str)|*.str";
constexpr char STAIRS_EXTENSION[] = ".str";
constexpr char STAIRS_READ_ERROR_TEXT[] = "Error reading file!";
constexpr char STAIRS_WRITE_ERROR_TEXT[] = "Error writing stairs file!";
constexpr char STAIRS_DEFAULTS_NAME[] = "KR_STAIRS_DEFAULTS1.KR5";  // indices 17, 18 replaced

// The parameter block, field by field; the comment gives each field's offset in the image.
// Lengths are in the block's unit (millimetres when the metric bit is set, else inches), angles
// in radians.
struct StairsParams {
  int32_t kind_word = 0;          // 0: the kind (1, 2, 4) and STAIRS_METRIC
  float total_rise = 0;           // 4: floor to floor
  float pitch_angle = 0;          // 8
  float rise = 0;                 // 12: per step
  float run = 0;                  // 16: going per step
  int32_t tread_count = 0;        // 20: risers - 1, 0..799
  float tread_thickness = 0;      // 24
  float nosing = 0;               // 28
  float top_offset = 0;           // 32: top end of the outline, never above 0
  float bottom_drop = 0;          // 36: extra drop of the bottom end
  float corner_radius = 0;        // 40: the router bit's radius
  float housing_back = 0;         // 44: housing length behind the riser line
  float riser_margin = 0;         // 48: stringer margin from the riser line (52 + 44)
  float housing_margin = 0;       // 52: stringer margin below the housings
  float riser_thickness = 0;      // 56
  float riser_slant = 0;          // 60
  uint8_t unused_64 = 0;          // 64
  uint8_t marker_choice = 0;      // 65: 1 markers between the stringers, groups 200 apart
  uint8_t step_line_choice = 0;   // 66: kind 4 type 4: the step line is cut
  uint8_t unused_67 = 0;          // 67
  float board_thickness = 0;      // 68: also the outline's cutting depth
  float board_width = 0;          // 72: 0 = computed from the outline
  float board_length = 0;         // 76: computed
  float first_going = 0;          // 80: kind 4, at least 1.05 x the going
  float last_going = 0;           // 84: kind 4, at least the going
  float table_length = 0;         // 88: usable along the rails
  PointF setup_shift = {0, 0};    // 92, 96: shift of the second set-up (computed)
  int32_t split_work = 0;         // 100: work value of the outline split
  float rail_distance = 0;        // 104: usable table width across the rails
  float margin_across = 0;        // 108
  float margin_along = 0;         // 112: the overlap at the split
  uint8_t housing_header[STAIRS_CAM_HEADER_SIZE] = {};  // 116
  CamParams housing_cam;          // 124
  uint8_t unused_312[4] = {};     // 312
  uint8_t outline_header[STAIRS_CAM_HEADER_SIZE] = {};  // 316
  CamParams outline_cam;          // 324
  uint8_t unused_512[4] = {};     // 512
  uint8_t third_header[STAIRS_CAM_HEADER_SIZE] = {};    // 516
  CamParams third_cam;            // 524: kind 4 type 4, the step line
  uint8_t unused_712[4] = {};     // 712
  float unread_716 = 0;           // 716: kept with the defaults, read nowhere
  float cut_top_drop = 0;         // 720: kind 4 type 4
  float cut_bottom_x = 0;         // 724: kind 4 type 4
  float cut_board_below = 0;      // 728: kind 4 type 4 (the rise when below 0.01)
  float group_corner_height = 0;  // 732: kind 4, set by the first-step group's outline
  float wide_corner_height = 0;   // 736: kind 4, set by the state-1 outline
  float upper_edge_direction = 0; // 740: kind 4
  uint8_t state = 0;              // 744: kind 4: 0, 1 or 2
  uint8_t side = 0;               // 745: kind 4: 0 left, 1 right
  uint8_t type_0_to_2 = 0;        // 746
  uint8_t type_4 = 0;             // 747
  uint8_t type_5 = 0;             // 748
  uint8_t type_3 = 0;             // 749
  uint8_t reverse_step_line = 0;  // 750
  uint8_t table_axis = 0;         // 751: 0 turns the result a quarter turn
  float top_extra_height = 0;     // 752: kind 2
  float sawtooth_offset = 0;      // 756: kind 4 type 4
  float entered_corner_height = 0;  // 760: kind 4; not above 0: computed
  int32_t kind4_type = 0;         // 764: 0..5
  uint32_t left_flags = 0;        // 768: the Left check box's flag word
  uint32_t right_flags = 0;       // 772: the Right check box's flag word
  uint8_t work_area[STAIRS_WORK_AREA_SIZE] = {};  // 776: zeroed before every save
  uint8_t last_marks[STAIRS_MARK_ROWS] = {};      // 1576: the solver's latest entry, per row
  uint8_t earlier_marks[STAIRS_MARK_ROWS] = {};   // 1607: earlier entries, per row
  uint8_t unused_1638[2] = {};    // 1638
};

// The designer's state around the block.
struct StairsState {
  StairsParams params;
  std::string folder;           // of the last staircase file saved or opened ("" = none yet)
  std::string name;             // its name
  uint32_t left_flags = STAIRS_BOX_START;   // the designer's Left and Right check boxes
  uint32_t right_flags = STAIRS_BOX_START;
  uint32_t make_drawing_flags = STAIRS_BUTTON_HIDDEN;  // the "Make into a drawing" button
  int32_t shift_count = 0;      // steps moved into the second set-up by the last build
  bool complete = false;        // the last build made a whole design
  const char* incomplete_reason = nullptr;  // why it did not (null when it did)
  bool view_kept = false;       // the user zoomed or panned since the designer started
  int current_tab = 0;          // the designer's tab (0 the first)
  TextLine* drawing_window = nullptr;  // the drawing's window; null: the current list is it
  // Every message of the designer goes here: the page shows a centred box that waits for a
  // key, the command-line tool writes standard error.
  void (*show_message)(const char* text) = nullptr;
};
extern StairsState g_stairs;

// ---- the image ----
// Writes all 1640 bytes.
void write_stairs_image(const StairsParams& params, uint8_t out[STAIRS_IMAGE_SIZE]);
// Reads an image; false (params untouched) for anything but a block the designer can use: a
// kind other than 1, 2 or 4 (with or without the metric bit), a tread count outside 0..799, a
// kind-4 type outside 0..5 or a float that is not finite or larger than STAIRS_LARGEST_VALUE.
bool read_stairs_image(const uint8_t* bytes, size_t size, StairsParams* params);

// ---- defaults ----
// The built-in defaults of the kind word.
void set_builtin_stairs_defaults(int32_t kind_word, StairsParams* params);
// The defaults file's path in the program folder.
std::string stairs_defaults_path(int32_t kind_word);
// Loads the kind's defaults file into the block, or the built-in defaults with the table
// settings of another kind's file; then resets the per-design fields.
void stairs_defaults(int32_t kind_word);
// Writes the block to its defaults file; 0, or a negative result when it could not be written
// (no message: the defaults are only a convenience).
int stairs_save_defaults();

// ---- staircase files ----
// Asks for a file name and saves the block; 0 saved, 27 cancelled or failed (said).
int stairs_save();
// Asks for a staircase file and reads it: the kind word on success, -2 when the dialog was
// cancelled, -1 when the file could not be read (said; the block is unchanged).
int stairs_load();
// Reads the staircase file at path as stairs_load does once the name is chosen.
int stairs_load_file(const std::string& path);
// Writes the block, with the check boxes' flag words and its work area cleared, to path through
// a temporary file; false when it failed (the old file kept).
bool stairs_write_file(const std::string& path);

// ---- messages ----
// The one road of the designer's messages.
void stairs_message(const char* text);

// ---- test hooks ----
void reset_stairs_state();
