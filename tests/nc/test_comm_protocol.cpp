// Communication protocols: the record's golden bytes, damaged files, round trips, the shipped
// file, the port table, and the replayed corpus of the reader's fuzz target.
#include "nc/comm_protocol.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "nc/serial_host.h"
#include "nc/serial_link.h"
#include "nc/serial_ports.h"
#include "tests/nc/serial_files_fixture.h"
#include "tests/support/test_folder.h"

namespace {

class ProtocolFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    reset_protocols();
    reset_serial_host();
    folder_ = make_test_folder("protocols");
  }
  void TearDown() override {
    free_protocols();
    free_list(list_.first);
    std::filesystem::remove_all(folder_);
  }
  std::string path(const char* name = PROTOCOL_FILE_NAME) const { return (folder_ / name).string(); }

  std::vector<std::string> names() const {
    std::vector<std::string> out;
    for (const TextLine* line = list_.first; line != nullptr; line = line->next)
      out.push_back(line->text);
    return out;
  }

  std::filesystem::path folder_;
  LineList list_;
};

// The default protocol as the file holds it, written out byte by byte.
std::string default_record_golden() {
  std::string r(PROTOCOL_RECORD_SIZE, '\0');
  r[5] = 3;     // 2400 baud
  r[6] = 1;     // COM2
  r[7] = 24;    // even parity
  r[9] = 2;     // 7 data bits
  r.replace(45, 4, "^M^J");
  return r;
}

TEST_F(ProtocolFileTest, TheDefaultProtocolIsWrittenByteForByte) {
  push_list();
  clear_current_list();
  append_protocol(PROTOCOL_DEFAULT_NAME, new_protocol());
  const LineList written = g_lists.current;
  clear_current_list();
  pop_list();
  const std::string file = path();
  std::string why;
  ASSERT_EQ(save_file_safely(file, "", [&](SaveFile* f) { return write_protocol_file(f, written.first); },
                             &why),
            SAVE_OK)
      << why;
  free_list(written.first);
  std::string expected = "SI041697\r" + std::string("COM2, 2400 baud");
  expected.resize(9 + 40, '\0');
  expected += default_record_golden();
  EXPECT_EQ(read_file_bytes(file), expected);
  // The shipped file is the same protocol, made by the build from its readable source.
  EXPECT_EQ(read_file_bytes(BRENVIK_PROGRAM_DIR "/KR_SERIt.KR4"), expected);
}

TEST_F(ProtocolFileTest, EveryFieldSurvivesARoundTrip) {
  CommProtocol p;
  const uint8_t reserved[4] = {1, 2, 3, 4};
  std::copy(reserved, reserved + 4, p.reserved_0);
  p.auto_save_seconds = 10;
  p.baud_index = 9;
  p.port_index = 8;
  p.parity = 2;  // not one of 0, 8, 24: kept as it is, used as even
  p.handshake = HANDSHAKE_WAIT_FOR_XON;
  p.data_bits_code = DATA_BITS_CODE_8;
  p.stop_bits = STOP_BITS_TWO;
  p.reserved_11 = 0x55;
  p.char_delay_ms = 0x1234;
  std::snprintf(p.start_string, sizeof p.start_string, "%s", "~*%^M^J");
  std::snprintf(p.end_string, sizeof p.end_string, "%s", "~3^M^J");
  p.keep_spaces = 1;
  p.eia_code = 1;
  p.reserved_78 = 0x66;
  p.device_type = DEVICE_BANDIT_LATHE;
  std::snprintf(p.default_folder, sizeof p.default_folder, "%s", "/home/shop/programs/");
  const std::string bytes = protocol_tag() + protocol_entry("Mill 3", p);
  write_file_bytes(path(), bytes);
  ASSERT_EQ(read_protocol_file(path(), &list_), PROTOCOL_READ_OK);
  ASSERT_EQ(names(), std::vector<std::string>{"Mill 3"});
  const CommProtocol* read = protocol_of(list_.first);
  ASSERT_NE(read, nullptr);
  EXPECT_EQ(protocol_record_bytes(*read), protocol_record_bytes(p));
  EXPECT_EQ(list_.first->id, 1);
  EXPECT_EQ(protocol_port_settings(*read).parity, SerialParity::EVEN);
  EXPECT_EQ(protocol_port_settings(*read).baud, 115200u);
}

TEST_F(ProtocolFileTest, DamagedFilesKeepTheirWholeProtocols) {
  CommProtocol odd;
  odd.parity = PARITY_CODE_ODD;
  const std::string one = protocol_entry("First", odd);
  const std::string two = protocol_entry("Second", new_protocol());
  struct Case {
    const char* what;
    std::string bytes;
    ProtocolReadResult result;
    std::vector<std::string> names;  // empty: the list is left as it was
  };
  const Case cases[] = {
      {"empty file", "", PROTOCOL_READ_EMPTY, {}},
      {"tag cut short", "SI04", PROTOCOL_READ_EMPTY, {}},
      {"tag only", protocol_tag(), PROTOCOL_READ_EMPTY, {}},
      {"first name cut short", protocol_tag() + one.substr(0, 20), PROTOCOL_READ_EMPTY, {}},
      {"second record cut short", protocol_tag() + one + two.substr(0, 300),
       PROTOCOL_READ_CUT_SHORT, {"First"}},
      {"one byte past the last", protocol_tag() + one + two + "x", PROTOCOL_READ_CUT_SHORT,
       {"First", "Second"}},
      {"a foreign tag is not compared", "XXXXXXXXX" + one, PROTOCOL_READ_OK, {"First"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    free_list(list_.first);
    list_ = LineList{};
    write_file_bytes(path(), c.bytes);
    EXPECT_EQ(read_protocol_file(path(), &list_), c.result);
    EXPECT_EQ(names(), c.names);
    // Bytes in memory read the same way.
    LineList from_bytes;
    EXPECT_EQ(read_protocol_bytes(reinterpret_cast<const uint8_t*>(c.bytes.data()), c.bytes.size(),
                                  &from_bytes),
              c.result);
    free_list(from_bytes.first);
  }
  // Saved again, the whole protocols are all still there.
  write_file_bytes(path(), protocol_tag() + one + two + two.substr(0, 100));
  read_protocols(folder_.string());
  g_protocols.modified = true;
  ASSERT_EQ(write_protocols(), 0);
  EXPECT_EQ(read_file_bytes(path()), protocol_tag() + one + two);
}

TEST_F(ProtocolFileTest, BadValuesAreMadeSafeOnReading) {
  std::string record = protocol_record_bytes(new_protocol());
  record[5] = 10;   // speed index past the table
  record[6] = 9;    // no COM10
  record[8] = 4;    // no such handshake
  record[9] = 9;    // 14 data bits
  record[79] = 5;   // no such device
  // Texts without their NUL.
  record.replace(14, 31, std::string(31, 'S'));
  record.replace(45, 31, std::string(31, 'E'));
  record.replace(80, 266, std::string(266, 'F'));
  std::string name(40, 'N');  // a name field without its NUL
  write_file_bytes(path(), protocol_tag() + name + record);
  ASSERT_EQ(read_protocol_file(path(), &list_), PROTOCOL_READ_OK);
  const CommProtocol* p = protocol_of(list_.first);
  ASSERT_NE(p, nullptr);
  const CommProtocol d;
  EXPECT_EQ(p->baud_index, d.baud_index);
  EXPECT_EQ(p->port_index, d.port_index);
  EXPECT_EQ(p->handshake, d.handshake);
  EXPECT_EQ(p->data_bits_code, d.data_bits_code);
  EXPECT_EQ(p->device_type, d.device_type);
  EXPECT_EQ(std::string(p->start_string), std::string(30, 'S'));
  EXPECT_EQ(std::string(p->end_string), std::string(30, 'E'));
  EXPECT_EQ(std::string(p->default_folder), std::string(265, 'F'));
  EXPECT_EQ(list_.first->text, std::string(39, 'N'));
}

TEST_F(ProtocolFileTest, LongNamesAreCutTo39InTheFile) {
  read_protocols(folder_.string());  // no file: the default
  set_line_text(std::string(60, 'L').c_str(), g_protocols.lines.first);
  ASSERT_EQ(write_protocols(), 0);
  const std::string bytes = read_file_bytes(path());
  ASSERT_EQ(bytes.size(), PROTOCOL_FILE_TAG_SIZE + PROTOCOL_NAME_FIELD_SIZE + PROTOCOL_RECORD_SIZE);
  EXPECT_EQ(bytes.substr(9, 40), std::string(39, 'L') + '\0');
}

TEST_F(ProtocolFileTest, AMissingOrDamagedFileGivesTheDefaultSilently) {
  for (const std::string& bytes : {std::string("gone"), protocol_tag() + "short"}) {
    if (bytes == "gone") std::filesystem::remove(path());
    else write_file_bytes(path(), bytes);
    read_protocols(folder_.string());
    ASSERT_NE(g_protocols.lines.first, nullptr);
    EXPECT_EQ(g_protocols.lines.first->next, nullptr);
    EXPECT_EQ(g_protocols.lines.first->text, PROTOCOL_DEFAULT_NAME);
    EXPECT_EQ(protocol_record_bytes(*protocol_of(g_protocols.lines.first)),
              protocol_record_bytes(new_protocol()));
  }
  EXPECT_TRUE(g_serial_host_log.messages.empty());
}

TEST_F(ProtocolFileTest, ASaveThatFailsKeepsTheChangesAndSaysSo) {
  read_protocols((folder_ / "no-such-folder").string());
  g_protocols.modified = true;
  EXPECT_EQ(write_protocols(), 27);
  EXPECT_TRUE(g_protocols.modified);
  ASSERT_EQ(g_serial_host_log.messages.size(), 1u);
  EXPECT_NE(g_serial_host_log.messages[0].find("not saved"), std::string::npos);
  EXPECT_NE(g_protocols.lines.first, nullptr);
}

TEST(ComPortTable, LinesChooseDevicesAndBadLinesKeepTheDefault) {
  const std::string text =
      "# a note\n"
      "COM2 /dev/ttyUSB0\n"
      "com3\t/dev/serial/by-id/usb-adapter-port0  \r\n"
      "COM0 /dev/ttyUSB1\n"      // no COM0
      "COM10 /dev/ttyUSB2\n"     // COM1 followed by a 0: not a port line
      "COM4 ttyUSB3\n"           // not a path
      "COM5\n"                   // no device
      "\n"
      "  # COM6 /dev/ttyUSB4\n";  // a note, even indented
  std::vector<int> bad;
  const ComPortTable table = parse_com_port_table(text, &bad);
  EXPECT_EQ(table.devices[0], "/dev/ttyS0");
  EXPECT_EQ(table.devices[1], "/dev/ttyUSB0");
  EXPECT_EQ(table.devices[2], "/dev/serial/by-id/usb-adapter-port0");
  EXPECT_EQ(table.devices[3], "/dev/ttyS3");
  EXPECT_EQ(table.devices[4], "/dev/ttyS4");
  EXPECT_EQ(table.devices[5], "/dev/ttyS5");
  EXPECT_EQ(bad, (std::vector<int>{4, 5, 6, 7}));
}

TEST(ComPortTable, TheShippedTableNamesTheUsualDevices) {
  const std::string text = read_file_bytes(BRENVIK_PROGRAM_DIR "/SerialPorts.txt");
  std::vector<int> bad;
  const ComPortTable table = parse_com_port_table(text, &bad);
  EXPECT_TRUE(bad.empty());
  for (int i = 0; i < PORT_COUNT; ++i)
    EXPECT_EQ(table.devices[i], "/dev/ttyS" + std::to_string(i));
  EXPECT_NE(text.find("dialout"), std::string::npos);
}

TEST(ProtocolCorpus, EveryInputReadsOrIsRefusedAndReadsAgainAfterWriting) {
  int files = 0;
  for (const auto& entry : std::filesystem::directory_iterator(PROTOCOL_CORPUS_DIR)) {
    ++files;
    SCOPED_TRACE(entry.path().filename().string());
    const std::string bytes = read_file_bytes(entry.path().string());
    LineList list;
    const ProtocolReadResult result =
        read_protocol_bytes(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), &list);
    if (result >= 0) {
      ASSERT_NE(list.first, nullptr);
      const std::filesystem::path folder = make_test_folder("protocol_corpus");
      const std::string again = (folder / "again.KR4").string();
      std::string why;
      ASSERT_EQ(save_file_safely(again, "",
                                 [&](SaveFile* f) { return write_protocol_file(f, list.first); },
                                 &why),
                SAVE_OK);
      LineList reread;
      EXPECT_EQ(read_protocol_file(again, &reread), PROTOCOL_READ_OK);
      int named = 0;
      for (const TextLine* line = list.first; line != nullptr; line = line->next)
        named += line->text.empty() ? 0 : 1;
      EXPECT_EQ(count_lines_from(reread.first), named);
      free_list(reread.first);
      std::filesystem::remove_all(folder);
    } else {
      EXPECT_EQ(list.first, nullptr);
    }
    free_list(list.first);
  }
  EXPECT_GE(files, 4);
}

}  // namespace
