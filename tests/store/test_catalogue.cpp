#include "store/catalogue.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/files.h"
#include "store/line_list.h"
#include "store/scratch_buffer.h"
#include "store/store_host.h"
#include "tests/support/test_folder.h"

namespace {

// The key that closes the next box shown, as the screen's box would return it.
static int16_t g_box_answer = 0;

static int16_t answer_box(const char* text, uint32_t flags) {
  log_text_box(text, flags);
  return g_box_answer;
}

static void answer_with(int16_t key) {
  g_box_answer = key;
  g_store_host.show_text_box = answer_box;
}

class CatalogueTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = make_test_folder("catalogue");
    set_program_folder_for_tests(folder_.string());
    reset_catalogue();
    reset_scratch_buffer();
    reset_store_host();
    reset_list_store();
  }
  void TearDown() override {
    free_current_list();
    reset_list_store();
    reset_catalogue();
    reset_files();
    std::filesystem::remove_all(folder_);
  }

  // Writes the catalogue file and opens it; returns the message count.
  int open_with(const std::string& bytes) {
    write_file_bytes((folder_ / CATALOGUE_FILE_NAME).string(), bytes);
    return open_catalogue();
  }

  // The text message `number` loads (a number below 10000 shows nothing).
  std::string loaded(int number) {
    EXPECT_EQ(get_message(number), 1);
    return message_text();
  }

  std::filesystem::path folder_;
};

// The same catalogue in every line-end style the reader meets.
std::string catalogue_with_line_end(const std::string& end, bool final_end = true) {
  std::string bytes = "~1" + end + "alpha" + end + "beta" + end + "~2" + end + "gamma";
  return final_end ? bytes + end : bytes;
}

TEST_F(CatalogueTest, FileCases) {
  struct Case {
    const char* name;
    std::string bytes;
    int count;
    std::vector<std::pair<int, std::string>> texts;  // number, text get_message loads
  };
  const std::string long_line = std::string(2048, 'x') + "~2 not a header" + std::string(100, 'y');
  const Case cases[] = {
      {"CR LF", catalogue_with_line_end("\r\n"), 2, {{1, "alpha\nbeta\n"}, {2, "gamma\n"}}},
      {"LF", catalogue_with_line_end("\n"), 2, {{1, "alpha\nbeta\n"}, {2, "gamma\n"}}},
      {"CR", catalogue_with_line_end("\r"), 2, {{1, "alpha\nbeta\n"}, {2, "gamma\n"}}},
      {"no final line end", catalogue_with_line_end("\r\n", false), 2, {{2, "gamma\n"}}},
      {"trailing blanks are cut", "~1\r\nalpha \t \r\n", 1, {{1, "alpha\n"}}},
      {"empty lines stay, lone line feeds go", "~1\r\na\r\n\r\nb\r\n\nc\r\n", 1,
       {{1, "a\n\nb\nc\n"}}},
      {"an empty message", "~1\r\n~2\r\nb\r\n", 2, {{1, ""}, {2, "b\n"}}},
      {"blanks and words after the number", "~ 5 the menu\r\nx\r\n", 1, {{5, "x\n"}}},
      {"numbers wrap to 16 bits", "~65537\r\nwrapped\r\n", 1, {{1, "wrapped\n"}}},
      {"0 and words are no headers but end a message", "~1\r\na\r\n~0\r\nz\r\n~abc\r\ny\r\n", 1,
       {{1, "a\n"}}},
      {"the first of two equal numbers counts", "~7\r\nfirst\r\n~7\r\nsecond\r\n", 2,
       {{7, "first\n"}}},
      {"a missing number", "~1\r\na\r\n", 1, {{8, "Msg #8?\n\n"}}},
      // A line longer than the reader's buffer: the piece after the cut starts with '~' but
      // is no header.
      {"long line", "~1\r\n" + long_line + "\r\n~3\r\nthree\r\n", 2, {{2, "Msg #2?\n\n"},
                                                                     {3, "three\n"}}},
      {"empty file", "", 0, {{1, "Msg #1?\n\n"}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    reset_catalogue();
    EXPECT_EQ(open_with(c.bytes), c.count);
    for (const auto& [number, text] : c.texts) EXPECT_EQ(loaded(number), text) << number;
  }
  EXPECT_EQ(g_host_messages.shown_count, 0);
}

// Past 999 entries the index stops; with CR-only line ends (each read one byte longer than it
// stands in the file) the offsets must still point at the right lines.
TEST_F(CatalogueTest, TheIndexStopsAt999EntriesWithoutDrift) {
  for (const char* end : {"\r\n", "\r", "\n"}) {
    SCOPED_TRACE(testing::Message() << "line end " << (end[0] == '\n' ? "LF" : end[1] ? "CR LF" : "CR"));
    std::string bytes;
    for (int i = 1; i <= 1005; ++i) {
      bytes += "~" + std::to_string(i) + end + "message " + std::to_string(i) + end;
    }
    reset_catalogue();
    ASSERT_EQ(open_with(bytes), CATALOGUE_MAX_MESSAGES);
    EXPECT_EQ(loaded(999), "message 999\n");
    EXPECT_EQ(loaded(500), "message 500\n");
    EXPECT_EQ(loaded(1), "message 1\n");
    EXPECT_EQ(loaded(1000), "Msg #1000?\n\n");
  }
}

TEST_F(CatalogueTest, LoadOnlyMessagesReplaceTheText) {
  open_with("~500\r\nfive hundred\r\n");
  set_message_text("old text ");
  EXPECT_EQ(loaded(500), "five hundred\n");
  EXPECT_EQ(g_host_messages.shown_count, 0);
}

TEST_F(CatalogueTest, PressAKeyMessagesShowBothLinesAndReturnTheKey) {
  open_with("~12000\r\nline one\r\nline two\r\n");
  answer_with('x');
  EXPECT_EQ(get_message(12000), 'x');
  EXPECT_EQ(g_host_messages.last_text, "line one\nline two\n");
  EXPECT_EQ(g_host_messages.last_flags, TEXTBOX_WAIT_KEY | TEXTBOX_SCREEN_CENTRE);
}

TEST_F(CatalogueTest, HighMessagesAreAppendedToTheCallersText) {
  open_with("~500\r\nThe file\r\n~20001\r\nis missing.\r\n");
  get_message(500);
  answer_with(13);
  EXPECT_EQ(get_message(20001), 13);
  EXPECT_EQ(g_host_messages.last_text, "The file\nis missing.\n");
}

TEST_F(CatalogueTest, NegativeMessagesAreAppendedSilently) {
  open_with("~-5\r\nminus five\r\n");
  set_message_text("before ");
  EXPECT_EQ(get_message(-5), 1);
  EXPECT_STREQ(message_text(), "before minus five\n");
  EXPECT_EQ(g_host_messages.shown_count, 0);
}

TEST_F(CatalogueTest, ChoicePromptsSetTheirWordsAndHotLettersApart) {
  open_with("~-20005\r\n\vY\x13" "es    \vN\x13o\r\nReally go on?\r\n"
            "~43514\r\n\vs\x13" "ave    \vd\x13iscard\r\nThe job changed.\r\n");
  set_message_text("left over");
  EXPECT_EQ(get_message(-20005), 1);
  EXPECT_STREQ(choice_words(), "\vY\x13" "es    \vN\x13o");
  EXPECT_STREQ(choice_hot_letters(), "YN");
  EXPECT_STREQ(message_text(), "Really go on?\n");
  // 43514 in the file is message -22022.
  EXPECT_EQ(get_message(-22022), 1);
  EXPECT_STREQ(choice_hot_letters(), "SD");
  EXPECT_STREQ(message_text(), "The job changed.\n");
  EXPECT_EQ(g_host_messages.shown_count, 0);
}

TEST_F(CatalogueTest, MissingMessagesReadAsTheirNumber) {
  open_with("~1\r\na\r\n");
  answer_with('q');
  EXPECT_EQ(get_message(12345), 'q');
  EXPECT_EQ(g_host_messages.last_text, "Msg #12345?\n\n");
  set_message_text("caller's text ");
  get_message(20001);
  EXPECT_EQ(g_host_messages.last_text, "Msg #20001?\n\n");
  get_message(70000);  // outside 16 bits: never in the index
  EXPECT_EQ(g_host_messages.last_text, "Msg #70000?\n\n");
  get_message(-20009);
  EXPECT_STREQ(choice_words(), "");
  EXPECT_STREQ(choice_hot_letters(), "");
}

// A message longer than the message text's region ends at its last whole line that fits, and
// what lies beyond the region (the choice words) is untouched.
TEST_F(CatalogueTest, LongMessagesStayInsideTheirRegion) {
  std::string bytes = "~-20005\r\n\vY\x13" "es    \vN\x13o\r\nsure?\r\n~9\r\n";
  std::string line(59, 'w');
  for (int i = 0; i < 300; ++i) bytes += line + "\r\n";
  bytes += "~10\r\n" + std::string(3000, 'z') + "\r\n";
  open_with(bytes);
  get_message(-20005);
  std::string text = loaded(9);
  EXPECT_LT(text.size(), SCRATCH_MESSAGE_CAPACITY);
  EXPECT_EQ(text.size() % 60, 0u);
  EXPECT_EQ(text.back(), '\n');
  EXPECT_STREQ(choice_words(), "\vY\x13" "es    \vN\x13o");
  // One line longer than the region: loaded alone it is cut at the region's end.
  std::vector<std::string> lines;
  message_lines_to_array(10, &lines, 1);
  EXPECT_EQ(lines[0], std::string(SCRATCH_MESSAGE_CAPACITY - 1, 'z'));
  EXPECT_STREQ(choice_words(), "\vY\x13" "es    \vN\x13o");
}

TEST_F(CatalogueTest, AppendingToATextWithoutItsZeroStaysInTheRegion) {
  open_with("~-5\r\nminus\r\n");
  std::memset(message_text(), 'c', SCRATCH_MESSAGE_CAPACITY);
  scratch_at(SCRATCH_HOT_KEY_LINE)[0] = 'K';
  get_message(-5);
  EXPECT_LT(std::strlen(message_text()), SCRATCH_MESSAGE_CAPACITY);
  EXPECT_EQ(scratch_at(SCRATCH_HOT_KEY_LINE)[0], 'K');
}

TEST_F(CatalogueTest, HotLetters) {
  char out[8];
  hot_letters("\vyes\x13 \vNo\x13 and \v", out, sizeof(out));
  EXPECT_STREQ(out, "YN");
  hot_letters("\va\vb\vc", out, 2);
  EXPECT_STREQ(out, "A");
}

TEST_F(CatalogueTest, MessageLinesToArray) {
  open_with("~3101\r\nJan\r\n\vFeb\x13ruary\r\nMar\r\n");
  std::vector<std::string> lines;
  EXPECT_EQ(message_lines_to_array(3101, &lines, 2), 8);
  EXPECT_EQ(lines, (std::vector<std::string>{"Jan", "\vFeb\x13ruary"}));
  EXPECT_EQ(message_lines_to_array(3101, &lines, 5), 8);
  EXPECT_EQ(lines, (std::vector<std::string>{"Jan", "\vFeb\x13ruary", "Mar", "", ""}));
  EXPECT_EQ(message_lines_to_array(77, &lines, 2), 0);
  EXPECT_EQ(lines, (std::vector<std::string>{"", ""}));
}

TEST_F(CatalogueTest, MessagesToArray) {
  open_with("~3000\r\nPress ESC\r\n~3001\r\nDid it.\r\n");
  std::vector<std::string> texts;
  messages_to_array(3, 3000, &texts);
  EXPECT_EQ(texts, (std::vector<std::string>{"Press ESC\n", "Did it.\n", "Msg #3002?\n\n"}));
}

TEST_F(CatalogueTest, MessageToListTextsSetsTextsAndHangsHelp) {
  open_with("~40\r\nFirst:\r\nSecond:\r\n~41\r\nhelp 1a\r\nhelp 1b\r\nhelp 2a\r\nhelp 2b\r\n");
  TextLine* a = append_line("old a", LineExtra{1, 2, 3});
  TextLine* b = append_line("old b");
  TextLine* c = append_line("old c", LineExtra{9});
  int32_t changes = g_lists.lines_changed;
  EXPECT_EQ(message_to_list_texts(a, 40), 0);
  EXPECT_EQ(a->text, "First:\n");
  EXPECT_EQ(b->text, "Second:\n");
  EXPECT_EQ(c->text, "old c");
  EXPECT_TRUE(a->state & LINE_STATE_REDRAW);
  EXPECT_FALSE(c->state & LINE_STATE_REDRAW);
  EXPECT_GT(g_lists.lines_changed, changes);
  EXPECT_STREQ(reinterpret_cast<const char*>(a->extra.data()), "help 1a\nhelp 1b\n");
  EXPECT_STREQ(reinterpret_cast<const char*>(b->extra.data()), "help 2a\nhelp 2b\n");
  EXPECT_EQ(c->extra, LineExtra{9});
  EXPECT_EQ(message_to_list_texts(a, 42), -1);
  EXPECT_EQ(message_to_list_texts(nullptr, 40), 0);
}

TEST_F(CatalogueTest, AMissingFileOpensNoMessage) {
  EXPECT_EQ(open_catalogue(), 0);
  EXPECT_EQ(find_message(1), 0);
  g_catalogue.file_name = CATALOGUE_METRIC_FILE_NAME;
  write_file_bytes((folder_ / CATALOGUE_METRIC_FILE_NAME).string(), "~4\r\nfour\r\n");
  EXPECT_EQ(open_catalogue(), 1);
  EXPECT_EQ(loaded(4), "four\n");
}

TEST_F(CatalogueTest, ReadingStopsAtTheNextHeaderUntilFoundAgain) {
  open_with("~1\r\none\r\n~2\r\ntwo\r\n");
  ASSERT_EQ(find_message(1), 1);
  EXPECT_EQ(read_message_line(0), 5);  // "one" and CR LF
  EXPECT_EQ(read_message_line(0), 0);
  EXPECT_EQ(read_message_line(0), 0);  // does not wander into message 2
  EXPECT_STREQ(message_text(), "one");
  EXPECT_EQ(find_message(0), 0);
  close_catalogue();
  EXPECT_EQ(find_message(1), 0);
}

TEST_F(CatalogueTest, ReadMessageLineCountsTheFileBytes) {
  open_with("~1\rone  \rtwo\r\n");
  ASSERT_EQ(find_message(1), 1);
  EXPECT_EQ(read_message_line(0), 6);  // "one  " and a lone CR
  EXPECT_EQ(read_message_line(1), 5);  // "two" and CR LF
  EXPECT_STREQ(message_text(), "onetwo\n");
}

}  // namespace
