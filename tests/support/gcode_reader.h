// The outside G-code reader of the NC tests: the npm package gcode-toolpath, run through
// tools/gcode-check/read_toolpath.js, reads a program back into straight and arc moves and
// drilling cycles. Tests that use it define GCODE_CHECK_DIR.
#pragma once

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace gcode_reader {

struct ReadMove {
  std::string motion;
  double x1 = 0, y1 = 0, z1 = 0, x2 = 0, y2 = 0, z2 = 0;
  bool arc = false;
  double cx = 0, cy = 0;
};

inline bool reader_available(std::string* why) {
  namespace fs = std::filesystem;
  if (std::system("node --version > /dev/null 2>&1") != 0) {
    *why = "node is not installed";
    return false;
  }
  if (!fs::exists(GCODE_CHECK_DIR "/read_toolpath.js") ||
      !fs::exists(GCODE_CHECK_DIR "/node_modules/gcode-toolpath")) {
    *why = "the G-code reader is not installed: run tools/install-deps.sh";
    return false;
  }
  return true;
}

// The moves of a program, the machine starting at `start` ("X,Y,Z"); with `stops`, also the
// program stops (M0), each as the number of moves made before it.
inline bool read_moves(const std::filesystem::path& program, const std::string& start,
                       std::vector<ReadMove>* moves, std::string* error,
                       std::vector<size_t>* stops = nullptr) {
  if (!reader_available(error)) return false;
  const std::string text = program.string() + ".read";
  const std::string command = "node '" GCODE_CHECK_DIR "/read_toolpath.js' --text --start " +
                              start + " '" + program.string() + "' > '" + text + "' 2>&1";
  const int status = std::system(command.c_str());
  std::ifstream in(text);
  if (status != 0) {
    *error = "the reader failed: " + std::string(std::istreambuf_iterator<char>(in), {});
    return false;
  }
  std::string line;
  while (std::getline(in, line)) {
    std::istringstream words(line);
    std::string kind;
    words >> kind;
    if (kind == "orphan") {
      *error = "the reader found words without a motion: " + line;
      return false;
    }
    if (kind == "stop" && stops != nullptr) {
      size_t before = 0;
      words >> before;
      stops->push_back(before);
    }
    if (kind != "move") continue;
    ReadMove m;
    words >> m.motion >> m.x1 >> m.y1 >> m.z1 >> m.x2 >> m.y2 >> m.z2;
    double cz;
    if (words >> m.cx >> m.cy >> cz) m.arc = true;
    moves->push_back(m);
  }
  return true;
}

// A feed move at one depth below zero.
inline bool is_cut(const ReadMove& m) {
  return (m.motion == "G1" || m.motion == "G2" || m.motion == "G3") && m.z1 < -1e-6 &&
         std::fabs(m.z1 - m.z2) < 1e-6;
}

// Points along a move, `n` steps: straight, or along its arc (clockwise for G2; a whole circle
// when it ends where it starts).
inline std::vector<std::pair<double, double>> samples(const ReadMove& m, int n = 16) {
  std::vector<std::pair<double, double>> out;
  if (!m.arc) {
    for (int k = 0; k <= n; ++k)
      out.emplace_back(m.x1 + (m.x2 - m.x1) * k / n, m.y1 + (m.y2 - m.y1) * k / n);
    return out;
  }
  const double pi = 3.14159265358979323846;
  const double r = std::hypot(m.x1 - m.cx, m.y1 - m.cy);
  const double a1 = std::atan2(m.y1 - m.cy, m.x1 - m.cx);
  const double a2 = std::atan2(m.y2 - m.cy, m.x2 - m.cx);
  double sweep = m.motion == "G2" ? a1 - a2 : a2 - a1;
  while (sweep <= 1e-9) sweep += 2 * pi;
  for (int k = 0; k <= n; ++k) {
    const double a = a1 + (m.motion == "G2" ? -1 : 1) * sweep * k / n;
    out.emplace_back(m.cx + r * std::cos(a), m.cy + r * std::sin(a));
  }
  return out;
}

}  // namespace gcode_reader
