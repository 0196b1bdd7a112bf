// The machining-time estimate: its accumulation and its rules, and its total against an
// independent judge that times the same programs as a machine with acceleration would.
//
// Jobs are made into programs by the brenvik-nc tool and read by the outside G-code reader
// (tools/gcode-check), which gives every move with its feed and the tool changes. The judge runs
// each move on a trapezoidal speed profile at the machine's acceleration, joins feed moves at
// junction speeds by the junction-deviation rule and stops between rapids and feeds, at feed and
// tool changes and in drilling cycles, with 6 s a tool change. The estimate times the proof file
// the NC back-plot makes of the same program, with the rapid settings a user would set from the
// machine's data.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "nc/back_plot.h"
#include "nc/proof_file.h"
#include "nc/time_estimate.h"
#include "platform/files.h"
#include "tests/support/temp_folder_env.h"
#include "tests/cam/gcode_reading.h"
#include "tests/cam/nc_tool_fixture.h"

namespace {

namespace fs = std::filesystem;
constexpr double PI = 3.14159265358979323846;

// ---- the rules ------------------------------------------------------------------------------------

class TimeEstimateRules : public ::testing::Test {
 protected:
  void SetUp() override {
    g_job_settings = JobSettings{};
    reset_time_estimate_state();
    stored_ = RapidSettings{};
  }
  RapidSettings stored_;
};

TEST_F(TimeEstimateRules, TimesAreShownInMinutesAndSecondsOrHoursAndMinutes) {
  const std::pair<float, const char*> cases[] = {
      {59.99f, "59 mins, 59 secs"}, {61.5f, "1 hours, 1 min"}, {0.5f, "0 mins, 30 secs"}};
  for (const auto& [minutes, text] : cases) {
    g_time_estimate.total_minutes = minutes;
    EXPECT_EQ(format_machining_time(), text);
  }
}

TEST_F(TimeEstimateRules, ARapidOfExactlyTheShortDistanceGoesAtTheMediumSpeed) {
  reset_time_estimate(&stored_, false);
  add_proof_record_time('A', 0, 0, 0);
  add_proof_record_time('0', 0.5f, 0, 0);  // the inch short distance
  EXPECT_FLOAT_EQ(g_time_estimate.total_minutes, 0.5f / 50.0f);
  add_proof_record_time('0', 0.5f, 0.49f, 0);  // shorter: slow
  EXPECT_FLOAT_EQ(g_time_estimate.total_minutes, 0.5f / 50.0f + 0.49f / 10.0f);
}

TEST_F(TimeEstimateRules, FeedsComeFromTheProgramAndToolChangesCountTheirTime) {
  const TempFolderEnv temp("brenvik_time_rules");
  ASSERT_TRUE(proof_open());
  proof_write_line(1, 10.0f, 0);
  proof_write_record('A', 0, 0, 0);
  proof_write_record('1', 3, 4, 0);  // 5 at 10 per minute
  proof_write_line(2, 0.0f, 0);      // a zero feed counts as 1, never a division by zero
  proof_write_record('Z', 3, 4, -1);
  for (char kind : {'T', 'r', 'f'}) proof_write_tool(kind, 2);
  proof_close();
  reset_time_estimate(&stored_, false);
  accumulate_proof_time();
  EXPECT_NEAR(g_time_estimate.total_minutes, 0.5 + 1.0 + 3 * 0.1, 1e-5);
  EXPECT_FLOAT_EQ(g_time_estimate.xy_cutting, 5.0f);
  EXPECT_FLOAT_EQ(g_time_estimate.z_plunging, 1.0f);
  proof_delete_file();
  reset_time_estimate(&stored_, false);
  accumulate_proof_time();  // no proof file: nothing
  EXPECT_EQ(g_time_estimate.total_minutes, 0.0f);
}

// The settings are kept in the file set's unit; a job in the other unit is timed in its own.
TEST_F(TimeEstimateRules, SettingsStoredInOneUnitTimeAJobInTheOther) {
  reset_time_estimate(&stored_, true);  // first use, metric file set: millimetre defaults
  EXPECT_FLOAT_EQ(stored_.full_speed, 6000.0f);
  g_job_settings.units = JOB_UNITS_INCH;
  reset_time_estimate(&stored_, true);
  EXPECT_NEAR(g_time_estimate.working.full_speed, 6000.0 / 25.4, 1e-3);
  EXPECT_NEAR(g_time_estimate.working.short_distance, 15.0 / 25.4, 1e-5);
  EXPECT_FLOAT_EQ(g_time_estimate.working.tool_change_minutes, 0.1f);
  g_time_estimate.working.full_speed = 100.0f;  // the user sets 100 in/min
  store_rapid_settings(&stored_, true);
  EXPECT_NEAR(stored_.full_speed, 2540.0, 1e-2);
}

// ---- the judge ------------------------------------------------------------------------------------

struct Machine {
  double rapid;      // units per second
  double accel;      // units per second squared
  double deviation;  // junction deviation
  double unit_per_mm;
};

struct Segment {
  double length = 0;
  double speed = 0;                  // cruise, units per second
  std::array<double, 3> start_dir{}, end_dir{};
  bool feed = false;
  double feed_rate = 0;              // per minute, to see feed changes
  bool stop_before = false;          // a full stop ahead of it
  double pause = 0;                  // seconds added before it (a tool change)
};

std::array<double, 3> unit(double x, double y, double z) {
  const double n = std::sqrt(x * x + y * y + z * z);
  return n > 0 ? std::array<double, 3>{x / n, y / n, z / n} : std::array<double, 3>{0, 0, 0};
}

double trapezoid_seconds(double length, double vi, double vo, double v, double a) {
  const double d_acc = (v * v - vi * vi) / (2 * a), d_dec = (v * v - vo * vo) / (2 * a);
  if (d_acc + d_dec <= length) return (v - vi) / a + (v - vo) / a + (length - d_acc - d_dec) / v;
  const double peak = std::sqrt((2 * a * length + vi * vi + vo * vo) / 2);
  return (peak - vi) / a + (peak - vo) / a;
}

double judge_seconds(const std::vector<Segment>& segments, const Machine& m) {
  const size_t n = segments.size();
  std::vector<double> limit(n + 1, 0.0);  // the speed allowed at the junction before segment k
  for (size_t k = 1; k < n; ++k) {
    const Segment& a = segments[k - 1];
    const Segment& b = segments[k];
    if (b.stop_before || !a.feed || !b.feed || a.feed_rate != b.feed_rate) continue;
    const double cos_theta = -(a.end_dir[0] * b.start_dir[0] + a.end_dir[1] * b.start_dir[1] +
                               a.end_dir[2] * b.start_dir[2]);
    double v = std::min(a.speed, b.speed);
    if (cos_theta > -0.999999) {
      const double half = std::sqrt(0.5 * (1 - std::min(cos_theta, 0.999999)));
      v = std::min(v, std::sqrt(m.accel * m.deviation * half / (1 - half)));
    }
    limit[k] = v;
  }
  // The speeds reachable forwards and backwards.
  for (size_t k = 1; k < n; ++k)
    limit[k] = std::min(limit[k], std::sqrt(limit[k - 1] * limit[k - 1] +
                                            2 * m.accel * segments[k - 1].length));
  for (size_t k = n - 1; k >= 1; --k)
    limit[k] = std::min(limit[k], std::sqrt(limit[k + 1] * limit[k + 1] +
                                            2 * m.accel * segments[k].length));
  double seconds = 0;
  for (size_t k = 0; k < n; ++k) {
    const Segment& s = segments[k];
    seconds += s.pause;
    if (s.length > 0) seconds += trapezoid_seconds(s.length, limit[k], limit[k + 1], s.speed, m.accel);
  }
  return seconds;
}

struct JudgedRun {
  std::vector<Segment> segments;
  int tool_changes = 0;
};

struct Point3 {
  double x = 0, y = 0, z = 0;
};

// A straight move run stop to stop (a rapid, or a move of a drilling cycle).
Segment stop_to_stop(double length, double speed, std::array<double, 3> dir, double* pause) {
  Segment s;
  s.length = length;
  s.speed = speed;
  s.start_dir = s.end_dir = dir;
  s.stop_before = true;
  s.pause = *pause;
  *pause = 0;
  return s;
}

// A drilling cycle as a control runs it: a rapid over the hole at the height the tool stands,
// a rapid down to the R level, then down at the feed and up at rapid speed; a peck cycle goes
// down one peck at a time, back up to the R level after each and rapidly down to the depth
// reached before the next.
void judge_drill_cycle(const ReadDrill& d, const Machine& m, Point3* at, double* pause,
                       std::vector<Segment>* out) {
  const double xy = std::hypot(d.x - at->x, d.y - at->y);
  if (xy > 0) out->push_back(stop_to_stop(xy, m.rapid, unit(d.x - at->x, d.y - at->y, 0), pause));
  if (std::fabs(at->z - d.r) > 0)
    out->push_back(stop_to_stop(std::fabs(at->z - d.r), m.rapid, unit(0, 0, d.r - at->z), pause));
  const double feed = d.feed / 60.0;
  const double peck = d.q == "-" ? 0.0 : std::stod(d.q);
  double reached = d.r;
  while (reached > d.z) {
    const double next = peck > 0 ? std::max(d.z, reached - peck) : d.z;
    if (reached < d.r) out->push_back(stop_to_stop(d.r - reached, m.rapid, unit(0, 0, -1), pause));
    out->push_back(stop_to_stop(reached - next, feed, unit(0, 0, -1), pause));
    out->push_back(stop_to_stop(d.r - next, m.rapid, unit(0, 0, 1), pause));
    reached = next;
  }
  *at = {d.x, d.y, d.r};
}

// The reading as the judge's segments. Where the machine stood before the program is not in it:
// the judge starts at the end of the program's first move, as the back-plot's first record does.
JudgedRun judge_run(const Reading& r, const Machine& m) {
  JudgedRun run;
  bool first = true;
  double pause = 0;
  Point3 at;
  for (const ReadEvent& e : r.events) {
    if (e.kind == 't') {
      ++run.tool_changes;
      pause += 6.0;
      continue;
    }
    if (e.kind == 'd') {
      const ReadDrill& d = r.drills[e.index];
      judge_drill_cycle(d, m, &at, &pause, &run.segments);
      continue;
    }
    const ReadMove& mv = r.moves[e.index];
    at = {mv.x2, mv.y2, mv.z2};
    const bool rapid = mv.motion == "G0";
    const double feed = rapid ? 0.0 : mv.feed;
    if (first) {
      first = false;
      continue;
    }
    Segment s;
    s.feed = !rapid;
    s.feed_rate = feed;
    s.speed = rapid ? m.rapid : feed / 60.0;
    const double dz = mv.z2 - mv.z1;
    if (mv.arc) {
      const double r1 = std::hypot(mv.x1 - mv.cx, mv.y1 - mv.cy);
      const double a1 = std::atan2(mv.y1 - mv.cy, mv.x1 - mv.cx);
      const double a2 = std::atan2(mv.y2 - mv.cy, mv.x2 - mv.cx);
      const bool cw = mv.motion == "G2";
      double sweep = cw ? a1 - a2 : a2 - a1;
      while (sweep <= 1e-9) sweep += 2 * PI;
      s.length = r1 * sweep;
      const double sign = cw ? -1 : 1;
      s.start_dir = unit(-sign * std::sin(a1), sign * std::cos(a1), 0);
      s.end_dir = unit(-sign * std::sin(a2), sign * std::cos(a2), 0);
    } else {
      s.length = std::sqrt(std::pow(mv.x2 - mv.x1, 2) + std::pow(mv.y2 - mv.y1, 2) + dz * dz);
      s.start_dir = s.end_dir = unit(mv.x2 - mv.x1, mv.y2 - mv.y1, dz);
    }
    // A rapid is run stop to stop, and so is a move that changes between rapid and feed.
    s.stop_before = rapid || run.segments.empty() || !run.segments.back().feed;
    s.pause = pause;
    pause = 0;
    run.segments.push_back(s);
  }
  return run;
}

struct JudgeCase {
  const char* name;
  const char* kind;
  bool metric;
  float feed;    // a factory tool's feed
  bool bounded;  // within the model: a machine at these feeds spends its time cutting
};

class TimeEstimateJudge : public NcToolFixture,
                          public ::testing::WithParamInterface<JudgeCase> {
 protected:
  // The program's proof file, as the NC program page makes it.
  static int back_plot_program(const fs::path& program) {
    std::ifstream in(program);
    push_list();
    g_lists.current = LineList{};
    std::string text;
    while (std::getline(in, text)) append_line(text.c_str());
    const LineList lines = g_lists.current;
    pop_list();
    const int result = nc_to_proof_file(lines.first, PROOF_NO_DECORATION);
    free_list(lines.first);
    return result;
  }
  // The job's rapid height, in its units.
  static float rapid_height(bool metric) { return metric ? 2.54f : 0.1f; }

  void build(const std::string& kind, bool metric, float feed) {
    const float u = metric ? 25.4f : 1.0f;
    g_job_settings.units = metric ? JOB_UNITS_MILLIMETRE : JOB_UNITS_INCH;
    g_job_settings.post_processor_number = 1;
    auto cut = [&](float depth, float step, int16_t tool, int16_t group) {
      CamParams p = centerline_cut(depth * u, step * u, tool, group);
      p.rapid_height = rapid_height(metric);
      p.finishing.feed = feed;
      p.finishing.plunge_percent = 40;
      return p;
    };
    if (kind == "lettering" || kind == "mix") {
      // Letter-sized strokes: short moves with sharp corners.
      for (int k = 0; k < 12; ++k) {
        const float x = 0.2f * k * u, y = 0.0f;
        make_item(ITEM_POLYLINE, {{x, y}, {x + 0.06f * u, y + 0.15f * u}, {x + 0.12f * u, y},
                                  {x + 0.03f * u, y + 0.07f * u}, {x + 0.1f * u, y + 0.07f * u}},
                  cut(0.01f, 0, 1, 10));
      }
    }
    if (kind == "contours" || kind == "mix")
      make_filleted_rectangle(0, 1 * u, 4 * u, 3 * u, 0.5f * u, cut(0.1f, 0.03f, 2, 20));
    if (kind == "drilling" || kind == "mix" || kind == "pecking") {
      CamParams drill = cut(0.2f, 0, 3, 30);
      if (kind == "pecking") {
        drill.operation = CAM_OP_CONTOUR_INSIDE;  // a drill point's peck drilling
        drill.peck_distance = 0.05f * u;
      }
      make_drill_pattern(0, -1 * u, 4, 2, 1 * u, 0.5f * u, drill);
    }
  }
};

TEST_P(TimeEstimateJudge, EstimateComesWithinATenthOfTheJudge) {
  const JudgeCase& c = GetParam();
  std::string why;
  if (!reader_available(&why)) FAIL() << why;
  build(c.kind, c.metric, c.feed);
  const fs::path job = save_job();
  const fs::path out = folder_ / "job.nc";
  ASSERT_EQ(run_tool(quoted(job) + " " + quoted(out)), 0) << tool_log();
  if (std::string(c.kind) == "pecking") {
    ASSERT_NE(file_text(out).find("G83"), std::string::npos);
  }
  Reading reading;
  std::string error;
  const std::string start = "0,0," + std::to_string(rapid_height(c.metric));
  ASSERT_TRUE(read_program(out, start, 1.0, &reading, &error)) << error;
  const double u = c.metric ? 1.0 : 1.0 / 25.4;  // job units per millimetre
  const Machine machine{5000.0 * u / 60.0, 500.0 * u, 0.01 * u, u};
  const JudgedRun run = judge_run(reading, machine);
  ASSERT_EQ(back_plot_program(out), 1);
  const double judge = judge_seconds(run.segments, machine);
  // The rapid settings a user would set from the machine's data.
  const double v = machine.rapid, a = machine.accel;
  auto t = [&](double d) { return d >= v * v / a ? d / v + v / a : 2 * std::sqrt(d / a); };
  RapidSettings stored;
  stored.short_distance = static_cast<float>(v * v / a);
  stored.slow_speed = static_cast<float>(60 * (v * v / (2 * a)) / t(v * v / (2 * a)));
  stored.medium_distance = static_cast<float>(4 * v * v / a);
  stored.medium_speed = static_cast<float>(60 * (2 * v * v / a) / t(2 * v * v / a));
  stored.full_speed = static_cast<float>(60 * v);
  stored.tool_change_minutes = 0.1f;
  reset_time_estimate(&stored, c.metric);
  accumulate_proof_time();
  const double ours = g_time_estimate.total_minutes * 60.0;
  RapidSettings factory;
  reset_time_estimate(&factory, c.metric);
  accumulate_proof_time();
  const double with_factory = g_time_estimate.total_minutes * 60.0;
  std::printf("%-10s %-4s F%-5g judge %8.1f s  ours %8.1f s (%+.1f %%)  factory settings %8.1f s\n",
              c.kind, c.metric ? "mm" : "inch", c.feed, judge, ours, 100.0 * (ours - judge) / judge,
              with_factory);
  if (c.bounded) {
    EXPECT_NEAR(ours, judge, 0.1 * judge);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Jobs, TimeEstimateJudge,
    ::testing::Values(JudgeCase{"LetteringInch", "lettering", false, 15, true},
                      JudgeCase{"ContoursInch", "contours", false, 20, true},
                      JudgeCase{"DrillingInch", "drilling", false, 15, true},
                      JudgeCase{"MixInch", "mix", false, 20, true},
                      JudgeCase{"LetteringMm", "lettering", true, 400, true},
                      JudgeCase{"MixMm", "mix", true, 400, true},
                      // Beyond the model: fast feeds on small sharp shapes, where acceleration
                      // rules, and peck cycles, which the estimate counts as one plunge.
                      JudgeCase{"FastLetteringInch", "lettering", false, 200, false},
                      JudgeCase{"PeckingInch", "pecking", false, 15, false}),
    [](const ::testing::TestParamInfo<JudgeCase>& info) { return std::string(info.param.name); });

}  // namespace
