// The outside G-code reader (the npm package gcode-toolpath, through
// tools/gcode-check/read_toolpath.js): the moves, drilling cycles and tool changes of an NC
// program as a machine would run them, each with the feed in force.
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
  double feed = -1;  // the F in force, in the program's units per minute; -1 none yet
  int line = 0;      // 1-based program line
};
struct ReadDrill {
  std::string cycle;
  double x, y, z, r;
  std::string q;
  double feed = -1;
  int line = 0;
};
// One step of the program in the order it runs: a move, a drilling cycle or a tool change.
struct ReadEvent {
  char kind;  // 'm' move, 'd' drill, 't' tool change
  int index;  // into moves, drills or tools
};
struct Reading {
  std::vector<ReadMove> moves;
  std::vector<ReadDrill> drills;
  std::vector<int> tools;  // the tool of each tool change
  std::vector<ReadEvent> events;
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
    if (kind == "at" && !out->events.empty()) {
      std::string feed;
      int number = 0;
      words >> feed >> number;
      const ReadEvent& last = out->events.back();
      const double f = feed == "-" ? -1.0 : std::stod(feed);
      if (last.kind == 'm') {
        out->moves[last.index].feed = f;
        out->moves[last.index].line = number;
      } else if (last.kind == 'd') {
        out->drills[last.index].feed = f;
        out->drills[last.index].line = number;
      }
    } else if (kind == "tool") {
      int tool = 0;
      words >> tool;
      out->events.push_back({'t', static_cast<int>(out->tools.size())});
      out->tools.push_back(tool);
    } else if (kind == "move") {
      out->events.push_back({'m', static_cast<int>(out->moves.size())});
      ReadMove m;
      words >> m.motion >> m.x1 >> m.y1 >> m.z1 >> m.x2 >> m.y2 >> m.z2;
      double cz;
      if (words >> m.cx >> m.cy >> cz) m.arc = true;
      for (double* v : {&m.x1, &m.y1, &m.z1, &m.x2, &m.y2, &m.z2, &m.cx, &m.cy}) *v /= scale;
      out->moves.push_back(m);
    } else if (kind == "drill") {
      out->events.push_back({'d', static_cast<int>(out->drills.size())});
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

