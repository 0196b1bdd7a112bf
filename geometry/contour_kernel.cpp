// Bearings, orientation, lengths, copies, distances and swept outlines of contour segments.
#include "geometry/contour_kernel.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <utility>

#include "geometry/contour_kernel_internal.h"

ContourKernelState g_contour_kernel;

void reset_contour_kernel_state() { g_contour_kernel = ContourKernelState{}; }

void show_contour_message(const char* text) {
  if (g_contour_kernel.show_message != nullptr) {
    g_contour_kernel.show_message(text);
  } else {
    std::fprintf(stderr, "%s\n", text);
  }
}

// ---- shared helpers ----

void arc_end_bearings(const ContourLink& arc, const ContourNode* nodes, double* out_start,
                      double* out_end) {
  const ContourNode& c = nodes[arc.centre_node];
  const ContourNode& s = nodes[arc.start_node];
  const ContourNode& e = nodes[arc.end_node];
  *out_start = bearing_angle(s.x - c.x, s.y - c.y);
  *out_end = bearing_angle(e.x - c.x, e.y - c.y);
}

void normalise_arc_bearings(int32_t direction, double* start, double* end) {
  if (direction == CONTOUR_CLOCKWISE) {
    if (*end < *start) *end += CONTOUR_TWO_PI;
  } else {
    if (*start < *end) *start += CONTOUR_TWO_PI;
  }
}

double wrap_bearing(double bearing) {
  while (bearing < 0.0) bearing += CONTOUR_TWO_PI;
  while (bearing >= CONTOUR_TWO_PI) bearing -= CONTOUR_TWO_PI;
  return bearing;
}

// Clockwise sweep of an arc from its start to its end bearing, 0..2pi; a counter-clockwise
// arc gets the rest of the turn, so coinciding ends are nothing clockwise and a full turn
// counter-clockwise.
static double arc_sweep(const ContourLink& arc, const ContourNode* nodes) {
  double s, e;
  arc_end_bearings(arc, nodes, &s, &e);
  double w = e - s;
  if (e < s) w += CONTOUR_TWO_PI;
  return arc.direction == CONTOUR_CLOCKWISE ? w : CONTOUR_TWO_PI - w;
}

// Tangent of travel along an arc at the point whose radius vector is (rx, ry).
static void arc_tangent(int32_t direction, double rx, double ry, double* out_dx, double* out_dy) {
  *out_dx = -ry;
  *out_dy = rx;
  if (direction == CONTOUR_CLOCKWISE) {
    *out_dx = -*out_dx;
    *out_dy = -*out_dy;
  }
}

void backward_direction_at_end(const ContourLink& segment, const ContourNode* nodes, double* out_dx,
                               double* out_dy) {
  const ContourNode& s = nodes[segment.start_node];
  const ContourNode& e = nodes[segment.end_node];
  if (segment.kind == SEGMENT_ARC) {
    const ContourNode& c = nodes[segment.centre_node];
    arc_tangent(segment.direction, e.x - c.x, e.y - c.y, out_dx, out_dy);
    *out_dx = -*out_dx;
    *out_dy = -*out_dy;
  } else {
    *out_dx = s.x - e.x;
    *out_dy = s.y - e.y;
  }
}

void forward_direction_from(const ContourLink& segment, const ContourNode* nodes, double px,
                            double py, double* out_dx, double* out_dy) {
  if (segment.kind == SEGMENT_ARC) {
    const ContourNode& c = nodes[segment.centre_node];
    arc_tangent(segment.direction, px - c.x, py - c.y, out_dx, out_dy);
  } else {
    const ContourNode& e = nodes[segment.end_node];
    *out_dx = e.x - px;
    *out_dy = e.y - py;
  }
}

// ---- angles and arc centres ----

double bearing_angle(double dx, double dy) {
  double d = std::sqrt(dx * dx + dy * dy);
  if (d < 1e-20) d = 1e-10;
  const double c = std::clamp(dx / d, -1.0, 1.0);
  const double s = std::clamp(dy / d, -1.0, 1.0);
  const double a = std::acos(s);
  return c >= 0.0 ? a : CONTOUR_TWO_PI - a;
}

void arc_centre_from_chord(double x1, double y1, double x2, double y2, double reference_x,
                           double reference_y, double radius, double* out_cx, double* out_cy) {
  const double dx = x2 - x1;
  const double dy = y2 - y1;
  double h = std::sqrt(dx * dx + dy * dy);
  const double mx = (x1 + x2) * 0.5;
  const double my = (y1 + y2) * 0.5;
  const double o = std::sqrt(std::max(radius * radius - h * h * 0.25, 0.0));
  if (h < 1e-20) h = 1e-20;
  const double f = o / h;
  const double ax = mx + f * dy, ay = my - f * dx;  // right of P1->P2
  const double bx = mx - f * dy, by = my + f * dx;  // left of P1->P2
  const double da = std::hypot(ax - reference_x, ay - reference_y);
  const double db = std::hypot(bx - reference_x, by - reference_y);
  if (db <= da) {
    *out_cx = bx;
    *out_cy = by;
  } else {
    *out_cx = ax;
    *out_cy = ay;
  }
}

void fit_arc_centre_to_chord(double x1, double y1, double x2, double y2, double centre_x,
                             double centre_y, double radius, double* out_cx, double* out_cy) {
  const double dx = x2 - x1;
  const double dy = y2 - y1;
  const double h2 = dx * dx + dy * dy;
  // The distance from the chord moves by radius / distance times an error of the radius: up to a
  // doubling (a sweep up to 120 degrees) the radius rules.
  const double distance2 = radius * radius - h2 * 0.25;
  if (h2 < 1e-40 || distance2 >= radius * radius * 0.25) {
    arc_centre_from_chord(x1, y1, x2, y2, centre_x, centre_y, radius, out_cx, out_cy);
    return;
  }
  const double mx = (x1 + x2) * 0.5;
  const double my = (y1 + y2) * 0.5;
  // Along the bisector (the chord's normal) by the known centre's own distance.
  const double t = ((centre_x - mx) * -dy + (centre_y - my) * dx) / h2;
  *out_cx = mx - t * dy;
  *out_cy = my + t * dx;
}

bool strictly_between(double a, double b, double c) { return (a < b && b < c) || (c < b && b < a); }

void arc_parameters_of_angles(double bearing1, double bearing2, double start_bearing,
                              double end_bearing, int32_t direction, double* out_t1,
                              double* out_t2) {
  double s = start_bearing;
  double e = end_bearing;
  const double lower = direction == CONTOUR_CLOCKWISE ? s : e;
  if (direction == CONTOUR_CLOCKWISE) {
    if (e < s) e += CONTOUR_TWO_PI;
  } else {
    if (s < e) s += CONTOUR_TWO_PI;
  }
  if (bearing1 < lower) bearing1 += CONTOUR_TWO_PI;
  if (bearing2 < lower) bearing2 += CONTOUR_TWO_PI;
  if (std::fabs(s - e) < 1e-9) e = s + 1e-6;
  *out_t1 = (bearing1 - s) / (e - s);
  *out_t2 = (bearing2 - s) / (e - s);
}

double joint_angle(const ContourLink* links, const ContourNode* nodes, int32_t i, int32_t j) {
  const ContourNode& joint = nodes[links[i].end_node];
  double ax, ay, bx, by;
  backward_direction_at_end(links[i], nodes, &ax, &ay);
  forward_direction_from(links[j], nodes, joint.x, joint.y, &bx, &by);
  const double lengths = std::hypot(ax, ay) * std::hypot(bx, by);
  if (lengths < 1e-20) return CONTOUR_PI;
  const double t = std::acos(std::clamp((ax * bx + ay * by) / lengths, -1.0, 1.0));
  return ax * by - ay * bx > 0.0 ? CONTOUR_TWO_PI - t : t;
}

// ---- whole contours ----

// Twice the enclosed area would do, but the real area keeps the arc terms readable:
// positive for a counter-clockwise contour. Only breaks the tie of contour_orientation.
static double contour_signed_area(const ContourLink* links, const ContourNode* nodes, int32_t first,
                                  int32_t last) {
  double area = 0.0;
  for (int32_t k = first; k <= last; ++k) {
    const ContourLink& l = links[k];
    const ContourNode& s = nodes[l.start_node];
    const ContourNode& e = nodes[l.end_node];
    area += 0.5 * (s.x * e.y - e.x * s.y);
    if (l.kind == SEGMENT_ARC && l.radius > 0.0) {
      const double sweep = arc_sweep(l, nodes);
      const double bulge = 0.5 * l.radius * l.radius * (sweep - std::sin(sweep));
      area += l.direction == CONTOUR_CLOCKWISE ? -bulge : bulge;
    }
  }
  return area;
}

int32_t contour_orientation(const ContourLink* links, const ContourNode* nodes, int32_t first,
                            int32_t last) {
  double best_x = -9e12;
  int32_t best = -1;
  bool best_is_arc = false;
  for (int32_t k = first; k <= last; ++k) {
    const ContourLink& l = links[k];
    if (nodes[l.start_node].x > best_x) {
      best_x = nodes[l.start_node].x;
      best = k;
      best_is_arc = false;
    }
    if (l.kind != SEGMENT_ARC) continue;
    double s, e;
    arc_end_bearings(l, nodes, &s, &e);
    normalise_arc_bearings(l.direction, &s, &e);
    const double rightmost = nodes[l.centre_node].x + l.radius;
    const bool passes_right =
        strictly_between(s, CONTOUR_PI * 0.5, e) || strictly_between(s, CONTOUR_PI * 2.5, e);
    if (passes_right && rightmost > best_x) {
      best_x = rightmost;
      best = k;
      best_is_arc = true;
    }
  }
  if (best < 0) return CONTOUR_COUNTER_CLOCKWISE;
  if (best_is_arc) return links[best].direction;

  const int32_t previous = best == first ? last : best - 1;
  const ContourNode& node = nodes[links[best].start_node];
  double ix, iy, ox, oy;
  backward_direction_at_end(links[previous], nodes, &ix, &iy);
  forward_direction_from(links[best], nodes, node.x, node.y, &ox, &oy);
  double r = bearing_angle(ix, iy);
  double o = bearing_angle(ox, oy);
  if (r < 0.1) r += CONTOUR_TWO_PI;
  if (o < 0.1) o += CONTOUR_TWO_PI;
  if (r < o) return CONTOUR_COUNTER_CLOCKWISE;
  if (o < r) return CONTOUR_CLOCKWISE;
  // The path doubles back at its rightmost node, so the turn there says nothing: the
  // enclosed area decides.
  return contour_signed_area(links, nodes, first, last) >= 0.0 ? CONTOUR_COUNTER_CLOCKWISE
                                                               : CONTOUR_CLOCKWISE;
}

double contour_length(const ContourLink* links, const ContourNode* nodes, int32_t first,
                      int32_t last) {
  double length = 0.0;
  for (int32_t k = first; k <= last; ++k) length += segment_length(links[k], nodes);
  return length;
}

void point_at_contour_parameter(const ContourLink* links, const ContourNode* nodes, double* out_x,
                                double* out_y, double u) {
  const int32_t i = static_cast<int32_t>(u);  // truncates towards zero
  const double f = u - i;
  const ContourLink& l = links[i];
  if (l.kind == SEGMENT_ARC) {
    double s, e;
    arc_end_bearings(l, nodes, &s, &e);
    normalise_arc_bearings(l.direction, &s, &e);
    double b = (1.0 - f) * s + f * e;
    if (b > CONTOUR_TWO_PI) b -= CONTOUR_TWO_PI;
    const ContourNode& c = nodes[l.centre_node];
    point_at_bearing(c.x, c.y, l.radius, b, out_x, out_y);
    return;
  }
  const ContourNode& s = nodes[l.start_node];
  const ContourNode& e = nodes[l.end_node];
  *out_x = (1.0 - f) * s.x + f * e.x;
  *out_y = (1.0 - f) * s.y + f * e.y;
}

// The segment running the other way: ends swapped, an arc's direction flipped.
static ContourLink reversed_segment(const ContourLink& segment) {
  ContourLink r = segment;
  std::swap(r.start_node, r.end_node);
  if (r.kind == SEGMENT_ARC) r.direction = 1 - r.direction;
  return r;
}

void reverse_contour(ContourLink* links, int32_t first, int32_t last) {
  for (int32_t i = first; i <= (first + last) / 2; ++i) {
    const int32_t j = first + last - i;
    const ContourLink into_i = reversed_segment(links[j]);
    const ContourLink into_j = reversed_segment(links[i]);
    links[i] = into_i;
    links[j] = into_j;
  }
}

// ---- distances ----

double distance_to_contours(const ContourLink* links, const ContourNode* nodes, int32_t first,
                            int32_t last, const int32_t* island_firsts, const int32_t* island_lasts,
                            int32_t island_count, double x, double y) {
  double best = CONTOUR_NO_DISTANCE;
  auto scan = [&](int32_t from, int32_t to) {
    for (int32_t k = from; k <= to; ++k) {
      best = std::min(best, distance_to_segment(x, y, links[k], nodes, best * 1.001));
    }
  };
  scan(first, last);
  for (int32_t i = 0; i < island_count; ++i) scan(island_firsts[i], island_lasts[i]);
  return best;
}

static double distance_to_nearer_end(double x, double y, const ContourNode& s,
                                     const ContourNode& e) {
  return std::min(std::hypot(x - s.x, y - s.y), std::hypot(x - e.x, y - e.y));
}

double distance_to_segment(double x, double y, const ContourLink& segment, const ContourNode* nodes,
                           double band) {
  if (band > 0.0) {
    // Beyond the band round the bounding circle: compared squared, no root needed.
    const double bx = x - segment.bound_x, by = y - segment.bound_y;
    const double reach = band + segment.bound_radius;
    if (bx * bx + by * by > reach * reach) return CONTOUR_FAR_DISTANCE;
  }
  const ContourNode& s = nodes[segment.start_node];
  const ContourNode& e = nodes[segment.end_node];
  if (segment.kind == SEGMENT_ARC) {
    double sb, eb;
    arc_end_bearings(segment, nodes, &sb, &eb);
    const ContourNode& c = nodes[segment.centre_node];
    double p = bearing_angle(x - c.x, y - c.y);
    if (segment.direction == CONTOUR_CLOCKWISE) {
      if (eb < sb) eb += CONTOUR_TWO_PI;
      if (p < sb) p += CONTOUR_TWO_PI;
    } else {
      if (sb < eb) sb += CONTOUR_TWO_PI;
      if (p < eb) p += CONTOUR_TWO_PI;
    }
    if (!strictly_between(sb, p, eb)) return distance_to_nearer_end(x, y, s, e);
    double fx, fy;
    point_at_bearing(c.x, c.y, segment.radius, p, &fx, &fy);
    return std::hypot(x - fx, y - fy);
  }
  const double dx = e.x - s.x;
  const double dy = e.y - s.y;
  const double length2 = dx * dx + dy * dy;
  if (length2 <= 0.0) return distance_to_nearer_end(x, y, s, e);
  const double along = ((x - s.x) * dx + (y - s.y) * dy) / length2;
  const double fx = s.x + along * dx;
  const double fy = s.y + along * dy;
  const double t = std::fabs(dx) > std::fabs(dy) ? (fx - s.x) / dx : (fy - s.y) / dy;
  if (t > 0.0 && t < 1.0) return std::hypot(x - fx, y - fy);
  return distance_to_nearer_end(x, y, s, e);
}

// ---- single segments ----

int32_t segments_mergeable(const ContourLink& a, const ContourLink& b, const ContourNode* nodes) {
  if (a.kind == SEGMENT_LINE && b.kind == SEGMENT_LINE) {
    const double d1x = nodes[a.end_node].x - nodes[a.start_node].x;
    const double d1y = nodes[a.end_node].y - nodes[a.start_node].y;
    const double d2x = nodes[b.end_node].x - nodes[b.start_node].x;
    const double d2y = nodes[b.end_node].y - nodes[b.start_node].y;
    const double lengths = std::hypot(d1x, d1y) * std::hypot(d2x, d2y);
    if (lengths < 1e-20) return 1;
    return std::fabs(d1x * d2y - d1y * d2x) / lengths < 5e-6 ? 1 : 0;
  }
  if (a.kind == SEGMENT_ARC && b.kind == SEGMENT_ARC && a.direction == b.direction) {
    const double m = std::max(a.radius, b.radius);
    if (!(m > 0.0)) return 0;
    const ContourNode& ca = nodes[a.centre_node];
    const ContourNode& cb = nodes[b.centre_node];
    const bool same_radius = std::fabs(a.radius - b.radius) / m < 2e-5;
    const bool same_centre = std::hypot(ca.x - cb.x, ca.y - cb.y) / m < 2e-5;
    return same_radius && same_centre ? 1 : 0;
  }
  return 0;
}

double segment_bounding_circle(ContourLink* segment, const ContourNode* nodes) {
  const ContourNode& s = nodes[segment->start_node];
  const ContourNode& e = nodes[segment->end_node];
  const double dx = e.x - s.x;
  const double dy = e.y - s.y;
  double radius = 0.0;
  if (segment->kind == SEGMENT_CIRCLE) {
    // Only a point link of the engine comes here as this kind: it has no extent.
    segment->bound_x = nodes[segment->centre_node].x;
    segment->bound_y = nodes[segment->centre_node].y;
  } else if (segment->kind == SEGMENT_ARC && arc_sweep(*segment, nodes) > CONTOUR_PI) {
    segment->bound_x = nodes[segment->centre_node].x;
    segment->bound_y = nodes[segment->centre_node].y;
    radius = segment->radius;
  } else if (segment->kind == SEGMENT_ARC || dx * dx + dy * dy >= 1e-12) {
    segment->bound_x = (s.x + e.x) * 0.5;
    segment->bound_y = (s.y + e.y) * 0.5;
    radius = 0.5 * std::sqrt(dx * dx + dy * dy);
  }
  segment->bound_radius = radius;
  return radius;
}

double segment_length(const ContourLink& segment, const ContourNode* nodes) {
  if (segment.kind == SEGMENT_ARC) return arc_sweep(segment, nodes) * segment.radius;
  const double dx = nodes[segment.end_node].x - nodes[segment.start_node].x;
  const double dy = nodes[segment.end_node].y - nodes[segment.start_node].y;
  if (std::fabs(dx) < 1e-10 && std::fabs(dy) < 1e-10) return 1e-6;
  return std::sqrt(dx * dx + dy * dy);
}

void segment_midpoint(const ContourLink& segment, const ContourNode* nodes, double* out_x,
                      double* out_y) {
  const ContourNode& s = nodes[segment.start_node];
  const ContourNode& e = nodes[segment.end_node];
  if (segment.kind != SEGMENT_ARC) {
    *out_x = (s.x + e.x) * 0.5;
    *out_y = (s.y + e.y) * 0.5;
    return;
  }
  double sb, eb;
  arc_end_bearings(segment, nodes, &sb, &eb);
  normalise_arc_bearings(segment.direction, &sb, &eb);
  double m = (sb + eb) * 0.5;
  if (m > CONTOUR_TWO_PI) m -= CONTOUR_TWO_PI;
  const ContourNode& c = nodes[segment.centre_node];
  point_at_bearing(c.x, c.y, segment.radius, m, out_x, out_y);
}

void segment_end_points(const ContourLink& segment, const ContourNode* nodes, double* out_start_x,
                        double* out_end_x, double* out_centre_x, double* out_start_y,
                        double* out_end_y, double* out_centre_y) {
  *out_start_x = nodes[segment.start_node].x;
  *out_start_y = nodes[segment.start_node].y;
  *out_end_x = nodes[segment.end_node].x;
  *out_end_y = nodes[segment.end_node].y;
  if (segment.kind == SEGMENT_ARC) {
    *out_centre_x = nodes[segment.centre_node].x;
    *out_centre_y = nodes[segment.centre_node].y;
  }
}

void copy_segment(ContourLink* destination, const ContourLink& source, int32_t with_bounds) {
  destination->kind = source.kind;
  if (source.kind == SEGMENT_LINE) {
    destination->start_node = source.start_node;
    destination->end_node = source.end_node;
  } else if (source.kind == SEGMENT_ARC) {
    destination->start_node = source.start_node;
    destination->end_node = source.end_node;
    destination->centre_node = source.centre_node;
    destination->direction = source.direction;
    destination->radius = source.radius;
  } else {
    destination->centre_node = source.centre_node;
    destination->radius = source.radius;
  }
  if (with_bounds == 1 && source.kind != SEGMENT_CIRCLE) {
    destination->bound_radius = source.bound_radius;
    destination->bound_x = source.bound_x;
    destination->bound_y = source.bound_y;
  }
}

void copy_segment_reversed(ContourLink* destination, const ContourLink& source) {
  destination->kind = source.kind;
  destination->start_node = source.end_node;
  destination->end_node = source.start_node;
  if (source.kind != SEGMENT_LINE) {
    destination->centre_node = source.centre_node;
    destination->radius = source.radius;
    destination->direction = 1 - source.direction;
  }
  destination->bound_radius = source.bound_radius;
  destination->bound_x = source.bound_x;
  destination->bound_y = source.bound_y;
}

// ---- swept outline ----

// Writes one counter-clockwise (or clockwise) arc of the outline.
static void put_outline_arc(ContourLink* link, int32_t start, int32_t end, int32_t centre,
                            double radius, int32_t direction) {
  *link = ContourLink{};
  link->kind = SEGMENT_ARC;
  link->start_node = start;
  link->end_node = end;
  link->centre_node = centre;
  link->radius = radius;
  link->direction = direction;
}

static void put_outline_line(ContourLink* link, int32_t start, int32_t end) {
  *link = ContourLink{};
  link->kind = SEGMENT_LINE;
  link->start_node = start;
  link->end_node = end;
}

void segment_swept_outline(const ContourLink& segment, const ContourNode* nodes,
                           ContourLink* out_links, int32_t first_out_link, ContourNode* out_nodes,
                           int32_t first_out_node, int32_t* out_link_count, int32_t* out_node_count,
                           double tool_radius) {
  const double r = tool_radius;
  const ContourNode s = nodes[segment.start_node];
  const ContourNode e = nodes[segment.end_node];
  ContourNode* n = out_nodes + first_out_node;
  ContourLink* l = out_links + first_out_link;
  const int32_t b = first_out_node;  // node numbers in the links are absolute
  const int32_t ccw = CONTOUR_COUNTER_CLOCKWISE;

  if (std::fabs(s.x - e.x) < 0.001 * r && std::fabs(s.y - e.y) < 0.001 * r) {
    // Too short to have sides: the tool just sweeps its own circle.
    n[0] = {s.x - r * std::cos(1.0), s.y + r * std::sin(1.0)};
    n[1] = {s.x + r * std::cos(1.0), s.y - r * std::sin(1.0)};
    n[2] = s;
    put_outline_arc(&l[0], b + 0, b + 1, b + 2, r, ccw);
    put_outline_arc(&l[1], b + 1, b + 0, b + 2, r, ccw);
    *out_link_count = 2;
    *out_node_count = 3;
  } else if (segment.kind != SEGMENT_ARC) {
    double length = std::hypot(e.x - s.x, e.y - s.y);
    if (length < 1e-20) length = 0.001;
    const double ux = (e.x - s.x) / length, uy = (e.y - s.y) / length;
    const double nx = -uy, ny = ux;
    n[0] = {s.x + r * nx, s.y + r * ny};
    n[1] = {s.x - r * nx, s.y - r * ny};
    n[2] = {e.x + r * nx, e.y + r * ny};
    n[3] = {e.x - r * nx, e.y - r * ny};
    n[4] = s;
    n[5] = e;
    put_outline_arc(&l[0], b + 0, b + 1, b + 4, r, ccw);
    put_outline_line(&l[1], b + 1, b + 3);
    put_outline_arc(&l[2], b + 3, b + 2, b + 5, r, ccw);
    put_outline_line(&l[3], b + 2, b + 0);
    *out_link_count = 4;
    *out_node_count = 6;
  } else {
    const double big = segment.radius;
    const ContourNode c = nodes[segment.centre_node];
    // Work on the arc as if it ran clockwise from s2 to e2.
    const bool clockwise = segment.direction == CONTOUR_CLOCKWISE;
    const ContourNode s2 = clockwise ? s : e;
    const ContourNode e2 = clockwise ? e : s;
    const double nsx = (s2.x - c.x) / big, nsy = (s2.y - c.y) / big;
    const double nex = (e2.x - c.x) / big, ney = (e2.y - c.y) / big;
    n[0] = {s2.x + r * nsx, s2.y + r * nsy};
    n[1] = {e2.x + r * nex, e2.y + r * ney};
    n[2] = s2;
    n[3] = e2;
    n[4] = c;
    if (big * 1e-5 >= big - r) {
      // The tool fills the arc's inside: the two end circles meet on the centre's side.
      double mx, my;
      segment_midpoint(segment, nodes, &mx, &my);
      const double h = std::hypot(s2.x - e2.x, s2.y - e2.y);
      const double g = big - std::sqrt(std::max(big * big - h * h * 0.25, 0.0));
      const double w = std::sqrt(std::max(r * r - h * h * 0.25, 0.0));
      n[5] = {mx - (mx - c.x) * (w + g) / big, my - (my - c.y) * (w + g) / big};
      put_outline_arc(&l[0], b + 1, b + 0, b + 4, big + r, ccw);
      put_outline_arc(&l[1], b + 0, b + 5, b + 2, r, ccw);
      put_outline_arc(&l[2], b + 5, b + 1, b + 3, r, ccw);
      *out_link_count = 3;
      *out_node_count = 6;
    } else {
      n[5] = {e2.x - r * nex, e2.y - r * ney};
      n[6] = {s2.x - r * nsx, s2.y - r * nsy};
      put_outline_arc(&l[0], b + 1, b + 0, b + 4, big + r, ccw);
      put_outline_arc(&l[1], b + 0, b + 6, b + 2, r, ccw);
      put_outline_arc(&l[2], b + 6, b + 5, b + 4, big - r, CONTOUR_CLOCKWISE);
      put_outline_arc(&l[3], b + 5, b + 1, b + 3, r, ccw);
      *out_link_count = 4;
      *out_node_count = 7;
    }
  }
  for (int32_t k = 0; k < *out_link_count; ++k) segment_bounding_circle(&l[k], out_nodes);
}
