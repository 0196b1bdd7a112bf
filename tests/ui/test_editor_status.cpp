// The editing buffers' status line: its text for the caret's column, the buffer's marks, the code
// under the caret and the marked block; and the editor's wait.
#include <string>
#include <vector>

#include "tests/ui/editor_fixture.h"
#include "ui/editor_status.h"

namespace {

class EditorStatusTest : public EditorTest {};

struct StatusCase {
  const char* name;
  std::string line;         // the cursor line's text
  int column;               // the caret's text column (the lines are plain: the same on screen)
  int scroll;               // horizontal scroll
  uint32_t flags;           // window flags added
  int block_from, block_to; // the block's columns on the cursor line; -1: none; -2: over lines
  const char* expected;
};

TEST_F(EditorStatusTest, TheTextShowsColumnMarksCodeAndBlock) {
  const StatusCase cases[] = {
      {"plain", "G0 X1\n", 0, 0, 0, -1, -1, "  1   \b\" ( 71) \v               "},
      {"scrolled and wrapping", "G0 X1\n", 2, 10, WINDOW_WORD_WRAP, -1, -1,
       " 13 W \b\" ( 32) \v               "},
      {"changed", "G0 X1\n", 1, 0, WINDOW_CHANGED, -1, -1, "  2   \b& ( 48) \v               "},
      {"at the line end", "G0\n", 2, 0, 0, -1, -1, "  3   \b\" (   ) \v               "},
      {"a glyph pair", std::string("a\bBc\n"), 1, 0, 0, -1, -1,
       "  2   \b\" ( 33) \v               "},
      {"a colour code", std::string("\vxy\n"), 0, 0, 0, -1, -1,
       "  1   \b\" (120) \v               "},
      {"a colour code shown raw", std::string("\vxy\n"), 0, 0, WINDOW_SHOW_CONTROL_CODES, -1, -1,
       "  1   \b\" ( 11) \v               "},
      {"a block in the line", "G0 X1\n", 0, 0, 0, 1, 4, "  1   \b\" ( 71) \v 3C      BLOCK "},
      {"a block over lines", "G0 X1\n", 0, 0, 0, -2, -2, "  1   \b\" ( 71) \v 3R      BLOCK "},
  };
  for (const StatusCase& c : cases) {
    SCOPED_TRACE(c.name);
    TextLine* node = make_editor({c.line, "second\n", "third\n"});
    activate_window(node);
    TextWindow* w = window_of(node);
    w->flags |= c.flags;
    w->text_column = static_cast<int16_t>(c.column);
    w->cursor_column = static_cast<int16_t>(c.column);
    w->horizontal_scroll = static_cast<int16_t>(c.scroll);
    TextLine* first = g_lists.current.first;
    TextLine* start = nullptr;
    TextLine* end = nullptr;
    if (c.block_from >= 0) {
      start = end = first;
      w->block_start_column = static_cast<int16_t>(c.block_from);
      w->block_end_column = static_cast<int16_t>(c.block_to);
    } else if (c.block_from == -2) {
      start = first->next->next;  // marked upwards: the walk goes either way
      end = first;
    }
    EXPECT_EQ(editor_status_text(*w, first, start, end), c.expected);
    store_window_state();
    destroy(node);
  }
}

// The wait gives an empty buffer a line to stand on; a read-only buffer keeps its changed mark
// while a key is queued.
TEST_F(EditorStatusTest, TheWaitGivesAnEmptyBufferALine) {
  TextLine* node = make_editor({});
  activate_window(node);
  TextWindow* w = window_of(node);
  w->flags |= WINDOW_READ_ONLY | WINDOW_CHANGED;
  push_input_code('k');
  EXPECT_EQ(wait_editor_event(), 'k');
  ASSERT_NE(g_lists.current.first, nullptr);
  EXPECT_EQ(g_lists.current.first->text, "");
  EXPECT_NE(w->flags & WINDOW_CHANGED, 0u) << "a key was queued: the mark stays";
  store_window_state();
}

}  // namespace
