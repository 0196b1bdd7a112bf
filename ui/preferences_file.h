// The preferences file: every lasting user setting in one binary file in the data folder, read
// once at start-up and written at exit.
#pragma once

#include "shell/job_preferences.h"
#include "shell/preferences.h"

// Reads (1) or writes (0) the preferences file; a file that cannot be read gives the factory
// defaults.
// Stand-in: no file is read or written yet; reading always gives the factory defaults.
inline void read_write_preferences(int read) {
  if (read == 0) return;
  g_interface = InterfaceSettings{};
  first_run_defaults();
}
