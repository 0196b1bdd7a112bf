#include "platform/process.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <ctime>

extern char** environ;

namespace {

constexpr size_t ERROR_TEXT_KEPT = 65536;

// Reads the pipe to its end; only the first ERROR_TEXT_KEPT bytes are kept, but the child is
// never left blocked on a full pipe.
void drain_pipe(int fd, std::string* text) {
  char chunk[4096];
  for (;;) {
    const ssize_t got = read(fd, chunk, sizeof chunk);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) return;
    const size_t room = ERROR_TEXT_KEPT - std::min(ERROR_TEXT_KEPT, text->size());
    text->append(chunk, std::min(room, static_cast<size_t>(got)));
  }
}

}  // namespace

ProcessResult run_process(const std::string& program, const std::vector<std::string>& arguments) {
  ProcessResult result;
  int pipe_fds[2];
  if (pipe2(pipe_fds, O_CLOEXEC) != 0) return result;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_adddup2(&actions, pipe_fds[1], 2);
  std::vector<char*> argv;
  argv.push_back(const_cast<char*>(program.c_str()));
  for (const std::string& a : arguments) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  pid_t pid = 0;
  const int spawned = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  close(pipe_fds[1]);
  if (spawned != 0) {
    close(pipe_fds[0]);
    return result;
  }
  result.started = true;
  drain_pipe(pipe_fds[0], &result.error_text);
  close(pipe_fds[0]);
  int status = 0;
  while (waitpid(pid, &status, 0) < 0) {
    if (errno != EINTR) return result;
  }
  if (WIFEXITED(status)) result.exit_status = WEXITSTATUS(status);
  return result;
}

namespace {

// Children handed off while still running; reaped whenever another is started.
std::vector<int> g_handed_off;

void reap_handed_off() {
  g_handed_off.erase(std::remove_if(g_handed_off.begin(), g_handed_off.end(),
                                    [](int pid) { return waitpid(pid, nullptr, WNOHANG) != 0; }),
                     g_handed_off.end());
}

}  // namespace

std::string find_program_on_path(const std::string& name) {
  if (name.empty()) return "";
  if (name.find('/') != std::string::npos) return access(name.c_str(), X_OK) == 0 ? name : "";
  const char* path = std::getenv("PATH");
  std::string folders = path != nullptr ? path : "/usr/bin:/bin";
  size_t start = 0;
  while (start <= folders.size()) {
    size_t end = folders.find(':', start);
    if (end == std::string::npos) end = folders.size();
    const std::string folder = end > start ? folders.substr(start, end - start) : ".";
    const std::string candidate = folder + "/" + name;
    struct stat st {};
    if (stat(candidate.c_str(), &st) == 0 && S_ISREG(st.st_mode) &&
        access(candidate.c_str(), X_OK) == 0) {
      return candidate;
    }
    start = end + 1;
  }
  return "";
}

bool start_process(const std::string& program, const std::vector<std::string>& arguments,
                   ProcessHandle* handle) {
  reap_handed_off();
  handle->pid = -1;
  const std::string path = find_program_on_path(program);
  if (path.empty()) return false;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  std::vector<char*> argv;
  argv.push_back(const_cast<char*>(path.c_str()));
  for (const std::string& a : arguments) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  pid_t pid = 0;
  const int spawned = posix_spawn(&pid, path.c_str(), &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) return false;
  handle->pid = pid;
  return true;
}

int wait_process_for(ProcessHandle* handle, int timeout_ms, void (*between)(), int* exit_status) {
  if (handle->pid < 0) return 1;
  constexpr long STEP_NS = 20L * 1000 * 1000;
  timespec start {};
  clock_gettime(CLOCK_MONOTONIC, &start);
  for (;;) {
    int status = 0;
    const pid_t done = waitpid(handle->pid, &status, WNOHANG);
    if (done == handle->pid || (done < 0 && errno != EINTR)) {
      *exit_status = done == handle->pid && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
      handle->pid = -1;
      return 1;
    }
    timespec now {};
    clock_gettime(CLOCK_MONOTONIC, &now);
    const long elapsed_ms = (now.tv_sec - start.tv_sec) * 1000 + (now.tv_nsec - start.tv_nsec) / 1000000;
    if (elapsed_ms >= timeout_ms) break;
    if (between != nullptr) between();
    timespec step {0, STEP_NS};
    nanosleep(&step, nullptr);
  }
  g_handed_off.push_back(handle->pid);
  handle->pid = -1;
  return 0;
}
