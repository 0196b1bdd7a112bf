// The whole program, headless, on a saved job: MOVE puts a node on a typed point, PASTE places
// the clipboard by a click and in place by Enter (taken back with Ctrl+Z), ROTATE turns on its
// snap and SCALE follows the pointer or a typed factor; Ctrl+S saves, and the job read back holds
// what was done.
#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

#include "commands/symmetric_polyline.h"
#include "geometry/polyline_ends.h"
#include "geometry/symmetric_nodes.h"
#include "job/job_file.h"
#include "job/job_open.h"
#include "tests/editor/page_script_fixture.h"
#include "tests/geometry/symmetry_oracle.h"
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

  // The saved job read back as the current list over a pushed one (the caller frees and pops
  // it): its first drawn item, or null.
  DrawingItem* read_back_first_item() {
    push_list();
    clear_current_list();
    EXPECT_EQ(load_job_file((folder_ / "jobs" / "sample.job").string(), nullptr), 0);
    DrawingItem* item = g_lists.current.first;
    while (item != nullptr && (item_type(item) == 0 || item->extra.empty())) item = item->next;
    return item;
  }

  std::string log() { return read_file_bytes((folder_ / "stderr.txt").string()); }
  std::string dump(const char* name) {
    return read_file_bytes((folder_ / (std::string(name) + ".txt")).string());
  }

  // The right button over the item at `p` opens the node menu (four cells a row, the first one
  // lit); the arrows go to `cell` and Enter gives it to the left button, which a click at `p`
  // then runs with `p` as its base point.
  static std::string node_command_at(PointF p, int cell) {
    std::string s = at("move", p) + "wait 300\n";
    int x = 0, y = 0;
    pixel_of(p, &x, &y);
    s += "click " + std::to_string(x) + " " + std::to_string(y) + " right\nwait 200\n";
    for (int r = 0; r < cell / 4; ++r) s += "key Down\n";
    for (int c = 0; c < cell % 4; ++c) s += "key Right\n";
    s += "key Enter\nwait 300\n" + at("move", p) + "wait 300\n" + at("click", p) + "wait 300\n";
    return s;
  }

  void expect_nodes(const std::vector<PointF>& want, double tolerance) {
    const auto items = saved_items();
    ASSERT_EQ(items.size(), 1u) << log();
    ASSERT_EQ(items[0].size(), want.size());
    for (size_t k = 0; k < want.size(); ++k) {
      EXPECT_NEAR(items[0][k].x, want[k].x, tolerance) << "node " << k << log();
      EXPECT_NEAR(items[0][k].y, want[k].y, tolerance) << "node " << k;
    }
  }
};

// The node menu's cells of the commands.
constexpr int CELL_SCALE = 6;
constexpr int CELL_ROTATE = 10;

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

// ROTATE about the clicked start node with the snap set to 15 degrees (key i): the pointer at
// 44 degrees turns the polyline by 30, the quotient cut rather than rounded.
TEST_F(TransformScript, RotateOnItsSnapTurnsByTheWholeStepsBelowThePointer) {
  std::string script = open_job() + node_command_at({0.0f, 0.0f}, CELL_ROTATE);
  script += "key i\nwait 200\ntype 15\nkey Enter\nwait 200\n";
  const double a = 44.0 * std::acos(-1.0) / 180.0;
  const PointF pointer{static_cast<float>(8 * std::cos(a)), static_cast<float>(8 * std::sin(a))};
  script += at("move", pointer) + "wait 300\nkey Enter\nwait 300\n";
  script += "key Ctrl+S\nwait 1500\nclose\n";
  ASSERT_EQ(run(script), 0) << log();
  const double t = 30.0 * std::acos(-1.0) / 180.0;
  const auto turned = [t](float x, float y) {
    return PointF{static_cast<float>(x * std::cos(t) - y * std::sin(t)),
                  static_cast<float>(x * std::sin(t) + y * std::cos(t))};
  };
  expect_nodes({{0, 0}, turned(10, 0), turned(10, 10)}, 1e-3);
}

// SCALE about the clicked start node: ten pixels right and ten back show a total of 1.000 and
// leave the polyline as it was; a typed 0 is refused with the message and changes nothing, and
// a typed 2 then doubles it.
TEST_F(TransformScript, ScaleThereAndBackGivesOneAndATypedZeroIsRefused) {
  int x = 0, y = 0;
  pixel_of({0.0f, 0.0f}, &x, &y);
  const auto px = [y](int at_x) {
    return "move " + std::to_string(at_x) + " " + std::to_string(y) + "\nwait 100\n";
  };
  std::string script = open_job() + node_command_at({0.0f, 0.0f}, CELL_SCALE);
  script += px(x + 10) + px(x) + "dump total\nkey Enter\nwait 300\n";
  script += "key Ctrl+S\nwait 1500\nclose\n";
  ASSERT_EQ(run(script), 0) << log();
  EXPECT_NE(dump("total").find("1.000"), std::string::npos) << dump("total");
  expect_nodes({{0, 0}, {10, 0}, {10, 10}}, 1e-4);

  script = open_job() + node_command_at({0.0f, 0.0f}, CELL_SCALE);
  script += "type 0\nkey Enter\nwait 300\ndump refused\nkey Escape\nwait 200\n";
  script += "type 2\nkey Enter\nwait 300\nkey Ctrl+S\nwait 1500\nclose\n";
  ASSERT_EQ(run(script), 0) << log();
  EXPECT_NE(dump("refused").find("The scale factor must be above 0."), std::string::npos)
      << dump("refused");
  expect_nodes({{0, 0}, {20, 0}, {20, 20}}, 1e-4);
}

// A closed outline made symmetric (its first node, the apex, on the line x = 5) and saved; in the
// program a node of the second half is dragged and Ctrl+S pressed: the job read back holds a
// "Dual" polyline whose halves mirror each other about its marker, the dragged node where it was
// dropped and its partner mirrored about x = 5.
TEST_F(TransformScript, SymmetricPolylineMadeAndDraggedIsSavedSymmetric) {
  push_list();
  clear_current_list();
  DrawingItem* house = add_polyline({{5, 10}, {0, 6}, {0, 0}, {10, 0}, {10, 6}, {5, 10}}, 1);
  close_if_touching(house);
  ASSERT_EQ(make_symmetric_polyline(house, 'p'), 5);
  ASSERT_EQ(symmetry_enforce(house), 1);
  set_item_id(house, 1);
  g_job_settings.item_id_counter = 1;
  ASSERT_EQ(write_job_to_path((folder_ / "jobs" / "sample.job").string()), 0);
  free_current_list();
  pop_list();

  std::string script = open_job() + at("move", {10.0f, 6.0f}) + "wait 300\n" + at("click", {10.0f, 6.0f}) + "wait 100\n";
  script += at("move", {10.5f, 6.5f}) + "wait 100\n" + at("move", {11.0f, 7.0f}) + "wait 100\n";
  script += at("click", {11.0f, 7.0f}) + "wait 300\nkey Ctrl+S\nwait 500\nclose\n";
  ASSERT_EQ(run(script), 0) << log();
  DrawingItem* item = read_back_first_item();
  ASSERT_NE(item, nullptr) << log();
  const LinkRecord* r = item_nodes(item);
  EXPECT_NE(r[0].node_flags & NODE_DUAL, 0) << "made symmetric " << log();
  ASSERT_EQ(item_link_count(item), 7) << "the marker and the five own links";
  expect_symmetric(item, "saved");
  const double pixel = (g_view.view_right - g_view.view_left) / 500.0;
  EXPECT_NEAR(r[6].point.x, 11.0, pixel) << "the dragged node";
  EXPECT_NEAR(r[6].point.y, 7.0, pixel);
  EXPECT_NEAR(r[3].point.x, -1.0, 2 * pixel) << "its partner";
  EXPECT_NEAR(r[3].point.y, 7.0, 2 * pixel);
  free_current_list();
  pop_list();
}

// A closed outline (its first node, the apex, on the line x = 5) made symmetric through the node
// menu: its Change cell, the Symmetry submenu, "Make it symmetric" (a closed outline whose first
// node is loose takes its line through that node and the middle, with no angle to ask); Ctrl+S,
// and the job read back holds a "Dual" polyline whose halves mirror each other about x = 5.
TEST_F(TransformScript, SymmetricPolylineMadeThroughTheNodeMenuIsSavedSymmetric) {
  push_list();
  clear_current_list();
  DrawingItem* house = add_polyline({{5, 10}, {0, 6}, {0, 0}, {10, 0}, {10, 6}, {5, 10}}, 1);
  close_if_touching(house);
  set_item_id(house, 1);
  g_job_settings.item_id_counter = 1;
  ASSERT_EQ(write_job_to_path((folder_ / "jobs" / "sample.job").string()), 0);
  free_current_list();
  pop_list();

  std::string script = open_job() + at("move", {0.0f, 3.0f}) + "wait 300\n";
  int x = 0, y = 0;
  pixel_of({0.0f, 3.0f}, &x, &y);
  script += "click " + std::to_string(x) + " " + std::to_string(y) + " right\nwait 200\n";
  script += "key Right\nkey Right\nkey Right\nkey Enter\nwait 300\n";
  script += "type s\nwait 200\ndump submenu\ntype s\nwait 500\n";
  script += "key Ctrl+S\nwait 500\nclose\n";
  ASSERT_EQ(run(script), 0) << log();
  EXPECT_NE(dump("submenu").find("Make it symmetric"), std::string::npos) << dump("submenu");
  DrawingItem* item = read_back_first_item();
  ASSERT_NE(item, nullptr) << log();
  const LinkRecord* r = item_nodes(item);
  EXPECT_NE(r[0].node_flags & NODE_DUAL, 0) << "made symmetric " << log();
  ASSERT_EQ(item_link_count(item), 7) << "the marker and the five own links";
  expect_symmetric(item, "saved");
  EXPECT_NEAR(r[0].point.x, 5.0, 1e-4) << "the line is x = 5";
  EXPECT_NEAR(r[1].point.x, 5.0, 1e-4);
  EXPECT_NEAR(r[3].point.x, 0.0, 1e-4) << "the outline is where it was";
  EXPECT_NEAR(r[6].point.x, 10.0, 1e-4);
  free_current_list();
  pop_list();
}

}  // namespace
