// The NC back-plot: programs read line by line into proof records as a control would read them.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <set>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "nc/back_plot.h"
#include "nc/cam_host.h"
#include "nc/nc_extents.h"
#include "nc/post_processor.h"
#include "nc/proof_file.h"
#include "records/job_settings.h"
#include "store/line_list.h"
#include "tests/support/test_folder.h"

namespace {

namespace fs = std::filesystem;

class BackPlotTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* old = std::getenv("TMP");
    if (old != nullptr) saved_tmp_ = old;
    folder_ = make_test_folder("brenvik_backplot");
    setenv("TMP", folder_.c_str(), 1);
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
    free_post_processor_list(&posts_);
    if (saved_tmp_) setenv("TMP", saved_tmp_->c_str(), 1);
    else unsetenv("TMP");
    fs::remove_all(folder_);
  }

  // The job's post processor writes engraver commands.
  void use_engraver() {
    push_list();
    g_lists.current = LineList{};
    TextLine* entry = default_post_processor("engraver", 1);
    posts_ = g_lists.current;
    pop_list();
    post_processor_def(entry)->output_kind = PP_OUTPUT_VELKOR;
    g_job_settings.post_processor = entry;
  }

  // Runs the back-plot over the lines; the records it wrote (empty without a file).
  int plot(const std::vector<std::string>& lines, uint32_t options = PROOF_NO_DECORATION) {
    free_list(program_.first);
    push_list();
    g_lists.current = LineList{};
    for (const std::string& text : lines) append_line(text.c_str());
    program_ = g_lists.current;
    pop_list();
    const int result = nc_to_proof_file(program_.first, options);
    records_.clear();
    if (fs::exists(proof_file_path())) read_proof_file(proof_file_path(), &records_);
    return result;
  }

  // The records as text: "L1 A(1,1,0) 1(2,1,0)"; tool records "T3", pauses their text.
  std::string shown(bool with_rows = true) const {
    std::ostringstream out;
    for (const ProofRecord& r : records_) {
      const char kind = static_cast<char>(r.kind);
      if (!out.str().empty() && !(kind == 'L' && !with_rows)) out << ' ';
      if (kind == 'L') {
        if (with_rows) out << 'L' << proof_field_i32(r, 0);
      } else if (kind == 'T') {  // producers write the tool's number, never text
        out << 'T' << proof_field_i32(r, 0);
      } else if (kind == 'M') {
        out << proof_record_text(r);
      } else {
        out << kind << '(' << proof_field_f32(r, 0) << ',' << proof_field_f32(r, 1) << ','
            << proof_field_f32(r, 2) << ')';
      }
    }
    return out.str();
  }

  std::vector<ProofRecord> motions() const {
    std::vector<ProofRecord> out;
    for (const ProofRecord& r : records_)
      if (r.kind != 'L' && r.kind != 'T' && r.kind != 'M') out.push_back(r);
    return out;
  }

  fs::path folder_;
  std::optional<std::string> saved_tmp_;
  LineList program_;
  LineList posts_;
  std::vector<ProofRecord> records_;
};

TEST(BackPlotNumbers, PlainDecimalsOnly) {
  struct Case {
    const char* text;
    double value;
    size_t stop;  // characters passed
  };
  const Case cases[] = {
      {"1.5,2", 1.5, 3},      {"  -0.25Y", -0.25, 7}, {"+3", 3, 2},       {".5", 0.5, 2},
      {"0x1F", 0, 1},         {"inf", 0, 0},          {"nan", 0, 0},      {"1e5", 1, 1},
      {"12/3", 12, 4},        {"", 0, 0},             {"-", 0, 1},        {"7.", 7, 2},
  };
  for (const Case& c : cases) {
    double v = -99;
    const char* end = nc_read_number(c.text, &v);
    EXPECT_DOUBLE_EQ(v, c.value) << c.text;
    EXPECT_EQ(static_cast<size_t>(end - c.text), c.stop) << c.text;
  }
}

// Each program, read from a fresh run, and the records it writes (rows and motion records).
TEST_F(BackPlotTest, ProgramsReadAsAControlReadsThem) {
  struct Case {
    const char* name;
    std::vector<std::string> lines;
    std::string expected;
  };
  const Case cases[] = {
      {"the first move positions, the next cuts", {"G1 X1 Y1", "X2"}, "L1 A(1,1,0) L2 1(2,1,0)"},
      {"G91 adds; absent axes stay", {"G0 Y3 Z2", "G91", "X1", "X1"},
       "L1 A(0,3,2) L3 0(1,3,2) L4 0(2,3,2)"},
      {"G91 then G90 keeps X where it stands", {"G0 X1 Y1", "G91", "X0.4", "G90", "G0 Z0.1"},
       "L1 A(1,1,0) L3 0(1.4,1,0) L5 z(1.4,1,0.1)"},
      {"a drilling cycle: rapid to R, down to Z, up to R",
       {"G81 X1 Y1 Z-0.1 R0.1 F5"}, "L1 0(1,1,0.1) Z(1,1,-0.1) z(1,1,0.1)"},
      {"later holes go to the cycle's depth; G80 ends it",
       {"G81 X1 Y1 Z-0.1 R0.1", "X2", "G80", "G0 X3"},
       "L1 0(1,1,0.1) Z(1,1,-0.1) z(1,1,0.1) L2 0(2,1,0.1) Z(2,1,-0.1) z(2,1,0.1) L4 0(3,1,0.1)"},
      {"an R word of a hole line without G sets the R level",
       {"G81 X1 Y1 Z-1 R0.5", "X2 R0.2"},
       "L1 0(1,1,0.5) Z(1,1,-1) z(1,1,0.5) L2 0(2,1,0.2) Z(2,1,-1) z(2,1,0.2)"},
      {"a negative R is no radius: drawn straight", {"G0 X0 Y0", "G2 X1 Y1 R-1"},
       "L1 A(0,0,0) L2 9(1,1,0)"},
      {"an arc by radius with its ends together is drawn straight", {"G0 X1 Y1", "G2 X1 Y1 R2"},
       "L1 A(1,1,0) L2 9(1,1,0)"},
      {"an arc by radius whose circles do not meet is left out",
       {"G0 X0 Y0", "G1 X1", "G2 X5 Y0 R1", "G1 Y1"},
       "L1 A(0,0,0) L2 1(1,0,0) L3 L4 1(1,1,0)"},
      {"M00 pauses, M01 does nothing", {"G0 X1", "M00", "M01"}, "L1 A(1,0,0) L2 M00  (Pause)"},
      {"a tool change before any move counts too", {"T3 M6", "G0 X1"}, "L1 T3 L2 A(1,0,0)"},
      {"a tool change after a move is the tool's number, and the next move positions",
       {"G0 X1", "T51 M6", "G0 X2 Y2 Z1", "G1 Z-1"},
       "L1 A(1,0,0) L2 T51 L3 A(2,2,1) L4 Z(2,2,-1)"},
      {"a tool number never reads as line flags", {"G0 X1", "T1073741825"},
       "L1 A(1,0,0) L2 T999999"},
      {"comments and keywords are passed over",
       {"(X9 Y9) G0 X1 ; X7", "[X5] G1 Y2 * Y8", "#100=5 G1 X3", "' X4", "DWELL Z5"},
       "L1 A(1,0,0) L2 1(1,2,0) L3 1(3,2,0) L5 Z(3,2,5)"},
      {"letters in either case", {"g1 x1 y2 z-1", "x2"}, "L1 A(1,2,-1) L2 1(2,2,-1)"},
      {"no hex, exponent, inf or nan", {"G0 X1e3 Y0x2", "G0 Xinf Y5", "G0 X nan"},
       "L1 A(2,0,0) L3 0(0,0,0)"},
  };
  for (const Case& c : cases) {
    reset_back_plot();
    reset_nc_extents();
    EXPECT_EQ(plot(c.lines), 1) << c.name;
    EXPECT_EQ(shown(), c.expected) << c.name;
  }
}

TEST_F(BackPlotTest, ModalMotionStartsAtRapidEveryRun) {
  ASSERT_EQ(plot({"G1 X1", "X2"}), 1);
  EXPECT_EQ(shown(), "L1 A(1,0,0) L2 1(2,0,0)");
  ASSERT_EQ(plot({"X1", "X2"}), 1);
  EXPECT_EQ(shown(), "L1 A(1,0,0) L2 0(2,0,0)");
}

TEST_F(BackPlotTest, ArcsBecomeChordsOnTheirCircle) {
  g_job_settings.units = JOB_UNITS_INCH;
  ASSERT_EQ(plot({"G0 X0 Y0", "G2 X2 Y0 I1 J0"}), 1);
  const std::vector<ProofRecord> m = motions();
  ASSERT_GT(m.size(), 3u);
  double previous_x = 0, previous_y = 0;
  const double tol = back_plot_chord_tolerance();
  EXPECT_DOUBLE_EQ(tol, 0.001);
  for (size_t k = 1; k < m.size(); ++k) {
    EXPECT_EQ(m[k].kind, '8');
    const double x = proof_field_f32(m[k], 0), y = proof_field_f32(m[k], 1);
    EXPECT_NEAR(std::hypot(x - 1, y), 1.0, 1e-5);
    EXPECT_GE(y, -1e-6) << "a clockwise arc from (0,0) to (2,0) about (1,0) runs over the top";
    const double step = 2 * std::asin(std::hypot(x - previous_x, y - previous_y) / 2);
    EXPECT_LE(step, 0.5 + 1e-4);
    previous_x = x;
    previous_y = y;
  }
  EXPECT_NEAR(previous_x, 2, 1e-6);
  EXPECT_NEAR(previous_y, 0, 1e-6);
  EXPECT_NEAR(g_nc_extents.max.y, 1.0, 1e-6) << "the top of the circle";
}

TEST_F(BackPlotTest, AbsoluteArcCentresCountFromTheArcsStart) {
  ASSERT_EQ(plot({"G0 X1 Y0", "G3 X3 Y0 I2 J0"}, PROOF_ABSOLUTE_ARC_CENTRES | PROOF_NO_DECORATION), 1);
  const std::vector<ProofRecord> m = motions();
  for (size_t k = 1; k < m.size(); ++k)
    EXPECT_NEAR(std::hypot(proof_field_f32(m[k], 0) - 2, proof_field_f32(m[k], 1)), 1.0, 1e-5);
  EXPECT_NEAR(g_nc_extents.min.y, -1.0, 1e-6) << "counter-clockwise from the left runs under";
}

TEST_F(BackPlotTest, AHelixGoesDownAlongItsChords) {
  ASSERT_EQ(plot({"G0 X0 Y0 Z0", "G3 X0 Y0 I5 J0 Z-2"}), 1);
  const std::vector<ProofRecord> m = motions();
  ASSERT_GT(m.size(), 4u);
  for (size_t k = 2; k < m.size(); ++k)
    EXPECT_LT(proof_field_f32(m[k], 2), proof_field_f32(m[k - 1], 2));
  EXPECT_FLOAT_EQ(proof_field_f32(m.back(), 2), -2.0f);
}

TEST_F(BackPlotTest, AnRWordWithoutGFollowsTheArcInForce) {
  ASSERT_EQ(plot({"G0 X0 Y0", "G2 X2 Y0 R1", "X4 Y0 R1"}), 1);
  int chords = 0;
  for (const ProofRecord& r : motions()) chords += r.kind == '8';
  const std::vector<ProofRecord> m = motions();
  EXPECT_EQ(m.back().kind, '8');
  EXPECT_NEAR(proof_field_f32(m.back(), 0), 4, 1e-5);
  EXPECT_GT(chords, 6);
}

TEST_F(BackPlotTest, EngraverCommands) {
  use_engraver();
  ASSERT_EQ(plot({"ZU50;", "ZD5;", "PU100,200;", "PD100,200,5;", "PD300,200;", "PU;", "T3;"}), 1);
  EXPECT_EQ(shown(), "L1 A(0,0,50) L2 z(0,0,-5) L3 0(100,200,50) L4 1(100,200,-5) "
                     "L5 1(300,200,-5) L6 z(300,200,50) L7 T3");
}

TEST_F(BackPlotTest, EngraverToolChangeBeforeAnyMoveIsShown) {
  use_engraver();
  ASSERT_EQ(plot({"T3;", "PU1,2;"}), 1);
  EXPECT_EQ(shown(), "L1 T3 L2 0(1,2,0)");
}

TEST_F(BackPlotTest, NothingMovedLeavesNoFile) {
  EXPECT_EQ(plot({"(only a comment)", "; and another", "M01", "F100 S2000"}), 0);
  EXPECT_FALSE(fs::exists(proof_file_path()));
}

TEST_F(BackPlotTest, ANumberTooLargeStopsThePlotNamingItsRow) {
  const std::string huge(45, '9');
  EXPECT_EQ(plot({"G0 X1", "G1 X2", "G1 Y" + huge}), -1);
  EXPECT_FALSE(fs::exists(proof_file_path()));
  ASSERT_EQ(g_cam_host_log.message_count(), 1);
  EXPECT_NE(g_cam_host_log.last_message().find("row 3"), std::string::npos)
      << g_cam_host_log.last_message();
  // Incremental steps that add up past the float range stop too.
  std::vector<std::string> steps = {"G91"};
  const std::string big = "G1 X3" + std::string(38, '0');
  for (int k = 0; k < 200; ++k) steps.push_back(big);
  EXPECT_EQ(plot(steps), -1);
}

TEST_F(BackPlotTest, RotaryWordsLandOnTheCylinder) {
  g_job_settings.surface_code = 11;
  g_job_settings.surface_flag = 1 << 10;
  g_job_settings.surface_radius = 2.0f;
  ASSERT_EQ(plot({"G0 Y1 A0", "G1 A90", "A45", "A180", "G91 A-90"}), 1);
  const std::vector<ProofRecord> m = motions();
  ASSERT_EQ(m.size(), 5u);
  for (const ProofRecord& r : m) {
    EXPECT_NEAR(std::hypot(proof_field_f32(r, 0), proof_field_f32(r, 2)), 2.0, 1e-5);
    EXPECT_FLOAT_EQ(proof_field_f32(r, 1), 1.0f);
  }
  EXPECT_NEAR(proof_field_f32(m[0], 2), 2.0, 1e-6) << "angle 0 is the top";
}

TEST_F(BackPlotTest, TheEndOfASphereHasRadiusZeroNotNaN) {
  g_job_settings.surface_code = 13;
  g_job_settings.surface_flag = 1 << 12;
  g_job_settings.surface_radius = 3.0f;
  ASSERT_EQ(plot({"G0 X0 Y3 A30", "Y2.9999999 A40", "Y-3 A50"}), 1);
  for (const ProofRecord& r : motions())
    for (int k = 0; k < 3; ++k) EXPECT_TRUE(std::isfinite(proof_field_f32(r, k)));
}

TEST_F(BackPlotTest, LineRowsAreTheBuffersNumbersWithTheFeedInForce) {
  ASSERT_EQ(plot({"G0 X1", "", "G1 X2 F30 S9000", "X3"}), 1);
  std::vector<std::pair<int32_t, float>> rows;
  for (const ProofRecord& r : records_)
    if (r.kind == 'L') rows.push_back({proof_field_i32(r, 0), proof_field_f32(r, 1)});
  const std::vector<std::pair<int32_t, float>> expected = {{1, 0.0f}, {3, 30.0f}, {4, 30.0f}};
  EXPECT_EQ(rows, expected);
  EXPECT_EQ(proof_field_i32(records_[2], 2), 9000);
}

}  // namespace

// ---- Against the outside reader ------------------------------------------------------------------
#include "tests/nc/back_plot_judge.h"

namespace {

// A seeded program: rapids, cuts, arcs by centre and by radius, incremental runs, drilling
// cycles and comments, every move a control accepts.
std::vector<std::string> seeded_program(unsigned seed) {
  std::mt19937 random(seed);
  std::uniform_real_distribution<double> coord(-40, 40), depth(-3, 1), offset(2, 15);
  std::uniform_int_distribution<int> pick(0, 7), feed(50, 900);
  const auto num = [](double v) {
    char text[32];
    std::snprintf(text, sizeof text, "%.3f", v);
    return std::string(text);
  };
  std::vector<std::string> lines = {"G90 G21 G17", "G0 X0 Y0 Z5"};
  double x = 0, y = 0;
  for (int k = 0; k < 60; ++k) {
    switch (pick(random)) {
      case 0:
        x = coord(random);
        y = coord(random);
        lines.push_back("G0 X" + num(x) + " Y" + num(y));
        break;
      case 1:
        x = coord(random);
        lines.push_back("G1 X" + num(x) + " Z" + num(depth(random)) + " F" + std::to_string(feed(random)));
        break;
      case 2:
      case 3: {  // by centre: the end is on the circle about the start's centre offset
        const double i = offset(random) * (pick(random) < 4 ? 1 : -1), j = offset(random);
        const double a = std::atan2(-j, -i) + (pick(random) + 1) * 0.7;
        const double r = std::hypot(i, j);
        const double cx = x + i, cy = y + j;
        x = std::round((cx + r * std::cos(a)) * 1000) / 1000;
        y = std::round((cy + r * std::sin(a)) * 1000) / 1000;
        lines.push_back(std::string(pick(random) < 4 ? "G2" : "G3") + " X" + num(x) + " Y" + num(y) +
                        " I" + num(i) + " J" + num(j) + " (arc)");
        break;
      }
      case 4: {  // by radius, the ends less than a diameter apart
        const double r = offset(random);
        const double a = coord(random);
        x += r * std::cos(a);
        y += r * std::sin(a);
        x = std::round(x * 1000) / 1000;
        y = std::round(y * 1000) / 1000;
        lines.push_back(std::string(pick(random) < 4 ? "G2" : "G3") + " X" + num(x) + " Y" + num(y) +
                        " R" + num(r));
        break;
      }
      case 5: {  // an incremental run
        lines.push_back("G91");
        for (int n = 0; n < 3; ++n) {
          const double dx = coord(random) / 4, dy = coord(random) / 4;
          x += std::stod(num(dx));
          y += std::stod(num(dy));
          lines.push_back("G1 X" + num(dx) + " Y" + num(dy));
        }
        lines.push_back("G90");
        break;
      }
      case 6:
        x = coord(random);
        y = coord(random);
        lines.push_back("G81 X" + num(x) + " Y" + num(y) + " Z-2 R1 F100");
        lines.push_back("G80");
        lines.push_back("G0 Z5");
        break;
      default:
        lines.push_back(pick(random) < 4 ? "(a comment X9 Y9)" : "; another comment G0 X5");
        break;
    }
  }
  lines.push_back("M30");
  return lines;
}

TEST_F(BackPlotTest, SeededProgramsAgreeWithTheOutsideReader) {
  std::string why;
  if (!reader_available(&why)) GTEST_SKIP() << why;
  for (unsigned seed = 1; seed <= 6; ++seed) {
    SCOPED_TRACE("seed " + std::to_string(seed));
    const std::vector<std::string> lines = seeded_program(seed);
    const fs::path file = folder_ / ("seeded" + std::to_string(seed) + ".nc");
    {
      std::ofstream out(file);
      for (const std::string& l : lines) out << l << "\n";
    }
    Reading reading;
    ASSERT_TRUE(read_program(file, "0,0,0", 1.0, &reading, &why)) << why;
    reset_back_plot();
    ASSERT_EQ(plot(lines), 1);
    expect_proof_follows_reading(records_, reading, lines, back_plot_chord_tolerance(), {0, 0, 0});
  }
}

}  // namespace
