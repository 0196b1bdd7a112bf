#include "platform/folder_scan.h"

#include <dirent.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

extern char** environ;

namespace {

bool is_dot_name(const char* name) {
  return name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0));
}

// Closes a directory stream when it goes.
struct DirCloser {
  DIR* dir;
  ~DirCloser() {
    if (dir != nullptr) closedir(dir);
  }
};

}  // namespace

bool scan_sub_folders(const std::string& folder, bool with_hidden, std::vector<SubFolder>* out) {
  out->clear();
  DIR* dir = opendir(folder.c_str());
  if (dir == nullptr) return false;
  DirCloser closer{dir};
  const int fd = dirfd(dir);
  struct stat own;
  if (fstat(fd, &own) != 0) return false;
  while (const dirent* entry = readdir(dir)) {
    const char* name = entry->d_name;
    if (is_dot_name(name)) continue;
    const bool hidden = name[0] == '.';
    if (hidden && !with_hidden) continue;
    // Links are never followed; the type from the directory spares a stat where it is known.
    if (entry->d_type != DT_DIR && entry->d_type != DT_UNKNOWN) continue;
    struct stat info;
    if (fstatat(fd, name, &info, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISDIR(info.st_mode)) continue;
    if (info.st_dev != own.st_dev) continue;  // another file system is mounted here
    out->push_back({name, hidden});
  }
  return true;
}

bool folder_readable(const std::string& folder) {
  struct stat info;
  return !folder.empty() && stat(folder.c_str(), &info) == 0 && S_ISDIR(info.st_mode) &&
         access(folder.c_str(), R_OK | X_OK) == 0;
}

bool list_folder_files(const std::string& folder, std::vector<FileInfo>* out) {
  out->clear();
  DIR* dir = opendir(folder.c_str());
  if (dir == nullptr) return false;
  DirCloser closer{dir};
  const int fd = dirfd(dir);
  while (const dirent* entry = readdir(dir)) {
    const char* name = entry->d_name;
    if (is_dot_name(name)) continue;
    struct stat info;
    if (fstatat(fd, name, &info, 0) != 0) continue;  // vanished, or a dangling link
    FileInfo file;
    file.name = name;
    file.is_folder = S_ISDIR(info.st_mode);
    file.hidden = name[0] == '.';
    file.read_only = (info.st_mode & S_IWUSR) == 0;
    file.size = file.is_folder ? 0 : static_cast<int64_t>(info.st_size);
    file.modified = static_cast<int64_t>(info.st_mtime);
    out->push_back(std::move(file));
  }
  return true;
}

FolderRemoval remove_empty_folder(const std::string& path, std::string* why) {
  if (rmdir(path.c_str()) == 0) return FOLDER_REMOVED;
  const int error = errno;
  if (error == ENOTEMPTY || error == EEXIST) return FOLDER_NOT_EMPTY;
  if (error == ENOENT) return FOLDER_GONE;
  if (why != nullptr) *why = std::strerror(error);
  return FOLDER_REFUSED;
}

bool make_one_folder(const std::string& path, std::string* why) {
  if (mkdir(path.c_str(), 0777) == 0) return true;
  if (why != nullptr) *why = std::strerror(errno);
  return false;
}

std::string find_program_in_path(const std::string& name) {
  if (name.empty()) return "";
  if (name.find('/') != std::string::npos) return access(name.c_str(), X_OK) == 0 ? name : "";
  const char* path = std::getenv("PATH");
  const std::string folders = path != nullptr ? path : "/usr/bin:/bin";
  size_t start = 0;
  while (start <= folders.size()) {
    size_t end = folders.find(':', start);
    if (end == std::string::npos) end = folders.size();
    const std::string folder = folders.substr(start, end - start);
    const std::string candidate = (folder.empty() ? std::string(".") : folder) + "/" + name;
    struct stat info;
    if (stat(candidate.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
        access(candidate.c_str(), X_OK) == 0)
      return candidate;
    start = end + 1;
  }
  return "";
}

bool start_detached(const std::string& program, const std::vector<std::string>& arguments,
                    const std::string& folder) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addchdir_np(&actions, folder.c_str());
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSID);
  // A shell starts the program in the background and ends at once: the program is then no
  // child of ours and leaves nothing to reap when it ends.
  static const std::string shell = "/bin/sh";
  static const std::string dash_c = "-c";
  static const std::string script = "\"$0\" \"$@\" </dev/null >/dev/null 2>&1 &";
  std::vector<char*> argv;
  argv.push_back(const_cast<char*>(shell.c_str()));
  argv.push_back(const_cast<char*>(dash_c.c_str()));
  argv.push_back(const_cast<char*>(script.c_str()));
  argv.push_back(const_cast<char*>(program.c_str()));
  for (const std::string& a : arguments) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  pid_t pid = 0;
  const int spawned =
      posix_spawn(&pid, shell.c_str(), &actions, &attributes, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  posix_spawnattr_destroy(&attributes);
  if (spawned != 0) return false;
  int status = 0;
  while (waitpid(pid, &status, 0) < 0) {
    if (errno != EINTR) break;
  }
  return true;
}
