#include "ui/file_list.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <ctime>
#include <vector>

#include "platform/files.h"
#include "platform/folder_listing.h"
#include "platform/folder_scan.h"
#include "store/record_bytes.h"
#include "ui/dir_tree.h"
#include "ui/text_window.h"

FileListState g_file_list;

namespace {

constexpr int DOS_FIRST_YEAR = 1980;
// A folder path this short is a place's root, which is never climbed from.
constexpr size_t CLIMB_SHORTEST = 4;

int compare_ignoring_case(const std::string& a, const std::string& b) {
  const size_t n = std::min(a.size(), b.size());
  for (size_t i = 0; i < n; ++i) {
    const int d = std::tolower(static_cast<unsigned char>(a[i])) -
                  std::tolower(static_cast<unsigned char>(b[i]));
    if (d != 0) return d;
  }
  return static_cast<int>(a.size()) - static_cast<int>(b.size());
}

int sign(int64_t v) { return v < 0 ? -1 : v > 0 ? 1 : 0; }

int by_name_then_extension(const FileEntryFields& a, const FileEntryFields& b) {
  const int d = compare_ignoring_case(a.name, b.name);
  return d != 0 ? d : compare_ignoring_case(a.extension, b.extension);
}

int by_extension_then_name(const FileEntryFields& a, const FileEntryFields& b) {
  const int d = compare_ignoring_case(a.extension, b.extension);
  return d != 0 ? d : compare_ignoring_case(a.name, b.name);
}

bool is_folder_like(const FileEntryFields& e) { return (e.attributes & 0x18) != 0; }

// Folders (and volume labels) first, by name; 0 when both are files.
int folders_first(const FileEntryFields& a, const FileEntryFields& b) {
  const bool fa = is_folder_like(a);
  const bool fb = is_folder_like(b);
  if (fa != fb) return fa ? -1 : 1;
  if (fa) return by_name_then_extension(a, b);
  return 0;
}

int by_date(const FileEntryFields& a, const FileEntryFields& b) {
  // Newest first: the date, then the hour, then the time to the minute (files of one minute
  // are told apart by their names).
  if (a.date != b.date) return a.date > b.date ? -1 : 1;
  if ((a.time >> 11) != (b.time >> 11)) return (a.time >> 11) > (b.time >> 11) ? -1 : 1;
  if ((a.time >> 5) != (b.time >> 5)) return (a.time >> 5) > (b.time >> 5) ? -1 : 1;
  return 0;
}

// The folder and pattern a list is made from.
void split_pattern(const std::string& text, std::string* folder, std::string* pattern) {
  const size_t slash = text.rfind('/');
  *folder = slash == std::string::npos ? "./" : text.substr(0, slash + 1);
  *pattern = slash == std::string::npos ? text : text.substr(slash + 1);
  if (pattern->empty()) *pattern = "*.*";
}

bool tree_open() { return window_of(g_dir_tree.window) != nullptr; }

bool lists_folders_as_entries(int drive) {
  if (drive < 0) return false;
  const DriveInfo& d = g_dir_tree.drives[drive];
  return d.type == DRIVE_CD || d.type == DRIVE_REMOTE;
}

// The entries of one folder into the current list; the number of lines made.
int fill_list(const std::string& folder, const std::string& pattern, bool note_folders) {
  std::vector<FileInfo> files;
  list_folder_files(folder, &files);
  const int drive = g_dir_tree.drive_count >= 0 ? drive_of_path(folder) : -1;
  const bool folders_listed = lists_folders_as_entries(drive);
  const bool tree_place = tree_open() && drive == g_dir_tree.drive;
  const bool wide_mask = folders_listed || tree_place;
  int count = 0;
  for (const FileInfo& f : files) {
    if (f.is_folder) {
      if (note_folders && tree_place && (!f.hidden || g_dir_tree.with_hidden))
        note_folder(folder + f.name + "/");
      if (!folders_listed) continue;
    }
    if (f.hidden && !wide_mask) continue;
    if (!f.is_folder && !wildcard_match(pattern, f.name)) continue;
    uint16_t dos_time = 0;
    uint16_t dos_date = 0;
    dos_time_date(f.modified, &dos_time, &dos_date);
    uint32_t attributes = 0;
    if (f.read_only) attributes |= FILE_ATTRIBUTE_READ_ONLY;
    if (f.hidden) attributes |= FILE_ATTRIBUTE_HIDDEN;
    if (f.is_folder) attributes |= FILE_ATTRIBUTE_FOLDER;
    if (append_line("", make_file_entry(f.name, f.size, attributes, dos_time, dos_date)) == nullptr)
      break;
    ++count;
  }
  return count;
}

}  // namespace

bool tree_open();

// ---- Entries ---------------------------------------------------------------------------------

LineExtra make_file_entry(const std::string& file_name, int64_t size, uint32_t attributes,
                          uint16_t dos_time, uint16_t dos_date) {
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
  for (int i = 0; i < 8; ++i)
    entry[FILE_ENTRY_SIZE_OFFSET + i] = static_cast<uint8_t>(static_cast<uint64_t>(size) >> (8 * i));
  put_u32_le(entry.data() + FILE_ENTRY_ATTRIBUTES_OFFSET, attributes);
  put_u16_le(entry.data() + FILE_ENTRY_TIME_OFFSET, dos_time);
  put_u16_le(entry.data() + FILE_ENTRY_DATE_OFFSET, dos_date);
  return entry;
}

FileEntryFields file_entry_fields(const TextLine* line) {
  FileEntryFields f;
  if (line == nullptr || line->extra.size() < FILE_ENTRY_BYTES) return f;
  const uint8_t* e = line->extra.data();
  const char* name = reinterpret_cast<const char*>(e);
  f.name.assign(name, strnlen(name, FILE_ENTRY_NAME_SIZE));
  const char* ext = reinterpret_cast<const char*>(e + FILE_ENTRY_EXTENSION_OFFSET);
  f.extension.assign(ext, strnlen(ext, FILE_ENTRY_EXTENSION_SIZE - 1));
  uint64_t size = 0;
  for (int i = 0; i < 8; ++i) size |= static_cast<uint64_t>(e[FILE_ENTRY_SIZE_OFFSET + i]) << (8 * i);
  f.size = static_cast<int64_t>(size);
  f.attributes = get_u32_le(e + FILE_ENTRY_ATTRIBUTES_OFFSET);
  f.time = get_u16_le(e + FILE_ENTRY_TIME_OFFSET);
  f.date = get_u16_le(e + FILE_ENTRY_DATE_OFFSET);
  return f;
}

std::string file_entry_name(const TextLine* line) { return file_entry_fields(line).name; }
std::string file_entry_extension(const TextLine* line) { return file_entry_fields(line).extension; }
std::string file_entry_file_name(const TextLine* line) {
  const FileEntryFields f = file_entry_fields(line);
  return f.extension.empty() ? f.name : f.name + "." + f.extension;
}

void dos_time_date(int64_t seconds, uint16_t* dos_time, uint16_t* dos_date) {
  *dos_time = 0;
  *dos_date = 0;
  const std::time_t t = static_cast<std::time_t>(seconds);
  const std::tm* local = std::localtime(&t);
  if (local == nullptr || local->tm_year + 1900 < DOS_FIRST_YEAR) return;
  *dos_date = static_cast<uint16_t>(((local->tm_year + 1900 - DOS_FIRST_YEAR) << 9) |
                                    ((local->tm_mon + 1) << 5) | local->tm_mday);
  *dos_time = static_cast<uint16_t>((local->tm_hour << 11) | (local->tm_min << 5) |
                                    (std::min(local->tm_sec, 59) / 2));
}

// ---- Sort hooks ------------------------------------------------------------------------------

int compare_entry_names(const TextLine* a, const TextLine* b) {
  return by_name_then_extension(file_entry_fields(a), file_entry_fields(b));
}

int compare_entry_sizes(const TextLine* a, const TextLine* b) {
  const FileEntryFields x = file_entry_fields(a);
  const FileEntryFields y = file_entry_fields(b);
  if (is_folder_like(x) || is_folder_like(y)) return folders_first(x, y);
  if (x.size != y.size) return sign(x.size - y.size);
  return by_name_then_extension(x, y);
}

int compare_entry_extensions(const TextLine* a, const TextLine* b) {
  const FileEntryFields x = file_entry_fields(a);
  const FileEntryFields y = file_entry_fields(b);
  if (is_folder_like(x) || is_folder_like(y)) return folders_first(x, y);
  const int d = compare_ignoring_case(x.extension, y.extension);
  if (d != 0) return d;
  const uint16_t flags = g_file_list.sort_flags;
  if ((flags & FILE_SORT_NAME_TIE) != 0) return compare_ignoring_case(x.name, y.name);
  if ((flags & FILE_SORT_DATE) != 0) return by_date(x, y);
  return sign(x.size - y.size);
}

int compare_entry_dates(const TextLine* a, const TextLine* b) {
  const FileEntryFields x = file_entry_fields(a);
  const FileEntryFields y = file_entry_fields(b);
  const int d = by_date(x, y);
  if (d != 0) return d;
  return (g_file_list.sort_flags & FILE_SORT_NAME_TIE) != 0 ? by_name_then_extension(x, y)
                                                            : by_extension_then_name(x, y);
}

// ---- Listing ---------------------------------------------------------------------------------

int list_files(std::string* folder, int mode) {
  clear_current_list();
  if (folder == nullptr) {
    append_line("");
    return 0;
  }
  std::string where;
  std::string pattern;
  if (mode == LIST_FILES_PATTERN) {
    split_pattern(*folder, &where, &pattern);
  } else {
    if (folder->empty() || folder->back() != '/') *folder += '/';
    where = *folder;
    pattern = "*";
  }
  int count = 0;
  for (;;) {
    count = fill_list(where, pattern, mode != LIST_FILES_PATTERN);
    if (mode != LIST_FILES_PATTERN) forget_missing_folders(where);
    if (count > 0 || mode == LIST_FILES_PATTERN) break;
    // Nothing found: an empty folder stays, a folder that is gone gives way to its parent.
    if (where.size() < CLIMB_SHORTEST || folder_exists(where)) break;
    where = parent_folder(where);
    *folder = where;
  }
  if (count == 0) {
    append_line("");
    return 0;
  }
  const uint16_t flags = g_file_list.sort_flags;
  LineCompare hook = compare_entry_names;
  if ((flags & FILE_SORT_EXTENSION) != 0) hook = compare_entry_extensions;
  else if ((flags & FILE_SORT_DATE) != 0) hook = compare_entry_dates;
  else if ((flags & FILE_SORT_SIZE) != 0) hook = compare_entry_sizes;
  g_lists.sorting = 1;
  sort_list(hook);
  g_lists.sorting = 0;
  return count;
}
