// The DXF import judged by an outside reader: ezdxf (run by Debian's Python) writes R12 and
// R2000 files and their geometry as it sees them; the imported items and that geometry must
// agree both ways within the tolerance, arcs must come in as arcs, and through brenvik-import
// and brenvik-nc the cuts read back by the outside G-code reader must lie on it.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "tests/import/import_fixture.h"
#include "tests/import/judge_geometry.h"

namespace {

constexpr char PYTHON[] = "/usr/bin/python3";

class DxfJudge : public ImportFixture {
 protected:
  void SetUp() override {
    ImportFixture::SetUp();
    const std::string command = std::string(PYTHON) + " '" + JUDGE_SCRIPT + "' '" + folder_.string() +
                                "' > '" + (folder_ / "python.log").string() + "' 2>&1";
    made_ = std::system(command.c_str()) == 0;
  }
  // The exploder of the built program folder.
  void use_exploder() { g_import.exploder_folder = BRENVIK_PROGRAM_DIR; }

  bool made_ = false;
};

// Every sampled point of an item lies on the judge's geometry, and every point of the judge's
// geometry on an item.
void expect_agreement(const std::vector<DrawingItem*>& all, const std::vector<JudgeShape>& shapes,
                      double tolerance, const std::string& label) {
  std::vector<JudgeShape> imported;
  for (DrawingItem* item : all) {
    JudgeShape s;
    for (const PointF& p : item_samples(item, 32)) s.push_back({p.x, p.y});
    imported.push_back(s);
  }
  int far_items = 0, far_judge = 0;
  for (const JudgeShape& s : imported)
    for (const JudgePoint& p : s)
      if (distance_to_shapes(p.x, p.y, shapes) > tolerance && far_items++ < 5)
        ADD_FAILURE() << label << ": imported point " << p.x << "," << p.y << " is off the drawing";
  for (const JudgeShape& s : shapes)
    for (const JudgePoint& p : s)
      if (distance_to_shapes(p.x, p.y, imported) > tolerance && far_judge++ < 5)
        ADD_FAILURE() << label << ": drawing point " << p.x << "," << p.y << " was not imported";
}

TEST_F(DxfJudge, ImportedItemsAndTheJudgeAgreeBothWays) {
  ASSERT_TRUE(made_) << read_file_bytes((folder_ / "python.log").string());
  use_exploder();
  for (const std::string name : {"r12", "r2000"}) {
    free_list(g_lists.current.first);
    reset_list_store();
    ASSERT_EQ(import_file((folder_ / (name + ".dxf")).string(), IMPORT_MATCH_LAYER_NAMES), TEMP_READ_OK)
        << messages();
    const auto all = items();
    ASSERT_FALSE(all.empty());
    const double tolerance = g_job_settings.tolerance + 0.002;
    expect_agreement(all, read_judge_shapes((folder_ / (name + ".json")).string()), tolerance, name);
    int arcs = 0, circles = 0;
    for (DrawingItem* item : all) {
      if (item->kind == ITEM_CIRCLE) ++circles;
      for (int i = 0; i < item_link_count(item); ++i) arcs += code_is_arc(item_nodes(item)[i].code);
    }
    EXPECT_GE(circles, 3) << name;
    EXPECT_GE(arcs, 10) << name;
  }
  // The named layers took free job layers; "7" is layer 7.
  EXPECT_EQ(layer_line(1)->text, "cut");
}

TEST_F(DxfJudge, WithoutTheExploderTheInsertsAreLeftOutAndNamed) {
  ASSERT_TRUE(made_);
  ASSERT_EQ(import_file((folder_ / "r12.dxf").string()), TEMP_READ_OK);
  EXPECT_NE(messages().find("INSERT"), std::string::npos) << messages();
}

// ---- through the command-line tools and the outside G-code reader ----

struct CutMove {
  double x1, y1, z1, x2, y2, z2, cx = 0, cy = 0;
  bool arc = false, clockwise = false;
};

std::vector<CutMove> read_cuts(const std::string& program, const std::string& log) {
  const std::string command = "node '" GCODE_CHECK_DIR "/read_toolpath.js' --text --start 0,0,0 '" +
                              program + "' > '" + log + "' 2>&1";
  EXPECT_EQ(std::system(command.c_str()), 0) << read_file_bytes(log);
  std::vector<CutMove> cuts;
  std::istringstream lines(read_file_bytes(log));
  std::string line;
  while (std::getline(lines, line)) {
    std::istringstream words(line);
    std::string kind, motion;
    words >> kind >> motion;
    if (kind != "move" || motion == "G0") continue;
    CutMove m;
    words >> m.x1 >> m.y1 >> m.z1 >> m.x2 >> m.y2 >> m.z2;
    double cz;
    if (words >> m.cx >> m.cy >> cz) m.arc = true;
    m.clockwise = motion == "G2";
    if (m.z1 < -1e-6 && std::fabs(m.z1 - m.z2) < 1e-6) cuts.push_back(m);
  }
  return cuts;
}

// Points along a cut, close enough that its chords stay within a micrometre of its arc.
std::vector<JudgePoint> cut_samples(const CutMove& m) {
  std::vector<JudgePoint> out;
  const int n = m.arc ? 512 : 16;
  if (!m.arc) {
    for (int k = 0; k <= n; ++k) out.push_back({m.x1 + (m.x2 - m.x1) * k / n, m.y1 + (m.y2 - m.y1) * k / n});
    return out;
  }
  const double r = std::hypot(m.x1 - m.cx, m.y1 - m.cy);
  const double a1 = std::atan2(m.y1 - m.cy, m.x1 - m.cx), a2 = std::atan2(m.y2 - m.cy, m.x2 - m.cx);
  double sweep = m.clockwise ? a1 - a2 : a2 - a1;
  while (sweep <= 1e-9) sweep += 2 * M_PI;
  for (int k = 0; k <= n; ++k) {
    const double a = a1 + (m.clockwise ? -1 : 1) * sweep * k / n;
    out.push_back({m.cx + r * std::cos(a), m.cy + r * std::sin(a)});
  }
  return out;
}

TEST_F(DxfJudge, CutsOfTheImportedJobLieOnTheDrawing) {
  ASSERT_TRUE(made_);
  for (const std::string name : {"r12", "r2000"}) {
    const std::string dxf = (folder_ / (name + ".dxf")).string();
    const std::string job = (folder_ / (name + ".job")).string();
    const std::string nc = (folder_ / (name + ".nc")).string();
    const std::string log = (folder_ / "tool.log").string();
    const std::string import = "'" BRENVIK_PROGRAM_DIR "/brenvik-import' --cut-type 1 '" + dxf + "' '" +
                               job + "' > '" + log + "' 2>&1";
    ASSERT_EQ(std::system(import.c_str()), 0) << read_file_bytes(log);
    const std::string make = "'" BRENVIK_PROGRAM_DIR "/brenvik-nc' '" + job + "' '" + nc + "' > '" + log +
                             "' 2>&1";
    ASSERT_EQ(std::system(make.c_str()), 0) << read_file_bytes(log);
    const std::vector<CutMove> cuts = read_cuts(nc, (folder_ / "read.log").string());
    ASSERT_FALSE(cuts.empty()) << name;
    const std::vector<JudgeShape> shapes = read_judge_shapes((folder_ / (name + ".json")).string());
    int off = 0;
    for (const CutMove& m : cuts)
      for (const JudgePoint& p : cut_samples(m))
        if (distance_to_shapes(p.x, p.y, shapes) > g_job_settings.tolerance + 0.003 && off++ < 5)
          ADD_FAILURE() << name << ": a cut at " << p.x << "," << p.y << " is off the drawing";
  }
}

// Runs brenvik-import and brenvik-nc on the drawing and reads the program back; the cuts.
std::vector<CutMove> cuts_of_drawing(const std::filesystem::path& folder, const std::string& drawing) {
  const std::string job = (folder / "road.job").string(), nc = (folder / "road.nc").string();
  const std::string log = (folder / "road.log").string();
  const std::string import = "'" BRENVIK_PROGRAM_DIR "/brenvik-import' --cut-type 1 '" + drawing + "' '" + job +
                             "' > '" + log + "' 2>&1";
  EXPECT_EQ(std::system(import.c_str()), 0) << read_file_bytes(log);
  const std::string make = "'" BRENVIK_PROGRAM_DIR "/brenvik-nc' '" + job + "' '" + nc + "' > '" + log + "' 2>&1";
  EXPECT_EQ(std::system(make.c_str()), 0) << read_file_bytes(log);
  return read_cuts(nc, (folder / "road.read").string());
}

JudgeShape arc_shape(double cx, double cy, double r, double from, double to) {
  JudgeShape s;
  for (int k = 0; k <= 64; ++k) {
    const double a = from + (to - from) * k / 64;
    s.push_back({cx + r * std::cos(a), cy + r * std::sin(a)});
  }
  return s;
}

// The cuts lie on the shapes, and every point of the shapes is cut.
void expect_cuts_on(const std::vector<CutMove>& cuts, const std::vector<JudgeShape>& shapes, double tolerance) {
  ASSERT_FALSE(cuts.empty());
  std::vector<JudgeShape> cut_shapes;
  int off = 0;
  for (const CutMove& m : cuts) {
    cut_shapes.push_back(cut_samples(m));
    for (const JudgePoint& p : cut_shapes.back())
      if (distance_to_shapes(p.x, p.y, shapes) > tolerance && off++ < 5)
        ADD_FAILURE() << "a cut at " << p.x << "," << p.y << " is off the drawing";
  }
  for (const JudgeShape& s : shapes)
    for (const JudgePoint& p : s)
      if (distance_to_shapes(p.x, p.y, cut_shapes) > tolerance && off++ < 10)
        ADD_FAILURE() << "the drawing at " << p.x << "," << p.y << " is not cut";
}

TEST_F(DxfJudge, GCodeArcsInAbsoluteAndIncrementalModeComeThroughTheRoad) {
  const std::string program = write_file("plate.ngc",
      "%\n(plate: absolute, then incremental)\n\nG90 G0 X0 Y0\nG1 X10 Y0 (X99)\n\n"
      "G2 X20 Y0 I5 J0\nG91 G3 X10 Y0 I5 J0\nG90\nG1 X30 Y10\nM30\n");
  const std::vector<JudgeShape> shapes = {{{0, 0}, {10, 0}},
                                          arc_shape(15, 0, 5, M_PI, 0),
                                          arc_shape(25, 0, 5, M_PI, 2 * M_PI),
                                          {{30, 0}, {30, 10}}};
  const std::vector<CutMove> cuts = cuts_of_drawing(folder_, program);
  expect_cuts_on(cuts, shapes, 0.003);
  int arcs = 0;
  for (const CutMove& m : cuts) arcs += m.arc;
  EXPECT_GE(arcs, 2);
}

TEST_F(DxfJudge, APlotWithPolylineEncodingDecimalsAndFarPositionsComesThroughTheRoad) {
  auto pe = [](long v) {
    unsigned long u = v < 0 ? static_cast<unsigned long>(-v) * 2 + 1 : static_cast<unsigned long>(v) * 2;
    std::string s;
    for (; u >= 64; u /= 64) s += static_cast<char>(63 + u % 64);
    return s + static_cast<char>(191 + u);
  };
  const std::string plot = write_file("plate.plt", "IN;SP1;PU0,0;PD1000.5,0;PU;PE<=" + pe(40000) + pe(0) +
                                                       pe(0) + pe(2000) + pe(-1000) + pe(0) + ";");
  const std::vector<JudgeShape> shapes = {{{0, 0}, {25.0125, 0}}, {{1000, 0}, {1000, 50}, {975, 50}}};
  expect_cuts_on(cuts_of_drawing(folder_, plot), shapes, 0.003);
}

}  // namespace
