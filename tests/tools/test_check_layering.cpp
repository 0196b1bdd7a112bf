// The layering check: a folder that includes one above it, or two folders that include each
// other, fail it; the program's own tree passes.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

struct CheckRun {
  int exit_code = -1;
  std::string output;
};

CheckRun run_check(const std::string& tree) {
  const std::string command =
      "python3 " BRENVIK_SOURCE_DIR "/tools/check_layering.py '" + tree + "' 2>&1";
  CheckRun run;
  std::FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return run;
  char buffer[512];
  while (std::fgets(buffer, sizeof buffer, pipe) != nullptr) run.output += buffer;
  const int status = pclose(pipe);
  run.exit_code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return run;
}

struct Case {
  const char* fixture;
  int exit_code;
  std::vector<std::string> expected_lines;
};

TEST(CheckLayering, RefusesUpwardIncludesAndCyclesOfFolders) {
  const Case cases[] = {
      {"upward", 1, {"low/a.h:2: low/ includes high/, a layer above it"}},
      {"cycle",
       1,
       {"low/a.h:2: low/ includes high/, a layer above it", "low/ and high/ include each other"}},
      {"clean", 0, {"no folder includes one above it (low < high)"}},
  };
  for (const Case& c : cases) {
    const CheckRun run = run_check(std::string(BRENVIK_SOURCE_DIR "/tests/tools/layering/") +
                                   c.fixture);
    EXPECT_EQ(run.exit_code, c.exit_code) << c.fixture << ":\n" << run.output;
    for (const std::string& line : c.expected_lines)
      EXPECT_NE(run.output.find(line), std::string::npos) << c.fixture << ":\n" << run.output;
  }
}

TEST(CheckLayering, TheProgramsFoldersIncludeNoLayerAboveThem) {
  const CheckRun run = run_check(BRENVIK_SOURCE_DIR);
  EXPECT_EQ(run.exit_code, 0) << run.output;
}

}  // namespace
