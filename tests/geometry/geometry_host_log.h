// A geometry host for the tests that records what geometry asks of the program above it: the
// pointer shape, redraw requests, the stored view extents it reads and moves, and hover
// clears. Tests read the log where the program's editor would hold the same values.
#pragma once

#include "geometry/geometry_host.h"

struct GeometryHostLog {
  int pointer_shape = 0;
  int redraw_requests = 0;
  int hover_clears = 0;
  PointF items_min = {0.0f, 0.0f};
  PointF items_max = {0.0f, 0.0f};
  PointF extents_min = {0.0f, 0.0f};
  PointF extents_max = {0.0f, 0.0f};
};
inline GeometryHostLog g_host_log;

// Resets the host and the log and connects the logging hooks.
inline void install_logging_geometry_host() {
  reset_geometry_host();
  g_host_log = GeometryHostLog{};
  GeometryHost& host = g_geometry_host;
  host.set_pointer_shape = [](uint8_t shape) { g_host_log.pointer_shape = shape; };
  host.request_redraw = [] { ++g_host_log.redraw_requests; };
  host.clear_hover = [] { ++g_host_log.hover_clears; };
  host.shown_items_extents = [](PointF* out_min, PointF* out_max) {
    *out_min = g_host_log.items_min;
    *out_max = g_host_log.items_max;
  };
  host.move_view_extents = [](const PointF& move) {
    vec_add_assign(&g_host_log.items_min, &move);
    vec_add_assign(&g_host_log.items_max, &move);
    vec_add_assign(&g_host_log.extents_min, &move);
    vec_add_assign(&g_host_log.extents_max, &move);
  };
}
