// The checked-in corpora of the import's fuzz targets, replayed: every input is read or refused
// cleanly, and a refused input leaves nothing behind.
#include <gtest/gtest.h>

#include <filesystem>

#include "tests/import/fuzz_import_target.h"
#include "tests/import/import_fixture.h"

namespace {

class ImportCorpus : public ImportFixture {};

TEST_F(ImportCorpus, EveryInputIsReadOrRefusedCleanly) {
  for (int target = 0; target < IMPORT_FUZZ_TARGETS; ++target) {
    const std::filesystem::path corpus = std::filesystem::path(IMPORT_CORPUS_DIR) / IMPORT_FUZZ_NAMES[target];
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(corpus)) {
      ++files;
      SCOPED_TRACE(std::string(IMPORT_FUZZ_NAMES[target]) + "/" + entry.path().filename().string());
      const std::string bytes = read_file_bytes(entry.path().string());
      const int result = fuzz_import_input(target, reinterpret_cast<const uint8_t*>(bytes.data()),
                                           bytes.size(), folder_.string());
      if (result != 0 && target != FUZZ_EXPLODER && target != FUZZ_LAYER_TABLE) {
        EXPECT_FALSE(g_job_host_log.messages.empty()) << "refused without a word";
      }
      EXPECT_EQ(g_lists.current.first, nullptr);
    }
    EXPECT_GE(files, 3) << IMPORT_FUZZ_NAMES[target];
  }
}

}  // namespace
