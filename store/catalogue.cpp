#include "store/catalogue.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "platform/files.h"
#include "store/line_list.h"
#include "store/scratch_buffer.h"
#include "store/store_host.h"
#include "store/text_wrap.h"

MessageCatalogue g_catalogue;

namespace {

bool is_code_with_partner(unsigned char c) { return c >= 1 && c <= 8; }

// The header number: the decimal value after the tilde, kept in 16 bits as a signed number.
// Reads at most `length` bytes (the line is not zero-ended).
int16_t parse_header_number(const char* line, size_t length) {
  size_t i = 1;
  while (i < length && (line[i] == ' ' || line[i] == '\t')) ++i;
  bool negative = false;
  if (i < length && (line[i] == '-' || line[i] == '+')) negative = line[i++] == '-';
  uint32_t value = 0;
  for (; i < length && line[i] >= '0' && line[i] <= '9'; ++i) {
    value = (value * 10 + static_cast<uint32_t>(line[i] - '0')) & 0xFFFF;
  }
  if (negative) value = (0x10000 - value) & 0xFFFF;
  return static_cast<int16_t>(static_cast<uint16_t>(value));
}

// Reads the pieces of a line cut at the buffer size up to its line end.
void skip_rest_of_line(FileRecord* file) {
  while (!file_line_ends_line(file)) {
    if (read_file_line(file, FILE_READ_LINE_KEEP_OPEN) <= 0) return;
  }
}

void index_catalogue() {
  MessageCatalogue& c = g_catalogue;
  c.numbers.reserve(CATALOGUE_MAX_MESSAGES);
  c.offsets.reserve(CATALOGUE_MAX_MESSAGES);
  while (c.numbers.size() < static_cast<size_t>(CATALOGUE_MAX_MESSAGES)) {
    int32_t length = read_file_line(&c.file, FILE_READ_LINE_KEEP_OPEN);
    if (length <= 0) break;
    const char* line = file_line_text(&c.file);
    bool header = line[0] == '~';
    int16_t number = header ? parse_header_number(line, static_cast<size_t>(length)) : 0;
    // Only a line start can be a header: the rest of a long line is passed over whole.
    skip_rest_of_line(&c.file);
    if (number == 0) continue;
    c.numbers.push_back(number);
    c.offsets.push_back(c.file.next_offset);
  }
  c.numbers.shrink_to_fit();
  c.offsets.shrink_to_fit();
}

void trim_line_end(std::string* line) {
  while (!line->empty()) {
    char c = line->back();
    if (c != '\n' && c != '\r' && c != ' ' && c != '\t') break;
    line->pop_back();
  }
}

// Copies at most capacity - 1 bytes of text and a zero; never ends on a code whose partner
// byte was cut off. False when cut.
bool copy_bounded(char* out, size_t capacity, const char* text) {
  size_t length = std::strlen(text);
  bool fits = length < capacity;
  if (!fits) {
    length = capacity - 1;
    if (length > 0 && is_code_with_partner(static_cast<unsigned char>(text[length - 1]))) --length;
  }
  std::memcpy(out, text, length);
  out[length] = 0;
  return fits;
}

}  // namespace

// ---- Opening and closing ----------------------------------------------------------------------

int open_catalogue() {
  close_catalogue();
  init_file_record(&g_catalogue.file, path_join(program_folder(), g_catalogue.file_name),
                   FILE_BUFFER_CATALOGUE);
  index_catalogue();
  return static_cast<int>(g_catalogue.numbers.size());
}

void close_catalogue() {
  close_file_record(&g_catalogue.file);
  std::vector<int16_t>().swap(g_catalogue.numbers);
  std::vector<int64_t>().swap(g_catalogue.offsets);
  g_catalogue.message_open = false;
}

// ---- Reading messages -------------------------------------------------------------------------

int find_message(int number) {
  g_catalogue.message_open = false;
  if (number == 0 || number < INT16_MIN || number > INT16_MAX) return 0;
  const std::vector<int16_t>& numbers = g_catalogue.numbers;
  auto it = std::find(numbers.begin(), numbers.end(), static_cast<int16_t>(number));
  if (it == numbers.end()) return 0;
  int64_t offset = g_catalogue.offsets[static_cast<size_t>(it - numbers.begin())];
  if (seek_file_record(&g_catalogue.file, offset, SEEK_SET) != 0) return 0;
  g_catalogue.message_open = true;
  return number;
}

int read_message_line(int append) {
  FileRecord* file = &g_catalogue.file;
  while (g_catalogue.message_open) {
    int32_t length = read_file_line(file, FILE_READ_LINE_KEEP_OPEN);
    if (length <= 0) break;
    const char* text = file_line_text(file);
    if (text[0] == '~') break;
    if (length == 1 && text[0] == '\n') continue;
    int64_t start = file->line_offset;
    // A line longer than the buffer comes in pieces; more than the message text can hold
    // is passed over.
    std::string line(text, static_cast<size_t>(length));
    while (!file_line_ends_line(file) && read_file_line(file, FILE_READ_LINE_KEEP_OPEN) > 0) {
      if (line.size() < SCRATCH_MESSAGE_CAPACITY) line += file_line_string(file);
    }
    trim_line_end(&line);
    if (append == 0) {
      set_message_text(line.c_str());
    } else {
      line += '\n';
      append_message_text(line.c_str());
    }
    return static_cast<int>(file->next_offset - start);
  }
  g_catalogue.message_open = false;
  return 0;
}

int get_message(int number) {
  if (number > 0 && number < CATALOGUE_FIRST_APPENDED) clear_message_text();
  bool choice = number <= CATALOGUE_FIRST_CHOICE;
  if (choice) {
    scratch_at(SCRATCH_HOT_KEY_LINE)[0] = 0;
    scratch_at(SCRATCH_HOT_LETTERS)[0] = 0;
  }
  if (find_message(number) != 0) {
    if (choice) {
      if (read_message_line(0) > 0) {
        copy_bounded(scratch_at(SCRATCH_HOT_KEY_LINE), SCRATCH_HOT_KEY_LINE_CAPACITY,
                     message_text());
        hot_letters(choice_words(), scratch_at(SCRATCH_HOT_LETTERS),
                    SCRATCH_HOT_LETTERS_CAPACITY);
      }
      clear_message_text();
    }
    while (read_message_line(1) > 0) {
    }
  } else {
    std::snprintf(message_text(), SCRATCH_MESSAGE_CAPACITY, CATALOGUE_MISSING_FORMAT, number);
  }
  if (number >= CATALOGUE_FIRST_SHOWN) return store_show_text_box(message_text(), TEXTBOX_PRESS_A_KEY);
  return 1;
}

// ---- The scratch texts ------------------------------------------------------------------------

char* message_text() { return scratch_at(SCRATCH_MESSAGE_TEXT); }

void clear_message_text() { message_text()[0] = 0; }

bool set_message_text(const char* text) {
  return copy_bounded(message_text(), SCRATCH_MESSAGE_CAPACITY, text);
}

bool append_message_text(const char* text) {
  char* out = message_text();
  size_t used = strnlen(out, SCRATCH_MESSAGE_CAPACITY);
  if (used == SCRATCH_MESSAGE_CAPACITY) out[--used] = 0;  // a caller's text without its zero
  size_t length = std::strlen(text);
  if (used + length >= SCRATCH_MESSAGE_CAPACITY) return false;
  std::memcpy(out + used, text, length + 1);
  return true;
}

const char* choice_words() { return scratch_at(SCRATCH_HOT_KEY_LINE); }

const char* choice_hot_letters() { return scratch_at(SCRATCH_HOT_LETTERS); }

// ---- Helpers ----------------------------------------------------------------------------------

void hot_letters(const char* text, char* out, size_t out_size) {
  if (out_size == 0) return;
  size_t n = 0;
  for (const char* p = text; *p != 0 && n + 1 < out_size; ++p) {
    if (*p != 0x0B || p[1] == 0) continue;
    char c = *++p;
    out[n++] = (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
  }
  out[n] = 0;
}

int message_lines_to_array(int number, std::vector<std::string>* array, int max) {
  array->assign(static_cast<size_t>(std::max(max, 0)), std::string());
  if (max <= 0 || find_message(number) == 0) return 0;
  int width = 0;
  for (int i = 0; i < max && read_message_line(0) > 0; ++i) {
    (*array)[static_cast<size_t>(i)] = message_text();
    width = std::max(width, display_length(message_text()));
  }
  return width;
}

void messages_to_array(int count, int first, std::vector<std::string>* array) {
  array->assign(static_cast<size_t>(std::max(count, 0)), std::string());
  for (int i = 0; i < count; ++i) {
    if (get_message(first + i) != 0) (*array)[static_cast<size_t>(i)] = message_text();
  }
}

int message_to_list_texts(TextLine* line, int number) {
  if (line == nullptr) return 0;
  if (find_message(number) == 0) return -1;
  for (TextLine* l = line; l != nullptr; l = l->next) {
    clear_message_text();
    if (read_message_line(1) == 0) break;
    set_line_text(message_text(), l);
    l->state |= LINE_STATE_REDRAW;
    l->extra = LineExtra{};
  }
  ++g_lists.lines_changed;
  if (find_message(number + 1) == 0) return 0;
  TextLine* l = line->prev != nullptr ? line->prev->next : g_lists.current.first;
  for (; l != nullptr; l = l->next) {
    clear_message_text();
    if (read_message_line(1) == 0) break;
    read_message_line(1);
    const char* help = message_text();
    l->extra.assign(help, help + std::strlen(help) + 1);
  }
  return 0;
}

// ---- Test hooks -------------------------------------------------------------------------------

void reset_catalogue() {
  close_catalogue();
  g_catalogue = MessageCatalogue{};
}
