// The reader of compiled stroke fonts: the title, the glyph table and the glyph stream, each
// length and offset checked against the bytes there are.
#include <cmath>
#include <cstdio>
#include <cstring>

#include "platform/files.h"
#include "text/stroke_font_file.h"
#include "store/record_bytes.h"

namespace {

constexpr size_t COMPILED_FILE_MAX = 64u << 20;

bool finite_values(const uint8_t* at, int count, bool packed) {
  if (packed) return true;
  for (int k = 0; k < count; ++k)
    if (!std::isfinite(get_f32_le(at + 4 * k))) return false;
  return true;
}

}  // namespace

bool check_glyph_record(const uint8_t* stream, size_t stream_length, size_t offset,
                        size_t* elements_end) {
  if (offset == 0 || offset >= stream_length) return false;
  const void* name_end = std::memchr(stream + offset, 0, stream_length - offset);
  if (name_end == nullptr) return false;
  size_t at = static_cast<size_t>(static_cast<const uint8_t*>(name_end) - stream) + 1;
  while (at < stream_length) {
    const uint8_t flags = stream[at];
    if (flags == 0) {
      // The zero flag and the record's unread byte both lie inside the stream.
      if (at + 2 > stream_length) return false;
      *elements_end = at;
      return true;
    }
    size_t values = 0;
    bool packed = false;
    if ((flags & GLYPH_SPLINE_RUN) != 0) {
      values = 2u * (flags & 0x7F);
      if (values == 0) return false;
    } else {
      const uint8_t motion = flags & GLYPH_MOTION_MASK;
      if (motion != GLYPH_PEN_UP && motion != GLYPH_LINE && motion != GLYPH_ARC_CW &&
          motion != GLYPH_ARC_CCW)
        return false;
      packed = (flags & GLYPH_PACKED) != 0;
      values = ((flags & GLYPH_HAS_X) ? 1 : 0) + ((flags & GLYPH_HAS_Y) ? 1 : 0) +
               (motion >= GLYPH_ARC_CW ? 2 : 0);
    }
    const size_t bytes = values * (packed ? 2 : 4);
    if (bytes > stream_length - at - 1) return false;
    if (!finite_values(stream + at + 1, static_cast<int>(values), packed)) return false;
    at += 1 + bytes;
  }
  return false;
}

int read_stroke_font_title(const uint8_t* bytes, size_t size, std::string* title) {
  if (size < FONT_TITLE_SIZE) return FONT_FILE_SHORT;
  char field[FONT_TITLE_SIZE];
  get_text_field(bytes, field, sizeof field);
  field[FONT_TITLE_MAX] = '\0';
  *title = field;
  return FONT_FILE_OK;
}

int read_stroke_font(const uint8_t* bytes, size_t size, int font_number, StrokeFontTable* table,
                     std::vector<uint8_t>* stream) {
  const size_t table_size = font_table_size(font_number);
  if (size < FONT_TITLE_SIZE + table_size) return FONT_FILE_SHORT;
  const uint8_t* t = bytes + FONT_TITLE_SIZE;
  StrokeFontTable read;
  char name[FONT_TABLE_NAME_SIZE];
  get_text_field(t + FONT_TABLE_NAME, name, sizeof name);
  read.name = name;
  read.stream_length = get_i32_le(t + FONT_TABLE_STREAM_LENGTH);
  const size_t stream_at = FONT_TITLE_SIZE + table_size;
  if (read.stream_length < 1 || static_cast<size_t>(read.stream_length) > size - stream_at)
    return read.stream_length < 1 ? FONT_FILE_BAD_STREAM : FONT_FILE_SHORT;
  for (int k = 0; k < FONT_CODE_COUNT; ++k) {
    read.advance[k] = get_f32_le(t + FONT_TABLE_ADVANCES + 4 * k);
    read.offset[k] = get_i32_le(t + FONT_TABLE_OFFSETS + 4 * k);
    if (!std::isfinite(read.advance[k])) return FONT_FILE_BAD_STREAM;
    if (read.offset[k] < 0 || read.offset[k] >= read.stream_length) return FONT_FILE_BAD_STREAM;
  }
  read.offset[0] = 0;  // the space never has a glyph
  read.has_kerning = table_size == FONT_TABLE_SIZE && get_i16_le(t + FONT_TABLE_KERNING) != -1;
  if (read.has_kerning) std::memcpy(read.kerning, t + FONT_TABLE_KERNING, FONT_KERNING_SIZE);
  if (stream != nullptr) {
    const uint8_t* s = bytes + stream_at;
    const size_t length = static_cast<size_t>(read.stream_length);
    for (int k = 1; k < FONT_CODE_COUNT; ++k) {
      size_t end = 0;
      if (read.offset[k] != 0 && !check_glyph_record(s, length, read.offset[k], &end))
        return FONT_FILE_BAD_STREAM;
    }
    stream->assign(s, s + length);
    stream->push_back(0);
  }
  *table = std::move(read);
  return FONT_FILE_OK;
}

int read_stroke_font_file(const std::string& folder, const std::string& name, int font_number,
                          std::string* title, StrokeFontTable* table,
                          std::vector<uint8_t>* stream) {
  const std::string path = path_join(folder, name + ".Q2_");
  FILE* f = std::fopen(path.c_str(), "rb");
  if (f == nullptr) return FONT_FILE_CANNOT_OPEN;
  std::vector<uint8_t> bytes;
  uint8_t buffer[65536];
  size_t n = 0;
  int result = FONT_FILE_OK;
  while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) {
    bytes.insert(bytes.end(), buffer, buffer + n);
    if (bytes.size() > COMPILED_FILE_MAX) { result = FONT_FILE_TOO_LARGE; break; }
  }
  if (std::ferror(f)) result = FONT_FILE_CANNOT_OPEN;
  std::fclose(f);
  if (result != FONT_FILE_OK) return result;
  if (title != nullptr) {
    result = read_stroke_font_title(bytes.data(), bytes.size(), title);
    if (result != FONT_FILE_OK) return result;
  }
  if (table == nullptr) return FONT_FILE_OK;
  return read_stroke_font(bytes.data(), bytes.size(), font_number, table, stream);
}
