// The headless runner: its scripts, and the runner itself driving the built program through the
// page loop, checked by the dumps and pictures it writes and by its exit code.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "geometry/layers.h"
#include "platform/window.h"
#include "shell/headless_script.h"
#include "tests/job/job_fixture.h"
#include "tests/support/test_folder.h"

namespace fs = std::filesystem;

namespace {

// ---- Scripts ------------------------------------------------------------------------------------

struct CommandCase {
  const char* line;
  ScriptCommandKind kind;
  int key, mods, x, y, button, amount;
  const char* text;
  const char* face;
};

constexpr CommandCase COMMAND_CASES[] = {
    {"key Enter", SCRIPT_KEY, VK_RETURN, 0, 0, 0, 1, 0, "", ""},
    {"key ctrl+shift+F4", SCRIPT_KEY, VK_F1 + 3, WINDOW_MOD_CTRL | WINDOW_MOD_SHIFT, 0, 0, 1, 0,
     "", ""},
    {"key Alt+x", SCRIPT_KEY, 'X', WINDOW_MOD_ALT, 0, 0, 1, 0, "", ""},
    {"key Num+", SCRIPT_KEY, VK_ADD, 0, 0, 0, 1, 0, "", ""},
    {"key Ctrl+Num+", SCRIPT_KEY, VK_ADD, WINDOW_MOD_CTRL, 0, 0, 1, 0, "", ""},
    {"key Num7", SCRIPT_KEY, VK_NUMPAD0 + 7, 0, 0, 0, 1, 0, "", ""},
    {"key F12", SCRIPT_KEY, VK_F1 + 11, 0, 0, 0, 1, 0, "", ""},
    {"key Shift+Tab", SCRIPT_KEY, VK_TAB, WINDOW_MOD_SHIFT, 0, 0, 1, 0, "", ""},
    {"  type  two  blanks", SCRIPT_TYPE, 0, 0, 0, 0, 1, 0, " two  blanks", ""},
    {"type Grüße", SCRIPT_TYPE, 0, 0, 0, 0, 1, 0, "Gr\xFC\xDF" "e", ""},
    {"type \xE2\x86\x92", SCRIPT_TYPE, 0, 0, 0, 0, 1, 0, "?", ""},  // no cp1252 arrow
    {"move 10 -5", SCRIPT_MOVE, 0, 0, 10, -5, 1, 0, "", ""},
    {"click 1 2", SCRIPT_CLICK, 0, 0, 1, 2, WINDOW_BUTTON_LEFT, 0, "", ""},
    {"click 1 2 right", SCRIPT_CLICK, 0, 0, 1, 2, WINDOW_BUTTON_RIGHT, 0, "", ""},
    {"press 3 4 Middle", SCRIPT_PRESS, 0, 0, 3, 4, WINDOW_BUTTON_MIDDLE, 0, "", ""},
    {"release 3 4", SCRIPT_RELEASE, 0, 0, 3, 4, WINDOW_BUTTON_LEFT, 0, "", ""},
    {"wheel 5 6 -2", SCRIPT_WHEEL, 0, 0, 5, 6, 1, -2, "", ""},
    {"wait 550", SCRIPT_WAIT, 0, 0, 0, 0, 1, 550, "", ""},
    {"resize 800 600", SCRIPT_RESIZE, 0, 0, 800, 600, 1, 0, "", ""},
    {"close", SCRIPT_CLOSE, 0, 0, 0, 0, 1, 0, "", ""},
    {"focus out", SCRIPT_FOCUS, 0, 0, 0, 0, 1, 0, "", ""},
    {"png start", SCRIPT_PNG, 0, 0, 0, 0, 1, 0, "start", ""},
    {"dump page-1 qx8x16", SCRIPT_DUMP, 0, 0, 0, 0, 1, 0, "page-1", "qx8x16"},
    {"snap a_b.c", SCRIPT_SNAP, 0, 0, 0, 0, 1, 0, "a_b.c", ""},
    {"expect 3 2 Job setup", SCRIPT_EXPECT, 0, 0, 2, 3, 1, 0, "Job setup", ""},
    {"expect-pixel 4 49 FFffE6", SCRIPT_EXPECT_PIXEL, 0, 0, 4, 49, 1, 0xFFFFE6, "", ""},
    {"expect-text 10 50 tiny Shift  it", SCRIPT_EXPECT_TEXT, 0, 0, 10, 50, 1, 0, "Shift  it",
     "tiny"},
};

TEST(HeadlessScript, ReadsEveryCommand) {
  for (const CommandCase& c : COMMAND_CASES) {
    SCOPED_TRACE(c.line);
    std::vector<ScriptCommand> commands;
    std::string error;
    ASSERT_TRUE(parse_script(c.line, &commands, &error)) << error;
    ASSERT_EQ(commands.size(), 1u);
    const ScriptCommand& command = commands[0];
    EXPECT_EQ(command.kind, c.kind);
    EXPECT_EQ(command.key, c.key);
    EXPECT_EQ(command.mods, c.mods);
    EXPECT_EQ(command.x, c.x);
    EXPECT_EQ(command.y, c.y);
    EXPECT_EQ(command.button, c.button);
    EXPECT_EQ(command.amount, c.amount);
    EXPECT_EQ(command.text, c.text);
    EXPECT_EQ(command.face, c.face);
  }
}

TEST(HeadlessScript, SkipsCommentsAndBlankLinesAndCountsLines) {
  std::vector<ScriptCommand> commands;
  std::string error;
  ASSERT_TRUE(parse_script("# a comment\r\n\r\n   \n  # indented\nwait 1\r\nclose\n", &commands,
                           &error));
  ASSERT_EQ(commands.size(), 2u);
  EXPECT_EQ(commands[0].line, 5);
  EXPECT_EQ(commands[1].line, 6);
}

// A bad line is refused with its number, before anything runs.
struct BadLineCase {
  const char* script;
  const char* error_start;
};

constexpr BadLineCase BAD_LINE_CASES[] = {
    {"wait 1\nfly 2 3\n", "line 2: unknown command"},
    {"key Hyper+A", "line 1: key needs"},
    {"key Ctrl+", "line 1: key needs"},
    {"key", "line 1: key needs"},
    {"type", "line 1: type needs"},
    {"move 1", "line 1: move needs"},
    {"move 1 2 left", "line 1: move needs"},
    {"click 1 x", "line 1: click needs"},
    {"click 1 2 thumb", "line 1: click needs"},
    {"wheel 1 2", "line 1: wheel needs"},
    {"wait -5", "line 1: wait needs"},
    {"wait 99999999999", "line 1: wait needs"},
    {"resize 0 600", "line 1: resize needs"},
    {"focus maybe", "line 1: focus needs"},
    {"png ../escape", "line 1: png needs"},
    {"png a b", "line 1: png needs"},
    {"dump", "line 1: dump needs"},
    {"expect 3 two text", "line 1: expect needs"},
    {"expect 3 2", "line 1: expect needs"},
    {"expect-pixel 1 2 FFFFF", "line 1: expect-pixel needs"},
    {"expect-pixel 1 2 FFFFFG", "line 1: expect-pixel needs"},
    {"expect-pixel 1 FFFFFF", "line 1: expect-pixel needs"},
    {"expect-text 1 2 tiny", "line 1: expect-text needs"},
};

TEST(HeadlessScript, RefusesBadLinesWithTheirNumber) {
  for (const BadLineCase& c : BAD_LINE_CASES) {
    SCOPED_TRACE(c.script);
    std::vector<ScriptCommand> commands;
    std::string error;
    EXPECT_FALSE(parse_script(c.script, &commands, &error));
    EXPECT_EQ(error.rfind(c.error_start, 0), 0u) << error;
  }
}

struct CharacterCase {
  int key;
  int mods;
  char character;
};

constexpr CharacterCase CHARACTER_CASES[] = {
    {'A', 0, 'a'},          {'A', WINDOW_MOD_SHIFT, 'A'}, {'A', WINDOW_MOD_CTRL, 0},
    {'7', 0, '7'},          {'7', WINDOW_MOD_SHIFT, 0},   {VK_SPACE, 0, ' '},
    {VK_OEM_COMMA, 0, ','}, {VK_NUMPAD0 + 3, 0, '3'},     {VK_RETURN, 0, 0},
    {VK_F1, 0, 0},          {VK_OEM_2, WINDOW_MOD_ALT, 0},
};

TEST(HeadlessScript, KeysTypeTheirCharacterOnlyWithoutCtrlOrAlt) {
  for (const CharacterCase& c : CHARACTER_CASES) {
    SCOPED_TRACE(std::to_string(c.key) + " mods " + std::to_string(c.mods));
    EXPECT_EQ(key_character(c.key, c.mods), c.character);
  }
}

// ---- The runner ---------------------------------------------------------------------------------

class HeadlessRunnerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    out_ = make_test_folder("brenvik-runner");
    // The program runs on a copy of the built program's data files.
    copy_program_data_files(BRENVIK_PROGRAM_DIR, out_ / "program");
  }
  void TearDown() override { fs::remove_all(out_); }

  // Runs the runner on a script; returns its exit code (-1 when it did not exit normally). With
  // a working folder the program runs in it.
  int run(const std::string& script, const std::string& options = "",
          const fs::path& working_folder = {}) {
    const fs::path script_path = out_ / "script.txt";
    std::ofstream(script_path, std::ios::binary) << script;
    const std::string folder = options.find("--folder") == std::string::npos
                                   ? " --folder \"" + (out_ / "program").string() + "\""
                                   : "";
    const std::string cd =
        working_folder.empty() ? "" : "cd \"" + working_folder.string() + "\" && ";
    const std::string command = cd + std::string("\"") + BRENVIK_PROGRAM_DIR + "/brenvik-headless\" " +
                                options + folder + " --out \"" + out_.string() + "\" \"" +
                                script_path.string() + "\" 2>\"" + (out_ / "stderr.txt").string() +
                                "\"";
    const int status = std::system(command.c_str());
    // A wait status: the exit code in the second byte when the process ended by itself.
    if (status == -1 || (status & 0x7F) != 0) return -1;
    return (status >> 8) & 0xFF;
  }

  std::string read(const std::string& name) {
    std::ifstream file(out_ / name, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
  }

  // Line `row` of a dump.
  std::string dump_line(const std::string& name, int row) {
    std::istringstream lines(read(name));
    std::string line;
    for (int r = 0; r <= row && std::getline(lines, line); ++r) {
    }
    return line;
  }

  std::string last_dump_line(const std::string& name) {
    std::istringstream lines(read(name));
    std::string line, last;
    while (std::getline(lines, line))
      if (!line.empty()) last = line;
    return last;
  }

  // A dump without its last two rows, where the mouse legend stands.
  std::string above_legend(const std::string& name) {
    std::string text = read(name);
    for (int k = 0; k < 2 && !text.empty(); ++k) {
      text.pop_back();
      const size_t end = text.rfind('\n');
      text.resize(end == std::string::npos ? 0 : end + 1);
    }
    return text;
  }

  // A dump without the page strip's four rows.
  static std::string below_strip(std::string text) {
    for (int k = 0; k < 4; ++k) text.erase(0, text.find('\n') + 1);
    return text;
  }

  fs::path out_;
};

// Opening the NC page makes the job's program first, and what is typed meanwhile is dropped as
// type-ahead: the scripts wait after the NC tab as a user waits for the page.
// The tabs of a 1024 x 768 screen (menu cells of 10 x 20 pixels): their text runs from x = 140
// on, two cells apart, on a base line at y = 42.
constexpr char PAGE_SWITCHING_SCRIPT[] = R"(# every page by its tab, then quit from the 3-D view
snap drawing
click 180 30
dump job-setup
click 300 30
dump engraving-list
click 650 30
wait 100
dump nc-program
click 760 30
dump utilities
click 760 30
dump utilities-again
click 540 30
dump 3-d-view
close
)";

TEST_F(HeadlessRunnerTest, DrivesThePageLoopThroughThePageTabsAndQuits) {
  ASSERT_EQ(run(PAGE_SWITCHING_SCRIPT), 0) << read("stderr.txt");
  const struct {
    const char* dump;
    const char* page;
  } pages[] = {
      {"drawing.txt", "Drawing"},          {"job-setup.txt", "Job setup"},
      {"engraving-list.txt", "Engraving list"}, {"nc-program.txt", "NC program"},
  };
  // The Utilities page shows its board of buttons (in the menu face) instead of a framed name;
  // its buttons are driven by the e-mail tests. The 3-D view of an empty job has nothing to show
  // and goes back to the page it was chosen from.
  for (const char* dump : {"utilities.txt", "utilities-again.txt", "3-d-view.txt"}) {
    EXPECT_FALSE(read(dump).empty()) << dump;
    EXPECT_EQ(dump_line(dump, 3).find("Utilities"), std::string::npos) << dump;
  }
  for (const auto& p : pages) {
    SCOPED_TRACE(p.dump);
    if (std::string(p.page) == "Drawing") {
      // The Drawing page shows no name: its mouse legend ends the screen, the right button
      // offering the menu of new items.
      EXPECT_NE(last_dump_line(p.dump).find("New Item"), std::string::npos) << read(p.dump);
      continue;
    }
    // The Job setup page shows its settings form, whose first row is the NC format.
    if (std::string(p.page) == "Job setup") {
      EXPECT_NE(dump_line(p.dump, 5).find("NC format (post processor):"), std::string::npos)
          << read(p.dump);
      continue;
    }
    // The frame's line crosses cell 0 (a cell of no glyph); the name stands from cell 2 on.
    const std::string row = dump_line(p.dump, 3);
    EXPECT_EQ(row.rfind(std::string("\xE2\x96\x92 ") + p.page + " ", 0), 0u) << row;
  }
  // The picture is the whole 1024 x 768 screen: PNG's header holds the size big-endian.
  const std::string png = read("drawing.png");
  ASSERT_GE(png.size(), 24u);
  EXPECT_EQ(png.substr(1, 3), "PNG");
  auto be32 = [&](size_t at) {
    return (static_cast<uint8_t>(png[at]) << 24) | (static_cast<uint8_t>(png[at + 1]) << 16) |
           (static_cast<uint8_t>(png[at + 2]) << 8) | static_cast<uint8_t>(png[at + 3]);
  };
  EXPECT_EQ(be32(16), 1024);
  EXPECT_EQ(be32(20), 768);
}

// The title-bar buttons of a 1024 x 768 screen: "^" from x = 2 to 22 and "X" around x = 1004,
// from y = 1, 15 pixels high. The hint box comes 32 pixels below "^", its text one tiny cell in.
constexpr char TITLE_BAR_SCRIPT[] = R"(# rest on the position button, read its hint
move 12 8
wait 1500
expect-text 10 50 tiny Shift position of this program
expect-pixel 4 49 FFFFE6
move 300 300
wait 200
expect-pixel 4 49 F4EEE8
click 190 30
expect 5 2 NC format
click 440 30
move 300 300
wait 100
expect 31 31 New Item
click 1004 8
snap after-the-close-button
)";

// The drawing-tool menu of the Drawing page on a 1024 x 768 screen: a right click at (500, 200)
// opens picture 116 there (4 x 4 cells of 72 pixels); Down, Down, End put the XOR cursor on row
// 2, column 3, whose two inner rings turn the cell's EEEEEE into 111111; Enter binds tool 761 to the
// left button. A second menu binds "Draw points" (row 3, column 1) to the middle button with a
// middle click. The screen comes back as it was; the bindings are saved at the end.
constexpr char PICTURE_MENU_SCRIPT[] = R"(# the drawing-tool menu, by keys and by the middle button
move 500 200
dump before
click 500 200 right
key Down
key Down
key End
snap picture-menu
expect-pixel 740 345 111111
expect-pixel 740 347 EEEEEE
key Enter
dump after
click 500 200 right
click 608 452 middle
dump after-middle
close
)";

TEST_F(HeadlessRunnerTest, TheDrawingToolMenuBindsTheLeftAndMiddleButtons) {
  ASSERT_EQ(run(PICTURE_MENU_SCRIPT), 0) << read("stderr.txt");
  // The screen comes back as it was, but for the legend, which names the new tools, and the
  // polygon tool's "sides" control in the page strip, which the left button's polygon shows.
  EXPECT_EQ(below_strip(above_legend("after.txt")), below_strip(above_legend("before.txt")));
  EXPECT_NE(dump_line("after.txt", 2), dump_line("before.txt", 2));
  EXPECT_EQ(above_legend("after-middle.txt"), above_legend("after.txt"));
  EXPECT_NE(last_dump_line("after.txt").find("polygon"), std::string::npos);
  EXPECT_NE(last_dump_line("after-middle.txt").find("points"), std::string::npos);
  std::filesystem::copy_file(out_ / "picture-menu.png", PICTURE_MENU_PNG,
                             std::filesystem::copy_options::overwrite_existing);
  // The drawing table saved: 0, left 761, right 766, unbound, middle 763.
  const std::string saved = read("program/KR_INIT_t.KR5");
  const char bindings[] = {0, 0, static_cast<char>(0xF9), 2, static_cast<char>(0xFE), 2,
                           static_cast<char>(0xFF), 0x7F, static_cast<char>(0xFB), 2};
  EXPECT_NE(saved.find(std::string(bindings, sizeof bindings)), std::string::npos);
}

// The factory display choice (the largest fixed size) falls back to what the monitor holds: on
// a 1280 x 1024 monitor the screen is 1280 x 1024, on a 1152 x 900 one 1152 x 864.
TEST_F(HeadlessRunnerTest, TheFactoryDisplayModeFallsBackToTheMonitor) {
  const struct {
    const char* screen;
    uint32_t width, height;
  } cases[] = {{"1280x1024", 1280, 1024}, {"1152x900", 1152, 864}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.screen);
    ASSERT_EQ(run("snap screen\nclose\n", std::string("--screen ") + c.screen), 0) << read("stderr.txt");
    const std::string png = read("screen.png");
    ASSERT_GE(png.size(), 24u);
    auto be32 = [&](size_t at) {
      return static_cast<uint32_t>(static_cast<uint8_t>(png[at]) << 24 |
                                   static_cast<uint8_t>(png[at + 1]) << 16 |
                                   static_cast<uint8_t>(png[at + 2]) << 8 |
                                   static_cast<uint8_t>(png[at + 3]));
    };
    EXPECT_EQ(be32(16), c.width);
    EXPECT_EQ(be32(20), c.height);
    std::filesystem::remove(out_ / "program" / "KR_INIT_t.KR5");
  }
}

// The size button "=" on a 1024 x 768 monitor: from the factory mode (the largest that fits,
// 1024 x 768) to a window of 800 x 600, and from there to the whole monitor.
TEST_F(HeadlessRunnerTest, TheSizeButtonTogglesAWindowAndTheWholeMonitor) {
  ASSERT_EQ(run("click 968 8\nwait 200\nsnap small\nclick 763 7\nwait 200\nsnap whole\nclose\n"), 0)
      << read("stderr.txt");
  const struct {
    const char* png;
    int width, height;
  } cases[] = {{"small.png", 800, 600}, {"whole.png", 1024, 768}};
  for (const auto& c : cases) {
    const std::string png = read(c.png);
    ASSERT_GE(png.size(), 24u) << c.png;
    EXPECT_EQ(static_cast<uint8_t>(png[18]) << 8 | static_cast<uint8_t>(png[19]), c.width) << c.png;
    EXPECT_EQ(static_cast<uint8_t>(png[22]) << 8 | static_cast<uint8_t>(png[23]), c.height) << c.png;
  }
}

// A size the user gave the form by hand comes back at the next start, with the page it showed.
TEST_F(HeadlessRunnerTest, ARestartKeepsTheOwnSizeAndThePage) {
  ASSERT_EQ(run("resize 900 700\nwait 100\nclick 190 30\nexpect 3 2 Engraving\nclose\n"), 0)
      << read("stderr.txt");
  ASSERT_EQ(run("snap again\nexpect 3 2 Engraving\nclose\n"), 0) << read("stderr.txt");
  const std::string png = read("again.png");
  ASSERT_GE(png.size(), 24u);
  EXPECT_EQ(static_cast<uint8_t>(png[18]) << 8 | static_cast<uint8_t>(png[19]), 900);
  EXPECT_EQ(static_cast<uint8_t>(png[22]) << 8 | static_cast<uint8_t>(png[23]), 700);
}

TEST_F(HeadlessRunnerTest, TheTitleBarButtonsHintAndTheCloseButtonEndsTheProgram) {
  EXPECT_EQ(run(TITLE_BAR_SCRIPT), 2);  // the program ended at the close button
  const std::string error = read("stderr.txt");
  EXPECT_NE(error.find("before line 16"), std::string::npos) << error;
  EXPECT_EQ(error.find("expected"), std::string::npos) << error;
}

// Over the Drawing page's drawing area the pointer is the crosshair picture; '`' turns it into
// the dotted XOR crosshair (yellow over the drawing's white gives blue), which follows the
// pointer and leaves nothing behind where it was.
constexpr char CROSSHAIR_SCRIPT[] = R"(move 500 400
move 502 400
wait 100
expect-pixel 0 400 FFFFFF
key `
expect-pixel 0 400 0000FF
move 510 410
expect-pixel 0 400 FFFFFF
expect-pixel 0 410 0000FF
expect-pixel 511 300 FFFFFF
snap dotted-crosshair
close
)";

TEST_F(HeadlessRunnerTest, TheDrawingPageShowsTheCrosshairThatFollowsThePointer) {
  EXPECT_EQ(run(CROSSHAIR_SCRIPT), 0);
  const std::string error = read("stderr.txt");
  EXPECT_EQ(error.find("expected"), std::string::npos) << error;
}

TEST_F(HeadlessRunnerTest, AFailedPixelOrTextExpectIsReported) {
  EXPECT_EQ(run("wait 1\nexpect-pixel 4 49 123456\nexpect-text 10 50 tiny Hello\nclose\n"), 4);
  const std::string error = read("stderr.txt");
  EXPECT_NE(error.find("line 2: expected pixel 123456 at 4,49, found F4EEE8"), std::string::npos)
      << error;
  EXPECT_NE(error.find("line 3: expected \"Hello\""), std::string::npos) << error;
}

// The NC program page's first buffer edited with keys: the text typed, a word cut and pasted at
// the end, both undone; then the line copied to the system clipboard and pasted back. It goes
// back to the Drawing page before it quits, so that the page it saves is the one other runs
// start on. End before each look moves the blinking caret off the text.
constexpr char NC_PAGE_EDITING_SCRIPT[] = R"(click 650 30
wait 100
type hello world
key Home
key F6
key Right
key Right
key Right
key Right
key Right
key Ctrl+X
key End
key Ctrl+V
key End
expect 5 2  worldhello
key Ctrl+Z
key Ctrl+Z
key End
expect 5 2 hello world
key Ctrl+Shift+Z
key End
expect 5 2  world
key Ctrl+Z
key Home
key F6
key End
key Ctrl+Shift+C
key End
key Ctrl+Shift+V
key End
expect 5 2 hello worldhello world
click 440 30
move 300 300
wait 100
expect 31 31 New Item
close
)";

TEST_F(HeadlessRunnerTest, TheNcPageEditsItsFirstBuffer) {
  ASSERT_EQ(run(NC_PAGE_EDITING_SCRIPT), 0) << read("stderr.txt");
}

// Selections and the mouse on the NC page: F8 marks a word, Alt+F9 a sentence; a double click
// marks a word and dragging it to the line's end moves it; Ctrl+Z puts it back. Cells are 12 x 20
// pixels at the runner's screen size: the text starts at row 5, column 2.
constexpr char NC_PAGE_SELECTION_SCRIPT[] = R"(click 650 30
type one two. three four.
key Home
key F8
key Ctrl+X
expect 5 2 two. three four.
key End
key Alt+F9
key Ctrl+X
expect 5 2 two.
key Ctrl+Z
key Ctrl+Z
key Home
key F6
key End
key Del
type alpha beta gamma
click 41 110
click 41 110
press 41 110
release 221 110
expect 5 2 beta gammaalpha
key Ctrl+Z
expect 5 2 alpha beta gamma
click 440 30
move 300 300
wait 100
expect 31 31 New Item
close
)";

TEST_F(HeadlessRunnerTest, TheNcPageSelectsAndDragsWithKeysAndTheMouse) {
  ASSERT_EQ(run(NC_PAGE_SELECTION_SCRIPT), 0) << read("stderr.txt");
}

// A damaged tool list is reported in a box that waits for a key; the key closes it and the
// program goes on to its page.
TEST_F(HeadlessRunnerTest, ADamagedToolListIsReportedInABoxThatAKeyCloses) {
  for (const char* name : {"KR_TOOLS.KR4", "KR_TOOLm.KR4"})
    std::ofstream(out_ / "program" / name, std::ios::binary) << "Hello world\r\nnot a tool list";
  ASSERT_EQ(run("dump box\nkey Enter\ndump after\nclose\n"), 0) << read("stderr.txt");
  EXPECT_NE(read("box.txt").find("Tool list file is bad!"), std::string::npos) << read("box.txt");
  EXPECT_EQ(read("after.txt").find("Tool list file is bad!"), std::string::npos);
  EXPECT_NE(last_dump_line("after.txt").find("New Item"), std::string::npos) << read("after.txt");
}

// The Drawing page's File menu opens a job of the working folder: Alt+F, O for "Open a job", the
// job's first letter in the dialog, Enter. The caption then names the job; Esc opens the page's
// main menu and a second Esc closes it, leaving the screen as it was.
constexpr char FILE_MENU_SCRIPT[] = R"(# open a job through the File menu
dump before
key Alt+f
dump file-menu
key Esc
dump after-file-menu
key Alt+f
key o
dump dialog
type s
key Enter
dump opened
key Esc
dump main-menu
key Esc
dump after-main-menu
key Alt+f
key v
dump no-item
key Esc
click 180 30
dump job-setup
close
)";

TEST_F(HeadlessRunnerTest, TheFileMenuOpensAJobOfTheWorkingFolder) {
  reset_layers();
  const fs::path jobs = out_ / "jobs";
  fs::create_directories(jobs);
  const std::vector<uint8_t> job = sample_job_bytes();
  std::ofstream(jobs / "sign.job", std::ios::binary)
      .write(reinterpret_cast<const char*>(job.data()), static_cast<std::streamsize>(job.size()));
  ASSERT_EQ(run(FILE_MENU_SCRIPT, "", jobs), 0) << read("stderr.txt");
  const std::string menu = read("file-menu.txt");
  EXPECT_NE(menu.find("Open a job"), std::string::npos) << menu;
  EXPECT_NE(menu.find("Colours"), std::string::npos) << menu;
  EXPECT_EQ(read("after-file-menu.txt"), read("before.txt")) << "the screen comes back";
  EXPECT_NE(read("dialog.txt").find("sign.job"), std::string::npos) << read("dialog.txt");
  // The opened job's settings reach the Job setup page's form.
  EXPECT_NE(dump_line("job-setup.txt", 5).find("NC format (post processor):"), std::string::npos)
      << read("job-setup.txt");
  EXPECT_NE(read("main-menu.txt").find("Zoom to all"), std::string::npos) << read("main-menu.txt");
  EXPECT_EQ(read("after-main-menu.txt"), read("opened.txt"));
  EXPECT_EQ(read("no-item.txt").find("Dont have option"), std::string::npos)
      << "a letter no item has chooses nothing";
}

// The File menu's "Caret and cursor" opens the interface settings form; the help key there shows
// the current field's help in a box that a key closes, the form as it was under it.
constexpr char FORM_HELP_SCRIPT[] = R"(# the interface settings form and its help
key Alt+f
key c
dump form
key Ctrl+F1
dump help
key Enter
dump after-help
key Esc
dump closed
close
)";

TEST_F(HeadlessRunnerTest, TheFileMenuOpensTheInterfaceSettingsWhoseHelpKeyShowsTheFieldsHelp) {
  ASSERT_EQ(run(FORM_HELP_SCRIPT), 0) << read("stderr.txt");
  const std::string form = read("form.txt");
  EXPECT_NE(form.find("Drawing view delay"), std::string::npos) << form;
  const std::string help = read("help.txt");
  EXPECT_NE(help.find("How long the drawing views wait"), std::string::npos) << help;
  EXPECT_EQ(form.find("How long the drawing views wait, in ticks"), std::string::npos);
  EXPECT_EQ(read("after-help.txt"), form) << "the box leaves the form as it was";
  EXPECT_EQ(read("closed.txt").find("Drawing view delay"), std::string::npos) << read("closed.txt");
}

TEST_F(HeadlessRunnerTest, AResizedWindowIsDrawnAgainAtItsNewSize) {
  // The drawing area is white at its new size.
  ASSERT_EQ(run("resize 800 600\nsnap small\nexpect-pixel 100 400 FFFFFF\nexpect-pixel 560 400 FFFFFF\n"
                "close\n"),
            0)
      << read("stderr.txt");
  const std::string png = read("small.png");
  ASSERT_GE(png.size(), 24u);
  EXPECT_EQ(static_cast<uint8_t>(png[18]) * 256 + static_cast<uint8_t>(png[19]), 800);
  EXPECT_EQ(static_cast<uint8_t>(png[22]) * 256 + static_cast<uint8_t>(png[23]), 600);
}

TEST_F(HeadlessRunnerTest, AScriptThatEndsWithoutQuittingClosesTheProgram) {
  EXPECT_EQ(run("wait 200\n"), 0) << read("stderr.txt");
}

TEST_F(HeadlessRunnerTest, AFailedExpectIsReportedWithItsLine) {
  EXPECT_EQ(run("wait 1\nexpect 3 2 Job setup\nclose\n"), 4);
  const std::string error = read("stderr.txt");
  EXPECT_NE(error.find("line 2"), std::string::npos) << error;
  EXPECT_NE(error.find("expected \"Job setup\" at row 3, column 2, found"), std::string::npos)
      << error;
}

TEST_F(HeadlessRunnerTest, AProgramThatEndsBeforeTheScriptIsReported) {
  EXPECT_EQ(run("close\nwait 100\nsnap late\n"), 2);
  EXPECT_NE(read("stderr.txt").find("before line 2"), std::string::npos);
  EXPECT_FALSE(fs::exists(out_ / "late.txt"));
}

TEST_F(HeadlessRunnerTest, AProgramFolderWithoutItsFilesEndsAtOnce) {
  fs::create_directories(out_ / "empty");
  EXPECT_EQ(run("snap never\n", "--folder \"" + (out_ / "empty").string() + "\""), 2);
  EXPECT_NE(read("stderr.txt").find("Something is wrong."), std::string::npos);
}

TEST_F(HeadlessRunnerTest, ABadScriptRunsNothing) {
  EXPECT_EQ(run("snap first\nwiggle\n"), 1);
  EXPECT_NE(read("stderr.txt").find("line 2: unknown command"), std::string::npos);
  EXPECT_FALSE(fs::exists(out_ / "first.txt"));
}

// ---- The NC page's editing buffers: a file opened, edited and saved -----------------------------

// A program with CR LF line ends, control bytes, a NUL, a byte above 0x7F and no final line end:
// a save must give back every byte it did not change.
constexpr char NC_FILE_RAW[] = "G0 X1 Y2\r\nG1 Z-1\r\n(\x01\x7f\xe9\x00)\r\nM30";
const std::string NC_FILE_BYTES(NC_FILE_RAW, sizeof NC_FILE_RAW - 1);

// Opens part.nc of the working folder in a new buffer on the NC page and adds " F100" to its
// first line (the caret, blinking, goes to the line's end before the line is read).
constexpr char OPEN_AND_EDIT_SCRIPT[] = R"(click 650 30
wait 100
key Ctrl+O
wait 100
type part.nc
key Enter
wait 100
key End
expect 5 2 G0 X1 Y2
type  F100
)";

class NcEditorScriptTest : public HeadlessRunnerTest {
 protected:
  void SetUp() override {
    HeadlessRunnerTest::SetUp();
    // The open dialog starts in the editor's folder of the preferences, which is the data
    // folder until the user sets another: the files lie there.
    work_ = out_ / "program";
    fs::create_directories(work_);
    std::ofstream(work_ / "part.nc", std::ios::binary) << NC_FILE_BYTES;
  }
  std::string file(const char* name) {
    std::ifstream in(work_ / name, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
  }
  fs::path work_;
};

TEST_F(NcEditorScriptTest, ASaveKeepsThePreviousVersionAsBakByteForByte) {
  const std::string script = std::string(OPEN_AND_EDIT_SCRIPT) +
                             "key Ctrl+S\nwait 300\n"
                             // A second edit and save: the backup is then the first save.
                             "key Down\nkey End\ntype  ;2\nkey Ctrl+S\nwait 300\n"
                             "expect 5 2 G0 X1 Y2 F100\nexpect 6 2 G1 Z-1 ;2\n"
                             // Nothing is left to save: the quit asks nothing.
                             "click 440 30\nclose\n";
  ASSERT_EQ(run(script, "", work_), 0) << read("stderr.txt");
  std::string first = NC_FILE_BYTES;
  first.insert(8, " F100");
  std::string second = first;
  second.insert(first.find("\r\n", 15), " ;2");
  EXPECT_EQ(file("part.nc"), second);
  EXPECT_EQ(file("part.BAK"), first);
  EXPECT_FALSE(fs::exists(work_ / "SAVEFILE.TMP"));
}

TEST_F(NcEditorScriptTest, AFailedSaveLosesNothingAndTheQuitAsksAboutTheChanges) {
  // A backup that is a folder: the old file cannot become the backup.
  fs::create_directories(work_ / "part.BAK");
  std::ofstream(work_ / "part.BAK" / "kept.txt", std::ios::binary) << "kept";
  const std::string script = std::string(OPEN_AND_EDIT_SCRIPT) +
                             "key Ctrl+S\nwait 300\ndump failed\nkey Enter\nwait 300\n"
                             // The quit asks; Esc stays with the edit still in the buffer.
                             "close\nwait 1000\ndump asked\nkey Esc\nwait 300\n"
                             "expect 5 2 G0 X1 Y2 F100\n"
                             // Asked again, the changes are discarded and the program ends.
                             "close\nwait 1000\nkey d\n";
  ASSERT_EQ(run(script, "", work_), 0) << read("stderr.txt");
  EXPECT_NE(read("failed.txt").find("not saved"), std::string::npos) << read("failed.txt");
  EXPECT_NE(read("asked.txt").find("Save them?"), std::string::npos) << read("asked.txt");
  EXPECT_EQ(file("part.nc"), NC_FILE_BYTES);
  EXPECT_TRUE(fs::is_directory(work_ / "part.BAK"));
  EXPECT_EQ(file("part.BAK/kept.txt"), "kept");
  EXPECT_FALSE(fs::exists(work_ / "SAVEFILE.TMP"));
}

// Ctrl+R replaces with the form: the find text, Enter, the replacement, Enter; the question
// answered All replaces both matches. Ctrl+F then lists both texts, newest first, on Right.
constexpr char REPLACE_SCRIPT[] = R"(click 650 30
wait 100
type alpha beta alpha
key Home
key Ctrl+R
wait 100
type alpha
key Enter
type gamma
key Enter
wait 300
dump question
key a
wait 300
dump report
key Enter
wait 300
expect 5 2 gamma beta gamma
key Ctrl+F
wait 100
key Right
wait 300
dump history
key Down
key Enter
wait 300
dump picked
key Esc
wait 300
expect 5 2 gamma beta gamma
click 440 30
close
wait 1000
key d
)";

TEST_F(NcEditorScriptTest, TheReplaceFormReplacesEveryMatchAndKeepsTheTextsInItsHistory) {
  ASSERT_EQ(run(REPLACE_SCRIPT, "", work_), 0) << read("stderr.txt");
  EXPECT_NE(read("question.txt").find("Replace ?"), std::string::npos) << read("question.txt");
  EXPECT_NE(read("report.txt").find("Total replacements: 2"), std::string::npos)
      << read("report.txt");
  // The history: the replacement above the text it replaced.
  const std::string history = read("history.txt");
  const size_t gamma = history.find("gamma  ");
  const size_t alpha = history.find("alpha  ");
  ASSERT_NE(gamma, std::string::npos) << history;
  ASSERT_NE(alpha, std::string::npos) << history;
  EXPECT_LT(gamma, alpha) << history;
  EXPECT_NE(read("picked.txt").find(": alpha"), std::string::npos) << read("picked.txt");
}

// Searching every buffer: X1 stands only in the first file; searched from the second, the
// first becomes the active buffer with the match. Without the option nothing is found.
TEST_F(NcEditorScriptTest, ASearchOfEveryBufferGoesOnIntoTheNextOne) {
  std::ofstream(work_ / "a.nc", std::ios::binary) << "G0 X1\nG0 Y5\n";
  std::ofstream(work_ / "b.nc", std::ios::binary) << "G1 Y2\nM30\n";
  const std::string open = "click 650 30\nwait 100\nkey Ctrl+O\nwait 100\ntype a.nc\nkey Enter\nwait 100\n"
                           "key Ctrl+O\nwait 100\ntype b.nc\nkey Enter\nwait 100\n"
                           "key End\nexpect 5 2 G1 Y2\n";
  // Only this buffer: not found, the buffer stays. (The blinking caret is sent to the line's end
  // before a line is read.)
  const std::string here = "key Ctrl+F\nwait 100\ntype X1\nkey Enter\nwait 300\ndump alone\n"
                           "key Enter\nwait 300\nkey End\nexpect 5 2 G1 Y2\n";
  // Every buffer: the third option row set, back up to the text, Enter.
  const std::string every = "key Ctrl+F\nwait 100\nkey Down\nkey Down\nkey Down\nkey y\n"
                            "key Up\nkey Up\nkey Up\nkey Enter\nkey Enter\nwait 300\n"
                            "key End\nexpect 5 2 G0 X1\nclick 440 30\nclose\n";
  ASSERT_EQ(run(open + here + every, "", work_), 0) << read("stderr.txt");
  EXPECT_NE(read("alone.txt").find("Couldn't find"), std::string::npos) << read("alone.txt");
}

}  // namespace
