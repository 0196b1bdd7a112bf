// Transfers as the user sees them, on a pseudo-terminal pair with a scripted machine: the send's
// status window through holds, aborts and a machine that vanishes; the receive's status window
// with its idle notice, auto-save and hiding; the transfer-box request; the refusal of a port
// that cannot be opened; the report of the last transfers.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <string>

#include "tests/pages/serial_ui_fixture.h"

namespace {

using Clock = std::chrono::steady_clock;

class SerialTransferTest : public SerialUiTest {};

bool always() { return true; }

// A pseudo-terminal carries what the line holds (some tens of kilobytes) without the machine
// reading; more than that, and the send must wait.
constexpr size_t LINE_HOLDS_AT_MOST = 64 * 1024;

size_t first_difference(const std::string& a, const std::string& b) {
  size_t i = 0;
  while (i < a.size() && i < b.size() && a[i] == b[i]) ++i;
  return i;
}

TEST_F(SerialTransferTest, AnXoffMidSendHoldsTheFlowWithTheWaitingMessageUntilXon) {
  const std::string program = seeded_program(300 * 1024, 4);
  CommProtocol p = plain_protocol();
  p.handshake = HANDSHAKE_SOFTWARE;
  use_protocols({p});
  const std::string path = write_source("part.nc", program);
  std::string before, in_flight, during_hold, after;
  machine_.run([&](PtyMachine& m) {
    before = m.read_bytes(3000);
    m.send_xoff();
    in_flight = m.read_until_quiet(100);
    during_hold = m.read_until_quiet(300, 300);
    m.send_xon();
    after = m.read_bytes(program.size() - before.size() - in_flight.size());
  });
  answer_box("Finished Transmitting");
  EXPECT_EQ(send_to_port(protocol_line(), nullptr, nullptr, path.c_str()), 0);
  machine_.join();
  // What was on its way when the XOFF came arrives; then nothing until the XON.
  EXPECT_LT(in_flight.size(), LINE_HOLDS_AT_MOST);
  EXPECT_EQ(during_hold, "");
  const std::string received = before + in_flight + after;
  EXPECT_EQ(received.size(), program.size());
  EXPECT_EQ(first_difference(received, program), program.size());
  EXPECT_TRUE(status_showed(SERIAL_WAITING_TEXT));
  EXPECT_EQ(g_serial_link.last_bytes_sent, static_cast<int64_t>(program.size()));
  EXPECT_FALSE(transfer_active());
}

TEST_F(SerialTransferTest, AStalledMachineHoldsTheSendUntilItReadsAgainAndCtrlXAborts) {
  const std::string program = seeded_program(400 * 1024, 8);
  const std::string path = write_source("big.nc", program);
  std::string received;
  std::atomic<bool> stalled_again{false};
  machine_.run([&](PtyMachine& m) {
    received = m.read_bytes(2000);
    PtyMachine::sleep_ms(300);  // stops reading: the send fills what the line holds and waits
    // Reading again, the machine gets more than the line can hold: the send went on.
    received += m.read_bytes(LINE_HOLDS_AT_MOST + 10000);
    stalled_again = true;
    PtyMachine::sleep_ms(400);
    received += m.read_until_quiet(100);
  });
  const auto since = Clock::now();
  user_when([&] { return stalled_again && Clock::now() - since > std::chrono::milliseconds(200); },
            [] { headless_inject_keystroke('X', WINDOW_MOD_CTRL); });
  answer_box("transmission aborted");
  EXPECT_EQ(send_to_port(protocol_line(), nullptr, nullptr, path.c_str()), -1);
  machine_.join();
  // Nothing was lost or doubled on the way, and the send never ran past the machine.
  EXPECT_GT(received.size(), 2000 + LINE_HOLDS_AT_MOST);
  EXPECT_LT(received.size(), program.size());
  EXPECT_EQ(first_difference(received, program), received.size());
  EXPECT_LE(static_cast<size_t>(g_serial_link.last_bytes_sent), received.size() + LINE_HOLDS_AT_MOST);
  EXPECT_FALSE(transfer_active());
  EXPECT_TRUE(requested("dtr 0"));
  EXPECT_TRUE(requested("close"));
}

TEST_F(SerialTransferTest, AMachineGoneMidSendIsNamedWithTheBytesSentAndANextSendWorks) {
  const std::string program = seeded_program(100 * 1024, 9);
  const std::string path = write_source("big.nc", program);
  machine_.run([](PtyMachine& m) {
    m.read_bytes(3000);
    m.close_master();
  });
  answer_box("failed");
  EXPECT_EQ(send_to_port(protocol_line(), nullptr, nullptr, path.c_str()), -1);
  machine_.join();
  const std::string report = g_message_box.last_text;
  EXPECT_NE(report.find("COM1"), std::string::npos);
  EXPECT_NE(report.find(std::to_string(g_serial_link.last_bytes_sent) + " bytes"),
            std::string::npos);
  EXPECT_EQ(report.find("Finished"), std::string::npos);

  PtyMachine next;
  ASSERT_TRUE(next.ready());
  write_port_table(next.slave_path());
  answer_box("Finished Transmitting");
  EXPECT_EQ(send_to_port(protocol_line(), nullptr, nullptr, write_source("a.nc", "G1\r\n").c_str()),
            0);
  EXPECT_EQ(next.read_until_quiet(100), "G1\r\n");
}

TEST_F(SerialTransferTest, EscHidesTheSendAndTheTimerCarriesItToItsEnd) {
  const std::string program = seeded_program(5000, 12);
  push_input_code(KEY_ESC);
  EXPECT_EQ(send_to_port(protocol_line(), nullptr, nullptr, write_source("a.nc", program).c_str()),
            0);
  EXPECT_TRUE(g_serial_link.send_active);
  EXPECT_EQ(g_popups.current, nullptr);
  std::string received;
  for (int tick = 0; tick < 400 && g_serial_link.send_active; ++tick) {
    headless_advance_clock(TICK_MS);
    pump_messages();
    received += machine_.read_until_quiet(1, 5);
  }
  received += machine_.read_until_quiet(50);
  EXPECT_FALSE(g_serial_link.send_active);
  EXPECT_TRUE(received == program);
  // The end is told the next time the user turns to the link.
  ASSERT_EQ(g_serial_ui.notices.size(), 1u);
  answer_box("Finished transmitting");
  EXPECT_NE(choose_transfer_protocol(PROTOCOL_FOR_SEND), nullptr);
  EXPECT_TRUE(g_serial_ui.notices.empty());
}

class ReceiveSilenceTest : public SerialTransferTest, public ::testing::WithParamInterface<int> {};

// The virtual clock moves only in the status window's waits, after the machine has written.
TEST_P(ReceiveSilenceTest, IdleNoticeAtThreeSecondsAutoSaveAtTenOnlyPastFortyBytes) {
  const int bytes = GetParam();
  CommProtocol p = plain_protocol();
  p.handshake = HANDSHAKE_SOFTWARE;
  p.auto_save_seconds = 10;
  use_protocols({p});
  const std::string data = seeded_program(static_cast<size_t>(bytes), 1);
  const std::string path = (folder_ / "received.nc").string();
  ASSERT_EQ(start_receive_into(protocol_line(), path), 0);
  const uint32_t start = clock_now_ms();
  machine_.write_bytes(data);
  PtyMachine::sleep_ms(50);
  if (bytes > IDLE_SAVE_MIN_BYTES) {
    answer_box("seconds, so the receive ended");
  } else {
    // Never saved by itself: the user ends it after 12 quiet seconds.
    user_when([start] { return clock_now_ms() - start > 12000; },
              [] { headless_inject_keystroke(VK_F1 + 9, WINDOW_MOD_CTRL); });
    answer_box("Terminated!");
  }
  EXPECT_EQ(serial_status(1), 0);
  EXPECT_EQ(status_showed("No activity for 3 seconds..."), bytes > IDLE_SAVE_MIN_BYTES);
  EXPECT_EQ(read_file_bytes(path), data);
  if (bytes > IDLE_SAVE_MIN_BYTES) {
    EXPECT_NE(g_message_box.last_text.find(path), std::string::npos);
    EXPECT_LT(clock_now_ms() - start, 11000u);
  }
  EXPECT_FALSE(transfer_active());
}
INSTANTIATE_TEST_SUITE_P(Bytes, ReceiveSilenceTest, ::testing::Values(40, 41));

TEST_F(SerialTransferTest, EscHidesTheReceiveWhichGoesOnUntilItIsSaved) {
  CommProtocol p = plain_protocol();
  p.handshake = HANDSHAKE_SOFTWARE;
  use_protocols({p});
  const std::string path = (folder_ / "received.nc").string();
  ASSERT_EQ(start_receive_into(protocol_line(), path), 0);
  user_when(always, [] { headless_inject_keystroke(VK_ESCAPE, 0); });
  EXPECT_EQ(serial_status(1), 1);
  EXPECT_TRUE(g_serial_link.receive_active);
  machine_.write_bytes("G1 X1\r\n");
  PtyMachine::sleep_ms(50);
  headless_advance_clock(TICK_MS);
  pump_messages();
  // Out of sight, the timer writes what came to the file at once.
  EXPECT_EQ(read_file_bytes(path), "G1 X1\r\n");
  machine_.write_bytes("G1 X2\r\n");
  PtyMachine::sleep_ms(50);
  user_when(always, [] { headless_inject_keystroke(VK_F1 + 9, WINDOW_MOD_CTRL); });
  answer_box("Terminated!");
  EXPECT_EQ(serial_status(1), 0);
  EXPECT_EQ(read_file_bytes(path), "G1 X1\r\nG1 X2\r\n");
  EXPECT_EQ(g_serial_link.last_bytes_received, 14);
}

TEST_F(SerialTransferTest, CtrlXAbortsTheReceiveAndDeletesTheFile) {
  CommProtocol p = plain_protocol();
  p.handshake = HANDSHAKE_SOFTWARE;
  use_protocols({p});
  const std::string path = (folder_ / "received.nc").string();
  ASSERT_EQ(start_receive_into(protocol_line(), path), 0);
  machine_.write_bytes("G1\r\n");
  PtyMachine::sleep_ms(50);
  user_when([] { return g_serial_link.bytes_received > 0; },
            [] { headless_inject_keystroke('X', WINDOW_MOD_CTRL); });
  answer_box("Data collection aborted!");
  EXPECT_EQ(serial_status(1), 0);
  EXPECT_FALSE(std::filesystem::exists(path));
}

TEST_F(SerialTransferTest, AMachineGoneMidReceiveKeepsWhatCameAndSaysSo) {
  CommProtocol p = plain_protocol();
  p.handshake = HANDSHAKE_SOFTWARE;
  use_protocols({p});
  const std::string path = (folder_ / "received.nc").string();
  ASSERT_EQ(start_receive_into(protocol_line(), path), 0);
  machine_.write_bytes("G1 X1\r\n");
  PtyMachine::sleep_ms(50);
  user_when([] { return g_serial_link.bytes_received == 7; }, [this] { machine_.close_master(); });
  answer_box("bytes received were kept");
  EXPECT_EQ(serial_status(1), 0);
  EXPECT_EQ(read_file_bytes(path), "G1 X1\r\n");
  EXPECT_NE(g_message_box.last_text.find("COM1"), std::string::npos);
}

TEST_F(SerialTransferTest, ATransferBoxIsAskedForTheProgramTheUserNames) {
  CommProtocol p = plain_protocol();
  p.handshake = HANDSHAKE_SOFTWARE;
  p.device_type = DEVICE_TRANSFER_BOX;
  use_protocols({p});
  user_when(always, [] { headless_inject_text("12"); });
  user_when(always, [] { headless_inject_keystroke(VK_RETURN, 0); });
  ASSERT_EQ(start_receive_into(protocol_line(), (folder_ / "r.nc").string()), 0);
  EXPECT_EQ(machine_.read_until_quiet(100), "%\r\nO8888\r\nN0012\r\nM30\r\n%\r\n\x11");
  end_receive(false);
}

TEST_F(SerialTransferTest, APortThatCannotBeOpenedIsNamedWithTheSystemsReason) {
  CommProtocol p = plain_protocol();
  p.port_index = 1;  // COM2: a device that does not exist
  use_protocols({p});
  answer_box(MISSING_PORT_DEVICE);
  EXPECT_EQ(send_to_port(protocol_line(), nullptr, nullptr, write_source("a.nc", "G1").c_str()),
            -1);
  const std::string& text = g_message_box.last_text;
  EXPECT_NE(text.find("could not be opened"), std::string::npos);  // message 10103
  EXPECT_NE(text.find(std::string("COM2 (") + MISSING_PORT_DEVICE + "): No such file"),
            std::string::npos);
  EXPECT_FALSE(transfer_active());
}

TEST_F(SerialTransferTest, WithNothingRunningTheStatusReportsTheLastTransfers) {
  answer_box("There is no communication occurring!");
  EXPECT_EQ(serial_status(0), 0);
  EXPECT_NE(g_message_box.last_text.find("Bytes just received: \vNone"), std::string::npos);
  EXPECT_NE(g_message_box.last_text.find("Bytes just transmitted: \vNone"), std::string::npos);

  answer_box("Finished Transmitting");
  ASSERT_EQ(send_to_port(protocol_line(), nullptr, nullptr,
                         write_source("a.nc", std::string(1500, 'G')).c_str()),
            0);
  machine_.read_until_quiet(50);
  answer_box("There is no communication occurring!");
  serial_status(0);
  EXPECT_NE(g_message_box.last_text.find("Bytes just transmitted: \v1,500"), std::string::npos);
}

}  // namespace
