// Combining two closed contours: the work arrays, the crossings, the seeds and the loops.
#include "geometry/contour_boolean.h"

#include <algorithm>
#include <cmath>
#include <new>

#include "geometry/contour_boolean_internal.h"
#include "geometry/contour_kernel_internal.h"

ContourBooleanState g_contour_boolean;

void reset_contour_boolean_state() { g_contour_boolean = ContourBooleanState{}; }

namespace {

constexpr double SNAP_LOW = 1.5e-6;       // fractions below this are the segment's start
constexpr double SNAP_HIGH = 0.9999985;   // and above this its end
constexpr double TOUCH_TOLERANCE = 1e-6;  // x the geometric mean of the two chords
constexpr double TOUCH_REPEAT = 2e-5;     // a touching pair this near a found point repeats it
constexpr double SAME_CROSSING = 1e-9;    // positions this close are one crossing
// Seeds are tested against the other contour with the narrow on-arc band: the wide one would
// drop the seeds of a thin sliver between two large arcs, and the sliver with them.
constexpr int32_t SEED_SIDE_LOOSE = 0;

// ---- crossings ----

// Distance between two positions of one contour, the short way round.
double position_gap(double p, double q, int32_t contour) {
  const double d = std::fabs(p - q);
  return std::min(d, boolean_segment_count(contour) - d);
}

void add_crossing(int32_t link_a, int32_t link_b, double on_a, double on_b) {
  ContourBooleanState& st = g_contour_boolean;
  BooleanCrossing c;
  c.link_a = link_a;
  c.link_b = link_b;
  c.on_a = on_a;
  c.on_b = on_b;
  c.position_a = wrap_boolean_position(link_a + on_a, BOOLEAN_CONTOUR_A);
  c.position_b = wrap_boolean_position(link_b + on_b, BOOLEAN_CONTOUR_B);
  // A crossing at a node is found on every segment pair that shares it; one record is enough.
  for (const BooleanCrossing& old : st.crossings) {
    if (position_gap(old.position_a, c.position_a, BOOLEAN_CONTOUR_A) < SAME_CROSSING &&
        position_gap(old.position_b, c.position_b, BOOLEAN_CONTOUR_B) < SAME_CROSSING)
      return;
  }
  st.crossings.push_back(c);
}

double snap_fraction(double t) {
  if (t < SNAP_LOW) return 0.0;
  if (t > SNAP_HIGH) return 1.0;
  return t;
}

double chord_length(const ContourLink& l, const ContourNode* nodes) {
  const ContourNode& s = nodes[l.start_node];
  const ContourNode& e = nodes[l.end_node];
  return std::hypot(e.x - s.x, e.y - s.y);
}

// Ends of i and j that coincide are crossings too (two arcs meeting at a node need not
// cross there by the arc test's narrow band), unless an intersection point already stands
// for them.
void add_touching_ends(int32_t i, int32_t j, const PathCrossings& found, int32_t found_count) {
  const ContourBooleanState& st = g_contour_boolean;
  const ContourLink& a = st.links[i];
  const ContourLink& b = st.links[j];
  const double tolerance =
      std::sqrt(chord_length(a, st.nodes) * chord_length(b, st.nodes)) * TOUCH_TOLERANCE;
  const int32_t a_ends[2] = {a.start_node, a.end_node};
  const int32_t b_ends[2] = {b.start_node, b.end_node};
  for (int ea = 0; ea < 2; ++ea) {
    for (int eb = 0; eb < 2; ++eb) {
      const ContourNode& p = st.nodes[a_ends[ea]];
      const ContourNode& q = st.nodes[b_ends[eb]];
      if (!(std::fabs(p.x - q.x) <= tolerance && std::fabs(p.y - q.y) <= tolerance)) continue;
      for (int32_t k = 0; k < found_count; ++k) {
        if (std::fabs(found.on_a[k] - ea) < TOUCH_REPEAT &&
            std::fabs(found.on_b[k] - eb) < TOUCH_REPEAT)
          return;
      }
      add_crossing(i, j, ea, eb);
    }
  }
}

void find_crossings() {
  ContourBooleanState& st = g_contour_boolean;
  st.crossings.clear();
  PathCrossings found;
  for (int32_t i = st.first[0]; i <= st.last[0]; ++i) {
    const ContourLink& a = st.links[i];
    for (int32_t j = st.first[1]; j <= st.last[1]; ++j) {
      const ContourLink& b = st.links[j];
      // Segments whose bounding circles are apart neither cross nor touch.
      const double reach = a.bound_radius + b.bound_radius;
      const double gx = a.bound_x - b.bound_x, gy = a.bound_y - b.bound_y;
      if (!(reach * reach * 1.001 > gx * gx + gy * gy)) continue;
      const int32_t count = intersect_segments(a, b, st.nodes, &found);
      for (int32_t k = 0; k < count; ++k) {
        found.on_a[k] = snap_fraction(found.on_a[k]);
        found.on_b[k] = snap_fraction(found.on_b[k]);
        add_crossing(i, j, found.on_a[k], found.on_b[k]);
      }
      add_touching_ends(i, j, found, count);
    }
  }
}

// ---- seeds ----

// Between two neighbouring crossings a contour lies wholly inside the other contour, wholly
// outside it or on it, so one seed in the middle of each such stretch tells all there is to
// know about it; the middle is the place furthest from both crossings, where rounding at a
// crossing cannot mislead the side test. (A seed at a fixed step beside each crossing would
// jump over a stretch shorter than the step, and with it a sliver of the result.)

double crossing_position(const BooleanCrossing& c, int32_t contour) {
  return contour == BOOLEAN_CONTOUR_A ? c.position_a : c.position_b;
}

// Side of the point at `position` of `contour` against the other contour.
int32_t side_at(double position, int32_t contour, BooleanSeed* seed) {
  const ContourBooleanState& st = g_contour_boolean;
  seed->position = wrap_boolean_position(position, contour);
  seed->contour = contour;
  boolean_point_at(seed->position, &seed->x, &seed->y);
  const int32_t other = boolean_slot(boolean_other(contour));
  return point_side_of_contour(st.links, st.nodes, seed->x, seed->y, st.first[other],
                               st.last[other], CONTOUR_CLOCKWISE, SEED_SIDE_LOOSE);
}

// One seed for the stretch from position `from` to position `to` (the contour's forward
// way); none when it lies on the other contour. The other contour may touch the stretch
// without crossing it, so a point found on it is tried again elsewhere on the stretch.
void seed_stretch(double from, double to, int32_t contour) {
  static constexpr double PLACES[] = {0.5, 0.25, 0.75};
  for (const double place : PLACES) {
    BooleanSeed seed;
    const int32_t side = side_at(from + place * (to - from), contour, &seed);
    if (side == 0) continue;
    seed.inside = side > 0 ? 1 : 0;
    seed.used = 0;
    g_contour_boolean.seeds.push_back(seed);
    return;
  }
}

void make_seeds() {
  ContourBooleanState& st = g_contour_boolean;
  st.seeds.clear();
  std::vector<double> sorted;
  for (const int32_t contour : {BOOLEAN_CONTOUR_A, BOOLEAN_CONTOUR_B}) {
    sorted.clear();
    for (const BooleanCrossing& c : st.crossings) sorted.push_back(crossing_position(c, contour));
    std::sort(sorted.begin(), sorted.end());
    // Crossings at one place of this contour (where it touches the other twice) bound no
    // stretch between them.
    sorted.erase(std::unique(sorted.begin(), sorted.end(),
                             [](double a, double b) { return b - a < SAME_CROSSING; }),
                 sorted.end());
    const double n = boolean_segment_count(contour);
    for (size_t k = 0; k < sorted.size(); ++k) {
      const double to = k + 1 < sorted.size() ? sorted[k + 1] : sorted.front() + n;
      seed_stretch(sorted[k], to, contour);
    }
  }
}

// Seeds from which no walk of this mode may start.
void mark_unwanted_seeds() {
  ContourBooleanState& st = g_contour_boolean;
  for (BooleanSeed& s : st.seeds) {
    switch (st.mode) {
      case BOOLEAN_UNION:
        if (s.inside) s.used = 1;
        break;
      case BOOLEAN_A_MINUS_B:
        if (s.contour == BOOLEAN_CONTOUR_B || s.inside) s.used = 1;
        break;
      case BOOLEAN_B_MINUS_A:
        if (s.contour == BOOLEAN_CONTOUR_A || s.inside) s.used = 1;
        break;
      default:
        if (!s.inside) s.used = 1;
        break;
    }
  }
}

// ---- results ----

void set_output_bounds(ContourNetwork* out, int32_t first) {
  for (size_t k = static_cast<size_t>(first); k < out->links.size(); ++k)
    segment_bounding_circle(&out->links[k], out->nodes.data());
}

void emit_loop(ContourNetwork* out) {
  const int32_t first = static_cast<int32_t>(out->links.size());
  trace_boolean_loops(out);
  set_output_bounds(out, first);
  out->firsts.push_back(first);
  out->lasts.push_back(static_cast<int32_t>(out->links.size()) - 1);
}

// Contours that meet but leave no seed anywhere run on top of each other all the way round:
// union and intersection are either one of them, the differences are empty.
int32_t emit_coinciding(ContourNetwork* out) {
  ContourBooleanState& st = g_contour_boolean;
  if (st.mode == BOOLEAN_A_MINUS_B || st.mode == BOOLEAN_B_MINUS_A) return 0;
  const BooleanCrossing& c = st.crossings.front();
  const BooleanLoopPoint p{BOOLEAN_CONTOUR_A, c.position_a, c.position_b};
  st.loop.assign(3, p);  // one point, closed: a whole turn of A
  emit_loop(out);
  return 1;
}

int32_t walk_all_seeds(ContourNetwork* out) {
  ContourBooleanState& st = g_contour_boolean;
  int32_t loops = 0;
  for (size_t s = 0; s < st.seeds.size(); ++s) {
    if (st.seeds[s].used) continue;
    if (!walk_boolean_loop(static_cast<int32_t>(s))) return -1;
    st.seeds[s].used = 1;
    mark_seeds_on_loop();
    emit_loop(out);
    ++loops;
  }
  return loops;
}

// Puts the first clockwise loop in slot 0, trading places with the loop that was there.
void put_outer_loop_first(ContourNetwork* out) {
  for (size_t c = 0; c < out->firsts.size(); ++c) {
    if (contour_orientation(out->links.data(), out->nodes.data(), out->firsts[c], out->lasts[c]) !=
        CONTOUR_CLOCKWISE)
      continue;
    std::swap(out->firsts[0], out->firsts[c]);
    std::swap(out->lasts[0], out->lasts[c]);
    return;
  }
}

// 0 when neither holds the other, the containment result, or -3 when undecided.
int32_t containment() {
  const ContourBooleanState& st = g_contour_boolean;
  const int32_t a_in_b = contour_inside(st.links, st.nodes, st.first[0], st.last[0], st.first[1],
                                        st.last[1], CONTOUR_CLOCKWISE);
  if (a_in_b == 1) return BOOLEAN_A_INSIDE_B;
  const int32_t b_in_a = contour_inside(st.links, st.nodes, st.first[1], st.last[1], st.first[0],
                                        st.last[0], CONTOUR_CLOCKWISE);
  if (b_in_a == 1) return BOOLEAN_B_INSIDE_A;
  return a_in_b < 0 || b_in_a < 0 ? -3 : 0;
}

bool set_up_work_arrays(const ContourLink* links, const ContourNode* nodes, int32_t first_a,
                        int32_t last_a, int32_t first_b, int32_t last_b, int32_t network_flag) {
  ContourBooleanState& st = g_contour_boolean;
  if (network_flag == BOOLEAN_INPUT_IS_NETWORK) {
    st.links = links;
    st.nodes = nodes;
    st.first[0] = first_a;
    st.last[0] = last_a;
    st.first[1] = first_b;
    st.last[1] = last_b;
    return true;
  }
  const int32_t firsts[2] = {first_a, first_b};
  const int32_t lasts[2] = {last_a, last_b};
  if (build_contour_network(links, nodes, firsts, lasts, 2, &st.network, CONTOUR_CLOCKWISE,
                            network_flag) == 0)
    return false;
  ContourNetwork& net = st.network;
  for (int s = 0; s < 2; ++s) {
    st.first[s] = net.firsts[s];
    st.last[s] = net.lasts[s];
  }
  if (network_flag == 0) {
    // A plain copy has neither bounding circles nor one orientation, and the walk needs both.
    for (ContourLink& l : net.links) segment_bounding_circle(&l, net.nodes.data());
    for (int s = 0; s < 2; ++s) {
      if (contour_orientation(net.links.data(), net.nodes.data(), st.first[s], st.last[s]) !=
          CONTOUR_CLOCKWISE)
        reverse_contour(net.links.data(), st.first[s], st.last[s]);
    }
  }
  st.links = net.links.data();
  st.nodes = net.nodes.data();
  return true;
}

constexpr int32_t FAILED = -100;  // inside this file only: the combination failed

int32_t run_combination(const ContourLink* links, const ContourNode* nodes, int32_t first_a,
                        int32_t last_a, int32_t first_b, int32_t last_b, ContourNetwork* out,
                        int32_t mode, int32_t network_flag) {
  ContourBooleanState& st = g_contour_boolean;
  if (links == nullptr || nodes == nullptr || mode < BOOLEAN_UNION ||
      mode > BOOLEAN_UNION_OUTER_FIRST || first_a < 0 || first_b < 0 || last_a < first_a ||
      last_b < first_b)
    return FAILED;
  st.mode = mode == BOOLEAN_UNION_OUTER_FIRST ? BOOLEAN_UNION : mode;
  if (!set_up_work_arrays(links, nodes, first_a, last_a, first_b, last_b, network_flag))
    return FAILED;
  if (!snap_boolean_contours()) return FAILED;

  find_crossings();
  if (st.crossings.empty()) {
    const int32_t held = containment();
    return held == -3 ? FAILED : held;
  }
  st.keep[0] = st.mode == BOOLEAN_B_MINUS_A || st.mode == BOOLEAN_INTERSECTION ? 0 : 1;
  st.keep[1] = st.mode == BOOLEAN_A_MINUS_B || st.mode == BOOLEAN_INTERSECTION ? 0 : 1;
  make_seeds();
  int32_t loops;
  if (st.seeds.empty()) {
    loops = emit_coinciding(out);
  } else {
    mark_unwanted_seeds();
    loops = walk_all_seeds(out);
  }
  // A result that cannot be right is a failure, never a result.
  if (loops < 0 || !boolean_result_holds(*out)) return FAILED;
  if (mode == BOOLEAN_UNION_OUTER_FIRST && loops > 1) put_outer_loop_first(out);
  return loops;
}

}  // namespace

int32_t combine_contours(const ContourLink* links, const ContourNode* nodes, int32_t first_a,
                         int32_t last_a, int32_t first_b, int32_t last_b, ContourNetwork* out,
                         int32_t mode, int32_t network_flag) {
  ContourBooleanState& st = g_contour_boolean;
  if (out == nullptr) {
    g_contour_kernel.EngineStatus |= ENGINE_STATUS_BOOLEAN_FAILED;
    return 0;
  }
  out->links.clear();
  out->nodes.clear();
  out->firsts.clear();
  out->lasts.clear();
  int32_t result;
  try {
    result =
        run_combination(links, nodes, first_a, last_a, first_b, last_b, out, mode, network_flag);
  } catch (const std::bad_alloc&) {
    show_contour_message("Memory allocation failure");
    result = FAILED;
  }
  // Nothing of this call stays reachable: the caller's arrays are the caller's again.
  st.links = nullptr;
  st.nodes = nullptr;
  st.network.links.clear();
  st.network.nodes.clear();
  st.crossings.clear();
  st.seeds.clear();
  st.loop.clear();
  if (result == FAILED) {
    g_contour_kernel.EngineStatus |= ENGINE_STATUS_BOOLEAN_FAILED;
    out->links.clear();
    out->nodes.clear();
    out->firsts.clear();
    out->lasts.clear();
    return 0;
  }
  return result;
}

// ---- helpers shared with the walk ----

double wrap_boolean_position(double position, int32_t contour) {
  const int32_t s = boolean_slot(contour);
  const double first = g_contour_boolean.first[s];
  const double n = boolean_segment_count(contour);
  double r = position - first;
  if (r < 0.0 || r >= n) r -= std::floor(r / n) * n;
  if (r >= n) r -= n;  // a hair below n can round up to it
  return first + r;
}

int32_t wrap_boolean_index(int32_t index, int32_t contour) {
  const int32_t s = boolean_slot(contour);
  const int32_t n = boolean_segment_count(contour);
  int32_t r = (index - g_contour_boolean.first[s]) % n;
  if (r < 0) r += n;
  return g_contour_boolean.first[s] + r;
}

void boolean_point_at(double position, double* out_x, double* out_y) {
  point_at_contour_parameter(g_contour_boolean.links, g_contour_boolean.nodes, out_x, out_y,
                             position);
}
