// The piece table, dropping pieces that come too close to the source, and chaining the pieces
// end to start into loops (one open chain for an open source) with growing tolerances.
#include <algorithm>
#include <cmath>

#include "geometry/contour_offset_internal.h"
#include "geometry/geometry2d.h"

namespace {

OffsetEntry& entry(int32_t i) {
  return g_offset_run.table[static_cast<size_t>(i)];
}
int32_t entry_count() {
  return g_offset_run.entry_count;
}

// ---- piece table ----

void fill_entry(OffsetEntry& e, int32_t piece) {
  const OffsetPiece& p = piece_at(piece);
  e.source = p.number;
  e.start = p.link[0].point;
  e.end = p.link[1].point;
  e.direction = point_angle(&e.start, &e.end);
  e.chord = point_distance(&e.start, &e.end);
  e.corner = (p.flags & OFFSET_PIECE_CORNER) != 0 ? 2 : 0;
  e.piece = piece;
}

// A whole circle is a loop by itself; it counts as linked at both ends.
void link_full_circles() {
  for (int32_t i = 1; i <= entry_count(); ++i) {
    OffsetEntry& e = entry(i);
    if (e.full_circle && e.prev >= 0 && e.next >= 0) e.prev = e.next = i;
  }
}

// An open source's chain starts at its first usable piece and ends at its last one.
void mark_open_ends() {
  if (g_offset_run.closed) return;
  // A whole circle is a loop of its own, never an end of the chain.
  auto usable = [](const OffsetEntry& e, int32_t link) { return link >= 0 && !e.full_circle; };
  int32_t first = 0;
  for (int32_t i = 1; i <= entry_count() && first == 0; ++i)
    if (usable(entry(i), entry(i).prev)) first = i;
  if (first == 0) return;
  entry(first).prev = OFFSET_LINK_OPEN_END;
  for (int32_t i = entry_count(); i >= first; --i) {
    if (usable(entry(i), entry(i).next)) {
      entry(i).next = OFFSET_LINK_OPEN_END;
      return;
    }
  }
}

// ---- distance from the source ----

bool within_of_line(const PointF& p, const LinkRecord* link, double r) {
  const double ax = link->point.x;
  const double ay = link->point.y;
  const double vx = static_cast<double>(link[1].point.x) - ax;
  const double vy = static_cast<double>(link[1].point.y) - ay;
  const double squared = vx * vx + vy * vy;
  if (squared < 1e-11) return false;
  const double wx = p.x - ax;
  const double wy = p.y - ay;
  const double t = (wx * vx + wy * vy) / squared;
  if (t < -2e-7 || t > 1.0000005) return false;
  return std::fabs(wx * vy - wy * vx) / std::sqrt(squared) < r;
}

bool within_of_arc(const PointF& p, const LinkRecord* arc, double r, float tol) {
  const double radius = arc->code;
  const double dx = static_cast<double>(p.x) - arc->centre.x;
  const double dy = static_cast<double>(p.y) - arc->centre.y;
  if (std::fabs(std::sqrt(dx * dx + dy * dy) - radius) >= r) return false;
  if (arc->sweep < 0.0f || arc->sweep > 6.2830853f) return true;
  // Within the arc's angles, widened by tol / radius at both ends.
  const double widen = tol / radius;
  double a = std::atan2(dy, dx) - (arc->start_angle - widen);
  a = std::fmod(a, ANGLE_TWO_PI);
  if (a < 0.0) a += ANGLE_TWO_PI;
  return a <= arc->sweep + 2.0 * widen;
}

bool within_of_link(const PointF& p, const LinkRecord* link, double r, float tol) {
  // Quick refusal by the link's box widened by r.
  if (p.x < link->box_min.x - r || p.x > link->box_max.x + r || p.y < link->box_min.y - r ||
      p.y > link->box_max.y + r) {
    return false;
  }
  if (point_distance(&p, &link->point) < r || point_distance(&p, &link[1].point) < r) return true;
  if (code_is_arc(link->code)) return within_of_arc(p, link, r, tol);
  return within_of_line(p, link, r);
}

// The links of the working copy in a grid, to test a point against the near ones only.
struct SourceLinks {
  const LinkRecord* links;
  BoxGrid grid;
  std::vector<int32_t> near;
  std::vector<uint32_t> stamps;
  uint32_t stamp;
};

void index_source_links(SourceLinks* source) {
  DrawingItem* copy = g_offset_run.copy;
  source->links = item_nodes(copy);
  const int32_t n = item_link_count(copy);
  BoxSpread spread;
  for (int32_t i = 0; i < n; ++i) spread.add(&source->links[i]);
  grid_init(&source->grid, spread.lo, spread.hi, n, spread.mean_side());
  for (int32_t i = 0; i < n; ++i)
    grid_insert(&source->grid, i, source->links[i].box_min, source->links[i].box_max);
  source->stamps.assign(static_cast<size_t>(n), 0);
  source->stamp = 0;
}

bool within_of_source(SourceLinks* source, const PointF& p, double r) {
  const auto reach = static_cast<float>(r);
  grid_query(source->grid, PointF{p.x - reach, p.y - reach}, PointF{p.x + reach, p.y + reach},
             &source->near, &source->stamps, ++source->stamp);
  for (int32_t i : source->near)
    if (within_of_link(p, &source->links[i], r, g_offset_run.tol)) return true;
  return false;
}

void exclude(OffsetEntry& e, int32_t reason) {
  e.prev = e.next = reason;
}

// ---- chaining helpers ----

bool has_prev(const OffsetEntry& e) {
  return e.prev != 0;
}
bool has_next(const OffsetEntry& e) {
  return e.next != 0;
}
bool excluded(const OffsetEntry& e) {
  return e.prev < 0 || e.next < 0;
}
// Linked pieces name real entries; the open-end marker and exclusions do not.
bool is_link(int32_t v) {
  return v > 0 && v <= g_offset_run.entry_count;
}

// May piece j be linked to piece k? (a = j's previous piece, b = k's next piece.)
bool order_allows(int32_t j, int32_t k) {
  const int32_t a = entry(j).prev;
  const int32_t b = entry(k).next;
  if (b == j && a == k) return true;
  if (k >= j) {
    if (b > 0 && j < b && b < k) return false;
    if (a > 0 && j < a && a < k) return false;
    if (a > 0 && b > 0 && ((b >= j && j < a && a < b) || (b < j && a < b))) return false;
    return true;
  }
  if (b > 0 && (b < k || b > j)) return false;
  if (a > 0 && (a < k || a > j)) return false;
  if (a > 0 && b > 0 && a < b) return false;
  return true;
}

bool may_link(int32_t j, int32_t k, double x) {
  const OffsetEntry& from = entry(j);
  const OffsetEntry& to = entry(k);
  if (to.prev != 0) return false;
  if (std::fabs(static_cast<double>(to.start.x) - from.end.x) > x ||
      std::fabs(static_cast<double>(to.start.y) - from.end.y) > x) {
    return false;
  }
  if (!g_offset_run.same_source && to.source == from.source) return false;
  return order_allows(j, k);
}

void link_pieces(int32_t j, int32_t k) {
  entry(j).next = k;
  entry(k).prev = j;
}

// Ends of pieces (their starts or their ends) sorted by x, to find those near a point.
struct EndIndex {
  std::vector<int32_t> ids;  // entries, by x of the chosen end
  std::vector<float> xs;     // that x, ascending
};

// The entries that pass `take`, indexed by their start (or end) point.
template <class Take>
EndIndex index_ends(bool by_start, Take take) {
  std::vector<std::pair<float, int32_t>> order;
  for (int32_t i = 1; i <= entry_count(); ++i) {
    if (!take(entry(i))) continue;
    order.emplace_back(by_start ? entry(i).start.x : entry(i).end.x, i);
  }
  std::sort(order.begin(), order.end());
  EndIndex index;
  for (const auto& [x, i] : order) {
    index.xs.push_back(x);
    index.ids.push_back(i);
  }
  return index;
}

// Calls visit(k) for every indexed entry whose point lies within x of p in x.
template <class Visit>
void for_each_near(const EndIndex& index, const PointF& p, double x, Visit visit) {
  const auto from = std::lower_bound(index.xs.begin(), index.xs.end(), static_cast<float>(p.x - x));
  for (auto it = from; it != index.xs.end() && *it <= p.x + x; ++it)
    visit(index.ids[static_cast<size_t>(it - index.xs.begin())]);
}

// Each piece without a next piece takes the first piece found searching forwards round the
// table from it (or the nearest one, the first found on ties) whose start lies within x of
// its end. The number of links made, or -1 when every piece already had its next piece.
int link_ends(double x, bool nearest) {
  const int32_t n = entry_count();
  const EndIndex starts = index_ends(true, [](const OffsetEntry& e) { return e.prev == 0; });
  bool any_open = false;
  int made = 0;
  for (int32_t j = 1; j <= n; ++j) {
    if (entry(j).next != 0) continue;
    any_open = true;
    const PointF end = entry(j).end;
    int32_t best = 0;
    int32_t best_rank = 0;
    double best_distance = 0.0;
    for_each_near(starts, end, x, [&](int32_t k) {
      if (!may_link(j, k, x)) return;
      // Place in the forward search from j: j + 1 .. n, 1 .. j.
      const int32_t rank = k > j ? k - j : k - j + n;
      const OffsetEntry& to = entry(k);
      const double distance = nearest ? std::hypot(static_cast<double>(to.start.x) - end.x,
                                                   static_cast<double>(to.start.y) - end.y)
                                      : 0.0;
      if (best == 0 || distance < best_distance ||
          (distance == best_distance && rank < best_rank)) {
        best = k;
        best_rank = rank;
        best_distance = distance;
      }
    });
    if (best == 0) continue;
    link_pieces(j, best);
    ++made;
  }
  return any_open ? made : -1;
}

int link_matching_ends(double x) {
  return link_ends(x, false);
}
int link_nearest_ends(double x) {
  return link_ends(x, true);
}

// A loose start with no loose end near it: detached and, when short, excluded. The number
// excluded.
int drop_unmatched(double x, bool starts) {
  // The loose ends (for starts) or loose starts (for ends) that could still meet them.
  const EndIndex others = index_ends(!starts, [starts](const OffsetEntry& o) {
    return (starts ? o.next : o.prev) == 0 && !excluded(o);
  });
  int dropped = 0;
  for (int32_t i = 1; i <= entry_count(); ++i) {
    OffsetEntry& e = entry(i);
    if ((starts ? e.prev : e.next) != 0 || excluded(e)) continue;
    const PointF& at = starts ? e.start : e.end;
    bool matched = false;
    for_each_near(others, at, x, [&](int32_t k) {
      const OffsetEntry& o = entry(k);
      if (k == i || excluded(o) || (starts ? o.next : o.prev) != 0) return;
      const PointF& there = starts ? o.end : o.start;
      if (std::fabs(there.y - at.y) <= x) matched = true;
    });
    if (matched) continue;
    for (int32_t k = 1; k <= entry_count(); ++k) {
      OffsetEntry& o = entry(k);
      if (starts && o.prev == i) o.prev = 0;
      if (!starts && o.next == i) o.next = 0;
    }
    if (e.chord < 50.0 * x) {
      exclude(e, OFFSET_DROP_UNMATCHED);
      ++dropped;
    }
  }
  return dropped;
}

int drop_unmatched_ends_both(double x) {
  return drop_unmatched(x, true) + drop_unmatched(x, false);
}

void repair_back_links() {
  for (int32_t i = 1; i <= entry_count(); ++i) {
    OffsetEntry& e = entry(i);
    if (!is_link(e.next) || excluded(e)) continue;
    OffsetEntry& k = entry(e.next);
    if (excluded(k))
      e.next = 0;
    else
      k.prev = i;
  }
}

void reset_piece_links() {
  for (int32_t i = 1; i <= entry_count(); ++i) {
    OffsetEntry& e = entry(i);
    if (e.next < -2 || e.prev < -2) continue;
    e.prev = e.next = 0;
    e.loop = 0;
  }
  g_offset_run.loop_count = 0;
  link_full_circles();
  mark_open_ends();
}

int set_aside_short_pieces(double x) {
  int set_aside = 0;
  for (int32_t i = 1; i <= entry_count(); ++i) {
    OffsetEntry& e = entry(i);
    if (e.prev == 0 && e.next == 0 && e.chord < x) {
      exclude(e, OFFSET_DROP_SET_ASIDE);
      ++set_aside;
    }
  }
  return set_aside;
}

double widen_until_set_aside(double t, double k) {
  if (!(t > 0.0)) return -1.0;
  for (int step = 0; step < 16; ++step) {
    const double x = t + step * k * t;
    if (set_aside_short_pieces(x) > 0) return x;
  }
  return -1.0;
}

// Numbers the loops that are not numbered yet: every piece whose chain of next pieces comes
// back to it. Each piece is walked over once: a walk stops at a piece an earlier walk saw
// (whose fate is known) or at one this walk saw (the loop from there on is new).
void number_loops() {
  OffsetRun& run = g_offset_run;
  std::vector<int32_t> walked(static_cast<size_t>(entry_count()) + 1, 0);
  for (int32_t i = 1; i <= entry_count(); ++i) {
    if (walked[static_cast<size_t>(i)] != 0) continue;
    int32_t k = i;
    while (is_link(k) && walked[static_cast<size_t>(k)] == 0 && entry(k).loop == 0 &&
           !excluded(entry(k))) {
      walked[static_cast<size_t>(k)] = i;
      k = entry(k).next;
    }
    if (!is_link(k) || walked[static_cast<size_t>(k)] != i) continue;
    ++run.loop_count;
    const int32_t start = k;
    do {
      entry(k).loop = run.loop_count;
      k = entry(k).next;
    } while (k != start);
  }
}

bool chains_complete(double x) {
  number_loops();
  double in_loops = 0.0;
  double linked = 0.0;
  double loose = 0.0;
  for (int32_t i = 1; i <= entry_count(); ++i) {
    const OffsetEntry& e = entry(i);
    if (excluded(e)) continue;
    if (e.loop != 0)
      in_loops += e.chord;
    else if (has_prev(e) && has_next(e))
      linked += e.chord;
    else
      loose += e.chord;
  }
  const double total = in_loops + linked + loose;
  if (total < x || loose > x) return false;
  return g_offset_run.closed ? in_loops >= 0.9 * total : linked >= 0.9 * total;
}

// ---- the schedule ----

struct Schedule {
  double t;  // base tolerance
  bool check() const { return chains_complete(80.0 * t); }
};

// Link nearest at each factor of t in turn; a -1 checks and skips the rest. x ends at the last
// factor tried. True when the check said done.
bool link_in_steps(const Schedule& s, const double* factors, int count, int same_source_from,
                   double* x) {
  for (int i = 0; i < count; ++i) {
    if (i == same_source_from) g_offset_run.same_source = true;
    *x = factors[i] * s.t;
    if (link_nearest_ends(*x) == -1) return s.check();
  }
  return false;
}

// Up to `rounds` rounds of: link nearest (-1: check and leave), double x, drop unmatched
// ends and, when something went, repair and link again.
bool widening_rounds(const Schedule& s, double x, int rounds, bool done_at_once) {
  for (int round = 0; round < rounds; ++round) {
    if (link_nearest_ends(x) == -1) return done_at_once || s.check();
    if (done_at_once && s.check()) return true;
    x *= 2.0;
    if (drop_unmatched_ends_both(x) > 0) {
      repair_back_links();
      link_nearest_ends(x);
    }
  }
  return false;
}

bool phase_one(const Schedule& s) {
  OffsetRun& run = g_offset_run;
  run.same_source = false;
  link_matching_ends(0.00001);
  if (link_nearest_ends(4.0 * s.t) == -1) return true;
  for (double factor : {6.0, 9.0}) {
    if (link_nearest_ends(factor * s.t) == -1) return true;
    if (s.check()) return true;
  }
  const double x = 9.0 * s.t;
  for (int round = 0; round < 3; ++round) {
    if (drop_unmatched_ends_both(x) == 0) break;
    repair_back_links();
    link_nearest_ends(x);
    if (link_nearest_ends(x) == -1) return true;
  }
  if (s.check()) return true;
  if (link_nearest_ends(x) == -1) return true;
  return s.check();
}

bool phase_two(const Schedule& s, double* x1) {
  reset_piece_links();
  *x1 = widen_until_set_aside(s.t, 6.0);
  if (*x1 <= 0.0) return false;
  link_matching_ends(0.00001);
  double x = 0.0;
  const double factors[3] = {3.0, 6.0, 12.0};
  if (link_in_steps(s, factors, 3, 3, &x)) return true;
  g_offset_run.same_source = true;
  if (widening_rounds(s, 2.0 * x, 4, false)) return true;
  return s.check();
}

bool phase_three(const Schedule& s, double x1, double* x2) {
  g_offset_run.same_source = false;
  reset_piece_links();
  *x2 = widen_until_set_aside(x1, 12.0);
  bool done = false;
  if (*x2 > 0.0) {
    link_matching_ends(0.00001);
    double x = 0.0;
    const double factors[3] = {3.0, 6.0, 12.0};
    done = link_in_steps(s, factors, 3, 2, &x) || widening_rounds(s, 2.0 * x, 3, false);
  }
  if (!done) reset_piece_links();
  return done;
}

bool phase_four(const Schedule& s, double x2) {
  g_offset_run.same_source = false;
  const double x3 = widen_until_set_aside(x2, 25.0);
  if (x3 <= 0.0) return false;
  link_matching_ends(0.00001);
  double x = 0.0;
  const double factors[3] = {4.0, 8.0, 16.0};
  if (link_in_steps(s, factors, 3, 2, &x)) return true;
  return widening_rounds(s, 2.0 * x, 4, true);
}

}  // namespace

void build_piece_table() {
  OffsetRun& run = g_offset_run;
  run.table.assign(static_cast<size_t>(run.piece_count) + 4, OffsetEntry{});
  int32_t i = 0;
  for (int32_t p = run.first; p >= 0; p = piece_at(p).next) {
    OffsetEntry& e = entry(++i);
    fill_entry(e, p);
    piece_at(p).entry = i;
    if (arc_is_full_circle(piece_at(p).link)) {
      e.full_circle = true;
    } else if (e.chord < 1e-6f) {
      exclude(e, OFFSET_DROP_NO_CHORD);
    }
  }
  run.entry_count = i;
  link_full_circles();
  mark_open_ends();
}

// Single-precision points are good to half a unit in the last place of their largest
// coordinate, and a piece's end is computed from several of them: the distance between a
// piece and the source is known to a few such units at best. Far from the origin that is more
// than the base tolerance, which the size of the item alone sets.
double coordinate_precision(DrawingItem* copy, double distance) {
  constexpr double UNITS_IN_LAST_PLACE = 4.0;
  PointF lo, hi;
  item_extents(copy, &lo, &hi);
  const double largest = std::max({std::fabs(lo.x), std::fabs(lo.y), std::fabs(hi.x),
                                   std::fabs(hi.y)}) + distance;
  if (!(largest > 0.0)) return 0.0;
  return UNITS_IN_LAST_PLACE * std::ldexp(1.0, std::ilogb(largest) - 23);
}

void drop_close_pieces() {
  const OffsetRun& run = g_offset_run;
  // A piece nearer the source than the distance less this came from a link it should not
  // have: the limit allows for the base tolerance and for the points' own precision.
  const double slack = std::max(static_cast<double>(run.tol),
                                coordinate_precision(run.copy, run.abs_distance));
  const double r = run.abs_distance - 0.95 * slack;
  SourceLinks source;
  index_source_links(&source);
  for (int32_t i = 1; i <= entry_count(); ++i) {
    OffsetEntry& e = entry(i);
    if (excluded(e)) continue;
    if (within_of_source(&source, e.start, r) || within_of_source(&source, e.end, r)) {
      exclude(e, OFFSET_DROP_NEAR_END);
      continue;
    }
    // A straight corner cuts inside its arc, so its middle is nearer than D to the corner;
    // a corner arc's middle tells, as any other piece's does, whether it crossed into the
    // band round another link.
    const LinkRecord* link = piece_at(e.piece).link;
    if ((e.corner != 0 && !code_is_arc(link->code)) || !(e.chord > 0.05f)) continue;
    PointF middle;
    link_midpoint(link, &middle);
    if (within_of_source(&source, middle, r)) exclude(e, OFFSET_DROP_NEAR_MIDDLE);
  }
  // A dropped end of an open chain hands its marker on to the next usable piece.
  if (!run.closed) {
    for (int32_t i = 1; i <= entry_count(); ++i) {
      OffsetEntry& e = entry(i);
      if (e.prev == OFFSET_LINK_OPEN_END) e.prev = 0;
      if (e.next == OFFSET_LINK_OPEN_END) e.next = 0;
    }
    mark_open_ends();
  }
}

int chain_pieces() {
  const Schedule s = {g_offset_run.tol};
  double x1 = 0.0;
  double x2 = 0.0;
  const bool done =
      phase_one(s) || phase_two(s, &x1) || phase_three(s, x1, &x2) || phase_four(s, x2);
  return done ? 0 : -1;
}
