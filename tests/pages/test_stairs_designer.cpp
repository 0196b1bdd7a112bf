// The staircase designer as a user runs it: the whole program headless, from the Utilities page's
// Staircase button, values typed into the forms, the cells read back; OK makes the stringers' NC
// program and writes the defaults file; Cancel and the refusals keep the user where they were.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "platform/image_library.h"
#include "print/stairs_params.h"
#include "tests/support/gcode_reader.h"
#include "tests/support/headless_script.h"
#include "tests/support/test_folder.h"

namespace {

namespace fs = std::filesystem;

// The runner's 1024 x 768 screen: the Utilities tab, its Staircase button, the designer's OK,
// Cancel and Make into a drawing buttons and its Stringer tab.
constexpr char TO_DESIGNER[] = R"(move 5 400
wait 100
click 760 30
wait 300
click 263 265
wait 300
move 200 650
)";
constexpr char CLICK_OK[] = "click 750 40\nwait 300\n";
constexpr char CLICK_CANCEL[] = "click 955 30\nwait 300\n";
constexpr char CLICK_STRINGER_TAB[] = "click 250 25\nwait 200\n";
constexpr char CLICK_STAIR_TAB[] = "click 160 25\nwait 200\n";
constexpr char CLICK_MAKE_DRAWING[] = "click 100 49\nwait 300\n";
constexpr char CLICK_TABLE_TAB[] = "click 335 25\nwait 200\n";
constexpr char CLICK_RESET[] = "click 843 30\nwait 200\n";
// The normal face's cells on that screen, and where the forms' values start.
constexpr int CELL_WIDTH = 12;
constexpr int CELL_HEIGHT = 24;
constexpr int VALUE_PIXEL_X = 720;  // the stair form's value column (60)
// The third designer's type menu: the cut stringer is the middle picture of the second row.
constexpr char TO_CUT_STRINGER[] = R"(move 5 400
wait 100
click 760 30
wait 300
click 583 265
wait 300
key Down
key Right
key Enter
wait 300
move 200 650
)";
// The cut stringer's two tabs.
constexpr char CLICK_CUT_STRINGER_TAB[] = "click 180 25\nwait 200\n";
constexpr char CLICK_CUT_TABLE_TAB[] = "click 265 25\nwait 200\n";
// The default colour scheme's plain text and its second text colour (derived values), as a
// screen picture stores them.
constexpr uint32_t PLAIN_TEXT = 0x000000;
constexpr uint32_t DERIVED_TEXT = 0xCB0000;

// A click in the middle of a cell.
std::string click_cell(int row, int column) {
  return "click " + std::to_string(column * CELL_WIDTH + CELL_WIDTH / 2) + " " +
         std::to_string(row * CELL_HEIGHT + CELL_HEIGHT / 2) + "\nwait 200\n";
}
// The row of a dump that holds a label.
int dump_row_of(const std::string& text, const std::string& label) {
  const size_t at = text.find(label);
  if (at == std::string::npos) return -1;
  return static_cast<int>(std::count(text.begin(), text.begin() + at, '\n'));
}

std::string keys(const char* key, int times) {
  std::string s;
  for (int i = 0; i < times; ++i) s += std::string("key ") + key + "\n";
  return s;
}
// A value typed anew into the field under the cursor.
std::string type_value(const char* digits) {
  return std::string("key Delete\ntype ") + digits + "\nkey Enter\nwait 100\n";
}
// The stair form from TOTAL: 4 rows down to RISE (the blank rows are passed over), 3 up from
// there to ANG.
std::string total_rise_angle(const char* total, const char* rise, const char* angle) {
  return type_value(total) + keys("Down", 4) + type_value(rise) + keys("Up", 3) + type_value(angle);
}

class StairsDesignerRun : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = make_test_folder("brenvik_stairs_page");
    copy_program_data_files(BRENVIK_PROGRAM_DIR, folder_ / "program");
  }
  void TearDown() override {
    if (std::getenv("BRENVIK_KEEP_TEST_FILES") == nullptr) fs::remove_all(folder_);
  }

  // The script, then the window's close box (a changed job's save question discarded).
  int run(const std::string& script, bool discard = false) {
    return run_headless_script(folder_, folder_ / "program", folder_,
                               script + "close\n" + (discard ? "wait 200\nkey d\n" : ""));
  }
  std::string dump(const char* name) const {
    return read_file_bytes((folder_ / (std::string(name) + ".txt")).string());
  }
  std::string log() const { return read_file_bytes((folder_ / "stderr.txt").string()); }

  // The colours of a screen picture's pixels in a cell row from a pixel column on, `width`
  // pixels wide, with how many pixels have each.
  std::map<uint32_t, int> colours_in(const char* picture, int row, int x, int width) const {
    std::map<uint32_t, int> found;
    const std::string path = (folder_ / (std::string(picture) + ".png")).string();
    ImageInfo info;
    ImageDescriptor image;
    if (image_png_info(path.c_str(), &info) != IMAGE_OK ||
        image_alloc(&image, info.width, info.height, info.bits) != IMAGE_OK ||
        image_load_png(path.c_str(), &image) != IMAGE_OK) {
      ADD_FAILURE() << "cannot read " << path;
      return found;
    }
    const ImagePixels& p = *image.image;
    for (int y = row * CELL_HEIGHT; y < (row + 1) * CELL_HEIGHT && y < p.height; ++y) {
      // Rows are stored bottom row first.
      const uint8_t* line = p.rows.data() + static_cast<size_t>(p.height - 1 - y) * p.row_bytes;
      for (int px = x; px < x + width && px < p.width; ++px) {
        uint32_t c = 0;
        if (p.bits == 24) {
          c = (uint32_t{line[3 * px + 2]} << 16) | (uint32_t{line[3 * px + 1]} << 8) | line[3 * px];
        } else if (p.bits == 8) {
          c = p.palette.at(line[px]);
        }
        ++found[c];
      }
    }
    return found;
  }

  fs::path folder_;
};

TEST_F(StairsDesignerRun, TypedTotalRiseAndAngleDeriveTheCountTheGoingAndTheShift) {
  ASSERT_EQ(run(std::string(TO_DESIGNER) + "dump start\n" + total_rise_angle("112", "7", "40") +
                "dump solved\n"),
            0)
      << log();
  const std::string start = dump("start");
  EXPECT_NE(start.find("Total rise:"), std::string::npos) << start;
  const std::string solved = dump("solved");
  // 112 / 7 = 16 risers: 15 treads of rise 7; the going 7 / tan 40 degrees.
  EXPECT_EQ(dump_value_after(solved, "Number of treads:"), "15") << solved;
  EXPECT_EQ(dump_value_after(solved, "Rise:"), "7") << solved;
  EXPECT_EQ(dump_value_after(solved, "Going:"), "8.3423") << solved;
  EXPECT_EQ(dump_value_after(solved, "Total rise:"), "112") << solved;
  EXPECT_NE(solved.find("Stringer needs to shift"), std::string::npos) << solved;
  EXPECT_NE(dump_line_with(solved, "by").find("6"), std::string::npos) << solved;
}

TEST_F(StairsDesignerRun, AValueOutsideItsRuleIsRefusedAndTheOldOneStays) {
  // Inch work: a total rise of 361 is beyond any staircase.
  ASSERT_EQ(run(std::string(TO_DESIGNER) + type_value("50") + "type 361\nkey Enter\n" +
                "wait 20\ndump refused\nwait 1000\ndump after\n"),
            0)
      << log();
  EXPECT_NE(dump("refused").find("Invalid value!"), std::string::npos) << dump("refused");
  const std::string after = dump("after");
  EXPECT_EQ(after.find("Invalid value!"), std::string::npos) << after;
  EXPECT_EQ(dump_value_after(after, "Total rise:"), "50") << after;
}

TEST_F(StairsDesignerRun, OkOnAnIncompleteDesignSaysWhatIsMissingAndStays) {
  ASSERT_EQ(run(std::string(TO_DESIGNER) + CLICK_OK + "dump refused\nkey Enter\nwait 200\n" +
                "dump back\n"),
            0)
      << log();
  EXPECT_NE(dump("refused").find("You haven't defined the stairs yet"), std::string::npos)
      << dump("refused");
  const std::string back = dump("back");
  EXPECT_NE(back.find("Total rise:"), std::string::npos) << back;
  EXPECT_EQ(back.find("NC program"), std::string::npos) << back;
}

TEST_F(StairsDesignerRun, OkOnACompleteDesignMakesTheProgramAndWritesTheDefaults) {
  ASSERT_EQ(run(std::string(TO_DESIGNER) + total_rise_angle("112", "7", "40") + CLICK_OK +
                "dump nc\n"),
            0)
      << log();
  const std::string nc = dump("nc");
  EXPECT_NE(nc.find("NC program"), std::string::npos) << nc;
  EXPECT_NE(nc.find("G01"), std::string::npos) << nc;

  // The defaults file holds the design as it was shown.
  const std::string defaults =
      read_file_bytes((folder_ / "program" / "KR_STAIRS_DEFAULTsB.KR5").string());
  ASSERT_EQ(defaults.size(), STAIRS_IMAGE_SIZE);
  StairsParams p;
  ASSERT_TRUE(read_stairs_image(reinterpret_cast<const uint8_t*>(defaults.data()), defaults.size(),
                                &p));
  EXPECT_FLOAT_EQ(p.total_rise, 112);
  EXPECT_EQ(p.tread_count, 15);
  EXPECT_FLOAT_EQ(p.rise, 7);
  EXPECT_NEAR(p.run, 7 / std::tan(40 * M_PI / 180), 1e-3);
  EXPECT_GT(p.board_width, 0);
  EXPECT_GT(p.board_length, 0);
}

TEST_F(StairsDesignerRun, CancelGoesBackToTheUtilitiesPageAndTheDesignWaitsForTheNextVisit) {
  // Back on the Utilities page the Staircase button opens the designer again, on the same block.
  ASSERT_EQ(run(std::string(TO_DESIGNER) + type_value("112") + CLICK_CANCEL + "dump back\n" +
                "click 263 265\nwait 300\ndump again\n" + CLICK_CANCEL),
            0)
      << log();
  const std::string back = dump("back");
  EXPECT_EQ(back.find("Total rise:"), std::string::npos) << back;
  EXPECT_EQ(dump_value_after(dump("again"), "Total rise:"), "112") << dump("again");
}

TEST_F(StairsDesignerRun, TabsChangeTheFormAndEachKeepsItsValues) {
  ASSERT_EQ(run(std::string(TO_DESIGNER) + type_value("112") + CLICK_STRINGER_TAB +
                "dump stringer\n" + CLICK_STAIR_TAB + "dump stair\n"),
            0)
      << log();
  const std::string stringer = dump("stringer");
  EXPECT_NE(stringer.find("Board thickness:"), std::string::npos) << stringer;
  EXPECT_EQ(stringer.find("Total rise:"), std::string::npos) << stringer;
  EXPECT_EQ(dump_value_after(dump("stair"), "Total rise:"), "112") << dump("stair");
}

TEST_F(StairsDesignerRun, MakeIntoADrawingLandsOnTheDrawingPage) {
  ASSERT_EQ(run(std::string(TO_DESIGNER) + total_rise_angle("112", "7", "40") +
                CLICK_MAKE_DRAWING + "dump drawing\n",
                true),
            0)
      << log();
  const std::string drawing = dump("drawing");
  EXPECT_EQ(drawing.find("Total rise:"), std::string::npos) << drawing;
  // The job counts as changed: closing the window asked about it, and the script's discard
  // answered (without the question the runner ends before it and reports so).
}

TEST_F(StairsDesignerRun, EscapeFromTheSaveQuestionKeepsTheChangedJob) {
  // The drawing made by the designer is a changed job: entering the designer again asks first,
  // and Esc stays on the Utilities page with the job as it was (still changed when closing).
  ASSERT_EQ(run(std::string(TO_DESIGNER) + total_rise_angle("112", "7", "40") +
                    CLICK_MAKE_DRAWING + "click 760 30\nwait 300\nclick 263 265\nwait 300\n" +
                    "dump question\nkey Escape\nwait 300\ndump kept\n",
                true),
            0)
      << log();
  EXPECT_NE(dump("question").find("Save them before starting a"), std::string::npos)
      << dump("question");
  const std::string kept = dump("kept");
  EXPECT_EQ(kept.find("Total rise:"), std::string::npos) << kept;
  EXPECT_EQ(kept.find("Save them"), std::string::npos) << kept;
}

TEST_F(StairsDesignerRun, TheStringersTypeMenuCancelledLeavesTheDesigner) {
  ASSERT_EQ(run("move 5 400\nwait 100\nclick 760 30\nwait 300\nclick 583 265\nwait 300\n"
                "key Escape\nwait 300\ndump left\n"
                "click 583 265\nwait 300\nkey Enter\nwait 300\ndump chosen\n" +
                std::string(CLICK_CANCEL)),
            0)
      << log();
  const std::string left = dump("left");
  EXPECT_EQ(left.find("Rise:"), std::string::npos) << left;
  // The first type chosen: the stair form of the third designer.
  EXPECT_NE(dump("chosen").find("Rise:"), std::string::npos) << dump("chosen");
}

TEST_F(StairsDesignerRun, OpeningAStaircaseOfAnotherKindRestartsThePageAsThatKind) {
  // A tread-housing staircase saved from its own designer, then opened from the housed one: the
  // page comes back as the tread-housing designer, whose stringer form has the top's extra height.
  ASSERT_EQ(run("move 5 400\nwait 100\nclick 760 30\nwait 300\nclick 423 265\nwait 300\n"
                "move 200 650\nclick 30 69\nwait 300\nkey Tab\ntype two.str\nkey Enter\n"
                "wait 300\n" + std::string(CLICK_CANCEL) + "click 263 265\nwait 300\n" +
                CLICK_STRINGER_TAB + "dump housed\nclick 78 69\nwait 300\nkey Tab\n"
                "type two.str\nkey Enter\nwait 300\n" + CLICK_STRINGER_TAB + "dump opened\n" +
                CLICK_CANCEL),
            0)
      << log();
  ASSERT_TRUE(fs::exists(folder_ / "program" / "two.str"));
  EXPECT_EQ(dump("housed").find("Extra height at the top:"), std::string::npos) << dump("housed");
  EXPECT_NE(dump("opened").find("Extra height at the top:"), std::string::npos) << dump("opened");
}

TEST_F(StairsDesignerRun, TheProgramOkMakesIsReadBackByTheOutsideReader) {
  std::string why;
  if (!gcode_reader::reader_available(&why)) GTEST_SKIP() << why;
  // OK lands on the NC page; its program saved from there under a name of our own.
  ASSERT_EQ(run(std::string(TO_DESIGNER) + total_rise_angle("112", "7", "40") + CLICK_OK +
                "key Ctrl+S\nwait 300\nkey Tab\ntype stairs.nc\nkey Enter\nwait 300\n"),
            0)
      << log();
  fs::path program;
  for (const fs::directory_entry& e : fs::recursive_directory_iterator(folder_))
    if (e.path().filename() == "stairs.nc") program = e.path();
  ASSERT_FALSE(program.empty()) << log();
  const std::string defaults =
      read_file_bytes((folder_ / "program" / "KR_STAIRS_DEFAULTsB.KR5").string());
  StairsParams p;
  ASSERT_TRUE(read_stairs_image(reinterpret_cast<const uint8_t*>(defaults.data()), defaults.size(),
                                &p));
  std::vector<gcode_reader::ReadMove> moves;
  std::string error;
  ASSERT_TRUE(gcode_reader::read_moves(program, "0,0,10", &moves, &error)) << error;
  // The housings and the outline are cut, through the board and no deeper; no rapid crosses the
  // work below the lowest rapid height of the three blocks.
  const double rapid = std::min({p.outline_cam.rapid_height, p.housing_cam.rapid_height,
                                 p.third_cam.rapid_height});
  int cuts = 0;
  double deepest = 0;
  for (const gcode_reader::ReadMove& m : moves) {
    if (gcode_reader::is_cut(m)) {
      ++cuts;
      deepest = std::min({deepest, m.z1, m.z2});
    }
    const bool sideways = std::hypot(m.x2 - m.x1, m.y2 - m.y1) > 1e-6;
    if (m.motion == "G0" && sideways) {
      EXPECT_GE(std::min(m.z1, m.z2), rapid - 1e-3) << m.x1 << "," << m.y1;
    }
  }
  EXPECT_GT(cuts, 100);
  EXPECT_NEAR(deepest, -p.outline_cam.finishing.cut_depth, 1e-3);
}

TEST_F(StairsDesignerRun, AClickOnAnotherRowChangesThatRowNotTheOneTheCursorWasOn) {
  // On the Table tab the cursor stands on the rail distance. A click on the table axis's value
  // turns the axis over; a click on the table length and a typed value change the length. The
  // rail distance under the cursor keeps its value through both. (A click on the label moves the
  // cursor without opening the entry, so that Del clears the whole value.)
  ASSERT_EQ(run(std::string(TO_DESIGNER) + CLICK_TABLE_TAB + "dump before\n"), 0) << log();
  const std::string before = dump("before");
  const int axis_row = dump_row_of(before, "Table axis (X/Y):");
  const int length_row = dump_row_of(before, "Table length:");
  ASSERT_GT(axis_row, 0) << before;
  const int value_column = static_cast<int>(
      dump_line_with(before, "Rail distance:").find(dump_value_after(before, "Rail distance:")));
  ASSERT_GT(value_column, 0) << before;
  // The dump's columns count cells in UTF-8: the frame before the label is one cell of 3 bytes.
  const int column = value_column - 2;
  ASSERT_EQ(run(std::string(TO_DESIGNER) + CLICK_TABLE_TAB + click_cell(axis_row, column) +
                "move 200 650\ndump turned\n" + click_cell(length_row, column - 10) + type_value("150") +
                "move 200 650\ndump typed\n"),
            0)
      << log();
  const std::string turned = dump("turned");
  EXPECT_NE(dump_value_after(turned, "Table axis (X/Y):"), dump_value_after(before, "Table axis (X/Y):"))
      << turned;
  EXPECT_EQ(dump_value_after(turned, "Rail distance:"), dump_value_after(before, "Rail distance:"))
      << turned;
  EXPECT_EQ(dump_value_after(turned, "Markers (Y/N):"), dump_value_after(before, "Markers (Y/N):"))
      << turned;
  const std::string typed = dump("typed");
  EXPECT_EQ(dump_value_after(typed, "Table length:"), "150") << typed;
  EXPECT_EQ(dump_value_after(typed, "Rail distance:"), dump_value_after(before, "Rail distance:"))
      << typed;
}

TEST_F(StairsDesignerRun, ResetKeepsTheValuesButShowsThemDerived) {
  ASSERT_EQ(run(std::string(TO_DESIGNER) + type_value("112") + keys("Down", 4) + type_value("7") +
                keys("Up", 3) + "dump entered\npng entered\n" + CLICK_RESET + "dump reset\npng reset\n"),
            0)
      << log();
  const std::string entered = dump("entered");
  const std::string reset = dump("reset");
  // The values stay.
  for (const char* label : {"Total rise:", "Rise:", "Number of treads:"})
    EXPECT_EQ(dump_value_after(reset, label), dump_value_after(entered, label)) << label;
  // Typed: plain text; derived (the count) and everything after Reset: the derived colour. (The
  // cursor's bar stands on the pitch angle, which is left out.)
  struct Case {
    const char* label;
    bool plain_before;
  };
  for (const Case& c : {Case{"Total rise:", true}, Case{"Rise:", true},
                        Case{"Number of treads:", false}}) {
    const int row = dump_row_of(entered, c.label);
    ASSERT_GT(row, 0) << c.label;
    const auto before = colours_in("entered", row, VALUE_PIXEL_X, 5 * CELL_WIDTH);
    const auto after = colours_in("reset", row, VALUE_PIXEL_X, 5 * CELL_WIDTH);
    EXPECT_EQ(before.count(PLAIN_TEXT) != 0, c.plain_before) << c.label;
    EXPECT_EQ(before.count(DERIVED_TEXT) != 0, !c.plain_before) << c.label;
    EXPECT_EQ(after.count(PLAIN_TEXT), 0u) << c.label;
    EXPECT_NE(after.count(DERIVED_TEXT), 0u) << c.label;
  }
}

TEST_F(StairsDesignerRun, TheToolFormOverThePageLeavesThePageDrawnAgain) {
  // The housing tool's row opens the tool form over the drawing and the form; Esc closes it and
  // the whole page stands again: the stair form's rows, no tool form's.
  ASSERT_EQ(run(std::string(TO_DESIGNER) + "dump page\n"), 0) << log();
  const std::string page = dump("page");
  const int tool_row = dump_row_of(page, "Housing tool:");
  ASSERT_GT(tool_row, 0) << page;
  ASSERT_EQ(run(std::string(TO_DESIGNER) + click_cell(tool_row, VALUE_PIXEL_X / CELL_WIDTH + 1) +
                "key Enter\nwait 300\ndump tool\nkey Escape\nwait 300\ndump back\n"),
            0)
      << log();
  const std::string tool = dump("tool");
  EXPECT_NE(tool.find("Spindle speed:"), std::string::npos) << tool;
  const std::string back = dump("back");
  EXPECT_EQ(back.find("Spindle speed:"), std::string::npos) << back;
  EXPECT_EQ(back.find("Cutting depth:"), std::string::npos) << back;
  for (const char* label : {"Tread thickness:", "Rise:", "Number of treads:"})
    EXPECT_EQ(dump_line_with(back, label), dump_line_with(page, label)) << label;
  // The cursor stays on the tool's row.
  EXPECT_EQ(dump_value_after(back, "Housing tool:").substr(0, 1), "1") << back;
}

TEST_F(StairsDesignerRun, TheCutStringerHasTheStringerAndTableTabs) {
  // The cut stringer's first tab is its own form; the second the table's; back on the first the
  // values typed are still there and the rest follows from them.
  // The form opens with the cursor on the row under the pointer (where the type menu was): up
  // to the first row. The going, then the count, then the rise (the rise is kept only while the
  // count and the going give a total).
  const std::string typed = keys("Up", 10) + "key Down\ntype 10\nkey Enter\nwait 100\n" +
                            keys("Down", 2) + "type 5\nkey Enter\nwait 100\n" + keys("Up", 3) +
                            "type 7\nkey Enter\nwait 100\n";
  ASSERT_EQ(run(std::string(TO_CUT_STRINGER) + "dump first\n" + typed + CLICK_CUT_TABLE_TAB +
                "dump table\n" + CLICK_CUT_STRINGER_TAB + "move 200 650\ndump again\n" +
                CLICK_CANCEL),
            0)
      << log();
  const std::string first = dump("first");
  EXPECT_NE(first.find("Number of steps:"), std::string::npos) << first;
  EXPECT_EQ(first.find("Total rise:"), std::string::npos) << first;
  EXPECT_EQ(first.find("Rail distance:"), std::string::npos) << first;
  const std::string table = dump("table");
  EXPECT_NE(table.find("Rail distance:"), std::string::npos) << table;
  EXPECT_EQ(table.find("Number of steps:"), std::string::npos) << table;
  const std::string again = dump("again");
  EXPECT_EQ(dump_value_after(again, "Rise:"), "7") << again;
  EXPECT_EQ(dump_value_after(again, "Number of steps:"), "5") << again;
  // atan(7 / 10) is 35 degrees to one decimal.
  EXPECT_EQ(dump_value_after(again, "Pitch angle (degrees):"), "35") << again;
  EXPECT_NE(dump_value_after(again, "Board length:"), "0") << again;
}

}  // namespace
