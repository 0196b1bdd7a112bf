// Engraver commands end to end: a job saved here is made into a program by the brenvik-nc tool
// with the factory engraver format, and the program is read by a small reader made from the
// command table (pen up, pen down, 3-D move, pen heights, speeds, extents): every pen-down move
// lies on an item at its depth, the speeds are the feeds in cm/s, and no G word appears.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "tests/cam/nc_tool_fixture.h"

namespace {

namespace fs = std::filesystem;

// The pen as the engraver runs the program, in job units.
struct Engraver {
  double x = 0, y = 0;
  double up = 0, down = 0;  // ZU height, ZD depth (into the work)
  bool pen_down = false;
  std::vector<double> speeds;
  struct Cut {
    double x1, y1, x2, y2, depth;
  };
  std::vector<Cut> cuts;
  std::vector<std::string> unknown;
  int holes = 0;
};

// Reads one program; every command is two letters, integer arguments and a semicolon.
Engraver run_engraver(const std::string& program) {
  Engraver e;
  std::istringstream lines(program);
  std::string line;
  while (std::getline(lines, line)) {
    if (line.empty()) continue;
    const std::string command = line.substr(0, 2);
    std::vector<double> args;
    std::string rest = line.substr(2);
    if (rest.empty() || rest.back() != ';') {
      e.unknown.push_back(line);
      continue;
    }
    rest.pop_back();
    std::istringstream numbers(rest);
    std::string value;
    while (std::getline(numbers, value, ',')) args.push_back(std::stod(value));
    if (command == "PU" && args.size() == 2) {
      e.x = args[0] / 1000;
      e.y = args[1] / 1000;
    } else if (command == "PD" && args.size() == 2) {
      e.cuts.push_back({e.x, e.y, args[0] / 1000, args[1] / 1000, e.down});
      e.x = args[0] / 1000;
      e.y = args[1] / 1000;
    } else if ((command == "PD" || command == "PU") && args.empty()) {
      if (command == "PD") ++e.holes;
    } else if (command == "ZU" && args.size() == 1) {
      e.up = args[0] / 1000;
    } else if (command == "ZD" && args.size() == 1) {
      e.down = args[0] / 1000;
    } else if ((command == "VS" || command == "VZ") && args.size() == 1) {
      if (command == "VS") e.speeds.push_back(args[0]);
    } else if (command == "EX" && args.size() == 6) {
    } else if (command[0] == 'S' && std::isdigit(static_cast<unsigned char>(command[1]))) {
    } else {
      e.unknown.push_back(line);
    }
  }
  return e;
}

double segment_distance(double px, double py, double ax, double ay, double bx, double by) {
  const double dx = bx - ax, dy = by - ay;
  const double t = std::clamp(((px - ax) * dx + (py - ay) * dy) / (dx * dx + dy * dy), 0.0, 1.0);
  return std::hypot(px - (ax + t * dx), py - (ay + t * dy));
}

class EngraverReadBack : public NcToolFixture {};

TEST_F(EngraverReadBack, PenDownMovesLieOnTheItemsAtTheirDepths) {
  struct Case {
    const char* what;
    bool metric;
    float feed;
    double speed;  // cm/s
  };
  const Case cases[] = {{"inch", false, 30, 1.27}, {"millimetre", true, 600, 1.0}};
  for (const Case& c : cases) {
    SetUp();
    const float u = c.metric ? 25.4f : 1.0f;
    g_job_settings.units = c.metric ? JOB_UNITS_MILLIMETRE : JOB_UNITS_INCH;
    g_job_settings.post_processor_number = 5;  // the factory engraver format
    CamParams line = centerline_cut(0.02f * u, 0, 1, 10);
    line.finishing.feed = c.feed;
    make_item(ITEM_POLYLINE, {{0, 0}, {2 * u, 0}, {2 * u, 1 * u}}, line);
    make_circle(4 * u, 1 * u, 0.5f * u, line);  // an arc: chords
    CamParams drill = centerline_cut(0.25f * u, 0, 1, 15);
    drill.finishing.feed = c.feed;
    make_drill_pattern(6 * u, 0, 0, 0, 0, 0, drill);
    CamParams after = line;
    after.machining_group = 20;  // the cut after the hole writes its own depth again
    make_item(ITEM_POLYLINE, {{7 * u, 0}, {8 * u, 0}}, after);
    const fs::path job = save_job();
    const fs::path out = folder_ / "job.nc";
    ASSERT_EQ(run_tool(quoted(job) + " " + quoted(out)), 0) << tool_log();
    const std::string program = file_text(out);
    EXPECT_EQ(program.find('G'), std::string::npos) << program;
    const Engraver e = run_engraver(program);
    EXPECT_TRUE(e.unknown.empty()) << c.what << ": " << e.unknown.front();
    ASSERT_FALSE(e.speeds.empty());
    EXPECT_NEAR(e.speeds.front(), c.speed, 1e-4) << c.what;
    EXPECT_EQ(e.holes, 1) << c.what;
    int on_line = 0, on_circle = 0, after_hole = 0;
    for (const Engraver::Cut& cut : e.cuts) {
      for (const auto& [x, y] : {std::pair{cut.x1, cut.y1}, std::pair{cut.x2, cut.y2}}) {
        const double on_l = std::min(segment_distance(x, y, 0, 0, 2 * u, 0),
                                     segment_distance(x, y, 2 * u, 0, 2 * u, u));
        const double on_c = std::fabs(std::hypot(x - 4 * u, y - u) - 0.5 * u);
        const double on_a = segment_distance(x, y, 7 * u, 0, 8 * u, 0);
        EXPECT_LT(std::min({on_l, on_c, on_a}), 0.003 * u) << c.what << " at " << x << "," << y;
        on_line += on_l < 0.003 * u;
        on_circle += on_c < 0.003 * u;
        after_hole += on_a < 0.003 * u;
      }
      EXPECT_NEAR(cut.depth, 0.02 * u, 1e-3 * u) << c.what << " cut at " << cut.x2 << "," << cut.y2;
    }
    EXPECT_GT(on_line, 0);
    EXPECT_GT(on_circle, 8) << "the circle arrives as chords";
    EXPECT_GT(after_hole, 0);
    TearDown();
  }
}

}  // namespace
