// Serial ports on a real pseudo-terminal pair: the settings as the slave takes them (read back
// through the master), exclusive opening, reading and writing without blocking, holds by XOFF,
// a vanished far end, and the hooks that stand in for the modem lines a pseudo-terminal lacks.
#include "platform/serial.h"

#include <gtest/gtest.h>
#include <termios.h>

#include <string>

#include "tests/support/pty_machine.h"
#include "tests/support/test_folder.h"

namespace {

class SerialTest : public ::testing::Test {
 protected:
  void SetUp() override {
    reset_serial_hooks();
    ASSERT_TRUE(machine_.ready());
  }
  void TearDown() override {
    serial_close(port_);
    reset_serial_hooks();
  }

  SerialHandle open_port() {
    SerialOpenError error;
    port_ = serial_open(machine_.slave_path(), &error);
    EXPECT_NE(port_, SERIAL_NO_PORT) << error.reason;
    return port_;
  }

  // Writes every byte, waiting on the port while it holds; false when it failed or timed out.
  bool write_all(const std::string& bytes) {
    size_t done = 0;
    for (int tries = 0; done < bytes.size() && tries < 1000; ++tries) {
      const int n = serial_write(port_, reinterpret_cast<const uint8_t*>(bytes.data()) + done,
                                 static_cast<int>(bytes.size() - done));
      if (n < 0) return false;
      done += static_cast<size_t>(n);
      if (n == 0) serial_wait(port_, SERIAL_WRITABLE, 10);
    }
    return done == bytes.size();
  }

  std::string read_some(int limit_ms) {
    std::string got;
    for (int waited = 0; waited < limit_ms; waited += 10) {
      uint8_t chunk[256];
      const int n = serial_read(port_, chunk, sizeof chunk);
      if (n > 0) got.append(reinterpret_cast<char*>(chunk), static_cast<size_t>(n));
      else serial_wait(port_, SERIAL_READABLE, 10);
    }
    return got;
  }

  PtyMachine machine_;
  SerialHandle port_ = SERIAL_NO_PORT;
};

TEST_F(SerialTest, SettingsReachTheSlaveAsThePseudoTerminalKeepsThem) {
  struct Case {
    SerialSettings settings;
    speed_t speed;
    tcflag_t input_flow;  // IXON | IXOFF expected
    bool rts_cts;
    bool two_stops;
    const char* request;
  };
  const Case cases[] = {
      {{2400, 7, SerialParity::EVEN, 1, SerialFlow::XON_XOFF}, B2400, IXON | IXOFF, false, false,
       "configure 2400 7 E 1 xon/xoff"},
      {{57600, 8, SerialParity::NONE, 2, SerialFlow::RTS_CTS}, B57600, 0, true, true,
       "configure 57600 8 N 2 rts/cts"},
      {{300, 8, SerialParity::ODD, 1, SerialFlow::NONE}, B300, 0, false, false,
       "configure 300 8 O 1 none"},
  };
  open_port();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.request);
    ASSERT_TRUE(serial_configure(port_, c.settings));
    EXPECT_EQ(g_serial_hooks.requests.back(), c.request);
    const termios t = machine_.slave_settings();
    EXPECT_EQ(cfgetospeed(&t), c.speed);
    EXPECT_EQ(t.c_iflag & (IXON | IXOFF), c.input_flow);
    EXPECT_EQ((t.c_cflag & CRTSCTS) != 0, c.rts_cts);
    EXPECT_EQ((t.c_cflag & CSTOPB) != 0, c.two_stops);
    EXPECT_EQ(t.c_cflag & (CLOCAL | CREAD), tcflag_t(CLOCAL | CREAD));
    EXPECT_EQ(t.c_lflag & (ICANON | ECHO | ISIG), tcflag_t(0));
    EXPECT_EQ(t.c_oflag & OPOST, tcflag_t(0));
    // A pseudo-terminal forces 8 bits without parity: the size and parity asked for are seen
    // only in the request above.
    EXPECT_EQ(t.c_cflag & CSIZE, tcflag_t(CS8));
    EXPECT_EQ(t.c_cflag & PARENB, tcflag_t(0));
  }
}

TEST_F(SerialTest, ASpeedTheSystemDoesNotKnowIsRefused) {
  open_port();
  EXPECT_FALSE(serial_configure(port_, {56000, 8, SerialParity::NONE, 1, SerialFlow::NONE}));
}

TEST_F(SerialTest, OpeningIsExclusiveAndSaysWhyItFailed) {
  open_port();
  SerialOpenError error;
  EXPECT_EQ(serial_open(machine_.slave_path(), &error), SERIAL_NO_PORT);
  EXPECT_EQ(error.refusal, SerialRefusal::BUSY);
  EXPECT_FALSE(error.reason.empty());

  EXPECT_EQ(serial_open("/dev/no-such-serial-port", &error), SERIAL_NO_PORT);
  EXPECT_EQ(error.refusal, SerialRefusal::MISSING);

  const std::filesystem::path folder = make_test_folder("serial");
  const std::string file = (folder / "plain").string();
  write_file_bytes(file, "not a port");
  EXPECT_EQ(serial_open(file, &error), SERIAL_NO_PORT);
  EXPECT_EQ(error.refusal, SerialRefusal::NOT_SERIAL);
  std::filesystem::remove_all(folder);

  // Closed, the port can be had again.
  serial_close(port_);
  port_ = SERIAL_NO_PORT;
  open_port();
}

TEST_F(SerialTest, BytesGoBothWaysWithoutBlocking) {
  open_port();
  ASSERT_TRUE(serial_configure(port_, {9600, 8, SerialParity::NONE, 1, SerialFlow::NONE}));
  uint8_t none[4];
  EXPECT_EQ(serial_read(port_, none, 4), 0);
  EXPECT_EQ(serial_wait(port_, SERIAL_READABLE, 0), 0);
  ASSERT_TRUE(write_all(std::string("G1 X1\r\n\0\xff", 9)));
  EXPECT_EQ(machine_.read_bytes(9), std::string("G1 X1\r\n\0\xff", 9));
  ASSERT_TRUE(machine_.write_bytes(std::string("%\r\n\x13\x11", 5)));
  // Without XON/XOFF the flow characters are data.
  EXPECT_EQ(read_some(200), std::string("%\r\n\x13\x11", 5));
  EXPECT_GE(serial_output_queued(port_), 0);
  EXPECT_EQ(serial_input_queued(port_), 0);
}

TEST_F(SerialTest, AnXoffHoldsWritesUntilXon) {
  open_port();
  ASSERT_TRUE(serial_configure(port_, {9600, 8, SerialParity::NONE, 1, SerialFlow::XON_XOFF}));
  machine_.send_xoff();
  PtyMachine::sleep_ms(50);
  const uint8_t byte = 'A';
  EXPECT_EQ(serial_write(port_, &byte, 1), 0);
  EXPECT_EQ(serial_wait(port_, SERIAL_WRITABLE, 20), 0);
  machine_.send_xon();
  EXPECT_NE(serial_wait(port_, SERIAL_WRITABLE, 2000) & SERIAL_WRITABLE, 0);
  EXPECT_EQ(serial_write(port_, &byte, 1), 1);
  EXPECT_EQ(machine_.read_bytes(1), "A");

  // With output flow off the program reads the machine's XON and XOFF itself.
  ASSERT_TRUE(serial_set_output_flow(port_, false));
  machine_.send_xoff();
  machine_.send_xon();
  EXPECT_EQ(read_some(200), "\x13\x11");
  EXPECT_EQ(serial_write(port_, &byte, 1), 1);
  EXPECT_EQ(g_serial_hooks.requests.back(), "output-flow 0");
}

TEST_F(SerialTest, AVanishedFarEndFailsReadsWritesAndWaits) {
  open_port();
  ASSERT_TRUE(serial_configure(port_, {9600, 8, SerialParity::NONE, 1, SerialFlow::NONE}));
  machine_.close_master();
  uint8_t bytes[4] = {1, 2, 3, 4};
  EXPECT_EQ(serial_read(port_, bytes, 4), -1);
  EXPECT_EQ(serial_write(port_, bytes, 4), -1);
  EXPECT_NE(serial_wait(port_, SERIAL_READABLE | SERIAL_WRITABLE, 0) & SERIAL_GONE, 0);
}

TEST_F(SerialTest, LinesAreRecordedAndTheModemStatusCanBeScripted) {
  open_port();
  serial_set_dtr(port_, true);
  serial_set_rts(port_, false);
  serial_purge(port_, true, true);
  const std::vector<std::string> tail(g_serial_hooks.requests.end() - 3,
                                      g_serial_hooks.requests.end());
  EXPECT_EQ(tail, (std::vector<std::string>{"dtr 1", "rts 0", "purge in out"}));
  // A pseudo-terminal has no modem lines to tell.
  EXPECT_EQ(serial_modem_status(port_), -1);
  g_serial_hooks.scripted_modem_status = SERIAL_CTS | SERIAL_DSR;
  EXPECT_EQ(serial_modem_status(port_), SERIAL_CTS | SERIAL_DSR);
}

}  // namespace
