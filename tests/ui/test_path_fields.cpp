// The file and folder fields of the settings forms with typed paths, on a temporary tree.
#include <filesystem>
#include <string>

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

}  // namespace
