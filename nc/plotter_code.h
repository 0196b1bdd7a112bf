// Plotter code for the engraver from a proof: the moves of a back-plotted program written as the
// engraver's pen commands, so that a G-code program can run on an engraver that takes plotter
// files only.
//
// The engraver keeps a pen-up height (ZU) and a pen-down depth (ZD): "PU x,y;" travels at the
// first, "PD x,y;" cuts at the second, "PU;" and "PD;" lift and lower the pen where it stands, and
// "PZ x,y,-z;" cuts straight to a point in space. A cut that does not run at the pen-down depth
// from a pen already there (a ramp, a helix, a cut after a repositioning at another height) is
// written as a "PZ" move, so that the engraver cuts where the program cuts.
#pragma once

#include <string>
#include <vector>

#include "nc/proof_file.h"

// The plotter file of the proof's move records, one line (with its line end) per command: the
// title line naming `name`, "IN;", the moves, "XP;" and the end mark. Speeds follow the job's
// units. Records that are not moves of the program (decoration, outlines) are passed over.
// Empty when no record moves.
std::vector<std::string> plotter_code_lines(const std::vector<ProofRecord>& records,
                                            const std::string& name);
