#include "store/file_reader.h"

#include <cstring>
#include <new>

FileReaderState g_file_reader;

namespace {

bool open_stream(FileRecord* record) {
  FILE* stream = std::fopen(record->full_path.c_str(), "rb");
  if (stream == nullptr) return false;
  int64_t length = 0;
  if (std::fseek(stream, 0, SEEK_END) == 0) {
    long end = std::ftell(stream);
    if (end > 0) length = end;
  }
  if (std::fseek(stream, 0, SEEK_SET) != 0) {
    std::fclose(stream);
    return false;
  }
  record->stream = stream;
  record->descriptor = FILE_OPEN;
  record->file_length = length;
  record->next_offset = 0;
  record->line_offset = 0;
  return true;
}

void close_stream(FileRecord* record, int32_t state) {
  if (record->stream != nullptr) std::fclose(record->stream);
  record->stream = nullptr;
  record->descriptor = state;
}

void empty_buffer(FileRecord* record) {
  record->bytes_left = 0;
  record->data_end = 0;
  record->line_start = 0;
  record->line_end = 0;
  if (!record->buffer.empty()) record->buffer[0] = 0;
}

void free_buffer(FileRecord* record) {
  std::vector<char>().swap(record->buffer);
  record->bytes_left = 0;
  record->data_end = 0;
}

bool allocate_buffer(FileRecord* record) {
  if (!record->buffer.empty()) return true;
  try {
    record->buffer.assign(static_cast<size_t>(record->buffer_size) + FILE_BUFFER_SLACK, 0);
  } catch (const std::bad_alloc&) {
    return false;
  }
  record->bytes_left = 0;
  record->data_end = 0;
  return true;
}

size_t next_index(const FileRecord* record) { return record->data_end - record->bytes_left; }

// Hands out `length` buffer bytes from `start` as the line, which took `file_bytes` bytes of the
// file, and leaves the bytes after `next` for the next read.
int32_t take_line(FileRecord* record, size_t start, size_t length, size_t next,
                  size_t file_bytes) {
  record->line_start = start;
  record->line_end = start + length - 1;
  record->bytes_left = static_cast<uint32_t>(record->data_end - next);
  record->line_offset = record->next_offset;
  record->next_offset += static_cast<int64_t>(file_bytes);
  return static_cast<int32_t>(length);
}

// Moves the bytes left to the buffer's start and reads as many as fit. Returns the bytes read.
size_t refill(FileRecord* record) {
  char* data = record->buffer.data();
  size_t left = record->bytes_left;
  if (left > 0) std::memmove(data, data + next_index(record), left);
  record->data_end = left;
  size_t room = record->buffer_size > left ? record->buffer_size - left : 0;
  size_t got = room > 0 ? std::fread(data + left, 1, room, record->stream) : 0;
  record->bytes_read = static_cast<uint32_t>(got);
  record->data_end = left + got;
  record->bytes_left = static_cast<uint32_t>(left + got);
  data[record->data_end] = 0;
  return got;
}

// A line that ends in a lone CR (at `cr`) is made to end in CR LF in the buffer.
int32_t take_lone_cr_line(FileRecord* record, size_t start, size_t cr) {
  char* data = record->buffer.data();
  size_t file_bytes = cr - start + 1;
  ++g_file_reader.lone_cr_count;
  if (start > 0) {
    // The byte before the line belongs to a line already handed out.
    std::memmove(data + start - 1, data + start, file_bytes);
    data[cr] = '\n';
    return take_line(record, start - 1, file_bytes + 1, cr + 1, file_bytes);
  }
  // The line starts the buffer: the rest moves one byte on, into the slack. This happens at
  // most once per refill, as every later line starts after the first.
  std::memmove(data + cr + 2, data + cr + 1, record->data_end - (cr + 1));
  data[cr + 1] = '\n';
  ++record->data_end;
  data[record->data_end] = 0;
  return take_line(record, 0, file_bytes + 1, cr + 2, file_bytes);
}

// The next line among the bytes left, or -1 when the buffer must be refilled first. A line ends
// at its first line end, whatever follows in the buffer, so that a file reads the same at
// every buffer size.
int32_t find_line(FileRecord* record) {
  const char* data = record->buffer.data();
  size_t start = next_index(record);
  size_t end = record->data_end;
  for (size_t i = start; i < end; ++i) {
    if (data[i] == '\n') return take_line(record, start, i - start + 1, i + 1, i - start + 1);
    if (data[i] != '\r') continue;
    // A CR as the last byte may be the first half of a CR LF split by the refill.
    if (i + 1 == end) break;
    if (data[i + 1] == '\n') return take_line(record, start, i - start + 2, i + 2, i - start + 2);
    return take_lone_cr_line(record, start, i);
  }
  size_t left = record->bytes_left;
  if (left >= record->buffer_size) return take_line(record, start, left, start + left, left);
  return -1;
}

// The bytes left at the end of the file form the last line.
int32_t take_last_line(FileRecord* record, int mode) {
  char* data = record->buffer.data();
  size_t start = next_index(record);
  size_t left = record->bytes_left;
  size_t length = left;
  if (mode == FILE_READ_LINE || mode == FILE_READ_LINE_KEEP_OPEN || mode == FILE_READ_LINE_CLOSE) {
    size_t end = record->data_end;
    if (data[end - 1] != '\r') data[end++] = '\r';
    data[end++] = '\n';
    data[end] = 0;
    length += end - record->data_end;
    record->data_end = end;
  }
  return take_line(record, start, length, start + length, left);
}

bool closes_at_end(int mode) { return mode >= 0 || mode == FILE_READ_LINE_CLOSE; }

}  // namespace

void init_file_record(FileRecord* record, const std::string& path, uint16_t buffer_size) {
  if (record->stream != nullptr) std::fclose(record->stream);
  *record = FileRecord{};
  record->full_path = path;
  record->buffer_size = buffer_size > 0 ? buffer_size : FILE_BUFFER_CATALOGUE;
  g_file_reader.lone_cr_count = 0;
}

void close_file_record(FileRecord* record) {
  close_stream(record, FILE_NOT_OPEN);
  free_buffer(record);
}

int seek_file_record(FileRecord* record, int64_t offset, int whence) {
  if (record->descriptor != FILE_OPEN && !open_stream(record)) {
    record->descriptor = FILE_NOT_OPEN;
    return -1;
  }
  if (whence == SEEK_CUR) {
    offset += record->next_offset;
    whence = SEEK_SET;
  }
  if (!allocate_buffer(record)) return -1;
  empty_buffer(record);
  if (std::fseek(record->stream, static_cast<long>(offset), whence) != 0) return 1;
  long position = std::ftell(record->stream);
  if (position < 0) return 1;
  record->next_offset = position;
  record->line_offset = position;
  return 0;
}

int32_t read_file_line(FileRecord* record, int mode) {
  if (record->descriptor == FILE_AT_END) return 0;
  if (record->descriptor == FILE_NOT_OPEN) {
    if (!open_stream(record)) return 0;
    free_buffer(record);
    if (!allocate_buffer(record)) {
      close_stream(record, FILE_NOT_OPEN);
      return 0;
    }
  }
  if (record->buffer.empty()) {
    if (record->bytes_left > 0 || !allocate_buffer(record)) return 0;
  }
  // A record larger than the buffer can never lie in it whole.
  if (mode > 0 && static_cast<size_t>(mode) > record->buffer_size) return 0;
  for (;;) {
    if (mode > 0) {
      size_t n = static_cast<size_t>(mode);
      if (record->bytes_left >= n) {
        size_t start = next_index(record);
        return take_line(record, start, n, start + n, n);
      }
    } else if (record->bytes_left > 0) {
      int32_t length = find_line(record);
      if (length > 0) return length;
    }
    if (refill(record) > 0) continue;
    if (record->bytes_left > 0) return take_last_line(record, mode);
    if (closes_at_end(mode)) close_stream(record, FILE_AT_END);
    free_buffer(record);
    return 0;
  }
}

const char* file_line_text(const FileRecord* record) {
  if (record->buffer.empty()) return "";
  return record->buffer.data() + record->line_start;
}

std::string file_line_string(const FileRecord* record) {
  if (record->buffer.empty() || record->line_end < record->line_start) return {};
  return std::string(record->buffer.data() + record->line_start,
                     record->line_end - record->line_start + 1);
}

bool file_line_ends_line(const FileRecord* record) {
  if (record->buffer.empty()) return false;
  return record->buffer[record->line_end] == '\n';
}
