// The job commands through the table the lower layers call them by: opening a job into the
// drawing window (given a path, through the job dialog, from a bad file) and the File-menu
// dispatcher's options.
#include <algorithm>
#include <cctype>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "geometry/drawing_item.h"
#include "geometry/layers.h"
#include "job/job_file.h"
#include "pages/job_commands.h"
#include "pages/settings_dialogs.h"
#include "pages/text_import.h"
#include "text/text_layout.h"
#include "text/text_items.h"
#include <iterator>
#include "records/job_settings.h"
#include "records/preferences.h"
#include "screen/boxes.h"
#include "screen/interface_settings.h"
#include "screen/main_form.h"
#include "screen/palette.h"
#include "screen/text_output.h"
#include "store/file_reader.h"
#include "tests/job/job_fixture.h"
#include "tests/support/idle_typist.h"
#include "tests/support/test_folder.h"
#include "tests/ui/form_fixture.h"
#include "ui/load_lists.h"
#include "ui/message_box.h"
#include "ui/page_entries.h"

namespace {

class JobCommandsTest : public FormTest {
 protected:
  void SetUp() override {
    FormTest::SetUp();
    reset_job_settings();
    reset_job_file();
    clear_layer_table();
    reset_layers();
    reset_message_box();
    g_preferences = Preferences{};
    g_page_entries = PageEntryPoints{};
    folder_ = make_test_folder("brenvik_job_commands");
    push_list();
    clear_current_list();
    append_line("the job open before");
    drawing_ = create_window(nullptr, {.top_row = 5, .left_column = 5, .bottom_row = 20,
                                       .right_column = 60, .line_drawer = draw_window_line,
                                       .with_file = true, .wrap_width = 125, .title = ""});
    pop_list();
    g_shared_windows.drawing = drawing_;
    connect_job_commands();
    start_typist();
  }

  void TearDown() override {
    pump_set_idle_handler(nullptr);
    destroy_window(drawing_);
    g_shared_windows = SharedWindows{};
    g_page_entries = PageEntryPoints{};
    clear_layer_table();
    std::filesystem::remove_all(folder_);
    FormTest::TearDown();
  }

  std::string write_job(const std::string& name, const std::vector<uint8_t>& bytes) {
    const std::string path = (folder_ / name).string();
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    return path;
  }

  int drawing_items() const {
    int n = 0;
    for (const TextLine* line = window_of(drawing_)->first_line; line != nullptr; line = line->next)
      ++n;
    return n;
  }
  std::string first_item_text() const { return window_of(drawing_)->first_line->text; }
  const std::string& job_path() const { return window_of(drawing_)->file->full_path; }

  std::filesystem::path folder_;
  TextLine* drawing_ = nullptr;
};

TEST_F(JobCommandsTest, AJobOpensIntoTheDrawingWindowAndNamesTheCaption) {
  const std::string path = write_job("sign.job", sample_job_bytes());
  ASSERT_NE(g_page_entries.open_job, nullptr);
  EXPECT_EQ(g_page_entries.open_job(path.c_str()), 0);
  EXPECT_EQ(drawing_items(), 4);
  EXPECT_EQ(job_path(), path);
  EXPECT_EQ(window_of(drawing_)->file->name, "sign.job");
  EXPECT_EQ(g_job_file.full_path, path) << "a later save goes to the opened file";
  EXPECT_NE(g_tab_strip.caption.find("sign.job"), std::string::npos) << g_tab_strip.caption;
  EXPECT_EQ(g_job_settings.view_fitted, 0);
  EXPECT_EQ(g_message_box.shown_count, 0);
}

TEST_F(JobCommandsTest, ABadOrMissingFileIsToldAndTheOpenJobStays) {
  struct Case {
    const char* name;
    std::vector<uint8_t> bytes;
    bool write;
  };
  const Case cases[] = {
      {"short.job", {'S', 'I', '1', '2', '0'}, true},
      {"empty.job", {}, true},
      {"missing.job", {}, false},
  };
  for (const Case& c : cases) {
    reset_message_box();
    const std::string path =
        c.write ? write_job(c.name, c.bytes) : (folder_ / c.name).string();
    typist_key(VK_RETURN);  // closes the box
    EXPECT_EQ(open_job(path.c_str()), 1) << c.name;
    EXPECT_NE(g_message_box.last_text.find(std::string(c.name) + "\x13 is not a valid job file."),
              std::string::npos)
        << c.name << ": " << g_message_box.last_text;
    EXPECT_EQ(drawing_items(), 1) << c.name;
    EXPECT_EQ(first_item_text(), "the job open before") << c.name;
    EXPECT_TRUE(job_path().empty()) << c.name;
  }
}

TEST_F(JobCommandsTest, OpenAJobFromTheFileMenuThroughTheDialog) {
  write_job("sign.job", sample_job_bytes());
  write_job("notes.txt", {'x'});
  g_preferences.job_folder = folder_.string() + "/";
  // The dialog lists the jobs of the jobs folder; a typed letter goes to the first one.
  typist_text("s");
  typist_key(VK_RETURN);
  ASSERT_NE(g_page_entries.file_menu_command, nullptr);
  EXPECT_EQ(g_page_entries.file_menu_command(FILE_OPTION_OPEN_JOB), 0);
  EXPECT_EQ(drawing_items(), 4);
  EXPECT_EQ(window_of(drawing_)->file->name, "sign.job");
  EXPECT_EQ(g_preferences.job_dialog_folder, folder_.string() + "/");
}

TEST_F(JobCommandsTest, ACancelledDialogChangesNothing) {
  g_preferences.job_folder = folder_.string() + "/";
  typist_key(VK_ESCAPE);
  EXPECT_EQ(open_job(nullptr), -1);
  EXPECT_EQ(first_item_text(), "the job open before");
  EXPECT_TRUE(g_preferences.job_dialog_folder.empty());
  EXPECT_EQ(g_message_box.shown_count, 0);
}

TEST_F(JobCommandsTest, OptionsTheDispatcherDoesNotHaveAreSaidSo) {
  typist_key(VK_RETURN);
  EXPECT_EQ(file_menu_command(999), 0);
  EXPECT_EQ(g_message_box.last_text, "Dont have option # 999 ");
}

TEST_F(JobCommandsTest, QuitSetsTheQuitFlag) {
  g_events.quit_requested = false;
  file_menu_command(FILE_OPTION_QUIT);
  EXPECT_TRUE(g_events.quit_requested);
  g_events.quit_requested = false;
}

TEST_F(JobCommandsTest, DisplayModeOptionsChooseTheMode) {
  file_menu_command(FILE_OPTION_LAST_DISPLAY_MODE - 1);
  EXPECT_EQ(g_interface.display_choice, 1);
  file_menu_command(FILE_OPTION_LAST_DISPLAY_MODE);
  EXPECT_EQ(g_interface.display_choice, 0);
}

TEST_F(JobCommandsTest, TheInterfaceSettingsFormIsReachedFromTheMenuOption) {
  g_interface.editor_option = 1;
  for (EventCode code : {KEY_BACKSPACE, KEY_BACKSPACE, EventCode('9'), KEY_ENTER, KEY_ESC})
    push_input_code(code);
  file_menu_command(FILE_OPTION_INTERFACE_SETTINGS);
  EXPECT_EQ(g_interface.editor_option, 9);
}

// ---- Saving -------------------------------------------------------------------------------------

TEST_F(JobCommandsTest, ASaveWithoutANameAsksForOneAndTheJobTakesIt) {
  install_main_window_proc();  // the save dialog runs under the page loop, which takes Tab
  const std::string path = write_job("sign.job", sample_job_bytes());
  ASSERT_EQ(open_job(path.c_str()), 0);
  // A new job has no name: the save dialog opens in the jobs folder; the name is typed.
  window_of(drawing_)->file->full_path.clear();
  window_of(drawing_)->file->name.clear();
  g_job_file.full_path.clear();
  g_preferences.job_folder = folder_.string() + "/";
  mark_job_changed();
  typist_key(VK_TAB);
  typist_text("plan");
  typist_key(VK_RETURN);
  ASSERT_NE(g_page_entries.save_job, nullptr);
  EXPECT_EQ(g_page_entries.save_job(MSGBOX_SAVE), 0);
  const std::string saved = (folder_ / "plan.job").string();
  EXPECT_TRUE(std::filesystem::exists(saved));
  EXPECT_EQ(job_path(), saved);
  EXPECT_EQ(g_job_file.full_path, saved);
  EXPECT_EQ(g_job_settings.job_changed, 0);
  EXPECT_NE(g_tab_strip.caption.find("plan.job"), std::string::npos) << g_tab_strip.caption;
  // What was written is the drawing, not the box's text.
  EXPECT_EQ(open_job(saved.c_str()), 0);
  EXPECT_EQ(drawing_items(), 4);
}

TEST_F(JobCommandsTest, SaveAsWritesACopyAndTheJobKeepsItsNameAndStaysChanged) {
  const std::string path = write_job("sign.job", sample_job_bytes());
  ASSERT_EQ(open_job(path.c_str()), 0);
  mark_job_changed();
  g_message_box.copy_folder = folder_.string() + "/";
  // The file-name dialog opens on its bar with CANCEL offered: down to the name, cleared and
  // typed anew, back up, OK.
  typist_pause();
  typist_key(VK_DOWN);
  typist_key(VK_DELETE);
  typist_text("copy");
  typist_key(VK_RETURN);
  typist_key(VK_UP);
  typist_text("o");
  EXPECT_EQ(file_menu_command(FILE_OPTION_SAVE_AS), 0);
  const std::string copy = (folder_ / "copy.job").string();
  ASSERT_TRUE(std::filesystem::exists(copy));
  EXPECT_EQ(job_path(), path);
  EXPECT_EQ(g_job_file.full_path, path);
  EXPECT_NE(g_job_settings.job_changed & JOB_CHANGED, 0) << "the job's own file is not saved";
  // Opening the copy would ask to save the changed job first; that question is not this test's.
  g_job_settings.job_changed = 0;
  EXPECT_EQ(open_job(copy.c_str()), 0);
  EXPECT_EQ(drawing_items(), 4);
}

TEST_F(JobCommandsTest, ACancelledSaveAsWritesNothing) {
  const std::string path = write_job("sign.job", sample_job_bytes());
  ASSERT_EQ(open_job(path.c_str()), 0);
  g_message_box.copy_folder = folder_.string() + "/";
  typist_key(VK_ESCAPE);
  EXPECT_EQ(save_job_as(), 27);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder_),
                          std::filesystem::directory_iterator()),
            1);
  EXPECT_EQ(job_path(), path);
}

}  // namespace

// ---- The recent-jobs list ------------------------------------------------------------------------

class RecentJobsTest : public JobCommandsTest {
 protected:
  void SetUp() override {
    JobCommandsTest::SetUp();
    install_main_window_proc();
    job_ = write_job("sign.job", sample_job_bytes());
  }
  void TearDown() override {
    destroy_load_list_windows();
    JobCommandsTest::TearDown();
  }
  static void make_recent(const std::vector<std::string>& paths) {
    make_load_list_windows({}, {}, paths);
  }
  static std::vector<std::string> recent() {
    return window_line_texts(g_load_lists.load_list_window, LOAD_LIST_MOST_NAMES);
  }
  std::string job_;
};

TEST_F(RecentJobsTest, AnOpenedOrSavedJobGoesToTheTopOnce) {
  std::vector<std::string> older;
  for (int k = 0; k < 22; ++k) older.push_back("/jobs/older" + std::to_string(k) + ".job");
  // The job already listed moves up rather than doubling; the same path in other letters names
  // another file on this system and stays an entry of its own.
  std::string shouted = job_;
  for (char& c : shouted) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  older[5] = job_;
  older[6] = shouted;
  make_recent(older);
  ASSERT_EQ(open_job(job_.c_str()), 0);
  std::vector<std::string> list = recent();
  ASSERT_EQ(list.size(), 22u);
  EXPECT_EQ(list[0], job_);
  EXPECT_EQ(std::count(list.begin(), list.end(), job_), 1);
  EXPECT_EQ(std::count(list.begin(), list.end(), shouted), 1);
  // A save under a new name puts that name on top; the list keeps its 22 entries.
  window_of(drawing_)->file->full_path.clear();
  window_of(drawing_)->file->name.clear();
  g_job_file.full_path.clear();
  g_preferences.job_folder = folder_.string() + "/";
  typist_key(VK_TAB);
  typist_text("plan");
  typist_key(VK_RETURN);
  ASSERT_EQ(save_job(MSGBOX_SAVE), 0);
  list = recent();
  ASSERT_EQ(list.size(), 22u);
  EXPECT_EQ(list[0], (folder_ / "plan.job").string());
  EXPECT_EQ(list[1], job_);
}

TEST_F(RecentJobsTest, ACancelledSaveOrAFailedOpenLeavesTheListAlone) {
  make_recent({"/jobs/a.job"});
  ASSERT_EQ(open_job(job_.c_str()), 0);
  make_recent({"/jobs/a.job"});
  mark_job_changed();
  typist_key(VK_ESCAPE);
  typist_key(VK_ESCAPE);
  EXPECT_EQ(save_job(MSGBOX_SAVE_AS), 27);
  g_job_settings.job_changed = 0;  // no save question before the next opening
  typist_key(VK_RETURN);  // the "not a valid job file" box
  EXPECT_EQ(open_job((folder_ / "missing.job").string().c_str()), 1);
  EXPECT_EQ(recent(), (std::vector<std::string>{"/jobs/a.job"}));
}

TEST_F(RecentJobsTest, TheListOpensTheChosenJob) {
  make_recent({"/jobs/a.job", job_});
  typist_key(VK_DOWN);
  typist_key(VK_RETURN);
  EXPECT_EQ(file_menu_command(FILE_OPTION_RECENT_JOBS), 0);
  EXPECT_EQ(drawing_items(), 4);
  EXPECT_EQ(job_path(), job_);
  EXPECT_EQ(recent(), (std::vector<std::string>{job_, "/jobs/a.job"}));
}

TEST_F(RecentJobsTest, AJobThatCannotBeReadIsToldAndLeavesTheList) {
  const std::string gone = (folder_ / "gone.job").string();
  make_recent({gone, job_});
  typist_key(VK_RETURN);  // gone.job
  typist_key(VK_RETURN);  // "... is not a valid job file."
  typist_key(VK_RETURN);  // "... cannot be read, so it leaves the list of recent jobs."
  typist_key(VK_RETURN);  // the list again, sign.job now first
  EXPECT_EQ(open_recent_job(), 0);
  EXPECT_NE(g_message_box.last_text.find("cannot be read, so it leaves the list of recent jobs"),
            std::string::npos)
      << g_message_box.last_text;
  EXPECT_EQ(job_path(), job_);
  EXPECT_EQ(recent(), (std::vector<std::string>{job_}));
}

TEST_F(RecentJobsTest, TwoCheckedJobsAreRefusedAndTheListStaysOpen) {
  make_recent({"/jobs/a.job", job_});
  for (TextLine* line = window_of(g_load_lists.load_list_window)->first_line; line != nullptr;
       line = line->next)
    line->state |= LINE_STATE_CHECKED;
  typist_key(VK_RETURN);
  typist_key(VK_RETURN);  // the box
  typist_key(VK_ESCAPE);  // the list again
  EXPECT_EQ(open_recent_job(), 0);
  EXPECT_NE(g_message_box.last_text.find("Check only one job"), std::string::npos)
      << g_message_box.last_text;
  EXPECT_EQ(drawing_items(), 1) << "nothing was opened";
}

TEST_F(JobCommandsTest, TheNextColourSchemeStepsThePaletteFilesSlot) {
  const std::vector<uint8_t> palette = factory_palette_file();
  const std::string path = write_job("KR_COLOR.KR5", palette);
  g_palette.file_path = path;
  g_palette.slot = 3;
  file_menu_command(FILE_OPTION_NEXT_COLOUR_SCHEME);
  EXPECT_EQ(g_palette.slot, 0) << "after the last slot the first";
  file_menu_command(FILE_OPTION_NEXT_COLOUR_SCHEME);
  EXPECT_EQ(g_palette.slot, 1);
  EXPECT_EQ(g_message_box.shown_count, 0);
}

namespace {

// A new job (File option 32, Ctrl+N, Ctrl+F4) asks about unsaved changes first: Esc keeps the
// job as it is; Discard starts an empty, unnamed job with one blank text and no undo steps,
// keeping the page's grid display.
TEST_F(JobCommandsTest, ANewJobAsksAboutChangesFirst) {
  const std::string path = write_job("sign.job", sample_job_bytes());
  ASSERT_EQ(open_job(path.c_str()), 0);
  g_job_settings.grid_shown = 1;
  mark_job_changed();
  typist_key(VK_ESCAPE);
  EXPECT_EQ(new_job(), -1);
  EXPECT_EQ(drawing_items(), 4);
  EXPECT_EQ(job_path(), path);

  typist_text("d");  // discard
  EXPECT_EQ(file_menu_command(FILE_OPTION_NEW_JOB), 0);
  ASSERT_EQ(drawing_items(), 1);
  EXPECT_EQ(window_of(drawing_)->first_line->kind, ITEM_TEXT);
  EXPECT_TRUE(job_path().empty());
  EXPECT_TRUE(g_job_file.full_path.empty());
  EXPECT_EQ(g_job_settings.job_changed, 0);
  EXPECT_EQ(g_job_settings.grid_shown, 1);
  EXPECT_EQ(g_tab_strip.caption.find("sign.job"), std::string::npos) << g_tab_strip.caption;

  // An unchanged job asks nothing.
  reset_message_box();
  EXPECT_EQ(new_job(), 0);
  EXPECT_EQ(g_message_box.shown_count, 0);
}

}  // namespace

namespace {

// The job as the drawing window holds it, written to a file.
int write_in_drawing_window(const std::string& path) {
  push_active_window();
  activate_window(g_shared_windows.drawing);
  const int result = write_job_to_path(path);
  store_window_state();
  pop_active_window();
  return result;
}

std::vector<char> read_bytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<char>(std::istreambuf_iterator<char>(in), {});
}

// ---- Deleting the job ----------------------------------------------------------------------------

TEST_F(JobCommandsTest, DeletingTheJobAsksRemovesTheFileAndStartsANewJob) {
  // Without a file there is nothing to delete.
  typist_key(VK_RETURN);
  EXPECT_EQ(file_menu_command(FILE_OPTION_DELETE_JOB), 0);
  EXPECT_NE(g_message_box.last_text.find("nothing to delete"), std::string::npos)
      << g_message_box.last_text;
  EXPECT_EQ(first_item_text(), "the job open before");

  const std::string path = write_job("old.job", sample_job_bytes());
  ASSERT_EQ(open_job(path.c_str()), 0);
  typist_text("k");  // keep
  EXPECT_EQ(delete_job(), 0);
  EXPECT_TRUE(std::filesystem::exists(path));
  EXPECT_EQ(drawing_items(), 4);

  typist_text("d");  // delete
  EXPECT_EQ(delete_job(), 0);
  EXPECT_FALSE(std::filesystem::exists(path));
  EXPECT_EQ(drawing_items(), 1) << "a new job took its place";
  EXPECT_TRUE(job_path().empty());
}

TEST_F(JobCommandsTest, AJobFileThatCannotBeDeletedIsToldAndTheJobKeepsIt) {
  const std::string path = write_job("kept.job", sample_job_bytes());
  ASSERT_EQ(open_job(path.c_str()), 0);
  // A folder the user may not write in keeps its files (unless the tests run as root).
  std::filesystem::permissions(folder_, std::filesystem::perms::owner_write,
                               std::filesystem::perm_options::remove);
  const bool locked = std::ofstream((folder_ / "probe").string()).fail();
  if (locked) {
    typist_text("d");
    typist_key(VK_RETURN);
    EXPECT_EQ(delete_job(), 0);
    EXPECT_TRUE(std::filesystem::exists(path));
    EXPECT_EQ(job_path(), path) << "the job keeps its file and name";
    EXPECT_EQ(drawing_items(), 4);
    EXPECT_NE(g_message_box.last_text.find("could not be deleted"), std::string::npos)
        << g_message_box.last_text;
  }
  std::filesystem::permissions(folder_, std::filesystem::perms::owner_all,
                               std::filesystem::perm_options::add);
  if (!locked) GTEST_SKIP() << "running as root: every file can be deleted";
}

// ---- Importing text lines ------------------------------------------------------------------------

TEST(TextImportLine, LinesAsTextItemsTakeThem) {
  struct Case {
    const char* raw;
    const char* text;
  };
  const Case cases[] = {
      {"", ""},
      {"\r", ""},
      {"   \t ", ""},
      {"ab", "ab"},
      {"Brass plate\r", "Brass plate"},
      {"Room\t12", "Room 12"},
      {"  centred  ", "centred"},
      {"Caf\xc3\xa9", "Caf"},            // one letter above 175: one blank, trimmed
      {"\xc3\xa9t\xc3\xa9", "t"},        // never two blanks per letter
      {"a\342\202\254b", "a\200b"},      // the euro sign is 128 in the item's set: kept
  };
  for (const Case& c : cases) EXPECT_EQ(text_import_line(c.raw), c.text) << c.raw;
  EXPECT_EQ(text_import_line(std::string(253, 'x')), std::string(253, 'x'));
  EXPECT_EQ(text_import_line(std::string(254, 'x')), "") << "longer than a line may be";
}

TEST_F(JobCommandsTest, ATextFileBecomesOneTextItemPerLineUnderEachOther) {
  const std::string path = (folder_ / "plates.txt").string();
  {
    std::ofstream out(path, std::ios::binary);
    out << "First plate\r\n\r\nab\r\n\tSecond\tplate\n  \nCaf\xc3\xa9";
  }
  push_active_window();
  activate_window(drawing_);
  free_current_list();
  // The first text shown gives the look: 5 high.
  DrawingItem* model = new_text_item();
  TextLayout look;
  read_text_layout(block_text_layout(item_block(model)), &look);
  look.height = 5.0f;
  write_text_layout(look, block_text_layout(item_block(model)));
  g_lists.cursor_line = model;
  EXPECT_EQ(import_text_file(path, 2.0), 0);
  std::vector<std::string> texts;
  std::vector<float> anchors;
  for (DrawingItem* item = g_lists.current.first; item != nullptr; item = item->next) {
    if (item->kind != ITEM_TEXT || item->text.empty() || item->text[0] == '\n') continue;
    texts.push_back(item->text);
    TextLayout l;
    read_text_layout(block_text_layout(item_block(item)), &l);
    anchors.push_back(l.anchor.y);
    EXPECT_EQ(item_flags(item) & ITEM_FLAG_SELECTED, ITEM_FLAG_SELECTED);
  }
  store_window_state();
  pop_active_window();
  const std::vector<std::string> expected = {"First plate\n", "ab\n", "Second plate\n", "Caf\n"};
  EXPECT_EQ(texts, expected);
  ASSERT_EQ(anchors.size(), 4u);
  for (size_t k = 1; k < anchors.size(); ++k)
    EXPECT_LT(anchors[k], anchors[k - 1]) << "each line under the one before";
  EXPECT_NE(g_job_settings.job_changed & JOB_CHANGED, 0);
}

// ---- The settings dialogs ------------------------------------------------------------------------

TEST_F(JobCommandsTest, AGridStepOfZeroIsOfferedAsAHundredthNextTime) {
  g_job_settings.grid_step = 0.0f;
  typist_text("O");
  EXPECT_EQ(grid_options_dialog(), 1);
  EXPECT_FLOAT_EQ(g_job_settings.grid_step, 0.01f);
  EXPECT_NE(g_job_settings.job_changed & JOB_CHANGED, 0);
  // Cancelled, nothing is written back.
  g_job_settings.grid_step = 0.0f;
  g_job_settings.job_changed = 0;
  typist_key(VK_ESCAPE);
  EXPECT_EQ(grid_options_dialog(), 0);
  EXPECT_EQ(g_job_settings.grid_step, 0.0f);
  EXPECT_EQ(g_job_settings.job_changed, 0);
}

TEST_F(JobCommandsTest, PreferencesInOtherUnitsConvertTheJobNotJustItsLabel) {
  const std::string path = write_job("plate.job", sample_job_bytes());
  ASSERT_EQ(open_job(path.c_str()), 0);
  ASSERT_EQ(g_job_settings.units, JOB_UNITS_INCH);
  const float x = item_nodes(window_of(drawing_)->first_line)[1].point.x;
  g_preferences.default_job.units = JOB_UNITS_MILLIMETRE;
  typist_text("O");  // accept the preferences
  typist_text("w");  // the whole job follows
  EXPECT_EQ(file_menu_command(FILE_OPTION_PREFERENCES), 0);
  EXPECT_EQ(g_job_settings.units, JOB_UNITS_MILLIMETRE);
  EXPECT_NEAR(item_nodes(window_of(drawing_)->first_line)[1].point.x, x * 25.4f, 1e-4);
}

TEST_F(JobCommandsTest, JobOptionsCancelledAfterAUnitsChangeSaveTheOriginalBytes) {
  const std::string path = write_job("plate.job", sample_job_bytes());
  ASSERT_EQ(open_job(path.c_str()), 0);
  const std::string before = (folder_ / "before.job").string();
  ASSERT_EQ(write_in_drawing_window(before), 0);
  // Down to the units row, "m" for millimetres, the whole job follows, then Esc.
  for (int k = 0; k < 6; ++k) typist_key(VK_DOWN);
  typist_text("m");
  typist_text("w");
  typist_key(VK_ESCAPE);
  EXPECT_EQ(edit_job_options(), 0);
  EXPECT_EQ(g_job_settings.units, JOB_UNITS_INCH);
  const std::string after = (folder_ / "after.job").string();
  ASSERT_EQ(write_in_drawing_window(after), 0);
  EXPECT_EQ(read_bytes(before), read_bytes(after));
}

}  // namespace

// Every value of a settings dialog starts in one column past its longest label: none is drawn
// over a label, whichever label comes first.
TEST_F(JobCommandsTest, SettingsDialogValuesStartPastTheLongestLabel) {
  struct Row {
    const char* label;
    const char* value;
  };
  struct Case {
    const char* form;
    int (*run)();
    std::vector<Row> rows;
  };
  g_preferences.autosave_minutes = 7;
  g_preferences.surface_clearance = 0.25f;
  g_preferences.default_job.units = JOB_UNITS_INCH;
  g_preferences.nudge = 0.5f;
  g_job_settings.units = JOB_UNITS_MILLIMETRE;
  g_job_settings.output_yes_no = 1;
  g_job_settings.grid_step = 2.5f;
  g_preferences.new_item_text = "ABC";
  const Case cases[] = {
      {"more job settings", edit_job_options,
       {{"Finished-with-line output?", "Yes"}, {"Text of new items:", "ABC"}, {"Units:", "Metric"}}},
      {"preferences", edit_preferences,
       {{"Save the job every (minutes):", "7"},
        {"Clearance over curved surfaces:", "0.25"},
        {"Units:", "Inches"}}},
      {"grid and snap", grid_options_dialog,
       {{"Step of the arrow keys:", "0.5"}, {"Grid step:", "2.5"}}},
  };
  for (const Case& c : cases) {
    clear_screen();
    std::string seen;
    typist_look(&seen);
    typist_key(VK_ESCAPE);
    EXPECT_EQ(c.run(), 0) << c.form;
    size_t column = std::string::npos;
    for (const Row& r : c.rows) {
      const size_t start = seen.find(r.label);
      ASSERT_NE(start, std::string::npos) << c.form << ": " << r.label << " overdrawn\n" << seen;
      const size_t line_start = seen.rfind('\n', start) + 1;
      const size_t end = start + std::strlen(r.label);
      const size_t at = seen.find_first_not_of(' ', end);
      ASSERT_NE(at, std::string::npos) << c.form << ": " << r.label;
      EXPECT_GT(at, end) << c.form << ": " << r.label << " runs into its value\n" << seen;
      EXPECT_EQ(seen.compare(at, std::strlen(r.value), r.value), 0)
          << c.form << ": " << r.label << "\n" << seen;
      if (column == std::string::npos) column = at - line_start;
      EXPECT_EQ(at - line_start, column) << c.form << ": " << r.label << "\n" << seen;
    }
  }
}
