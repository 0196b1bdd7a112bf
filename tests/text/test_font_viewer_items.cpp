// The font viewer's glyph items: one text per glyph, a grid of pages (40 glyphs a page, 24 for
// symbol fonts), a wide glyph made smaller to fit its cell, and the page shown.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "tests/text/font_fixture.h"
#include "text/font_viewer_items.h"
#include "text/text_items.h"
#include "text/text_layout.h"

namespace {

using namespace text_test;

// `count` glyphs (letters, then digits), each one unit wide, except `wide` of advance 2.
std::string font_source(const std::string& title, int count, char wide = 0) {
  const std::string codes = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
  std::vector<std::string> lines = {title, "1"};
  for (int k = 0; k < count; ++k) {
    lines.push_back(std::string("*") + codes[static_cast<size_t>(k)]);
    lines.push_back(codes[static_cast<size_t>(k)] == wide ? "G1 X2" : "G1 X1");
  }
  return source_of(lines);
}

TextLayout layout_of(DrawingItem* item) {
  TextLayout l;
  read_text_layout(block_text_layout(item_block(item)), &l);
  return l;
}

std::vector<DrawingItem*> items() {
  std::vector<DrawingItem*> out;
  for (TextLine* line = g_lists.current.first; line != nullptr; line = line->next)
    out.push_back(line);
  return out;
}

class FontViewerItemsTest : public FontFolderTest {
 protected:
  void SetUp() override {
    FontFolderTest::SetUp();
    reset_list_store();
  }
  void TearDown() override {
    free_current_list();
    reset_list_store();
    FontFolderTest::TearDown();
  }
  const StrokeFont* register_font(int number, int glyphs, char wide = 0) {
    write_file(folder_ / (std::to_string(number) + ".Q2F"), font_source("Test", glyphs, wide));
    EXPECT_EQ(register_folder_fonts(folder_.string()), 1);
    return font_with_table(static_cast<int16_t>(number));
  }
};

// Page sizes, and where the grid puts the first glyphs of a page, by kind of font.
TEST_F(FontViewerItemsTest, GlyphsFillPagesOfTheirKind) {
  struct Case {
    int number;
    int glyphs;
    std::vector<int> page_sizes;
    PointF ninth;  // the ninth glyph of a page: the second row (plain fonts) or row 2, column 3
  };
  const std::vector<Case> cases = {
      {1000, 60, {40, 20}, {0.0f, 5.0f}},
      {3001, 30, {24, 6}, {2.6f, 2.7f}},
      {1000, 40, {40}, {0.0f, 5.0f}},
      {1000, 9, {9}, {0.0f, 5.0f}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.number) + " with " + std::to_string(c.glyphs) + " glyphs");
    reset_font_registry();
    for (const auto& entry : fs::directory_iterator(folder_)) fs::remove(entry.path());
    const StrokeFont* font = register_font(c.number, c.glyphs);
    ASSERT_NE(font, nullptr);
    free_current_list();
    EXPECT_EQ(append_font_viewer_items(font), static_cast<int>(c.page_sizes.size()));
    const std::vector<DrawingItem*> all = items();
    ASSERT_EQ(all.size(), static_cast<size_t>(c.glyphs));
    const float top = c.number >= FONT_NUMBER_SYMBOL_BASE ? SYMBOL_GRID_TOP : GLYPH_GRID_TOP;
    int start = 0;
    for (size_t page = 0; page < c.page_sizes.size(); ++page) {
      DrawingItem* first = show_glyph_page(all.front(), static_cast<int>(page) + 1);
      ASSERT_EQ(first, all[static_cast<size_t>(start)]);
      int shown = 0;
      for (DrawingItem* item : all) shown += item->state == ITEM_FLAG_SELECTED ? 1 : 0;
      EXPECT_EQ(shown, c.page_sizes[page]);
      // Every page starts again at the grid's top-left corner.
      EXPECT_NEAR(layout_of(first).anchor.x, 0.0f, 1e-5);
      EXPECT_NEAR(layout_of(first).anchor.y, top, 1e-5);
      if (c.page_sizes[page] >= 9) {
        const TextLayout ninth = layout_of(all[static_cast<size_t>(start + 8)]);
        EXPECT_NEAR(ninth.anchor.x, c.ninth.x, 1e-4);
        EXPECT_NEAR(ninth.anchor.y, c.ninth.y, 1e-4);
      }
      start += c.page_sizes[page];
    }
    // A page past the last changes nothing.
    const uint8_t before = all.back()->state;
    EXPECT_EQ(show_glyph_page(all.front(), static_cast<int>(c.page_sizes.size()) + 1), nullptr);
    EXPECT_EQ(show_glyph_page(all.front(), 0), nullptr);
    EXPECT_EQ(all.back()->state, before);
  }
}

// Each item is its glyph's character in the font, centred on its grid point; a glyph wider than
// one unit gets a smaller height, so that it stays inside its cell.
TEST_F(FontViewerItemsTest, EachItemIsItsGlyphCentredAndAWideOneSmaller) {
  const StrokeFont* font = register_font(1000, 3, 'B');
  ASSERT_NE(font, nullptr);
  ASSERT_EQ(append_font_viewer_items(font), 1);
  const std::vector<DrawingItem*> all = items();
  ASSERT_EQ(all.size(), 3u);
  const char* texts[] = {"A", "B", "C"};
  for (size_t k = 0; k < all.size(); ++k) {
    EXPECT_EQ(all[k]->kind, ITEM_TEXT);
    EXPECT_EQ(all[k]->text, texts[k]);
    EXPECT_EQ(all[k]->state, 0) << "hidden until its page is shown";
    const TextLayout l = layout_of(all[k]);
    EXPECT_EQ(l.font_number, 1000);
    EXPECT_EQ(l.h_justify, JUSTIFY_CENTRE);
    EXPECT_EQ(l.v_justify, JUSTIFY_MIDDLE);
    EXPECT_FLOAT_EQ(l.width_factor, 1.0f);
    EXPECT_NEAR(l.anchor.x, k * GLYPH_GRID_STEP, 1e-5);
    EXPECT_NEAR(l.height, k == 1 ? 0.5f : 1.0f, 1e-6);
    // The laid-out glyph stays within its cell.
    EXPECT_LE(l.length, GLYPH_GRID_STEP);
  }
  // A font without glyphs gives no page.
  free_current_list();
  StrokeFont empty;
  empty.state = FONT_STREAM_NOT_LOADED;
  EXPECT_EQ(append_font_viewer_items(&empty), 0);
  EXPECT_EQ(g_lists.current.first, nullptr);
}

}  // namespace
