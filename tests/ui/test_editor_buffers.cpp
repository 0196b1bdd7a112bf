// Editing buffers on the headless screen: the halves of the editing area, Ctrl+F2 and the split
// screen, F1 and F2 over the buffers, closing buffers (nothing changed is ever closed unsaved),
// finding a buffer by its file, the line numbers, go to line and the line counter.
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "platform/files.h"
#include "store/catalogue.h"
#include "store/file_reader.h"
#include "tests/support/idle_typist.h"
#include "tests/support/test_folder.h"
#include "tests/ui/editor_fixture.h"
#include "ui/buffer_windows.h"
#include "ui/line_numbers.h"
#include "ui/text_files.h"

namespace {

using Lines = std::vector<std::string>;

class BufferTest : public EditorTest {
 protected:
  void SetUp() override {
    EditorTest::SetUp();
    // 640 x 480 in the normal face: the editing area is rows 5-31, columns 2-59.
    editing_window_size();
  }

  void TearDown() override {
    while (g_buffers.buffer_list != nullptr) {
      TextLine* head = list_head_of(g_buffers.buffer_list);
      for (TextLine* n = head; n != nullptr; n = n->next)
        n->kind &= static_cast<uint8_t>(~LINE_KIND_HIDDEN);
      g_buffers.buffer_list = head->next;
      destroy_window(head);
    }
    EditorTest::TearDown();
  }

  // A new editing buffer holding the lines, made as the program makes buffers; left active.
  TextLine* make_buffer(const Lines& lines, uint32_t flags = EDITOR_FLAGS | WINDOW_WORD_WRAP) {
    EXPECT_EQ(open_in_buffer(nullptr, editor_script_filter, draw_window_line, flags, 0), 0);
    TextLine* node = g_windows.active_node;
    for (const std::string& text : lines) {
      TextLine* line = append_line(text.c_str());
      line->kind |= LINE_KIND_PARAGRAPH;
    }
    g_lists.cursor_line = g_lists.current.first;
    store_window_state();
    window_of(node)->wrap_width = static_cast<int16_t>(window_of(node)->right_column -
                                                       window_of(node)->left_column - 2);
    return node;
  }

  static std::vector<TextLine*> buffers() {
    std::vector<TextLine*> nodes;
    if (g_buffers.buffer_list == nullptr) return nodes;
    for (TextLine* n = list_head_of(g_buffers.buffer_list); n != nullptr; n = n->next)
      nodes.push_back(n);
    return nodes;
  }

  struct Rect {
    int top, left, bottom, right;
    bool operator==(const Rect&) const = default;
  };
  static Rect rect_of(TextLine* node) {
    const TextWindow* w = window_of(node);
    return {w->top_row, w->left_column, w->bottom_row, w->right_column};
  }
};

TEST_F(BufferTest, HalvesOfTheEditingAreaKeepTheCaretInside) {
  struct Case {
    const char* name;
    void (*place)();
    Rect rect;
  };
  const Case cases[] = {
      {"top", place_in_top_half, {5, 2, 16, 59}},
      {"bottom", place_in_bottom_half, {19, 2, 31, 59}},
      {"left", place_in_left_half, {5, 2, 31, 28}},
      {"right", place_in_right_half, {5, 32, 31, 59}},
      {"full", place_in_full_area, {5, 2, 31, 59}},
  };
  Lines lines;
  for (int i = 0; i < 40; ++i) lines.push_back("line " + std::to_string(i) + std::string(50, 'x') + "\n");
  TextLine* node = make_buffer(lines);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    activate_window(node);
    place_in_full_area();
    // The caret far down and far right: on line 20, on its 45th character.
    g_lists.cursor_line = line_at(node, 20);
    TextWindow* w = window_of(node);
    w->cursor_row = 20;
    w->text_column = 45;
    w->horizontal_scroll = 0;
    screen_column_from_text();
    c.place();
    const Rect expected = c.rect;
    EXPECT_EQ(rect_of(node), expected);
    EXPECT_EQ(w->rows, expected.bottom - expected.top + 1);
    EXPECT_EQ(w->columns, expected.right - expected.left + 1);
    EXPECT_LT(w->cursor_row, w->rows);
    EXPECT_LT(w->cursor_column, w->columns);
    // The caret stays on its character whatever the half.
    EXPECT_EQ(g_lists.cursor_line, line_at(node, 20));
    EXPECT_EQ(w->text_column, 45);
    EXPECT_EQ(w->cursor_column + w->horizontal_scroll, 45);
  }
}

TEST_F(BufferTest, CtrlF2CyclesTheArrangementsAndShowsBothBuffers) {
  TextLine* a = make_buffer({"alpha text\n"});
  TextLine* b = make_buffer({"bravo text\n"});
  activate_window(a);
  // Above each other.
  run(a, {KEY_CTRL_F2});
  EXPECT_EQ(g_buffers.arrangement, 1);
  EXPECT_NE(g_buffer_windows.two_shown, 0);
  EXPECT_EQ(rect_of(a), (Rect{5, 2, 16, 59}));
  EXPECT_EQ(rect_of(b), (Rect{19, 2, 31, 59}));
  EXPECT_EQ(row_text(5, 2, 10), "alpha text");
  EXPECT_EQ(row_text(19, 2, 10), "bravo text");
  // Side by side: the words wrap to the narrower halves and both stay whole.
  run(a, {KEY_CTRL_F2});
  EXPECT_EQ(g_buffers.arrangement, 2);
  EXPECT_EQ(rect_of(a), (Rect{5, 2, 31, 28}));
  EXPECT_EQ(rect_of(b), (Rect{5, 32, 31, 59}));
  EXPECT_EQ(row_text(5, 2, 10), "alpha text");
  EXPECT_EQ(row_text(5, 32, 10), "bravo text");
  EXPECT_EQ(joined(a), "alpha text\n");
  EXPECT_EQ(joined(b), "bravo text\n");
  // One buffer again over the whole area.
  run(a, {KEY_CTRL_F2});
  EXPECT_EQ(g_buffers.arrangement, 0);
  EXPECT_EQ(g_buffer_windows.two_shown, 0);
  EXPECT_EQ(rect_of(a), (Rect{5, 2, 31, 59}));
  EXPECT_EQ(rect_of(b), (Rect{5, 2, 31, 59}));
}

TEST_F(BufferTest, CtrlF2WithOneBufferChangesNothing) {
  TextLine* a = make_buffer({"only\n"});
  run(a, {KEY_CTRL_F2});
  EXPECT_EQ(g_buffers.arrangement, 0);
  EXPECT_EQ(rect_of(a), (Rect{5, 2, 31, 59}));
}

TEST_F(BufferTest, ClosingAllBuffersOfASplitLeavesOneEmptyBufferOverTheArea) {
  TextLine* a = make_buffer({"alpha\n"});
  make_buffer({"bravo\n"});
  activate_window(a);
  g_buffers.arrangement = 2;
  split_buffer_screen(2);
  ASSERT_NE(g_buffer_windows.two_shown, 0);
  EXPECT_EQ(close_edit_buffers(1), 0);
  const std::vector<TextLine*> left = buffers();
  ASSERT_EQ(left.size(), 1u);
  EXPECT_EQ(g_buffers.arrangement, 0);
  EXPECT_EQ(g_buffer_windows.two_shown, 0);
  EXPECT_EQ(rect_of(left[0]), (Rect{5, 2, 31, 59}));
  EXPECT_EQ(joined(left[0]), "");
  EXPECT_EQ(g_windows.active_node, left[0]);
}

TEST_F(BufferTest, AChangedBufferIsNeverClosedUnsaved) {
  TextLine* a = make_buffer({"keep me\n"});
  TextLine* b = make_buffer({"scratch\n"});
  // Typing changes the buffer; closing everything stops at it and it keeps its text.
  run(a, typed("!"), 0, 0);
  ASSERT_NE(window_of(a)->flags & WINDOW_CHANGED, 0u);
  activate_window(b);
  // b had nothing to save and goes; the question for a is answered with Esc: a stays.
  start_typist();
  typist_key(VK_ESCAPE);
  typist_key(VK_ESCAPE);
  EXPECT_EQ(close_edit_buffers(1), 27);
  ASSERT_EQ(buffers(), std::vector<TextLine*>{a});
  EXPECT_EQ(close_edit_buffers(0), 27);
  EXPECT_EQ(buffers(), std::vector<TextLine*>{a});
  EXPECT_EQ(joined(a), "!keep me\n");
  pump_set_idle_handler(nullptr);
}

// The question's second choice lets the changes go; the first saves, and the buffer is marked
// saved only by the save.
TEST_F(BufferTest, TheSaveQuestionSavesOrLetsTheChangesGo) {
  set_program_folder_for_tests(BRENVIK_PROGRAM_DIR);
  ASSERT_GT(open_catalogue(), 0);
  g_message_box.save_hook = save_text_file;
  const auto folder = make_test_folder("save_question");
  const std::string path = (folder / "prog.nc").string();
  write_file_bytes(path, "G0 X1\r\n");
  ASSERT_EQ(open_in_buffer(path.c_str(), editor_script_filter, draw_window_line, EDITOR_FLAGS,
                           OPEN_NAMED_FILE), 0);
  TextLine* node = g_windows.active_node;
  run(node, typed("N5 "), 0, 0);
  ASSERT_NE(window_of(node)->flags & WINDOW_CHANGED, 0u);
  start_typist();
  typist_text("s");
  EXPECT_EQ(ask_save_buffer(PROMPT_SAVE_NAMED), 0);
  EXPECT_EQ(read_file_bytes(path), "N5 G0 X1\r\n");
  EXPECT_EQ(read_file_bytes((folder / "prog.BAK").string()), "G0 X1\r\n");
  EXPECT_EQ(window_of(node)->flags & WINDOW_CHANGED, 0u);
  run(node, typed("x"), 0, 0);
  typist_text("d");
  EXPECT_EQ(ask_save_buffer(PROMPT_SAVE_NAMED), 0);
  EXPECT_EQ(read_file_bytes(path), "N5 G0 X1\r\n");
  EXPECT_EQ(window_of(node)->flags & WINDOW_CHANGED, 0u);
  pump_set_idle_handler(nullptr);
  close_catalogue();
  set_program_folder_for_tests("");
  std::filesystem::remove_all(folder);
}

TEST_F(BufferTest, ClosingOneOfASplitKeepsTheOtherOverTheArea) {
  TextLine* a = make_buffer({"alpha\n"});
  TextLine* b = make_buffer({"bravo\n"});
  activate_window(a);
  g_buffers.arrangement = 1;
  split_buffer_screen(1);
  EXPECT_EQ(close_edit_buffers(0), 0);
  ASSERT_EQ(buffers(), std::vector<TextLine*>{b});
  EXPECT_EQ(g_windows.active_node, b);
  EXPECT_EQ(g_buffers.arrangement, 0);
  EXPECT_EQ(rect_of(b), (Rect{5, 2, 31, 59}));
  EXPECT_EQ(row_text(5, 2, 5), "bravo");
}

TEST_F(BufferTest, F1AndF2SwitchBuffers) {
  TextLine* a = make_buffer({"alpha\n"});
  TextLine* b = make_buffer({"bravo\n"});
  TextLine* c = make_buffer({"charlie\n"});
  struct Case {
    const char* name;
    std::vector<EventCode> codes;
    TextLine* active;
  };
  const Case cases[] = {
      {"F2 goes back", {WINDOW_PREVIOUS}, a},
      {"F2 twice comes back", {WINDOW_PREVIOUS, WINDOW_PREVIOUS}, b},
      {"F1 goes on", {WINDOW_NEXT_KEY}, c},
      {"F1 twice wraps round", {WINDOW_NEXT_KEY, WINDOW_NEXT_KEY}, a},
  };
  for (const Case& cs : cases) {
    SCOPED_TRACE(cs.name);
    g_buffer_windows.alternate_buffer = nullptr;
    g_run.back_and_forth = 0;
    activate_window(b);
    run(b, cs.codes);
    EXPECT_EQ(g_windows.active_node, cs.active);
    EXPECT_EQ(g_buffers.buffer_to_activate, cs.active);
  }
  // A buffer hidden from F1 and F2 is passed over.
  b->kind |= LINE_KIND_HIDDEN;
  activate_window(a);
  run(a, {WINDOW_NEXT_KEY});
  EXPECT_EQ(g_windows.active_node, c);
  b->kind &= static_cast<uint8_t>(~LINE_KIND_HIDDEN);
}

TEST_F(BufferTest, F2InASplitBringsANeverShownBufferIntoTheActiveHalf) {
  TextLine* a = make_buffer({"alpha\n"});
  TextLine* b = make_buffer({"bravo\n"});
  TextLine* c = make_buffer({"charlie\n"});
  for (TextLine* n : buffers()) n->state &= static_cast<uint8_t>(~LINE_STATE_ACTIVATED);
  activate_window(a);
  g_buffers.arrangement = 1;
  split_buffer_screen(1);
  ASSERT_EQ(rect_of(b), (Rect{19, 2, 31, 59}));
  run(b, {WINDOW_PREVIOUS});
  EXPECT_EQ(g_windows.active_node, c);
  EXPECT_EQ(rect_of(c), (Rect{19, 2, 31, 59}));
  EXPECT_EQ(row_text(19, 2, 7), "charlie");
  EXPECT_EQ(row_text(5, 2, 5), "alpha");
}

TEST_F(BufferTest, AFontChangeKeepsEachBufferInItsOwnHalf) {
  TextLine* a = make_buffer({"alpha\n"});
  TextLine* b = make_buffer({"bravo\n"});
  activate_window(a);
  g_buffers.arrangement = 2;
  split_buffer_screen(2);
  apply_buffer_font_size();
  EXPECT_EQ(rect_of(a), (Rect{5, 2, 31, 28}));
  EXPECT_EQ(rect_of(b), (Rect{5, 32, 31, 59}));
  EXPECT_EQ(g_windows.active_node, a);
}

TEST_F(BufferTest, FindBufferByFileComparesPathsExactly) {
  const std::filesystem::path folder =
      std::filesystem::temp_directory_path() / ("buffers-" + std::to_string(getpid()));
  std::filesystem::create_directories(folder);
  const std::string lower = (folder / "a.nc").string();
  const std::string upper = (folder / "A.NC").string();
  std::ofstream(lower) << "G0\n";
  std::ofstream(upper) << "G1\n";
  TextLine* a = make_buffer({"G0\n"});
  window_of(a)->file->full_path = lower;
  TextLine* b = make_buffer({"G1\n"});
  window_of(b)->file->full_path = upper;
  EXPECT_EQ(find_buffer_by_file(lower.c_str()), a);
  EXPECT_EQ(find_buffer_by_file(upper.c_str()), b);
  // The same file by another way of writing its path.
  const std::string roundabout = (folder / "." / ".." / folder.filename() / "a.nc").string();
  EXPECT_EQ(find_buffer_by_file(roundabout.c_str()), a);
  EXPECT_EQ(find_buffer_by_file((folder / "b.nc").string().c_str()), nullptr);
  EXPECT_EQ(find_buffer_by_file(""), nullptr);
  std::filesystem::remove_all(folder);
}

// ---- Numbering ---------------------------------------------------------------------------------

std::vector<int32_t> keys_of(TextLine* node) {
  std::vector<int32_t> keys;
  for (TextLine* l = window_of(node)->first_line; l != nullptr; l = l->next)
    keys.push_back(line_key(l));
  return keys;
}

TEST_F(BufferTest, NumberingGivesHiddenLinesTheNumberBefore) {
  TextLine* a = make_buffer({"one\n", "two\n", "hidden\n", "three\n"});
  line_at(a, 2)->kind |= LINE_KIND_HIDDEN;
  activate_window(a);
  window_of(a)->line_count = 0;
  EXPECT_EQ(number_lines(0), 3);
  EXPECT_EQ(keys_of(a), (std::vector<int32_t>{1, 2, 2, 3}));
  EXPECT_EQ(window_of(a)->line_count, 3);
  // A count still right is not done again.
  EXPECT_EQ(number_lines(0), 0);
}

TEST_F(BufferTest, EditsKeepTheLineNumbersRight) {
  TextLine* a = make_buffer({"one\n", "two\n", "three\n", "four\n"});
  // Enter, a line deleted and a paste all leave numbers 1..n for the next read.
  start_typist();
  typist_text("y");
  run(a, {KEY_END, KEY_ENTER, KEY_DOWN, WINDOW_DELETE_LINE}, 1, 0);
  activate_window(a);
  number_lines(0);
  EXPECT_EQ(lines_of(a), (Lines{"one\n", "two\n", "\n", "four\n"}));
  EXPECT_EQ(keys_of(a), (std::vector<int32_t>{1, 2, 3, 4}));
  // After deleting a line, renumbering from the edit brings the rest back in order.
  g_lists.cursor_line = line_at(a, 1);
  delete_line(line_at(a, 1));
  g_lists.cursor_line = line_at(a, 1);
  renumber_after_edit();
  EXPECT_EQ(keys_of(a), (std::vector<int32_t>{1, 2, 3}));
}

TEST_F(BufferTest, GoToLineMovesTheCursorToTheLine) {
  Lines lines;
  for (int i = 1; i <= 50; ++i) lines.push_back("line " + std::to_string(i) + "\n");
  TextLine* a = make_buffer(lines);
  activate_window(a);
  go_to_line(30);
  EXPECT_EQ(g_lists.cursor_line->text, "line 30\n");
  EXPECT_LT(window_of(a)->cursor_row, window_of(a)->rows);
  // Beyond the last line, and 0 (number every line): the cursor stays.
  go_to_line(51);
  EXPECT_EQ(g_lists.cursor_line->text, "line 30\n");
  go_to_line(0);
  EXPECT_EQ(g_lists.cursor_line->text, "line 30\n");
  EXPECT_EQ(line_key(g_lists.current.last), 50);
  // Asked: Esc moves nothing; an answer goes to the number kept.
  start_typist();
  typist_key(VK_ESCAPE);
  g_line_numbering.go_to_number = 5;
  go_to_line(-1);
  EXPECT_EQ(g_lists.cursor_line->text, "line 30\n");
  typist_key(VK_RETURN);
  go_to_line(-1);
  EXPECT_EQ(g_lists.cursor_line->text, "line 5\n");
  EXPECT_NE(g_message_box.last_text.find("Go to which line?"), std::string::npos);
}

TEST_F(BufferTest, LineCounterTextByWindowSize) {
  struct Case {
    int columns, rows;
    int32_t key, count;
    std::string text;
  };
  const Case cases[] = {
      {59, 20, 7, 12, "Line 7     "},
      {60, 20, 7, 12, " 7        of 12      "},
      {60, 20, 7, 0, " 7        of  "},
      {60, 20, 7, -12, " 7       *of 12      "},
      {39, 20, 7, 12, ""},
      {60, 7, 7, 12, ""},
  };
  for (const Case& c : cases) {
    char out[40];
    line_counter_text(c.columns, c.rows, c.key, c.count, out, sizeof(out));
    // The total 0 shows as a blank.
    std::string text = out;
    if (c.count == 0) text = text.substr(0, 14);
    EXPECT_EQ(text, c.text) << c.columns << "x" << c.rows << " count " << c.count;
  }
}

// The buffers dialog: a line moved up reorders the buffers, a check taken off hides its buffer
// from F1 and F2, and Enter on a line's text switches to its buffer; the one left becomes the
// alternate buffer.
TEST_F(BufferTest, TheBuffersDialogReordersHidesAndSwitches) {
  TextLine* a = make_buffer({"alpha\n"});
  TextLine* b = make_buffer({"beta\n"});
  TextLine* c = make_buffer({"gamma\n"});
  window_of(c)->flags |= WINDOW_CHANGED;
  // The cursor starts on c, the active buffer: up to b, b moved up, its check taken off, down
  // to a, onto its text (Home goes to the check boxes), Enter.
  for (EventCode code :
       {KEY_UP, WINDOW_MOVE_LINE_UP, KEY_HOME, KEY_ENTER, KEY_DOWN, KEY_RIGHT, KEY_ENTER})
    push_input_code(code);
  push_input_code(KEY_ESC);
  EXPECT_EQ(edit_buffers_dialog(), 0);
  flush_input();
  EXPECT_EQ(buffers(), (std::vector<TextLine*>{b, a, c}));
  EXPECT_NE(b->kind & LINE_KIND_HIDDEN, 0) << "b is hidden from F1 and F2";
  EXPECT_EQ(a->kind & LINE_KIND_HIDDEN, 0);
  EXPECT_EQ(g_windows.active_node, a);
  EXPECT_EQ(g_buffers.buffer_to_activate, a);
  EXPECT_EQ(g_buffer_windows.alternate_buffer, c);
  EXPECT_NE(window_of(c)->flags & WINDOW_CHANGED, 0u) << "nothing was saved";
}

// Esc leaves the order and the active buffer as they were; Del on the only buffer closes it
// and leaves one new empty buffer alone over the whole area.
TEST_F(BufferTest, TheBuffersDialogClosesTheLastBufferIntoANewEmptyOne) {
  TextLine* a = make_buffer({"alpha\n"});
  TextLine* b = make_buffer({"beta\n"});
  push_input_code(KEY_ESC);
  edit_buffers_dialog();
  EXPECT_EQ(buffers(), (std::vector<TextLine*>{a, b}));
  EXPECT_EQ(g_windows.active_node, b);
  // Nothing is changed: Del closes without a question.
  destroy_window(a);
  for (EventCode code : {EventCode{339}, KEY_ESC}) push_input_code(code);
  edit_buffers_dialog();
  flush_input();
  ASSERT_EQ(buffers().size(), 1u);
  EXPECT_TRUE(lines_of(buffers()[0]).empty()) << "a new, empty buffer";
  EXPECT_EQ(g_windows.active_node, buffers()[0]);
  EXPECT_EQ(g_buffers.arrangement, 0);
  EXPECT_EQ(g_buffer_windows.two_shown, 0);
}

}  // namespace
