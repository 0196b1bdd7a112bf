// Opening files into editing buffers and saving them: the saved bytes are the file's own, a
// file loaded in part saves whole, and a failed save keeps the old file, its backup and the
// buffer as they were.
#include <cstdlib>
#include <filesystem>
#include <string>

#include "platform/files.h"
#include "store/catalogue.h"
#include "store/file_reader.h"
#include "store/line_fold.h"
#include "store/text_wrap.h"
#include "tests/support/idle_typist.h"
#include "tests/support/test_folder.h"
#include "tests/ui/editor_fixture.h"
#include "nc/proof_file.h"
#include "ui/nc_buffer_tools.h"
#include "ui/nc_plotter_code.h"
#include "ui/sequence_numbers.h"
#include "ui/text_files.h"

namespace {

namespace fs = std::filesystem;
using Lines = std::vector<std::string>;

class TextFileTest : public EditorTest {
 protected:
  void SetUp() override {
    EditorTest::SetUp();
    reset_fold_state();
    reset_files();
    editing_window_size();
    folder_ = make_test_folder("text_files");
    // Every box the program shows is answered with Esc.
    pump_set_idle_handler([] {
      headless_inject_keystroke(VK_ESCAPE, 0);
      return true;
    });
  }
  void TearDown() override {
    pump_set_idle_handler(nullptr);
    close_all();
    close_catalogue();
    reset_nc_buffer_tools();
    reset_files();
    EditorTest::TearDown();
    std::error_code ignored;
    fs::permissions(folder_, fs::perms::owner_all, ignored);
    fs::remove_all(folder_, ignored);
  }
  static void close_all() {
    while (g_buffers.buffer_list != nullptr) {
      TextLine* head = list_head_of(g_buffers.buffer_list);
      g_buffers.buffer_list = head->next;
      destroy_window(head);
    }
    g_buffers = BufferRing();
  }
  std::string at(const std::string& name) const { return (folder_ / name).string(); }
  // Types a new name into the rename form and takes it: down to the name row, emptied, the
  // name typed, then up to the bar's OK (boxes after it get Esc).
  // What the screen showed while the form waited goes to *shown.
  void type_new_name(const char* name, std::string* shown = nullptr) {
    start_typist();
    typist_pause();
    for (int vk : {VK_DOWN, VK_DELETE}) typist_key(vk);
    typist_text(name);
    g_typist.steps.push_back([this, shown] {
      if (shown == nullptr) return;
      shown->clear();
      for (int row = 0; row <= g_display.current.last_row; ++row)
        *shown += row_text(row, 0, g_display.current.last_column + 1) + "\n";
    });
    for (int vk : {VK_RETURN, VK_UP, VK_UP, VK_RETURN}) typist_key(vk);
    g_typist.steps.push_back([] {
      pump_set_idle_handler([] {
        headless_inject_keystroke(VK_ESCAPE, 0);
        return true;
      });
    });
  }
  // The numbered messages, for tests that read what the user was told.
  static void open_messages() {
    set_program_folder_for_tests(BRENVIK_PROGRAM_DIR);
    ASSERT_GT(open_catalogue(), 0);
  }

  // Opens the file into a new buffer; returns its node (active).
  TextLine* open(const std::string& path, int expected = 0) {
    EXPECT_EQ(open_in_buffer(path.c_str(), editor_script_filter, draw_window_line, EDITOR_FLAGS,
                             OPEN_NAMED_FILE),
              expected);
    return g_windows.active_node;
  }
  static int16_t save(TextLine* node) { return save_text_file(0, node, 0); }
  // Opens the file and gives its first line a new text, as an edit does.
  TextLine* open_and_edit_first_line(const std::string& path, const char* text) {
    TextLine* node = open(path);
    activate_window(node);
    set_line_text(text, g_lists.current.first);
    store_window_state();
    window_of(node)->flags |= WINDOW_CHANGED;
    return node;
  }

  fs::path folder_;
};

std::string nc_program(int lines, const char* end) {
  std::string out;
  for (int k = 0; k < lines; ++k)
    out += "N" + std::to_string(k * 10) + " G01 X" + std::to_string(k % 97) + ".25 Y" +
           std::to_string(k % 53) + ".5" + end;
  return out;
}

TEST_F(TextFileTest, SavedUnchangedTheBytesAreTheFilesOwn) {
  std::string every;
  for (int c = 0; c < 256; ++c) every.push_back(static_cast<char>(c));
  struct Case {
    const char* name;
    std::string bytes;
  };
  const Case cases[] = {
      {"empty", ""},
      {"no final line end", "G0 X1\r\nG1 Y2"},
      {"CR LF", "G0 X1\r\nG1 Y2\r\n"},
      {"LF", "G0 X1\nG1 Y2\n"},
      {"lone CR", "a\rb\r"},
      {"NUL and control bytes", std::string("a\0b\x01\x1b\x7f\tz\r\n", 11)},
      {"0x80-0xFF", every.substr(128) + "\r\n"},
      {"a 100,000-byte line", std::string(100000, 'x') + "\r\nend\r\n"},
      {"100 kB in part", nc_program(4000, "\r\n")},
      {"100 kB in part, LF", nc_program(4000, "\n")},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    write_file_bytes(at("prog.nc"), c.bytes);
    TextLine* node = open(at("prog.nc"));
    ASSERT_EQ(save(node), 0) << last_save_error();
    EXPECT_EQ(read_file_bytes(at("prog.nc")), c.bytes);
    EXPECT_EQ(read_file_bytes(at("prog.BAK")), c.bytes);
    ASSERT_EQ(save(node), 0) << last_save_error();  // the unread part now lies in the new file
    EXPECT_EQ(read_file_bytes(at("prog.nc")), c.bytes);
    close_all();
  }
}

TEST_F(TextFileTest, APartlyLoadedFileWithItsHeadDeletedSavesTheRest) {
  const std::string bytes = nc_program(4000, "\r\n");
  write_file_bytes(at("prog.nc"), bytes);
  TextLine* node = open(at("prog.nc"));
  TextWindow* w = window_of(node);
  // The loaded head goes: the unread range now starts the file.
  TextLine* placeholder = w->first_line;
  while (placeholder != nullptr && !is_unread_placeholder(placeholder)) placeholder = placeholder->next;
  ASSERT_NE(placeholder, nullptr);
  const int64_t head = fold_record_of(placeholder)->file_offset;
  activate_window(node);
  while (g_lists.current.first != placeholder) delete_line(g_lists.current.first);
  g_lists.cursor_line = placeholder->next;
  store_window_state();
  w->flags |= WINDOW_CHANGED;
  ASSERT_EQ(save(node), 0) << last_save_error();
  EXPECT_EQ(fold_record_of(placeholder)->file_offset, 0);
  EXPECT_EQ(read_file_bytes(at("prog.nc")), bytes.substr(static_cast<size_t>(head)));
  EXPECT_EQ(w->flags & WINDOW_CHANGED, 0u);
  ASSERT_EQ(save(node), 0) << last_save_error();
  EXPECT_EQ(read_file_bytes(at("prog.nc")), bytes.substr(static_cast<size_t>(head)));
  // Walking through it reads the rest from the new file.
  activate_window(node);
  std::string text;
  for (TextLine* l = g_lists.current.first; l != nullptr; l = next_visible_line(l)) {
  }
  EXPECT_FALSE(is_unread_placeholder(g_lists.current.first));
}

TEST_F(TextFileTest, AFailedSaveChangesNothing) {
  const std::string old_bytes = nc_program(2000, "\r\n");  // loaded in part
  write_file_bytes(at("prog.nc"), old_bytes);
  write_file_bytes(at("prog.BAK"), "the former backup");
  TextLine* node = open_and_edit_first_line(at("prog.nc"), "N0 G00 X0 Y0\n");
  TextWindow* w = window_of(node);
  const std::string new_bytes = "N0 G00 X0 Y0\r\n" + old_bytes.substr(old_bytes.find('\n') + 1);
  // Where the unread range stands before each try.
  TextLine* placeholder = w->first_line;
  while (!is_unread_placeholder(placeholder)) placeholder = placeholder->next;
  const FoldRecord before = *fold_record_of(placeholder);
  // The injector fails one write: the first, then every 11th (lines, pieces of the unread part).
  int failures = 0;
  for (int write = 1; write <= 2000; write += write == 1 ? 10 : 11) {
    SCOPED_TRACE("write " + std::to_string(write));
    fail_nth_save_write(write);
    const int16_t result = save(node);
    fail_nth_save_write(0);
    if (result == 0) break;  // past the last write: saved
    ++failures;
    EXPECT_EQ(read_file_bytes(at("prog.nc")), old_bytes);
    EXPECT_EQ(read_file_bytes(at("prog.BAK")), "the former backup");
    EXPECT_NE(w->flags & WINDOW_CHANGED, 0u);
    EXPECT_EQ(fold_record_of(placeholder)->file_offset, before.file_offset);
    EXPECT_EQ(fold_record_of(placeholder)->byte_count, before.byte_count);
    EXPECT_FALSE(fs::exists(at("SAVEFILE.TMP")));
  }
  EXPECT_GT(failures, 10);
  EXPECT_EQ(read_file_bytes(at("prog.nc")), new_bytes);
  EXPECT_EQ(read_file_bytes(at("prog.BAK")), old_bytes);
  EXPECT_EQ(w->flags & WINDOW_CHANGED, 0u);
}

TEST_F(TextFileTest, ABackupThatIsAFolderStopsTheSaveUntilItGoes) {
  write_file_bytes(at("prog.nc"), "old\r\n");
  TextLine* node = open_and_edit_first_line(at("prog.nc"), "new\n");
  TextWindow* w = window_of(node);
  fs::create_directory(at("prog.BAK"));
  EXPECT_EQ(save(node), 27);
  EXPECT_EQ(read_file_bytes(at("prog.nc")), "old\r\n");
  EXPECT_TRUE(fs::is_directory(at("prog.BAK")));
  EXPECT_NE(w->flags & WINDOW_CHANGED, 0u);
  EXPECT_NE(g_message_box.last_text.find("the old file could not become the backup"),
            std::string::npos) << g_message_box.last_text;
  fs::remove(at("prog.BAK"));
  EXPECT_EQ(save(node), 0);
  EXPECT_EQ(read_file_bytes(at("prog.nc")), "new\r\n");
  EXPECT_EQ(read_file_bytes(at("prog.BAK")), "old\r\n");
}

TEST_F(TextFileTest, AReadOnlyFolderKeepsTheOldFile) {
  write_file_bytes(at("prog.nc"), "old\r\n");
  TextLine* node = open(at("prog.nc"));
  TextWindow* w = window_of(node);
  w->flags |= WINDOW_CHANGED;
  fs::permissions(folder_, fs::perms::owner_read | fs::perms::owner_exec);
  if (FILE* probe = std::fopen(at("probe").c_str(), "wb")) {
    std::fclose(probe);
    GTEST_SKIP() << "this user may write into a read-only folder";
  }
  EXPECT_EQ(save(node), 27);
  EXPECT_EQ(read_file_bytes(at("prog.nc")), "old\r\n");
  EXPECT_NE(w->flags & WINDOW_CHANGED, 0u);
}

TEST_F(TextFileTest, FileTypesOnOpening) {
  struct Case {
    const char* name;
    int result;
    bool word_wrap;
    bool program_source;
  };
  const Case cases[] = {
      {"notes.TXT", 0, true, false},   {"notes.txt", 0, true, false},
      {"tools.KR4", 0, true, false},   {"main.c", 0, false, true},
      {"main.CXX", 0, false, true},    {"prog.nc", 0, false, false},
      {"setup.EXE", -2, false, false}, {"setup.exex", -2, false, false},
      {"fonts.zip", -2, false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    write_file_bytes(at(c.name), "x\r\n");
    TextLine* before = g_windows.active_node;
    TextLine* node = open(at(c.name), c.result);
    if (c.result != 0) {
      EXPECT_EQ(node, before);
      continue;
    }
    EXPECT_EQ((window_of(node)->flags & WINDOW_WORD_WRAP) != 0, c.word_wrap);
    EXPECT_EQ((window_of(node)->flags & WINDOW_COMMENT_COLOUR) != 0, c.program_source);
  }
}

// The first buffer after the last was closed from a split screen: alone again, in the editing
// area, word-wrapped to its width, and the placeholder a file opened replaces.
TEST_F(TextFileTest, TheFirstBufferStandsAloneInTheEditingArea) {
  g_buffers.arrangement = 2;
  g_buffer_windows.two_shown = 2;
  g_run.back_and_forth = 1;
  create_first_edit_buffer();
  TextLine* first = g_buffers.buffer_list;
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(g_buffers.placeholder_buffer, first);
  EXPECT_EQ(g_buffers.arrangement, 0);
  EXPECT_EQ(g_buffer_windows.two_shown, 0);
  EXPECT_EQ(g_run.back_and_forth, 0);
  const TextWindow* w = window_of(first);
  const EditingArea area = editing_area();
  EXPECT_EQ(w->flags & 0xFFFFF, FIRST_BUFFER_FLAGS);
  EXPECT_EQ(w->top_row, area.top);
  EXPECT_EQ(w->left_column, area.left);
  EXPECT_EQ(w->wrap_width, w->right_column - w->left_column - 2);
  EXPECT_NE(w->file, nullptr);
  EXPECT_STREQ(w->title, "");
  // A second call while it stands makes none.
  create_first_edit_buffer();
  EXPECT_EQ(first->next, nullptr);
}

TEST_F(TextFileTest, OpeningAgainActivatesTheBufferAndTheBlankFirstBufferGoes) {
  create_first_edit_buffer();
  TextLine* first = g_buffers.buffer_list;
  ASSERT_NE(first, nullptr);
  activate_window(first);
  write_file_bytes(at("a.nc"), "G0 X1\r\n");
  write_file_bytes(at("b.nc"), "G0 X2\r\n");
  TextLine* a = open(at("a.nc"));
  // The blank start-up buffer was replaced.
  EXPECT_EQ(list_head_of(a), a);
  EXPECT_EQ(a->next, nullptr);
  TextLine* b = open(at("b.nc"));
  EXPECT_NE(a, b);
  write_file_bytes(at("a.nc"), "changed on disk\r\n");
  EXPECT_EQ(open(at("a.nc"), 1), a);
  EXPECT_EQ(lines_of(a), (Lines{"G0 X1\n"}));  // not read again
  EXPECT_EQ(g_buffers.buffer_to_activate, a);
}

TEST_F(TextFileTest, OnlyRegularFilesOpen) {
  fs::create_directory(at("folder.nc"));
  TextLine* before = g_windows.active_node;
  EXPECT_EQ(open_in_buffer(at("folder.nc").c_str(), editor_script_filter, draw_window_line,
                           EDITOR_FLAGS, OPEN_NAMED_FILE),
            -1);
  EXPECT_EQ(g_windows.active_node, before);
  EXPECT_NE(g_message_box.last_text.find("is not a file"), std::string::npos);
  // A name that does not exist gives an empty buffer of that name.
  TextLine* node = open(at("new.nc"));
  EXPECT_EQ(window_of(node)->file->full_path, at("new.nc"));
  EXPECT_EQ(joined(node), "");
}

TEST_F(TextFileTest, SavingThroughALinkKeepsTheLink) {
  fs::create_directory(at("real"));
  write_file_bytes(at("real/prog.nc"), "old\r\n");
  fs::create_symlink(at("real/prog.nc"), at("prog.nc"));
  TextLine* node = open_and_edit_first_line(at("prog.nc"), "new\n");
  ASSERT_EQ(save(node), 0) << last_save_error();
  EXPECT_TRUE(fs::is_symlink(at("prog.nc")));
  EXPECT_EQ(read_file_bytes(at("real/prog.nc")), "new\r\n");
  EXPECT_EQ(read_file_bytes(at("real/prog.BAK")), "old\r\n");
}

// Renaming a buffer's file: a file loaded in part moves whole and the buffer names the new file;
// an existing file of the new name is never replaced; nothing moves without a file on disk.
TEST_F(TextFileTest, RenamingMovesTheWholeFileAndNeverReplacesAnother) {
  open_messages();
  const std::string bytes = nc_program(4000, "\r\n");  // loaded in part
  write_file_bytes(at("old.nc"), bytes);
  write_file_bytes(at("taken.nc"), "keep me\r\n");
  TextLine* node = open(at("old.nc"));
  activate_window(node);

  // The new name is taken: both files stay, the buffer keeps its name.
  type_new_name("taken.nc");
  EXPECT_EQ(rename_buffer_file(), 0);
  EXPECT_NE(g_message_box.last_text.find("of that name exists"), std::string::npos);
  EXPECT_EQ(read_file_bytes(at("taken.nc")), "keep me\r\n");
  EXPECT_TRUE(read_file_bytes(at("old.nc")) == bytes);
  EXPECT_EQ(window_of(node)->file->full_path, at("old.nc"));

  std::string shown;
  type_new_name("new.nc", &shown);
  EXPECT_EQ(rename_buffer_file(), 1) << g_message_box.last_text;
  // The rename form, its folder the file's own (shown, fixed).
  EXPECT_NE(shown.find("New name:      new.nc"), std::string::npos) << shown;
  EXPECT_NE(shown.find("Folder:        " + folder_.string().substr(0, 40)), std::string::npos)
      << shown;
  EXPECT_FALSE(fs::exists(at("old.nc")));
  EXPECT_TRUE(read_file_bytes(at("new.nc")) == bytes);
  const TextWindow* w = window_of(node);
  EXPECT_EQ(w->file->full_path, at("new.nc"));
  EXPECT_EQ(w->file->name, "new.nc");
  EXPECT_NE(std::string(w->title).find("new.nc"), std::string::npos);
  for (const TextLine* l = w->first_line; l != nullptr; l = l->next)
    ASSERT_FALSE(is_unread_placeholder(l));
  EXPECT_TRUE(joined(node) == nc_program(4000, "\n"));
  // Saved unchanged under the new name, the bytes are the file's own.
  window_of(node)->flags |= WINDOW_CHANGED;
  ASSERT_EQ(save(node), 0) << last_save_error();
  EXPECT_TRUE(read_file_bytes(at("new.nc")) == bytes);
}

TEST_F(TextFileTest, RenamingNeedsANamedFileOnTheDisk) {
  open_messages();
  struct Case {
    const char* path;  // null: a buffer without a name
    const char* told;
  };
  const Case cases[] = {{nullptr, "has no file name"}, {"never_saved.nc", "not on the disk"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.told);
    TextLine* node = nullptr;
    if (c.path != nullptr) {
      node = open(at(c.path));
    } else {
      ASSERT_EQ(open_in_buffer(nullptr, editor_script_filter, draw_window_line, EDITOR_FLAGS, 0), 0);
      node = list_head_of(g_buffers.buffer_list);
      while (node->next != nullptr) node = node->next;
    }
    activate_window(node);
    g_message_box.last_text.clear();
    EXPECT_EQ(rename_buffer_file(), 0);
    EXPECT_NE(g_message_box.last_text.find(c.told), std::string::npos) << g_message_box.last_text;
    EXPECT_EQ(window_of(node)->file->full_path, c.path != nullptr ? at(c.path) : "");
  }
}

// ---- The NC tools on a buffer --------------------------------------------------------------------

// A file loaded in part is tidied and numbered whole: the unread rest is read and changed too,
// and the buffer is marked changed so the save writes it.
TEST_F(TextFileTest, NcToolsChangeTheUnreadRestToo) {
  std::string bytes;
  for (int k = 0; k < 4000; ++k) bytes += "G01 X" + std::to_string(k % 9) + ".50 Y0.0\r\n";
  write_file_bytes(at("prog.nc"), bytes);
  TextLine* node = open(at("prog.nc"));
  activate_window(node);
  ASSERT_GT(tidy_nc_buffer(NC_TIDY_COMPACT, 0), 3000);
  EXPECT_NE(window_of(node)->flags & WINDOW_CHANGED, 0u);
  SequenceSettings numbers;
  numbers.first_number = 10;
  numbers.increment = 10;
  ASSERT_EQ(renumber_nc_buffer(numbers), 4000);
  ASSERT_EQ(save(node), 0) << last_save_error();
  std::string expected;
  for (int k = 0; k < 4000; ++k)
    expected += "N" + std::to_string(10 * (k + 1)) + (k == 0 ? "G1" : "") + "X" +
                (k % 9 == 0 ? "" : std::to_string(k % 9)) + ".50Y0.\r\n";
  const std::string saved = read_file_bytes(at("prog.nc"));
  EXPECT_TRUE(saved == expected) << saved.substr(0, 200);
}

// The plotter conversion replaces the whole program, its unread rest too, by plotter code and
// names the buffer's file anew: the program's file stays as it was.
TEST_F(TextFileTest, APartlyLoadedProgramBecomesPlotterCode) {
  const char* old_tmp = std::getenv("TMP");
  const std::string saved_tmp = old_tmp != nullptr ? old_tmp : "";
  setenv("TMP", folder_.c_str(), 1);  // the proof file's folder
  const std::string program = "G0 Z1\r\nG1 Z-0.1 F100\r\n" + nc_program(4000, "\r\n");
  write_file_bytes(at("prog.nc"), program);
  TextLine* node = open(at("prog.nc"));
  activate_window(node);
  EXPECT_EQ(nc_to_plotter_code(false), 0);
  const Lines lines = lines_of(node);
  ASSERT_GT(lines.size(), 4000u);
  EXPECT_EQ(lines[0], "\b<tprog.nc~;\n");
  EXPECT_EQ(lines[1], "IN;\n");
  EXPECT_EQ(lines.back(), "\b<e\n");
  int cuts = 0;
  for (const std::string& line : lines) {
    EXPECT_EQ(line.find("G01"), std::string::npos) << line;
    if (line.rfind("PD", 0) == 0 || line.rfind("PZ", 0) == 0) ++cuts;
  }
  EXPECT_GE(cuts, 3900);
  EXPECT_FALSE(fs::exists(proof_file_path()));
  TextWindow* w = window_of(node);
  EXPECT_NE(w->flags & WINDOW_CHANGED, 0u);
  EXPECT_EQ(w->file->full_path, at("prog.plt"));
  EXPECT_NE(std::string(w->title).find("prog.plt"), std::string::npos);
  ASSERT_EQ(save(node), 0) << last_save_error();
  EXPECT_EQ(read_file_bytes(at("prog.nc")), program);
  std::string written;
  // On the disk a glyph pair is its control character: the marks begin with ESC.
  for (const std::string& line : lines) {
    std::string text = line.substr(0, line.size() - 1);
    if (text.rfind("\b<", 0) == 0) text = "\x1b" + text.substr(2);
    written += text + "\r\n";
  }
  EXPECT_TRUE(read_file_bytes(at("prog.plt")) == written);
  // Nothing to convert leaves the buffer as it was: no moves (27), no text (-2).
  write_file_bytes(at("notes.nc"), "(only a comment)\r\nM30\r\n");
  TextLine* notes = open(at("notes.nc"));
  activate_window(notes);
  EXPECT_EQ(nc_to_plotter_code(false), 27);
  EXPECT_EQ(lines_of(notes), (Lines{"(only a comment)\n", "M30\n"}));
  EXPECT_EQ(window_of(notes)->flags & WINDOW_CHANGED, 0u);
  EXPECT_EQ(window_of(notes)->file->full_path, at("notes.nc"));
  write_file_bytes(at("empty.nc"), "");
  activate_window(open(at("empty.nc")));
  EXPECT_EQ(nc_to_plotter_code(false), -2);
  if (old_tmp != nullptr) setenv("TMP", saved_tmp.c_str(), 1);
  else unsetenv("TMP");
}

TEST_F(TextFileTest, NumberingAMarkedBlockNumbersOnlyIt) {
  write_file_bytes(at("prog.nc"), "G0 Z1\r\nG1 X1\r\nG1 X2\r\nG0 Z1\r\n");
  TextLine* node = open(at("prog.nc"));
  activate_window(node);
  g_lists.block_start = g_lists.current.first->next;
  g_lists.block_end = g_lists.block_start->next;
  EXPECT_EQ(renumber_nc_buffer(SequenceSettings()), 2);
  EXPECT_EQ(lines_of(node), (Lines{"G0 Z1\n", "N1 G1 X1\n", "N2 G1 X2\n", "G0 Z1\n"}));
  EXPECT_EQ(g_lists.cursor_line, g_lists.current.first->next);
  // A buffer of one line is left alone.
  write_file_bytes(at("one.nc"), "G1 X1\r\n");
  TextLine* one = open(at("one.nc"));
  activate_window(one);
  EXPECT_EQ(renumber_nc_buffer(SequenceSettings()), 0);
  EXPECT_EQ(window_of(one)->flags & WINDOW_CHANGED, 0u);
}

// The numbering form: the first number and the increment typed, ADD chosen on the bar; then
// REMOVE takes the numbers off again; Esc changes nothing.
TEST_F(TextFileTest, TheNumberingFormNumbersAndUnnumbersTheBuffer) {
  open_messages();
  write_file_bytes(at("prog.nc"), "G0 Z1\r\nG1 X1\r\nM30\r\n");
  TextLine* node = open(at("prog.nc"));
  activate_window(node);
  const Lines plain{"G0 Z1\n", "G1 X1\n", "M30\n"};
  start_typist();
  // Del empties a value; a digit typed on a value goes on from it.
  typist_key(VK_DOWN);
  typist_key(VK_DELETE);
  typist_text("10");
  typist_key(VK_RETURN);
  typist_key(VK_DOWN);
  typist_key(VK_DELETE);
  typist_text("5");
  typist_key(VK_RETURN);
  typist_key(VK_UP);
  typist_key(VK_UP);
  typist_text("a");
  EXPECT_EQ(sequence_numbers(), 3);
  EXPECT_EQ(lines_of(node), (Lines{"N10 G0 Z1\n", "N15 G1 X1\n", "N20 M30\n"}));
  EXPECT_EQ(g_sequence.first_number, 10);
  EXPECT_EQ(g_sequence.increment, 5);
  EXPECT_NE(window_of(node)->flags & WINDOW_CHANGED, 0u);
  start_typist();
  typist_key(VK_ESCAPE);
  EXPECT_EQ(sequence_numbers(), 0);
  EXPECT_EQ(lines_of(node), (Lines{"N10 G0 Z1\n", "N15 G1 X1\n", "N20 M30\n"}));
  start_typist();
  typist_text("r");
  EXPECT_EQ(sequence_numbers(), 3);
  EXPECT_EQ(lines_of(node), plain);
  pump_set_idle_handler(nullptr);
}

// The editor settings form: the tab width typed is the editor's at once; Esc puts it and the
// rest back; OK keeps them, the extension stored with its dot.
TEST_F(TextFileTest, TheEditorSettingsFormKeepsOrPutsBackItsValues) {
  open_messages();
  g_interface.tab_width = 6;
  g_text_wrap.tab_width = 6;
  g_buffers.current_extension = ".NC";
  const auto type_tab_width = [] {
    start_typist();
    for (int k = 0; k < 5; ++k) typist_key(VK_DOWN);
    typist_key(VK_DELETE);
    typist_text("4");
    typist_key(VK_RETURN);
  };
  type_tab_width();
  typist_key(VK_ESCAPE);
  EXPECT_EQ(edit_editor_settings(), -1);
  EXPECT_EQ(g_interface.tab_width, 6);
  EXPECT_EQ(g_text_wrap.tab_width, 6);
  type_tab_width();
  // Up to the extension: a new one typed; then up to the bar, OK.
  for (int k = 0; k < 3; ++k) typist_key(VK_UP);
  typist_key(VK_DELETE);
  typist_text("tap");
  typist_key(VK_RETURN);
  typist_key(VK_UP);
  typist_key(VK_UP);
  typist_text("o");
  EXPECT_EQ(edit_editor_settings(), 0);
  EXPECT_EQ(g_interface.tab_width, 4);
  EXPECT_EQ(g_text_wrap.tab_width, 4);
  EXPECT_EQ(g_buffers.current_extension, ".tap");
  pump_set_idle_handler(nullptr);
}

// Two programs that differ only on their last line, one of them loaded in part: the comparison
// finds that line in both buffers; Ctrl+P goes on from the lines after the cursors.
TEST_F(TextFileTest, ComparingTwoBuffersFindsTheFirstDifference) {
  const std::string same = nc_program(4000, "\r\n");
  write_file_bytes(at("a.nc"), same + "G0 Z1\r\n");
  write_file_bytes(at("b.nc"), same + "G0 Z2\r\n");
  TextLine* a = open(at("a.nc"));
  TextLine* b = open(at("b.nc"));
  activate_window(b);
  start_typist();
  typist_text("e");  // Exact
  EXPECT_EQ(compare_nc_programs(true), 1);
  EXPECT_EQ(g_nc_compare.mode, NC_COMPARE_EXACT);
  ASSERT_NE(g_lists.cursor_line, nullptr);
  EXPECT_EQ(g_lists.cursor_line->text, "G0 Z2\n");
  ASSERT_NE(window_of(a)->current_line, nullptr);
  EXPECT_EQ(window_of(a)->current_line->text, "G0 Z1\n");
  // From the lines after both cursors nothing is left to differ.
  start_typist();
  typist_key(VK_ESCAPE);  // the box that says so
  g_message_box.last_text.clear();
  EXPECT_EQ(compare_nc_programs(false), 0);
  EXPECT_NE(g_message_box.last_text.find("No differences found"), std::string::npos);
  // Alone, a buffer has nothing to compare with.
  close_all();
  TextLine* alone = open(at("a.nc"));
  activate_window(alone);
  EXPECT_EQ(compare_nc_programs(false), -1);
}

}  // namespace
