// Tape codes: the EIA code, the '~' codes of the start and end strings, and the man-readable
// leader spelled with the shipped table and read back through it.
#include "nc/tape_codes.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>

#include "tests/support/test_folder.h"

namespace {

TEST(EiaCode, CharactersTakeTheirTapeCodes) {
  struct Case {
    char character;
    uint8_t code;
  };
  const Case cases[] = {
      {'G', 0x67}, {'g', 0x67}, {'1', 0x01}, {'0', 0x20}, {'9', 0x19}, {'X', 0x37},
      {'Z', 0x29}, {'a', 0x61}, {'.', 0x6B}, {'-', 0x40}, {'%', 0x0B}, {'/', 0x31},
      {':', 0x1A}, {';', 0x0E}, {'?', 0x6D}, {'\t', 0x3E}, {'\n', 0x80}, {']', 0x5E},
      {'~', 0x4A}, {' ', 0x10}, {'\r', 0x10}, {'[', 0x10}, {'@', 0x10},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ascii_to_eia(static_cast<uint8_t>(c.character)), c.code)
        << "character " << static_cast<int>(c.character);
  }
}

TEST(TildeCodes, DigitsAfterATildeCountBlankTape) {
  struct Case {
    const char* text;
    int nuls;
    int man_readable;
  };
  const Case cases[] = {
      {"^M^J", 0, 0},        {"~3^M^J", 24, 0},  {"~3~9", 96, 0},
      {"~~3", 24, 0},        {"3~", 0, 0},       {"~*%", 0, 1},
      {"%~*~2", 16, 1},      {"~x~", 0, 0},
      // Past what one byte holds: counted in full.
      {"~9~9~9~9", 288, 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(leader_length(c.text), c.nuls) << c.text;
    EXPECT_EQ(has_man_readable(c.text), c.man_readable) << c.text;
  }
}

// Reads a leader back: each run of holes is a character found by its pattern, each 8 blank
// frames a space; the 24 blank frames at the end close it.
std::string decode_leader(const ManReadTable& table, const std::string& leader) {
  std::map<std::string, char> by_pattern;
  for (int c = MAN_READ_FIRST + 1; c < MAN_READ_FIRST + MAN_READ_COUNT; ++c)
    by_pattern[man_read_pattern(table, static_cast<uint8_t>(c))] = static_cast<char>(c);
  std::string text;
  size_t at = 0;
  const size_t end = leader.size() - MAN_READ_TRAILING_NULS;
  while (at < end) {
    if (leader[at] != '\0') {
      const size_t stop = leader.find('\0', at);
      const auto found = by_pattern.find(leader.substr(at, stop - at));
      text.push_back(found != by_pattern.end() ? found->second : '?');
      at = stop + 1;  // the frame after each character
    } else {
      at += MAN_READ_SPACE_NULS;
      text.push_back(' ');
    }
  }
  return text;
}

TEST(ManReadable, TheShippedTableSpellsTheLeader) {
  ASSERT_EQ(read_man_read_table(BRENVIK_PROGRAM_DIR), MAN_READ_COUNT);
  const ManReadTable& table = g_man_read;
  // Every character from '!' to '_' has a pattern of its own; the space has none.
  std::map<std::string, int> seen;
  EXPECT_TRUE(man_read_pattern(table, ' ').empty());
  for (int c = MAN_READ_FIRST + 1; c < MAN_READ_FIRST + MAN_READ_COUNT; ++c) {
    const std::string pattern = man_read_pattern(table, static_cast<uint8_t>(c));
    EXPECT_FALSE(pattern.empty()) << static_cast<char>(c);
    EXPECT_EQ(++seen[pattern], 1) << static_cast<char>(c) << " looks like another character";
  }
  const std::string text = "PART 12-A  [OP#3] _?";
  const std::string leader = man_readable_leader(table, text);
  EXPECT_EQ(leader.substr(leader.size() - MAN_READ_TRAILING_NULS),
            std::string(MAN_READ_TRAILING_NULS, '\0'));
  EXPECT_EQ(decode_leader(table, leader), text);
  // Outside the table a character sends only its frame; so does every one of an empty table.
  EXPECT_EQ(man_readable_leader(table, "a"), std::string(1 + MAN_READ_TRAILING_NULS, '\0'));
  EXPECT_EQ(man_readable_leader(ManReadTable(), "AB"),
            std::string(2 + MAN_READ_TRAILING_NULS, '\0'));
  reset_man_read_table();
}

TEST(ManReadable, ATableFileCutShortKeepsItsWholeEntries) {
  const std::filesystem::path folder = make_test_folder("man_read");
  std::string bytes(MAN_READ_ENTRY_SIZE * 2 + 4, '\x7f');  // two whole entries and a piece
  write_file_bytes((folder / "man-read.tbl").string(), bytes);  // found ignoring case
  EXPECT_EQ(read_man_read_table(folder.string()), 2);
  // Each entry ends in its 0 byte, whatever the file held.
  EXPECT_EQ(man_read_pattern(g_man_read, ' '), std::string(8, '\x7f'));
  EXPECT_EQ(man_read_pattern(g_man_read, '!'), std::string(8, '\x7f'));
  EXPECT_TRUE(man_read_pattern(g_man_read, '"').empty());
  EXPECT_EQ(read_man_read_table((folder / "none").string()), 0);
  EXPECT_TRUE(man_read_pattern(g_man_read, ' ').empty());
  std::filesystem::remove_all(folder);
  reset_man_read_table();
}

TEST(ManReadable, TheCorpusReadsWithoutFault) {
  int files = 0;
  for (const auto& entry : std::filesystem::directory_iterator(MAN_READ_CORPUS_DIR)) {
    ++files;
    const std::string bytes = read_file_bytes(entry.path().string());
    ManReadTable table;
    const int whole = read_man_read_bytes(reinterpret_cast<const uint8_t*>(bytes.data()),
                                          bytes.size(), &table);
    EXPECT_EQ(whole, std::min<int>(MAN_READ_COUNT, static_cast<int>(bytes.size()) / 9));
    for (int c = 0; c < 256; ++c)
      EXPECT_LE(man_read_pattern(table, static_cast<uint8_t>(c)).size(), 8u);
  }
  EXPECT_GE(files, 2);
}

}  // namespace
