// Find and replace: the search engine's pattern cases as a table, replacements, and a match on
// the last line of a file loaded in part.
#include <filesystem>
#include <string>

#include "screen/tick_clock.h"
#include "store/line_fold.h"
#include "tests/support/test_folder.h"
#include "tests/ui/editor_fixture.h"
#include "ui/find_dialog.h"
#include "ui/find_replace.h"

namespace {

using Lines = std::vector<std::string>;

class FindTest : public EditorTest {
 protected:
  void SetUp() override {
    EditorTest::SetUp();
    reset_find_state();
    reset_fold_state();
    pump_set_idle_handler([] {
      headless_inject_keystroke(VK_ESCAPE, 0);
      return true;
    });
  }
  void TearDown() override {
    pump_set_idle_handler(nullptr);
    EditorTest::TearDown();
  }
  // Finds the pattern in the lines from (line, column); "" when not found, else
  // "line:start-end".
  std::string find(const Lines& lines, const std::string& pattern, uint16_t flags, int line = 0,
                   int column = 0) {
    TextLine* node = make_editor(lines);
    activate_window(node);
    g_search.pattern = pattern;
    g_search.flags = flags;
    const int result = find_replace(nth_line(line), column);
    std::string where;
    if (result == 1) {
      int n = 0;
      for (TextLine* l = g_lists.current.first; l != g_search.match_line; l = l->next) ++n;
      where = std::to_string(n) + ":" + std::to_string(g_search.match_column) + "-";
      if (g_search.match_end_line != g_search.match_line) {
        int m = 0;
        for (TextLine* l = g_lists.current.first; l != g_search.match_end_line; l = l->next) ++m;
        where += std::to_string(m) + ":";
      }
      where += std::to_string(g_search.match_end);
    }
    store_window_state();
    destroy(node);
    return where;
  }
};

TEST_F(FindTest, PatternCases) {
  struct Case {
    const char* name;
    Lines lines;
    std::string pattern;
    uint16_t flags;
    std::string expected;
  };
  const Case cases[] = {
      {"plain", {"G0 X1\n", "G1 X20 Y3\n"}, "X20", 0, "1:3-6"},
      {"any case", {"g1 x20\n"}, "X20", 0, "0:3-6"},
      {"case counts", {"g1 x20 X20\n"}, "X20", FIND_CASE, "0:7-10"},
      {"not there", {"G0 X1\n"}, "Y", 0, ""},
      {"from a column", {"ab ab\n"}, "ab", 0, "0:3-5"},
      {"whole words", {"rotate rot\n"}, "rot", FIND_WHOLE_WORDS, "0:7-10"},
      {"whole words dropped for a '.'", {"x1.5\n"}, "1.5", FIND_WHOLE_WORDS, "0:1-4"},
      {"? then x stops at the first x", {"Xab1 cX\n"}, "X?X", 0, ""},
      {"? then x within a word", {"N10 G1X5X\n"}, "G?X", 0, "0:4-7"},
      {"? before a blank runs to it", {"T1 M6 tool\n"}, "M? ", 0, "0:3-6"},
      {"? at the end takes one more", {"F100\n"}, "F1?", 0, "0:0-3"},
      {"? first is ignored", {"ab\n"}, "?b", 0, "0:1-2"},
      {"a control byte as a glyph pair", {std::string("a\x08\x21z\n")}, std::string("\0z", 2), 0, "0:1-4"},
      {"across a line end", {"G0 X1\n", "G1 X2\n"}, "X1\nG1", 0, "0:3-1:2"},
      {"not across in one-line mode", {"G0 X1\n", "G1 X2\n"}, "X1\nG1", FIND_ONE_LINE, ""},
      {"? before a blank runs over a line end", {"M6\n", "T1 X\n"}, "M? ", 0, "0:0-1:3"},
      {"? before a blank keeps to one line", {"M6\n", "T1 X\n"}, "M? ", FIND_ONE_LINE, ""},
      {"whole words across a line end", {"an end\n", "less\n"}, "end\nless", FIND_WHOLE_WORDS,
       "0:3-1:4"},
      {"far out on a long line", {std::string(20000, 'a') + "XYZ\n"}, "xyz", 0, "0:20000-20003"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const int column = std::string(c.name) == "from a column" ? 1 : 0;
    EXPECT_EQ(find(c.lines, c.pattern, c.flags, 0, column), c.expected);
  }
}

TEST_F(FindTest, InTheMarkedBlockOnly) {
  TextLine* node = make_editor({"x1\n", "x2\n", "x3\n", "x4\n"});
  activate_window(node);
  g_lists.block_start = nth_line(1);
  g_lists.block_end = nth_line(2);
  g_windows.active->block_start_column = 1;
  g_windows.active->block_end_column = 1;
  g_search.pattern = "x";
  g_search.flags = FIND_IN_BLOCK | FIND_KEEP_BLOCK;
  ASSERT_EQ(find_replace(nullptr, 0), 1);
  EXPECT_EQ(g_search.match_line, nth_line(2));  // x2 lies before the block's start column
  EXPECT_EQ(find_replace(nth_line(2), 1), 0);   // x4 is beyond it
  store_window_state();
}

TEST_F(FindTest, ReplacementsKeepTheRestOfTheLine) {
  TextLine* node = make_editor({"G1 X1 Y1\n", "G1 X2\n"});
  activate_window(node);
  g_search.pattern = "X";
  g_search.replacement = "U";
  g_search.flags = FIND_REPLACE;
  g_search.ask_each = 0;
  g_run.replaying = 0;  // as inside the run loop
  EXPECT_EQ(find_replace(g_lists.current.first, 0), 2);
  EXPECT_EQ(find_replace(g_lists.cursor_line, g_windows.active->text_column), 2);
  EXPECT_EQ(find_replace(g_lists.cursor_line, g_windows.active->text_column), 0);
  store_window_state();
  EXPECT_EQ(lines_of(node), (Lines{"G1 U1 Y1\n", "G1 U2\n"}));
  EXPECT_NE(window_of(node)->flags & WINDOW_CHANGED, 0u);
  // A replacement with a newline makes two lines of one.
  activate_window(node);
  g_search.pattern = "Y1";
  g_search.replacement = "Y1\nM30";
  EXPECT_EQ(find_replace(g_lists.current.first, 0), 2);
  store_window_state();
  EXPECT_EQ(joined(node), "G1 U1 Y1\nM30\nG1 U2\n");
}

// A match over a line end is replaced whole: the lines it ran over go, the rest joins.
TEST_F(FindTest, AReplacementAcrossALineEndJoinsTheRest) {
  TextLine* node = make_editor({"G1 X1 (a\n", "b\n", "c) Y2\n", "M30\n"});
  activate_window(node);
  g_search.pattern = "(a\nb\nc)";
  g_search.replacement = "";
  g_search.flags = FIND_REPLACE;
  g_search.ask_each = 0;
  g_run.replaying = 0;
  EXPECT_EQ(find_replace(g_lists.current.first, 0), 2);
  store_window_state();
  EXPECT_EQ(lines_of(node), (Lines{"G1 X1  Y2\n", "M30\n"}));
  destroy(node);
}

// A long search looks at the input every thousand lines: Esc stops it, other keys stay queued;
// once a second has passed it shows how far it got.
TEST_F(FindTest, ALongSearchCountsAndStopsOnEsc) {
  Lines lines;
  for (int k = 0; k < 3500; ++k) lines.push_back("N" + std::to_string(k) + " G1 X1\n");
  lines.push_back("ENDMARK\n");
  TextLine* node = make_editor(lines);
  activate_window(node);
  g_search.pattern = "ENDMARK";
  g_search.flags = 0;
  flush_input();
  push_input_code('x');
  EXPECT_EQ(find_replace(g_lists.current.first, 0), 1);  // a key that is not Esc goes on
  EXPECT_EQ(poll_input_code(0), 'x');
  flush_input();
  push_input_code(KEY_ESC);
  push_input_code('y');
  EXPECT_EQ(find_replace(g_lists.current.first, 0), 0);
  EXPECT_EQ(poll_input_code(0), 'y');
  flush_input();
  g_clock.seconds = 1;  // a second has passed: the count shows at the next thousand lines
  g_search.pattern = "NOT THERE";
  EXPECT_EQ(find_replace(g_lists.current.first, 0), 0);
  bool counted = false;
  for (int row = 0; row <= g_display.current.last_row; ++row)
    counted |= row_text(row, 0, g_display.current.last_column + 1).find("1000 lines searched.") !=
               std::string::npos;
  EXPECT_TRUE(counted);
  EXPECT_EQ(g_clock.seconds, 0);  // the next count waits for the next second
  store_window_state();
  destroy(node);
}

// A find through the run loop shows the found text by bars XORed over its cells, one per row it
// covers, and the run loop leaves them standing; the screen is the window drawn plainly with
// exactly those bars over it. A match that runs on below the window is not marked at all.
TEST_F(FindTest, TheFoundTextIsShownByBarsOverItsCells) {
  struct Bar {
    int line;  // the bar's row counted from the match's first row
    int from;  // its columns, from inclusive, to exclusive
    int to;
  };
  struct Case {
    const char* name;
    Lines lines;
    std::string pattern;
    int rows;
    std::vector<Bar> bars;  // none: the match is not marked
  };
  const Case cases[] = {
      {"one line", {"G0 X1 Y2\n", "G1 X20\n", "M30\n"}, "X20", 10, {{0, 3, 6}}},
      // The first row's bar takes in the line end's cell.
      {"across a line end", {"G0 X1 Y2\n", "G1 X20\n", "M30\n"}, "Y2\nG1", 10,
       {{0, 6, 9}, {1, 0, 2}}},
      {"over three rows", {"(a\n", "b\n", "c) M30\n"}, "(a\nb\nc)", 10,
       {{0, 0, 3}, {1, 0, 2}, {2, 0, 2}}},
      // Tab stops every 6 columns: the tab takes columns 1 to 5.
      {"a tab widens its bar", {"A\tB C\n"}, "A\tB", 10, {{0, 0, 7}}},
      {"below the window's last row", {"(a\n", "b\n", "c)\n"}, "(a\nb\nc)", 2, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TextLine* node = make_editor(c.lines, EDITOR_FLAGS, "X.NC", 250, c.rows);
    g_search.pattern = c.pattern;
    g_search.flags = 0;
    g_find.search_text.clear();
    run(node, {WINDOW_FIND_FROM_TOP}, 0, 0);
    const std::vector<uint32_t> shown = screen().pixels;
    const TextWindow* w = window_of(node);
    EXPECT_EQ(w->block_start != nullptr, !c.bars.empty());
    // The window drawn again as it stands, the expected bars laid over it.
    activate_window(node);
    g_run.block_kept = 0;  // as the find left it: the found text is an unkept block
    request_full_redraw();
    redraw_window_lines();
    const int first_row = w->top_row + w->cursor_row;
    for (const Bar& bar : c.bars)
      fill_row_span(first_row + bar.line, w->left_column + bar.from, bar.to - bar.from,
                    FOUND_TEXT_COLOUR);
    EXPECT_TRUE(shown == screen().pixels);
    store_window_state();
    destroy(node);
  }
}

TEST_F(FindTest, AMatchOnTheLastLineOfAFileLoadedInPart) {
  const auto folder = make_test_folder("find");
  const std::string path = (folder / "big.nc").string();
  std::string bytes;
  for (int k = 0; k < 5000; ++k) bytes += "N" + std::to_string(k) + " G1 X1\r\n";
  bytes += "M30 ENDMARK\r\n";
  write_file_bytes(path, bytes);
  editing_window_size();
  ASSERT_EQ(open_in_buffer(path.c_str(), editor_script_filter, draw_window_line, EDITOR_FLAGS,
                           OPEN_NAMED_FILE), 0);
  TextLine* node = g_windows.active_node;
  bool unread = false;
  for (TextLine* l = g_lists.current.first; l != nullptr; l = l->next) unread |= is_unread_placeholder(l);
  ASSERT_TRUE(unread);
  // The middle word: the search reads the unread text on its way.
  g_search.pattern = "N2500 ";
  g_search.flags = 0;
  ASSERT_EQ(find_replace(g_lists.current.first, 0), 1);
  EXPECT_EQ(g_lists.cursor_line->text, "N2500 G1 X1\n");
  g_search.pattern = "ENDMARK";
  ASSERT_EQ(find_replace(g_lists.current.first, 0), 1);
  EXPECT_EQ(g_lists.cursor_line->text, "M30 ENDMARK\n");
  store_window_state();
  g_buffers.buffer_list = nullptr;
  destroy_window(node);
  std::filesystem::remove_all(folder);
}

// The history as the preferences file hands it over: empty texts dropped, each cut to what the
// find text holds, at most as many as the file keeps; handed back as it stands.
TEST_F(FindTest, TheHistoryTakenFromThePreferencesIsKeptInBounds) {
  std::vector<std::string> texts = {"", std::string(70, 'x')};
  for (int k = 0; k < 20; ++k) texts.push_back("t" + std::to_string(k));
  set_find_history(texts);
  const std::vector<std::string> kept = find_history();
  ASSERT_EQ(kept.size(), FIND_HISTORY_MOST);
  EXPECT_EQ(kept[0], std::string(FIND_TEXT_MAX, 'x'));
  EXPECT_EQ(kept[1], "t0");
  EXPECT_EQ(kept.back(), "t12");
  reset_find_form();
  EXPECT_TRUE(find_history().empty());
}

// The type-ahead search of a list: t goes to the first line holding t, ti to the first holding
// ti, Backspace back to t; Enter accepts the line under the cursor. A hot letter accepts its
// line at once; a list that hands letters to its caller gets them as they are.
TEST_F(FindTest, AListIsSearchedAsTheUserTypes) {
  pump_set_idle_handler(nullptr);
  reset_list_search();
  const Lines fonts{"Arial\n", "Stencil\n", "Optima\n", "\vZ\x13" "ebra\n"};
  struct Case {
    const char* typed;
    const char* accepted;  // the cursor line's text when the list ends
  };
  const Case cases[] = {
      {"t\r", "Stencil\n"},
      {"ti\r", "Optima\n"},
      {"ti\b\r", "Stencil\n"},
      {"TI\r", "Optima\n"},       // any case
      {"q\r", "Arial\n"},         // nothing holds q: the cursor stays
      {"a\rz", "Arial\n"},        // the first line holds a
      {"z", "\vZ\x13" "ebra\n"},  // a hot letter accepts at once
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.typed);
    TextLine* node = make_editor(fonts, 0x80011);
    window_of(node)->key_filter = list_search_key_filter;
    for (const char* p = c.typed; *p != 0; ++p) push_input_code(static_cast<unsigned char>(*p));
    push_input_code(KEY_ESC);
    run_window(node);
    EXPECT_EQ(g_lists.cursor_line != nullptr ? g_lists.cursor_line->text : "", c.accepted);
    flush_input();
    store_window_state();
    destroy(node);
  }
  TextLine* node = make_editor(fonts, 0x80011 | WINDOW_LETTERS_TO_CALLER);
  activate_window(node);
  push_input_code('t');
  EXPECT_EQ(list_search_key_filter(), 't');
  store_window_state();
  destroy(node);
}

}  // namespace
