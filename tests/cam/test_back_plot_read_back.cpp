// End to end: a job's NC program in each G & M format of the factory file, made by the
// brenvik-nc tool, back-plotted by the same tool as the NC program page would with the job open,
// and held against the outside G-code reader's run of that program.
#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "nc/proof_file.h"
#include "tests/cam/nc_tool_fixture.h"
#include "tests/nc/back_plot_judge.h"

namespace {

namespace fs = std::filesystem;

class BackPlotReadBack : public NcToolFixture {
 protected:
  void build_job() {
    make_filleted_rectangle(0, 0, 4, 2, 0.5f, centerline_cut(0.1f, 0.05f, 1, 10));
    make_circle(7, 1, 1, centerline_cut(0.05f, 0, 1, 10));
    CamParams drill = centerline_cut(0.3f, 0, 1, 15);
    make_drill_pattern(0, -3, 3, 2, 1, 0.5f, drill);
  }
  static std::vector<std::string> lines_of(const fs::path& p) {
    std::ifstream in(p);
    std::vector<std::string> lines;
    std::string line;
    while (std::getline(in, line)) lines.push_back(line);
    return lines;
  }
};

TEST_F(BackPlotReadBack, FactoryFormatsBackPlotAsTheReaderRunsThem) {
  struct Case {
    int16_t post_processor;
    const char* label;
    double scale;
    bool incremental;
  };
  const Case cases[] = {
      {1, "absolute", 1.0, false},
      {2, "absolute millimetres", 1.0, false},
      {3, "absolute inch, numbered and spaced", 25.4, false},
      {4, "incremental X,Y,Z", 1.0, true},
  };
  std::string why;
  if (!reader_available(&why)) FAIL() << why;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    SetUp();
    build_job();
    g_job_settings.post_processor_number = c.post_processor;
    const fs::path job = save_job();
    const fs::path program = folder_ / "plate.nc";
    const fs::path proof = folder_ / "plate.v3d";
    ASSERT_EQ(run_tool(quoted(job) + " " + quoted(program)), 0) << tool_log();
    ASSERT_EQ(run_tool("--proof " + quoted(job) + " " + quoted(program) + " " + quoted(proof)), 0)
        << tool_log();
    std::vector<ProofRecord> records;
    ASSERT_TRUE(read_proof_file(proof.string(), &records));
    Reading reading;
    ASSERT_TRUE(read_program(program, "0,0,0", c.scale, &reading, &why)) << why;
    const double tol = g_job_settings.units == JOB_UNITS_INCH ? 0.001 : 0.025;
    expect_proof_follows_reading(records, reading, lines_of(program), tol, {0, 0, 0});
    TearDown();
  }
}

TEST_F(BackPlotReadBack, NothingMovedWritesNoFileAndFails) {
  build_job();
  const fs::path job = save_job();
  const fs::path program = folder_ / "empty.nc";
  std::ofstream(program) << "(nothing but a comment)\nM30\n";
  const fs::path proof = folder_ / "empty.v3d";
  EXPECT_NE(run_tool("--proof " + quoted(job) + " " + quoted(program) + " " + quoted(proof)), 0);
  EXPECT_FALSE(fs::exists(proof));
  EXPECT_NE(tool_log().find("nothing"), std::string::npos) << tool_log();
}

}  // namespace
