// The whole program, headless, run on a script as a user's session: the tests that judge what it
// shows and saves end to end start it through here.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

// `text` in single quotes for the shell, its own quotes escaped.
inline std::string shell_quoted_path(const std::filesystem::path& path) {
  std::string quoted = "'";
  for (const char c : path.string()) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

// Runs brenvik-headless on `script` from `working` (where its file dialogs start), its data files
// in `data`, its pictures, page dumps and stderr (stderr.txt) in `out`; the script is kept there
// as script.txt; options (such as "--size 1280x1024") go to the runner. The runner's exit code,
// or -1 when it did not end by itself.
inline int run_headless_script(const std::filesystem::path& working,
                               const std::filesystem::path& data,
                               const std::filesystem::path& out, const std::string& script,
                               const std::string& options = "") {
  const std::filesystem::path script_path = out / "script.txt";
  std::ofstream(script_path, std::ios::binary) << script;
  const std::string command =
      "cd " + shell_quoted_path(working) + " && " +
      shell_quoted_path(std::filesystem::path(BRENVIK_PROGRAM_DIR) / "brenvik-headless") +
      (options.empty() ? "" : " " + options) + " --folder " + shell_quoted_path(data) +
      " --out " + shell_quoted_path(out) + " " +
      shell_quoted_path(script_path) + " 2>" + shell_quoted_path(out / "stderr.txt");
  const int status = std::system(command.c_str());
  if (status == -1 || (status & 0x7F) != 0) return -1;
  return (status >> 8) & 0xFF;
}

// The line of a dump that holds a label, or "".
inline std::string dump_line_with(const std::string& text, const std::string& label) {
  const size_t at = text.find(label);
  if (at == std::string::npos) return "";
  const size_t start = text.rfind('\n', at) + 1;
  return text.substr(start, text.find('\n', at) - start);
}

// The value after a label on its line of a dump (the first word after it), or "".
inline std::string dump_value_after(const std::string& text, const std::string& label) {
  const std::string line = dump_line_with(text, label);
  size_t at = line.find(label);
  if (at == std::string::npos) return "";
  at = line.find_first_not_of(' ', at + label.size());
  if (at == std::string::npos) return "";
  return line.substr(at, line.find(' ', at) - at);
}
