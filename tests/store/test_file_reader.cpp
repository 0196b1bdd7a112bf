#include "store/file_reader.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "tests/support/test_folder.h"

namespace {

using Lines = std::vector<std::string>;

class FileReaderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = make_test_folder("file_reader");
  }
  void TearDown() override {
    close_file_record(&record_);
    std::filesystem::remove_all(folder_);
  }

  std::string write(const std::string& bytes, const std::string& name = "f.txt") {
    std::string path = (folder_ / name).string();
    write_file_bytes(path, bytes);
    return path;
  }

  // Every line of the file in `mode`, checking on the way that the file offsets of the lines
  // run on without gap or overlap.
  Lines read_all(const std::string& bytes, uint16_t buffer_size, int mode) {
    init_file_record(&record_, write(bytes), buffer_size);
    Lines lines;
    int64_t expected_offset = 0;
    for (int guard = 0; guard < 100000; ++guard) {
      int32_t n = read_file_line(&record_, mode);
      if (n == 0) break;
      EXPECT_EQ(record_.line_offset, expected_offset);
      expected_offset = record_.next_offset;
      lines.push_back(file_line_string(&record_));
      EXPECT_EQ(static_cast<size_t>(n), lines.back().size());
    }
    EXPECT_EQ(expected_offset, static_cast<int64_t>(bytes.size())) << "bytes left unread";
    return lines;
  }

  std::filesystem::path folder_;
  FileRecord record_;
};

struct LineCase {
  const char* name;
  std::string bytes;
  uint16_t buffer_size;
  int mode;
  Lines expected;
};

TEST_F(FileReaderTest, LinesOfEveryLineEndComeBackWhole) {
  const LineCase cases[] = {
      {"CR LF", "ab\r\ncd\r\n", 64, FILE_READ_LINE, {"ab\r\n", "cd\r\n"}},
      {"LF", "ab\ncd\n", 64, FILE_READ_LINE, {"ab\n", "cd\n"}},
      {"lone CR becomes CR LF", "ab\rcd\r", 64, FILE_READ_LINE, {"ab\r\n", "cd\r\n"}},
      {"lone CR after a line", "x\nab\rcd\n", 64, FILE_READ_LINE, {"x\n", "ab\r\n", "cd\n"}},
      {"mixed", "a\r\nb\nc\rd", 64, FILE_READ_LINE, {"a\r\n", "b\n", "c\r\n", "d\r\n"}},
      {"no final newline, mode 0", "ab\ncd", 64, FILE_READ_LINE, {"ab\n", "cd\r\n"}},
      {"no final newline, mode -1", "ab\ncd", 64, FILE_READ_LINE_KEEP_OPEN, {"ab\n", "cd\r\n"}},
      {"no final newline, mode -3", "cd", 64, FILE_READ_LINE_CLOSE, {"cd\r\n"}},
      {"no final newline, mode -2", "ab\ncd", 64, FILE_READ_LINE_RAW_END, {"ab\n", "cd"}},
      {"empty lines", "\r\n\n\r\n", 64, FILE_READ_LINE, {"\r\n", "\n", "\r\n"}},
      {"empty file", "", 64, FILE_READ_LINE, {}},
      {"CR LF across a refill", "a\nbc\r\nd", 5, FILE_READ_LINE, {"a\n", "bc\r\n", "d\r\n"}},
      {"lone CRs in a small buffer", "a\rb\rc\rd", 4, FILE_READ_LINE,
       {"a\r\n", "b\r\n", "c\r\n", "d\r\n"}},
      // A line longer than the buffer comes in buffer-size pieces; the piece with the line
      // end ends it, and nothing is lost.
      {"long line in pieces", "0123456789abcdef\nxy\n", 8, FILE_READ_LINE,
       {"01234567", "89abcdef", "\n", "xy\n"}},
      {"long last line without newline", "0123456789", 4, FILE_READ_LINE,
       {"0123", "4567", "89\r\n"}},
  };
  for (const LineCase& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(read_all(c.bytes, c.buffer_size, c.mode), c.expected);
  }
}

TEST_F(FileReaderTest, LoneCarriageReturnsAreCounted) {
  read_all("a\rb\r\nc\rd\n", 64, FILE_READ_LINE);
  EXPECT_EQ(g_file_reader.lone_cr_count, 2u);
  init_file_record(&record_, write("x"), 64);
  EXPECT_EQ(g_file_reader.lone_cr_count, 0u);
}

TEST_F(FileReaderTest, PiecesTellWhetherTheyEndTheLine) {
  init_file_record(&record_, write("0123456789\nab"), 4);
  std::vector<bool> ends;
  while (read_file_line(&record_, FILE_READ_LINE_RAW_END) > 0) {
    ends.push_back(file_line_ends_line(&record_));
  }
  EXPECT_EQ(ends, (std::vector<bool>{false, false, true, false}));
}

TEST_F(FileReaderTest, RecordsComeInExactSizesAndTheRestLast) {
  std::string bytes(100, 'r');
  EXPECT_EQ(read_all(bytes, FILE_BUFFER_RECORDS, 32),
            (Lines{std::string(32, 'r'), std::string(32, 'r'), std::string(32, 'r'),
                   std::string(4, 'r')}));
  EXPECT_EQ(record_.descriptor, FILE_AT_END);
}

TEST_F(FileReaderTest, RecordsLargerThanTheBufferAreRefused) {
  init_file_record(&record_, write(std::string(100, 'r')), 16);
  EXPECT_EQ(read_file_line(&record_, 32), 0);
}

TEST_F(FileReaderTest, MissingFileReadsAsEmpty) {
  init_file_record(&record_, (folder_ / "absent.txt").string(), 64);
  EXPECT_EQ(read_file_line(&record_, FILE_READ_LINE), 0);
  EXPECT_EQ(record_.descriptor, FILE_NOT_OPEN);
  EXPECT_EQ(seek_file_record(&record_, 0, SEEK_SET), -1);
}

TEST_F(FileReaderTest, EndClosesInModeZeroAndStaysOpenInModeMinusOne) {
  init_file_record(&record_, write("a\n"), 64);
  while (read_file_line(&record_, FILE_READ_LINE) > 0) {
  }
  EXPECT_EQ(record_.descriptor, FILE_AT_END);
  EXPECT_EQ(read_file_line(&record_, FILE_READ_LINE), 0);

  init_file_record(&record_, write("a\n"), 64);
  while (read_file_line(&record_, FILE_READ_LINE_KEEP_OPEN) > 0) {
  }
  EXPECT_EQ(record_.descriptor, FILE_OPEN);
  EXPECT_TRUE(record_.buffer.empty());
}

TEST_F(FileReaderTest, SeekAfterTheEndReadsAgainFromThere) {
  init_file_record(&record_, write("one\ntwo\nthree\n"), 64);
  while (read_file_line(&record_, FILE_READ_LINE_KEEP_OPEN) > 0) {
  }
  ASSERT_EQ(seek_file_record(&record_, 4, SEEK_SET), 0);
  ASSERT_GT(read_file_line(&record_, FILE_READ_LINE_KEEP_OPEN), 0);
  EXPECT_EQ(file_line_string(&record_), "two\n");
  EXPECT_EQ(record_.line_offset, 4);
  // SEEK_CUR counts from the first byte not yet handed out, not from the stream's position.
  ASSERT_EQ(seek_file_record(&record_, -4, SEEK_CUR), 0);
  ASSERT_GT(read_file_line(&record_, FILE_READ_LINE_KEEP_OPEN), 0);
  EXPECT_EQ(file_line_string(&record_), "two\n");
}

TEST_F(FileReaderTest, SeekReopensAFileReadToItsEnd) {
  init_file_record(&record_, write("one\ntwo\n"), 64);
  while (read_file_line(&record_, FILE_READ_LINE) > 0) {
  }
  ASSERT_EQ(record_.descriptor, FILE_AT_END);
  ASSERT_EQ(seek_file_record(&record_, 0, SEEK_SET), 0);
  ASSERT_GT(read_file_line(&record_, FILE_READ_LINE), 0);
  EXPECT_EQ(file_line_string(&record_), "one\n");
}

// A lone CR ends its line wherever the buffer happens to end, so a file with mixed line ends
// whose lines fit the buffer reads into the same lines at every buffer size.
TEST_F(FileReaderTest, MixedLineEndsReadTheSameAtEveryBufferSize) {
  std::mt19937 random(7);
  const char* ends[] = {"\n", "\r\n", "\r"};
  for (int round = 0; round < 20; ++round) {
    std::string bytes;
    Lines expected;
    for (int i = 0; i < 30; ++i) {
      std::string text(1 + random() % 5, 'a' + i % 26);  // never empty: "\r" + "\n" would be CR LF
      std::string end = ends[random() % 3];
      bytes += text + end;
      expected.push_back(text + (end == "\n" ? "\n" : "\r\n"));
    }
    for (uint16_t buffer_size = 8; buffer_size <= 40; ++buffer_size) {
      SCOPED_TRACE("round " + std::to_string(round) + ", buffer " + std::to_string(buffer_size));
      ASSERT_EQ(read_all(bytes, buffer_size, FILE_READ_LINE), expected);
    }
  }
}

// Random files of short and long lines with every kind of line end, read with small buffers:
// the file offsets cover the file exactly, no line passes the buffer plus its added line end,
// and a line holds the bytes of its stretch of the file with line ends only added.
TEST_F(FileReaderTest, RandomFilesLoseNoByteAtAnyBufferSize) {
  std::mt19937 random(20240611);
  const char alphabet[] = {'a', 'b', '\r', '\n', '~', ' '};
  for (int round = 0; round < 300; ++round) {
    std::string bytes(random() % 200, 'x');
    for (char& c : bytes) c = alphabet[random() % sizeof(alphabet)];
    uint16_t buffer_size = static_cast<uint16_t>(2 + random() % 20);
    int mode = round % 2 == 0 ? FILE_READ_LINE : FILE_READ_LINE_RAW_END;
    SCOPED_TRACE("round " + std::to_string(round));
    Lines lines = read_all(bytes, buffer_size, mode);
    size_t at = 0;
    for (size_t i = 0; i < lines.size(); ++i) {
      const std::string& line = lines[i];
      ASSERT_LE(line.size(), buffer_size + 2u);
      // Strip what the reader may add (an LF after a CR, CR LF after a last line) and compare.
      std::string kept;
      for (size_t k = 0; k < line.size(); ++k) {
        if (line[k] == '\n' && (at + kept.size() >= bytes.size() ||
                                bytes[at + kept.size()] != '\n')) {
          continue;
        }
        if (line[k] == '\r' && at + kept.size() >= bytes.size()) continue;
        kept += line[k];
      }
      ASSERT_EQ(kept, bytes.substr(at, kept.size())) << "line " << i;
      at += kept.size();
    }
    EXPECT_EQ(at, bytes.size());
  }
}

}  // namespace
