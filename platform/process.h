// Running another program: the import runs the DXF block exploder beside the program and
// waits for it. The child's standard error is captured so that its reason can be shown.
#pragma once

#include <string>
#include <vector>

struct ProcessResult {
  bool started = false;      // false: the program could not be run at all
  int exit_status = -1;      // the child's exit status; -1 when it ended by a signal
  std::string error_text;    // what the child wrote on standard error (at most 64 KiB kept)
};

// Runs `program` with `arguments` (argv[1..]), its standard input and output on /dev/null,
// and waits for it to end.
ProcessResult run_process(const std::string& program, const std::vector<std::string>& arguments);

// Handing work to another program that may go on after we stop waiting (a mail program): started
// with its standard input and output on /dev/null, waited for a while, then left to run.
struct ProcessHandle {
  int pid = -1;  // -1: nothing running
};
// Starts `program` (found on PATH when it holds no '/'); false when it could not be run.
bool start_process(const std::string& program, const std::vector<std::string>& arguments,
                   ProcessHandle* handle);
// Waits up to timeout_ms of real time, calling `between` (may be null) about every 20 ms so that
// the program's window stays alive. 1 when the child ended (its exit status in *exit_status, -1
// after a signal), 0 when it is still running (it is then left to run and reaped later).
int wait_process_for(ProcessHandle* handle, int timeout_ms, void (*between)(), int* exit_status);
// The path of an executable `name` on PATH, or "" when there is none.
std::string find_program_on_path(const std::string& name);
