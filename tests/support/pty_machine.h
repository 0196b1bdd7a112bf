// A machine at the far end of a serial cable, for tests: the master side of a pseudo-terminal
// pair, whose slave device the program opens as its port. A test scripts the machine in a
// thread of its own (reading what the program sends, answering, holding the flow with XOFF),
// while the program runs in the test's thread. The machine's waits are real time with limits,
// so a program that never sends fails the test instead of hanging it.
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <functional>
#include <string>
#include <thread>

class PtyMachine {
 public:
  PtyMachine() {
    master_ = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (master_ < 0 || grantpt(master_) != 0 || unlockpt(master_) != 0) {
      close_master();
      return;
    }
    const char* name = ptsname(master_);
    if (name != nullptr) slave_path_ = name;
    // The master side passes bytes as they are.
    termios t{};
    if (tcgetattr(master_, &t) == 0) {
      cfmakeraw(&t);
      tcsetattr(master_, TCSANOW, &t);
    }
  }
  ~PtyMachine() {
    join();
    close_master();
  }
  PtyMachine(const PtyMachine&) = delete;
  PtyMachine& operator=(const PtyMachine&) = delete;

  bool ready() const { return master_ >= 0 && !slave_path_.empty(); }
  // The device the program opens.
  const std::string& slave_path() const { return slave_path_; }

  // Runs the script in the machine's thread.
  void run(std::function<void(PtyMachine&)> script) {
    thread_ = std::thread([this, script] { script(*this); });
  }
  void join() {
    if (thread_.joinable()) thread_.join();
  }

  // Reads until `count` bytes came or `limit_ms` passed; what came.
  std::string read_bytes(size_t count, int limit_ms = 5000) {
    std::string got;
    const auto end = clock::now() + std::chrono::milliseconds(limit_ms);
    while (got.size() < count && clock::now() < end) {
      if (!wait_readable(end)) continue;
      char chunk[4096];
      const size_t want = std::min(sizeof chunk, count - got.size());
      const ssize_t n = ::read(master_, chunk, want);
      if (n > 0) got.append(chunk, static_cast<size_t>(n));
      else pause_briefly();  // the slave is closed (EIO) or nothing waits
    }
    return got;
  }
  // Reads until nothing has come for `quiet_ms` (or `limit_ms` passed in all).
  std::string read_until_quiet(int quiet_ms, int limit_ms = 5000) {
    std::string got;
    const auto end = clock::now() + std::chrono::milliseconds(limit_ms);
    auto quiet_end = clock::now() + std::chrono::milliseconds(quiet_ms);
    while (clock::now() < end && clock::now() < quiet_end) {
      if (!wait_readable(quiet_end)) continue;
      char chunk[4096];
      const ssize_t n = ::read(master_, chunk, sizeof chunk);
      if (n > 0) {
        got.append(chunk, static_cast<size_t>(n));
        quiet_end = clock::now() + std::chrono::milliseconds(quiet_ms);
      } else {
        pause_briefly();
      }
    }
    return got;
  }
  // Reads until `text` is among what came, or `limit_ms` passed; what came.
  std::string read_until(const std::string& text, int limit_ms = 5000) {
    std::string got;
    const auto end = clock::now() + std::chrono::milliseconds(limit_ms);
    while (got.find(text) == std::string::npos && clock::now() < end) {
      if (!wait_readable(end)) continue;
      char chunk[4096];
      const ssize_t n = ::read(master_, chunk, sizeof chunk);
      if (n > 0) got.append(chunk, static_cast<size_t>(n));
      else pause_briefly();
    }
    return got;
  }
  // Writes every byte (waiting while the program's input queue is full); false on failure.
  bool write_bytes(const std::string& bytes, int limit_ms = 5000) {
    size_t done = 0;
    const auto end = clock::now() + std::chrono::milliseconds(limit_ms);
    while (done < bytes.size() && clock::now() < end) {
      const ssize_t n = ::write(master_, bytes.data() + done, bytes.size() - done);
      if (n > 0) done += static_cast<size_t>(n);
      else if (n < 0 && errno != EAGAIN && errno != EINTR && errno != EIO) return false;
      else pause_briefly();
    }
    return done == bytes.size();
  }
  void send_xoff() { write_bytes(std::string(1, '\x13')); }
  void send_xon() { write_bytes(std::string(1, '\x11')); }

  // The slave's settings, read through the master.
  termios slave_settings() const {
    termios t{};
    tcgetattr(master_, &t);
    return t;
  }
  // The cable pulled: the program's port fails from now on.
  void close_master() {
    if (master_ >= 0) ::close(master_);
    master_ = -1;
  }

  static void sleep_ms(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

 private:
  using clock = std::chrono::steady_clock;

  bool wait_readable(clock::time_point end) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - clock::now());
    pollfd p{master_, POLLIN, 0};
    const int ms = static_cast<int>(std::max<long long>(0, std::min<long long>(left.count(), 50)));
    return poll(&p, 1, ms) > 0 && (p.revents & POLLIN) != 0;
  }
  static void pause_briefly() { std::this_thread::sleep_for(std::chrono::milliseconds(2)); }

  int master_ = -1;
  std::string slave_path_;
  std::thread thread_;
};
