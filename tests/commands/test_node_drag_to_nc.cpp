// End to end: a line meeting an arc at a tangent node; the whole program, headless, drags the
// line's first node and saves the job; the NC tool makes the program, and the outside G-code
// reader finds no turn at the tangent node.
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "job/job_file.h"
#include "job/job_open.h"
#include "tests/cam/gcode_reading.h"
#include "tests/cam/make_nc_fixture.h"
#include "tests/support/test_folder.h"
#include "tests/editor/page_script_fixture.h"

namespace fs = std::filesystem;

namespace {

constexpr double PI = 3.14159265358979323846;

class NodeDragToNc : public PageScriptFixture, protected MakeNcJob {
 protected:
  NodeDragToNc() : PageScriptFixture("brenvik-node-drag-nc") {}
  void SetUp() override {
    PageScriptFixture::SetUp();
    set_up_make_nc();
    // The line (0,0)-(10,0) goes on into a quarter arc about (10,5) up to (15,5): the node at
    // (10,0) is tangent.
    DrawingItem* item = make_item(ITEM_POLYLINE,
                                  {{0, 0}, {10, 0, 5.0f, 0, 0, {10, 5}}, {15, 5}},
                                  centerline_cut(0.1f, 0, 1, 10));
    item_nodes(item)[1].node_flags = NODE_TANGENT;
    arc_angles_from_points(&item_nodes(item)[1]);
    g_job_settings.item_id_counter = 1;
    reset_layers();
    EXPECT_EQ(write_job_to_path((folder_ / "jobs" / "sample.job").string()), 0);
    tear_down_make_nc();
  }
  static std::string at(const char* command, PointF p) {
    int x = 0, y = 0;
    pixel_of(p, &x, &y);
    return std::string(command) + " " + std::to_string(x) + " " + std::to_string(y) + "\n";
  }

  static std::string read(const fs::path& path) { return read_file_bytes(path.string()); }
};

// The direction of travel of a read move at its start or end.
double move_direction(const ReadMove& m, bool at_end) {
  if (!m.arc) return std::atan2(m.y2 - m.y1, m.x2 - m.x1);
  const double px = at_end ? m.x2 : m.x1;
  const double py = at_end ? m.y2 : m.y1;
  const double radial = std::atan2(py - m.cy, px - m.cx);
  return radial + (m.motion == "G2" ? -PI / 2 : PI / 2);
}

TEST_F(NodeDragToNc, DraggedFirstNodeKeepsTheTangentNodeSmoothInTheProgram) {
  std::string why;
  if (!reader_available(&why)) FAIL() << why;
  // The view the page fits the job to: its extents at 85 %.
  ViewState& v = g_view;
  v.extent_min_x = 0.0f;
  v.extent_min_y = 0.0f;
  v.extent_max_x = 15.0f;
  v.extent_max_y = 5.0f;
  set_view_to_extents();
  zoom_by(0.85f);
  pan_to_window(0);
  std::string script = "move 5 400\nkey Ctrl+O\nwait 100\ntype s\nkey Enter\nwait 300\n";
  script += at("move", {0.0f, 0.0f}) + "wait 300\n" + at("click", {0.0f, 0.0f}) + "wait 100\n";
  script += at("move", {0.0f, -1.0f}) + "wait 100\n" + at("move", {0.0f, -2.0f}) + "wait 100\n";
  script += at("click", {0.0f, -2.0f}) + "wait 300\nkey Ctrl+S\nwait 500\nclose\n";
  ASSERT_EQ(run(script), 0) << read(folder_ / "stderr.txt");
  // The saved job: the first node moved, the others stayed.
  push_list();
  clear_current_list();
  ASSERT_EQ(load_job_file((folder_ / "jobs" / "sample.job").string(), nullptr), 0);
  DrawingItem* item = g_lists.current.first;
  while (item != nullptr && (item_type(item) == 0 || item->extra.empty())) item = item->next;
  ASSERT_NE(item, nullptr);
  const LinkRecord* r = item_nodes(item);
  EXPECT_NEAR(r[0].point.y, -2.0, 0.2) << read(folder_ / "stderr.txt");
  EXPECT_FLOAT_EQ(r[1].point.x, 10.0f);
  EXPECT_FLOAT_EQ(r[2].point.y, 5.0f);
  free_current_list();
  pop_list();
  // The program: the cut turns by no more than 0.1 degree where the two links meet.
  const fs::path out = folder_ / "sample.nc";
  const std::string command = "'" BRENVIK_PROGRAM_DIR "/brenvik-nc' '" +
                              (folder_ / "jobs" / "sample.job").string() + "' '" + out.string() +
                              "' > '" + (folder_ / "tool.log").string() + "' 2>&1";
  ASSERT_EQ(std::system(command.c_str()), 0) << read(folder_ / "tool.log");
  Reading reading;
  std::string error;
  ASSERT_TRUE(read_program(out, "0,0,0.1", 1.0, &reading, &error)) << error;
  int joins = 0;
  for (size_t i = 1; i < reading.moves.size(); ++i) {
    const ReadMove& a = reading.moves[i - 1];
    const ReadMove& b = reading.moves[i];
    if (std::hypot(a.x2 - 10.0, a.y2) > 0.001 || a.z2 >= 0.0 || b.z1 >= 0.0) continue;
    const double turn = std::remainder(move_direction(b, false) - move_direction(a, true), 2 * PI);
    EXPECT_LT(std::fabs(turn) * 180.0 / PI, 0.1) << a.motion << " into " << b.motion;
    ++joins;
  }
  EXPECT_GE(joins, 1);
}

}  // namespace
