#include "screen/caret.h"
#include "screen_fixture.h"

namespace {

class CaretTest : public ScreenFixture {
 protected:
  void SetUp() override {
    ScreenFixture::SetUp();
    g_caret = CaretState();
    g_interface = InterfaceSettings();
    fill_varied();
    before_ = pixels();
  }

  // Ticks of the clock and of the caret's hook.
  static void tick(int n) {
    for (int i = 0; i < n; ++i) {
      headless_advance_clock(TICK_MS);
      if (g_timer.tick_hook != nullptr) g_timer.tick_hook();
    }
  }

  std::vector<uint32_t> before_;
};

TEST_F(CaretTest, ContrastOfShadesGreysEvenlyAndKeepsHues) {
  struct Case {
    ColourValue in;
    int amount;
    ColourValue out;
  };
  const Case cases[] = {
      {0x808080, -16, 0x707070},
      {0x808080, 16, 0x909090},
      {0xFFFFFF, 16, 0xFFFFFF},
      {0x000000, -16, 0x000000},
      // (200, 160, 50) by -30: the largest channel moves 20, the near one 30, the far one 45.
      {0x32A0C8, -30, 0x0582B4},
      {0x0000FF, -16, 0x0000F5},
  };
  for (const Case& c : cases) EXPECT_EQ(contrast_of(c.in, c.amount), c.out) << std::hex << c.in;
}

TEST_F(CaretTest, ABlinkSettingOfZeroDrawsTheShapeOnce) {
  g_caret.mode = 1;
  g_caret.shape = CARET_MOVING_DOTS;
  g_interface.blink_setting = 0;
  show_field_caret(5, 4, 10);
  const std::vector<uint32_t> first = pixels();
  EXPECT_NE(first, before_);
  tick(40);
  EXPECT_EQ(pixels(), first);
  hide_caret();
  EXPECT_EQ(pixels(), before_);
}

TEST_F(CaretTest, ShowOnceModeFreezes) {
  g_caret.mode = CARET_MODE_ONCE;
  g_caret.shape = CARET_PULSING;
  g_interface.blink_setting = 2;
  show_field_caret(5, 4, 10);
  EXPECT_EQ(g_caret.mode, CARET_MODE_FROZEN);
  const std::vector<uint32_t> first = pixels();
  EXPECT_NE(first, before_);
  tick(20);
  EXPECT_EQ(pixels(), first);
}

TEST_F(CaretTest, AShapedCaretBlinksWithItsSetting) {
  g_caret.mode = 1;
  g_caret.shape = CARET_SOLID;
  g_interface.blink_setting = 3;  // 112 ms
  show_field_caret(5, 4, 10);
  const std::vector<uint32_t> first = pixels();
  tick(2);
  EXPECT_EQ(pixels(), first);  // 110 ms: not yet
  tick(1);
  EXPECT_NE(pixels(), first);  // 165 ms: the solid caret's hidden phase
  hide_caret();
  EXPECT_EQ(pixels(), before_);
}

TEST_F(CaretTest, AFieldCaretIsCutAtTheWindowsRightColumn) {
  g_caret.window_right_column = 20;
  show_field_caret(3 | (1 << 8), 15, -30);
  EXPECT_EQ(g_caret.width, 6);
  EXPECT_EQ(g_caret.extra_rows, 1);
  EXPECT_EQ(g_caret.row, 3);
  hide_caret();
}

TEST_F(CaretTest, TheBlockCaretInvertsAndComesBack) {
  show_field_caret(5, 4, 10);  // mode 0: the inverted block
  tick(10);
  hide_caret();
  // An inverted block is an XOR: after an even number of toggles the screen is itself again.
  if (g_caret.state == CARET_BLOCK_SHOWN) tick(10);
  EXPECT_EQ(g_timer.tick_hook, nullptr);
}

TEST_F(CaretTest, HidingPutsBackExactlyWhatWasUnderAlsoUnderThePointer) {
  set_pointer_shape(POINTER_ARROW);
  capture_at(70, 85);
  show_pointer();
  const std::vector<uint32_t> with_pointer = pixels();
  g_caret.mode = 1;
  g_caret.shape = CARET_DOUBLE_DOTS;
  g_interface.blink_setting = 2;
  const int ch = g_display.current.cell_height;
  show_field_caret(85 / ch, 4, 10);
  tick(5);
  // The pointer moves over the caret and away again while it blinks.
  g_pointer.wanted_x = 60;
  move_pointer();
  tick(3);
  g_pointer.wanted_x = 70;
  move_pointer();
  hide_caret();
  EXPECT_EQ(pixels(), with_pointer);
  hide_pointer();
  EXPECT_EQ(pixels(), before_);
}

TEST_F(CaretTest, TheEditorCaretCyclesItsColoursAndHidesExactly) {
  set_editor_caret(4, 6);
  const int ch = g_display.current.cell_height;
  const int cw = g_display.current.cell_width;
  EXPECT_EQ(pixel(6 * cw, 4 * ch + 1), 0xFF0000u);  // the first colour shown: red
  for (int i = 0; i < 8; ++i) blink_editor_caret();
  EXPECT_EQ(pixels(), before_);  // the hide phase shows the background
  for (int i = 0; i < 8; ++i) blink_editor_caret();
  EXPECT_EQ(pixel(6 * cw, 4 * ch + 1), 0x008000u);  // then green
  hide_caret();
  EXPECT_EQ(pixels(), before_);
}

TEST_F(CaretTest, RowsBelowTheLastRowAreIgnored) {
  set_editor_caret(g_display.current.last_row + 1, 3);
  EXPECT_FALSE(g_caret.editor);
  EXPECT_EQ(pixels(), before_);
}

TEST_F(CaretTest, AFieldStripAtTheRightEdgeIsCutThereAndPutBackExactly) {
  const int last = g_display.current.last_column;
  save_field_strip(3, last - 1, 5);
  EXPECT_EQ(g_caret.strip.rect.right, 800);
  fill_rect(0, 0, 800, 600, 0x00FF00);
  save_field_strip(3, 0, 5);  // one strip at a time: the first is kept
  restore_field_strip();
  const int ch = g_display.current.cell_height;
  const int cw = g_display.current.cell_width;
  for (int x = (last - 1) * cw; x < 800; ++x) {
    EXPECT_EQ(pixel(x, 3 * ch), before_[3 * ch * 800 + x]);
    EXPECT_EQ(pixel(x, 4 * ch - 1), before_[(4 * ch - 1) * 800 + x]);
  }
  EXPECT_EQ(pixel(0, 3 * ch), 0x00FF00u);
  EXPECT_TRUE(g_caret.strip.pixels.pixels.empty());
}

// The box of the pixels that differ from the background the test started with.
CanvasRect changed_box(const std::vector<uint32_t>& now, const std::vector<uint32_t>& before) {
  CanvasRect box = {800, 600, -1, -1};
  for (int y = 0; y < 600; ++y)
    for (int x = 0; x < 800; ++x) {
      if (now[y * 800 + x] == before[y * 800 + x]) continue;
      box.left = std::min(box.left, x);
      box.top = std::min(box.top, y);
      box.right = std::max(box.right, x);
      box.bottom = std::max(box.bottom, y);
    }
  return box;
}

TEST_F(CaretTest, TheDottedShapesWalkTheirDotsAndDifferFromEachOther) {
  g_interface.blink_setting = 2;
  g_interface.dot_count = 4;
  std::vector<std::vector<uint32_t>> firsts;
  for (int16_t shape : {CARET_MOVING_DOTS, CARET_DOUBLE_DOTS, CARET_THIN_DOTS, CARET_MEDIUM_DOTS,
                        CARET_THICK_DOTS}) {
    g_caret = CaretState();
    g_caret.mode = 1;
    g_caret.shape = shape;
    show_field_caret(5, 4, 10);
    const std::vector<uint32_t> first = pixels();
    EXPECT_NE(first, before_) << shape;
    tick(2);
    EXPECT_NE(pixels(), first) << shape;  // the dots moved on
    for (const auto& other : firsts) EXPECT_NE(first, other) << shape;
    firsts.push_back(first);
    hide_caret();
    EXPECT_EQ(pixels(), before_) << shape;
  }
}

TEST_F(CaretTest, TheRectangleShrinksAPixelASideAndStartsAgain) {
  g_interface.blink_setting = 2;
  g_caret.mode = 1;
  g_caret.shape = CARET_RECTANGLE;
  show_field_caret(5, 4, 10);
  const CanvasRect full = changed_box(pixels(), before_);
  CanvasRect box = full;
  int draws = 1;
  do {
    tick(2);
    ++draws;
    const CanvasRect next = changed_box(pixels(), before_);
    if (next.left == full.left) {
      box = next;
      break;
    }
    EXPECT_EQ(next.left, box.left + 1);
    EXPECT_EQ(next.bottom, box.bottom - 1);
    box = next;
  } while (draws < 40);
  EXPECT_EQ(box.left, full.left);  // back at full size
  EXPECT_EQ(box.right, full.right);
  EXPECT_GT(draws, 3);
  hide_caret();
  EXPECT_EQ(pixels(), before_);
}

}  // namespace

