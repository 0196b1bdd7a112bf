// The protocol form and the look at the ports: every value shown as the port opens with it, the
// fields edited by keys and stored only on OK, PgDn to the next protocol, Cancel that leaves the
// list too, and the scan of a pseudo-terminal and a missing device.
#include <gtest/gtest.h>

#include <string>

#include "store/message_ids.h"
#include "tests/pages/serial_ui_fixture.h"
#include "ui/dialog_form.h"

namespace {

class ProtocolFormTest : public SerialUiTest {
 protected:
  void open_protocol_form(const CommProtocol& protocol, const char* name) {
    g_protocol_form.working = protocol;
    std::snprintf(g_protocol_form.name, sizeof g_protocol_form.name, "%s", name);
    g_field.next_label_width = widest_form_label(MSG_FORM_PROTOCOL);
    ASSERT_NE(open_form(MSG_FORM_PROTOCOL, protocol_field), nullptr);
  }
};

TEST_F(ProtocolFormTest, TheFirstPassShowsEveryValueAsThePortTakesIt) {
  CommProtocol p;
  p.port_index = 2;
  p.parity = 2;  // not 0 or 8: the port runs at even parity, and the form says so
  p.handshake = HANDSHAKE_WAIT_FOR_XON;
  p.data_bits_code = DATA_BITS_CODE_8;
  p.stop_bits = 7;  // anything but 0 is two
  p.auto_save_seconds = 15;
  p.char_delay_ms = 20;
  std::snprintf(p.start_string, sizeof p.start_string, "%s", "%^M^J");
  p.keep_spaces = 1;
  p.device_type = DEVICE_BANDIT_LATHE;
  std::snprintf(p.default_folder, sizeof p.default_folder, "%s", "/home/shop/");
  open_protocol_form(p, "Lathe");
  EXPECT_EQ(protocol_field(), FORM_FIRST_PASS);
  EXPECT_EQ(value_text(1, 5), "Lathe");
  EXPECT_EQ(value_text(2, 5), "COM 3");
  EXPECT_EQ(value_text(3, 5), " 2400");
  EXPECT_EQ(value_text(4, 4), "Even");
  EXPECT_EQ(value_text(5, 12), "Wait for XON");
  EXPECT_EQ(value_text(6, 1), "8");
  EXPECT_EQ(value_text(7, 1), "2");
  EXPECT_EQ(value_text(8, 2), "15");
  EXPECT_EQ(value_text(9, 2), "20");
  EXPECT_EQ(value_text(10, 5), "%^M^J");
  EXPECT_EQ(value_text(11, 4), "^M^J");
  EXPECT_EQ(value_text(12, 1), "Y");
  EXPECT_EQ(value_text(13, 1), "N");
  EXPECT_EQ(value_text(14, 14), "Bandit 1 Lathe");
  EXPECT_EQ(value_text(15, 11), "/home/shop/");
  // The values start right of the longest label.
  EXPECT_GT(g_field.value_column - g_windows.active->left_column,
            static_cast<int>(std::strlen("Character delay (ms):")));
  EXPECT_EQ(protocol_port_settings(g_protocol_form.working).parity, SerialParity::EVEN);
}

TEST_F(ProtocolFormTest, KeysEditTheProtocolWhichIsStoredOnOk) {
  use_protocols({new_protocol()});
  TextLine* line = protocol_line();
  press(VK_DOWN);
  press(VK_DELETE);  // clears the name
  type("Mill");
  press(VK_RETURN);
  press(VK_DOWN);
  type("3");
  press(VK_DOWN);
  press(VK_DOWN);
  type("o");
  press(VK_DOWN);
  type("w");
  press(VK_DOWN);
  type("8");
  press(VK_DOWN);
  type("2");
  press(VK_HOME);
  press(VK_RETURN);
  EXPECT_EQ(edit_protocol(line), 0);
  const CommProtocol* p = protocol_of(line);
  EXPECT_EQ(line->text, "Mill");
  EXPECT_EQ(p->port_index, 2);
  EXPECT_EQ(p->parity, PARITY_CODE_ODD);
  EXPECT_EQ(p->handshake, HANDSHAKE_WAIT_FOR_XON);
  EXPECT_EQ(p->data_bits_code, DATA_BITS_CODE_8);
  EXPECT_EQ(p->stop_bits, STOP_BITS_TWO);
  EXPECT_TRUE(g_protocols.modified);
}

TEST_F(ProtocolFormTest, CancelLeavesTheProtocolAndTheList) {
  use_protocols({new_protocol()});
  TextLine* line = protocol_line();
  press(VK_DOWN);
  press(VK_DOWN);
  type("5");
  press(VK_ESCAPE);
  EXPECT_EQ(edit_protocol(line), WINDOW_CANCEL);
  EXPECT_EQ(protocol_of(line)->port_index, new_protocol().port_index);
  EXPECT_FALSE(g_protocols.modified);
}

TEST_F(ProtocolFormTest, PgDnKeepsTheValuesAndGoesToTheNextProtocol) {
  use_protocols({new_protocol(), new_protocol()});
  TextLine* line = protocol_line(1);
  press(VK_DOWN);
  press(VK_DOWN);
  type("6");
  press(VK_NEXT);
  EXPECT_EQ(edit_protocol(line), KEY_DOWN);
  EXPECT_EQ(protocol_of(line)->port_index, 5);
}

TEST_F(ProtocolFormTest, ThePortsAreLookedAtOnceARun) {
  write_file_bytes((folder_ / COM_PORT_TABLE_NAME).string(),
                   "COM1 " + machine_.slave_path() + "\nCOM2 " + MISSING_PORT_DEVICE + "\n" +
                       "COM3 " + (folder_ / COM_PORT_TABLE_NAME).string() + "\n");
  EXPECT_EQ(std::string(g_port_list.entries[0]), " ? 1");
  scan_com_ports();
  EXPECT_EQ(g_message_box.last_text, PORT_SCAN_TEXT);
  EXPECT_EQ(std::string(g_port_list.entries[0]), "COM1");
  EXPECT_EQ(std::string(g_port_list.entries[1]), " * 2");  // no such device
  EXPECT_EQ(std::string(g_port_list.entries[2]), " * 3");  // a file, not a port
  EXPECT_EQ(g_popups.current, nullptr);
  // Closed again: the port can be had.
  SerialOpenError error;
  const SerialHandle port = serial_open(machine_.slave_path(), &error);
  EXPECT_NE(port, SERIAL_NO_PORT);
  serial_close(port);
  const size_t requests = g_serial_hooks.requests.size();
  scan_com_ports();
  EXPECT_EQ(g_serial_hooks.requests.size(), requests);
}

}  // namespace
