// Offset crossings and loop tracing.
#include "cam/offset_loops.h"

#include <algorithm>
#include <cmath>

#include "cam/region_index.h"
#include "cam/toolpath_engine.h"

namespace {

constexpr double NEAR_END = 0.00001;          // a crossing this near a link end is at the end
constexpr double ARC_TOUCH_DISTANCE = 0.000001;  // arcs whose ends are this close touch
constexpr double DUPLICATE_PARAM = 0.0001;
constexpr double DUPLICATE_POINT = 0.000001;
constexpr double TOUCH_PARAM = 1e-10;
// Traced links shorter than this are left out: their neighbours meet at the same place, and
// a link without length has no direction for the next offset.
constexpr double LOOP_MIN_LINK = 1e-7;

// ---- collecting ----

void store_crossings(int32_t n, int32_t first, int32_t second, const PathCrossings& found,
                     std::vector<OffsetCrossing>* crossings) {
  for (int32_t k = 0; k < n; ++k) {
    OffsetCrossing c;
    c.first_link = first;
    c.second_link = second;
    c.first_param = found.on_a[k];
    c.second_param = found.on_b[k];
    c.x = found.x[k];
    c.y = found.y[k];
    crossings->push_back(c);
  }
}

// Remembers whether any point found lies near the start or the end of the first link.
void note_ends(int32_t n, const PathCrossings& found, bool* near_start, bool* near_end) {
  for (int32_t k = 0; k < n; ++k) {
    if (found.on_a[k] < NEAR_END) *near_start = true;
    if (found.on_a[k] > 1.0 - NEAR_END) *near_end = true;
  }
}

// Stores a touch, midway, where an end of link i (at fraction on_a, point p) lies within
// ARC_TOUCH_DISTANCE of an end of link j (at on_b, point q).
void store_arc_touch(const ContourNode& p, double on_a, const ContourNode& q, double on_b,
                     int32_t i, int32_t j, std::vector<OffsetCrossing>* out) {
  if (std::hypot(p.x - q.x, p.y - q.y) >= ARC_TOUCH_DISTANCE) return;
  PathCrossings t;
  t.on_a[0] = on_a;
  t.on_b[0] = on_b;
  t.x[0] = (p.x + q.x) * 0.5;
  t.y[0] = (p.y + q.y) * 0.5;
  store_crossings(1, i, j, t, out);
}

// All crossings of the raw links i < j.
void cross_pair(const RawOffset& raw, int32_t i, int32_t j, std::vector<OffsetCrossing>* out) {
  const ContourLink& a = raw.links[i];
  const ContourLink& b = raw.links[j];
  const ContourNode* nodes = raw.nodes.data();
  bool near_start = false, near_end = false;
  PathCrossings found;
  int32_t n = intersect_path_links(a, b, nodes, &found);
  store_crossings(n, i, j, found, out);
  note_ends(n, found, &near_start, &near_end);
  n = shared_node_touches(a, b, nodes, &found);
  store_crossings(n, i, j, found, out);
  note_ends(n, found, &near_start, &near_end);
  if (a.kind != SEGMENT_ARC || b.kind != SEGMENT_ARC) return;
  // Two arcs that meet end to start without sharing a node: rounding can hide the touch.
  const ContourNode& as = nodes[a.start_node];
  const ContourNode& ae = nodes[a.end_node];
  const ContourNode& bs = nodes[b.start_node];
  const ContourNode& be = nodes[b.end_node];
  if (!near_start) store_arc_touch(as, 0.0, be, 1.0, i, j, out);
  if (!near_end) store_arc_touch(ae, 1.0, bs, 0.0, i, j, out);
}

// The box a raw link can reach, with room for the touch tests.
struct XRange {
  double low, high;
  double low_y, high_y;
  int32_t link;
};

XRange link_x_range(const RawOffset& raw, int32_t k) {
  const ContourLink& l = raw.links[k];
  const ContourNode& s = raw.nodes[l.start_node];
  const ContourNode& e = raw.nodes[l.end_node];
  double low = std::min(s.x, e.x), high = std::max(s.x, e.x);
  double low_y = std::min(s.y, e.y), high_y = std::max(s.y, e.y);
  if (l.kind == SEGMENT_ARC) {
    low = std::min(low, l.bound_x - l.bound_radius);
    high = std::max(high, l.bound_x + l.bound_radius);
    low_y = std::min(low_y, l.bound_y - l.bound_radius);
    high_y = std::max(high_y, l.bound_y + l.bound_radius);
  }
  const double margin = 1e-5 + std::max(high - low, high_y - low_y) * 0.001;
  return {low - margin, high + margin, low_y - margin, high_y + margin, k};
}

// Every pair i < j whose boxes overlap, in the order of i then j: pairs that cannot overlap
// have no crossing, so only these are tested.
void cross_overlapping_pairs(const RawOffset& raw, int32_t first_raw, int32_t last_raw,
                             std::vector<OffsetCrossing>* out) {
  std::vector<XRange> ranges;
  ranges.reserve(static_cast<size_t>(std::max(0, last_raw - first_raw + 1)));
  for (int32_t k = first_raw; k <= last_raw; ++k) ranges.push_back(link_x_range(raw, k));
  std::sort(ranges.begin(), ranges.end(),
            [](const XRange& a, const XRange& b) { return a.low < b.low; });
  for (size_t p = 0; p < ranges.size(); ++p) {
    for (size_t q = p + 1; q < ranges.size() && ranges[q].low <= ranges[p].high; ++q) {
      if (ranges[q].low_y > ranges[p].high_y || ranges[q].high_y < ranges[p].low_y) continue;
      const int32_t i = std::min(ranges[p].link, ranges[q].link);
      const int32_t j = std::max(ranges[p].link, ranges[q].link);
      cross_pair(raw, i, j, out);
    }
  }
  // Back into pair order; within a pair the order of finding stays.
  std::stable_sort(out->begin(), out->end(), [](const OffsetCrossing& a, const OffsetCrossing& b) {
    return a.first_link != b.first_link ? a.first_link < b.first_link
                                        : a.second_link < b.second_link;
  });
}

void compact_crossings(std::vector<OffsetCrossing>* crossings) {
  crossings->erase(std::remove_if(crossings->begin(), crossings->end(),
                                  [](const OffsetCrossing& c) {
                                    return c.first_link == CROSSING_REMOVED;
                                  }),
                   crossings->end());
}

// ---- tracing ----

// One crossing as seen from one raw link.
struct LinkStop {
  int32_t link;
  double param;
  int32_t crossing;
};

// Per raw link, its crossings sorted by position (ties by crossing index).
struct LinkStops {
  std::vector<LinkStop> stops;
  std::vector<int32_t> begin;  // per raw link: first stop, stops of link k end at begin[k + 1]
};

void build_link_stops(const RawOffset& raw, const std::vector<OffsetCrossing>& crossings,
                      LinkStops* s) {
  s->stops.clear();
  for (size_t c = 0; c < crossings.size(); ++c) {
    const OffsetCrossing& x = crossings[c];
    s->stops.push_back({x.first_link, x.first_param, static_cast<int32_t>(c)});
    if (x.second_link != x.first_link) {
      s->stops.push_back({x.second_link, x.second_param, static_cast<int32_t>(c)});
    }
  }
  std::sort(s->stops.begin(), s->stops.end(), [](const LinkStop& a, const LinkStop& b) {
    if (a.link != b.link) return a.link < b.link;
    if (a.param != b.param) return a.param < b.param;
    return a.crossing < b.crossing;
  });
  s->begin.assign(raw.links.size() + 1, 0);
  for (const LinkStop& stop : s->stops) ++s->begin[static_cast<size_t>(stop.link) + 1];
  for (size_t k = 1; k < s->begin.size(); ++k) s->begin[k] += s->begin[k - 1];
}

// How many crossings lie on the link before position p, and the crossing that follows p on
// it (or -1).
void stops_around(const LinkStops& s, int32_t link, double p, int32_t* before, int32_t* after) {
  const LinkStop* first = s.stops.data() + s.begin[link];
  const LinkStop* last = s.stops.data() + s.begin[static_cast<size_t>(link) + 1];
  const LinkStop* lower = std::lower_bound(
      first, last, p, [](const LinkStop& a, double v) { return a.param < v; });
  const LinkStop* upper = std::upper_bound(
      first, last, p, [](double v, const LinkStop& a) { return v < a.param; });
  *before = static_cast<int32_t>(lower - first);
  *after = upper == last ? -1 : upper->crossing;
}

void choose_directions(const LinkStops& s, std::vector<OffsetCrossing>* crossings) {
  for (size_t r = 0; r < crossings->size(); ++r) {
    OffsetCrossing& c = (*crossings)[r];
    int32_t before, after;
    stops_around(s, c.first_link, c.first_param, &before, &after);
    if (before % 2 == 0) {
      c.direction = 1;
    } else {
      c.direction = 2;
      int32_t unused;
      stops_around(s, c.second_link, c.second_param, &unused, &after);
    }
    c.next = after < 0 ? static_cast<int32_t>(r) : after;
  }
}

int32_t add_loop_node(TracedLoops* out, double x, double y) {
  out->nodes.push_back({x, y});
  return static_cast<int32_t>(out->nodes.size()) - 1;
}

// The link of the loop from crossing `from` to crossing `to` along the raw link the loop
// leaves `from` by; false when it has no length (then nothing is added).
bool add_loop_link(const RawOffset& raw, const OffsetCrossing& from, const OffsetCrossing& to,
                   int32_t start_node, TracedLoops* out) {
  if (std::hypot(to.x - from.x, to.y - from.y) < LOOP_MIN_LINK) return false;
  const ContourLink& along = raw.links[from.direction == 1 ? from.first_link : from.second_link];
  ContourLink l;
  l.kind = along.kind == SEGMENT_ARC ? SEGMENT_ARC : SEGMENT_LINE;
  l.start_node = start_node;
  l.end_node = add_loop_node(out, to.x, to.y);
  if (l.kind == SEGMENT_ARC) {
    const ContourNode& c = raw.nodes[along.centre_node];
    l.radius = along.radius;
    l.direction = along.direction;
    l.centre_node = add_loop_node(out, c.x, c.y);
  }
  out->links.push_back(l);
  return true;
}

// A loop without area (fewer than two links, or two lines on top of each other) is dropped.
bool loop_has_area(const TracedLoops& out, int32_t first, int32_t last) {
  const int32_t n = last - first + 1;
  if (n < 2) return false;
  if (n == 2 && out.links[first].kind == SEGMENT_LINE && out.links[last].kind == SEGMENT_LINE) {
    return false;
  }
  return true;
}

}  // namespace

int32_t shared_node_touches(const ContourLink& a, const ContourLink& b, const ContourNode* nodes,
                            PathCrossings* out) {
  int32_t n = 0;
  if (a.end_node == b.start_node) {
    out->on_a[n] = 1.0;
    out->on_b[n] = 0.0;
    out->x[n] = nodes[a.end_node].x;
    out->y[n] = nodes[a.end_node].y;
    ++n;
  }
  if (b.end_node == a.start_node) {
    out->on_a[n] = 0.0;
    out->on_b[n] = 1.0;
    out->x[n] = nodes[a.start_node].x;
    out->y[n] = nodes[a.start_node].y;
    ++n;
  }
  return n;
}

int32_t intersect_raw_segments(const RegionView& region, const RawOffset& raw, int32_t first_raw,
                               int32_t last_raw, double d, int32_t mode,
                               std::vector<OffsetCrossing>* crossings) {
  crossings->clear();
  cross_overlapping_pairs(raw, first_raw, last_raw, crossings);
  if (mode == CROSSINGS_FOR_CHECK) {
    for (int32_t k = first_raw; k <= last_raw; ++k) {
      OffsetCrossing c;
      c.first_link = c.second_link = k;
      c.first_param = c.second_param = 0.5;
      segment_midpoint(raw.links[k], raw.nodes.data(), &c.x, &c.y);
      crossings->push_back(c);
    }
  }
  drop_crossings_near_contour(region, raw, crossings, d);
  if (mode != CROSSINGS_FOR_CHECK) merge_duplicate_crossings(crossings);
  return static_cast<int32_t>(crossings->size());
}

void drop_crossings_near_contour(const RegionView& region, const RawOffset& raw,
                                 std::vector<OffsetCrossing>* crossings, double d) {
  const double reach = std::fabs(d);
  RegionIndex index;
  build_region_index(region, &index);
  // Kept points lie at least `reach` from every link, so a nudge this small keeps their side.
  const double nudge = std::max(reach, 1e-9) * 7.390851332e-7;
  for (OffsetCrossing& c : *crossings) {
    const int32_t skip_a = raw.source[c.first_link];
    const int32_t skip_b = raw.source[c.second_link];
    // Links beyond the band cannot bring a point nearer than the offset distance.
    const double m = index_distance(&index, c.x, c.y, reach * 1.001, skip_a, skip_b);
    bool keep = m > reach * 0.99999995;
    if (keep && d >= 0.0 && !index_in_material(&index, c.x, c.y, nudge)) keep = false;
    if (!keep) c.first_link = CROSSING_REMOVED;
  }
  compact_crossings(crossings);
}

void merge_duplicate_crossings(std::vector<OffsetCrossing>* crossings) {
  auto is_touch = [](const OffsetCrossing& c) {
    return (std::fabs(c.first_param) < TOUCH_PARAM &&
            std::fabs(c.second_param - 1.0) < TOUCH_PARAM) ||
           (std::fabs(c.first_param - 1.0) < TOUCH_PARAM && std::fabs(c.second_param) < TOUCH_PARAM);
  };
  std::vector<OffsetCrossing>& v = *crossings;
  std::vector<char> removed(v.size(), 0);
  // Crossings of one pair lie next to each other (they are collected pair by pair).
  for (size_t g0 = 0, g1 = 0; g0 < v.size(); g0 = g1) {
    for (g1 = g0 + 1; g1 < v.size() && v[g1].first_link == v[g0].first_link &&
                      v[g1].second_link == v[g0].second_link;
         ++g1) {
    }
    for (size_t a = g0; a < g1; ++a) {
      for (size_t b = a + 1; b < g1 && !removed[a]; ++b) {
        if (removed[b]) continue;
        const bool apart_on_links =
            std::fabs(v[a].first_param - v[b].first_param) >= DUPLICATE_PARAM ||
            std::fabs(v[a].second_param - v[b].second_param) >= DUPLICATE_PARAM;
        const bool apart_in_plane = std::fabs(v[a].x - v[b].x) >= DUPLICATE_POINT ||
                                    std::fabs(v[a].y - v[b].y) >= DUPLICATE_POINT;
        if (apart_on_links && apart_in_plane) continue;
        if (is_touch(v[a])) {
          removed[b] = 1;
        } else if (is_touch(v[b])) {
          removed[a] = 1;
        }
      }
    }
  }
  for (size_t k = 0; k < v.size(); ++k) {
    if (removed[k]) v[k].first_link = CROSSING_REMOVED;
  }
  compact_crossings(crossings);
}

int32_t trace_offset_loops(const RawOffset& raw, std::vector<OffsetCrossing>* crossings,
                           TracedLoops* out) {
  out->links.clear();
  out->nodes.clear();
  out->first.clear();
  out->last.clear();
  std::vector<OffsetCrossing>& v = *crossings;
  if (v.size() < 2) return ENGINE_DONE;
  LinkStops stops;
  build_link_stops(raw, v, &stops);
  choose_directions(stops, crossings);
  for (OffsetCrossing& c : v) c.done = 0;
  const int32_t count = static_cast<int32_t>(v.size());
  for (int32_t c0 = 0; c0 < count; ++c0) {
    if (v[c0].done) continue;
    const int32_t loop_first = static_cast<int32_t>(out->links.size());
    const int32_t first_node = add_loop_node(out, v[c0].x, v[c0].y);
    int32_t previous_end = first_node;
    int32_t cur = c0;
    do {
      const int32_t nx = v[cur].next;
      if (nx < 0 || nx >= count) return ENGINE_DONE;  // not a crossing: no loop
      if (add_loop_link(raw, v[cur], v[nx], previous_end, out)) {
        previous_end = out->links.back().end_node;
      }
      v[cur].done = 1;
      if (nx != c0 && v[nx].done) return ENGINE_RETRY;
      cur = nx;
    } while (cur != c0);
    const int32_t loop_last = static_cast<int32_t>(out->links.size()) - 1;
    if (loop_last < loop_first) continue;
    // Close the loop on the node where its last link ends.
    out->links[loop_first].start_node = out->links[loop_last].end_node;
    if (!loop_has_area(*out, loop_first, loop_last)) {
      out->links.resize(static_cast<size_t>(loop_first));
      continue;
    }
    out->first.push_back(loop_first);
    out->last.push_back(loop_last);
  }
  for (ContourLink& l : out->links) segment_bounding_circle(&l, out->nodes.data());
  return ENGINE_DONE;
}

int32_t offset_region_loops(const RegionView& region, double d, TracedLoops* out) {
  *out = TracedLoops{};
  RawOffset raw;
  const int32_t n = offset_raw_segments(region, d, &raw);
  if (n <= 0) return ENGINE_DONE;
  std::vector<OffsetCrossing> crossings;
  intersect_raw_segments(region, raw, 0, n - 1, d, CROSSINGS_FOR_LOOPS, &crossings);
  if (crossings.empty()) return ENGINE_DONE;
  return trace_offset_loops(raw, &crossings, out);
}
