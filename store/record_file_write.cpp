// The record-file writer. Kept apart from the loader, which talks to the user, so that tools
// that only write record files need nothing but the platform's file layer.
#include <algorithm>
#include <cstring>
#include <vector>

#include "store/record_bytes.h"
#include "store/record_file.h"

bool write_record_file(SaveFile* file, const TextLine* first, uint16_t record_size) {
  static const uint8_t crlf[2] = {'\r', '\n'};
  if (record_size > 0) {
    if (!save_write(file, RECORD_FILE_TAG, RECORD_FILE_TAG_SIZE)) return false;
    if (!save_write(file, crlf, 2)) return false;
  }
  std::vector<uint8_t> block(record_size, 0);
  for (const TextLine* line = first; line != nullptr; line = line->next) {
    if (line->text.empty() && line->extra.empty()) continue;
    // A text can not hold a line end: the reader would take it for the end of the record.
    const size_t text_end = std::min(line->text.find('\n'), std::strlen(line->text.c_str()));
    if (!save_write(file, line->text.data(), text_end)) return false;
    if (!save_write(file, crlf, 2)) return false;
    uint8_t id_bytes[RECORD_ID_SIZE];
    put_i16_le(id_bytes, line->id);
    id_bytes[2] = line->kind;
    id_bytes[3] = line->state;
    if (!save_write(file, id_bytes, RECORD_ID_SIZE)) return false;
    if (record_size == 0) continue;
    std::fill(block.begin(), block.end(), 0);
    const size_t kept = std::min<size_t>(record_size, line->extra.size());
    std::memcpy(block.data(), line->extra.data(), kept);
    if (!save_write(file, block.data(), record_size)) return false;
  }
  return true;
}
