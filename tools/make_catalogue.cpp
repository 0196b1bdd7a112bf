// Makes the message catalogue files KR_MENUs.KR5 and KR_MENUm.KR5 from their readable sources
// (data/messages.txt and data/messages_metric.txt; the source syntax is described at the top of
// data/messages.txt). The files hold "~N" header lines and cp1252 text lines with the in-band
// codes as raw bytes, every line ending in CR LF. The metric file is the main file with each
// message of the metric source put in place of the message of the same number.
//
// Usage: make_catalogue SOURCE METRIC_SOURCE OUTPUT METRIC_OUTPUT
// Each output is written beside its final name and renamed into place only when complete; any
// fault in a source is reported as FILE:LINE: what, and nothing is written.

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "platform/cp1252.h"

namespace {

constexpr int MAX_MESSAGES = 999;  // the program indexes no more

struct Message {
  int number = 0;
  std::vector<std::string> lines;  // cp1252 bytes, no line ends
  std::vector<bool> blank;         // the source line was blank (dropped at the message's end)
  int source_line = 0;             // line of the header in its source
};

struct Source {
  std::string path;
  std::vector<Message> messages;  // in source order
};

struct ParseError {
  std::string text;
};

[[noreturn]] void fail(const std::string& path, int line, const std::string& what) {
  throw ParseError{path + ":" + std::to_string(line) + ": " + what};
}

int hex_value(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Decodes one UTF-8 character at text[i]; returns its length, 0 when malformed.
size_t decode_utf8(const std::string& text, size_t i, uint32_t* code_point) {
  unsigned char c = static_cast<unsigned char>(text[i]);
  size_t length = c < 0x80 ? 1 : (c >> 5) == 0x6 ? 2 : (c >> 4) == 0xE ? 3 : (c >> 3) == 0x1E ? 4 : 0;
  if (length == 0 || i + length > text.size()) return 0;
  uint32_t value = length == 1 ? c : c & (0x7F >> length);
  for (size_t k = 1; k < length; ++k) {
    unsigned char next = static_cast<unsigned char>(text[i + k]);
    if ((next & 0xC0) != 0x80) return 0;
    value = (value << 6) | (next & 0x3F);
  }
  *code_point = value;
  return length;
}

// A source text line (UTF-8 with escapes) as cp1252 bytes.
std::string convert_line(const std::string& text, const std::string& path, int line_number) {
  std::string out;
  for (size_t i = 0; i < text.size();) {
    char c = text[i];
    if (c == '\\') {
      if (i + 1 >= text.size()) fail(path, line_number, "a backslash ends the line (write \\\\)");
      char e = text[i + 1];
      i += 2;
      switch (e) {
        case 'v': out += '\x0b'; break;
        case 'f': out += '\x0c'; break;
        case 'b': out += '\x08'; break;
        case 't': out += '\t'; break;
        case '\\': out += '\\'; break;
        case '#': out += '#'; break;
        case '_': break;
        case 'x': {
          int high = i + 1 < text.size() ? hex_value(text[i]) : -1;
          int low = high >= 0 ? hex_value(text[i + 1]) : -1;
          if (low < 0) fail(path, line_number, "\\x needs two hex digits");
          out += static_cast<char>(high * 16 + low);
          i += 2;
          break;
        }
        default:
          fail(path, line_number, std::string("unknown escape \\") + e);
      }
      continue;
    }
    uint32_t code_point = 0;
    size_t length = decode_utf8(text, i, &code_point);
    if (length == 0) fail(path, line_number, "malformed UTF-8");
    uint8_t byte = 0;
    if (code_point < 0x20 && code_point != '\t') {
      fail(path, line_number, "a raw control character (write it as \\xNN)");
    }
    if (!cp1252_from_code_point(code_point, &byte)) {
      fail(path, line_number, "a character cp1252 cannot hold: " + text.substr(i, length));
    }
    out += static_cast<char>(byte);
    i += length;
  }
  for (char b : out) {
    if (b == 0 || b == '\n' || b == '\r') {
      fail(path, line_number, "bytes 00, 0A and 0D cannot stand in a catalogue line");
    }
  }
  if (!out.empty() && out[0] == '~') fail(path, line_number, "a text line may not start with '~'");
  return out;
}

void strip_trailing_blanks(std::string* text) {
  while (!text->empty() && (text->back() == ' ' || text->back() == '\t' || text->back() == '\r')) {
    text->pop_back();
  }
}

int parse_header(const std::string& text, const std::string& path, int line_number) {
  std::string digits = text.substr(1);
  strip_trailing_blanks(&digits);
  size_t i = (!digits.empty() && digits[0] == '-') ? 1 : 0;
  if (i == digits.size() || digits.size() > i + 6) fail(path, line_number, "bad header: " + text);
  for (size_t k = i; k < digits.size(); ++k) {
    if (digits[k] < '0' || digits[k] > '9') fail(path, line_number, "bad header: " + text);
  }
  long value = std::stol(digits);
  if (value < INT16_MIN || value > INT16_MAX) {
    fail(path, line_number, "message number does not fit 16 bits: " + digits);
  }
  if (value == 0) fail(path, line_number, "message number 0 is never found");
  return static_cast<int>(value);
}

void drop_trailing_blank_lines(Message* message) {
  while (!message->lines.empty() && message->blank.back()) {
    message->lines.pop_back();
    message->blank.pop_back();
  }
}

Source parse_source(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw ParseError{path + ": cannot be read"};
  Source source{path, {}};
  std::map<int, int> seen;  // number -> header line
  std::string text;
  int line_number = 0;
  Message* current = nullptr;
  while (std::getline(in, text)) {
    ++line_number;
    strip_trailing_blanks(&text);
    if (!text.empty() && text[0] == '#') continue;
    if (!text.empty() && text[0] == '~') {
      if (current != nullptr) drop_trailing_blank_lines(current);
      int number = parse_header(text, path, line_number);
      auto [it, added] = seen.emplace(number, line_number);
      if (!added) {
        fail(path, line_number,
             "message " + std::to_string(number) + " also at line " + std::to_string(it->second));
      }
      source.messages.push_back(Message{number, {}, {}, line_number});
      current = &source.messages.back();
      continue;
    }
    if (current == nullptr) {
      if (text.empty()) continue;
      fail(path, line_number, "text before the first message header");
    }
    current->lines.push_back(convert_line(text, path, line_number));
    current->blank.push_back(text.empty());
  }
  if (current != nullptr) drop_trailing_blank_lines(current);
  return source;
}

// The main messages with the metric ones put in place.
std::vector<Message> lay_over(const Source& main, const Source& metric) {
  std::vector<Message> out = main.messages;
  for (const Message& m : metric.messages) {
    bool found = false;
    for (Message& o : out) {
      if (o.number != m.number) continue;
      o.lines = m.lines;
      found = true;
    }
    if (!found) {
      fail(metric.path, m.source_line,
           "message " + std::to_string(m.number) + " is not in " + main.path);
    }
  }
  return out;
}

std::string catalogue_bytes(const std::vector<Message>& messages) {
  std::string out;
  for (const Message& m : messages) {
    out += "~" + std::to_string(m.number) + "\r\n";
    for (const std::string& line : m.lines) out += line + "\r\n";
  }
  return out;
}

bool write_file(const std::string& path, const std::string& bytes) {
  std::string part = path + ".part";
  {
    std::ofstream out(part, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.flush();
    if (!out) {
      std::fprintf(stderr, "make_catalogue: cannot write %s\n", part.c_str());
      return false;
    }
  }
  std::error_code error;
  std::filesystem::rename(part, path, error);
  if (error) {
    std::fprintf(stderr, "make_catalogue: cannot rename %s: %s\n", part.c_str(),
                 error.message().c_str());
    return false;
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 5) {
    std::fprintf(stderr, "usage: make_catalogue SOURCE METRIC_SOURCE OUTPUT METRIC_OUTPUT\n");
    return 2;
  }
  try {
    Source main = parse_source(argv[1]);
    Source metric = parse_source(argv[2]);
    if (main.messages.size() > static_cast<size_t>(MAX_MESSAGES)) {
      throw ParseError{std::string(argv[1]) + ": " + std::to_string(main.messages.size()) +
                       " messages; the program indexes at most 999"};
    }
    std::vector<Message> metric_messages = lay_over(main, metric);
    if (!write_file(argv[3], catalogue_bytes(main.messages))) return 1;
    if (!write_file(argv[4], catalogue_bytes(metric_messages))) return 1;
  } catch (const ParseError& e) {
    std::fprintf(stderr, "%s\n", e.text.c_str());
    return 1;
  }
  return 0;
}
