// One-sided profiles of open outlines: an open polyline cut "tool right" or "tool left" is
// followed on that side only, at the tool radius, from its start to its end. It is never
// closed by a line the drawing lacks, and the tool never crosses the drawn line, so where the
// line doubles back closer than the tool is wide the tool keeps out of the narrow part.
#pragma once

#include <cstdint>

#include "cam/toolpath_engine.h"

// ContourSettings::profile_mode of an open outline cut on one side.
constexpr int32_t PROFILE_ONE_SIDED = 3;

// Which side of the drawn line the tool runs on, from the outline's settings: +1 on the right
// (a "tool right" outline), -1 on the left.
int32_t open_profile_side(const ContourSettings& settings);

// Cuts the open outline links[start..end] on the side its settings ask: roughing rings (the
// contour passes when the finishing tool cuts alone), then finishing rings, each pass written
// as records at every depth pass. 1 when a path was written, else 0.
int32_t run_open_profile(PathRecordBuffer* records, const ContourLink* links,
                         const ContourNode* nodes, int32_t start, int32_t end,
                         const ContourSettings& settings);
