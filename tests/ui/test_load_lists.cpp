// The load-list and file-filter windows: made from the preferences file's texts and giving them
// back, the load list's line drawer read back from the cells, and fitting a window to its lines.
#include <string>
#include <vector>

#include "tests/ui/window_fixture.h"
#include "ui/load_lists.h"

namespace {

using Texts = std::vector<std::string>;

class LoadListTest : public WindowTest {
 protected:
  void TearDown() override {
    destroy_load_list_windows();
    WindowTest::TearDown();
  }
  // The pixels of one cell.
  std::vector<uint32_t> cell_pixels(int row, int column) const {
    const int cw = g_display.current.cell_width;
    const int ch = g_display.current.cell_height;
    std::vector<uint32_t> pixels;
    for (int y = row * ch; y < (row + 1) * ch; ++y)
      for (int x = column * cw; x < (column + 1) * cw; ++x)
        pixels.push_back(screen().pixels[static_cast<size_t>(y) * screen().width + x]);
    return pixels;
  }
};

TEST_F(LoadListTest, WindowsAreMadeFromTheTextsAndGiveThemBack) {
  Texts names;
  for (int i = 0; i < 23; ++i) names.push_back("/jobs/" + std::to_string(i) + ".job");
  names.insert(names.begin() + 1, "");  // an empty record is no name
  make_load_list_windows({"*.NC", "", "*.TXT"}, {"/a/one.job"}, names);
  ASSERT_NE(g_load_lists.load_list_window, nullptr);
  ASSERT_NE(g_load_lists.multi_load_window, nullptr);
  ASSERT_NE(g_load_lists.file_filter_window, nullptr);

  const Texts job = window_line_texts(g_load_lists.load_list_window, LOAD_LIST_MOST_NAMES);
  ASSERT_EQ(job.size(), LOAD_LIST_MOST_NAMES);  // the first 22 names
  EXPECT_EQ(job.front(), "/jobs/0.job");
  EXPECT_EQ(job.back(), "/jobs/21.job");
  const TextWindow* w = window_of(g_load_lists.load_list_window);
  EXPECT_EQ(w->line_drawer, draw_load_list_line);
  EXPECT_STREQ(w->title, "Press ESC or RIGHT mouse to Cancel");

  // What the user changed in a window goes back; a window not made leaves the texts.
  add_history_entry("/jobs/new.job", window_of(g_load_lists.load_list_window), 22);
  Texts filters = {"old"};
  Texts multi = {"old"};
  Texts jobs;
  take_load_list_texts(&filters, &multi, &jobs);
  EXPECT_EQ(filters, (Texts{"*.NC", "*.TXT"}));
  EXPECT_EQ(multi, (Texts{"/a/one.job"}));
  ASSERT_EQ(jobs.size(), LOAD_LIST_MOST_NAMES);
  EXPECT_EQ(jobs.front(), "/jobs/new.job");
  destroy_load_list_windows();
  EXPECT_EQ(g_load_lists.file_filter_window, nullptr);
  take_load_list_texts(&filters, &multi, &jobs);
  EXPECT_EQ(multi, (Texts{"/a/one.job"}));

  // Made again, the earlier windows go first (the sanitizer run sees any left behind).
  make_load_list_windows({}, {}, {});
  make_load_list_windows({"*.*"}, {}, {});
  EXPECT_EQ(window_line_texts(g_load_lists.file_filter_window, 20), (Texts{"*.*"}));
}

TEST_F(LoadListTest, LinesShowABoxTheFolderAndTheName) {
  TextLine* node = load_list_window_of(
      {"/home/user/jobs/plate.job", "notes", "/home/user/jobs/" + std::string(120, 'x') + ".nc"});
  ASSERT_NE(node, nullptr);
  windows_.push_back(node);
  g_load_lists.multi_load_window = nullptr;
  activate_window(node);
  TextWindow* w = window_of(node);
  line_at(node, 0)->state |= LINE_STATE_CHECKED;
  const int row = w->top_row;
  for (int i = 0; i < 3; ++i) draw_load_list_line(row + i, line_at(node, i));

  // The box takes the first two cells.
  EXPECT_EQ(row_text(row, w->left_column + 2, 26), "/home/user/jobs/plate.job ");
  EXPECT_EQ(row_text(row + 1, w->left_column + 2, 6), "notes ");
  // A long path is shortened to the window: its start, an ellipsis, its end; the end marks
  // follow at the window's width + 2.
  const std::string long_row = row_text(row + 2, w->left_column + 2, w->columns);
  EXPECT_EQ(long_row.substr(0, 2), "/h");
  EXPECT_EQ(long_row.substr(long_row.size() - 6), "xxx.nc") << long_row;
  // The checked box and the empty one are drawn differently; the text after them alike.
  EXPECT_NE(cell_pixels(row, w->left_column), cell_pixels(row + 1, w->left_column));
  EXPECT_EQ(cell_pixels(row + 1, w->left_column), cell_pixels(row + 2, w->left_column));
}

TEST_F(LoadListTest, FitWindowToLines) {
  struct Case {
    int longest;
    int width;
  };
  const Case cases[] = {{0, 44}, {39, 44}, {40, 44}, {50, 54}, {86, 90}, {200, 90}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.longest);
    TextLine* node = make_window({"short", std::string(static_cast<size_t>(c.longest), 'a').c_str()},
                                 2, 3, 8, 20);
    TextWindow* w = window_of(node);
    fit_window_to_lines(w);
    EXPECT_EQ(w->right_column, 3 + c.width);
    EXPECT_EQ(w->columns, c.width + 1);
    destroy(node);
  }
}

}  // namespace
