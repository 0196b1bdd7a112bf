// The whole program, headless, on a saved job: MOVE puts a node on a typed point, PASTE places
// the clipboard by a click and in place by Enter (taken back with Ctrl+Z); Ctrl+S saves, and the
// job read back holds what was done.
#include <filesystem>
#include <string>
#include <vector>

#include "job/job_file.h"
#include "job/job_open.h"
#include "tests/editor/page_script_fixture.h"
#include "tests/support/test_folder.h"

namespace fs = std::filesystem;

namespace {

class TransformScript : public PageScriptFixture {
 protected:
  TransformScript() : PageScriptFixture("brenvik-transform-script") {}
  void SetUp() override {
    PageScriptFixture::SetUp();
    reset_job_settings();
    push_list();
    clear_current_list();
    // A polyline (0,0)-(10,0)-(10,10); the job's extents (0,0)-(10,10) are fitted at 85 %.
    set_item_id(add_polyline({{0, 0}, {10, 0}, {10, 10}}, 1), 1);
    g_job_settings.item_id_counter = 1;
    ASSERT_EQ(write_job_to_path((folder_ / "jobs" / "sample.job").string()), 0);
    free_current_list();
    pop_list();
    ViewState& v = g_view;
    v.extent_min_x = 0.0f;
    v.extent_min_y = 0.0f;
    v.extent_max_x = 10.0f;
    v.extent_max_y = 10.0f;
    set_view_to_extents();
    zoom_by(0.85f);
    pan_to_window(0);
  }

  static std::string at(const char* command, PointF p) {
    int x = 0, y = 0;
    pixel_of(p, &x, &y);
    return std::string(command) + " " + std::to_string(x) + " " + std::to_string(y) + "\n";
  }
  static std::string open_job() { return "move 5 400\nkey Ctrl+O\nwait 100\ntype s\nkey Enter\nwait 300\n"; }

  // The saved job's items, each as its nodes.
  std::vector<std::vector<PointF>> saved_items() {
    std::vector<std::vector<PointF>> out;
    push_list();
    clear_current_list();
    EXPECT_EQ(load_job_file((folder_ / "jobs" / "sample.job").string(), nullptr), 0);
    for (DrawingItem* item = g_lists.current.first; item != nullptr; item = item->next) {
      if (item_type(item) == 0 || item->extra.empty()) continue;
      std::vector<PointF> nodes;
      for (int32_t k = 0; k <= item_link_count(item); ++k) nodes.push_back(item_nodes(item)[k].point);
      out.push_back(nodes);
    }
    free_current_list();
    pop_list();
    return out;
  }

  std::string log() { return read_file_bytes((folder_ / "stderr.txt").string()); }
};

TEST_F(TransformScript, MoveCommandPutsANodeOnTypedCoordinates) {
  std::string script = open_job();
  script += at("move", {5.0f, 6.0f}) + "wait 200\nkey m\nwait 200\ntype 30,40\nkey Enter\nwait 200\n";
  script += at("move", {10.0f, 0.0f}) + "wait 300\n" + at("click", {10.0f, 0.0f}) + "wait 300\n";
  script += "key Esc\nwait 200\nkey Ctrl+S\nwait 500\nclose\n";
  ASSERT_EQ(run(script), 0) << log();
  const auto items = saved_items();
  ASSERT_EQ(items.size(), 1u) << log();
  ASSERT_EQ(items[0].size(), 3u);
  EXPECT_NEAR(items[0][1].x, 30.0, 1e-4) << log();
  EXPECT_NEAR(items[0][1].y, 40.0, 1e-4);
  EXPECT_NEAR(items[0][0].x, 0.0, 1e-4);
  EXPECT_NEAR(items[0][2].y, 10.0, 1e-4);
}

TEST_F(TransformScript, PasteByClickStaysAndPasteByEnterIsTakenBack) {
  std::string script = open_job();
  // Ctrl+C over the line, Ctrl+V away from it and a click there.
  script += at("move", {5.0f, 0.0f}) + "wait 300\nkey Ctrl+C\nwait 100\n";
  script += at("move", {2.0f, 6.0f}) + "wait 300\nkey Ctrl+V\nwait 200\n";
  script += at("move", {2.5f, 6.0f}) + "wait 200\n" + at("click", {2.5f, 6.0f}) + "wait 300\n";
  // Ctrl+V with Enter puts a copy back in place; Ctrl+Z takes it back.
  script += at("move", {3.0f, 8.0f}) + "wait 300\nkey Ctrl+V\nwait 200\nkey Enter\nwait 300\n";
  script += "key Ctrl+Z\nwait 300\nkey Ctrl+S\nwait 500\nclose\n";
  ASSERT_EQ(run(script), 0) << log();
  const auto items = saved_items();
  ASSERT_EQ(items.size(), 2u) << log();
  // The clicked copy's lower-left corner is on the click.
  EXPECT_NEAR(items[1][0].x, 2.5, 0.1) << log();
  EXPECT_NEAR(items[1][0].y, 6.0, 0.1);
  EXPECT_NEAR(items[1][1].x - items[1][0].x, 10.0, 1e-4);
  EXPECT_NEAR(items[1][2].y - items[1][1].y, 10.0, 1e-4);
}

// The main menu's "Transform all items": a quarter turn about the middle of the drawing, then a
// mirror about the level line through it (the dialog's OK as it opens); saved and read back.
TEST_F(TransformScript, TransformAllItemsFromTheMainMenuTurnsAndMirrorsTheDrawing) {
  std::string script = open_job();
  script += at("move", {3.0f, 6.0f}) + "wait 300\n";
  script += "key Escape\nwait 200\ntype r\nwait 200\ntype 9\nwait 500\n";
  script += "key Escape\nwait 200\ntype r\nwait 200\ntype m\nwait 300\nkey Enter\nwait 500\n";
  script += "key Ctrl+S\nwait 1500\nclose\n";
  ASSERT_EQ(run(script), 0) << log();
  const auto items = saved_items();
  ASSERT_EQ(items.size(), 1u) << log();
  ASSERT_EQ(items[0].size(), 3u);
  // (0,0) (10,0) (10,10) turned about (5,5): (10,0) (10,10) (0,10); mirrored: y becomes 10 - y.
  const PointF want[3] = {{10, 10}, {10, 0}, {0, 0}};
  for (int k = 0; k < 3; ++k) {
    EXPECT_NEAR(items[0][k].x, want[k].x, 1e-3) << "node " << k << log();
    EXPECT_NEAR(items[0][k].y, want[k].y, 1e-3) << "node " << k;
  }
}

}  // namespace
