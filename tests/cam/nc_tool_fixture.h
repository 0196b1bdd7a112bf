// A job built in the test, saved, and handed to the brenvik-nc tool; its output read back.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "geometry/layers.h"
#include "job/job_file.h"
#include "tests/cam/make_nc_fixture.h"
#include "tests/support/test_folder.h"

class NcToolFixture : public MakeNcFixture {
 protected:
  // Tables of cases set up again for each case: the folder of the case before goes first.
  void SetUp() override {
    MakeNcFixture::SetUp();
    remove_folder();
    folder_ = make_test_folder("brenvik_nc_tool");
  }
  void TearDown() override {
    MakeNcFixture::TearDown();
    remove_folder();
  }
  void remove_folder() {
    std::error_code ignored;
    if (!folder_.empty() && std::getenv("BRENVIK_KEEP_TEST_FILES") == nullptr)
      std::filesystem::remove_all(folder_, ignored);
    folder_.clear();
  }
  std::filesystem::path save_job(const char* name = "job.job") {
    reset_layers();
    const std::filesystem::path job = folder_ / name;
    EXPECT_EQ(write_job_to_path(job.string()), 0);
    return job;
  }
  // Runs brenvik-nc with its arguments; the exit status.
  int run_tool(const std::string& arguments) {
    const std::string command = "'" BRENVIK_PROGRAM_DIR "/brenvik-nc' " + arguments + " > '" +
                                (folder_ / "tool.log").string() + "' 2>&1";
    return std::system(command.c_str());
  }
  std::string quoted(const std::filesystem::path& p) const { return "'" + p.string() + "'"; }
  std::string tool_log() const { return file_text(folder_ / "tool.log"); }
  static std::string file_text(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }

  std::filesystem::path folder_;
};
