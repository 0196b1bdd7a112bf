// End to end: the whole program, headless, opens a job, draws a circle from the CIRCLE form with
// a typed centre and radius, and saves; the NC tool makes the program, and the outside G-code
// reader finds every cutting move on that circle.
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "job/job_file.h"
#include "job/job_open.h"
#include "tests/cam/gcode_reading.h"
#include "tests/cam/make_nc_fixture.h"
#include "tests/editor/page_script_fixture.h"
#include "tests/support/test_folder.h"

namespace fs = std::filesystem;

namespace {

constexpr double CX = 12.0;
constexpr double CY = 7.0;
constexpr double RADIUS = 4.5;

class CircleFormToNc : public PageScriptFixture, protected MakeNcJob {
 protected:
  CircleFormToNc() : PageScriptFixture("brenvik-circle-form-nc") {}
  void SetUp() override {
    PageScriptFixture::SetUp();
    set_up_make_nc();
    // A small line far from the circle, so the job has something to open.
    make_item(ITEM_POLYLINE, {{40, 40}, {41, 40}}, centerline_cut(0.1f, 0, 1, 10));
    g_job_settings.item_id_counter = 1;
    reset_layers();
    EXPECT_EQ(write_job_to_path((folder_ / "jobs" / "sample.job").string()), 0);
    tear_down_make_nc();
  }
  static std::string read(const fs::path& path) { return read_file_bytes(path.string()); }
};

TEST_F(CircleFormToNc, EveryCutOfTheTypedCircleLiesOnIt) {
  std::string why;
  if (!reader_available(&why)) FAIL() << why;
  std::string script = "move 5 400\nkey Ctrl+O\nwait 100\ntype s\nkey Enter\nwait 300\n";
  // The Draw menu's Circle, then centre X, centre Y and radius typed; Esc leaves the diameter
  // field, Up reaches the OK/Cancel bar (on OK, the circle being complete), Enter takes OK, Esc
  // leaves the fresh form.
  script += "key Alt+D\nwait 200\ntype c\nwait 300\n";
  script += "type 12\nkey Enter\nwait 100\ntype 7\nkey Enter\nwait 100\n";
  script += "type 4.5\nkey Enter\nwait 100\nkey Escape\nwait 100\n";
  script += "key Up\nwait 100\nkey Enter\nwait 300\n";
  script += "key Escape\nwait 300\nkey Ctrl+S\nwait 1500\nclose\n";
  ASSERT_EQ(run(script), 0) << read(folder_ / "stderr.txt");
  // The saved job holds the circle.
  push_list();
  clear_current_list();
  ASSERT_EQ(load_job_file((folder_ / "jobs" / "sample.job").string(), nullptr), 0);
  int circles = 0;
  for (DrawingItem* item = g_lists.current.first; item != nullptr; item = item->next) {
    if (item->extra.empty() || item_type(item) != ITEM_CIRCLE) continue;
    ++circles;
    const LinkRecord* r = item_nodes(item);
    EXPECT_NEAR(r[0].centre.x, CX, 1e-4);
    EXPECT_NEAR(r[0].centre.y, CY, 1e-4);
    EXPECT_NEAR(r[0].code, RADIUS, 1e-4);
    EXPECT_NE(item_id(item), 0);
  }
  free_current_list();
  pop_list();
  ASSERT_EQ(circles, 1) << read(folder_ / "stderr.txt");
  // The program: every cutting move that is not the far line's lies on the circle.
  const fs::path out = folder_ / "sample.nc";
  const std::string command = "'" BRENVIK_PROGRAM_DIR "/brenvik-nc' '" +
                              (folder_ / "jobs" / "sample.job").string() + "' '" + out.string() +
                              "' > '" + (folder_ / "tool.log").string() + "' 2>&1";
  ASSERT_EQ(std::system(command.c_str()), 0) << read(folder_ / "tool.log");
  Reading reading;
  std::string error;
  ASSERT_TRUE(read_program(out, "0,0,0.1", 1.0, &reading, &error)) << error;
  int on_circle = 0;
  for (const ReadMove& m : reading.moves) {
    if (m.z1 >= 0.0 || m.z2 >= 0.0) continue;  // rapids and plunges above the work
    if (m.x1 > 30.0 && m.x2 > 30.0) continue;   // the far line
    EXPECT_NEAR(std::hypot(m.x1 - CX, m.y1 - CY), RADIUS, 1e-3) << m.line;
    EXPECT_NEAR(std::hypot(m.x2 - CX, m.y2 - CY), RADIUS, 1e-3) << m.line;
    if (m.arc) {
      EXPECT_NEAR(m.cx, CX, 1e-3) << m.line;
      EXPECT_NEAR(m.cy, CY, 1e-3) << m.line;
    }
    ++on_circle;
  }
  EXPECT_GE(on_circle, 1) << read(out);
}

}  // namespace
