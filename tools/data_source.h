// What the generators of the data files share: reading a readable source in data/ line by line,
// stopping the build with the file and line of an error, and writing the program's file through
// its own safe save.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "platform/files.h"

struct Source {
  std::string path;
  int line_number = 0;
};

[[noreturn]] inline void fail(const Source& source, const std::string& why) {
  std::fprintf(stderr, "%s:%d: %s\n", source.path.c_str(), source.line_number, why.c_str());
  std::exit(1);
}

inline std::string trim(const std::string& text) {
  const size_t first = text.find_first_not_of(" \t\r");
  if (first == std::string::npos) return {};
  const size_t last = text.find_last_not_of(" \t\r");
  return text.substr(first, last - first + 1);
}

// The lines of a source without their line ends; a source that cannot be read stops the build.
inline std::vector<std::string> read_lines(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    std::fprintf(stderr, "%s: cannot be read\n", path.c_str());
    std::exit(1);
  }
  std::vector<std::string> lines;
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  return lines;
}

// Writes one file through the program's safe save with one of its writers. An old output is
// removed first, so that remaking it leaves no backup in the program folder.
inline void write_file(const std::string& target, const std::function<bool(SaveFile*)>& writer) {
  if (file_exists(target) && !file_delete(target)) {
    std::fprintf(stderr, "%s: cannot be replaced\n", target.c_str());
    std::exit(1);
  }
  std::string error;
  if (save_file_safely(target, "", writer, &error) != SAVE_OK) {
    std::fprintf(stderr, "%s: not written: %s\n", target.c_str(), error.c_str());
    std::exit(1);
  }
}
