// The text loader: a file read into lines and written back gives its own bytes, whatever they
// are; a large file leaves exactly its middle unread.
#include "store/text_loading.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "store/file_reader.h"
#include "store/line_fold.h"
#include "store/store_host.h"
#include "tests/support/test_folder.h"

namespace {

class TextLoadingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    reset_list_store();
    reset_fold_state();
    reset_store_host();
    folder_ = make_test_folder("text_loading");
    g_fold.window.wrap_width = &wrap_width_;
    g_fold.window.folds = true;
    g_fold.window.file = &file_;
  }
  void TearDown() override {
    free_current_list();
    reset_list_store();
    close_file_record(&file_);
    reset_fold_state();
    std::filesystem::remove_all(folder_);
  }

  // Loads the bytes as a file; returns the lines made.
  int32_t load(const std::string& bytes, bool partial = true) {
    free_current_list();
    close_file_record(&file_);
    const std::string path = (folder_ / "file.txt").string();
    write_file_bytes(path, bytes);
    init_file_record(&file_, path, FILE_BUFFER_EDITOR);
    TextLoad load;
    load.file = &file_;
    load.wrap_width = wrap_width_;
    load.allow_partial = partial;
    load.detect_line_ends = true;
    const int32_t made = read_text_lines(&load);
    placeholder_ = load.placeholder;
    return made;
  }

  // Every line brought in (walking reads the unread middle) and written back.
  std::string written_back() {
    for (TextLine* l = g_lists.current.first; l != nullptr; l = next_visible_line(l)) {
    }
    // Walking folds runs behind it: they are written in place.
    std::string out;
    for (TextLine* l = g_lists.current.first; l != nullptr; l = l->next) {
      EXPECT_FALSE(is_unread_placeholder(l));
      const FoldRecord* record = fold_record_of(l);
      if (record == nullptr) line_to_file_text(l, 0, file_.lf_line_ends, &out);
      else for (TextLine* r = record->first_line; r != nullptr; r = r->next)
        line_to_file_text(r, 0, file_.lf_line_ends, &out);
    }
    return out;
  }

  int16_t wrap_width_ = 78;
  FileRecord file_;
  TextLine* placeholder_ = nullptr;
  std::filesystem::path folder_;
};

std::string all_bytes() {
  std::string out;
  for (int c = 0; c < 256; ++c) out.push_back(static_cast<char>(c));
  return out;
}

TEST_F(TextLoadingTest, BytesComeBackAsTheyWere) {
  struct Case {
    const char* name;
    std::string bytes;
  };
  std::string long_line(100000, 'a');
  for (size_t k = 7; k < long_line.size(); k += 13) long_line[k] = ' ';
  const Case cases[] = {
      {"empty", ""},
      {"no final line end", "G0 X1\r\nG1 Y2"},
      {"CR LF", "G0 X1\r\nG1 Y2\r\n"},
      {"LF", "G0 X1\nG1 Y2\n"},
      {"lone CR", "G0 X1\rG1 Y2\r"},
      {"CR CR LF", "a\r\r\nb\r\n"},
      {"CR LF inside an LF file", "a\nb\r\nc\n"},
      {"blank lines", "\r\n\r\n\r\nx\r\n\r\n"},
      {"NUL and control bytes", std::string("a\0b\x01\x08\x1b\x1c\x1d\x7f\tz\r\n", 14)},
      {"every byte", all_bytes() + "\r\n" + all_bytes()},
      {"0x80-0xFF", all_bytes().substr(128) + "\n"},
      {"100,000-byte line", long_line + "\r\nend\r\n"},
      {"long line without spaces", std::string(70000, 'q')},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_GE(load(c.bytes), 0);
    EXPECT_EQ(written_back(), c.bytes);
  }
}

TEST_F(TextLoadingTest, LineEndsOfTheFileAreKept) {
  load("a\nb\n");
  EXPECT_TRUE(file_.lf_line_ends);
  load("a\r\nb\n");
  EXPECT_FALSE(file_.lf_line_ends);
  load("no line end");
  EXPECT_FALSE(file_.lf_line_ends);  // new and end-less files get CR LF
}

TEST_F(TextLoadingTest, ControlBytesAreGlyphPairs) {
  load(std::string("a\0\x01\r\n", 5));
  ASSERT_NE(g_lists.current.first, nullptr);
  EXPECT_EQ(g_lists.current.first->text, std::string("a\x08\x21\x08\x22\n"));
}

// Lines of `width` bytes with CR LF: their count and the file.
std::string lines_of(int count, int width) {
  std::string out;
  for (int k = 0; k < count; ++k) {
    std::string line = std::to_string(k);
    line.resize(static_cast<size_t>(width - 2), '.');
    out += line + "\r\n";
  }
  return out;
}

TEST_F(TextLoadingTest, PartialLoadThresholds) {
  struct Case {
    const char* name;
    int lines;
    int width;
    bool partial;
  };
  const Case cases[] = {
      {"exactly 40,000 bytes", 1000, 40, false},
      {"40,040 bytes, more than 100 lines", 1001, 40, true},
      {"100 lines of 500 bytes", 100, 500, false},  // no cut after 100 lines
      {"15,000 bytes left after the cut", 151, 300, false},
      {"15,300 bytes left after the cut", 152, 300, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    wrap_width_ = static_cast<int16_t>(c.width + 10);
    const std::string bytes = lines_of(c.lines, c.width);
    ASSERT_GE(load(bytes), 0);
    ASSERT_EQ(placeholder_ != nullptr, c.partial);
    if (c.partial) {
      const FoldRecord* record = fold_record_of(placeholder_);
      ASSERT_NE(record, nullptr);
      EXPECT_EQ(record->unread_text, 1);
      EXPECT_EQ(record->fold_slot, -1);
      // The head is 101 whole lines; the tail starts at the first whole line of its 3500 bytes.
      EXPECT_EQ(record->file_offset, 101 * c.width);
      const size_t tail = bytes.find('\n', bytes.size() - PARTIAL_LOAD_TAIL) + 1;
      EXPECT_EQ(record->file_offset + record->byte_count, static_cast<int64_t>(tail));
      EXPECT_EQ(placeholder_->text, "\xfe");
      EXPECT_EQ(placeholder_->kind, LINE_KIND_PLACEHOLDER);
    }
    EXPECT_EQ(written_back(), bytes);
  }
}

TEST_F(TextLoadingTest, ATailWithoutALineEndIsReadWhole) {
  // 101 lines, then one line of 40,000 bytes with no line end.
  const std::string bytes = lines_of(101, 100) + std::string(40000, 'z');
  wrap_width_ = 110;
  ASSERT_GE(load(bytes), 0);
  ASSERT_NE(placeholder_, nullptr);
  const FoldRecord* record = fold_record_of(placeholder_);
  EXPECT_EQ(record->file_offset, 101 * 100);
  EXPECT_EQ(record->file_offset + record->byte_count,
            static_cast<int64_t>(bytes.size()) - PARTIAL_LOAD_TAIL);
  EXPECT_EQ(written_back(), bytes);
}

}  // namespace
