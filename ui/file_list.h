// The file list: the entries of a folder as a sorted line list, each line carrying a FileEntry
// (name, extension, size, attributes, time, date) as its extra block.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "platform/files.h"
#include "store/line_list.h"

// FileEntry, the extra block of a file-list line (little-endian, no gaps)
constexpr size_t FILE_ENTRY_NAME_SIZE = 260;   // the name, cut before a 1-3 letter extension
constexpr size_t FILE_ENTRY_EXTENSION_OFFSET = 260;
constexpr size_t FILE_ENTRY_EXTENSION_SIZE = 4;
constexpr size_t FILE_ENTRY_SIZE_OFFSET = 264; // i32 bytes
constexpr size_t FILE_ENTRY_BYTES = 276;
// list_files mode: the folder argument is the whole search pattern.
constexpr int LIST_FILES_PATTERN = 2;

// Stand-in: only the sort flags; no directory tree is kept in step.
struct FileListState {
  uint16_t sort_flags = 5;  // 0x02 extension, 0x04 date, 0x10 size, 0x01 name tie-break
};
inline FileListState g_file_list;

// The name and extension of a file-list line ("" when it has no entry).
inline std::string file_entry_name(const TextLine* line) {
  if (line == nullptr || line->extra.size() < FILE_ENTRY_BYTES) return "";
  const char* name = reinterpret_cast<const char*>(line->extra.data());
  return std::string(name, strnlen(name, FILE_ENTRY_NAME_SIZE));
}
inline std::string file_entry_extension(const TextLine* line) {
  if (line == nullptr || line->extra.size() < FILE_ENTRY_BYTES) return "";
  const char* ext = reinterpret_cast<const char*>(line->extra.data() + FILE_ENTRY_EXTENSION_OFFSET);
  return std::string(ext, strnlen(ext, FILE_ENTRY_EXTENSION_SIZE - 1));
}

// A FileEntry block for a file name and size.
inline LineExtra make_file_entry(const std::string& file_name, int64_t size) {
  LineExtra entry(FILE_ENTRY_BYTES, 0);
  std::string name = file_name;
  std::string extension;
  const size_t dot = file_name.rfind('.');
  if (dot != std::string::npos && file_name.size() - dot - 1 >= 1 &&
      file_name.size() - dot - 1 <= 3) {
    name = file_name.substr(0, dot);
    extension = file_name.substr(dot + 1);
  }
  std::memcpy(entry.data(), name.data(), std::min(name.size(), FILE_ENTRY_NAME_SIZE - 1));
  std::memcpy(entry.data() + FILE_ENTRY_EXTENSION_OFFSET, extension.data(), extension.size());
  const uint32_t bytes = static_cast<uint32_t>(std::min<int64_t>(size, INT32_MAX));
  for (int i = 0; i < 4; ++i)
    entry[FILE_ENTRY_SIZE_OFFSET + i] = static_cast<uint8_t>(bytes >> (8 * i));
  return entry;
}

// Clears the current list and fills it with the files of folder (ending with '/'), or with
// mode LIST_FILES_PATTERN those matching the pattern folder holds; returns their number. A list
// without files holds one empty line and gives 0.
// Stand-in: ordinary files only, sorted by name whatever the sort flags.
// It does not climb to a parent folder and lists no times or dates yet.
inline int list_files(const std::string& folder, int mode) {
  clear_current_list();
  std::string where = folder;
  std::string pattern = "*.*";
  if (mode == LIST_FILES_PATTERN) {
    const size_t slash = folder.rfind('/');
    where = slash == std::string::npos ? "." : folder.substr(0, slash + 1);
    pattern = slash == std::string::npos ? folder : folder.substr(slash + 1);
  }
  std::vector<FolderEntry> entries;
  int count = 0;
  if (list_folder(where, pattern, &entries)) {
    for (const FolderEntry& entry : entries) {
      if (entry.is_folder) continue;
      if (append_line("", make_file_entry(entry.name, entry.size)) == nullptr) break;
      ++count;
    }
  }
  if (count == 0) append_line("");
  return count;
}
