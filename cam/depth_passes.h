// Depth passes and ramped entry: how many passes a roughing or finishing cut takes and how deep
// each one is, and the records of one ring record at one pass. At an entry record the tool goes
// into the material on a helix, on a ramp back and forth along the first segment, on a zig-zag
// in place, or, when none of them fits, straight down.
//
// Depths run downward from the work surface: 0 is the surface and a pass runs from its top
// depth to its larger bottom depth.
#pragma once

#include <cstdint>

#include "cam/toolpath_engine.h"

// ContourSettings::entry_mode of a cut whose entries ramp only along its own first segment
// (an open line cut on one side: beside it may stand anything).
constexpr int32_t ENTRY_ALONG_PATH = 3;

// Most passes of one kind of cut; a deeper cut takes a larger step and says so.
constexpr int32_t DEPTH_PASS_LIMIT = 100;
// Steps of a helical ramp; steps of a ramp along the first segment (either form); legs of a
// zig-zag ramp. Each bound keeps one entry within the record room the pass writer keeps free.
constexpr int32_t HELIX_MAX_STEPS = 300;
constexpr int32_t PATH_RAMP_MAX_STEPS = 280;
constexpr int32_t ZIG_ZAG_MAX_LEGS = 600;

// The passes of one kind of cut.
struct PassPlan {
  int32_t count = 1;       // passes, 1..DEPTH_PASS_LIMIT
  double depth = 0.0;      // total depth
  double step = 0.0;       // depth of every pass but the last
  double last = 0.0;       // depth of the last pass
  bool limited = false;    // the pass limit made the passes deeper than the step asked
  double asked_step = 0.0; // the step-down asked for
};

// The passes of the roughing (finishing false) or finishing cut of the settings; the last-pass
// depth kept in the settings is brought within the step.
PassPlan pass_count(ContourSettings* settings, bool finishing);
// The top and bottom depth of pass j; top and bottom hold the previous pass's values.
void next_pass_depths(int32_t j, const PassPlan& plan, double* top, double* bottom);
// Appends the records of ring record `index` of the engine's ring path at one pass.
void write_pass_record(PathRecordBuffer* records, bool finishing, int32_t index, double top,
                       double bottom, const ContourSettings& settings);
// The entries; each appends its records and returns 1, or returns 0 (nothing written) when it
// does not fit. `ramp` is the ramp length.
int32_t helix_ramp_entry(PathRecordBuffer* records, bool finishing, int32_t index, double top,
                         double bottom, double ramp, const ContourSettings& settings);
int32_t path_ramp_entry(PathRecordBuffer* records, bool finishing, int32_t index, double top,
                        double bottom, double ramp, const ContourSettings& settings);
