// The tool list window and its record dialog, driven through the event queue: the list keeps one
// blank tool at its end and drops it when taken, the dialog's stored limits, the shape change
// that asks for the size again, the taper typed in degrees and kept in radians, PgDn to the next
// tool, an empty list's default tool, and the saved file read back field by field.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "cam/tools.h"
#include "pages/tool_list_page.h"
#include "platform/files.h"
#include "records/job_settings.h"
#include "store/message_ids.h"
#include "store/store_host.h"
#include "tests/pages/tool_list_fixture.h"
#include "tests/support/test_folder.h"
#include "tests/ui/form_fixture.h"
#include "ui/list_window.h"
#include "ui/message_box.h"
#include "ui/popups.h"
#include "ui/run_window.h"

namespace {

class ToolListTest : public ToolListFixture {
 protected:
  static bool list_open() {
    return g_windows.active != nullptr && g_windows.active == window_of(g_tool_list_page.window) &&
           g_field.running_form == nullptr;
  }
  static bool dialog_open() { return g_field.running_form != nullptr; }

  void SetUp() override {
    ToolListFixture::SetUp();
    reset_message_box();
    g_store_host.show_text_box = show_text_box;
  }
  void TearDown() override {
    reset_store_host();
    ToolListFixture::TearDown();
  }

  static void open_list(const std::vector<std::pair<std::string, ToolRecord>>& tools) {
    open_tool_list(tools);
  }

  // Down presses from the shape row (where a named tool's dialog opens) to the row: the tip row
  // of a tool without a tip is passed over.
  static void walk_to(int row, bool tapered = false) {
    for (int r = TOOL_ROW_SHAPE; r < row; ++r)
      if (r + 1 != TOOL_ROW_TIP || tapered) press(VK_DOWN);
  }

  // Del clears the field, then the value is typed and entered.
  static void retype(const std::string& text) {
    press(VK_DELETE);
    type(text);
    press(VK_RETURN);
  }

  static ToolRecord mill(float diameter, int16_t number) {
    ToolRecord tool = new_tool_record();
    tool.shape = TOOL_SHAPE_FLAT;
    tool.size = diameter;
    tool.tool_number = number;
    return tool;
  }

  // The tools of list slot 8 (or of the window when it holds them).
  static std::vector<std::pair<std::string, ToolRecord>> tools() {
    std::vector<std::pair<std::string, ToolRecord>> out;
    const TextWindow* w = window_of(g_tool_list_page.window);
    for (const TextLine* line = w->first_line; line != nullptr; line = line->next) {
      ToolRecord tool;
      EXPECT_TRUE(line_tool_record(line, &tool));
      out.emplace_back(line->text, tool);
    }
    return out;
  }
};

TEST_F(ToolListTest, TheLastNamedToolGetsABlankOneBelowWhichIsGoneWhenAToolIsTaken) {
  open_list({{"Quarter mill", mill(0.25f, 1)}, {"V 60", new_tool_record()}});
  size_t lines_at_last = 0;
  press(VK_DOWN);
  when(list_open, [&] {
    lines_at_last = 0;
    for (const TextLine* l = g_lists.current.first; l != nullptr; l = l->next) ++lines_at_last;
    headless_inject_keystroke(VK_UP, 0);
  });
  press(VK_RETURN);
  ToolRecord chosen;
  ASSERT_TRUE(choose_tool_from_list(&chosen));
  EXPECT_EQ(lines_at_last, 3u);  // the blank tool below the last named one
  EXPECT_EQ(chosen.tool_number, 1);
  EXPECT_FLOAT_EQ(chosen.size, 0.25f);
  const auto after = tools();
  ASSERT_EQ(after.size(), 2u);
  EXPECT_EQ(after[1].first, "V 60");
}

TEST_F(ToolListTest, EnterOnTheBlankToolTakesNothingAndEscTakesNothing) {
  open_list({{"Quarter mill", mill(0.25f, 1)}});
  press(VK_DOWN);    // the blank tool
  press(VK_RETURN);  // refused there
  press(VK_ESCAPE);
  ToolRecord chosen = mill(9, 9);
  EXPECT_FALSE(choose_tool_from_list(&chosen));
  EXPECT_EQ(chosen.tool_number, 9);
  EXPECT_EQ(tools().size(), 1u);
}

// The dialog's stored limits, by the value typed into each row.
TEST_F(ToolListTest, TheDialogKeepsStepoverAndRampWithinTheirLimits) {
  struct Case {
    int row;
    const char* typed;
    int stepover;
    int ramp;
  };
  const Case cases[] = {
      {TOOL_ROW_STEPOVER, "150", 100, 90},
      {TOOL_ROW_STEPOVER, "30", 30, 90},
      {TOOL_ROW_RAMP, "5", 45, 10},
      {TOOL_ROW_RAMP, "0", 45, 10},
      {TOOL_ROW_RAMP, "60", 45, 60},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.typed) + " in row " + std::to_string(c.row));
    open_list({{"Quarter mill", mill(0.25f, 1)}});
    when(list_open, [] { headless_inject_keystroke(VK_RIGHT, 0); });
    walk_to(c.row);
    retype(c.typed);
    press(VK_ESCAPE);
    when(list_open, [] { headless_inject_keystroke(VK_ESCAPE, 0); });
    choose_tool_from_list(nullptr);
    const auto after = tools();
    ASSERT_GE(after.size(), 1u);
    EXPECT_EQ(after[0].second.stepover_percent, c.stepover);
    EXPECT_EQ(after[0].second.ramp_angle, c.ramp);
    destroy_window(g_tool_list_page.window);
    g_tool_list_page.window = nullptr;
  }
}

TEST_F(ToolListTest, ANewShapeClearsTheSizeWhichMustBeGivenBeforeLeaving) {
  open_list({{"Quarter mill", mill(0.25f, 1)}});
  when(list_open, [] { headless_inject_keystroke(VK_RIGHT, 0); });
  type("t");  // the shape row's pick list: Tapered
  std::string said;
  when(dialog_open, [] { headless_inject_keystroke(VK_ESCAPE, 0); });
  // Refused: the taper angle is 0. The box is read and put away; the angle is typed in degrees.
  press(VK_DOWN);  // puts the box away
  press(VK_DOWN);
  retype("90");
  press(VK_ESCAPE);
  when(list_open, [] { headless_inject_keystroke(VK_ESCAPE, 0); });
  choose_tool_from_list(nullptr);
  said = g_message_box.last_text;
  const auto after = tools();
  ASSERT_GE(after.size(), 1u);
  EXPECT_EQ(after[0].second.shape, TOOL_SHAPE_TAPERED);
  EXPECT_NEAR(after[0].second.size, M_PI / 2, 1e-6);
  EXPECT_NE(said.find("no taper angle"), std::string::npos) << said;
}

TEST_F(ToolListTest, PgDnGoesOnWithTheNextToolsDialog) {
  open_list({{"Quarter mill", mill(0.25f, 1)}, {"Eighth mill", mill(0.125f, 2)}});
  when(list_open, [] { headless_inject_keystroke(VK_RIGHT, 0); });
  press(VK_NEXT);  // PgDn: the next tool's dialog
  when(dialog_open, [] {});
  walk_to(TOOL_ROW_NUMBER);
  retype("7");
  press(VK_ESCAPE);
  when(list_open, [] { headless_inject_keystroke(VK_ESCAPE, 0); });
  choose_tool_from_list(nullptr);
  const auto after = tools();
  ASSERT_EQ(after.size(), 2u);
  EXPECT_EQ(after[0].second.tool_number, 1);
  EXPECT_EQ(after[1].second.tool_number, 7);
  EXPECT_EQ(after[1].first, "Eighth mill");
}

TEST_F(ToolListTest, TheBlankToolNamedBecomesANewToolInTheJobsUnits) {
  for (const uint8_t units : {JOB_UNITS_INCH, JOB_UNITS_MILLIMETRE}) {
    SCOPED_TRACE(units);
    g_job_settings.units = units;
    open_list({{"Quarter mill", mill(0.25f, 1)}});
    press(VK_DOWN);
    when(list_open, [] { headless_inject_keystroke(VK_RIGHT, 0); });
    // A blank tool's dialog opens on its name.
    type("Drill");
    press(VK_RETURN);
    press(VK_ESCAPE);
    when(list_open, [] { headless_inject_keystroke(VK_ESCAPE, 0); });
    choose_tool_from_list(nullptr);
    const auto after = tools();
    ASSERT_EQ(after.size(), 2u);
    EXPECT_EQ(after[1].first, "Drill");
    EXPECT_EQ(after[1].second.feed, units == JOB_UNITS_INCH ? 15.0f : 300.0f);
    EXPECT_EQ(after[1].second.units, units);
    EXPECT_EQ(g_lists.slots[LIST_SLOT_TOOLS].last, window_of(g_tool_list_page.window)->last_line);
    destroy_window(g_tool_list_page.window);
    g_tool_list_page.window = nullptr;
  }
}

TEST_F(ToolListTest, AnEmptyListGetsTheDefaultToolAndTheSavedFileReadsBack) {
  open_list({});
  press(VK_RETURN);
  ToolRecord chosen;
  ASSERT_TRUE(choose_tool_from_list(&chosen));
  const auto after = tools();
  ASSERT_EQ(after.size(), 1u);
  EXPECT_EQ(after[0].first, DEFAULT_TOOL_NAME);
  EXPECT_EQ(chosen.tool_number, 1);

  // Saved and read back field by field by this test's own reading of the 32-byte records.
  const auto folder = make_test_folder("tool_list_page");
  const std::string path = (folder / TOOL_FILE_NAME).string();
  ASSERT_EQ(save_tool_list(path), 0);
  const std::string bytes = read_file_bytes(path);
  ASSERT_GE(bytes.size(), 32u);
  const auto* record = reinterpret_cast<const uint8_t*>(bytes.data() + bytes.size() - 32);
  float size = 0;
  std::memcpy(&size, record, 4);
  int32_t rpm = 0;
  std::memcpy(&rpm, record + 16, 4);
  EXPECT_NEAR(size, 1.0471976f, 1e-6);
  EXPECT_EQ(rpm, 5000);
  EXPECT_EQ(record[22] | (record[23] << 8), 1);
  EXPECT_EQ(record[24], TOOL_SHAPE_TAPERED);
  EXPECT_EQ(record[26], 45);
  EXPECT_EQ(record[27], 90);
}

// Typing on a named tool opens its record and edits the name, whatever the letter (the list's own
// letter search would take letters first, and 'F' would open the find).
TEST_F(ToolListTest, TypingOnANamedToolStartsItsName) {
  open_list({{"Quarter mill", mill(0.25f, 1)}});
  when(list_open, [] { headless_inject_text("Flat"); });
  when(dialog_open, [] {});
  press(VK_RETURN);
  press(VK_ESCAPE);
  when(list_open, [] { headless_inject_keystroke(VK_ESCAPE, 0); });
  choose_tool_from_list(nullptr);
  const auto after = tools();
  ASSERT_GE(after.size(), 1u);
  EXPECT_NE(after[0].first.find("Flat"), std::string::npos) << after[0].first;
  EXPECT_FLOAT_EQ(after[0].second.size, 0.25f);
  EXPECT_EQ(after[0].second.shape, TOOL_SHAPE_FLAT);
}

}  // namespace
