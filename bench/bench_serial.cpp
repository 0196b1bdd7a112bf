// The machine link through a pseudo-terminal pair, with a machine thread at the master side:
//   1. 1 MB sent without a character delay (goal: 200 KB/s or more);
//   2. a 2 s XOFF hold in the middle of a send: the sender's CPU time while held (goal: under
//      5 % of a core, so no busy wait);
//   3. 1 MB received at the pseudo-terminal's full speed with the timer's 55 ms steps: the time
//      it takes, and the file checked byte for byte.
// The sender's loop is the command's: steps of 256 bytes, the port waited on while it holds.
#include <sys/resource.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <thread>

#include "nc/serial_link.h"
#include "nc/serial_ports.h"
#include "platform/files.h"
#include "platform/window.h"
#include "tests/support/pty_machine.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr int HOLD_WAIT_MS = 50;  // as the send command waits on a held port
constexpr uint32_t TICK_MS = 55;

std::string program_text(size_t bytes) {
  std::mt19937 random(1);
  std::string text;
  for (int line = 1; text.size() < bytes; ++line) {
    text += "N" + std::to_string(line) + "G1X" + std::to_string(random() % 10000) + "Y" +
            std::to_string(random() % 10000) + "\r\n";
  }
  text.resize(bytes);
  return text;
}

std::string read_file(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

double thread_cpu_seconds() {
  rusage usage{};
  getrusage(RUSAGE_THREAD, &usage);
  return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
         static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

CommProtocol protocol() {
  CommProtocol p;
  p.port_index = 0;
  p.baud_index = 9;
  p.parity = PARITY_CODE_NONE;
  p.data_bits_code = DATA_BITS_CODE_8;
  p.handshake = HANDSHAKE_SOFTWARE;
  p.end_string[0] = '\0';
  return p;
}

// The command's loop: steps until the end, the port waited on while it holds. CPU seconds spent
// while held go to *held_cpu.
bool run_send(double* held_cpu) {
  for (;;) {
    const SendStep step = send_some(SEND_KEY_CHECK_BYTES, clock_now_ms());
    if (step == SendStep::DONE) return true;
    if (step == SendStep::FAILED) return false;
    if (step == SendStep::HELD) {
      const double before = thread_cpu_seconds();
      wait_for_port(HOLD_WAIT_MS);
      *held_cpu += thread_cpu_seconds() - before;
    }
  }
}

bool send_bench(const std::string& folder, const std::string& program, bool hold) {
  PtyMachine machine;
  std::ofstream(folder + "/" + COM_PORT_TABLE_NAME) << "COM1 " << machine.slave_path() << "\n";
  const std::string path = folder + "/program.nc";
  std::ofstream(path, std::ios::binary) << program;
  std::string received;
  double hold_seconds = 0;
  machine.run([&](PtyMachine& m) {
    if (hold) {
      received = m.read_bytes(program.size() / 2);
      m.send_xoff();
      received += m.read_until_quiet(100);
      const auto start = Clock::now();
      PtyMachine::sleep_ms(2000);
      hold_seconds = std::chrono::duration<double>(Clock::now() - start).count();
      m.send_xon();
    }
    received += m.read_bytes(program.size() - received.size(), 30000);
  });
  const CommProtocol p = protocol();
  SendRequest request;
  request.protocol = &p;
  request.file_path = path;
  const auto start = Clock::now();
  if (begin_send(request) != 0) {
    std::printf("the send could not start: %s%s\n", g_serial_link.open_failure.c_str(),
                g_serial_link.failure.c_str());
    return false;
  }
  double held_cpu = 0;
  const bool done = run_send(&held_cpu);
  end_send(done);
  machine.join();
  const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
  const bool same = received == program;
  if (hold) {
    const double share = hold_seconds > 0 ? 100.0 * held_cpu / hold_seconds : 0;
    std::printf("XOFF hold of %.2f s: the sender used %.3f s of CPU while held (%.2f %% of a "
                "core; goal under 5 %%)%s\n",
                hold_seconds, held_cpu, share, same ? "" : "  BYTES DIFFER");
    return done && same && share < 5.0;
  }
  const double rate = static_cast<double>(program.size()) / 1024.0 / seconds;
  std::printf("1 MB sent in %.3f s: %.0f KB/s (goal 200 KB/s or more)%s\n", seconds, rate,
              same ? "" : "  BYTES DIFFER");
  return done && same && rate >= 200.0;
}

bool receive_bench(const std::string& folder, const std::string& program) {
  PtyMachine machine;
  std::ofstream(folder + "/" + COM_PORT_TABLE_NAME) << "COM1 " << machine.slave_path() << "\n";
  const std::string path = folder + "/received.nc";
  if (begin_receive(protocol(), "bench", path) != 0) {
    std::printf("the receive could not start: %s\n", g_serial_link.open_failure.c_str());
    return false;
  }
  std::atomic<bool> written{false};
  const auto start = Clock::now();
  machine.run([&](PtyMachine& m) {
    m.write_bytes(program, 60000);
    written = true;
  });
  // The timer's steps, every 55 ms, with nobody looking on.
  while (g_serial_link.bytes_received < static_cast<int64_t>(program.size()) &&
         Clock::now() - start < std::chrono::seconds(60)) {
    serial_receive_tick();
    std::this_thread::sleep_for(std::chrono::milliseconds(TICK_MS));
  }
  const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
  machine.join();
  const int64_t kept = end_receive(true);
  const bool same = read_file(path) == program;
  std::printf("1 MB received in %.3f s with 55 ms steps (%.0f KB/s), %lld bytes kept, file %s\n",
              seconds, static_cast<double>(program.size()) / 1024.0 / seconds,
              static_cast<long long>(kept), same ? "identical" : "DIFFERS");
  return same;
}

}  // namespace

int main() {
  const std::filesystem::path folder =
      std::filesystem::temp_directory_path() / ("bench_serial_" + std::to_string(getpid()));
  std::filesystem::create_directories(folder);
  set_program_folder_for_tests(folder.string());
  const std::string program = program_text(1024 * 1024);
  bool good = send_bench(folder.string(), program, false);
  good = send_bench(folder.string(), program, true) && good;
  good = receive_bench(folder.string(), program) && good;
  reset_serial_link();
  std::filesystem::remove_all(folder);
  return good ? 0 : 1;
}
