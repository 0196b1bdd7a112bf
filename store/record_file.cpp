// Loading record files, and saving them with the user told when a save fails.
#include "store/record_file.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <new>
#include <vector>

#include "store/record_bytes.h"
#include "store/store_host.h"

RecordFileState g_record_file;

namespace {

struct RecordLoad {
  std::vector<uint8_t> bytes;  // the whole file
  size_t at = 0;               // next byte to read
  LineList lines;              // lines read so far, not yet the caller's
  std::string path;            // for the message
  const char* bad_file_message = nullptr;
};

// The caller's message with its first "%s" replaced by the path. The message is never used
// as a printf format: a stray conversion in it must not read arguments that are not there.
std::string format_with_path(const char* message, const std::string& path) {
  std::string text = message;
  const size_t at = text.find("%s");
  if (at != std::string::npos) text.replace(at, 2, path);
  return text;
}

// Every refusal of a load ends here: the lines read so far go, the caller's list stays as it
// was, and the fault is shown when it is the file's and not its absence.
int reject_record_file(RecordLoad* load, RecordFileFault fault) {
  free_list(load->lines.first);
  load->lines = LineList{};
  g_record_file.last_fault = fault;
  if (fault == RECORD_FAULT_NO_MEMORY) {
    store_show_text_box(RECORD_FILE_NO_MEMORY, TEXTBOX_PRESS_A_KEY);
  } else if (fault != RECORD_FAULT_NO_FILE && fault != RECORD_FAULT_NO_RECORD &&
             load->bad_file_message != nullptr) {
    store_show_text_box(format_with_path(load->bad_file_message, load->path).c_str(),
                  TEXTBOX_PRESS_A_KEY);
  }
  return -1;
}

// Reads the whole file: RECORD_FAULT_NO_FILE when it is missing, empty or unreadable,
// RECORD_FAULT_NO_MEMORY when it does not fit in memory.
RecordFileFault read_whole_file(const std::string& path, std::vector<uint8_t>* bytes) {
  const int64_t size = file_size(path);
  if (size <= 0) return RECORD_FAULT_NO_FILE;
  std::FILE* stream = std::fopen(path.c_str(), "rb");
  if (stream == nullptr) return RECORD_FAULT_NO_FILE;
  RecordFileFault fault = RECORD_FAULT_NONE;
  try {
    bytes->resize(static_cast<size_t>(size));
    if (std::fread(bytes->data(), 1, bytes->size(), stream) != bytes->size())
      fault = RECORD_FAULT_NO_FILE;
  } catch (const std::bad_alloc&) {
    fault = RECORD_FAULT_NO_MEMORY;
  }
  std::fclose(stream);
  return fault;
}

// The next line: its bytes up to and with its line feed, or the rest of the file when no line
// feed follows. Returns its length (0 at the end of the file); -1 when it does not end within
// RECORD_FILE_LINE_MAX bytes.
int64_t next_line(RecordLoad* load, const uint8_t** line) {
  const size_t left = load->bytes.size() - load->at;
  const size_t searched = std::min(left, RECORD_FILE_LINE_MAX + 1);
  *line = load->bytes.data() + load->at;
  const void* lf = std::memchr(*line, '\n', searched);
  size_t length = left;
  if (lf != nullptr) {
    length = static_cast<size_t>(static_cast<const uint8_t*>(lf) - *line) + 1;
  } else if (left > RECORD_FILE_LINE_MAX) {
    return -1;
  }
  load->at += length;
  return static_cast<int64_t>(length);
}

// Hands out the next n bytes, or false when fewer are left.
bool take_bytes(RecordLoad* load, size_t n, const uint8_t** bytes) {
  if (load->bytes.size() - load->at < n) return false;
  *bytes = load->bytes.data() + load->at;
  load->at += n;
  return true;
}

// A record's text: its line without the line end (CR LF, or a bare LF, which costs no letter),
// cut at a zero byte, with the end byte in place of the line end when it is not 0.
std::string record_text(const uint8_t* line, size_t length, char end_byte) {
  if (length > 0 && line[length - 1] == '\n') --length;
  if (length > 0 && line[length - 1] == '\r') --length;
  std::string text(reinterpret_cast<const char*>(line), length);
  const size_t zero = text.find('\0');
  if (zero != std::string::npos) text.resize(zero);
  if (end_byte != 0) text.push_back(end_byte);
  return text;
}

// Reads the id bytes and the block of the record whose text line was just read and appends
// the line to the current list. Returns the fault, RECORD_FAULT_NONE when the line was added.
RecordFileFault read_one_record(RecordLoad* load, const uint8_t* text_line, size_t text_length,
                                uint16_t record_size, uint16_t block_size, char end_byte) {
  const std::string text = record_text(text_line, text_length, end_byte);
  const uint8_t* id_bytes = nullptr;
  if (!take_bytes(load, RECORD_ID_SIZE, &id_bytes)) return RECORD_FAULT_SHORT_HEADER;
  const uint8_t* block = nullptr;
  if (!take_bytes(load, record_size, &block)) return RECORD_FAULT_SHORT_BLOCK;
  LineExtra extra;
  try {
    extra.assign(std::max(block_size, record_size), 0);
  } catch (const std::bad_alloc&) {
    return RECORD_FAULT_NO_MEMORY;
  }
  if (record_size > 0) std::memcpy(extra.data(), block, record_size);
  TextLine* line = append_line(text.c_str(), std::move(extra));
  if (line == nullptr) return RECORD_FAULT_NO_MEMORY;
  line->id = get_i16_le(id_bytes);
  line->kind = id_bytes[2];
  line->state = id_bytes[3];
  return RECORD_FAULT_NONE;
}

// Reads every record into the current list (an empty one the caller set up).
RecordFileFault read_records(RecordLoad* load, uint16_t record_size, uint16_t block_size,
                             char end_byte) {
  const uint8_t* line = nullptr;
  if (record_size > 0) {
    const int64_t tag_length = next_line(load, &line);
    if (tag_length != static_cast<int64_t>(RECORD_FILE_HEADER_SIZE) ||
        std::memcmp(line, RECORD_FILE_TAG, RECORD_FILE_TAG_SIZE) != 0) {
      return RECORD_FAULT_BAD_TAG;
    }
  }
  int64_t length = next_line(load, &line);
  if (length < 0) return RECORD_FAULT_LONG_TEXT;
  if (length < 2) return RECORD_FAULT_NO_RECORD;
  while (length >= 2) {
    const RecordFileFault fault = read_one_record(load, line, static_cast<size_t>(length),
                                                  record_size, block_size, end_byte);
    if (fault != RECORD_FAULT_NONE) return fault;
    length = next_line(load, &line);
    if (length < 0) return RECORD_FAULT_LONG_TEXT;
  }
  return RECORD_FAULT_NONE;
}

std::string folder_of(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

}  // namespace

int load_record_file(const std::string& path, uint16_t record_size, uint16_t block_size,
                     LineList* list, const char* bad_file_message, char end_byte) {
  RecordLoad load;
  load.path = path;
  load.bad_file_message = bad_file_message;
  const RecordFileFault read_fault = read_whole_file(path, &load.bytes);
  if (read_fault != RECORD_FAULT_NONE) return reject_record_file(&load, read_fault);
  // The lines are gathered on a list of their own so that the caller's lists stay untouched
  // until the whole file has been read.
  if (push_list() < 0) return reject_record_file(&load, RECORD_FAULT_NO_MEMORY);
  clear_current_list();
  const RecordFileFault fault = read_records(&load, record_size, block_size, end_byte);
  load.lines = g_lists.current;
  clear_current_list();
  pop_list();
  if (fault != RECORD_FAULT_NONE) return reject_record_file(&load, fault);
  free_list(list->first);
  *list = load.lines;
  g_record_file.last_fault = RECORD_FAULT_NONE;
  return 0;
}

int save_record_file(const std::string& path, const TextLine* first, uint16_t record_size) {
  std::string error;
  const SaveResult result = save_file_safely(
      path, folder_of(path) + RECORD_FILE_TEMP_NAME,
      [&](SaveFile* file) { return write_record_file(file, first, record_size); }, &error);
  if (result == SAVE_OK) return 0;
  const std::string text = path + " was not saved:\n" + error;
  store_show_text_box(text.c_str(), TEXTBOX_PRESS_A_KEY);
  return 27;
}

void reset_record_file() { g_record_file = RecordFileState{}; }
