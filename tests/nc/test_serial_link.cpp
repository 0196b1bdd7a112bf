// The transfer engine on a pseudo-terminal pair with a scripted machine: device filters, EIA and
// tape codes as the machine receives them, flow control, pacing, large transfers with holds,
// the receive ring under bursts, the silence watch on the virtual clock, and ports that vanish.
#include <gtest/gtest.h>

#include <termios.h>

#include <algorithm>
#include <atomic>
#include <string>
#include <vector>

#include "store/line_fold.h"
#include "tests/nc/serial_link_fixture.h"

namespace {

class SerialLinkTest : public ::testing::Test, protected SerialLinkFixture {
 protected:
  void SetUp() override { set_up_link(); }
  void TearDown() override {
    free_list(lines_.first);
    tear_down_link();
  }

  // Editor lines, as a buffer holds them.
  void make_lines(const std::vector<std::string>& texts) {
    push_list();
    clear_current_list();
    for (const std::string& text : texts) append_line(text.c_str());
    lines_ = g_lists.current;
    clear_current_list();
    pop_list();
  }

  // Sends and returns what the machine received until it went quiet.
  std::string send_and_capture(const SendRequest& request) {
    EXPECT_EQ(begin_send(request), 0) << g_serial_link.failure << g_serial_link.open_failure;
    if (!g_serial_link.send_active) return "<not started>";
    const SendStep last = run_send();
    end_send(last == SendStep::DONE);
    EXPECT_EQ(last, SendStep::DONE) << g_serial_link.failure;
    return machine_.read_until_quiet(100);
  }

  LineList lines_;
};

// ---- Filters ------------------------------------------------------------------------------------

TEST_F(SerialLinkTest, FiltersShapeWhatEachDeviceReceives) {
  struct Case {
    const char* what;
    uint8_t device;
    bool eia;
    bool keep_spaces;
    const char* end_string;
    bool from_editor;
    std::string source;    // file bytes, or editor lines joined (each line ends at '\n')
    std::string expected;
  };
  const Case cases[] = {
      {"Bandit drops the comment and the spaces", DEVICE_BANDIT_MILL, false, false, "", false,
       "G1 X1 ; move\r\n", "G1X1\r"},
      {"CNC keeps the comment, drops the spaces", DEVICE_CNC, false, false, "", false,
       "G1 X1 ; move\r\n", "G1X1;move\r\n"},
      {"spaces go out after an apostrophe or '*'", DEVICE_CNC, false, false, "", false,
       "G1 X1 'drill here\r\nG0 Z1 *up top\r\n", "G1X1'drill here\r\nG0Z1*up top\r\n"},
      {"keep spaces", DEVICE_CNC, false, true, "", false, "G1 X1\r\n", "G1 X1\r\n"},
      {"L words go for Bandit", DEVICE_BANDIT_LATHE, false, false, "", false, "N10 L5 G1\r\n",
       "N10G1\r"},
      {"comment lines go with their ends", DEVICE_CNC, false, false, "", false,
       "%\r\n;note\r\n*star\r\n'quote\rG1\n", "%\r\nG1\n"},
      {"Bandit empty lines vanish", DEVICE_BANDIT_MILL, false, false, "", false,
       "G1\r\n\r\n\r\nG2\r\n", "G1\rG2\r"},
      {"a computer takes the bytes unchanged", DEVICE_COMPUTER, false, false, "", false,
       std::string("; a b\r\n\x01\xff L5 \0", 14), std::string("; a b\r\n\x01\xff L5 \0", 14)},
      {"the end string with trailer", DEVICE_CNC, false, false, "~3^M^J", false, "G1",
       "G1~3\r\n" + std::string(24, '\0')},
      {"EIA from a file: no CR, line end as end of block", DEVICE_CNC, true, false, "", false,
       "G1\r\n", "\x67\x01\x80"},
      {"EIA from the editor", DEVICE_CNC, true, false, "", true, "G1\n", "\x67\x01\x80"},
      {"editor lines end in CR LF; comment lines are skipped", DEVICE_CNC, false, false, "",
       true, "G1 X1\n;skip me\n\x08\x45M3\n", "G1X1\r\n$M3\r\n"},
      {"editor: control characters below 9 are dropped", DEVICE_CNC, false, false, "", true,
       "A\x01\x07\tB\x1b\n", "A\tB\x1b\r\n"},
      {"editor: Bandit drops comments and L words", DEVICE_BANDIT_MILL, false, false, "", true,
       "N10 L5 G1 ;x\n", "N10G1\r\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    CommProtocol p = plain_protocol();
    p.device_type = c.device;
    p.eia_code = c.eia ? 1 : 0;
    p.keep_spaces = c.keep_spaces ? 1 : 0;
    std::snprintf(p.end_string, sizeof p.end_string, "%s", c.end_string);
    SendRequest request;
    request.protocol = &p;
    if (c.from_editor) {
      std::vector<std::string> texts;
      size_t start = 0;
      while (start < c.source.size()) {
        const size_t end = c.source.find('\n', start);
        texts.push_back(c.source.substr(start, end - start + 1));
        start = end + 1;
      }
      free_list(lines_.first);
      make_lines(texts);
      request.from = lines_.first;
    } else {
      request.file_path = write_source("program.nc", c.source);
    }
    EXPECT_EQ(send_and_capture(request), c.expected);
  }
}

TEST_F(SerialLinkTest, AManReadableLeaderComesAfterTheStartString) {
  ASSERT_EQ(read_man_read_table(BRENVIK_PROGRAM_DIR), MAN_READ_COUNT);
  CommProtocol p = plain_protocol();
  std::snprintf(p.start_string, sizeof p.start_string, "%s", "%~*^M^J");
  SendRequest request;
  request.protocol = &p;
  request.file_path = write_source("a.nc", "G1\r\n");
  request.leader_text = "OP 2";
  EXPECT_EQ(send_and_capture(request),
            "%~*\r\n" + man_readable_leader(g_man_read, "OP 2") + "G1\r\n");
}

TEST_F(SerialLinkTest, TheEstimateCountsLineEndsAsTwoBytes) {
  make_lines({"G1 X1\n", "wrapped part ", "and its end\n", "last"});
  EXPECT_EQ(count_send_bytes(lines_.first, nullptr), 6 + 1 + 13 + 12 + 1 + 4);
  EXPECT_EQ(count_send_bytes(lines_.first, lines_.first->next), 7);
}

// ---- Editor buffers that are loaded in part ---------------------------------------------------

TEST_F(SerialLinkTest, FoldedAndUnreadRunsAreSentWhole) {
  const std::string file = write_source("big.nc", "G1 X1\nG1 X2\nG1 X3\nG1 X4\n");
  // The buffer shows the first line; a folded run holds the second, and the last two lines are
  // still unread in the file.
  push_list();
  clear_current_list();
  append_line("G1 X1\n");
  FoldRecord folded{};
  folded.fold_slot = -1;  // no slot of the folding's own was taken for this run
  TextLine* placeholder = append_line(FOLD_PLACEHOLDER_TEXT, make_line_extra(folded));
  placeholder->kind = LINE_KIND_PLACEHOLDER;
  FoldRecord unread{};
  unread.fold_slot = -1;
  unread.unread_text = 1;
  unread.file_offset = 12;
  unread.byte_count = 12;
  TextLine* rest = append_line(FOLD_PLACEHOLDER_TEXT, make_line_extra(unread));
  rest->kind = LINE_KIND_PLACEHOLDER;
  lines_ = g_lists.current;
  clear_current_list();
  append_line("G1 X2\n");
  TextLine* run = g_lists.current.first;
  clear_current_list();
  pop_list();
  line_extra_as<FoldRecord>(placeholder)->first_line = run;
  line_extra_as<FoldRecord>(placeholder)->last_line = run;

  CommProtocol p = plain_protocol();
  SendRequest request;
  request.protocol = &p;
  request.from = lines_.first;
  request.unread_file = file;
  EXPECT_EQ(count_send_bytes(lines_.first, nullptr), 7 + 7 + 12);
  EXPECT_EQ(send_and_capture(request), "G1X1\r\nG1X2\r\nG1X3\r\nG1X4\r\n");

  // Without the file, the unread part cannot be sent: nothing is, and the reason is given.
  request.unread_file = (folder_ / "gone.nc").string();
  EXPECT_EQ(begin_send(request), -1);
  EXPECT_NE(g_serial_link.failure.find("not loaded"), std::string::npos);
  EXPECT_FALSE(g_serial_link.send_active);
  EXPECT_EQ(machine_.read_until_quiet(50), "");
}

// ---- Flow control and pacing ----------------------------------------------------------------------

TEST_F(SerialLinkTest, WaitForXonSendsNothingBeforeTheFirstXon) {
  CommProtocol p = plain_protocol();
  p.handshake = HANDSHAKE_WAIT_FOR_XON;
  SendRequest request;
  request.protocol = &p;
  request.file_path = write_source("a.nc", "G1 X1\r\n");
  ASSERT_EQ(begin_send(request), 0);
  // An XOFF and other bytes before the XON change nothing.
  machine_.write_bytes("\x13?");
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(send_some(SEND_KEY_CHECK_BYTES, clock_now_ms()), SendStep::HELD);
    EXPECT_TRUE(g_serial_link.xoff_hold);
    wait_for_port(10);
  }
  EXPECT_EQ(machine_.read_until_quiet(50), "");
  machine_.send_xon();
  EXPECT_EQ(run_send(), SendStep::DONE);
  end_send(true);
  EXPECT_EQ(machine_.read_until_quiet(100), "G1X1\r\n");
  // From the XON on, the kernel holds the flow again.
  const auto& requests = g_serial_hooks.requests;
  EXPECT_NE(std::find(requests.begin(), requests.end(), "output-flow 0"), requests.end());
  EXPECT_NE(std::find(requests.begin(), requests.end(), "output-flow 1"), requests.end());
}

TEST_F(SerialLinkTest, CtsLowHoldsTheSend) {
  g_serial_hooks.scripted_modem_status = SERIAL_DSR;  // CTS low
  CommProtocol p = plain_protocol();
  p.handshake = HANDSHAKE_HARDWARE;
  SendRequest request;
  request.protocol = &p;
  request.file_path = write_source("a.nc", "G1\r\n");
  ASSERT_EQ(begin_send(request), 0);
  EXPECT_EQ(send_some(SEND_KEY_CHECK_BYTES, clock_now_ms()), SendStep::HELD);
  EXPECT_TRUE(g_serial_link.cts_hold);
  EXPECT_EQ(machine_.read_until_quiet(50), "");
  g_serial_hooks.scripted_modem_status = SERIAL_CTS | SERIAL_DSR;
  EXPECT_EQ(run_send(), SendStep::DONE);
  EXPECT_FALSE(g_serial_link.cts_hold);
  end_send(true);
  EXPECT_EQ(machine_.read_until_quiet(100), "G1\r\n");
  // The hardware handshake raises RTS and DTR.
  const auto& requests = g_serial_hooks.requests;
  EXPECT_NE(std::find(requests.begin(), requests.end(), "configure 9600 8 N 1 rts/cts"),
            requests.end());
  EXPECT_NE(std::find(requests.begin(), requests.end(), "rts 1"), requests.end());
}

TEST_F(SerialLinkTest, TheCharacterDelayPacesEveryByteAndFiveTimesALineEnd) {
  CommProtocol p = plain_protocol();
  p.char_delay_ms = 0x0214;  // the sender takes the low byte: 20 ms
  SendRequest request;
  request.protocol = &p;
  request.file_path = write_source("a.nc", "G1\n");
  ASSERT_EQ(begin_send(request), 0);
  const uint32_t start = clock_now_ms();
  std::vector<uint32_t> pauses;
  for (;;) {
    const SendStep step = send_some(SEND_KEY_CHECK_BYTES, clock_now_ms());
    if (step == SendStep::DONE) break;
    ASSERT_EQ(step, SendStep::PAUSED);
    // Asked again before the pause ends, it still pauses.
    EXPECT_EQ(send_some(SEND_KEY_CHECK_BYTES, clock_now_ms()), SendStep::PAUSED);
    pauses.push_back(g_serial_link.send.next_due_ms - clock_now_ms());
    headless_advance_clock(pauses.back());
  }
  EXPECT_EQ(pauses, (std::vector<uint32_t>{20, 20, 100}));
  EXPECT_EQ(clock_now_ms() - start, 140u);
  end_send(true);
  EXPECT_EQ(machine_.read_until_quiet(100), "G1\n");
}

TEST_F(SerialLinkTest, ALargeSendWithSeededHoldsArrivesByteForByte) {
  const std::string program = seeded_program(250 * 1024, 7);
  CommProtocol p = plain_protocol();
  p.handshake = HANDSHAKE_SOFTWARE;
  SendRequest request;
  request.protocol = &p;
  request.file_path = write_source("big.nc", program);
  std::string received;
  machine_.run([&](PtyMachine& m) {
    std::mt19937 random(11);
    while (received.size() < program.size()) {
      const std::string got = m.read_bytes(1 + random() % 20000, 200);
      received += got;
      if (got.empty() && received.size() < program.size()) continue;
      // Now and then the machine holds the flow a moment, as a busy control does.
      if (random() % 3 == 0) {
        m.send_xoff();
        received += m.read_until_quiet(20, 500);
        PtyMachine::sleep_ms(static_cast<int>(random() % 20));
        m.send_xon();
      }
    }
  });
  ASSERT_EQ(begin_send(request), 0);
  const SendStep last = run_send(30000);
  end_send(last == SendStep::DONE);
  machine_.join();
  EXPECT_EQ(last, SendStep::DONE);
  EXPECT_EQ(g_serial_link.last_bytes_sent, static_cast<int64_t>(program.size()));
  ASSERT_EQ(received.size(), program.size());
  EXPECT_TRUE(received == program);
}

// ---- Receiving ------------------------------------------------------------------------------------

TEST_F(SerialLinkTest, BurstsLargerThanTheRingArriveWholeInTheFile) {
  const std::string program = seeded_program(250 * 1024, 3);
  CommProtocol p = plain_protocol();
  const std::string path = (folder_ / "received.nc").string();
  ASSERT_EQ(begin_receive(p, "test", path), 0);
  ASSERT_EQ(g_serial_link.ring.size(), static_cast<size_t>(RECEIVE_RING_SIZE_NO_HANDSHAKE));
  std::atomic<bool> written{false};
  machine_.run([&](PtyMachine& m) {
    std::mt19937 random(5);
    size_t at = 0;
    while (at < program.size()) {
      const size_t burst = std::min<size_t>(program.size() - at, 20000 + random() % 40000);
      m.write_bytes(program.substr(at, burst), 20000);
      at += burst;
      PtyMachine::sleep_ms(static_cast<int>(random() % 10));
    }
    written = true;
  });
  // The status window looks on but takes no event: only the ticks read, and the ring fills.
  g_serial_link.status_shown = true;
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  while (g_serial_link.bytes_received + static_cast<int64_t>(g_serial_link.ring_count) <
             static_cast<int64_t>(program.size()) &&
         std::chrono::steady_clock::now() < end) {
    serial_receive_tick();
    PtyMachine::sleep_ms(1);
  }
  EXPECT_GT(g_serial_link.bytes_received, 0);  // the full ring went to the file
  machine_.join();
  EXPECT_TRUE(written);
  EXPECT_EQ(end_receive(true), static_cast<int64_t>(program.size()));
  const std::string file = read_file_bytes(path);
  ASSERT_EQ(file.size(), program.size());
  EXPECT_TRUE(file == program);
  EXPECT_EQ(g_serial_link.last_bytes_received, static_cast<int64_t>(program.size()));
}

TEST_F(SerialLinkTest, PiecesEndAtControlCharactersAndShowOnTheDataLine) {
  CommProtocol p = plain_protocol();
  ASSERT_EQ(begin_receive(p, "test", (folder_ / "r.nc").string()), 0);
  machine_.write_bytes("N10 G01 X1.2345 Y2.5 Z-0.125 F80\r\nG0");
  PtyMachine::sleep_ms(50);
  serial_receive_tick();
  EXPECT_EQ(g_serial_link.bytes_received, 36);
  EXPECT_EQ(g_serial_link.data_line, "N10 G01 X1.2345 Y2.5 Z-0.125 F");
  EXPECT_EQ(end_receive(false), 0);
  EXPECT_FALSE(std::filesystem::exists(folder_ / "r.nc"));
}

class SilenceTest : public SerialLinkTest, public ::testing::WithParamInterface<int> {};

// The clock moves only after the machine has written and the bytes were read.
TEST_P(SilenceTest, IdleNoticeAtThreeSecondsAndAutoSaveOnlyPastFortyBytes) {
  const int bytes = GetParam();
  CommProtocol p = plain_protocol();
  p.auto_save_seconds = 10;
  const std::string path = (folder_ / "r.nc").string();
  ASSERT_EQ(begin_receive(p, "test", path), 0);
  g_serial_link.status_shown = true;
  machine_.write_bytes(std::string(static_cast<size_t>(bytes), 'X'));
  for (int i = 0; i < 400 && g_serial_link.bytes_received < bytes; ++i) {
    PtyMachine::sleep_ms(5);
    serial_receive_tick();
    flush_receive_buffer();  // as the status window does on every event
  }
  headless_advance_clock(2900);
  serial_receive_tick();
  EXPECT_TRUE(g_serial_link.idle_line.empty());
  headless_advance_clock(100);
  serial_receive_tick();
  if (bytes > IDLE_SAVE_MIN_BYTES) {
    EXPECT_EQ(g_serial_link.idle_line,
              "No activity for 3 seconds...\n\fwill save and quit in 7 seconds");
  } else {
    EXPECT_TRUE(g_serial_link.idle_line.empty());
  }
  headless_advance_clock(7000);
  serial_receive_tick();
  serial_receive_tick();
  const std::vector<int> expected =
      bytes > IDLE_SAVE_MIN_BYTES ? std::vector<int>{EVENT_RECEIVE_AUTO_SAVE} : std::vector<int>{};
  EXPECT_EQ(g_serial_host_log.events, expected);
  // A byte ends the silence and its notice.
  machine_.write_bytes("Y");
  PtyMachine::sleep_ms(30);
  serial_receive_tick();
  EXPECT_TRUE(g_serial_link.idle_line.empty());
  EXPECT_TRUE(g_serial_link.receive_active);
}
INSTANTIATE_TEST_SUITE_P(Bytes, SilenceTest, ::testing::Values(40, 41));

TEST_F(SerialLinkTest, AHiddenReceiveSavesItselfAfterTheSilence) {
  CommProtocol p = plain_protocol();
  p.auto_save_seconds = 5;
  const std::string path = (folder_ / "r.nc").string();
  ASSERT_EQ(begin_receive(p, "test", path), 0);
  const std::string program = seeded_program(100, 1);
  machine_.write_bytes(program);
  for (int i = 0; i < 400 && g_serial_link.bytes_received < 100; ++i) {
    PtyMachine::sleep_ms(5);
    serial_receive_tick();
  }
  headless_advance_clock(5000);
  serial_receive_tick();
  EXPECT_FALSE(g_serial_link.receive_active);
  EXPECT_EQ(read_file_bytes(path), program);
  ASSERT_EQ(g_serial_host_log.notices.size(), 1u);
  EXPECT_NE(g_serial_host_log.notices[0].find("100 bytes"), std::string::npos);
}

TEST_F(SerialLinkTest, SilenceIsCountedWithoutWrap) {
  CommProtocol p = plain_protocol();
  ASSERT_EQ(begin_receive(p, "test", (folder_ / "r.nc").string()), 0);
  // Half an hour of silence is more ticks than 16 bits count.
  headless_advance_clock(1800u * 1000u);
  EXPECT_EQ(receive_silence_seconds(clock_now_ms()), 1800);
  end_receive(false);
}

TEST_F(SerialLinkTest, ASilentStartGetsXonUnlessInCtsMode) {
  for (const uint8_t handshake : {HANDSHAKE_SOFTWARE, HANDSHAKE_HARDWARE}) {
    SCOPED_TRACE(static_cast<int>(handshake));
    CommProtocol p = plain_protocol();
    p.handshake = handshake;
    ASSERT_EQ(begin_receive(p, "test", (folder_ / "r.nc").string()), 0);
    serial_receive_tick();
    headless_advance_clock(3000);
    serial_receive_tick();
    serial_receive_tick();
    EXPECT_EQ(machine_.read_until_quiet(50), handshake == HANDSHAKE_HARDWARE ? "" : "\x11\x11");
    end_receive(false);
  }
}

TEST_F(SerialLinkTest, ATransferBoxIsAskedForItsProgram) {
  EXPECT_EQ(transfer_box_request(12), "%\r\nO8888\r\nN0012\r\nM30\r\n%\r\n\x11");
  CommProtocol p = plain_protocol();
  p.device_type = DEVICE_TRANSFER_BOX;
  ASSERT_EQ(begin_receive(p, "box", (folder_ / "r.nc").string()), 0);
  EXPECT_TRUE(write_port_bytes(transfer_box_request(12), 1000));
  EXPECT_EQ(machine_.read_until_quiet(50), "%\r\nO8888\r\nN0012\r\nM30\r\n%\r\n\x11");
  end_receive(false);
}

// ---- Ports that fail ------------------------------------------------------------------------------

TEST_F(SerialLinkTest, APortThatCannotBeOpenedSaysWhichAndWhy) {
  CommProtocol p = plain_protocol();
  p.port_index = 1;  // COM2: no such device
  SendRequest request;
  request.protocol = &p;
  request.file_path = write_source("a.nc", "G1\r\n");
  EXPECT_EQ(begin_send(request), -1);
  EXPECT_NE(g_serial_link.open_failure.find(std::string("COM2 (") + MISSING_PORT_DEVICE),
            std::string::npos);
  EXPECT_FALSE(g_serial_link.send_active);
  const std::string path = (folder_ / "r.nc").string();
  EXPECT_EQ(begin_receive(p, "test", path), -1);
  EXPECT_FALSE(std::filesystem::exists(path));
  // Speed index 8 opens at 57600.
  p.port_index = 0;
  p.baud_index = 8;
  ASSERT_EQ(begin_receive(p, "test", path), 0);
  const termios settings = machine_.slave_settings();
  EXPECT_EQ(cfgetospeed(&settings), speed_t(B57600));
  end_receive(false);
}

TEST(PortRefusal, SaysWhichPortWhichDeviceAndWhy) {
  struct Case {
    SerialRefusal refusal;
    const char* reason;
    bool tells_group;
  };
  const Case cases[] = {{SerialRefusal::PERMISSION, "Permission denied", true},
                        {SerialRefusal::BUSY, "In use by another program", false},
                        {SerialRefusal::MISSING, "No such file or directory", false}};
  for (const Case& c : cases) {
    const std::string text = port_refusal_text(3, "/dev/ttyUSB0", {c.refusal, c.reason});
    EXPECT_EQ(text.rfind(std::string("COM3 (/dev/ttyUSB0): ") + c.reason, 0), 0u) << text;
    EXPECT_EQ(text.find("dialout") != std::string::npos, c.tells_group) << text;
  }
}

TEST_F(SerialLinkTest, TheMachineGoneMidSendEndsItWithTheCountAndANextSendWorks) {
  const std::string program = seeded_program(100 * 1024, 2);
  CommProtocol p = plain_protocol();
  SendRequest request;
  request.protocol = &p;
  request.file_path = write_source("big.nc", program);
  size_t got = 0;
  machine_.run([&](PtyMachine& m) {
    got = m.read_bytes(5000).size();
    m.close_master();
  });
  ASSERT_EQ(begin_send(request), 0);
  const SendStep last = run_send();
  machine_.join();
  EXPECT_EQ(last, SendStep::FAILED);
  EXPECT_NE(g_serial_link.failure.find("COM1"), std::string::npos);
  EXPECT_NE(g_serial_link.failure.find(std::to_string(g_serial_link.bytes_sent) + " bytes"),
            std::string::npos);
  EXPECT_GE(g_serial_link.bytes_sent, static_cast<int64_t>(got));
  end_send(false);
  EXPECT_FALSE(transfer_active());
  EXPECT_EQ(g_serial_link.port, SERIAL_NO_PORT);

  PtyMachine next;
  ASSERT_TRUE(next.ready());
  write_port_table(next.slave_path());
  request.file_path = write_source("small.nc", "G1\r\n");
  ASSERT_EQ(begin_send(request), 0);
  EXPECT_EQ(run_send(), SendStep::DONE);
  end_send(true);
  EXPECT_EQ(next.read_until_quiet(100), "G1\r\n");
}

TEST_F(SerialLinkTest, TheMachineGoneMidReceiveKeepsWhatCame) {
  CommProtocol p = plain_protocol();
  const std::string path = (folder_ / "r.nc").string();
  ASSERT_EQ(begin_receive(p, "test", path), 0);
  machine_.write_bytes("G1 X1\r\nG1 X2\r\n");
  PtyMachine::sleep_ms(50);
  serial_receive_tick();
  // Pulled out of sight, the receive ends by itself and keeps what came.
  machine_.close_master();
  serial_receive_tick();
  EXPECT_FALSE(g_serial_link.receive_active);
  EXPECT_EQ(read_file_bytes(path), "G1 X1\r\nG1 X2\r\n");
  ASSERT_EQ(g_serial_host_log.notices.size(), 1u);
  EXPECT_NE(g_serial_host_log.notices[0].find("COM1"), std::string::npos);
  EXPECT_NE(g_serial_host_log.notices[0].find("14 bytes"), std::string::npos);

  PtyMachine next;
  ASSERT_TRUE(next.ready());
  write_port_table(next.slave_path());
  ASSERT_EQ(begin_receive(p, "test", path), 0);
  next.write_bytes("G2\r\n");
  PtyMachine::sleep_ms(50);
  serial_receive_tick();
  EXPECT_EQ(end_receive(true), 4);
  EXPECT_EQ(read_file_bytes(path), "G2\r\n");
}

}  // namespace
