// Machine-link tests on a pseudo-terminal pair: a program folder of the test's own whose port
// table makes COM1 the slave of the machine's pseudo-terminal (and the other ports a device that
// does not exist), the link, the serial hooks and the host log reset, and helpers that run a transfer
// to its end while the scripted machine works in its thread.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <random>
#include <string>

#include "nc/comm_protocol.h"
#include "nc/serial_host.h"
#include "nc/serial_link.h"
#include "nc/serial_ports.h"
#include "nc/tape_codes.h"
#include "platform/files.h"
#include "platform/headless.h"
#include "platform/serial.h"
#include "platform/window.h"
#include "tests/support/pty_machine.h"
#include "tests/support/test_folder.h"

constexpr char MISSING_PORT_DEVICE[] = "/dev/no-such-serial-port-for-tests";

class SerialLinkFixture {
 protected:
  void set_up_link() {
    reset_serial_link();
    reset_serial_hooks();
    reset_serial_host();
    reset_port_list();
    reset_man_read_table();
    folder_ = make_test_folder("serial_link");
    set_program_folder_for_tests(folder_.string());
    ASSERT_TRUE(machine_.ready());
    write_port_table(machine_.slave_path());
  }
  void tear_down_link() {
    machine_.join();
    reset_serial_link();
    reset_serial_hooks();
    reset_serial_host();
    reset_port_list();
    set_program_folder_for_tests("");
    reset_files();
    std::filesystem::remove_all(folder_);
  }

  // COM1 is `com1`; every other port a device that does not exist (never a real port).
  void write_port_table(const std::string& com1) {
    std::string table = "COM1 " + com1 + "\n";
    for (int n = 2; n <= PORT_COUNT; ++n)
      table += "COM" + std::to_string(n) + " " + MISSING_PORT_DEVICE + "\n";
    write_file_bytes((folder_ / COM_PORT_TABLE_NAME).string(), table);
  }

  // A protocol on COM1 at 9600 baud, 8 bits, no parity, no handshake, no strings.
  static CommProtocol plain_protocol() {
    CommProtocol p;
    p.port_index = 0;
    p.baud_index = 5;
    p.parity = PARITY_CODE_NONE;
    p.data_bits_code = DATA_BITS_CODE_8;
    p.handshake = HANDSHAKE_NONE;
    p.end_string[0] = '\0';
    return p;
  }

  std::string write_source(const std::string& name, const std::string& bytes) const {
    const std::string path = (folder_ / name).string();
    write_file_bytes(path, bytes);
    return path;
  }

  // Runs the send's steps to their end, letting character delays pass on the virtual clock and
  // waiting on the port (real time) while it holds. The last step.
  static SendStep run_send(int limit_ms = 10000) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(limit_ms);
    for (;;) {
      const SendStep step = send_some(SEND_KEY_CHECK_BYTES, clock_now_ms());
      if (step == SendStep::DONE || step == SendStep::FAILED) return step;
      if (std::chrono::steady_clock::now() > end) return step;
      if (step == SendStep::PAUSED) {
        headless_advance_clock(g_serial_link.send.next_due_ms - clock_now_ms());
      } else if (step != SendStep::WROTE) {
        wait_for_port(10);
      }
    }
  }

  static std::string seeded_program(size_t bytes, unsigned seed) {
    std::mt19937 random(seed);
    std::string text;
    int line = 1;
    while (text.size() < bytes) {
      text += "N" + std::to_string(line++) + "G1X" + std::to_string(random() % 10000) + "Y" +
              std::to_string(random() % 10000) + "F" + std::to_string(random() % 500) + "\r\n";
    }
    text.resize(bytes);
    return text;
  }

  std::filesystem::path folder_;
  PtyMachine machine_;
};
