// The file browser and the dialogs over it on temporary trees: the filter, folders first, the
// parent, typed paths, missing files, the save dialog's extension rule, the folder browser's one
// trailing '/', cancels that change nothing; the colour chooser and the help file.
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "platform/files.h"
#include "screen/main_form.h"
#include "store/file_reader.h"
#include "tests/support/test_folder.h"
#include "tests/ui/window_fixture.h"
#include "ui/file_browser.h"
#include "ui/message_box.h"
#include "ui/standard_dialogs.h"

namespace {

namespace fs = std::filesystem;

// Keeps an environment variable and the working folder, and gives them back.
class KeptEnvironment {
 public:
  KeptEnvironment() : working_(fs::current_path()) {
    const char* home = std::getenv("HOME");
    if (home != nullptr) home_ = home;
  }
  ~KeptEnvironment() {
    fs::current_path(working_);
    if (home_) setenv("HOME", home_->c_str(), 1);
    else unsetenv("HOME");
  }

 private:
  fs::path working_;
  std::optional<std::string> home_;
};

class FileDialogs : public WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    reset_file_dialogs();
    reset_message_box();
    tree_ = make_test_folder("brenvik_dialogs").string() + "/";
    for (const char* name : {"b.nc", "A.NC", "notes.txt", "report", "report.txt"}) file(name);
    for (const char* name : {"sub", "Jobs", ".hidden"}) fs::create_directories(tree_ + name);
    file("sub/inner.nc");
    setenv("HOME", tree_.c_str(), 1);
    fs::current_path(tree_);
    install_main_window_proc();  // the dialogs run under the page loop, which takes Tab
    // A window under the dialogs, as a page would be.
    page_ = make_window({"page"}, 1, 1, 3, 20);
    activate_window(page_);
  }
  void TearDown() override {
    fs::current_path("/");
    fs::remove_all(tree_);
    reset_file_dialogs();
    WindowTest::TearDown();
  }
  void file(const std::string& name) { std::ofstream(tree_ + name) << "x"; }

  static void keys(std::initializer_list<int> vks) {
    for (int vk : vks) headless_inject_keystroke(vk, 0);
  }

  // The browser drawn in the page window, for reading its cells.
  std::string screen_text() const {
    return cell_rows_text(screen(), face(), 0, 0, g_display.current.last_row + 1,
                          g_display.current.last_column + 1);
  }
  static std::vector<std::string> entry_names(const FileBrowser& b) {
    std::vector<std::string> names;
    for (const FolderEntry& e : b.entries) names.push_back(shown_entry_name(e));
    return names;
  }

  KeptEnvironment environment_;
  std::string tree_;
  TextLine* page_ = nullptr;
};

using Names = std::vector<std::string>;

// ---- The browser's model ---------------------------------------------------------------------

TEST(FileFilters, PairsOfNameAndPatterns) {
  const std::vector<FileFilter> filters =
      parse_file_filters("DXF files (*.dxf)|*.dxf|NC|*.nc;*.tap|Show all files|*.*|odd");
  ASSERT_EQ(filters.size(), 3u);
  EXPECT_EQ(filters[0].name, "DXF files (*.dxf)");
  EXPECT_EQ(filters[0].patterns, Names{"*.dxf"});
  EXPECT_EQ(filters[1].patterns, (Names{"*.nc", "*.tap"}));
  EXPECT_EQ(filters[2].name, "Show all files");
  EXPECT_TRUE(parse_file_filters("").empty());
  EXPECT_TRUE(parse_file_filters("no patterns|").empty());
}

TEST_F(FileDialogs, TheFolderShowsItsSubFoldersFirstThenTheFilesOfTheFilter) {
  FileBrowser b;
  start_file_browser(&b, BROWSE_OPEN, tree_, "NC files|*.nc|Show all files|*.*", "");
  EXPECT_EQ(b.folder, tree_);
  EXPECT_EQ(entry_names(b), (Names{"/Jobs", "/sub", "A.NC", "b.nc"}));
  browser_next_filter(&b);
  EXPECT_EQ(entry_names(b), (Names{"/Jobs", "/sub", "A.NC", "b.nc", "notes.txt", "report",
                                   "report.txt"}));
  browser_next_filter(&b);  // wraps to the caller's filter
  EXPECT_EQ(b.filter_index, 0);
}

TEST_F(FileDialogs, TheWorkingFolderIsShownWhenNoneOrAMissingOneIsGiven) {
  for (const std::string& folder : {std::string(), tree_ + "gone/"}) {
    FileBrowser b;
    start_file_browser(&b, BROWSE_OPEN, folder, "", "");
    EXPECT_EQ(b.folder, tree_) << folder;
    EXPECT_TRUE(b.notice.empty());
  }
}

TEST_F(FileDialogs, EnterOpensAFolderAndBackspaceComesBackToIt) {
  FileBrowser b;
  start_file_browser(&b, BROWSE_OPEN, tree_, "", "");
  b.current = 1;
  ASSERT_EQ(shown_entry_name(b.entries[1]), "/sub");
  EXPECT_EQ(browser_apply_code(&b, KEY_ENTER), BROWSER_GO_ON);
  EXPECT_EQ(b.folder, tree_ + "sub/");
  EXPECT_EQ(entry_names(b), Names{"inner.nc"});
  EXPECT_EQ(browser_apply_code(&b, KEY_BACKSPACE), BROWSER_GO_ON);
  EXPECT_EQ(b.folder, tree_);
  EXPECT_EQ(b.current, 1);  // the folder we came from
  b.folder = "/";
  browser_go_up(&b);
  EXPECT_EQ(b.folder, "/");  // the root is its own parent
}

TEST_F(FileDialogs, ATypedCharacterGoesToTheNextEntryStartingWithIt) {
  FileBrowser b;
  start_file_browser(&b, BROWSE_OPEN, tree_, "", "");
  // /Jobs /sub A.NC b.nc notes.txt report report.txt
  struct Step {
    EventCode key;
    int current;
  };
  const Step steps[] = {{'r', 5}, {'R', 6}, {'r', 5}, {'s', 1}, {'a', 2}, {'j', 0}, {'z', 0}};
  for (const Step& s : steps) {
    browser_apply_code(&b, s.key);
    EXPECT_EQ(b.current, s.current) << static_cast<char>(s.key);
  }
}

TEST_F(FileDialogs, TypedPathsOpenFoldersOrChooseFiles) {
  fs::create_directories(tree_ + "other");
  file("other/far.nc");
  struct Case {
    std::string typed;
    BrowserStep step;
    std::string folder;  // shown afterwards
    std::string result;
  };
  const Case cases[] = {
      {"b.nc", BROWSER_CHOSEN, tree_, tree_ + "b.nc"},
      {"sub/inner.nc", BROWSER_CHOSEN, tree_, tree_ + "sub/inner.nc"},
      {tree_ + "other/far.nc", BROWSER_CHOSEN, tree_, tree_ + "other/far.nc"},
      {"sub", BROWSER_GO_ON, tree_ + "sub/", ""},
      {"sub/../other/", BROWSER_GO_ON, tree_ + "other/", ""},
      {"missing.nc", BROWSER_GO_ON, tree_, ""},
      {"nowhere/x.nc", BROWSER_GO_ON, tree_, ""},
      {"nowhere/", BROWSER_GO_ON, tree_, ""},
      {"   ", BROWSER_GO_ON, tree_, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.typed);
    FileBrowser b;
    start_file_browser(&b, BROWSE_OPEN, tree_, "", "");
    b.name = c.typed;
    EXPECT_EQ(browser_accept_name(&b), c.step);
    EXPECT_EQ(b.folder, c.folder);
    EXPECT_EQ(b.result, c.result);
    const bool refused = c.step == BROWSER_GO_ON && c.folder == tree_ && c.typed != "   ";
    EXPECT_EQ(!b.notice.empty(), refused) << b.notice;
  }
}

TEST_F(FileDialogs, AMissingFileIsRefusedUnlessNewNamesAreAllowedOrSaving) {
  struct Case {
    BrowserMode mode;
    bool allow_new_names;
    BrowserStep step;
  };
  const Case cases[] = {
      {BROWSE_OPEN, false, BROWSER_GO_ON},
      {BROWSE_OPEN, true, BROWSER_CHOSEN},
      {BROWSE_SAVE, false, BROWSER_CHOSEN},
  };
  for (const Case& c : cases) {
    FileBrowser b;
    start_file_browser(&b, c.mode, tree_, "", "new.nc");
    b.allow_new_names = c.allow_new_names;
    EXPECT_EQ(browser_accept_name(&b), c.step) << c.mode << c.allow_new_names;
    EXPECT_EQ(b.result, c.step == BROWSER_CHOSEN ? tree_ + "new.nc" : "");
  }
}

TEST_F(FileDialogs, NamesKeepTheFileSystemsBytesShownAndTypedThroughCp1252) {
  const std::string turtle = "\xC5\xBC\xC3\xB3\xC5\x82w.job";  // "żółw.job" in UTF-8
  const std::string cafe = "caf\xC3\xA9.job";                    // "café.job" in UTF-8
  file(turtle);
  file(cafe);
  FileBrowser b;
  start_file_browser(&b, BROWSE_OPEN, tree_, "Jobs|*.job", "");
  // cp1252 has ó and é but neither ż nor ł.
  EXPECT_EQ(entry_names(b), (Names{"/Jobs", "/sub", "caf\xE9.job", "?\xF3?w.job"}));
  b.current = 3;
  ASSERT_EQ(browser_apply_code(&b, KEY_ENTER), BROWSER_CHOSEN);
  EXPECT_EQ(b.result, tree_ + turtle);
  EXPECT_TRUE(file_exists(b.result));

  FileBrowser typed;
  start_file_browser(&typed, BROWSE_OPEN, tree_, "", "");
  typed.name = "caf\xE9.job";  // as typed: cp1252
  ASSERT_EQ(browser_accept_name(&typed), BROWSER_CHOSEN);
  EXPECT_EQ(typed.result, tree_ + cafe);

  // A name handed in as file system bytes comes back as it was when it is not retyped.
  FileBrowser saving;
  start_file_browser(&saving, BROWSE_SAVE, tree_, "", turtle);
  EXPECT_EQ(saving.name, "?\xF3?w.job");
  ASSERT_EQ(browser_accept_name(&saving), BROWSER_CHOSEN);
  EXPECT_EQ(saving.result, tree_ + turtle);
}

// ---- On the screen ----------------------------------------------------------------------------

TEST_F(FileDialogs, TheBoxShowsFolderPlacesEntriesNameAndFilter) {
  FileBrowser b;
  start_file_browser(&b, BROWSE_SAVE, tree_, "*.nc|*.nc|All files (*.*)|*.*", "report");
  lay_out_file_browser(&b);
  draw_file_browser(&b);
  const std::string shown = screen_text();
  for (const char* text : {"Folder: ", "Home", "/Jobs", "/sub", "A.NC", "b.nc", "Name: report",
                           "Type: *.nc", "Esc: cancel"})
    EXPECT_NE(shown.find(text), std::string::npos) << text << "\n" << shown;
  EXPECT_EQ(shown.find("notes.txt"), std::string::npos);
  EXPECT_EQ(shown.find(".hidden"), std::string::npos);
  // Folders come before files on the screen too.
  EXPECT_LT(shown.find("/sub"), shown.find("A.NC"));
  const std::string row = row_text(b.top_row + 1, b.left_column + b.place_columns + 1, 5);
  EXPECT_EQ(row, "/Jobs");
}

TEST_F(FileDialogs, OpenWalksIntoAFolderAndChoosesAFile) {
  keys({VK_DOWN, VK_RETURN, VK_RETURN});  // /Jobs, /sub: open it; inner.nc
  std::string path = "kept";
  EXPECT_EQ(open_file_dialog(tree_, "NC files|*.nc", &path), DIALOG_CHOSEN);
  EXPECT_EQ(path, tree_ + "sub/inner.nc");
}

TEST_F(FileDialogs, ANameCp1252CannotSpellIsStillOpenedFromTheList) {
  const std::string turtle = "\xC5\xBC\xC3\xB3\xC5\x82w.job";  // "żółw.job" in UTF-8
  file(turtle);
  keys({VK_END, VK_RETURN});
  std::string path;
  EXPECT_EQ(open_file_dialog(tree_, "Jobs|*.job", &path), DIALOG_CHOSEN);
  EXPECT_EQ(path, tree_ + turtle);
  EXPECT_TRUE(file_exists(path));
}

TEST_F(FileDialogs, APathTypedInTheNameEntryIsOpenedAndAMissingOneRefused) {
  // Tab to the name entry; the first character starts the entry in place of the empty name.
  keys({VK_TAB});
  headless_inject_text("nope.nc");
  keys({VK_RETURN});
  // Refused: the browser stays; the next typed text replaces the name.
  headless_inject_text("sub/inner.nc");
  keys({VK_RETURN});
  std::string path;
  EXPECT_EQ(open_file_dialog(tree_, "NC files|*.nc", &path), DIALOG_CHOSEN);
  EXPECT_EQ(path, tree_ + "sub/inner.nc");
}

TEST_F(FileDialogs, TheFilterRowIsReachedWithTabAndShowsAllFiles) {
  // Tab: name entry; Tab: filter; Down: "Show all files"; Tab, Tab: places, list; End: last.
  keys({VK_TAB, VK_TAB, VK_DOWN, VK_TAB, VK_TAB, VK_END, VK_RETURN});
  std::string path;
  EXPECT_EQ(open_file_dialog(tree_, "NC files|*.nc", &path), DIALOG_CHOSEN);
  EXPECT_EQ(path, tree_ + "report.txt");
}

TEST_F(FileDialogs, APlaceIsOpenedFromThePlacesList) {
  // Tab three times to the places; Down from Home to the root; Enter; Esc.
  keys({VK_TAB, VK_TAB, VK_TAB, VK_DOWN, VK_RETURN, VK_ESCAPE});
  std::string path = "kept";
  EXPECT_EQ(open_file_dialog(tree_ + "sub/", nullptr, &path), DIALOG_CANCELLED);
  EXPECT_EQ(path, "kept");
  FileBrowser b;
  start_file_browser(&b, BROWSE_OPEN, tree_ + "sub/", "", "");
  ASSERT_GE(b.places.size(), 2u);
  EXPECT_EQ(b.places[0].folder, tree_);  // home
  b.focus = FOCUS_PLACES;
  browser_apply_code(&b, KEY_DOWN);
  browser_apply_code(&b, KEY_ENTER);
  EXPECT_EQ(b.folder, "/");
  EXPECT_EQ(b.focus, FOCUS_LIST);
}

TEST_F(FileDialogs, ACancelLeavesThePathAndTheScreenAsTheyWere) {
  const std::vector<uint32_t> before = screen().pixels;
  keys({VK_DOWN, VK_DOWN, VK_ESCAPE});
  std::string path = "kept";
  EXPECT_EQ(open_file_dialog(tree_, nullptr, &path), DIALOG_CANCELLED);
  EXPECT_EQ(path, "kept");
  EXPECT_EQ(screen().pixels, before);
}

TEST_F(FileDialogs, SaveAsAppendsTheRecordsExtensionOnlyToANameWithoutOne) {
  struct Case {
    const char* name;
    const char* saved;
  };
  const Case cases[] = {{"report", "report.NC"}, {"report.txt", "report.txt"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FileRecord record;
    record.folder = tree_ + "sub/";
    record.name = c.name;
    record.extension = ".NC";
    keys({VK_TAB, VK_RETURN});  // to the name entry, and take the name as it stands
    EXPECT_EQ(save_as_dialog(&record), DIALOG_CHOSEN);
    EXPECT_EQ(record.full_path, tree_ + "sub/" + c.saved);
    EXPECT_EQ(record.folder, tree_ + "sub/");
    EXPECT_EQ(record.name, c.saved);
    EXPECT_EQ(record.extension, ".NC");
  }
}

TEST_F(FileDialogs, SaveAsListsTheRecordsTypeAndACancelKeepsTheRecord) {
  FileRecord record;
  record.folder = tree_;
  record.name = "report";
  record.extension = ".NC";
  keys({VK_END, VK_RETURN});  // the last "*.NC" file: b.nc
  EXPECT_EQ(save_as_dialog(&record), DIALOG_CHOSEN);
  EXPECT_EQ(record.name, "b.nc");
  const FileRecord kept = record;
  keys({VK_ESCAPE});
  EXPECT_EQ(save_as_dialog(&record), DIALOG_CANCELLED);
  EXPECT_EQ(record.full_path, kept.full_path);
  EXPECT_EQ(record.folder, kept.folder);
  EXPECT_EQ(record.name, kept.name);
}

TEST_F(FileDialogs, TheFolderBrowserGivesOneTrailingSlashAndACancelNothing) {
  // The working folder: /Jobs /sub; Down, Enter opens sub, which has no sub-folders: Enter
  // chooses it.
  keys({VK_DOWN, VK_RETURN, VK_RETURN});
  std::string path = "kept";
  EXPECT_EQ(browse_folder(&path), FOLDER_CHOSEN);
  EXPECT_EQ(path, tree_ + "sub/");
  keys({VK_DOWN, VK_ESCAPE});
  EXPECT_EQ(browse_folder(&path), FOLDER_CANCELLED);
  EXPECT_EQ(path, tree_ + "sub/");
  // Tab to the empty name entry and Enter: the folder shown, sub-folders or not.
  keys({VK_TAB, VK_RETURN});
  EXPECT_EQ(browse_folder(&path), FOLDER_CHOSEN);
  EXPECT_EQ(path, tree_);
  // Files are never listed.
  FileBrowser b;
  start_file_browser(&b, BROWSE_FOLDER, "", "", "");
  EXPECT_EQ(entry_names(b), (Names{"/Jobs", "/sub"}));
  b.name = "Jobs/";
  EXPECT_EQ(browser_accept_name(&b), BROWSER_CHOSEN);
  EXPECT_EQ(b.result, tree_ + "Jobs/");
}

TEST_F(FileDialogs, AClickChoosesAnEntryAndASecondClickOpensIt) {
  FileBrowser b;
  start_file_browser(&b, BROWSE_OPEN, tree_, "", "");
  lay_out_file_browser(&b);
  const int cw = g_display.current.cell_width;
  const int ch = g_display.current.cell_height;
  const int x = (b.left_column + b.place_columns + 2) * cw + 1;
  const int y = (b.top_row + 2) * ch + ch / 2;  // the second row: /sub
  g_pointer.wanted_x = x;
  g_pointer.wanted_y = y;
  EXPECT_EQ(browser_apply_code(&b, EVENT_LEFT_DOWN), BROWSER_GO_ON);
  EXPECT_EQ(b.current, 1);
  EXPECT_EQ(b.folder, tree_);
  EXPECT_EQ(browser_apply_code(&b, EVENT_LEFT_DOWN), BROWSER_GO_ON);
  EXPECT_EQ(b.folder, tree_ + "sub/");
}

// ---- Colours and help ---------------------------------------------------------------------------

TEST_F(FileDialogs, TheColourChooserStepsAndTypesEachValue) {
  // Red 0x10 +1; green typed 200; blue End then PgDn: 255 - 16.
  keys({VK_RIGHT, VK_DOWN});
  headless_inject_text("200");
  keys({VK_DOWN, VK_END, VK_NEXT, VK_RETURN});
  uint32_t colour = 0x203010;
  EXPECT_EQ(choose_colour(&colour), DIALOG_CHOSEN);
  EXPECT_EQ(colour, (239u << 16) | (200u << 8) | 0x11u);
}

TEST_F(FileDialogs, TheColourChooserClampsAndACancelKeepsTheColour) {
  keys({VK_LEFT});  // red is 0 already
  headless_inject_text("9");
  keys({VK_DOWN});
  headless_inject_text("999");  // green stops at 255
  keys({VK_RETURN});
  uint32_t colour = 0x000000;
  EXPECT_EQ(choose_colour(&colour), DIALOG_CHOSEN);
  EXPECT_EQ(colour, 0x00FF09u);
  const std::vector<uint32_t> before = screen().pixels;
  keys({VK_RIGHT, VK_ESCAPE});
  EXPECT_EQ(choose_colour(&colour), DIALOG_CANCELLED);
  EXPECT_EQ(colour, 0x00FF09u);
  EXPECT_EQ(screen().pixels, before);
}

TEST_F(FileDialogs, AMissingHelpFileIsSaidPlainly) {
  set_program_folder_for_tests(tree_);
  show_help_file();
  EXPECT_EQ(g_message_box.last_text, "The help file is missing!");
  file(HELP_FILE_NAME);
  show_help_file();
  EXPECT_NE(g_message_box.last_text, "The help file is missing!");
  EXPECT_EQ(g_message_box.shown_count, 2);
  set_program_folder_for_tests("");
}

TEST(FreeingHelpers, APointerArrayIsFreedAndNulled) {
  void* blocks[3] = {std::malloc(4), std::malloc(8), std::malloc(1)};
  free_pointer_array(blocks, 3);
  for (void* block : blocks) EXPECT_EQ(block, nullptr);
  free_pointer_array(nullptr, 3);
}

}  // namespace
