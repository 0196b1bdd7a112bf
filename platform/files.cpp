#include "platform/files.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>

FilesState g_files;

namespace {

char lower_ascii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool equal_ignoring_case(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (lower_ascii(a[i]) != lower_ascii(b[i])) return false;
  }
  return true;
}

std::string folder_of(const std::string& path) {
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

std::string env_value(const char* name) {
  const char* value = std::getenv(name);
  return value ? std::string(value) : std::string();
}

std::string strip_trailing_slash(std::string folder) {
  while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
  return folder;
}

std::string replace_extension(const std::string& path, const std::string& extension) {
  const size_t slash = path.rfind('/');
  const size_t dot = path.rfind('.');
  const bool has_extension = dot != std::string::npos && (slash == std::string::npos || dot > slash);
  return (has_extension ? path.substr(0, dot) : path) + "." + extension;
}

// Reads all of a folder's entry names; false when it cannot be opened.
bool read_names(const std::string& folder, std::vector<std::string>* names) {
  DIR* dir = opendir(folder.c_str());
  if (!dir) return false;
  while (const dirent* entry = readdir(dir)) {
    const std::string name = entry->d_name;
    if (name != "." && name != "..") names->push_back(name);
  }
  closedir(dir);
  std::sort(names->begin(), names->end());
  return true;
}

// '*' tries every split; names are short, so the plain recursion is cheap enough.
bool match_from(const char* pattern, const char* name) {
  for (; *pattern; ++pattern, ++name) {
    if (*pattern == '*') {
      while (pattern[1] == '*') ++pattern;
      for (const char* rest = name;; ++rest) {
        if (match_from(pattern + 1, rest)) return true;
        if (!*rest) return false;
      }
    }
    if (!*name) return false;
    if (*pattern != '?' && lower_ascii(*pattern) != lower_ascii(*name)) return false;
  }
  return *name == '\0';
}

std::string reason(const std::string& what, const std::string& path) {
  return "cannot " + what + " " + path + ": " + std::strerror(errno);
}

SaveResult give_up(SaveResult result, const std::string& temp_path, const std::string& why,
                   std::string* error) {
  *error = why;
  std::remove(temp_path.c_str());
  return result;
}

// Writes the contents, flushes them to the disk and closes the file.
SaveResult write_temp_file(const std::string& temp_path,
                           const std::function<bool(SaveFile*)>& writer, std::string* error) {
  SaveFile file;
  file.stream = std::fopen(temp_path.c_str(), "wb");
  if (!file.stream) return give_up(SAVE_CANNOT_CREATE, temp_path, reason("create", temp_path), error);
  const bool gave_up = !writer(&file);
  const bool written = !gave_up && !file.failed;
  const bool flushed = written && std::fflush(file.stream) == 0 && fsync(fileno(file.stream)) == 0;
  const int flush_errno = errno;
  const bool closed = std::fclose(file.stream) == 0;
  if (file.failed) {
    errno = file.error_number;
    return give_up(SAVE_WRITE_FAILED, temp_path, reason("write", temp_path), error);
  }
  if (gave_up) {
    return give_up(SAVE_WRITE_FAILED, temp_path, "the contents of " + temp_path + " could not be made",
                   error);
  }
  if (!flushed || !closed) {
    if (!flushed) errno = flush_errno;
    return give_up(SAVE_WRITE_FAILED, temp_path, reason("write", temp_path), error);
  }
  return SAVE_OK;
}

}  // namespace

std::string program_folder() {
  if (!g_files.program_folder_override.empty()) return g_files.program_folder_override;
  std::string path(4096, '\0');
  const ssize_t length = readlink("/proc/self/exe", path.data(), path.size());
  if (length <= 0 || static_cast<size_t>(length) >= path.size()) return ".";
  path.resize(static_cast<size_t>(length));
  return folder_of(path);
}

std::string temp_folder() {
  for (const char* name : {"TMP", "TEMP", "TMPDIR"}) {
    const std::string value = env_value(name);
    if (!value.empty()) return strip_trailing_slash(value);
  }
  return program_folder();
}

std::string path_join(const std::string& folder, const std::string& name) {
  if (folder.empty()) return name;
  if (folder.back() == '/') return folder + name;
  return folder + "/" + name;
}

std::string find_file_ignoring_case(const std::string& folder, const std::string& name) {
  const std::string exact = path_join(folder, name);
  if (file_exists(exact)) return exact;
  std::vector<std::string> names;
  if (!read_names(folder, &names)) return "";
  for (const std::string& candidate : names) {
    const std::string path = path_join(folder, candidate);
    if (equal_ignoring_case(candidate, name) && file_exists(path)) return path;
  }
  return "";
}

bool wildcard_match(const std::string& pattern, const std::string& name) {
  if (pattern == "*.*") return true;
  return match_from(pattern.c_str(), name.c_str());
}

bool list_folder(const std::string& folder, const std::string& pattern,
                 std::vector<FolderEntry>* entries) {
  std::vector<std::string> names;
  if (!read_names(folder, &names)) return false;
  entries->clear();
  for (const std::string& name : names) {
    if (!wildcard_match(pattern, name)) continue;
    struct stat info;
    if (stat(path_join(folder, name).c_str(), &info) != 0) continue;  // vanished or dangling
    FolderEntry entry;
    entry.name = name;
    entry.is_folder = S_ISDIR(info.st_mode);
    entry.size = entry.is_folder ? 0 : static_cast<int64_t>(info.st_size);
    entries->push_back(entry);
  }
  return true;
}

bool file_exists(const std::string& path) {
  struct stat info;
  return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

int64_t file_size(const std::string& path) {
  struct stat info;
  if (stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return -1;
  return static_cast<int64_t>(info.st_size);
}

bool file_delete(const std::string& path) { return unlink(path.c_str()) == 0; }

namespace {

bool is_data_file_name(const std::string& name) {
  return !name.empty() && name != "." && name != ".." && name.find('/') == std::string::npos;
}

}  // namespace

FILE* open_data_file(const std::string& name, bool write) {
  if (!is_data_file_name(name)) return nullptr;
  const std::string path = path_join(program_folder(), name);
  if (!write) return std::fopen(path.c_str(), "rbe");
  const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (fd < 0) return nullptr;
  FILE* stream = fdopen(fd, "wb");
  if (stream == nullptr) close(fd);
  return stream;
}

int delete_data_file(const std::string& name) {
  if (!is_data_file_name(name)) return -1;
  const std::string path = path_join(program_folder(), name);
  if (unlink(path.c_str()) == 0 || errno == ENOENT) return 0;
  return -1;
}

bool file_rename(const std::string& from, const std::string& to) {
  return std::rename(from.c_str(), to.c_str()) == 0;
}

bool save_write(SaveFile* file, const void* bytes, size_t count) {
  if (file->failed) return false;
  ++g_files.write_count;
  if (g_files.fail_write_number > 0 && g_files.write_count == g_files.fail_write_number) {
    file->failed = true;
    file->error_number = ENOSPC;
    return false;
  }
  if (count > 0 && std::fwrite(bytes, 1, count, file->stream) != count) {
    file->failed = true;
    file->error_number = errno;
  }
  return !file->failed;
}

bool save_write_text(SaveFile* file, const std::string& text) {
  return save_write(file, text.data(), text.size());
}

namespace {

// The file a save replaces: the target of a symbolic link (so that the link stays a link), else
// the path itself.
std::string file_to_replace(const std::string& path) {
  struct stat info;
  if (lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) return path;
  char* resolved = realpath(path.c_str(), nullptr);
  if (resolved == nullptr) return path;  // a dangling link: the save makes a file in its place
  std::string target(resolved);
  std::free(resolved);
  return target;
}

std::string name_of(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool exists_at_all(const std::string& path) {
  struct stat info;
  return lstat(path.c_str(), &info) == 0;
}

}  // namespace

SaveResult save_file_safely(const std::string& path, const std::string& temp_path,
                            const std::function<bool(SaveFile*)>& writer, std::string* error) {
  const std::string target = file_to_replace(path);
  std::string temp = temp_path.empty() ? replace_extension(target, "TMP") : temp_path;
  // The new contents are written beside the file they replace, so that the rename stays on one
  // file system.
  if (target != path) temp = path_join(folder_of(target), name_of(temp));
  if (temp == target) temp = target + ".TMP";  // never write over the file being saved
  std::string backup = replace_extension(target, "BAK");
  if (backup == target) backup = target + ".BAK";
  // The former backup is kept aside under this name until the new file has its name.
  const std::string prior = temp + ".BAK";

  const SaveResult written = write_temp_file(temp, writer, error);
  if (written != SAVE_OK) return written;
  const bool had_old = file_exists(target);
  if (had_old) {
    struct stat info;
    if (stat(target.c_str(), &info) == 0) chmod(temp.c_str(), info.st_mode & 07777);
  }
  bool had_backup = false;
  if (had_old && exists_at_all(backup)) {
    // Only a file is ever replaced as the backup; a folder of that name stays as it is.
    if (!file_exists(backup))
      return give_up(SAVE_CANNOT_REPLACE, temp, backup + " is not a file", error);
    if (!file_rename(backup, prior))
      return give_up(SAVE_CANNOT_REPLACE, temp, reason("rename", backup), error);
    had_backup = true;
  }
  if (had_old && !file_rename(target, backup)) {
    const std::string why = reason("rename", target);
    if (had_backup) file_rename(prior, backup);
    return give_up(SAVE_CANNOT_REPLACE, temp, why, error);
  }
  if (!file_rename(temp, target)) {
    const std::string why = reason("rename", temp);
    if (had_old) file_rename(backup, target);
    if (had_backup) file_rename(prior, backup);
    return give_up(SAVE_CANNOT_RENAME, temp, why, error);
  }
  if (had_backup) file_delete(prior);
  return SAVE_OK;
}

void set_program_folder_for_tests(const std::string& folder) {
  g_files.program_folder_override = folder;
}

void fail_nth_save_write(int n) {
  g_files.fail_write_number = n;
  g_files.write_count = 0;
}

void reset_files() { g_files = FilesState(); }

namespace {

LocalTime local_time_of(time_t seconds) {
  LocalTime t;
  struct tm fields {};
  if (localtime_r(&seconds, &fields) == nullptr) return t;
  t.year = fields.tm_year + 1900;
  t.month = fields.tm_mon + 1;
  t.day = fields.tm_mday;
  t.hour = fields.tm_hour;
  t.minute = fields.tm_min;
  t.second = fields.tm_sec;
  return t;
}

}  // namespace

bool file_modified_time(const std::string& path, LocalTime* time) {
  struct stat st {};
  if (stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
  *time = local_time_of(st.st_mtime);
  return true;
}

LocalTime local_time_now() { return local_time_of(std::time(nullptr)); }
