// Blade profiles: outlines whose operation is Cut a Blade are not pocketed; the tool follows
// the outline at a fixed offset, once for an open outline (round it, there and back) and once
// on each side of a closed one, writing straight feed records at the surface. Arcs are cut as
// chords; every link is cut to its end.
#pragma once

#include <cstdint>

#include "cam/toolpath_engine.h"

// Most chords of one arc.
constexpr int32_t BLADE_MAX_CHORDS = 300;

// Writes the blade profile of one outline (no islands) from record 0 of the buffer. 1 when
// records were written, else 0.
int32_t run_blade_profile(PathRecordBuffer* records, const ContourLink* links,
                          const ContourNode* nodes, int32_t start, int32_t end,
                          const ContourSettings& settings);
// The chords an arc of this radius and length is cut in: each chord's bulge stays within the
// tolerance; at least 1, at most BLADE_MAX_CHORDS.
int32_t blade_chord_count(double radius, double length, double tolerance);
