#include "store/text_wrap.h"

#include <cstring>

#include "store/line_list.h"

TextWrapState g_text_wrap;

namespace {

bool is_pair_code(unsigned char c) { return c >= 1 && c <= 7; }
bool is_colour_code(unsigned char c) { return c == 0x0B || c == 0x0C || c == 0x0E || c == 0x13; }

// The paragraph being wrapped.
struct Paragraph {
  uint8_t kind = LINE_KIND_PARAGRAPH;  // kind of its first line
  int indent = 0;                      // cells
  int hanging = 0;                     // cells, for every line
  int label = 0;                       // further cells for the later lines (FS paragraphs)
  int16_t value = 0;                   // ESC value
};

int indent_char(unsigned char c) { return c >= TEXT_INDENT_CHAR_BASE ? c - TEXT_INDENT_CHAR_BASE : 0; }

// Reads the two indent characters at p (as many as there are); returns the bytes read.
int read_indents(const char* p, Paragraph* paragraph) {
  int n = 0;
  if (p[n] != 0) paragraph->indent = indent_char(static_cast<unsigned char>(p[n++]));
  if (p[n] != 0) paragraph->hanging = indent_char(static_cast<unsigned char>(p[n++]));
  return n;
}

int hex_digit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// Reads the escapes that open a paragraph; returns the bytes they take.
int read_paragraph_escapes(const char* text, Paragraph* paragraph) {
  *paragraph = Paragraph{};
  int n = 0;
  if (text[n] == TEXT_ESCAPE_VALUE) {
    ++n;
    int value = 0;
    for (int i = 0; i < 4 && hex_digit(text[n]) >= 0; ++i) value = value * 16 + hex_digit(text[n++]);
    paragraph->value = static_cast<int16_t>(value);
    if (value < 32) {
      paragraph->kind = LINE_KIND_PARAGRAPH | LINE_KIND_INDENTED;
      n += read_indents(text + n, paragraph);
    }
  }
  if (text[n] == TEXT_ESCAPE_INDENT) {
    paragraph->kind = LINE_KIND_PARAGRAPH | LINE_KIND_CENTRED;
    n += 1 + read_indents(text + n + 1, paragraph);
  } else if (text[n] == TEXT_ESCAPE_LABEL_INDENT) {
    paragraph->kind = LINE_KIND_PARAGRAPH | LINE_KIND_INDENTED;
    n += 1 + read_indents(text + n + 1, paragraph);
    paragraph->label = leading_label_width(text + n);
  }
  return n;
}

// Continues the paragraph of a list line that ended without a line feed.
Paragraph paragraph_of_line(const TextLine* line) {
  Paragraph paragraph;
  paragraph.kind = line->kind;
  paragraph.indent = line->attributes[WRAP_ATTR_INDENT];
  paragraph.hanging = line->attributes[WRAP_ATTR_HANGING_INDENT];
  paragraph.value = static_cast<int16_t>(line->attributes[WRAP_ATTR_VALUE] |
                                         (line->attributes[WRAP_ATTR_VALUE + 1] << 8));
  return paragraph;
}

TextLine* append_wrapped_line(const std::string& piece, uint8_t kind, int indent, int hanging,
                              int16_t value, int32_t key) {
  TextLine* line = append_line(piece.c_str());
  if (line == nullptr) return nullptr;
  line->kind = kind;
  line->attributes[WRAP_ATTR_VALUE] = static_cast<uint8_t>(value & 0xFF);
  line->attributes[WRAP_ATTR_VALUE + 1] = static_cast<uint8_t>((value >> 8) & 0xFF);
  line->attributes[WRAP_ATTR_INDENT] = static_cast<uint8_t>(indent);
  line->attributes[WRAP_ATTR_HANGING_INDENT] = static_cast<uint8_t>(hanging);
  set_line_key(line, key);
  return line;
}

// Where the line that starts at `text` ends (the piece's length) for `width` columns, and
// whether it ends its paragraph.
int next_break(const char* text, int width, bool* ends_paragraph) {
  *ends_paragraph = false;
  int stop = split_line_at_width(text, width, nullptr);
  if (text[stop] == 0) return stop;
  int cut = stop;
  if (text[cut] != '\n') {
    int word = break_back_to_word(text, stop, 0);
    if (word > 0) cut = word;
  }
  if (text[cut] == '\n') {
    *ends_paragraph = true;
    return cut + 1;
  }
  // Never part a code from the byte it works on.
  if (cut > 1 && static_cast<unsigned char>(text[cut - 1]) >= 1 &&
      static_cast<unsigned char>(text[cut - 1]) <= 8) {
    --cut;
  }
  return cut;
}

}  // namespace

int display_length(const char* text) {
  int count = 0;
  for (const unsigned char* p = reinterpret_cast<const unsigned char*>(text); *p != 0 && *p != '\n';) {
    unsigned char c = *p++;
    if (c >= 32) {
      ++count;
    } else if (is_pair_code(c)) {
      if (*p != 0) ++p;
    } else if (c == 0x08) {
      ++count;
      if (*p != 0) ++p;
    }
  }
  return count;
}

int split_line_at_width(const char* text, int width, int* columns) {
  const unsigned char* t = reinterpret_cast<const unsigned char*>(text);
  int tab = g_text_wrap.tab_width > 0 ? g_text_wrap.tab_width : 1;
  int pos = 0;
  int count = 0;
  while (t[pos] != 0 && t[pos] != '\n' && count < width) {
    unsigned char c = t[pos++];
    if (c >= 32) {
      ++count;
    } else if (c == '\t') {
      count = (count / tab + 1) * tab;
    } else if (is_pair_code(c) && t[pos] != 0) {
      ++pos;
    }
  }
  if (t[pos] == ' ' && t[pos + 1] != ' ') ++pos;
  // Codes that draw nothing go with the line; a glyph escape draws and starts the next one.
  while (t[pos] != 0 && t[pos] < 32 && t[pos] != '\t' && t[pos] != '\n' && t[pos] != 0x08) {
    unsigned char c = t[pos++];
    if (is_pair_code(c) && t[pos] != 0) ++pos;
  }
  if (columns != nullptr) *columns = count;
  return pos;
}

int break_back_to_word(const char* text, int position, int start) {
  for (int p = position; p > start; --p) {
    char c = text[p];
    if (c == ' ') return text[p - 1] == ' ' ? p : p + 1;
    if (c == '\n' || c == '\t') return p;
  }
  return start;
}

int leading_label_width(const char* text) {
  static const char NOT_IN_LABEL[] = "!@%*+={};~|)";
  const unsigned char* p = reinterpret_cast<const unsigned char*>(text);
  while (*p == ' ') ++p;
  int count = 0;
  unsigned char before = 0;
  for (; *p != 0 && *p != '\n'; ++p) {
    unsigned char c = *p;
    if ((c == ':' || c == ')') && count > 0 && before != ' ' &&
        (p[1] == ' ' || is_colour_code(p[1]))) {
      return count + 2;
    }
    if (c >= 32 && std::strchr(NOT_IN_LABEL, c) != nullptr) return 0;
    if (is_pair_code(c) || c == 0x08) {
      if (c == 0x08) ++count;
      if (p[1] != 0) ++p;
      before = *p;
      continue;
    }
    if (c >= 32) ++count;
    if (count > LABEL_MAX_WIDTH) return 0;
    before = c;
  }
  return 0;
}

std::string escape_control_chars(const char* text) {
  std::string out;
  for (const unsigned char* p = reinterpret_cast<const unsigned char*>(text); *p != 0; ++p) {
    if (*p < 32) {
      out.push_back(0x08);
      out.push_back(static_cast<char>(*p + 33));
    } else {
      out.push_back(static_cast<char>(*p));
    }
  }
  return out;
}

int wrap_text_into_lines(const char* text, int width) {
  if (width < WRAP_MIN_WIDTH) width = WRAP_DEFAULT_WIDTH;
  TextLine* last = fix_list_last();
  int32_t counter = last != nullptr ? line_key(last) : 0;
  bool paragraph_start = last == nullptr || last->text.find('\n') != std::string::npos;
  bool first_line = paragraph_start;
  Paragraph paragraph = paragraph_start ? Paragraph{} : paragraph_of_line(last);
  int appended = 0;
  const char* p = text;
  while (*p != 0) {
    if (paragraph_start) {
      p += read_paragraph_escapes(p, &paragraph);
      paragraph_start = false;
      first_line = true;
    }
    int hanging = paragraph.hanging + (first_line ? 0 : paragraph.label);
    if (width - (paragraph.indent + hanging) < WRAP_MIN_TEXT_COLUMNS) {
      paragraph.indent = paragraph.hanging = paragraph.label = hanging = 0;
    }
    bool ends_paragraph = false;
    int length = next_break(p, width - paragraph.indent - hanging, &ends_paragraph);
    if (length == 0) break;
    uint8_t kind = first_line ? paragraph.kind : static_cast<uint8_t>(paragraph.kind & ~LINE_KIND_PARAGRAPH);
    if (append_wrapped_line(std::string(p, static_cast<size_t>(length)), kind, paragraph.indent,
                            hanging, paragraph.value, ++counter) == nullptr) {
      break;
    }
    ++appended;
    p += length;
    first_line = false;
    paragraph_start = ends_paragraph;
  }
  return appended + 1;
}

void reset_text_wrap() { g_text_wrap = TextWrapState{}; }
