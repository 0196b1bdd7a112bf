// The whole program, headless, opens a job on the Drawing page with Ctrl+O: the job is fitted at
// 85 % and its items, on layers of their own colours, stand where the job puts them, the circle
// round. The pixels to look at are worked out here from the job's geometry and the page's layout
// at the runner's screen size; the runner checks them and writes the picture.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>

#include "editor/page_strip.h"
#include "job/job_file.h"
#include "job/job_open.h"
#include "tests/editor/page_script_fixture.h"
#include "tests/support/test_folder.h"

namespace fs = std::filesystem;

namespace {

class DrawingPageScriptTest : public PageScriptFixture {
 protected:
  DrawingPageScriptTest() : PageScriptFixture("brenvik-drawing-page") {}
  void SetUp() override {
    PageScriptFixture::SetUp();
    // The sample job stores the default layer colours, which the fixture has.
    // The job: a line (0,0)-(10,0) on layer 1, a circle of radius 5 about (20,5) on layer 2
    // and a point at (3,4) on layer 3, the points' circle 0.2 wide; its extents are
    // (0,-0.2)-(25,10).
    reset_job_settings();
    push_list();
    clear_current_list();
    set_item_id(add_polyline({{0, 0}, {10, 0}}, 1), 1);
    set_item_id(add_circle({20, 5}, 5.0f, 2), 2);
    DrawingItem* point = add_item(ITEM_POINT, 1, 3);
    LinkRecord* r = item_nodes(point);
    r[0].point = r[1].point = {3, 4};
    r[0].code = LINK_POINT - 0.2f;
    r[0].node_flags = NODE_FIRST;
    r[1].node_flags = NODE_CLOSING;
    item_bounding_boxes(point);
    set_item_id(point, 3);
    g_job_settings.item_id_counter = 3;
    ASSERT_EQ(write_job_to_path((folder_ / "jobs" / "sample.job").string()), 0);
    free_current_list();
    pop_list();
  }

  void TearDown() override {
    if (std::getenv("BRENVIK_KEEP_TEST_OUTPUT") != nullptr)
      fs::copy_file(folder_ / "opened.png", std::getenv("BRENVIK_KEEP_TEST_OUTPUT"),
                    fs::copy_options::overwrite_existing);
    PageScriptFixture::TearDown();
  }

  // The colour of a layer of the sample job, as six hex digits of a pixel.
  static std::string layer_colour(int layer) {
    char text[8];
    std::snprintf(text, sizeof text, "%06X", layer_pixel(layer));
    return text;
  }

  static std::string expect_pixel(int x, int y, const char* colour) {
    char line[64];
    std::snprintf(line, sizeof line, "expect-pixel %d %d %s\n", x, y, colour);
    return line;
  }

  std::string read(const std::string& name) {
    std::ifstream file(folder_ / name, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
  }

  // The items a job file holds: type, ID as stored, layer and every node's point and Z, one line
  // each, in ID order (an item that undo brings back stands at the end of the drawing).
  std::string job_items(const std::string& name) {
    push_list();
    clear_current_list();
    std::string text;
    std::map<int32_t, std::string> lines;
    if (read_job_file((folder_ / "jobs" / name).string(), nullptr) != 0) text = "unreadable";
    for (DrawingItem* item = g_lists.current.first; item != nullptr; item = item->next) {
      if (item_type(item) == 0 || item->extra.empty()) continue;
      char line[96];
      std::snprintf(line, sizeof line, "type %d id %d layer %d:", item_type(item), item_id(item),
                    item_layer(item));
      std::string& out = lines[item_id(item)];
      out += line;
      const LinkRecord* r = item_nodes(item);
      for (int32_t i = 0; i <= item_link_count(item); ++i) {
        std::snprintf(line, sizeof line, " (%g %g z %g)", r[i].point.x, r[i].point.y, r[i].z);
        out += line;
      }
      out += "\n";
    }
    for (const auto& [id, line] : lines) text += line;
    free_current_list();
    pop_list();
    return text;
  }

  // The start of every script: the sample job opened with Ctrl+O, fitted.
  static std::string open_sample() {
    return "move 5 400\nkey Ctrl+O\nwait 100\ntype s\nkey Enter\nwait 300\n";
  }

  static std::string at(const char* command, PointF p, const char* button = "") {
    int x = 0, y = 0;
    pixel_of(p, &x, &y);
    return std::string(command) + " " + std::to_string(x) + " " + std::to_string(y) + " " +
           button + "\n";
  }

  // The view the page fits the sample job to.
  static void fit_sample_view() {
    ViewState& v = g_view;
    v.extent_min_x = 0.0f;
    v.extent_min_y = -0.2f;
    v.extent_max_x = 25.0f;
    v.extent_max_y = 10.0f;
    set_view_to_extents();
    zoom_by(0.85f);
    pan_to_window(0);
  }

};

TEST_F(DrawingPageScriptTest, CtrlOOpensAJobFittedAndDrawnWhereItsItemsStand) {
  ViewState& v = g_view;
  v.extent_min_x = 0.0f;
  v.extent_min_y = 0.0f;
  v.extent_max_x = 25.0f;
  v.extent_max_y = 10.0f;
  set_view_to_extents();
  zoom_by(0.85f);
  pan_to_window(0);
  const double r = 5.0 * v.scale_x;
  ASSERT_GT(r, 20.0);
  int cx = 0, cy = 0;
  pixel_of({20.0f, 5.0f}, &cx, &cy);
  std::string script = "move 5 400\nkey Ctrl+O\nwait 100\ntype s\nkey Enter\nwait 300\n";
  // Colours of the job's layers, as the picture shows them: the line's on layer 1 and the
  // circle's on layer 2 differ, and neither is the white of the drawing area.
  int lx = 0, ly = 0;
  pixel_of({5.0f, 0.0f}, &lx, &ly);
  // The circle is round: it stands at its radius across, up, down and on a diagonal, within a
  // pixel, and its middle and the ring's outside are white.
  const int ri = static_cast<int>(std::lround(r));
  const int rd = static_cast<int>(std::lround(r / std::sqrt(2.0)));
  script += expect_pixel(cx, cy, "FFFFFF");
  script += expect_pixel(cx + ri + 6, cy, "FFFFFF");
  script += expect_pixel(cx, cy - ri - 6, "FFFFFF");
  script += "png opened\ndump opened\n";
  for (const auto& [dx, dy] : {std::pair{ri, 0}, std::pair{-ri, 0}, std::pair{0, ri},
                               std::pair{0, -ri}, std::pair{rd, -rd}, std::pair{-rd, rd}})
    script += "expect-pixel " + std::to_string(cx + dx) + " " + std::to_string(cy + dy) + " " +
              layer_colour(2) + " 1\n";
  // The line along the bottom and the drill point's dot at (3, 4).
  script += "expect-pixel " + std::to_string(lx) + " " + std::to_string(ly) + " " +
            layer_colour(1) + " 1\n";
  int px = 0, py = 0;
  pixel_of({3.0f, 4.0f}, &px, &py);
  script += "expect-pixel " + std::to_string(px) + " " + std::to_string(py) + " " +
            layer_colour(3) + " 1\n";
  script += "close\n";
  ASSERT_EQ(run(script), 0) << read("stderr.txt");
  EXPECT_EQ(read("stderr.txt").find("expected"), std::string::npos) << read("stderr.txt");
  EXPECT_NE(layer_colour(1), layer_colour(2));
}

// Key z over a line's node asks for its Z; "2.5" and Enter set it, Ctrl+S saves it in the job.
TEST_F(DrawingPageScriptTest, KeyZSetsAHoveredNodesHeightAndCtrlSSavesIt) {
  fit_sample_view();
  const std::string before = job_items("sample.job");
  std::string script = open_sample();
  script += at("move", {0.0f, 0.0f}) + "wait 300\nkey z\nwait 100\ntype 2.5\nkey Enter\n";
  script += "wait 100\nkey Ctrl+S\nwait 500\nclose\n";
  ASSERT_EQ(run(script), 0) << read("stderr.txt");
  const std::string after = job_items("sample.job");
  EXPECT_NE(after.find("type 4 id 1 layer 1: (0 0 z 2.5) (10 0 z 0)"), std::string::npos)
      << after;
  ASSERT_NE(after.find('\n'), std::string::npos);
  // Nothing else changed.
  EXPECT_EQ(after.substr(after.find('\n')), before.substr(before.find('\n')));
}

// Items marked by a window are deleted from the Marks menu; Ctrl+Z brings them back with their
// IDs. The first save holds the drawing without them (it is the backup after the second save).
TEST_F(DrawingPageScriptTest, MarksMenuDeleteIsUndoneWithTheItemsIDs) {
  fit_sample_view();
  const std::string before = job_items("sample.job");
  std::string script = open_sample();
  // The right button's tool menu over nothing: the second tool, "Mark items", to the left.
  script += at("move", {5.0f, 8.0f}) + "wait 200\n" + at("click", {5.0f, 8.0f}, "right");
  script += "wait 100\nkey Right\nkey Enter\nwait 200\n";
  // A window round the circle only, dragged: the button is held longer than a click.
  script += at("press", {14.0f, -1.0f}) + "wait 100\n" + at("move", {20.0f, 5.0f}) +
            at("move", {26.0f, 11.0f}) + "wait 400\n" + at("release", {26.0f, 11.0f}) +
            "wait 300\n";
  ScreenControl* marks = page_strip_control(STRIP_MARKS);
  ASSERT_NE(marks, nullptr);
  layout_control(marks);
  script += "click " + std::to_string(marks->x + 4) + " " + std::to_string(marks->y + 4) +
            "\nwait 200\nkey d\nwait 300\n";
  // The save's notice closes by itself before the next key.
  script += "key Ctrl+S\nwait 1500\nkey Ctrl+Z\nwait 300\nkey Ctrl+S\nwait 1500\nclose\n";
  ASSERT_EQ(run(script), 0) << read("stderr.txt");
  const std::string deleted = job_items("sample.BAK");
  EXPECT_EQ(deleted.find("type 7"), std::string::npos) << deleted;
  EXPECT_NE(deleted.find("type 4 id 1"), std::string::npos) << deleted;
  EXPECT_EQ(job_items("sample.job"), before);
}

// Closing the program with an unsaved change asks first: Esc stays, and the change is lost only
// when the user discards it.
TEST_F(DrawingPageScriptTest, QuittingAChangedJobAsksFirst) {
  fit_sample_view();
  const std::string before = job_items("sample.job");
  std::string script = open_sample();
  script += at("move", {0.0f, 0.0f}) + "wait 300\nkey z\nwait 100\ntype 1\nkey Enter\n";
  script += "wait 100\nclose\nwait 100\ndump asked\nkey Escape\nwait 100\ndump stayed\n";
  script += "close\nwait 100\nkey d\n";
  ASSERT_EQ(run(script), 0) << read("stderr.txt");
  EXPECT_NE(read("asked.txt").find("Save them first?"), std::string::npos) << read("asked.txt");
  EXPECT_EQ(read("stayed.txt").find("Save them first?"), std::string::npos);
  EXPECT_EQ(job_items("sample.job"), before);
}

}  // namespace

namespace {

// Key e over the circle opens its page beside the drawing: a new radius is in the job that
// Ctrl+S saves; Ctrl+Z takes the whole visit back, and the next save holds the old radius. The
// first save is the backup after the second.
TEST_F(DrawingPageScriptTest, KeyEEditsAHoveredCirclesRadiusAndCtrlZUndoesIt) {
  fit_sample_view();
  const std::string before = job_items("sample.job");
  ASSERT_NE(before.find("type 7 id 2 layer 2: (25 5 z 0) (25 5 z 0)"), std::string::npos)
      << before;
  std::string script = open_sample();
  script += at("move", {25.0f, 5.0f}) + "wait 300\nkey e\nwait 300\n";
  // Down to the radius; Backspace opens it for typing, the second one takes its 5 away. Esc
  // closes the page, and the main menu it opens.
  script += "key Down\nkey Down\nwait 100\nkey Backspace\nwait 100\nkey Backspace\nwait 100\n";
  script += "type 7\nwait 100\nkey Enter\nwait 200\ndump page\n";
  script += "key Escape\nwait 200\nkey Escape\nwait 200\n";
  // The save's report closes by itself after about a second; a key before would only close it.
  script += "key Ctrl+S\nwait 1500\nkey Ctrl+Z\nwait 300\nkey Ctrl+S\nwait 1500\nclose\n";
  ASSERT_EQ(run(script), 0) << read("stderr.txt");
  const std::string edited = job_items("sample.BAK");
  EXPECT_NE(edited.find("type 7 id 2 layer 2: (27 5 z 0) (27 5 z 0)"), std::string::npos)
      << edited << read("page.txt");
  EXPECT_EQ(job_items("sample.job"), before);
}

}  // namespace
