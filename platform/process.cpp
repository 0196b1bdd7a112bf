#include "platform/process.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

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
