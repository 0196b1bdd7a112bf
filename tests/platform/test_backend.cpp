// The headless window backend and the message pump, driven the way UI tests drive the program.
#include <gtest/gtest.h>
#include <png.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/headless.h"
#include "platform/pump.h"
#include "platform/window.h"
#include "tests/support/test_folder.h"

namespace {

using namespace std::string_literals;

std::vector<WindowEvent> g_seen;
int g_ticks = 0;

void record_event(const WindowEvent& event) { g_seen.push_back(event); }
void count_tick() { ++g_ticks; }

class Backend : public ::testing::Test {
 protected:
  void SetUp() override {
    reset_headless();
    reset_pump();
    g_seen.clear();
    g_ticks = 0;
    std::string error;
    ASSERT_TRUE(window_open(640, 480, "Test", &error));
    pump_set_event_handler(record_event);
    pump_set_timer_handler(count_tick);
  }
};

// ---- timer ----

TEST_F(Backend, TimerFiresOncePerIntervalOfVirtualTime) {
  pump_start_timer();
  headless_advance_clock(550);
  pump_messages();
  EXPECT_EQ(g_ticks, 10);
  pump_messages();
  EXPECT_EQ(g_ticks, 10) << "no tick is fired twice";
}

TEST_F(Backend, TimerCarriesTheRemainderOfAnInterval) {
  struct Step {
    uint32_t advance_ms;
    int ticks_after;
  };
  // 54 ms after a whole tick is short of the next; 110 ms after it gives two more.
  const Step steps[] = {{54, 0}, {1, 1}, {54, 1}, {56, 3}, {54, 3}, {1, 4}, {0, 4}};
  pump_start_timer();
  uint32_t now = 0;
  for (const Step& step : steps) {
    headless_advance_clock(step.advance_ms);
    now += step.advance_ms;
    pump_messages();
    EXPECT_EQ(g_ticks, step.ticks_after) << "at " << now << " ms";
  }
}

TEST_F(Backend, TimerDropsTicksBeyondASecondLateButKeepsItsPhase) {
  pump_start_timer();
  headless_advance_clock(10000);  // 181 whole intervals, 45 ms into the next
  pump_messages();
  EXPECT_EQ(g_ticks, PUMP_MAX_LATE_TICKS);
  headless_advance_clock(9);
  pump_messages();
  EXPECT_EQ(g_ticks, PUMP_MAX_LATE_TICKS);
  headless_advance_clock(1);
  pump_messages();
  EXPECT_EQ(g_ticks, PUMP_MAX_LATE_TICKS + 1);
}

TEST_F(Backend, StoppedTimerFiresNothingAndIntervalCanChange) {
  pump_start_timer();
  pump_stop_timer();
  headless_advance_clock(1000);
  pump_messages();
  EXPECT_EQ(g_ticks, 0);

  pump_set_timer_interval(100);
  pump_start_timer();
  headless_advance_clock(550);
  pump_messages();
  EXPECT_EQ(g_ticks, 5);
}

int g_nested_ticks = 0;
void tick_that_pumps() {
  ++g_nested_ticks;
  pump_messages();  // as a timer handler does when it flushes the program's queue
}

TEST_F(Backend, PumpingInsideTheTimerHandlerDeliversEventsButNoNestedTicks) {
  g_nested_ticks = 0;
  pump_set_timer_handler(tick_that_pumps);
  pump_start_timer();
  headless_advance_clock(550);
  headless_inject_key_down('A', 0);
  pump_messages();
  EXPECT_EQ(g_nested_ticks, 10);
  ASSERT_EQ(g_seen.size(), 1u);
  EXPECT_EQ(g_seen[0].key, 'A');
}

// ---- waiting ----

TEST_F(Backend, WaitWithNothingPendingLandsOnTheNextTick) {
  pump_start_timer();
  headless_advance_clock(20);
  EXPECT_EQ(pump_wait(-1), 1);
  EXPECT_EQ(g_ticks, 1);
  EXPECT_EQ(clock_now_ms(), 55u);
  pump_wait(-1);
  EXPECT_EQ(g_ticks, 2);
  EXPECT_EQ(clock_now_ms(), 110u);
}

TEST_F(Backend, WaitReturnsPendingEventsWithoutMovingTheClock) {
  pump_start_timer();
  headless_inject_text("x");
  EXPECT_EQ(pump_wait(-1), 1);
  EXPECT_EQ(clock_now_ms(), 0u);
  EXPECT_EQ(g_ticks, 0);
  ASSERT_EQ(g_seen.size(), 1u);
  EXPECT_EQ(g_seen[0].ch, 'x');
}

TEST_F(Backend, WaitWithoutTimerStopsAtItsTimeout) {
  EXPECT_EQ(pump_wait(200), 0);
  EXPECT_EQ(clock_now_ms(), 200u);
}

TEST_F(Backend, ProgramWaitingForInputThatNeverComesAbortsInsteadOfHanging) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  headless_set_idle_limit(60 * 1000);
  pump_start_timer();
  EXPECT_DEATH(
      {
        for (;;) pump_wait(-1);
      },
      "waited .* virtual time");
}

TEST_F(Backend, AutoStepLetsCodeThatSpinsOnTheClockFinish) {
  headless_set_clock_auto_step(1);
  const uint32_t start = clock_now_ms();
  int reads = 0;
  while (clock_now_ms() - start < 100) ++reads;
  EXPECT_EQ(reads, 99);
}

// ---- keyboard ----

TEST_F(Backend, KeysArriveInOrderWithModifiersAndCharacters) {
  headless_inject_keystroke('A', WINDOW_MOD_CTRL | WINDOW_MOD_SHIFT);
  headless_inject_text("a\xE9\x80");
  pump_messages();
  struct Expected {
    WindowEventKind kind;
    int key;
    int mods;
    uint8_t ch;
  };
  const int cs = WINDOW_MOD_CTRL | WINDOW_MOD_SHIFT;
  const Expected expected[] = {
      {WINDOW_EVENT_KEY_DOWN, VK_SHIFT, WINDOW_MOD_SHIFT, 0},
      {WINDOW_EVENT_KEY_DOWN, VK_CONTROL, cs, 0},
      {WINDOW_EVENT_KEY_DOWN, 'A', cs, 0},
      {WINDOW_EVENT_KEY_UP, 'A', cs, 0},
      {WINDOW_EVENT_KEY_UP, VK_CONTROL, WINDOW_MOD_SHIFT, 0},
      {WINDOW_EVENT_KEY_UP, VK_SHIFT, 0, 0},
      {WINDOW_EVENT_CHAR, 0, 0, 'a'},
      {WINDOW_EVENT_CHAR, 0, 0, 0xE9},
      {WINDOW_EVENT_CHAR, 0, 0, 0x80},
  };
  ASSERT_EQ(g_seen.size(), std::size(expected));
  for (size_t i = 0; i < std::size(expected); ++i) {
    EXPECT_EQ(g_seen[i].kind, expected[i].kind) << "event " << i;
    EXPECT_EQ(g_seen[i].key, expected[i].key) << "event " << i;
    EXPECT_EQ(g_seen[i].mods, expected[i].mods) << "event " << i;
    EXPECT_EQ(g_seen[i].ch, expected[i].ch) << "event " << i;
  }
}

TEST_F(Backend, AltReleaseAfterKeypadDigitsTypesTheirValue) {
  struct Case {
    std::vector<int> digits;
    bool with_alt;
    int expected_char;  // -1: no character follows Alt's key-up
  };
  const Case cases[] = {
      {{0, 6, 5}, true, 65},
      {{2, 3, 3}, true, 233},
      {{2, 5, 6}, true, -1},  // 256 wraps to 0: nothing
      {{3, 0, 0}, true, 44},  // 300 mod 256
      {{6, 5}, false, -1},    // digits without Alt are just keys
      {{}, true, -1},
  };
  for (const Case& c : cases) {
    SetUp();
    const int mods = c.with_alt ? WINDOW_MOD_ALT : 0;
    if (c.with_alt) headless_inject_key_down(VK_MENU, WINDOW_MOD_ALT);
    for (int digit : c.digits) {
      headless_inject_key_down(VK_NUMPAD0 + digit, mods);
      headless_inject_key_up(VK_NUMPAD0 + digit, mods);
    }
    pump_messages();
    g_seen.clear();
    headless_inject_key_up(VK_MENU, 0);
    pump_messages();
    const size_t expected_count = c.expected_char < 0 ? 1 : 2;
    ASSERT_EQ(g_seen.size(), expected_count) << "digits " << c.digits.size() << " alt " << c.with_alt;
    EXPECT_EQ(g_seen[0].kind, WINDOW_EVENT_KEY_UP);
    if (c.expected_char >= 0) {
      EXPECT_EQ(g_seen[1].kind, WINDOW_EVENT_CHAR);
      EXPECT_EQ(g_seen[1].ch, c.expected_char);
    }
  }
}

// ---- mouse ----

TEST_F(Backend, WheelNotchesAreMultiplesOf120AtTheCursor) {
  headless_inject_mouse_move(30, 40);
  headless_inject_wheel(2);
  headless_inject_wheel(-1);
  pump_messages();
  ASSERT_EQ(g_seen.size(), 3u);
  EXPECT_EQ(g_seen[1].kind, WINDOW_EVENT_WHEEL);
  EXPECT_EQ(g_seen[1].wheel_delta, 240);
  EXPECT_EQ(g_seen[1].x, 30);
  EXPECT_EQ(g_seen[1].y, 40);
  EXPECT_EQ(g_seen[2].wheel_delta, -120);
}

TEST_F(Backend, ButtonsCarryPositionAndMoveTheSystemCursor) {
  headless_inject_mouse_button(WINDOW_BUTTON_RIGHT, true, 5, 6);
  headless_inject_mouse_button(WINDOW_BUTTON_RIGHT, false, 7, 8);
  pump_messages();
  ASSERT_EQ(g_seen.size(), 2u);
  EXPECT_EQ(g_seen[0].kind, WINDOW_EVENT_MOUSE_DOWN);
  EXPECT_EQ(g_seen[0].button, WINDOW_BUTTON_RIGHT);
  EXPECT_EQ(g_seen[1].kind, WINDOW_EVENT_MOUSE_UP);
  int x = 0, y = 0;
  cursor_get_position(&x, &y);
  EXPECT_EQ(x, 7);
  EXPECT_EQ(y, 8);
}

TEST_F(Backend, WarpMovesTheCursorAndReportsAMove) {
  cursor_set_visible(false);
  EXPECT_FALSE(headless_cursor_visible());
  cursor_warp(-5, 700);  // outside the client area is a position too
  int x = 0, y = 0;
  cursor_get_position(&x, &y);
  EXPECT_EQ(x, -5);
  EXPECT_EQ(y, 700);
  pump_messages();
  ASSERT_EQ(g_seen.size(), 1u);
  EXPECT_EQ(g_seen[0].kind, WINDOW_EVENT_MOUSE_MOVE);
  EXPECT_EQ(g_seen[0].x, -5);
}

// ---- window ----

TEST_F(Backend, ResizeGivesTheFramebufferTheNewSizeAndKeepsWhatFits) {
  Surface* surface = window_surface();
  ASSERT_EQ(surface->width, 640);
  surface->pixels[10 * 640 + 20] = 0x123456;
  headless_inject_resize(800, 300);
  EXPECT_EQ(window_surface()->width, 640) << "the size changes when the program gets the event";
  pump_messages();
  ASSERT_EQ(g_seen.size(), 1u);
  EXPECT_EQ(g_seen[0].kind, WINDOW_EVENT_RESIZE);
  EXPECT_EQ(g_seen[0].width, 800);
  EXPECT_EQ(g_seen[0].height, 300);
  surface = window_surface();
  EXPECT_EQ(surface->width, 800);
  EXPECT_EQ(surface->height, 300);
  EXPECT_EQ(surface->pixels.size(), 800u * 300u);
  EXPECT_EQ(surface->pixels[10 * 800 + 20], 0x123456u);
  EXPECT_EQ(surface->pixels[299 * 800 + 799], 0u);
}

TEST_F(Backend, ResizeNeverGoesBelowTheMinimumSize) {
  window_set_minimum_size(630, 474);
  headless_inject_resize(100, 900);
  pump_messages();
  ASSERT_EQ(g_seen.size(), 1u);
  EXPECT_EQ(g_seen[0].width, 630);
  EXPECT_EQ(g_seen[0].height, 900);
  EXPECT_EQ(window_surface()->width, 630);
  window_set_size(10, 10);
  EXPECT_EQ(window_surface()->width, 630);
  EXPECT_EQ(window_surface()->height, 474);
}

TEST_F(Backend, CloseFocusExposeArriveAsEvents) {
  headless_inject_focus(false);
  headless_inject_focus(true);
  headless_inject_close();
  headless_inject_expose();
  pump_messages();
  ASSERT_EQ(g_seen.size(), 4u);
  EXPECT_EQ(g_seen[0].kind, WINDOW_EVENT_FOCUS_LOST);
  EXPECT_EQ(g_seen[1].kind, WINDOW_EVENT_FOCUS_GAINED);
  EXPECT_EQ(g_seen[2].kind, WINDOW_EVENT_CLOSE);
  EXPECT_EQ(g_seen[3].kind, WINDOW_EVENT_EXPOSE);
}

TEST_F(Backend, MinimiseLosesFocusAndRestoreRegainsIt) {
  window_minimise();
  window_minimise();
  EXPECT_TRUE(headless_window_minimised());
  window_restore();
  EXPECT_FALSE(headless_window_minimised());
  pump_messages();
  ASSERT_EQ(g_seen.size(), 2u);
  EXPECT_EQ(g_seen[0].kind, WINDOW_EVENT_FOCUS_LOST);
  EXPECT_EQ(g_seen[1].kind, WINDOW_EVENT_FOCUS_GAINED);
}

TEST_F(Backend, PresentShowsOnlyChangedFramesAndAgainAfterExpose) {
  window_present();
  const int first = headless_present_count();
  window_present();
  EXPECT_EQ(headless_present_count(), first);
  window_surface()->pixels[0] = 0xFFFFFF;
  window_present();
  EXPECT_EQ(headless_present_count(), first + 1);
  headless_inject_expose();
  pump_messages();
  window_present();
  EXPECT_EQ(headless_present_count(), first + 2);
}

TEST_F(Backend, WaitShowsTheFrameBeforeSleeping) {
  const int before = headless_present_count();
  window_surface()->pixels[5] = 0xFF0000;
  pump_wait(10);
  EXPECT_EQ(headless_present_count(), before + 1);
}

// ---- PNG and clipboard ----

TEST_F(Backend, FramebufferWrittenAsPngReadsBackPixelForPixel) {
  Surface surface;
  surface_resize(&surface, 7, 3);
  for (size_t i = 0; i < surface.pixels.size(); ++i) {
    surface.pixels[i] = static_cast<uint32_t>(i * 0x0A0B0C) & 0xFFFFFF;
  }
  const std::filesystem::path folder = make_test_folder("brenvik_backend");
  const std::string path = (folder / "framebuffer.png").string();
  std::string error;
  ASSERT_TRUE(headless_write_png(surface, path, &error)) << error;

  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  ASSERT_TRUE(png_image_begin_read_from_file(&image, path.c_str())) << image.message;
  image.format = PNG_FORMAT_RGB;
  std::vector<uint8_t> rgb(PNG_IMAGE_SIZE(image));
  ASSERT_TRUE(png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr)) << image.message;
  std::filesystem::remove_all(folder);
  ASSERT_EQ(image.width, 7u);
  ASSERT_EQ(image.height, 3u);
  for (size_t i = 0; i < surface.pixels.size(); ++i) {
    const uint32_t read = (rgb[i * 3] << 16) | (rgb[i * 3 + 1] << 8) | rgb[i * 3 + 2];
    EXPECT_EQ(read, surface.pixels[i]) << "pixel " << i;
  }
}

TEST_F(Backend, PngOfAnEmptySurfaceOrToABadPathFailsWithAReason) {
  std::string error;
  Surface empty;
  EXPECT_FALSE(headless_write_png(empty, "/tmp/never.png", &error));
  EXPECT_FALSE(error.empty());
  error.clear();
  EXPECT_FALSE(headless_write_png(*window_surface(), "/nonexistent-folder/x.png", &error));
  EXPECT_NE(error.find("/nonexistent-folder/x.png"), std::string::npos);
}

TEST_F(Backend, ClipboardKeepsCp1252BytesExactly) {
  std::string text;
  EXPECT_FALSE(clipboard_get_text(&text)) << "empty at start";
  const std::string stored = "Caf\xE9 \x80 \x81\x9D\r\nline 2\0end"s;
  ASSERT_EQ(stored.size(), 21u) << "the NUL byte is part of the text";
  ASSERT_TRUE(clipboard_set_text(stored));
  ASSERT_TRUE(clipboard_get_text(&text));
  EXPECT_EQ(text, stored);
}

}  // namespace
