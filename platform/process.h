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
