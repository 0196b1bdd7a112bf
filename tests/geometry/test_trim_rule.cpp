// The trim and extend rule: which end of a clicked link moves, and onto which crossing with the
// boundary, for lines and arcs against line and arc boundaries in each of the three modes.
#include <gtest/gtest.h>

#include <cmath>

#include "geometry/geometry2d.h"
#include "geometry/node_surgery.h"
#include "geometry/trim_rule.h"

namespace {

constexpr float TOLERANCE = 0.01f;

struct Link {
  LinkRecord r[2] = {};
};

Link line(float x0, float y0, float x1, float y1) {
  Link l;
  l.r[0].code = LINK_FLEXIBLE_LINE;
  l.r[0].point = {x0, y0};
  l.r[1].point = {x1, y1};
  return l;
}

// A counter-clockwise arc about (cx, cy) from angle a0 to a1 (degrees).
Link arc(float cx, float cy, float radius, double a0, double a1) {
  Link l;
  const double d = 3.14159265358979 / 180.0;
  l.r[0].code = radius;
  l.r[0].centre = {cx, cy};
  l.r[0].point = {static_cast<float>(cx + radius * std::cos(a0 * d)),
                  static_cast<float>(cy + radius * std::sin(a0 * d))};
  l.r[1].point = {static_cast<float>(cx + radius * std::cos(a1 * d)),
                  static_cast<float>(cy + radius * std::sin(a1 * d))};
  arc_angles_from_points(l.r);
  return l;
}

// The pick kind the hover reports for a click on the link.
int16_t picked(const Link& l, PointF c) {
  return static_cast<int16_t>(hit_test_link(&c, l.r, 1.0f));
}

struct Case {
  const char* what;
  Link clicked;
  Link boundary;
  PointF cursor;
  int mode;
  int outcome;
  int16_t moves;  // PICK_ON_LINK_NEAR_START or _END when the outcome is a move
  PointF target;
};

TEST(TrimRule, ChoosesTheEndAndTheCrossing) {
  const Link wall = line(10, -10, 10, 10);         // the line x = 10
  const Link floor = line(-20, 0, 20, 0);          // the line y = 0
  const Link dome = arc(0, 0, 5, 0, 180);          // its circle crosses y = 0 at x = -5 and 5
  const Link quarter = arc(0, 0, 10, 0, 90);       // crosses x = 5 at (5, 8.66)
  const Link at_five = line(5, -20, 5, 20);
  const float h = 8.660254f;
  const Case cases[] = {
      {"a line short of the boundary: the near end reaches it", line(0, 0, 5, 0), wall,
       {4, 0}, TRIM_EXTEND_EITHER, TRIM_MOVE_END, PICK_ON_LINK_NEAR_END, {10, 0}},
      {"a line short of the boundary, trim only: nothing crosses", line(0, 0, 5, 0), wall,
       {4, 0}, TRIM_ONLY, TRIM_NOT_CROSSED, 0, {}},
      {"a parallel line never meets the boundary", line(0, 5, 5, 5), floor, {4, 5},
       TRIM_EXTEND_EITHER, TRIM_NOT_MET, 0, {}},
      {"a parallel line, trim only", line(0, 5, 5, 5), floor, {4, 5}, TRIM_ONLY,
       TRIM_NOT_CROSSED, 0, {}},
      {"a crossing line clicked on its long part: the short part goes", line(0, 0, 15, 0),
       wall, {2, 0}, TRIM_EXTEND_EITHER, TRIM_MOVE_END, PICK_ON_LINK_NEAR_END, {10, 0}},
      {"a crossing line clicked beyond the boundary: that part stays", line(0, 0, 15, 0), wall,
       {13, 0}, TRIM_ONLY, TRIM_MOVE_END, PICK_ON_LINK_NEAR_START, {10, 0}},
      {"a line through a circle clicked between the crossings: the nearer one",
       line(-10, 0, 10, 0), dome, {1, 0}, TRIM_EXTEND_EITHER, TRIM_MOVE_END,
       PICK_ON_LINK_NEAR_END, {5, 0}},
      {"the same clicked left of the middle", line(-10, 0, 10, 0), dome, {-1, 0},
       TRIM_EXTEND_EITHER, TRIM_MOVE_END, PICK_ON_LINK_NEAR_START, {-5, 0}},
      {"extend only on a crossed line: the end nearer the cursor moves back",
       line(0, 0, 15, 0), wall, {14, 0}, TRIM_EXTEND_ONLY, TRIM_MOVE_END,
       PICK_ON_LINK_NEAR_END, {10, 0}},
      {"extend only inside a circle: the crossing on the moving end's side",
       line(-2, 0, 2, 0), dome, {1.5f, 0}, TRIM_EXTEND_ONLY, TRIM_MOVE_END,
       PICK_ON_LINK_NEAR_END, {5, 0}},
      {"extend only inside a circle, towards the start", line(-2, 0, 2, 0), dome, {-1.5f, 0},
       TRIM_EXTEND_ONLY, TRIM_MOVE_END, PICK_ON_LINK_NEAR_START, {-5, 0}},
      {"an arc clicked before the crossing keeps its start", quarter, at_five,
       {8.660254f, 5}, TRIM_EXTEND_EITHER, TRIM_MOVE_END, PICK_ON_LINK_NEAR_END, {5, h}},
      {"an arc clicked past the crossing keeps its end", quarter, at_five, {2.588190f, 9.659258f},
       TRIM_ONLY, TRIM_MOVE_END, PICK_ON_LINK_NEAR_START, {5, h}},
      {"a line that starts on the boundary, trim only: nothing to cut", line(10, 0, 15, 0),
       wall, {14, 0}, TRIM_ONLY, TRIM_IGNORED, 0, {}},
  };
  for (const Case& c : cases) {
    const TrimDecision d = decide_trim_extend(c.clicked.r, c.boundary.r, c.cursor,
                                              picked(c.clicked, c.cursor), TOLERANCE, c.mode);
    EXPECT_EQ(d.outcome, c.outcome) << c.what;
    if (c.outcome != TRIM_MOVE_END || d.outcome != TRIM_MOVE_END) continue;
    EXPECT_EQ(d.pick_kind, c.moves) << c.what;
    EXPECT_NEAR(d.target.x, c.target.x, 1e-4) << c.what;
    EXPECT_NEAR(d.target.y, c.target.y, 1e-4) << c.what;
  }
}

// The crossing loosens the kernel's tolerance for its one call (and the circle solver sets its
// own): whatever the path, the tolerance the program had is back afterwards.
TEST(TrimRule, TheKernelToleranceComesBackOnEveryOutcome) {
  reset_float2d_state();
  const double at_rest = g_float2d.double_root_tolerance;
  const Link dome = arc(0, 0, 5, 0, 180);
  struct Case {
    const char* what;
    Link clicked;
    PointF cursor;
    int outcome;
  };
  const Case cases[] = {
      {"a line near the centre, solved by roots", line(-10, 0.1f, 10, 0.1f), {1, 0.1f},
       TRIM_MOVE_END},
      {"a line grazing the circle within the kernel's slack", line(-2, 5.000001f, 1, 5.000001f),
       {0.5f, 5}, TRIM_MOVE_END},
      {"a line well clear of the circle", line(-2, 6, 1, 6), {0.5f, 6}, TRIM_NOT_MET},
  };
  for (const Case& c : cases) {
    const TrimDecision d = decide_trim_extend(c.clicked.r, dome.r, c.cursor,
                                              picked(c.clicked, c.cursor), TOLERANCE,
                                              TRIM_EXTEND_EITHER);
    EXPECT_EQ(d.outcome, c.outcome) << c.what;
    EXPECT_EQ(g_float2d.double_root_tolerance, at_rest) << c.what;
  }
}

}  // namespace
