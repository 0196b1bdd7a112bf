// The user's lasting preferences that the pages and the job document read: the default settings
// of a new job, the start page and the page open now, the option bytes, tolerances and the
// folders of the job dialogs. The preferences file stores the block in its 5316-byte form, which
// the serialisers below write and read field by field.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "records/import_options.h"
#include "records/job_settings.h"

constexpr size_t PREFERENCES_SIZE = 5316;
constexpr size_t PREFERENCES_FOLDER_SIZE = 260;
constexpr int PREFERENCES_DEFAULT_FOLDERS = 3;

// The Drawing page's display and printing options. They are not part of the stored form yet, so
// every run starts with these values.
struct DrawingOptions {
  uint8_t show_text_items = 1;       // text items are drawn, counted and picked
  uint8_t show_drawing_items = 1;    // every other item is
  uint8_t show_template = 1;         // the job's template drawing is shown
  uint8_t side_panel = 1;            // the side panel takes the right columns of the page
  uint8_t show_tool_width = 0;       // text strokes as wide as the tool (Ctrl+T)
  uint8_t show_tool_paths = 1;       // the NC run's tool paths are drawn
  uint8_t show_text_boxes = 0;       // the frames of text items are drawn (Ctrl+B)
  uint8_t text_in_editing_colour = 1;       // text is drawn in the XOR editing colour too
  uint8_t tool_width_in_editing_colour = 0;  // and then at the tool's width
  uint8_t tool_paths_at_tool_width = 0;      // tool paths as wide as the cut
  uint8_t tool_circles = 0;          // the tool's outline at each tool-path node
  uint8_t no_flicker = 1;            // full redraws go through an off-screen bitmap
  uint8_t hover_delay = 2;           // 1..5 timer periods a redraw slice may run before hover
  uint8_t print_tool_paths = 1;      // the same choices while printing
  uint8_t print_tool_width = 0;
  uint8_t print_file_header = 0;
  uint8_t print_text_boxes = 0;
  uint8_t print_pen_width = 0;       // pixels; 0 thin
};

// The rapid-speed model of the machining-time estimate, in the units of the file set it was
// stored by (inch or millimetre); all zero until the estimate first runs.
struct RapidSettings {
  float short_distance = 0.0f;   // rapid moves shorter than this go at the slow speed
  float medium_distance = 0.0f;  // shorter than this (and not short): the medium speed
  float slow_speed = 0.0f;       // per minute
  float medium_speed = 0.0f;     // per minute
  float full_speed = 0.0f;       // per minute, every longer rapid move
  float tool_change_minutes = 0.0f;  // minutes per tool change
};

struct Preferences {
  uint8_t option_bytes[9] = {1, 1, 1, 1, 1, 1, 1, 1, 1};  // +0 redraw and page options; 0-2
                                  // are set to 1 at every start
  int16_t polygon_sides = 6;      // +12 sides of new regular polygons
  float surface_clearance = 0.05f;  // +16 clearance above a curved work surface for raised retracts,
                                  // job units; raised at start when implausibly small
  std::string new_item_text = "F3999";  // +20 (8 bytes) text field of the job options form
  float nudge = 0.05f;            // +32 nudge distance of the drawing editor, job units
  uint8_t start_page_choice = 0;  // +53 0 the page open at the last exit, 2-6 a fixed page
  uint8_t current_page = 2;       // +54 the page byte: 0-5, | 0x10 once the user quits
  float gap_tolerance = 0.0002f;  // +56 gap tolerance for joining ends, job units
  std::string job_dialog_folder;  // +526 folder of the job dialogs, ends with '/'; may be empty
  std::string job_folder;         // +786 the job folder; used before +526 when not empty
  std::string drawing_folder;     // +1046 folder of drawing import and export
  JobSettings default_job;        // +1568 copied into the job for a new job
  // +2248 the machining defaults: the preferences file copies them to and from their own
  // record (they stay in `stored` here)
  std::string default_folders[PREFERENCES_DEFAULT_FOLDERS];  // +4426, +4686, +4946
  std::string plotter_extension;  // +5206 (6 bytes)
  float factor = 0.0f;            // +5212 set by the factory defaults
  uint8_t panel_option = 0;       // +5222
  uint8_t grid_display = 0;       // +5223
  uint8_t pointer_crosshair = 0;  // +5224 the pointer is the crosshair
  uint8_t text_font_kind = 0;     // +5225 the text page's font field: 0 asks stroke or
                                  // TrueType, 1 always a stroke font, 2 always TrueType
  RapidSettings rapid_settings;   // +5228 six f32, the time estimate's rapid-speed model
  // Every stored byte the fields above do not name (options other parts read by offset):
  // kept as read and written back as they are.
  uint8_t stored[PREFERENCES_SIZE] = {};
  uint8_t autosave_minutes = 0;   // not stored: minutes between autosaves; 0 = off
  ImportOptions import_options;   // +55-64 the drawing import's form values; its join
                                  // tolerance is the gap tolerance (+56), its folders are
                                  // kept for one run
  DrawingOptions drawing;         // not stored yet: the Drawing page's display options
  bool first_run = false;         // not stored: the factory defaults were just made, so the
                                  // machining defaults are still to be filled
};
inline Preferences g_preferences;

// Writes the stored form: the named fields over the kept bytes; texts end with a NUL in their
// field (longer ones are cut).
void write_preferences_bytes(const Preferences& preferences, uint8_t out[PREFERENCES_SIZE]);
// Reads a stored form; texts are cut at their field's end when they hold no NUL. The fields
// that are not stored keep their values.
void read_preferences_bytes(const uint8_t in[PREFERENCES_SIZE], Preferences* preferences);
