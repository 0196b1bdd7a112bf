// The Engraving list page in the whole program (brenvik-headless): a job built here with a text
// and a circle is opened, lines are typed, inserted, deleted and saved through the page's keys;
// the saved job is read back, and brenvik-nc's program is read by the outside G-code reader.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <cmath>
#include <sstream>
#include <string>
#include <vector>

#include "geometry/layers.h"
#include "job/job_file.h"
#include "job/job_open.h"
#include "records/job_settings.h"
#include "tests/cam/make_nc_fixture.h"
#include "tests/support/gcode_reader.h"
#include "tests/support/test_folder.h"
#include "tests/text/hershey_strokes.h"
#include "text/text_items.h"
#include "text/text_layout.h"
#include "text/text_numbering.h"

namespace fs = std::filesystem;
using gcode_reader::ReadMove;
using namespace hershey_test;

namespace {

constexpr float TOLERANCE = 0.002f;
constexpr double ON_STROKE = TOLERANCE + 0.0002;
constexpr float HEIGHT = 1.0f;
constexpr float PEN = 0.03f;
constexpr double GLYPH_HEIGHT = HEIGHT - PEN;
// The tab of the Engraving list on the 1024 x 768 screen, and how a job is opened.
constexpr char OPEN_AND_GO_TO_LIST[] =
    "key Ctrl+O\nwait 100\ntype s\nkey Enter\nwait 300\nclick 300 30\nwait 200\n";

class TextListPageRun : public ::testing::Test, protected MakeNcJob {
 protected:
  void SetUp() override {
    folder_ = make_test_folder("brenvik-text-list");
    copy_program_data_files(BRENVIK_PROGRAM_DIR, folder_ / "program");
    fs::create_directories(folder_ / "jobs");
    set_up_make_nc();
    g_job_settings.tolerance = TOLERANCE;
    // A circle first, far from the text: it must survive the page's parking.
    make_circle(50, 50, 5, centerline_cut(0.01f, 0, 1, 10));
    set_item_id(g_lists.current.last, 1);
    DrawingItem* item = new_text_item();
    set_line_text("HI", item);
    item = g_lists.current.last;
    item->state = ITEM_FLAG_SELECTED;
    set_item_id(item, 2);
    CamParams p = centerline_cut(0.01f, 0, 1, 10);
    p.finishing.cut_width = PEN;
    uint8_t* stored = block_cam_params(item_block(item));
    write_cam_params(p, stored);
    TextLayout l;
    l.height = l.entered_height = HEIGHT;
    l.width_factor = 1;
    l.v_justify = JUSTIFY_BOTTOM;
    l.anchor = PointF{1, 2};
    write_text_layout(l, block_text_layout(item_block(item)));
    layout_text_item(item);
    g_job_settings.item_id_counter = 2;
    reset_layers();
    EXPECT_EQ(write_job_to_path(job_path().string()), 0);
    tear_down_make_nc();
  }
  void TearDown() override { fs::remove_all(folder_); }

  fs::path job_path() const { return folder_ / "jobs" / "sample.job"; }

  int run(const std::string& script, const std::string& options = "") {
    const fs::path script_path = folder_ / "script.txt";
    std::ofstream(script_path, std::ios::binary) << script;
    const std::string command = "cd \"" + (folder_ / "jobs").string() + "\" && \"" +
                                BRENVIK_PROGRAM_DIR + "/brenvik-headless\" " + options + " --folder \"" +
                                (folder_ / "program").string() + "\" --out \"" + folder_.string() +
                                "\" \"" + script_path.string() + "\" 2>\"" +
                                (folder_ / "stderr.txt").string() + "\"";
    const int status = std::system(command.c_str());
    if (status == -1 || (status & 0x7F) != 0) return -1;
    return (status >> 8) & 0xFF;
  }
  std::string read(const fs::path& path) const {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
  }

  // The saved job's items as "type:text" in order.
  std::vector<std::string> saved_items() {
    std::vector<std::string> out;
    push_list();
    clear_current_list();
    if (load_job_file(job_path().string(), nullptr) == 0)
      for (TextLine* line = g_lists.current.first; line != nullptr; line = line->next)
        out.push_back(std::to_string(line->kind) + ":" + line->text);
    free_current_list();
    pop_list();
    return out;
  }

  fs::path folder_;
};

TextLayout layout_of(DrawingItem* item) {
  TextLayout l;
  read_text_layout(block_text_layout(item_block(item)), &l);
  return l;
}

}  // namespace

TEST_F(TextListPageRun, ATextTypedOnTheBlankLineTakesTheLineAboveAndIsCut) {
  std::string why;
  if (!gcode_reader::reader_available(&why)) FAIL() << why;
  const std::string script = std::string(OPEN_AND_GO_TO_LIST) +
                             "dump list\nkey Down\ntype O\nwait 100\ntype K\nwait 100\n"
                             "key Enter\nwait 200\ndump typed\nkey Ctrl+S\nwait 300\nclose\n";
  ASSERT_EQ(run(script), 0) << read(folder_ / "stderr.txt");
  EXPECT_NE(read(folder_ / "list.txt").find("List of text items"), std::string::npos)
      << read(folder_ / "list.txt");
  EXPECT_NE(read(folder_ / "typed.txt").find("OK"), std::string::npos) << read(folder_ / "typed.txt");
  // Read back: the circle is kept, the new text has the line above's look and its own ID.
  push_list();
  clear_current_list();
  ASSERT_EQ(load_job_file(job_path().string(), nullptr), 0);
  DrawingItem* hi = nullptr;
  DrawingItem* ok = nullptr;
  int circles = 0;
  for (TextLine* line = g_lists.current.first; line != nullptr; line = line->next) {
    if (line->kind == ITEM_CIRCLE) ++circles;
    if (line->text == "HI") hi = line;
    if (line->text == "OK") ok = line;
  }
  EXPECT_EQ(circles, 1);
  ASSERT_NE(hi, nullptr);
  ASSERT_NE(ok, nullptr) << read(folder_ / "stderr.txt");
  // (Opening a job numbers the IDs by position, so only their being apart can be seen.)
  EXPECT_GT(item_id(ok), 0) << "an item ID from the job's counter";
  EXPECT_NE(item_id(ok), item_id(hi));
  const TextLayout a = layout_of(hi), b = layout_of(ok);
  EXPECT_FLOAT_EQ(b.height, a.height);
  EXPECT_FLOAT_EQ(b.anchor.x, a.anchor.x);
  EXPECT_FLOAT_EQ(b.anchor.y, a.anchor.y);
  EXPECT_EQ(b.font_number, a.font_number);
  const float ok_width = b.width_factor;
  free_current_list();
  pop_list();

  // The program: every cut (near the texts) on a stroke of "HI" or "OK", every stroke cut.
  const fs::path out = folder_ / "sample.nc";
  const std::string command = "'" BRENVIK_PROGRAM_DIR "/brenvik-nc' '" + job_path().string() +
                              "' '" + out.string() + "' > '" + (folder_ / "tool.log").string() +
                              "' 2>&1";
  ASSERT_EQ(std::system(command.c_str()), 0) << read(folder_ / "tool.log");
  std::vector<ReadMove> moves;
  std::string error;
  ASSERT_TRUE(gcode_reader::read_moves(out, "0,0,0", &moves, &error)) << error;
  std::vector<Segment> strokes;
  for (const auto& [text, width] : {std::pair<std::string, double>{"HI", 1.0}, {"OK", ok_width}}) {
    double x = 1 + PEN / 2;
    int k = 0;
    for (const char c : text) {
      const HersheyRecord r = hershey_record(c);
      if (k++ > 0) x += PEN;
      std::vector<Segment> glyph;
      add_hershey_strokes(r, 0, 2 + PEN / 2, 0.0, &glyph, GLYPH_HEIGHT);
      for (Segment s : glyph)
        strokes.push_back({x + s.x1 * width, s.y1, x + s.x2 * width, s.y2});
      x += hershey_advance(r) * GLYPH_HEIGHT * width;
    }
  }
  std::vector<Segment> cuts;
  for (const ReadMove& m : moves) {
    if (!gcode_reader::is_cut(m) || m.x1 > 30) continue;  // the circle is cut far away
    const auto points = gcode_reader::samples(m, 8);
    for (size_t k = 1; k < points.size(); ++k)
      cuts.push_back({points[k - 1].first, points[k - 1].second, points[k].first, points[k].second});
    for (const auto& [x, y] : points)
      EXPECT_LT(nearest(x, y, strokes), ON_STROKE) << "a cut at " << x << "," << y;
  }
  ASSERT_FALSE(cuts.empty());
  for (const Segment& s : strokes)
    for (int k = 0; k <= 4; ++k) {
      const double x = s.x1 + (s.x2 - s.x1) * k / 4, y = s.y1 + (s.y2 - s.y1) * k / 4;
      EXPECT_LT(nearest(x, y, cuts), ON_STROKE) << "no cut at " << x << "," << y;
    }
}

TEST_F(TextListPageRun, ThePageKeysChangeTheListAndEveryWayOutKeepsTheParkedItems) {
  struct Case {
    const char* name;
    const char* keys;
    std::vector<std::string> saved;  // "type:text" in order after Ctrl+S
  };
  const std::string circle = std::to_string(ITEM_CIRCLE) + ":";
  const std::string text = std::to_string(ITEM_TEXT) + ":";
  const Case cases[] = {
      {"Enter edits the text", "key Enter\nwait 100\nkey End\ntype !\nwait 50\nkey Enter\nwait 100\n",
       {text + "HI!", circle}},
      {"Backspace edits the text too", "key Backspace\nwait 100\nkey End\ntype ?\nwait 50\nkey Enter\nwait 100\n",
       {text + "HI?", circle}},
      {"Esc in the box changes nothing", "key Enter\nwait 100\ntype Z\nkey Esc\nwait 100\n",
       {text + "HI", circle}},
      {"Insert, then type on the new line", "key Ins\nwait 100\ntype A\nwait 50\nkey Enter\nwait 100\n",
       {text + "A", text + "HI", circle}},
      {"Delete removes the line", "key Del\nwait 100\n", {circle}},
      {"a move down past the blank end does nothing", "key Alt+Down\nwait 100\n",
       {text + "HI", circle}},
  };
  for (const Case& c : cases) {
    SetUp();
    const std::string script =
        std::string(OPEN_AND_GO_TO_LIST) + c.keys + "key Ctrl+S\nwait 300\nclose\n";
    ASSERT_EQ(run(script), 0) << c.name << read(folder_ / "stderr.txt");
    EXPECT_EQ(saved_items(), c.saved) << c.name;
    TearDown();
  }
  SetUp();
}

TEST_F(TextListPageRun, TheFileMenuKeysReachTheirCommands) {
  // F1 asks for help (the program says it has no help file); Ctrl+N starts a new job whose save
  // question comes first: the job is unchanged, so it starts at once and has one blank text.
  const std::string script = std::string(OPEN_AND_GO_TO_LIST) +
                             "key Ctrl+N\nwait 200\ndump new\nclose\n";
  ASSERT_EQ(run(script), 0) << read(folder_ / "stderr.txt");
  const std::string dump = read(folder_ / "new.txt");
  EXPECT_EQ(dump.find("HI"), std::string::npos) << dump;
  EXPECT_NE(dump.find("List of text items"), std::string::npos) << dump;
}

// The current line's property page stands beside the list; Right enters it, a height typed
// there is the line's, PgDn walks to the next line's page, Esc leaves through the page menu.
TEST_F(TextListPageRun, ThePropertyPageBesideTheListFollowsTheLineAndTakesValues) {
  // The page opens on X (the text is edited on its line): six rows down, the blank one passed,
  // to the height, whose value is cleared before the new one is typed.
  std::string to_height;
  for (int k = 0; k < 6; ++k) to_height += "key Down\n";
  for (int k = 0; k < 8; ++k) to_height += "key Backspace\n";
  const std::string script = std::string(OPEN_AND_GO_TO_LIST) + "dump beside\n" +
                             "key Down\ntype O\nwait 100\ntype K\nwait 100\nkey Enter\nwait 200\n"
                             "key Up\nwait 100\nkey Right\nwait 100\ndump r1\n" + to_height +
                             "dump r2\ntype 3\nkey Enter\nwait 100\nkey PgDn\nwait 200\n" + to_height +
                             "type 2\nkey Enter\nwait 100\n"
                             "key Esc\nwait 100\ndump menu\nkey Esc\nwait 100\n"
                             "key Ctrl+S\nwait 300\nclose\n";
  ASSERT_EQ(run(script), 0) << read(folder_ / "stderr.txt");

  // The page of "HI" right of the list, on the rows of the list; Esc in the page opened the
  // page menu.
  const std::string beside = read(folder_ / "beside.txt");
  std::istringstream rows(beside);
  int list_column = -1, height_column = -1;
  for (std::string row; std::getline(rows, row);) {
    if (row.find(" HI") != std::string::npos && list_column < 0) list_column = int(row.find(" HI"));
    if (row.find("Height:") != std::string::npos) height_column = int(row.find("Height:"));
  }
  EXPECT_GT(list_column, 0) << beside;
  EXPECT_GT(height_column, list_column + 40) << beside;
  EXPECT_NE(read(folder_ / "menu.txt").find("Copy the parameters"), std::string::npos)
      << read(folder_ / "menu.txt");

  push_list();
  clear_current_list();
  ASSERT_EQ(load_job_file(job_path().string(), nullptr), 0);
  float hi = 0, ok = 0;
  for (TextLine* line = g_lists.current.first; line != nullptr; line = line->next) {
    if (line->text == "HI") hi = layout_of(line).height;
    if (line->text == "OK") ok = layout_of(line).height;
  }
  free_current_list();
  pop_list();
  EXPECT_FLOAT_EQ(hi, 3.0f);
  EXPECT_FLOAT_EQ(ok, 2.0f);
}

// A click right of the list enters the current line's page as Right does.
TEST_F(TextListPageRun, AClickBesideTheListEntersThePropertyPage) {
  std::string keys = "click 1000 150\nwait 100\n";
  for (int k = 0; k < 6; ++k) keys += "key Down\n";
  for (int k = 0; k < 8; ++k) keys += "key Backspace\n";
  keys += "type 4\nkey Enter\nwait 100\nkey Esc\nwait 100\nkey Esc\nwait 100\n";
  ASSERT_EQ(run(std::string(OPEN_AND_GO_TO_LIST) + keys + "key Ctrl+S\nwait 300\nclose\n"), 0)
      << read(folder_ / "stderr.txt");
  push_list();
  clear_current_list();
  ASSERT_EQ(load_job_file(job_path().string(), nullptr), 0);
  float hi = 0;
  for (TextLine* line = g_lists.current.first; line != nullptr; line = line->next)
    if (line->text == "HI") hi = layout_of(line).height;
  free_current_list();
  pop_list();
  EXPECT_FLOAT_EQ(hi, 4.0f);
}

// Copy-parameters (page menu option 163): the picked line's look goes onto the lines chosen
// next. From a text on an arc the copy keeps the arc text's length; from a straight text the
// length is fitted anew to the target's own text.
TEST_F(TextListPageRun, CopiedParametersKeepAnArcTextsLengthAndRefitAStraightOne) {
  // Two more texts after "HI": "AB" of height 2 and "ARC" on an arc of radius 10.
  push_list();
  clear_current_list();
  ASSERT_EQ(load_job_file(job_path().string(), nullptr), 0);
  // The arc text's length is given (its letters are fitted to it); the straight one's is not.
  const auto add_text = [](const char* body, float height, float radius, float length) {
    DrawingItem* item = new_text_item();
    set_line_text(body, item);
    item = g_lists.current.last;
    item->state = ITEM_FLAG_SELECTED;
    TextLayout l;
    read_text_layout(block_text_layout(item_block(item)), &l);
    l.height = l.entered_height = height;
    l.width_factor = length > 0 ? 0.0f : 1.0f;
    l.length = l.entered_length = length;
    l.anchor = PointF{20, 20};
    l.arc_radius = radius;
    l.angle = radius > 0 ? 90.0f : 0.0f;
    write_text_layout(l, block_text_layout(item_block(item)));
    layout_text_item(item);
  };
  // The blank line the page keeps at the end goes; the new texts take its place.
  for (TextLine* line = g_lists.current.last; line != nullptr && line->text.empty();) {
    TextLine* before = line->prev;
    delete_line(line);
    line = before;
  }
  add_text("AB", 2.0f, 0.0f, 0.0f);
  add_text("ARC", 1.0f, 10.0f, 3.0f);
  ASSERT_EQ(write_job_to_path(job_path().string()), 0);
  free_current_list();
  pop_list();
  const auto texts = [&] {
    std::map<std::string, TextLayout> out;
    push_list();
    clear_current_list();
    if (load_job_file(job_path().string(), nullptr) == 0)
      for (TextLine* line = g_lists.current.first; line != nullptr; line = line->next)
        if (line->kind == ITEM_TEXT && !line->text.empty()) out[line->text] = layout_of(line);
    free_current_list();
    pop_list();
    return out;
  };
  const auto before = texts();
  ASSERT_EQ(before.count("ARC"), 1u);
  ASSERT_GT(before.at("ARC").arc_radius, 0.0f);
  ASSERT_FLOAT_EQ(before.at("ARC").length, 3.0f);

  // Lines: HI, AB, ARC. ARC's look onto AB, then HI's onto ARC.
  const std::string copy = "key Esc\nwait 100\nkey Enter\nwait 100\n";
  const std::string script = std::string(OPEN_AND_GO_TO_LIST) + "key Down\nkey Down\n" + copy +
                             "key Enter\nwait 50\nkey Up\nkey Enter\nwait 50\nkey Esc\nwait 100\n"
                             "key Up\n" + copy + "key Enter\nwait 50\nkey Down\nkey Down\n"
                             "key Enter\nwait 50\nkey Esc\nwait 100\nkey Ctrl+S\nwait 300\nclose\n";
  ASSERT_EQ(run(script), 0) << read(folder_ / "stderr.txt");
  const auto after = texts();
  ASSERT_EQ(after.count("AB"), 1u);
  ASSERT_EQ(after.count("ARC"), 1u);
  EXPECT_NEAR(after.at("AB").arc_radius, before.at("ARC").arc_radius, 1e-4);
  EXPECT_NEAR(after.at("AB").length, before.at("ARC").length, 1e-4) << "an arc text's length kept";
  EXPECT_EQ(after.at("ARC").arc_radius, 0.0f);
  EXPECT_NEAR(after.at("ARC").height, before.at("HI").height, 1e-4);
  EXPECT_GT(after.at("ARC").length, 0.0f);
  EXPECT_GT(std::fabs(after.at("ARC").length - 3.0f), 0.05f)
      << "a straight text's length fitted to its own text";
}

