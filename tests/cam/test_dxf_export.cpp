// The DXF export of the tool path: a job saved here is exported by the brenvik-nc tool and the
// file read back by an outside reader (Debian's python3 with python3-ezdxf): it audits clean and
// its entities are the tool path, each LINE with the Z of both its ends. The writer's own edge
// cases are walked over path code built by hand.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#include "nc/dxf_path.h"
#include "nc/path_code.h"
#include "tests/cam/nc_tool_fixture.h"

namespace {

namespace fs = std::filesystem;

struct Entity {
  std::string kind;
  std::vector<double> v;
};

// The entities ezdxf reads; the first is the audit line.
std::vector<Entity> read_with_ezdxf(const fs::path& file, std::string* error) {
  const fs::path text = file.string() + ".read";
  const std::string command = "/usr/bin/python3 '" BRENVIK_SOURCE_DIR "/tests/nc/read_dxf.py' '" +
                              file.string() + "' > '" + text.string() + "' 2>&1";
  std::vector<Entity> out;
  const int status = std::system(command.c_str());
  std::ifstream in(text);
  std::string line;
  while (std::getline(in, line)) {
    std::istringstream words(line);
    Entity e;
    words >> e.kind;
    double v;
    while (words >> v) e.v.push_back(v);
    out.push_back(e);
  }
  if (status != 0) {
    *error = "ezdxf could not read the file:";
    for (const Entity& e : out) *error += " " + e.kind;
  }
  return out;
}

class DxfExport : public NcToolFixture {};

TEST_F(DxfExport, TheExportedToolPathReadsBackAsTheItemsAtTheirDepths) {
  make_filleted_rectangle(0, 0, 4, 2, 0.5f, centerline_cut(0.1f, 0, 1, 10));
  make_circle(7, 1, 1, centerline_cut(0.05f, 0, 2, 10));
  CamParams drill = centerline_cut(0.3f, 0, 3, 15);
  make_drill_pattern(0, -3, 2, 1, 1, 0, drill);
  g_job_settings.post_processor_number = 1;
  g_job_settings.output_options = 0;
  const fs::path job = save_job();
  const fs::path out = folder_ / "path.dxf";
  ASSERT_EQ(run_tool("--dxf " + quoted(job) + " " + quoted(out)), 0) << tool_log();
  const std::string bytes = file_text(out);
  ASSERT_GE(bytes.size(), 5u);
  EXPECT_EQ(bytes.substr(bytes.size() - 5), "EOF\r\n");
  EXPECT_EQ(bytes.find('\x1a'), std::string::npos);
  std::string error;
  const std::vector<Entity> entities = read_with_ezdxf(out, &error);
  ASSERT_TRUE(error.empty()) << error;
  ASSERT_FALSE(entities.empty());
  EXPECT_EQ(entities[0].kind, "audit");
  EXPECT_EQ(entities[0].v, (std::vector<double>{0, 0})) << "the file needed fixing";
  int lines = 0, arcs = 0, circles = 0, points = 0;
  for (size_t k = 1; k < entities.size(); ++k) {
    const Entity& e = entities[k];
    ASSERT_NE(e.kind, "LAYER") << "an entity off layer 0";
    ASSERT_NE(e.kind, "OTHER");
    if (e.kind == "LINE") {
      ++lines;
      // Both ends of a cut of the rectangle lie at its depth, on its outline.
      EXPECT_NEAR(e.v[2], -0.1, 1e-5);
      EXPECT_NEAR(e.v[5], -0.1, 1e-5);
      for (int end : {0, 3}) {
        const double x = e.v[end], y = e.v[end + 1];
        const bool on_side = std::fabs(y) < 1e-4 || std::fabs(y - 2) < 1e-4 ||
                             std::fabs(x) < 1e-4 || std::fabs(x - 4) < 1e-4;
        EXPECT_TRUE(on_side) << x << "," << y;
      }
    } else if (e.kind == "ARC") {
      ++arcs;
      EXPECT_NEAR(e.v[3], 0.5, 1e-4);
      EXPECT_NEAR(e.v[2], -0.1, 1e-5);
    } else if (e.kind == "CIRCLE") {
      ++circles;
      EXPECT_NEAR(e.v[0], 7, 1e-4);
      EXPECT_NEAR(e.v[1], 1, 1e-4);
      EXPECT_NEAR(e.v[3], 1, 1e-4);
      EXPECT_NEAR(e.v[2], -0.05, 1e-5);
    } else if (e.kind == "POINT") {
      ++points;
      EXPECT_NEAR(e.v[1], -3, 1e-4);
      EXPECT_NEAR(e.v[2], -0.3, 1e-5);
    }
  }
  EXPECT_EQ(lines, 4);
  EXPECT_EQ(arcs, 4);
  EXPECT_EQ(circles + arcs, 5) << "the circle is one entity or arcs";
  EXPECT_EQ(points, 2);
}

// ---- the writer over hand-built path code ----------------------------------------------------------

class DxfWriter : public ::testing::Test {
 protected:
  void SetUp() override {
    reset_path_code();
    ASSERT_EQ(path_alloc(), 0);
    folder_ = make_test_folder("brenvik_dxf_writer");
    g_dxf_export = DxfExportState{};
    g_dxf_export.path = (fs::path(folder_) / "out.dxf").string();
  }
  void TearDown() override {
    reset_path_code();
    std::error_code ignored;
    fs::remove_all(folder_, ignored);
  }
  void op(char code, std::vector<float> v = {}) {
    path_put_op(code, v.data(), static_cast<int>(v.size()));
  }
  std::vector<Entity> write_and_read() {
    EXPECT_TRUE(dxf_write_path()) << g_dxf_export.failure;
    std::string error;
    std::vector<Entity> e = read_with_ezdxf(g_dxf_export.path, &error);
    EXPECT_TRUE(error.empty()) << error;
    return e;
  }
  std::string folder_;
};

TEST_F(DxfWriter, RapidsAloneWriteAnEmptyDrawing) {
  op('0', {1, 1, 0.1f});
  op('0', {2, 3, 0.1f});
  const std::vector<Entity> e = write_and_read();
  ASSERT_EQ(e.size(), 1u);
  EXPECT_EQ(e[0].v, (std::vector<double>{0, 0}));
}

TEST_F(DxfWriter, ACutAfterAPlungeStartsAtTheCutDepthAndAZOnlyMoveDrawsNothing) {
  op('0', {1, 0, 0.1f});
  op('Z', {-0.2f});
  op('1', {1, 0, -0.3f});  // only Z changes
  op('1', {2, 0, -0.3f});
  const std::vector<Entity> e = write_and_read();
  ASSERT_EQ(e.size(), 2u);
  EXPECT_EQ(e[1].kind, "LINE");
  EXPECT_EQ(e[1].v, (std::vector<double>{1, 0, -0.3, 2, 0, -0.3}));
}

TEST_F(DxfWriter, AClockwiseQuarterArcRunsCounterClockwiseFromItsEnd) {
  op('0', {1, 0, -0.1f});
  op('2', {0, -1, -1, 0});
  const std::vector<Entity> e = write_and_read();
  ASSERT_EQ(e.size(), 2u);
  ASSERT_EQ(e[1].kind, "ARC");
  EXPECT_NEAR(e[1].v[3], 1.0, 1e-6);
  EXPECT_NEAR(e[1].v[4], 270.0, 1e-3);
  EXPECT_NEAR(std::fmod(e[1].v[5], 360.0), 0.0, 1e-3);
}

TEST_F(DxfWriter, PathCodeItCanNotDrawWritesNoFile) {
  op('0', {1, 0, -0.1f});
  g_path_code.ops[g_path_code.op_count++] = 'Q';
  EXPECT_FALSE(dxf_write_path());
  EXPECT_FALSE(fs::exists(g_dxf_export.path));
  EXPECT_NE(g_dxf_export.failure.find("'Q'"), std::string::npos);
}

}  // namespace
