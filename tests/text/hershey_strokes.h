// Strokes of font 0 worked out from the Hershey data itself, for tests that read cut programs
// back: the segments of a character placed on the work, and the distance of a point from them.
#pragma once

#include <algorithm>
#include <cmath>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

namespace hershey_test {

struct Segment {
  double x1, y1, x2, y2;
};

inline double segment_distance(double px, double py, const Segment& s) {
  const double dx = s.x2 - s.x1, dy = s.y2 - s.y1;
  const double l2 = dx * dx + dy * dy;
  const double t = l2 > 0 ? std::clamp(((px - s.x1) * dx + (py - s.y1) * dy) / l2, 0.0, 1.0) : 0.0;
  return std::hypot(px - (s.x1 + t * dx), py - (s.y1 + t * dy));
}

inline double nearest(double x, double y, const std::vector<Segment>& segments) {
  double d = 1e9;
  for (const Segment& s : segments) d = std::min(d, segment_distance(x, y, s));
  return d;
}

struct HersheyRecord {
  int left = 0, right = 0;
  std::vector<std::vector<std::pair<int, int>>> strokes;
};

inline HersheyRecord hershey_record(int code) {
  std::ifstream in("/usr/share/hershey-fonts/rowmans.jhf");
  std::string text((std::istreambuf_iterator<char>(in)), {}), joined;
  for (char c : text)
    if (c != '\n' && c != '\r') joined += c;
  size_t at = 0;
  for (int k = 32;; ++k) {
    const int count = std::stoi(joined.substr(at + 5, 3));
    if (k == code) {
      HersheyRecord r;
      r.left = joined[at + 8] - 'R';
      r.right = joined[at + 9] - 'R';
      r.strokes.emplace_back();
      for (int v = 1; v < count; ++v) {
        const char a = joined[at + 8 + 2 * v], b = joined[at + 9 + 2 * v];
        if (a == ' ' && b == 'R') r.strokes.emplace_back();
        else r.strokes.back().emplace_back(a - 'R', b - 'R');
      }
      return r;
    }
    at += 8 + 2 * static_cast<size_t>(count);
  }
}

// One character's strokes, each point of the glyph (x from its left extent, y up from its
// baseline, in glyph heights) placed by `place`.
template <typename Place>
inline void add_placed_strokes(const HersheyRecord& r, Place place, std::vector<Segment>* out) {
  for (const auto& stroke : r.strokes)
    for (size_t k = 1; k < stroke.size(); ++k) {
      auto at = [&](const std::pair<int, int>& p) {
        return place((p.first - r.left) / 21.0, (9 - p.second) / 21.0);
      };
      const auto a = at(stroke[k - 1]), b = at(stroke[k]);
      out->push_back({a.first, a.second, b.first, b.second});
    }
}

// One character's strokes, from its origin along the direction.
inline void add_hershey_strokes(const HersheyRecord& r, double ox, double oy, double direction,
                         std::vector<Segment>* out, double glyph_height) {
  const double c = std::cos(direction), s = std::sin(direction);
  add_placed_strokes(
      r,
      [&](double gx, double gy) {
        gx *= glyph_height;
        gy *= glyph_height;
        return std::pair<double, double>{ox + gx * c - gy * s, oy + gx * s + gy * c};
      },
      out);
}

inline double hershey_advance(const HersheyRecord& r) { return (r.right - r.left) / 21.0; }

}  // namespace hershey_test
