// The stroke font compiler: a readable font source into the bytes of its compiled file.
#include <algorithm>
#include <chrono>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/files.h"
#include "text/stroke_font_file.h"
#include "store/record_bytes.h"

namespace {

constexpr size_t SOURCE_LINE_MAX = 80;  // bytes, line end included
constexpr size_t SOURCE_FILE_MAX = 64u << 20;
constexpr int GLYPH_OVERFLOW = -666;

// One source line and its length as the length rule counts it (line end included).
struct SourceLine {
  std::string text;
  size_t length = 0;
};

struct SourceReader {
  const std::string* source = nullptr;
  size_t at = 0;
  bool next(SourceLine* line) {
    if (at >= source->size()) return false;
    size_t end = source->find('\n', at);
    const size_t stop = end == std::string::npos ? source->size() : end + 1;
    line->length = stop - at;
    line->text.assign(*source, at, stop - at);
    while (!line->text.empty() && (line->text.back() == '\n' || line->text.back() == '\r'))
      line->text.pop_back();
    at = stop;
    return true;
  }
};

// The compile of one pass: the stream being built, the table and the mode.
struct FontCompile {
  SourceReader reader;
  std::vector<uint8_t> stream;
  StrokeFontTable table;
  size_t work_limit = FONT_WORK_BUFFER;
  bool packed = false;
  SourceLine line;      // the current line
  bool have_line = false;
};

void put_f32(std::vector<uint8_t>* out, float value) {
  uint8_t bytes[4];
  put_f32_le(bytes, value);
  out->insert(out->end(), bytes, bytes + 4);
}

void put_i16(std::vector<uint8_t>* out, int16_t value) {
  uint8_t bytes[2];
  put_i16_le(bytes, value);
  out->insert(out->end(), bytes, bytes + 2);
}

bool length_ok(const SourceLine& line) {
  return line.length >= 2 && line.length <= SOURCE_LINE_MAX;
}

int letter_index(unsigned char c) {
  if (c >= 'A' && c <= 'Z') return c - 'A';
  if (c >= 'a' && c <= 'z') return 26 + c - 'a';
  return -1;
}

void read_kerning_row(const std::string& row, StrokeFontTable* table) {
  // A row must name its letter; any other row is skipped rather than taken for row 0.
  const int r = letter_index(static_cast<unsigned char>(row[0]));
  if (r < 0) return;
  for (int c = 0; c < FONT_KERNING_ROWS && static_cast<size_t>(c + 1) < row.size(); ++c) {
    const unsigned char ch = static_cast<unsigned char>(row[c + 1]);
    if (ch < ' ') break;
    const uint8_t v = ch & 15;
    if (v == 0) continue;
    table->kerning[r * FONT_KERNING_ROW_BYTES + c / 2] |= (c & 1) ? v << 4 : v;
  }
}

// A value after `letter` in the (upper-cased) line.
bool find_value(const std::string& line, char letter, float* value) {
  const size_t at = line.find(letter);
  if (at == std::string::npos) return false;
  *value = std::strtof(line.c_str() + at + 1, nullptr);
  if (!std::isfinite(*value)) *value = 0.0f;
  return true;
}

// The character of a header line (after its stars), or -1.
int header_code(const std::string& line, std::string* name) {
  size_t at = 0;
  while (at < line.size() && line[at] == '*') ++at;
  if (at == 0 || at >= line.size()) return -1;
  int code = static_cast<unsigned char>(line[at]);
  size_t after = at + 1;
  if (after < line.size() && std::isdigit(static_cast<unsigned char>(line[after]))) {
    code = 0;
    after = at;
    while (after < line.size() && std::isdigit(static_cast<unsigned char>(line[after])) &&
           code < 1000)
      code = code * 10 + (line[after++] - '0');
  }
  if (code < FONT_FIRST_GLYPH_CODE || code > FONT_LAST_CODE) return -1;
  while (after < line.size() && (line[after] == ' ' || line[after] == '\t')) ++after;
  // A name ends at a zero byte: the record keeps it zero-ended.
  *name = line.substr(after);
  name->resize(std::strlen(name->c_str()));
  while (!name->empty() && (name->back() == ' ' || name->back() == '\t')) name->pop_back();
  if (name->empty()) name->assign(1, static_cast<char>(code));
  return code;
}

// Rewrites a glyph's elements (from `first` to the stream end) in the i16 form where every
// value fits it; spline runs and larger values stay f32.
void pack_glyph_elements(std::vector<uint8_t>* stream, size_t first) {
  std::vector<uint8_t> packed;
  const uint8_t* s = stream->data();
  size_t at = first;
  const size_t end = stream->size();
  while (at < end) {
    const uint8_t flags = s[at];
    if ((flags & GLYPH_SPLINE_RUN) != 0) {
      const size_t bytes = 1 + 8u * (flags & 0x7F);
      packed.insert(packed.end(), s + at, s + at + bytes);
      at += bytes;
      continue;
    }
    float values[4] = {};
    int count = 0;
    const bool arc = (flags & (GLYPH_ARC_CW | GLYPH_ARC_CCW)) != 0;
    size_t p = at + 1;
    const bool has_x = (flags & GLYPH_HAS_X) != 0, has_y = (flags & GLYPH_HAS_Y) != 0;
    float x = 0, y = 0, i = 0, j = 0;
    if (has_x) { x = get_f32_le(s + p); p += 4; values[count++] = x; }
    if (has_y) { y = get_f32_le(s + p); p += 4; values[count++] = y; }
    if (arc) {
      i = get_f32_le(s + p); j = get_f32_le(s + p + 4); p += 8;
      values[count++] = i;
      values[count++] = j;
    }
    const bool fits = std::all_of(values, values + count,
                                  [](float v) { return std::fabs(v) <= GLYPH_PACK_LIMIT; });
    if (!fits) {
      packed.insert(packed.end(), s + at, s + p);
      at = p;
      continue;
    }
    auto pack = [](float v) {
      return static_cast<int16_t>(v * GLYPH_PACK_SCALE + (v >= 0 ? 0.5f : -0.5f));
    };
    const int16_t px = has_x ? pack(x) : 0, py = has_y ? pack(y) : 0;
    if (!arc && px == 0 && py == 0) {
      at = p;
      continue;
    }
    uint8_t out_flags = static_cast<uint8_t>((flags & ~(GLYPH_HAS_X | GLYPH_HAS_Y)) | GLYPH_PACKED);
    if (px != 0) out_flags |= GLYPH_HAS_X;
    if (py != 0) out_flags |= GLYPH_HAS_Y;
    packed.push_back(out_flags);
    if (px != 0) put_i16(&packed, px);
    if (py != 0) put_i16(&packed, py);
    if (arc) {
      put_i16(&packed, pack(i));
      put_i16(&packed, pack(j));
    }
    at = p;
  }
  stream->resize(first);
  stream->insert(stream->end(), packed.begin(), packed.end());
}

enum class LineKind { IGNORED, SPLINE_START, CONTINUATION, MOTION };

LineKind classify(const std::string& upper, int* motion) {
  size_t at = 0;
  while (at < upper.size() && (upper[at] == ' ' || upper[at] == '\t')) ++at;
  if (at >= upper.size()) return LineKind::IGNORED;
  if (upper.find('X') == std::string::npos && upper.find('Y') == std::string::npos)
    return LineKind::IGNORED;
  switch (upper[at]) {
    case 'S':
      return LineKind::SPLINE_START;
    case 'X': case 'Y': case 'I': case 'J':
      return LineKind::CONTINUATION;
    case 'G': {
      if (at + 1 >= upper.size() || !std::isdigit(static_cast<unsigned char>(upper[at + 1])))
        return LineKind::IGNORED;
      const long g = std::strtol(upper.c_str() + at + 1, nullptr, 10);
      if (g < 0 || g > 3) return LineKind::IGNORED;
      *motion = static_cast<int>(g);
      return LineKind::MOTION;
    }
    default:
      return LineKind::IGNORED;
  }
}

// Compiles the glyph whose header is the current line. The glyph's code; 0 for a glyph
// without elements; -1 when the glyph list ends here; GLYPH_OVERFLOW on the first overflow.
int compile_glyph(FontCompile* fc, float* advance, size_t* record_length) {
  if (!fc->have_line || fc->line.text.empty() || fc->line.text[0] != '*') return -1;
  std::string name;
  const int code = header_code(fc->line.text, &name);
  if (code < 0) return -1;
  std::vector<uint8_t>& s = fc->stream;
  const size_t record_start = s.size();
  s.insert(s.end(), name.begin(), name.end());
  s.push_back(0);
  const size_t elements_start = s.size();
  *advance = 0.0f;
  int motion = 0;
  size_t run_flags_at = 0;  // the flags byte of the open spline run, 0 none
  bool any = false;
  fc->have_line = false;
  while (fc->reader.next(&fc->line)) {
    fc->have_line = true;
    if (!fc->line.text.empty() && fc->line.text[0] == '*') break;
    if (fc->line.length > SOURCE_LINE_MAX) break;
    std::string upper = fc->line.text;
    for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    int new_motion = motion;
    LineKind kind = classify(upper, &new_motion);
    fc->have_line = false;
    if (kind == LineKind::IGNORED) continue;
    float x = 0, y = 0, i = 0, j = 0;
    const bool has_x = find_value(upper, 'X', &x);
    const bool has_y = find_value(upper, 'Y', &y);
    find_value(upper, 'I', &i);
    find_value(upper, 'J', &j);
    *advance += x;
    if (kind == LineKind::MOTION) {
      motion = new_motion;
      run_flags_at = 0;
    }
    if (kind == LineKind::CONTINUATION && run_flags_at != 0 &&
        (s[run_flags_at] & 0x7F) >= GLYPH_RUN_MAX_POINTS)
      kind = LineKind::SPLINE_START;  // a long run goes on as a new run from the same point
    if (kind == LineKind::SPLINE_START) {
      run_flags_at = s.size();
      s.push_back(GLYPH_SPLINE_RUN | 1);
      put_f32(&s, x);
      put_f32(&s, y);
    } else if (kind == LineKind::CONTINUATION && run_flags_at != 0) {
      ++s[run_flags_at];
      put_f32(&s, x);
      put_f32(&s, y);
    } else {
      uint8_t flags = static_cast<uint8_t>(1u << motion);
      const size_t flags_at = s.size();
      s.push_back(0);
      if (has_x && x != 0.0f) { flags |= GLYPH_HAS_X; put_f32(&s, x); }
      if (has_y && y != 0.0f) { flags |= GLYPH_HAS_Y; put_f32(&s, y); }
      // An arc always carries its centre, so the reader never takes the next element for it.
      if (motion >= 2) { put_f32(&s, i); put_f32(&s, j); }
      s[flags_at] = flags;
    }
    any = true;
    if (s.size() + 2 > fc->work_limit) {
      s.resize(record_start);
      if (!fc->packed) {
        fc->packed = true;
        return GLYPH_OVERFLOW;
      }
      return -1;
    }
  }
  if (!any) {
    s.resize(record_start);
    return fc->have_line ? 0 : -1;
  }
  if (fc->packed) pack_glyph_elements(&s, elements_start);
  s.push_back(0);
  s.push_back(0);  // the record's last byte, never read
  *record_length = s.size() - record_start;
  return code;
}

// One pass over the source. FONT_FILE_OK, an error, or GLYPH_OVERFLOW to start again packed.
int compile_pass(FontCompile* fc, std::string* title) {
  fc->reader.at = 0;
  fc->table = StrokeFontTable{};
  fc->stream.assign(1, 0);
  SourceLine first;
  if (!fc->reader.next(&first)) return FONT_FILE_NO_SOURCE;
  *title = first.text.substr(0, FONT_TITLE_MAX);
  const size_t b = title->find_first_not_of(" \t");
  *title = b == std::string::npos ? "" : title->substr(b);
  while (!title->empty() && (title->back() == ' ' || title->back() == '\t')) title->pop_back();
  SourceLine& line = fc->line;
  fc->have_line = fc->reader.next(&line);
  if (!fc->have_line || !length_ok(line)) return FONT_FILE_BAD_HEADER;
  if (line.text[0] != '*') {
    float space = std::strtof(line.text.c_str(), nullptr);
    fc->table.advance[0] = std::isfinite(space) ? space : 0.0f;
    fc->have_line = fc->reader.next(&line);
    if (!fc->have_line || !length_ok(line)) return FONT_FILE_BAD_HEADER;
    if (line.text[0] != '*') {
      fc->have_line = false;
      while (fc->reader.next(&line)) {
        fc->have_line = true;
        if (line.length <= 2 || line.text[0] == '*') break;
        if (line.length > SOURCE_LINE_MAX) return FONT_FILE_BAD_HEADER;
        read_kerning_row(line.text, &fc->table);
        fc->have_line = false;
      }
    }
  }
  for (;;) {
    float advance = 0.0f;
    size_t record_length = 0;
    const size_t record_start = fc->stream.size();
    const int code = compile_glyph(fc, &advance, &record_length);
    if (code == GLYPH_OVERFLOW) return GLYPH_OVERFLOW;
    if (code < 0) break;
    if (code == 0) continue;
    const int index = code - FONT_FIRST_CODE;
    if (fc->table.offset[index] == 0) {
      fc->table.offset[index] = static_cast<int32_t>(record_start);
      fc->table.advance[index] = advance;
    } else {
      fc->stream.resize(record_start);  // a second definition: the first one stays
    }
  }
  fc->table.stream_length = static_cast<int32_t>(fc->stream.size());
  return FONT_FILE_OK;
}

void write_font_bytes(const std::string& title, const FontCompile& fc, int font_number,
                      const std::string& file_name, std::vector<uint8_t>* out) {
  const size_t table_size = font_table_size(font_number);
  out->assign(FONT_TITLE_SIZE + table_size, 0);
  uint8_t* o = out->data();
  std::memcpy(o, title.data(), std::min(title.size(), FONT_TITLE_MAX));
  uint8_t* t = o + FONT_TITLE_SIZE;
  std::memcpy(t + FONT_TABLE_NAME, file_name.data(),
              std::min(file_name.size(), FONT_TABLE_NAME_SIZE - 1));
  for (int k = 0; k < FONT_CODE_COUNT; ++k) {
    put_f32_le(t + FONT_TABLE_ADVANCES + 4 * k, fc.table.advance[k]);
    put_i32_le(t + FONT_TABLE_OFFSETS + 4 * k, fc.table.offset[k]);
  }
  put_i32_le(t + FONT_TABLE_STREAM_LENGTH, fc.table.stream_length);
  if (font_number >= FONT_NUMBER_SYMBOL_BASE) put_i16_le(t + FONT_TABLE_KERNING, -1);
  else std::memcpy(t + FONT_TABLE_KERNING, fc.table.kerning, FONT_KERNING_SIZE);
  out->insert(out->end(), fc.stream.begin(), fc.stream.end());
}

bool read_whole_file(const std::string& path, std::string* bytes, size_t limit) {
  FILE* f = std::fopen(path.c_str(), "rb");
  if (f == nullptr) return false;
  bytes->clear();
  char buffer[65536];
  size_t n = 0;
  bool ok = true;
  while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) {
    bytes->append(buffer, n);
    if (bytes->size() > limit) { ok = false; break; }
  }
  if (std::ferror(f)) ok = false;
  std::fclose(f);
  return ok;
}

}  // namespace

int32_t string_to_long(const char* text) {
  const char* p = text;
  bool negative = false;
  if (*p == '-' || *p == '+') negative = *p++ == '-';
  int64_t value = 0;
  while (*p >= '0' && *p <= '9' && value < INT32_MAX) value = value * 10 + (*p++ - '0');
  value = std::min<int64_t>(value, INT32_MAX);
  return static_cast<int32_t>(negative ? -value : value);
}

int16_t font_number_of(const std::string& file_name) {
  size_t at = 0;
  int32_t value = 0;
  while (at < file_name.size() && std::isdigit(static_cast<unsigned char>(file_name[at])) &&
         value <= INT16_MAX)
    value = value * 10 + (file_name[at++] - '0');
  return static_cast<int16_t>(std::min<int32_t>(value, INT16_MAX));
}

size_t font_table_size(int font_number) {
  return font_number >= FONT_NUMBER_SYMBOL_BASE ? FONT_SYMBOL_TABLE_SIZE : FONT_TABLE_SIZE;
}

int compile_stroke_font_source(const std::string& source, int font_number,
                               const std::string& file_name, std::vector<uint8_t>* out,
                               size_t work_limit) {
  FontCompile fc;
  fc.reader.source = &source;
  fc.work_limit = std::max<size_t>(work_limit, 64);
  std::string title;
  int result = compile_pass(&fc, &title);
  if (result == GLYPH_OVERFLOW) result = compile_pass(&fc, &title);
  if (result == GLYPH_OVERFLOW) result = FONT_FILE_OK;  // cannot happen: packed passes end at -1
  if (result != FONT_FILE_OK) return result;
  write_font_bytes(title, fc, font_number, file_name, out);
  return FONT_FILE_OK;
}

int compile_stroke_font(const std::string& folder, const std::string& name) {
  std::string source;
  if (!read_whole_file(path_join(folder, name + ".Q2F"), &source, SOURCE_FILE_MAX))
    return source.size() > SOURCE_FILE_MAX ? FONT_FILE_TOO_LARGE : FONT_FILE_NO_SOURCE;
  std::vector<uint8_t> bytes;
  const int result = compile_stroke_font_source(source, font_number_of(name), name, &bytes);
  if (result != FONT_FILE_OK) return result;
  const std::string path = path_join(folder, name + ".Q2_");
  // Programs starting at the same time may compile the same font: each writes its own
  // temporary file, and the last rename wins with a whole file.
  const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
  const std::string temp = path + "." + std::to_string(stamp ^ reinterpret_cast<uintptr_t>(&stamp)) + ".new";
  FILE* f = std::fopen(temp.c_str(), "wb");
  if (f == nullptr) return FONT_FILE_NOT_WRITTEN;
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  if (std::fclose(f) != 0 || !written || !file_rename(temp, path)) {
    file_delete(temp);
    return FONT_FILE_NOT_WRITTEN;
  }
  return FONT_FILE_OK;
}

const char* font_file_result_text(int result) {
  switch (result) {
    case FONT_FILE_OK: return "compiled";
    case FONT_FILE_NO_SOURCE: return "its source cannot be read";
    case FONT_FILE_BAD_HEADER: return "its source has a line 2, 3 or kerning row that is too short or too long";
    case FONT_FILE_NOT_WRITTEN: return "its compiled file cannot be written";
    case FONT_FILE_CANNOT_OPEN: return "its compiled file cannot be read";
    case FONT_FILE_SHORT: return "its compiled file is cut short";
    case FONT_FILE_BAD_STREAM: return "its compiled file is damaged";
    case FONT_FILE_TOO_LARGE: return "its file is too large";
    default: return "it cannot be used";
  }
}
