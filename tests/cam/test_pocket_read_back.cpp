// End to end for pockets and contours: jobs built here are saved, made into NC programs by the
// brenvik-nc tool, and read back by an outside G-code reader. A tool-disc simulation against
// the drawing checks what a machine would cut: no cut enters an island or leaves the pocket,
// the pocket is cleared at full depth, every pass depth is cut and nothing deeper, no rapid
// crosses the work below the rapid height, ramps descend at the angle asked, round islands'
// rings are arcs about their centres, and contours lie at half the tool width.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "job/job_file.h"
#include "tests/cam/gcode_reading.h"
#include "tests/cam/make_nc_fixture.h"
#include "tests/support/test_folder.h"

namespace {

namespace fs = std::filesystem;

constexpr double PI = 3.14159265358979323846;
constexpr double RAPID_HEIGHT = 0.1;
constexpr double DEPTH = 0.3;
constexpr double ROUGH_WIDTH = 0.25;
constexpr double FINISH_WIDTH = 0.125;
// The job's tolerance, the written decimals and the reader's sampling.
constexpr double SLACK = 0.004;
constexpr char MACHINE_START[] = "0,0,1";

struct RoundRect {
  double x0, y0, x1, y1, f;
};
const RoundRect POCKET{0, 0, 6, 4, 0.5};
const RoundRect ISLAND{3.5, 1.2, 5, 2.8, 0.3};
constexpr double CIRCLE_X = 1.5, CIRCLE_Y = 2, CIRCLE_R = 0.6;

// Signed distance from a point to a rounded rectangle: negative inside.
double rect_signed_distance(const RoundRect& r, double px, double py) {
  const double cx = (r.x0 + r.x1) / 2, cy = (r.y0 + r.y1) / 2;
  const double hx = (r.x1 - r.x0) / 2 - r.f, hy = (r.y1 - r.y0) / 2 - r.f;
  const double qx = std::fabs(px - cx) - hx, qy = std::fabs(py - cy) - hy;
  const double outside = std::hypot(std::max(qx, 0.0), std::max(qy, 0.0));
  return outside + std::min(std::max(qx, qy), 0.0) - r.f;
}

// Room the drawing leaves a tool centre in the pocket: the distance to the nearest wall,
// negative where the centre would stand in an island or outside the pocket.
double pocket_room(double x, double y) {
  const double wall = -rect_signed_distance(POCKET, x, y);
  const double island = rect_signed_distance(ISLAND, x, y);
  const double circle = std::hypot(x - CIRCLE_X, y - CIRCLE_Y) - CIRCLE_R;
  return std::min({wall, island, circle});
}

std::vector<std::pair<double, double>> samples(const ReadMove& m, double step) {
  std::vector<std::pair<double, double>> out;
  if (!m.arc) {
    const int n = std::max(1, static_cast<int>(std::hypot(m.x2 - m.x1, m.y2 - m.y1) / step));
    for (int k = 0; k <= n; ++k)
      out.emplace_back(m.x1 + (m.x2 - m.x1) * k / n, m.y1 + (m.y2 - m.y1) * k / n);
    return out;
  }
  const double r = std::hypot(m.x1 - m.cx, m.y1 - m.cy);
  const double a1 = std::atan2(m.y1 - m.cy, m.x1 - m.cx);
  const double a2 = std::atan2(m.y2 - m.cy, m.x2 - m.cx);
  double sweep = m.motion == "G2" ? a1 - a2 : a2 - a1;
  while (sweep <= 1e-9) sweep += 2 * PI;
  const int n = std::max(4, static_cast<int>(r * sweep / step));
  for (int k = 0; k <= n; ++k) {
    const double a = a1 + (m.motion == "G2" ? -1 : 1) * sweep * k / n;
    out.emplace_back(m.cx + r * std::cos(a), m.cy + r * std::sin(a));
  }
  return out;
}

bool moves_in_xy(const ReadMove& m) { return std::hypot(m.x2 - m.x1, m.y2 - m.y1) > 1e-6 || m.arc; }
bool cutting(const ReadMove& m) { return m.motion != "G0" && std::min(m.z1, m.z2) < -1e-6; }

CamToolBlock tool_block(int16_t number, double width, double step_down, uint8_t ramp) {
  CamToolBlock t;
  t.tool_number = number;
  t.size = static_cast<float>(width);
  t.cut_width = static_cast<float>(width);
  t.cut_depth = static_cast<float>(DEPTH);
  t.step_down = static_cast<float>(step_down);
  t.stepover_percent = 50;
  t.ramp_angle = ramp;
  t.feed = 30.0f + number;
  t.rpm = 10000 + number;
  t.plunge_percent = 50;
  return t;
}

// An open line of three straight links that turns left twice.
const std::vector<std::pair<double, double>> OPEN_LINE{{0, 0}, {4, 0}, {4, 2}, {2, 3}};

// Where a point stands against the open line: its distance from it and its side, +1 left of
// the line's travel, -1 right of it, 0 beyond one of its two ends.
struct LineSide {
  double distance = 1e9;
  int side = 0;
};

LineSide open_line_side(double x, double y) {
  LineSide out;
  const size_t last = OPEN_LINE.size() - 2;
  for (size_t k = 0; k <= last; ++k) {
    const auto [ax, ay] = OPEN_LINE[k];
    const auto [bx, by] = OPEN_LINE[k + 1];
    const double dx = bx - ax, dy = by - ay, length = std::hypot(dx, dy);
    const double t = ((x - ax) * dx + (y - ay) * dy) / (length * length);
    const double c = std::clamp(t, 0.0, 1.0);
    const double d = std::hypot(x - (ax + c * dx), y - (ay + c * dy));
    if (d >= out.distance) continue;
    out.distance = d;
    const double beyond = SLACK / length;
    if ((k == 0 && t < -beyond) || (k == last && t > 1 + beyond)) {
      out.side = 0;
    } else if ((t <= 0 && k > 0) || (t >= 1 && k < last)) {
      out.side = -1;  // both corners turn left: their outside is on the right
    } else {
      out.side = dx * (y - ay) - dy * (x - ax) > 0 ? 1 : -1;
    }
  }
  return out;
}

class PocketReadBack : public MakeNcFixture {
 protected:
  void SetUp() override {
    MakeNcFixture::SetUp();
    folder_ = make_test_folder("brenvik_pocket_read_back");
  }
  void TearDown() override {
    MakeNcFixture::TearDown();
    std::error_code ignored;
    if (std::getenv("BRENVIK_KEEP_TEST_FILES") == nullptr) fs::remove_all(folder_, ignored);
  }

  CamParams params(uint8_t operation, bool roughing) {
    CamParams p;
    p.operation = operation;
    p.machining_group = 1;
    p.rapid_height = static_cast<float>(RAPID_HEIGHT);
    p.finish_allowance = 0.01f;
    p.finishing = tool_block(2, FINISH_WIDTH, DEPTH, 90);
    if (roughing) p.roughing = tool_block(1, ROUGH_WIDTH, DEPTH / 2, 5);
    return p;
  }

  void add_rect(const RoundRect& r, const CamParams& p) {
    make_filleted_rectangle(static_cast<float>(r.x0), static_cast<float>(r.y0),
                            static_cast<float>(r.x1), static_cast<float>(r.y1),
                            static_cast<float>(r.f), p);
  }

  // Saves the job, runs the tool and reads the program back.
  Reading run(const std::string& name) {
    g_job_settings.post_processor_number = 1;
    reset_layers();
    const fs::path job = folder_ / (name + ".job");
    EXPECT_EQ(write_job_to_path(job.string()), 0);
    const fs::path out = folder_ / (name + ".nc");
    const std::string command = "'" BRENVIK_PROGRAM_DIR "/brenvik-nc' '" + job.string() + "' '" +
                                out.string() + "' > '" + (folder_ / "tool.log").string() + "' 2>&1";
    const int status = std::system(command.c_str());
    std::ifstream log(folder_ / "tool.log");
    log_ = std::string(std::istreambuf_iterator<char>(log), {});
    EXPECT_EQ(status, 0) << log_;
    Reading reading;
    std::string error;
    // The machine stands above the work when the program starts.
    EXPECT_TRUE(read_program(out, MACHINE_START, 1.0, &reading, &error)) << error;
    program_ = out;
    return reading;
  }

  // The moves of each tool: the program cut at its tool changes, each part read alone.
  std::vector<Reading> read_by_tool() {
    std::ifstream in(program_);
    std::vector<std::string> parts(1);
    std::string line;
    while (std::getline(in, line)) {
      if (line.find("M06") != std::string::npos && parts.back().find("M06") != std::string::npos)
        parts.emplace_back();
      parts.back() += line + "\n";
    }
    std::vector<Reading> out;
    for (size_t k = 0; k < parts.size(); ++k) {
      const fs::path part = folder_ / ("part" + std::to_string(k) + ".nc");
      std::ofstream(part) << parts[k];
      Reading reading;
      std::string error;
      EXPECT_TRUE(read_program(part, MACHINE_START, 1.0, &reading, &error)) << error;
      out.push_back(reading);
    }
    return out;
  }

  std::string program_text() const {
    std::ifstream in(program_);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }

  // No rapid in X or Y below the rapid height.
  void check_rapids(const Reading& reading) {
    for (const ReadMove& m : reading.moves) {
      if (m.motion != "G0" || !moves_in_xy(m)) continue;
      EXPECT_GE(std::min(m.z1, m.z2), RAPID_HEIGHT - 1e-4)
          << "rapid from " << m.x1 << "," << m.y1 << " to " << m.x2 << "," << m.y2 << " at " << m.z1;
    }
  }

  // Every descending feed with a way in X and Y runs at the ramp angle, within one step.
  void check_ramps(const Reading& reading, double angle) {
    int ramps = 0;
    for (const ReadMove& m : reading.moves) {
      if (m.motion != "G1" || !(m.z2 < m.z1 - 1e-6)) continue;
      const double run = std::hypot(m.x2 - m.x1, m.y2 - m.y1);
      if (run < 1e-4) continue;
      ++ramps;
      const double slope = std::atan((m.z1 - m.z2) / run) * 180 / PI;
      EXPECT_GT(slope, angle * 0.6) << "ramp at " << m.x1 << "," << m.y1;
      EXPECT_LT(slope, angle * 1.6 + 0.3) << "ramp at " << m.x1 << "," << m.y1;
    }
    EXPECT_GT(ramps, 0);
  }

  Reading reading_;
  fs::path program_;
  std::string log_;
  fs::path folder_;
};

// The pocket with a round and a rounded-rectangle island, with a roughing tool (5 degree ramps)
// and a finishing tool, and with the finishing tool only.
TEST_F(PocketReadBack, PocketWithIslandsIsClearedAndNothingElse) {
  std::string why;
  if (!reader_available(&why)) FAIL() << why;
  for (const bool roughing : {true, false}) {
    SetUp();
    add_rect(POCKET, params(CAM_OP_SPIRAL_POCKET, roughing));
    CamParams island = params(CAM_OP_ISLAND, false);
    add_rect(ISLAND, island);
    make_circle(static_cast<float>(CIRCLE_X), static_cast<float>(CIRCLE_Y),
                static_cast<float>(CIRCLE_R), island);
    const Reading reading = run(roughing ? "two_tools" : "one_tool");
    ASSERT_FALSE(reading.moves.empty()) << log_;
    EXPECT_TRUE(reading.orphans.empty());
    EXPECT_EQ(log_.find("not machined"), std::string::npos) << log_;
    check_rapids(reading);
    if (roughing) check_ramps(reading, 5.0);
    const std::string text = program_text();
    // The tools, speeds and feeds of the source.
    EXPECT_NE(text.find("T2"), std::string::npos);
    EXPECT_EQ(text.find("T0"), std::string::npos);
    if (roughing) {
      EXPECT_NE(text.find("T1"), std::string::npos);
    }
    // The tool disc against the drawing; the clearing at full depth on a grid.
    const std::vector<Reading> parts = read_by_tool();
    ASSERT_EQ(parts.size(), roughing ? 2u : 1u);
    const double step = 0.02;
    const int columns = static_cast<int>(6 / step) + 1, rows = static_cast<int>(4 / step) + 1;
    std::vector<char> cut(static_cast<size_t>(columns) * rows, 0);
    std::set<long> level_depths;
    bool circle_arc = false;
    for (size_t part = 0; part < parts.size(); ++part) {
      const double radius = (roughing && part == 0 ? ROUGH_WIDTH : FINISH_WIDTH) / 2;
      for (const ReadMove& m : parts[part].moves) {
        if (!cutting(m)) continue;
        if (std::fabs(m.z1 - m.z2) < 1e-6 && moves_in_xy(m)) level_depths.insert(std::lround(-m.z1 * 1000));
        EXPECT_GE(std::min(m.z1, m.z2), -DEPTH - 1e-4) << "too deep at " << m.x1 << "," << m.y1;
        if (m.arc && std::hypot(m.cx - CIRCLE_X, m.cy - CIRCLE_Y) < 0.001) circle_arc = true;
        for (const auto& [x, y] : samples(m, 0.01)) {
          EXPECT_GT(pocket_room(x, y), radius - SLACK) << "tool " << part << " cuts at " << x << "," << y;
          if (std::fabs(std::min(m.z1, m.z2) + DEPTH) > 1e-4) continue;
          const int reach = static_cast<int>(radius / step) + 1;
          const int ci = static_cast<int>(std::lround(x / step)), cj = static_cast<int>(std::lround(y / step));
          for (int j = std::max(0, cj - reach); j <= std::min(rows - 1, cj + reach); ++j)
            for (int i = std::max(0, ci - reach); i <= std::min(columns - 1, ci + reach); ++i)
              if (std::hypot(i * step - x, j * step - y) <= radius) cut[j * columns + i] = 1;
        }
      }
    }
    if (roughing) {
      EXPECT_EQ(level_depths, (std::set<long>{150, 300}));
    } else {
      EXPECT_EQ(level_depths, (std::set<long>{300}));
    }
    EXPECT_TRUE(circle_arc) << "the round island's rings are not arcs about its centre";
    // Uncut area at full depth, away from the sharp parts a round tool can not reach.
    int uncut = 0, open = 0;
    for (int j = 0; j < rows; ++j) {
      for (int i = 0; i < columns; ++i) {
        if (pocket_room(i * step, j * step) <= 0.0) continue;
        ++open;
        if (cut[j * columns + i] == 0) ++uncut;
      }
    }
    EXPECT_LT(uncut, open / 100) << uncut << " of " << open << " cells left standing";
    TearDown();
  }
}

// Inside and outside contours in two passes: every cut at half the tool width from the
// outline, on the right side, at both pass depths.
TEST_F(PocketReadBack, InsideAndOutsideContoursInTwoPasses) {
  std::string why;
  if (!reader_available(&why)) FAIL() << why;
  for (const bool inside : {true, false}) {
    SetUp();
    CamParams p = params(inside ? CAM_OP_CONTOUR_INSIDE : CAM_OP_CONTOUR_OUTSIDE, false);
    p.finishing.step_down = static_cast<float>(DEPTH / 2);
    add_rect(POCKET, p);
    const Reading reading = run(inside ? "inside" : "outside");
    ASSERT_FALSE(reading.moves.empty()) << log_;
    check_rapids(reading);
    std::set<long> depths;
    std::map<long, double> on_offset;  // per depth: the length cut at half the tool width
    const double expected = (inside ? -1 : 1) * FINISH_WIDTH / 2 * 0.999953;
    for (const ReadMove& m : reading.moves) {
      if (!cutting(m) || !moves_in_xy(m)) continue;
      if (std::fabs(m.z1 - m.z2) > 1e-6) continue;
      const long depth = std::lround(-m.z1 * 1000);
      depths.insert(depth);
      const std::vector<std::pair<double, double>> points = samples(m, 0.01);
      for (size_t k = 0; k < points.size(); ++k) {
        const auto [x, y] = points[k];
        const double d = rect_signed_distance(POCKET, x, y);
        // Never nearer the outline than half the tool width (leads stand off further).
        if (inside) {
          EXPECT_LT(d, expected + SLACK) << "inside at " << x << "," << y;
        } else {
          EXPECT_GT(d, expected - SLACK) << "outside at " << x << "," << y;
        }
        if (k > 0 && std::fabs(d - expected) < SLACK)
          on_offset[depth] += std::hypot(x - points[k - 1].first, y - points[k - 1].second);
      }
    }
    // The offset outline's length, cut whole at each depth.
    const double straight = 2 * (POCKET.x1 - POCKET.x0 - 2 * POCKET.f) + 2 * (POCKET.y1 - POCKET.y0 - 2 * POCKET.f);
    const double around = straight + 2 * PI * (POCKET.f + expected);
    for (const long depth : {150L, 300L}) EXPECT_GT(on_offset[depth], around * 0.98) << depth;
    EXPECT_EQ(depths, (std::set<long>{150, 300}));
    TearDown();
  }
}

// An open line cut "tool right" or "tool left" is cut on that side only, along its whole
// length at half the tool width, never round its ends and never along a line closing it.
TEST_F(PocketReadBack, OpenLineIsCutOnOneSideOnly) {
  std::string why;
  if (!reader_available(&why)) FAIL() << why;
  struct Case {
    uint8_t operation;
    int side;
    bool roughing;
  };
  const double turn = std::atan2(1.0, 0.5);  // the second corner's turn, from up to up-left
  for (const Case c : {Case{CAM_OP_CONTOUR_INSIDE, -1, false}, Case{CAM_OP_CONTOUR_OUTSIDE, 1, false},
                       Case{CAM_OP_CONTOUR_INSIDE, -1, true}}) {
    SetUp();
    CamParams p = params(c.operation, c.roughing);
    p.finishing.step_down = static_cast<float>(DEPTH / 2);
    std::vector<CamNode> nodes;
    for (const auto& [x, y] : OPEN_LINE) nodes.push_back({static_cast<float>(x), static_cast<float>(y)});
    make_item(ITEM_POLYLINE, nodes, p);
    const std::string name = std::string(c.side < 0 ? "right" : "left") + (c.roughing ? "_rough" : "");
    const Reading reading = run(name);
    ASSERT_FALSE(reading.moves.empty()) << log_;
    EXPECT_EQ(log_.find("not machined"), std::string::npos) << log_;
    check_rapids(reading);
    if (c.roughing) check_ramps(reading, 5.0);
    const std::vector<Reading> parts = read_by_tool();
    ASSERT_EQ(parts.size(), c.roughing ? 2u : 1u) << name;
    const double r = FINISH_WIDTH / 2 * 0.999953;
    std::map<long, double> on_offset;  // per depth: the finishing cut at half the tool width
    for (size_t part = 0; part < parts.size(); ++part) {
      const bool finishing = part + 1 == parts.size();
      const double radius = finishing ? r : ROUGH_WIDTH / 2 * 0.999952;
      for (const ReadMove& m : parts[part].moves) {
        if (!cutting(m) || !moves_in_xy(m)) continue;
        EXPECT_GE(std::min(m.z1, m.z2), -DEPTH - 1e-4) << "too deep at " << m.x1 << "," << m.y1;
        const std::vector<std::pair<double, double>> points = samples(m, 0.01);
        for (size_t k = 0; k < points.size(); ++k) {
          const auto [x, y] = points[k];
          const LineSide at = open_line_side(x, y);
          EXPECT_NE(at.side, 0) << name << ": round an end at " << x << "," << y;
          EXPECT_EQ(at.side, c.side) << name << ": wrong side at " << x << "," << y;
          EXPECT_GT(at.distance, radius - SLACK) << name << ": into the line at " << x << "," << y;
          if (!finishing || k == 0 || std::fabs(m.z1 - m.z2) > 1e-6) continue;
          if (std::fabs(at.distance - r) < SLACK)
            on_offset[std::lround(-m.z1 * 1000)] +=
                std::hypot(x - points[k - 1].first, y - points[k - 1].second);
        }
      }
    }
    // The offset's length: round the outside of both corners on the right; on the left the
    // offsets meet inside the corners.
    const double straight = 4 + 2 + std::sqrt(5.0);
    const double expected = c.side < 0 ? straight + r * (PI / 2 + turn)
                                       : straight - 2 * r - 2 * r * std::tan(turn / 2);
    EXPECT_EQ(on_offset.size(), 2u) << name;
    for (const long depth : {150L, 300L}) {
      EXPECT_GT(on_offset[depth], expected * 0.98) << name << " at " << depth;
      EXPECT_LT(on_offset[depth], expected * 1.02) << name << " at " << depth;
    }
    TearDown();
  }
}

// A blade cut of a closed outline: the blade runs round it at half its width on both sides,
// at the surface, and every cut lies on those two offsets.
TEST_F(PocketReadBack, BladeFollowsBothSidesOfAClosedOutline) {
  std::string why;
  if (!reader_available(&why)) FAIL() << why;
  add_rect(POCKET, params(CAM_OP_BLADE, false));
  const Reading reading = run("blade");
  ASSERT_FALSE(reading.moves.empty()) << log_;
  EXPECT_EQ(log_.find("not machined"), std::string::npos) << log_;
  check_rapids(reading);
  const double half = FINISH_WIDTH / 2;
  double inside = 0, outside = 0;
  for (const ReadMove& m : reading.moves) {
    if (m.motion == "G0" || !moves_in_xy(m)) continue;
    EXPECT_NEAR(m.z1, 0.0, 1e-4) << "the blade cuts at the surface";
    const std::vector<std::pair<double, double>> points = samples(m, 0.01);
    for (size_t k = 1; k < points.size(); ++k) {
      const auto [x, y] = points[k];
      const double d = rect_signed_distance(POCKET, x, y);
      EXPECT_NEAR(std::fabs(d), half, SLACK) << "at " << x << "," << y;
      (d < 0 ? inside : outside) += std::hypot(x - points[k - 1].first, y - points[k - 1].second);
    }
  }
  const double straight = 2 * (POCKET.x1 - POCKET.x0 - 2 * POCKET.f) + 2 * (POCKET.y1 - POCKET.y0 - 2 * POCKET.f);
  EXPECT_GT(inside, straight + 2 * PI * (POCKET.f - half) * 0.98);
  EXPECT_GT(outside, straight + 2 * PI * (POCKET.f + half) * 0.98);
}

}  // namespace
