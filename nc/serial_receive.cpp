// Receiving: the port read into a ring that is never overrun, the ring written to the file piece
// by piece, and the timer's watch over the silence.
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <new>

#include "nc/serial_host.h"
#include "nc/serial_link.h"
#include "platform/window.h"

namespace {

constexpr int MS_PER_SECOND = 1000;

std::string port_words() {
  const SerialLink& link = g_serial_link;
  return "COM" + std::to_string(link.port_number) + " (" + link.device + ")";
}

std::string kept_words(int64_t bytes) {
  return std::to_string(std::max<int64_t>(bytes, 0)) + " bytes received were kept in " +
         g_serial_link.receive_path + ".";
}

// The data line: the piece's first 30 bytes, control bytes shown as blanks, padded with blanks.
void show_piece(const uint8_t* piece, size_t count) {
  std::string line(RECEIVE_DATA_LINE_WIDTH, ' ');
  for (size_t i = 0; i < std::min<size_t>(count, RECEIVE_DATA_LINE_WIDTH); ++i) {
    if (piece[i] > ' ') line[i] = static_cast<char>(piece[i]);
  }
  g_serial_link.data_line = line;
}

// The length of the piece at the ring's read index (see flush_receive_buffer).
size_t piece_length() {
  const SerialLink& link = g_serial_link;
  const size_t run = std::min(link.ring_count, link.ring.size() - link.ring_read);
  if (link.device_type == DEVICE_COMPUTER) return run;
  const uint8_t* start = link.ring.data() + link.ring_read;
  for (size_t i = run; i > 0; --i) {
    if (start[i - 1] < ' ') return i;
  }
  return 1;
}

// A receive that nobody looks on ends here, in the timer; the notice waits for the user.
void end_out_of_sight(const std::string& why) {
  const int64_t kept = end_receive(true);
  serial_host_transfer_ended(why + " " + kept_words(kept));
}

std::string idle_text(int silence) {
  const SerialLink& link = g_serial_link;
  std::string text = "No activity for " + std::to_string(silence) + " seconds...";
  if (link.auto_save_seconds > 0) {
    const int left = std::max(0, link.auto_save_seconds - silence);
    text += "\n\fwill save and quit in " + std::to_string(left) + " seconds";
  }
  return text;
}

}  // namespace

// ---- Receiving ------------------------------------------------------------------------------------

std::string transfer_box_request(int number) {
  char text[64];
  std::snprintf(text, sizeof text, TRANSFER_BOX_REQUEST_FORMAT, number);
  return text;
}

int begin_receive(const CommProtocol& protocol, const std::string& protocol_name,
                  const std::string& path) {
  SerialLink& link = g_serial_link;
  link.failure.clear();
  link.open_failure.clear();
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) {
    link.failure = "The file " + path + " could not be created: " + std::strerror(errno) + ".";
    return -1;
  }
  try {
    link.ring.assign(protocol.handshake == HANDSHAKE_NONE ? RECEIVE_RING_SIZE_NO_HANDSHAKE
                                                          : RECEIVE_RING_SIZE,
                     0);
  } catch (const std::bad_alloc&) {
    std::fclose(file);
    std::remove(path.c_str());
    link.failure = "There is not enough memory to receive.";
    return -2;
  }
  if (open_serial_port(protocol.port_index + 1, protocol.baud_index, protocol.parity,
                       protocol.data_bits_code, protocol.stop_bits, protocol.handshake) != 0) {
    std::fclose(file);
    std::remove(path.c_str());
    link.ring.clear();
    return -1;
  }
  link.receive_file = file;
  link.receive_path = path;
  link.ring_read = 0;
  link.ring_count = 0;
  link.bytes_received = 0;
  link.last_byte_ms = clock_now_ms();
  link.idle_shown = false;
  link.idle_save_posted = false;
  link.idle_line.clear();
  link.data_line.clear();
  link.port_lost = false;
  link.auto_save_seconds = protocol.auto_save_seconds;
  link.device_type = protocol.device_type;
  link.protocol_name = protocol_name;
  link.cts_mode = protocol.handshake == HANDSHAKE_HARDWARE;
  link.wait_for_xon = protocol.handshake == HANDSHAKE_WAIT_FOR_XON;
  link.receive_active = true;
  return 0;
}

bool write_port_bytes(const std::string& bytes, int limit_ms) {
  const SerialLink& link = g_serial_link;
  size_t done = 0;
  int waited = 0;
  constexpr int STEP_MS = 10;
  while (done < bytes.size() && waited <= limit_ms) {
    const int n = serial_write(link.port, reinterpret_cast<const uint8_t*>(bytes.data()) + done,
                               static_cast<int>(bytes.size() - done));
    if (n < 0) return false;
    done += static_cast<size_t>(n);
    if (n == 0) {
      if ((serial_wait(link.port, SERIAL_WRITABLE, STEP_MS) & SERIAL_GONE) != 0) return false;
      waited += STEP_MS;
    }
  }
  return done == bytes.size();
}

int read_port_bytes(uint32_t now_ms) {
  SerialLink& link = g_serial_link;
  if (!link.receive_active || link.ring.empty()) return 0;
  for (;;) {
    // A full ring goes to the file before another byte is read: nothing is overwritten.
    if (link.ring_count == link.ring.size() && flush_receive_buffer() != 0) return 0;
    const size_t size = link.ring.size();
    const size_t write_at = (link.ring_read + link.ring_count) % size;
    const size_t room = std::min(size - link.ring_count, size - write_at);
    const int n = serial_read(link.port, link.ring.data() + write_at, static_cast<int>(room));
    if (n == 0) return 0;
    if (n < 0) {
      link.port_lost = true;
      return -1;
    }
    link.ring_count += static_cast<size_t>(n);
    link.last_byte_ms = now_ms;
    link.idle_save_posted = false;
  }
}

int flush_receive_buffer() {
  SerialLink& link = g_serial_link;
  if (!link.receive_active || link.receive_file == nullptr) return 1;
  while (link.ring_count > 0) {
    const size_t piece = piece_length();
    const uint8_t* start = link.ring.data() + link.ring_read;
    if (std::fwrite(start, 1, piece, link.receive_file) != piece) {
      link.failure = "The received data could not be written to " + link.receive_path + ": " +
                     std::strerror(errno) + ".";
      return -1;
    }
    if (piece >= static_cast<size_t>(RECEIVE_DATA_LINE_MIN)) show_piece(start, piece);
    link.bytes_received += static_cast<int64_t>(piece);
    link.ring_read = (link.ring_read + piece) % link.ring.size();
    link.ring_count -= piece;
  }
  if (std::fflush(link.receive_file) != 0) {
    link.failure = "The received data could not be written to " + link.receive_path + ": " +
                   std::strerror(errno) + ".";
    return -1;
  }
  return 0;
}

int receive_silence_seconds(uint32_t now_ms) {
  return static_cast<int>((now_ms - g_serial_link.last_byte_ms) / MS_PER_SECOND);
}

void serial_receive_tick() {
  SerialLink& link = g_serial_link;
  if (!link.receive_active || link.tick_busy) return;
  link.tick_busy = true;
  const uint32_t now = clock_now_ms();
  const bool port_failed = read_port_bytes(now) < 0;
  // A status window writes the ring out on every event; out of sight the tick does.
  const bool file_failed = !link.status_shown && flush_receive_buffer() < 0;
  if (port_failed || file_failed) {
    if (!link.status_shown) {
      end_out_of_sight(port_failed ? "The port " + port_words() + " failed." : link.failure);
    }
    link.tick_busy = false;
    return;
  }
  const int silence = receive_silence_seconds(now);
  if (silence >= IDLE_NOTICE_SECONDS) {
    if (link.bytes_received > IDLE_SAVE_MIN_BYTES) {
      link.idle_line = idle_text(silence);
      link.idle_shown = true;
      if (link.auto_save_seconds > 0 && silence >= link.auto_save_seconds) {
        if (!link.status_shown) {
          end_out_of_sight("The machine was silent for " + std::to_string(silence) +
                           " seconds, so the receive ended.");
        } else if (!link.idle_save_posted) {
          link.idle_save_posted = true;
          serial_host_post_event(EVENT_RECEIVE_AUTO_SAVE);
        }
      }
    } else if (link.bytes_received == 0 && !link.cts_mode) {
      // A device that waits for the go-ahead gets an XON on every silent tick.
      const uint8_t xon = XON_BYTE;
      serial_write(link.port, &xon, 1);
    }
  } else if (link.idle_shown) {
    link.idle_line.clear();
    link.idle_shown = false;
  }
  link.tick_busy = false;
}

int64_t end_receive(bool save) {
  SerialLink& link = g_serial_link;
  if (!link.receive_active) return 0;
  // What has reached the port by now belongs to the saved program too.
  if (save && read_port_bytes(clock_now_ms()) >= 0) flush_receive_buffer();
  if (save) flush_receive_buffer();
  int64_t kept = std::max<int64_t>(link.bytes_received, 0);
  const std::string path = link.receive_path;
  close_serial_port(true, true);
  if (!save || kept == 0) {
    std::remove(path.c_str());
    kept = 0;
  }
  link.last_bytes_received = kept;
  link.last_received_file = path;
  link.idle_line.clear();
  link.idle_shown = false;
  return kept;
}
