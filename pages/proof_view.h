// The 3-D proof view: the proof file drawn as a perspective wire frame in the drawing area, on
// page 3 for the job's own proof run and from the NC program page for the program being edited.
// The user turns, tilts, zooms and pans with keys and the mouse, switches rapids, tool outlines
// and the workpiece on and off, draws the program slowly or row by row, asks for the machining
// time and writes the cut moves as DXF.
//
// Every point goes through one camera: it is turned about the middle of the extents, tilted,
// seen from the camera distance with the focal scale, and then placed by the Drawing page's view
// mapping (its view window and scale) plus the pan. Points behind the camera are cut off at a
// near plane, so nothing infinite reaches the canvas.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "nc/proof_file.h"
#include "screen/controls.h"
#include "screen/event_queue.h"

// Control ids of the viewer's table.
constexpr uint8_t PROOF_BUTTON_WORKPIECE = 41;
constexpr uint8_t PROOF_BUTTON_RAPIDS = 42;
constexpr uint8_t PROOF_BUTTON_QUIT = 43;
constexpr uint8_t PROOF_BUTTON_PRINT = 45;
constexpr uint8_t PROOF_BUTTON_SIDE = 46;
constexpr uint8_t PROOF_BUTTON_TOP = 47;
constexpr uint8_t PROOF_BUTTON_ZOOM_IN_BIG = 48;
constexpr uint8_t PROOF_BUTTON_ZOOM_IN = 49;
constexpr uint8_t PROOF_BUTTON_ZOOM_OUT = 50;
constexpr uint8_t PROOF_BUTTON_ZOOM_OUT_BIG = 51;
constexpr uint8_t PROOF_BUTTON_SLOW = 53;
constexpr uint8_t PROOF_BUTTON_OUTLINE = 54;
constexpr uint8_t PROOF_BUTTON_ALL = 55;
constexpr uint8_t PROOF_BUTTON_TIME = 56;
constexpr uint8_t PROOF_BUTTON_DXF = 57;

// The arc colour override (COLORREF, 0x00BBGGRR) and its "none".
constexpr uint32_t PROOF_ARC_OVERRIDE = 0xC000FF;
constexpr uint32_t PROOF_NO_OVERRIDE = 0xFFFFFF;
// Zoom limits of the focal scale.
constexpr float PROOF_FOCAL_MIN = 0.0001f;
constexpr float PROOF_FOCAL_MAX = 1e9f;

struct ProofView {
  float tilt = 1.5707963f;     // radians; pi/2 looks from above; 0..pi/2 unless a rotary run
  float rotation = 0.0f;       // radians, 0..2pi
  float focal = 10000.0f;      // focal scale
  float camera = 15000.0f;     // camera distance, job units
  int32_t pan_x = 0;           // pixels
  int32_t pan_y = 0;
  float centre_x = 0.0f;       // middle of the X/Y extents, job units
  float centre_y = 0.0f;
  uint32_t arc_override = PROOF_NO_OVERRIDE;  // COLORREF
  int16_t slow_delay = 0;      // slow-draw wait per row, 0.1 ms units; 0 full speed
  uint8_t time_display = 0;    // the running machining time is shown while drawing slowly
  uint8_t redraw_interrupted = 0;  // input stopped the last redraw: the next tick redraws
  int32_t last_row = 0;        // last NC row of the program, chooses the slow-draw delay
  // Display switches (the pressed bits of buttons 41, 42 and 54).
  bool show_workpiece = true;
  bool hide_workpiece = false; // the user hid the workpiece: kept for the next opening
  bool show_rapids = true;
  bool show_outlines = true;
  bool from_editor = false;    // opened from the NC program page: Esc leaves
  bool rotary = false;         // the back-plot met a rotary word: the tilt is free
  bool large_coordinates = false;  // the zoom reset uses the far camera
  // The proof file, read once when the view opens.
  std::vector<ProofRecord> records;
  size_t axes_index = 0;       // first axis-indicator record (records.size() when none)
  float min_x = 0, min_y = 0, max_x = 0, max_y = 0;  // X/Y extents of the cuts
  float z_min = 0, z_max = 0;  // Z range of the plunges
  // Pointer of the last move, for drags.
  int last_pointer_x = 0;
  int last_pointer_y = 0;
  int redraws = 0;             // full redraws done (tests read it)
  int32_t slow_row = 0;        // the row a slow draw waits on; 0 while none does
  bool stepping = false;       // a slow draw is paused: keys step it
  int leave_page = -1;         // a tab clicked: the page to go to
  std::vector<ScreenControl> controls;
};
extern ProofView g_proof_view;

// ---- The camera ---------------------------------------------------------------------------------
// A segment between two proof points in pixels of the drawing area (y from the area's top),
// cut at the camera's near plane and to a window around the area: false when nothing of it is
// in front of the camera.
bool proof_project_segment(const float a[3], const float b[3], double out[4]);

// ---- The view ------------------------------------------------------------------------------------
// Reads the proof file into the view and works out the extents and the Z range. False when the
// file can not be read.
bool proof_load();
// Recomputes the X/Y extents of the cuts and the Z range from the records.
void proof_bounds();
// Draws the records from the first; returns early, with redraw_interrupted set, when input
// arrives at full speed (the input stays queued).
void proof_draw(float tilt, float rotation);
// The page frame, title, buttons and help line, then the view.
void proof_draw_screen();
// The viewer's event loop; returns when the viewer is left.
void proof_viewer_loop();
// The outer pass: the Drawing page's view fitted to the extents, the pan on their middle.
void proof_fit_view();
// Focal scale and camera distance of the zoom reset.
void proof_reset_zoom();
// Writes the cut moves as DXF after asking for the file name.
void proof_export_dxf();

// ---- Page entries ------------------------------------------------------------------------------
// Page 3: the proof run of the job (when due) and the viewer; 27.
EventCode job_proof_page();
// The proof of the NC program in the current editing buffer; 27.
EventCode nc_proof_view();

// ---- Test hooks ---------------------------------------------------------------------------------
void reset_proof_view();
