// Text item numbers and the links between texts: renumbering, moving lines (one and the checked
// ones), inserting a line, copying a line's parameters. Every case checks that each follower
// still follows the text it followed before.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "records/job_settings.h"
#include "store/line_list.h"
#include "tests/text/font_fixture.h"
#include "text/text_items.h"
#include "text/text_layout.h"
#include "text/text_numbering.h"

using namespace text_test;

namespace {

class TextNumberingTest : public FontFolderTest {
 protected:
  void SetUp() override {
    FontFolderTest::SetUp();
    reset_list_store();
    write_file(folder_ / "0.Q2F", source_of({"Test", "0.4", "*A", "G1 X0.6", "*B", "G1 X0.5"}));
    ASSERT_EQ(register_folder_fonts(folder_.string()), 1);
  }
  void TearDown() override {
    free_current_list();
    FontFolderTest::TearDown();
  }

  // Texts named by their text; `follows[k]` is the index of the text line k follows (-1 none).
  void make_texts(const std::vector<std::string>& texts, const std::vector<int>& follows) {
    std::vector<DrawingItem*> items;
    for (const std::string& t : texts) {
      DrawingItem* item = new_text_item();
      set_line_text(t.c_str(), item);
      items.push_back(g_lists.current.last);
    }
    ASSERT_EQ(renumber_text_items(1, 1), static_cast<int>(texts.size()));
    for (size_t k = 0; k < follows.size(); ++k)
      if (follows[k] >= 0) set_text_link_number(items[k], items[static_cast<size_t>(follows[k])]->id);
  }

  // Who follows whom, by text: follower text -> followed text.
  static std::map<std::string, std::string> links() {
    std::map<std::string, std::string> out;
    for (TextLine* line = g_lists.current.first; line != nullptr; line = line->next) {
      const int16_t n = text_link_number(line);
      if (n == 0) continue;
      DrawingItem* target = find_text_item_by_number(n);
      out[line->text] = target != nullptr ? target->text : "<nothing>";
    }
    return out;
  }
  static std::string order() {
    std::string s;
    for (TextLine* line = g_lists.current.first; line != nullptr; line = line->next)
      s += (line->text.empty() ? std::string("_") : line->text) + " ";
    return s;
  }
  static bool numbered_one_to_n() {
    int16_t expect = 1;
    for (TextLine* line = g_lists.current.first; line != nullptr; line = line->next)
      if (line->id != expect++) return false;
    return true;
  }
  static DrawingItem* line_of(const std::string& text) {
    for (TextLine* line = g_lists.current.first; line != nullptr; line = line->next)
      if (line->text == text) return line;
    return nullptr;
  }
};

}  // namespace

TEST_F(TextNumberingTest, FollowersKeepTheirTextsThroughMovesAndInserts) {
  struct Case {
    const char* name;
    std::vector<int> checked;  // lines checked (moved as a group with `group`)
    const char* moved;         // the current line's text
    int key;                   // 473 up, 474 down, 338 insert above
    bool group;
    const char* order;
  };
  const Case cases[] = {
      {"the followed text moves up past another", {}, "c", 473, false, "a c b d e _ "},
      {"the follower moves down", {}, "b", 474, false, "a c b d e _ "},
      {"the first line does not move up", {}, "a", 473, false, "a b c d e _ "},
      {"the last text does not pass the blank end", {}, "e", 474, false, "a b c d e _ "},
      {"checked lines move up together", {1, 3}, "b", 473, true, "b a d c e _ "},
      {"checked lines at the top stay", {0, 3}, "a", 473, true, "a b d c e _ "},
      {"checked lines move down together", {0, 2}, "a", 474, true, "b a d c e _ "},
      {"a line inserted above the third", {}, "c", 338, false, "a b _ c d e _ "},
  };
  for (const Case& c : cases) {
    free_current_list();
    // b follows c, d follows a, e follows d; the last line is the blank end.
    make_texts({"a", "b", "c", "d", "e", ""}, {-1, 2, -1, 0, 3, -1});
    const auto before = links();
    int k = 0;
    for (TextLine* line = g_lists.current.first; line != nullptr; line = line->next, ++k)
      for (int checked : c.checked)
        if (checked == k) line->state |= LINE_STATE_CHECKED;
    if (c.key == 338) ASSERT_NE(insert_text_item_above(line_of(c.moved)), nullptr) << c.name;
    else move_text_items(line_of(c.moved), c.key, c.group);
    EXPECT_EQ(order(), c.order) << c.name;
    // (An inserted line takes the line above's parameters, its link among them.)
    auto after = links();
    after.erase("");
    EXPECT_EQ(after, before) << c.name;
    EXPECT_TRUE(numbered_one_to_n()) << c.name;
  }
}

TEST_F(TextNumberingTest, FourThousandFollowersAllStillFollowTheirTexts) {
  std::vector<std::string> texts;
  std::vector<int> follows;
  for (int k = 0; k < 8000; ++k) {
    texts.push_back("t" + std::to_string(k));
    follows.push_back(k % 2 == 1 ? (k * 7919) % 8000 / 2 * 2 : -1);
  }
  make_texts(texts, follows);
  const auto before = links();
  ASSERT_EQ(before.size(), 4000u);
  // Reversed order and numbers from 100 by 3: every link must be rewritten.
  TextLine* line = g_lists.current.first;
  while (line != nullptr && line->next != nullptr) move_line_after(g_lists.current.last, line->prev);
  EXPECT_EQ(renumber_text_items(100, 3), 8000);
  EXPECT_EQ(links(), before);
  EXPECT_EQ(move_text_item_line(line_of("t10"), 473), 1);
  EXPECT_EQ(links(), before);
  EXPECT_TRUE(numbered_one_to_n());
}

TEST_F(TextNumberingTest, NumbersThatWouldNotFitSixteenBitsLeaveTheListAsItWas) {
  make_texts({"a", "b", "c"}, {1, -1, -1});
  EXPECT_EQ(renumber_text_items(32000, 500), -1);
  EXPECT_EQ(line_of("a")->id, 1);
  EXPECT_EQ(text_link_number(line_of("a")), 2);
}

TEST_F(TextNumberingTest, ALinkToATextNoLongerThereIsClearedNotPassedOn) {
  make_texts({"a", "b", "c"}, {2, -1, -1});
  delete_line(line_of("c"));
  renumber_text_items(1, 1);
  EXPECT_EQ(text_link_number(line_of("a")), 0) << "it would name whichever text became number 3";
}

TEST_F(TextNumberingTest, InsertedLineTakesTheLineAboveItsParameters) {
  make_texts({"a", "b", "c", "d", "e", ""}, {});
  DrawingItem* fourth = line_of("d");
  TextLayout l;
  read_text_layout(block_text_layout(item_block(fourth)), &l);
  l.height = 3.5f;
  l.slant = 12.0f;
  l.anchor = {7, 9};
  write_text_layout(l, block_text_layout(item_block(fourth)));
  DrawingItem* added = insert_text_item_above(line_of("e"));
  ASSERT_NE(added, nullptr);
  EXPECT_EQ(order(), "a b c d _ e _ ");
  EXPECT_EQ(added->id, 5);
  TextLayout got;
  read_text_layout(block_text_layout(item_block(added)), &got);
  EXPECT_FLOAT_EQ(got.height, 3.5f);
  EXPECT_FLOAT_EQ(got.slant, 12.0f);
  EXPECT_FLOAT_EQ(got.anchor.x, 7.0f);
  EXPECT_TRUE(numbered_one_to_n());
}

TEST_F(TextNumberingTest, CopyingAFrameOntoAVerticalTextKeepsItsOwnLinkCount) {
  make_texts({"a", "b"}, {});
  // A one-link block must never receive four links' worth of records.
  DrawingItem* b = line_of("b");
  GeometryBlock* block = item_block(b);
  block->link_count = 1;
  copy_text_block(line_of("a"), b, TEXT_COPY_WITH_FRAME);
  EXPECT_EQ(item_block(b)->link_count, 1);
}
