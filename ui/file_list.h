// The file list: the entries of a folder as a sorted line list, each line carrying a FileEntry
// (name, extension, size, attributes, DOS time and date) as its extra block. It keeps an open
// folder tree in step with the sub-folders it meets, and climbs to the nearest folder that still
// exists when the folder asked for has gone.
#pragma once

#include <cstdint>
#include <string>

#include "store/line_list.h"

// FileEntry, the extra block of a file-list line (little-endian, no gaps). The size is 64-bit:
// a file past 4 GB keeps its size.
constexpr size_t FILE_ENTRY_NAME_SIZE = 260;   // the name, cut before a 1-3 letter extension
constexpr size_t FILE_ENTRY_EXTENSION_OFFSET = 260;
constexpr size_t FILE_ENTRY_EXTENSION_SIZE = 4;
constexpr size_t FILE_ENTRY_SIZE_OFFSET = 264;        // i64 bytes
constexpr size_t FILE_ENTRY_ATTRIBUTES_OFFSET = 272;  // u32 FILE_ATTRIBUTE_*
constexpr size_t FILE_ENTRY_TIME_OFFSET = 276;        // u16 DOS time (hours in the top 5 bits)
constexpr size_t FILE_ENTRY_DATE_OFFSET = 278;        // u16 DOS date (years from 1980 on top)
constexpr size_t FILE_ENTRY_BYTES = 280;

constexpr uint32_t FILE_ATTRIBUTE_READ_ONLY = 0x01;
constexpr uint32_t FILE_ATTRIBUTE_HIDDEN = 0x02;
constexpr uint32_t FILE_ATTRIBUTE_FOLDER = 0x10;

// Sort flags (the preferences' file-list sort option; default 5).
constexpr uint16_t FILE_SORT_NAME_TIE = 0x01;
constexpr uint16_t FILE_SORT_EXTENSION = 0x02;
constexpr uint16_t FILE_SORT_DATE = 0x04;
constexpr uint16_t FILE_SORT_SIZE = 0x10;

// list_files mode: the folder argument is the whole search pattern (folder and wildcards).
constexpr int LIST_FILES_PATTERN = 2;

struct FileListState {
  uint16_t sort_flags = 5;  // FILE_SORT_*
};
extern FileListState g_file_list;

struct FileEntryFields {
  std::string name;
  std::string extension;
  int64_t size = 0;
  uint32_t attributes = 0;
  uint16_t time = 0;
  uint16_t date = 0;
};

// A FileEntry block and its fields back.
LineExtra make_file_entry(const std::string& file_name, int64_t size, uint32_t attributes,
                          uint16_t dos_time, uint16_t dos_date);
FileEntryFields file_entry_fields(const TextLine* line);
std::string file_entry_name(const TextLine* line);
std::string file_entry_extension(const TextLine* line);
// The name whole again: name, and ".extension" when it has one.
std::string file_entry_file_name(const TextLine* line);
// DOS time and date of a time in seconds since 1970, in local time (0 before 1980).
void dos_time_date(int64_t seconds, uint16_t* dos_time, uint16_t* dos_date);

// Clears the current list and fills it with the entries of *folder (ending with '/'), sorted by
// the sort flags; with LIST_FILES_PATTERN *folder is the whole pattern ("/fonts/*.Q2?"). A folder
// that is gone is replaced in *folder by its nearest existing parent (never in pattern mode).
// Returns the number of entries; a list without any holds one empty line and gives 0.
int list_files(std::string* folder, int mode);

// The sort hooks.
int compare_entry_names(const TextLine* a, const TextLine* b);
int compare_entry_sizes(const TextLine* a, const TextLine* b);
int compare_entry_extensions(const TextLine* a, const TextLine* b);
int compare_entry_dates(const TextLine* a, const TextLine* b);
