// The staircase parameter block as a file: the built-in defaults byte for byte against images
// laid out here from the tables, the defaults files' names and their fallback, staircase files
// saved and opened (through the file browser too), every wrong length and bad content refused
// with the block unchanged, and a save that fails part way keeping the old file.
#include <cmath>
#include <filesystem>
#include <limits>
#include <string>
#include <vector>

#include "platform/files.h"
#include "store/record_bytes.h"
#include "tests/print/stairs_fixture.h"
#include "tests/print/stairs_fuzz_entry.h"
#include "tests/support/test_bytes.h"
#include "tests/support/idle_typist.h"
#include "tests/support/test_folder.h"
#include "tests/ui/window_fixture.h"
#include "ui/message_box.h"
#include "ui/standard_dialogs.h"

namespace {

namespace fs = std::filesystem;

// A machining block's fields at their offsets inside the image.
struct CamLayout {
  uint8_t op, direction;
  int16_t group;
  float rapid;
  uint8_t byte24;
  float size, feed;
  int16_t tool;
  uint8_t stepover;
  int32_t second_rpm;
  float second_feed, depth;
};

void lay_cam(std::vector<uint8_t>* b, size_t at, const CamLayout& c) {
  set_u8(b, at + 0, c.op);
  set_u8(b, at + 1, c.direction);
  set_le16(b, at + 6, static_cast<uint16_t>(c.group));
  set_f32(b, at + 12, c.rapid);
  set_u8(b, at + 24, c.byte24);
  const size_t tool = at + 84;
  set_f32(b, tool + 0, c.size);
  set_f32(b, tool + 8, c.feed);
  set_le32(b, tool + 16, 6000);
  set_le16(b, tool + 20, 50);
  set_le16(b, tool + 22, static_cast<uint16_t>(c.tool));
  set_u8(b, tool + 26, c.stepover);
  set_u8(b, tool + 27, 100);
  set_le32(b, tool + 28, static_cast<uint32_t>(c.second_rpm));
  set_f32(b, tool + 32, c.second_feed);
  set_f32(b, tool + 40, c.size);
  set_f32(b, tool + 44, c.depth);
}

// The defaults image of a kind word, laid out from the tables of the block.
std::vector<uint8_t> defaults_image(int32_t kind_word) {
  const bool mm = (kind_word & STAIRS_METRIC) != 0;
  auto u = [mm](float metric, float inch) { return mm ? metric : inch; };
  std::vector<uint8_t> b(STAIRS_IMAGE_SIZE, 0);
  set_le32(&b, 0, static_cast<uint32_t>(kind_word));
  set_f32(&b, 8, static_cast<float>(STAIRS_TEST_PI / 4));
  set_f32(&b, 12, u(160, 6.3f));
  set_f32(&b, 24, u(40, 1.5f));
  set_f32(&b, 28, u(25, 1));
  set_f32(&b, 32, u(-25, -1.0625f));
  set_f32(&b, 40, u(6, 0.25f));
  set_f32(&b, 44, u(37.5f, 1.5f));
  set_f32(&b, 48, u(75, 3));
  set_f32(&b, 52, u(37.5f, 1.5f));
  set_f32(&b, 56, u(8.75f, 0.35f));
  set_f32(&b, 60, static_cast<float>(8 * STAIRS_TEST_PI / 180));
  set_u8(&b, 65, 1);
  set_u8(&b, 66, 1);
  set_f32(&b, 68, u(37.5f, 1.5f));
  set_f32(&b, 88, u(2700, 108));
  set_f32(&b, 104, u(900, 36));
  set_f32(&b, 108, u(25, 1));
  set_f32(&b, 112, u(25, 1));
  const float rapid = u(5, 0.25f);
  lay_cam(&b, 124, {4, 1, 10, rapid, 1, u(12, 0.5f), 80, 1, 50, 0, 0, u(10, 0.375f)});
  lay_cam(&b, 324, {3, 1, 20, rapid, 1, u(12, 0.5f), 60, 1, 0, 6000, 60, u(37.5f, 1.5f)});
  lay_cam(&b, 524, {0, 0, 0, rapid, 0, u(26.9748f, 1.062f), 60, 2, 0, 0, 0, u(30, 1.2f)});
  set_f32(&b, 716, u(1000, 38));
  set_f32(&b, 720, u(50, 2));
  set_f32(&b, 724, u(75, 3));
  set_f32(&b, 728, u(200, 8));
  set_u8(&b, 751, 1);
  set_f32(&b, 760, u(75, 3));
  return b;
}

std::vector<uint8_t> bytes_of(const std::string& path) {
  const std::string s = read_file_bytes(path);
  return std::vector<uint8_t>(s.begin(), s.end());
}

void write_bytes(const std::string& path, const std::vector<uint8_t>& b) {
  write_file_bytes(path, std::string(b.begin(), b.end()));
}

class StairsFiles : public StairsTest {
 protected:
  void SetUp() override {
    StairsTest::SetUp();
    folder_ = make_test_folder("brenvik_stairs").string();
    set_program_folder_for_tests(folder_);
  }
  void TearDown() override {
    set_program_folder_for_tests("");
    reset_files();
    fs::remove_all(folder_);
    StairsTest::TearDown();
  }
  std::string path(const std::string& name) const { return folder_ + "/" + name; }

  std::string folder_;
};

TEST_F(StairsFiles, BuiltInDefaultsAreWrittenAsTheTablesLayThemOut) {
  for (const int32_t kind_word : {STAIRS_KIND_HOUSED | STAIRS_METRIC, STAIRS_KIND_HOUSED,
                                  STAIRS_KIND_TREADS | STAIRS_METRIC, STAIRS_KIND_SPECIAL}) {
    SCOPED_TRACE(kind_word);
    stairs_defaults(kind_word);
    ASSERT_EQ(stairs_save_defaults(), 0);
    EXPECT_EQ(bytes_of(stairs_defaults_path(kind_word)), defaults_image(kind_word));
  }
}

TEST_F(StairsFiles, DefaultsFilesAreNamedByUnitAndKind) {
  struct Case {
    int32_t kind_word;
    const char* name;
  };
  const Case cases[] = {{STAIRS_KIND_HOUSED, "KR_STAIRS_DEFAULTsB.KR5"},
                        {STAIRS_KIND_TREADS | STAIRS_METRIC, "KR_STAIRS_DEFAULTmC.KR5"},
                        {STAIRS_KIND_SPECIAL, "KR_STAIRS_DEFAULTsE.KR5"},
                        {STAIRS_KIND_SPECIAL | STAIRS_METRIC, "KR_STAIRS_DEFAULTmE.KR5"}};
  for (const Case& c : cases) EXPECT_EQ(stairs_defaults_path(c.kind_word), path(c.name));
}

TEST_F(StairsFiles, ALastDesignComesBackAsDefaultsWithItsDesignFieldsReset) {
  stairs_defaults(STAIRS_KIND_HOUSED | STAIRS_METRIC);
  StairsParams& p = g_stairs.params;
  p.total_rise = 2800;
  p.rise = 175;
  p.sawtooth_offset = 3;
  p.last_marks[6] = 1;
  p.earlier_marks[0] = 1;
  p.housing_cam.operation = 2;
  p.table_length = 3000;
  ASSERT_EQ(stairs_save_defaults(), 0);
  reset_stairs_state();
  stairs_defaults(STAIRS_KIND_HOUSED | STAIRS_METRIC);
  EXPECT_EQ(p.rise, 175.0f);
  EXPECT_EQ(p.table_length, 3000.0f);
  EXPECT_EQ(p.total_rise, 0.0f);
  EXPECT_EQ(p.sawtooth_offset, 0.0f);
  EXPECT_EQ(p.last_marks[6], 0);
  EXPECT_EQ(p.earlier_marks[0], 0);
  EXPECT_EQ(p.housing_cam.operation, CAM_OP_SPIRAL_POCKET);
  EXPECT_EQ(p.housing_cam.machining_group, 10);
  EXPECT_EQ(p.outline_cam.operation, CAM_OP_CONTOUR_OUTSIDE);
}

TEST_F(StairsFiles, ANewKindTakesTheTableSettingsOfAnotherKindsFile) {
  stairs_defaults(STAIRS_KIND_HOUSED | STAIRS_METRIC);
  StairsParams& p = g_stairs.params;
  p.rail_distance = 1200;
  p.table_length = 3100;
  p.margin_across = 30;
  p.margin_along = 35;
  p.table_axis = 0;
  p.reverse_step_line = 1;
  p.rise = 170;
  ASSERT_EQ(stairs_save_defaults(), 0);
  stairs_defaults(STAIRS_KIND_TREADS | STAIRS_METRIC);
  EXPECT_EQ(p.kind_word, STAIRS_KIND_TREADS | STAIRS_METRIC);
  EXPECT_EQ(p.rise, 160.0f);  // built in
  EXPECT_EQ(p.rail_distance, 1200.0f);
  EXPECT_EQ(p.table_length, 3100.0f);
  EXPECT_EQ(p.margin_across, 30.0f);
  EXPECT_EQ(p.margin_along, 35.0f);
  EXPECT_EQ(p.table_axis, 0);
  EXPECT_EQ(p.reverse_step_line, 1);
  // The other unit's file is not the same machine's settings.
  stairs_defaults(STAIRS_KIND_TREADS);
  EXPECT_EQ(p.rail_distance, 36.0f);
}

TEST_F(StairsFiles, BadDefaultsFilesGiveTheBuiltInDefaults) {
  const int32_t kind = STAIRS_KIND_HOUSED | STAIRS_METRIC;
  std::vector<uint8_t> wrong_kind = defaults_image(STAIRS_KIND_TREADS | STAIRS_METRIC);
  set_f32(&wrong_kind, 12, 123);
  std::vector<uint8_t> not_finite = defaults_image(kind);
  set_f32(&not_finite, 12, std::numeric_limits<float>::quiet_NaN());
  std::vector<uint8_t> short_file = defaults_image(kind);
  short_file.pop_back();
  for (const auto& bad : {wrong_kind, not_finite, short_file}) {
    write_bytes(stairs_defaults_path(kind), bad);
    stairs_defaults(kind);
    EXPECT_EQ(g_stairs.params.rise, 160.0f);
  }
}

TEST_F(StairsFiles, AStaircaseFileBringsBackItsKindChecksAndTotalRise) {
  StairsParams p = design(STAIRS_KIND_SPECIAL | STAIRS_METRIC, 2800, 15);
  p.kind4_type = 2;
  g_stairs.params = p;
  g_stairs.left_flags = STAIRS_BOX_CHECKED;
  g_stairs.right_flags = 0;
  const std::string file = path("mine.str");
  ASSERT_TRUE(stairs_write_file(file));
  reset_stairs_state();
  g_stairs.show_message = [](const char* text) { messages_.push_back(text); };
  EXPECT_EQ(stairs_load_file(file), STAIRS_KIND_SPECIAL | STAIRS_METRIC);
  EXPECT_EQ(g_stairs.params.total_rise, 2800.0f);
  EXPECT_EQ(g_stairs.params.kind4_type, 2);
  EXPECT_EQ(g_stairs.left_flags, STAIRS_BOX_CHECKED);
  EXPECT_EQ(g_stairs.right_flags, 0u);
  EXPECT_EQ(g_stairs.folder, folder_ + "/");
  EXPECT_EQ(g_stairs.name, "mine.str");
  EXPECT_TRUE(messages_.empty());
}

TEST_F(StairsFiles, TheWorkAreaIsZeroInEveryFileWritten) {
  g_stairs.params = design(STAIRS_KIND_HOUSED, 100, 15);
  for (uint8_t& byte : g_stairs.params.work_area) byte = 0xA5;
  ASSERT_TRUE(stairs_write_file(path("a.str")));
  for (uint8_t& byte : g_stairs.params.work_area) byte = 0x5A;
  ASSERT_EQ(stairs_save_defaults(), 0);
  for (const std::string& file : {path("a.str"), stairs_defaults_path(STAIRS_KIND_HOUSED)}) {
    const std::vector<uint8_t> b = bytes_of(file);
    ASSERT_EQ(b.size(), STAIRS_IMAGE_SIZE);
    EXPECT_EQ(std::vector<uint8_t>(b.begin() + 776, b.begin() + 1576),
              std::vector<uint8_t>(STAIRS_WORK_AREA_SIZE, 0));
  }
}

TEST_F(StairsFiles, EveryLengthButABlockAndEveryBadContentIsRefusedAndTheBlockKept) {
  g_stairs.params = design(STAIRS_KIND_HOUSED, 100, 15);
  ASSERT_TRUE(stairs_write_file(path("good.str")));
  const std::vector<uint8_t> good = bytes_of(path("good.str"));
  struct Case {
    const char* what;
    std::vector<uint8_t> bytes;
  };
  std::vector<Case> cases = {{"empty", {}},
                             {"1639 bytes", {good.begin(), good.end() - 1}},
                             {"1641 bytes", good}};
  cases.back().bytes.push_back(0);
  auto edited = [&](const char* what, auto edit) {
    std::vector<uint8_t> b = good;
    edit(&b);
    cases.push_back({what, b});
  };
  edited("kind 3", [](auto* b) { set_le32(b, 0, 3); });
  edited("kind 0", [](auto* b) { set_le32(b, 0, 0x100); });
  edited("kind with a stray bit", [](auto* b) { set_le32(b, 0, 0x201); });
  edited("treads -1", [](auto* b) { set_le32(b, 20, 0xFFFFFFFFu); });
  edited("treads 800", [](auto* b) { set_le32(b, 20, 800); });
  edited("type 6", [](auto* b) { set_le32(b, 764, 6); });
  edited("type -1", [](auto* b) { set_le32(b, 764, 0xFFFFFFFFu); });
  edited("rise NaN", [](auto* b) { set_f32(b, 12, std::numeric_limits<float>::quiet_NaN()); });
  edited("width infinite", [](auto* b) { set_f32(b, 72, std::numeric_limits<float>::infinity()); });
  edited("nosing -1.3e38", [](auto* b) { set_f32(b, 28, -1.3e38f); });
  edited("outline tool width 2e6",
         [](auto* b) { set_f32(b, 324 + 84 + 40, 2e6f); });
  edited("outline tool width NaN",
         [](auto* b) { set_f32(b, 324 + 84 + 40, std::numeric_limits<float>::quiet_NaN()); });
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    write_bytes(path("bad.str"), c.bytes);
    g_stairs.params = design(STAIRS_KIND_TREADS, 50, 3);
    messages_.clear();
    EXPECT_EQ(stairs_load_file(path("bad.str")), -1);
    EXPECT_EQ(g_stairs.params.kind_word, STAIRS_KIND_TREADS);
    EXPECT_EQ(g_stairs.params.tread_count, 3);
    EXPECT_EQ(messages_, std::vector<std::string>{STAIRS_READ_ERROR_TEXT});
  }
  // The limits themselves are taken.
  edited("treads 799", [](auto* b) { set_le32(b, 20, 799); });
  edited("treads 799, nosing -1e6", [](auto* b) {
    set_le32(b, 20, 799);
    set_f32(b, 28, -1e6f);
  });
  write_bytes(path("edge.str"), cases.back().bytes);
  EXPECT_EQ(stairs_load_file(path("edge.str")), STAIRS_KIND_HOUSED);
}

TEST_F(StairsFiles, AFileThatCannotBeOpenedIsSaid) {
  g_stairs.params = design(STAIRS_KIND_TREADS, 50, 3);
  EXPECT_EQ(stairs_load_file(path("missing.str")), -1);
  EXPECT_EQ(messages_, std::vector<std::string>{STAIRS_READ_ERROR_TEXT});
  EXPECT_EQ(g_stairs.params.tread_count, 3);
}

TEST_F(StairsFiles, ASaveFailingAtItsWriteKeepsTheOldFile) {
  g_stairs.params = design(STAIRS_KIND_HOUSED, 100, 15);
  ASSERT_TRUE(stairs_write_file(path("kept.str")));
  const std::vector<uint8_t> old = bytes_of(path("kept.str"));
  g_stairs.params.tread_count = 9;
  fail_nth_save_write(1);
  EXPECT_FALSE(stairs_write_file(path("kept.str")));
  EXPECT_EQ(bytes_of(path("kept.str")), old);
  // The defaults file fails as quietly and as safely.
  ASSERT_EQ(stairs_save_defaults(), 0);
  const std::vector<uint8_t> old_defaults = bytes_of(stairs_defaults_path(STAIRS_KIND_HOUSED));
  g_stairs.params.tread_count = 12;
  fail_nth_save_write(1);
  EXPECT_LT(stairs_save_defaults(), 0);
  EXPECT_EQ(bytes_of(stairs_defaults_path(STAIRS_KIND_HOUSED)), old_defaults);
  EXPECT_TRUE(messages_.empty());
}

TEST_F(StairsFiles, TheFuzzCorpusIsReadOrRefusedCleanly) {
  int files = 0;
  for (const auto& entry : fs::directory_iterator(STAIRS_CORPUS_DIR)) {
    if (!entry.is_regular_file()) continue;
    ++files;
    SCOPED_TRACE(entry.path().filename().string());
    const std::string bytes = read_file_bytes(entry.path().string());
    check_stairs_input(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
  }
  EXPECT_GE(files, 10);
}

// ---- through the file browser ----

class StairsBrowser : public WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    reset_stairs_state();
    reset_file_dialogs();
    reset_message_box();
    folder_ = make_test_folder("brenvik_stairs_browser").string() + "/";
    set_program_folder_for_tests(folder_.substr(0, folder_.size() - 1));
    install_main_window_proc();
    page_ = make_window({"page"}, 1, 1, 3, 20);
    activate_window(page_);
    start_typist();
  }
  void TearDown() override {
    pump_set_idle_handler(nullptr);
    set_program_folder_for_tests("");
    reset_files();
    fs::remove_all(folder_);
    reset_stairs_state();
    WindowTest::TearDown();
  }
  static void keys(std::initializer_list<int> vks) {
    for (int vk : vks) typist_key(vk);
  }
  std::string folder_;
  TextLine* page_ = nullptr;
};

TEST_F(StairsBrowser, SaveTakesTheStrExtensionAndOpenBringsTheDesignBack) {
  StairsParams p;
  set_builtin_stairs_defaults(STAIRS_KIND_TREADS | STAIRS_METRIC, &p);
  p.total_rise = 2800;
  g_stairs.params = p;
  g_stairs.left_flags = 0;
  keys({VK_TAB});  // to the name entry, which starts in the program folder
  typist_text("hall.txt");
  keys({VK_RETURN});
  EXPECT_EQ(stairs_save(), 0);
  EXPECT_TRUE(file_exists(folder_ + "hall.str"));
  EXPECT_FALSE(file_exists(folder_ + "hall.txt"));
  EXPECT_EQ(g_stairs.params.left_flags, 0u);

  g_stairs.params.total_rise = 1;
  g_stairs.left_flags = STAIRS_BOX_START;
  keys({VK_RETURN});  // the only staircase file in the list
  EXPECT_EQ(stairs_load(), STAIRS_KIND_TREADS | STAIRS_METRIC);
  EXPECT_EQ(g_stairs.params.total_rise, 2800.0f);
  EXPECT_EQ(g_stairs.left_flags, 0u);
  keys({VK_ESCAPE});
  EXPECT_EQ(stairs_load(), -2);
}

TEST_F(StairsBrowser, AFileThatCannotBeWrittenIsSaidInABox) {
  set_builtin_stairs_defaults(STAIRS_KIND_HOUSED, &g_stairs.params);
  keys({VK_TAB});
  typist_text("taken");
  keys({VK_RETURN});
  keys({VK_RETURN});  // closes the box
  fail_nth_save_write(1);
  EXPECT_EQ(stairs_save(), 27);
  EXPECT_EQ(g_message_box.last_text, STAIRS_WRITE_ERROR_TEXT);
  EXPECT_FALSE(file_exists(folder_ + "taken.str"));
}

}  // namespace
