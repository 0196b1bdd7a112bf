#include <gtest/gtest.h>

#include <vector>

#include "platform/headless.h"
#include "platform/pump.h"
#include "platform/window.h"
#include "screen/event_queue.h"
#include "screen/main_form.h"

namespace {

constexpr uint8_t SHIFT = MODIFIER_SHIFT;
constexpr uint8_t CTRL = MODIFIER_CTRL;
constexpr uint8_t ALT = MODIFIER_ALT;

class EventQueueTest : public ::testing::Test {
 protected:
  void SetUp() override {
    reset_headless();
    reset_pump();
    reset_event_queue();
    g_form.idle_state = 0;  // the program waits for input
  }
  void TearDown() override {
    reset_pump();
    reset_event_queue();
    g_form.idle_state = 1;
  }
};

// Takes every pending code without pumping or blocking.
std::vector<int> drain() {
  std::vector<int> codes;
  while (pending_input_count() > 0) codes.push_back(poll_input_code(0));
  return codes;
}

void push_all(const std::vector<int>& codes) {
  for (int code : codes) push_input_code(static_cast<EventCode>(code));
}

// Key translation ---------------------------------------------------------------------------

struct KeyCase {
  const char* name;
  int vk;
  uint8_t modifiers;
  int expected;
};

const KeyCase KEY_CASES[] = {
    // The plain cursor and editing keys.
    {"Backspace", VK_BACK, 0, 8},
    {"Tab", VK_TAB, 0, 9},
    {"Enter", VK_RETURN, 0, 13},
    {"Esc", VK_ESCAPE, 0, 27},
    {"PgUp", VK_PRIOR, 0, 329},
    {"PgDn", VK_NEXT, 0, 337},
    {"End", VK_END, 0, 335},
    {"Home", VK_HOME, 0, 327},
    {"Left", VK_LEFT, 0, 331},
    {"Up", VK_UP, 0, 328},
    {"Right", VK_RIGHT, 0, 333},
    {"Down", VK_DOWN, 0, 336},
    {"Ins", VK_INSERT, 0, 338},
    {"Del", VK_DELETE, 0, 339},
    {"Shift+Up", VK_UP, SHIFT, 328},
    {"F1", VK_F1, 0, 315},
    {"F10", VK_F1 + 9, 0, 324},
    {"Shift+F2", VK_F1 + 1, SHIFT, 316},
    {"F11", VK_F1 + 10, 0, 389},
    {"F12", VK_F1 + 11, 0, 390},
    // Letters, digits and the keypad arrive as typed characters, not from their key-down.
    {"A", 'A', 0, 0},
    {"Shift+7", '7', SHIFT, 0},
    {"keypad 0", VK_NUMPAD0, 0, 0},
    {"keypad 9", VK_NUMPAD0 + 9, SHIFT, 0},
    {"Ctrl+keypad 5", VK_NUMPAD0 + 5, CTRL, 0},
    {"Ctrl+keypad +", VK_ADD, CTRL, 0},
    {"Shift+Ctrl alone", VK_SHIFT, CTRL, 0},
    // Ctrl.
    {"Ctrl+Backspace", VK_BACK, CTRL, 127},
    {"Ctrl+Tab", VK_TAB, CTRL, 315},
    {"Ctrl+Shift+Tab", VK_TAB, CTRL | SHIFT, 316},
    {"Ctrl+Enter", VK_RETURN, CTRL, 10},
    {"Ctrl+Space", VK_SPACE, CTRL, 544},
    {"Ctrl+PgUp", VK_PRIOR, CTRL, 388},
    {"Ctrl+PgDn", VK_NEXT, CTRL, 374},
    {"Ctrl+End", VK_END, CTRL, 373},
    {"Ctrl+Home", VK_HOME, CTRL, 375},
    {"Ctrl+Left", VK_LEFT, CTRL, 371},
    {"Ctrl+Up", VK_UP, CTRL, 397},
    {"Ctrl+Right", VK_RIGHT, CTRL, 372},
    {"Ctrl+Down", VK_DOWN, CTRL, 401},
    {"Ctrl+Ins", VK_INSERT, CTRL, 402},
    {"Ctrl+Del", VK_DELETE, CTRL, 403},
    {"Ctrl+A", 'A', CTRL, 577},
    {"Ctrl+Z", 'Z', CTRL, 602},
    {"Ctrl+Shift+C", 'C', CTRL | SHIFT, 579},
    {"Ctrl+0", '0', CTRL, 560},
    {"Ctrl+9", '9', CTRL, 569},
    {"Ctrl+comma", VK_OEM_COMMA, CTRL, 700},
    {"Ctrl+period", VK_OEM_PERIOD, CTRL, 702},
    {"Ctrl+minus", VK_OEM_MINUS, CTRL, 1175},
    {"Ctrl+[", VK_OEM_4, CTRL, 603},
    {"Ctrl+]", VK_OEM_6, CTRL, 605},
    {"Ctrl+apostrophe", VK_OEM_7, CTRL, 551},
    {"Ctrl+F1", VK_F1, CTRL, 350},
    {"Ctrl+F10", VK_F1 + 9, CTRL, 359},
    {"Ctrl+Esc", VK_ESCAPE, CTRL, 0},
    {"Ctrl+F11", VK_F1 + 10, CTRL, 0},
    {"Ctrl+equals", VK_OEM_PLUS, CTRL, 0},
    // Alt: +80 on every key of the plain table.
    {"Alt+Up", VK_UP, ALT, 408},
    {"Alt+Home", VK_HOME, ALT, 407},
    {"Alt+Del", VK_DELETE, ALT, 419},
    {"Alt+Backspace", VK_BACK, ALT, 88},
    {"Alt+Enter", VK_RETURN, ALT, 93},
    {"Alt+Esc", VK_ESCAPE, ALT, 107},
    {"Alt+F11", VK_F1 + 10, ALT, 469},
    {"Alt+F12", VK_F1 + 11, ALT, 470},
    {"Alt+F1", VK_F1, ALT, 360},
    {"Alt+F10", VK_F1 + 9, ALT, 369},
    // Alt with letters (set-1 scan codes), digits and punctuation.
    {"Alt+A", 'A', ALT, 286},
    {"Alt+B", 'B', ALT, 304},
    {"Alt+M", 'M', ALT, 306},
    {"Alt+Q", 'Q', ALT, 272},
    {"Alt+X", 'X', ALT, 301},
    {"Alt+Z", 'Z', ALT, 300},
    {"Alt+1", '1', ALT, 376},
    {"Alt+9", '9', ALT, 384},
    {"Alt+0", '0', ALT, 385},
    {"Alt+Space", VK_SPACE, ALT, 312},
    {"Alt+equals", VK_OEM_PLUS, ALT, 387},
    {"Alt+minus", VK_OEM_MINUS, ALT, 1175},
    {"Alt+[", VK_OEM_4, ALT, 282},
    {"Alt+]", VK_OEM_6, ALT, 283},
    {"Alt+apostrophe", VK_OEM_7, ALT, 296},
    {"Alt+semicolon", VK_OEM_1, ALT, 0},
    {"Alt+keypad 3", VK_NUMPAD0 + 3, ALT, 0},
    // Ctrl and Alt together: Ctrl's own codes first, then F-keys with Ctrl, then Alt's.
    {"Ctrl+Alt+A", 'A', CTRL | ALT, 577},
    {"Ctrl+Alt+Up", VK_UP, CTRL | ALT, 397},
    {"Ctrl+Alt+F1", VK_F1, CTRL | ALT, 350},
    {"Ctrl+Alt+equals", VK_OEM_PLUS, CTRL | ALT, 387},
    {"Ctrl+Alt+Esc", VK_ESCAPE, CTRL | ALT, 0},
};

TEST(KeyMapTest, MapsVirtualKeysWithModifiers) {
  for (const KeyCase& c : KEY_CASES)
    EXPECT_EQ(map_key_down(c.vk, c.modifiers), c.expected) << c.name;
}

TEST_F(EventQueueTest, TranslateKeyDownPostsWithTheCurrentModifiers) {
  modifier_key_menus(100, VK_MENU, 0, 1, 0);  // Alt goes down: 448
  EXPECT_EQ(translate_key_down(VK_UP), 408);
  EXPECT_EQ(translate_key_down('A'), 286);
  modifier_key_menus(117, VK_MENU, 0, 0, 0);  // and up: 449
  EXPECT_EQ(translate_key_down(VK_UP), 328);
  EXPECT_EQ(translate_key_down(VK_NUMPAD0 + 1), 0);  // no code, nothing stored
  EXPECT_EQ(drain(), (std::vector<int>{448, 408, 286, 449, 328}));
}

TEST_F(EventQueueTest, AltSlashPostsNothing) {
  g_events.modifiers = ALT;
  EXPECT_EQ(translate_key_down(VK_OEM_2), 0);
  g_events.modifiers = ALT | CTRL;
  EXPECT_EQ(translate_key_down(VK_OEM_2), 0);
  EXPECT_EQ(pending_input_count(), 0);
}

// Modifier codes ----------------------------------------------------------------------------

TEST_F(EventQueueTest, ModifierPressAndReleasePostTheirCodesOnce) {
  modifier_key_menus(100, VK_CONTROL, 0, 0, 1);
  modifier_key_menus(100, VK_CONTROL, 0, 0, 1);  // key repeat: Ctrl already held
  EXPECT_EQ(g_events.modifiers, CTRL);
  modifier_key_menus(117, VK_CONTROL, 0, 0, 0);
  modifier_key_menus(100, VK_SHIFT, 1, 0, 0);  // Shift changes the state, posts nothing
  EXPECT_EQ(g_events.modifiers, SHIFT);
  modifier_key_menus(117, VK_SHIFT, 0, 0, 0);
  // The system-key path only sets and clears Alt.
  modifier_key_menus(1, VK_MENU, 0, 1, 0);
  modifier_key_menus(1, VK_MENU, 0, 1, 0);
  EXPECT_EQ(g_events.modifiers, ALT);
  modifier_key_menus(0, VK_MENU, 0, 1, 0);
  EXPECT_EQ(g_events.modifiers, 0);
  EXPECT_EQ(drain(), (std::vector<int>{446, 447, 448, 449}));
}

TEST_F(EventQueueTest, ModifierKeysAreIgnoredUntilTheProgramWaitsForInput) {
  // At load (1) and inside the first idle call (-1) a modifier changes nothing and posts
  // nothing; once the program waits (0) the same press counts.
  for (const int8_t idle_state : {int8_t{1}, int8_t{-1}}) {
    g_form.idle_state = idle_state;
    modifier_key_menus(100, VK_CONTROL, 0, 0, 1);
    modifier_key_menus(1, VK_MENU, 0, 1, 0);
    EXPECT_EQ(g_events.modifiers, 0) << int{idle_state};
    EXPECT_EQ(pending_input_count(), 0) << int{idle_state};
  }
  g_form.idle_state = 0;
  modifier_key_menus(100, VK_CONTROL, 0, 0, 1);
  EXPECT_EQ(g_events.modifiers, CTRL);
  EXPECT_EQ(drain(), (std::vector<int>{446}));
}

TEST_F(EventQueueTest, CloseKeyMenusClearsCtrlAndAltUnlessAskedToKeepThem) {
  g_events.modifiers = SHIFT | CTRL | ALT;
  close_key_menus(2);
  EXPECT_EQ(g_events.modifiers, SHIFT | CTRL | ALT);
  close_key_menus(0);
  EXPECT_EQ(g_events.modifiers, SHIFT);
}

// Typed characters and Alt + keypad ---------------------------------------------------------

TEST_F(EventQueueTest, TypedCharactersSkipControlsAndCtrlOrAlt) {
  post_typed_char('a');
  post_typed_char(31);
  post_typed_char(0xE9);  // cp1252 e acute stays a positive code
  g_events.modifiers = CTRL;
  post_typed_char('b');
  g_events.modifiers = ALT;
  post_typed_char('c');
  g_events.modifiers = SHIFT;
  post_typed_char('D');
  EXPECT_EQ(drain(), (std::vector<int>{'a', 0xE9, 'D'}));
}

// What the form does: Alt down, keypad digits, Alt up, then Windows' own character event.
std::vector<int> type_alt_keypad(const std::vector<int>& digits, uint8_t echoed_char) {
  modifier_key_menus(100, VK_MENU, 0, 1, 0);
  for (int d : digits) collect_alt_keypad_digit(VK_NUMPAD0 + d);
  modifier_key_menus(117, VK_MENU, 0, 0, 0);
  post_alt_keypad_char();
  post_char_event(echoed_char);
  post_char_event('z');
  return drain();
}

TEST_F(EventQueueTest, AltKeypadDigitsPostOneCharacterCode) {
  struct Case {
    std::vector<int> digits;
    std::vector<int> expected;
  } cases[] = {
      {{0, 6, 5}, {448, 449, 1024 + 65, 'z'}},         // the echoed 'A' is skipped
      {{2, 3, 3}, {448, 449, 1024 + 233, 'z'}},
      {{3, 0, 0}, {448, 449, 1024 + 44, 'z'}},         // mod 256
      {{1, 2, 3, 4}, {448, 449, 1024 + 210, 'z'}},     // mod 256 at every digit
      {{2, 5, 6}, {448, 449, 'A', 'z'}},               // 0 mod 256: nothing, nothing skipped
  };
  for (const Case& c : cases) {
    reset_event_queue();
    EXPECT_EQ(type_alt_keypad(c.digits, 'A'), c.expected) << ::testing::PrintToString(c.digits);
  }
}

TEST_F(EventQueueTest, ClearedAltKeypadValuePostsNothing) {
  collect_alt_keypad_digit(VK_NUMPAD0 + 7);
  clear_alt_keypad();
  post_alt_keypad_char();
  post_char_event('q');
  EXPECT_EQ(drain(), (std::vector<int>{'q'}));
}

// Mouse and wheel ---------------------------------------------------------------------------

TEST_F(EventQueueTest, MouseButtonsHaveTheirCodes) {
  struct Case {
    int button;
    bool down;
    int expected;
  } cases[] = {
      {WINDOW_BUTTON_LEFT, true, 432},   {WINDOW_BUTTON_MIDDLE, true, 433},
      {WINDOW_BUTTON_RIGHT, true, 434},  {WINDOW_BUTTON_LEFT, false, 435},
      {WINDOW_BUTTON_MIDDLE, false, 436}, {WINDOW_BUTTON_RIGHT, false, 437},
      {0, true, 0},                      {8, false, 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(mouse_button_code(c.button, c.down), c.expected)
        << "button " << c.button << (c.down ? " down" : " up");
  }
  post_mouse_button(WINDOW_BUTTON_LEFT, true);
  post_mouse_button(WINDOW_BUTTON_LEFT, false);
  post_mouse_button(3, true);
  EXPECT_EQ(drain(), (std::vector<int>{432, 435}));
}

TEST_F(EventQueueTest, WheelNotchPostsThreeScrollCodes) {
  struct Case {
    int delta;
    std::vector<int> expected;
  } cases[] = {
      {120, {397, 397, 397}},
      {-120, {401, 401, 401}},
      {-240, {401, 401, 401, 401, 401, 401}},
      {359, {397, 397, 397, 397, 397, 397}},  // part notches are dropped
      {60, {}},
      {-119, {}},
  };
  for (const Case& c : cases) {
    reset_event_queue();
    post_wheel(c.delta);
    EXPECT_EQ(drain(), c.expected) << "delta " << c.delta;
  }
}

TEST_F(EventQueueTest, MoveIsCoalescedOnlyBehindAMoveAtTheReadPosition) {
  struct Case {
    const char* name;
    std::vector<int> pending;
    std::vector<int> expected;
  } cases[] = {
      {"oldest is a move", {438, 65}, {438, 65}},
      {"newest is a move", {65, 438}, {65, 438, 438}},
      {"empty queue", {}, {438}},
  };
  for (const Case& c : cases) {
    reset_event_queue();
    push_all(c.pending);
    push_input_code(EVENT_POINTER_MOVE);
    EXPECT_EQ(drain(), c.expected) << c.name;
  }
}

TEST_F(EventQueueTest, MoveIsStoredAgainOnceTheOldestMoveWasRead) {
  push_all({438, 438, 438});
  EXPECT_EQ(pending_input_count(), 1);
  EXPECT_EQ(poll_input_code(0), 438);
  push_input_code(EVENT_POINTER_MOVE);
  EXPECT_EQ(drain(), (std::vector<int>{438}));
}

TEST_F(EventQueueTest, ZeroIsNeverStored) {
  EXPECT_FALSE(push_input_code(0));
  EXPECT_EQ(pending_input_count(), 0);
  EXPECT_EQ(g_events.refused_codes, 0u);
}

// A full ring -------------------------------------------------------------------------------

void fill_ring() {
  for (int i = 0; i < EVENT_RING_SIZE - 1; i++) ASSERT_TRUE(push_input_code(1000 + i));
}

std::vector<int> ring_fill_codes() {
  std::vector<int> codes;
  for (int i = 0; i < EVENT_RING_SIZE - 1; i++) codes.push_back(1000 + i);
  return codes;
}

TEST_F(EventQueueTest, FullRingRefusesTheNewestCodeAndSaysSo) {
  fill_ring();
  EXPECT_EQ(pending_input_count(), 62);
  EXPECT_FALSE(push_input_code(65));
  EXPECT_FALSE(push_input_code(66));
  EXPECT_EQ(g_events.refused_codes, 2u);
  EXPECT_EQ(pending_input_count(), 62);
  // One read makes room for exactly one more, behind the others.
  EXPECT_EQ(poll_input_code(0), 1000);
  EXPECT_TRUE(push_input_code(67));
  EXPECT_FALSE(push_input_code(68));
  std::vector<int> expected = ring_fill_codes();
  expected.erase(expected.begin());
  expected.push_back(67);
  EXPECT_EQ(drain(), expected);
}

TEST_F(EventQueueTest, QuitSurvivesAFullRing) {
  fill_ring();
  EXPECT_TRUE(push_input_code(EVENT_QUIT));
  EXPECT_EQ(g_events.refused_codes, 0u);
  for (int expected : ring_fill_codes()) ASSERT_EQ(wait_input_code(), expected);
  EXPECT_EQ(wait_input_code(), EVENT_QUIT);
  EXPECT_EQ(wait_input_code(), EVENT_QUIT);  // until a page handler clears the flag
  EXPECT_EQ(g_events.last_code, EVENT_QUIT);
}

TEST_F(EventQueueTest, RedrawSurvivesAFullRingAndComesOnce) {
  fill_ring();
  EXPECT_TRUE(push_input_code(EVENT_REDRAW));
  for (int expected : ring_fill_codes()) ASSERT_EQ(wait_input_code(), expected);
  EXPECT_EQ(wait_input_code(), EVENT_REDRAW);
  EXPECT_EQ(poll_input_code(0), 0);
}

// Reading with a limit ----------------------------------------------------------------------

TEST_F(EventQueueTest, PeekLimitLeavesTheQueueAsItWas) {
  push_all({500, 65});
  EXPECT_EQ(poll_input_code(EVENT_PEEK_LIMIT), 500);
  EXPECT_EQ(poll_input_code(EVENT_PEEK_LIMIT), 500);
  EXPECT_EQ(drain(), (std::vector<int>{500, 65}));
  EXPECT_EQ(poll_input_code(EVENT_PEEK_LIMIT), 0);
}

TEST_F(EventQueueTest, LimitDiscardsCodesAtOrAboveItUpToTheFirstBelow) {
  struct Case {
    const char* name;
    std::vector<int> pending;
    int limit;
    int result;
    std::vector<int> left;
  } cases[] = {
      {"skips to the first below", {460, 450, 65, 470}, 450, 65, {65, 470}},
      {"first already below", {13, 900}, 450, 13, {13, 900}},
      {"nothing below", {500, 600}, 450, 0, {}},
      {"empty", {}, 450, 0, {}},
      {"limit 0 takes the oldest", {500, 65}, 0, 500, {65}},
      {"negative limit takes the oldest", {500, 65}, -1, 500, {65}},
  };
  for (const Case& c : cases) {
    reset_event_queue();
    push_all(c.pending);
    EXPECT_EQ(poll_input_code(c.limit), c.result) << c.name;
    EXPECT_EQ(drain(), c.left) << c.name;
  }
}

TEST_F(EventQueueTest, QuitDiscardedByALimitStillEndsTheWait) {
  push_all({5555, 66});
  EXPECT_EQ(poll_input_code(450), 66);
  EXPECT_TRUE(g_events.quit_requested);
  EXPECT_EQ(wait_input_code(), 66);
  EXPECT_EQ(wait_input_code(), EVENT_QUIT);
}

TEST_F(EventQueueTest, RedrawDiscardedByALimitIsReadAfterThePeekedCode) {
  push_all({5001, 65, 470});
  EXPECT_EQ(poll_input_code(450), 65);
  // The peeked code is the one read next; the redraw comes once the ring is empty.
  EXPECT_EQ(wait_input_code(), 65);
  EXPECT_EQ(wait_input_code(), 470);
  EXPECT_EQ(wait_input_code(), EVENT_REDRAW);
  EXPECT_FALSE(g_events.redraw_pending);
}

TEST_F(EventQueueTest, RedrawFlagHonoursTheLimitOfAPeek) {
  push_all({5001, 600});
  EXPECT_EQ(poll_input_code(450), 0);
  EXPECT_EQ(poll_input_code(450), 0);                   // at or above the limit: not read
  EXPECT_EQ(poll_input_code(EVENT_PEEK_LIMIT), 5001);  // a peek sees it and leaves it
  EXPECT_EQ(poll_input_code(0), 5001);
  EXPECT_EQ(poll_input_code(EVENT_PEEK_LIMIT), 0);
}

// Waiting and flushing ----------------------------------------------------------------------

TEST_F(EventQueueTest, WaitReturnsPendingCodesInOrderBeforeQuit) {
  push_all({65, 66});
  post_quit_request();
  push_input_code(67);
  EXPECT_EQ(wait_input_code(), 65);
  EXPECT_EQ(g_events.last_code, 65);
  EXPECT_EQ(wait_input_code(), 66);
  EXPECT_EQ(wait_input_code(), EVENT_QUIT);
  EXPECT_EQ(wait_input_code(), 67);
  EXPECT_EQ(wait_input_code(), EVENT_QUIT);
  g_events.quit_requested = false;  // the user said no
  push_input_code(68);
  EXPECT_EQ(wait_input_code(), 68);
}

TEST_F(EventQueueTest, FlushDropsTypeAheadButNotQuitOrRedraw) {
  push_all({65, 5001, 5555, 328});
  flush_input();
  EXPECT_EQ(pending_input_count(), 0);
  EXPECT_EQ(wait_input_code(), EVENT_QUIT);
  g_events.quit_requested = false;
  EXPECT_EQ(wait_input_code(), EVENT_REDRAW);
}

// Pumping on an empty queue ------------------------------------------------------------------

// The least window procedure: keys, characters and the close box become codes.
void post_window_event(const WindowEvent& event) {
  switch (event.kind) {
    case WINDOW_EVENT_KEY_DOWN: translate_key_down(event.key); break;
    case WINDOW_EVENT_CHAR: post_char_event(event.ch); break;
    case WINDOW_EVENT_CLOSE: post_quit_request(); break;
    default: break;
  }
}

void post_tick() { push_input_code(EVENT_TICK); }

TEST_F(EventQueueTest, ReadingAnEmptyQueuePumpsButPeekingDoesNot) {
  pump_set_event_handler(post_window_event);
  headless_inject_key_down(VK_UP, 0);
  EXPECT_EQ(poll_input_code(EVENT_PEEK_LIMIT), 0);
  EXPECT_EQ(headless_pending_events(), 1);
  EXPECT_EQ(poll_input_code(0), 0);  // pumped: the key is queued for the next read
  EXPECT_EQ(headless_pending_events(), 0);
  EXPECT_EQ(poll_input_code(EVENT_PEEK_LIMIT), 328);
  EXPECT_EQ(poll_input_code(0), 328);

  headless_inject_text("x");
  EXPECT_EQ(poll_input_code(450), 0);
  EXPECT_EQ(poll_input_code(450), 'x');
}

TEST_F(EventQueueTest, WaitPumpsUntilACodeArrives) {
  pump_set_event_handler(post_window_event);
  pump_set_timer_handler(post_tick);
  pump_start_timer();
  uint32_t start = clock_now_ms();
  EXPECT_EQ(wait_input_code(), EVENT_TICK);
  EXPECT_EQ(clock_now_ms() - start, PUMP_TIMER_INTERVAL_MS);  // slept to the tick, not longer

  headless_inject_close();
  EXPECT_EQ(wait_input_code(), EVENT_QUIT);
  EXPECT_TRUE(g_events.quit_requested);
}

TEST_F(EventQueueTest, FlushPumpsThenDropsWhatArrived) {
  pump_set_event_handler(post_window_event);
  headless_inject_text("abc");
  flush_input();
  EXPECT_EQ(headless_pending_events(), 0);
  EXPECT_EQ(pending_input_count(), 0);
}

}  // namespace
