// Files for tests: a fresh folder of the running test's own under the system's temporary
// folder, and whole files read and written byte for byte.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>

// A new, empty folder for the running test, named after `prefix`, the test and a random
// number, so that test binaries run side by side (ctest -j, several build folders) never share
// one. The caller removes it when the test ends.
inline std::filesystem::path make_test_folder(const std::string& prefix) {
  const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
  std::string name = prefix + "_" + info->test_suite_name() + "_" + info->name() + "_" +
                     std::to_string(std::random_device()());
  std::replace(name.begin(), name.end(), '/', '_');  // parameterised tests name their cases a/b
  const std::filesystem::path folder = std::filesystem::temp_directory_path() / name;
  std::filesystem::remove_all(folder);
  std::filesystem::create_directories(folder);
  return folder;
}

// The whole file; empty when it cannot be read.
inline std::string read_file_bytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Replaces the file with the bytes.
inline void write_file_bytes(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

// Copies the built program's data files (not its programs, not the start-up KR_INIT_ files)
// into `folder`, so that what a run saves (preferences, palette) never reaches another test or
// a later build's runs.
inline void copy_program_data_files(const std::filesystem::path& from,
                                    const std::filesystem::path& folder) {
  namespace fs = std::filesystem;
  fs::create_directories(folder);
  for (const fs::directory_entry& entry : fs::directory_iterator(from)) {
    const std::string name = entry.path().filename().string();
    const bool executable =
        (entry.status().permissions() & fs::perms::owner_exec) != fs::perms::none;
    if (!entry.is_regular_file() || executable || name.rfind("KR_INIT_", 0) == 0) continue;
    fs::copy_file(entry.path(), folder / name);
  }
}
