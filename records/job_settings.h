// The job-wide settings block: the post processor, the work surface and its geometry, units,
// comment mode, material box, tolerance, template, item ID counter, new-item defaults, view and
// grid state and the job state bytes. Every subsystem reads it and every job file begins with
// its 680-byte stored form, which the serialisers below write and read field by field.
#pragma once

#include <cstddef>
#include <cstdint>

struct TextLine;

// ---- stored layout ----
constexpr size_t JOB_SETTINGS_SIZE = 680;
// A settings import takes the bytes before this offset; the rest stay the job's own.
constexpr size_t JOB_SETTINGS_IMPORTED_BYTES = 441;
// Scratch area of the run: never taken from a file, stored as zeros.
constexpr size_t JOB_RUN_TIME_AREA_OFFSET = 441;
constexpr size_t JOB_RUN_TIME_AREA_SIZE = 223;
constexpr size_t JOB_TEMPLATE_PATH_SIZE = 260;

// ---- values ----
constexpr uint8_t JOB_UNITS_MILLIMETRE = 0;
constexpr uint8_t JOB_UNITS_INCH = 1;
constexpr uint8_t JOB_SURFACE_FLAT = 1;
constexpr int32_t JOB_SURFACE_FLAG_LATHE_SIDE = 0x8000;  // surface 16, the side of a cylinder
// job_changed bits
constexpr uint8_t JOB_CHANGED = 0x01;
// nc_state values
constexpr uint8_t NC_STATE_BACK_TO_SETUP = 0x10;
constexpr uint8_t NC_STATE_PROGRAM_READY = 0x20;
constexpr uint8_t NC_STATE_PROOF_READY = 0x40;
constexpr uint8_t NC_STATE_PAGE_LOOP = 0x80;
// item_flag_union keeps only these item flag bits
constexpr int16_t JOB_ITEM_FLAG_UNION_MASK = 0x36;

// The settings of surface 18 (die-cut blades on the 4th axis). They are named after the rows of
// the job setup dialog that show them; nothing else gives them a meaning.
struct BladeSettings {
  int32_t row7_value = 0;       // +392, shown as a whole number
  float row15_value = 0.0f;     // +396
  uint8_t row18_yes_no = 0;     // +400
  uint8_t row17_yes_no = 0;     // +401
  uint8_t row19_yes_no = 0;     // +402
  uint8_t reserved_403[13] = {};
  float row4_value = 0.0f;      // +416
  float row5_value = 0.0f;      // +420
  float row20_value = 0.0f;     // +424
  float row21_value = 0.0f;     // +428
  float row6_value = 0.0f;      // +432
};

// In memory the block is a plain record; its stored offsets are given per field. Reserved bytes
// are kept as read so that a job written back carries them unchanged. The default values are
// the factory values of an inch job.
struct JobSettings {
  TextLine* post_processor = nullptr;  // +0 the current post-processor line of the post-processor
                                       //    list; stored as 0 and found again by number on load
  uint8_t surface_code = JOB_SURFACE_FLAT;  // +4 work surface 1..19
  uint8_t reserved_5[3] = {};
  int32_t surface_flag = 1;            // +8 1 << (surface_code - 1); never 0 after a load
  uint8_t surface_side = 0;            // +12 0 inside / 1 outside; surfaces 11-14: axis X / Y
  uint8_t surface_choice = 0;          // +13 per surface (axis, top/bottom, radius, yes/no)
  uint8_t controller = 0;              // +14 4th-axis or lathe controller index
  uint8_t rotary_axis_letter = 0;      // +15 0..25 = A..Z
  uint8_t surface_yes_no = 0;          // +16 1 wrap the drawing onto the surface, 0 project it
  uint8_t reserved_17[3] = {};
  float surface_radius = 0.0f;         // +20 job units
  float surface_length_1 = 0.0f;       // +24 surface centre X
  float surface_length_2 = 0.0f;       // +28 surface centre Y
  float surface_length_3 = 0.0f;       // +32 height (Z) of the surface's top
  float surface_length_4 = 0.0f;       // +36 second radius
  float surface_angle = 0.0f;          // +40 radians: cone half-angle, slope or tilt
  float slope_angle = 0.0f;            // +44 radians 0..2pi: direction of a sloping surface
  uint8_t units = JOB_UNITS_INCH;      // +48 JOB_UNITS_*
  uint8_t output_yes_no = 0;           // +49 how the Finished-With-Line section is written
  uint8_t comment_mode = 0;            // +50 NC comments: 0 none, 1 text items, 2 letters, 3 both
  uint8_t material_box_shown = 0;      // +51 1 when the material box is used
  float material_box[4] = {};          // +52 origin x, origin y, width, height (job units)
  float setup_length_18 = 0.0f;        // +68 length of setup dialog row 18
  float tolerance = 0.002f;            // +72 job units; at least 0.005 mm / 0.0001 in
  float z_shift = 0.0f;                // +76 added to the cutting Z of every move when not 0
  int16_t short_move_feed = 60;        // +80 feed of short rapid moves; never 0
  uint8_t reserved_82[7] = {};
  char template_path[JOB_TEMPLATE_PATH_SIZE] = {};  // +89 zero-ended; empty = no template
  uint8_t reserved_349[3] = {};
  float template_offset[2] = {};       // +352 X, Y by which the template items move
  int32_t item_id_counter = 0;         // +360 last item ID handed out
  float short_move_limit = 0.0f;       // +364 hop distance of short feed moves; 0 = off
  uint8_t new_items_machined = 1;      // +368 1 when new drawn items get machining
  uint8_t new_item_cut_type = 1;       // +369 cut type of new drawn items (0..6)
  uint8_t text_cut_type = 1;           // +370 cut type of new text items (0..6)
  uint8_t point_cut_type = 1;          // +371 cut type of new drill points
  uint8_t climb_milling = 1;           // +372 cut direction of new machining blocks
  uint8_t grid_shown = 1;              // +373 grid of the drawing page
  int16_t item_flag_union = 0;         // +374 OR of the item flags read, & 0x36
  float grid_step = 0.001f;            // +376 grid and snap spacing, job units
  float view_scale = 0.0f;             // +380 drawing-page pixels per unit
  uint8_t view_fitted = 0;             // +384 0: the drawing page fits its view on its next pass
  uint8_t show_node_markers = 1;       // +385 node markers under the cursor
  uint8_t node_snap_off = 0;           // +386 0 = node snap on
  uint8_t reserved_387 = 0;
  int16_t image_record_length = 0;     // +388 328 when a background image is named, else 0
  uint8_t nc_run_byte = 0;             // +390 scratch byte of the make-NC run
  uint8_t reserved_391 = 0;
  BladeSettings blade_settings;        // +392..+435
  uint8_t reserved_436[5] = {};
  uint8_t run_time_area[JOB_RUN_TIME_AREA_SIZE] = {};  // +441 zeroed at every write and load
  uint8_t output_options = 12;         // +664 bits: 1 tool paths, 2 encoder option,
                                       //      4 outlines, 8 drawing aids in DXF output
  uint8_t settings_fresh = 0;          // +665 1 after read_job_settings, 0 after read_job_file
  uint8_t text_items_ready = 0;        // +666 0 = text items to be prepared again
  uint8_t nc_state = 0;                // +667 NC_STATE_*; cleared by every change
  uint8_t job_changed = 0;             // +668 JOB_CHANGED set by every change
  uint8_t reserved_669 = 0;
  int16_t post_processor_number = 0;   // +670 number of the current post processor
  uint8_t reserved_672[4] = {};
  // +676 the note reference: the note is kept by the job document and stored as its own
  // record, so the block stores 0 there.
};

// The current job. Header-defined so that the drawing model, built before this folder, can
// read it without linking the job library.
inline JobSettings g_job_settings;

// ---- serialisers ----
// Writes the stored form: references (+0, +676) and the run-time area as zeros.
void write_job_settings_bytes(const JobSettings& settings, uint8_t out[JOB_SETTINGS_SIZE]);
// Reads a stored form. The post-processor reference is cleared (the caller finds it by number),
// the run-time area zeroed and the template path kept zero-ended.
void read_job_settings_bytes(const uint8_t in[JOB_SETTINGS_SIZE], JobSettings* settings);
// Takes the first JOB_SETTINGS_IMPORTED_BYTES of a stored form into settings; the later
// fields stay as they are.
void import_job_settings_bytes(const uint8_t in[JOB_SETTINGS_SIZE], JobSettings* settings);

// ---- defaults and changes ----
// The factory settings of a new inch (metric false) or millimetre job.
void set_factory_job_settings(JobSettings* settings, bool metric);
// Every change of the job: marks it changed and asks for text preparation and NC output again.
inline void mark_job_changed() {
  g_job_settings.job_changed |= JOB_CHANGED;
  g_job_settings.text_items_ready = 0;
  g_job_settings.nc_state = 0;
}
// The factor that turns a length of the other unit into `units`: exactly 1/25.4 into inches,
// 25.4 into millimetres (a rounded 0.03937 drifts two parts in a million each way).
inline double job_units_factor(uint8_t units) {
  return units == JOB_UNITS_INCH ? 1.0 / 25.4 : 25.4;
}
// Test hook: the current job back to the inch factory settings.
void reset_job_settings();
