// The file-name dialog driven by keys: its rows and information line, OK on an empty name, a
// typed name split into name and extension, the extension row, a fixed folder, a missing folder
// made on OK; and the message box's save modes that run through it (a copy elsewhere) and
// through the save dialog (a save without a name, a save-as).
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "store/message_ids.h"
#include "tests/support/idle_typist.h"
#include "tests/support/test_folder.h"
#include "tests/ui/form_fixture.h"
#include "ui/dir_tree.h"
#include "ui/file_name_dialog.h"
#include "ui/message_box.h"

namespace {

namespace fs = std::filesystem;

class FileNameDialogTest : public FormTest {
 protected:
  void SetUp() override {
    FormTest::SetUp();
    reset_file_name_dialog();
    reset_message_box();
    folder_ = make_test_folder("brenvik_file_name_dialog");
    dir_ = folder_.string() + "/";
    start_typist();
  }

  void TearDown() override {
    pump_set_idle_handler(nullptr);
    reset_file_name_dialog();
    reset_message_box();
    fs::remove_all(folder_);
    FormTest::TearDown();
  }

  void keys(std::initializer_list<int> vks) {
    for (int vk : vks) typist_key(vk);
  }

  void write_file(const std::string& name, size_t bytes) {
    std::ofstream(dir_ + name, std::ios::binary) << std::string(bytes, 'x');
  }

  // The record of a named file in the test folder.
  void use_file(const std::string& name, const std::string& extension) {
    FileRecord& r = g_file_name_dialog.record;
    r.folder = dir_;
    r.name = name;
    r.extension = extension;
    r.full_path = dir_ + name;
  }

  // The information line's two rows as the first pass of the form leaves them.
  std::string info_rows() {
    const TextWindow* w = g_windows.active;
    const int width = w->right_column - w->left_column - 1;
    return row_text(w->top_row + 5, w->left_column + 1, width) + "|" +
           row_text(w->top_row + 6, w->left_column + 1, width);
  }

  fs::path folder_;
  std::string dir_;
};

std::string trimmed(std::string text) {
  while (!text.empty() && text.back() == ' ') text.pop_back();
  return text;
}

TEST_F(FileNameDialogTest, TheFirstPassShowsTheRowsAndWhetherTheFileExists) {
  write_file("NOTE.TXT", 1234);
  struct Case {
    const char* name;
    const char* shown_name;
    const char* shown_extension;
    const char* second_row;  // the information line's second row starts so
  };
  const Case cases[] = {
      {"NOTE.TXT", "NOTE", "TXT", "File size: 1,234 bytes."},
      {"REPORT.HTML", "REPORT.HTML", "NC", "will be a new file."},
      {".hidden", ".hidden", "NC", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    reset_file_name_dialog();
    use_file(c.name, ".NC");
    // What the form shows while it waits on its bar, read by the user before Esc.
    std::string name, extension, folder, info;
    g_typist.steps.push_back([&] {
      name = trimmed(value_text(1, 20));
      extension = trimmed(value_text(2, 3));
      folder = trimmed(value_text(3, 40));
      info = info_rows();
    });
    keys({VK_ESCAPE});
    EXPECT_EQ(file_name_dialog(MSG_FORM_SAVE_COPY), 27);
    EXPECT_EQ(name, c.shown_name);
    EXPECT_EQ(extension, c.shown_extension);
    EXPECT_EQ(folder, trimmed(dir_.substr(0, 40)));
    const std::string second = trimmed(info.substr(info.find('|') + 1));
    EXPECT_EQ(second.substr(0, std::string(c.second_row).size()), c.second_row) << info;
    if (std::string(c.name) == "NOTE.TXT") {
      EXPECT_NE(info.find("exists."), std::string::npos) << info;
    }
  }
}

TEST_F(FileNameDialogTest, OkOnAnEmptyNameGoesToTheNameRowInsteadOfClosing) {
  g_file_name_dialog.record.folder = dir_;
  // The form opens on the name; up to the bar, OK: back down to the name, where Esc cancels.
  typist_pause();
  keys({VK_UP});
  typist_text("o");
  keys({VK_ESCAPE});
  EXPECT_EQ(file_name_dialog(MSG_FORM_SAVE_COPY), 27);
  EXPECT_TRUE(g_typist.steps.empty()) << "OK did not close the form";
}

TEST_F(FileNameDialogTest, ATypedNameIsSplitIntoNameAndExtensionAndAccepted) {
  struct Case {
    const char* typed;
    const char* own_extension;
    const char* name;
    const char* extension;
  };
  const Case cases[] = {
      {"NOTE.TXT", ".NC", "NOTE.TXT", ".TXT"},
      {"plan", ".NC", "plan.NC", ".NC"},
      {"REPORT.HTML", "", "REPORT.HTML", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.typed);
    reset_file_name_dialog();
    g_file_name_dialog.record.folder = dir_;
    g_file_name_dialog.record.extension = c.own_extension;
    // The form opens on the name; Enter keeps it there, Up goes to the bar, where CANCEL is
    // offered for a new file: O is OK.
    typist_pause();
    typist_text(c.typed);
    keys({VK_RETURN, VK_UP});
    typist_text("o");
    EXPECT_EQ(file_name_dialog(MSG_FORM_SAVE_COPY), 13);
    const FileRecord& r = g_file_name_dialog.record;
    EXPECT_EQ(r.name, c.name);
    EXPECT_EQ(r.extension, c.extension);
    EXPECT_EQ(r.folder, dir_);
    EXPECT_EQ(r.full_path, dir_ + c.name);
  }
}

TEST_F(FileNameDialogTest, TheExtensionRowChangesTheNamesExtension) {
  use_file("part.NC", ".NC");
  // From the bar (OK offered for a named file) down to the extension, then back to OK.
  typist_pause();
  keys({VK_DOWN, VK_DOWN, VK_DELETE});
  typist_text("tap");
  keys({VK_RETURN, VK_UP, VK_UP, VK_RETURN});
  EXPECT_EQ(file_name_dialog(MSG_FORM_NC_FILE_NAME), 13);
  EXPECT_EQ(g_file_name_dialog.record.name, "part.tap");
  EXPECT_EQ(g_file_name_dialog.record.full_path, dir_ + "part.tap");
}

TEST_F(FileNameDialogTest, AFixedFolderCannotBeEntered) {
  use_file("part.NC", ".NC");
  g_file_name_dialog.fixed_folder = true;
  // Down three times would reach the folder; it sends the cursor back to the extension, where
  // the typed letters land.
  typist_pause();
  keys({VK_DOWN, VK_DOWN, VK_DOWN, VK_DELETE});
  typist_text("txt");
  keys({VK_RETURN, VK_UP, VK_UP, VK_RETURN});
  EXPECT_EQ(file_name_dialog(MSG_FORM_RENAME_FILE), 13);
  EXPECT_EQ(g_file_name_dialog.record.folder, dir_);
  EXPECT_EQ(g_file_name_dialog.record.name, "part.txt");
}

TEST_F(FileNameDialogTest, OkMakesAMissingFolderOneLevelDeep) {
  g_file_name_dialog.record.folder = dir_ + "new/";
  g_file_name_dialog.record.name = "a.txt";
  g_file_name_dialog.record.full_path = dir_ + "new/a.txt";
  keys({VK_RETURN});
  EXPECT_EQ(file_name_dialog(MSG_FORM_SAVE_COPY), 13);
  EXPECT_TRUE(fs::is_directory(dir_ + "new"));
  g_file_name_dialog.record.folder = dir_ + "x/y/";
  EXPECT_FALSE(make_file_folder()) << "only one level is made";
  EXPECT_FALSE(fs::exists(dir_ + "x"));
}

// ---- The message box's save modes -------------------------------------------------------------

struct HookCall {
  std::string path;
  int copy = -1;
};
std::vector<HookCall> g_hook_calls;

int16_t recording_hook(int /*arg*/, TextLine* window, int copy) {
  g_hook_calls.push_back({window_of(window)->file->full_path, copy});
  return 0;
}

class SaveModesTest : public FileNameDialogTest {
 protected:
  void SetUp() override {
    FileNameDialogTest::SetUp();
    g_hook_calls.clear();
    g_message_box.save_hook = recording_hook;
    install_main_window_proc();  // the save dialog runs under the page loop, which takes Tab
    push_list();
    clear_current_list();
    append_line("some text");
    window_ = create_window(nullptr, {.top_row = 5, .left_column = 5, .bottom_row = 10,
                                      .right_column = 40, .line_drawer = draw_window_line,
                                      .with_file = true, .wrap_width = 125, .title = ""});
    pop_list();
    FileRecord* r = window_of(window_)->file;
    r->folder = dir_;
    r->name = "own.txt";
    r->extension = ".txt";
    r->full_path = dir_ + "own.txt";
  }
  void TearDown() override {
    destroy_window(window_);
    FileNameDialogTest::TearDown();
  }
  int16_t save(uint32_t mode) {
    return message_box(MSGBOX_CENTRE, MSGBOX_CENTRE, 40, "Saving File", mode, window_, 7,
                       nullptr, 0, nullptr);
  }
  const FileRecord& own() const { return *window_of(window_)->file; }
  TextLine* window_ = nullptr;
};

TEST_F(SaveModesTest, ACopyElsewhereSavesUnderTheNewNameAndTheWindowKeepsItsOwn) {
  g_message_box.copy_folder = dir_;
  // The dialog opens on the bar with CANCEL offered (the copy has no path yet): down to the
  // name, cleared and typed anew, then OK.
  typist_pause();
  keys({VK_DOWN, VK_DELETE});
  typist_text("copy.txt");
  keys({VK_RETURN, VK_UP});
  typist_text("o");
  EXPECT_EQ(save(MSGBOX_COPY_TO_FLOPPY), 0);
  ASSERT_EQ(g_hook_calls.size(), 1u);
  EXPECT_EQ(g_hook_calls[0].path, dir_ + "copy.txt");
  EXPECT_EQ(g_hook_calls[0].copy, 1);
  EXPECT_EQ(own().full_path, dir_ + "own.txt");
  EXPECT_EQ(own().name, "own.txt");
  EXPECT_EQ(g_message_box.copy_folder, dir_);
}

TEST_F(SaveModesTest, ACancelledCopySavesNothing) {
  g_message_box.copy_folder = dir_;
  keys({VK_ESCAPE});
  EXPECT_EQ(save(MSGBOX_COPY_TO_FLOPPY), 27);
  EXPECT_TRUE(g_hook_calls.empty());
  EXPECT_EQ(own().full_path, dir_ + "own.txt");
}

TEST_F(SaveModesTest, TheFirstCopyGoesToTheHomePlaceWithoutARemovableOne) {
  g_dir_tree.mount_table = dir_ + "no_mounts";  // no mount table: no other places
  g_dir_tree.home = dir_;
  free_dir_tree();
  g_dir_tree.mount_table = dir_ + "no_mounts";
  g_dir_tree.home = dir_;
  typist_pause();
  typist_text("o");  // the name stands: OK
  EXPECT_EQ(save(MSGBOX_COPY_TO_FLOPPY), 0);
  ASSERT_EQ(g_hook_calls.size(), 1u);
  EXPECT_EQ(g_hook_calls[0].path, dir_ + "own.txt");
  free_dir_tree();
}

TEST_F(SaveModesTest, ASaveWithoutANameAsksForOneAndKeepsIt) {
  FileRecord* r = window_of(window_)->file;
  r->name = "new*.txt";
  r->full_path.clear();
  keys({VK_TAB, VK_RETURN});  // the save dialog's name entry: the name as it stands
  EXPECT_EQ(save(MSGBOX_SAVE), 0);
  ASSERT_EQ(g_hook_calls.size(), 1u);
  EXPECT_EQ(g_hook_calls[0].path, dir_ + "new-.txt") << "wildcards become dashes";
  EXPECT_EQ(g_hook_calls[0].copy, 0);
  EXPECT_EQ(own().full_path, dir_ + "new-.txt");
}

TEST_F(SaveModesTest, ACancelledSaveAsKeepsTheNameAndSavesNothing) {
  keys({VK_ESCAPE});
  EXPECT_EQ(save(MSGBOX_SAVE_AS), 27);
  EXPECT_TRUE(g_hook_calls.empty());
  EXPECT_EQ(own().full_path, dir_ + "own.txt");
  // A named file saves at once.
  EXPECT_EQ(save(MSGBOX_SAVE), 0);
  ASSERT_EQ(g_hook_calls.size(), 1u);
  EXPECT_EQ(g_hook_calls[0].path, dir_ + "own.txt");
}

}  // namespace
