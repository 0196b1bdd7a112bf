// The whole program, headless, driven through its event queue: a job opened with Ctrl+O, the NC
// program tab makes its program into the NC document, Ctrl+S saves it beside the job, and the
// 3-D view tab shows its proof. The saved program is the one brenvik-nc makes of the job, and the
// outside G-code reader runs it as a control would: every cut at the job's depth, no rapid below
// the work, nothing lost.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "tests/cam/gcode_reading.h"
#include "tests/cam/nc_tool_fixture.h"
#include "tests/support/headless_script.h"

namespace {

namespace fs = std::filesystem;

class NcPageRun : public NcToolFixture {
 protected:
  // Runs the headless program in the job's folder on a script; its exit code.
  int run(const std::string& script) {
    copy_program_data_files(BRENVIK_PROGRAM_DIR, folder_ / "program");
    return run_headless_script(folder_, folder_ / "program", folder_, script);
  }
  static std::vector<std::string> lines_of(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::vector<std::string> lines;
    std::string line;
    while (std::getline(in, line)) {
      if (!line.empty() && line.back() == '\r') line.pop_back();
      lines.push_back(line);
    }
    return lines;
  }
};

// The tabs of the runner's 1024 x 768 screen: Drawing at x = 440, 3-D view at 540, NC program
// at 650 (y = 30).
constexpr char PAGE_RUN_SCRIPT[] = R"(move 5 400
key Ctrl+O
wait 100
type p
key Enter
wait 300
click 650 30
wait 300
dump nc-page
key Ctrl+S
wait 100
key Tab
key Enter
wait 300
dump saved
click 540 30
wait 300
dump proof
click 440 30
wait 100
close
)";

TEST_F(NcPageRun, TheNcTabMakesTheJobsProgramAndCtrlSSavesItBesideTheJob) {
  std::string why;
  if (!reader_available(&why)) FAIL() << why;
  const float depth = 0.1f;
  make_filleted_rectangle(0, 0, 4, 2, 0.5f, centerline_cut(depth, 0.05f, 1, 10));
  make_circle(7, 1, 1, centerline_cut(depth, 0, 1, 10));
  const fs::path job = save_job("plate.job");
  ASSERT_EQ(run(PAGE_RUN_SCRIPT), 0) << file_text(folder_ / "stderr.txt");

  // The page shows the program; the save takes the job's name with the post processor's
  // extension.
  const std::string page = file_text(folder_ / "nc-page.txt");
  EXPECT_NE(page.find("NC program"), std::string::npos) << page;
  const fs::path saved = folder_ / "plate.NC";
  ASSERT_TRUE(fs::exists(saved)) << file_text(folder_ / "saved.txt");
  const std::vector<std::string> program = lines_of(saved);
  ASSERT_GT(program.size(), 4u);
  for (size_t i = 1; i < 4; ++i)  // the first line's first cell holds the blinking caret
    EXPECT_NE(page.find(program[i].substr(0, 20)), std::string::npos) << program[i] << "\n" << page;

  // The same program brenvik-nc makes of the job, line for line.
  const fs::path made = folder_ / "made.nc";
  ASSERT_EQ(run_tool(quoted(job) + " " + quoted(made)), 0) << tool_log();
  EXPECT_EQ(program, lines_of(made));

  // Run as a control runs it: it cuts at the depth, and never moves across at rapid below the
  // work; the cuts come back where the rectangle and the circle lie.
  Reading reading;
  ASSERT_TRUE(read_program(saved, "0,0,0", 1.0, &reading, &why)) << why;
  ASSERT_FALSE(reading.moves.empty());
  double deepest = 0;
  for (const ReadMove& m : reading.moves) {
    deepest = std::min(deepest, std::min(m.z1, m.z2));
    const bool across = std::hypot(m.x2 - m.x1, m.y2 - m.y1) > 1e-6;
    if (m.motion == "G0" && across) {
      EXPECT_GE(std::min(m.z1, m.z2), -1e-6) << "rapid across below the work, line " << m.line;
    }
    if (m.motion != "G0") {
      EXPECT_GE(std::min(m.x1, m.x2), -0.01) << "line " << m.line;
      EXPECT_LE(std::max(m.x1, m.x2), 8.01) << "line " << m.line;
    }
  }
  EXPECT_NEAR(deepest, -depth, 1e-4);

  // The 3-D view shows the proof of the job's program, not the page it came from.
  const std::string proof = file_text(folder_ / "proof.txt");
  EXPECT_FALSE(proof.empty());
  EXPECT_EQ(proof.find("plate.NC"), std::string::npos) << proof;
}

}  // namespace
