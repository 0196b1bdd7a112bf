// The program's temp folder (where the proof file and the engine's spill file go) moved into a
// fresh folder of the running test's own while the object lives: TMP points there, and the old
// value comes back afterwards. Test binaries run side by side then never read, write or delete
// each other's temp files, and tools the test starts inherit the folder.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

#include "tests/support/test_folder.h"

class TempFolderEnv {
 public:
  explicit TempFolderEnv(const std::string& prefix) : folder_(make_test_folder(prefix)) {
    if (const char* old = std::getenv("TMP"); old != nullptr) saved_ = old;
    setenv("TMP", folder_.c_str(), 1);
  }
  ~TempFolderEnv() {
    if (saved_) setenv("TMP", saved_->c_str(), 1);
    else unsetenv("TMP");
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
  }
  TempFolderEnv(const TempFolderEnv&) = delete;
  TempFolderEnv& operator=(const TempFolderEnv&) = delete;

  const std::filesystem::path& path() const { return folder_; }

 private:
  std::filesystem::path folder_;
  std::optional<std::string> saved_;
};
