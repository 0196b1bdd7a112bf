// End to end: the whole program, headless, opens a job, edits a circle's cutting depth and tool
// number in the machining rows of its panel and saves; the job read back holds them, and the NC
// tool's program, read by the outside G-code reader, cuts to the new depth with the wider path
// the V-bit cuts there, under the new tool.
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "cam/machining_block.h"
#include "job/job_file.h"
#include "job/job_open.h"
#include "tests/cam/gcode_reading.h"
#include "tests/cam/make_nc_fixture.h"
#include "tests/editor/page_script_fixture.h"
#include "tests/support/test_folder.h"

namespace fs = std::filesystem;

namespace {

constexpr float RADIUS = 5.0f;
constexpr float V_BIT_90 = 1.5707964f;
constexpr float OLD_DEPTH = 0.05f;
constexpr float NEW_DEPTH = 0.1f;

class CamPanelToNc : public PageScriptFixture, protected MakeNcJob {
 protected:
  CamPanelToNc() : PageScriptFixture("brenvik-cam-panel-nc") {}
  void SetUp() override {
    PageScriptFixture::SetUp();
    set_up_make_nc();
    // A circle cut inside by a 90 degree V-bit: the path runs half the cutting width in.
    CamParams p = centerline_cut(OLD_DEPTH, 0, 1, 10);
    p.operation = CAM_OP_CONTOUR_INSIDE;
    p.machining_order = 1;
    p.finishing.shape = TOOL_SHAPE_TAPERED;
    p.finishing.size = V_BIT_90;
    p.finishing.cut_width = cut_width_from_depth(OLD_DEPTH, TOOL_SHAPE_TAPERED, V_BIT_90, 0);
    make_circle(0, 0, RADIUS, p);
    g_job_settings.item_id_counter = 1;
    reset_layers();
    EXPECT_EQ(write_job_to_path((folder_ / "jobs" / "sample.job").string()), 0);
    tear_down_make_nc();
  }
  static std::string read(const fs::path& path) { return read_file_bytes(path.string()); }
};

TEST_F(CamPanelToNc, ADepthAndToolTypedInThePanelReachTheProgram) {
  std::string why;
  if (!reader_available(&why)) FAIL() << why;
  ViewState& v = g_view;
  v.extent_min_x = v.extent_min_y = -RADIUS;
  v.extent_max_x = v.extent_max_y = RADIUS;
  set_view_to_extents();
  zoom_by(0.85f);
  pan_to_window(0);
  int x = 0, y = 0;
  pixel_of({RADIUS, 0.0f}, &x, &y);
  std::string script = "move 5 400\nkey Ctrl+O\nwait 100\ntype s\nkey Enter\nwait 300\n";
  // The pointer on the circle, e opens its page; ten open rows down is the cutting depth, two
  // more (past the width, which a contour does not take) the finishing tool. A typed value goes
  // on after the value shown: that is cleared first.
  script += "move " + std::to_string(x) + " " + std::to_string(y) + "\nwait 300\nkey e\nwait 300\n";
  for (int k = 0; k < 10; ++k) script += "key Down\n";
  for (int k = 0; k < 8; ++k) script += "key Backspace\n";
  script += "type 0.1\nkey Down\nwait 100\nkey Down\nwait 100\n";
  // Esc leaves the panel for the page's menu, which a second Esc closes.
  script += "key Backspace\nkey Backspace\ntype 3\nkey Up\nwait 100\nkey Esc\nwait 300\nkey Esc\nwait 300\n";
  script += "key Ctrl+S\nwait 1500\nclose\n";
  ASSERT_EQ(run(script), 0) << read(folder_ / "stderr.txt");

  const float new_width = cut_width_from_depth(NEW_DEPTH, TOOL_SHAPE_TAPERED, V_BIT_90, 0);
  push_list();
  clear_current_list();
  ASSERT_EQ(load_job_file((folder_ / "jobs" / "sample.job").string(), nullptr), 0);
  int circles = 0;
  for (DrawingItem* item = g_lists.current.first; item != nullptr; item = item->next) {
    if (item->extra.empty() || item_type(item) != ITEM_CIRCLE) continue;
    ++circles;
    CamParams p;
    ASSERT_TRUE(get_block_cam(item_block(item), &p));
    EXPECT_FLOAT_EQ(p.finishing.cut_depth, NEW_DEPTH);
    EXPECT_NEAR(p.finishing.cut_width, new_width, 1e-6);
    EXPECT_EQ(p.finishing.tool_number, 3);
  }
  free_current_list();
  pop_list();
  ASSERT_EQ(circles, 1);

  const fs::path out = folder_ / "sample.nc";
  const std::string command = "'" BRENVIK_PROGRAM_DIR "/brenvik-nc' '" +
                              (folder_ / "jobs" / "sample.job").string() + "' '" + out.string() +
                              "' > '" + (folder_ / "tool.log").string() + "' 2>&1";
  ASSERT_EQ(std::system(command.c_str()), 0) << read(folder_ / "tool.log");
  Reading reading;
  std::string error;
  ASSERT_TRUE(read_program(out, "0,0,0.1", 1.0, &reading, &error)) << error;
  int cuts = 0;
  double deepest = 0;
  for (const ReadMove& m : reading.moves) {
    deepest = std::min({deepest, m.z1, m.z2});
    if (m.z1 >= 0.0 || m.z2 >= 0.0 || m.z1 != m.z2) continue;  // not a cut at one depth
    EXPECT_NEAR(std::hypot(m.x2, m.y2), RADIUS - new_width / 2, 1e-3) << m.line;
    ++cuts;
  }
  EXPECT_GE(cuts, 1) << read(out);
  EXPECT_NEAR(deepest, -NEW_DEPTH, 1e-4) << read(out);
  ASSERT_FALSE(reading.tools.empty()) << read(out);
  EXPECT_EQ(reading.tools.front(), 3) << read(out);
}

}  // namespace

namespace {

// Line numbers turned on for the job's NC format in the NC Formats page (opened with Enter on
// the Job setup page's format row): the format file is written, and the NC tool, started from
// that program folder, numbers the program's lines, which it did not before.
TEST_F(CamPanelToNc, LineNumbersTurnedOnInTheFormatsPageNumberTheProgram) {
  const fs::path program = folder_ / "program";
  const fs::path tool = program / "brenvik-nc";
  fs::copy_file(BRENVIK_PROGRAM_DIR "/brenvik-nc", tool, fs::copy_options::overwrite_existing);
  const auto make_program = [&](const char* name) {
    const fs::path out = folder_ / name;
    const std::string command = "'" + tool.string() + "' '" + (folder_ / "jobs" / "sample.job").string() +
                                "' '" + out.string() + "' > '" + (folder_ / "tool.log").string() +
                                "' 2>&1";
    EXPECT_EQ(std::system(command.c_str()), 0) << read(folder_ / "tool.log");
    return read(out);
  };
  const std::string before = make_program("before.nc");
  ASSERT_FALSE(before.empty());
  EXPECT_EQ(before.find("\nN"), std::string::npos) << before;

  std::string script = "move 5 400\nkey Ctrl+O\nwait 100\ntype s\nkey Enter\nwait 300\n";
  script += "move 5 600\nwait 100\nclick 210 36\nwait 300\n";  // the Job setup page's tab
  script += "key Enter\nwait 300\nkey Right\nwait 300\n";  // NC Formats, the job's format
  script += "key Down\nkey Down\nkey Down\nkey Down\ntype y\nwait 100\n";  // "Line numbers"
  // Esc leaves the dialog, Esc the page; the job's format was edited, so the close box asks
  // whether to save the job: d discards.
  script += "key Esc\nwait 200\nkey Esc\nwait 300\nclose\nwait 200\nkey d\n";
  ASSERT_EQ(run_headless_script(folder_ / "jobs", program, folder_, script, "--size 1280x1024"), 0)
      << read(folder_ / "stderr.txt");

  const std::string after = make_program("after.nc");
  EXPECT_NE(after.find("\nN"), std::string::npos) << after;
  Reading reading;
  std::string error;
  EXPECT_TRUE(read_program(folder_ / "after.nc", "0,0,0.1", 1.0, &reading, &error)) << error;
  EXPECT_FALSE(reading.moves.empty());
}

}  // namespace
