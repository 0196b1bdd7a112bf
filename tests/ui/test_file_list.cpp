// The file list on temporary folders: entries and their fields, the sort hooks by the sort
// flags (modification times set by the test), the climb to an existing parent, and patterns.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>

#include <ctime>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/files.h"
#include "store/line_list.h"
#include "tests/support/test_folder.h"
#include "ui/dir_tree.h"
#include "ui/file_list.h"

namespace fs = std::filesystem;

namespace {

class FileListTest : public ::testing::Test {
 protected:
  void SetUp() override {
    reset_list_store();
    g_file_list = FileListState();
    g_dir_tree = DirTree();
    folder_ = make_test_folder("brenvik_files");
  }
  void TearDown() override {
    free_current_list();
    reset_list_store();
    fs::remove_all(folder_);
  }
  // A file of `bytes` bytes modified at a local time.
  void write(const std::string& name, size_t bytes, int year, int month, int day, int hour,
             int minute, int second) {
    const fs::path path = folder_ / name;
    std::ofstream(path, std::ios::binary) << std::string(bytes, 'x');
    std::tm t{};
    t.tm_year = year - 1900;
    t.tm_mon = month - 1;
    t.tm_mday = day;
    t.tm_hour = hour;
    t.tm_min = minute;
    t.tm_sec = second;
    t.tm_isdst = -1;
    const std::time_t when = std::mktime(&t);
    const struct timespec times[2] = {{when, 0}, {when, 0}};
    utimensat(AT_FDCWD, path.c_str(), times, 0);
  }
  static std::vector<std::string> names() {
    std::vector<std::string> out;
    for (const TextLine* l = g_lists.current.first; l != nullptr; l = l->next)
      out.push_back(file_entry_file_name(l));
    return out;
  }
  std::string folder() const { return folder_.string() + "/"; }

  fs::path folder_;
};

TEST_F(FileListTest, EntriesKeepNamesExtensionsSizesAndTimes) {
  const struct {
    const char* file;
    const char* name;
    const char* extension;
  } cases[] = {
      {"REPORT.HTML", "REPORT.HTML", ""}, {"NOTE.TXT", "NOTE", "TXT"}, {"plain", "plain", ""},
      {"a.b.nc", "a.b", "nc"},            {".profile", ".profile", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.file);
    TextLine line;
    line.extra = make_file_entry(c.file, 0, 0, 0, 0);
    EXPECT_EQ(file_entry_name(&line), c.name);
    EXPECT_EQ(file_entry_extension(&line), c.extension);
    EXPECT_EQ(file_entry_file_name(&line), c.file);
  }
  TextLine big;
  big.extra = make_file_entry("disc.img", 5'000'000'000LL, 0x01, 0x1234, 0x5678);
  const FileEntryFields f = file_entry_fields(&big);
  EXPECT_EQ(f.size, 5'000'000'000LL) << "sizes past 4 GB are kept";
  EXPECT_EQ(f.attributes, 0x01u);
  EXPECT_EQ(f.time, 0x1234);
  EXPECT_EQ(f.date, 0x5678);
  write("when.nc", 1, 2024, 3, 9, 14, 25, 31);
  std::string where = folder();
  ASSERT_EQ(list_files(&where, 0), 1);
  const FileEntryFields w = file_entry_fields(g_lists.current.first);
  EXPECT_EQ(w.date, ((2024 - 1980) << 9) | (3 << 5) | 9);
  EXPECT_EQ(w.time, (14 << 11) | (25 << 5) | 15);
}

TEST_F(FileListTest, TheSortFlagsOrderTheList) {
  write("b.nc", 300, 2024, 5, 1, 10, 0, 0);
  write("a.txt", 100, 2024, 5, 1, 10, 0, 30);   // the same minute as b.nc
  write("c.nc", 200, 2023, 1, 1, 8, 0, 0);
  write("d.tap", 50, 2024, 6, 1, 9, 0, 0);
  const struct {
    uint16_t flags;
    std::vector<std::string> order;
  } cases[] = {
      {0, {"a.txt", "b.nc", "c.nc", "d.tap"}},          // by name
      {0x05, {"d.tap", "a.txt", "b.nc", "c.nc"}},       // newest first; a minute's tie by name
      {0x04, {"d.tap", "b.nc", "a.txt", "c.nc"}},       // ... or by extension then name
      {0x10, {"d.tap", "a.txt", "c.nc", "b.nc"}},       // by size, smallest first
      {0x03, {"b.nc", "c.nc", "d.tap", "a.txt"}},       // by extension, ties by name
      {0x06, {"b.nc", "c.nc", "d.tap", "a.txt"}},       // by extension, ties by date
      {0x02, {"c.nc", "b.nc", "d.tap", "a.txt"}},       // by extension, ties by size
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.flags);
    g_file_list.sort_flags = c.flags;
    std::string where = folder();
    free_current_list();
    EXPECT_EQ(list_files(&where, 0), 4);
    EXPECT_EQ(names(), c.order);
  }
}

TEST_F(FileListTest, FoldersComeFirstBySizeAndExtension) {
  std::vector<TextLine> lines(3);
  lines[0].extra = make_file_entry("small.nc", 1, 0, 0, 0);
  lines[1].extra = make_file_entry("Zeta", 0, 0x10, 0, 0);
  lines[2].extra = make_file_entry("alpha", 0, 0x10, 0, 0);
  for (auto hook : {compare_entry_sizes, compare_entry_extensions}) {
    EXPECT_LT(hook(&lines[1], &lines[0]), 0);
    EXPECT_GT(hook(&lines[0], &lines[2]), 0);
    EXPECT_LT(hook(&lines[2], &lines[1]), 0) << "folders by name";
  }
}

TEST_F(FileListTest, AFolderThatIsGoneGivesWayToItsParent) {
  write("in-a.nc", 1, 2024, 1, 1, 0, 0, 0);
  fs::create_directories(folder_ / "A");
  std::ofstream(folder_ / "A" / "x.nc") << "x";
  std::string gone = folder() + "A/B/";
  EXPECT_EQ(list_files(&gone, 0), 1);
  EXPECT_EQ(gone, folder() + "A/") << "the caller's folder is the parent listed";
  EXPECT_EQ(names(), std::vector<std::string>{"x.nc"});
  // An empty folder that exists stays, with one empty line.
  fs::create_directories(folder_ / "empty");
  std::string empty = folder() + "empty/";
  free_current_list();
  EXPECT_EQ(list_files(&empty, 0), 0);
  EXPECT_EQ(empty, folder() + "empty/");
  ASSERT_NE(g_lists.current.first, nullptr);
  EXPECT_EQ(g_lists.current.first, g_lists.current.last);
  EXPECT_TRUE(g_lists.current.first->text.empty());
}

TEST_F(FileListTest, APatternListsItsMatchesAndNeverClimbs) {
  write("one.Q2F", 1, 2024, 1, 1, 0, 0, 0);
  write("one.Q2_", 1, 2024, 1, 2, 0, 0, 0);
  write("other.txt", 1, 2024, 1, 1, 0, 0, 0);
  std::string pattern = folder() + "*.Q2?";
  EXPECT_EQ(list_files(&pattern, LIST_FILES_PATTERN), 2);
  std::string missing = folder() + "gone/*.Q2?";
  free_current_list();
  EXPECT_EQ(list_files(&missing, LIST_FILES_PATTERN), 0);
  EXPECT_EQ(missing, folder() + "gone/*.Q2?");
}

}  // namespace
