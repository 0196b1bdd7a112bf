// The staircase designer as a user runs it: the whole program headless, from the Utilities page's
// Staircase button, values typed into the forms, the cells read back; OK makes the stringers' NC
// program and writes the defaults file; Cancel and the refusals keep the user where they were.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

#include "print/stairs_params.h"
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
  void TearDown() override { fs::remove_all(folder_); }

  // The script, then the window's close box (a changed job's save question discarded).
  int run(const std::string& script, bool discard = false) {
    return run_headless_script(folder_, folder_ / "program", folder_,
                               script + "close\n" + (discard ? "wait 200\nkey d\n" : ""));
  }
  std::string dump(const char* name) const {
    return read_file_bytes((folder_ / (std::string(name) + ".txt")).string());
  }
  std::string log() const { return read_file_bytes((folder_ / "stderr.txt").string()); }

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

}  // namespace
