// Record files: the reader and the writer of named lines with binary blocks.
#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "platform/files.h"
#include "store/line_list.h"
#include "store/record_file.h"
#include "store/store_host.h"
#include "tests/support/test_folder.h"

namespace {

namespace fs = std::filesystem;

// A 32-byte block whose bytes count up from a seed, so that blocks differ everywhere.
LineExtra counting_block(uint8_t seed, size_t size = 32) {
  LineExtra block(size);
  for (size_t i = 0; i < size; ++i) block[i] = static_cast<uint8_t>(seed + i);
  return block;
}

std::string record_bytes(const std::string& text, int16_t id, uint8_t kind, uint8_t state,
                         const LineExtra& block) {
  std::string bytes = text + "\r\n";
  bytes += static_cast<char>(id & 0xFF);
  bytes += static_cast<char>((id >> 8) & 0xFF);
  bytes += static_cast<char>(kind);
  bytes += static_cast<char>(state);
  bytes.append(block.begin(), block.end());
  return bytes;
}

const std::string TAG_LINE("SI012699\r\r\n", 11);

class RecordFile : public ::testing::Test {
 protected:
  void SetUp() override {
    reset_list_store();
    reset_files();
    reset_store_host();
    reset_record_file();
    folder_ = make_test_folder("brenvik_records").string();
  }
  void TearDown() override {
    free_list(list_.first);
    free_current_list();
    reset_files();
    fs::remove_all(folder_);
  }
  std::string at(const std::string& name) const { return folder_ + "/" + name; }

  // Lines built on the current list and then handed to list_.
  TextLine* add_line(const char* text, int16_t id, uint8_t kind, uint8_t state, LineExtra block) {
    g_lists.current = list_;
    TextLine* line = append_line(text, std::move(block));
    line->id = id;
    line->kind = kind;
    line->state = state;
    list_ = g_lists.current;
    clear_current_list();
    return line;
  }

  std::string folder_;
  LineList list_;
};

TEST_F(RecordFile, WritesTheLayoutByteForByte) {
  add_line("Engraver 60", 7, 0x12, 0x01, counting_block(1));
  add_line("", -2, 0, 0x20, counting_block(100));  // an empty name with a block is kept
  add_line("", 9, 0, 0, {});                         // nothing at all: left out
  ASSERT_EQ(save_record_file(at("TOOLS.KR4"), list_.first, 32), 0);
  const std::string expected = TAG_LINE + record_bytes("Engraver 60", 7, 0x12, 0x01,
                                                       counting_block(1)) +
                               record_bytes("", -2, 0, 0x20, counting_block(100));
  EXPECT_EQ(read_file_bytes(at("TOOLS.KR4")), expected);
  // 11 + per line text + 2 + 4 + 32.
  EXPECT_EQ(expected.size(), 11u + (11 + 38) + (0 + 38));
}

TEST_F(RecordFile, WriterStopsATextAtItsLineEndAndPadsShortBlocks) {
  add_line("first\nsecond", 1, 0, 0, counting_block(5, 3));
  ASSERT_EQ(save_record_file(at("R.KR4"), list_.first, 8), 0);
  LineExtra padded = counting_block(5, 3);
  padded.resize(8, 0);
  EXPECT_EQ(read_file_bytes(at("R.KR4")), TAG_LINE + record_bytes("first", 1, 0, 0, padded));
}

TEST_F(RecordFile, ReadsBackWhatItWrote) {
  add_line("V-bit 90", 1, 0x03, 0x40, counting_block(10));
  add_line("End mill 1/8", 32767, 0, 0, counting_block(200));
  add_line("Ball", -32768, 0xFF, 0xFF, counting_block(0));
  ASSERT_EQ(save_record_file(at("T.KR4"), list_.first, 32), 0);

  LineList loaded;
  ASSERT_EQ(load_record_file(at("T.KR4"), 32, 40, &loaded, "bad %s", 0), 0);
  EXPECT_EQ(g_record_file.last_fault, RECORD_FAULT_NONE);
  const TextLine* want = list_.first;
  const TextLine* got = loaded.first;
  for (; want != nullptr && got != nullptr; want = want->next, got = got->next) {
    EXPECT_EQ(got->text, want->text);
    EXPECT_EQ(got->id, want->id);
    EXPECT_EQ(got->kind, want->kind);
    EXPECT_EQ(got->state, want->state);
    // The block is as big as asked, the record first and zeros after it.
    LineExtra expected = want->extra;
    expected.resize(40, 0);
    EXPECT_EQ(got->extra, expected) << want->text;
  }
  EXPECT_EQ(want, nullptr);
  EXPECT_EQ(got, nullptr);
  EXPECT_EQ(loaded.last->text, "Ball");
  EXPECT_EQ(g_host_messages.shown_count, 0);
  free_list(loaded.first);
}

TEST_F(RecordFile, EndByteTakesThePlaceOfTheLineEnd) {
  // The second record, written by hand, ends its text with a bare LF: it keeps its last letter.
  write_file_bytes(at("E.KR4"), TAG_LINE + "Plain\r\n" + std::string("\1\0\0\0ab", 6) + "Bare\n" +
                               std::string("\2\0\0\0cd", 6));
  struct Case {
    char end_byte;
    const char* first;
    const char* second;
  } cases[] = {{0, "Plain", "Bare"}, {'|', "Plain|", "Bare|"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.first);
    LineList loaded;
    ASSERT_EQ(load_record_file(at("E.KR4"), 2, 2, &loaded, "bad", c.end_byte), 0);
    ASSERT_NE(loaded.first, nullptr);
    ASSERT_EQ(loaded.first->next, loaded.last);
    EXPECT_EQ(loaded.first->text, c.first);
    EXPECT_EQ(loaded.last->text, c.second);
    EXPECT_EQ(loaded.last->id, 2);
    EXPECT_EQ(loaded.last->extra, (LineExtra{'c', 'd'}));
    free_list(loaded.first);
  }
}

// Every damaged file is refused the same way: -1, the caller's list as it was, and the
// caller's message for a damaged file but none for a missing or empty one.
TEST_F(RecordFile, RefusesDamagedFilesAndLeavesTheCallersListAlone) {
  const std::string good = record_bytes("Tool", 1, 0, 0, counting_block(3));
  struct Case {
    const char* name;
    bool create;
    std::string bytes;
    RecordFileFault fault;
    bool message;
  } cases[] = {
      {"missing file", false, "", RECORD_FAULT_NO_FILE, false},
      {"empty file", true, "", RECORD_FAULT_NO_FILE, false},
      {"tag and no record", true, TAG_LINE, RECORD_FAULT_NO_RECORD, false},
      {"tag and a lone line feed", true, TAG_LINE + "\n", RECORD_FAULT_NO_RECORD, false},
      {"another tag", true, std::string("SI041697\r\r\n", 11) + good, RECORD_FAULT_BAD_TAG, true},
      {"tag line of 10 bytes", true, std::string("SI012699\r\n", 10) + good,
       RECORD_FAULT_BAD_TAG, true},
      {"not a record file", true, "Hello world\r\n" + good, RECORD_FAULT_BAD_TAG, true},
      {"cut in the id bytes", true, TAG_LINE + good + "Next\r\n\1\0", RECORD_FAULT_SHORT_HEADER,
       true},
      {"cut in the block", true, TAG_LINE + good.substr(0, good.size() - 1),
       RECORD_FAULT_SHORT_BLOCK, true},
      {"cut after a text", true, TAG_LINE + good + "Next", RECORD_FAULT_SHORT_HEADER, true},
      {"text longer than the reader's buffer", true,
       TAG_LINE + std::string(5000, 'x') + "\r\n" + std::string(36, '\0'),
       RECORD_FAULT_LONG_TEXT, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string path = at("case.KR4");
    fs::remove(path);
    if (c.create) write_file_bytes(path, c.bytes);
    reset_store_host();
    LineList callers;
    g_lists.current = LineList{};
    TextLine* kept = append_line("kept", counting_block(9));
    callers = g_lists.current;
    clear_current_list();

    EXPECT_EQ(load_record_file(path, 32, 32, &callers, "Tool list file is bad! %s", 0), -1);
    EXPECT_EQ(g_record_file.last_fault, c.fault);
    EXPECT_EQ(callers.first, kept);
    EXPECT_EQ(callers.last, kept);
    EXPECT_EQ(kept->text, "kept");
    EXPECT_EQ(kept->extra, counting_block(9));
    EXPECT_EQ(g_host_messages.shown_count, c.message ? 1 : 0);
    if (c.message) {
      EXPECT_EQ(g_host_messages.last_text, "Tool list file is bad! " + path);
    }
    EXPECT_EQ(g_lists.current.first, nullptr);
    EXPECT_TRUE(g_lists.stack.empty());
    free_list(callers.first);
  }
}

TEST_F(RecordFile, AFailedSaveKeepsTheOldFileAndSaysSo) {
  add_line("One", 1, 0, 0, counting_block(1));
  write_file_bytes(at("KEEP.KR4"), "old contents");
  fail_nth_save_write(3);
  EXPECT_EQ(save_record_file(at("KEEP.KR4"), list_.first, 32), 27);
  EXPECT_EQ(read_file_bytes(at("KEEP.KR4")), "old contents");
  EXPECT_FALSE(fs::exists(at("SAVEFILE.TMP")));
  EXPECT_EQ(g_host_messages.shown_count, 1);
  EXPECT_NE(g_host_messages.last_text.find(at("KEEP.KR4")), std::string::npos);
}

TEST_F(RecordFile, SavingKeepsTheFormerFileAsBackup) {
  add_line("One", 1, 0, 0, counting_block(1));
  write_file_bytes(at("LIST.KR4"), "previous");
  ASSERT_EQ(save_record_file(at("LIST.KR4"), list_.first, 32), 0);
  EXPECT_EQ(read_file_bytes(at("LIST.BAK")), "previous");
  EXPECT_FALSE(fs::exists(at("SAVEFILE.TMP")));
}

// Randomly damaged files, from a fixed seed: every one is either read whole or refused, and a
// refusal leaves the caller's list as it was.
TEST_F(RecordFile, RandomDamageIsReadOrRefusedCleanly) {
  for (uint8_t i = 0; i < 6; ++i)
    add_line(("Tool " + std::to_string(i)).c_str(), i, 0, 0, counting_block(i));
  ASSERT_EQ(save_record_file(at("good.KR4"), list_.first, 32), 0);
  const std::string good = read_file_bytes(at("good.KR4"));
  std::mt19937 random(20240611);
  for (int round = 0; round < 400; ++round) {
    std::string bytes = good;
    const int damage = static_cast<int>(random() % 3);
    if (damage == 0) bytes.resize(random() % bytes.size());
    for (int n = 0; damage == 1 && n < 4; ++n)
      bytes[random() % bytes.size()] = static_cast<char>(random());
    if (damage == 2) bytes.insert(random() % bytes.size(), std::string(1 + random() % 40, '\n'));
    write_file_bytes(at("damaged.KR4"), bytes);
    g_lists.current = LineList{};
    TextLine* kept = append_line("kept");
    LineList callers = g_lists.current;
    clear_current_list();
    const int result = load_record_file(at("damaged.KR4"), 32, 32, &callers, "bad", 0);
    SCOPED_TRACE(testing::Message() << "round " << round << " fault " << g_record_file.last_fault);
    if (result == 0) {
      for (const TextLine* line = callers.first; line != nullptr; line = line->next)
        EXPECT_EQ(line->extra.size(), 32u);
    } else {
      EXPECT_EQ(result, -1);
      EXPECT_EQ(callers.first, kept);
      EXPECT_EQ(callers.last, kept);
    }
    free_list(callers.first);
  }
}

}  // namespace
