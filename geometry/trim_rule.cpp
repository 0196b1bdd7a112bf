#include "geometry/trim_rule.h"

#include <cmath>

#include "geometry/construct.h"
#include "geometry/geometry2d.h"
#include "geometry/link_moves.h"
#include "geometry/node_surgery.h"

namespace {

// Two points closer than this are one point.
constexpr double SAME_POINT = 0.0001;
// The tangency tolerance of the crossing: a link that grazes the boundary still meets it.
constexpr double GRAZING_ROOT_TOLERANCE = 0.0001;

double gap(const PointF& a, const PointF& b) {
  return std::hypot(static_cast<double>(a.x) - b.x, static_cast<double>(a.y) - b.y);
}

// Puts the kernel's tolerance back however the crossing ends.
struct RootToleranceFor {
  double saved;
  explicit RootToleranceFor(double value) : saved(g_float2d.double_root_tolerance) {
    g_float2d.double_root_tolerance = value;
  }
  ~RootToleranceFor() { g_float2d.double_root_tolerance = saved; }
  RootToleranceFor(const RootToleranceFor&) = delete;
  RootToleranceFor& operator=(const RootToleranceFor&) = delete;
};

struct Rule {
  LinkRecord link[2];  // a copy of the clicked link and its end record
  PointF s, e, c;
  PointF crossing[2];
  int count = 0;
  int16_t pick = 0;
  float tolerance = 0.0f;
  int mode = TRIM_EXTEND_EITHER;

  bool on_link(const PointF& p) const { return hit_test_link(&p, link, tolerance) > 0; }

  TrimDecision move(bool start, const PointF& to) const {
    TrimDecision d;
    d.outcome = TRIM_MOVE_END;
    d.target = to;
    d.pick_kind = start ? PICK_ON_LINK_NEAR_START : PICK_ON_LINK_NEAR_END;
    return d;
  }

  static TrimDecision outcome(int what) {
    TrimDecision d;
    d.outcome = what;
    return d;
  }

  // The crossing other than x, when there are two.
  bool other(const PointF& x, PointF* out) const {
    if (count < 2) return false;
    *out = gap(crossing[0], x) == 0.0 ? crossing[1] : crossing[0];
    return true;
  }

  // Does the cursor's foot fall on the part of the link from a to b? Where no foot can be
  // found, the hover's own word (the node it named) decides.
  bool cursor_on_part(const PointF& a, const PointF& b, int16_t node_pick) const {
    LinkRecord part[2] = {link[0], link[1]};
    part[0].point = a;
    part[1].point = b;
    refresh_arc_angles(part);
    PointF foot = {};
    if (link_foot(part, &c, &foot) != FOOT_ON_LINK) return pick == node_pick;
    return true;
  }

  TrimDecision extend() const {
    const bool start = gap(c, s) <= gap(c, e);
    const PointF p = start ? s : e;
    const PointF q = start ? e : s;
    if (count < 2) return move(start, crossing[0]);
    const PointF& x0 = crossing[0];
    const PointF& x1 = crossing[1];
    // The crossing on the moving end's side: the nearer one, unless the far end is nearer to it.
    if (gap(x0, p) < gap(x1, p)) return move(start, gap(p, x0) > gap(q, x0) ? x1 : x0);
    return move(start, gap(p, x1) > gap(q, x1) ? x0 : x1);
  }

  // The part of the link the cursor lies on stays; the other end moves onto x.
  TrimDecision trim(const PointF& x) const {
    PointF second = {};
    if (gap(x, s) < SAME_POINT) {
      if ((pick & 0x01) != 0) return move(true, x);
      if (mode == TRIM_ONLY || !other(x, &second)) return outcome(TRIM_IGNORED);
      return move(false, second);
    }
    if (!cursor_on_part(s, x, PICK_START_NODE)) return move(true, x);
    if (gap(x, e) < SAME_POINT) {
      if ((pick & 0x02) != 0) return move(false, x);
      if (mode == TRIM_ONLY || !other(x, &second)) return outcome(TRIM_IGNORED);
      return move(true, second);
    }
    if (!cursor_on_part(x, e, PICK_END_NODE)) return move(false, x);
    // The cursor is at the crossing itself: the end nearer to it goes.
    const bool start = gap(c, s) <= gap(c, e);
    const PointF& stays = start ? e : s;
    if (gap(stays, x) < SAME_POINT && other(x, &second)) return move(start, second);
    return move(start, x);
  }
};

}  // namespace

TrimDecision decide_trim_extend(const LinkRecord* link, const LinkRecord* boundary,
                                PointF cursor, int16_t hover_pick, float tolerance, int mode) {
  Rule r;
  r.link[0] = link[0];
  r.link[1] = link[1];
  r.s = link[0].point;
  r.e = link[1].point;
  r.c = cursor;
  r.pick = hover_pick;
  r.tolerance = tolerance;
  r.mode = mode;
  {
    const RootToleranceFor grazing(GRAZING_ROOT_TOLERANCE);
    r.count = intersect_links(boundary, link);
  }
  if (r.count < 0) return Rule::outcome(TRIM_IGNORED);
  if (r.count == 0) return Rule::outcome(mode == TRIM_ONLY ? TRIM_NOT_CROSSED : TRIM_NOT_MET);
  r.count = r.count > 2 ? 2 : r.count;
  r.crossing[0] = g_geometry2d.intersection.first;
  r.crossing[1] = r.count == 2 ? g_geometry2d.intersection.second : r.crossing[0];
  if (mode == TRIM_EXTEND_ONLY) return r.extend();
  const bool on0 = r.on_link(r.crossing[0]);
  const bool on1 = r.count == 2 && r.on_link(r.crossing[1]);
  if (!on0 && !on1) {
    if (mode == TRIM_ONLY) return Rule::outcome(TRIM_NOT_CROSSED);
    return r.extend();
  }
  if (on0 && on1) {
    const PointF& nearer =
        gap(r.crossing[0], cursor) <= gap(r.crossing[1], cursor) ? r.crossing[0] : r.crossing[1];
    return r.trim(nearer);
  }
  return r.trim(on0 ? r.crossing[0] : r.crossing[1]);
}
