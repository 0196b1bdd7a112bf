// The Job setup page as a user runs it: the whole program headless on a 1280 x 1024 window, the
// page chosen by its tab, the job settings dialog driven by keys and the cells read back; the
// saved job is read back by the job reader.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "job/job_file.h"
#include "records/job_settings.h"
#include "store/line_list.h"
#include "tests/support/headless_script.h"
#include "tests/support/test_folder.h"

namespace {

namespace fs = std::filesystem;

constexpr char TO_JOB_SETUP[] = "move 5 600\nwait 100\nclick 210 36\nwait 300\n";
// The surface picture menu from the dialog's first row: the cell `downs` rows and `rights`
// columns from the first.
std::string choose_surface(int downs, int rights) {
  std::string s = "key Down\nkey Enter\nwait 200\n";
  for (int i = 0; i < downs; ++i) s += "key Down\n";
  for (int i = 0; i < rights; ++i) s += "key Right\n";
  return s + "key Enter\nwait 300\n";
}
std::string keys(const char* key, int times) {
  std::string s;
  for (int i = 0; i < times; ++i) s += std::string("key ") + key + "\n";
  return s;
}
// Typed into a field that shows 0 (the first digit opens the entry on the 0).
std::string type_over_zero(const char* text) {
  return std::string("type ") + text + "\nkey Enter\nwait 100\n";
}
std::string type_value(const char* text) {
  return std::string("key Delete\ntype ") + text + "\nkey Enter\nwait 100\n";
}

class JobSetupPageRun : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = make_test_folder("brenvik_job_setup_page");
    copy_program_data_files(BRENVIK_PROGRAM_DIR, folder_ / "program");
  }
  void TearDown() override {
    if (std::getenv("BRENVIK_KEEP_TEST_FILES") == nullptr) fs::remove_all(folder_);
  }

  // The script on the page, then the window's close box (a changed job's save question
  // discarded when asked).
  int run(const std::string& script, bool discard = false) {
    return run_headless_script(folder_, folder_ / "program", folder_,
                               TO_JOB_SETUP + script + "close\n" +
                                   (discard ? "wait 200\nkey d\n" : ""),
                               "--size 1280x1024");
  }
  std::string dump(const char* name) const {
    return read_file_bytes((folder_ / (std::string(name) + ".txt")).string());
  }
  std::string log() const { return read_file_bytes((folder_ / "stderr.txt").string()); }
  // The one job file the run saved under the test's folder, or "".
  std::string saved_job() const {
    for (const fs::directory_entry& e : fs::recursive_directory_iterator(folder_))
      if (e.path().extension() == ".job" || e.path().extension() == ".Job") return e.path().string();
    return "";
  }

  fs::path folder_;
};

TEST_F(JobSetupPageRun, TheDialogShowsTheJobAndTheSurfaceRowsFollowTheSurfaceMenu) {
  ASSERT_EQ(run(std::string("dump start\n") + choose_surface(1, 1) + "dump cylinder\n" +
                keys("Down", 2) + type_value("20") + "dump radius\n" + keys("Up", 3) +
                choose_surface(0, 0) + "dump flat\n",
                true),
            0)
      << log();
  const std::string start = dump("start");
  EXPECT_EQ(dump_value_after(start, "Work surface:"), "Flat") << start;
  EXPECT_NE(start.find("NC format (post processor):"), std::string::npos) << start;
  EXPECT_NE(start.find("Material box shown?"), std::string::npos) << start;
  // A flat surface has no rows of its own.
  EXPECT_EQ(start.find("Radius:"), std::string::npos) << start;

  const std::string cylinder = dump("cylinder");
  EXPECT_EQ(dump_value_after(cylinder, "Work surface:"), "Cylindrical") << cylinder;
  for (const char* label : {"Cut on the:", "Radius:", "Axis along:", "Tilt (degrees):",
                            "Wrap the drawing onto it?"})
    EXPECT_NE(cylinder.find(label), std::string::npos) << label << "\n" << cylinder;
  EXPECT_EQ(dump_value_after(dump("radius"), "Radius:"), "20") << dump("radius");

  // Back on the flat surface the rows are blank again.
  const std::string flat = dump("flat");
  EXPECT_EQ(dump_value_after(flat, "Work surface:"), "Flat") << flat;
  EXPECT_EQ(flat.find("Radius:"), std::string::npos) << flat;
}

TEST_F(JobSetupPageRun, TypedAnglesAreKeptInTheirRange) {
  // The sloping surface: row 2 its slope direction, row 3 its slope.
  ASSERT_EQ(run(choose_surface(0, 1) + "key Down\n" + type_value("-30") + "dump slope\n" +
                type_value("360") + "key Up\nkey Up\ndump full\n",
                true),
            0)
      << log();
  EXPECT_EQ(dump_value_after(dump("slope"), "Slope direction (degrees):"), "330") << dump("slope");
  EXPECT_EQ(dump_value_after(dump("full"), "Slope angle (degrees):"), "0") << dump("full");
}

TEST_F(JobSetupPageRun, LockedRowsArePassedOverAndAShortMoveFeedOfZeroBecomesSixty) {
  // From the first row: Down passes the blank surface rows to the template, the template's
  // offsets (no template) and the blank row to the tolerance, then the short moves.
  ASSERT_EQ(run(keys("Down", 4) + type_over_zero("0.5") + "key Down\nkey Delete\nwait 100\n" +
                "dump told\nkey Enter\nwait 200\nkey Down\ndump after\n",
                true),
            0)
      << log();
  const std::string told = dump("told");
  EXPECT_NE(told.find("A feed of 0 would stop sh"), std::string::npos) << told;
  const std::string after = dump("after");
  EXPECT_EQ(dump_value_after(after, "Short moves up to:"), "0.5") << after;
  EXPECT_EQ(dump_value_after(after, "Feed of short moves:"), "60") << after;
}

TEST_F(JobSetupPageRun, TheFileListMakesTheSettingsTheDefaults) {
  ASSERT_EQ(run(std::string("key Alt+F\nwait 200\nkey m\nwait 100\n") +
                "dump saved\nkey Enter\nwait 200\n"),
            0)
      << log();
  // The box's hot letter leaves "Saved it" with one highlighted cell.
  EXPECT_NE(dump_line_with(dump("saved"), "Sav").find("d it"), std::string::npos) << dump("saved");
}

TEST_F(JobSetupPageRun, AnUnchangedJobQuitsFromThePageWithoutAQuestion) {
  ASSERT_EQ(run("wait 100\n"), 0) << log();
  EXPECT_EQ(log().find("script"), std::string::npos) << log();
}

TEST_F(JobSetupPageRun, CtrlSSavesTheJobWithItsSurfaceAndTheFileButtonShowsItSaved) {
  ASSERT_EQ(run(choose_surface(1, 1) + keys("Down", 2) + type_value("20") + "dump changed\n" +
                "key Ctrl+S\nwait 200\ndump prompt\nkey Tab\ntype ring\nkey Enter\nwait 300\n" +
                "dump saved\n"),
            0)
      << log();
  const std::string path = saved_job();
  ASSERT_FALSE(path.empty()) << dump("prompt") << dump("saved");
  EXPECT_EQ(fs::path(path).filename().string().rfind("ring", 0), 0u) << path;
  ASSERT_EQ(read_job_file(path, nullptr), 0);
  EXPECT_EQ(g_job_settings.surface_code, 4);
  EXPECT_FLOAT_EQ(g_job_settings.surface_radius, 20.0f);
  free_current_list();
}

TEST_F(JobSetupPageRun, ThePreferencesKeysPassOverTheHeadingsWithoutHanging) {
  // The Preferences form on the Utilities page (the default 1024 x 768 window): Down and Up walk
  // past both headings. A heading once read no key and was asked again at once, so the first key
  // that reached it hung the program (the runner then never ends: ctest's timeout catches it).
  std::string script = "move 5 400\nwait 100\nclick 760 30\nwait 300\nclick 263 125\nwait 300\n";
  script += keys("Down", 5) + type_value("4") + keys("Up", 6) + keys("Down", 9) + "dump walked\n";
  ASSERT_EQ(run_headless_script(folder_, folder_ / "program", folder_, script + "close\n"), 0)
      << log();
  const std::string walked = dump("walked");
  EXPECT_NE(walked.find("Cut type of new text:"), std::string::npos) << walked;
  // The delay row took the typed digit (the row keeps 1 to 5).
  const std::string delay = dump_value_after(walked, "Drawing page delay (ticks):");
  ASSERT_EQ(delay.size(), 1u) << walked;
  EXPECT_GE(delay[0], '1');
  EXPECT_LE(delay[0], '5');
}

}  // namespace
