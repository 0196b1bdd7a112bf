// The work surfaces against their geometry, the surface pre-pass and the curved walk, the rotary
// words of 4th-axis surfaces, and the engraver commands of the post processor, walked over path
// code built by hand.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "nc/work_surface.h"
#include "records/preferences.h"
#include "tests/nc/post_fixture.h"

namespace {

constexpr double PI = 3.14159265358979323846;
constexpr float NO_Z = PATH_NO_Z;

void set_surface(int code, float radius = 0.0f, uint8_t side = 0, uint8_t wrap = 0) {
  g_job_settings.surface_code = static_cast<uint8_t>(code);
  g_job_settings.surface_flag = 1 << (code - 1);
  g_job_settings.surface_radius = radius;
  g_job_settings.surface_side = side;
  g_job_settings.surface_yes_no = wrap;
  surface_constants();
}

struct Mapped {
  double x, y, offset;
  bool ok;
};
Mapped map(double x, double y, double reference_z = 0.0) {
  Mapped m{x, y, 0.0, false};
  m.ok = map_surface_point(&m.x, &m.y, reference_z, &m.offset);
  return m;
}

class SurfaceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    g_job_settings = JobSettings{};
    reset_work_surface();
  }
};

TEST_F(SurfaceTest, PointsLandWhereTheSurfacesGeometrySaysTheyDo) {
  struct Case {
    const char* what;
    int code;
    float radius;
    uint8_t side, wrap, choice;
    float angle, slope;
    double x, y;
    double want_x, want_y, want_offset;
  };
  const double s1 = std::sin(1.0), c1 = std::cos(1.0);
  const Case cases[] = {
      {"wrapped sphere: a quarter round lands on the equator", 3, 2, 0, 1, 0, 0, 0, PI, 0, 2, 0, 2},
      {"wrapped sphere: farther stays on the equator", 3, 2, 0, 1, 0, 0, 0, 0, 5, 0, 2, 2},
      {"projected sphere, hollow", 3, 1, 0, 0, 0, 0, 0, 0.6, 0, 0.6, 0, 0.2},
      {"projected sphere, dome", 3, 1, 1, 0, 0, 0, 0, 0.6, 0, 0.6, 0, -0.2},
      {"wrapped cylinder, one radius round", 4, 1, 0, 1, 0, 0, 0, 3, 1, 3, s1, 1 - c1},
      {"wrapped cylinder, the other way", 4, 1, 0, 1, 0, 0, 0, 3, -1, 3, -s1, 1 - c1},
      {"sloping plane: up the slope", 2, 0, 0, 0, 0, 0.1f, static_cast<float>(PI / 2), 1, 0, 1, 0,
       std::tan(0.1)},
      {"sloping plane: across the slope", 2, 0, 0, 0, 0, 0.1f, static_cast<float>(PI / 2), 0, 1, 0,
       1, 0},
      {"projected vertical cone", 6, 1, 1, 0, 0, static_cast<float>(PI / 4), 0, 3, 4, 3, 4, -5},
  };
  for (const Case& c : cases) {
    SetUp();
    g_job_settings.surface_choice = c.choice;
    g_job_settings.surface_angle = c.angle;
    g_job_settings.slope_angle = c.slope;
    set_surface(c.code, c.radius, c.side, c.wrap);
    const Mapped m = map(c.x, c.y);
    ASSERT_TRUE(m.ok) << c.what;
    EXPECT_NEAR(m.x, c.want_x, 1e-5) << c.what;
    EXPECT_NEAR(m.y, c.want_y, 1e-5) << c.what;
    EXPECT_NEAR(m.offset, c.want_offset, 1e-5) << c.what;
  }
}

TEST_F(SurfaceTest, EllipseLengthsAndTheirInverse) {
  EXPECT_NEAR(ellipse_arc_length(1, 1, PI / 2), PI / 2, 1e-6);
  EXPECT_NEAR(ellipse_angle_for_length(1, 1, PI / 4, ellipse_angle_guess(1, 1, PI / 4)), PI / 4,
              1e-4);
  EXPECT_NEAR(ellipse_angle_for_length(1, 1, -PI / 4, ellipse_angle_guess(1, 1, -PI / 4)),
              -PI / 4, 1e-4);
  // On a real ellipse the angle found gives back the length asked for.
  const double t = ellipse_angle_for_length(2, 0.5, 1.3, ellipse_angle_guess(2, 0.5, 1.3));
  EXPECT_NEAR(ellipse_arc_length(2, 0.5, t), 1.3, 1e-4);
}

// A cut on the oval lies its own depth below the oval's surface, on both sides, never twice it.
TEST_F(SurfaceTest, ACutOnTheOvalLiesAtItsDepthBelowTheSurface) {
  for (uint8_t side : {0, 1}) {
    SetUp();
    g_job_settings.surface_length_4 = 1.0f;
    g_job_settings.surface_length_3 = 0.5f;
    set_surface(SURFACE_OVAL, 2.0f, side);
    const Mapped surface = map(0.4, 0.3, 0.0);
    const Mapped cut = map(0.4, 0.3, -0.1);
    ASSERT_TRUE(surface.ok && cut.ok);
    EXPECT_NEAR((-0.1 + cut.offset) - (0.0 + surface.offset), -0.1, 1e-9) << int(side);
  }
}

TEST_F(SurfaceTest, ATubePointAtTheRingRadiusIsPulledInAndTold) {
  g_job_settings.surface_length_4 = 0.5f;
  set_surface(SURFACE_TORUS_TUBE, 2.0f);
  EXPECT_TRUE(map(0.3, 2.5).ok);
  EXPECT_TRUE(g_surface_run.tube_point_pulled);
}

// What would divide by zero is refused with the setting or the point named, never NaN.
TEST_F(SurfaceTest, DivisionsByZeroAreRefusedByName) {
  g_job_settings.surface_angle = static_cast<float>(PI / 4);
  set_surface(SURFACE_HORIZONTAL_CONE, 5.0f);
  EXPECT_NE(surface_settings_problem().find("half-angle of 45"), std::string::npos);

  g_job_settings.surface_angle = 1e-12f;
  set_surface(SURFACE_VERTICAL_CONE, 5.0f);
  EXPECT_NE(surface_settings_problem().find("makes no cone"), std::string::npos);

  // The apex of a horizontal cone: X = R / sin(alpha).
  g_job_settings.surface_angle = 0.3f;
  set_surface(SURFACE_HORIZONTAL_CONE, 1.0f);
  EXPECT_TRUE(surface_settings_problem().empty());
  const Mapped apex = map(1.0 / std::sin(0.3), 0.25);
  EXPECT_FALSE(apex.ok);
  EXPECT_NE(g_surface_run.failure.find("apex"), std::string::npos);
  EXPECT_TRUE(map(0.5, 0.25).ok);

  // The cone on the 4th axis narrows to its apex at Y = -R / tan(alpha).
  set_surface(SURFACE_CONE_4TH_AXIS, 1.0f);
  double offset = 0.0;
  bool ok = true;
  cone_angle_at(0.5, -1.0 / std::tan(0.3), &offset, &ok);
  EXPECT_FALSE(ok);
}

// ---- the post processor on surfaces --------------------------------------------------------------

class PostSurfaceTest : public PostFixture {
 protected:
  void SetUp() override {
    PostFixture::SetUp();
    reset_work_surface();
    g_preferences.surface_clearance = 0.05f;
  }
  // The value of a word in a line; NAN when the line has none.
  static double word(const std::string& line, char letter) {
    const size_t at = line.find(letter);
    return at == std::string::npos ? NAN : std::stod(line.substr(at + 1));
  }
};

TEST_F(PostSurfaceTest, ThePrePassAddsTheSurfaceToEveryZ) {
  set_surface(SURFACE_SPHERE, 2.0f);
  start_at(1, 0);
  op('1', {1.2f, 0, -0.1f});
  ASSERT_EQ(run(), POST_DONE) << g_post_run.failure;
  const std::vector<std::string> lines = nc_program_lines();
  ASSERT_FALSE(lines.empty());
  const double depth = 2 - std::sqrt(4 - 1.2 * 1.2);
  EXPECT_NEAR(word(lines.back(), 'Z'), -0.1 + depth, 1e-4) << lines.back();
}

TEST_F(PostSurfaceTest, WhatACurvedSurfaceCanNotTakeStopsTheRunWithAReason) {
  set_surface(SURFACE_SPHERE, 2.0f);
  start_at(0, 0);
  op('W');
  EXPECT_EQ(run(), POST_FAILED);
  EXPECT_NE(g_post_run.failure.find("second cutting head"), std::string::npos);
  restart();
  set_surface(SURFACE_SPHERE, 2.0f);
  start_at(0, 0);
  op('2', {1, 1, 0.5f, 0.5f});
  EXPECT_EQ(run(), POST_FAILED);
  EXPECT_NE(g_post_run.failure.find("arc"), std::string::npos);
}

// A retract before a rapid over a convex surface rises over its highest point under the rapid.
TEST_F(PostSurfaceTest, RetractsOverConvexSurfacesClearTheirTop) {
  struct Case {
    const char* what;
    int code;
    float x1, y1, x2, y2;
    double top;
  };
  const Case cases[] = {
      {"across a cylinder's axis", SURFACE_CYLINDER, 0, -0.9f, 0, 0.9f, 0.0},
      {"over a dome's top", SURFACE_SPHERE, -0.9f, 0.1f, 0.9f, 0.1f,
       -(1 - std::sqrt(1 - 0.01))},
  };
  for (const Case& c : cases) {
    restart();
    set_surface(c.code, 1.0f, 1);
    start_at(c.x1, c.y1, -0.02f, 0.01f);
    op('z', {0.01f});
    op('0', {c.x2, c.y2, 0.01f});
    op('Z', {-0.02f});
    ASSERT_EQ(run(), POST_DONE) << c.what << ": " << g_post_run.failure;
    double highest = -1e9;
    for (const std::string& line : nc_program_lines())
      if (line.rfind("G00Z", 0) == 0) highest = std::max(highest, word(line, 'Z'));
    EXPECT_GE(highest, c.top + 0.05 - 1e-4) << c.what;
  }
}

TEST_F(PostSurfaceTest, RotaryWordsTurnTheWrappedAxis) {
  set_surface(SURFACE_CYLINDER_4TH_AXIS, 1.0f);
  g_job_settings.controller = 3;
  op_byte('S', 0, {10, 10, 5000});
  start_at(0, 0);
  op('1', {0.5f, 0, -0.1f});
  op('1', {0.25f, 0, -0.1f});
  ASSERT_EQ(run(), POST_DONE) << g_post_run.failure;
  const std::vector<std::string> lines = nc_program_lines();
  ASSERT_GE(lines.size(), 2u);
  EXPECT_NE(lines[lines.size() - 2].find("A28.648M16"), std::string::npos) << lines[lines.size() - 2];
  EXPECT_NE(lines.back().find("A14.324M15"), std::string::npos) << lines.back();
  // The feed of a turning move is in degrees per minute: 14.324 degrees over 0.25 at 10 per min.
  EXPECT_NEAR(word(lines.back(), 'F'), 14.324 / 0.025, 0.5) << lines.back();
  // The linear X axis stays at 0: the work turns instead.
  for (const std::string& line : lines) {
    if (line.find('X') == std::string::npos) continue;
    EXPECT_EQ(word(line, 'X'), 0.0) << line;
  }
}

// ---- engraver commands -----------------------------------------------------------------------------

TEST_F(PostSurfaceTest, EngraverMovesArePenCommandsAndNeverGWords) {
  def_.output_kind = PP_OUTPUT_VELKOR;
  def_.coordinate_mode = PP_COORDS_INCREMENTAL_XYZ;  // engravers take absolute commands only
  op_byte('S', 0, {30, 15, 5000});
  start_at(1, 1);
  op('1', {2, 1, -0.1f});
  op('V', {2, 2, -0.2f});
  op('z', {0.1f});
  op('0', {3, 3, 0.1f});
  ASSERT_EQ(run(), POST_DONE) << g_post_run.failure;
  const std::vector<std::string> want = {"PU1000,1000;", "PD2000,1000;", "PZ2000,2000,200;",
                                         "PU3000,3000;"};
  EXPECT_EQ(nc_program_lines(), want);
}

TEST_F(PostSurfaceTest, EngraverDrillingPecksToItsDepth) {
  struct Case {
    const char* what;
    uint8_t cycle;
    float peck;
    std::vector<std::string> want;
  };
  const Case cases[] = {
      {"peck 0.1 to 0.25", '3', 0.1f,
       {"PU0,0;", "ZD100;", "PD;", "PU;", "ZD200;", "PD;", "PU;", "ZD250;", "PD;", "PU;"}},
      {"a peck step of 0 drills plainly", '3', 0.0f, {"PU0,0;", "ZD250;", "PD;", "PU;"}},
      {"drill", '1', 0.1f, {"PU0,0;", "ZD250;", "PD;", "PU;"}},
  };
  for (const Case& c : cases) {
    restart();
    def_.output_kind = PP_OUTPUT_VELKOR;
    op('A', {-0.25f, 0, 0, NO_Z});
    op('d', {0.1f});
    op_byte('u', c.cycle, {0, 0, -0.25f, 0.1f, c.peck, 5, 0});
    ASSERT_EQ(run(), POST_DONE) << c.what;
    EXPECT_EQ(nc_program_lines(), c.want) << c.what;
  }
}

TEST_F(PostSurfaceTest, EngraverOnTheSideOfALatheCylinderMovesInThreeDimensions) {
  def_.output_kind = PP_OUTPUT_VELKOR;
  set_surface(SURFACE_LATHE_SIDE, 1.0f);
  start_at(1, 2);
  op('1', {3, 2, -0.1f});
  ASSERT_EQ(run(), POST_DONE);
  const std::vector<std::string> want = {"PZ0,1000,-2000;", "PZ0,3000,-2000;"};
  EXPECT_EQ(nc_program_lines(), want);
}

TEST_F(PostSurfaceTest, ProofRunsOnCurvedAndRotarySurfacesWriteRecords) {
  for (int code : {SURFACE_SPHERE, SURFACE_CYLINDER_4TH_AXIS}) {
    restart();
    set_surface(code, 2.0f);
    g_proof.run_level = 1;
    start_at(0.5f, 0);
    op('1', {1, 0, -0.1f});
    EXPECT_EQ(run(), POST_PROOF_DONE) << code << ": " << g_post_run.failure;
    std::vector<ProofRecord> records;
    ASSERT_TRUE(read_proof_file(proof_file_path(), &records));
    bool cut = false;
    for (const ProofRecord& r : records) cut = cut || r.kind == '1';
    EXPECT_TRUE(cut) << code;
    g_proof.run_level = 0;
  }
}

}  // namespace
