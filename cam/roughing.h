// Roughing coverage and the corner check. When an outline has both a roughing and a
// finishing tool, the first roughing ring already cuts most of the band the finishing rings
// go over. The area the roughing tool sweeps along the ring-1 rings is recorded as coverage
// outlines; an offset step stops adding finishing rings once a new ring lies wholly inside
// it, and after linking, the corner check marks every finishing segment inside it so that
// the tool travels over it instead of cutting it.
#pragma once

#include <cstdint>

#include "cam/toolpath_engine.h"

// The corner angle the coverage pre-test is sized for, degrees.
constexpr double COVERAGE_CORNER_ANGLE = 60.0;

// Builds the coverage outlines (g_toolpath_engine.coverage) from the ring-1 entries of both
// ring lists of the current attempt, radius rough_width / 2. 1 built, 0 no memory.
int32_t build_roughing_outlines(const ContourSettings& settings);
// Frees the coverage outlines and clears the allocated flag.
void free_roughing_outlines();
// 1 when the finishing loop start..end of ring number `ring` lies wholly inside the coverage
// outlines; angle_deg is the corner angle of the pre-test.
int32_t loop_covered_by_roughing(const ContourLink* links, const ContourNode* nodes, int32_t start,
                                 int32_t end, int32_t ring, double angle_deg,
                                 const ContourSettings& settings);
// The distance from the wall that the finishing rings must reach before they can be
// covered: the deepest point a roughing tool leaves uncut in a corner of angle_deg, whose
// edge runs at the finish allowance from both walls.
double corner_uncut_depth(const ContourSettings& settings, double angle_deg);
// Marks (flag 1) every finishing segment of the ring path that lies inside the coverage
// outlines. 1 done, 0 Esc (the abort flag is set).
int32_t corner_check(const ContourSettings& settings);
