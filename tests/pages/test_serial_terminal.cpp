// The serial terminal on a pseudo-terminal pair: typed bytes and control characters reach the
// machine, received bytes show as glyphs with their count, RTS follows Enter, settings reach an
// open port and only the settings while it is closed, and leaving always lets the port go.
#include <gtest/gtest.h>

#include <termios.h>

#include <string>

#include "tests/pages/serial_ui_fixture.h"

namespace {

class SerialTerminalTest : public SerialUiTest {
 protected:
  static int cursor_row() { return g_windows.active != nullptr ? g_windows.active->cursor_row : -1; }
  // A key once the form's cursor is on `row`.
  static void press_on_row(int row, int vk, int mods = 0) {
    user_when([row] { return cursor_row() == row; },
              [vk, mods] { headless_inject_keystroke(vk, mods); });
  }
  speed_t slave_speed() const {
    const termios t = machine_.slave_settings();
    return cfgetospeed(&t);
  }
};

TEST_F(SerialTerminalTest, TypedBytesGoOutAndReceivedBytesShowAsGlyphsWithTheirCount) {
  type("1");  // the port field's hot key: COM1 opens
  user_when([] { return g_terminal.port_open; }, [] { headless_inject_keystroke(VK_DOWN, 0); });
  for (int row = 1; row < 5; ++row) press_on_row(row, VK_DOWN);
  press_on_row(5, VK_RETURN);  // RTS, on since the port opened, goes off
  press_on_row(5, VK_DOWN);
  for (int row = 6; row < 10; ++row) press_on_row(row, VK_DOWN);
  user_when([] { return cursor_row() == 10; }, [] { headless_inject_text("A"); });
  press_on_row(10, 'C', WINDOW_MOD_CTRL);
  std::string typed;
  machine_.run([&](PtyMachine& m) {
    typed = m.read_bytes(2);
    m.write_bytes(std::string("\x01" "B", 2));
  });
  std::string data, count;
  user_when([] { return g_terminal.received == 2; },
            [&] {
              const TextWindow* w = g_windows.active;
              data = row_text(w->top_row + TERMINAL_ROW_DATA, w->left_column + 7, 2);
              count = value_text(TERMINAL_ROW_COUNT, 5);
              headless_inject_keystroke(VK_ESCAPE, 0);
            });
  run_serial_terminal();
  machine_.join();
  EXPECT_EQ(typed, "A\x03");
  EXPECT_EQ(data, "\x01" "B");  // the control byte as its glyph
  EXPECT_EQ(count, "    2");
  EXPECT_TRUE(requested("rts 0"));
  // Leaving dropped DTR and RTS and closed the port.
  const auto& all = g_serial_hooks.requests;
  ASSERT_GE(all.size(), 4u);
  EXPECT_EQ(std::vector<std::string>(all.end() - 4, all.end()),
            (std::vector<std::string>{"purge in out", "dtr 0", "rts 0", "close"}));
  EXPECT_FALSE(g_terminal.port_open);
  EXPECT_EQ(g_serial_link.port, SERIAL_NO_PORT);
}

TEST_F(SerialTerminalTest, ASpeedReachesAnOpenPortAndOnlyTheSettingWhileClosed) {
  // Closed: the rows that need the port cannot be reached.
  for (int i = 0; i < 6; ++i) press(VK_DOWN);
  int row_reached = -1;
  user_when([] { return true; }, [&] {
    row_reached = cursor_row();
    headless_inject_keystroke(VK_UP, 0);
  });
  for (int row = 3; row > 1; --row) press_on_row(row, VK_UP);
  press_on_row(1, VK_RETURN);  // the speed list
  press(VK_DOWN);
  press(VK_RETURN);            // 1200 -> 2400
  press_on_row(1, VK_UP);
  type("1");                   // opens COM1 with the settings
  speed_t opened_at = 0;
  user_when([] { return g_terminal.port_open; }, [&] {
    opened_at = slave_speed();
    headless_inject_keystroke(VK_DOWN, 0);
  });
  press_on_row(1, VK_RETURN);
  press(VK_DOWN);
  press(VK_RETURN);            // 2400 -> 4800 on the open port
  speed_t changed_to = 0;
  user_when([] { return g_terminal.speed_index == 4; }, [&] {
    changed_to = slave_speed();
    headless_inject_keystroke(VK_ESCAPE, 0);
  });
  run_serial_terminal();
  EXPECT_LE(row_reached, 4);
  EXPECT_EQ(opened_at, speed_t(B2400));
  EXPECT_EQ(changed_to, speed_t(B4800));
  // While closed, the speed was only kept: the first configure is the opening one.
  const auto& all = g_serial_hooks.requests;
  const auto first = std::find_if(all.begin(), all.end(), [](const std::string& r) {
    return r.rfind("configure", 0) == 0;
  });
  ASSERT_NE(first, all.end());
  EXPECT_EQ(*first, "configure 2400 8 N 1 none");
  EXPECT_FALSE(g_terminal.port_open);
}

TEST_F(SerialTerminalTest, APortThatCannotBeOpenedIsSaidAndStaysClosed) {
  type("2");  // COM2: no such device
  answer_box(MISSING_PORT_DEVICE);
  press(VK_ESCAPE);
  run_serial_terminal();
  EXPECT_NE(g_message_box.last_text.find("COM2"), std::string::npos);
  EXPECT_FALSE(g_terminal.port_open);
}

}  // namespace
