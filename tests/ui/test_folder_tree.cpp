// The show and hide operations of folder trees: lines carry the folder depth as id (-1 the
// place's root, 0 a top-level folder) and their open or closed mark as the second text byte.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "store/line_fold.h"
#include "store/line_list.h"
#include "ui/line_fold.h"

namespace {

struct Folder {
  int16_t depth;
  const char* name;
  bool hidden;
};

class FolderTreeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    reset_list_store();
    reset_fold_state();
  }
  void TearDown() override {
    free_current_list();
    reset_list_store();
  }
  void build(const std::vector<Folder>& folders) {
    for (const Folder& f : folders) {
      const std::string text = std::string(" \xa0") + f.name;
      const std::string full = std::string("/home/") + f.name;
      LineExtra path(full.begin(), full.end());
      path.push_back(0);
      TextLine* l = append_line(text.c_str(), path);
      l->id = f.depth;
      if (f.hidden) l->kind |= LINE_KIND_HIDDEN;
    }
  }
  static std::string shown() {
    std::string out;
    for (TextLine* l = g_lists.current.first; l != nullptr; l = l->next)
      if ((l->kind & LINE_KIND_HIDDEN) == 0) out += l->text.substr(2) + " ";
    return out;
  }
};

TEST_F(FolderTreeTest, ShowAndHideSubFolders) {
  build({{-1, "root", false}, {0, "a", false}, {1, "a1", true}, {2, "a11", true},
         {0, "b", false}, {1, "b1", false}});
  g_lists.cursor_line = nth_line(1);
  EXPECT_EQ(show_sub_folders(), 0);
  EXPECT_EQ(shown(), "root a a1 a11 b b1 ");
  EXPECT_EQ(static_cast<unsigned char>(nth_line(1)->text[1]), FOLDER_MARK_OPEN);
  EXPECT_EQ(show_sub_folders(), -1);  // nothing hidden below any more

  // Hiding from a folder inside an open top-level folder closes that top-level folder.
  g_lists.cursor_line = nth_line(3);
  EXPECT_EQ(hide_sub_folders(), 1);
  EXPECT_EQ(g_lists.cursor_line, nth_line(1));
  EXPECT_EQ(static_cast<unsigned char>(nth_line(1)->text[1]), FOLDER_MARK_CLOSED);
  EXPECT_EQ(shown(), "root a b b1 ");
  // The root line is left alone.
  g_lists.cursor_line = nth_line(0);
  EXPECT_EQ(hide_sub_folders(), 0);
  EXPECT_EQ(shown(), "root a b b1 ");
}

TEST_F(FolderTreeTest, RememberedFolderChecksItsIndex) {
  build({{0, "jobs", false}});
  g_lists.cursor_line = g_lists.current.first;
  std::string table[26];
  EXPECT_EQ(remember_drive_folder('C', table, 26), 0);
  EXPECT_EQ(table[2], "/home/jobs");
  EXPECT_EQ(remember_drive_folder('Z', table, 26), 0);
  EXPECT_EQ(table[25], "/home/jobs");
  for (const char drive : {'A', 'B', '[', '\x7f', static_cast<char>(0xC3)})
    EXPECT_EQ(remember_drive_folder(drive, table, 26), -1) << static_cast<int>(drive);
  EXPECT_EQ(remember_drive_folder('E', table, 4), -1);  // past the table given
}

}  // namespace
