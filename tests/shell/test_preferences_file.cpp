// The preferences file: the factory bytes of both file sets, a round trip, the damaged files
// that give the factory settings and those that lose only the per-drive folders, the load
// fix-ups and a save that fails at any write.
#include <gtest/gtest.h>

#include <bit>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "editor/button_bindings.h"
#include "platform/files.h"
#include "platform/headless.h"
#include "records/job_settings.h"
#include "records/preferences.h"
#include "screen/interface_settings.h"
#include "shell/preferences_file.h"
#include "ui/edit_buffers.h"
#include "shell/startup.h"
#include "store/text_wrap.h"
#include "tests/shell/preferences_fuzz_entry.h"
#include "tests/support/test_folder.h"
#include "ui/find_dialog.h"
#include "ui/load_lists.h"
#include "ui/text_window.h"

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<uint8_t>;

constexpr size_t FACTORY_FILE_SIZE = PREFERENCES_FILE_DRIVES_OFFSET + 2 * DRIVE_FOLDER_ENTRIES;
constexpr size_t PREFS = PREFERENCES_FILE_BLOCK_OFFSET;

uint16_t u16_at(const Bytes& b, size_t at) { return static_cast<uint16_t>(b[at] | (b[at + 1] << 8)); }
float f32_at(const Bytes& b, size_t at) {
  return std::bit_cast<float>(static_cast<uint32_t>(b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) |
                                                    (static_cast<uint32_t>(b[at + 3]) << 24)));
}
std::string text_at(const Bytes& b, size_t at) {
  return std::string(reinterpret_cast<const char*>(b.data() + at));
}

class PreferencesFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = make_test_folder("prefs");
    g_startup.data_folder = folder_.string() + "/";
    g_startup.names.catalogue = "KR_MENUs.KR5";
    reset_settings();
    reset_files();
  }
  void TearDown() override {
    reset_files();
    fs::remove_all(folder_);
  }
  static void reset_settings() {
    g_preferences = Preferences{};
    g_interface = InterfaceSettings{};
    g_preferences_file = PreferencesFile{};
    reset_job_settings();
  }
  std::string path() const { return (folder_ / PREFERENCES_FILE_NAME).string(); }
  Bytes file_bytes() const {
    const std::string bytes = read_file_bytes(path());
    return Bytes(bytes.begin(), bytes.end());
  }
  void put_file(const Bytes& bytes) const {
    write_file_bytes(path(), std::string(bytes.begin(), bytes.end()));
  }
  // The factory settings written out, as a user's first start leaves them.
  Bytes factory_file() {
    reset_settings();
    read_write_preferences(1);
    EXPECT_EQ(read_write_preferences(0), 0);
    return file_bytes();
  }
  fs::path folder_;
};

TEST_F(PreferencesFileTest, FactoryBytesOfTheInchSet) {
  const Bytes b = factory_file();
  ASSERT_EQ(b.size(), FACTORY_FILE_SIZE);
  EXPECT_EQ(std::memcmp(b.data(), "SI012699\r\0\x04", 11), 0);
  // The interface settings' factory template, then the factory defaults' own values.
  const Bytes interface_template = {0x00, 0x05, 4, 0, 0, 0, 0, 1, 6, 1, 4, 7, 2, 0, 1, 3, 6, 6, 0,
                                    1,    6,    4, 0, 0, 0xFC, 0xFF, 0xFD, 0xFF, 0xF8, 0xFF, 2, 0,
                                    0,    0,    23, 0, 1, 0};
  EXPECT_EQ(Bytes(b.begin() + 11, b.begin() + 11 + 38), interface_template);
  EXPECT_EQ(u16_at(b, 11 + 44), 0xFFFF);
  EXPECT_EQ(u16_at(b, 11 + 46), 0xFFFF);
  EXPECT_EQ(b[11 + 62], 12);
  EXPECT_EQ(b[11 + 63], 1);
  EXPECT_EQ(u16_at(b, 11 + 64), 315);
  EXPECT_EQ(u16_at(b, 11 + 66), 316);
  EXPECT_EQ(u16_at(b, 11 + 68), 350);
  EXPECT_EQ(text_at(b, 113), g_startup.data_folder);
  EXPECT_EQ(text_at(b, 373), ".NC");
  EXPECT_EQ(text_at(b, 378), g_startup.data_folder);
  EXPECT_EQ(text_at(b, 638), "*.NC");
  EXPECT_EQ(text_at(b, 772), "*.*");
  EXPECT_EQ(Bytes(b.begin() + 906, b.begin() + 912), Bytes(6, 0));
  EXPECT_EQ(text_at(b, 912), "F7 & F8; text file");
  EXPECT_EQ(text_at(b, 912 + 21), "\n\t\" ,.?!;:(){}[]=+\x93\x94");
  EXPECT_EQ(text_at(b, 912 + 62 + 21), "\n\t\\\" !@#$%^&~()|=,/;[]{}:<>?*-.+\x93\x94");
  EXPECT_EQ(text_at(b, 912 + 124 + 21), "\n\t\\\" !@#$%^&~()|=,/;[]{}:<>?*-.+\x7f\x60\x93\x94");
  EXPECT_EQ(text_at(b, 912 + 5 * 62), "word counting");
  EXPECT_EQ(text_at(b, 912 + 5 * 62 + 21), text_at(b, 912 + 21));
  EXPECT_EQ(u16_at(b, 1284), 5);
  EXPECT_EQ(b[1286], 0);
  const char* filters[] = {"*.*", "*.Job", "*.CNC *.NC *.NCC *.CAM", "*.TXT", "*.DXF", "*.BAT",
                           "*.PLT", ""};
  for (size_t i = 0; i < 8; ++i) EXPECT_EQ(text_at(b, 1287 + 133 * i), filters[i]);
  // An empty load-list record is a NUL and spaces.
  EXPECT_EQ(b[3947], 0);
  EXPECT_EQ(Bytes(b.begin() + 3948, b.begin() + 3947 + 260), Bytes(259, ' '));
  EXPECT_EQ(Bytes(b.begin() + 9667, b.begin() + 9681),
            (Bytes{0, 0, 1, 0, 1, 0, 0, 0, 'N', 0, 0, 0, 0, 0}));
  EXPECT_EQ(u16_at(b, 16255 + 2), 802);
  EXPECT_EQ(u16_at(b, 16271 + 2), 750);
  EXPECT_EQ(u16_at(b, 16271 + 6), 32767);
  for (size_t i = 0; i < 9; ++i) EXPECT_EQ(b[PREFS + i], 1);
  EXPECT_EQ(u16_at(b, PREFS + 12), 6);
  EXPECT_EQ(f32_at(b, PREFS + 16), 0.05f);
  EXPECT_EQ(text_at(b, PREFS + 20), "F3999");
  EXPECT_EQ(f32_at(b, PREFS + 32), 0.05f);
  EXPECT_EQ(b[PREFS + 54], 2);
  EXPECT_EQ(f32_at(b, PREFS + 56), 0.0002f);
  EXPECT_EQ(b[PREFS + 1568 + 48], JOB_UNITS_INCH);
  EXPECT_EQ(text_at(b, PREFS + 4426), g_startup.data_folder);
  EXPECT_EQ(text_at(b, PREFS + 4946), g_startup.data_folder);
  EXPECT_EQ(text_at(b, PREFS + 5206), ".PLT");
  EXPECT_EQ(f32_at(b, PREFS + 5212), 0.745f);
  EXPECT_EQ(Bytes(b.begin() + PREFS + 5220, b.begin() + PREFS + 5227),
            (Bytes{0, 0, 1, 1, 1, 0, 0}));
  EXPECT_EQ(Bytes(b.begin() + PREFERENCES_FILE_DRIVES_OFFSET, b.end()), Bytes(52, 0));
  EXPECT_TRUE(g_preferences.first_run);
}

TEST_F(PreferencesFileTest, FactoryBytesOfTheMetricSet) {
  g_startup.names.catalogue = "KR_MENUm.KR5";
  const Bytes b = factory_file();
  EXPECT_EQ(f32_at(b, PREFS + 16), 1.0f);
  EXPECT_EQ(f32_at(b, PREFS + 32), 1.0f);
  EXPECT_EQ(f32_at(b, PREFS + 56), 0.005f);
  EXPECT_EQ(b[PREFS + 1568 + 48], JOB_UNITS_MILLIMETRE);
  EXPECT_EQ(g_job_settings.units, JOB_UNITS_MILLIMETRE);
}

TEST_F(PreferencesFileTest, WrittenSettingsReadBackTheSame) {
  factory_file();
  g_interface.display_choice = 99;
  g_interface.form_x = 123;
  g_interface.client_width = 1017;
  g_preferences.current_page = 4;
  g_preferences.nudge = 0.25f;
  g_preferences.job_folder = "/home/engraver/jobs/";
  g_preferences.stored[5228] = 0x5A;  // a byte no field names keeps its value
  g_preferences_file.job_load_list = {"/home/engraver/jobs/plate.job", "/tmp/sign.job"};
  set_find_history({"brass", "steel"});  // the find form holds the history the file keeps
  g_preferences_file.drive_folders[0] = "/home/engraver";
  g_preferences_file.drive_folders[5] = "/mnt/usb";
  g_button_bindings.drawing[1] = 755;
  ASSERT_EQ(read_write_preferences(0), 0);
  const Bytes written = file_bytes();
  EXPECT_EQ(written.size(), FACTORY_FILE_SIZE + 15 + 9);

  reset_settings();
  g_button_bindings.drawing[1] = 750;
  EXPECT_EQ(read_preferences_file(path()), PREFERENCES_READ_OK);
  EXPECT_EQ(g_interface.display_choice, 99);
  EXPECT_EQ(g_interface.form_x, 123);
  EXPECT_EQ(g_interface.client_width, 1017);
  EXPECT_EQ(g_preferences.current_page, 4);
  EXPECT_EQ(g_preferences.nudge, 0.25f);
  EXPECT_EQ(g_preferences.job_folder, "/home/engraver/jobs/");
  EXPECT_EQ(g_preferences_file.job_load_list,
            (std::vector<std::string>{"/home/engraver/jobs/plate.job", "/tmp/sign.job"}));
  EXPECT_EQ(g_preferences_file.find_history, (std::vector<std::string>{"brass", "steel"}));
  EXPECT_EQ(g_preferences_file.drive_folders[5], "/mnt/usb");
  EXPECT_EQ(g_button_bindings.drawing[1], 755);
  EXPECT_FALSE(g_preferences.first_run);
  EXPECT_EQ(preferences_file_bytes(), written);
}

// The editor settings form's folder and extension of new buffers are kept at their places in
// the file and come back at the next start.
TEST_F(PreferencesFileTest, TheEditorsFolderAndExtensionAreKept) {
  factory_file();
  EXPECT_EQ(g_buffers.current_folder, g_startup.data_folder);
  EXPECT_EQ(g_buffers.current_extension, ".NC");
  g_buffers.current_folder = "/home/engraver/programs/";
  g_buffers.current_extension = ".TAP";
  ASSERT_EQ(read_write_preferences(0), 0);
  const Bytes written = file_bytes();
  EXPECT_EQ(text_at(written, 113), "/home/engraver/programs/");
  EXPECT_EQ(text_at(written, 373), ".TAP");
  reset_settings();
  g_buffers.current_folder.clear();
  g_buffers.current_extension.clear();
  ASSERT_EQ(read_write_preferences(1), 0);
  EXPECT_EQ(g_buffers.current_folder, "/home/engraver/programs/");
  EXPECT_EQ(g_buffers.current_extension, ".TAP");
  g_buffers = BufferRing();
}

// The drawing import's options survive a restart; its join tolerance is the gap tolerance, and a
// file type the form does not offer reads as DXF.
TEST_F(PreferencesFileTest, ImportOptionsAreKept) {
  factory_file();
  EXPECT_EQ(g_preferences.import_options.cut_type, 0);  // the factory block holds none
  ImportOptions& options = g_preferences.import_options;
  options.file_type = IMPORT_TYPE_NC;
  options.cut_type = 2;
  options.layer_names_off = 1;
  options.fixed_layer = 7;
  options.join = 1;
  options.optimise = 1;
  g_preferences.gap_tolerance = 0.125f;
  ASSERT_EQ(read_write_preferences(0), 0);
  reset_settings();
  ASSERT_EQ(read_preferences_file(path()), PREFERENCES_READ_OK);
  EXPECT_EQ(options.file_type, IMPORT_TYPE_NC);
  EXPECT_EQ(options.cut_type, 2);
  EXPECT_EQ(options.layer_names_off, 1);
  EXPECT_EQ(options.fixed_layer, 7);
  EXPECT_EQ(options.join, 1);
  EXPECT_EQ(options.optimise, 1);
  EXPECT_EQ(options.join_tolerance, 0.125f);

  uint8_t block[PREFERENCES_SIZE] = {};
  block[55] = 9;
  Preferences read;
  read_preferences_bytes(block, &read);
  EXPECT_EQ(read.import_options.file_type, IMPORT_TYPE_DXF);
}

// The text page's font kind (ask, stroke, TrueType) is kept; a kind it does not know asks.
TEST_F(PreferencesFileTest, TheTextFontKindIsKept) {
  factory_file();
  EXPECT_EQ(g_preferences.text_font_kind, 0);  // a new program asks
  g_preferences.text_font_kind = 2;
  ASSERT_EQ(read_write_preferences(0), 0);
  reset_settings();
  ASSERT_EQ(read_preferences_file(path()), PREFERENCES_READ_OK);
  EXPECT_EQ(g_preferences.text_font_kind, 2);

  uint8_t block[PREFERENCES_SIZE] = {};
  block[5225] = 7;
  Preferences read;
  read.text_font_kind = 1;
  read_preferences_bytes(block, &read);
  EXPECT_EQ(read.text_font_kind, 0);
}

TEST_F(PreferencesFileTest, LoadListsKeepTheFirst22Names) {
  factory_file();
  for (int i = 0; i < 23; ++i) g_preferences_file.multi_load.push_back("/jobs/" + std::to_string(i));
  ASSERT_EQ(read_write_preferences(0), 0);
  ASSERT_EQ(file_bytes().size(), FACTORY_FILE_SIZE);
  ASSERT_EQ(read_preferences_file(path()), PREFERENCES_READ_OK);
  ASSERT_EQ(g_preferences_file.multi_load.size(), 22U);
  EXPECT_EQ(g_preferences_file.multi_load.back(), "/jobs/21");
}

// The lists' windows hold what the user changed; writing the file takes their lines.
TEST_F(PreferencesFileTest, LoadListWindowsAreWrittenBack) {
  factory_file();
  make_load_list_windows({"*.NC", "*.TXT"}, {}, {"/jobs/plate.job"});
  add_history_entry("/jobs/new.job", window_of(g_load_lists.load_list_window), 22);
  ASSERT_EQ(read_write_preferences(0), 0);
  destroy_load_list_windows();
  reset_settings();
  ASSERT_EQ(read_preferences_file(path()), PREFERENCES_READ_OK);
  EXPECT_EQ(g_preferences_file.job_load_list,
            (std::vector<std::string>{"/jobs/new.job", "/jobs/plate.job"}));
  EXPECT_EQ(g_preferences_file.file_filters, (std::vector<std::string>{"*.NC", "*.TXT"}));
  EXPECT_TRUE(g_preferences_file.multi_load.empty());
}

// Each row is a file that gives the factory settings: the marker set before reading is gone.
TEST_F(PreferencesFileTest, DamagedFilesGiveTheFactorySettings) {
  const Bytes good = factory_file();
  struct Case {
    const char* name;
    Bytes bytes;
    PreferencesReadResult result;
  };
  std::vector<Case> cases;
  Bytes tag = good;
  tag[3] = 'X';
  cases.push_back({"tag", tag, PREFERENCES_BAD_TAG});
  Bytes version = good;
  version[10] = 5;
  cases.push_back({"version", version, PREFERENCES_BAD_VERSION});
  Bytes longer = good;
  longer.push_back(0);
  cases.push_back({"one byte more", longer, PREFERENCES_TRAILING});
  cases.push_back({"empty", {}, PREFERENCES_CUT_SHORT});
  // Cut inside each block, at its first byte and one short of its end.
  const size_t block_starts[] = {11,   113,   373,   378,   638,   772,   906,   912,  1284,
                                 1287, 3947,  9667,  9681,  10535, 16255, 16271, 16287};
  for (size_t start : block_starts) {
    for (size_t cut : {start - 1, start + 1}) {
      cases.push_back({"cut", Bytes(good.begin(), good.begin() + static_cast<long>(cut)),
                       PREFERENCES_CUT_SHORT});
    }
  }
  cases.push_back({"cut in the block",
                   Bytes(good.begin(), good.begin() + PREFERENCES_FILE_DRIVES_OFFSET - 1),
                   PREFERENCES_CUT_SHORT});
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.name) + " " + std::to_string(c.bytes.size()));
    put_file(c.bytes);
    g_interface.display_choice = 42;
    EXPECT_EQ(read_preferences_file(path()), c.result);
    EXPECT_EQ(g_interface.display_choice, 42);  // nothing taken from a refused file
    EXPECT_EQ(read_write_preferences(1), 0);
    EXPECT_EQ(g_interface.display_choice, 7);
  }
  fs::remove(path());
  g_interface.display_choice = 42;
  EXPECT_EQ(read_preferences_file(path()), PREFERENCES_MISSING);
  EXPECT_EQ(read_write_preferences(1), 0);
  EXPECT_EQ(g_interface.display_choice, 7);
}

// A bad per-drive entry drops the remembered folders; everything else is read.
TEST_F(PreferencesFileTest, BadDriveEntryDropsOnlyTheFolders) {
  factory_file();
  g_preferences_file.drive_folders[0] = "/home/a";
  g_preferences_file.drive_folders[1] = "/home/b";
  g_preferences_file.drive_folders[2] = "/home/c";
  g_interface.display_choice = 3;
  ASSERT_EQ(read_write_preferences(0), 0);
  const Bytes good = file_bytes();
  const size_t second = PREFERENCES_FILE_DRIVES_OFFSET + 2 + 8;
  struct Case {
    const char* name;
    Bytes bytes;
  };
  std::vector<Case> cases;
  Bytes relative = good;
  relative[second + 2] = 'h';  // "hhome/b": not a folder from the root
  cases.push_back({"relative", relative});
  Bytes no_nul = good;
  no_nul[second + 2 + 7] = 'x';
  cases.push_back({"no NUL", no_nul});
  Bytes inner_nul = good;
  inner_nul[second + 4] = 0;
  cases.push_back({"NUL inside", inner_nul});
  Bytes too_long = good;
  too_long[second] = 0x04;
  too_long[second + 1] = 0x01;  // 260
  cases.push_back({"length 260", too_long});
  cases.push_back({"cut entry", Bytes(good.begin(), good.begin() + static_cast<long>(second + 5))});
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    reset_settings();
    put_file(c.bytes);
    EXPECT_EQ(read_preferences_file(path()), PREFERENCES_DRIVES_DROPPED);
    EXPECT_EQ(g_interface.display_choice, 3);
    for (const std::string& folder : g_preferences_file.drive_folders) EXPECT_EQ(folder, "");
  }
  // The end of the file may come before the 26th entry.
  reset_settings();
  put_file(Bytes(good.begin(), good.begin() + static_cast<long>(second)));
  EXPECT_EQ(read_preferences_file(path()), PREFERENCES_READ_OK);
  EXPECT_EQ(g_preferences_file.drive_folders[0], "/home/a");
}

TEST_F(PreferencesFileTest, TextsWithoutTheirNulEndInTheirField) {
  Bytes b = factory_file();
  std::memset(b.data() + 373, 'E', 5);                 // the NC extension, 5 bytes
  std::memset(b.data() + 9681, 'h', 61);               // the first find text
  std::memset(b.data() + PREFS + 20, 'T', 8);          // the new-item text
  std::memset(b.data() + PREFS + 786, 'f', 260);       // the job folder
  put_file(b);
  ASSERT_EQ(read_preferences_file(path()), PREFERENCES_READ_OK);
  EXPECT_EQ(g_preferences_file.nc_extension, "EEEE");
  EXPECT_EQ(g_preferences_file.find_history.at(0), std::string(60, 'h'));
  EXPECT_EQ(g_preferences.new_item_text, std::string(7, 'T'));
  EXPECT_EQ(g_preferences.job_folder, std::string(259, 'f'));
}

TEST_F(PreferencesFileTest, LoadFixUps) {
  struct Case {
    uint8_t font_size;
    uint8_t expected;
  };
  for (const Case c : {Case{3, 12}, Case{4, 4}, Case{0, 12}, Case{20, 20}}) {
    Bytes b = factory_file();
    b[11 + 62] = c.font_size;
    b[11 + 64] = 0x99;  // a user key the file changed
    b[11 + 8] = 3;      // tab width
    put_file(b);
    reset_settings();
    ASSERT_EQ(read_write_preferences(1), 0);
    EXPECT_EQ(g_interface.print_font_size, c.expected);
    EXPECT_EQ(g_interface.user_keys[0], 315);
    EXPECT_EQ(g_interface.user_keys[1], 316);
    EXPECT_EQ(g_interface.user_keys[2], 350);
    EXPECT_EQ(g_text_wrap.tab_width, 3);
  }
}

// A save that fails at any of its writes leaves the old file as it was and says so.
TEST_F(PreferencesFileTest, FailedSaveKeepsTheOldFile) {
  const Bytes old = factory_file();
  g_interface.display_choice = 5;
  size_t told = headless_message_boxes().size();
  int n = 1;
  for (;; ++n) {
    SCOPED_TRACE(n);
    fail_nth_save_write(n);
    const int result = read_write_preferences(0);
    fail_nth_save_write(0);
    if (result == 0) break;
    EXPECT_EQ(result, -1);
    EXPECT_EQ(file_bytes(), old);
    EXPECT_EQ(headless_message_boxes().size(), told + 1);  // the user is told
    told = headless_message_boxes().size();
    ASSERT_LT(n, 100);
  }
  EXPECT_GT(n, 10);  // every block was a write of its own
  EXPECT_EQ(file_bytes()[11 + 11], 5);
}

TEST_F(PreferencesFileTest, FuzzCorpusReplays) {
  int files = 0;
  for (const auto& entry : fs::directory_iterator(PREFERENCES_CORPUS_DIR)) {
    if (!entry.is_regular_file()) continue;
    ++files;
    SCOPED_TRACE(entry.path().filename().string());
    const std::string bytes = read_file_bytes(entry.path().string());
    check_preferences_input(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
  }
  EXPECT_GE(files, 4);
}

}  // namespace
