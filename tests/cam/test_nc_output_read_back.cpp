// End to end: a job built here (a filleted rectangle, a circle, a spline and a peck-drilled
// pattern, all centerline cuts) is saved, made into an NC program by the brenvik-nc tool (and,
// for a compacting post processor, by the driver in this process), and the program is read
// back by an outside G-code interpreter (the npm package gcode-toolpath, through
// tools/gcode-check/read_toolpath.js). Every cut must lie on its item, arcs must have one radius,
// the passes must reach their depths and the drilling cycles must sit on the points.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "job/job_file.h"
#include "nc/nc_sequence.h"
#include "nc/nc_tidy.h"
#include "platform/files.h"
#include "tests/cam/gcode_reading.h"
#include "tests/cam/make_nc_fixture.h"
#include "tests/support/test_folder.h"

namespace {

namespace fs = std::filesystem;

constexpr double PI = 3.14159265358979323846;
// Chord tolerance of the job, plus the last written decimal and the sampling of the check.
constexpr double ON_ITEM = 0.003;

// ---- the items' true geometry --------------------------------------------------------------------

struct Rect {
  double x0 = 0, y0 = 0, x1 = 4, y1 = 2, f = 0.5;
};

double segment_distance(double px, double py, double ax, double ay, double bx, double by) {
  const double dx = bx - ax, dy = by - ay;
  const double t = std::clamp(((px - ax) * dx + (py - ay) * dy) / (dx * dx + dy * dy), 0.0, 1.0);
  return std::hypot(px - (ax + t * dx), py - (ay + t * dy));
}

// Distance from a point to the outline of the filleted rectangle.
double rect_distance(const Rect& r, double px, double py) {
  double d = 1e9;
  d = std::min(d, segment_distance(px, py, r.x0 + r.f, r.y0, r.x1 - r.f, r.y0));
  d = std::min(d, segment_distance(px, py, r.x1, r.y0 + r.f, r.x1, r.y1 - r.f));
  d = std::min(d, segment_distance(px, py, r.x1 - r.f, r.y1, r.x0 + r.f, r.y1));
  d = std::min(d, segment_distance(px, py, r.x0, r.y1 - r.f, r.x0, r.y0 + r.f));
  const double cx[] = {r.x1 - r.f, r.x1 - r.f, r.x0 + r.f, r.x0 + r.f};
  const double cy[] = {r.y0 + r.f, r.y1 - r.f, r.y1 - r.f, r.y0 + r.f};
  const double sx[] = {1, 1, -1, -1}, sy[] = {-1, 1, 1, -1};
  for (int k = 0; k < 4; ++k) {
    // The quarter of the fillet that faces its corner.
    if ((px - cx[k]) * sx[k] >= 0 && (py - cy[k]) * sy[k] >= 0)
      d = std::min(d, std::fabs(std::hypot(px - cx[k], py - cy[k]) - r.f));
  }
  return d;
}

// Points along a move: straight, or along its arc (clockwise for G2; a whole circle when it ends
// where it starts).
std::vector<std::pair<double, double>> samples(const ReadMove& m) {
  std::vector<std::pair<double, double>> out;
  const int n = 16;
  if (!m.arc) {
    for (int k = 0; k <= n; ++k)
      out.emplace_back(m.x1 + (m.x2 - m.x1) * k / n, m.y1 + (m.y2 - m.y1) * k / n);
    return out;
  }
  const double r = std::hypot(m.x1 - m.cx, m.y1 - m.cy);
  const double a1 = std::atan2(m.y1 - m.cy, m.x1 - m.cx);
  const double a2 = std::atan2(m.y2 - m.cy, m.x2 - m.cx);
  double sweep = m.motion == "G2" ? a1 - a2 : a2 - a1;
  while (sweep <= 1e-9) sweep += 2 * PI;
  for (int k = 0; k <= n; ++k) {
    const double a = a1 + (m.motion == "G2" ? -1 : 1) * sweep * k / n;
    out.emplace_back(m.cx + r * std::cos(a), m.cy + r * std::sin(a));
  }
  return out;
}

double move_length(const ReadMove& m) {
  if (m.arc) {
    const double a1 = std::atan2(m.y1 - m.cy, m.x1 - m.cx);
    const double a2 = std::atan2(m.y2 - m.cy, m.x2 - m.cx);
    double sweep = m.motion == "G2" ? a1 - a2 : a2 - a1;
    while (sweep <= 1e-9) sweep += 2 * PI;
    return std::hypot(m.x1 - m.cx, m.y1 - m.cy) * sweep;
  }
  const std::vector<std::pair<double, double>> s = samples(m);
  double length = 0;
  for (size_t k = 1; k < s.size(); ++k)
    length += std::hypot(s[k].first - s[k - 1].first, s[k].second - s[k - 1].second);
  return length;
}

bool is_cut(const ReadMove& m) {
  return (m.motion == "G1" || m.motion == "G2" || m.motion == "G3") && m.z1 < -1e-6 &&
         std::fabs(m.z1 - m.z2) < 1e-6;
}

// ---- the job ---------------------------------------------------------------------------------------

const std::vector<PointF> SPLINE_POINTS = {{10, 0}, {11, 1}, {12, 0}, {13, 1}, {14, 0}};
const std::set<std::pair<int, int>> DRILL_POINTS = {{0, -3000}, {1000, -3000}, {2000, -3000},
                                                    {0, -2500}, {1000, -2500}, {2000, -2500}};

class NcOutputReadBack : public MakeNcFixture {
 protected:
  void SetUp() override {
    MakeNcFixture::SetUp();
    folder_ = make_test_folder("brenvik_nc_read_back");
  }
  void TearDown() override {
    MakeNcFixture::TearDown();
    std::error_code ignored;
    if (std::getenv("BRENVIK_KEEP_TEST_FILES") == nullptr) fs::remove_all(folder_, ignored);
  }

  // With one_tool every item is cut with tool 1, so that the program has no tool change.
  void build_job(bool one_tool = false) {
    make_filleted_rectangle(0, 0, 4, 2, 0.5f, centerline_cut(0.1f, 0.03f, 1, 10));
    make_circle(7, 1, 1, centerline_cut(0.05f, 0, one_tool ? 1 : 2, 10));
    CamParams peck = centerline_cut(0.3f, 0, one_tool ? 1 : 3, 15);
    peck.operation = CAM_OP_CONTOUR_INSIDE;  // on a drill point: peck drilling
    peck.peck_distance = 0.05f;
    make_drill_pattern(0, -3, 3, 2, 1, 0.5f, peck);
    make_spline(SPLINE_POINTS, centerline_cut(0.02f, 0, 1, 20));
  }

  fs::path save_job() {
    reset_layers();
    const fs::path job = folder_ / "plate.job";
    EXPECT_EQ(write_job_to_path(job.string()), 0);
    return job;
  }

  // Runs the tool; its exit status.
  int run_tool(const fs::path& job, const fs::path& out) {
    const std::string command = "'" BRENVIK_PROGRAM_DIR "/brenvik-nc' '" + job.string() + "' '" +
                                out.string() + "' > '" + (folder_ / "tool.log").string() +
                                "' 2>&1";
    return std::system(command.c_str());
  }
  std::string tool_log() {
    std::ifstream in(folder_ / "tool.log");
    return std::string(std::istreambuf_iterator<char>(in), {});
  }

  void check(const Reading& reading, const std::string& label) {
    EXPECT_TRUE(reading.orphans.empty()) << label << ": " << reading.orphans.front();
    const Rect rect;
    std::map<std::string, std::set<long>> depths;
    std::map<std::string, double> lengths;
    std::vector<std::pair<double, double>> spline_points;
    for (const ReadMove& m : reading.moves) {
      if (!is_cut(m)) continue;
      if (m.arc) {
        EXPECT_NEAR(std::hypot(m.x1 - m.cx, m.y1 - m.cy), std::hypot(m.x2 - m.cx, m.y2 - m.cy),
                    0.0005)
            << label << ": arc radii from " << m.x1 << "," << m.y1;
      }
      const std::string item = m.x1 < 5 ? "rectangle" : (m.x1 < 9 ? "circle" : "spline");
      depths[item].insert(std::lround(m.z1 * 10000));
      lengths[item] += move_length(m);
      for (const auto& [x, y] : samples(m)) {
        if (item == "rectangle") {
          EXPECT_LT(rect_distance(rect, x, y), ON_ITEM) << label << ": rectangle at " << x << "," << y;
        } else if (item == "circle") {
          EXPECT_LT(std::fabs(std::hypot(x - 7, y - 1) - 1), ON_ITEM) << label << ": circle at " << x << "," << y;
        } else {
          EXPECT_TRUE(x > 10 - ON_ITEM && x < 14 + ON_ITEM && y > -0.3 && y < 1.3)
              << label << ": spline at " << x << "," << y;
          spline_points.emplace_back(x, y);
        }
      }
    }
    EXPECT_EQ(depths["rectangle"], (std::set<long>{-1000, -750, -500, -250})) << label;
    EXPECT_EQ(depths["circle"], (std::set<long>{-500})) << label;
    EXPECT_EQ(depths["spline"], (std::set<long>{-200})) << label;
    const double perimeter = 2 * (3 + 1) + 2 * PI * 0.5;
    EXPECT_NEAR(lengths["rectangle"], 4 * perimeter, 0.05) << label;
    EXPECT_NEAR(lengths["circle"], 2 * PI, 0.01) << label;
    // The spline passes through its nodes.
    for (const PointF& node : SPLINE_POINTS) {
      double nearest = 1e9;
      for (const auto& [x, y] : spline_points) nearest = std::min(nearest, std::hypot(x - node.x, y - node.y));
      EXPECT_LT(nearest, ON_ITEM) << label << ": spline node " << node.x << "," << node.y;
    }
    std::set<std::pair<int, int>> holes;
    for (const ReadDrill& d : reading.drills) {
      EXPECT_EQ(d.cycle, "G83") << label;
      EXPECT_NEAR(d.z, -0.3, 1e-4) << label;
      EXPECT_NEAR(d.r, 0.1, 1e-4) << label;
      EXPECT_NEAR(std::stod(d.q == "-" ? "0" : d.q), 0.05, 1e-4) << label;
      holes.insert({static_cast<int>(std::lround(d.x * 1000)), static_cast<int>(std::lround(d.y * 1000))});
    }
    EXPECT_EQ(holes, DRILL_POINTS) << label;
  }

  // The upper-left corner of the items' extents at the height z, as "X,Y,Z".
  std::string upper_left_start(double z) {
    PointF low{1e30f, 1e30f}, high{-1e30f, -1e30f};
    for (TextLine* item = g_lists.current.first; item != nullptr; item = item->next)
      grow_box_by_item(item, &low, &high);
    return std::to_string(low.x) + "," + std::to_string(high.y) + "," + std::to_string(z);
  }

  fs::path folder_;
};

TEST_F(NcOutputReadBack, ProgramsOfTheFactoryPostProcessorsReadBackOntoTheItems) {
  struct Case {
    int16_t post_processor;
    const char* label;
    const char* start;  // where the reader's machine stands (relative programs count from it)
    double scale;
    bool one_tool;
  };
  const Case cases[] = {
      {1, "absolute", "0,0,0", 1.0, false},
      {3, "absolute inch, numbered and spaced", "0,0,0", 25.4, false},
      // Incremental programs count from the upper-left corner of the drawing's extents, with
      // the tool at the rapid height of the first item; after a tool change the operator sets
      // the new tool at the rapid height again, which a reader can not know: one tool here.
      {4, "incremental X,Y,Z", nullptr, 1.0, true},
  };
  std::string why;
  if (!reader_available(&why)) FAIL() << why;
  for (const Case& c : cases) {
    SetUp();
    build_job(c.one_tool);
    g_job_settings.post_processor_number = c.post_processor;
    const fs::path job = save_job();
    const fs::path out = folder_ / "plate.nc";
    ASSERT_EQ(run_tool(job, out), 0) << c.label << "\n" << tool_log();
    Reading reading;
    std::string error;
    const std::string start = c.start != nullptr ? c.start : upper_left_start(0.1);
    ASSERT_TRUE(read_program(out, start, c.scale, &reading, &error)) << error;
    ASSERT_FALSE(reading.moves.empty()) << c.label;
    check(reading, c.label);
    TearDown();
  }
}

// Compacting drops repeated motion words; after the drilling cycles the next rapid must keep its
// G0, or the reader (like a control) finds axis words without a motion mode.
TEST_F(NcOutputReadBack, CompactedProgramReadsBackOntoTheItems) {
  std::string why;
  if (!reader_available(&why)) FAIL() << why;
  build_job();
  PostProcessorDef* def = use_definition();
  def->compact = 1;
  def->one_digit_g = 1;
  ASSERT_EQ(make_nc_program(), 1) << g_make_nc.failure;
  const fs::path out = folder_ / "compact.nc";
  {
    std::ofstream file(out);
    for (const TextLine* l = g_lists.slots[LIST_SLOT_NC_PROGRAM].first; l != nullptr; l = l->next)
      file << l->text;
  }
  Reading reading;
  std::string error;
  ASSERT_TRUE(read_program(out, "0,0,0", 1.0, &reading, &error)) << error;
  check(reading, "compacted");
}

// The editor's tools on a program the tool made: numbered, renumbered, un-numbered or compacted
// and numbered, the program makes the same moves, drilling cycles and tool changes.
TEST_F(NcOutputReadBack, NumberedAndCompactedProgramsMakeTheSameMoves) {
  std::string why;
  if (!reader_available(&why)) FAIL() << why;
  build_job();
  g_job_settings.post_processor_number = 3;  // numbered and spaced, in inches
  const fs::path job = save_job();
  const fs::path original = folder_ / "plate.nc";
  ASSERT_EQ(run_tool(job, original), 0) << tool_log();
  Reading before;
  std::string error;
  ASSERT_TRUE(read_program(original, "0,0,0", 25.4, &before, &error)) << error;
  ASSERT_FALSE(before.moves.empty());

  struct Case {
    const char* label;
    bool compact;
    SequenceSettings numbers;
  };
  SequenceSettings from_ten;
  from_ten.first_number = 10;
  from_ten.increment = 10;
  from_ten.digits = 4;
  SequenceSettings removed;
  removed.remove = true;
  SequenceSettings by_five;
  by_five.first_number = 5;
  by_five.increment = 5;
  SequenceSettings bandit;
  bandit.style = SEQUENCE_STYLE_BANDIT;
  const Case cases[] = {{"renumbered from 10, four digits", false, from_ten},
                        {"numbers removed", false, removed},
                        {"compacted, then numbered", true, by_five},
                        {"numbered by words", false, bandit}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    std::ifstream in(original, std::ios::binary);
    std::string line;
    push_list();
    clear_current_list();
    while (std::getline(in, line)) ASSERT_NE(append_line((line + "\n").c_str()), nullptr);
    TextLine* first = g_lists.current.first;
    if (c.compact) strip_nc_zeros(first, 0);
    EXPECT_GT(renumber_nc_lines(first, nullptr, c.numbers), 0);
    const fs::path changed = folder_ / "changed.nc";
    {
      std::ofstream file(changed, std::ios::binary);
      for (const TextLine* l = first; l != nullptr; l = l->next) file << l->text;
    }
    free_current_list();
    pop_list();
    Reading after;
    ASSERT_TRUE(read_program(changed, "0,0,0", 25.4, &after, &error)) << error;
    EXPECT_TRUE(after.orphans.empty()) << after.orphans.front();
    ASSERT_EQ(after.events.size(), before.events.size());
    EXPECT_EQ(after.tools, before.tools);
    ASSERT_EQ(after.moves.size(), before.moves.size());
    for (size_t i = 0; i < before.moves.size(); ++i) {
      const ReadMove& a = before.moves[i];
      const ReadMove& b = after.moves[i];
      ASSERT_EQ(a.motion, b.motion) << "move " << i;
      for (auto [x, y] : {std::pair{a.x2, b.x2}, {a.y2, b.y2}, {a.z2, b.z2}, {a.cx, b.cx},
                          {a.cy, b.cy}, {a.feed, b.feed}})
        ASSERT_NEAR(x, y, 1e-9) << "move " << i;
    }
    ASSERT_EQ(after.drills.size(), before.drills.size());
    for (size_t i = 0; i < before.drills.size(); ++i) {
      EXPECT_EQ(after.drills[i].cycle, before.drills[i].cycle);
      EXPECT_NEAR(after.drills[i].x, before.drills[i].x, 1e-9);
      EXPECT_NEAR(after.drills[i].y, before.drills[i].y, 1e-9);
      EXPECT_NEAR(after.drills[i].z, before.drills[i].z, 1e-9);
    }
  }
}

TEST_F(NcOutputReadBack, ToolFailsAndWritesNothingForAJobItCanNotMachine) {
  build_job();
  g_job_settings.surface_flag = 1 << 4;  // a horizontal cone at 45 degrees has no mapping
  g_job_settings.surface_code = 5;
  g_job_settings.surface_radius = 5;
  g_job_settings.surface_angle = 0.7853982f;
  const fs::path job = save_job();
  const fs::path out = folder_ / "none.nc";
  EXPECT_NE(run_tool(job, out), 0);
  EXPECT_FALSE(fs::exists(out));
  EXPECT_NE(tool_log().find("half-angle of 45"), std::string::npos) << tool_log();
}

}  // namespace
