// Plotter code from a back-plotted program, read back by the test's own reader of the engraver's
// commands: the pen cuts exactly where the program cuts, travels only with the pen up above the
// work, and the speeds follow the job's units.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "nc/back_plot.h"
#include "nc/cam_host.h"
#include "nc/nc_extents.h"
#include "nc/plotter_code.h"
#include "nc/proof_file.h"
#include "records/job_settings.h"
#include "store/line_list.h"
#include "tests/support/temp_folder_env.h"

namespace {


struct Point3 {
  double x = 0, y = 0, z = 0;
};
struct Segment {
  Point3 from, to;
};

double distance(const Point3& a, const Point3& b) {
  return std::sqrt((a.x - b.x) * (a.x - b.x) + (a.y - b.y) * (a.y - b.y) + (a.z - b.z) * (a.z - b.z));
}

// What an engraver does with plotter code: the segments it cuts (pen down), the points it
// travels to with the pen up, the speeds and the tool changes it was told of. Coordinates come
// back in job units (thousandths in the file; Z into the material is positive in ZD and PZ).
struct PlotterRun {
  std::vector<Segment> cuts;
  std::vector<Point3> travels;
  std::vector<double> cut_speeds;
  std::vector<double> plunge_speeds;
  std::vector<std::string> comments;
  std::vector<std::string> errors;
  int tool_changes_acknowledged = 0;  // FR lines
  bool ended = false;                 // XP and the end mark were read
};

PlotterRun run_plotter(const std::vector<std::string>& lines) {
  PlotterRun run;
  std::optional<double> up, down;
  std::optional<Point3> at;
  bool pen_down = false;
  bool started = false;
  auto fail = [&](const std::string& why, const std::string& line) {
    run.errors.push_back(why + ": " + line);
  };
  auto cut_to = [&](const Point3& p, const std::string& line) {
    if (!at) return fail("cut from nowhere", line);
    run.cuts.push_back({*at, p});
    at = p;
    pen_down = true;
  };
  for (const std::string& line : lines) {
    if (line.empty() || line.back() != '\n') {
      fail("no line end", line);
      continue;
    }
    const std::string body = line.substr(0, line.size() - 1);
    if (body.rfind("\b<", 0) == 0) {
      if (body.size() >= 3 && body[2] == 'e') run.ended = true;
      else if (body.size() >= 3 && body[2] == 'c') run.comments.push_back(body.substr(3));
      else if (!(body.size() >= 3 && body[2] == 't')) fail("unknown mark", line);
      continue;
    }
    if (body.size() < 3 || body.back() != ';') {
      fail("not a command", line);
      continue;
    }
    const std::string command = body.substr(0, 2);
    std::vector<double> args;
    std::string rest = body.substr(2, body.size() - 3);
    if (!rest.empty()) {
      std::stringstream values(rest);
      std::string value;
      while (std::getline(values, value, ',')) {
        char* end = nullptr;
        const double v = std::strtod(value.c_str(), &end);
        if (end == value.c_str() || *end != 0) fail("bad number", line);
        args.push_back(v);
      }
    }
    const auto units = [&](size_t k) { return args[k] / 1000.0; };
    if (command == "IN") {
      started = true;
    } else if (!started) {
      fail("command before IN", line);
    } else if (command == "XP") {
      continue;
    } else if (command == "FR") {
      ++run.tool_changes_acknowledged;
    } else if (command == "EX" && args.size() == 6) {
      continue;
    } else if (command == "ZU" && args.size() == 1) {
      up = units(0);
    } else if (command == "ZD" && args.size() == 1) {
      down = -units(0);
    } else if (command == "VS" && args.size() == 1) {
      run.cut_speeds.push_back(args[0]);
    } else if (command == "VZ" && args.size() == 1) {
      run.plunge_speeds.push_back(args[0]);
    } else if (command == "SS" && args.size() == 1) {
      continue;
    } else if (command == "PU" && (args.empty() || args.size() == 2)) {
      if (!up) {
        fail("pen up without a height", line);
        continue;
      }
      if (args.empty()) {
        if (!at) fail("lift from nowhere", line);
        else at->z = *up;
      } else {
        at = Point3{units(0), units(1), *up};
        run.travels.push_back(*at);
      }
      pen_down = false;
    } else if (command == "PD" && (args.empty() || args.size() == 2)) {
      if (!down) {
        fail("pen down without a depth", line);
        continue;
      }
      if (!at) {
        fail("pen down from nowhere", line);
        continue;
      }
      if (!pen_down || at->z != *down) cut_to(Point3{at->x, at->y, *down}, line);
      if (args.size() == 2) cut_to(Point3{units(0), units(1), *down}, line);
    } else if (command == "PZ" && args.size() == 3) {
      cut_to(Point3{units(0), units(1), -units(2)}, line);
    } else {
      fail("unknown command", line);
    }
  }
  return run;
}

bool is_cut(char kind) {
  return kind == '1' || kind == '4' || kind == '8' || kind == '9' || kind == 'V' || kind == 'Z';
}
bool is_move(char kind) {
  return is_cut(kind) || kind == 'A' || kind == '0' || kind == 'z' || kind == 'd';
}

// The cuts of the proof: each cutting record from where the previous move ended.
std::vector<Segment> proof_cuts(const std::vector<ProofRecord>& records) {
  std::vector<Segment> cuts;
  std::optional<Point3> at;
  for (const ProofRecord& r : records) {
    const char kind = static_cast<char>(r.kind);
    if (!is_move(kind)) continue;
    const Point3 p{proof_field_f32(r, 0), proof_field_f32(r, 1), proof_field_f32(r, 2)};
    if (is_cut(kind) && at) cuts.push_back({*at, p});
    at = p;
  }
  return cuts;
}

std::vector<Segment> without_empty(const std::vector<Segment>& in) {
  std::vector<Segment> out;
  for (const Segment& s : in)
    if (distance(s.from, s.to) > 0.0015) out.push_back(s);
  return out;
}

class PlotterCodeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    reset_list_store();
    g_job_settings = JobSettings{};
    g_job_settings.units = JOB_UNITS_MILLIMETRE;
    reset_nc_extents();
    reset_proof_file();
    reset_back_plot();
    reset_cam_host();
  }
  void TearDown() override {
    reset_proof_file();
    free_list(program_.first);
  }

  // Back-plots the program and converts its proof; records_ keeps the proof.
  std::vector<std::string> convert(const std::vector<std::string>& lines, uint32_t options = 0) {
    free_list(program_.first);
    push_list();
    g_lists.current = LineList{};
    for (const std::string& text : lines) append_line(text.c_str());
    program_ = g_lists.current;
    pop_list();
    records_.clear();
    EXPECT_EQ(nc_to_proof_file(program_.first, PROOF_NO_DECORATION | options), 1);
    EXPECT_TRUE(read_proof_file(proof_file_path(), &records_));
    return plotter_code_lines(records_, "part.nc");
  }

  // The engraver's cuts are the proof's, in order, within the thousandths of the file.
  void expect_same_cuts(const PlotterRun& run) {
    const std::vector<Segment> want = without_empty(proof_cuts(records_));
    const std::vector<Segment> got = without_empty(run.cuts);
    ASSERT_EQ(got.size(), want.size());
    for (size_t k = 0; k < want.size(); ++k) {
      EXPECT_LT(distance(got[k].from, want[k].from), 0.001) << "cut " << k;
      EXPECT_LT(distance(got[k].to, want[k].to), 0.001) << "cut " << k;
    }
  }

  TempFolderEnv temp_{"brenvik_plotter"};
  LineList program_;
  std::vector<ProofRecord> records_;
};

const std::vector<std::string> MILL_PROGRAM = {
    "G90",
    "G0 Z5",
    "G0 X10 Y10",
    "G1 Z-1 F600 S12000",
    "G1 X30 Y10",
    "G2 X40 Y20 I0 J10",  // three quarters of a circle about (30, 20)
    "G1 X40 Y30 Z-2",     // a ramp
    "G0 Z5",
    "T2 M6",
    "G0 X5 Y5",
    "G1 Z-0.5 F300",
    "G3 X15 Y5 R5",       // a half circle about (10, 5), below the chord
    "G1 X15 Y5 Z-1.5",    // straight down at the feed: a plunge
    "G1 X20",
    "G0 Z5",
    "M30",
};

TEST_F(PlotterCodeTest, TheEngraverCutsWhereTheProgramCuts) {
  const std::vector<std::string> code = convert(MILL_PROGRAM);
  ASSERT_GE(code.size(), 4u);
  EXPECT_EQ(code[0], "\b<tpart.nc~;\n");
  EXPECT_EQ(code[1], "IN;\n");
  EXPECT_EQ(code[code.size() - 2], "XP;\n");
  EXPECT_EQ(code.back(), "\b<e\n");
  const PlotterRun run = run_plotter(code);
  EXPECT_TRUE(run.errors.empty()) << run.errors.front();
  EXPECT_TRUE(run.ended);
  expect_same_cuts(run);
  // The arcs' chord ends lie on their circles; the ramp and the plunge end where the program says.
  int on_first = 0, on_second = 0;
  for (const Segment& s : run.cuts) {
    const double r1 = std::hypot(s.to.x - 30, s.to.y - 20);
    const double r2 = std::hypot(s.to.x - 10, s.to.y - 5);
    if (s.to.z == -1 && std::fabs(r1 - 10) < 0.002 && s.to.x > 30) ++on_first;
    if (s.to.z == -0.5 && std::fabs(r2 - 5) < 0.002) {
      ++on_second;
      EXPECT_LE(s.to.y, 5.0005) << "the G3 arc runs below its chord";
    }
  }
  EXPECT_GE(on_first, 3);
  EXPECT_GE(on_second, 3);
  bool ramp = false, plunge = false;
  for (const Segment& s : run.cuts) {
    if (distance(s.to, {40, 30, -2}) < 0.001 && distance(s.from, {40, 20, -1}) < 0.001) ramp = true;
    if (distance(s.to, {15, 5, -1.5}) < 0.001 && distance(s.from, {15, 5, -0.5}) < 0.001)
      plunge = true;
  }
  EXPECT_TRUE(ramp);
  EXPECT_TRUE(plunge);
  // Travels run above the work; the tool change is announced and acknowledged before moving on.
  ASSERT_FALSE(run.travels.empty());
  for (const Point3& p : run.travels) EXPECT_GE(p.z, 5.0) << p.x << "," << p.y;
  ASSERT_EQ(run.comments.size(), 1u);
  EXPECT_EQ(run.comments[0], "T2 TOOL CHANGE~;");
  EXPECT_EQ(run.tool_changes_acknowledged, 1);
}

// I and J as absolute centres give the same code as the same arcs with relative centres.
TEST_F(PlotterCodeTest, AbsoluteArcCentresGiveTheSameCode) {
  const std::vector<std::string> relative = convert(MILL_PROGRAM);
  std::vector<std::string> absolute = MILL_PROGRAM;
  absolute[5] = "G2 X40 Y20 I30 J20";
  EXPECT_EQ(convert(absolute, PROOF_ABSOLUTE_ARC_CENTRES), relative);
}

// Speeds are the feed in cm/s by the job's units: a millimetre job's 600 mm/min is 1 cm/s, an
// inch job's 10 in/min 0.4233 cm/s.
TEST_F(PlotterCodeTest, SpeedsFollowTheJobsUnits) {
  struct Case {
    int units;
    const char* feed_line;
    double cut_speed;
  };
  for (const Case& c : {Case{JOB_UNITS_MILLIMETRE, "G1 Z-1 F600", 1.0},
                        Case{JOB_UNITS_INCH, "G1 Z-0.01 F10", 0.4233}}) {
    g_job_settings.units = c.units;
    const PlotterRun run =
        run_plotter(convert({"G0 Z0.1", "G0 X1 Y1", c.feed_line, "G1 X2 Y1", "G0 Z0.1"}));
    EXPECT_TRUE(run.errors.empty()) << run.errors.front();
    ASSERT_FALSE(run.cut_speeds.empty());
    ASSERT_FALSE(run.plunge_speeds.empty());
    EXPECT_NEAR(run.cut_speeds.front(), c.cut_speed, 0.00005) << c.feed_line;
    EXPECT_NEAR(run.plunge_speeds.front(), c.cut_speed, 0.00005) << c.feed_line;
    expect_same_cuts(run);
  }
}

// A proof without a move gives no code; a drilling cycle's holes are cut down and back.
TEST_F(PlotterCodeTest, NoMovesNoCodeAndCyclesDrillEachHole) {
  EXPECT_TRUE(plotter_code_lines({proof_line_record(1, 100, 0)}, "x.nc").empty());
  const PlotterRun run = run_plotter(
      convert({"G0 Z5", "G0 X0 Y0", "G81 X10 Y10 Z-3 R1 F200", "X20", "Y20", "G80", "G0 Z5"}));
  EXPECT_TRUE(run.errors.empty()) << run.errors.front();
  expect_same_cuts(run);
  int holes = 0;
  for (const Segment& s : run.cuts)
    if (s.to.z == -3 && s.from.x == s.to.x && s.from.y == s.to.y) ++holes;
  EXPECT_EQ(holes, 3);
}

}  // namespace
