// The judge's side of the DXF tests: the geometry ezdxf wrote as JSON (polylines in world XY)
// and distances between it and points of the imported items.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

struct JudgePoint {
  double x, y;
};
using JudgeShape = std::vector<JudgePoint>;

// [[[x, y], ...], ...]: the shapes of the file.
inline std::vector<JudgeShape> read_judge_shapes(const std::string& path) {
  std::ifstream in(path);
  const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::vector<JudgeShape> shapes;
  int depth = 0;
  std::vector<double> numbers;
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '[') {
      ++depth;
      if (depth == 2) shapes.emplace_back();
      if (depth == 3) numbers.clear();
    } else if (c == ']') {
      if (depth == 3 && numbers.size() >= 2) shapes.back().push_back({numbers[0], numbers[1]});
      --depth;
    } else if (depth == 3 && (c == '-' || (c >= '0' && c <= '9'))) {
      char* end = nullptr;
      numbers.push_back(std::strtod(text.c_str() + i, &end));
      i = static_cast<size_t>(end - text.c_str()) - 1;
    }
  }
  return shapes;
}

inline double segment_distance(double px, double py, const JudgePoint& a, const JudgePoint& b) {
  const double dx = b.x - a.x, dy = b.y - a.y, l2 = dx * dx + dy * dy;
  const double t = l2 < 1e-24 ? 0.0 : std::clamp(((px - a.x) * dx + (py - a.y) * dy) / l2, 0.0, 1.0);
  return std::hypot(px - (a.x + t * dx), py - (a.y + t * dy));
}

// Distance from a point to the nearest shape.
inline double distance_to_shapes(double x, double y, const std::vector<JudgeShape>& shapes) {
  double best = 1e300;
  for (const JudgeShape& s : shapes) {
    if (s.size() == 1) best = std::min(best, std::hypot(x - s[0].x, y - s[0].y));
    for (size_t i = 1; i < s.size(); ++i) best = std::min(best, segment_distance(x, y, s[i - 1], s[i]));
  }
  return best;
}
