// Contour networks: turns the contours collected from the drawing into clean closed contours
// of lines and arcs with one orientation, in arrays of their own. First step of every
// tool-path run and of every boolean combination.
//
// Cleaning removes segments shorter than 1e-7, turns arcs shorter than 0.0002 x radius into
// lines and full circles into two arcs, repairs cusps and nearly tangent arc joints, joins
// runs on one line or circle, refits every arc to its ends, gives every segment its
// bounding circle, cuts off small loops at joints, refuses contours that cross themselves
// and orients every contour the wanted way. When the run's contour_run_mode is
// CONTOUR_RUN_OPEN_PATH the one input contour is an open path and comes out as a closed
// there-and-back loop instead.
#pragma once

#include <cstdint>
#include <vector>

#include "geometry/contour_kernel.h"

// Largest last - first of one input contour.
constexpr int32_t CONTOUR_NETWORK_MAX_SPAN = 1900;

// The cleaned contours: links and nodes from index 0, contour c running from firsts[c] to
// lasts[c], in input order. The arrays grow to what the network needs.
struct ContourNetwork {
  std::vector<ContourLink> links;
  std::vector<ContourNode> nodes;
  std::vector<int32_t> firsts;
  std::vector<int32_t> lasts;
};

// Copies `count` contours (link ranges firsts[c]..lasts[c]) into `out`, replacing what it
// held; with clean 0 it only copies (full circles still become two arcs). Either way the
// output ranges say where each copied contour lies. Returns 1 done,
// 0 failed: "Too many links in curve" shown for a contour spanning more than
// CONTOUR_NETWORK_MAX_SPAN links, ENGINE_STATUS_NOT_CHAINED for segments that do not chain,
// ENGINE_STATUS_SELF_CROSSING with ProblemPoint for a contour crossing itself. After a
// failure `out` holds partial work.
int32_t build_contour_network(const ContourLink* links, const ContourNode* nodes,
                              const int32_t* firsts, const int32_t* lasts, int32_t count,
                              ContourNetwork* out, int32_t wanted_direction, int32_t clean);
