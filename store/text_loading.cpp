#include "store/text_loading.h"

#include <algorithm>
#include <cstdio>
#include <new>

#include "store/file_reader.h"
#include "store/line_fold.h"
#include "store/text_wrap.h"

namespace {

constexpr char GLYPH_ESCAPE = 0x08;
constexpr int GLYPH_OFFSET = 33;

// Control characters a window with colour codes kept takes as they are.
bool kept_colour_code(unsigned char c) {
  switch (c) {
    case 8: case 11: case 12: case 14: case 19: case 27: case 28: case 29:
      return true;
    default:
      return false;
  }
}

// One byte of a file line (never a line end) into line text.
void append_text_byte(std::string* text, unsigned char c, uint32_t flags) {
  if (c >= 32 || c == '\t' ||
      ((flags & TEXT_FLAG_COLOUR_CODES) != 0 && kept_colour_code(c))) {
    text->push_back(static_cast<char>(c));
    return;
  }
  text->push_back(GLYPH_ESCAPE);
  text->push_back(static_cast<char>(c + GLYPH_OFFSET));
}

// Reads a file's bytes in buffer-sized records and cuts them into lines itself, so that every
// byte is accounted for: a CR before an LF is the line end of a CR LF file, any other CR is text.
class Loader {
 public:
  explicit Loader(TextLoad* load)
      : load_(load),
        file_(load->file),
        glyph_mode_((load->window_flags & TEXT_FLAG_GLYPH_CONTROLS) != 0),
        detecting_(load->detect_line_ends) {}

  int32_t run();

 private:
  bool read_bytes(bool* stop);
  bool take_byte(unsigned char c, bool* line_ended);
  void take_cr_as_text() { append_text_byte(&text_, '\r', load_->window_flags); }
  bool flush(bool line_end);
  bool at_line_end();
  bool start_partial_load();
  bool finish_tail_skip();
  int32_t fail();

  TextLoad* load_;
  FileRecord* file_;
  const bool glyph_mode_;
  bool detecting_;              // the file's line-end style is still unknown
  std::string text_;            // converted text of the file line being read
  bool pending_cr_ = false;     // a CR read whose next byte decides what it is
  bool stopped_ = false;        // an early stop: the bytes after consumed are not taken
  bool tail_ = false;           // reading the tail of a partly loaded file
  bool skipping_ = false;       // skipping the tail's first, partial line
  int64_t tail_start_ = 0;      // where the tail read starts in the file
  int64_t skipped_ = 0;         // bytes of the tail's first line skipped
  TextLine* before_ = nullptr;  // the list's last line before the load
};

bool Loader::flush(bool line_end) {
  if (line_end) text_.push_back('\n');
  if (text_.empty()) return true;
  const int made = wrap_text_into_lines(text_.c_str(), load_->wrap_width) - 1;
  text_.clear();
  if (made <= 0) return false;
  load_->lines_made += made;
  return true;
}

// The text of the line read so far is wrapped before the rest of a very long file line.
bool Loader::take_byte(unsigned char c, bool* line_ended) {
  *line_ended = false;
  if (glyph_mode_) {
    append_text_byte(&text_, c, load_->window_flags);
  } else if (c == '\n') {
    if (pending_cr_) {
      pending_cr_ = false;
      if (detecting_) file_->lf_line_ends = false;
      if (file_->lf_line_ends) take_cr_as_text();
    } else if (detecting_) {
      file_->lf_line_ends = true;
    }
    detecting_ = false;
    *line_ended = true;
    return flush(true);
  } else if (c == '\r' && !file_->lf_line_ends) {
    if (pending_cr_) take_cr_as_text();
    pending_cr_ = true;
  } else {
    if (pending_cr_) take_cr_as_text();
    pending_cr_ = false;
    append_text_byte(&text_, c, load_->window_flags);
  }
  if (text_.size() > LOAD_TEXT_CHUNK) return flush(false);
  return true;
}

// After a file line ended: the early stop of a slice and the cut of a partial load.
bool Loader::at_line_end() {
  if (load_->limit >= 0 && !load_->whole_slice && load_->lines_made > PARTIAL_LOAD_LINES) {
    stopped_ = true;
    return true;
  }
  if (load_->allow_partial && !tail_ && file_->file_length > PARTIAL_LOAD_FILE_BYTES &&
      load_->lines_made > PARTIAL_LOAD_LINES &&
      file_->file_length - load_->consumed > PARTIAL_LOAD_REST)
    return start_partial_load();
  return true;
}

// Leaves the middle of the file unread behind a placeholder and goes on with its tail.
bool Loader::start_partial_load() {
  FoldRecord record{};
  record.fold_slot = -1;
  record.unread_text = 1;
  record.file_offset = load_->consumed;
  record.byte_count = file_->file_length - load_->consumed;
  TextLine* last = g_lists.current.last;
  TextLine* placeholder = nullptr;
  try {
    placeholder = append_line(FOLD_PLACEHOLDER_TEXT, make_line_extra(record));
  } catch (const std::bad_alloc&) {
    placeholder = nullptr;
  }
  if (placeholder == nullptr) return false;
  placeholder->kind = LINE_KIND_PLACEHOLDER;
  set_line_key(placeholder, line_key(last) + 1);
  load_->placeholder = placeholder;
  tail_ = true;
  skipping_ = true;
  skipped_ = 0;
  tail_start_ = file_->file_length - PARTIAL_LOAD_TAIL;
  return seek_file_record(file_, tail_start_, SEEK_SET) == 0;
}

// The tail starts after the first line end met in it; without one, the whole tail is read.
bool Loader::finish_tail_skip() {
  FoldRecord* record = fold_record_of(load_->placeholder);
  if (skipping_) {
    skipping_ = false;
    skipped_ = 0;
    if (seek_file_record(file_, tail_start_, SEEK_SET) != 0) return false;
  }
  record->byte_count = tail_start_ + skipped_ - record->file_offset;
  return true;
}

// Reads and takes one record of bytes; false on a memory or seek failure.
bool Loader::read_bytes(bool* stop) {
  *stop = false;
  size_t want = file_->buffer_size > 0 ? file_->buffer_size : FILE_BUFFER_EDITOR;
  if (load_->limit >= 0 && !tail_) {
    const int64_t left = load_->limit - load_->consumed;
    if (left <= 0) {
      *stop = true;
      return true;
    }
    want = static_cast<size_t>(std::min<int64_t>(left, static_cast<int64_t>(want)));
  }
  const int32_t got = read_file_line(file_, static_cast<int>(want));
  if (got <= 0) {
    if (skipping_) return finish_tail_skip();  // no line end in the tail: read it whole
    *stop = true;
    return true;
  }
  const unsigned char* bytes = reinterpret_cast<const unsigned char*>(file_line_text(file_));
  for (int32_t i = 0; i < got; ++i) {
    const unsigned char c = bytes[i];
    if (skipping_) {
      ++skipped_;
      if (c == '\n') {
        skipping_ = false;
        if (!finish_tail_skip()) return false;
        if (seek_file_record(file_, tail_start_ + skipped_, SEEK_SET) != 0) return false;
        return true;
      }
      continue;
    }
    ++load_->consumed;
    bool line_ended = false;
    if (!take_byte(c, &line_ended)) return false;
    if (!line_ended) continue;
    const bool was_tail = tail_;
    if (!at_line_end()) return false;
    if (stopped_) {
      *stop = true;
      return true;
    }
    if (tail_ != was_tail) return true;  // the file was positioned at its tail
  }
  return true;
}

int32_t Loader::fail() {
  // Only the lines this load appended go.
  TextLine* line = before_ != nullptr ? before_->next : g_lists.current.first;
  while (line != nullptr) line = delete_line(line);
  close_file_record(file_);
  return -1;
}

int32_t Loader::run() {
  before_ = fix_list_last();
  load_->consumed = 0;
  load_->lines_made = 0;
  load_->placeholder = nullptr;
  for (;;) {
    bool stop = false;
    if (!read_bytes(&stop)) return fail();
    if (stop) break;
  }
  if (pending_cr_) {
    // A CR at the end of what was read: text, unless the read stopped inside the text wanted,
    // where the next slice decides (it starts at the CR).
    const bool cut_inside = load_->limit >= 0 && !load_->limit_ends_text && !stopped_ &&
                            load_->consumed == load_->limit;
    if (cut_inside) --load_->consumed;
    else take_cr_as_text();
    pending_cr_ = false;
  }
  if (!flush(false)) return fail();
  return load_->lines_made;
}

}  // namespace

int32_t read_text_lines(TextLoad* load) {
  if (load == nullptr || load->file == nullptr) return -1;
  Loader loader(load);
  return loader.run();
}

void line_to_file_text(const TextLine* line, uint32_t window_flags, bool lf_line_ends,
                       std::string* out) {
  const std::string& text = line->text;
  const bool colour_codes = (window_flags & TEXT_FLAG_COLOUR_CODES) != 0;
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == 0) return;
    if (c == GLYPH_ESCAPE && i + 1 < text.size() && !colour_codes) {
      out->push_back(static_cast<char>(static_cast<unsigned char>(text[i + 1]) - GLYPH_OFFSET));
      ++i;
    } else if (c == '\n') {
      if (!lf_line_ends) out->push_back('\r');
      out->push_back('\n');
      return;
    } else {
      out->push_back(c);
    }
  }
}

std::string escape_file_text(const std::string& bytes, uint32_t window_flags) {
  std::string text;
  text.reserve(bytes.size());
  for (unsigned char c : bytes) append_text_byte(&text, c, window_flags);
  return text;
}
