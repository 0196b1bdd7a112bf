// Sending: the byte producer with its device filters, and the steps that write it out.
#include <algorithm>
#include <cerrno>
#include <cstring>

#include "nc/serial_host.h"
#include "nc/serial_link.h"
#include "nc/tape_codes.h"
#include "platform/window.h"
#include "store/line_fold.h"
#include "store/text_helpers.h"

namespace {

constexpr int WRITE_CHUNK = 256;        // bytes handed to the port at once without a delay
constexpr int LINE_END_DELAY_FACTOR = 5;
constexpr size_t FILE_CHUNK = 8192;
constexpr uint8_t GLYPH_ESCAPE = 0x08;
constexpr int GLYPH_OFFSET = 33;
constexpr int TICK_MS = 55;

bool is_comment_start(uint8_t c) { return c == ';' || c == '*' || c == '\''; }
bool is_bandit(uint8_t device) {
  return device == DEVICE_BANDIT_MILL || device == DEVICE_BANDIT_LATHE;
}

// ---- Reading the editor's lines -------------------------------------------------------------------

// Unread text of a partly loaded file: `count` bytes at `offset` of the buffer's file.
bool read_unread_text(const std::string& path, int64_t offset, int64_t count, std::string* out) {
  if (path.empty() || offset < 0 || count < 0) return false;
  std::FILE* stream = std::fopen(path.c_str(), "rb");
  if (stream == nullptr) return false;
  bool good = std::fseek(stream, static_cast<long>(offset), SEEK_SET) == 0;
  std::vector<char> bytes(static_cast<size_t>(std::min<int64_t>(count, 1 << 20)));
  int64_t left = count;
  while (good && left > 0) {
    const size_t want = static_cast<size_t>(std::min<int64_t>(left, bytes.size()));
    const size_t got = std::fread(bytes.data(), 1, want, stream);
    out->append(bytes.data(), got);
    left -= static_cast<int64_t>(got);
    good = got == want;
  }
  std::fclose(stream);
  return good;
}

// Walks the lines from `from` up to `to`, folded runs and unread text included, without
// changing the buffer: visit(text) gets each line's text, unread(offset, count) each run of
// unread file text. Stops (false) when one says no.
template <class Visit, class Unread>
bool walk_send_lines(TextLine* from, TextLine* to, Visit visit, Unread unread) {
  for (TextLine* line = from; line != nullptr && line != to; line = next_shown_line(line)) {
    const FoldRecord* fold = fold_record_of(line);
    if (fold == nullptr) {
      if (!visit(line->text)) return false;
    } else if (fold->unread_text != 0) {
      if (fold->byte_count > 0 && !unread(fold->file_offset, fold->byte_count)) return false;
    } else {
      for (TextLine* run = fold->first_line; run != nullptr; run = run->next) {
        if (!visit(run->text)) return false;
        if (run == fold->last_line) break;
      }
    }
  }
  return true;
}

// ---- The producer ---------------------------------------------------------------------------------

uint8_t tape_byte(uint8_t c) {
  return g_serial_link.eia ? ascii_to_eia(c) : c;
}

// A character of the start or end string.
void produce_string_char(uint8_t c, std::string* out) {
  const SerialLink& link = g_serial_link;
  if (c == ' ' && !link.keep_spaces && !link.eia) return;
  if (c == '\r' && link.eia) return;
  out->push_back(static_cast<char>(tape_byte(c)));
}

// A space goes out with keep spaces or EIA on, or inside a comment begun by ' or *.
bool space_goes(const SendState& s) {
  return g_serial_link.keep_spaces || g_serial_link.eia || s.spaces_kept;
}

// A character inside a line (its first one is looked at before): a Bandit control loses the
// rest of the line after a comment character and every L word; a space goes out only where
// spaces are kept. True when the character goes out.
bool keeps_line_character(uint8_t c) {
  SendState& s = g_serial_link.send;
  if (is_bandit(g_serial_link.device_type)) {
    if (s.drop_l_digits && c >= '0' && c <= '9') return false;
    s.drop_l_digits = false;
    if (is_comment_start(c)) {
      s.drop_rest = true;
      return false;
    }
    if (c == 'L') {
      s.drop_l_digits = true;
      return false;
    }
  }
  if (c == ' ' && !space_goes(s)) return false;
  if (c == '\'' || c == '*') s.spaces_kept = true;
  if (c < 32) s.spaces_kept = false;
  return true;
}

// One byte of a file through the device filter.
void produce_file_byte(uint8_t c, std::string* out) {
  SerialLink& link = g_serial_link;
  SendState& s = link.send;
  if (link.device_type == DEVICE_COMPUTER) {
    out->push_back(static_cast<char>(c));
    return;
  }
  const bool bandit = is_bandit(link.device_type);
  if (c == '\r' || c == '\n') {
    if (s.drop_line || (s.swallow_lf && c == '\n')) {
      // The comment line goes with its line end; a CR ends it, and a LF after the CR goes too.
      s.swallow_lf = c == '\r';
      s.drop_line = false;
      s.line_start = true;
      return;
    }
    s.swallow_lf = false;
    s.line_start = true;
    s.drop_rest = false;
    s.drop_l_digits = false;
    s.spaces_kept = false;
    if (bandit && s.last_was_line_end) return;
    if (c == '\r' && link.eia) return;
    s.last_was_line_end = true;
    out->push_back(static_cast<char>(tape_byte(c)));
    return;
  }
  s.swallow_lf = false;
  if (s.drop_line || s.drop_rest) return;
  if (s.line_start) {
    s.line_start = false;
    if (is_comment_start(c)) {
      s.drop_line = true;
      return;
    }
  }
  if (!keeps_line_character(c)) return;
  s.last_was_line_end = false;
  out->push_back(static_cast<char>(tape_byte(c)));
}

// The next unit of the editor's text (a byte, or a glyph escape with its character) through the
// editor filter. Line ends in the text are '\n' (a CR right before one belongs to it).
void produce_editor_unit(std::string* out) {
  SerialLink& link = g_serial_link;
  SendState& s = link.send;
  const std::string& text = s.editor_text;
  const uint8_t c = static_cast<uint8_t>(text[s.editor_at++]);
  if (c == '\n' || (c == '\r' && s.editor_at < text.size() && text[s.editor_at] == '\n')) {
    if (c == '\r') ++s.editor_at;
    const bool dropped = s.drop_line;
    s.line_start = true;
    s.drop_line = false;
    s.drop_rest = false;
    s.drop_l_digits = false;
    s.spaces_kept = false;
    if (dropped) return;
    if (link.eia) {
      out->push_back(static_cast<char>(EIA_END_OF_BLOCK));
    } else {
      out->append("\r\n");
    }
    return;
  }
  if (s.drop_line) return;
  if (s.line_start) {
    s.line_start = false;
    if (is_comment_start(c)) {
      s.drop_line = true;
      return;
    }
  }
  if (s.drop_rest) return;
  if (c == GLYPH_ESCAPE) {
    if (s.editor_at < text.size()) {
      const uint8_t glyph = static_cast<uint8_t>(text[s.editor_at++]);
      out->push_back(static_cast<char>(tape_byte(static_cast<uint8_t>(glyph - GLYPH_OFFSET))));
    }
    return;
  }
  if (c < 9) return;
  if (!keeps_line_character(c)) return;
  out->push_back(static_cast<char>(tape_byte(c)));
}

// Produces the next few bytes into `out`; false once everything has been produced (or the
// source failed: failure is set then).
bool produce(std::string* out) {
  SerialLink& link = g_serial_link;
  SendState& s = link.send;
  while (out->empty()) {
    switch (s.phase) {
      case SendPhase::START_STRING:
        if (s.string_at < s.start_string.size()) {
          produce_string_char(static_cast<uint8_t>(s.start_string[s.string_at++]), out);
          break;
        }
        s.phase = SendPhase::LEADER;
        break;
      case SendPhase::LEADER:
        if (s.leader_at < s.leader.size()) {
          const size_t n = std::min<size_t>(s.leader.size() - s.leader_at, WRITE_CHUNK);
          out->append(s.leader, s.leader_at, n);
          s.leader_at += n;
          break;
        }
        s.phase = SendPhase::SOURCE;
        break;
      case SendPhase::SOURCE:
        if (s.from_editor) {
          if (s.editor_at < s.editor_text.size()) {
            produce_editor_unit(out);
            break;
          }
        } else if (s.file != nullptr) {
          if (s.chunk_at < s.file_chunk.size()) {
            produce_file_byte(s.file_chunk[s.chunk_at++], out);
            break;
          }
          s.file_chunk.resize(FILE_CHUNK);
          const size_t got = std::fread(s.file_chunk.data(), 1, FILE_CHUNK, s.file);
          s.file_chunk.resize(got);
          s.chunk_at = 0;
          if (got > 0) break;
          const bool failed = std::ferror(s.file) != 0;
          std::fclose(s.file);
          s.file = nullptr;
          if (failed) {
            link.failure = "The file " + s.file_path + " could not be read to its end.";
            return false;
          }
        }
        s.phase = SendPhase::END_STRING;
        s.string_at = 0;
        break;
      case SendPhase::END_STRING:
        if (s.string_at < s.end_string.size()) {
          produce_string_char(static_cast<uint8_t>(s.end_string[s.string_at++]), out);
          break;
        }
        s.phase = SendPhase::TRAILER;
        break;
      case SendPhase::TRAILER:
        if (s.trailer_left > 0) {
          const int64_t n = std::min<int64_t>(s.trailer_left, WRITE_CHUNK);
          out->append(static_cast<size_t>(n), '\0');
          s.trailer_left -= n;
          break;
        }
        s.phase = SendPhase::DONE;
        break;
      case SendPhase::DONE: return false;
    }
  }
  return true;
}

// The first XON of a wait-for-XON send: read with XON/XOFF off (a held output is not lifted by a
// received XON), then XON/XOFF on again. True once it came.
bool first_xon_came() {
  SerialLink& link = g_serial_link;
  uint8_t bytes[64];
  for (;;) {
    const int n = serial_read(link.port, bytes, sizeof bytes);
    if (n <= 0) return false;
    if (std::memchr(bytes, XON_BYTE, static_cast<size_t>(n)) != nullptr) {
      serial_set_output_flow(link.port, true);
      return true;
    }
  }
}

std::string port_lost_text() {
  const SerialLink& link = g_serial_link;
  return "The port COM" + std::to_string(link.port_number) + " (" + link.device +
         ") failed after " + std::to_string(link.bytes_sent) + " bytes were sent.";
}

// Twice what the line carries in a tick, so that the queue never runs dry between two ticks.
int tick_byte_budget(uint32_t baud) {
  constexpr int LEAST = 64;
  constexpr int MOST = 8192;
  const int64_t per_tick = static_cast<int64_t>(baud) / 10 * TICK_MS / 1000 * 2;
  return static_cast<int>(std::clamp<int64_t>(per_tick, LEAST, MOST));
}

bool is_line_end_byte(uint8_t c) {
  return g_serial_link.eia ? c == EIA_END_OF_BLOCK : c == '\n';
}

}  // namespace

// ---- Sending --------------------------------------------------------------------------------------

int64_t count_send_bytes(TextLine* from, TextLine* to) {
  int64_t count = 0;
  walk_send_lines(
      from, to,
      [&](const std::string& text) {
        count += static_cast<int64_t>(text.size());
        if (!text.empty() && text.back() == '\n') ++count;
        return true;
      },
      [&](int64_t, int64_t bytes) {
        count += bytes;
        return true;
      });
  return count;
}

int begin_send(const SendRequest& request) {
  SerialLink& link = g_serial_link;
  link.failure.clear();
  link.open_failure.clear();
  if (request.protocol == nullptr) return -1;
  const CommProtocol& protocol = *request.protocol;
  SendState s;
  if (request.from != nullptr) {
    s.from_editor = true;
    const bool whole = walk_send_lines(
        request.from, request.to,
        [&](const std::string& text) {
          s.editor_text += text;
          return true;
        },
        [&](int64_t offset, int64_t bytes) {
          return read_unread_text(request.unread_file, offset, bytes, &s.editor_text);
        });
    if (!whole) {
      link.failure = "Part of the program is not loaded, and it could not be read from " +
                     (request.unread_file.empty() ? std::string("its file")
                                                  : request.unread_file) +
                     ". Nothing was sent.";
      return -1;
    }
    link.estimate = count_send_bytes(request.from, request.to);
    link.send_name = EDITOR_SOURCE_NAME;
  } else {
    s.file = std::fopen(request.file_path.c_str(), "rb");
    if (s.file == nullptr) {
      link.failure = "The file " + request.file_path + " could not be opened: " +
                     std::strerror(errno) + ".";
      return -1;
    }
    s.file_path = request.file_path;
    link.estimate = std::max<int64_t>(file_size(request.file_path), 0);
    link.send_name = request.file_path;
  }
  if (open_serial_port(protocol.port_index + 1, protocol.baud_index, protocol.parity,
                       protocol.data_bits_code, protocol.stop_bits, protocol.handshake) != 0) {
    if (s.file != nullptr) std::fclose(s.file);
    return -1;
  }
  link.device_type = protocol.device_type;
  link.char_delay_ms = static_cast<uint8_t>(protocol.char_delay_ms & 0xFF);
  link.eia = protocol.eia_code != 0;
  link.keep_spaces = protocol.keep_spaces != 0;
  link.cts_mode = protocol.handshake == HANDSHAKE_HARDWARE;
  link.wait_for_xon = protocol.handshake == HANDSHAKE_WAIT_FOR_XON;
  link.cts_hold = false;
  link.xoff_hold = false;
  link.protocol_name = request.protocol_name;
  link.folder_send = request.folder_send;
  link.bytes_sent = 0;
  s.start_string = expand_caret_escapes(protocol.start_string);
  s.end_string = expand_caret_escapes(protocol.end_string);
  s.trailer_left = leader_length(protocol.end_string);
  if (has_man_readable(protocol.start_string) != 0)
    s.leader = man_readable_leader(g_man_read, request.leader_text);
  s.phase = SendPhase::START_STRING;
  // Nothing goes out before the device's first XON: its XON and XOFF are read by the program
  // until then.
  s.got_first_xon = !link.wait_for_xon;
  if (link.wait_for_xon) serial_set_output_flow(link.port, false);
  link.send = std::move(s);
  link.send_active = true;
  return 0;
}

SendStep send_some(int most, uint32_t now_ms) {
  SerialLink& link = g_serial_link;
  SendState& s = link.send;
  if (link.port == SERIAL_NO_PORT) {
    link.failure = port_lost_text();
    return SendStep::FAILED;
  }
  if (!s.got_first_xon) {
    s.got_first_xon = first_xon_came();
    link.xoff_hold = !s.got_first_xon;
    if (!s.got_first_xon) return SendStep::HELD;
  }
  if (s.delay_running) {
    if (static_cast<int32_t>(now_ms - s.next_due_ms) < 0) return SendStep::PAUSED;
    s.delay_running = false;
  }
  int written = 0;
  while (written < most) {
    if (s.pending_at == s.pending.size()) {
      s.pending.clear();
      s.pending_at = 0;
      if (s.producer_done) break;
      // With a character delay each byte goes alone, so that the pause follows it.
      const size_t chunk = link.char_delay_ms > 0 ? 1 : static_cast<size_t>(WRITE_CHUNK);
      while (s.pending.size() < chunk) {
        std::string produced;
        if (!produce(&produced)) {
          if (!link.failure.empty()) return SendStep::FAILED;
          s.producer_done = true;
          break;
        }
        s.pending += produced;
      }
      if (s.pending.empty()) break;
    }
    if (link.cts_mode) {
      const int status = serial_modem_status(link.port);
      link.cts_hold = status >= 0 && (status & SERIAL_CTS) == 0;
      if (link.cts_hold) return written > 0 ? SendStep::WROTE : SendStep::HELD;
    }
    const size_t want = link.char_delay_ms > 0 ? 1 : s.pending.size() - s.pending_at;
    const int n = serial_write(link.port,
                               reinterpret_cast<const uint8_t*>(s.pending.data()) + s.pending_at,
                               static_cast<int>(want));
    if (n < 0) {
      link.failure = port_lost_text();
      return SendStep::FAILED;
    }
    link.xoff_hold = n == 0;
    if (n == 0) return written > 0 ? SendStep::WROTE : SendStep::HELD;
    s.pending_at += static_cast<size_t>(n);
    written += n;
    link.bytes_sent += n;
    if (link.char_delay_ms > 0) {
      const uint8_t last = static_cast<uint8_t>(s.pending[s.pending_at - 1]);
      const uint32_t pause =
          link.char_delay_ms * (is_line_end_byte(last) ? LINE_END_DELAY_FACTOR : 1);
      s.next_due_ms = now_ms + pause;
      s.delay_running = true;
      return SendStep::PAUSED;
    }
    if (serial_output_queued(link.port) >= SEND_QUEUE_LIMIT) return SendStep::WROTE;
  }
  if (s.producer_done && s.pending_at == s.pending.size()) {
    return serial_output_queued(link.port) > 0 ? SendStep::DRAINING : SendStep::DONE;
  }
  return SendStep::WROTE;
}

int wait_for_port(int timeout_ms) {
  const SerialLink& link = g_serial_link;
  if (link.port == SERIAL_NO_PORT) return -1;
  int events = 0;
  if (!link.send.got_first_xon) events = SERIAL_READABLE;
  else if (link.xoff_hold && !link.cts_hold) events = SERIAL_WRITABLE;
  return (serial_wait(link.port, events, timeout_ms) & SERIAL_GONE) != 0 ? -1 : 0;
}

void end_send(bool completed) {
  SerialLink& link = g_serial_link;
  if (link.send.file != nullptr) std::fclose(link.send.file);
  link.send.file = nullptr;
  link.send.editor_text.clear();
  link.send.editor_text.shrink_to_fit();
  close_serial_port(false, !completed);
  link.last_bytes_sent = link.bytes_sent;
  link.last_sent_file = link.send_name;
  link.send.phase = SendPhase::DONE;
  link.cts_hold = false;
  link.xoff_hold = false;
}

int serial_send_tick() {
  SerialLink& link = g_serial_link;
  if (!link.send_active) return 1;
  if (link.sender_running || link.tick_busy) return 0;
  link.tick_busy = true;
  int result = 0;
  const int queued = serial_output_queued(link.port);
  if (queued < SEND_TICK_QUEUE_LOW) {
    const SendStep step = send_some(tick_byte_budget(link.baud), clock_now_ms());
    if (step == SendStep::DONE || step == SendStep::FAILED) {
      const bool done = step == SendStep::DONE;
      end_send(done);
      if (!link.status_shown) {
        serial_host_transfer_ended(done ? "Finished transmitting " + link.last_sent_file + " (" +
                                              std::to_string(link.last_bytes_sent) + " bytes)."
                                        : link.failure);
      }
      result = 1;
    }
  }
  link.tick_busy = false;
  return result;
}
