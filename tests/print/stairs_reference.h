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


// ---- kind 4 ----

inline std::vector<Part> wide_steps(const Design& d, int state, Result* res) {
  std::vector<Part> parts;
  std::vector<P> offsets;  // each part's move: the sum of the moves after it was made
  P moved{0, 0};
  std::vector<P> made_at;
  auto add = [&](Part p) {
    parts.push_back(p);
    made_at.push_back(moved);
  };
  auto move = [&](P v) { moved = moved + v; };
  int wide = 1;
  if (state == 0) {
    add(bottom(d));
  } else {
    add(first_step(d, d.w2));
    add(housing(d, d.w1));
    move({d.w1, -d.rise});
    if (state == 2) wide = 2;
  }
  for (int i = 0; i < d.n - 1 - wide; ++i) {
    add(housing(d, d.run));
    move({d.run, -d.rise});
  }
  if (state != 1) {
    add(housing(d, d.w1));
    move({d.w1, -d.rise});
  }
  add(top_end(d, state != 1 ? d.thick + d.w2 : d.run));
  for (size_t i = 0; i < parts.size(); ++i) parts[i].move(moved - made_at[i]);
  const P first = parts[0].pts[0];
  origin_move(&parts, {first.x + d.back + d.margin, first.y + d.tt});
  if (state != 2 && 2 * d.rise < d.table) {
    const double usable = d.table + std::sin(d.ang) * (-1.5 - d.tt - d.a() - d.drop - d.rise);
    if ((d.n + 2) * d.step() >= usable) {
      int k = static_cast<int>(usable / d.step());
      if (d.n + 2 > k) {
        if (d.n - k < 2) k = d.n - 2;
        res->shift = std::max(d.n - k, 2) + 2;
        const int count = static_cast<int>(parts.size());
        auto drop_jump = [&](int part, int node) {
          if (part < 0 || part >= count) return;
          std::vector<int>& j = parts[part].jumps;
          j.erase(std::remove(j.begin(), j.end(), node), j.end());
        };
        if (state != 1) {
          drop_jump(k, 6);
          drop_jump(k + 1, 0);
          for (int i = k + 1; i < count; ++i) parts[i].layer = 2;
        } else {
          drop_jump(count - k - 1, 0);
          drop_jump(count - k - 2, 6);
          for (int i = 0; i < count - (k + 1); ++i) parts[i].layer = 2;
        }
      }
    }
  }
  return parts;
}

// The first piece and the top end of W1 with the piece's node 2 at the origin, and their outline.
inline std::vector<Part> first_step_group(const Design& d, Result* res) {
  Part f = first_step(d, d.w2);
  Part l = top_end(d, d.w1);
  const P f2 = f.pts[2];
  f.move({-f2.x, -f2.y});
  l.move({-f2.x, -f2.y});
  const double tw = std::atan(d.rise / d.w1);
  const P c4 = l.arcs[0].centre;
  P o0 = at(c4, d.r + d.margin, PI / 2 - tw);
  P o1 = at(o0, 5, PI - tw);
  const P o2{l.pts[3].x + d.a(), l.pts[3].y + d.top + d.rise};
  L u = through(o0, o1);
  o1 = cross(u, hor(o2.y));
  o0 = cross(u, ver(-d.a()));
  res->field732 = o0.y;
  if (d.field760 > 0) {
    res->field732 = d.field760;
    const P moved{o0.x, d.field760};
    o1 = turn(o1, c4, dir(c4, moved) - dir(c4, o0));
    o0 = moved;
    u = through(o0, o1);
    o1 = cross(u, hor(o2.y));
  }
  res->field740 = dir(o0, o1);
  const double beta = dir(o1, o0);
  double width = d.width;
  P o3, o4;
  auto lower = [&](bool entered) {
    o3 = entered ? at(o1, width, res->field740 + PI / 2) : P{o2.x, l.pts[2].y};
    const L e = along(o3, beta);
    o3 = cross(e, ver(o2.x));
    o4 = cross(e, ver(o0.x));
  };
  lower(d.width_entered);
  const double seat = f.pts[3].y - d.tt;
  if (o4.y > seat) {
    width = from_line({0, f.pts[3].y - 1.1 * d.tt}, u);
    lower(true);
    if (o4.y > seat) {
      const P end{-d.a(), f.pts[3].y - 1.1 * d.tt};
      const L e = along(end, beta);
      o3 = cross(e, ver(o2.x));
      o4 = cross(e, ver(o0.x));
    }
  }
  res->length = std::fabs(o2.x - o0.x);
  res->width = from_line(o4, u);
  const P f4 = cross(through(f.pts[3], f.pts[4]), through(o3, o4));
  P f5{f.pts[6].x, f4.y};
  if (f5.x > f4.x) f5.x = f4.x - d.tt;
  f.pts[4] = f4;
  f.pts[5] = f5;
  Part outline;
  outline.pts = {o0, o1, o2, o3, o4};
  outline.layer = 1;
  return {f, l, outline};
}

inline void type0_outline(const Design& d, Result* res) {
  std::vector<Part>& parts = res->parts;
  const Part& b = parts[0];
  const Part& h = parts[1];
  const Part& k = parts[parts.size() - 3];
  Part& s = parts[parts.size() - 2];
  Part& l = parts.back();
  const double phi = dir(s.pts[0], l.pts[0]);
  const P cs = s.arcs[0].centre;
  const P o0a = at(h.arcs[0].centre, d.r + d.margin, PI / 2 - d.ang);
  const L up = through(o0a, at(cs, d.r + d.margin, PI / 2 - d.ang));
  const L uw = along(at(cs, d.r + d.margin, phi - PI / 2), phi);
  const P o1 = cross(up, uw);
  const double corner = d.field760 > 0 ? d.field760 : res->field732;
  const P o2 = cross(uw, hor(l.pts[0].y + d.tt + corner));
  const P o3{l.pts[0].x - d.thick - d.w2, o2.y};
  double width = d.width;
  if (!d.width_entered) width = from_line({k.pts[6].x, k.pts[0].y}, up);
  const P o4{o3.x, o3.y - width + d.h};
  const P o5{o4.x + d.h, o4.y - d.h};
  const L lw = shifted(uw, width, phi + PI / 2);
  const L lp = shifted(up, width, 1.5 * PI - d.ang);
  const P o6 = cross(lw, hor(o5.y));
  const P o7 = cross(lw, lp);
  const P o8 = cross(lp, hor(b.pts[2].y + d.a()));
  const P o9{b.pts[0].x + d.field48, o8.y};
  const P o0 = cross(up, ver(o9.x));
  res->length = std::cos(PI - dir(o0, o3) - d.ang) * dist(o9, o3);
  res->width = from_line(o0, lp);
  l.pts[2].x = l.pts[3].x;
  const P s2 = cross(through(s.pts[1], s.pts[2]), lw);
  const P s4 = cross(through(s.pts[4], s.pts[5]), lw);
  const P s3 = cross(through(s.pts[7], s.pts[8]), lw);
  s.pts[2] = s2;
  s.pts[4] = s4;
  s.pts[3] = {s3.x - d.h, s3.y - d.h};
  Part outline;
  outline.pts = {o0, o1, o2, o3, o4, o5, o6, o7, o8, o9};
  outline.layer = 1;
  parts.push_back(outline);
}

inline void state1_outline(const Design& d, Result* res) {
  std::vector<Part>& parts = res->parts;
  const Part& f = parts[0];
  const Part& s = parts[1];
  const Part& h = parts[2];
  const Part& l = parts.back();
  double tw = std::atan(d.rise / d.w1);
  const P cs = s.arcs[0].centre;
  L uw = along(at(cs, d.r + d.margin, PI / 2 - tw), PI - tw);
  const P up1 = at(h.arcs[0].centre, d.r + d.margin, PI / 2 - d.ang);
  const L up = through(up1, at(up1, 5, PI - d.ang));
  const P f2 = f.pts[2];
  if (d.field760 > 0) {
    res->field736 = d.field760;
    const P p0 = cross(uw, ver(f2.x));
    const double a = dir(cs, {p0.x, f2.y + d.field760}) - dir(cs, p0);
    uw = {turn(uw.a, cs, a), turn(uw.b, cs, a)};
    tw -= a;
  }
  const P o1 = cross(uw, up);
  const P t{l.pts[3].x + d.a(), l.pts[3].y + d.rise + d.top};
  const P o2 = cross(up, hor(t.y));
  const P o3 = t;
  P o4{t.x, l.pts[0].y};
  if (d.width_entered) o4 = cross(ver(o3.x), shifted(up, d.width, 1.5 * PI - d.ang));
  const L lp = along(o4, 2 * PI - d.ang);
  const double width = from_line(o2, lp);
  const L lw = along(at(o1, width, 1.5 * PI - tw), PI - tw);
  const P o5 = cross(lp, lw);
  P o7 = cross(lw, ver(f2.x - d.a()));
  const P o0 = cross(uw, ver(o7.x));
  res->field736 = o0.y - f2.y;
  res->length = std::cos(PI - dir(o0, o3) - d.ang) * dist(o7, o3);
  res->width = from_line(o1, lw);
  const P o6 = at(o7, d.h, PI - tw);
  o7.y += d.h;
  Part outline;
  outline.pts = {o0, o1, o2, o3, o4, o5, o6, o7};
  outline.layer = 1;
  parts.push_back(outline);
}

inline void short_stringer(const Design& d, Result* res) {
  std::vector<Part>& parts = res->parts;
  parts.clear();
  Part b = bottom(d);
  Part s = housing(d, d.w1);
  b.move({d.w1, -d.rise});
  s.move({d.w1, -d.rise});
  Part l = top_end(d, d.thick + d.w2);
  const double tw = std::atan(d.rise / d.w1);
  P o0 = at(s.arcs[0].centre, d.r + d.margin, PI / 2 - tw);
  const L u = through(o0, at(o0, 5, PI - tw));
  const P o2{l.pts[3].x + d.a(), l.pts[3].y + res->field736};
  P o1 = cross(u, hor(o2.y));
  P o3 = o2, o4, o5;
  if (d.width_entered) {
    o3.y = o2.y - d.width;
    o4 = cross(hor(o3.y), shifted(u, d.width, 1.5 * PI - tw));
    o5 = cross(along(o4, 2 * PI - tw), hor(b.pts[1].y + d.a()));
  } else {
    o3.y = s.pts[5].y;
    o5 = {b.pts[2].x, b.pts[2].y + d.a()};
    o4 = cross(along(o5, PI - tw), hor(o3.y));
  }
  const P o6{s.pts[0].x + d.field48, o5.y};
  o0 = cross(u, ver(o6.x));
  o1 = cross(u, hor(o2.y));
  res->length = std::fabs(o2.x - o0.x);
  res->width = from_line(o0, through(o4, o5));
  res->field740 = dir(o0, o1);
  const P s2 = cross(through(s.pts[1], s.pts[2]), through(o4, o5));
  s.pts[2] = s2;
  s.pts[3] = at(s2, 4 * d.h, res->field740);
  Part outline;
  outline.pts = {o0, o1, o2, o3, o4, o5, o6};
  outline.layer = 1;
  parts = {b, s, l, outline};
}

// Kind 4, types 0-3 and 5 (before a right side's mirror).
inline Result kind4(Design d) {
  static constexpr int STATE[] = {0, 2, 1, 0, 0, 1};
  const int state = STATE[d.type];
  d.w1 = std::max(d.w1, 1.05 * d.run);
  d.w2 = std::max(d.w2, d.run);
  Result res;
  std::vector<Part> steps = wide_steps(d, state, &res);
  if (state != 1) {
    std::vector<Part> group = first_step_group(d, &res);
    if (d.type == 3) {
      res.parts = group;
      res.shift = 0;
    } else {
      res.parts = steps;
      if (d.type == 0) type0_outline(d, &res);
    }
  } else {
    res.parts = steps;
    state1_outline(d, &res);
    if (d.type == 5) {
      short_stringer(d, &res);
      res.shift = 0;
    }
  }
  return res;
}

// The cut stringer's outline before the tool offset, its board length and width.
inline Result cut_stringer(const Design& d) {
  Result res;
  const double ang = std::atan(d.rise / d.run);
  const double below = d.field728 < 0.01 ? d.rise : d.field728;
  const int n = d.n;
  const double s = d.field756;
  std::vector<P> q(2 * n + 5);
  for (int i = 0; i < n; ++i) {
    q[2 * i] = {i * d.run - s, i * d.rise};
    q[2 * i + 1] = {i * d.run - s, (i + 1) * d.rise};
  }
  q[0].y = d.tt - d.drop;
  q[2 * n] = {n * d.run - 2 * s, n * d.rise};
  q[2 * n + 1] = {q[2 * n].x, n * d.rise - d.field720};
  const L e = along(at({0, 0}, below, ang - PI / 2), ang);
  q[2 * n + 4] = {d.field724 > 0 ? d.field724 : 0.0005, d.tt - d.drop};
  q[2 * n + 2] = cross(e, hor(q[2 * n + 1].y));
  q[2 * n + 3] = cross(e, through({d.field724, -100}, q[2 * n + 4]));
  auto foot = [&](P p, P end) {
    const P a = q[2 * n + 2], b = q[2 * n + 3];
    const P v = b - a;
    const double t = ((p.x - a.x) * v.x + (p.y - a.y) * v.y) / (v.x * v.x + v.y * v.y);
    return t >= 0 && t <= 1 ? end : a + t * v;
  };
  res.length = dist(foot(q[0], q[2 * n + 3]), foot(q[2 * n], q[2 * n + 2]));
  res.width = from_line(q[1], e);
  Part outline;
  outline.pts = q;
  outline.layer = 1;
  res.parts = {outline};
  return res;
}

}  // namespace ref
