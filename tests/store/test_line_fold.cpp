// Folding of long lists: what folds and what is kept, walks that bring runs back, and unread
// file text read back in slices.
#include "store/line_fold.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "store/file_reader.h"
#include "store/store_host.h"
#include "store/text_loading.h"
#include "tests/support/test_folder.h"

namespace {

using Texts = std::vector<std::string>;
constexpr int ROWS = 25;

class LineFoldTest : public ::testing::Test {
 protected:
  void SetUp() override {
    reset_list_store();
    reset_fold_state();
    reset_store_host();
    g_fold.screen_rows = ROWS;
    g_fold.window.wrap_width = &wrap_width_;
    g_fold.window.folds = true;
  }
  void TearDown() override {
    free_current_list();
    reset_list_store();
    if (file_.descriptor == FILE_OPEN) close_file_record(&file_);
    reset_fold_state();
    if (!folder_.empty()) std::filesystem::remove_all(folder_);
  }

  // A list of n lines "line k" + padding (k from 0), the cursor on line `cursor`.
  void build(int n, int cursor, int padding = 10) {
    texts_.clear();
    for (int k = 0; k < n; ++k) {
      texts_.push_back("line " + std::to_string(k) + std::string(static_cast<size_t>(padding), 'x'));
      TextLine* l = append_line(texts_.back().c_str());
      ASSERT_NE(l, nullptr);
      if (k == cursor) g_lists.cursor_line = l;
    }
    renumber_lines();
  }

  int16_t wrap_width_ = 0;
  Texts texts_;
  FileRecord file_;
  std::filesystem::path folder_;
};

int count_placeholders() {
  int n = 0;
  for (TextLine* l = g_lists.current.first; l != nullptr; l = l->next) n += is_placeholder(l);
  return n;
}

// Every line of the list with the folded runs read in place, without bringing them back.
Texts logical_texts() {
  Texts out;
  for (TextLine* l = g_lists.current.first; l != nullptr; l = l->next) {
    const FoldRecord* record = fold_record_of(l);
    if (record == nullptr) {
      out.push_back(l->text);
      continue;
    }
    for (TextLine* r = record->first_line; r != nullptr; r = r->next) out.push_back(r->text);
  }
  return out;
}

// Texts met walking the whole list with next_visible_line (which brings every run back).
Texts walk_down() {
  Texts out;
  for (TextLine* l = g_lists.current.first; l != nullptr; l = next_visible_line(l))
    out.push_back(l->text);
  return out;
}

Texts walk_up() {
  Texts out;
  for (TextLine* l = g_lists.current.last; l != nullptr; l = prev_visible_line(l))
    out.push_back(l->text);
  return Texts(out.rbegin(), out.rend());
}

int32_t position_of(const TextLine* line) {
  int32_t k = 0;
  for (const TextLine* l = g_lists.current.first; l != nullptr; l = l->next, ++k)
    if (l == line) return k;
  return -1;
}

TEST_F(LineFoldTest, ShortListsAreNeverFolded) {
  build(249, 0);
  EXPECT_EQ(page_out_lines(g_lists.cursor_line), 0);
  free_current_list();
  build(250, 0, 40);
  EXPECT_EQ(page_out_lines(g_lists.cursor_line), 1);
  EXPECT_EQ(logical_texts(), texts_);
}

TEST_F(LineFoldTest, RoundTripWalkingDownAndUp) {
  for (const int n : {250, 1000, 33000, 100000}) {
    SCOPED_TRACE(n);
    build(n, 0, 40);
    page_out_all_lines(g_lists.cursor_line);
    EXPECT_GT(count_placeholders(), 0);
    EXPECT_EQ(logical_texts(), texts_);
    // A walk brings every run back and folds what it leaves behind.
    EXPECT_EQ(walk_down(), texts_);
    EXPECT_EQ(logical_texts(), texts_);
    EXPECT_EQ(fold_slots_taken(), count_placeholders());
    // Folded again around the other end and walked up.
    g_lists.cursor_line = g_lists.current.last;
    page_out_all_lines(g_lists.cursor_line);
    if (n > 250) {
      EXPECT_GT(count_placeholders(), 0);
    }
    EXPECT_EQ(walk_up(), texts_);
    EXPECT_EQ(logical_texts(), texts_);
    EXPECT_EQ(fold_slots_taken(), count_placeholders());
    free_current_list();
    EXPECT_EQ(fold_slots_taken(), 0);
  }
}

TEST_F(LineFoldTest, RunsComeFromTheFarSideAndKeepTheirLimits) {
  build(2000, 100);  // first third: the run is taken from the end
  ASSERT_EQ(page_out_lines(g_lists.cursor_line), 1);
  int32_t at = -1;
  for (TextLine* l = g_lists.current.first; l != nullptr; l = l->next)
    if (is_placeholder(l)) at = position_of(l);
  EXPECT_GT(at, 1000);
  free_current_list();

  build(2000, 1500);  // past the first third: from the start
  ASSERT_EQ(page_out_lines(g_lists.cursor_line), 1);
  for (TextLine* l = g_lists.current.first; l != nullptr; l = l->next)
    if (is_placeholder(l)) at = position_of(l);
  EXPECT_LT(at, 100);

  page_out_all_lines(g_lists.cursor_line);
  for (TextLine* l = g_lists.current.first; l != nullptr; l = l->next) {
    const FoldRecord* record = fold_record_of(l);
    if (record == nullptr) continue;
    int32_t bytes = 0;
    int32_t lines = 0;
    for (TextLine* r = record->first_line; r != nullptr; r = r->next) {
      bytes += r->text_length + 1;
      ++lines;
    }
    EXPECT_EQ(bytes, record->byte_count);
    EXPECT_LE(bytes, FOLD_RUN_CAP);
    EXPECT_TRUE(bytes >= FOLD_RUN_BYTES || lines > FOLD_RUN_LINES);
  }
  EXPECT_EQ(logical_texts(), texts_);
}

// Runs that meet a kept line: folded when they hold more than 500 lines even below 7000
// bytes, passed over when they are short.
TEST_F(LineFoldTest, ShortLinesFoldByCount) {
  build(3000, 2999, 0);  // "line k": at most 10 bytes a line
  g_lists.block_start = nth_line(400);  // 374 lines after the list's head: too few
  g_lists.block_end = nth_line(950);    // 549 lines between the block's ends
  ASSERT_EQ(page_out_lines(g_lists.cursor_line), 1);
  const FoldRecord* record = nullptr;
  TextLine* placeholder = g_lists.current.first;
  for (; placeholder != nullptr && record == nullptr; placeholder = placeholder->next)
    record = fold_record_of(placeholder);
  ASSERT_NE(record, nullptr);
  EXPECT_LT(record->byte_count, FOLD_RUN_BYTES);
  EXPECT_EQ(record->first_line->text, texts_[401]);
  EXPECT_EQ(record->last_line->text, texts_[949]);
  EXPECT_EQ(logical_texts(), texts_);
}

TEST_F(LineFoldTest, KeptLinesAreNeverFolded) {
  build(5000, 2500);
  TextLine* anchor = nth_line(4000);
  g_lists.block_start = nth_line(1200);
  g_lists.block_end = nth_line(3600);
  TextLine* cursor = g_lists.cursor_line;
  page_out_all_lines(anchor);
  ASSERT_GT(count_placeholders(), 2);
  // The block's ends stay in the list; the cursor line and the anchor with their neighbours
  // within R.
  EXPECT_GE(position_of(g_lists.block_start), 0);
  EXPECT_GE(position_of(g_lists.block_end), 0);
  for (TextLine* kept : {cursor, anchor}) {
    ASSERT_GE(position_of(kept), 0);
    TextLine* up = kept;
    TextLine* down = kept;
    for (int k = 1; k < ROWS; ++k) {
      up = up != nullptr ? up->prev : nullptr;
      down = down != nullptr ? down->next : nullptr;
      EXPECT_FALSE(is_placeholder(up)) << k << " above " << kept->text;
      EXPECT_FALSE(is_placeholder(down)) << k << " below " << kept->text;
    }
  }
  // The list's ends stay too.
  EXPECT_FALSE(is_placeholder(g_lists.current.first));
  EXPECT_FALSE(is_placeholder(g_lists.current.last));
  EXPECT_EQ(logical_texts(), texts_);
}

TEST_F(LineFoldTest, NoFreeSlotNoFold) {
  build(3000, 0);
  g_fold.slots.assign(g_fold.slots.size(), 0xFF);
  EXPECT_EQ(page_out_lines(g_lists.cursor_line), 0);
  EXPECT_EQ(count_placeholders(), 0);
  EXPECT_EQ(logical_texts(), texts_);
  // One slot given back is taken by the next fold, and only one fold is made with it.
  g_fold.slots[0] = 0xFE;
  EXPECT_EQ(page_out_lines(g_lists.cursor_line), 1);
  EXPECT_EQ(page_out_lines(g_lists.cursor_line), 0);
  EXPECT_EQ(fold_record_of(g_lists.current.last->prev) != nullptr ||
                count_placeholders() == 1, true);
  EXPECT_EQ(logical_texts(), texts_);
}

TEST_F(LineFoldTest, DeletingAPlaceholderGivesItsSlotBack) {
  build(3000, 0);
  ASSERT_EQ(page_out_lines(g_lists.cursor_line), 1);
  EXPECT_EQ(fold_slots_taken(), 1);
  TextLine* placeholder = g_lists.current.first;
  while (!is_placeholder(placeholder)) placeholder = placeholder->next;
  delete_line(placeholder);
  EXPECT_EQ(fold_slots_taken(), 0);
}

// The cursor walks at random; it always stands on the line it should, a run it enters going
// down puts it on the run's first line and going up on its last, and folding between moves
// loses nothing.
TEST_F(LineFoldTest, SeededCursorWalks) {
  for (const unsigned seed : {1u, 2u, 3u, 4u, 5u}) {
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::mt19937 random(seed);
    const int n = 2000 + static_cast<int>(random() % 4000);
    build(n, static_cast<int>(random() % static_cast<unsigned>(n)));
    int at = position_of(g_lists.cursor_line);
    page_out_all_lines(g_lists.cursor_line);
    for (int step = 0; step < 3000; ++step) {
      const bool down = random() % 2 == 0;
      const int count = 1 + static_cast<int>(random() % 300);
      for (int k = 0; k < count; ++k) {
        TextLine* moved = down ? cursor_to_next_line() : cursor_to_prev_line();
        if (moved == nullptr) {
          ASSERT_EQ(at, down ? n - 1 : 0);
          break;
        }
        at += down ? 1 : -1;
        ASSERT_EQ(g_lists.cursor_line->text, texts_[static_cast<size_t>(at)]);
        // The line beyond the cursor is a real one.
        ASSERT_FALSE(is_placeholder(down ? g_lists.cursor_line->next : g_lists.cursor_line->prev));
      }
      if (step % 50 == 0) page_out_all_lines(g_lists.cursor_line);
    }
    EXPECT_EQ(logical_texts(), texts_);
    EXPECT_EQ(walk_down(), texts_);
    free_current_list();
    EXPECT_EQ(fold_slots_taken(), 0);
  }
}

TEST_F(LineFoldTest, HiddenLinesAreSkippedWhileHidingIsOn) {
  build(5, 0);
  nth_line(1)->kind |= LINE_KIND_HIDDEN;
  nth_line(2)->kind |= LINE_KIND_HIDDEN;
  EXPECT_EQ(next_visible_line(nth_line(0)), nth_line(3));
  EXPECT_EQ(prev_visible_line(nth_line(3)), nth_line(0));
  EXPECT_EQ(next_shown_line(nth_line(0)), nth_line(3));
  g_fold.hiding = 0;
  EXPECT_EQ(next_visible_line(nth_line(0)), nth_line(1));
  EXPECT_EQ(prev_visible_line(nth_line(3)), nth_line(2));
}

// ---- Unread file text ------------------------------------------------------------------------

class UnreadTextTest : public LineFoldTest {
 protected:
  // A file of numbered lines with the given line end; loads it in part.
  void load(const std::string& bytes) {
    folder_ = make_test_folder("fold");
    path_ = (folder_ / "big.nc").string();
    write_file_bytes(path_, bytes);
    bytes_ = bytes;
    init_file_record(&file_, path_, FILE_BUFFER_EDITOR);
    g_fold.window.file = &file_;
    TextLoad load;
    load.file = &file_;
    load.wrap_width = wrap_width_;
    load.allow_partial = true;
    load.detect_line_ends = true;
    ASSERT_GT(read_text_lines(&load), 0);
    placeholder_ = load.placeholder;
    g_lists.cursor_line = g_lists.current.first;
  }
  // The file's bytes as the list stands: lines written back, unread ranges from the file.
  std::string list_bytes() {
    std::string out;
    for (TextLine* l = g_lists.current.first; l != nullptr; l = l->next) {
      const FoldRecord* record = fold_record_of(l);
      if (record != nullptr && record->unread_text != 0) {
        out += bytes_.substr(static_cast<size_t>(record->file_offset),
                             static_cast<size_t>(record->byte_count));
      } else if (record != nullptr) {
        for (TextLine* r = record->first_line; r != nullptr; r = r->next)
          line_to_file_text(r, 0, file_.lf_line_ends, &out);
      } else {
        line_to_file_text(l, 0, file_.lf_line_ends, &out);
      }
    }
    return out;
  }
  std::string path_;
  std::string bytes_;
  TextLine* placeholder_ = nullptr;
};

std::string numbered_lines(int n, const char* end) {
  std::string out;
  for (int k = 0; k < n; ++k) out += "N" + std::to_string(k * 10) + " G1 X" + std::to_string(k) + " Y2.5" + end;
  return out;
}

TEST_F(UnreadTextTest, SlicesReadGoingDownJoinToTheFile) {
  wrap_width_ = 80;
  for (const char* end : {"\r\n", "\n"}) {
    SCOPED_TRACE(end[0] == '\r' ? "CR LF" : "LF");
    load(numbered_lines(12000, end));
    ASSERT_NE(placeholder_, nullptr);
    EXPECT_EQ(list_bytes(), bytes_);
    int moves = 0;
    while (cursor_to_next_line() != nullptr) {
      ++moves;
      if (moves % 1000 == 0) {
        ASSERT_EQ(list_bytes(), bytes_) << moves;
      }
    }
    EXPECT_EQ(moves, 11999);
    EXPECT_EQ(list_bytes(), bytes_);
    // Every unread byte was read: the placeholder went and the file was closed.
    for (TextLine* l = g_lists.current.first; l != nullptr; l = l->next)
      ASSERT_FALSE(is_unread_placeholder(l));
    EXPECT_NE(file_.descriptor, FILE_OPEN);
    free_current_list();
    std::filesystem::remove_all(folder_);
  }
}

TEST_F(UnreadTextTest, GoingUpReadsTheLastSliceFirst) {
  wrap_width_ = 80;
  load(numbered_lines(12000, "\r\n"));
  ASSERT_NE(placeholder_, nullptr);
  const int64_t end = fold_record_of(placeholder_)->file_offset + fold_record_of(placeholder_)->byte_count;
  // To the first line after the placeholder, then one up.
  g_lists.cursor_line = placeholder_->next;
  ASSERT_NE(cursor_to_prev_line(), nullptr);
  const FoldRecord* record = fold_record_of(placeholder_);
  ASSERT_NE(record, nullptr);
  // The slice came from the end of the range and the placeholder stands in front of it.
  EXPECT_LE(end - (record->file_offset + record->byte_count), FOLD_SLICE_BYTES);
  EXPECT_GT(end - (record->file_offset + record->byte_count), FOLD_SLICE_BYTES - 100);
  EXPECT_EQ(list_bytes(), bytes_);
  int moves = 1;
  while (cursor_to_prev_line() != nullptr) ++moves;
  EXPECT_EQ(g_lists.cursor_line, g_lists.current.first);
  EXPECT_EQ(list_bytes(), bytes_);
  EXPECT_EQ(count_placeholders() - [] {
              int folded = 0;
              for (TextLine* l = g_lists.current.first; l != nullptr; l = l->next)
                folded += is_placeholder(l) && !is_unread_placeholder(l);
              return folded;
            }(),
            0);
  EXPECT_NE(file_.descriptor, FILE_OPEN);
  EXPECT_EQ(walk_down().size(), 12000u);
}

TEST_F(UnreadTextTest, AFailedReadLeavesTheListAsItWas) {
  wrap_width_ = 80;
  load(numbered_lines(6000, "\r\n"));
  ASSERT_NE(placeholder_, nullptr);
  const std::string before = list_bytes();
  const int32_t lines = count_current_lines();
  close_file_record(&file_);
  std::filesystem::remove(path_);
  g_lists.cursor_line = placeholder_->prev;
  EXPECT_EQ(cursor_to_next_line(), nullptr);
  EXPECT_EQ(count_current_lines(), lines);
  EXPECT_TRUE(is_placeholder(g_lists.cursor_line->next));
  EXPECT_EQ(list_bytes(), before);
}

}  // namespace
