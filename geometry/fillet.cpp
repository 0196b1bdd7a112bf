// Fillet arcs of a given radius between two lines, a line and an arc, and two arcs.
#include <cmath>
#include <cstring>

#include "geometry/construct.h"
#include "geometry/geometry2d.h"
#include "geometry/geometry2d_internal.h"

// Two directions agree when they differ by at most this (radians), modulo 2 pi.
static constexpr double FILLET_TANGENT_SLACK = 0.01;
// A fillet point this close in direction to a line's own direction lies beyond its far end.
static constexpr double FILLET_BEYOND_END_SLACK = 0.02;
// The double-root tolerance of the quadratic solver at rest and during a line-and-arc search.
static constexpr double ROOT_TOLERANCE_DEFAULT = 1e-8;
static constexpr double ROOT_TOLERANCE_FILLET = 1e-4;

static bool is_line(const LinkRecord* link) { return !code_is_arc(link->code); }

static bool directions_agree(double a, double b) {
  constexpr double LIMIT = 6.2731853;  // 2 pi less the slack: a difference near 2 pi agrees too
  double d = a - b;
  while (d > LIMIT) d -= ANGLE_TWO_PI;
  while (d < -LIMIT) d += ANGLE_TWO_PI;
  return std::fabs(d) <= FILLET_TANGENT_SLACK;
}

// ---- two lines ----

// Places the fillet of two crossing lines; -1 when the half angle vanishes.
static int fillet_at_corner(LinkRecord* fillet, const PointF& corner, double alpha, double beta) {
  const double h = std::fabs(alpha - beta);
  double half = h / 2.0;
  double bisector = std::fmin(alpha, beta) + half;
  if (h >= ANGLE_PI) {
    bisector -= ANGLE_PI;
    half = (ANGLE_TWO_PI - h) / 2.0;
  }
  if (half == 0.0) return FILLET_IMPOSSIBLE;
  const double v = fillet->code / std::sin(half);
  const double along = v * std::cos(half);
  polar_point(&corner, along, alpha, &fillet[0].point);
  polar_point(&corner, along, beta, &fillet[1].point);
  polar_point(&corner, v, bisector, &fillet->centre);
  return FILLET_OK;
}

// Half circle across two parallel lines; the second line's start node moves onto the
// perpendicular from the first line's end. Returns -1 when the lines are (nearly) one line.
static int fillet_across_parallel(LinkRecord* line1, LinkRecord* line2, LinkRecord* fillet,
                                  double alpha, double* out_across) {
  const PointF q = next_point(line1);
  const double d = point_line_distance(&q, line2);
  if (d <= 0.0001) return FILLET_IMPOSSIBLE;
  fillet->code = static_cast<float>(d / 2.0);
  double across = alpha + ANGLE_PI / 2;
  if (across >= ANGLE_TWO_PI) across -= ANGLE_TWO_PI;
  if (abs_angle_difference(across, point_angle(&q, &line2->point)) > ANGLE_PI / 2) {
    across += ANGLE_PI;
    if (across >= ANGLE_TWO_PI) across -= ANGLE_TWO_PI;
  }
  polar_point(&q, d, across, &line2->point);
  midpoint(&q, &line2->point, &fillet->centre);
  fillet[0].point = q;
  fillet[1].point = line2->point;
  *out_across = across;
  return FILLET_OK;
}

int fillet_two_lines(LinkRecord* line1, LinkRecord* line2, LinkRecord* fillet) {
  const double alpha = point_angle(&next_point(line1), &line1->point);
  const double beta = point_angle(&line2->point, &next_point(line2));
  const int meet = intersect_lines(line1, line2);
  const PointF corner = g_geometry2d.intersection.first;
  double first_side = alpha;
  int result = FILLET_OK;
  if (meet == 1 && std::fabs(alpha - beta) >= 0.00001) {
    result = fillet_at_corner(fillet, corner, alpha, beta);
  } else {
    result = fillet_across_parallel(line1, line2, fillet, alpha, &first_side);
  }
  if (result != FILLET_OK) return result;
  arc_angles_from_points(fillet);
  // A tangent point beyond a line's far end means the radius is too large for the lines.
  const double back_from_end = point_angle(&next_point(line2), &fillet[1].point);
  const double from_start = point_angle(&line1->point, &fillet[0].point);
  if (abs_angle_difference(back_from_end, beta) <= FILLET_BEYOND_END_SLACK ||
      abs_angle_difference(from_start, first_side) <= FILLET_BEYOND_END_SLACK) {
    return FILLET_TOO_LARGE;
  }
  const double travel = point_angle(&line1->point, &next_point(line1));
  if (!directions_agree(travel, arc_tangent_angle(&fillet[0].point, fillet))) {
    fillet->link_flags ^= LINK_CLOCKWISE;
    arc_angles_from_points(fillet);
  }
  return FILLET_OK;
}

// ---- fillet search over candidate centres ----

// Direction of travel of `link` at point p, where the fillet meets it. A line's direction is
// taken over the part that stays: from its start to p when it comes first, from p to its end
// when it comes second.
static double direction_at(const LinkRecord* link, const PointF* p, bool link_comes_first) {
  if (!is_line(link)) return arc_tangent_angle(p, link);
  if (link_comes_first) return point_angle(&link->point, p);
  return point_angle(p, &next_point(link));
}

// Puts the working fillet on the candidate centre; true when it meets both links tangentially.
static bool try_candidate(LinkRecord work[2], const PointF& centre, const LinkRecord* first,
                          const LinkRecord* second, int pass) {
  work[0].centre = centre;
  if (intersect_links(work, first) < 1) return false;
  work[0].point = g_geometry2d.intersection.first;
  if (intersect_links(work, second) < 1) return false;
  work[1].point = g_geometry2d.intersection.first;
  choose_arc_side(work, pass);
  if (!directions_agree(direction_at(first, &work[0].point, true),
                        arc_tangent_angle(&work[0].point, work))) {
    return false;
  }
  return directions_agree(direction_at(second, &work[1].point, false),
                          arc_tangent_angle(&work[1].point, work));
}

// Sum of the distances from a fillet centre to the two links' meeting ends.
static double meeting_distance(const PointF& centre, const LinkRecord* first,
                               const LinkRecord* second) {
  return static_cast<double>(point_distance(&centre, &next_point(first))) +
         point_distance(&centre, &second->point);
}

static void restore_tolerances() {
  g_geometry2d.circle_intersection_limit = CIRCLE_INTERSECTION_LIMIT_DEFAULT;
  g_float2d.double_root_tolerance = ROOT_TOLERANCE_DEFAULT;
}

// One pass over the candidates; true with the chosen fillet in `best`.
static bool search_pass(const PointF* candidates, int count, const LinkRecord* first,
                        const LinkRecord* second, const LinkRecord* fillet, int pass,
                        LinkRecord best[2]) {
  bool found = false;
  for (int i = 0; i < count; ++i) {
    LinkRecord work[2];
    std::memcpy(work, fillet, sizeof(work));
    if (!try_candidate(work, candidates[i], first, second, pass)) continue;
    if (!found) {
      std::memcpy(best, work, sizeof(work));
      found = true;
      continue;
    }
    // Of the first two fits, the one nearer the corner the links form.
    if (meeting_distance(work[0].centre, first, second) <
        meeting_distance(best[0].centre, first, second)) {
      std::memcpy(best, work, sizeof(work));
    }
    break;
  }
  return found;
}

static int fillet_search(const PointF* candidates, int count, const LinkRecord* first,
                         const LinkRecord* second, LinkRecord* fillet, bool line_and_arc) {
  LinkRecord best[2];
  for (int pass = 0; pass < 2; ++pass) {
    g_geometry2d.circle_intersection_limit = CIRCLE_INTERSECTION_LIMIT_FILLET;
    if (line_and_arc) g_float2d.double_root_tolerance = ROOT_TOLERANCE_FILLET;
    if (search_pass(candidates, count, first, second, fillet, pass, best)) {
      // The fillet link's next record may be an item's closing record: only its node part
      // belongs to the fillet.
      fillet[0] = best[0];
      std::memcpy(&fillet[1], &best[1], LINK_NODE_PART_SIZE);
      restore_tolerances();
      return FILLET_OK;
    }
  }
  restore_tolerances();
  return FILLET_IMPOSSIBLE;
}

int fillet_line_and_arc(const LinkRecord* line, const LinkRecord* arc, LinkRecord* fillet,
                        int order) {
  PointF candidates[8];
  const int count = fillet_centres_line_arc(fillet->code, line, arc, candidates);
  const LinkRecord* first = order == FILLET_ARC_THEN_LINE ? arc : line;
  const LinkRecord* second = order == FILLET_ARC_THEN_LINE ? line : arc;
  return fillet_search(candidates, count, first, second, fillet, true);
}

int fillet_two_arcs(const LinkRecord* arc1, const LinkRecord* arc2, LinkRecord* fillet) {
  PointF candidates[8];
  const int count = tangent_circle_centres(arc1, arc2, fillet->code, candidates);
  return fillet_search(candidates, count, arc1, arc2, fillet, false);
}
