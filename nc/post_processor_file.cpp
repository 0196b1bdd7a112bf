// The post-processor file: reading and writing the definitions.
#include <cstdio>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "nc/post_processor.h"
#include "store/record_bytes.h"

namespace {

// How reading one definition ended.
enum DefinitionRead {
  DEFINITION_WHOLE,      // read with all its sections
  DEFINITION_BROKEN,     // the file ends inside its name, number or record, or its name
                         // length is impossible: it is dropped
  DEFINITION_ABANDONED,  // a section was damaged: kept, with empty sections from there on
  DEFINITION_NO_MEMORY,
};

// Hands out the next n bytes, or false (nothing taken) when fewer are left.
bool take_bytes(PostFileReader* reader, size_t n, const uint8_t** bytes) {
  if (reader->size - reader->at < n) return false;
  *bytes = reader->data + reader->at;
  reader->at += n;
  return true;
}

// The one place a damaged section gives up: the lines read so far go and the rest of the
// file is not read (after a length that can not be trusted nothing can be found again).
LineList abandon_section(PostFileReader* reader) {
  free_current_list();
  reader->abandoned = true;
  reader->at = reader->size;
  return make_code_section(nullptr, 0);
}

// Reads a section's lines into the current list, an empty one the caller set up.
LineList read_section_lines(PostFileReader* reader) {
  for (;;) {
    const uint8_t* bytes = nullptr;
    if (!take_bytes(reader, 2, &bytes)) return abandon_section(reader);
    const int16_t length = get_i16_le(bytes);
    if (length == 0) break;
    if (length < 0 || length > PP_LINE_MAX) return abandon_section(reader);
    if (!take_bytes(reader, static_cast<size_t>(length), &bytes)) return abandon_section(reader);
    std::string text(reinterpret_cast<const char*>(bytes), static_cast<size_t>(length));
    if (text.find('\n') != std::string::npos) return abandon_section(reader);
    const size_t zero = text.find('\0');
    if (zero != std::string::npos) text.resize(zero);
    text.push_back('\n');
    if (append_line(text.c_str()) == nullptr) return abandon_section(reader);
  }
  if (g_lists.current.first == nullptr) append_line("\n");
  return g_lists.current;
}

DefinitionRead read_one_definition(PostFileReader* reader) {
  const uint8_t* bytes = nullptr;
  if (!take_bytes(reader, 1, &bytes)) return DEFINITION_BROKEN;
  const size_t name_length = bytes[0];
  if (name_length > static_cast<size_t>(PP_NAME_MAX)) return DEFINITION_BROKEN;
  const uint8_t* name_bytes = nullptr;
  const uint8_t* number_bytes = nullptr;
  const uint8_t* record = nullptr;
  if (!take_bytes(reader, name_length + 1, &name_bytes) ||
      !take_bytes(reader, 2, &number_bytes) || !take_bytes(reader, PP_RECORD_SIZE, &record)) {
    return DEFINITION_BROKEN;
  }
  std::string name(reinterpret_cast<const char*>(name_bytes), name_length);
  const size_t zero = name.find('\0');
  if (zero != std::string::npos) name.resize(zero);
  PostProcessorDef def;
  read_post_processor_record(record, &def);
  for (LineList& section : def.sections) section = read_code_section(reader);
  if (append_post_processor(name.c_str(), get_i16_le(number_bytes), def) == nullptr)
    return DEFINITION_NO_MEMORY;
  return reader->abandoned ? DEFINITION_ABANDONED : DEFINITION_WHOLE;
}

bool read_whole_file(const std::string& path, std::vector<uint8_t>* bytes) {
  const int64_t size = file_size(path);
  if (size < 0) return false;
  std::FILE* stream = std::fopen(path.c_str(), "rb");
  if (stream == nullptr) return false;
  bool good = true;
  try {
    bytes->resize(static_cast<size_t>(size));
  } catch (const std::bad_alloc&) {
    good = false;
  }
  if (good && size > 0) good = std::fread(bytes->data(), 1, bytes->size(), stream) == bytes->size();
  std::fclose(stream);
  return good;
}

bool entry_is_named(const TextLine* entry) {
  return !entry->text.empty() && static_cast<uint8_t>(entry->text[0]) >= 32;
}

// Calls visit(piece) for each stored line of a section: the texts split at their newlines,
// the empty pieces left out. Stops and returns false when visit does.
template <class Visit>
bool for_each_section_piece(const TextLine* first, Visit visit) {
  for (const TextLine* line = first; line != nullptr; line = line->next) {
    const std::string& text = line->text;
    size_t start = 0;
    while (start < text.size()) {
      size_t end = text.find('\n', start);
      if (end == std::string::npos) end = text.size();
      if (end > start && !visit(text.substr(start, end - start))) return false;
      start = end + 1;
    }
  }
  return true;
}

bool save_i16(SaveFile* file, int16_t value) {
  uint8_t bytes[2];
  put_i16_le(bytes, value);
  return save_write(file, bytes, 2);
}

}  // namespace

LineList read_code_section(PostFileReader* reader) {
  push_list();
  clear_current_list();
  LineList section = read_section_lines(reader);
  clear_current_list();
  pop_list();
  return section;
}

bool write_code_section(const TextLine* first, SaveFile* file) {
  const bool lines_written = for_each_section_piece(first, [&](const std::string& piece) {
    return save_i16(file, static_cast<int16_t>(piece.size())) &&
           save_write(file, piece.data(), piece.size());
  });
  return lines_written && save_i16(file, 0);
}

PostReadResult read_post_processor_file(const std::string& path, LineList* list) {
  std::vector<uint8_t> bytes;
  if (!read_whole_file(path, &bytes)) return PP_READ_NO_FILE;
  if (bytes.size() < PP_FILE_TAG_SIZE ||
      (std::memcmp(bytes.data(), PP_FILE_TAG, PP_FILE_TAG_SIZE) != 0 &&
       std::memcmp(bytes.data(), PP_FILE_OLD_TAG, PP_FILE_TAG_SIZE) != 0)) {
    return PP_READ_FOREIGN;
  }
  PostFileReader reader;
  reader.data = bytes.data();
  reader.size = bytes.size();
  reader.at = PP_FILE_TAG_SIZE;
  push_list();
  clear_current_list();
  bool damaged = false;
  while (reader.at < reader.size) {
    if (read_one_definition(&reader) != DEFINITION_WHOLE) {
      damaged = true;
      break;
    }
  }
  LineList read = g_lists.current;
  clear_current_list();
  pop_list();
  if (read.first == nullptr) return damaged ? PP_READ_DAMAGED : PP_READ_EMPTY;
  free_post_processor_list(list);
  *list = read;
  return damaged ? PP_READ_DAMAGED : PP_READ_OK;
}

bool post_processors_writable(const TextLine* first, std::string* why) {
  for (const TextLine* entry = first; entry != nullptr; entry = entry->next) {
    if (!entry_is_named(entry)) continue;
    if (entry->text.size() > static_cast<size_t>(PP_NAME_MAX)) {
      *why = "The name of the NC format \"" + entry->text + "\" is longer than 39 characters.";
      return false;
    }
    const PostProcessorDef* def = post_processor_def(entry);
    if (def == nullptr) continue;
    for (const LineList& section : def->sections) {
      const bool fits = for_each_section_piece(section.first, [](const std::string& piece) {
        return piece.size() <= static_cast<size_t>(PP_LINE_MAX);
      });
      if (!fits) {
        *why = "The NC format \"" + entry->text + "\" has a code line longer than 80 characters.";
        return false;
      }
    }
  }
  return true;
}

bool write_post_processor_file(SaveFile* file, const TextLine* first) {
  if (!save_write(file, PP_FILE_TAG, PP_FILE_TAG_SIZE)) return false;
  for (const TextLine* entry = first; entry != nullptr; entry = entry->next) {
    const PostProcessorDef* def = post_processor_def(entry);
    // Unnamed entries (the blank one the list keeps for adding) are not definitions; skipping
    // them, rather than stopping there, keeps every named one after them.
    if (!entry_is_named(entry) || def == nullptr) continue;
    if (entry->text.size() > static_cast<size_t>(PP_NAME_MAX)) return false;
    const uint8_t name_length = static_cast<uint8_t>(entry->text.size());
    uint8_t record[PP_RECORD_SIZE];
    write_post_processor_record(*def, record);
    if (!save_write(file, &name_length, 1) ||
        !save_write(file, entry->text.c_str(), entry->text.size() + 1) ||
        !save_i16(file, entry->id) || !save_write(file, record, PP_RECORD_SIZE)) {
      return false;
    }
    for (const LineList& section : def->sections)
      if (!write_code_section(section.first, file)) return false;
  }
  return true;
}
