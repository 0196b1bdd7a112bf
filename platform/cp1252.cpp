#include "platform/cp1252.h"

namespace {

// Code points of bytes 0x80-0x9F; the rest of cp1252 is Latin-1.
constexpr uint16_t CP1252_HIGH_CONTROLS[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

void append_utf8(std::string* out, uint32_t cp) {
  if (cp < 0x80) {
    out->push_back(static_cast<char>(cp));
  } else if (cp < 0x800) {
    out->push_back(static_cast<char>(0xC0 | (cp >> 6)));
    out->push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else {
    out->push_back(static_cast<char>(0xE0 | (cp >> 12)));
    out->push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  }
}

// Decodes one UTF-8 sequence at text[*pos]; advances *pos. Returns false for a malformed
// sequence (stray continuation, truncation, overlong form, surrogate, beyond U+10FFFF),
// of which exactly one byte is consumed.
bool next_code_point(std::string_view text, size_t* pos, uint32_t* cp) {
  const uint8_t lead = static_cast<uint8_t>(text[*pos]);
  int extra = 0;
  uint32_t value = 0;
  uint32_t minimum = 0;
  if (lead < 0x80) {
    *cp = lead;
    *pos += 1;
    return true;
  } else if ((lead & 0xE0) == 0xC0) {
    extra = 1, value = lead & 0x1F, minimum = 0x80;
  } else if ((lead & 0xF0) == 0xE0) {
    extra = 2, value = lead & 0x0F, minimum = 0x800;
  } else if ((lead & 0xF8) == 0xF0) {
    extra = 3, value = lead & 0x07, minimum = 0x10000;
  } else {
    *pos += 1;
    return false;
  }
  if (*pos + extra >= text.size()) {
    *pos += 1;
    return false;
  }
  for (int i = 1; i <= extra; ++i) {
    const uint8_t byte = static_cast<uint8_t>(text[*pos + i]);
    if ((byte & 0xC0) != 0x80) {
      *pos += 1;
      return false;
    }
    value = (value << 6) | (byte & 0x3F);
  }
  if (value < minimum || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) {
    *pos += 1;
    return false;
  }
  *pos += 1 + extra;
  *cp = value;
  return true;
}

}  // namespace

uint32_t cp1252_to_code_point(uint8_t byte) {
  if (byte >= 0x80 && byte < 0xA0) return CP1252_HIGH_CONTROLS[byte - 0x80];
  return byte;
}

bool cp1252_from_code_point(uint32_t code_point, uint8_t* byte) {
  if (code_point < 0x80 || (code_point >= 0xA0 && code_point <= 0xFF)) {
    *byte = static_cast<uint8_t>(code_point);
    return true;
  }
  for (int i = 0; i < 32; ++i) {
    if (CP1252_HIGH_CONTROLS[i] == code_point) {
      *byte = static_cast<uint8_t>(0x80 + i);
      return true;
    }
  }
  return false;
}

std::string cp1252_to_utf8(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) append_utf8(&out, cp1252_to_code_point(static_cast<uint8_t>(c)));
  return out;
}

std::string cp1252_from_utf8(std::string_view utf8, char replacement) {
  std::string out;
  out.reserve(utf8.size());
  size_t pos = 0;
  while (pos < utf8.size()) {
    uint32_t cp = 0;
    uint8_t byte = 0;
    if (next_code_point(utf8, &pos, &cp) && cp1252_from_code_point(cp, &byte)) {
      out.push_back(static_cast<char>(byte));
    } else if (replacement != 0) {
      out.push_back(replacement);
    }
  }
  return out;
}

std::string clipboard_text_to_utf8(std::string_view text) {
  std::string lf;
  lf.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
    lf.push_back(text[i]);
  }
  return cp1252_to_utf8(lf);
}

std::string clipboard_text_from_utf8(std::string_view utf8) {
  const std::string text = cp1252_from_utf8(utf8, '?');
  std::string out;
  out.reserve(text.size() + text.size() / 16);
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) out.push_back('\r');
    out.push_back(text[i]);
  }
  return out;
}
