// Serial ports over the POSIX terminal interface.
#include "platform/serial.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

SerialHooks g_serial_hooks;

namespace {

constexpr cc_t XON_CHARACTER = 17;
constexpr cc_t XOFF_CHARACTER = 19;

struct BaudCode {
  uint32_t baud;
  speed_t code;
};
constexpr BaudCode BAUD_CODES[] = {
    {50, B50},       {75, B75},         {110, B110},       {134, B134},     {150, B150},
    {200, B200},     {300, B300},       {600, B600},       {1200, B1200},   {1800, B1800},
    {2400, B2400},   {4800, B4800},     {9600, B9600},     {19200, B19200}, {38400, B38400},
    {57600, B57600}, {115200, B115200}, {230400, B230400}, {460800, B460800},
};

bool baud_code(uint32_t baud, speed_t* code) {
  for (const BaudCode& entry : BAUD_CODES) {
    if (entry.baud == baud) {
      *code = entry.code;
      return true;
    }
  }
  return false;
}

tcflag_t size_flag(uint8_t data_bits) {
  switch (data_bits) {
    case 5: return CS5;
    case 6: return CS6;
    case 7: return CS7;
    default: return CS8;
  }
}

void note(const std::string& request) { g_serial_hooks.requests.push_back(request); }

SerialRefusal refusal_of(int error) {
  switch (error) {
    case ENOENT:
    case ENODEV:
    case ENXIO: return SerialRefusal::MISSING;
    case EACCES:
    case EPERM: return SerialRefusal::PERMISSION;
    case EBUSY:
    case EWOULDBLOCK: return SerialRefusal::BUSY;
    case ENOTTY: return SerialRefusal::NOT_SERIAL;
    default: return SerialRefusal::OTHER;
  }
}

SerialHandle refuse(int fd, int error, SerialOpenError* out) {
  if (fd >= 0) close(fd);
  if (out != nullptr) {
    out->refusal = refusal_of(error);
    out->reason = error == EWOULDBLOCK ? "In use by another program" : std::strerror(error);
  }
  return SERIAL_NO_PORT;
}

bool modem_line(SerialHandle port, int line, bool on) {
  if (port < 0) return false;
  int bits = line;
  return ioctl(port, on ? TIOCMBIS : TIOCMBIC, &bits) == 0;
}

}  // namespace

// ---- Opening and closing --------------------------------------------------------------------------

SerialHandle serial_open(const std::string& device, SerialOpenError* error) {
  note("open " + device);
  if (error != nullptr) *error = SerialOpenError{};
  const int fd = open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return refuse(-1, errno, error);
  if (!isatty(fd)) return refuse(fd, ENOTTY, error);
  // The lock keeps out other programs of this user; TIOCEXCL everyone else but root.
  if (flock(fd, LOCK_EX | LOCK_NB) != 0) return refuse(fd, errno, error);
  if (ioctl(fd, TIOCEXCL) != 0) return refuse(fd, errno, error);
  return fd;
}

bool serial_configure(SerialHandle port, const SerialSettings& settings) {
  note("configure " + serial_settings_text(settings));
  speed_t speed = B0;
  termios t{};
  if (port < 0 || !baud_code(settings.baud, &speed) || tcgetattr(port, &t) != 0) return false;
  t.c_iflag = IGNBRK;
  if (settings.flow == SerialFlow::XON_XOFF) t.c_iflag |= IXON | IXOFF;
  t.c_oflag = 0;
  t.c_lflag = 0;
  t.c_cflag = CLOCAL | CREAD | size_flag(settings.data_bits);
  if (settings.parity != SerialParity::NONE) t.c_cflag |= PARENB;
  if (settings.parity == SerialParity::ODD) t.c_cflag |= PARODD;
  if (settings.stop_bits == 2) t.c_cflag |= CSTOPB;
  if (settings.flow == SerialFlow::RTS_CTS) t.c_cflag |= CRTSCTS;
  t.c_cc[VMIN] = 0;
  t.c_cc[VTIME] = 0;
  t.c_cc[VSTART] = XON_CHARACTER;
  t.c_cc[VSTOP] = XOFF_CHARACTER;
  if (cfsetispeed(&t, speed) != 0 || cfsetospeed(&t, speed) != 0) return false;
  if (tcsetattr(port, TCSANOW, &t) != 0) return false;
  // tcsetattr succeeds when any part of the request was taken: a speed the device cannot run
  // shows only in what it reads back.
  termios back{};
  if (tcgetattr(port, &back) != 0) return false;
  return cfgetospeed(&back) == speed && cfgetispeed(&back) == speed;
}

void serial_close(SerialHandle port) {
  if (port < 0) return;
  note("close");
  ioctl(port, TIOCNXCL);
  close(port);
}

// ---- Data ---------------------------------------------------------------------------------------

int serial_read(SerialHandle port, uint8_t* bytes, int count) {
  if (port < 0 || count <= 0) return port < 0 ? -1 : 0;
  for (;;) {
    const ssize_t got = read(port, bytes, static_cast<size_t>(count));
    if (got > 0) return static_cast<int>(got);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return errno == EAGAIN ? 0 : -1;
    // A raw read returns 0 both when nothing waits and when the device hung up.
    return (serial_wait(port, 0, 0) & SERIAL_GONE) != 0 ? -1 : 0;
  }
}

int serial_write(SerialHandle port, const uint8_t* bytes, int count) {
  if (port < 0) return -1;
  if (count <= 0) return 0;
  for (;;) {
    const ssize_t put = write(port, bytes, static_cast<size_t>(count));
    if (put >= 0) return static_cast<int>(put);
    if (errno == EINTR) continue;
    return errno == EAGAIN ? 0 : -1;
  }
}

int serial_wait(SerialHandle port, int events, int timeout_ms) {
  if (port < 0) return SERIAL_GONE;
  pollfd p{};
  p.fd = port;
  if ((events & SERIAL_READABLE) != 0) p.events |= POLLIN;
  if ((events & SERIAL_WRITABLE) != 0) p.events |= POLLOUT;
  int ready;
  do {
    ready = poll(&p, 1, timeout_ms);
  } while (ready < 0 && errno == EINTR);
  if (ready < 0) return SERIAL_GONE;
  int result = 0;
  if ((p.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0) result |= SERIAL_GONE;
  if ((p.revents & POLLIN) != 0 && (events & SERIAL_READABLE) != 0) result |= SERIAL_READABLE;
  if ((p.revents & POLLOUT) != 0 && (events & SERIAL_WRITABLE) != 0) result |= SERIAL_WRITABLE;
  return result;
}

int serial_output_queued(SerialHandle port) {
  int count = 0;
  return port >= 0 && ioctl(port, TIOCOUTQ, &count) == 0 ? count : -1;
}

int serial_input_queued(SerialHandle port) {
  int count = 0;
  return port >= 0 && ioctl(port, FIONREAD, &count) == 0 ? count : -1;
}

bool serial_purge(SerialHandle port, bool input, bool output) {
  note(std::string("purge") + (input ? " in" : "") + (output ? " out" : ""));
  if (port < 0 || (!input && !output)) return port >= 0;
  const int which = input && output ? TCIOFLUSH : (input ? TCIFLUSH : TCOFLUSH);
  return tcflush(port, which) == 0;
}

bool serial_set_output_flow(SerialHandle port, bool xon_xoff) {
  note(std::string("output-flow ") + (xon_xoff ? "1" : "0"));
  termios t{};
  if (port < 0 || tcgetattr(port, &t) != 0) return false;
  if (xon_xoff) t.c_iflag |= IXON;
  else t.c_iflag &= ~static_cast<tcflag_t>(IXON);
  return tcsetattr(port, TCSANOW, &t) == 0;
}

// ---- Lines --------------------------------------------------------------------------------------

bool serial_set_dtr(SerialHandle port, bool on) {
  note(std::string("dtr ") + (on ? "1" : "0"));
  return modem_line(port, TIOCM_DTR, on);
}

bool serial_set_rts(SerialHandle port, bool on) {
  note(std::string("rts ") + (on ? "1" : "0"));
  return modem_line(port, TIOCM_RTS, on);
}

int serial_modem_status(SerialHandle port) {
  const int scripted = g_serial_hooks.scripted_modem_status.load();
  if (scripted >= 0) return scripted;
  int bits = 0;
  if (port < 0 || ioctl(port, TIOCMGET, &bits) != 0) return -1;
  int status = 0;
  if ((bits & TIOCM_CTS) != 0) status |= SERIAL_CTS;
  if ((bits & TIOCM_DSR) != 0) status |= SERIAL_DSR;
  if ((bits & TIOCM_RNG) != 0) status |= SERIAL_RING;
  if ((bits & TIOCM_CAR) != 0) status |= SERIAL_RLSD;
  return status;
}

// ---- Test hooks ---------------------------------------------------------------------------------

std::string serial_settings_text(const SerialSettings& settings) {
  const char parity = settings.parity == SerialParity::NONE  ? 'N'
                      : settings.parity == SerialParity::ODD ? 'O'
                                                             : 'E';
  const char* flow = settings.flow == SerialFlow::NONE       ? "none"
                     : settings.flow == SerialFlow::XON_XOFF ? "xon/xoff"
                                                             : "rts/cts";
  return std::to_string(settings.baud) + " " + std::to_string(settings.data_bits) + " " +
         parity + " " + std::to_string(settings.stop_bits) + " " + flow;
}

void reset_serial_hooks() {
  g_serial_hooks.requests.clear();
  g_serial_hooks.scripted_modem_status.store(-1);
}
