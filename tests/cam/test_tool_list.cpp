// The tool list: loading it from its record file, the default tool, saving it, and the
// factory tool lists of both file sets.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <set>
#include <string>

#include "cam/tools.h"
#include "platform/files.h"
#include "records/job_settings.h"
#include "store/line_list.h"
#include "store/record_file.h"
#include "store/store_host.h"

namespace {

namespace fs = std::filesystem;

std::string read_bytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void write_bytes(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

class ToolList : public ::testing::Test {
 protected:
  void SetUp() override {
    reset_list_store();
    reset_files();
    reset_store_host();
    g_job_settings = JobSettings{};
    folder_ = (fs::temp_directory_path() /
               ("brenvik_tools_" + std::to_string(std::random_device()())))
                  .string();
    fs::create_directories(folder_);
  }
  void TearDown() override {
    free_list(tools().first);
    reset_list_store();
    fs::remove_all(folder_);
  }
  static LineList& tools() { return g_lists.slots[LIST_SLOT_TOOLS]; }
  std::string at(const std::string& name) const { return folder_ + "/" + name; }

  // Puts two tools into list slot 8.
  static void make_two_tools() {
    ToolRecord vbit = new_tool_record();
    vbit.tool_number = 3;
    vbit.tip_diameter = 0.005f;
    ToolRecord mill;
    mill.shape = TOOL_SHAPE_FLAT;
    mill.size = 0.125f;
    mill.tool_number = 8;
    mill.feed = 30;
    mill.units = TOOL_UNITS_INCH;
    g_lists.current = LineList{};
    append_line("V-bit", tool_record_extra(vbit))->id = 3;
    append_line("1/8 end mill", tool_record_extra(mill))->id = 8;
    tools() = g_lists.current;
    clear_current_list();
  }

  std::string folder_;
};

void expect_default_tool(const LineList& list) {
  ASSERT_NE(list.first, nullptr);
  EXPECT_EQ(list.first, list.last);
  EXPECT_EQ(list.first->text, DEFAULT_TOOL_NAME);
  EXPECT_EQ(list.first->id, 1);
  ToolRecord tool;
  ASSERT_TRUE(line_tool_record(list.first, &tool));
  EXPECT_EQ(tool.tool_number, 1);
  EXPECT_EQ(tool.shape, TOOL_SHAPE_TAPERED);
  EXPECT_EQ(tool.rpm, 5000);
}

TEST_F(ToolList, NoFileGivesTheDefaultTool) {
  EXPECT_EQ(load_tool_list(folder_, false), 1);
  expect_default_tool(tools());
  EXPECT_EQ(g_host_messages.shown_count, 0);
  ToolRecord first = first_tool_record();
  EXPECT_EQ(first.tool_number, 1);
}

TEST_F(ToolList, SavedListLoadsBackAndTheMetricNameIgnoresCase) {
  make_two_tools();
  const std::string saved_path = at("KR_TOOLM.KR4");  // the capital spelling of the name
  ASSERT_EQ(save_tool_list(saved_path), 0);
  const std::string saved = read_bytes(saved_path);
  free_list(tools().first);
  tools() = LineList{};

  EXPECT_EQ(load_tool_list(folder_, true), 0);
  ASSERT_NE(tools().first, nullptr);
  EXPECT_EQ(tools().first->text, "V-bit");
  EXPECT_EQ(tools().last->text, "1/8 end mill");
  EXPECT_EQ(tools().last->id, 8);
  ToolRecord mill;
  ASSERT_TRUE(line_tool_record(tools().last, &mill));
  EXPECT_EQ(mill.size, 0.125f);
  EXPECT_EQ(mill.feed, 30.0f);
  EXPECT_EQ(first_tool_record().tool_number, 3);
  // Saved again it is the same file.
  ASSERT_EQ(save_tool_list(at("again.KR4")), 0);
  EXPECT_EQ(read_bytes(at("again.KR4")), saved);
}

TEST_F(ToolList, DamagedFileIsReportedAndGivesTheDefaultTool) {
  make_two_tools();
  ASSERT_EQ(save_tool_list(at("good.KR4")), 0);
  const std::string good = read_bytes(at("good.KR4"));
  struct Case {
    const char* name;
    std::string bytes;
  } cases[] = {
      {"wrong tag", "SI041697\r\r\n" + good.substr(11)},
      {"cut inside the last record", good.substr(0, good.size() - 5)},
      {"cut inside an id", good.substr(0, 11 + 7 + 2)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    write_bytes(at(TOOL_FILE_NAME), c.bytes);
    reset_store_host();
    EXPECT_EQ(load_tool_list(folder_, false), 1);
    expect_default_tool(tools());
    EXPECT_EQ(g_host_messages.shown_count, 1);
    EXPECT_EQ(g_host_messages.last_text, TOOL_FILE_BAD_MESSAGE);
  }
}

// The factory lists: written by the program's own writer, they read back and write again to
// the same bytes, and hold sensible tools in the units of their file set.
TEST_F(ToolList, FactoryListsReadBackByteForByte) {
  struct Case {
    bool metric;
    uint8_t units;
  } cases[] = {{false, TOOL_UNITS_INCH}, {true, TOOL_UNITS_MM}};
  for (const Case& c : cases) {
    const std::string path = std::string(BRENVIK_PROGRAM_DIR) + "/" + tool_file_name(c.metric);
    SCOPED_TRACE(path);
    ASSERT_EQ(load_tool_list(BRENVIK_PROGRAM_DIR, c.metric), 0);
    EXPECT_EQ(g_host_messages.shown_count, 0);
    ASSERT_EQ(save_tool_list(at("copy.KR4")), 0);
    EXPECT_EQ(read_bytes(at("copy.KR4")), read_bytes(path));

    std::set<int> numbers;
    std::set<uint8_t> shapes;
    for (const TextLine* line = tools().first; line != nullptr; line = line->next) {
      ToolRecord tool;
      ASSERT_TRUE(line_tool_record(line, &tool)) << line->text;
      EXPECT_LE(line->text.size(), static_cast<size_t>(TOOL_NAME_MAX)) << line->text;
      EXPECT_EQ(line->id, tool.tool_number) << line->text;
      EXPECT_TRUE(numbers.insert(tool.tool_number).second) << "tool number used twice";
      EXPECT_EQ(tool.units, c.units) << line->text;
      EXPECT_GT(tool.size, 0.0f) << line->text;
      EXPECT_GT(tool.feed, 0.0f) << line->text;
      EXPECT_LE(tool.stepover_percent, 100) << line->text;
      EXPECT_GE(tool.ramp_angle, 10) << line->text;
      EXPECT_LE(tool.ramp_angle, 90) << line->text;
      shapes.insert(tool.shape);
    }
    EXPECT_EQ(shapes.size(), 3u) << "V-bits, flat and ball end mills";
  }
}

// A tool picked into a working block, by case: units converted (the angle never), the tool
// number kept or made 1, a shaped tool's width kept cuttable, and which of width and depth
// follows the other.
TEST(TakePickedTool, UnitsNumbersAndTheWidthDepthRules) {
  constexpr float SIXTY = 1.0471976f;
  constexpr float NINETY = 1.5707964f;
  auto tool = [](uint8_t shape, float size, float tip, uint8_t units, int16_t number) {
    ToolRecord t = new_tool_record();
    t.shape = shape;
    t.size = size;
    t.tip_diameter = tip;
    t.units = units;
    t.tool_number = number;
    t.feed = 40;
    t.step_down = 0.05f;
    return t;
  };
  struct Case {
    const char* what;
    ToolRecord picked;
    uint8_t job_units;
    bool width_gives_depth;
    int16_t old_number;
    float old_width, old_depth;
    float size, tip, step_down, width, depth;
    int16_t number;
  };
  const Case cases[] = {
      {"inch end mill in a mm job", tool(TOOL_SHAPE_FLAT, 0.25f, 0, TOOL_UNITS_INCH, 3),
       JOB_UNITS_MILLIMETRE, false, 0, 1, 2, 6.35f, 0, 1.27f, 6.35f, 2, 3},
      {"inch V-bit in a mm job keeps its angle", tool(TOOL_SHAPE_TAPERED, SIXTY, 0.01f, TOOL_UNITS_INCH, 4),
       JOB_UNITS_MILLIMETRE, false, 0, 0.1f, 150, SIXTY, 0.254f, 1.27f, 0.254254f, 150, 4},
      {"mm end mill in an inch job", tool(TOOL_SHAPE_FLAT, 10, 0, TOOL_UNITS_MM, 2),
       JOB_UNITS_INCH, false, 0, 1, 2, 0.3937f, 0, 0.0019685f, 0.3937f, 2, 2},
      {"number 0 keeps the old one", tool(TOOL_SHAPE_FLAT, 3, 0, TOOL_UNITS_MM, 0),
       JOB_UNITS_MILLIMETRE, false, 5, 1, 2, 3, 0, 0.05f, 3, 2, 5},
      {"number 0 without an old one is 1", tool(TOOL_SHAPE_FLAT, 3, 0, TOOL_UNITS_MM, 0),
       JOB_UNITS_MILLIMETRE, false, 0, 1, 2, 3, 0, 0.05f, 3, 2, 1},
      {"a ball narrows a width not below its radius", tool(TOOL_SHAPE_BALL, 3, 0, TOOL_UNITS_MM, 6),
       JOB_UNITS_MILLIMETRE, false, 0, 5, 150, 3, 0, 0.05f, 2.7f, 150, 6},
      {"a 90-degree V-bit: width from depth", tool(TOOL_SHAPE_TAPERED, NINETY, 0, TOOL_UNITS_MM, 7),
       JOB_UNITS_MILLIMETRE, false, 0, 5, 1, NINETY, 0, 0.05f, 2, 1, 7},
      {"a 90-degree V-bit on a centerline: depth from width",
       tool(TOOL_SHAPE_TAPERED, NINETY, 0, TOOL_UNITS_MM, 7), JOB_UNITS_MILLIMETRE, true, 0, 2, 5,
       NINETY, 0, 0.05f, 2, 1, 7},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    CamToolBlock block;
    block.tool_number = c.old_number;
    block.cut_width = c.old_width;
    block.cut_depth = c.old_depth;
    take_picked_tool(c.picked, c.job_units, c.width_gives_depth, &block);
    EXPECT_NEAR(block.size, c.size, 1e-5);
    EXPECT_NEAR(block.tip_diameter, c.tip, 1e-5);
    EXPECT_NEAR(block.step_down, c.step_down, 1e-5);
    EXPECT_NEAR(block.cut_width, c.width, 1e-4);
    EXPECT_NEAR(block.cut_depth, c.depth, 1e-4);
    EXPECT_EQ(block.tool_number, c.number);
    EXPECT_EQ(block.shape, c.picked.shape);
    EXPECT_EQ(block.feed, 40.0f);  // feeds are never converted
  }
}

}  // namespace
