// The outside G-code reader (the npm package gcode-toolpath, through
// tools/gcode-check/read_toolpath.js): the moves and drilling cycles of an NC program as a
// machine would run them.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

struct ReadMove {
  std::string motion;
  double x1, y1, z1, x2, y2, z2;
  bool arc = false;
  double cx = 0, cy = 0;
};
struct ReadDrill {
  std::string cycle;
  double x, y, z, r;
  std::string q;
};
struct Reading {
  std::vector<ReadMove> moves;
  std::vector<ReadDrill> drills;
  std::vector<std::string> orphans;
};

inline bool reader_available(std::string* why) {
  const std::filesystem::path script = GCODE_CHECK_DIR "/read_toolpath.js";
  const std::filesystem::path modules = GCODE_CHECK_DIR "/node_modules/gcode-toolpath";
  if (std::system("node --version > /dev/null 2>&1") != 0) {
    *why = "node is not installed";
    return false;
  }
  if (!std::filesystem::exists(script) || !std::filesystem::exists(modules)) {
    *why = "the G-code reader is not installed: run tools/install-deps.sh";
    return false;
  }
  return true;
}

// Reads the program; `scale` divides every coordinate (25.4 for a program in inches, which the
// reader gives in millimetres).
inline bool read_program(const std::filesystem::path& program, const std::string& start, double scale, Reading* out,
                  std::string* error) {
  if (!reader_available(error)) return false;
  const std::filesystem::path text = program.string() + ".read";
  const std::string command = "node '" GCODE_CHECK_DIR "/read_toolpath.js' --text --start " +
                              start + " '" + program.string() + "' > '" + text.string() + "' 2>&1";
  if (std::system(command.c_str()) != 0) {
    std::ifstream in(text);
    *error = "the reader failed: " + std::string(std::istreambuf_iterator<char>(in), {});
    return false;
  }
  std::ifstream in(text);
  std::string line;
  while (std::getline(in, line)) {
    std::istringstream words(line);
    std::string kind;
    words >> kind;
    if (kind == "move") {
      ReadMove m;
      words >> m.motion >> m.x1 >> m.y1 >> m.z1 >> m.x2 >> m.y2 >> m.z2;
      double cz;
      if (words >> m.cx >> m.cy >> cz) m.arc = true;
      for (double* v : {&m.x1, &m.y1, &m.z1, &m.x2, &m.y2, &m.z2, &m.cx, &m.cy}) *v /= scale;
      out->moves.push_back(m);
    } else if (kind == "drill") {
      ReadDrill d;
      words >> d.cycle >> d.x >> d.y >> d.z >> d.r >> d.q;
      for (double* v : {&d.x, &d.y, &d.z, &d.r}) *v /= scale;
      out->drills.push_back(d);
    } else if (kind == "orphan") {
      out->orphans.push_back(line);
    }
  }
  return true;
}

