// Gathering one run of spline links of an item into the spline sample buffers, with the end
// conditions for the spline evaluator taken from the links around the run.
#pragma once

#include "geometry/drawing_item.h"
#include "geometry/spline.h"

// Most nodes one gathered run holds; a longer run is cut there.
constexpr int SPLINE_RUN_MAX_NODES = 199;

// The spline sample buffers: the nodes of the last gathered run (and room for the samples
// the drawing code evaluates into them), the run's end conditions, and the world-to-pixel
// mapping the drawing editor sets for pixel-mode gathering.
struct SplineSamples {
  double x[SPLINE_MAX_POINTS];  // world units or pixels, by the gather mode
  double y[SPLINE_MAX_POINTS];
  double z[SPLINE_MAX_POINTS];  // node Z, world mode only
  int count;                    // points kept by the last gather
  double start_angle;           // spline-sense start tangent angle (see spline.h)
  double end_angle;             // spline-sense end tangent angle
  int end_mode;                 // start condition: SPLINE_END_CLOSED / _TANGENT / _NATURAL
  int end_flag;                 // end condition: SPLINE_END_TANGENT or SPLINE_END_NATURAL
  double view_left;             // world x of the view's left edge
  double view_top;              // world y of the view's top edge
  double scale_x;               // pixels per drawing unit
  double scale_y;
  // The curve the item model samples from the run (extents, flattening), world units.
  double curve_x[SPLINE_MAX_POINTS];
  double curve_y[SPLINE_MAX_POINTS];
  double curve_z[SPLINE_MAX_POINTS];
};
extern SplineSamples g_spline_samples;

// Sets the mapping that pixel-mode gathering uses: screen x = (x - left) * scale_x,
// screen y = (top - y) * scale_y.
void set_spline_screen_map(double view_left, double view_top, double scale_x, double scale_y);

// Copies the run of LINK_SPLINE links starting at first (at most SPLINE_RUN_MAX_NODES nodes;
// a longer run is cut there and the cut node made loose) into the buffers: world units with
// node Z when pixels is 0, screen pixels otherwise. Points closer than 1e-7 to the previous
// one are dropped. Stores the number kept in *out_count and, in world mode, whether any Z is
// not 0 in *out_has_z (may be null). Returns the run's last link (the record before its
// last node), so the caller continues with the last node.
LinkRecord* gather_spline_run(LinkRecord* first, int* out_count, int pixels, char* out_has_z);

// Clears the buffers and the mapping (unit scale, origin at 0, 0).
void reset_spline_samples();
