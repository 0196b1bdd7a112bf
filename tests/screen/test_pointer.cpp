#include <cstdlib>

#include "screen_fixture.h"
#include "tests/support/test_folder.h"

namespace {

class PointerTest : public ScreenFixture {};

bool opaque(const CanvasSprite& sprite, int x, int y) {
  if (x < 0 || y < 0 || x >= CANVAS_SPRITE_SIZE || y >= CANVAS_SPRITE_SIZE) return false;
  return ((sprite.and_mask[y] >> (31 - x)) & 1) == 0;
}

bool opaque_near(const CanvasSprite& sprite, int x, int y) {
  for (int dy = -1; dy <= 1; ++dy)
    for (int dx = -1; dx <= 1; ++dx)
      if (opaque(sprite, x + dx, y + dy)) return true;
  return false;
}

TEST_F(PointerTest, HotSpotsFollowTheShapeTable) {
  struct Case {
    int shape, dx, dy;
  };
  const Case cases[] = {{1, 0, 0},    {3, 31, 0},    {5, 0, 8},    {12, 16, 16}, {16, 16, 0},
                        {109, 16, 0}, {110, 32, 16}, {111, 0, 16}, {132, 31, 16}, {140, 0, 8},
                        {146, 8, 8},  {148, 32, 16}, {18, 0, 0},   {86, 0, 0}};
  for (const Case& c : cases) {
    int16_t dx = -1;
    int16_t dy = -1;
    pointer_hot_spot(c.shape, &dx, &dy);
    EXPECT_EQ(dx, c.dx) << c.shape;
    EXPECT_EQ(dy, c.dy) << c.shape;
  }
}

TEST_F(PointerTest, EveryNamedShapePointsAtItsHotSpot) {
  const int shapes[] = {1,   3,   5,   11,  12,  16,  18,  86,  92,  101, 109, 110,
                        111, 114, 132, 134, 135, 136, 140, 141, 146, 147, 148};
  for (int shape : shapes) {
    int16_t dx = 0;
    int16_t dy = 0;
    pointer_hot_spot(shape, &dx, &dy);
    EXPECT_TRUE(opaque_near(pointer_picture(shape), dx, dy)) << "shape " << shape;
  }
}

// The arrow comes from the picture file: its tip black, its inside white, beside it see-through;
// without a file the pointer is see-through, and opening one again builds the pictures again.
TEST_F(PointerTest, ThePicturesComeFromThePictureFile) {
  const CanvasSprite& arrow = pointer_picture(POINTER_ARROW);
  EXPECT_TRUE(opaque(arrow, 0, 0));
  EXPECT_EQ(arrow.xor_image[0], 0u);
  EXPECT_TRUE(opaque(arrow, 2, 5));
  EXPECT_EQ(arrow.xor_image[5 * 32 + 2], 0xFFFFFFu);
  EXPECT_FALSE(opaque(arrow, 5, 2));
  // The text beam is laid 3 pixels left: its stem on column 0.
  EXPECT_TRUE(opaque(pointer_picture(POINTER_TEXT), 0, 8));
  EXPECT_FALSE(opaque(pointer_picture(POINTER_TEXT), 4, 8));
  // A picture file of one empty picture.
  const std::filesystem::path folder = make_test_folder("pointer");
  const std::string empty = (folder / "KR_IMAGE.KR5").string();
  const char bytes[] = {0x1A, 0x44, 0x49, 0x42, 0, 0, 0, 2, 0, 0, 18, 0, 0, 0, 18, 0, 0, 0};
  write_file_bytes(empty, std::string(bytes, sizeof bytes));
  ASSERT_TRUE(open_picture_file(empty.c_str()));
  EXPECT_FALSE(opaque(pointer_picture(POINTER_ARROW), 0, 0));
  std::filesystem::remove_all(folder);
  ASSERT_TRUE(open_picture_file(BRENVIK_PROGRAM_DIR "/KR_IMAGE.KR5"));
  EXPECT_TRUE(opaque(pointer_picture(POINTER_ARROW), 0, 0));
}

TEST_F(PointerTest, SetPointerShapeTakesTheAbsoluteValueAndIgnoresARepeat) {
  set_pointer_shape(-16);
  EXPECT_EQ(g_pointer.shape, 16);
  EXPECT_EQ(g_pointer.hot_dx, 16);
  EXPECT_EQ(g_pointer.hot_dy, 0);
  capture_at(200, 200);
  show_pointer();
  ASSERT_TRUE(g_pointer.drawn);
  set_pointer_shape(16);
  EXPECT_TRUE(g_pointer.drawn);  // the same shape again does not hide the pointer
}

TEST_F(PointerTest, ThePictureIsDrawnWithItsHotSpotOnThePoint) {
  fill_rect(0, 0, 800, 600, 0x808080);
  for (int shape : {1, 16, 101}) {
    set_pointer_shape(shape);
    capture_at(300, 200);
    show_pointer();
    bool marked = false;
    for (int dy = -1; dy <= 1; ++dy)
      for (int dx = -1; dx <= 1; ++dx) marked = marked || pixel(300 + dx, 200 + dy) != 0x808080;
    EXPECT_TRUE(marked) << "shape " << shape;
    hide_pointer();
  }
}

TEST_F(PointerTest, HidingPutsBackExactlyWhatWasUnder) {
  fill_varied();
  const std::vector<uint32_t> before = pixels();
  const struct {
    int shape, x, y;
  } places[] = {{1, 400, 300}, {1, 0, 0}, {16, 3, 3}, {101, 795, 595}, {110, 799, 10}, {1, 790, 599}};
  for (const auto& p : places) {
    set_pointer_shape(p.shape);
    capture_at(p.x, p.y);
    show_pointer();
    EXPECT_NE(pixels(), before) << p.shape << " at " << p.x << "," << p.y;
    hide_pointer();
    EXPECT_EQ(pixels(), before) << p.shape << " at " << p.x << "," << p.y;
  }
}

TEST_F(PointerTest, MovePointerRedrawsOnlyWhenTheWantedPositionChanged) {
  fill_varied();
  const std::vector<uint32_t> before = pixels();
  capture_at(100, 100);
  show_pointer();
  g_pointer.wanted_x = 150;
  move_pointer();
  EXPECT_EQ(g_pointer.drawn_x, 150);
  hide_pointer();
  EXPECT_EQ(pixels(), before);
}

// ---- Glides -------------------------------------------------------------------------------------

TEST_F(PointerTest, AShortGlideJumps) {
  capture_at(100, 100);
  push_input_code('k');
  glide_pointer(103, 104);
  EXPECT_EQ(g_pointer.drawn_x, 103);
  EXPECT_EQ(g_pointer.drawn_y, 104);
  EXPECT_EQ(drain(), std::vector<int>{'k'});
}

TEST_F(PointerTest, ALongGlideTakesFortyStepsAndLargeMotionEndsIt) {
  capture_at(100, 100);
  // A jerk of the mouse reaches the glide at its first step: one step of 1000 / 40 pixels.
  headless_inject_mouse_move(100, 160);
  glide_pointer(1100 - 300, 100);
  EXPECT_EQ(g_pointer.drawn_x, 100 + 700 / 40);
  EXPECT_EQ(g_pointer.drawn_y, 100);
}

TEST_F(PointerTest, MotionDoesNotEndAGlideWithNegativeX) {
  capture_at(100, 100);
  headless_inject_mouse_move(100, 160);
  glide_pointer(-700, 100);
  EXPECT_EQ(g_pointer.drawn_x, 700);
  EXPECT_EQ(g_pointer.drawn_y, 100);
}

TEST_F(PointerTest, AOnePixelGlideStopsAtAClickWhichStaysQueued) {
  capture_at(100, 100);
  headless_inject_mouse_button(WINDOW_BUTTON_LEFT, true, 100, 100);
  glide_pointer(600, -100);
  // Stopped after its first one-pixel step.
  EXPECT_EQ(g_pointer.drawn_x, 101);
  EXPECT_EQ(g_pointer.drawn_y, 100);
  const std::vector<int> left = drain();
  ASSERT_FALSE(left.empty());
  EXPECT_EQ(left.front(), EVENT_LEFT_DOWN);
}

TEST_F(PointerTest, AOnePixelDiagonalGlideMovesOnShallowSlopes) {
  capture_at(100, 100);
  // 50 one-pixel steps for 40 pixels across and 30 down: a fixed integer step would be 0 both
  // ways; each step counted from the start moves the pointer on most steps and ends on target.
  headless_inject_text("x");
  glide_pointer(140, -130);
  EXPECT_EQ(g_pointer.drawn_x, 100);  // stopped by the key at step 1 (40 x 1 / 50 = 0)
  drain();
  capture_at(100, 100);
  glide_pointer(140, -130);
  EXPECT_EQ(g_pointer.drawn_x, 140);
  EXPECT_EQ(g_pointer.drawn_y, 130);
}

TEST_F(PointerTest, AKeySlowsTheGlideAndStaysQueuedAndAQuitSurvives) {
  capture_at(100, 100);
  headless_inject_text("z");
  post_quit_request();
  glide_pointer(500, 400);
  EXPECT_EQ(g_pointer.drawn_x, 500);
  EXPECT_EQ(g_pointer.drawn_y, 400);
  const std::vector<int> left = drain();
  EXPECT_EQ(left, (std::vector<int>{EVENT_QUIT, 'z'}));
  EXPECT_TRUE(g_events.quit_requested);
  int x = 0;
  int y = 0;
  cursor_get_position(&x, &y);
  EXPECT_EQ(x, 500);  // the system cursor follows the glide
  EXPECT_EQ(y, 400);
}

TEST_F(PointerTest, WaitingForTheButtonsEndsAtTheReleaseOrAfterSevenTicks) {
  capture_at(100, 100);
  headless_inject_mouse_button(WINDOW_BUTTON_LEFT, true, 100, 100);
  pump_messages();
  drain();
  ASSERT_EQ(g_pointer.button_bits, WINDOW_BUTTON_LEFT);
  headless_inject_mouse_button(WINDOW_BUTTON_LEFT, false, 100, 100);
  pump_messages();
  push_input_code('a');
  wait_buttons_released();
  // The release went; the key behind it stays.
  EXPECT_EQ(drain(), std::vector<int>{'a'});
  // A button that is never released: the wait gives up after seven ticks.
  g_pointer.button_bits = WINDOW_BUTTON_RIGHT;
  const uint32_t start = clock_now_ms();
  wait_buttons_released();
  EXPECT_LE(clock_now_ms() - start, 8 * TICK_MS);
  EXPECT_EQ(g_pointer.button_bits, 0);
}

TEST_F(PointerTest, TheGlideDelayCanBeSet) {
  glide_pointer(POINTER_GLIDE_SET_DELAY, 400);
  EXPECT_EQ(g_pointer.glide_delay, 400);
}

// Where the system will not move its cursor, the pointer follows the cursor's motion from
// wherever it was put, and the cursor leaving the window still gives the pointer back.
TEST_F(PointerTest, WithWarpsRefusedThePointerFollowsTheCursorsMotion) {
  capture_at(100, 100);
  headless_refuse_warps(true);
  glide_pointer(400, 300);
  EXPECT_TRUE(g_pointer.warps_refused);
  EXPECT_EQ(g_pointer.drawn_x, 400);
  EXPECT_EQ(g_pointer.drawn_y, 300);
  int x = 0;
  int y = 0;
  cursor_get_position(&x, &y);
  EXPECT_EQ(x, 100);
  EXPECT_EQ(y, 100);
  // The next motion is the cursor's own, not a jump to where the pointer was put.
  headless_inject_mouse_move(110, 95);
  pump_messages();
  drain();
  int dx = 0;
  int dy = 0;
  ASSERT_EQ(mouse_delta(&dx, &dy), 1);
  EXPECT_EQ(dx, 10);
  EXPECT_EQ(dy, -5);
  // The timer does not try to put the cursor under the pointer.
  g_pointer.set_cursor_count = 10;
  timer_tick();
  cursor_get_position(&x, &y);
  EXPECT_EQ(x, 110);
  EXPECT_EQ(y, 95);
  EXPECT_FALSE(g_pointer.released);
  // The cursor leaves the window: the pointer is released and the system cursor shown.
  cursor_set_visible(false);
  headless_inject_mouse_move(-3, 95);
  pump_messages();
  drain();
  timer_tick();
  EXPECT_TRUE(g_pointer.released);
  EXPECT_TRUE(headless_cursor_visible());
}

TEST_F(PointerTest, WithWarpsAllowedAGlideTakesTheCursorAlong) {
  capture_at(100, 100);
  glide_pointer(400, 300);
  EXPECT_FALSE(g_pointer.warps_refused);
  int x = 0;
  int y = 0;
  cursor_get_position(&x, &y);
  EXPECT_EQ(x, 400);
  EXPECT_EQ(y, 300);
}

}  // namespace
