// Folders, data-file lookup, wildcard listings and saving through a temporary file.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "platform/files.h"
#include "tests/support/test_folder.h"

namespace {

namespace fs = std::filesystem;

class Files : public ::testing::Test {
 protected:
  void SetUp() override {
    reset_files();
    folder_ = make_test_folder("brenvik_files").string();
  }
  void TearDown() override {
    reset_files();
    fs::remove_all(folder_);
  }
  std::string at(const std::string& name) const { return folder_ + "/" + name; }
  std::vector<std::string> names() const {
    std::vector<std::string> result;
    for (const auto& entry : fs::directory_iterator(folder_)) {
      result.push_back(entry.path().filename().string());
    }
    std::sort(result.begin(), result.end());
    return result;
  }
  std::string folder_;
};

// ---- folders ----

class SavedEnvironment {
 public:
  SavedEnvironment() {
    for (const char* name : NAMES) {
      const char* value = std::getenv(name);
      saved_.push_back(value ? std::optional<std::string>(value) : std::nullopt);
    }
  }
  ~SavedEnvironment() {
    for (size_t i = 0; i < std::size(NAMES); ++i) {
      if (saved_[i]) setenv(NAMES[i], saved_[i]->c_str(), 1);
      else unsetenv(NAMES[i]);
    }
  }
  static constexpr const char* NAMES[] = {"TMP", "TEMP", "TMPDIR"};

 private:
  std::vector<std::optional<std::string>> saved_;
};

TEST_F(Files, TempFolderTakesTmpThenTempThenTmpdirThenTheProgramFolder) {
  SavedEnvironment saved;
  set_program_folder_for_tests("/opt/brenvik");
  struct Case {
    const char* tmp;  // nullptr: unset
    const char* temp;
    const char* tmpdir;
    const char* expected;
  };
  const Case cases[] = {
      {"/a", "/b", "/c", "/a"},
      {nullptr, "/b", "/c", "/b"},
      {nullptr, nullptr, "/c", "/c"},
      {nullptr, nullptr, nullptr, "/opt/brenvik"},
      {"", "/b", nullptr, "/b"},  // set but empty counts as unset
      {"", "", "", "/opt/brenvik"},
      {"/a/", nullptr, nullptr, "/a"},
  };
  for (const Case& c : cases) {
    const char* values[] = {c.tmp, c.temp, c.tmpdir};
    for (size_t i = 0; i < 3; ++i) {
      if (values[i]) setenv(SavedEnvironment::NAMES[i], values[i], 1);
      else unsetenv(SavedEnvironment::NAMES[i]);
    }
    EXPECT_EQ(temp_folder(), c.expected)
        << "TMP=" << (c.tmp ? c.tmp : "-") << " TEMP=" << (c.temp ? c.temp : "-")
        << " TMPDIR=" << (c.tmpdir ? c.tmpdir : "-");
  }
}

TEST_F(Files, ProgramFolderIsTheFolderOfTheRunningExecutable) {
  const std::string folder = program_folder();
  ASSERT_FALSE(folder.empty());
  EXPECT_NE(folder.back(), '/');
  EXPECT_TRUE(fs::is_directory(folder));
  // This test binary lies in it under its own name.
  EXPECT_TRUE(fs::exists(fs::path(folder) / "test_files"));
  set_program_folder_for_tests("/x");
  EXPECT_EQ(program_folder(), "/x");
  set_program_folder_for_tests("");
  EXPECT_EQ(program_folder(), folder);
}

TEST_F(Files, PathJoinAddsOneSlash) {
  EXPECT_EQ(path_join("/a", "b"), "/a/b");
  EXPECT_EQ(path_join("/a/", "b"), "/a/b");
  EXPECT_EQ(path_join("/", "b"), "/b");
  EXPECT_EQ(path_join("", "b"), "b");
}

// ---- finding and listing ----

TEST_F(Files, DataFileIsFoundWhateverTheCaseOfItsName) {
  write_file_bytes(at("KR_TOOLm.KR4"), "tools");
  fs::create_directory(at("kr_menus.kr5"));  // a folder of the name is no data file
  write_file_bytes(at("Exact.txt"), "exact");
  write_file_bytes(at("exact.txt"), "lower");
  EXPECT_EQ(find_file_ignoring_case(folder_, "KR_TOOLM.KR4"), at("KR_TOOLm.KR4"));
  EXPECT_EQ(find_file_ignoring_case(folder_, "kr_toolm.kr4"), at("KR_TOOLm.KR4"));
  EXPECT_EQ(find_file_ignoring_case(folder_, "exact.txt"), at("exact.txt")) << "exact name first";
  EXPECT_EQ(find_file_ignoring_case(folder_, "EXACT.TXT"), at("Exact.txt")) << "first by name";
  EXPECT_EQ(find_file_ignoring_case(folder_, "KR_MENUs.KR5"), "");
  EXPECT_EQ(find_file_ignoring_case(folder_, "KR_TOOLM.KR"), "");
  EXPECT_EQ(find_file_ignoring_case(folder_ + "/missing", "x"), "");
}

TEST_F(Files, WildcardsMatchLikeTheFileDialogsOfTheDesign) {
  struct Case {
    const char* pattern;
    const char* name;
    bool match;
  };
  const Case cases[] = {
      {"*.Q2?", "ROMAN.Q2F", true},   {"*.Q2?", "roman.q2_", true},
      {"*.Q2?", "ROMAN.Q2", false},   {"*.Q2?", "ROMAN.Q2FX", false},
      {"*.Q2?", "A.B.Q2F", true},     {"*.job", "Part 1.JOB", true},
      {"*.job", "job", false},        {"*.*", "README", true},
      {"*", "", true},                {"a*b*c", "aXXbYYc", true},
      {"a*b*c", "aXXbYY", false},     {"?", "", false},
      {"**x", "abx", true},           {"DIR_LIST._?_", "DIR_LIST._C_", true},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(wildcard_match(c.pattern, c.name), c.match) << c.pattern << " vs " << c.name;
  }
}

TEST_F(Files, ListingGivesMatchingEntriesSortedWithSizes) {
  write_file_bytes(at("b.Q2F"), "12345");
  write_file_bytes(at("a.q2_"), "");
  write_file_bytes(at("c.txt"), "x");
  fs::create_directory(at("sub.Q2D"));
  std::vector<FolderEntry> entries;
  ASSERT_TRUE(list_folder(folder_, "*.Q2?", &entries));
  ASSERT_EQ(entries.size(), 3u);
  EXPECT_EQ(entries[0].name, "a.q2_");
  EXPECT_EQ(entries[1].name, "b.Q2F");
  EXPECT_EQ(entries[1].size, 5);
  EXPECT_FALSE(entries[1].is_folder);
  EXPECT_EQ(entries[2].name, "sub.Q2D");
  EXPECT_TRUE(entries[2].is_folder);
  EXPECT_FALSE(list_folder(at("missing"), "*", &entries));
}

TEST_F(Files, SingleFileOperations) {
  write_file_bytes(at("f"), "abc");
  EXPECT_TRUE(file_exists(at("f")));
  EXPECT_FALSE(file_exists(folder_)) << "a folder is not a file";
  EXPECT_EQ(file_size(at("f")), 3);
  EXPECT_EQ(file_size(at("none")), -1);
  write_file_bytes(at("g"), "old");
  EXPECT_TRUE(file_rename(at("f"), at("g")));
  EXPECT_EQ(read_file_bytes(at("g")), "abc");
  EXPECT_FALSE(file_rename(at("f"), at("h")));
  EXPECT_TRUE(file_delete(at("g")));
  EXPECT_FALSE(file_delete(at("g")));
}

// ---- saving ----

bool write_new_contents(SaveFile* file) {
  return save_write_text(file, "new ") && save_write_text(file, "contents ") &&
         save_write_text(file, "here");
}

TEST_F(Files, SaveReplacesTheFileAndKeepsTheOldOneAsBackup) {
  write_file_bytes(at("job.job"), "old contents");
  write_file_bytes(at("job.BAK"), "older backup");
  std::string error;
  EXPECT_EQ(save_file_safely(at("job.job"), "", write_new_contents, &error), SAVE_OK) << error;
  EXPECT_EQ(read_file_bytes(at("job.job")), "new contents here");
  EXPECT_EQ(read_file_bytes(at("job.BAK")), "old contents");
  EXPECT_EQ(names(), (std::vector<std::string>{"job.BAK", "job.job"})) << "no TMP left";
}

TEST_F(Files, SaveThroughASymbolicLinkKeepsTheLinkAndThePermissions) {
  fs::create_directory(at("real"));
  write_file_bytes(at("real/prog.nc"), "old contents");
  fs::permissions(at("real/prog.nc"), fs::perms::owner_read | fs::perms::owner_write |
                                          fs::perms::group_read);
  fs::create_symlink(at("real/prog.nc"), at("link.nc"));
  std::string error;
  EXPECT_EQ(save_file_safely(at("link.nc"), at("SAVEFILE.TMP"), write_new_contents, &error),
            SAVE_OK) << error;
  EXPECT_TRUE(fs::is_symlink(at("link.nc")));
  EXPECT_EQ(read_file_bytes(at("link.nc")), "new contents here");
  EXPECT_EQ(read_file_bytes(at("real/prog.BAK")), "old contents");
  EXPECT_EQ(fs::status(at("real/prog.nc")).permissions() & fs::perms::all,
            fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
}

TEST_F(Files, AFailedSaveKeepsTheFormerBackup) {
  write_file_bytes(at("job.job"), "old contents");
  write_file_bytes(at("job.BAK"), "older backup");
  std::string error;
  fail_nth_save_write(2);
  EXPECT_EQ(save_file_safely(at("job.job"), "", write_new_contents, &error), SAVE_WRITE_FAILED);
  fail_nth_save_write(0);
  EXPECT_EQ(read_file_bytes(at("job.job")), "old contents");
  EXPECT_EQ(read_file_bytes(at("job.BAK")), "older backup");
  EXPECT_EQ(names(), (std::vector<std::string>{"job.BAK", "job.job"}));
}

TEST_F(Files, SaveOfANewFileMakesNoBackup) {
  std::string error;
  EXPECT_EQ(save_file_safely(at("notes"), "", write_new_contents, &error), SAVE_OK) << error;
  EXPECT_EQ(read_file_bytes(at("notes")), "new contents here");
  EXPECT_EQ(names(), (std::vector<std::string>{"notes"}));
}

TEST_F(Files, FailedWriteLeavesTheOldFileAndSaysSo) {
  for (int n = 1; n <= 3; ++n) {
    write_file_bytes(at("job.job"), "old contents");
    fail_nth_save_write(n);
    std::string error;
    EXPECT_EQ(save_file_safely(at("job.job"), "", write_new_contents, &error), SAVE_WRITE_FAILED)
        << "write " << n;
    EXPECT_EQ(read_file_bytes(at("job.job")), "old contents") << "write " << n;
    EXPECT_EQ(names(), (std::vector<std::string>{"job.job"})) << "write " << n;
    EXPECT_NE(error.find("job.TMP"), std::string::npos) << error;
    EXPECT_NE(error.find("No space"), std::string::npos) << error;
  }
  fail_nth_save_write(4);  // past the last write: the save goes through
  std::string error;
  EXPECT_EQ(save_file_safely(at("job.job"), "", write_new_contents, &error), SAVE_OK);
}

TEST_F(Files, WriterThatGivesUpLeavesTheOldFile) {
  write_file_bytes(at("a.txt"), "old");
  std::string error;
  const auto give_up = [](SaveFile* file) { return save_write_text(file, "half") && false; };
  EXPECT_EQ(save_file_safely(at("a.txt"), at("SAVEFILE.TMP"), give_up, &error), SAVE_WRITE_FAILED);
  EXPECT_EQ(read_file_bytes(at("a.txt")), "old");
  EXPECT_EQ(names(), (std::vector<std::string>{"a.txt"}));
  EXPECT_FALSE(error.empty());
}

TEST_F(Files, SaveThroughAGivenTempFile) {
  write_file_bytes(at("a.txt"), "old");
  std::string error;
  EXPECT_EQ(save_file_safely(at("a.txt"), at("SAVEFILE.TMP"), write_new_contents, &error),
            SAVE_OK);
  EXPECT_EQ(names(), (std::vector<std::string>{"a.BAK", "a.txt"}));
}

TEST_F(Files, SavingAFileNamedLikeItsTempFileDoesNotWriteOverIt) {
  write_file_bytes(at("X.TMP"), "old");
  fail_nth_save_write(2);
  std::string error;
  EXPECT_EQ(save_file_safely(at("X.TMP"), "", write_new_contents, &error), SAVE_WRITE_FAILED);
  EXPECT_EQ(read_file_bytes(at("X.TMP")), "old");
  fail_nth_save_write(0);
  EXPECT_EQ(save_file_safely(at("X.TMP"), "", write_new_contents, &error), SAVE_OK);
  EXPECT_EQ(read_file_bytes(at("X.TMP")), "new contents here");
  EXPECT_EQ(read_file_bytes(at("X.BAK")), "old");
}

TEST_F(Files, SaveThatCannotMakeTheBackupLeavesTheOldFile) {
  write_file_bytes(at("job.job"), "old contents");
  fs::create_directory(at("job.BAK"));
  write_file_bytes(at("job.BAK/inside"), "x");  // a folder in the backup's place cannot be replaced
  std::string error;
  EXPECT_EQ(save_file_safely(at("job.job"), "", write_new_contents, &error), SAVE_CANNOT_REPLACE);
  EXPECT_EQ(read_file_bytes(at("job.job")), "old contents");
  EXPECT_FALSE(file_exists(at("job.TMP")));
  EXPECT_FALSE(error.empty());
}

TEST_F(Files, SaveWhoseNewFileCannotTakeTheNameSaysSo) {
  // A folder with something in it stands where the file should go: the new file is written
  // but cannot take the name, and is removed again.
  fs::create_directory(at("job.job"));
  write_file_bytes(at("job.job/inside"), "x");
  std::string error;
  EXPECT_EQ(save_file_safely(at("job.job"), "", write_new_contents, &error), SAVE_CANNOT_RENAME);
  EXPECT_EQ(read_file_bytes(at("job.job/inside")), "x");
  EXPECT_FALSE(file_exists(at("job.TMP")));
  EXPECT_NE(error.find("job.TMP"), std::string::npos) << error;
}

TEST_F(Files, SaveIntoAMissingFolderCannotCreate) {
  std::string error;
  EXPECT_EQ(save_file_safely(at("missing/job.job"), "", write_new_contents, &error),
            SAVE_CANNOT_CREATE);
  EXPECT_NE(error.find("missing/job.TMP"), std::string::npos) << error;
}

}  // namespace

// ---- data files of the program folder ----

static std::string read_stream(FILE* stream) {
  std::string text;
  char buffer[64];
  size_t got = 0;
  while ((got = std::fread(buffer, 1, sizeof buffer, stream)) > 0) text.append(buffer, got);
  return text;
}

TEST_F(Files, DataFileWrittenTruncatedReadAndDeleted) {
  set_program_folder_for_tests(folder_);
  FILE* out = open_data_file("ERASE_ME.V3D", true);
  ASSERT_NE(out, nullptr);
  std::fputs("a longer first text", out);
  std::fclose(out);
  out = open_data_file("ERASE_ME.V3D", true);  // writing again starts the file anew
  ASSERT_NE(out, nullptr);
  std::fputs("short", out);
  std::fclose(out);
  EXPECT_EQ(fs::status(at("ERASE_ME.V3D")).permissions() & fs::perms::owner_read,
            fs::perms::owner_read);

  FILE* in = open_data_file("ERASE_ME.V3D", false);
  ASSERT_NE(in, nullptr);
  EXPECT_EQ(read_stream(in), "short");
  EXPECT_EQ(std::fputs("x", in), EOF);  // read-only
  std::fclose(in);

  EXPECT_EQ(delete_data_file("ERASE_ME.V3D"), 0);
  EXPECT_FALSE(fs::exists(at("ERASE_ME.V3D")));
  EXPECT_EQ(delete_data_file("ERASE_ME.V3D"), 0);  // already gone is no failure
  EXPECT_EQ(open_data_file("ERASE_ME.V3D", false), nullptr);
}

TEST_F(Files, DataFileNamesStayInTheProgramFolder) {
  const std::string inner = at("program");
  fs::create_directory(inner);
  set_program_folder_for_tests(inner);
  { std::FILE* f = std::fopen(at("outside.txt").c_str(), "w"); std::fclose(f); }
  for (const char* name : {"", ".", "..", "../outside.txt", "sub/x.txt", "/etc/passwd"}) {
    SCOPED_TRACE(name);
    EXPECT_EQ(open_data_file(name, false), nullptr);
    EXPECT_EQ(open_data_file(name, true), nullptr);
    EXPECT_EQ(delete_data_file(name), -1);
  }
  EXPECT_TRUE(fs::exists(at("outside.txt")));
}

TEST_F(Files, DataFileDeleteFailureIsTold) {
  set_program_folder_for_tests(folder_);
  fs::create_directory(at("FOLDER.TMP"));  // a folder of that name cannot be unlinked
  EXPECT_EQ(delete_data_file("FOLDER.TMP"), -1);
  EXPECT_TRUE(fs::exists(at("FOLDER.TMP")));
}
