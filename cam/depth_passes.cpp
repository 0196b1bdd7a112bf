// Depth passes and ramped entry.
#include "cam/depth_passes.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "cam/ring_linking_internal.h"
#include "geometry/contour_kernel.h"

namespace {

constexpr double PI = 3.14159265358979323846;
constexpr double DEG = PI / 180.0;
// A helix turns 18 degrees a step; the tool runs along the chord of the step.
constexpr double HELIX_STEP = 18.0 * DEG;
const double HELIX_CHORD_FACTOR = 2.0 * std::sin(HELIX_STEP / 2.0);
constexpr int32_t HELIX_CANDIDATES = 60;
constexpr double NO_CANDIDATE = -9.0e9;

struct RampPoint {
  double x = 0.0, y = 0.0, z = 0.0;
};
// Room for the longest ramp: a helix of HELIX_MAX_STEPS steps and its start.
using RampPoints = std::array<RampPoint, HELIX_MAX_STEPS + 2>;

double tool_width(const ContourSettings& s, bool finishing) {
  return finishing ? s.finish_width : s.rough_width;
}

double tool_stepover(const ContourSettings& s, bool finishing) {
  return finishing ? s.finish_stepover : s.rough_stepover;
}

// The room the walls leave the tool's edge: the allowance is kept by roughing only.
double wall_room(const ContourSettings& s, bool finishing, double distance) {
  const double w = tool_width(s, finishing);
  return finishing ? distance - w / 2.0 : distance - w / 2.0 - s.finish_allowance;
}

void append_move(PathRecordBuffer* records, int32_t code, double x, double y, double z) {
  PathRecord r;
  r.code = code;
  r.x = static_cast<float>(x);
  r.y = static_cast<float>(y);
  r.z = static_cast<float>(z);
  append_path_record(records, r);
}

// A move to the ramp's last point at the top depth, then feeds back to its first point.
void write_ramp(PathRecordBuffer* records, const RampPoints& p, int32_t last, double top) {
  append_move(records, PATH_MOVE, p[last].x, p[last].y, top);
  for (int32_t k = last - 1; k >= 0; --k) append_move(records, PATH_FEED, p[k].x, p[k].y, p[k].z);
}

RampPoint on_circle(double cx, double cy, double r, double bearing, double z) {
  return RampPoint{cx + r * std::sin(bearing), cy + r * std::cos(bearing), z};
}

double wrap_angle(double a) {
  while (a < 0.0) a += CONTOUR_TWO_PI;
  while (a >= CONTOUR_TWO_PI) a -= CONTOUR_TWO_PI;
  return a;
}

void write_plunge(PathRecordBuffer* records, double x, double y, double top, double bottom) {
  append_move(records, PATH_MOVE, x, y, top);
  append_move(records, PATH_FEED, x, y, bottom);
}

// The zig-zag in place: legs across the entry point, each leg down the same amount.
bool zig_zag_entry(PathRecordBuffer* records, bool finishing, double x0, double y0, double top,
                   double bottom, double ramp, const ContourSettings& s) {
  const double w = tool_width(s, finishing);
  const double h = std::min(wall_room(s, finishing, distance_to_walls(x0, y0)), 2.0 * w);
  if (!(h >= 0.1 * w) || h <= 0.0) return false;
  const double legs = std::floor(ramp / (2.0 * h) + 1.0);
  const int32_t n = static_cast<int32_t>(std::clamp(legs, 1.0, double{ZIG_ZAG_MAX_LEGS}));
  const double dz = std::fabs(top - bottom) / (2.0 * n);
  append_move(records, PATH_MOVE, x0, y0, top);
  for (int32_t i = 0; i < n; ++i) {
    append_move(records, PATH_FEED, x0, i % 2 == 0 ? y0 + h : y0 - h, top + (2 * i + 1) * dz);
    append_move(records, PATH_FEED, x0, y0, i == n - 1 ? bottom : top + (2 * i + 2) * dz);
  }
  return true;
}

void write_entry(PathRecordBuffer* records, bool finishing, int32_t index, double top,
                 double bottom, const ContourSettings& s) {
  const RingPathRecord& e = g_toolpath_engine.ring_path[index];
  double ramp = 0.0;
  if (s.entry_mode >= 2 && s.ramp_angle >= 0.5 && s.ramp_angle <= 89.0)
    ramp = std::fabs(top - bottom) / std::tan(s.ramp_angle * DEG);
  if (ramp > 0.000001 && s.entry_mode == ENTRY_ALONG_PATH) {
    if (path_ramp_entry(records, finishing, index, top, bottom, ramp, s) == 1) return;
  } else if (ramp > 0.000001) {
    if (helix_ramp_entry(records, finishing, index, top, bottom, ramp, s) == 1) return;
    if (path_ramp_entry(records, finishing, index, top, bottom, ramp, s) == 1) return;
    if (zig_zag_entry(records, finishing, e.x, e.y, top, bottom, ramp, s)) return;
  }
  write_plunge(records, e.x, e.y, top, bottom);
}

// The last record written, when it is a move still in the buffer.
PathRecord* last_move(PathRecordBuffer* records) {
  const int32_t count = g_toolpath_engine.record_count;
  if (count <= 0) return nullptr;
  PathRecord* last = &(*records)[count - 1];
  return last->code == PATH_MOVE ? last : nullptr;
}

}  // namespace

PassPlan pass_count(ContourSettings* settings, bool finishing) {
  double& last = finishing ? settings->finish_last_pass : settings->rough_last_pass;
  const double step = finishing ? settings->finish_step_down : settings->rough_step_down;
  const double depth = settings->depth;
  last = std::min(last, step);
  if (last < 0.00001) last = step;
  PassPlan plan;
  plan.depth = depth;
  plan.asked_step = step;
  const double s = step > 1e-8 ? step : 1e-8;
  const double wanted = std::floor((0.999 * depth - last) / s + 2.0);
  plan.count = static_cast<int32_t>(std::clamp(wanted, 1.0, double{DEPTH_PASS_LIMIT}));
  plan.limited = wanted > DEPTH_PASS_LIMIT;
  const double sum = (plan.count - 1) * step + last;
  const double f = sum > 0.0 ? depth / sum : 1.0;
  plan.step = f * step;
  plan.last = f * last;
  if (sum <= 0.0) plan.step = plan.last = depth;
  return plan;
}

void next_pass_depths(int32_t j, const PassPlan& plan, double* top, double* bottom) {
  if (plan.count == 1) {
    *top = 0.0;
    *bottom = plan.depth;
  } else if (j == 0) {
    *top = 0.0;
    *bottom = plan.step;
  } else if (j == plan.count - 1) {
    *top = plan.depth - plan.last;
    *bottom = plan.depth;
  } else {
    *top += plan.step;
    *bottom += plan.step;
  }
}

void write_pass_record(PathRecordBuffer* records, bool finishing, int32_t index, double top,
                       double bottom, const ContourSettings& settings) {
  const RingPathRecord& ring = g_toolpath_engine.ring_path[index];
  const bool movable = ring.code == RING_MOVE ||
                       (ring.flag == 1 && (ring.code == RING_LINE || ring.code == RING_ARC_CW ||
                                           ring.code == RING_ARC_CCW));
  PathRecord* merged = finishing && movable ? last_move(records) : nullptr;
  if (merged != nullptr) {
    // A move followed by a move or a stretch already cut: one move to where it ends.
    merged->x = static_cast<float>(ring.x);
    merged->y = static_cast<float>(ring.y);
    merged->z = static_cast<float>(bottom);
    return;
  }
  switch (ring.code) {
    case RING_LINE:
    case RING_ARC_CW:
    case RING_ARC_CCW: {
      PathRecord r;
      r.code = ring.code;
      r.x = static_cast<float>(ring.x);
      r.y = static_cast<float>(ring.y);
      r.flag = ring.flag;
      if (ring.code != RING_LINE) {
        r.z = static_cast<float>(ring.cx);
        r.value = static_cast<float>(ring.cy);
      }
      append_path_record(records, r);
      break;
    }
    case RING_MOVE:
      append_move(records, PATH_MOVE, ring.x, ring.y, bottom);
      break;
    case RING_ENTRY:
      write_entry(records, finishing, index, top, bottom, settings);
      break;
    default:
      break;
  }
}

int32_t helix_ramp_entry(PathRecordBuffer* records, bool finishing, int32_t index, double top,
                         double bottom, double ramp, const ContourSettings& s) {
  const ToolpathEngineState& g = g_toolpath_engine;
  const RingPathRecord& e = g.ring_path[index];
  const double w = tool_width(s, finishing);
  const double half_step = w * tool_stepover(s, finishing) / 2.0;
  const double d0 = distance_to_walls(e.x, e.y);
  double best = NO_CANDIDATE, best_x = e.x, best_y = e.y;
  if (d0 < 0.799 * w) {
    for (int32_t k = 0; k < HELIX_CANDIDATES; ++k) {
      const double reach = k < 20 ? 1.5 * half_step : (k < 40 ? half_step : half_step / 2.0);
      const RampPoint c = on_circle(e.x, e.y, reach, HELIX_STEP * (k % 20), 0.0);
      const double d = distance_to_walls(c.x, c.y);
      if (d > best) {
        best = d;
        best_x = c.x;
        best_y = c.y;
      }
    }
  }
  const double chord_factor = HELIX_CHORD_FACTOR;
  const double delta = top - bottom;
  RampPoints p;
  int32_t steps = 0;
  if ((d0 - w / 2.0) * 1.4 > best - w / 2.0) {
    // About the entry point.
    const double q = std::min(wall_room(s, finishing, d0) / 2.0, w / 2.1);
    if (!(q >= 0.1 * w)) return 0;
    const double chord = chord_factor * q;
    steps = static_cast<int32_t>(
        std::clamp(std::floor((ramp - q) / chord + 1.0), 1.0, double{HELIX_MAX_STEPS}));
    const double length = q + (steps - 1) * chord;
    double bearing = PI / 2.0;
    const size_t next = static_cast<size_t>(index) + 1;
    if (next < g.ring_path.size()) {
      const double nx = g.ring_path[next].x - e.x, ny = g.ring_path[next].y - e.y;
      if (std::hypot(nx, ny) > 1e-8) bearing = wrap_angle(bearing_angle(nx, ny) + PI);
    }
    p[0] = RampPoint{e.x, e.y, bottom};
    p[1] = on_circle(e.x, e.y, q, bearing, bottom + delta * q / length);
    const double dz = steps > 1 ? (delta - delta * q / length) / (steps - 1) : 0.0;
    for (int32_t k = 2; k <= steps; ++k) {
      bearing = wrap_angle(bearing - HELIX_STEP);
      p[k] = on_circle(e.x, e.y, q, bearing, p[k - 1].z + dz);
    }
  } else {
    // About the candidate with the most room.
    const double room = wall_room(s, finishing, best);
    double q = std::min(finishing ? room / 2.0 : room / 1.3, w / 2.1);
    if (q < 0.1 * w) q *= 1.2;
    if (!(q >= 0.1 * w)) return 0;
    const double chord = chord_factor * q;
    const double lead = std::hypot(best_x - e.x, best_y - e.y);
    steps = static_cast<int32_t>(
        std::clamp(std::floor((ramp - q - lead) / chord + 2.0), 1.0, double{HELIX_MAX_STEPS}));
    const double length = steps == 1 ? lead : q + lead + (steps - 2) * chord;
    if (!(length > 1e-12)) return 0;
    p[0] = RampPoint{e.x, e.y, bottom};
    p[1] = RampPoint{best_x, best_y, bottom + delta * lead / length};
    if (steps >= 2) {
      double bearing = PI / 2.0;
      p[2] = on_circle(best_x, best_y, q, bearing, p[1].z + delta * q / length);
      const double dz =
          steps > 2 ? (delta - delta * lead / length - delta * q / length) / (steps - 2) : 0.0;
      for (int32_t k = 3; k <= steps; ++k) {
        bearing = wrap_angle(bearing - HELIX_STEP);
        p[k] = on_circle(best_x, best_y, q, bearing, p[k - 1].z + dz);
      }
    }
  }
  write_ramp(records, p, steps, top);
  return 1;
}

int32_t path_ramp_entry(PathRecordBuffer* records, bool finishing, int32_t index, double top,
                        double bottom, double ramp, const ContourSettings& s) {
  const ToolpathEngineState& g = g_toolpath_engine;
  const size_t next = static_cast<size_t>(index) + 1;
  if (next >= g.ring_path.size()) return 0;
  const RingPathRecord& e = g.ring_path[index];
  const RingPathRecord& n = g.ring_path[next];
  RampPoints p;
  p[0] = RampPoint{e.x, e.y, bottom};
  if (n.code == RING_LINE) {
    // Back and forth over 95% of the first segment: the tool stays on its own path, where
    // the walls leave it room.
    const double bx = e.x + 0.95 * (n.x - e.x), by = e.y + 0.95 * (n.y - e.y);
    const double leg = std::hypot(bx - e.x, by - e.y);
    if (!(leg > 1e-9)) return 0;
    const int32_t legs = static_cast<int32_t>(
        std::clamp(std::floor(ramp / leg + 1.0), 1.0, double{PATH_RAMP_MAX_STEPS}));
    const double dz = (top - bottom) / legs;
    for (int32_t k = 1; k <= legs; ++k) {
      const bool far_end = k % 2 == 1;
      p[k] = RampPoint{far_end ? bx : e.x, far_end ? by : e.y, p[k - 1].z + dz};
    }
    if (legs == 1) {
      // One leg: start part-way along it so the descent keeps its slope.
      const double t = std::min(ramp / leg, 1.0);
      p[1] = RampPoint{e.x + t * (bx - e.x), e.y + t * (by - e.y), top};
    }
    write_ramp(records, p, legs, top);
    return 1;
  }
  if (n.code != RING_ARC_CW && n.code != RING_ARC_CCW) return 0;
  const double r = std::hypot(e.x - n.cx, e.y - n.cy);
  const double w = tool_width(s, finishing);
  const double margin = finishing ? 0.01 * w : 0.01 * w + 0.4 * s.finish_allowance;
  if (!(r > 1e-9) || r - margin <= 0.0) return 0;
  const double sigma = 2.0 * std::acos((r - margin) / r);
  double sweep = bearing_angle(n.x - n.cx, n.y - n.cy) - bearing_angle(e.x - n.cx, e.y - n.cy);
  if (n.code == RING_ARC_CCW) sweep = -sweep;
  sweep = wrap_angle(sweep);
  if (!(sigma > 1e-12) || !(sweep > 1e-9)) return 0;
  int32_t k_steps = static_cast<int32_t>(std::floor(0.95 * sweep / sigma + 1.0));
  double step = 0.95 * sweep / k_steps;
  int32_t count = static_cast<int32_t>(
      std::min(std::floor(ramp / (r * step)), double{PATH_RAMP_MAX_STEPS}));
  if (count < 1) return 0;
  double dz = (top - bottom) / count;
  if (count < 40) {
    dz /= 2.0;
    count *= 2;
    step /= 2.0;
    k_steps *= 2;
  }
  // Back and forth over 95% of the arc's sweep from the entry, along the arc's own direction
  // (a clockwise arc's bearing grows): the tool stays on its own path.
  double t = n.code == RING_ARC_CW ? 1.0 : -1.0;
  double a = bearing_angle(e.x - n.cx, e.y - n.cy);
  for (int32_t k = 1; k <= count; ++k) {
    if (k > 1 && (k - 1) % k_steps == 0) t = -t;
    a += t * step;
    p[k] = on_circle(n.cx, n.cy, r, wrap_angle(a), p[k - 1].z + dz);
  }
  write_ramp(records, p, count, top);
  return 1;
}
