// Blade profiles: outlines whose operation is Cut a Blade are not pocketed; the tool follows
// the outline at a fixed offset, once for an open outline and once on each side of a closed
// one, writing straight feed records at the surface.
#pragma once

#include <cstdint>

#include "cam/toolpath_engine.h"

// The text shown when a machining group asks for a blade profile that cannot be cut.
extern const char* const BLADE_PROFILE_REFUSED;

// Writes the blade profile of one outline (no islands) from record 0 of the buffer. 1 when
// records were written, else 0.
int32_t run_blade_profile(PathRecordBuffer* records, const ContourLink* links,
                          const ContourNode* nodes, int32_t start, int32_t end,
                          const ContourSettings& settings);
