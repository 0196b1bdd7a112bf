// The folder picker on temporary trees with fixture mount tables: places, the cache file and its
// collapsed state, a changed top level, a folder gone since the cache was written, a link loop,
// deleting folders, and the remembered folders of the places.
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/files.h"
#include "tests/support/idle_typist.h"
#include "tests/support/test_folder.h"
#include "tests/ui/form_fixture.h"
#include "ui/dir_tree.h"
#include "ui/message_box.h"

namespace fs = std::filesystem;

namespace {

class DirTreeTest : public FormTest {
 protected:
  void SetUp() override {
    FormTest::SetUp();
    // A taller screen, so that the tree window and its help box fit.
    window_close();
    std::string error;
    ASSERT_TRUE(window_open(1024, 768, "test", &error)) << error;
    set_screen_canvas(window_surface());
    apply_display_mode(DISPLAY_CHOICE_OWN_SIZE);
    install_main_window_proc();
    headless_inject_focus(true);
    pump_messages();
    reset_event_queue();
    g_form.redraw_level = 0;
    reset_message_box();
    base_ = make_test_folder("brenvik_tree");
    home_ = base_ / "home";
    share_ = base_ / "share";
    for (const char* d : {"home/a/a1/x", "home/a/a2", "home/b", "home/.hidden/h1", "share/s1/s2/s3/s4",
                          "program"})
      fs::create_directories(base_ / d);
    std::ofstream(base_ / "mounts") << "server:/jobs " << share_.string()
                                    << " nfs4 rw,relatime 0 0\n";
    g_dir_tree = DirTree();
    g_dir_tree.mount_table = (base_ / "mounts").string();
    g_dir_tree.home = home_.string();
    g_dir_tree.cache_folder = (base_ / "program").string();
    start_typist();
  }
  void TearDown() override {
    pump_set_idle_handler(nullptr);
    free_dir_tree();
    g_dir_tree = DirTree();
    fs::remove_all(base_);
    FormTest::TearDown();
  }

  // A new run of the program: the window and the compared marks go, the cache stays.
  static void new_run() {
    free_dir_tree();
    scan_drives();
  }
  static std::vector<std::string> tree_paths() {
    std::vector<std::string> paths;
    const TextWindow* w = window_of(g_dir_tree.window);
    for (const TextLine* l = w != nullptr ? w->first_line : nullptr; l != nullptr; l = l->next)
      paths.emplace_back(reinterpret_cast<const char*>(l->extra.data()));
    return paths;
  }
  static const TextLine* tree_line(const std::string& path) {
    const TextWindow* w = window_of(g_dir_tree.window);
    for (const TextLine* l = w->first_line; l != nullptr; l = l->next)
      if (std::string(reinterpret_cast<const char*>(l->extra.data())) == path) return l;
    return nullptr;
  }
  std::string cache_text() const { return read_file_bytes((base_ / "program" / "DIR_LIST._C_").string()); }
  std::string home(const std::string& rest = "") const { return home_.string() + "/" + rest; }

  fs::path base_, home_, share_;
};

TEST_F(DirTreeTest, PlacesAreHomeRootAndTheMountedShares) {
  scan_drives();
  EXPECT_STREQ(drive_type_name(DRIVE_HOME), "Home");
  EXPECT_STREQ(drive_type_name(DRIVE_ROOT), "Root");
  EXPECT_STREQ(drive_type_name(DRIVE_ROOT + 1), "Remote");
  EXPECT_EQ(drive_type_name(0), nullptr);
  EXPECT_EQ(drive_type_name(1), nullptr);
  EXPECT_EQ(g_dir_tree.drives[DRIVE_ROOT + 1].folder, share_.string() + "/");
  EXPECT_EQ(test_drive(DRIVE_HOME), 1);
  EXPECT_EQ(drive_of_path(home("a/a1/")), DRIVE_HOME);
  EXPECT_EQ(drive_of_path("/usr/"), DRIVE_ROOT);
}

TEST_F(DirTreeTest, TheCacheKeepsTheTreeAndItsCollapsedState) {
  build_dir_tree(DRIVE_HOME);
  const std::vector<std::string> scanned = tree_paths();
  EXPECT_EQ(scanned, (std::vector<std::string>{home(), home("a/"), home("a/a1/"), home("a/a1/x/"),
                                               home("a/a2/"), home("b/")}))
      << "hidden folders are left out until asked for";
  EXPECT_NE(tree_line(home("a/a1/"))->kind & LINE_KIND_HIDDEN, 0) << "a new tree comes collapsed";
  // The first line of the cache names the place's folder.
  const std::string cache = cache_text();
  EXPECT_EQ(cache.substr(0, cache.find("\r\n")), " " + home_.string());
  // Open folder a, as the picker's Space does, and keep it in the cache.
  const_cast<TextLine*>(tree_line(home("a/a1/")))->kind &= static_cast<uint8_t>(~LINE_KIND_HIDDEN);
  write_dir_cache();
  new_run();
  build_dir_tree(DRIVE_HOME);
  EXPECT_EQ(tree_paths(), scanned);
  EXPECT_EQ(tree_line(home("a/a1/"))->kind & LINE_KIND_HIDDEN, 0) << "the open folder stays open";
  EXPECT_NE(tree_line(home("a/a1/x/"))->kind & LINE_KIND_HIDDEN, 0);
  EXPECT_EQ(g_message_box.last_text.find("have changed"), std::string::npos);
}

TEST_F(DirTreeTest, ANewTopLevelFolderIsNoticedAndScanned) {
  build_dir_tree(DRIVE_HOME);
  new_run();
  fs::create_directories(home_ / "c");
  reset_message_box();
  build_dir_tree(DRIVE_HOME);
  EXPECT_NE(g_message_box.last_text.find("Directories\nhave changed..."), std::string::npos)
      << g_message_box.last_text;
  EXPECT_NE(tree_line(home("c/")), nullptr);
}

TEST_F(DirTreeTest, ACacheOfAnotherFolderOrWithBareLineEndsIsReadRight) {
  // Another folder's cache (the letters named other places in an earlier run): not used.
  std::ofstream(base_ / "program" / "DIR_LIST._C_", std::ios::binary)
      << " /elsewhere\r\n /elsewhere/q\r\n";
  build_dir_tree(DRIVE_HOME);
  EXPECT_EQ(tree_line("/elsewhere/q/"), nullptr);
  EXPECT_NE(tree_line(home("b/")), nullptr);
  // Lines that end with a bare LF keep their last byte.
  new_run();
  g_dir_tree.compared[DRIVE_HOME] = 1;
  std::ofstream(base_ / "program" / "DIR_LIST._C_", std::ios::binary | std::ios::trunc)
      << " " << home_.string() << "\n " << home_.string() << "/a\n " << home_.string() << "/b\n";
  build_dir_tree(DRIVE_HOME);
  EXPECT_EQ(tree_paths(), (std::vector<std::string>{home(), home("a/"), home("b/")}));
}

TEST_F(DirTreeTest, ALinkLoopAndAnotherFileSystemAreNotFollowed) {
  fs::create_directory_symlink(home_ / "a", home_ / "a" / "a1" / "loop");
  fs::create_directory_symlink("/", home_ / "b" / "everything");
  build_dir_tree(DRIVE_HOME);
  for (const std::string& path : tree_paths()) {
    EXPECT_EQ(path.find("loop"), std::string::npos) << path;
    EXPECT_EQ(path.find("everything"), std::string::npos) << path;
  }
}

TEST_F(DirTreeTest, AFolderGoneSinceTheCacheIsFoundWhenChosen) {
  build_dir_tree(DRIVE_HOME);
  new_run();
  fs::remove(home_ / "a" / "a1" / "x");
  // The top level is unchanged, so the cache is trusted and still shows x.
  build_dir_tree(DRIVE_HOME);
  ASSERT_NE(tree_line(home("a/a1/x/")), nullptr);
  // Choosing x finds it gone: the place is scanned again, and the picker goes on.
  g_typist.steps.push_back([] {
    TextWindow* w = g_windows.active;
    for (TextLine* l = w != nullptr ? g_lists.current.first : nullptr; l != nullptr; l = l->next)
      l->kind &= static_cast<uint8_t>(~LINE_KIND_HIDDEN);
    headless_inject_keystroke(VK_DOWN, 0);
  });
  typist_key(VK_DOWN);
  typist_key(VK_DOWN);
  typist_key(VK_RETURN);
  typist_key(VK_ESCAPE);
  EXPECT_EQ(browse_directory_tree(home(), 0), nullptr);
  EXPECT_EQ(tree_line(home("a/a1/x/")), nullptr);
  EXPECT_EQ(cache_text().find(home_.string() + "/a/a1/x"), std::string::npos);
}

TEST_F(DirTreeTest, EnterChoosesAFolderAndRemembersItForItsPlace) {
  typist_key(VK_DOWN);  // a
  typist_key(VK_DOWN);  // b (a's sub-folders are collapsed)
  typist_key(VK_RETURN);
  const TextLine* chosen = browse_directory_tree(home(), 0);
  ASSERT_NE(chosen, nullptr);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(chosen->extra.data())), home("b/"));
  EXPECT_EQ(g_dir_tree.remembered[DRIVE_HOME], home("b/"));
}

TEST_F(DirTreeTest, DeleteRemovesOnlyAnEmptyOrVanishedFolder) {
  struct Case {
    const char* what;
    const char* folder;  // under home, the cursor goes to its line
    bool vanish_first;
    bool line_stays;
    bool told;
  };
  const Case cases[] = {
      {"an empty folder goes with its line", "b/", false, false, false},
      {"a folder with sub-folders stays and is named", "a/", false, true, true},
      {"a folder already gone loses its line", "a/a2/", true, false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    new_run();
    build_dir_tree(DRIVE_HOME);
    if (c.vanish_first) fs::remove(home_ / c.folder);
    reset_message_box();
    const std::string target = home(c.folder);
    g_typist.steps.clear();
    g_typist.steps.push_back([target] {
      // Open every folder, put the cursor on the target, press Del.
      for (TextLine* l = g_lists.current.first; l != nullptr; l = l->next) {
        l->kind &= static_cast<uint8_t>(~LINE_KIND_HIDDEN);
        if (std::string(reinterpret_cast<const char*>(l->extra.data())) == target)
          g_lists.cursor_line = l;
      }
      headless_inject_keystroke(VK_DELETE, 0);
    });
    std::string told_text;
    if (c.told) {
      // The box waits for a key: what it says is read while it stands.
      g_typist.steps.push_back([&told_text] {
        told_text = g_message_box.last_text;
        headless_inject_keystroke(VK_RETURN, 0);
      });
    }
    typist_key(VK_ESCAPE);
    browse_directory_tree(home(), 0);
    EXPECT_EQ(tree_line(target) != nullptr, c.line_stays);
    EXPECT_EQ(fs::exists(home_ / c.folder), c.line_stays);
    if (c.told) {
      EXPECT_NE(told_text.find(home_.string() + "/a/"), std::string::npos) << told_text;
      EXPECT_NE(told_text.find("is not empty"), std::string::npos) << told_text;
    }
  }
}

TEST_F(DirTreeTest, RememberedFoldersOfCAndEWithDEmpty) {
  scan_drives();
  const std::string share_folder = share_.string() + "/s1/";
  std::string entries[26];
  entries[0] = home("a/a1/");
  entries[2] = share_folder;
  load_drive_folders(entries, 26);
  std::string back[26];
  store_drive_folders(back, 26);
  for (int i = 0; i < 26; ++i) EXPECT_EQ(back[i], entries[i]) << i;
  EXPECT_EQ(usable_remembered_folder(DRIVE_HOME), home("a/a1/"));
  EXPECT_EQ(usable_remembered_folder(DRIVE_ROOT), "");
  EXPECT_EQ(usable_remembered_folder(DRIVE_ROOT + 1), share_folder);
  // A stale one costs no other: C's folder is gone, E's is still used.
  fs::remove_all(home_ / "a");
  EXPECT_EQ(usable_remembered_folder(DRIVE_HOME), "");
  EXPECT_EQ(usable_remembered_folder(DRIVE_ROOT + 1), share_folder);
  // A folder outside its place is never used.
  g_dir_tree.remembered[DRIVE_HOME] = share_folder;
  EXPECT_EQ(usable_remembered_folder(DRIVE_HOME), "");
}

TEST_F(DirTreeTest, AShareIsScannedTwoLevelsDeep) {
  scan_drives();
  build_dir_tree(DRIVE_ROOT + 1);
  const std::vector<std::string> paths = tree_paths();
  // Two levels, and the sub-folders of the first second-level folder.
  EXPECT_NE(std::find(paths.begin(), paths.end(), share_.string() + "/s1/s2/s3/"), paths.end());
  EXPECT_EQ(std::find(paths.begin(), paths.end(), share_.string() + "/s1/s2/s3/s4/"), paths.end());
}

TEST_F(DirTreeTest, PathsSortWithTheSlashFirst) {
  struct Case {
    const char* a;
    const char* b;
    int sign;
  };
  const Case cases[] = {
      {"/x/a/", "/x/a b/", -1}, {"/x/B/", "/x/a/", 1}, {"/x/a/", "/x/A/", 0}, {"/x/", "/x/a/", -1},
  };
  for (const Case& c : cases) {
    const int r = compare_paths(c.a, c.b);
    EXPECT_EQ((r > 0) - (r < 0), c.sign) << c.a << " " << c.b;
  }
}

}  // namespace
