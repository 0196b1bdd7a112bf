// The staircase construction worked out here in double precision, step by step as the design
// states it, apart from the program's own code: the oracle of the geometry and end-to-end tests.
// Parts are point lists in the build's frame after the origin move; arcs are listed by the link
// that is an arc and its centre.
#pragma once

#include <algorithm>
#include <cmath>
#include <optional>
#include <vector>

namespace ref {

constexpr double PI = 3.14159265358979323846;

struct P {
  double x = 0, y = 0;
};
inline P operator+(P a, P b) { return {a.x + b.x, a.y + b.y}; }
inline P operator-(P a, P b) { return {a.x - b.x, a.y - b.y}; }
inline P operator*(double k, P a) { return {k * a.x, k * a.y}; }
inline P at(P p, double d, double a) { return {p.x + d * std::cos(a), p.y + d * std::sin(a)}; }
inline double dist(P a, P b) { return std::hypot(a.x - b.x, a.y - b.y); }
inline double dir(P a, P b) {
  double d = std::atan2(b.y - a.y, b.x - a.x);
  return d < 0 ? d + 2 * PI : d;
}
inline P turn(P p, P c, double a) {
  const double s = std::sin(a), k = std::cos(a);
  return {c.x + (p.x - c.x) * k - (p.y - c.y) * s, c.y + (p.x - c.x) * s + (p.y - c.y) * k};
}

// A line through two points.
struct L {
  P a, b;
};
inline L through(P a, P b) { return {a, b}; }
inline L along(P a, double angle) { return {a, at(a, 1, angle)}; }
inline L hor(double y) { return {{0, y}, {1, y}}; }
inline L ver(double x) { return {{x, 0}, {x, 1}}; }
inline P cross(L u, L v) {
  const P d1 = u.b - u.a, d2 = v.b - v.a;
  const double k = d1.x * d2.y - d1.y * d2.x;
  const P w = v.a - u.a;
  const double t = (w.x * d2.y - w.y * d2.x) / k;
  return u.a + t * d1;
}
inline double from_line(P p, L u) {
  const P d = u.b - u.a;
  return std::fabs((p.x - u.a.x) * d.y - (p.y - u.a.y) * d.x) / std::hypot(d.x, d.y);
}
inline L shifted(L u, double d, double side) { return {at(u.a, d, side), at(u.b, d, side)}; }

struct Arc {
  int link;
  P centre;
};
struct Part {
  std::vector<P> pts;
  std::vector<Arc> arcs;
  std::vector<int> jumps;  // nodes whose leaving link is not cut
  int layer = 0;
  void move(P v) {
    for (P& p : pts) p = p + v;
    for (Arc& a : arcs) a.centre = a.centre + v;
  }
};

struct Design {
  int kind = 1, type = 0;
  bool metric = true, width_entered = false, right = false;
  double total, ang, rise, run, tt, nos, top, drop, r, back, margin, rt, slant, width = 0;
  double table, thick, w1 = 0, w2 = 0, h = 6, field48 = 75, field760 = 0, field752 = 0;
  double field720 = 50, field724 = 75, field728 = 200, field756 = 0;
  int n;
  double a() const { return metric ? 4 : 0.25; }
  double step() const { return std::hypot(rise, run); }
};

struct Result {
  std::vector<Part> parts;
  double width = 0, length = 0;
  int shift = 0;
  double field732 = 0, field736 = 0, field740 = 0;
};

// ---- profiles ----

inline Part housing(const Design& d, double a) {
  const double t = std::tan(d.slant);
  const double y2 = -d.rt - t * (a - d.nos);
  Part h;
  h.pts = {{0, 0},
           {-d.nos, -d.rt},
           {-a, y2},
           {-a - 1.25 * d.a(), y2 + 0.5 * d.tt},
           {-a - 2 * d.nos, d.tt - 0.25 * d.nos},
           {-(a + d.nos) - t * (d.rise - d.tt), d.tt},
           {-(a + d.nos), d.rise - d.rt},
           {-a, d.rise},
           {-a, d.tt},
           {d.back - d.r, d.tt},
           {d.back, d.tt - d.r},
           {d.back, d.r},
           {d.back - d.r, 0}};
  h.arcs = {{9, {d.back - d.r, d.tt - d.r}}, {11, {d.back - d.r, d.r}}};
  h.jumps = {0, 6};
  return h;
}

inline Part slot(const Design& d) {
  const double r = d.r, run = d.run;
  Part s;
  s.pts = {{d.back - r, 0}, {r - run, 0},      {-run, r},       {-run, d.tt - r},
           {r - run, d.tt}, {d.back - r, d.tt}, {d.back, d.tt - r}, {d.back, r}};
  s.arcs = {{1, {r - run, r}}, {3, {r - run, d.tt - r}}, {5, {d.back - r, d.tt - r}},
            {7, {d.back - r, r}}};
  return s;
}

inline Part bottom(const Design& d) {
  const P p3{-d.nos, -d.rt};
  const double y1 = -(d.rise - d.tt + d.a() + d.drop);
  const P p2 = cross(through(at(p3, d.rise - d.tt, 1.5 * PI - d.slant), p3), hor(y1));
  Part b;
  b.pts = {{0, 0}, {0, y1}, p2, p3};
  b.jumps = {3};
  return b;
}

inline Part top_end(const Design& d, double a) {
  const P p1{-d.nos, -d.rt};
  Part t;
  t.pts = {{0, 0},           p1, at(p1, a, PI + d.slant), {-(a + d.a()), d.tt}, {d.back - d.r, d.tt},
           {d.back, d.tt - d.r}, {d.back, d.r}, {d.back - d.r, 0}};
  t.arcs = {{4, {d.back - d.r, d.tt - d.r}}, {6, {d.back - d.r, d.r}}};
  t.jumps = {0};
  return t;
}

inline Part first_step(const Design& d, double a) {
  const double t = std::tan(d.slant);
  const double y1 = -(d.rise - d.tt);
  const P p4{0, -d.rise - d.rt - t * a};
  P p3{a + d.a(), -d.rise - d.rt};
  if (d.slant != 0) p3 = at(p4, dist({a, -d.rise - d.rt}, p4) + d.a(), d.slant);
  Part f;
  f.pts = {{0, 0}, {0, y1},  {a + d.a(), y1}, p3, p4, {0, p4.y - d.a()}, {-3 * d.nos, y1},
           {-d.nos - t * (d.rise - d.tt), y1}, {-d.nos, -d.rt}};
  f.jumps = {8};
  return f;
}

// ---- kinds 1 and 2 ----

inline void origin_move(std::vector<Part>* parts, P corner) {
  for (Part& p : *parts) p.move({-corner.x, -corner.y});
}

inline double pitch_extent(const std::vector<P>& pts, double ang) {
  double lo = 1e300, hi = -1e300;
  for (const P& p : pts) {
    const double s = -p.x * std::cos(ang) + p.y * std::sin(ang);
    lo = std::min(lo, s);
    hi = std::max(hi, s);
  }
  return hi - lo;
}

inline Result kind1(const Design& d) {
  Result res;
  std::vector<Part>& parts = res.parts;
  parts.push_back(bottom(d));
  parts.back().move({(d.n - 1) * d.run, -(d.n - 1) * d.rise});
  for (int j = 1; j <= d.n - 1; ++j) {
    parts.push_back(housing(d, d.run));
    parts.back().move({(d.n - j) * d.run, -(d.n - j) * d.rise});
  }
  parts.push_back(top_end(d, d.run));
  const P first = parts[0].pts[0];
  origin_move(&parts, {first.x + d.back + d.margin, first.y + d.tt});
  // Table fit.
  if (2 * d.rise < d.table) {
    const double usable = d.table + std::sin(d.ang) * (-1.5 - d.tt - d.a() - d.drop - d.rise);
    if (d.n * d.step() >= usable) {
      const int k = static_cast<int>(usable / d.step());
      if (d.n > k) {
        res.shift = d.n - k;
        for (int i = k + 1; i < static_cast<int>(parts.size()); ++i) parts[i].layer = 2;
        auto drop_jump = [](Part& p, int node) {
          p.jumps.erase(std::remove(p.jumps.begin(), p.jumps.end(), node), p.jumps.end());
        };
        drop_jump(parts[k], 6);
        drop_jump(parts[k + 1], 0);
      }
    }
  }
  // Outline.
  const P c = parts.size() > 2 ? parts[1].arcs[0].centre : parts.back().arcs[0].centre;
  P o0 = at(c, d.r + d.margin, PI / 2 - d.ang);
  P o1 = at(o0, d.total, PI - d.ang);
  const L u = through(o0, o1);
  const P t3 = parts.back().pts[3];
  const P o2{t3.x + d.a(), t3.y + d.rise + d.top};
  o1 = cross(u, hor(o2.y));
  P o3{o2.x, t3.y - d.tt};
  const P o5{0, -(d.rise + d.drop)};
  o0 = cross(u, ver(0));
  L lower = along(o3, 2 * PI - d.ang);
  if (d.width_entered) lower = shifted(u, d.width, 1.5 * PI - d.ang);
  const P o4 = cross(lower, hor(o5.y));
  o3 = cross(lower, ver(o2.x));
  Part outline;
  outline.pts = {o0, o1, o2, o3, o4, o5};
  outline.layer = 1;
  res.width = from_line(o0, lower);
  res.length = pitch_extent(outline.pts, d.ang);
  parts.push_back(outline);
  return res;
}

inline Result kind2(const Design& d) {
  Result res;
  std::vector<Part>& parts = res.parts;
  for (int k = 1; k <= d.n; ++k) {
    parts.push_back(slot(d));
    parts.back().move({(d.n - k + 1) * d.run, -(d.n - k + 1) * d.rise});
  }
  const P first = parts[0].pts[0];
  origin_move(&parts, {first.x + d.margin + d.r, first.y + d.tt});
  if (2 * d.rise < d.table) {
    const double s = std::sin(d.ang);
    const double limit = s * (d.table - s * d.run - d.tt - d.rise - d.a() - d.drop);
    for (Part& p : parts)
      if (p.pts[4].y > limit) {
        p.layer = 2;
        ++res.shift;
      }
  }
  const P c = parts.front().arcs[2].centre;  // node 5's arc
  P o0 = at(c, d.r + d.margin, PI / 2 - d.ang);
  P o1 = at(o0, d.total, PI - d.ang);
  const L u = through(o0, o1);
  const P t3 = parts.back().pts[3];
  const P o2{t3.x - d.margin, t3.y + d.rise + d.top};
  o1 = cross(u, hor(o2.y));
  P o3{o2.x, t3.y - d.tt};
  const P o5{0, -(d.rise + d.drop)};
  o0 = cross(u, ver(0));
  L lower;
  if (!d.width_entered) {
    const P o4 = at(parts.front().arcs[0].centre, d.r + d.margin, 1.5 * PI - d.ang);
    lower = along(o4, PI - d.ang);
  } else {
    lower = shifted(u, d.width, 1.5 * PI - d.ang);
  }
  const P o4 = cross(lower, hor(o5.y));
  o3 = cross(lower, ver(o2.x));
  Part outline;
  outline.pts = {o0, o1, o2, o3, o4, o5};
  if (d.field752 > 0) {
    const P step{o2.x, o1.y - d.field752};
    outline.pts = {o0, o1, o2, step, cross(lower, hor(step.y)), o4, o5};
  }
  outline.layer = 1;
  res.width = from_line(o0, lower);
  res.length = pitch_extent(outline.pts, d.ang);
  parts.push_back(outline);
  return res;
}

// The last node of the last part (for a closed part its last node before the closing one) is
// where the view puts the origin.
inline void view_move(Result* res) {
  const P last = res->parts.back().pts.back();
  for (Part& p : res->parts) p.move({-last.x, -last.y});
}

}  // namespace ref
