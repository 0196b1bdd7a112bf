// The machining-time estimate: how long an NC program runs and how far the tool travels, split
// into cutting, rapid and plunging distances, worked out from the proof file. Cutting and
// plunging go at the feeds of the program (its 'L' records); rapid moves at a three-step speed
// model (RapidSettings, kept in the preferences), so that short rapids, which never reach full
// speed, count slower. A tool change counts a fixed time.
//
// The rapid settings are stored in the units of the file set in use and converted for a job in
// the other unit, so an inch job is never timed with millimetre speeds.
#pragma once

#include <cstdint>
#include <string>

#include "records/preferences.h"

// The working accumulators of one estimate, zeroed together.
struct TimeEstimate {
  uint8_t time_display = 0;   // set by the proof view while it shows a running time
  float xy_cutting = 0.0f;    // X-Y distance of cuts, job units
  float xy_rapid = 0.0f;      // X-Y distance of rapid moves
  float z_rapid = 0.0f;       // Z distance of rapid moves
  float z_plunging = 0.0f;    // Z distance of plunges
  float feed = 1.0f;          // the feed in force, job units per minute; never 0
  float total_minutes = 0.0f;
  RapidSettings working;      // the rapid settings in the job's units
  float x = 0.0f, y = 0.0f, z = 0.0f;                 // where the tool stands
  float previous_x = 0.0f, previous_y = 0.0f, previous_z = 0.0f;
};
inline TimeEstimate g_time_estimate;

// The factory rapid settings of an inch or a millimetre set-up.
RapidSettings default_rapid_settings(bool metric);
// The settings converted from the unit they are kept in to another (distances and speeds;
// the tool-change time is the same in both).
RapidSettings convert_rapid_settings(const RapidSettings& settings, bool from_metric,
                                     bool to_metric);
// Zeroes the accumulators; stores the factory settings of the file set into *stored when it
// holds none yet (short distance not above 0); copies them, in the job's units, into the working
// values; the feed becomes 1.
void reset_time_estimate(RapidSettings* stored, bool stored_metric);
// Stores the working values (job units) into *stored in the file set's units.
void store_rapid_settings(RapidSettings* stored, bool stored_metric);
// Accumulates one motion record.
void add_proof_record_time(char kind, float x, float y, float z);
// Reads the proof file from its start and accumulates every record; nothing when it can not be
// read.
void accumulate_proof_time();
// The total time as text: "%d mins, %d secs" below an hour, else "%d hours, %d min".
std::string format_machining_time();
// The estimate's report lines (the time and the travel distances), in the job's units.
std::string machining_time_report();

// ---- Test hooks ---------------------------------------------------------------------------------
void reset_time_estimate_state();
