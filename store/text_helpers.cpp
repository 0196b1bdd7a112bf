#include "store/text_helpers.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

constexpr char ELLIPSIS[] = "\x97\x08'\x97";  // three glyphs in four bytes
constexpr int ELLIPSIS_BYTES = 4;
constexpr int ELLIPSIS_COLUMNS = 3;
constexpr int ABBREVIATED_HEAD = 2;
constexpr int ABBREVIATED_MIN_WIDTH = ABBREVIATED_HEAD + ELLIPSIS_COLUMNS;
constexpr size_t EXTENSION_MOST = 4;  // a dot and up to three characters
constexpr uint32_t WILDCARD_FLAGS = 0x100;
constexpr uint32_t PATH_FLAGS = 0x48;
constexpr int MONTH_COUNT = 12;

bool is_blank(char c) { return c == ' '; }

}  // namespace

// ---- Paths --------------------------------------------------------------------------------------

void add_trailing_backslash(std::string* text) {
  if (text->empty()) return;
  while (text->size() > 1 && text->back() == '/' && (*text)[text->size() - 2] == '/')
    text->pop_back();
  if (text->back() != '/') text->push_back('/');
}

void split_path(std::string_view path, std::string* folder, std::string* name) {
  const size_t slash = path.rfind('/');
  if (slash == std::string_view::npos) {
    folder->clear();
    name->assign(path);
    return;
  }
  folder->assign(path.substr(0, slash + 1));
  name->assign(path.substr(slash + 1));
  add_trailing_backslash(folder);
}

void split_extension(std::string_view name, std::string* base, std::string* extension) {
  base->assign(name);
  extension->clear();
  const size_t dot = name.rfind('.');
  if (dot == std::string_view::npos || name.size() - dot > EXTENSION_MOST) return;
  extension->assign(name.substr(dot + 1));
  base->resize(dot);
}

void change_extension(std::string* path, const char* extension) {
  const size_t slash = path->rfind('/');
  const size_t element = slash == std::string::npos ? 0 : slash + 1;
  const size_t dot = path->rfind('.');
  const bool has_extension =
      dot != std::string::npos && dot >= element && path->size() - dot <= EXTENSION_MOST;
  if (has_extension) path->resize(extension != nullptr ? dot + 1 : dot);
  if (extension == nullptr) return;
  if (!has_extension) path->push_back('.');
  path->append(extension);
}

std::string abbreviate_path(const char* path, int width) {
  if (path == nullptr || width <= 0) return "";
  const std::string_view p(path);
  const size_t w = static_cast<size_t>(width);
  if (p.size() <= w) return std::string(p);
  // Too narrow for the head and the ellipsis: the path's end, as much as fits.
  if (width < ABBREVIATED_MIN_WIDTH) return std::string(p.substr(p.size() - w));
  std::string out(p.substr(0, ABBREVIATED_HEAD));
  out.append(ELLIPSIS, ELLIPSIS_BYTES);
  out.append(p.substr(p.size() - (w - ABBREVIATED_MIN_WIDTH)));
  return out;
}

// ---- Dates --------------------------------------------------------------------------------------

std::string format_dos_date_time(uint16_t date, uint16_t time, bool digits,
                                 const std::vector<std::string>& month_names) {
  const int day = date & 0x1F;
  const int month = (date >> 5) & 0x0F;
  const int year = (date >> 9) + 1980;
  const int seconds = (time & 0x1F) * 2;
  const int minutes = (time >> 5) & 0x3F;
  const int hours = (time >> 11) & 0x1F;
  char out[64];
  if (digits) {
    const int hour12 = hours == 0 ? 12 : (hours > 12 ? hours - 12 : hours);
    std::snprintf(out, sizeof out, "%4d-%2d-%2d  %2d:%02d:%02d%c ", year, month, day, hour12,
                  minutes, seconds, hours < 12 ? 'a' : 'p');
  } else {
    const bool named = month >= 1 && month <= MONTH_COUNT &&
                       static_cast<size_t>(month) < month_names.size();
    const std::string name = named ? month_names[static_cast<size_t>(month)] : "???";
    std::snprintf(out, sizeof out, "%4d %s %2d  %2d:%02d:%02d ", year, name.c_str(), day, hours,
                  minutes, seconds);
  }
  return out;
}

// ---- Numbers ------------------------------------------------------------------------------------

const char* parse_float_advance(const char* text, float* value) {
  while (is_blank(*text)) ++text;
  *value = std::strtof(text, nullptr);
  if (*text == '-') ++text;
  while (*text >= '.' && *text <= '9' && *text != '/') ++text;
  if (*text == ',') ++text;
  return text;
}

std::string format_thousands(int64_t value) {
  const bool negative = value < 0;
  // The magnitude as unsigned, so that the most negative value has one too.
  uint64_t magnitude = negative ? 0 - static_cast<uint64_t>(value) : static_cast<uint64_t>(value);
  std::string reversed;
  int digits = 0;
  do {
    if (digits > 0 && digits % 3 == 0) reversed.push_back(',');
    reversed.push_back(static_cast<char>('0' + magnitude % 10));
    magnitude /= 10;
    ++digits;
  } while (magnitude != 0);
  if (negative) reversed.push_back('-');
  return std::string(reversed.rbegin(), reversed.rend());
}

// ---- Text ---------------------------------------------------------------------------------------

std::string expand_caret_escapes(std::string_view source) {
  std::string out;
  out.reserve(source.size());
  for (size_t i = 0; i < source.size(); ++i) {
    const char c = source[i];
    if (c != '^' || i + 1 == source.size()) {
      out.push_back(c);
      continue;
    }
    const char next = source[++i];
    if (next >= 'A' && next <= '_') {
      out.push_back(static_cast<char>(next & 0x1F));
    } else {
      out.push_back('^');
      out.push_back(next);
    }
  }
  return out;
}

void upper_case_n(char* text, int n) {
  for (int i = 0; (n < 0 || i < n) && text[i] != '\0'; ++i)
    if (text[i] >= 'a' && text[i] <= 'z') text[i] = static_cast<char>(text[i] - 'a' + 'A');
}

void lower_case_n(char* text, int n) {
  for (int i = 0; (n < 0 || i < n) && text[i] != '\0'; ++i)
    if (text[i] >= 'A' && text[i] <= 'Z') text[i] = static_cast<char>(text[i] - 'A' + 'a');
}

void capitalise_words_n(char* text, int n, const char* delimiters) {
  const auto is_delimiter = [delimiters](char c) {
    return delimiters != nullptr && c != '\0' && std::strchr(delimiters, c) != nullptr;
  };
  bool in_word = false;
  for (int i = 0; (n < 0 || i < n) && text[i] != '\0'; ++i) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    if (c < '!' || c > 'z' || is_delimiter(text[i])) {
      in_word = false;
      continue;
    }
    if (!in_word && c >= 'a' && c <= 'z') text[i] = static_cast<char>(c - 'a' + 'A');
    in_word = true;
  }
}

// ---- Bitmaps ------------------------------------------------------------------------------------

int first_clear_bit(const uint8_t* bitmap, int limit) {
  for (int byte = 0; byte * 8 < limit; ++byte) {
    if (bitmap[byte] == 0xFF) continue;
    for (int bit = 0; bit < 8; ++bit) {
      const int n = byte * 8 + bit;
      if (n >= limit) return limit;
      if ((bitmap[byte] & (1u << bit)) == 0) return n;
    }
  }
  return limit;
}

int set_bit(uint8_t* bitmap, int n) {
  const uint8_t mask = static_cast<uint8_t>(1u << (n % 8));
  const int old = bitmap[n / 8] & mask;
  bitmap[n / 8] |= mask;
  return old;
}

int clear_bit(uint8_t* bitmap, int n) {
  const uint8_t mask = static_cast<uint8_t>(1u << (n % 8));
  const int old = bitmap[n / 8] & mask;
  bitmap[n / 8] &= static_cast<uint8_t>(~mask);
  return old;
}

// ---- Names and blanks ---------------------------------------------------------------------------

bool is_bad_name_char(unsigned char c, uint32_t flags) {
  if (c < ' ') return true;
  switch (c) {
    case '*':
    case '?':
      return (flags & WILDCARD_FLAGS) == 0;
    case '/':
    case '\\':
    case ':':
      return flags != PATH_FLAGS;
    case '|':
    case '<':
    case '>':
    case '"':
      return true;
    default:
      return false;
  }
}

int strip_bad_name_chars(std::string* text, uint32_t flags) {
  std::string kept;
  kept.reserve(text->size());
  int removed = 0;
  for (size_t i = 0; i < text->size(); ++i) {
    const unsigned char c = static_cast<unsigned char>((*text)[i]);
    if (c == 0x08 && i + 1 < text->size()) {  // a glyph escape and its character
      removed += 2;
      ++i;
    } else if (is_bad_name_char(c, flags)) {
      ++removed;
    } else {
      kept.push_back(static_cast<char>(c));
    }
  }
  *text = std::move(kept);
  return removed;
}

void dash_wildcards(std::string* text) {
  for (char& c : *text)
    if (c == '*' || c == '?') c = '-';
  while (!text->empty() && text->back() == '-') text->pop_back();
}

std::string trim_blanks(std::string_view text) {
  size_t from = 0;
  while (from < text.size() && is_blank(text[from])) ++from;
  size_t to = text.size();
  while (to > from && is_blank(text[to - 1])) --to;
  return std::string(text.substr(from, to - from));
}

void cut_trailing_blanks(std::string* text) {
  const bool newline = !text->empty() && text->back() == '\n';
  if (newline) text->pop_back();
  while (!text->empty() && is_blank(text->back())) text->pop_back();
  if (newline) text->push_back('\n');
}

std::string terminal_text(const char* text) {
  std::string plain;
  for (const char* c = text; *c != '\0'; ++c)
    if (static_cast<unsigned char>(*c) >= 32 || *c == '\n') plain += *c;
  return plain;
}
