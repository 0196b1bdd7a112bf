// The brenvik-image tool end to end: a picture loaded, changed and saved as the Drawing page does
// it, the result judged by ImageMagick; the failures end with their message and a non-zero exit.
#include <sys/wait.h>

#include "tests/platform/image_fixture.h"
#include "tests/platform/image_writers.h"

namespace {

struct ToolResult {
  int exit_status = -1;
  std::string output;  // standard output and standard error together
};

ToolResult run_tool(const std::string& arguments) {
  ToolResult result;
  const std::string command = "'" BRENVIK_PROGRAM_DIR "/brenvik-image' " + arguments + " 2>&1";
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return result;
  char buffer[4096];
  size_t got = 0;
  while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) result.output.append(buffer, got);
  const int status = pclose(pipe);
  result.exit_status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return result;
}

class ImageToolTest : public ImageFileTest {
 protected:
  void SetUp() override {
    ImageFileTest::SetUp();
    PngSpec spec;  // 29 x 17, 24-bit colour, no resolution
    ASSERT_TRUE(write_png_file(path("in.png"), spec));
  }
  std::string in() const { return quoted(path("in.png")); }
};

TEST_F(ImageToolTest, LoadsChangesAndSavesAsThePageDoes) {
  const struct {
    const char* steps;
    const char* out;
    const char* printed;
    const char* convert_options;  // what convert does to in.png for the same picture
    int tolerance;                // levels a channel; -1: judged by the mean error alone
  } cases[] = {
      {"--ppi 150", "same.tif", "29 17 24 150\n", "", 0},
      {"", "same.bmp", "29 17 24 100\n", "", 0},
      {"--grey --quarter 0 --op 61", "turned.bmp", "17 29 8 100\n", "-grayscale Rec601Luma -rotate 90 -negate", 1},
      {"--op 59 --op 31", "half.tif", "29 17 24 100\n", "-rotate 180", 0},
      // A PCX takes a copy reduced to 256 colours; the image itself stays 24-bit.
      {"--quarter 1 --24bit", "left.pcx", "17 29 24 100\n", "-rotate -90", -1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.steps);
    const ToolResult result = run_tool(std::string(c.steps) + " " + in() + " " + quoted(path(c.out)));
    ASSERT_EQ(result.exit_status, 0) << result.output;
    EXPECT_EQ(result.output, c.printed);
    ImageDescriptor saved;
    const std::string extension = std::string(c.out).substr(std::string(c.out).size() - 3);
    const ImageFileKind kind = extension == "tif" ? IMAGE_KIND_TIF : extension == "bmp" ? IMAGE_KIND_BMP : IMAGE_KIND_PCX;
    ASSERT_EQ(load_image_file(kind, path(c.out), &saved), IMAGE_OK) << g_image_library.error;
    const RgbPicture theirs = convert_read(path("in.png"), c.convert_options);
    if (c.tolerance >= 0) EXPECT_EQ(picture_difference(rgb_of(saved), theirs, c.tolerance), "");
    else EXPECT_LT(mean_error(rgb_of(saved), theirs), 3.0);
  }
}

TEST_F(ImageToolTest, FaintAndStraightenSteps) {
  const ToolResult faint = run_tool("--faint 100 " + in() + " " + quoted(path("white.bmp")));
  ASSERT_EQ(faint.exit_status, 0) << faint.output;
  ImageDescriptor saved;
  ASSERT_EQ(load_image_file(IMAGE_KIND_BMP, path("white.bmp"), &saved), IMAGE_OK);
  for (uint8_t level : rgb_of(saved).rgb) ASSERT_EQ(level, 255);
  const ToolResult turned = run_tool("--rotate 90 " + in());
  EXPECT_EQ(turned.output, "17 29 24 100\n");
}

TEST_F(ImageToolTest, FailuresSayWhyAndExitNonZero) {
  write_file_bytes(path("old.bif"), "not described anywhere");
  const struct {
    std::string arguments;
    int exit_status;
    const char* words;
  } cases[] = {
      {quoted(path("missing.png")), 1, "not found"},
      {quoted(path("old.bif")), 1, "BIF"},
      {in() + " " + quoted(path("out.gif")), 1, "Error; image was not saved."},
      {"--op 62 " + in(), 1, "no such in-place operation"},
      {"--blur 2 " + in(), 2, "usage"},
      {"--quarter", 2, "usage"},
      {"", 2, "usage"},
  };
  for (const auto& c : cases) {
    const ToolResult result = run_tool(c.arguments);
    EXPECT_EQ(result.exit_status, c.exit_status) << c.arguments << ": " << result.output;
    EXPECT_NE(result.output.find(c.words), std::string::npos) << c.arguments << ": " << result.output;
  }
  EXPECT_FALSE(std::filesystem::exists(path("out.gif")));
}

}  // namespace
