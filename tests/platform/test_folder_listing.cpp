// The browser's folder listings on temporary trees, and the folder arithmetic of browsing.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/folder_listing.h"
#include "tests/support/test_folder.h"

namespace {

namespace fs = std::filesystem;

class FolderListing : public ::testing::Test {
 protected:
  void SetUp() override { folder_ = make_test_folder("brenvik_listing").string() + "/"; }
  void TearDown() override { fs::remove_all(folder_); }
  void make_file(const std::string& name) { std::ofstream(folder_ + name) << "x"; }
  void make_folder(const std::string& name) { fs::create_directories(folder_ + name); }
  std::vector<std::string> listed(const std::string& patterns, bool folders_only = false) {
    std::vector<FolderEntry> entries;
    EXPECT_TRUE(list_browser_folder(folder_, split_filter_patterns(patterns), folders_only,
                                    &entries));
    std::vector<std::string> names;
    for (const FolderEntry& e : entries) names.push_back((e.is_folder ? "/" : "") + e.name);
    return names;
  }
  std::string folder_;
};

TEST_F(FolderListing, FoldersComeFirstThenTheFilesOfTheFilterInNameOrder) {
  for (const char* name : {"b.NC", "a.nc", "Zeta.NC", "notes.txt", "c.tap", ".hidden.nc"})
    make_file(name);
  for (const char* name : {"jobs", "Archive", ".cache"}) make_folder(name);
  using Names = std::vector<std::string>;
  EXPECT_EQ(listed("*.NC"), (Names{"/Archive", "/jobs", "a.nc", "b.NC", "Zeta.NC"}));
  EXPECT_EQ(listed("*.nc; *.tap"), (Names{"/Archive", "/jobs", "a.nc", "b.NC", "c.tap",
                                          "Zeta.NC"}));
  EXPECT_EQ(listed("*.*"), (Names{"/Archive", "/jobs", "a.nc", "b.NC", "c.tap", "notes.txt",
                                  "Zeta.NC"}));
  EXPECT_EQ(listed("*.*", true), (Names{"/Archive", "/jobs"}));
}

TEST_F(FolderListing, AFolderThatCannotBeReadIsReported) {
  std::vector<FolderEntry> entries;
  EXPECT_FALSE(list_browser_folder(folder_ + "absent/", {"*.*"}, false, &entries));
}

TEST_F(FolderListing, NamesKeepTheFileSystemsBytes) {
  make_file("\xC5\xBC\xC3\xB3\xC5\x82w.job");  // UTF-8 as the file system holds it
  const std::vector<std::string> names = listed("*.job");
  ASSERT_EQ(names.size(), 1u);
  EXPECT_EQ(names[0], "\xC5\xBC\xC3\xB3\xC5\x82w.job");
}

TEST(FilterPatterns, ASemicolonListIsSplitAndAnEmptyOneMatchesEverything) {
  using Names = std::vector<std::string>;
  EXPECT_EQ(split_filter_patterns("*.nc;*.tap"), (Names{"*.nc", "*.tap"}));
  EXPECT_EQ(split_filter_patterns(" *.dxf ; "), (Names{"*.dxf"}));
  EXPECT_EQ(split_filter_patterns(""), (Names{"*.*"}));
  EXPECT_TRUE(matches_any_pattern({"*.nc", "*.tap"}, "PART.TAP"));
  EXPECT_FALSE(matches_any_pattern({"*.nc", "*.tap"}, "part.txt"));
}

TEST(FolderArithmetic, ParentsAndTypedPaths) {
  EXPECT_EQ(parent_folder("/a/b/"), "/a/");
  EXPECT_EQ(parent_folder("/a/"), "/");
  EXPECT_EQ(parent_folder("/"), "/");
  struct Case {
    const char* text;
    const char* expected;
  };
  const Case cases[] = {
      {"report.nc", "/work/jobs/report.nc"},
      {"sub/", "/work/jobs/sub/"},
      {"sub//x.nc", "/work/jobs/sub/x.nc"},
      {"../other/a.nc", "/work/other/a.nc"},
      {"..", "/work/"},
      {".", "/work/jobs/"},
      {"/etc//fstab", "/etc/fstab"},
      {"/../../", "/"},
      {"", "/work/jobs/"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(absolute_path("/work/jobs/", c.text), c.expected);
  }
}

TEST(FolderArithmetic, TheWorkingFolderEndsWithOneSlash) {
  const std::string folder = working_folder();
  ASSERT_FALSE(folder.empty());
  EXPECT_EQ(folder.back(), '/');
  EXPECT_TRUE(folder == "/" || folder[folder.size() - 2] != '/');
  EXPECT_TRUE(folder_exists(folder));
  EXPECT_FALSE(folder_exists(folder + "surely-not-here-42/"));
}

}  // namespace
