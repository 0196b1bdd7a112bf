// The file and folder fields of the settings forms with typed paths, on a temporary tree.
#include <filesystem>
#include <string>
#include <vector>

#include "store/file_reader.h"
#include "store/message_ids.h"
#include "tests/support/idle_typist.h"
#include "tests/support/test_folder.h"
#include "tests/ui/form_fixture.h"
#include "ui/settings_fields.h"
#include "ui/standard_dialogs.h"

namespace {

class PathFieldTest : public FormTest {
 protected:
  void SetUp() override {
    FormTest::SetUp();
    tree_ = make_test_folder("paths");
    std::filesystem::create_directories(tree_ / "jobs");
    write_file_bytes((tree_ / "plate.job").string(), "x");
    g_file_dialogs = FileDialogSettings();
    start_typist();
    ASSERT_NE(open_form(MSG_FORM_GO_TO_LINE, one_number_dialog_field), nullptr);
    begin_field_handler();
    cursor_to_field(1);
    g_field.display_row = g_windows.active->top_row + 1;
  }
  void TearDown() override {
    pump_set_idle_handler(nullptr);
    FormTest::TearDown();
    std::filesystem::remove_all(tree_);
  }
  // The user types when the program waits, a few characters at a time as fingers do (a path is
  // longer than the event queue holds, and the yes/no question drops what was typed before it).
  static void type(const std::string& text, int end_key = VK_RETURN) {
    for (size_t at = 0; at < text.size(); at += 16) typist_text(text.substr(at, 16));
    if (end_key != 0) typist_key(end_key);
  }
  static void key(int vk) { typist_key(vk); }
  std::string path(const char* name) const { return (tree_ / name).string(); }
  std::filesystem::path tree_;
};

TEST_F(PathFieldTest, ATypedFolderGetsOneTrailingSlash) {
  for (const std::string& typed : {path("jobs"), path("jobs") + "/"}) {
    std::string folder = "/old/";
    type(typed);
    EXPECT_LT(directory_field(&folder, 40), 0) << typed;
    EXPECT_EQ(folder, path("jobs") + "/") << typed;
  }
}

TEST_F(PathFieldTest, AMissingFolderIsKeptOnlyWhenTheUserSaysSo) {
  const std::string missing = path("nope");
  std::string folder = "/old/";
  type(missing);
  type("y", 0);
  EXPECT_EQ(directory_field(&folder, 40), FIELD_CHANGED);
  EXPECT_EQ(folder, missing + "/");
  // No: back to the entry, where Esc leaves the folder as it was.
  folder = "/old/";
  type(missing);
  type("n", 0);
  key(VK_ESCAPE);
  EXPECT_EQ(directory_field(&folder, 40), FIELD_CANCELLED);
  EXPECT_EQ(folder, "/old/");
  // Esc on the question empties it.
  type(missing);
  key(VK_ESCAPE);
  EXPECT_LT(directory_field(&folder, 40), 0);
  EXPECT_EQ(folder, "");
}

TEST_F(PathFieldTest, DelEmptiesTheFolderAndOtherTextsLeaveIt) {
  std::string folder = "/old/";
  key(VK_DELETE);
  EXPECT_EQ(directory_field(&folder, 40), FIELD_CHANGED);
  EXPECT_EQ(folder, "");
  folder = "/old/";
  key(VK_END);  // the entry opens on the present text...
  for (int i = 0; i < 5; ++i) key(VK_BACK);
  type("name");  // ...which becomes "name": no folder path
  EXPECT_LT(directory_field(&folder, 40), 0);
  EXPECT_EQ(folder, "/old/");
}

TEST_F(PathFieldTest, ATypedFileNameIsKeptWhenItExistsOrNewNamesAreAllowed) {
  std::string file = "/old.job";
  type(path("plate.job"));
  EXPECT_LT(file_name_field(40, nullptr, &file), 0);
  EXPECT_EQ(file, path("plate.job"));
  type(path("missing.job"));
  EXPECT_LT(file_name_field(40, nullptr, &file), 0);
  EXPECT_EQ(file, "");
  g_file_dialogs.allow_new_names = true;
  type(path("missing.job"));
  EXPECT_LT(file_name_field(40, nullptr, &file), 0);
  EXPECT_EQ(file, path("missing.job"));
  key(VK_DELETE);
  EXPECT_EQ(file_name_field(40, nullptr, &file), FIELD_CHANGED);
  EXPECT_EQ(file, "");
}

TEST_F(PathFieldTest, EnterOpensTheBrowserAndEscThereChangesNothing) {
  std::string file = path("plate.job");
  key(VK_RETURN);
  key(VK_ESCAPE);
  EXPECT_EQ(file_name_field(40, nullptr, &file), FIELD_CANCELLED);
  EXPECT_EQ(file, path("plate.job"));
  std::string folder = path("jobs") + "/";
  key(VK_RETURN);
  key(VK_ESCAPE);
  EXPECT_EQ(directory_field(&folder, 40), FIELD_CANCELLED);
  EXPECT_EQ(folder, path("jobs") + "/");
}

// A typed path split into a file record: the folder only when it exists, the extension taken or
// given, the path left holding the bare name.
TEST_F(PathFieldTest, ATypedPathIsSplitIntoTheFileRecord) {
  struct Case {
    std::string typed;
    std::string folder, name, extension, left;
  };
  const std::string jobs = path("jobs") + "/";
  const Case cases[] = {
      {jobs + "report", jobs, "report.NC", ".NC", "report"},
      {jobs + "report.", jobs, "report.NC", ".NC", "report"},
      {jobs + "report.txt", jobs, "report.txt", ".txt", "report"},
      {path("nope") + "/report.txt", "/old/", "report.txt", ".txt", "report"},  // no such folder
      {"/report.tap", "/", "report.tap", ".tap", "report"},                    // the root exists
      {"report.longer", "/old/", "report.longer.NC", ".NC", "report.longer"},  // not an extension
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.typed);
    FileRecord record;
    record.folder = "/old/";
    record.name = "old.NC";
    record.extension = ".NC";
    std::string typed = c.typed;
    std::string dialog_extension = "?";
    g_field.redraw.assign(6, 0);
    g_field.redraw[4] = 1;
    set_file_record_path(&typed, &record, &dialog_extension);
    EXPECT_EQ(record.folder, c.folder);
    EXPECT_EQ(record.name, c.name);
    EXPECT_EQ(record.extension, c.extension);
    EXPECT_EQ(record.full_path, c.folder + c.name);
    EXPECT_EQ(dialog_extension, c.extension == ".NC" ? "?" : c.extension);
    EXPECT_EQ(typed, c.left);
    EXPECT_EQ(g_field.redraw, (std::vector<uint8_t>{0, 1, 1, 1, 0, 0}));
  }
}

TEST_F(PathFieldTest, AnEmptyOrControlPathLeavesTheRecord) {
  for (std::string typed : {std::string(), std::string("\x1b/tmp/x.NC")}) {
    FileRecord record;
    record.name = "old.NC";
    record.extension = ".NC";
    const std::string before = typed;
    g_field.redraw.assign(5, 0);
    set_file_record_path(&typed, &record, nullptr);
    EXPECT_EQ(record.name, "old.NC");
    EXPECT_EQ(typed, before);
    EXPECT_EQ(g_field.redraw, std::vector<uint8_t>(5, 0));
  }
  // Without a dialog the record changes but no field is flagged.
  FileRecord record;
  record.extension = ".NC";
  std::string typed = "plate";
  g_field.redraw.assign(5, 0);
  set_file_record_path(&typed, &record, nullptr);
  EXPECT_EQ(record.name, "plate.NC");
  EXPECT_EQ(g_field.redraw, std::vector<uint8_t>(5, 0));
}

}  // namespace
